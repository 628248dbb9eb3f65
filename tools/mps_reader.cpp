// mps_reader.cpp — MPS reader: line splitting (fixed / free / automatic),
// section dispatch, and the checks that give line-numbered errors.  The
// conventions are listed in mps_reader.h.
#include "tools/mps_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unordered_map>

namespace tools {

namespace {

// Bound and RHS magnitudes from here on stand for infinity.
constexpr double kInfiniteValue = 1.0e30;

enum class Section { kNone, kName, kObjsense, kRows, kColumns, kRhs, kRanges,
                     kBounds, kEnd };

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

std::vector<std::string> split_words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
    words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words;
}

// Card-column fields 2-3, 5-12, 15-22, 25-36, 40-47, 50-61 (1-based), blanks
// trimmed.  Field 4 and 6 (numbers) also take what follows up to the next
// field, so slightly misaligned numbers still read.
std::vector<std::string> split_cards(const std::string& line) {
  static constexpr int kStart[6] = {1, 4, 14, 24, 39, 49};
  static constexpr int kEnd[6] = {3, 12, 22, 39, 47, 80};
  std::vector<std::string> fields(6);
  for (int f = 0; f < 6; ++f) {
    const auto start = static_cast<std::size_t>(kStart[f]);
    if (start >= line.size()) break;
    const auto end = std::min(line.size(), static_cast<std::size_t>(kEnd[f]));
    fields[static_cast<std::size_t>(f)] = trim(line.substr(start, end - start));
  }
  return fields;
}

bool is_bound_with_value(const std::string& type) {
  return type == "UP" || type == "LO" || type == "FX" || type == "LI" ||
         type == "UI";
}

// One data line, reduced to the meaning of its fields.
struct DataLine {
  std::string f1;                 // ROWS: type; BOUNDS: type
  std::string set;                // RHS/RANGES/BOUNDS: set name (may be "")
  std::string name;               // ROWS: row; COLUMNS: column; BOUNDS: column
  std::vector<std::pair<std::string, std::string>> pairs;  // (row, value)
  std::string value;              // BOUNDS: value (may be "")
  bool marker = false;            // COLUMNS: a MARKER line
};

// Interprets WORDS as a free-format line of SECTION; false if the word count
// does not fit.
bool from_words(Section section, const std::vector<std::string>& w, DataLine& d) {
  const std::size_t n = w.size();
  switch (section) {
    case Section::kRows:
      if (n != 2) return false;
      d.f1 = w[0];
      d.name = w[1];
      return true;
    case Section::kColumns:
      if (n >= 2 && upper(w[1]) == "'MARKER'") {
        d.marker = true;
        return true;
      }
      if (n != 3 && n != 5) return false;
      d.name = w[0];
      d.pairs.emplace_back(w[1], w[2]);
      if (n == 5) d.pairs.emplace_back(w[3], w[4]);
      return true;
    case Section::kRhs:
    case Section::kRanges: {
      if (n < 2 || n > 5) return false;
      std::size_t k = 0;
      if (n % 2 == 1) d.set = w[k++];
      for (; k + 1 < n; k += 2) d.pairs.emplace_back(w[k], w[k + 1]);
      return true;
    }
    case Section::kBounds: {
      if (n < 2 || n > 4) return false;
      d.f1 = upper(w[0]);
      if (is_bound_with_value(d.f1)) {
        if (n == 2) return false;
        if (n == 4) d.set = w[1];
        d.name = w[n - 2];
        d.value = w[n - 1];
      } else {
        // FR, MI, PL, BV (and unknown types, reported later): the value is
        // optional, so two words are "type column", three "type set column",
        // four "type set column value".
        if (n >= 3) d.set = w[1];
        d.name = w[n == 2 ? 1 : 2];
        if (n == 4) d.value = w[3];
      }
      return true;
    }
    default:
      return false;
  }
}

void from_cards(Section section, const std::vector<std::string>& f, DataLine& d) {
  switch (section) {
    case Section::kRows:
      d.f1 = f[0].empty() ? f[1] : f[0];
      d.name = f[0].empty() ? f[2] : f[1];
      return;
    case Section::kColumns:
      if (upper(f[2]) == "'MARKER'") {
        d.marker = true;
        return;
      }
      d.name = f[1];
      d.pairs.emplace_back(f[2], f[3]);
      if (!f[4].empty() || !f[5].empty()) d.pairs.emplace_back(f[4], f[5]);
      return;
    case Section::kRhs:
    case Section::kRanges:
      d.set = f[1];
      d.pairs.emplace_back(f[2], f[3]);
      if (!f[4].empty() || !f[5].empty()) d.pairs.emplace_back(f[4], f[5]);
      return;
    case Section::kBounds:
      d.f1 = upper(f[0]);
      d.set = f[1];
      d.name = f[2];
      d.value = f[3];
      return;
    default:
      return;
  }
}

class Reader {
 public:
  Reader(std::string source, const MpsOptions& options)
      : source_(std::move(source)), options_(options) {}

