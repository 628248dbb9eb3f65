// dual_simplex.cpp — the bounded-variable dual simplex method.
//
//   XDUAL  driver: puts every nonbasic column at the bound its reduced cost
//          asks for, iterates (XDPH2), then refactorises and checks the
//          accuracy.  DTERM 1 optimal, 2 dual unbounded (DUNBR the row),
//          3 dual feasibility lost (DFEASQ the column), 4 optimal but the
//          accuracy check failed, 5 no dual-feasible start (DFEASQ),
//          6 abandoned: rows still out of bounds, but the pivot of each was
//          rejected as too small (DUNBR the last of them).  The ending
//          "no row left" after rejections is not reported as optimal,
//          since the basic solution still violates those bounds.
//   XDPH2  the iterations: leaving row, row of the inverse, entering
//          column, pivot, updates of values, prices and factors.
//   XDCHR  leaving row: the largest bound violation (upper wins ties).
//   FDCHQ  dual ratio test over the packed store.
//   XDCHQ  the same ratio test through XGETAJ and XDOT.
//
// The engine maximises; a column at its lower bound (status 0) is dual
// feasible with reduced cost d <= 0, one at its upper bound (status -1)
// with d >= 0.  With BETAR = row R of the basis inverse, a step LAMBDA of
// the prices (u += LAMBDA * BETAR) changes d(j) by -LAMBDA * BETAR.a(j);
// the ratio test takes the largest step that keeps every d(j) of the right
// sign and names the column that reaches zero first.
//
// Free columns (status -2) keep their status while basic, and the ratio
// test has no BASIS to tell them apart: a free column whose reduced cost
// is zero within the dual tolerance EPS1 (every basic one) is passed over;
// only one with a larger reduced cost counts as dual infeasible.
//
// Row-indexed vectors (UZERO, BETAR, YQ) have MAXM entries.  Filler
// entries of the store name rows up to MAXM, so XDUAL and XDPH2 keep
// entries M+1..MAXM of UZERO and BETAR at zero; entries of a fetched column
// beyond MAXM (only filler can be there) are ignored.

#include <cmath>

#include "io/edit.h"
#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/packed_sums.h"
#include "lp/postopt_support.h"
#include "lp/workspace.h"

