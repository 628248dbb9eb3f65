// Whole solves of random LPs checked by an independent optimality test:
// with the data as the store holds it (32-bit), the solution must be primal
// feasible, the prices dual feasible, the two complementary.  Infeasible
// LPs must end with TERMIN 3; unbounded ones with TERMIN 2 and a true ray.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <sstream>
#include <string>
#include <vector>

#include "postopt_test_support.h"
#include "tests/dense_solve.h"
#include "store_test_support.h"

namespace {

using lp_test::EngineLp;
using lp_test::LpColumn;
using lp_test::LpData;
using lp_test::UnitEightTest;

constexpr double kBig = 1.0e30;

enum class Kind { kFeasible, kInfeasible, kUnbounded };

struct Generated {
  LpData lp_data;
  Kind kind = Kind::kFeasible;
};

// A random feasible bounded LP, possibly made infeasible (a row pair or a
// column fixed below its lower bound) or unbounded (a profitable column
// relaxing the bounding row, which is the last row).
Generated generate(unsigned seed, int maxm = 10, int maxn = 18) {
  Generated out;
  LpData& s = out.lp_data;
  s = lp_test::random_lp(seed, maxm, maxn);
  std::mt19937 g(seed * 31u + 7u);
  auto uni = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(g);
  };
  const int n = static_cast<int>(s.cols.size()), bounding = s.M;
  const int kindpick = uni(0, 9);
  out.kind = kindpick < 7 ? Kind::kFeasible
             : kindpick < 9 ? Kind::kInfeasible
                            : Kind::kUnbounded;
  auto add_row = [&](int type, double b) {
    ++s.M;
    s.rowtyp.push_back(type);
    s.b.push_back(b);
    s.blow.push_back(0.0);
  };
  if (out.kind == Kind::kInfeasible) {
    const int j1 = uni(0, n - 1), j2 = uni(0, n - 1);
    if (uni(0, 1) == 0) {  // the same form at most 1 and at least 2
      for (int t = 0; t < 2; ++t) {
        add_row(t == 0 ? 1 : -1, t == 0 ? 1.0 : 2.0);
        s.cols[j1].a.emplace_back(s.M, 1.0);
        if (j2 != j1) s.cols[j2].a.emplace_back(s.M, -2.0);
      }
    } else {
      add_row(0, s.cols[j1].l - 1.0);
      s.cols[j1].a.emplace_back(s.M, 1.0);
    }
  }
  if (out.kind == Kind::kUnbounded) {
    s.cols.push_back(LpColumn{1.0, {{bounding, -1.0}}, 0.0, kBig});
    s.NTYPE2 = std::min<int>(s.NTYPE2, n);
  }
  return out;
}

// Bounds of column j (1..N, logicals included) of the solved LP.
struct Bounds {
  double l, u;
};

Bounds column_bounds(const LpData& s, int j) {
  const int ns = static_cast<int>(s.cols.size());
  if (j <= ns) {
    const LpColumn& c = s.cols[j - 1];
    switch (s.BNDTYP) {
      case 1: return {0.0, kBig};
      case 2: return {0.0, j <= s.NTYPE2 ? s.BOUND : kBig};
      case 3: return {0.0, c.u};
      default: return {c.l, c.u};
    }
  }
  const int i = j - ns;
  const int t = s.rowtyp[i - 1];
  if (t <= -2) return {-kBig, kBig};
  if (t == 0) return {0.0, 0.0};
  if (t == 2) return {0.0, s.b[i - 1] - s.blow[i - 1]};
  return {0.0, kBig};
}

// Dense column j (1..N) of the LP with its logical columns, and its cost.
std::vector<double> dense_column(const LpData& s, int j, double& cost) {
  std::vector<double> a(s.M, 0.0);
  const int ns = static_cast<int>(s.cols.size());
  if (j <= ns) {
    const LpColumn& c = s.cols[j - 1];
    cost = static_cast<float>(c.c);
    for (auto [r, v] : c.a) a[r - 1] += static_cast<float>(v);
  } else {
    cost = 0.0;
    const int i = j - ns;
    a[i - 1] = (s.rowtyp[i - 1] == -1) ? -1.0 : 1.0;
  }
  return a;
}

