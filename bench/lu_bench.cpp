// Sparse LU timings: factorisation, solves with the matrix and its
// transpose, and column replacements (each preceded by the solve that
// provides the transformed column, as the LP engine calls them), on
// LP-basis-shaped and general banded sparse matrices of order 100..10000
// with 3 to 6 entries per column, and on full matrices of order 50..200
// (the bases of the master LP of a large geometric program are full: every
// column has an entry in nearly every variable's row).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "lu/sparse_lu.h"

namespace {

struct Matrix {
  int n = 0;
  std::vector<double> v;
  std::vector<int> row, col;
};

enum Shape { kLpBasis = 0, kGeneral = 1, kFull = 2 };

// LP-basis shape: half the columns are unit (logical) columns; a
// structural column has its "diagonal" entry plus 2..5 entries in rows of
// nearby positions of a random row permutation, and now and then one far
// away, which keeps the basis nearly triangular as real bases are.
// General: a random band of half-width 30 around the diagonal, 3..6 entries.
Matrix make(Shape shape, int n, unsigned seed) {
  std::mt19937_64 rng(seed);
  auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto val = [&] {
    double x = std::uniform_real_distribution<double>(0.1, 1.0)(rng);
    return uni(0, 1) ? x : -x;
  };
  std::vector<int> p(n);
  for (int i = 0; i < n; ++i) p[i] = i + 1;
  if (shape == kLpBasis) std::shuffle(p.begin(), p.end(), rng);
  Matrix m;
  m.n = n;
  if (shape == kFull) {
    for (int j = 1; j <= n; ++j)
      for (int i = 1; i <= n; ++i) {
        m.v.push_back(val());
        m.row.push_back(i);
        m.col.push_back(j);
      }
    return m;
  }
  for (int j = 1; j <= n; ++j) {
    std::vector<int> rows = {p[j - 1]};
    if (shape == kLpBasis) {
      if (uni(0, 1) == 0) {
        m.v.push_back(1.0);
        m.row.push_back(p[j - 1]);
        m.col.push_back(j);
        continue;
      }
      const int extra = uni(2, 5);
      for (int t = 0; t < extra; ++t) {
        int r = uni(0, 4) == 0 ? p[uni(0, n - 1)] : p[std::min(n - 1, j - 1 + uni(1, 50))];
        if (std::find(rows.begin(), rows.end(), r) == rows.end()) rows.push_back(r);
      }
    } else {
      const int extra = uni(2, 5);
      for (int t = 0; t < extra; ++t) {
        int r = std::clamp(j + uni(-30, 30), 1, n);
        if (std::find(rows.begin(), rows.end(), r) == rows.end()) rows.push_back(r);
      }
    }
    for (size_t t = 0; t < rows.size(); ++t) {
      m.v.push_back(t == 0 ? 4.0 * val() : val());
      m.row.push_back(rows[t]);
      m.col.push_back(j);
    }
  }
  return m;
}

const Matrix& matrix(Shape shape, int n) {
  static std::map<std::pair<int, int>, Matrix> cache;
  auto key = std::make_pair(static_cast<int>(shape), n);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, make(shape, n, 12345 + n)).first;
  return it->second;
}

struct Factors {
  int n, ia;
  std::vector<double> A, W;
  std::vector<int> IND, IP, IW;
  double G = 0.0, U = 0.10000000149011612;
  Factors(int n_, int ia_)
      : n(n_), ia(ia_), A(ia_), W(n_), IND(2 * ia_), IP(2 * n_), IW(8 * n_) {}
  double factor(const Matrix& m) {
    int nz = static_cast<int>(m.v.size());
    std::copy(m.v.begin(), m.v.end(), A.begin());
    std::copy(m.row.begin(), m.row.end(), IND.begin());
    std::copy(m.col.begin(), m.col.end(), IND.begin() + ia);
    LA05AD(A.data(), IND.data(), nz, ia, n, IP.data(), IW.data(), W.data(), G, U);
    return G;
  }
  void solve(double* b, bool trans) {
    bool t = trans;
    LA05BD(A.data(), IND.data(), ia, n, IP.data(), IW.data(), W.data(), G, b, t);
  }
};

void setup_lp() {
  LA05DD.SMALL = 1.0e-10;
  LA05DD.LP = 0;
}

int storage_for(const Matrix& m) { return 20 * static_cast<int>(m.v.size()) + 10 * m.n; }

