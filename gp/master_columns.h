// master_columns.h — what the solver keeps of the master-LP columns beside
// the engine's store: the replacement order and the columns in 64 bits with
// the cost shift (internal to the solver; the state lives in master_lp.cpp
// and, like RVNA, is process-wide: one master LP at a time).
//
// Replacement order.  Once the master LP holds NMAX structural columns each
// new column replaces one that is neither kept, nor basic, nor logical.
// Among those, the column replaced is the one least recently of use: every
// column carries the number of the last solve in which it was basic, or of
// the last solve before it was stored; the smallest number goes first, and
// among equal numbers the smallest column number.  (Taking simply the
// smallest replaceable column number would overwrite the columns of the
// latest iteration again and again while the first iterations' columns
// stayed for good: the master LP would forget every recent cut after one
// iteration and crawl, or stall, on large programs.)
//
// Cost shift.  The engine stores costs in 32 bits: a cost near 5 is rounded
// by up to 2.4e-7, and near the optimum that hides the gain of a new column
// (the basis stays the same although the gap is above the tolerance).  Since
// every column satisfies the rows A x = B, reducing each cost c(j) by t.a(j)
// for one price vector t changes the LP's objective by the constant t.B and
// its prices by t, nothing else.  Re-centred on the current prices, the
// useful columns' costs become small and so does their rounding.  REPC keeps
// every column as generated (64 bits) so the shift is always applied to the
// exact cost; LINEAR adds t.B back to the optimum and t to the prices.
//
// Row shift.  The same 32-bit rounding hits the objective's columns near
// the optimum: their orthogonality entries are the exponent averages at
// nearby grid points, of size 1 and differing by 1e-3 and less, so the
// rounding (6e-8) eats into what tells them apart.  Subtracting
// r(i) times row 1 from each orthogonality row i (r: the entries of one
// objective column, the reference) is an exchange of equations: the LP's
// solutions stay, the right-hand side becomes B(i) - r(i) B(1), the
// objective columns (row 1 entry e) are stored as a - e r, their
// differences to the reference, and the other columns, with no entry in
// row 1, do not change.  The engine's prices u' give the LP's as
// u(1) = u'(1) - sum r(i) u'(i), u(i) = u'(i).  Only with every column
// counted one the solver keeps (no logical column: theirs hold one entry).
// The shifted columns are small and differ by less: from the first shift
// on, the factorisation keeps entries below its default drop tolerance
// (shift_rows).
//
// Redundant rows.  Every column's orthogonality entries combine the
// exponent vectors of the program's terms (and the unit vectors of bounded
// variables).  When the row of a variable is a linear combination of other
// orthogonality rows over all of them (a variable that always appears
// together with another), the row, whose right-hand side is 0 like theirs,
// is implied by them, but the 32-bit store rounds each column's entries
// so that the combination no longer holds exactly: a new column then
// differs from the basis in that row by rounding noise, the row's basic
// artificial (value 0, bounds 0..0) blocks every step with that noise as
// pivot, and the solve is abandoned over refused pivots.  Such rows are
// stored as zeros: the LP is the same, the artificial stays basic at 0, and
// the row's price is 0 (the variable's value 1, which the others' values
// make up for).
//
//   reset(capacity)   SETUP: no column yet, solve count 0; columns
//                     1..capacity may be recorded; no redundant row
//   stored(j, COLA, COLI, COLLEN, CJ)
//                     REPC: column j is stored now, as generated (COLLEN
//                     entries, rows COLI, values COLA, cost CJ)
//   solved(BASIS, M)  LINEAR: one more solve; the columns BASIS(1..M) were
//                     basic at its end
//   choose(N, KEEPS, STATUS)
//                     the column to replace among 1..N, or 0 when none is
//                     replaceable (KEEPS(j) = 1, STATUS(j) > 0 basic or at an
//                     intermediate value, STATUS(j) = -3 logical)
//   shifted_cost(CJ, COLA, COLI, COLLEN)
//                     the cost to store for that column: CJ - t.a (CJ itself
//                     until the first re-centring)
//   shift_value(row)  t(row), 0 until the first re-centring
//   mark_redundant(rows)
//                     rows(i - 1) true: row i is redundant (INITLP, after
//                     SETUP, before the first column)
//   redundant(row)    row is redundant: REPC stores no entry there
//   recentre(U, M, BASIS, BASCB, COLA, COLI, COLMAX, LENMY, MAXA, MAXN,
//            MAXM, MEMORY)
//                     t = U(1..M); every column 1..N is stored again with its
//                     cost reduced by t.a (logical columns, not kept here,
//                     cost 0), and BASCB(1..M) is set to the basic columns'
//                     stored costs.  COLA, COLI are scratch.  The basis, its
//                     factors and the basic values stay valid.
//   row_spread(BASIS, XBZERO, M, REF)
//                     how many times the basic objective columns' stored
//                     orthogonality entries exceed their spread about the
//                     basic objective column of largest weight, REF (ratio
//                     0, REF 0 when the rows cannot be shifted or no
//                     objective column is basic)
//   shift_rows(REF, M, B, BASIS, BASCB, STATUS, XBZERO, COLA, COLI, COLMAX,
//              LENMY, MAXA, MAXN, MAXM, MEMORY)
//                     the row shift becomes column REF's (as generated):
//                     B(2..M) and every column 1..N are stored again, the
//                     basis refactorised (from now on dropping only exact
//                     zeros: LA05DD.SMALL = 0), XBZERO recomputed.  False,
//                     with the previous shift back in place, when the basis
//                     cannot be factorised so.
//   stored_form(COLA, COLI, COLLEN, M)
//                     a column as generated turned, in place, into its form
//                     under the row shift; returns its new length
//   original_rhs(i, B)
//                     B(i) of the LP as set up, from the stored B
//   original_prices(U, M)
//                     the engine's prices U(1..M) turned, in place, into
//                     those of the LP as set up
#pragma once

