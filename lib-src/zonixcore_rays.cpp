// Rays of the double description method: storing a ray with its zero set
// and first violated position, combining two rays on a hyperplane,
// evaluating the list on a new row and sorting it by sign, removal, and the
// comparisons used by the row orders.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "zonixcore_internal.hpp"
#include "zonixio.h"

using namespace zonix::core;

namespace {

void sort_after_positives(dd_ConePtr cone, dd_RayPtr from, std::vector<ListRun> *zero_runs = nullptr);

// Makes the ray list the non-empty sign lists joined: negatives,
// positives, zeros.
void join_sign_lists(dd_ConePtr cone)
{
  cone->FirstRay = nullptr;
  dd_RayPtr last = nullptr;
  const dd_RayPtr heads[3] = {cone->NegHead, cone->PosHead, cone->ZeroHead};
  const dd_RayPtr lasts[3] = {cone->NegLast, cone->PosLast, cone->ZeroLast};
  for (int k = 0; k < 3; ++k) {
    if (heads[k] == nullptr) continue;
    if (last == nullptr)
      cone->FirstRay = heads[k];
    else
      last->Next = heads[k];
    last = lasts[k];
  }
  if (last != nullptr) {
    cone->LastRay = last;
    last->Next = nullptr;
  } else if (cone->ArtificialRay != nullptr) {
    cone->LastRay = cone->ArtificialRay;
  }
  if (cone->ArtificialRay != nullptr) cone->ArtificialRay->Next = cone->FirstRay;
}


// The value of row k of the cone at p, exact zero when it is within the
// residue bound at the accuracy of the ray being stored.
inline void row_value(mytype *val, dd_ConePtr cone, mytype *p, dd_rowrange k)
{
  RowValue v;
  row_eval(v, cone->A[k - 1], p, cone->d);
  dd_workspace &ws = workspace(cone);
  if (snap_residue(v.val, value_bound(v, ws.scratch.storing_accuracy, cone->d))) ++ws.scratch.snapped;
  ddd_set(*val, v.val);
}

// The sign of a value by the tolerance tests: -1 negative (so also a NaN),
// 0 within the tolerance, 1 positive.
[[maybe_unused]] inline int tolerance_sign(const mytype v)
{
  if (dd_Negative(v)) return -1;
  return dd_EqualToZero(v) ? 0 : 1;
}

#ifndef ZONIX_EXACT
// The sign of v, the value of row at p, snapped first where it lies
// outside the tolerance but within the residue bound.  Only a value within
// `near`, a cheap bound of the residue bound, needs the exact bound.
[[gnu::noinline]] int snapped_sign(mytype v, const mytype *row, mytype *p, dd_colrange d,
                                   double accuracy, long *snapped)
{
  RowValue rv;
  row_eval(rv, row, p, d);
  if (snap_residue(rv.val, value_bound(rv, accuracy, d))) ++*snapped;
  ddd_set(v, rv.val);
  return tolerance_sign(v);
}

[[gnu::always_inline]] inline int settled_sign(mytype v, double near, const mytype *row, mytype *p,
                                               dd_colrange d, double accuracy, long *snapped)
{
  const double x = ddd_get_d(v);
  if (!within_tolerance(x)) {
    mytype a;
    exact_abs(a, v);
    if (ddd_get_d(a) <= near) return snapped_sign(v, row, p, d, accuracy, snapped);
  }
  // tolerance_sign without jumps.
  const int nonnegative = x - ddd_get_d(dd_minuszero) >= 0.0;
  return (static_cast<int>(x - ddd_get_d(dd_zero) > 0.0) & nonnegative) - !nonnegative;
}
#endif

#ifdef ZONIX_EXACT
// The sign of a . b for vectors of integers whose products and partial
// sums are integers below 2^53: the doubles then hold them exactly, and
// four sums side by side run in the time of one.
inline int exact_small_sign(const double *a, const double *b, dd_colrange d)
{
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
  dd_colrange j = 0;
  for (; j + 3 < d; j += 4) {
    s0 += a[j] * b[j];
    s1 += a[j + 1] * b[j + 1];
    s2 += a[j + 2] * b[j + 2];
    s3 += a[j + 3] * b[j + 3];
  }
  for (; j < d; ++j) s0 += a[j] * b[j];
  const double s = (s0 + s1) + (s2 + s3);
  return (s > 0.0) - (s < 0.0);
}
#endif

// signs[q] := the sign of the snapped value (as row_value) of row
// OrderVector[pos[q]] at p, q < n, four rows at a time.
void row_signs(dd_ConePtr cone, RayScratch &S, mytype *p, const dd_rowrange *pos,
               long n, int *signs)
{
  const dd_colrange d = cone->d;
#ifdef ZONIX_EXACT
  // Integer rows and rays: a sign is read from doubles where their
  // rounding bound tells it, from integers where not.  The rows both
  // combined rays vanish on, and the row they were combined on, vanish at
  // the new ray without being evaluated.
  dd_workspace &ws = workspace(cone);
  const unsigned char *row_ok = nullptr;
  const double *row_max = nullptr;
  const double *row_approx = ws.row_norms.approx(cone, &row_ok, &row_max);
  S.ray_approx.resize(static_cast<size_t>(d > 0 ? d : 1));
  double *pa = S.ray_approx.data();
  const bool ray_ok = approximate(p, d, pa);
  double ray_norm = 0.0;  // |p|_1, exact while below 2^53
  for (dd_colrange j = 0; j < d; ++j) ray_norm += std::fabs(pa[j]);
  const set_word *z1 = S.pending_zero1;
  const set_word *z2 = S.pending_zero2;
  mytype val;
  for (long q = 0; q < n; ++q) {
    const dd_rowrange k = cone->OrderVector[pos[q]];
    int &sign = signs[q];
    if (k == S.pending_row || (z1 != nullptr && in_both(z1, z2, k))) {
      sign = 0;
      continue;
    }
    if (ray_ok && row_ok[k] != 0) {
      const double *a = row_approx + static_cast<size_t>(k) * static_cast<size_t>(d);
      // Every term and partial sum is an integer below max|a| |p|_1 < 2^53
      // (half of it, against the rounding of the bound): each is exact,
      // in any order.
      if (row_max[k] * ray_norm < 0x1p52) {
        sign = exact_small_sign(a, pa, d);
        continue;
      }
      const int f = filtered_sign(a, pa, d);
      if (f != 2) {
        sign = f;
        continue;
      }
    }
    row_dot(val, cone->A[k - 1], p, d);
    sign = ddd_sgn(val);
  }
#else
  const double storing_accuracy = S.storing_accuracy;
  const double *norm = workspace(cone).row_norms.get(cone);
  // value_bound_above is the row's 1-norm times this.
  const double per_norm = value_bound_above(1.0, max_abs(p, d), storing_accuracy, d);
  const dd_rowrange *order = cone->OrderVector;
  const dd_Amatrix A = cone->A;
  mytype val[4];
  const mytype *rows[4];
  dd_rowrange k[4];
  long q = 0;
  for (; q + 3 < n; q += 4) {
    for (int t = 0; t < 4; ++t) {
      k[t] = order[pos[q + t]];
      rows[t] = A[k[t] - 1];
    }
    rows_value<4>(val, rows, p, d);
    for (int t = 0; t < 4; ++t)
      signs[q + t] = settled_sign(val[t], norm[k[t]] * per_norm, rows[t], p, d, storing_accuracy, &S.snapped);
  }
  for (; q < n; ++q) {
    k[0] = order[pos[q]];
    rows[0] = A[k[0] - 1];
    rows_value<1>(val, rows, p, d);
    signs[q] = settled_sign(val[0], norm[k[0]] * per_norm, rows[0], p, d, storing_accuracy, &S.snapped);
  }
#endif
}

// store_from_parents for exact rays combined with positive weights on
// row OrderVector[Iteration] (pending_row): the new ray's sign on a row
// follows from its parents' wherever they are not of opposite strict
// signs.  Both negative, or one negative and one zero: negative; both
// zero: zero; otherwise positive.  Only rows where one parent is negative
// and the other positive are evaluated, which on polytopes with many more
// facets than vertices is a few of the rows the parents violate.  The
// zero set holds the rows both parents lie on and row pending_row already.
void store_exactly_from_parents(dd_ConePtr cone, RayScratch &S, dd_RayPtr RR, mytype *p,
                                dd_boolean *feasible)
{
  const dd_rowrange m = cone->m;
  const long nw = set_data_words(m);
  const long it = cone->Iteration;
  const dd_rowrange *order = cone->OrderVector;
  set_word *z = RR->ZeroSet;
  const set_word *z1 = S.pending_zero1;
  const set_word *z2 = S.pending_zero2;
  const Conflicts &c1 = S.pending_conflict1;
  const Conflicts &c2 = S.pending_conflict2;
  std::vector<dd_rowrange> &pos = S.eval_positions;
  pos.clear();
  set_word *c = S.conflict_build.get(m);
  set_emptyset(c);
  // Parents violate no position up to Iteration.
  const long first = (it >> 5) + 1;
  const long lo = std::max(first, std::min(c1.lo, c2.lo));
  const long hi = std::min(nw, std::max(c1.hi, c2.hi));
  for (long w = lo; w <= hi; ++w) {
    set_word x1 = c1.word(w), x2 = c2.word(w);
    if (w == first) {
      const set_word later = ~set_word{0} << (it & 31);
      x1 &= later;
      x2 &= later;
    }
    set_word neg = x1 & x2;
    for (set_word x = x1 ^ x2; x != 0u; x &= x - 1u) {
      const int b = std::countr_zero(x);
      const dd_rowrange i = (w - 1) * 32 + b + 1;
      const set_word *other = ((x1 >> b) & 1u) != 0u ? z2 : z1;
      if (in_set(other, order[i]))
        neg |= set_word{1} << b;
      else
        pos.push_back(i);
    }
    c[w] = neg;
  }
  std::vector<int> &signs = S.stored_signs;
  signs.resize(pos.size() + 1);
  row_signs(cone, S, p, pos.data(), static_cast<long>(pos.size()), signs.data());
  for (size_t q = 0; q < pos.size(); ++q) {
    const dd_rowrange i = pos[q];
    if (signs[q] == 0) add_elem(z, order[i]);
    if (signs[q] < 0) add_elem(c, i);
  }
  dd_rowrange fii = m + 1;
  for (long w = lo; w <= hi; ++w)
    if (c[w] != 0u) {
      fii = (w - 1) * 32 + std::countr_zero(c[w]) + 1;
      break;
    }
  set_conflicts(workspace(cone).rays.conflicts(), RR, fii <= m ? c : nullptr, nw, &S.conflict_stock);
  *feasible = fii > m ? dd_TRUE : dd_FALSE;
  RR->FirstInfeasIndex = fii;
  RR->feasible = *feasible;
}

// Stores the facts of LastRay at p, the combination dd_CreateNewRay made
// on row OrderVector[Iteration]: only the unprocessed rows that a parent
// violates are evaluated.  A positive combination is negative only where
// a parent is, and zero elsewhere only where both parents are; on the
// processed rows both parents are nonnegative.  Rounding breaks that only
// where one parent counts as zero within the tolerance, so those rows are
// evaluated too: a ray found violating a processed row stays infeasible to
// the end of the run, which then reports the inconsistency.
void store_from_parents(dd_ConePtr cone, RayScratch &S, dd_RayPtr RR, mytype *p,
                        dd_boolean *feasible)
{
  dd_workspace &ws = workspace(cone);
  const dd_rowrange m = cone->m;
  const dd_colrange d = cone->d;
  // Every data word is written below: a set of the right size need not
  // be emptied first.
  if (RR->ZeroSet == nullptr || static_cast<long>(RR->ZeroSet[0]) != (m > 0 ? m : 1))
    reset_zero_set(RR, d, m);
  for (dd_colrange j = 0; j < d; ++j) ddd_set(RR->Ray[j], p[j]);
  const long nw = set_data_words(m);
  set_word *z = RR->ZeroSet;
  const set_word *z1 = S.pending_zero1;
  const set_word *z2 = S.pending_zero2;
  for (long w = 1; w <= nw; ++w) z[w] = z1[w] & z2[w];
  set_addelem(z, S.pending_row);

  const Conflicts &c1 = S.pending_conflict1;
  const Conflicts &c2 = S.pending_conflict2;
  std::vector<dd_rowrange> &pos = S.eval_positions;
  const long it = cone->Iteration;  // positions 1..it are processed
  if (!numbers_round && S.pending_row != 0) {
    store_exactly_from_parents(cone, S, RR, p, feasible);
    return;
  }
  // Written through a pointer into room for every position twice over:
  // the array keeps its size from ray to ray.
  const size_t room = 2 * static_cast<size_t>(nw) * 32;
  if (pos.size() < room) pos.resize(room);
  dd_rowrange *at = pos.data();
  // Positions after Iteration in either parent's conflict set.
  for (long w = (it >> 5) + 1; w <= nw; ++w) {
    set_word x = c1.word(w) | c2.word(w);
    if (w == (it >> 5) + 1) x &= ~set_word{0} << (it & 31);
    for (; x != 0u; x &= x - 1u) *at++ = (w - 1) * 32 + std::countr_zero(x) + 1;
  }
  const dd_rowrange *row_pos = ws.row_positions.data();
  for (long w = 1; w <= nw; ++w)
    for (set_word x = z1[w] ^ z2[w]; x != 0u; x &= x - 1u) {
      const dd_rowrange i = row_pos[(w - 1) * 32 + std::countr_zero(x) + 1];
      if (i <= it || (!c1.has(i) && !c2.has(i))) *at++ = i;
    }
  const size_t n = static_cast<size_t>(at - pos.data());
  std::vector<int> &signs = S.stored_signs;
  if (signs.size() < n + 1) signs.resize(n + 1);
  row_signs(cone, S, p, pos.data(), static_cast<long>(n), signs.data());
  set_word *c = S.conflict_build.get(m);
  dd_rowrange fii = m + 1;
  // The signs are a coin toss: read without jumps on them, apart from
  // the rare zeros.
  int any = 0;
  for (size_t q = 0; q < n; ++q) {
    if (signs[q] == 0) add_elem(z, cone->OrderVector[pos[q]]);
    any |= signs[q];
  }
  const bool violates = any < 0;
  if (violates) {
    set_emptyset(c);
    for (size_t q = 0; q < n; ++q) {
      const dd_rowrange i = pos[q];
      const set_word neg = signs[q] < 0;
      c[((i - 1) >> 5) + 1] |= neg << ((i - 1) & 31);
      fii = neg != 0u && i < fii ? i : fii;
    }
  }
  set_conflicts(ws.rays.conflicts(), RR, violates ? c : nullptr, nw, &S.conflict_stock);
  *feasible = fii > m ? dd_TRUE : dd_FALSE;
  RR->FirstInfeasIndex = fii;
  RR->feasible = *feasible;
}

// The 1-norm of row, summed as row_eval sums it.
double row_norm(const mytype *row, dd_colrange d)
{
  double norm = 0.0;
  mytype a;
  ddd_init(a);
  for (dd_colrange j = 0; j < d; ++j) {
    exact_abs(a, row[j]);
    norm += ddd_get_d(a);
  }
  ddd_clear(a);
  return norm;
}

// ARay := the snapped value of row (of 1-norm norm) at r[q], q < n <= 4;
// *snapped counts the snaps.
void set_values(const mytype *row, double norm, dd_RayPtr *r, int n,
                dd_colrange d, long *snapped)
{
  if constexpr (!numbers_round) {
    // Exact values need no snapping; summed in place.
    for (int q = 0; q < n; ++q) row_dot(r[q]->ARay, row, r[q]->Ray, d);
    return;
  }
  mytype val[4];
  const mytype *pts[4];
  for (int q = 0; q < n; ++q) pts[q] = r[q]->Ray;
  if (n == 4) {
    points_value<4>(val, row, pts, d);
  } else {
    for (int q = 0; q < n; ++q) points_value<1>(val + q, row, pts + q, d);
  }
  for (int q = 0; q < n; ++q) {
    if (numbers_round && !dd_EqualToZero(val[q])) {
      const double e = ray_accuracy(r[q], d);
      mytype a;
      exact_abs(a, val[q]);
      if (ddd_get_d(a) <= value_bound_above(norm, max_abs(pts[q], d), e, d)) {
        RowValue rv;
        row_eval(rv, row, pts[q], d);
        if (snap_residue(rv.val, value_bound(rv, e, d))) ++*snapped;
        ddd_set(val[q], rv.val);
      }
    }
    ddd_set(r[q]->ARay, val[q]);
  }
}

// ARay := the snapped value of row at each ray of the list, four rays at
// a time (four sums side by side run in the time of one).
void set_all_values(dd_ConePtr cone, const mytype *row)
{
  const dd_colrange d = cone->d;
  const double norm = numbers_round ? row_norm(row, d) : 0.0;
  dd_RayPtr r[4];
  dd_RayPtr t = cone->FirstRay;
  while (t != nullptr) {
    int n = 0;
    for (; n < 4 && t != nullptr; ++n, t = t->Next) r[n] = t;
    set_values(row, norm, r, n, d, &workspace(cone).snapped);
  }
}

// The value of `row` at ray r, snapped with r's accuracy.
inline void ray_value(mytype val, const mytype *row, dd_RayPtr r,
                      dd_colrange d)
{
  RowValue v;
  row_eval(v, row, r->Ray, d);
  snap_residue(v.val, value_bound(v, ray_accuracy(r, d), d));
  ddd_set(val, v.val);
}

// The accuracy of a ray at p that has no recorded history: the residues
// on the rows the absolute test puts it on.
double measured_accuracy(dd_ConePtr cone, mytype *p)
{
  double e = 0.0;
  if constexpr (!numbers_round) return e;
  RowValue v;
  for (dd_rowrange k = 1; k <= cone->m; ++k) {
    row_eval(v, cone->A[k - 1], p, cone->d);
    if (dd_EqualToZero(v.val)) {
      const double r = residue_accuracy(v);
      if (r > e) e = r;
    }
  }
  return e;
}

// a1 and a2 := the values of row at p1 and p2, each as row_eval makes it,
// in one pass: two chains side by side, and the row's norm summed once.
inline void row_eval_pair(RowValue &a1, RowValue &a2, const mytype *row, const mytype *p1,
                          const mytype *p2, dd_colrange d)
{
  if constexpr (!numbers_round) {
    row_eval(a1, row, p1, d);
    row_eval(a2, row, p2, d);
  } else {
    double v1 = 0.0, v2 = 0.0, m1 = 0.0, m2 = 0.0, n = 0.0;
    for (dd_colrange j = 0; j < d; ++j) {
      const double r = ddd_get_d(row[j]);
      const double x1 = r * ddd_get_d(p1[j]);
      const double x2 = r * ddd_get_d(p2[j]);
      v1 += x1;
      v2 += x2;
      // As exact_abs, but for the sign of a NaN, which no test reads.
      m1 += negate_if(x1, x1 < 0.0);
      m2 += negate_if(x2, x2 < 0.0);
      n += negate_if(r, r < 0.0);
    }
    ddd_set_d(a1.val, v1);
    ddd_set_d(a2.val, v2);
    ddd_set_d(a1.mag, m1);
    ddd_set_d(a2.mag, m2);
    ddd_set_d(a1.norm, n);
    ddd_set_d(a2.norm, n);
  }
}

// dd_Normalize, inline for doubles.
inline void normalize_ray(dd_colrange d, mytype *v)
{
  if constexpr (!numbers_round)
    scale_ray(d, v);
  else
    divide_by_least(d, v);
}

// The combination dd_CreateNewRay stores: Ptr1 and Ptr2 weighted to lie
// on row ii, in S's combination row, with what storing it needs left in S.
mytype *combine(dd_ConePtr cone, RayScratch &S, dd_RayPtr Ptr1, dd_RayPtr Ptr2,
                dd_rowrange ii)
{
  const dd_colrange d = cone->d;
  dd_workspace &ws = workspace(cone);
  mytype *NewRay = S.new_ray_row.get(d);
  auto &v1 = S.weights[0];
  auto &v2 = S.weights[1];
  mytype t1, t2;
  ddd_init(t1);
  ddd_init(t2);
  // Recomputed rather than read from ARay: the callers may pass rays whose
  // ARay belongs to another row.
  const mytype *row = cone->A[ii - 1];
  RowValue &a1 = S.combined[0];
  RowValue &a2 = S.combined[1];
  row_eval_pair(a1, a2, row, Ptr1->Ray, Ptr2->Ray, d);
  dd_abs(v1, a1.val);
  dd_abs(v2, a2.val);
  if (dd_debug) {
    dd_Printf(stderr, "dd_CreateNewRay: values on row %ld: %g %g\n", ii,
                 ddd_get_d(a1.val), ddd_get_d(a2.val));
  }
  reduce_weights(v1, v2);
  // Each ray weighted by the other's value: the sum lies on row ii.
  //
  // Where the two terms cancel, the entry is what the errors leave.  With
  // coordinate errors up to e1 and e2 (the rays' accuracies), v1 is off by
  // up to e1 |row|_1 plus its rounding, which moves entry j by that times
  // |Ptr2[j]|; the coordinates themselves move it by v2 e1 + v1 e2.  An
  // entry within that bound cannot be told from an exact zero (facets and
  // vertices of integer data have many); kept, it would become the divisor
  // of the normalisation and blow the ray up.  It is set to zero.
  const double e1 = ray_accuracy(Ptr1, d);
  const double e2 = ray_accuracy(Ptr2, d);
  const double rnd = static_cast<double>(d + 3) * unit_roundoff;
  const double norm = ddd_get_d(a1.norm);
  const double dv1 = e1 * norm + rnd * ddd_get_d(a1.mag);
  const double dv2 = e2 * norm + rnd * ddd_get_d(a2.mag);
  const double own = ddd_get_d(v2) * e1 + ddd_get_d(v1) * e2;
  for (dd_colrange j = 0; j < d; ++j) {
    // dd_LinearComb's arithmetic, without its temporary.
    ddd_mul(NewRay[j], Ptr1->Ray[j], v2);
    ddd_addmul(NewRay[j], Ptr2->Ray[j], v1);
    if constexpr (numbers_round) {
      exact_abs(t1, Ptr1->Ray[j]);
      exact_abs(t2, Ptr2->Ray[j]);
      if (snap_residue(NewRay[j], residue_factor * (own + dv2 * ddd_get_d(t1) + dv1 * ddd_get_d(t2))))
        ++S.snapped;
    }
  }
  if (dd_debug) {
    dd_Printf(stderr, "new ray before normalisation:");
    for (dd_colrange j = 0; j < d; ++j)
      dd_Printf(stderr, " %g", ddd_get_d(NewRay[j]));
    dd_Printf(stderr, "\n");
  }
  normalize_ray(d, NewRay);
  if (dd_debug) {
    dd_Printf(stderr, "new ray after normalisation:");
    for (dd_colrange j = 0; j < d; ++j)
      dd_Printf(stderr, " %g", ddd_get_d(NewRay[j]));
    dd_Printf(stderr, "\n");
  }
  // The accuracy of the new ray, measured where it must be zero: on row ii
  // and on the rows both rays lie on.  Exact rays have no error to measure.
  double acc = 0.0;
  if constexpr (numbers_round) {
    const double *norms = ws.row_norms.get(cone);
    // Four rows at a time; residue_accuracy is |value| / |row|_1.
    dd_rowrange rows[4];
    int n = 0;
    auto flush = [&]() {
      mytype val[4];
      const mytype *a[4];
      for (int q = 0; q < n; ++q) a[q] = cone->A[rows[q] - 1];
      if (n == 4) {
        rows_value<4>(val, a, NewRay, d);
      } else {
        for (int q = 0; q < n; ++q) rows_value<1>(val + q, a + q, NewRay, d);
      }
      for (int q = 0; q < n; ++q) {
        const double nk = norms[rows[q]];
        exact_abs(t1, val[q]);
        if (nk > 0.0 && ddd_get_d(t1) / nk > acc) acc = ddd_get_d(t1) / nk;
      }
      n = 0;
    };
    rows[n++] = ii;
    const long nw = set_data_words(cone->m);
    const set_word *z1 = Ptr1->ZeroSet;
    const set_word *z2 = Ptr2->ZeroSet;
    for (long w = 1; w <= nw; ++w)
      for (set_word x = z1[w] & z2[w]; x != 0u; x &= x - 1u) {
        rows[n++] = (w - 1) * 32 + std::countr_zero(x) + 1;
        if (n == 4) flush();
      }
    if (n > 0) flush();
    const double size = max_abs(NewRay, d);
    // Residues far beyond rounding: both rays were on row ii in truth, and
    // their combination is noise.
    if (acc > lost_accuracy * size) ++S.alarms;
    if (ws.conflict_lists) {
      S.pending_zero1 = Ptr1->ZeroSet;
      S.pending_zero2 = Ptr2->ZeroSet;
      S.pending_row = ii;
    }
  } else {
    // Exactly: the new ray vanishes wherever both rays do, and on row ii
    // when their values there have opposite signs.
    S.pending_zero1 = Ptr1->ZeroSet;
    S.pending_zero2 = Ptr2->ZeroSet;
    if (ddd_sgn(a1.val) * ddd_sgn(a2.val) < 0) S.pending_row = ii;
  }
  if (ws.conflict_lists) {
    const ConflictTable &conflicts = ws.rays.conflicts();
    S.pending_conflict1 = conflicts_of(conflicts, Ptr1);
    S.pending_conflict2 = conflicts_of(conflicts, Ptr2);
  }
  S.pending_accuracy = acc;
  ddd_clear(t1);
  ddd_clear(t2);
  return NewRay;
}


// Appends r to the list and counts it.
void append_ray(dd_ConePtr cone, dd_RayPtr r)
{
  if (cone->FirstRay == nullptr) {
    if (dd_debug) dd_Printf(stderr, "Create the first ray pointer\n");
    cone->FirstRay = r;
    if (cone->ArtificialRay != nullptr) cone->ArtificialRay->Next = r;
  } else {
    if (dd_debug) dd_Printf(stderr, "Create a new ray pointer\n");
    cone->LastRay->Next = r;
  }
  cone->LastRay = r;
  r->Next = nullptr;
  cone->RayCount++;
  cone->TotalRayCount++;
  if (dd_debug && cone->TotalRayCount % 100 == 0)
    dd_Printf(stderr,
                 "*Rays (Total, Currently Active, Feasible) =%8ld%8ld%8ld\n",
                 cone->TotalRayCount, cone->RayCount, cone->FeasibleRayCount);
}

}  // namespace

