// In-place sorts by group and within groups, and file compression.
#include <gtest/gtest.h>

#include <random>

#include "lu/sparse_lu.h"

namespace {

TEST(Sort, GroupsEntriesInPlaceWithOffset) {
  std::mt19937 rng(7);
  for (int rep = 0; rep < 50; ++rep) {
    int nc = 1 + rep % 9;
    int maxa = rep * 3;
    int jdisp = (rep % 3) - 1;  // group numbers stored as group - JDISP
    std::vector<double> a(maxa + 1);
    std::vector<int> inum(maxa + 1), jnum(maxa + 1), jptr(nc + 1);
    std::vector<std::vector<std::pair<double, int>>> want(nc + 1);
    for (int k = 0; k < maxa; ++k) {
      const int grp = 1 + static_cast<int>(rng() % nc);
      a[k] = k + 0.5;
      inum[k] = static_cast<int>(rng() % 100) - 50;
      jnum[k] = grp - jdisp;
      want[grp].push_back({a[k], inum[k]});
    }
    MC20AD(nc, maxa, a.data(), inum.data(), jptr.data(), jnum.data(), jdisp);
    int k = 0;
    for (int g = 1; g <= nc; ++g) {
      ASSERT_EQ(jptr[g - 1], k + 1);
      std::vector<std::pair<double, int>> got;
      for (size_t t = 0; t < want[g].size(); ++t, ++k) got.push_back({a[k], inum[k]});
      std::sort(got.begin(), got.end());
      std::sort(want[g].begin(), want[g].end());
      EXPECT_EQ(got, want[g]);
    }
    for (int t = 0; t < maxa; ++t) EXPECT_EQ(jnum[t], -jdisp);

    // Within each group by increasing |INUM|, stable for equal magnitudes.
    std::vector<std::pair<int, double>> before;
    for (int t = 0; t < maxa; ++t) before.push_back({inum[t], a[t]});
    MC20BD(nc, maxa, a.data(), inum.data(), jptr.data());
    for (int g = 1; g <= nc; ++g) {
      const int lo = jptr[g - 1] - 1, hi = g < nc ? jptr[g] - 1 : maxa;
      std::vector<std::pair<int, double>> exp(before.begin() + lo, before.begin() + hi);
      std::stable_sort(exp.begin(), exp.end(), [](auto& x, auto& y) {
        return std::abs(x.first) < std::abs(y.first);
      });
      for (int t = lo; t < hi; ++t) {
        EXPECT_EQ(inum[t], exp[t - lo].first);
        EXPECT_EQ(a[t], exp[t - lo].second);
      }
    }
  }
}

TEST(Compress, RowFileKeepsOrderAndStaleStartsOfEmptyRows) {
  // Row file of 10 slots: row 2 at 2..3, row 1 at 6..7, row 3 empty with
  // start 9, free slots zero.
  int n = 3, ia = 12;
  std::vector<int> ind(2 * ia, 0);
  std::vector<double> a(ia, 0.0);
  auto col = [&](int k) -> int& { return ind[ia + k - 1]; };
  col(2) = 5; a[1] = 2.0;
  col(3) = 6; a[2] = 3.0;
  col(6) = 7; a[5] = 6.0;
  col(7) = 8; a[6] = 7.0;
  std::vector<int> ip = {6, 2, 9, 0, 0, 0};
  std::vector<int> iw = {2, 2, 0};
  LA05DD.LROW = 10;
  LA05DD.NCP = 4;
  bool reals = true;
  LA05ED(a.data(), ind.data() + ia, ip.data(), n, iw.data(), ia, reals);
  EXPECT_EQ(LA05DD.LROW, 4);
  EXPECT_EQ(LA05DD.NCP, 5);
  EXPECT_EQ(ip[0], 3);
  EXPECT_EQ(ip[1], 1);
  EXPECT_EQ(ip[2], 9);
  EXPECT_EQ(iw[0], 2);
  EXPECT_EQ(iw[1], 2);
  EXPECT_EQ(iw[2], 0);
  EXPECT_EQ(std::vector<int>(ind.begin() + ia, ind.begin() + ia + 4),
            std::vector<int>({5, 6, 7, 8}));
  EXPECT_EQ(std::vector<double>(a.begin(), a.begin() + 4),
            std::vector<double>({2.0, 3.0, 6.0, 7.0}));

  // The column file: values stay where they are.
  std::vector<int> irn = {0, 4, 0, 5, 6, 0};
  std::vector<int> ip2 = {2, 4};
  std::vector<int> iw2 = {1, 2};
  std::vector<double> a2 = {9, 9, 9, 9, 9, 9};
  LA05DD.LCOL = 6;
  int n2 = 2, ia2 = 6;
  reals = false;
  LA05ED(a2.data(), irn.data(), ip2.data(), n2, iw2.data(), ia2, reals);
  EXPECT_EQ(LA05DD.LCOL, 3);
  EXPECT_EQ(ip2, std::vector<int>({1, 2}));
  EXPECT_EQ(iw2, std::vector<int>({1, 2}));
  EXPECT_EQ(std::vector<int>(irn.begin(), irn.begin() + 3), std::vector<int>({4, 5, 6}));
  EXPECT_EQ(a2, std::vector<double>(6, 9.0));
}

}  // namespace
