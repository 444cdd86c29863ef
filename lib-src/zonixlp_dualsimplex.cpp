// The dual simplex method: first basis, phase I with one artificial
// bounding row, phase II with criss-cross pivots as the safety net.
#include <cstdio>
#include <new>
#include <vector>

#include "zonixio.h"
#include "zonixlp_internal.hpp"

using zonix::lp::entry;

namespace zonix::lp {

void select_dual_pivot(dd_rowrange m_size, dd_colrange d_size, bool phase1,
                       bool bland, dd_Amatrix A, dd_Bmatrix T,
                       dd_colindex nbindex, dd_rowindex bflag,
                       dd_rowrange objrow, dd_colrange rhscol, mytype *rcost,
                       Workspace &ws, dd_rowrange *r, dd_colrange *s,
                       int *selected, dd_LPStatusType *lps)
{
  *r = 0;
  *s = 0;
  *selected = dd_FALSE;
  *lps = dd_LPSundecided;

  dict_row(d_size, A, T, objrow, rcost);
  for (dd_colrange j = 1; j <= d_size; ++j)
    if (j != rhscol && dd_Positive(rcost[j - 1])) return;  // not dual feasible

  mytype minval;
  ddd_init(minval);
  ddd_set(minval, dd_purezero);
  // Phase I keeps the auxiliary variable nonbasic in column bflag[m_size]
  // and judges rows on that column, negated.
  const long *rows = ws.rows.data();
  const long n = basic_rows(m_size, bflag, objrow, ws.rows.data());
  scan_column(d_size, A, T, phase1 ? bflag[m_size] : rhscol, rows, n,
              ws.col.data(), [&](long p, mytype &val) {
                if (phase1) ddd_neg(val, val);
                if (!dd_Smaller(val, minval)) return false;
                ddd_set(minval, val);
                *r = rows[p];
                return bland;  // the first infeasible row, not the worst
              });

  if (*r == 0) {
    *lps = dd_Optimal;
  } else {
    mytype rat, minrat;
    ddd_init(rat);
    ddd_init(minrat);
    mytype *row = ws.row.get();
    dict_row(d_size, A, T, *r, row);
    for (dd_colrange j = 1; j <= d_size; ++j) {
      if (j == rhscol || !dd_Positive(row[j - 1])) continue;
      ddd_neg(rat, rcost[j - 1]);
      ddd_div(rat, rat, row[j - 1]);
      // Bland: of the ties, the variable with the least index enters
      // (column variables, numbered -j, before every row).
      const bool better = *s == 0 || dd_Smaller(rat, minrat) ||
                          (bland && !dd_Larger(rat, minrat) &&
                           nbindex[j] < nbindex[*s]);
      if (better) {
        ddd_set(minrat, rat);
        *s = j;
      }
    }
    if (*s > 0)
      *selected = dd_TRUE;
    else
      *lps = dd_Inconsistent;
    ddd_clear(rat);
    ddd_clear(minrat);
  }
  ddd_clear(minval);
}

}  // namespace zonix::lp

