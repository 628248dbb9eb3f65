// The fallback for degenerate stalling: smallest-index ratio test, the
// mode's idle count, and Beale's cycling example.

#include "lp/anti_stall.h"

#include <gtest/gtest.h>

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

TEST(AntiStallMode, SwitchesOnCountsItsIdleIterationsAndLeaves) {
  lp::AntiStall s(3, 4);
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

class Degenerate : public UnitEightTest {};

// Beale's example (cycles under largest-coefficient pricing); optimum
// 1/20 at x = (1/25, 0, 1, 0).
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

}  // namespace
