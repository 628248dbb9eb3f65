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

// 10**k as the Fortran runtime computes it: repeated products, and the
// reciprocal for negative k.
double power_of_ten(int k) {
  double r = 1.0;
  for (int i = 0; i < (k >= 0 ? k : -k); ++i) r *= 10;
  return k >= 0 ? r : 1.0 / r;
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
  // "0.xxx": the zero before the point goes when the width is short of it
  // (never in "0.", which would leave no digit at all).
  if (w > 0 && static_cast<int>(body.size()) > w && d > 0 && s[0] == '0')
    body = sign + s.substr(1);
  return fit(body, w);
}

std::string E(double v, int w, int d) { return exponent_form(v, w, d, 'E'); }

std::string D(double v, int w, int d) { return exponent_form(v, w, d, 'D'); }

// Gw.d decides between the fixed and the exponent form the way the Fortran
// runtime does: by comparing |v| with the thresholds 10**(k-1) * (1 -
// 0.5/10**d) computed in double arithmetic, a value equal to a threshold
// going to the upper range.  The exact decimal rounding then happens in
// the chosen form, so 0.95 (binary 0.9499999...) in G6.1 prints "1." where
// its exact rounding to one digit would give 0.9.
int detail::general_exponent(double v, int d) {
  const double m = std::fabs(v);
  const double r = 0.5;
  const double exp_d = power_of_ten(d);
  const double r_sc = 1.0 - r / exp_d;
  if (d <= 0 || (m > 0.0 && (m < 0.1 * r_sc || r >= exp_d - m))) return kExponentForm;
  // Binary search for MID: 10**(mid-2) * r_sc <= m < 10**(mid-1) * r_sc.
  int mid = 0, low = 0, high = d + 1, lbound = 0, ubound = d + 1;
  while (low <= high) {
    mid = (low + high) / 2;
    const double temp = power_of_ten(mid - 1) * r_sc;
    if (m < temp) {
      ubound = mid;
      if (ubound == lbound + 1) break;
      high = mid - 1;
    } else if (m > temp) {
      lbound = mid;
      if (ubound == lbound + 1) {
        ++mid;
        break;
      }
      low = mid + 1;
    } else {
      ++mid;
      break;
    }
  }
  return m == 0.0 ? 1 : mid - 1;
}

std::string G(double v, int w, int d) {
  if (!std::isfinite(v)) return non_finite(v, w);
  const int k = detail::general_exponent(v, d);
  if (k == detail::kExponentForm) return exponent_form(v, w, d, 'E');
  // Fixed point with d - k decimals and four trailing blanks; a fixed form
  // too wide fills the whole field with asterisks.
  const int n = 4 >= w ? w - 1 : 4;
  if (w - n <= 0) return stars(w);
  const std::string fixed = F(v, w - n, d - k);
  if (fixed.find('*') != std::string::npos) return stars(w);
  return fixed + std::string(n, ' ');
}

std::string A(std::string_view s, int w) {
  if (w <= 0) return std::string(s);
  if (static_cast<int>(s.size()) >= w) return std::string(s.substr(0, w));
  return std::string(s) + std::string(w - s.size(), ' ');
}

std::string A(std::string_view s) { return std::string(s); }

std::string X(int n) { return std::string(n > 0 ? n : 0, ' '); }

}  // namespace io
