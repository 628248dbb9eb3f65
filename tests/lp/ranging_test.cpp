// Ranging, checked against the LP itself: the optimal basis is installed
// again (XSTART) with the datum moved halfway to the reported break point
// (the basis must stay primal, resp. dual, feasible and the objective move
// at the reported rate) and beyond it (the leaving variable, resp. the
// entering column's reduced cost, must have crossed its bound exactly at
// the break point).  With LONG, the dual simplex run just beyond a
// right-hand-side break point must bring in the reported column.
// XRANGD must agree with XRANGC on every basic column.  Failures.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "postopt_test_support.h"
#include "store_test_support.h"

namespace {

using lp_test::LpData;
using lp_test::PostOptLp;
using Lines = std::vector<std::string>;

struct RhsRange {
  double BREAK = 0.0, RATE = 0.0;
  int ENTER = 0, INTYP = 0, LEAVE = 0, OUTTYP = 0, PBCODE = 0;
};

RhsRange range_rhs(PostOptLp& e, int irow, bool up, bool lng = true) {
  RhsRange r;
  int IROW = irow;
  bool UP = up, LONG = lng;
  XRANGB(e.B.data(), e.BASIS.data(), e.BASLB.data(), e.BASUB.data(),
         e.BETAR.data(), r.BREAK, e.COLA.data(), e.COLI.data(), e.COLMAX,
         r.ENTER, r.INTYP, e.IOERR, IROW, r.LEAVE, e.LENMA, e.LENMI, e.LENMY,
         LONG, e.M, e.MAPA, e.MAPI, e.MAXM, e.MAXN, e.MEMORY, e.N, r.OUTTYP,
         r.PBCODE, r.RATE, e.STATUS.data(), UP, e.UZERO.data(),
         e.XBZERO.data(), e.YQ.data());
  return r;
}

struct CostRange {
  double BREAK = 0.0, RATE = 0.0;
  int ENTER = 0, INTYP = 0, LEAVE = 0, OUTTYP = 0, PCCODE = 0;
};

CostRange range_cost(PostOptLp& e, int jcol, bool up, bool lng = true) {
  CostRange r;
  int JCOL = jcol;
  bool UP = up, LONG = lng;
  XRANGC(e.BASIS.data(), e.BASLB.data(), e.BASUB.data(), e.BETAR.data(),
         e.BNDTYP, e.BOUND, r.BREAK, e.COLA.data(), e.COLI.data(), e.COLMAX,
         r.ENTER, r.INTYP, e.IOERR, JCOL, r.LEAVE, e.LENMA, e.LENMI, e.LENMY,
         LONG, e.M, e.MAPA, e.MAPI, e.MAXM, e.MAXN, e.MEMORY, e.N, e.NTYPE2,
         r.OUTTYP, r.PCCODE, r.RATE, e.STATUS.data(), UP, e.UZERO.data(),
         e.XBZERO.data(), e.YQ.data());
  return r;
}

// Rewrites the cost of stored column J in place.
void set_cost(PostOptLp& e, int j, double cost) {
  double CJ = 0.0;
  int COLLEN = 0, J = j;
  XGETAJ(CJ, e.COLA.data(), e.COLI.data(), COLLEN, e.COLMAX, e.IOERR, J,
         e.LENMA, e.LENMY, e.MAPA, e.MEMORY);
  CJ = cost;
  XREPAJ(CJ, e.COLA.data(), e.COLI.data(), COLLEN, e.COLMAX, e.IOERR, J,
         e.LENMA, e.LENMY, e.MAPA, e.MEMORY, e.N, e.MAXA, e.MAXN, e.MAXM);
}

double stored_cost(PostOptLp& e, int j) {
  double CJ = 0.0;
  int COLLEN = 0, J = j;
  XGETAJ(CJ, e.COLA.data(), e.COLI.data(), COLLEN, e.COLMAX, e.IOERR, J,
         e.LENMA, e.LENMY, e.MAPA, e.MEMORY);
  return CJ;
}

int position_of(const PostOptLp& e, int column) {
  for (int i = 0; i < e.M; ++i)
    if (e.BASIS[i] == column) return i;
  return -1;
}

class Ranging : public lp_test::UnitEightTest {};

// ---- Right-hand sides ------------------------------------------------------

void check_rhs_ranges(unsigned seed, int& finite, int& unlimited,
                      int& entered) {
  SCOPED_TRACE("seed " + std::to_string(seed));
  const LpData lp_data = lp_test::random_lp(seed);
  PostOptLp e(lp_data);
  if (e.solve() != 1) return;
  const double z0 = e.Z;
  for (int irow = 1; irow <= e.M; ++irow) {
    for (bool up : {true, false}) {
      SCOPED_TRACE("row " + std::to_string(irow) + (up ? " up" : " down"));
      // Only one factorisation exists at a time (the LU record is process
      // wide): the other engines below replace it, so refactorise first.
      e.start();
      const RhsRange r = range_rhs(e, irow, up);
      const double sgn = up ? 1.0 : -1.0;
      EXPECT_EQ(r.RATE, sgn * e.UZERO[irow - 1]);
      const double b0 = e.B[irow - 1];
      PostOptLp t(lp_data);  // the same LP, to be moved
      ASSERT_EQ(t.solve(), 1);
      ASSERT_EQ(t.BASIS, e.BASIS);
      if (r.PBCODE == 2) {
        EXPECT_EQ(r.BREAK, sgn * 1.0e30);
        t.B[irow - 1] = b0 + sgn * 10.0;
        t.start();
        EXPECT_EQ(t.primal_violation(), "");
        EXPECT_NEAR(t.Z, z0 + r.RATE * 10.0, lp_test::rel_tol(z0, 1e-6));
        ++unlimited;
        continue;
      }
      ASSERT_TRUE(r.PBCODE == 1 || r.PBCODE == 3) << r.PBCODE;
      const double alpha = sgn * (r.BREAK - b0);
      ASSERT_GE(alpha, 0.0);
      const int pos = position_of(e, r.LEAVE);
      ASSERT_GE(pos, 0);
      // Halfway: feasible, objective at the rate.
      const double t1 = alpha / 2.0, t2 = 2.0 * alpha + 1.0;
      t.B[irow - 1] = b0 + sgn * t1;
      t.start();
      EXPECT_EQ(t.primal_violation(1e-6), "");
      EXPECT_NEAR(t.Z, z0 + r.RATE * t1, lp_test::rel_tol(z0, 1e-6));
      const double x1 = t.XBZERO[pos];
      // Beyond: the leaving variable crosses its bound at the break point.
      t.B[irow - 1] = b0 + sgn * t2;
      t.start();
      const double slope = (t.XBZERO[pos] - x1) / (t2 - t1);
      const double bound = r.OUTTYP == 1 ? e.BASLB[pos] : e.BASUB[pos];
      EXPECT_TRUE(r.OUTTYP == 1 ? slope < 0.0 : slope > 0.0) << slope;
      EXPECT_NEAR(x1 + slope * (alpha - t1), bound, 1e-6 * (1.0 + alpha));
      // LONG: just beyond, the dual simplex brings in ENTER, or finds the
      // LP infeasible when nothing can enter.
      const double h = 1e-3 * (1.0 + alpha);
      PostOptLp d(lp_data);
      ASSERT_EQ(d.solve(), 1);
      d.B[irow - 1] = b0 + sgn * (alpha + h);
      const int dterm = d.dual();
      if (r.PBCODE == 3) {
        EXPECT_EQ(dterm, 2);
      } else if (dterm == 1 && d.ITERD == 1) {
        EXPECT_GT(d.STATUS[r.ENTER - 1], 0) << "column " << r.ENTER;
        ++entered;
      }
      ++finite;
    }
  }
}

TEST_F(Ranging, RightHandSideBreakPointsHoldOnTheLp) {
  int finite = 0, unlimited = 0, entered = 0;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    try {
      check_rhs_ranges(seed, finite, unlimited, entered);
    } catch (const lp_test::Stopped&) {
      for (const std::string& l : lines()) std::printf("%s\n", l.c_str());
      FAIL() << "stopped at seed " << seed;
    }
    if (HasFatalFailure()) return;
  }
  std::printf("finite %d unlimited %d entered %d\n", finite, unlimited,
              entered);
  EXPECT_GT(finite, 100);
  EXPECT_GT(unlimited, 20);
  EXPECT_GT(entered, 50);
}

