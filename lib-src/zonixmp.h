/* zonix number type and its primitives.
 *
 * A number is one IEEE 754 double held as a one-element array, so it is
 * always handled by address; every primitive writes its result through its
 * first argument.  All arithmetic of the library goes through these, so a
 * second number type can replace them later.  They are inline: the engine
 * and the LP solvers call them in their innermost loops.
 */
#ifndef ZONIX_MP_H
#define ZONIX_MP_H

#ifdef ZONIX_EXACT
#include <gmp.h>
#include <stdint.h>
#include <stdlib.h>
#ifdef __cplusplus
#include <new>

#include "zonixfinite.hpp"
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifdef ZONIX_EXACT
/* An integer that fits in 64 bits is held inline; other values (fractions
 * and large integers) in a GMP rational on the heap.  Almost all numbers of
 * an exact run are small integers: 16 bytes each keeps rays and rows near
 * the size of doubles, and GMP storage for each would be most of the run's
 * allocations.  Once taken, the GMP rational is kept for reuse; bit 0 of
 * its address (malloc aligns it) tells whether the value is its.  Zeroed
 * storage holds 0, and locals release their GMP storage on leaving their
 * scope, so a temporary needs no init/clear pair to be safe. */
struct zonix_rational {
  int64_t v;    /* the value unless big */
  uintptr_t qp; /* the GMP rational's address, or 0; bit 0: the value is its */
#ifdef __cplusplus
  constexpr zonix_rational() : v(0), qp(0) {}
  /* A small integer, for globals that are constant-initialised. */
  constexpr explicit zonix_rational(int64_t x) : v(x), qp(0) {}
  ~zonix_rational()
  {
    if (qp) {
      mpq_clear((mpq_ptr)(qp & ~(uintptr_t)1));
      free((void *)(qp & ~(uintptr_t)1));
    }
  }
  zonix_rational(const zonix_rational &) = delete;
  zonix_rational &operator=(const zonix_rational &) = delete;
#endif
};
typedef struct zonix_rational mytype[1];
#else
typedef double mytype[1];
#endif

/* The tolerance 1e-07, its negation, 1.0 and an exact 0.0.  They hold these
 * values from program start; dd_set_global_constants restores any that a
 * caller has changed, and writes nothing otherwise, so that runs on other
 * threads may read them meanwhile. */
extern mytype dd_zero;
extern mytype dd_minuszero;
extern mytype dd_one;
extern mytype dd_purezero;

/* Progress lines and traces are printed only when this is nonzero (0 by
 * default). */
extern int dd_debug;

/* Gives dd_zero, dd_minuszero, dd_one and dd_purezero their values. */
void dd_set_global_constants(void);

#ifdef ZONIX_EXACT
/* Exact rationals.  Both operands small: 64-bit arithmetic with overflow
 * checks, widened to 128 bits where it overflows; else GMP's, on integers
 * alone when both are integers (the gcds that keep fractions canonical
 * would be most of the cost).  Results that fit return inline. */
#if GMP_LIMB_BITS != 64
#error "a small number is one GMP limb"
#endif
#define DDD_SLOW static inline __attribute__((noinline))

