// termination.cpp — tests of a primal point (constraints, convergence,
// bounds), the termination messages and the final report of the solver.
#include "gp/termination.h"

#include <cmath>

#include "gp/report_line.h"
#include "gp/solver.h"

namespace gp {

PointTests check_point(int NVAR, int MCON, int NLB, int NUB, const double* SLB,
                       const double* SUB, const double* XPRIML,
                       const double* VPOSY, double EXPV, double ALLOW,
                       double RGAP, bool report, int* INF, double* AMTINF) {
  // Bounds at most the single-precision 1.0e-7 mean "no bound".
  const double kNoBound = static_cast<double>(1.0e-7f);
  PointTests t;

  // 1. Constraints: posynomial k at most 1 + ALLOW (strict test).
  for (int k = 1; k <= MCON; ++k) {
    INF[k] = 0;  // position k+1, one-based
    AMTINF[k] = VPOSY[k] - 1.0;
    if (AMTINF[k] > ALLOW) {
      INF[k] = 1;
      t.ICNTR = 1;
    }
  }

  // 2. Convergence of the objective against the LP bound.
  t.GAPRAT = (VPOSY[0] - EXPV) / EXPV;
  t.NOMORE = (t.ICNTR == 0 && std::fabs(t.GAPRAT) <= RGAP) ? 1 : 0;

  // 3.-4. Bounds.
  if (NLB != 0) {
    for (int j = 1; j <= NVAR; ++j) {
      if (!(SLB[j - 1] > kNoBound)) continue;
      double amt = SLB[j - 1] - XPRIML[j - 1];
      if (amt > ALLOW) {
        t.ILB = 1;
        if (report) {
          Line(kReport) << " ";
          Line(kReport) << " VARIABLE X(" << io::I(j, 4) << "),"
                        << " VIOLATES LOWER BOUND BY" << io::F(amt, 12, 4);
        }
      }
    }
  }
  if (NUB != 0) {
    for (int j = 1; j <= NVAR; ++j) {
      if (!(SUB[j - 1] > kNoBound)) continue;
      double amt = XPRIML[j - 1] - SUB[j - 1];
      if (amt > ALLOW) {
        t.IUB = 1;
        if (report) {
          Line(kReport) << " ";
          Line(kReport) << " VARIABLE X(" << io::I(j, 4) << "),"
                        << " VIOLATES UPPER BOUND BY" << io::F(amt, 12, 4);
        }
      }
    }
  }
  return t;
}

void write_ending(Ending ending, int ITMAX) {
  switch (ending) {
    case Ending::kInconsistent:
      Line(kReport) << " TERMINATED____ INCONSISTENT DATA";
      break;
    case Ending::kUnbounded:
      Line(kReport) << " TERMINATED____ SOLUTION UNBOUNDED";
      break;
    case Ending::kOptimum:
      Line(kReport) << " ";
      Line(kReport) << " ";
      Line(kReport) << " ****TERMINATED: OPTIMUM SOLUTION FOUND";
      break;
    case Ending::kCannotBeMet:
      Line(kReport) << " ";
      Line(kReport) << " ";
      Line(kReport) << " ****TERMINATED: SPECIFIED TOLERANCES FOR FEASIBILITY";
      Line(kReport) << " AND/OR CONVERGENCE CRITERION CANNOT BE MET;";
      Line(kReport) << " BEST AVAILABLE SOLUTION FOLLOWS:";
      break;
    case Ending::kIterationLimit:
      Line(kReport) << " ";
      Line(kReport) << " ";
      Line(kReport) << " ****TERMINATED: END OF " << io::I(ITMAX, 5)
                    << " ITERATIONS ";
      Line(kReport) << " INCREASE LIMIT ON MAXIMUM NUMBER OF ITERATIONS";
      Line(kReport) << " IF A BETTER SOLUTION IS DESIRED";
      break;
  }
}

bool warn_infeasible(int NVAR, int MCON, int NLB, int NUB, const double* SLB,
                     const double* SUB, const double* XPRIML,
                     const double* VPOSY, double ALLOW) {
  const double kNoBound = static_cast<double>(1.0e-7f);
  // Worst violation of each kind; NaN (an overflowed point) beats any number.
  auto worse = [](double amt, double worst) {
    return std::isnan(amt) ? !std::isnan(worst) : amt > worst;
  };
  int kworst = 0, jworst = 0;
  double cworst = 0.0, bworst = 0.0;
  for (int k = 1; k <= MCON; ++k) {
    const double amt = VPOSY[k] - 1.0;
    if (!(amt <= ALLOW) && (kworst == 0 || worse(amt, cworst))) {
      kworst = k;
      cworst = amt;
    }
  }
  for (int j = 1; j <= NVAR; ++j) {
    double amt = 0.0;
    if (NLB != 0 && SLB[j - 1] > kNoBound) amt = SLB[j - 1] - XPRIML[j - 1];
    if (NUB != 0 && SUB[j - 1] > kNoBound) {
      const double up = XPRIML[j - 1] - SUB[j - 1];
      if (worse(up, amt)) amt = up;
    }
    if (!(amt <= ALLOW) && (jworst == 0 || worse(amt, bworst))) {
      jworst = j;
      bworst = amt;
    }
  }
  if (kworst == 0 && jworst == 0) return false;
  Line(kReport) << " ";
  Line(kReport) << " ****WARNING: THE POINT REPORTED BELOW IS NOT FEASIBLE;";
  Line(kReport) << " ITS OBJECTIVE VALUE IS NOT A SOLUTION OF THE PROBLEM.";
  if (kworst != 0)
    Line(kReport) << " LARGEST CONSTRAINT VIOLATION=" << io::E(cworst, 18, 8)
                  << " (CONSTRAINT" << io::I(kworst, 5) << ")";
  if (jworst != 0)
    Line(kReport) << " LARGEST BOUND VIOLATION=" << io::E(bworst, 18, 8)
                  << " (VARIABLE X(" << io::I(jworst, 4) << "))";
  return true;
}

void final_report(int NVAR, int MCON, int KTTOT, int NMAX, const int* IDPOSY,
                  double* X, double* PI, double* XPRIML, double* A, double* C,
                  int* KT, double* TERM, double* VPOSY, int* IDVAR, int* NAPP,
                  double EXPV, double ALLOW, int ITER, int TCLGEN) {
  // 1.-2. Active columns.
  Line(kReport) << " ";
  Line(kReport) << " ACTIVE GLP COLUMNS (POSY<0 IMPLIES A BOUNDING"
                << " CONSTRAINT):";
  Line(kReport) << "   ID POSY    LAMBDA";
  for (int i = 1; i <= NMAX; ++i)
    if (X[i - 1] > ALLOW)
      Line(kReport) << " " << io::I(i, 4) << io::I(IDPOSY[i - 1] - 1, 4)
                    << io::E(X[i - 1], 18, 8);

  // 3. Banner.
  Line(kReport) << " ";
  Line(kReport) << "          *********************";
  Line(kReport) << "          * REPORT OF OPTIMAL *";
  Line(kReport) << "          * PRIMAL VARIABLES  *";
  Line(kReport) << "          *********************";

  // 4.-5. The point from the final row prices, then the values at XPRIML.
  int on = 1, nvar = NVAR, mcon = MCON, kttot = KTTOT;
  PSOLVE(nvar, on, PI, X);
  PSUBS(mcon, on, XPRIML, A, C, KT, kttot, TERM, VPOSY, IDVAR, NAPP);

  // 6.-8. Totals.
  const double rdiff = (VPOSY[0] - EXPV) / EXPV;
  Line(kReport) << " ";
  Line(kReport) << " PRIMAL SOLUTION" << io::E(VPOSY[0], 18, 8);
  Line(kReport) << " LP SOLUTION" << io::E(EXPV, 18, 8);
  Line(kReport) << " CONVERGENCE CRITERION" << io::E(rdiff, 18, 8);
  Line(kReport) << " TOTAL NUMBER OF ITERATIONS =" << io::I(ITER - 1, 6);
  Line(kReport) << " ";
  Line(kReport) << " TOTAL NUMBER OF COLUMNS GENERATED=" << io::I(TCLGEN, 5);
}

}  // namespace gp
