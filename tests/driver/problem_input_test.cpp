// problem_input_test.cpp — in-process tests of the driver's pieces: file
// names, run parameters, elapsed time, the data file writers against the
// readers, GPINPT's arrays and summary, its refusals, and the storage stop.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "driver/data_file.h"
#include "driver/problem_input.h"
#include "driver/run_steps.h"
#include "driver/stops.h"
#include "driver_test_support.h"
#include "io/units.h"

namespace {

using driver_test::InTempDir;
using driver_test::read_file;
using driver_test::split_lines;
using driver_test::Stopped;
using driver_test::write_file;

// ---------------------------------------------------------------------------
// File names.

TEST(FileNames, FormedFromTheTypedName) {
  struct Case {
    const char* typed;
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"TEST", "TEST.DAT    ", "TEST.OUT    "},
      {"A.B", "A.B         ", "A.OUT       "},
      {"ABCDEFGHIJ", "ABCDEFGHIJ.D", "ABCDEFGHIJ.O"},
      {"ABCDEFGH    ", "ABCDEFGH.DAT", "ABCDEFGH.OUT"},
      {"X.Y.Z", "X.Y.Z       ", "X.OUT       "},  // first "." counts
  };
  for (const Case& c : cases) {
    std::string in, out;
    driver::form_file_names(c.typed, in, out);
    EXPECT_EQ(in, c.in) << c.typed;
    EXPECT_EQ(out, c.out) << c.typed;
  }
}

// ---------------------------------------------------------------------------
// Elapsed time.

TEST(ElapsedTime, NeverNegativeAcrossMidnight) {
  EXPECT_DOUBLE_EQ(driver::elapsed_seconds(100.25, 160.5), 60.25);
  EXPECT_DOUBLE_EQ(driver::elapsed_seconds(86399.5, 0.25), 0.75);
  EXPECT_DOUBLE_EQ(driver::elapsed_seconds(5.0, 5.0), 0.0);
  const double t = driver::time_of_day();
  EXPECT_GE(t, 0.0);
  EXPECT_LT(t, 86401.0);
}

// ---------------------------------------------------------------------------
// Run parameters.

class RunParameters : public InTempDir {
 protected:
  int IPRINT = 0, IPRG = 0, IPRX = 0;
  double ALLOW = driver::kDefaultTolerance, RGAP = driver::kDefaultTolerance;
  void read() {
    driver::read_run_parameters(IPRINT, IPRG, IPRX, ALLOW, RGAP);
    EXPECT_FALSE(io::is_connected(9)) << "PARMS.POS left open";
  }
};

TEST_F(RunParameters, AbsentFileKeepsTheDefaults) {
  read();
  EXPECT_EQ(IPRINT, 0);
  EXPECT_EQ(IPRG, 0);
  EXPECT_EQ(IPRX, 0);
  EXPECT_EQ(ALLOW, 1.0000000116860974E-7);
  EXPECT_EQ(RGAP, 1.0000000116860974E-7);
}

TEST_F(RunParameters, CompleteFileSetsAllFive) {
  write_file("PARMS.POS",
             "IPRINT 1\nIPRG 1\nIPRX 1\nALLOW 1.0E-6\nRGAP 1.0D-5\n");
  read();
  EXPECT_EQ(IPRINT, 1);
  EXPECT_EQ(IPRG, 1);
  EXPECT_EQ(IPRX, 1);
  EXPECT_EQ(ALLOW, 1.0E-6);
  EXPECT_EQ(RGAP, 1.0E-5);
}

TEST_F(RunParameters, FileBrokenAtLineThreeKeepsTheRest) {
  write_file("PARMS.POS", "IPRINT 1\nIPRG 1\nIPRX one\nALLOW 1.0E-6\nRGAP 1.0E-5\n");
  read();
  EXPECT_EQ(IPRINT, 1);
  EXPECT_EQ(IPRG, 1);
  EXPECT_EQ(IPRX, 0);
  EXPECT_EQ(ALLOW, driver::kDefaultTolerance);
  EXPECT_EQ(RGAP, driver::kDefaultTolerance);
}

TEST_F(RunParameters, ShortFileSetsWhatItHolds) {
  write_file("PARMS.POS", "IPRINT,1\n");
  read();
  EXPECT_EQ(IPRINT, 1);
  EXPECT_EQ(IPRG, 0);
  EXPECT_EQ(ALLOW, driver::kDefaultTolerance);
}

// ---------------------------------------------------------------------------
// A problem written with the dialogue's writers and read back.

struct Term {
  double c;
  std::vector<std::pair<int, double>> pairs;
};

