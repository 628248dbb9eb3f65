// elimination.cpp — the row elimination shared by the factorisation and the
// column replacement, the compressions of the two files, and the records of
// the prefixed error messages.
//
//   eliminate_row  add AM times the pivot row to a target row, rebuilding
//                  the target at the end of the row file, entering fill-in
//                  in the column file and appending the multiplier to L.
#include <cmath>
#include <utility>

#include "io/edit.h"
#include "io/record.h"
#include "lu/la05_kernel.h"

namespace lu::detail {

void Factors::compress_rows() {
  bool reals = true;
  LA05ED(A, IND + ia, IP, n, IW, ia, reals);
}

void Factors::compress_cols() {
  bool reals = false;
  LA05ED(A, IND, IP + n, n, IW + n, ia, reals);
}

void Factors::remove_from_column(int j, int r) {
  const int nz = iw(j, 2);
  const int kb = ip(j, 2);
  const int kl = kb + nz - 1;
  for (int k = kb; k <= kl; ++k) {
    if (ind(k, 1) == r) {
      ind(k, 1) = ind(kl, 1);
      ind(kl, 1) = 0;
      iw(j, 2) = nz - 1;
      return;
    }
  }
}

int Factors::find_in_row(int i, int j) const {
  const int kb = ip(i, 1);
  const int kl = kb + iw(i, 1) - 1;
  for (int k = kb; k <= kl; ++k)
    if (ind(k, 2) == j) return k;
  return 0;
}

int eliminate_row(Factors& f, int ipp, int ir, int jp, int mcp, double& G,
                  bool update) {
  constexpr int kFail = -7;
  auto& R = LA05DD;
  const double small = R.SMALL;
  const long long ia = f.ia;
  auto& a = f.a;
  auto& ind = f.ind;
  auto& ip = f.ip;
  auto& iw = f.iw;
  auto& w = f.w;

  int kp = ip(ipp, 1);
  int kr = ip(ir, 1);
  const double am = -a(kr) / a(kp);

  // 1. Room in the row file for the rebuilt row IR (at most its own entries
  //    plus those of the pivot row); compress once if that frees enough.
  const long long need =
      static_cast<long long>(iw(ir, 1)) + iw(ipp, 1) + R.LENL;
  if (R.LROW + need > ia) {
    if (R.NCP >= mcp || R.LENU + need > ia) return kFail;
    f.compress_rows();
    kp = ip(ipp, 1);
    kr = ip(ir, 1);
    if (R.LROW + need > ia) return kFail;
  }

  // 2. Scatter the pivot row (without its pivot) into W by column.
  const int kpl = kp + iw(ipp, 1) - 1;
  for (int k = kp + 1; k <= kpl; ++k) w(ind(k, 2)) = a(k);

  // 3. Rebuild row IR at the end of the row file: the JP entry goes, the
  //    other entries are updated, tiny results are dropped.
  const int krl = kr + iw(ir, 1) - 1;
  ip(ir, 1) = R.LROW + 1;
  ind(kr, 2) = 0;
  for (int ks = kr + 1; ks <= krl; ++ks) {
    const int j = ind(ks, 2);
    const double au = a(ks) + am * w(j);
    ind(ks, 2) = 0;
    if (std::abs(au) <= small) {
      --R.LENU;
      f.remove_from_column(j, ir);
    } else {
      if (std::abs(au) > G) G = std::abs(au);
      ++R.LROW;
      a(R.LROW) = au;
      ind(R.LROW, 2) = j;
    }
    w(j) = 0.0;
  }

  // 4. Fill-in: pivot-row columns that row IR did not have.  The columns
  //    IR had are zero in W by now and create nothing (tested directly, so
  //    that a non-finite multiplier cannot enter a second entry for them).
  for (int k = kp + 1; k <= kpl; ++k) {
    const int j = ind(k, 2);
    if (w(j) == 0.0) continue;
    const double au = am * w(j);
    if (std::abs(au) <= small) {
      w(j) = 0.0;
      continue;
    }
    ++R.LROW;
    a(R.LROW) = au;
    ind(R.LROW, 2) = j;
    ++R.LENU;

    // Add IR to column J's list: grow at the end of the file, into a free
    // slot right after the list, or move the list to the end of the file.
    // A free slot counts only inside the file (an empty column may keep a
    // stale start beyond LCOL after a compression).
    const int nz = iw(j, 2);
    const int kl = ip(j, 2) + nz - 1;
    if (kl == R.LCOL && R.LCOL + R.LENL < ia) {
      ++R.LCOL;
      ind(R.LCOL, 1) = ir;
    } else if (kl != R.LCOL && kl < R.LCOL && ind(kl + 1, 1) == 0) {
      ind(kl + 1, 1) = ir;
    } else {
      if (static_cast<long long>(R.LCOL) + R.LENL + nz + 1 >= ia) {
        if (R.NCP >= mcp ||
            static_cast<long long>(R.LENU) + R.LENL + nz + 1 >= ia)
          return kFail;
        f.compress_cols();
        if (static_cast<long long>(R.LCOL) + R.LENL + nz + 1 > ia)
          return kFail;
      }
      const int kb = ip(j, 2);
      ip(j, 2) = R.LCOL + 1;
      for (int kk = kb; kk <= kb + nz - 1; ++kk) {
        ++R.LCOL;
        ind(R.LCOL, 1) = ind(kk, 1);
        ind(kk, 1) = 0;
      }
      ++R.LCOL;
      ind(R.LCOL, 1) = ir;
    }
    if (std::abs(au) > G) G = std::abs(au);
    iw(j, 2) = nz + 1;
    w(j) = 0.0;
  }
  iw(ir, 1) = R.LROW + 1 - ip(ir, 1);

  // 5. Store the multiplier at the low end of the L file.
  if (static_cast<long long>(R.LENL) + R.LCOL + 1 > ia) {
    if (R.NCP >= mcp) return kFail;
    f.compress_cols();
  }
  if (static_cast<long long>(R.LENL) + R.LCOL + 1 > ia ||
      static_cast<long long>(R.LENL) + R.LROW + 1 > ia)
    return kFail;
  const int k = f.ia - R.LENL;
  ++R.LENL;
  a(k) = am;
  ind(k, 1) = ipp;
  ind(k, 2) = ir;
  if (update) f.remove_from_column(jp, ir);
  --R.LENU;
  return 0;
}

void prefixed_error(int lp, std::string_view text, std::string_view routine) {
  if (lp <= 0) return;
  { io::Record r(lp, ' '); }
  { io::Record r(lp, ' '); }
  io::Record(lp, ' ') << io::X(33) << text;
  io::Record(lp, '+') << "ERROR RETURN FROM " << routine << " BECAUSE";
}

}  // namespace lu::detail
