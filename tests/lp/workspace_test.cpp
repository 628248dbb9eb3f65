// Workspace map: rounding, slice placement per bound type, the constants
// stored in the workspace, the space report and its two failures, XSTOP.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "lp/engine.h"
#include "lp/workspace.h"
#include "lu/sparse_lu.h"
#include "store_test_support.h"

namespace {

using lp_test::UnitEightTest;
using Lines = std::vector<std::string>;

TEST(WorkspaceMapArithmetic, RoundsCapacitiesUpToMultiplesOfFour) {
  EXPECT_EQ(lp::round_up4(10), 12);
  EXPECT_EQ(lp::round_up4(5), 8);
  EXPECT_EQ(lp::round_up4(7), 8);
  EXPECT_EQ(lp::round_up4(8), 8);
  EXPECT_EQ(lp::round_up4(0), 0);
  EXPECT_EQ(lp::round_up4(1), 4);
  // The remainder takes the sign of the dividend.
  EXPECT_EQ(lp::round_up4(-5), 0);
  EXPECT_EQ(lp::round_up4(-3), 4);
  EXPECT_EQ(lp::round_up4(-4), -4);
}

struct BoundTypeCase {
  int bndtyp;
  long long mapa[10];
};

TEST(WorkspaceMapArithmetic, PlacesColumnStoreSlicesByBoundType) {
  // MAXA 10, MAXM 5, MAXN 7 are used as 12, 8 and 8.
  const BoundTypeCase cases[] = {
      {1, {0, 1, 1, 1, 5, 11, 16, 22, 23, 24}},
      {2, {0, 1, 1, 1, 5, 11, 16, 22, 23, 24}},
      {3, {0, 1, 1, 5, 9, 15, 20, 26, 27, 28}},
      {4, {0, 1, 5, 9, 13, 19, 24, 30, 31, 32}},
  };
  for (const BoundTypeCase& c : cases) {
    const lp::MapPlan p = lp::plan_workspace(c.bndtyp, 400, 10, 5, 7);
    EXPECT_EQ(p.LMAXA, 12);
    EXPECT_EQ(p.LMAXM, 8);
    EXPECT_EQ(p.LMAXN, 8);
    for (int k = 1; k <= 9; ++k) {
      EXPECT_EQ(p.MAPA[k], c.mapa[k]) << "BNDTYP " << c.bndtyp << " MAPA("
                                      << k << ")";
    }
    EXPECT_EQ(p.MEMREQ, c.mapa[9] + 8 + 40 + 4);
  }
}

TEST(WorkspaceMapArithmetic, SplitsWhatIsLeftBetweenFactorValuesAndIndices) {
  // Fixed part 76 slots; LEFT 124; IA = 62 - 8 = 54 -> 56.
  const lp::MapPlan p = lp::plan_workspace(1, 200, 10, 5, 7);
  EXPECT_EQ(p.MEMREQ, 76);
  EXPECT_EQ(p.LEFT, 124);
  EXPECT_EQ(p.IA, 56);
  EXPECT_FLOAT_EQ(p.DENSE, 12.0f / 64.0f);
  EXPECT_EQ(p.NONZB, 12);
  EXPECT_FLOAT_EQ(p.GROWTH, 56.0f / 12.0f);
  const long long mapi[] = {0, 25, 26, 27, 83, 91, 99, 155, 187};
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(p.MAPI[k], mapi[k]) << k;
}

TEST(WorkspaceMapArithmetic, VariablePartNeverEndsPastTheWorkspace) {
  // LEFT/2 = 2**28 + 17 goes through a 32-bit real as 2**28 + 32; taken as
  // it is, IA would end the map 13 slots past MEMORY(LENMY).
  const long long h = (1LL << 28) + 17;
  const long long lenmy = 40 + 2 * h;  // fixed part of 40 slots
  const lp::MapPlan p = lp::plan_workspace(1, lenmy, 4, 4, 4);
  ASSERT_EQ(p.MEMREQ, 40);
  EXPECT_EQ(p.IA, (1LL << 28) + 16);
  EXPECT_EQ(p.IA % 4, 0);
  EXPECT_LE(p.MAPI[8], lenmy);
  // Below 2**24 the passage is exact and nothing is lowered.
  const lp::MapPlan q = lp::plan_workspace(1, 40 + 2 * 1001, 4, 4, 4);
  EXPECT_EQ(q.IA, 996);
}

TEST(WorkspaceMapArithmetic, EmptyCapacitiesDivideByNothing) {
  // No nonzeros expected: the estimate 0 is measured as one nonzero.
  const lp::MapPlan a = lp::plan_workspace(1, 200, 0, 5, 7);
  EXPECT_EQ(a.NONZB, 0);
  EXPECT_FLOAT_EQ(a.GROWTH, static_cast<float>(a.IA));
  // No rows and no columns at all.
  const lp::MapPlan b = lp::plan_workspace(1, 200, 0, 0, 0);
  EXPECT_EQ(b.LMAXM, 0);
  EXPECT_FLOAT_EQ(b.DENSE, 0.0f);
  EXPECT_GT(b.GROWTH, 3.0f);
}

class XmapsTest : public UnitEightTest {
 protected:
  // Maps a fresh workspace of LENMY slots; returns false if it stopped.
  void map(int iprint, int bndtyp, int lenmy, int maxa, int maxm, int maxn) {
    ws_ = lp::Workspace(lenmy);
    lenmy_ = lenmy;
    iprint_ = iprint;
    bndtyp_ = bndtyp;
    maxa_ = maxa;
    maxm_ = maxm;
    maxn_ = maxn;
    XMAPS(iprint_, bndtyp_, ioerr_, lenma_, lenmi_, lenmy_, mapa_, mapi_,
          maxa_, maxm_, maxn_, ws_.data());
  }
  lp::Workspace ws_{1};
  int iprint_ = 0, bndtyp_ = 1, ioerr_ = 8, lenma_ = 0, lenmi_ = 0;
  int lenmy_ = 0, maxa_ = 0, maxm_ = 0, maxn_ = 0;
  int mapa_[20] = {}, mapi_[20] = {};
};

TEST_F(XmapsTest, StoresTablesConstantsAndTolerances) {
  map(0, 4, 300, 10, 5, 7);
  EXPECT_EQ(lenma_, 9);
  EXPECT_EQ(lenmi_, 8);
  const lp::MapPlan p = lp::plan_workspace(4, 300, 10, 5, 7);
  for (int k = 1; k <= 9; ++k) EXPECT_EQ(mapa_[k - 1], p.MAPA[k]) << k;
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(mapi_[k - 1], p.MAPI[k]) << k;
  double* memory = ws_.data();
  EXPECT_EQ(*lp::i32_slice(memory, mapa_[6]), 12);  // MAXA
  EXPECT_EQ(*lp::i32_slice(memory, mapa_[7]), 8);   // MAXN
  EXPECT_EQ(*lp::i32_slice(memory, mapa_[8]), 8);   // MAXM
  EXPECT_EQ(*lp::i32_slice(memory, mapi_[7]), p.IA);
  EXPECT_EQ(*lp::f64_slice(memory, mapi_[1]), 0.10000000149011612);
  EXPECT_EQ(*lp::f64_slice(memory, mapi_[0]), 0.0);  // G
  // The caller's capacities are left alone.
  EXPECT_EQ(maxa_, 10);
  EXPECT_EQ(maxm_, 5);
  EXPECT_EQ(maxn_, 7);
  EXPECT_EQ(RVNCOM.BIG, 1.0e30);
  EXPECT_EQ(RVNCOM.SMALL, 1.0e-10);
  EXPECT_EQ(RVNCOM.ZL, 1.0e-10);
  EXPECT_EQ(RVNCOM.ZLC, 1.0e-10);
  EXPECT_EQ(RVNCOM.EPS1, 1.0e-6);
  EXPECT_EQ(RVNCOM.EPS2, 1.0e-6);
  EXPECT_EQ(RVNCOM.EPS3, 1.0e-6);
  EXPECT_EQ(RVNCOM.EPS4, 0.0);
  EXPECT_EQ(LA05DD.SMALL, 1.0e-10);
  EXPECT_EQ(LA05DD.LP, 8);
  EXPECT_TRUE(lines().empty()) << "IPRINT 0 writes nothing";
}

TEST_F(XmapsTest, RemappingClearsThePreviousLayout) {
  map(0, 4, 300, 10, 5, 7);
  double* memory = ws_.data();
  ASSERT_EQ(mapa_[2], 9);
  lp::f32_slice(memory, 9)[0] = 7.5f;                  // PROFIT(1)
  lp::i32_slice(memory, mapa_[4])[3] = 42;             // COLPNT(3)
  // The same storage mapped again with another bound type: slot 9 now
  // holds ACOEFF(9), and nothing of the old layout shows through.
  bndtyp_ = 1;
  XMAPS(iprint_, bndtyp_, ioerr_, lenma_, lenmi_, lenmy_, mapa_, mapi_, maxa_,
        maxm_, maxn_, memory);
  ASSERT_EQ(mapa_[3], 5);
  EXPECT_EQ(lp::f32_slice(memory, mapa_[3])[8], 0.0f);
  for (int k = 1; k <= 300; ++k) {
    if (k == mapa_[6] || k == mapa_[7] || k == mapa_[8] || k == mapi_[1] ||
        k == mapi_[7])
      continue;
    EXPECT_EQ(*lp::f64_slice(memory, k), 0.0) << "slot " << k;
  }
}

TEST_F(XmapsTest, SpaceReport) {
  map(1, 1, 200, 10, 5, 7);
  const Lines expected = {
      "XMAPS...MEMORY SPACE REQUIRED FOR FIXED LENGTH ARRAYS:       76 DOUBLE "
      "WORDS.",
      "XMAPS...YOU HAVE PROVIDED:      200 DOUBLE WORDS.",
      "XMAPS...MEMORY SPACE AVAILABLE FOR VARIABLE LENGTH ARRAYS:    124 "
      "DOUBLE WORDS.",
      "XMAPS...THIS PERMITS A GROWTH FACTOR OF       4.67",
      "A GROWTH FACTOR OF AT LEAST 3.0 IS REQUIRED FOR SUCCESSFUL EXECUTION.",
  };
  EXPECT_EQ(lines(), expected);
}

TEST_F(XmapsTest, NoRoomForTheVariablePartStops) {
  // LENMY equal to the fixed requirement: the last line shows 0.
  const Lines got = stop_lines([&] { map(1, 1, 76, 10, 5, 7); });
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[2],
            "XMAPS...MEMORY SPACE AVAILABLE FOR VARIABLE LENGTH ARRAYS:      "
            "0 DOUBLE WORDS.");
}

