// Slack basis, basis factor interface and basic solution: the logical
// columns of every row type, the checks of XSLACK, solves with the
// identity and after a column replacement, the factor failures (a column
// of length 0, an entry list longer than IA, a singular basis), the value
// rule of nonbasic columns, the accuracy check's lines and XDOT's
// cancellation rule.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "io/edit.h"
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

class Basis : public UnitEightTest {
 protected:
  // The lines of a stop, the stop routine's own line taken without a
  // leading blank.
  Lines stop_lines(const std::function<void()>& call) {
    Lines out = UnitEightTest::stop_lines(call);
    for (std::string& l : out)
      if (l.rfind(" INVALID", 0) == 0) l.erase(0, 1);
    return out;
  }
};

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
  const std::vector<double> sign{1, 1, 1, -1, 1, 1};
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
    double CJ = 1, LJ = 9, UJ = 9;
    int COLLEN = 0, J = j;
    XGETAJ(CJ, e.COLA.data(), e.COLI.data(), COLLEN, e.COLMAX, e.IOERR, J,
           e.LENMA, e.LENMY, e.MAPA, e.MEMORY);
    EXPECT_EQ(CJ, 0.0);
    ASSERT_EQ(COLLEN, 1);
    EXPECT_EQ(e.COLI[0], i);
    EXPECT_EQ(e.COLA[0], sign[i - 1]);
    XGETUB(e.BNDTYP, e.IOERR, J, e.LENMA, e.LENMY, LJ, e.MAPA, e.MEMORY, UJ);
    EXPECT_EQ(LJ, lb[i - 1] < 0 ? static_cast<double>(-1e30f) : 0.0);
    EXPECT_EQ(UJ, ub[i - 1]);
  }
  for (int i = 0; i < e.MAXM; ++i) EXPECT_EQ(e.UZERO[i], 0.0);
  EXPECT_EQ(e.Z, 0.0);
}

TEST_F(Basis, SlackBasisTakesStructuralColumnsAtTheirStatusValues) {
  // Column 1 rests at its upper bound 1 (BNDTYP 4, lower bound -2 unused).
  LpData s = every_row_type(4);
  s.cols[0].l = -2.0;
  EngineLp e(s);
  e.store_columns();
  e.STATUS[0] = -1;
  e.slack();
  EXPECT_EQ(e.XBZERO[0], 0.0);  // 1 - 1*1
  EXPECT_EQ(e.XBZERO[5], 4.0);  // 6 - 2*1
  EXPECT_EQ(e.Z, 1.0);
}

TEST_F(Basis, SlackChecksStopBeforeStoringAnything) {
  LpData s = every_row_type(2);
  EngineLp e(s);
  EXPECT_EQ(stop_lines([&] { e.slack(); }),
            (Lines{"XSLACK...BNDTYP MUST BE AT LEAST 3 WHEN USING TWO-SIDED "
                   "CONSTRAINTS."}));
  EXPECT_EQ(e.N, 0);
  int M0 = 0;
  std::swap(M0, e.M);
  EXPECT_EQ(stop_lines([&] { e.slack(); }),
            (Lines{"XSLACK         0", "INVALID NUMBER OF CONSTRAINTS."}));
  std::swap(M0, e.M);
  e.N = e.MAXN + 1;
  EXPECT_EQ(stop_lines([&] { e.slack(); }),
            (Lines{"XSLACK" + std::string(5, ' ') + io::I(e.N, 5),
                   "INVALID NUMBER OF VARIABLES."}));
}

TEST_F(Basis, TwoSidedRowLimitsMayMeetButNotCross) {
  LpData s = every_row_type(3);
  s.blow[2] = 3.0;  // B = BLOW: slack fixed at 0
  EngineLp e(s);
  e.slack();  // N = 0 is accepted
  EXPECT_EQ(e.BASUB[2], 0.0);
  EXPECT_EQ(e.N, 6);
  LpData t = every_row_type(3);
  t.blow[2] = 3.5;
  EngineLp f(t);
  EXPECT_EQ(stop_lines([&] { f.slack(); }),
            (Lines{"XSLACK...TWO-SIDED CONSTRAINT     3",
                   "LOWER LIMIT EXCEEDS UPPER LIMIT",
                   "      0.35000000D+01  0.30000000D+01"}));
}

TEST_F(Basis, IdentitySolvesReturnTheirArgumentWithTinyEntriesZeroed) {
  LpData s;
  s.M = 3;
  s.rowtyp = {1, 1, 1};
  s.b = {1, 2, 3};
  EngineLp e(s);
  e.slack();
  std::vector<double> v{1.5, 5e-11, -2.0};
  XFTRAN(v.data(), e.IOERR, e.LENMI, e.LENMY, e.M, e.MAPI, e.MAXM, e.MEMORY);
  EXPECT_EQ(v, (std::vector<double>{1.5, 0.0, -2.0}));
  v = {-5e-11, 4.0, 1e-9};
  XBTRAN(e.IOERR, e.LENMI, e.LENMY, e.M, e.MAPI, e.MAXM, e.MEMORY, v.data());
  EXPECT_EQ(v, (std::vector<double>{0.0, 4.0, 1e-9}));
}

