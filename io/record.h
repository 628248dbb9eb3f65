// record.h — one output record built in one statement:
//
//   Record(IOERR, ' ') << "XCHUZR" << X(5) << I(M, 5);
//
// The record owns its unit and carriage control; the text is collected by
// operator<< (strings and the fields of edit.h) and written when the Record
// is destroyed, through io::write_record().  prompt() writes it as a prompt
// instead (no line end) and marks it written.
#pragma once

#include <string>
#include <string_view>

#include "io/edit.h"
#include "io/units.h"

namespace io {

class Record {
 public:
  explicit Record(int unit, char cc = ' ') : unit_(unit), cc_(cc) {}
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  ~Record() {
    if (!done_) write_record(unit_, cc_, text_);
  }

  Record& operator<<(std::string_view s) {
    text_ += s;
    return *this;
  }
  Record& operator<<(const std::string& s) {
    text_ += s;
    return *this;
  }
  Record& operator<<(const char* s) {
    text_ += s;
    return *this;
  }

  // Writes the record now as a prompt: no line end follows.
  void prompt() {
    write_prompt(unit_, cc_, text_);
    done_ = true;
  }

  const std::string& text() const { return text_; }

 private:
  int unit_;
  char cc_;
  bool done_ = false;
  std::string text_;
};

}  // namespace io
