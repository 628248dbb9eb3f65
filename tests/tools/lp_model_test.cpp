// The mapping of MPS problems onto the engine's form: the column
// substitutions checked by evaluating both forms at one point.  Row kinds,
// ranges, maximisation and the objective constant are checked end to end by
// posy-lp on bounds_ranges.mps (glpsol's optimum) and free_constant.mps.
#include "tools/lp_model.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using tools::EngineModel;
using tools::MpsProblem;

MpsProblem parse(const std::string& text) {
  std::istringstream in(text);
  return tools::read_mps(in, "test.mps");
}

// Engine objective (maximisation form) at engine point Y.
double engine_z(const EngineModel& m, const std::vector<double>& y) {
  double z = 0;
  for (std::size_t k = 0; k < m.columns.size(); ++k) z += m.columns[k].cost * y[k];
  return z;
}

// Engine row activities at Y.
std::vector<double> engine_rows(const EngineModel& m, const std::vector<double>& y) {
  std::vector<double> r(static_cast<std::size_t>(m.M), 0.0);
  for (std::size_t k = 0; k < m.columns.size(); ++k)
    for (std::size_t e = 0; e < m.columns[k].rows.size(); ++e)
      r[static_cast<std::size_t>(m.columns[k].rows[e] - 1)] += m.columns[k].values[e] * y[k];
  return r;
}

TEST(LpModel, SubstitutionsPreserveRowsAndObjective) {
  // a: free (split); b: -inf .. 3 (x = 3 - y); c: -1 .. 4 (direct, bounds kept);
  // d: MI with UP -2; e: default.
  const MpsProblem p = parse(
      "NAME\nROWS\n N obj\n L r1\n G r2\n L r3\nCOLUMNS\n"
      " a obj 1 r1 2\n a r2 1\n b obj -3 r1 1\n b r3 4\n c obj 2 r2 5\n d obj 1 r1 -1\n"
      " d r3 2\n e obj 1 r2 1\n"
      "RHS\n rhs r1 10 r2 1\n rhs r3 7\nRANGES\n rng r3 20\n"
      "BOUNDS\n FR b a\n MI b b\n UP b b 3\n LO b c -1\n UP b c 4\n MI b d\n UP b d -2\nENDATA\n");
  const EngineModel m = tools::build_engine_model(p);
  ASSERT_EQ(m.columns.size(), 6u);  // a split in two
  EXPECT_EQ(m.map[0].form, tools::ColumnForm::kSplit);
  EXPECT_EQ(m.map[1].form, tools::ColumnForm::kNegated);
  EXPECT_EQ(m.map[2].form, tools::ColumnForm::kDirect);
  EXPECT_EQ(m.map[3].form, tools::ColumnForm::kNegated);
  EXPECT_EQ(m.columns[3].lower, -1.0);
  EXPECT_EQ(m.columns[3].upper, 4.0);
  for (const auto& c : m.columns) EXPECT_GT(c.lower, -1e30);
  EXPECT_EQ(m.BNDTYP, 4);

  // Any engine point maps to a file point with the same row activities
  // (up to the moved right-hand sides) and the same objective.
  const std::vector<double> y = {1.5, 4.0, 0.25, 2.0, 3.0, 0.5};
  const std::vector<double> x = tools::file_values(m, y);
  ASSERT_EQ(x.size(), 5u);
  EXPECT_EQ(x[0], -2.5);
  EXPECT_EQ(x[1], 3.0 - 0.25);
  EXPECT_EQ(x[2], 2.0);
  EXPECT_EQ(x[3], -2.0 - 3.0);
  double f = 0;
  std::vector<double> rows(3, 0.0);
  for (std::size_t j = 0; j < p.columns.size(); ++j) {
    f += p.columns[j].cost * x[j];
    for (const auto& e : p.columns[j].entries) rows[static_cast<std::size_t>(e.row)] += e.value * x[j];
  }
  EXPECT_DOUBLE_EQ(tools::file_objective(m, engine_z(m, y)), f);
  // Each row activity moves by the same amount as its limits.
  const std::vector<double> er = engine_rows(m, y);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_DOUBLE_EQ(rows[i] - er[i], p.rows[i].rhs - m.B[i]) << i;
  EXPECT_DOUBLE_EQ(rows[2] - er[2], p.rows[2].lower() - m.BLOW[2]);  // ranged row
}

}  // namespace
