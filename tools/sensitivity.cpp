// sensitivity.cpp — ranging and dual re-solves for posy-lp (see
// sensitivity.h for what the figures mean in the file's terms).
//
//   compute_ranges   optimality check, hold-out of free-column partners,
//                    XRANGB per row and direction, XRANGD per direction plus
//                    the primal ratio test of each entering column (basic
//                    columns), XRANGC per direction (nonbasic columns)
//   ranges_report    the two tables
//   with_rhs_change  the changed problem (for a fresh solve)
//   dual_resolve     the changed right-hand sides in the engine, XDUAL
//
// The engine maximises sense * (file objective): engine costs are
// f * (file cost) with f = sense for a column passed as it is (and for the
// first part of a free column), f = -sense for a column bounded above only
// (x = u - y) and for the second part of a free column.  A move of the
// engine cost by d is a move of the file cost by f * d, so the engine's
// "up" is the file's "up" exactly when f = +1.  Right-hand sides differ from
// the file's RHS values by a constant (the folded columns), so their moves
// are the same.
#include "tools/sensitivity.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>

#include "lp/engine.h"
#include "lp/workspace.h"

namespace tools {

namespace {

// Column statuses of the engine.
constexpr int kAtLower = 0;    // nonbasic at its lower bound
constexpr int kAtUpper = -1;   // nonbasic at its upper bound
constexpr int kHeldOut = -4;   // at its lower bound, never priced

// The role of an engine column in the file's LP.
struct EngineVar {
  enum class Role { kDirect, kNegated, kSplitPlus, kSplitMinus, kLogical };
  Role role = Role::kDirect;
  int index = -1;  // file column (structural) or file row (logical; -1 for
                   // the row added to a file without rows)
  int rowtyp = 0;  // ROWTYP of that row (logical)
};

// Engine columns 1..N: structural ones from the model's map, then one
// logical per row.
std::vector<EngineVar> engine_vars(const EngineModel& model, int N) {
  std::vector<EngineVar> v(static_cast<std::size_t>(N) + 1);
  for (std::size_t j = 0; j < model.map.size(); ++j) {
    const ColumnMap& cm = model.map[j];
    if (cm.form == ColumnForm::kFixed) continue;
    const auto k = static_cast<std::size_t>(cm.first) + 1;
    EngineVar& e = v[k];
    e.index = static_cast<int>(j);
    switch (cm.form) {
      case ColumnForm::kDirect: e.role = EngineVar::Role::kDirect; break;
      case ColumnForm::kNegated: e.role = EngineVar::Role::kNegated; break;
      case ColumnForm::kSplit:
        e.role = EngineVar::Role::kSplitPlus;
        v[k + 1] = {EngineVar::Role::kSplitMinus, static_cast<int>(j), 0};
        break;
      case ColumnForm::kFixed: break;
    }
  }
  const int nstruct = static_cast<int>(model.columns.size());
  for (int i = 1; i <= model.M && nstruct + i <= N; ++i) {
    EngineVar& e = v[static_cast<std::size_t>(nstruct + i)];
    e.role = EngineVar::Role::kLogical;
    e.index = model.dummy_row ? -1 : i - 1;
    e.rowtyp = model.ROWTYP[static_cast<std::size_t>(i - 1)];
  }
  return v;
}

// The file bound that engine column J sits at when it is at its engine
// lower bound (AT_LOWER) or upper bound.
std::string file_bound(const EngineVar& e, bool at_lower) {
  using Role = EngineVar::Role;
  switch (e.role) {
    case Role::kDirect: return at_lower ? "LB" : "UB";
    case Role::kNegated: return at_lower ? "UB" : "LB";
    case Role::kSplitPlus:
    case Role::kSplitMinus: return "FR";
    case Role::kLogical:
      if (e.rowtyp == kRowEqual) return "EQ";
      if (e.rowtyp == kRowGreaterEqual) return at_lower ? "LB" : "UB";
      if (e.rowtyp <= kRowFree) return "FR";
      return at_lower ? "UB" : "LB";  // slack of a "<=" or two-sided row
  }
  return "";
}

BreakVariable break_variable(const std::vector<EngineVar>& vars, int J, bool at_lower) {
  BreakVariable b;
  if (J < 1 || J >= static_cast<int>(vars.size())) return b;
  const EngineVar& e = vars[static_cast<std::size_t>(J)];
  if (e.index < 0) return b;
  b.kind = e.role == EngineVar::Role::kLogical ? BreakVariable::Kind::kRow
                                               : BreakVariable::Kind::kColumn;
  b.index = e.index;
  b.bound = file_bound(e, at_lower);
  return b;
}

// Engine cost factor f of a structural engine column: engine cost =
// f * file cost.
double cost_factor(const EngineModel& model, const EngineVar& e) {
  using Role = EngineVar::Role;
  const bool negated = e.role == Role::kNegated || e.role == Role::kSplitMinus;
  return negated ? -model.sense : model.sense;
}

// The engine state with every size as a modifiable local, as the engine's
// by-reference arguments need.
struct Engine {
  LpSession::EngineState s;
  int NTYPE2 = 0;
};

// Bounds of engine column J as the engine reads them.
void column_bounds(Engine& g, int J, double& LJ, double& UJ) {
  LpSession::EngineState& s = g.s;
  LJ = 0.0;
  UJ = RVNCOM.BIG;
  if (s.BNDTYP == 3 || s.BNDTYP == 4) {
    XGETUB(s.BNDTYP, s.IOERR, J, s.LENMA, s.LENMY, LJ, s.MAPA, s.MEMORY, UJ);
  } else if (s.BNDTYP == 2) {
    UJ = J > g.NTYPE2 ? RVNCOM.BIG : s.BOUND;
  }
}

// Cost of engine column J, and its reduced cost against the prices, the
// way the ranging routines form it (0 below ZLC).
void reduced_cost(Engine& g, int J, double& CJ, double& DJ) {
  LpSession::EngineState& s = g.s;
  int COLLEN = 0;
  XGETAJ(CJ, s.COLA, s.COLI, COLLEN, s.COLMAX, s.IOERR, J, s.LENMA, s.LENMY, s.MAPA, s.MEMORY);
  double dot = 0.0;
  XDOT(s.COLA, s.COLI, COLLEN, s.COLMAX, s.MAXM, s.UZERO, dot);
  DJ = CJ - dot;
  if (std::fabs(DJ) < RVNCOM.ZLC) DJ = 0.0;
}

// Holds the partner of every basic part of a free column out of the
// analysis (status -4) and lets the basic part go below 0 (lower bound
// -BIG); restores both on destruction.
class SplitHoldOut {
 public:
  SplitHoldOut(Engine& g, const EngineModel& model) : g_(g) {
    LpSession::EngineState& s = g.s;
    for (const ColumnMap& cm : model.map) {
      if (cm.form != ColumnForm::kSplit) continue;
      const int plus = cm.first + 1, minus = cm.first + 2;
      const int sp = s.STATUS[plus - 1], sm = s.STATUS[minus - 1];
      const bool plus_basic = sp >= 1 && sp <= s.M, minus_basic = sm >= 1 && sm <= s.M;
      if (plus_basic == minus_basic) continue;
      const int partner = plus_basic ? minus : plus;
      const int position = plus_basic ? sp : sm;
      statuses_.emplace_back(partner, s.STATUS[partner - 1]);
      s.STATUS[partner - 1] = kHeldOut;
      lowers_.emplace_back(position, s.BASLB[position - 1]);
      s.BASLB[position - 1] = -RVNCOM.BIG;
    }
  }
  SplitHoldOut(const SplitHoldOut&) = delete;
  SplitHoldOut& operator=(const SplitHoldOut&) = delete;
  ~SplitHoldOut() {
    for (const auto& [j, st] : statuses_) g_.s.STATUS[j - 1] = st;
    for (const auto& [i, lb] : lowers_) g_.s.BASLB[i - 1] = lb;
  }

