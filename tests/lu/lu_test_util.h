// lu_test_util.h — helpers of the factorisation tests: a holder of the
// factor storage with one-call wrappers, sparse matrices kept by columns
// with residual checks, a dense reference LU, random matrix generators and
// capture of the message unit.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "io/units.h"
#include "lu/sparse_lu.h"

namespace lutest {

struct Entry {
  double v;
  int i;  // row
  int j;  // column
};

// A square sparse matrix kept by columns (row, value), one-based indices.
struct SparseMatrix {
  int n = 0;
  std::vector<std::vector<std::pair<int, double>>> cols;  // cols[j-1]

  explicit SparseMatrix(int n_ = 0) : n(n_), cols(n_) {}

  std::vector<Entry> entries() const {
    std::vector<Entry> e;
    for (int j = 1; j <= n; ++j)
      for (auto [i, v] : cols[j - 1]) e.push_back({v, i, j});
    return e;
  }
  int nnz() const {
    int k = 0;
    for (auto& c : cols) k += static_cast<int>(c.size());
    return k;
  }
  std::vector<double> dense_column(int j) const {
    std::vector<double> c(n, 0.0);
    for (auto [i, v] : cols[j - 1]) c[i - 1] += v;
    return c;
  }
  std::vector<double> dense() const {  // column-major n*n
    std::vector<double> d(static_cast<size_t>(n) * n, 0.0);
    for (int j = 1; j <= n; ++j)
      for (auto [i, v] : cols[j - 1]) d[(i - 1) + static_cast<size_t>(j - 1) * n] += v;
    return d;
  }
  // y = A x (trans false) or A' x.
  std::vector<double> multiply(const std::vector<double>& x, bool trans) const {
    std::vector<double> y(n, 0.0);
    for (int j = 1; j <= n; ++j)
      for (auto [i, v] : cols[j - 1]) {
        if (trans)
          y[j - 1] += v * x[i - 1];
        else
          y[i - 1] += v * x[j - 1];
      }
    return y;
  }
  double norm_inf() const {  // max row sum
    std::vector<double> r(n, 0.0);
    for (auto& c : cols)
      for (auto [i, v] : c) r[i - 1] += std::abs(v);
    double m = 0;
    for (double x : r) m = std::max(m, x);
    return m;
  }
  double norm_one() const {  // max column sum
    double m = 0;
    for (auto& c : cols) {
      double s = 0;
      for (auto [i, v] : c) s += std::abs(v);
      m = std::max(m, s);
    }
    return m;
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
  auto y = m.multiply(x, trans);
  double r = 0;
  for (int i = 0; i < m.n; ++i) r = std::max(r, std::abs(y[i] - b[i]));
  const double an = trans ? m.norm_one() : m.norm_inf();
  return r / (an * max_abs(x) + max_abs(b));
}

// Factor storage of one factorisation, with the routines wrapped.
struct Lu {
  int n = 0;
  int ia = 0;
  std::vector<double> A;
  std::vector<int> IND;
  std::vector<int> IP;
  std::vector<int> IW;
  std::vector<double> W;
  double G = 0.0;
  double U = 0.1;

  Lu(int n_, int ia_)
      : n(n_), ia(ia_), A(std::max(ia_, 1)), IND(2 * std::max(ia_, 1)),
        IP(2 * std::max(n_, 1)), IW(8 * std::max(n_, 1)),
        W(std::max(n_, 1), 0.0) {}

  int& ind(int k, int c) { return IND[(k - 1) + static_cast<size_t>(c - 1) * ia]; }
  int& ip(int i, int c) { return IP[(i - 1) + static_cast<size_t>(c - 1) * n]; }
  int& iw(int i, int c) { return IW[(i - 1) + static_cast<size_t>(c - 1) * n]; }

