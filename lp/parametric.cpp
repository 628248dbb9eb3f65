// parametric.cpp — a parametric right-hand-side step, installing a given
// basis, and pricing through the column-store interface.
//
//   XPARAB  moves B along DIRECT from an optimal basis to the next break
//           point (primal ratio test on B^-1 DIRECT) and, on request, makes
//           the dual simplex pivot that keeps the basis optimal there.
//   XSTART  installs the caller's BASIS/STATUS: basic costs and bounds,
//           factors, basic values, Z and prices.
//   XCAND   FCAND's partial pricing with columns fetched by XGETAJ and
//           priced by XDOT.
//
// As in ranging, a basic variable without a finite lower bound never
// blocks a decrease (free slacks have BASLB = -BIG).

#include <cmath>

#include "io/edit.h"
#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/postopt_support.h"
#include "lp/workspace.h"

namespace {

using lp::postopt::stop;
using namespace lp::postopt::codes;

// Scans columns FIRST..LAST and merges the attractive ones into the key
// list CAND/CANDCJ (keys |DJ| decreasing, equal keys in scan order).
void scan_fetched(int FIRST, int LAST, bool phase2, int& PICK, int& PPRIME,
                  int* CAND, double* CANDCJ, int* STATUS, double* UZERO,
                  double* COLA, int* COLI, int& COLMAX, int& IOERR,
                  int& LENMA, int& LENMY, int* MAPA, double* MEMORY,
                  int& MAXM) {
  io::F1<int> cand(CAND), status(STATUS);
  io::F1<double> candcj(CANDCJ);
  const double ZLC = RVNCOM.ZLC;
  for (int j = FIRST; j <= LAST; ++j) {
    const int s = status(j);
    if (s != kAtLower && s != kAtUpper) continue;
    double CJ = 0.0, zdot = 0.0;
    int COLLEN = 0;
    lp::postopt::fetch_column(j, CJ, COLA, COLI, COLLEN, COLMAX, IOERR, LENMA,
                              LENMY, MAPA, MEMORY, MAXM);
    XDOT(COLA, COLI, COLLEN, COLMAX, MAXM, UZERO, zdot);
    double dj = phase2 ? CJ - zdot : -zdot;
    if (std::fabs(dj) < ZLC) dj = 0.0;
    if (!((dj > 0.0 && s == kAtLower) || (dj < 0.0 && s == kAtUpper))) {
      continue;
    }
    // Insertion before the first strictly smaller key.
    const double key = std::fabs(dj);
    int k = 1;
    while (k <= PPRIME && !(candcj(k) < key)) ++k;
    if (k <= PPRIME) {
      const int last = (PPRIME < PICK - 1) ? PPRIME : PICK - 1;
      for (int m = last; m >= k; --m) {
        cand(m + 1) = cand(m);
        candcj(m + 1) = candcj(m);
      }
      cand(k) = j;
      candcj(k) = key;
      if (PPRIME < PICK) ++PPRIME;
    } else if (PPRIME < PICK) {
      ++PPRIME;
      cand(PPRIME) = j;
      candcj(PPRIME) = key;
    }
  }
}

}  // namespace

// ---- XPARAB ---------------------------------------------------------------

