// Matrix records and text output: error messages and the number notation.
#include "zonixio.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zonixcore.h"
#include "zonixcore_internal.hpp"

namespace {

inline long at_least_one(long n) { return n > 0 ? n : 1; }

// Rows 1..m of src that are linearities become rows offset+1..offset+m of
// dst.  Walks members instead of copying words, so differing ground sizes
// (say after dd_MatrixRowRemove) cannot overrun either set.
void copy_linearities(dd_rowset dst, dd_rowset src, dd_rowrange m,
                      dd_rowrange offset)
{
  for (dd_rowrange i = 1; i <= m; ++i)
    if (set_member(i, src)) set_addelem(dst, i + offset);
}

// Writes n chars of s to f; the standard streams go through the output
// hook.
void put_text(FILE *f, const char *s, size_t n)
{
  if (f == stdout || f == stderr)
    dd_Printf(f, "%.*s", static_cast<int>(n), s);
  else
    std::fwrite(s, 1, n, f);
}

// Whole numbers below 2^53 are written as integers: every one of them is
// a double, and longs hold them.
constexpr double kIntegerNotationLimit = 0x1p53;

// " %2ld" of v at out (room for 32 chars); returns its length.
size_t integer_text(char *out, long v)
{
  char buf[32] = {' ', ' '};
  const auto res = std::to_chars(buf + 2, buf + sizeof buf, v);
  const char *from = res.ptr - buf >= 4 ? buf + 1 : res.ptr - 3;  // width 2 after the space
  const auto n = static_cast<size_t>(res.ptr - from);
  std::memcpy(out, from, n);
  return n;
}

// Room for the text of any number dd_WriteReal writes.
constexpr size_t kNumberRoom = 48;

// The text dd_WriteReal writes for x at out; returns its length.  Every
// finite number is written in the fewest digits that read back as the same
// double, so a file written and read again holds the numbers computed.
size_t real_text(char *out, const mytype x)
{
  const double ax = ddd_get_d(x);
  // -0.0 is written as 0, which reads back equal to it.
  if (std::fabs(ax) < kIntegerNotationLimit && ax == std::trunc(ax))
    return integer_text(out, static_cast<long>(ax));
  if (!std::isfinite(ax)) {
    const int n = std::snprintf(out, kNumberRoom, " % .9E", ax);
    return n > 0 ? std::min(static_cast<size_t>(n), kNumberRoom - 1) : 0;
  }
  out[0] = ' ';
  out[1] = ' ';
  char *first = out + (std::signbit(ax) ? 1 : 2);
  return static_cast<size_t>(std::to_chars(first, out + kNumberRoom, ax).ptr - out);
}

}  // namespace

