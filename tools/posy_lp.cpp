// posy_lp.cpp — posy-lp: solves a linear program given in MPS format with
// the posy LP engine (bounded-variable revised primal simplex).
//
//   posy-lp [options] FILE.mps
//
// Reads the file (tools/mps_reader.h gives the MPS conventions), maps it
// onto the engine's form (tools/lp_model.h gives the substitutions), sizes
// the workspace, solves from the slack basis and prints the status, the
// objective in the file's sense, the phase 1 and phase 2 iterations and the
// solve time; optionally the primal values and reduced costs of the columns
// and the activities and dual values of the rows.
//
// The engine writes its messages and logs on unit 8.  --log FILE keeps them;
// by default they go to a temporary file that is removed at the end, so no
// stray report file appears.  When the engine stops the run on a fatal
// condition, the last lines it wrote are shown on the console.
//
// Exit status: 0 the engine returned (whatever the status of the LP),
// 1 bad command line, 2 unreadable or unsuitable input, 3 a --expect check
// failed, 4 the engine stopped the run on a fatal condition.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <random>
#include <vector>

#include "io/record.h"
#include "io/units.h"
#include "tools/lp_model.h"
#include "tools/lp_solve.h"
#include "tools/mps_reader.h"
#include "tools/sensitivity.h"

namespace {

constexpr int kExitUsage = 1;
constexpr int kExitInput = 2;
constexpr int kExitExpect = 3;
constexpr int kExitEngineStop = 4;
constexpr int kReportUnit = 8;  // the engine's IOERR and IOLOG

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
  char buf[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  return buf;
}

void say(const std::string& text) { io::Record(io::kScreen, ' ') << text; }

const char* const kUsage =
    "Usage: posy-lp [options] FILE.mps\n"
    "Solves a linear program in MPS format with the posy LP engine.\n"
    "  --fixed | --free       MPS field layout (default: automatic)\n"
    "  --print N              engine print level 0..3 (output on the log)\n"
    "  --log FILE             keep the engine's messages and log in FILE\n"
    "                         (default: a temporary file, removed at the end)\n"
    "  --space                workspace space report on the log\n"
    "  --primal               list column values and reduced costs\n"
    "  --dual                 list row activities and dual values\n"

    "  --ranges               after an optimum: right-hand-side and cost ranging\n"
    "                         with break points, rates, leaving and entering\n"
    "                         variables\n"
    "  --dual-rhs-scale F     after an optimum: multiply every RHS value by F\n"
    "                         and re-solve with the dual simplex\n"
    "  --dual-rhs-shift D     likewise, add D to every RHS value (after F)\n"
    "  --factor N             refactorisation interval (default 50)\n"
    "  --look N               pricing window (default 200)\n"
    "  --pick N               pricing candidates kept (default 10)\n"
    "  --memory X             scale the factor storage by X (default 1)\n"
    "  --expect-status S      exit 3 unless the status is S\n"
    "                         (optimal, infeasible, unbounded)\n"
    "  --expect-objective V   exit 3 unless optimal with objective V\n"
    "  --tolerance T          relative tolerance of --expect-objective (1e-5)\n"
    "  --help                 this text";

struct Options {
  std::string file;
  tools::MpsFormat format = tools::MpsFormat::kAuto;
  tools::SolveOptions solve;
  std::string log;  // "" = temporary
  bool primal = false, dual = false;
  bool ranges = false, dual_rhs = false;
  tools::RhsChange rhs_change;
  double memory = 1.0;
  std::string expect_status;
  bool expect_objective = false;
  double objective = 0.0;
  double tolerance = 1e-5;
};

[[noreturn]] void usage_error(const std::string& message) {
  io::stop_run(kExitUsage, "posy-lp: " + message + " (try --help)");
}

int int_arg(const std::string& opt, const char* text, int lo, int hi) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || v < lo || v > hi)
    usage_error(format("%s needs an integer from %d to %d, not '%s'", opt.c_str(), lo, hi, text));
  return static_cast<int>(v);
}

double real_arg(const std::string& opt, const char* text) {
  double v = 0.0;
  if (!tools::parse_mps_number(text, v) || !std::isfinite(v))
    usage_error(opt + " needs a number, not '" + text + "'");
  return v;
}

