// The solver through POSY with the report captured: the infeasible-point
// warning, programs that once broke it, and the storage and schedule
// choices.  (The shipped examples, endings and traces run through the
// program itself in program_test.cpp.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <fstream>

#include "gp_problem.h"
#include "io/units.h"

namespace {

using gptest::GpProblem;
using gptest::RunParams;
using gptest::solve;

const char* const kOptimum = "****TERMINATED: OPTIMUM SOLUTION FOUND";
const char* const kBest = "BEST AVAILABLE SOLUTION FOLLOWS:";
const char* const kNotFeasible =
    "****WARNING: THE POINT REPORTED BELOW IS NOT FEASIBLE;";

// min x1 + x2 s.t. 1/(x1 x2) <= 1: optimum 2 at x = (1, 1).
GpProblem sum_over_product() {
  GpProblem p;
  p.NVAR = 2;
  p.term(0, 1.0, {{1, 1.0}});
  p.term(0, 1.0, {{2, 1.0}});
  p.term(1, 1.0, {{1, -1.0}, {2, -1.0}});
  p.finish();
  return p;
}

// An ending other than the optimum at a point that violates a constraint
// names the worst constraint; feasible final points carry no warning.
TEST(Solver, InfeasibleFinalPointIsFlagged) {
  GpProblem p;  // min x1 + x2 s.t. 0.5/x1 + 0.5/x2 <= 1; first point (0.5, 0.5)
  p.NVAR = 2;
  p.term(0, 1.0, {{1, 1.0}});
  p.term(0, 1.0, {{2, 1.0}});
  p.term(1, 0.5, {{1, -1.0}});
  p.term(1, 0.5, {{2, -1.0}});
  p.finish();
  RunParams params;
  params.ITMAX = 0;
  auto r = solve(p, params);
  EXPECT_TRUE(r.has(kNotFeasible));
  EXPECT_TRUE(r.has("LARGEST CONSTRAINT VIOLATION=    0.10000000E+01 "
                    "(CONSTRAINT    1)"));
  EXPECT_FALSE(solve(sum_over_product(), params).has(kNotFeasible));
  params.ITMAX = 100;
  r = solve(p, params);
  EXPECT_TRUE(r.has(kOptimum));
  EXPECT_FALSE(r.has(kNotFeasible));
}

// The artificial of a redundant row stays basic after the first solve; later
// columns must not be stored over the logical columns.
TEST(Solver, ArtificialBasicAfterFirstSolveKeepsItsColumn) {
  GpProblem p;
  p.NVAR = 3;
  p.term(0, 1.0, {{1, 1.0}, {2, 1.0}});
  p.term(0, 4.0, {{1, -1.0}, {2, -1.0}});
  p.term(0, 1.0, {{3, 1.0}});
  p.term(0, 9.0, {{3, -1.0}});
  p.term(1, 0.5, {{3, 1.0}});
  p.term(1, 0.1, {{1, 1.0}, {2, 1.0}});
  p.finish();
  RunParams params;
  params.IPRINT = -1;
  auto r = solve(p, params);
  EXPECT_TRUE(r.has(kOptimum));
  int dumps = 0;
  for (size_t i = 0; i + 1 < r.report.size(); ++i)
    if (r.report[i] == "STATUS VECTOR IS") {
      ++dumps;
      EXPECT_EQ((r.report[i + 1].size() - 4) / 3, 10u);  // 6 terms + 4 logicals
    }
  EXPECT_GE(dumps, 2);
  // min t + 4/t + z + 9/z over 0.5 z + 0.1 t <= 1, on a grid.
  double best = 1e300;
  for (double t = 0.01; t < 10.0; t += 0.0005) {
    const double zmax = (1.0 - 0.1 * t) / 0.5;
    if (zmax <= 0) break;
    const double z = std::min(3.0, zmax);
    best = std::min(best, t + 4.0 / t + z + 9.0 / z);
  }
  EXPECT_NEAR(r.VPOSY[0], best, 1e-5 * best);
}

// LP prices that overflow exp(): no column from a non-finite point.
TEST(Solver, NonFiniteGridPointEndsCleanly) {
  const std::string file =
      std::string(POSY_SHARED_DIR) + "/gp-testset/CL25.DAT";
  if (!std::ifstream(file)) GTEST_SKIP() << "classic test set not found: " << file;
  RunParams params;
  params.ITMAX = 50;
  auto r = solve(GpProblem::read(file), params);
  EXPECT_TRUE(r.has(kBest) || r.has(kOptimum) ||
              r.has("****TERMINATED: END OF    50 ITERATIONS "));
}

struct Stopped {
  int code;
};

// Capacities that overflow 32 bits (NVAR 70000: MAXA; 30000: workspace
// length) or a workspace beyond memory (12000: 15.5 GB) stop with code 1.
TEST(Solver, OversizedMasterLpStopsWithTheStorageMessage) {
  io::set_stop_hook([](int code) { throw Stopped{code}; });
  const bool small_memory = sysconf(_SC_PHYS_PAGES) * sysconf(_SC_PAGESIZE) < 15.0e9;
  for (int nvar : {70000, 30000, 12000}) {
    if (nvar == 12000 && !small_memory) continue;
    GpProblem p;
    p.NVAR = nvar;
    p.term(0, 1.0, {{1, 1.0}});
    p.term(0, 1.0, {{1, -1.0}});
    p.finish();
    int code = 0;
    try {
      solve(p);
    } catch (const Stopped& s) {
      code = s.code;
    }
    EXPECT_EQ(code, 1) << nvar;
  }
  io::set_stop_hook({});
}

// A re-solve the engine abandons is tried once more from its starting
// basis on a fresh perturbation.  On this program the engine abandons
// re-solves (pivots of 1.5e-8 refused); before the retry most iterations
// ended with "LINEAR RETURNS FLAG" and the run at its iteration limit.  The
// reference optimum is cvxopt's.
TEST(Solver, AbandonedReSolveIsRetried) {
  RunParams params;
  params.ITMAX = 200;
  auto r = solve(GpProblem::read(std::string(POSY_GP_DATA_DIR) + "/LPFAIL.DAT"),
                 params);
  EXPECT_TRUE(r.has(kOptimum));
  EXPECT_FALSE(r.has("LINEAR RETURNS FLAG    5"));
  EXPECT_NEAR(r.VPOSY[0] / 0.026772393946, 1.0, 1e-6);
}

// x2 appears only together with x1, as s = x1^0.7 x2^2.1, so its row of
// the master LP is 3 times x1's: min s + 1/s + x3 + 1/x3 + s x3, constraint
// s / 2 + 1/(4 x3) <= 1.  The optimum has s = x3 = t with 2t + 2/t + t^2
// least: t^3 + t^2 = 1, t = 0.75487767 (the constraint is slack there).
// The row is stored as zeros: the solve must neither stall nor be
// abandoned (rounded to 32 bits, the two rows were no longer exactly
// proportional), and the redundant variable takes the value 1.
TEST(Solver, VariableThatAlwaysAppearsWithAnotherOne) {
  GpProblem p;
  p.NVAR = 3;
  p.term(0, 1.0, {{1, 0.7}, {2, 2.1}});
  p.term(0, 1.0, {{1, -0.7}, {2, -2.1}});
  p.term(0, 1.0, {{3, 1.0}});
  p.term(0, 1.0, {{3, -1.0}});
  p.term(0, 1.0, {{1, 0.7}, {2, 2.1}, {3, 1.0}});
  p.term(1, 0.5, {{1, 0.7}, {2, 2.1}});
  p.term(1, 0.25, {{3, -1.0}});
  p.finish();
  auto r = solve(p, RunParams{});
  EXPECT_TRUE(r.has(kOptimum));
  EXPECT_FALSE(r.has("LINEAR RETURNS FLAG    5"));
  const double t = 0.7548776662466927;
  EXPECT_NEAR(r.VPOSY[0], 2.0 * t + 2.0 / t + t * t, 1e-6);
  EXPECT_NEAR(r.XPRIML[1], 1.0, 1e-12);
  // A flat optimum: the point is good to about the root of the objective's.
  EXPECT_NEAR(std::pow(r.XPRIML[0], 0.7), t, 1e-3);
  EXPECT_NEAR(r.XPRIML[2], t, 1e-3);
}

// An iteration whose re-solve fails is abandoned but still advances the
// report schedule.  min x s.t. x + 1/x <= 1 (no x satisfies it): the first
// master LP is bounded, but the constraint's grid-point column at (1/2, 1/2)
// has zero rows and cost ln 2, so every later master LP is unbounded.
TEST(Solver, AbandonedReportIterationKeepsTheSchedule) {
  GpProblem p;
  p.NVAR = 1;
  p.term(0, 1.0, {{1, 1.0}});
  p.term(1, 1.0, {{1, 1.0}});
  p.term(1, 1.0, {{1, -1.0}});
  p.finish();
  RunParams params;
  params.ITMAX = 20;
  params.FRQREP = 5;
  auto r = solve(p, params);
  std::vector<int> reported;
  int failed = 0;
  for (const auto& l : r.report) {
    if (l.rfind("         * ITERATION #", 0) == 0)
      reported.push_back(std::stoi(l.substr(22, 5)));
    if (l == "LINEAR RETURNS FLAG    3") ++failed;
  }
  EXPECT_EQ(failed, 20);
  EXPECT_EQ(reported, (std::vector<int>{5, 10, 15, 20}));
  EXPECT_TRUE(r.has("****TERMINATED: END OF    20 ITERATIONS "));
  EXPECT_TRUE(r.has(kNotFeasible));

  // The point never moves, so the failures would go on to any limit: 50 in
  // a row end the solve on the cannot-be-met path, flagged infeasible.
  params.ITMAX = 20000;
  r = solve(p, params);
  failed = 0;
  for (const auto& l : r.report)
    if (l == "LINEAR RETURNS FLAG    3") ++failed;
  EXPECT_EQ(failed, 50);
  EXPECT_TRUE(r.has(kBest));
  EXPECT_TRUE(r.has("TOTAL NUMBER OF ITERATIONS =    49"));
  EXPECT_TRUE(r.has(kNotFeasible));
}

// The gravel box (GRAVEL.DAT: optimum 60 at x = (2, 1, 0.5)) with its
// objective scaled by 1e250: every grid-point cost then lies near -575,
// which the 32-bit store rounds by 3e-5, far above the convergence
// tolerance, so the costs are re-centred on the prices as the gap closes.
// Each re-centring must leave the LP as it was: the same point, the LP
// bound within RGAP of the scaled optimum.
TEST(Solver, HugeCostsAreReCentredWithoutChangingTheLp) {
  const double scale = 1.0e250;
  GpProblem p;
  p.NVAR = 3;
  p.term(0, 40.0 * scale, {{1, -1.0}, {2, -1.0}, {3, -1.0}});
  p.term(0, 40.0 * scale, {{2, 1.0}, {3, 1.0}});
  p.term(1, 0.5, {{1, 1.0}, {3, 1.0}});
  p.term(1, 0.25, {{1, 1.0}, {2, 1.0}});
  p.finish();
  auto r = solve(p, RunParams{});
  EXPECT_TRUE(r.has(kOptimum));
  EXPECT_NEAR(r.VPOSY[0] / (60.0 * scale), 1.0, 1e-6);
  EXPECT_LE(std::fabs(r.value_after("CONVERGENCE CRITERION")), 1.0e-7);
  EXPECT_NEAR(r.XPRIML[0], 2.0, 1e-3);
  EXPECT_NEAR(r.XPRIML[1], 1.0, 1e-3);
  EXPECT_NEAR(r.XPRIML[2], 0.5, 1e-3);
}

}  // namespace
