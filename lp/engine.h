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
//
// The engine's only link to the LU package (lu/sparse_lu.h).  The factors
// live in MEMORY at MAPI(1..8) (G, U, A, W, IP, IND, IW, IA); the matrix
// order is M.  Every failure of the package writes a line on IOERR and
// stops (XSTOP 0), so FCODE and UCODE are always 1 on return.
//
// Factorises the basis: column I of B is stored column BASIS(I), I = 1..M.
// COLA, COLI are scratch (COLMAX).  BASCB, BASLB, BASUB, LENMI, MAXM unused.
void XFACT(double* BASCB, int* BASIS, double* BASLB, double* BASUB,
           double* COLA, int* COLI, int& COLMAX, int& FCODE, int& IOERR,
           int& LENMA, int& LENMI, int& LENMY, int& M, int* MAPA, int* MAPI,
           int& MAXM, double* MEMORY);
// Appends the COLLEN entries (COLA, COLI) as column I to the entry list
// A(1..NZ), IND(.,1) rows, IND(.,2) columns (IND is (IA,2)).  Stops when
// COLLEN is outside 1..COLMAX or when the list would exceed IA entries.
void XLA05X(double* A, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& I, int& IA, int* IND, int& IOERR, int& NZ);
// COLUMN(1..M) by row becomes the solution of B x = COLUMN by position.
// W keeps the L-transformed column for the next XUPDAT.
void XFTRAN(double* COLUMN, int& IOERR, int& LENMI, int& LENMY, int& M,
            int* MAPI, int& MAXM, double* MEMORY);
// ROW(1..M) by position becomes the solution of B' y = ROW by row.
void XBTRAN(int& IOERR, int& LENMI, int& LENMY, int& M, int* MAPI,
            int& MAXM, double* MEMORY, double* ROW);
// Replaces basis column R by the column last transformed by XFTRAN (no
// other XFTRAN/XBTRAN in between).  UCODE = 1.
void XUPDAT(int& IOERR, int& LENMI, int& LENMY, int& M, int* MAPI,
            double* MEMORY, int& R, int& UCODE);
namespace lp {
// XFACT without the stop: returns LA05AD's G; negative = not factorised
// (package report written, factors unusable).
double factorise(int* BASIS, double* COLA, int* COLI, int& COLMAX,
                 int& IOERR, int& LENMA, int& LENMY, int& M, int* MAPA,
                 int* MAPI, double* MEMORY);
// XUPDAT for a pivot entering column Q at position R: a replacement the
// package finds singular (G = -6) is refused with a line on IOERR and
// false, leaving the factors unusable until the next XFACT; other
// failures stop as in XUPDAT.
bool update_or_refuse(int& IOERR, int& M, int* MAPI, double* MEMORY, int& Q,
                      int& R);
// PCODE of a pivot whose basis change was refused as singular: BASIS,
// STATUS, XBZERO and Z are unchanged, the factors must be rebuilt (XFACT)
// before the next solve.
inline constexpr int kSingularUpdate = -2;
// The entering variable's own range UQ - LQ (BIG for a free column, status
// -2); crossed bounds write "0XCHUZR...LQ= .. EXCEEDS UQ= .." and stop.
double entering_range(int status_q, double& LQ, double& UQ, int& IOERR);
// The part of a pivot that follows its ratio test (shared by XPIVOT and the
// smallest-index pivot of the anti-stalling mode): LEAVE; nothing more when
// unbounded; PCODE -1 for a pivot of magnitude at most EPS3;
// kSingularUpdate for a basis change the factor update refuses; otherwise
// the factors are updated and XUPDX applies the step.
void finish_pivot(int* BASIS, double* BASLB, double* BASUB, double& DQ,
                  int& INTYP, int& IOERR, int& LEAVE, double& LQ, int& M,
                  int* MAPI, int& MAXM, int& MAXN, double* MEMORY, int& N,
                  int& OUTTYP, int& PCODE, double& PIVOT, int& Q, int& R,
                  int* STATUS, double& THETA, bool& UNBDD, double& UQ,
                  double* XBZERO, double* YQ, double& Z);
// While an instance lives, the dual iterations (XDPH2) end with DTERM 6
// instead of stopping the program when an eleventh pivot in a row is
// rejected (DUNBR the last row), when the factor update finds a basis
// change singular (the change is refused, DUNBR its row; BASIS, STATUS,
// XBZERO are those before it), or when a refactorisation finds the basis
// singular; after the last two the factors are unusable until the caller
// refactorises a basis.  For callers with a fallback of their own (the GP
// master LP, which goes back to its starting basis).
class DualIterationsAbandon {
 public:
  DualIterationsAbandon();
  ~DualIterationsAbandon();
  DualIterationsAbandon(const DualIterationsAbandon&) = delete;
  DualIterationsAbandon& operator=(const DualIterationsAbandon&) = delete;

