// Edit descriptors: a few pinned fields, then a sweep compared character by
// character with what the Fortran runtime (gfortran) prints for the same
// descriptors and values.
#include "io/edit.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "gfortran_harness.h"

namespace {

// The fields the program's reports rely on, pinned so that a broken build
// without gfortran still notices.
TEST(EditFields, PinnedExamples) {
  EXPECT_EQ(io::I(42, 5), "   42");
  EXPECT_EQ(io::I(-42, 3), "-42");
  EXPECT_EQ(io::I(-100, 3), "***");
  EXPECT_EQ(io::I(5, 4, 2), "  05");
  EXPECT_EQ(io::I(0, 3, 0), "   ");
  EXPECT_EQ(io::F(3.14159, 8, 4), "  3.1416");
  EXPECT_EQ(io::F(-0.5, 5, 3), "-.500");     // leading zero dropped to fit
  EXPECT_EQ(io::F(-1e-5, 8, 4), " -0.0000");  // rounds to zero, keeps its sign
  EXPECT_EQ(io::F(123456.0, 8, 4), "********");
  EXPECT_EQ(io::E(12.345, 12, 4), "  0.1235E+02");
  EXPECT_EQ(io::E(-0.5, 10, 4), "-.5000E+00");
  EXPECT_EQ(io::E(0.0, 12, 4), "  0.0000E+00");
  EXPECT_EQ(io::E(1e-150, 12, 4), "  0.1000-149");  // no room for the letter
  EXPECT_EQ(io::D(9.99995e99, 12, 4), "  0.1000+101");
  EXPECT_EQ(io::D(1.5, 16, 8), "  0.15000000D+01");
  EXPECT_EQ(io::G(12.5, 16, 8), "   12.500000    ");
  EXPECT_EQ(io::G(0.0, 16, 8), "   0.0000000    ");
  EXPECT_EQ(io::G(0.099999999, 16, 8), "  0.99999999E-01");
  EXPECT_EQ(io::G(0.0999999999, 16, 8), "  0.10000000    ");
  EXPECT_EQ(io::G(99999999.4, 16, 8), "   99999999.    ");
  EXPECT_EQ(io::G(99999999.6, 16, 8), "  0.10000000E+09");
  EXPECT_EQ(io::G(-123.0, 7, 3), "*******");
  EXPECT_EQ(io::F(HUGE_VAL, 8, 4), "Infinity");
  EXPECT_EQ(io::F(-HUGE_VAL, 8, 4), "    -Inf");
  EXPECT_EQ(io::E(std::nan(""), 12, 4), "         NaN");
  EXPECT_EQ(io::A("TEST.OUT", 12), "TEST.OUT    ");
  EXPECT_EQ(io::A("ABCDEFGHIJKLMN", 12), "ABCDEFGHIJKL");
  EXPECT_EQ(io::X(3), "   ");
}

// ---- the sweep against gfortran -----------------------------------------

const char* const kRealDescriptors[] = {
    // Used by the program's records.
    "F8.4", "F15.6", "F10.2", "F12.4", "F8.2", "E12.4", "E15.6", "E16.8", "E18.8",
    "D12.4", "D13.5", "D15.8", "D15.9", "D16.8", "D17.10", "G16.8", "G18.8", "G12.3",
    // Narrow fields that provoke asterisks and the dropped leading zero.
    "F3.1", "F4.3", "F5.0", "F6.3", "E7.1", "E8.4", "E9.4", "E10.3", "D10.4",
    "G9.2", "G10.5", "G6.1", "G13.6", "F40.20", "E30.17"};

const char* const kIntDescriptors[] = {"I1", "I2", "I3", "I4", "I5",  "I6",   "I7",  "I8",
                                       "I9", "I10", "I12", "I4.2", "I5.3", "I3.3", "I6.6", "I4.0"};

const char* const kFortranSweep = R"(program sweep
  implicit none
  integer :: nd, nv, k, j
  character(len=16) :: desc(64)
  character(len=40) :: fmt
  integer(8) :: bits
  double precision :: x
  read(*,*) nd
  do k = 1, nd
    read(*,'(A)') desc(k)
  end do
  read(*,*) nv
  do j = 1, nv
    read(*,'(Z16)') bits
    x = transfer(bits, x)
    do k = 1, nd
      fmt = '(A,' // trim(desc(k)) // ',A)'
      write(*,fmt) '[', x, ']'
    end do
  end do
  read(*,*) nd
  do k = 1, nd
    read(*,'(A)') desc(k)
  end do
  read(*,*) nv
  do j = 1, nv
    read(*,*) bits
    do k = 1, nd
      fmt = '(A,' // trim(desc(k)) // ',A)'
      write(*,fmt) '[', bits, ']'
    end do
  end do
end program sweep
)";

