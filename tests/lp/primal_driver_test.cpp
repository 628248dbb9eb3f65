// Primal driver behaviour on small hand-made LPs: phase messages, the
// refactorisation count (bound flips excluded), refused pivots (the 20th
// reported, the 21st abandons) in both phases, abandonment for lack of
// progress with a consistent state, infeasible and unbounded reports; and
// the step update, the iteration log and the solution listing.

#include <gtest/gtest.h>

#include <cmath>
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
using Lines = std::vector<std::string>;

class Driver : public UnitEightTest {};

// max 10 x4 + 3 x3 + 2 x2 + x1, x_j <= 1 (rows 1..3), 0.5 x4 <= row 1,
// x4 <= 1 by its own bound: the first iteration is a bound flip of x4,
// then three basis changes.
LpData flip_then_three_changes() {
  LpData s;
  s.M = 3;
  s.BNDTYP = 3;
  s.rowtyp = {1, 1, 1};
  s.b = {1.0, 1.0, 1.0};
  s.cols = {LpColumn{1.0, {{1, 1.0}}}, LpColumn{2.0, {{2, 1.0}}},
            LpColumn{3.0, {{3, 1.0}}}, LpColumn{10.0, {{1, 0.5}}, 0.0, 1.0}};
  return s;
}

TEST_F(Driver, RefactorisesAfterMoreThanFactorBasisChangesNotCountingFlips) {
  EngineLp e(flip_then_three_changes());
  e.FACTOR = 2;
  e.PRINT = 2;
  ASSERT_EQ(e.solve(), 1);
  EXPECT_EQ(e.ITER1, 0);
  EXPECT_EQ(e.ITER2, 4);
  EXPECT_EQ(e.Z, 15.5);
  EXPECT_EQ(e.STATUS[3], -1);  // x4 at its upper bound
  EXPECT_EQ(lines(),
            (Lines{"XFEAS...FEASIBLE SOLUTION FOUND.",
                   "ITERATION=     4     PHASE 2 OBJECTIVE=  0.15500000D+02",
                   "PHASE 2... OPTIMAL SOLUTION FOUND."}));
}

TEST_F(Driver, ExactlyFactorChangesDoNotRefactorise) {
  EngineLp e(flip_then_three_changes());
  e.FACTOR = 3;
  e.PRINT = 2;
  ASSERT_EQ(e.solve(), 1);
  EXPECT_EQ(lines(), (Lines{"XFEAS...FEASIBLE SOLUTION FOUND.",
                            "PHASE 2... OPTIMAL SOLUTION FOUND."}));
}

TEST_F(Driver, LogsEveryIterationWithAHeadingPerPhase) {
  // Phase 1 from an equality row, then phase 2.
  LpData s;
  s.M = 2;
  s.rowtyp = {0, 1};
  s.b = {1.0, 3.0};
  s.cols = {LpColumn{1.0, {{1, 1.0}, {2, 1.0}}}, LpColumn{2.0, {{2, 1.0}}}};
  EngineLp e(s);
  e.PRINT = 3;
  ASSERT_EQ(e.solve(), 1);
  EXPECT_EQ(e.ITER1, 1);
  EXPECT_EQ(e.ITER2, 1);
  EXPECT_EQ(e.Z, 5.0);
  const std::string head =
      "  ITER INTYP OUTYP ENTER LEAVE              DQ           PIVOT"
      "           THETA               Z";
  EXPECT_EQ(lines(),
            (Lines{"", head,
                   "     1     1     1     1     3  0.10000000D+01  "
                   "0.10000000D+01  0.10000000D+01  0.00000000D+00",
                   "XFEAS...FEASIBLE SOLUTION FOUND.", "", head,
                   "     1     1     1     2     4  0.20000000D+01  "
                   "0.10000000D+01  0.20000000D+01  0.50000000D+01",
                   "PHASE 2... OPTIMAL SOLUTION FOUND."}));
}

// One row at most 1 and a column whose only coefficient is too small to
// pivot on (phase 2); or an equality row (phase 1).
LpData tiny_pivot(int rowtype) {
  LpData s;
  s.M = 1;
  s.rowtyp = {rowtype};
  s.b = {1.0};
  s.cols = {LpColumn{1.0, {{1, 5.0e-7}}}};
  return s;
}