 private:
  bool previous_;
};

// While an instance lives, XPRIML abandons a solve (TERMIN 5) once its two
// phases together have carried out more than LIMIT iterations, with the
// line "0XFEAS ...PROBLEM ABANDONED: ITERATION LIMIT" or "0XPHAS2...PROBLEM
// ABANDONED: ITERATION LIMIT" on IOERR (LIMIT 0: no limit).  For callers
// with a fallback of their own (the GP master LP, whose re-solves may
// otherwise stall for hundreds of thousands of iterations on an
// ill-conditioned basis).
class PrimalIterationLimit {
 public:
  explicit PrimalIterationLimit(int limit);
  ~PrimalIterationLimit();
  PrimalIterationLimit(const PrimalIterationLimit&) = delete;
  PrimalIterationLimit& operator=(const PrimalIterationLimit&) = delete;

 private:
  int previous_;
};

// While an instance lives, the primal simplex works with a feasibility
// band of width BAND (> 0) instead of the exact bounds:
// - a basic value up to BAND beyond a bound counts as feasible (phase 1
//   does not count it, the dual simplex does not choose its row) and, in
//   the ratio test, blocks a step towards that bound at once;
// - the ratio test chooses the leaving row in two passes: the longest step
//   that keeps every blocking value within half the band beyond its bound,
//   then, among the rows whose own ratio is within that step, the one with
//   the largest pivot (the method of Harris); a pivot below 1e-6 times the
//   largest entry of its transformed column is refused like one below
//   EPS3.  The exact test takes a tiny pivot whenever its row blocks first,
//   if only by rounding noise, and the factor update then loses accuracy;
// - phase 2 lets no basic value move further beyond a bound, and after a
//   refactorisation it goes back to phase 1 only over a value more than
//   DRIFT beyond a bound (the rounding of an ill-conditioned basis moves
//   values by more than the band).
// BAND 0: the exact bounds (the default).  For callers that can accept
// basic values that far beyond their bounds (the GP master LP, whose
// row prices are what is used).
class FeasibilityBand {
 public:
  FeasibilityBand(double band, double drift);
  ~FeasibilityBand();
  FeasibilityBand(const FeasibilityBand&) = delete;
  FeasibilityBand& operator=(const FeasibilityBand&) = delete;

 private:
  double previous_band_, previous_drift_;
};

// The band in force (0 when none); the violation a basic value may show
// without counting as infeasible (the band, or ZL without one); the
// violation after which phase 2 goes back to phase 1 (DRIFT, or ZL).
double feasibility_band();
double feasibility_tolerance();
double phase_two_drift();
}  // namespace lp

