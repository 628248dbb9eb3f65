// dialogue.cpp — INCHK: the mode and file-name dialogue, the typed-problem
// dialogue that writes the data file, and the size scan of a named file.
//
// Routines: INCHK, driver::form_file_names, driver::scan_data_file.
//
// A typed reply that the data file's layout could not hold, or that is
// plainly invalid (a count below its least value, an index outside 1..NVAR,
// a coefficient that is not positive), makes the prompt repeat after a one-
// line explanation, so the file written always reads back.
#include <string>
#include <vector>

#include "driver/console.h"
#include "driver/data_file.h"
#include "driver/problem_input.h"
#include "driver/stops.h"
#include "io/edit.h"
#include "io/units.h"

namespace {

constexpr int kDataUnit = 7;
constexpr int kTerminal = 1;  // mode: problem typed at the terminal
constexpr int kFile = 2;      // mode: problem taken from a data file

std::string without_trailing_blanks(const std::string& s) {
  const auto e = s.find_last_not_of(' ');
  return e == std::string::npos ? "" : s.substr(0, e + 1);
}

std::string padded12(std::string s) {
  s.resize(12, ' ');
  return s;
}

// Reads the 12-character file name after prompt P.
std::string ask_file_name(std::string_view p) {
  std::string FNM;
  driver::prompt(p);
  if (io::read_text(io::kKeyboard, 12, FNM) != io::ReadStatus::kOk)
    driver::keyboard_ended("a file name");
  return padded12(FNM);
}

// Reads a bound count: an unreadable reply ends the run; a negative count or
// one wider than the 4-column field is asked again.
int ask_bound_count(std::string_view p, std::string_view what) {
  for (;;) {
    int n = -1;
    if (driver::ask_once(p, what, n) != io::ReadStatus::kOk)
      io::stop_run(driver::kStopInputError,
                   "Input error: the number of " + std::string(what) +
                       " could not be read; aborting...");
    if (n >= 0 && n <= driver::kMaxField4) return n;
    driver::show(" The number of bounds must be 0 to 9999");
  }
}

// Reads COUNT bound pairs and writes them to the data file.
void ask_bounds(int count, int NVAR, std::string_view what) {
  if (count == 0) return;
  driver::show("");
  driver::show(" Enter variable index and its bound value ");
  const std::string rule = " Enter a variable index from 1 to " +
                           std::to_string(NVAR) + " and a bound of magnitude 1.0E-99 to 9.9E+98, or 0";
  for (int k = 1; k <= count; ++k) {
    int J = 0;
    double V = 0.0;
    driver::ask_valid(
        "    : ", what, rule,
        [&] { return J >= 1 && J <= NVAR && driver::fits_d_layout(V); }, J, V);
    driver::write_bound(kDataUnit, J, V);
  }
}

// The typed problem: every answer is written to the data file on unit 7.
void typed_dialogue(int& NVAR, int& MCON, int& KTTOT, int& NONZER, int& NLB,
                    int& NUB) {
  using driver::show;
  // 1. Problem name: the first column of the reply is skipped.
  std::string line;
  driver::prompt(" Enter the problem name          : ");
  if (io::read_text(io::kKeyboard, 31, line) != io::ReadStatus::kOk)
    driver::keyboard_ended("the problem name");
  line.resize(31, ' ');
  const std::string PNM = line.substr(1, 30);
  driver::write_title(kDataUnit, PNM);

  // 2. Sizes.
  show("");
  show(" Enter NVAR (# of variables) ");
  NVAR = 0;
  MCON = -1;
  driver::ask_valid(
      "       MCON (# of constraints)  : ", "NVAR and MCON",
      " NVAR must be 1 to 9999 and MCON 0 to 999",
      [&] {
        return NVAR >= 1 && NVAR <= driver::kMaxField4 && MCON >= 0 &&
               MCON < driver::kMaxPosynomials;
      },
      NVAR, MCON);
  driver::write_sizes(kDataUnit, NVAR, MCON);

  // 3. Term counts.
  show("");
  show(" Enter # of terms in each posynomial");
  show("");
  const int MCON1 = MCON + 1;
  std::vector<int> KTX(static_cast<std::size_t>(MCON1), 0);
  KTTOT = 0;
  for (int L = 1; L <= MCON1; ++L) {
    int& k = KTX[static_cast<std::size_t>(L - 1)];
    k = 0;
    driver::ask_valid("     Posynomial No." + io::I(L - 1, 4) + " : ",
                      "a number of terms",
                      " The number of terms must be 1 to 9999",
                      [&] { return k >= 1 && k <= driver::kMaxField4; }, k);
    driver::add_count(KTTOT, k);
  }
  driver::write_term_counts(kDataUnit, KTX.data(), MCON1);

  // 4. Instructions.
  show("");
  show(io::X(12) + "****COEFFICIENTS AND EXPONENTS****");
  show("");
  show(" FIRST Enter the term coefficient c(i)");
  show(" THEN  number of variables that appear in that term");
  show(" THEN  nonzero exponents for all variables in term i ");
  show("       Enter these as the pair j, a(i,j) where");
  show("              j = Variable index");
  show("         a(i,j) = Exponent value");
  show("");

  // 5. Terms, posynomial by posynomial.
  const std::string pair_rule = " Enter j from 1 to " + std::to_string(NVAR) +
                                " and a(i,j) of magnitude 1.0E-99 to 9.9E+98,"
                                " or 0";
  NONZER = 0;
  for (int L = 1; L <= MCON1; ++L) {
    show("");
    show("%%%%%%% IN POSYNOMIAL NO." + io::I(L - 1, 4));
    for (int N = 1; N <= KTX[static_cast<std::size_t>(L - 1)]; ++N) {
      show("");
      double c = 0.0;
      driver::ask_valid(" Coefficient for term     " + io::I(N, 4) + " : ",
                        "a coefficient",
                        " The coefficient must be positive, from 1.0E-99 to "
                        "9.9E+98",
                        [&] { return c > 0.0 && driver::fits_d_layout(c); }, c);
      int nx = -1;
      driver::ask_valid(" No. of variables in term " + io::I(N, 4) + " : ",
                        "a number of variables",
                        " The number of variables must be 0 to 99999",
                        [&] { return nx >= 0 && nx <= driver::kMaxField5; },
                        nx);
      driver::write_term(kDataUnit, nx, c);
      show(" NONZERO EXPONENTS ");
      for (int p = 1; p <= nx; ++p) {
        int J = 0;
        double a = 0.0;
        driver::ask_valid(
            "    : ", "a variable index and exponent", pair_rule,
            [&] { return J >= 1 && J <= NVAR && driver::fits_d_layout(a); }, J,
            a);
        driver::write_pair(kDataUnit, J, a);
      }
      driver::add_count(NONZER, nx);
    }
  }

  // 6, 7. Bounds.
  show("");
  NLB = ask_bound_count(" No. of variables with lower bound : ",
                        "variables with lower bound");
  driver::write_bound_count(kDataUnit, NLB);
  ask_bounds(NLB, NVAR, "a variable index and lower bound");
  show("");
  NUB = ask_bound_count(" No. of variables with upper bound : ",
                        "variables with upper bound");
  driver::write_bound_count(kDataUnit, NUB);
  ask_bounds(NUB, NVAR, "a variable index and upper bound");
}

}  // namespace

