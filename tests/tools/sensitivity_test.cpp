// Tests of posy-lp's sensitivity analysis (tools/sensitivity.h), each against
// an oracle outside the ranging code:
//   - every break point reported on random small LPs (all row kinds, every
//     column substitution, both senses) is checked by fresh primal solves of
//     the changed problem: slightly inside, the same optimal basis with the
//     objective moving at the reported rate; slightly beyond, another basis
//     in which the reported leaving variable is nonbasic and the entering
//     one basic (or the reported infeasibility / unboundedness);
//   - glpsol --ranges, started from our optimal basis, for the cost ranges
//     of all columns and the right-hand-side ranges of active rows of small
//     Netlib problems;
//   - dual re-solves after RHS scaling and shifting against fresh primal
//     solves of the changed file, on Netlib problems and random LPs.
#include "tools/sensitivity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>

#include <unistd.h>

#include "io/units.h"
#include "tools/lp_model.h"
#include "tools/lp_solve.h"
#include "tools/mps_reader.h"

namespace {

namespace fs = std::filesystem;
using namespace tools;

// The engine's messages (unit 8) go to a file of the test's own.
class EngineUnit : public ::testing::Environment {
 public:
  void SetUp() override {
    path_ = (fs::temp_directory_path() / ("sensitivity_test_" + std::to_string(::getpid()) + ".log"))
                .string();
    ASSERT_TRUE(io::open_unit(8, path_, io::OpenStatus::kReplace));
  }
  void TearDown() override {
    io::close_unit(8);
    std::error_code ec;
    fs::remove(path_, ec);
  }

