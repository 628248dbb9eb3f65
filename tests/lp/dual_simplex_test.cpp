// Dual simplex after right-hand-side changes against a fresh primal solve;
// dual unboundedness and refused pivots on hand-made LPs.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "postopt_test_support.h"
#include "store_test_support.h"

namespace {

using lp_test::LpColumn;
using lp_test::LpData;
using lp_test::PostOptLp;
using Lines = std::vector<std::string>;

class DualSimplex : public lp_test::UnitEightTest {};

struct Tally {
  int optimal = 0, infeasible = 0, pivots = 0;
};

void resolve_after_rhs_change(unsigned seed, int factor, Tally& t) {
  SCOPED_TRACE("seed " + std::to_string(seed));
  const LpData lp_data = lp_test::random_lp(seed);
  PostOptLp e(lp_data);
  ASSERT_EQ(e.solve(), 1);
  e.FACTOR = factor;

  // Move one to three right-hand sides.
  std::mt19937 g(seed * 7919u);
  LpData moved = lp_data;
  const int k = std::uniform_int_distribution<int>(1, 3)(g);
  for (int t2 = 0; t2 < k; ++t2) {
    const int i = std::uniform_int_distribution<int>(1, lp_data.M)(g);
    const double d = std::uniform_real_distribution<double>(-3.0, 3.0)(g);
    moved = lp_test::moved_rhs(moved, i, d);
    e.B[i - 1] += d;
  }

  const int dterm = e.dual();
  PostOptLp fresh(moved);
  const int termin = fresh.solve();
  if (termin == 1) {
    ASSERT_EQ(dterm, 1);
    EXPECT_NEAR(e.Z, fresh.Z, lp_test::rel_tol(fresh.Z));
    EXPECT_EQ(e.primal_violation(), "");
    EXPECT_EQ(e.dual_violation(1e-6), "");
    ++t.optimal;
  } else {
    ASSERT_EQ(termin, 3) << "a bounded LP is optimal or infeasible";
    EXPECT_EQ(dterm, 2);
    EXPECT_GE(e.DUNBR, 1);
    EXPECT_LE(e.DUNBR, e.M);
    ++t.infeasible;
  }
  t.pivots += e.ITERD;
}

TEST_F(DualSimplex, ReachesTheFreshPrimalOptimumAfterRhsChanges) {
  Tally t;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    resolve_after_rhs_change(seed, 50, t);
    if (HasFatalFailure()) return;
  }
  std::printf("optimal %d infeasible %d dual pivots %d\n", t.optimal,
              t.infeasible, t.pivots);
  EXPECT_GT(t.optimal, 100);
  EXPECT_GT(t.infeasible, 20);
  EXPECT_GT(t.pivots, 100);
}

// x1 + x2 <= 2, maximising -x1 - 2 x2.
LpData one_row() {
  LpData s;
  s.M = 1;
  s.rowtyp = {1};
  s.b = {2.0};
  s.cols = {{-1.0, {{1, 1.0}}}, {-2.0, {{1, 1.0}}}};
  return s;
}

// b moved to -5e-9: within a band of 1e-8 no violation is left; without
// the band no column can raise the slack, and the dual is unbounded.
TEST_F(DualSimplex, InfeasibleRowMakesTheDualUnboundedOutsideTheBand) {
  PostOptLp e(one_row());
  ASSERT_EQ(e.solve(), 1);
  e.B[0] = -5.0e-9;
  {
    const lp::FeasibilityBand band(1.0e-8, 1.0e-8);
    EXPECT_EQ(e.dual(), 1);
    EXPECT_EQ(e.ITERD, 0);
  }
  e.PRINT = 1;
  EXPECT_EQ(e.dual(), 2);
  EXPECT_EQ(e.DUNBR, 1);
  EXPECT_EQ(lines(),
            (Lines{"", "DUAL PHASE2...THE DUAL PROBLEM IS UNBOUNDED"
                       "               ROW    1"}));
}

// Rows i = 1..M, each "x_i * 1e-7 <= -1": every pivot is far too small.
LpData tiny_pivots(int m) {
  LpData s;
  s.M = m;
  s.BNDTYP = 1;
  for (int i = 1; i <= m; ++i) {
    s.rowtyp.push_back(1);
    s.b.push_back(-1.0);
    s.blow.push_back(0.0);
    s.cols.push_back({-1.0, {{i, -1.0e-7}}});
  }
  return s;
}

// Eleven refused pivots in a row end the dual iterations: with code 6
// while the caller's guard lives, else by stopping the program.
TEST_F(DualSimplex, ElevenRejectedPivotsEndWithCodeSixOrAStop) {
  PostOptLp e(tiny_pivots(11));
  e.store_columns();
  e.slack();
  {
    lp::DualIterationsAbandon keep_going;
    EXPECT_EQ(e.dual(), 6);
    EXPECT_EQ(e.DUNBR, 11);
  }
  PostOptLp again(tiny_pivots(11));
  again.store_columns();
  again.slack();
  const Lines got = stop_lines([&] { again.dual(); });
  ASSERT_EQ(got.size(), 22u);
  EXPECT_EQ(got[19],
            "XDPH2...ITERATION    0     PIVOT REJECTEDROW=   10     PIVOT= "
            "-0.10000000D-06");
  EXPECT_EQ(got[21], "XDPH2...PROBLEM ABANDONED...TOO MANY REJECTED PIVOTS");
}

}  // namespace
