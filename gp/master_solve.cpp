// master_solve.cpp — LINEAR: solves the master LP from the current basis
// (the all-artificial basis on the first call) and hands back the column
// values, the row prices and the objective; writes the dumps of a failed or
// traced solve.  See master_lp.cpp for the master LP's layout and for the
// treatment of the logical columns after the first solve.
#include "gp/master_columns.h"
#include "gp/report_line.h"
#include "gp/solver.h"
#include "io/one_based.h"
#include "lp/engine.h"
#include "lp/workspace.h"

using gp::Line;

namespace {

constexpr int kOptimal = 1;  // ITS: LP solved to optimality

// Integers, PER_LINE per line, each in WIDTH columns, lines led by 5 blanks.
void dump_ints(int unit, const int* v, int n, int per_line, int width) {
  for (int i = 0; i < n; i += per_line) {
    Line line(unit);
    line << "     ";
    for (int k = i; k < n && k < i + per_line; ++k) line << io::I(v[k], width);
  }
}

}  // namespace

void LINEAR(int& IBCH, int& IPRINT, int& ITS, double* PSOLN, double* DSOLN,
            double& VOBJ, int& ICD, int& MAXM, int& MAXN, int& MAXA,
            int& COLMAX, int& LENMY, double* B, double* BASCB, double* BASLB,
            double* BASUB, double* /*BETAR*/, double* CANDA, double* CANDCJ,
            double* COLA, double* UZERO, double* XBZERO, double* YQ,
            int* BASIS, int* CANDI, int* COLI, int* ROWTYP, int* STATUS,
            double* MEMORY, int* LASTBAS) {
  (void)MAXA;
  io::F1<double> psoln(PSOLN), dsoln(DSOLN), uzero(UZERO), xbzero(XBZERO),
      b(B), cola(COLA);
  io::F1<int> basis(BASIS), lastbas(LASTBAS), coli(COLI);
  const int m = RVNA.M;

  // 1. First solve: the all-artificial starting basis.
  if (basis(1) <= 0) {
    if (IPRINT > 0)
      Line(RVNA.IOLOG) << " LINEAR: USE ARTIFICIAL VARIABLES AS INITIAL BASIS";
    for (int j = 1; j <= m; ++j) lastbas(j) = 0;
    XSLACK(B, BASCB, BASIS, BASLB, BASUB, RVNA.BLOW, RVNA.BNDTYP, RVNA.BOUND,
           COLA, COLI, COLMAX, RVNA.IOERR, RVNA.LENMA, RVNA.LENMI, LENMY,
           RVNA.M, RVNA.MAPA, RVNA.MAPI, MAXM, MAXN, MEMORY, RVNA.N, ROWTYP,
           STATUS, UZERO, XBZERO, RVNA.Z);
  }

  // 2. Trace level of the engine; starting basis.
  RVNA.PRINT = IPRINT;
  auto basis_dump = [&](int unit) {
    Line(unit) << " BASIS VECTOR IS";
    dump_ints(unit, BASIS, m, 10, 5);
  };
  if (IPRINT > 0) basis_dump(RVNA.IOLOG);

  // 3. Remember the starting basis.
  for (int j = 1; j <= m; ++j) lastbas(j) = basis(j);

  // 4. Solve.
  XPRIML(B, BASCB, BASIS, BASLB, BASUB, RVNA.BNDTYP, RVNA.BOUND, RVNA.CAND,
         CANDA, CANDCJ, CANDI, RVNA.CANDL, COLA, COLI, COLMAX, RVNA.FACTOR,
         RVNA.IOERR, RVNA.IOLOG, RVNA.ITER1, RVNA.ITER2, RVNA.LENMA,
         RVNA.LENMI, LENMY, RVNA.LOOK, RVNA.M, RVNA.MAPA, RVNA.MAPI, MAXM,
         MAXN, MEMORY, RVNA.N, RVNA.NTYPE2, RVNA.PICK, RVNA.PRINT, STATUS,
         RVNA.TERMIN, RVNA.UNBDDQ, UZERO, XBZERO, YQ, RVNA.Z);

  // The basic columns were of use in this solve (replacement order).
  gp::master_columns::solved(BASIS, m);

  // 5. Status of the master LP: the engine's code with "unbounded" (2) and
  //    "infeasible" (3) exchanged.
  ITS = RVNA.TERMIN;
  if (ITS == 2)
    ITS = 3;
  else if (ITS == 3)
    ITS = 2;

  // 6. Dumps.
  if (!(ITS == kOptimal && IPRINT == 0)) {
    Line(RVNA.IOERR) << " STATUS VECTOR IS";
    dump_ints(RVNA.IOERR, STATUS, RVNA.N, 20, 3);
    basis_dump(RVNA.IOERR);
    Line(RVNA.IOLOG) << " BASIC VALUES ARE";
    for (int i = 1; i <= m; i += 5) {
      Line line(RVNA.IOLOG);
      line << "     ";
      for (int k = i; k <= m && k < i + 5; ++k) line << io::D(xbzero(k), 12, 4);
    }
    if (ITS != kOptimal && IPRINT != 0) {
      for (int i = 1; i <= m; ++i) {
        int j = basis(i);
        XGETAJ(RVNA.CJ, COLA, COLI, RVNA.COLLEN, COLMAX, RVNA.IOERR, j,
               RVNA.LENMA, LENMY, RVNA.MAPA, MEMORY);
        Line(RVNA.IOERR) << " COLUMN" << io::I(j, 5) << "     NO. NONZEROES="
                         << io::I(RVNA.COLLEN, 5);
        Line(RVNA.IOERR) << "     OBJ. COEFFICIENT=" << io::D(RVNA.CJ, 12, 4);
        Line(RVNA.IOERR) << "     ROW     VALUE";
        for (int k = 1; k <= RVNA.COLLEN; ++k)
          Line(RVNA.IOERR) << "   " << io::I(coli(k), 5)
                           << io::E(cola(k), 12, 4);
      }
      Line(RVNA.IOERR) << " RHS VECTOR IS";
      for (int i = 1; i <= m; i += 5) {
        Line line(RVNA.IOERR);
        line << "     ";
        for (int k = i; k <= m && k < i + 5; ++k) line << io::G(b(k), 12, 3);
      }
    }
  }

  // 7.-9. Objective, column values, row prices.
  //       The engine's costs are reduced by the cost shift t: its optimum
  //       is Z - t.B and its prices u - t.
  double z = RVNA.Z;
  for (int i = 1; i <= m; ++i) z += gp::master_columns::shift_value(i) * b(i);
  VOBJ = -z;
  for (int i = 1; i <= RVNA.N; ++i) psoln(i) = 0.0;
  for (int i = 1; i <= m; ++i) psoln(basis(i)) = xbzero(i);
  for (int i = 1; i <= m; ++i)
    dsoln(i) = -(uzero(i) + gp::master_columns::shift_value(i));

  // 10. After the first solve the logical columns (appended last) are no
  //     longer counted, unless one of them is still basic.
  if (ICD == 0) {
    const int first_logical = RVNA.N - m + 1;
    bool logical_basic = false;
    for (int i = 1; i <= m; ++i)
      if (basis(i) >= first_logical) logical_basic = true;
    if (!logical_basic) RVNA.N = RVNA.N - m;
  }

  // 11. Did the basis change?
  IBCH = 0;
  for (int j = 1; j <= m; ++j) {
    if (lastbas(j) != basis(j)) {
      IBCH = 1;
      break;
    }
  }
}
