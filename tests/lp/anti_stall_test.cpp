// The primal phases' fallback for degenerate stalling: the smallest-index
// ratio test on hand-made columns, the mode's switch and limit, the
// entering choice; and whole solves of degenerate LPs (Beale's cycling
// example, assignment LPs checked against enumeration) with FACTOR small,
// so that the no-progress limit is reached and the fallback must carry the
// solve to the optimum.

#include "lp/anti_stall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "lp/engine.h"
#include "primal_support.h"
#include "store_test_support.h"

namespace {

using lp_test::EngineLp;
using lp_test::LpColumn;
using lp_test::LpData;
using lp_test::UnitEightTest;

constexpr double kBig = 1.0e30;

// The tolerances live in RVNCOM, set by XMAPS; a tiny map sets them.
void set_tolerances() {
  static lp::Workspace ws(4000);
  int IPRINT = 0, BNDTYP = 1, IOERR = 8, LENMA = 0, LENMI = 0,
      LENMY = ws.size(), MAXA = 8, MAXM = 4, MAXN = 8;
  int MAPA[20] = {}, MAPI[20] = {};
  XMAPS(IPRINT, BNDTYP, IOERR, LENMA, LENMI, LENMY, MAPA, MAPI, MAXA, MAXM,
        MAXN, ws.data());
}

// A ratio test on M basis positions with the given basic columns, values,
// bounds and transformed column.
struct Ratio {
  std::vector<int> basis;
  std::vector<double> x, lb, ub, yq;
  std::vector<int> status = std::vector<int>(20, 0);
  int Q = 1, INTYP = 1, IOERR = 8, OUTTYP = 9, R = -1;
  double LQ = 0.0, UQ = kBig, THETA = -1.0, PIVOT = 0.0;
  bool UNBDD = true;
  void run() {
    int M = static_cast<int>(basis.size());
    lp::bland_ratio(basis.data(), lb.data(), ub.data(), INTYP, IOERR, LQ, M,
                    OUTTYP, PIVOT, Q, R, status.data(), THETA, UNBDD, UQ,
                    x.data(), yq.data());
  }
};

class BlandRatio : public UnitEightTest {
 protected:
  void SetUp() override {
    UnitEightTest::SetUp();
    set_tolerances();
  }
};

TEST_F(BlandRatio, TiesGoToTheSmallestBasicColumnAmongAdequatePivots) {
  // All three rows block at ratio 0.
  Ratio t{{7, 3, 5}, {0, 0, 0}, {0, 0, 0}, {kBig, kBig, kBig}, {1.0, 2.0, 0.5}};
  t.run();
  EXPECT_EQ(t.R, 2);  // column 3
  EXPECT_EQ(t.OUTTYP, 1);
  EXPECT_EQ(t.THETA, 0.0);
  EXPECT_EQ(t.PIVOT, 2.0);
  // Column 3's pivot below a tenth of the largest tied pivot: passed over.
  Ratio u{{7, 3, 5}, {0, 0, 0}, {0, 0, 0}, {kBig, kBig, kBig}, {1.0, 0.01, 0.5}};
  u.run();
  EXPECT_EQ(u.R, 3);  // column 5
  // Ratios within ZL of the minimum tie; the step is the minimum.
  Ratio v{{9, 4}, {1.0, 2.0 + 5e-11}, {0, 0}, {kBig, kBig}, {1.0, 2.0}};
  v.run();
  EXPECT_EQ(v.R, 2);
  EXPECT_EQ(v.THETA, 1.0);
}

TEST_F(BlandRatio, IncreasingRowsDecreasingEntryAndBoundFlips) {
  // Entering variable decreasing from its upper bound: basic i moves as
  // x + t*yq; row 1 rises to its upper bound 4 (ratio 1), row 2 falls to 0
  // (ratio 1) -> tie, smallest column (2, row 2) leaves to its lower bound.
  Ratio t{{6, 2}, {2.0, 3.0}, {0, 0}, {4.0, kBig}, {2.0, -3.0}};
  t.INTYP = -1;
  t.UQ = 10.0;
  t.run();
  EXPECT_EQ(t.R, 2);
  EXPECT_EQ(t.OUTTYP, 1);
  EXPECT_EQ(t.THETA, 1.0);
  EXPECT_EQ(t.PIVOT, -3.0);  // the sign YQ has
  // The own range equal to the minimum ratio: a bound flip.
  Ratio f{{6, 2}, {2.0, 3.0}, {0, 0}, {4.0, kBig}, {2.0, -3.0}};
  f.INTYP = -1;
  f.LQ = 9.0;
  f.UQ = 10.0;
  f.run();
  EXPECT_EQ(f.OUTTYP, 0);
  EXPECT_EQ(f.R, 0);
  EXPECT_EQ(f.THETA, 1.0);
  EXPECT_EQ(f.PIVOT, -1.0);
  // Nothing blocks and no own bound: unbounded.
  Ratio n{{6}, {2.0}, {0}, {kBig}, {-1.0}};
  n.run();
  EXPECT_TRUE(n.UNBDD);
  EXPECT_EQ(n.OUTTYP, 0);
}

TEST(AntiStallMode, SwitchesOnCountsItsIdleIterationsAndLeaves) {
  lp::AntiStall s(3, 4);
  EXPECT_EQ(s.limit(), lp::stall_limit(3, 4));
  EXPECT_EQ(lp::stall_limit(3, 4), 10 * 7 + 1000);
  EXPECT_FALSE(s.active());
  EXPECT_TRUE(s.keep_going());  // switches on
  EXPECT_TRUE(s.active());
  for (int i = 1; i < s.limit(); ++i) ASSERT_TRUE(s.keep_going()) << i;
  EXPECT_FALSE(s.keep_going());  // idle for the whole limit
  EXPECT_TRUE(s.leave());
  EXPECT_FALSE(s.active());
  EXPECT_FALSE(s.leave());
  EXPECT_TRUE(s.keep_going());  // a new stall starts a fresh count
  EXPECT_TRUE(s.keep_going());
}

TEST(AntiStallMode, ChoosesTheSmallestAttractiveColumnPassingOverRefusedOnes) {
  set_tolerances();
  // Five one-entry columns in row 1, price 1: DJ = c - a.
  const float profit[5] = {1.0f, 1.0f, 3.0f, 0.0f, 5.0f};
  const float acoeff[5] = {1.0f, 2.0f, 1.0f, 1.0f, 1.0f};
  const int colpnt[6] = {0, 1, 2, 3, 4, 5};
  const int rownos[5] = {1, 1, 1, 1, 1};
  const double uzero[1] = {1.0};
  // DJ: 0, -1, 2, -1, 4.  Column 2 at its lower bound is not attractive,
  // column 4 at its upper bound is.
  int status[5] = {0, 0, 0, -1, 0};
  lp::AntiStall s(1, 5);
  double DQ = 0.0;
  EXPECT_EQ(s.choose(2, 5, status, uzero, profit, acoeff, colpnt, rownos, 0,
                     DQ), 3);
  EXPECT_EQ(DQ, 2.0);
  // Column 3 refused (NREJ 1): column 4 next, with its negative DJ.
  EXPECT_EQ(s.choose(2, 5, status, uzero, profit, acoeff, colpnt, rownos, 1,
                     DQ), 4);
  EXPECT_EQ(DQ, -1.0);
  EXPECT_EQ(s.choose(2, 5, status, uzero, profit, acoeff, colpnt, rownos, 2,
                     DQ), 5);
  // All attractive columns refused: the first is taken again.
  EXPECT_EQ(s.choose(2, 5, status, uzero, profit, acoeff, colpnt, rownos, 3,
                     DQ), 3);
  // A carried-out iteration (NREJ 0) clears the refusals.
  EXPECT_EQ(s.choose(2, 5, status, uzero, profit, acoeff, colpnt, rownos, 0,
                     DQ), 3);
  // Phase 1 ignores the costs: DJ = -a < 0, only column 4 (at upper).
  EXPECT_EQ(s.choose(1, 5, status, uzero, profit, acoeff, colpnt, rownos, 0,
                     DQ), 4);
  status[3] = 1;  // basic
  EXPECT_EQ(s.choose(1, 5, status, uzero, profit, acoeff, colpnt, rownos, 0,
                     DQ), 0);
}

TEST(AntiStallMode, PhaseTwoPassesOverReducedCostsAtRoundingLevel) {
  set_tolerances();
  // Column 1: c = 1e4, a = 1e4 in row 2 priced 1 + 1e-12: DJ = -1e-8,
  // far above ZLC but 5e-13 of its terms.  Column 2: DJ = -1e-3.
  const float profit[2] = {1.0e4f, 0.0f};
  const float acoeff[2] = {1.0e4f, 1.0e-3f};
  const int colpnt[3] = {0, 1, 2};
  const int rownos[2] = {2, 1};
  const double uzero[2] = {1.0, 1.0 + 1.0e-12};
  int status[2] = {-1, -1};
  lp::AntiStall s(2, 2);
  double DQ = 0.0;
  EXPECT_EQ(s.choose(2, 2, status, uzero, profit, acoeff, colpnt, rownos, 0,
                     DQ), 2);
  status[1] = 0;  // column 2 no longer attractive: nothing is
  EXPECT_EQ(s.choose(2, 2, status, uzero, profit, acoeff, colpnt, rownos, 0,
                     DQ), 0);
  // Phase 1 has no such filter (its costs are 0): -u.a = -(1e4 + 1e-8).
  status[1] = -1;
  EXPECT_EQ(s.choose(1, 2, status, uzero, profit, acoeff, colpnt, rownos, 0,
                     DQ), 1);
}

class Degenerate : public UnitEightTest {
 protected:
  bool log_has(const std::string& text) {
    for (const std::string& l : lines())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }
};

// Beale's example, the classic LP on which largest-coefficient pricing
// cycles: max 3/4 x1 - 150 x2 + 1/50 x3 - 6 x4 subject to
// 1/4 x1 - 60 x2 - 1/25 x3 + 9 x4 <= 0, 1/2 x1 - 90 x2 - 1/50 x3 + 3 x4 <= 0,
// x3 <= 1.  Optimum 1/20 at x = (1/25, 0, 1, 0).
LpData beale() {
  LpData s;
  s.M = 3;
  s.rowtyp = {1, 1, 1};
  s.b = {0.0, 0.0, 1.0};
  s.cols = {LpColumn{0.75, {{1, 0.25}, {2, 0.5}}},
            LpColumn{-150.0, {{1, -60.0}, {2, -90.0}}},
            LpColumn{0.02, {{1, -0.04}, {2, -0.02}, {3, 1.0}}},
            LpColumn{-6.0, {{1, 9.0}, {2, 3.0}}}};
  return s;
}

TEST_F(Degenerate, BealesExampleReachesItsOptimum) {
  for (int factor : {1, 50}) {
    EngineLp e(beale());
    e.FACTOR = factor;
    ASSERT_EQ(e.solve(), 1) << "FACTOR " << factor;
    EXPECT_NEAR(e.Z, 0.05, 1e-6);
    EXPECT_NEAR(e.value(1), 0.04, 1e-6);
    EXPECT_NEAR(e.value(3), 1.0, 1e-6);
  }
}

// The earlier abandonment case: every step degenerate, FACTOR 1 gives a
// no-progress limit of 3 iterations; the fallback finishes the solve.
TEST_F(Degenerate, DegenerateStretchBeyondTheLimitEndsOptimal) {
  LpData s;
  s.M = 4;
  for (int i = 1; i <= 4; ++i) {
    s.rowtyp.push_back(1);
    s.b.push_back(0.0);
    s.cols.push_back(LpColumn{static_cast<double>(i), {{i, 1.0}}});
  }
  EngineLp e(s);
  e.FACTOR = 1;
  e.PRINT = 1;
  ASSERT_EQ(e.solve(), 1);
  EXPECT_EQ(e.Z, 0.0);
  for (int j = 1; j <= 4; ++j) EXPECT_GE(e.STATUS[j - 1], 1) << j;
  EXPECT_TRUE(log_has("XPHAS2...NO PROGRESS: SMALLEST-INDEX RULE"));
}

// n x n assignment LPs (equality rows, one of them redundant: every
// vertex is highly degenerate) with random integer profits, FACTOR 1 and
// a single candidate per pricing pass; the optimum is the best
// permutation.
TEST_F(Degenerate, AssignmentLpsMatchEnumeration) {
  std::mt19937 rng(20261206);
  int engaged = 0;
  for (int round = 0; round < 12; ++round) {
    const int n = 5;
    std::uniform_int_distribution<int> profit(0, round % 2 ? 3 : 40);
    std::vector<std::vector<int>> p(n, std::vector<int>(n));
    for (auto& row : p)
      for (int& v : row) v = profit(rng);
    LpData s;
    s.M = 2 * n;
    s.rowtyp.assign(2 * n, 0);
    s.b.assign(2 * n, 1.0);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        s.cols.push_back(LpColumn{static_cast<double>(p[i][j]),
                                  {{i + 1, 1.0}, {n + j + 1, 1.0}}});
    std::vector<int> perm(n);
    std::iota(perm.begin(), perm.end(), 0);
    int best = -1;
    do {
      int v = 0;
      for (int i = 0; i < n; ++i) v += p[i][perm[i]];
      best = std::max(best, v);
    } while (std::next_permutation(perm.begin(), perm.end()));

    EngineLp e(s, /*pick=*/1);
    e.FACTOR = 1;
    e.PRINT = 1;
    ASSERT_EQ(e.solve(), 1) << "round " << round;
    EXPECT_NEAR(e.Z, best, 1e-6) << "round " << round;
    if (log_has("NO PROGRESS: SMALLEST-INDEX RULE")) ++engaged;
    io::reset_units();
    ASSERT_TRUE(io::open_unit(8, path_, io::OpenStatus::kReplace));
  }
  EXPECT_GT(engaged, 0);  // the fallback did take part
}

}  // namespace
