// workspace.h — the LP engine's workspace MEMORY and its process-wide
// records RVNCOM and RVNA.  This is the ONE place that decides how typed
// arrays sit in MEMORY; every engine routine reaches its arrays through the
// slice functions below and nothing else.
//
// Layout.  MEMORY(1..LENMY) is an array of 64-bit slots, one-based:
// MEMORY(1) is MEMORY[0].  XMAPS carves it into slices (table MAPA for the
// column store, MAPI for the factorisation).  A slice of 32-bit reals or
// 32-bit integers holds two elements per slot, element 1 in the first four
// bytes of its first slot; an integer stored "into a slot" (MAXA, MAXN,
// MAXM, IA) occupies the slot's first four bytes.
//
//   lp::f32_slice(MEMORY, start)  float*   element 1 at slot `start`
//   lp::i32_slice(MEMORY, start)  int*     element 1 at slot `start`
//   lp::f64_slice(MEMORY, start)  double*  element 1 at slot `start`
//
// A routine opens with a short "slices of the workspace" block and then
// works with plain pointers (or io::F1 views of them): no cost in the loops.
//
// Why this is well-defined.  The storage is obtained from an allocation
// function (lp::Workspace below uses ::operator new; std::malloc/calloc work
// too) and no double objects are constructed in it.  Since C++20 such
// storage implicitly creates the objects of implicit-lifetime type that the
// program's later accesses need ([intro.object]/10-13): here an unsigned
// char array spanning all LENMY*8 bytes, which provides storage for the
// float, int and double arrays nested in it, one per slice of the map.  A
// slice pointer is formed from the byte address of its first slot and
// passed through std::launder, which yields a pointer to element 1 of the
// nested array; pointer arithmetic then stays inside that array.  The
// `double* MEMORY` handed around is only an address: no routine reads a
// double through it except via f64_slice.  Because the map of one
// allocation may change (a second XMAPS call with other capacities), XMAPS
// begins a fresh lifetime of the whole region (placement new of an unsigned
// char array over it, which again creates the nested objects implicitly)
// and then zero-fills it, so that nothing is ever read from a slot of the
// previous layout or from uninitialised storage.
//
// What callers must do: obtain MEMORY from lp::Workspace (preferred) or
// from std::malloc/std::calloc/::operator new, with at least LENMY*8 bytes,
// and pass that LENMY to XMAPS.  NOT from std::vector<double> or
// new double[]: those construct double objects, and storing floats and ints
// over them would access objects of the wrong type.  Call XMAPS before any
// other engine routine touches MEMORY, and never write into MEMORY
// yourself.
#pragma once

#include <cstddef>
#include <new>

namespace lp {

// Owns LENMY zero-filled 64-bit slots obtained from ::operator new; no
// double objects are constructed.  LENMY <= 0 allocates one slot so that
// data() is never null (XMAPS then rejects the workspace as too small).
class Workspace {
 public:
  // Throws std::bad_alloc when the storage cannot be obtained.
  explicit Workspace(int lenmy);
  // Never throws; ok() tells whether the storage was obtained (the solver
  // reports "Not enough storage for data; aborting..." itself).
  Workspace(int lenmy, const std::nothrow_t&) noexcept;
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  Workspace(Workspace&& other) noexcept;
  Workspace& operator=(Workspace&& other) noexcept;

  bool ok() const { return raw_ != nullptr; }
  // MEMORY(1): the address of slot 1, typed double* for the engine's
  // argument lists.  Reach typed data only through the slice functions.
  double* data() const { return static_cast<double*>(raw_); }
  int size() const { return lenmy_; }  // LENMY

