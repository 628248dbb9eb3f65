// gp_problem.h — a geometric program held as the solver's problem arrays,
// read from a data file (title record, then free-format numbers with E or D
// exponents) or built in code, and solved through POSY with the report
// captured.  Library-level counterpart of the end-to-end runs.
#pragma once

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gp/solver.h"
#include "gp_test_util.h"

namespace gptest {

struct GpProblem {
  int NVAR = 0, MCON = 0, KTTOT = 0, NLB = 0, NUB = 0;
  std::vector<int> KT, FTERM, LTERM, NAPP, IDVAR;
  std::vector<double> C, A, SLB, SUB;

  // Term builder: coefficient and (variable, exponent) pairs; terms must be
  // added posynomial by posynomial (objective first).
  void term(int posy, double c, std::vector<std::pair<int, double>> pairs) {
    if (static_cast<int>(KT.size()) < posy + 1) KT.resize(posy + 1, 0);
    KT[posy]++;
    C.push_back(c);
    NAPP.push_back(static_cast<int>(pairs.size()));
    for (auto [v, a] : pairs) {
      IDVAR.push_back(v);
      A.push_back(a);
    }
  }
  void finish() {
    MCON = static_cast<int>(KT.size()) - 1;
    FTERM.assign(MCON + 1, 0);
    LTERM.assign(MCON + 1, 0);
    KTTOT = 0;
    for (int l = 0; l <= MCON; ++l) {
      FTERM[l] = KTTOT + 1;
      LTERM[l] = FTERM[l] + KT[l] - 1;
      KTTOT += KT[l];
    }
    SLB.resize(NVAR, 0.0);
    SUB.resize(NVAR, 0.0);
  }
  void lower(int j, double v) {
    SLB.resize(NVAR, 0.0);
    SLB[j - 1] = v;
    ++NLB;
  }
  void upper(int j, double v) {
    SUB.resize(NVAR, 0.0);
    SUB[j - 1] = v;
    ++NUB;
  }

  static GpProblem read(const std::string& path) {
    std::ifstream in(path);
    std::string line, rest;
    std::getline(in, line);  // title
    std::stringstream ss;
    while (std::getline(in, line)) {
      for (char& ch : line)
        if (ch == 'D' || ch == 'd') ch = 'E';
      ss << line << ' ';
    }
    GpProblem p;
    ss >> p.NVAR >> p.MCON;
    std::vector<int> kt(p.MCON + 1);
    for (int& k : kt) ss >> k;
    for (int l = 0; l <= p.MCON; ++l) {
      for (int t = 0; t < kt[l]; ++t) {
        int napp = 0;
        double c = 0;
        ss >> napp >> c;
        std::vector<std::pair<int, double>> pairs(napp);
        for (auto& pr : pairs) ss >> pr.first >> pr.second;
        p.term(l, c, pairs);
      }
      if (kt[l] == 0) p.KT.resize(l + 1, 0);
    }
    p.finish();
    int n = 0;
    ss >> n;
    for (int i = 0; i < n; ++i) {
      int j; double v;
      ss >> j >> v;
      p.lower(j, v);
    }
    ss >> n;
    for (int i = 0; i < n; ++i) {
      int j; double v;
      ss >> j >> v;
      p.upper(j, v);
    }
    return p;
  }
};

struct RunParams {
  int ITMAX = 100, FRQREP = 0, IPRINT = 0, IPRG = 0, IPRX = 0;
  double ALLOW = static_cast<double>(1.0e-7f);
  double RGAP = static_cast<double>(1.0e-7f);
};

struct RunResult {
  std::vector<std::string> report;
  std::vector<double> XPRIML, VPOSY;
  // True when the report holds LINE.
  bool has(const std::string& line) const {
    for (const auto& l : report)
      if (l == line) return true;
    return false;
  }
  // Value printed after PREFIX on the last line that starts with it (the
  // final report comes last); -1 when there is none.
  double value_after(const std::string& prefix) const {
    for (auto l = report.rbegin(); l != report.rend(); ++l)
      if (l->rfind(prefix, 0) == 0) return std::stod(l->substr(prefix.size()));
    return -1.0;
  }
};

// Solves P with POSY; the report (unit 8) goes to a temporary file.
inline RunResult solve(GpProblem p, RunParams r = {}) {
  ReportFile rep;
  RunResult out;
  out.XPRIML.assign(p.NVAR > 0 ? p.NVAR : 1, 0.0);
  out.VPOSY.assign(p.MCON + 1, 0.0);
  // The driver's arrays C and NAPP are longer than the term count.
  p.C.resize(p.KTTOT + p.NLB + p.NUB + p.NVAR + 1, 0.0);
  p.NAPP.resize(p.KTTOT + p.NLB + p.NUB + p.NVAR + 1, 0);
  if (p.A.empty()) { p.A.push_back(0); p.IDVAR.push_back(1); }
  POSY(p.NVAR, p.MCON, p.KTTOT, p.NLB, p.NUB, p.C.data(), p.A.data(),
       p.KT.data(), p.FTERM.data(), p.LTERM.data(), p.IDVAR.data(),
       p.NAPP.data(), p.SLB.data(), p.SUB.data(), r.ITMAX, r.FRQREP, r.IPRINT,
       r.IPRG, r.IPRX, r.ALLOW, r.RGAP, out.XPRIML.data(), out.VPOSY.data());
  out.report = rep.lines();
  return out;
}

}  // namespace gptest
