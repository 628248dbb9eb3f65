// main.cpp — the posy program: banner, run parameters, problem dialogue,
// problem arrays, data input, limits, timed solve, elapsed time, stop.
//
// Stops (driver/stops.h): normal 0; input error 2; storage 3; keyboard input
// ended 4; the LP engine's own stops use their own statuses.
#include <climits>
#include <string>

#include "driver/console.h"
#include "driver/problem_input.h"
#include "driver/run_steps.h"
#include "driver/stops.h"
#include "io/edit.h"
#include "io/record.h"
#include "io/units.h"
#ifdef POSY_HAVE_GP
#include "gp/solver.h"
#endif

int main() {
  constexpr int kReportUnit = 8;

  // 1. Banner: ten blanks after the carriage-control column.
  driver::show("");
  driver::show("");
  for (const char* text :
       {"*************************", "* GEOMETRIC PROGRAMMING *",
        "*  VIA  GENERALIZED     *", "*  LINEAR PROGRAMMING   *",
        "*************************"})
    driver::show(io::X(11) + text);

  // 2. Run parameters.
  int IPRINT = 0, IPRG = 0, IPRX = 0;
  double ALLOW = driver::kDefaultTolerance, RGAP = driver::kDefaultTolerance;
  driver::read_run_parameters(IPRINT, IPRG, IPRX, ALLOW, RGAP);

  // 3. Dialogue: names and sizes.
  std::string INFNM, OUTFNM;
  int NVAR = 0, MCON = 0, KTTOT = 0, NONZER = 0, NLB = 0, NUB = 0;
  INCHK(INFNM, OUTFNM, NVAR, MCON, KTTOT, NONZER, NLB, NUB);

  // 4. Extents; C and NAPP have room for the bound and slack columns too.
  const long long MCON1 = static_cast<long long>(MCON) + 1;
  const long long KTEXT = static_cast<long long>(KTTOT) + NUB + NLB + NVAR + 1;
  if (MCON1 > INT_MAX || KTEXT > INT_MAX)
    io::stop_run(driver::kStopStorage, driver::kNoStorage);
  KTTOT = static_cast<int>(KTEXT);

  // 5. Problem arrays, in one request.
  driver::ProblemArrays p;
  if (!driver::allocate_problem_arrays(p, NONZER, KTTOT, static_cast<int>(MCON1),
                                       NVAR))
    io::stop_run(driver::kStopStorage, driver::kNoStorage);

  // 6. Data input and summary; TEMPOUT is not needed afterwards.
  GPINPT(INFNM, OUTFNM, p.C.get(), p.A.get(), NVAR, MCON, p.KT.get(), KTTOT,
         p.FTERM.get(), p.LTERM.get(), p.IDVAR.get(), p.NAPP.get(), NLB, NUB,
         p.SLB.get(), p.SUB.get(), p.TEMPOUT.get(), NONZER);
  p.TEMPOUT.reset();

  // 7. Solver limits.
  int ITMAX = 0, FRQREP = 0;
  driver::ask_limits(ITMAX, FRQREP);

  // 8-10. The timed solve.
  const double TNOW = driver::time_of_day();
#ifdef POSY_HAVE_GP
  POSY(NVAR, MCON, KTTOT, NLB, NUB, p.C.get(), p.A.get(), p.KT.get(),
       p.FTERM.get(), p.LTERM.get(), p.IDVAR.get(), p.NAPP.get(), p.SLB.get(),
       p.SUB.get(), ITMAX, FRQREP, IPRINT, IPRG, IPRX, ALLOW, RGAP,
       p.XPRIML.get(), p.VPOSY.get());
#else
  // The solver library is not part of this build: no solve.
  (void)IPRINT, (void)IPRG, (void)IPRX, (void)ALLOW, (void)RGAP;
#endif
  const double TLAT = driver::time_of_day();
  const double TLAP = driver::elapsed_seconds(TNOW, TLAT);

  // 11. Elapsed time on the report.
  io::Line(kReportUnit) << " ";
  io::Line(kReportUnit) << " ";
  io::Line(kReportUnit) << " CPU TIME = " << io::F(TLAP, 8, 4) << " SECONDS";

  // 12, 13. Report file name on the screen; the report is closed.
  driver::show(" OUTPUT DATA FILE : " + io::A(OUTFNM, 12));
  io::close_unit(kReportUnit);

  // 14. Release and normal stop (unit 7 is closed by the stop).
  p = driver::ProblemArrays{};
  io::stop_run(driver::kStopNormal, driver::kNormalStop);
}
