// Randomised checks against a dense reference: factorise and solve both
// ways; long sequences of column replacements with the residual checked
// after each; singular replacements; tight storage.  Fixed seeds.
#include <gtest/gtest.h>

#include "lu_test_util.h"

namespace {

using lutest::DenseLu;
using lutest::Gen;
using lutest::Lu;
using lutest::rel_residual;
using lutest::SparseMatrix;

class Random : public ::testing::Test {
 protected:
  void SetUp() override {
    LA05DD.SMALL = 1.0e-10;
    LA05DD.LP = 0;
  }
};

// Factor M, check both solves by residual and against the dense solution.
// (The caller has made sure that M is regular.)
void check_factor_and_solves(const SparseMatrix& m, Gen& g, double tol, bool compare_dense,
                             const std::string& what) {
  DenseLu dense(m);
  // Random sparse matrices fill in heavily; storage that is too small
  // must fail with -7, and a larger one must then succeed.
  int ia = 6 * m.nnz() + 4 * m.n + 10;
  Lu lu(m.n, ia);
  lu.U = 0.10000000149011612;
  double gr = lu.factor(m.entries());
  for (int t = 0; t < 3 && gr == -7.0; ++t) {
    ia *= 2;
    lu = Lu(m.n, ia);
    lu.U = 0.10000000149011612;
    gr = lu.factor(m.entries());
  }
  ASSERT_GE(gr, 0.0) << what;
  ASSERT_EQ(lutest::check_invariants(lu), "") << what;
  for (double w : lu.W) ASSERT_EQ(w, 0.0) << what;
  EXPECT_LE(LA05DD.LROW + LA05DD.LENL, lu.ia);
  for (bool trans : {false, true}) {
    auto b = g.vector(m.n);
    auto x = lu.solve(b, trans);
    EXPECT_LT(rel_residual(m, x, b, trans), tol) << what << " trans=" << trans;
    if (!trans && compare_dense) {
      auto xd = dense.solve(b);
      EXPECT_LT(lutest::max_abs([&] {
                  std::vector<double> d(m.n);
                  for (int i = 0; i < m.n; ++i) d[i] = x[i] - xd[i];
                  return d;
                }()),
                1e-6 * (1.0 + lutest::max_abs(xd)))
          << what;
    }
    for (int i = 1; i <= m.n; ++i) ASSERT_GT(lu.ip(i, 1), 0);
  }
}

TEST_F(Random, FactorAndSolveManyMatrices) {
  Gen g(20261206);
  int count = 0;
  for (int rep = 0; rep < 320; ++rep) {
    const int n = rep < 200 ? g.uniform_int(1, 40) : g.uniform_int(41, 300);
    const int shape = rep % 4;
    SparseMatrix m;
    if (shape == 0) m = g.general(n, 2.0);
    if (shape == 1) m = g.general(n, 5.0);
    if (shape >= 2) m = g.lp_basis(n, shape == 2 ? 0.7 : 0.4);
    if (!DenseLu(m).regular()) continue;  // a numerically singular draw
    if (shape == 3) g.badly_scale(m, 3);   // rows, columns by 1e-3..1e3
    check_factor_and_solves(m, g, shape == 3 ? 1e-10 : 1e-13, shape != 3,
                            "rep " + std::to_string(rep));
    ++count;
  }
  EXPECT_GT(count, 300);
  std::printf("factorised %d\n", count);
}

// A new column for a replacement, of one of several kinds.
std::vector<double> new_column(Gen& g, const SparseMatrix& m, int kind) {
  std::vector<double> c(m.n, 0.0);
  if (kind == 0) {  // unit column (a logical entering)
    c[g.uniform_int(0, m.n - 1)] = 1.0;
  } else if (kind == 1) {  // structural column with a few entries
    const int k = g.uniform_int(1, std::min(m.n, 6));
    for (int t = 0; t < k; ++t) c[g.uniform_int(0, m.n - 1)] = g.value();
  } else {  // a perturbed copy of an existing column
    c = m.dense_column(g.uniform_int(1, m.n));
    c[g.uniform_int(0, m.n - 1)] += g.value();
  }
  return c;
}

struct SequenceStats {
  int updates = 0;
  int with_elimination = 0;
  int by_permutation = 0;
  int singular = 0;
  int compressions = 0;
  int out_of_room = 0;
};

// Runs NSTEPS replacements on M (refactorising every 100 or after a
// failure), checking residuals after each.
void run_sequence(SparseMatrix m, Gen& g, int nsteps, int ia, SequenceStats& st,
                  const std::string& what) {
  const int n = m.n;
  Lu lu(n, ia);
  // Fresh factorisation; storage grows when the matrix needs more.
  auto refactor = [&] {
    while (lu.factor(m.entries()) == -7.0) lu = Lu(n, ia += n);
    return lu.G;
  };
  ASSERT_GE(refactor(), 0.0) << what;
  int since = 0;
  for (int step = 0; step < nsteps; ++step) {
    const int kind = g.uniform_int(0, 2);
    auto c = new_column(g, m, kind);
    // Choose the leaving position as a ratio test would: a component of
    // the transformed column that is not small relative to the largest.
    lu.G = 0.0;
    auto x = lu.solve(c, false);
    const double xmax = lutest::max_abs(x);
    if (xmax == 0.0) continue;
    std::vector<int> cand;
    for (int j = 1; j <= n; ++j)
      if (std::abs(x[j - 1]) >= 0.1 * xmax) cand.push_back(j);
    const int mm = cand[g.uniform_int(0, static_cast<int>(cand.size()) - 1)];
    const int lenl0 = LA05DD.LENL, ncp0 = LA05DD.NCP;
    bool t = false;
    auto b = c;
    LA05BD(lu.A.data(), lu.IND.data(), lu.ia, lu.n, lu.IP.data(), lu.IW.data(), lu.W.data(),
           lu.G, b.data(), t);
    int mmv = mm;
    LA05CD(lu.A.data(), lu.IND.data(), lu.ia, lu.n, lu.IP.data(), lu.IW.data(), lu.W.data(),
           lu.G, lu.U, mmv);
    if (lu.G == -7.0) {  // out of storage: factorise afresh
      SparseMatrix m2 = m;
      m2.cols[mm - 1].clear();
      for (int i = 1; i <= n; ++i)
        if (c[i - 1] != 0.0) m2.cols[mm - 1].push_back({i, c[i - 1]});
      m = m2;
      ++st.out_of_room;
      ASSERT_GE(refactor(), 0.0) << what;
      since = 0;
      continue;
    }
    ASSERT_GE(lu.G, 0.0) << what << " step " << step << " mm " << mm;
    ASSERT_EQ(lutest::check_invariants(lu), "") << what << " step " << step;
    ++st.updates;
    st.compressions += LA05DD.NCP - ncp0;
    if (LA05DD.LENL > lenl0)
      ++st.with_elimination;
    else
      ++st.by_permutation;
    m.cols[mm - 1].clear();
    for (int i = 1; i <= n; ++i)
      if (c[i - 1] != 0.0) m.cols[mm - 1].push_back({i, c[i - 1]});
    for (bool trans : {false, true}) {
      auto rhs = g.vector(n);
      lu.G = 0.0;
      auto sol = lu.solve(rhs, trans);
      ASSERT_LT(rel_residual(m, sol, rhs, trans), 1e-10)
          << what << " step " << step << " trans " << trans;
    }
    // A replacement by a copy of another column is singular.
    if (step % 17 == 5 && n > 1) {
      const int other = mm % n + 1;
      lu.G = 0.0;
      EXPECT_EQ(lu.replace(m.dense_column(other), mm), -6.0) << what;
      ++st.singular;
      ASSERT_GE(refactor(), 0.0) << what;
      since = 0;
      continue;
    }
    if (++since == 100) {
      ASSERT_GE(refactor(), 0.0) << what;
      since = 0;
    }
  }
}

TEST_F(Random, LongReplacementSequences) {
  Gen g(4242);
  SequenceStats st;
  for (int rep = 0; rep < 24; ++rep) {
    const int n = rep < 12 ? g.uniform_int(2, 30) : g.uniform_int(31, 200);
    SparseMatrix m = rep % 2 ? g.lp_basis(n, 0.6) : g.general(n, 3.0);
    if (!DenseLu(m).regular()) continue;
    run_sequence(m, g, 100, 20 * m.nnz() + 40 * n, st, "rep " + std::to_string(rep));
  }
  std::printf("updates %d elim %d perm %d singular %d compr %d room %d\n", st.updates,
              st.with_elimination, st.by_permutation, st.singular, st.compressions,
              st.out_of_room);
  EXPECT_GT(st.updates, 1500);
  EXPECT_GT(st.with_elimination, 100);
  EXPECT_GT(st.by_permutation, 100);
  EXPECT_GT(st.singular, 50);
}

TEST_F(Random, TightStorageCompressesThenRunsOut) {
  Gen g(99);
  SequenceStats st;
  for (int rep = 0; rep < 8; ++rep) {
    const int n = 60 + 10 * rep;
    SparseMatrix m = g.lp_basis(n, 0.5);
    if (!DenseLu(m).regular()) continue;
    // Just above what the factorisation itself needs.
    Lu probe(n, 20 * m.nnz());
    ASSERT_GE(probe.factor(m.entries()), 0.0);
    const int need = LA05DD.LROW + LA05DD.LENL;
    run_sequence(m, g, 120, need + n / 2, st, "tight rep " + std::to_string(rep));
  }
  std::printf("updates %d elim %d perm %d singular %d compr %d room %d\n", st.updates,
              st.with_elimination, st.by_permutation, st.singular, st.compressions,
              st.out_of_room);
  EXPECT_GT(st.compressions, 20);
  EXPECT_GT(st.out_of_room, 0);
  // Storage barely above the entry count: the factorisation itself fails.
  SparseMatrix m = g.general(150, 5.0);
  Lu lu(150, m.nnz() + 5);
  EXPECT_EQ(lu.factor(m.entries()), -7.0);
}

}  // namespace