// ---- Costs -----------------------------------------------------------------

void check_cost_ranges(unsigned seed, int& finite, int& unlimited) {
  SCOPED_TRACE("seed " + std::to_string(seed));
  const LpData lp_data = lp_test::random_lp(seed);
  PostOptLp e(lp_data);
  if (e.solve() != 1) return;
  const double z0 = e.Z;
  const int ncols = static_cast<int>(lp_data.cols.size());
  for (int j = 1; j <= ncols; ++j) {
    const int s = e.STATUS[j - 1];
    if (s < -1 || s > e.M) continue;
    for (bool up : {true, false}) {
      SCOPED_TRACE("column " + std::to_string(j) + (up ? " up" : " down"));
      e.start();  // the factors of the engines below replace e's
      const CostRange r = range_cost(e, j, up);
      const double sgn = up ? 1.0 : -1.0;
      const double c0 = stored_cost(e, j);
      PostOptLp t(lp_data);
      ASSERT_EQ(t.solve(), 1);
      if (s >= 1) {
        EXPECT_EQ(r.RATE, sgn * e.XBZERO[s - 1]);
      }
      if (r.PCCODE == 2) {
        EXPECT_EQ(r.BREAK, sgn * 1.0e30);
        set_cost(t, j, c0 + sgn * 10.0);
        t.start();
        EXPECT_EQ(t.dual_violation(1e-5), "");
        EXPECT_NEAR(t.Z, z0 + r.RATE * 10.0, lp_test::rel_tol(z0, 1e-5));
        ++unlimited;
        continue;
      }
      ASSERT_TRUE(r.PCCODE == 1 || r.PCCODE == 3) << r.PCCODE;
      ASSERT_GE(r.ENTER, 1);
      const double alpha = sgn * (r.BREAK - c0);
      ASSERT_GE(alpha, -1e-12);
      const double t1 = alpha / 2.0, t2 = 2.0 * alpha + 1.0;
      // Halfway: still optimal, objective at the rate.
      set_cost(t, j, c0 + sgn * t1);
      t.start();
      EXPECT_EQ(t.dual_violation(1e-5), "");
      EXPECT_NEAR(t.Z, z0 + r.RATE * t1, lp_test::rel_tol(z0, 1e-5));
      const double d1 = t.reduced_cost(r.ENTER);
      // Beyond: ENTER's reduced cost changes sign at the break point.
      set_cost(t, j, c0 + sgn * t2);
      t.start();
      const double d2 = t.reduced_cost(r.ENTER);
      const double slope = (d2 - d1) / (t2 - t1);
      EXPECT_TRUE(r.INTYP == 1 ? slope > 0.0 : slope < 0.0) << slope;
      EXPECT_NEAR(d1 + slope * (alpha - t1), 0.0, 1e-5 * (1.0 + alpha));
      if (r.PCCODE == 1) {
        EXPECT_GE(r.LEAVE, 1);
        if (r.OUTTYP == 0) {
          EXPECT_EQ(r.LEAVE, r.ENTER) << "bound flip";
        }
      }
      ++finite;
    }
  }
}