TEST_F(Driver, PhaseTwoAbandonsAtTheTwentyFirstRefusedPivot) {
  EngineLp e(tiny_pivot(1));
  ASSERT_EQ(e.solve(), 5);
  EXPECT_EQ(e.ITER2, 0);
  Lines out = lines();
  const std::string refused =
      "XPHAS2...ITERATION    0     PIVOT REJECTED  Q=    1     "
      "PIVOT=  0.50000000D-06";
  int count = 0;
  for (const std::string& l : out) count += (l == refused);
  EXPECT_EQ(count, 20);
  ASSERT_GE(out.size(), 43u);
  EXPECT_EQ(out[39], refused);  // the 20th, after its empty line
  EXPECT_EQ(out[40], "");
  EXPECT_EQ(out[41], "XPHAS2...PROBLEM ABANDONED: TOO MANY REJECTED PIVOTS");
  EXPECT_EQ(out[42], "\f   XPRINT...CURRENT SOLUTION");
  EXPECT_EQ(out.back(), "*****WARNING...THE ABOVE SOLUTION IS NOT OPTIMAL");
}

TEST_F(Driver, PhaseOneAbandonsAtTheTwentyFirstRefusedPivot) {
  EngineLp e(tiny_pivot(0));
  ASSERT_EQ(e.solve(), 5);
  Lines out = lines();
  int count = 0;
  for (const std::string& l : out)
    count += (l.rfind("XFEAS ...ITERATION    0     PIVOT REJECTED  Q=    1",
                      0) == 0);
  EXPECT_EQ(count, 20);
  ASSERT_EQ(out.size(), 42u);
  EXPECT_EQ(out.back(), "XFEAS ...PROBLEM ABANDONED: TOO MANY REJECTED PIVOTS");
}

TEST_F(Driver, RefusedPivotIsSkippedForTheNextCandidate) {
  // Column 1 would pivot on 5e-7 in row 1; column 2 then enters row 2 and
  // its price makes column 1 unattractive.
  LpData s;
  s.M = 2;
  s.rowtyp = {1, 1};
  s.b = {1.0e-6, 10.0};
  s.cols = {LpColumn{1.0, {{1, 5.0e-7}, {2, 2.0}}},
            LpColumn{0.99, {{2, 1.0}}}};
  EngineLp e(s);
  ASSERT_EQ(e.solve(), 1);
  EXPECT_EQ(e.Z, 10.0 * static_cast<double>(0.99f));
  EXPECT_EQ(e.STATUS[1], 2);
  EXPECT_EQ(e.ITER2, 1);
  EXPECT_EQ(lines(), (Lines{"", "XPHAS2...ITERATION    0     PIVOT REJECTED  "
                                "Q=    1     PIVOT=  0.50000000D-06"}));
}

// Two equality rows (infeasible artificials) and a column whose entries,
// 6e-11 each, sum to a phase 1 reduced cost of 1.2e-10 (above ZLC) while
// every entry of its transformed column is below ZL: a phase 1 step that no
// row blocks.  It is refused like an unsafe pivot, never a stop.
LpData noise_column(bool with_real_column) {
  LpData s;
  s.M = 2;
  s.rowtyp = {0, 0};
  s.b = {1.0, 1.0};
  s.cols = {LpColumn{0.0, {{1, 6.0e-11}, {2, 6.0e-11}}}};
  if (with_real_column) s.cols.push_back(LpColumn{1.0, {{1, 1.0}, {2, 1.0}}});
  return s;
}

TEST_F(Driver, PhaseOneStepWithoutBlockingRowIsRefusedAndTheNextColumnEnters) {
  EngineLp e(noise_column(true));
  e.LOOK = 1;  // column 1 alone in the first window
  ASSERT_EQ(e.solve(), 1);
  EXPECT_EQ(e.ITER1, 1);
  EXPECT_EQ(e.Z, 1.0);
  EXPECT_EQ(e.STATUS[0], 0);
  Lines out = lines();
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1],
            "XFEAS ...ITERATION    0     NO BLOCKING ROW  Q=    1     "
            "DQ=  0.12000000D-09");
}

TEST_F(Driver, PhaseOneAbandonsAtTheTwentyFirstStepWithoutBlockingRow) {
  EngineLp e(noise_column(false));
  ASSERT_EQ(e.solve(), 5);
  Lines out = lines();
  int count = 0;
  for (const std::string& l : out)
    count += (l.rfind("XFEAS ...ITERATION    0     NO BLOCKING ROW  Q=    1",
                      0) == 0);
  EXPECT_EQ(count, 20);
  ASSERT_EQ(out.size(), 42u);
  EXPECT_EQ(out.back(), "XFEAS ...PROBLEM ABANDONED: TOO MANY REJECTED PIVOTS");
}

