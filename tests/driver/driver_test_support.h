// driver_test_support.h — helpers shared by the driver's tests: a fresh
// temporary directory per test, file reading, and an in-process stop that
// throws instead of ending the test program.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "io/units.h"

namespace driver_test {

namespace fs = std::filesystem;

// Thrown by the stop hook in place of ending the process.
struct Stopped {
  int code;
};

inline std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

inline void write_file(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}

// A fresh directory named after the running test and the process, so that
// builds testing side by side do not meet.
inline fs::path fresh_dir(const std::string& prefix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = prefix + "-" + info->test_suite_name() + "-" + info->name() +
                     "-" + std::to_string(::getpid());
  for (char& c : name)
    if (c == '/') c = '_';
  const fs::path dir = fs::temp_directory_path() / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// In-process fixture: the test runs inside a fresh directory, the console is
// captured, and a stop throws Stopped.
class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    old_cwd_ = fs::current_path();
    dir_ = fresh_dir("posy-driver");
    fs::current_path(dir_);
    io::reset_units();
    io::set_console(&keyboard_, &screen_);
    io::set_stop_hook([](int code) { throw Stopped{code}; });
  }
  void TearDown() override {
    io::reset_units();
    io::set_console(nullptr, nullptr);
    io::set_stop_hook({});
    fs::current_path(old_cwd_);
    fs::remove_all(dir_);
  }
  // Console text written so far.
  std::string screen() const { return screen_.str(); }

  fs::path dir_;
  std::istringstream keyboard_;
  std::ostringstream screen_;

 private:
  fs::path old_cwd_;
};

}  // namespace driver_test

#include <cstdlib>
#include <regex>
#include <sys/wait.h>

namespace driver_test {

#ifdef POSY_BINARY
// One run of the posy program.
struct RunResult {
  int status;          // exit status; 124 when it had to be killed
  std::string screen;  // standard output and error
};

// End-to-end fixture: each test gets a fresh directory in which the program
// runs with piped keyboard input.
class PosyRun : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = fresh_dir("posy-e2e"); }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir_);
  }
  RunResult run(const std::string& keyboard, int seconds = 120) {
    write_file(dir_ / "keyboard.txt", keyboard);
    const std::string cmd = "cd '" + dir_.string() + "' && timeout " +
                            std::to_string(seconds) + " '" POSY_BINARY
                            "' < keyboard.txt > screen.txt 2>&1";
    const int rc = std::system(cmd.c_str());
    const int status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return {status, read_file(dir_ / "screen.txt")};
  }
  std::string file(const std::string& name) const {
    return read_file(dir_ / name);
  }
  bool exists(const std::string& name) const { return fs::exists(dir_ / name); }
  void put(const std::string& name, const std::string& text) const {
    write_file(dir_ / name, text);
  }
  void copy_in(const fs::path& from, const std::string& name) const {
    fs::copy_file(from, dir_ / name, fs::copy_options::overwrite_existing);
  }

  fs::path dir_;
};

#endif  // POSY_BINARY

// The run date line with its digits masked.
inline std::string mask_date(const std::string& line) {
  static const std::regex date(R"(RUN DATE \(M/D/Y\) : [ 1]\d/\d\d/\d{4})");
  return std::regex_match(line, date) ? "RUN DATE (M/D/Y) : ##/##/####" : line;
}

}  // namespace driver_test