namespace {

// Phase I: maxpivots pivots by the largest-infeasibility rule, then up to
// blandpivots more by Bland's rule before it gives up.
void phase_one(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
               dd_Bmatrix T, dd_colindex nbindex, dd_rowindex bflag,
               dd_rowrange objrow, dd_colrange rhscol, dd_colrange *s,
               dd_ErrorType *err, dd_LPStatusType *lps, long *pivot_no,
               long maxpivots, long blandpivots, zonix::lp::Workspace &ws)
{
  *err = dd_NoError;
  *lps = dd_LPSundecided;
  *s = 0;
  long pivots = 0;
  const dd_rowrange mm = m_size + 1;  // the auxiliary row
  mytype *rcost = ws.rcost.get();
  mytype maxcost, ax, ratio, maxratio, val, minval, w, t;
  ddd_init(maxcost);
  ddd_init(ax);
  ddd_init(ratio);
  ddd_init(maxratio);
  ddd_init(val);
  ddd_init(minval);
  ddd_init(w);
  ddd_init(t);

  dd_colrange maxcol = 0;
  ddd_set(maxcost, dd_minuszero);
  zonix::lp::dict_row(d_size, A, T, objrow, rcost);
  for (dd_colrange j = 1; j <= d_size; ++j) {
    if (j == rhscol) continue;
    if (dd_Larger(rcost[j - 1], maxcost)) {
      ddd_set(maxcost, rcost[j - 1]);
      maxcol = j;
    }
  }

  dd_colrange ms = 0;
  if (dd_Positive(maxcost)) {
    // Auxiliary bounding row: minus a weighted sum of the nonbasic rows,
    // weight l + 10 for column l.  Its dictionary constant is 0, since the
    // constant column holds no row variable.
    for (dd_colrange j = 1; j <= d_size; ++j) {
      ddd_set(val, dd_purezero);
      for (dd_colrange l = 1; l <= d_size; ++l) {
        if (nbindex[l] <= 0) continue;
        ddd_set_si(w, l + zonix::lp::kAuxWeightOffset);
        ddd_mul(t, w, A[nbindex[l] - 1][j - 1]);
        ddd_add(val, val, t);
      }
      ddd_neg(A[mm - 1][j - 1], val);
    }
    if (dd_debug) {
      dd_Printf(stderr,
                   "\ndd_FindDualFeasibleBasis: curruent basis is not dual "
                   "feasible.\n");
      dd_Printf(stderr,
                   "because of the column %ld assoc. with var %ld   dual "
                   "cost =",
                   maxcol, nbindex[maxcol]);
      dd_WriteNumber(stderr, maxcost);
      dd_Printf(stderr, "\n");
      if (m_size <= 100 && d_size <= 30) {
        dd_Printf(stdout, "\ndd_FindDualFeasibleBasis: the starting dictionary.");
        dd_WriteSignTableau(stdout, mm, d_size, A, T, nbindex, bflag);
      }
    }

    // Entering column of the auxiliary pivot: the largest ratio makes
    // every reduced cost nonpositive at once.
    ddd_set(maxratio, dd_minuszero);
    zonix::lp::dict_row(d_size, A, T, mm, ws.row.get());
    for (dd_colrange j = 1; j <= d_size; ++j) {
      if (j == rhscol || !dd_Positive(rcost[j - 1])) continue;
      ddd_set(ax, ws.row[j - 1]);
      if (dd_Nonnegative(ax)) {
        *err = dd_NumericallyInconsistent;
        if (dd_debug)
          dd_Printf(stderr,
                       "dd_FindDualFeasibleBasis: Numerical Inconsistency "
                       "detected.\n");
        goto done;
      }
      ddd_neg(t, ax);
      ddd_div(ratio, rcost[j - 1], t);
      if (dd_Larger(ratio, maxratio)) {
        ddd_set(maxratio, ratio);
        ms = j;
      }
    }
    if (ms == 0) {
      *err = dd_NumericallyInconsistent;
      if (dd_debug)
        dd_Printf(stderr,
                     "dd_FindDualFeasibleBasis: Numerical Inconsistency "
                     "detected.\n");
      goto done;
    }
    dd_GaussianColumnPivot2(mm, d_size, A, T, nbindex, bflag, mm, ms);
    pivots = 1;
    if (dd_debug)
      dd_Printf(stderr, "\ndd_FindDualFeasibleBasis: Pivot on %ld %ld.\n",
                   mm, ms);

    for (;;) {
      if (pivots > maxpivots + blandpivots) {
        *err = dd_LPCycling;
        dd_Printf(stderr,
                  "max number %ld of pivots performed in Phase I. Switch "
                  "to the anticycling phase.\n",
                  maxpivots + blandpivots);
        goto done;
      }
      if (dd_CancelRequested()) {
        *err = dd_Interrupted;
        goto done;
      }
      dd_rowrange r = 0;
      dd_colrange c = 0;
      int chosen = dd_FALSE;
      dd_LPStatusType status = dd_LPSundecided;
      zonix::lp::select_dual_pivot(mm, d_size, true, pivots > maxpivots, A, T,
                                   nbindex, bflag, objrow, rhscol, rcost, ws,
                                   &r, &c, &chosen, &status);
      if (!chosen) break;
      dd_GaussianColumnPivot2(mm, d_size, A, T, nbindex, bflag, r, c);
      ++pivots;
      if (dd_debug)
        dd_Printf(stderr,
                     "\ndd_FindDualFeasibleBasis: make a %ld-th pivot on %ld  "
                     "%ld\n",
                     pivots, r, c);
      if (bflag[mm] < 0) {
        if (dd_debug)
          dd_Printf(stderr,
                       "\nDualSimplex Phase I: the auxiliary variable entered "
                       "the basis (# pivots = %ld).\nGo to phase II\n",
                       pivots);
        goto done;
      }
    }

    // No dual simplex pivot is left: force the auxiliary variable, still
    // nonbasic in column ms, into the basis.
    {
      dd_rowrange r = 0;
      ddd_set(minval, dd_purezero);
      const long *rows = ws.rows.data();
      const long n = zonix::lp::basic_rows(mm, bflag, objrow, ws.rows.data());
      zonix::lp::scan_column(d_size, A, T, ms, rows, n, ws.col.data(),
                             [&](long p, mytype &v) {
                               if (dd_Smaller(v, minval)) {
                                 ddd_set(minval, v);
                                 r = rows[p];
                               }
                               return false;
                             });
      if (r == 0) {
        *err = dd_NumericallyInconsistent;
        if (dd_debug)
          dd_Printf(stderr,
                       "dd_FindDualFeasibleBasis: Numerical Inconsistency "
                       "detected (r_val is 0).\n");
        goto done;
      }
      if (dd_debug)
        dd_Printf(stderr,
                     "\ndd_FindDualFeasibleBasis: make the %ld-th pivot on "
                     "%ld  %ld to force the auxiliary variable to enter the "
                     "basis.\n",
                     pivots + 1, r, ms);
      dd_GaussianColumnPivot2(mm, d_size, A, T, nbindex, bflag, r, ms);
      ++pivots;
      if (dd_debug)
        dd_Printf(stderr,
                     "\ndd_FindDualFeasibleBasis: the auxiliary variable was "
                     "forced to enter the basis (# pivots = %ld).\n",
                     pivots);
      // After the forced pivot the cost of column ms cannot be negative; a
      // positive one is what leaves the dictionary dual infeasible.
      entry(val, mm, d_size, A, T, objrow, ms);
      if (dd_Positive(val)) {
        *err = dd_NoError;
        *lps = dd_DualInconsistent;
        *s = ms;
        if (dd_debug)
          dd_Printf(stderr, "->The basis is dual inconsistent. Terminate.\n");
      } else if (dd_debug) {
        dd_Printf(stderr, "->The basis is feasible. Go to phase II.\n");
      }
    }
  }

done:
  *pivot_no = pivots;
  ddd_clear(maxcost);
  ddd_clear(ax);
  ddd_clear(ratio);
  ddd_clear(maxratio);
  ddd_clear(val);
  ddd_clear(minval);
  ddd_clear(w);
  ddd_clear(t);
}

}  // namespace