  MpsProblem run(std::istream& in);

 private:
  [[noreturn]] void fail(const std::string& message) const {
    throw MpsError(source_, line_no_, message);
  }
  double number(const std::string& text, const char* what) const;
  void header(const std::string& line);
  void data(const std::string& line);
  void rows_line(const DataLine& d);
  void columns_line(const DataLine& d);
  void rhs_line(const DataLine& d);
  void ranges_line(const DataLine& d);
  void bounds_line(const DataLine& d);
  void finish();

  // Row lookup: >= 0 constraint row, kObjective, kDropped (a later N row),
  // kUnknown.
  static constexpr int kObjective = -1;
  static constexpr int kDropped = -2;
  static constexpr int kUnknown = -3;
  int find_row(const std::string& name) const {
    const auto it = row_index_.find(name);
    return it == row_index_.end() ? kUnknown : it->second;
  }
  int row_or_fail(const std::string& name) const {
    const int r = find_row(name);
    if (r == kUnknown) fail("undefined row '" + name + "'");
    return r;
  }

  std::string source_;
  MpsOptions options_;
  MpsProblem p_;
  Section section_ = Section::kNone;
  int line_no_ = 0;
  std::unordered_map<std::string, int> row_index_;
  std::unordered_map<std::string, int> column_index_;
  std::vector<int> row_mark_;       // last column (index + 1) with an entry per row
  std::vector<char> cost_set_;      // per column: objective entry seen
  std::vector<char> rhs_set_;       // per row: RHS seen
  std::vector<char> range_set_;     // per row: range seen
  std::vector<char> lower_set_;     // per column: lower bound given explicitly
  bool objective_rhs_set_ = false;
  std::string rhs_set_name_, ranges_set_name_, bounds_set_name_;
  bool rhs_named_ = false, ranges_named_ = false, bounds_named_ = false;
  std::int64_t nonzeros_ = 0;
  bool objsense_pending_ = false;
  bool seen_rows_ = false;
};

double Reader::number(const std::string& text, const char* what) const {
  double v = 0.0;
  if (text.empty()) fail(std::string("missing ") + what);
  if (!parse_mps_number(text, v)) fail(std::string("bad ") + what + " '" + text + "'");
  return v;
}

void Reader::header(const std::string& line) {
  const auto words = split_words(line);
  const std::string key = upper(words[0]);
  objsense_pending_ = false;
  if (key == "NAME") {
    section_ = Section::kName;
    // The name is everything after the keyword (it may contain blanks).
    p_.name = trim(line.substr(std::min(line.size(), std::size_t{4})));
  } else if (key == "OBJSENSE" || key == "OBJSENCE") {
    section_ = Section::kObjsense;
    if (words.size() >= 2) {
      const std::string s = upper(words[1]);
      if (s == "MAX" || s == "MAXIMIZE") p_.maximize = true;
      else if (s == "MIN" || s == "MINIMIZE") p_.maximize = false;
      else fail("bad objective sense '" + words[1] + "'");
    } else {
      objsense_pending_ = true;
    }
  } else if (key == "ROWS") {
    section_ = Section::kRows;
    seen_rows_ = true;
  } else if (key == "COLUMNS") {
    if (!seen_rows_) fail("COLUMNS section before ROWS");
    section_ = Section::kColumns;
  } else if (key == "RHS") {
    section_ = Section::kRhs;
  } else if (key == "RANGES") {
    section_ = Section::kRanges;
  } else if (key == "BOUNDS") {
    section_ = Section::kBounds;
  } else if (key == "ENDATA") {
    section_ = Section::kEnd;
  } else {
    fail("unknown section '" + words[0] + "'");
  }
}

void Reader::data(const std::string& line) {
  if (section_ == Section::kNone) fail("data line before the first section");
  if (section_ == Section::kName) fail("unexpected data line in NAME section");
  if (section_ == Section::kObjsense) {
    const auto words = split_words(line);
    const std::string s = upper(words[0]);
    if (!objsense_pending_ || words.size() != 1) fail("unexpected data line in OBJSENSE section");
    if (s == "MAX" || s == "MAXIMIZE") p_.maximize = true;
    else if (s == "MIN" || s == "MINIMIZE") p_.maximize = false;
    else fail("bad objective sense '" + words[0] + "'");
    objsense_pending_ = false;
    return;
  }
  DataLine d;
  bool ok = false;
  if (options_.format != MpsFormat::kFixed) ok = from_words(section_, split_words(line), d);
  if (!ok) {
    if (options_.format == MpsFormat::kFree) fail("wrong number of fields");
    d = DataLine{};
    from_cards(section_, split_cards(line), d);
  }
  switch (section_) {
    case Section::kRows: rows_line(d); break;
    case Section::kColumns: columns_line(d); break;
    case Section::kRhs: rhs_line(d); break;
    case Section::kRanges: ranges_line(d); break;
    case Section::kBounds: bounds_line(d); break;
    default: break;
  }
}

void Reader::rows_line(const DataLine& d) {
  const std::string type = upper(d.f1);
  if (d.name.empty()) fail("missing row name");
  if (type != "N" && type != "L" && type != "G" && type != "E")
    fail("unknown row type '" + d.f1 + "'");
  if (row_index_.count(d.name)) fail("duplicate row name '" + d.name + "'");
  if (type == "N") {
    if (p_.objective_name.empty()) {
      p_.objective_name = d.name;
      row_index_[d.name] = kObjective;
    } else {
      row_index_[d.name] = kDropped;
    }
    return;
  }
  if (static_cast<std::int64_t>(p_.rows.size()) >= options_.max_rows)
    fail("too many rows (limit " + std::to_string(options_.max_rows) + ")");
  row_index_[d.name] = static_cast<int>(p_.rows.size());
  MpsRow row;
  row.name = d.name;
  row.type = type[0];
  p_.rows.push_back(row);
  row_mark_.push_back(0);
  rhs_set_.push_back(0);
  range_set_.push_back(0);
}

void Reader::columns_line(const DataLine& d) {
  if (d.marker) return;
  if (d.name.empty()) fail("missing column name");
  int j;
  const auto it = column_index_.find(d.name);
  if (it == column_index_.end()) {
    if (static_cast<std::int64_t>(p_.columns.size()) >= options_.max_columns)
      fail("too many columns (limit " + std::to_string(options_.max_columns) + ")");
    j = static_cast<int>(p_.columns.size());
    column_index_[d.name] = j;
    MpsColumn c;
    c.name = d.name;
    p_.columns.push_back(std::move(c));
    cost_set_.push_back(0);
    lower_set_.push_back(0);
  } else {
    j = it->second;
    if (j + 1 != static_cast<int>(p_.columns.size()))
      fail("column '" + d.name + "' appears again after other columns");
  }
  MpsColumn& col = p_.columns[static_cast<std::size_t>(j)];
  for (const auto& [row_name, text] : d.pairs) {
    if (row_name.empty()) fail("missing row name");
    const int r = row_or_fail(row_name);
    const double v = number(text, "matrix value");
    if (r == kDropped) continue;
    if (r == kObjective) {
      if (cost_set_[static_cast<std::size_t>(j)]) fail("duplicate entry for column '" + d.name + "' in row '" + row_name + "'");
      cost_set_[static_cast<std::size_t>(j)] = 1;
      col.cost = v;
      continue;
    }
    int& mark = row_mark_[static_cast<std::size_t>(r)];
    if (mark == j + 1) fail("duplicate entry for column '" + d.name + "' in row '" + row_name + "'");
    mark = j + 1;
    if (v == 0.0) continue;
    if (++nonzeros_ > options_.max_nonzeros)
      fail("too many nonzeros (limit " + std::to_string(options_.max_nonzeros) + ")");
    col.entries.push_back({r, v});
  }
}

void Reader::rhs_line(const DataLine& d) {
  if (!rhs_named_) {
    rhs_named_ = true;
    rhs_set_name_ = d.set;
  } else if (d.set != rhs_set_name_) {
    return;  // a second RHS set: not used
  }
  for (const auto& [row_name, text] : d.pairs) {
    if (row_name.empty()) fail("missing row name");
    const int r = row_or_fail(row_name);
    const double v = number(text, "RHS value");
    if (r == kDropped) continue;
    if (r == kObjective) {
      if (objective_rhs_set_) fail("duplicate RHS entry for row '" + row_name + "'");
      objective_rhs_set_ = true;
      p_.objective_constant = -v;
      continue;
    }
    if (rhs_set_[static_cast<std::size_t>(r)]) fail("duplicate RHS entry for row '" + row_name + "'");
    rhs_set_[static_cast<std::size_t>(r)] = 1;
    p_.rows[static_cast<std::size_t>(r)].rhs = v;
  }
}

void Reader::ranges_line(const DataLine& d) {
  if (!ranges_named_) {
    ranges_named_ = true;
    ranges_set_name_ = d.set;
  } else if (d.set != ranges_set_name_) {
    return;
  }
  for (const auto& [row_name, text] : d.pairs) {
    if (row_name.empty()) fail("missing row name");
    const int r = row_or_fail(row_name);
    const double v = number(text, "range value");
    if (r < 0) continue;  // ranges on N rows mean nothing
    if (range_set_[static_cast<std::size_t>(r)]) fail("duplicate RANGES entry for row '" + row_name + "'");
    range_set_[static_cast<std::size_t>(r)] = 1;
    if (std::fabs(v) >= kInfiniteValue) fail("infinite range for row '" + row_name + "'");
    MpsRow& row = p_.rows[static_cast<std::size_t>(r)];
    row.has_range = true;
    row.range = v;
  }
}

void Reader::bounds_line(const DataLine& d) {
  if (!bounds_named_) {
    bounds_named_ = true;
    bounds_set_name_ = d.set;
  } else if (d.set != bounds_set_name_) {
    return;
  }
  const std::string& type = d.f1;
  if (type != "UP" && type != "LO" && type != "FX" && type != "FR" &&
      type != "MI" && type != "PL" && type != "BV" && type != "LI" &&
      type != "UI")
    fail("unknown bound type '" + d.f1 + "'");
  if (d.name.empty()) fail("missing column name");
  const auto it = column_index_.find(d.name);
  if (it == column_index_.end()) fail("undefined column '" + d.name + "'");
  const auto j = static_cast<std::size_t>(it->second);
  MpsColumn& col = p_.columns[j];
  col.last_bound_line = line_no_;
  double v = 0.0;
  if (is_bound_with_value(type)) {
    v = number(d.value, "bound value");
  } else if (!d.value.empty() && type == "BV") {
    number(d.value, "bound value");  // checked, not used
  }
  const auto to_lower = [](double x) { return x <= -kInfiniteValue ? -kInfinity : x; };
  const auto to_upper = [](double x) { return x >= kInfiniteValue ? kInfinity : x; };
  if (type == "UP" || type == "UI") {
    col.upper = to_upper(v);
    if (v < 0.0 && col.lower == 0.0 && !lower_set_[j]) {
      col.lower = -kInfinity;
      ++p_.warnings;
    }
  } else if (type == "LO" || type == "LI") {
    col.lower = to_lower(v);
    lower_set_[j] = 1;
  } else if (type == "FX") {
    if (std::fabs(v) >= kInfiniteValue) fail("infinite fixed value for column '" + d.name + "'");
    col.lower = col.upper = v;
    lower_set_[j] = 1;
  } else if (type == "FR") {
    col.lower = -kInfinity;
    col.upper = kInfinity;
    lower_set_[j] = 1;
  } else if (type == "MI") {
    col.lower = -kInfinity;
    lower_set_[j] = 1;
  } else if (type == "PL") {
    col.upper = kInfinity;
  } else {  // BV
    col.lower = 0.0;
    col.upper = 1.0;
    lower_set_[j] = 1;
  }
}

void Reader::finish() {
  for (const MpsColumn& c : p_.columns) {
    if (c.lower > c.upper || c.lower == kInfinity || c.upper == -kInfinity) {
      line_no_ = c.last_bound_line;
      char buf[160];
      std::snprintf(buf, sizeof buf, "crossed bounds for column '%s': lower %.10g exceeds upper %.10g",
                    c.name.c_str(), c.lower, c.upper);
      fail(buf);
    }
  }
}

MpsProblem Reader::run(std::istream& in) {
  std::string line;
  while (std::getline(in, line)) {
    ++line_no_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    for (char& c : line)
      if (c == '\t') c = ' ';
    if (line.empty() || line[0] == '*') continue;
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    if (line[0] != ' ') {
      header(line);
      if (section_ == Section::kEnd) {
        p_.endata_line = line_no_;
        finish();
        return std::move(p_);
      }
    } else {
      data(line);
    }
  }
  ++line_no_;
  fail("missing ENDATA");
}

}  // namespace

