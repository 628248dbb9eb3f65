// primal_driver.cpp — the two-phase bounded-variable primal simplex.
//
//   XPRIML  driver: phase 1, prices, phase 2 (back to phase 1 when a
//           refactorisation shows lost feasibility), then a final
//           refactorisation and accuracy check.  TERMIN: 1 optimal,
//           2 unbounded (UNBDDQ), 3 infeasible, 4 optimal but residuals
//           above 1.0E-6, 5 abandoned.
//   XFEAS   phase 1: maximises minus the sum of bound violations of the
//           basic variables.  FEAS: 1 feasible, 2 infeasible, 3 abandoned.
//   XPHAS2  phase 2: maximises the objective from a feasible basis.
//           TERMIN 1, 2, 5, or 3 (feasibility lost, run phase 1 again).
//
// Both phases price in windows of LOOK columns (FCAND) into a list of at
// most PICK candidates, then take iterations from the list, re-pricing each
// remaining candidate against the current prices before it is used.  The
// basis is refactorised when more than FACTOR basis changes have been made
// since the last factorisation (FACTIT, carried across the phases).
// 21 consecutive refused pivots abandon a phase; phase 2 is also abandoned
// after 3*FACTOR consecutive iterations without objective progress, phase 1
// after 2000*FACTOR + 100*(M+N) iterations without the sum of violations
// shrinking (degenerate cycling; see phase1_idle_limit).  Before either
// no-progress abandonment the phase first switches to the smallest-index
// rule of lp/anti_stall.h, which cannot cycle, and leaves it again at the
// first progress; only when that mode, too, makes no progress for
// 10*(M+N) + 1000 iterations is the phase abandoned.  (Fault fixed: the
// phases gave up on solvable degenerate LPs.  Runs that never reached a
// no-progress limit are unaffected.)  With PRINT nonzero the switch is
// reported on IOLOG: " XFEAS ...NO PROGRESS: SMALLEST-INDEX RULE" or
// " XPHAS2...NO PROGRESS: SMALLEST-INDEX RULE".
// XPRIML abandons the solve (TERMIN 5, "0XPRIML...PROBLEM ABANDONED:
// FEASIBILITY LOST WITHOUT PROGRESS" on IOERR) when phase 2 has lost
// feasibility more than kMaxIdleReturns times without its objective
// growing by more than ZLC in between, and ("0XPRIML...PROBLEM ABANDONED:
// FEASIBILITY LOST TOO OFTEN") after more than kMaxReturns returns in all.
// (Fault fixed: a basic value that the refactorisation puts a little
// beyond its bound, and phase 1 puts back, sent the solve between the
// phases for ever; CL31 of the classic geometric programming test set hung
// so, first without progress, then with a phase-2 gain just above ZLC
// between returns: 52,000 returns in five minutes of one solve.  The most
// returns a Netlib problem needs are 16, maros.)
// A phase 1 step that no basic variable blocks is impossible in exact
// arithmetic (the phase 1 objective is bounded by 0); it is refused like an
// unsafe pivot, with the line "0XFEAS ...ITERATION" ITER "NO BLOCKING ROW
// Q=" Q "DQ=" DQ on IOERR.  In phase 2 the same refusal applies to a ray
// whose reduced cost is rounding noise (|DQ| <= EPS1 times the sum of the
// magnitudes of the terms of DQ), with the line "0XPHAS2...ITERATION" ...;
// a ray with a larger reduced cost ends the phase as unbounded.
//
// A basis change the factor update finds singular (a pivot above EPS3 made
// of rounding noise in a badly scaled basis) is refused like an unsafe
// pivot ("0XUPDAT...SINGULAR UPDATE REFUSED  Q=" Q "  R=" R on IOERR) and
// the unchanged basis is refactorised.  When a basis cannot be factorised
// because an earlier accepted change already made it singular, the phase
// goes back to the last factorised basis ("0XFACT ...SINGULAR BASIS: BACK
// TO THE LAST FACTORISED BASIS") and for the next FACTOR basis changes
// tries each by a factorisation, undoing one that fails ("0XPIVOT...
// SINGULAR BASIS CHANGE UNDONE").  (Fault fixed: these stopped the
// program.  Runs without such an event follow the same path as before.)
//
// When phase 2 is abandoned for lack of progress, the iteration that
// triggered it has changed the basis; its bookkeeping is completed (counted,
// logged, BASCB and FACTIT updated, prices recomputed) before the listing,
// so the caller gets a consistent basis, costs, statuses and values.

#include <algorithm>
#include <cmath>
#include <vector>

#include "io/one_based.h"
#include "io/record.h"
#include "lp/anti_stall.h"
#include "lp/engine.h"
#include "lp/postopt_support.h"
#include "lp/pricing_pass.h"
#include "lp/workspace.h"

