// sort_compress.cpp — storage compression of the factor files (LA05ED) and
// the in-place sorts of an entry list by group (MC20AD) and of each group by
// index (MC20BD).
#include <cstdlib>

#include "io/one_based.h"
#include "lu/sparse_lu.h"

void LA05ED(double* A, int* IRN, int* IP, int& N, int* IW, int& IA,
            bool& REALS) {
  auto& R = LA05DD;
  io::F1<double> a(A, IA);
  io::F1<int> irn(IRN, IA);
  io::F1<int> ip(IP, N);
  io::F1<int> iw(IW, N);

  // 1. Count the compression.
  ++R.NCP;

  // 2. Mark the last slot of every nonempty line with -(its number), saving
  //    the index there in the count.
  for (int j = 1; j <= N; ++j) {
    if (iw(j) <= 0) continue;
    const int k = ip(j) + iw(j) - 1;
    iw(j) = irn(k);
    irn(k) = -j;
  }

  // 3. Slide the used slots down in file order; a marked slot ends a line,
  //    whose start and count are set from it.
  int kn = 0, ipi = 0;
  const int kl = REALS ? R.LROW : R.LCOL;
  for (int k = 1; k <= kl; ++k) {
    if (irn(k) == 0) continue;
    ++kn;
    if (REALS) a(kn) = a(k);
    if (irn(k) < 0) {
      const int j = -irn(k);
      irn(k) = iw(j);
      ip(j) = ipi + 1;
      iw(j) = kn - ipi;
      ipi = kn;
    }
    irn(kn) = irn(k);
  }

  // 4. New end of the file.
  if (REALS)
    R.LROW = kn;
  else
    R.LCOL = kn;
}

void MC20AD(int& NC, int& MAXA, double* A, int* INUM, int* JPTR, int* JNUM,
            int& JDISP) {
  io::F1<double> a(A, MAXA);
  io::F1<int> inum(INUM, MAXA);
  io::F1<int> jptr(JPTR, NC);
  io::F1<int> jnum(JNUM, MAXA);
  const int null = -JDISP;

  // 1. Count the entries of each group.
  for (int j = 1; j <= NC; ++j) jptr(j) = 0;
  for (int k = 1; k <= MAXA; ++k) ++jptr(jnum(k) + JDISP);

  // 2. Counts become starts.
  int k = 1;
  for (int j = 1; j <= NC; ++j) {
    const int kk = k + jptr(j);
    jptr(j) = k;
    k = kk;
  }

  // 3. Move every entry to its place along cycles; a placed entry has its
  //    group number set to NULL.
  for (int i = 1; i <= MAXA; ++i) {
    int jce = jnum(i) + JDISP;
    if (jce == 0) continue;
    double ace = a(i);
    int ice = inum(i);
    jnum(i) = null;
    for (int step = 1; step <= MAXA; ++step) {
      const int loc = jptr(jce);
      ++jptr(jce);
      const double acep = a(loc);
      const int icep = inum(loc);
      const int jcep = jnum(loc);
      a(loc) = ace;
      inum(loc) = ice;
      jnum(loc) = null;
      if (jcep == null) break;
      ace = acep;
      ice = icep;
      jce = jcep + JDISP;
    }
  }

  // 4. JPTR holds the ends + 1; shift them into starts.
  int ja = 1;
  for (int j = 1; j <= NC; ++j) {
    const int jb = jptr(j);
    jptr(j) = ja;
    ja = jb;
  }
}

void MC20BD(int& NC, int& MAXA, double* A, int* INUM, int* JPTR) {
  io::F1<double> a(A, MAXA);
  io::F1<int> inum(INUM, MAXA);
  io::F1<int> jptr(JPTR, NC);

  // Insertion sort of each group from its end, by increasing |INUM|.
  int kmax = MAXA;
  for (int j = NC; j >= 1; --j) {
    const int klo = jptr(j) + 1;
    if (klo <= kmax) {
      for (int kor = kmax; kor >= klo; --kor) {
        const double ace = a(kor - 1);
        const int ice = inum(kor - 1);
        int kdummy = kor;
        for (int k = kor; k <= kmax; ++k) {
          if (std::abs(ice) <= std::abs(inum(k))) break;
          inum(k - 1) = inum(k);
          a(k - 1) = a(k);
          kdummy = k + 1;
        }
        inum(kdummy - 1) = ice;
        a(kdummy - 1) = ace;
      }
    }
    kmax = klo - 2;
  }
}