extern "C" {

void dd_SetInequalitySets(dd_ConePtr cone)
{
  dd_PolyhedraPtr poly = cone->parent;
  set_emptyset(cone->GroundSet);
  set_emptyset(cone->EqualitySet);
  set_emptyset(cone->NonequalitySet);
  for (dd_rowrange i = 1; i <= poly->m; ++i) {
    set_addelem(cone->GroundSet, i);
    if (poly->EqualityIndex[i] == 1) set_addelem(cone->EqualitySet, i);
    if (poly->EqualityIndex[i] == -1) set_addelem(cone->NonequalitySet, i);
  }
}

void dd_StoreRay1(dd_ConePtr cone, mytype *p, dd_boolean *feasible)
{
  dd_RayPtr RR = cone->LastRay;
  const dd_rowrange m = cone->m;
  dd_rowrange fii = m + 1;
  *feasible = dd_TRUE;
  reset_zero_set(RR, cone->d, m);
  for (dd_colrange j = 0; j < cone->d; ++j) ddd_set(RR->Ray[j], p[j]);

  RayScratch &S = workspace(cone).scratch;
  std::vector<dd_rowrange> &pos = S.eval_positions;
  pos.resize(static_cast<size_t>(m > 0 ? m : 0));
  for (dd_rowrange i = 1; i <= m; ++i) pos[static_cast<size_t>(i - 1)] = i;
  std::vector<int> &signs = S.stored_signs;
  signs.resize(static_cast<size_t>(m) + 1);
  row_signs(cone, S, p, pos.data(), m, signs.data());
  bool violates = false;
  for (dd_rowrange i = 0; i < m; ++i) violates = violates || signs[static_cast<size_t>(i)] < 0;
  set_word *c = S.conflict_build.get(m);
  if (violates) set_emptyset(c);
  for (dd_rowrange i = 1; i <= m; ++i) {
    const dd_rowrange k = cone->OrderVector[i];
    const int sign = signs[static_cast<size_t>(i - 1)];
    if (dd_debug) dd_Printf(stderr, "dd_StoreRay1: row %ld sign %d\n", k, sign);
    if (sign == 0) add_elem(RR->ZeroSet, k);
    if (sign < 0) {
      *feasible = dd_FALSE;
      add_elem(c, i);
      if (fii > m) fii = i;
    }
  }
  set_conflicts(workspace(cone).rays.conflicts(), RR, violates ? c : nullptr, set_data_words(m));
  RR->FirstInfeasIndex = fii;
  RR->feasible = *feasible;
}

void dd_StoreRay2(dd_ConePtr cone, mytype *p, dd_boolean *feasible,
                  dd_boolean *weaklyfeasible)
{
  dd_RayPtr RR = cone->LastRay;
  const dd_rowrange m = cone->m;
  const dd_rowflag eqidx = cone->parent->EqualityIndex;
  dd_rowrange fii = m + 1;
  *feasible = dd_TRUE;
  *weaklyfeasible = dd_TRUE;
  reset_zero_set(RR, cone->d, m);
  for (dd_colrange j = 0; j < cone->d; ++j) ddd_set(RR->Ray[j], p[j]);

  set_word *c = workspace(cone).scratch.conflict_build.get(m);
  set_emptyset(c);
  mytype temp;
  ddd_init(temp);
  for (dd_rowrange i = 1; i <= m; ++i) {
    const dd_rowrange k = cone->OrderVector[i];
    row_value(&temp, cone, p, k);
    if (dd_EqualToZero(temp)) {
      set_addelem(RR->ZeroSet, k);
      // Lying on a strict inequality is not a solution of it.
      if (eqidx[k] == -1) *feasible = dd_FALSE;
    }
    if (dd_Negative(temp)) {
      *feasible = dd_FALSE;
      set_addelem(c, i);
      if (fii > m && eqidx[k] >= 0) {
        fii = i;
        *weaklyfeasible = dd_FALSE;
      }
    }
  }
  set_conflicts(workspace(cone).rays.conflicts(), RR, c, set_data_words(m));
  RR->FirstInfeasIndex = fii;
  RR->feasible = *feasible;
  ddd_clear(temp);
}

void dd_AddRay(dd_ConePtr cone, mytype *p)
{
  dd_boolean feasible = dd_FALSE, weaklyfeasible = dd_FALSE;
  dd_RayPtr r = reuse_ray(cone);
  append_ray(cone, r);
  dd_workspace &ws = workspace(cone);
  RayScratch &S = ws.scratch;
  const double e =
      S.pending_accuracy >= 0.0 ? S.pending_accuracy : measured_accuracy(cone, p);
  S.pending_accuracy = -1.0;
  set_ray_accuracy(r, cone->d, e);
  S.storing_accuracy = e;
  if (ws.conflict_lists && S.pending_zero1 != nullptr) {
    store_from_parents(cone, S, r, p, &feasible);
    if (feasible) cone->WeaklyFeasibleRayCount++;
  } else if (cone->parent != nullptr && cone->parent->RelaxedEnumeration) {
    dd_StoreRay2(cone, p, &feasible, &weaklyfeasible);
    if (weaklyfeasible) cone->WeaklyFeasibleRayCount++;
  } else {
    dd_StoreRay1(cone, p, &feasible);
    if (feasible) cone->WeaklyFeasibleRayCount++;
  }
  S.clear_pending();
  if (feasible) cone->FeasibleRayCount++;
}

void dd_CreateNewRay(dd_ConePtr cone, dd_RayPtr Ptr1, dd_RayPtr Ptr2,
                     dd_rowrange ii)
{
  dd_workspace &ws = workspace(cone);
  mytype *p = combine(cone, ws.scratch, Ptr1, Ptr2, ii);
  ws.numerical_alarms += ws.scratch.alarms;
  ws.scratch.alarms = 0;
  ws.snapped += ws.scratch.snapped;
  ws.scratch.snapped = 0;
  dd_AddRay(cone, p);
}

void dd_Eliminate(dd_ConePtr cone, dd_RayPtr *Ptr)
{
  dd_RayPtr T = (*Ptr)->Next;
  if (T == nullptr) return;
  (*Ptr)->Next = T->Next;
  if (T == cone->FirstRay) cone->FirstRay = (*Ptr)->Next;
  if (T == cone->LastRay) cone->LastRay = *Ptr;
  cone->RayCount--;
  recycle_ray(cone, T);
}

void dd_EvaluateARay1(dd_rowrange i, dd_ConePtr cone)
{
  if (cone->ArtificialRay == nullptr ||
      cone->ArtificialRay->Next != cone->FirstRay)
    dd_Printf(stderr, "Error.  Artificial Ray does not point to FirstRay!!!\n");
  set_all_values(cone, cone->A[i - 1]);
  dd_RayPtr prev = cone->ArtificialRay;
  dd_RayPtr r = cone->FirstRay;
  while (r != nullptr) {
    dd_RayPtr next = r->Next;
    if (dd_Negative(r->ARay) && r != cone->FirstRay) {
      // Move to the front; prev stays the predecessor of what follows.
      prev->Next = next;
      if (r == cone->LastRay) cone->LastRay = prev;
      r->Next = cone->FirstRay;
      cone->FirstRay = r;
      if (cone->ArtificialRay != nullptr) cone->ArtificialRay->Next = r;
    } else {
      prev = r;
    }
    r = next;
  }
}

void dd_EvaluateARay2(dd_rowrange i, dd_ConePtr cone)
{
  if (cone == nullptr || cone->TotalRayCount < 1) return;
  cone->PosHead = cone->ZeroHead = cone->NegHead = nullptr;
  cone->PosLast = cone->ZeroLast = cone->NegLast = nullptr;
  const dd_Arow row = cone->A[i - 1];
  const double norm = numbers_round ? row_norm(row, cone->d) : 0.0;
  dd_RayPtr block[4];
  dd_RayPtr t = cone->FirstRay;
  while (t != nullptr) {
    // Four rays evaluated together, then filed one by one in list order.
    int n = 0;
    for (; n < 4 && t != nullptr; ++n, t = t->Next) block[n] = t;
    set_values(row, norm, block, n, cone->d, &workspace(cone).snapped);
    for (int q = 0; q < n; ++q) {
      dd_RayPtr r = block[q];
      r->Next = nullptr;
      if (dd_Negative(r->ARay)) {
        if (cone->NegHead == nullptr) cone->NegLast = r;
        r->Next = cone->NegHead;
        cone->NegHead = r;
      } else if (dd_Positive(r->ARay)) {
        if (cone->PosHead == nullptr) cone->PosLast = r;
        r->Next = cone->PosHead;
        cone->PosHead = r;
      } else {
        if (cone->ZeroHead == nullptr) cone->ZeroLast = r;
        r->Next = cone->ZeroHead;
        cone->ZeroHead = r;
      }
    }
  }

  join_sign_lists(cone);
}

}  // extern "C"

