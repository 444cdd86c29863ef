// Internal helpers of the LP solver: dictionary entries, the pivot budgets,
// the per-solve workspace and the min-through-max frame.  Not a public
// header.
#ifndef ZONIX_LP_INTERNAL_HPP
#define ZONIX_LP_INTERNAL_HPP

#include <cmath>
#include <cstddef>
#include <new>
#include <vector>

#include "zonix.hpp"
#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixlp.h"

namespace zonix::lp {

// The least-index rule cannot cycle in exact arithmetic: more criss-cross
// pivots than this per column can only come from rounding.
inline constexpr long kCrissCrossPivotsPerColumn = 1000;
// Dual simplex pivots per column (each of phase I and phase II) by the
// largest-infeasibility rule, which is quick but may cycle when degenerate.
inline constexpr long kDualSimplexPivotsPerColumn = 40;
// Then pivots per column by Bland's least-index rule, which cannot cycle in
// exact arithmetic, before a phase gives up.
inline constexpr long kBlandPivotsPerColumn = 1000;
// Phase I's bounding row weights column l by l + 10: positive, distinct and
// never 1, so no reduced cost is cancelled by accident.
inline constexpr long kAuxWeightOffset = 10;

// The power of two that brings v into [1, 2); 1 for 0 and non-numbers.
// Powers of two add no rounding of their own.
inline double normaliser(double v)
{
  if (!(v > 0) || !std::isfinite(v)) return 1.0;
  int e = 0;
  std::frexp(v, &e);
  return std::ldexp(1.0, 1 - e);
}

// The normaliser of row a (c entries): by its largest coefficient, for
// inequalities by the constant only when it has no other entry.
#ifndef ZONIX_EXACT
inline double row_normaliser(const mytype *a, dd_colrange c, bool generator)
{
  double mx = 0;
  for (dd_colrange j = generator ? 0 : 1; j < c; ++j) mx = std::fmax(mx, std::fabs(a[j][0]));
  if (mx == 0 && c > 0) mx = std::fabs(a[0][0]);
  return normaliser(mx);
}
#endif

// A copy of M with every row multiplied by its normaliser.  No query
// changes its answer when a row is multiplied by a positive number, and
// the tolerance then means the same for every row.
inline zonix::Matrix normalised(dd_MatrixPtr M)
{
  zonix::Matrix N(dd_MatrixCopy(M));
  if (!N) throw std::bad_alloc();
#ifndef ZONIX_EXACT  // rationals decide alike at any scale
  for (dd_rowrange i = 0; i < N->rowsize; ++i) {
    const double f = row_normaliser(N->matrix[i], N->colsize, N->representation == dd_Generator);
    for (dd_colrange j = 0; j < N->colsize; ++j) N->matrix[i][j][0] *= f;
  }
#endif
  return N;
}

// Dictionary entry (A T)[i][j], 1-based.
inline void entry(mytype x, dd_rowrange m_size, dd_colrange d_size,
                  dd_Amatrix A, dd_Bmatrix T, dd_rowrange i, dd_colrange j)
{
  dd_TableauEntry(reinterpret_cast<mytype *>(x), m_size, d_size, A, T, i, j);
}

// Index vectors and numbers of one solve; made by the solve that needs
// them and released when it returns.
struct Workspace {
  explicit Workspace(dd_rowrange m_size, dd_colrange d_size)
      : bflag(static_cast<std::size_t>(m_size + 2), 0),
        order(static_cast<std::size_t>(m_size + 2), 0),
        rcost(zonix::make_arow(d_size))
  {
  }
  std::vector<long> bflag;   // one slot more for phase I's auxiliary row
  std::vector<long> order;
  zonix::Arow rcost;
};

// The dual simplex pivot choice; `bland` takes the least-index rule for the
// leaving row and for ties of the ratio test instead of the most negative
// row.  rcost holds d_size numbers.
void select_dual_pivot(dd_rowrange m_size, dd_colrange d_size, bool phase1,
                       bool bland, dd_Amatrix A, dd_Bmatrix T,
                       dd_colindex nbindex, dd_rowindex bflag,
                       dd_rowrange objrow, dd_colrange rhscol, mytype *rcost,
                       dd_rowrange *r, dd_colrange *s, int *selected,
                       dd_LPStatusType *lps);

// dd_Redundant on an M whose rows are normalised already.
dd_boolean redundant_row(dd_MatrixPtr M, dd_rowrange itest,
                         dd_Arow certificate, dd_ErrorType *error);

// The signature both methods share for maximising (and minimising) an LP.
using MaximizeFn = void (*)(dd_rowrange, dd_colrange, dd_Amatrix, dd_Bmatrix,
                            dd_rowset, dd_rowrange, dd_colrange,
                            dd_LPStatusType *, mytype *, dd_Arow, dd_Arow,
                            dd_colindex, dd_rowrange *, dd_colrange *, long *,
                            dd_ErrorType *);

inline void negate_objective(dd_Amatrix A, dd_rowrange objrow,
                             dd_colrange d_size)
{
  for (dd_colrange j = 1; j <= d_size; ++j)
    ddd_neg(A[objrow - 1][j - 1], A[objrow - 1][j - 1]);
}

// min c.x is -max (-c).x: maximise the negated objective row, then negate
// the value and the dual solution and put the objective row back.
inline void minimize_by(MaximizeFn maximize, dd_rowrange m_size,
                        dd_colrange d_size, dd_Amatrix A, dd_Bmatrix T,
                        dd_rowset equalityset, dd_rowrange objrow,
                        dd_colrange rhscol, dd_LPStatusType *LPS,
                        mytype *optvalue, dd_Arow sol, dd_Arow dsol,
                        dd_colindex nbindex, dd_rowrange *re, dd_colrange *se,
                        long *pivots, dd_ErrorType *err)
{
  *err = dd_NoError;
  negate_objective(A, objrow, d_size);
  maximize(m_size, d_size, A, T, equalityset, objrow, rhscol, LPS, optvalue,
           sol, dsol, nbindex, re, se, pivots, err);
  ddd_neg(*optvalue, *optvalue);
  for (dd_colrange j = 1; j <= d_size; ++j) ddd_neg(dsol[j - 1], dsol[j - 1]);
  negate_objective(A, objrow, d_size);
}

// Runs the method's maximiser or minimiser on the record by its objective.
inline void solve_by(dd_LPPtr lp, MaximizeFn maximize, MaximizeFn minimize,
                     dd_ErrorType *err)
{
  if (lp == nullptr) {
    *err = dd_EmptyRepresentation;
    return;
  }
  MaximizeFn run = lp->objective == dd_LPmax   ? maximize
                   : lp->objective == dd_LPmin ? minimize
                                               : nullptr;
  if (run == nullptr) {
    *err = dd_NoLPObjective;
    return;
  }
  run(lp->m, lp->d, lp->A, lp->B, lp->equalityset, lp->objrow, lp->rhscol,
      &lp->LPS, &lp->optvalue, lp->sol, lp->dsol, lp->nbindex, &lp->re,
      &lp->se, lp->pivots, err);
}

}  // namespace zonix::lp

#endif  // ZONIX_LP_INTERNAL_HPP
