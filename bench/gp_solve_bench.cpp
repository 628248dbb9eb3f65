// gp_solve_bench.cpp — POSY on classic test problems of growing size, the
// report going to a scratch file.  Counters: GLP iterations are in the report;
// here only the wall time of one complete solve.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gp/solver.h"
#include "io/units.h"

// The data-file reader of the solver tests, without GoogleTest.
#define POSY_GP_NO_GTEST
#include "gp_problem.h"

static void BM_Classic(benchmark::State& state) {
  char name[16];
  std::snprintf(name, sizeof name, "/CL%02d.DAT", static_cast<int>(state.range(0)));
  const std::string path = std::string(POSY_GP_TESTSET) + name;
  if (!std::filesystem::exists(path)) {
    state.SkipWithError("classic test set not found");
    return;
  }
  const gptest::GpProblem p = gptest::GpProblem::read(path);
  gptest::RunParams params;
  params.ITMAX = 2000;
  for (auto _ : state) {
    auto r = gptest::solve(p, params);
    benchmark::DoNotOptimize(r.VPOSY.data());
  }
  state.SetLabel(name + 1);
}
BENCHMARK(BM_Classic)->Arg(10)->Arg(20)->Arg(21)->Arg(22)->Arg(24)
    ->Unit(benchmark::kMillisecond);
