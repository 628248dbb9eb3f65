// postopt_test_support.h — random bounded LPs and the engine calls of the
// dual simplex, ranging and parametric tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lp/engine.h"
#include "primal_support.h"

namespace lp_test {

constexpr double kInf = 1.0e30;

// The smallest 32-bit value not below V.
inline double f32_up(double v) {
  float f = static_cast<float>(v);
  if (static_cast<double>(f) < v) f = std::nextafter(f, HUGE_VALF);
  return f;
}

// A random feasible (a point X0 within the bounds satisfies every row) and
// bounded (a last row bounds the sum of all columns) LP of every bound and
// row type; small integer data make degenerate vertices common.
inline LpData random_lp(unsigned seed, int maxm = 8, int maxn = 14) {
  std::mt19937 g(seed);
  auto uni = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(g);
  };
  auto real = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(g);
  };
  auto f32 = [](double v) {
    return static_cast<double>(static_cast<float>(v));
  };
  LpData s;
  const int mrand = uni(1, maxm);
  const int n = uni(2, maxn);
  s.BNDTYP = uni(1, 4);
  const bool integers = uni(0, 1) == 1;
  const double density = real(0.3, 0.8);
  if (s.BNDTYP == 2) {
    s.BOUND = f32(real(0.5, 4.0));
    s.NTYPE2 = uni(0, n);
  }
  std::vector<double> x0(n);
  for (int j = 0; j < n; ++j) {
    LpColumn c;
    c.c = f32(integers ? uni(-4, 4) : real(-3.0, 3.0));
    double l = 0.0, u = kInf;
    if (s.BNDTYP == 2 && j + 1 <= s.NTYPE2) u = s.BOUND;
    if (s.BNDTYP >= 3 && uni(0, 2) > 0) u = f32(real(0.5, 5.0));
    if (s.BNDTYP == 4 && uni(0, 1) == 1) {
      l = f32(real(-3.0, 0.0));
      if (u < kInf) u = std::max(u, f32(l + 1.0));
    }
    c.l = l;
    c.u = u;
    const int where = uni(0, 3);
    if (where == 0 || (where == 1 && u >= kInf))
      x0[j] = l;
    else if (where == 1)
      x0[j] = u;
    else
      x0[j] = l + real(0.0, std::min(u, l + 3.0) - l);
    for (int i = 1; i <= mrand; ++i) {
      if (real(0.0, 1.0) < density) {
        double v = integers ? uni(-3, 3) : real(-2.0, 2.0);
        if (v == 0.0) v = 1.0;
        c.a.emplace_back(i, f32(v));
      }
    }
    s.cols.push_back(c);
  }
  for (int i = 1; i <= mrand; ++i) {
    double act = 0.0;
    for (int j = 0; j < n; ++j)
      for (auto [r, v] : s.cols[j].a)
        if (r == i) act += v * x0[j];
    int type;
    do {
      const int types[] = {0, 1, 2, -1, -2, 5};
      type = types[uni(0, 5)];
    } while (type == 2 && s.BNDTYP < 3);
    const double gap = uni(0, 1) ? 0.0 : real(0.0, 2.0);
    double b = act, blow = 0.0;
    if (type == 1 || type == 5) b = act + gap;
    if (type == -1) b = act - gap;
    if (type == 2) {
      // The slack's range B - BLOW is held as a 32-bit bound: make B and
      // the range 32-bit values so that B - BLOW is exactly that bound.
      b = f32_up(act + gap);
      const double below = uni(0, 1) ? 0.0 : real(0.0, 2.0);
      const double range = f32_up(b - (act - below));
      blow = b - range;
    }
    if (type == -2) b = real(-5.0, 5.0);
    s.rowtyp.push_back(type);
    s.b.push_back(b);
    s.blow.push_back(blow);
  }
  double sum = 0.0;
  for (int j = 0; j < n; ++j) {
    sum += x0[j];
    s.cols[j].a.emplace_back(mrand + 1, 1.0);
  }
  s.rowtyp.push_back(1);
  s.b.push_back(sum + (uni(0, 1) ? 0.0 : real(0.0, 3.0)));
  s.blow.push_back(0.0);
  s.M = mrand + 1;
  return s;
}

