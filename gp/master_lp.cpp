// master_lp.cpp — the master LP of the generalised linear programming method,
// between the solver and the LP engine.
//
//   SETUP   empty master LP: engine parameters in RVNA, workspace map (XMAPS),
//           right-hand sides, no basis
//   REPC    pack a generated column and store it (append, or overwrite the
//           least recently used column that is neither kept, nor basic, nor
//           logical: gp/master_columns.h); rows found redundant get no
//           entry (gp/master_columns.h)
//   (LINEAR, the solve, is in master_solve.cpp)
//
// All engine parameters are kept in the process-wide record RVNA, so callers
// see only the arrays.  Rows are equalities: row 1 normality (rhs 1), row 1+v
// orthogonality of variable v (rhs 0).  Column cost = -(log-cost term w).
//
// Logical columns: the first solve appends one artificial per row after the
// structural columns.  When none of them is basic at the optimum they are no
// longer counted and later columns reuse their storage.  When one is still
// basic (at value zero: a redundant orthogonality row, a variable that appears
// in no term), all of them stay counted: storing a new column over a basic
// column would change the basis matrix behind the factorisation's back.
// REPC never overwrites a logical column (status -3): their slices hold one
// entry only.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "gp/master_columns.h"
#include "gp/report_line.h"
#include "gp/solver.h"
#include "io/one_based.h"
#include "lp/engine.h"
#include "lp/workspace.h"

using gp::Line;

namespace {

constexpr int kArtificial = -3;  // status of an equality row's artificial

// Per column (element 0 unused): the number of the last solve in which it
// was basic or before which it was stored; the column as generated, in 64
// bits (entries and unshifted cost), when REPC stored it.  The number of
// solves so far.  The cost shift: the prices SHIFT(1..M) the stored costs
// are reduced by (all zero until the first re-centring).
struct Copy {
  std::vector<int> rows;
  std::vector<double> values;
  double cost = 0.0;
  bool known = false;
};
std::vector<long long> last_use;
std::vector<Copy> copies;
long long solves = 0;
std::vector<double> shift;
bool shifted = false;
std::vector<bool> redundant_row;  // element i - 1: row i

}  // namespace

namespace gp::master_columns {

void reset(int capacity) {
  const std::size_t n = static_cast<std::size_t>(capacity > 0 ? capacity : 0) + 1;
  last_use.assign(n, 0);
  copies.assign(n, Copy{});
  solves = 0;
  shift.clear();
  shifted = false;
  redundant_row.clear();
}

void mark_redundant(const std::vector<bool>& rows) { redundant_row = rows; }

bool redundant(int row) {
  return row >= 1 && static_cast<std::size_t>(row) <= redundant_row.size() &&
         redundant_row[static_cast<std::size_t>(row - 1)];
}

double shifted_cost(double CJ, const double* COLA, const int* COLI,
                    int COLLEN) {
  if (!shifted) return CJ;
  double c = CJ;
  for (int k = 0; k < COLLEN; ++k) {
    const int row = COLI[k];
    if (row >= 1 && static_cast<std::size_t>(row) <= shift.size())
      c -= shift[static_cast<std::size_t>(row - 1)] * COLA[k];
  }
  return c;
}

void stored(int j, const double* COLA, const int* COLI, int COLLEN,
            double CJ) {
  last_use.at(static_cast<std::size_t>(j)) = solves;
  Copy& c = copies.at(static_cast<std::size_t>(j));
  c.rows.assign(COLI, COLI + COLLEN);
  c.values.assign(COLA, COLA + COLLEN);
  c.cost = CJ;
  c.known = true;
}

double shift_value(int row) {
  if (!shifted || row < 1 || static_cast<std::size_t>(row) > shift.size())
    return 0.0;
  return shift[static_cast<std::size_t>(row - 1)];
}

void recentre(const double* U, int M, int* BASIS, double* BASCB,
              double* COLA, int* COLI, int& COLMAX, int& LENMY, int& MAXA,
              int& MAXN, int& MAXM, double* MEMORY) {
  shift.assign(U, U + M);
  shifted = true;
  const int n = std::min<int>(RVNA.N, static_cast<int>(copies.size()) - 1);
  for (int j = 1; j <= n; ++j) {
    int jj = j;
    const Copy& c = copies[static_cast<std::size_t>(j)];
    double cost = 0.0;  // logical columns cost nothing
    if (c.known) {
      RVNA.COLLEN = static_cast<int>(c.rows.size());
      std::copy(c.rows.begin(), c.rows.end(), COLI);
      std::copy(c.values.begin(), c.values.end(), COLA);
      cost = c.cost;
    } else {
      XGETAJ(RVNA.CJ, COLA, COLI, RVNA.COLLEN, COLMAX, RVNA.IOERR, jj,
             RVNA.LENMA, LENMY, RVNA.MAPA, MEMORY);
    }
    RVNA.CJ = shifted_cost(cost, COLA, COLI, RVNA.COLLEN);
    XREPAJ(RVNA.CJ, COLA, COLI, RVNA.COLLEN, COLMAX, RVNA.IOERR, jj,
           RVNA.LENMA, LENMY, RVNA.MAPA, MEMORY, RVNA.N, MAXA, MAXN, MAXM);
  }
  // The basic costs as the engine now holds them (rounded to 32 bits).
  for (int i = 0; i < M; ++i) {
    int j = BASIS[i];
    if (j < 1) continue;
    XGETAJ(BASCB[i], COLA, COLI, RVNA.COLLEN, COLMAX, RVNA.IOERR, j,
           RVNA.LENMA, LENMY, RVNA.MAPA, MEMORY);
  }
}

void solved(const int* BASIS, int M) {
  ++solves;
  for (int i = 0; i < M; ++i) {
    const int j = BASIS[i];
    if (j > 0 && static_cast<std::size_t>(j) < last_use.size())
      last_use[static_cast<std::size_t>(j)] = solves;
  }
}

int choose(int N, const int* KEEPS, const int* STATUS) {
  io::F1<const int> keeps(KEEPS), status(STATUS);
  const int n = static_cast<int>(
      std::min<long long>(N, static_cast<long long>(last_use.size()) - 1));
  int best = 0;
  for (int j = 1; j <= n; ++j) {
    if (keeps(j) != 0 || status(j) > 0 || status(j) == kArtificial) continue;
    if (best == 0 || last_use[static_cast<std::size_t>(j)] <
                         last_use[static_cast<std::size_t>(best)])
      best = j;
  }
  return best;
}

}  // namespace gp::master_columns

