// pricing.cpp — entering and leaving choices of the primal simplex.
//
//   FCAND   partial pricing: scans LOOK columns cyclically from START1,
//           keeps the PICK columns of largest |reduced cost| (ties in scan
//           order) and fetches them into the candidate list.
//   XCHUZR  bounded ratio test: step THETA, leaving position R, leaving
//           type OUTTYP, pivot, unboundedness.
//   XPTIE   tie break between two blocking rows (larger signed pivot wins).
//
// The engine maximises; a column at its lower bound (status 0) is
// attractive with a positive reduced cost, one at its upper bound
// (status -1) with a negative one.

#include <algorithm>
#include <cmath>

#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/packed_sums.h"
#include "lp/pricing_pass.h"
#include "lp/workspace.h"

namespace {

// The feasibility band and drift in force (see lp::FeasibilityBand), and
// whether phase 2 is running.
double band_in_force = 0.0, drift_in_force = 0.0;
bool phase_two_running = false;

// The room a basic value has before the bound it moves towards (Y > 0:
// decreasing, Y < 0: increasing), in the classification of the exact test;
// false when the row does not block.  Within the band a value beyond that
// bound has room 0.
bool blocking_room(double x, double lb, double ub, double y, double& room) {
  const double BIG = RVNCOM.BIG;
  if (y > 0.0) {
    if (lb > -BIG)
      room = x - lb;
    else if (x > ub)
      room = x - ub;
    else
      return false;
  } else {
    if (ub < BIG)
      room = ub - x;
    else if (x < lb)
      room = lb - x;
    else
      return false;
  }
  if (std::fabs(room) < RVNCOM.ZL) room = 0.0;
  if (room < 0.0) {
    // Beyond the band: phase 1 lets the value move on (its costs weigh the
    // violation); phase 2 lets no violation grow.
    if (room < -band_in_force && !phase_two_running) return false;
    room = 0.0;
  }
  return true;
}

// XCHUZR's choice of the leaving row within a feasibility band, in two
// passes.  THETA holds the entering variable's own range on entry; the
// outputs are those of XCHUZR.
void harris_ratio_test(double* BASLB, double* BASUB, int& INTYP, int& M,
                       int& OUTTYP, double& PIVOT, int& R, double& THETA,
                       bool& UNBDD, double* XBZERO, double* YQ) {
  io::F1<double> baslb(BASLB), basub(BASUB), xbzero(XBZERO), yq(YQ);
  const double BIG = RVNCOM.BIG;
  const double ZL = RVNCOM.ZL;
  const double sgn = (INTYP != 1) ? -1.0 : 1.0;
  const double slack = 0.5 * band_in_force;

  // Pass 1: the longest step that keeps every blocking value within the
  // slack beyond its bound.
  double longest = THETA;
  for (int i = 1; i <= M; ++i) {
    if (std::fabs(yq(i)) < ZL) {
      yq(i) = 0.0;
      continue;
    }
    const double y = sgn * yq(i);
    double room;
    if (!blocking_room(xbzero(i), baslb(i), basub(i), y, room)) continue;
    const double ratio = (room + slack) / std::fabs(y);
    if (ratio < longest) longest = ratio;
  }

  // Pass 2: among the rows that block within that step, the largest pivot.
  R = 0;
  double best = 0.0, step = 0.0;
  for (int i = 1; i <= M; ++i) {
    const double y = sgn * yq(i);
    if (y == 0.0) continue;
    double room;
    if (!blocking_room(xbzero(i), baslb(i), basub(i), y, room)) continue;
    const double ratio = room / std::fabs(y);
    if (ratio <= longest && std::fabs(y) > best) {
      best = std::fabs(y);
      R = i;
      step = ratio;
    }
  }

  // The entering variable's own bound when it comes first: a bound flip.
  OUTTYP = 0;
  PIVOT = 1.0;
  if (R != 0 && step < THETA) {
    THETA = step < ZL ? 0.0 : step;
    PIVOT = yq(R);
    if (sgn * yq(R) > 0.0)
      OUTTYP = (baslb(R) <= -BIG) ? -1 : 1;
    else
      OUTTYP = (basub(R) >= BIG) ? 1 : -1;
  } else {
    R = 0;
  }
  UNBDD = (OUTTYP == 0 && std::fabs(THETA) >= BIG);
}

[[noreturn]] void stop_engine(int code, int& IOERR) {
  int error = code;
  XSTOP(error, IOERR);
  io::stop_run(1, "");  // not reached
}

// Reduced cost of column j from its sums (0 when not attractive at status
// S), then its insertion into the key list CAND/CANDCJ (keys |DJ|,
// decreasing; a key equal to one in the list goes after it).
void offer(int j, int s, lp::packed::Sums sums, bool phase2, int PICK,
           int& PPRIME, int* __restrict CAND, double* __restrict CANDCJ,
           const float* __restrict PROFIT) {
  const double ZL = RVNCOM.ZL;
  const double ZLC = RVNCOM.ZLC;
  double zdot = sums.dot;
  const double mag = std::fabs(zdot);
  if (mag < ZL || mag < ZL * sums.abs) zdot = 0.0;

  double dj = phase2 ? static_cast<double>(PROFIT[j - 1]) - zdot : -zdot;
  if (std::fabs(dj) < ZLC) dj = 0.0;
  if (!((dj > 0.0 && s == 0) || (dj < 0.0 && s == -1))) return;

  const double key = std::fabs(dj);
  int k = 0;  // zero-based position of the first strictly smaller key
  while (k < PPRIME && !(CANDCJ[k] < key)) ++k;
  if (k < PPRIME) {
    const int last = (PPRIME < PICK - 1 ? PPRIME : PICK - 1);  // one-based
    for (int m = last; m > k; --m) {  // shift k+1..last down by one
      CAND[m] = CAND[m - 1];
      CANDCJ[m] = CANDCJ[m - 1];
    }
    CAND[k] = j;
    CANDCJ[k] = key;
    if (PPRIME < PICK) ++PPRIME;
  } else if (PPRIME < PICK) {
    CAND[PPRIME] = j;
    CANDCJ[PPRIME] = key;
    ++PPRIME;
  }
}

// Scans columns FIRST..LAST (one-based) and merges the attractive ones into
// the key list, in scan order.  The store is read in place: PROFIT(j),
// ACOEFF/ROWNOS entries COLPNT(j-1)+1..COLPNT(j), a row number 0 ending a
// column early.  Priceable columns (status 0 or -1) are taken in pairs.
void scan_window(int FIRST, int LAST, bool phase2, int PICK, int& PPRIME,
                 int* __restrict CAND, double* __restrict CANDCJ,
                 const int* __restrict STATUS, const double* __restrict UZERO,
                 const float* __restrict PROFIT, const float* __restrict ACOEFF,
                 const int* __restrict COLPNT, const int* __restrict ROWNOS) {
  auto priceable = [&](int j) {
    const int s = STATUS[j - 1];
    return s == 0 || s == -1;
  };
  // Zero-based views: element k of a one-based array X is X[k - 1];
  // COLPNT is indexed from 0.
  int j = FIRST;
  while (true) {
    while (j <= LAST && !priceable(j)) ++j;
    if (j > LAST) break;
    const int j1 = j++;
    while (j <= LAST && !priceable(j)) ++j;
    lp::packed::Sums s1, s2;
    if (j > LAST) {
      s1 = lp::packed::column_sums<false>(COLPNT[j1 - 1], COLPNT[j1], ACOEFF,
                                          ROWNOS, UZERO, 0, 0.0, 0.0);
      offer(j1, STATUS[j1 - 1], s1, phase2, PICK, PPRIME, CAND, CANDCJ,
            PROFIT);
      break;
    }
    const int j2 = j++;
    lp::packed::pair_sums<false>(COLPNT[j1 - 1], COLPNT[j1], COLPNT[j2 - 1],
                                 COLPNT[j2], ACOEFF, ROWNOS, UZERO, 0, s1,
                                 s2);
    offer(j1, STATUS[j1 - 1], s1, phase2, PICK, PPRIME, CAND, CANDCJ, PROFIT);
    offer(j2, STATUS[j2 - 1], s2, phase2, PICK, PPRIME, CAND, CANDCJ, PROFIT);
  }
}

}  // namespace

