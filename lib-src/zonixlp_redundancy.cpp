// Redundancy by linear programming: one LP per row decides whether the row
// can go (implied inequality, or generator inside the hull of the others),
// whether it can go without touching the polyhedron (strong redundancy), or
// whether it holds with equality everywhere (implicit linearity).  The row
// loops and the face-by-face adjacency are built on these single tests.
#include <cmath>
#include <cstdio>
#include <new>

#include "zonixcore.h"
#include "zonixio.h"
#include "zonixlp.h"
#include "zonixhandles.hpp"
#include "zonixlp_handles.hpp"
#include "zonixlp_internal.hpp"

namespace {

// Flip to print one line per row decided by the row loops.
constexpr bool kTraceRows = false;

bool is_generator(const dd_matrixdata *M)
{
  return M->representation == dd_Generator;
}

bool row_in_range(const dd_matrixdata *M, dd_rowrange i)
{
  return M != nullptr && i >= 1 && i <= M->rowsize;
}

// Numbers a certificate row holds: the LP's column count.
dd_colrange certificate_size(const dd_matrixdata *M)
{
  return is_generator(M) ? M->colsize + 1 : M->colsize;
}

// What every single-row test checks first.  Returns false, with *error set
// where the row cannot be tested at all; a linset row is simply "no".
bool testable(dd_MatrixPtr M, dd_rowrange itest, dd_ErrorType *error)
{
  *error = dd_NoError;
  if (M == nullptr) {
    *error = dd_EmptyRepresentation;
    return false;
  }
  if (!row_in_range(M, itest)) {
    *error = dd_RowIndexOutOfRange;
    return false;
  }
  return !set_member(itest, M->linset);
}

dd_LPPtr redundancy_lp(dd_MatrixPtr M, dd_rowrange itest)
{
  return is_generator(M) ? dd_CreateLP_V_Redundancy(M, itest)
                         : dd_CreateLP_H_Redundancy(M, itest);
}

// Whether the redundancy LP (solved) shows its row not implied: a negative
// minimum, a way down without bound, which the relaxation rules out
// exactly and only a basis too ill-conditioned to see the optimum reports,
// or an optimal point that violates the row after all.  Others that hold
// nowhere imply every row.
}  // namespace

bool zonix::lp::not_implied(dd_LPPtr lp)
{
  if (lp->LPS == dd_DualInconsistent || lp->LPS == dd_StrucDualInconsistent || lp->LPS == dd_Unbounded) return true;
  if (dd_Negative(lp->optvalue)) return true;
  if (lp->LPS != dd_Optimal) return false;
  mytype v;
  ddd_init(v);
  dd_InnerProduct(v, lp->d, lp->A[lp->objrow - 1], lp->sol);
  const bool negative = dd_Negative(v);
  ddd_clear(v);
  return negative;
}

