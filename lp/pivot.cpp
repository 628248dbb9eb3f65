// pivot.cpp — one simplex iteration and the engine's solution listings.
//
//   XPIVOT  transforms the entering column (XFTRAN), runs the ratio test
//           (XCHUZR), refuses pivots of magnitude <= EPS3 (within a
//           feasibility band also pivots below 1e-6 times the largest
//           entry of the transformed column), replaces the
//           factor column (XUPDAT; a singular replacement is refused) and
//           applies the step (XUPDX).
//   XUPDX   moves the basic values and Z by THETA, exchanges the basis
//           (or flips the entering column's bound) and updates STATUS,
//           BASLB, BASUB.
//   XLOG    one log line per iteration (heading before iteration 1).
//   XPRINT  the current solution, one line per listed column.

#include <algorithm>
#include <cmath>

#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/workspace.h"

// XPIVOT: one iteration with entering column Q.
//   In:  YQ(1..M) the column a(Q) scattered by row; Q, DQ, INTYP, LQ, UQ;
//        the basis state and its factors.
//   Out: PCODE (1 carried out or unbounded, -1 pivot refused,
//        lp::kSingularUpdate basis change refused by the factor update:
//        nothing changed but the factors, which must be rebuilt), UNBDD,
//        THETA, R, OUTTYP, PIVOT, LEAVE (BASIS(R), or Q for a bound flip);
//        when carried out the updated basis, values, Z and factors.  YQ
//        holds the transformed column.
void XPIVOT(int* BASIS, double* BASLB, double* BASUB, double& DQ, int& INTYP,
            int& IOERR, int& LEAVE, int& LENMI, int& LENMY, double& LQ,
            int& M, int* MAPI, int& MAXM, int& MAXN, double* MEMORY, int& N,
            int& OUTTYP, int& PCODE, double& PIVOT, int& Q, int& R,
            int* STATUS, double& THETA, bool& UNBDD, double& UQ,
            double* XBZERO, double* YQ, double& Z) {
  PCODE = 1;
  XFTRAN(YQ, IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY);
  XCHUZR(BASIS, BASLB, BASUB, INTYP, IOERR, LQ, M, MAXM, MAXN, N, OUTTYP,
         PIVOT, Q, R, STATUS, THETA, UNBDD, UQ, XBZERO, YQ);
  lp::finish_pivot(BASIS, BASLB, BASUB, DQ, INTYP, IOERR, LEAVE, LQ, M, MAPI,
                   MAXM, MAXN, MEMORY, N, OUTTYP, PCODE, PIVOT, Q, R, STATUS,
                   THETA, UNBDD, UQ, XBZERO, YQ, Z);
}

namespace lp {

constexpr double kRelativePivot = 1.0e-6;

void finish_pivot(int* BASIS, double* BASLB, double* BASUB, double& DQ,
                  int& INTYP, int& IOERR, int& LEAVE, double& LQ, int& M,
                  int* MAPI, int& MAXM, int& MAXN, double* MEMORY, int& N,
                  int& OUTTYP, int& PCODE, double& PIVOT, int& Q, int& R,
                  int* STATUS, double& THETA, bool& UNBDD, double& UQ,
                  double* XBZERO, double* YQ, double& Z) {
  LEAVE = Q;
  if (OUTTYP != 0) LEAVE = BASIS[R - 1];
  if (UNBDD) return;
  if (std::fabs(PIVOT) <= RVNCOM.EPS3) {
    PCODE = -1;
    return;
  }
  // Within a feasibility band a pivot also has to be at least
  // kRelativePivot times the largest entry of its transformed column: the
  // update divides the column by it, and on the ill-conditioned bases of
  // the GP master LP such pivots made later values wrong by up to 1e2.
  if (OUTTYP != 0 && lp::feasibility_band() > 0.0) {
    double largest = 0.0;
    for (int i = 0; i < M; ++i) largest = std::max(largest, std::fabs(YQ[i]));
    if (std::fabs(PIVOT) < kRelativePivot * largest) {
      PCODE = -1;
      return;
    }
  }
  // The factors are updated before anything else changes, so a basis
  // change the update finds singular can still be refused.
  if (OUTTYP != 0 && !lp::update_or_refuse(IOERR, M, MAPI, MEMORY, Q, R)) {
    PCODE = lp::kSingularUpdate;
    return;
  }
  XUPDX(BASIS, BASLB, BASUB, DQ, INTYP, LQ, M, MAXM, MAXN, N, OUTTYP, Q, R,
        STATUS, THETA, UQ, XBZERO, YQ, Z);
}

}  // namespace lp

