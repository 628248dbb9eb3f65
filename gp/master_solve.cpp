// master_solve.cpp — LINEAR: solves the master LP from the current basis
// (the all-artificial basis on the first call) and hands back the column
// values, the row prices and the objective; writes the dumps of a failed or
// traced solve.  See master_lp.cpp for the master LP's layout and for the
// treatment of the logical columns after the first solve.
//
// Warm solves can work on a perturbed right-hand side.  The master LP's
// right-hand side is (1, 0, ..., 0), so almost every basic column sits at
// zero and the re-solve after new columns were added crawls through long
// runs of steps of length zero (CL29 of the classic test set: 2.9 million
// engine iterations in 1,159 solves, ended one by one by the engine's
// smallest-index fallback, which scans every column each step).  Once a
// run shows such a solve (below), each warm solve solves the LP with
// right-hand side
// B + sum_i delta(i) a(BASIS(i)), delta(i) drawn from [0.5, 1] x 1.0E-6,
// over the structural basic columns of the starting basis: that is the same
// LP with those columns' lower bounds moved from 0 to -delta(i), which the
// starting basis satisfies strictly, and ties in the ratio test become
// unlikely.  Then B is restored and the basic values recomputed.  The
// basis stays dual feasible (reduced costs do not depend on B); when a
// basic value now lies beyond a bound, the dual simplex ends the
// unperturbed LP from that basis in a few iterations.  The draws come from
// a fixed-seed generator restarted with each first solve, so a run is
// reproducible.
//
// A warm solve that fails (abandoned, accuracy check failed) is retried
// once from its starting basis, with the artificials still basic in it
// exchanged for structural columns where possible and perturbed with
// fresh draws, unless the solve before it failed too; when it still fails
// the starting basis is put back, so that the next iteration starts from
// the last optimal basis rather than from the one the failed solve left
// (after which every later solve failed too: CL30 of the classic test
// set).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "gp/master_columns.h"
#include "gp/master_perturbation.h"
#include "gp/report_line.h"
#include "gp/solver.h"
#include "io/one_based.h"
#include "lp/engine.h"
#include "lp/workspace.h"

using gp::Line;

namespace {

constexpr int kOptimal = 1;      // ITS: LP solved to optimality
constexpr int kAbandoned = 5;    // ITS: solve abandoned
constexpr int kArtificial = -3;  // STATUS of an equality row's artificial

// Integers, PER_LINE per line, each in WIDTH columns, lines led by 5 blanks.
void dump_ints(int unit, const int* v, int n, int per_line, int width) {
  for (int i = 0; i < n; i += per_line) {
    Line line(unit);
    line << "     ";
    for (int k = i; k < n && k < i + per_line; ++k) line << io::I(v[k], width);
  }
}

// Perturbation size.
constexpr double kPerturbation = 1.0e-6;

// Fixed-seed generator of the perturbation (64-bit linear congruential,
// top 53 bits): uniform draws in [0.5, 1).
struct Draws {
  std::uint64_t state = 0;
  void restart() { state = 0x9E3779B97F4A7C15ULL; }
  double next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return 0.5 + 0.5 * static_cast<double>(state >> 11) * 0x1.0p-53;
  }
};
Draws draws;

// Warm solves are perturbed once one of them, unperturbed, has taken more
// than long_solve(M) iterations, the sign of a master LP that stalls on its
// degeneracy (CL29: about 2,500 iterations per solve for 127 rows, against
// at most a few rows' worth on the small programs), or has failed (the
// perturbed path is the more robust one: the test program LPFAIL reaches
// its optimum in 17 iterations with it, in 95 with 65 failed solves
// without).  Where re-solves are short the perturbation only costs (its
// clean-up re-solves), and on some programs with a redundant row it makes
// the basic artificial drift off zero so that the engine goes back and
// forth between its phases (RND1000 of the benchmark: half an hour instead
// of 3 s).  Reset by each first solve; ALWAYS is the tests' switch.
bool perturbing = false;
bool always = false;
int cleanups = 0;  // perturbed solves ended by the dual simplex in this run
int long_solve(int m) { return 10 * m; }

