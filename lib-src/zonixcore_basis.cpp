// Initial basis of a double description run, the initial rays built from
// its basis inverse, and the Gaussian column pivots shared with the LP
// solver (which keeps A fixed and updates only the d x d matrix T).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "zonixcore.h"
#include "zonixcore_internal.hpp"
#include "zonixdd.h"
#include "zonixio.h"

namespace {

// Rows up to this length live on the stack in the column pivot, which the
// LP solver calls at every step.
inline constexpr dd_colrange stack_row = 64;

// A bit set owned by a scope.
class LocalSet {
 public:
  explicit LocalSet(long n) { set_initialize(&s_, n); }
  ~LocalSet() { set_free(s_); }
  LocalSet(const LocalSet &) = delete;
  LocalSet &operator=(const LocalSet &) = delete;
  set_type get() const { return s_; }

 private:
  set_type s_ = nullptr;
};

// dst := the members of src that fit dst's ground set.  Walks elements,
// so a caller's set of another ground size cannot overrun either block.
void copy_members(set_type dst, set_type src)
{
  set_emptyset(dst);
  if (src == nullptr) return;
  const long n = std::min(set_groundsize(dst), set_groundsize(src));
  for (long e = 1; e <= n; ++e)
    if (set_member(e, src)) set_addelem(dst, e);
}

// The first column s (1..d_size) outside NopivotCol with a nonzero tableau
// entry in row r, or 0.
dd_colrange nonzero_column(dd_colrange d_size, dd_Amatrix A, dd_Bmatrix T,
                           dd_rowrange m_size, dd_rowrange r,
                           dd_colset NopivotCol)
{
  mytype val;
  ddd_init(val);
  dd_colrange found = 0;
  for (dd_colrange s = 1; s <= d_size && found == 0; ++s) {
    if (NopivotCol != nullptr && set_member(s, NopivotCol)) continue;
    dd_TableauEntry(&val, m_size, d_size, A, T, r, s);
    if (dd_Nonzero(val)) found = s;
  }
  ddd_clear(val);
  return found;
}

void trace_basis(dd_ConePtr cone, long rank)
{
  dd_Printf(stderr, "dd_FindBasis: rank %ld, basis inverse:\n", rank);
  dd_WriteBmatrix(stderr, cone->d, cone->B);
}

}  // namespace

