// Sensitivity analysis against oracles outside the ranging code: fresh
// primal solves of the changed problem at each break point of random LPs,
// glpsol --ranges on the same basis, and dual re-solves against fresh solves.
#include "tools/sensitivity.h"

#include <gtest/gtest.h>

#include <array>
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

// A problem solved from the slack basis (the session refers to the model).
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

// The basis per row and file column: B basic, L / U at the engine's lower /
// upper bound, E an equality's logical, F a free column at 0, X fixed.
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

// A random LP with a known feasible point, rows and columns of every kind;
// data exact in 32 bits, as the engine stores it.
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

struct Tally {
  int inside = 0, beyond = 0, unlimited = 0;
};

// One end of a range checked by fresh solves with the datum set by SET:
// inside, the same basis and the reported rate; beyond, another basis with
// the reported leaving / entering variables (or no optimum at all).
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
  const std::vector<MpsProblem> lps = optimal_random_lps(20261206, 15);
  ASSERT_GE(lps.size(), 12u);
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
  EXPECT_GT(fixed, 0);
  EXPECT_GT(split, 0);
  EXPECT_GT(negated, 0);
  EXPECT_GT(ranged, 0);
  EXPECT_GT(tally.inside, 70);
  EXPECT_GT(tally.beyond, 70);
  EXPECT_GT(tally.unlimited, 7);
}

// ---- glpsol on the same basis ---------------------------------------------

const char* const kGlpsol = "/usr/bin/glpsol";

// Per name in a glpsol --ranges report: activity and cost range ends
// {activity low, cost low, activity high, cost high}.
std::map<std::string, std::array<double, 4>> read_glpk_ranges(const std::string& path) {
  const auto number = [](const std::string& t) {
    return t == "." ? 0.0 : t == "+Inf" ? kInfinity : t == "-Inf" ? -kInfinity
                                                    : std::strtod(t.c_str(), nullptr);
  };
  const auto words = [](const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string x; in >> x;) w.push_back(x);
    return w;
  };
  std::map<std::string, std::array<double, 4>> out;
  std::ifstream in(path);
  for (std::string line, next; std::getline(in, line);) {
    const auto t = words(line);
    if (t.size() < 9 || t[0].find_first_not_of("0123456789") != std::string::npos) continue;
    std::getline(in, next);
    const auto u = words(next);
    if (u.size() >= 5)
      out[t[1]] = {number(t[6]), number(t[7]), number(u[2]), number(u[3])};
  }
  return out;
}

bool close_to(double a, double b) {
  if (std::isinf(a) || std::isinf(b)) return a == b;
  return std::fabs(a - b) <= 1e-4 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

TEST(Sensitivity, RangesAgreeWithGlpsolOnTheSameBasis) {
  if (!fs::exists(kGlpsol)) GTEST_SKIP() << "glpsol not found at " << kGlpsol;
  if (!fs::exists(kShared + "/netlib/afiro.mps")) GTEST_SKIP() << "no Netlib collection";
  const std::string dir =
      (fs::temp_directory_path() / ("sens_glpk_" + std::to_string(::getpid()))).string();
  fs::create_directories(dir);
  int compared = 0;
  for (const std::string name : {"afiro", "sc50a", "adlittle", "share2b", "scagr7", "israel"}) {
    SCOPED_TRACE(name);
    const std::string file = kShared + "/netlib/" + name + ".mps";
    auto s = solve(read_mps_file(file));
    if (s->result.termin != kTerminOptimal) continue;  // the Netlib suite's concern
    const Ranges r = compute_ranges(s->problem, s->model, *s->session);
    ASSERT_FALSE(r.skipped) << r.reason;
    const MpsProblem& p = s->problem;
    // Our optimal basis as a glpk solution file for --ini.
    const auto letter = [](const std::string& st) {
      return st == "BS" ? "b" : st == "LB" ? "l" : st == "UB" ? "u" : st == "FR" ? "f" : "s";
    };
    const std::string base = dir + "/" + name;
    {
      std::ofstream out(base + ".sol");
      out << "s bas " << p.rows.size() << ' ' << p.columns.size() << " f f " << r.objective << '\n';
      for (std::size_t i = 0; i < p.rows.size(); ++i)
        out << "i " << i + 1 << ' ' << letter(r.rows[i].status) << " 0 0\n";
      for (std::size_t j = 0; j < p.columns.size(); ++j)
        out << "j " << j + 1 << ' ' << letter(r.columns[j].status) << " 0 0\n";
      out << "e o f\n";
    }
    const std::string cmd = std::string(kGlpsol) + " --mps " + file + " --ini " + base +
                            ".sol --ranges " + base + ".rng > " + base + ".log 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    // Compared only when glpsol keeps our basis (no iteration).
    std::ifstream lg(base + ".log");
    int iterations = 0;
    for (std::string line; std::getline(lg, line);)
      if (line.size() > 1 && line[0] == '*') iterations = std::max(iterations, std::atoi(line.c_str() + 1));
    if (iterations != 0) continue;
    const auto g = read_glpk_ranges(base + ".rng");
    const auto expect = [&](const std::string& n, const RangeEnd& down, const RangeEnd& up, int k) {
      const auto& e = g.at(n);
      EXPECT_TRUE(close_to(down.value, e[k])) << n << ": " << down.value << " vs " << e[k];
      EXPECT_TRUE(close_to(up.value, e[k + 2])) << n << ": " << up.value << " vs " << e[k + 2];
    };
    for (std::size_t j = 0; j < p.columns.size(); ++j)
      expect(p.columns[j].name, r.columns[j].down, r.columns[j].up, 1);
    for (std::size_t i = 0; i < p.rows.size(); ++i)  // active rows: activity ranges
      if (r.rows[i].status != "BS") expect(p.rows[i].name, r.rows[i].down, r.rows[i].up, 0);
    ++compared;
  }
  fs::remove_all(dir);
  EXPECT_GE(compared, 3);
}

// ---- Dual re-solves against fresh primal solves -----------------------------

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

TEST(Sensitivity, DualResolveMatchesFreshPrimal) {
  int iterations = 0;
  if (fs::exists(kShared + "/netlib/afiro.mps")) {
    for (const std::string name : {"afiro", "sc50a", "adlittle", "share2b", "recipe"}) {
      const MpsProblem p = read_mps_file(kShared + "/netlib/" + name + ".mps");
      for (const RhsChange change : {RhsChange{1.1, 0.0}, RhsChange{0.9, -0.25}}) {
        SCOPED_TRACE(name + " scale " + std::to_string(change.scale));
        expect_dual_matches_primal(p, change, iterations);
      }
    }
    EXPECT_GT(iterations, 0);  // the dual simplex really pivoted
  }
  const std::vector<MpsProblem> lps = optimal_random_lps(7, 15);
  ASSERT_GE(lps.size(), 12u);
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (std::size_t k = 0; k < lps.size(); ++k) {
    SCOPED_TRACE("random LP " + std::to_string(k));
    expect_dual_matches_primal(lps[k], RhsChange{0.5 + unit(rng), 2.0 * unit(rng) - 1.0},
                               iterations);
  }
}

}  // namespace