namespace {

void copy_certificate(dd_Arow certificate, dd_LPPtr lp)
{
  if (certificate == nullptr) return;
  for (dd_colrange j = 0; j < lp->d; ++j) ddd_set(certificate[j], lp->sol[j]);
}

// Copies row i of M, or its negation, into LP row r starting at column
// `offset` (0 for H, 1 for the generator LPs with their own constant).
void put_row(dd_LPPtr lp, dd_rowrange r, dd_colrange offset, dd_MatrixPtr M,
             dd_rowrange i, bool negate)
{
  for (dd_colrange j = 0; j < M->colsize; ++j) {
    if (negate)
      ddd_neg(lp->A[r - 1][j + offset], M->matrix[i - 1][j]);
    else
      ddd_set(lp->A[r - 1][j + offset], M->matrix[i - 1][j]);
  }
}

// The common frame of the two plain redundancy LPs: rows 1..m of M, then a
// negated copy of each linset row in increasing order, then the objective
// row itest.
dd_LPPtr frame_lp(dd_MatrixPtr M, dd_rowrange itest, dd_colrange offset)
{
  const dd_rowrange m = M->rowsize;
  const dd_rowrange linc = set_card(M->linset);
  dd_LPPtr lp = dd_CreateLPData(dd_LPmin, M->numbtype, m + linc + 1,
                                M->colsize + offset);
  if (lp == nullptr) return nullptr;
  lp->eqnumber = linc;
  dd_rowrange irev = m;
  for (dd_rowrange i = 1; i <= m; ++i) {
    put_row(lp, i, offset, M, i, false);
    if (set_member(i, M->linset)) {
      set_addelem(lp->equalityset, i);
      put_row(lp, ++irev, offset, M, i, true);
    }
  }
  put_row(lp, m + linc + 1, offset, M, itest, false);
  return lp;
}

// The row loop shared by dd_RedundantRows and dd_SRedundantRows.  Rows go
// from the last to the first and leave the working copy as soon as they
// are found, so rows redundant only through each other are not all
// dropped; rows 1..i-1 keep their numbers while row i is tested.
using RowTest = dd_boolean (*)(dd_MatrixPtr, dd_rowrange, dd_Arow,
                               dd_ErrorType *);

dd_rowset remove_rows_by(RowTest test, dd_MatrixPtr M, dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  *error = dd_NoError;
  if (M == nullptr) {
    *error = dd_EmptyRepresentation;
    return nullptr;
  }
  const dd_rowrange m = M->rowsize;
  dd_rowset redset = nullptr;
  set_initialize(&redset, m);
  // Without columns every row reads 0 >= 0 and no LP can be formed.
  if (m <= 0 || M->colsize <= 0) return redset;

  zonix::Set result(redset);
  zonix::Matrix Mcopy = zonix::lp::normalised(M);
  zonix::Arow cvec = zonix::make_arow(certificate_size(M));
  if (!cvec) throw std::bad_alloc();
  for (dd_rowrange i = m; i >= 1; --i) {
    const dd_boolean found = test(Mcopy.get(), i, cvec.get(), error);
    if (found) {
      set_addelem(redset, i);
      dd_matrixdata *raw = Mcopy.release();
      dd_MatrixRowRemove(&raw, i);
      Mcopy.reset(raw);
    }
    if constexpr (kTraceRows)
      dd_Printf(stderr, "row %ld is %s\n", i, found ? "redundant" : "essential");
    if (*error != dd_NoError) break;
  }
  return result.release();
}

// Face by face: row i forced to equality, and the rows still essential on
// that face are its neighbours.
dd_SetFamilyPtr adjacency_by(RowTest test, dd_MatrixPtr M, dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  if (M == nullptr || M->rowsize <= 0 || M->colsize <= 0) {
    *error = dd_EmptyRepresentation;
    return nullptr;
  }
  *error = dd_NoError;
  const dd_rowrange m = M->rowsize;
  zonix::Matrix Mcopy = zonix::lp::normalised(M);
  zonix::SetFamily F = zonix::make_set_family(m, m);
  for (dd_rowrange i = 1; i <= m; ++i) {
    if (set_member(i, M->linset)) continue;
    set_addelem(Mcopy->linset, i);
    zonix::Set red(remove_rows_by(test, Mcopy.get(), error));
    if (!red) throw std::bad_alloc();
    set_uni(red.get(), red.get(), Mcopy->linset);
    set_compl(F->set[i - 1], red.get());
    set_delelem(Mcopy->linset, i);
    if (*error != dd_NoError) break;
  }
  return F.release();
}

}  // namespace