 private:
  std::string path_;
};
[[maybe_unused]] ::testing::Environment* const engine_unit =
    ::testing::AddGlobalTestEnvironment(new EngineUnit);

const std::string kShared = POSY_SHARED_DIR;

// A problem solved from the slack basis.  The session refers to the model,
// so the whole stays in place.
struct Solved {
  MpsProblem problem;
  EngineModel model;
  std::unique_ptr<LpSession> session;
  SolveResult result;
  double objective = 0.0;
};

std::unique_ptr<Solved> solve(const MpsProblem& p) {
  auto s = std::make_unique<Solved>();
  s->problem = p;
  s->model = build_engine_model(s->problem);
  s->session = std::make_unique<LpSession>(s->model, engine_sizes(s->model), SolveOptions{});
  s->result = s->session->primal();
  s->objective = file_objective(s->model, s->result.Z);
  return s;
}

// The basis in the file's terms: per row (its logical) and per file column
// 'B' basic, 'L' / 'U' nonbasic at the engine's lower / upper bound, 'E' an
// equality row's logical, 'F' a free column at 0, 'X' a fixed column.  A
// bound flip changes it as much as a basis change does.
struct FileBasis {
  std::string row, column;
  bool operator==(const FileBasis&) const = default;
  bool basic(const BreakVariable& v) const {
    return (v.kind == BreakVariable::Kind::kRow ? row : column)[static_cast<std::size_t>(v.index)] ==
           'B';
  }
};

void PrintTo(const FileBasis& b, std::ostream* os) {
  *os << "rows " << b.row << " columns " << b.column;
}

FileBasis basis_of(Solved& s) {
  const LpSession::EngineState st = s.session->engine_state();
  // Basic by BASIS: an equality row's artificial keeps its status -3 there.
  std::vector<bool> in_basis(static_cast<std::size_t>(st.N) + 1, false);
  for (int i = 0; i < st.M; ++i) in_basis[static_cast<std::size_t>(st.BASIS[i])] = true;
  const auto code = [&](int J) {
    const int v = st.STATUS[J - 1];
    return in_basis[static_cast<std::size_t>(J)] ? 'B' : v == 0 ? 'L' : v == -1 ? 'U' : v == -3 ? 'E' : '?';
  };
  FileBasis b;
  for (std::size_t i = 0; i < s.problem.rows.size(); ++i)
    b.row += code(st.NSTRUCT + static_cast<int>(i) + 1);
  for (const ColumnMap& cm : s.model.map) {
    if (cm.form == ColumnForm::kFixed) {
      b.column += 'X';
    } else if (cm.form == ColumnForm::kSplit) {
      b.column += code(cm.first + 1) == 'B' || code(cm.first + 2) == 'B' ? 'B' : 'F';
    } else {
      b.column += code(cm.first + 1);
    }
  }
  return b;
}

// ---- Random LPs ----------------------------------------------------------

// A random LP with a known feasible point: rows of every kind (L, G, E and
// ranged ones of each), columns bounded below, boxed, bounded above only,
// free and fixed.  Matrix entries, costs, bounds and range widths are exact
// 32-bit reals, as the engine stores them, so the engine solves exactly the
// problem the fresh solves change.
MpsProblem random_lp(std::mt19937& rng) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const auto real = [&](double lo, double hi) { return lo + (hi - lo) * unit(rng); };
  const auto f32 = [](double v) { return static_cast<double>(static_cast<float>(v)); };
  MpsProblem p;
  p.name = "RANDOM";
  p.maximize = unit(rng) < 0.5;
  const int m = 3 + static_cast<int>(rng() % 5), n = 3 + static_cast<int>(rng() % 6);
  std::vector<double> x0(static_cast<std::size_t>(n));
  for (int j = 0; j < n; ++j) {
    MpsColumn c;
    c.name = "C";
    c.name += std::to_string(j + 1);
    c.cost = f32(real(-5, 5));
    const double kind = unit(rng);
    double x = 0.0;
    if (kind < 0.45) {  // 0 .. inf
      x = real(0, 3);
    } else if (kind < 0.6) {  // l .. u
      c.lower = std::floor(real(-3, 1));
      c.upper = c.lower + 1 + std::floor(real(0, 4));
      x = real(c.lower, c.upper);
    } else if (kind < 0.7) {  // -inf .. u
      c.lower = -kInfinity;
      c.upper = std::floor(real(-1, 3));
      x = c.upper - real(0, 3);
    } else if (kind < 0.8) {  // free
      c.lower = -kInfinity;
      x = real(-3, 3);
    } else if (kind < 0.9) {  // fixed
      c.lower = c.upper = std::floor(real(-2, 3));
      x = c.lower;
    } else {  // l .. inf, l != 0
      c.lower = 1 + std::floor(real(0, 2));
      x = c.lower + real(0, 3);
    }
    x0[static_cast<std::size_t>(j)] = x;
    p.columns.push_back(c);
  }
  for (int i = 0; i < m; ++i) {
    double act = 0.0;
    for (int j = 0; j < n; ++j) {
      if (unit(rng) > 0.6) continue;
      const double a = f32(real(-5, 5));
      p.columns[static_cast<std::size_t>(j)].entries.push_back({i, a});
      act += a * x0[static_cast<std::size_t>(j)];
    }
    MpsRow r;
    r.name = "R";
    r.name += std::to_string(i + 1);
    const double kind = unit(rng);
    if (kind < 0.3) {
      r.type = 'L';
      r.rhs = act + real(0, 2);
    } else if (kind < 0.55) {
      r.type = 'G';
      r.rhs = act - real(0, 2);
    } else if (kind < 0.7) {
      r.type = 'E';
      r.rhs = act;
    } else {
      r.type = "LGE"[rng() % 3];
      r.has_range = true;
      r.range = f32(real(0.5, 3));
      if (r.type == 'E' && unit(rng) < 0.5) r.range = -r.range;
      // A limit a little away from the activity, the range beyond it.
      r.rhs = r.type == 'L' ? act + real(0, 1) : r.type == 'G' ? act - real(0, 1)
              : r.range > 0 ? act - real(0, r.range) : act + real(0, -r.range);
    }
    p.rows.push_back(r);
  }
  return p;
}