// The optimality test.  Returns an empty string when the solution and
// prices are optimal, else what fails.
std::string check_optimal(const LpData& s, EngineLp& e) {
  std::ostringstream why;
  const int N = e.N;
  const double tol = 1.0e-6;
  std::vector<double> x(N + 1), res(s.M, 0.0);
  double obj = 0.0, scale = 1.0;
  for (int j = 1; j <= N; ++j) {
    x[j] = e.value(j);
    const Bounds bd = column_bounds(s, j);
    const double t = tol * std::max(1.0, std::fabs(x[j]));
    if (x[j] < bd.l - t || x[j] > bd.u + t)
      why << "column " << j << " value " << x[j] << " outside [" << bd.l
          << ", " << bd.u << "]\n";
    double c = 0.0;
    std::vector<double> a = dense_column(s, j, c);
    obj += c * x[j];
    for (int i = 0; i < s.M; ++i) {
      res[i] += a[i] * x[j];
      scale = std::max(scale, std::fabs(a[i] * x[j]));
    }
    // Reduced cost and its sign at the column's position.
    double d = c;
    for (int i = 0; i < s.M; ++i) d -= e.UZERO[i] * a[i];
    const double dt = tol * 10.0;
    const bool at_l = std::fabs(x[j] - bd.l) <= t;
    const bool at_u = std::fabs(x[j] - bd.u) <= t;
    if (at_l && at_u) continue;  // fixed
    if (at_l ? d > dt : at_u ? d < -dt : std::fabs(d) > dt)
      why << "column " << j << " value " << x[j] << " reduced cost " << d
          << (at_l ? " at lower" : at_u ? " at upper" : " between") << "\n";
  }
  for (int i = 0; i < s.M; ++i)
    if (std::fabs(res[i] - s.b[i]) > tol * scale)
      why << "row " << i + 1 << " residual " << res[i] - s.b[i] << "\n";
  if (std::fabs(obj - e.Z) > tol * std::max(1.0, std::fabs(obj)))
    why << "objective " << e.Z << " but c x = " << obj << "\n";
  return why.str();
}

// TERMIN 2: column UNBDDQ moved away from its bound, with the basic
// variables following, must raise the objective without limit.
std::string check_ray(const LpData& s, EngineLp& e) {
  std::ostringstream why;
  const int q = e.UNBDDQ;
  if (q < 1 || q > e.N) return "UNBDDQ out of range";
  const int st = e.STATUS[q - 1];
  if (st != 0 && st != -1) why << "UNBDDQ " << q << " has status " << st;
  double cq;
  std::vector<double> aq = dense_column(s, q, cq);
  const Bounds bq = column_bounds(s, q);
  const double dir = (st == -1) ? -1.0 : 1.0;
  if (dir > 0 && bq.u < kBig) why << "ray column has a finite upper bound";
  if (dir < 0 && bq.l > -kBig) why << "ray column has a finite lower bound";
  std::vector<std::vector<double>> bm(s.M, std::vector<double>(s.M));
  for (int k = 0; k < s.M; ++k) {  // B d = aq, dense
    double c;
    const std::vector<double> col = dense_column(s, e.BASIS[k], c);
    for (int i = 0; i < s.M; ++i) bm[i][k] = col[i];
  }
  const std::vector<double> d = testref::gauss_solve(std::move(bm), aq);
  double gain = cq * dir;
  for (int k = 0; k < s.M; ++k) {
    double cb;
    dense_column(s, e.BASIS[k], cb);
    const double move = -dir * d[k];  // basic k changes by move * t
    gain += cb * move;
    const Bounds bb = column_bounds(s, e.BASIS[k]);
    if (move < -1e-9 && bb.l > -kBig)
      why << "basic " << e.BASIS[k] << " falls to its lower bound\n";
    if (move > 1e-9 && bb.u < kBig)
      why << "basic " << e.BASIS[k] << " rises to its upper bound\n";
  }
  if (gain <= 1e-9) why << "objective does not rise along the ray: " << gain;
  return why.str();
}

class PrimalSolve : public UnitEightTest {};

struct Tally {
  int optimal = 0, infeasible = 0, unbounded = 0;
};

void solve_and_check(unsigned seed, int factor, int look, int pick,
                     Tally& tally) {
  Generated gen = generate(seed);
  EngineLp e(gen.lp_data, pick);
  e.FACTOR = factor;
  e.LOOK = look;
  const int termin = e.solve();
  SCOPED_TRACE("seed " + std::to_string(seed));
  EXPECT_EQ(e.LOOK, look) << "LOOK restored";
  switch (gen.kind) {
    case Kind::kFeasible:
      ASSERT_EQ(termin, 1);
      EXPECT_EQ(check_optimal(gen.lp_data, e), "");
      ++tally.optimal;
      break;
    case Kind::kInfeasible:
      EXPECT_EQ(termin, 3);
      ++tally.infeasible;
      break;
    case Kind::kUnbounded:
      ASSERT_EQ(termin, 2);
      EXPECT_EQ(check_ray(gen.lp_data, e), "");
      ++tally.unbounded;
      break;
  }
}

// The solver's settings, then small windows and frequent refactorisation,
// then the solver's settings within a feasibility band (whose solutions
// the test's tolerance accepts).
TEST_F(PrimalSolve, RandomLpsUnderThreeSettings) {
  struct Setting {
    unsigned first;
    int factor, look, pick;
    double band;
  };
  const Setting settings[] = {
      {1, 50, 200, 10, 0.0}, {1001, 2, 3, 2, 0.0}, {2001, 50, 200, 10, 1.0e-8}};
  for (const auto& [first, factor, look, pick, width] : settings) {
    const lp::FeasibilityBand band(width, 100.0 * width);
    Tally t;
    for (unsigned seed = first; seed < first + 300u; ++seed) {
      solve_and_check(seed, factor, look, pick, t);
      if (HasFatalFailure()) return;
    }
    EXPECT_GT(t.optimal, 150);
    EXPECT_GT(t.infeasible, 30);
    EXPECT_GT(t.unbounded, 10);
  }
}

}  // namespace
