// gp_test_util.h — helpers of the solver tests: the report file (unit 8) in a
// temporary directory, read back line by line.
#pragma once

#ifndef POSY_GP_NO_GTEST
#include <gtest/gtest.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "io/units.h"

namespace gptest {

// "posy_gp_<suite>_<test>.OUT" for the running test.
inline std::string current_test_name() {
#ifndef POSY_GP_NO_GTEST
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("posy_gp_") + info->test_suite_name() + "_" +
         info->name() + ".OUT";
#else
  return "posy_gp_bench.OUT";
#endif
}

// Connects unit 8 to a fresh file in the test's temporary directory.
class ReportFile {
 public:
  ReportFile() : ReportFile(current_test_name()) {}
  explicit ReportFile(std::string name) {
    io::reset_units();
    for (char& ch : name)
      if (ch == '/') ch = '_';
    path_ = std::filesystem::temp_directory_path() / name;
    io::open_unit(8, path_.string(), io::OpenStatus::kReplace);
  }
  ~ReportFile() {
    io::reset_units();
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  // Closes unit 8 and returns its lines.
  std::vector<std::string> lines() {
    io::close_unit(8);
    std::vector<std::string> out;
    std::ifstream in(path_);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace gptest
