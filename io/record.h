// record.h — one output record built in one statement:
//
//   Record(IOERR, ' ') << "XCHUZR" << X(5) << I(M, 5);
//
// The record owns its unit and carriage control; the text is collected by
// operator<< (strings and the fields of edit.h) and written when the Record
// is destroyed, through io::write_record().  prompt() writes it as a prompt
// instead (no line end) and marks it written.
//
// Line is the same record written the way the program's layouts give it:
// the first character of the text IS the carriage control, and is not
// shown.
//
//   Line(8) << " RUN DATE (M/D/Y) : " << I(month, 2) ...   // new line
//   Line(8) << "0XPHAS2...PROBLEM ABANDONED:";                // empty line first
//   Line(8) << " ";                                            // an empty line
//
// Printed output (screen, report file, engine messages) is written with
// Line, so the texts in the code read exactly as the layouts list them.
// Data files, whose first column is part of the data, use Record with an
// explicit ' ' and the text as it stands in the file.
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

class Line {
 public:
  explicit Line(int unit) : unit_(unit) {}
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;
  ~Line() {
    if (done_) return;
    if (text_.empty())
      write_record(unit_, ' ', text_);
    else
      write_record(unit_, text_[0], std::string_view(text_).substr(1));
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

  // Writes the line now as a prompt: no line end follows.
  void prompt() {
    if (text_.empty())
      write_prompt(unit_, ' ', text_);
    else
      write_prompt(unit_, text_[0], std::string_view(text_).substr(1));
    done_ = true;
  }

  const std::string& text() const { return text_; }

 private:
  int unit_;
  bool done_ = false;
  std::string text_;  // carriage control, then the record
};

}  // namespace io