namespace {

using lp::postopt::stop;
using namespace lp::postopt::codes;

constexpr int kMaxRejected = 10;  // rejected pivots tolerated in a row
constexpr int kAbandoned = 6;     // DTERM: infeasible rows, pivots rejected

// Too many rejected pivots, singular basis changes and bases the
// factorisation finds singular stop the program unless a caller asked for
// DTERM 6 (lp::DualIterationsAbandon).
bool abandon_instead_of_stop = false;

// Products of one nonbasic column with UZERO, and its cost.
struct PriceProducts {
  double UZAJ;  // UZERO . a(j), cleaned
  double CJ;    // cost
};

// Clears a sum that is zero up to rounding (absolute and relative tests).
double cleaned(double sum, double abs_sum) {
  const double ZL = RVNCOM.ZL;
  const double mag = std::fabs(sum);
  return (mag < ZL || mag < ZL * abs_sum) ? 0.0 : sum;
}

// The dual ratio test shared by FDCHQ and XDCHQ.  PIVOT_ROWS(J1, J2, B1,
// B2) gives BETAR . a(j), cleaned, of two columns (J2 = 0: of J1 alone);
// PRICED(J) gives a column's product with UZERO and its cost.  The
// reduced cost is only formed for the columns whose pivot-row entry has
// the sign that lets them enter (about half of them), so the other half
// costs one product instead of two: the ratio test visits every nonbasic
// column in every iteration.  The columns are still judged one by one in
// increasing order.  NAME starts the message lines (" FDCHQ ", " XDCHQ ").
template <typename PivotRows, typename Priced>
void dual_ratio_test(const char* NAME, PivotRows pivot_rows, Priced priced,
                     bool& DFEAS, int& INTYP, int& IOERR, double& LAMBDA,
                     int& MAXN, int& N, int& OUTTYP, double& PIVOT, int& Q,
                     int* STATUS, bool& DUNBDD) {
  io::F1<int> status(STATUS);
  const double BIG = RVNCOM.BIG;
  const double ZL = RVNCOM.ZL;
  const double ZLC = RVNCOM.ZLC;

  // 1. Size.
  if (N < 1 || N > MAXN) {
    io::Line(IOERR) << NAME << io::X(5) << io::I(N, 5);
    stop(kBadColumns, IOERR);
  }

  // 2. Running bests of both kinds.
  const bool up = (OUTTYP == 1);  // the leaving variable must increase
  DFEAS = true;
  DUNBDD = false;
  INTYP = 0;
  Q = 0;
  PIVOT = 0.0;
  const double start = up ? BIG : -BIG;
  double LAMBLO = start, LAMBHI = start, PIVLO = 0.0, PIVHI = 0.0;
  int QLO = 0, QHI = 0;
  LAMBDA = start;

  // 3. One nonbasic column J of status S with pivot-row entry BRAJ; false
  //    when dual feasibility is lost at J (the test ends there).
  auto judge = [&](int J, int s, double BRAJ) {
    double DJ = 0.0;
    if (s == kFree) {
      // A free column keeps status -2 while basic, where its reduced cost
      // is zero up to rounding: it takes no part.  With a reduced cost
      // beyond the dual tolerance it is a nonbasic free column that is not
      // dual feasible, and its own reduced cost goes into the message.
      const PriceProducts p = priced(J);
      DJ = p.CJ - p.UZAJ;
      if (std::fabs(DJ) < ZLC) DJ = 0.0;
      if (std::fabs(DJ) <= RVNCOM.EPS1) return true;
    } else {
      // 3.1-3.2 Sign of the pivot: the entering move must push the leaving
      // variable towards its violated bound.
      const bool lower = (s == kAtLower);
      const bool eligible = (lower == up) ? (BRAJ < 0.0) : (BRAJ > 0.0);
      if (!eligible) return true;
      // 3.3 Reduced cost; a wrong sign means dual feasibility is lost.
      const PriceProducts p = priced(J);
      DJ = p.CJ - p.UZAJ;
      if (std::fabs(DJ) < ZLC) DJ = 0.0;
      const bool infeasible = lower ? (DJ > 0.0) : (DJ < 0.0);
      if (!infeasible) {
        // 3.4 The ratio competes with the best of its kind.
        double TEMP = DJ / BRAJ;
        if (std::fabs(TEMP) < ZL) TEMP = 0.0;
        double& best = lower ? LAMBLO : LAMBHI;
        double& bestpiv = lower ? PIVLO : PIVHI;
        int& bestq = lower ? QLO : QHI;
        const bool candidate = up ? (TEMP <= best) : (TEMP >= best);
        if (candidate &&
            (TEMP != best || std::fabs(BRAJ) >= std::fabs(bestpiv))) {
          best = TEMP;
          bestpiv = BRAJ;
          bestq = J;
        }
        return true;
      }
    }
    // 5. Dual feasibility lost at J.
    DFEAS = false;
    Q = J;
    io::Line(IOERR) << NAME << io::X(5) << "J=" << io::I(J, 5) << io::X(5)
                    << "STATUS=" << io::I(s, 3) << io::X(5)
                    << "DJ=" << io::D(DJ, 16, 8);
    return false;
  };

  // Every nonbasic column that can be priced, taken in pairs for their
  // pivot-row entries.
  auto priceable = [&](int J) {
    const int s = status(J);
    return !(s > 0 || s <= kArtificial);
  };
  int J = 1;
  while (true) {
    while (J <= N && !priceable(J)) ++J;
    if (J > N) break;
    const int J1 = J++;
    while (J <= N && !priceable(J)) ++J;
    const int J2 = J <= N ? J++ : 0;
    double B1 = 0.0, B2 = 0.0;
    pivot_rows(J1, J2, B1, B2);
    if (!judge(J1, status(J1), B1)) return;
    if (J2 != 0 && !judge(J2, status(J2), B2)) return;
  }

  // 4. Final choice; a tie between the kinds keeps the lower-bound kind.
  if (up ? (LAMBLO < LAMBDA) : (LAMBDA < LAMBLO)) {
    LAMBDA = LAMBLO;
    Q = QLO;
    PIVOT = PIVLO;
    INTYP = 1;
  }
  if (up ? (LAMBHI < LAMBDA) : (LAMBDA < LAMBHI)) {
    LAMBDA = LAMBHI;
    Q = QHI;
    PIVOT = PIVHI;
    INTYP = -1;
  }
  if (Q == 0 && INTYP == 0) DUNBDD = true;
}

}  // namespace