#include <utility>
#include <vector>

namespace gp::master_columns {

void reset(int capacity);
void stored(int j, const double* COLA, const int* COLI, int COLLEN,
            double CJ);
void solved(const int* BASIS, int M);
int choose(int N, const int* KEEPS, const int* STATUS);
double shifted_cost(double CJ, const double* COLA, const int* COLI,
                    int COLLEN);
double shift_value(int row);
void mark_redundant(const std::vector<bool>& rows);
bool redundant(int row);
void recentre(const double* U, int M, int* BASIS, double* BASCB,
              double* COLA, int* COLI, int& COLMAX, int& LENMY, int& MAXA,
              int& MAXN, int& MAXM, double* MEMORY);
double row_spread(const int* BASIS, const double* XBZERO, int M, int& REF);
bool shift_rows(int REF, int M, double* B, int* BASIS, double* BASCB,
                int* STATUS, double* XBZERO, double* COLA, int* COLI,
                int& COLMAX, int& LENMY, int& MAXA, int& MAXN, int& MAXM,
                double* MEMORY);
int stored_form(double* COLA, int* COLI, int COLLEN, int M);
double original_rhs(int i, const double* B);
void original_prices(double* U, int M);

}  // namespace gp::master_columns

namespace gp {

// The orthogonality rows of the master LP (row 1+v for variable v; row 1,
// normality, is never one: its right-hand side is 1) that are linear
// combinations of earlier orthogonality rows over every column the program
// can generate.  GENERATORS spans those rows' part of the columns: each is
// a sparse vector of (row, value) pairs, rows 2..M.  Rows are taken in
// order; row i is redundant when its coordinate is, over the span, a
// combination of the earlier kept rows' coordinates (pivoted elimination of
// the Gram matrix, relative pivot below 1e-12).  Element i - 1 of the
// result stands for row i.
std::vector<bool> redundant_rows(
    int m, const std::vector<std::vector<std::pair<int, double>>>& generators);

}  // namespace gp