// Warm solves work within a feasibility band (lp::FeasibilityBand): basic
// weights up to 1e-9 beyond a bound count as feasible, the ratio test
// prefers large pivots within that band and refuses tiny ones, and phase 2
// lets rounding move weights up to 1e-6 beyond a bound before it goes back
// to phase 1.  The weights are not what the solver uses (the row prices
// are), and with the exact bounds the late re-solves of CL30 and CL31 of
// the classic test set took pivots of 1e-10 times their column and went
// back and forth between the phases over values 1e-9 to 1e1 beyond zero.
// The drift is the solver's to widen (gp::master_perturbation::allow_drift,
// up to 1e-4): once the stored costs are re-centred and small, a weight
// that far beyond zero moves the LP's value by next to nothing, and CL31
// of the classic test set abandoned its late re-solves after a hundred
// returns to phase 1 over weights 1e-6 to 1e-5 below zero.
constexpr double kFeasibilityBand = 1.0e-9;
constexpr double kPhaseTwoDrift = 1.0e-6;
double phase_two_drift = kPhaseTwoDrift;

// Iteration limit of a warm solve, 100 M + 1000: ten times a long one
// (the longest unperturbed re-solves of CL29 of the classic test set took
// about 2,500 iterations for 127 rows; CL31, 201 rows, stalled in phase 1
// for more than 100,000).
constexpr int kWarmSolveLimitPerRow = 100;
constexpr int kWarmSolveLimitBase = 1000;

// The last solve failed: the next failure is not retried (on a master LP
// whose every re-solve fails, CL30, retries only multiply the cost).
bool last_failed = false;

// Abandoned (5) or inaccurate (4): worth another attempt; an unbounded or
// infeasible master LP is an answer.
bool failed_to_solve() { return RVNA.TERMIN == 4 || RVNA.TERMIN == 5; }

// The basis in place was factorised at the end of the last solve (or put
// back from a sound start): a failed solve can go back to it.
bool sound_start = false;

// The basis a warm solve starts from, to go back to.
struct Start {
  std::vector<int> basis, status;
  std::vector<double> bascb, baslb, basub;
};

Start save_start(int m, int n, const int* BASIS, const int* STATUS,
                 const double* BASCB, const double* BASLB,
                 const double* BASUB) {
  return Start{{BASIS, BASIS + m},
               {STATUS, STATUS + n},
               {BASCB, BASCB + m},
               {BASLB, BASLB + m},
               {BASUB, BASUB + m}};
}

// The engine's primal simplex on the master LP held in RVNA.
void solve(double* B, double* BASCB, int* BASIS, double* BASLB,
           double* BASUB, double* CANDA, double* CANDCJ, int* CANDI,
           double* COLA, int* COLI, int& COLMAX, int& LENMY, int& MAXM,
           int& MAXN, double* MEMORY, int* STATUS, double* UZERO,
           double* XBZERO, double* YQ) {
  XPRIML(B, BASCB, BASIS, BASLB, BASUB, RVNA.BNDTYP, RVNA.BOUND, RVNA.CAND,
         CANDA, CANDCJ, CANDI, RVNA.CANDL, COLA, COLI, COLMAX, RVNA.FACTOR,
         RVNA.IOERR, RVNA.IOLOG, RVNA.ITER1, RVNA.ITER2, RVNA.LENMA,
         RVNA.LENMI, LENMY, RVNA.LOOK, RVNA.M, RVNA.MAPA, RVNA.MAPI, MAXM,
         MAXN, MEMORY, RVNA.N, RVNA.NTYPE2, RVNA.PICK, RVNA.PRINT, STATUS,
         RVNA.TERMIN, RVNA.UNBDDQ, UZERO, XBZERO, YQ, RVNA.Z);
}

