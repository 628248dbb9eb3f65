// Factorisation: worked cases, failure codes with their messages, pivot
// order, threshold clamping, compression limit and input safety.
#include <gtest/gtest.h>

#include "lu_test_util.h"

namespace {

using lutest::Capture;
using lutest::Entry;
using lutest::Lu;

class Factorize : public ::testing::Test {
 protected:
  void SetUp() override {
    LA05DD.SMALL = 1.0e-10;
    LA05DD.LP = 0;
  }
};

const std::string kPrefix = "ERROR RETURN FROM LA05AD BECAUSE ";

TEST_F(Factorize, OneByOne) {
  Lu lu(1, 4);
  EXPECT_EQ(lu.factor({{5.0, 1, 1}}), 5.0);
  EXPECT_EQ(LA05DD.LENL, 0);
  EXPECT_EQ(LA05DD.LENU, 1);
  EXPECT_EQ(lu.iw(1, 3), 1);
  EXPECT_EQ(lu.iw(1, 4), 1);
  EXPECT_EQ(lu.W[0], 0.0);
  EXPECT_EQ(lu.solve({10.0}, false)[0], 2.0);
  EXPECT_EQ(lu.solve({10.0}, true)[0], 2.0);
}

TEST_F(Factorize, NotPositiveOrderWritesPrefixedMessage) {
  Capture cap;
  Lu lu(1, 4);
  lu.n = 0;
  EXPECT_EQ(lu.factor({}), -1.0);
  auto l = cap.lines();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], "");
  EXPECT_EQ(l[2], kPrefix + "N IS NOT POSITIVE");
}

TEST_F(Factorize, EmptyRowsAndColumnsNameTheLowestIndex) {
  Capture cap;
  {
    Lu lu(2, 4);
    EXPECT_EQ(lu.factor({}), -2.0);
  }
  {
    Lu lu(2, 4);  // column 2 empty, rows full
    EXPECT_EQ(lu.factor({{1.0, 1, 1}, {1.0, 2, 1}}), -2.0);
  }
  {
    Lu lu(3, 6);  // row 2 and column 2 empty: the row is named
    EXPECT_EQ(lu.factor({{1.0, 1, 1}, {1.0, 3, 3}}), -2.0);
  }
  {
    Lu lu(2, 4);  // the only entry of row 2 is too small: dropped
    EXPECT_EQ(lu.factor({{1.0, 1, 1}, {1.0, 1, 2}, {1e-11, 2, 2}}), -2.0);
  }
  auto l = cap.lines();
  ASSERT_EQ(l.size(), 12u);
  EXPECT_EQ(l[2], kPrefix + "ROW    1 HAS NO ELEMENTS");
  EXPECT_EQ(l[5], kPrefix + "COL    2 HAS NO ELEMENTS");
  EXPECT_EQ(l[8], kPrefix + "ROW    2 HAS NO ELEMENTS");
  EXPECT_EQ(l[11], kPrefix + "ROW    2 HAS NO ELEMENTS");
}

TEST_F(Factorize, BadIndexAndDuplicate) {
  Capture cap;
  {
    // The zero entry with a wild index is dropped first (its slot taken by
    // the last entry), so the bad entry is reported at position 2.
    Lu lu(2, 8);
    EXPECT_EQ(lu.factor({{1.0, 1, 1}, {0.0, 99, -5}, {1.0, 2, 2}, {2.0, 3, 1}}), -3.0);
    EXPECT_EQ(lu.G, -3.0);
  }
  {
    Lu lu(2, 8);
    EXPECT_EQ(lu.factor({{1.0, 1, 1}, {0.0, 99, -5}, {1.0, 2, 2}}), 1.0);
  }
  {
    Lu lu(2, 8);
    EXPECT_EQ(lu.factor({{1.0, 1, 1}, {1.0, 2, 2}, {3.0, 2, 1}, {1.0, 2, 2}}), -4.0);
  }
  auto l = cap.lines();
  ASSERT_EQ(l.size(), 6u);
  EXPECT_EQ(l[2], kPrefix + "ELEMENT      2 IS IN ROW    3 AND COLUMN    1");
  EXPECT_EQ(l[5], kPrefix + "THERE IS MORE THAN ONE ENTRY IN ROW    2 AND COLUMN    2");
}