// Optimal random LPs (unbounded ones are drawn again).
std::vector<MpsProblem> optimal_random_lps(unsigned seed, int count) {
  std::mt19937 rng(seed);
  std::vector<MpsProblem> out;
  for (int attempt = 0; attempt < 50 * count && static_cast<int>(out.size()) < count; ++attempt) {
    MpsProblem p = random_lp(rng);
    if (solve(p)->result.termin == kTerminOptimal) out.push_back(p);
  }
  return out;
}

// Counts of break points checked, for a floor on what the test covers.
struct Tally {
  int inside = 0, beyond = 0, unlimited = 0;
};

// Checks one end of a range by fresh solves with the datum set by SET.
// DATUM is the current value, RATE the objective's rate; UNBOUNDED tells
// whether code 3 means unbounded (cost) or infeasible (RHS) beyond.
template <typename Set>
void check_end(const MpsProblem& base, const FileBasis& basis0, double objective0, double datum,
               double rate, bool up, const RangeEnd& e, bool cost, Set set, Tally& tally,
               const std::string& what) {
  SCOPED_TRACE(what + (up ? " up" : " down") + " code " + std::to_string(e.code) + " at " +
               std::to_string(e.value) + " from " + std::to_string(datum) + " leaving " +
               e.leaving.label(base) + " entering " + e.entering.label(base));
  const double sign = up ? 1.0 : -1.0;
  const auto at = [&](double v) {
    MpsProblem p = base;
    set(p, v);
    return solve(p);
  };
  // Costs are held as 32-bit reals: move to values that are exact there.
  const auto f32 = [&](double v) { return cost ? static_cast<double>(static_cast<float>(v)) : v; };
  const double tol = 1e-7 * (1.0 + std::fabs(objective0));
  if (e.code == kRangeNoLimit) {
    ASSERT_TRUE(std::isinf(e.value));
    ASSERT_EQ(e.value > 0, up);
    const double v = f32(datum + sign * 10.0 * (1.0 + std::fabs(datum)));
    auto s = at(v);
    ASSERT_EQ(s->result.termin, kTerminOptimal);
    EXPECT_EQ(basis_of(*s), basis0);
    EXPECT_NEAR(s->objective, objective0 + rate * (v - datum), 10 * tol * (1 + std::fabs(v)));
    ++tally.unlimited;
    return;
  }
  ASSERT_TRUE(e.code == kRangeBreak || e.code == kRangeBeyondNone) << e.code;
  const double delta = e.value - datum;
  ASSERT_GE(sign * delta, -1e-9) << "break point on the wrong side";
  EXPECT_NEAR(e.objective, objective0 + rate * delta, tol * (1 + std::fabs(delta)));
  const double eps = 1e-4 * (1.0 + std::fabs(delta));
  if (std::fabs(delta) > 1e-6) {
    const double v = f32(e.value - sign * std::min(eps, std::fabs(delta) / 2));
    auto s = at(v);
    ASSERT_EQ(s->result.termin, kTerminOptimal) << "inside at " << v;
    EXPECT_EQ(basis_of(*s), basis0) << "inside at " << v;
    EXPECT_NEAR(s->objective, objective0 + rate * (v - datum), tol * (1 + std::fabs(v - datum)));
    ++tally.inside;
  }
  const double v = f32(e.value + sign * eps);
  auto s = at(v);
  if (e.code == kRangeBeyondNone) {
    EXPECT_EQ(s->result.termin, cost ? kTerminUnbounded : kTerminInfeasible) << "beyond at " << v;
  } else {
    ASSERT_EQ(s->result.termin, kTerminOptimal) << "beyond at " << v;
    const FileBasis b = basis_of(*s);
    EXPECT_NE(b, basis0) << "beyond at " << v;
    ASSERT_NE(e.leaving.kind, BreakVariable::Kind::kNone);
    ASSERT_NE(e.entering.kind, BreakVariable::Kind::kNone);
    EXPECT_FALSE(b.basic(e.leaving)) << "leaving " << e.leaving.label(base);
    const bool flip = e.leaving.kind == e.entering.kind && e.leaving.index == e.entering.index;
    if (!flip) {
      EXPECT_TRUE(b.basic(e.entering)) << "entering " << e.entering.label(base);
    }
  }
  ++tally.beyond;
}