// Fresh basic values and objective of the basis in place (current factors).
void basic_values(double* B, double* BASCB, double* COLA, int* COLI,
                  int& COLMAX, int& LENMY, int& MAXM, int& MAXN,
                  double* MEMORY, int* STATUS, double* XBZERO) {
  XBCOMP(B, BASCB, RVNA.BNDTYP, RVNA.BOUND, COLA, COLI, COLMAX, RVNA.IOERR,
         RVNA.LENMA, RVNA.LENMI, LENMY, RVNA.M, RVNA.MAPA, RVNA.MAPI, MAXM,
         MAXN, MEMORY, RVNA.N, STATUS, XBZERO, RVNA.Z);
}

// The dual simplex from the optimal basis of the perturbed LP once B is
// restored: its reduced costs are unchanged and only basic values of the
// perturbation's size lie beyond a bound, so a few dual iterations end it
// (CL30 of the classic test set: 1 to 18).  The primal phase 1 from there
// is at the mercy of the ratio test's degenerate rows, whose entries are
// rounding noise; on CL30 it was abandoned over rejected pivots, often at
// its first iteration.  True when the dual simplex ends optimal; it does
// not stop the program over rejected pivots or a singular basis change.
bool dual_cleanup(double* B, double* BASCB, int* BASIS, double* BASLB,
                  double* BASUB, double* BETAR, double* COLA, int* COLI,
                  int& COLMAX, int& LENMY, int& MAXM, int& MAXN,
                  double* MEMORY, int* STATUS, double* UZERO, double* XBZERO,
                  double* YQ) {
  int DFEASQ = 0, DTERM = 0, DUNBR = 0, ITERD = 0;
  const lp::DualIterationsAbandon keep_going;
  XDUAL(B, BASCB, BASIS, BASLB, BASUB, BETAR, RVNA.BNDTYP, RVNA.BOUND, COLA,
        COLI, COLMAX, DFEASQ, DTERM, DUNBR, RVNA.FACTOR, RVNA.IOERR,
        RVNA.IOLOG, ITERD, RVNA.LENMA, RVNA.LENMI, LENMY, RVNA.M, RVNA.MAPA,
        RVNA.MAPI, MAXM, MAXN, MEMORY, RVNA.N, RVNA.NTYPE2, RVNA.PRINT,
        STATUS, UZERO, XBZERO, YQ, RVNA.Z);
  return DTERM == 1;
}

// Fresh factors of the basis in place; false when it is singular.
bool refactorise(int* BASIS, double* COLA, int* COLI, int& COLMAX,
                 int& LENMY, double* MEMORY) {
  return lp::factorise(BASIS, COLA, COLI, COLMAX, RVNA.IOERR, RVNA.LENMA,
                       LENMY, RVNA.M, RVNA.MAPA, RVNA.MAPI, MEMORY) >= 0.0;
}

// Before the retry of a failed warm solve, each artificial still basic
// (at value 0) in a row that is not redundant is exchanged for the
// nonbasic structural column with the largest entry in its row of the
// basis inverse times the matrix, when that entry is at least kDriveOut: a
// degenerate exchange, the values stay.  Left basic, such an artificial
// (bounds 0..0) blocks every step whose column has a tiny entry in its
// row, and a tiny pivot is refused: re-solves of small random programs
// were abandoned over it again and again.  Only on failure: after the
// first solve of RND1000 of the benchmark 988 of its 1000 artificials are
// basic, and exchanging them all for structural columns at zero left a
// basis whose later re-solves went back and forth between the phases.
// True when a column was exchanged; the basis is then refactorised and its
// values recomputed (its prices need not be optimal: the caller
// re-solves).
constexpr double kDriveOut = 1.0e-3;

