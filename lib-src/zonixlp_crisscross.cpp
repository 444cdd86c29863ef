// The criss-cross method: a least-index rule that needs neither a primal
// nor a dual feasible start.
#include <cstdio>
#include <new>

#include "zonixio.h"
#include "zonixlp_internal.hpp"

using zonix::lp::entry;

namespace {

// The least-index rule: the lowest row that is basic with a negative
// value or nonbasic with a positive reduced cost decides which kind of
// pivot follows.  Entries are taken as the rows come, since that row is
// often among the first; basic rows' values kBlock at a time.
void select_pivot(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                  dd_Bmatrix T, dd_rowindex bflag, dd_rowrange objrow,
                  dd_colrange rhscol, zonix::lp::Workspace &ws,
                  dd_rowrange *r, dd_colrange *s, int *selected,
                  dd_LPStatusType *lps)
{
  using zonix::lp::kBlock;
  *selected = dd_FALSE;
  *lps = dd_LPSundecided;
  long *rows = ws.rows.data();
  double *col = ws.col.data();
  const long n = zonix::lp::basic_rows(m_size, bflag, objrow, rows);
  zonix::lp::gather_column(d_size, T, rhscol, col);
  mytype vals[kBlock], val;
  long p = 0, base = 0, have = 0;  // vals hold the values of rows[base..base+have)
  dd_rowrange rr = 0;
  dd_colrange ss = 0;
  for (dd_rowrange i = 1; i <= m_size && rr == 0 && ss == 0; ++i) {
    if (i != objrow && bflag[i] == -1) {  // i is rows[p]
      if (p >= base + have) {
        base = p;
        have = n - p < kBlock ? n - p : kBlock;
        zonix::lp::column_block(d_size, A, T, rhscol, rows + p, have, col, vals);
      }
      if (dd_Negative(vals[p - base])) rr = i;
      ++p;
    } else if (bflag[i] > 0) {
      entry(val, m_size, d_size, A, T, objrow, bflag[i]);
      if (dd_Positive(val)) ss = bflag[i];
    }
  }
  if (rr > 0) {
    *r = rr;
    for (dd_rowrange i = 1; i <= m_size; ++i) {
      if (bflag[i] <= 0) continue;
      entry(val, m_size, d_size, A, T, rr, bflag[i]);
      if (dd_Positive(val)) {
        *s = bflag[i];
        *selected = dd_TRUE;
        break;
      }
    }
    if (!*selected) *lps = dd_Inconsistent;
  } else if (ss > 0) {
    *s = ss;
    const long q = zonix::lp::scan_column(d_size, A, T, ss, rows, n, col,
                                          [](long, mytype &v) { return dd_Negative(v) != 0; });
    if (q < n) {
      *r = rows[q];
      *selected = dd_TRUE;
    } else {
      *lps = dd_DualInconsistent;
    }
  } else {
    *lps = dd_Optimal;
  }
}

}  // namespace

extern "C" {

void dd_SelectCrissCrossPivot(dd_rowrange m_size, dd_colrange d_size,
                              dd_Amatrix A, dd_Bmatrix T, dd_rowindex bflag,
                              dd_rowrange objrow, dd_colrange rhscol,
                              dd_rowrange *r, dd_colrange *s, int *selected,
                              dd_LPStatusType *lps)
{
  try {
    zonix::lp::Workspace ws(m_size, d_size);
    select_pivot(m_size, d_size, A, T, bflag, objrow, rhscol, ws, r, s,
                 selected, lps);
  } catch (const std::bad_alloc &) {
    *selected = dd_FALSE;
    *lps = dd_LPSundecided;
  }
}

}  // extern "C"