void XPARAB(double& ALPHA, double* B, double* BASCB, int* BASIS,
            double* BASLB, double* BASUB, double* BETAR, int& BNDTYP,
            double& BOUND, bool& CHANGE, double* COLA, int* COLI,
            int& COLMAX, double* DIRECT, int& FACTIT, int& FACTOR, int& IOERR,
            int& IOLOG, int& LEAVE, int& LENMA, int& LENMI, int& LENMY,
            int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& NTYPE2, int& PBCODE, int& PRINT,
            int& R, int* STATUS, double* UZERO, double* XBZERO, double* YQ,
            double& Z) {
  io::F1<double> b(B), baslb(BASLB), basub(BASUB);
  io::F1<double> betar(BETAR), direct(DIRECT), uzero(UZERO), xbzero(XBZERO);
  io::F1<double> yq(YQ);
  io::F1<int> basis(BASIS), status(STATUS);
  const double BIG = RVNCOM.BIG;
  const double ZL = RVNCOM.ZL;
  const double ZLC = RVNCOM.ZLC;
  const double EPS3 = RVNCOM.EPS3;

  // 1. Sizes.
  lp::postopt::check_sizes("XPARAB", M, N, MAXM, MAXN, IOERR);

  // 2. Direction of the basic values: B^-1 DIRECT.
  PBCODE = 1;
  for (int i = 1; i <= MAXM; ++i) yq(i) = (i <= M) ? direct(i) : 0.0;
  XFTRAN(YQ, IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY);

  // 3-4. Primal ratio test (each kind keeps its least ratio, ties to the
  // later row; the scan runs to the end) and the choice of the row.
  int OUTTYP = 0;
  lp::postopt::primal_ratio_test("XPARAB", /*D_FIELDS=*/false,
                                 /*ZERO_ENDS=*/false, M, BASIS, BASLB, BASUB,
                                 XBZERO, YQ, IOERR, ALPHA, R, OUTTYP);
  LEAVE = 0;
  if (R == 0) {
    PBCODE = 2;
    return;
  }
  LEAVE = basis(R);

  // 5. Only the break point was asked for.
  if (!CHANGE) return;

  // 6. Move to the break point: values, right-hand side and objective.
  if (ALPHA >= ZL) {
    double RATE = 0.0;
    for (int i = 1; i <= M; ++i) {
      const double x = xbzero(i) + yq(i) * ALPHA;
      xbzero(i) = (std::fabs(x) < ZL) ? 0.0 : x;
      b(i) = b(i) + direct(i) * ALPHA;
      RATE = RATE + direct(i) * uzero(i);
    }
    Z = Z + ALPHA * RATE;
  }

  // 7-8. Dual ratio test on row R of the basis inverse; lost dual
  // feasibility stops the run.
  bool DUNBDD = false;
  int INTYP = 0, Q = 0;
  double LAMBDA = 0.0, PIVOT = 0.0;
  lp::postopt::dual_ratio_row("XPARAB", R, BETAR, COLA, COLI, COLMAX, INTYP,
                              IOERR, LAMBDA, LENMA, LENMI, LENMY, M, MAPA,
                              MAPI, MAXM, MAXN, MEMORY, N, OUTTYP, PIVOT, Q,
                              STATUS, DUNBDD, UZERO);

  // 9. Nothing can enter: beyond ALPHA the LP is infeasible.
  if (DUNBDD || std::fabs(PIVOT) < EPS3) {
    PBCODE = 3;
    io::Record(IOLOG, '0') << "XPARAB...DUAL EXTREME RAY";
    io::Line(IOLOG) << " ALPHA=" << io::E(ALPHA, 16, 8) << io::X(10)
                    << " PIVOT=" << io::E(PIVOT, 16, 8);
    return;
  }

  // 10. The pivot, degenerate in the primal: the leaving variable is at its
  // bound and the entering one stays at its own.
  double LQ = 0.0, UQ = BIG;
  lp::postopt::enter_column(Q, R, BASCB, BNDTYP, BOUND, COLA, COLI, COLMAX,
                            IOERR, LENMA, LENMI, LENMY, M, MAPA, MAPI, MAXM,
                            MEMORY, NTYPE2, YQ, LQ, UQ);
  basis(R) = Q;
  if (status(Q) != kFree) status(Q) = R;
  if (status(LEAVE) != kArtificial) {
    status(LEAVE) = (OUTTYP == -1) ? kAtUpper : kAtLower;
  }
  baslb(R) = LQ;
  basub(R) = UQ;
  xbzero(R) = (INTYP == -1) ? UQ : LQ;

  // 11. Prices.
  for (int i = 1; i <= M; ++i) {
    const double u = uzero(i) + betar(i) * LAMBDA;
    uzero(i) = (std::fabs(u) < ZLC) ? 0.0 : u;
  }

  // 12. Log.
  if (PRINT > 1) {
    double DQ = PIVOT * LAMBDA, THETA = 0.0;
    int ITER = 0;
    XLOG(DQ, INTYP, IOLOG, ITER, LEAVE, OUTTYP, PIVOT, Q, R, THETA, Z);
  }

  // 13. Refactorisation.
  FACTIT = FACTIT + 1;
  if (FACTIT > FACTOR) {
    FACTIT = 0;
    lp::postopt::refresh(B, BASCB, BASIS, BASLB, BASUB, BNDTYP, BOUND, COLA,
                         COLI, COLMAX, IOERR, LENMA, LENMI, LENMY, M, MAPA,
                         MAPI, MAXM, MAXN, MEMORY, N, STATUS, UZERO, XBZERO, Z);
  }
}

// ---- XSTART ---------------------------------------------------------------