namespace zonix::core {

void prepare_new_rays(dd_ConePtr cone)
{
  dd_workspace &ws = workspace(cone);
  ws.row_norms.get(cone);
#ifdef ZONIX_EXACT
  const unsigned char *ok = nullptr;
  ws.row_norms.approx(cone, &ok);
#endif
}

bool make_new_ray(dd_ConePtr cone, RayScratch &S, dd_RayPtr rec, dd_RayPtr p1,
                  dd_RayPtr p2, dd_rowrange ii)
{
  mytype *p = combine(cone, S, p1, p2, ii);
  set_ray_accuracy(rec, cone->d, S.pending_accuracy);
  S.storing_accuracy = S.pending_accuracy;
  S.pending_accuracy = -1.0;
  dd_boolean feasible = dd_FALSE;
  store_from_parents(cone, S, rec, p, &feasible);
  S.clear_pending();
  return feasible != dd_FALSE;
}

void link_ray(dd_ConePtr cone, dd_RayPtr r, bool feasible)
{
  append_ray(cone, r);
  if (feasible) {
    cone->WeaklyFeasibleRayCount++;
    cone->FeasibleRayCount++;
  }
}

}  // namespace zonix::core

namespace {

// The first position after `it` of a conflict of r, m + 1 if none.
long first_conflict_after(const ConflictTable &t, dd_RayPtr r, long it, long m)
{
  const Conflicts c = conflicts_of(t, r);
  const long w0 = (it >> 5) + 1;
  for (long w = std::max(c.lo, w0); w <= c.hi; ++w) {
    set_word x = c.word(w);
    if (w == w0) x &= ~set_word{0} << (it & 31);
    if (x != 0u) return std::min(m + 1, (w - 1) * 32 + std::countr_zero(x) + 1);
  }
  return m + 1;
}

// The rows at positions after `it`, as a set's words: kept from call to
// call, the rows passed since taken out.
const set_word *later_rows(dd_ConePtr cone, dd_workspace &ws, long it)
{
  const long m = cone->m;
  const size_t words = static_cast<size_t>(set_data_words(m)) + 1;
  std::vector<set_word> &later = ws.later_rows;
  const dd_rowrange *order = cone->OrderVector;
  long from = ws.later_rows_at;
  if (ws.later_rows_filling != ws.row_positions_filling || later.size() != words || from < 0 || from > it) {
    later.assign(words, 0u);
    for (long p = it + 1; p <= m; ++p) add_elem(later.data(), order[p]);
  } else {
    for (long p = from + 1; p <= std::min(it, m); ++p) {
      const long r = order[p] - 1;
      later[static_cast<size_t>(r >> 5) + 1] &= ~(set_word{1} << (r & 31));
    }
  }
  ws.later_rows_at = it;
  ws.later_rows_filling = ws.row_positions_filling;
  return later.data();
}

// Positions looked at one by one before the zero set is read whole: a
// degenerate ray, whose zero set is long (the cross-polytope's), lies on
// one of the next rows, and reading its set bit by bit costs far more.
// At most one position per this many words of the set: a ray in general
// position lies on none of them, and a position costs more than a word.
inline constexpr long zero_lookahead = 32;
inline constexpr long words_per_lookahead = 4;

// The first position after `it` of a row r lies on, m + 1 if none; the
// rows after `it` from later_rows, or found here when null.
long first_zero_after(dd_ConePtr cone, dd_workspace &ws, dd_RayPtr r, long it,
                      const set_word *later = nullptr)
{
  const long m = cone->m;
  const long nw = set_data_words(m);
  const long stop = std::min(m, it + std::min(zero_lookahead, std::max(nw / words_per_lookahead, 1L)));
  for (long p = it + 1; p <= stop; ++p)
    if (in_set(r->ZeroSet, cone->OrderVector[p])) return p;
  if (later == nullptr) later = later_rows(cone, ws, it);
  const dd_rowrange *row_pos = ws.row_positions.data();
  long first = m + 1;
  for (long w = 1; w <= nw; ++w)
    for (set_word x = r->ZeroSet[w] & later[w]; x != 0u; x &= x - 1u) {
      const long p = row_pos[(w - 1) * 32 + std::countr_zero(x) + 1];
      if (p < first) first = p;
    }
  return first;
}

// Appends r to the side arrays of list_order, at iteration it.
void note_order_ray(dd_ConePtr cone, dd_workspace &ws, dd_RayPtr r, long it, bool fresh)
{
  ws.order_negative_at.push_back(static_cast<int32_t>(first_conflict_after(ws.rays.conflicts(), r, it, cone->m)));
  ws.order_zero_at.push_back(static_cast<int32_t>(first_zero_after(cone, ws, r, it)));
  ws.order_fresh.push_back(fresh ? 1 : 0);
}

void release_order(dd_workspace &ws)
{
  ws.list_order.clear();
  std::vector<signed char>().swap(ws.split_signs);
  std::vector<int32_t>().swap(ws.order_negative_at);
  std::vector<int32_t>().swap(ws.order_zero_at);
  std::vector<unsigned char>().swap(ws.order_fresh);
  std::vector<KnownSplitBlock>().swap(ws.known_split_blocks);
}

// The split of order[b.begin .. b.end) by the side arrays, kept rays moved
// down to b.begin on.  `later` holds the rows after position it.
void split_known_block(dd_ConePtr cone, dd_workspace &ws, dd_rowrange hnew, long it,
                       const set_word *later, KnownSplitBlock &b)
{
  RayArray &order = ws.list_order;
  std::vector<int32_t> &neg_at = ws.order_negative_at;
  std::vector<int32_t> &zero_at = ws.order_zero_at;
  std::vector<unsigned char> &fresh = ws.order_fresh;
  const ConflictTable &conflicts = ws.rays.conflicts();
  const long m = cone->m;
  const size_t n = b.end;
  dd_RayPtr *head = b.head, *last = b.last;
  head[0] = head[1] = last[0] = last[1] = nullptr;
  dd_RayPtr pos_head = nullptr, pos_last = nullptr;
  b.negatives.clear();
  bool gap = false;
  size_t kept = b.begin;
  const int32_t now = static_cast<int32_t>(it);
  for (size_t k = b.begin; k < n; ++k) {
    // Most rays stay: a run of them that leave later, known as of this
    // split, moves down whole, its links as they are.
    size_t e = k;
#if defined(__SSE2__)
    // Four at a time: most runs are long.
    const __m128i lim = _mm_set1_epi32(now);
    for (; e + 4 <= n; e += 4) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(&neg_at[e]));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(&zero_at[e]));
      uint32_t f = 0;
      std::memcpy(&f, &fresh[e], sizeof f);
      const __m128i stays = _mm_and_si128(_mm_cmpgt_epi32(a, lim), _mm_cmpgt_epi32(c, lim));
      if (_mm_movemask_epi8(stays) != 0xffff || f != 0u) break;
    }