// Degenerate vertex: every row has right-hand side 0, so no step makes
// progress.
LpData degenerate(int m) {
  LpData s;
  s.M = m;
  for (int i = 1; i <= m; ++i) {
    s.rowtyp.push_back(1);
    s.b.push_back(0.0);
    s.cols.push_back(LpColumn{static_cast<double>(i), {{i, 1.0}}});
  }
  return s;
}

// Three idle iterations (FACTOR 1) reach the no-progress limit; the
// smallest-index fallback then finishes the solve (the abandonment needs
// the fallback to stall too, see anti_stall_test.cpp).
TEST_F(Driver, PhaseTwoWithoutProgressFallsBackWithAConsistentState) {
  EngineLp e(degenerate(4));
  e.FACTOR = 1;
  ASSERT_EQ(e.solve(), 1);
  EXPECT_EQ(e.ITER2, 4);
  for (int i = 0; i < e.M; ++i) {
    const int j = e.BASIS[i];
    EXPECT_EQ(e.STATUS[j - 1], i + 1);
    double cost = 0.0;
    int J = j, COLLEN = 0;
    XGETAJ(cost, e.COLA.data(), e.COLI.data(), COLLEN, e.COLMAX, e.IOERR, J,
           e.LENMA, e.LENMY, e.MAPA, e.MEMORY);
    EXPECT_EQ(e.BASCB[i], cost) << "position " << i + 1;
    // Prices reproduce the basic costs.
    double ua = 0.0;
    for (int k = 0; k < COLLEN; ++k) ua += e.UZERO[e.COLI[k] - 1] * e.COLA[k];
    EXPECT_NEAR(ua, cost, 1e-12);
  }
  EXPECT_TRUE(lines().empty());  // PRINT 0: nothing written
}

TEST_F(Driver, ReportsInfeasibilityWithTheViolatedBasics) {
  LpData s;
  s.M = 2;
  s.rowtyp = {1, -1};
  s.b = {1.0, 2.0};
  s.cols = {LpColumn{1.0, {{1, 1.0}, {2, 1.0}}}};
  EngineLp e(s);
  e.PRINT = 1;
  ASSERT_EQ(e.solve(), 3);
  Lines out = lines();
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], "XFEAS...PROBLEM IS INFEASIBLE.");
  EXPECT_EQ(out[1],
            "VARIABLE    3  LOWER BOUND= 0.000000D+00  VALUE=-0.100000D+01"
            "  UPPER BOUND= 0.100000D+31");
}

TEST_F(Driver, ReportsTheUnboundedColumn) {
  LpData s;
  s.M = 1;
  s.rowtyp = {1};
  s.b = {1.0};
  s.cols = {LpColumn{1.0, {{1, 1.0}}}, LpColumn{1.0, {{1, -1.0}}}};
  EngineLp e(s);
  e.PRINT = 1;
  ASSERT_EQ(e.solve(), 2);
  EXPECT_EQ(e.UNBDDQ, 2);
  Lines out = lines();
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1],
            "PHASE 2...PROBLEM IS UNBOUNDED.     ( VARIABLE      2)");
}

// A free variable split into y1 - y2: with y1 basic, y2's reduced cost is
// 0 in exact arithmetic, and y1 and y2 can grow together without limit.
// With cost 1.1e7 and coefficient 0.3 the price 1.1e7/0.3 leaves y2 a
// reduced cost of 1.86e-9 (above ZLC): a ray that is rounding noise, not
// unboundedness.  Every retry is refused; the 21st abandons.
TEST_F(Driver, PhaseTwoRayWithNoiseReducedCostIsNotUnbounded) {
  LpData s;
  s.M = 1;
  s.rowtyp = {1};
  s.b = {10.0};
  s.cols = {LpColumn{1.1e7, {{1, 0.3}}}, LpColumn{-1.1e7, {{1, -0.3}}}};
  EngineLp e(s);
  ASSERT_EQ(e.solve(), 5);
  EXPECT_EQ(e.ITER2, 1);
  EXPECT_EQ(e.STATUS[0], 1);
  Lines out = lines();
  const std::string refused =
      "XPHAS2...ITERATION    1     NO BLOCKING ROW  Q=    2     "
      "DQ=  0.18626451D-08";
  int count = 0;
  for (const std::string& l : out) count += (l == refused);
  EXPECT_EQ(count, 20);
  ASSERT_GE(out.size(), 42u);
  EXPECT_EQ(out[41], "XPHAS2...PROBLEM ABANDONED: TOO MANY REJECTED PIVOTS");
}

