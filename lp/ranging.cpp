// ranging.cpp — post-optimal ranging of right-hand sides and costs.
//
//   XRANGB  right-hand side of one row: how far it can move before a basic
//           variable reaches a bound (primal ratio test on B^-1 e_IROW),
//           and optionally the column that would replace it (XDCHQ).
//   XRANGC  cost of one column: nonbasic, up to where its reduced cost
//           vanishes; basic, up to where a nonbasic reduced cost changes
//           sign (dual ratio test on its row of B^-1); optionally the
//           primal ratio test of the entering column (XCHUZR).
//   XRANGD  costs of all basic columns at once (one FTRAN per nonbasic
//           column).
//
// All three start from an optimal basis with current factors, XBZERO and
// prices UZERO, and change nothing of it.  The engine maximises: a
// nonbasic column at its lower bound has d <= 0, at its upper bound d >= 0.
// Codes: 1 finite break point, 2 no limit (BREAK = +-BIG), 3 (LONG) no
// pivot restores optimality beyond the break point.
//
// Basic variables without a finite lower bound (free slacks, BASLB = -BIG)
// never block a decrease, just as those without a finite upper bound never
// block an increase: a break point is reported only where a real bound is
// reached.

#include <cmath>

#include "io/edit.h"
#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/postopt_support.h"
#include "lp/workspace.h"

namespace {

using lp::postopt::bad_size;
using lp::postopt::check_sizes;
using lp::postopt::stop;
using namespace lp::postopt::codes;

// "0<NAME>...CURRENT SOLUTION NOT DUAL FEASIBLE", then " VARIABLE" j(I6)
// 5X "STATUS" s(I6) 5X "RELATIVE PROFIT" DJ(D17.10); XSTOP 0.
[[noreturn]] void not_dual_feasible(const char* NAME, int j, int s, double DJ,
                                    int& IOERR) {
  io::Record(IOERR, '0') << NAME << "...CURRENT SOLUTION NOT DUAL FEASIBLE";
  io::Line(IOERR) << " VARIABLE" << io::I(j, 6) << io::X(5) << "STATUS"
                  << io::I(s, 6) << io::X(5) << "RELATIVE PROFIT"
                  << io::D(DJ, 17, 10);
  stop(kSilent, IOERR);
}

// Reduced cost of column J, fetched into COLA/COLI: CJ - u.a, 0 below ZLC.
double reduced_cost(int J, double& CJ, double* COLA, int* COLI, int& COLLEN,
                    int& COLMAX, int& IOERR, int& LENMA, int& LENMY,
                    int* MAPA, double* MEMORY, int& MAXM, double* UZERO) {
  lp::postopt::fetch_column(J, CJ, COLA, COLI, COLLEN, COLMAX, IOERR, LENMA,
                            LENMY, MAPA, MEMORY, MAXM);
  double dot = 0.0;
  XDOT(COLA, COLI, COLLEN, COLMAX, MAXM, UZERO, dot);
  double DJ = CJ - dot;
  if (std::fabs(DJ) < RVNCOM.ZLC) DJ = 0.0;
  return DJ;
}

}  // namespace

// ---- XRANGB ---------------------------------------------------------------

void XRANGB(double* B, int* BASIS, double* BASLB, double* BASUB,
            double* BETAR, double& BREAK, double* COLA, int* COLI,
            int& COLMAX, int& ENTER, int& INTYP, int& IOERR, int& IROW,
            int& LEAVE, int& LENMA, int& LENMI, int& LENMY, bool& LONG,
            int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& OUTTYP, int& PBCODE, double& RATE,
            int* STATUS, bool& UP, double* UZERO, double* XBZERO,
            double* YQ) {
  io::F1<double> b(B), uzero(UZERO);
  io::F1<int> basis(BASIS);
  const double BIG = RVNCOM.BIG;

  // 1. Sizes (and a row that exists).
  check_sizes("XRANGB", M, N, MAXM, MAXN, IOERR);
  if (IROW < 1 || IROW > M) bad_size("XRANGB", IROW, kBadRows, IOERR);

  // 2. Results so far; the rate is the row's price.
  PBCODE = 1;
  ENTER = INTYP = LEAVE = OUTTYP = 0;
  RATE = UP ? uzero(IROW) : -uzero(IROW);

  // 3. Direction of the basic values: B^-1 (+-e_IROW).
  lp::postopt::unit_vector(YQ, IROW, MAXM, UP ? 1.0 : -1.0);
  XFTRAN(YQ, IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY);

  // 4-5. Ratio test: kind 1 decreasing to a lower bound, kind 2 increasing
  // to an upper bound; ties to the later row; a zero ratio ends the scan.
  // The decreasing kind is chosen first, the increasing one when smaller.
  double ALPHA = BIG;
  int R = 0;
  lp::postopt::primal_ratio_test("XRANGB", /*D_FIELDS=*/true,
                                 /*ZERO_ENDS=*/true, M, BASIS, BASLB, BASUB,
                                 XBZERO, YQ, IOERR, ALPHA, R, OUTTYP);
  if (R == 0) {
    PBCODE = 2;
    BREAK = UP ? BIG : -BIG;
    return;
  }

  // 6. The break point.
  LEAVE = basis(R);
  BREAK = UP ? b(IROW) + ALPHA : b(IROW) - ALPHA;

  // 7. The column that would replace the leaving one.
  if (!LONG) return;
  bool DUNBDD = false;
  double LAMBDA = 0.0, PIVOT = 0.0;
  lp::postopt::dual_ratio_row("XRANGB", R, BETAR, COLA, COLI, COLMAX, INTYP,
                              IOERR, LAMBDA, LENMA, LENMI, LENMY, M, MAPA,
                              MAPI, MAXM, MAXN, MEMORY, N, OUTTYP, PIVOT,
                              ENTER, STATUS, DUNBDD, UZERO);
  if (DUNBDD) PBCODE = 3;
}

