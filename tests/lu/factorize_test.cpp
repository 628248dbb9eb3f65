// Worked cases: pivot order, failure codes with their messages, singular
// factorisations and replacements, storage running out.
#include "lu_test_util.h"

namespace {

using namespace lutest;

using Factorize = LuTest;

std::vector<Entry> diagonal(int n) {
  std::vector<Entry> e;
  for (int i = 1; i <= n; ++i) e.push_back({static_cast<double>(i), i, i});
  return e;
}

TEST_F(Factorize, DiagonalAndSingletonPivotOrder) {
  Lu lu(7, 20);
  EXPECT_EQ(lu.factor(diagonal(7)), 7.0);
  EXPECT_EQ(LA05DD.LENL, 0);
  for (int p = 1; p <= 7; ++p) {  // pivots from the highest index down
    EXPECT_EQ(lu.iw(p, 3), 8 - p);
    EXPECT_EQ(lu.iw(p, 4), 8 - p);
  }
  // [[1, 1], [1, 0]]: the column singleton comes first: (1,2), then (2,1).
  Lu l2(2, 8);
  EXPECT_EQ(l2.factor({{1.0, 1, 1}, {1.0, 2, 1}, {1.0, 1, 2}}), 1.0);
  EXPECT_EQ(std::vector<int>({l2.iw(1, 3), l2.iw(1, 4), l2.iw(2, 3), l2.iw(2, 4)}),
            std::vector<int>({1, 2, 2, 1}));
}

// Each case: entries, order, storage, expected G, expected message lines
// (the last lines written by the call).
TEST_F(Factorize, FailuresAndTheirMessages) {
  const std::string pre = "ERROR RETURN FROM LA05AD BECAUSE ";
  struct Case {
    int n, ia;
    std::vector<Entry> e;
    double g;
    std::vector<std::string> msg;
  };
  std::vector<Entry> long_list;  // 23 diagonal pivots, then a singular 2x2 block
  for (int i = 1; i <= 23; ++i) long_list.push_back({2.0, i, i});
  for (int i = 24; i <= 25; ++i)
    for (int j = 24; j <= 25; ++j) long_list.push_back({1.0, i, j});
  const std::vector<Case> cases = {
      {0, 4, {}, -1, {pre + "N IS NOT POSITIVE"}},
      {2, 4, {{1, 1, 1}, {1, 2, 1}}, -2, {pre + "COL    2 HAS NO ELEMENTS"}},
      {3, 6, {{1, 1, 1}, {1, 3, 3}}, -2, {pre + "ROW    2 HAS NO ELEMENTS"}},
      {2, 4, {{1, 1, 1}, {1, 1, 2}, {1e-11, 2, 2}}, -2, {pre + "ROW    2 HAS NO ELEMENTS"}},
      // The zero entry with a wild index is dropped, its slot taken by the last.
      {2, 8, {{1, 1, 1}, {0, 99, -5}, {1, 2, 2}, {2, 3, 1}}, -3,
       {pre + "ELEMENT      2 IS IN ROW    3 AND COLUMN    1"}},
      {2, 8, {{1, 1, 1}, {1, 2, 2}, {3, 2, 1}, {1, 2, 2}}, -4,
       {pre + "THERE IS MORE THAN ONE ENTRY IN ROW    2 AND COLUMN    2"}},
      {2, 8, {{1, 1, 1}, {1, 2, 1}, {1, 1, 2}, {1, 2, 2}}, -5,
       {pre + "THE FOLLOWING ROWS ARE DEPENDENT", "   1    2"}},
      {3, 8, {{1, 1, 1}, {1, 1, 3}, {1, 2, 2}, {1, 3, 2}}, -5,
       {pre + "THE FOLLOWING COLS ARE DEPENDENT", "   3    1"}},
      {25, 60, long_list, -5,
       {pre + "THE FOLLOWING ROWS ARE DEPENDENT",
        "  23   22   21   20   19   18   17   16   15   14   13   12   11"
        "   10    9    8    7    6    5    4",
        "   3    2    1   24   25"}},
      {150, 0, Gen(7).matrix(150, 5.0).entries(), -7, {pre + "IA IS TOO SMALL"}},
  };
  for (const auto& c : cases) {
    Capture cap;
    const int ia = c.ia ? c.ia : static_cast<int>(c.e.size()) + 5;
    Lu lu(std::max(c.n, 1), ia);
    lu.n = c.n;
    EXPECT_EQ(lu.factor(c.e), c.g) << c.msg[0];
    auto l = cap.lines();
    ASSERT_GE(l.size(), c.msg.size()) << c.msg[0];
    EXPECT_EQ(std::vector<std::string>(l.end() - c.msg.size(), l.end()), c.msg);
  }
}

TEST_F(Factorize, SingularAndFailedReplacements) {
  Capture cap;
  const auto ident = [] {
    std::vector<Entry> e;
    for (int i = 1; i <= 3; ++i) e.push_back({1.0, i, i});
    return e;
  }();
  const std::string msg =
      "ERROR RETURN FROM LA05CD BECAUSE SINGULAR MATRIX CREATED BY REPLACEMENT OF COL";
  Lu lu(3, 30);
  ASSERT_GE(lu.factor(ident), 0.0);
  EXPECT_EQ(lu.replace({1e-12, 0.0, 0.0}, 2), -6.0);  // a tiny column is zero
  EXPECT_EQ(cap.lines().back(), msg + "    2");
  for (int mm : {0, 4}) {
    ASSERT_GE(lu.factor(ident), 0.0);
    EXPECT_EQ(lu.replace({1.0, 1.0, 1.0}, mm), -6.0);
  }
  // After a failure the solve leaves b alone and says why.
  lu.G = -7.0;
  EXPECT_EQ(lu.solve({1.0, 2.0, 3.0}, false), std::vector<double>({1.0, 2.0, 3.0}));
  EXPECT_EQ(cap.lines().back(), "ERROR RETURN FROM LA05BD BECAUSE EARLIER ENTRY GAVE ERROR RETURN");
  // A diagonal factorised with no room left cannot take a full column.
  Lu full(6, 6);
  ASSERT_GE(full.factor(diagonal(6)), 0.0);
  EXPECT_EQ(full.replace(std::vector<double>(6, 1.0), 1), -7.0);
  EXPECT_EQ(cap.lines().back(), "ERROR RETURN FROM LA05CD BECAUSE IA IS TOO SMALL");
}

TEST_F(Factorize, SmallValuesAreDroppedFromSolutions) {
  Lu lu(2, 8);  // lower bidiagonal [[1, 0], [1, 1]]
  ASSERT_GE(lu.factor({{1.0, 1, 1}, {1.0, 2, 1}, {1.0, 2, 2}}), 0.0);
  EXPECT_EQ(lu.solve({1e-11, 0.0}, false), std::vector<double>({0.0, 0.0}));
  EXPECT_EQ(lu.solve({1e-11, 0.0}, true), std::vector<double>({0.0, 0.0}));
  EXPECT_EQ(lu.solve({1.0, 3.0}, false), std::vector<double>({1.0, 2.0}));
  EXPECT_EQ(lu.solve({1.0, 3.0}, true), std::vector<double>({-2.0, 3.0}));
}

// An exact cancellation empties a column, a compression follows, and a
// later row of the same step brings fill-in into that column.
TEST_F(Factorize, FillInIntoAColumnEmptiedBeforeACompression) {
  const std::vector<Entry> e = {
      {2, 4, 1},     {1, 10, 1},   {-0.05, 10, 2}, {2, 1, 2},  {-1, 4, 2},   {-1, 9, 3},
      {2, 5, 3},     {-1, 3, 3},   {-0.05, 6, 3},  {2, 6, 4},  {1, 1, 4},    {-1, 9, 4},
      {1, 3, 5},     {2, 10, 5},   {1, 9, 5},      {2, 4, 5},  {2, 8, 6},    {-1, 3, 6},
      {-0.05, 9, 6}, {1, 2, 7},    {-1, 3, 7},     {-1, 7, 7}, {2, 9, 7},    {-0.05, 1, 8},
      {0.05, 9, 8},  {0.05, 5, 9}, {0.05, 6, 9},   {1, 7, 10}, {1, 2, 10}};
  SparseMatrix m(10);
  for (auto x : e) m.cols[x.j - 1].push_back({x.i, x.v});
  int successes = 0;
  for (int ia = 36; ia <= 48; ++ia) {
    Lu lu(10, ia);
    if (lu.factor(e) == -7.0) continue;
    ASSERT_GE(lu.G, 0.0) << ia;
    ++successes;
    const std::vector<double> b = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_LT(rel_residual(m, lu.solve(b, false), b, false), 1e-14) << ia;
  }
  EXPECT_GT(successes, 5);
}

}  // namespace
