// initial_master.cpp — INITLP, the first master LP: one column per term (the
// grid point with all weight on that term), one per variable bound above
// 1.0e-6, solved from the all-artificial basis.  Before the first column it
// marks the orthogonality rows that other rows imply over every column the
// program can generate (gp/master_columns.h).
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "gp/master_columns.h"
#include "gp/report_line.h"
#include "gp/solver.h"
#include "io/one_based.h"

using gp::kReport;
using gp::Line;

namespace {

// Vectors that span the orthogonality rows' part of every column the
// solver can generate: per term, its exponents (the first pair naming a
// variable counts, as in ADDU); per bounded variable, its row's unit
// vector.
std::vector<std::vector<std::pair<int, double>>> column_span(
    double* A, int NVAR, int MCON, int KTTOT, int* FTERM, int* LTERM,
    int NLB, int NUB, double* SLB, double* SUB, int* IDVAR, int* NAPP,
    double no_bound) {
  io::F1<double> a(A), slb(SLB), sub(SUB);
  io::F1<int> fterm(FTERM), lterm(LTERM), idvar(IDVAR), napp(NAPP);
  std::vector<std::vector<std::pair<int, double>>> span;
  std::vector<int> seen(static_cast<std::size_t>(NVAR) + 1, 0);
  long long p = 0;
  for (int iposy = 1; iposy <= MCON + 1; ++iposy) {
    for (int k = fterm(iposy); k <= lterm(iposy) && k <= KTTOT; ++k) {
      std::vector<std::pair<int, double>> g;
      for (long long i = p + 1; i <= p + napp(k); ++i) {
        const int v = idvar(i);
        if (v < 1 || v > NVAR || seen[static_cast<std::size_t>(v)] == k)
          continue;
        seen[static_cast<std::size_t>(v)] = k;
        if (a(i) != 0.0) g.emplace_back(1 + v, a(i));
      }
      p += napp(k);
      span.push_back(std::move(g));
    }
  }
  for (int v = 1; v <= NVAR; ++v)
    if ((NLB != 0 && slb(v) > no_bound) || (NUB != 0 && sub(v) > no_bound))
      span.push_back({{1 + v, 1.0}});
  return span;
}

}  // namespace

void INITLP(double* C, double* A, int& NVAR, int& MCON, int* KT, int& KTTOT,
            int* FTERM, int* LTERM, int& NLB, int& NUB, double* SLB,
            double* SUB, double* X, double* PI, int& IFLAG1, int* IDPOSY,
            double& V, int& IPRINT, int& IPRG, int& NMAX, int& TCLGEN,
            int* IDVAR, int* NAPP, int& MAXM, int& MAXN, int& MAXA,
            int& COLMAX, int& LENMY, double* COL, double* B, double* BASCB,
            double* BASLB, double* BASUB, double* BETAR, double* CANDA,
            double* CANDCJ, double* COLA, double* UZERO, double* XBZERO,
            double* YQ, int* BASIS, int* CANDI, int* COLI, int* ROWTYP,
            int* STATUS, double* MEMORY, double* U, double* RHS, int* KEEPS,
            int* LASTBAS) {
  // A bound of at most the single-precision 1.0e-6 means "no bound".
  const double kNoBound = static_cast<double>(1.0e-6f);
  io::F1<double> rhs(RHS), u(U), slb(SLB), sub(SUB);
  io::F1<int> fterm(FTERM), lterm(LTERM);

  // 1. Rows: normality (rhs 1) and one orthogonality row per variable.
  for (int i = 1; i <= NVAR + 1; ++i) rhs(i) = i == 1 ? 1.0 : 0.0;
  int mreg = NVAR + 1;
  SETUP(mreg, RHS, IPRINT, MAXM, MAXN, MAXA, COLMAX, LENMY, B, BASCB, BASLB,
        BASUB, BETAR, CANDA, CANDCJ, COLA, UZERO, XBZERO, YQ, BASIS, CANDI,
        COLI, ROWTYP, STATUS, MEMORY);
  gp::master_columns::mark_redundant(gp::redundant_rows(
      mreg, column_span(A, NVAR, MCON, KTTOT, FTERM, LTERM, NLB, NUB, SLB,
                        SUB, IDVAR, NAPP, kNoBound)));

  // 2.-4. One column per term.
  if (IPRG == 1) {
    Line(kReport) << " ";
    Line(kReport) << " ";
    Line(kReport) << " INITIAL GRID POINTS:";
    Line(kReport) << " ";
  }
  for (int k = 1; k <= KTTOT; ++k) u(k) = 0.0;
  for (int iposy = 1; iposy <= MCON + 1; ++iposy) {
    for (int k = fterm(iposy); k <= lterm(iposy); ++k) {
      u(k) = 1.0;
      ADDU(C, A, NVAR, MCON, KT, FTERM, LTERM, iposy, IDPOSY, NMAX, IPRINT,
           IPRG, U, KEEPS, TCLGEN, IDVAR, NAPP, MAXM, MAXN, MAXA, COLMAX, LENMY,
           COL, B, BASCB, BASLB, BASUB, BETAR, CANDA, CANDCJ, COLA, UZERO,
           XBZERO, YQ, BASIS, CANDI, COLI, ROWTYP, STATUS, MEMORY);
      u(k) = 0.0;
    }
  }

  // 5.-6. Bound columns: the lower bounds (ICD -1) when NLB is not 0, then
  // the upper bounds (ICD -2) when NUB is not 0.
  auto add_bounds = [&](int count, io::F1<double> bound, int icd) {
    if (count == 0) return;
    for (int j = 1; j <= NVAR; ++j)
      if (bound(j) > kNoBound)
        ADDBND(NVAR, icd, j, bound(j), IDPOSY, NMAX, IPRINT, KEEPS, TCLGEN,
               MAXM, MAXN, MAXA, COLMAX, LENMY, COL, B, BASCB, BASLB, BASUB,
               BETAR, CANDA, CANDCJ, COLA, UZERO, XBZERO, YQ, BASIS, CANDI,
               COLI, ROWTYP, STATUS, MEMORY);
  };
  add_bounds(NLB, slb, -1);
  add_bounds(NUB, sub, -2);

  // 7. First solve.
  int ibch = 0, icd = 0;
  LINEAR(ibch, IPRINT, IFLAG1, X, PI, V, icd, MAXM, MAXN, MAXA, COLMAX, LENMY,
         B, BASCB, BASLB, BASUB, BETAR, CANDA, CANDCJ, COLA, UZERO, XBZERO, YQ,
         BASIS, CANDI, COLI, ROWTYP, STATUS, MEMORY, LASTBAS);

  // 8. A first LP that is not optimal is reported; the caller decides.
  if (IFLAG1 > 1) {
    Line(kReport) << " **********WARNING... LINEAR RETURNS FLAG"
                  << io::I(IFLAG1, 5);
    Line(kReport) << " ";
  }

  // 9. First estimate.
  const double v1 = -V;
  const double expv = std::exp(v1);
  Line(kReport) << " ";
  Line(kReport) << " **********************************************";
  Line(kReport) << " ";
  Line(kReport) << " INITIAL LP SOLUTION IS" << io::F(v1, 15, 6) << " =LOG("
                << io::E(expv, 15, 6) << ")";
}
