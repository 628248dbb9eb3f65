// primal_support.h — a small LP held in the engine: stored columns, the
// slack basis, the primal driver and every array they need.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "lp/engine.h"
#include "lp/workspace.h"

namespace lp_test {

struct LpColumn {
  double c = 0.0;                              // cost (maximised)
  std::vector<std::pair<int, double>> a;       // (row, value)
  double l = 0.0, u = 1.0e30;                  // bounds (BNDTYP 3/4)
};

struct LpData {
  int M = 0;
  int BNDTYP = 1;
  double BOUND = 0.0;  // BNDTYP 2
  int NTYPE2 = 0;      // BNDTYP 2
  std::vector<int> rowtyp;     // 1..M
  std::vector<double> b;       // 1..M
  std::vector<double> blow;    // 1..M (two-sided rows)
  std::vector<LpColumn> cols;  // structural columns
};

class EngineLp {
 public:
  explicit EngineLp(const LpData& lp_data, int pick = 10, int extra_rows = 0)
      : data_(lp_data), ws_(workspace_length(lp_data, extra_rows)) {
    M = lp_data.M;
    MAXM = M + extra_rows;
    MAXN = static_cast<int>(lp_data.cols.size()) + M + 4;
    int nnz = M;  // the logical columns
    for (const LpColumn& c : lp_data.cols) nnz += std::max<int>(1, c.a.size());
    COLMAX = M + 1;
    MAXA = nnz + 2 * COLMAX;  // room for columns stored later by XREPAJ
    PICK = pick;
    BNDTYP = lp_data.BNDTYP;
    BOUND = lp_data.BOUND;
    NTYPE2 = lp_data.NTYPE2;
    LENMY = ws_.size();
    MEMORY = ws_.data();
    int IPRINT = 0;
    XMAPS(IPRINT, BNDTYP, IOERR, LENMA, LENMI, LENMY, MAPA, MAPI, MAXA, MAXM,
          MAXN, MEMORY);
    for (auto* v : {&B, &BLOW, &BASCB, &BASLB, &BASUB, &UZERO, &XBZERO, &YQ})
      v->assign(MAXM, 0.0);
    for (auto* v : {&BASIS, &ROWTYP}) v->assign(MAXM, 0);
    for (auto* v : {&CAND, &CANDL}) v->assign(PICK, 0);
    STATUS.assign(MAXN, 0);
    CANDCJ.assign(PICK, 0.0);
    CANDA.assign(static_cast<size_t>(COLMAX) * PICK, 0.0);
    CANDI.assign(static_cast<size_t>(COLMAX) * PICK, 0);
    COLA.assign(COLMAX, 0.0);
    COLI.assign(COLMAX, 0);
    for (int i = 0; i < M; ++i) {
      B[i] = lp_data.b[i];
      ROWTYP[i] = lp_data.rowtyp[i];
      if (!lp_data.blow.empty()) BLOW[i] = lp_data.blow[i];
    }
  }

  // COLA/COLI from the entries of C; returns their count.
  int pack(const LpColumn& c) {
    int COLLEN = 0;
    for (auto [r, v] : c.a) {
      COLA[COLLEN] = v;
      COLI[COLLEN] = r;
      ++COLLEN;
    }
    return COLLEN;
  }