struct Problem {
  std::string name = "ROUND TRIP";
  int NVAR = 0;
  std::vector<std::vector<Term>> posys;
  std::vector<std::pair<int, double>> lower, upper;
  int terms() const {
    int n = 0;
    for (const auto& p : posys) n += static_cast<int>(p.size());
    return n;
  }
  int pairs() const {
    int n = 0;
    for (const auto& p : posys)
      for (const auto& t : p) n += static_cast<int>(t.pairs.size());
    return n;
  }
};

void write_problem(const Problem& p, const std::string& file) {
  ASSERT_TRUE(io::open_unit(7, file, io::OpenStatus::kReplace));
  driver::write_title(7, p.name);
  driver::write_sizes(7, p.NVAR, static_cast<int>(p.posys.size()) - 1);
  std::vector<int> kt;
  for (const auto& q : p.posys) kt.push_back(static_cast<int>(q.size()));
  driver::write_term_counts(7, kt.data(), static_cast<int>(kt.size()));
  for (const auto& q : p.posys)
    for (const auto& t : q) {
      driver::write_term(7, static_cast<int>(t.pairs.size()), t.c);
      for (const auto& [j, a] : t.pairs) driver::write_pair(7, j, a);
    }
  driver::write_bound_count(7, static_cast<int>(p.lower.size()));
  for (const auto& [j, v] : p.lower) driver::write_bound(7, j, v);
  driver::write_bound_count(7, static_cast<int>(p.upper.size()));
  for (const auto& [j, v] : p.upper) driver::write_bound(7, j, v);
  io::close_unit(7);
}

// The problem arrays, sized exactly as the driver sizes them, so that a
// write outside them shows under AddressSanitizer.
struct Arrays {
  int NVAR, MCON, KTTOT, NONZER, NLB, NUB;
  std::vector<double> C, A, SLB, SUB, TEMPOUT;
  std::vector<int> KT, FTERM, LTERM, IDVAR, NAPP;
  Arrays(int nvar, int mcon, int terms, int nonzer, int nlb, int nub)
      : NVAR(nvar), MCON(mcon), KTTOT(terms + nlb + nub + nvar + 1),
        NONZER(nonzer), NLB(nlb), NUB(nub),
        C(static_cast<std::size_t>(KTTOT)), A(static_cast<std::size_t>(nonzer)),
        SLB(static_cast<std::size_t>(nvar)), SUB(static_cast<std::size_t>(nvar)),
        TEMPOUT(static_cast<std::size_t>(nvar)),
        KT(static_cast<std::size_t>(mcon + 1)),
        FTERM(static_cast<std::size_t>(mcon + 1)),
        LTERM(static_cast<std::size_t>(mcon + 1)),
        IDVAR(static_cast<std::size_t>(nonzer)),
        NAPP(static_cast<std::size_t>(KTTOT)) {}
  void read(const std::string& in, const std::string& out) {
    std::string INFNM = in, OUTFNM = out;
    GPINPT(INFNM, OUTFNM, C.data(), A.data(), NVAR, MCON, KT.data(), KTTOT,
           FTERM.data(), LTERM.data(), IDVAR.data(), NAPP.data(), NLB, NUB,
           SLB.data(), SUB.data(), TEMPOUT.data(), NONZER);
  }
};

Problem sample_problem() {
  Problem p;
  p.NVAR = 8;
  p.posys = {
      {{40.0, {{1, -1.0}, {2, -1.0}, {3, -1.0}}}, {2.5e-3, {{8, 0.5}, {7, -1.25}}}},
      {{0.5, {{1, 1.0}, {3, 1.0}}}, {0.25, {}}},  // a term without variables
      {{1.0e-6, {{4, 2.0}, {5, -3.0}, {6, 1.0}, {8, 1.0}}}},
  };
  // Listed are bounds above the single-precision 1.0E-6 widened: the double
  // 1.0E-6 is (just) above it, the widened value itself is not.
  p.lower = {{1, 0.5}, {2, 0.0}, {3, 1.0e-6}, {4, static_cast<double>(1.0E-6f)},
             {1, 1.5}};  // the later record for variable 1 wins
  p.upper = {{8, 1.0e3}};
  return p;
}

class DataFileInput : public InTempDir {};

