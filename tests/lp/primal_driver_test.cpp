// Primal driver on small hand-made LPs: refactorisation after FACTOR+1
// basis changes (bound flips not counted), refused pivots (the 20th
// reported, the 21st abandons) and the refinement of an inaccurate final
// solution.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lp/postopt_support.h"
#include "primal_support.h"
#include "store_test_support.h"

namespace {

using lp_test::EngineLp;
using lp_test::LpColumn;
using lp_test::LpData;
using Lines = std::vector<std::string>;

class Driver : public lp_test::UnitEightTest {};

int count_of(const Lines& out, const std::string& line) {
  int n = 0;
  for (const std::string& l : out) n += (l == line);
  return n;
}

// A bound flip of x4, then three basis changes.
TEST_F(Driver, RefactorisesAfterFactorPlusOneBasisChangesNotCountingFlips) {
  LpData s;
  s.M = 3;
  s.BNDTYP = 3;
  s.rowtyp = {1, 1, 1};
  s.b = {1.0, 1.0, 1.0};
  s.cols = {LpColumn{1.0, {{1, 1.0}}}, LpColumn{2.0, {{2, 1.0}}},
            LpColumn{3.0, {{3, 1.0}}}, LpColumn{10.0, {{1, 0.5}}, 0.0, 1.0}};
  for (int factor : {2, 3}) {
    EngineLp e(s);
    e.FACTOR = factor;
    e.PRINT = 2;
    ASSERT_EQ(e.solve(), 1);
    EXPECT_EQ(e.ITER2, 4);
    EXPECT_EQ(e.Z, 15.5);
    Lines want{"XFEAS...FEASIBLE SOLUTION FOUND.",
               "PHASE 2... OPTIMAL SOLUTION FOUND."};
    if (factor == 2)
      want.insert(want.begin() + 1,
                  "ITERATION=     4     PHASE 2 OBJECTIVE=  0.15500000D+02");
    EXPECT_EQ(lines(), want) << "FACTOR " << factor;
    ASSERT_TRUE(io::open_unit(8, path_, io::OpenStatus::kReplace));
  }
}

// Under a caller's iteration limit the solve is abandoned in the phase
// that passes it; the limit counts both phases, and ends with its guard.
TEST_F(Driver, IterationLimitAbandonsEitherPhaseWhileItsGuardLives) {
  // Three rows of at least 1 (phase-1 pivots), then a row of at most 5
  // whose column only phase 2 brings in.
  LpData s;
  s.M = 4;
  s.rowtyp = {-1, -1, -1, 1};
  s.b = {1.0, 1.0, 1.0, 5.0};
  s.cols = {LpColumn{-1.0, {{1, 1.0}}}, LpColumn{-2.0, {{2, 1.0}}},
            LpColumn{-3.0, {{3, 1.0}}}, LpColumn{1.0, {{4, 1.0}}}};
  auto abandoned_in = [&](int limit, const std::string& line) {
    EngineLp e(s);
    const lp::PrimalIterationLimit guard(limit);
    EXPECT_EQ(e.solve(), 5) << limit;
    EXPECT_EQ(e.ITER1 + e.ITER2, limit + 1) << limit;
    EXPECT_EQ(count_of(lines(), line), 1) << limit;
    ASSERT_TRUE(io::open_unit(8, path_, io::OpenStatus::kReplace));
  };
  EngineLp free_run(s);
  ASSERT_EQ(free_run.solve(), 1);
  ASSERT_EQ(free_run.ITER1, 3);
  ASSERT_EQ(free_run.ITER2, 1);
  ASSERT_TRUE(io::open_unit(8, path_, io::OpenStatus::kReplace));
  abandoned_in(1, "XFEAS ...PROBLEM ABANDONED: ITERATION LIMIT");
  abandoned_in(free_run.ITER1, "XPHAS2...PROBLEM ABANDONED: ITERATION LIMIT");
  {
    const lp::PrimalIterationLimit guard(free_run.ITER1 + free_run.ITER2);
    EngineLp e(s);
    EXPECT_EQ(e.solve(), 1);
  }
  EngineLp after(s);
  EXPECT_EQ(after.solve(), 1);
}

TEST_F(Driver, PhaseTwoAbandonsAtTheTwentyFirstRefusedPivot) {
  LpData s;
  s.M = 1;
  s.rowtyp = {1};
  s.b = {1.0};
  s.cols = {LpColumn{1.0, {{1, 5.0e-7}}}};
  EngineLp e(s);
  ASSERT_EQ(e.solve(), 5);
  EXPECT_EQ(e.ITER2, 0);
  Lines out = lines();
  const std::string refused =
      "XPHAS2...ITERATION    0     PIVOT REJECTED  Q=    1     "
      "PIVOT=  0.50000000D-06";
  EXPECT_EQ(count_of(out, refused), 20);
  ASSERT_GE(out.size(), 43u);
  EXPECT_EQ(out[41], "XPHAS2...PROBLEM ABANDONED: TOO MANY REJECTED PIVOTS");
  EXPECT_EQ(out.back(), "*****WARNING...THE ABOVE SOLUTION IS NOT OPTIMAL");
}

// y1 - y2 with y1 basic: y2's reduced cost is rounding noise (1.86e-9),
// so the ray is refused, not reported as unbounded.
TEST_F(Driver, PhaseTwoRayWithNoiseReducedCostIsNotUnbounded) {
  LpData s;
  s.M = 1;
  s.rowtyp = {1};
  s.b = {10.0};
  s.cols = {LpColumn{1.1e7, {{1, 0.3}}}, LpColumn{-1.1e7, {{1, -0.3}}}};
  EngineLp e(s);
  ASSERT_EQ(e.solve(), 5);
  Lines out = lines();
  EXPECT_EQ(count_of(out, "XPHAS2...ITERATION    1     NO BLOCKING ROW  Q=  "
                          "  2     DQ=  0.18626451D-08"),
            20);
  s.cols[1].c += 1000.0;  // a real reduced cost: unbounded
  EngineLp f(s);
  EXPECT_EQ(f.solve(), 2);
  EXPECT_EQ(f.UNBDDQ, 2);
}

// The final refinement: basic values and prices off by more than the
// residual tolerances (as when a solve has lost a small component) are
// restored by one step; a solution within the tolerances is left exactly.
TEST_F(Driver, RefinementRestoresValuesAndPricesBeyondTolerance) {
  LpData s;  // max 3x1 + 2x2 + x3: x1 + x2 + x3 = 4, x1 - x2 + 2x3 = 1
  s.M = 2;
  s.rowtyp = {0, 0};
  s.b = {4.0, 1.0};
  s.cols = {LpColumn{3.0, {{1, 1.0}, {2, 1.0}}},
            LpColumn{2.0, {{1, 1.0}, {2, -1.0}}},
            LpColumn{1.0, {{1, 1.0}, {2, 2.0}}}};
  EngineLp e(s);
  ASSERT_EQ(e.solve(), 1);
  const std::vector<double> x = e.XBZERO, u = e.UZERO;
  const double z = e.Z;
  auto refine = [&]() {
    lp::postopt::refine(e.B.data(), e.BASCB.data(), e.BASIS.data(), e.BNDTYP,
                        e.BOUND, e.COLA.data(), e.COLI.data(), e.COLMAX,
                        e.IOERR, e.LENMA, e.LENMI, e.LENMY, e.M, e.MAPA,
                        e.MAPI, e.MAXM, e.MAXN, e.MEMORY, e.N, e.STATUS.data(),
                        e.UZERO.data(), e.XBZERO.data(), e.Z);
  };
  e.XBZERO[1] += 3.0e-6;
  e.UZERO[0] -= 2.0e-6;
  refine();
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(e.XBZERO[i], x[i], 1e-13);
    EXPECT_NEAR(e.UZERO[i], u[i], 1e-13);
  }
  EXPECT_NEAR(e.Z, z, 1e-12);

  e.XBZERO[1] = x[1] + 4.0e-7;  // within EPS2 = 1.0E-6: kept as it is
  refine();
  EXPECT_EQ(e.XBZERO[1], x[1] + 4.0e-7);
}

}  // namespace