// ---- Slack columns and starting basis ----
//
// Codes shared by the engine (STATUS(J) of a column):
//   1..M basic at that position; > M superbasic, value XBZERO(STATUS(J));
//   0 at lower bound; -1 at upper bound; -2 free slack (never priced);
//   -3 equality artificial (bounds 0..0, never priced again);
//   -4 at lower bound, never priced.
// Row types ROWTYP(I): 0 equality; 1 (or above 2) at most B(I);
//   2 two-sided BLOW(I)..B(I) (needs BNDTYP >= 3); -1 at least B(I);
//   -2 or below free.
// Bound types BNDTYP: 1 all 0..inf; 2 columns 1..NTYPE2 0..BOUND, later
//   ones 0..inf; 3 0..UPPERB(J); 4 LOWERB(J)..UPPERB(J).
//
// Appends one logical column per row (slack +1, surplus -1, free slack +1,
// artificial +1; cost 0), makes it basic in its row, sets BASIS, BASCB,
// BASLB, BASUB, UZERO (0 up to MAXM), factorises, and computes XBZERO(1..M)
// and Z with the structural columns at the values their STATUS gives.
// N grows by M.  With BNDTYP 3/4 the bounds of every logical column are
// stored (free slack -BIG..BIG, artificial 0..0, others 0..UJ).
// Stops: M outside 1..MAXM (XSTOP 1), N outside 0..MAXN (XSTOP 2), a
// two-sided row with BNDTYP < 3, BLOW(I) > B(I) of a two-sided row.
void XSLACK(double* B, double* BASCB, int* BASIS, double* BASLB,
            double* BASUB, double* BLOW, int& BNDTYP, double& BOUND,
            double* COLA, int* COLI, int& COLMAX, int& IOERR, int& LENMA,
            int& LENMI, int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM,
            int& MAXN, double* MEMORY, int& N, int* ROWTYP, int* STATUS,
            double* UZERO, double* XBZERO, double& Z);

// ---- Basic solution and accuracy check ----
//
// The engine maximises Z = sum c(j) x(j).  Nonbasic value of column j by
// STATUS: 0/-4 its lower bound (BNDTYP 4) else 0; -1 (or other negative
// codes below -4) BOUND (BNDTYP 2) or UJ (3, 4), infinite otherwise;
// -2/-3 nothing; > M superbasic XBZERO(STATUS(j)).
//
// WORK(1..M) = B - sum of nonbasic value(j) a(j); ZNB = sum c(j) value(j).
// WORK may be XBZERO.  Stops: M (1), N outside 0..MAXN (2), a column at an
// infinite upper bound (" XBREDU...VARIABLE j AT INFINITE BOUND.", 0).
void XBREDU(double* B, int& BNDTYP, double& BOUND, double* COLA, int* COLI,
            int& COLMAX, int& IOERR, int& LENMA, int& LENMY, int& M,
            int* MAPA, int& MAXM, int& MAXN, double* MEMORY, int& N,
            int* STATUS, double* WORK, double* XBZERO, double& ZNB);
// Basic values XBZERO(1..M) (|x| < ZL stored as 0) and Z from scratch;
// needs current factors.  Stops: M (1), N outside 1..MAXN (2).
void XBCOMP(double* B, double* BASCB, int& BNDTYP, double& BOUND,
            double* COLA, int* COLI, int& COLMAX, int& IOERR, int& LENMA,
            int& LENMI, int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM,
            int& MAXN, double* MEMORY, int& N, int* STATUS, double* XBZERO,
            double& Z);
// Z from BASCB, XBZERO and the nonbasic columns.  Stops: M (1), N (2),
// an infinite upper bound (" XZCOMP" BNDTYP, XSTOP 3).
void XZCOMP(double* BASCB, int& BNDTYP, double& BOUND, double* COLA,
            int* COLI, int& COLMAX, int& IOERR, int& LENMA, int& LENMY,
            int& M, int* MAPA, int& MAXM, int& MAXN, double* MEMORY, int& N,
            int* STATUS, double* XBZERO, double& Z);
// Largest primal residual |B - A x| (PERROR, row PINDEX) and dual residual
// |c - u a| over the basic columns (DERROR, position DINDEX); POK/DOK when
// within PTOLER/DTOLER (equal passes); lines on IOERR otherwise.  WORK(1..M)
// scratch.
void XCHECK(double* B, int* BASIS, int& BNDTYP, double& BOUND, double* COLA,
            int* COLI, int& COLMAX, double& DERROR, int& DINDEX, bool& DOK,
            double& DTOLER, int& IOERR, int& LENMA, int& LENMY, int& M,
            int* MAPA, int& MAXM, int& MAXN, double* MEMORY, int& N,
            double& PERROR, int& PINDEX, bool& POK, double& PTOLER,
            int* STATUS, double* UZERO, double* WORK, double* XBZERO);