// The engine state of one LP plus the vectors the post-optimal routines
// need (BETAR, YQ are MAXM long).
class PostOptLp : public EngineLp {
 public:
  explicit PostOptLp(const LpData& lp_data, int extra_rows = 0)
      : EngineLp(lp_data, 10, extra_rows), BETAR(MAXM, 0.0) {}

  int dual() {
    XDUAL(B.data(), BASCB.data(), BASIS.data(), BASLB.data(), BASUB.data(),
          BETAR.data(), BNDTYP, BOUND, COLA.data(), COLI.data(), COLMAX,
          DFEASQ, DTERM, DUNBR, FACTOR, IOERR, IOLOG, ITERD, LENMA, LENMI,
          LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, NTYPE2, PRINT,
          STATUS.data(), UZERO.data(), XBZERO.data(), YQ.data(), Z);
    return DTERM;
  }

  void start() {
    XSTART(B.data(), BASCB.data(), BASIS.data(), BASLB.data(), BASUB.data(),
           BNDTYP, BOUND, COLA.data(), COLI.data(), COLMAX, IOERR, LENMA,
           LENMI, LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N, NTYPE2, SCODE,
           STATUS.data(), UZERO.data(), XBZERO.data(), Z);
  }

  // Reduced cost of column j against UZERO.
  double reduced_cost(int j) {
    double CJ = 0.0, dot = 0.0;
    int COLLEN = 0, J = j;
    XGETAJ(CJ, COLA.data(), COLI.data(), COLLEN, COLMAX, IOERR, J, LENMA,
           LENMY, MAPA, MEMORY);
    for (int k = 0; k < COLLEN; ++k) dot += UZERO[COLI[k] - 1] * COLA[k];
    return CJ - dot;
  }

  // "" when every basic value lies within its bounds (tolerance TOL).
  std::string primal_violation(double tol = 1e-7) {
    std::ostringstream why;
    for (int i = 0; i < M; ++i) {
      const double t = tol * std::max(1.0, std::fabs(XBZERO[i]));
      if (XBZERO[i] < BASLB[i] - t || XBZERO[i] > BASUB[i] + t)
        why << "position " << i + 1 << " (column " << BASIS[i] << ") value "
            << XBZERO[i] << " outside [" << BASLB[i] << ", " << BASUB[i]
            << "]\n";
    }
    return why.str();
  }

  // "" when every nonbasic column of status 0/-1 has a reduced cost of the
  // right sign (maximisation).
  std::string dual_violation(double tol = 1e-7) {
    std::ostringstream why;
    for (int j = 1; j <= N; ++j) {
      const int s = STATUS[j - 1];
      if (s != 0 && s != -1) continue;
      const double d = reduced_cost(j);
      if ((s == 0 && d > tol) || (s == -1 && d < -tol))
        why << "column " << j << " status " << s << " reduced cost " << d
            << "\n";
    }
    return why.str();
  }

  std::vector<double> BETAR;
  int DFEASQ = 0, DTERM = 0, DUNBR = 0, ITERD = 0, SCODE = 0;
};

// The LP with the right-hand side of row I (1..M) moved by DELTA; a
// two-sided row keeps its range (its slack bound is fixed when stored).
inline LpData moved_rhs(LpData s, int i, double delta) {
  s.b[i - 1] += delta;
  if (s.rowtyp[i - 1] == 2) s.blow[i - 1] += delta;
  return s;
}

inline double rel_tol(double v, double t = 1e-6) {
  return t * std::max(1.0, std::fabs(v));
}

}  // namespace lp_test
