// solve_replace.cpp — LA05BD (solve with the factors or their transpose)
// and LA05CD (replace one column of the factorised matrix in place).
//
// The column replacement removes the old column, enters the new one (given
// transformed by L), and reduces the affected part of U — the bump — by
// symmetric permutations first: a forward pass moves out the rows that do
// not depend on the removed column, a backward pass those not connected to
// the new column, and a chain of column singletons turns bump rows into
// pivots.  What is left is the spike row (the row that lost its pivot),
// whose entries are eliminated by row operations appended to the L file,
// with row interchanges chosen by the threshold and by row length.
#include <cmath>
#include <utility>

#include "io/edit.h"
#include "io/one_based.h"
#include "io/record.h"
#include "lu/la05_kernel.h"
#include "lu/sparse_lu.h"

namespace {

using lu::detail::Factors;
using lu::detail::prefixed_error;

// The factor counters must describe storage that fits IA; anything else
// means the factors are not usable with these arrays.
bool counters_fit(int ia) {
  const auto& R = LA05DD;
  return R.LENL >= 0 && R.LROW >= 0 && R.LCOL >= 0 &&
         static_cast<long long>(R.LROW) + R.LENL <= ia &&
         static_cast<long long>(R.LCOL) + R.LENL <= ia;
}

}  // namespace

void LA05BD(double* A, int* IND, int& IA, int& N, int* IP, int* IW, double* W,
            double& G, double* B, bool& TRANS) {
  const auto& R = LA05DD;
  if (G < 0.0 || !counters_fit(IA)) {
    if (R.LP > 0) {
      { io::Record r(R.LP, ' '); }
      { io::Record r(R.LP, ' '); }
      io::Record(R.LP, ' ') << "ERROR RETURN FROM LA05BD BECAUSE EARLIER ENTRY"
                            << " GAVE ERROR RETURN";
    }
    return;
  }
  const int n = N;
  const int ia = IA;
  io::F1<double> a(A, ia);
  io::F2<int> ind(IND, ia, 2);
  io::F2<int> ip(IP, n, 2);
  io::F2<int> iw(IW, n, 4);
  io::F1<double> w(W, n);
  io::F1<double> b(B, n);
  const double small = R.SMALL;
  const int lenl = R.LENL;

  if (!TRANS) {
    // Apply L in creation order.
    for (int kk = 1; kk <= lenl; ++kk) {
      const int k = ia + 1 - kk;
      const int p = ind(k, 1);
      const int r = ind(k, 2);
      if (std::abs(b(p)) >= small) b(r) = b(r) + a(k) * b(p);
    }
    for (int i = 1; i <= n; ++i) {
      w(i) = b(i);
      b(i) = 0.0;
    }
    // Back substitution with U in reverse pivot order.  A row computes its
    // inner product only when marked (IP(I,1) < 0) by a nonzero solution
    // component in one of its columns.
    for (int ii = 1; ii <= n; ++ii) {
      const int i = iw(n + 1 - ii, 3);
      double am = w(i);
      int kp = ip(i, 1);
      if (kp < 0) {
        kp = -kp;
        ip(i, 1) = kp;
        const int kl = kp + iw(i, 1) - 1;
        for (int k = kp + 1; k <= kl; ++k) am = am - a(k) * b(ind(k, 2));
      }
      if (std::abs(am) >= small) {
        const int j = ind(kp, 2);
        b(j) = am / a(kp);
        // The end of column J's list is read once: the marks are stores
        // into IP, which the compiler cannot tell apart from IW.
        const int kb = ip(j, 2);
        const int kl = kb + iw(j, 2) - 1;
        for (int k = kb + 1; k <= kl; ++k) {
          const int r = ind(k, 1);
          ip(r, 1) = -std::abs(ip(r, 1));
        }
      }
    }
    return;
  }

  // Transposed: forward substitution with U' in pivot order, then L' from
  // the most recent multiplier back.
  for (int i = 1; i <= n; ++i) {
    w(i) = b(i);
    b(i) = 0.0;
  }
  for (int ii = 1; ii <= n; ++ii) {
    double am = w(iw(ii, 4));
    if (std::abs(am) >= small) {
      const int j = iw(ii, 3);
      const int kp = ip(j, 1);
      am = am / a(kp);
      b(j) = am;
      const int kl = kp + iw(j, 1) - 1;
      for (int k = kp + 1; k <= kl; ++k) {
        const int c = ind(k, 2);
        w(c) = w(c) - am * a(k);
      }
    }
  }
  for (int k = ia - lenl + 1; k <= ia; ++k) {
    const int p = ind(k, 1);
    const int r = ind(k, 2);
    if (std::abs(b(r)) >= small) b(p) = b(p) + a(k) * b(r);
  }
}

