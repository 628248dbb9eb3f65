// main_iteration.cpp — POSY, the geometric programming solver.
//
// Sizes and allocates the master LP, builds and solves the initial master
// problem, then iterates: test the current point (constraints, convergence,
// bounds); add one column per violated multi-term constraint and one for the
// objective while its gap exceeds RGAP, each at the grid point of the
// posynomial's term shares; re-solve from the previous basis; recover the new
// point; report every FRQREP iterations.  Ends on one of five paths and writes
// the final report (not after a failed initial master problem).
//
// Choices beyond the plain method:
// - Sizes are computed in 64-bit arithmetic; any that does not fit a 32-bit
//   integer, storage that cannot be allocated, or an engine workspace larger
//   than the machine's physical memory stops the run with "Not enough
//   storage for data; aborting..." (exit status 1).
// - A report iteration abandoned through an LP failure still advances the
//   report schedule, so later iterations go on being reported.
// - An LP failure during the loop leaves the column values and row prices of
//   the last successful solve in place (the final report is built from them).
//   Once 50 of the last 100 re-solves have failed (after a failure the
//   point, and so the columns added, do not change) the solve ends on the
//   cannot-be-met path.
// - A column that could not be stored (no replaceable column) is not counted
//   as generated in this iteration; neither is a grid point whose shares are
//   not finite (a primal point that overflowed): it would put NaN into the
//   master LP.  With no column the solve ends on the cannot-be-met path.
// - After the cannot-be-met and iteration-limit messages, a point that
//   violates a constraint or a bound by more than ALLOW is flagged as not
//   feasible (with its largest violations) before the final report.
// - A re-solve that leaves the basis unchanged while the gap is still above
//   RGAP first re-centres the stored costs on the current prices (once per
//   stall, at most 20 times a run) and goes on; only a second stall in a row
//   takes the cannot-be-met path.  An iteration with nothing to add (only a
//   bound, a monomial constraint or a monomial objective holds the point
//   back, whose stored columns' rounding may be all that is left) re-solves
//   the LP with re-centred costs under the same rule, and the next
//   iteration tests the new point.
// - The costs are also re-centred, without a stall and without limit, once
//   the 32-bit rounding of the basic costs could reach a hundredth of the
//   gap (or of the largest constraint violation, where that is larger).
// - The orthogonality rows are shifted by the basic objective column of
//   largest weight once the basic objective columns' stored entries exceed
//   their spread 16 times over (gp/master_columns.h): the same LP, stored
//   so that the 32-bit rounding hits the columns' differences.
// - Once the store is full, REPC replaces the least recently used column
//   (gp/master_columns.h).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "gp/master_columns.h"
#include "gp/master_perturbation.h"
#include "gp/report_line.h"
#include "gp/solver.h"
#include "gp/termination.h"
#include "io/one_based.h"
#include "io/units.h"
#include "lp/workspace.h"

#if __has_include(<unistd.h>)
#include <unistd.h>
#endif

using gp::Ending;
using gp::kReport;
using gp::Line;

namespace {

constexpr const char* kNoStorage = "Not enough storage for data; aborting...";

[[noreturn]] void no_storage() { io::stop_run(1, kNoStorage); }

// A size as a 32-bit integer, or the storage stop.
int fit32(std::int64_t v) {
  if (v < 0 || v > INT_MAX) no_storage();
  return static_cast<int>(v);
}

// Physical memory of the machine in bytes (0 when unknown).  The engine
// workspace is zero-filled as soon as it is mapped, so a workspace larger
// than the machine would not fail its allocation (memory is overcommitted)
// but be killed while being filled: refuse it with the storage message.
std::int64_t physical_memory() {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page = sysconf(_SC_PAGESIZE);
  if (pages > 0 && page > 0) return std::int64_t{pages} * page;
#endif
  return 0;
}

template <typename T>
void allocate(std::vector<T>& v, std::int64_t n) {
  try {
    v.assign(static_cast<size_t>(n < 1 ? 1 : n), T{});
  } catch (const std::bad_alloc&) {
    no_storage();
  } catch (const std::length_error&) {
    no_storage();
  }
}

void rho_line(const double* rho, int k0, int k1) {
  Line(kReport) << " RHO VALUES FOR THE GRID POINT";
  for (int k = k0; k <= k1; k += 5) {
    Line line(kReport);
    line << " ";
    for (int kk = k; kk <= k1 && kk < k + 5; ++kk)
      line << io::E(rho[kk - 1], 16, 8);
  }
}

}  // namespace

