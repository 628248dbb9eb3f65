// list_output.cpp — free-format (list-directed) output fields and records.
//
//   list_int, list_real   one item's field
//   ListRecord            one record of items, written with write_record()
#include "io/list_output.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "io/edit.h"
#include "io/units.h"

namespace io {

std::string list_int(long long v) { return I(v, 11); }

// The Fortran runtime writes a 64-bit real as G25.17 with three exponent
// digits and a scale factor of 1: fixed point with 17 significant digits
// and five trailing blanks where 0.1 <= |v| < 1e17 (or v is zero; the
// choice is G's), else one digit before the point, sixteen after, "E+xxx".
std::string list_real(double v) {
  if (!std::isfinite(v)) return E(v, 25, 17);
  const int k = detail::general_exponent(v, 17);
  if (k != detail::kExponentForm) return F(v, 20, 17 - k) + std::string(5, ' ');
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.16E", std::fabs(v));  // d.ddddddddddddddddE+xx[x]
  std::string s(buf);
  const std::size_t e = s.find('E');
  int exp = std::stoi(s.substr(e + 1));
  std::string digits = std::to_string(exp < 0 ? -exp : exp);
  while (digits.size() < 3) digits.insert(0, 1, '0');
  s = s.substr(0, e + 1) + (exp < 0 ? "-" : "+") + digits;
  if (std::signbit(v)) s.insert(0, 1, '-');
  return std::string(25 - s.size(), ' ') + s;
}

ListRecord& ListRecord::item(std::string_view field, bool is_text) {
  // The record's first blank, or the blank between two items; none
  // between two texts.
  if (text_.empty() || !(is_text && last_was_text_)) text_ += ' ';
  text_ += field;
  last_was_text_ = is_text;
  return *this;
}

ListRecord::~ListRecord() {
  if (text_.empty()) {
    write_record(unit_, ' ', "");
  } else {
    write_record(unit_, text_[0], std::string_view(text_).substr(1));
  }
}

}  // namespace io