TEST(Sensitivity, RandomLpBreakPointsAgreeWithFreshSolves) {
  const std::vector<MpsProblem> lps = optimal_random_lps(20261206, 40);
  ASSERT_GE(lps.size(), 30u);
  Tally tally;
  int fixed = 0, split = 0, negated = 0, ranged = 0;
  for (std::size_t k = 0; k < lps.size(); ++k) {
    SCOPED_TRACE("random LP " + std::to_string(k));
    // Ranges first: later sessions replace the engine's process-wide state.
    auto s = solve(lps[k]);
    const Ranges ranges = compute_ranges(s->problem, s->model, *s->session);
    ASSERT_FALSE(ranges.skipped) << ranges.reason;
    const FileBasis basis0 = basis_of(*s);
    EXPECT_DOUBLE_EQ(ranges.objective, s->objective);
    const MpsProblem& p = lps[k];
    for (const ColumnMap& cm : s->model.map) {
      fixed += cm.form == ColumnForm::kFixed;
      split += cm.form == ColumnForm::kSplit;
      negated += cm.form == ColumnForm::kNegated;
    }
    for (const MpsRow& r : p.rows) ranged += r.has_range;
    for (std::size_t i = 0; i < p.rows.size(); ++i) {
      const RowRange& rr = ranges.rows[i];
      EXPECT_EQ(rr.status == "BS", basis0.row[i] == 'B');
      const auto set = [i](MpsProblem& q, double v) { q.rows[i].rhs = v; };
      for (const bool up : {false, true})
        check_end(p, basis0, s->objective, rr.rhs, rr.rate, up, up ? rr.up : rr.down, false, set,
                  tally, "row " + p.rows[i].name);
    }
    for (std::size_t j = 0; j < p.columns.size(); ++j) {
      const ColumnRange& cr = ranges.columns[j];
      EXPECT_EQ(cr.status == "BS", basis0.column[j] == 'B');
      const auto set = [j](MpsProblem& q, double v) { q.columns[j].cost = v; };
      for (const bool up : {false, true})
        check_end(p, basis0, s->objective, cr.cost, cr.value, up, up ? cr.up : cr.down, true, set,
                  tally, "column " + p.columns[j].name);
    }
  }
  // The set exercised every substitution and the checks mostly ran in full.
  EXPECT_GT(fixed, 0);
  EXPECT_GT(split, 0);
  EXPECT_GT(negated, 0);
  EXPECT_GT(ranged, 0);
  EXPECT_GT(tally.inside, 200);
  EXPECT_GT(tally.beyond, 200);
  EXPECT_GT(tally.unlimited, 20);
}

// ---- glpsol as a second oracle ----------------------------------------------

const char* const kGlpsol = "/usr/bin/glpsol";

double glpk_number(const std::string& t) {
  if (t == ".") return 0.0;
  if (t == "+Inf") return kInfinity;
  if (t == "-Inf") return -kInfinity;
  return std::strtod(t.c_str(), nullptr);
}

// One row or column of glpsol's ranging report: its status and the two ends
// of its activity range and of its objective coefficient range.
struct GlpkRange {
  std::string status;
  double activity_lo = 0, activity_hi = 0, cost_lo = 0, cost_hi = 0;
};

