// Free-format reading: a table of records with the values and statuses they
// give, reads over several records, and a cross-check of the doubtful
// cases against gfortran's list-directed READ.
#include "io/list_input.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "gfortran_harness.h"
#include "io/units.h"

namespace {

using io::ReadStatus;

// Feeds TEXT to the keyboard for one test.
class KeyboardTest : public ::testing::Test {
 protected:
  void feed(const std::string& text) {
    in_.str(text);
    in_.clear();
    io::set_console(&in_, &out_);
  }
  void TearDown() override { io::reset_units(); }
  std::istringstream in_;
  std::ostringstream out_;
};

struct IntCase {
  const char* input;
  ReadStatus status;
  int i, j;  // expected values; items not read keep -7
};

// Two integer items read from one record (and the next, if needed).
TEST_F(KeyboardTest, TwoIntegers) {
  const IntCase cases[] = {
      {"3 4", ReadStatus::kOk, 3, 4},
      {"  7 , 8 ", ReadStatus::kOk, 7, 8},
      {"3\t4", ReadStatus::kOk, 3, 4},           // tabs separate
      {"+5 -6", ReadStatus::kOk, 5, -6},
      {"1.5 2", ReadStatus::kBad, -7, -7},       // no reals for integers
      {"5.", ReadStatus::kBad, -7, -7},
      {"1E5", ReadStatus::kBad, -7, -7},
      {"abc", ReadStatus::kBad, -7, -7},
      {"'12'", ReadStatus::kBad, -7, -7},        // a quoted string is text
      {"4 x", ReadStatus::kBad, 4, -7},          // the first item stays read
      {"2147483647 -2147483648", ReadStatus::kOk, 2147483647, -2147483647 - 1},
      {"2147483648", ReadStatus::kBad, -7, -7},  // overflow
      {"2*9", ReadStatus::kOk, 9, 9},
      {"2*", ReadStatus::kOk, -7, -7},           // two nulls
      {"1*,5", ReadStatus::kOk, -7, 5},
      {",8", ReadStatus::kOk, -7, 8},            // leading comma: null first
      {"5,,6", ReadStatus::kOk, 5, -7},
      {"5 , , 6", ReadStatus::kOk, 5, -7},
      {"0*5", ReadStatus::kBad, -7, -7},         // repeat count must be positive
      {"5/ 6", ReadStatus::kOk, 5, -7},          // slash ends the read
      {"/", ReadStatus::kOk, -7, -7},
      {"3 /4", ReadStatus::kOk, 3, -7},
      {"5;6", ReadStatus::kBad, -7, -7},         // ';' is no separator
      {"5", ReadStatus::kEnd, 5, -7},            // the second item meets end of input
      {"", ReadStatus::kEnd, -7, -7},
  };
  for (const IntCase& c : cases) {
    feed(std::string(c.input) + "\n");
    int i = -7, j = -7;
    io::ListReader in(5);
    in >> i >> j;
    EXPECT_EQ(in.status(), c.status) << '"' << c.input << '"';
    EXPECT_EQ(i, c.i) << '"' << c.input << '"';
    EXPECT_EQ(j, c.j) << '"' << c.input << '"';
  }
}

// Most real forms are checked against gfortran below; these are the ones
// it cannot check or where the reader departs from it on purpose.
TEST(ListParse, Reals) {
  struct {
    const char* text;
    bool ok;
    double value;
  } const cases[] = {
      {"1.5", true, 1.5},   {"1d3", true, 1000.0}, {"1.0-5", true, 1e-5}, {"1e-999", true, 0.0},
      {"1e999", false, 0},  // the runtime would give infinity
      {".", false, 0},      {".e3", false, 0},     {"", false, 0},        {"1e5x", false, 0},
      {"1,5", false, 0},    {"0x10", false, 0},
  };
  for (const auto& c : cases) {
    double v = -7.0;
    EXPECT_EQ(io::parse_real(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  double v = 0.0;
  ASSERT_TRUE(io::parse_real("-Infinity", v));
  EXPECT_EQ(v, -HUGE_VAL);
  ASSERT_TRUE(io::parse_real("NaN", v));
  EXPECT_TRUE(std::isnan(v));
  // Correct rounding of long decimal strings.
  ASSERT_TRUE(io::parse_real("0.30000000000000001665", v));
  EXPECT_EQ(v, 0.3);
  ASSERT_TRUE(io::parse_real("2.2250738585072011D-308", v));
  EXPECT_EQ(v, 2.2250738585072011e-308);
}

TEST_F(KeyboardTest, ItemsRunOverRecordsAndTheRestIsSkipped) {
  feed("  \n1\n\n 2.5D0,\n  NAME 9 10\n11\n");
  int a = 0, c = 0;
  double b = 0;
  std::string s;
  io::ListReader in(5);
  in >> a >> b >> s >> c;
  EXPECT_EQ(in.status(), ReadStatus::kOk);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2.5);
  EXPECT_EQ(s, "NAME");
  EXPECT_EQ(c, 9);
  // "10" is skipped: the next read starts on a new record.
  io::ListReader next(5);
  next >> c;
  EXPECT_EQ(c, 11);
}

TEST_F(KeyboardTest, TextItems) {
  feed("'a b',\"it''s\" 2*'x y' plain/rest\nIPRINT 3\n");
  std::string s1, s2, s3, s4, s5, s6 = "keep";
  io::ListReader in(5);
  in >> s1 >> s2 >> s3 >> s4 >> s5 >> s6;
  EXPECT_EQ(in.status(), ReadStatus::kOk);
  EXPECT_EQ(s1, "a b");
  EXPECT_EQ(s2, "it''s");  // doubled quotes of the other kind stay
  EXPECT_EQ(s3, "x y");
  EXPECT_EQ(s4, "x y");
  EXPECT_EQ(s5, "plain");  // a text ends at a slash ...
  EXPECT_EQ(s6, "keep");   // ... which ends the read
  std::string label;
  int iprint = 0;
  io::ListReader line2(5);
  line2 >> label >> iprint;
  EXPECT_EQ(label, "IPRINT");
  EXPECT_EQ(iprint, 3);
}

TEST_F(KeyboardTest, FailureStopsTheRead) {
  feed("1 oops 3\n4\n");
  int a = 0, b = 0, c = 0;
  io::ListReader in(5);
  in >> a >> b >> c;
  EXPECT_EQ(in.status(), ReadStatus::kBad);
  EXPECT_FALSE(in.ok());
  EXPECT_EQ(a, 1);
  EXPECT_EQ(c, 0);
  io::ListReader again(5);  // a repeated prompt reads the next record
  again >> a;
  EXPECT_TRUE(again.ok());
  EXPECT_EQ(a, 4);
  io::ListReader eof(5);
  eof >> a;
  EXPECT_EQ(eof.status(), ReadStatus::kEnd);
}

// The doubtful cases, read by gfortran's list-directed READ into an
// integer, a real and a text item; ours must agree on success and value.
TEST(ListParse, MatchGfortranRead) {
  if (!posy_test::have_gfortran()) GTEST_SKIP() << "gfortran is not on PATH";
  const std::vector<std::string> lines = {
      "1.5", "+5", ".5", "5.", "1E5", "1d3", "1D+3", "-2e-2", "3\t4", "1+5", "1.0+5", "1e",
      "1e-999", "2*7", "2*", "3*,9", ",8", "5,,6", "5/", "/", "abc", "'a b',3", "2147483648",
      "-2147483648", "0x10", "1.5.2", "  7 , 8 ", "5 ,", "-", "+.5e1", "1q2", "0*5", "2*3*4",
      "abc/def", "a,b", "3 /4", "-0", "00012", "1.25E+2,", "-.75d-1", "'q'", "2*'x'", "inf",
      "-Infinity"};
  const char* const source = R"(program rd
  implicit none
  integer :: i, ios, n, k
  double precision :: x
  character(len=12) :: s
  character(len=80) :: line
  read(*,*) n
  do k = 1, n
    read(*,'(A)') line
    i = -7
    read(line, *, iostat=ios) i
    write(*,'(I2,1X,I12)') min(max(ios,-1),1), i
    x = -7d0
    read(line, *, iostat=ios) x
    write(*,'(I2,1X,Z16)') min(max(ios,-1),1), x
    s = '(unset)'
    read(line, *, iostat=ios) s
    write(*,'(I2,1X,A)') min(max(ios,-1),1), s
  end do
end program rd
)";
  std::string input = std::to_string(lines.size()) + "\n";
  for (const std::string& l : lines) input += l + "\n";
  posy_test::TempDir dir;
  std::string error;
  const std::string out = posy_test::run_fortran(dir, source, input, error);
  ASSERT_TRUE(error.empty()) << error;

  // Our side reads each line from a file unit.
  const std::string data = dir.file("lines.txt");
  std::string text;
  for (const std::string& l : lines) text += l + "\n" + l + "\n" + l + "\n";
  posy_test::write_file(data, text);
  ASSERT_TRUE(io::open_unit(21, data, io::OpenStatus::kOld));
  auto code = [](ReadStatus s) { return s == ReadStatus::kOk ? 0 : s == ReadStatus::kEnd ? -1 : 1; };
  std::istringstream theirs(out);
  int compared = 0;
  for (const std::string& l : lines) {
    int ios = 0;
    std::string rest;
    int i = -7;
    {
      io::ListReader in(21);
      in >> i;
      theirs >> ios;
      long long gi = 0;
      theirs >> gi;
      EXPECT_EQ(code(in.status()), ios) << "integer from \"" << l << '"';
      if (ios == 0) {
        EXPECT_EQ(i, gi) << "integer from \"" << l << '"';
      }
    }
    {
      double x = -7.0;
      io::ListReader in(21);
      in >> x;
      std::string hex;
      theirs >> ios >> hex;
      const double gx = std::bit_cast<double>(std::stoull(hex, nullptr, 16));
      EXPECT_EQ(code(in.status()), ios) << "real from \"" << l << '"';
      if (ios == 0 && !std::isnan(gx)) {
        EXPECT_EQ(x, gx) << "real from \"" << l << '"';
      }
    }
    {
      std::string s = "(unset)";
      io::ListReader in(21);
      in >> s;
      theirs >> ios;
      std::getline(theirs, rest);
      const std::string gs = rest.substr(1, rest.find_last_not_of(' '));
      EXPECT_EQ(code(in.status()), ios) << "text from \"" << l << '"';
      if (ios == 0) {
        EXPECT_EQ(s, gs) << "text from \"" << l << '"';
      }
    }
    compared += 3;
  }
  io::reset_units();
  std::cout << "[ compared ] " << compared << " free-format reads with gfortran\n";
}

}  // namespace
