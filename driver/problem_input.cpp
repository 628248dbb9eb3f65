// problem_input.cpp — GPINPT: reads the problem data file into the problem
// arrays and writes the run date and the "SUMMARY OF PROBLEM DATA" to the
// report file.
//
// Every group is checked as it is read (driver/data_file.h) and every size
// is compared with the extents the caller allocated before anything is
// stored, so a file that changed since it was scanned cannot write outside
// an array.
#include <ctime>
#include <string>

#include "driver/data_file.h"
#include "driver/problem_input.h"
#include "driver/stops.h"
#include "io/edit.h"
#include "io/one_based.h"
#include "io/record.h"
#include "io/units.h"

namespace {

constexpr int kDataUnit = 7;
constexpr int kReportUnit = 8;
constexpr int kPerLine = 6;  // exponents per summary line
// Bounds at most this are not listed (the single-precision 1.0E-6 widened).
constexpr double kNoBound = static_cast<double>(1.0E-6f);

std::string without_trailing_blanks(const std::string& s) {
  const auto e = s.find_last_not_of(' ');
  return e == std::string::npos ? "" : s.substr(0, e + 1);
}

// One report line; its first character is the carriage control.
void line(std::string_view text) { io::Line(kReportUnit) << text; }

void size_mismatch(const driver::DataSource& src, const char* what) {
  driver::data_error(src, std::string(what) +
                              " differs from the first reading of the file");
}

}  // namespace

