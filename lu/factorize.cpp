// factorize.cpp — LA05AD: sparse LU factorisation by Markowitz pivoting
// with a threshold test, and the record LA05DD.
//
// The factorisation works in place over the entry list: the entries are
// sorted into a row file (values A, columns IND(.,2)) and a column file of
// row indices (IND(.,1)); each elimination rebuilds the target row at the
// end of the row file, column lists grow in place or move to the end of the
// column file, and the multipliers fill A/IND from position IA downward.
// Freed space is reclaimed by compressions (LA05ED), at most MCP of them.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "io/edit.h"
#include "io/one_based.h"
#include "io/record.h"
#include "lu/la05_kernel.h"
#include "lu/sparse_lu.h"

lu::La05ddRecord LA05DD;

namespace {

using lu::detail::Factors;
using lu::detail::prefixed_error;

// Lower bound of the threshold: the 32-bit constant 2.3e-16 widened.
constexpr double kEps = static_cast<double>(2.3e-16f);  // 2.29999991e-16

// The words ROW and COL held as a 2 by 3 table of letters, column by column.
constexpr char kRc[6] = {'R', 'C', 'O', 'O', 'W', 'L'};
std::string rc_word(int l) {  // l = 1 row, 2 column
  return {kRc[l - 1], kRc[l + 1], kRc[l + 3]};
}

constexpr int kRows = 1;     // list kind: rows
constexpr int kColumns = 2;  // list kind: columns

// Count lists of the active part.  For kind L (1 rows, 2 columns): count
// IW(x,L), head of list c IW(c,L+2), previous IW(x,L+4), next IW(x,L+6).
void link(io::F2<int>& iw, int x, int l) {
  const int c = iw(x, l);
  const int head = iw(c, l + 2);
  iw(x, l + 6) = head;
  iw(x, l + 4) = 0;
  iw(c, l + 2) = x;
  if (head > 0) iw(head, l + 4) = x;
}

void unlink(io::F2<int>& iw, int x, int l) {
  const int prev = iw(x, l + 4);
  const int next = iw(x, l + 6);
  if (prev == 0)
    iw(iw(x, l), l + 2) = next;
  else
    iw(prev, l + 6) = next;
  if (next > 0) iw(next, l + 4) = prev;
}

// The -5 report: the rows (columns) pivotal so far in pivot order, then the
// one found empty, 20 to a record.
void report_dependent(Factors& f, int l, int ipv, int empty) {
  auto& iw = f.iw;
  ++ipv;
  iw(ipv, 1) = empty;
  for (int i = 1; i <= f.n; ++i) {
    const int p = -iw(i, l + 4);
    if (p > 0) iw(p, 1) = i;
  }
  const int lp = LA05DD.LP;
  if (lp <= 0) return;
  io::Record(lp, ' ') << "ERROR RETURN FROM LA05AD BECAUSE THE FOLLOWING "
                      << rc_word(l) << "S ARE DEPENDENT";
  for (int k0 = 1; k0 <= ipv; k0 += 20) {
    std::string line;
    for (int k = k0; k <= std::min(ipv, k0 + 19); ++k) line += io::I(iw(k, 1), 5);
    // The first character of the record is its carriage control: a blank
    // for indices below 10000.  A wider index keeps all its digits.
    if (line[0] == ' ')
      io::Record(lp, ' ') << std::string_view(line).substr(1);
    else
      io::Record(lp, ' ') << line;
  }
}

}  // namespace