extern "C" {

dd_LPPtr dd_CreateLP_H_Redundancy(dd_MatrixPtr M, dd_rowrange itest)
{
  if (!row_in_range(M, itest)) return nullptr;
  dd_LPPtr lp = frame_lp(M, itest, 0);
  if (lp == nullptr) return nullptr;
  const dd_rowrange m = M->rowsize;
  // The Homogeneous flag follows the rule of dd_Matrix2LP, last row unread.
  lp->Homogeneous = dd_TRUE;
  for (dd_rowrange i = 1; i < m; ++i)
    if (M->colsize > 0 && dd_Nonzero(M->matrix[i - 1][0]))
      lp->Homogeneous = dd_FALSE;
  // Relaxing row itest by 1 keeps the minimum at -1 or above: the LP stays
  // bounded whether or not the row is implied.
  if (M->colsize > 0)
    ddd_add(lp->A[itest - 1][0], lp->A[itest - 1][0], dd_one);
  return lp;
}

dd_LPPtr dd_CreateLP_V_Redundancy(dd_MatrixPtr M, dd_rowrange itest)
{
  if (!row_in_range(M, itest)) return nullptr;
  dd_LPPtr lp = frame_lp(M, itest, 1);
  if (lp == nullptr) return nullptr;
  lp->Homogeneous = dd_FALSE;
  // The new constant column carries only the relaxation g_itest.z >= -1.
  ddd_set(lp->A[itest - 1][0], dd_one);
  return lp;
}

dd_LPPtr dd_CreateLP_V_SRedundancy(dd_MatrixPtr M, dd_rowrange itest)
{
  if (!row_in_range(M, itest)) return nullptr;
  const dd_rowrange m = M->rowsize;
  const dd_colrange c = M->colsize;
  const dd_rowrange linc = set_card(M->linset);
  dd_LPPtr lp = dd_CreateLPData(dd_LPmax, M->numbtype, m + linc + 3, c + 1);
  if (lp == nullptr) return nullptr;
  lp->Homogeneous = dd_FALSE;
  // The tested row joins the equations without being counted in eqnumber.
  lp->eqnumber = linc;
  dd_rowrange irev = m;
  for (dd_rowrange i = 1; i <= m; ++i) {
    put_row(lp, i, 1, M, i, false);
    if (set_member(i, M->linset) || i == itest) {
      set_addelem(lp->equalityset, i);
      put_row(lp, ++irev, 1, M, i, true);
    }
  }
  // s = sum of all generators: row m+linc+2 is 1 - s.z >= 0, the objective
  // s.z.
  const dd_rowrange cap = m + linc + 2;
  const dd_rowrange obj = m + linc + 3;
  for (dd_colrange j = 0; j < c; ++j) {
    mytype s;
    ddd_init(s);
    for (dd_rowrange i = 1; i <= m; ++i) ddd_add(s, s, M->matrix[i - 1][j]);
    ddd_neg(lp->A[cap - 1][j + 1], s);
    ddd_set(lp->A[obj - 1][j + 1], s);
    ddd_clear(s);
  }
  ddd_set(lp->A[cap - 1][0], dd_one);
  return lp;
}

}  // extern "C"

dd_boolean zonix::lp::redundant_row(dd_MatrixPtr M, dd_rowrange itest,
                                   dd_Arow certificate, dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  if (!testable(M, itest, error)) return dd_FALSE;
  zonix::LP lp(redundancy_lp(M, itest));
  dd_ErrorType err = dd_NoError;
  dd_LPSolve(lp.get(), dd_DualSimplex, &err);
  if (err != dd_NoError) {
    *error = err;
    return dd_FALSE;
  }
  copy_certificate(certificate, lp.get());
  // The relaxation keeps the LP bounded, and the minimum is nonnegative
  // exactly when the others imply row itest.
  return zonix::lp::not_implied(lp.get()) ? dd_FALSE : dd_TRUE;
}

