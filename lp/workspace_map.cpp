// workspace_map.cpp — the engine workspace: allocation, map and records.
//
//   lp::Workspace      owns LENMY zero-filled 64-bit slots (::operator new)
//   lp::renew_workspace  fresh lifetime + zero fill of MEMORY(1..LENMY)
//   lp::plan_workspace   the map's arithmetic, no memory touched
//   XMAPS   carves MEMORY into the column store, the fixed factor arrays and
//           the variable-length factor arrays A and IND; sets RVNCOM and
//           LA05DD's SMALL and LP
//   XCONSA  stores the three rounded capacities into their integer slots
//   XCONSI  stores IA and the pivot threshold U
//   XSTOP   the engine's one way of ending the program
//   RVNCOM, RVNA  the process-wide records (lp/workspace.h)
//
// Map of MEMORY (slots; L/2 means the rounded capacity divided by 2):
//   MAPA(1) LOWERB  LMAXN/2 (BNDTYP 4)   MAPA(2) UPPERB LMAXN/2 (BNDTYP 3, 4)
//   MAPA(3) PROFIT  LMAXN/2              MAPA(4) ACOEFF LMAXA/2
//   MAPA(5) COLPNT  LMAXN/2+1            MAPA(6) ROWNOS LMAXA/2
//   MAPA(7) MAXA    MAPA(8) MAXN    MAPA(9) MAXM     (one slot each)
//   MAPI(1) G  MAPI(2) U  MAPI(3) A (IA)  MAPI(4) W (LMAXM)
//   MAPI(5) IP (LMAXM,2)  MAPI(6) IND (IA,2)  MAPI(7) IW (LMAXM,8)
//   MAPI(8) IA
// The fixed part ends with MEMREQ = MAPA(9) + 6*LMAXM + 4 slots; what is
// left is split evenly between A and IND.

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "io/edit.h"
#include "io/one_based.h"
#include "io/record.h"
#include "io/units.h"
#include "lp/engine.h"
#include "lp/workspace.h"
#include "lu/sparse_lu.h"

lp::RvncomRecord RVNCOM;
lp::RvnaRecord RVNA;

