// run_steps.cpp — run parameters, limits prompt, timing and the allocation
// of the problem arrays (see run_steps.h).
#include "driver/run_steps.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <new>
#include <string>

#include "driver/console.h"
#include "io/list_input.h"
#include "io/units.h"

namespace driver {
namespace {

constexpr int kParmsUnit = 9;
constexpr double kSecondsPerDay = 86400.0;

template <typename T>
std::unique_ptr<T[]> zeroed(int n) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(
      std::max(n, 1))]());
}

// Reads one "label value" line of PARMS.POS into V; false when it fails.
template <typename T>
bool read_parameter(T& v) {
  std::string label;
  T value = v;  // a "/" leaves the value as it was
  io::ListReader in(kParmsUnit);
  in >> label >> value;
  if (!in.ok()) return false;
  v = value;
  return true;
}

}  // namespace

void read_run_parameters(int& IPRINT, int& IPRG, int& IPRX, double& ALLOW,
                         double& RGAP) {
  if (!io::open_unit(kParmsUnit, "PARMS.POS", io::OpenStatus::kOld)) return;
  io::rewind_unit(kParmsUnit);
  (void)(read_parameter(IPRINT) && read_parameter(IPRG) &&
         read_parameter(IPRX) && read_parameter(ALLOW) && read_parameter(RGAP));
  io::close_unit(kParmsUnit);
}

void ask_limits(int& ITMAX, int& FRQREP) {
  for (;;) {
    show("");
    show(" ENTER LIMIT ON NO. OF ITERATIONS TO BE PERFORMED &");
    show(" FREQUENCY (IN ITERATIONS) WITH WHICH REPORTS ARE REQUIRED");
    if (ask_once("    : ", "the iteration limit and report frequency", ITMAX,
                 FRQREP) == io::ReadStatus::kOk)
      return;
  }
}

double time_of_day() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  std::tm lt{};
  localtime_r(&t, &lt);
  const long long ms =
      duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  const int IX = static_cast<int>(ms / 10);  // hundredths
  return IX / 100.0 + lt.tm_sec + lt.tm_min * 60.0 + lt.tm_hour * 3600.0;
}

double elapsed_seconds(double TNOW, double TLAT) {
  double TLAP = TLAT - TNOW;
  while (TLAP < 0.0) TLAP += kSecondsPerDay;
  return TLAP;
}

bool allocate_problem_arrays(ProblemArrays& p, int NONZER, int KTEXT,
                             int MCON1, int NVAR) {
  ProblemArrays q;
  q.A = zeroed<double>(NONZER);
  q.IDVAR = zeroed<int>(NONZER);
  q.C = zeroed<double>(KTEXT);
  q.NAPP = zeroed<int>(KTEXT);
  q.KT = zeroed<int>(MCON1);
  q.FTERM = zeroed<int>(MCON1);
  q.LTERM = zeroed<int>(MCON1);
  q.VPOSY = zeroed<double>(MCON1);
  q.XPRIML = zeroed<double>(NVAR);
  q.SLB = zeroed<double>(NVAR);
  q.SUB = zeroed<double>(NVAR);
  q.TEMPOUT = zeroed<double>(NVAR);
  if (!q.A || !q.IDVAR || !q.C || !q.NAPP || !q.KT || !q.FTERM || !q.LTERM ||
      !q.VPOSY || !q.XPRIML || !q.SLB || !q.SUB || !q.TEMPOUT)
    return false;
  p = std::move(q);
  return true;
}

}  // namespace driver
