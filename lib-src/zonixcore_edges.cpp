// Adding one halfspace to the cone: the combinatorial adjacency test, the
// edge lists filed by the iteration that separates a pair, and the two
// iterations (pairing all negative with all non-negative rays, or
// consuming the pairs filed for this iteration).
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "zonixcore_internal.hpp"

using namespace zonix::core;

namespace {

// Face of the pair under test; one per operation and thread, re-made when
// the cone's row count changes.
thread_local ScratchSet adjacency_face;
thread_local ScratchSet edge_face;

// The candidates for a third ray (the list from a fixed ray on), indexed
// by the added rows they lie on.  A third ray lies on every row of the
// face, so the candidates on the face's rarest row are all that need
// testing.  Rays appended after the indexed part (new rays of the current
// iteration) are walked.  The answer is the one a walk over the whole list
// gives.
class ThirdRayIndex {
 public:
  // Indexes the rays from `from` to the current end of the list.
  void build(dd_ConePtr cone, dd_RayPtr from, long nw)
  {
    from_ = from;
    last_ = nullptr;
    const long m = cone->m;
    const set_word *added = cone->AddedHalfspaces;
    start_.assign(static_cast<size_t>(m) + 2, 0);
    for (dd_RayPtr t = from; t != nullptr; t = t->Next) {
      for_each_row(t->ZeroSet, added, nw, [&](long row) { ++start_[row + 1]; });
      last_ = t;
    }
    for (long row = 1; row <= m + 1; ++row) start_[row] += start_[row - 1];
    rays_.resize(static_cast<size_t>(start_[m + 1]));
    cursor_.assign(start_.begin(), start_.end());
    for (dd_RayPtr t = from; t != nullptr; t = t->Next)
      for_each_row(t->ZeroSet, added, nw,
                   [&](long row) { rays_[cursor_[row]++] = t; });
  }

  bool third_ray_found(const set_word *face, long nw, dd_RayPtr r1,
                       dd_RayPtr r2) const
  {
    long best = 0;
    long best_count = -1;
    for (long k = 1; k <= nw && best_count != 0; ++k) {
      for (set_word w = face[k]; w != 0u; w &= w - 1u) {
        const long row = (k - 1) * 32 + std::countr_zero(w) + 1;
        const long c = start_[row + 1] - start_[row];
        if (best_count < 0 || c < best_count) {
          best = row;
          best_count = c;
          if (c == 0) break;
        }
      }
    }
    // An empty face lies on every ray: walk the candidates themselves.
    if (best == 0) return zonix::core::third_ray_found(from_, r1, r2, face, nw);
    for (long i = start_[best]; i < start_[best + 1]; ++i) {
      const dd_RayPtr t = rays_[static_cast<size_t>(i)];
      if (t == r1 || t == r2) continue;
      if (face_within(face, t->ZeroSet, nw)) return true;
    }
    return last_ != nullptr &&
           zonix::core::third_ray_found(last_->Next, r1, r2, face, nw);
  }

 private:
  template <class F>
  static void for_each_row(const set_word *z, const set_word *added, long nw,
                           F f)
  {
    for (long k = 1; k <= nw; ++k)
      for (set_word w = z[k] & added[k]; w != 0u; w &= w - 1u)
        f((k - 1) * 32 + std::countr_zero(w) + 1);
  }