// XUPDX: apply the step of an iteration.
//   In:  Q, DQ, INTYP, LQ, UQ, THETA, R, OUTTYP, YQ(1..M) (transformed).
//   In/out: XBZERO(1..M), Z, BASIS, BASLB, BASUB, STATUS.
void XUPDX(int* BASIS, double* BASLB, double* BASUB, double& DQ, int& INTYP,
           double& LQ, int& M, int& /*MAXM*/, int& /*MAXN*/, int& /*N*/,
           int& OUTTYP, int& Q, int& R, int* STATUS, double& THETA,
           double& UQ, double* XBZERO, double* YQ, double& Z) {
  io::F1<int> basis(BASIS), status(STATUS);
  io::F1<double> baslb(BASLB), basub(BASUB), xbzero(XBZERO), yq(YQ);
  const double ZL = RVNCOM.ZL;

  // 1. Values and objective (not for a step below ZL).
  if (std::fabs(THETA) >= ZL) {
    if (INTYP == -1) {
      Z -= DQ * THETA;
      for (int i = 1; i <= M; ++i) {
        double x = xbzero(i) + yq(i) * THETA;
        xbzero(i) = (std::fabs(x) < ZL) ? 0.0 : x;
      }
    } else {
      Z += DQ * THETA;
      for (int i = 1; i <= M; ++i) {
        double x = xbzero(i) - yq(i) * THETA;
        xbzero(i) = (std::fabs(x) < ZL) ? 0.0 : x;
      }
    }
  }

  // 2. The entering variable's value at position R.
  if (OUTTYP != 0) {
    if (status(Q) == -2)
      xbzero(R) = (INTYP == -1) ? -THETA : THETA;
    else
      xbzero(R) = (INTYP == -1) ? UQ - THETA : LQ + THETA;
  }

  // 3. Statuses and basis.
  if (OUTTYP == 0) {
    status(Q) = (INTYP < 0) ? 0 : -1;
    return;
  }
  const int BR = basis(R);
  basis(R) = Q;
  if (status(Q) != -2) status(Q) = R;
  if (status(BR) != -3) status(BR) = (OUTTYP < 0) ? -1 : 0;
  baslb(R) = LQ;
  basub(R) = UQ;
}

// XLOG: the iteration's line on IOLOG (R is not printed).
//
// Every record of the engine is written as an io::Line: its first
// character is the carriage control (" " new line, "0" empty line first,
// "1" new page) and is not shown.
void XLOG(double& DQ, int& INTYP, int& IOLOG, int& ITER, int& LEAVE,
          int& OUTTYP, double& PIVOT, int& Q, int& /*R*/, double& THETA,
          double& Z) {
  if (ITER == 1)
    io::Line(IOLOG) << "0  ITER INTYP OUTYP ENTER LEAVE" << io::X(14)
                           << "DQ" << io::X(11) << "PIVOT" << io::X(11)
                           << "THETA" << io::X(15) << "Z";
  io::Line(IOLOG) << " " << io::I(ITER, 6) << io::I(INTYP, 6)
                         << io::I(OUTTYP, 6) << io::I(Q, 6) << io::I(LEAVE, 6)
                         << io::D(DQ, 16, 8) << io::D(PIVOT, 16, 8)
                         << io::D(THETA, 16, 8) << io::D(Z, 16, 8);
}

// XPRINT: the current solution on IOLOG.  Columns resting at a zero lower
// bound are not listed; a column at an infinite upper bound gets an error
// line and printing goes on.
void XPRINT(int* BASIS, int& BNDTYP, double& BOUND, int& IOERR, int& IOLOG,
            int& LENMA, int& LENMY, int& M, int* MAPA, int& /*MAXM*/,
            int& /*MAXN*/, double* MEMORY, int& N, int& NTYPE2, int* STATUS,
            double* XBZERO, double& Z) {
  io::F1<int> basis(BASIS), status(STATUS);
  io::F1<double> xbzero(XBZERO);

  io::Line(IOLOG) << "1   XPRINT...CURRENT SOLUTION";
  io::Line(IOLOG) << "0" << io::I(M, 6) << " LINEAR CONSTRAINTS," << io::X(5)
                         << io::I(N, 6) << " VARIABLES";
  io::Line(IOLOG) << "0  AN SB FOLLOWING STATUS "
                         << "INDICATES A SUPER-BASIC VARIABLE";
  io::Line(IOLOG) << "0  VARIABLE" << io::X(5) << "    STATUS"
                         << io::X(5) << "          VALUE";

  auto solution_row = [&](int j, double value) {
    io::Line(IOLOG) << " " << io::I(j, 10) << io::X(5)
                           << io::I(status(j), 10)
                           << io::X(5) << io::D(value, 15, 8);
  };
  for (int j = 1; j <= N; ++j) {
    const int s = status(j);
    if (s > 0) {
      if (s <= M) {
        solution_row(j, xbzero(s));
      } else {
        io::Line(IOLOG) << " " << io::I(j, 10) << io::X(5) << io::I(s, 10)
                               << io::X(1) << "SB" << io::X(2)
                               << io::D(xbzero(s), 15, 8);
      }
    } else if (s == -2 || s == -3) {
      for (int i = 1; i <= M; ++i) {
        if (basis(i) == j) {
          solution_row(j, xbzero(i));
          break;
        }
      }
    } else if (s == 0 || s == -4) {
      if (BNDTYP == 4) {
        double LJ = 0.0, UJ = 0.0;
        int J = j;
        XGETUB(BNDTYP, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
        if (LJ != 0.0) solution_row(j, LJ);
      }
    } else if (BNDTYP >= 3) {
      double LJ = 0.0, UJ = 0.0;
      int J = j;
      XGETUB(BNDTYP, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
      solution_row(j, UJ);
    } else if (BNDTYP == 2 && j <= NTYPE2) {
      solution_row(j, BOUND);
    } else {
      io::Line(IOLOG) << " ERROR: VARIABLE" << io::I(j, 6)
                             << " IS AT ITS UPPER" << " BOUND OF +INFINITY.";
    }
  }
  io::Line(IOLOG) << " VALUE OF LINEAR OBJECTIVE FUNCTION="
                         << io::D(Z, 15, 8);
}