#endif
    while (e < n && neg_at[e] > now && zero_at[e] > now && fresh[e] == 0) ++e;
    if (e > k) {
      if (pos_head == nullptr)
        pos_head = order[k];
      else if (gap)
        pos_last->Next = order[k];
      gap = false;
      pos_last = order[e - 1];
      if (kept != k) {
        order.move_down(kept, k, e - k);
        std::memmove(&neg_at[kept], &neg_at[k], (e - k) * sizeof(int32_t));
        std::memmove(&zero_at[kept], &zero_at[k], (e - k) * sizeof(int32_t));
        std::memset(&fresh[kept], 0, e - k);
      }
      kept += e - k;
      k = e;
      if (k == n) break;
    }
    dd_RayPtr r = order[k];
    long na = neg_at[k], za = zero_at[k];
    // A position passed without a split of its own: read from the record.
    if (na < it) na = conflicts_of(conflicts, r).has(it) ? it : first_conflict_after(conflicts, r, it, m);
    if (za < it) za = in_set(r->ZeroSet, hnew) ? it : first_zero_after(cone, ws, r, it, later);
    if (na != it && za != it) {
      if (fresh[k] != 0) ddd_set_d(r->ARay, 1);
      if (pos_head == nullptr)
        pos_head = r;
      else if (gap)
        pos_last->Next = r;
      gap = false;
      pos_last = r;
      order[kept] = r;
      neg_at[kept] = static_cast<int32_t>(na);
      zero_at[kept] = static_cast<int32_t>(za);
      fresh[kept] = 0;
      ++kept;
      continue;
    }
    gap = true;
    const int q = na == it ? 0 : 1;
    ddd_set_d(r->ARay, q - 1);
    if (q == 0) b.negatives.push_back(r);
    if (head[q] == nullptr) last[q] = r;
    r->Next = head[q];
    head[q] = r;
  }
  b.pos_head = pos_head;
  b.pos_last = pos_last;
  b.kept = kept - b.begin;
}

