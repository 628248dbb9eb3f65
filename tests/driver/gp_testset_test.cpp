// gp_testset_test.cpp — the 31 classic GPs: scan and full read agree with the
// listed sizes and the record count; the summary comes out whole.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "driver/problem_input.h"
#include "driver_test_support.h"
#include "io/edit.h"
#include "io/units.h"

namespace {

using driver_test::fs::path;
using driver_test::read_file;
using driver_test::split_lines;

const path kSet = path(POSY_SHARED_DIR) / "gp-testset";

struct Listed {
  int NVAR, MCON, terms;
};

std::map<std::string, Listed> listed_sizes() {
  std::map<std::string, Listed> sizes;
  const std::string json = read_file(kSet / "reference.json");
  const std::regex entry(
      R"re("(CL\d+)":\s*\{\s*"NVAR":\s*(\d+),\s*"MCON":\s*(\d+),\s*"terms":\s*(\d+))re");
  for (std::sregex_iterator it(json.begin(), json.end(), entry), end; it != end;
       ++it)
    sizes[(*it)[1]] = {std::stoi((*it)[2]), std::stoi((*it)[3]),
                       std::stoi((*it)[4])};
  return sizes;
}

void count_records(const std::string& text, int& terms, int& pairs) {
  terms = pairs = 0;
  for (const std::string& line : split_lines(text)) {
    if (line.size() == 22 && line[7] != ' ' && line[18] == 'D') ++terms;
    if (line.size() == 23 && line[8] != ' ' && line[19] == 'D') ++pairs;
  }
}

class DriverGpTestSet : public driver_test::InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();  // first: TearDown leaves the directory either way
    if (!driver_test::fs::exists(kSet / "reference.json"))
      GTEST_SKIP() << "shared test set not found at " << kSet;
  }
};

TEST_F(DriverGpTestSet, ScanReadAndSummaryAgreeWithTheListedSizes) {
  const auto sizes = listed_sizes();
  ASSERT_EQ(sizes.size(), 31u);
  for (const auto& [name, want] : sizes) {
    SCOPED_TRACE(name);
    const std::string file = name + ".DAT";
    driver_test::fs::copy_file(kSet / file, file);
    const std::string text = read_file(file);
    int rec_terms, rec_pairs;
    count_records(text, rec_terms, rec_pairs);

    std::string INFNM, OUTFNM, PNM;
    driver::form_file_names(name, INFNM, OUTFNM);
    int NVAR, MCON, KTTOT, NONZER, NLB, NUB;
    driver::scan_data_file(INFNM, PNM, NVAR, MCON, KTTOT, NONZER, NLB, NUB);
    EXPECT_EQ(NVAR, want.NVAR);
    EXPECT_EQ(MCON, want.MCON);
    EXPECT_EQ(KTTOT, want.terms);
    EXPECT_EQ(KTTOT, rec_terms);
    EXPECT_EQ(NONZER, rec_pairs);
    EXPECT_EQ(NLB, 0);
    EXPECT_EQ(NUB, 0);

    const int ext = KTTOT + NLB + NUB + NVAR + 1;
    std::vector<double> C(ext), A(NONZER), SLB(NVAR), SUB(NVAR), TEMPOUT(NVAR);
    std::vector<int> KT(MCON + 1), FTERM(MCON + 1), LTERM(MCON + 1),
        IDVAR(NONZER), NAPP(ext);
    int kttot = ext;
    GPINPT(INFNM, OUTFNM, C.data(), A.data(), NVAR, MCON, KT.data(), kttot,
           FTERM.data(), LTERM.data(), IDVAR.data(), NAPP.data(), NLB, NUB,
           SLB.data(), SUB.data(), TEMPOUT.data(), NONZER);
    EXPECT_EQ(kttot, want.terms);
    EXPECT_EQ(LTERM[MCON], kttot);
    io::reset_units();

    const auto lines = split_lines(read_file(name + ".OUT"));
    const int per_term = (NVAR + 5) / 6;
    const std::size_t header = 12;
    ASSERT_EQ(lines.size(), header + static_cast<std::size_t>(kttot) * per_term);
    EXPECT_EQ(lines[header - 1],
              "POSY   TERM   COEFFICIENT             EXPONENTS");
    const std::string& last_first = lines[lines.size() - per_term];
    EXPECT_EQ(last_first.substr(0, 10), io::I(MCON, 5) + io::I(kttot, 5));
    const int rest = NVAR - 6 * (per_term - 1);
    EXPECT_EQ(lines.back().size(),
              static_cast<std::size_t>(23 + 8 * rest));
    driver_test::fs::remove(file);
    driver_test::fs::remove(name + ".OUT");
  }
}

}  // namespace
