// postopt_support.h — small helpers shared by the dual simplex, ranging and
// parametric routines and the primal driver (lp/dual_simplex.cpp,
// lp/ranging.cpp, lp/parametric.cpp, lp/primal_driver.cpp).  Internal to
// the engine.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "io/edit.h"
#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/workspace.h"

namespace lp::postopt {

// XSTOP codes and STATUS values the routines name.
namespace codes {
// XSTOP: " INVALID NUMBER OF CONSTRAINTS."
inline constexpr int kBadRows = 1;
// XSTOP: " INVALID NUMBER OF VARIABLES."
inline constexpr int kBadColumns = 2;
// XSTOP: no line of its own
inline constexpr int kSilent = 0;

inline constexpr int kAtLower = 0;      // STATUS: nonbasic at lower bound
inline constexpr int kAtUpper = -1;     // STATUS: nonbasic at upper bound
inline constexpr int kFree = -2;        // STATUS: free column
inline constexpr int kArtificial = -3;  // STATUS: equality artificial
}  // namespace codes

// XSTOP with a code given by value.
[[noreturn]] inline void stop(int code, int& IOERR) {
  int error = code;
  XSTOP(error, IOERR);
}

// "0<NAME>" + 5 blanks + VALUE(I5), then XSTOP CODE.
[[noreturn]] inline void bad_size(const char* NAME, int value, int code,
                                  int& IOERR) {
  io::Record(IOERR, '0') << NAME << io::X(5) << io::I(value, 5);
  stop(code, IOERR);
}

// M in 1..MAXM, then N in 1..MAXN, each failure reported by bad_size.
inline void check_sizes(const char* NAME, int& M, int& N, int& MAXM,
                        int& MAXN, int& IOERR) {
  if (M < 1 || M > MAXM) bad_size(NAME, M, codes::kBadRows, IOERR);
  if (N < 1 || N > MAXN) bad_size(NAME, N, codes::kBadColumns, IOERR);
}

// Bounds of column J by bound type: 2: 0..BOUND (0..BIG beyond NTYPE2);
// 3, 4: the bound store; otherwise 0..BIG.
inline void column_bounds(int& BNDTYP, double& BOUND, int NTYPE2, int J,
                          int& IOERR, int& LENMA, int& LENMY, int* MAPA,
                          double* MEMORY, double& LJ, double& UJ) {
  if (BNDTYP == 2) {
    LJ = 0.0;
    UJ = (J > NTYPE2) ? RVNCOM.BIG : BOUND;
  } else if (BNDTYP == 3 || BNDTYP == 4) {
    int j = J;
    XGETUB(BNDTYP, IOERR, j, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
  } else {
    LJ = 0.0;
    UJ = RVNCOM.BIG;
  }
}

// Fetches column J into CJ, COLA(1..COLLEN), COLI(1..COLLEN) and drops the
// entries whose row lies beyond MAXM: only filler pairs (value 0) of a
// column reserved by a caller with a larger MAXM can be there, and no
// row-indexed vector of MAXM entries may be read at them.
inline void fetch_column(int J, double& CJ, double* COLA, int* COLI,
                         int& COLLEN, int& COLMAX, int& IOERR, int& LENMA,
                         int& LENMY, int* MAPA, double* MEMORY, int MAXM) {
  int j = J;
  XGETAJ(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, j, LENMA, LENMY, MAPA,
         MEMORY);
  int kept = 0;
  for (int k = 0; k < COLLEN; ++k) {
    if (COLI[k] > MAXM) continue;
    COLA[kept] = COLA[k];
    COLI[kept] = COLI[k];
    ++kept;
  }
  COLLEN = kept;
}

// V(1..MAXM) = 0, then the COLLEN entries scattered by row.
inline void scatter(const double* COLA, const int* COLI, int COLLEN,
                    int MAXM, double* V) {
  std::fill(V, V + std::max(MAXM, 0), 0.0);
  for (int k = 0; k < COLLEN; ++k) V[COLI[k] - 1] = COLA[k];
}

// V(M+1..MAXM) = 0: rows that filler entries of the store may name.
inline void clear_tail(double* V, int M, int MAXM) {
  for (int i = std::max(M, 0); i < MAXM; ++i) V[i] = 0.0;
}

// The unit vector of position R over 1..MAXM.
inline void unit_vector(double* V, int R, int MAXM, double value = 1.0) {
  std::fill(V, V + std::max(MAXM, 0), 0.0);
  V[R - 1] = value;
}

// Primal ratio test along YQ(1..M) (the change of the basic values per
// unit step), cleaning YQ below ZL in place.  Kind 1: a basic variable
// decreasing to a finite lower bound; kind 2: one increasing to a finite
// upper bound; each kind keeps its least ratio, ties to the later row.
// With ZERO_ENDS a zero ratio ends the scan.  The decreasing kind is taken
// first and the increasing one when strictly smaller: ALPHA the step (BIG
// when nothing blocks), R the row (0 when nothing blocks), OUTTYP 1 or -1
// (left unchanged when nothing blocks).  A basic value outside its bounds
// stops the run: "0<NAME>...CURRENT SOLUTION NOT PRIMAL FEASIBLE", then
// " VARIABLE" j(I6) " IS OUT OF BOUNDS:" and the lower bound, value and
// upper bound in D16.8 (D_FIELDS) or E16.8 fields.
inline void primal_ratio_test(const char* NAME, bool D_FIELDS, bool ZERO_ENDS,
                              int M, const int* BASIS, const double* BASLB,
                              const double* BASUB, const double* XBZERO,
                              double* YQ, int& IOERR, double& ALPHA, int& R,
                              int& OUTTYP) {
  io::F1<const double> baslb(BASLB), basub(BASUB), xbzero(XBZERO);
  io::F1<double> yq(YQ);
  io::F1<const int> basis(BASIS);
  const double BIG = RVNCOM.BIG;
  const double ZL = RVNCOM.ZL;
  std::string (*const field)(double, int, int) = D_FIELDS ? io::D : io::E;

  double best1 = BIG, best2 = BIG;
  int r1 = 0, r2 = 0;
  for (int i = 1; i <= M; ++i) {
    if (std::fabs(yq(i)) < ZL) yq(i) = 0.0;
    const bool down = (yq(i) < 0.0 && baslb(i) > -BIG);
    const bool rise = (yq(i) > 0.0 && basub(i) < BIG);
    if (!down && !rise) continue;
    double room = down ? xbzero(i) - baslb(i) : basub(i) - xbzero(i);
    if (std::fabs(room) < ZL) room = 0.0;
    if (room < 0.0) {
      io::Record(IOERR, '0') << NAME
                             << "...CURRENT SOLUTION NOT PRIMAL FEASIBLE";
      io::Line(IOERR) << " VARIABLE" << io::I(basis(i), 6)
                      << " IS OUT OF BOUNDS:" << field(baslb(i), 16, 8)
                      << field(xbzero(i), 16, 8) << field(basub(i), 16, 8);
      stop(codes::kSilent, IOERR);
    }
    double ratio = room / std::fabs(yq(i));
    if (ratio < ZL) ratio = 0.0;
    if (down && ratio <= best1) {
      best1 = ratio;
      r1 = i;
    } else if (rise && ratio <= best2) {
      best2 = ratio;
      r2 = i;
    }
    if (ZERO_ENDS && ratio == 0.0) break;
  }

  ALPHA = BIG;
  R = 0;
  if (best1 < BIG && r1 != 0) {
    ALPHA = best1;
    R = r1;
    OUTTYP = 1;
  }
  if (r2 != 0 && best2 < ALPHA) {
    ALPHA = best2;
    R = r2;
    OUTTYP = -1;
  }
}

// Dual ratio test on row R of the basis inverse (left in BETAR; entries
// M+1..MAXM of UZERO cleared first) through XDCHQ, for a basic variable
// leaving towards OUTTYP.  Lost dual feasibility stops the run:
// "0<NAME>...DUAL FEASIBILITY LOST" 5X "COLUMN" Q(I5).
inline void dual_ratio_row(const char* NAME, int R, double* BETAR,
                           double* COLA, int* COLI, int& COLMAX, int& INTYP,
                           int& IOERR, double& LAMBDA, int& LENMA, int& LENMI,
                           int& LENMY, int& M, int* MAPA, int* MAPI,
                           int& MAXM, int& MAXN, double* MEMORY, int& N,
                           int& OUTTYP, double& PIVOT, int& Q, int* STATUS,
                           bool& DUNBDD, double* UZERO) {
  unit_vector(BETAR, R, MAXM);
  XBTRAN(IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY, BETAR);
  clear_tail(UZERO, M, MAXM);
  bool DFEAS = true;
  XDCHQ(BETAR, COLA, COLI, COLMAX, DFEAS, INTYP, IOERR, LAMBDA, LENMA, LENMY,
        MAPA, MAXM, MAXN, MEMORY, N, OUTTYP, PIVOT, Q, STATUS, DUNBDD, UZERO);
  if (!DFEAS) {
    io::Record(IOERR, '0') << NAME << "...DUAL FEASIBILITY LOST" << io::X(5)
                           << "COLUMN" << io::I(Q, 5);
    stop(codes::kSilent, IOERR);
  }
}

// One step of iterative refinement of the basic values and of the prices,
// each taken only when its residual exceeds its tolerance (EPS2 primal,
// EPS1 dual), so a solution that already passes the accuracy check is left
// as it is.  The factor solves treat a component whose numerator is below
// SMALL (1.0E-10) as exactly zero; a small true component behind a small
// pivot can thus be lost from a solve of a well-conditioned basis.  The
// correction is therefore solved for the residual scaled to a largest
// entry of 1 and scaled back.  Z is recomputed when the values change.
// Returns true when both residuals were within their tolerances (nothing
// changed): the accuracy check would then pass without a line.
inline bool refine(double* B, double* BASCB, int* BASIS, int& BNDTYP,
                   double& BOUND, double* COLA, int* COLI, int& COLMAX,
                   int& IOERR, int& LENMA, int& LENMI, int& LENMY, int& M,
                   int* MAPA, int* MAPI, int& MAXM, int& MAXN, double* MEMORY,
                   int& N, int* STATUS, double* UZERO, double* XBZERO,
                   double& Z) {
  std::vector<double> work(static_cast<std::size_t>(std::max(MAXM, 1)), 0.0);
  // Primal residual B - sum of nonbasic a(j) value(j) - sum of basic
  // a(j) x(j), by row.
  double ZNB = 0.0;
  XBREDU(B, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMY, M, MAPA,
         MAXM, MAXN, MEMORY, N, STATUS, work.data(), XBZERO, ZNB);
  // Dual residual of each basis position: c(j) - u a(j).
  std::vector<double> dual(static_cast<std::size_t>(std::max(MAXM, 1)), 0.0);
  for (int i = 0; i < M; ++i) {
    double CJ = 0.0;
    int COLLEN = 0;
    fetch_column(BASIS[i], CJ, COLA, COLI, COLLEN, COLMAX, IOERR, LENMA,
                 LENMY, MAPA, MEMORY, MAXM);
    for (int k = 0; k < COLLEN; ++k) {
      work[COLI[k] - 1] -= COLA[k] * XBZERO[i];
      CJ -= COLA[k] * UZERO[COLI[k] - 1];
    }
    dual[i] = CJ;
  }
  double perr = 0.0, derr = 0.0;
  for (int i = 0; i < M; ++i) {
    perr = std::max(perr, std::fabs(work[i]));
    derr = std::max(derr, std::fabs(dual[i]));
  }
  if (!(perr > RVNCOM.EPS2) && !(derr > RVNCOM.EPS1)) return true;
  if (perr > RVNCOM.EPS2) {
    for (int i = 0; i < M; ++i) work[i] /= perr;
    clear_tail(work.data(), M, MAXM);
    XFTRAN(work.data(), IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY);
    for (int i = 0; i < M; ++i) {
      XBZERO[i] += perr * work[i];
      if (std::fabs(XBZERO[i]) < RVNCOM.ZL) XBZERO[i] = 0.0;
    }
    XZCOMP(BASCB, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMY, M,
           MAPA, MAXM, MAXN, MEMORY, N, STATUS, XBZERO, Z);
  }
  if (derr > RVNCOM.EPS1) {
    for (int i = 0; i < M; ++i) dual[i] /= derr;
    clear_tail(dual.data(), M, MAXM);
    XBTRAN(IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY, dual.data());
    for (int i = 0; i < M; ++i) UZERO[i] += derr * dual[i];
  }
  return false;
}

// Fresh factors of the basis (XFACT), basic values and objective Z
// (XBCOMP), then the prices UZERO(1..M) = BASCB B^-1 (XBTRAN).  With
// NO_STOP a basis the factorisation finds singular does not stop the
// program: false is returned, nothing else is done, and the factors are
// unusable.
inline bool refresh(double* B, double* BASCB, int* BASIS, double* BASLB,
                    double* BASUB, int& BNDTYP, double& BOUND, double* COLA,
                    int* COLI, int& COLMAX, int& IOERR, int& LENMA,
                    int& LENMI, int& LENMY, int& M, int* MAPA, int* MAPI,
                    int& MAXM, int& MAXN, double* MEMORY, int& N, int* STATUS,
                    double* UZERO, double* XBZERO, double& Z,
                    bool no_stop = false) {
  if (no_stop) {
    if (lp::factorise(BASIS, COLA, COLI, COLMAX, IOERR, LENMA, LENMY, M, MAPA,
                      MAPI, MEMORY) < 0.0)
      return false;
  } else {
    int FCODE = 0;
    XFACT(BASCB, BASIS, BASLB, BASUB, COLA, COLI, COLMAX, FCODE, IOERR, LENMA,
          LENMI, LENMY, M, MAPA, MAPI, MAXM, MEMORY);
  }
  XBCOMP(B, BASCB, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMI,
         LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, STATUS, XBZERO, Z);
  for (int i = 0; i < M; ++i) UZERO[i] = BASCB[i];
  XBTRAN(IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY, UZERO);
  return true;
}

// Accuracy check of the final solution: a solution that misses the primal
// tolerance EPS2 or the dual tolerance EPS1 first gets one refinement step
// (refine), then XCHECK (YQ scratch) judges it and writes its lines.  A
// solution that refine found within both tolerances passes as it is (XCHECK
// would compute the same residuals and write nothing).  True when both hold.
inline bool accurate(double* B, double* BASCB, int* BASIS, int& BNDTYP,
                     double& BOUND, double* COLA, int* COLI, int& COLMAX,
                     int& IOERR, int& LENMA, int& LENMI, int& LENMY, int& M,
                     int* MAPA, int* MAPI, int& MAXM, int& MAXN,
                     double* MEMORY, int& N, int* STATUS, double* UZERO,
                     double* YQ, double* XBZERO, double& Z) {
  if (refine(B, BASCB, BASIS, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA,
             LENMI, LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, STATUS, UZERO,
             XBZERO, Z))
    return true;
  double DERROR = 0.0, PERROR = 0.0;
  int DINDEX = 0, PINDEX = 0;
  bool DOK = true, POK = true;
  double DTOLER = RVNCOM.EPS1, PTOLER = RVNCOM.EPS2;
  XCHECK(B, BASIS, BNDTYP, BOUND, COLA, COLI, COLMAX, DERROR, DINDEX, DOK,
         DTOLER, IOERR, LENMA, LENMY, M, MAPA, MAXM, MAXN, MEMORY, N, PERROR,
         PINDEX, POK, PTOLER, STATUS, UZERO, YQ, XBZERO);
  return POK && DOK;
}

// Column Q entering at basis position R: YQ = B^-1 a(q) (XFTRAN), the
// factors updated for the change (XUPDAT), BASCB(R) its cost and LQ, UQ
// its bounds.  Returns XUPDAT's UCODE.  With REFUSE_SINGULAR a change the
// factor update finds singular is refused instead of stopping the program:
// 0 is returned, BASCB and LQ, UQ are left alone, and the factors must be
// rebuilt (the basis itself has not changed).
inline int enter_column(int Q, int& R, double* BASCB, int& BNDTYP,
                        double& BOUND, double* COLA, int* COLI, int& COLMAX,
                        int& IOERR, int& LENMA, int& LENMI, int& LENMY, int& M,
                        int* MAPA, int* MAPI, int& MAXM, double* MEMORY,
                        int NTYPE2, double* YQ, double& LQ, double& UQ,
                        bool refuse_singular = false) {
  double CJ = 0.0;
  int COLLEN = 0;
  fetch_column(Q, CJ, COLA, COLI, COLLEN, COLMAX, IOERR, LENMA, LENMY, MAPA,
               MEMORY, MAXM);
  scatter(COLA, COLI, COLLEN, MAXM, YQ);
  XFTRAN(YQ, IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY);
  int UCODE = 0;
  if (refuse_singular) {
    int q = Q;
    if (!lp::update_or_refuse(IOERR, M, MAPI, MEMORY, q, R)) return 0;
    UCODE = 1;
  } else {
    XUPDAT(IOERR, LENMI, LENMY, M, MAPI, MEMORY, R, UCODE);
  }
  BASCB[R - 1] = CJ;
  column_bounds(BNDTYP, BOUND, NTYPE2, Q, IOERR, LENMA, LENMY, MAPA, MEMORY,
                LQ, UQ);
  return UCODE;
}

}  // namespace lp::postopt
