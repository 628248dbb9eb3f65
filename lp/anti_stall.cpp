// anti_stall.cpp — smallest-index (Bland) fallback of the primal phases
// for degenerate stalling; see lp/anti_stall.h for the rule.
//
//   AntiStall::keep_going / leave   the mode's switch and its idle count
//   AntiStall::choose               entering column: smallest attractive
//                                   index, full scan of 1..N
//   bland_ratio                     bounded ratio test, smallest basic
//                                   index among the minimum-ratio rows
//   bland_pivot                     one iteration with that ratio test
//                                   (XFTRAN, refusal, XUPDAT, XUPDX)
//
// Fault fixed: the ordinary partial pricing cycles on highly degenerate
// LPs (Netlib kb2, blend, grow15, degen2 and the master LPs of the large
// classic geometric programs) and the phases then gave up after a fixed
// number of idle iterations although the LP is solvable.  The fallback
// acts only where the phase would have given up, so every run that ended
// before keeps its path, its iterations and its result.

#include "lp/anti_stall.h"

#include <algorithm>
#include <cmath>

#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"

namespace lp {

namespace {

constexpr int kAtLower = 0;   // STATUS: nonbasic at its lower bound
constexpr int kAtUpper = -1;  // STATUS: nonbasic at its upper bound
constexpr int kFree = -2;     // STATUS: free column

// Leaving rows whose pivot is below this fraction of the largest pivot
// among the minimum-ratio rows are passed over while another such row
// qualifies: the pure smallest-index choice takes tiny pivots and ends in
// singular basis updates (Netlib grow15) or wanders for tens of thousands
// of degenerate iterations (scrs8: 22,000 idle iterations with 0, 170
// iterations in all with 0.1).
constexpr double kRelativePivot = 0.1;

// In phase 2 the mode passes over columns whose reduced cost is at most
// this fraction of |c(j)| + sum |u(i) a(i,j)|.  Where the ordinary pricing
// stalls at an optimal degenerate vertex, the columns it still finds
// attractive have reduced costs of 2e-11 to 7e-10 of that size (the
// master LPs of the classic geometric program CL29); the column store
// holds 32-bit reals, so nothing below 1e-8 of it is meaningful.
constexpr double kNoiseDj = 1.0e-8;

}  // namespace

int stall_limit(int M, int N) {
  const long long limit = 10LL * (static_cast<long long>(M) + N) + 1000;
  return limit > 2000000000LL ? 2000000000 : static_cast<int>(limit);
}

AntiStall::AntiStall(int M, int N) : limit_(stall_limit(M, N)) {}

bool AntiStall::keep_going() {
  if (!active_) {
    active_ = true;
    idle_ = 0;
    last_q_ = 0;
    refused_.clear();
    return true;
  }
  return ++idle_ < limit_;
}

bool AntiStall::leave() {
  const bool was = active_;
  active_ = false;
  idle_ = 0;
  return was;
}

int AntiStall::choose(int PHASE, int N, const int* STATUS,
                      const double* UZERO, const float* PROFIT,
                      const float* ACOEFF, const int* COLPNT,
                      const int* ROWNOS, int NREJ, double& DQ) {
  // The columns refused since the last carried-out iteration.
  if (NREJ == 0)
    refused_.clear();
  else if (last_q_ != 0)
    refused_.push_back(last_q_);
  const double ZL = RVNCOM.ZL;
  const double ZLC = RVNCOM.ZLC;
  const bool phase2 = (PHASE == 2);
  int first_refused = 0;
  double dq_refused = 0.0;
  for (int j = 1; j <= N; ++j) {
    const int s = STATUS[j - 1];
    if (s != kAtLower && s != kAtUpper) continue;
    // Price as the windowed pricing does.
    double zdot = 0.0;
    double zabs = 0.0;
    for (int k = COLPNT[j - 1]; k < COLPNT[j]; ++k) {
      const int row = ROWNOS[k];
      if (row == 0) break;
      const double temp = static_cast<double>(ACOEFF[k]) * UZERO[row - 1];
      zdot += temp;
      zabs += std::fabs(temp);
    }
    const double mag = std::fabs(zdot);
    if (mag < ZL || mag < ZL * zabs) zdot = 0.0;
    double dj = phase2 ? static_cast<double>(PROFIT[j - 1]) - zdot : -zdot;
    if (std::fabs(dj) < ZLC) dj = 0.0;
    if (!((dj > 0.0 && s == kAtLower) || (dj < 0.0 && s == kAtUpper)))
      continue;
    // Phase 2: a reduced cost at the rounding level of its own terms is
    // noise, not a direction of ascent.
    if (phase2 && std::fabs(dj) <= kNoiseDj * (std::fabs(PROFIT[j - 1]) + zabs))
      continue;
    if (std::find(refused_.begin(), refused_.end(), j) != refused_.end()) {
      if (first_refused == 0) {
        first_refused = j;
        dq_refused = dj;
      }
      continue;
    }
    DQ = dj;
    last_q_ = j;
    ++used_;
    return j;
  }
  // Only refused columns are attractive: take the first of them again (the
  // caller's refusal count then ends the phase, as with ordinary pricing).
  if (first_refused != 0) {
    refused_.clear();
    DQ = dq_refused;
    last_q_ = first_refused;
    ++used_;
    return first_refused;
  }
  last_q_ = 0;
  return 0;
}

// bland_ratio: bounded ratio test for entering column Q (XCHUZR's rooms and
// results); among the rows whose ratio lies within ZL of the minimum, the
// one with the smallest basic column index and a pivot above both EPS3 and
// kRelativePivot times the largest such pivot leaves (the smallest index
// outright when every such pivot is at most EPS3; the caller then refuses
// it).  The step is the minimum ratio.
void bland_ratio(int* BASIS, double* BASLB, double* BASUB, int& INTYP,
                 int& IOERR, double& LQ, int& M, int& OUTTYP, double& PIVOT,
                 int& Q, int& R, int* STATUS, double& THETA, bool& UNBDD,
                 double& UQ, double* XBZERO, double* YQ) {
  io::F1<double> baslb(BASLB), basub(BASUB), xbzero(XBZERO), yq(YQ);
  io::F1<int> basis(BASIS), status(STATUS);
  const double BIG = RVNCOM.BIG;
  const double ZL = RVNCOM.ZL;
  const double EPS3 = RVNCOM.EPS3;

  // 1. The entering variable's own range.
  const double THETA3 = lp::entering_range(status(Q), LQ, UQ, IOERR);
  OUTTYP = 0;
  R = 0;
  PIVOT = 1.0;
  UNBDD = false;
  THETA = THETA3;
  if (THETA < ZL) return;

  // 2. Ratio of row i for a step of the entering variable; basic variable
  // i moves as XBZERO(i) - t*SGN*YQ(i).  Returns -1 when the row does not
  // block; SET is 1 (decreasing) or 2 (increasing).
  const double sgn = (INTYP != 1) ? -1.0 : 1.0;
  auto ratio_of = [&](int i, int& set) -> double {
    const double y = sgn * yq(i);
    double room;
    if (y > 0.0) {
      set = 1;
      if (baslb(i) > -BIG)
        room = xbzero(i) - baslb(i);
      else if (xbzero(i) > basub(i))
        room = xbzero(i) - basub(i);
      else
        return -1.0;
    } else if (y < 0.0) {
      set = 2;
      if (basub(i) < BIG)
        room = basub(i) - xbzero(i);
      else if (xbzero(i) < baslb(i))
        room = baslb(i) - xbzero(i);
      else
        return -1.0;
    } else {
      return -1.0;
    }
    if (std::fabs(room) < ZL) room = 0.0;
    if (room < 0.0) return -1.0;  // already beyond the bound it moves to
    double ratio = room / std::fabs(y);
    if (ratio < ZL) ratio = 0.0;
    return ratio;
  };

  // 3. Minimum ratio (entries below ZL cleaned to 0 first).
  double tmin = BIG;
  for (int i = 1; i <= M; ++i) {
    if (std::fabs(yq(i)) < ZL) yq(i) = 0.0;
    int set = 0;
    const double ratio = ratio_of(i, set);
    if (ratio >= 0.0 && ratio < tmin) tmin = ratio;
  }

  // 4. A row leaves only when strictly shorter than the own range.
  if (tmin < THETA) {
    int best = 0, best_any = 0, best_set = 0, any_set = 0;
    double ymax = 0.0;
    for (int i = 1; i <= M; ++i) {
      int set = 0;
      const double ratio = ratio_of(i, set);
      if (ratio < 0.0 || ratio > tmin + ZL) continue;
      ymax = std::max(ymax, std::fabs(yq(i)));
    }
    const double floor = std::max(EPS3, kRelativePivot * ymax);
    for (int i = 1; i <= M; ++i) {
      int set = 0;
      const double ratio = ratio_of(i, set);
      if (ratio < 0.0 || ratio > tmin + ZL) continue;
      if (best_any == 0 || basis(i) < basis(best_any)) {
        best_any = i;
        any_set = set;
      }
      if (std::fabs(yq(i)) > floor && (best == 0 || basis(i) < basis(best))) {
        best = i;
        best_set = set;
      }
    }
    if (best == 0) {
      best = best_any;
      best_set = any_set;
    }
    R = best;
    THETA = tmin;
    PIVOT = sgn * yq(R);
    if (best_set == 1)
      OUTTYP = (baslb(R) <= -BIG) ? -1 : 1;
    else
      OUTTYP = (basub(R) >= BIG) ? 1 : -1;
  }

  // 5. The pivot with the sign YQ has; unbounded when nothing limits.
  if (INTYP != 1) PIVOT = -PIVOT;
  UNBDD = (OUTTYP == 0 && std::fabs(THETA) >= BIG);
}

void bland_pivot(int* BASIS, double* BASLB, double* BASUB, double& DQ,
                 int& INTYP, int& IOERR, int& LEAVE, int& LENMI, int& LENMY,
                 double& LQ, int& M, int* MAPI, int& MAXM, int& MAXN,
                 double* MEMORY, int& N, int& OUTTYP, int& PCODE,
                 double& PIVOT, int& Q, int& R, int* STATUS, double& THETA,
                 bool& UNBDD, double& UQ, double* XBZERO, double* YQ,
                 double& Z) {
  PCODE = 1;
  XFTRAN(YQ, IOERR, LENMI, LENMY, M, MAPI, MAXM, MEMORY);
  bland_ratio(BASIS, BASLB, BASUB, INTYP, IOERR, LQ, M, OUTTYP, PIVOT, Q, R,
              STATUS, THETA, UNBDD, UQ, XBZERO, YQ);
  lp::finish_pivot(BASIS, BASLB, BASUB, DQ, INTYP, IOERR, LEAVE, LQ, M, MAPI,
                   MAXM, MAXN, MEMORY, N, OUTTYP, PCODE, PIVOT, Q, R, STATUS,
                   THETA, UNBDD, UQ, XBZERO, YQ, Z);
}

}  // namespace lp