namespace {

// Returns from phase 2 to phase 1 without phase-2 progress in between that
// XPRIML tolerates before it abandons the solve, and returns in all.
constexpr int kMaxIdleReturns = 10;
constexpr int kMaxReturns = 100;

// The limit of a caller's lp::PrimalIterationLimit (0: none) and the
// iterations the two phases of the current XPRIML have carried out.
int iteration_limit = 0;
long long solve_iterations = 0;
bool over_iteration_limit() {
  return iteration_limit > 0 && solve_iterations > iteration_limit;
}

[[noreturn]] void stop_engine(int code, int& IOERR) {
  int error = code;
  XSTOP(error, IOERR);
  io::stop_run(1, "");  // not reached
}

void check_sizes(const char* name, int& M, int& N, int& MAXM, int& MAXN,
                 int& IOERR) {
  if (M < 1 || M > MAXM) {
    io::Line(IOERR) << name << io::X(5) << io::I(M, 5);
    stop_engine(1, IOERR);
  }
  if (N < 1 || N > MAXN) {
    io::Line(IOERR) << name << io::X(5) << io::I(N, 5);
    stop_engine(2, IOERR);
  }
}

// Phase 1 no-progress limit: consecutive carried-out iterations in which
// the sum of violations does not shrink by more than ZLC before phase 1 is
// abandoned.  Degenerate phase 1 stretches are long and then end: on the
// Netlib problems the longest one is 44,597 iterations (forplan, M+N = 740,
// FACTOR = 50), others 24,675 (stocfor2, M+N = 6,345) and 16,818 (25fv47,
// M+N = 3,213).  The limit 2000*FACTOR + 100*(M+N) is 174,000 for forplan
// (3.9 times its stretch) and grows with the problem; only true cycling
// reaches it.
int phase1_idle_limit(int FACTOR, int M, int N) {
  const long long limit = 2000LL * FACTOR + 100LL * (static_cast<long long>(M) + N);
  return limit > 2000000000LL ? 2000000000 : static_cast<int>(limit);
}

// One more idle iteration beyond the phase's no-progress limit: the
// anti-stalling mode goes on (reported when it starts) or, idle for its own
// limit, gives up (false).
bool keep_going(lp::AntiStall& stall, int PRINT, int IOLOG, const char* name) {
  const bool starting = !stall.active();
  if (!stall.keep_going()) return false;
  if (starting && PRINT != 0)
    io::Line(IOLOG) << name << "...NO PROGRESS: SMALLEST-INDEX RULE";
  return true;
}

// The last basis the package factorised, for the way back from a basis
// that has become singular.  Updates accept a basis change when the pivot
// they compute passes the absolute test; with a badly scaled basis that
// pivot can be rounding noise, and the new basis is then singular although
// the updated factors do not show it.  Only a later update (-6) or
// refactorisation (-5) finds out.  One record per process, like the
// engine's other records; it belongs to the LP held in MEMORY with M rows
// and N columns.
struct LastFactorised {
  double* MEMORY = nullptr;
  int M = 0, N = 0;
  // Careful mode, once the way back has been taken in the current XPRIML:
  // every basis change is tried by a factorisation, for the next FACTOR
  // basis changes (CAREFUL_CHANGES counts them).  Kept on for the rest of
  // the solve, it made each iteration of a long phase 1 cost a
  // factorisation of a dense basis (CL31 of the classic GP test set: more
  // than 100,000 such iterations in one solve, ten minutes without end).
  bool careful = false;
  int careful_changes = 0;
  std::vector<int> BASIS, STATUS;
  std::vector<double> BASCB, BASLB, BASUB;
};
LastFactorised last_factorised;

// The state one phase works on: the caller's arguments (by reference) and
// the phase's own pricing window, candidate list and rejection counter.
struct Phase {
  double* B;
  double* BASCB;
  int* BASIS;
  double* BASLB;
  double* BASUB;
  int& BNDTYP;
  double& BOUND;
  int* CAND;
  double* CANDA;
  double* CANDCJ;
  int* CANDI;
  int* CANDL;
  double* COLA;
  int* COLI;
  int& COLMAX;
  int& FACTIT;
  int& FACTOR;
  int& IOERR;
  int& IOLOG;
  int& ITER;
  int& LENMA;
  int& LENMI;
  int& LENMY;
  int& LOOK;
  int& M;
  int* MAPA;
  int* MAPI;
  int& MAXM;
  int& MAXN;
  double* MEMORY;
  int& N;
  int& NTYPE2;
  int& PICK;
  int& PRINT;
  int* STATUS;
  double* UZERO;
  double* XBZERO;
  double* YQ;
  double& Z;

  int PHASE = 1;
  int START1 = 1;
  int SAVELK = 0;
  int NREJ = 0;
  int PPRIME = 0;

  // Packed store, located once per phase.
  float* PROFIT = nullptr;
  float* ACOEFF = nullptr;
  int* COLPNT = nullptr;
  int* ROWNOS = nullptr;
  int* MAXA = nullptr;

  // The iteration's values.
  int Q = 0, INTYP = 0, R = 0, OUTTYP = 0, LEAVE = 0, PCODE = 0;
  double DQ = 0.0, LQ = 0.0, UQ = 0.0, THETA = 0.0, PIVOT = 0.0;
  bool UNBDD = false;

  // BACKTR tells the phase loop that the basis went back to the last
  // factorised one.
  bool BACKTR = false;

