// The double description run: from a matrix record to a polyhedron whose
// cone holds the other representation, one row per iteration.
#include <cstdio>
#include <ctime>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixio.h"

namespace {

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
      if (cone->CompStatus == dd_AllFound ||
          cone->CompStatus == dd_RegionEmpty) {
        set_addelem(cone->AddedHalfspaces, hh);
        break;
      }
      ++cone->Iteration;
    }
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
