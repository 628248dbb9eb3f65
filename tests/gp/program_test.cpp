// program_test.cpp — the geometric programming solver through the posy
// program: keyboard piped in, run in a fresh directory, the report file
// <name>.OUT and the screen checked. Finer checks of the solver run in
// process in solver_test.cpp; here the point is the real program and the
// layout of what it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "../driver/driver_test_support.h"

namespace {

namespace fs = driver_test::fs;
using driver_test::read_file;
using driver_test::split_lines;

constexpr std::size_t npos = std::string::npos;
const fs::path kExamples = POSY_EXAMPLES_DIR;
const char* const kOptimum = "****TERMINATED: OPTIMUM SOLUTION FOUND";
const char* const kCannotBeMet =
    "****TERMINATED: SPECIFIED TOLERANCES FOR FEASIBILITY\n"
    "AND/OR CONVERGENCE CRITERION CANNOT BE MET;\nBEST AVAILABLE SOLUTION FOLLOWS:";
const char* const kUnbounded = "TERMINATED____ SOLUTION UNBOUNDED";
const char* const kInconsistent = "TERMINATED____ INCONSISTENT DATA";
const char* const kBanner = "         * ITERATION #";

std::string limit_message(int itmax) {
  std::ostringstream s;
  s << "****TERMINATED: END OF " << std::setw(5) << itmax << " ITERATIONS \n"
    << "INCREASE LIMIT ON MAXIMUM NUMBER OF ITERATIONS\nIF A BETTER SOLUTION IS DESIRED";
  return s.str();
}

std::string posynomial_line(int k) {
  std::ostringstream s;
  s << "POSYNOMIAL NUMBER" << std::setw(5) << k;
  return s.str();
}

// A data file in free format: the title, then the records separated by ';'
// (each record is read from a new line).
std::string gp_data(const std::string& title, std::string records) {
  for (char& c : records)
    if (c == ';') c = '\n';
  return " " + title + "\n" + records + "\n";
}

// The report file (the carriage-control column is not written).
struct Report {
  std::string text;
  std::vector<std::string> lines = split_lines(text);

