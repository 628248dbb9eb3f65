// anti_stall.h — the primal phases' fallback for degenerate stalling
// (internal to the LP engine; implemented in lp/anti_stall.cpp).
//
// The primal phases normally price in windows into a candidate list and
// take the most attractive columns first; on highly degenerate LPs that
// rule can circle among bases of one vertex for ever.  When a phase has
// made no progress for its own no-progress limit it switches to the
// smallest-index rule (Bland's rule for bounded variables), which cannot
// cycle in exact arithmetic.  The pivot-size preference below and the
// tolerances give up part of that guarantee for stability (Netlib modszk1
// cycles in the mode with a period of 16 pivots; without the preference it
// picks pivots below EPS3 until the refusal limit); the mode's own limit
// ends such runs as before:
//   - entering column: the smallest column index whose reduced cost is
//     attractive for its status (|DJ| >= ZLC), found by a full scan;
//   - leaving row: among the rows attaining the minimum ratio (within ZL,
//     as in the ordinary ratio test) the one whose basic column has the
//     smallest index among those whose pivot is above EPS3 and not below
//     a tenth of the largest tied pivot; the entering column's
//     own range wins (bound flip) when it is not longer than the minimum
//     ratio.
// The mode ends with the first iteration that improves the phase's
// objective by more than ZLC; the phase then returns to its ordinary
// pricing.  If the mode itself makes no progress for stall_limit(M, N)
// iterations the phase is abandoned as before.
#pragma once

#include <vector>

namespace lp {

class AntiStall {
 public:
  AntiStall(int M, int N);

  bool active() const { return active_; }

  // One more iteration without progress after the phase's own limit was
  // reached: switches the mode on (first call) and counts the mode's idle
  // iterations.  False once the mode has been idle for limit() iterations:
  // the phase is to be abandoned.
  bool keep_going();

  // Progress: leaves the mode.  True when the mode was active (the caller
  // then starts a fresh pricing pass).
  bool leave();

  int limit() const { return limit_; }
  long long mode_iterations() const { return used_; }

  // The entering column of the mode: the smallest index j in 1..N with
  // STATUS(j) = 0 and DJ > 0, or STATUS(j) = -1 and DJ < 0, DJ being
  // priced exactly as the windowed pricing does (PHASE 2: PROFIT(j) - u.a,
  // else -u.a; ZL and ZLC cleaning).  In phase 2 a DJ of at most 1e-8
  // times |c(j)| + sum |u(i) a(i,j)| counts as rounding noise, not as
  // attractive.  Columns refused since the last
  // carried-out iteration (NREJ of them, the last one LASTQ) are passed
  // over while another column is attractive.  Returns the column (DJ in
  // DQ) or 0 when no column is attractive.
  int choose(int PHASE, int N, const int* STATUS, const double* UZERO,
             const float* PROFIT, const float* ACOEFF, const int* COLPNT,
             const int* ROWNOS, int NREJ, double& DQ);

 private:
  bool active_ = false;
  int limit_ = 0;
  int idle_ = 0;
  long long used_ = 0;
  int last_q_ = 0;
  std::vector<int> refused_;
};

// No-progress limit of the mode: 10*(M+N) + 1000 iterations.  Measured
// longest idle stretches that the mode ended with progress: Netlib fit1p
// 19,567 (limit 30,310), scrs8 1,912, stocfor2 759, degen2 728, blend
// 239; the master LPs of the classic geometric programs CL26 and CL28 57
// and 616.  Stretches that do not end within the limit did not end within
// 50*(M+N) either (fit1p, modszk1).
int stall_limit(int M, int N);

// XPIVOT with the smallest-index leaving rule: same arguments, results and
// refusals (|PIVOT| <= EPS3 gives PCODE = -1 with nothing changed; UNBDD
// with nothing changed; a singular update gives lp::kSingularUpdate).
void bland_pivot(int* BASIS, double* BASLB, double* BASUB, double& DQ,
                 int& INTYP, int& IOERR, int& LEAVE, int& LENMI, int& LENMY,
                 double& LQ, int& M, int* MAPI, int& MAXM, int& MAXN,
                 double* MEMORY, int& N, int& OUTTYP, int& PCODE,
                 double& PIVOT, int& Q, int& R, int* STATUS, double& THETA,
                 bool& UNBDD, double& UQ, double* XBZERO, double* YQ,
                 double& Z);

// The ratio test of the mode (XCHUZR's contract, smallest-index ties).
void bland_ratio(int* BASIS, double* BASLB, double* BASUB, int& INTYP,
                 int& IOERR, double& LQ, int& M, int& OUTTYP, double& PIVOT,
                 int& Q, int& R, int* STATUS, double& THETA, bool& UNBDD,
                 double& UQ, double* XBZERO, double* YQ);

}  // namespace lp
