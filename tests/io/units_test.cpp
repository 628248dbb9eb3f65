// Units: carriage control on files and on the screen, prompts and the
// keyboard, connections and positioning, and the stop of a run.
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
using posy_test::write_file;

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
  void type(const std::string& text) {
    in_.str(text);
    in_.clear();
  }
  std::string screen() const { return out_.str(); }

  posy_test::TempDir dir_;
  fs::path old_cwd_;
  std::istringstream in_;
  std::ostringstream out_;
};

TEST_F(UnitsTest, CarriageControlInAFile) {
  ASSERT_TRUE(io::open_unit(8, "REPORT.OUT  ", io::OpenStatus::kReplace));
  EXPECT_EQ(io::unit_file_name(8), "REPORT.OUT");  // trailing blanks ignored
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
}

TEST_F(UnitsTest, OverprintAsFirstRecordStartsALine) {
  io::Record(8, '+') << " ALONE";
  io::close_all();
  EXPECT_EQ(read_file("fort.8"), " ALONE\n");
}

TEST_F(UnitsTest, CarriageControlOnTheScreen) {
  io::Record(6, '0') << " BANNER";
  io::Record(6, ' ') << " ITER 1";
  io::Record(6, '+') << "      2";
  io::Record(6, '1') << " PAGE";
  EXPECT_EQ(screen(), "\n BANNER\n ITER 1\r ITER 2\n\f PAGE");  // the last line stays open
  io::flush_all();
  EXPECT_EQ(screen(), "\n BANNER\n ITER 1\r ITER 2\n\f PAGE");
}

TEST_F(UnitsTest, PromptWithPipedInput) {
  type("3 4\n");
  io::Record(6, ' ') << " ENTER TWO NUMBERS";
  io::Record(6) << "    : ";
  {
    io::Record p(6);
    p << " ? ";
    p.prompt();
  }
  // The prompt is visible before the read, with no line end.
  EXPECT_EQ(screen(), " ENTER TWO NUMBERS\n    : \n ? ");
  int a = 0, b = 0;
  io::ListReader in(5);
  in >> a >> b;
  EXPECT_TRUE(in.ok());
  io::Record(6) << " NEXT";
  // Piped input echoes nothing: the next record starts a new line.
  EXPECT_EQ(screen(), " ENTER TWO NUMBERS\n    : \n ? \n NEXT");
}

TEST_F(UnitsTest, PromptAtATerminal) {
  io::set_console(&in_, &out_, /*in_is_terminal=*/true);
  type("TEST\n");
  io::Record(6).operator<<(" Enter filename : ").prompt();
  std::string name;
  ASSERT_EQ(io::read_text(5, 12, name), io::ReadStatus::kOk);
  EXPECT_EQ(name, "TEST        ");
  io::Record(6) << " NEXT";
  // The typed Enter already ended the prompt's line.
  EXPECT_EQ(screen(), " Enter filename :  NEXT");
}

TEST_F(UnitsTest, ReadAfterAnOrdinaryRecordEndsItsLine) {
  io::set_console(&in_, &out_, /*in_is_terminal=*/true);
  type("5\n");
  io::Record(6) << " VALUE?";
  int v = 0;
  io::ListReader in(5);
  in >> v;
  EXPECT_EQ(v, 5);
  io::Record(6) << " DONE";
  EXPECT_EQ(screen(), " VALUE?\n DONE");
}

