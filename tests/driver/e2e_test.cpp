// e2e_test.cpp — the posy program driven with piped keyboard input in a
// fresh directory; its files compared with committed golden files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "driver_test_support.h"

namespace {

using driver_test::fs::path;
using driver_test::read_file;
using driver_test::split_lines;

const path kGolden = POSY_GOLDEN_DIR;
const path kExamples = POSY_EXAMPLES_DIR;
constexpr int kInputError = 2, kStorage = 3, kEndOfInput = 4;
#ifdef POSY_HAVE_GP
constexpr bool kSolver = true;
#else
constexpr bool kSolver = false;
#endif

struct RunResult {
  int status;
  std::string screen;
};

class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = driver_test::fresh_dir("posy-e2e"); }
  void TearDown() override {
    if (!HasFailure()) driver_test::fs::remove_all(dir_);
  }
  RunResult run(const std::string& keyboard, int seconds = 120) {
    put("keyboard.txt", keyboard);
    const std::string cmd = "cd '" + dir_.string() + "' && timeout " +
                            std::to_string(seconds) + " '" POSY_BINARY
                            "' < keyboard.txt > screen.txt 2>&1";
    const int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, file("screen.txt")};
  }
  std::string file(const std::string& name) const { return read_file(dir_ / name); }
  void put(const std::string& name, const std::string& text) const {
    driver_test::write_file(dir_ / name, text);
  }
  path dir_;
};

// min x1 + x2 s.t. 1/(x1 x2) <= 1, typed under file name NAME.
std::string tiny_typed(const std::string& name) {
  return "1\n" + name +
         "\n TINY\n2 1\n2\n1\n1\n1\n1 1\n1\n1\n2 1\n1\n2\n1 -1\n2 -1\n0\n0\n"
         "20 5\n";
}

bool ends_normally(const RunResult& r) {
  const std::string tail = "Stop - Program terminated.\n";
  return r.status == 0 && r.screen.size() >= tail.size() &&
         r.screen.compare(r.screen.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(ProgramRun, TypedProblemGivesTheGoldenDataFileSummaryAndDialogue) {
  const RunResult r = run(read_file(kGolden / "GOLD.KEY"));
  EXPECT_TRUE(ends_normally(r)) << r.screen;
  EXPECT_EQ(file("GOLD.DAT"), read_file(kGolden / "GOLD.DAT"));

  const std::regex date(R"(RUN DATE \(M/D/Y\) : [ 1]\d/\d\d/\d{4})");
  const auto want = split_lines(read_file(kGolden / "GOLD.SUM"));
  const auto report = split_lines(file("GOLD.OUT"));
  ASSERT_GE(report.size(), want.size());
  std::vector<std::string> got(report.begin(), report.begin() + want.size());
  for (auto& line : got)
    if (std::regex_match(line, date)) line = "RUN DATE (M/D/Y) : ##/##/####";
  EXPECT_EQ(got, want);
  EXPECT_EQ(report.back().substr(0, 11), "CPU TIME = ");
  EXPECT_EQ(report.back().substr(11, 8).find('-'), std::string::npos);

  const auto scr = split_lines(read_file(kGolden / "GOLD.SCR"));
  const auto lines = split_lines(r.screen);
  ASSERT_GE(lines.size(), scr.size() + 2);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + scr.size()), scr);
  EXPECT_EQ(lines[lines.size() - 2], "OUTPUT DATA FILE : GOLD.OUT    ");
}