TEST_F(Factorize, SingularTwoByTwoListsDependentRows) {
  Capture cap;
  Lu lu(2, 8);
  EXPECT_EQ(lu.factor({{1.0, 1, 1}, {1.0, 2, 1}, {1.0, 1, 2}, {1.0, 2, 2}}), -5.0);
  auto l = cap.lines();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0], kPrefix + "THE FOLLOWING ROWS ARE DEPENDENT");
  EXPECT_EQ(l[1], "   1    2");
}

TEST_F(Factorize, DependentColumnsAndLongList) {
  Capture cap;
  {
    // Columns 1 and 3 only in row 1: after the pivot in (1,3), column 1
    // has no entry left.
    Lu lu(3, 8);
    EXPECT_EQ(lu.factor({{1.0, 1, 1}, {1.0, 1, 3}, {1.0, 2, 2}, {1.0, 3, 2}}), -5.0);
  }
  {
    // 23 diagonal pivots, then a 2 by 2 block of ones: 25 indices listed,
    // 20 per record.
    const int n = 25;
    std::vector<Entry> e;
    for (int i = 1; i <= 23; ++i) e.push_back({2.0, i, i});
    for (int i = 24; i <= 25; ++i)
      for (int j = 24; j <= 25; ++j) e.push_back({1.0, i, j});
    Lu lu(n, 60);
    EXPECT_EQ(lu.factor(e), -5.0);
  }
  auto l = cap.lines();
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[0], kPrefix + "THE FOLLOWING COLS ARE DEPENDENT");
  EXPECT_EQ(l[1], "   3    1");
  EXPECT_EQ(l[2], kPrefix + "THE FOLLOWING ROWS ARE DEPENDENT");
  EXPECT_EQ(l[3], "  23   22   21   20   19   18   17   16   15   14   13   12   11"
                  "   10    9    8    7    6    5    4");
  EXPECT_EQ(l[4], "   3    2    1   24   25");
}

TEST_F(Factorize, DiagonalPivotsFromTheHighestIndex) {
  const int n = 7;
  std::vector<Entry> e;
  for (int i = 1; i <= n; ++i) e.push_back({static_cast<double>(i), i, i});
  Lu lu(n, 20);
  EXPECT_EQ(lu.factor(e), 7.0);
  EXPECT_EQ(LA05DD.LENL, 0);
  for (int p = 1; p <= n; ++p) {
    EXPECT_EQ(lu.iw(p, 3), n + 1 - p);
    EXPECT_EQ(lu.iw(p, 4), n + 1 - p);
  }
  for (double w : lu.W) EXPECT_EQ(w, 0.0);
}

TEST_F(Factorize, PivotChoiceFollowsCountsAndThreshold) {
  // [[1, 1], [1, 0]]: column 2 and row 2 are singletons; the column list
  // comes first, so the pivot is (1,2), then (2,1).
  Lu lu(2, 8);
  EXPECT_EQ(lu.factor({{1.0, 1, 1}, {1.0, 2, 1}, {1.0, 1, 2}}), 1.0);
  EXPECT_EQ(lu.iw(1, 3), 1);
  EXPECT_EQ(lu.iw(1, 4), 2);
  EXPECT_EQ(lu.iw(2, 3), 2);
  EXPECT_EQ(lu.iw(2, 4), 1);

  // Full 2x2 [[1e-3, 1], [1, 1]]: all counts 2; column 2 is searched first
  // and row 1 passes the test in it; with U = 1 only the row maximum
  // passes, still (1,2).  With the tiny entry moved to (1,2), row 1 fails
  // column 2's test at U = 0.1 and row 2 is taken.
  Lu l2(2, 16);
  EXPECT_EQ(l2.factor({{1e-3, 1, 1}, {1.0, 2, 1}, {1.0, 1, 2}, {1.0, 2, 2}}), 1.0);
  EXPECT_EQ(l2.iw(1, 3), 1);
  EXPECT_EQ(l2.iw(1, 4), 2);
  EXPECT_EQ(l2.factor({{1.0, 1, 1}, {1.0, 2, 1}, {1e-3, 1, 2}, {1.0, 2, 2}}), 1.0);
  EXPECT_EQ(l2.iw(1, 3), 2);
  EXPECT_EQ(l2.iw(1, 4), 2);
  EXPECT_EQ(LA05DD.LENL, 1);
  // The elimination stores 1e-3 - 1 into U; G is the largest magnitude.
  auto x = l2.solve({1.0, 2.0}, false);
  EXPECT_NEAR(1.0 * x[0] + 1e-3 * x[1], 1.0, 1e-14);
  EXPECT_NEAR(x[0] + x[1], 2.0, 1e-14);
}