// Rows and columns of a glpsol --ranges report, by name.
void read_glpk_ranges(const std::string& path, std::map<std::string, GlpkRange>& rows,
                      std::map<std::string, GlpkRange>& columns) {
  std::ifstream in(path);
  std::map<std::string, GlpkRange>* section = nullptr;
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("Row name") != std::string::npos) section = &rows;
    if (line.find("Column name") != std::string::npos) section = &columns;
    std::istringstream first(line);
    std::vector<std::string> t;
    for (std::string w; first >> w;) t.push_back(w);
    if (!section || t.size() < 9 || t[0].find_first_not_of("0123456789") != std::string::npos)
      continue;
    std::string second_line;
    std::getline(in, second_line);
    std::istringstream second(second_line);
    std::vector<std::string> u;
    for (std::string w; second >> w;) u.push_back(w);
    if (u.size() < 5) continue;
    GlpkRange g;
    g.status = t[2];
    g.activity_lo = glpk_number(t[6]);
    g.cost_lo = glpk_number(t[7]);
    g.activity_hi = glpk_number(u[2]);
    g.cost_hi = glpk_number(u[3]);
    (*section)[t[1]] = g;
  }
}

// Our optimal basis as a glpk solution file, for glpsol --ini.
void write_glpk_basis(const std::string& path, const MpsProblem& p, const Ranges& r) {
  const auto letter = [](const std::string& st) {
    return st == "BS" ? "b" : st == "LB" ? "l" : st == "UB" ? "u" : st == "FR" ? "f" : "s";
  };
  std::ofstream out(path);
  out << "s bas " << p.rows.size() << ' ' << p.columns.size() << " f f " << r.objective << '\n';
  for (std::size_t i = 0; i < p.rows.size(); ++i)
    out << "i " << i + 1 << ' ' << letter(r.rows[i].status) << " 0 0\n";
  for (std::size_t j = 0; j < p.columns.size(); ++j)
    out << "j " << j + 1 << ' ' << letter(r.columns[j].status) << " 0 0\n";
  out << "e o f\n";
}

