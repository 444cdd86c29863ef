// Projection of H-representations: Fourier-Motzkin elimination of the last
// variable, and block elimination through the cone of multipliers.
#include <limits>
#include <vector>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixio.h"
#include "zonixproj.h"

namespace {

dd_rowrange linearity_count(dd_MatrixPtr M)
{
  dd_rowrange k = 0;
  for (dd_rowrange i = 1; i <= M->rowsize; ++i)
    if (set_member(i, M->linset)) ++k;
  return k;
}

}  // namespace

extern "C" {

dd_MatrixPtr dd_FourierElimination(dd_MatrixPtr M, dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  *error = dd_NoError;
  if (M == nullptr) {
    *error = dd_EmptyRepresentation;
    return nullptr;
  }
  const dd_rowrange m = M->rowsize;
  const dd_colrange d = M->colsize;
  if (d <= 1) {
    *error = dd_ColIndexOutOfRange;
    return nullptr;
  }
  if (M->representation == dd_Generator) {
    *error = dd_NotAvailForV;
    return nullptr;
  }
  if (linearity_count(M) > 0) {
    *error = dd_CannotHandleLinearity;
    return nullptr;
  }

  std::vector<dd_rowrange> pos, neg, zero;
  for (dd_rowrange i = 0; i < m; ++i) {
    const mytype &last = M->matrix[i][d - 1];
    if (dd_Positive(last))
      pos.push_back(i);
    else if (dd_Negative(last))
      neg.push_back(i);
    else
      zero.push_back(i);
  }
  // Row counts are 32-bit: more combinations than that cannot be stored.
  const double rows = static_cast<double>(zero.size()) +
                      static_cast<double>(pos.size()) * static_cast<double>(neg.size());
  if (rows > static_cast<double>(std::numeric_limits<dd_rowrange>::max())) {
    *error = dd_OutOfMemory;
    return nullptr;
  }
  dd_MatrixPtr R = dd_CreateMatrix(static_cast<dd_rowrange>(rows), d - 1);
  if (R == nullptr) {
    *error = dd_OutOfMemory;
    return nullptr;
  }
  R->representation = M->representation;
  R->numbtype = M->numbtype;
  R->objective = M->objective;
  dd_CopyArow(R->rowvec, M->rowvec, d - 1);

  dd_rowrange r = 0;
  for (dd_rowrange i : zero) dd_CopyArow(R->matrix[r++], M->matrix[i], d - 1);
  mytype t;
  ddd_init(t);
  for (dd_rowrange p : pos) {
    if (dd_CancelRequested()) {
      ddd_clear(t);
      dd_FreeMatrix(R);
      *error = dd_Interrupted;
      return nullptr;
    }
    for (dd_rowrange n : neg) {
      // Multipliers -a_n and a_p cancel the last entry; both positive.
      ddd_neg(t, M->matrix[n][d - 1]);
      dd_Arow row = R->matrix[r++];
      for (dd_colrange j = 0; j < d - 1; ++j)
        dd_LinearComb(row[j], M->matrix[p][j], t, M->matrix[n][j],
                      M->matrix[p][d - 1]);
      dd_Normalize(d - 1, row);
    }
  }
  ddd_clear(t);
  return R;
}

dd_MatrixPtr dd_BlockElimination(dd_MatrixPtr M, dd_colset delset,
                                 dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  *error = dd_NoError;
  if (M == nullptr || delset == nullptr) {
    *error = dd_EmptyRepresentation;
    return nullptr;
  }
  if (M->representation == dd_Generator) {
    *error = dd_NotAvailForV;
    return nullptr;
  }
  const dd_rowrange m = M->rowsize;
  const dd_colrange d = M->colsize;
  std::vector<dd_colrange> del;
  const long ground = set_groundsize(delset);
  for (long j = 1; j <= ground; ++j) {
    if (!set_member(j, delset)) continue;
    // The homogenising column is no variable, and a column beyond d does
    // not exist: either would make the result meaningless.
    if (j < 2 || j > d) {
      *error = dd_ColIndexOutOfRange;
      return nullptr;
    }
    del.push_back(j);
  }
  const auto delsize = static_cast<dd_rowrange>(del.size());

  // The cone of multipliers y (column j+1 of Mdual holds y_j): y^T M is
  // zero on the deleted columns, and y_j >= 0 for every inequality row.
  const dd_rowrange mdual = delsize + m - linearity_count(M);
  dd_MatrixPtr Mdual = dd_CreateMatrix(mdual, m + 1);
  Mdual->representation = dd_Inequality;
  Mdual->numbtype = M->numbtype;
  for (dd_rowrange k = 0; k < delsize; ++k) {
    set_addelem(Mdual->linset, k + 1);
    for (dd_rowrange j = 0; j < m; ++j)
      ddd_set(Mdual->matrix[k][j + 1], M->matrix[j][del[k] - 1]);
  }
  dd_rowrange row = delsize;
  for (dd_rowrange j = 0; j < m; ++j)
    if (!set_member(j + 1, M->linset)) ddd_set(Mdual->matrix[row++][j + 1], dd_one);

  dd_PolyhedraPtr dual = dd_DDMatrix2Poly(Mdual, error);
  dd_MatrixPtr G = dd_CopyGenerators(dual);
  dd_MatrixPtr R = nullptr;
  if (G != nullptr) {
    std::vector<dd_colrange> kept;
    for (dd_colrange h = 1; h <= d; ++h)
      if (!set_member(h, delset)) kept.push_back(h);
    R = dd_CreateMatrix(G->rowsize, static_cast<dd_colrange>(kept.size()));
    R->representation = dd_Inequality;
    R->numbtype = M->numbtype;
    mytype prod;
    ddd_init(prod);
    for (dd_rowrange i = 0; i < G->rowsize; ++i) {
      if (set_member(i + 1, G->linset)) set_addelem(R->linset, i + 1);
      for (std::size_t c = 0; c < kept.size(); ++c) {
        mytype sum;
        ddd_init(sum);
        for (dd_rowrange j = 0; j < m; ++j) {
          ddd_mul(prod, M->matrix[j][kept[c] - 1], G->matrix[i][j + 1]);
          ddd_add(sum, sum, prod);
        }
        ddd_set(R->matrix[i][c], sum);
        ddd_clear(sum);
      }
    }
    ddd_clear(prod);
  }
  dd_FreeMatrix(G);
  dd_FreePolyhedra(dual);
  dd_FreeMatrix(Mdual);
  return R;
}

}  // extern "C"