namespace lp {

namespace {

constexpr std::size_t kSlotBytes = 8;

std::size_t workspace_bytes(int lenmy) {
  return static_cast<std::size_t>(std::max(lenmy, 1)) * kSlotBytes;
}

}  // namespace

Workspace::Workspace(int lenmy) : lenmy_(lenmy) {
  const std::size_t bytes = workspace_bytes(lenmy);
  raw_ = ::operator new(bytes);
  std::memset(raw_, 0, bytes);
}

Workspace::Workspace(int lenmy, const std::nothrow_t&) noexcept
    : lenmy_(lenmy) {
  const std::size_t bytes = workspace_bytes(lenmy);
  raw_ = ::operator new(bytes, std::nothrow);
  if (raw_ != nullptr) std::memset(raw_, 0, bytes);
}

Workspace::~Workspace() { ::operator delete(raw_); }

Workspace::Workspace(Workspace&& other) noexcept
    : raw_(std::exchange(other.raw_, nullptr)),
      lenmy_(std::exchange(other.lenmy_, 0)) {}

Workspace& Workspace::operator=(Workspace&& other) noexcept {
  if (this != &other) {
    ::operator delete(raw_);
    raw_ = std::exchange(other.raw_, nullptr);
    lenmy_ = std::exchange(other.lenmy_, 0);
  }
  return *this;
}

void renew_workspace(double* MEMORY, int LENMY) {
  if (LENMY <= 0) return;
  const std::size_t bytes = static_cast<std::size_t>(LENMY) * kSlotBytes;
  // Beginning the lifetime of an unsigned char array implicitly creates,
  // within it, the objects that the new map's slices need.
  unsigned char* fresh =
      ::new (static_cast<void*>(MEMORY)) unsigned char[bytes];
  std::memset(fresh, 0, bytes);
}

long long round_up4(long long v) {
  const long long rem = v % 4;  // sign of the dividend
  return rem != 0 ? v + 4 - rem : v;
}

MapPlan plan_workspace(int BNDTYP, long long LENMY, long long MAXA,
                       long long MAXM, long long MAXN) {
  MapPlan p;
  // Step 2: capacities rounded up to multiples of 4.
  p.LMAXA = round_up4(MAXA);
  p.LMAXM = round_up4(MAXM);
  p.LMAXN = round_up4(MAXN);
  const long long halfn = p.LMAXN / 2;
  const long long halfa = p.LMAXA / 2;
  const long long halfm = p.LMAXM / 2;

  // Steps 3-5: the column store.
  p.MAPA[1] = 1;
  switch (BNDTYP) {
    case 3:
      p.MAPA[2] = 1;
      p.MAPA[3] = halfn + 1;
      break;
    case 4:
      p.MAPA[2] = halfn + 1;
      p.MAPA[3] = halfn + p.MAPA[2];
      break;
    default:  // 1, 2: no bound slices
      p.MAPA[2] = 1;
      p.MAPA[3] = 1;
      break;
  }
  p.MAPA[4] = p.MAPA[3] + halfn;
  p.MAPA[5] = p.MAPA[4] + halfa;
  p.MAPA[6] = p.MAPA[5] + halfn + 1;
  p.MAPA[7] = p.MAPA[6] + halfa;
  p.MAPA[8] = p.MAPA[7] + 1;
  p.MAPA[9] = p.MAPA[8] + 1;

  // Steps 6-7: fixed requirement and what is left.
  p.MEMREQ = p.MAPA[9] + p.LMAXM + 10 * halfm + 4;
  p.LEFT = LENMY - p.MEMREQ;
  if (p.LEFT <= 0) return p;

  // Step 8: IA = LEFT/2 through a 32-bit real, truncated, minus 8, rounded.
  const float half_left = static_cast<float>(p.LEFT / 2);
  p.IA = round_up4(static_cast<long long>(half_left) - 8);
  // The 32-bit passage may round LEFT/2 up (above 2**24); never let the
  // variable part end past MEMORY(LENMY): the map's last slot is
  // MAPI(8) = MEMREQ - 1 + 2*IA.
  while (p.IA > 0 && p.MEMREQ - 1 + 2 * p.IA > LENMY) p.IA -= 4;

  // Step 9: density and the basis estimate, in 32-bit reals.  Empty
  // capacities (MAXN or MAXM of 0) count as one cell, so nothing divides
  // by zero.
  const long long cells = std::max(p.LMAXN * p.LMAXM, 1LL);
  p.DENSE = static_cast<float>(p.LMAXA) / static_cast<float>(cells);
  const float nonzb = static_cast<float>(p.LMAXM * p.LMAXM) * p.DENSE;
  constexpr float kHuge = 4.0e18f;  // beyond any workspace; fits long long
  p.NONZB = nonzb >= kHuge ? static_cast<long long>(kHuge)
                           : static_cast<long long>(nonzb);
  // A basis holds at least one nonzero: an estimate of 0 is measured as 1.
  p.GROWTH = static_cast<float>(p.IA) /
             static_cast<float>(std::max(p.NONZB, 1LL));

  // Step 11: the factorisation slices.
  p.MAPI[1] = p.MAPA[9] + 1;
  p.MAPI[2] = p.MAPI[1] + 1;
  p.MAPI[3] = p.MAPI[2] + 1;
  p.MAPI[4] = p.MAPI[3] + p.IA;
  p.MAPI[5] = p.MAPI[4] + p.LMAXM;
  p.MAPI[6] = p.MAPI[5] + 2 * halfm;
  p.MAPI[7] = p.MAPI[6] + 2 * (p.IA / 2);
  p.MAPI[8] = p.MAPI[7] + 8 * halfm;
  return p;
}

}  // namespace lp

namespace {

constexpr int kBadBoundType = 3;  // XSTOP: " INVALID BOUND TYPE."
constexpr int kBadRows = 1;       // XSTOP: " INVALID NUMBER OF CONSTRAINTS."
constexpr int kBadColumns = 2;    // XSTOP: " INVALID NUMBER OF VARIABLES."
constexpr int kSilent = 0;        // XSTOP: no line of its own

[[noreturn]] void stop(int code, int& IOERR) {
  int error = code;
  XSTOP(error, IOERR);
}

}  // namespace