extern "C" {

/* ==== matrix records =================================================== */

dd_MatrixPtr dd_CreateMatrix(dd_rowrange m_size, dd_colrange d_size)
{
  auto *M = static_cast<dd_MatrixPtr>(std::malloc(sizeof(dd_MatrixType)));
  const dd_rowrange m1 = at_least_one(m_size);
  const dd_colrange d1 = at_least_one(d_size);
  M->rowsize = m_size > 0 ? m_size : 0;
  M->colsize = d_size > 0 ? d_size : 0;
  M->matrix = nullptr;
  M->rowvec = nullptr;
  dd_InitializeAmatrix(m1, d1, &M->matrix);
  dd_InitializeArow(d1, &M->rowvec);
  set_initialize(&M->linset, m1);
  M->representation = dd_Unspecified;
  M->numbtype = dd_Unknown;
  M->objective = dd_LPnone;
  return M;
}

void dd_FreeMatrix(dd_MatrixPtr M)
{
  if (M == nullptr) return;
  dd_FreeAmatrix(at_least_one(M->rowsize), at_least_one(M->colsize),
                 M->matrix);
  dd_FreeArow(at_least_one(M->colsize), M->rowvec);
  set_free(M->linset);
  std::free(M);
}

dd_MatrixPtr dd_MatrixCopy(dd_MatrixPtr M)
{
  if (M == nullptr || M->rowsize < 0 || M->colsize < 0) return nullptr;
  const dd_rowrange m = M->rowsize;
  const dd_colrange d = M->colsize;
  dd_MatrixPtr C = dd_CreateMatrix(m, d);
  dd_CopyAmatrix(C->matrix, M->matrix, m, d);
  dd_CopyArow(C->rowvec, M->rowvec, d);
  copy_linearities(C->linset, M->linset, m, 0);
  C->numbtype = M->numbtype;
  C->representation = M->representation;
  C->objective = M->objective;
  return C;
}

dd_MatrixPtr dd_CopyMatrix(dd_MatrixPtr M) { return dd_MatrixCopy(M); }

dd_MatrixPtr dd_MatrixAppend(dd_MatrixPtr M1, dd_MatrixPtr M2)
{
  if (M1 == nullptr || M2 == nullptr) return nullptr;
  const dd_rowrange m1 = M1->rowsize;
  const dd_rowrange m2 = M2->rowsize;
  const dd_colrange d = M1->colsize;
  if (d < 0 || d != M2->colsize || m1 < 0 || m2 < 0) return nullptr;
  dd_MatrixPtr M = dd_CreateMatrix(m1 + m2, d);
  dd_CopyAmatrix(M->matrix, M1->matrix, m1, d);
  dd_CopyAmatrix(M->matrix + m1, M2->matrix, m2, d);
  copy_linearities(M->linset, M1->linset, m1, 0);
  copy_linearities(M->linset, M2->linset, m2, m1);
  dd_CopyArow(M->rowvec, M1->rowvec, d);
  M->numbtype = M1->numbtype;
  return M;
}

dd_MatrixPtr dd_AppendMatrix(dd_MatrixPtr M1, dd_MatrixPtr M2)
{
  return dd_MatrixAppend(M1, M2);
}

dd_boolean dd_MatrixAppendTo(dd_MatrixPtr *M1, dd_MatrixPtr M2)
{
  if (M1 == nullptr) return dd_FALSE;
  dd_MatrixPtr M = dd_MatrixAppend(*M1, M2);
  if (M == nullptr) return dd_FALSE;
  dd_FreeMatrix(*M1);
  *M1 = M;
  return dd_TRUE;
}

dd_boolean dd_MatrixRowRemove(dd_MatrixPtr *M, dd_rowrange r)
{
  if (M == nullptr || *M == nullptr) return dd_FALSE;
  dd_MatrixPtr A = *M;
  const dd_rowrange m = A->rowsize;
  if (r < 1 || r > m) return dd_FALSE;
  dd_FreeArow(A->colsize, A->matrix[r - 1]);
  set_delelem(A->linset, r);
  for (dd_rowrange i = r + 1; i <= m; ++i) {
    A->matrix[i - 2] = A->matrix[i - 1];
    if (set_member(i, A->linset)) {
      set_delelem(A->linset, i);
      set_addelem(A->linset, i - 1);
    }
  }
  // The slot of the old last row now aliases its new place; clear it so no
  // release can reach the row twice.
  A->matrix[m - 1] = nullptr;
  A->rowsize = m - 1;
  // A record always owns at least one row (dd_FreeMatrix releases one).
  if (m == 1) dd_InitializeArow(at_least_one(A->colsize), &A->matrix[0]);
  return dd_TRUE;
}

dd_MatrixPtr dd_MatrixSubmatrix(dd_MatrixPtr M, dd_rowset delset)
{
  if (M == nullptr || M->rowsize < 0 || M->colsize < 0) return nullptr;
  const dd_rowrange m = M->rowsize;
  const dd_colrange d = M->colsize;
  // Count the dropped rows among 1..m only: members of delset beyond m have
  // no row to drop.
  dd_rowrange dropped = 0;
  for (dd_rowrange i = 1; i <= m; ++i)
    if (delset != nullptr && set_member(i, delset)) ++dropped;
  dd_MatrixPtr S = dd_CreateMatrix(m - dropped, d);
  dd_rowrange skipped = 0;
  for (dd_rowrange i = 1; i <= m; ++i) {
    if (delset != nullptr && set_member(i, delset)) {
      ++skipped;
      continue;
    }
    dd_CopyArow(S->matrix[i - skipped - 1], M->matrix[i - 1], d);
    if (set_member(i, M->linset)) set_addelem(S->linset, i - skipped);
  }
  dd_CopyArow(S->rowvec, M->rowvec, d);
  S->numbtype = M->numbtype;
  S->representation = M->representation;
  S->objective = M->objective;
  return S;
}

void dd_MatrixIntegerFilter(dd_MatrixPtr M)
{
  if (M == nullptr) return;
  mytype x;
  ddd_init(x);
  for (dd_rowrange i = 0; i < M->rowsize; ++i)
    for (dd_colrange j = 0; j < M->colsize; ++j) {
      dd_SnapToInteger(x, M->matrix[i][j]);
      ddd_set(M->matrix[i][j], x);
    }
  ddd_clear(x);
}

/* ==== error messages and numbers ======================================= */

void dd_WriteErrorMessages(FILE *f, dd_ErrorType Error)
{
  static const char *const kMessages[] = {
      /* dd_DimensionTooLarge */
      "*Input Error: Input matrix is too large:\n"
      "*Please increase MMAX and/or NMAX in the source code and recompile.\n",
      /* dd_ImproperInputFormat */
      "*Input Error: Input format is not correct.\n"
      "*Format:\n"
      " begin\n"
      "   m   n  NumberType(real, rational or integer)\n"
      "   b  -A\n"
      " end\n",
      /* dd_NegativeMatrixSize */
      "*Input Error: Input matrix has a negative size:\n"
      "*Please check rowsize or colsize.\n",
      /* dd_EmptyVrepresentation */
      "*Input Error: V-representation is empty:\n"
      "*dovavozu does not accept this trivial case for which output can be "
      "any inconsistent system.\n",
      /* dd_EmptyHrepresentation */
      "*Input Error: H-representation is empty.\n",
      /* dd_EmptyRepresentation */
      "*Input Error: Representation is empty.\n",
      /* dd_IFileNotFound */
      "*Input Error: Specified input file does not exist.\n",
      /* dd_OFileNotOpen */
      "*Output Error: Specified output file cannot be opened.\n",
      /* dd_NoLPObjective */
      "*LP Error: No LP objective (max or min) is set.\n",
      /* dd_NoRealNumberSupport */
      "*LP Error: The binary (with GMP Rational) does not support Real "
      "number input.\n"
      "         : Use a binary compiled without -DGMPRATIONAL option.\n",
      /* dd_NotAvailForH */
      "*Error: A function is called with H-rep which does not support an "
      "H-representation.\n",
      /* dd_NotAvailForV */
      "*Error: A function is called with V-rep which does not support an "
      "V-representation.\n",
      /* dd_CannotHandleLinearity */
      "*Error: The function called cannot handle linearity.\n",
      /* dd_RowIndexOutOfRange */
      "*Error: Specified row index is out of range\n",
      /* dd_ColIndexOutOfRange */
      "*Error: Specified column index is out of range\n",
      /* dd_LPCycling */
      "*Error: Possibly an LP cycling occurs.  Use the Criss-Cross method.\n",
      /* dd_NumericallyInconsistent */
      "*Error: Numerical inconsistency is found.  Use the GMP exact "
      "arithmetic.\n",
      /* dd_NoError */
      "*No Error found.\n",
      /* dd_Interrupted */
      "*Error: The computation was interrupted.\n",
      /* dd_OutOfMemory */
      "*Error: Out of memory.\n",
      /* dd_InternalError */
      "*Error: Internal error: the library failed unexpectedly; please report "
      "it with the input.\n",
  };
  static_assert(sizeof kMessages / sizeof kMessages[0] == dd_InternalError + 1);
  const auto k = static_cast<unsigned>(Error);
  if (k <= static_cast<unsigned>(dd_InternalError)) dd_Printf(f, "%s", kMessages[k]);
}

void dd_WriteReal(FILE *f, const mytype x)
{
  char buf[kNumberRoom];
  put_text(f, buf, real_text(buf, x));
}

void dd_WriteNumber(FILE *f, const mytype x) { dd_WriteReal(f, x); }

}  // extern "C"