// ZDOT = sum ROW(COLI(k)) COLA(k), k = 1..COLLEN; 0 when |ZDOT| < ZL or
// |ZDOT| < ZL * sum |terms|.
void XDOT(double* COLA, int* COLI, int& COLLEN, int& COLMAX, int& MAXM,
          double* ROW, double& ZDOT);

// ---- Pricing and ratio test ----
//
// Partial pricing: scans min(LOOK, N) columns cyclically from START1
// (START2 = last column scanned), pricing columns of status 0 and -1
// against UZERO (PHASE 2: d = PROFIT(j) - u a(j); otherwise -u a(j)),
// keeping the PICK largest |d| of attractive columns (ties in scan order)
// in CAND(1..PPRIME), then fetching them: CANDCJ(k) cost, CANDL(k) length,
// CANDA(.,k)/CANDI(.,k) entries (both COLMAX x PICK).  The store is read
// in place: PROFIT = f32_slice(MAPA(3)), ACOEFF = f32_slice(MAPA(4)),
// COLPNT = i32_slice(MAPA(5)) (element 0), ROWNOS = i32_slice(MAPA(6)),
// MAXA = *i32_slice(MAPA(7)).  BASIS, M, MAXA, COLA, COLI are unused.
void FCAND(int* BASIS, int* CAND, double* CANDA, double* CANDCJ, int* CANDI,
           int* CANDL, double* COLA, int* COLI, int& COLMAX, int& IOERR,
           int& LENMA, int& LENMY, int& LOOK, int& M, int* MAPA, int& MAXM,
           int& MAXN, double* MEMORY, int& N, int& PICK, int& PHASE,
           int& PPRIME, int& START1, int& START2, int* STATUS, double* UZERO,
           float* PROFIT, float* ACOEFF, int* COLPNT, int* ROWNOS, int& MAXA);
// Bounded ratio test for entering Q (INTYP 1 from LQ up, -1 from UQ down)
// with transformed column YQ(1..M).  Out: THETA, R (0 if none), OUTTYP
// (1 leaves to lower, -1 to upper, 0 bound flip or unbounded), PIVOT
// (YQ(R); +-1 when nothing leaves), UNBDD.  Entries of YQ below ZL are set
// to 0 when the test runs.  Stops: M (1); LQ > UQ (0).
void XCHUZR(int* BASIS, double* BASLB, double* BASUB, int& INTYP, int& IOERR,
            double& LQ, int& M, int& MAXM, int& MAXN, int& N, int& OUTTYP,
            double& PIVOT, int& Q, int& R, int* STATUS, double& THETA,
            bool& UNBDD, double& UQ, double* XBZERO, double* YQ);
// IWIN = true when the challenger's CPIVOT is not greater than the
// incumbent's IPIVOT (signed comparison).
void XPTIE(double& CPIVOT, double& IPIVOT, bool& IWIN);

// ---- Pivot, update and iteration log ----
//
// One iteration: XFTRAN of YQ (a(Q) scattered by row), XCHUZR, LEAVE =
// BASIS(R) (or Q), return on UNBDD, PCODE = -1 (nothing changed) when
// |PIVOT| <= EPS3, else XUPDAT (basis change) and XUPDX.  A basis change
// the factor update finds singular is not made: PCODE = lp::kSingularUpdate
// (-2), nothing changed but the factors, which the caller must rebuild.
void XPIVOT(int* BASIS, double* BASLB, double* BASUB, double& DQ, int& INTYP,
            int& IOERR, int& LEAVE, int& LENMI, int& LENMY, double& LQ,
            int& M, int* MAPI, int& MAXM, int& MAXN, double* MEMORY, int& N,
            int& OUTTYP, int& PCODE, double& PIVOT, int& Q, int& R,
            int* STATUS, double& THETA, bool& UNBDD, double& UQ,
            double* XBZERO, double* YQ, double& Z);
