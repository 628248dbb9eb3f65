// Ranging checked against the LP: with the datum moved halfway to the
// break point the basis stays optimal and the objective moves at the rate;
// beyond it the leaving variable (or entering reduced cost) has crossed its
// bound exactly at the break point.

#include <gtest/gtest.h>

#include <string>

#include "postopt_test_support.h"
#include "store_test_support.h"

namespace {

using lp_test::LpData;
using lp_test::PostOptLp;

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

int position_of(const PostOptLp& e, int column) {
  for (int i = 0; i < e.M; ++i)
    if (e.BASIS[i] == column) return i;
  return -1;
}

class Ranging : public lp_test::UnitEightTest {};

void check_rhs_ranges(unsigned seed, int& finite, int& unlimited) {
  SCOPED_TRACE("seed " + std::to_string(seed));
  const LpData lp_data = lp_test::random_lp(seed);
  PostOptLp e(lp_data);
  if (e.solve() != 1) return;
  const double z0 = e.Z;
  for (int irow = 1; irow <= e.M; ++irow) {
    for (bool up : {true, false}) {
      SCOPED_TRACE("row " + std::to_string(irow) + (up ? " up" : " down"));
      // The LU record is process wide: refactorise after other engines.
      e.start();
      const RhsRange r = range_rhs(e, irow, up);
      const double sgn = up ? 1.0 : -1.0;
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
      ++finite;
    }
  }
}

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
      e.start();
      const CostRange r = range_cost(e, j, up);
      const double sgn = up ? 1.0 : -1.0;
      const double c0 = lp_data.cols[j - 1].c;  // 32-bit already
      PostOptLp t(lp_data);
      ASSERT_EQ(t.solve(), 1);
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
      ++finite;
    }
  }
}

TEST_F(Ranging, RightHandSideAndCostBreakPointsHoldOnTheLp) {
  int rhs_finite = 0, rhs_unlimited = 0, cost_finite = 0, cost_unlimited = 0;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    check_rhs_ranges(seed, rhs_finite, rhs_unlimited);
    check_cost_ranges(seed, cost_finite, cost_unlimited);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(rhs_finite, 100);
  EXPECT_GT(rhs_unlimited, 20);
  EXPECT_GT(cost_finite, 100);
  EXPECT_GT(cost_unlimited, 50);
}

}  // namespace