void LA05AD(double* A, int* IND, int& NZ, int& IA, int& N, int* IP, int* IW,
            double* W, double& G, double& U) {
  auto& R = LA05DD;
  const int lp = R.LP;

  // 1. Clamp the threshold into [EPS, 1] (a NaN becomes EPS).
  if (U > 1.0) U = 1.0;
  if (!(U >= kEps)) U = kEps;

  // 2. Quick returns.
  if (N < 1) {
    G = lu::kNNotPositive;
    prefixed_error(lp, "N IS NOT POSITIVE", "LA05AD");
    return;
  }
  if (NZ > IA) {  // the entry list does not fit the storage
    G = lu::kNoRoom;
    prefixed_error(lp, "IA IS TOO SMALL", "LA05AD");
    return;
  }
  const int n = N;
  Factors f(A, IND, IA, n, IP, IW, 8, W);
  auto& a = f.a;
  auto& ind = f.ind;
  auto& ip = f.ip;
  auto& iw = f.iw;
  auto& w = f.w;
  const double small = R.SMALL;

  // 3. Clear W, the counts, the list heads and the duplicate marks.
  G = 0.0;
  for (int i = 1; i <= n; ++i) {
    w(i) = 0.0;
    for (int l = 1; l <= 5; ++l) iw(i, l) = 0;
  }

  // 4. Drop small entries (the last entry takes the slot), check indices,
  //    count the entries of every row and column.
  int lenu = std::max(NZ, 0);
  for (int k = 1; k <= lenu;) {
    if (std::abs(a(k)) <= small) {
      a(k) = a(lenu);
      ind(k, 1) = ind(lenu, 1);
      ind(k, 2) = ind(lenu, 2);
      --lenu;
      continue;
    }
    const int i = ind(k, 1);
    const int j = ind(k, 2);
    if (std::abs(a(k)) > G) G = std::abs(a(k));
    if (i < 1 || i > n || j < 1 || j > n) {
      G = lu::kBadIndex;
      prefixed_error(lp,
                     "ELEMENT" + io::I(k, 7) + " IS IN ROW" + io::I(i, 5) +
                         " AND COLUMN" + io::I(j, 5),
                     "LA05AD");
      return;
    }
    ++iw(i, 1);
    ++iw(j, 2);
    ++k;
  }

  // 5. Storage bookkeeping.
  R.LENU = lenu;
  R.LENL = 0;
  R.LROW = lenu;
  R.LCOL = lenu;
  const int mcp = n / 10 > 20 ? n / 10 : 20;
  R.NCP = 0;

  // 6. Column ends; every row and column needs an entry.
  int k = 1;
  for (int ir = 1; ir <= n; ++ir) {
    k += iw(ir, 2);
    ip(ir, 2) = k;
    for (int l = kRows; l <= kColumns; ++l) {
      if (iw(ir, l) <= 0) {
        G = lu::kEmptyLine;
        prefixed_error(lp, rc_word(l) + io::I(ir, 5) + " HAS NO ELEMENTS",
                       "LA05AD");
        return;
      }
    }
  }

  // 7. Sort the entries by row; IND(.,1) becomes zero.
  {
    int nc = n, maxa = lenu, jdisp = 0;
    MC20AD(nc, maxa, A, IND + IA, IP, IND, jdisp);
  }

  // 8. Column file (rows in increasing order) and duplicate check.
  int kl = lenu;
  for (int ir = n; ir >= 1; --ir) {
    for (int kk = ip(ir, 1); kk <= kl; ++kk) {
      const int j = ind(kk, 2);
      if (iw(j, 5) == ir) {
        G = lu::kDuplicate;
        prefixed_error(lp,
                       "THERE IS MORE THAN ONE ENTRY IN ROW" + io::I(ir, 5) +
                           " AND COLUMN" + io::I(j, 5),
                       "LA05AD");
        return;
      }
      iw(j, 5) = ir;
      --ip(j, 2);
      ind(ip(j, 2), 1) = ir;
    }
    kl = ip(ir, 1) - 1;
  }

  // 9. Count lists: each list starts with its highest index.
  for (int l = kRows; l <= kColumns; ++l)
    for (int i = 1; i <= n; ++i) link(iw, i, l);

  // 10. Pivot steps.  The threshold test needs the largest magnitude of a
  //     row again and again while the row stays the same (a search visits
  //     a row once per column it is a candidate in, and later steps visit
  //     the rows they did not change), so it is kept until the row is
  //     changed by an elimination.  The same maximum, so the same pivots:
  //     on the dense bases of large geometric programs the search used to
  //     take most of the factorisation's time.
  std::vector<double> largest(static_cast<std::size_t>(n) + 1, 0.0);
  std::vector<char> largest_known(static_cast<std::size_t>(n) + 1, 0);
  auto row_max = [&](int i) {
    const auto at = static_cast<std::size_t>(i);
    if (!largest_known[at]) {
      const int rb = ip(i, 1);
      const int re = rb + iw(i, 1) - 1;
      double amax = 0.0;
      for (int ks = rb; ks <= re; ++ks) amax = std::max(amax, std::abs(a(ks)));
      largest[at] = amax;
      largest_known[at] = 1;
    }
    return largest[at];
  };
  for (int ipv = 1; ipv <= n; ++ipv) {
    // 10.1 Markowitz search by increasing count, columns before rows;
    //      stop when no later count can beat the best cost.
    long long jcost = static_cast<long long>(n) * n;
    int ipp = 0, jp = 0;
    for (int nz = 1; nz <= n; ++nz) {
      const long long nz1 = nz - 1;
      if (nz1 * nz1 >= jcost) break;
      bool done = false;
      int j = iw(nz, 4);
      for (int cnt = 0; cnt < n && j > 0 && !done; ++cnt, j = iw(j, 8)) {
        const int kb = ip(j, 2);
        const int ke = kb + iw(j, 2) - 1;
        for (int kk = kb; kk <= ke; ++kk) {
          const int i = ind(kk, 1);
          const long long kcost = (iw(i, 1) - 1) * nz1;
          if (kcost >= jcost) continue;
          if (nz != 1) {
            const int rb = ip(i, 1);
            const int re = rb + iw(i, 1) - 1;
            double aij = 0.0;
            for (int ks = rb; ks <= re; ++ks) {
              if (ind(ks, 2) == j) {
                aij = std::abs(a(ks));
                break;
              }
            }
            if (aij < U * row_max(i)) continue;
          }
          jcost = kcost;
          ipp = i;
          jp = j;
          if (jcost <= nz1 * nz1) {
            done = true;
            break;
          }
        }
      }
      if (done) break;
      int i = iw(nz, 3);
      for (int cnt = 0; cnt < n && i > 0 && !done; ++cnt, i = iw(i, 7)) {
        const int rb = ip(i, 1);
        const int re = rb + iw(i, 1) - 1;
        const double au = U * row_max(i);
        for (int ks = rb; ks <= re; ++ks) {
          if (!(std::abs(a(ks)) >= au)) continue;
          const int jj = ind(ks, 2);
          const long long kcost = (iw(jj, 2) - 1) * nz1;
          if (kcost < jcost) {
            ipp = i;
            jp = jj;
            jcost = kcost;
            if (jcost <= nz1 * nz1) {
              done = true;
              break;
            }
          }
        }
      }
      if (done) break;
    }
    if (ipp == 0) {  // no acceptable pivot (only with non-finite values)
      int empty = 0;
      for (int i = 1; i <= n && empty == 0; ++i)
        if (iw(i, 5) >= 0) empty = i;
      G = lu::kDependent;
      report_dependent(f, kRows, ipv - 1, empty);
      return;
    }

    // 10.2 Take the rows of column JP and the columns of row IPP off their
    //      count lists.
    {
      const int kb = ip(jp, 2);
      const int ke = kb + iw(jp, 2) - 1;
      for (int kk = kb; kk <= ke; ++kk) unlink(iw, ind(kk, 1), kRows);
      const int rb = ip(ipp, 1);
      const int re = rb + iw(ipp, 1) - 1;
      for (int kk = rb; kk <= re; ++kk) unlink(iw, ind(kk, 2), kColumns);
    }

    // 10.3 Mark the pivot row and column with the step.
    iw(ipp, 5) = -ipv;
    iw(jp, 6) = -ipv;

    // 10.4 Remove the pivot row from the column file.
    int kr = 0;
    {
      const int rb = ip(ipp, 1);
      const int re = rb + iw(ipp, 1) - 1;
      for (int kk = rb; kk <= re; ++kk) {
        const int j = ind(kk, 2);
        const int old = iw(j, 2);
        --iw(j, 2);
        const int cb = ip(j, 2);
        const int cl = cb + old - 1;
        for (int kc = cb; kc <= cl; ++kc) {
          if (ind(kc, 1) == ipp) {
            ind(kc, 1) = ind(cl, 1);
            ind(cl, 1) = 0;
            break;
          }
        }
        if (j == jp) kr = kk;
      }
    }

    // 10.5 The pivot becomes the first entry of its row.
    const int kp = ip(ipp, 1);
    std::swap(a(kr), a(kp));
    std::swap(ind(kr, 2), ind(kp, 2));

    // 10.6 Eliminate the other rows of column JP.
    const int nzc = iw(jp, 2);
    for (int nc = 1; nc <= nzc; ++nc) {
      const int ir = ind(ip(jp, 2) + nc - 1, 1);
      const int krr = ip(ir, 1);
      const int kj = f.find_in_row(ir, jp);
      std::swap(a(kj), a(krr));
      std::swap(ind(kj, 2), ind(krr, 2));
      largest_known[static_cast<std::size_t>(ir)] = 0;
      if (lu::detail::eliminate_row(f, ipp, ir, jp, mcp, G, false) != 0) {
        G = lu::kNoRoom;
        prefixed_error(lp, "IA IS TOO SMALL", "LA05AD");
        return;
      }
    }

    // 10.7 Put the changed rows and columns back on the count lists.
    {
      const int kb = ip(jp, 2);
      const int ke = kb + iw(jp, 2) - 1;
      iw(jp, 2) = 0;
      for (int kk = kb; kk <= ke; ++kk) {
        const int ir = ind(kk, 1);
        ind(kk, 1) = 0;
        if (iw(ir, 1) <= 0) {
          G = lu::kDependent;
          report_dependent(f, kRows, ipv, ir);
          return;
        }
        link(iw, ir, kRows);
      }
      const int rb = ip(ipp, 1);
      const int re = rb + iw(ipp, 1) - 1;
      for (int kk = rb + 1; kk <= re; ++kk) {
        const int j = ind(kk, 2);
        if (iw(j, 2) <= 0) {
          G = lu::kDependent;
          report_dependent(f, kColumns, ipv, j);
          return;
        }
        link(iw, j, kColumns);
      }
    }
  }

  // 11. Pivot sequence.
  for (int i = 1; i <= n; ++i) {
    iw(-iw(i, 5), 3) = i;
    iw(-iw(i, 6), 4) = i;
    iw(i, 2) = 0;
  }

  // 12. Column file of U, each list in decreasing pivot order so that its
  //     first row is the one pivoted in that column.
  for (int i = 1; i <= n; ++i) {
    const int rb = ip(i, 1);
    for (int kk = rb; kk < rb + iw(i, 1); ++kk) ++iw(ind(kk, 2), 2);
  }
  k = 1;
  for (int i = 1; i <= n; ++i) {
    k += iw(i, 2);
    ip(i, 2) = k;
  }
  R.LCOL = k - 1;
  for (int ii = 1; ii <= n; ++ii) {
    const int i = iw(ii, 3);
    const int rb = ip(i, 1);
    for (int kk = rb; kk < rb + iw(i, 1); ++kk) {
      const int j = ind(kk, 2);
      --ip(j, 2);
      ind(ip(j, 2), 1) = i;
    }
  }
}
