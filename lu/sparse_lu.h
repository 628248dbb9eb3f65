// sparse_lu.h — sparse LU factorisation of a square matrix (Markowitz
// pivoting under a threshold test), solves with the factors or their
// transpose, in-place column replacement, storage compression and sorts.
//
// Routines (free functions, global namespace, arguments by reference,
// arrays passed as pointers to element 1, two-dimensional arrays column by
// column):
//   LA05AD  factorise                      lu/factorize.cpp
//   LA05BD  solve with the factors          lu/solve_replace.cpp
//   LA05CD  replace one column in place     lu/solve_replace.cpp
//   LA05ED  compress the row or column file lu/sort_compress.cpp
//   MC20AD  in-place sort of entries by group (used to sort by row)
//   MC20BD  sort the entries of each group by |index|
//
// Factor storage (one factorisation at a time, with the record LA05DD):
//   A(IA)      values: U by rows in A(1..LROW); the L multipliers in
//              A(IA-LENL+1..IA), the k-th created at A(IA+1-k).
//   IND(IA,2)  IND(K,2), K <= LROW: column of A(K) (0 = free slot);
//              IND(K,1), K <= LCOL: the column file (row indices of U by
//              columns, 0 = free slot); for K > IA-LENL: IND(K,1) = pivot
//              row p, IND(K,2) = target row r of the multiplier A(K), which
//              adds A(K) times row p to row r.
//   IP(N,2)    IP(I,1) start of row I in the row file, IP(J,2) start of
//              column J in the column file.
//   IW(N,8)    IW(I,1) entries of row I of U, IW(J,2) entries of column J,
//              IW(p,3) row pivoted at step p, IW(p,4) its column; columns
//              5..8 are working storage of LA05AD only.
// The first entry of row I is its pivot; the first row in the list of
// column J is the row whose pivot lies in J.
//
// Status G: negative = failure code, the factors are then unusable:
//   -1 N < 1                         -2 empty row or column
//   -3 index out of range            -4 duplicate entry
//   -5 singular (dependent rows/columns)
//   -6 singular matrix created by a column replacement
//   -7 IA too small (or compression limit reached)
// Messages go to unit LA05DD.LP when it is positive.
#pragma once

namespace lu {

// The factorisation's process-wide record.  SMALL and LP are set by the LP
// engine's workspace map (XMAPS); the rest is maintained by the routines.
struct La05ddRecord {
  double SMALL = 0.0;  // drop tolerance: |v| <= SMALL counts as zero
  int LP = 0;          // message unit; messages only when LP > 0
  int LENL = 0;        // multipliers in the L file
  int LENU = 0;        // entries of U
  int NCP = 0;         // compressions since the last factorisation
  int LROW = 0;        // last used position of the row file
  int LCOL = 0;        // last used position of the column file
};

// Failure codes returned in G.
inline constexpr double kNNotPositive = -1.0;   // -1
inline constexpr double kEmptyLine = -2.0;      // -2
inline constexpr double kBadIndex = -3.0;       // -3
inline constexpr double kDuplicate = -4.0;      // -4
inline constexpr double kDependent = -5.0;      // -5
inline constexpr double kSingularUpdate = -6.0; // -6
inline constexpr double kNoRoom = -7.0;         // -7

}  // namespace lu

extern lu::La05ddRecord LA05DD;

// LA05AD — factorise the N by N sparse matrix given as NZ entries.
//   In/out: A(IA)      entry values A(1..NZ) on entry; the factors on return.
//   In/out: IND(IA,2)  row IND(K,1) and column IND(K,2) of entry K on entry;
//                      the factor indices on return.
//   In/out: NZ         number of entries; working storage, undefined on
//                      return.
//   In:     IA         length of A and of each column of IND.
//   In:     N          order of the matrix.
//   Out:    IP(N,2), IW(N,8)  starts, counts and pivot sequence.
//   Out:    W(N)       all zero on normal return.
//   Out:    G          largest magnitude of the entries and of every value
//                      stored into U, or a failure code (-1..-5, -7).
//   In/out: U          pivot threshold, clamped to [2.3e-16 (32-bit), 1].
// Entries of magnitude <= LA05DD.SMALL are dropped before any check.
// Sets LA05DD.LENL, LENU, NCP, LROW, LCOL.  NZ > IA on entry fails with -7
// ("IA IS TOO SMALL"); nothing outside A(1..IA), IND(1..IA,1..2) is touched.
void LA05AD(double* A, int* IND, int& NZ, int& IA, int& N, int* IP, int* IW,
            double* W, double& G, double& U);

// LA05BD — solve with the factors of LA05AD (and LA05CD).
//   In:     A(IA), IND(IA,2), IA, N, IW(N,4), G   the factors.
//   In/out: IP(N,2)    row starts are marked negative while the routine
//                      runs and restored on return.
//   Out:    W(N)       TRANS false: the right-hand side transformed by L
//                      (indexed by row), as LA05CD needs it; otherwise
//                      scratch.
//   In/out: B(N)       right-hand side on entry, solution on return:
//                      A x = b (TRANS false; b by row, x by column) or
//                      A' x = b (TRANS true; b by column, x by row).
// Values of magnitude below LA05DD.SMALL are not propagated.  G < 0 on entry
// writes a message and leaves B unchanged.
void LA05BD(double* A, int* IND, int& IA, int& N, int* IP, int* IW, double* W,
            double& G, double* B, bool& TRANS);

// LA05CD — replace column MM of the factorised matrix in place.
//   In/out: A, IND, IP, IW(N,4)   the factors.
//   In:     IA, N, U (threshold), MM (1..N).
//   In/out: W(N)       on entry the new column transformed by L, exactly as
//                      LA05BD (TRANS false) left it; scratch on return.
//   In/out: G          must be >= 0 on entry; on return max(G, largest
//                      magnitude stored by the update's eliminations), or
//                      -6 (singular result, or MM outside 1..N) or -7 (no
//                      room in IA, or 20 compressions within this call).
// After -6 or -7 the factors are unusable; factorise afresh.
void LA05CD(double* A, int* IND, int& IA, int& N, int* IP, int* IW, double* W,
            double& G, double& U, int& MM);

// LA05ED — compress the row file (REALS true: IRN = IND(.,2), IP = IP(.,1),
// IW = IW(.,1), values in A move along, sets LA05DD.LROW) or the column
// file (REALS false: IRN = IND(.,1), IP = IP(.,2), IW = IW(.,2), A
// untouched, sets LA05DD.LCOL).  Keeps the order of the file; entries with
// count 0 keep stale starts.  Increments LA05DD.NCP.
void LA05ED(double* A, int* IRN, int* IP, int& N, int* IW, int& IA,
            bool& REALS);

// MC20AD — in-place sort of MAXA entries (A(K), INUM(K)) by group
// JNUM(K)+JDISP in 1..NC (caller's duty).  On return JPTR(J) is the first
// position of group J and every JNUM(K) = -JDISP.  Linear in MAXA + NC.
void MC20AD(int& NC, int& MAXA, double* A, int* INUM, int* JPTR, int* JNUM,
            int& JDISP);

// MC20BD — for entries grouped by MC20AD (group J starts at JPTR(J)), sorts
// each group by increasing |INUM|, moving A along (stable).
void MC20BD(int& NC, int& MAXA, double* A, int* INUM, int* JPTR);