  dd_RayPtr from_ = nullptr;
  dd_RayPtr last_ = nullptr;
  std::vector<long> start_, cursor_;
  std::vector<dd_RayPtr> rays_;
};

// What filing many edges in a row shares: the face buffer, and optionally
// the third-ray index and the position of every row in OrderVector.
struct EdgeFiling {
  set_word *face = nullptr;
  long nw = 0;
  const ThirdRayIndex *index = nullptr;
  const long *position = nullptr;  // position[row], 0 when absent
};

thread_local ThirdRayIndex third_rays;
thread_local std::vector<long> row_position;

// Prepares a run of edge filings on the cone: face buffer, row positions,
// and the third-ray index over the list from `from` when it is not null.
EdgeFiling begin_filing(dd_ConePtr cone, dd_RayPtr from)
{
  EdgeFiling f;
  f.nw = set_data_words(cone->m);
  f.face = edge_face.get(cone->m);
  // Short lists are walked faster than indexed.
  const long threshold = third_ray_index_threshold;
  long candidates = 0;
  for (dd_RayPtr t = from; t != nullptr && candidates <= threshold;
       t = t->Next)
    ++candidates;
  if (candidates <= threshold) return f;
  row_position.assign(static_cast<size_t>(cone->m) + 2, 0);
  for (dd_rowrange i = 1; i <= cone->m; ++i) {
    const dd_rowrange r = cone->OrderVector[i];
    if (r >= 1 && r <= cone->m + 1) row_position[static_cast<size_t>(r)] = i;
  }
  f.position = row_position.data();
  third_rays.build(cone, from, f.nw);
  f.index = &third_rays;
  return f;
}

// dd_ConditionalAddEdge with shared work prepared in f.
void conditional_add_edge(dd_ConePtr cone, dd_RayPtr Ray1, dd_RayPtr Ray2,
                          dd_RayPtr ValidFirstRay, const EdgeFiling &f)
{
  const dd_rowrange fii1 = Ray1->FirstInfeasIndex;
  const dd_rowrange fii2 = Ray2->FirstInfeasIndex;
  dd_rowrange fmin, fmax;
  dd_RayPtr Rmin, Rmax;
  if (fii1 < fii2) {
    fmin = fii1; fmax = fii2; Rmin = Ray1; Rmax = Ray2;
  } else {
    fmin = fii2; fmax = fii1; Rmin = Ray2; Rmax = Ray1;
  }
  // One row cuts both at once: never separated.
  if (fmin == fmax) return;
  // Rmax lies on the row that cuts Rmin: no strong separation.
  if (in_set(Rmax->ZeroSet, cone->OrderVector[fmin])) return;

  const set_word *z1 = Rmax->ZeroSet;
  const set_word *z2 = Rmin->ZeroSet;
  const set_word *added = cone->AddedHalfspaces;
  const dd_rowflag eqidx = cone->parent->EqualityIndex;
  cone->count_int++;

  // Last chance: a common zero row at a position after this iteration and
  // before fmin makes both rays zero rays there, where the pair is met
  // again.  Strict rows are never processed, so they give no chance.
  set_word *face = f.face;
  long card = 0;
  bool later = false;
  const dd_rowrange it0 = cone->Iteration;
  for (long k = 1; k <= f.nw; ++k) {
    const set_word common = z1[k] & z2[k];
    face[k] = common & added[k];
    card += bit_count(face[k]);
    if (f.position != nullptr && !later) {
      for (set_word w = common; w != 0u; w &= w - 1u) {
        const long r = (k - 1) * 32 + std::countr_zero(w) + 1;
        const long pos = f.position[r];
        if (pos > it0 && pos < fmin && eqidx[r] >= 0) {
          later = true;
          break;
        }
      }
    }
  }
  if (f.position == nullptr) {
    for (dd_rowrange it = it0 + 1; it < fmin && !later; ++it) {
      const dd_rowrange r = cone->OrderVector[it];
      later = eqidx[r] >= 0 && in_both(z1, z2, r);
    }
  }
  if (later) {
    cone->count_int_bad++;
    return;
  }
  cone->count_int_good++;

  bool adjacent;
  if (card < cone->d - 2)
    adjacent = false;
  else if (cone->parent->NondegAssumed || ValidFirstRay == nullptr)
    adjacent = true;
  else if (f.index != nullptr)
    adjacent = !f.index->third_ray_found(face, f.nw, Ray1, Ray2);
  else
    adjacent = !third_ray_found(ValidFirstRay, Ray1, Ray2, face, f.nw);
  if (!adjacent) return;

  auto *node =
      static_cast<dd_AdjacencyPtr>(std::malloc(sizeof(dd_AdjacencyType)));
  node->Ray1 = Rmax;
  node->Ray2 = Rmin;
  node->Next = cone->Edges[fmin];
  cone->Edges[fmin] = node;
  cone->EdgeCount++;
  cone->TotalEdgeCount++;
}

// Releases the rays of a list in which every ray was cut off, leaving the
// empty list: sentinel -> null, LastRay the sentinel.
void cut_all_rays(dd_ConePtr cone)
{
  dd_RayPtr r = cone->FirstRay;
  while (r != nullptr) {
    dd_RayPtr next = r->Next;
    free_ray(cone->d, r);
    r = next;
  }
  cone->FirstRay = nullptr;
  if (cone->ArtificialRay != nullptr) cone->ArtificialRay->Next = nullptr;
  cone->LastRay = cone->ArtificialRay;
  cone->PosHead = cone->ZeroHead = cone->NegHead = nullptr;
  cone->PosLast = cone->ZeroLast = cone->NegLast = nullptr;
  cone->RayCount = 0;
  cone->CompStatus = dd_AllFound;
}

}  // namespace