void zonix::core::append_row_text(std::string &out, const mytype *a, dd_colrange d)
{
  char buf[kNumberRoom];
  for (dd_colrange j = 0; j < d; ++j) out.append(buf, real_text(buf, a[j]));
  out += '\n';
}

void zonix::core::write_text(FILE *f, const char *s, size_t n) { put_text(f, s, n); }

extern "C" {

void dd_WriteArow(FILE *f, dd_Arow a, dd_colrange d)
{
  // A row goes out in one piece (or a few, for long rows).
  char buf[1024];
  size_t n = 0;
  for (dd_colrange j = 0; j < d; ++j) {
    if (n + kNumberRoom > sizeof buf) {
      put_text(f, buf, n);
      n = 0;
    }
    n += real_text(buf + n, a[j]);
  }
  if (n > 0) put_text(f, buf, n);
  std::fputc('\n', f);
}

void dd_WriteAmatrix(FILE *f, dd_Amatrix A, long rowmax, long colmax)
{
  if (A == nullptr) {
    std::fputs("WriteAmatrix: The requested matrix is empty\n", f);
    return;
  }
  std::fputs("begin\n", f);
  std::fprintf(f, " %ld %ld real\n", rowmax, colmax);
  for (long i = 0; i < rowmax; ++i) dd_WriteArow(f, A[i], colmax);
  std::fputs("end\n", f);
}

void dd_WriteBmatrix(FILE *f, dd_colrange d_size, dd_Bmatrix B)
{
  if (B == nullptr) {
    std::fputs("WriteBmatrix: The requested matrix is empty\n", f);
    return;
  }
  for (dd_colrange i = 0; i < d_size; ++i) dd_WriteArow(f, B[i], d_size);
  std::fputc('\n', f);
}

void dd_SnapToInteger(mytype y, const mytype x) { ddd_set(y, x); }

/* ==== text file formats (readers and writers) ========================== */

}  // extern "C"
