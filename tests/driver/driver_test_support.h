// driver_test_support.h — a fresh temporary directory per test, file
// reading, and (for in-process tests) a stop that throws.
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
  std::ofstream(p, std::ios::binary) << text;
}

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
  fs::path dir_;
  std::istringstream keyboard_;
  std::ostringstream screen_;

 private:
  fs::path old_cwd_;
};

}  // namespace driver_test