namespace {

using zonix::lp::redundant_row;

dd_boolean sredundant_row(dd_MatrixPtr M, dd_rowrange itest,
                          dd_Arow certificate, dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  if (!testable(M, itest, error)) return dd_FALSE;
  dd_ErrorType err = dd_NoError;
  {
    zonix::LP lp(redundancy_lp(M, itest));
    dd_LPSolve(lp.get(), dd_DualSimplex, &err);
    if (err != dd_NoError) {
      *error = err;
      return dd_FALSE;
    }
    copy_certificate(certificate, lp.get());
    // An inequality whose minimum stays positive never reaches its
    // hyperplane on the polyhedron.  Any matrix not marked as generators
    // is read as inequalities here, as by every other test.
    if (!is_generator(M)) return dd_Positive(lp->optvalue);
    if (dd_Negative(lp->optvalue)) return dd_FALSE;
  }
  // A redundant generator is strongly redundant when no valid z that
  // vanishes on it is positive on any generator.
  zonix::LP lp2(dd_CreateLP_V_SRedundancy(M, itest));
  dd_LPSolve(lp2.get(), dd_DualSimplex, &err);
  if (err != dd_NoError) {
    *error = err;
    return dd_FALSE;
  }
  return dd_Positive(lp2->optvalue) ? dd_FALSE : dd_TRUE;
}

dd_boolean implicit_row(dd_MatrixPtr M, dd_rowrange itest,
                        dd_Arow certificate, dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  if (!testable(M, itest, error)) return dd_FALSE;
  zonix::LP lp(redundancy_lp(M, itest));
  // The largest value of row itest, rather than the smallest: 0 means the
  // row is tight wherever the others hold.
  lp->objective = dd_LPmax;
  dd_ErrorType err = dd_NoError;
  dd_LPSolve(lp.get(), dd_DualSimplex, &err);
  if (err != dd_NoError) {
    *error = err;
    return dd_FALSE;
  }
  copy_certificate(certificate, lp.get());
  return lp->LPS == dd_Optimal && dd_EqualToZero(lp->optvalue)
             ? dd_TRUE
             : dd_FALSE;
}

dd_rowset implicit_rows(dd_MatrixPtr M, dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  *error = dd_NoError;
  if (M == nullptr) {
    *error = dd_EmptyRepresentation;
    return nullptr;
  }
  const dd_rowrange m = M->rowsize;
  zonix::Set set = zonix::make_set(m);
  if (m <= 0 || M->colsize <= 0) return set.release();
  zonix::Matrix N = zonix::lp::normalised(M);
  zonix::Arow cvec = zonix::make_arow(certificate_size(M));
  if (!cvec) throw std::bad_alloc();
  // Each row against all the others: nothing leaves the matrix, since a
  // pair x <= c, x >= c must be found on both sides.
  for (dd_rowrange i = m; i >= 1; --i) {
    if (implicit_row(N.get(), i, cvec.get(), error)) set_addelem(set.get(), i);
    if (*error != dd_NoError) break;
  }
  return set.release();
}

// Runs f, turning an allocation failure into dd_OutOfMemory and `failed`.
template <class F, class R>
R guarded(dd_ErrorType *error, R failed, F f)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  try {
    return f(error);
  } catch (const std::bad_alloc &) {
    *error = dd_OutOfMemory;
    return failed;
  }
}

// A single test on a normalised copy of M.
dd_boolean single(RowTest test, dd_MatrixPtr M, dd_rowrange itest, dd_Arow certificate, dd_ErrorType *error)
{
  return guarded(error, dd_boolean(dd_FALSE), [&](dd_ErrorType *e) -> dd_boolean {
    if (!testable(M, itest, e)) return dd_FALSE;
    zonix::Matrix N = zonix::lp::normalised(M);
    return test(N.get(), itest, certificate, e);
  });
}

}  // namespace

extern "C" {

dd_boolean dd_Redundant(dd_MatrixPtr M, dd_rowrange itest, dd_Arow certificate,
                        dd_ErrorType *error)
{
  return single(redundant_row, M, itest, certificate, error);
}

dd_rowset dd_RedundantRows(dd_MatrixPtr M, dd_ErrorType *error)
{
  return guarded(error, dd_rowset(nullptr), [&](dd_ErrorType *e) { return remove_rows_by(redundant_row, M, e); });
}

dd_boolean dd_SRedundant(dd_MatrixPtr M, dd_rowrange itest,
                         dd_Arow certificate, dd_ErrorType *error)
{
  return single(sredundant_row, M, itest, certificate, error);
}

dd_rowset dd_SRedundantRows(dd_MatrixPtr M, dd_ErrorType *error)
{
  return guarded(error, dd_rowset(nullptr), [&](dd_ErrorType *e) { return remove_rows_by(sredundant_row, M, e); });
}

dd_boolean dd_ImplicitLinearity(dd_MatrixPtr M, dd_rowrange itest,
                                dd_Arow certificate, dd_ErrorType *error)
{
  return single(implicit_row, M, itest, certificate, error);
}

dd_rowset dd_ImplicitLinearityRows(dd_MatrixPtr M, dd_ErrorType *error)
{
  return guarded(error, dd_rowset(nullptr), [&](dd_ErrorType *e) { return implicit_rows(M, e); });
}

dd_SetFamilyPtr dd_Matrix2Adjacency(dd_MatrixPtr M, dd_ErrorType *error)
{
  return guarded(error, dd_SetFamilyPtr(nullptr), [&](dd_ErrorType *e) { return adjacency_by(redundant_row, M, e); });
}

dd_SetFamilyPtr dd_Matrix2WeakAdjacency(dd_MatrixPtr M, dd_ErrorType *error)
{
  return guarded(error, dd_SetFamilyPtr(nullptr), [&](dd_ErrorType *e) { return adjacency_by(sredundant_row, M, e); });
}

}  // extern "C"
