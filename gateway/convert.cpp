// zonix MEX gateway: MATLAB structs to library matrices and back, and the
// input checks that keep every read inside the arrays MATLAB gave us.
#include <cmath>
#include <cstdio>
#include <string>

#include "gateway.h"

namespace {

const char *running = "zonixmex";

bool two_dimensional(const mxArray *a)
{
  return mxGetNumberOfDimensions(a) <= 2;
}

}  // namespace

namespace gw {

const char *current_command() { return running; }
void set_current_command(const char *name) { running = name; }

void fail(const char *what, std::string message)
{
  throw Failure{std::string("zonix:") + running + ":" + what,
                std::move(message)};
}

void warn(const char *what, const char *message)
{
  // A stack buffer: nothing to free should the host turn the warning into
  // an error and leave the module.
  char id[160];
  std::snprintf(id, sizeof id, "zonix:%s:%s", running, what);
  mexWarnMsgIdAndTxt(id, "%s", message);
}

const mxArray *field(const mxArray *s, const char *name)
{
  // mxGetField does not check the element index: an empty struct array
  // would hand back garbage.
  if (!s || !mxIsStruct(s) || mxGetNumberOfElements(s) == 0) return nullptr;
  return mxGetField(s, 0, name);
}

void require_real_double(const mxArray *a, const char *name)
{
  if (mxIsDouble(a) && !mxIsComplex(a) && !mxIsSparse(a)) return;
  std::string kind;
  if (mxIsSparse(a)) kind += "sparse ";
  if (mxIsComplex(a)) kind += "complex ";
  kind += mxGetClassName(a);
  fail("fieldType", std::string("field ") + name +
                        " must be a real, full (non-sparse) double array, "
                        "not " + kind);
}

void require_finite(const mxArray *a, const char *name)
{
  const size_t rows = mxGetM(a);
  const size_t count = mxGetNumberOfElements(a);
  const double *x = mxGetPr(a);
  for (size_t k = 0; k < count; ++k) {
    if (std::isfinite(x[k])) continue;
    char where[160];
    std::snprintf(where, sizeof where, "; entry (%zu,%zu) is %s",
                  k % rows + 1, k / rows + 1,
                  std::isnan(x[k]) ? "NaN" : (x[k] > 0 ? "Inf" : "-Inf"));
    fail("nonFinite", std::string("field ") + name +
                          " must hold finite numbers only" + where);
  }
}

}  // namespace gw

namespace {

// Members of S among 1..limit, in increasing order, as a 1 x k double row.
mxArray *member_row(set_type S, long limit)
{
  mwSize count = 0;
  for (long e = 1; e <= limit; ++e)
    if (set_member(e, S)) ++count;
  mxArray *row = mxCreateDoubleMatrix(1, count, mxREAL);
  double *out = mxGetPr(row);
  for (long e = 1; e <= limit; ++e)
    if (set_member(e, S)) *out++ = static_cast<double>(e);
  return row;
}

// Accepted lin entries go into M's linset.  A missing lin, or one that is
// not a single row, means no equations.
void read_lin(const mxArray *s, dd_MatrixPtr M, mwSize m)
{
  const mxArray *lin = gw::field(s, "lin");
  if (!lin || !two_dimensional(lin) || mxGetM(lin) != 1) return;
  gw::require_real_double(lin, "lin");
  const double *v = mxGetPr(lin);
  const mwSize k = mxGetN(lin);
  for (mwSize i = 0; i < k; ++i) {
    // Compared before truncation, so 3.5 with three rows is out of range.
    // Written as !(v <= m) so that NaN is out of range too.
    if (!(v[i] <= static_cast<double>(m)))
      gw::warn("linOutOfRange", "Error in the lineality vector ");
    else if (v[i] >= 1.0)
      set_addelem(M->linset, static_cast<long>(v[i]));
  }
}

}  // namespace

dd_MatrixPtr PY_get_H_MatrixPtr(const mxArray *s)
{
  const mxArray *A = gw::field(s, "A");
  const mxArray *B = gw::field(s, "B");
  if (!A || !B) return nullptr;
  gw::require_real_double(A, "A");
  gw::require_real_double(B, "B");
  if (!two_dimensional(A) || !two_dimensional(B)) return nullptr;
  if (mxGetM(A) != mxGetM(B) || mxGetN(B) != 1) return nullptr;
  gw::require_finite(A, "A");
  gw::require_finite(B, "B");

  const mwSize m = mxGetM(A);
  const mwSize d = mxGetN(A);
  zonix::Matrix M = zonix::make_matrix(static_cast<dd_rowrange>(m),
                                       static_cast<dd_colrange>(d + 1));
  const double *a = mxGetPr(A);
  const double *b = mxGetPr(B);
  for (mwSize i = 0; i < m; ++i) {
    ddd_set_d(M->matrix[i][0], b[i]);
    for (mwSize j = 0; j < d; ++j)
      ddd_set_d(M->matrix[i][j + 1], -a[i + j * m]);
  }
  M->representation = dd_Inequality;
  M->numbtype = dd_Real;
  read_lin(s, M.get(), m);
  return M.release();
}