namespace lp {
DualIterationsAbandon::DualIterationsAbandon()
    : previous_(abandon_instead_of_stop) {
  abandon_instead_of_stop = true;
}
DualIterationsAbandon::~DualIterationsAbandon() {
  abandon_instead_of_stop = previous_;
}
}  // namespace lp

// ---- XDUAL ----------------------------------------------------------------

void XDUAL(double* B, double* BASCB, int* BASIS, double* BASLB, double* BASUB,
           double* BETAR, int& BNDTYP, double& BOUND, double* COLA, int* COLI,
           int& COLMAX, int& DFEASQ, int& DTERM, int& DUNBR, int& FACTOR,
           int& IOERR, int& IOLOG, int& ITERD, int& LENMA, int& LENMI,
           int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
           double* MEMORY, int& N, int& NTYPE2, int& PRINT, int* STATUS,
           double* UZERO, double* XBZERO, double* YQ, double& Z) {
  io::F1<int> basis(BASIS), status(STATUS);
  io::F1<double> baslb(BASLB), basub(BASUB);
  const double BIG = RVNCOM.BIG;
  const double ZLC = RVNCOM.ZLC;

  // 1. Sizes.
  if (M < 1 || M > MAXM) {
    io::Line(IOERR) << " XDUAL " << io::X(5) << io::I(M, 5);
    stop(kBadRows, IOERR);
  }
  if (N < 1 || N > MAXN) {
    io::Line(IOERR) << " XDUAL " << io::X(5) << io::I(N, 5);
    stop(kBadColumns, IOERR);
  }

  // 2. Counters.
  ITERD = 0;
  int FACTIT = 0;
  DTERM = 0;
  DFEASQ = 0;
  DUNBR = 0;
  lp::postopt::clear_tail(UZERO, M, MAXM);

  // 3. Dual-feasible start: each nonbasic column at the bound its reduced
  // cost asks for.
  for (int J = 1; J <= N; ++J) {
    const int s = status(J);
    if (s > 0 || s <= kArtificial) continue;
    if (s == kFree) {
      bool basic = false;
      for (int I = 1; I <= M && !basic; ++I) basic = (basis(I) == J);
      if (basic) continue;
      DFEASQ = J;
      DTERM = 5;
      return;
    }
    double CJ = 0.0;
    int COLLEN = 0;
    lp::postopt::fetch_column(J, CJ, COLA, COLI, COLLEN, COLMAX, IOERR, LENMA,
                              LENMY, MAPA, MEMORY, MAXM);
    double dot = 0.0;
    XDOT(COLA, COLI, COLLEN, COLMAX, MAXM, UZERO, dot);
    double DJ = CJ - dot;
    if (std::fabs(DJ) < ZLC) DJ = 0.0;
    double LJ = 0.0, UJ = BIG;
    lp::postopt::column_bounds(BNDTYP, BOUND, NTYPE2, J, IOERR, LENMA, LENMY,
                               MAPA, MEMORY, LJ, UJ);
    if (DJ > 0.0) {
      if (!(UJ < BIG)) {
        DFEASQ = J;
        DTERM = 5;
        return;
      }
      status(J) = kAtUpper;
    } else {
      if (!(LJ > -BIG)) {
        DFEASQ = J;
        DTERM = 5;
        return;
      }
      status(J) = kAtLower;
    }
  }

  // 4. Basic solution at the new nonbasic values; artificials fixed at 0.
  XBCOMP(B, BASCB, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMI,
         LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, STATUS, XBZERO, Z);
  for (int I = 1; I <= M; ++I) {
    if (status(basis(I)) == kArtificial) {
      baslb(I) = 0.0;
      basub(I) = 0.0;
    }
  }

  // 5. The iterations.
  XDPH2(B, BASCB, BASIS, BASLB, BASUB, BETAR, BNDTYP, BOUND, COLA, COLI,
        COLMAX, DFEASQ, DTERM, DUNBR, FACTIT, FACTOR, IOERR, IOLOG, ITERD,
        LENMA, LENMI, LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, NTYPE2,
        PRINT, STATUS, UZERO, XBZERO, YQ, Z);
  if (DTERM != 1) return;

  // 6. Fresh factors, values and prices, and the accuracy check.
  if (!lp::postopt::refresh(B, BASCB, BASIS, BASLB, BASUB, BNDTYP, BOUND, COLA,
                            COLI, COLMAX, IOERR, LENMA, LENMI, LENMY, M, MAPA,
                            MAPI, MAXM, MAXN, MEMORY, N, STATUS, UZERO, XBZERO,
                            Z, abandon_instead_of_stop)) {
    DTERM = kAbandoned;  // a singular final basis, under the caller's guard
    return;
  }
  if (!lp::postopt::accurate(B, BASCB, BASIS, BNDTYP, BOUND, COLA, COLI,
                             COLMAX, IOERR, LENMA, LENMI, LENMY, M, MAPA, MAPI,
                             MAXM, MAXN, MEMORY, N, STATUS, UZERO, YQ, XBZERO,
                             Z)) {
    DTERM = 4;
  }
}

