// "project": eliminate variables of an H struct; "linearity" and
// "strong_redundancy": the implicit equations and the strongly redundant
// rows of an H or V struct.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "gateway.h"

namespace {

// The library column of each variable to eliminate (variable j is column
// j+1); the error badCols unless cols lists distinct variables 1..d.
std::vector<dd_colrange> eliminated_columns(const mxArray *cols, dd_colrange d)
{
  if (!mxIsDouble(cols) || mxIsComplex(cols) || mxIsSparse(cols))
    gw::fail("badCols", std::string("cols must hold real variable numbers "
                                    "(double), not ") + mxGetClassName(cols));
  if (mxIsEmpty(cols)) gw::fail("badCols", "cols must name at least one variable");
  if (mxGetNumberOfDimensions(cols) > 2 || (mxGetM(cols) != 1 && mxGetN(cols) != 1))
    gw::fail("badCols", "cols must be a vector of variable numbers");
  std::vector<bool> seen(static_cast<size_t>(d) + 1, false);
  std::vector<dd_colrange> out;
  const double *c = mxGetPr(cols);
  for (size_t k = 0; k < mxGetNumberOfElements(cols); ++k) {
    char text[160];
    if (!(c[k] >= 1 && c[k] <= d && c[k] == std::floor(c[k]))) {
      std::snprintf(text, sizeof text, "cols(%zu) = %g is not a variable number 1..%ld",
                    k + 1, c[k], static_cast<long>(d));
      gw::fail("badCols", text);
    }
    const auto j = static_cast<size_t>(c[k]);
    if (seen[j]) {
      std::snprintf(text, sizeof text, "cols(%zu) = %zu repeats a variable", k + 1, j);
      gw::fail("badCols", text);
    }
    seen[j] = true;
    out.push_back(static_cast<dd_colrange>(j + 1));
  }
  return out;
}

// The given rows and columns (0-based) of M, in the given order, with
// their equation marks.
zonix::Matrix take(dd_MatrixPtr M, const std::vector<dd_rowrange> &rows,
                   const std::vector<dd_colrange> &cols)
{
  zonix::Matrix R = zonix::make_matrix(static_cast<dd_rowrange>(rows.size()),
                                       static_cast<dd_colrange>(cols.size()));
  if (!R) gw::check(dd_OutOfMemory);
  R->representation = dd_Inequality;
  R->numbtype = M->numbtype;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (set_member(rows[i] + 1, M->linset)) set_addelem(R->linset, static_cast<long>(i + 1));
    for (size_t j = 0; j < cols.size(); ++j)
      ddd_set(R->matrix[i][j], M->matrix[rows[i]][cols[j]]);
  }
  return R;
}

std::vector<dd_rowrange> all_rows(dd_MatrixPtr M)
{
  std::vector<dd_rowrange> rows(static_cast<size_t>(M->rowsize));
  for (dd_rowrange i = 0; i < M->rowsize; ++i) rows[i] = i;
  return rows;
}

