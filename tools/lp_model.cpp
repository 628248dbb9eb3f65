// lp_model.cpp — MPS problem to engine form (substitutions for columns without
// a finite lower bound), workspace sizing, and recovery of file values.
#include "tools/lp_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tools {

namespace {

// Rounds up to a multiple of 4, as the workspace map does with capacities.
std::int64_t round4(std::int64_t v) { return (v + 3) / 4 * 4; }

}  // namespace

EngineModel build_engine_model(const MpsProblem& problem) {
  EngineModel m;
  m.sense = problem.maximize ? 1.0 : -1.0;
  m.constant = problem.objective_constant;

  // 1. Rows: kinds and limits as the file gives them.
  const auto nrows = problem.rows.size();
  m.dummy_row = nrows == 0;
  m.M = m.dummy_row ? 1 : static_cast<int>(nrows);
  m.ROWTYP.assign(static_cast<std::size_t>(m.M), kRowFree);
  m.B.assign(static_cast<std::size_t>(m.M), 0.0);
  m.BLOW.assign(static_cast<std::size_t>(m.M), 0.0);
  bool two_sided = false;
  for (std::size_t i = 0; i < nrows; ++i) {
    const MpsRow& row = problem.rows[i];
    switch (row.kind()) {
      case RowKind::kLessEqual:
        m.ROWTYP[i] = kRowLessEqual;
        m.B[i] = row.rhs;
        break;
      case RowKind::kGreaterEqual:
        m.ROWTYP[i] = kRowGreaterEqual;
        m.B[i] = row.rhs;
        break;
      case RowKind::kEqual:
        m.ROWTYP[i] = kRowEqual;
        m.B[i] = row.rhs;
        break;
      case RowKind::kRanged:
        m.ROWTYP[i] = kRowRanged;
        m.B[i] = row.upper();
        m.BLOW[i] = row.lower();
        two_sided = true;
        break;
    }
  }

  // 2. Columns, with the substitutions for missing lower bounds.
  bool plain = true;  // every engine column 0 .. infinity
  const auto add = [&](const MpsColumn& c, double sign, double lower, double upper) {
    EngineColumn e;
    e.cost = m.sense * sign * c.cost;
    for (const MpsEntry& en : c.entries) {
      e.rows.push_back(en.row + 1);
      e.values.push_back(sign * en.value);
    }
    if (e.rows.empty()) {
      e.rows.push_back(1);
      e.values.push_back(0.0);
    }
    e.lower = lower;
    e.upper = std::isinf(upper) ? kEngineBig : upper;
    if (e.lower != 0.0 || e.upper < kEngineBig) plain = false;
    m.nonzeros += static_cast<std::int64_t>(e.rows.size());
    m.colmax = std::max(m.colmax, static_cast<int>(e.rows.size()));
    m.columns.push_back(std::move(e));
  };
  for (const MpsColumn& c : problem.columns) {
    ColumnMap cm;
    cm.first = static_cast<int>(m.columns.size());
    if (c.lower == c.upper) {
      // Fixed: folded into the row limits and the objective constant.
      cm.form = ColumnForm::kFixed;
      cm.first = -1;
      cm.offset = c.lower;
      for (const MpsEntry& en : c.entries) {
        const auto i = static_cast<std::size_t>(en.row);
        m.B[i] -= en.value * c.lower;
        if (m.ROWTYP[i] == kRowRanged) m.BLOW[i] -= en.value * c.lower;
      }
      m.constant += c.cost * c.lower;
    } else if (!std::isinf(c.lower)) {
      cm.form = ColumnForm::kDirect;
      add(c, 1.0, c.lower, c.upper);
    } else if (!std::isinf(c.upper)) {
      // x = u - y, y >= 0.
      cm.form = ColumnForm::kNegated;
      cm.offset = c.upper;
      add(c, -1.0, 0.0, kInfinity);
      for (const MpsEntry& en : c.entries) {
        const auto i = static_cast<std::size_t>(en.row);
        m.B[i] -= en.value * c.upper;
        if (m.ROWTYP[i] == kRowRanged) m.BLOW[i] -= en.value * c.upper;
      }
      m.constant += c.cost * c.upper;
    } else {
      // x = y1 - y2, y1, y2 >= 0.
      cm.form = ColumnForm::kSplit;
      add(c, 1.0, 0.0, kInfinity);
      add(c, -1.0, 0.0, kInfinity);
    }
    m.map.push_back(cm);
  }
  m.BNDTYP = (plain && !two_sided) ? 1 : 4;
  return m;
}

EngineSizes engine_sizes(const EngineModel& model, double memory_factor) {
  EngineSizes s;
  const auto M = static_cast<std::int64_t>(model.M);
  const auto N = static_cast<std::int64_t>(model.columns.size());
  s.MAXM = M;
  s.MAXN = N + M;
  s.MAXA = model.nonzeros + M;
  const std::int64_t lmaxa = round4(s.MAXA), lmaxm = round4(s.MAXM), lmaxn = round4(s.MAXN);

  // Fixed part, laid out as the workspace map does it.
  const std::int64_t bound_slots =
      model.BNDTYP == 4 ? 2 * (lmaxn / 2) : model.BNDTYP == 3 ? lmaxn / 2 : 0;
  const std::int64_t mapa9 = 1 + bound_slots + lmaxn / 2 + lmaxa / 2 + (lmaxn / 2 + 1) + lmaxa / 2 + 2;
  const std::int64_t memreq = mapa9 + lmaxm + 10 * (lmaxm / 2) + 4;

  // Factor storage: the map insists on three times its estimate of the
  // nonzeros of a full basis (rows x rows x density); ask for four, and at
  // least eight times the matrix so that fill-in rarely forces compressions.
  const double dense = static_cast<double>(lmaxa) / (static_cast<double>(lmaxn) * static_cast<double>(lmaxm));
  const auto nonzb = static_cast<std::int64_t>(static_cast<double>(lmaxm) * static_cast<double>(lmaxm) * dense);
  std::int64_t ia = std::max({4 * nonzb + 64, 8 * lmaxa, std::int64_t{4096}});
  // A factor below about 0.4 falls under the map's growth demand: the map
  // then stops the run, which is the caller's choice.
  if (memory_factor > 0.0 && memory_factor != 1.0)
    ia = std::max<std::int64_t>(8, static_cast<std::int64_t>(static_cast<double>(ia) * memory_factor));
  ia = round4(ia);
  s.IA = ia;
  const std::int64_t left = 2 * (ia + 8);
  // The map passes LEFT/2 through a 32-bit real; its rounding may grant a
  // few slots more than asked, which must exist.
  s.LENMY = memreq + left + 8 + left / (std::int64_t{1} << 23);
  const std::int64_t limit = std::numeric_limits<std::int32_t>::max();
  s.fits_int32 = s.LENMY <= limit && s.MAXA <= limit && s.MAXN <= limit && s.MAXM <= limit;
  return s;
}

std::vector<double> file_values(const EngineModel& model, const std::vector<double>& y) {
  std::vector<double> x(model.map.size());
  for (std::size_t j = 0; j < model.map.size(); ++j) {
    const ColumnMap& cm = model.map[j];
    const auto k = static_cast<std::size_t>(std::max(cm.first, 0));
    switch (cm.form) {
      case ColumnForm::kDirect: x[j] = cm.offset + y[k]; break;
      case ColumnForm::kNegated: x[j] = cm.offset - y[k]; break;
      case ColumnForm::kSplit: x[j] = y[k] - y[k + 1]; break;
      case ColumnForm::kFixed: x[j] = cm.offset; break;
    }
  }
  return x;
}

}  // namespace tools
