// Solves and column replacement: small values, the identity, trivial and
// singular replacements, failures on entry, messages, storage limits.
#include <gtest/gtest.h>

#include "lu_test_util.h"

namespace {

using lutest::Capture;
using lutest::Entry;
using lutest::Lu;
using lutest::SparseMatrix;

class SolveReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    LA05DD.SMALL = 1.0e-10;
    LA05DD.LP = 0;
  }
};

std::vector<Entry> identity(int n) {
  std::vector<Entry> e;
  for (int i = 1; i <= n; ++i) e.push_back({1.0, i, i});
  return e;
}

TEST_F(SolveReplace, IdentityKeepsTheRightHandSideButTinyValues) {
  Lu lu(4, 16);
  ASSERT_EQ(lu.factor(identity(4)), 1.0);
  const std::vector<double> b = {3.0, 1e-11, -2.0, -5e-11};
  const std::vector<double> expect = {3.0, 0.0, -2.0, 0.0};
  EXPECT_EQ(lu.solve(b, false), expect);
  EXPECT_EQ(lu.W, b);  // L-transformed right-hand side
  EXPECT_EQ(lu.solve(b, true), expect);
  EXPECT_EQ(lu.solve({1e-11, 0, 0, 0}, false), std::vector<double>(4, 0.0));
  for (int i = 1; i <= 4; ++i) EXPECT_GT(lu.ip(i, 1), 0);
}

TEST_F(SolveReplace, TinyComponentsAreNotPropagated) {
  // Lower bidiagonal: x1 = b1 / 1, x2 = b2 - x1.  A right-hand side of
  // 1e-11 in row 1 gives x = 0.
  Lu lu(2, 8);
  ASSERT_GE(lu.factor({{1.0, 1, 1}, {1.0, 2, 1}, {1.0, 2, 2}}), 0.0);
  EXPECT_EQ(lu.solve({1e-11, 0.0}, false), std::vector<double>({0.0, 0.0}));
  EXPECT_EQ(lu.solve({1e-11, 0.0}, true), std::vector<double>({0.0, 0.0}));
  auto x = lu.solve({1.0, 3.0}, false);
  EXPECT_EQ(x, std::vector<double>({1.0, 2.0}));
  auto y = lu.solve({1.0, 3.0}, true);
  EXPECT_EQ(y, std::vector<double>({-2.0, 3.0}));
}

TEST_F(SolveReplace, ReplacingAColumnByItselfChangesNothing) {
  lutest::Gen g(5);
  SparseMatrix m = g.general(30, 3.0);
  Lu lu(30, 2000);
  ASSERT_GE(lu.factor(m.entries()), 0.0);
  const int lenl = LA05DD.LENL;
  std::vector<int> seq3(lu.IW.begin() + 60, lu.IW.begin() + 120);
  for (int mm : {1, 7, 30}) {
    lu.G = 0.0;
    EXPECT_EQ(lu.replace(m.dense_column(mm), mm), 0.0);
    EXPECT_EQ(LA05DD.LENL, lenl);
    EXPECT_EQ(std::vector<int>(lu.IW.begin() + 60, lu.IW.begin() + 120), seq3);
  }
  auto b = g.vector(30);
  EXPECT_LT(lutest::rel_residual(m, lu.solve(b, false), b, false), 1e-13);
  EXPECT_LT(lutest::rel_residual(m, lu.solve(b, true), b, true), 1e-13);
}

TEST_F(SolveReplace, SingularReplacementsGiveMinusSix) {
  Capture cap;
  {
    Lu lu(3, 30);
    ASSERT_GE(lu.factor(identity(3)), 0.0);
    EXPECT_EQ(lu.replace({1e-12, 0.0, 0.0}, 2), -6.0);  // zero column
  }
  {
    // Upper triangular [[1,1,0],[0,1,1],[0,0,1]]: pivots in order
    // (3,3), (2,2), (1,1)?  Whatever the order, a new column 2 equal to
    // column 1 makes the matrix singular.
    Lu lu(3, 30);
    ASSERT_GE(lu.factor({{1.0, 1, 1}, {1.0, 1, 2}, {1.0, 2, 2}, {1.0, 2, 3}, {1.0, 3, 3}}), 0.0);
    EXPECT_EQ(lu.replace({1.0, 0.0, 0.0}, 2), -6.0);
  }
  {
    // Identity: new column 3 = e1 has its entry before the old pivot
    // position of column 3 only if row 1 is pivoted earlier; the pivot
    // order of the identity is 3, 2, 1, so use column 1 replaced by e3.
    Lu lu(3, 30);
    ASSERT_GE(lu.factor(identity(3)), 0.0);
    EXPECT_EQ(lu.replace({0.0, 0.0, 1.0}, 1), -6.0);
  }
  auto l = cap.lines();
  ASSERT_EQ(l.size(), 9u);
  const std::string msg =
      "ERROR RETURN FROM LA05CD BECAUSE SINGULAR MATRIX CREATED BY REPLACEMENT OF COL";
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[2], msg + "    2");
  EXPECT_EQ(l[5], msg + "    2");
  EXPECT_EQ(l[8], msg + "    1");
}