TEST_F(DataFileInput, WrittenProblemReadsBackIntoTheArrays) {
  const Problem p = sample_problem();
  write_problem(p, "RT.DAT");
  std::string PNM;
  int NVAR, MCON, KTTOT, NONZER, NLB, NUB;
  driver::scan_data_file("RT.DAT      ", PNM, NVAR, MCON, KTTOT, NONZER, NLB, NUB);
  EXPECT_EQ(PNM, "ROUND TRIP                    ");
  EXPECT_EQ(NVAR, 8);
  EXPECT_EQ(MCON, 2);
  EXPECT_EQ(KTTOT, 5);
  EXPECT_EQ(NONZER, 11);
  EXPECT_EQ(NLB, 5);
  EXPECT_EQ(NUB, 1);

  Arrays a(NVAR, MCON, KTTOT, NONZER, NLB, NUB);
  a.read("RT.DAT", "RT.OUT");
  EXPECT_EQ(a.KTTOT, 5);  // the true number of terms on return
  EXPECT_EQ((std::vector<int>{2, 2, 1}), a.KT);
  EXPECT_EQ((std::vector<int>{1, 3, 5}), a.FTERM);
  EXPECT_EQ((std::vector<int>{2, 4, 5}), a.LTERM);
  EXPECT_EQ((std::vector<int>{3, 2, 2, 0, 4}),
            std::vector<int>(a.NAPP.begin(), a.NAPP.begin() + 5));
  EXPECT_EQ((std::vector<double>{40.0, 2.5e-3, 0.5, 0.25, 1.0e-6}),
            std::vector<double>(a.C.begin(), a.C.begin() + 5));
  EXPECT_EQ((std::vector<int>{1, 2, 3, 8, 7, 1, 3, 4, 5, 6, 8}), a.IDVAR);
  EXPECT_EQ(a.A[4], -1.25);
  EXPECT_EQ(a.SLB[0], 1.5);
  EXPECT_EQ(a.SLB[1], 0.0);
  EXPECT_EQ(a.SLB[2], 1.0e-6);
  EXPECT_EQ(a.SLB[3], static_cast<double>(1.0E-6f));  // read back exactly
  EXPECT_EQ(a.SUB[7], 1.0e3);
  EXPECT_EQ(a.SUB[0], 0.0);
}

TEST_F(DataFileInput, TermCountsRunFourteenToALine) {
  Problem p;
  p.NVAR = 1;
  for (int k = 0; k < 30; ++k) p.posys.push_back({{1.0, {{1, 1.0}}}});
  write_problem(p, "WRAP.DAT");
  const auto lines = split_lines(read_file("WRAP.DAT"));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[1], "    1   29");
  std::string fourteen;
  for (int k = 0; k < 14; ++k) fourteen += "   1 ";
  EXPECT_EQ(lines[2], " " + fourteen);
  EXPECT_EQ(lines[3], fourteen);
  EXPECT_EQ(lines[4], "   1    1 ");
  std::string PNM;
  int NVAR, MCON, KTTOT, NONZER, NLB, NUB;
  driver::scan_data_file("WRAP.DAT", PNM, NVAR, MCON, KTTOT, NONZER, NLB, NUB);
  EXPECT_EQ(MCON, 29);
  EXPECT_EQ(KTTOT, 30);
}

TEST_F(DataFileInput, RecordLayouts) {
  Problem p;
  p.name = "LAYOUT";
  p.NVAR = 12;
  p.posys = {{{6.283185307, {{12, -2.0}, {1, 0.5}}}}};
  p.lower = {{3, 2.5}};
  write_problem(p, "L.DAT");
  const auto lines = split_lines(read_file("L.DAT"));
  const std::vector<std::string> expected = {
      " LAYOUT                        ",
      "   12    0",
      "    1 ",
      "",
      "     2 0.628318531D+01",
      "     12 -.200000000D+01",
      "      1 0.500000000D+00",
      "",
      "    1",
      "           3    2.5000000000000000    ",
      "",
      "    0",
  };
  EXPECT_EQ(lines, expected);
}

// ---------------------------------------------------------------------------
// The summary.

