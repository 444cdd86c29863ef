// The double description run with a chosen seed for the random row order,
// for front ends that let their users pick it (the drivers of dovavozu.cpp
// always seed with 1).  It loads the cone itself and sets the seed before
// the row order is computed, then runs the same public steps as those
// drivers, error code included.
#include <ctime>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixio.h"

extern "C" {

dd_PolyhedraPtr dd_DDMatrix2PolySeeded(dd_MatrixPtr M, dd_RowOrderType horder,
                                       unsigned int seed, dd_ErrorType *err)
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
      if (j == 1 && dd_Nonzero(M->matrix[i - 1][0])) poly->homogeneous = dd_FALSE;
    }
  }
  dd_ConePtr cone = dd_ConeDataLoad(poly);
  cone->HalfspaceOrder = horder;
  cone->rseed = seed;
  std::time(&cone->starttime);
  if (d < 1) {
    // Without the homogenising column the rows describe nothing.
    cone->Error = dd_ImproperInputFormat;
  } else {
    dd_DDInit(cone);
    if (poly->representation == dd_Generator && m <= 0) {
      cone->Error = dd_EmptyVrepresentation;
    } else {
      dd_boolean found = dd_FALSE;
      dd_FindInitialRays(cone, &found);
      if (found) {
        dd_InitialDataSetup(cone);
        dd_DDMain(cone);
      }
    }
  }
  *err = cone->Error;
  std::time(&cone->endtime);
  return poly;
}

}  // extern "C"
