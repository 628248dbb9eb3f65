// e2e_test.cpp — the posy program driven end to end: piped keyboard input in
// a fresh directory, the files it leaves compared with committed golden
// files (run date masked), every bad-input stop checked for its console
// message and exit status.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_test_support.h"

namespace {

using driver_test::fs::path;
using driver_test::mask_date;
using driver_test::read_file;
using driver_test::RunResult;
using driver_test::split_lines;

const path kGolden = POSY_GOLDEN_DIR;
const path kExamples = POSY_EXAMPLES_DIR;

constexpr int kInputError = 2;
constexpr int kStorage = 3;
constexpr int kEndOfInput = 4;

#ifdef POSY_HAVE_GP
constexpr bool kSolver = true;
#else
constexpr bool kSolver = false;
#endif

class ProgramRun : public driver_test::PosyRun {};

// A small typed problem (min x1 + x2 s.t. 1/(x1 x2) <= 1) under file name
// NAME, then the limits.
std::string tiny_typed(const std::string& name) {
  return "1\n" + name +
         "\n TINY\n2 1\n2\n1\n1\n1\n1 1\n1\n1\n2 1\n1\n2\n1 -1\n2 -1\n0\n0\n"
         "20 5\n";
}

bool ends_normally(const RunResult& r) {
  return r.status == 0 &&
         r.screen.size() >= 27 &&
         r.screen.substr(r.screen.size() - 27) == "Stop - Program terminated.\n";
}

// ---------------------------------------------------------------------------

TEST_F(ProgramRun, TypedProblemGivesTheGoldenDataFileSummaryAndDialogue) {
  const RunResult r = run(read_file(kGolden / "GOLD.KEY"));
  EXPECT_TRUE(ends_normally(r)) << r.screen;
  EXPECT_EQ(file("GOLD.DAT"), read_file(kGolden / "GOLD.DAT"));

  // The report opens with the run date and the summary.
  const auto want = split_lines(read_file(kGolden / "GOLD.SUM"));
  auto got = split_lines(file("GOLD.OUT"));
  ASSERT_GE(got.size(), want.size());
  got.resize(want.size());
  for (auto& line : got) line = mask_date(line);
  EXPECT_EQ(got, want);

  // The dialogue up to the limits prompt, then the report file name.
  const auto scr = split_lines(read_file(kGolden / "GOLD.SCR"));
  const auto lines = split_lines(r.screen);
  ASSERT_GE(lines.size(), scr.size() + 2);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + scr.size()),
            scr);
  EXPECT_EQ(lines[lines.size() - 2], "OUTPUT DATA FILE : GOLD.OUT    ");

  // The report ends with the elapsed time.
  const auto report = split_lines(file("GOLD.OUT"));
  ASSERT_GE(report.size(), 3u);
  EXPECT_EQ(report[report.size() - 3], "");
  EXPECT_EQ(report[report.size() - 2], "");
  EXPECT_EQ(report.back().substr(0, 11), "CPU TIME = ");
  EXPECT_EQ(report.back().substr(19), " SECONDS");
  EXPECT_EQ(report.back().substr(11, 8).find('-'), std::string::npos)
      << "negative elapsed time";
}