  // Loads the entries and factorises; returns G.
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
  // Replaces column mm by the dense column c; returns G.
  double replace(const std::vector<double>& c, int mm) {
    auto b = c;
    bool t = false;
    LA05BD(A.data(), IND.data(), ia, n, IP.data(), IW.data(), W.data(), G, b.data(), t);
    LA05CD(A.data(), IND.data(), ia, n, IP.data(), IW.data(), W.data(), G, U, mm);
    return G;
  }
};

// Checks the stored factors' invariants; returns "" or what is wrong.
inline std::string check_invariants(Lu& lu) {
  const auto& R = LA05DD;
  const int n = lu.n;
  std::ostringstream err;
  if (R.LROW + R.LENL > lu.ia || R.LCOL + R.LENL > lu.ia) err << "storage overlaps L; ";
  std::vector<int> pos_of_row(n + 1, 0), pos_of_col(n + 1, 0);
  for (int p = 1; p <= n; ++p) {
    const int i = lu.iw(p, 3), j = lu.iw(p, 4);
    if (i < 1 || i > n || j < 1 || j > n || pos_of_row[i] || pos_of_col[j]) {
      err << "pivot sequence is not a permutation at " << p << "; ";
      return err.str();
    }
    pos_of_row[i] = p;
    pos_of_col[j] = p;
  }
  // Row file: slots owned by rows, others zero; U triangular.
  std::vector<int> owner(R.LROW + 1, 0);
  std::vector<std::vector<int>> rows(n + 1);
  long long total = 0;
  for (int i = 1; i <= n; ++i) {
    const int kb = lu.ip(i, 1), cnt = lu.iw(i, 1);
    if (cnt < 1) { err << "row " << i << " empty; "; continue; }
    if (kb < 1 || kb + cnt - 1 > R.LROW) { err << "row " << i << " outside file; "; continue; }
    for (int k = kb; k < kb + cnt; ++k) {
      if (owner[k]) err << "slot " << k << " shared; ";
      owner[k] = i;
      const int j = lu.ind(k, 2);
      if (j < 1 || j > n) { err << "bad column in row " << i << "; "; continue; }
      if (pos_of_col[j] < pos_of_row[i]) err << "U not triangular at row " << i << "; ";
      rows[i].push_back(j);
    }
    if (lu.ind(kb, 2) != lu.iw(pos_of_row[i], 4)) err << "pivot of row " << i << " not first; ";
    total += cnt;
  }
  for (int k = 1; k <= R.LROW; ++k)
    if (!owner[k] && lu.ind(k, 2) != 0) err << "free row slot " << k << " not zero; ";
  if (total != R.LENU) err << "LENU " << R.LENU << " but rows hold " << total << "; ";
  // Column file: the same entries, pivot row first.
  std::vector<int> cowner(R.LCOL + 1, 0);
  for (int j = 1; j <= n; ++j) {
    const int kb = lu.ip(j, 2), cnt = lu.iw(j, 2);
    if (cnt < 1) { err << "column " << j << " empty; "; continue; }
    if (kb < 1 || kb + cnt - 1 > R.LCOL) { err << "column " << j << " outside file; "; continue; }
    for (int k = kb; k < kb + cnt; ++k) {
      if (cowner[k]) err << "column slot " << k << " shared; ";
      cowner[k] = j;
      const int i = lu.ind(k, 1);
      if (i < 1 || i > n ||
          std::find(rows[i].begin(), rows[i].end(), j) == rows[i].end())
        err << "column " << j << " lists row " << i << " without entry; ";
    }
    if (lu.ind(kb, 1) != lu.iw(pos_of_col[j], 3)) err << "column " << j << " pivot row not first; ";
  }
  for (int k = 1; k <= R.LCOL; ++k)
    if (!cowner[k] && lu.ind(k, 1) != 0) err << "free column slot " << k << " not zero; ";
  for (int k = lu.ia - R.LENL + 1; k <= lu.ia; ++k) {
    const int p = lu.ind(k, 1), r = lu.ind(k, 2);
    if (p < 1 || p > n || r < 1 || r > n || p == r) err << "bad multiplier " << k << "; ";
  }
  return err.str();
}

// Dense LU with partial pivoting (column-major), the reference solver.
struct DenseLu {
  int n;
  std::vector<double> lu;
  std::vector<int> perm;
  double min_pivot = 0, max_entry = 0;

