// gfortran_harness.h — compiles and runs a small Fortran program at test
// time, so the formatting and reading rules can be checked against the
// Fortran runtime itself.  Tests skip when gfortran is not on PATH.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace posy_test {

inline bool have_gfortran() {
  return std::system("gfortran --version >/dev/null 2>&1") == 0;
}

// A fresh directory under the system's temporary directory, removed at the
// end of the test.
class TempDir {
 public:
  TempDir() {
    namespace fs = std::filesystem;
    std::random_device rd;
    for (int i = 0; i < 100; ++i) {
      path_ = fs::temp_directory_path() / ("posy_io_" + std::to_string(rd()));
      if (fs::create_directory(path_)) return;
    }
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void write_file(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

inline std::string read_file(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Compiles SOURCE in DIR and runs it with INPUT on standard input.  Returns
// its standard output, or sets ERROR.
inline std::string run_fortran(const TempDir& dir, const std::string& source,
                               const std::string& input, std::string& error) {
  write_file(dir.file("prog.f90"), source);
  write_file(dir.file("input.txt"), input);
  const std::string compile = "gfortran -O0 -o '" + dir.file("prog") + "' '" +
                              dir.file("prog.f90") + "' 2>'" + dir.file("cc.err") + "'";
  if (std::system(compile.c_str()) != 0) {
    error = "gfortran failed: " + read_file(dir.file("cc.err"));
    return {};
  }
  const std::string run = "cd '" + dir.path().string() + "' && ./prog <input.txt >output.txt";
  if (std::system(run.c_str()) != 0) {
    error = "the Fortran program failed";
    return {};
  }
  return read_file(dir.file("output.txt"));
}

}  // namespace posy_test
