// Whole solves of random LPs by the primal driver, each checked by an
// optimality test written here: with the data rounded to 32-bit reals (as
// the store holds it), the returned solution must be primal feasible, the
// returned prices dual feasible, and the two complementary.  Infeasible
// LPs must end with TERMIN 3; unbounded ones with TERMIN 2 and a column
// that is a true unbounded ray.  Every row type and bound type occurs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "primal_support.h"
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

float rnd_value(std::mt19937& g, bool integers) {
  if (integers) {
    std::uniform_int_distribution<int> d(-3, 3);
    int v = d(g);
    return static_cast<float>(v == 0 ? 1 : v);
  }
  std::uniform_real_distribution<double> d(-2.0, 2.0);
  return static_cast<float>(d(g));
}

// A random LP that is feasible (a point X0 within the bounds satisfies
// every row) and bounded (a row bounds the sum of all columns from above,
// and every column has a lower bound), then possibly made infeasible or
// unbounded by an added row pair or column.
Generated generate(unsigned seed, int maxm = 10, int maxn = 18) {
  std::mt19937 g(seed);
  auto uni = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(g);
  };
  auto real = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(g);
  };
  Generated out;
  LpData& s = out.lp_data;
  const int mrand = uni(1, maxm);
  const int n = uni(1, maxn);
  s.BNDTYP = uni(1, 4);
  const bool integers = uni(0, 1) == 1;  // small integers: degeneracy
  const double density = real(0.2, 0.7);
  if (s.BNDTYP == 2) {
    s.BOUND = static_cast<float>(real(0.5, 4.0));
    s.NTYPE2 = uni(0, n);
  }
  const int kindpick = uni(0, 9);
  out.kind = kindpick < 7 ? Kind::kFeasible
             : kindpick < 9 ? Kind::kInfeasible
                            : Kind::kUnbounded;

  // Columns, bounds and the feasible point.
  std::vector<double> x0(n);
  for (int j = 0; j < n; ++j) {
    LpColumn c;
    c.c = static_cast<float>(integers ? uni(-4, 4) : real(-3.0, 3.0));
    double l = 0.0, u = kBig;
    if (s.BNDTYP == 2 && j + 1 <= s.NTYPE2) u = s.BOUND;
    if (s.BNDTYP >= 3 && uni(0, 2) > 0) u = static_cast<float>(real(0.0, 5.0));
    if (s.BNDTYP >= 3 && uni(0, 5) == 0) u = 0.0;  // fixed at zero
    if (s.BNDTYP == 4 && uni(0, 1) == 1) {
      l = static_cast<float>(real(-3.0, 1.0));
      if (u < kBig) u = std::max(u, l + (uni(0, 4) == 0 ? 0.0 : 1.0));
      u = (u < kBig) ? static_cast<float>(u) : u;
    }
    c.l = l;
    c.u = u;
    // The point: often at a bound (degenerate vertices).
    const int where = uni(0, 3);
    if (where == 0 || (where == 1 && u >= kBig))
      x0[j] = l;
    else if (where == 1)
      x0[j] = u;
    else
      x0[j] = l + real(0.0, std::min(u, l + 3.0) - l);
    s.cols.push_back(c);
  }
  for (int i = 1; i <= mrand; ++i)
    for (int j = 0; j < n; ++j)
      if (real(0.0, 1.0) < density)
        s.cols[j].a.emplace_back(i, rnd_value(g, integers));

  // Row types and right-hand sides from the point's activities.
  for (int i = 1; i <= mrand; ++i) {
    double act = 0.0;
    for (int j = 0; j < n; ++j)
      for (auto [r, v] : s.cols[j].a)
        if (r == i) act += v * x0[j];
    int type;
    do {
      const int pick = uni(0, 6);
      const int types[] = {0, 1, 2, -1, -2, 5, -3};
      type = types[pick];
    } while (type == 2 && s.BNDTYP < 3);
    const bool tight = uni(0, 1) == 0;
    const double gap = tight ? 0.0 : real(0.0, 2.0);
    double b = act, blow = 0.0;
    switch (type) {
      case 0: b = act; break;
      case 1: case 5: b = act + gap; break;
      case -1: b = act - gap; break;
      case 2: b = act + gap; blow = act - (uni(0, 1) ? 0.0 : real(0.0, 2.0));
        break;
      default: b = real(-5.0, 5.0); break;  // free row
    }
    s.rowtyp.push_back(type);
    s.b.push_back(b);
    s.blow.push_back(blow);
  }
  // The bounding row: sum of all columns at most (sum of X0) + slack.
  {
    double sum = 0.0;
    for (int j = 0; j < n; ++j) sum += x0[j];
    const int row = mrand + 1;
    for (int j = 0; j < n; ++j) s.cols[j].a.emplace_back(row, 1.0);
    s.rowtyp.push_back(1);
    s.b.push_back(sum + (uni(0, 1) ? 0.0 : real(0.0, 3.0)));
    s.blow.push_back(0.0);
  }
  int m = mrand + 1;
  if (out.kind == Kind::kInfeasible) {
    if (uni(0, 1) == 0 || n < 1) {
      // The same form at most 1 and at least 2.
      const int j1 = uni(0, n - 1), j2 = uni(0, n - 1);
      for (int t = 0; t < 2; ++t) {
        ++m;
        s.cols[j1].a.emplace_back(m, 1.0);
        if (j2 != j1) s.cols[j2].a.emplace_back(m, -2.0);
        s.rowtyp.push_back(t == 0 ? 1 : -1);
        s.b.push_back(t == 0 ? 1.0 : 2.0);
        s.blow.push_back(0.0);
      }
    } else {
      // One column equal to a value below its lower bound.
      const int j = uni(0, n - 1);
      ++m;
      s.cols[j].a.emplace_back(m, 1.0);
      s.rowtyp.push_back(0);
      s.b.push_back(s.cols[j].l - 1.0);
      s.blow.push_back(0.0);
    }
  }
  if (out.kind == Kind::kUnbounded) {
    // A profitable column that only relaxes the bounding row.
    LpColumn c;
    c.c = 1.0;
    c.a = {{mrand + 1, -1.0}};
    c.l = 0.0;
    c.u = kBig;
    s.cols.push_back(c);
    if (s.BNDTYP == 2) s.NTYPE2 = std::min<int>(s.NTYPE2, n);
  }
  s.M = m;
  return out;
}

