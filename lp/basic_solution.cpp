// basic_solution.cpp — the basic solution, the objective and the accuracy
// check.
//
//   XBREDU  WORK = B - sum over nonbasic columns of value(j) a(j);
//           ZNB = sum of c(j) value(j) over the same columns.
//   XBCOMP  basic values XBZERO(1..M) and objective Z from scratch (needs
//           current factors).
//   XZCOMP  objective Z alone from BASCB, XBZERO and the nonbasic columns.
//   XCHECK  largest primal residual (by row) and dual residual (reduced
//           cost of a basic column), against tolerances.
//   XDOT    sparse dot product with cancellation to zero.
//
// Value of a nonbasic column j by STATUS(j):
//   1..M basic (none here); > M superbasic XBZERO(STATUS(j));
//   0, -4 lower bound: LJ when BNDTYP = 4 and LJ /= 0, else nothing;
//   -1 (and -5, -6, ...) upper bound: BOUND (BNDTYP 2), UJ (BNDTYP 3, 4;
//   nothing when UJ = 0), infinite otherwise (a stop);
//   -2, -3 nothing.

#include <cmath>

#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/workspace.h"

namespace {

[[noreturn]] void stop_engine(int code, int& IOERR) {
  int error = code;
  XSTOP(error, IOERR);
  io::stop_run(1, "");  // not reached
}

void bad_size(const char* name, int value, int code, int& IOERR) {
  io::Line(IOERR) << name << io::X(5) << io::I(value, 5);
  stop_engine(code, IOERR);
}

// Outcome of the value rule for one column.
enum class Nonbasic {
  kNothing,   // basic, free slack, artificial, or at a zero bound
  kValue,     // contributes VALUE
  kInfinite,  // at an upper bound that is infinite
};

// value(j) of the file head.  STATUS(j) = s.
Nonbasic nonbasic_value(int s, int j, int M, int BNDTYP, double BOUND,
                        int& IOERR, int& LENMA, int& LENMY, int* MAPA,
                        double* MEMORY, const double* XBZERO, double& VALUE) {
  if (s > 0) {
    if (s <= M) return Nonbasic::kNothing;
    VALUE = XBZERO[s - 1];  // superbasic
    return Nonbasic::kValue;
  }
  if (s == 0 || s == -4) {
    if (BNDTYP != 4) return Nonbasic::kNothing;
    double LJ = 0.0, UJ = 0.0;
    int BT = BNDTYP, J = j;
    XGETUB(BT, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
    if (LJ == 0.0) return Nonbasic::kNothing;
    VALUE = LJ;
    return Nonbasic::kValue;
  }
  if (s == -2 || s == -3) return Nonbasic::kNothing;
  // At the upper bound.
  if (BNDTYP == 2) {
    VALUE = BOUND;
    return Nonbasic::kValue;
  }
  if (BNDTYP == 3 || BNDTYP == 4) {
    double LJ = 0.0, UJ = 0.0;
    int BT = BNDTYP, J = j;
    XGETUB(BT, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
    if (UJ == 0.0) return Nonbasic::kNothing;
    VALUE = UJ;
    return Nonbasic::kValue;
  }
  return Nonbasic::kInfinite;
}

}  // namespace

// XBREDU: reduced right-hand side.
//   In:  B(1..M), BNDTYP, BOUND, STATUS(1..N), XBZERO (superbasic values at
//        positions above M), the store.
//   Out: WORK(1..M) (may be XBZERO itself), ZNB.
//   Scratch: COLA, COLI (COLMAX).
//   Fails: M outside 1..MAXM (code 1), N outside 0..MAXN (code 2), a column
//          at an infinite upper bound (" XBREDU...VARIABLE j AT INFINITE
//          BOUND.", code 0).
void XBREDU(double* B, int& BNDTYP, double& BOUND, double* COLA, int* COLI,
            int& COLMAX, int& IOERR, int& LENMA, int& LENMY, int& M,
            int* MAPA, int& MAXM, int& MAXN, double* MEMORY, int& N,
            int* STATUS, double* WORK, double* XBZERO, double& ZNB) {
  if (M < 1 || M > MAXM) bad_size(" XBREDU", M, 1, IOERR);
  if (N < 0 || N > MAXN) bad_size(" XBREDU", N, 2, IOERR);
  io::F1<double> b(B), work(WORK), cola(COLA);
  io::F1<int> status(STATUS), coli(COLI);

  ZNB = 0.0;
  for (int i = 1; i <= M; ++i) work(i) = b(i);
  double CJ = 0.0;
  int COLLEN = 0;
  for (int j = 1; j <= N; ++j) {
    double value = 0.0;
    Nonbasic kind = nonbasic_value(status(j), j, M, BNDTYP, BOUND, IOERR,
                                   LENMA, LENMY, MAPA, MEMORY, XBZERO, value);
    if (kind == Nonbasic::kNothing) continue;
    if (kind == Nonbasic::kInfinite) {
      io::Line(IOERR) << " XBREDU...VARIABLE " << io::I(j, 5)
                             << " AT INFINITE BOUND.";
      stop_engine(0, IOERR);
    }
    int J = j;
    XGETAJ(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, LENMA, LENMY, MAPA,
           MEMORY);
    ZNB += CJ * value;
    // Entries beyond row M are filler zeros of reserved column slices:
    // they change nothing and are not written (WORK may hold only M rows).
    for (int k = 1; k <= COLLEN; ++k)
      if (coli(k) <= M) work(coli(k)) -= cola(k) * value;
  }
}

// XBCOMP: basic values and objective from scratch.
//   In:  the current factors of BASIS (XFACT), BASCB(1..M), the state.
//   Out: XBZERO(1..M) (magnitudes below ZL set to 0), Z.
//   Fails: M outside 1..MAXM (code 1), N outside 1..MAXN (code 2).
void XBCOMP(double* B, double* BASCB, int& BNDTYP, double& BOUND,
            double* COLA, int* COLI, int& COLMAX, int& IOERR, int& LENMA,
            int& LENMI, int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM,
            int& MAXN, double* MEMORY, int& N, int* STATUS, double* XBZERO,
            double& Z) {
  if (M < 1 || M > MAXM) bad_size(" XBCOMP", M, 1, IOERR);
  if (N < 1 || N > MAXN) bad_size(" XBCOMP", N, 2, IOERR);
  io::F1<double> xbzero(XBZERO), bascb(BASCB);
  const double ZL = RVNCOM.ZL;

  Z = 0.0;
  double ZNB = 0.0;
  XBREDU(B, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMY, M, MAPA,
         MAXM, MAXN, MEMORY, N, STATUS, XBZERO, XBZERO, ZNB);
  Z += ZNB;
  XFTRAN(XBZERO, IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY);
  for (int i = 1; i <= M; ++i) {
    if (std::fabs(xbzero(i)) < ZL) xbzero(i) = 0.0;
    Z += xbzero(i) * bascb(i);
  }
}

// XZCOMP: objective from BASCB, XBZERO and the nonbasic columns.
//   Out: Z.  Fails: M (code 1), N outside 1..MAXN (code 2), a column at an
//   infinite upper bound (" XZCOMP" BNDTYP, code 3).
void XZCOMP(double* BASCB, int& BNDTYP, double& BOUND, double* COLA,
            int* COLI, int& COLMAX, int& IOERR, int& LENMA, int& LENMY,
            int& M, int* MAPA, int& MAXM, int& MAXN, double* MEMORY, int& N,
            int* STATUS, double* XBZERO, double& Z) {
  if (M < 1 || M > MAXM) bad_size(" XZCOMP", M, 1, IOERR);
  if (N < 1 || N > MAXN) bad_size(" XZCOMP", N, 2, IOERR);
  io::F1<double> xbzero(XBZERO), bascb(BASCB);
  io::F1<int> status(STATUS);

  Z = 0.0;
  for (int i = 1; i <= M; ++i) Z += xbzero(i) * bascb(i);
  double CJ = 0.0;
  int COLLEN = 0;
  for (int j = 1; j <= N; ++j) {
    double value = 0.0;
    Nonbasic kind = nonbasic_value(status(j), j, M, BNDTYP, BOUND, IOERR,
                                   LENMA, LENMY, MAPA, MEMORY, XBZERO, value);
    if (kind == Nonbasic::kNothing) continue;
    if (kind == Nonbasic::kInfinite)
      bad_size(" XZCOMP", BNDTYP, 3, IOERR);
    int J = j;
    XGETAJ(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, LENMA, LENMY, MAPA,
           MEMORY);
    Z += CJ * value;
  }
}

// XCHECK: residuals of the current solution and prices.
//   In:  PTOLER, DTOLER, BASIS(1..M), XBZERO(1..M), UZERO (rows), state.
//   Out: PERROR/PINDEX (largest |B - A x| and its row), DERROR/DINDEX
//        (largest |c(j) - u a(j)| over basic columns and its position),
//        POK = PERROR <= PTOLER, DOK = DERROR <= DTOLER; a line on IOERR
//        for each tolerance exceeded (primal first).
//   Scratch: WORK(1..M), COLA, COLI.
void XCHECK(double* B, int* BASIS, int& BNDTYP, double& BOUND, double* COLA,
            int* COLI, int& COLMAX, double& DERROR, int& DINDEX, bool& DOK,
            double& DTOLER, int& IOERR, int& LENMA, int& LENMY, int& M,
            int* MAPA, int& MAXM, int& MAXN, double* MEMORY, int& N,
            double& PERROR, int& PINDEX, bool& POK, double& PTOLER,
            int* STATUS, double* UZERO, double* WORK, double* XBZERO) {
  if (M < 1 || M > MAXM) bad_size(" XCHECK", M, 1, IOERR);
  io::F1<double> work(WORK), uzero(UZERO), xbzero(XBZERO), cola(COLA);
  io::F1<int> basis(BASIS), coli(COLI);

  POK = DOK = true;
  PERROR = DERROR = 0.0;
  PINDEX = DINDEX = 0;
  double ZNB = 0.0;
  XBREDU(B, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMY, M, MAPA,
         MAXM, MAXN, MEMORY, N, STATUS, WORK, XBZERO, ZNB);

  double CJ = 0.0;
  int COLLEN = 0;
  for (int i = 1; i <= M; ++i) {
    int J = basis(i);
    XGETAJ(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, LENMA, LENMY, MAPA,
           MEMORY);
    const double x = xbzero(i);
    for (int k = 1; k <= COLLEN; ++k) {
      const int r = coli(k);
      if (r > M) continue;  // filler zero beyond the last row
      work(r) -= cola(k) * x;
      CJ -= cola(k) * uzero(r);
    }
    if (std::fabs(CJ) > DERROR) {
      DERROR = std::fabs(CJ);
      DINDEX = i;
    }
  }
  for (int i = 1; i <= M; ++i) {
    work(i) = std::fabs(work(i));
    if (work(i) > PERROR) {
      PERROR = work(i);
      PINDEX = i;
    }
  }
  if (PERROR > PTOLER) POK = false;
  if (DERROR > DTOLER) DOK = false;
  if (!POK)
    io::Line(IOERR) << " XCHECK...MAXIMUM PRIMAL RESIDUAL: "
                           << io::I(PINDEX, 5) << io::X(5)
                           << io::D(PERROR, 17, 10);
  if (!DOK)
    io::Line(IOERR) << " XCHECK...MAXIMUM DUAL RESIDUAL: "
                           << io::I(DINDEX, 5) << io::X(5)
                           << io::D(DERROR, 17, 10);
}

// XDOT: ZDOT = sum ROW(COLI(k)) COLA(k), k = 1..COLLEN, set to 0 when below
// ZL absolutely or below ZL times the sum of the terms' magnitudes.
void XDOT(double* COLA, int* COLI, int& COLLEN, int& /*COLMAX*/,
          int& /*MAXM*/, double* ROW, double& ZDOT) {
  const double ZL = RVNCOM.ZL;
  double dot = 0.0;
  double zabs = 0.0;
  for (int k = 0; k < COLLEN; ++k) {
    const double temp = ROW[COLI[k] - 1] * COLA[k];
    dot += temp;
    zabs += std::fabs(temp);
  }
  const double mag = std::fabs(dot);
  if (mag < ZL || mag < ZL * zabs) dot = 0.0;
  ZDOT = dot;
}
