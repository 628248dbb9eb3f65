// lp_example.cpp — solving a small linear program with the posy LP engine.
//
//   maximise    3 x + 2 y
//   subject to    x +   y <= 4
//                 x + 3 y <= 9
//                 x +   y >= 1
//               0 <= x <= 3,  y >= 0
//
// Optimum: x = 3, y = 1, objective 11; the price of the first row is 2.
//
// The steps every caller of the engine takes:
//   1. size and map the workspace (XMAPS),
//   2. store the columns (XADDAJ) and, with per-column bounds, their bounds
//      (XADDUB),
//   3. append the logical columns and factorise the starting basis (XSLACK),
//   4. solve (XPRIML) and read the result from STATUS, XBZERO and UZERO.
// The engine writes its messages on the unit given as IOERR/IOLOG (here 8,
// connected to a file first so that nothing lands in fort.8).
#include <vector>

#include "io/record.h"
#include "io/units.h"
#include "lp/engine.h"

int main() {
  io::open_unit(8, "lp_example.log", io::OpenStatus::kReplace);

  // Problem size: 3 rows, 2 structural columns; the slack basis adds one
  // logical column (and one nonzero) per row.
  int M = 3, NSTRUCT = 2;
  int MAXM = M, MAXN = NSTRUCT + M, MAXA = 6 + M;
  int BNDTYP = 4;  // lower and upper bound per column
  int LENMY = 2000;
  int IPRINT = 0, IOERR = 8, IOLOG = 8, LENMA = 0, LENMI = 0;
  int MAPA[20] = {}, MAPI[20] = {};
  lp::Workspace ws(LENMY);
  double* MEMORY = ws.data();
  XMAPS(IPRINT, BNDTYP, IOERR, LENMA, LENMI, LENMY, MAPA, MAPI, MAXA, MAXM, MAXN, MEMORY);

  // Columns x and y: cost, entries (value, row), bounds.
  int COLMAX = 3, N = 0;
  const double cost[2] = {3.0, 2.0};
  const double coef[2][3] = {{1.0, 1.0, 1.0}, {1.0, 3.0, 1.0}};
  const double upper[2] = {3.0, 1.0e30};  // 1.0e30 stands for infinity
  std::vector<double> COLA(3);
  std::vector<int> COLI(3);
  for (int k = 0; k < NSTRUCT; ++k) {
    double CJ = cost[k];
    int COLLEN = 3, J = 0;
    for (int i = 0; i < 3; ++i) {
      COLA[i] = coef[k][i];
      COLI[i] = i + 1;
    }
    XADDAJ(CJ, COLA.data(), COLI.data(), COLLEN, COLMAX, IOERR, J, LENMA, LENMY, MAPA, MEMORY, N);
    double LJ = 0.0, UJ = upper[k];
    XADDUB(BNDTYP, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
  }

  // Rows: type 1 "at most B", -1 "at least B" (0 equality, 2 two-sided).
  std::vector<double> B = {4.0, 9.0, 1.0}, BLOW(3, 0.0);
  std::vector<int> ROWTYP = {1, 1, -1};
  std::vector<double> BASCB(3), BASLB(3), BASUB(3), UZERO(3), XBZERO(3), YQ(3);
  std::vector<int> BASIS(3), STATUS(MAXN, 0);  // structural columns at lower bound
  double BOUND = 0.0, Z = 0.0;
  XSLACK(B.data(), BASCB.data(), BASIS.data(), BASLB.data(), BASUB.data(), BLOW.data(), BNDTYP,
         BOUND, COLA.data(), COLI.data(), COLMAX, IOERR, LENMA, LENMI, LENMY, M, MAPA, MAPI, MAXM,
         MAXN, MEMORY, N, ROWTYP.data(), STATUS.data(), UZERO.data(), XBZERO.data(), Z);

  // Two-phase primal simplex with the usual settings.
  int PICK = 10, LOOK = 200, FACTOR = 50, PRINT = 0, NTYPE2 = 0;
  std::vector<int> CAND(PICK), CANDL(PICK), CANDI(COLMAX * PICK);
  std::vector<double> CANDCJ(PICK), CANDA(COLMAX * PICK);
  int ITER1 = 0, ITER2 = 0, TERMIN = 0, UNBDDQ = 0;
  XPRIML(B.data(), BASCB.data(), BASIS.data(), BASLB.data(), BASUB.data(), BNDTYP, BOUND,
         CAND.data(), CANDA.data(), CANDCJ.data(), CANDI.data(), CANDL.data(), COLA.data(),
         COLI.data(), COLMAX, FACTOR, IOERR, IOLOG, ITER1, ITER2, LENMA, LENMI, LENMY, LOOK, M, MAPA,
         MAPI, MAXM, MAXN, MEMORY, N, NTYPE2, PICK, PRINT, STATUS.data(), TERMIN, UNBDDQ,
         UZERO.data(), XBZERO.data(), YQ.data(), Z);

  // TERMIN 1 optimal, 2 unbounded, 3 infeasible, 4 optimal with large
  // residuals, 5 abandoned.  A basic column's STATUS is its basis position;
  // 0 means at its lower bound, -1 at its upper bound.
  io::Record(6) << "TERMIN" << io::I(TERMIN, 3) << "   objective" << io::F(Z, 10, 4);
  const char* names[2] = {"x", "y"};
  for (int k = 0; k < NSTRUCT; ++k) {
    const int s = STATUS[k];
    const double value = s >= 1 ? XBZERO[s - 1] : s == -1 ? upper[k] : 0.0;
    io::Record(6) << names[k] << " =" << io::F(value, 10, 4);
  }
  for (int i = 0; i < M; ++i)
    io::Record(6) << "price of row" << io::I(i + 1, 2) << " =" << io::F(UZERO[i], 10, 4);
  io::stop_run(TERMIN == 1 ? 0 : 1, "");
}
