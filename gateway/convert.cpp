// zonix MEX gateway: MATLAB structs to library matrices and back, and the
// input checks that keep every read inside the arrays MATLAB gave us.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "gateway.h"
#include "zonixops.hpp"

namespace {

bool two_dimensional(const mxArray *a)
{
  return mxGetNumberOfDimensions(a) <= 2;
}

// Bytes of a library matrix of rows x cols (one row at least, as made).
double matrix_bytes(double rows, double cols)
{
  return sizeof(double) * (rows + 1) * (cols + 1);
}

}  // namespace

namespace gw {

const mxArray *field(const mxArray *s, const char *name)
{
  if (!s || !mxIsStruct(s)) return nullptr;
  if (mxGetNumberOfElements(s) != 1) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "the struct must be 1x1, not a %zux%zu struct array",
                  static_cast<size_t>(mxGetM(s)), static_cast<size_t>(mxGetN(s)));
    fail("structArray", text);
  }
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

void require_room(double rows, double cols)
{
  require_bytes(zonix::ops::least_storage(rows, cols), rows, cols);
}

void require_bytes(double need, double rows, double cols)
{
  const double room = zonix::ops::room_left();
  if (need <= room) return;
  char text[200];
  std::snprintf(text, sizeof text,
                "out of memory: a %.0f x %.0f system needs at least %.3g GB, "
                "%.3g GB can be had", rows, cols, need / 1e9,
                std::max(room, 0.0) / 1e9);
  fail("outOfMemory", text);
}

namespace {

std::string shape(const mxArray *a)
{
  std::string out;
  const mwSize n = mxGetNumberOfDimensions(a);
  const mwSize *dims = mxGetDimensions(a);
  for (mwSize k = 0; k < n; ++k)
    out += (k ? "x" : "") + std::to_string(static_cast<unsigned long long>(dims[k]));
  return out;
}

// "field X is missing", naming a field that differs only in case, since
// that is the usual slip.
std::string missing(const mxArray *s, const char *name)
{
  std::string text = std::string("field ") + name + " is missing";
  const std::string want = name;
  for (int k = 0; k < mxGetNumberOfFields(s); ++k) {
    const std::string have = mxGetFieldNameByNumber(s, k);
    if (have.size() == want.size() &&
        std::equal(have.begin(), have.end(), want.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        }))
      return text + " (the struct has " + have + "; field names are case-sensitive)";
  }
  return text;
}

// Why the conversion of s as `kind` gave no matrix, in words.
std::string struct_problem(const mxArray *s, Kind kind)
{
  if (kind == Kind::H) {
    const mxArray *A = field(s, "A");
    const mxArray *B = field(s, "B");
    if (!A) return missing(s, "A");
    if (!B) return missing(s, "B");
    if (!two_dimensional(A)) return "field A must be a matrix, not " + shape(A);
    if (!two_dimensional(B)) return "field B must be a column, not " + shape(B);
    const std::string rows = std::to_string(static_cast<unsigned long long>(mxGetM(A)));
    if (mxGetN(B) != 1)
      return "field B must be a column (" + rows + "x1), not " + shape(B);
    return "field B must have one entry per row of A (" + rows + "), not " + shape(B);
  }
  const mxArray *V = field(s, "V");
  if (!V) return missing(s, "V");
  if (!two_dimensional(V)) return "field V must be a matrix, not " + shape(V);
  const mxArray *R = field(s, "R");
  if (R && !two_dimensional(R)) return "field R must be a matrix, not " + shape(R);
  return "the V struct does not read";
}

}  // namespace

