// Adding one halfspace to the cone: the edge lists filed by the iteration
// that separates a pair, and the two iterations (pairing all negative with
// all non-negative rays, or consuming the pairs filed for this iteration).
// The adjacency test itself is in zonixcore_adjacency.cpp.
#include <cmath>
#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "zonixcore_adjacency.hpp"
#include "zonixcore_internal.hpp"
#include "zonixcpu.hpp"
#include "zonixio.h"

using namespace zonix::core;

namespace {

// Whether the caller asked to stop; the run ends after this iteration.
bool cancelled(dd_ConePtr cone)
{
  if (!dd_CancelRequested()) return false;
  workspace(cone).interrupted = true;
  return true;
}

// Scratch of file_partners_by_rows, per packed position: the ray i whose
// partners were last counted there (high half) with the count of shared
// added rows (low half), one word read and written per meeting; and the
// ray i for which the pair was deferred.  A lane takes its rays i in
// increasing order, so the word of an earlier ray is below i's own count
// of 0, and counting is a maximum and an increment.  Positions are ints,
// as in the row lists: one of these per thread stands beside the largest
// lists.
struct PartnerScratch {
  std::vector<std::uint64_t> tally;
  std::vector<int> deferred_for;
  std::vector<long> candidates;
  void reset(long n)
  {
    tally.assign(static_cast<size_t>(n), 0u);
    deferred_for.assign(static_cast<size_t>(n), -1);
  }
};

// Blocks of the pair loop at most: enough that the threads finish close
// together, few enough that their bookkeeping stays small.
inline constexpr double max_blocks = 1 << 14;

// An edge found among the packed rays, filed after the pair loop.
struct FoundEdge {
  int imax, imin;  // packed positions: the ray cut later, the one cut first
  dd_rowrange fmin;
};

// What one thread of the pair loop writes: its own scratch, its counts,
// and the edges it finds.  Nothing of the cone is written during the
// loop, so lanes run side by side; each on cache lines of its own, as is
// each lane's list of edges (a list per block had the threads writing
// neighbouring vector ends at every edge, and freeing each other's).
struct alignas(64) PairLane {
  std::vector<set_word> face;  // data words
  PartnerScratch partners;
  long count_int = 0, count_int_bad = 0, count_int_good = 0;
  long stamp = 0;  // rays of this pass taken (file_partners_by_rows)
  std::vector<FoundEdge> *out = nullptr;
  std::vector<FoundEdge> found;  // of the blocks this lane took, in turn
  long recent[recent_witnesses];  // see PackedZeroRays::third_ray_found
  std::vector<set_word> probe, skip;  // of file_partners_by_tree
  std::vector<int> stack;
};

// What the pairs of one dd_UpdateEdges share, read-only while they are
// tested.
struct PairFiling {
  dd_ConePtr cone = nullptr;
  const PackedZeroRays *packed = nullptr;
  long end = 0;   // position of the last ray of the run
  long nw = 0;
  const set_word *added = nullptr;  // data words
  long need = 0;  // d - 2: the least face of an edge
  bool search = true;
  const unsigned char *simple = nullptr;  // per packed ray: see simple_ray
  const LaterRows *later = nullptr;
  const ZeroSetForest *forest = nullptr;
  // For file_partners_by_rows: the added rows every ray of the run lies on
  // (the new row at least), which tell no pair apart, and what is left of
  // `need` after them.
  std::vector<set_word> everywhere;
  long need_elsewhere = 0;
};

// Files the edge of packed rays i and j (j after i in the run) as
// dd_ConditionalAddEdge does.
template <class Count>
[[gnu::always_inline]] inline void judge_pair(const PairFiling &pf, PairLane &lane,
                                              long i, long j)
{
  const PackedZeroRays &P = *pf.packed;
  const dd_ConePtr cone = pf.cone;
  set_word *const face = lane.face.data();
  const long nw = pf.nw;
  const dd_rowrange fii1 = P.fii(i);
  const set_word *zi = P.zero(i);
  const dd_rowrange fii2 = P.fii(j);
  const set_word *zj = P.zero(j);
  // The separating iteration fmin, and Rmax the ray cut later.
  long imax = j, imin = i;
  dd_rowrange fmin = fii1;
  if (fii1 >= fii2) {
    imax = i;
    imin = j;
    fmin = fii2;
  }
  if (fii1 != fii2) {
    const dd_rowrange cut = cone->OrderVector[fmin];
    const set_word *zmax = imax == j ? zj : zi;
    if (!(cut >= 1 && cut <= nw * 32 &&
          ((zmax[(cut - 1) >> 5] >> ((cut - 1) & 31)) & 1u) != 0u)) {
      lane.count_int++;
      const set_word *later = pf.later->of(fmin);
      set_word deferred = 0u;
      long card = 0;
      for (long k = 0; k < nw; ++k) {
        const set_word common = zi[k] & zj[k];
        deferred |= common & later[k];
        card += Count::of(common & pf.added[k]);
      }
      if (deferred != 0u) {
        lane.count_int_bad++;
      } else {
        lane.count_int_good++;
        if (card >= pf.need) {
          for (long k = 0; k < nw; ++k)
            face[k] = zi[k] & zj[k] & pf.added[k];
          if (!pf.search || pf.simple[i] != 0 || pf.simple[j] != 0 ||
              !P.third_ray_found(face, i, j, lane.recent))
            lane.out->push_back({static_cast<int>(imax), static_cast<int>(imin), fmin});
        }
      }
    }
  }
}

// Files the edges of packed ray i with its partners begin2, begin2 + 1,
// ... up to the end of the run, as dd_ConditionalAddEdge does pair by
// pair.  Count is the bit count of a word: this loop meets every pair of
// zero rays, and a popcount instruction is used where there is one.
template <class Count>
[[gnu::always_inline]] inline void file_partners_with(const PairFiling &pf,
                                                      PairLane &lane, long i,
                                                      long begin2)
{
  const long n = pf.packed->count();
  for (long j = begin2; j < n; ++j) {
    judge_pair<Count>(pf, lane, i, j);
    if (j == pf.end) break;
  }
}

// The pairs of packed rays that can be edges when every ray is simple.
void pairs_by_ridges(const PairFiling &pf, std::vector<std::pair<int, int>> &pairs)
{
  const PackedZeroRays &P = *pf.packed;
  std::vector<const set_word *> zero(static_cast<size_t>(P.count()));
  for (long k = 0; k < P.count(); ++k) zero[static_cast<size_t>(k)] = P.zero(k);
  zonix::core::ridge_pairs(zero, pf.added, pf.nw, pf.need, pairs);
}

}  // namespace

