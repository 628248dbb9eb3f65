// Helpers of the factorisation tests: factor storage with one-call
// wrappers, sparse matrices by columns, a dense reference solve, random
// matrices and capture of the message unit.
#pragma once

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "io/units.h"
#include "lu/sparse_lu.h"
#include "tests/dense_solve.h"

namespace lutest {

struct Entry {
  double v;
  int i, j;
};

// Square sparse matrix by columns of (row, value), one-based.
struct SparseMatrix {
  int n = 0;
  std::vector<std::vector<std::pair<int, double>>> cols;
  explicit SparseMatrix(int n_ = 0) : n(n_), cols(n_) {}
  std::vector<Entry> entries() const {
    std::vector<Entry> e;
    for (int j = 1; j <= n; ++j)
      for (auto [i, v] : cols[j - 1]) e.push_back({v, i, j});
    return e;
  }
  int nnz() const { return static_cast<int>(entries().size()); }
  std::vector<double> dense_column(int j) const {
    std::vector<double> c(n, 0.0);
    for (auto [i, v] : cols[j - 1]) c[i - 1] += v;
    return c;
  }
  void set_column(int j, const std::vector<double>& c) {
    cols[j - 1].clear();
    for (int i = 1; i <= n; ++i)
      if (c[i - 1] != 0.0) cols[j - 1].push_back({i, c[i - 1]});
  }
};

inline double max_abs(const std::vector<double>& x) {
  double m = 0;
  for (double v : x) m = std::max(m, std::abs(v));
  return m;
}

// Normwise relative residual |b - op(A) x| / (|op(A)| |x| + |b|).
inline double rel_residual(const SparseMatrix& m, const std::vector<double>& x,
                           const std::vector<double>& b, bool trans) {
  std::vector<double> y(m.n, 0.0), rs(m.n, 0.0);
  for (int j = 1; j <= m.n; ++j)
    for (auto [i, v] : m.cols[j - 1]) {
      const int o = trans ? j : i;
      y[o - 1] += v * x[(trans ? i : j) - 1];
      rs[o - 1] += std::abs(v);
    }
  for (int i = 0; i < m.n; ++i) y[i] -= b[i];
  return max_abs(y) / (max_abs(rs) * max_abs(x) + max_abs(b));
}

// Dense Gaussian elimination with partial pivoting; returns {} when a
// pivot is below 1e-9 of the largest entry (numerically singular).
inline std::vector<double> dense_solve(const SparseMatrix& m, std::vector<double> b) {
  std::vector<std::vector<double>> a(m.n, std::vector<double>(m.n, 0.0));
  for (int j = 1; j <= m.n; ++j)
    for (auto [i, v] : m.cols[j - 1]) a[i - 1][j - 1] += v;
  return testref::gauss_solve(std::move(a), std::move(b), 1e-9);
}

// Factor storage of one factorisation, with the routines wrapped.
struct Lu {
  int n, ia;
  std::vector<double> A, W;
  std::vector<int> IND, IP, IW;
  double G = 0.0, U = 0.1;

  Lu(int n_, int ia_)
      : n(n_), ia(ia_), A(std::max(ia_, 1)), W(std::max(n_, 1), 0.0),
        IND(2 * std::max(ia_, 1)), IP(2 * std::max(n_, 1)), IW(8 * std::max(n_, 1)) {}

  int& iw(int i, int c) { return IW[(i - 1) + static_cast<size_t>(c - 1) * n]; }
  double factor(const std::vector<Entry>& e) {
    int nz = static_cast<int>(e.size());
    for (int k = 0; k < nz && k < ia; ++k) {
      A[k] = e[k].v;
      IND[k] = e[k].i;
      IND[k + ia] = e[k].j;
    }
    LA05AD(A.data(), IND.data(), nz, ia, n, IP.data(), IW.data(), W.data(), G, U);
    return G;
  }
  std::vector<double> solve(std::vector<double> b, bool trans) {
    bool t = trans;
    LA05BD(A.data(), IND.data(), ia, n, IP.data(), IW.data(), W.data(), G, b.data(), t);
    return b;
  }
  // Replaces column mm by the dense column c (after the solve the update
  // needs); returns G.
  double replace(const std::vector<double>& c, int mm) {
    solve(c, false);
    LA05CD(A.data(), IND.data(), ia, n, IP.data(), IW.data(), W.data(), G, U, mm);
    return G;
  }
};

struct Gen {
  std::mt19937_64 rng;
  explicit Gen(unsigned long long seed) : rng(seed) {}
  int uniform_int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  double value() {  // magnitude in [0.1, 1], random sign
    const double v = std::uniform_real_distribution<double>(0.1, 1.0)(rng);
    return uniform_int(0, 1) ? v : -v;
  }
  std::vector<double> vector(int n) {
    std::vector<double> b(n);
    for (auto& x : b) x = std::uniform_real_distribution<double>(-1, 1)(rng);
    return b;
  }
  // A permuted diagonal plus random entries; a fraction `slack` of the
  // columns are signed unit columns (the shape of an LP basis).
  SparseMatrix matrix(int n, double per_col, double slack = 0.0) {
    SparseMatrix m(n);
    std::vector<int> p(n);
    for (int i = 0; i < n; ++i) p[i] = i + 1;
    std::shuffle(p.begin(), p.end(), rng);
    for (int j = 1; j <= n; ++j) {
      auto& c = m.cols[j - 1];
      const bool unit = std::uniform_real_distribution<double>(0, 1)(rng) < slack;
      c.push_back({p[j - 1], unit ? 1.0 : value()});
      const int extra = unit ? 0 : std::poisson_distribution<int>(per_col - 1.0)(rng);
      for (int t = 0; t < extra && static_cast<int>(c.size()) < n; ++t) {
        const int i = uniform_int(1, n);
        if (std::none_of(c.begin(), c.end(), [&](auto& e) { return e.first == i; }))
          c.push_back({i, value()});
      }
    }
    return m;
  }
};

// Connects the message unit to a temporary file; lines() reads it back.
class Capture {
 public:
  Capture() : path_((std::filesystem::temp_directory_path() /
                     ("posy_lu_msg_" + std::to_string(::getpid()))).string()) {
    io::open_unit(71, path_, io::OpenStatus::kReplace);
    LA05DD.LP = 71;
  }
  ~Capture() {
    io::close_unit(71);
    LA05DD.LP = 0;
    std::filesystem::remove(path_);
  }
  std::vector<std::string> lines() {
    io::close_unit(71);
    std::ifstream in(path_);
    std::vector<std::string> out;
    for (std::string s; std::getline(in, s);) out.push_back(s);
    io::open_unit(71, path_, io::OpenStatus::kReplace);
    return out;
  }

 private:
  std::string path_;
};

struct LuTest : ::testing::Test {
  void SetUp() override {
    LA05DD.SMALL = 1.0e-10;
    LA05DD.LP = 0;
  }
};

}  // namespace lutest