 private:
  void* raw_ = nullptr;
  int lenmy_ = 0;
};

// Byte address of slot START (one-based) of MEMORY.
inline unsigned char* slot_address(double* MEMORY, int start) {
  return reinterpret_cast<unsigned char*>(MEMORY) +
         static_cast<std::ptrdiff_t>(start - 1) * 8;
}

// Element 1 of the 32-bit real slice that begins at slot START.
inline float* f32_slice(double* MEMORY, int start) {
  return std::launder(reinterpret_cast<float*>(slot_address(MEMORY, start)));
}

// Element 1 of the 32-bit integer slice that begins at slot START; also the
// integer held in the first four bytes of slot START.
inline int* i32_slice(double* MEMORY, int start) {
  return std::launder(reinterpret_cast<int*>(slot_address(MEMORY, start)));
}

// Element 1 of the 64-bit real slice that begins at slot START.
inline double* f64_slice(double* MEMORY, int start) {
  return std::launder(reinterpret_cast<double*>(slot_address(MEMORY, start)));
}

// Begins a fresh lifetime of MEMORY(1..LENMY) and zero-fills it (see the
// file comment).  XMAPS calls it once the map is decided; nothing else
// should.  LENMY <= 0 does nothing.
void renew_workspace(double* MEMORY, int LENMY);

// The arithmetic of the workspace map, without touching any memory.  XMAPS
// computes it first, reports and checks it, and only then writes.  All
// lengths are 64-bit so that no capacity can overflow them.
struct MapPlan {
  long long LMAXA = 0, LMAXM = 0, LMAXN = 0;  // capacities rounded up to 4
  long long MAPA[10] = {};                    // MAPA[1..9]
  long long MAPI[9] = {};                     // MAPI[1..8]
  long long MEMREQ = 0;                       // fixed requirement (slots)
  long long LEFT = 0;                         // LENMY - MEMREQ
  long long IA = 0;                           // length of the variable part
  long long NONZB = 0;                        // estimated basis nonzeros
  float DENSE = 0.0f;                         // density estimate
  float GROWTH = 0.0f;                        // IA / NONZB
};

// Rounds V up to a multiple of 4; the remainder has the sign of V, so a
// negative V moves towards zero or past it (-5 -> 0, -3 -> 4).
long long round_up4(long long v);

// Fills PLAN for a valid BNDTYP (1..4) and non-negative capacities.  MAPI
// is filled only when LEFT > 0.  IA is the variable part of step 8 of the
// map, lowered by multiples of 4 if the 32-bit passage rounded it up so far
// that the map would end past slot LENMY.  NONZB of 0 (no nonzeros
// expected) is measured as 1 in GROWTH, since a basis holds at least one
// nonzero: no division by zero.
MapPlan plan_workspace(int BNDTYP, long long LENMY, long long MAXA,
                       long long MAXM, long long MAXN);

}  // namespace lp

// ---- Process-wide records of the engine ----

namespace lp {

// RVNCOM: the engine's tolerances, set by XMAPS (zero until then).
struct RvncomRecord {
  double BIG = 0.0;    // 1.0e30: infinity (default upper bound, no limit)
  double SMALL = 0.0;  // 1.0e-10: set, read by no routine
  double ZL = 0.0;     // 1.0e-10: zero tolerance of values, ratios
  double ZLC = 0.0;    // 1.0e-10: zero tolerance of reduced costs, progress
  double EPS1 = 0.0;   // 1.0e-6: dual residual tolerance
  double EPS2 = 0.0;   // 1.0e-6: primal residual tolerance
  double EPS3 = 0.0;   // 1.0e-6: smallest accepted pivot magnitude
  double EPS4 = 0.0;   // reserved (never set)
  double EPS5 = 0.0;   // reserved (never set)
  double EPS6 = 0.0;   // reserved (never set)
};

// RVNA: the master-LP routines' copy of the engine's arguments.  Arrays are
// plain C arrays; pass RVNA.MAPA etc. as pointers to element 1.
struct RvnaRecord {
  int MAPA[20] = {};   // column-store index table, entries 1..9 used
  int MAPI[20] = {};   // factorisation index table, entries 1..8 used
  double BLOW[1] = {}; // lower limits of two-sided rows (none)
  double BOUND = 0.0;  // common upper bound for BNDTYP 2
  double CJ = 0.0;     // cost of the column being stored or fetched
  double LJ = 0.0;     // bounds of the column being stored or fetched
  double UJ = 0.0;
  double Z = 0.0;      // objective of the current basic solution
  int BNDTYP = 0;      // bound type
  int COLLEN = 0;      // length of the column being stored or fetched
  int DFEASQ = 0;      // dual simplex results
  int DTERM = 0;
  int DUNBR = 0;
  int FACTOR = 0;      // refactorisation frequency
  int IOERR = 0;       // error and dump unit
  int IOLOG = 0;       // log and trace unit
  int ITER = 0;        // iteration counter
  int ITER1 = 0;       // phase-1 / phase-2 iteration counts
  int ITER2 = 0;
  int LENMA = 0;       // lengths of MAPA and MAPI (9 and 8)
  int LENMI = 0;
  int LOOK = 0;        // partial-pricing window
  int M = 0;           // rows
  int N = 0;           // columns currently stored
  int NTYPE2 = 0;      // columns carrying BOUND with BNDTYP 2
  int PICK = 0;        // pricing candidates kept
  int PRINT = 0;       // print level of the primal driver
  int TERMIN = 0;      // primal driver result
  int UNBDDQ = 0;      // column found unbounded
  int CAND[10] = {};   // candidate lists of pricing
  int CANDL[10] = {};
};

}  // namespace lp

extern lp::RvncomRecord RVNCOM;
extern lp::RvnaRecord RVNA;
