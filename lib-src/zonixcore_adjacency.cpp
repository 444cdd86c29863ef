// The adjacency test of two rays, the filing of an edge once it holds,
// and the pairs that can be edges when every ray is simple (by hashing
// their ridges).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <span>
#include <utility>
#include <vector>

#include "zonixcore_adjacency.hpp"
#include "zonixprint.h"

using namespace zonix::core;

namespace {

// Sorts v ascending on its low `bits` bits (the others zero) through tmp,
// 11 bits a pass from the lowest; a pass whose digit is the same in every
// key is skipped.  The keys are hashes, on which a comparison sort's
// branches are missed half the time.
void radix_sort(std::vector<std::uint64_t> &v, std::vector<std::uint64_t> &tmp, int bits)
{
  constexpr int kDigit = 11;
  constexpr size_t kBuckets = size_t{1} << kDigit;
  // Below some thousand keys clearing the counts costs more than comparing.
  if (v.size() < 1024) {
    std::sort(v.begin(), v.end());
    return;
  }
  tmp.resize(v.size());
  std::vector<size_t> count(kBuckets);
  for (int shift = 0; shift < bits; shift += kDigit) {
    std::fill(count.begin(), count.end(), 0);
    for (const std::uint64_t x : v) ++count[(x >> shift) & (kBuckets - 1)];
    if (count[(v[0] >> shift) & (kBuckets - 1)] == v.size()) continue;
    size_t sum = 0;
    for (size_t &c : count) sum += std::exchange(c, sum);
    for (const std::uint64_t x : v) tmp[count[(x >> shift) & (kBuckets - 1)]++] = x;
    v.swap(tmp);
  }
}

}  // namespace

namespace zonix::core {

EdgeFiling begin_filing(dd_ConePtr cone, dd_RayPtr from)
{
  EdgeFiling f;
  f.nw = set_data_words(cone->m);
  dd_workspace &ws = workspace(cone);
  f.face = ws.edge_face.get(cone->m);
  // The split of this iteration left the positions: the last-chance test
  // then reads a ray pair's common rows instead of walking positions.
  if (ws.row_positions_at == cone->Iteration && ws.row_positions.size() == static_cast<size_t>(cone->m) + 1)
    f.position = ws.row_positions.data();
  if (from == nullptr) {
    // Beyond 64 words a bit stands for several, and reading them costs
    // more than it saves.
    f.word_masks = f.nw <= 64;
    if (f.word_masks)
      for (auto &slot : f.masks) slot.ray = nullptr;
    return f;
  }
  // A short list is walked from ValidFirstRay, which is `from`: its rays
  // are all in place before the filings start.  It needs no positions
  // either.
  const long threshold = workspace(cone).third_ray_index_threshold;
  long candidates = 0;
  for (dd_RayPtr t = from; t != nullptr && candidates <= threshold;
       t = t->Next)
    ++candidates;
  if (candidates <= threshold) return f;
  f.cone = cone;
  f.from = from;
  f.index_pending = true;
  if (f.position != nullptr) return f;
  std::vector<long> &row_position = row_position_of(cone);
  row_position.assign(static_cast<size_t>(cone->m) + 2, 0);
  for (dd_rowrange i = 1; i <= cone->m; ++i) {
    const dd_rowrange r = cone->OrderVector[i];
    if (r >= 1 && r <= cone->m + 1) row_position[static_cast<size_t>(r)] = i;
  }
  f.position = row_position.data();
  return f;
}

void conditional_add_edge(dd_ConePtr cone, dd_RayPtr Ray1, dd_RayPtr Ray2,
                          dd_RayPtr ValidFirstRay, const EdgeFiling &f,
                          bool edge_face)
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
  // Without row positions the rows are walked in order, which for most
  // pairs ends here: the face is made only for the pairs that pass.
  const dd_rowrange it0 = cone->Iteration;
  set_word *face = f.face;
  long card = 0;
  bool later = false;
  // The first positions are walked one by one (a degenerate pair meets a
  // common row soon); beyond them the common rows are looked up, where
  // the split left their positions.
  constexpr long walk_limit = 4;
  const dd_rowrange walk_end = f.position != nullptr ? std::min<dd_rowrange>(fmin, it0 + 1 + walk_limit) : fmin;
  for (dd_rowrange it = it0 + 1; it < walk_end && !later; ++it) {
    const dd_rowrange r = cone->OrderVector[it];
    later = eqidx[r] >= 0 && in_both(z1, z2, r);
  }
  bool face_made = false;
  if (!later && walk_end < fmin) {
    // Zero sets are sparse: most words have no common row, and the face
    // is made only for the few pairs that need a third-ray search.
    // Whether the common rows of word k make the pair meet again at a
    // later iteration; counts the added ones.
    auto deferred = [&](long k) {
      const set_word common = z1[k] & z2[k];
      if (common == 0u) return false;
      card += bit_count(common & added[k]);
      for (set_word w = common; w != 0u; w &= w - 1u) {
        const long r = (k - 1) * 32 + std::countr_zero(w) + 1;
        const long pos = f.position[r];
        if (pos >= walk_end && pos < fmin && eqidx[r] >= 0) return true;
      }
      return false;
    };
    if (f.word_masks) {
      for (std::uint64_t b = f.words_of(Rmax) & f.words_of(Rmin); b != 0u; b &= b - 1u)
        if (deferred(std::countr_zero(b) + 1)) {
          cone->count_int_bad++;
          return;
        }
    } else {
      // The face made on the way: the pairs of long lists (degenerate
      // ones) often need a third-ray search.
      for (long k = 1; k <= f.nw; ++k) {
        face[k] = z1[k] & z2[k] & added[k];
        if (deferred(k)) {
          cone->count_int_bad++;
          return;
        }
      }
      face_made = true;
    }
  } else if (!later) {
    card = make_face(face, z1, z2, added, f.nw);
    face_made = true;
  }
  if (later) {
    cone->count_int_bad++;
    return;
  }
  cone->count_int_good++;