// ---- XRANGC ---------------------------------------------------------------

void XRANGC(int* BASIS, double* BASLB, double* BASUB, double* BETAR,
            int& BNDTYP, double& BOUND, double& BREAK, double* COLA,
            int* COLI, int& COLMAX, int& ENTER, int& INTYP, int& IOERR,
            int& JCOL, int& LEAVE, int& LENMA, int& LENMI, int& LENMY,
            bool& LONG, int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& NTYPE2, int& OUTTYP, int& PCCODE,
            double& RATE, int* STATUS, bool& UP, double* UZERO,
            double* XBZERO, double* YQ) {
  io::F1<int> basis(BASIS), status(STATUS);
  io::F1<double> xbzero(XBZERO);
  const double BIG = RVNCOM.BIG;
  const double ZLC = RVNCOM.ZLC;

  // 1. Sizes (and a column that exists).
  check_sizes("XRANGC", M, N, MAXM, MAXN, IOERR);
  if (JCOL < 1 || JCOL > N) bad_size("XRANGC", JCOL, kBadColumns, IOERR);

  // 2. The column and its reduced cost.
  PCCODE = 1;
  ENTER = INTYP = LEAVE = OUTTYP = 0;
  lp::postopt::clear_tail(UZERO, M, MAXM);
  double CJCOL = 0.0, dot = 0.0;
  int COLLEN = 0;
  lp::postopt::fetch_column(JCOL, CJCOL, COLA, COLI, COLLEN, COLMAX, IOERR,
                            LENMA, LENMY, MAPA, MEMORY, MAXM);
  XDOT(COLA, COLI, COLLEN, COLMAX, MAXM, UZERO, dot);
  const double DJCOL = CJCOL - dot;
  const int s = status(JCOL);

  if (s <= 0 || s > M) {
    // 3. A nonbasic column: it enters when its reduced cost reaches 0.
    if (s < kAtUpper || s > M) {
      io::Record(IOERR, '0') << "XRANGC...VARIABLE" << io::I(JCOL, 6)
                             << io::X(5) << "STATUS" << io::I(s, 6);
      stop(kSilent, IOERR);
    }
    double LJCOL = 0.0, UJCOL = BIG;
    lp::postopt::column_bounds(BNDTYP, BOUND, NTYPE2, JCOL, IOERR, LENMA,
                               LENMY, MAPA, MEMORY, LJCOL, UJCOL);
    if (s == kAtUpper) {
      if (UP) {
        RATE = UJCOL;
        BREAK = BIG;
        PCCODE = 2;
        return;
      }
      INTYP = -1;
      RATE = -UJCOL;
    } else {
      if (!UP) {
        RATE = -LJCOL;
        BREAK = -BIG;
        PCCODE = 2;
        return;
      }
      INTYP = 1;
      RATE = LJCOL;
    }
    ENTER = JCOL;
    BREAK = CJCOL - DJCOL;
    if (std::fabs(BREAK) < ZLC) BREAK = 0.0;
  } else {
    // 4. A basic column at position s: its cost moves the prices along its
    // (signed) row of the basis inverse.
    RATE = UP ? xbzero(s) : -xbzero(s);
    lp::postopt::unit_vector(BETAR, s, MAXM, UP ? 1.0 : -1.0);
    XBTRAN(IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY, BETAR);
    double best1 = BIG, best2 = BIG;
    int q1 = 0, q2 = 0;
    for (int j = 1; j <= N; ++j) {
      const int sj = status(j);
      if (sj != kAtLower && sj != kAtUpper) continue;
      double CJ = 0.0;
      const double DJ = reduced_cost(j, CJ, COLA, COLI, COLLEN, COLMAX, IOERR,
                                     LENMA, LENMY, MAPA, MEMORY, MAXM, UZERO);
      double BRAJ = 0.0;
      XDOT(COLA, COLI, COLLEN, COLMAX, MAXM, BETAR, BRAJ);
      const bool lower = (sj == kAtLower);
      if (lower ? (DJ > 0.0) : (DJ < 0.0)) {
        not_dual_feasible("XRANGC", j, sj, DJ, IOERR);
      }
      const bool kind1 = lower && BRAJ < 0.0;
      const bool kind2 = !lower && BRAJ > 0.0;
      if (!kind1 && !kind2) continue;
      double ratio = DJ / BRAJ;
      if (ratio < ZLC) ratio = 0.0;
      if (kind1 && ratio <= best1) {
        best1 = ratio;
        q1 = j;
      } else if (kind2 && ratio <= best2) {
        best2 = ratio;
        q2 = j;
      }
      if (ratio == 0.0) break;
    }
    double ALPHA = BIG;
    if (q1 != 0) {
      ALPHA = best1;
      ENTER = q1;
      INTYP = 1;
    }
    if (q2 != 0 && best2 < ALPHA) {
      ALPHA = best2;
      ENTER = q2;
      INTYP = -1;
    }
    if (ENTER == 0) {
      PCCODE = 2;
      BREAK = UP ? BIG : -BIG;
      return;
    }
    BREAK = UP ? CJCOL + ALPHA : CJCOL - ALPHA;
  }

  // 5. The primal ratio test of the entering column.
  if (!LONG) return;
  double CJ = 0.0;
  lp::postopt::fetch_column(ENTER, CJ, COLA, COLI, COLLEN, COLMAX, IOERR,
                            LENMA, LENMY, MAPA, MEMORY, MAXM);
  lp::postopt::scatter(COLA, COLI, COLLEN, MAXM, YQ);
  XFTRAN(YQ, IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY);
  double LQ = 0.0, UQ = BIG;
  lp::postopt::column_bounds(BNDTYP, BOUND, NTYPE2, ENTER, IOERR, LENMA, LENMY,
                             MAPA, MEMORY, LQ, UQ);
  double PIVOT = 0.0, THETA = 0.0;
  int R = 0;
  bool UNBDD = false;
  XCHUZR(BASIS, BASLB, BASUB, INTYP, IOERR, LQ, M, MAXM, MAXN, N, OUTTYP,
         PIVOT, ENTER, R, STATUS, THETA, UNBDD, UQ, XBZERO, YQ);
  if (UNBDD) {
    PCCODE = 3;
    return;
  }
  // A bound flip (no basic variable blocks) names the entering column.
  LEAVE = (OUTTYP != 0 && R >= 1) ? basis(R) : ENTER;
}