// The split of a list known whole, by the side arrays: the positive run
// keeps its order and its links, except where a ray left it between two
// of its rays; the negative and zero rays form their lists in the reverse
// of the list's order, as dd_EvaluateARay2 makes them.  A long list is
// split in blocks on the run's threads, then joined as one pass would
// have left it.
void split_known_list(dd_ConePtr cone, dd_workspace &ws, dd_rowrange hnew, long it)
{
  RayArray &order = ws.list_order;
  std::vector<int32_t> &neg_at = ws.order_negative_at;
  std::vector<int32_t> &zero_at = ws.order_zero_at;
  std::vector<unsigned char> &fresh = ws.order_fresh;
  const size_t n = order.size();
  const set_word *later = later_rows(cone, ws, it);
  const bool parallel =
      static_cast<long>(n) >= ws.parallel_rays * dd_workspace::split_rays_per_ray * dd_workspace::split_threads_from;
  const size_t blocks = parallel ? static_cast<size_t>(4 * ws.threads) : 1;
  std::vector<KnownSplitBlock> &parts = ws.known_split_blocks;
  if (parts.size() < blocks) parts.resize(blocks);
  for (size_t b = 0; b < blocks; ++b) {
    parts[b].begin = n * b / blocks;
    parts[b].end = n * (b + 1) / blocks;
  }
  for_blocks(ws.pool, ws.threads, parallel, static_cast<long>(blocks),
             [&](long b) { split_known_block(cone, ws, hnew, it, later, parts[static_cast<size_t>(b)]); });
  // The kept rays of each block join those before; the positive run is
  // linked across blocks (a link already in place is written again), the
  // negative and zero lists of later blocks go in front.
  dd_RayPtr head[2] = {nullptr, nullptr}, last[2] = {nullptr, nullptr};
  dd_RayPtr pos_head = nullptr, pos_last = nullptr;
  std::vector<dd_RayPtr> &negatives = ws.split_negatives;
  negatives.clear();
  size_t kept = 0;
  for (size_t b = 0; b < blocks; ++b) {
    const KnownSplitBlock &p = parts[b];
    if (p.kept > 0 && kept != p.begin) {
      order.move_down(kept, p.begin, p.kept);
      std::memmove(&neg_at[kept], &neg_at[p.begin], p.kept * sizeof(int32_t));
      std::memmove(&zero_at[kept], &zero_at[p.begin], p.kept * sizeof(int32_t));
      std::memmove(&fresh[kept], &fresh[p.begin], p.kept);
    }
    kept += p.kept;
    if (p.pos_head != nullptr) {
      if (pos_head == nullptr)
        pos_head = p.pos_head;
      else
        pos_last->Next = p.pos_head;
      pos_last = p.pos_last;
    }
    for (int q = 0; q < 2; ++q) {
      if (p.head[q] == nullptr) continue;
      if (head[q] == nullptr) last[q] = p.last[q];
      p.last[q]->Next = head[q];
      head[q] = p.head[q];
    }
    negatives.insert(negatives.end(), p.negatives.begin(), p.negatives.end());
  }
  cone->NegHead = head[0];
  cone->NegLast = last[0];
  cone->ZeroHead = head[1];
  cone->ZeroLast = last[1];
  cone->PosHead = pos_head;
  cone->PosLast = pos_last;
  join_sign_lists(cone);
  order.shrink(kept);
  neg_at.resize(kept);
  zero_at.resize(kept);
  fresh.resize(kept);
  ws.list_order_state = 1;
  ws.split_negatives_at = it;
}

}  // namespace

