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
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifdef ZONIX_EXACT
/* A GMP rational that zeroed storage already holds as 0: it takes GMP's
 * memory on first use, and locals release it on leaving their scope, so a
 * temporary needs no init/clear pair to be safe. */
struct zonix_rational {
  __mpq_struct q[1];
  int live;
#ifdef __cplusplus
  zonix_rational() : live(0) {}
  ~zonix_rational()
  {
    if (live) mpq_clear(q);
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
 * values from program start; dd_set_global_constants sets them again. */
extern mytype dd_zero;
extern mytype dd_minuszero;
extern mytype dd_one;
extern mytype dd_purezero;

/* Progress lines and traces are printed only when this is nonzero (0 by
 * default). */
extern int dd_debug;

/* Sets dd_zero, dd_minuszero, dd_one and dd_purezero. */
void dd_set_global_constants(void);

#ifdef ZONIX_EXACT
/* Exact rationals: every primitive is GMP's; sign tests are exact. */
static inline mpq_ptr ddd_q(struct zonix_rational *a)
{
  if (!a->live) {
    mpq_init(a->q);
    a->live = 1;
  }
  return a->q;
}
/* The 0 that a number without storage reads as; GMP only reads it.  Most
 * coordinates of rays and rows are 0, and storage for each would be most
 * of an exact run's allocations. */
static const mp_limb_t ddd_zero_limbs[2] = {0, 1};
static const __mpq_struct ddd_zero_q = {{0, 0, (mp_limb_t *)&ddd_zero_limbs[0]},
                                        {0, 1, (mp_limb_t *)&ddd_zero_limbs[1]}};
static inline mpq_srcptr ddd_cq(const struct zonix_rational *a)
{
  return a->live ? a->q : &ddd_zero_q;
}
static inline void ddd_init(mytype a) { a->live = 0; }
static inline void ddd_clear(mytype a)
{
  if (a->live) mpq_clear(a->q);
  a->live = 0;
}
/* a := 0, taking no storage when it has none. */
static inline void ddd_set_zero(mytype a)
{
  if (a->live) mpq_set_ui(a->q, 0, 1);
}
static inline void ddd_set(mytype a, const mytype b)
{
  if (!b->live || mpq_sgn(b->q) == 0)
    ddd_set_zero(a);
  else if (a != b)
    mpq_set(ddd_q(a), b->q);
}
static inline void ddd_set_d(mytype a, double b)
{
  if (b == 0.0)
    ddd_set_zero(a);
  else
    mpq_set_d(ddd_q(a), b);
}
static inline void ddd_set_si(mytype a, long b)
{
  if (b == 0)
    ddd_set_zero(a);
  else
    mpq_set_si(ddd_q(a), b, 1);
}
static inline void ddd_set_si2(mytype a, long b, unsigned long c)
{
  mpq_set_si(ddd_q(a), b, c);
  mpq_canonicalize(a->q);
}
/* Whether q is an integer.  The engine keeps its rows and rays integral,
 * and integers go through GMP's integer operations on the numerators:
 * the gcds that keep fractions canonical are most of the cost otherwise. */
static inline int ddd_q_integral(mpq_srcptr q)
{
  return q->_mp_den._mp_size == 1 && q->_mp_den._mp_d[0] == 1;
}
/* Makes r's denominator 1 after an integer result went to its numerator. */
static inline void ddd_q_make_integral(mpq_ptr r)
{
  if (!ddd_q_integral(r)) mpz_set_ui(mpq_denref(r), 1);
}
/* a := b op c: on the numerators when both are integers, else on the
 * fractions.  The operations are constants where it is inlined. */
static inline void ddd_q_apply(mytype a, const mytype b, const mytype c,
                               void (*zop)(mpz_ptr, mpz_srcptr, mpz_srcptr),
                               void (*qop)(mpq_ptr, mpq_srcptr, mpq_srcptr))
{
  mpq_ptr r = ddd_q(a);
  mpq_srcptr x = ddd_cq(b), y = ddd_cq(c);
  if (ddd_q_integral(x) && ddd_q_integral(y)) {
    zop(mpq_numref(r), mpq_numref(x), mpq_numref(y));
    ddd_q_make_integral(r);
  } else {
    qop(r, x, y);
  }
}
static inline void ddd_add(mytype a, const mytype b, const mytype c) { ddd_q_apply(a, b, c, mpz_add, mpq_add); }
static inline void ddd_sub(mytype a, const mytype b, const mytype c) { ddd_q_apply(a, b, c, mpz_sub, mpq_sub); }
static inline void ddd_mul(mytype a, const mytype b, const mytype c) { ddd_q_apply(a, b, c, mpz_mul, mpq_mul); }
/* a := a + b c. */
static inline void ddd_addmul(mytype a, const mytype b, const mytype c)
{
  if (!b->live || !c->live) return; /* a zero term */
  mpq_ptr r = ddd_q(a);
  if (ddd_q_integral(r) && ddd_q_integral(b->q) && ddd_q_integral(c->q)) {
    mpz_addmul(mpq_numref(r), mpq_numref(b->q), mpq_numref(c->q));
  } else {
    mpq_t t;
    mpq_init(t);
    mpq_mul(t, b->q, c->q);
    mpq_add(r, r, t);
    mpq_clear(t);
  }
}
static inline void ddd_div(mytype a, const mytype b, const mytype c)
{
  mpq_ptr r = ddd_q(a);
  mpq_srcptr x = ddd_cq(b), y = ddd_cq(c);
  /* Points are written divided by a first entry that is often 1. */
  if (ddd_q_integral(x) && ddd_q_integral(y) && y->_mp_num._mp_size == 1 &&
      y->_mp_num._mp_d[0] == 1) {
    mpz_set(mpq_numref(r), mpq_numref(x));
    ddd_q_make_integral(r);
  } else {
    mpq_div(r, x, y);
  }
}
static inline void ddd_neg(mytype a, const mytype b)
{
  if (!b->live)
    ddd_set_zero(a);
  else
    mpq_neg(ddd_q(a), b->q);
}
static inline void ddd_inv(mytype a, const mytype b) { mpq_inv(ddd_q(a), ddd_cq(b)); }
static inline int ddd_cmp(const mytype a, const mytype b)
{
  mpq_srcptr x = ddd_cq(a), y = ddd_cq(b);
  const int c = ddd_q_integral(x) && ddd_q_integral(y)
                    ? mpz_cmp(mpq_numref(x), mpq_numref(y))
                    : mpq_cmp(x, y);
  return (c > 0) - (c < 0);
}
static inline int ddd_sgn(const mytype a) { return a->live ? mpq_sgn(a->q) : 0; }
static inline double ddd_get_d(const mytype a) { return a->live ? mpq_get_d(a->q) : 0.0; }

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