// Applies a step: values and Z by THETA (when THETA >= ZL), the entering
// value at R, statuses, BASIS(R), BASLB(R), BASUB(R).
void XUPDX(int* BASIS, double* BASLB, double* BASUB, double& DQ, int& INTYP,
           double& LQ, int& M, int& MAXM, int& MAXN, int& N, int& OUTTYP,
           int& Q, int& R, int* STATUS, double& THETA, double& UQ,
           double* XBZERO, double* YQ, double& Z);
// One log line on IOLOG (the heading first when ITER = 1).
void XLOG(double& DQ, int& INTYP, int& IOLOG, int& ITER, int& LEAVE,
          int& OUTTYP, double& PIVOT, int& Q, int& R, double& THETA,
          double& Z);
// The current solution on IOLOG.
void XPRINT(int* BASIS, int& BNDTYP, double& BOUND, int& IOERR, int& IOLOG,
            int& LENMA, int& LENMY, int& M, int* MAPA, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& NTYPE2, int* STATUS, double* XBZERO,
            double& Z);

// ---- Phase 1, phase 2 and primal driver ----
//
// Two-phase primal simplex from the basis in place (XSLACK or an earlier
// solve).  TERMIN: 1 optimal (final residuals <= 1.0E-6), 2 unbounded
// (UNBDDQ the column), 3 infeasible, 4 optimal but residuals too large,
// 5 abandoned (21 refused pivots in a row, 3*FACTOR phase-2 iterations
// without progress, or feasibility lost more than ten times without
// phase-2 progress in between or more than 100 times in all; the state
// returned is then a consistent basic solution, not optimal).  Z is the maximised objective; UZERO the prices
// (BASCB B^-1 from a fresh factorisation after TERMIN 1 and 4; entries
// M+1..MAXM set to 0).  LOOK is restored.  CAND, CANDL (PICK), CANDCJ
// (PICK), CANDA, CANDI (COLMAX x PICK), COLA, COLI (COLMAX), YQ (MAXM) are
// scratch.  Stops: M outside 1..MAXM (1), N outside 1..MAXN (2).
void XPRIML(double* B, double* BASCB, int* BASIS, double* BASLB,
            double* BASUB, int& BNDTYP, double& BOUND, int* CAND,
            double* CANDA, double* CANDCJ, int* CANDI, int* CANDL,
            double* COLA, int* COLI, int& COLMAX, int& FACTOR, int& IOERR,
            int& IOLOG, int& ITER1, int& ITER2, int& LENMA, int& LENMI,
            int& LENMY, int& LOOK, int& M, int* MAPA, int* MAPI, int& MAXM,
            int& MAXN, double* MEMORY, int& N, int& NTYPE2, int& PICK,
            int& PRINT, int* STATUS, int& TERMIN, int& UNBDDQ, double* UZERO,
            double* XBZERO, double* YQ, double& Z);
// Phase 1: FEAS 1 feasible, 2 infeasible, 3 abandoned.
void XFEAS(double* B, double* BASCB, int* BASIS, double* BASLB, double* BASUB,
           int& BNDTYP, double& BOUND, int* CAND, double* CANDA,
           double* CANDCJ, int* CANDI, int* CANDL, double* COLA, int* COLI,
           int& COLMAX, int& FACTIT, int& FACTOR, int& FEAS, int& IOERR,
           int& IOLOG, int& ITER, int& LENMA, int& LENMI, int& LENMY,
           int& LOOK, int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
           double* MEMORY, int& N, int& NTYPE2, int& PICK, int& PRINT,
           int* STATUS, double* UZERO, double* XBZERO, double* YQ, double& Z);
