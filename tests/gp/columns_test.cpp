// Column generation (ADDU, ADDBND), the master-LP column store (REPC) and
// the program's values at a point (PSUBS).
#include <gtest/gtest.h>

#include <random>
#include <cmath>
#include <vector>

#include "gp/master_columns.h"
#include "gp/master_perturbation.h"
#include "gp/termination.h"
#include "gp/solver.h"
#include "gp_test_util.h"
#include "lp/engine.h"
#include "lp/workspace.h"

namespace {

// A stored column's entries: (row, value) pairs.
using Entries = std::vector<std::pair<int, double>>;

// An empty master LP for NVAR variables, sized as the solver sizes them.
struct Master {
  int NVAR, NMAX, MAXM, MAXN, MAXA, COLMAX, LENMY;
  std::vector<double> B, BASCB, BASLB, BASUB, BETAR, UZERO, XBZERO, YQ, CANDA,
      CANDCJ, COLA, COL, RHS;
  std::vector<int> BASIS, ROWTYP, CANDI, COLI, STATUS, KEEPS, IDPOSY;
  lp::Workspace ws;
  int TCLGEN = 0;

  Master(int nvar, int nmax)
      : NVAR(nvar), NMAX(nmax), MAXM(nvar + 2), MAXN(nmax + 1),
        MAXA((nmax + 1) * (nvar + 2)), COLMAX(nvar + 2),
        LENMY(static_cast<int>(2.0 * (0.75 * MAXA + 4.0 * MAXM + MAXN +
                                      6.0 * MAXM * MAXM))),
        ws(LENMY) {
    for (auto* v : {&B, &BASCB, &BASLB, &BASUB, &BETAR, &UZERO, &XBZERO, &YQ})
      v->assign(MAXM, 0.0);
    CANDA.assign(COLMAX * 10, 0.0);
    CANDCJ.assign(10, 0.0);
    COLA.assign(COLMAX, 0.0);
    COL.assign(NVAR + 2, 0.0);
    RHS.assign(NVAR + 1, 0.0);
    RHS[0] = 1.0;
    BASIS.assign(MAXM, 0);
    ROWTYP.assign(MAXM, 0);
    CANDI.assign(COLMAX * 10, 0);
    COLI.assign(COLMAX, 0);
    STATUS.assign(MAXN, 0);
    KEEPS.assign(MAXN, 0);
    IDPOSY.assign(MAXN, 0);
    int mreg = NVAR + 1, iprint = 0;
    SETUP(mreg, RHS.data(), iprint, MAXM, MAXN, MAXA, COLMAX, LENMY, B.data(),
          BASCB.data(), BASLB.data(), BASUB.data(), BETAR.data(),
          CANDA.data(), CANDCJ.data(), COLA.data(), UZERO.data(),
          XBZERO.data(), YQ.data(), BASIS.data(), CANDI.data(), COLI.data(),
          ROWTYP.data(), STATUS.data(), ws.data());
  }

  void repc(std::vector<double> column, int& id, int iprint = 0) {
    REPC(column.data(), NMAX, iprint, id, KEEPS.data(), MAXM, MAXN, MAXA,
         COLMAX, LENMY, B.data(), BASCB.data(), BASLB.data(), BASUB.data(),
         BETAR.data(), CANDA.data(), CANDCJ.data(), COLA.data(), UZERO.data(),
         XBZERO.data(), YQ.data(), BASIS.data(), CANDI.data(), COLI.data(),
         ROWTYP.data(), STATUS.data(), ws.data());
  }

  void addbnd(int icd, int j, double val, int iprint = 0) {
    ADDBND(NVAR, icd, j, val, IDPOSY.data(), NMAX, iprint, KEEPS.data(),
           TCLGEN, MAXM, MAXN, MAXA, COLMAX, LENMY, COL.data(), B.data(),
           BASCB.data(), BASLB.data(), BASUB.data(), BETAR.data(),
           CANDA.data(), CANDCJ.data(), COLA.data(), UZERO.data(),
           XBZERO.data(), YQ.data(), BASIS.data(), CANDI.data(), COLI.data(),
           ROWTYP.data(), STATUS.data(), ws.data());
  }