  void begin(int phase) {
    if (FACTIT == 0) remember_basis();
    PHASE = phase;
    ITER = 0;
    NREJ = 0;
    SAVELK = LOOK;
    START1 = 1;
    PPRIME = 0;
    io::F1<int> mapa(MAPA);
    PROFIT = lp::f32_slice(MEMORY, mapa(3));
    ACOEFF = lp::f32_slice(MEMORY, mapa(4));
    COLPNT = lp::i32_slice(MEMORY, mapa(5));
    ROWNOS = lp::i32_slice(MEMORY, mapa(6));
    MAXA = lp::i32_slice(MEMORY, mapa(7));
  }

  // Pricing pass: windows from START1 until the list is not empty (true)
  // or every column has been scanned since the pass began (false).
  bool pricing_pass() {
    const int SAVE = START1;
    LOOK = SAVELK;
    int START2 = 0;
    for (;;) {
      FCAND(BASIS, CAND, CANDA, CANDCJ, CANDI, CANDL, COLA, COLI, COLMAX,
            IOERR, LENMA, LENMY, LOOK, M, MAPA, MAXM, MAXN, MEMORY, N, PICK,
            PHASE, PPRIME, START1, START2, STATUS, UZERO, PROFIT, ACOEFF,
            COLPNT, ROWNOS, *MAXA);
      const int WSTART = START1;
      START1 = lp::next_window_start(START2, N);
      if (PPRIME > 0) return true;
      if (!lp::continue_pass(START1, LOOK, START2, WSTART, SAVE)) return false;
    }
  }

  // First list position still attractive against the current prices
  // (sets DQ), or 0.
  int next_candidate() {
    io::F2<double> canda(CANDA, COLMAX);
    io::F2<int> candi(CANDI, COLMAX);
    const double ZLC = RVNCOM.ZLC;
    for (int k = 1; k <= PPRIME; ++k) {
      const int q = CAND[k - 1];
      if (q == 0) continue;
      double dot = 0.0;
      XDOT(canda.column(k), candi.column(k), CANDL[k - 1], COLMAX, MAXM,
           UZERO, dot);
      double dq = (PHASE == 2) ? CANDCJ[k - 1] - dot : -dot;
      if (std::fabs(dq) < ZLC) dq = 0.0;
      const int s = STATUS[q - 1];
      if ((dq > 0.0 && s == 0) || (dq < 0.0 && s == -1)) {
        DQ = dq;
        return k;
      }
    }
    return 0;
  }

  // The anti-stalling mode's entering column, fetched into list position
  // 1 (DQ set); 0 when no column is attractive.
  int bland_candidate(lp::AntiStall& stall) {
    PPRIME = 0;
    int q = stall.choose(PHASE, N, STATUS, UZERO, PROFIT, ACOEFF, COLPNT,
                         ROWNOS, NREJ, DQ);
    if (q == 0) return 0;
    CAND[0] = q;
    PPRIME = 1;
    XGETAJ(CANDCJ[0], CANDA, CANDI, CANDL[0], COLMAX, IOERR, q, LENMA, LENMY,
           MAPA, MEMORY);
    return 1;
  }

  // Steps 2-4 of an iteration with list position k: scatter the column,
  // its bounds, the pivot (smallest-index leaving row when BLAND).
  void enter(int k, bool bland = false) {
    Q = CAND[k - 1];
    io::F1<double> yq(YQ);
    for (int i = 1; i <= M; ++i) yq(i) = 0.0;
    const double* a = CANDA + static_cast<long>(k - 1) * COLMAX;
    const int* rows = CANDI + static_cast<long>(k - 1) * COLMAX;
    for (int e = 0; e < CANDL[k - 1]; ++e) {
      const int r = rows[e];
      if (r <= M) yq(r) = a[e];  // rows beyond M hold only filler zeros
    }
    const double BIG = RVNCOM.BIG;
    if (BNDTYP == 2) {
      LQ = 0.0;
      UQ = (Q > NTYPE2) ? BIG : BOUND;
    } else if (BNDTYP == 3 || BNDTYP == 4) {
      XGETUB(BNDTYP, IOERR, Q, LENMA, LENMY, LQ, MAPA, MEMORY, UQ);
    } else {
      LQ = 0.0;
      UQ = BIG;
    }
    INTYP = (DQ < 0.0) ? -1 : 1;
    auto pivot = bland ? lp::bland_pivot : XPIVOT;
    pivot(BASIS, BASLB, BASUB, DQ, INTYP, IOERR, LEAVE, LENMI, LENMY, LQ, M,
           MAPI, MAXM, MAXN, MEMORY, N, OUTTYP, PCODE, PIVOT, Q, R, STATUS,
           THETA, UNBDD, UQ, XBZERO, YQ, Z);
    if (PCODE == lp::kSingularUpdate)
      recover();
    else if (last_factorised.careful && PCODE == 1 && !UNBDD && OUTTYP != 0)
      check_change(k);
  }

