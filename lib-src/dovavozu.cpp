// The double description run: from a matrix record to a polyhedron whose
// cone holds the other representation, one row per iteration.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "zonixcore_internal.hpp"
#include "zonixio.h"

using namespace zonix::core;

namespace {

// Per thread, so that concurrent runs report to their own callers.
thread_local dd_ProgressHook progress_hook = nullptr;
thread_local void *progress_user = nullptr;

// Whether the homogenising column itself was removed by column reduction;
// then its lineality direction is not part of the output.
bool homogenising_column_removed(dd_ConePtr cone)
{
  return cone->d <= 0 || (cone->d_orig >= 1 && cone->newcol[1] == 0);
}

// Moves hh to position `iteration` of the order vector, so that the first
// positions record the rows in the order a dynamic run took them.
void record_dynamic_choice(dd_ConePtr cone, dd_rowrange hh)
{
  for (dd_rowrange p = 1; p <= cone->m; ++p) {
    if (cone->OrderVector[p] != hh) continue;
    const dd_rowrange it = cone->Iteration;
    cone->OrderVector[p] = cone->OrderVector[it];
    cone->OrderVector[it] = hh;
    return;
  }
}

// Whether the finished ray list contradicts exact arithmetic, which it
// cannot do unless rounding decided a sign wrongly; the result would then
// be wrong without notice.  Checked: no ray was combined from two rays
// that were both on the new row; a run that took every row is complete
// unless rows were skipped; and in a complete result every ray satisfies
// every row within a bound scaled to its terms, lies on at least d-1 rows
// (the least an extreme ray of a pointed cone does), and no two rays lie
// on the same rows (an extreme ray is fixed by its zero set).
bool numerically_inconsistent(dd_ConePtr cone)
{
  if (numerical_alarm_raised(cone)) return true;
  const dd_rowrange m = cone->m;
  const dd_colrange d = cone->d;
  if (cone->CompStatus == dd_RegionEmpty) return false;
  if (cone->CompStatus != dd_AllFound) {
    if (cone->Iteration <= m) return false;
    // Unfinished although every row was taken: a ray still violates a row
    // that was added, which would have removed it.
    for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next) {
      const dd_rowrange f = r->FirstInfeasIndex;
      if (f >= 1 && f <= m && set_member(cone->OrderVector[f], cone->AddedHalfspaces))
        return true;
    }
    return false;
  }
  if (cone->parent != nullptr && cone->parent->RelaxedEnumeration) return false;
  const long nw = set_data_words(m);
  std::vector<dd_RayPtr> rays;
  for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next) {
    if (!r->feasible) continue;
    rays.push_back(r);
    long zeros = 0;
    for (long k = 1; k <= nw; ++k) zeros += bit_count(r->ZeroSet[k]);
    if (zeros < d - 1) return true;
  }
  // Ray by ray, four rows at a time.  A ray was stored feasible on a row
  // within residue_factor (e |A_i|_1 + (d+1) u mag); when that cannot
  // exceed the bound here for any row, the check cannot fail and is
  // skipped (exact rays, and the rays of data with small terms).
  std::vector<dd_rowrange> rows;
  double widest = 0.0;
  for (dd_rowrange i = 1; i <= m; ++i) {
    if (set_member(i, cone->NonequalitySet)) continue;
    rows.push_back(i);
    double norm = 0.0;
    for (dd_colrange j = 0; j < d; ++j) {
      mytype a;
      exact_abs(a, cone->A[i - 1][j]);
      norm += ddd_get_d(a);
    }
    if (norm > widest) widest = norm;
  }
  const size_t nr = rows.size();
  RowValue v[4];
  const mytype *a[4];
  const bool rounding_within =
      static_cast<double>(d + 1) * unit_roundoff * residue_factor <=
      lost_accuracy;
  for (dd_RayPtr r : rays) {
    if (rounding_within &&
        residue_factor * ray_accuracy(r, d) * widest <= ddd_get_d(dd_zero))
      continue;
    for (size_t k = 0; k < nr; k += 4) {
      const int c = nr - k >= 4 ? 4 : static_cast<int>(nr - k);
      for (int q = 0; q < c; ++q) a[q] = cone->A[rows[k + static_cast<size_t>(q)] - 1];
      if (c == 4) {
        rows_eval<4>(v, a, r->Ray, d);
      } else {
        for (int q = 0; q < c; ++q) rows_eval<1>(v + q, a + q, r->Ray, d);
      }
      for (int q = 0; q < c; ++q) {
        const double bound =
            ddd_get_d(dd_zero) + lost_accuracy * ddd_get_d(v[q].mag);
        const double val = ddd_get_d(v[q].val);
        if (val < -bound) return true;
        if (val > bound &&
            set_member(rows[k + static_cast<size_t>(q)], cone->EqualitySet))
          return true;
      }
    }
  }
  auto zero_less = [nw](dd_RayPtr a, dd_RayPtr b) {
    return std::lexicographical_compare(a->ZeroSet + 1, a->ZeroSet + 1 + nw,
                                        b->ZeroSet + 1, b->ZeroSet + 1 + nw);
  };
  std::sort(rays.begin(), rays.end(), zero_less);
  for (size_t k = 1; k < rays.size(); ++k)
    if (std::equal(rays[k]->ZeroSet + 1, rays[k]->ZeroSet + 1 + nw,
                   rays[k - 1]->ZeroSet + 1))
      return true;
  return false;
}

