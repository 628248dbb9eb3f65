// list_output.h — free-format (list-directed) output records, laid out as
// the Fortran runtime writes them:
//
//   ListRecord(7) << j << slb;   // "           3   1.5000000000000000     "
//   ListRecord(7) << " ";        // "  "
//
// A free-format record starts with one blank, which is also its
// carriage-control character (so the line shows from the second column on).
// Items are separated by one blank, except that two texts in a row are
// written side by side.  Fields:
//   int     11 columns, right-aligned                              list_int
//   double  17 significant digits: 0.1 <= |v| < 1e17 (and zero) in fixed
//           point within 20 columns plus 5 blanks, else
//           "d.ddddddddddddddddE+xxx" right-aligned in 25 columns   list_real
//   text    as given
#pragma once

#include <string>
#include <string_view>

namespace io {

std::string list_int(long long v);
std::string list_real(double v);

class ListRecord {
 public:
  explicit ListRecord(int unit) : unit_(unit) {}
  ListRecord(const ListRecord&) = delete;
  ListRecord& operator=(const ListRecord&) = delete;
  ~ListRecord();

  ListRecord& operator<<(int v) { return item(list_int(v), false); }
  ListRecord& operator<<(long long v) { return item(list_int(v), false); }
  ListRecord& operator<<(double v) { return item(list_real(v), false); }
  ListRecord& operator<<(std::string_view s) { return item(s, true); }
  ListRecord& operator<<(const char* s) { return item(s, true); }
  ListRecord& operator<<(const std::string& s) { return item(s, true); }

  // The record as written, leading blank included.
  const std::string& text() const { return text_; }

 private:
  ListRecord& item(std::string_view field, bool is_text);

  int unit_;
  std::string text_;
  bool last_was_text_ = false;
};

}  // namespace io