  explicit DenseLu(const SparseMatrix& m) : n(m.n), lu(m.dense()), perm(m.n) {
    for (double v : lu) max_entry = std::max(max_entry, std::abs(v));
    min_pivot = HUGE_VAL;
    for (int k = 0; k < n; ++k) {
      int p = k;
      for (int i = k + 1; i < n; ++i)
        if (std::abs(at(i, k)) > std::abs(at(p, k))) p = i;
      perm[k] = p;
      if (p != k)
        for (int j = 0; j < n; ++j) std::swap(at(k, j), at(p, j));
      const double piv = at(k, k);
      min_pivot = std::min(min_pivot, std::abs(piv));
      if (piv == 0.0) continue;
      for (int i = k + 1; i < n; ++i) at(i, k) /= piv;
      for (int j = k + 1; j < n; ++j) {
        const double t = at(k, j);
        if (t == 0.0) continue;
        for (int i = k + 1; i < n; ++i) at(i, j) -= at(i, k) * t;
      }
    }
  }
  double& at(int i, int j) { return lu[i + static_cast<size_t>(j) * n]; }
  bool regular(double rel = 1e-9) const { return min_pivot > rel * max_entry; }
  std::vector<double> solve(std::vector<double> b) {
    for (int k = 0; k < n; ++k) std::swap(b[k], b[perm[k]]);
    for (int k = 0; k < n; ++k)
      for (int i = k + 1; i < n; ++i) b[i] -= at(i, k) * b[k];
    for (int k = n - 1; k >= 0; --k) {
      b[k] /= at(k, k);
      for (int i = 0; i < k; ++i) b[i] -= at(i, k) * b[k];
    }
    return b;
  }
};

// Random matrices.  All have a permuted diagonal of sizeable entries, so
// they are structurally nonsingular.
struct Gen {
  std::mt19937_64 rng;
  explicit Gen(unsigned long long seed) : rng(seed) {}
  int uniform_int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
  double value() {  // magnitude in [0.1, 1], random sign
    const double v = uniform(0.1, 1.0);
    return uniform_int(0, 1) ? v : -v;
  }
  std::vector<int> permutation(int n) {
    std::vector<int> p(n);
    for (int i = 0; i < n; ++i) p[i] = i + 1;
    std::shuffle(p.begin(), p.end(), rng);
    return p;
  }
  // Adds `extra` random entries in distinct rows other than those present.
  void add_entries(std::vector<std::pair<int, double>>& col, int n, int extra) {
    for (int t = 0; t < extra && static_cast<int>(col.size()) < n; ++t) {
      int i;
      do {
        i = uniform_int(1, n);
      } while (std::any_of(col.begin(), col.end(), [&](auto& e) { return e.first == i; }));
      col.push_back({i, value()});
    }
  }
  // General sparse matrix with about `per_col` entries per column.
  SparseMatrix general(int n, double per_col) {
    SparseMatrix m(n);
    auto p = permutation(n);
    for (int j = 1; j <= n; ++j) {
      auto& c = m.cols[j - 1];
      c.push_back({p[j - 1], value()});
      const int extra = std::poisson_distribution<int>(std::max(per_col - 1.0, 0.0))(rng);
      add_entries(c, n, extra);
    }
    return m;
  }
  // LP-basis shape: a fraction `slack` of unit columns, the others
  // structural with 2..6 entries.
  SparseMatrix lp_basis(int n, double slack) {
    SparseMatrix m(n);
    auto p = permutation(n);
    for (int j = 1; j <= n; ++j) {
      auto& c = m.cols[j - 1];
      if (uniform(0, 1) < slack) {
        c.push_back({p[j - 1], uniform_int(0, 1) ? 1.0 : -1.0});
      } else {
        c.push_back({p[j - 1], value()});
        add_entries(c, n, uniform_int(1, 5));
      }
    }
    return m;
  }
  // Scales rows and columns by powers of ten in [10^-k, 10^k].
  void badly_scale(SparseMatrix& m, int k) {
    std::vector<double> r(m.n), s(m.n);
    for (auto& x : r) x = std::pow(10.0, uniform_int(-k, k));
    for (auto& x : s) x = std::pow(10.0, uniform_int(-k, k));
    for (int j = 1; j <= m.n; ++j)
      for (auto& [i, v] : m.cols[j - 1]) v *= r[i - 1] * s[j - 1];
  }
  std::vector<double> vector(int n) {
    std::vector<double> b(n);
    for (auto& x : b) x = uniform(-1, 1);
    return b;
  }
};

// Connects a message unit to a temporary file and reads it back.
class Capture {
 public:
  explicit Capture(int unit = 71) : unit_(unit) {
    path_ = (std::filesystem::temp_directory_path() /
             ("posy_lu_msg_" + std::to_string(::getpid()) + ".txt"))
                .string();
    io::open_unit(unit_, path_, io::OpenStatus::kReplace);
    saved_lp_ = LA05DD.LP;
    LA05DD.LP = unit_;
  }
  ~Capture() {
    io::close_unit(unit_);
    LA05DD.LP = saved_lp_;
    std::filesystem::remove(path_);
  }
  // Everything written so far, as lines.
  std::vector<std::string> lines() {
    io::close_unit(unit_);
    std::ifstream in(path_);
    std::vector<std::string> out;
    std::string s;
    while (std::getline(in, s)) out.push_back(s);
    io::open_unit(unit_, path_, io::OpenStatus::kReplace);  // start afresh
    return out;
  }

 private:
  int unit_;
  int saved_lp_;
  std::string path_;
};

}  // namespace lutest