TEST_F(Basis, ReplacedColumnSolvesToItsUnitVector) {
  LpData s;
  s.M = 3;
  s.rowtyp = {1, 1, 1};
  s.b = {1, 2, 3};
  s.cols = {LpColumn{1.0, {{1, 2.0}, {2, 1.0}, {3, -1.0}}}};
  EngineLp e(s);
  e.store_columns();
  e.slack();
  const std::vector<double> a{2.0, 1.0, -1.0};
  std::vector<double> y = a;
  XFTRAN(y.data(), e.IOERR, e.LENMI, e.LENMY, e.M, e.MAPI, e.MAXM, e.MEMORY);
  int R = 2, UCODE = 0;
  XUPDAT(e.IOERR, e.LENMI, e.LENMY, e.M, e.MAPI, e.MEMORY, R, UCODE);
  EXPECT_EQ(UCODE, 1);
  y = a;
  XFTRAN(y.data(), e.IOERR, e.LENMI, e.LENMY, e.M, e.MAPI, e.MAXM, e.MEMORY);
  EXPECT_NEAR(y[0], 0.0, 1e-15);
  EXPECT_NEAR(y[1], 1.0, 1e-15);
  EXPECT_NEAR(y[2], 0.0, 1e-15);
  // The transposed solve agrees: u B = e2 for the new basis.
  std::vector<double> u{0.0, 1.0, 0.0};
  XBTRAN(e.IOERR, e.LENMI, e.LENMY, e.M, e.MAPI, e.MAXM, e.MEMORY, u.data());
  EXPECT_NEAR(u[0] * 2.0 + u[1] * 1.0 - u[2], 1.0, 1e-15);
  EXPECT_NEAR(u[0], 0.0, 1e-15);
  EXPECT_NEAR(u[2], 0.0, 1e-15);
}

TEST_F(Basis, FactorisingAColumnOfLengthZeroStops) {
  std::vector<double> A(8, -1.0), COLA(4, 1.0);
  std::vector<int> IND(16, -1), COLI(4, 1);
  int COLLEN = 0, COLMAX = 4, I = 3, IA = 8, NZ = 2, IOERR = 8;
  EXPECT_EQ(stop_lines([&] {
              XLA05X(A.data(), COLA.data(), COLI.data(), COLLEN, COLMAX, I,
                     IA, IND.data(), IOERR, NZ);
            }),
            (Lines{"XLA05X...ERROR: THE BASIC COLUMN IN POSITION     3 HAS "
                   "LENGTH     0"}));
}