// A true ray is still reported: the reduced cost 1000 of column 2 is far
// above the noise level of its terms (EPS1 times 2.2e7).
TEST_F(Driver, PhaseTwoRayWithARealReducedCostIsUnbounded) {
  LpData s;
  s.M = 1;
  s.rowtyp = {1};
  s.b = {10.0};
  s.cols = {LpColumn{1.1e7, {{1, 0.3}}}, LpColumn{-1.1e7 + 1000.0, {{1, -0.3}}}};
  EngineLp e(s);
  ASSERT_EQ(e.solve(), 2);
  EXPECT_EQ(e.UNBDDQ, 2);
}

TEST_F(Driver, ColumnBeyondNtype2EntersWithAnInfiniteBound) {
  LpData s;
  s.M = 1;
  s.BNDTYP = 2;
  s.BOUND = 2.0;
  s.NTYPE2 = 1;
  s.rowtyp = {1};
  s.b = {10.0};
  s.cols = {LpColumn{1.0, {{1, 1.0}}}, LpColumn{2.0, {{1, 1.0}}}};
  EngineLp e(s);
  ASSERT_EQ(e.solve(), 1);
  // x2 (no bound) takes the whole row; x1 would stop at 2.
  EXPECT_EQ(e.STATUS[1], 1);
  EXPECT_EQ(e.XBZERO[0], 10.0);
  EXPECT_EQ(e.Z, 20.0);
}

// ---- Step update, log line and listing ----

class Step : public UnitEightTest {
 protected:
  void SetUp() override {
    UnitEightTest::SetUp();
    RVNCOM.ZL = 1.0e-10;
  }
  void update() {
    int M = static_cast<int>(XBZERO.size()), MAXM = M, MAXN = 9, N = 9;
    XUPDX(BASIS.data(), BASLB.data(), BASUB.data(), DQ, INTYP, LQ, M, MAXM,
          MAXN, N, OUTTYP, Q, R, STATUS.data(), THETA, UQ, XBZERO.data(),
          YQ.data(), Z);
  }
  std::vector<int> BASIS{7, 8}, STATUS{0, 0, 0, 0, 0, 0, 1, 2, 0};
  std::vector<double> BASLB{0, 0}, BASUB{9, 9}, XBZERO{3, 4}, YQ{1, -2};
  double DQ = 2, LQ = 0, UQ = 1, THETA = 1, Z = 10;
  int INTYP = 1, OUTTYP = 0, Q = 5, R = 0;
};

TEST_F(Step, BoundFlipMovesValuesAndTogglesTheStatusOnly) {
  update();
  EXPECT_EQ(XBZERO, (std::vector<double>{2, 6}));
  EXPECT_EQ(Z, 12.0);
  EXPECT_EQ(STATUS[4], -1);
  EXPECT_EQ(BASIS, (std::vector<int>{7, 8}));
  INTYP = -1;
  DQ = -2;
  update();  // back down: values return
  EXPECT_EQ(XBZERO, (std::vector<double>{3, 4}));
  EXPECT_EQ(Z, 14.0);
  EXPECT_EQ(STATUS[4], 0);
}

TEST_F(Step, DegenerateStepExchangesTheBasisOnly) {
  THETA = 5.0e-11;
  OUTTYP = 1;
  R = 2;
  LQ = 0.5;
  UQ = 4.0;
  update();
  EXPECT_EQ(XBZERO, (std::vector<double>{3, 0.5 + 5.0e-11}));
  EXPECT_EQ(Z, 10.0);
  EXPECT_EQ(BASIS[1], 5);
  EXPECT_EQ(STATUS[4], 2);
  EXPECT_EQ(STATUS[7], 0);
  EXPECT_EQ(BASLB[1], 0.5);
  EXPECT_EQ(BASUB[1], 4.0);
}

TEST_F(Step, LeavingToItsUpperBoundAndValuesCleanedToZero) {
  XBZERO = {1.0 + 1e-11, 4};
  OUTTYP = -1;
  R = 2;
  update();
  EXPECT_EQ(XBZERO[0], 0.0);  // 1e-11 is below ZL
  EXPECT_EQ(XBZERO[1], 1.0);  // LQ + THETA
  EXPECT_EQ(STATUS[7], -1);
}

