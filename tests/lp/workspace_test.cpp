// Workspace map arithmetic, the no-room stop and XSTOP.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lp/engine.h"
#include "lp/workspace.h"
#include "store_test_support.h"

namespace {

using lp_test::UnitEightTest;
using Lines = std::vector<std::string>;

TEST(WorkspaceMapArithmetic, RoundsCapacitiesUpToMultiplesOfFour) {
  // The remainder takes the sign of the dividend.
  const int cases[][2] = {{10, 12}, {8, 8}, {0, 0}, {1, 4}, {-5, 0}, {-3, 4}};
  for (auto [n, want] : cases) EXPECT_EQ(lp::round_up4(n), want) << n;
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
    for (int k = 1; k <= 9; ++k)
      EXPECT_EQ(p.MAPA[k], c.mapa[k]) << "BNDTYP " << c.bndtyp << " " << k;
  }
}

TEST(WorkspaceMapArithmetic, SplitsWhatIsLeftBetweenFactorValuesAndIndices) {
  // 76 fixed slots; LEFT 124; IA = 62 - 8 = 54 -> 56.
  const lp::MapPlan p = lp::plan_workspace(1, 200, 10, 5, 7);
  EXPECT_EQ(p.MEMREQ, 76);
  EXPECT_EQ(p.LEFT, 124);
  EXPECT_EQ(p.IA, 56);
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
  EXPECT_LE(p.MAPI[8], lenmy);
  // Below 2**24 the passage is exact and nothing is lowered.
  const lp::MapPlan q = lp::plan_workspace(1, 40 + 2 * 1001, 4, 4, 4);
  EXPECT_EQ(q.IA, 996);
}

using XmapsTest = UnitEightTest;

TEST_F(XmapsTest, NoRoomForTheVariablePartStops) {
  lp::Workspace ws(76);  // exactly the fixed requirement
  int IPRINT = 1, BNDTYP = 1, IOERR = 8, LENMA = 0, LENMI = 0, LENMY = 76,
      MAXA = 10, MAXM = 5, MAXN = 7, MAPA[20] = {}, MAPI[20] = {};
  const Lines got = stop_lines([&] {
    XMAPS(IPRINT, BNDTYP, IOERR, LENMA, LENMI, LENMY, MAPA, MAPI, MAXA, MAXM,
          MAXN, ws.data());
  });
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[2],
            "XMAPS...MEMORY SPACE AVAILABLE FOR VARIABLE LENGTH ARRAYS:      "
            "0 DOUBLE WORDS.");
}

using XstopTest = UnitEightTest;

TEST_F(XstopTest, WritesItsLineForKnownCodesOnly) {
  int error = 3, ioerr = 8;
  EXPECT_EQ(stop_lines([&] { XSTOP(error, ioerr); }),
            Lines{"INVALID BOUND TYPE."});
  error = 5;
  EXPECT_TRUE(stop_lines([&] { XSTOP(error, ioerr); }).empty());
}

}  // namespace
