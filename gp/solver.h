// solver.h — the geometric programming solver: generalised linear
// programming over a master LP solved by the posy LP engine.
//
//   POSY    the solver: sizes, initial master problem, column-generation
//           loop, termination and final report          (main_iteration.cpp)
//   INITLP  the initial master problem: one column per term and per bound,
//           first solve from the all-artificial basis    (initial_master.cpp)
//   ADDU    column of one posynomial at a grid point of term weights
//   ADDBND  column of one variable bound                 (column_generation.cpp)
//   SETUP   empty master LP, engine workspace map
//   REPC    store a generated column (append or replace)
//   LINEAR  solve the master LP from the current basis   (master_lp.cpp)
//   PSOLVE  primal point from the row prices
//   PSUBS   term and posynomial values at a point        (primal_recovery.cpp)
//
// Problem arrays (all one-based, pointers to element 1):
//   C(1..KTTOT) coefficients, NAPP(1..KTTOT) pairs per term,
//   IDVAR/A(1..sum NAPP) variable and exponent of each pair, term after term,
//   KT/FTERM/LTERM(1..MCON+1) terms of each posynomial (position 1 = objective),
//   SLB/SUB(1..NVAR) bounds (0.0 = none).
//
// Master-LP arrays shared by ADDU, ADDBND, INITLP, SETUP, REPC and LINEAR (owned
// and sized by POSY): B, BASCB, BASLB, BASUB, BETAR, UZERO, XBZERO, YQ (MAXM
// reals), BASIS, ROWTYP (MAXM ints), CANDA (COLMAX x PICK reals), CANDCJ (PICK),
// CANDI (COLMAX x PICK ints), COLA (COLMAX reals), COLI (COLMAX ints),
// STATUS (one int per column, logical columns included), MEMORY (LENMY slots).
//
// The engine parameters live in the process-wide record RVNA; only one master
// LP exists at a time and none of these routines is re-entrant.
#pragma once

// POSY: solves the geometric program and writes its report on unit 8.
//   In:  the problem (NVAR, MCON, KTTOT, NLB, NUB, C, A, KT, FTERM, LTERM, IDVAR,
//        NAPP, SLB, SUB), ITMAX (iteration limit), FRQREP (report frequency),
//        IPRINT, IPRG, IPRX (trace switches), ALLOW (feasibility tolerance),
//        RGAP (convergence tolerance).
//   Out: XPRIML(1..NVAR) the last primal point, VPOSY(1..MCON+1) the posynomial
//        values there.  Once 50 of the last 100 master-LP re-solves have
//        failed (the point does not move after a failure) the solve ends
//        on the cannot-be-met path.
//   Fails: sizes that do not fit 32-bit integers or cannot be allocated stop
//        the run with "Not enough storage for data; aborting..." (exit 1).
void POSY(int& NVAR, int& MCON, int& KTTOT, int& NLB, int& NUB, double* C,
          double* A, int* KT, int* FTERM, int* LTERM, int* IDVAR, int* NAPP,
          double* SLB, double* SUB, int& ITMAX, int& FRQREP, int& IPRINT,
          int& IPRG, int& IPRX, double& ALLOW, double& RGAP, double* XPRIML,
          double* VPOSY);

// INITLP: builds the first master LP (one column per term, one per bound above
// 1.0e-6; orthogonality rows implied by others marked redundant,
// gp/master_columns.h) and solves it.  Out: X(1..N) column weights,
// PI(1..NVAR+1) row prices, IFLAG1 LP status (1 optimal .. 5 abandoned),
// V = -Z; IDPOSY, KEEPS, TCLGEN updated for the stored columns.  Scratch: U(KTTOT), RHS(NVAR+1),
// COL(NVAR+2), LASTBAS(MAXM).
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
            int* LASTBAS);

// ADDU: the column of posynomial IPOSY (1 = objective, k+1 = constraint k)
// at the grid point U(FTERM(IPOSY)..LTERM(IPOSY)), stored through REPC.  When
// stored: IDPOSY(ID) = IPOSY, KEEPS(ID) = 1, TCLGEN + 1.  When REPC finds no
// replaceable column nothing is recorded and TCLGEN is unchanged.
void ADDU(double* C, double* A, int& NVAR, int& MCON, int* KT, int* FTERM,
          int* LTERM, int& IPOSY, int* IDPOSY, int& NMAX, int& IPRINT,
          int& IPRG, double* U, int* KEEPS, int& TCLGEN, int* IDVAR, int* NAPP,
          int& MAXM, int& MAXN, int& MAXA, int& COLMAX, int& LENMY,
          double* COL, double* B, double* BASCB, double* BASLB, double* BASUB,
          double* BETAR, double* CANDA, double* CANDCJ, double* COLA,
          double* UZERO, double* XBZERO, double* YQ, int* BASIS, int* CANDI,
          int* COLI, int* ROWTYP, int* STATUS, double* MEMORY);

