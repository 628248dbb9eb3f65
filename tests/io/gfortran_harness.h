// Compiles and runs a small Fortran program at test time, so that the
// formatting rules can be checked against the Fortran runtime itself.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace posy_test {

inline bool have_gfortran() { return std::system("gfortran --version >/dev/null 2>&1") == 0; }

inline void write_file(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

inline std::string read_file(const std::string& name) {
  std::ostringstream s;
  s << std::ifstream(name, std::ios::binary).rdbuf();
  return s.str();
}

// A fresh temporary directory, removed with the object.
class TempDir {
 public:
  TempDir() {
    std::string t = (std::filesystem::temp_directory_path() / "posy_io_XXXXXX").string();
    path_ = ::mkdtemp(t.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Compiles SOURCE in DIR, runs it with INPUT on standard input and returns
// its standard output; on failure sets ERROR.
inline std::string run_fortran(const TempDir& dir, const std::string& source,
                               const std::string& input, std::string& error) {
  write_file(dir.file("prog.f90"), source);
  write_file(dir.file("input.txt"), input);
  std::string cd = "cd '";
  cd += dir.path().string();
  cd += "' && ";
  if (std::system((cd + "gfortran -O0 -o prog prog.f90 2>cc.err").c_str()) != 0)
    error = "gfortran failed: " + read_file(dir.file("cc.err"));
  else if (std::system((cd + "./prog <input.txt >output.txt").c_str()) != 0)
    error = "the Fortran program failed";
  return error.empty() ? read_file(dir.file("output.txt")) : std::string();
}

}  // namespace posy_test