// The shipped examples, named in mode 2: summary sizes, a normal end and,
// with the solver built in, the optimum the examples' README states.
TEST_F(ProgramRun, ShippedExamplesRunFromTheirDataFiles) {
  struct Example {
    const char* name;
    int nvar, mcon, terms, ddiff;
    double optimum;
  };
  const Example examples[] = {
      {"CAN", 2, 1, 3, 0, 5.5358104},   {"BOX", 3, 0, 4, 0, 100.0},
      {"GRAVEL", 3, 1, 4, 0, 60.0},     {"CUBE", 3, 1, 4, 0, 0.64951905},
      {"BOUNDS", 2, 1, 3, 2, 2.5},      {"SUM8", 8, 1, 9, 0, 8.0},
  };
  for (const Example& e : examples) {
    SCOPED_TRACE(e.name);
    const std::string dat = std::string(e.name) + ".DAT";
    copy_in(kExamples / dat, dat);
    const RunResult r = run("2\n" + dat + "\n500 100\n");
    EXPECT_TRUE(ends_normally(r)) << r.screen;
    EXPECT_EQ(r.screen.find("Enter the problem name"), std::string::npos);
    const std::string report = file(std::string(e.name) + ".OUT");
    auto field = [&](const std::string& label, int v) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "\n    %s%5d\n", label.c_str(), v);
      EXPECT_NE(report.find(buf), std::string::npos) << buf;
    };
    field("NUMBER OF VARIABLES  ", e.nvar);
    field("NUMBER OF CONSTRAINTS", e.mcon);
    field("TOTAL NUMBER OF TERMS", e.terms);
    field("DEGREES OF DIFFICULTY", e.ddiff);
    if (kSolver) {
      const std::string key = "POSYNOMIAL NUMBER    0     VALUE=";
      const auto at = report.rfind(key);
      ASSERT_NE(at, std::string::npos);
      const double value = std::strtod(report.c_str() + at + key.size(), nullptr);
      EXPECT_NEAR(value, e.optimum, 2.0e-6 * e.optimum);
    }
  }
}

