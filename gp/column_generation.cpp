// column_generation.cpp — master-LP columns from the geometric program.
//
//   ADDU    posynomial IPOSY condensed at a grid point U of term weights:
//           row 1 = 1 for the objective, row 1+v = sum_k U(k)*a(k,v),
//           log-cost w = sum_{U(k)>0} U(k)*ln(U(k)/C(k))
//   ADDBND  a variable bound as the one-term monomial constraint it stands
//           for: lower L/x(J) <= 1, upper x(J)/Uj <= 1, at weight 1
//
// Both build the column in COL(1..NVAR+2) (rows, then w), store it through
// REPC and record IDPOSY/KEEPS/TCLGEN for the column number REPC used.  When
// REPC finds no replaceable column nothing is stored, and nothing is recorded
// either (no bookkeeping under a stale column number; TCLGEN unchanged, which
// tells the caller that no column was added).
#include <cmath>
#include <vector>

#include "gp/report_line.h"
#include "gp/solver.h"
#include "io/one_based.h"

using gp::kReport;
using gp::Line;

void ADDU(double* C, double* A, int& NVAR, int& /*MCON*/, int* /*KT*/,
          int* FTERM, int* LTERM, int& IPOSY, int* IDPOSY, int& NMAX,
          int& IPRINT, int& IPRG, double* U, int* KEEPS, int& TCLGEN,
          int* IDVAR, int* NAPP, int& MAXM, int& MAXN, int& MAXA, int& COLMAX,
          int& LENMY, double* COL, double* B, double* BASCB, double* BASLB,
          double* BASUB, double* BETAR, double* CANDA, double* CANDCJ,
          double* COLA, double* UZERO, double* XBZERO, double* YQ, int* BASIS,
          int* CANDI, int* COLI, int* ROWTYP, int* STATUS, double* MEMORY) {
  io::F1<double> c(C), a(A), u(U), col(COL);
  io::F1<int> fterm(FTERM), lterm(LTERM), idvar(IDVAR), napp(NAPP),
      idposy(IDPOSY), keeps(KEEPS);
  const int k0 = fterm(IPOSY);
  const int k1 = lterm(IPOSY);

  // 1.-2. Empty column; normality row for the objective.
  for (int i = 1; i <= NVAR + 2; ++i) col(i) = 0.0;
  if (IPRINT > 0)
    Line(kReport) << " ENTER ADDU     IPOSY=" << io::I(IPOSY - 1, 3);
  if (IPOSY == 1) col(1) = 1.0;

  // 3. First pair of term K0.
  long long istart = 0;
  for (int k = 1; k < k0; ++k) istart += napp(k);

  // 4. Orthogonality rows: the weighted exponent sums, term by term in order
  //    (so each row sums its terms in increasing k).  Only the first pair of a
  //    term naming a variable counts; a zero weight adds nothing.
  std::vector<int> seen(static_cast<size_t>(NVAR) + 1, 0);
  long long p = istart;
  for (int k = k0; k <= k1; ++k) {
    const int nk = napp(k);
    if (u(k) != 0.0) {
      for (long long i = p + 1; i <= p + nk; ++i) {
        const int v = idvar(i);
        if (v < 1 || v > NVAR || seen[v] == k) continue;
        seen[v] = k;
        col(1 + v) += u(k) * a(i);
      }
    }
    p += nk;
  }

  // 5. Log-cost term over the positive weights.
  double w = 0.0;
  for (int k = k0; k <= k1; ++k)
    if (u(k) > 0.0) w += u(k) * std::log(u(k) / c(k));
  col(NVAR + 2) = w;

  // 6.-7. Store and record.
  int id = 0;
  REPC(COL, NMAX, IPRINT, id, KEEPS, MAXM, MAXN, MAXA, COLMAX, LENMY, B, BASCB,
       BASLB, BASUB, BETAR, CANDA, CANDCJ, COLA, UZERO, XBZERO, YQ, BASIS,
       CANDI, COLI, ROWTYP, STATUS, MEMORY);
  if (id > 0) {
    TCLGEN = TCLGEN + 1;
    idposy(id) = IPOSY;
    keeps(id) = 1;

    // 8. Grid point.
    if (IPRG > 0) {
      Line(kReport) << " *** ADD COL" << io::I(id, 3) << "     POSY"
                    << io::I(IPOSY - 1, 3) << "     GRID POINT (U) IS";
      for (int k = k0; k <= k1; k += 5) {
        Line line(kReport);
        line << "     ";
        for (int kk = k; kk <= k1 && kk < k + 5; ++kk)
          line << io::E(u(kk), 12, 4);
      }
    }
  }
  if (IPRINT > 0) Line(kReport) << " EXIT ADDU";
}

void ADDBND(int& NVAR, int& ICD, int& J, double& VAL, int* IDPOSY, int& NMAX,
            int& IPRINT, int* KEEPS, int& TCLGEN, int& MAXM, int& MAXN,
            int& MAXA, int& COLMAX, int& LENMY, double* COL, double* B,
            double* BASCB, double* BASLB, double* BASUB, double* BETAR,
            double* CANDA, double* CANDCJ, double* COLA, double* UZERO,
            double* XBZERO, double* YQ, int* BASIS, int* CANDI, int* COLI,
            int* ROWTYP, int* STATUS, double* MEMORY) {
  constexpr int kUpper = -2;  // ICD of an upper bound; anything else = lower
  io::F1<double> col(COL);
  io::F1<int> idposy(IDPOSY), keeps(KEEPS);

  // 1. Empty column.
  for (int i = 1; i <= NVAR + 2; ++i) col(i) = 0.0;
  if (IPRINT > 0)
    Line(kReport) << (ICD == kUpper
                          ? " ENTER ADDBND: COLUMN FROM UPPER BOUND FOR X("
                          : " ENTER ADDBND: COLUMN FROM LOWER BOUND FOR X(")
                  << io::I(J, 4) << ")";

  // 2. The monomial L/x(J) (lower) or x(J)/Uj (upper) at weight 1.
  if (ICD != kUpper) {
    col(J + 1) = -1.0;
    col(NVAR + 2) = -std::log(VAL);
  } else {
    col(J + 1) = 1.0;
    col(NVAR + 2) = -std::log(1.0 / VAL);
  }

  // 3. Store and record.
  int id = 0;
  REPC(COL, NMAX, IPRINT, id, KEEPS, MAXM, MAXN, MAXA, COLMAX, LENMY, B, BASCB,
       BASLB, BASUB, BETAR, CANDA, CANDCJ, COLA, UZERO, XBZERO, YQ, BASIS,
       CANDI, COLI, ROWTYP, STATUS, MEMORY);
  if (id > 0) {
    TCLGEN = TCLGEN + 1;
    idposy(id) = ICD;
    keeps(id) = 1;
  }
  if (IPRINT > 0) Line(kReport) << " EXIT ADDBND";
}