void XMAPS(int& IPRINT, int& BNDTYP, int& IOERR, int& LENMA, int& LENMI,
           int& LENMY, int* MAPA, int* MAPI, int& MAXA, int& MAXM, int& MAXN,
           double* MEMORY) {
  using io::I;
  // Step 1: the factorisation's drop tolerance and message unit, and the
  // engine's tolerances (nearest doubles to the decimal constants).
  LA05DD.SMALL = 1.0e-10;
  LA05DD.LP = IOERR;
  RVNCOM.BIG = 1.0e30;
  RVNCOM.SMALL = 1.0e-10;
  RVNCOM.ZL = 1.0e-10;
  RVNCOM.ZLC = 1.0e-10;
  RVNCOM.EPS1 = 1.0e-6;
  RVNCOM.EPS2 = 1.0e-6;
  RVNCOM.EPS3 = 1.0e-6;

  // Steps 2-5 are computed by plan_workspace; first the checks of step 4
  // and of the capacities (a negative one would place slices before slot 1).
  if (BNDTYP < 1 || BNDTYP > 4) {
    io::Line(IOERR) << " XMAPS " << io::X(5) << I(BNDTYP, 5);
    stop(kBadBoundType, IOERR);
  }
  if (MAXM < 0) {
    io::Line(IOERR) << " XMAPS " << io::X(5) << I(MAXM, 5);
    stop(kBadRows, IOERR);
  }
  if (MAXN < 0) {
    io::Line(IOERR) << " XMAPS " << io::X(5) << I(MAXN, 5);
    stop(kBadColumns, IOERR);
  }
  if (MAXA < 0) {
    io::Line(IOERR) << " XMAPS " << io::X(5) << I(MAXA, 5);
    stop(kSilent, IOERR);
  }
  const lp::MapPlan plan = lp::plan_workspace(BNDTYP, LENMY, MAXA, MAXM, MAXN);
  LENMA = 9;
  LENMI = 8;

  // Step 6: the fixed requirement.
  if (IPRINT == 1) {
    io::Line(IOERR) << " XMAPS...MEMORY SPACE REQUIRED FOR FIXED LENGTH ARRAYS:"
                    << I(plan.MEMREQ, 9) << " DOUBLE WORDS.";
    io::Line(IOERR) << " XMAPS...YOU HAVE PROVIDED:" << I(LENMY, 9)
                    << " DOUBLE WORDS.";
  }
  // Step 7: room for the variable part.
  if (IPRINT == 1) {
    io::Line(IOERR)
        << " XMAPS...MEMORY SPACE AVAILABLE FOR VARIABLE LENGTH ARRAYS:"
        << I(plan.LEFT, 7) << " DOUBLE WORDS.";
  }
  if (plan.LEFT <= 0) stop(kSilent, IOERR);

  // Steps 8-10: IA, the density estimate and the growth factor.
  if (IPRINT == 1) {
    io::Line(IOERR) << " XMAPS...THIS PERMITS A GROWTH FACTOR OF "
                    << io::F(plan.GROWTH, 10, 2);
    io::Line(IOERR) << " A GROWTH FACTOR OF AT LEAST 3.0"
                    << " IS REQUIRED FOR SUCCESSFUL EXECUTION.";
  }
  if (plan.GROWTH < 3.0f) stop(kSilent, IOERR);

  // The map is accepted (every entry now lies within 1..LENMY): give the
  // region its new layout, zero-filled.
  lp::renew_workspace(MEMORY, LENMY);
  io::F1<int> mapa(MAPA);
  io::F1<int> mapi(MAPI);
  for (int k = 1; k <= 9; ++k) mapa(k) = static_cast<int>(plan.MAPA[k]);
  // Step 11: the factorisation slices and the threshold, the 32-bit 0.1.
  for (int k = 1; k <= 8; ++k) mapi(k) = static_cast<int>(plan.MAPI[k]);
  double U = static_cast<double>(0.1f);

  // Step 12: the size constants into their slots.
  int lmaxa = static_cast<int>(plan.LMAXA);
  int lmaxm = static_cast<int>(plan.LMAXM);
  int lmaxn = static_cast<int>(plan.LMAXN);
  int ia = static_cast<int>(plan.IA);
  XCONSA(lmaxa, lmaxm, lmaxn, *lp::i32_slice(MEMORY, mapa(7)),
         *lp::i32_slice(MEMORY, mapa(9)), *lp::i32_slice(MEMORY, mapa(8)));
  XCONSI(ia, U, *lp::i32_slice(MEMORY, mapi(8)),
         *lp::f64_slice(MEMORY, mapi(2)));
}

void XCONSA(int& MAXA, int& MAXM, int& MAXN, int& XMAXA, int& XMAXM,
            int& XMAXN) {
  XMAXA = MAXA;
  XMAXM = MAXM;
  XMAXN = MAXN;
}

void XCONSI(int& IA, double& U, int& XIA, double& XU) {
  XIA = IA;
  XU = U;
}

void XSTOP(int& ERROR, int& IOERR) {
  static constexpr const char* kLines[] = {
      " INVALID NUMBER OF CONSTRAINTS.",  // 1
      " INVALID NUMBER OF VARIABLES.",    // 2
      " INVALID BOUND TYPE.",             // 3
      " INVALID COLUMN LENGTH.",          // 4
  };
  if (ERROR >= 1 && ERROR <= 4) io::Line(IOERR) << kLines[ERROR - 1];
  io::stop_run(1, "Stop - Program terminated.");
}
