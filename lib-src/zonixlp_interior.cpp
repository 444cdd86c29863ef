// The interior-point LP: one more variable t, the common slack of every
// constraint row, maximised under a ceiling that keeps the LP bounded.
#include <cstdio>
#include <limits>

#include "zonixcore.h"
#include "zonixio.h"
#include "zonixlp.h"

namespace {

// Flip to trace the ceiling and both LPs on stderr.
constexpr bool kTraceInterior = false;

}  // namespace

extern "C" {

dd_LPPtr dd_MakeLPforInteriorFinding(dd_LPPtr lp)
{
  if (lp == nullptr) return nullptr;
  const dd_rowrange m = lp->m;
  const dd_colrange d = lp->d;
  const dd_colrange rhs = lp->rhscol;

  mytype bm, bmax, bceil;
  ddd_init(bm);
  ddd_init(bmax);
  ddd_init(bceil);
  ddd_add(bm, dd_one, dd_one);
  ddd_set(bmax, dd_one);

  dd_LPPtr lpnew = dd_CreateLPData(dd_LPmax, lp->numbtype, m + 1, d + 1);
  if (lpnew == nullptr) return nullptr;

  // lp's objective row (row m) is scanned as well; its constant can only
  // raise the ceiling, never make the LP unbounded.
  for (dd_rowrange i = 1; i <= m; ++i)
    if (dd_Larger(lp->A[i - 1][rhs - 1], bmax))
      ddd_set(bmax, lp->A[i - 1][rhs - 1]);
  // Any positive ceiling bounds the LP; twice the largest constant is
  // the usual one, and the largest constant itself where twice it is no
  // double (it would make the ceiling infinite).
  if (ddd_get_d(bmax) <= std::numeric_limits<double>::max() / 2)
    ddd_mul(bceil, bm, bmax);
  else
    ddd_set(bceil, bmax);

  for (dd_rowrange i = 1; i <= m; ++i)
    for (dd_colrange j = 1; j <= d; ++j)
      ddd_set(lpnew->A[i - 1][j - 1], lp->A[i - 1][j - 1]);
  for (dd_rowrange i = 1; i <= m; ++i) ddd_neg(lpnew->A[i - 1][d], dd_one);

  // Row m (lp's objective row) becomes the ceiling bceil - t >= 0.
  for (dd_colrange j = 1; j <= d; ++j) ddd_set(lpnew->A[m - 1][j - 1], dd_purezero);
  ddd_set(lpnew->A[m - 1][0], bceil);

  for (dd_colrange j = 1; j <= d; ++j) ddd_set(lpnew->A[m][j - 1], dd_purezero);
  ddd_set(lpnew->A[m][d], dd_one);

  if constexpr (kTraceInterior) {
    dd_Printf(stderr, "MakeLPforInteriorFinding: bceil =");
    dd_WriteNumber(stderr, bceil);
    dd_Printf(stderr, "\n");
    dd_WriteAmatrix(stderr, lp->A, lp->m, lp->d);
    dd_WriteAmatrix(stderr, lpnew->A, lpnew->m, lpnew->d);
  }
  ddd_clear(bm);
  ddd_clear(bmax);
  ddd_clear(bceil);
  return lpnew;
}

}  // extern "C"