TEST_F(Ranging, CostBreakPointsHoldOnTheLp) {
  int finite = 0, unlimited = 0;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    check_cost_ranges(seed, finite, unlimited);
    if (HasFatalFailure()) return;
  }
  std::printf("finite %d unlimited %d\n", finite, unlimited);
  EXPECT_GT(finite, 100);
  EXPECT_GT(unlimited, 50);
}

TEST_F(Ranging, AllBasicCostsAtOnceAgreeWithOneByOne) {
  int compared = 0;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    PostOptLp e(lp_test::random_lp(seed));
    if (e.solve() != 1) continue;
    for (bool up : {true, false}) {
      std::vector<double> brk(e.M);
      std::vector<int> enter(e.M), intypd(e.M), pdcode(e.M);
      bool UP = up;
      XRANGD(e.BASCB.data(), e.BASIS.data(), e.BASLB.data(), e.BASUB.data(),
             e.BNDTYP, e.BOUND, brk.data(), e.COLA.data(), e.COLI.data(),
             e.COLMAX, enter.data(), intypd.data(), e.IOERR, e.LENMA, e.LENMI,
             e.LENMY, e.M, e.MAPA, e.MAPI, e.MAXM, e.MAXN, e.MEMORY, e.N,
             e.NTYPE2, pdcode.data(), e.STATUS.data(), UP, e.UZERO.data(),
             e.XBZERO.data(), e.YQ.data());
      for (int i = 1; i <= e.M; ++i) {
        const int j = e.BASIS[i - 1];
        if (e.STATUS[j - 1] != i) continue;  // free slacks, artificials
        const CostRange r = range_cost(e, j, up, false);
        EXPECT_EQ(pdcode[i - 1], r.PCCODE) << "position " << i;
        EXPECT_NEAR(brk[i - 1], r.BREAK, 1e-9 * (1.0 + std::fabs(r.BREAK)));
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 300);
}

// ---- Hand-made cases and failures ------------------------------------------

// max -x1 - x2 subject to x1 + x2 >= 1 (surplus), x1 - x2 <= 2.
LpData small_lp() {
  LpData s;
  s.M = 2;
  s.BNDTYP = 1;
  s.rowtyp = {-1, 1};
  s.b = {1.0, 2.0};
  s.blow = {0.0, 0.0};
  s.cols = {{-1.0, {{1, 1.0}, {2, 1.0}}}, {-2.0, {{1, 1.0}, {2, -1.0}}}};
  return s;
}

TEST_F(Ranging, HandMadeRanges) {
  PostOptLp e(small_lp());
  ASSERT_EQ(e.solve(), 1);
  ASSERT_DOUBLE_EQ(e.Z, -1.0);  // x1 = 1
  // Row 1 upwards: x1 grows until row 2 binds at x1 = 2.
  RhsRange r = range_rhs(e, 1, true);
  EXPECT_EQ(r.PBCODE, 1);
  EXPECT_DOUBLE_EQ(r.BREAK, 2.0);
  EXPECT_DOUBLE_EQ(r.RATE, -1.0);
  // Downwards: x1 falls to 0 at b = 0.
  r = range_rhs(e, 1, false);
  EXPECT_EQ(r.PBCODE, 1);
  EXPECT_DOUBLE_EQ(r.BREAK, 0.0);
  EXPECT_EQ(r.LEAVE, 1);
  EXPECT_EQ(r.OUTTYP, 1);
  // Row 2 never binds upwards.
  r = range_rhs(e, 2, true);
  EXPECT_EQ(r.PBCODE, 2);
  EXPECT_EQ(r.BREAK, 1.0e30);
  // Cost of the nonbasic x2 downwards: never enters; the rate is its
  // (zero) lower bound.
  CostRange c = range_cost(e, 2, false);
  EXPECT_EQ(c.PCCODE, 2);
  EXPECT_EQ(c.BREAK, -1.0e30);
  EXPECT_EQ(c.RATE, -0.0);
  // Upwards it enters at cost -1 (equal to x1's).
  c = range_cost(e, 2, true);
  EXPECT_EQ(c.PCCODE, 1);
  EXPECT_DOUBLE_EQ(c.BREAK, -1.0);
  EXPECT_EQ(c.ENTER, 2);
  EXPECT_EQ(c.INTYP, 1);
  // The basic x1: its rate is its value.
  c = range_cost(e, 1, true);
  EXPECT_DOUBLE_EQ(c.RATE, 1.0);
}

TEST_F(Ranging, FreeBasicVariablesNeverBlock) {
  PostOptLp e(lp_test::free_row_lp());
  ASSERT_EQ(e.solve(), 1);
  ASSERT_EQ(e.STATUS[1], -2);  // the free slack, basic
  // Row 2 upwards: only the free slack moves towards a bound, and it has
  // none; a break point near 1e30 / 4 would be no break point at all.
  const RhsRange r = range_rhs(e, 2, true);
  EXPECT_EQ(r.PBCODE, 2);
  EXPECT_EQ(r.BREAK, 1.0e30);
  EXPECT_DOUBLE_EQ(r.RATE, 1.0);
}

TEST_F(Ranging, InfeasibleOrNonOptimalSolutionsStop) {
  // Slack basis of x1 <= -1: the slack is below its bound.
  PostOptLp e(lp_test::one_row(-1.0, {{1.0, {{1, 1.0}}}}));
  e.store_columns();
  e.slack();
  EXPECT_EQ(stop_lines([&] { range_rhs(e, 1, false); }),
            (Lines{"", "XRANGB...CURRENT SOLUTION NOT PRIMAL FEASIBLE",
                   "VARIABLE     2 IS OUT OF BOUNDS:  0.00000000D+00 "
                   "-0.10000000D+01  0.10000000D+31"}));
  // The column's reduced cost is 1 at its lower bound: not optimal.
  EXPECT_EQ(stop_lines([&] { range_cost(e, 2, true); }),
            (Lines{"", "XRANGC...CURRENT SOLUTION NOT DUAL FEASIBLE",
                   "VARIABLE     1     STATUS     0     RELATIVE PROFIT "
                   "0.1000000000D+01"}));
  std::vector<double> brk(1);
  std::vector<int> enter(1), intypd(1), pdcode(1);
  bool UP = true;
  EXPECT_EQ(stop_lines([&] {
              XRANGD(e.BASCB.data(), e.BASIS.data(), e.BASLB.data(),
                     e.BASUB.data(), e.BNDTYP, e.BOUND, brk.data(),
                     e.COLA.data(), e.COLI.data(), e.COLMAX, enter.data(),
                     intypd.data(), e.IOERR, e.LENMA, e.LENMI, e.LENMY, e.M,
                     e.MAPA, e.MAPI, e.MAXM, e.MAXN, e.MEMORY, e.N, e.NTYPE2,
                     pdcode.data(), e.STATUS.data(), UP, e.UZERO.data(),
                     e.XBZERO.data(), e.YQ.data());
            }),
            (Lines{"", "XRANGD...CURRENT SOLUTION NOT DUAL FEASIBLE",
                   "VARIABLE     1     STATUS     0     RELATIVE PROFIT "
                   "0.1000000000D+01"}));
}

TEST_F(Ranging, BadArgumentsStop) {
  PostOptLp e(small_lp());
  ASSERT_EQ(e.solve(), 1);
  EXPECT_EQ(stop_lines([&] { range_rhs(e, 3, true); }),
            (Lines{"", "XRANGB         3", "INVALID NUMBER OF CONSTRAINTS."}));
  EXPECT_EQ(stop_lines([&] { range_cost(e, 0, true); }),
            (Lines{"", "XRANGC         0", "INVALID NUMBER OF VARIABLES."}));
  // A nonbasic artificial cannot be ranged.
  int art = 0;
  for (int j = 1; j <= e.N; ++j)
    if (e.STATUS[j - 1] < -1) art = j;
  if (art != 0) {
    const Lines got = stop_lines([&] { range_cost(e, art, true); });
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].substr(0, 17), "XRANGC...VARIABLE");
  }
}

}  // namespace
