// Rays of the double description method: storing a ray with its zero set
// and first violated position, combining two rays on a hyperplane,
// evaluating the list on a new row and sorting it by sign, removal, and the
// comparisons used by the row orders.
#include <cstdio>
#include <vector>

#include "zonixcore_internal.hpp"

using namespace zonix::core;

namespace {

// The combination row of dd_CreateNewRay, kept per thread between calls.
thread_local ScratchRow new_ray_row;

// Bucket heads and tails for sorting the zero rays by FirstInfeasIndex.
struct ZeroBuckets {
  std::vector<dd_RayPtr> head, tail;
  void reset(long n)
  {
    head.assign(static_cast<size_t>(n), nullptr);
    tail.assign(static_cast<size_t>(n), nullptr);
  }
};
thread_local ZeroBuckets zero_buckets;

// The value of row k of the cone at p.
inline void row_value(mytype *val, dd_ConePtr cone, mytype *p, dd_rowrange k)
{
  row_dot(*val, cone->A[k - 1], p, cone->d);
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
  if (RR->ZeroSet == nullptr || set_groundsize(RR->ZeroSet) != (m > 0 ? m : 1)) {
    set_free(RR->ZeroSet);
    set_initialize(&RR->ZeroSet, m);
  } else {
    set_emptyset(RR->ZeroSet);
  }
  for (dd_colrange j = 0; j < cone->d; ++j) ddd_set(RR->Ray[j], p[j]);

  mytype temp;
  ddd_init(temp);
  for (dd_rowrange i = 1; i <= m; ++i) {
    const dd_rowrange k = cone->OrderVector[i];
    row_value(&temp, cone, p, k);
    if (dd_debug) {
      std::fprintf(stderr, "dd_StoreRay1: row %ld value ", k);
      std::fprintf(stderr, "%g\n", ddd_get_d(temp));
    }
    if (dd_EqualToZero(temp)) {
      set_addelem(RR->ZeroSet, k);
      if (dd_debug) std::fprintf(stderr, "recorded as zero: row %ld\n", k);
    }
    if (dd_Negative(temp)) {
      if (dd_debug) std::fprintf(stderr, "recorded as negative: row %ld\n", k);
      *feasible = dd_FALSE;
      if (fii > m) fii = i;
    }
  }
  RR->FirstInfeasIndex = fii;
  RR->feasible = *feasible;
  ddd_clear(temp);
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
  if (RR->ZeroSet == nullptr || set_groundsize(RR->ZeroSet) != (m > 0 ? m : 1)) {
    set_free(RR->ZeroSet);
    set_initialize(&RR->ZeroSet, m);
  } else {
    set_emptyset(RR->ZeroSet);
  }
  for (dd_colrange j = 0; j < cone->d; ++j) ddd_set(RR->Ray[j], p[j]);

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
      if (fii > m && eqidx[k] >= 0) {
        fii = i;
        *weaklyfeasible = dd_FALSE;
      }
    }
  }
  RR->FirstInfeasIndex = fii;
  RR->feasible = *feasible;
  ddd_clear(temp);
}

void dd_AddRay(dd_ConePtr cone, mytype *p)
{
  dd_boolean feasible = dd_FALSE, weaklyfeasible = dd_FALSE;
  dd_RayPtr r = new_ray(cone->d);
  if (cone->FirstRay == nullptr) {
    if (dd_debug) std::fprintf(stderr, "Create the first ray pointer\n");
    cone->FirstRay = r;
    if (cone->ArtificialRay != nullptr) cone->ArtificialRay->Next = r;
  } else {
    if (dd_debug) std::fprintf(stderr, "Create a new ray pointer\n");
    cone->LastRay->Next = r;
  }
  cone->LastRay = r;
  r->Next = nullptr;
  cone->RayCount++;
  cone->TotalRayCount++;
  if (dd_debug && cone->TotalRayCount % 100 == 0)
    std::fprintf(stderr,
                 "*Rays (Total, Currently Active, Feasible) =%8ld%8ld%8ld\n",
                 cone->TotalRayCount, cone->RayCount, cone->FeasibleRayCount);
  if (cone->parent != nullptr && cone->parent->RelaxedEnumeration) {
    dd_StoreRay2(cone, p, &feasible, &weaklyfeasible);
    if (weaklyfeasible) cone->WeaklyFeasibleRayCount++;
  } else {
    dd_StoreRay1(cone, p, &feasible);
    if (feasible) cone->WeaklyFeasibleRayCount++;
  }
  if (feasible) cone->FeasibleRayCount++;
}

