// dense_solve.h — the tests' independent reference solve: dense Gaussian
// elimination with partial pivoting, for checking the sparse factors and
// the engine's basis solves against.
#pragma once

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace testref {

// Solves A x = b for the dense row-major A (n rows of n).  Returns {} when a
// pivot is at most SINGULAR times the largest entry of A (numerically
// singular; SINGULAR = 0 refuses exact zeros only).
inline std::vector<double> gauss_solve(std::vector<std::vector<double>> a,
                                       std::vector<double> b,
                                       double singular = 0.0) {
  const int n = static_cast<int>(b.size());
  double big = 0.0;
  for (const auto& row : a)
    for (double v : row) big = std::max(big, std::fabs(v));
  for (int k = 0; k < n; ++k) {
    int p = k;
    for (int i = k + 1; i < n; ++i)
      if (std::fabs(a[i][k]) > std::fabs(a[p][k])) p = i;
    if (std::fabs(a[p][k]) <= singular * big) return {};
    std::swap(a[k], a[p]);
    std::swap(b[k], b[p]);
    for (int i = k + 1; i < n; ++i) {
      const double f = a[i][k] / a[k][k];
      for (int j = k; j < n; ++j) a[i][j] -= f * a[k][j];
      b[i] -= f * b[k];
    }
  }
  for (int k = n - 1; k >= 0; --k) {
    for (int j = k + 1; j < n; ++j) b[k] -= a[k][j] * b[j];
    b[k] /= a[k][k];
  }
  return b;
}

}  // namespace testref
