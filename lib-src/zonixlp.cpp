// LP records: creation from a matrix, row edits, solution snapshots, and
// the driver that dispatches a solve to one of the two methods.
#include "zonixlp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "zonixcore.h"
#include "zonixio.h"

namespace {

long *new_longs(long n)
{
  return static_cast<long *>(
      std::calloc(static_cast<size_t>(n > 0 ? n : 1), sizeof(long)));
}

bool row_in_range(const dd_LPType *lp, dd_rowrange i)
{
  return lp != nullptr && i >= 1 && i <= lp->m;
}

}  // namespace

extern "C" {

dd_LPPtr dd_CreateLPData(dd_LPObjectiveType obj, dd_NumberType nt,
                         dd_rowrange m, dd_colrange d)
{
  if (m < 0 || d < 0) return nullptr;
  auto *lp = static_cast<dd_LPPtr>(std::calloc(1, sizeof(dd_LPType)));
  if (lp == nullptr) return nullptr;
  lp->objective = obj;
  lp->numbtype = nt;
  lp->solver = dd_DualSimplex;
  lp->LPS = dd_LPSundecided;
  lp->m = m;
  lp->d = d;
  lp->objrow = m;
  lp->rhscol = 1;
  lp->eqnumber = 0;
  // Row m+1 is the dual simplex's auxiliary row; two spare columns keep
  // room for callers that extend the LP by a column.
  lp->m_alloc = m + 2;
  lp->d_alloc = d + 2;
  lp->nbindex = new_longs(d + 1);
  lp->given_nbindex = new_longs(d + 1);
  set_initialize(&lp->equalityset, m);
  dd_InitializeBmatrix(lp->d_alloc, &lp->B);
  dd_InitializeAmatrix(lp->m_alloc, lp->d_alloc, &lp->A);
  dd_InitializeArow(lp->d_alloc, &lp->sol);
  dd_InitializeArow(lp->d_alloc, &lp->dsol);
  ddd_init(lp->optvalue);
  return lp;
}

dd_LPPtr dd_Matrix2LP(dd_MatrixPtr M, dd_ErrorType *err)
{
  if (M == nullptr) {
    if (err != nullptr) *err = dd_EmptyRepresentation;
    return nullptr;
  }
  if (err != nullptr) *err = dd_NoError;
  const dd_rowrange rows = M->rowsize;
  const dd_colrange d = M->colsize;
  const dd_rowrange linc = set_card(M->linset);
  const dd_rowrange m = rows + linc + 1;

  dd_LPPtr lp = dd_CreateLPData(M->objective, M->numbtype, m, d);
  if (lp == nullptr) return nullptr;
  lp->Homogeneous = dd_TRUE;
  lp->eqnumber = linc;

  dd_rowrange irev = rows;
  for (dd_rowrange i = 1; i <= rows; ++i) {
    if (set_member(i, M->linset)) {
      ++irev;
      set_addelem(lp->equalityset, i);
      for (dd_colrange j = 0; j < d; ++j)
        ddd_neg(lp->A[irev - 1][j], M->matrix[i - 1][j]);
    }
    for (dd_colrange j = 0; j < d; ++j)
      ddd_set(lp->A[i - 1][j], M->matrix[i - 1][j]);
    // The last input row is not examined: the flag only informs callers,
    // and no solver step reads it.
    if (i < rows && d > 0 && dd_Nonzero(M->matrix[i - 1][0]))
      lp->Homogeneous = dd_FALSE;
  }
  for (dd_colrange j = 0; j < d; ++j)
    ddd_set(lp->A[m - 1][j], M->rowvec[j]);
  return lp;
}

void dd_FreeLPData(dd_LPPtr lp)
{
  if (lp == nullptr) return;
  ddd_clear(lp->optvalue);
  dd_FreeArow(lp->d_alloc, lp->dsol);
  dd_FreeArow(lp->d_alloc, lp->sol);
  dd_FreeBmatrix(lp->d_alloc, lp->B);
  dd_FreeAmatrix(lp->m_alloc, lp->d_alloc, lp->A);
  set_free(lp->equalityset);
  std::free(lp->nbindex);
  std::free(lp->given_nbindex);
  std::free(lp);
}

dd_LPSolutionPtr dd_CopyLPSolution(dd_LPPtr lp)
{
  if (lp == nullptr) return nullptr;
  auto *s =
      static_cast<dd_LPSolutionPtr>(std::calloc(1, sizeof(dd_LPSolutionType)));
  if (s == nullptr) return nullptr;
  std::memcpy(s->filename, lp->filename, sizeof(dd_DataFileType));
  s->objective = lp->objective;
  s->solver = lp->solver;
  s->m = lp->m;
  s->d = lp->d;
  s->numbtype = lp->numbtype;
  s->LPS = lp->LPS;
  ddd_init(s->optvalue);
  ddd_set(s->optvalue, lp->optvalue);
  const dd_colrange n = lp->d + 1;
  dd_InitializeArow(n, &s->sol);
  dd_InitializeArow(n, &s->dsol);
  s->nbindex = new_longs(n);
  for (dd_colrange j = 0; j < n; ++j) {
    ddd_set(s->sol[j], lp->sol[j]);
    ddd_set(s->dsol[j], lp->dsol[j]);
    s->nbindex[j] = lp->nbindex[j];
  }
  for (int k = 0; k < 5; ++k) s->pivots[k] = lp->pivots[k];
  s->total_pivots = lp->total_pivots;
  return s;
}

void dd_FreeLPSolution(dd_LPSolutionPtr lps)
{
  if (lps == nullptr) return;
  std::free(lps->nbindex);
  dd_FreeArow(lps->d + 1, lps->dsol);
  dd_FreeArow(lps->d + 1, lps->sol);
  ddd_clear(lps->optvalue);
  std::free(lps);
}

int dd_LPReverseRow(dd_LPPtr lp, dd_rowrange i)
{
  if (!row_in_range(lp, i)) return 0;
  for (dd_colrange j = 0; j < lp->d; ++j)
    ddd_neg(lp->A[i - 1][j], lp->A[i - 1][j]);
  lp->LPS = dd_LPSundecided;
  return 1;
}

int dd_LPReplaceRow(dd_LPPtr lp, dd_rowrange i, dd_Arow a)
{
  if (!row_in_range(lp, i) || a == nullptr) return 0;
  for (dd_colrange j = 0; j < lp->d; ++j) ddd_set(lp->A[i - 1][j], a[j]);
  lp->LPS = dd_LPSundecided;
  return 1;
}

dd_Arow dd_LPCopyRow(dd_LPPtr lp, dd_rowrange i)
{
  if (!row_in_range(lp, i) || lp->d < 1) return nullptr;
  dd_Arow a = nullptr;
  dd_InitializeArow(lp->d, &a);
  for (dd_colrange j = 0; j < lp->d; ++j) ddd_set(a[j], lp->A[i - 1][j]);
  return a;
}

void dd_SetNumberType(char *line, dd_NumberType *number, dd_ErrorType *Error)
{
  if (line != nullptr && std::strncmp(line, "integer", 7) == 0) {
    *number = dd_Integer;
  } else if (line != nullptr && std::strncmp(line, "rational", 8) == 0) {
    *number = dd_Rational;
  } else if (line != nullptr && std::strncmp(line, "real", 4) == 0) {
    *number = dd_Real;
  } else {
    *number = dd_Unknown;
    *Error = dd_ImproperInputFormat;
  }
}

void dd_WriteLP(FILE *f, dd_LPPtr lp)
{
  if (lp == nullptr) {
    std::fprintf(f, "WriteLP: The requested lp is empty\n");
    return;
  }
  std::fprintf(f, "H-representation\n");
  dd_WriteAmatrix(f, lp->A, lp->m - 1, lp->d);
  if (lp->objective != dd_LPnone) {
    std::fprintf(f, lp->objective == dd_LPmax ? "maximize\n" : "minimize\n");
    dd_WriteArow(f, lp->A[lp->objrow - 1], lp->d);
  }
}

dd_boolean dd_LPSolve(dd_LPPtr lp, dd_LPSolverType solver, dd_ErrorType *err)
{
  dd_ErrorType local = dd_NoError;
  if (err == nullptr) err = &local;
  *err = dd_NoError;
  if (lp == nullptr) {
    *err = dd_EmptyRepresentation;
    return dd_FALSE;
  }
  lp->solver = solver;
  lp->starttime = std::time(nullptr);
  switch (solver) {
    case dd_CrissCross:
      dd_CrissCrossSolve(lp, err);
      break;
    case dd_DualSimplex:
      dd_DualSimplexSolve(lp, err);
      break;
    default:
      break;
  }
  lp->endtime = std::time(nullptr);
  lp->total_pivots = 0;
  for (int k = 0; k < 5; ++k) lp->total_pivots += lp->pivots[k];
  return *err == dd_NoError ? dd_TRUE : dd_FALSE;
}

dd_boolean dd_LPSolve0(dd_LPPtr lp, dd_LPSolverType solver, dd_ErrorType *err)
{
  return dd_LPSolve(lp, solver, err);
}

}  // extern "C"