// ---- XRANGD ---------------------------------------------------------------

void XRANGD(double* BASCB, int* /*BASIS*/, double* /*BASLB*/,
            double* /*BASUB*/, int& /*BNDTYP*/, double& /*BOUND*/,
            double* BREAK, double* COLA, int* COLI, int& COLMAX, int* ENTER,
            int* INTYPD, int& IOERR, int& LENMA, int& LENMI, int& LENMY,
            int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& /*NTYPE2*/, int* PDCODE, int* STATUS,
            bool& UP, double* UZERO, double* /*XBZERO*/, double* YQ) {
  io::F1<double> bascb(BASCB), brk(BREAK), yq(YQ);
  io::F1<int> enter(ENTER), intypd(INTYPD), pdcode(PDCODE), status(STATUS);
  const double BIG = RVNCOM.BIG;
  const double ZL = RVNCOM.ZL;
  const double ZLC = RVNCOM.ZLC;

  // 1. Sizes.
  check_sizes("XRANGD", M, N, MAXM, MAXN, IOERR);

  // 2. No break point yet.
  for (int i = 1; i <= M; ++i) {
    enter(i) = 0;
    intypd(i) = 0;
    brk(i) = BIG;
  }
  lp::postopt::clear_tail(UZERO, M, MAXM);

  // 3. Each nonbasic column: the cost change of basic position i that
  // makes its reduced cost vanish is DJ / (B^-1 a(j))(i).
  for (int j = 1; j <= N; ++j) {
    const int sj = status(j);
    if (sj != kAtLower && sj != kAtUpper) continue;
    double CJ = 0.0;
    int COLLEN = 0;
    const double DJ = reduced_cost(j, CJ, COLA, COLI, COLLEN, COLMAX, IOERR,
                                   LENMA, LENMY, MAPA, MEMORY, MAXM, UZERO);
    const bool lower = (sj == kAtLower);
    if (lower ? (DJ > 0.0) : (DJ < 0.0)) {
      not_dual_feasible("XRANGD", j, sj, DJ, IOERR);
    }
    lp::postopt::scatter(COLA, COLI, COLLEN, MAXM, YQ);
    XFTRAN(YQ, IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY);
    for (int i = 1; i <= M; ++i) {
      double y = UP ? yq(i) : -yq(i);
      if (std::fabs(y) < ZL) y = 0.0;
      if (!((!lower && y > 0.0) || (lower && y < 0.0))) continue;
      double ratio = DJ / y;
      if (std::fabs(ratio) < ZLC) ratio = 0.0;
      if (ratio <= brk(i)) {
        brk(i) = ratio;
        enter(i) = j;
        intypd(i) = lower ? 1 : -1;
      }
    }
  }

  // 4. Break points as costs.
  for (int i = 1; i <= M; ++i) {
    if (enter(i) == 0) {
      pdcode(i) = 2;
      brk(i) = UP ? BIG : -BIG;
    } else {
      pdcode(i) = 1;
      brk(i) = UP ? bascb(i) + brk(i) : bascb(i) - brk(i);
    }
  }
}