extern "C" {

void dd_CheckAdjacency(dd_ConePtr cone, dd_RayPtr *RP1, dd_RayPtr *RP2,
                       dd_boolean *adjacent)
{
  const long nw = set_data_words(cone->m);
  set_word *face = adjacency_face.get(cone->m);
  const set_word *added = cone->AddedHalfspaces;
  *adjacent = dd_TRUE;
  const long card =
      make_face(face, (*RP1)->ZeroSet, (*RP2)->ZeroSet, added, nw);
  if (card < cone->d - 2) {
    if (dd_debug)
      std::fprintf(stderr,
                   "non adjacent: set_card(face) %ld < %ld = cone->d.\n",
                   card, cone->d);
    *adjacent = dd_FALSE;
    return;
  }
  if (cone->parent != nullptr && cone->parent->NondegAssumed) return;
  if (third_ray_found(cone->FirstRay, *RP1, *RP2, face, nw))
    *adjacent = dd_FALSE;
}

void dd_ConditionalAddEdge(dd_ConePtr cone, dd_RayPtr Ray1, dd_RayPtr Ray2,
                           dd_RayPtr ValidFirstRay)
{
  EdgeFiling f;
  f.nw = set_data_words(cone->m);
  f.face = edge_face.get(cone->m);
  conditional_add_edge(cone, Ray1, Ray2, ValidFirstRay, f);
}

void dd_CreateInitialEdges(dd_ConePtr cone)
{
  cone->Iteration = cone->d;
  if (cone->FirstRay == nullptr || cone->LastRay == nullptr) return;
  for (dd_RayPtr p1 = cone->FirstRay; p1 != nullptr && p1 != cone->LastRay;
       p1 = p1->Next) {
    for (dd_RayPtr p2 = p1->Next; p2 != nullptr; p2 = p2->Next) {
      if (p1->FirstInfeasIndex == p2->FirstInfeasIndex) continue;
      dd_boolean adj = dd_FALSE;
      dd_CheckAdjacency(cone, &p1, &p2, &adj);
      if (adj) dd_ConditionalAddEdge(cone, p1, p2, cone->FirstRay);
    }
  }
}

void dd_UpdateEdges(dd_ConePtr cone, dd_RayPtr RRbegin, dd_RayPtr RRend)
{
  if (RRbegin == nullptr || RRend == nullptr) {
    std::fprintf(stderr, "Warning: dd_UpdateEdges called with NULL pointer(s)\n");
    return;
  }
  const long Z = cone->ZeroRayCount;
  const float totalpairs = static_cast<float>(Z - 1) * static_cast<float>(Z - 2) + 1.0f;
  float prevworkleft = 110.0f;
  long pos1 = 1;

  // The rays from RRbegin on stay put while edges are filed.
  const EdgeFiling filing = begin_filing(cone, RRbegin);

  // The run is sorted by FirstInfeasIndex, so rays with equal index share
  // the start of their partner range.
  dd_RayPtr prevP1 = nullptr;
  dd_RayPtr Ptr2begin = nullptr;
  for (dd_RayPtr P1 = RRbegin; P1 != nullptr && P1 != RRend;) {
    const dd_rowrange fii1 = P1->FirstInfeasIndex;
    if (prevP1 == nullptr || prevP1->FirstInfeasIndex != fii1 ||
        (Ptr2begin != nullptr && Ptr2begin == P1)) {
      Ptr2begin = nullptr;
      for (dd_RayPtr q = P1->Next; q != nullptr; q = q->Next) {
        if (q->FirstInfeasIndex > fii1) {
          Ptr2begin = q;
          break;
        }
        if (q == RRend) break;
      }
    }
    if (Ptr2begin != nullptr) {
      for (dd_RayPtr P2 = Ptr2begin; P2 != nullptr; P2 = P2->Next) {
        conditional_add_edge(cone, P1, P2, RRbegin, filing);
        if (P2 == RRend) break;
      }
    }
    prevP1 = P1;
    P1 = P1->Next;
    ++pos1;
    if (dd_debug && Z >= 500) {
      const float workleft = 100.0f * static_cast<float>(Z - pos1) *
                             static_cast<float>(Z - pos1 - 1) / totalpairs;
      if (pos1 % 10 == 0 && prevworkleft - workleft >= 10.0f) {
        std::fprintf(stderr,
                     "*Work of iteration %5ld(/%ld): %4ld/%4ld => %4.1f%% left\n",
                     cone->Iteration, cone->m, pos1, Z, workleft);
        prevworkleft = workleft;
      }
    }
  }
}

void dd_AddNewHalfspace1(dd_ConePtr cone, dd_rowrange hnew)
{
  dd_EvaluateARay1(hnew, cone);
  if (cone->FirstRay == nullptr || dd_Nonnegative(cone->FirstRay->ARay)) {
    if (cone->RayCount == cone->WeaklyFeasibleRayCount)
      cone->CompStatus = dd_AllFound;
    return;
  }

  dd_RayPtr RayPtr2s = cone->FirstRay->Next;
  long pos2 = 1;
  while (RayPtr2s != nullptr && dd_Negative(RayPtr2s->ARay)) {
    RayPtr2s = RayPtr2s->Next;
    ++pos2;
  }
  if (RayPtr2s == nullptr) {
    cut_all_rays(cone);
    return;
  }

  dd_RayPtr RayPtr0 = cone->ArtificialRay;
  dd_RayPtr RayPtr1 = cone->FirstRay;
  dd_RayPtr RayPtr2 = RayPtr2s;
  // Rays created in this iteration are appended after RayPtr3 and are
  // never paired here.
  dd_RayPtr RayPtr3 = cone->LastRay;
  long pos1 = 1;
  double prevprogress = -10.0;
  bool completed = false;
  dd_boolean equal = dd_FALSE, adjacent = dd_FALSE;

  while (RayPtr1 != RayPtr2s && !completed) {
    const double *value1 = RayPtr1->ARay;
    const double *value2 = RayPtr2->ARay;
    dd_CheckEquality(cone->d, &RayPtr1, &RayPtr2, &equal);
    if ((dd_Positive(value1) && dd_Negative(value2)) ||
        (dd_Negative(value1) && dd_Positive(value2))) {
      dd_CheckAdjacency(cone, &RayPtr1, &RayPtr2, &adjacent);
      if (adjacent) dd_CreateNewRay(cone, RayPtr1, RayPtr2, hnew);
    }
    if (RayPtr2 != RayPtr3) {
      RayPtr2 = RayPtr2->Next;
      continue;
    }
    if (dd_Negative(value1) || equal) {
      dd_Eliminate(cone, &RayPtr0);
      RayPtr1 = RayPtr0->Next;
      RayPtr2 = RayPtr2s;
    } else {
      completed = true;
    }
    ++pos1;
    const double progress = 100.0 * (static_cast<double>(pos1) / pos2) *
                            (2.0 * pos2 - pos1) / pos2;
    if (dd_debug && progress - prevprogress >= 10.0 && pos1 % 10 == 0) {
      std::fprintf(stderr,
                   "*Progress of iteration %5ld(/%ld):   %4ld/%4ld => %4.1f%% done\n",
                   cone->Iteration, cone->m, pos1, pos2, progress);
      prevprogress = progress;
    }
  }
  if (cone->RayCount == cone->WeaklyFeasibleRayCount)
    cone->CompStatus = dd_AllFound;
}

void dd_AddNewHalfspace2(dd_ConePtr cone, dd_rowrange hnew)
{
  dd_EvaluateARay2(hnew, cone);
  if (cone->PosHead == nullptr && cone->ZeroHead == nullptr) {
    cut_all_rays(cone);
    return;
  }

  // Taken off the array first: a pair filed while consuming (numerically
  // possible under the same index) then waits in the array, to be released
  // with the cone, instead of being lost.
  dd_AdjacencyPtr e = cone->Edges[cone->Iteration];
  cone->Edges[cone->Iteration] = nullptr;
  // Third rays come from PosHead on: the positives and zeros indexed, the
  // new rays of this loop walked.
  const EdgeFiling filing =
      begin_filing(cone, e != nullptr ? cone->PosHead : nullptr);
  while (e != nullptr) {
    dd_AdjacencyPtr next = e->Next;
    dd_RayPtr R1 = e->Ray1;
    const dd_rowrange fii1 = R1->FirstInfeasIndex;
    dd_CreateNewRay(cone, R1, e->Ray2, hnew);
    if (fii1 != cone->LastRay->FirstInfeasIndex)
      conditional_add_edge(cone, R1, cone->LastRay, cone->PosHead, filing);
    std::free(e);
    cone->EdgeCount--;
    e = next;
  }

  dd_DeleteNegativeRays(cone);
  set_addelem(cone->AddedHalfspaces, hnew);

  if (cone->Iteration < cone->m && cone->ZeroHead != nullptr &&
      cone->ZeroHead != cone->LastRay) {
    if (dd_debug && cone->ZeroRayCount > 200)
      std::fprintf(stderr, "*New edges being scanned...\n");
    dd_UpdateEdges(cone, cone->ZeroHead, cone->LastRay);
  }
  if (cone->RayCount == cone->WeaklyFeasibleRayCount)
    cone->CompStatus = dd_AllFound;
}

}  // extern "C"
