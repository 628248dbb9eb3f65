// The MPS reader: sections and conventions, and line-numbered errors.
#include "tools/mps_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

namespace {

using tools::MpsError;
using tools::MpsFormat;
using tools::MpsOptions;
using tools::MpsProblem;

MpsProblem parse(const std::string& text, MpsOptions options = {}) {
  std::istringstream in(text);
  return tools::read_mps(in, "test.mps", options);
}

// The line number of the error TEXT raises (-1 when it reads cleanly).
int error_line(const std::string& text, std::string* message = nullptr, MpsOptions options = {}) {
  try {
    parse(text, options);
  } catch (const MpsError& e) {
    if (message) *message = e.what();
    return e.line();
  }
  return -1;
}

const tools::MpsColumn& column(const MpsProblem& p, const std::string& name) {
  for (const auto& c : p.columns)
    if (c.name == name) return c;
  throw std::runtime_error("no column " + name);
}

// A small fixed-format problem using every section.
const char* const kFixed =
    "* a comment line\n"
    "NAME          TESTLP\n"
    "ROWS\n"
    " N  COST\n"
    " L  LIM1\n"
    " G  LIM2\n"
    " E  MYEQN\n"
    " N  OTHER\n"
    "COLUMNS\n"
    "    X1        COST               1.0   LIM1               1.0\n"
    "    X1        LIM2               1.0   OTHER              9.0\n"
    "    MARKER    'MARKER'                 'INTORG'\n"
    "    X2        COST               2.0   LIM1               1.0\n"
    "    X2        MYEQN             -1.0\n"
    "    MARKER    'MARKER'                 'INTEND'\n"
    "    X3        COST              -1.0   MYEQN              1.0\n"
    "RHS\n"
    "    RHS       COST              -7.5\n"
    "    RHS       LIM1               4.0   LIM2               1.0\n"
    "    RHS       MYEQN              7.0   OTHER              3.0\n"
    "    RHS2      LIM1              99.0\n"
    "RANGES\n"
    "    RNG       LIM1               2.5   MYEQN             -3.0\n"
    "BOUNDS\n"
    " UP BND       X1           4.0\n"
    " LO BND       X2          -1.0\n"
    " UP BND       X2           1.0\n"
    " MI BND       X3\n"
    " UP OTHERBND  X1         100.0\n"
    "ENDATA\n";

TEST(MpsReader, ReadsEverySectionOfAFixedFile) {
  const MpsProblem p = parse(kFixed);
  EXPECT_EQ(p.name, "TESTLP");
  EXPECT_EQ(p.objective_name, "COST");
  EXPECT_FALSE(p.maximize);
  EXPECT_EQ(p.objective_constant, 7.5);  // minus the RHS of the objective row
  ASSERT_EQ(p.rows.size(), 3u);          // the second N row is dropped
  EXPECT_EQ(p.rows[0].name, "LIM1");
  EXPECT_EQ(p.rows[0].rhs, 4.0);         // the second RHS set is ignored
  EXPECT_EQ(p.rows[1].rhs, 1.0);
  EXPECT_EQ(p.rows[2].rhs, 7.0);
  ASSERT_EQ(p.columns.size(), 3u);       // MARKER lines are no columns
  const auto& x1 = column(p, "X1");
  EXPECT_EQ(x1.cost, 1.0);
  ASSERT_EQ(x1.entries.size(), 2u);      // the entry in OTHER is dropped
  EXPECT_EQ(x1.entries[1].row, 1);
  EXPECT_EQ(x1.upper, 4.0);              // second BOUNDS set ignored
  EXPECT_EQ(column(p, "X2").lower, -1.0);
  EXPECT_EQ(column(p, "X2").upper, 1.0);
  EXPECT_TRUE(std::isinf(column(p, "X3").lower));
  EXPECT_TRUE(std::isinf(column(p, "X3").upper));
  EXPECT_EQ(p.nonzeros(), 5);
  EXPECT_EQ(p.endata_line, 30);
  EXPECT_EQ(p.rows[0].lower(), 1.5);  // RANGES read (conventions below)
  EXPECT_EQ(p.rows[2].kind(), tools::RowKind::kRanged);
  EXPECT_EQ(p.rows[1].kind(), tools::RowKind::kGreaterEqual);
}

TEST(MpsReader, FreeFormatAndObjectiveSense) {
  // Free format: long names, tabs, no RHS set name, OBJSENSE on its line.
  const char* const kFree =
      "NAME free_problem\n"
      "OBJSENSE MAX\n"
      "ROWS\n"
      " N obj\n"
      " L a_very_long_row_name\n"
      "COLUMNS\n"
      " a_very_long_column_name obj 3 a_very_long_row_name 2\n"
      "\tsecond\tobj\t1.5e0\n"
      "RHS\n"
      " a_very_long_row_name 8\n"
      "BOUNDS\n"
      " UP second 1D1\n"
      " BV a_very_long_column_name\n"  // same (unnamed) set as the line before

      "ENDATA\n";
  const MpsProblem p = parse(kFree, {MpsFormat::kFree});
  EXPECT_TRUE(p.maximize);
  EXPECT_EQ(p.rows[0].rhs, 8.0);
  EXPECT_EQ(column(p, "second").cost, 1.5);
  EXPECT_EQ(column(p, "second").upper, 10.0);
  EXPECT_EQ(column(p, "a_very_long_column_name").upper, 1.0);
  // OBJSENSE on the following line, CR LF line ends.
  const MpsProblem q = parse("NAME x\r\nOBJSENSE\r\n    MAXIMIZE\r\nROWS\r\n N c\r\n"
                             "COLUMNS\r\n x c 1\r\nENDATA\r\n");
  EXPECT_TRUE(q.maximize);
  EXPECT_EQ(q.columns.size(), 1u);
}

TEST(MpsReader, RangeConventions) {
  // row type, RHS, range -> lower, upper
  struct Case { const char* type; double rhs, range, lower, upper; };
  const double inf = tools::kInfinity;
  const Case cases[] = {
      {"L", 4, 3, 1, 4},  {"L", 4, -3, 1, 4},  {"G", 4, 3, 4, 7},
      {"E", 4, 3, 4, 7},  {"E", 4, -3, 1, 4},
  };
  for (const Case& c : cases) {
    std::ostringstream text;
    text << "NAME\nROWS\n N obj\n " << c.type << " r\nCOLUMNS\n x r 1\nRHS\n rhs r " << c.rhs
         << "\nRANGES\n rng r " << c.range << "\nENDATA\n";
    const MpsProblem p = parse(text.str());
    EXPECT_EQ(p.rows[0].lower(), c.lower) << c.type << " " << c.range;
    EXPECT_EQ(p.rows[0].upper(), c.upper) << c.type << " " << c.range;
  }
  // Without a range: one-sided.
  const MpsProblem p = parse("NAME\nROWS\n N obj\n L r\n G s\nCOLUMNS\n x r 1 s 1\nENDATA\n");
  EXPECT_EQ(p.rows[0].lower(), -inf);
  EXPECT_EQ(p.rows[1].upper(), inf);
  EXPECT_EQ(p.rows[0].kind(), tools::RowKind::kLessEqual);
}

TEST(MpsReader, BoundConventions) {
  const char* const text =
      "NAME\nROWS\n N obj\n L r\nCOLUMNS\n"
      " a r 1\n b r 1\n c r 1\n d r 1\n e r 1\n f r 1\n g r 1\n h r 1\n i r 1\n"
      "BOUNDS\n"
      " UP bnd a -5\n"          // negative UP on a default lower bound: -inf
      " LO bnd b 0\n UP bnd b -5\n"  // explicit lower bound kept (crossed!)
      " FX bnd c 2.5\n"
      " FR bnd d\n"
      " MI bnd e\n UP bnd e 3\n"
      " PL bnd f\n"
      " LO bnd g -1e30\n UP bnd g 1e31\n"
      " BV bnd h\n"
      " LI bnd i 2\n UI bnd i 9\n"
      "ENDATA\n";
  std::string message;
  // b has lower 0 (given) and upper -5: crossed, reported at its last line.
  EXPECT_EQ(error_line(text, &message), 18);
  EXPECT_NE(message.find("crossed bounds for column 'b'"), std::string::npos) << message;

  std::string fixed = text;
  fixed.replace(fixed.find(" LO bnd b 0\n"), 12, "");
  const MpsProblem p = parse(fixed);
  const double inf = tools::kInfinity;
  EXPECT_EQ(p.warnings, 2);  // a and b: negative UP on a default lower bound
  const std::tuple<const char*, double, double> want[] = {
      {"a", -inf, -5}, {"c", 2.5, 2.5}, {"d", -inf, inf}, {"e", -inf, 3}, {"f", 0, inf},
      {"g", -inf, inf}, {"h", 0, 1}, {"i", 2, 9}};
  for (const auto& [name, lower, upper] : want) {
    EXPECT_EQ(column(p, name).lower, lower) << name;
    EXPECT_EQ(column(p, name).upper, upper) << name;
  }
}

TEST(MpsReader, ErrorsNameTheirLine) {
  const std::string head = "NAME\nROWS\n N obj\n L r\nCOLUMNS\n";  // lines 1-5
  struct Case { std::string text; int line; const char* words; };
  const Case cases[] = {
      {"NAME\nROWZ\n", 2, "unknown section 'ROWZ'"},
      {"  x y 1\nNAME\n", 1, "data line before the first section"},
      {"NAME\nROWS\n Q r\n", 3, "unknown row type 'Q'"},
      {"NAME\nROWS\n L r\n G r\n", 4, "duplicate row name 'r'"},
      {head + " x r 1\n x s 1\n", 7, "undefined row 's'"},
      {head + " x r 1.5.2\n", 6, "bad matrix value '1.5.2'"},
      {head + " x r 1 r 2\n", 6, "duplicate entry for column 'x' in row 'r'"},
      {head + " x r 1\n y r 1\n x obj 1\n", 8, "appears again"},
      {head + " x r 1\nRHS\n rhs q 1\n", 8, "undefined row 'q'"},
      {head + " x r 1\nRHS\n rhs r 1\n rhs r 2\n", 9, "duplicate RHS entry"},
      {head + " x r 1\nBOUNDS\n UP bnd y 1\n", 8, "undefined column 'y'"},
      {head + " x r 1\nBOUNDS\n XX bnd x 1\n", 8, "unknown bound type 'XX'"},
      {head + " x r 1\nBOUNDS\n LO bnd x 5\n UP bnd x 1\n LO bnd x 6\nENDATA\n", 10,
       "crossed bounds for column 'x': lower 6 exceeds upper 1"},
      {head + " x r 1\n", 7, "missing ENDATA"},
      {"NAME\nOBJSENSE\n    SIDEWAYS\n", 3, "bad objective sense"},
  };
  for (const Case& c : cases) {
    std::string message;
    EXPECT_EQ(error_line(c.text, &message), c.line) << c.text;
    EXPECT_NE(message.find(c.words), std::string::npos) << message;
    EXPECT_EQ(message.rfind("test.mps:" + std::to_string(c.line) + ": ", 0), 0u) << message;
  }
}

TEST(MpsReader, SizeLimitsAreInputErrorsAtTheLineThatExceedsThem) {
  const std::string text =
      "NAME\nROWS\n N obj\n L r1\n L r2\n L r3\nCOLUMNS\n x r1 1 r2 1\n y r3 1\n z r1 1\nENDATA\n";
  MpsOptions rows;
  rows.max_rows = 2;
  EXPECT_EQ(error_line(text, nullptr, rows), 6);
  MpsOptions cols;
  cols.max_columns = 2;
  EXPECT_EQ(error_line(text, nullptr, cols), 10);
  MpsOptions nonzeros;
  nonzeros.max_nonzeros = 2;
  std::string message;
  EXPECT_EQ(error_line(text, &message, nonzeros), 9);
  EXPECT_NE(message.find("too many nonzeros"), std::string::npos);
}

// Every Netlib file reads, with the sizes its catalogue lists (rows count the
// objective row; nonzeros count the objective entries).
TEST(MpsReader, NetlibCatalogueSizes) {
  const std::filesystem::path dir = std::filesystem::path(POSY_SHARED_DIR) / "netlib";
  std::ifstream readme(dir / "README.md");
  if (!readme) GTEST_SKIP() << "no Netlib collection at " << dir;
  std::string line;
  int checked = 0;
  while (std::getline(readme, line)) {
    // | name | rows | columns | nonzeros | ...
    std::istringstream cells(line);
    std::string bar, name, rows, cols, nnz;
    if (!(cells >> bar >> name >> bar >> rows >> bar >> cols >> bar >> nnz) || bar != "|") continue;
    if (!std::isdigit(static_cast<unsigned char>(rows[0]))) continue;
    // The catalogue's forplan line disagrees with the original Netlib index,
    // which gives 421 columns and 4916 nonzeros.
    if (name == "forplan") cols = "421", nnz = "4916";
    const MpsProblem p = tools::read_mps_file((dir / (name + ".mps")).string());
    std::int64_t objective_entries = 0;
    for (const auto& c : p.columns) objective_entries += c.cost != 0.0;
    EXPECT_EQ(static_cast<long>(p.rows.size()) + 1, std::stol(rows)) << name;
    EXPECT_EQ(static_cast<long>(p.columns.size()), std::stol(cols)) << name;
    EXPECT_NEAR(static_cast<double>(p.nonzeros() + objective_entries), std::stod(nnz),
                0.01 * std::stod(nnz)) << name;
    ++checked;
  }
  EXPECT_GE(checked, 80);
}

}  // namespace