  // A step that no basic variable blocks, refused as rounding noise.
  void no_blocking_line(const char* head) {
    io::Line(IOERR) << "0" << head << io::I(ITER, 5) << io::X(5)
                    << "NO BLOCKING ROW  Q=" << io::I(Q, 5) << io::X(5)
                    << "DQ=" << io::D(DQ, 16, 8);
  }

  void reject_line(const char* head) {
    io::Line(IOERR) << "0" << head << io::I(ITER, 5) << io::X(5)
                           << "PIVOT REJECTED  Q=" << io::I(Q, 5) << io::X(5)
                           << "PIVOT=" << io::D(PIVOT, 16, 8);
  }

  // Steps 8-9 after a carried-out pivot from list position k: count, log,
  // basic cost, refactorisation count.  Returns true when the basis is to
  // be refactorised now.
  bool record_iteration(int k) {
    CAND[k - 1] = 0;
    ++ITER;
    ++solve_iterations;
    if (PRINT == 3)
      XLOG(DQ, INTYP, IOLOG, ITER, LEAVE, OUTTYP, PIVOT, Q, R, THETA, Z);
    if (OUTTYP == 0) return false;
    BASCB[R - 1] = CANDCJ[k - 1];
    ++FACTIT;
    return FACTIT > FACTOR;
  }

  // Keeps the basis just factorised as the way back.
  void remember_basis() {
    LastFactorised& l = last_factorised;
    if (l.MEMORY != MEMORY || l.M != M || l.N != N) l.careful = false;
    l.MEMORY = MEMORY;
    l.M = M;
    l.N = N;
    l.BASIS.assign(BASIS, BASIS + M);
    l.STATUS.assign(STATUS, STATUS + N);
    l.BASCB.assign(BASCB, BASCB + M);
    l.BASLB.assign(BASLB, BASLB + M);
    l.BASUB.assign(BASUB, BASUB + M);
  }

  // A basis change refused as singular by the factor update: the basis is
  // unchanged, the factors are not usable.  The basis is refactorised (or,
  // when it cannot be, replaced by the last factorised one) and the
  // candidate counts as a refused pivot (PCODE = -1).
  void recover() {
    PCODE = -1;
    double ZNEW = Z;
    refactorise(ZNEW);
    if (PHASE == 2) Z = ZNEW;
  }

  // In careful mode every basis change (entering column from list
  // position k) is tried by a factorisation, whose fresh factors then
  // replace the updated ones; a change that makes the basis singular is
  // undone and refused (PCODE = -1).
  void check_change(int k) {
    if (lp::factorise(BASIS, COLA, COLI, COLMAX, IOERR, LENMA, LENMY, M, MAPA,
                      MAPI, MEMORY) >= 0.0) {
      remember_basis();
      last_factorised.BASCB[R - 1] = CANDCJ[k - 1];
      if (++last_factorised.careful_changes >= FACTOR)
        last_factorised.careful = false;
      return;
    }
    io::Line(IOERR) << "0XPIVOT...SINGULAR BASIS CHANGE UNDONE  Q="
                    << io::I(Q, 6) << "  R=" << io::I(R, 6);
    double ZNEW = Z;
    restore_basis(ZNEW);
    if (PHASE == 2) Z = ZNEW;
    PCODE = -1;
  }

  // The current basis could not be factorised (G < 0, package report
  // written).  Back to the last factorised basis, refactorised, with fresh
  // values, careful mode on and BACKTR set; when there is no such basis
  // (or it is the one that failed) the program stops as XFACT does.
  void back_or_stop(double G, double& ZNEW) {
    LastFactorised& l = last_factorised;
    const bool known = l.MEMORY == MEMORY && l.M == M && l.N == N &&
                       !std::equal(l.BASIS.begin(), l.BASIS.end(), BASIS);
    if (!known) {
      io::Line(IOERR) << " XFACT ...ERROR RETURN FROM LA05A...G="
                      << io::F(G, 10, 2);
      stop_engine(0, IOERR);
    }
    io::Line(IOERR) << "0XFACT ...SINGULAR BASIS: BACK TO THE LAST"
                    << " FACTORISED BASIS";
    l.careful = true;
    l.careful_changes = 0;
    BACKTR = true;
    restore_basis(ZNEW);
  }

  // Back to the last factorised basis with fresh factors and values.
  void restore_basis(double& ZNEW) {
    const LastFactorised& l = last_factorised;
    std::copy(l.BASIS.begin(), l.BASIS.end(), BASIS);
    std::copy(l.STATUS.begin(), l.STATUS.end(), STATUS);
    std::copy(l.BASCB.begin(), l.BASCB.end(), BASCB);
    std::copy(l.BASLB.begin(), l.BASLB.end(), BASLB);
    std::copy(l.BASUB.begin(), l.BASUB.end(), BASUB);
    refactorise(ZNEW);
  }

  // Fresh factors and basic values; the objective from the values goes to
  // ZNEW.  A basis that cannot be factorised (an earlier change made it
  // singular) is replaced by the last factorised one (back_or_stop).
  void refactorise(double& ZNEW) {
    const double G = lp::factorise(BASIS, COLA, COLI, COLMAX, IOERR, LENMA,
                                   LENMY, M, MAPA, MAPI, MEMORY);
    if (G < 0.0) {
      back_or_stop(G, ZNEW);
      return;
    }
    FACTIT = 0;
    remember_basis();
    XBCOMP(B, BASCB, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMI,
           LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, STATUS, XBZERO, ZNEW);
  }

