// Parametric right-hand-side steps walked along random directions, each
// break point checked against a fresh solve of the moved LP; the report-only
// call; degenerate and extreme-ray steps; installing a basis; pricing
// through the store interface against the packed-store pricing.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "postopt_test_support.h"
#include "store_test_support.h"

namespace {

using lp_test::LpData;
using lp_test::PostOptLp;
using Lines = std::vector<std::string>;

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
  for (int i = 0; i < s.M; ++i) {
    const double d = b[i] - s.b[i];
    s.b[i] = b[i];
    if (s.rowtyp[i] == 2) s.blow[i] += d;
  }
  return s;
}

TEST_F(Parametric, ReportOnlyChangesNothing) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    PostOptLp e(lp_test::random_lp(seed));
    if (e.solve() != 1) continue;
    std::vector<double> direct(e.MAXM, 0.0);
    direct[0] = 1.0;
    const std::vector<double> b0 = e.B, x0 = e.XBZERO, u0 = e.UZERO;
    const std::vector<int> basis0 = e.BASIS, status0 = e.STATUS;
    const double z0 = e.Z;
    int factit = 0;
    const Step s = step(e, direct, false, factit);
    EXPECT_EQ(e.B, b0);
    EXPECT_EQ(e.BASIS, basis0);
    EXPECT_EQ(e.STATUS, status0);
    EXPECT_EQ(e.XBZERO, x0);
    EXPECT_EQ(e.UZERO, u0);
    EXPECT_EQ(e.Z, z0);
    EXPECT_EQ(factit, 0);
    if (s.PBCODE == 1) {
      EXPECT_EQ(s.LEAVE, e.BASIS[s.R - 1]);
      EXPECT_GE(s.ALPHA, 0.0);
    } else {
      EXPECT_EQ(s.PBCODE, 2);
    }
  }
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

// max x1 subject to x1 + x2 <= 1, x1 <= 1: x1 = 1 and one slack basic at
// zero (degenerate).
LpData degenerate_lp() {
  LpData s;
  s.M = 2;
  s.BNDTYP = 1;
  s.rowtyp = {1, 1};
  s.b = {1.0, 1.0};
  s.blow = {0.0, 0.0};
  s.cols = {{1.0, {{1, 1.0}, {2, 1.0}}}, {0.0, {{1, 1.0}}}};
  return s;
}

TEST_F(Parametric, ZeroStepChangesTheBasisWithoutMovingValues) {
  PostOptLp e(degenerate_lp());
  ASSERT_EQ(e.solve(), 1);
  int zero_pos = -1;
  for (int i = 0; i < e.M; ++i)
    if (e.BASIS[i] != 1 && e.XBZERO[i] == 0.0) zero_pos = i;
  ASSERT_GE(zero_pos, 0) << "a slack basic at zero";
  ASSERT_GE(e.BASIS[zero_pos], 3);
  // Lowering that slack's row pushes the slack below zero at once.
  const int row = e.BASIS[zero_pos] - 2;  // slacks are columns 3, 4
  std::vector<double> direct(e.MAXM, 0.0);
  direct[row - 1] = -1.0;
  const std::vector<double> b0 = e.B;
  const double z0 = e.Z;
  int factit = 0;
  e.PRINT = 2;
  const Step s = step(e, direct, true, factit);
  EXPECT_EQ(s.PBCODE, 1);
  EXPECT_EQ(s.ALPHA, 0.0);
  EXPECT_EQ(e.B, b0);
  EXPECT_EQ(e.Z, z0);
  EXPECT_NE(e.BASIS[s.R - 1], s.LEAVE);
  EXPECT_EQ(factit, 1);
  EXPECT_EQ(e.primal_violation(), "");
  // The pivot is logged as iteration 0 with a zero step.
  const Lines got = lines();
  ASSERT_EQ(got.size(), 1u);
  std::istringstream fields(got[0]);
  int iter = -1, intyp = 0;
  fields >> iter >> intyp;
  EXPECT_EQ(iter, 0);
  EXPECT_EQ(intyp, 1);
}

