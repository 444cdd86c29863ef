// The implicit dictionary shared by both LP methods: pivot bookkeeping,
// the starting dictionary, the first basis, row orders, and the solution
// vectors of a final dictionary.
#include <cstdio>

#include "zonixio.h"
#include "zonixhandles.hpp"
#include "zonixlp_internal.hpp"
#include "zonixrandom.hpp"

using zonix::lp::entry;

namespace {

#ifndef ZONIX_EXACT
// Rows up to this length live on the stack in the pivot, made at every step.
inline constexpr dd_colrange kStackRow = 64;
#endif

// dd_GaussianColumnPivot with the same arithmetic, its pivot row taken as
// one batch.
void column_pivot(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                  dd_Bmatrix T, dd_rowrange r, dd_colrange s)
{
#ifdef ZONIX_EXACT
  dd_GaussianColumnPivot(m_size, d_size, A, T, r, s);
#else
  (void)m_size;
  if (d_size <= 0) return;
  mytype on_stack[kStackRow];
  zonix::lp::Numbers on_heap;
  if (d_size > kStackRow) on_heap = zonix::lp::make_numbers(d_size);
  mytype *R = on_heap ? on_heap.get() : on_stack;
  zonix::lp::dict_row(d_size, A, T, r, R);
  const dd_colrange c = s - 1;
  const double p = R[c][0];
  for (dd_colrange j = 0; j < d_size; ++j)
    if (j != c) R[j][0] /= p;
  for (dd_colrange k = 0; k < d_size; ++k) {
    mytype *Tk = T[k];
    const double t = Tk[c][0];
    for (dd_colrange j = 0; j < c; ++j) Tk[j][0] -= R[j][0] * t;
    for (dd_colrange j = c + 1; j < d_size; ++j) Tk[j][0] -= R[j][0] * t;
    Tk[c][0] /= p;
  }
#endif
}

}  // namespace

