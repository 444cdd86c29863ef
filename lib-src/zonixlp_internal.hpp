// Internal helpers of the LP solver: dictionary entries, the pivot budgets,
// the per-solve workspace and the min-through-max frame.  Not a public
// header.
#ifndef ZONIX_LP_INTERNAL_HPP
#define ZONIX_LP_INTERNAL_HPP

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "zonixhandles.hpp"
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
// Powers of two add no rounding of their own.  Below 2^-1022 (subnormal
// v) that power is no double: the largest one, 2^1023, is taken instead,
// which leaves such a row small but finite.
inline double normaliser(double v)
{
  if (!(v > 0) || !std::isfinite(v)) return 1.0;
  int e = 0;
  std::frexp(v, &e);
  return std::ldexp(1.0, std::min(1 - e, std::numeric_limits<double>::max_exponent - 1));
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

// Numbers of the library's type, zero, as scratch rows.
using Numbers = std::unique_ptr<mytype[]>;
inline Numbers make_numbers(long n)
{
  return Numbers(new mytype[static_cast<std::size_t>(n > 0 ? n : 1)]());
}

// The batch forms below compute each dictionary entry as entry() does,
// summing over k in the same order, so they give the same numbers bit for
// bit; in doubles they run four entries at a time, reading each row of A
// or T once for the four.

// Dictionary row i: out[j-1] := (A T)[i][j] for j = 1..d_size.
inline void dict_row(dd_colrange d_size, dd_Amatrix A, dd_Bmatrix T,
                     dd_rowrange i, mytype *out)
{
#ifdef ZONIX_EXACT
  for (dd_colrange j = 1; j <= d_size; ++j) entry(out[j - 1], 0, d_size, A, T, i, j);
#else
  const mytype *a = A[i - 1];
  dd_colrange j = 0;
  for (; j + 4 <= d_size; j += 4) {
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (dd_colrange k = 0; k < d_size; ++k) {
      const double ak = a[k][0];
      const mytype *t = T[k] + j;
      s0 += ak * t[0][0];
      s1 += ak * t[1][0];
      s2 += ak * t[2][0];
      s3 += ak * t[3][0];
    }
    out[j][0] = s0;
    out[j + 1][0] = s1;
    out[j + 2][0] = s2;
    out[j + 3][0] = s3;
  }
  for (; j < d_size; ++j) {
    double s = 0;
    for (dd_colrange k = 0; k < d_size; ++k) s += a[k][0] * T[k][j][0];
    out[j][0] = s;
  }
#endif
}

// Column s of the dictionary is read from a copy of column s of T, col
// (d_size doubles), taken by gather_column; in rationals entries are taken
// one by one and col is not used.
#ifdef ZONIX_EXACT
inline constexpr long kBlock = 1;
#else
inline constexpr long kBlock = 4;
#endif

inline void gather_column(dd_colrange d_size, dd_Bmatrix T, dd_colrange s, double *col)
{
#ifdef ZONIX_EXACT
  (void)d_size, (void)T, (void)s, (void)col;
#else
  for (dd_colrange k = 0; k < d_size; ++k) col[k] = T[k][s - 1][0];
#endif
}

// out[q] := (A T)[rows[q]][s] for q < cnt <= kBlock, col from gather_column.
inline void column_block(dd_colrange d_size, dd_Amatrix A, dd_Bmatrix T,
                         dd_colrange s, const long *rows, long cnt,
                         const double *col, mytype *out)
{
#ifdef ZONIX_EXACT
  (void)col;
  for (long q = 0; q < cnt; ++q) entry(out[q], 0, d_size, A, T, rows[q], s);
#else
  (void)T, (void)s;
  if (cnt == 4) {
    const mytype *a0 = A[rows[0] - 1], *a1 = A[rows[1] - 1];
    const mytype *a2 = A[rows[2] - 1], *a3 = A[rows[3] - 1];
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (dd_colrange k = 0; k < d_size; ++k) {
      const double c = col[k];
      s0 += a0[k][0] * c;
      s1 += a1[k][0] * c;
      s2 += a2[k][0] * c;
      s3 += a3[k][0] * c;
    }
    out[0][0] = s0;
    out[1][0] = s1;
    out[2][0] = s2;
    out[3][0] = s3;
    return;
  }
  for (long q = 0; q < cnt; ++q) {
    const mytype *a = A[rows[q] - 1];
    double v = 0;
    for (dd_colrange k = 0; k < d_size; ++k) v += a[k][0] * col[k];
    out[q][0] = v;
  }
#endif
}

// Dictionary column s on the rows rows[0..n), in that order: calls
// stop(p, v) with v = (A T)[rows[p]][s] until it returns true, and returns
// that p, or n.  col is scratch of d_size doubles.
template <class Stop>
long scan_column(dd_colrange d_size, dd_Amatrix A, dd_Bmatrix T,
                 dd_colrange s, const long *rows, long n, double *col,
                 Stop &&stop)
{
#ifdef ZONIX_EXACT
  (void)col;
  mytype v;
  ddd_init(v);
  long p = 0;
  while (p < n) {
    entry(v, 0, d_size, A, T, rows[p], s);
    if (stop(p, v)) break;
    ++p;
  }
  ddd_clear(v);
  return p;
#else
  gather_column(d_size, T, s, col);
  long p = 0;
  for (; p + kBlock <= n; p += kBlock) {
    mytype v[kBlock];
    column_block(d_size, A, T, s, rows + p, kBlock, col, v);
    for (long q = 0; q < kBlock; ++q)
      if (stop(p + q, v[q])) return p + q;
  }
  for (; p < n; ++p) {
    mytype v;
    column_block(d_size, A, T, s, rows + p, 1, col, &v);
    if (stop(p, v)) return p;
  }
  return n;
#endif
}

// The basic rows of a dictionary (bflag -1) but objrow, in order, into
// rows; returns their number.
inline long basic_rows(dd_rowrange m_size, dd_rowindex bflag,
                       dd_rowrange objrow, long *rows)
{
  long n = 0;
  for (dd_rowrange i = 1; i <= m_size; ++i)
    if (i != objrow && bflag[i] == -1) rows[n++] = i;
  return n;
}

// Index vectors and scratch numbers of one solve; made by the solve that
// needs them and released when it returns.
struct Workspace {
  explicit Workspace(dd_rowrange m_size, dd_colrange d_size)
      : bflag(static_cast<std::size_t>(m_size + 2), 0),
        order(static_cast<std::size_t>(m_size + 2), 0),
        rows(static_cast<std::size_t>(m_size + 2), 0),
        col(static_cast<std::size_t>(d_size > 0 ? d_size : 1), 0.0),
        rcost(make_numbers(d_size)),
        row(make_numbers(d_size))
  {
  }
  std::vector<long> bflag;   // one slot more for phase I's auxiliary row
  std::vector<long> order;
  std::vector<long> rows;    // for basic_rows
  std::vector<double> col;   // for scan_column
  Numbers rcost;             // reduced costs
  Numbers row;               // one dictionary row
};

// The dual simplex pivot choice; `bland` takes the least-index rule for the
// leaving row and for ties of the ratio test instead of the most negative
// row.  rcost holds d_size numbers; ws gives the other scratch.
void select_dual_pivot(dd_rowrange m_size, dd_colrange d_size, bool phase1,
                       bool bland, dd_Amatrix A, dd_Bmatrix T,
                       dd_colindex nbindex, dd_rowindex bflag,
                       dd_rowrange objrow, dd_colrange rhscol, mytype *rcost,
                       Workspace &ws, dd_rowrange *r, dd_colrange *s,
                       int *selected, dd_LPStatusType *lps);

// Whether a solved redundancy LP (its objective the row tested, relaxed
// below) shows that row not implied by the others.
bool not_implied(dd_LPPtr lp);

// dd_Redundant on an M whose rows are normalised already.
dd_boolean redundant_row(dd_MatrixPtr M, dd_rowrange itest,
                         dd_Arow certificate, dd_ErrorType *error);

// What the hull of points in three dimensions says of each point.
enum class HullVerdict : signed char { Undecided, Inside, Vertex };

// The verdicts for the rows of M (points only, three coordinates, in
// double); false when the hull gives none.
bool hull3_verdicts(dd_MatrixPtr M, std::vector<HullVerdict> *verdict);

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