TEST_F(Basis, EntryListLongerThanIaStopsWithoutWritingPastIt) {
  std::vector<double> A(4, -1.0), COLA{1.0, 2.0};
  std::vector<int> IND(8, -1), COLI{1, 2};
  int COLLEN = 2, COLMAX = 2, I = 2, IA = 4, NZ = 2, IOERR = 8;
  XLA05X(A.data(), COLA.data(), COLI.data(), COLLEN, COLMAX, I, IA,
         IND.data(), IOERR, NZ);  // fills the list exactly
  EXPECT_EQ(NZ, 4);
  EXPECT_EQ(A, (std::vector<double>{-1, -1, 1, 2}));
  EXPECT_EQ(IND, (std::vector<int>{-1, -1, 1, 2, -1, -1, 2, 2}));
  I = 3;
  COLLEN = 1;
  EXPECT_EQ(stop_lines([&] {
              XLA05X(A.data(), COLA.data(), COLI.data(), COLLEN, COLMAX, I,
                     IA, IND.data(), IOERR, NZ);
            }),
            (Lines{"XLA05X...ERROR: THE BASIC COLUMN IN POSITION     3 DOES "
                   "NOT FIT: MORE THAN        4 BASIS NON-ZEROS."}));
  EXPECT_EQ(NZ, 4);
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

// ---- Values of nonbasic columns, objective, accuracy check ----

LpData two_columns(int bndtyp) {
  LpData s;
  s.M = 2;
  s.BNDTYP = bndtyp;
  s.BOUND = 3.0;
  s.NTYPE2 = 2;
  s.rowtyp = {1, 0};
  s.b = {10.0, 4.0};
  s.cols = {LpColumn{2.0, {{1, 1.0}, {2, 1.0}}, -1.0, 5.0},
            LpColumn{-1.0, {{1, 2.0}}, 0.5, 2.0}};
  return s;
}

TEST_F(Basis, NonbasicValuesFollowTheBoundType) {
  struct Case {
    int bndtyp, s1, s2;
    double x1, x2;
  };
  // BNDTYP 2: upper = BOUND; 3: own upper, lower 0; 4: own bounds.
  const Case cases[] = {{2, -1, 0, 3.0, 0.0},
                        {2, -1, -1, 3.0, 3.0},
                        {3, -1, 0, 5.0, 0.0},
                        {3, 0, -1, 0.0, 2.0},
                        {4, 0, 0, -1.0, 0.5},
                        {4, -1, -4, 5.0, 0.5},
                        {4, -2, -3, 0.0, 0.0}};
  for (const Case& c : cases) {
    EngineLp e(two_columns(c.bndtyp));
    e.store_columns();
    e.STATUS[0] = c.s1;
    e.STATUS[1] = c.s2;
    e.slack();
    SCOPED_TRACE(c.bndtyp);
    EXPECT_EQ(e.XBZERO[0], 10.0 - c.x1 - 2.0 * c.x2);
    EXPECT_EQ(e.XBZERO[1], 4.0 - c.x1);
    EXPECT_EQ(e.Z, 2.0 * c.x1 - c.x2);
    double Z = 99;
    XZCOMP(e.BASCB.data(), e.BNDTYP, e.BOUND, e.COLA.data(), e.COLI.data(),
           e.COLMAX, e.IOERR, e.LENMA, e.LENMY, e.M, e.MAPA, e.MAXM, e.MAXN,
           e.MEMORY, e.N, e.STATUS.data(), e.XBZERO.data(), Z);
    EXPECT_EQ(Z, e.Z);
  }
}

TEST_F(Basis, SuperbasicValueAndTinyBasicValues) {
  EngineLp e(two_columns(1));
  e.store_columns();
  e.slack();
  // Column 1 superbasic at 4 - 5e-11 (position 3): row 2 basic value
  // becomes 5e-11, stored as 0.
  e.XBZERO.resize(3);
  e.XBZERO[2] = 4.0 - 5.0e-11;
  e.STATUS[0] = 3;
  XBCOMP(e.B.data(), e.BASCB.data(), e.BNDTYP, e.BOUND, e.COLA.data(),
         e.COLI.data(), e.COLMAX, e.IOERR, e.LENMA, e.LENMI, e.LENMY, e.M,
         e.MAPA, e.MAPI, e.MAXM, e.MAXN, e.MEMORY, e.N, e.STATUS.data(),
         e.XBZERO.data(), e.Z);
  EXPECT_EQ(e.XBZERO[1], 0.0);
  EXPECT_EQ(e.XBZERO[0], 10.0 - (4.0 - 5.0e-11));
  EXPECT_EQ(e.Z, 2.0 * (4.0 - 5.0e-11));
}

TEST_F(Basis, InfiniteBoundsAndBadSizesStop) {
  EngineLp e(two_columns(1));
  e.store_columns();
  e.slack();
  e.STATUS[1] = -1;
  double ZNB = 0;
  std::vector<double> W(2);
  EXPECT_EQ(stop_lines([&] {
              XBREDU(e.B.data(), e.BNDTYP, e.BOUND, e.COLA.data(),
                     e.COLI.data(), e.COLMAX, e.IOERR, e.LENMA, e.LENMY, e.M,
                     e.MAPA, e.MAXM, e.MAXN, e.MEMORY, e.N, e.STATUS.data(),
                     W.data(), e.XBZERO.data(), ZNB);
            }),
            (Lines{"XBREDU...VARIABLE     2 AT INFINITE BOUND."}));
  EXPECT_EQ(stop_lines([&] {
              XZCOMP(e.BASCB.data(), e.BNDTYP, e.BOUND, e.COLA.data(),
                     e.COLI.data(), e.COLMAX, e.IOERR, e.LENMA, e.LENMY, e.M,
                     e.MAPA, e.MAXM, e.MAXN, e.MEMORY, e.N, e.STATUS.data(),
                     e.XBZERO.data(), ZNB);
            }),
            (Lines{"XZCOMP         1", "INVALID BOUND TYPE."}));
  int N0 = 0;
  EXPECT_EQ(stop_lines([&] {
              XBCOMP(e.B.data(), e.BASCB.data(), e.BNDTYP, e.BOUND,
                     e.COLA.data(), e.COLI.data(), e.COLMAX, e.IOERR, e.LENMA,
                     e.LENMI, e.LENMY, e.M, e.MAPA, e.MAPI, e.MAXM, e.MAXN,
                     e.MEMORY, N0, e.STATUS.data(), e.XBZERO.data(), ZNB);
            }),
            (Lines{"XBCOMP         0", "INVALID NUMBER OF VARIABLES."}));
  // N = 0 is fine for the reduction itself.
  XBREDU(e.B.data(), e.BNDTYP, e.BOUND, e.COLA.data(), e.COLI.data(),
         e.COLMAX, e.IOERR, e.LENMA, e.LENMY, e.M, e.MAPA, e.MAXM, e.MAXN,
         e.MEMORY, N0, e.STATUS.data(), W.data(), e.XBZERO.data(), ZNB);
  EXPECT_EQ(W, (std::vector<double>{10.0, 4.0}));
  EXPECT_EQ(ZNB, 0.0);
}

TEST_F(Basis, FillerEntriesBeyondTheLastRowAreNeverWritten) {
  // A column stored by XREPAJ reserves COLMAX positions; the unused ones
  // name row MAXM = M + 2.  The reduction writes only WORK(1..M).
  LpData s = two_columns(3);
  EngineLp e(s, 10, /*extra_rows=*/2);
  e.store_columns();
  e.slack();
  e.append_with_repaj(LpColumn{1.0, {{1, 1.0}}, 0.0, 2.0});
  e.STATUS[e.N - 1] = -1;  // at its upper bound 2
  std::vector<double> W(e.M, -7.0);
  double ZNB = 0;
  XBREDU(e.B.data(), e.BNDTYP, e.BOUND, e.COLA.data(), e.COLI.data(),
         e.COLMAX, e.IOERR, e.LENMA, e.LENMY, e.M, e.MAPA, e.MAXM, e.MAXN,
         e.MEMORY, e.N, e.STATUS.data(), W.data(), e.XBZERO.data(), ZNB);
  EXPECT_EQ(W, (std::vector<double>{8.0, 4.0}));
  EXPECT_EQ(ZNB, 2.0);
}

TEST_F(Basis, AccuracyCheckAcceptsTheToleranceAndReportsBeyondIt) {
  EngineLp e(two_columns(1));
  e.store_columns();
  e.slack();
  const double r = std::ldexp(1.0, -19);  // 1.9073486328125e-06
  e.XBZERO[1] += r;     // primal residual r in row 2
  e.UZERO[0] = -r / 2;  // dual residual of the slack in position 1
  double PERROR, DERROR, PTOLER = r, DTOLER = r;
  int PINDEX, DINDEX;
  bool POK, DOK;
  auto check = [&] {
    XCHECK(e.B.data(), e.BASIS.data(), e.BNDTYP, e.BOUND, e.COLA.data(),
           e.COLI.data(), e.COLMAX, DERROR, DINDEX, DOK, DTOLER, e.IOERR,
           e.LENMA, e.LENMY, e.M, e.MAPA, e.MAXM, e.MAXN, e.MEMORY, e.N,
           PERROR, PINDEX, POK, PTOLER, e.STATUS.data(), e.UZERO.data(),
           e.YQ.data(), e.XBZERO.data());
  };
  check();
  EXPECT_TRUE(POK);
  EXPECT_TRUE(DOK);
  EXPECT_EQ(PERROR, r);
  EXPECT_EQ(PINDEX, 2);
  EXPECT_EQ(DERROR, r / 2);
  EXPECT_EQ(DINDEX, 1);
  PTOLER = DTOLER = 1.0e-7;
  check();
  EXPECT_FALSE(POK);
  EXPECT_FALSE(DOK);
  EXPECT_EQ(lines(),
            (Lines{"XCHECK...MAXIMUM PRIMAL RESIDUAL:     2      "
                   "0.1907348633D-05",
                   "XCHECK...MAXIMUM DUAL RESIDUAL:     1      "
                   "0.9536743164D-06"}));
}

TEST(Xdot, CancellationToRoundingNoiseCountsAsZero) {
  RVNCOM.ZL = 1.0e-10;
  auto dot = [](std::vector<double> a, std::vector<double> row) {
    std::vector<int> idx;
    for (size_t k = 0; k < a.size(); ++k) idx.push_back(static_cast<int>(k) + 1);
    int len = static_cast<int>(a.size()), colmax = len, maxm = len;
    double z = -1;
    XDOT(a.data(), idx.data(), len, colmax, maxm, row.data(), z);
    return z;
  };
  EXPECT_EQ(dot({1.0, -1.0}, {1.0, 1.0}), 0.0);
  EXPECT_EQ(dot({1.0e-9}, {1.0}), 1.0e-9);
  EXPECT_EQ(dot({1.0e6, -1.0e6 + 5.0e-5}, {1.0, 1.0}), 0.0);
  EXPECT_EQ(dot({1.0e-11}, {1.0}), 0.0);
  EXPECT_EQ(dot({2.0, 3.0}, {0.5, -1.0}), -2.0);
}

}  // namespace