namespace {

void maximize(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
              dd_Bmatrix T, dd_rowset equalityset, dd_rowrange objrow,
              dd_colrange rhscol, dd_LPStatusType *LPS, mytype *optvalue,
              dd_Arow sol, dd_Arow dsol, dd_colindex nbindex, dd_rowrange *re,
              dd_colrange *se, long *pivots, dd_ErrorType *err)
{
  for (int k = 0; k < 5; ++k) pivots[k] = 0;
  const long maxpivots = zonix::lp::kCrissCrossPivotsPerColumn * d_size;
  zonix::lp::Workspace ws(m_size, d_size);
  dd_rowindex bflag = ws.bflag.data();
  dd_rowindex order = ws.order.data();

  dd_ComputeRowOrderVector2(m_size, d_size, A, order, dd_MinIndex, 1);
  *re = 0;
  *se = 0;
  long pivots1 = 0;
  dd_ResetTableau(m_size, d_size, T, nbindex, bflag, objrow, rhscol);
  dd_colrange s = 0;
  int found = dd_FALSE;
  long pivots0 = 0;
  dd_FindLPBasis(m_size, d_size, A, T, order, equalityset, nbindex, bflag,
                 objrow, rhscol, &s, &found, LPS, &pivots0);
  pivots[0] = pivots0;
  if (!found) {
    *se = s;
  } else {
    for (;;) {
      if (pivots1 > maxpivots) {
        *err = dd_LPCycling;
        dd_Printf(stderr,
                     "max number %ld of pivots performed by the criss-cross "
                     "method. Most likely due to the floating-point "
                     "arithmetics error.\n",
                     maxpivots);
        break;
      }
      if (dd_CancelRequested()) {
        *err = dd_Interrupted;
        *LPS = dd_LPSundecided;
        break;
      }
      dd_rowrange r = 0;
      int chosen = dd_FALSE;
      select_pivot(m_size, d_size, A, T, bflag, objrow, rhscol, ws, &r, &s,
                   &chosen, LPS);
      if (chosen) {
        dd_GaussianColumnPivot2(m_size, d_size, A, T, nbindex, bflag, r, s);
        ++pivots1;
        continue;
      }
      if (*LPS == dd_Inconsistent) *re = r;
      if (*LPS == dd_DualInconsistent) *se = s;
      break;
    }
  }
  pivots[1] = pivots1;
  dd_SetSolutions(m_size, d_size, A, T, objrow, rhscol, *LPS, optvalue, sol,
                  dsol, nbindex, *re, *se);
}

}  // namespace

extern "C" {

void dd_CrissCrossMaximize(dd_rowrange m_size, dd_colrange d_size,
                           dd_Amatrix A, dd_Bmatrix T, dd_rowset equalityset,
                           dd_rowrange objrow, dd_colrange rhscol,
                           dd_LPStatusType *LPS, mytype *optvalue,
                           dd_Arow sol, dd_Arow dsol, dd_colindex nbindex,
                           dd_rowrange *re, dd_colrange *se, long *pivots,
                           dd_ErrorType *err)
{
  *err = dd_NoError;
  try {
    maximize(m_size, d_size, A, T, equalityset, objrow, rhscol, LPS, optvalue,
             sol, dsol, nbindex, re, se, pivots, err);
  } catch (const std::bad_alloc &) {
    *err = dd_OutOfMemory;
    *LPS = dd_LPSundecided;
  }
}

void dd_CrissCrossMinimize(dd_rowrange m_size, dd_colrange d_size,
                           dd_Amatrix A, dd_Bmatrix T, dd_rowset equalityset,
                           dd_rowrange objrow, dd_colrange rhscol,
                           dd_LPStatusType *LPS, mytype *optvalue,
                           dd_Arow sol, dd_Arow dsol, dd_colindex nbindex,
                           dd_rowrange *re, dd_colrange *se, long *pivots,
                           dd_ErrorType *err)
{
  zonix::lp::minimize_by(dd_CrissCrossMaximize, m_size, d_size, A, T, equalityset, objrow,
                         rhscol, LPS, optvalue, sol, dsol, nbindex, re, se,
                         pivots, err);
}

void dd_CrissCrossSolve(dd_LPPtr lp, dd_ErrorType *err)
{
  zonix::lp::solve_by(lp, dd_CrissCrossMaximize, dd_CrissCrossMinimize, err);
}

}  // extern "C"