namespace zonix::core {

void split_on_new_row(dd_ConePtr cone, dd_rowrange hnew)
{
  dd_workspace &ws = workspace(cone);
  const dd_rowrange it = cone->Iteration;
  ws.conflict_lists = cone->PreOrderedRun && it >= 1 && it <= cone->m &&
                      cone->OrderVector[it] == hnew &&
                      (cone->parent == nullptr || !cone->parent->RelaxedEnumeration) &&
                      set_card(cone->NonequalitySet) == 0;
  RayArray &order = ws.list_order;
  const bool known = ws.list_order_state == 2 && !order.empty() &&
                     static_cast<long>(order.size()) == cone->RayCount &&
                     order.front() == cone->FirstRay && order.back() == cone->LastRay;
  ws.list_order_state = 0;
  ws.split_runs.clear();
  ws.split_negatives_at = -1;
  const bool whole = ws.list_whole;
  ws.list_whole = false;
  if (!ws.conflict_lists || cone->TotalRayCount < 1) {
    ws.row_positions_at = -1;
    dd_EvaluateARay2(hnew, cone);
    return;
  }
  // Found again only for a new order (the current row checks the stamp).
  if (ws.row_positions_stamp != ws.order_stamp ||
      ws.row_positions.size() != static_cast<size_t>(cone->m) + 1 ||
      ws.row_positions[static_cast<size_t>(hnew)] != it) {
    ws.row_positions.resize(static_cast<size_t>(cone->m) + 1);
    for (dd_rowrange i = 1; i <= cone->m; ++i)
      ws.row_positions[static_cast<size_t>(cone->OrderVector[i])] = i;
    ws.row_positions_stamp = ws.order_stamp;
    ++ws.row_positions_filling;
  }
  ws.row_positions_at = it;
  // The last splits keep no array: it would stand beside the largest
  // lists of the run.  They walk the list in runs from their first rays
  // instead, a little slower than through the array.
  const bool last = cone->m - it < dd_workspace::walked_splits;
  const bool keep = cone->m - it > dd_workspace::walked_splits;
  // Where the side arrays would have split a list known whole, its
  // positive run keeps its order, as they keep it: the answers keep
  // theirs.
  const bool forward = whole && !keep && cone->m - it > dd_workspace::reversing_splits;
  if (keep && known && ws.order_negative_at.size() == order.size() &&
      ws.order_zero_at.size() == order.size() && ws.order_fresh.size() == order.size()) {
    split_known_list(cone, ws, hnew, it);
    return;
  }
  const long block = std::max<long>(1, ws.block_rays * dd_workspace::split_rays_per_ray);
  // Where the list is walked, its blocks start at run_first[b], the
  // run_begin[b]-th ray.
  std::vector<dd_RayPtr> run_first;
  std::vector<long> run_begin;
  long n = 0;
  const std::vector<ListRun> *runs = last && !known ? list_runs_of(cone) : nullptr;
  if (known) {
    n = static_cast<long>(order.size());
  } else if (runs != nullptr) {
    order.clear();
    for (const ListRun &r : *runs) {
      run_first.push_back(r.first);
      run_begin.push_back(n);
      n += r.count;
    }
  } else {
    order.clear();
    for (dd_RayPtr t = cone->FirstRay; t != nullptr; t = t->Next, ++n) {
      if (!last) {
        order.push_back(t);
      } else if (n % block == 0) {
        run_first.push_back(t);
        run_begin.push_back(n);
      }
    }
  }
  ws.list_runs.clear();
  if (!run_first.empty()) run_begin.push_back(n);
  // The signs on hnew are known: negative where it is a conflict, zero
  // where it is in the zero set.  ARay holds the sign alone.
  std::vector<signed char> &signs = ws.split_signs;
  signs.resize(keep ? static_cast<size_t>(n) : 0);
  const ConflictTable &conflicts = ws.rays.conflicts();
  // A block of rays is sorted by sign and linked within itself: each ray
  // to the one before it of its sign, as pushing them on the front of the
  // sign lists in turn would; the first ray of each sign in a block is
  // linked to the last one of the blocks before it afterwards.  ARay
  // holds the sign alone.
  using Ends = SplitEnds;
  auto classify = [&](long from, long to, Ends &e, dd_RayPtr r) {
    constexpr long ahead = 16;  // records fetched early
    for (int q = 0; q < 3; ++q) {
      e.first[q] = e.last[q] = nullptr;
      e.count[q] = 0;
    }
    for (long k = from; k < to; ++k) {
      dd_RayPtr next = nullptr;
      if (run_first.empty()) {
#if defined(__GNUC__)
        if (k + ahead < to) __builtin_prefetch(order[static_cast<size_t>(k + ahead)], 1);
#endif
        r = order[static_cast<size_t>(k)];
      } else {
        next = r->Next;
      }
      signed char sg = 1;
      if (conflicts_of(conflicts, r).has(it))
        sg = -1;
      else if (in_set(r->ZeroSet, hnew))
        sg = 0;
      ddd_set_d(r->ARay, sg);
      if (keep) signs[static_cast<size_t>(k)] = sg;
      const int q = sg + 1;
      if (q == 2 && forward) {
        if (e.first[q] != nullptr) e.last[q]->Next = r;
      } else {
        r->Next = e.last[q];
      }
      if (e.first[q] == nullptr) e.first[q] = r;
      e.last[q] = r;
      ++e.count[q];
      r = next;
    }
  };
  const long blocks = run_first.empty() ? std::max<long>(1, (n + block - 1) / block)
                                        : static_cast<long>(run_first.size());
  auto classify_block = [&](long b) {
    const auto u = static_cast<size_t>(b);
    if (run_first.empty())
      classify(b * block, std::min(n, (b + 1) * block), ws.split_ends[u], nullptr);
    else
      classify(run_begin[u], run_begin[u + 1], ws.split_ends[u], run_first[u]);
  };
  std::vector<Ends> &ends = ws.split_ends;
  ends.resize(static_cast<size_t>(blocks));
  if (n == 0) ends[0] = Ends{};
  // A ray costs a few nanoseconds here: below some ten thousand rays a
  // thread costs more to start than it takes over.
  for_blocks(ws.pool, ws.threads,
             n >= ws.parallel_rays * dd_workspace::split_rays_per_ray * dd_workspace::split_threads_from,
             n > 0 ? blocks : 0, classify_block);
  // Each sub-list in the reverse of the list's order, as dd_EvaluateARay2
  // makes them; the positive run is kept in its new order for the next
  // split.
  cone->PosHead = cone->ZeroHead = cone->NegHead = nullptr;
  cone->PosLast = cone->ZeroLast = cone->NegLast = nullptr;
  dd_RayPtr *heads[3] = {&cone->NegHead, &cone->ZeroHead, &cone->PosHead};
  dd_RayPtr *lasts[3] = {&cone->NegLast, &cone->ZeroLast, &cone->PosLast};
  for (const Ends &e : ends)
    for (int q = 0; q < 3; ++q) {
      if (e.first[q] == nullptr) continue;
      if (q == 2 && forward) {
        if (*heads[q] == nullptr)
          *heads[q] = e.first[q];
        else
          (*lasts[q])->Next = e.first[q];
        *lasts[q] = e.last[q];
        continue;
      }
      if (*heads[q] == nullptr) *lasts[q] = e.first[q];
      e.first[q]->Next = *heads[q];
      *heads[q] = e.last[q];
    }
  join_sign_lists(cone);
  if (!keep) {
    release_order(ws);
    // The positive run by blocks, in its order, for the runs of the list
    // this iteration leaves.
    if (n > 0) {
      const auto nb = static_cast<long>(ends.size());
      for (long k = 0; k < nb; ++k) {
        const Ends &e = ends[static_cast<size_t>(forward ? k : nb - 1 - k)];
        if (e.first[2] == nullptr) continue;
        add_run(ws.split_runs,
                forward ? ListRun{e.first[2], e.last[2], e.count[2]} : ListRun{e.last[2], e.first[2], e.count[2]},
                block);
      }
    }
    return;
  }
  long kept = 0;
  for (long k = 0; k < n; ++k)
    if (signs[static_cast<size_t>(k)] > 0) order[static_cast<size_t>(kept++)] = order[static_cast<size_t>(k)];
  order.shrink(static_cast<size_t>(kept));
  order.reverse();
  ws.order_negative_at.clear();
  ws.order_zero_at.clear();
  ws.order_fresh.clear();
  for (size_t k = 0; k < order.size(); ++k) note_order_ray(cone, ws, order[k], it, false);
  ws.list_order_state = 1;
}

void delete_negatives_after_positives(dd_ConePtr cone)
{
  cone->ZeroHead = cone->NegHead = nullptr;
  cone->ZeroLast = cone->NegLast = nullptr;
  dd_workspace &ws = workspace(cone);
  // The split's runs hold the positive run as long as no ray joins it.
  std::vector<ListRun> &runs = ws.list_runs;
  runs.clear();
  const dd_RayPtr pos_last = cone->PosLast;
  const bool by_runs = !ws.split_runs.empty() && ws.split_runs.front().first == cone->PosHead &&
                       ws.split_runs.back().last == pos_last;
  if (by_runs) runs.swap(ws.split_runs);
  ws.split_runs.clear();
  sort_after_positives(cone, cone->PosLast->Next, by_runs ? &runs : nullptr);
  ws.list_runs_at = cone->Iteration;
  ws.list_runs_rays = cone->RayCount;
  if (!by_runs || cone->PosLast != pos_last) runs.clear();
  ws.list_whole = true;
  if (ws.list_order_state != 1) return;
  // The positive run stands in list_order: the rays after it join it,
  // their side entries found in blocks, on the run's threads from as few
  // rays as the passes over the zero rays (a ray costs about as much
  // here).
  const long it = cone->Iteration;
  const size_t from = ws.list_order.size();
  for (dd_RayPtr r = cone->PosLast->Next; r != nullptr; r = r->Next) ws.list_order.push_back(r);
  const long n = static_cast<long>(ws.list_order.size() - from);
  ws.order_negative_at.resize(from + static_cast<size_t>(n));
  ws.order_zero_at.resize(from + static_cast<size_t>(n));
  ws.order_fresh.resize(from + static_cast<size_t>(n), 1);
  const set_word *later = later_rows(cone, ws, it);
  const ConflictTable &conflicts = ws.rays.conflicts();
  const long block = ws.zero_pass_block(n);
  const long blocks = (n + block - 1) / block;
  auto note = [&](long b) {
    for (long k = b * block; k < std::min(n, (b + 1) * block); ++k) {
      const size_t u = from + static_cast<size_t>(k);
      dd_RayPtr r = ws.list_order[u];
      ws.order_negative_at[u] = static_cast<int32_t>(first_conflict_after(conflicts, r, it, cone->m));
      ws.order_zero_at[u] = static_cast<int32_t>(first_zero_after(cone, ws, r, it, later));
    }
  };
  for_blocks(ws.pool, ws.threads, ws.zero_pass_threads(n), blocks, note);
  ws.list_order_state = 2;
}

}  // namespace zonix::core