// ADDBND: the column of the bound VAL of variable J (ICD = -1 lower, -2 upper),
// stored through REPC; bookkeeping as ADDU with IDPOSY(ID) = ICD.
void ADDBND(int& NVAR, int& ICD, int& J, double& VAL, int* IDPOSY, int& NMAX,
            int& IPRINT, int* KEEPS, int& TCLGEN, int& MAXM, int& MAXN,
            int& MAXA, int& COLMAX, int& LENMY, double* COL, double* B,
            double* BASCB, double* BASLB, double* BASUB, double* BETAR,
            double* CANDA, double* CANDCJ, double* COLA, double* UZERO,
            double* XBZERO, double* YQ, int* BASIS, int* CANDI, int* COLI,
            int* ROWTYP, int* STATUS, double* MEMORY);

// SETUP: empty master LP of MREG equality rows with right-hand sides
// RHS(1..MREG); maps the engine workspace (XMAPS).
void SETUP(int& MREG, double* RHS, int& IPRINT, int& MAXM, int& MAXN,
           int& MAXA, int& COLMAX, int& LENMY, double* B, double* BASCB,
           double* BASLB, double* BASUB, double* BETAR, double* CANDA,
           double* CANDCJ, double* COLA, double* UZERO, double* XBZERO,
           double* YQ, int* BASIS, int* CANDI, int* COLI, int* ROWTYP,
           int* STATUS, double* MEMORY);

// REPC: stores COLUMN(1..M+1) (row coefficients, then the log-cost w; the LP
// cost is -w): appended while fewer than NMAX columns are stored, otherwise
// over the least recently used column that is neither kept (KEEPS = 1), nor
// basic, nor a logical column (gp/master_columns.h); the stored cost is
// reduced by the current cost shift, and rows marked redundant (INITLP,
// gp/master_columns.h) get no entry.  Out: IDNO the column number,
// STATUS(IDNO) = 0.  No replaceable column: two lines on IOERR, nothing
// stored, IDNO unchanged.
void REPC(double* COLUMN, int& NMAX, int& IPRINT, int& IDNO, int* KEEPS,
          int& MAXM, int& MAXN, int& MAXA, int& COLMAX, int& LENMY, double* B,
          double* BASCB, double* BASLB, double* BASUB, double* BETAR,
          double* CANDA, double* CANDCJ, double* COLA, double* UZERO,
          double* XBZERO, double* YQ, int* BASIS, int* CANDI, int* COLI,
          int* ROWTYP, int* STATUS, double* MEMORY);

// LINEAR: solves the master LP from the current basis (the all-artificial
// basis on the first call).  Out: IBCH (1 = basis changed), ITS (1 optimal,
// 2 infeasible, 3 unbounded, 4 accuracy check failed, 5 abandoned),
// PSOLN(1..N) column values, DSOLN(1..M) = -(UZERO + t), VOBJ = -(Z + t.B)
// with t the cost shift of gp/master_columns.h (0 until the solver re-centres
// the costs), so the results are those of the unshifted LP.  ICD = 0
// (first solve) drops the logical columns from the count afterwards,
// unless one of them is still basic (then all stay counted so that no
// later column is stored over a basic column).  Once a run has
// shown a long or failed re-solve, later solves work on B perturbed along
// the starting basis and hand back the vertex of the unperturbed LP (the
// dual simplex ends it when that vertex is not feasible); a failed one is
// retried once from its starting basis (with its basic artificials
// exchanged for structural columns where possible) and otherwise (or
// after an unbounded or infeasible verdict) leaves that basis in place (gp/master_solve.cpp); a warm solve beyond 100 M +
// 1000 engine iterations counts as failed.  Warm solves work within a
// feasibility band (lp::FeasibilityBand): weights up to 1e-9 beyond a
// bound count as feasible, and phase 2 lets rounding carry one up to 1e-6
// beyond before it goes back to phase 1.  Scratch: LASTBAS(1..M).
void LINEAR(int& IBCH, int& IPRINT, int& ITS, double* PSOLN, double* DSOLN,
            double& VOBJ, int& ICD, int& MAXM, int& MAXN, int& MAXA,
            int& COLMAX, int& LENMY, double* B, double* BASCB, double* BASLB,
            double* BASUB, double* BETAR, double* CANDA, double* CANDCJ,
            double* COLA, double* UZERO, double* XBZERO, double* YQ,
            int* BASIS, int* CANDI, int* COLI, int* ROWTYP, int* STATUS,
            double* MEMORY, int* LASTBAS);

// PSOLVE: XPRIML(j) = exp(PI(j+1)), j = 1..NVAR; printed when IPRINT > 0.
void PSOLVE(int& NVAR, int& IPRINT, double* PI, double* XPRIML);

// PSUBS: TERM(1..KTTOT) and VPOSY(1..MCON+1) at XPRIML; printed when
// IPRINT > 0.
void PSUBS(int& MCON, int& IPRINT, double* XPRIML, double* A, double* C,
           int* KT, int& KTTOT, double* TERM, double* VPOSY, int* IDVAR,
           int* NAPP);
