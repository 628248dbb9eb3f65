// slack_basis.cpp — logical columns and the starting basis.
//
//   XSLACK  appends one logical column per row (slack, surplus, free slack
//           or artificial, by ROWTYP), makes each basic in its own row,
//           records the basic costs and bounds, factorises the basis and
//           computes the first basic solution.
//
// Row types: 0 equality (artificial, bounds 0..0, status -3); 1 or above 2
// at most B (slack +1, 0..BIG); 2 two-sided BLOW..B (slack +1,
// 0..B-BLOW); -1 at least B (surplus -1, 0..BIG); -2 or below free (free
// slack +1, -BIG..BIG, status -2).

#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/workspace.h"

namespace {

[[noreturn]] void stop_engine(int code, int& IOERR) {
  int error = code;
  XSTOP(error, IOERR);
  io::stop_run(1, "");  // not reached
}

}  // namespace

// XSLACK: see the file head.
//   In:     B(1..M), BLOW(1..M) (two-sided rows only), BNDTYP, BOUND,
//           ROWTYP(1..M), STATUS(1..N) of the structural columns, the
//           store with N structural columns.
//   Out:    N = N + M; STATUS(N+1..N+M); BASIS, BASCB, BASLB, BASUB,
//           UZERO (zero up to MAXM) by position; the factors; XBZERO(1..M)
//           and Z.
//   Scratch: COLA(COLMAX), COLI(COLMAX), COLMAX >= 1.
//   Fails:  M outside 1..MAXM (code 1), N outside 0..MAXN (code 2), a
//           two-sided row with BNDTYP < 3, crossed two-sided limits.
void XSLACK(double* B, double* BASCB, int* BASIS, double* BASLB,
            double* BASUB, double* BLOW, int& BNDTYP, double& BOUND,
            double* COLA, int* COLI, int& COLMAX, int& IOERR, int& LENMA,
            int& LENMI, int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM,
            int& MAXN, double* MEMORY, int& N, int* ROWTYP, int* STATUS,
            double* UZERO, double* XBZERO, double& Z) {
  io::F1<double> b(B), bascb(BASCB), baslb(BASLB), basub(BASUB), blow(BLOW),
      uzero(UZERO), cola(COLA);
  io::F1<int> basis(BASIS), rowtyp(ROWTYP), status(STATUS), coli(COLI);
  const double BIG = RVNCOM.BIG;

  // 1.-3. Checks before anything is stored.
  if (M < 1 || M > MAXM) {
    io::Line(IOERR) << " XSLACK" << io::X(5) << io::I(M, 5);
    stop_engine(1, IOERR);
  }
  if (N < 0 || N > MAXN) {
    io::Line(IOERR) << " XSLACK" << io::X(5) << io::I(N, 5);
    stop_engine(2, IOERR);
  }
  if (BNDTYP < 3) {
    for (int I = 1; I <= M; ++I) {
      if (rowtyp(I) == 2) {
        io::Line(IOERR) << " XSLACK...BNDTYP MUST BE"
                               << " AT LEAST 3 WHEN USING TWO-SIDED CONSTRAINTS.";
        stop_engine(0, IOERR);
      }
    }
  }

  // Prices of rows beyond M (rows of filler entries) stay zero.
  for (int I = M + 1; I <= MAXM; ++I) uzero(I) = 0.0;

  // 4.-5. One logical column per row.
  double CJ = 0.0;
  int COLLEN = 1;
  int J = 0;
  for (int I = 1; I <= M; ++I) {
    double LJ = 0.0;
    double UJ = BIG;
    baslb(I) = 0.0;
    basub(I) = BIG;
    bascb(I) = 0.0;
    uzero(I) = 0.0;
    coli(1) = I;
    const int type = rowtyp(I);
    if (type <= -2) {  // free row: free slack, never priced
      cola(1) = 1.0;
      XADDAJ(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, LENMA, LENMY, MAPA,
             MEMORY, N);
      if (BNDTYP >= 3) {  // keep the bound store initialised: -BIG..BIG
        LJ = -BIG;
        XADDUB(BNDTYP, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
      }
      basis(I) = J;
      baslb(I) = -BIG;
      status(J) = -2;
    } else if (type == -1) {  // at least B: surplus
      cola(1) = -1.0;
      XADDAJ(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, LENMA, LENMY, MAPA,
             MEMORY, N);
      if (BNDTYP >= 3)
        XADDUB(BNDTYP, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
      basis(I) = J;
      status(J) = I;
    } else if (type == 0) {  // equality: artificial fixed at 0
      cola(1) = 1.0;
      basub(I) = 0.0;
      XADDAJ(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, LENMA, LENMY, MAPA,
             MEMORY, N);
      if (BNDTYP >= 3) {  // keep the bound store initialised: 0..0
        UJ = 0.0;
        XADDUB(BNDTYP, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
      }
      basis(I) = J;
      status(J) = -3;
    } else {  // at most B (1, 3, 4, ...) or two-sided (2): slack
      cola(1) = 1.0;
      XADDAJ(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, LENMA, LENMY, MAPA,
             MEMORY, N);
      if (type == 2) {
        UJ = b(I) - blow(I);
        basub(I) = UJ;
        if (UJ < 0.0) {
          io::Line(IOERR) << " XSLACK...TWO-SIDED CONSTRAINT"
                                 << io::I(I, 6);
          io::Line(IOERR) << " LOWER LIMIT EXCEEDS UPPER LIMIT";
          io::Line(IOERR) << io::X(5) << io::D(blow(I), 16, 8)
                                 << io::D(b(I), 16, 8);
          stop_engine(0, IOERR);
        }
      }
      if (BNDTYP >= 3)
        XADDUB(BNDTYP, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
      basis(I) = J;
      status(J) = I;
    }
  }

  // 6. Factorise the slack basis (a failure stops inside XFACT).
  int FCODE = 0;
  XFACT(BASCB, BASIS, BASLB, BASUB, COLA, COLI, COLMAX, FCODE, IOERR, LENMA,
        LENMI, LENMY, M, MAPA, MAPI, MAXM, MEMORY);

  // 7. First basic solution.
  XBCOMP(B, BASCB, BNDTYP, BOUND, COLA, COLI, COLMAX, IOERR, LENMA, LENMI,
         LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, STATUS, XBZERO, Z);
}