namespace {

// Empty buckets walked over that cost about what sorting one filled
// bucket among the others does.
inline constexpr long buckets_per_sorted = 16;

// The walk of dd_DeleteNegativeRays from `from` on, the negative rays at
// the front gone and PosHead..PosLast the positive rays before `from`.
void sort_after_positives(dd_ConePtr cone, dd_RayPtr from, std::vector<ListRun> *zero_runs)
{
  // Zero rays are sorted by FirstInfeasIndex (values 1..m+1) in buckets,
  // each bucket pushed at the front: a later-visited ray stands before an
  // earlier one with the same index, and the pass is linear.
  const long nb = cone->m + 2;
  // The buckets are left empty after each use: clearing all m of them at
  // every iteration costs more than the sort where rays are few.
  ZeroBuckets &zb = workspace(cone).zero_buckets;
  if (zb.head.size() != static_cast<size_t>(nb)) zb.reset(nb);
  const long least_run = std::max<long>(1, workspace(cone).block_rays * dd_workspace::split_rays_per_ray);
  long lo = nb, hi = -1;
  cone->ZeroRayCount = 0;
  bool reported = false;
  dd_RayPtr strays = nullptr;  // negative rays met past the front
  for (dd_RayPtr r = from; r != nullptr;) {
    dd_RayPtr next = r->Next;
    if (dd_Negative(r->ARay)) {
      if (!reported) {
        dd_Printf(stderr, "Error: An infeasible ray found after their removal\n");
        reported = true;
      }
      // Out of every sub-list; kept aside so that it is released, not lost.
      r->Next = strays;
      strays = r;
    } else if (dd_Positive(r->ARay)) {
      // The positives form one run already; relinking them in visit order
      // keeps that run and closes it over any stray taken out of it.
      if (cone->PosHead == nullptr)
        cone->PosHead = r;
      else
        cone->PosLast->Next = r;
      cone->PosLast = r;
    } else {
      cone->ZeroRayCount++;
      long b = r->FirstInfeasIndex;
      if (b < 0) b = 0;
      if (b >= nb) b = nb - 1;
      if (zb.head[b] == nullptr) {
        zb.tail[b] = r;
        zb.used.push_back(b);
      }
      r->Next = zb.head[b];
      zb.head[b] = r;
      ++zb.count[b];
      if (b < lo) lo = b;
      if (b > hi) hi = b;
    }
    r = next;
  }
  auto link_bucket = [&](long b) {
    if (cone->ZeroHead == nullptr)
      cone->ZeroHead = zb.head[b];
    else
      cone->ZeroLast->Next = zb.head[b];
    cone->ZeroLast = zb.tail[b];
    if (zero_runs != nullptr) add_run(*zero_runs, {zb.head[b], zb.tail[b], zb.count[b]}, least_run);
    zb.head[b] = nullptr;
    zb.count[b] = 0;
  };
  // Few buckets filled over a wide range (few rays, many rows): the
  // filled ones sorted cost less than a walk over the range.
  if (static_cast<long>(zb.used.size()) * buckets_per_sorted < hi - lo) {
    std::sort(zb.used.begin(), zb.used.end());
    for (long b : zb.used) link_bucket(b);
  } else {
    for (long b = lo; b <= hi; ++b)
      if (zb.head[b] != nullptr) link_bucket(b);
  }
  zb.used.clear();
  if (cone->ZeroLast != nullptr) cone->ZeroLast->Next = nullptr;

  if (cone->PosHead != nullptr) {
    cone->FirstRay = cone->PosHead;
    if (cone->ZeroHead != nullptr) {
      cone->PosLast->Next = cone->ZeroHead;
      cone->LastRay = cone->ZeroLast;
    } else {
      cone->LastRay = cone->PosLast;
    }
  } else {
    cone->FirstRay = cone->ZeroHead;
    cone->LastRay = cone->ZeroLast;
  }
  dd_RayPtr sentinel = cone->ArtificialRay;
  if (cone->LastRay == nullptr) cone->LastRay = sentinel;
  if (sentinel != nullptr) sentinel->Next = cone->FirstRay;
  if (cone->LastRay != nullptr) cone->LastRay->Next = nullptr;

  while (strays != nullptr) {
    dd_RayPtr next = strays->Next;
    recycle_ray(cone, strays);
    cone->RayCount--;
    strays = next;
  }
}

}  // namespace