TEST_F(XmapsTest, NoRoomStopsSilentlyWithoutReport) {
  EXPECT_TRUE(stop_lines([&] { map(0, 1, 50, 10, 5, 7); }).empty());
}

TEST_F(XmapsTest, TooSmallGrowthFactorStopsAfterTheGrowthLines) {
  // LEFT 44: IA = 22 - 8 = 14 -> 16; 16 / 12 = 1.33.
  const Lines got = stop_lines([&] { map(1, 1, 120, 10, 5, 7); });
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[3], "XMAPS...THIS PERMITS A GROWTH FACTOR OF       1.33");
  EXPECT_EQ(got[4],
            "A GROWTH FACTOR OF AT LEAST 3.0 IS REQUIRED FOR SUCCESSFUL "
            "EXECUTION.");
  EXPECT_TRUE(stop_lines([&] { map(0, 1, 120, 10, 5, 7); }).empty());
}

TEST_F(XmapsTest, BadBoundTypeStopsWithCodeThree) {
  const Lines expected = {"XMAPS          5", "INVALID BOUND TYPE."};
  EXPECT_EQ(stop_lines([&] { map(1, 5, 200, 10, 5, 7); }), expected);
  const Lines zero = {"XMAPS          0", "INVALID BOUND TYPE."};
  EXPECT_EQ(stop_lines([&] { map(0, 0, 200, 10, 5, 7); }), zero);
}

