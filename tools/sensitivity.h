// sensitivity.h — post-optimal analysis for posy-lp, in the terms of the MPS
// file (its row and column names, its objective sense, its original columns).
//
//   compute_ranges(problem, model, session) -> Ranges
//       right-hand-side ranging of every row (XRANGB) and cost ranging of
//       every column (XRANGD for basic columns, XRANGC for nonbasic ones),
//       from the optimal basis the session holds.  The basis and solution
//       are left as they were.
//   ranges_report(problem, ranges) -> lines of the printed tables
//   with_rhs_change(problem, change) -> the problem with every constraint
//       row's RHS value b replaced by scale * b + shift
//   dual_resolve(problem, model, session, change) -> DualResult
//       applies the same change to the engine's right-hand sides and
//       re-solves with the dual simplex (XDUAL) from the optimal basis.
//
// What the figures mean.
//   - Right-hand side of a row: the RHS value of the file (RHS section).  A
//     row with a RANGES entry keeps its range width, so both of its limits
//     move with the RHS.  Columns that the mapping folded into the row
//     limits (fixed columns, columns bounded above only) keep their values.
//   - Rate: the change of the file's objective per unit increase of the
//     datum within its range: the row's dual value for a right-hand side,
//     the column's value for a cost.  "Objective" at a break point is the
//     objective there (+-inf when the datum can move without limit at a
//     nonzero rate).
//   - Leaving / entering: the variables of the basis change at the break
//     point.  A column is named by its file name, a row's logical variable
//     by the row name.  The bound is the one reached by the leaving
//     variable and the one left by the entering variable, in file terms:
//     for a row, LB / UB mean that its activity reaches (leaves) its lower
//     / upper limit, EQ its equality value; FR marks a free column.
//   - Substituted columns.  A column bounded above only (x = u - y in the
//     engine) is reported as x, with its bounds and directions turned
//     back.  A free column (x = y1 - y2) is reported as one column: while
//     one part is basic the other is held out of the analysis (its reduced
//     cost moves with the basic part's, so it never limits a range) and the
//     basic part counts as free (x crossing 0 changes no basis of the file's
//     LP); with both parts nonbasic, x is a free nonbasic column at 0, whose
//     cost cannot move either way without x entering.  A fixed column is not
//     in the engine at all: its cost moves without limit (status FX).
//
// Preconditions and failures.  compute_ranges needs an optimum confirmed by
// the primal driver (TERMIN 1).  The engine's ranging routines stop the
// program on a primal or dual infeasibility; compute_ranges first checks
// the basis with the same tolerances and, when it is not optimal within
// them, returns Ranges::skipped with the reason instead of calling them.
// The engine's records are process-wide: run these on the session solved
// last, before another session is built.
#pragma once

#include <string>
#include <vector>

#include "tools/lp_model.h"
#include "tools/lp_solve.h"
#include "tools/mps_reader.h"

namespace tools {

// A variable of the file's LP named at a break point.
struct BreakVariable {
  enum class Kind { kNone, kColumn, kRow };
  Kind kind = Kind::kNone;
  int index = -1;    // file column or row (0-based)
  std::string bound;  // "LB", "UB", "EQ" or "FR" (see above)
  std::string label(const MpsProblem& problem) const;  // "X02 LB", "" for none
};

// Range end codes (the engine's PBCODE / PCCODE).
inline constexpr int kRangeBreak = 1;      // finite break point
inline constexpr int kRangeNoLimit = 2;    // the datum can move without limit
inline constexpr int kRangeBeyondNone = 3; // break point; beyond it the LP is
                                           // infeasible (RHS) or unbounded (cost)

// One direction of one datum.
struct RangeEnd {
  int code = 0;
  double value = 0.0;      // the datum at the break point (+-inf for none)
  double objective = 0.0;  // the file's objective there
  BreakVariable leaving, entering;
};

struct RowRange {
  std::string status;  // "BS" (logical basic), "LB", "UB", "EQ" (active)
  double activity = 0.0, rhs = 0.0;
  double rate = 0.0;   // dual value: objective change per unit RHS increase
  RangeEnd down, up;
};

struct ColumnRange {
  std::string status;  // "BS", "LB", "UB", "FR" (free at 0), "FX" (fixed)
  double value = 0.0, cost = 0.0;  // rate = value
  RangeEnd down, up;
};

struct Ranges {
  bool skipped = false;
  std::string reason;  // why, when skipped
  double objective = 0.0;
  std::vector<RowRange> rows;        // file rows
  std::vector<ColumnRange> columns;  // file columns
};

Ranges compute_ranges(const MpsProblem& problem, const EngineModel& model, LpSession& session);

std::vector<std::string> ranges_report(const MpsProblem& problem, const Ranges& ranges);

struct RhsChange {
  double scale = 1.0;
  double shift = 0.0;
};

MpsProblem with_rhs_change(const MpsProblem& problem, const RhsChange& change);

// XDUAL outcome codes.
inline constexpr int kDtermOptimal = 1;
inline constexpr int kDtermInfeasible = 2;     // dual unbounded (DUNBR row)
inline constexpr int kDtermDualLost = 3;       // DFEASQ column
inline constexpr int kDtermInaccurate = 4;     // optimal, residual check failed
inline constexpr int kDtermNoDualStart = 5;    // DFEASQ column
inline constexpr int kDtermAbandoned = 6;      // rejected pivots

struct DualResult {
  int dterm = 0;
  int iterations = 0;
  double objective = 0.0;  // file's objective (meaningful for DTERM 1 and 4)
  int row = 0;             // DUNBR (basis position, 1-based) when reported
  int basic = 0;           // the engine column basic at that position
  int column = 0;          // DFEASQ (engine column, 1-based) when reported
  double seconds = 0.0;
};

// "optimal", "infeasible", "dual feasibility lost", "optimal (residual
// check failed)", "no dual feasible start", "abandoned", "other (DTERM n)".
std::string dual_status_text(int dterm);

// Needs the optimal basis of a primal solve (TERMIN 1 or 4) in SESSION.
// FACTOR is the refactorisation interval, PRINT the engine print level.
// The session then holds the final state of the dual simplex.
DualResult dual_resolve(const MpsProblem& problem, const EngineModel& model, LpSession& session,
                        const RhsChange& change, int factor = 50, int print = 0);

// The printed outcome: the change, status (naming the variable basic at
// the basis position DUNBR reports, or the column DFEASQ reports),
// objective, iterations and time.
std::vector<std::string> dual_report(const MpsProblem& problem, const EngineModel& model,
                                     const RhsChange& change, const DualResult& result);

}  // namespace tools
