// problem_input.h — the problem dialogue and the problem data input.
//
//   INCHK   asks the mode and a file name; a typed problem is written to a
//           new data file, a named file is scanned; returns names and sizes.
//   GPINPT  opens the report file, reads the data file into the problem
//           arrays, writes the run date and the problem summary.
//
// Helpers exposed for tests: form_file_names, scan_data_file.
//
// Units: 5 keyboard, 6 screen, 7 data file, 8 report file.  Failures stop the
// run through io::stop_run (exit statuses in driver/stops.h).
#pragma once

#include <string>

// INCHK — problem dialogue.
//   Out: INFNM, OUTFNM  data file and report file names (12 characters,
//                       blank padded)
//        NVAR, MCON     variables, constraint posynomials
//        KTTOT          terms over all MCON+1 posynomials
//        NONZER         (variable, exponent) pairs over all terms
//        NLB, NUB       lower / upper bound records
// Typed problem: the data file is complete and closed on return.  Named file:
// the file was scanned and is still open on unit 7.  Every value returned has
// been checked (NVAR >= 1, MCON <= 999, every count >= 0, every index within
// 1..NVAR, every coefficient positive).
void INCHK(std::string& INFNM, std::string& OUTFNM, int& NVAR, int& MCON,
           int& KTTOT, int& NONZER, int& NLB, int& NUB);

// GPINPT — problem data input and summary.
//   In:     INFNM, OUTFNM  file names (12 characters)
//   In/out: NVAR, MCON     in: the sizes INCHK found; out: as read
//           KTTOT          in: extent of C and NAPP, which must be the scanned
//                          term count + NLB + NUB + NVAR + 1;
//                          out: the true number of terms
//           NLB, NUB       in: as scanned; out: as read
//           NONZER         in: extent of A and IDVAR (pairs scanned); out: as
//                          read.  (Trailing argument: the only way the reader
//                          can know that extent.)
//   Out:    C(1..terms), NAPP(1..terms), A(1..NONZER), IDVAR(1..NONZER),
//           KT, FTERM, LTERM (1..MCON+1), SLB, SUB (1..NVAR; 0.0 = no bound)
//   Scratch: TEMPOUT(1..NVAR)
// A file whose sizes differ from those given on entry is refused before
// anything is stored outside the arrays.  On return unit 7 (data file) and
// unit 8 (report file) are open.
void GPINPT(std::string& INFNM, std::string& OUTFNM, double* C, double* A,
            int& NVAR, int& MCON, int* KT, int& KTTOT, int* FTERM, int* LTERM,
            int* IDVAR, int* NAPP, int& NLB, int& NUB, double* SLB, double* SUB,
            double* TEMPOUT, int& NONZER);

namespace driver {

// Data and report file names from the name as typed (first 12 characters):
// without a "." NAME.DAT and NAME.OUT, with one the name itself and the part
// before the first "." followed by .OUT; both cut or padded to 12.
void form_file_names(const std::string& FNM, std::string& INFNM,
                     std::string& OUTFNM);

// Scans the data file INFNM (opened on unit 7 and left open) for its sizes,
// checking every group as GPINPT does.  PNM receives the problem name.
void scan_data_file(const std::string& INFNM, std::string& PNM, int& NVAR,
                    int& MCON, int& KTTOT, int& NONZER, int& NLB, int& NUB);

}  // namespace driver
