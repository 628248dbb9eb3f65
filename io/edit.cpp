// edit.cpp — Fortran edit descriptors as fixed-width text fields.
//
//   I(v, w[, m])  integer              F(v, w, d)  fixed point
//   E/D(v, w, d)  exponent form        G(v, w, d)  general form
//   A(s[, w])     text                 X(n)        blanks
//
// Every real field is built from the value's exact decimal expansion:
// snprintf's %e and %f conversions are exact in the C library, so rounding
// is to nearest on the binary value itself, an exact tie going to the even
// digit — which is what the Fortran runtime's default rounding produces.
// A field that cannot hold its value is filled with asterisks, written once
// in stars().
#include "io/edit.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace io {
namespace {

std::string stars(int w) { return std::string(w > 0 ? w : 0, '*'); }

// Right-aligns BODY in W columns, or asterisks when it does not fit.
// W <= 0 asks for the minimal width.
std::string fit(const std::string& body, int w) {
  if (w <= 0) return body;
  if (static_cast<int>(body.size()) > w) return stars(w);
  return std::string(w - body.size(), ' ') + body;
}

// Infinity and NaN in a real field: "Infinity" when the width allows, else
// "Inf"; a minus sign for negative infinity; "NaN".  Too narrow: asterisks.
std::string non_finite(double v, int w) {
  if (w <= 0) w = std::isnan(v) ? 3 : (std::signbit(v) ? 4 : 3);
  if (std::isnan(v)) return w < 3 ? stars(w) : fit("NaN", w);
  const bool neg = std::signbit(v);
  if (w < 3 || (neg && w < 4)) return stars(w);
  const int room = neg ? 8 : 7;  // Infinity needs more than this
  std::string body = (w > room) ? "Infinity" : "Inf";
  if (neg) body = "-" + body;
  return fit(body, w);
}

// snprintf into a std::string, sized for any double (309 integer digits).
std::string format(const char* fmt, int prec, double v) {
  std::vector<char> buf(400 + (prec > 0 ? prec : 0));
  const int n = std::snprintf(buf.data(), buf.size(), fmt, prec, v);
  return std::string(buf.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
}

// The d significant digits of |v| rounded to nearest, and the decimal
// exponent k with |v| ~ 0.digits * 10**k.  Zero gives d zeros and k = 0.
void significant_digits(double v, int d, std::string& digits, int& k) {
  if (v == 0.0) {
    digits.assign(d, '0');
    k = 0;
    return;
  }
  // "%.*e" with d-1 decimals: "m.mmmme+xx" (or "me+xx" when d == 1).
  const std::string s = format("%.*e", d - 1, std::fabs(v));
  const std::size_t e = s.find('e');
  digits.clear();
  for (std::size_t i = 0; i < e; ++i)
    if (s[i] != '.') digits += s[i];
  k = std::stoi(s.substr(e + 1)) + 1;
}

// Ew.d with the exponent letter LETTER (E or D).
std::string exponent_form(double v, int w, int d, char letter) {
  if (!std::isfinite(v)) return non_finite(v, w);
  if (d <= 0) return stars(w);
  std::string digits;
  int k = 0;
  significant_digits(v, d, digits, k);
  const int ak = k < 0 ? -k : k;
  if (ak > 999) return stars(w);
  std::string exp;
  if (ak <= 99) {
    exp += letter;
    exp += k < 0 ? '-' : '+';
    exp += static_cast<char>('0' + ak / 10);
    exp += static_cast<char>('0' + ak % 10);
  } else {
    // Three exponent digits leave no room for the letter.
    exp += k < 0 ? '-' : '+';
    exp += std::to_string(ak);
  }
  const std::string sign = std::signbit(v) ? "-" : "";
  std::string body = sign + "0." + digits + exp;
  // The leading zero is optional: dropped when the width is short of it.
  if (w > 0 && static_cast<int>(body.size()) > w) body = sign + "." + digits + exp;
  return fit(body, w);
}

}  // namespace

std::string I(long long v, int w) { return I(v, w, 1); }

std::string I(long long v, int w, int m) {
  const unsigned long long mag =
      v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  std::string digits = (m == 0 && v == 0) ? std::string() : std::to_string(mag);
  if (static_cast<int>(digits.size()) < m) digits.insert(0, m - digits.size(), '0');
  if (v < 0) digits.insert(0, 1, '-');
  return fit(digits, w);
}

std::string F(double v, int w, int d) {
  if (!std::isfinite(v)) return non_finite(v, w);
  if (d < 0) return stars(w);
  std::string s = format("%.*f", d, std::fabs(v));
  if (d == 0) s += '.';
  const std::string sign = std::signbit(v) ? "-" : "";
  std::string body = sign + s;
  // "0.xxx": the zero before the point goes when the width is short of it.
  if (w > 0 && static_cast<int>(body.size()) > w && s.size() > 1 && s[0] == '0')
    body = sign + s.substr(1);
  return fit(body, w);
}

std::string E(double v, int w, int d) { return exponent_form(v, w, d, 'E'); }

std::string D(double v, int w, int d) { return exponent_form(v, w, d, 'D'); }

std::string G(double v, int w, int d) {
  if (!std::isfinite(v)) return non_finite(v, w);
  if (d <= 0) return stars(w);
  const int n = 4;  // trailing blanks of the fixed-point form
  if (v == 0.0) return F(v, w - n, d - 1) + std::string(n, ' ');
  std::string digits;
  int k = 0;
  significant_digits(v, d, digits, k);
  // 0.1 <= |v rounded to d digits| < 10**d: fixed point with d - k decimals.
  if (k >= 0 && k <= d) return F(v, w - n, d - k) + std::string(n, ' ');
  return exponent_form(v, w, d, 'E');
}

std::string A(std::string_view s, int w) {
  if (w <= 0) return std::string(s);
  if (static_cast<int>(s.size()) >= w) return std::string(s.substr(0, w));
  return std::string(s) + std::string(w - s.size(), ' ');
}

std::string A(std::string_view s) { return std::string(s); }

std::string X(int n) { return std::string(n > 0 ? n : 0, ' '); }

}  // namespace io