// FCAND: partial pricing into the candidate list.
//   In:  START1, LOOK, N, PICK, PHASE (2: costs from PROFIT; else costs 0),
//        STATUS(1..N), UZERO (prices, one per row), the packed store
//        PROFIT(1..N), ACOEFF, COLPNT(0..N), ROWNOS.
//   Out: PPRIME (0..PICK); CAND(1..PPRIME) most attractive first;
//        CANDCJ(k) the cost of CAND(k); CANDL(k), CANDA(1..CANDL(k),k),
//        CANDI(1..CANDL(k),k) its stored entries; START2 the last column
//        scanned.
//   Unused: BASIS, M, MAXA, MAXM, MAXN, COLA, COLI (the survivors are
//        fetched straight into CANDA/CANDI).
void FCAND(int* /*BASIS*/, int* CAND, double* CANDA, double* CANDCJ,
           int* CANDI, int* CANDL, double* /*COLA*/, int* /*COLI*/,
           int& COLMAX, int& IOERR, int& LENMA, int& LENMY, int& LOOK,
           int& /*M*/, int* MAPA, int& /*MAXM*/, int& /*MAXN*/,
           double* MEMORY, int& N, int& PICK, int& PHASE, int& PPRIME,
           int& START1, int& START2, int* STATUS, double* UZERO,
           float* PROFIT, float* ACOEFF, int* COLPNT, int* ROWNOS,
           int& /*MAXA*/) {
  const bool phase2 = (PHASE == 2);
  PPRIME = 0;

  // 1.-2. First window START1 .. min(START1+LOOK-1, N).
  // The window end is formed in 64 bits: a caller's LOOK may be as large
  // as INT_MAX ("scan everything").
  const long long wend = static_cast<long long>(START1) + LOOK - 1;
  const int last1 = (wend < N ? static_cast<int>(wend) : N);
  START2 = last1;
  scan_window(START1, last1, phase2, PICK, PPRIME, CAND, CANDCJ, STATUS,
              UZERO, PROFIT, ACOEFF, COLPNT, ROWNOS);

  // 3. Wrap-around window 1 .. min(wend-N, START1-1).
  if (wend > N) {
    const long long over = wend - N;
    const int last2 = over < START1 - 1 ? static_cast<int>(over) : START1 - 1;
    if (last2 >= 1) {
      START2 = last2;
      scan_window(1, last2, phase2, PICK, PPRIME, CAND, CANDCJ, STATUS,
                  UZERO, PROFIT, ACOEFF, COLPNT, ROWNOS);
    }
  }

  // 4. Fetch the survivors.
  io::F2<double> canda(CANDA, COLMAX);
  io::F2<int> candi(CANDI, COLMAX);
  for (int k = 1; k <= PPRIME; ++k) {
    int J = CAND[k - 1];
    XGETAJ(CANDCJ[k - 1], canda.column(k), candi.column(k), CANDL[k - 1],
           COLMAX, IOERR, J, LENMA, LENMY, MAPA, MEMORY);
  }
}