// ---- XDPH2 ----------------------------------------------------------------

void XDPH2(double* B, double* BASCB, int* BASIS, double* BASLB, double* BASUB,
           double* BETAR, int& BNDTYP, double& BOUND, double* COLA, int* COLI,
           int& COLMAX, int& DFEASQ, int& DTERM, int& DUNBR, int& FACTIT,
           int& FACTOR, int& IOERR, int& IOLOG, int& ITER, int& LENMA,
           int& LENMI, int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM,
           int& MAXN, double* MEMORY, int& N, int& NTYPE2, int& PRINT,
           int* STATUS, double* UZERO, double* XBZERO, double* YQ,
           double& Z) {
  io::F1<int> basis(BASIS), mapa(MAPA);
  io::F1<double> betar(BETAR), uzero(UZERO);
  const double ZL = RVNCOM.ZL;
  const double ZLC = RVNCOM.ZLC;
  const double EPS3 = RVNCOM.EPS3;

  // Slices of the workspace read by the ratio test.
  float* PROFIT = lp::f32_slice(MEMORY, mapa(3));
  float* ACOEFF = lp::f32_slice(MEMORY, mapa(4));
  int* COLPNT = lp::i32_slice(MEMORY, mapa(5));
  int* ROWNOS = lp::i32_slice(MEMORY, mapa(6));
  int& MAXA = *lp::i32_slice(MEMORY, mapa(7));

  ITER = 0;
  int NREJ = 0;
  int REJECT[kMaxRejected] = {};
  lp::postopt::clear_tail(UZERO, M, MAXM);

  for (;;) {
    // 1. Leaving row.
    double GR = 0.0;
    int R = 0, OUTTYP = 0;
    XDCHR(BASLB, BASUB, GR, IOERR, M, MAXM, NREJ, OUTTYP, R, REJECT, XBZERO);
    if (R == 0 && NREJ > 0) {
      // Every row still out of bounds had its pivot rejected: the basic
      // solution is not feasible, so this is no optimum.
      DTERM = kAbandoned;
      DUNBR = REJECT[NREJ - 1];
      if (PRINT != 0) {
        io::Record(IOLOG, '0') << "DUAL PHASE2...PROBLEM ABANDONED:"
                               << " ALL PIVOTS OF INFEASIBLE ROWS REJECTED";
      }
      return;
    }
    if (R == 0) {
      DTERM = 1;
      if (PRINT != 0) {
        io::Record(IOLOG, '0') << "DUAL PHASE2...OPTIMAL SOLUTION FOUND";
      }
      return;
    }

    // 2. Row R of the basis inverse.
    int LEAVE = basis(R);
    lp::postopt::unit_vector(BETAR, R, MAXM);
    XBTRAN(IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY, BETAR);

    // 3. Entering column.
    bool DFEAS = true, DUNBDD = false;
    int INTYP = 0, Q = 0;
    double LAMBDA = 0.0, PIVOT = 0.0;
    FDCHQ(BETAR, COLA, COLI, COLMAX, DFEAS, INTYP, IOERR, LAMBDA, LENMA,
          LENMY, MAPA, MAXM, MAXN, MEMORY, N, OUTTYP, PIVOT, Q, STATUS, DUNBDD,
          UZERO, PROFIT, ACOEFF, COLPNT, ROWNOS, MAXA);
    if (!DFEAS) {
      DTERM = 3;
      DFEASQ = Q;
      if (PRINT != 0) {
        io::Record(IOLOG, '0') << "DUAL PHASE2...DUAL FEASIBILITY LOST"
                               << io::X(5) << "COLUMN" << io::I(Q, 5);
      }
      return;
    }
    if (DUNBDD) {
      DTERM = 2;
      DUNBR = R;
      if (PRINT != 0) {
        io::Record(IOLOG, '0') << "DUAL PHASE2...THE DUAL PROBLEM IS UNBOUNDED"
                               << io::X(15) << "ROW" << io::I(R, 5);
      }
      return;
    }

    // 4. Pivot size.
    if (std::fabs(PIVOT) <= EPS3) {
      NREJ = NREJ + 1;
      if (NREJ > kMaxRejected) {
        io::Record(IOERR, '0')
            << "XDPH2...PROBLEM ABANDONED...TOO MANY REJECTED PIVOTS";
        if (!abandon_instead_of_stop) stop(kSilent, IOERR);
        DTERM = kAbandoned;
        DUNBR = R;
        return;
      }
      io::Record(IOERR, '0') << "XDPH2...ITERATION" << io::I(ITER, 5)
                             << io::X(5) << "PIVOT REJECTED" << "ROW="
                             << io::I(R, 5) << io::X(5) << "PIVOT="
                             << io::D(PIVOT, 16, 8);
      REJECT[NREJ - 1] = R;
      continue;
    }

    // 5.-6. Accepted: transform the entering column, update the factors;
    // its cost and bounds.
    NREJ = 0;
    double LQ = 0.0, UQ = 0.0;
    if (lp::postopt::enter_column(Q, R, BASCB, BNDTYP, BOUND, COLA, COLI,
                                  COLMAX, IOERR, LENMA, LENMI, LENMY, M, MAPA,
                                  MAPI, MAXM, MEMORY, NTYPE2, YQ, LQ, UQ,
                                  abandon_instead_of_stop) == 0) {
      // A singular basis change, refused.  The factors are unusable; they
      // are not rebuilt here, since the basis the updates have led to may
      // itself be singular to the factorisation (RND300 of the GP
      // benchmark), and the caller goes back to a basis of its own.
      DTERM = kAbandoned;
      DUNBR = R;
      return;
    }

    // 7. Primal step and objective change.
    double THETA = std::fabs(GR / PIVOT);
    if (THETA < ZL) THETA = 0.0;
    double DQ = PIVOT * LAMBDA;
    if (std::fabs(DQ) < ZLC) DQ = 0.0;

    // 8. Values, basis, statuses and Z.
    XUPDX(BASIS, BASLB, BASUB, DQ, INTYP, LQ, M, MAXM, MAXN, N, OUTTYP, Q, R,
          STATUS, THETA, UQ, XBZERO, YQ, Z);

    // 9. Prices.
    for (int I = 1; I <= M; ++I) {
      double u = uzero(I) + betar(I) * LAMBDA;
      uzero(I) = (std::fabs(u) < ZLC) ? 0.0 : u;
    }

    // 10. Log.
    ITER = ITER + 1;
    if (PRINT == 3) {
      XLOG(DQ, INTYP, IOLOG, ITER, LEAVE, OUTTYP, PIVOT, Q, R, THETA, Z);
    }

    // 11. Refactorisation.
    FACTIT = FACTIT + 1;
    if (FACTIT > FACTOR) {
      FACTIT = 0;
      if (!lp::postopt::refresh(B, BASCB, BASIS, BASLB, BASUB, BNDTYP, BOUND,
                                COLA, COLI, COLMAX, IOERR, LENMA, LENMI, LENMY,
                                M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, STATUS,
                                UZERO, XBZERO, Z, abandon_instead_of_stop)) {
        DTERM = kAbandoned;  // a singular basis, under the caller's guard
        DUNBR = R;
        return;
      }
      if (PRINT == 2) {
        io::Line(IOLOG) << " ITERATION=" << io::I(ITER, 6) << io::X(5)
                        << "DUAL OBJECTIVE=" << io::D(Z, 16, 8);
      }
    }
  }
}