void dd_CreateNewRay(dd_ConePtr cone, dd_RayPtr Ptr1, dd_RayPtr Ptr2,
                     dd_rowrange ii)
{
  const dd_colrange d = cone->d;
  mytype *NewRay = new_ray_row.get(d);
  mytype a1, a2, v1, v2;
  ddd_init(a1);
  ddd_init(a2);
  ddd_init(v1);
  ddd_init(v2);
  // Recomputed rather than read from ARay: the callers may pass rays whose
  // ARay belongs to another row.
  dd_AValue(&a1, d, cone->A, Ptr1->Ray, ii);
  dd_AValue(&a2, d, cone->A, Ptr2->Ray, ii);
  dd_abs(v1, a1);
  dd_abs(v2, a2);
  if (dd_debug) {
    std::fprintf(stderr, "dd_CreateNewRay: values on row %ld: %g %g\n", ii,
                 ddd_get_d(a1), ddd_get_d(a2));
  }
  // Each ray weighted by the other's value: the sum lies on row ii.
  for (dd_colrange j = 0; j < d; ++j)
    dd_LinearComb(NewRay[j], Ptr1->Ray[j], v2, Ptr2->Ray[j], v1);
  if (dd_debug) {
    std::fprintf(stderr, "new ray before normalisation:");
    for (dd_colrange j = 0; j < d; ++j)
      std::fprintf(stderr, " %g", ddd_get_d(NewRay[j]));
    std::fprintf(stderr, "\n");
  }
  dd_Normalize(d, NewRay);
  if (dd_debug) {
    std::fprintf(stderr, "new ray after normalisation:");
    for (dd_colrange j = 0; j < d; ++j)
      std::fprintf(stderr, " %g", ddd_get_d(NewRay[j]));
    std::fprintf(stderr, "\n");
  }
  dd_AddRay(cone, NewRay);
  ddd_clear(a1);
  ddd_clear(a2);
  ddd_clear(v1);
  ddd_clear(v2);
}

void dd_Eliminate(dd_ConePtr cone, dd_RayPtr *Ptr)
{
  dd_RayPtr T = (*Ptr)->Next;
  if (T == nullptr) return;
  (*Ptr)->Next = T->Next;
  if (T == cone->FirstRay) cone->FirstRay = (*Ptr)->Next;
  if (T == cone->LastRay) cone->LastRay = *Ptr;
  free_ray(cone->d, T);
  cone->RayCount--;
}