TEST_F(UnitsTest, UnconnectedUnitWritesFortN) {
  io::Record(17) << " LOG LINE";
  EXPECT_TRUE(io::is_connected(17));
  EXPECT_EQ(io::unit_file_name(17), "fort.17");
  io::close_unit(17);
  EXPECT_EQ(read_file("fort.17"), " LOG LINE\n");
  // A later write replaces the file.
  io::Record(17) << " AGAIN";
  io::close_all();
  EXPECT_EQ(read_file("fort.17"), " AGAIN\n");
  // Reading an unconnected unit with no fort.N is an end of file.
  std::string line;
  EXPECT_EQ(io::read_record(31, line), io::ReadStatus::kEnd);
  EXPECT_FALSE(io::is_connected(31));
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
  EXPECT_EQ(nvar, 2);
  EXPECT_EQ(mcon, 1);
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

TEST_F(UnitsTest, EndfileCutsTheFile) {
  write_file("OLD.DAT", "one\ntwo\nthree\n");
  ASSERT_TRUE(io::open_unit(7, "OLD.DAT", io::OpenStatus::kOld));
  std::string line;
  ASSERT_EQ(io::read_record(7, line), io::ReadStatus::kOk);
  io::endfile_unit(7);
  io::rewind_unit(7);
  ASSERT_EQ(io::read_record(7, line), io::ReadStatus::kOk);
  EXPECT_EQ(line, "one");
  EXPECT_EQ(io::read_record(7, line), io::ReadStatus::kEnd);
  io::close_unit(7);
  EXPECT_EQ(read_file("OLD.DAT"), "one\n");
  // Written records followed by an endfile are all kept.
  ASSERT_TRUE(io::open_unit(7, "NEW.DAT", io::OpenStatus::kReplace));
  io::Record(7) << " A";
  io::Record(7) << " B";
  io::endfile_unit(7);
  io::close_unit(7);
  EXPECT_EQ(read_file("NEW.DAT"), " A\n B\n");
}

TEST_F(UnitsTest, OpenStatuses) {
  EXPECT_FALSE(io::open_unit(9, "PARMS.POS", io::OpenStatus::kOld));
  EXPECT_FALSE(io::is_connected(9));
  EXPECT_FALSE(io::open_unit(9, "   ", io::OpenStatus::kReplace));
  ASSERT_TRUE(io::open_unit(9, "X.DAT", io::OpenStatus::kNew));
  io::Record(9) << " X";
  EXPECT_FALSE(io::open_unit(10, "X.DAT", io::OpenStatus::kNew));  // exists
  // Reconnecting a unit closes its file first.
  ASSERT_TRUE(io::open_unit(9, "X.DAT", io::OpenStatus::kUnknown));
  std::string line;
  ASSERT_EQ(io::read_record(9, line), io::ReadStatus::kOk);
  EXPECT_EQ(line, " X");
  io::close_unit(9);
  io::close_unit(9);  // closing twice does nothing
  ASSERT_TRUE(io::open_unit(9, "Y.DAT", io::OpenStatus::kUnknown));
  io::close_unit(9);
  EXPECT_TRUE(fs::exists("Y.DAT"));
  // Lines ending in CR LF read without the CR; a last line without a line end.
  write_file("CRLF.DAT", "a b\r\nlast");
  ASSERT_TRUE(io::open_unit(9, "CRLF.DAT", io::OpenStatus::kOld));
  ASSERT_EQ(io::read_record(9, line), io::ReadStatus::kOk);
  EXPECT_EQ(line, "a b");
  ASSERT_EQ(io::read_record(9, line), io::ReadStatus::kOk);
  EXPECT_EQ(line, "last");
  EXPECT_EQ(io::read_record(9, line), io::ReadStatus::kEnd);
}

TEST_F(UnitsTest, KeyboardEndOfInput) {
  type("only line");  // no line end
  std::string line;
  ASSERT_EQ(io::read_record(5, line), io::ReadStatus::kOk);
  EXPECT_EQ(line, "only line");
  EXPECT_EQ(io::read_record(5, line), io::ReadStatus::kEnd);
  std::string text;
  EXPECT_EQ(io::read_text(5, 12, text), io::ReadStatus::kEnd);
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
  EXPECT_EQ(screen(), " prompt: \nStop - Program terminated.\n");
}

// Without a hook the process really ends, with the exit code given and the
// files complete.
TEST(StopRunDeathTest, ExitsWithTheCode) {
  posy_test::TempDir dir;
  const std::string report = dir.file("R.OUT");
  EXPECT_EXIT(
      {
        io::open_unit(8, report, io::OpenStatus::kReplace);
        io::Record(8) << " PENDING";
        io::stop_run(2, "Not enough storage for data; aborting...");
      },
      ::testing::ExitedWithCode(2), "");
  EXPECT_EQ(read_file(report), " PENDING\n");
}

}  // namespace
