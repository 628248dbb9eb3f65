// Parametric right-hand-side steps along random directions, each break
// point checked against a fresh solve of the moved LP; and XSTART.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "postopt_test_support.h"
#include "store_test_support.h"

namespace {

using lp_test::LpData;
using lp_test::PostOptLp;

class Parametric : public lp_test::UnitEightTest {};

struct Step {
  double ALPHA = 0.0;
  int LEAVE = 0, PBCODE = 0, R = 0;
};

Step step(PostOptLp& e, std::vector<double>& direct, bool change,
          int& factit) {
  Step s;
  bool CHANGE = change;
  XPARAB(s.ALPHA, e.B.data(), e.BASCB.data(), e.BASIS.data(), e.BASLB.data(),
         e.BASUB.data(), e.BETAR.data(), e.BNDTYP, e.BOUND, CHANGE,
         e.COLA.data(), e.COLI.data(), e.COLMAX, direct.data(), factit,
         e.FACTOR, e.IOERR, e.IOLOG, s.LEAVE, e.LENMA, e.LENMI, e.LENMY, e.M,
         e.MAPA, e.MAPI, e.MAXM, e.MAXN, e.MEMORY, e.N, e.NTYPE2, s.PBCODE,
         e.PRINT, s.R, e.STATUS.data(), e.UZERO.data(), e.XBZERO.data(),
         e.YQ.data(), e.Z);
  return s;
}

// The LP with right-hand side B (two-sided rows keep their range).
LpData with_rhs(LpData s, const std::vector<double>& b) {
  for (int i = 1; i <= s.M; ++i) s = lp_test::moved_rhs(s, i, b[i - 1] - s.b[i - 1]);
  return s;
}

TEST_F(Parametric, WalkingADirectionMeetsEachBreakPointOfTheLp) {
  int steps = 0, ends_infeasible = 0, ends_unlimited = 0;
  for (unsigned seed = 1; seed <= 80; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const LpData lp_data = lp_test::random_lp(seed);
    PostOptLp e(lp_data);
    if (e.solve() != 1) continue;
    e.FACTOR = 3;  // refactorise during the walk too
    std::mt19937 g(seed);
    std::vector<double> direct(e.MAXM, 0.0);
    for (int i = 0; i < e.M; ++i)
      direct[i] = std::uniform_real_distribution<double>(-1.0, 1.0)(g);
    int factit = 0;
    for (int k = 0; k < 15; ++k) {
      SCOPED_TRACE("step " + std::to_string(k));
      e.start();  // the fresh engines below replace the factors
      const Step s = step(e, direct, true, factit);
      if (s.PBCODE == 2) {
        // No limit: far along the direction the basis stays feasible.
        for (int i = 0; i < e.M; ++i) e.B[i] += 100.0 * direct[i];
        e.start();
        EXPECT_EQ(e.primal_violation(1e-6), "");
        ++ends_unlimited;
        break;
      }
      // At the break point the (new) basis is optimal, and the value is
      // the moved LP's optimum.
      EXPECT_EQ(e.primal_violation(1e-6), "");
      EXPECT_EQ(e.dual_violation(1e-6), "");
      const double z = e.Z;
      PostOptLp fresh(with_rhs(lp_data, e.B));
      ASSERT_EQ(fresh.solve(), 1);
      EXPECT_NEAR(z, fresh.Z, lp_test::rel_tol(fresh.Z, 1e-6));
      if (s.PBCODE == 3) {
        // Beyond the break point the LP is infeasible.
        std::vector<double> beyond = e.B;
        for (int i = 0; i < e.M; ++i) beyond[i] += 1e-3 * direct[i];
        PostOptLp past(with_rhs(lp_data, beyond));
        EXPECT_EQ(past.solve(), 3);
        ++ends_infeasible;
        break;
      }
      ASSERT_EQ(s.PBCODE, 1);
      const int entered = e.BASIS[s.R - 1];
      EXPECT_TRUE(e.STATUS[entered - 1] == s.R ||
                  e.STATUS[entered - 1] == -2);
      EXPECT_NE(e.BASIS[s.R - 1], s.LEAVE);
      ++steps;
    }
  }
  std::printf("steps %d infeasible ends %d unlimited ends %d\n", steps,
              ends_infeasible, ends_unlimited);
  EXPECT_GT(steps, 80);
  EXPECT_GT(ends_infeasible, 10);
}

}  // namespace
