// Edit descriptors and free-format output fields, compared character by
// character with what gfortran prints for the same values; a few fields
// are pinned so that a build without gfortran still notices a fault.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "gfortran_harness.h"
#include "io/edit.h"
#include "io/list_output.h"
#include "io/units.h"

namespace {

TEST(EditFields, PinnedExamples) {
  EXPECT_EQ(io::I(-100, 3), "***");
  EXPECT_EQ(io::F(-0.5, 5, 3), "-.500");
  EXPECT_EQ(io::F(-1e-5, 8, 4), " -0.0000");
  EXPECT_EQ(io::E(1e-150, 12, 4), "  0.1000-149");
  EXPECT_EQ(io::D(9.99995e99, 12, 4), "  0.1000+101");
  EXPECT_EQ(io::G(0.099999999, 16, 8), "  0.99999999E-01");
  EXPECT_EQ(io::G(99999999.4, 16, 8), "   99999999.    ");
  EXPECT_EQ(io::A("ABCDEFGHIJKLMN", 12), "ABCDEFGHIJKL");
  EXPECT_EQ(io::list_real(1e-5), "  1.0000000000000001E-005");
  io::ListRecord r(99);
  r << 7 << 0.1 << "ab" << "cd" << 2;
  EXPECT_EQ(r.text(), "           7  0.10000000000000001      abcd           2");
  io::reset_units();
  std::remove("fort.99");
}

// Used by the program's records, then narrow fields that provoke
// asterisks and the dropped leading zero.
const std::vector<std::string> kReal = {
    "F8.4",  "F15.6", "F10.2", "F12.4", "F8.2",  "E12.4", "E15.6", "E16.8", "E18.8",
    "D12.4", "D13.5", "D15.8", "D15.9", "D16.8", "D17.10", "G16.8", "G18.8", "G12.3",
    "F3.1",  "F4.3",  "F5.0",  "F6.3",  "E7.1",  "E8.4",  "E9.4",  "E10.3", "D10.4",
    "G9.2",  "G10.5", "G6.1",  "G13.6", "F40.20", "E30.17"};
const std::vector<std::string> kInt = {"I1", "I2",  "I3",  "I4",   "I5",   "I6",   "I7",  "I8",
                                       "I9", "I10", "I12", "I4.2", "I5.3", "I3.3", "I6.6", "I4.0"};

// Reads the descriptors, then per value one line per descriptor and a
// free-format record.
const char* const kSweep = R"(program sweep
  implicit none
  integer :: nr, ni, nv, k, j
  character(len=8) :: rd(40), id(40)
  integer(8) :: bits
  double precision :: x
  read(*,*) nr, ni
  read(*,'(A)') (rd(k), k = 1, nr)
  read(*,'(A)') (id(k), k = 1, ni)
  read(*,*) nv
  do j = 1, nv
    read(*,'(Z16)') bits
    x = transfer(bits, x)
    do k = 1, nr
      write(*,'(A,' // trim(rd(k)) // ',A)') '[', x, ']'
    end do
    write(*,*) x
  end do
  read(*,*) nv
  do j = 1, nv
    read(*,*) bits
    do k = 1, ni
      write(*,'(A,' // trim(id(k)) // ',A)') '[', bits, ']'
    end do
  end do
end program sweep
)";

std::vector<double> sweep_reals() {
  const double dmin = std::numeric_limits<double>::denorm_min();
  std::vector<double> edges = {0.0, 1.0, HUGE_VAL, std::nan(""), DBL_MAX, DBL_MIN, dmin,
                               9.9995e99, 9.99995e-100, 1234.5, 0.35, 0.05, 99999999.4,
                               99999999.6, 0.099999999, 0.0999999999};
  // Rounding boundaries with d digits, powers of ten, binary ties.
  for (int d = 0; d <= 11; ++d) {
    for (int k = -5; k <= 12; ++k)
      edges.push_back((1 - 5 * std::pow(10.0, -d - 1)) * std::pow(10.0, k));
    edges.push_back(0.5 * std::pow(10.0, -d));
    for (int k = 0; k <= 10; ++k) edges.push_back(std::pow(10.0, k) - 0.5 * std::pow(10.0, -d));
  }
  for (int k = -3; k <= 12; ++k)
    for (double f : {1.0, 0.95, 9.5}) edges.push_back(f * std::pow(10.0, k));
  for (int num = 1; num < 64; num += 2)
    for (int sh = 1; sh <= 6; ++sh) edges.push_back(std::ldexp(num, -sh));
  std::vector<double> v;
  for (double e : edges)
    for (double x : {e, std::nextafter(e, 0.0), std::nextafter(e, HUGE_VAL)})
      v.insert(v.end(), {x, -x});
  std::mt19937_64 rng(20260612);
  std::uniform_real_distribution<double> mant(1.0, 10.0);
  for (int i = 0; i < 6000; ++i) {
    const int e = i < 3000 ? int(rng() % 241) - 120 : int(rng() % 19) - 7;
    v.push_back((i % 2 ? -1 : 1) * mant(rng) * std::pow(10.0, e));
  }
  for (int i = 0; i < 300; ++i)  // anywhere in the range, subnormals included
    if (const double x = std::bit_cast<double>(rng()); std::isfinite(x)) v.push_back(x);
  for (int i = 0; i < 1000; ++i)  // short decimals as people type them
    v.push_back((i % 2 ? -1 : 1) * double(rng() % 100000) / std::pow(10.0, rng() % 7));
  return v;
}

std::vector<long long> sweep_ints() {
  std::vector<long long> v = {2147483647, -2147483648LL};
  for (long long p = 1, k = 0; k <= 12; ++k, p *= 10)
    for (long long x : {p - 1, p, p + 1}) v.insert(v.end(), {x, -x});
  std::mt19937_64 rng(777);
  for (int i = 0; i < 500; ++i) {
    const long long x = static_cast<long long>(rng() % (2ULL << (rng() % 37)));
    v.push_back(i % 2 ? -x : x);
  }
  return v;
}

TEST(EditFields, MatchGfortranRuntime) {
  if (!posy_test::have_gfortran()) GTEST_SKIP() << "gfortran is not on PATH";
  const auto reals = sweep_reals();
  const auto ints = sweep_ints();
  std::string in = std::to_string(kReal.size()) + " " + std::to_string(kInt.size()) + "\n";
  for (const auto& d : kReal) in += d + "\n";
  for (const auto& d : kInt) in += d + "\n";
  in += std::to_string(reals.size()) + "\n";
  char hex[20];
  for (double x : reals) {
    std::snprintf(hex, sizeof hex, "%016" PRIX64 "\n", std::bit_cast<std::uint64_t>(x));
    in += hex;
  }
  in += std::to_string(ints.size()) + "\n";
  for (long long x : ints) in += std::to_string(x) + "\n";

  posy_test::TempDir dir;
  std::string error;
  std::istringstream lines(posy_test::run_fortran(dir, kSweep, in, error));
  ASSERT_TRUE(error.empty()) << error;

  long compared = 0, bad = 0;
  // gfortran's line is "[field]", or a free-format record behind a blank.
  auto check = [&](const std::string& ours, const std::string& desc, auto x) {
    std::string t;
    std::getline(lines, t);
    if (!desc.empty() && !t.empty()) t.pop_back();  // the ']'
    if (!t.empty()) t.erase(t.begin());              // '[' or the blank
    ++compared;
    if (t != ours && ++bad <= 25)
      ADD_FAILURE() << (desc.empty() ? "free format" : desc) << " of " << std::setprecision(17)
                    << x << ": gfortran [" << t << "] io [" << ours << "]";
  };
  for (double x : reals) {
    for (const auto& d : kReal) {
      const int w = std::stoi(d.substr(1)), m = std::stoi(d.substr(d.find('.') + 1));
      check(d[0] == 'F'   ? io::F(x, w, m)
            : d[0] == 'E' ? io::E(x, w, m)
            : d[0] == 'D' ? io::D(x, w, m)
                          : io::G(x, w, m),
            d, x);
    }
    check(io::list_real(x), "", x);
  }
  for (long long x : ints)
    for (const auto& d : kInt) {
      const auto dot = d.find('.');
      const int w = std::stoi(d.substr(1));
      check(dot == std::string::npos ? io::I(x, w) : io::I(x, w, std::stoi(d.substr(dot + 1))),
            d, x);
    }
  EXPECT_EQ(compared, long(reals.size() * (kReal.size() + 1) + ints.size() * kInt.size()));
  EXPECT_FALSE(std::getline(lines, in));
}

}  // namespace
