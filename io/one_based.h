// one_based.h — one-based views over caller-owned arrays.
//
// Public routines take plain pointers to element 1 (column-major for two
// dimensions); the first line of a routine wraps them:
//
//   F1<double> b(B);          b(1) .. b(n)
//   F2<double> canda(CANDA, COLMAX);   canda(i, j), i fastest
//
// Views are trivially copyable and cost nothing in optimised builds; Debug
// builds with POSY_CHECK_BOUNDS defined assert the index range where the
// extent is known.
#pragma once

#include <cassert>
#include <cstddef>

namespace io {

template <typename T>
class F1 {
 public:
  F1() = default;
  explicit F1(T* first, std::ptrdiff_t n = -1) : p_(first), n_(n) {}
  T& operator()(std::ptrdiff_t i) const {
#ifdef POSY_CHECK_BOUNDS
    assert(i >= 1 && (n_ < 0 || i <= n_));
#endif
    return p_[i - 1];
  }
  T* data() const { return p_; }  // element 1

 private:
  T* p_ = nullptr;  // element 1
  std::ptrdiff_t n_ = -1;
};

template <typename T>
class F2 {
 public:
  F2() = default;
  F2(T* first, std::ptrdiff_t ld, std::ptrdiff_t ncols = -1)
      : p_(first), ld_(ld), nc_(ncols) {}
  T& operator()(std::ptrdiff_t i, std::ptrdiff_t j) const {
#ifdef POSY_CHECK_BOUNDS
    assert(i >= 1 && i <= ld_ && j >= 1 && (nc_ < 0 || j <= nc_));
#endif
    return p_[(i - 1) + (j - 1) * ld_];
  }
  T* column(std::ptrdiff_t j) const { return p_ + (j - 1) * ld_; }

 private:
  T* p_ = nullptr;
  std::ptrdiff_t ld_ = 0;
  std::ptrdiff_t nc_ = -1;
};

}  // namespace io