TEST_F(ProgramRun, FileNamesFormedFromTheTypedName) {
  const char* cases[][3] = {{"TEST", "TEST.DAT", "TEST.OUT"},
                            {"A.B", "A.B", "A.OUT"},
                            {"ABCDEFGHIJ", "ABCDEFGHIJ.D", "ABCDEFGHIJ.O"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    const RunResult r = run(tiny_typed(c[0]));
    EXPECT_TRUE(ends_normally(r)) << r.screen;
    EXPECT_TRUE(driver_test::fs::exists(dir_ / c[1]));
    std::string report12 = c[2];
    report12.resize(12, ' ');
    EXPECT_NE(r.screen.find("\nOUTPUT DATA FILE : " + report12 + "\n"),
              std::string::npos);
    // The data file reads back in mode 2 to the same summary.
    const auto a = split_lines(file(c[2]));
    EXPECT_TRUE(ends_normally(run(std::string("2\n") + c[1] + "\n20 5\n")));
    const auto b = split_lines(file(c[2]));
    ASSERT_GT(std::min(a.size(), b.size()), 14u);
    EXPECT_EQ(std::vector<std::string>(a.begin() + 1, a.begin() + 14),
              std::vector<std::string>(b.begin() + 1, b.begin() + 14));
  }
}

// PARMS.POS absent, complete, broken at line 3: a file broken at line 3 acts
// as a complete file holding its first two values and the defaults.
TEST_F(ProgramRun, RunParametersFromParmsPos) {
  const std::string keys = tiny_typed("P");
  auto body = [&] {
    auto lines = split_lines(file("P.OUT"));
    lines.erase(lines.begin());
    lines.pop_back();
    return lines;
  };
  ASSERT_EQ(run(keys).status, 0);
  const auto absent = body();
  put("PARMS.POS",
      "IPRINT 0\nIPRG 0\nIPRX 0\nALLOW 1.0000000116860974E-7\n"
      "RGAP 1.0000000116860974E-7\n");
  ASSERT_EQ(run(keys).status, 0);
  EXPECT_EQ(body(), absent);
  put("PARMS.POS", "IPRINT 1\nIPRG 1\nIPRX 0\nALLOW 1.0E-7\nRGAP 1.0E-7\n");
  ASSERT_EQ(run(keys).status, 0);
  const auto complete = body();
  put("PARMS.POS", "IPRINT 1\nIPRG 1\nIPRX oops\nALLOW 1.0E-1\nRGAP 1.0E-1\n");
  EXPECT_TRUE(ends_normally(run(keys)));
  EXPECT_EQ(body(), complete);
  if (kSolver) {
    EXPECT_NE(complete, absent) << "print switches had no effect";
  }
}

TEST_F(ProgramRun, LimitsPromptRepeatsUntilTwoIntegersAreRead) {
  put("BOX.DAT", read_file(kExamples / "BOX.DAT"));
  const RunResult r = run("2\nBOX.DAT\nfifty\n0 5\n");
  EXPECT_TRUE(ends_normally(r)) << r.screen;
  const std::string prompt = "\nENTER LIMIT ON NO. OF ITERATIONS";
  const auto first = r.screen.find(prompt);
  ASSERT_NE(first, std::string::npos) << r.screen;
  EXPECT_NE(r.screen.find(prompt, first + 1), std::string::npos) << r.screen;
  if (kSolver) {
    EXPECT_NE(file("BOX.OUT").find("\n****TERMINATED: END OF     0 ITERATIONS"),
              std::string::npos);
  }
}

// End of keyboard input at a prompt of the golden dialogue stops at once.
TEST_F(ProgramRun, EndOfKeyboardInputStops) {
  const auto keys = split_lines(read_file(kGolden / "GOLD.KEY"));
  for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{3},
                        keys.size() / 2, keys.size() - 1}) {
    std::string input;
    for (std::size_t i = 0; i < n; ++i) input += keys[i] + "\n";
    const RunResult r = run(input, 30);
    ASSERT_EQ(r.status, kEndOfInput) << "after " << n << " lines:\n" << r.screen;
    EXPECT_NE(r.screen.find("End of keyboard input while asking for "),
              std::string::npos);
  }
}

// Bad data files named in mode 2: the file and the group named, a non-zero
// exit, and no limits prompt.
TEST_F(ProgramRun, BadDataFilesAreRefusedWithTheGroupNamed) {
  const std::string head = " BAD\n    2    1\n    2    1 \n";
  const std::string terms =
      "\n     1 0.100000000D+01\n      1 0.100000000D+01\n"
      "\n     1 0.100000000D+01\n      2 0.100000000D+01\n"
      "\n     2 0.100000000D+01\n      1 -.100000000D+01\n"
      "      2 -.100000000D+01\n";
  struct Bad {
    std::string text;
    int status;
    const char* message;
  };
  const Bad all[] = {
      {"", kInputError, "premature end of file in the title record"},
      {" BAD\n two 1\n", kInputError, "unreadable value in the sizes NVAR, MCON"},
      {" BAD\n    0    0\n", kInputError, "NVAR = 0 is below 1"},
      {" BAD\n    2 1000\n", kInputError, "MCON = 1000 is outside 0..999"},
      {" BAD\n    2    1\n    2    0\n", kInputError, "posynomial 1 has 0 terms"},
      {head + "\n     1 -2.5\n", kInputError,
       "coefficient -2.50000 is not a positive number in term 1 of posynomial 0"},
      {head + "\n     1 1.0\n      3 1.0\n", kInputError,
       "variable index 3 is outside 1..2 in pair 1 of term 1 of posynomial 0"},
      {head + terms + "\n    1\n 5 2.0\n", kInputError,
       "variable index 5 is outside 1..2 in lower bound 1"},
      {head + terms + "\n    0\n\n    1\n 2,x\n", kInputError,
       "unreadable value in upper bound 1"},
      {" BIG\n    1    1\n 2000000000 2000000000\n", kStorage,
       "Not enough storage for data; aborting..."},
  };
  for (const Bad& c : all) {
    SCOPED_TRACE(c.text);
    put("BAD.DAT", c.text);
    const RunResult r = run("2\nBAD.DAT\n20 5\n", 30);
    EXPECT_EQ(r.status, c.status) << r.screen;
    if (c.status == kInputError) {
      EXPECT_NE(r.screen.find("Data file BAD.DAT: "), std::string::npos);
    }
    EXPECT_NE(r.screen.find(c.message), std::string::npos) << r.screen;
    EXPECT_EQ(r.screen.find("ENTER LIMIT"), std::string::npos);
  }
  put("BAD.DAT", head + terms + "\n    0\n\n    0\n");
  EXPECT_TRUE(ends_normally(run("2\nBAD.DAT\n20 5\n")));

  const RunResult r = run("2\nNOFILE\n");
  EXPECT_EQ(r.status, kInputError);
  EXPECT_NE(r.screen.find("Data file NOFILE.DAT: cannot be opened"),
            std::string::npos) << r.screen;
}

}  // namespace