TEST_F(Factorize, ThresholdIsClampedIntoRange) {
  Lu lu(1, 4);
  lu.U = 5.0;
  lu.factor({{1.0, 1, 1}});
  EXPECT_EQ(lu.U, 1.0);
  lu.U = 0.0;
  lu.factor({{1.0, 1, 1}});
  EXPECT_EQ(lu.U, static_cast<double>(2.3e-16f));
  EXPECT_EQ(lu.U, 2.299999913052029e-16);
  lu.U = std::nan("");
  lu.factor({{1.0, 1, 1}});
  EXPECT_EQ(lu.U, static_cast<double>(2.3e-16f));
  lu.U = 0.10000000149011612;
  lu.n = 0;
  lu.factor({});  // clamping comes before the order check
  EXPECT_EQ(lu.U, 0.10000000149011612);
}

TEST_F(Factorize, EntryListLongerThanStorageFailsCleanly) {
  Capture cap;
  Lu lu(2, 3);  // the arrays hold exactly IA = 3 entries
  int nz = 4, ia = 3, n = 2;
  LA05AD(lu.A.data(), lu.IND.data(), nz, ia, n, lu.IP.data(), lu.IW.data(), lu.W.data(),
         lu.G, lu.U);
  EXPECT_EQ(lu.G, -7.0);
  auto l = cap.lines();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[2], kPrefix + "IA IS TOO SMALL");
}

// Non-finite values propagate into the factors but never disturb the
// storage: every row keeps one entry per column.
TEST_F(Factorize, NonFiniteValuesKeepStorageConsistent) {
  const double nan = std::nan(""), inf = HUGE_VAL;
  for (double bad : {nan, inf}) {
    for (int n : {2, 3, 6}) {
      std::vector<Entry> e;
      for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= n; ++j) e.push_back({i == 1 || j == 2 ? bad : 1.0 + i * j, i, j});
      }
      Lu lu(n, 4 * n * n);
      const double g = lu.factor(e);
      if (g >= 0.0) {
        EXPECT_EQ(lutest::check_invariants(lu), "") << n;
      }
      auto x = lu.solve(std::vector<double>(n, 1.0), false);
      EXPECT_EQ(x.size(), static_cast<size_t>(n));
    }
  }
}

// Storage just above what the factors need: many compressions, and every
// factorisation either succeeds with consistent factors or fails with -7.
TEST_F(Factorize, TightStorageKeepsFactorsConsistent) {
  lutest::Gen g(31);
  int compressed = 0;
  for (int rep = 0; rep < 60; ++rep) {
    const int n = g.uniform_int(5, 80);
    auto m = rep % 2 ? g.general(n, 3.0) : g.lp_basis(n, 0.3);
    if (!lutest::DenseLu(m).regular()) continue;
    Lu big(n, 50 * m.nnz());
    ASSERT_GE(big.factor(m.entries()), 0.0);
    const int need = LA05DD.LROW + LA05DD.LENL;
    for (int slack : {0, 1, 2, 3, 5, 8, n / 2, n}) {
      Lu lu(n, std::max(need, m.nnz()) + slack);
      const double gr = lu.factor(m.entries());
      if (gr == -7.0) continue;
      ASSERT_GE(gr, 0.0);
      compressed += LA05DD.NCP > 0;
      ASSERT_EQ(lutest::check_invariants(lu), "") << "rep " << rep << " slack " << slack;
      auto b = g.vector(n);
      EXPECT_LT(lutest::rel_residual(m, lu.solve(b, true), b, true), 1e-12);
    }
  }
  EXPECT_GT(compressed, 50);
}