TEST_F(ProgramRun, FileNamesFormedFromTheTypedName) {
  struct Case {
    const char* typed;
    const char* data;
    const char* report;
  };
  const Case cases[] = {{"TEST", "TEST.DAT", "TEST.OUT"},
                        {"A.B", "A.B", "A.OUT"},
                        {"ABCDEFGHIJ", "ABCDEFGHIJ.D", "ABCDEFGHIJ.O"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const RunResult r = run(tiny_typed(c.typed));
    EXPECT_TRUE(ends_normally(r)) << r.screen;
    EXPECT_TRUE(exists(c.data));
    EXPECT_TRUE(exists(c.report));
    std::string data12 = c.data, report12 = c.report;
    data12.resize(12, ' ');
    report12.resize(12, ' ');
    EXPECT_NE(r.screen.find("\n      and saved under the file name " + data12 +
                            "\n"),
              std::string::npos);
    EXPECT_NE(r.screen.find("\nOUTPUT DATA FILE : " + report12 + "\n"),
              std::string::npos);
    // The data file reads back: mode 2 on it gives the same summary.
    const std::string first = file(c.report);
    const RunResult again = run(std::string("2\n") + c.data + "\n20 5\n");
    EXPECT_TRUE(ends_normally(again)) << again.screen;
    const auto a = split_lines(first), b = split_lines(file(c.report));
    ASSERT_GT(a.size(), 14u);
    ASSERT_GT(b.size(), 14u);
    for (std::size_t i = 1; i < 14; ++i) EXPECT_EQ(a[i], b[i]);
  }
}

// PARMS.POS: absent, complete, broken at line 3.  A file broken at line 3
// must act as a complete file holding its first two values and the defaults.
TEST_F(ProgramRun, RunParametersFromParmsPos) {
  const std::string keys = tiny_typed("P");
  auto report_body = [&] {
    auto lines = split_lines(file("P.OUT"));
    lines.erase(lines.begin());  // run date
    lines.pop_back();            // elapsed time
    return lines;
  };
  ASSERT_EQ(run(keys).status, 0);
  const auto absent = report_body();

  put("PARMS.POS",
      "IPRINT 0\nIPRG 0\nIPRX 0\nALLOW 1.0000000116860974E-7\n"
      "RGAP 1.0000000116860974E-7\n");
  ASSERT_EQ(run(keys).status, 0);
  EXPECT_EQ(report_body(), absent);

  put("PARMS.POS", "IPRINT 1\nIPRG 1\nIPRX 0\nALLOW 1.0E-7\nRGAP 1.0E-7\n");
  ASSERT_EQ(run(keys).status, 0);
  const auto complete = report_body();

  put("PARMS.POS", "IPRINT 1\nIPRG 1\nIPRX oops\nALLOW 1.0E-1\nRGAP 1.0E-1\n");
  const RunResult broken = run(keys);
  EXPECT_TRUE(ends_normally(broken)) << broken.screen;
  EXPECT_EQ(report_body(), complete);
  if (kSolver) {
    EXPECT_NE(complete, absent) << "print switches had no effect";
  }
}

TEST_F(ProgramRun, LimitsPromptRepeatsUntilTwoIntegersAreRead) {
  copy_in(kExamples / "BOX.DAT", "BOX.DAT");
  const RunResult r = run("2\nBOX.DAT\nfifty\n0 5\n");
  EXPECT_TRUE(ends_normally(r)) << r.screen;
  const std::string block =
      "\n\nENTER LIMIT ON NO. OF ITERATIONS TO BE PERFORMED &\n"
      "FREQUENCY (IN ITERATIONS) WITH WHICH REPORTS ARE REQUIRED\n   : ";
  const auto first = r.screen.find(block);
  ASSERT_NE(first, std::string::npos) << r.screen;
  EXPECT_NE(r.screen.find(block, first + 1), std::string::npos) << r.screen;
  if (kSolver) {
    EXPECT_NE(file("BOX.OUT").find("\n****TERMINATED: END OF     0 ITERATIONS"),
              std::string::npos);
  }
}

// ---------------------------------------------------------------------------
// End of keyboard input: at every prompt of the golden dialogue the run
// stops at once, says so, and exits non-zero.

TEST_F(ProgramRun, EndOfKeyboardInputAtAnyPromptStops) {
  const auto keys = split_lines(read_file(kGolden / "GOLD.KEY"));
  for (std::size_t n = 0; n < keys.size(); ++n) {
    std::string input;
    for (std::size_t i = 0; i < n; ++i) input += keys[i] + "\n";
    const RunResult r = run(input, 30);
    ASSERT_EQ(r.status, kEndOfInput) << "after " << n << " lines:\n" << r.screen;
    EXPECT_NE(r.screen.find("End of keyboard input while asking for "),
              std::string::npos);
  }
}

// ---------------------------------------------------------------------------
// Typed replies the data file could not hold, or plainly invalid, are asked
// again; an unreadable bound count ends the run.

TEST_F(ProgramRun, TypedRepliesOutOfRangeAreAskedAgain) {
  const RunResult r = run(
      "1\nT\n T\n10000 1\n2 1000\n2 1\n1\n1\n"
      "-1\n1\n100000\n1\n1 1\n"        // coefficient, count too large
      "1\n1\n0 1\n2 1.0E+99\n2 1\n"    // index 0, exponent too large
      "-1\n10000\n1\n3 2\n1 2\n"       // bound counts, then an index outside
      "0\n20 5\n");
  EXPECT_TRUE(ends_normally(r)) << r.screen;
  EXPECT_NE(r.screen.find("\nNVAR must be 1 to 9999 and MCON 0 to 999"),
            std::string::npos);
  EXPECT_NE(r.screen.find("\nThe number of variables must be 0 to 99999"),
            std::string::npos);
  EXPECT_NE(r.screen.find("\nThe coefficient must be positive"), std::string::npos);
  EXPECT_NE(r.screen.find("\nThe number of bounds must be 0 to 9999"),
            std::string::npos);
  EXPECT_NE(r.screen.find("\nEnter a variable index from 1 to 2 and a bound"),
            std::string::npos);
  const std::string want =
      " T                             \n"
      "    2    1\n"
      "    1    1 \n\n"
      "     1 0.100000000D+01\n"
      "      1 0.100000000D+01\n\n"
      "     1 0.100000000D+01\n"
      "      2 0.100000000D+01\n\n"
      "    1\n"
      "           1    2.0000000000000000    \n\n"
      "    0\n";
  EXPECT_EQ(file("T.DAT"), want);
}

TEST_F(ProgramRun, UnreadableBoundCountEndsTheRun) {
  const RunResult r = run("1\nT\n T\n1 0\n1\n2\n1\n1 1\nmany\n");
  EXPECT_EQ(r.status, kInputError) << r.screen;
  EXPECT_NE(r.screen.find("variables with lower bound could not be read"),
            std::string::npos);
}

// ---------------------------------------------------------------------------
// Bad data files named in mode 2: a message naming the file and the group,
// a non-zero exit, no question about the problem.

struct BadFile {
  std::string text;
  int status;
  std::string message;
};

TEST_F(ProgramRun, BadDataFilesAreRefusedWithTheGroupNamed) {
  const std::string head = " BAD\n    2    1\n    2    1 \n";
  const std::string terms =
      "\n     1 0.100000000D+01\n      1 0.100000000D+01\n"
      "\n     1 0.100000000D+01\n      2 0.100000000D+01\n"
      "\n     2 0.100000000D+01\n      1 -.100000000D+01\n"
      "      2 -.100000000D+01\n";
  const std::string nobounds = "\n    0\n\n    0\n";
  const std::vector<BadFile> all = {
      {"", kInputError, "premature end of file in the title record"},
      {" BAD\n", kInputError, "premature end of file in the sizes NVAR, MCON"},
      {" BAD\n two 1\n", kInputError, "unreadable value in the sizes NVAR, MCON"},
      {" BAD\n   -1    0\n", kInputError, "NVAR = -1 is below 1"},
      {" BAD\n    0    0\n", kInputError, "NVAR = 0 is below 1"},
      {" BAD\n    2 1000\n", kInputError, "MCON = 1000 is outside 0..999"},
      {" BAD\n    2   -1\n", kInputError, "MCON = -1 is outside 0..999"},
      {" BAD\n    2    1\n    2   -1\n", kInputError,
       "posynomial 1 has -1 terms (at least 1 needed) in the term counts"},
      {" BAD\n    2    1\n    2    0\n", kInputError, "posynomial 1 has 0 terms"},
      {" BAD\n    2    1\n    2\n", kInputError,
       "premature end of file in the term counts"},
      {head, kInputError,
       "premature end of file in term 1 of posynomial 0 (term 1 of the file)"},
      {head + "\n     1 0.1D+01\n      1 1.0\n\n abc\n", kInputError,
       "unreadable value in term 2 of posynomial 0 (term 2 of the file)"},
      {head + "\n    -1 0.1D+01\n", kInputError,
       "variable count -1 is negative in term 1 of posynomial 0"},
      {head + "\n     1 0.0\n", kInputError,
       "is not a positive number in term 1 of posynomial 0"},
      {head + "\n     1 -2.5\n", kInputError,
       "coefficient -2.50000 is not a positive number in term 1 of posynomial 0"},
      {head + "\n     1 1.0\n      3 1.0\n", kInputError,
       "variable index 3 is outside 1..2 in pair 1 of term 1 of posynomial 0"},
      {head + "\n     1 1.0\n      0 1.0\n", kInputError,
       "variable index 0 is outside 1..2 in pair 1"},
      {head + "\n     2 1.0\n      1 1.0\n", kInputError,
       "premature end of file in pair 2 of term 1 of posynomial 0"},
      {head + terms, kInputError,
       "premature end of file in the number of lower bounds"},
      {head + terms + "\n   -1\n", kInputError,
       "count -1 is negative in the number of lower bounds"},
      {head + terms + "\n    1\n 5 2.0\n", kInputError,
       "variable index 5 is outside 1..2 in lower bound 1"},
      {head + terms + "\n    0\n\n    2\n 1 2.0\n", kInputError,
       "premature end of file in upper bound 2"},
      {head + terms + "\n    0\n\n    1\n 2,x\n", kInputError,
       "unreadable value in upper bound 1"},
      // Sizes whose totals overflow 32-bit integers: a storage failure.
      {" BIG\n 2147483647    0\n    1\n     0 1.0\n    0\n    0\n", kStorage,
       "Not enough storage for data; aborting..."},
      {" BIG\n    1    1\n 2000000000 2000000000\n", kStorage,
       "Not enough storage for data; aborting..."},
  };

  for (const BadFile& c : all) {
    SCOPED_TRACE(c.text);
    put("BAD.DAT", c.text);
    const RunResult r = run("2\nBAD.DAT\n20 5\n", 30);
    EXPECT_EQ(r.status, c.status) << r.screen;
    if (c.status == kInputError) {  // the file and the group are named
      EXPECT_NE(r.screen.find("Data file BAD.DAT: "), std::string::npos);
    }
    EXPECT_NE(r.screen.find(c.message), std::string::npos) << r.screen;
    EXPECT_EQ(r.screen.find("ENTER LIMIT"), std::string::npos);
  }

  // The well-formed file the cases were cut from is accepted.
  put("BAD.DAT", head + terms + nobounds);
  EXPECT_TRUE(ends_normally(run("2\nBAD.DAT\n20 5\n")));
}

TEST_F(ProgramRun, MissingDataFileStopsBeforeAnyProblemQuestion) {
  const RunResult r = run("2\nNOFILE\n");
  EXPECT_EQ(r.status, kInputError) << r.screen;
  EXPECT_NE(r.screen.find("Data file NOFILE.DAT: cannot be opened"),
            std::string::npos)
      << r.screen;
  EXPECT_EQ(r.screen.find("Enter the problem name"), std::string::npos);
  EXPECT_EQ(r.screen.find("ENTER LIMIT"), std::string::npos);

  driver_test::fs::create_directory(dir_ / "DIR.DAT");
  const RunResult d = run("2\nDIR.DAT\n");
  EXPECT_EQ(d.status, kInputError) << d.screen;
  EXPECT_NE(d.screen.find("Data file DIR.DAT: is a directory"), std::string::npos)
      << d.screen;
}

TEST_F(ProgramRun, EmptyKeyboardStopsAtTheFirstPrompt) {
  const RunResult r = run("");
  EXPECT_EQ(r.status, kEndOfInput);
  EXPECT_NE(r.screen.find("End of keyboard input while asking for the input mode"),
            std::string::npos);
}

}  // namespace