// What a block of the rays of dd_UpdateEdges holds in common: the added
// rows all its rays lie on, the added rows they lie on counted, and
// whether every one is simple.
struct RaySurvey {
  std::vector<set_word> everywhere;
  long on_added = 0;
  bool all_simple = true;
};

// A new ray of the consuming loop: the filed pair, the record made for
// it, and what making it found.
struct NewRayJob {
  dd_RayPtr ray1, ray2, made;
  bool feasible;
  bool made_linked;
  // Whether `made` is a record already, and if not whether its block is
  // fresh (see RayPool::take).
  bool made_ready;
  bool made_fresh;
  // Whether the new ray and ray1 lie on the same added rows as ray1 and
  // ray2: see same_edge_face.
  bool edge_face;
  // Whether the new ray and ray1 leave at different iterations, which
  // makes them a candidate edge: found where both are at hand.
  bool separate;
};

// The scratch of edge filing, kept in the cone's workspace.
struct zonix::core::EdgeScratch {
  std::vector<NewRayJob> new_rays;  // of the consuming loop
  std::vector<dd_RayPtr> negatives;  // of the consuming loop
  // Of those, the ones left after the jobs by their last job k: 2k + 1 when
  // the job's ray2, else 2k; in increasing order.
  std::vector<long> leaving;
  ThirdRayIndex third_rays;
  std::vector<long> row_position;
  PackedZeroRays packed_rays;
  LaterRows later_rows;
  std::vector<PairLane> lanes;  // one per thread of the pair loop
  // Per block of the pair loop: its lane and its edges there, [begin, end).
  struct FoundSpan {
    long lane, begin, end;
  };
  std::vector<FoundSpan> found;
  std::vector<long> partner_start;  // per packed ray, -1 for none
  std::vector<unsigned char> simple;  // per packed ray
  std::vector<RaySurvey> surveys;  // per block of packed rays
  std::vector<unsigned char> lane_ready;  // per thread of the pair loop
  std::vector<std::pair<int, int>> ridge_pairs;
  ZeroSetForest forest;
};

dd_workspace::~dd_workspace() { delete edges; }


namespace {

EdgeScratch &edge_scratch(dd_ConePtr cone)
{
  dd_workspace &ws = workspace(cone);
  if (ws.edges == nullptr) ws.edges = new EdgeScratch;
  return *ws.edges;
}
// Empties a lane's edges once filed.  The edges of a large iteration are
// many: their room is not kept for the next one.
void release_found(PairLane &lane)
{
  lane.found.clear();
  if (lane.found.capacity() > (size_t{1} << 14)) std::vector<FoundEdge>().swap(lane.found);
}

}  // namespace

ThirdRayIndex &zonix::core::third_rays_of(dd_ConePtr cone) { return edge_scratch(cone).third_rays; }
std::vector<long> &zonix::core::row_position_of(dd_ConePtr cone) { return edge_scratch(cone).row_position; }