void GPINPT(std::string& INFNM, std::string& OUTFNM, double* C, double* A,
            int& NVAR, int& MCON, int* KT, int& KTTOT, int* FTERM, int* LTERM,
            int* IDVAR, int* NAPP, int& NLB, int& NUB, double* SLB, double* SUB,
            double* TEMPOUT, int& NONZER) {
  // Extents of the caller's arrays.
  const long long cap_terms = static_cast<long long>(KTTOT) - NLB - NUB - NVAR - 1;
  const int cap_nvar = NVAR, cap_mcon = MCON, cap_pairs = NONZER;
  const int cap_nlb = NLB, cap_nub = NUB;

  // 1. Report file first (it exists even when the data file is missing),
  //    then the data file.
  const driver::DataSource src{kDataUnit, without_trailing_blanks(INFNM)};
  if (!io::open_unit(kReportUnit, OUTFNM, io::OpenStatus::kReplace))
    io::stop_run(driver::kStopInputError, "Report file " + without_trailing_blanks(OUTFNM) +
                        ": cannot be created; aborting...");
  io::rewind_unit(kReportUnit);
  driver::open_data_file(src);

  // 2. Title, sizes, term counts.
  std::string PNM;
  driver::read_title(src, PNM);
  int nvar = 0, mcon = 0;
  driver::read_sizes(src, nvar, mcon);
  if (nvar != cap_nvar) size_mismatch(src, "NVAR");
  if (mcon != cap_mcon) size_mismatch(src, "MCON");
  NVAR = nvar;
  MCON = mcon;
  const int MCON1 = MCON + 1;
  io::F1<int> kt(KT, MCON1), fterm(FTERM, MCON1), lterm(LTERM, MCON1);
  int terms = 0;
  driver::read_term_counts(src, MCON, KT, terms);
  if (terms != cap_terms) size_mismatch(src, "The number of terms");

  // 3. First and last term of each posynomial.
  KTTOT = 0;
  for (int L = 1; L <= MCON1; ++L) {
    fterm(L) = KTTOT + 1;
    lterm(L) = fterm(L) + kt(L) - 1;
    KTTOT += kt(L);
  }

  // 4. Terms and their pairs.
  io::F1<double> c(C, KTTOT), a(A, cap_pairs);
  io::F1<int> napp(NAPP, KTTOT), idvar(IDVAR, cap_pairs);
  int I = 0;
  for (int L = 1; L <= MCON1; ++L) {
    for (int J = fterm(L); J <= lterm(L); ++J) {
      const driver::TermPlace at{L - 1, J - fterm(L) + 1, J};
      driver::read_term(src, at, napp(J), c(J));
      if (napp(J) > cap_pairs - I) size_mismatch(src, "The number of pairs");
      for (int p = 1; p <= napp(J); ++p) {
        ++I;
        driver::read_pair(src, at, p, NVAR, idvar(I), a(I));
      }
    }
  }
  if (I != cap_pairs) size_mismatch(src, "The number of pairs");
  NONZER = I;

  // 5. Bounds; a later record for a variable overrides an earlier one.
  io::F1<double> slb(SLB, NVAR), sub(SUB, NVAR), tempout(TEMPOUT, NVAR);
  for (int J = 1; J <= NVAR; ++J) slb(J) = sub(J) = 0.0;
  for (const bool lower : {true, false}) {
    int& count = lower ? NLB : NUB;
    driver::read_bound_count(src, lower, count);
    if (count != (lower ? cap_nlb : cap_nub))
      size_mismatch(src, lower ? "The number of lower bounds"
                               : "The number of upper bounds");
    io::F1<double>& bound = lower ? slb : sub;
    for (int k = 1; k <= count; ++k) {
      int J = 0;
      double v = 0.0;
      driver::read_bound(src, lower, k, NVAR, J, v);
      bound(J) = v;
    }
  }

  // 6. Degrees of difficulty.
  const int IDIFF = KTTOT + NUB + NLB - NVAR - 1;

  // 7. Run date.
  const std::time_t now = std::time(nullptr);
  std::tm today{};
  localtime_r(&now, &today);
  io::Line(kReportUnit) << " RUN DATE (M/D/Y) : " << io::I(today.tm_mon + 1, 2)
                        << "/" << io::I(today.tm_mday, 2, 2) << "/"
                        << io::I(today.tm_year + 1900, 4);
  line("");

  // 8. Summary header.
  line("");
  line("");
  line(" SUMMARY OF PROBLEM DATA");
  line("     PROBLEM NAME: " + io::A(PNM, 30));
  line("     NUMBER OF VARIABLES  " + io::I(NVAR, 5));
  line("     NUMBER OF CONSTRAINTS" + io::I(MCON, 5));
  line("     TOTAL NUMBER OF TERMS" + io::I(KTTOT, 5));
  line("     DEGREES OF DIFFICULTY" + io::I(IDIFF, 5));
  line("");
  line(" POSY   TERM   COEFFICIENT" + io::X(13) + "EXPONENTS");

  // 9. One block per term: its full exponent row, six to a line.
  I = 0;
  for (int L = 1; L <= MCON1; ++L) {
    for (int J = fterm(L); J <= lterm(L); ++J) {
      for (int v = 1; v <= NVAR; ++v) tempout(v) = 0.0;
      for (int p = 1; p <= napp(J); ++p) {
        ++I;
        tempout(idvar(I)) = a(I);
      }
      for (int first = 1; first <= NVAR; first += kPerLine) {
        io::Line r(kReportUnit);
        if (first == 1)
          r << " " << io::I(L - 1, 5) << io::I(J, 5) << io::D(c(J), 13, 5);
        else
          r << io::X(24);
        for (int v = first; v <= NVAR && v < first + kPerLine; ++v)
          r << io::F(tempout(v), 8, 4);
      }
    }
  }

  // 10. Bounds above 1.0E-6.
  for (const bool lower : {true, false}) {
    if ((lower ? NLB : NUB) == 0) continue;
    // Two free-format lines (a free-format write puts a blank before its
    // items), then J and the bound; each line's first column is its carriage
    // control.
    line("  ");
    line(lower ? "  LOWER BOUNDS:" : "  UPPER BOUNDS:");
    const io::F1<double>& bound = lower ? slb : sub;
    for (int J = 1; J <= NVAR; ++J)
      if (bound(J) > kNoBound)
        io::Line(kReportUnit) << io::I(J, 10) << io::F(bound(J), 12, 4);
  }
}
