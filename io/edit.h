// edit.h — number and text fields with the semantics of Fortran's edit
// descriptors.  Each function returns exactly W characters (or N blanks for
// X).  A value that does not fit its field fills it with asterisks.
//
//   I(v, w)        integer, right-aligned                           Iw
//   I(v, w, m)     at least m digits, zero-padded                  Iw.m
//   F(v, w, d)     fixed point, d decimals                          Fw.d
//   E(v, w, d)     exponent form 0.ddddE+xx, mantissa below 1       Ew.d
//   D(v, w, d)     the same with the letter D                       Dw.d
//   G(v, w, d)     general: F form with d significant digits and
//                  four trailing blanks when 0.1 <= |v| < 10**d (after
//                  rounding to d digits), else E form               Gw.d
//   A(s, w)        text, left-aligned and blank-padded, or its first
//                  w characters                                     Aw
//   X(n)           n blanks                                         nX
//
// Exponent form: sign, "0." where the width leaves room for the leading
// zero, d digits, the letter and a signed two-digit exponent; an exponent
// beyond 99 drops the letter and shows three digits ("0.1234+100").
// Rounding is to nearest on the exact binary value, ties to even digits as
// the value's exact decimal expansion decides (as the Fortran runtime does).
// A negative value that rounds to zero keeps its minus sign.
#pragma once

#include <string>
#include <string_view>

namespace io {

std::string I(long long v, int w);
std::string I(long long v, int w, int m);
std::string F(double v, int w, int d);
std::string E(double v, int w, int d);
std::string D(double v, int w, int d);
std::string G(double v, int w, int d);
std::string A(std::string_view s, int w);
std::string A(std::string_view s);  // the whole text (plain A)
std::string X(int n);

namespace detail {
// The choice of Gw.d for V: the decimal exponent k (0 <= k <= d) of the
// fixed-point form, which then has d - k decimals (zero gives k = 1), or
// kExponentForm.  Shared with the free-format output.
inline constexpr int kExponentForm = -1000;
int general_exponent(double v, int d);
}  // namespace detail

}  // namespace io
