// run_steps.h — the driver's own steps around the dialogue and the solve.
//
//   read_run_parameters  PARMS.POS (unit 9): IPRINT, IPRG, IPRX, ALLOW, RGAP
//   ask_limits           ITMAX and FRQREP from the keyboard, with retry
//   time_of_day          seconds since midnight, to the hundredth
//   elapsed_seconds      difference of two times of day, across midnight
//   ProblemArrays        the problem arrays, allocated in one request
#pragma once

#include <memory>

namespace driver {

// Defaults: 0, 0, 0 and the single-precision 1.0E-7 widened
// (1.0000000116860974E-7) for ALLOW and RGAP.
inline constexpr double kDefaultTolerance = static_cast<double>(1.0E-7f);

// Opens PARMS.POS if it exists and reads up to five lines, each a label and
// one value, into IPRINT, IPRG, IPRX, ALLOW, RGAP in that order.  The first
// line that cannot be read ends the reading; the values not read keep what
// they held on entry.  The file is closed again.
void read_run_parameters(int& IPRINT, int& IPRG, int& IPRX, double& ALLOW,
                         double& RGAP);

// Asks the iteration limit and the report frequency, repeating the three
// lines and the prompt until two integers are read.
void ask_limits(int& ITMAX, int& FRQREP);

// Time of day in seconds: hundredths/100 + seconds + 60 minutes + 3600 hours.
double time_of_day();

// TLAT - TNOW, plus one day when the run passed midnight (never negative).
double elapsed_seconds(double TNOW, double TLAT);

// The problem arrays with their extents (one-based use through element 1).
struct ProblemArrays {
  std::unique_ptr<double[]> A, C, XPRIML, SLB, SUB, VPOSY, TEMPOUT;
  std::unique_ptr<int[]> KT, FTERM, LTERM, IDVAR, NAPP;
};

// Allocates every array, zero-filled: A, IDVAR (NONZER); C, NAPP (KTEXT);
// KT, FTERM, LTERM, VPOSY (MCON1); XPRIML, SLB, SUB, TEMPOUT (NVAR).  Each
// extent is at least 1.  Returns false (nothing allocated) when any request
// fails.
bool allocate_problem_arrays(ProblemArrays& p, int NONZER, int KTEXT,
                             int MCON1, int NVAR);

}  // namespace driver
