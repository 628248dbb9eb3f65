// A singular basis change is refused by the update, the basis kept, and
// the primal simplex goes on to the optimum.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lp/engine.h"
#include "postopt_test_support.h"
#include "store_test_support.h"

namespace {

using lp_test::LpColumn;
using lp_test::LpData;
using lp_test::PostOptLp;

class SingularUpdate : public lp_test::UnitEightTest {
 protected:
  bool logged(const std::string& text) {
    for (const std::string& l : lines())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }
};

// A badly scaled degenerate basis {x1, x2, x3} (x3 = 0) and an entering x4
// that is a combination of x1 and x2 up to 32-bit rounding: the ratio test
// takes position 3, and the update finds the replacement singular.
LpData badly_scaled() {
  const double b1[3] = {0.004614559467881918, 0.0, -1.2057322263717651};
  const double b2[3] = {4.3414510741968115e-07, 0.00028026683139614761,
                        155.42704772949219};
  const double b3[3] = {0.0, 0.0, 0.0082450201734900475};
  const double a[3] = {-2.3466227503377013e-06, 7.9179471867973916e-07,
                       0.43971759080886841};
  auto column = [](double cost, const double* v) {
    LpColumn c{cost, {}};
    for (int i = 0; i < 3; ++i)
      if (v[i] != 0.0) c.a.push_back({i + 1, v[i]});
    return c;
  };
  LpData s;
  s.M = 3;
  s.rowtyp = {1, 1, 1};
  s.b = {b1[0] + b2[0], b1[1] + b2[1], b1[2] + b2[2]};  // x1 = x2 = 1
  const double e3[3] = {0.0, 0.0, 1.0};
  s.cols = {column(0.0, b1), column(0.0, b2), column(0.0, b3),
            column(1.0, a), column(0.5, e3)};
  return s;
}

// The basis {x1, x2, x3}, every other column at its lower bound (equality
// rows' logicals stay as the slack basis has them).
void start_from_x1_x2_x3(PostOptLp& e) {
  e.store_columns();
  e.slack();
  for (int i = 0; i < 3; ++i) {
    e.BASIS[i] = i + 1;
    e.STATUS[i] = i + 1;
  }
  for (int j = 4; j <= e.N; ++j)
    if (e.STATUS[j - 1] != -3) e.STATUS[j - 1] = 0;
  e.start();
}

TEST_F(SingularUpdate, PrimalSolveRefusesThePivotAndReachesTheOptimum) {
  const LpData s = badly_scaled();
  PostOptLp e(s);
  start_from_x1_x2_x3(e);
  e.PRINT = 3;
  ASSERT_EQ(e.SCODE, 1);
  ASSERT_EQ(e.XBZERO[2], 0.0);
  EXPECT_EQ(e.primal(), 1);
  const double z = e.Z;
  EXPECT_TRUE(logged("XUPDAT...SINGULAR UPDATE REFUSED  Q=     4  R=     3"));
  EXPECT_TRUE(logged("XPHAS2...ITERATION    0     PIVOT REJECTED  Q=    4"));

  // The same LP from the slack basis.
  PostOptLp f(s);
  EXPECT_EQ(f.solve(), 1);
  EXPECT_NEAR(z, f.Z, 1e-9 * std::fabs(f.Z));
}

// The same basis with x3 = -0.001 and equality rows, x4 negated and both
// x4 and x5 costing something: the dual simplex lets x3 leave and takes x4
// in, the change the update finds singular.  Under the guard the change is
// refused, the basis kept and refactorised, and DTERM is 6; without it the
// program stops.
LpData dual_singular() {
  LpData s = badly_scaled();
  s.rowtyp = {0, 0, 0};
  for (auto& entry : s.cols[3].a) entry.second = -entry.second;
  s.cols[3].c = -1.0;
  s.cols[4].c = -0.5;
  s.b[2] -= 0.001 * 0.0082450201734900475;
  return s;
}

TEST_F(SingularUpdate, DualSolveRefusesTheChangeOnlyWhileTheCallerAsks) {
  PostOptLp e(dual_singular());
  start_from_x1_x2_x3(e);
  {
    lp::DualIterationsAbandon keep_going;
    EXPECT_EQ(e.dual(), 6);
  }
  EXPECT_EQ(e.DUNBR, 3);
  EXPECT_EQ(std::vector<int>(e.BASIS.begin(), e.BASIS.begin() + 3),
            (std::vector<int>{1, 2, 3}));
  EXPECT_NEAR(e.XBZERO[2], -0.001, 1e-9);
  EXPECT_TRUE(logged("XUPDAT...SINGULAR UPDATE REFUSED  Q=     4  R=     3"));

  PostOptLp f(dual_singular());
  start_from_x1_x2_x3(f);
  stop_lines([&] { f.dual(); });
}

}  // namespace