TEST_F(DataFileInput, SummaryLayoutWithContinuationLinesAndBounds) {
  write_problem(sample_problem(), "S.DAT");
  Arrays a(8, 2, 5, 11, 5, 1);
  a.read("S.DAT", "S.OUT");
  io::close_unit(8);
  auto lines = split_lines(read_file("S.OUT"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].substr(0, 19), "RUN DATE (M/D/Y) : ");
  EXPECT_EQ(lines[0].size(), 29u);
  EXPECT_EQ(lines[0][21], '/');
  EXPECT_EQ(lines[0][24], '/');
  lines.erase(lines.begin());
  const std::vector<std::string> expected = {
      "",
      "",
      "",
      "SUMMARY OF PROBLEM DATA",
      "    PROBLEM NAME: ROUND TRIP                    ",
      "    NUMBER OF VARIABLES      8",
      "    NUMBER OF CONSTRAINTS    2",
      "    TOTAL NUMBER OF TERMS    5",
      "    DEGREES OF DIFFICULTY    2",  // 5 + 1 + 5 - 8 - 1
      "",
      "POSY   TERM   COEFFICIENT             EXPONENTS",
      "    0    1  0.40000D+02 -1.0000 -1.0000 -1.0000  0.0000  0.0000  0.0000",
      "                         0.0000  0.0000",
      "    0    2  0.25000D-02  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000",
      "                        -1.2500  0.5000",
      "    1    3  0.50000D+00  1.0000  0.0000  1.0000  0.0000  0.0000  0.0000",
      "                         0.0000  0.0000",
      "    1    4  0.25000D+00  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000",
      "                         0.0000  0.0000",
      "    2    5  0.10000D-05  0.0000  0.0000  0.0000  2.0000 -3.0000  1.0000",
      "                         0.0000  1.0000",
      " ",
      " LOWER BOUNDS:",
      "        1      1.5000",
      "        3      0.0000",  // 1.0E-6; 0.0 and 1.0E-6f are not listed
      " ",
      " UPPER BOUNDS:",
      "        8   1000.0000",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(DataFileInput, DegreesOfDifficultyCountBounds) {
  Problem p;
  p.NVAR = 2;
  p.posys = {{{1.0, {{1, 1.0}}}, {1.0, {{2, 1.0}}}, {1.0, {{1, -1.0}}}},
             {{1.0, {{1, -1.0}, {2, -1.0}}}}};
  write_problem(p, "D0.DAT");
  Arrays a(2, 1, 4, 5, 0, 0);
  a.read("D0.DAT", "D0.OUT");
  p.lower = {{1, 2.0}};
  write_problem(p, "D1.DAT");
  Arrays b(2, 1, 4, 5, 1, 0);
  b.read("D1.DAT", "D1.OUT");
  io::close_unit(8);
  const std::string s0 = read_file("D0.OUT"), s1 = read_file("D1.OUT");
  EXPECT_NE(s0.find("\n    DEGREES OF DIFFICULTY    1\n"), std::string::npos);
  EXPECT_EQ(s0.find("BOUNDS:"), std::string::npos);
  EXPECT_NE(s1.find("\n    DEGREES OF DIFFICULTY    2\n"), std::string::npos);
  EXPECT_EQ(s1.find("UPPER BOUNDS:"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Refusals: every one stops before anything lands outside an array.

struct Refusal {
  int NVAR, MCON, terms, NONZER, NLB, NUB;
  const char* message;
};

TEST_F(DataFileInput, SizesDifferentFromTheScanAreRefused) {
  write_problem(sample_problem(), "S.DAT");  // 8, 2, 5 terms, 11 pairs, 5, 1
  const Refusal cases[] = {
      {7, 2, 5, 11, 5, 1, "NVAR differs"},
      {8, 1, 5, 11, 5, 1, "MCON differs"},
      {8, 2, 4, 11, 5, 1, "number of terms differs"},
      {8, 2, 5, 10, 5, 1, "number of pairs differs"},  // met inside the terms
      {8, 2, 5, 12, 5, 1, "number of pairs differs"},
      {8, 2, 5, 11, 4, 1, "number of lower bounds differs"},
      {8, 2, 5, 11, 5, 0, "number of upper bounds differs"},
  };
  for (const Refusal& r : cases) {
    screen_.str("");
    Arrays a(r.NVAR, r.MCON, r.terms, r.NONZER, r.NLB, r.NUB);
    try {
      a.read("S.DAT", "S.OUT");
      ADD_FAILURE() << "not refused: " << r.message;
    } catch (const Stopped& s) {
      EXPECT_EQ(s.code, driver::kStopInputError);
      EXPECT_NE(screen().find("Data file S.DAT: "), std::string::npos);
      EXPECT_NE(screen().find(r.message), std::string::npos) << screen();
    }
  }
}

TEST_F(DataFileInput, MissingDataFileLeavesAnEmptyReport) {
  Arrays a(1, 0, 1, 0, 0, 0);
  try {
    a.read("NONE.DAT", "NONE.OUT");
    ADD_FAILURE() << "missing file not refused";
  } catch (const Stopped& s) {
    EXPECT_EQ(s.code, driver::kStopInputError);
  }
  EXPECT_TRUE(driver_test::fs::exists("NONE.OUT"));
  EXPECT_EQ(read_file("NONE.OUT"), "");
  EXPECT_NE(screen().find("Data file NONE.DAT: cannot be opened"), std::string::npos);
}

TEST_F(DataFileInput, OverflowingTotalsAreAStorageFailure) {
  int total = INT_MAX - 1;
  driver::add_count(total, 1);
  EXPECT_EQ(total, INT_MAX);
  try {
    driver::add_count(total, 1);
    ADD_FAILURE() << "overflow not caught";
  } catch (const Stopped& s) {
    EXPECT_EQ(s.code, driver::kStopStorage);
  }
  EXPECT_NE(screen().find("Not enough storage for data; aborting..."),
            std::string::npos);
}

}  // namespace
