// Dual simplex: after right-hand-side changes it must reach the optimum a
// fresh primal solve finds (or report the LP infeasible when the primal
// does); its outcomes 1, 2, 3, 5 and 6 on small hand-made LPs; the
// leaving-row rule; the two ratio-test routines agree; failures.

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
using lp_test::one_row;
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

TEST_F(DualSimplex, RefactorisesEveryFewPivotsWithTheSameResults) {
  Tally t;
  for (unsigned seed = 401; seed <= 500; ++seed) {
    resolve_after_rhs_change(seed, 1, t);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(t.pivots, 50);
}

TEST_F(DualSimplex, LargerLpsKeepMatchingThePrimal) {
  int compared = 0, dual_pivots = 0, primal_iterations = 0;
  for (unsigned seed = 901; seed <= 930; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const LpData lp_data = lp_test::random_lp(seed, 30, 60);
    PostOptLp e(lp_data);
    if (e.solve() != 1) continue;  // the primal's own tests judge that
    ++compared;
    LpData moved = lp_data;
    for (int i = 1; i <= lp_data.M; i += 3) {
      const double d = (i % 2 ? 0.7 : -0.9);
      moved = lp_test::moved_rhs(moved, i, d);
      e.B[i - 1] += d;
    }
    const int dterm = e.dual();
    PostOptLp fresh(moved);
    if (fresh.solve() == 1) {
      ASSERT_EQ(dterm, 1);
      EXPECT_NEAR(e.Z, fresh.Z, lp_test::rel_tol(fresh.Z));
      dual_pivots += e.ITERD;
      primal_iterations += fresh.ITER1 + fresh.ITER2;
    } else if (dterm == 1) {
      // The fresh primal gave up; the dual's answer must then stand on its
      // own: primal and dual feasible.
      EXPECT_EQ(e.primal_violation(), "");
      EXPECT_EQ(e.dual_violation(1e-6), "");
    } else {
      EXPECT_EQ(dterm, 2);
    }
  }
  std::printf("dual re-solves: %d pivots; fresh primal solves: %d "
              "iterations\n", dual_pivots, primal_iterations);
  EXPECT_GT(compared, 20);
  EXPECT_LT(dual_pivots, primal_iterations);
}

TEST_F(DualSimplex, FeasibleStartEndsAtOnce) {
  PostOptLp e(lp_test::random_lp(3));
  ASSERT_EQ(e.solve(), 1);
  const double z = e.Z;
  e.PRINT = 1;
  EXPECT_EQ(e.dual(), 1);
  EXPECT_EQ(e.ITERD, 0);
  EXPECT_NEAR(e.Z, z, lp_test::rel_tol(z, 1e-9));
  EXPECT_EQ(lines(), (Lines{"", "DUAL PHASE2...OPTIMAL SOLUTION FOUND"}));
}

TEST_F(DualSimplex, InfeasibleRowMakesTheDualUnbounded) {
  // x1 + x2 <= b with b moved to -1: no column can raise the slack.
  PostOptLp e(one_row(2.0, {{-1.0, {{1, 1.0}}}, {-2.0, {{1, 1.0}}}}));
  ASSERT_EQ(e.solve(), 1);
  e.B[0] = -1.0;
  e.PRINT = 1;
  EXPECT_EQ(e.dual(), 2);
  EXPECT_EQ(e.DUNBR, 1);
  EXPECT_EQ(lines(),
            (Lines{"", "DUAL PHASE2...THE DUAL PROBLEM IS UNBOUNDED"
                       "               ROW    1"}));
}

TEST_F(DualSimplex, NoDualFeasibleStart) {
  // A profitable column without an upper bound.
  {
    PostOptLp e(one_row(1.0, {{-1.0, {{1, 1.0}}}, {1.0, {{1, 1.0}}}}));
    e.store_columns();
    e.slack();
    EXPECT_EQ(e.dual(), 5);
    EXPECT_EQ(e.DFEASQ, 2);
    EXPECT_EQ(e.ITERD, 0);
  }
  // The same column with an upper bound is put there instead.
  {
    LpData s = one_row(1.0, {{-1.0, {{1, 1.0}}}, {1.0, {{1, 1.0}}, 0, 0.5}},
                       3);
    PostOptLp e(s);
    e.store_columns();
    e.slack();
    EXPECT_EQ(e.dual(), 1);
    EXPECT_EQ(e.STATUS[1], -1);
    EXPECT_DOUBLE_EQ(e.Z, 0.5);
  }
  // A nonbasic free column.
  {
    PostOptLp e(one_row(1.0, {{-1.0, {{1, 1.0}}}, {0.0, {{1, 1.0}}}}));
    e.store_columns();
    e.slack();
    e.STATUS[1] = -2;
    EXPECT_EQ(e.dual(), 5);
    EXPECT_EQ(e.DFEASQ, 2);
  }
}

TEST_F(DualSimplex, LostDualFeasibilityNamesTheColumnAndItsOwnReducedCost) {
  // -x1 + x2 <= -1 from the slack basis: the slack is below its lower
  // bound.  x1 could enter, but x2 is a nonbasic free column, which is
  // never dual feasible: the message shows x2's reduced cost, 2.5.
  PostOptLp e(one_row(-1.0, {{-1.0, {{1, -1.0}}}, {2.5, {{1, 1.0}}}}));
  e.store_columns();
  e.slack();
  e.STATUS[1] = -2;
  e.PRINT = 1;
  int FACTIT = 0, ITER = 0;
  XDPH2(e.B.data(), e.BASCB.data(), e.BASIS.data(), e.BASLB.data(),
        e.BASUB.data(), e.BETAR.data(), e.BNDTYP, e.BOUND, e.COLA.data(),
        e.COLI.data(), e.COLMAX, e.DFEASQ, e.DTERM, e.DUNBR, FACTIT, e.FACTOR,
        e.IOERR, e.IOLOG, ITER, e.LENMA, e.LENMI, e.LENMY, e.M, e.MAPA,
        e.MAPI, e.MAXM, e.MAXN, e.MEMORY, e.N, e.NTYPE2, e.PRINT,
        e.STATUS.data(), e.UZERO.data(), e.XBZERO.data(), e.YQ.data(), e.Z);
  EXPECT_EQ(e.DTERM, 3);
  EXPECT_EQ(e.DFEASQ, 2);
  EXPECT_EQ(lines(),
            (Lines{"FDCHQ      J=    2     STATUS= -2     DJ=  0.25000000D+01",
                   "", "DUAL PHASE2...DUAL FEASIBILITY LOST     COLUMN    2"}));
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

TEST_F(DualSimplex, RejectedPivotsInEveryInfeasibleRowAreNotCalledOptimal) {
  PostOptLp e(tiny_pivots(2));
  e.store_columns();
  e.slack();
  EXPECT_EQ(e.dual(), 6);
  EXPECT_EQ(e.DUNBR, 2);
  EXPECT_EQ(e.ITERD, 0);
  const Lines expected = {
      "", "XDPH2...ITERATION    0     PIVOT REJECTEDROW=    1     PIVOT= "
          "-0.10000000D-06",
      "", "XDPH2...ITERATION    0     PIVOT REJECTEDROW=    2     PIVOT= "
          "-0.10000000D-06"};
  EXPECT_EQ(lines(), expected);
}

TEST_F(DualSimplex, ElevenRejectedPivotsInARowStopTheProgram) {
  PostOptLp e(tiny_pivots(11));
  e.store_columns();
  e.slack();
  const Lines got = stop_lines([&] { e.dual(); });
  ASSERT_EQ(got.size(), 22u);
  EXPECT_EQ(got[19],
            "XDPH2...ITERATION    0     PIVOT REJECTEDROW=   10     PIVOT= "
            "-0.10000000D-06");
  EXPECT_EQ(got[21], "XDPH2...PROBLEM ABANDONED...TOO MANY REJECTED PIVOTS");
}

TEST_F(DualSimplex, BadSizesStop) {
  PostOptLp e(one_row(1.0, {{-1.0, {{1, 1.0}}}}));
  e.store_columns();
  e.slack();
  e.M = 0;
  EXPECT_EQ(stop_lines([&] { e.dual(); }),
            (Lines{"XDUAL          0", "INVALID NUMBER OF CONSTRAINTS."}));
  e.M = 1;
  e.N = 0;
  EXPECT_EQ(stop_lines([&] { e.dual(); }),
            (Lines{"XDUAL          0", "INVALID NUMBER OF VARIABLES."}));
}

// ---- Leaving row ----------------------------------------------------------

TEST(DualLeavingRow, LargestViolationWithUpperWinningTies) {
  int IOERR = 8, M = 4, MAXM = 4, NREJ = 0, OUTTYP = 9, R = 9;
  int REJECT[10] = {};
  double GR = -1.0;
  lp::Workspace ws(400);
  {
    int iprint = 0, bnd = 1, lenma, lenmi, lenmy = 400, a = 8, m = 4, n = 4;
    int mapa[20], mapi[20];
    XMAPS(iprint, bnd, IOERR, lenma, lenmi, lenmy, mapa, mapi, a, m, n,
          ws.data());
  }
  //                 row: 1     2     3     4
  double BASLB[] = {0.0, 0.0, 0.0, 0.0};
  double BASUB[] = {1.0, 1.0, 1.0, 1.0};
  double XBZERO[] = {-2.0, 3.0, -2.0, 0.5};  // 2 below, 2 above, 2 below
  XDCHR(BASLB, BASUB, GR, IOERR, M, MAXM, NREJ, OUTTYP, R, REJECT, XBZERO);
  EXPECT_EQ(R, 2);
  EXPECT_EQ(OUTTYP, -1);
  EXPECT_EQ(GR, 2.0);
  // Rejected rows are skipped; among equal lower violations the first row.
  NREJ = 1;
  REJECT[0] = 2;
  XDCHR(BASLB, BASUB, GR, IOERR, M, MAXM, NREJ, OUTTYP, R, REJECT, XBZERO);
  EXPECT_EQ(R, 1);
  EXPECT_EQ(OUTTYP, 1);
  // Violations below ZL do not count.
  double tiny[] = {-5e-11, 1.0 + 5e-11, 0.0, 1.0};
  NREJ = 0;
  XDCHR(BASLB, BASUB, GR, IOERR, M, MAXM, NREJ, OUTTYP, R, REJECT, tiny);
  EXPECT_EQ(R, 0);
  EXPECT_EQ(OUTTYP, 0);
}

// ---- The two ratio tests agree -------------------------------------------

TEST_F(DualSimplex, PackedAndFetchingRatioTestsAgree) {
  int compared = 0;
  for (unsigned seed = 1; seed <= 80; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    PostOptLp e(lp_test::random_lp(seed), /*extra_rows=*/2);
    ASSERT_EQ(e.solve(), 1);
    if (seed % 2 == 0) {
      // Column 1 rewritten shorter in place: its slice keeps filler pairs
      // in row MAXM, which both tests must treat as zeros.
      double CJ = 0.0;
      int COLLEN = 0, J = 1;
      XGETAJ(CJ, e.COLA.data(), e.COLI.data(), COLLEN, e.COLMAX, e.IOERR, J,
             e.LENMA, e.LENMY, e.MAPA, e.MEMORY);
      if (COLLEN > 1) {
        COLLEN -= 1;
        XREPAJ(CJ, e.COLA.data(), e.COLI.data(), COLLEN, e.COLMAX, e.IOERR,
               J, e.LENMA, e.LENMY, e.MAPA, e.MEMORY, e.N, e.MAXA, e.MAXN,
               e.MAXM);
      }
    }
    float* PROFIT = lp::f32_slice(e.MEMORY, e.MAPA[2]);
    float* ACOEFF = lp::f32_slice(e.MEMORY, e.MAPA[3]);
    int* COLPNT = lp::i32_slice(e.MEMORY, e.MAPA[4]);
    int* ROWNOS = lp::i32_slice(e.MEMORY, e.MAPA[5]);
    int& MAXA = *lp::i32_slice(e.MEMORY, e.MAPA[6]);
    for (int r = 1; r <= e.M; ++r) {
      std::fill(e.BETAR.begin(), e.BETAR.end(), 0.0);
      e.BETAR[r - 1] = 1.0;
      XBTRAN(e.IOERR, e.LENMI, e.LENMY, e.M, e.MAPI, e.MAXM, e.MEMORY,
             e.BETAR.data());
      for (int outtyp : {1, -1}) {
        bool df1 = false, du1 = false, df2 = false, du2 = false;
        int in1 = 0, q1 = 0, in2 = 0, q2 = 0, ot = outtyp;
        double l1 = 0, p1 = 0, l2 = 0, p2 = 0;
        FDCHQ(e.BETAR.data(), e.COLA.data(), e.COLI.data(), e.COLMAX, df1,
              in1, e.IOERR, l1, e.LENMA, e.LENMY, e.MAPA, e.MAXM, e.MAXN,
              e.MEMORY, e.N, ot, p1, q1, e.STATUS.data(), du1, e.UZERO.data(),
              PROFIT, ACOEFF, COLPNT, ROWNOS, MAXA);
        XDCHQ(e.BETAR.data(), e.COLA.data(), e.COLI.data(), e.COLMAX, df2,
              in2, e.IOERR, l2, e.LENMA, e.LENMY, e.MAPA, e.MAXM, e.MAXN,
              e.MEMORY, e.N, ot, p2, q2, e.STATUS.data(), du2,
              e.UZERO.data());
        EXPECT_EQ(df1, df2);
        EXPECT_EQ(du1, du2);
        EXPECT_EQ(q1, q2);
        EXPECT_EQ(in1, in2);
        EXPECT_DOUBLE_EQ(p1, p2);
        EXPECT_DOUBLE_EQ(l1, l2);
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 300);
}

TEST_F(DualSimplex, RatioTestsRefuseABadColumnCount) {
  PostOptLp e(one_row(1.0, {{-1.0, {{1, 1.0}}}}));
  e.store_columns();
  bool df = true, du = false;
  int in = 0, q = 0, ot = 1, n = 0;
  double l = 0, p = 0;
  EXPECT_EQ(stop_lines([&] {
              XDCHQ(e.BETAR.data(), e.COLA.data(), e.COLI.data(), e.COLMAX,
                    df, in, e.IOERR, l, e.LENMA, e.LENMY, e.MAPA, e.MAXM,
                    e.MAXN, e.MEMORY, n, ot, p, q, e.STATUS.data(), du,
                    e.UZERO.data());
            }),
            (Lines{"XDCHQ          0", "INVALID NUMBER OF VARIABLES."}));
}

}  // namespace