void POSY(int& NVAR, int& MCON, int& KTTOT, int& NLB, int& NUB, double* C,
          double* A, int* KT, int* FTERM, int* LTERM, int* IDVAR, int* NAPP,
          double* SLB, double* SUB, int& ITMAX, int& FRQREP, int& IPRINT,
          int& IPRG, int& IPRX, double& ALLOW, double& RGAP, double* XPRIML,
          double* VPOSY) {
  // Setup 1. Nothing to solve.
  if (NVAR <= 0) return;

  // Setup 2. Sizes of the master LP.
  const std::int64_t nvar = NVAR, kttot = KTTOT;
  const std::int64_t nlb = NLB > 0 ? NLB : 0, nub = NUB > 0 ? NUB : 0;
  int NMAX = fit32(nvar + 1 + nlb + nub + kttot);
  int MAXM = fit32(nvar + 2);
  int MAXN = fit32(kttot + nlb + nub + nvar + 2);
  int MAXA = fit32(std::int64_t{MAXN} * MAXM);
  int COLMAX = fit32(nvar + 2);
  constexpr int PICK = 10;
  const double dense = static_cast<double>(MAXA / (std::int64_t{MAXN} * MAXM));
  const double lenmy_real =
      2.0 * (0.75 * MAXA + 4.0 * MAXM + MAXN +
             6.0 * dense * static_cast<double>(MAXM) * MAXM);
  if (!(lenmy_real < static_cast<double>(INT_MAX))) no_storage();
  int LENMY = static_cast<int>(lenmy_real);
  const std::int64_t phys = physical_memory();
  if (phys > 0 && std::int64_t{LENMY} * 8 > phys) no_storage();
  const std::int64_t MCON1 =
      (NVAR > MCON + 1) ? std::int64_t{NVAR} + 1 : std::int64_t{MCON} + 1;
  int MP1 = MCON + 1;

  std::vector<int> IDPOSY, KEEPS, INF, BASIS, LASTBAS, ROWTYP, CANDI, COLI,
      STATUS;
  std::vector<double> X, PI, U, RHO, TERM, RHS, COL, AMTINF, B, BASCB, BASLB,
      BASUB, BETAR, UZERO, XBZERO, YQ, CANDA, CANDCJ, COLA, XLP, PILP;
  // Column-indexed arrays get one slot beyond NMAX: the engine's column
  // capacity MAXN.
  allocate(IDPOSY, MAXN);
  allocate(KEEPS, MAXN);
  allocate(X, MAXN);
  allocate(XLP, MAXN);
  allocate(STATUS, MAXN);
  allocate(PI, nvar + 1);
  allocate(PILP, nvar + 1);
  allocate(U, kttot);
  allocate(RHO, kttot);
  allocate(TERM, kttot);
  allocate(RHS, nvar + 1);
  allocate(COL, nvar + 2);
  allocate(INF, MCON1);
  allocate(AMTINF, MCON1);
  for (auto* v : {&B, &BASCB, &BASLB, &BASUB, &BETAR, &UZERO, &XBZERO, &YQ})
    allocate(*v, MAXM);
  allocate(BASIS, MAXM);
  allocate(LASTBAS, MAXM);
  allocate(ROWTYP, MAXM);
  allocate(CANDA, std::int64_t{COLMAX} * PICK);
  allocate(CANDI, std::int64_t{COLMAX} * PICK);
  allocate(CANDCJ, PICK);
  allocate(COLA, COLMAX);
  allocate(COLI, COLMAX);
  std::unique_ptr<lp::Workspace> ws;
  try {
    ws = std::make_unique<lp::Workspace>(LENMY);
  } catch (const std::bad_alloc&) {
    no_storage();
  }
  double* MEMORY = ws->data();

  io::F1<int> kt(KT), fterm(FTERM), lterm(LTERM);
  io::F1<double> u(U.data()), rho(RHO.data()), term(TERM.data()),
      vposy(VPOSY);

  // Setup 3.-4. Initial master problem.
  int TCLGEN = 0, IFLAG1 = 0;
  double V = 0.0;
  INITLP(C, A, NVAR, MCON, KT, KTTOT, FTERM, LTERM, NLB, NUB, SLB, SUB,
         X.data(), PI.data(), IFLAG1, IDPOSY.data(), V, IPRINT, IPRG, NMAX,
         TCLGEN, IDVAR, NAPP, MAXM, MAXN, MAXA, COLMAX, LENMY, COL.data(),
         B.data(), BASCB.data(), BASLB.data(), BASUB.data(), BETAR.data(),
         CANDA.data(), CANDCJ.data(), COLA.data(), UZERO.data(), XBZERO.data(),
         YQ.data(), BASIS.data(), CANDI.data(), COLI.data(), ROWTYP.data(),
         STATUS.data(), MEMORY, U.data(), RHS.data(), KEEPS.data(),
         LASTBAS.data());
  if (IFLAG1 != 1) {
    gp::write_ending(IFLAG1 == 2 ? Ending::kUnbounded : Ending::kInconsistent,
                     ITMAX);
    return;
  }

  // Setup 5.-7. First point.
  V = -V;
  double VOLD = V;
  double EXPV = std::exp(V);
  PSOLVE(NVAR, IPRINT, PI.data(), XPRIML);
  PSUBS(MCON, IPRINT, XPRIML, A, C, KT, KTTOT, TERM.data(), VPOSY, IDVAR,
        NAPP);
  int NEXTRP = FRQREP;

  Ending ending = Ending::kIterationLimit;
  int ITER = 1;
  // Re-centrings of the stored costs (below): at most one per stall, none
  // again before the basis has moved, and a bounded number per run.
  constexpr int kMaxRecentrings = 20;
  int recentrings = 0;
  bool moved_since_recentre = true;
  auto recentre_allowed = [&] {
    return moved_since_recentre && recentrings < kMaxRecentrings;
  };
  // Re-centring on the current prices (the engine's prices are -PI).
  auto recentre_now = [&] {
    std::vector<double> u(PI.size());
    for (std::size_t i = 0; i < PI.size(); ++i) u[i] = -PI[i];
    int m = NVAR + 1;
    gp::master_columns::recentre(u.data(), m, BASIS.data(), BASCB.data(),
                                 COLA.data(), COLI.data(), COLMAX, LENMY, MAXA,
                                 MAXN, MAXM, MEMORY);
  };
  // At a stall (below).
  auto recentre = [&] {
    recentre_now();
    ++recentrings;
    moved_since_recentre = false;
  };
  // Whenever the stored costs' rounding could matter (below); unlike the
  // re-centring at a stall it is not limited: it leaves the LP as it is.
  constexpr double kStoreRounding = 0x1.0p-24;
  constexpr double kNoiseShare = 0.01;
  // The most phase 2 of a warm solve may let a weight drift beyond its
  // bound (below).
  constexpr double kMaxDrift = 1.0e-4;
  // The most the basic objective columns' stored entries may exceed their
  // spread before the rows are shifted (16: 4 of the 24 bits).
  constexpr double kRowSpread = 16.0;
  // Failed re-solves among the last 100.  After a failure the point stays
  // where it was, so each such iteration adds the same columns again and
  // meets the same master LP; and where failures alternate with solves
  // whose points jump about, nothing converges either.  Once 50 of the
  // last 100 re-solves have failed (50 in a row among them) the solve ends
  // on the cannot-be-met path instead of going on up to the iteration
  // limit (RND300 of the benchmark: failing or jumping for over 10
  // minutes).
  gp::FailureWindow failures(100, 50);
  for (; ITER <= ITMAX; ++ITER) {
    // 1. A report iteration opens with its banner.
    int NUMCOL = 0, IPR = 0;
    const bool report = ITER == NEXTRP;
    if (report) {
      Line(kReport) << " ";
      Line(kReport) << " ";
      Line(kReport) << "          ********************";
      Line(kReport) << "          * ITERATION #" << io::I(ITER, 5) << " *";
      Line(kReport) << "          ********************";
      Line(kReport) << " ";
    }

    // 2. Grid-point columns of multi-term posynomials may be replaced again.
    for (int i = 1; i <= NMAX; ++i) {
      const int p = IDPOSY[i - 1];
      if (p > 0 && kt(p) > 1) KEEPS[i - 1] = 0;
    }

    // 3. Tests at the current point.
    const gp::PointTests t = gp::check_point(
        NVAR, MCON, NLB, NUB, SLB, SUB, XPRIML, VPOSY, EXPV, ALLOW, RGAP,
        report, INF.data(), AMTINF.data());
    if (t.optimum()) {
      ending = Ending::kOptimum;
      break;
    }

    // 4. Term shares.
    for (int p = 1; p <= MP1; ++p)
      for (int k = fterm(p); k <= lterm(p); ++k)
        rho(k) = kt(p) == 1 ? 1.0 : term(k) / vposy(p);

    // A point that overflowed (a price beyond the range of exp) has no
    // finite term shares; such a grid point yields no column.
    auto finite_shares = [&](int iposy) {
      for (int k = fterm(iposy); k <= lterm(iposy); ++k)
        if (!std::isfinite(rho(k))) return false;
      return true;
    };
    auto add_column = [&](int iposy) {
      if (!finite_shares(iposy)) return;
      const int before = TCLGEN;
      ADDU(C, A, NVAR, MCON, KT, FTERM, LTERM, iposy, IDPOSY.data(), NMAX,
           IPRINT, IPRG, U.data(), KEEPS.data(), TCLGEN, IDVAR, NAPP, MAXM,
           MAXN, MAXA, COLMAX, LENMY, COL.data(), B.data(), BASCB.data(),
           BASLB.data(), BASUB.data(), BETAR.data(), CANDA.data(),
           CANDCJ.data(), COLA.data(), UZERO.data(), XBZERO.data(), YQ.data(),
           BASIS.data(), CANDI.data(), COLI.data(), ROWTYP.data(),
           STATUS.data(), MEMORY);
      if (TCLGEN != before) ++NUMCOL;
    };

    // 5. One column per violated multi-term constraint.
    if (t.ICNTR == 1) {
      for (int k = 1; k <= MCON; ++k) {
        const int p = k + 1;
        if (INF[k] != 1) continue;
        if (report)
          Line(kReport) << " ";
        if (report)
          Line(kReport) << " CONSTRAINT" << io::I(k, 4)
                        << ",  AMOUNT OF VIOLATION=" << io::E(AMTINF[k], 18, 8);
        if (kt(p) == 1) continue;
        for (int kk = fterm(p); kk <= lterm(p); ++kk) u(kk) = rho(kk);
        add_column(p);
        if (report) rho_line(RHO.data(), fterm(p), lterm(p));
        for (int kk = fterm(p); kk <= lterm(p); ++kk) u(kk) = 0.0;
      }
    }

    // 6. The objective's column while the gap is too large.
    if (std::fabs(t.GAPRAT) > RGAP) {
      if (report) {
        Line(kReport) << " ";
        Line(kReport) << " POSYNOMIAL 0, CONV. CRIT.=" << io::E(t.GAPRAT, 18, 8);
      }
      if (kt(1) > 1) {
        for (int kk = fterm(1); kk <= lterm(1); ++kk) u(kk) = rho(kk);
        if (report) rho_line(RHO.data(), fterm(1), lterm(1));
        add_column(1);
        for (int kk = fterm(1); kk <= lterm(1); ++kk) u(kk) = 0.0;
      }
    }

    // 7. Nothing to add: what holds the point back (a bound, a monomial
    //    constraint or objective) has only the columns already stored, whose
    //    32-bit rounding may be all that is left.  The LP is re-solved with
    //    re-centred costs (see step 12) before giving up.
    bool recentred_now = false;
    if (NUMCOL == 0) {
      if (recentre_allowed()) {
        recentre();
        recentred_now = true;
      } else {
        ending = Ending::kCannotBeMet;
        break;
      }
    }

    // 8. Re-solve from the last basis.  A failed solve abandons the
    //    iteration; the last successful solution stays in place.
    int IBCH = 0, ICD = 1;
    std::fill(XLP.begin(), XLP.end(), 0.0);
    LINEAR(IBCH, IPRINT, IFLAG1, XLP.data(), PILP.data(), V, ICD, MAXM, MAXN,
           MAXA, COLMAX, LENMY, B.data(), BASCB.data(), BASLB.data(),
           BASUB.data(), BETAR.data(), CANDA.data(), CANDCJ.data(),
           COLA.data(), UZERO.data(), XBZERO.data(), YQ.data(), BASIS.data(),
           CANDI.data(), COLI.data(), ROWTYP.data(), STATUS.data(), MEMORY,
           LASTBAS.data());
    if (IFLAG1 > 1) {
      Line(kReport) << " LINEAR RETURNS FLAG" << io::I(IFLAG1, 5);
      if (report) NEXTRP += FRQREP;
      if (failures.record(true)) {
        ending = Ending::kCannotBeMet;
        break;
      }
      continue;
    }
    failures.record(false);
    X.swap(XLP);
    PI.swap(PILP);

    // 9. The new LP bound.
    V = -V;
    EXPV = std::exp(V);
    const double VDIFF = V - VOLD;
    VOLD = V;
    if (report) {
      Line(kReport) << " ";
      Line(kReport) << " ";
      Line(kReport) << " LP SOLUTION IS" << io::E(V, 18, 8);
      Line(kReport) << "        = LOG(" << io::E(EXPV, 18, 8) << ")";
      Line(kReport) << " IMPROVEMENT IN LOG(V) IS" << io::E(VDIFF, 12, 4);
    }

    // 10. The new point.
    IPR = (IPRINT == 1 || (report && IPRX == 1)) ? 1 : 0;
    PSOLVE(NVAR, IPR, PI.data(), XPRIML);
    PSUBS(MCON, IPR, XPRIML, A, C, KT, KTTOT, TERM.data(), VPOSY, IDVAR,
          NAPP);
    if (report && IPR == 0)
      Line(kReport) << " PRIMAL SOLUTION IS " << io::E(vposy(1), 18, 8);

    // The 32-bit store rounds each basic cost by up to 2^-24 of its size,
    // and the LP's optimum, and through the ill-conditioned bases of late
    // iterations its prices, with it.  Once that rounding could reach a
    // hundredth of what is left to resolve (the gap, or the largest
    // constraint violation where that is larger), the costs are re-centred
    // on the new prices, which makes the basic ones about 0: the LP stays
    // the same, its noise drops below what the tests measure.  On CL31 of
    // the classic test set the costs lie near 10, whose rounding (6e-7)
    // exceeds the convergence tolerance.  While a constraint is violated
    // by far more than the rounding, nothing is gained (RND300 of the
    // benchmark: gap 1e-9, violations of order 1, re-centred every
    // iteration to no effect).
    if (EXPV > 0.0) {
      // What is left to resolve, never taken below RGAP.
      double left = std::max(RGAP, std::fabs((vposy(1) - EXPV) / EXPV));
      for (int k = 1; k <= MCON; ++k) left = std::max(left, vposy(k + 1) - 1.0);
      // The largest and the summed magnitude of the basic costs.
      auto basic_costs = [&] {
        io::F1<const int> basis(BASIS.data());
        io::F1<const double> bascb(BASCB.data());
        std::pair<double, double> size{0.0, 0.0};
        for (int i = 1; i <= NVAR + 1; ++i) {
          if (basis(i) < 1) continue;
          size.first = std::max(size.first, std::fabs(bascb(i)));
          size.second += std::fabs(bascb(i));
        }
        return size;
      };
      auto [largest_cost, cost_sum] = basic_costs();
      if (largest_cost * kStoreRounding > kNoiseShare * left) {
        recentre_now();
        std::tie(largest_cost, cost_sum) = basic_costs();
      }
      // A basic weight w beyond its bound moves the LP's value by about
      // its cost times w: phase 2 may carry weights that far beyond their
      // bounds whose effect stays below a hundredth of what is left.
      gp::master_perturbation::allow_drift(
          cost_sum > 0.0 ? std::min(kMaxDrift, kNoiseShare * left / cost_sum)
                         : kMaxDrift);
    }

    // Once the basic objective columns' stored entries exceed their spread
    // kRowSpread times over, their 32-bit rounding reaches what tells them
    // apart: the rows are re-shifted on the basic objective column of
    // largest weight (gp/master_columns.h), which leaves the LP and its
    // basis as they are.
    int ref = 0;
    if (gp::master_columns::row_spread(BASIS.data(), XBZERO.data(), NVAR + 1,
                                       ref) > kRowSpread)
      gp::master_columns::shift_rows(
          ref, NVAR + 1, B.data(), BASIS.data(), BASCB.data(), STATUS.data(),
          XBZERO.data(), COLA.data(), COLI.data(), COLMAX, LENMY, MAXA, MAXN,
          MAXM, MEMORY);

    // 11.-12. Schedule; an unchanged basis cannot improve further.  Near
    //        the optimum that may be the 32-bit store's rounding of the
    //        costs hiding the new columns' gain: once per stall the costs are
    //        re-stored reduced by the current prices (in the engine's sign,
    //        u = -PI), which makes those of the useful columns small and
    //        their rounding with them, and the next iteration goes on from
    //        the same point.  A stall right after a re-centring is final,
    //        unless that re-centring came from step 7: its re-solve only
    //        recomputed the point, which the next iteration tests.
    if (report) NEXTRP += FRQREP;
    if (IBCH != 0) {
      moved_since_recentre = true;
    } else if (recentred_now) {
      // The same basis with exact costs: the next iteration tests its point.
    } else if (recentre_allowed()) {
      recentre();
    } else {
      ending = Ending::kCannotBeMet;
      break;
    }
  }
  if (ending == Ending::kIterationLimit) ITER = ITMAX < 1 ? 1 : ITMAX + 1;

  gp::write_ending(ending, ITMAX);
  // The endings other than the optimum present the last point as the best
  // available one; when that point violates the constraints or bounds its
  // objective value is no solution value, and the report says so.
  if (ending != Ending::kOptimum)
    gp::warn_infeasible(NVAR, MCON, NLB, NUB, SLB, SUB, XPRIML, VPOSY, ALLOW);
  gp::final_report(NVAR, MCON, KTTOT, NMAX, IDPOSY.data(), X.data(), PI.data(),
                   XPRIML, A, C, KT, TERM.data(), VPOSY, IDVAR, NAPP, EXPV,
                   ALLOW, ITER, TCLGEN);
}