  // The bounds of stored column J (bound types 3 and 4) and status 0.
  void finish_column(const LpColumn& c, int& J) {
    if (BNDTYP >= 3) {
      double LJ = c.l, UJ = c.u;
      XADDUB(BNDTYP, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
    }
    STATUS[J - 1] = 0;
  }

  // Stores the structural columns (status 0) and their bounds.
  void store_columns() {
    for (const LpColumn& c : data_.cols) {
      double CJ = c.c;
      int COLLEN = pack(c);
      if (COLLEN == 0) {  // an empty column is stored as one zero
        COLA[0] = 0.0;
        COLI[0] = 1;
        COLLEN = 1;
      }
      int J = 0;
      XADDAJ(CJ, COLA.data(), COLI.data(), COLLEN, COLMAX, IOERR, J, LENMA,
             LENMY, MAPA, MEMORY, N);
      finish_column(c, J);
    }
  }

  void slack() {
    XSLACK(B.data(), BASCB.data(), BASIS.data(), BASLB.data(), BASUB.data(),
           BLOW.data(), BNDTYP, BOUND, COLA.data(), COLI.data(), COLMAX,
           IOERR, LENMA, LENMI, LENMY, M, MAPA, MAPI, MAXM, MAXN, MEMORY, N,
           ROWTYP.data(), STATUS.data(), UZERO.data(), XBZERO.data(), Z);
  }

  int primal() {
    XPRIML(B.data(), BASCB.data(), BASIS.data(), BASLB.data(), BASUB.data(),
           BNDTYP, BOUND, CAND.data(), CANDA.data(), CANDCJ.data(),
           CANDI.data(), CANDL.data(), COLA.data(), COLI.data(), COLMAX,
           FACTOR, IOERR, IOLOG, ITER1, ITER2, LENMA, LENMI, LENMY, LOOK, M,
           MAPA, MAPI, MAXM, MAXN, MEMORY, N, NTYPE2, PICK, PRINT,
           STATUS.data(), TERMIN, UNBDDQ, UZERO.data(), XBZERO.data(),
           YQ.data(), Z);
    return TERMIN;
  }

  // Everything in one go: store, slack basis, solve.
  int solve() {
    store_columns();
    slack();
    return primal();
  }

  // Value of column j (1..N) from the engine's state.
  double value(int j) {
    const int s = STATUS[j - 1];
    if (s >= 1) return XBZERO[s - 1];
    if (s == -2 || s == -3) {
      for (int i = 0; i < M; ++i)
        if (BASIS[i] == j) return XBZERO[i];
      return 0.0;
    }
    double LJ = 0.0, UJ = 1.0e30;
    if (BNDTYP >= 3) {
      int J = j;
      XGETUB(BNDTYP, IOERR, J, LENMA, LENMY, LJ, MAPA, MEMORY, UJ);
    } else if (BNDTYP == 2) {
      UJ = BOUND;
    }
    return (s == -1) ? UJ : LJ;
  }

  static int workspace_length(const LpData& lp_data, int extra_rows) {
    long long m = lp_data.M + extra_rows + 4;
    long long n = static_cast<long long>(lp_data.cols.size()) + lp_data.M + 5;
    long long a = 3 * lp_data.M + 8;
    for (const LpColumn& c : lp_data.cols)
      a += std::max<long long>(1, static_cast<long long>(c.a.size()));
    long long nonzb = m * a / n + 1;
    return static_cast<int>(3 * n + 2 * a + 12 * m + 8 * (nonzb + m) * 4 +
                            4000);
  }

  LpData data_;
  lp::Workspace ws_;
  double* MEMORY = nullptr;
  int LENMY = 0, LENMA = 0, LENMI = 0;
  int MAPA[20] = {}, MAPI[20] = {};
  int M = 0, N = 0, MAXM = 0, MAXN = 0, MAXA = 0, COLMAX = 0, PICK = 10;
  int BNDTYP = 1, NTYPE2 = 0;
  double BOUND = 0.0;
  int IOERR = 8, IOLOG = 8;
  int FACTOR = 50, LOOK = 200, PRINT = 0;
  int ITER1 = 0, ITER2 = 0, TERMIN = 0, UNBDDQ = 0;
  double Z = 0.0;
  std::vector<double> B, BLOW, BASCB, BASLB, BASUB, UZERO, XBZERO, YQ;
  std::vector<int> BASIS, ROWTYP, STATUS;
  std::vector<int> CAND, CANDL;
  std::vector<double> CANDCJ, CANDA;
  std::vector<int> CANDI;
  std::vector<double> COLA;
  std::vector<int> COLI;
};

}  // namespace lp_test
