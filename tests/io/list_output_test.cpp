// Free-format output records against gfortran's list-directed WRITE.  The
// record's leading blank is its carriage control, so the file line is the
// Fortran record without its first column.
#include "io/list_output.h"

#include <gtest/gtest.h>

#include <bit>
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
#include "io/units.h"

namespace {

TEST(ListOutput, Fields) {
  EXPECT_EQ(io::list_int(3), "          3");
  EXPECT_EQ(io::list_real(1.5), "  1.5000000000000000     ");
  EXPECT_EQ(io::list_real(1e-5), "  1.0000000000000001E-005");
  EXPECT_EQ(io::list_real(0.0), "  0.0000000000000000     ");
  io::ListRecord r(99);
  r << 7 << 0.1 << "ab" << "cd" << 2;
  EXPECT_EQ(r.text(), "           7  0.10000000000000001      abcd           2");
  io::reset_units();
  std::remove("fort.99");
}

TEST(ListOutput, MatchGfortranWrite) {
  if (!posy_test::have_gfortran()) GTEST_SKIP() << "gfortran is not on PATH";
  std::vector<double> reals = {0.0, -0.0, 1.0, -1.0, 0.1, 0.09999999999999999, 1e17, 1e17 - 16,
                               99999999999999984.0, 1e-300, 5e-324, 1.7976931348623157e308,
                               123456789.123, -2.5e-300};
  std::mt19937_64 rng(4242);
  std::uniform_real_distribution<double> mant(1.0, 10.0);
  std::uniform_int_distribution<int> ex(-25, 25);
  for (int i = 0; i < 2000; ++i) reals.push_back((i % 2 ? -1 : 1) * mant(rng) * std::pow(10.0, ex(rng)));
  const char* const source = R"(program lw
  implicit none
  integer :: n, k, j
  integer(8) :: bits
  double precision :: x
  read(*,*) n
  write(*,*) ' '
  write(*,*) 'ab', 'cd', 3, 'e'
  do k = 1, n
    read(*,'(Z16)') bits
    x = transfer(bits, x)
    j = k * 7919 - 5000000
    write(*,*) j, x
  end do
end program lw
)";
  std::ostringstream in;
  in << reals.size() << "\n";
  for (double x : reals) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016" PRIX64, std::bit_cast<std::uint64_t>(x));
    in << buf << "\n";
  }
  posy_test::TempDir dir;
  std::string error;
  const std::string out = posy_test::run_fortran(dir, source, in.str(), error);
  ASSERT_TRUE(error.empty()) << error;

  const std::string file = dir.file("ours.txt");
  ASSERT_TRUE(io::open_unit(30, file, io::OpenStatus::kReplace));
  io::ListRecord(30) << " ";
  io::ListRecord(30) << "ab" << "cd" << 3 << "e";
  for (std::size_t k = 1; k <= reals.size(); ++k)
    io::ListRecord(30) << static_cast<int>(k * 7919 - 5000000) << reals[k - 1];
  io::close_unit(30);

  std::istringstream theirs(out), ours(posy_test::read_file(file));
  std::string t, o;
  int compared = 0, bad = 0;
  while (std::getline(theirs, t)) {
    ASSERT_TRUE(std::getline(ours, o));
    ++compared;
    if (t.substr(1) != o && ++bad < 20) ADD_FAILURE() << "gfortran [" << t << "] io [" << o << "]";
  }
  EXPECT_FALSE(std::getline(ours, o));
  std::cout << "[ compared ] " << compared << " free-format records with gfortran\n";
}

}  // namespace