  // Solves the master LP (ICD 0 on the first call); results in the members.
  std::vector<double> PSOLN, DSOLN;
  double VOBJ = 0.0;
  int ITS = 0, IBCH = 0;
  void linear(int icd) {
    PSOLN.assign(MAXN, 0.0);
    DSOLN.assign(MAXM, 0.0);
    std::vector<int> lastbas(MAXM, 0);
    int iprint = 0;
    LINEAR(IBCH, iprint, ITS, PSOLN.data(), DSOLN.data(), VOBJ, icd, MAXM,
           MAXN, MAXA, COLMAX, LENMY, B.data(), BASCB.data(), BASLB.data(),
           BASUB.data(), BETAR.data(), CANDA.data(), CANDCJ.data(),
           COLA.data(), UZERO.data(), XBZERO.data(), YQ.data(), BASIS.data(),
           CANDI.data(), COLI.data(), ROWTYP.data(), STATUS.data(), ws.data(),
           lastbas.data());
  }

  // Column J as stored: (row, value) of its entries, and its cost.
  Entries fetch(int j, double& cj) {
    int collen = 0, ioerr = 8, lenma = 9;
    XGETAJ(cj, COLA.data(), COLI.data(), collen, COLMAX, ioerr, j, lenma,
           LENMY, RVNA.MAPA, ws.data());
    std::vector<std::pair<int, double>> out;
    for (int k = 0; k < collen; ++k)
      if (COLI[k] != MAXM) out.emplace_back(COLI[k], COLA[k]);
    return out;
  }
};

// Objective (posynomial 0): 2 x1^2 x3^-1 + 5 x2 (x2 listed twice in the
// second term: only the first exponent counts) + 4; constraint 1: 0.25 x1 x2.
struct Gp {
  int NVAR = 3, MCON = 1;
  std::vector<double> C = {2.0, 5.0, 4.0, 0.25};
  std::vector<int> KT = {3, 1}, FTERM = {1, 4}, LTERM = {3, 4};
  std::vector<int> NAPP = {2, 2, 0, 2};
  std::vector<int> IDVAR = {1, 3, 2, 2, 1, 2};
  std::vector<double> A = {2.0, -1.0, 1.0, 7.0, 1.0, 1.0};

