// Randomised checks against a dense reference: factorise and solve both
// ways; sequences of column replacements with the residual checked after
// each, singular replacements among them; tight storage.  Fixed seeds.
#include "lu_test_util.h"

namespace {

using namespace lutest;

using Random = LuTest;

TEST_F(Random, FactorAndSolveAgainstDense) {
  Gen g(20261206);
  int count = 0;
  for (int rep = 0; rep < 320; ++rep) {
    const int n = rep < 200 ? g.uniform_int(1, 40) : g.uniform_int(41, 300);
    const int shape = rep % 4;
    SparseMatrix m = g.matrix(n, shape == 1 ? 5.0 : 3.0, shape >= 2 ? 0.5 : 0.0);
    auto b = g.vector(n);
    auto xd = dense_solve(m, b);
    if (xd.empty()) continue;  // a numerically singular draw
    if (shape == 3) {  // rows and columns scaled by 1e-3..1e3
      std::vector<double> r(n);
      for (auto& x : r) x = std::pow(10.0, g.uniform_int(-3, 3));
      for (int j = 1; j <= n; ++j) {
        const double s = std::pow(10.0, g.uniform_int(-3, 3));
        for (auto& [i, v] : m.cols[j - 1]) v *= r[i - 1] * s;
      }
    }
    int ia = 6 * m.nnz() + 4 * n + 10;
    Lu lu(n, ia);
    while (lu.factor(m.entries()) == -7.0) lu = Lu(n, ia *= 2);
    ASSERT_GE(lu.G, 0.0) << rep;
    auto x = lu.solve(b, false);
    EXPECT_LT(rel_residual(m, x, b, false), shape == 3 ? 1e-10 : 1e-13) << rep;
    for (int i = 0; i < n && shape != 3; ++i)
      EXPECT_NEAR(x[i], xd[i], 1e-6 * (1 + max_abs(xd))) << rep;
    EXPECT_LT(rel_residual(m, lu.solve(b, true), b, true), shape == 3 ? 1e-10 : 1e-13) << rep;
    ++count;
  }
  EXPECT_GT(count, 300);
}

struct Stats {
  int updates = 0, eliminations = 0, singular = 0, compressions = 0, out_of_room = 0;
};

// NSTEPS replacements on M, refactorising every 100 or after running out
// of room; the residual both ways is checked after each.
void run_sequence(SparseMatrix m, Gen& g, int nsteps, int ia, Stats& st) {
  const int n = m.n;
  Lu lu(n, ia);
  auto refactor = [&] {
    while (lu.factor(m.entries()) == -7.0) lu = Lu(n, ia += n);
    return lu.G;
  };
  ASSERT_GE(refactor(), 0.0);
  for (int step = 0, since = 0; step < nsteps; ++step) {
    std::vector<double> c(n, 0.0);
    const int kind = g.uniform_int(0, 2);
    if (kind == 0) {
      c[g.uniform_int(0, n - 1)] = 1.0;
    } else if (kind == 1) {
      for (int t = g.uniform_int(1, std::min(n, 6)); t > 0; --t)
        c[g.uniform_int(0, n - 1)] = g.value();
    } else {
      c = m.dense_column(g.uniform_int(1, n));
      c[g.uniform_int(0, n - 1)] += g.value();
    }
    // The leaving column as a ratio test would choose it.
    lu.G = 0.0;
    auto x = lu.solve(c, false);
    const double xmax = max_abs(x);
    if (xmax == 0.0) continue;
    std::vector<int> cand;
    for (int j = 1; j <= n; ++j)
      if (std::abs(x[j - 1]) >= 0.1 * xmax) cand.push_back(j);
    const int mm = cand[g.uniform_int(0, static_cast<int>(cand.size()) - 1)];
    const int lenl0 = LA05DD.LENL, ncp0 = LA05DD.NCP;
    const double gr = lu.replace(c, mm);
    m.set_column(mm, c);
    if (gr == -7.0) {
      ++st.out_of_room;
      ASSERT_GE(refactor(), 0.0);
      since = 0;
      continue;
    }
    ASSERT_GE(gr, 0.0) << "step " << step << " mm " << mm;
    ++st.updates;
    st.compressions += LA05DD.NCP - ncp0;
    st.eliminations += LA05DD.LENL > lenl0;
    for (bool trans : {false, true}) {
      auto rhs = g.vector(n);
      lu.G = 0.0;
      ASSERT_LT(rel_residual(m, lu.solve(rhs, trans), rhs, trans), 1e-10)
          << "step " << step << " trans " << trans;
    }
    if (step % 17 == 5 && n > 1) {  // a copy of another column is singular
      lu.G = 0.0;
      EXPECT_EQ(lu.replace(m.dense_column(mm % n + 1), mm), -6.0);
      ++st.singular;
      ASSERT_GE(refactor(), 0.0);
      since = 0;
    } else if (++since == 100) {
      ASSERT_GE(refactor(), 0.0);
      since = 0;
    }
  }
}

// Roomy storage, then storage just above the factors' needs.
TEST_F(Random, ReplacementSequences) {
  Gen g(4242);
  Stats st, tight;
  for (int rep = 0; rep < 32; ++rep) {
    const int n = rep < 12   ? g.uniform_int(2, 30)
                  : rep < 24 ? g.uniform_int(31, 200)
                             : 60 + 10 * (rep - 24);
    SparseMatrix m = g.matrix(n, 3.0, rep % 2 || rep >= 24 ? 0.6 : 0.0);
    if (dense_solve(m, g.vector(n)).empty()) continue;
    if (rep < 24) {
      run_sequence(m, g, 100, 20 * m.nnz() + 40 * n, st);
      continue;
    }
    Lu probe(n, 20 * m.nnz());
    ASSERT_GE(probe.factor(m.entries()), 0.0);
    run_sequence(m, g, 120, LA05DD.LROW + LA05DD.LENL + n / 2, tight);
  }
  EXPECT_GT(st.updates, 1500);
  EXPECT_GT(st.eliminations, 100);
  EXPECT_GT(st.updates - st.eliminations, 100);
  EXPECT_GT(st.singular, 50);
  EXPECT_GT(tight.compressions, 20);
  EXPECT_GT(tight.out_of_room, 0);
}

// Storage just above the factors' needs: factorisations that succeed after
// compressions solve correctly; the limit on compressions gives -7.
TEST_F(Random, FactorisationInTightStorage) {
  Gen g(31);
  int compressed = 0;
  bool hit_limit = false;
  for (int rep = 0; rep < 40; ++rep) {
    const int n = rep < 36 ? g.uniform_int(5, 80) : 209 + 7 * (rep - 36);
    auto m = g.matrix(n, rep < 36 ? 3.0 : 4.0, rep < 36 && rep % 2 ? 0.3 : 0.0);
    if (dense_solve(m, g.vector(n)).empty()) continue;
    Lu big(n, 50 * m.nnz());
    ASSERT_GE(big.factor(m.entries()), 0.0);
    const int need = LA05DD.LROW + LA05DD.LENL;
    for (int ia = need + n; ia >= m.nnz(); ia -= std::max(1, need / 100)) {
      Lu lu(n, ia);
      const double gr = lu.factor(m.entries());
      EXPECT_LE(LA05DD.NCP, std::max(n / 10, 20));
      if (gr < 0) {
        EXPECT_EQ(gr, -7.0);
        hit_limit |= LA05DD.NCP == std::max(n / 10, 20);
        break;
      }
      compressed += LA05DD.NCP > 0;
      auto b = g.vector(n);
      EXPECT_LT(rel_residual(m, lu.solve(b, true), b, true), 1e-12) << rep << " " << ia;
    }
  }
  EXPECT_GT(compressed, 50);
  EXPECT_TRUE(hit_limit);
}

}  // namespace