void XSTART(double* B, double* BASCB, int* BASIS, double* BASLB,
            double* BASUB, int& BNDTYP, double& BOUND, double* COLA,
            int* COLI, int& COLMAX, int& IOERR, int& LENMA, int& LENMI,
            int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& NTYPE2, int& SCODE, int* STATUS,
            double* UZERO, double* XBZERO, double& Z) {
  io::F1<int> basis(BASIS), status(STATUS);
  io::F1<double> bascb(BASCB), baslb(BASLB), basub(BASUB), uzero(UZERO);
  const double BIG = RVNCOM.BIG;

  // 1. Size.
  if (M < 1 || M > MAXM) {
    io::Line(IOERR) << " XSTART" << io::X(5) << io::I(M, 5);
    stop(kBadRows, IOERR);
  }

  // 2. Costs and bounds of the basic columns.
  SCODE = 1;
  for (int i = 1; i <= M; ++i) {
    const int j = basis(i);
    if (j < 1 || j > N || N > MAXN) {
      io::Line(IOERR) << " XSTART" << io::X(5) << io::I(j, 5);
      stop(kBadColumns, IOERR);
    }
    double CJ = 0.0;
    int COLLEN = 0;
    lp::postopt::fetch_column(j, CJ, COLA, COLI, COLLEN, COLMAX, IOERR, LENMA,
                              LENMY, MAPA, MEMORY, MAXM);
    bascb(i) = CJ;
    if (status(j) == kFree) {
      baslb(i) = -BIG;
      basub(i) = BIG;
    } else if (status(j) == kArtificial) {
      baslb(i) = 0.0;
      basub(i) = 0.0;
    } else {
      lp::postopt::column_bounds(BNDTYP, BOUND, NTYPE2, j, IOERR, LENMA, LENMY,
                                 MAPA, MEMORY, baslb(i), basub(i));
    }
  }

  // 3. Factors, basic values and Z, prices.
  int FCODE = 0;
  XFACT(BASCB, BASIS, BASLB, BASUB, COLA, COLI, COLMAX, FCODE, IOERR, LENMA,
        LENMI, LENMY, M, MAPA, MAPI, MAXM, MEMORY);
  XBCOMP(B, BASCB, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMI,
         LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, STATUS, XBZERO, Z);
  for (int i = 1; i <= MAXM; ++i) uzero(i) = (i <= M) ? bascb(i) : 0.0;
  XBTRAN(IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY, UZERO);
}

// ---- XCAND ----------------------------------------------------------------

void XCAND(int* /*BASIS*/, int* CAND, double* CANDA, double* CANDCJ,
           int* CANDI, int* CANDL, double* COLA, int* COLI, int& COLMAX,
           int& IOERR, int& LENMA, int& LENMY, int& LOOK, int& /*M*/,
           int* MAPA, int& MAXM, int& /*MAXN*/, double* MEMORY, int& N,
           int& PICK, int& PHASE, int& PPRIME, int& START1, int& START2,
           int* STATUS, double* UZERO) {
  const bool phase2 = (PHASE == 2);
  PPRIME = 0;

  // First window START1 .. min(START1+LOOK-1, N).
  const long long wend = static_cast<long long>(START1) + LOOK - 1;
  const int last1 = static_cast<int>(wend < N ? wend : N);
  START2 = last1;
  scan_fetched(START1, last1, phase2, PICK, PPRIME, CAND, CANDCJ, STATUS,
               UZERO, COLA, COLI, COLMAX, IOERR, LENMA, LENMY, MAPA, MEMORY,
               MAXM);

  // Wrap-around window 1 .. min(wend-N, START1-1).
  if (wend > N) {
    long long last2 = wend - N;
    if (last2 > START1 - 1) last2 = START1 - 1;
    if (last2 >= 1) {
      START2 = static_cast<int>(last2);
      scan_fetched(1, START2, phase2, PICK, PPRIME, CAND, CANDCJ, STATUS,
                   UZERO, COLA, COLI, COLMAX, IOERR, LENMA, LENMY, MAPA,
                   MEMORY, MAXM);
    }
  }

  // The survivors, fetched.
  io::F2<double> canda(CANDA, COLMAX);
  io::F2<int> candi(CANDI, COLMAX);
  for (int k = 1; k <= PPRIME; ++k) {
    int J = CAND[k - 1];
    XGETAJ(CANDCJ[k - 1], canda.column(k), candi.column(k), CANDL[k - 1],
           COLMAX, IOERR, J, LENMA, LENMY, MAPA, MEMORY);
  }
}