// Reals: fixed kinds of awkward values, then random magnitudes.
std::vector<double> sweep_reals() {
  // clang-format off
  std::vector<double> v = {
      0.0, -0.0, 1.0, -1.0, HUGE_VAL, -HUGE_VAL, std::numeric_limits<double>::quiet_NaN(),
      DBL_MAX, -DBL_MAX, DBL_MIN, std::numeric_limits<double>::denorm_min(),
      -std::numeric_limits<double>::denorm_min(), 1e100, 9.9995e99, -9.99995e-100, 1e-100,
      0.5, 0.125, 2.5, 1234.5, 0.35, 0.25, 0.05, 1e-5, -1e-5, -5e-5, 99999999.4, 99999999.6,
      0.099999999, 0.0999999999};
  // clang-format on
  // Rounding boundaries: 1 - 5*10**-(d+1) (rounds up to the next power of
  // ten with d digits), 0.5*10**-d, 10**k - 0.5*10**-d, ties of short
  // binary fractions, each with its two neighbours and both signs.
  std::vector<double> edges;
  for (int d = 0; d <= 11; ++d) {
    const double up = 1.0 - 5.0 * std::pow(10.0, -(d + 1));
    for (int k = -5; k <= 12; ++k) edges.push_back(up * std::pow(10.0, k));
    edges.push_back(0.5 * std::pow(10.0, -d));
    for (int k = 0; k <= 10; ++k) edges.push_back(std::pow(10.0, k) - 0.5 * std::pow(10.0, -d));
  }
  for (int k = -3; k <= 12; ++k) {
    edges.push_back(std::pow(10.0, k));
    edges.push_back(0.95 * std::pow(10.0, k));
    edges.push_back(9.5 * std::pow(10.0, k));
  }
  for (int num = 1; num < 64; num += 2)
    for (int sh = 1; sh <= 6; ++sh) edges.push_back(std::ldexp(num, -sh));
  for (double e : edges) {
    for (double x : {e, std::nextafter(e, 0.0), std::nextafter(e, HUGE_VAL)}) {
      v.push_back(x);
      v.push_back(-x);
    }
  }
  std::mt19937_64 rng(20260612);
  std::uniform_real_distribution<double> mant(1.0, 10.0);
  std::uniform_int_distribution<int> wide(-120, 120), narrow(-7, 11), coin(0, 1);
  for (int i = 0; i < 3000; ++i) {
    const double x = mant(rng) * std::pow(10.0, wide(rng));
    v.push_back(coin(rng) ? -x : x);
  }
  for (int i = 0; i < 3000; ++i) {
    const double x = mant(rng) * std::pow(10.0, narrow(rng));
    v.push_back(coin(rng) ? -x : x);
  }
  // Anywhere in the double range, subnormals included.
  for (int i = 0; i < 300; ++i) {
    const double x = std::bit_cast<double>(rng());
    if (std::isfinite(x)) v.push_back(x);
  }
  // Short decimals typed by people: 1.5, 0.25, 12.375 ...
  std::uniform_int_distribution<int> small(0, 99999), scale(0, 6);
  for (int i = 0; i < 1000; ++i) {
    const double x = small(rng) / std::pow(10.0, scale(rng));
    v.push_back(coin(rng) ? -x : x);
  }
  return v;
}

