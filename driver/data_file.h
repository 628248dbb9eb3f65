// data_file.h — the problem data file: reading its groups with checks, and
// writing its records in the layouts the typed dialogue uses.
//
// Groups, in order (free format except the title; each group starts on a new
// line; blank lines between groups are skipped):
//   title record      one skipped column, then the 30-character name
//   sizes             NVAR, MCON
//   term counts       KT of posynomials 0..MCON
//   per term          NAPP, C; then NAPP pairs (variable index, exponent)
//   lower bounds      NLB, then NLB pairs (variable index, bound)
//   upper bounds      NUB, then NUB pairs (variable index, bound)
//
// Readers (read_*): every value that would corrupt memory or give nonsense
// later is refused here, so both the size scan and the full read stop on the
// same faults.  A failure stops the run through io::stop_run with exit status
// kStopInputError and the console line
//   "Data file <name>: <what went wrong> <group>; aborting..."
// e.g. "Data file TEST.DAT: premature end of file in term 2 of posynomial 1
// (term 5 of the file); aborting...".  A total that overflows a 32-bit
// integer stops with kStopStorage and "Not enough storage for data;
// aborting..." (the arrays could not be sized).
//
// Writers (write_*): one record each, on the given unit, with a blank
// carriage control; the texts hold every layout column.
#pragma once

#include <string>
#include <string_view>

namespace driver {

// Limits of the data model.
inline constexpr int kMaxPosynomials = 1000;  // objective + MCON <= 999
// Largest values the typed layouts can hold (4- and 5-column fields).
inline constexpr int kMaxField4 = 9999;
inline constexpr int kMaxField5 = 99999;

// Where groups are read from: unit number and the file name for messages.
struct DataSource {
  int unit;
  std::string file;  // trailing blanks removed
};

// Position of a term for messages: posynomial number 0..MCON, number of the
// term within it (1..KT) and within the file (1..KTTOT).
struct TermPlace {
  int posy;
  int in_posy;
  int in_file;
};

[[noreturn]] void data_error(const DataSource& src, std::string_view what);
[[noreturn]] void size_overflow();

// Opens SRC.unit on the existing file SRC.file, rewound; stops when it
// cannot be opened.
void open_data_file(const DataSource& src);

// Title record: PNM = columns 2..31, blank padded to 30.
void read_title(const DataSource& src, std::string& PNM);
// NVAR >= 1, 0 <= MCON < kMaxPosynomials.
void read_sizes(const DataSource& src, int& NVAR, int& MCON);
// KT(1..MCON+1), each >= 1; KTTOT = their sum.
void read_term_counts(const DataSource& src, int MCON, int* KT, int& KTTOT);
// Term record: NX >= 0 variables, coefficient positive and finite.
void read_term(const DataSource& src, const TermPlace& at, int& NX, double& C);
// Pair PAIR (1..NX) of a term: 1 <= J <= NVAR, exponent finite.
void read_pair(const DataSource& src, const TermPlace& at, int pair, int NVAR,
               int& J, double& A);
// Bound count (LOWER true: lower bounds), >= 0.
void read_bound_count(const DataSource& src, bool lower, int& N);
// Bound record K (1..N): 1 <= J <= NVAR, value finite.
void read_bound(const DataSource& src, bool lower, int k, int NVAR, int& J,
                double& V);

// Adds N to TOTAL, stopping with the storage message on 32-bit overflow.
void add_count(int& total, long long n);

// Writers.
void write_title(int unit, const std::string& PNM);
void write_sizes(int unit, int NVAR, int MCON);
void write_term_counts(int unit, const int* KT, int n);
void write_term(int unit, int NX, double C);  // separator line + term record
void write_pair(int unit, int J, double A);
void write_bound_count(int unit, int N);
void write_bound(int unit, int J, double V);

// True when V prints in the 15-column D form with a two-digit exponent and
// so reads back (zero, or 1.0E-99 <= |V| < 1.0E+99, finite).
bool fits_d_layout(double v);

}  // namespace driver
