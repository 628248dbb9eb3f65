// packed_sums.h — products of packed store columns with a row vector
// (internal to the LP engine: the pricing scan of FCAND and the dual ratio
// test of FDCHQ).
//
// A column is entries [k, e) of ACOEFF/ROWNOS; a row number 0 ends it
// early.  With kSkipRows, entries whose row lies beyond ROW_LIMIT (filler
// of a larger caller) are passed over.  Each column's sums, the product and
// the sum of the products' magnitudes, are formed entry by entry in stored
// order.  pair_sums forms two columns' sums side by side, each exactly as
// column_sums alone would: interleaving only lets the processor overlap
// the two chains of additions, which bound the speed of a single product.
// The chains are locals so that they stay in registers.
#pragma once

#include <cmath>

namespace lp::packed {

struct Sums {
  double dot = 0.0;
  double abs = 0.0;
};

// Sums of one column from entry k on, continuing DOT and ABS.
template <bool kSkipRows>
inline Sums column_sums(int k, int e, const float* __restrict ACOEFF,
                        const int* __restrict ROWNOS,
                        const double* __restrict V, int row_limit, double dot,
                        double abs) {
  for (; k < e; ++k) {
    const int row = ROWNOS[k];
    if (row == 0) break;
    if (kSkipRows && row > row_limit) continue;
    const double t = static_cast<double>(ACOEFF[k]) * V[row - 1];
    dot += t;
    abs += std::fabs(t);
  }
  return Sums{dot, abs};
}

template <bool kSkipRows>
inline void pair_sums(int k1, int e1, int k2, int e2,
                      const float* __restrict ACOEFF,
                      const int* __restrict ROWNOS,
                      const double* __restrict V, int row_limit, Sums& s1,
                      Sums& s2) {
  double dot1 = 0.0, abs1 = 0.0, dot2 = 0.0, abs2 = 0.0;
  while (k1 < e1 && k2 < e2) {
    const int r1 = ROWNOS[k1];
    const int r2 = ROWNOS[k2];
    if (r1 == 0 || r2 == 0) break;
    if (kSkipRows && (r1 > row_limit || r2 > row_limit)) break;
    const double t1 = static_cast<double>(ACOEFF[k1]) * V[r1 - 1];
    const double t2 = static_cast<double>(ACOEFF[k2]) * V[r2 - 1];
    dot1 += t1;
    abs1 += std::fabs(t1);
    dot2 += t2;
    abs2 += std::fabs(t2);
    ++k1;
    ++k2;
  }
  // The rest of each column alone.
  s1 = column_sums<kSkipRows>(k1, e1, ACOEFF, ROWNOS, V, row_limit, dot1, abs1);
  s2 = column_sums<kSkipRows>(k2, e2, ACOEFF, ROWNOS, V, row_limit, dot2, abs2);
}

}  // namespace lp::packed
