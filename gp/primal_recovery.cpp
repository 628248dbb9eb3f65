// primal_recovery.cpp — the primal point of the geometric program from the
// master LP's row prices, and the program's values there.
//
//   PSOLVE  XPRIML(j) = exp(PI(j+1)); optional listing of the point
//   PSUBS   TERM and VPOSY at XPRIML; optional listing per posynomial
#include <cmath>

#include "gp/report_line.h"
#include "gp/solver.h"
#include "io/one_based.h"

using gp::kReport;
using gp::Line;

// In: NVAR, IPRINT (> 0 prints), PI(1..NVAR+1) row prices (PI(1) normality).
// Out: XPRIML(1..NVAR).
void PSOLVE(int& NVAR, int& IPRINT, double* PI, double* XPRIML) {
  io::F1<double> pi(PI), x(XPRIML);
  for (int j = 1; j <= NVAR; ++j) x(j) = std::exp(pi(j + 1));
  if (IPRINT <= 0) return;
  Line(kReport) << " ";
  Line(kReport) << " PRIMAL VARIABLES ARE";
  Line(kReport) << "     I        X(I)";
  for (int j = 1; j <= NVAR; ++j)
    Line(kReport) << " " << io::I(j, 6) << io::G(x(j), 16, 8);
}

// In: MCON, IPRINT (> 0 prints), XPRIML(1..NVAR), the problem arrays A, C, KT,
// KTTOT, IDVAR, NAPP.  Out: TERM(1..KTTOT), VPOSY(1..MCON+1).
void PSUBS(int& MCON, int& IPRINT, double* XPRIML, double* A, double* C,
           int* KT, int& KTTOT, double* TERM, double* VPOSY, int* IDVAR,
           int* NAPP) {
  io::F1<double> x(XPRIML), a(A), c(C), term(TERM), vposy(VPOSY);
  io::F1<int> kt(KT), idvar(IDVAR), napp(NAPP);

  // 1. Terms: coefficient times the powers of its pairs, in stored order.
  int p = 0;
  for (int t = 1; t <= KTTOT; ++t) {
    term(t) = c(t);
    for (int i = p + 1; i <= p + napp(t); ++i)
      term(t) = std::pow(x(idvar(i)), a(i)) * term(t);
    p += napp(t);
  }

  // 2. Posynomials: each owns the next KT(I) terms.
  int t0 = 0;
  for (int i = 1; i <= MCON + 1; ++i) {
    double sum = 0.0;
    for (int t = t0 + 1; t <= t0 + kt(i); ++t) sum += term(t);
    vposy(i) = sum;
    if (IPRINT > 0) {
      Line(kReport) << " ";
      Line(kReport) << " POSYNOMIAL NUMBER" << io::I(i - 1, 5) << "     VALUE="
                    << io::G(vposy(i), 18, 8);
      Line(kReport) << " VALUES OF TERMS ARE";
      // Five values per line; the first value's field supplies the carriage
      // control character.
      for (int t = t0 + 1; t <= t0 + kt(i); t += 5) {
        Line line(kReport);
        for (int k = t; k <= t0 + kt(i) && k < t + 5; ++k)
          line << io::G(term(k), 18, 8);
      }
    }
    t0 += kt(i);
  }
}