  // Phase 2 prices: UZERO = BASCB B^-1.
  void prices() {
    for (int i = 0; i < M; ++i) UZERO[i] = BASCB[i];
    XBTRAN(IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY, UZERO);
  }
};

}  // namespace

// XFEAS: phase 1.  Precondition: current factors and basic values.
//   Out: FEAS (1 feasible, 2 infeasible, 3 abandoned), ITER, Z (minus the
//   sum of violations), UZERO (phase 1 prices); LOOK restored.
void XFEAS(double* B, double* BASCB, int* BASIS, double* BASLB, double* BASUB,
           int& BNDTYP, double& BOUND, int* CAND, double* CANDA,
           double* CANDCJ, int* CANDI, int* CANDL, double* COLA, int* COLI,
           int& COLMAX, int& FACTIT, int& FACTOR, int& FEAS, int& IOERR,
           int& IOLOG, int& ITER, int& LENMA, int& LENMI, int& LENMY,
           int& LOOK, int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
           double* MEMORY, int& N, int& NTYPE2, int& PICK, int& PRINT,
           int* STATUS, double* UZERO, double* XBZERO, double* YQ,
           double& Z) {
  check_sizes(" XFEAS ", M, N, MAXM, MAXN, IOERR);
  Phase p{B,     BASCB, BASIS, BASLB,  BASUB, BNDTYP, BOUND,  CAND,
          CANDA, CANDCJ, CANDI, CANDL, COLA,  COLI,   COLMAX, FACTIT,
          FACTOR, IOERR, IOLOG, ITER,  LENMA, LENMI,  LENMY,  LOOK,
          M,     MAPA,  MAPI,  MAXM,   MAXN,  MEMORY, N,      NTYPE2,
          PICK,  PRINT, STATUS, UZERO, XBZERO, YQ,    Z};
  p.begin(1);
  io::F1<double> uzero(UZERO), xbzero(XBZERO), baslb(BASLB), basub(BASUB);
  io::F1<int> basis(BASIS);
  const double ZLC = RVNCOM.ZLC;
  bool first = true;
  int IDLE = 0;
  double ZOLD = 0.0;
  lp::AntiStall stall(M, N);

  for (;;) {
    // 2. Violations and the phase 1 costs.
    Z = 0.0;
    int count = 0;
    const double TOLF = lp::feasibility_tolerance();
    for (int i = 1; i <= M; ++i) {
      uzero(i) = 0.0;
      if (xbzero(i) - baslb(i) < -TOLF) {
        uzero(i) = 1.0;
        Z += xbzero(i) - baslb(i);
        ++count;
      } else if (xbzero(i) - basub(i) > TOLF) {
        uzero(i) = -1.0;
        Z += basub(i) - xbzero(i);
        ++count;
      }
    }
    // 3. Feasible.
    if (count == 0) {
      FEAS = 1;
      if (PRINT != 0)
        io::Line(IOLOG) << " XFEAS...FEASIBLE SOLUTION FOUND.";
      LOOK = p.SAVELK;
      return;
    }
    // Progress test after each carried-out iteration: the sum of
    // violations must shrink by more than ZLC within IDLMAX iterations,
    // else degenerate cycling is assumed and the phase is abandoned.
    if (first) {
      ZOLD = Z;
    } else if (Z - ZOLD > ZLC) {
      IDLE = 0;
      ZOLD = Z;
      if (stall.leave()) p.PPRIME = 0;
    } else if (++IDLE >= phase1_idle_limit(FACTOR, M, N) &&
               !keep_going(stall, PRINT, IOLOG, " XFEAS ")) {
      io::Line(IOERR) << "0XFEAS ...PROBLEM ABANDONED:"
                      << " SUM OF INFEASIBILITIES NOT CHANGING";
      FEAS = 3;
      LOOK = p.SAVELK;
      return;
    }
    if (over_iteration_limit()) {
      io::Line(IOERR) << "0XFEAS ...PROBLEM ABANDONED: ITERATION LIMIT";
      FEAS = 3;
      LOOK = p.SAVELK;
      return;
    }
    // 4. Phase 1 prices.
    XBTRAN(IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY, UZERO);

    // 5. Candidate loop (a pricing pass first on entry).
    bool nothing = false;
    if (first) {
      first = false;
      nothing = !p.pricing_pass();
    }
    bool pivoted = false;
    while (!nothing && !pivoted) {
      const int k =
          stall.active() ? p.bland_candidate(stall) : p.next_candidate();
      if (k == 0) {
        nothing = stall.active() || !p.pricing_pass();
        continue;
      }
      p.enter(k, stall.active());
      if (p.BACKTR) {
        // Back at the last factorised basis: violations, prices and the
        // candidate list start afresh.
        p.BACKTR = false;
        first = true;
        pivoted = true;
        continue;
      }
      if (p.UNBDD || p.PCODE != 1) {
        // A step that no basic variable blocks cannot exist in phase 1
        // (its objective is bounded above by 0): it comes from a reduced
        // cost made of rounding noise.  It is refused like an unsafe pivot
        // and counts towards the same limit.
        if (++p.NREJ <= 20) {
          if (p.UNBDD)
            p.no_blocking_line("XFEAS ...ITERATION");
          else
            p.reject_line("XFEAS ...ITERATION");
          CAND[k - 1] = 0;
          continue;
        }
        io::Line(IOERR)
            << "0XFEAS ...PROBLEM ABANDONED: TOO MANY REJECTED PIVOTS";
        FEAS = 3;
        LOOK = p.SAVELK;
        return;
      }
      p.NREJ = 0;
      if (p.record_iteration(k)) {
        double discard = 0.0;
        p.refactorise(discard);
        if (p.BACKTR) {  // back at the last factorised basis
          p.BACKTR = false;
          first = true;
        }
        if (PRINT == 2)
          io::Line(IOLOG) << " ITERATION=" << io::I(ITER, 6) << io::X(5)
                                 << "PHASE 1 OBJECTIVE=" << io::D(Z, 16, 8);
      }
      pivoted = true;
    }
    if (pivoted) continue;

    // 6. No attractive column: infeasible.
    FEAS = 2;
    if (PRINT != 0) {
      io::Line(IOLOG) << " XFEAS...PROBLEM IS INFEASIBLE.";
      for (int i = 1; i <= M; ++i) {
        if (xbzero(i) < baslb(i) || xbzero(i) > basub(i))
          io::Line(IOLOG)
              << " VARIABLE" << io::I(basis(i), 5) << "  LOWER BOUND="
              << io::D(baslb(i), 13, 6) << "  VALUE=" << io::D(xbzero(i), 13, 6)
              << "  UPPER BOUND=" << io::D(basub(i), 13, 6);
      }
    }
    LOOK = p.SAVELK;
    return;
  }
}