  bool adjacent;
  if (card < cone->d - 2)
    adjacent = false;
  else if (cone->parent->NondegAssumed || ValidFirstRay == nullptr ||
           (simple_rays_trusted(cone) &&
            (edge_face || f.simple(Rmax, added, cone->d) || f.simple(Rmin, added, cone->d))))
    adjacent = true;
  else if (f.index_pending && f.walks < (cone->m <= bitset_rows ? walks_before_bits : walks_before_index)) {
    // Few searches cost less walked than the index costs to build.
    if (!face_made) make_face(face, z1, z2, added, f.nw);
    ++f.walks;
    adjacent = !third_ray_found(f.from, Ray1, Ray2, face, f.nw);
  } else if (f.index_pending || f.index != nullptr) {
    if (!face_made) make_face(face, z1, z2, added, f.nw);
    if (f.index_pending) {
      f.index = &third_rays_of(f.cone);
      f.index->build(f.cone, f.from, f.nw);
      f.index_pending = false;
    }
    adjacent = !f.index->third_ray_found(face, f.nw, Ray1, Ray2);
  } else {
    if (!face_made) make_face(face, z1, z2, added, f.nw);
    adjacent = !third_ray_found(ValidFirstRay, Ray1, Ray2, face, f.nw);
  }
  if (!adjacent) return;
  file_edge(cone, Rmax, Rmin, fmin);
}

}  // namespace zonix::core