// Bounds of column j (1..N, logicals included) of the solved LP.
struct Bounds {
  double l, u;
};

Bounds column_bounds(const LpData& s, int j) {
  const int ns = static_cast<int>(s.cols.size());
  if (j <= ns || j > ns + s.M) {
    const LpColumn& c = j <= ns ? s.cols[j - 1] : s.extra[j - ns - s.M - 1];
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
  if (j <= ns || j > ns + s.M) {
    const LpColumn& c = j <= ns ? s.cols[j - 1] : s.extra[j - ns - s.M - 1];
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

// Dense solve of B d = a (B from the basis columns), partial pivoting.
std::vector<double> dense_solve(const LpData& s, EngineLp& e,
                                std::vector<double> rhs) {
  const int m = s.M;
  std::vector<std::vector<double>> bm(m, std::vector<double>(m));
  for (int k = 0; k < m; ++k) {
    double c;
    std::vector<double> col = dense_column(s, e.BASIS[k], c);
    for (int i = 0; i < m; ++i) bm[i][k] = col[i];
  }
  std::vector<int> perm(m);
  for (int i = 0; i < m; ++i) perm[i] = i;
  for (int k = 0; k < m; ++k) {
    int p = k;
    for (int i = k + 1; i < m; ++i)
      if (std::fabs(bm[i][k]) > std::fabs(bm[p][k])) p = i;
    std::swap(bm[k], bm[p]);
    std::swap(rhs[k], rhs[p]);
    for (int i = k + 1; i < m; ++i) {
      const double f = bm[i][k] / bm[k][k];
      for (int c = k; c < m; ++c) bm[i][c] -= f * bm[k][c];
      rhs[i] -= f * rhs[k];
    }
  }
  std::vector<double> d(m);
  for (int k = m - 1; k >= 0; --k) {
    double v = rhs[k];
    for (int c = k + 1; c < m; ++c) v -= bm[k][c] * d[c];
    d[k] = v / bm[k][k];
  }
  return d;
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
  std::vector<double> d = dense_solve(s, e, aq);
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
  int optimal = 0, infeasible = 0, unbounded = 0, degenerate = 0, iters = 0;
};

void solve_and_check(unsigned seed, int factor, int look, int pick,
                     Tally& tally, int maxm = 10, int maxn = 18) {
  Generated gen = generate(seed, maxm, maxn);
  EngineLp e(gen.lp_data, pick);
  e.FACTOR = factor;
  e.LOOK = look;
  const int termin = e.solve();
  SCOPED_TRACE("seed " + std::to_string(seed));
  EXPECT_EQ(e.LOOK, look) << "LOOK restored";
  tally.iters += e.ITER1 + e.ITER2;
  switch (gen.kind) {
    case Kind::kFeasible:
      ASSERT_EQ(termin, 1);
      EXPECT_EQ(check_optimal(gen.lp_data, e), "");
      ++tally.optimal;
      for (int i = 0; i < e.M; ++i)
        if (e.XBZERO[i] == 0.0) {
          ++tally.degenerate;
          break;
        }
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

TEST_F(PrimalSolve, RandomLpsWithTheSolversSettings) {
  Tally t;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    solve_and_check(seed, 50, 200, 10, t);
    if (HasFatalFailure()) return;
  }
  std::printf("optimal %d infeasible %d unbounded %d degenerate %d iters %d\n",
              t.optimal, t.infeasible, t.unbounded, t.degenerate, t.iters);
  EXPECT_GT(t.optimal, 150);
  EXPECT_GT(t.infeasible, 30);
  EXPECT_GT(t.unbounded, 10);
  EXPECT_GT(t.degenerate, 50);
}

TEST_F(PrimalSolve, RandomLpsWithSmallWindowsAndFrequentRefactorisation) {
  Tally t;
  for (unsigned seed = 1001; seed <= 1300; ++seed) {
    solve_and_check(seed, 2, 3, 2, t);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(t.optimal, 150);
}

TEST_F(PrimalSolve, LargerRandomLpsExerciseUpdatesAndRefactorisation) {
  Tally t;
  for (unsigned seed = 5001; seed <= 5100; ++seed) {
    solve_and_check(seed, seed % 2 ? 50 : 7, seed % 3 ? 200 : 11, 10, t, 40,
                    90);
    if (HasFatalFailure()) return;
  }
  std::printf("optimal %d infeasible %d unbounded %d degenerate %d iters %d\n",
              t.optimal, t.infeasible, t.unbounded, t.degenerate, t.iters);
  EXPECT_GT(t.optimal, 50);
  EXPECT_GT(t.iters, 2000);
}

TEST_F(PrimalSolve, WarmStartAfterAppendingColumnsWithFillerEntries) {
  // As the column-generation solver does: solve, append columns through
  // XREPAJ (each reserving COLMAX positions, filler entries naming row
  // MAXM = M + 1), solve again from the last basis.
  int solved = 0;
  for (unsigned seed = 7001; seed <= 7100; ++seed) {
    Generated gen = generate(seed);
    if (gen.kind != Kind::kFeasible) continue;
    EngineLp e(gen.lp_data, 10, /*extra_rows=*/1);
    ASSERT_EQ(e.solve(), 1);
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> d(-2.0, 2.0);
    for (int round = 0; round < 2; ++round) {
      LpColumn c;
      c.c = static_cast<float>(d(g) + 1.0);
      for (int i = 1; i < e.M; ++i)
        if (d(g) > 0.0) c.a.emplace_back(i, static_cast<float>(d(g)));
      c.a.emplace_back(e.M, 1.0f);  // in the bounding row: stays bounded
      c.u = (e.BNDTYP >= 3) ? 2.0 : kBig;
      gen.lp_data.extra.push_back(c);
      e.data_.extra.push_back(c);
      int termin = 0;
      try {
        e.append_with_repaj(c);
        termin = e.primal();
      } catch (const lp_test::Stopped&) {
        for (const std::string& l : lines()) ADD_FAILURE() << l;
        return;
      }
      SCOPED_TRACE("seed " + std::to_string(seed));
      ASSERT_EQ(termin, 1);
      EXPECT_EQ(check_optimal(gen.lp_data, e), "");
      ++solved;
    }
  }
  EXPECT_GT(solved, 80);
}

TEST_F(PrimalSolve, WarmStartFromTheOptimalBasisNeedsNoIteration) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    Generated gen = generate(seed);
    if (gen.kind != Kind::kFeasible) continue;
    EngineLp e(gen.lp_data);
    ASSERT_EQ(e.solve(), 1);
    const double z = e.Z;
    ASSERT_EQ(e.primal(), 1) << "seed " << seed;
    EXPECT_EQ(e.ITER1, 0);
    EXPECT_EQ(e.ITER2, 0);
    EXPECT_NEAR(e.Z, z, 1e-9 * std::max(1.0, std::fabs(z)));
  }
}

}  // namespace