namespace {

// The largest problems of the shared test set through the program: the run
// stops at the limits prompt (no keyboard input left) with the summary whole.
TEST_F(ProgramRun, LargestTestSetSummariesComeOutWhole) {
  const path set = path(POSY_SHARED_DIR) / "gp-testset";
  if (!driver_test::fs::exists(set / "CL31.DAT"))
    GTEST_SKIP() << "shared test set not found at " << set;
  struct Big {
    const char* name;
    int nvar, mcon, terms;
  };
  for (const Big& b : {Big{"CL29", 126, 245, 3621}, Big{"CL31", 200, 398, 20497}}) {
    SCOPED_TRACE(b.name);
    const std::string dat = std::string(b.name) + ".DAT";
    copy_in(set / dat, dat);
    const RunResult r = run("2\n" + dat + "\n", 300);
    EXPECT_EQ(r.status, kEndOfInput) << r.screen;
    EXPECT_NE(r.screen.find("\nENTER LIMIT ON NO. OF ITERATIONS"), std::string::npos);
    const auto lines = split_lines(file(std::string(b.name) + ".OUT"));
    const int per_term = (b.nvar + 5) / 6;
    ASSERT_EQ(lines.size(), 12u + static_cast<std::size_t>(b.terms) * per_term);
    char first[16];
    std::snprintf(first, sizeof first, "%5d%5d", b.mcon, b.terms);
    EXPECT_EQ(lines[lines.size() - per_term].substr(0, 10), first);
  }
}

}  // namespace
