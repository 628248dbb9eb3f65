// basis_factor.cpp — the LP engine's only link to the sparse LU package.
//
//   XFACT   builds the basis matrix B (column I = stored column BASIS(I))
//           from the column store and factorises it (LA05AD).
//   XLA05X  appends one basic column to the factorisation's entry list.
//   XFTRAN  solves B x = COLUMN (LA05BD, not transposed); leaves the
//           L-transformed right-hand side in W for XUPDAT.
//   XBTRAN  solves B' y = ROW (LA05BD, transposed).
//   XUPDAT  replaces basis column R by the column last given to XFTRAN
//           (LA05CD).
//   lp::factorise  XFACT returning the package's code instead of stopping.
//   lp::update_or_refuse  XUPDAT for a pivot, refusing (instead of
//           stopping on) a replacement that makes the basis singular.
//
// The factor arrays live in the engine workspace MEMORY, located by MAPI:
//   MAPI(1) G (status)   MAPI(2) U (threshold)   MAPI(3) A (values, IA)
//   MAPI(4) W (M)        MAPI(5) IP (MAXM,2)     MAPI(6) IND (IA,2)
//   MAPI(7) IW (MAXM,8)  MAPI(8) the integer IA
// The matrix order handed to the package is always M.  Every failure of the
// package ends the program through XSTOP after a line on IOERR, so the
// return codes FCODE and UCODE are always 1; the one exception is the
// singular replacement refused by lp::update_or_refuse.
//
// Between XFTRAN of an entering column and its XUPDAT no other solve may
// run: both use W.

#include <string>

#include "io/one_based.h"
#include "io/record.h"
#include "lp/engine.h"
#include "lp/workspace.h"
#include "lu/sparse_lu.h"

namespace {

[[noreturn]] void stop_engine(int code, int& IOERR) {
  int error = code;
  XSTOP(error, IOERR);
  io::stop_run(1, "");  // not reached: XSTOP never returns
}

// Writes " <routine>...ERROR RETURN FROM LA05<x>...G=" G(F10.2) and stops.
[[noreturn]] void factor_failure(const char* text, double g, int& IOERR) {
  io::Line(IOERR) << text << io::F(g, 10, 2);
  stop_engine(0, IOERR);
}

// Locations of the factor arrays in the workspace (copies of MAPI(1..8)).
struct FactorSlices {
  double* G;
  double* U;
  double* A;
  double* W;
  int* IP;
  int* IND;
  int* IW;
  int* IA;
};

FactorSlices factor_slices(const int* MAPI, double* MEMORY) {
  io::F1<const int> mapi(MAPI);
  FactorSlices s;
  s.G = lp::f64_slice(MEMORY, mapi(1));
  s.U = lp::f64_slice(MEMORY, mapi(2));
  s.A = lp::f64_slice(MEMORY, mapi(3));
  s.W = lp::f64_slice(MEMORY, mapi(4));
  s.IP = lp::i32_slice(MEMORY, mapi(5));
  s.IND = lp::i32_slice(MEMORY, mapi(6));
  s.IW = lp::i32_slice(MEMORY, mapi(7));
  s.IA = lp::i32_slice(MEMORY, mapi(8));
  return s;
}

}  // namespace

// XFACT: factorise the basis BASIS(1..M).
//   In:      BASIS(1..M) basic column numbers by position; the column store.
//   Scratch: COLA(COLMAX), COLI(COLMAX) one fetched column.
//   Out:     FCODE = 1; the factors of B in MEMORY.
//   Unused:  BASCB, BASLB, BASUB, LENMI, MAXM.
//   Fails:   a basic column of bad length (XLA05X line), more basic
//            nonzeros than IA holds (XLA05X line), or LA05AD returning
//            G < 0 (" XFACT ...ERROR RETURN FROM LA05A...G=") stop the
//            program.
void XFACT(double* /*BASCB*/, int* BASIS, double* /*BASLB*/,
           double* /*BASUB*/, double* COLA, int* COLI, int& COLMAX,
           int& FCODE, int& IOERR, int& LENMA, int& /*LENMI*/, int& LENMY,
           int& M, int* MAPA, int* MAPI, int& /*MAXM*/, double* MEMORY) {
  FCODE = 1;
  const double G = lp::factorise(BASIS, COLA, COLI, COLMAX, IOERR, LENMA,
                                 LENMY, M, MAPA, MAPI, MEMORY);
  if (G < 0.0) {
    FCODE = 3;
    factor_failure(" XFACT ...ERROR RETURN FROM LA05A...G=", G, IOERR);
  }
}

namespace lp {

// XFACT's work without its stop: returns G of LA05AD (negative: the basis
// could not be factorised, the package has written its report, and the
// factors are unusable).  The XLA05X stops still apply.
double factorise(int* BASIS, double* COLA, int* COLI, int& COLMAX,
                 int& IOERR, int& LENMA, int& LENMY, int& M, int* MAPA,
                 int* MAPI, double* MEMORY) {
  io::F1<int> basis(BASIS);
  FactorSlices f = factor_slices(MAPI, MEMORY);
  *f.G = 0.0;
  int NZ = 0;

  // 1. Entry list of B, column by column in basis-position order.
  double CJ = 0.0;
  int COLLEN = 0;
  for (int I = 1; I <= M; ++I) {
    int J = basis(I);
    XGETAJ(CJ, COLA, COLI, COLLEN, COLMAX, IOERR, J, LENMA, LENMY, MAPA,
           MEMORY);
    XLA05X(f.A, COLA, COLI, COLLEN, COLMAX, I, *f.IA, f.IND, IOERR, NZ);
  }

  // 2. Factorise.
  LA05AD(f.A, f.IND, NZ, *f.IA, M, f.IP, f.IW, f.W, *f.G, *f.U);
  return *f.G;
}

}  // namespace lp