extern "C" {

void dd_GaussianColumnPivot2(dd_rowrange m_size, dd_colrange d_size,
                             dd_Amatrix A, dd_Bmatrix T, dd_colindex nbindex,
                             dd_rowindex bflag, dd_rowrange r, dd_colrange s)
{
  column_pivot(m_size, d_size, A, T, r, s);
  const long entering = nbindex[s];
  bflag[r] = s;
  nbindex[s] = r;
  // A column variable x_j entering has no row to flag.
  if (entering > 0) bflag[entering] = -1;
  if (dd_debug) {
    dd_Printf(stderr, "dd_GaussianColumnPivot2\n");
    dd_Printf(stderr, " pivot: (leaving, entering) = (%ld, %ld)\n", r,
                 entering);
    dd_Printf(stderr, " bflag[%ld] is set to %ld\n", r, s);
    if (m_size <= 201 && d_size <= 31)
      dd_WriteSignTableau(stderr, m_size, d_size, A, T, nbindex, bflag);
  }
}

void dd_ResetTableau(dd_rowrange m_size, dd_colrange d_size, dd_Bmatrix T,
                     dd_colindex nbindex, dd_rowindex bflag,
                     dd_rowrange objrow, dd_colrange rhscol)
{
  for (dd_colrange j = 1; j <= d_size; ++j) nbindex[j] = -j;
  nbindex[rhscol] = 0;
  dd_SetToIdentity(d_size, T);
  for (dd_rowrange i = 1; i <= m_size; ++i) bflag[i] = -1;
  bflag[objrow] = 0;
  for (dd_colrange j = 1; j <= d_size; ++j)
    if (nbindex[j] > 0) bflag[nbindex[j]] = j;
}

void dd_FindLPBasis(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                    dd_Bmatrix T, dd_rowindex OV, dd_rowset equalityset,
                    dd_colindex nbindex, dd_rowindex bflag,
                    dd_rowrange objrow, dd_colrange rhscol, dd_colrange *cs,
                    int *found, dd_LPStatusType *lps, long *pivot_no)
{
  *found = dd_FALSE;
  *cs = 0;
  *lps = dd_LPSundecided;
  long rank = 0;
  long pivots = 0;
  zonix::Set row_selected = zonix::make_set(m_size);
  zonix::Set col_selected = zonix::make_set(d_size);
  set_addelem(row_selected.get(), objrow);
  set_addelem(col_selected.get(), rhscol);

  for (;;) {
    dd_rowrange r = 0;
    dd_colrange s = 0;
    dd_boolean chosen = dd_FALSE;
    dd_SelectPivot2(m_size, d_size, A, T, dd_MinIndex, OV, equalityset,
                    m_size, row_selected.get(), col_selected.get(), &r, &s, &chosen);
    if (chosen) {
      set_addelem(row_selected.get(), r);
      set_addelem(col_selected.get(), s);
      dd_GaussianColumnPivot2(m_size, d_size, A, T, nbindex, bflag, r, s);
      ++pivots;
      ++rank;
      if (rank >= d_size - 1) {
        *found = dd_TRUE;
        break;
      }
      continue;
    }
    // Every column variable still out has a zero column in every unused
    // row: it is free of all constraints, harmless unless the objective
    // uses it.
    for (dd_colrange j = 1; j <= d_size; ++j) {
      if (j == rhscol || nbindex[j] >= 0) continue;
      mytype val;
      ddd_init(val);
      entry(val, m_size, d_size, A, T, objrow, j);
      const bool hit = dd_Nonzero(val);
      ddd_clear(val);
      if (hit) {
        *lps = dd_StrucDualInconsistent;
        *cs = j;
        break;
      }
    }
    if (*cs == 0) *found = dd_TRUE;
    break;
  }
  *pivot_no = pivots;
}

void dd_FindLPBasis2(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                     dd_Bmatrix T, dd_rowindex OV, dd_rowset equalityset,
                     dd_colindex nbindex, dd_rowindex bflag,
                     dd_rowrange objrow, dd_colrange rhscol, dd_colrange *cs,
                     int *found, long *pivot_no)
{
  *found = dd_FALSE;
  *cs = 0;
  long rank = 0;
  long pivots = 0;
  long negcount = 0;
  zonix::Set row_selected = zonix::make_set(m_size);
  zonix::Set col_selected = zonix::make_set(d_size);
  zonix::Set dependent_cols = zonix::make_set(d_size);
  zonix::Set nopivot_row = zonix::make_set(m_size);
  set_addelem(row_selected.get(), objrow);
  set_addelem(col_selected.get(), rhscol);
  set_compl(nopivot_row.get(), nopivot_row.get());
  for (dd_colrange j = 2; j <= d_size; ++j) {
    if (nbindex[j] > 0) {
      set_delelem(nopivot_row.get(), nbindex[j]);
    } else if (nbindex[j] < 0) {
      ++negcount;
      set_addelem(dependent_cols.get(), -nbindex[j]);
      set_addelem(col_selected.get(), -nbindex[j]);
    }
  }
  set_uni(row_selected.get(), row_selected.get(), nopivot_row.get());

  for (;;) {
    dd_rowrange r = 0;
    dd_colrange s = 0;
    dd_boolean chosen = dd_FALSE;
    dd_SelectPivot2(m_size, d_size, A, T, dd_MinIndex, OV, equalityset,
                    m_size, row_selected.get(), col_selected.get(), &r, &s, &chosen);
    if (!chosen) {
      *found = dd_FALSE;
      break;
    }
    set_addelem(row_selected.get(), r);
    set_addelem(col_selected.get(), s);
    // Only T is rebuilt: nbindex already names the basis.
    column_pivot(m_size, d_size, A, T, r, s);
    ++pivots;
    ++rank;
    if (rank >= d_size - 1 - negcount) {
      if (negcount == 0) {
        *found = dd_TRUE;
      } else {
        // The columns named dependent must admit no further pivot.
        set_diff(col_selected.get(), col_selected.get(), dependent_cols.get());
        dd_SelectPivot2(m_size, d_size, A, T, dd_MinIndex, OV, equalityset,
                        m_size, row_selected.get(), col_selected.get(), &r, &s, &chosen);
        *found = chosen ? dd_FALSE : dd_TRUE;
      }
      break;
    }
  }
  for (dd_colrange j = 1; j <= d_size; ++j)
    if (nbindex[j] > 0) bflag[nbindex[j]] = j;
  *pivot_no = pivots;
}

void dd_RandomPermutation2(dd_rowindex OV, long t, unsigned int seed)
{
  zonix::Random31 gen(seed);
  for (long j = t; j > 1; --j) {
    const long k = gen.index_upto(j);
    const long tmp = OV[j];
    OV[j] = OV[k];
    OV[k] = tmp;
  }
}

void dd_ComputeRowOrderVector2(dd_rowrange m_size, dd_colrange d_size,
                               dd_Amatrix A, dd_rowindex OV,
                               dd_RowOrderType ho, unsigned int rseed)
{
  OV[0] = 0;
  switch (ho) {
    case dd_MaxIndex:
      for (dd_rowrange i = 1; i <= m_size; ++i) OV[i] = m_size - i + 1;
      break;
    case dd_LexMin:
    case dd_LexMax:
      for (dd_rowrange i = 1; i <= m_size; ++i) OV[i] = i;
      dd_QuickSort(OV, 1, m_size, A, d_size);
      if (ho == dd_LexMax) {
        for (dd_rowrange i = 1; i <= m_size / 2; ++i) {
          const long tmp = OV[i];
          OV[i] = OV[m_size - i + 1];
          OV[m_size - i + 1] = tmp;
        }
      }
      break;
    case dd_RandomRow:
      for (dd_rowrange i = 1; i <= m_size; ++i) OV[i] = i;
      dd_RandomPermutation2(OV, m_size, rseed == 0 ? 1u : rseed);
      break;
    default:  // dd_MinIndex and the dynamic rules
      for (dd_rowrange i = 1; i <= m_size; ++i) OV[i] = i;
      break;
  }
}

void dd_SetSolutions(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                     dd_Bmatrix T, dd_rowrange objrow, dd_colrange rhscol,
                     dd_LPStatusType LPS, mytype *optvalue, dd_Arow sol,
                     dd_Arow dsol, dd_colindex nbindex, dd_rowrange re,
                     dd_colrange se)
{
  (void)m_size;
  (void)nbindex;
  // dsol takes the negated dictionary row of objrow, or of re for an
  // infeasibility certificate.
  auto negate = [&] {
    for (dd_colrange j = 1; j <= d_size; ++j) ddd_neg(dsol[j - 1], dsol[j - 1]);
  };
  switch (LPS) {
    case dd_Optimal:
      for (dd_colrange j = 1; j <= d_size; ++j) ddd_set(sol[j - 1], T[j - 1][rhscol - 1]);
      zonix::lp::dict_row(d_size, A, T, objrow, dsol);
      ddd_set(*optvalue, dsol[rhscol - 1]);
      negate();
      break;
    case dd_Inconsistent:
      for (dd_colrange j = 1; j <= d_size; ++j) ddd_set(sol[j - 1], T[j - 1][rhscol - 1]);
      zonix::lp::dict_row(d_size, A, T, re, dsol);
      negate();
      break;
    case dd_DualInconsistent:
      for (dd_colrange j = 1; j <= d_size; ++j) ddd_set(sol[j - 1], T[j - 1][se - 1]);
      zonix::lp::dict_row(d_size, A, T, objrow, dsol);
      negate();
      break;
    case dd_StrucDualInconsistent: {
      zonix::lp::dict_row(d_size, A, T, objrow, dsol);
      mytype sw;
      ddd_init(sw);
      ddd_set_si(sw, dd_Positive(dsol[se - 1]) ? 1 : -1);
      for (dd_colrange j = 1; j <= d_size; ++j) ddd_mul(sol[j - 1], sw, T[j - 1][se - 1]);
      ddd_clear(sw);
      negate();
      break;
    }
    default:
      break;
  }
}

namespace {

void write_tableau(FILE *f, dd_rowrange m_size, dd_colrange d_size,
                   dd_Amatrix A, dd_Bmatrix T, dd_colindex nbindex,
                   dd_rowindex bflag, bool signs)
{
  dd_Printf(f, " %ld  %ld  real\n", m_size, d_size);
  dd_Printf(f, "          |");
  for (dd_colrange j = 1; j <= d_size; ++j) dd_Printf(f, " %3ld", nbindex[j]);
  dd_Printf(f, "\n");
  mytype x;
  ddd_init(x);
  for (dd_rowrange i = 1; i <= m_size; ++i) {
    dd_Printf(f, " %3ld(%3ld) |", i, bflag[i]);
    for (dd_colrange j = 1; j <= d_size; ++j) {
      entry(x, m_size, d_size, A, T, i, j);
      if (!signs)
        dd_WriteNumber(f, x);
      else if (dd_Positive(x))
        dd_Printf(f, "  +");
      else if (dd_Negative(x))
        dd_Printf(f, "  -");
      else
        dd_Printf(f, "  0");
    }
    dd_Printf(f, "\n");
  }
  dd_Printf(f, "end\n");
  ddd_clear(x);
}

}  // namespace

void dd_WriteTableau(FILE *f, dd_rowrange m_size, dd_colrange d_size,
                     dd_Amatrix A, dd_Bmatrix T, dd_colindex nbindex,
                     dd_rowindex bflag)
{
  write_tableau(f, m_size, d_size, A, T, nbindex, bflag, false);
}

void dd_WriteSignTableau(FILE *f, dd_rowrange m_size, dd_colrange d_size,
                         dd_Amatrix A, dd_Bmatrix T, dd_colindex nbindex,
                         dd_rowindex bflag)
{
  write_tableau(f, m_size, d_size, A, T, nbindex, bflag, true);
}

}  // extern "C"
