// master_columns.h — which master-LP column REPC overwrites once the column
// store is full (internal to the solver; the state lives in master_lp.cpp
// and, like RVNA, is process-wide: one master LP at a time).
//
// Once the master LP holds NMAX structural columns each
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
//   reset(capacity)   SETUP: no column yet, solve count 0; columns
//                     1..capacity may be recorded
//   stored(j)         REPC: column j was stored now
//   solved(BASIS, M)  LINEAR: one more solve; the columns BASIS(1..M) were
//                     basic at its end
//   choose(N, KEEPS, STATUS)
//                     the column to replace among 1..N, or 0 when none is
//                     replaceable (KEEPS(j) = 1, STATUS(j) > 0 basic or at an
//                     intermediate value, STATUS(j) = -3 logical)
#pragma once

namespace gp::master_columns {

void reset(int capacity);
void stored(int j);
void solved(const int* BASIS, int M);
int choose(int N, const int* KEEPS, const int* STATUS);
void remember(int j, const double* COLA, const int* COLI, int COLLEN,
              double CJ);
double shifted_cost(double CJ, const double* COLA, const int* COLI,
                    int COLLEN);
double shift_value(int row);
void recentre(const double* U, int M, int* BASIS, double* BASCB,
              double* COLA, int* COLI, int& COLMAX, int& LENMY, int& MAXA,
              int& MAXN, int& MAXM, double* MEMORY);

}  // namespace gp::master_columns
