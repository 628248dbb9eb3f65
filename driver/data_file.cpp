// data_file.cpp — checked reading of the problem data file's groups and the
// record layouts the typed dialogue writes (see data_file.h).
//
// Routines: data_error, size_overflow, open_data_file, read_title,
// read_sizes, read_term_counts, read_term, read_pair, read_bound_count,
// read_bound, add_count, write_title, write_sizes, write_term_counts,
// write_term, write_pair, write_bound_count, write_bound, fits_d_layout.
#include "driver/data_file.h"

#include <climits>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <string>
#include <vector>

#include "driver/stops.h"
#include "io/edit.h"
#include "io/list_input.h"
#include "io/record.h"
#include "io/units.h"

namespace driver {
namespace {

std::string trimmed(std::string s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string num(int v) { return std::to_string(v); }
std::string num(double v) { return trimmed(io::G(v, 15, 6)); }

std::string term_name(const TermPlace& at) {
  return "term " + num(at.in_posy) + " of posynomial " + num(at.posy) +
         " (term " + num(at.in_file) + " of the file)";
}

std::string bound_kind(bool lower) { return lower ? "lower" : "upper"; }

// Stops when the read of GROUP did not succeed.
void check_read(const DataSource& src, const io::ListReader& in,
                const std::string& group) {
  if (in.status() == io::ReadStatus::kEnd)
    data_error(src, "premature end of file in " + group);
  if (in.status() != io::ReadStatus::kOk)
    data_error(src, "unreadable value in " + group);
}

void check_index(const DataSource& src, int J, int NVAR,
                 const std::string& group) {
  if (J < 1 || J > NVAR)
    data_error(src, "variable index " + num(J) + " is outside 1.." + num(NVAR) +
                        " in " + group);
}

}  // namespace

void data_error(const DataSource& src, std::string_view what) {
  io::stop_run(kStopInputError,
               "Data file " + src.file + ": " + std::string(what) + "; aborting...");
}

void size_overflow() { io::stop_run(kStopStorage, kNoStorage); }

void add_count(int& total, long long n) {
  const long long sum = static_cast<long long>(total) + n;
  if (sum > INT_MAX || sum < INT_MIN) size_overflow();
  total = static_cast<int>(sum);
}

void open_data_file(const DataSource& src) {
  std::error_code ec;
  if (std::filesystem::is_directory(src.file, ec))
    data_error(src, "is a directory, not a data file");
  if (!io::open_unit(src.unit, src.file, io::OpenStatus::kOld))
    data_error(src, "cannot be opened for reading");
  io::rewind_unit(src.unit);
}

void read_title(const DataSource& src, std::string& PNM) {
  std::string line;
  if (io::read_text(src.unit, 31, line) != io::ReadStatus::kOk)
    data_error(src, "premature end of file in the title record");
  line.resize(31, ' ');
  PNM = line.substr(1, 30);
}

void read_sizes(const DataSource& src, int& NVAR, int& MCON) {
  const std::string group = "the sizes NVAR, MCON";
  int nvar = 0, mcon = 0;
  io::ListReader in(src.unit);
  in >> nvar >> mcon;
  check_read(src, in, group);
  if (nvar < 1) data_error(src, "NVAR = " + num(nvar) + " is below 1 in " + group);
  if (mcon < 0 || mcon >= kMaxPosynomials)
    data_error(src, "MCON = " + num(mcon) + " is outside 0.." +
                        num(kMaxPosynomials - 1) + " in " + group);
  NVAR = nvar;
  MCON = mcon;
}

void read_term_counts(const DataSource& src, int MCON, int* KT, int& KTTOT) {
  const std::string group = "the term counts";
  const int n = MCON + 1;
  std::vector<int> kt(static_cast<std::size_t>(n), 0);
  io::ListReader in(src.unit);
  for (int& v : kt) in >> v;
  check_read(src, in, group);
  int total = 0;
  for (int L = 1; L <= n; ++L) {
    const int k = kt[static_cast<std::size_t>(L - 1)];
    if (k < 1)
      data_error(src, "posynomial " + num(L - 1) + " has " + num(k) +
                          " terms (at least 1 needed) in " + group);
    add_count(total, k);
    KT[L - 1] = k;
  }
  KTTOT = total;
}

void read_term(const DataSource& src, const TermPlace& at, int& NX, double& C) {
  int nx = 0;
  double c = 0.0;
  io::ListReader in(src.unit);
  in >> nx >> c;
  check_read(src, in, term_name(at));
  if (nx < 0)
    data_error(src, "variable count " + num(nx) + " is negative in " +
                        term_name(at));
  if (!(c > 0.0) || !std::isfinite(c))
    data_error(src, "coefficient " + num(c) + " is not a positive number in " +
                        term_name(at));
  NX = nx;
  C = c;
}

void read_pair(const DataSource& src, const TermPlace& at, int pair, int NVAR,
               int& J, double& A) {
  int j = 0;
  double a = 0.0;
  io::ListReader in(src.unit);
  in >> j >> a;
  if (!in.ok()) check_read(src, in, "pair " + num(pair) + " of " + term_name(at));
  if (j < 1 || j > NVAR)
    check_index(src, j, NVAR, "pair " + num(pair) + " of " + term_name(at));
  if (!std::isfinite(a))
    data_error(src, "exponent is not a finite number in pair " + num(pair) +
                        " of " + term_name(at));
  J = j;
  A = a;
}

void read_bound_count(const DataSource& src, bool lower, int& N) {
  const std::string group = "the number of " + bound_kind(lower) + " bounds";
  int n = 0;
  io::ListReader in(src.unit);
  in >> n;
  check_read(src, in, group);
  if (n < 0) data_error(src, "count " + num(n) + " is negative in " + group);
  N = n;
}

void read_bound(const DataSource& src, bool lower, int k, int NVAR, int& J,
                double& V) {
  const std::string group = bound_kind(lower) + " bound " + num(k);
  int j = 0;
  double v = 0.0;
  io::ListReader in(src.unit);
  in >> j >> v;
  check_read(src, in, group);
  check_index(src, j, NVAR, group);
  if (!std::isfinite(v))
    data_error(src, "bound value is not a finite number in " + group);
  J = j;
  V = v;
}

// ---------------------------------------------------------------------------
// Writers.  Each text holds the record's every column (the leading blank of
// the layouts included), so the file reads back column for column.

void write_title(int unit, const std::string& PNM) {
  io::Record(unit, ' ') << " " << io::A(PNM, 30);
}

void write_sizes(int unit, int NVAR, int MCON) {
  io::Record(unit, ' ') << " " << io::I(NVAR, 4) << " " << io::I(MCON, 4);
}

// One blank, then up to 14 counts per line, each 4 columns and a blank;
// further lines of 14 without the leading blank.
void write_term_counts(int unit, const int* KT, int n) {
  constexpr int kPerLine = 14;
  for (int first = 0; first < n; first += kPerLine) {
    io::Record r(unit, ' ');
    if (first == 0) r << " ";
    for (int L = first; L < n && L < first + kPerLine; ++L)
      r << io::I(KT[L], 4) << " ";
  }
}

void write_term(int unit, int NX, double C) {
  io::Record(unit, ' ');  // separator line
  io::Record(unit, ' ') << " " << io::I(NX, 5) << " " << io::D(C, 15, 9);
}

void write_pair(int unit, int J, double A) {
  io::Record(unit, ' ') << "  " << io::I(J, 5) << " " << io::D(A, 15, 9);
}

void write_bound_count(int unit, int N) {
  io::Record(unit, ' ');
  io::Record(unit, ' ') << " " << io::I(N, 4);
}

// Free-format line: the index and the value with 17 significant digits, so
// the value reads back exactly.
void write_bound(int unit, int J, double V) {
  io::Record(unit, ' ') << io::I(J, 12) << io::G(V, 26, 17);
}

bool fits_d_layout(double v) {
  if (v == 0.0) return true;
  const double m = std::fabs(v);
  return std::isfinite(m) && m >= 1.0e-99 && m < 9.9e98;
}

}  // namespace driver