extern "C" {

void dd_SelectDualSimplexPivot(dd_rowrange m_size, dd_colrange d_size,
                               int Phase1, dd_Amatrix A, dd_Bmatrix T,
                               dd_rowindex OV, dd_colindex nbindex,
                               dd_rowindex bflag, dd_rowrange objrow,
                               dd_colrange rhscol, dd_rowrange *r,
                               dd_colrange *s, int *selected,
                               dd_LPStatusType *lps)
{
  (void)OV;
  try {
    zonix::lp::Workspace ws(m_size, d_size);
    zonix::lp::select_dual_pivot(m_size, d_size, Phase1 != 0, false, A, T,
                                 nbindex, bflag, objrow, rhscol,
                                 ws.rcost.get(), ws, r, s, selected, lps);
  } catch (const std::bad_alloc &) {
    *selected = dd_FALSE;
    *lps = dd_LPSundecided;
  }
}

void dd_FindDualFeasibleBasis(dd_rowrange m_size, dd_colrange d_size,
                              dd_Amatrix A, dd_Bmatrix T, dd_rowindex OV,
                              dd_colindex nbindex, dd_rowindex bflag,
                              dd_rowrange objrow, dd_colrange rhscol,
                              dd_colrange *s, dd_ErrorType *err,
                              dd_LPStatusType *lps, long *pivot_no,
                              long maxpivots)
{
  (void)OV;
  try {
    zonix::lp::Workspace ws(m_size, d_size);
    phase_one(m_size, d_size, A, T, nbindex, bflag, objrow, rhscol, s, err,
              lps, pivot_no, maxpivots, 0, ws);
  } catch (const std::bad_alloc &) {
    *err = dd_OutOfMemory;
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
  const long maxpivots = zonix::lp::kDualSimplexPivotsPerColumn * d_size;
  const long blandpivots = zonix::lp::kBlandPivotsPerColumn * d_size;
  const long maxccpivots = zonix::lp::kCrissCrossPivotsPerColumn * d_size;
  zonix::lp::Workspace ws(m_size, d_size);
  dd_rowindex bflag = ws.bflag.data();
  dd_rowindex order = ws.order.data();

  dd_ComputeRowOrderVector2(m_size, d_size, A, order, dd_MinIndex, 1);
  *re = 0;
  *se = 0;
  dd_ResetTableau(m_size, d_size, T, nbindex, bflag, objrow, rhscol);
  dd_colrange s = 0;
  int found = dd_FALSE;
  long p0 = 0;
  dd_FindLPBasis(m_size, d_size, A, T, order, equalityset, nbindex, bflag,
                 objrow, rhscol, &s, &found, LPS, &p0);
  pivots[0] = p0;
  long ds = 0;
  long pc = 0;
  if (!found) {
    *se = s;
  } else {
    long p1 = 0;
    phase_one(m_size, d_size, A, T, nbindex, bflag, objrow, rhscol, &s, err,
              LPS, &p1, maxpivots, blandpivots, ws);
    pivots[1] = p1;
    if (*err == dd_Interrupted) {
      *LPS = dd_LPSundecided;
    } else if (*err == dd_LPCycling || *err == dd_NumericallyInconsistent) {
      if (dd_debug)
        dd_Printf(stderr,
                     "Phase I failed and thus switch to the Criss-Cross "
                     "method\n");
      dd_CrissCrossMaximize(m_size, d_size, A, T, equalityset, objrow, rhscol,
                            LPS, optvalue, sol, dsol, nbindex, re, se, pivots,
                            err);
      return;
    }
    if (*LPS == dd_DualInconsistent) {
      *se = s;
    } else if (*err == dd_NoError) {
      for (;;) {
        *LPS = dd_LPSundecided;
        if (dd_CancelRequested()) {
          *err = dd_Interrupted;
          break;
        }
        int chosen = dd_FALSE;
        dd_rowrange r = 0;
        if (ds < maxpivots + blandpivots) {
          zonix::lp::select_dual_pivot(m_size, d_size, false, ds >= maxpivots,
                                       A, T, nbindex, bflag, objrow, rhscol,
                                       ws.rcost.get(), ws, &r, &s, &chosen,
                                       LPS);
          if (chosen) {
            ++ds;
            if (dd_debug)
              dd_Printf(stderr,
                           "\ndd_DualSimplexMaximize: Phase II pivot %ld on "
                           "(%ld, %ld).\n",
                           ds, r, s);
          }
        }
        if (!chosen && *LPS == dd_LPSundecided) {
          // Not dual feasible through rounding, or the budget is spent.
          if (dd_debug) {
            dd_Printf(stderr,
                         "Warning: an emergency CC pivot in Phase II is "
                         "performed\n");
            if (m_size <= 100 && d_size <= 30) {
              dd_Printf(stderr,
                           "\ndd_DualSimplexMaximize: The current "
                           "dictionary.\n");
              dd_WriteTableau(stdout, m_size, d_size, A, T, nbindex, bflag);
            }
          }
          if (pc > maxccpivots) {
            *err = dd_LPCycling;
            break;
          }
          dd_SelectCrissCrossPivot(m_size, d_size, A, T, bflag, objrow,
                                   rhscol, &r, &s, &chosen, LPS);
          if (chosen) ++pc;
        }
        if (chosen) {
          dd_GaussianColumnPivot2(m_size, d_size, A, T, nbindex, bflag, r, s);
          continue;
        }
        if (*LPS == dd_Inconsistent) *re = r;
        if (*LPS == dd_DualInconsistent) *se = s;
        break;
      }
    }
  }
  pivots[2] = ds;
  pivots[3] = pc;
  dd_SetSolutions(m_size, d_size, A, T, objrow, rhscol, *LPS, optvalue, sol,
                  dsol, nbindex, *re, *se);
}

}  // namespace

extern "C" {

void dd_DualSimplexMaximize(dd_rowrange m_size, dd_colrange d_size,
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

void dd_DualSimplexMinimize(dd_rowrange m_size, dd_colrange d_size,
                            dd_Amatrix A, dd_Bmatrix T, dd_rowset equalityset,
                            dd_rowrange objrow, dd_colrange rhscol,
                            dd_LPStatusType *LPS, mytype *optvalue,
                            dd_Arow sol, dd_Arow dsol, dd_colindex nbindex,
                            dd_rowrange *re, dd_colrange *se, long *pivots,
                            dd_ErrorType *err)
{
  zonix::lp::minimize_by(dd_DualSimplexMaximize, m_size, d_size, A, T, equalityset, objrow,
                         rhscol, LPS, optvalue, sol, dsol, nbindex, re, se,
                         pivots, err);
}

void dd_DualSimplexSolve(dd_LPPtr lp, dd_ErrorType *err)
{
  zonix::lp::solve_by(lp, dd_DualSimplexMaximize, dd_DualSimplexMinimize, err);
}

}  // extern "C"