bool drive_out_artificials(double* B, double* BASCB, int* BASIS,
                           double* BASUB, double* BETAR,
                           double* COLA, int* COLI, int& COLMAX, int& LENMY,
                           int& MAXM, int& MAXN, double* MEMORY, int* STATUS,
                           double* XBZERO) {
  io::F1<int> basis(BASIS), status(STATUS);
  io::F1<double> betar(BETAR), bascb(BASCB), basub(BASUB);
  const int m = RVNA.M;
  bool exchanged = false;
  for (int i = 1; i <= m; ++i) {
    const int art = basis(i);
    if (art < 1 || status(art) != kArtificial) continue;
    for (int k = 1; k <= MAXM; ++k) betar(k) = k == i ? 1.0 : 0.0;
    XBTRAN(RVNA.IOERR, RVNA.LENMI, LENMY, RVNA.M, RVNA.MAPI, MAXM, MEMORY,
           BETAR);
    int best = 0;
    double best_alpha = kDriveOut, best_cost = 0.0;
    for (int j = 1; j <= RVNA.N; ++j) {
      if (status(j) != 0) continue;  // basic, logical, or not at 0
      double cj = 0.0, alpha = 0.0;
      XGETAJ(cj, COLA, COLI, RVNA.COLLEN, COLMAX, RVNA.IOERR, j, RVNA.LENMA,
             LENMY, RVNA.MAPA, MEMORY);
      XDOT(COLA, COLI, RVNA.COLLEN, COLMAX, MAXM, BETAR, alpha);
      if (std::fabs(alpha) > best_alpha) {
        best = j;
        best_alpha = std::fabs(alpha);
        best_cost = cj;
      }
    }
    if (best == 0) continue;  // the row is redundant after all
    const double art_cost = bascb(i);
    basis(i) = best;
    status(best) = i;
    bascb(i) = best_cost;
    basub(i) = RVNCOM.BIG;
    if (refactorise(BASIS, COLA, COLI, COLMAX, LENMY, MEMORY)) {
      exchanged = true;
      continue;
    }
    // Singular after all: the artificial goes back.
    basis(i) = art;
    status(best) = 0;
    bascb(i) = art_cost;
    basub(i) = 0.0;
    refactorise(BASIS, COLA, COLI, COLMAX, LENMY, MEMORY);
  }
  if (exchanged)
    basic_values(B, BASCB, COLA, COLI, COLMAX, LENMY, MAXM, MAXN, MEMORY,
                 STATUS, XBZERO);
  return exchanged;
}

}  // namespace

namespace gp::master_perturbation {
void force(bool on) { always = on; }
void allow_drift(double drift) {
  phase_two_drift = std::max(kPhaseTwoDrift, drift);
}
int dual_cleanups() { return cleanups; }
}  // namespace gp::master_perturbation