// XPHAS2: phase 2.  Precondition: a feasible basis, Z the objective, UZERO
// the prices.
//   Out: TERMIN (1 optimal, 2 unbounded with UNBDDQ, 3 feasibility lost,
//   5 abandoned), ITER, Z, UZERO; LOOK restored.
void XPHAS2(double* B, double* BASCB, int* BASIS, double* BASLB,
            double* BASUB, int& BNDTYP, double& BOUND, int* CAND,
            double* CANDA, double* CANDCJ, int* CANDI, int* CANDL,
            double* COLA, int* COLI, int& COLMAX, int& FACTIT, int& FACTOR,
            int& IOERR, int& IOLOG, int& ITER, int& LENMA, int& LENMI,
            int& LENMY, int& LOOK, int& M, int* MAPA, int* MAPI, int& MAXM,
            int& MAXN, double* MEMORY, int& N, int& NTYPE2, int& PICK,
            int& PRINT, int* STATUS, int& TERMIN, int& UNBDDQ, double* UZERO,
            double* XBZERO, double* YQ, double& Z) {
  check_sizes(" XPHAS2", M, N, MAXM, MAXN, IOERR);
  Phase p{B,     BASCB, BASIS, BASLB,  BASUB, BNDTYP, BOUND,  CAND,
          CANDA, CANDCJ, CANDI, CANDL, COLA,  COLI,   COLMAX, FACTIT,
          FACTOR, IOERR, IOLOG, ITER,  LENMA, LENMI,  LENMY,  LOOK,
          M,     MAPA,  MAPI,  MAXM,   MAXN,  MEMORY, N,      NTYPE2,
          PICK,  PRINT, STATUS, UZERO, XBZERO, YQ,    Z};
  p.begin(2);
  const lp::PhaseTwoRunning phase_two;
  io::F1<double> xbzero(XBZERO), baslb(BASLB), basub(BASUB);
  io::F1<int> basis(BASIS);
  const double ZLC = RVNCOM.ZLC;
  int IDLE = 0;
  double ZOLD = Z;
  lp::AntiStall stall(M, N);

  auto abandon = [&]() {
    XPRINT(BASIS, BNDTYP, BOUND, IOERR, IOLOG, LENMA, LENMY, M, MAPA, MAXM,
           MAXN, MEMORY, N, NTYPE2, STATUS, XBZERO, Z);
    io::Line(IOLOG) << "0*****WARNING...THE ABOVE SOLUTION IS NOT OPTIMAL";
    TERMIN = 5;
    LOOK = p.SAVELK;
  };

  // |DQ| <= EPS1 * (|c(q)| + sum |u(i) a(i,q)|) for list position k.
  auto ray_is_noise = [&](int k) {
    io::F2<double> canda(CANDA, COLMAX);
    io::F2<int> candi(CANDI, COLMAX);
    double size = std::fabs(CANDCJ[k - 1]);
    for (int e = 1; e <= CANDL[k - 1]; ++e) {
      const int row = candi(e, k);
      if (row >= 1 && row <= M) size += std::fabs(canda(e, k) * UZERO[row - 1]);
    }
    return std::fabs(p.DQ) <= RVNCOM.EPS1 * size;
  };

  bool any = p.pricing_pass();
  for (;;) {
    int k = 0;
    if (stall.active()) {
      k = p.bland_candidate(stall);
      any = (k != 0);
    } else if (any) {
      k = p.next_candidate();
    }
    if (k == 0) {
      if (any) {
        any = p.pricing_pass();
        continue;
      }
      // Nothing attractive anywhere: optimal.
      TERMIN = 1;
      if (PRINT != 0)
        io::Line(IOLOG) << " PHASE 2... OPTIMAL SOLUTION FOUND.";
      LOOK = p.SAVELK;
      return;
    }
    p.enter(k, stall.active());
    if (p.BACKTR) {
      // Back at the last factorised basis: fresh prices and candidates.
      p.BACKTR = false;
      ZOLD = Z;
      IDLE = 0;
      p.prices();
      any = p.pricing_pass();
      continue;
    }
    if (p.UNBDD) {
      // A ray whose reduced cost is at the level of rounding noise, below
      // EPS1 relative to the terms it is made of (typically a free variable
      // split into two columns, one basic, the other entering the zero-cost
      // direction along which both grow), is not evidence of unboundedness:
      // the candidate is refused like an unsafe pivot.
      if (ray_is_noise(k)) {
        if (++p.NREJ <= 20) {
          p.no_blocking_line("XPHAS2...ITERATION");
          CAND[k - 1] = 0;
          continue;
        }
        io::Line(IOERR)
            << "0XPHAS2...PROBLEM ABANDONED: TOO MANY REJECTED PIVOTS";
        abandon();
        return;
      }
      TERMIN = 2;
      UNBDDQ = p.Q;
      if (PRINT != 0)
        io::Line(IOLOG) << " PHASE 2...PROBLEM IS UNBOUNDED." << io::X(5)
                               << "( VARIABLE " << io::I(p.Q, 6) << ")";
      LOOK = p.SAVELK;
      return;
    }
    if (p.PCODE != 1) {
      if (++p.NREJ <= 20) {
        p.reject_line("XPHAS2...ITERATION");
        CAND[k - 1] = 0;
        continue;
      }
      io::Line(IOERR)
          << "0XPHAS2...PROBLEM ABANDONED: TOO MANY REJECTED PIVOTS";
      abandon();
      return;
    }
    p.NREJ = 0;

    // Progress test.
    bool stalled = false;
    if (Z - ZOLD > ZLC) {
      IDLE = 0;
      ZOLD = Z;
      if (stall.leave()) p.PPRIME = 0;
    } else if (++IDLE >= 3 * FACTOR) {
      stalled = !keep_going(stall, PRINT, IOLOG, " XPHAS2");
    }
    const bool refactor = p.record_iteration(k);
    if (stalled || over_iteration_limit()) {
      // The step has been taken: leave consistent prices with the basis.
      if (p.OUTTYP != 0) p.prices();
      if (stalled)
        io::Line(IOERR) << "0XPHAS2...PROBLEM ABANDONED:"
                        << " OBJECTIVE FUNCTION NOT CHANGING";
      else
        io::Line(IOERR) << "0XPHAS2...PROBLEM ABANDONED: ITERATION LIMIT";
      abandon();
      return;
    }
    if (refactor) {
      p.refactorise(Z);
      if (p.BACKTR) {
        // Back at the last factorised basis: fresh prices and candidates.
        p.BACKTR = false;
        ZOLD = Z;
        IDLE = 0;
        p.prices();
        any = p.pricing_pass();
        continue;
      }
      bool lost = false;
      const double TOLF = lp::phase_two_drift();
      for (int i = 1; i <= M; ++i) {
        if (xbzero(i) - baslb(i) < -TOLF || xbzero(i) - basub(i) > TOLF) {
          io::Line(IOERR)
              << "0XPHAS2...VARIABLE" << io::I(basis(i), 6) << io::X(3)
              << "IS OUT OF BOUNDS" << io::X(3) << io::D(baslb(i), 16, 8)
              << io::D(xbzero(i), 16, 8) << io::D(basub(i), 16, 8);
          lost = true;
        }
      }
      if (lost) {
        io::Line(IOERR)
            << "0XPHAS2...PRIMAL FEASIBILITY LOST...RETURN TO PHASE 1";
        LOOK = p.SAVELK;
        TERMIN = 3;
        return;
      }
      if (PRINT == 2)
        io::Line(IOLOG) << " ITERATION=" << io::I(ITER, 6) << io::X(5)
                               << "PHASE 2 OBJECTIVE=" << io::D(Z, 16, 8);
    }
    if (p.OUTTYP != 0) p.prices();
  }
}