/* Whether a's value is in its GMP storage, and that storage. */
static inline int ddd_big(const struct zonix_rational *a) { return (int)(a->qp & 1); }
static inline mpq_ptr ddd_bigq(const struct zonix_rational *a)
{
  return (mpq_ptr)(a->qp & ~(uintptr_t)1);
}
/* a := v, inline; GMP storage is kept. */
static inline void ddd_small(struct zonix_rational *a, int64_t v)
{
  a->v = v;
  a->qp &= ~(uintptr_t)1;
}
/* Heap storage for one GMP rational, on first need of a number. */
DDD_SLOW mpq_ptr ddd_q_new(void)
{
  mpq_ptr q = (mpq_ptr)malloc(sizeof(__mpq_struct));
#ifdef __cplusplus
  if (q == NULL) throw std::bad_alloc();
#else
  if (q == NULL) abort();
#endif
  mpq_init(q);
  return q;
}
/* A read-only GMP view of a small value, on the caller's storage. */
typedef struct {
  __mpq_struct q;
  mp_limb_t num, den;
} ddd_qview;
static inline mpq_srcptr ddd_cq(const struct zonix_rational *a, ddd_qview *t)
{
  if (ddd_big(a)) return ddd_bigq(a);
  const int64_t v = a->v;
  t->num = v < 0 ? (mp_limb_t)0 - (mp_limb_t)v : (mp_limb_t)v;
  t->den = 1;
  t->q._mp_num._mp_alloc = 1;
  t->q._mp_num._mp_size = (v > 0) - (v < 0);
  t->q._mp_num._mp_d = &t->num;
  t->q._mp_den._mp_alloc = 1;
  t->q._mp_den._mp_size = 1;
  t->q._mp_den._mp_d = &t->den;
  return &t->q;
}
/* a's GMP storage, its value about to be overwritten. */
static inline mpq_ptr ddd_q_out(struct zonix_rational *a)
{
  if (!a->qp) a->qp = (uintptr_t)ddd_q_new();
  a->qp |= 1;
  return ddd_bigq(a);
}
/* a as a GMP rational that the caller may change; ddd_q_fit after. */
static inline mpq_ptr ddd_q(struct zonix_rational *a)
{
  if (!ddd_big(a)) {
    const int64_t v = a->v;
    mpq_set_si(ddd_q_out(a), v, 1);
  }
  return ddd_bigq(a);
}
static inline int ddd_q_integral(mpq_srcptr q)
{
  return q->_mp_den._mp_size == 1 && q->_mp_den._mp_d[0] == 1;
}
/* Makes r's denominator 1 after an integer result went to its numerator. */
static inline void ddd_q_make_integral(mpq_ptr r)
{
  if (!ddd_q_integral(r)) mpz_set_ui(mpq_denref(r), 1);
}
/* Brings a value written to a's GMP storage inline when it fits. */
static inline void ddd_q_fit(struct zonix_rational *a)
{
  if (!ddd_big(a)) return;
  mpq_srcptr q = ddd_bigq(a);
  if (!ddd_q_integral(q)) return;
  const int n = q->_mp_num._mp_size;
  if (n == 0) {
    ddd_small(a, 0);
    return;
  }
  if (n != 1 && n != -1) return;
  const mp_limb_t l = q->_mp_num._mp_d[0];
  if (n == 1 && l <= (mp_limb_t)INT64_MAX)
    ddd_small(a, (int64_t)l);
  else if (n == -1 && l - 1 <= (mp_limb_t)INT64_MAX)
    ddd_small(a, -(int64_t)(l - 1) - 1);
}
/* a := x, an integer of at most 127 bits. */
static inline void ddd_set_i128(struct zonix_rational *a, __int128 x)
{
  if (x >= INT64_MIN && x <= INT64_MAX) {
    ddd_small(a, (int64_t)x);
    return;
  }
  mpq_ptr r = ddd_q_out(a);
  const unsigned __int128 m = x < 0 ? -(unsigned __int128)x : (unsigned __int128)x;
  mp_limb_t *p = mpz_limbs_write(mpq_numref(r), 2);
  p[0] = (mp_limb_t)m;
  p[1] = (mp_limb_t)(m >> 64);
  mpz_limbs_finish(mpq_numref(r), x < 0 ? -2 : 2);
  ddd_q_make_integral(r);
}
static inline void ddd_init(mytype a)
{
  a->v = 0;
  a->qp = 0;
}
static inline void ddd_clear(mytype a)
{
  if (a->qp) {
    mpq_clear(ddd_bigq(a));
    free(ddd_bigq(a));
  }
  ddd_init(a);
}
static inline void ddd_set_zero(mytype a) { ddd_small(a, 0); }
static inline void ddd_set(mytype a, const mytype b)
{
  if (a == b) return;
  if (!ddd_big(b))
    ddd_small(a, b->v);
  else
    mpq_set(ddd_q_out(a), ddd_bigq(b));
}
/* a := q, inline when it fits: input integers then take no GMP storage. */
static inline void ddd_set_q(mytype a, mpq_srcptr q)
{
  const int n = q->_mp_num._mp_size;
  if (ddd_q_integral(q) && n >= -1 && n <= 1) {
    const mp_limb_t l = n == 0 ? 0 : q->_mp_num._mp_d[0];
    if (n >= 0 && l <= (mp_limb_t)INT64_MAX) {
      ddd_small(a, (int64_t)l);
      return;
    }
    if (n < 0 && l - 1 <= (mp_limb_t)INT64_MAX) {
      ddd_small(a, -(int64_t)(l - 1) - 1);
      return;
    }
  }
  mpq_set(ddd_q_out(a), q);
  ddd_q_fit(a);
}
/* out := a. */
static inline void ddd_get_q(mpq_ptr out, const mytype a)
{
  ddd_qview t;
  mpq_set(out, ddd_cq(a, &t));
}
static inline void ddd_set_d(mytype a, double b)
{
  /* 2^63 bounds int64; NaN fails every comparison and goes to GMP. */
  if (b >= -0x1p63 && b < 0x1p63 && b == (double)(int64_t)b) {
    ddd_small(a, (int64_t)b);
  } else {
    const double finite_b = zonix::finite(b);  // before a is touched
    mpq_set_d(ddd_q_out(a), finite_b);
    ddd_q_fit(a);
  }
}
static inline void ddd_set_si(mytype a, long b) { ddd_small(a, b); }
static inline void ddd_set_si2(mytype a, long b, unsigned long c)
{
  if (c == 1) {
    ddd_set_si(a, b);
    return;
  }
  mpq_ptr r = ddd_q_out(a);
  mpq_set_si(r, b, c);
  mpq_canonicalize(r);
  ddd_q_fit(a);
}
enum { ddd_op_add, ddd_op_sub, ddd_op_mul };
DDD_SLOW void ddd_apply_slow(mytype a, const mytype b, const mytype c, int op)
{
  ddd_qview tb, tc;
  mpq_srcptr x = ddd_cq(b, &tb), y = ddd_cq(c, &tc);
  mpq_ptr r = ddd_q_out(a);
  if (ddd_q_integral(x) && ddd_q_integral(y)) {
    if (op == ddd_op_add)
      mpz_add(mpq_numref(r), mpq_numref(x), mpq_numref(y));
    else if (op == ddd_op_sub)
      mpz_sub(mpq_numref(r), mpq_numref(x), mpq_numref(y));
    else
      mpz_mul(mpq_numref(r), mpq_numref(x), mpq_numref(y));
    ddd_q_make_integral(r);
  } else if (op == ddd_op_add) {
    mpq_add(r, x, y);
  } else if (op == ddd_op_sub) {
    mpq_sub(r, x, y);
  } else {
    mpq_mul(r, x, y);
  }
  ddd_q_fit(a);
}
static inline void ddd_add(mytype a, const mytype b, const mytype c)
{
  int64_t r;
  if (ddd_big(b) | ddd_big(c))
    ddd_apply_slow(a, b, c, ddd_op_add);
  else if (!__builtin_add_overflow(b->v, c->v, &r))
    ddd_set_si(a, r);
  else
    ddd_set_i128(a, (__int128)b->v + c->v);
}
static inline void ddd_sub(mytype a, const mytype b, const mytype c)
{
  int64_t r;
  if (ddd_big(b) | ddd_big(c))
    ddd_apply_slow(a, b, c, ddd_op_sub);
  else if (!__builtin_sub_overflow(b->v, c->v, &r))
    ddd_set_si(a, r);
  else
    ddd_set_i128(a, (__int128)b->v - c->v);
}
static inline void ddd_mul(mytype a, const mytype b, const mytype c)
{
  int64_t r;
  if (ddd_big(b) | ddd_big(c))
    ddd_apply_slow(a, b, c, ddd_op_mul);
  else if (!__builtin_mul_overflow(b->v, c->v, &r))
    ddd_set_si(a, r);
  else
    ddd_set_i128(a, (__int128)b->v * c->v);
}
DDD_SLOW void ddd_addmul_slow(mytype a, const mytype b, const mytype c)
{
  ddd_qview tb, tc;
  mpq_srcptr x = ddd_cq(b, &tb), y = ddd_cq(c, &tc);
  mpq_ptr r = ddd_q(a);
  if (ddd_q_integral(r) && ddd_q_integral(x) && ddd_q_integral(y)) {
    mpz_addmul(mpq_numref(r), mpq_numref(x), mpq_numref(y));
  } else {
    mpq_t t;
    mpq_init(t);
    mpq_mul(t, x, y);
    mpq_add(r, r, t);
    mpq_clear(t);
  }
  ddd_q_fit(a);
}
/* a := a + b c. */
static inline void ddd_addmul(mytype a, const mytype b, const mytype c)
{
  int64_t p, r;
  if (ddd_big(a) | ddd_big(b) | ddd_big(c))
    ddd_addmul_slow(a, b, c);
  else if (!__builtin_mul_overflow(b->v, c->v, &p) && !__builtin_add_overflow(a->v, p, &r))
    a->v = r; /* a is inline already */
  else /* |b c| <= 2^126: the sum stays within 127 bits */
    ddd_set_i128(a, (__int128)a->v + (__int128)b->v * c->v);
}
DDD_SLOW void ddd_div_slow(mytype a, const mytype b, const mytype c)
{
  ddd_qview tb, tc;
  mpq_srcptr x = ddd_cq(b, &tb), y = ddd_cq(c, &tc);
  mpq_div(ddd_q_out(a), x, y);
  ddd_q_fit(a);
}
static inline void ddd_div(mytype a, const mytype b, const mytype c)
{
  /* Points are written divided by a first entry that is often 1. */
  if (!(ddd_big(b) | ddd_big(c)) && c->v != 0 && !(c->v == -1 && b->v == INT64_MIN) &&
      b->v % c->v == 0)
    ddd_set_si(a, b->v / c->v);
  else
    ddd_div_slow(a, b, c);
}
DDD_SLOW void ddd_neg_slow(mytype a, const mytype b)
{
  ddd_qview t;
  mpq_srcptr x = ddd_cq(b, &t);
  mpq_neg(ddd_q_out(a), x);
  ddd_q_fit(a);
}
static inline void ddd_neg(mytype a, const mytype b)
{
  if (!ddd_big(b) && b->v != INT64_MIN)
    ddd_set_si(a, -b->v);
  else
    ddd_neg_slow(a, b);
}
DDD_SLOW void ddd_inv_slow(mytype a, const mytype b)
{
  ddd_qview t;
  mpq_srcptr x = ddd_cq(b, &t);
  mpq_inv(ddd_q_out(a), x);
  ddd_q_fit(a);
}
static inline void ddd_inv(mytype a, const mytype b)
{
  if (!ddd_big(b) && (b->v == 1 || b->v == -1))
    ddd_set_si(a, b->v);
  else
    ddd_inv_slow(a, b);
}
DDD_SLOW int ddd_cmp_slow(const mytype a, const mytype b)
{
  ddd_qview ta, tb;
  mpq_srcptr x = ddd_cq(a, &ta), y = ddd_cq(b, &tb);
  /* Numerators and denominators of one limb (the fractions of most
   * rational input): the cross products in 128 bits, not GMP's. */
  const int sx = x->_mp_num._mp_size, sy = y->_mp_num._mp_size;
  if (sx >= -1 && sx <= 1 && sy >= -1 && sy <= 1 && x->_mp_den._mp_size == 1 && y->_mp_den._mp_size == 1) {
    if (sx != sy || sx == 0) return (sx > sy) - (sx < sy);
    const unsigned __int128 l = (unsigned __int128)x->_mp_num._mp_d[0] * y->_mp_den._mp_d[0];
    const unsigned __int128 r = (unsigned __int128)y->_mp_num._mp_d[0] * x->_mp_den._mp_d[0];
    const int c = (l > r) - (l < r);
    return sx > 0 ? c : -c;
  }
  const int c = ddd_q_integral(x) && ddd_q_integral(y)
                    ? mpz_cmp(mpq_numref(x), mpq_numref(y))
                    : mpq_cmp(x, y);
  return (c > 0) - (c < 0);
}
static inline int ddd_cmp(const mytype a, const mytype b)
{
  if (ddd_big(a) | ddd_big(b)) return ddd_cmp_slow(a, b);
  return (a->v > b->v) - (a->v < b->v);
}
static inline int ddd_sgn(const mytype a)
{
  if (ddd_big(a)) return mpq_sgn(ddd_bigq(a));
  return (a->v > 0) - (a->v < 0);
}
/* Truncated as GMP truncates: beyond 2^53 a conversion would round. */
DDD_SLOW double ddd_get_d_slow(const mytype a)
{
  ddd_qview t;
  mpq_srcptr q = ddd_cq(a, &t);
  /* Numerator and denominator doubles: their quotient rounded to nearest,
   * one step towards 0 where that went beyond the value (the exact sign
   * of q d - n, which one fused operation gives). */
  const int s = q->_mp_num._mp_size;
  if ((s == 1 || s == -1) && q->_mp_den._mp_size == 1 && q->_mp_num._mp_d[0] <= ((mp_limb_t)1 << 53) &&
      q->_mp_den._mp_d[0] <= ((mp_limb_t)1 << 53)) {
    const double n = (double)q->_mp_num._mp_d[0], d = (double)q->_mp_den._mp_d[0];
    double r = n / d;
    if (__builtin_fma(r, d, -n) > 0.0) r = __builtin_nextafter(r, 0.0);
    return s < 0 ? -r : r;
  }
  return mpq_get_d(q);
}
static inline double ddd_get_d(const mytype a)
{
  if (!ddd_big(a) && a->v <= (INT64_C(1) << 53) && a->v >= -(INT64_C(1) << 53)) return (double)a->v;
  return ddd_get_d_slow(a);
}
#undef DDD_SLOW

