// The classic test set (gp-testset/*.DAT beside the checkout): every problem
// the reference solver solved ends on the optimum path at the reference
// optimum; the hard cases (reference status unknown or error) end cleanly
// with one of the termination messages.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "gp_problem.h"

namespace {

struct Reference {
  std::string status;
  double objective = NAN;
};

// The entry NAME of reference.json (a flat object of objects).
Reference reference(const std::string& name) {
  std::ifstream in(std::string(POSY_SHARED_DIR) + "/gp-testset/reference.json");
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string all = ss.str();
  Reference r;
  const auto at = all.find("\"" + name + "\"");
  if (at == std::string::npos) return r;
  const std::string entry = all.substr(at, all.find('}', at) - at);
  std::smatch m;
  if (std::regex_search(entry, m, std::regex("\"cvxopt_status\": *\"([^\"]*)\"")))
    r.status = m[1];
  if (std::regex_search(entry, m,
                        std::regex("\"cvxopt_objective\": *([-0-9.eE+]+)")))
    r.objective = std::stod(m[1]);
  return r;
}

class Classic : public ::testing::TestWithParam<int> {};

TEST_P(Classic, EndsOnTheReferenceOptimumOrCleanly) {
  char name[8];
  std::snprintf(name, sizeof name, "CL%02d", GetParam());
  const std::string path =
      std::string(POSY_SHARED_DIR) + "/gp-testset/" + name + ".DAT";
  if (!std::filesystem::exists(path))
    GTEST_SKIP() << "classic test set not found at " << path;
  const Reference ref = reference(name);
  gptest::RunParams params;
  // The three biggest take thousands of iterations (minutes); the others
  // need at most about 600.
  params.ITMAX = GetParam() < 29 ? 2000 : 20000;
  char limit_line[64];
  std::snprintf(limit_line, sizeof limit_line,
                "****TERMINATED: END OF %5d ITERATIONS ", params.ITMAX);
  auto r = gptest::solve(gptest::GpProblem::read(path), params);
  const bool optimum = r.has("****TERMINATED: OPTIMUM SOLUTION FOUND");
  const bool other =
      r.has("****TERMINATED: SPECIFIED TOLERANCES FOR FEASIBILITY") ||
      r.has(limit_line) ||
      r.has("TERMINATED____ INCONSISTENT DATA") ||
      r.has("TERMINATED____ SOLUTION UNBOUNDED");
  const double primal = r.value_after("PRIMAL SOLUTION");
  std::printf("%s reference %s %.10g; posy %s %.10g, %g iterations\n", name,
              ref.status.c_str(), ref.objective,
              optimum ? "optimum" : "other", primal,
              r.value_after("TOTAL NUMBER OF ITERATIONS ="));
  if (ref.status == "optimal") {
    EXPECT_TRUE(optimum);
    EXPECT_LT(std::fabs(primal - ref.objective) / std::fabs(ref.objective),
              1e-6);
  } else {
    EXPECT_TRUE(optimum || other);
  }
}

INSTANTIATE_TEST_SUITE_P(Small, Classic, ::testing::Range(1, 29));
INSTANTIATE_TEST_SUITE_P(Big, Classic, ::testing::Range(29, 32));

}  // namespace