bool close_to(double a, double b) {
  if (std::isinf(a) || std::isinf(b)) return a == b;
  return std::fabs(a - b) <= 1e-4 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

TEST(Sensitivity, RangesAgreeWithGlpsolOnTheSameBasis) {
  if (!fs::exists(kGlpsol)) GTEST_SKIP() << "glpsol not found at " << kGlpsol;
  if (!fs::exists(kShared + "/netlib/afiro.mps"))
    GTEST_SKIP() << "Netlib collection not found at " << kShared << "/netlib";
  const fs::path dir = fs::temp_directory_path() / ("sens_glpk_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  int compared = 0;
  // Not boeing2: in its optimal basis a dual degenerate column (reduced
  // cost 4e-11) has a tableau entry of 1e-9 that is rounding noise; the
  // engine keeps entries down to 1e-10 and so ends that cost range at once,
  // where glpsol ignores entries below 1e-9.
  for (const char* name : {"afiro", "sc50a", "sc50b", "adlittle", "share2b", "sc105", "scagr7",
                           "stocfor1", "recipe", "share1b", "israel", "lotfi"}) {
    SCOPED_TRACE(name);
    const std::string file = kShared + "/netlib/" + name + ".mps";
    if (!fs::exists(file)) continue;
    auto s = solve(read_mps_file(file));
    if (s->result.termin != kTerminOptimal) {  // the Netlib suite's concern
      std::printf("%s: %s; not compared\n", name, status_text(s->result.termin).c_str());
      continue;
    }
    const Ranges ranges = compute_ranges(s->problem, s->model, *s->session);
    ASSERT_FALSE(ranges.skipped) << ranges.reason;
    const std::string ini = (dir / (std::string(name) + ".sol")).string();
    const std::string rng = (dir / (std::string(name) + ".rng")).string();
    const std::string log = (dir / (std::string(name) + ".log")).string();
    write_glpk_basis(ini, s->problem, ranges);
    const std::string cmd = std::string(kGlpsol) + " --mps " + file + " --ini " + ini +
                            " --ranges " + rng + " > " + log + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    // glpsol must accept our basis as optimal (no iteration), so that both
    // analyse the same basis.
    std::ifstream lg(log);
    int iterations = 0;
    for (std::string line; std::getline(lg, line);)
      if (line.size() > 1 && line[0] == '*') iterations = std::max(iterations, std::atoi(line.c_str() + 1));
    if (iterations != 0) {
      std::printf("%s: glpsol moved away from our basis (%d iterations); not compared\n", name,
                  iterations);
      continue;
    }
    std::map<std::string, GlpkRange> rows, columns;
    read_glpk_ranges(rng, rows, columns);
    ASSERT_EQ(columns.size(), s->problem.columns.size());
    for (std::size_t j = 0; j < s->problem.columns.size(); ++j) {
      const std::string& cname = s->problem.columns[j].name;
      const GlpkRange& g = columns.at(cname);
      const ColumnRange& c = ranges.columns[j];
      EXPECT_TRUE(close_to(c.down.value, g.cost_lo)) << cname << ": " << c.down.value << " vs " << g.cost_lo;
      EXPECT_TRUE(close_to(c.up.value, g.cost_hi)) << cname << ": " << c.up.value << " vs " << g.cost_hi;
    }
    // Right-hand sides of active rows are glpsol's activity ranges.
    for (std::size_t i = 0; i < s->problem.rows.size(); ++i) {
      const RowRange& r = ranges.rows[i];
      if (r.status == "BS") continue;
      const std::string& rname = s->problem.rows[i].name;
      const GlpkRange& g = rows.at(rname);
      EXPECT_TRUE(close_to(r.down.value, g.activity_lo)) << rname << ": " << r.down.value << " vs " << g.activity_lo;
      EXPECT_TRUE(close_to(r.up.value, g.activity_hi)) << rname << ": " << r.up.value << " vs " << g.activity_hi;
    }
    ++compared;
  }
  fs::remove_all(dir);
  EXPECT_GE(compared, 4);
}

// ---- Dual re-solves ---------------------------------------------------------

// The dual simplex from the old optimum and a fresh primal solve of the
// changed problem agree on the outcome and the objective.
void expect_dual_matches_primal(const MpsProblem& p, const RhsChange& change, int& iterations) {
  auto s = solve(p);
  ASSERT_EQ(s->result.termin, kTerminOptimal) << status_text(s->result.termin);
  const DualResult d = dual_resolve(s->problem, s->model, *s->session, change);
  iterations += d.iterations;
  auto fresh = solve(with_rhs_change(p, change));
  if (fresh->result.termin == kTerminInfeasible) {
    EXPECT_EQ(d.dterm, kDtermInfeasible);
    return;
  }
  ASSERT_EQ(fresh->result.termin, kTerminOptimal);
  ASSERT_EQ(d.dterm, kDtermOptimal) << dual_status_text(d.dterm);
  EXPECT_NEAR(d.objective, fresh->objective, 1e-7 * (1 + std::fabs(fresh->objective)));
}

TEST(Sensitivity, DualResolveMatchesFreshPrimalOnNetlib) {
  if (!fs::exists(kShared + "/netlib/afiro.mps"))
    GTEST_SKIP() << "Netlib collection not found at " << kShared << "/netlib";
  int iterations = 0;
  for (const char* name : {"afiro", "sc50a", "sc50b", "adlittle", "share2b", "sc105", "scagr7",
                           "stocfor1", "recipe", "share1b"}) {
    const std::string file = kShared + "/netlib/" + name + ".mps";
    if (!fs::exists(file)) continue;
    const MpsProblem p = read_mps_file(file);
    for (const RhsChange change : {RhsChange{1.1, 0.0}, RhsChange{1.0, 0.5}, RhsChange{0.9, -0.25}}) {
      SCOPED_TRACE(std::string(name) + " scale " + std::to_string(change.scale) + " shift " +
                   std::to_string(change.shift));
      expect_dual_matches_primal(p, change, iterations);
    }
  }
  EXPECT_GT(iterations, 0);  // the dual simplex really pivoted
}

TEST(Sensitivity, DualResolveMatchesFreshPrimalOnRandomLps) {
  const std::vector<MpsProblem> lps = optimal_random_lps(7, 40);
  ASSERT_GE(lps.size(), 30u);
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int iterations = 0;
  for (std::size_t k = 0; k < lps.size(); ++k) {
    const RhsChange change{0.5 + unit(rng), 2.0 * unit(rng) - 1.0};
    SCOPED_TRACE("random LP " + std::to_string(k));
    expect_dual_matches_primal(lps[k], change, iterations);
  }
  EXPECT_GT(iterations, 0);
}

// ---- Report -------------------------------------------------------------------

// max 3x + 2y subject to cap: x + y <= 4, need: x >= 1, x <= 3.
MpsProblem cap_need_problem() {
  const std::string text =
      "NAME T\nROWS\n N obj\n L cap\n G need\nCOLUMNS\n"
      " x obj 3 cap 1\n x need 1\n y obj 2 cap 1\n"
      "RHS\n rhs cap 4 need 1\nBOUNDS\n UP bnd x 3\nENDATA\n";
  std::istringstream in(text);
  MpsProblem p = read_mps(in, "t.mps");
  p.maximize = true;
  return p;
}

TEST(Sensitivity, ReportNamesFileVariablesAndSkipsWithAReason) {
  const MpsProblem p = cap_need_problem();
  auto s = solve(p);
  ASSERT_EQ(s->result.termin, kTerminOptimal);
  EXPECT_DOUBLE_EQ(s->objective, 11.0);  // x = 3 at its bound, y = 1
  const Ranges r = compute_ranges(s->problem, s->model, *s->session);
  ASSERT_FALSE(r.skipped);
  // cap: rate 2 (y's cost); down to 3 where y reaches 0, up without limit.
  EXPECT_EQ(r.rows[0].status, "UB");
  EXPECT_DOUBLE_EQ(r.rows[0].rate, 2.0);
  EXPECT_DOUBLE_EQ(r.rows[0].down.value, 3.0);
  EXPECT_EQ(r.rows[0].down.leaving.label(p), "y LB");
  EXPECT_EQ(r.rows[0].up.code, kRangeNoLimit);
  // x's cost can fall to 2 (y's), where x leaves its upper bound.
  EXPECT_EQ(r.columns[0].status, "UB");
  EXPECT_DOUBLE_EQ(r.columns[0].down.value, 2.0);
  EXPECT_EQ(r.columns[0].down.entering.label(p), "x UB");
  const std::vector<std::string> lines = ranges_report(p, r);
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  EXPECT_NE(all.find("cap      UB              4              4              2  down"), std::string::npos)
      << all;
  EXPECT_NE(all.find("objective maximised"), std::string::npos);

  Ranges skipped;
  skipped.skipped = true;
  skipped.reason = "nonbasic column x has a reduced cost of the wrong sign (1e-06)";
  EXPECT_EQ(ranges_report(p, skipped),
            std::vector<std::string>{"Ranging skipped: nonbasic column x has a reduced cost of "
                                     "the wrong sign (1e-06)."});
}

// After an RHS change that leaves no feasible point the report names the
// variable that cannot be brought within its limits (DUNBR is a basis
// position, which is no row number).
TEST(Sensitivity, DualReportNamesTheVariableLeftInfeasible) {
  const MpsProblem p = cap_need_problem();
  auto s = solve(p);
  ASSERT_EQ(s->result.termin, kTerminOptimal);
  const RhsChange change{1.0, -5.0};  // cap: x + y <= -1 with x, y >= 0
  const DualResult d = dual_resolve(s->problem, s->model, *s->session, change);
  ASSERT_EQ(d.dterm, kDtermInfeasible);
  EXPECT_EQ(solve(with_rhs_change(p, change))->result.termin, kTerminInfeasible);
  std::string all;
  for (const std::string& l : dual_report(p, s->model, change, d)) all += l + "\n";
  EXPECT_NE(all.find("every RHS value b replaced by 1 * b - 5\n"), std::string::npos) << all;
  // x enters from its upper bound and then cannot reach 0 from below.
  EXPECT_NE(all.find("Status:     infeasible (column x cannot be brought within its bounds)\n"),
            std::string::npos)
      << all;
}

}  // namespace
