// list_input.cpp — free-format (list-directed) reading.
//
//   ListReader::operator>>   one item: integer, real or text
//   ListReader::next_item    the next value, null or "/" of the input
//   parse_int, parse_real    whole-token conversions
//
// The input is a sequence of values separated by blanks (tabs count as
// blanks), by one comma with optional blanks around it, or by record ends.
// Two commas in a row, or a comma at the very start, give a null value,
// which leaves its item unchanged.  "r*c" stands for r copies of c and
// "r*" for r nulls.  A "/" ends the read.
#include "io/list_input.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace io {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool ends_token(char c) { return is_blank(c) || c == ',' || c == '/'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_nocase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// Marks a token that came from a quoted string: never a number.
constexpr char kQuoted = '\x01';

}  // namespace

bool parse_int(std::string_view text, int& v) {
  std::size_t i = 0;
  bool neg = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
  if (i == text.size()) return false;
  long long mag = 0;
  for (; i < text.size(); ++i) {
    if (!is_digit(text[i])) return false;
    mag = mag * 10 + (text[i] - '0');
    if (mag > static_cast<long long>(INT_MAX) + 1) return false;  // overflow
  }
  if (neg) mag = -mag;
  if (mag > INT_MAX || mag < INT_MIN) return false;
  v = static_cast<int>(mag);
  return true;
}

bool parse_real(std::string_view text, double& v) {
  // [sign] (digits [. [digits]] | . digits) [(E|D|Q) [sign] digits | sign digits]
  // or [sign] Inf / Infinity / NaN.
  std::size_t i = 0;
  bool neg = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
  const std::string_view rest = text.substr(i);
  if (equals_nocase(rest, "inf") || equals_nocase(rest, "infinity")) {
    v = neg ? -HUGE_VAL : HUGE_VAL;
    return true;
  }
  if (equals_nocase(rest, "nan")) {
    v = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  std::string norm;  // digits '.' digits 'e' sign digits, for from_chars
  int ndig = 0;
  for (; i < text.size() && is_digit(text[i]); ++i, ++ndig) norm += text[i];
  if (i < text.size() && text[i] == '.') {
    norm += '.';
    for (++i; i < text.size() && is_digit(text[i]); ++i, ++ndig) norm += text[i];
  }
  if (ndig == 0) return false;
  if (i < text.size()) {
    const char c = lower(text[i]);
    if (c == 'e' || c == 'd' || c == 'q') ++i;
    else if (c != '+' && c != '-') return false;
    norm += 'e';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) norm += text[i++];
    int nexp = 0;
    for (; i < text.size() && is_digit(text[i]); ++i, ++nexp) norm += text[i];
    if (nexp == 0 || i != text.size()) return false;
  }
  double x = 0.0;
  const auto r = std::from_chars(norm.data(), norm.data() + norm.size(), x);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large: overflow is an error; too small: the value is zero.
    if (std::abs(x) > 1.0) return false;
    // from_chars leaves x unchanged on underflow: decide by the exponent.
    const std::size_t e = norm.find('e');
    if (e != std::string::npos && norm[e + 1] != '-') return false;
    x = 0.0;
  } else if (r.ec != std::errc()) {
    return false;
  }
  v = neg ? -x : x;
  return true;
}

ListReader::ListReader(int unit) : unit_(unit) {}

// Reads the next record into line_; false (status kEnd) at end of file.
static bool next_record(int unit, std::string& line, std::size_t& pos, ReadStatus& status) {
  if (read_record(unit, line) != ReadStatus::kOk) {
    status = ReadStatus::kEnd;
    return false;
  }
  pos = 0;
  return true;
}

ListReader::Next ListReader::next_item(std::string& token) {
  if (repeat_ > 0) {
    --repeat_;
    token = repeat_token_;
    return repeat_null_ ? Next::kNull : Next::kValue;
  }
  if (!started_) {
    started_ = true;
    if (!next_record(unit_, line_, pos_, status_)) return Next::kFail;
  }
  // 1. Skip blanks and record ends up to the next value, comma or slash.
  for (;;) {
    while (pos_ < line_.size() && is_blank(line_[pos_])) ++pos_;
    if (pos_ < line_.size()) break;
    if (!next_record(unit_, line_, pos_, status_)) return Next::kFail;
  }
  const char c = line_[pos_];
  if (c == ',') {  // a comma with no value before it: a null value
    ++pos_;
    return Next::kNull;
  }
  if (c == '/') {
    ended_ = true;
    return Next::kSlash;
  }
  // 2. The value: a quoted string, or characters up to a separator.
  auto read_token = [this](std::string& t) {
    t.clear();
    if (pos_ < line_.size() && (line_[pos_] == '\'' || line_[pos_] == '"')) {
      const char q = line_[pos_++];
      t += kQuoted;
      while (pos_ < line_.size()) {
        if (line_[pos_] == q) {
          if (pos_ + 1 < line_.size() && line_[pos_ + 1] == q) {  // doubled quote
            t += q;
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        t += line_[pos_++];
      }
      return;
    }
    while (pos_ < line_.size() && !ends_token(line_[pos_])) {
      t += line_[pos_++];
      // "r*'text'": stop after the star so the quoted value is read whole.
      if (t.back() == '*' && pos_ < line_.size() && (line_[pos_] == '\'' || line_[pos_] == '"'))
        break;
    }
  };
  read_token(token);
  // 3. A repeat count "r*": r copies of what follows, or r nulls.
  Next kind = Next::kValue;
  const std::size_t star = token.find('*');
  bool counted = star != std::string::npos && star > 0;
  for (std::size_t i = 0; counted && i < star; ++i) counted = is_digit(token[i]);
  if (counted) {
    int r = 0;
    if (!parse_int(std::string_view(token).substr(0, star), r) || r <= 0) {
      status_ = ReadStatus::kBad;  // a repeat count must be positive
      return Next::kFail;
    }
    {
      std::string value = token.substr(star + 1);
      if (value.empty() && pos_ < line_.size() && (line_[pos_] == '\'' || line_[pos_] == '"'))
        read_token(value);
      repeat_ = r - 1;
      repeat_null_ = value.empty();
      repeat_token_ = value;
      token = value;
      kind = value.empty() ? Next::kNull : Next::kValue;
    }
  }
  // 4. The separator after it: blanks and at most one comma.
  while (pos_ < line_.size() && is_blank(line_[pos_])) ++pos_;
  if (pos_ < line_.size() && line_[pos_] == ',') ++pos_;
  return kind;
}

bool ListReader::value_item(std::string& token) {
  if (status_ != ReadStatus::kOk || ended_) return false;
  switch (next_item(token)) {
    case Next::kValue:
      return true;
    case Next::kNull:
    case Next::kSlash:
      break;
    case Next::kFail:
      if (status_ == ReadStatus::kOk) status_ = ReadStatus::kBad;
      break;
  }
  return false;
}

ListReader& ListReader::operator>>(int& v) {
  std::string token;
  if (value_item(token) && (token.empty() || token[0] == kQuoted || !parse_int(token, v)))
    status_ = ReadStatus::kBad;
  return *this;
}

ListReader& ListReader::operator>>(double& v) {
  std::string token;
  if (value_item(token) && (token.empty() || token[0] == kQuoted || !parse_real(token, v)))
    status_ = ReadStatus::kBad;
  return *this;
}

ListReader& ListReader::operator>>(std::string& v) {
  std::string token;
  if (value_item(token)) v = (!token.empty() && token[0] == kQuoted) ? token.substr(1) : token;
  return *this;
}

}  // namespace io