double MpsRow::lower() const {
  switch (type) {
    case 'L': return has_range ? rhs - std::fabs(range) : -kInfinity;
    case 'G': return rhs;
    default: return has_range && range < 0.0 ? rhs + range : rhs;
  }
}

double MpsRow::upper() const {
  switch (type) {
    case 'L': return rhs;
    case 'G': return has_range ? rhs + std::fabs(range) : kInfinity;
    default: return has_range && range > 0.0 ? rhs + range : rhs;
  }
}

RowKind MpsRow::kind() const {
  if (type == 'E') return has_range && range != 0.0 ? RowKind::kRanged : RowKind::kEqual;
  if (has_range) return RowKind::kRanged;
  return type == 'L' ? RowKind::kLessEqual : RowKind::kGreaterEqual;
}

std::int64_t MpsProblem::nonzeros() const {
  std::int64_t n = 0;
  for (const MpsColumn& c : columns) n += static_cast<std::int64_t>(c.entries.size());
  return n;
}

static std::string format_error(const std::string& source, int line, const std::string& message) {
  if (line > 0) return source + ":" + std::to_string(line) + ": " + message;
  return source + ": " + message;
}

MpsError::MpsError(std::string source, int line, const std::string& message)
    : std::runtime_error(format_error(source, line, message)),
      source_(std::move(source)),
      line_(line),
      detail_(message) {}