TEST_F(SolveReplace, EarlierFailureIsReportedAndNothingChanges) {
  Capture cap;
  Lu lu(3, 30);
  ASSERT_GE(lu.factor(identity(3)), 0.0);
  auto a0 = lu.A;
  auto ind0 = lu.IND;
  lu.G = -7.0;
  std::vector<double> b = {1.0, 2.0, 3.0};
  EXPECT_EQ(lu.solve(b, false), b);
  EXPECT_EQ(lu.solve(b, true), b);
  int mm = 1;
  LA05CD(lu.A.data(), lu.IND.data(), lu.ia, lu.n, lu.IP.data(), lu.IW.data(), lu.W.data(),
         lu.G, lu.U, mm);
  EXPECT_EQ(lu.G, -7.0);
  EXPECT_EQ(lu.A, a0);
  EXPECT_EQ(lu.IND, ind0);
  auto l = cap.lines();
  ASSERT_EQ(l.size(), 9u);
  EXPECT_EQ(l[2], "ERROR RETURN FROM LA05BD BECAUSE EARLIER ENTRY GAVE ERROR RETURN");
  EXPECT_EQ(l[5], "ERROR RETURN FROM LA05BD BECAUSE EARLIER ENTRY GAVE ERROR RETURN");
  EXPECT_EQ(l[8], "ERROR RETURN FROM LA05CD BECAUSE EARLIER ENTRY GAVE ERROR RETURN");
}

TEST_F(SolveReplace, ColumnIndexOutsideTheMatrixFails) {
  Lu lu(3, 30);
  ASSERT_GE(lu.factor(identity(3)), 0.0);
  for (int mm : {0, 4, -1}) {
    lu.G = 0.0;
    EXPECT_EQ(lu.replace({1.0, 1.0, 1.0}, mm), -6.0);
  }
}

TEST_F(SolveReplace, GrowthIsReportedOnlyForEliminations) {
  // Identity of order 3 (pivot order 3, 2, 1).  Column 3 replaced by
  // (1,1,1): the bump is resolved by permutation alone, G stays 0.
  Lu lu(3, 40);
  ASSERT_GE(lu.factor(identity(3)), 0.0);
  lu.G = 0.0;
  EXPECT_EQ(lu.replace({1.0, 1.0, 1.0}, 3), 0.0);
  SparseMatrix m(3);
  m.cols[0] = {{1, 1.0}};
  m.cols[1] = {{2, 1.0}};
  m.cols[2] = {{1, 1.0}, {2, 1.0}, {3, 1.0}};
  auto b = std::vector<double>{1.0, 2.0, 3.0};
  EXPECT_LT(lutest::rel_residual(m, lu.solve(b, false), b, false), 1e-15);

  // Upper bidiagonal [[2,1],[0,2]] has pivots (2,2) then (1,1)... the
  // replacement of column 1 by (1, 4) needs an elimination of the spike.
  Lu l2(2, 40);
  ASSERT_GE(l2.factor({{2.0, 1, 1}, {1.0, 1, 2}, {2.0, 2, 2}}), 0.0);
  l2.G = 0.0;
  const double g = l2.replace({1.0, 4.0}, 1);
  EXPECT_GT(g, 0.0);
  SparseMatrix m2(2);
  m2.cols[0] = {{1, 1.0}, {2, 4.0}};
  m2.cols[1] = {{1, 1.0}, {2, 2.0}};
  b = {1.0, -1.0};
  EXPECT_LT(lutest::rel_residual(m2, l2.solve(b, false), b, false), 1e-15);
  EXPECT_LT(lutest::rel_residual(m2, l2.solve(b, true), b, true), 1e-15);
}

TEST_F(SolveReplace, StorageTooSmallForTheUpdate) {
  Capture cap;
  // Factor a diagonal in storage with no room left, then add a full column.
  const int n = 6;
  Lu lu(n, n);
  ASSERT_GE(lu.factor(identity(n)), 0.0);
  lu.G = 0.0;
  EXPECT_EQ(lu.replace(std::vector<double>(n, 1.0), 1), -7.0);
  auto l = cap.lines();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[2], "ERROR RETURN FROM LA05CD BECAUSE IA IS TOO SMALL");
}

// Rows stored back to back force a move (and, with little slack, a
// compression) for every new entry; one call may compress at most 20 times.
TEST_F(SolveReplace, AtMostTwentyCompressionsPerUpdate) {
  const int n = 80;
  std::vector<Entry> e;
  for (int i = 1; i <= n; ++i) {
    e.push_back({4.0, i, i});
    for (int d = 1; d <= 2; ++d)
      if (i + d <= n) e.push_back({0.5, i, i + d});
  }
  bool hit_limit = false, ok_with_compressions = false;
  for (int slack = 60; slack >= 0; --slack) {
    const int nnz = static_cast<int>(e.size());
    Lu lu(n, nnz - 1 + n + slack);
    ASSERT_GE(lu.factor(e), 0.0);
    const int ncp0 = LA05DD.NCP;
    lu.G = 0.0;
    const double g = lu.replace(std::vector<double>(n, 1.0), 1);
    EXPECT_LE(LA05DD.NCP - ncp0, 20) << "slack " << slack;
    if (g == -7.0 && LA05DD.NCP - ncp0 == 20) hit_limit = true;
    if (g >= 0.0 && LA05DD.NCP - ncp0 > 5) ok_with_compressions = true;
  }
  EXPECT_TRUE(hit_limit);
  EXPECT_TRUE(ok_with_compressions);
}

}  // namespace