TEST_F(XmapsTest, NegativeCapacitiesAreRefused) {
  EXPECT_EQ(stop_lines([&] { map(0, 1, 200, 10, -5, 7); }),
            (Lines{"XMAPS         -5", "INVALID NUMBER OF CONSTRAINTS."}));
  EXPECT_EQ(stop_lines([&] { map(0, 1, 200, 10, 5, -1); }),
            (Lines{"XMAPS         -1", "INVALID NUMBER OF VARIABLES."}));
  EXPECT_EQ(stop_lines([&] { map(0, 1, 200, -3, 5, 7); }),
            (Lines{"XMAPS         -3"}));
}

TEST_F(XmapsTest, ZeroNonzeroCapacityMapsWithoutDividingByZero) {
  map(1, 1, 200, 0, 5, 7);
  const Lines got = lines();
  ASSERT_EQ(got.size(), 5u);
  // MAPA(9) = 12, MEMREQ 64, LEFT 136: IA = 68 - 8 = 60, measured against
  // one nonzero.
  EXPECT_EQ(got[3], "XMAPS...THIS PERMITS A GROWTH FACTOR OF      60.00");
  EXPECT_EQ(*lp::i32_slice(ws_.data(), mapa_[6]), 0);
}

using XstopTest = UnitEightTest;

TEST_F(XstopTest, WritesItsLineForCodesOneToFour) {
  const char* const texts[] = {
      "INVALID NUMBER OF CONSTRAINTS.", "INVALID NUMBER OF VARIABLES.",
      "INVALID BOUND TYPE.", "INVALID COLUMN LENGTH."};
  for (int code = 1; code <= 4; ++code) {
    int error = code, ioerr = 8;
    EXPECT_EQ(stop_lines([&] { XSTOP(error, ioerr); }), Lines{texts[code - 1]});
  }
  for (int code : {0, 5, -1}) {
    int error = code, ioerr = 8;
    EXPECT_TRUE(stop_lines([&] { XSTOP(error, ioerr); }).empty()) << code;
  }
}

TEST(XstopDeathTest, EndsTheProcessWithNonZeroStatus) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  int error = 0, ioerr = 8;
  EXPECT_EXIT(
      {
        io::set_stop_hook({});
        XSTOP(error, ioerr);
      },
      ::testing::ExitedWithCode(1), "");
}

TEST(WorkspaceAllocation, ZeroFilledAndMovable) {
  lp::Workspace a(16);
  ASSERT_TRUE(a.ok());
  EXPECT_EQ(a.size(), 16);
  for (int k = 1; k <= 16; ++k) EXPECT_EQ(*lp::f64_slice(a.data(), k), 0.0);
  double* p = a.data();
  lp::Workspace b(std::move(a));
  EXPECT_EQ(b.data(), p);
  EXPECT_FALSE(a.ok());  // NOLINT(bugprone-use-after-move)
  lp::Workspace c(0, std::nothrow);
  EXPECT_TRUE(c.ok()) << "an empty workspace still has a slot 1";
}

}  // namespace