dd_MatrixPtr PY_get_V_MatrixPtr(const mxArray *s)
{
  const mxArray *V = gw::field(s, "V");
  if (!V) return nullptr;
  gw::require_real_double(V, "V");
  if (!two_dimensional(V)) return nullptr;

  const mwSize p = mxGetM(V);
  const mwSize d = mxGetN(V);
  const mxArray *R = gw::field(s, "R");
  mwSize q = 0;
  if (R) {
    gw::require_real_double(R, "R");
    if (two_dimensional(R)) q = mxGetM(R);
  }
  if (q > 0 && static_cast<mwSize>(mxGetN(R)) != d) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "field R must have as many columns as V (%zu), not %zu%s",
                  static_cast<size_t>(d), static_cast<size_t>(mxGetN(R)),
                  p == 0 ? "; for rays without points give V = zeros(0, d)"
                         : "");
    gw::fail("columnMismatch", text);
  }
  gw::require_finite(V, "V");
  if (q > 0) gw::require_finite(R, "R");

  zonix::Matrix M = zonix::make_matrix(static_cast<dd_rowrange>(p + q),
                                       static_cast<dd_colrange>(d + 1));
  const double *v = mxGetPr(V);
  for (mwSize i = 0; i < p; ++i) {
    ddd_set_si(M->matrix[i][0], 1);
    for (mwSize j = 0; j < d; ++j) ddd_set_d(M->matrix[i][j + 1], v[i + j * p]);
  }
  if (q > 0) {
    const double *r = mxGetPr(R);
    for (mwSize i = 0; i < q; ++i) {
      ddd_set_si(M->matrix[p + i][0], 0);
      for (mwSize j = 0; j < d; ++j)
        ddd_set_d(M->matrix[p + i][j + 1], r[i + j * q]);
    }
  }
  M->representation = dd_Generator;
  M->numbtype = dd_Real;
  return M.release();
}

mxArray *PY_set_H_MatrixPtr(dd_MatrixPtr M)
{
  if (!M || M->representation != dd_Inequality) return nullptr;
  const char *names[] = {"A", "B", "lin"};
  mxArray *s = mxCreateStructMatrix(1, 1, 3, names);
  const mwSize m = M->rowsize > 0 ? M->rowsize : 0;
  const mwSize d = M->colsize > 1 ? M->colsize - 1 : 0;

  if (set_card(M->linset) > 0)
    mxSetField(s, 0, "lin", member_row(M->linset, M->rowsize));

  mxArray *B = mxCreateDoubleMatrix(m, 1, mxREAL);
  mxArray *A = mxCreateDoubleMatrix(m, d, mxREAL);
  double *b = mxGetPr(B);
  double *a = mxGetPr(A);
  for (mwSize i = 0; i < m; ++i) {
    if (M->colsize > 0) b[i] = ddd_get_d(M->matrix[i][0]);
    // 0 - x rather than -x, so that zeros come back as 0 and not -0.
    for (mwSize j = 0; j < d; ++j)
      a[i + j * m] = 0.0 - ddd_get_d(M->matrix[i][j + 1]);
  }
  mxSetField(s, 0, "A", A);
  mxSetField(s, 0, "B", B);
  return s;
}

mxArray *PY_set_V_MatrixPtr(dd_MatrixPtr M)
{
  if (!M || M->representation != dd_Generator) return nullptr;
  const char *names[] = {"V", "R", "rpos", "vpos", "lin"};
  mxArray *s = mxCreateStructMatrix(1, 1, 5, names);
  if (set_card(M->linset) > 0) mxSetField(s, 0, "lin", PY_set_Set(M->linset));

  const mwSize rows = M->rowsize > 0 ? M->rowsize : 0;
  const mwSize d = M->colsize > 1 ? M->colsize - 1 : 0;
  const auto is_ray = [&](mwSize i) {
    return M->colsize > 0 && ddd_get_d(M->matrix[i][0]) == 0.0;
  };
  mwSize nR = 0;
  for (mwSize i = 0; i < rows; ++i)
    if (is_ray(i)) ++nR;
  const mwSize nV = rows - nR;

  mxArray *R = mxCreateDoubleMatrix(nR, d, mxREAL);
  mxArray *V = mxCreateDoubleMatrix(nV, d, mxREAL);
  mxArray *rpos = mxCreateDoubleMatrix(nR, 1, mxREAL);
  mxArray *vpos = mxCreateDoubleMatrix(nV, 1, mxREAL);
  double *r = mxGetPr(R);
  double *v = mxGetPr(V);
  double *rp = mxGetPr(rpos);
  double *vp = mxGetPr(vpos);
  mwSize ir = 0;
  mwSize iv = 0;
  for (mwSize i = 0; i < rows; ++i) {
    // Points keep their first entry: it is not divided out.
    if (is_ray(i)) {
      for (mwSize j = 0; j < d; ++j)
        r[ir + j * nR] = ddd_get_d(M->matrix[i][j + 1]);
      rp[ir++] = static_cast<double>(i + 1);
    } else {
      for (mwSize j = 0; j < d; ++j)
        v[iv + j * nV] = ddd_get_d(M->matrix[i][j + 1]);
      vp[iv++] = static_cast<double>(i + 1);
    }
  }
  mxSetField(s, 0, "V", V);
  mxSetField(s, 0, "R", R);
  mxSetField(s, 0, "vpos", vpos);
  mxSetField(s, 0, "rpos", rpos);
  return s;
}

mxArray *PY_set_SetFamilyPtr(dd_SetFamilyPtr F)
{
  if (!F) return nullptr;
  const mwSize n = F->famsize > 0 ? F->famsize : 0;
  mxArray *cells = mxCreateCellMatrix(n, 1);
  for (mwSize k = 0; k < n; ++k)
    mxSetCell(cells, k, member_row(F->set[k], F->setsize));
  return cells;
}

mxArray *PY_set_Set(set_type S)
{
  if (!S) return nullptr;
  return member_row(S, set_groundsize(S));
}