void LINEAR(int& IBCH, int& IPRINT, int& ITS, double* PSOLN, double* DSOLN,
            double& VOBJ, int& ICD, int& MAXM, int& MAXN, int& MAXA,
            int& COLMAX, int& LENMY, double* B, double* BASCB, double* BASLB,
            double* BASUB, double* BETAR, double* CANDA, double* CANDCJ,
            double* COLA, double* UZERO, double* XBZERO, double* YQ,
            int* BASIS, int* CANDI, int* COLI, int* ROWTYP, int* STATUS,
            double* MEMORY, int* LASTBAS) {
  (void)MAXA;
  io::F1<double> psoln(PSOLN), dsoln(DSOLN), uzero(UZERO), xbzero(XBZERO),
      b(B), cola(COLA);
  io::F1<int> basis(BASIS), lastbas(LASTBAS), coli(COLI);
  const int m = RVNA.M;

  // 1. First solve: the all-artificial starting basis.
  const bool first_solve = basis(1) <= 0;
  if (first_solve) {
    draws.restart();
    if (IPRINT > 0)
      Line(RVNA.IOLOG) << " LINEAR: USE ARTIFICIAL VARIABLES AS INITIAL BASIS";
    for (int j = 1; j <= m; ++j) lastbas(j) = 0;
    XSLACK(B, BASCB, BASIS, BASLB, BASUB, RVNA.BLOW, RVNA.BNDTYP, RVNA.BOUND,
           COLA, COLI, COLMAX, RVNA.IOERR, RVNA.LENMA, RVNA.LENMI, LENMY,
           RVNA.M, RVNA.MAPA, RVNA.MAPI, MAXM, MAXN, MEMORY, RVNA.N, ROWTYP,
           STATUS, UZERO, XBZERO, RVNA.Z);
  }

  // 2. Trace level of the engine; starting basis.
  RVNA.PRINT = IPRINT;
  auto basis_dump = [&](int unit) {
    Line(unit) << " BASIS VECTOR IS";
    dump_ints(unit, BASIS, m, 10, 5);
  };
  if (IPRINT > 0) basis_dump(RVNA.IOLOG);

  // 3. Remember the starting basis.
  for (int j = 1; j <= m; ++j) lastbas(j) = basis(j);

  // 4. Solve.  A warm solve from a sound basis works on the perturbed
  //    right-hand side and is retried from its starting basis when it fails
  //    (see the file head).
  bool went_back = false;
  if (first_solve) {
    perturbing = false;
    cleanups = 0;
    phase_two_drift = kPhaseTwoDrift;
  }
  const lp::FeasibilityBand band(first_solve ? 0.0 : kFeasibilityBand,
                                 phase_two_drift);
  if (first_solve || !sound_start) {
    solve(B, BASCB, BASIS, BASLB, BASUB, CANDA, CANDCJ, CANDI, COLA, COLI,
          COLMAX, LENMY, MAXM, MAXN, MEMORY, STATUS, UZERO, XBZERO, YQ);
  } else {
    // A warm solve that runs far beyond the few rows' worth of pivots a
    // re-solve takes is stalling on an ill-conditioned basis: it is
    // abandoned and goes the way of a failed solve (below).
    const lp::PrimalIterationLimit limit(kWarmSolveLimitPerRow * m +
                                         kWarmSolveLimitBase);
    const Start start =
        save_start(m, RVNA.N, BASIS, STATUS, BASCB, BASLB, BASUB);
    const std::vector<double> rhs(B, B + m);
    const double BIG = RVNCOM.BIG;
    const double TOLF = lp::feasibility_tolerance();
    // One attempt from the basis in place, perturbed or not; true when it
    // ends optimal.
    auto attempt = [&](bool perturb) {
      if (!perturb) {
        solve(B, BASCB, BASIS, BASLB, BASUB, CANDA, CANDCJ, CANDI, COLA,
              COLI, COLMAX, LENMY, MAXM, MAXN, MEMORY, STATUS, UZERO, XBZERO,
              YQ);
        if (RVNA.ITER1 + RVNA.ITER2 > long_solve(m) || failed_to_solve())
          perturbing = true;
        return RVNA.TERMIN == kOptimal;
      }
      for (int i = 1; i <= m; ++i) {
        // Structural columns only (an artificial's bounds are 0..0).
        if (BASUB[i - 1] < BIG || BASLB[i - 1] != 0.0) continue;
        int j = basis(i);
        const double delta = kPerturbation * draws.next();
        XGETAJ(RVNA.CJ, COLA, COLI, RVNA.COLLEN, COLMAX, RVNA.IOERR, j,
               RVNA.LENMA, LENMY, RVNA.MAPA, MEMORY);
        for (int k = 1; k <= RVNA.COLLEN; ++k)
          if (coli(k) >= 1 && coli(k) <= m) b(coli(k)) += delta * cola(k);
        xbzero(i) += delta;
      }
      solve(B, BASCB, BASIS, BASLB, BASUB, CANDA, CANDCJ, CANDI, COLA, COLI,
            COLMAX, LENMY, MAXM, MAXN, MEMORY, STATUS, UZERO, XBZERO, YQ);
      // The vertex of the LP as stated.  An optimal basis stays dual
      // feasible; values pushed beyond the band are brought back by the
      // dual simplex.  When that gives up, and after a perturbed solve that
      // did not end optimal, the primal simplex solves the LP as stated
      // from the basis left (within the iteration limit).  From iteration
      // 4,600 of CL31 of the classic test set on, the dual simplex gave up
      // on 50 re-solves in a row, over pivots below EPS3 in the rows to be
      // repaired, and the solve ended there.
      std::copy(rhs.begin(), rhs.end(), B);
      basic_values(B, BASCB, COLA, COLI, COLMAX, LENMY, MAXM, MAXN, MEMORY,
                   STATUS, XBZERO);
      bool feasible = true;
      for (int i = 1; i <= m; ++i)
        if (xbzero(i) - BASLB[i - 1] < -TOLF ||
            xbzero(i) - BASUB[i - 1] > TOLF)
          feasible = false;
      if (RVNA.TERMIN == kOptimal && !feasible) {
        if (dual_cleanup(B, BASCB, BASIS, BASLB, BASUB, BETAR, COLA, COLI,
                         COLMAX, LENMY, MAXM, MAXN, MEMORY, STATUS, UZERO,
                         XBZERO, YQ)) {
          ++cleanups;
          return true;
        }
        // The dual simplex gave up (over pivots too small to take): the
        // primal simplex goes on from the basis it left.
        if (!refactorise(BASIS, COLA, COLI, COLMAX, LENMY, MEMORY)) {
          RVNA.TERMIN = kAbandoned;
          return false;
        }
        basic_values(B, BASCB, COLA, COLI, COLMAX, LENMY, MAXM, MAXN, MEMORY,
                     STATUS, XBZERO);
        RVNA.TERMIN = 0;
      }
      if (RVNA.TERMIN != kOptimal)
        solve(B, BASCB, BASIS, BASLB, BASUB, CANDA, CANDCJ, CANDI, COLA, COLI,
              COLMAX, LENMY, MAXM, MAXN, MEMORY, STATUS, UZERO, XBZERO, YQ);
      return RVNA.TERMIN == kOptimal;
    };
    // The starting basis with fresh factors and values.  It was factorised
    // at the end of the solve that left it and its columns have not changed
    // since (only nonbasic columns are replaced), so this succeeds.
    auto back_to_start = [&] {
      std::copy(start.basis.begin(), start.basis.end(), BASIS);
      std::copy(start.status.begin(), start.status.end(), STATUS);
      std::copy(start.bascb.begin(), start.bascb.end(), BASCB);
      std::copy(start.baslb.begin(), start.baslb.end(), BASLB);
      std::copy(start.basub.begin(), start.basub.end(), BASUB);
      if (!refactorise(BASIS, COLA, COLI, COLMAX, LENMY, MEMORY))
        return false;
      basic_values(B, BASCB, COLA, COLI, COLMAX, LENMY, MAXM, MAXN, MEMORY,
                   STATUS, XBZERO);
      return true;
    };
    bool solved = attempt(perturbing || always);
    if (!solved && failed_to_solve() && !last_failed && back_to_start()) {
      // A fresh path, without the artificials that may have blocked this
      // one.
      drive_out_artificials(B, BASCB, BASIS, BASUB, BETAR, COLA, COLI, COLMAX,
                            LENMY, MAXM, MAXN, MEMORY, STATUS, XBZERO);
      solved = attempt(true);
    }
    // Whatever the failure (an unbounded or infeasible verdict on a warm
    // solve included), the next iteration starts from the starting basis:
    // a basis left by a failed solve sent CL31 of the classic test set
    // into a run of failed re-solves.
    if (!solved) {
      const int failed = RVNA.TERMIN;
      went_back = back_to_start();
      RVNA.TERMIN = failed;
    }
  }
  // A basis to go back to: one an optimal solve left (freshly factorised),
  // or a sound starting basis put back.
  sound_start = RVNA.TERMIN == kOptimal || went_back;
  last_failed = !first_solve && RVNA.TERMIN != kOptimal;

  // The basic columns were of use in this solve (replacement order).
  gp::master_columns::solved(BASIS, m);

  // 5. Status of the master LP: the engine's code with "unbounded" (2) and
  //    "infeasible" (3) exchanged.
  ITS = RVNA.TERMIN;
  if (ITS == 2)
    ITS = 3;
  else if (ITS == 3)
    ITS = 2;

  // 6. Dumps.
  if (!(ITS == kOptimal && IPRINT == 0)) {
    Line(RVNA.IOERR) << " STATUS VECTOR IS";
    dump_ints(RVNA.IOERR, STATUS, RVNA.N, 20, 3);
    basis_dump(RVNA.IOERR);
    Line(RVNA.IOLOG) << " BASIC VALUES ARE";
    for (int i = 1; i <= m; i += 5) {
      Line line(RVNA.IOLOG);
      line << "     ";
      for (int k = i; k <= m && k < i + 5; ++k) line << io::D(xbzero(k), 12, 4);
    }
    if (ITS != kOptimal && IPRINT != 0) {
      for (int i = 1; i <= m; ++i) {
        int j = basis(i);
        XGETAJ(RVNA.CJ, COLA, COLI, RVNA.COLLEN, COLMAX, RVNA.IOERR, j,
               RVNA.LENMA, LENMY, RVNA.MAPA, MEMORY);
        Line(RVNA.IOERR) << " COLUMN" << io::I(j, 5) << "     NO. NONZEROES="
                         << io::I(RVNA.COLLEN, 5);
        Line(RVNA.IOERR) << "     OBJ. COEFFICIENT=" << io::D(RVNA.CJ, 12, 4);
        Line(RVNA.IOERR) << "     ROW     VALUE";
        for (int k = 1; k <= RVNA.COLLEN; ++k)
          Line(RVNA.IOERR) << "   " << io::I(coli(k), 5)
                           << io::E(cola(k), 12, 4);
      }
      Line(RVNA.IOERR) << " RHS VECTOR IS";
      for (int i = 1; i <= m; i += 5) {
        Line line(RVNA.IOERR);
        line << "     ";
        for (int k = i; k <= m && k < i + 5; ++k) line << io::G(b(k), 12, 3);
      }
    }
  }

  // 7.-9. Objective, column values, row prices.
  //       The engine's costs are reduced by the cost shift t: its optimum
  //       is Z - t.B and its prices u - t, where B and u are those of the
  //       LP as set up (the engine holds them row-shifted).
  double z = RVNA.Z;
  for (int i = 1; i <= m; ++i)
    z += gp::master_columns::shift_value(i) *
         gp::master_columns::original_rhs(i, B);
  VOBJ = -z;
  for (int i = 1; i <= RVNA.N; ++i) psoln(i) = 0.0;
  for (int i = 1; i <= m; ++i) psoln(basis(i)) = xbzero(i);
  std::vector<double> prices(UZERO, UZERO + m);
  gp::master_columns::original_prices(prices.data(), m);
  for (int i = 1; i <= m; ++i)
    dsoln(i) = -(prices[static_cast<std::size_t>(i - 1)] +
                 gp::master_columns::shift_value(i));

  // 10. After the first solve the logical columns (appended last) are no
  //     longer counted, unless one of them is still basic.
  if (ICD == 0) {
    const int first_logical = RVNA.N - m + 1;
    bool logical_basic = false;
    for (int i = 1; i <= m; ++i)
      if (basis(i) >= first_logical) logical_basic = true;
    if (!logical_basic) RVNA.N = RVNA.N - m;
  }

  // 11. Did the basis change?
  IBCH = 0;
  for (int j = 1; j <= m; ++j) {
    if (lastbas(j) != basis(j)) {
      IBCH = 1;
      break;
    }
  }
}