Options parse_args(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&]() -> const char* {
      if (i + 1 >= argc) usage_error(a + " needs a value");
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      for (std::size_t p = 0, q; p < std::string(kUsage).size(); p = q + 1) {
        const std::string u = kUsage;
        q = u.find('\n', p);
        if (q == std::string::npos) q = u.size();
        say(u.substr(p, q - p));
      }
      io::stop_run(0, "");
    } else if (a == "--fixed") {
      o.format = tools::MpsFormat::kFixed;
    } else if (a == "--free") {
      o.format = tools::MpsFormat::kFree;
    } else if (a == "--print") {
      o.solve.print = int_arg(a, value(), 0, 3);
    } else if (a == "--log") {
      o.log = value();
    } else if (a == "--space") {
      o.solve.space_report = 1;
    } else if (a == "--primal") {
      o.primal = true;
    } else if (a == "--dual") {
      o.dual = true;

    } else if (a == "--ranges") {
      o.ranges = true;
    } else if (a == "--dual-rhs-scale") {
      o.dual_rhs = true;
      o.rhs_change.scale = real_arg(a, value());
    } else if (a == "--dual-rhs-shift") {
      o.dual_rhs = true;
      o.rhs_change.shift = real_arg(a, value());
    } else if (a == "--factor") {
      o.solve.factor = int_arg(a, value(), 1, 100000);
    } else if (a == "--look") {
      o.solve.look = int_arg(a, value(), 1, std::numeric_limits<int>::max());
    } else if (a == "--pick") {
      o.solve.pick = int_arg(a, value(), 1, 1000);
    } else if (a == "--memory") {
      o.memory = real_arg(a, value());
      if (o.memory <= 0.0) usage_error("--memory needs a positive number");
    } else if (a == "--expect-status") {
      o.expect_status = value();
      if (o.expect_status != "optimal" && o.expect_status != "infeasible" &&
          o.expect_status != "unbounded")
        usage_error("--expect-status takes optimal, infeasible or unbounded");
    } else if (a == "--expect-objective") {
      o.expect_objective = true;
      o.objective = real_arg(a, value());
    } else if (a == "--tolerance") {
      o.tolerance = real_arg(a, value());
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      usage_error("unknown option " + a);
    } else if (o.file.empty()) {
      o.file = a;
    } else {
      usage_error("more than one input file");
    }
  }
  if (o.file.empty()) usage_error("no input file");
  return o;
}