bool parse_mps_number(const std::string& text, double& value) {
  std::string t = text;
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty()) return false;
  const std::string u = upper(t);
  const std::string body = (u[0] == '-') ? u.substr(1) : u;
  if (body == "INF" || body == "INFINITY") {
    value = u[0] == '-' ? -kInfinity : kInfinity;
    return true;
  }
  // Digits, a point, an exponent letter E or D and signs only: this refuses
  // "nan", hexadecimal forms and anything else from_chars would take.
  for (char& c : t) {
    if (c == 'd' || c == 'D') c = 'E';
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'e' || c == 'E' ||
          c == '+' || c == '-'))
      return false;
  }
  double v = 0.0;
  const char* first = t.data();
  const char* last = t.data() + t.size();
  const auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last) return false;
  value = v;
  return true;
}

MpsProblem read_mps(std::istream& in, const std::string& source, const MpsOptions& options) {
  if (options.format != MpsFormat::kAuto) return Reader(source, options).run(in);
  // Automatic: read the text split at blanks (lines whose word count does not
  // fit fall back to card columns).  Fixed-format files whose names contain
  // blanks can still split into a plausible number of words and then fail;
  // such a file is read once more by card columns.  When both readings fail,
  // the error of the reading that got further is reported.
  const std::string text(std::istreambuf_iterator<char>(in), {});
  std::istringstream first(text);
  try {
    return Reader(source, options).run(first);
  } catch (const MpsError& free_error) {
    MpsOptions fixed = options;
    fixed.format = MpsFormat::kFixed;
    std::istringstream second(text);
    try {
      return Reader(source, fixed).run(second);
    } catch (const MpsError& fixed_error) {
      if (fixed_error.line() > free_error.line()) throw;
      throw free_error;
    }
  }
}

MpsProblem read_mps_file(const std::string& path, const MpsOptions& options) {
  std::ifstream in(path);
  if (!in) throw MpsError(path, 0, "cannot open file");
  return read_mps(in, path, options);
}

}  // namespace tools