std::vector<bool> gp::redundant_rows(
    int m, const std::vector<std::vector<std::pair<int, double>>>& generators) {
  // Gram matrix G = sum g g^T (dense, m x m, column-major; rows 1..m).
  const std::size_t n = static_cast<std::size_t>(m);
  std::vector<double> gram(n * n, 0.0);
  auto at = [&](int i, int j) -> double& {
    return gram[static_cast<std::size_t>(i - 1) +
                static_cast<std::size_t>(j - 1) * n];
  };
  for (const auto& g : generators)
    for (const auto& [i, gi] : g)
      for (const auto& [j, gj] : g)
        if (i >= 2 && i <= m && j >= 2 && j <= m) at(i, j) += gi * gj;
  // Symmetric elimination in row order: a row whose remaining diagonal is
  // negligible beside its own is a combination of the rows kept before it.
  std::vector<bool> redundant(n, false);
  std::vector<double> scale(n);
  for (int i = 1; i <= m; ++i)
    scale[static_cast<std::size_t>(i - 1)] = at(i, i);
  for (int k = 2; k <= m; ++k) {
    const double d = at(k, k);
    if (!(d > 1.0e-12 * scale[static_cast<std::size_t>(k - 1)])) {
      redundant[static_cast<std::size_t>(k - 1)] = true;
      continue;
    }
    for (int j = k + 1; j <= m; ++j) {
      const double f = at(k, j) / d;
      if (f == 0.0) continue;
      for (int i = k + 1; i <= m; ++i) at(i, j) -= f * at(i, k);
    }
  }
  return redundant;
}

