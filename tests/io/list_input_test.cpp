// Free-format reading: a table of records with the values and statuses
// they give, reals, and reads that run over several records.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <tuple>

#include "io/list_input.h"
#include "io/units.h"

namespace {

using io::ReadStatus;

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

// Two integer items from one record (and the next, if needed); items not
// read keep -7.
TEST_F(KeyboardTest, TwoIntegers) {
  const struct {
    const char* input;
    ReadStatus status;
    int i, j;
  } cases[] = {
      {"  7 , 8 ", ReadStatus::kOk, 7, 8},
      {"3\t4", ReadStatus::kOk, 3, 4},
      {"+5 -6", ReadStatus::kOk, 5, -6},
      {"1.5 2", ReadStatus::kBad, -7, -7},
      {"1E5", ReadStatus::kBad, -7, -7},
      {"'12'", ReadStatus::kBad, -7, -7},
      {"4 x", ReadStatus::kBad, 4, -7},
      {"2147483647 -2147483648", ReadStatus::kOk, 2147483647, -2147483647 - 1},
      {"2147483648", ReadStatus::kBad, -7, -7},
      {"2*9", ReadStatus::kOk, 9, 9},
      {"2*", ReadStatus::kOk, -7, -7},
      {"1*,5", ReadStatus::kOk, -7, 5},
      {",8", ReadStatus::kOk, -7, 8},
      {"5 , , 6", ReadStatus::kOk, 5, -7},
      {"0*5", ReadStatus::kBad, -7, -7},
      {"3 /4", ReadStatus::kOk, 3, -7},
      {"5;6", ReadStatus::kBad, -7, -7},
      {"5", ReadStatus::kEnd, 5, -7},
      {"", ReadStatus::kEnd, -7, -7},
  };
  for (const auto& c : cases) {
    feed(std::string(c.input) + "\n");
    int i = -7, j = -7;
    io::ListReader in(5);
    in >> i >> j;
    EXPECT_EQ(in.status(), c.status) << '"' << c.input << '"';
    EXPECT_EQ(i, c.i) << '"' << c.input << '"';
    EXPECT_EQ(j, c.j) << '"' << c.input << '"';
  }
}

TEST(ListParse, Reals) {
  const struct {
    const char* text;
    bool ok;
    double value;
  } cases[] = {
      {"1.5", true, 1.5},    {"1d3", true, 1000.0},     {"1.0-5", true, 1e-5},
      {"+.5e1", true, 5.0},  {"-.75d-1", true, -0.075}, {"1e-999", true, 0.0},
      {"-Infinity", true, -HUGE_VAL},
      {"0.30000000000000001665", true, 0.3},  // correctly rounded
      {"2.2250738585072011D-308", true, 2.2250738585072011e-308},
      {"1e999", false, 0},   {".", false, 0},           {".e3", false, 0},
      {"", false, 0},        {"1e5x", false, 0},        {"1,5", false, 0},
      {"0x10", false, 0},    {"1.5.2", false, 0},
  };
  for (const auto& c : cases) {
    double v = -7.0;
    EXPECT_EQ(io::parse_real(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  double v = 0.0;
  ASSERT_TRUE(io::parse_real("NaN", v));
  EXPECT_TRUE(std::isnan(v));
}

TEST_F(KeyboardTest, ItemsRunOverRecordsAndTheRestIsSkipped) {
  feed("  \n1\n\n 2.5D0,\n  NAME 9 10\n'a b',\"it''s\" 2*'x y' plain/rest\n1 oops 3\n4\n");
  int a = 0, c = 0;
  double b = 0;
  std::string s, s1, s2, s3, s4, s5, s6 = "keep";
  io::ListReader in(5);
  in >> a >> b >> s >> c;
  EXPECT_EQ(in.status(), ReadStatus::kOk);
  EXPECT_EQ(std::make_tuple(a, b, s, c), std::make_tuple(1, 2.5, std::string("NAME"), 9));
  io::ListReader text(5);  // "10" was skipped
  text >> s1 >> s2 >> s3 >> s4 >> s5 >> s6;
  EXPECT_EQ(text.status(), ReadStatus::kOk);
  EXPECT_EQ(s1 + "|" + s2 + "|" + s3 + "|" + s4 + "|" + s5 + "|" + s6,
            "a b|it''s|x y|x y|plain|keep");
  io::ListReader bad(5);
  bad >> a >> b >> c;
  EXPECT_EQ(bad.status(), ReadStatus::kBad);
  io::ListReader again(5);  // a repeated prompt reads the next record
  again >> a;
  EXPECT_TRUE(again.ok());
  EXPECT_EQ(a, 4);
  io::ListReader eof(5);
  eof >> a;
  EXPECT_EQ(eof.status(), ReadStatus::kEnd);
}

}  // namespace