  // First line at or after FROM that begins with PREFIX.
  std::size_t find(const std::string& prefix, std::size_t from = 0) const {
    for (std::size_t i = from; i < lines.size(); ++i)
      if (lines[i].rfind(prefix, 0) == 0) return i;
    return npos;
  }
  std::vector<std::size_t> all(const std::string& prefix) const {
    std::vector<std::size_t> at;
    for (std::size_t i = find(prefix); i != npos; i = find(prefix, i + 1)) at.push_back(i);
    return at;
  }
  bool has(const std::string& prefix) const { return find(prefix) != npos; }
  int count(const std::string& prefix) const { return static_cast<int>(all(prefix).size()); }
  // Are these whole lines (separated by '\n') in the report, in a row?
  bool has_lines(const std::string& message) const {
    return ("\n" + text).find("\n" + message + "\n") != npos;
  }
  // The last number on the last line that begins with PREFIX; NaN when there
  // is no such line or the number is unreadable or not finite.
  double number(const std::string& prefix) const {
    const auto at = all(prefix);
    if (at.empty()) return NAN;
    std::istringstream in(lines[at.back()]);
    std::string last;
    while (in >> last) {
    }
    char* end = nullptr;
    const double v = std::strtod(last.c_str(), &end);
    return !last.empty() && *end == '\0' && std::isfinite(v) ? v : NAN;
  }
  int integer(const std::string& prefix) const {
    const double v = number(prefix);
    return std::isfinite(v) ? static_cast<int>(v) : -1;
  }
  // X(J) of the final report.
  double x(int j) const {
    const auto at = all("PRIMAL VARIABLES ARE");
    if (at.empty() || at.back() + 1 + j >= lines.size()) return NAN;
    const std::string& line = lines[at.back() + 1 + j];
    return line.size() > 7 ? std::strtod(line.c_str() + 7, nullptr) : NAN;
  }
  // Posynomial numbers of the active columns (-2 lower bound, -3 upper).
  std::vector<int> active_posys() const {
    std::vector<int> posys;
    const std::size_t head = find("  ID POSY");
    for (std::size_t i = head + 1; head != npos && i < lines.size() && lines[i].size() > 9; ++i)
      posys.push_back(std::atoi(lines[i].substr(5, 4).c_str()));
    return posys;
  }
};

// The final report after the termination message, in order: the active
// columns, the primal point with one value line per posynomial, the totals,
// the elapsed time.
void expect_final_report(const Report& r) {
  std::vector<std::string> order = {
      "INITIAL LP SOLUTION IS", "****TERMINATED: ",
      "ACTIVE GLP COLUMNS (POSY<0 IMPLIES A BOUNDING CONSTRAINT):", "  ID POSY    LAMBDA",
      "         * REPORT OF OPTIMAL *", "PRIMAL VARIABLES ARE"};
  for (int k = 0; k <= r.integer("    NUMBER OF CONSTRAINTS"); ++k)
    order.push_back(posynomial_line(k));
  for (const char* p : {"PRIMAL SOLUTION ", "LP SOLUTION ", "CONVERGENCE CRITERION",
                        "TOTAL NUMBER OF ITERATIONS =", "TOTAL NUMBER OF COLUMNS GENERATED=",
                        "CPU TIME = "})
    order.push_back(p);
  std::size_t at = 0;
  for (const auto& p : order) {
    at = r.find(p, at);
    ASSERT_NE(at, npos) << "missing or out of order: \"" << p << "\"";
  }
  for (const char* p : {"PRIMAL SOLUTION ", "LP SOLUTION ", "CONVERGENCE CRITERION"})
    EXPECT_TRUE(std::isfinite(r.number(p))) << p;
}

// The final point is within 1e-6 of OPTIMUM and satisfies every constraint.
void expect_optimum(const Report& r, double optimum) {
  const double got = r.number("PRIMAL SOLUTION ");
  EXPECT_LT(std::fabs(got - optimum) / optimum, 1e-6) << got << " against " << optimum;
  for (int k = 1; k <= r.integer("    NUMBER OF CONSTRAINTS"); ++k)
    EXPECT_LE(r.number(posynomial_line(k)), 1.0 + 1e-6) << "constraint " << k;
}

class GpProgram : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = driver_test::fresh_dir("posy-gp"); }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir_);
  }

  // Runs posy on KEYBOARD; checks the normal stop, the report name on the
  // screen and the elapsed-time line ending the report NAME.OUT.
  Report run(const std::string& name, const std::string& keyboard) {
    driver_test::write_file(dir_ / "keyboard.txt", keyboard);
    const std::string cmd = "cd '" + dir_.string() + "' && timeout 60 '" POSY_BINARY
                            "' < keyboard.txt > screen.txt 2>&1";
    const int rc = std::system(cmd.c_str());
    const std::string screen = read_file(dir_ / "screen.txt");
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << "status " << rc << "\n" << screen;
    std::string shown = name + ".OUT";
    shown.resize(12, ' ');
    EXPECT_TRUE(screen.ends_with("\nOUTPUT DATA FILE : " + shown +
                                 "\nStop - Program terminated.\n")) << screen;
    Report r{read_file(dir_ / (name + ".OUT"))};
    const std::regex elapsed(R"(CPU TIME = [ -]*\d+\.\d{4} SECONDS)");
    EXPECT_TRUE(!r.lines.empty() && std::regex_match(r.lines.back(), elapsed)) << r.text;
    return r;
  }
  // Solves the data file NAME.DAT holding DATA with the limits "ITMAX FRQREP".
  Report solve(const std::string& name, const std::string& data,
               const std::string& limits = "500 100") {
    driver_test::write_file(dir_ / (name + ".DAT"), data);
    return run(name, "2\n" + name + "\n" + limits + "\n");
  }
  Report example(const std::string& name, const std::string& limits = "500 100") {
    return solve(name, read_file(kExamples / (name + ".DAT")), limits);
  }
  void parms(int iprint, int iprg, int iprx, const std::string& rgap = "1.0E-7") {
    std::ostringstream s;
    s << "IPRINT " << iprint << "\nIPRG " << iprg << "\nIPRX " << iprx
      << "\nALLOW 1.0E-7\nRGAP " << rgap << "\n";
    driver_test::write_file(dir_ / "PARMS.POS", s.str());
  }
  fs::path dir_;
};

TEST_F(GpProgram, ShippedExamplesReachTheirKnownOptimum) {
  const std::pair<const char*, double> examples[] = {
      {"CAN", 5.53581045}, {"BOX", 100.0}, {"GRAVEL", 60.0},
      {"CUBE", 0.649519053}, {"BOUNDS", 2.5}, {"SUM8", 8.0}};
  for (const auto& [name, optimum] : examples) {
    SCOPED_TRACE(name);
    const Report r = example(name);
    expect_final_report(r);
    expect_optimum(r, optimum);
    // SUM8 gets there only by re-centring the stored costs.
    EXPECT_TRUE(r.has(kOptimum));
  }
}

