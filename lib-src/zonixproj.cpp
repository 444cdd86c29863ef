// Projection of H-representations: Fourier-Motzkin elimination of the last
// variable, and block elimination through the cone of multipliers.
#include <algorithm>
#include <limits>
#include <vector>

#include <unistd.h>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixio.h"
#include "zonixlp.h"
#include "zonixproj.h"
#include "zonixhandles.hpp"

namespace {

double physical_memory()
{
  const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || size <= 0) return 1e18;
  return static_cast<double>(pages) * static_cast<double>(size);
}

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
  // Refused before anything grows: row counts are 32-bit, and the rows
  // must fit in half the machine's memory.
  const double bytes = rows * static_cast<double>(d - 1) * static_cast<double>(sizeof(mytype) + 8);
  if (rows > static_cast<double>(std::numeric_limits<dd_rowrange>::max()) ||
      bytes > 0.5 * physical_memory()) {
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
    dd_ReportRowProgress("elimination", r, static_cast<long>(rows), r);
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

namespace zonix::proj {
namespace {

// The given rows and columns (0-based) of M, in the given order, with
// their equation marks.
Matrix take(dd_MatrixPtr M, const std::vector<dd_rowrange> &rows,
            const std::vector<dd_colrange> &cols)
{
  Matrix R(dd_CreateMatrix(static_cast<dd_rowrange>(rows.size()),
                           static_cast<dd_colrange>(cols.size())));
  if (R == nullptr) return R;
  R->representation = dd_Inequality;
  R->numbtype = M->numbtype;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (set_member(rows[i] + 1, M->linset)) set_addelem(R->linset, static_cast<long>(i + 1));
    for (size_t j = 0; j < cols.size(); ++j) ddd_set(R->matrix[i][j], M->matrix[rows[i]][cols[j]]);
  }
  return R;
}

std::vector<dd_rowrange> all_rows(dd_MatrixPtr M)
{
  std::vector<dd_rowrange> rows(static_cast<size_t>(M->rowsize));
  for (dd_rowrange i = 0; i < M->rowsize; ++i) rows[i] = i;
  return rows;
}

std::vector<dd_colrange> all_columns(dd_MatrixPtr M)
{
  std::vector<dd_colrange> cols(static_cast<size_t>(M->colsize));
  for (dd_colrange j = 0; j < M->colsize; ++j) cols[j] = j;
  return cols;
}

// r := |x| exactly.
void magnitude(mytype r, const mytype x)
{
  if (ddd_sgn(x) < 0)
    ddd_neg(r, x);
  else
    ddd_set(r, x);
}

// Each eliminated variable that occurs in an equation is solved from it
// and substituted into every other row; that equation is dropped, and the
// variable's column is left all zero.
Matrix substituted(dd_MatrixPtr M0, const std::vector<dd_colrange> &del)
{
  Matrix M = take(M0, all_rows(M0), all_columns(M0));
  if (M == nullptr) return M;
  std::vector<bool> used(static_cast<size_t>(M->rowsize), false);
  mytype f, a, b;
  ddd_init(f);
  ddd_init(a);
  ddd_init(b);
  for (dd_colrange c : del) {
    dd_rowrange e = -1;  // the equation with the largest coefficient
    for (dd_rowrange i = 0; i < M->rowsize; ++i) {
      if (used[i] || !set_member(i + 1, M->linset) || !dd_Nonzero(M->matrix[i][c - 1])) continue;
      if (e >= 0) {
        magnitude(a, M->matrix[i][c - 1]);
        magnitude(b, M->matrix[e][c - 1]);
      }
      if (e < 0 || ddd_cmp(a, b) > 0) e = i;
    }
    if (e < 0) continue;
    used[e] = true;
    for (dd_rowrange i = 0; i < M->rowsize; ++i) {
      if (i == e) continue;
      ddd_div(f, M->matrix[i][c - 1], M->matrix[e][c - 1]);
      ddd_neg(f, f);
      for (dd_colrange j = 0; j < M->colsize; ++j)
        dd_LinearComb(M->matrix[i][j], M->matrix[i][j], dd_one, M->matrix[e][j], f);
      ddd_set_si(M->matrix[i][c - 1], 0);
    }
  }
  ddd_clear(f);
  ddd_clear(a);
  ddd_clear(b);
  // A repeated equation is left as 0 = 0, which says nothing.
  auto void_equation = [&](dd_rowrange i) {
    if (!set_member(i + 1, M->linset)) return false;
    for (dd_colrange j = 0; j < M->colsize; ++j)
      if (dd_Nonzero(M->matrix[i][j])) return false;
    return true;
  };
  std::vector<dd_rowrange> keep;
  for (dd_rowrange i = 0; i < M->rowsize; ++i)
    if (!used[i] && !void_equation(i)) keep.push_back(i);
  return take(M.get(), keep, all_columns(M.get()));
}

// M without its redundant rows (equations always stay).
Matrix reduced(Matrix M, dd_ErrorType *err)
{
  const Set red(dd_RedundantRowsWith(M.get(), dd_RedundancyAuto, err));
  if (*err != dd_NoError) return Matrix();
  return Matrix(dd_MatrixSubmatrix(M.get(), red.get()));
}

// Fourier-Motzkin takes no equations and only the last column: the
// equations (which no longer hold an eliminated variable) are set aside
// and each eliminated column is moved last in turn.
Matrix fourier(dd_MatrixPtr M, const std::vector<dd_colrange> &del, bool reduce,
               dd_ErrorType *err)
{
  std::vector<dd_rowrange> ineq, eq;
  for (dd_rowrange i = 0; i < M->rowsize; ++i)
    (set_member(i + 1, M->linset) ? eq : ineq).push_back(i);
  std::vector<dd_colrange> ids(static_cast<size_t>(M->colsize));  // columns of M
  for (dd_colrange j = 0; j < M->colsize; ++j) ids[j] = j + 1;
  Matrix P = take(M, ineq, all_columns(M));
  for (dd_colrange c : del) {
    if (P == nullptr) break;
    std::vector<dd_colrange> perm, left;
    for (size_t j = 0; j < ids.size(); ++j)
      if (ids[j] != c) {
        perm.push_back(static_cast<dd_colrange>(j));
        left.push_back(ids[j]);
      }
    for (size_t j = 0; j < ids.size(); ++j)
      if (ids[j] == c) perm.push_back(static_cast<dd_colrange>(j));
    const Matrix moved = take(P.get(), all_rows(P.get()), perm);
    if (moved == nullptr) return Matrix();
    P.reset(dd_FourierElimination(moved.get(), err));
    if (*err != dd_NoError) return Matrix();
    // Reduced at every step: unreduced, the rows multiply with each one.
    if (reduce && P != nullptr) P = reduced(std::move(P), err);
    if (*err != dd_NoError) return Matrix();
    ids = left;
  }
  std::vector<dd_colrange> kept;
  for (dd_colrange j = 0; j < M->colsize; ++j)
    if (std::find(del.begin(), del.end(), j + 1) == del.end()) kept.push_back(j);
  const Matrix E = take(M, eq, kept);
  if (P == nullptr || E == nullptr) return Matrix();
  Matrix R(dd_MatrixAppend(P.get(), E.get()));
  if (R != nullptr) R->representation = dd_Inequality;
  return R;
}

// R without its inequalities b >= 0 that hold everywhere (no variable).
Matrix without_constants(Matrix R)
{
  const Set drop(make_set(R->rowsize));
  for (dd_rowrange i = 0; i < R->rowsize; ++i) {
    bool constant = !set_member(i + 1, R->linset) && !dd_Negative(R->matrix[i][0]);
    for (dd_colrange j = 1; j < R->colsize && constant; ++j) constant = !dd_Nonzero(R->matrix[i][j]);
    if (constant) set_addelem(drop.get(), i + 1);
  }
  return Matrix(dd_MatrixSubmatrix(R.get(), drop.get()));
}

// The generators of M with their kept coordinates, and the inequalities
// of those: the projection without a redundant row but 1 >= 0, which
// the final reduction drops.  An empty M projects to the row -1 >= 0.
Matrix through_vertices(dd_MatrixPtr M, const std::vector<dd_colrange> &del, dd_ErrorType *err)
{
  std::vector<dd_colrange> kept;
  for (dd_colrange j = 0; j < M->colsize; ++j)
    if (std::find(del.begin(), del.end(), j + 1) == del.end()) kept.push_back(j);
  Matrix G;
  {
    const Polyhedra P(dd_DDMatrix2Poly(M, err));
    if (*err != dd_NoError) return Matrix();
    G.reset(dd_CopyGenerators(P.get()));
  }
  if (G == nullptr) {
    *err = dd_NumericallyInconsistent;
    return Matrix();
  }
  if (G->rowsize == 0) {
    Matrix E(dd_CreateMatrix(1, static_cast<dd_colrange>(kept.size())));
    if (E == nullptr) return E;
    E->representation = dd_Inequality;
    E->numbtype = M->numbtype;
    ddd_set_si(E->matrix[0][0], -1);
    return E;
  }
  Matrix Gp = take(G.get(), all_rows(G.get()), kept);
  if (Gp == nullptr) return Gp;
  Gp->representation = dd_Generator;
  const Polyhedra Q(dd_DDMatrix2Poly(Gp.get(), err));
  if (*err != dd_NoError) return Matrix();
  Matrix H(dd_CopyInequalities(Q.get()));
  if (H == nullptr) {
    *err = dd_NumericallyInconsistent;
    return H;
  }
  H->representation = dd_Inequality;
  // M's equations (free of the eliminated variables once substituted)
  // rather than the conversion's, when they are as many: the same
  // affine hull, in the rows the caller wrote.
  std::vector<dd_rowrange> ineq, eq;
  for (dd_rowrange i = 0; i < H->rowsize; ++i)
    if (!set_member(i + 1, H->linset)) ineq.push_back(i);
  for (dd_rowrange i = 0; i < M->rowsize; ++i)
    if (set_member(i + 1, M->linset)) eq.push_back(i);
  if (eq.empty() || static_cast<size_t>(set_card(H->linset)) != eq.size()) return H;
  const Matrix A = take(H.get(), ineq, all_columns(H.get()));
  const Matrix E = take(M, eq, kept);
  if (A == nullptr || E == nullptr) return Matrix();
  Matrix R(dd_MatrixAppend(A.get(), E.get()));
  if (R != nullptr) R->representation = dd_Inequality;
  return R;
}

}  // namespace

Method choose(dd_MatrixPtr M, const std::vector<dd_colrange> &del, Method asked)
{
  if (asked != Method::Auto) return asked;
  // Generators of a few dozen rows in ten dimensions number thousands at
  // most, where block elimination makes tens of thousands of rows.
  constexpr dd_rowrange kVertexRows = 80;
  constexpr dd_colrange kVertexCols = 13;
  if (M->rowsize <= kVertexRows && M->colsize <= kVertexCols) return Method::Vertices;
  if (del.size() <= 2 && set_card(M->linset) == 0) return Method::Fourier;
  return Method::Block;
}

dd_MatrixPtr project_h(dd_MatrixPtr M, const std::vector<dd_colrange> &del, bool use_fourier,
                       bool substitute, bool reduce, dd_ErrorType *err)
{
  return project_h(M, del, use_fourier ? Method::Fourier : Method::Block, substitute, reduce, err);
}

dd_MatrixPtr project_h(dd_MatrixPtr M, const std::vector<dd_colrange> &del, Method method,
                       bool substitute, bool reduce, dd_ErrorType *err)
{
  *err = dd_NoError;
  Matrix S = substitute ? substituted(M, del) : take(M, all_rows(M), all_columns(M));
  if (S == nullptr) {
    *err = dd_OutOfMemory;
    return nullptr;
  }
  Matrix R;
  method = choose(S.get(), del, method);
  if (method == Method::Vertices) {
    R = through_vertices(S.get(), del, err);
  } else if (method == Method::Fourier) {
    R = fourier(S.get(), del, reduce, err);
  } else {
    const Set delset(make_set(S->colsize));
    for (dd_colrange c : del) set_addelem(delset.get(), c);
    R.reset(dd_BlockElimination(S.get(), delset.get(), err));
  }
  if (*err == dd_NoError && R != nullptr && reduce) {
    // The facets of a conversion are irredundant already: only 1 >= 0
    // (the far side of an unbounded projection) is left to drop.
    R = method == Method::Vertices ? without_constants(std::move(R)) : reduced(std::move(R), err);
  }
  if (*err == dd_NoError && R == nullptr) *err = dd_OutOfMemory;
  return *err == dd_NoError ? R.release() : nullptr;
}

}  // namespace zonix::proj
