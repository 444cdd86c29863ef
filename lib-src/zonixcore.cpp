// Row arithmetic, arrays of numbers and set families.
#include "zonixcore.h"

#include <cstdint>
#include <cstdlib>
#include <numeric>

#include "zonixcore_internal.hpp"
#include "zonixgcd.hpp"

namespace {

#ifdef ZONIX_EXACT
// Rationals must be cleared one by one; the count sits in a slot before
// the numbers, so that freeing needs no size from the caller.  Zero bits
// are the number 0.
mytype *alloc_numbers(long count)
{
  auto *block = static_cast<mytype *>(
      std::calloc(static_cast<size_t>(count + 1), sizeof(mytype)));
  if (block == nullptr) return nullptr;
  *reinterpret_cast<long *>(block) = count;
  return block + 1;
}

void free_numbers(mytype *a)
{
  if (a == nullptr) return;
  mytype *block = a - 1;
  const long count = *reinterpret_cast<long *>(block);
  for (long j = 0; j < count; ++j) ddd_clear(a[j]);
  std::free(block);
}
#else
mytype *alloc_numbers(long count)
{
  // calloc gives all-zero bits, which is 0.0 for IEEE doubles.
  return static_cast<mytype *>(
      std::calloc(static_cast<size_t>(count), sizeof(mytype)));
}

void free_numbers(mytype *a) { std::free(a); }
#endif

}  // namespace