zonix::Matrix read(const mxArray *s, Kind kind, const char *usage)
{
  if (kind == Kind::Either) {
    const bool h = field(s, "A") || field(s, "B");
    const bool v = field(s, "V") != nullptr;
    if (h == v)
      fail("usage", std::string(usage) + ": " +
                        (h ? "the struct has both A/B and V"
                           : "the struct has neither A and B nor V"));
    kind = h ? Kind::H : Kind::V;
  }
  zonix::Matrix M(kind == Kind::H ? PY_get_H_MatrixPtr(s) : PY_get_V_MatrixPtr(s));
  if (!M) fail("usage", std::string(usage) + ": " + struct_problem(s, kind));
  require_room(M->rowsize, M->colsize);
  return M;
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

[[noreturn]] void bad_lin(const std::string &why)
{
  gw::fail("badLin", "Error in the lineality vector: " + why);
}

// lin names rows of the struct; row[r] is the library row that row r of
// the struct became (1..n), or 0 for a row that cannot be a linearity (a
// point of a V struct).  A missing or empty lin means none; a row or a
// column of valid row numbers is read, repeats allowed; anything else is
// an error, so a typo never silently changes the polyhedron.
void read_lin(const mxArray *s, dd_MatrixPtr M, const std::vector<long> &row)
{
  const mxArray *lin = gw::field(s, "lin");
  if (!lin || mxIsEmpty(lin)) return;
  if (!mxIsDouble(lin) || mxIsComplex(lin) || mxIsSparse(lin))
    bad_lin(std::string("lin must hold real row numbers (double), not ") +
            (mxIsComplex(lin) ? "complex " : "") + (mxIsSparse(lin) ? "sparse " : "") +
            mxGetClassName(lin));
  if (!two_dimensional(lin) || (mxGetM(lin) != 1 && mxGetN(lin) != 1))
    bad_lin("lin must be a vector of row numbers, not a matrix");
  const double *v = mxGetPr(lin);
  const size_t n = row.size() - 1;
  for (size_t i = 0; i < mxGetNumberOfElements(lin); ++i) {
    char text[200];
    if (!(v[i] >= 1 && v[i] <= static_cast<double>(n) && v[i] == std::floor(v[i]))) {
      std::snprintf(text, sizeof text, "lin(%zu) = %g is not a row number 1..%zu",
                    i + 1, v[i], n);
      bad_lin(text);
    }
    const long r = row[static_cast<size_t>(v[i])];
    if (r == 0) {
      std::snprintf(text, sizeof text,
                    "lin(%zu) = %g is a point; only rays can be lines", i + 1, v[i]);
      bad_lin(text);
    }
    set_addelem(M->linset, r);
  }
}

// Whether a is a real double vector of n entries.
bool positions(const mxArray *a, size_t n)
{
  return a && mxIsDouble(a) && !mxIsComplex(a) && !mxIsSparse(a) &&
         mxGetNumberOfElements(a) == n;
}

// Rows of a V struct as lin numbers them: the module's own output numbers
// them by vpos and rpos, which then must be a permutation of 1..p+q;
// otherwise the points come first (1..p), then the rays.
std::vector<long> v_rows(const mxArray *s, size_t p, size_t q)
{
  std::vector<long> row(p + q + 1, 0);
  const mxArray *vpos = gw::field(s, "vpos");
  const mxArray *rpos = gw::field(s, "rpos");
  if (positions(vpos, p) && positions(rpos, q)) {
    std::vector<bool> seen(p + q + 1, false);
    bool permutation = true;
    auto take = [&](const mxArray *pos, size_t k) {
      const double x = mxGetPr(pos)[k];
      if (!(x >= 1 && x <= static_cast<double>(p + q) && x == std::floor(x)) ||
          seen[static_cast<size_t>(x)]) {
        permutation = false;
        return size_t{0};
      }
      seen[static_cast<size_t>(x)] = true;
      return static_cast<size_t>(x);
    };
    for (size_t k = 0; k < p; ++k) take(vpos, k);
    for (size_t k = 0; k < q && permutation; ++k) {
      const size_t x = take(rpos, k);
      if (permutation) row[x] = static_cast<long>(p + k + 1);
    }
    if (permutation) return row;
    std::fill(row.begin(), row.end(), 0);
  }
  for (size_t k = p + 1; k <= p + q; ++k) row[k] = static_cast<long>(k);
  return row;
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
  gw::require_bytes(matrix_bytes(m, d + 1), m, d + 1);
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
  std::vector<long> rows(m + 1);
  for (mwSize i = 0; i <= m; ++i) rows[i] = static_cast<long>(i);
  read_lin(s, M.get(), rows);
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
    // Rays spread over further dimensions are not rays of V's space.
    if (!two_dimensional(R)) return nullptr;
    q = mxGetM(R);
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

  gw::require_bytes(matrix_bytes(p + q, d + 1), p + q, d + 1);
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
  read_lin(s, M.get(), v_rows(s, p, q));
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
