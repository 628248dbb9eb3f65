// Pricing window wrap-around, candidate order, the pricing pass's windows,
// and the ratio test's tie rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "lp/engine.h"
#include "lp/pricing_pass.h"
#include "lp/workspace.h"
#include "primal_support.h"
#include "store_test_support.h"

namespace {

using lp_test::EngineLp;
using lp_test::LpColumn;
using lp_test::LpData;
using lp_test::UnitEightTest;

// A store of N columns, each with one entry 1.0 in row 1 and cost COSTS(j);
// M = 2 rows.
LpData cost_columns(const std::vector<double>& costs) {
  LpData s;
  s.M = 2;
  s.rowtyp = {1, 1};
  s.b = {1.0, 1.0};
  for (double c : costs) {
    LpColumn col;
    col.c = c;
    col.a = {{1, 1.0}, {2, 0.5}};
    s.cols.push_back(col);
  }
  return s;
}

// Calls FCAND on the engine's store; returns CAND(1..PPRIME).
struct Priced {
  std::vector<int> cand;
  int start2 = 0;
};

Priced price(EngineLp& e, int start1, int look, int phase) {
  int PPRIME = -1, START1 = start1, START2 = 0, LOOK = look, PHASE = phase;
  float* PROFIT = lp::f32_slice(e.MEMORY, e.MAPA[2]);
  float* ACOEFF = lp::f32_slice(e.MEMORY, e.MAPA[3]);
  int* COLPNT = lp::i32_slice(e.MEMORY, e.MAPA[4]);
  int* ROWNOS = lp::i32_slice(e.MEMORY, e.MAPA[5]);
  int* MAXA = lp::i32_slice(e.MEMORY, e.MAPA[6]);
  FCAND(e.BASIS.data(), e.CAND.data(), e.CANDA.data(), e.CANDCJ.data(),
        e.CANDI.data(), e.CANDL.data(), e.COLA.data(), e.COLI.data(),
        e.COLMAX, e.IOERR, e.LENMA, e.LENMY, LOOK, e.M, e.MAPA, e.MAXM,
        e.MAXN, e.MEMORY, e.N, e.PICK, PHASE, PPRIME, START1, START2,
        e.STATUS.data(), e.UZERO.data(), PROFIT, ACOEFF, COLPNT, ROWNOS,
        *MAXA);
  Priced p;
  p.cand.assign(e.CAND.begin(), e.CAND.begin() + PPRIME);
  p.start2 = START2;
  EXPECT_EQ(LOOK, look) << "FCAND must not change LOOK";
  return p;
}

using Cols = std::vector<int>;

TEST(Fcand, WrapsAroundToColumnOneAndNeverScansAColumnTwice) {
  EngineLp e(cost_columns({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), /*pick=*/20);
  e.store_columns();
  Priced p = price(e, 9, 4, 2);
  EXPECT_EQ(p.start2, 2);
  EXPECT_EQ(p.cand, (Cols{10, 9, 2, 1}));
  // LOOK >= N: all columns once; START2 = START1 - 1.
  p = price(e, 5, 200, 2);
  EXPECT_EQ(p.start2, 4);
  EXPECT_EQ(p.cand.size(), 10u);
}

TEST(Fcand, KeepsThePickLargestKeysWithTiesInScanOrder) {
  // Keys 3 5 5 1 5 2 7 5.
  EngineLp e(cost_columns({3, 5, 5, 1, 5, 2, 7, 5}), /*pick=*/3);
  e.store_columns();
  EXPECT_EQ(price(e, 1, 8, 2).cand, (Cols{7, 2, 3}));
  // Scanning from 4 (4..8, then 1..3): the fives in scan order 5, 8, 2.
  EXPECT_EQ(price(e, 4, 8, 2).cand, (Cols{7, 5, 8}));
}

// The windows of one pricing pass when no column is attractive: each call
// of FCAND followed by the pass's window control.
std::vector<std::pair<int, int>> pass_windows(EngineLp& e, int save,
                                              int look) {
  std::vector<std::pair<int, int>> w;
  int START1 = save, LOOK = look;
  for (int guard = 0; guard < 20; ++guard) {
    Priced p = price(e, START1, LOOK, 2);
    EXPECT_TRUE(p.cand.empty());
    w.emplace_back(START1, p.start2);
    const int WSTART = START1;
    START1 = lp::next_window_start(p.start2, e.N);
    if (!lp::continue_pass(START1, LOOK, p.start2, WSTART, save)) break;
  }
  return w;
}

TEST(PricingPass, CoversEveryColumnFromAnyStartThenEnds) {
  EngineLp e(cost_columns(std::vector<double>(10, -1.0)));
  e.store_columns();
  using W = std::vector<std::pair<int, int>>;
  // From 5: 5-8, 9-10 with 1-2, then 3-4 (cut to two columns).
  EXPECT_EQ(pass_windows(e, 5, 4), (W{{5, 8}, {9, 2}, {3, 4}}));
  // From 1: 1-4, 5-8, 9-10 with 1-2 (columns 1 and 2 twice).
  EXPECT_EQ(pass_windows(e, 1, 4), (W{{1, 4}, {5, 8}, {9, 2}}));
  EXPECT_EQ(pass_windows(e, 2, 3), (W{{2, 4}, {5, 7}, {8, 10}, {1, 1}}));
  EXPECT_EQ(pass_windows(e, 10, 1).size(), 10u);
  // "Scan everything" as the largest LOOK: window ends never overflow.
  EXPECT_EQ(pass_windows(e, 7, std::numeric_limits<int>::max()), (W{{7, 6}}));
  int LOOK = std::numeric_limits<int>::max();
  EXPECT_TRUE(lp::continue_pass(1, LOOK, 10, 7, 3));
  EXPECT_EQ(LOOK, 2);
}

constexpr double BIG = 1.0e30;

// One basic variable: value, bounds, transformed column entry.
struct Row {
  double x, lb, ub, y;
};

struct RatioCase {
  const char* what;
  std::vector<Row> rows;
  int intyp;
  double lq, uq;
  int status_q;
  // Expected results.
  int r, outtyp;
  double theta, pivot;
  bool unbdd;
};

class RatioTest : public UnitEightTest {
 protected:
  void SetUp() override {
    UnitEightTest::SetUp();
    RVNCOM.BIG = BIG;
    RVNCOM.ZL = 1.0e-10;
  }
  // Runs XCHUZR on the rows; YQ comes back in yq.
  void run(const std::vector<Row>& rows, int intyp, double lq, double uq,
           int status_q) {
    XBZERO.clear(), BASLB.clear(), BASUB.clear(), YQ.clear(), BASIS.clear();
    for (const Row& w : rows) {
      XBZERO.push_back(w.x);
      BASLB.push_back(w.lb);
      BASUB.push_back(w.ub);
      YQ.push_back(w.y);
      BASIS.push_back(static_cast<int>(BASIS.size()) + 1);
    }
    int M = static_cast<int>(rows.size()), MAXM = M, MAXN = 10, N = 10, Q = 5;
    INTYP = intyp;
    LQ = lq;
    UQ = uq;
    std::vector<int> STATUS(10, 0);
    STATUS[Q - 1] = status_q;
    XCHUZR(BASIS.data(), BASLB.data(), BASUB.data(), INTYP, IOERR, LQ, M,
           MAXM, MAXN, N, OUTTYP, PIVOT, Q, R, STATUS.data(), THETA, UNBDD,
           UQ, XBZERO.data(), YQ.data());
  }
  std::vector<double> XBZERO, BASLB, BASUB, YQ;
  std::vector<int> BASIS;
  int R = -1, OUTTYP = -9, INTYP = 1, IOERR = 8;
  double LQ = 0, UQ = 0, THETA = -1, PIVOT = 0;
  bool UNBDD = true;
};

TEST_F(RatioTest, TieRulesBoundFlipsAndPhaseOneBlocking) {
  const double r5 = 0.5 + 5.0e-11;  // within ZL of 0.5: a tie
  const RatioCase cases[] = {
      {"set 1 tie: larger pivot wins", {{1.0, 0, BIG, 2.0}, {3 * r5, 0, BIG, 3.0}},
       1, 0, BIG, 0, 2, 1, r5, 3.0, false},
      {"set 1 tie: incumbent with larger pivot stays",
       {{1.5, 0, BIG, 3.0}, {2 * r5, 0, BIG, 2.0}}, 1, 0, BIG, 0, 1, 1, 0.5, 3.0,
       false},
      {"set 2 tie: smaller magnitude wins", {{0, 0, 1.0, -2.0}, {0, 0, 3 * r5, -3.0}},
       1, 0, BIG, 0, 1, -1, 0.5, -2.0, false},
      {"exact tie between the sets: set 1", {{0, 0, 1.0, -1.0}, {2.0, 0, BIG, 2.0}},
       1, 0, BIG, 0, 2, 1, 1.0, 2.0, false},
      {"tie with the own range: bound flip", {{2.0, 0, BIG, 2.0}}, 1, 0, 1.0, 0, 0, 0,
       1.0, 1.0, false},
      {"decreasing entry: pivot keeps its sign", {{0.5, 0, 1.0, 2.0}, {1.0, 0, BIG, -1.0}},
       -1, 0, 10.0, 0, 1, -1, 0.25, 2.0, false},
      {"decreasing bound flip after the test: pivot -1",
       {{0.5, 0, 1.0, 2.0}, {1.0, 0, BIG, -1.0}}, -1, 0, 0.1, 0, 0, 0, 0.1, -1.0, false},
      {"range below ZL: flip without the basis", {{0, 0, BIG, 1.0e-12}}, -1, 2.0,
       2.0 + 5.0e-11, 0, 0, 0, (2.0 + 5.0e-11) - 2.0, 1.0, false},
      {"nothing limits: unbounded",
       {{1.0, -BIG, BIG, 1.0}, {1.0, 0, BIG, -1.0}, {1.0, 0, BIG, 1.0e-11}}, 1, 0, BIG,
       0, 0, 0, BIG, 1.0, true},
      {"free entering column ignores its range", {{3.0, 0, BIG, 1.0}}, 1, 0, 0, -2, 1,
       1, 3.0, 1.0, false},
      {"below lower, no upper, increasing: blocks at lower",
       {{-2.0, 0, BIG, -1.0}}, 1, 0, BIG, 0, 1, 1, 2.0, -1.0, false},
      {"below lower and decreasing: does not block", {{-1.0, 0, BIG, 1.0}}, 1, 0,
       BIG, 0, 0, 0, BIG, 1.0, true},
  };
  for (const RatioCase& c : cases) {
    SCOPED_TRACE(c.what);
    run(c.rows, c.intyp, c.lq, c.uq, c.status_q);
    EXPECT_EQ(R, c.r);
    EXPECT_EQ(OUTTYP, c.outtyp);
    EXPECT_NEAR(THETA, c.theta, 1e-15 * std::max(1.0, c.theta));
    EXPECT_EQ(PIVOT, c.pivot);
    EXPECT_EQ(UNBDD, c.unbdd);
  }
}

// Within a feasibility band the leaving row is the largest pivot among the
// rows that block within the band; values inside the band beyond a bound
// block at once; values beyond it keep phase 1's rules.  Each case also
// runs without the band (the first expected result).
TEST_F(RatioTest, WithinABandTheLargestPivotLeaves) {
  struct Case {
    const char* what;
    std::vector<Row> rows;
    int intyp;
    double uq;
    int r_exact, r_band, outtyp_band;
    double theta_band, pivot_band;
    bool unbdd_band;
  };
  const Case cases[] = {
      {"a tiny pivot first by a hair: the large one leaves",
       {{0.0, 0, BIG, 1.0e-4}, {1.0e-9, 0, BIG, 1.0}}, 1, BIG, 1, 2, 1, 1.0e-9,
       1.0, false},
      {"a value within the band below its bound blocks at once",
       {{1.0, 0, BIG, 1.0}, {-5.0e-9, 0, BIG, 1.0}}, 1, BIG, 1, 2, 1, 0.0,
       1.0, false},
      {"beyond the band: it does not block (phase 1)",
       {{-1.0, 0, BIG, 1.0}}, 1, BIG, 0, 0, 0, BIG, 1.0, true},
      {"the own range first: bound flip", {{2.0, 0, BIG, 2.0}}, 1, 0.5, 0, 0,
       0, 0.5, 1.0, false},
      {"decreasing entry towards an upper bound: pivot keeps its sign",
       {{0.5, 0, 1.0, 2.0}, {1.0, 0, BIG, -1.0}}, -1, 10.0, 1, 1, -1, 0.25,
       2.0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    run(c.rows, c.intyp, 0.0, c.uq, 0);
    EXPECT_EQ(R, c.r_exact);
    {
      const lp::FeasibilityBand band(1.0e-8, 1.0e-8);
      EXPECT_EQ(lp::feasibility_tolerance(), 1.0e-8);
      run(c.rows, c.intyp, 0.0, c.uq, 0);
    }
    EXPECT_EQ(lp::feasibility_band(), 0.0) << "the guard restores no band";
    EXPECT_EQ(R, c.r_band);
    EXPECT_EQ(OUTTYP, c.outtyp_band);
    EXPECT_NEAR(THETA, c.theta_band, 1e-15 * std::max(1.0, c.theta_band));
    EXPECT_EQ(PIVOT, c.pivot_band);
    EXPECT_EQ(UNBDD, c.unbdd_band);
  }
  // Phase 2 lets no violation grow: beyond the band, the value blocks too.
  const lp::FeasibilityBand band(1.0e-8, 1.0e-8);
  const lp::PhaseTwoRunning phase_two;
  run({{1.0, 0, BIG, 1.0}, {-1.0, 0, BIG, 1.0}}, 1, 0.0, BIG, 0);
  EXPECT_EQ(R, 2);
  EXPECT_EQ(THETA, 0.0);
}

}  // namespace