TEST_F(Parametric, NoEnteringColumnIsAnExtremeRay) {
  // max -x1, x1 <= 1: lowering the row below 0 makes the LP infeasible.
  PostOptLp e(lp_test::one_row(1.0, {{-1.0, {{1, 1.0}}}}));
  ASSERT_EQ(e.solve(), 1);
  std::vector<double> direct(e.MAXM, 0.0);
  direct[0] = -1.0;
  int factit = 0;
  const Step st = step(e, direct, true, factit);
  EXPECT_EQ(st.PBCODE, 3);
  EXPECT_EQ(st.ALPHA, 1.0);
  EXPECT_EQ(e.B[0], 0.0);
  EXPECT_EQ(lines(),
            (Lines{"", "XPARAB...DUAL EXTREME RAY",
                   "ALPHA=  0.10000000E+01           PIVOT=  "
                   "0.00000000E+00"}));
}

TEST_F(Parametric, FreeBasicVariablesNeverBlock) {
  // Raising the second row only drives the free slack down, without
  // limit.
  PostOptLp e(lp_test::free_row_lp());
  ASSERT_EQ(e.solve(), 1);
  std::vector<double> direct(e.MAXM, 0.0);
  direct[1] = 1.0;
  int factit = 0;
  const Step st = step(e, direct, true, factit);
  EXPECT_EQ(st.PBCODE, 2);
  EXPECT_EQ(e.B[1], 1.0);
}

TEST_F(Parametric, InfeasibleStartStops) {
  PostOptLp e(lp_test::one_row(-1.0, {{-1.0, {{1, 1.0}}}}));
  e.store_columns();
  e.slack();
  std::vector<double> direct(e.MAXM, 0.0);
  direct[0] = -1.0;
  int factit = 0;
  EXPECT_EQ(stop_lines([&] { step(e, direct, true, factit); }),
            (Lines{"", "XPARAB...CURRENT SOLUTION NOT PRIMAL FEASIBLE",
                   "VARIABLE     2 IS OUT OF BOUNDS:  0.00000000E+00 "
                   "-0.10000000E+01  0.10000000E+31"}));
}

// ---- XSTART ----------------------------------------------------------------

TEST_F(Parametric, InstalledOptimalBasisReproducesTheSolution) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const LpData lp_data = lp_test::random_lp(seed);
    PostOptLp e(lp_data);
    if (e.solve() != 1) continue;
    PostOptLp f(lp_data);
    f.store_columns();
    f.slack();
    f.BASIS = e.BASIS;
    f.STATUS = e.STATUS;
    f.start();
    EXPECT_EQ(f.SCODE, 1);
    for (int i = 0; i < e.M; ++i) {
      EXPECT_NEAR(f.XBZERO[i], e.XBZERO[i], lp_test::rel_tol(e.XBZERO[i]));
      EXPECT_NEAR(f.UZERO[i], e.UZERO[i], lp_test::rel_tol(e.UZERO[i]));
      EXPECT_EQ(f.BASCB[i], e.BASCB[i]);
    }
    EXPECT_NEAR(f.Z, e.Z, lp_test::rel_tol(e.Z));
    // A primal solve from it needs no iteration.
    EXPECT_EQ(f.primal(), 1);
    EXPECT_EQ(f.ITER1 + f.ITER2, 0);
  }
}

TEST_F(Parametric, InstalledBasisTakesFreeAndArtificialBounds) {
  LpData s;
  s.M = 2;
  s.BNDTYP = 3;
  s.rowtyp = {-2, 0};  // free row, equality row
  s.b = {5.0, 0.0};
  s.blow = {0.0, 0.0};
  s.cols = {{1.0, {{1, 1.0}, {2, 1.0}}, 0.0, 2.0}};
  PostOptLp e(s);
  e.store_columns();
  e.slack();
  e.BASLB.assign(e.MAXM, 7.0);
  e.BASUB.assign(e.MAXM, 7.0);
  e.start();
  EXPECT_EQ(e.BASLB[0], -1.0e30);
  EXPECT_EQ(e.BASUB[0], 1.0e30);
  EXPECT_EQ(e.BASLB[1], 0.0);
  EXPECT_EQ(e.BASUB[1], 0.0);
  // A structural column in the basis takes its stored bounds.
  e.BASIS[1] = 1;
  e.STATUS[0] = 2;
  e.STATUS[2] = -3;
  e.start();
  EXPECT_EQ(e.BASLB[1], 0.0);
  EXPECT_EQ(e.BASUB[1], 2.0);
  EXPECT_EQ(e.BASCB[1], 1.0);
}