namespace zonix::core {

#ifdef ZONIX_EXACT
namespace {
// v / g for g > 1 dividing v: the quotient fits even for v = -2^63.
inline int64_t divide(int64_t v, uint64_t g)
{
  const auto q = static_cast<int64_t>(magnitude(v) / g);
  return v < 0 ? -q : q;
}

// make_primitive when some entry is a fraction: in 64 bits where the
// common denominator and the scaled entries fit (rows read from files of
// small fractions), else false with v unchanged.
bool make_primitive_small(dd_colrange d, mytype *v)
{
  constexpr uint64_t kMax = INT64_MAX;
  // Entry j as n / e with e > 0; false when it does not fit.
  auto parts = [&](dd_colrange j, int64_t *n, uint64_t *e) {
    if (!ddd_big(v[j])) {
      *n = v[j]->v;
      *e = 1;
      return true;
    }
    mpq_srcptr q = ddd_bigq(v[j]);
    if (mpz_size(mpq_numref(q)) > 1 || mpz_size(mpq_denref(q)) != 1) return false;
    const uint64_t m = mpz_getlimbn(mpq_numref(q), 0);
    *e = mpz_getlimbn(mpq_denref(q), 0);
    if (m > kMax || *e > kMax) return false;
    *n = mpz_sgn(mpq_numref(q)) < 0 ? -static_cast<int64_t>(m) : static_cast<int64_t>(m);
    return true;
  };
  uint64_t l = 1;
  for (dd_colrange j = 0; j < d; ++j) {
    int64_t n = 0;
    uint64_t e = 1;
    if (!parts(j, &n, &e)) return false;
    if (e == 1) continue;
    if (__builtin_mul_overflow(l / binary_gcd(l, e), e, &l) || l > kMax) return false;
  }
  // Entry j times l, its magnitude below 2^63.
  auto scaled = [&](dd_colrange j, int64_t *out) {
    int64_t n = 0;
    uint64_t e = 1;
    parts(j, &n, &e);
    return !__builtin_mul_overflow(n, static_cast<int64_t>(l / e), out) && *out != INT64_MIN;
  };
  uint64_t g = 0;
  for (dd_colrange j = 0; j < d; ++j) {
    int64_t x = 0;
    if (!scaled(j, &x)) return false;
    g = binary_gcd(g, magnitude(x));
  }
  for (dd_colrange j = 0; j < d; ++j) {
    int64_t x = 0;
    scaled(j, &x);
    // The row keeps no GMP storage it will not use again.
    ddd_clear(v[j]);
    ddd_small(v[j], g > 1 ? divide(x, g) : x);
  }
  return true;
}

// make_primitive when some entry is beyond 64 bits or a fraction: on GMP
// integers, the small entries promoted.
void make_primitive_gmp(dd_colrange d, mytype *v)
{
  bool fractions = false;
  for (dd_colrange j = 0; j < d; ++j)
    if (ddd_sgn(v[j]) != 0) fractions = !ddd_q_integral(ddd_q(v[j])) || fractions;
  mpz_t g;
  mpz_init(g);
  if (fractions) {
    mpz_set_ui(g, 1);
    for (dd_colrange j = 0; j < d; ++j)
      if (ddd_big(v[j])) mpz_lcm(g, g, mpq_denref(ddd_bigq(v[j])));
    for (dd_colrange j = 0; j < d; ++j) {
      if (!ddd_big(v[j])) continue;
      mpq_ptr q = ddd_bigq(v[j]);
      mpz_divexact(mpq_denref(q), g, mpq_denref(q));
      mpz_mul(mpq_numref(q), mpq_numref(q), mpq_denref(q));
      mpz_set_ui(mpq_denref(q), 1);
    }
    mpz_set_ui(g, 0);
  }
  // Started from the shortest entry, every later gcd is of a short number
  // and a long one: one division, then short work.
  auto num = [&](dd_colrange j) { return mpq_numref(ddd_bigq(v[j])); };
  auto big_nonzero = [&](dd_colrange j) { return ddd_big(v[j]) && mpz_sgn(num(j)) != 0; };
  dd_colrange shortest = -1;
  for (dd_colrange j = 0; j < d; ++j)
    if (big_nonzero(j) && (shortest < 0 || mpz_size(num(j)) < mpz_size(num(shortest))))
      shortest = j;
  if (shortest >= 0) mpz_abs(g, num(shortest));
  for (dd_colrange j = 0; j < d && mpz_cmp_ui(g, 1) > 0; ++j)
    if (j != shortest && big_nonzero(j)) mpz_gcd(g, g, num(j));
  if (mpz_cmp_ui(g, 1) > 0)
    for (dd_colrange j = 0; j < d; ++j)
      if (ddd_big(v[j])) mpz_divexact(num(j), num(j), g);
  mpz_clear(g);
  for (dd_colrange j = 0; j < d; ++j) ddd_q_fit(v[j]);
}
}  // namespace

void make_primitive(dd_colrange d, mytype *v)
{
  uint64_t g = 0;
  for (dd_colrange j = 0; j < d; ++j) {
    if (ddd_big(v[j])) {
      if (!make_primitive_small(d, v)) make_primitive_gmp(d, v);
      return;
    }
    if (g != 1 && v[j]->v != 0) g = binary_gcd(g, magnitude(v[j]->v));
  }
  if (g > 1)
    for (dd_colrange j = 0; j < d; ++j) v[j]->v = divide(v[j]->v, g);
}

void scale_ray(dd_colrange d, mytype *v) { make_primitive(d, v); }

void reduce_weights(mytype a, mytype b)
{
  if (ddd_sgn(a) == 0 || ddd_sgn(b) == 0) return;
  if (!ddd_big(a) && !ddd_big(b)) {
    const uint64_t g = binary_gcd(magnitude(a->v), magnitude(b->v));
    if (g > 1) {
      a->v = divide(a->v, g);
      b->v = divide(b->v, g);
    }
    return;
  }
  mpq_ptr x = ddd_q(a), y = ddd_q(b);
  if (!ddd_q_integral(x) || !ddd_q_integral(y)) return;
  mpz_t g;
  mpz_init(g);
  mpz_gcd(g, mpq_numref(x), mpq_numref(y));
  if (mpz_cmp_ui(g, 1) > 0) {
    mpz_divexact(mpq_numref(x), mpq_numref(x), g);
    mpz_divexact(mpq_numref(y), mpq_numref(y), g);
  }
  mpz_clear(g);
  ddd_q_fit(a);
  ddd_q_fit(b);
}
#else
void scale_ray(dd_colrange d, mytype *v) { dd_Normalize(d, v); }

void reduce_weights(mytype a, mytype b)
{
  (void)a;
  (void)b;
}
#endif

}  // namespace zonix::core