// Phase 2 from a feasible basis (Z, UZERO current): TERMIN 1, 2, 5, or 3
// (feasibility lost at a refactorisation: run phase 1 again).
void XPHAS2(double* B, double* BASCB, int* BASIS, double* BASLB,
            double* BASUB, int& BNDTYP, double& BOUND, int* CAND,
            double* CANDA, double* CANDCJ, int* CANDI, int* CANDL,
            double* COLA, int* COLI, int& COLMAX, int& FACTIT, int& FACTOR,
            int& IOERR, int& IOLOG, int& ITER, int& LENMA, int& LENMI,
            int& LENMY, int& LOOK, int& M, int* MAPA, int* MAPI, int& MAXM,
            int& MAXN, double* MEMORY, int& N, int& NTYPE2, int& PICK,
            int& PRINT, int* STATUS, int& TERMIN, int& UNBDDQ, double* UZERO,
            double* XBZERO, double* YQ, double& Z);

// ---- Dual simplex ----
//
// Bounded-variable dual simplex from the basis in place (factorised, with
// BASCB/BASLB/BASUB and its prices UZERO).  First every nonbasic column of
// status 0/-1 is put at the bound its reduced cost asks for (d > 0: upper,
// else lower), then XDPH2 iterates, then the basis is refactorised and the
// residuals checked (EPS2 primal, EPS1 dual; YQ is the work array).
//   DTERM 1 optimal; 2 dual unbounded, the LP is infeasible (DUNBR = row);
//         3 dual feasibility lost (DFEASQ = column); 4 optimal but the
//         accuracy check failed; 5 no dual-feasible start (DFEASQ = the
//         column: a nonbasic free column, or d > 0 without a finite upper
//         bound, or d <= 0 without a finite lower bound); 6 abandoned: the
//         rows still out of bounds all had their pivots rejected (|pivot|
//         <= EPS3) since the last accepted one (DUNBR = the last of them) —
//         the basic solution is not feasible, so it is not called optimal.
//   ITERD iterations.  Basis, factors, STATUS, XBZERO, UZERO, Z are left in
//   their final state whatever DTERM says.  BETAR, YQ (MAXM) are scratch;
//   entries M+1..MAXM of UZERO are set to 0.  PRINT: 0 silent, nonzero the
//   outcome lines, 2 a line per refactorisation, 3 a log line per iteration.
//   Stops: M outside 1..MAXM (1), N outside 1..MAXN (2), eleven rejected
//   pivots in a row (0), a singular basis change (in XUPDAT) and a failed
//   factorisation (in XFACT), the last three unless an
//   lp::DualIterationsAbandon lives.
void XDUAL(double* B, double* BASCB, int* BASIS, double* BASLB, double* BASUB,
           double* BETAR, int& BNDTYP, double& BOUND, double* COLA, int* COLI,
           int& COLMAX, int& DFEASQ, int& DTERM, int& DUNBR, int& FACTOR,
           int& IOERR, int& IOLOG, int& ITERD, int& LENMA, int& LENMI,
           int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
           double* MEMORY, int& N, int& NTYPE2, int& PRINT, int* STATUS,
           double* UZERO, double* XBZERO, double* YQ, double& Z);
// The dual iterations from a dual-feasible basis; FACTIT counts basis
// changes since the last factorisation; DTERM 1, 2, 3 or 6 as above.
void XDPH2(double* B, double* BASCB, int* BASIS, double* BASLB, double* BASUB,
           double* BETAR, int& BNDTYP, double& BOUND, double* COLA, int* COLI,
           int& COLMAX, int& DFEASQ, int& DTERM, int& DUNBR, int& FACTIT,
           int& FACTOR, int& IOERR, int& IOLOG, int& ITER, int& LENMA,
           int& LENMI, int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM,
           int& MAXN, double* MEMORY, int& N, int& NTYPE2, int& PRINT,
           int* STATUS, double* UZERO, double* XBZERO, double* YQ, double& Z);
// Leaving row: the largest violation of BASLB(I) <= XBZERO(I) <= BASUB(I)
// (at least ZL) over rows not in REJECT(1..NREJ).  OUTTYP 1 below its
// lower bound, -1 above its upper bound (wins equal violations), R = 0 and
// OUTTYP = 0 when none; GR the violation.  Stops: M (1).
void XDCHR(double* BASLB, double* BASUB, double& GR, int& IOERR, int& M,
           int& MAXM, int& NREJ, int& OUTTYP, int& R, int* REJECT,
           double* XBZERO);