// XPTIE: IWIN = (CPIVOT <= IPIVOT), signed comparison: the challenger
// replaces the incumbent only with a greater pivot.
void XPTIE(double& CPIVOT, double& IPIVOT, bool& IWIN) {
  IWIN = !(CPIVOT > IPIVOT);
}

// XCHUZR: bounded ratio test for entering column Q.
//   In:  INTYP (1 increase from LQ, -1 decrease from UQ), LQ, UQ, Q,
//        STATUS(Q) (-2: free, own range ignored), XBZERO, BASLB, BASUB
//        (1..M), YQ(1..M) the transformed column.
//   Out: THETA (>= 0), R (0 if none), OUTTYP (1 leaving to lower, -1 to
//        upper, 0 none), PIVOT (YQ(R) as given; +-1 without a leaving
//        row), UNBDD.  When the test runs, entries of YQ below ZL become 0.
//   Fails: M outside 1..MAXM (code 1); LQ > UQ ("0XCHUZR...LQ= ", code 0).
void XCHUZR(int* /*BASIS*/, double* BASLB, double* BASUB, int& INTYP,
            int& IOERR, double& LQ, int& M, int& MAXM, int& /*MAXN*/,
            int& /*N*/, int& OUTTYP, double& PIVOT, int& Q, int& R,
            int* STATUS, double& THETA, bool& UNBDD, double& UQ,
            double* XBZERO, double* YQ) {
  if (M < 1 || M > MAXM) {
    io::Line(IOERR) << " XCHUZR" << io::X(5) << io::I(M, 5);
    stop_engine(1, IOERR);
  }
  io::F1<double> baslb(BASLB), basub(BASUB), xbzero(XBZERO), yq(YQ);
  io::F1<int> status(STATUS);
  const double BIG = RVNCOM.BIG;
  const double ZL = RVNCOM.ZL;

  // 2.-3. The entering variable's own range.
  double THETA1 = BIG, THETA2 = BIG;
  const double THETA3 = lp::entering_range(status(Q), LQ, UQ, IOERR);

  // 4. A range below ZL: bound flip without looking at the basis.
  OUTTYP = 0;
  R = 0;
  PIVOT = 1.0;
  UNBDD = false;
  THETA = THETA3;
  if (THETA < ZL) return;
  if (lp::feasibility_band() > 0.0) {
    harris_ratio_test(BASLB, BASUB, INTYP, M, OUTTYP, PIVOT, R, THETA, UNBDD,
                      XBZERO, YQ);
    return;
  }

  // 5.-6. Blocking rows, with YQ oriented so that basic variable i moves as
  // XBZERO(i) - t*SGN*YQ(i) (SGN = -1 when the entering variable decreases;
  // the column itself is not negated).  Set 1: decreasing; set 2:
  // increasing.  Entries below ZL are set to 0 and do not block.
  const bool flip = (INTYP != 1);
  const double sgn = flip ? -1.0 : 1.0;
  int R1 = 0, R2 = 0;
  double PIVOT1 = 0.0, PIVOT2 = 0.0;
  for (int i = 1; i <= M; ++i) {
    const double yraw = yq(i);
    if (std::fabs(yraw) < ZL) {
      if (yraw != 0.0) yq(i) = 0.0;
      continue;
    }
    const double y = sgn * yraw;
    double room;
    if (y > 0.0) {
      if (baslb(i) > -BIG)
        room = xbzero(i) - baslb(i);
      else if (xbzero(i) > basub(i))
        room = xbzero(i) - basub(i);
      else
        continue;
      if (std::fabs(room) < ZL) room = 0.0;
      if (room < 0.0) continue;  // already below the bound it moves to
      double ratio = room / y;
      if (ratio < ZL) ratio = 0.0;
      if (ratio <= THETA1 + ZL) {
        bool replace = ratio < THETA1 - ZL;
        if (!replace) {
          double cpivot = y;
          bool IWIN = true;
          XPTIE(cpivot, PIVOT1, IWIN);
          replace = !IWIN;
        }
        if (replace) {
          THETA1 = ratio;
          PIVOT1 = y;
          R1 = i;
        }
      }
    } else {
      if (basub(i) < BIG)
        room = basub(i) - xbzero(i);
      else if (xbzero(i) < baslb(i))
        room = baslb(i) - xbzero(i);
      else
        continue;
      if (std::fabs(room) < ZL) room = 0.0;
      if (room < 0.0) continue;  // already above the bound it moves to
      double ratio = room / -y;
      if (ratio < ZL) ratio = 0.0;
      if (ratio <= THETA2 + ZL) {
        bool replace = ratio < THETA2 - ZL;
        if (!replace) {
          double cpivot = y;
          bool IWIN = true;
          XPTIE(cpivot, PIVOT2, IWIN);
          replace = !IWIN;
        }
        if (replace) {
          THETA2 = ratio;
          PIVOT2 = y;
          R2 = i;
        }
      }
    }
  }

  // 7. Choice: set 1, then set 2, each only when strictly shorter.
  if (THETA1 < THETA) {
    THETA = THETA1;
    R = R1;
    PIVOT = PIVOT1;
    OUTTYP = (baslb(R) <= -BIG) ? -1 : 1;
  }
  if (THETA2 < THETA) {
    THETA = THETA2;
    R = R2;
    PIVOT = PIVOT2;
    OUTTYP = (basub(R) >= BIG) ? 1 : -1;
  }

  // 8. The pivot with the sign YQ has.
  if (flip) PIVOT = -PIVOT;

  // 9. Unbounded when nothing limits the step.
  UNBDD = (OUTTYP == 0 && std::fabs(THETA) >= BIG);
}