dd_boolean run(dd_PolyhedraPtr poly, bool set_order, dd_RowOrderType horder,
               dd_ErrorType *err)
{
  dd_ErrorType local = dd_NoError;
  if (err == nullptr) err = &local;
  *err = dd_NoError;
  dd_boolean found = dd_FALSE;
  if (poly == nullptr) return dd_FALSE;
  if (poly->child != nullptr) {
    if (poly->child->CompStatus == dd_AllFound) return dd_FALSE;
    // An unfinished earlier run is discarded instead of being orphaned.
    dd_FreeDDMemory(poly);
  }
  dd_ConePtr cone = dd_ConeDataLoad(poly);
  if (set_order) cone->HalfspaceOrder = horder;
  std::time(&cone->starttime);
  if (poly->d < 1) {
    // Without the homogenising column the rows describe nothing, and the
    // row order would read entries that do not exist.
    cone->Error = dd_ImproperInputFormat;
    cone->CompStatus = dd_InProgress;
    *err = dd_ImproperInputFormat;
    std::time(&cone->endtime);
    return dd_FALSE;
  }
  dd_DDInit(cone);
  if (poly->representation == dd_Generator && poly->m <= 0) {
    *err = dd_EmptyVrepresentation;
    cone->Error = dd_EmptyVrepresentation;
  } else {
    dd_FindInitialRays(cone, &found);
    if (found) {
      dd_InitialDataSetup(cone);
      dd_DDMain(cone);
      *err = cone->Error;
    }
  }
  std::time(&cone->endtime);
  return found;
}

dd_PolyhedraPtr matrix_to_poly(dd_MatrixPtr M, bool set_order,
                               dd_RowOrderType horder, dd_ErrorType *err)
{
  dd_ErrorType local = dd_NoError;
  if (err == nullptr) err = &local;
  *err = dd_NoError;
  if (M == nullptr) {
    *err = dd_ImproperInputFormat;
    return nullptr;
  }
  if (M->rowsize < 0 || M->colsize < 0) {
    *err = dd_NegativeMatrixSize;
    return nullptr;
  }
  const dd_rowrange m = M->rowsize;
  const dd_colrange d = M->colsize;
  dd_PolyhedraPtr poly = dd_CreatePolyhedraData(m, d);
  poly->representation = M->representation;
  poly->homogeneous = dd_TRUE;
  for (dd_rowrange i = 1; i <= m; ++i) {
    if (set_member(i, M->linset)) poly->EqualityIndex[i] = 1;
    for (dd_colrange j = 1; j <= d; ++j) {
      ddd_set(poly->A[i - 1][j - 1], M->matrix[i - 1][j - 1]);
      if (j == 1 && dd_Nonzero(M->matrix[i - 1][0]))
        poly->homogeneous = dd_FALSE;
    }
  }
  run(poly, set_order, horder, err);
  return poly;
}

// Rebuilds *poly from its rows followed by M's.  False, with *poly and
// *err untouched, when the append is rejected.
bool append_and_run(dd_PolyhedraPtr *poly, dd_MatrixPtr M, dd_ErrorType *err)
{
  if (poly == nullptr || *poly == nullptr || M == nullptr) return false;
  dd_PolyhedraPtr old = *poly;
  if (old->m < 0 || old->d < 0 || old->d != M->colsize || M->rowsize < 1)
    return false;
  dd_MatrixPtr Mcopy = dd_CopyInput(old);
  dd_MatrixPtr Mnew = dd_AppendMatrix(Mcopy, M);
  if (Mnew == nullptr) {
    dd_FreeMatrix(Mcopy);
    return false;
  }
  // The append leaves the representation unspecified; the rows keep the
  // meaning they had, or an H-representation would lose its
  // homogenising row.
  Mnew->representation = Mcopy->representation;
  dd_FreePolyhedra(old);
  *poly = dd_DDMatrix2Poly(Mnew, err);
  dd_FreeMatrix(Mcopy);
  dd_FreeMatrix(Mnew);
  return true;
}

}  // namespace