namespace driver {

void form_file_names(const std::string& FNM, std::string& INFNM,
                     std::string& OUTFNM) {
  const std::string name = padded12(FNM);
  const auto INDEX = name.find('.');
  if (INDEX == std::string::npos) {
    const std::string base = without_trailing_blanks(name);
    INFNM = padded12(base + ".DAT");
    OUTFNM = padded12(base + ".OUT");
  } else {
    INFNM = name;
    OUTFNM = padded12(name.substr(0, INDEX) + ".OUT");
  }
}

void scan_data_file(const std::string& INFNM, std::string& PNM, int& NVAR,
                    int& MCON, int& KTTOT, int& NONZER, int& NLB, int& NUB) {
  const DataSource src{kDataUnit, without_trailing_blanks(INFNM)};
  open_data_file(src);
  read_title(src, PNM);
  read_sizes(src, NVAR, MCON);
  std::vector<int> KTX(static_cast<std::size_t>(MCON + 1), 0);
  read_term_counts(src, MCON, KTX.data(), KTTOT);
  NONZER = 0;
  int t = 0;
  for (int k = 0; k <= MCON; ++k) {
    for (int n = 1; n <= KTX[static_cast<std::size_t>(k)]; ++n) {
      const TermPlace at{k, n, ++t};
      int nx = 0;
      double c = 0.0;
      read_term(src, at, nx, c);
      add_count(NONZER, nx);
      for (int p = 1; p <= nx; ++p) {
        int J = 0;
        double a = 0.0;
        read_pair(src, at, p, NVAR, J, a);
      }
    }
  }
  for (const bool lower : {true, false}) {
    int& count = lower ? NLB : NUB;
    read_bound_count(src, lower, count);
    for (int k = 1; k <= count; ++k) {
      int J = 0;
      double v = 0.0;
      read_bound(src, lower, k, NVAR, J, v);
    }
  }
}

}  // namespace driver

void INCHK(std::string& INFNM, std::string& OUTFNM, int& NVAR, int& MCON,
           int& KTTOT, int& NONZER, int& NLB, int& NUB) {
  // 1. Mode, asked until it is 1 or 2.
  int IN = 0;
  do {
    driver::show("");
    IN = 0;
    driver::ask(" Input via terminal (=1)  or  file (=2) ? ", "the input mode",
                IN);
  } while (IN != kTerminal && IN != kFile);

  // 2. File names; the data file is opened.
  std::string FNM;
  if (IN == kTerminal) {
    driver::show("  ");  // a free-format line holding one blank
    FNM = ask_file_name(" Enter filename for storing data : ");
  } else {
    FNM = ask_file_name(" Enter input data filename  : ");
  }
  driver::form_file_names(FNM, INFNM, OUTFNM);

  if (IN == kFile) {
    // 4. Scan of the named file; it stays open on unit 7.
    std::string PNM;
    driver::scan_data_file(INFNM, PNM, NVAR, MCON, KTTOT, NONZER, NLB, NUB);
    return;
  }

  // 3. Typed problem, saved to a new data file.
  const driver::DataSource src{kDataUnit, without_trailing_blanks(INFNM)};
  if (!io::open_unit(kDataUnit, src.file, io::OpenStatus::kReplace))
    driver::data_error(src, "cannot be created");
  io::rewind_unit(kDataUnit);
  typed_dialogue(NVAR, MCON, KTTOT, NONZER, NLB, NUB);
  io::endfile_unit(kDataUnit);
  io::close_unit(kDataUnit);
  driver::show("");
  driver::show(" NOTE: Input data has been written on I/O UNIT 7");
  driver::show("       and saved under the file name " + io::A(INFNM, 12));
  driver::show("");
  driver::show("");
}