namespace lp {

double entering_range(int status_q, double& LQ, double& UQ, int& IOERR) {
  const double range = (status_q != -2) ? UQ - LQ : RVNCOM.BIG;
  if (range < 0.0) {
    io::Line(IOERR) << "0XCHUZR...LQ= " << io::D(LQ, 16, 8)
                    << " EXCEEDS UQ= " << io::D(UQ, 16, 8);
    stop_engine(0, IOERR);
  }
  return range;
}

FeasibilityBand::FeasibilityBand(double band, double drift)
    : previous_band_(band_in_force), previous_drift_(drift_in_force) {
  band_in_force = band > 0.0 ? band : 0.0;
  drift_in_force = band > 0.0 ? std::max(band, drift) : 0.0;
}
FeasibilityBand::~FeasibilityBand() {
  band_in_force = previous_band_;
  drift_in_force = previous_drift_;
}

double feasibility_band() { return band_in_force; }
PhaseTwoRunning::PhaseTwoRunning() : previous_(phase_two_running) {
  phase_two_running = true;
}
PhaseTwoRunning::~PhaseTwoRunning() { phase_two_running = previous_; }
double feasibility_tolerance() {
  return band_in_force > 0.0 ? band_in_force : RVNCOM.ZL;
}
double phase_two_drift() {
  return band_in_force > 0.0 ? drift_in_force : RVNCOM.ZL;
}

}  // namespace lp