void dd_EvaluateARay1(dd_rowrange i, dd_ConePtr cone)
{
  if (cone->ArtificialRay == nullptr ||
      cone->ArtificialRay->Next != cone->FirstRay)
    std::fprintf(stderr, "Error.  Artificial Ray does not point to FirstRay!!!\n");
  const dd_colrange d = cone->d;
  const dd_Arow row = cone->A[i - 1];
  dd_RayPtr prev = cone->ArtificialRay;
  dd_RayPtr r = cone->FirstRay;
  mytype temp;
  ddd_init(temp);
  while (r != nullptr) {
    dd_RayPtr next = r->Next;
    row_dot(temp, row, r->Ray, d);
    ddd_set(r->ARay, temp);
    if (dd_Negative(temp) && r != cone->FirstRay) {
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
  ddd_clear(temp);
}

void dd_EvaluateARay2(dd_rowrange i, dd_ConePtr cone)
{
  if (cone == nullptr || cone->TotalRayCount < 1) return;
  cone->PosHead = cone->ZeroHead = cone->NegHead = nullptr;
  cone->PosLast = cone->ZeroLast = cone->NegLast = nullptr;
  const dd_colrange d = cone->d;
  const dd_Arow row = cone->A[i - 1];
  mytype temp;
  ddd_init(temp);
  dd_RayPtr r = cone->FirstRay;
  while (r != nullptr) {
    dd_RayPtr next = r->Next;
    r->Next = nullptr;
    row_dot(temp, row, r->Ray, d);
    ddd_set(r->ARay, temp);
    if (dd_Negative(temp)) {
      if (cone->NegHead == nullptr) cone->NegLast = r;
      r->Next = cone->NegHead;
      cone->NegHead = r;
    } else if (dd_Positive(temp)) {
      if (cone->PosHead == nullptr) cone->PosLast = r;
      r->Next = cone->PosHead;
      cone->PosHead = r;
    } else {
      if (cone->ZeroHead == nullptr) cone->ZeroLast = r;
      r->Next = cone->ZeroHead;
      cone->ZeroHead = r;
    }
    r = next;
  }
  ddd_clear(temp);

  // Join the non-empty sub-lists: negatives, positives, zeros.
  cone->FirstRay = nullptr;
  dd_RayPtr last = nullptr;
  const dd_RayPtr heads[3] = {cone->NegHead, cone->PosHead, cone->ZeroHead};
  const dd_RayPtr lasts[3] = {cone->NegLast, cone->PosLast, cone->ZeroLast};
  for (int s = 0; s < 3; ++s) {
    if (heads[s] == nullptr) continue;
    if (last == nullptr)
      cone->FirstRay = heads[s];
    else
      last->Next = heads[s];
    last = lasts[s];
  }
  if (last != nullptr) {
    cone->LastRay = last;
    last->Next = nullptr;
  } else if (cone->ArtificialRay != nullptr) {
    cone->LastRay = cone->ArtificialRay;
  }
  if (cone->ArtificialRay != nullptr) cone->ArtificialRay->Next = cone->FirstRay;
}

void dd_DeleteNegativeRays(dd_ConePtr cone)
{
  cone->PosHead = cone->ZeroHead = cone->NegHead = nullptr;
  cone->PosLast = cone->ZeroLast = cone->NegLast = nullptr;
  if (cone->ArtificialRay == nullptr ||
      cone->ArtificialRay->Next != cone->FirstRay)
    std::fprintf(stderr,
                 "Error at dd_DeleteNegativeRays: ArtificialRay does not "
                 "point the FirstRay.\n");
  dd_RayPtr sentinel = cone->ArtificialRay;
  {
    // A list without its sentinel is served through a stand-in one.
    dd_RayType standin{};
    dd_RayPtr pred = sentinel != nullptr ? sentinel : &standin;
    pred->Next = cone->FirstRay;
    while (cone->FirstRay != nullptr && dd_Negative(cone->FirstRay->ARay))
      dd_Eliminate(cone, &pred);
  }

  // Zero rays are sorted by FirstInfeasIndex (values 1..m+1) in buckets,
  // each bucket pushed at the front: a later-visited ray stands before an
  // earlier one with the same index, and the pass is linear.
  const long nb = cone->m + 2;
  ZeroBuckets &zb = zero_buckets;
  zb.reset(nb);
  long lo = nb, hi = -1;
  cone->ZeroRayCount = 0;
  bool reported = false;
  dd_RayPtr strays = nullptr;  // negative rays met past the front
  for (dd_RayPtr r = cone->FirstRay; r != nullptr;) {
    dd_RayPtr next = r->Next;
    if (dd_Negative(r->ARay)) {
      if (!reported) {
        std::fprintf(stderr, "Error: An infeasible ray found after their removal\n");
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
      if (zb.head[b] == nullptr) zb.tail[b] = r;
      r->Next = zb.head[b];
      zb.head[b] = r;
      if (b < lo) lo = b;
      if (b > hi) hi = b;
    }
    r = next;
  }
  for (long b = lo; b <= hi; ++b) {
    if (zb.head[b] == nullptr) continue;
    if (cone->ZeroHead == nullptr)
      cone->ZeroHead = zb.head[b];
    else
      cone->ZeroLast->Next = zb.head[b];
    cone->ZeroLast = zb.tail[b];
  }
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
  if (cone->LastRay == nullptr) cone->LastRay = sentinel;
  if (sentinel != nullptr) sentinel->Next = cone->FirstRay;
  if (cone->LastRay != nullptr) cone->LastRay->Next = nullptr;

  while (strays != nullptr) {
    dd_RayPtr next = strays->Next;
    free_ray(cone->d, strays);
    cone->RayCount--;
    strays = next;
  }
}

void dd_CheckEquality(dd_colrange d_size, dd_RayPtr *RP1, dd_RayPtr *RP2,
                      dd_boolean *equal)
{
  if (dd_debug) std::fprintf(stderr, "Check equality of two rays\n");
  *equal = dd_TRUE;
  for (dd_colrange j = 1; j <= d_size && *equal; ++j)
    if (!dd_Equal((*RP1)->Ray[j - 1], (*RP2)->Ray[j - 1])) *equal = dd_FALSE;
  if (*equal) std::fprintf(stderr, "Equal records found !!!!\n");
}

void dd_FeasibilityIndices(long *fnum, long *infnum, dd_rowrange i,
                           dd_ConePtr cone)
{
  *fnum = 0;
  *infnum = 0;
  mytype temp;
  ddd_init(temp);
  for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next) {
    dd_AValue(&temp, cone->d, cone->A, r->Ray, i);
    if (dd_Nonnegative(temp))
      ++*fnum;
    else
      ++*infnum;
  }
  ddd_clear(temp);
}

dd_boolean dd_LexSmaller(mytype *v1, mytype *v2, long dmax)
{
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
    for (dd_colrange j = 2; j <= d_origsize; ++j) ddd_div(a[j - 1], a[j - 1], b);
  }
  ddd_clear(b);
}

}  // extern "C"