// Each eliminated variable that occurs in an equation is solved from it
// and substituted into every other row; that equation is dropped, and the
// variable's column is left all zero.
zonix::Matrix substitute(dd_MatrixPtr M, const std::vector<dd_colrange> &del)
{
  std::vector<bool> used(static_cast<size_t>(M->rowsize), false);
  mytype f;
  ddd_init(f);
  for (dd_colrange c : del) {
    dd_rowrange e = -1;  // the equation with the largest coefficient
    for (dd_rowrange i = 0; i < M->rowsize; ++i)
      if (!used[i] && set_member(i + 1, M->linset) && dd_Nonzero(M->matrix[i][c - 1]) &&
          (e < 0 || std::fabs(M->matrix[i][c - 1][0]) > std::fabs(M->matrix[e][c - 1][0])))
        e = i;
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
  std::vector<dd_colrange> cols(static_cast<size_t>(M->colsize));
  for (dd_colrange j = 0; j < M->colsize; ++j) cols[j] = j;
  return take(M, keep, cols);
}

// M without its redundant rows (equations always stay).
zonix::Matrix reduced(zonix::Matrix M)
{
  dd_ErrorType err = dd_NoError;
  zonix::Set red(dd_RedundantRows(M.get(), &err));
  gw::check(err);
  return zonix::Matrix(dd_MatrixSubmatrix(M.get(), red.get()));
}

zonix::Matrix block(dd_MatrixPtr M, const std::vector<dd_colrange> &del)
{
  // The multipliers' system has a row per eliminated column and per row.
  gw::require_room(static_cast<double>(del.size()) + M->rowsize, M->rowsize + 1.0);
  zonix::Set delset = zonix::make_set(M->colsize);
  for (dd_colrange c : del) set_addelem(delset.get(), c);
  dd_ErrorType err = dd_NoError;
  zonix::Matrix R(dd_BlockElimination(M, delset.get(), &err));
  gw::check(err);
  if (!R) gw::check(dd_OutOfMemory);
  return R;
}

// Fourier-Motzkin takes no equations and only the last column: the
// equations (which no longer hold an eliminated variable) are set aside
// and each eliminated column is moved last in turn.
zonix::Matrix fourier(dd_MatrixPtr M, const std::vector<dd_colrange> &del, bool reduce)
{
  std::vector<dd_rowrange> ineq, eq;
  for (dd_rowrange i = 0; i < M->rowsize; ++i)
    (set_member(i + 1, M->linset) ? eq : ineq).push_back(i);
  std::vector<dd_colrange> ids(static_cast<size_t>(M->colsize));  // columns of M
  for (dd_colrange j = 0; j < M->colsize; ++j) ids[j] = j + 1;
  std::vector<dd_colrange> order(ids.size());
  for (size_t j = 0; j < ids.size(); ++j) order[j] = static_cast<dd_colrange>(j);
  zonix::Matrix P = take(M, ineq, order);
  for (dd_colrange c : del) {
    std::vector<dd_colrange> perm, left;
    for (size_t j = 0; j < ids.size(); ++j)
      if (ids[j] != c) {
        perm.push_back(static_cast<dd_colrange>(j));
        left.push_back(ids[j]);
      }
    for (size_t j = 0; j < ids.size(); ++j)
      if (ids[j] == c) perm.push_back(static_cast<dd_colrange>(j));
    zonix::Matrix moved = take(P.get(), all_rows(P.get()), perm);
    dd_ErrorType err = dd_NoError;
    P.reset(dd_FourierElimination(moved.get(), &err));
    gw::check(err);
    if (!P) gw::check(dd_OutOfMemory);
    // Reduced at every step: unreduced, the rows multiply with each one.
    if (reduce) P = reduced(std::move(P));
    ids = left;
  }
  std::vector<dd_colrange> kept;
  for (dd_colrange j = 0; j < M->colsize; ++j)
    if (std::find(del.begin(), del.end(), j + 1) == del.end()) kept.push_back(j);
  zonix::Matrix E = take(M, eq, kept);
  zonix::Matrix R(dd_MatrixAppend(P.get(), E.get()));
  if (!R) gw::check(dd_OutOfMemory);
  R->representation = dd_Inequality;
  return R;
}

}  // namespace

void project(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "project expects an H input struct and a vector of variable numbers "
      "and produces an H output struct";
  gw::check_call(nlhs, nrhs, prhs, 2, 0, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::H, usage);
  const std::vector<dd_colrange> del = eliminated_columns(prhs[1], M->colsize - 1);
  zonix::Matrix S = substitute(M.get(), del);
  const gw::Options &opt = gw::options();
  zonix::Matrix R = opt.fourier ? fourier(S.get(), del, opt.reduce) : block(S.get(), del);
  if (opt.reduce) R = reduced(std::move(R));
  plhs[0] = PY_set_H_MatrixPtr(R.get());
}

void linearity(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "linearity expects an H or V input struct and produces a row vector "
      "of its implicit linearity rows";
  gw::check_call(nlhs, nrhs, prhs, 1, 0, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::Either, usage);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  zonix::Set L(zonix::row_query(M.get(), zonix::RowQuery::ImplicitLinearity,
                                gw::options().arithmetic, &err, &exact));
  gw::check(err);
  plhs[0] = PY_set_Set(L.get());
}

void strong_redundancy(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "strong_redundancy expects an H or V input struct and produces a row "
      "vector of its strongly redundant rows and an optional weak adjacency "
      "cell array";
  gw::check_call(nlhs, nrhs, prhs, 1, 0, 2, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::Either, usage);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  zonix::Set S(zonix::row_query(M.get(), zonix::RowQuery::StronglyRedundant,
                                gw::options().arithmetic, &err, &exact));
  gw::check(err);
  zonix::SetFamily W;
  if (nlhs == 2) {
    W.reset(dd_Matrix2WeakAdjacency(M.get(), &err));
    gw::check(err);
  }
  plhs[0] = PY_set_Set(S.get());
  if (nlhs == 2) plhs[1] = PY_set_SetFamilyPtr(W.get());
}