extern "C" {

void dd_DeleteNegativeRays(dd_ConePtr cone)
{
  workspace(cone).list_order_state = 0;
  workspace(cone).list_runs.clear();
  workspace(cone).split_runs.clear();
  workspace(cone).list_whole = false;
  cone->PosHead = cone->ZeroHead = cone->NegHead = nullptr;
  cone->PosLast = cone->ZeroLast = cone->NegLast = nullptr;
  if (cone->ArtificialRay == nullptr ||
      cone->ArtificialRay->Next != cone->FirstRay)
    dd_Printf(stderr,
                 "Error at dd_DeleteNegativeRays: ArtificialRay does not "
                 "point the FirstRay.\n");
  {
    // A list without its sentinel is served through a stand-in one.
    dd_RayType standin{};
    dd_RayPtr pred = cone->ArtificialRay != nullptr ? cone->ArtificialRay : &standin;
    pred->Next = cone->FirstRay;
    while (cone->FirstRay != nullptr && dd_Negative(cone->FirstRay->ARay))
      dd_Eliminate(cone, &pred);
  }
  sort_after_positives(cone, cone->FirstRay);
}

}  // extern "C"


extern "C" {

void dd_CheckEquality(dd_colrange d_size, dd_RayPtr *RP1, dd_RayPtr *RP2,
                      dd_boolean *equal)
{
  if (dd_debug) dd_Printf(stderr, "Check equality of two rays\n");
  *equal = dd_TRUE;
  for (dd_colrange j = 1; j <= d_size && *equal; ++j)
    if (!dd_Equal((*RP1)->Ray[j - 1], (*RP2)->Ray[j - 1])) *equal = dd_FALSE;
  if (*equal) dd_Printf(stderr, "Equal records found !!!!\n");
}

void dd_FeasibilityIndices(long *fnum, long *infnum, dd_rowrange i,
                           dd_ConePtr cone)
{
  *fnum = 0;
  *infnum = 0;
  mytype temp, mag;
  ddd_init(temp);
  ddd_init(mag);
  for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next) {
    ray_value(temp, cone->A[i - 1], r, cone->d);
    if (dd_Nonnegative(temp))
      ++*fnum;
    else
      ++*infnum;
  }
  ddd_clear(temp);
  ddd_clear(mag);
}

dd_boolean dd_LexSmaller(mytype *v1, mytype *v2, long dmax)
{
#ifdef ZONIX_EXACT
  // With a zero tolerance one comparison per entry decides.
  if (ddd_sgn(dd_zero) == 0) {
    long j = 1;
    do {
      const int c = ddd_cmp(v1[j - 1], v2[j - 1]);
      if (c != 0) return c < 0 ? dd_TRUE : dd_FALSE;
      ++j;
    } while (j <= dmax);
    return dd_FALSE;
  }
#endif
  long j = 1;
  do {
    if (!dd_Equal(v1[j - 1], v2[j - 1])) return dd_Smaller(v1[j - 1], v2[j - 1]);
    ++j;
  } while (j <= dmax);
  return dd_FALSE;
}

dd_boolean dd_LexLarger(mytype *v1, mytype *v2, long dmax)
{
  return dd_LexSmaller(v2, v1, dmax);
}

void dd_CopyRay(mytype *a, dd_colrange d_origsize, dd_RayPtr RR,
                dd_RepresentationType rep, dd_colindex reducedcol)
{
  for (dd_colrange j = 1; j <= d_origsize; ++j) {
    const dd_colrange j1 = reducedcol[j];
    if (j1 > 0)
      ddd_set(a[j - 1], RR->Ray[j1 - 1]);
    else
      ddd_set(a[j - 1], dd_purezero);
  }
  if (d_origsize < 1) return;
  mytype b;
  ddd_init(b);
  ddd_set(b, a[0]);
  // A point is written with first entry 1; a direction or an inequality
  // keeps the scale it was stored with.
  if (rep == dd_Generator && dd_Nonzero(b)) {
    ddd_set(a[0], dd_one);
    // Dividing by 1 changes nothing, in either number type.
    if (ddd_cmp(b, dd_one) != 0)
      for (dd_colrange j = 2; j <= d_origsize; ++j) ddd_div(a[j - 1], a[j - 1], b);
  } else if constexpr (!numbers_round) {
    // Exact rays are stored primitive; they are written at the scale of
    // dd_Normalize all the same.
    dd_Normalize(d_origsize, a);
  }
  ddd_clear(b);
}

}  // extern "C"
