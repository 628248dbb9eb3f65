// Column and bound store: 32-bit round trips, replacement in place with
// its filler, and one failure line of each kind.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lp/engine.h"
#include "lp/workspace.h"
#include "store_test_support.h"

namespace {

using Lines = std::vector<std::string>;

// A column in the caller's interchange format.
struct Column {
  double cj = 0.0;
  std::vector<double> a;
  std::vector<int> rows;
};

class ColumnStoreTest : public lp_test::UnitEightTest {
 protected:
  // MAXA 12, MAXM 8, MAXN 8 after rounding (given 10, 6, 7).
  void SetUp() override {
    UnitEightTest::SetUp();
    remap(1);
  }
  void remap(int bndtyp, int maxa = 10) {
    int iprint = 0, lenmy = 400, maxm = 6, maxn = 7;
    bndtyp_ = bndtyp;
    XMAPS(iprint, bndtyp_, ioerr_, lenma_, lenmi_, lenmy, mapa_, mapi_, maxa,
          maxm, maxn, ws_.data());
    n_ = 0;
  }

  int append(const Column& c, int colmax = 5) {
    load(c, colmax);
    int j = 0;
    XADDAJ(c_.cj, cola_.data(), coli_.data(), collen_, colmax_, ioerr_, j,
           lenma_, lenmy_, mapa_, ws_.data(), n_);
    return j;
  }
  void replace(int j, const Column& c, int colmax = 5, int maxa = 10,
               int maxn = 7, int maxm = 6) {
    load(c, colmax);
    XREPAJ(c_.cj, cola_.data(), coli_.data(), collen_, colmax_, ioerr_, j,
           lenma_, lenmy_, mapa_, ws_.data(), n_, maxa, maxn, maxm);
  }
  Column fetch(int j, int colmax = 5) {
    colmax_ = colmax;
    cola_.assign(colmax, -99.0);
    coli_.assign(colmax, -99);
    double cj = 0.0;
    XGETAJ(cj, cola_.data(), coli_.data(), collen_, colmax_, ioerr_, j,
           lenma_, lenmy_, mapa_, ws_.data());
    Column c;
    c.cj = cj;
    c.a.assign(cola_.begin(), cola_.begin() + collen_);
    c.rows.assign(coli_.begin(), coli_.begin() + collen_);
    return c;
  }
  void put_bounds(int j, double lj, double uj) {
    XADDUB(bndtyp_, ioerr_, j, lenma_, lenmy_, lj, mapa_, ws_.data(), uj);
  }
  std::pair<double, double> get_bounds(int j) {
    double lj = -1.0, uj = -1.0;
    XGETUB(bndtyp_, ioerr_, j, lenma_, lenmy_, lj, mapa_, ws_.data(), uj);
    return {lj, uj};
  }
  int* colpnt() { return lp::i32_slice(ws_.data(), mapa_[4]); }

  void load(const Column& c, int colmax) {
    c_ = c;
    colmax_ = colmax;
    collen_ = static_cast<int>(c.a.size());
    cola_ = c.a;
    coli_ = c.rows;
    cola_.resize(std::max<std::size_t>(colmax, c.a.size()) + 1, 0.0);
    coli_.resize(std::max<std::size_t>(colmax, c.rows.size()) + 1, 0);
  }