// ---- XDCHR ----------------------------------------------------------------

void XDCHR(double* BASLB, double* BASUB, double& GR, int& IOERR, int& M,
           int& MAXM, int& NREJ, int& OUTTYP, int& R, int* REJECT,
           double* XBZERO) {
  io::F1<double> baslb(BASLB), basub(BASUB), xbzero(XBZERO);
  io::F1<int> reject(REJECT);
  const double ZL = RVNCOM.ZL;

  // 1. Size.
  if (M < 1 || M > MAXM) {
    io::Line(IOERR) << " XDCHR " << io::X(5) << io::I(M, 5);
    stop(kBadRows, IOERR);
  }

  // 2. The largest violation of each kind; the first row keeps a tie.
  double GLOW = 0.0, GHIGH = 0.0;
  int RLOW = 0, RHIGH = 0;
  for (int I = 1; I <= M; ++I) {
    bool rejected = false;
    for (int k = 1; k <= NREJ && !rejected; ++k) rejected = (reject(k) == I);
    if (rejected) continue;
    if (baslb(I) > xbzero(I)) {
      const double g = baslb(I) - xbzero(I);
      if (g > GLOW) {
        GLOW = g;
        RLOW = I;
      }
    } else if (xbzero(I) > basub(I)) {
      const double g = xbzero(I) - basub(I);
      if (g > GHIGH) {
        GHIGH = g;
        RHIGH = I;
      }
    }
  }

  // 3. Choice: the upper violation wins a tie.
  //    Within a feasibility band (lp::FeasibilityBand) a violation up to
  //    the band is no violation.
  const double TOLF = std::max(ZL, lp::feasibility_band());
  R = 0;
  OUTTYP = 0;
  GR = 0.0;
  if (GLOW >= TOLF) {
    R = RLOW;
    GR = GLOW;
    OUTTYP = 1;
  }
  if (GHIGH >= TOLF && GHIGH >= GR) {
    R = RHIGH;
    GR = GHIGH;
    OUTTYP = -1;
  }
}

