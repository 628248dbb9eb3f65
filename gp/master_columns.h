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
//   reset(capacity)   SETUP: no column yet, solve count 0; columns
//                     1..capacity may be recorded
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
//   recentre(U, M, BASIS, BASCB, COLA, COLI, COLMAX, LENMY, MAXA, MAXN,
//            MAXM, MEMORY)
//                     t = U(1..M); every column 1..N is stored again with its
//                     cost reduced by t.a (logical columns, not kept here,
//                     cost 0), and BASCB(1..M) is set to the basic columns'
//                     stored costs.  COLA, COLI are scratch.  The basis, its
//                     factors and the basic values stay valid.
#pragma once

namespace gp::master_columns {

void reset(int capacity);
void stored(int j, const double* COLA, const int* COLI, int COLLEN,
            double CJ);
void solved(const int* BASIS, int M);
int choose(int N, const int* KEEPS, const int* STATUS);
double shifted_cost(double CJ, const double* COLA, const int* COLI,
                    int COLLEN);
double shift_value(int row);
void recentre(const double* U, int M, int* BASIS, double* BASCB,
              double* COLA, int* COLI, int& COLMAX, int& LENMY, int& MAXA,
              int& MAXN, int& MAXM, double* MEMORY);

}  // namespace gp::master_columns
