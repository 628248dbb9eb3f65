// mps_reader.h — reads a linear program written in MPS format (fixed or free).
//
//   read_mps(in, source, options) -> MpsProblem     throws MpsError
//   read_mps_file(path, options)  -> MpsProblem     throws MpsError
//
// Sections understood: NAME, OBJSENSE (MAX/MAXIMIZE/MIN/MINIMIZE, on the
// section line itself or on the next data line), ROWS (N, L, G, E), COLUMNS
// (MARKER lines are skipped), RHS, RANGES, BOUNDS (UP, LO, FX, FR, MI, PL,
// BV, and LI/UI read as LO/UP), ENDATA.  Lines starting with '*' and blank
// lines are comments; a carriage return before the line end is ignored.
//
// Conventions (the usual ones of MPS readers):
//   - The first N row is the objective; later N rows are dropped, together
//     with every entry, RHS and range given for them.
//   - A RHS value on the objective row is minus a constant term of the
//     objective: objective = sum c(j) x(j) - RHS(objective row).
//   - Only the first set name met in RHS, RANGES and BOUNDS is used; lines
//     of other sets are skipped.
//   - RANGES value R on row with RHS b:  L: b-|R| <= row <= b;
//     G: b <= row <= b+|R|;  E: b <= row <= b+R when R > 0, b+R <= row <= b
//     when R < 0 (R = 0 keeps the equality).
//   - Default column bounds 0 .. +infinity.  UP with a negative value on a
//     column whose lower bound is still the default 0 makes the lower bound
//     -infinity (and the reader counts a warning).  MI sets the lower bound
//     to -infinity, PL the upper bound to +infinity, FR both, BV 0 .. 1.
//     Bound values of magnitude 1e30 or more mean infinity.
//   - Minimisation unless OBJSENSE says MAX.
//
// Field layout.  Fixed format takes the fields from card columns 2-3, 5-12,
// 15-22, 25-36, 40-47 and 50-61 (names may then contain blanks); free format
// splits the line at blanks.  In the automatic mode (default) a line is split
// at blanks when the number of words fits the section, and read by card
// columns otherwise.
//
// Errors carry the 1-based line number: unknown section or row type, data
// before the first section, undefined row or column, duplicate row name or
// matrix entry, unreadable number, crossed bounds (reported at the last
// BOUNDS line of that column), missing ENDATA, and a problem exceeding the
// size limits of the options (rows, columns, nonzeros).
#pragma once

#include <cstdint>
#include <istream>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace tools {

inline constexpr double kInfinity = std::numeric_limits<double>::infinity();

enum class MpsFormat { kAuto, kFixed, kFree };

enum class RowKind { kLessEqual, kGreaterEqual, kEqual, kRanged };

struct MpsRow {
  std::string name;
  char type = 'N';       // 'L', 'G' or 'E' as written in ROWS
  double rhs = 0.0;      // RHS value (0 when absent)
  bool has_range = false;
  double range = 0.0;    // RANGES value as written
  // Limits lower <= row <= upper that the row, its RHS and range impose
  // (-infinity / +infinity where there is none).
  double lower() const;
  double upper() const;
  RowKind kind() const;
};

struct MpsEntry {
  int row = 0;           // index into MpsProblem::rows (0-based)
  double value = 0.0;
};

struct MpsColumn {
  std::string name;
  double cost = 0.0;     // coefficient in the objective row
  std::vector<MpsEntry> entries;  // constraint rows only, in reading order
  double lower = 0.0;
  double upper = kInfinity;
  int last_bound_line = 0;  // line of the last BOUNDS entry for it (0: none)
};

struct MpsProblem {
  std::string name;
  std::string objective_name;     // "" when the file has no N row
  bool maximize = false;
  double objective_constant = 0.0;  // = -RHS on the objective row
  std::vector<MpsRow> rows;       // constraint rows (no N rows), file order
  std::vector<MpsColumn> columns; // file order
  int warnings = 0;               // count of lenient readings (see above)
  int endata_line = 0;            // line number of ENDATA
  std::int64_t nonzeros() const;
};

struct MpsOptions {
  MpsFormat format = MpsFormat::kAuto;
  // Size limits; exceeding one is an input error at the line that does it.
  std::int64_t max_rows = std::numeric_limits<std::int32_t>::max();
  std::int64_t max_columns = std::numeric_limits<std::int32_t>::max();
  std::int64_t max_nonzeros = std::numeric_limits<std::int32_t>::max();
};

class MpsError : public std::runtime_error {
 public:
  MpsError(std::string source, int line, const std::string& message);
  int line() const { return line_; }
  const std::string& source() const { return source_; }
  const std::string& detail() const { return detail_; }

 private:
  std::string source_;
  int line_;
  std::string detail_;
};

// Reads a problem from IN; SOURCE names it in error messages.
MpsProblem read_mps(std::istream& in, const std::string& source,
                    const MpsOptions& options = {});

// Opens PATH and reads it (an unopenable file is an MpsError at line 0).
MpsProblem read_mps_file(const std::string& path,
                         const MpsOptions& options = {});

// Reads a number the way MPS files write it ("1.5", ".285", "-2E+03",
// "1.0D0", "Inf").  Returns false when TEXT is not entirely a number.
bool parse_mps_number(const std::string& text, double& value);

}  // namespace tools
