// master_lp.cpp — the master LP of the generalised linear programming method,
// between the solver and the LP engine.
//
//   SETUP   empty master LP: engine parameters in RVNA, workspace map (XMAPS),
//           right-hand sides, no basis
//   REPC    pack a generated column and store it (append, or overwrite a
//           column that is neither kept, nor basic, nor logical)
//   (LINEAR, the solve, is in master_solve.cpp)
//
// All engine parameters are kept in the process-wide record RVNA, so callers
// see only the arrays.  Rows are equalities: row 1 normality (rhs 1), row 1+v
// orthogonality of variable v (rhs 0).  Column cost = -(log-cost term w).
//
// Logical columns: the first solve appends one artificial per row after the
// structural columns.  When none of them is basic at the optimum they are no
// longer counted and later columns reuse their storage.  When one is still
// basic (at value zero: a redundant orthogonality row, a variable that appears
// in no term), all of them stay counted: storing a new column over a basic
// column would change the basis matrix behind the factorisation's back.
// REPC never overwrites a logical column (status -3): their slices hold one
// entry only.
#include "gp/report_line.h"
#include "gp/solver.h"
#include "io/one_based.h"
#include "lp/engine.h"
#include "lp/workspace.h"

using gp::Line;

namespace {

constexpr int kArtificial = -3;  // status of an equality row's artificial

}  // namespace

void SETUP(int& MREG, double* RHS, int& IPRINT, int& MAXM, int& MAXN,
           int& MAXA, int& COLMAX, int& LENMY, double* B, double* /*BASCB*/,
           double* /*BASLB*/, double* /*BASUB*/, double* /*BETAR*/,
           double* /*CANDA*/, double* /*CANDCJ*/, double* /*COLA*/,
           double* /*UZERO*/, double* /*XBZERO*/, double* /*YQ*/, int* BASIS,
           int* /*CANDI*/, int* /*COLI*/, int* ROWTYP, int* /*STATUS*/,
           double* MEMORY) {
  (void)COLMAX;
  // 1. Engine parameters of the master LP.
  RVNA.N = 0;
  RVNA.PICK = 10;
  RVNA.IOERR = gp::kReport;
  RVNA.IOLOG = gp::kReport;
  RVNA.PRINT = 0;
  RVNA.FACTOR = 50;
  RVNA.LOOK = 200;
  RVNA.BNDTYP = 1;
  RVNA.M = MREG;

  // 2. Workspace map.
  XMAPS(IPRINT, RVNA.BNDTYP, RVNA.IOERR, RVNA.LENMA, RVNA.LENMI, LENMY,
        RVNA.MAPA, RVNA.MAPI, MAXA, MAXM, MAXN, MEMORY);

  if (IPRINT > 0)
    Line(RVNA.IOLOG) << " SETUP.. NUMBER OF REGULAR CONSTRAINTS="
                     << io::I(MREG, 5);

  // 3. Right-hand sides; no basis yet; every row an equality.
  io::F1<double> b(B), rhs(RHS);
  io::F1<int> basis(BASIS), rowtyp(ROWTYP);
  for (int i = 1; i <= MREG; ++i) {
    b(i) = rhs(i);
    basis(i) = 0;
    rowtyp(i) = 0;
  }
}

void REPC(double* COLUMN, int& NMAX, int& IPRINT, int& IDNO, int* KEEPS,
          int& MAXM, int& MAXN, int& MAXA, int& COLMAX, int& LENMY,
          double* /*B*/, double* /*BASCB*/, double* /*BASLB*/,
          double* /*BASUB*/, double* /*BETAR*/, double* /*CANDA*/,
          double* /*CANDCJ*/, double* COLA, double* /*UZERO*/,
          double* /*XBZERO*/, double* /*YQ*/, int* /*BASIS*/, int* /*CANDI*/,
          int* COLI, int* /*ROWTYP*/, int* STATUS, double* MEMORY) {
  io::F1<double> column(COLUMN), cola(COLA);
  io::F1<int> coli(COLI), keeps(KEEPS), status(STATUS);
  const int m = RVNA.M;

  // 1. Pack: every entry that is not exactly zero; an empty column becomes a
  //    single 0.0 in row 1.
  int len = 0;
  for (int i = 1; i <= m; ++i) {
    if (column(i) != 0.0) {
      ++len;
      coli(len) = i;
      cola(len) = column(i);
    }
  }
  RVNA.CJ = -column(m + 1);
  if (len == 0) {
    len = 1;
    coli(1) = 1;
    cola(1) = 0.0;
  }
  RVNA.COLLEN = len;

  // 2. Trace.
  if (IPRINT > 0) {
    Line(RVNA.IOLOG) << " REPCOL... THIS COLUMN HAS COST "
                     << io::E(RVNA.CJ, 12, 4);
    Line(RVNA.IOLOG) << "          ROW   VALUE";
    for (int k = 1; k <= len; ++k)
      Line(RVNA.IOLOG) << "          " << io::I(coli(k), 3)
                       << io::E(cola(k), 12, 4);
  }

  // 3. Column number: append while there is room, else the first column that
  //    is not kept, not basic and not a logical column.
  int j = 0;
  if (RVNA.N < NMAX) {
    RVNA.N = RVNA.N + 1;
    j = RVNA.N;
  } else {
    for (int i = 1; i <= RVNA.N; ++i) {
      if (keeps(i) != 0 || status(i) > 0 || status(i) == kArtificial) continue;
      j = i;
      break;
    }
    if (j == 0) {
      Line(RVNA.IOERR) << " ";
      Line(RVNA.IOERR) << " REPCOL.. NO REPLACEABLE COLUMN COULD BE FOUND";
      Line(RVNA.IOERR) << " INCREASE THE MAXIMUM NUMBER OF COLUMNS ALLOWED";
      return;
    }
  }

  // 4. Store.
  XREPAJ(RVNA.CJ, COLA, COLI, RVNA.COLLEN, COLMAX, RVNA.IOERR, j, RVNA.LENMA,
         LENMY, RVNA.MAPA, MEMORY, RVNA.N, MAXA, MAXN, MAXM);

  if (IPRINT > 0)
    Line(RVNA.IOLOG) << "     COLUMN NUMBER IS " << io::I(j, 5);
  IDNO = j;
  status(j) = 0;
}