std::vector<long long> sweep_ints() {
  std::vector<long long> v = {0, 1, -1, 9, -9, 10, -10, 99, -99, 100, -100, 999, -999,
                              2147483647, -2147483647 - 1, 123456789012LL, -123456789012LL};
  long long p = 1;
  for (int k = 0; k <= 12; ++k, p *= 10)
    for (long long x : {p - 1, p, p + 1}) {
      v.push_back(x);
      v.push_back(-x);
    }
  std::mt19937_64 rng(777);
  std::uniform_int_distribution<int> digits(1, 11);
  for (int i = 0; i < 500; ++i) {
    const long long x = static_cast<long long>(rng() % static_cast<unsigned long long>(
                                                           std::pow(10.0, digits(rng))));
    v.push_back(i % 2 ? -x : x);
  }
  return v;
}

std::string hex_bits(double x) {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%016" PRIX64, std::bit_cast<std::uint64_t>(x));
  return buf;
}

TEST(EditFields, MatchGfortranRuntime) {
  if (!posy_test::have_gfortran()) GTEST_SKIP() << "gfortran is not on PATH";
  const std::vector<double> reals = sweep_reals();
  const std::vector<long long> ints = sweep_ints();
  std::ostringstream in;
  in << std::size(kRealDescriptors) << "\n";
  for (const char* d : kRealDescriptors) in << d << "\n";
  in << reals.size() << "\n";
  for (double x : reals) in << hex_bits(x) << "\n";
  in << std::size(kIntDescriptors) << "\n";
  for (const char* d : kIntDescriptors) in << d << "\n";
  in << ints.size() << "\n";
  for (long long x : ints) in << x << "\n";

  posy_test::TempDir dir;
  std::string error;
  const std::string out = posy_test::run_fortran(dir, kFortranSweep, in.str(), error);
  ASSERT_TRUE(error.empty()) << error;

  // Descriptor text "F8.4" -> letter, w, d.
  auto apply_real = [](const char* desc, double x) {
    int w = 0, d = 0;
    std::sscanf(desc + 1, "%d.%d", &w, &d);
    switch (desc[0]) {
      case 'F': return io::F(x, w, d);
      case 'E': return io::E(x, w, d);
      case 'D': return io::D(x, w, d);
      default: return io::G(x, w, d);
    }
  };
  auto apply_int = [](const char* desc, long long x) {
    int w = 0, m = -1;
    std::sscanf(desc + 1, "%d.%d", &w, &m);
    return m < 0 ? io::I(x, w) : io::I(x, w, m);
  };

  std::istringstream lines(out);
  std::string line;
  long compared = 0, mismatches = 0;
  std::ostringstream report;
  auto check = [&](const std::string& ours, const std::string& what) {
    if (!std::getline(lines, line)) {
      ++mismatches;
      return;
    }
    const std::string theirs = line.size() >= 2 ? line.substr(1, line.size() - 2) : line;
    ++compared;
    if (theirs != ours && ++mismatches <= 25)
      report << what << ": gfortran [" << theirs << "] io [" << ours << "]\n";
  };
  for (double x : reals)
    for (const char* d : kRealDescriptors) {
      char what[80];
      std::snprintf(what, sizeof what, "%s of %.17g (%s)", d, x, hex_bits(x).c_str());
      check(apply_real(d, x), what);
    }
  for (long long x : ints)
    for (const char* d : kIntDescriptors)
      check(apply_int(d, x), std::string(d) + " of " + std::to_string(x));

  std::cout << "[ compared ] " << compared << " fields (" << reals.size() << " reals x "
            << std::size(kRealDescriptors) << " descriptors, " << ints.size() << " integers x "
            << std::size(kIntDescriptors) << " descriptors) with gfortran\n";
  RecordProperty("fields_compared", static_cast<int>(compared));
  EXPECT_EQ(mismatches, 0) << report.str();
  EXPECT_EQ(compared, static_cast<long>(reals.size() * std::size(kRealDescriptors) +
                                        ints.size() * std::size(kIntDescriptors)));
}

}  // namespace