  lp::Workspace ws_{400};
  int ioerr_ = 8, lenma_ = 0, lenmi_ = 0, lenmy_ = 400, bndtyp_ = 1, n_ = 0;
  int mapa_[20] = {}, mapi_[20] = {};
  Column c_;
  int collen_ = 0, colmax_ = 0;
  std::vector<double> cola_;
  std::vector<int> coli_;
};

TEST_F(ColumnStoreTest, ValuesAndCostsComeBackAsTheir32BitValues) {
  EXPECT_EQ(append({0.1, {0.1, -2.5}, {1, 8}}), 1);
  EXPECT_EQ(n_, 1);
  const Column c = fetch(1);
  EXPECT_EQ(c.cj, 0.10000000149011612);
  EXPECT_EQ(c.a, (std::vector<double>{0.10000000149011612, -2.5}));
  EXPECT_EQ(c.rows, (std::vector<int>{1, 8}));
  // Beyond the 32-bit range a value is held as an infinity, not garbage.
  append({1.0e300, {-1.0e300}, {2}});
  const Column big = fetch(2);
  EXPECT_TRUE(std::isinf(big.cj) && big.cj > 0);
  EXPECT_TRUE(std::isinf(big.a[0]) && big.a[0] < 0);
}

TEST_F(ColumnStoreTest, LastColumnReservesColmaxWithFillerInRowMaxm) {
  // 3 entries stored as the last column with COLMAX 5 and MAXM 6.
  n_ = 1;
  replace(1, {-1.5, {1.0, 2.0, 3.0}, {1, 2, 3}});
  EXPECT_EQ(colpnt()[1], 5);
  const Column c = fetch(1);
  EXPECT_EQ(c.cj, -1.5);
  EXPECT_EQ(c.a, (std::vector<double>{1.0, 2.0, 3.0, 0.0, 0.0}));
  EXPECT_EQ(c.rows, (std::vector<int>{1, 2, 3, 6, 6}));
}

TEST_F(ColumnStoreTest, AppendFailures) {
  // Too many variables: the store holds 8 columns.
  n_ = 8;
  EXPECT_EQ(stop_lines([&] { append({0.0, {1.0}, {1}}); }),
            Lines{"XDATA1...ERROR: TOO MANY VARIABLES.  SPACE WAS REQUESTED "
                  "FOR ONLY     8 VARIABLES."});
  // Too many nonzeros: 12 positions.
  n_ = 0;
  append({0.0, {1, 1, 1, 1, 1}, {1, 2, 3, 4, 5}});
  append({0.0, {1, 1, 1, 1, 1}, {1, 2, 3, 4, 5}});
  EXPECT_EQ(stop_lines([&] { append({0.0, {1, 1, 1}, {1, 2, 3}}); }),
            Lines{"XDATA1...ERROR: TOO MANY NON-ZEROS.  SPACE WAS REQUESTED "
                  "FOR ONLY    12 NON-ZEROS."});
  n_ = 0;
  EXPECT_EQ(stop_lines([&] { append({0.0, {1.0, 1.0}, {2, 9}}); }),
            Lines{"XDATA1...ERROR: COLUMN    1 HAS AN ENTRY IN ROW    9"});
}

TEST_F(ColumnStoreTest, FetchFailures) {
  append({0.0, {1.0, 2.0, 3.0}, {1, 2, 3}});
  EXPECT_EQ(stop_lines([&] { fetch(9); }),
            Lines{"XDATA2...ERROR: VARIABLE    9 DOES NOT EXIST."});
  // Longer than the caller's buffer.
  EXPECT_EQ(stop_lines([&] { fetch(1, 2); }),
            Lines{"XDATA2...ERROR: COLUMN    1 HAS LENGTH    3"});
}

TEST_F(ColumnStoreTest, ReplaceFailures) {
  n_ = 1;
  replace(1, {0.0, {1.0, 2.0}, {1, 2}});
  n_ = 2;
  replace(2, {0.0, {1.0}, {1}});
  // Column 1 owns 5 positions.
  EXPECT_EQ(stop_lines([&] {
              replace(1, {0.0, {1, 1, 1, 1, 1, 1}, {1, 2, 3, 4, 5, 6}}, 6);
            }),
            (Lines{"", "DATA5.. NOT ENOUGH SPACE FOR NEW COLUMN",
                   "    J=     1     LENGTH=     6"}));
  EXPECT_EQ(stop_lines([&] { replace(4, {0.0, {1.0}, {1}}); }),
            Lines{"XDATA5...ERROR: VARIABLE    4 DOES NOT EXIST."});
  // Column 3 as the last one: 10 positions used, 2 left of MAXA 10.
  EXPECT_EQ(stop_lines([&] { replace(3, {0.0, {1, 1, 1}, {1, 2, 3}}); }),
            Lines{"XDATA5...ERROR: TOO MANY NON-ZEROS.  SPACE WAS REQUESTED "
                  "FOR ONLY    10 NON-ZEROS."});
}

TEST_F(ColumnStoreTest, BoundFailures) {
  remap(3);
  // Crossed bounds stop even with bound type 3, where LJ is not stored.
  EXPECT_EQ(stop_lines([&] { put_bounds(2, 2.0, 1.0); }),
            (Lines{"", "XDATA3.....FOR J =      2, LJ =  0.20000000D+01 "
                       "EXCEEDS UJ =  0.10000000D+01"}));
  EXPECT_EQ(stop_lines([&] { get_bounds(9); }),
            Lines{"XDATA4...ERROR: INVALID VARIABLE INDEX    9"});
  bndtyp_ = 2;
  EXPECT_EQ(stop_lines([&] { put_bounds(1, 0.0, 1.0); }),
            (Lines{"XDATA3         2", "INVALID BOUND TYPE."}));
}

}  // namespace
