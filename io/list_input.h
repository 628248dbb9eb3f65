// list_input.h — free-format (list-directed) reading.
//
//   ListReader in(5);
//   in >> itmax >> frqrep;
//   if (in.status() != ReadStatus::kOk) ...   // repeat the prompt, or stop
//
// A reader starts on a new record of its unit and reads values separated by
// blanks or commas, running over as many records as the items need; what
// is left of the last record read is skipped; blank records are skipped.
// Tabs count as blanks.  Reals take E, D or Q exponents in either case
// (1.5D-3), or a signed exponent without a letter (1.5-3), a sign, no digits
// before or after the point (.5, 5.), "Inf", "Infinity" and "NaN" as the
// Fortran runtime does; integers are accepted for reals; a real too large
// for a double is unreadable (the runtime would make it infinite), one too
// small is zero.  An integer item takes an optional sign and digits only,
// within 32 bits.  "r*c" repeats c r times
// and "r*" skips r items.  An empty field between two commas leaves its item
// unchanged.  A "/" ends the read: every item not yet read keeps its value
// and status() stays kOk.  A text item (std::string&) is one item: a quoted
// string ('..' or "..") or the characters up to the next blank, comma or
// slash.
//
// The first failure ends the read: kBad when a value cannot be read as the
// item's type (an integer item given 1.5 or letters), kEnd at end of file.
// Items from the failure on keep their values; later >> do nothing.
#pragma once

#include <string>
#include <string_view>

#include "io/units.h"

namespace io {

class ListReader {
 public:
  explicit ListReader(int unit);

  ListReader& operator>>(int& v);
  ListReader& operator>>(double& v);
  ListReader& operator>>(std::string& v);

  ReadStatus status() const { return status_; }
  bool ok() const { return status_ == ReadStatus::kOk; }

 private:
  enum class Next { kValue, kNull, kSlash, kFail };
  Next next_item(std::string& token);
  // The next item for one variable: true with its token when it is a value
  // to convert; false for a null or after "/" (the variable keeps its
  // value), or when reading failed or had already stopped (status set).
  bool value_item(std::string& token);

  int unit_;
  ReadStatus status_ = ReadStatus::kOk;
  bool ended_ = false;    // a "/" was met
  bool started_ = false;  // the first record has been read
  std::string line_;
  std::size_t pos_ = 0;
  int repeat_ = 0;        // remaining repetitions of repeat_token_
  bool repeat_null_ = false;
  std::string repeat_token_;
};

// Parses TEXT as a whole free-format integer / real token (no blanks).
// Exposed for tests and the data-file scanner.
bool parse_int(std::string_view text, int& v);
bool parse_real(std::string_view text, double& v);

}  // namespace io