// XLA05X: append the COLLEN entries (COLA, COLI) as column I of the entry
// list A(1..NZ), IND(1..NZ,1) rows, IND(1..NZ,2) columns.
//   In/out: NZ, A, IND (IA,2).
//   Fails:  COLLEN outside 1..COLMAX, or an entry list that would exceed IA
//           entries: a line on IOERR and a stop, nothing written out of
//           bounds.
void XLA05X(double* A, double* COLA, int* COLI, int& COLLEN, int& COLMAX,
            int& I, int& IA, int* IND, int& IOERR, int& NZ) {
  if (COLLEN < 1 || COLLEN > COLMAX) {
    io::Line(IOERR) << " XLA05X...ERROR: THE BASIC COLUMN IN POSITION"
                           << io::I(I, 6) << " HAS LENGTH" << io::I(COLLEN, 6);
    stop_engine(0, IOERR);
  }
  if (COLLEN > IA - NZ) {
    // The entry list has room for IA entries only.
    io::Line(IOERR) << " XLA05X...ERROR: THE BASIC COLUMN IN POSITION"
                           << io::I(I, 6) << " DOES NOT FIT: MORE THAN"
                           << io::I(IA, 9) << " BASIS NON-ZEROS.";
    stop_engine(0, IOERR);
  }
  io::F1<double> a(A);
  io::F2<int> ind(IND, IA);
  io::F1<double> cola(COLA);
  io::F1<int> coli(COLI);
  for (int K = 1; K <= COLLEN; ++K) {
    ++NZ;
    a(NZ) = cola(K);
    ind(NZ, 1) = coli(K);
    ind(NZ, 2) = I;
  }
}

// XFTRAN: COLUMN(1..M) (by row) becomes the solution of B x = COLUMN (by
// basis position).  W keeps the L-transformed input for XUPDAT.
void XFTRAN(double* COLUMN, int& IOERR, int& /*LENMI*/, int& /*LENMY*/,
            int& M, int* MAPI, int& /*MAXM*/, double* MEMORY) {
  FactorSlices f = factor_slices(MAPI, MEMORY);
  *f.G = 0.0;
  bool TRANS = false;
  LA05BD(f.A, f.IND, *f.IA, M, f.IP, f.IW, f.W, *f.G, COLUMN, TRANS);
  if (*f.G < 0.0)
    factor_failure(" XFTRAN...ERROR RETURN FROM LA05B...G=", *f.G, IOERR);
}

// XBTRAN: ROW(1..M) (by basis position) becomes the solution of B' y = ROW
// (by row).  W is overwritten.
void XBTRAN(int& IOERR, int& /*LENMI*/, int& /*LENMY*/, int& M, int* MAPI,
            int& /*MAXM*/, double* MEMORY, double* ROW) {
  FactorSlices f = factor_slices(MAPI, MEMORY);
  *f.G = 0.0;
  bool TRANS = true;
  LA05BD(f.A, f.IND, *f.IA, M, f.IP, f.IW, f.W, *f.G, ROW, TRANS);
  if (*f.G < 0.0)
    factor_failure(" XBTRAN...ERROR RETURN FROM LA05B...G=", *f.G, IOERR);
}

// XUPDAT: replace basis column R by the column last transformed by XFTRAN.
// UCODE = 1; a failed update (G = -6 singular, -7 no room) stops.
void XUPDAT(int& IOERR, int& /*LENMI*/, int& /*LENMY*/, int& M, int* MAPI,
            double* MEMORY, int& R, int& UCODE) {
  FactorSlices f = factor_slices(MAPI, MEMORY);
  *f.G = 0.0;
  LA05CD(f.A, f.IND, *f.IA, M, f.IP, f.IW, f.W, *f.G, *f.U, R);
  UCODE = 1;
  if (*f.G < 0.0)
    factor_failure(" XUPDAT...ERROR RETURN FROM LA05C...G=", *f.G, IOERR);
}

namespace lp {

// The pivot's update: as XUPDAT, except that a replacement the package
// finds singular (G = -6) does not stop the program.  The absolute pivot
// test lets through a transformed entry made of rounding noise when the
// basis is badly scaled; its column then makes the basis singular in all
// but rounding.  Such a basis change is refused: a line on IOERR, and
// false is returned.  The factors are then partly updated and unusable,
// so the caller must refactorise the (unchanged) basis before its next
// solve.  Any other failure (-7, no room) stops as in XUPDAT.
bool update_or_refuse(int& IOERR, int& M, int* MAPI, double* MEMORY,
                      int& Q, int& R) {
  FactorSlices f = factor_slices(MAPI, MEMORY);
  *f.G = 0.0;
  LA05CD(f.A, f.IND, *f.IA, M, f.IP, f.IW, f.W, *f.G, *f.U, R);
  if (*f.G == -6.0) {
    io::Line(IOERR) << "0XUPDAT...SINGULAR UPDATE REFUSED  Q=" << io::I(Q, 6)
                    << "  R=" << io::I(R, 6);
    return false;
  }
  if (*f.G < 0.0)
    factor_failure(" XUPDAT...ERROR RETURN FROM LA05C...G=", *f.G, IOERR);
  return true;
}

}  // namespace lp