void SETUP(int& MREG, double* RHS, int& IPRINT, int& MAXM, int& MAXN,
           int& MAXA, int& COLMAX, int& LENMY, double* B, double* /*BASCB*/,
           double* /*BASLB*/, double* /*BASUB*/, double* /*BETAR*/,
           double* /*CANDA*/, double* /*CANDCJ*/, double* /*COLA*/,
           double* /*UZERO*/, double* /*XBZERO*/, double* /*YQ*/, int* BASIS,
           int* /*CANDI*/, int* /*COLI*/, int* ROWTYP, int* /*STATUS*/,
           double* MEMORY) {
  (void)COLMAX;
  // 1. Engine parameters of the master LP.
  RVNA.N = 0;
  RVNA.PICK = 10;
  RVNA.IOERR = gp::kReport;
  RVNA.IOLOG = gp::kReport;
  RVNA.PRINT = 0;
  RVNA.FACTOR = 50;
  RVNA.LOOK = 200;
  RVNA.BNDTYP = 1;
  RVNA.M = MREG;
  gp::master_columns::reset(MAXN);

  // 2. Workspace map.
  XMAPS(IPRINT, RVNA.BNDTYP, RVNA.IOERR, RVNA.LENMA, RVNA.LENMI, LENMY,
        RVNA.MAPA, RVNA.MAPI, MAXA, MAXM, MAXN, MEMORY);

  if (IPRINT > 0)
    Line(RVNA.IOLOG) << " SETUP.. NUMBER OF REGULAR CONSTRAINTS="
                     << io::I(MREG, 5);

  // 3. Right-hand sides; no basis yet; every row an equality.
  io::F1<double> b(B), rhs(RHS);
  io::F1<int> basis(BASIS), rowtyp(ROWTYP);
  for (int i = 1; i <= MREG; ++i) {
    b(i) = rhs(i);
    basis(i) = 0;
    rowtyp(i) = 0;
  }
}

void REPC(double* COLUMN, int& NMAX, int& IPRINT, int& IDNO, int* KEEPS,
          int& MAXM, int& MAXN, int& MAXA, int& COLMAX, int& LENMY,
          double* /*B*/, double* /*BASCB*/, double* /*BASLB*/,
          double* /*BASUB*/, double* /*BETAR*/, double* /*CANDA*/,
          double* /*CANDCJ*/, double* COLA, double* /*UZERO*/,
          double* /*XBZERO*/, double* /*YQ*/, int* /*BASIS*/, int* /*CANDI*/,
          int* COLI, int* /*ROWTYP*/, int* STATUS, double* MEMORY) {
  io::F1<double> column(COLUMN), cola(COLA);
  io::F1<int> coli(COLI), status(STATUS);
  const int m = RVNA.M;

  // 1. Pack: every entry that is not exactly zero and not in a redundant
  //    row; an empty column becomes a single 0.0 in row 1.
  int len = 0;
  for (int i = 1; i <= m; ++i) {
    if (column(i) != 0.0 && !gp::master_columns::redundant(i)) {
      ++len;
      coli(len) = i;
      cola(len) = column(i);
    }
  }
  RVNA.CJ = -column(m + 1);
  if (len == 0) {
    len = 1;
    coli(1) = 1;
    cola(1) = 0.0;
  }
  RVNA.COLLEN = len;

  // 2. Trace.
  if (IPRINT > 0) {
    Line(RVNA.IOLOG) << " REPCOL... THIS COLUMN HAS COST "
                     << io::E(RVNA.CJ, 12, 4);
    Line(RVNA.IOLOG) << "          ROW   VALUE";
    for (int k = 1; k <= len; ++k)
      Line(RVNA.IOLOG) << "          " << io::I(coli(k), 3)
                       << io::E(cola(k), 12, 4);
  }

  // 3. Column number: append while there is room, else the least recently
  //    used column that is not kept, not basic and not a logical column.
  int j = 0;
  if (RVNA.N < NMAX) {
    RVNA.N = RVNA.N + 1;
    j = RVNA.N;
  } else {
    j = gp::master_columns::choose(RVNA.N, KEEPS, STATUS);
    if (j == 0) {
      Line(RVNA.IOERR) << " ";
      Line(RVNA.IOERR) << " REPCOL.. NO REPLACEABLE COLUMN COULD BE FOUND";
      Line(RVNA.IOERR) << " INCREASE THE MAXIMUM NUMBER OF COLUMNS ALLOWED";
      return;
    }
  }

  // 4. Store: as generated in 64 bits beside the store, reduced by the
  //    cost shift in the store.
  gp::master_columns::stored(j, COLA, COLI, RVNA.COLLEN, RVNA.CJ);
  RVNA.CJ = gp::master_columns::shifted_cost(RVNA.CJ, COLA, COLI, RVNA.COLLEN);
  XREPAJ(RVNA.CJ, COLA, COLI, RVNA.COLLEN, COLMAX, RVNA.IOERR, j, RVNA.LENMA,
         LENMY, RVNA.MAPA, MEMORY, RVNA.N, MAXA, MAXN, MAXM);

  if (IPRINT > 0)
    Line(RVNA.IOLOG) << "     COLUMN NUMBER IS " << io::I(j, 5);
  IDNO = j;
  status(j) = 0;
}