// The endings other than the optimum, and programs that have broken other GP
// solvers (a ray of optima, a feasible set that is one point, an infeasible
// pair, objectives unbounded below): each ends cleanly with its honest
// message.
TEST_F(GpProgram, EachEndingWithItsReport) {
  struct Ending {
    const char* name;
    std::string data, message;
    double optimum;       // 0: not at the optimum
    int iterations = -1;  // -1: not checked
    std::string limits = "500 100", rgap = "1.0E-7";
  };
  const std::string can = read_file(kExamples / "CAN.DAT");
  const std::string min_x = gp_data("MIN X", "1 0; 1; 1 1; 1 1; 0; 0");
  const std::string pair =  // min x s.t. x <= 1, 2/x <= 1
      gp_data("X<=1, 2/X<=1", "1 2; 1 1 1; 1 1; 1 1; 1 1; 1 1; 1 2; 1 -1; 0; 0");
  const Ending endings[] = {
      {"TIGHT", can, kCannotBeMet, 5.53581045, -1, "500 100", "1.0E-15"},
      {"NONE", can, limit_message(0), 0, 0, "0 5"},
      {"TWO", can, limit_message(2), 0, 2, "2 1"},
      {"UNB", min_x, kUnbounded, 0},
      {"INC", pair, kInconsistent, 0},
      // min xy s.t. 12/(xy) <= 1: optimum 12 along a ray of points; then the
      // constraint split into two equal terms (no unique grid point).
      {"RAY", gp_data("RAY", "2 1; 1 1; 2 1; 1 1; 2 1; 2 12; 1 -1; 2 -1; 0; 0"), kOptimum, 12},
      {"RAY2", gp_data("RAY2", "2 1; 1 2; 2 1; 1 1; 2 1; 2 6; 1 -1; 2 -1; 2 6; 1 -1; 2 -1; 0; 0"),
       kOptimum, 12},
      // min x s.t. x <= 2, 2/x <= 1: the feasible set is the point 2; then
      // the same from x/4 + x/4 <= 1 and 1/x + 1/x <= 1.
      {"POINT", gp_data("POINT", "1 2; 1 1 1; 1 1; 1 1; 1 0.5; 1 1; 1 2; 1 -1; 0; 0"), kOptimum, 2},
      {"POINT2", gp_data("POINT2", "1 2; 1 2 2; 1 1; 1 1; 1 0.25; 1 1; 1 0.25; 1 1; "
                                   "1 1; 1 -1; 1 1; 1 -1; 0; 0"), kOptimum, 2},
      // min 1/x (x to infinity); min x + y s.t. xy <= 1 (both to zero).
      {"TOINF", gp_data("MIN 1/X", "1 0; 1; 1 1; 1 -1; 0; 0"), kUnbounded, 0},
      // min 1/x + 1/y with x, y <= 10: the 32-bit bound columns let the LP
      // pass the bounds by 3e-7, and nothing is left to add; the re-solve
      // with re-centred costs reaches the optimum 0.2 on the bounds.
      {"UPPER", gp_data("1/X+1/Y", "2 0; 2; 1 1; 1 -1; 1 1; 2 -1; 0; 2; 1 10; 2 10"),
       kOptimum, 0.2},
      {"BOTH", gp_data("X+Y, XY<=1", "2 1; 2 1; 1 1; 1 1; 1 1; 2 1; 2 1; 1 1; 2 1; 0; 0"),
       kUnbounded, 0},
  };
  for (const Ending& e : endings) {
    SCOPED_TRACE(e.name);
    parms(0, 0, 0, e.rgap);
    const Report r = solve(e.name, e.data, e.limits);
    EXPECT_TRUE(r.has_lines(e.message)) << e.message;
    if (e.message.starts_with("****TERMINATED: ")) {
      expect_final_report(r);
      if (e.optimum > 0) expect_optimum(r, e.optimum);
      if (e.iterations >= 0) {
        EXPECT_EQ(r.integer("TOTAL NUMBER OF ITERATIONS ="), e.iterations);
        EXPECT_EQ(r.count(kBanner), e.iterations);  // FRQREP 1, or no pass
      }
    } else {
      // One line right after the initial LP solution, then the elapsed time.
      const std::size_t at = r.find("INITIAL LP SOLUTION IS");
      ASSERT_TRUE(at != npos && at + 1 < r.lines.size());
      EXPECT_EQ(r.lines[at + 1], e.message);
      for (std::size_t i = at + 2; i + 1 < r.lines.size(); ++i) EXPECT_EQ(r.lines[i], "");
    }
  }
}