// Dual ratio test for a leaving row with BETAR(1..MAXM) = its row of the
// basis inverse and OUTTYP (1: the leaving variable must increase, -1:
// decrease).  Out: Q entering column, INTYP (1 from its lower bound, -1
// from its upper), PIVOT = BETAR.a(Q), LAMBDA the dual step; DUNBDD when
// no column can enter; DFEAS false (Q the column, a line " FDCHQ " ... on
// IOERR with its reduced cost) when a nonbasic column is dual infeasible.
// A free column (status -2) is passed over while its reduced cost is zero
// within EPS1 (as every basic one's is), else it is dual infeasible.
// FDCHQ reads the packed store (PROFIT, ACOEFF, COLPNT, ROWNOS as FCAND
// does); XDCHQ fetches each column (XGETAJ, XDOT; COLA/COLI scratch).
// BETAR and UZERO must be finite (zero) in M+1..MAXM.  Stops: N (2).
void FDCHQ(double* BETAR, double* COLA, int* COLI, int& COLMAX, bool& DFEAS,
           int& INTYP, int& IOERR, double& LAMBDA, int& LENMA, int& LENMY,
           int* MAPA, int& MAXM, int& MAXN, double* MEMORY, int& N,
           int& OUTTYP, double& PIVOT, int& Q, int* STATUS, bool& DUNBDD,
           double* UZERO, float* PROFIT, float* ACOEFF, int* COLPNT,
           int* ROWNOS, int& MAXA);
void XDCHQ(double* BETAR, double* COLA, int* COLI, int& COLMAX, bool& DFEAS,
           int& INTYP, int& IOERR, double& LAMBDA, int& LENMA, int& LENMY,
           int* MAPA, int& MAXM, int& MAXN, double* MEMORY, int& N,
           int& OUTTYP, double& PIVOT, int& Q, int* STATUS, bool& DUNBDD,
           double* UZERO);

// ---- Ranging ----
//
// Post-optimal ranging from an optimal basis with current factors, XBZERO
// and prices UZERO; nothing of the solution changes.  UP true: increase
// the datum, false: decrease.  Codes (PBCODE, PCCODE, PDCODE(i)): 1 finite
// break point BREAK; 2 no limit (BREAK = +BIG or -BIG); 3 (LONG) beyond the
// break point no pivot restores optimality.  RATE: objective change per
// unit move in the chosen direction.  BETAR, YQ (MAXM) are scratch and
// COLA/COLI too.  The factors must be those of this basis: the LU record
// is process-wide, so after factorising any other LP, reinstall it
// (XSTART).  A primal or dual infeasible solution stops the program with
// its lines (XSTOP 0); M, N (1, 2).
//
// XRANGB: right-hand side of row IROW (1..M).  Out: BREAK, RATE, LEAVE and
// OUTTYP (1: it leaves at its lower bound, -1: upper); with LONG also the
// column ENTER that would replace it and its INTYP (PBCODE 3: none can).
void XRANGB(double* B, int* BASIS, double* BASLB, double* BASUB,
            double* BETAR, double& BREAK, double* COLA, int* COLI,
            int& COLMAX, int& ENTER, int& INTYP, int& IOERR, int& IROW,
            int& LEAVE, int& LENMA, int& LENMI, int& LENMY, bool& LONG,
            int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& OUTTYP, int& PBCODE, double& RATE,
            int* STATUS, bool& UP, double* UZERO, double* XBZERO, double* YQ);
// XRANGC: cost of column JCOL (1..N).  Out: BREAK, RATE, ENTER, INTYP; with
// LONG also LEAVE, OUTTYP from the primal ratio test of ENTER (PCCODE 3:
// unbounded; a bound flip gives LEAVE = ENTER, OUTTYP = 0).
void XRANGC(int* BASIS, double* BASLB, double* BASUB, double* BETAR,
            int& BNDTYP, double& BOUND, double& BREAK, double* COLA,
            int* COLI, int& COLMAX, int& ENTER, int& INTYP, int& IOERR,
            int& JCOL, int& LEAVE, int& LENMA, int& LENMI, int& LENMY,
            bool& LONG, int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& NTYPE2, int& OUTTYP, int& PCCODE,
            double& RATE, int* STATUS, bool& UP, double* UZERO,
            double* XBZERO, double* YQ);
