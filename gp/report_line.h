// report_line.h — one output line of the solver, written as the report
// layouts list it, its leading carriage-control blank included:
//
//   Line(8) << " PRIMAL SOLUTION" << io::E(v, 18, 8);
//   Line(8) << " ";                                     // an empty line
//
// The line is handed to io::write_record with carriage control ' ' (a new
// line) when the Line goes out of scope; a line of a single blank is written
// as an empty record.
#pragma once

#include <string>
#include <string_view>

#include "io/edit.h"
#include "io/units.h"

namespace gp {

class Line {
 public:
  explicit Line(int unit) : unit_(unit) {}
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;
  ~Line() {
    if (text_ == " ") text_.clear();
    io::write_record(unit_, ' ', text_);
  }
  Line& operator<<(std::string_view s) {
    text_ += s;
    return *this;
  }
  Line& operator<<(const std::string& s) {
    text_ += s;
    return *this;
  }
  Line& operator<<(const char* s) {
    text_ += s;
    return *this;
  }

 private:
  int unit_;
  std::string text_;
};

// The report file (also the engine's IOERR and IOLOG in the master LP).
inline constexpr int kReport = 8;

}  // namespace gp
