// termination.h — the decisions of the solver loop and its final report.
//
//   check_point   constraint, convergence and bound tests at the current point
//   write_ending  the message of one of the five endings
//   final_report  active columns, primal point, values, totals
//   warn_infeasible  after an ending that is not the optimum, says so when
//                 the point about to be reported violates a constraint or a
//                 bound (its objective value is then no solution value)
//   FailureWindow the count of failed master-LP re-solves among the last
//                 ones, which ends a solve that no longer converges
#pragma once

#include <vector>

namespace gp {

// The five ways a solve ends.
enum class Ending {
  kInconsistent,  // initial master LP unbounded, inaccurate or abandoned
  kUnbounded,     // initial master LP infeasible
  kOptimum,
  kCannotBeMet,   // no column generated, or the basis did not change
  kIterationLimit,
};

struct PointTests {
  int ICNTR = 0;        // 1: some constraint violated
  double GAPRAT = 0.0;  // (objective - LP bound) / LP bound
  int NOMORE = 0;       // 1: constraints hold and the objective converged
  int ILB = 0;          // 1: some lower bound violated
  int IUB = 0;          // 1: some upper bound violated
  bool optimum() const { return ILB == 0 && IUB == 0 && NOMORE == 1; }
};

// Tests of the point XPRIML with posynomial values VPOSY(1..MCON+1) against
// the LP bound EXPV.  Out: INF/AMTINF(2..MCON+1) per constraint.  Writes the
// bound-violation lines when REPORT is true.
PointTests check_point(int NVAR, int MCON, int NLB, int NUB, const double* SLB,
                       const double* SUB, const double* XPRIML,
                       const double* VPOSY, double EXPV, double ALLOW,
                       double RGAP, bool report, int* INF, double* AMTINF);

void write_ending(Ending ending, int ITMAX);

// Warning lines when the point XPRIML, with posynomial values
// VPOSY(1..MCON+1), violates a constraint or a bound by more than ALLOW
// (a value that is not a number counts as violated).  Writes nothing for a
// feasible point.  Returns true when it warned.
bool warn_infeasible(int NVAR, int MCON, int NLB, int NUB, const double* SLB,
                     const double* SUB, const double* XPRIML,
                     const double* VPOSY, double ALLOW);

// Final report.  X(1..NMAX) column values on entry, overwritten by the primal
// point recomputed from PI; TERM(1..KTTOT) and VPOSY recomputed at XPRIML.
void final_report(int NVAR, int MCON, int KTTOT, int NMAX, const int* IDPOSY,
                  double* X, double* PI, double* XPRIML, double* A, double* C,
                  int* KT, double* TERM, double* VPOSY, int* IDVAR, int* NAPP,
                  double EXPV, double ALLOW, int ITER, int TCLGEN);

// Failed re-solves among the last WINDOW.  record(failed) counts one more
// re-solve and returns true once at least LIMIT of the last WINDOW (this
// one included) have failed.
class FailureWindow {
 public:
  FailureWindow(int window, int limit)
      : failed_(static_cast<std::size_t>(window), false), limit_(limit) {}
  bool record(bool failed) {
    recent_ += (failed ? 1 : 0) - (failed_[next_] ? 1 : 0);
    failed_[next_] = failed;
    next_ = (next_ + 1) % failed_.size();
    return recent_ >= limit_;
  }

 private:
  std::vector<bool> failed_;
  std::size_t next_ = 0;
  int limit_ = 0;
  int recent_ = 0;
};

}  // namespace gp