  void addu(Master& m, int iposy, std::vector<double> u, int iprint = 0,
            int iprg = 0) {
    ADDU(C.data(), A.data(), NVAR, MCON, KT.data(), FTERM.data(), LTERM.data(),
         iposy, m.IDPOSY.data(), m.NMAX, iprint, iprg, u.data(),
         m.KEEPS.data(), m.TCLGEN, IDVAR.data(), NAPP.data(), m.MAXM, m.MAXN,
         m.MAXA, m.COLMAX, m.LENMY, m.COL.data(), m.B.data(), m.BASCB.data(),
         m.BASLB.data(), m.BASUB.data(), m.BETAR.data(), m.CANDA.data(),
         m.CANDCJ.data(), m.COLA.data(), m.UZERO.data(), m.XBZERO.data(),
         m.YQ.data(), m.BASIS.data(), m.CANDI.data(), m.COLI.data(),
         m.ROWTYP.data(), m.STATUS.data(), m.ws.data());
  }
};

TEST(ColumnGeneration, GridPointColumnsOfTermsAndWeights) {
  gptest::ReportFile rep;
  Master m(3, 8);
  Gp gp;
  gp.addu(m, 1, {1.0, 0.0, 0.0, 0.0});
  EXPECT_EQ(m.COL, (std::vector<double>{1.0, 2.0, 0.0, -1.0, std::log(0.5)}));
  EXPECT_EQ(m.TCLGEN, 1);
  EXPECT_EQ(m.IDPOSY[0], 1);
  EXPECT_EQ(m.KEEPS[0], 1);
  EXPECT_EQ(RVNA.N, 1);
  double cj = 0.0;
  auto col = m.fetch(1, cj);
  ASSERT_EQ(col.size(), 3u);  // row 1, rows of x1 and x3; zero dropped
  EXPECT_EQ(col[0], (std::pair<int, double>{1, 1.0}));
  EXPECT_EQ(col[1], (std::pair<int, double>{2, 2.0}));
  EXPECT_EQ(col[2], (std::pair<int, double>{4, -1.0}));
  EXPECT_EQ(cj, static_cast<double>(static_cast<float>(std::log(2.0))));

  // Constraint column: row 1 is 0 and dropped.
  gp.addu(m, 2, {0.0, 0.0, 0.0, 1.0});
  EXPECT_EQ(m.COL, (std::vector<double>{0.0, 1.0, 1.0, 0.0, std::log(4.0)}));
  EXPECT_EQ(m.IDPOSY[1], 2);

  // Weight 0 on the first term: no exponent, no logarithm of zero; x2 listed
  // twice counts once (0.75 * 1, not 0.75 * (1 + 7)).
  gp.addu(m, 1, {0.0, 0.75, 0.25, 0.0});
  const double w = 0.75 * std::log(0.75 / 5.0) + 0.25 * std::log(0.25 / 4.0);
  EXPECT_EQ(m.COL, (std::vector<double>{1.0, 0.0, 0.75, 0.0, w}));
  EXPECT_TRUE(rep.lines().empty());
}

TEST(ColumnGeneration, BoundColumnsAndBoundsOfOne) {
  gptest::ReportFile rep;
  Master m(3, 8);
  m.addbnd(-1, 2, 1.0);
  EXPECT_EQ(m.COL, (std::vector<double>{0.0, 0.0, -1.0, 0.0, -0.0}));
  EXPECT_EQ(m.IDPOSY[0], -1);
  m.addbnd(-1, 1, 2.0);
  EXPECT_EQ(m.COL[4], -std::log(2.0));
  m.addbnd(-2, 1, 2.0);
  EXPECT_EQ(m.COL[1], 1.0);
  EXPECT_EQ(m.COL[4], -std::log(0.5));
  EXPECT_EQ(m.TCLGEN, 3);
  EXPECT_EQ(m.KEEPS, (std::vector<int>{1, 1, 1, 0, 0, 0, 0, 0, 0}));
  double cj = 1.0;
  auto col = m.fetch(1, cj);
  EXPECT_EQ(cj, 0.0);
  ASSERT_EQ(col.size(), 1u);
  EXPECT_EQ(col[0], (std::pair<int, double>{3, -1.0}));
}

TEST(MasterStore, ReplacementSkipsKeptBasicAndLogicalColumns) {
  gptest::ReportFile rep;
  Master m(3, 5);
  int id = 0;
  for (int j = 1; j <= 5; ++j) m.repc({1.0, double(j), 0, 0, 0}, id);
  EXPECT_EQ(RVNA.N, 5);
  // 1 kept, 2 basic, 3 at an intermediate value, 4 a logical column (status
  // -3), 5 at its upper bound: replaceable.
  m.KEEPS[0] = 1;
  m.STATUS = {0, 2, 9, -3, -1, 0};
  m.repc({0, 0, 0, 1.0, 0}, id);
  EXPECT_EQ(id, 5);
  EXPECT_EQ(m.STATUS[4], 0);
  EXPECT_EQ(RVNA.N, 5);
  double cj = 0.0;
  auto col = m.fetch(5, cj);
  ASSERT_EQ(col.size(), 1u);
  EXPECT_EQ(col[0], (std::pair<int, double>{4, 1.0}));
}

// Once the store is full, the column replaced is the one out of use longest:
// not basic in the most solves, and among equals the smallest number.  The
// latest iteration's columns must not be the first to go (the master LP
// would forget each new cut after one iteration).
TEST(MasterStore, ReplacementTakesTheLeastRecentlyUsedColumn) {
  gptest::ReportFile rep;
  Master m(3, 4);
  int id = 0;
  for (int j = 1; j <= 4; ++j) m.repc({1.0, double(j), 0, 0, 0}, id);
  std::vector<int> basis = {3, 0, 0, 0};  // solve 1: column 3 basic
  gp::master_columns::solved(basis.data(), 4);
  m.repc({0, 1.0, 0, 0, 0}, id);  // all nonbasic now; 3 was of use
  EXPECT_EQ(id, 1);
  basis = {0, 0, 0, 0};           // solve 2: nothing basic
  gp::master_columns::solved(basis.data(), 4);
  m.repc({0, 2.0, 0, 0, 0}, id);  // not 1 again: 2 and 4 are older
  EXPECT_EQ(id, 2);
  m.repc({0, 3.0, 0, 0, 0}, id);
  EXPECT_EQ(id, 4);
  m.KEEPS[2] = 1;                 // 3 kept: 1 is the oldest left
  m.repc({0, 4.0, 0, 0, 0}, id);
  EXPECT_EQ(id, 1);
}

// Re-centring the stored costs on a price vector t changes what the engine
// holds (the costs become c - t.a) but not the master LP that LINEAR hands
// back: the same optimum, weights and prices, from the same basis.  Master
// LP of min x1 + x2 + 1/(x1 x2) (optimum 3): one column per term and the
// grid point (1/3, 1/3, 1/3).
void solve_three_term_master(Master& m) {
  int id = 0;
  m.repc({1.0, 1.0, 0.0, 0.0}, id);
  m.repc({1.0, 0.0, 1.0, 0.0}, id);
  m.repc({1.0, -1.0, -1.0, 0.0}, id);
  m.repc({1.0, 0.0, 0.0, std::log(1.0 / 3.0)}, id);  // w = sum u ln(u/c)
  m.linear(0);
}

// A warm re-solve from the optimal basis ends at once with the same
// optimum, prices and weights.
void expect_same_solution(Master& m, double vobj,
                          const std::vector<double>& dsoln,
                          const std::vector<double>& psoln, double tol) {
  m.linear(1);
  ASSERT_EQ(m.ITS, 1);
  EXPECT_EQ(m.IBCH, 0);
  EXPECT_NEAR(m.VOBJ, vobj, tol);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(m.DSOLN[i], dsoln[i], tol) << i;
  for (int j = 0; j < 4; ++j) EXPECT_NEAR(m.PSOLN[j], psoln[j], tol) << j;
}

TEST(MasterStore, RecentredCostsLeaveTheMasterLpUnchanged) {
  gptest::ReportFile rep;
  Master m(2, 8);
  int id = 0;
  const double third = 1.0 / 3.0;
  solve_three_term_master(m);
  ASSERT_EQ(m.ITS, 1);
  EXPECT_NEAR(std::exp(-m.VOBJ), 3.0, 1e-6);
  const auto psoln = m.PSOLN;
  const auto dsoln = m.DSOLN;
  const double vobj = m.VOBJ;

  std::vector<double> t = {0.7, -1.3, 2.1};
  gp::master_columns::recentre(t.data(), 3, m.BASIS.data(), m.BASCB.data(),
                               m.COLA.data(), m.COLI.data(), m.COLMAX,
                               m.LENMY, m.MAXA, m.MAXN, m.MAXM, m.ws.data());
  double cj = 0.0;
  m.fetch(3, cj);  // c = 0, a = (1, -1, -1): c - t.a = -0.7 - 1.3 + 2.1
  EXPECT_NEAR(cj, 0.1, 1e-6);
  m.fetch(4, cj);
  EXPECT_NEAR(cj, std::log(3.0) - 0.7, 1e-6);

  expect_same_solution(m, vobj, dsoln, psoln, 1e-6);

  // A column stored afterwards is shifted too: the same LP as before.
  m.repc({1.0, 0.0, 0.0, std::log(third)}, id);
  m.fetch(id, cj);
  EXPECT_NEAR(cj, std::log(3.0) - 0.7, 1e-6);
}

// Shifting the orthogonality rows by a reference objective column
// (row i minus r(i) times row 1) stores the objective columns as their
// differences to the reference and moves the right-hand side, but LINEAR
// hands back the same master LP: optimum, weights, and the prices of the LP
// as set up (the normality price differs in the engine).  Same master LP as
// above; the reference is column 1, a = (1, 1, 0), so r = (1, 0).
TEST(MasterStore, ShiftedRowsLeaveTheMasterLpUnchanged) {
  gptest::ReportFile rep;
  Master m(2, 8);
  int id = 0;
  solve_three_term_master(m);
  ASSERT_EQ(m.ITS, 1);
  const auto psoln = m.PSOLN;
  const auto dsoln = m.DSOLN;
  const double vobj = m.VOBJ;

  int ref = 0;
  EXPECT_GT(gp::master_columns::row_spread(m.BASIS.data(), m.XBZERO.data(),
                                           3, ref),
            0.0);
  EXPECT_GE(ref, 1);
  ASSERT_TRUE(gp::master_columns::shift_rows(
      1, 3, m.B.data(), m.BASIS.data(), m.BASCB.data(), m.STATUS.data(),
      m.XBZERO.data(), m.COLA.data(), m.COLI.data(), m.COLMAX, m.LENMY,
      m.MAXA, m.MAXN, m.MAXM, m.ws.data()));
  EXPECT_EQ(m.B[1], -1.0);
  EXPECT_EQ(m.B[2], 0.0);
  double cj = 0.0;
  EXPECT_EQ(m.fetch(3, cj), (Entries{{1, 1.0}, {2, -2.0}, {3, -1.0}}));
  EXPECT_EQ(m.fetch(1, cj), (Entries{{1, 1.0}}));
  // The basic values are those of the same vertex.
  for (int i = 0; i < 3; ++i) {
    if (m.BASIS[i] > 0) {
      EXPECT_NEAR(m.XBZERO[i], psoln[m.BASIS[i] - 1], 1e-12) << i;
    }
  }

  expect_same_solution(m, vobj, dsoln, psoln, 1e-12);

  // A column stored afterwards is stored shifted; one without a normality
  // entry is not.
  m.repc({1.0, 2.0, 3.0, 0.0}, id);
  EXPECT_EQ(m.fetch(id, cj), (Entries{{1, 1.0}, {2, 1.0}, {3, 3.0}}));
  m.repc({0.0, 2.0, 3.0, 0.0}, id);
  EXPECT_EQ(m.fetch(id, cj), (Entries{{2, 2.0}, {3, 3.0}}));
}

// Grid-point columns of late iterations differ by less than 1e-10 in some
// rows, and once the rows are shifted whole columns are that small: the
// master LP's factorisation must then keep such entries.  Basis of the
// columns (1, a) and (1, a + d), a = 1e-4 and d about 5e-11 (both exact in
// 32 bits), shifted by the first: (1, 0) and (1, d).  Nonsingular, with
// basic values d^-1 (a + d, -a); dropping entries up to 1e-10 makes it
// singular.
TEST(MasterStore, TinyDifferencesBetweenShiftedColumnsAreKept) {
  gptest::ReportFile rep;
  Master m(1, 8);
  const double a = static_cast<double>(1.0e-4f);
  const double ad = static_cast<double>(
      std::nextafter(std::nextafter(1.0e-4f, 1.0f), 1.0f));  // a + 2 ulp
  const double d = ad - a;
  ASSERT_LT(d, 1.0e-10);
  int id = 0;
  m.repc({1.0, a, 0.0}, id);
  m.repc({1.0, ad, 0.0}, id);
  m.BASIS[0] = 1;
  m.BASIS[1] = 2;
  m.STATUS[0] = 1;
  m.STATUS[1] = 2;
  ASSERT_TRUE(gp::master_columns::shift_rows(
      1, 2, m.B.data(), m.BASIS.data(), m.BASCB.data(), m.STATUS.data(),
      m.XBZERO.data(), m.COLA.data(), m.COLI.data(), m.COLMAX, m.LENMY,
      m.MAXA, m.MAXN, m.MAXM, m.ws.data()));
  double cj = 0.0;
  EXPECT_EQ(m.fetch(2, cj),
            (Entries{{1, 1.0}, {2, d}}));
  EXPECT_NEAR(m.XBZERO[0] * d / ad, 1.0, 1e-9);
  EXPECT_NEAR(m.XBZERO[1] * d / -a, 1.0, 1e-9);
}

// Orthogonality rows implied by earlier ones.  Rows: 1 normality, 2..5 the
// variables x1..x4 of terms x1 x2^3, x1^-1 x2^-3 x3, x3^-1; x4 in no term.
TEST(MasterStore, RedundantRowsAreTheCombinationsOfEarlierRows) {
  using Span = std::vector<std::vector<std::pair<int, double>>>;
  const Span terms = {{{2, 1.0}, {3, 3.0}}, {{2, -1.0}, {3, -3.0}, {4, 1.0}},
                      {{4, -1.0}}};
  EXPECT_EQ(gp::redundant_rows(5, terms),
            (std::vector<bool>{false, false, true, false, true}));
  // A bound on x2 adds its unit vector: no longer a combination.
  Span bounded = terms;
  bounded.push_back({{3, 1.0}});
  EXPECT_EQ(gp::redundant_rows(5, bounded),
            (std::vector<bool>{false, false, false, false, true}));
  // Nearly but not exactly dependent (1e-4 off): kept.
  Span near = terms;
  near[1][1].second = -3.0001;
  EXPECT_EQ(gp::redundant_rows(5, near),
            (std::vector<bool>{false, false, false, false, true}));
}

// A warm solve works on a perturbed right-hand side; what LINEAR hands back
// must be the vertex of the LP as stated: the right-hand side unchanged bit
// for bit, weights at least 0 with A x = B to rounding, and the optimum of a
// cold solve of the same columns.  Random master LPs of small GPs (terms in
// pairs of opposite exponents, so that the first master LP is feasible),
// grid-point columns of random weights added between solves.  Many of them
// have a variable whose exponents depend on others' (a redundant row), or
// an artificial basic at zero after the first solve; their re-solves used
// to be abandoned over refused pivots of rounding size.  On some the
// perturbed optimal basis is infeasible once B is restored, which the dual
// simplex has to mend: the test checks that this path was taken.
TEST(MasterStore, WarmSolvesReturnTheUnperturbedVertex) {
  gptest::ReportFile rep;
  struct Perturbed {  // every warm solve, not only after a long one
    Perturbed() { gp::master_perturbation::force(true); }
    ~Perturbed() { gp::master_perturbation::force(false); }
  } perturbed;
  std::mt19937 gen(1);
  auto uniform = [&] { return (gen() + 0.5) / 4294967296.0; };  // (0, 1)
  int cleanups = 0;
  for (int trial = 0; trial < 40; ++trial) {
    const int nvar = 3 + trial % 2, nterm = 2 * nvar + 2;
    std::vector<std::vector<double>> terms;
    std::vector<double> coef;
    for (int k = 0; k < nterm; k += 2) {
      std::vector<double> a(nvar);
      for (double& e : a) e = static_cast<double>(gen() % 5) - 2.0;
      terms.push_back(a);
      for (double& e : a) e = -e;
      terms.push_back(a);
      coef.push_back(uniform());
      coef.push_back(uniform());
    }
    // Column of the objective at grid point u: (sum u, sum u a, sum u ln(u/c)).
    auto column = [&](const std::vector<double>& u) {
      std::vector<double> col(nvar + 2, 0.0);
      for (int k = 0; k < nterm; ++k) {
        if (u[k] == 0.0) continue;
        col[0] += u[k];
        for (int v = 0; v < nvar; ++v) col[1 + v] += u[k] * terms[k][v];
        col[nvar + 1] += u[k] * std::log(u[k] / coef[k]);
      }
      return col;
    };
    std::vector<std::vector<double>> columns;
    for (int k = 0; k < nterm; ++k) {
      std::vector<double> u(nterm, 0.0);
      u[k] = 1.0;
      columns.push_back(column(u));
    }
    // The rows of variables whose exponents depend on others' are stored
    // as zeros, as INITLP arranges for a program.
    std::vector<std::vector<std::pair<int, double>>> span;
    for (const auto& a : terms) {
      span.emplace_back();
      for (int v = 0; v < nvar; ++v)
        if (a[v] != 0.0) span.back().emplace_back(2 + v, a[v]);
    }
    const std::vector<bool> redundant = gp::redundant_rows(nvar + 1, span);
    Master m(nvar, 40);
    gp::master_columns::mark_redundant(redundant);
    int id = 0;
    for (const auto& c : columns) m.repc(c, id);
    m.linear(0);
    ASSERT_EQ(m.ITS, 1);
    const std::vector<double> rhs = m.B;
    for (int solve = 0; solve < 12; ++solve) {
      std::vector<double> u(nterm);
      double sum = 0.0;
      for (double& w : u) sum += (w = uniform() < 0.5 ? 0.0 : uniform());
      if (sum == 0.0) continue;
      for (double& w : u) w /= sum;
      columns.push_back(column(u));
      m.repc(columns.back(), id);
      m.linear(1);
      ASSERT_EQ(m.ITS, 1) << "trial " << trial << " solve " << solve;
      EXPECT_EQ(m.B, rhs);
      std::vector<double> r(nvar + 1, 0.0);
      r[0] = -1.0;
      for (int j = 1; j <= RVNA.N; ++j) {
        double cj = 0.0;
        EXPECT_GE(m.PSOLN[j - 1], 0.0) << "column " << j;
        for (const auto& [row, a] : m.fetch(j, cj))
          if (row <= nvar + 1) r[row - 1] += a * m.PSOLN[j - 1];
      }
      for (double ri : r) EXPECT_NEAR(ri, 0.0, 1e-12);
    }
    cleanups += gp::master_perturbation::dual_cleanups();
    Master cold(nvar, 40);
    gp::master_columns::mark_redundant(redundant);
    for (const auto& c : columns) cold.repc(c, id);
    cold.linear(0);
    ASSERT_EQ(cold.ITS, 1);
    EXPECT_NEAR(m.VOBJ, cold.VOBJ, 1e-9 * (1.0 + std::fabs(cold.VOBJ)))
        << "trial " << trial;
  }
  EXPECT_GT(cleanups, 0);
}

TEST(MasterStore, NoReplaceableColumnRecordsNothing) {
  gptest::ReportFile rep;
  Master m(3, 2);
  Gp gp;
  gp.addu(m, 1, {1.0, 0, 0, 0});
  gp.addu(m, 2, {0, 0, 0, 1.0});
  ASSERT_EQ(m.TCLGEN, 2);
  m.IDPOSY = {1, 2, 0};
  m.KEEPS = {0, 1, 0};
  m.STATUS = {1, 0, 0};  // column 1 basic, column 2 kept
  gp.addu(m, 1, {0.5, 0.5, 0, 0});
  m.addbnd(-1, 1, 3.0);
  EXPECT_EQ(m.TCLGEN, 2);
  EXPECT_EQ(m.IDPOSY, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(m.KEEPS, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(RVNA.N, 2);
  auto l = rep.lines();
  ASSERT_EQ(l.size(), 6u);
  EXPECT_EQ(l[4], "REPCOL.. NO REPLACEABLE COLUMN COULD BE FOUND");
  int id = 77;
  m.repc({1.0, 0, 0, 0, 0}, id);
  EXPECT_EQ(id, 77);
}

// Objective 2 x1^2/x2 + 3 (no pairs) + x2; constraint 1: seven terms 0.5 x1.
TEST(PrimalValues, PsubsTermsAndPosynomials) {
  gptest::ReportFile rep;
  int mcon = 1, kttot = 10, print = 0;
  std::vector<double> C = {2.0, 3.0, 1.0, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
  std::vector<int> KT = {3, 7}, NAPP = {2, 0, 1, 1, 1, 1, 1, 1, 1, 1};
  std::vector<int> IDVAR = {1, 2, 2, 1, 1, 1, 1, 1, 1, 1};
  std::vector<double> A = {2.0, -1.0, 1.0, 1, 1, 1, 1, 1, 1, 1};
  std::vector<double> x = {2.0, 4.0}, term(10), vposy(2);
  PSUBS(mcon, print, x.data(), A.data(), C.data(), KT.data(), kttot,
        term.data(), vposy.data(), IDVAR.data(), NAPP.data());
  EXPECT_DOUBLE_EQ(term[0], 2.0);
  EXPECT_EQ(term[1], 3.0);
  EXPECT_EQ(term[2], 4.0);
  EXPECT_DOUBLE_EQ(vposy[0], 9.0);
  EXPECT_DOUBLE_EQ(vposy[1], 7.0);
}

// 50 failed re-solves among the last 100 end a solve: 50 in a row, or
// failures alternating with solves; 49 in any 100 never do.
TEST(FailureWindow, FiftyOfTheLastHundred) {
  gp::FailureWindow in_a_row(100, 50);
  for (int i = 1; i < 50; ++i) EXPECT_FALSE(in_a_row.record(true)) << i;
  EXPECT_TRUE(in_a_row.record(true));

  gp::FailureWindow alternating(100, 50);
  int ended_at = 0;
  for (int i = 1; i <= 200 && ended_at == 0; ++i)
    if (alternating.record(i % 2 == 0)) ended_at = i;
  EXPECT_EQ(ended_at, 100);

  gp::FailureWindow sparse(100, 50);
  for (int i = 1; i <= 1000; ++i) {
    const bool failed = i % 100 < 49;  // 49 failures, then 51 solves
    ASSERT_FALSE(sparse.record(failed)) << i;
  }
}

}  // namespace
