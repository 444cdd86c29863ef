/* zonix core: tolerance-aware comparisons, row arithmetic, arrays of
 * numbers and set families.
 *
 * Every sign decision of the library goes through the tolerance tests
 * below: a number within dd_zero (1e-07) of zero counts as zero, both bounds
 * inclusive.  The tests are inline because the engine and the LP solvers
 * call them in their innermost loops.
 */
#ifndef ZONIX_CORE_H
#define ZONIX_CORE_H

#include "zonixtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ==== tolerance tests ================================================== */

/* a >= -1e-07.  NaN is not nonnegative. */
static inline dd_boolean dd_Nonnegative(const mytype a)
{
  return ddd_cmp(a, dd_minuszero) >= 0;
}

/* a <= 1e-07.  NaN is nonpositive. */
static inline dd_boolean dd_Nonpositive(const mytype a)
{
  return ddd_cmp(a, dd_zero) <= 0;
}

/* a > 1e-07. */
static inline dd_boolean dd_Positive(const mytype a)
{
  return !dd_Nonpositive(a);
}

/* a < -1e-07 (true for NaN). */
static inline dd_boolean dd_Negative(const mytype a)
{
  return !dd_Nonnegative(a);
}

/* -1e-07 <= a <= 1e-07. */
static inline dd_boolean dd_EqualToZero(const mytype a)
{
  return dd_Nonnegative(a) && dd_Nonpositive(a);
}

static inline dd_boolean dd_Nonzero(const mytype a)
{
  return dd_Positive(a) || dd_Negative(a);
}

/* a - b > 1e-07, the difference formed in double arithmetic. */
static inline dd_boolean dd_Larger(const mytype a, const mytype b)
{
#ifdef ZONIX_EXACT
  /* With a zero tolerance the difference need not be formed. */
  if (ddd_sgn(dd_zero) == 0) return ddd_cmp(a, b) > 0;
#endif
  mytype temp;
  ddd_init(temp);
  ddd_sub(temp, a, b);
  const dd_boolean larger = dd_Positive(temp);
  ddd_clear(temp);
  return larger;
}

static inline dd_boolean dd_Smaller(const mytype a, const mytype b)
{
  return dd_Larger(b, a);
}

static inline dd_boolean dd_Equal(const mytype a, const mytype b)
{
  return !dd_Larger(a, b) && !dd_Smaller(a, b);
}

/* ==== arithmetic on numbers and rows =================================== */

/* absval := -val if val is negative beyond the tolerance, else val (so a
 * value in [-1e-07, 0) is copied unchanged). */
void dd_abs(mytype absval, const mytype val);

/* lc := v1*c1 + v2*c2; lc is written before v2*c2 is formed, so lc must not
 * be v2 or c2. */
void dd_LinearComb(mytype lc, const mytype v1, const mytype c1,
                   const mytype v2, const mytype c2);

/* prod := sum of v1[j]*v2[j], j = 0..d-1, in that order; prod must not lie
 * inside v1 or v2. */
void dd_InnerProduct(mytype prod, dd_colrange d, dd_Arow v1, dd_Arow v2);

/* Divides V[0..d_size-1] by its smallest absolute entry above the tolerance
 * (the first one found among entries within the tolerance of each other).
 * A row with no such entry is left unchanged. */
void dd_Normalize(dd_colrange d_size, dd_Arow V);

/* *val := sum of A[i-1][j]*p[j], j = 0..d_size-1, from exact zero in
 * increasing j: the value of row i (1-based) of A at p. */
void dd_AValue(mytype *val, dd_colrange d_size, dd_Amatrix A, mytype *p,
               dd_rowrange i);

/* ZS := {i in 1..m_size : row i of A at x is zero within the tolerance};
 * ZS is emptied first. */
void dd_ZeroIndexSet(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                     mytype *x, dd_rowset ZS);

/* ==== arrays of numbers ================================================ */

/* If d > 0, *a := new row of d zeros; otherwise nothing is allocated and *a
 * is not written.  Free with dd_FreeArow. */
void dd_InitializeArow(dd_colrange d, dd_Arow *a);

/* If m > 0, *A := new array of m rows, each from dd_InitializeArow(d).
 * Free with dd_FreeAmatrix. */
void dd_InitializeAmatrix(dd_rowrange m, dd_colrange d, dd_Amatrix *A);

/* *B := new d x d matrix of zeros (at least 1 x 1 is allocated when d < 1).
 * Free with dd_FreeBmatrix with the same d. */
void dd_InitializeBmatrix(dd_colrange d, dd_Bmatrix *B);

/* Release arrays made by the functions above; null arrays and null rows are
 * skipped. */
void dd_FreeArow(dd_colrange d, dd_Arow a);
void dd_FreeAmatrix(dd_rowrange m, dd_colrange d, dd_Amatrix A);
void dd_FreeBmatrix(dd_colrange d, dd_Bmatrix B);

/* acopy[j] := a[j], j = 0..d-1. */
void dd_CopyArow(dd_Arow acopy, dd_Arow a, dd_colrange d);

/* Copies m rows of d entries; the rows of Acopy must exist. */
void dd_CopyAmatrix(dd_Amatrix Acopy, dd_Amatrix A, dd_rowrange m,
                    dd_colrange d);

/* TCOPY := T (note: the source comes second). */
void dd_CopyBmatrix(dd_colrange d_size, dd_Bmatrix T, dd_Bmatrix TCOPY);

/* T := the d_size x d_size identity. */
void dd_SetToIdentity(dd_colrange d_size, dd_Bmatrix T);

/* ==== set families ===================================================== */

/* New family of max(fsize, 1) empty sets of ground size max(ssize, 1);
 * famsize and setsize record fsize and ssize (0 when not positive).  The
 * caller frees it with dd_FreeSetFamily. */
dd_SetFamilyPtr dd_CreateSetFamily(dd_bigrange fsize, dd_bigrange ssize);

/* Frees a family from dd_CreateSetFamily; NULL does nothing. */
void dd_FreeSetFamily(dd_SetFamilyPtr F);

#ifdef __cplusplus
}
#endif

#endif /* ZONIX_CORE_H */
