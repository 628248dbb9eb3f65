// lp_model.h — maps an MPS problem onto the LP engine's form and back.
//
//   build_engine_model(problem) -> EngineModel
//   engine_sizes(model, memory_factor) -> EngineSizes      (workspace sizing)
//   file_values(model, y) -> x                            (engine -> file columns)
//   file_objective(model, Z) -> objective in the file's sense
//
// The engine maximises c'y over columns with bounds L(j) <= y(j) <= U(j),
// L(j) finite, and rows of four kinds (ROWTYP): 1 "row <= B", -1 "row >= B",
// 0 "row = B", 2 "BLOW <= row <= B".  The mapping:
//   - Minimisation is turned into maximisation by negating every cost
//     (sense = -1); the file's objective is sense*Z + constant.
//   - A fixed column (lower = upper) is not passed to the engine: its value
//     times its coefficients leaves every row limit, its cost times its value
//     goes to the objective constant.  The engine keeps bounds in 32-bit
//     reals; a fixed value rounded so would leave rows that only fixed
//     columns meet unsatisfiable by a few units in the 8th digit, and the
//     engine would call the problem infeasible.
//   - A column with a finite lower bound is passed as it is.
//   - A column bounded above only (-inf < x <= u) becomes x = u - y,
//     0 <= y < inf: its coefficients and cost change sign, every row limit
//     loses a(i)*u and the objective constant gains c*u.
//   - A free column becomes x = y1 - y2 with y1, y2 >= 0: two engine columns.
//   - A column with no constraint entry gets an explicit 0.0 in row 1 (the
//     column store holds at least one entry per column).
//   - A file without constraint rows gets one free row with no entries (the
//     engine needs at least one row).
//   - Bound type 1 (every column 0 .. infinity, no per-column bounds) when all
//     engine columns are so and no row is two-sided; bound type 4 (lower and
//     upper bound per column) otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/mps_reader.h"

namespace tools {

// The engine's "infinity" (its constant BIG).
inline constexpr double kEngineBig = 1.0e30;

// Row kinds as the engine codes them.
inline constexpr int kRowLessEqual = 1;
inline constexpr int kRowGreaterEqual = -1;
inline constexpr int kRowEqual = 0;
inline constexpr int kRowRanged = 2;
inline constexpr int kRowFree = -2;

struct EngineColumn {
  double cost = 0.0;          // engine (maximisation) cost
  std::vector<int> rows;      // 1-based row numbers
  std::vector<double> values;
  double lower = 0.0;         // finite
  double upper = kEngineBig;  // kEngineBig for none
};

// How a file column is recovered: x = offset + y(first) for kDirect,
// x = offset - y(first) for kNegated, x = y(first) - y(first+1) for kSplit,
// x = offset for kFixed (no engine column).
enum class ColumnForm { kDirect, kNegated, kSplit, kFixed };

struct ColumnMap {
  ColumnForm form = ColumnForm::kDirect;
  int first = 0;              // 0-based engine column index (-1 for kFixed)
  double offset = 0.0;
};

struct EngineModel {
  int M = 0;                  // rows
  int BNDTYP = 1;
  std::vector<int> ROWTYP;    // M entries
  std::vector<double> B;      // M entries
  std::vector<double> BLOW;   // M entries (lower limits of two-sided rows)
  std::vector<EngineColumn> columns;
  double sense = -1.0;        // engine cost = sense * file cost
  double constant = 0.0;      // file objective = sense * Z + constant
  std::vector<ColumnMap> map; // one per file column
  bool dummy_row = false;
  std::int64_t nonzeros = 0;  // entries of all engine columns
  int colmax = 1;             // longest engine column
};

EngineModel build_engine_model(const MpsProblem& problem);

// Workspace sizes for the engine.  MAXN counts the logical columns (one per
// row) that the slack basis appends, MAXA their entries.  IA is the length
// asked for the factor storage; LENMY the workspace length that gives it.
struct EngineSizes {
  std::int64_t MAXA = 0, MAXM = 0, MAXN = 0;
  std::int64_t IA = 0;
  std::int64_t LENMY = 0;
  bool fits_int32 = false;    // every size representable as a 32-bit integer
};

// MEMORY_FACTOR scales the factor storage (1.0 = default; below about 0.4
// the workspace map refuses the workspace as too small for the growth of
// the factors).
EngineSizes engine_sizes(const EngineModel& model, double memory_factor = 1.0);

// File column values from engine column values Y (at least columns.size()).
std::vector<double> file_values(const EngineModel& model, const std::vector<double>& y);

inline double file_objective(const EngineModel& model, double Z) {
  return model.sense * Z + model.constant;
}

}  // namespace tools