 private:
  Engine& g_;
  std::vector<std::pair<int, int>> statuses_;
  std::vector<std::pair<int, double>> lowers_;
};

std::string number(double v) {
  if (std::isinf(v)) return v > 0 ? "+inf" : "-inf";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.7g", v == 0.0 ? 0.0 : v);
  return buf;
}

// The ranging routines stop the program on a primal or dual infeasible
// basis; this finds such a violation first, with their tolerances.
std::string optimality_fault(Engine& g, const MpsProblem& problem,
                             const std::vector<EngineVar>& vars) {
  LpSession::EngineState& s = g.s;
  const double ZL = RVNCOM.ZL, BIG = RVNCOM.BIG;
  const auto name = [&](int J) {
    const BreakVariable b = break_variable(vars, J, true);
    if (b.kind == BreakVariable::Kind::kColumn)
      return "column " + problem.columns[static_cast<std::size_t>(b.index)].name;
    if (b.kind == BreakVariable::Kind::kRow)
      return "the logical of row " + problem.rows[static_cast<std::size_t>(b.index)].name;
    return "engine column " + std::to_string(J);
  };
  for (int i = 1; i <= s.M; ++i) {
    const double x = s.XBZERO[i - 1], lo = s.BASLB[i - 1], up = s.BASUB[i - 1];
    if ((lo > -BIG && x - lo <= -ZL) || (up < BIG && up - x <= -ZL))
      return "basic " + name(s.BASIS[i - 1]) + " is out of its bounds by " +
             number(x < lo ? lo - x : x - up);
  }
  for (int J = 1; J <= s.N; ++J) {
    const int st = s.STATUS[J - 1];
    if (st != kAtLower && st != kAtUpper) continue;
    double CJ = 0.0, DJ = 0.0;
    reduced_cost(g, J, CJ, DJ);
    if (st == kAtLower ? DJ > 0.0 : DJ < 0.0)
      return "nonbasic " + name(J) + " has a reduced cost of the wrong sign (" + number(DJ) + ")";
  }
  return "";
}

// The objective at the break point VALUE of a datum now at CURRENT, moving
// at RATE.
double objective_at(double objective, double rate, double current, double value) {
  if (std::isinf(value)) {
    if (rate == 0.0) return objective;
    return (rate > 0.0) == (value > 0.0) ? kInfinity : -kInfinity;
  }
  return objective + rate * (value - current);
}

// Right-hand side of file row I in direction UP.
RangeEnd rhs_range(Engine& g, const std::vector<EngineVar>& vars, const MpsProblem& problem,
                   int I, bool UP, double objective, double rate) {
  LpSession::EngineState& s = g.s;
  int IROW = I + 1, ENTER = 0, INTYP = 0, LEAVE = 0, OUTTYP = 0, PBCODE = 0;
  bool LONG = true, up = UP;
  double BREAK = 0.0, RATE = 0.0;
  std::vector<double> BETAR(static_cast<std::size_t>((s.MAXM + 3) / 4 * 4), 0.0);
  XRANGB(s.B, s.BASIS, s.BASLB, s.BASUB, BETAR.data(), BREAK, s.COLA, s.COLI, s.COLMAX, ENTER,
         INTYP, s.IOERR, IROW, LEAVE, s.LENMA, s.LENMI, s.LENMY, LONG, s.M, s.MAPA, s.MAPI,
         s.MAXM, s.MAXN, s.MEMORY, s.N, OUTTYP, PBCODE, RATE, s.STATUS, up, s.UZERO, s.XBZERO,
         s.YQ);
  RangeEnd r;
  r.code = PBCODE;
  const double rhs = problem.rows[static_cast<std::size_t>(I)].rhs;
  if (PBCODE == kRangeNoLimit) {
    r.value = UP ? kInfinity : -kInfinity;
  } else {
    r.value = rhs + (BREAK - s.B[I]);
    r.leaving = break_variable(vars, LEAVE, OUTTYP == 1);
    if (PBCODE == kRangeBreak) r.entering = break_variable(vars, ENTER, INTYP == 1);
  }
  r.objective = objective_at(objective, rate, rhs, r.value);
  return r;
}

// The primal ratio test of engine column ENTER entering from its lower
// (INTYP 1) or upper bound: the column that then leaves, and the bound it
// reaches.  False when nothing blocks (unbounded).
bool leaving_for(Engine& g, const std::vector<EngineVar>& vars, int ENTER, int INTYP,
                 BreakVariable& leaving) {
  LpSession::EngineState& s = g.s;
  double CJ = 0.0;
  int COLLEN = 0;
  XGETAJ(CJ, s.COLA, s.COLI, COLLEN, s.COLMAX, s.IOERR, ENTER, s.LENMA, s.LENMY, s.MAPA,
         s.MEMORY);
  std::fill(s.YQ, s.YQ + s.MAXM, 0.0);
  for (int k = 0; k < COLLEN; ++k)
    if (s.COLI[k] <= s.MAXM) s.YQ[s.COLI[k] - 1] = s.COLA[k];
  XFTRAN(s.YQ, s.IOERR, s.LENMI, s.LENMY, s.M, s.MAPI, s.MAXM, s.MEMORY);
  double LQ = 0.0, UQ = 0.0, PIVOT = 0.0, THETA = 0.0;
  column_bounds(g, ENTER, LQ, UQ);
  int OUTTYP = 0, R = 0;
  bool UNBDD = false;
  XCHUZR(s.BASIS, s.BASLB, s.BASUB, INTYP, s.IOERR, LQ, s.M, s.MAXM, s.MAXN, s.N, OUTTYP, PIVOT,
         ENTER, R, s.STATUS, THETA, UNBDD, UQ, s.XBZERO, s.YQ);
  if (UNBDD) return false;
  if (OUTTYP == 0 || R < 1)  // a bound flip: the column reaches its other bound
    leaving = break_variable(vars, ENTER, INTYP != 1);
  else
    leaving = break_variable(vars, s.BASIS[R - 1], OUTTYP == 1);
  return true;
}

// Per direction, the cost ranges of every basis position (XRANGD).
struct BasicCostRanges {
  std::vector<double> BREAK;
  std::vector<int> ENTER, INTYPD, PDCODE;
};

BasicCostRanges basic_cost_ranges(Engine& g, bool UP) {
  LpSession::EngineState& s = g.s;
  const auto rows = static_cast<std::size_t>((s.MAXM + 3) / 4 * 4);
  BasicCostRanges b{std::vector<double>(rows), std::vector<int>(rows), std::vector<int>(rows),
                    std::vector<int>(rows)};
  bool up = UP;
  XRANGD(s.BASCB, s.BASIS, s.BASLB, s.BASUB, s.BNDTYP, s.BOUND, b.BREAK.data(), s.COLA, s.COLI,
         s.COLMAX, b.ENTER.data(), b.INTYPD.data(), s.IOERR, s.LENMA, s.LENMI, s.LENMY, s.M,
         s.MAPA, s.MAPI, s.MAXM, s.MAXN, s.MEMORY, s.N, g.NTYPE2, b.PDCODE.data(), s.STATUS, up,
         s.UZERO, s.XBZERO, s.YQ);
  return b;
}

// Cost range end of file column with cost COST from the basic engine
// column at position POS (file direction given by the engine's UP and the
// factor F).
RangeEnd basic_cost_end(Engine& g, const std::vector<EngineVar>& vars, const BasicCostRanges& b,
                        int pos, double f, double cost) {
  const auto p = static_cast<std::size_t>(pos - 1);
  RangeEnd r;
  r.code = b.PDCODE[p];
  if (r.code != kRangeBreak) return r;  // value set by the caller
  r.value = cost + f * (b.BREAK[p] - g.s.BASCB[p]);
  r.entering = break_variable(vars, b.ENTER[p], b.INTYPD[p] == 1);
  if (!leaving_for(g, vars, b.ENTER[p], b.INTYPD[p], r.leaving)) r.code = kRangeBeyondNone;
  return r;
}

// Cost range end of nonbasic engine column J (XRANGC, engine direction UP).
RangeEnd nonbasic_cost_end(Engine& g, const std::vector<EngineVar>& vars, int J, bool UP, double f,
                           double cost) {
  LpSession::EngineState& s = g.s;
  double CJ = 0.0, DJ = 0.0;
  reduced_cost(g, J, CJ, DJ);
  int JCOL = J, ENTER = 0, INTYP = 0, LEAVE = 0, OUTTYP = 0, PCCODE = 0;
  bool LONG = true, up = UP;
  double BREAK = 0.0, RATE = 0.0;
  std::vector<double> BETAR(static_cast<std::size_t>((s.MAXM + 3) / 4 * 4), 0.0);
  XRANGC(s.BASIS, s.BASLB, s.BASUB, BETAR.data(), s.BNDTYP, s.BOUND, BREAK, s.COLA, s.COLI,
         s.COLMAX, ENTER, INTYP, s.IOERR, JCOL, LEAVE, s.LENMA, s.LENMI, s.LENMY, LONG, s.M,
         s.MAPA, s.MAPI, s.MAXM, s.MAXN, s.MEMORY, s.N, g.NTYPE2, OUTTYP, PCCODE, RATE, s.STATUS,
         up, s.UZERO, s.XBZERO, s.YQ);
  RangeEnd r;
  r.code = PCCODE;
  if (PCCODE == kRangeNoLimit) return r;
  r.value = cost + f * (BREAK - CJ);
  r.entering = break_variable(vars, ENTER, INTYP == 1);
  if (PCCODE == kRangeBreak) {
    if (LEAVE == ENTER && OUTTYP == 0)
      r.leaving = break_variable(vars, ENTER, INTYP != 1);  // bound flip
    else
      r.leaving = break_variable(vars, LEAVE, OUTTYP == 1);
  }
  return r;
}

}  // namespace

std::string BreakVariable::label(const MpsProblem& problem) const {
  if (kind == Kind::kColumn) return problem.columns[static_cast<std::size_t>(index)].name + " " + bound;
  if (kind == Kind::kRow) return problem.rows[static_cast<std::size_t>(index)].name + " " + bound;
  return "";
}

Ranges compute_ranges(const MpsProblem& problem, const EngineModel& model, LpSession& session) {
  Ranges out;
  Engine g{session.engine_state()};
  LpSession::EngineState& s = g.s;
  const std::vector<EngineVar> vars = engine_vars(model, s.N);
  out.objective = file_objective(model, *s.Z);

  // 1. File values and row activities of the solution.
  const std::vector<double> x = file_values(model, session.column_values());
  std::vector<double> activity(problem.rows.size(), 0.0);
  for (std::size_t j = 0; j < problem.columns.size(); ++j)
    for (const MpsEntry& e : problem.columns[j].entries)
      activity[static_cast<std::size_t>(e.row)] += e.value * x[j];

  // 2. The hold-out of free-column partners, then the optimality check.
  SplitHoldOut hold(g, model);
  out.reason = optimality_fault(g, problem, vars);
  if (!out.reason.empty()) {
    out.skipped = true;
    return out;
  }

  // 3. Right-hand sides.  A logical is basic when BASIS names it: the
  // artificial of an equality row keeps its status -3 while basic.
  const int nstruct = static_cast<int>(model.columns.size());
  std::vector<bool> in_basis(static_cast<std::size_t>(s.N) + 1, false);
  for (int i = 1; i <= s.M; ++i)
    if (s.BASIS[i - 1] >= 1 && s.BASIS[i - 1] <= s.N) in_basis[static_cast<std::size_t>(s.BASIS[i - 1])] = true;
  for (std::size_t i = 0; i < problem.rows.size(); ++i) {
    RowRange rr;
    rr.activity = activity[i];
    rr.rhs = problem.rows[i].rhs;
    rr.rate = model.sense * s.UZERO[i];
    if (rr.rate == 0.0) rr.rate = 0.0;  // no negative zero
    const int J = nstruct + static_cast<int>(i) + 1;
    const int st = s.STATUS[J - 1];
    if (in_basis[static_cast<std::size_t>(J)])
      rr.status = "BS";
    else
      rr.status = file_bound(vars[static_cast<std::size_t>(J)], st != kAtUpper);
    const int I = static_cast<int>(i);
    rr.down = rhs_range(g, vars, problem, I, false, out.objective, rr.rate);
    rr.up = rhs_range(g, vars, problem, I, true, out.objective, rr.rate);
    out.rows.push_back(rr);
  }

  // 4. Costs: basic columns from XRANGD, nonbasic ones from XRANGC.
  const BasicCostRanges engine_up = basic_cost_ranges(g, true);
  const BasicCostRanges engine_down = basic_cost_ranges(g, false);
  for (std::size_t j = 0; j < problem.columns.size(); ++j) {
    const ColumnMap& cm = model.map[j];
    ColumnRange cr;
    cr.value = x[j];
    cr.cost = problem.columns[j].cost;
    cr.down.code = cr.up.code = kRangeNoLimit;
    if (cm.form == ColumnForm::kFixed) {
      cr.status = "FX";
    } else {
      // Engine parts of the column (one, or two for a free column).
      std::vector<int> parts{cm.first + 1};
      if (cm.form == ColumnForm::kSplit) parts.push_back(cm.first + 2);
      int basic = 0;
      for (int J : parts) {
        const int st = s.STATUS[J - 1];
        if (st >= 1 && st <= s.M) basic = J;
      }
      if (basic != 0) {
        cr.status = "BS";
        const double f = cost_factor(model, vars[static_cast<std::size_t>(basic)]);
        const int pos = s.STATUS[basic - 1];
        // File "up" is the engine's up when f = +1.
        cr.up = basic_cost_end(g, vars, f > 0 ? engine_up : engine_down, pos, f, cr.cost);
        cr.down = basic_cost_end(g, vars, f > 0 ? engine_down : engine_up, pos, f, cr.cost);
      } else {
        const int J0 = parts.front();
        const int st = s.STATUS[J0 - 1];
        cr.status = cm.form == ColumnForm::kSplit
                        ? "FR"
                        : file_bound(vars[static_cast<std::size_t>(J0)], st != kAtUpper);
        // Each part in each direction; per file direction the nearest
        // break point wins.
        for (int J : parts) {
          const double f = cost_factor(model, vars[static_cast<std::size_t>(J)]);
          for (const bool file_up : {false, true}) {
            const RangeEnd e = nonbasic_cost_end(g, vars, J, file_up == (f > 0), f, cr.cost);
            RangeEnd& best = file_up ? cr.up : cr.down;
            if (e.code == kRangeNoLimit) continue;
            if (best.code == kRangeNoLimit ||
                std::fabs(e.value - cr.cost) < std::fabs(best.value - cr.cost))
              best = e;
          }
        }
      }
    }
    for (const bool file_up : {false, true}) {
      RangeEnd& e = file_up ? cr.up : cr.down;
      if (e.code == kRangeNoLimit) e.value = file_up ? kInfinity : -kInfinity;
      e.objective = objective_at(out.objective, cr.value, cr.cost, e.value);
    }
    out.columns.push_back(cr);
  }
  return out;
}

std::vector<std::string> ranges_report(const MpsProblem& problem, const Ranges& ranges) {
  std::vector<std::string> lines;
  char buf[512];
  if (ranges.skipped) {
    lines.push_back("Ranging skipped: " + ranges.reason + ".");
    return lines;
  }
  std::size_t w = 8;
  for (const MpsRow& r : problem.rows) w = std::max(w, r.name.size());
  for (const MpsColumn& c : problem.columns) w = std::max(w, c.name.size());
  const int width = static_cast<int>(w);
  const auto name = [&](const BreakVariable& b, int code, const char* none) {
    const std::string l = b.label(problem);
    return l.empty() && code == kRangeBeyondNone ? std::string(none) : l;
  };
  // One datum: a line per direction.
  const auto datum = [&](const std::string& head, const char* dir, const RangeEnd& e,
                         const BreakVariable& first, const BreakVariable& second,
                         const char* none1, const char* none2) {
    std::snprintf(buf, sizeof buf, "%s  %-4s %14s %14s  %-*s  %-*s", head.c_str(), dir,
                  number(e.value).c_str(), number(e.objective).c_str(), width + 3,
                  name(first, e.code, none1).c_str(), width + 3, name(second, e.code, none2).c_str());
    std::string line = buf;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  };

  lines.push_back("");
  lines.push_back(std::string("Right-hand-side ranging (objective ") +
                  (problem.maximize ? "maximised" : "minimised") +
                  "; rate = objective change per unit increase of the RHS;");
  lines.push_back("leaving: the variable and the bound it reaches; entering: the bound it leaves)");
  std::snprintf(buf, sizeof buf, "%-*s %-2s %14s %14s %14s  %-4s %14s %14s  %-*s  %s", width, "Row",
                "St", "Activity", "RHS", "Rate", "Dir", "Break point", "Objective", width + 3,
                "Leaving", "Entering");
  lines.push_back(buf);
  for (std::size_t i = 0; i < problem.rows.size() && i < ranges.rows.size(); ++i) {
    const RowRange& r = ranges.rows[i];
    std::snprintf(buf, sizeof buf, "%-*s %-2s %14s %14s %14s", width, problem.rows[i].name.c_str(),
                  r.status.c_str(), number(r.activity).c_str(), number(r.rhs).c_str(),
                  number(r.rate).c_str());
    datum(buf, "down", r.down, r.down.leaving, r.down.entering, "", "(infeasible)");
    datum(std::string(static_cast<std::size_t>(width) + 48, ' '), "up", r.up, r.up.leaving,
          r.up.entering, "", "(infeasible)");
  }

  lines.push_back("");
  lines.push_back("Cost ranging (rate = the column's value; entering: the variable and the bound "
                  "it leaves;");
  lines.push_back("leaving: the bound it reaches)");
  std::snprintf(buf, sizeof buf, "%-*s %-2s %14s %14s %14s  %-4s %14s %14s  %-*s  %s", width,
                "Column", "St", "Value", "Cost", "", "Dir", "Break point", "Objective", width + 3,
                "Entering", "Leaving");
  std::string head = buf;
  lines.push_back(head);
  for (std::size_t j = 0; j < problem.columns.size() && j < ranges.columns.size(); ++j) {
    const ColumnRange& c = ranges.columns[j];
    std::snprintf(buf, sizeof buf, "%-*s %-2s %14s %14s %14s", width,
                  problem.columns[j].name.c_str(), c.status.c_str(), number(c.value).c_str(),
                  number(c.cost).c_str(), "");
    datum(buf, "down", c.down, c.down.entering, c.down.leaving, "", "(unbounded)");
    datum(std::string(static_cast<std::size_t>(width) + 48, ' '), "up", c.up, c.up.entering,
          c.up.leaving, "", "(unbounded)");
  }
  return lines;
}

MpsProblem with_rhs_change(const MpsProblem& problem, const RhsChange& change) {
  MpsProblem p = problem;
  for (MpsRow& r : p.rows) r.rhs = change.scale * r.rhs + change.shift;
  return p;
}

std::string dual_status_text(int dterm) {
  switch (dterm) {
    case kDtermOptimal: return "optimal";
    case kDtermInfeasible: return "infeasible";
    case kDtermDualLost: return "dual feasibility lost";
    case kDtermInaccurate: return "optimal (residual check failed)";
    case kDtermNoDualStart: return "no dual feasible start";
    case kDtermAbandoned: return "abandoned";
    default: return "other (DTERM " + std::to_string(dterm) + ")";
  }
}

DualResult dual_resolve(const MpsProblem& problem, const EngineModel& model, LpSession& session,
                        const RhsChange& change, int factor, int print) {
  Engine g{session.engine_state()};
  LpSession::EngineState& s = g.s;
  const auto start = std::chrono::steady_clock::now();

  // 1. The new right-hand sides: the RHS values move by (scale-1)*b + shift;
  // the engine's limits, which differ from them by the folded columns, move
  // alike (both limits of a two-sided row, so its width stays).
  for (std::size_t i = 0; i < problem.rows.size() && !model.dummy_row; ++i) {
    const double b = problem.rows[i].rhs;
    const double moved = (change.scale * b + change.shift) - b;
    s.B[i] += moved;
    s.BLOW[i] += moved;
  }

  // 2. Dual simplex from the basis in place; its prices are still those of
  // the optimum, since no cost changed.
  std::vector<double> BETAR(static_cast<std::size_t>((s.MAXM + 3) / 4 * 4), 0.0);
  int DFEASQ = 0, DTERM = 0, DUNBR = 0, ITERD = 0, FACTOR = factor, PRINT = print;
  XDUAL(s.B, s.BASCB, s.BASIS, s.BASLB, s.BASUB, BETAR.data(), s.BNDTYP, s.BOUND, s.COLA, s.COLI,
        s.COLMAX, DFEASQ, DTERM, DUNBR, FACTOR, s.IOERR, s.IOLOG, ITERD, s.LENMA, s.LENMI,
        s.LENMY, s.M, s.MAPA, s.MAPI, s.MAXM, s.MAXN, s.MEMORY, s.N, g.NTYPE2, PRINT, s.STATUS,
        s.UZERO, s.XBZERO, s.YQ, *s.Z);
  DualResult r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.dterm = DTERM;
  r.iterations = ITERD;
  r.objective = file_objective(model, *s.Z);
  // DUNBR is a basis position, not a constraint row: name its variable.
  if ((DTERM == kDtermInfeasible || DTERM == kDtermAbandoned) && DUNBR >= 1 && DUNBR <= s.M) {
    r.row = DUNBR;
    r.basic = s.BASIS[DUNBR - 1];
  }
  if (DTERM == kDtermDualLost || DTERM == kDtermNoDualStart) r.column = DFEASQ;
  return r;
}

std::vector<std::string> dual_report(const MpsProblem& problem, const EngineModel& model,
                                     const RhsChange& change, const DualResult& result) {
  std::vector<std::string> lines;
  char buf[512];
  lines.push_back("");
  std::snprintf(buf, sizeof buf, "Dual re-solve: every RHS value b replaced by %.12g * b %c %.12g",
                change.scale, std::signbit(change.shift) ? '-' : '+', std::fabs(change.shift));
  lines.push_back(buf);
  std::string status = dual_status_text(result.dterm);
  const std::vector<EngineVar> vars =
      engine_vars(model, static_cast<int>(model.columns.size()) + model.M);
  const auto named = [&](int J, bool stuck) {
    const BreakVariable b = break_variable(vars, J, true);
    if (b.kind == BreakVariable::Kind::kNone) return std::string();
    const bool row = b.kind == BreakVariable::Kind::kRow;
    const std::string label = b.label(problem);
    const char* why = !stuck ? "" : row ? " cannot be brought within its limits"
                                        : " cannot be brought within its bounds";
    return std::string(" (") + (row ? "row " : "column ") + label.substr(0, label.rfind(' ')) +
           why + ")";
  };
  if (result.basic >= 1) status += named(result.basic, true);
  if (result.column >= 1) status += named(result.column, false);
  lines.push_back("Status:     " + status);
  if (result.dterm == kDtermOptimal || result.dterm == kDtermInaccurate) {
    std::snprintf(buf, sizeof buf, "Objective:  %.12g", result.objective);
    lines.push_back(buf);
  }
  std::snprintf(buf, sizeof buf, "Iterations: %d (dual simplex)", result.iterations);
  lines.push_back(buf);
  std::snprintf(buf, sizeof buf, "Time:       %.3f s", result.seconds);
  lines.push_back(buf);
  return lines;
}

}  // namespace tools