void LA05CD(double* A, int* IND, int& IA, int& N, int* IP, int* IW, double* W,
            double& G, double& U, int& MM) {
  auto& R = LA05DD;
  const int lp = R.LP;
  auto singular = [&]() {
    G = lu::kSingularUpdate;
    prefixed_error(lp, "SINGULAR MATRIX CREATED BY REPLACEMENT OF COL" +
                           io::I(MM, 5),
                   "LA05CD");
  };
  auto no_room = [&]() {
    G = lu::kNoRoom;
    prefixed_error(lp, "IA IS TOO SMALL", "LA05CD");
  };

  // 1. An earlier failure leaves nothing to update.
  if (G < 0.0) {
    prefixed_error(lp, "EARLIER ENTRY GAVE ERROR RETURN", "LA05CD");
    return;
  }
  if (N < 1 || MM < 1 || MM > N) {  // no such column
    singular();
    return;
  }
  if (!counters_fit(IA)) {
    no_room();
    return;
  }
  const int n = N;
  Factors f(A, IND, IA, n, IP, IW, 4, W);
  auto& a = f.a;
  auto& ind = f.ind;
  auto& ip = f.ip;
  auto& iw = f.iw;
  auto& w = f.w;
  const double small = R.SMALL;
  const long long ia = IA;

  // 2. This call may compress up to 20 times.
  int jm = MM;
  const int mcp = R.NCP + 20;

  // 3. Remove the old column from the rows and the column file.  IM, the
  //    row pivoted in it, loses its pivot.
  if (iw(jm, 2) <= 0) {
    singular();
    return;
  }
  R.LENU -= iw(jm, 2);
  const int im = ind(ip(jm, 2), 1);
  {
    const int kb = ip(jm, 2);
    const int ke = kb + iw(jm, 2) - 1;
    for (int k = kb; k <= ke; ++k) {
      const int i = ind(k, 1);
      ind(k, 1) = 0;
      --iw(i, 1);
      const int rl = ip(i, 1) + iw(i, 1);  // last slot of the old row
      for (int kk = ip(i, 1); kk <= rl; ++kk) {
        if (ind(kk, 2) == jm) {
          a(kk) = a(rl);
          ind(kk, 2) = ind(rl, 2);
          ind(rl, 2) = 0;
          break;
        }
      }
    }
    iw(jm, 2) = 0;
  }

  // 4. Enter the new column, in pivot order: appended to the column file,
  //    and to each row in place when the next slot is free, else the row
  //    moves to the end of the row file.
  int m = 0, last = 0;
  for (int ii = 1; ii <= n; ++ii) {
    const int i = iw(ii, 3);
    if (i == im) m = ii;
    if (std::abs(w(i)) > small) {
      ++R.LENU;
      last = ii;
      if (static_cast<long long>(R.LCOL) + R.LENL >= ia) {
        if (R.NCP >= mcp || static_cast<long long>(R.LENL) + R.LENU >= ia) {
          no_room();
          return;
        }
        f.compress_cols();
        if (static_cast<long long>(R.LCOL) + R.LENL >= ia) {
          no_room();
          return;
        }
      }
      ++R.LCOL;
      if (iw(jm, 2) == 0) ip(jm, 2) = R.LCOL;
      ++iw(jm, 2);
      ind(R.LCOL, 1) = i;

      const int nz = iw(i, 1);
      const int kpl = ip(i, 1) + nz;
      int pos;
      if (kpl <= R.LROW && ind(kpl, 2) == 0) {
        pos = kpl;
      } else {
        if (static_cast<long long>(R.LROW) + R.LENL + nz >= ia) {
          if (R.NCP >= mcp ||
              static_cast<long long>(R.LENL) + R.LENU + nz >= ia) {
            no_room();
            return;
          }
          f.compress_rows();
          if (static_cast<long long>(R.LROW) + R.LENL + nz >= ia) {
            no_room();
            return;
          }
        }
        const int kb = ip(i, 1);
        ip(i, 1) = R.LROW + 1;
        for (int kk = kb; kk <= kb + nz - 1; ++kk) {
          ++R.LROW;
          a(R.LROW) = a(kk);
          ind(R.LROW, 2) = ind(kk, 2);
          ind(kk, 2) = 0;
        }
        pos = ++R.LROW;
      }
      iw(i, 1) = nz + 1;
      a(pos) = w(i);
      ind(pos, 2) = jm;
    }
    w(i) = 0.0;
  }

  // 5. The old pivot row or the new column empty, or no new entry at or
  //    after the old pivot position: singular.
  if (iw(im, 1) == 0 || iw(jm, 2) == 0 || m == 0 || m > last) {
    singular();
    return;
  }

  // 6. Forward pass over positions M..LAST: rows whose pivot column is not
  //    reached from the replaced column move up unchanged.  W flags columns
  //    (1.0).
  w(jm) = 1.0;
  int ins = m, m1 = m;
  for (int ii = m; ii <= last; ++ii) {
    const int i = iw(ii, 3);
    if (std::abs(w(iw(ii, 4))) < small) {
      iw(m1, 3) = i;
      ++m1;
    } else {
      const int rb = ip(i, 1);
      for (int k = rb; k <= rb + iw(i, 1) - 1; ++k) w(ind(k, 2)) = 1.0;
      iw(ins, 4) = i;
      ++ins;
    }
  }

  // 7. The affected rows follow, IM (recorded first) last.
  for (int ii = m1; ii <= last - 1; ++ii) iw(ii, 3) = iw(m + 1 + (ii - m1), 4);
  iw(last, 3) = im;

  // 8. Backward pass over LAST..M1: rows not connected to the new column
  //    move behind the bump.  W flags rows (2.0), then bump rows (3.0).
  w(im) = 2.0;
  int j = jm, last1 = last, jns = last;
  for (int ii = last; ii >= m1; --ii) {
    const int i = iw(ii, 3);
    if (w(i) == 2.0) {
      if (ii != last) j = ind(ip(i, 1), 2);
      const int kb = ip(j, 2);
      for (int k = kb; k <= kb + iw(j, 2) - 1; ++k) w(ind(k, 1)) = 2.0;
      iw(jns, 4) = i;
      --jns;
    } else {
      iw(last1, 3) = i;
      --last1;
    }
  }
  for (int ii = m1; ii <= last1; ++ii) {
    const int i = iw(jns + 1 + (ii - m1), 4);
    w(i) = 3.0;
    iw(ii, 3) = i;
  }

  // 9. Column-singleton chain: while column JM has exactly one bump row,
  //    that row pivots there (by permutation) and its old pivot column is
  //    examined next.
  int ii = m1;
  bool chain_stopped = false;
  for (; ii <= last1; ++ii) {
    const int kb = ip(jm, 2);
    const int ke = kb + iw(jm, 2) - 1;
    int count = 0, row = 0, krow = 0;
    for (int k = kb; k <= ke; ++k) {
      if (w(ind(k, 1)) == 3.0) {
        ++count;
        row = ind(k, 1);
        krow = k;
      }
    }
    if (count == 0) {
      singular();
      return;
    }
    if (count >= 2) {
      for (int p = ii, q = m1; p <= last1; ++p, ++q) iw(p, 4) = iw(q, 3);
      chain_stopped = true;
      break;
    }
    std::swap(ind(krow, 1), ind(kb, 1));
    const int rb = ip(row, 1);
    const int kj = f.find_in_row(row, jm);
    std::swap(a(kj), a(rb));
    std::swap(ind(kj, 2), ind(rb, 2));
    jm = ind(kj, 2);
    iw(ii, 4) = row;
    w(row) = 2.0;
  }
  if (!chain_stopped) ii = last1;

  // 10. Pivot rows found so far take their places; the elimination starts
  //     at the first position the chain did not settle.
  const int last2 = last1 - 1;
  if (m1 != last1) {
    for (int p = m1; p <= last2; ++p) iw(p, 3) = iw(p, 4);
    m1 = ii;
  }
  if (m1 != last1) {
    // 11. The spike row.
    for (int i = 1; i <= n; ++i) w(i) = 0.0;
    int ir = iw(last1, 3);

    // 12. Eliminate the spike row's entries in the pivot columns of the
    //     remaining bump rows, interchanging rows for stability or
    //     sparsity; the spike row finally pivots in column JM.
    for (int p = m1; p <= last1; ++p) {
      int ipp = iw(p, 3);
      int kp = ip(ipp, 1);
      const int jp = p == last1 ? jm : ind(kp, 2);
      const int k = f.find_in_row(ir, jp);
      if (k == 0) {
        if (p == last1) {
          singular();
          return;
        }
        continue;
      }
      const double am = a(k);
      int kr = ip(ir, 1);
      std::swap(a(k), a(kr));
      std::swap(ind(k, 2), ind(kr, 2));
      if (p == last1 || std::abs(a(kp)) < U * std::abs(am) ||
          (std::abs(am) >= U * std::abs(a(kp)) && iw(ir, 1) < iw(ipp, 1))) {
        iw(last1, 3) = ipp;
        iw(p, 3) = ir;
        std::swap(ir, ipp);
        std::swap(kr, kp);
        const int kb = ip(jp, 2);
        for (int kc = kb; kc <= kb + iw(jp, 2) - 1; ++kc) {
          if (ind(kc, 1) == ipp) {
            std::swap(ind(kc, 1), ind(kb, 1));
            break;
          }
        }
      }
      if (std::abs(a(kp)) < small) {
        singular();
        return;
      }
      if (p == last1) break;
      if (lu::detail::eliminate_row(f, ipp, ir, jp, mcp, G, true) != 0) {
        no_room();
        return;
      }
    }
  }

  // 13. Pivot columns of the positions touched.
  for (int p = m; p <= last; ++p) iw(p, 4) = ind(ip(iw(p, 3), 1), 2);
}
