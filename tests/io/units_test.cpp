// Units: carriage control on files and on the screen, rewind and
// read-back, and the stop of a run.
#include "io/units.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>

#include "gfortran_harness.h"
#include "io/list_input.h"
#include "io/record.h"

namespace {

namespace fs = std::filesystem;
using posy_test::read_file;

// Each test runs in its own empty working directory with a scripted console.
class UnitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_cwd_ = fs::current_path();
    fs::current_path(dir_.path());
    io::set_console(&in_, &out_);
  }
  void TearDown() override {
    io::set_stop_hook({});
    io::reset_units();
    fs::current_path(old_cwd_);
  }
  posy_test::TempDir dir_;
  fs::path old_cwd_;
  std::istringstream in_;
  std::ostringstream out_;
};

TEST_F(UnitsTest, CarriageControlInAFile) {
  ASSERT_TRUE(io::open_unit(8, "REPORT.OUT  ", io::OpenStatus::kReplace));
  io::Record(8, ' ') << " FIRST";
  io::Record(8, '0') << " AFTER AN EMPTY LINE  ";
  io::Record(8, '1') << " NEW PAGE";
  io::Record(8, ' ') << " AAAA  BB";
  io::Record(8, '+') << "   X      Y";  // merged: non-blanks replace
  io::Record(8, '+') << " _";
  io::Record(8, ' ') << "";
  io::close_unit(8);
  EXPECT_EQ(read_file("REPORT.OUT"),
            " FIRST\n\n AFTER AN EMPTY LINE  \n\f NEW PAGE\n _AXA  BB Y\n\n");
  io::Record(17, '+') << " ALONE";  // unconnected: fort.17; overprint first starts a line
  io::close_all();
  EXPECT_EQ(read_file("fort.17"), " ALONE\n");
}

TEST_F(UnitsTest, CarriageControlOnTheScreen) {
  io::Record(6, '0') << " BANNER";
  io::Record(6, ' ') << " ITER 1";
  io::Record(6, '+') << "      2";
  io::Record(6, '1') << " PAGE";
  io::flush_all();
  EXPECT_EQ(out_.str(), "\n BANNER\n ITER 1\r ITER 2\n\f PAGE");  // the last line stays open
}

TEST_F(UnitsTest, RewindReadsBackWhatWasWritten) {
  ASSERT_TRUE(io::open_unit(7, "TEST.DAT", io::OpenStatus::kReplace));
  io::Record(7) << " PROBLEM";
  io::Record(7) << "    2   1";
  io::Record(7) << "  AB";
  io::Record(7, '+') << "    C";  // still pending when the unit is rewound
  io::rewind_unit(7);
  std::string line;
  ASSERT_EQ(io::read_record(7, line), io::ReadStatus::kOk);
  EXPECT_EQ(line, " PROBLEM");
  int nvar = 0, mcon = 0;
  io::ListReader in(7);
  in >> nvar >> mcon;
  EXPECT_TRUE(in.ok());
  EXPECT_EQ(nvar * 10 + mcon, 21);
  ASSERT_EQ(io::read_record(7, line), io::ReadStatus::kOk);
  EXPECT_EQ(line, "  ABC");
  EXPECT_EQ(io::read_record(7, line), io::ReadStatus::kEnd);
  // Writing after reading makes the new record the last one.
  io::rewind_unit(7);
  ASSERT_EQ(io::read_record(7, line), io::ReadStatus::kOk);
  io::Record(7) << " REPLACED";
  io::close_unit(7);
  EXPECT_EQ(read_file("TEST.DAT"), " PROBLEM\n REPLACED\n");
}

struct Stopped : std::runtime_error {
  explicit Stopped(int c) : std::runtime_error("stop"), code(c) {}
  int code;
};

TEST_F(UnitsTest, StopRunClosesEverythingAndWritesTheMessage) {
  io::set_stop_hook([](int code) { throw Stopped(code); });
  ASSERT_TRUE(io::open_unit(8, "RUN.OUT", io::OpenStatus::kReplace));
  io::Record(8) << " LAST REPORT LINE";
  io::Record(6).operator<<(" prompt: ").prompt();
  int code = -1;
  try {
    io::stop_run(3, "Stop - Program terminated.");
  } catch (const Stopped& s) {
    code = s.code;
  }
  EXPECT_EQ(code, 3);
  EXPECT_FALSE(io::is_connected(8));
  EXPECT_EQ(read_file("RUN.OUT"), " LAST REPORT LINE\n");
  EXPECT_EQ(out_.str(), " prompt: \nStop - Program terminated.\n");
}

}  // namespace