void BM_Factor(benchmark::State& st) {
  setup_lp();
  const auto& m = matrix(static_cast<Shape>(st.range(0)), static_cast<int>(st.range(1)));
  Factors f(m.n, storage_for(m));
  for (auto _ : st) {
    f.factor(m);
    benchmark::DoNotOptimize(f.A.data());
  }
  if (f.G < 0) st.SkipWithError("factorisation failed");
  st.counters["nnz"] = static_cast<double>(m.v.size());
  st.counters["LU_nnz"] = LA05DD.LENU + LA05DD.LENL;
  st.counters["compressions"] = LA05DD.NCP;
  st.SetComplexityN(st.range(1));
}

void BM_Solve(benchmark::State& st, bool trans) {
  setup_lp();
  const auto& m = matrix(static_cast<Shape>(st.range(0)), static_cast<int>(st.range(1)));
  Factors f(m.n, storage_for(m));
  if (f.factor(m) < 0) {
    st.SkipWithError("factorisation failed");
    return;
  }
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> d(-1.0, 1.0);
  std::vector<double> b0(m.n), b(m.n);
  for (auto& x : b0) x = d(rng);
  for (auto _ : st) {
    std::copy(b0.begin(), b0.end(), b.begin());
    f.solve(b.data(), trans);
    benchmark::DoNotOptimize(b.data());
  }
  st.SetComplexityN(st.range(1));
}

void BM_SolveForward(benchmark::State& st) { BM_Solve(st, false); }
void BM_SolveTransposed(benchmark::State& st) { BM_Solve(st, true); }

// One basis change: transform the entering column, pick a leaving position
// with a large component, replace; refactorise (untimed) every 50 changes.
void BM_Replace(benchmark::State& st) {
  setup_lp();
  const auto& m0 = matrix(static_cast<Shape>(st.range(0)), static_cast<int>(st.range(1)));
  const int n = m0.n;
  // Entering columns: columns of another matrix of the same shape.
  const auto& src = matrix(static_cast<Shape>(st.range(0)), n + 1);
  std::vector<std::vector<std::pair<int, double>>> cols(n + 2);
  for (size_t k = 0; k < src.v.size(); ++k)
    if (src.row[k] <= n) cols[src.col[k]].push_back({src.row[k], src.v[k]});
  Factors f(n, storage_for(m0) + 60 * n);
  if (f.factor(m0) < 0) {
    st.SkipWithError("factorisation failed");
    return;
  }
  std::mt19937_64 rng(5);
  std::vector<double> x(n);
  int changes = 0, next = 1;
  long long eliminations = 0;
  for (auto _ : st) {
    std::fill(x.begin(), x.end(), 0.0);
    const auto& c = cols[next];
    next = next % (n + 1) + 1;
    for (auto [i, v] : c) x[i - 1] = v;
    if (c.empty()) x[std::uniform_int_distribution<int>(0, n - 1)(rng)] = 1.0;
    f.G = 0.0;
    f.solve(x.data(), false);
    int mm = 1;
    double best = 0.0;
    for (int j = 1; j <= n; ++j)
      if (std::abs(x[j - 1]) > best) best = std::abs(x[j - 1]), mm = j;
    const int lenl = LA05DD.LENL;
    LA05CD(f.A.data(), f.IND.data(), f.ia, f.n, f.IP.data(), f.IW.data(), f.W.data(), f.G, f.U,
           mm);
    eliminations += LA05DD.LENL - lenl;
    if (f.G < 0 || ++changes == 50) {
      st.PauseTiming();
      if (f.factor(m0) < 0) st.SkipWithError("refactorisation failed");
      changes = 0;
      st.ResumeTiming();
    }
  }
  st.counters["mult_per_change"] =
      benchmark::Counter(static_cast<double>(eliminations), benchmark::Counter::kAvgIterations);
  st.SetComplexityN(st.range(1));
}

void orders(benchmark::internal::Benchmark* b) {
  for (int shape : {kLpBasis, kGeneral})
    for (int n : {100, 300, 1000, 3000, 10000}) b->Args({shape, n});
  for (int n : {50, 100, 200}) b->Args({kFull, n});
  b->ArgNames({"shape", "n"});
}

}  // namespace

BENCHMARK(BM_Factor)->Apply(orders)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SolveForward)->Apply(orders)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SolveTransposed)->Apply(orders)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Replace)->Apply(orders)->Unit(benchmark::kMicrosecond);
