// engine.h — the LP engine's public interface: a bounded-variable revised
// simplex method (primal, dual, ranging, parametric step) whose problem-size
// dependent storage all lies in one caller-supplied workspace MEMORY
// (lp/workspace.h).
//
// Conventions of every routine below:
//  - Global namespace, upper-case names, every argument by reference.
//    Scalars are `int&` (32-bit), `double&`, `bool&` for logicals.  An array
//    argument is a pointer to its element 1 (element 0 for COLPNT, which is
//    indexed 0..MAXN); two-dimensional arrays are column-major.
//  - MEMORY, MAPA, MAPI, LENMA, LENMI, LENMY: the workspace and the index
//    tables that XMAPS returns.  LENMA/LENMI/LENMY are extents only.
//  - Tolerances come from the record RVNCOM, set by XMAPS.
//  - Failures: a routine that finds its data invalid writes its message on
//    unit IOERR and ends the program through XSTOP, which never returns
//    (the process exits with status 1 after "Stop - Program terminated." on
//    the console).  No engine routine continues after XSTOP.  Tests observe
//    these stops with GoogleTest death tests, or by installing
//    io::set_stop_hook() with a hook that throws (units are flushed and
//    closed before the hook runs, so the messages can be read back).
#pragma once

#include "lp/workspace.h"

// ---- Workspace map, tolerances and stop ----
//
// XMAPS carves MEMORY(1..LENMY) for capacities MAXA (nonzeros), MAXM (rows)
// and MAXN (columns), each rounded up to a multiple of 4, and bound type
// BNDTYP (1..4).
//   In:  IPRINT (1 = write the space report on IOERR), BNDTYP, IOERR, LENMY,
//        MAXA, MAXM, MAXN (not changed).
//   Out: LENMA = 9, LENMI = 8, MAPA(1..9), MAPI(1..8); in MEMORY the rounded
//        capacities, the pivot threshold U = 0.1f and IA; RVNCOM; LA05DD's
//        SMALL and LP.  The rest of MEMORY(1..LENMY) is zero.
//   Stops: bad BNDTYP (XSTOP 3); a negative capacity (XSTOP 1 for MAXM,
//        2 for MAXN, 0 for MAXA); no room for the variable part, or room
//        for less than 3 times the estimated basis nonzeros (XSTOP 0).
void XMAPS(int& IPRINT, int& BNDTYP, int& IOERR, int& LENMA, int& LENMI,
           int& LENMY, int* MAPA, int* MAPI, int& MAXA, int& MAXM, int& MAXN,
           double* MEMORY);
// Copies MAXA, MAXM, MAXN into the integer slots XMAXA, XMAXM, XMAXN.
void XCONSA(int& MAXA, int& MAXM, int& MAXN, int& XMAXA, int& XMAXM,
            int& XMAXN);
// Copies IA into the integer slot XIA and U into XU.
void XCONSI(int& IA, double& U, int& XIA, double& XU);
// Ends the program.  ERROR 1..4 first writes on IOERR
//   1 " INVALID NUMBER OF CONSTRAINTS."   2 " INVALID NUMBER OF VARIABLES."
//   3 " INVALID BOUND TYPE."              4 " INVALID COLUMN LENGTH."
// (any other code writes nothing); then every unit is flushed and closed,
// "Stop - Program terminated." goes to the console and the process exits
// with status 1.
[[noreturn]] void XSTOP(int& ERROR, int& IOERR);

// ---- Column and bound store ----
//
// Columns are exchanged one at a time: CJ (cost), COLA(1..COLMAX) values,
// COLI(1..COLMAX) row numbers, COLLEN entries used.  Costs, values and
// bounds are held as 32-bit reals, so what comes back is the stored float
// widened to double (0.1 reads back as 0.10000000149011612).
//
// Checking bounds: the capacities XMAPS stored in MEMORY; XREPAJ takes
// MAXA, MAXN, MAXM from its caller but never more than those capacities.
// Every failure writes its lines on IOERR and stops (XSTOP 0, or 3 for a
// bad bound type).  No COLLEN, J or N given by a caller can make the store
// read or write outside its slices.
//
// Filler: a column stored by XREPAJ as the last column reserves COLMAX
// positions; unused ones hold (0.0, MAXM) pairs and come back from XGETAJ
// as explicit zero entries in row MAXM (the MAXM given to XREPAJ, never
// above the workspace's rounded MAXM).  Consumers must therefore dimension
// every row-indexed vector they combine with fetched columns (prices, work
// vectors, YQ) to at least that MAXM and keep its entries M+1..MAXM finite
// (zero), so that a filler entry contributes exactly nothing.
//
// N += 1, J = N; stores the column as column J.
void XADDAJ(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, int& LENMA, int& LENMY, int* MAPA,
            double* MEMORY, int& N);
// Fetches column J into CJ, COLA(1..COLLEN), COLI(1..COLLEN), COLLEN.
void XGETAJ(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, int& LENMA, int& LENMY, int* MAPA,
            double* MEMORY);
// Overwrites column J (1..N; N+1 is accepted as a new last column).  As the
// last column (J >= N) it reserves COLMAX positions (fewer only where the
// nonzero capacity ends); inside the store the new column must fit the
// old slice, and unused positions of the slice are filled.
void XREPAJ(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, int& LENMA, int& LENMY, int* MAPA,
            double* MEMORY, int& N, int& MAXA, int& MAXN, int& MAXM);
// Stores the bounds of column J: LJ and UJ with BNDTYP 4, UJ only with 3.
void XADDUB(int& BNDTYP, int& IOERR, int& J, int& LENMA, int& LENMY,
            double& LJ, int* MAPA, double* MEMORY, double& UJ);
// Returns the bounds of column J (BNDTYP 3: LJ = 0).  An upper bound of at
// least RVNCOM.BIG * 0.99f comes back as exactly BIG.
void XGETUB(int& BNDTYP, int& IOERR, int& J, int& LENMA, int& LENMY,
            double& LJ, int* MAPA, double* MEMORY, double& UJ);

// Workers of the five routines above, on the slices themselves.  A bound
// slice that the map does not hold is passed as nullptr and counts as a
// bad bound type.
void XDATA1(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, float* PROFIT, float* ACOEFF, int* COLPNT,
            int* ROWNOS, int& MAXA, int& MAXN, int& MAXM);
void XDATA2(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, float* PROFIT, float* ACOEFF, int* COLPNT,
            int* ROWNOS, int& MAXA, int& MAXN);
void XDATA3(int& BNDTYP, int& IOERR, int& J, double& LJ, double& UJ,
            float* LOWERB, float* UPPERB, int& MAXN);
void XDATA4(int& BNDTYP, int& IOERR, int& J, double& LJ, double& UJ,
            float* LOWERB, float* UPPERB, int& MAXN);
void XDATA5(int& N, double& CJ, double* COLA, int* COLI, int& COLLEN,
            int& COLMAX, int& IOERR, int& J, float* PROFIT, float* ACOEFF,
            int* COLPNT, int* ROWNOS, int& MAXA, int& MAXN, int& MAXM);

// ---- Basis factor interface ----

// ---- Slack columns and starting basis ----

// ---- Basic solution and accuracy check ----

// ---- Pricing and ratio test ----

// ---- Pivot, update and iteration log ----

// ---- Phase 1, phase 2 and primal driver ----

// ---- Dual simplex ----

// ---- Ranging ----

// ---- Parametric step and restart ----