// XPRIML: two-phase primal simplex from the basis in place.
//   Precondition: factors and basic values current (XSLACK or an earlier
//   solve); BASCB, BASLB, BASUB of the basic columns.
//   Out: TERMIN, Z (maximisation form), BASIS, XBZERO, UZERO (after
//   TERMIN 1 or 4: BASCB B^-1 from a fresh factorisation), STATUS, ITER1,
//   ITER2, UNBDDQ (TERMIN 2).  UZERO(M+1..MAXM), the prices of rows that
//   only filler entries name, are set to 0.
//   Fails: M outside 1..MAXM (code 1), N outside 1..MAXN (code 2).
void XPRIML(double* B, double* BASCB, int* BASIS, double* BASLB,
            double* BASUB, int& BNDTYP, double& BOUND, int* CAND,
            double* CANDA, double* CANDCJ, int* CANDI, int* CANDL,
            double* COLA, int* COLI, int& COLMAX, int& FACTOR, int& IOERR,
            int& IOLOG, int& ITER1, int& ITER2, int& LENMA, int& LENMI,
            int& LENMY, int& LOOK, int& M, int* MAPA, int* MAPI, int& MAXM,
            int& MAXN, double* MEMORY, int& N, int& NTYPE2, int& PICK,
            int& PRINT, int* STATUS, int& TERMIN, int& UNBDDQ, double* UZERO,
            double* XBZERO, double* YQ, double& Z) {
  check_sizes(" XPRIML", M, N, MAXM, MAXN, IOERR);
  for (int i = M + 1; i <= MAXM; ++i) UZERO[i - 1] = 0.0;
  ITER1 = ITER2 = 0;
  int FACTIT = 0;
  int FEAS = 0;
  last_factorised.careful = false;
  solve_iterations = 0;
  int idle_returns = 0;  // returns to phase 1 since phase 2 last progressed
  int returns = 0;       // returns to phase 1 in all
  double z_at_return = 0.0;

  for (;;) {
    // 3. Phase 1.
    XFEAS(B, BASCB, BASIS, BASLB, BASUB, BNDTYP, BOUND, CAND, CANDA, CANDCJ,
          CANDI, CANDL, COLA, COLI, COLMAX, FACTIT, FACTOR, FEAS, IOERR, IOLOG,
          ITER1, LENMA, LENMI, LENMY, LOOK, M, MAPA, MAPI, MAXM, MAXN, MEMORY,
          N, NTYPE2, PICK, PRINT, STATUS, UZERO, XBZERO, YQ, Z);
    if (FEAS == 2) {
      TERMIN = 3;
      return;
    }
    if (FEAS == 3) {
      TERMIN = 5;
      return;
    }
    // 4. Objective and prices.
    XZCOMP(BASCB, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMY, M,
           MAPA, MAXM, MAXN, MEMORY, N, STATUS, XBZERO, Z);
    for (int i = 0; i < M; ++i) UZERO[i] = BASCB[i];
    XBTRAN(IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY, UZERO);
    // 5. Phase 2.
    XPHAS2(B, BASCB, BASIS, BASLB, BASUB, BNDTYP, BOUND, CAND, CANDA, CANDCJ,
           CANDI, CANDL, COLA, COLI, COLMAX, FACTIT, FACTOR, IOERR, IOLOG,
           ITER2, LENMA, LENMI, LENMY, LOOK, M, MAPA, MAPI, MAXM, MAXN, MEMORY,
           N, NTYPE2, PICK, PRINT, STATUS, TERMIN, UNBDDQ, UZERO, XBZERO, YQ,
           Z);
    if (TERMIN == 2 || TERMIN == 5) return;
    if (TERMIN != 3) break;
    // Feasibility lost: back to phase 1, unless the last kMaxIdleReturns
    // returns came without phase-2 progress in between.
    if (++idle_returns > 1 && Z - z_at_return > RVNCOM.ZLC) idle_returns = 1;
    z_at_return = Z;
    if (idle_returns > kMaxIdleReturns) {
      io::Line(IOERR) << "0XPRIML...PROBLEM ABANDONED:"
                      << " FEASIBILITY LOST WITHOUT PROGRESS";
      TERMIN = 5;
      return;
    }
    if (++returns > kMaxReturns) {
      io::Line(IOERR) << "0XPRIML...PROBLEM ABANDONED:"
                      << " FEASIBILITY LOST TOO OFTEN";
      TERMIN = 5;
      return;
    }
  }

  // 6. Optimal: fresh factors, values, prices, accuracy check.
  lp::postopt::refresh(B, BASCB, BASIS, BASLB, BASUB, BNDTYP, BOUND, COLA, COLI,
                       COLMAX, IOERR, LENMA, LENMI, LENMY, M, MAPA, MAPI, MAXM,
                       MAXN, MEMORY, N, STATUS, UZERO, XBZERO, Z);
  if (!lp::postopt::accurate(B, BASCB, BASIS, BNDTYP, BOUND, COLA, COLI,
                             COLMAX, IOERR, LENMA, LENMI, LENMY, M, MAPA, MAPI,
                             MAXM, MAXN, MEMORY, N, STATUS, UZERO, YQ, XBZERO,
                             Z)) {
    TERMIN = 4;
  }
}

namespace lp {
PrimalIterationLimit::PrimalIterationLimit(int limit)
    : previous_(iteration_limit) {
  iteration_limit = limit > 0 ? limit : 0;
}
PrimalIterationLimit::~PrimalIterationLimit() { iteration_limit = previous_; }
}  // namespace lp