extern "C" {

/* ==== dictionary entries and pivots ==================================== */

void dd_TableauEntry(mytype *x, dd_rowrange m_size, dd_colrange d_size,
                     dd_Amatrix X, dd_Bmatrix T, dd_rowrange r,
                     dd_colrange s)
{
  (void)m_size;
  ddd_set(*x, dd_purezero);
  const dd_Arow row = X[r - 1];
  for (dd_colrange j = 0; j < d_size; ++j) ddd_addmul(*x, row[j], T[j][s - 1]);
}

void dd_GaussianColumnPivot(dd_rowrange m_size, dd_colrange d_size,
                            dd_Amatrix X, dd_Bmatrix T, dd_rowrange r,
                            dd_colrange s)
{
  if (d_size <= 0) return;
  mytype on_stack[stack_row] = {};  // zeroed: a rational's "not yet made"
  std::unique_ptr<mytype[]> on_heap;
  if (d_size > stack_row) on_heap = std::make_unique<mytype[]>(static_cast<size_t>(d_size));
  mytype *Rtemp = on_heap ? on_heap.get() : on_stack;
  for (dd_colrange j = 1; j <= d_size; ++j)
    dd_TableauEntry(&Rtemp[j - 1], m_size, d_size, X, T, r, j);

  mytype p;
  ddd_init(p);
  ddd_set(p, Rtemp[s - 1]);
  // Rtemp[j] becomes the multiplier q_j = R[j] / p; the update then runs
  // row by row over T (row-major storage) with the same arithmetic per
  // entry as a column-by-column sweep, since column s is read only.
  for (dd_colrange j = 0; j < d_size; ++j) {
    if (j == s - 1) continue;
    ddd_div(Rtemp[j], Rtemp[j], p);
  }
  mytype temp;
  ddd_init(temp);
  for (dd_colrange k = 0; k < d_size; ++k) {
    dd_Arow Tk = T[k];
    // Exact zeros change nothing; doubles keep every operation, which
    // fixes the signs of their zeros.
    if (!zonix::core::numbers_round && ddd_sgn(Tk[s - 1]) == 0) continue;
    for (dd_colrange j = 0; j < d_size; ++j) {
      if (j == s - 1) continue;
      if (!zonix::core::numbers_round && ddd_sgn(Rtemp[j]) == 0) continue;
      ddd_mul(temp, Rtemp[j], Tk[s - 1]);
      ddd_sub(Tk[j], Tk[j], temp);
    }
    ddd_div(Tk[s - 1], Tk[s - 1], p);
  }
  ddd_clear(temp);
  ddd_clear(p);
  for (dd_colrange j = 0; j < d_size; ++j) ddd_clear(Rtemp[j]);
}

void dd_SelectPreorderedNext2(dd_rowrange m_size, dd_colrange d_size,
                              dd_rowset excluded, dd_rowindex OV,
                              dd_rowrange *hnext)
{
  (void)d_size;
  *hnext = 0;
  for (dd_rowrange k = 1; k <= m_size; ++k) {
    const dd_rowrange i = OV[k];
    if (!set_member(i, excluded)) {
      *hnext = i;
      return;
    }
  }
}

void dd_SelectPivot2(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                     dd_Bmatrix T, dd_RowOrderType roworder,
                     dd_rowindex ordervec, dd_rowset equalityset,
                     dd_rowrange rowmax, dd_rowset NopivotRow,
                     dd_colset NopivotCol, dd_rowrange *r, dd_colrange *s,
                     dd_boolean *selected)
{
  (void)roworder;
  *selected = dd_FALSE;
  *r = 0;
  *s = 0;
  const dd_rowrange limit = rowmax < m_size ? rowmax : m_size;
  auto excluded = [&](dd_rowrange i) {
    return i < 1 || i > limit ||
           (NopivotRow != nullptr && set_member(i, NopivotRow));
  };
  auto is_equation = [&](dd_rowrange i) {
    return equalityset != nullptr && set_member(i, equalityset);
  };

  // A row that yields no column is excluded for the rest of this call, and
  // exclusion only grows, so both scans continue where they stopped
  // instead of restarting from the top.  Equations are all tried before
  // the ordered scan starts, which therefore passes over them.
  for (dd_rowrange i = 1; i <= limit; ++i) {
    if (!is_equation(i) || excluded(i)) continue;
    if (dd_debug)
      dd_Printf(stderr, "marked set %ld chosen as a candidate\n", i);
    const dd_colrange col = nonzero_column(d_size, A, T, m_size, i,
                                           NopivotCol);
    if (col > 0) {
      *r = i;
      *s = col;
      *selected = dd_TRUE;
      return;
    }
  }
  for (dd_rowrange k = 1; k <= m_size; ++k) {
    const dd_rowrange i = ordervec[k];
    if (excluded(i) || is_equation(i)) continue;
    const dd_colrange col = nonzero_column(d_size, A, T, m_size, i,
                                           NopivotCol);
    if (col > 0) {
      *r = i;
      *s = col;
      *selected = dd_TRUE;
      return;
    }
  }
}

/* ==== initial basis ==================================================== */

void dd_FindBasis(dd_ConePtr cone, long *rank)
{
  const dd_colrange d = cone->d;
  const dd_rowrange m = cone->m;
  *rank = 0;
  for (dd_colrange j = 0; j <= d; ++j) cone->InitialRayIndex[j] = 0;
  set_emptyset(cone->InitialHalfspaces);

  LocalSet ColSelected(d);
  LocalSet NopivotRow(m);
  // Strict inequalities never enter the basis.
  copy_members(NopivotRow.get(), cone->NonequalitySet);
  dd_SetToIdentity(d, cone->B);

  while (*rank < d) {
    dd_rowrange r = 0;
    dd_colrange s = 0;
    dd_boolean chosen = dd_FALSE;
    dd_SelectPivot2(m, d, cone->A, cone->B, cone->HalfspaceOrder,
                    cone->OrderVector, cone->EqualitySet, m, NopivotRow.get(),
                    ColSelected.get(), &r, &s, &chosen);
    if (!chosen) break;
    if (dd_debug) dd_Printf(stderr, "Pivot on (%ld, %ld)\n", r, s);
    set_addelem(cone->InitialHalfspaces, r);
    set_addelem(NopivotRow.get(), r);
    set_addelem(ColSelected.get(), s);
    cone->InitialRayIndex[s] = r;
    ++*rank;
    dd_GaussianColumnPivot(m, d, cone->A, cone->B, r, s);
  }
  if (dd_debug) trace_basis(cone, *rank);
}

void dd_ColumnReduce(dd_ConePtr cone)
{
  const dd_colrange d = cone->d;
  const dd_rowrange m = cone->m;
  dd_colrange j1 = 0;
  for (dd_colrange j = 1; j <= d; ++j) {
    if (cone->InitialRayIndex[j] > 0) {
      ++j1;
      if (j1 < j) {
        for (dd_rowrange i = 0; i < m; ++i)
          ddd_set(cone->A[i][j1 - 1], cone->A[i][j - 1]);
      }
      cone->newcol[j] = j1;
    } else {
      cone->newcol[j] = 0;
    }
  }
  cone->d = j1;
  // The columns of B without a basis row span the lineality space; the
  // output reads them from this copy after B has been reused.
  dd_CopyBmatrix(cone->d_orig, cone->B, cone->Bsave);
  cone->ColReduced = dd_TRUE;
  if (dd_debug) {
    dd_Printf(stderr, "dd_ColumnReduce: new column numbers:");
    for (dd_colrange j = 1; j <= cone->d_orig; ++j)
      dd_Printf(stderr, " %ld", cone->newcol[j]);
    dd_Printf(stderr, "\n");
  }
}

void dd_FindInitialRays(dd_ConePtr cone, dd_boolean *found)
{
  long rank = 0;
  *found = dd_FALSE;
  dd_FindBasis(cone, &rank);
  cone->LinearityDim = cone->d - rank;
  if (dd_debug)
    dd_Printf(stderr, "Linearity Dimension = %ld\n", cone->LinearityDim);
  if (cone->LinearityDim > 0) {
    dd_ColumnReduce(cone);
    dd_FindBasis(cone, &rank);
  }
  if (dd_debug && !set_subset(cone->EqualitySet, cone->InitialHalfspaces)) {
    dd_Printf(stderr, "Equality set is dependent. Equality Set and an "
                         "initial basis:\n");
    set_fwrite(stderr, cone->EqualitySet);
    set_fwrite(stderr, cone->InitialHalfspaces);
  }
  *found = dd_TRUE;
  switch (cone->HalfspaceOrder) {
    case dd_MinCutoff:
    case dd_MaxCutoff:
    case dd_MixCutoff:
      cone->PreOrderedRun = dd_FALSE;
      break;
    default:
      cone->PreOrderedRun = dd_TRUE;
      break;
  }
}

/* ==== initial rays ===================================================== */

void dd_AddArtificialRay(dd_ConePtr cone)
{
  if (cone->ArtificialRay != nullptr) {
    dd_Printf(stderr, "Warning !!!  FirstRay in not nil.  Illegal Call\n");
    return;
  }
  const dd_colrange d1 = cone->d > 0 ? cone->d : 1;
  dd_Arow zero = nullptr;
  dd_InitializeArow(d1, &zero);
  dd_RayPtr sentinel = zonix::core::new_ray(d1);
  cone->ArtificialRay = sentinel;
  cone->LastRay = sentinel;
  dd_boolean feasible = dd_FALSE;
  dd_StoreRay1(cone, zero, &feasible);
  sentinel->Next = nullptr;
  dd_FreeArow(d1, zero);
}

void dd_InitialDataSetup(dd_ConePtr cone)
{
  const dd_colrange d = cone->d;
  const dd_rowrange m = cone->m;
  const size_t d1 = static_cast<size_t>(d > 0 ? d : 1);
  const auto Vector1 = std::make_unique<mytype[]>(d1);
  const auto Vector2 = std::make_unique<mytype[]>(d1);

  cone->RecomputeRowOrder = dd_FALSE;
  // Column reduction may have rewritten the rows.
  zonix::core::workspace(cone).row_norms.forget(cone);
  cone->ArtificialRay = nullptr;
  cone->FirstRay = nullptr;
  cone->LastRay = nullptr;
  // Same ground size as EqualitySet, so the subset test below compares
  // whole words.
  LocalSet ZSet(cone->m_alloc);
  dd_AddArtificialRay(cone);
  set_copy(cone->AddedHalfspaces, cone->InitialHalfspaces);
  set_copy(cone->WeaklyAddedHalfspaces, cone->InitialHalfspaces);
  dd_UpdateRowOrderVector(cone, cone->InitialHalfspaces);

  for (dd_colrange r = 1; r <= d; ++r) {
    for (dd_colrange j = 0; j < d; ++j) {
      ddd_set(Vector1[j], cone->B[j][r - 1]);
      ddd_neg(Vector2[j], cone->B[j][r - 1]);
    }
    // At the scale of the rays made later: exact rays as primitive
    // integers, which keeps their values on the rows in 64 bits.
    zonix::core::scale_ray(d, Vector1.get());
    zonix::core::scale_ray(d, Vector2.get());
    // The ray of a basis row is nonzero there and zero on the others.  A
    // value on its own row that is rounding noise against its terms means
    // the basis is singular within rounding and its rays are not
    // independent: the run cannot be trusted.
    if (const dd_rowrange own = cone->InitialRayIndex[r]; own > 0) {
      zonix::core::RowValue v;
      zonix::core::row_eval(v, cone->A[own - 1], Vector1.get(), d);
      mytype a;
      ddd_init(a);
      zonix::core::exact_abs(a, v.val);
      if (ddd_get_d(a) <= zonix::core::value_bound(v, 0.0, d))
        zonix::core::raise_numerical_alarm(cone);
      ddd_clear(a);
    }
    dd_ZeroIndexSet(m, d, cone->A, Vector1.get(), ZSet.get());
    if (set_subset(cone->EqualitySet, ZSet.get())) {
      if (dd_debug) {
        dd_Printf(stderr, "add an initial ray with zero set:");
        set_fwrite(stderr, ZSet.get());
      }
      dd_AddRay(cone, Vector1.get());
      // A direction without a basis row is a line of the cone.
      if (cone->InitialRayIndex[r] == 0) {
        if (dd_debug)
          dd_Printf(stderr, "and its negative is also added\n");
        dd_AddRay(cone, Vector2.get());
      }
    }
  }
  dd_CreateInitialEdges(cone);
  cone->Iteration = d + 1;
  if (cone->Iteration >= m) cone->CompStatus = dd_AllFound;
}

/* ==== rank of a matrix ================================================= */

long dd_MatrixRank(dd_MatrixPtr M, dd_rowset ignoredrows,
                   dd_colset ignoredcols, dd_rowset *rowbasis,
                   dd_colset *colbasis)
{
  const dd_rowrange m = (M != nullptr && M->rowsize > 0) ? M->rowsize : 0;
  const dd_colrange d = (M != nullptr && M->colsize > 0) ? M->colsize : 0;
  set_initialize(rowbasis, m);
  set_initialize(colbasis, d);
  if (m == 0 || d == 0) return 0;

  LocalSet NopivotRow(m);
  LocalSet ColSelected(d);
  LocalSet equalities(m);
  copy_members(NopivotRow.get(), ignoredrows);
  copy_members(ColSelected.get(), ignoredcols);
  dd_Bmatrix B = nullptr;
  dd_InitializeBmatrix(d, &B);
  dd_SetToIdentity(d, B);
  auto *order = static_cast<dd_rowindex>(
      std::calloc(static_cast<size_t>(m + 1), sizeof(long)));
  for (dd_rowrange i = 1; i <= m; ++i) order[i] = i;

  long rank = 0;
  while (rank < d) {
    dd_rowrange r = 0;
    dd_colrange s = 0;
    dd_boolean chosen = dd_FALSE;
    dd_SelectPivot2(m, d, M->matrix, B, dd_MinIndex, order, equalities.get(),
                    m, NopivotRow.get(), ColSelected.get(), &r, &s, &chosen);
    if (!chosen) break;
    ++rank;
    set_addelem(NopivotRow.get(), r);
    set_addelem(*rowbasis, r);
    set_addelem(ColSelected.get(), s);
    set_addelem(*colbasis, s);
    dd_GaussianColumnPivot(m, d, M->matrix, B, r, s);
  }
  std::free(order);
  dd_FreeBmatrix(d, B);
  return rank;
}

}  // extern "C"