// An edge's face is d - 2 of each simple ray's d - 1 added rows, so the
// rays of an edge meet under the key of one of their rows left out.  Keys
// hash the rows (a sum of random words, the left-out row's taken away);
// rays under one key are compared to throw out collisions.  About n d keys
// instead of n^2 / 2 pairs.
void zonix::core::ridge_pairs(std::span<const set_word *const> zero, const set_word *added, long nw,
                              long need, std::vector<std::pair<int, int>> &pairs)
{
  const long n = static_cast<long>(zero.size());
  std::vector<std::uint64_t> row_key(static_cast<size_t>(nw) * 32 + 1);
  std::uint64_t x = 0x9e3779b97f4a7c15u;
  for (auto &k : row_key) {  // splitmix64: fixed, so runs repeat
    x += 0x9e3779b97f4a7c15u;
    std::uint64_t z = x;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    k = z ^ (z >> 31);
  }
  // One word a key: 32 bits of the hash above the ray's index, so that one
  // sort groups them.  Hashes equal in those bits only add candidates,
  // which the count below throws out.
  constexpr int kHashBits = 32;
  const int ray_bits = std::bit_width(static_cast<std::uint64_t>(n));
  const std::uint64_t ray_mask = (std::uint64_t{1} << ray_bits) - 1u;
  std::vector<std::uint64_t> keys, tmp;
  keys.reserve(static_cast<size_t>(n) * static_cast<size_t>(need + 1));
  std::vector<long> rows;
  for (long k = 0; k < n; ++k) {
    const set_word *z = zero[static_cast<size_t>(k)];
    rows.clear();
    std::uint64_t all = 0;
    for (long w = 0; w < nw; ++w)
      for (set_word b = z[w] & added[w]; b != 0u; b &= b - 1u) {
        const long r = w * 32 + std::countr_zero(b) + 1;
        rows.push_back(r);
        all += row_key[static_cast<size_t>(r)];
      }
    for (long r : rows)
      keys.push_back(((all - row_key[static_cast<size_t>(r)]) >> (64 - kHashBits) << ray_bits) |
                     static_cast<std::uint64_t>(k));
  }
  radix_sort(keys, tmp, kHashBits + ray_bits);
  // The pairs as words too, i above j, for the same sort.
  std::vector<std::uint64_t> &found = tmp;
  found.clear();
  for (size_t a = 0; a < keys.size();) {
    size_t b = a + 1;
    while (b < keys.size() && (keys[b] & ~ray_mask) == (keys[a] & ~ray_mask)) ++b;
    for (size_t p = a; p < b; ++p)
      for (size_t q = p + 1; q < b; ++q) {
        const std::uint64_t i = keys[p] & ray_mask, j = keys[q] & ray_mask;
        if (i == j) continue;
        long card = 0;
        const set_word *zi = zero[static_cast<size_t>(i)], *zj = zero[static_cast<size_t>(j)];
        for (long w = 0; w < nw; ++w) card += bit_count(zi[w] & zj[w] & added[w]);
        if (card == need) found.push_back(i << ray_bits | j);
      }
    a = b;
  }
  radix_sort(found, keys, 2 * ray_bits);
  found.erase(std::unique(found.begin(), found.end()), found.end());
  pairs.resize(found.size());
  for (size_t t = 0; t < found.size(); ++t)
    pairs[t] = {static_cast<int>(found[t] >> ray_bits), static_cast<int>(found[t] & ray_mask)};
}

extern "C" {

void dd_CheckAdjacency(dd_ConePtr cone, dd_RayPtr *RP1, dd_RayPtr *RP2,
                       dd_boolean *adjacent)
{
  const long nw = set_data_words(cone->m);
  set_word *face = workspace(cone).adjacency_face.get(cone->m);
  const set_word *added = cone->AddedHalfspaces;
  *adjacent = dd_TRUE;
  const long card =
      make_face(face, (*RP1)->ZeroSet, (*RP2)->ZeroSet, added, nw);
  if (card < cone->d - 2) {
    if (dd_debug)
      dd_Printf(stderr,
                   "non adjacent: set_card(face) %ld < %ld = cone->d.\n",
                   card, cone->d);
    *adjacent = dd_FALSE;
    return;
  }
  if (cone->parent != nullptr && cone->parent->NondegAssumed) return;
  if (simple_rays_trusted(cone) &&
      (simple_ray(*RP1, added, nw, 0, cone->d) ||
       simple_ray(*RP2, added, nw, 0, cone->d)))
    return;
  if (third_ray_found(cone->FirstRay, *RP1, *RP2, face, nw))
    *adjacent = dd_FALSE;
}

void dd_ConditionalAddEdge(dd_ConePtr cone, dd_RayPtr Ray1, dd_RayPtr Ray2,
                           dd_RayPtr ValidFirstRay)
{
  EdgeFiling f;
  f.nw = set_data_words(cone->m);
  f.face = workspace(cone).edge_face.get(cone->m);
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

}  // extern "C"
