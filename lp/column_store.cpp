// column_store.cpp — the packed column and bound store in the workspace.
//
//   XADDAJ  append a column (N += 1)          -> XDATA1
//   XGETAJ  fetch a column                    -> XDATA2
//   XREPAJ  overwrite a column in place       -> XDATA5
//   XADDUB  store a column's bounds           -> XDATA3
//   XGETUB  fetch a column's bounds           -> XDATA4
//
// The wrappers locate the slices through MAPA (lp/workspace.h); the workers
// do the work and every check, in the order of their steps, and end the
// program through XSTOP on bad data (the store is not repaired: the program
// ends).
//
// Store (slices of MEMORY):
//   PROFIT(1..MAXN)  float cost per column
//   COLPNT(0..MAXN)  int; column J occupies positions COLPNT(J-1)+1 ..
//                    COLPNT(J) of ACOEFF and ROWNOS, columns in order of J
//   ACOEFF(1..MAXA)  float values     ROWNOS(1..MAXA)  int row numbers
//   UPPERB(1..MAXN)  float (BNDTYP 3, 4)   LOWERB(1..MAXN) float (BNDTYP 4)
// A column stored by XREPAJ as the last column reserves COLMAX positions,
// the unused ones holding filler pairs (0.0, MAXM).
//
// Safety beyond the plain checks, so that no argument can move a read or
// write outside the slices: J below 1 is refused like a missing column;
// XREPAJ never accepts capacities above the workspace's, nor a J beyond
// N+1 (whose slice start would be stale); a last column's reservation is
// cut where the nonzero capacity ends; filler never runs past the column's
// own slice, and a slice longer than the new column is filled to its end
// (no stale entries of the old column survive); pointers that could only
// come from a damaged store are reported as a bad length.  Sums of
// positions are formed in 64 bits.
//
// Messages are printed lines (io::Line): the first character of each text
// is its carriage control and is not shown, so " XDATA1...ERROR: ..." shows
// as "XDATA1...ERROR: ...".  "XDATA5.. NOT ENOUGH SPACE FOR NEW COLUMN" has
// no blank of its own: its X is the carriage control and the line shows
// "DATA5.. NOT ENOUGH SPACE FOR NEW COLUMN".

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

#include "io/edit.h"
#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/workspace.h"