extern "C" {

void dd_SetProgressHook(dd_ProgressHook hook, void *user)
{
  progress_hook = hook;
  progress_user = hook != nullptr ? user : nullptr;
}

void dd_DDInit(dd_ConePtr cone)
{
  cone->Error = dd_NoError;
  cone->CompStatus = dd_InProgress;
  cone->RayCount = 0;
  cone->TotalRayCount = 0;
  cone->FeasibleRayCount = 0;
  cone->WeaklyFeasibleRayCount = 0;
  cone->EdgeCount = 0;
  cone->TotalEdgeCount = 0;
  clear_numerical_alarm(cone);
  row_norms.forget(cone);
  dd_SetInequalitySets(cone);
  dd_ComputeRowOrderVector(cone);
  cone->RecomputeRowOrder = dd_FALSE;
}

void dd_DDMain(dd_ConePtr cone)
{
  dd_PolyhedraPtr poly = cone->parent;
  if (cone->d <= 0) {
    cone->FeasibleRayCount = 0;
    cone->Iteration = cone->m;
    cone->CompStatus = dd_AllFound;
  } else {
    while (cone->Iteration <= cone->m) {
      dd_rowrange hh = 0;
      dd_SelectNextHalfspace(cone, cone->WeaklyAddedHalfspaces, &hh);
      // Every row is taken by now; guards a selection rule that finds none.
      if (hh < 1 || hh > cone->m) break;
      if (set_member(hh, cone->NonequalitySet)) {
        if (dd_debug)
          std::fprintf(stderr,
                       "*The row # %3ld should be inactive and thus "
                       "skipped.\n",
                       hh);
      } else {
        if (cone->PreOrderedRun)
          dd_AddNewHalfspace2(cone, hh);
        else
          dd_AddNewHalfspace1(cone, hh);
        set_addelem(cone->AddedHalfspaces, hh);
      }
      set_addelem(cone->WeaklyAddedHalfspaces, hh);
      if (!cone->PreOrderedRun) record_dynamic_choice(cone, hh);
      if (progress_hook != nullptr)
        progress_hook(progress_user, cone->Iteration, cone->m,
                      cone->RayCount);
      if (cone->CompStatus == dd_AllFound ||
          cone->CompStatus == dd_RegionEmpty) {
        set_addelem(cone->AddedHalfspaces, hh);
        break;
      }
      ++cone->Iteration;
    }
  }
  if (cone->d > 0 && numerically_inconsistent(cone)) {
    // No result rather than a wrong one.
    cone->Error = dd_NumericallyInconsistent;
    if (cone->CompStatus == dd_AllFound) cone->CompStatus = dd_InProgress;
  }
  if (poly == nullptr) return;
  dd_bigrange n = cone->LinearityDim + cone->FeasibleRayCount;
  dd_colrange ldim = cone->LinearityDim;
  if (homogenising_column_removed(cone)) {
    --n;
    --ldim;
  }
  // Only a matrix without columns can make these negative.
  poly->n = n > 0 ? n : 0;
  poly->ldim = ldim > 0 ? ldim : 0;
}

dd_boolean dd_DoubleDescription(dd_PolyhedraPtr poly, dd_ErrorType *err)
{
  return run(poly, false, dd_LexMin, err);
}

dd_boolean dd_DoubleDescription2(dd_PolyhedraPtr poly,
                                 dd_RowOrderType horder, dd_ErrorType *err)
{
  return run(poly, true, horder, err);
}

dd_PolyhedraPtr dd_DDMatrix2Poly(dd_MatrixPtr M, dd_ErrorType *err)
{
  return matrix_to_poly(M, false, dd_LexMin, err);
}

dd_PolyhedraPtr dd_DDMatrix2Poly2(dd_MatrixPtr M, dd_RowOrderType horder,
                                  dd_ErrorType *err)
{
  return matrix_to_poly(M, true, horder, err);
}

dd_boolean dd_AppendMatrix2Poly(dd_PolyhedraPtr *poly, dd_MatrixPtr M)
{
  dd_ErrorType err = dd_NoError;
  if (!append_and_run(poly, M, &err)) return dd_FALSE;
  return err == dd_NoError;
}

dd_boolean dd_DDInputAppend(dd_PolyhedraPtr *poly, dd_MatrixPtr M,
                            dd_ErrorType *err)
{
  dd_ErrorType local = dd_NoError;
  if (err == nullptr) err = &local;
  *err = dd_NoError;
  if (!append_and_run(poly, M, err)) {
    *err = dd_ImproperInputFormat;
    return dd_FALSE;
  }
  dd_PolyhedraPtr p = *poly;
  return *err == dd_NoError && p != nullptr && p->child != nullptr &&
         p->child->CompStatus == dd_AllFound;
}

}  // extern "C"
