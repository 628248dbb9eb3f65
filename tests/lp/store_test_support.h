// store_test_support.h — shared fixture of the workspace and column-store
// tests: unit 8 connected to a temporary file, engine stops turned into
// exceptions, and the lines written read back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "io/units.h"
#include "lp/engine.h"

namespace lp_test {

// Thrown by the stop hook in place of ending the process.
struct Stopped {
  int exit_code;
};

class UnitEightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    io::reset_units();
    dir_ = std::filesystem::temp_directory_path() /
           ("posy_lp_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "report.out").string();
    ASSERT_TRUE(io::open_unit(8, path_, io::OpenStatus::kReplace));
    io::set_stop_hook([](int code) { throw Stopped{code}; });
  }
  void TearDown() override {
    io::set_stop_hook({});
    io::reset_units();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // Closes unit 8 (if still open) and returns its lines.
  std::vector<std::string> lines() {
    io::close_unit(8);
    std::vector<std::string> out;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }

  // Runs CALL, which must end the program; returns the lines it wrote
  // (unit 8 is connected afresh first, since a stop closes every unit).
  std::vector<std::string> stop_lines(const std::function<void()>& call) {
    EXPECT_TRUE(io::open_unit(8, path_, io::OpenStatus::kReplace));
    bool stopped = false;
    try {
      call();
    } catch (const Stopped& s) {
      stopped = true;
      EXPECT_EQ(s.exit_code, 1) << "engine stops must exit non-zero";
    }
    EXPECT_TRUE(stopped) << "the call did not stop the program";
    return lines();
  }

  std::filesystem::path dir_;
  std::string path_;
};

}  // namespace lp_test
