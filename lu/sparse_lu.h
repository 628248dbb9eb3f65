// sparse_lu.h — sparse LU factorisation of a square matrix (Markowitz
// pivoting under a threshold test), solves with the factors or their
// transpose, in-place column replacement, storage compression and sorts.
//
// (Routine declarations follow with the factorisation package.)
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

}  // namespace lu

extern lu::La05ddRecord LA05DD;