namespace {

constexpr int kSilent = 0;        // XSTOP code: no line of its own
constexpr int kBadBoundType = 3;  // XSTOP code: " INVALID BOUND TYPE."

[[noreturn]] void stop(int code, int& IOERR) {
  int error = code;
  XSTOP(error, IOERR);
}

// A double as the 32-bit real that the store holds.  Magnitudes beyond the
// float range become infinities (a plain conversion would be undefined).
float to_f32(double v) {
  if (v > FLT_MAX) return HUGE_VALF;
  if (v < -FLT_MAX) return -HUGE_VALF;
  return static_cast<float>(v);
}

int clamp_int(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// Slices of the column store, located through MAPA.
struct StoreSlices {
  float* LOWERB;   // nullptr when the map holds no lower bounds
  float* UPPERB;   // nullptr when the map holds no upper bounds
  float* PROFIT;
  float* ACOEFF;
  int* COLPNT;     // element 0
  int* ROWNOS;
  int* MAXA;       // the rounded capacities stored by XMAPS
  int* MAXN;
  int* MAXM;
};

StoreSlices store_slices(int* MAPA, double* MEMORY) {
  io::F1<int> mapa(MAPA);
  StoreSlices s;
  s.LOWERB = mapa(1) < mapa(2) ? lp::f32_slice(MEMORY, mapa(1)) : nullptr;
  s.UPPERB = mapa(2) < mapa(3) ? lp::f32_slice(MEMORY, mapa(2)) : nullptr;
  s.PROFIT = lp::f32_slice(MEMORY, mapa(3));
  s.ACOEFF = lp::f32_slice(MEMORY, mapa(4));
  s.COLPNT = lp::i32_slice(MEMORY, mapa(5));
  s.ROWNOS = lp::i32_slice(MEMORY, mapa(6));
  s.MAXA = lp::i32_slice(MEMORY, mapa(7));
  s.MAXN = lp::i32_slice(MEMORY, mapa(8));
  s.MAXM = lp::i32_slice(MEMORY, mapa(9));
  return s;
}

// " <name>...ERROR: TOO MANY VARIABLES.  SPACE WAS REQUESTED FOR ONLY"
// MAXN(I6) " VARIABLES."
[[noreturn]] void too_many_variables(const char* name, int MAXN, int& IOERR) {
  io::Line(IOERR) << " " << name << "...ERROR: TOO MANY VARIABLES."
                  << "  SPACE WAS REQUESTED FOR ONLY" << io::I(MAXN, 6)
                  << " VARIABLES.";
  stop(kSilent, IOERR);
}

[[noreturn]] void too_many_nonzeros(const char* name, int MAXA, int& IOERR) {
  io::Line(IOERR) << " " << name << "...ERROR: TOO MANY NON-ZEROS."
                  << "  SPACE WAS REQUESTED FOR ONLY" << io::I(MAXA, 6)
                  << " NON-ZEROS.";
  stop(kSilent, IOERR);
}

[[noreturn]] void bad_row(const char* name, int J, int row, int& IOERR) {
  io::Line(IOERR) << " " << name << "...ERROR: COLUMN" << io::I(J, 5)
                  << " HAS AN ENTRY IN ROW" << io::I(row, 5);
  stop(kSilent, IOERR);
}

[[noreturn]] void bad_length(const char* name, int J, long long COLLEN,
                             int& IOERR) {
  io::Line(IOERR) << " " << name << "...ERROR: COLUMN" << io::I(J, 5)
                  << " HAS LENGTH" << io::I(COLLEN, 5);
  stop(kSilent, IOERR);
}

[[noreturn]] void no_such_column(const char* name, int J, int& IOERR) {
  io::Line(IOERR) << " " << name << "...ERROR: VARIABLE" << io::I(J, 5)
                  << " DOES NOT EXIST.";
  stop(kSilent, IOERR);
}

[[noreturn]] void invalid_index(const char* name, int J, int& IOERR) {
  io::Line(IOERR) << " " << name << "...ERROR: INVALID VARIABLE INDEX"
                  << io::I(J, 5);
  stop(kSilent, IOERR);
}

[[noreturn]] void bad_bound_type(const char* name, int BNDTYP, int& IOERR) {
  io::Line(IOERR) << " " << name << io::X(5) << io::I(BNDTYP, 5);
  stop(kBadBoundType, IOERR);
}

// Copies entries 1..COLLEN of the caller's column to positions IP+1.. of
// the store, checking every row number against 1..MAXM first.
void put_entries(const char* name, const double* COLA, const int* COLI,
                 int COLLEN, int J, long long IP, float* ACOEFF, int* ROWNOS,
                 int MAXM, int& IOERR) {
  io::F1<const double> cola(COLA);
  io::F1<const int> coli(COLI);
  io::F1<float> acoeff(ACOEFF);
  io::F1<int> rownos(ROWNOS);
  for (int ik = 1; ik <= COLLEN; ++ik) {
    if (coli(ik) < 1 || coli(ik) > MAXM) bad_row(name, J, coli(ik), IOERR);
    acoeff(IP + ik) = to_f32(cola(ik));
    rownos(IP + ik) = coli(ik);
  }
}

}  // namespace

// ---- Wrappers -------------------------------------------------------------

void XADDAJ(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, int& /*LENMA*/, int& /*LENMY*/, int* MAPA,
            double* MEMORY, int& N) {
  StoreSlices s = store_slices(MAPA, MEMORY);
  if (N < INT_MAX) N = N + 1;  // at INT_MAX the capacity check refuses it
  J = N;
  XDATA1(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, s.PROFIT, s.ACOEFF,
         s.COLPNT, s.ROWNOS, *s.MAXA, *s.MAXN, *s.MAXM);
}

void XGETAJ(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, int& /*LENMA*/, int& /*LENMY*/, int* MAPA,
            double* MEMORY) {
  StoreSlices s = store_slices(MAPA, MEMORY);
  XDATA2(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, s.PROFIT, s.ACOEFF,
         s.COLPNT, s.ROWNOS, *s.MAXA, *s.MAXN);
}

void XREPAJ(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, int& /*LENMA*/, int& /*LENMY*/, int* MAPA,
            double* MEMORY, int& N, int& MAXA, int& MAXN, int& MAXM) {
  StoreSlices s = store_slices(MAPA, MEMORY);
  // The caller's capacities are the checking bounds, but never beyond what
  // the workspace was mapped for.
  int maxa = std::min(MAXA, *s.MAXA);
  int maxn = std::min(MAXN, *s.MAXN);
  int maxm = std::min(MAXM, *s.MAXM);
  XDATA5(N, CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, s.PROFIT, s.ACOEFF,
         s.COLPNT, s.ROWNOS, maxa, maxn, maxm);
}

void XADDUB(int& BNDTYP, int& IOERR, int& J, int& /*LENMA*/, int& /*LENMY*/,
            double& LJ, int* MAPA, double* MEMORY, double& UJ) {
  StoreSlices s = store_slices(MAPA, MEMORY);
  XDATA3(BNDTYP, IOERR, J, LJ, UJ, s.LOWERB, s.UPPERB, *s.MAXN);
}

void XGETUB(int& BNDTYP, int& IOERR, int& J, int& /*LENMA*/, int& /*LENMY*/,
            double& LJ, int* MAPA, double* MEMORY, double& UJ) {
  StoreSlices s = store_slices(MAPA, MEMORY);
  XDATA4(BNDTYP, IOERR, J, LJ, UJ, s.LOWERB, s.UPPERB, *s.MAXN);
}

// ---- Workers --------------------------------------------------------------

// Append column J.
void XDATA1(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, float* PROFIT, float* ACOEFF, int* COLPNT,
            int* ROWNOS, int& MAXA, int& MAXN, int& MAXM) {
  io::F1<float> profit(PROFIT);
  // 1. Capacity (and a J that names no slot at all).
  if (J > MAXN) too_many_variables("XDATA1", MAXN, IOERR);
  if (J < 1) no_such_column("XDATA1", J, IOERR);
  // 2. The new column starts where column J-1 ends.
  if (J == 1) COLPNT[0] = 0;
  const long long ip = COLPNT[J - 1];
  const long long end = ip + COLLEN;
  COLPNT[J] = clamp_int(end);
  // 3. Room for its entries.
  if (ip < 0 || end > MAXA) too_many_nonzeros("XDATA1", MAXA, IOERR);
  // 4. Cost.
  profit(J) = to_f32(CJ);
  // 5. Entries.
  if (COLLEN < 1 || COLLEN > COLMAX) bad_length("XDATA1", J, COLLEN, IOERR);
  put_entries("XDATA1", COLA, COLI, COLLEN, J, ip, ACOEFF, ROWNOS, MAXM,
              IOERR);
}

// Fetch column J.
void XDATA2(double& CJ, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& IOERR, int& J, float* PROFIT, float* ACOEFF, int* COLPNT,
            int* ROWNOS, int& MAXA, int& MAXN) {
  io::F1<float> profit(PROFIT);
  io::F1<float> acoeff(ACOEFF);
  io::F1<int> rownos(ROWNOS);
  io::F1<double> cola(COLA);
  io::F1<int> coli(COLI);
  // 1. Existence.
  if (J < 1 || J > MAXN) no_such_column("XDATA2", J, IOERR);
  // 2. Cost and length.
  CJ = static_cast<double>(profit(J));
  const long long ip = COLPNT[J - 1];
  const long long end = COLPNT[J];
  const long long len = end - ip;
  COLLEN = clamp_int(len);
  // 3. Length within the caller's buffer (and a slice within the store).
  if (len < 1 || len > COLMAX || ip < 0 || end > MAXA) {
    bad_length("XDATA2", J, len, IOERR);
  }
  if (COLLEN != COLMAX) {
    // 4. A straight copy.
    for (int ik = 1; ik <= COLLEN; ++ik) {
      cola(ik) = static_cast<double>(acoeff(ip + ik));
      coli(ik) = rownos(ip + ik);
    }
    return;
  }
  // 5. A slice of exactly COLMAX positions: recount up to the first row 0.
  COLLEN = 0;
  for (int ik = 1; ik <= COLMAX; ++ik) {
    if (rownos(ip + ik) == 0) break;
    COLLEN = COLLEN + 1;
    cola(ik) = static_cast<double>(acoeff(ip + ik));
    coli(ik) = rownos(ip + ik);
  }
  if (COLLEN == 0) bad_length("XDATA2", J, COLLEN, IOERR);
}

// Put the bounds of column J.
void XDATA3(int& BNDTYP, int& IOERR, int& J, double& LJ, double& UJ,
            float* LOWERB, float* UPPERB, int& MAXN) {
  // 1. Index.
  if (J < 1 || J > MAXN) invalid_index("XDATA3", J, IOERR);
  // 2. Order of the bounds (a NaN fails too).
  if (!(UJ >= LJ)) {
    io::Record(IOERR, '0') << "XDATA3.....FOR J = " << io::I(J, 6)
                           << ", LJ =" << io::D(LJ, 16, 8)
                           << " EXCEEDS UJ =" << io::D(UJ, 16, 8);
    stop(kSilent, IOERR);
  }
  // 3. Store by bound type.
  if (BNDTYP == 4 && LOWERB != nullptr && UPPERB != nullptr) {
    LOWERB[J - 1] = to_f32(LJ);
    UPPERB[J - 1] = to_f32(UJ);
  } else if (BNDTYP == 3 && UPPERB != nullptr) {
    UPPERB[J - 1] = to_f32(UJ);
  } else {
    bad_bound_type("XDATA3", BNDTYP, IOERR);
  }
}

// Get the bounds of column J.
void XDATA4(int& BNDTYP, int& IOERR, int& J, double& LJ, double& UJ,
            float* LOWERB, float* UPPERB, int& MAXN) {
  // 1. Index.
  if (J < 1 || J > MAXN) invalid_index("XDATA4", J, IOERR);
  // 2. Lower bound by bound type.
  LJ = 0.0;
  if (BNDTYP == 4 && LOWERB != nullptr && UPPERB != nullptr) {
    LJ = static_cast<double>(LOWERB[J - 1]);
  } else if (BNDTYP == 3 && UPPERB != nullptr) {
    // LJ stays 0.
  } else {
    bad_bound_type("XDATA4", BNDTYP, IOERR);
  }
  // 3. Upper bound; an infinite one comes back as exactly BIG.
  UJ = static_cast<double>(UPPERB[J - 1]);
  if (UJ >= RVNCOM.BIG * static_cast<double>(0.99f)) UJ = RVNCOM.BIG;
}

// Replace column J of the N stored.
void XDATA5(int& N, double& CJ, double* COLA, int* COLI, int& COLLEN,
            int& COLMAX, int& IOERR, int& J, float* PROFIT, float* ACOEFF,
            int* COLPNT, int* ROWNOS, int& MAXA, int& MAXN, int& MAXM) {
  io::F1<float> profit(PROFIT);
  io::F1<float> acoeff(ACOEFF);
  io::F1<int> rownos(ROWNOS);
  // 1. Capacity; J must name a stored column or the next one.
  if (J > MAXN) too_many_variables("XDATA5", MAXN, IOERR);
  if (J < 1 || J > std::max(N, 0) + 1LL) no_such_column("XDATA5", J, IOERR);
  // 2. Start of the column's slice.
  if (J == 1) COLPNT[0] = 0;
  const long long ip = COLPNT[J - 1];
  const long long end = ip + COLLEN;
  // 3. A column inside the store must fit its slice.
  if (J < N && COLPNT[J] < end) {
    // An empty line, then the message, whose X is its carriage control.
    io::Line(IOERR) << " ";
    io::Line(IOERR) << "XDATA5.. NOT ENOUGH SPACE FOR NEW COLUMN";
    io::Line(IOERR) << io::X(5) << "J= " << io::I(J, 5) << io::X(5)
                    << "LENGTH= " << io::I(COLLEN, 5);
    stop(kSilent, IOERR);
  }
  // 4. The last column reserves COLMAX positions, as far as the nonzero
  // capacity reaches.
  if (J >= N) {
    long long reserve = std::min<long long>(ip + COLMAX, MAXA);
    COLPNT[J] = clamp_int(std::max(reserve, ip));
  }
  // 5. Room for its entries.
  if (ip < 0 || end > MAXA) too_many_nonzeros("XDATA5", MAXA, IOERR);
  // 6. Cost.
  profit(J) = to_f32(CJ);
  // 7. Entries, then filler pairs (0.0, MAXM) to the end of the slice.
  if (COLLEN < 1 || COLLEN > COLMAX) bad_length("XDATA5", J, COLLEN, IOERR);
  put_entries("XDATA5", COLA, COLI, COLLEN, J, ip, ACOEFF, ROWNOS, MAXM,
              IOERR);
  const long long slice_end = std::min<long long>(COLPNT[J], MAXA);
  for (long long k = end + 1; k <= slice_end; ++k) {
    acoeff(k) = 0.0f;
    rownos(k) = MAXM;
  }
}