// ---- FDCHQ and XDCHQ ------------------------------------------------------

void FDCHQ(double* BETAR, double* /*COLA*/, int* /*COLI*/, int& /*COLMAX*/,
           bool& DFEAS, int& INTYP, int& IOERR, double& LAMBDA,
           int& /*LENMA*/, int& /*LENMY*/, int* /*MAPA*/, int& MAXM,
           int& MAXN, double* /*MEMORY*/, int& N, int& OUTTYP, double& PIVOT,
           int& Q, int* STATUS, bool& DUNBDD, double* UZERO, float* PROFIT,
           float* ACOEFF, int* COLPNT, int* ROWNOS, int& /*MAXA*/) {
  // Products over the packed column: entries COLPNT(J-1)+1..COLPNT(J), a
  // row number 0 ending the column early; rows beyond MAXM (filler of a
  // larger caller) are not read.  Pivot-row entries are formed two columns
  // at a time (lp/packed_sums.h).
  auto product = [&](int J, const double* v) {
    const lp::packed::Sums s = lp::packed::column_sums<true>(
        COLPNT[J - 1], COLPNT[J], ACOEFF, ROWNOS, v, MAXM, 0.0, 0.0);
    return cleaned(s.dot, s.abs);
  };
  auto pivot_rows = [&](int J1, int J2, double& B1, double& B2) {
    if (J2 == 0) {
      B1 = product(J1, BETAR);
      return;
    }
    lp::packed::Sums s1, s2;
    lp::packed::pair_sums<true>(COLPNT[J1 - 1], COLPNT[J1], COLPNT[J2 - 1],
                                COLPNT[J2], ACOEFF, ROWNOS, BETAR, MAXM, s1,
                                s2);
    B1 = cleaned(s1.dot, s1.abs);
    B2 = cleaned(s2.dot, s2.abs);
  };
  auto priced = [&](int J) {
    return PriceProducts{product(J, UZERO), static_cast<double>(PROFIT[J - 1])};
  };
  dual_ratio_test(" FDCHQ ", pivot_rows, priced, DFEAS, INTYP, IOERR, LAMBDA,
                  MAXN, N, OUTTYP, PIVOT, Q, STATUS, DUNBDD);
}

