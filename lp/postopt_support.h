// postopt_support.h — small helpers shared by the dual simplex, ranging and
// parametric routines (lp/dual_simplex.cpp, lp/ranging.cpp,
// lp/parametric.cpp).  Internal to the engine.
#pragma once

#include <algorithm>

#include "io/one_based.h"
#include "lp/engine.h"
#include "lp/workspace.h"

namespace lp::postopt {

// XSTOP with a code given by value.
[[noreturn]] inline void stop(int code, int& IOERR) {
  int error = code;
  XSTOP(error, IOERR);
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

}  // namespace lp::postopt