namespace {

// Whether ray1 lies on the same added rows with the new ray as with ray2.
// The pair (ray1, ray2) was filed as an edge: the rays of the cone on
// those rows span only cone(ray1, ray2), which the new row cuts down to
// cone(ray1, new ray).  So no third ray lies on them, and (ray1, new ray)
// is an edge without a search, unless rounding put the new ray on more
// of ray1's rows.
bool same_edge_face(dd_RayPtr ray1, dd_RayPtr ray2, dd_RayPtr made,
                    const set_word *added, long nw, dd_colrange d)
{
  if (!zero_set_exact(ray1, d) || !zero_set_exact(ray2, d) || !zero_set_exact(made, d))
    return false;
  const set_word *z1 = ray1->ZeroSet, *z2 = ray2->ZeroSet, *zn = made->ZeroSet;
  for (long k = 1; k <= nw; ++k)
    if ((z1[k] & zn[k] & added[k]) != (z1[k] & z2[k] & added[k])) return false;
  return true;
}

// Moves the edges still filed to fresh nodes, in their order, once most
// nodes of the pool are free: a free node amid used ones is never given
// back, and late in a run, where the most rays are held, the edges are
// fewer than they were.
void compact_edges(dd_ConePtr cone)
{
  dd_workspace &ws = workspace(cone);
  if (!ws.edge_nodes.sparse() || cone->Edges == nullptr) return;
  // The lists change only once every copy is made: should a chunk not
  // be had, they stay as they were.
  zonix::core::EdgePool fresh;
  std::vector<dd_AdjacencyPtr> heads(static_cast<size_t>(cone->m_alloc), nullptr);
  for (dd_rowrange k = 0; k < cone->m_alloc; ++k) {
    dd_AdjacencyPtr *link = &heads[static_cast<size_t>(k)];
    for (dd_AdjacencyPtr e = cone->Edges[k]; e != nullptr; e = e->Next) {
      dd_AdjacencyPtr node = fresh.get();
      *node = *e;
      *link = node;
      link = &node->Next;
    }
  }
  std::copy(heads.begin(), heads.end(), cone->Edges);
  ws.edge_nodes.swap(fresh);
}

// Makes the job's record from its block, if that is not done yet.  The
// record stands at the block's address: `made` is not written, as the
// thread of the job before reads it to link its ray.
void set_up_record(dd_ConePtr cone, NewRayJob &j)
{
  if (j.made_ready) return;
  RayPool::ready(reinterpret_cast<char *>(j.made), cone->d, cone->m, j.made_fresh);
  j.made_ready = true;
}

// Makes the new rays of jobs[0..n) (blocks or records allocated) on row hnew, on
// the run's threads when they are many; false when the caller asked to
// stop.  Each ray depends on its two parents alone, so the threads only
// share what they read.
bool make_new_rays(dd_ConePtr cone, NewRayJob *jobs, long n, dd_rowrange hnew)
{
  dd_workspace &ws = workspace(cone);
  prepare_new_rays(cone);
  const long nw = set_data_words(cone->m);
  const set_word *added = cone->AddedHalfspaces;
  const long block = std::max<long>(1, ws.block_rays);
  const long blocks = (n + block - 1) / block;
  const int wanted = n >= ws.parallel_rays ? ws.threads : 1;
  const int threads = static_cast<int>(std::clamp<long>(wanted, 1, blocks > 0 ? blocks : 1));
  while (ws.ray_lanes.size() + 1 < static_cast<size_t>(threads))
    ws.ray_lanes.push_back(std::make_unique<RayScratch>());
  ws.rays.conflicts().share(threads > 1);
  const std::exception_ptr failure = run_blocks(ws.pool, threads, blocks, [&](int t, long blk) {
    // The cancel hook belongs to the calling thread.
    if (t == 0 && cancelled(cone)) return false;
    RayScratch &S = t == 0 ? ws.scratch : *ws.ray_lanes[static_cast<size_t>(t - 1)];
    for (long k = blk * block; k < std::min(n, (blk + 1) * block); ++k) {
      NewRayJob &j = jobs[k];
      set_up_record(cone, j);
      j.feasible = make_new_ray(cone, S, j.made, j.ray1, j.ray2, hnew);
      j.edge_face = same_edge_face(j.ray1, j.ray2, j.made, added, nw, cone->d);
      j.separate = j.ray1->FirstInfeasIndex != j.made->FirstInfeasIndex;
      // Linked in job order here, while the record is at hand.
      j.made->Next = k + 1 < n ? jobs[k + 1].made : nullptr;
    }
    return true;
  }, true);
  ws.rays.conflicts().share(false);
  ws.rays.conflicts().give_back(ws.scratch.conflict_stock);
  for (auto &lane : ws.ray_lanes) ws.rays.conflicts().give_back(lane->conflict_stock);
  ws.numerical_alarms += ws.scratch.alarms;
  ws.scratch.alarms = 0;
  ws.snapped += ws.scratch.snapped;
  ws.scratch.snapped = 0;
  for (auto &lane : ws.ray_lanes) {
    ws.numerical_alarms += lane->alarms;
    lane->alarms = 0;
    ws.snapped += lane->snapped;
    lane->snapped = 0;
  }
  if (failure) std::rethrow_exception(failure);
  return !ws.interrupted;
}

// Appends the count rays linked from first to last, `feasible` of them
// feasible, as link_ray appends them one by one.
void join_rays(dd_ConePtr cone, dd_RayPtr first, dd_RayPtr last, long count, long feasible)
{
  if (cone->FirstRay == nullptr) {
    cone->FirstRay = first;
    if (cone->ArtificialRay != nullptr) cone->ArtificialRay->Next = first;
  } else {
    cone->LastRay->Next = first;
  }
  cone->LastRay = last;
  last->Next = nullptr;
  cone->RayCount += count;
  cone->TotalRayCount += count;
  cone->FeasibleRayCount += feasible;
  cone->WeaklyFeasibleRayCount += feasible;
}

// Makes and appends the new rays of the jobs, in their order; false when
// the caller asked to stop.  The negative rays leave the list first and
// each is released once the last of its new rays is made, a chunk of
// rays at a time: its record then serves a later new ray, and the rays
// of an iteration are not all held at once.  (Releasing each at once
// scatters the records, and the list walks of later iterations pay.)
bool make_new_rays_of(dd_ConePtr cone, std::vector<NewRayJob> &jobs, dd_rowrange hnew)
{
  dd_workspace &ws = workspace(cone);
  // A negative ray's ARay (-1 from split_on_new_row) becomes -(k + 2), k
  // its last job; it stays negative for every other reader.
  std::vector<dd_RayPtr> &negs = edge_scratch(cone).negatives;
  negs.clear();
  if (cone->NegHead != nullptr) {
    // The split met them in the reverse of their order: read from its
    // array, they cost no walk of dependent loads.
    const std::vector<dd_RayPtr> &met = ws.split_negatives;
    if (ws.split_negatives_at == cone->Iteration && !met.empty() && met.back() == cone->NegHead &&
        met.front() == cone->NegLast) {
      negs.assign(met.rbegin(), met.rend());
    } else {
      for (dd_RayPtr r = cone->NegHead;; r = r->Next) {
        negs.push_back(r);
        if (r == cone->NegLast) break;
      }
    }
    cone->FirstRay = cone->NegLast->Next;
    if (cone->ArtificialRay != nullptr) cone->ArtificialRay->Next = cone->FirstRay;
    cone->NegLast->Next = nullptr;
    cone->NegHead = cone->NegLast = nullptr;
  }
  const long n = static_cast<long>(jobs.size());
  for (long k = 0; k < n; ++k)
    for (dd_RayPtr r : {jobs[static_cast<size_t>(k)].ray1, jobs[static_cast<size_t>(k)].ray2})
      if (dd_Negative(r->ARay)) ddd_set_d(r->ARay, -static_cast<double>(k + 2));
  auto last_job = [](dd_RayPtr r) { return dd_Negative(r->ARay) ? -static_cast<long>(ddd_get_d(r->ARay)) - 2 : -2L; };
  auto release = [&](dd_RayPtr r) {
    cone->RayCount--;
    recycle_ray(cone, r);
  };
  // The rays a job leaves are released in job order after its chunk,
  // found here once instead of reading both parents of every job again.
  std::vector<long> &leaving = edge_scratch(cone).leaving;
  leaving.clear();
  for (dd_RayPtr r : negs) {
    const long k = last_job(r);
    if (k == -1)
      release(r);
    else if (k >= 0)
      leaving.push_back(2 * k + (jobs[static_cast<size_t>(k)].ray1 == r ? 0 : 1));
  }
  std::sort(leaving.begin(), leaving.end());
  size_t left = 0;  // entries of leaving released
  const long chunk = std::max<long>(16 * ws.parallel_rays, 1);
  long done = 0;  // jobs made and linked
  bool made = true;
  std::exception_ptr failure;
  try {
    while (made && done < n) {
      const long end = std::min(n, done + chunk);
      for (long k = done; k < end; ++k) {
        NewRayJob &j = jobs[static_cast<size_t>(k)];
        j.made_ready = cone->m <= 0;
        j.made = j.made_ready ? reuse_ray(cone)
                              : reinterpret_cast<dd_RayPtr>(ws.rays.take(cone->d, cone->m, &j.made_fresh));
      }
      made = make_new_rays(cone, jobs.data() + done, end - done, hnew);
      if (!made) break;
      // The chunk, linked already, joins the list whole; one by one when
      // tracing, which reports each ray.
      long feasible = 0;
      for (long k = done; k < end; ++k) {
        NewRayJob &j = jobs[static_cast<size_t>(k)];
        j.made_linked = true;
        if (dd_debug) link_ray(cone, j.made, j.feasible);
        if (j.feasible) ++feasible;
      }
      if (!dd_debug) join_rays(cone, jobs[static_cast<size_t>(done)].made, jobs[static_cast<size_t>(end - 1)].made,
                               end - done, feasible);
      for (; left < leaving.size() && leaving[left] / 2 < end; ++left) {
        const NewRayJob &j = jobs[static_cast<size_t>(leaving[left] / 2)];
        release(leaving[left] % 2 == 0 ? j.ray1 : j.ray2);
      }
      done = end;
    }
  } catch (...) {
    failure = std::current_exception();
    made = false;
  }
  if (done < n) {
    // Stopped: the records of the chunk in hand and the negative rays
    // still held are released; the list holds what was linked.
    for (long k = done; k < n; ++k) {
      NewRayJob &j = jobs[static_cast<size_t>(k)];
      if (j.made != nullptr && !j.made_linked) {
        set_up_record(cone, j);
        recycle_ray(cone, j.made);
      }
      j.made = nullptr;
    }
    // Records released already may serve new rays by now (ARay 0): the
    // pool keeps its blocks to the end of the run, so reading them is safe.
    for (dd_RayPtr r : negs)
      if (last_job(r) >= done) release(r);
    if (failure) std::rethrow_exception(failure);
  }
  return made;
}

// Where a search for the partners of packed ray i from begin2 on starts:
// the last partner, i's separating iteration, zero set and last-chance
// rows, and the row that cuts i.
struct PartnerSearch {
  const PackedZeroRays &P;
  long nw, n, last;
  dd_rowrange fmin;
  const set_word *zi, *later;
  dd_rowrange cut;
  bool cut_valid;
  PartnerSearch(const PairFiling &pf, long i, long begin2)
      : P(*pf.packed), nw(pf.nw), n(P.count()), last(pf.end >= begin2 && pf.end < n ? pf.end : n - 1),
        fmin(P.fii(i)), zi(P.zero(i)), later(pf.later->of(fmin)), cut(pf.cone->OrderVector[fmin]),
        cut_valid(cut >= 1 && cut <= nw * 32)
  {
  }
};

// What file_partners_with does for ray i, for a run sorted by
// FirstInfeasIndex (every partner has a larger index): without meeting
// every partner.  Then the separating iteration is i's own, and with it
// the row that cuts i and the last-chance rows.  The counters come from
// the row lists: partners on the cutting row are skipped, those sharing a
// last-chance row are deferred; an edge needs d - 2 shared added rows,
// so only partners met that often on i's added rows are candidates, taken
// in the order of the list as the walk would.
void file_partners_by_rows(const PairFiling &pf, PairLane &lane, long i,
                           long begin2)
{
  PartnerScratch &S = lane.partners;
  set_word *const face = lane.face.data();
  const PartnerSearch search(pf, i, begin2);
  const auto &[P, nw, n, last, fmin, zi, later, cut, cut_valid] = search;
  // Lambdas name the search's fields: clang 14 cannot capture bindings.
  auto on_cut = [&](long j) {
    const set_word *zj = search.P.zero(j);
    const dd_rowrange c = search.cut;
    return search.cut_valid && ((zj[(c - 1) >> 5] >> ((c - 1) & 31)) & 1u) != 0u;
  };

  long separated = last - begin2 + 1;
  if (cut_valid) {
    const auto [b, e] = P.on_row(cut, begin2, last);
    separated -= e - b;
  }
  long deferred = 0;
  for (long k = 0; k < nw; ++k) {
    for (set_word w = zi[k] & later[k]; w != 0u; w &= w - 1u) {
      const auto [b, e] = P.on_row(k * 32 + std::countr_zero(w) + 1, begin2, last);
      for (const int *q = b; q != e; ++q) {
        const long j = *q;
        if (S.deferred_for[static_cast<size_t>(j)] == i) continue;
        S.deferred_for[static_cast<size_t>(j)] = static_cast<int>(i);
        if (!on_cut(j)) ++deferred;
      }
    }
  }
  lane.count_int += separated;
  lane.count_int_bad += deferred;
  lane.count_int_good += separated - deferred;

  S.candidates.clear();
  std::uint64_t *const tally = S.tally.data();
  // Counts stamped by the lane's rays in the order it takes them, which
  // need not be that of i.
  const std::uint64_t mine = static_cast<std::uint64_t>(++lane.stamp) << 32;
  const std::uint64_t met_enough = mine + static_cast<std::uint64_t>(pf.need_elsewhere);
  for (long k = 0; k < nw; ++k) {
    for (set_word w = zi[k] & pf.added[k] & ~pf.everywhere[static_cast<size_t>(k)];
         w != 0u; w &= w - 1u) {
      const auto [b, e] = P.on_row(k * 32 + std::countr_zero(w) + 1, begin2, last);
      for (const int *q = b; q != e; ++q) {
        const long j = *q;
        const std::uint64_t c = std::max(tally[j], mine) + 1;
        tally[j] = c;
        if (c == met_enough) S.candidates.push_back(j);
      }
    }
  }
  std::sort(S.candidates.begin(), S.candidates.end());
  for (long j : S.candidates) {
    if (on_cut(j) || S.deferred_for[static_cast<size_t>(j)] == i) continue;
    const set_word *zj = P.zero(j);
    for (long k = 0; k < nw; ++k) face[k] = zi[k] & zj[k] & pf.added[k];
    if (pf.search && pf.simple[i] == 0 && pf.simple[j] == 0 &&
        P.third_ray_found(face, i, j, lane.recent))
      continue;
    lane.out->push_back({static_cast<int>(j), static_cast<int>(i), fmin});
  }
}

struct SoftwareCount {
  static long of(set_word w) { return bit_count(w); }
};

// What file_partners_with does for ray i, for a run sorted by
// FirstInfeasIndex: the partners that share d - 2 added rows with i, found
// through the forest and judged in the order of the list as the walk
// judges them.  Counts only the pairs it meets, as pairs_by_ridges does.
template <class Count>
[[gnu::always_inline]] inline void file_partners_by_tree_with(const PairFiling &pf, PairLane &lane,
                                                              long i, long begin2)
{
  const PartnerSearch search(pf, i, begin2);
  const auto &[P, nw, n, last, fmin, zi, later, cut, cut_valid] = search;
  set_word *const probe = lane.probe.data();
  set_word *const skip = lane.skip.data();
  for (long k = 0; k < nw; ++k) {
    probe[k] = zi[k] & pf.added[k];
    skip[k] = zi[k] & later[k];
  }
  if (cut_valid) skip[(cut - 1) >> 5] |= set_word{1} << ((cut - 1) & 31);
  std::vector<long> &candidates = lane.partners.candidates;
  candidates.clear();
  pf.forest->partners<Count>(probe, skip, pf.need, begin2, lane.stack, [&](int j) {
    if (j <= search.last) candidates.push_back(j);
  });
  std::sort(candidates.begin(), candidates.end());
  set_word *const face = lane.face.data();
  for (long j : candidates) {
    const set_word *zj = P.zero(j);
    if (cut_valid && ((zj[(cut - 1) >> 5] >> ((cut - 1) & 31)) & 1u) != 0u) continue;
    lane.count_int++;
    set_word deferred = 0u;
    for (long k = 0; k < nw; ++k) deferred |= zi[k] & zj[k] & later[k];
    if (deferred != 0u) {
      lane.count_int_bad++;
      continue;
    }
    lane.count_int_good++;
    for (long k = 0; k < nw; ++k) face[k] = zi[k] & zj[k] & pf.added[k];
    if (pf.search && pf.simple[i] == 0 && pf.simple[j] == 0 &&
        P.third_ray_found(face, i, j, lane.recent,
                          [&] { return pf.forest->superset(face, i, j, lane.stack); }))
      continue;
    lane.out->push_back({static_cast<int>(j), static_cast<int>(i), fmin});
  }
}

void file_partners_by_tree(const PairFiling &pf, PairLane &lane, long i, long begin2)
{
  file_partners_by_tree_with<SoftwareCount>(pf, lane, i, begin2);
}

void file_partners(const PairFiling &pf, PairLane &lane, long i, long begin2)
{
  file_partners_with<SoftwareCount>(pf, lane, i, begin2);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
struct HardwareCount {
  static long of(set_word w) { return __builtin_popcount(w); }
};

[[gnu::target("popcnt")]] void file_partners_popcnt(const PairFiling &pf,
                                                    PairLane &lane, long i,
                                                    long begin2)
{
  file_partners_with<HardwareCount>(pf, lane, i, begin2);
}

[[gnu::target("popcnt")]] void file_partners_by_tree_popcnt(const PairFiling &pf,
                                                            PairLane &lane, long i,
                                                            long begin2)
{
  file_partners_by_tree_with<HardwareCount>(pf, lane, i, begin2);
}

using PartnerFiler = void (*)(const PairFiling &, PairLane &, long, long);
PartnerFiler partner_filer()
{
  static const PartnerFiler chosen = zonix::cpu::popcnt()
                                         ? file_partners_popcnt
                                         : file_partners;
  return chosen;
}
PartnerFiler tree_filer()
{
  static const PartnerFiler chosen = zonix::cpu::popcnt()
                                         ? file_partners_by_tree_popcnt
                                         : file_partners_by_tree;
  return chosen;
}
#else
using PartnerFiler = void (*)(const PairFiling &, PairLane &, long, long);
PartnerFiler partner_filer() { return file_partners; }
PartnerFiler tree_filer() { return file_partners_by_tree; }
#endif

}  // namespace

namespace zonix::core {

// Releases the rays of a list in which every ray was cut off, leaving the
// empty list: sentinel -> null, LastRay the sentinel.
void cut_all_rays(dd_ConePtr cone)
{
  dd_RayPtr r = cone->FirstRay;
  while (r != nullptr) {
    dd_RayPtr next = r->Next;
    recycle_ray(cone, r);
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

}  // namespace zonix::core

extern "C" {


void dd_UpdateEdges(dd_ConePtr cone, dd_RayPtr RRbegin, dd_RayPtr RRend)
{
  if (RRbegin == nullptr || RRend == nullptr) {
    dd_Printf(stderr, "Warning: dd_UpdateEdges called with NULL pointer(s)\n");
    return;
  }
  const long Z = cone->ZeroRayCount;
  const float totalpairs = static_cast<float>(Z - 1) * static_cast<float>(Z - 2) + 1.0f;
  float prevworkleft = 110.0f;
  long pos1 = 1;

  // A short run is walked pair by pair: packing costs time in the number
  // of rows, which may be far more than the run has pairs.
  const long threshold = workspace(cone).third_ray_index_threshold;
  long candidates = 0;
  for (dd_RayPtr t = RRbegin; t != nullptr && candidates <= threshold; t = t->Next)
    ++candidates;
  if (candidates <= threshold) {
    // No ray joins the run while it is filed: its third rays are walked.
    const EdgeFiling filing = begin_filing(cone, nullptr);
    dd_RayPtr prevP1 = nullptr;
    dd_RayPtr Ptr2begin = nullptr;
    for (dd_RayPtr P1 = RRbegin; P1 != nullptr && P1 != RRend; P1 = P1->Next) {
      if (cancelled(cone)) return;
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
    }
    return;
  }

  // Every pair of the run is met here: the zero sets are read from one
  // packed array, the last-chance rows from a mask per position.
  EdgeScratch &es = edge_scratch(cone);
  PackedZeroRays &P = es.packed_rays;
  PairFiling pf;
  pf.cone = cone;
  pf.packed = &P;
  pf.end = P.pack(cone, RRbegin, RRend);  // position of RRend
  pf.nw = P.words();
  pf.added = cone->AddedHalfspaces + 1;
  pf.search = !cone->parent->NondegAssumed;
  if (pf.search) P.index_later(cone->AddedHalfspaces);
  pf.later = &es.later_rows;
  es.later_rows.build(cone, P);
  pf.need = cone->d - 2;
  const long n = P.count();
  // Per ray whether it is simple, and over the run the added rows every
  // ray lies on and how many added rows the rays lie on: in blocks of
  // rays, on the run's threads when the rays are many.
  dd_workspace &ws = workspace(cone);
  std::vector<unsigned char> &simple = es.simple;
  simple.assign(static_cast<size_t>(n), 0);
  const bool trusted = pf.search && simple_rays_trusted(cone);
  bool by_rows = n > 0 && P.sorted();
  const long survey_block = ws.zero_pass_block(n);
  const long survey_blocks = std::max<long>(1, (n + survey_block - 1) / survey_block);
  std::vector<RaySurvey> &surveys = es.surveys;
  surveys.resize(static_cast<size_t>(survey_blocks));
  auto survey = [&](long b) {
    RaySurvey &v = surveys[static_cast<size_t>(b)];
    v.everywhere.assign(pf.added, pf.added + pf.nw);
    v.on_added = 0;
    v.all_simple = true;
    for (long k = b * survey_block; k < std::min(n, (b + 1) * survey_block); ++k) {
      if (trusted) {
        const bool s1 = simple_ray(P.ray(k), cone->AddedHalfspaces, pf.nw, 0, cone->d);
        simple[static_cast<size_t>(k)] = s1 ? 1 : 0;
        v.all_simple = v.all_simple && s1;
      }
      if (by_rows) {
        const set_word *z = P.zero(k);
        for (long w = 0; w < pf.nw; ++w) {
          v.everywhere[static_cast<size_t>(w)] &= z[w];
          v.on_added += bit_count(z[w] & pf.added[w]);
        }
      }
    }
  };
  for_blocks(ws.pool, ws.threads, ws.zero_pass_threads(n), survey_blocks, survey);
  bool all_simple = trusted;
  for (const RaySurvey &v : surveys) all_simple = all_simple && v.all_simple;
  pf.simple = simple.data();
  // Counting shared rows needs something to count: when the rows every
  // ray lies on make up d - 2 already, every pair is a candidate; and an
  // unsorted run has no fixed cutting row.  It pays when rays lie on few
  // of the other added rows (a of them on average): a partner range of
  // length L costs about L a^2 / |added| list entries by rows, against L
  // times a pass over the words when walked.
  if (by_rows) {
    pf.everywhere.assign(pf.added, pf.added + pf.nw);
    long on_added = 0;
    for (const RaySurvey &v : surveys) {
      for (long w = 0; w < pf.nw; ++w)
        pf.everywhere[static_cast<size_t>(w)] &= v.everywhere[static_cast<size_t>(w)];
      on_added += v.on_added;
    }
    long shared = 0, added_rows = 0;
    for (long w = 0; w < pf.nw; ++w) {
      shared += bit_count(pf.everywhere[static_cast<size_t>(w)]);
      added_rows += bit_count(pf.added[w]);
    }
    pf.need_elsewhere = pf.need - shared;
    const double a = static_cast<double>(on_added) / static_cast<double>(n) -
                     static_cast<double>(shared);
    by_rows = pf.need_elsewhere >= 1 &&
              4.0 * a * a <= static_cast<double>(added_rows - shared) * (pf.nw + 2);
  }
  if (by_rows) P.list_rows(ws);

  // The partner range of every ray.  The run is sorted by
  // FirstInfeasIndex, so rays with equal index share its start.
  const long firsts = pf.end < n ? pf.end : n;
  std::vector<long> &start = es.partner_start;
  start.assign(static_cast<size_t>(firsts), -1);
  double pairs = 0.0;
  long begin2 = -1;
  for (long i = 0; i < firsts; ++i) {
    const dd_rowrange fii1 = P.fii(i);
    if (i == 0 || P.fii(i - 1) != fii1 || begin2 == i) {
      begin2 = -1;
      for (long q = i + 1; q < n; ++q) {
        if (P.fii(q) > fii1) {
          begin2 = q;
          break;
        }
        if (q == pf.end) break;
      }
    }
    start[static_cast<size_t>(i)] = begin2;
    if (begin2 >= 0) pairs += static_cast<double>((pf.end < n ? pf.end : n - 1) - begin2 + 1);
  }

  // Faces of simple rays cost about n d log(n d); counting by rows, where
  // it is chosen, is cheaper still, and few pairs are cheaper walked.
  const double keys = static_cast<double>(n) * static_cast<double>(pf.need + 1);
  if (all_simple && !by_rows && pf.need >= 1 &&
      keys * std::log2(keys + 2.0) < pairs * static_cast<double>(pf.nw + 2)) {
    // Candidates by their faces; each judged as the walk judges it, in the
    // walk's order.
    if (es.lanes.empty()) es.lanes.resize(1);
    PairLane &lane = es.lanes[0];
    lane.face.assign(static_cast<size_t>(pf.nw), 0u);
    lane.count_int = lane.count_int_bad = lane.count_int_good = 0;
    lane.found.clear();
    lane.out = &lane.found;
    pairs_by_ridges(pf, es.ridge_pairs);
    const long last = pf.end < n ? pf.end : n - 1;
    for (const auto &[i, j] : es.ridge_pairs) {
      if (i >= firsts) continue;
      const long b2 = start[static_cast<size_t>(i)];
      if (b2 >= 0 && j >= b2 && j <= last) judge_pair<SoftwareCount>(pf, lane, i, j);
    }
    cone->count_int += lane.count_int;
    cone->count_int_bad += lane.count_int_bad;
    cone->count_int_good += lane.count_int_good;
    for (const FoundEdge &e : lane.found) file_edge(cone, P.ray(e.imax), P.ray(e.imin), e.fmin);
    release_found(lane);
    std::vector<std::pair<int, int>>().swap(es.ridge_pairs);  // large, and rarely needed again soon
    return;
  }

  // Trees of zero sets: for many pairs of rays that share few rows.
  const bool by_tree = !by_rows && P.sorted() && pf.need >= 1 &&
                       pairs >= workspace(cone).forest_pairs * static_cast<double>(n);
  if (by_tree) {
    es.forest.build(P, pf.added, cone->OrderVector);
    pf.forest = &es.forest;
  }
  const auto file = by_rows ? file_partners_by_rows : by_tree ? tree_filer() : partner_filer();

  // Blocks of consecutive rays, of about equal numbers of pairs, taken by
  // the threads in turn; the edges of each block are filed afterwards in
  // block order, as one thread walking the list would file them.
  const double block_pairs = std::max(workspace(cone).block_pairs, pairs / max_blocks);
  std::vector<long> block_first{0};
  double held = 0.0;
  for (long i = 0; i < firsts; ++i) {
    const long b2 = start[static_cast<size_t>(i)];
    if (b2 >= 0) held += static_cast<double>((pf.end < n ? pf.end : n - 1) - b2 + 1);
    if (held >= block_pairs && i + 1 < firsts) {
      block_first.push_back(i + 1);
      held = 0.0;
    }
  }
  block_first.push_back(firsts);
  const long blocks = static_cast<long>(block_first.size()) - 1;
  const int wanted = pairs >= workspace(cone).parallel_pairs ? workspace(cone).threads : 1;
  const int threads = static_cast<int>(std::clamp<long>(wanted, 1, blocks > 0 ? blocks : 1));
  if (es.lanes.size() < static_cast<size_t>(threads)) es.lanes.resize(static_cast<size_t>(threads));
  // A lane's scratch is set up by its own thread, at its first block.
  std::vector<unsigned char> &lane_ready = es.lane_ready;
  lane_ready.assign(static_cast<size_t>(threads), 0);
  for (int t = 0; t < threads; ++t) {
    PairLane &lane = es.lanes[static_cast<size_t>(t)];
    lane.count_int = lane.count_int_bad = lane.count_int_good = 0;
    std::fill_n(lane.recent, recent_witnesses, -1L);
    lane.found.clear();
    lane.out = &lane.found;
  }
  auto set_up = [&](PairLane &lane) {
    lane.face.assign(static_cast<size_t>(pf.nw), 0u);
    lane.probe.assign(static_cast<size_t>(pf.nw), 0u);
    lane.skip.assign(static_cast<size_t>(pf.nw), 0u);
    if (by_rows) lane.partners.reset(n);
    lane.stamp = 0;
  };
  es.found.resize(static_cast<size_t>(blocks));

  // The calling thread polls the cancel hook (a hook of this thread) and
  // reports progress; the others only see the stop.
  const std::exception_ptr failure = run_blocks(ws.pool, threads, blocks, [&](int t, long b) {
    PairLane &lane = es.lanes[static_cast<size_t>(t)];
    if (lane_ready[static_cast<size_t>(t)] == 0) {
      set_up(lane);
      lane_ready[static_cast<size_t>(t)] = 1;
    }
    const long begin = static_cast<long>(lane.found.size());
    for (long i = block_first[static_cast<size_t>(b)];
         i < block_first[static_cast<size_t>(b) + 1]; ++i) {
      if (t == 0) {
        if (cancelled(cone)) return false;
        ++pos1;
        if (dd_debug && Z >= 500) {
          const float workleft = 100.0f * static_cast<float>(Z - pos1) *
                                 static_cast<float>(Z - pos1 - 1) / totalpairs;
          if (pos1 % 10 == 0 && prevworkleft - workleft >= 10.0f) {
            dd_Printf(stderr,
                      "*Work of iteration %5ld(/%ld): %4ld/%4ld => %4.1f%% left\n",
                      cone->Iteration, cone->m, pos1, Z, workleft);
            prevworkleft = workleft;
          }
        }
      }
      const long b2 = start[static_cast<size_t>(i)];
      if (b2 >= 0) file(pf, lane, i, b2);
    }
    es.found[static_cast<size_t>(b)] = {t, begin, static_cast<long>(lane.found.size())};
    return true;
  }, by_rows);
  if (failure) std::rethrow_exception(failure);
  if (workspace(cone).interrupted) return;

  for (int t = 0; t < threads; ++t) {
    const PairLane &lane = es.lanes[static_cast<size_t>(t)];
    cone->count_int += lane.count_int;
    cone->count_int_bad += lane.count_int_bad;
    cone->count_int_good += lane.count_int_good;
  }
  for (const EdgeScratch::FoundSpan &f : es.found) {
    const std::vector<FoundEdge> &found = es.lanes[static_cast<size_t>(f.lane)].found;
    for (long k = f.begin; k < f.end; ++k) {
      const FoundEdge &e = found[static_cast<size_t>(k)];
      file_edge(cone, P.ray(e.imax), P.ray(e.imin), e.fmin);
    }
  }
  for (int t = 0; t < threads; ++t) release_found(es.lanes[static_cast<size_t>(t)]);
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
    if (cancelled(cone)) return;
    const auto *value1 = RayPtr1->ARay;
    const auto *value2 = RayPtr2->ARay;
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
      dd_Printf(stderr,
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
  split_on_new_row(cone, hnew);
  if (cone->PosHead == nullptr && cone->ZeroHead == nullptr) {
    workspace(cone).conflict_lists = false;
    cut_all_rays(cone);
    return;
  }

  // Taken off the array first: a pair filed while consuming (numerically
  // possible under the same index) then waits in the array, to be released
  // with the cone, instead of being lost.
  dd_workspace &ws = workspace(cone);
  if (cone->Iteration >= cone->m) {
    // The last iteration runs no pair tests: their scratch goes before its
    // new rays, the most of the run, are made.
    delete ws.edges;
    ws.edges = nullptr;
  }
  std::vector<NewRayJob> &jobs = edge_scratch(cone).new_rays;
  jobs.clear();
  // Room for the list made first: grown by doubling, the job list would
  // leave its old copies in the heap beside it.  Its length as filed, not
  // counted by a walk of the edges on the calling thread; no more than the
  // edges there are, should the count be stale.
  std::vector<long> &filed = ws.edges_filed;
  if (static_cast<size_t>(cone->Iteration) < filed.size()) {
    if (cone->RayCount >= trim_from_rays)
      jobs.reserve(static_cast<size_t>(std::clamp<long>(filed[static_cast<size_t>(cone->Iteration)], 0, cone->EdgeCount)));
    filed[static_cast<size_t>(cone->Iteration)] = 0;
  }
  for (dd_AdjacencyPtr e = cone->Edges[cone->Iteration]; e != nullptr;) {
    dd_AdjacencyPtr next = e->Next;
    jobs.push_back({e->Ray1, e->Ray2, nullptr, false, false, true, false, false, false});
    ws.edge_nodes.put(e);
    cone->EdgeCount--;
    e = next;
  }
  cone->Edges[cone->Iteration] = nullptr;
  compact_edges(cone);
  // Only a large list makes the pages worth returning: each trim walks the
  // heap, and the pages returned fault back in when a small run reuses them.
  // So it waits until the list has grown by a quarter, but for the last
  // iterations, the largest, which keeps the peak where trimming every
  // iteration would.
  long &trimmed = ws.trimmed_at_rays;
  trimmed = std::min(trimmed, cone->RayCount);
  if (cone->RayCount >= trim_from_rays &&
      (cone->m - cone->Iteration < dd_workspace::walked_splits || cone->RayCount - trimmed >= trimmed / 4)) {
    trimmed = cone->RayCount;
    return_free_pages();
  }

  // Every new ray is made and appended before any is filed, so that the
  // rays can be made on threads; they stand in the list, and their edges
  // are filed, in the order of the pairs.
  const bool by_conflicts = ws.conflict_lists;
  if (by_conflicts) {
    if (!make_new_rays_of(cone, jobs, hnew)) {
      jobs.clear();
      ws.conflict_lists = false;
      return;
    }
  } else {
    const long nw = set_data_words(cone->m);
    for (NewRayJob &j : jobs) {
      if (cancelled(cone)) {
        jobs.clear();
        return;
      }
      dd_CreateNewRay(cone, j.ray1, j.ray2, hnew);
      j.made = cone->LastRay;
      j.edge_face = same_edge_face(j.ray1, j.ray2, j.made, cone->AddedHalfspaces, nw, cone->d);
      j.separate = j.ray1->FirstInfeasIndex != j.made->FirstInfeasIndex;
    }
  }
  ws.conflict_lists = false;
  // Third rays come from PosHead on: the positives, zeros and new rays.
  EdgeFiling filing = begin_filing(cone, jobs.empty() ? nullptr : cone->PosHead);
  filing.current_row = hnew;
  for (const NewRayJob &j : jobs)
    if (j.separate)
      conditional_add_edge(cone, j.ray1, j.made, cone->PosHead, filing, j.edge_face);
  // The last iterations hold the largest lists: what they no longer need
  // leaves the heap before their pair tests.
  const bool late = cone->m - cone->Iteration < dd_workspace::walked_splits && cone->RayCount >= trim_from_rays;
  if (late)
    std::vector<NewRayJob>().swap(jobs);
  else
    jobs.clear();

  // Made by their conflicts, the rays left are the positive run PosHead..
  // PosLast, then the zero rays, then the new ones: the run stays.
  if (by_conflicts && cone->PosHead != nullptr && cone->FirstRay == cone->PosHead)
    delete_negatives_after_positives(cone);
  else
    dd_DeleteNegativeRays(cone);
  set_addelem(cone->AddedHalfspaces, hnew);

  if (cone->Iteration < cone->m && cone->ZeroHead != nullptr &&
      cone->ZeroHead != cone->LastRay) {
    if (dd_debug && cone->ZeroRayCount > 200)
      dd_Printf(stderr, "*New edges being scanned...\n");
    if (late) return_free_pages();
    dd_UpdateEdges(cone, cone->ZeroHead, cone->LastRay);
  }
  if (cone->RayCount == cone->WeaklyFeasibleRayCount)
    cone->CompStatus = dd_AllFound;
  // No ray is made or filed after the last iteration: the scratch of
  // filing would only stand beside the output.
  if (cone->CompStatus == dd_AllFound || cone->Iteration >= cone->m) {
    delete ws.edges;
    ws.edges = nullptr;
    ws.ray_lanes.clear();
    ws.zero_buckets = ZeroBuckets();
    // The checks of the answer and its output stand beside the largest
    // list: the heap's free pages go first.
    if (cone->RayCount >= trim_from_rays) return_free_pages();
  }
}

}  // extern "C"