extern "C" {

/* ==== arithmetic on numbers and rows =================================== */

void dd_abs(mytype absval, const mytype val)
{
  if (dd_Negative(val))
    ddd_neg(absval, val);
  else
    ddd_set(absval, val);
}

void dd_LinearComb(mytype lc, const mytype v1, const mytype c1,
                   const mytype v2, const mytype c2)
{
  mytype temp;
  ddd_init(temp);
  ddd_mul(lc, v1, c1);
  ddd_mul(temp, v2, c2);
  ddd_add(lc, lc, temp);
  ddd_clear(temp);
}

void dd_InnerProduct(mytype prod, dd_colrange d, dd_Arow v1, dd_Arow v2)
{
  ddd_set(prod, dd_purezero);
  for (dd_colrange j = 0; j < d; ++j) ddd_addmul(prod, v1[j], v2[j]);
}

void dd_Normalize(dd_colrange d_size, dd_Arow V) { zonix::core::divide_by_least(d_size, V); }

void dd_AValue(mytype *val, dd_colrange d_size, dd_Amatrix A, mytype *p,
               dd_rowrange i)
{
  ddd_set(*val, dd_purezero);
  const dd_Arow row = A[i - 1];
  for (dd_colrange j = 0; j < d_size; ++j) ddd_addmul(*val, row[j], p[j]);
}

void dd_ZeroIndexSet(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                     mytype *x, dd_rowset ZS)
{
  mytype temp;
  ddd_init(temp);
  set_emptyset(ZS);
  for (dd_rowrange i = 1; i <= m_size; ++i) {
    dd_AValue(&temp, d_size, A, x, i);
    if (dd_EqualToZero(temp)) set_addelem(ZS, i);
  }
  ddd_clear(temp);
}

/* ==== arrays of numbers ================================================ */

void dd_InitializeArow(dd_colrange d, dd_Arow *a)
{
  if (d > 0) *a = alloc_numbers(d);
}

void dd_InitializeAmatrix(dd_rowrange m, dd_colrange d, dd_Amatrix *A)
{
  if (m <= 0) return;
  auto *rows = static_cast<dd_Arow *>(
      std::calloc(static_cast<size_t>(m), sizeof(dd_Arow)));
  for (dd_rowrange i = 0; i < m; ++i) dd_InitializeArow(d, &rows[i]);
  *A = rows;
}

void dd_InitializeBmatrix(dd_colrange d, dd_Bmatrix *B)
{
  const dd_colrange n = d > 0 ? d : 1;
  auto *rows = static_cast<dd_Arow *>(
      std::calloc(static_cast<size_t>(n), sizeof(dd_Arow)));
  for (dd_colrange i = 0; i < n; ++i) rows[i] = alloc_numbers(n);
  *B = rows;
}

void dd_FreeArow(dd_colrange d, dd_Arow a)
{
  (void)d;  // every entry is released with the block
  free_numbers(a);
}

void dd_FreeAmatrix(dd_rowrange m, dd_colrange d, dd_Amatrix A)
{
  if (A == nullptr) return;
  for (dd_rowrange i = 0; i < m; ++i) dd_FreeArow(d, A[i]);
  std::free(A);
}

void dd_FreeBmatrix(dd_colrange d, dd_Bmatrix B)
{
  if (B == nullptr) return;
  const dd_colrange n = d > 0 ? d : 1;
  for (dd_colrange i = 0; i < n; ++i) dd_FreeArow(n, B[i]);
  std::free(B);
}

void dd_CopyArow(dd_Arow acopy, dd_Arow a, dd_colrange d)
{
  for (dd_colrange j = 0; j < d; ++j) ddd_set(acopy[j], a[j]);
}

void dd_CopyAmatrix(dd_Amatrix Acopy, dd_Amatrix A, dd_rowrange m,
                    dd_colrange d)
{
  for (dd_rowrange i = 0; i < m; ++i) dd_CopyArow(Acopy[i], A[i], d);
}

void dd_CopyBmatrix(dd_colrange d_size, dd_Bmatrix T, dd_Bmatrix TCOPY)
{
  for (dd_colrange i = 0; i < d_size; ++i)
    dd_CopyArow(TCOPY[i], T[i], d_size);
}

void dd_SetToIdentity(dd_colrange d_size, dd_Bmatrix T)
{
  for (dd_colrange i = 0; i < d_size; ++i)
    for (dd_colrange j = 0; j < d_size; ++j)
      ddd_set(T[i][j], i == j ? dd_one : dd_purezero);
}

/* ==== set families ===================================================== */

dd_SetFamilyPtr dd_CreateSetFamily(dd_bigrange fsize, dd_bigrange ssize)
{
  const dd_bigrange f1 = fsize > 0 ? fsize : 1;
  const dd_bigrange s1 = ssize > 0 ? ssize : 1;
  auto *F = static_cast<dd_SetFamilyPtr>(std::malloc(sizeof(dd_SetFamilyType)));
  F->set = static_cast<dd_SetVector>(
      std::calloc(static_cast<size_t>(f1), sizeof(set_type)));
  for (dd_bigrange i = 0; i < f1; ++i) set_initialize(&F->set[i], s1);
  F->famsize = fsize > 0 ? fsize : 0;
  F->setsize = ssize > 0 ? ssize : 0;
  return F;
}

void dd_FreeSetFamily(dd_SetFamilyPtr F)
{
  if (F == nullptr) return;
  const dd_bigrange f1 = F->famsize > 0 ? F->famsize : 1;
  for (dd_bigrange i = 0; i < f1; ++i) set_free(F->set[i]);
  std::free(F->set);
  std::free(F);
}

}  // extern "C"