TEST_F(Parametric, InstallingABadBasisStops) {
  PostOptLp e(degenerate_lp());
  e.store_columns();
  e.slack();
  e.BASIS[1] = 9;
  EXPECT_EQ(stop_lines([&] { e.start(); }),
            (Lines{"XSTART         9", "INVALID NUMBER OF VARIABLES."}));
  e.M = 0;
  EXPECT_EQ(stop_lines([&] { e.start(); }),
            (Lines{"XSTART         0", "INVALID NUMBER OF CONSTRAINTS."}));
}

// ---- XCAND -----------------------------------------------------------------

TEST_F(Parametric, FetchingPricingAgreesWithPackedPricing) {
  int calls = 0, found = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    PostOptLp e(lp_test::random_lp(seed));
    e.store_columns();
    e.slack();
    std::mt19937 g(seed);
    float* PROFIT = lp::f32_slice(e.MEMORY, e.MAPA[2]);
    float* ACOEFF = lp::f32_slice(e.MEMORY, e.MAPA[3]);
    int* COLPNT = lp::i32_slice(e.MEMORY, e.MAPA[4]);
    int* ROWNOS = lp::i32_slice(e.MEMORY, e.MAPA[5]);
    int& MAXA = *lp::i32_slice(e.MEMORY, e.MAPA[6]);
    for (int trial = 0; trial < 12; ++trial) {
      for (int i = 0; i < e.M; ++i)
        e.UZERO[i] = std::uniform_int_distribution<int>(-2, 2)(g) * 0.5;
      for (int j = 0; j < e.N; ++j)
        if (e.STATUS[j] <= 0 && e.STATUS[j] >= -1)
          e.STATUS[j] = std::uniform_int_distribution<int>(-1, 0)(g);
      int START1 = std::uniform_int_distribution<int>(1, e.N)(g);
      int LOOK = std::uniform_int_distribution<int>(1, e.N + 3)(g);
      int PICK = std::uniform_int_distribution<int>(1, 10)(g);
      int PHASE = 1 + trial % 2;
      std::vector<int> cand1(PICK), cand2(PICK), candl1(PICK), candl2(PICK);
      std::vector<double> cj1(PICK), cj2(PICK);
      std::vector<double> ca1(e.COLMAX * PICK), ca2(e.COLMAX * PICK);
      std::vector<int> ci1(e.COLMAX * PICK), ci2(e.COLMAX * PICK);
      int pp1 = -1, pp2 = -2, s21 = 0, s22 = 0, s1 = START1, s2 = START1;
      FCAND(e.BASIS.data(), cand1.data(), ca1.data(), cj1.data(), ci1.data(),
            candl1.data(), e.COLA.data(), e.COLI.data(), e.COLMAX, e.IOERR,
            e.LENMA, e.LENMY, LOOK, e.M, e.MAPA, e.MAXM, e.MAXN, e.MEMORY, e.N,
            PICK, PHASE, pp1, s1, s21, e.STATUS.data(), e.UZERO.data(), PROFIT,
            ACOEFF, COLPNT, ROWNOS, MAXA);
      XCAND(e.BASIS.data(), cand2.data(), ca2.data(), cj2.data(), ci2.data(),
            candl2.data(), e.COLA.data(), e.COLI.data(), e.COLMAX, e.IOERR,
            e.LENMA, e.LENMY, LOOK, e.M, e.MAPA, e.MAXM, e.MAXN, e.MEMORY, e.N,
            PICK, PHASE, pp2, s2, s22, e.STATUS.data(), e.UZERO.data());
      ASSERT_EQ(pp1, pp2);
      EXPECT_EQ(s21, s22);
      for (int k = 0; k < pp1; ++k) {
        EXPECT_EQ(cand1[k], cand2[k]);
        EXPECT_EQ(cj1[k], cj2[k]);
        ASSERT_EQ(candl1[k], candl2[k]);
        for (int l = 0; l < candl1[k]; ++l) {
          EXPECT_EQ(ca1[k * e.COLMAX + l], ca2[k * e.COLMAX + l]);
          EXPECT_EQ(ci1[k * e.COLMAX + l], ci2[k * e.COLMAX + l]);
        }
      }
      ++calls;
      found += pp1;
    }
  }
  EXPECT_EQ(calls, 480);
  EXPECT_GT(found, 500);
}

}  // namespace