// XRANGD: costs of all basic columns.  Out per position i = 1..M:
// BREAK(i), ENTER(i), INTYPD(i), PDCODE(i).
void XRANGD(double* BASCB, int* BASIS, double* BASLB, double* BASUB,
            int& BNDTYP, double& BOUND, double* BREAK, double* COLA,
            int* COLI, int& COLMAX, int* ENTER, int* INTYPD, int& IOERR,
            int& LENMA, int& LENMI, int& LENMY, int& M, int* MAPA, int* MAPI,
            int& MAXM, int& MAXN, double* MEMORY, int& N, int& NTYPE2,
            int* PDCODE, int* STATUS, bool& UP, double* UZERO,
            double* XBZERO, double* YQ);

// ---- Parametric step and restart ----
//
// XPARAB: from an optimal basis, moves B along DIRECT(1..M) to the next
// break point: ALPHA the step, R the position that leaves (LEAVE its
// column).  PBCODE 1 found; 2 no break point (nothing changes); 3 the
// dual ratio test finds no entering column (or only a pivot below EPS3):
// beyond ALPHA the LP is infeasible (B, XBZERO, Z have been moved to the
// break point when CHANGE).  With CHANGE true the step is carried out (B,
// XBZERO, Z move by ALPHA) and the dual pivot at the break point is made
// (factors, BASIS, STATUS, BASCB/BASLB/BASUB, UZERO; FACTIT/FACTOR
// refactorisation).  PRINT > 1 logs the pivot (XLOG, iteration 0).
// Stops: M (1), N (2), a primal infeasible start, lost dual feasibility.
void XPARAB(double& ALPHA, double* B, double* BASCB, int* BASIS,
            double* BASLB, double* BASUB, double* BETAR, int& BNDTYP,
            double& BOUND, bool& CHANGE, double* COLA, int* COLI,
            int& COLMAX, double* DIRECT, int& FACTIT, int& FACTOR, int& IOERR,
            int& IOLOG, int& LEAVE, int& LENMA, int& LENMI, int& LENMY,
            int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& NTYPE2, int& PBCODE, int& PRINT,
            int& R, int* STATUS, double* UZERO, double* XBZERO, double* YQ,
            double& Z);
// XSTART: installs the caller's basis BASIS(1..M) (STATUS consistent with
// it): BASCB, BASLB, BASUB from the store (free slack -BIG..BIG,
// artificial 0..0), factors, XBZERO, Z, prices UZERO (entries M+1..MAXM
// set to 0).  SCODE = 1.  Stops: M (1), a BASIS entry outside 1..N (2),
// a singular basis (in XFACT).
void XSTART(double* B, double* BASCB, int* BASIS, double* BASLB,
            double* BASUB, int& BNDTYP, double& BOUND, double* COLA,
            int* COLI, int& COLMAX, int& IOERR, int& LENMA, int& LENMI,
            int& LENMY, int& M, int* MAPA, int* MAPI, int& MAXM, int& MAXN,
            double* MEMORY, int& N, int& NTYPE2, int& SCODE, int* STATUS,
            double* UZERO, double* XBZERO, double& Z);
// XCAND: FCAND with every scanned column fetched through XGETAJ and priced
// with XDOT (same window, candidate test, list order and outputs).
void XCAND(int* BASIS, int* CAND, double* CANDA, double* CANDCJ, int* CANDI,
           int* CANDL, double* COLA, int* COLI, int& COLMAX, int& IOERR,
           int& LENMA, int& LENMY, int& LOOK, int& M, int* MAPA, int& MAXM,
           int& MAXN, double* MEMORY, int& N, int& PICK, int& PHASE,
           int& PPRIME, int& START1, int& START2, int* STATUS, double* UZERO);