void XDCHQ(double* BETAR, double* COLA, int* COLI, int& COLMAX, bool& DFEAS,
           int& INTYP, int& IOERR, double& LAMBDA, int& LENMA, int& LENMY,
           int* MAPA, int& MAXM, int& MAXN, double* MEMORY, int& N,
           int& OUTTYP, double& PIVOT, int& Q, int* STATUS, bool& DUNBDD,
           double* UZERO) {
  // One column at a time through XGETAJ; the column last fetched is kept
  // for its pricing.
  double CJ = 0.0;
  int COLLEN = 0, fetched = 0;
  auto fetch = [&](int J) {
    if (J == fetched) return;
    lp::postopt::fetch_column(J, CJ, COLA, COLI, COLLEN, COLMAX, IOERR, LENMA,
                              LENMY, MAPA, MEMORY, MAXM);
    fetched = J;
  };
  auto pivot_row = [&](int J) {
    double braj = 0.0;
    fetch(J);
    XDOT(COLA, COLI, COLLEN, COLMAX, MAXM, BETAR, braj);
    return braj;
  };
  auto pivot_rows = [&](int J1, int J2, double& B1, double& B2) {
    if (J2 != 0) B2 = pivot_row(J2);
    B1 = pivot_row(J1);  // fetched last: J1 is judged first
  };
  auto priced = [&](int J) {
    fetch(J);
    PriceProducts p{0.0, CJ};
    XDOT(COLA, COLI, COLLEN, COLMAX, MAXM, UZERO, p.UZAJ);
    return p;
  };
  dual_ratio_test(" XDCHQ ", pivot_rows, priced, DFEAS, INTYP, IOERR, LAMBDA,
                  MAXN, N, OUTTYP, PIVOT, Q, STATUS, DUNBDD);
}