#else
static inline void ddd_init(mytype a) { a[0] = 0.0; }
static inline void ddd_clear(mytype a) { (void)a; }
static inline void ddd_set(mytype a, const mytype b) { a[0] = b[0]; }
static inline void ddd_set_d(mytype a, double b) { a[0] = b; }
static inline void ddd_set_si(mytype a, long b) { a[0] = (double)b; }
/* a := b / c, both converted to double first. */
static inline void ddd_set_si2(mytype a, long b, unsigned long c)
{
  a[0] = (double)b / (double)c;
}
static inline void ddd_add(mytype a, const mytype b, const mytype c)
{
  a[0] = b[0] + c[0];
}
static inline void ddd_sub(mytype a, const mytype b, const mytype c)
{
  a[0] = b[0] - c[0];
}
static inline void ddd_mul(mytype a, const mytype b, const mytype c)
{
  a[0] = b[0] * c[0];
}
/* a := a + b c, rounded twice (no fused multiply-add). */
static inline void ddd_addmul(mytype a, const mytype b, const mytype c)
{
  a[0] = a[0] + b[0] * c[0];
}
static inline void ddd_div(mytype a, const mytype b, const mytype c)
{
  a[0] = b[0] / c[0];
}
static inline void ddd_neg(mytype a, const mytype b) { a[0] = -b[0]; }
static inline void ddd_inv(mytype a, const mytype b) { a[0] = 1.0 / b[0]; }

/* Exact sign of a - b: +1, 0, or -1 (also when the difference is NaN). */
static inline int ddd_cmp(const mytype a, const mytype b)
{
  double t = a[0] - b[0];
  if (t > 0.0) return 1;
  if (t == 0.0) return 0;
  return -1;
}

/* Exact sign of a in the same way. */
static inline int ddd_sgn(const mytype a)
{
  if (a[0] > 0.0) return 1;
  if (a[0] == 0.0) return 0;
  return -1;
}

static inline double ddd_get_d(const mytype a) { return a[0]; }

#endif

#ifdef __cplusplus
}
#endif

#endif /* ZONIX_MP_H */