// Prints the column and row listings in the file's terms.
void listings(const Options& o, const tools::MpsProblem& p, const tools::EngineModel& m,
              const std::vector<double>& x, const std::vector<double>& prices) {
  // Dual values of the file's rows: the engine maximises sense * c'x, so
  // its prices carry the same sign factor.
  std::vector<double> y(p.rows.size(), 0.0);
  for (std::size_t i = 0; i < p.rows.size(); ++i) y[i] = m.sense * prices[i];
  std::vector<double> activity(p.rows.size(), 0.0);
  for (std::size_t j = 0; j < p.columns.size(); ++j)
    for (const tools::MpsEntry& e : p.columns[j].entries)
      activity[static_cast<std::size_t>(e.row)] += e.value * x[j];
  if (o.primal) {
    say("");
    say(format("%-16s %20s %20s %20s %20s %20s", "Column", "Value", "Lower", "Upper", "Cost",
               "Reduced cost"));
    for (std::size_t j = 0; j < p.columns.size(); ++j) {
      const tools::MpsColumn& c = p.columns[j];
      double d = c.cost;
      for (const tools::MpsEntry& e : c.entries) d -= y[static_cast<std::size_t>(e.row)] * e.value;
      say(format("%-16s %20.12g %20.12g %20.12g %20.12g %20.12g", c.name.c_str(), x[j], c.lower,
                 c.upper, c.cost, d));
    }
  }
  if (o.dual) {
    say("");
    say(format("%-16s %20s %20s %20s %20s", "Row", "Activity", "Lower", "Upper", "Dual value"));
    for (std::size_t i = 0; i < p.rows.size(); ++i) {
      const tools::MpsRow& r = p.rows[i];
      say(format("%-16s %20.12g %20.12g %20.12g %20.12g", r.name.c_str(), activity[i], r.lower(),
                 r.upper(), y[i]));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parse_args(argc, argv);

  // Read and map the problem.  The size limits keep every capacity, and the
  // workspace built from them, inside the engine's 32-bit integers.
  const auto t0 = std::chrono::steady_clock::now();
  tools::MpsOptions mo;
  mo.format = o.format;
  mo.max_rows = std::numeric_limits<std::int32_t>::max() / 8;
  mo.max_columns = std::numeric_limits<std::int32_t>::max() / 8;
  mo.max_nonzeros = std::numeric_limits<std::int32_t>::max() / 24;
  tools::MpsProblem problem;
  try {
    problem = tools::read_mps_file(o.file, mo);
  } catch (const tools::MpsError& e) {
    io::stop_run(kExitInput, std::string("posy-lp: ") + e.what());
  }
  const tools::EngineModel model = tools::build_engine_model(problem);
  const tools::EngineSizes sizes = tools::engine_sizes(model, o.memory);
  if (!sizes.fits_int32)
    io::stop_run(kExitInput,
                 format("posy-lp: %s:%d: problem too large for the engine's 32-bit workspace "
                        "(%lld slots needed)",
                        o.file.c_str(), problem.endata_line, static_cast<long long>(sizes.LENMY)));
  const double read_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  // The engine's unit.  A stop inside the engine (its data invalid, its
  // workspace too small, a singular basis) ends the process through
  // io::stop_run with the units closed; the hook then shows what the engine
  // wrote last and ends with its own exit status.
  static std::string log_path;
  static bool temporary_log = false;
  temporary_log = o.log.empty();
  log_path = temporary_log ? (std::filesystem::temp_directory_path() /
                              ("posy-lp-" + std::to_string(std::random_device{}()) + ".log")).string()
                           : o.log;
  if (!io::open_unit(kReportUnit, log_path, io::OpenStatus::kReplace))
    io::stop_run(kExitUsage, "posy-lp: cannot open log file " + log_path);
  io::set_stop_hook([](int) {
    std::ifstream in(log_path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
      if (line.find_first_not_of(' ') != std::string::npos) lines.push_back(line);
    in.close();
    say("posy-lp: the engine stopped the run; its last messages:");
    for (std::size_t k = lines.size() > 8 ? lines.size() - 8 : 0; k < lines.size(); ++k) say(lines[k]);
    io::close_all();
    if (temporary_log) std::filesystem::remove(log_path);
    std::exit(kExitEngineStop);
  });
  const auto finish = [&](int code, const std::string& message) {
    io::set_stop_hook({});
    io::close_unit(kReportUnit);
    if (temporary_log) std::filesystem::remove(log_path);
    io::stop_run(code, message);
  };

  say("Problem:    " + (problem.name.empty() ? std::string("(unnamed)") : problem.name));
  say(format("Rows:       %zu  Columns: %zu  Nonzeros: %lld  (%s)", problem.rows.size(),
             problem.columns.size(), static_cast<long long>(problem.nonzeros()),
             problem.maximize ? "maximise" : "minimise"));
  if (problem.warnings > 0)
    say(format("Note:       %d negative upper bound(s) on a default lower bound read as "
               "-infinity .. upper",
               problem.warnings));

  tools::LpSession session(model, sizes, o.solve);
  const tools::SolveResult r = session.primal();
  const bool optimal = r.termin == tools::kTerminOptimal || r.termin == tools::kTerminInaccurate;
  const double objective = tools::file_objective(model, r.Z);

  say("Status:     " + tools::status_text(r.termin));
  if (optimal) say(format("Objective:  %.12g", objective));
  say(format("Iterations: %d (phase 1: %d, phase 2: %d)", r.iter1 + r.iter2, r.iter1, r.iter2));
  say(format("Time:       %.3f s solve, %.3f s read", r.seconds, read_seconds));

  if ((o.primal || o.dual) && r.termin != tools::kTerminInfeasible) {
    const std::vector<double> x = tools::file_values(model, session.column_values());
    listings(o, problem, model, x, session.prices());
  }

  // Sensitivity analysis from the optimal basis (tools/sensitivity.h):
  // ranging first, since the dual re-solve changes the basis.
  if (o.ranges) {
    if (r.termin == tools::kTerminOptimal) {
      for (const std::string& line :
           tools::ranges_report(problem, tools::compute_ranges(problem, model, session)))
        say(line);
    } else {
      say("Ranging skipped: no confirmed optimum.");
    }
  }
  if (o.dual_rhs) {
    if (optimal) {
      const tools::DualResult d = tools::dual_resolve(problem, model, session, o.rhs_change,
                                                      o.solve.factor, o.solve.print);
      for (const std::string& line : tools::dual_report(problem, model, o.rhs_change, d)) say(line);
    } else {
      say("Dual re-solve skipped: no optimal basis.");
    }
  }

  // Regression checks.
  std::string failure;
  // Checks accept only a confirmed optimum (TERMIN 1), not one whose final
  // residual check failed.
  const std::string status = tools::status_text(r.termin);
  if (!o.expect_status.empty() && status != o.expect_status)
    failure = "status " + status + ", expected " + o.expect_status;
  if (o.expect_objective && failure.empty()) {
    if (r.termin != tools::kTerminOptimal) {
      failure = "status " + status + ", expected an optimum";
    } else {
      const double scale = o.objective != 0.0 ? std::fabs(o.objective) : 1.0;
      const double err = std::fabs(objective - o.objective) / scale;
      if (!(err < o.tolerance))
        failure = format("objective %.12g, expected %.12g (relative error %.3g)", objective,
                         o.objective, err);
    }
  }
  if (!failure.empty()) finish(kExitExpect, "posy-lp: check failed: " + failure);
  finish(0, "");
}