TEST_F(Step, FreeColumnEntersAtThetaAndArtificialKeepsItsStatus) {
  STATUS[4] = -2;
  STATUS[7] = -3;
  OUTTYP = 1;
  R = 2;
  LQ = -1e30;
  UQ = 1e30;
  THETA = 2.0;
  INTYP = -1;
  DQ = -1;
  update();
  EXPECT_EQ(XBZERO[1], -2.0);
  EXPECT_EQ(STATUS[4], -2);
  EXPECT_EQ(STATUS[7], -3);
  EXPECT_EQ(BASIS[1], 5);
}

TEST_F(Step, LogWritesTheHeadingOnlyBeforeTheFirstIteration) {
  double DQ = -1.5, PIVOT = 0.25, THETA = 3.0, Z = -12.0;
  int IOLOG = 8, ITER = 1, LEAVE = 17, OUTTYP = -1, Q = 123, R = 4, INTYP = -1;
  XLOG(DQ, INTYP, IOLOG, ITER, LEAVE, OUTTYP, PIVOT, Q, R, THETA, Z);
  ITER = 2;
  XLOG(DQ, INTYP, IOLOG, ITER, LEAVE, OUTTYP, PIVOT, Q, R, THETA, Z);
  const std::string line =
      "    -1    -1   123    17 -0.15000000D+01  0.25000000D+00  "
      "0.30000000D+01 -0.12000000D+02";
  EXPECT_EQ(lines(),
            (Lines{"",
                   "  ITER INTYP OUTYP ENTER LEAVE              DQ           "
                   "PIVOT           THETA               Z",
                   "     1" + line, "     2" + line}));
}

TEST_F(Driver, ListingShowsBasicSuperbasicAndBoundedColumns) {
  LpData s;
  s.M = 2;
  s.BNDTYP = 4;
  s.rowtyp = {1, 0};
  s.b = {4.0, 1.0};
  s.cols = {LpColumn{1.0, {{1, 1.0}}, -1.0, 2.0},
            LpColumn{1.0, {{1, 1.0}}, 0.0, 3.0},
            LpColumn{1.0, {{2, 1.0}}, 0.0, 5.0},
            LpColumn{0.0, {{1, 1.0}}, 0.0, 5.0}};
  EngineLp e(s);
  e.store_columns();
  e.slack();
  // Column 1 rests at its lower bound -1, column 2 at its upper bound 3,
  // column 4 is superbasic with value 0.5 kept beyond position M.
  e.STATUS[1] = -1;
  e.STATUS[3] = 3;
  e.XBZERO.resize(3);
  e.XBZERO[2] = 0.5;
  int NTYPE2 = 0;
  XPRINT(e.BASIS.data(), e.BNDTYP, e.BOUND, e.IOERR, e.IOLOG, e.LENMA,
         e.LENMY, e.M, e.MAPA, e.MAXM, e.MAXN, e.MEMORY, e.N, NTYPE2,
         e.STATUS.data(), e.XBZERO.data(), e.Z);
  EXPECT_EQ(lines(),
            (Lines{"\f   XPRINT...CURRENT SOLUTION", "",
                   "     2 LINEAR CONSTRAINTS,          6 VARIABLES", "",
                   "  AN SB FOLLOWING STATUS INDICATES A SUPER-BASIC VARIABLE",
                   "", "  VARIABLE         STATUS               VALUE",
                   "         1              0     -0.10000000D+01",
                   "         2             -1      0.30000000D+01",
                   "         4              3 SB   0.50000000D+00",
                   "         5              1      0.50000000D+01",
                   "         6             -3      0.10000000D+01",
                   "VALUE OF LINEAR OBJECTIVE FUNCTION=-0.10000000D+01"}));
}

TEST_F(Driver, ListingReportsAColumnAtAnInfiniteUpperBound) {
  LpData s;
  s.M = 1;
  s.rowtyp = {1};
  s.b = {1.0};
  s.cols = {LpColumn{1.0, {{1, 1.0}}}};
  EngineLp e(s);
  e.store_columns();
  e.slack();
  e.STATUS[0] = -1;
  int NTYPE2 = 0;
  XPRINT(e.BASIS.data(), e.BNDTYP, e.BOUND, e.IOERR, e.IOLOG, e.LENMA,
         e.LENMY, e.M, e.MAPA, e.MAXM, e.MAXN, e.MEMORY, e.N, NTYPE2,
         e.STATUS.data(), e.XBZERO.data(), e.Z);
  Lines out = lines();
  ASSERT_EQ(out.size(), 10u);
  EXPECT_EQ(out[7], "ERROR: VARIABLE     1 IS AT ITS UPPER BOUND OF +INFINITY.");
  EXPECT_EQ(out[8].substr(0, 20), "         2          ");
}

}  // namespace