// An exact cancellation empties a column during an elimination step, a
// compression follows, and a later row of the step brings fill-in into
// that column: its stale start lies beyond the end of the compacted column
// file, so the list must go to the end of the file, not to the stale place.
TEST_F(Factorize, FillInIntoAColumnEmptiedBeforeACompression) {
  const std::vector<Entry> e = {
      {2, 4, 1},    {1, 10, 1},   {-0.05, 10, 2}, {2, 1, 2},    {-1, 4, 2},  {-1, 9, 3},
      {2, 5, 3},    {-1, 3, 3},   {-0.05, 6, 3},  {2, 6, 4},    {1, 1, 4},   {-1, 9, 4},
      {1, 3, 5},    {2, 10, 5},   {1, 9, 5},      {2, 4, 5},    {2, 8, 6},   {-1, 3, 6},
      {-0.05, 9, 6}, {1, 2, 7},   {-1, 3, 7},     {-1, 7, 7},   {2, 9, 7},   {-0.05, 1, 8},
      {0.05, 9, 8}, {0.05, 5, 9}, {0.05, 6, 9},   {1, 7, 10},   {1, 2, 10}};
  lutest::SparseMatrix m(10);
  for (auto x : e) m.cols[x.j - 1].push_back({x.i, x.v});
  int successes = 0;
  for (int ia = 36; ia <= 48; ++ia) {
    Lu lu(10, ia);
    const double g = lu.factor(e);
    if (g == -7.0) continue;
    ASSERT_GE(g, 0.0) << ia;
    ++successes;
    EXPECT_EQ(lutest::check_invariants(lu), "") << ia;
    const std::vector<double> b = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_LT(lutest::rel_residual(m, lu.solve(b, false), b, false), 1e-14) << ia;
  }
  EXPECT_GT(successes, 5);
}

// A matrix whose factorisation needs a lot of fill: random sparse with
// four entries per column.
lutest::SparseMatrix fill_heavy(int n, unsigned seed) {
  lutest::Gen g(seed);
  return g.general(n, 4.0);
}

// The compression limit is max(N/10, 20): sweeping IA downward, the
// factorisation never compresses more often and finally fails with -7
// exactly at the limit; every success solves correctly.
TEST_F(Factorize, CompressionLimitDependsOnOrder) {
  for (int n : {209, 210, 219, 230}) {
    auto m = fill_heavy(n, 77 + n);
    const int mcp = std::max(n / 10, 20);
    Lu big(n, 40 * m.nnz());
    ASSERT_GE(big.factor(m.entries()), 0.0);
    const int need = LA05DD.LROW + LA05DD.LENL;
    bool hit_limit = false, compressed_ok = false;
    for (int ia = need + n; ia >= m.nnz() && !hit_limit; ia -= std::max(1, need / 100)) {
      Lu lu(n, ia);
      const double g = lu.factor(m.entries());
      EXPECT_LE(LA05DD.NCP, mcp) << "n=" << n << " ia=" << ia;
      if (g < 0) {
        EXPECT_EQ(g, -7.0);
        if (LA05DD.NCP == mcp) hit_limit = true;
      } else {
        if (LA05DD.NCP > 0) compressed_ok = true;
        EXPECT_EQ(lutest::check_invariants(lu), "") << "ia=" << ia;
        auto b = lutest::Gen(1).vector(n);
        auto x = lu.solve(b, false);
        EXPECT_LT(lutest::rel_residual(m, x, b, false), 1e-12) << "ia=" << ia;
      }
    }
    EXPECT_TRUE(hit_limit) << "n=" << n;
    EXPECT_TRUE(compressed_ok) << "n=" << n;
  }
}

}  // namespace