TEST_F(GpProgram, ReportFrequency) {
  for (int frqrep : {1, 3}) {
    SCOPED_TRACE(frqrep);
    const Report r = example("CAN", "500 " + std::to_string(frqrep));
    ASSERT_TRUE(r.has(kOptimum));
    ASSERT_FALSE(r.has("LINEAR RETURNS FLAG"));  // an abandoned pass shifts the schedule
    // The optimum is found at the start of pass iterations + 1.
    const int passes = r.integer("TOTAL NUMBER OF ITERATIONS =") + 1;
    std::vector<int> want, got;
    for (int it = frqrep; it <= passes; it += frqrep) want.push_back(it);
    for (std::size_t i : r.all(kBanner)) got.push_back(std::atoi(r.lines[i].substr(22, 5).c_str()));
    EXPECT_EQ(got, want);
  }
}

// PARMS.POS in the run directory switches the traces on, each on its own.
TEST_F(GpProgram, TracesSwitchedOnByParmsPos) {
  for (const auto& [iprint, iprg, iprx] :
       std::vector<std::array<int, 3>>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}) {
    SCOPED_TRACE(testing::Message() << iprint << iprg << iprx);
    parms(iprint, iprg, iprx);
    const Report r = example("CAN", "500 5");
    expect_final_report(r);
    const int columns = r.integer("TOTAL NUMBER OF COLUMNS GENERATED=");
    const int iterations = r.integer("TOTAL NUMBER OF ITERATIONS =");
    EXPECT_EQ(r.has("SETUP.. NUMBER OF REGULAR CONSTRAINTS=    3"), iprint == 1);
    EXPECT_EQ(r.count("ENTER ADDU     IPOSY="), iprint ? columns : 0);
    EXPECT_EQ(r.has("INITIAL GRID POINTS:"), iprg == 1);
    EXPECT_EQ(r.has("*** ADD COL  1     POSY  0     GRID POINT (U) IS"), iprg == 1);
    EXPECT_EQ(r.count("*** ADD COL"), iprg ? columns : 0);
    // The detailed point: after the initial LP and in every pass for IPRINT,
    // in report passes (5, 10, ...) for IPRX, and in the final report.
    const char* const primal = "PRIMAL VARIABLES ARE";
    EXPECT_EQ(r.count(primal), iprint ? iterations + 2 : iprx ? iterations / 5 + 1 : 1);
    if (iprx) {
      EXPECT_LT(r.find("         * ITERATION #    5 *"), r.find(primal));
      EXPECT_FALSE(r.has("PRIMAL SOLUTION IS "));
    }
  }
}

// Bounds active at the optimum. A typed problem (mode 1) with a monomial
// objective and a monomial constraint: min x1/(x2 x3) s.t. 0.5 x2 <= 1,
// x1 >= 3, x3 <= 4, optimum 0.375 at (3, 2, 4); and BOUNDS.DAT, where
// x1 >= 2 holds x1 + x2 over x1 x2 >= 1 at (2, 0.5) and x2 <= 10 is idle.
TEST_F(GpProgram, ActiveBounds) {
  Report r = run("MONO",
                 "1\nMONO\n MONOMIALS AND BOUNDS\n3 1\n1\n1\n1\n3\n1 1\n2 -1\n3 -1\n"
                 "0.5\n1\n2 1\n1\n1 3\n1\n3 4\n500 100\n");
  EXPECT_TRUE(fs::exists(dir_ / "MONO.DAT"));
  EXPECT_TRUE(r.has(kOptimum));
  expect_final_report(r);
  expect_optimum(r, 0.375);
  EXPECT_EQ(r.integer("TOTAL NUMBER OF ITERATIONS ="), 0);
  EXPECT_NEAR(r.x(1), 3.0, 1e-6);
  EXPECT_NEAR(r.x(2), 2.0, 1e-6);
  EXPECT_NEAR(r.x(3), 4.0, 1e-6);
  EXPECT_EQ(r.active_posys(), (std::vector<int>{0, 1, -2, -3}));

  r = example("BOUNDS");
  EXPECT_TRUE(r.has(kOptimum));
  EXPECT_NEAR(r.x(1), 2.0, 1e-6);
  EXPECT_NEAR(r.x(2), 0.5, 1e-6);
  const auto posys = r.active_posys();
  EXPECT_NE(std::find(posys.begin(), posys.end(), -2), posys.end());
  EXPECT_EQ(std::find(posys.begin(), posys.end(), -3), posys.end());
}

}  // namespace
