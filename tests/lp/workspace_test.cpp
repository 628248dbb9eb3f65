// Workspace map arithmetic and the no-room stop.

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
  ASSERT_EQ(got.size(), 3u);  // the stop adds no line of its own
  EXPECT_EQ(got[2],
            "XMAPS...MEMORY SPACE AVAILABLE FOR VARIABLE LENGTH ARRAYS:      "
            "0 DOUBLE WORDS.");
}

}  // namespace
