// Slack basis of every row type, and a singular basis.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lp/engine.h"
#include "lp/workspace.h"
#include "primal_support.h"
#include "store_test_support.h"

namespace {

using lp_test::EngineLp;
using lp_test::LpColumn;
using lp_test::LpData;
using lp_test::UnitEightTest;
using Lines = std::vector<std::string>;

class Basis : public UnitEightTest {};

LpData every_row_type(int bndtyp) {
  LpData s;
  s.M = 6;
  s.BNDTYP = bndtyp;
  s.rowtyp = {0, 1, 2, -1, -2, 5};
  s.b = {1.0, 2.0, 3.0, 4.0, 5.0, 6.0};
  s.blow = {0.0, 0.0, 1.0, 0.0, 0.0, 0.0};
  s.cols = {LpColumn{1.0, {{1, 1.0}, {6, 2.0}}, 0.0, 1.0}};
  return s;
}

TEST_F(Basis, SlackBasisHasOneLogicalPerRowType) {
  EngineLp e(every_row_type(4), 10, /*extra_rows=*/2);
  e.UZERO.assign(e.MAXM, 7.0);
  e.store_columns();
  e.slack();
  ASSERT_EQ(e.N, 7);
  const std::vector<int> status{-3, 2, 3, 4, -2, 6};
  const std::vector<double> lb{0, 0, 0, 0, -1e30, 0};
  const std::vector<double> ub{0, 1e30, 2.0, 1e30, 1e30, 1e30};
  const std::vector<double> x{1, 2, 3, -4, 5, 6};
  for (int i = 1; i <= 6; ++i) {
    const int j = 1 + i;
    EXPECT_EQ(e.BASIS[i - 1], j);
    EXPECT_EQ(e.STATUS[j - 1], status[i - 1]) << "row " << i;
    EXPECT_EQ(e.BASLB[i - 1], lb[i - 1]);
    EXPECT_EQ(e.BASUB[i - 1], ub[i - 1]);
    EXPECT_EQ(e.BASCB[i - 1], 0.0);
    EXPECT_EQ(e.XBZERO[i - 1], x[i - 1]) << "row " << i;
  }
  for (int i = 0; i < e.MAXM; ++i) EXPECT_EQ(e.UZERO[i], 0.0);
  EXPECT_EQ(e.Z, 0.0);
}

TEST_F(Basis, SingularBasisStopsAfterThePackagesReport) {
  LpData s;
  s.M = 2;
  s.rowtyp = {1, 1};
  s.b = {1, 1};
  s.cols = {LpColumn{1.0, {{1, 1.0}, {2, 1.0}}},
            LpColumn{1.0, {{1, 1.0}, {2, 1.0}}}};
  EngineLp e(s);
  e.store_columns();
  e.slack();
  e.BASIS[0] = 1;
  e.BASIS[1] = 2;
  int FCODE = 0;
  Lines out = stop_lines([&] {
    XFACT(e.BASCB.data(), e.BASIS.data(), e.BASLB.data(), e.BASUB.data(),
          e.COLA.data(), e.COLI.data(), e.COLMAX, FCODE, e.IOERR, e.LENMA,
          e.LENMI, e.LENMY, e.M, e.MAPA, e.MAPI, e.MAXM, e.MEMORY);
  });
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out.back(), "XFACT ...ERROR RETURN FROM LA05A...G=     -5.00");
}

}  // namespace
