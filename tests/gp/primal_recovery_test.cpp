// Primal point from row prices and the program's values at a point.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gp/solver.h"
#include "gp_test_util.h"

namespace {

// Objective 2*x1^2*x2^-1 + 3 (a term with no pairs) + x2 twice listed;
// constraint 1: seven terms 0.5*x1 each.
struct Problem {
  int MCON = 1, KTTOT = 10;
  std::vector<double> C = {2.0, 3.0, 1.0, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
  std::vector<int> KT = {3, 7};
  std::vector<int> NAPP = {2, 0, 1, 1, 1, 1, 1, 1, 1, 1};
  std::vector<int> IDVAR = {1, 2, 2, 1, 1, 1, 1, 1, 1, 1};
  std::vector<double> A = {2.0, -1.0, 1.0, 1, 1, 1, 1, 1, 1, 1};
  std::vector<double> term = std::vector<double>(10), vposy = {0.0, 0.0};

  // PSUBS at x = (2, 4) with the given PRINT, into term and vposy.
  void psubs(int print) {
    std::vector<double> x = {2.0, 4.0};
    PSUBS(MCON, print, x.data(), A.data(), C.data(), KT.data(), KTTOT,
          term.data(), vposy.data(), IDVAR.data(), NAPP.data());
  }
};

TEST(PrimalRecovery, PricesAreLogarithmsOfTheVariables) {
  gptest::ReportFile rep;
  int nvar = 3, print = 0;
  std::vector<double> pi = {7.0, 0.0, std::log(2.0), -1.0};
  std::vector<double> x(3);
  PSOLVE(nvar, print, pi.data(), x.data());
  EXPECT_EQ(x[0], 1.0);
  EXPECT_NEAR(x[1], 2.0, 1e-15);
  EXPECT_EQ(x[2], std::exp(-1.0));
  EXPECT_TRUE(rep.lines().empty());
}

TEST(PrimalRecovery, PsolveListing) {
  gptest::ReportFile rep;
  int nvar = 2, print = 1;
  std::vector<double> pi = {0.0, std::log(2.0), std::log(1.0e-9)};
  std::vector<double> x(2);
  PSOLVE(nvar, print, pi.data(), x.data());
  auto l = rep.lines();
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], "PRIMAL VARIABLES ARE");
  EXPECT_EQ(l[2], "    I        X(I)");
  EXPECT_EQ(l[3], "     1   2.0000000    ");
  EXPECT_EQ(l[4], "     2  0.10000000E-08");
}

TEST(PrimalRecovery, TermsAndPosynomials) {
  gptest::ReportFile rep;
  Problem p;
  p.psubs(0);
  EXPECT_DOUBLE_EQ(p.term[0], 2.0 * 4.0 / 4.0);
  EXPECT_EQ(p.term[1], 3.0);  // no pairs: its coefficient
  EXPECT_EQ(p.term[2], 4.0);
  EXPECT_DOUBLE_EQ(p.vposy[0], 2.0 + 3.0 + 4.0);
  EXPECT_DOUBLE_EQ(p.vposy[1], 7.0);
  EXPECT_TRUE(rep.lines().empty());
}

TEST(PrimalRecovery, PsubsListingFivePerLine) {
  gptest::ReportFile rep;
  Problem p;
  p.psubs(1);
  auto l = rep.lines();
  ASSERT_EQ(l.size(), 9u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], "POSYNOMIAL NUMBER    0     VALUE=     9.0000000    ");
  EXPECT_EQ(l[2], "VALUES OF TERMS ARE");
  EXPECT_EQ(l[3], "    2.0000000         3.0000000         4.0000000    ");
  EXPECT_EQ(l[5], "POSYNOMIAL NUMBER    1     VALUE=     7.0000000    ");
  EXPECT_EQ(l[7].size(), 89u);  // five values of 18 columns, less the control
  EXPECT_EQ(l[8], "    1.0000000         1.0000000    ");
}

}  // namespace
