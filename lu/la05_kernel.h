// la05_kernel.h — pieces shared by the factorisation (LA05AD) and the
// column replacement (LA05CD): one-based views of the factor storage, the
// compressions, the removal of a row from a column list, the elimination of
// one row by a pivot row, and the error records.  Internal to posy_lu.
#pragma once

#include <string_view>

#include "io/one_based.h"
#include "lu/sparse_lu.h"

namespace lu::detail {

// Views of the factor storage of one call.
struct Factors {
  double* A;
  int* IND;
  int* IP;
  int* IW;
  double* W;
  int n;
  int ia;
  io::F1<double> a;
  io::F2<int> ind;
  io::F2<int> ip;
  io::F2<int> iw;
  io::F1<double> w;

  Factors(double* A_, int* IND_, int ia_, int n_, int* IP_, int* IW_,
          int iw_cols, double* W_)
      : A(A_), IND(IND_), IP(IP_), IW(IW_), W(W_), n(n_), ia(ia_),
        a(A_, ia_), ind(IND_, ia_, 2), ip(IP_, n_, 2), iw(IW_, n_, iw_cols),
        w(W_, n_) {}

  // Compacts the row file (entries of U by rows, with their values).
  void compress_rows();
  // Compacts the column file (row indices of U by columns).
  void compress_cols();
  // Removes row R from the list of column J (the last element takes its
  // slot, which is then zeroed) and decreases the count of J.
  void remove_from_column(int j, int r);
  // Position of the entry of row I in column J, 0 when there is none.
  int find_in_row(int i, int j) const;
};

// Eliminates the first entry of row IR (which lies in the pivot column JP)
// with the pivot row IPP (pivot first in its row): IR is rebuilt at the end
// of the row file with the values AM*row(IPP) added, entries of magnitude
// <= SMALL dropped and fill-in entered in the column file, and the
// multiplier is appended to the L file.  With UPDATE (column replacement)
// IR is also removed from column JP's list.  G takes the largest magnitude
// stored.  Returns 0, or -7 when IA is too small or the compression limit
// MCP is reached.
int eliminate_row(Factors& f, int ipp, int ir, int jp, int mcp, double& G,
                  bool update);

// Two empty records, the message text after 34 blanks, then the prefix
// record "+ERROR RETURN FROM <routine> BECAUSE" overprinting its start.
void prefixed_error(int lp, std::string_view text, std::string_view routine);

}  // namespace lu::detail
