// The double description run: from a matrix record to a polyhedron whose
// cone holds the other representation, one row per iteration.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <new>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "zonixcore_internal.hpp"
#include "zonixio.h"
#include "zonixhandles.hpp"
#include "zonixexact.hpp"

using namespace zonix::core;

namespace {

// Per thread, so that concurrent runs report to their own callers.
thread_local dd_ProgressHook progress_hook = nullptr;
thread_local void *progress_user = nullptr;

// Whether the homogenising column itself was removed by column reduction;
// then its lineality direction is not part of the output.
bool homogenising_column_removed(dd_ConePtr cone)
{
  return cone->d <= 0 || (cone->d_orig >= 1 && cone->newcol[1] == 0);
}

// Moves hh to position `iteration` of the order vector, so that the first
// positions record the rows in the order a dynamic run took them.
void record_dynamic_choice(dd_ConePtr cone, dd_rowrange hh)
{
  for (dd_rowrange p = 1; p <= cone->m; ++p) {
    if (cone->OrderVector[p] != hh) continue;
    const dd_rowrange it = cone->Iteration;
    cone->OrderVector[p] = cone->OrderVector[it];
    cone->OrderVector[it] = hh;
    ++workspace(cone).order_stamp;
    return;
  }
}

// Random keys of ground elements; a set is keyed by the mixed sum of the
// keys of its members, so that the key of a set less one member is one
// subtraction away.
std::uint64_t mix(std::uint64_t z)
{
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}
inline constexpr std::uint64_t golden = 0x9e3779b97f4a7c15u;  // splitmix step
std::uint64_t element_key(long e) { return mix(golden * static_cast<std::uint64_t>(e + 1)); }

// Edges are matched when at most one ray in this many is wide: the
// search among wide rays is what costs, and results with many wide rays
// (degenerate ones) are not those that rounding thins out.
inline constexpr size_t wide_share = 8;
// Small results are matched whatever their share of wide rays.
inline constexpr size_t few_rays = 64;

// A ridge: an item (a ray or a row) less one of its elements, keyed.
struct Ridge {
  std::uint64_t key;
  long facet;
  int drop;
};

// Ranks modulo the prime 2^31 - 1: rank d there means rank d over the
// rationals, so that no ray lies on all of the rows.  A double is an
// integer times a power of two, and 2^31 is 1 modulo the prime.  Two
// residues multiply in 64 bits and fold without a division: a degenerate
// run tests the rows of every ray.
inline constexpr std::uint64_t rank_prime = (std::uint64_t{1} << 31) - 1;

// x mod the prime, for x < 2^63.
std::uint64_t fold(std::uint64_t x)
{
  x = (x & rank_prime) + (x >> 31);
  x = (x & rank_prime) + (x >> 31);
  return x >= rank_prime ? x - rank_prime : x;
}

std::uint64_t mul_mod(std::uint64_t a, std::uint64_t b) { return fold(a * b); }

// An integer that a double holds exactly, as the caller's integers are.
bool exact_integer(double x)
{
  return std::fabs(x) < 0x1p53 && std::nearbyint(x) == x;
}

std::uint64_t residue(double x)
{
  if (x == 0.0) return 0;
  std::uint64_t r = 0;
  if (exact_integer(x)) {  // the caller's integers, the common case, without taking them apart
    r = fold(static_cast<std::uint64_t>(std::fabs(x)));
  } else {
    int e = 0;
    const double f = std::frexp(std::fabs(x), &e);
    r = mul_mod(fold(static_cast<std::uint64_t>(std::ldexp(f, 53))), std::uint64_t{1} << (((e - 53) % 31 + 31) % 31));
  }
  return x < 0.0 && r != 0 ? rank_prime - r : r;
}

// The residues of the cone's rows, row after row.
std::vector<std::uint64_t> row_residues(dd_ConePtr cone)
{
  std::vector<std::uint64_t> r;
  r.reserve(static_cast<size_t>(cone->m * cone->d));
  for (long i = 0; i < cone->m; ++i)
    for (long j = 0; j < cone->d; ++j) r.push_back(residue(ddd_get_d(cone->A[i][j])));
  return r;
}

// Whether the rows of zero set z have full rank d: a wide ray claims they
// do not, and only rounding can have made it.  work holds the rows.
bool rows_full_rank(dd_ConePtr cone, const std::vector<std::uint64_t> &residues, const set_word *z,
                    std::vector<std::uint64_t> &work)
{
  const long d = cone->d;
  const long nw = set_data_words(cone->m);
  work.clear();
  for (long w = 1; w <= nw; ++w)
    for (set_word b = z[w]; b != 0u; b &= b - 1u) {
      const auto *a = residues.data() + static_cast<size_t>(((w - 1) * 32 + std::countr_zero(b)) * d);
      work.insert(work.end(), a, a + d);
    }
  const long rows = static_cast<long>(work.size()) / d;
  if (rows < d) return false;
  auto at = [&](long i, long j) -> std::uint64_t & { return work[static_cast<size_t>(i * d + j)]; };
  for (long c = 0; c < d; ++c) {
    long p = c;
    while (p < rows && at(p, c) == 0) ++p;
    if (p == rows) return false;
    for (long j = c; j < d; ++j) std::swap(at(p, j), at(c, j));
    // Without division: row i times the pivot, less row c times its entry.
    const std::uint64_t pivot = at(c, c);
    for (long i = c + 1; i < rows; ++i) {
      if (at(i, c) == 0) continue;
      const std::uint64_t f = rank_prime - at(i, c);
      for (long j = c; j < d; ++j) at(i, j) = fold(at(i, j) * pivot + f * at(c, j));
    }
  }
  return true;
}

// Whether the rows of a zero set are all integer rows of the input, which
// doubles hold exactly: then their rank is that of the caller's rows.
// Other rows may be a decimal rounded, whose rank says nothing.
std::vector<char> exact_rows(dd_ConePtr cone)
{
  std::vector<char> exact(static_cast<size_t>(cone->m) + 1, 0);
  dd_PolyhedraPtr poly = cone->parent;
  if (!numbers_round || poly == nullptr) return exact;
  for (dd_rowrange i = 1; i <= cone->m; ++i) {
    bool whole = true;
    if (i <= poly->m)
      for (dd_colrange j = 0; j < poly->d && whole; ++j) {
        whole = exact_integer(ddd_get_d(poly->A[i - 1][j]));
      }
    exact[static_cast<size_t>(i)] = whole;
  }
  return exact;
}

// Per row, the wide rays on it as a bit set over their slots, when these
// fit in wide_bits_cap bytes: a ridge's partners are then the bits its
// rows' sets share, word by word, the rarest rows first (most words are
// empty after a few).  A row of a dense input can hold a large share of
// the wide rays, and a scan of them for each unmatched edge, through the
// rays' records, grows with the product of the two counts.
inline constexpr size_t wide_bits_cap = size_t{16} << 20;

// The edges of rays on exactly d-1 rows when others lie on more: each is
// shared by exactly two rays, the other one found among the edges or, when
// alone there, exactly one of the wider rays.
bool edges_closed(dd_ConePtr cone, const std::vector<dd_RayPtr> &rays,
                  const std::vector<long> &wide, std::vector<Ridge> &edges,
                  std::vector<std::vector<set_word>> &closes)
{
  const long nw = set_data_words(cone->m);
  std::vector<long> slot(rays.size(), -1);
  for (size_t s = 0; s < wide.size(); ++s) slot[static_cast<size_t>(wide[s])] = static_cast<long>(s);
  closes.assign(wide.size(), std::vector<set_word>(static_cast<size_t>(nw) + 1, 0u));
  std::vector<std::vector<long>> wide_on(static_cast<size_t>(cone->m) + 1);
  for (long t : wide)
    for (long w = 1; w <= nw; ++w)
      for (set_word b = rays[static_cast<size_t>(t)]->ZeroSet[w]; b != 0u; b &= b - 1u)
        wide_on[static_cast<size_t>((w - 1) * 32 + std::countr_zero(b) + 1)].push_back(t);
  const size_t bw = (wide.size() + 63) / 64;
  const bool use_bits = bw > 1 && (static_cast<size_t>(cone->m) + 1) * bw * 8 <= wide_bits_cap;
  std::vector<std::uint64_t> bits;
  std::vector<long> ridge;
  std::vector<const std::uint64_t *> sets;
  if (use_bits) {
    bits.assign((static_cast<size_t>(cone->m) + 1) * bw, 0u);
    for (size_t row = 1; row < wide_on.size(); ++row)
      for (long t : wide_on[row]) {
        const auto s = static_cast<size_t>(slot[static_cast<size_t>(t)]);
        bits[row * bw + s / 64] |= std::uint64_t{1} << (s % 64);
      }
  }
  std::sort(edges.begin(), edges.end(),
            [](const Ridge &a, const Ridge &b) { return a.key < b.key; });
  for (size_t a = 0; a < edges.size();) {
    size_t b = a + 1;
    while (b < edges.size() && edges[b].key == edges[a].key) ++b;
    if (b - a > 2) return false;
    if (b - a == 1) {
      const Ridge &r = edges[a];
      const set_word *z = rays[static_cast<size_t>(r.facet)]->ZeroSet;
      long partners = 0, partner = 0;
      bool apex = true;
      for (long w = 1; w <= nw && apex; ++w) {
        set_word rest = z[w];
        if (w == (r.drop - 1) / 32 + 1) rest &= ~(set_word{1} << ((r.drop - 1) % 32));
        apex = rest == 0u;
      }
      if (apex) {
        // An edge on no row (d-1 = 1: the apex of a 2-d cone) lies in
        // every ray.  Its one wide partner's rows must then be parallel (a
        // repeated row, or 0 <= b beside x0 >= 0): rows of rank 2 meet in
        // the apex alone, and only rounding puts a ray on them.
        if (wide.size() != 1) return false;
        if constexpr (numbers_round) {
          std::vector<std::uint64_t> work;
          if (rows_full_rank(cone, row_residues(cone), rays[static_cast<size_t>(wide[0])]->ZeroSet, work)) return false;
        }
        partners = 1;
        partner = wide[0];
      } else if (use_bits) {
        ridge.clear();
        for (long w = 1; w <= nw; ++w)
          for (set_word bits_w = z[w]; bits_w != 0u; bits_w &= bits_w - 1u)
            if (const long row = (w - 1) * 32 + std::countr_zero(bits_w) + 1; row != r.drop)
              ridge.push_back(row);
        std::sort(ridge.begin(), ridge.end(), [&](long x, long y) {
          return wide_on[static_cast<size_t>(x)].size() < wide_on[static_cast<size_t>(y)].size();
        });
        sets.clear();
        for (long row : ridge) sets.push_back(bits.data() + static_cast<size_t>(row) * bw);
        for (size_t k = 0; k < bw && partners <= 1 && !sets.empty(); ++k) {
          std::uint64_t both = sets[0][k];
          for (size_t q = 1; q < sets.size() && both != 0u; ++q) both &= sets[q][k];
          for (; both != 0u; both &= both - 1u) {
            ++partners;
            partner = wide[k * 64 + static_cast<size_t>(std::countr_zero(both))];
          }
        }
      } else {
        long rare = 0;
        for (long w = 1; w <= nw; ++w)
          for (set_word bits_w = z[w]; bits_w != 0u; bits_w &= bits_w - 1u) {
            const long row = (w - 1) * 32 + std::countr_zero(bits_w) + 1;
            if (row != r.drop && (rare == 0 || wide_on[static_cast<size_t>(row)].size() <
                                                   wide_on[static_cast<size_t>(rare)].size()))
              rare = row;
          }
        for (long t : wide_on[static_cast<size_t>(rare)]) {
          const set_word *zt = rays[static_cast<size_t>(t)]->ZeroSet;
          bool within = true;
          for (long w = 1; w <= nw && within; ++w) {
            set_word rest = z[w] & ~zt[w];
            if (w == (r.drop - 1) / 32 + 1) rest &= ~(set_word{1} << ((r.drop - 1) % 32));
            within = rest == 0u;
          }
          if (within) {
            ++partners;
            partner = t;
          }
        }
      }
      if (partners != 1) return false;
      std::vector<set_word> &u = closes[static_cast<size_t>(slot[static_cast<size_t>(partner)])];
      for (long w = 1; w <= nw; ++w) u[static_cast<size_t>(w)] |= z[w];
      const long drop = r.drop - 1;
      u[static_cast<size_t>(drop / 32 + 1)] &= ~(set_word{1} << (drop % 32));
    }
    a = b;
  }
  return true;
}

// Whether a ray on more than d-1 rows is none of the facets it claims.
// When the rows are the caller's integers and have rank d, no ray lies on
// all of them: rounding took a row as tight.  The result is still right
// when the ray is a facet with extra rows, all of its ridges on that
// facet; a ray that stands for several facets in truth (their common
// rows tight within rounding) closes ridges that have rank d together, or
// none.
bool wide_unexplained(dd_ConePtr cone, const std::vector<dd_RayPtr> &rays, const std::vector<long> &wide,
                      const std::vector<std::vector<set_word>> &closes)
{
  if (!numbers_round || wide.empty()) return false;
  const std::vector<char> exact = exact_rows(cone);
  const long nw = set_data_words(cone->m);
  std::vector<std::uint64_t> work;
  const std::vector<std::uint64_t> residues = row_residues(cone);
  for (size_t s = 0; s < wide.size(); ++s) {
    const set_word *z = rays[static_cast<size_t>(wide[s])]->ZeroSet;
    bool whole = true;
    for (long w = 1; w <= nw && whole; ++w)
      for (set_word bits = z[w]; bits != 0u && whole; bits &= bits - 1u)
        whole = exact[static_cast<size_t>((w - 1) * 32 + std::countr_zero(bits) + 1)] != 0;
    if (!whole || !rows_full_rank(cone, residues, z, work)) continue;
    bool none = true;
    for (long w = 1; w <= nw; ++w) none = none && closes[s][static_cast<size_t>(w)] == 0u;
    if (none || rows_full_rank(cone, residues, closes[s].data(), work)) return true;
  }
  return false;
}

// The ridge tests of a complete run with every ray feasible.
//
// On the rays: for a ray on exactly d-1 rows, each row left out (not an
// equation) gives an edge of the cone, and an edge of a pointed cone holds
// exactly two rays.  When every ray is such, every edge occurs exactly
// twice and their keys cancel under exclusive or; otherwise edges_closed
// matches them.
//
// On the rows, when the cone is full-dimensional (no equation, no row on
// every ray): a row with exactly d-1 rays that is a facet has ridges of
// d-2 rays, each in another row with at least d-1 rays and other rays.
// A row with d-1 rays that is no facet lies in two facets, which pass the
// same test.
//
// A lost or extra ray breaks one of them; rounding that kept the counts
// consistent cannot be seen here.
bool ridges_inconsistent(dd_ConePtr cone, const std::vector<dd_RayPtr> &rays)
{
  const dd_rowrange m = cone->m;
  const long need = cone->d - 1;
  const long nw = set_data_words(m);
  if (need < 1 || rays.empty()) return false;
  std::vector<std::uint64_t> row_key(static_cast<size_t>(m) + 1);
  for (dd_rowrange i = 1; i <= m; ++i) row_key[static_cast<size_t>(i)] = element_key(i);
  std::vector<long> count(static_cast<size_t>(m) + 1, 0);
  std::vector<std::uint64_t> row_sum(static_cast<size_t>(m) + 1, 0);
  std::vector<set_word> everywhere(static_cast<size_t>(nw), ~set_word{0});
  const set_word *eq = cone->EqualitySet;
  // Counted first, so that edges are listed only when some ray is wider.
  bool simple = true;
  for (size_t k = 0; k < rays.size() && simple; ++k) {
    long card = 0;
    for (long w = 1; w <= nw; ++w) card += bit_count(rays[k]->ZeroSet[w]);
    simple = card == need;
  }
  std::uint64_t ridges = 0;
  std::vector<long> wide;  // rays on more than d-1 rows
  std::vector<Ridge> edges;
  if (!simple) edges.reserve(rays.size() * static_cast<size_t>(need));
  for (size_t k = 0; k < rays.size(); ++k) {
    const set_word *z = rays[k]->ZeroSet;
    const std::uint64_t ray_key = element_key(static_cast<long>(k));
    std::uint64_t sum = 0;
    long card = 0;
    for (long w = 1; w <= nw; ++w) {
      everywhere[static_cast<size_t>(w - 1)] &= z[w];
      for (set_word b = z[w]; b != 0u; b &= b - 1u) {
        const size_t row = static_cast<size_t>((w - 1) * 32 + std::countr_zero(b) + 1);
        sum += row_key[row];
        ++card;
        ++count[row];
        row_sum[row] += ray_key;
      }
    }
    if (card != need) {
      wide.push_back(static_cast<long>(k));
      continue;
    }
    for (long w = 1; w <= nw; ++w)
      for (set_word b = z[w] & ~eq[w]; b != 0u; b &= b - 1u) {
        const int row = static_cast<int>((w - 1) * 32 + std::countr_zero(b) + 1);
        const std::uint64_t key = mix(sum - row_key[static_cast<size_t>(row)]);
        ridges ^= key;
        if (!simple) edges.push_back({key, static_cast<long>(k), row});
      }
  }
  if (simple) {
    if (ridges != 0) return true;
  } else if (wide.size() * wide_share <= rays.size() || rays.size() <= few_rays) {
    std::vector<std::vector<set_word>> closes;
    if (!edges_closed(cone, rays, wide, edges, closes) || wide_unexplained(cone, rays, wide, closes)) return true;
  }

  bool full = need >= 2 && set_card(cone->EqualitySet) == 0;
  for (auto w : everywhere) full = full && w == 0u;
  if (!full) return false;
  // The rows with exactly d-1 rays, with their rays.
  std::vector<dd_rowrange> facets;
  for (dd_rowrange i = 1; i <= m; ++i)
    if (count[static_cast<size_t>(i)] == need) facets.push_back(i);
  if (facets.empty()) return false;
  std::vector<long> slot(static_cast<size_t>(m) + 1, -1);
  for (size_t f = 0; f < facets.size(); ++f) slot[static_cast<size_t>(facets[f])] = static_cast<long>(f);
  std::vector<int> members(facets.size() * static_cast<size_t>(need));
  std::vector<long> filled(facets.size(), 0);
  for (size_t k = 0; k < rays.size(); ++k)
    for (long w = 1; w <= nw; ++w)
      for (set_word b = rays[k]->ZeroSet[w]; b != 0u; b &= b - 1u) {
        const long f = slot[static_cast<size_t>((w - 1) * 32 + std::countr_zero(b) + 1)];
        if (f >= 0) members[static_cast<size_t>(f * need + filled[static_cast<size_t>(f)]++)] = static_cast<int>(k);
      }
  std::vector<Ridge> list;
  for (size_t f = 0; f < facets.size(); ++f) {
    const std::uint64_t sum = row_sum[static_cast<size_t>(facets[f])];
    for (long q = 0; q < need; ++q) {
      const int k = members[f * static_cast<size_t>(need) + static_cast<size_t>(q)];
      list.push_back({mix(sum - element_key(k)), static_cast<long>(f), k});
    }
  }
  std::sort(list.begin(), list.end(), [](const Ridge &a, const Ridge &b) { return a.key < b.key; });
  // Whether row i (other rays than facet f) holds the ridge r.
  auto holds = [&](dd_rowrange i, const Ridge &r) {
    if (count[static_cast<size_t>(i)] < need ||
        row_sum[static_cast<size_t>(i)] == row_sum[static_cast<size_t>(facets[static_cast<size_t>(r.facet)])])
      return false;
    for (long q = 0; q < need; ++q) {
      const int k = members[static_cast<size_t>(r.facet * need + q)];
      if (k != r.drop && !in_set(rays[static_cast<size_t>(k)]->ZeroSet, i)) return false;
    }
    return true;
  };
  for (size_t a = 0; a < list.size();) {
    size_t b = a + 1;
    while (b < list.size() && list[b].key == list[a].key) ++b;
    bool found = false;
    for (size_t c = a + 1; c < b && !found; ++c) found = holds(facets[static_cast<size_t>(list[c].facet)], list[a]);
    if (!found) {
      // A wider row: one of the rows on a ray of the ridge.
      const Ridge &r = list[a];
      const int k = members[static_cast<size_t>(r.facet * need + (members[static_cast<size_t>(r.facet * need)] == r.drop ? 1 : 0))];
      const set_word *z = rays[static_cast<size_t>(k)]->ZeroSet;
      for (long w = 1; w <= nw && !found; ++w)
        for (set_word bits = z[w]; bits != 0u && !found; bits &= bits - 1u)
          found = holds((w - 1) * 32 + std::countr_zero(bits) + 1, r);
    }
    if (!found) return true;
    a = b;
  }
  return false;
}

// A key of a ray's zero set, for finding equal zero sets without a copy
// of the list: equal sets have equal keys, and equal keys are compared.
std::uint32_t zero_set_key(const set_word *z, long nw)
{
  std::uint64_t h = golden;
  for (long k = 1; k <= nw; ++k) h = mix(h + z[k]);
  return static_cast<std::uint32_t>(h >> 32);
}

// Sorts keys: split in place by their top byte, then the parts sorted on
// `threads` threads of pool, so that no thread idles while the caller
// sorts the whole.
void sort_keys(std::vector<std::uint32_t> &keys, ThreadPool &pool, int threads)
{
  constexpr int shift = 24;
  constexpr size_t parts = size_t{1} << (32 - shift);
  std::vector<size_t> start(parts + 1, 0), next(parts);
  for (const std::uint32_t k : keys) ++start[(k >> shift) + 1];
  for (size_t b = 0; b < parts; ++b) start[b + 1] += start[b];
  std::copy(start.begin(), start.end() - 1, next.begin());
  for (size_t b = 0; b < parts; ++b)
    while (next[b] < start[b + 1]) {
      std::uint32_t v = keys[next[b]];
      for (size_t t = v >> shift; t != b; t = v >> shift) std::swap(v, keys[next[t]++]);
      keys[next[b]++] = v;
    }
  for_blocks(pool, threads, threads > 1, static_cast<long>(parts), [&](long b) {
    std::sort(keys.begin() + static_cast<std::ptrdiff_t>(start[static_cast<size_t>(b)]),
              keys.begin() + static_cast<std::ptrdiff_t>(start[static_cast<size_t>(b) + 1]));
  });
}

// Whether two feasible rays of the list lie on the same rows: the keys
// first, sorted, then the rays of keys met twice (a few, by chance or by
// an equal pair) compared word by word.  The list is walked for them by
// its runs (first ray and place of each, then the end), on `threads`
// threads of pool.
bool zero_sets_repeat(dd_ConePtr cone, std::vector<std::uint32_t> &keys, const std::vector<dd_RayPtr> &run_first,
                      const std::vector<long> &run_begin, ThreadPool &pool, int threads)
{
  const long nw = set_data_words(cone->m);
  sort_keys(keys, pool, threads);
  std::vector<std::uint32_t> twice;
  for (size_t k = 1; k < keys.size(); ++k)
    if (keys[k] == keys[k - 1] && (twice.empty() || twice.back() != keys[k])) twice.push_back(keys[k]);
  std::vector<std::uint32_t>().swap(keys);
  if (twice.empty()) return false;
  using Met = std::vector<std::pair<std::uint32_t, dd_RayPtr>>;
  const long runs = static_cast<long>(run_first.size());
  std::vector<Met> found(static_cast<size_t>(runs));
  for_blocks(pool, threads, threads > 1, runs, [&](long b) {
    dd_RayPtr r = run_first[static_cast<size_t>(b)];
    for (long k = run_begin[static_cast<size_t>(b)]; k < run_begin[static_cast<size_t>(b) + 1]; ++k, r = r->Next) {
      if (!r->feasible) continue;
      const std::uint32_t key = zero_set_key(r->ZeroSet, nw);
      if (std::binary_search(twice.begin(), twice.end(), key)) found[static_cast<size_t>(b)].emplace_back(key, r);
    }
  });
  Met met;
  for (const Met &f : found) met.insert(met.end(), f.begin(), f.end());
  for (size_t a = 0; a < met.size(); ++a)
    for (size_t b = a + 1; b < met.size(); ++b)
      if (met[a].first == met[b].first &&
          std::equal(met[a].second->ZeroSet + 1, met[a].second->ZeroSet + 1 + nw,
                     met[b].second->ZeroSet + 1))
        return true;
  return false;
}

// Whether a line of the result, a column of the basis inverse that no
// row took, leaves some row of the input beyond rounding.  The rank was
// decided by pivots taken as zero; one that was not makes a false
// equation, and the rays of the reduced cone pass their own checks.
bool lines_off_rows(dd_ConePtr cone)
{
  dd_PolyhedraPtr poly = cone->parent;
  if (!numbers_round || !cone->ColReduced || poly == nullptr) return false;
  const dd_colrange d = cone->d_orig;
  dd_Arow line = nullptr;
  dd_InitializeArow(d, &line);
  RowValue v;
  bool off = false;
  for (dd_colrange j = 1; j <= d && !off; ++j) {
    if (cone->newcol[j] != 0) continue;
    for (dd_colrange i = 0; i < d; ++i) ddd_set(line[i], cone->Bsave[i][j - 1]);
    // The row x0 >= 0 the cone adds to an H-representation is met by
    // line[0] alone.
    off = cone->m > poly->m && std::fabs(ddd_get_d(line[0])) > ddd_get_d(dd_zero);
    for (dd_rowrange i = 0; i < poly->m && !off; ++i) {
      row_eval(v, poly->A[i], line, d);
      off = std::fabs(ddd_get_d(v.val)) > ddd_get_d(dd_zero) + lost_accuracy * ddd_get_d(v.mag);
    }
  }
  dd_FreeArow(d, line);
  return off;
}

// What the checks of numerically_inconsistent find in one run of
// consecutive feasible rays.
struct RunCheck {
  bool bad = false;     // a ray fails a check of its own
  long feasible = 0;    // feasible rays in the run
  bool simple = true;   // every ray lies on exactly d-1 rows
  std::uint64_t ridges = 0;
  std::vector<set_word> everywhere;  // rows every ray lies on
};

// Whether the finished ray list contradicts exact arithmetic, which it
// cannot do unless rounding decided a sign wrongly; the result would then
// be wrong without notice.  Checked: no ray was combined from two rays
// that were both on the new row; a run that took every row is complete
// unless rows were skipped; and in a complete result every ray satisfies
// every row within a bound scaled to its terms and meets the rows it counts
// as tight, lies on at least d-1 rows (the least an extreme ray of a
// pointed cone does), no two rays lie on the same rows (an extreme ray is
// fixed by its zero set), and the ridges close up (ridges_inconsistent).
// Every line of the result lies on every row (lines_off_rows).
//
// The list is checked in place, in runs of consecutive rays on the run's
// threads: at its largest it is most of what the run holds.
bool numerically_inconsistent(dd_ConePtr cone)
{
  dd_workspace &ws = workspace(cone);
  if (ws.numerical_alarms > 0 || lines_off_rows(cone)) return true;
  const dd_rowrange m = cone->m;
  const dd_colrange d = cone->d;
  if (cone->CompStatus == dd_RegionEmpty) return false;
  if (cone->CompStatus != dd_AllFound) {
    if (cone->Iteration <= m) return false;
    // Unfinished although every row was taken: a ray still violates a row
    // that was added, which would have removed it.
    for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next) {
      const dd_rowrange f = r->FirstInfeasIndex;
      if (f >= 1 && f <= m && set_member(cone->OrderVector[f], cone->AddedHalfspaces))
        return true;
    }
    return false;
  }
  if (cone->parent != nullptr && cone->parent->RelaxedEnumeration) return false;
  const long nw = set_data_words(m);
  // Runs of consecutive rays, feasible or not: the first ray of each and
  // its place in the list.  Where the list's runs are known it is not
  // walked for them.
  const long per_run = std::max<long>(1, ws.block_rays * dd_workspace::split_rays_per_ray);
  std::vector<dd_RayPtr> run_first;
  std::vector<long> run_begin;
  long total = 0;
  if (const std::vector<ListRun> *known = list_runs_of(cone)) {
    for (const ListRun &r : *known) {
      run_first.push_back(r.first);
      run_begin.push_back(total);
      total += r.count;
    }
  } else {
    for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next, ++total)
      if (total % per_run == 0) {
        run_first.push_back(r);
        run_begin.push_back(total);
      }
  }
  run_begin.push_back(total);
  // Ray by ray, four rows at a time.  A ray was stored feasible on a row
  // within residue_factor (e |A_i|_1 + (d+1) u mag); when that cannot
  // exceed the bound here for any row, the check cannot fail and is
  // skipped (exact rays, and the rays of data with small terms).
  std::vector<dd_rowrange> rows;
  double widest = 0.0;
  for (dd_rowrange i = 1; i <= m; ++i) {
    if (set_member(i, cone->NonequalitySet)) continue;
    rows.push_back(i);
    double norm = 0.0;
    for (dd_colrange j = 0; j < d; ++j) {
      mytype a;
      exact_abs(a, cone->A[i - 1][j]);
      norm += ddd_get_d(a);
    }
    if (norm > widest) widest = norm;
  }
  const size_t nr = rows.size();
  const bool rounding_within =
      static_cast<double>(d + 1) * unit_roundoff * residue_factor <=
      lost_accuracy;
  auto off_rows = [&](dd_RayPtr r) {
    if (rounding_within &&
        residue_factor * ray_accuracy(r, d) * widest <= ddd_get_d(dd_zero))
      return false;
    RowValue v[4];
    const mytype *a[4];
    for (size_t k = 0; k < nr; k += 4) {
      const int c = nr - k >= 4 ? 4 : static_cast<int>(nr - k);
      for (int q = 0; q < c; ++q) a[q] = cone->A[rows[k + static_cast<size_t>(q)] - 1];
      if (c == 4) {
        rows_eval<4>(v, a, r->Ray, d);
      } else {
        for (int q = 0; q < c; ++q) rows_eval<1>(v + q, a + q, r->Ray, d);
      }
      for (int q = 0; q < c; ++q) {
        const double bound =
            ddd_get_d(dd_zero) + lost_accuracy * ddd_get_d(v[q].mag);
        const double val = ddd_get_d(v[q].val);
        if (val < -bound) return true;
        // A row the ray counts as tight, or an equation, must be met.
        const dd_rowrange row = rows[k + static_cast<size_t>(q)];
        if (val > bound && (set_member(row, cone->EqualitySet) || in_set(r->ZeroSet, row)))
          return true;
      }
    }
    return false;
  };
  // The ridges of rays on exactly d-1 rows, keyed as ridges_inconsistent
  // keys them: in a simple result their keys cancel.
  const long need = d - 1;
  std::vector<std::uint64_t> row_key(static_cast<size_t>(m) + 1);
  for (dd_rowrange i = 1; i <= m; ++i) row_key[static_cast<size_t>(i)] = element_key(i);
  const set_word *eq = cone->EqualitySet;
  // The keys of the feasible rays, each run's from its place in the list,
  // closed up after.
  std::vector<std::uint32_t> keys(static_cast<size_t>(total));
  const long runs = static_cast<long>(run_first.size());
  std::vector<RunCheck> checks(static_cast<size_t>(runs));
  const int threads =
      total >= ws.parallel_rays * dd_workspace::split_rays_per_ray ? static_cast<int>(std::min<long>(ws.threads, runs)) : 1;
  const std::exception_ptr failure = run_blocks(ws.pool, threads, runs, [&](int, long b) {
    RunCheck &c = checks[static_cast<size_t>(b)];
    c.everywhere.assign(static_cast<size_t>(nw), ~set_word{0});
    const long begin = run_begin[static_cast<size_t>(b)];
    const long end = run_begin[static_cast<size_t>(b) + 1];
    long k = begin;
    dd_RayPtr r = run_first[static_cast<size_t>(b)];
    for (long walked = begin; walked < end; ++walked, r = r->Next) {
      if (!r->feasible) continue;
      const set_word *z = r->ZeroSet;
      keys[static_cast<size_t>(k++)] = zero_set_key(z, nw);
      long zeros = 0;
      std::uint64_t sum = 0;
      for (long w = 1; w <= nw; ++w) {
        zeros += bit_count(z[w]);
        c.everywhere[static_cast<size_t>(w - 1)] &= z[w];
        for (set_word bits = z[w]; bits != 0u; bits &= bits - 1u)
          sum += row_key[static_cast<size_t>((w - 1) * 32 + std::countr_zero(bits) + 1)];
      }
      // The basis rows have full rank: only 0 lies on all of them.
      if (zeros < d - 1 || set_subset(cone->InitialHalfspaces, r->ZeroSet) || off_rows(r)) {
        c.bad = true;
        return false;
      }
      c.simple = c.simple && zeros == need;
      if (!c.simple) continue;
      for (long w = 1; w <= nw; ++w)
        for (set_word bits = z[w] & ~eq[w]; bits != 0u; bits &= bits - 1u)
          c.ridges ^= mix(sum - row_key[static_cast<size_t>((w - 1) * 32 + std::countr_zero(bits) + 1)]);
    }
    c.feasible = k - begin;
    return true;
  });
  if (failure) std::rethrow_exception(failure);
  long n = 0;
  for (long b = 0; b < runs; ++b) {
    const RunCheck &c = checks[static_cast<size_t>(b)];
    if (c.bad) break;
    const auto from = keys.begin() + run_begin[static_cast<size_t>(b)];
    std::copy(from, from + c.feasible, keys.begin() + n);
    n += c.feasible;
  }
  keys.resize(static_cast<size_t>(n));
  // Generators with no negative first entry: (1, 0, ..., 0) meets every
  // row, so the cone is not {0} and has a ray or a line.
  if (cone->representation == dd_Generator && n == 0 && cone->LinearityDim == 0 &&
      cone->d_orig >= 1 && cone->newcol[1] > 0) {
    bool e0_inside = true;
    for (dd_rowrange i = 0; i < m && e0_inside; ++i)
      e0_inside = ddd_get_d(cone->A[i][cone->newcol[1] - 1]) >= 0.0;
    if (e0_inside) return true;
  }
  bool simple = true, full = need >= 2 && set_card(cone->EqualitySet) == 0;
  std::uint64_t ridges = 0;
  std::vector<set_word> everywhere(static_cast<size_t>(nw), ~set_word{0});
  for (const RunCheck &c : checks) {
    if (c.bad) return true;
    simple = simple && c.simple;
    ridges ^= c.ridges;
    for (size_t w = 0; w < everywhere.size(); ++w) everywhere[w] &= c.everywhere[w];
  }
  std::vector<RunCheck>().swap(checks);
  if (zero_sets_repeat(cone, keys, run_first, run_begin, ws.pool, threads)) return true;
  if (set_card(cone->NonequalitySet) != 0 || n != cone->RayCount || need < 1 || n == 0)
    return false;
  if (simple && ridges != 0) return true;
  for (auto w : everywhere) full = full && w == 0u;
  if (simple && !full) return false;
  // The rest needs the rays by their place in the list.
  std::vector<dd_RayPtr> rays;
  rays.reserve(static_cast<size_t>(n));
  for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next)
    if (r->feasible) rays.push_back(r);
  return ridges_inconsistent(cone, rays);
}

// The power of two that brings the largest |entry| of a row into [1, 2)
// (0 for a zero row), as an exponent.
int row_exponent(const mytype *row, dd_colrange d)
{
  double big = 0.0;
  for (dd_colrange j = 0; j < d; ++j) big = std::max(big, std::fabs(ddd_get_d(row[j])));
  if (!(big > 0.0) || !std::isfinite(big)) return 0;
  int e = 0;
  std::frexp(big, &e);  // big = f 2^e, f in [1/2, 1)
  return 1 - e;
}

// Whether the first entry of a row is nonzero at the row's own scale, as
// the run sees it after normalise_rows.
bool first_entry_nonzero(const mytype *row, dd_colrange d)
{
  if constexpr (!numbers_round) return ddd_sgn(row[0]) != 0;
  mytype v;
  ddd_init(v);
  ddd_set_d(v, std::ldexp(ddd_get_d(row[0]), row_exponent(row, d)));
  const bool nonzero = dd_Nonzero(v) != 0;
  ddd_clear(v);
  return nonzero;
}

// Scales every row of the cone by a power of two so that its largest
// entry lies in [1, 2): a row and any positive multiple of it then give the
// same row, and the absolute tolerance meets every row at one scale.  No
// rounding is added; the caller's rows stay in the polyhedron.  Exact rows
// become primitive integer vectors instead, for the integer paths.
void normalise_rows(dd_ConePtr cone)
{
#ifdef ZONIX_EXACT
  for (dd_rowrange i = 0; i < cone->m; ++i) make_primitive(cone->d, cone->A[i]);
#else
  for (dd_rowrange i = 0; i < cone->m; ++i) {
    const int e = row_exponent(cone->A[i], cone->d);
    if (e == 0) continue;
    for (dd_colrange j = 0; j < cone->d; ++j)
      ddd_set_d(cone->A[i][j], std::ldexp(ddd_get_d(cone->A[i][j]), e));
  }
#endif
  workspace(cone).row_norms.forget(cone);
}

// An H-representation whose cone has no ray off the row x0 >= 0 describes
// the empty set: what is left are directions of the recession cone, which
// an empty polyhedron does not have.  The result is then empty.
void drop_recession_of_empty(dd_ConePtr cone)
{
  dd_PolyhedraPtr poly = cone->parent;
  if (poly == nullptr || poly->representation != dd_Inequality ||
      poly->m1 != poly->m + 1 || cone->CompStatus != dd_AllFound)
    return;
  for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next)
    if (r->feasible && !set_member(cone->m, r->ZeroSet)) return;
  cut_all_rays(cone);
  cone->FeasibleRayCount = cone->WeaklyFeasibleRayCount = 0;
  cone->LinearityDim = 0;
}

// The seed is that of the random row order; 1 unless a caller picks one.
dd_boolean run(dd_PolyhedraPtr poly, bool set_order, dd_RowOrderType horder,
               dd_ErrorType *err, unsigned int seed = 1, int threads = 1, bool final_checks = true)
{
  dd_ErrorType local = dd_NoError;
  if (err == nullptr) err = &local;
  *err = dd_NoError;
  dd_boolean found = dd_FALSE;
  if (poly == nullptr) return dd_FALSE;
  if (poly->child != nullptr) {
    if (poly->child->CompStatus == dd_AllFound) return dd_FALSE;
    // An unfinished earlier run is discarded instead of being orphaned.
    dd_FreeDDMemory(poly);
  }
  // No rows: the whole space, a point (the origin) with lines, not a cone.
  if (poly->representation == dd_Inequality && poly->m == 0)
    poly->homogeneous = dd_FALSE;
  dd_ConePtr cone = dd_ConeDataLoad(poly);
  if (set_order) cone->HalfspaceOrder = horder;
  cone->rseed = seed;
  zonix::core::workspace(cone).threads = dd_ThreadCount(threads);
  zonix::core::workspace(cone).final_checks = final_checks;
  std::time(&cone->starttime);
  if (poly->d < 1) {
    // Without the homogenising column the rows describe nothing, and the
    // row order would read entries that do not exist.
    cone->Error = dd_ImproperInputFormat;
    cone->CompStatus = dd_InProgress;
    *err = dd_ImproperInputFormat;
    std::time(&cone->endtime);
    return dd_FALSE;
  }
  dd_DDInit(cone);
  normalise_rows(cone);
  if (poly->representation == dd_Generator && poly->m <= 0) {
    *err = dd_EmptyVrepresentation;
    cone->Error = dd_EmptyVrepresentation;
  } else {
    try {
      dd_FindInitialRays(cone, &found);
      if (found) dd_InitialDataSetup(cone);
    } catch (const std::bad_alloc &) {
      found = dd_FALSE;
      cone->Error = dd_OutOfMemory;
      cone->CompStatus = dd_InProgress;
    }
    if (found) dd_DDMain(cone);
    *err = cone->Error;
  }
  std::time(&cone->endtime);
  return found;
}

// to := from, from left 0: exact numbers hand over their GMP storage.
void take_number(mytype to, mytype from)
{
#ifdef ZONIX_EXACT
  std::swap(to->v, from->v);
  std::swap(to->qp, from->qp);
#else
  ddd_set(to, from);
#endif
}

// With take, M's entries are moved into the polyhedron (M is left 0)
// rather than copied.
dd_PolyhedraPtr matrix_to_poly(dd_MatrixPtr M, bool set_order,
                               dd_RowOrderType horder, dd_ErrorType *err,
                               unsigned int seed = 1, int threads = 1, bool final_checks = true,
                               bool take = false)
{
  dd_ErrorType local = dd_NoError;
  if (err == nullptr) err = &local;
  *err = dd_NoError;
  if (M == nullptr) {
    *err = dd_ImproperInputFormat;
    return nullptr;
  }
  if (M->rowsize < 0 || M->colsize < 0) {
    *err = dd_NegativeMatrixSize;
    return nullptr;
  }
  const dd_rowrange m = M->rowsize;
  const dd_colrange d = M->colsize;
  dd_PolyhedraPtr poly = dd_CreatePolyhedraData(m, d);
  poly->representation = M->representation;
  poly->homogeneous = dd_TRUE;
  for (dd_rowrange i = 1; i <= m; ++i) {
    if (set_member(i, M->linset)) poly->EqualityIndex[i] = 1;
    for (dd_colrange j = 1; j <= d; ++j) {
      if (take)
        take_number(poly->A[i - 1][j - 1], M->matrix[i - 1][j - 1]);
      else
        ddd_set(poly->A[i - 1][j - 1], M->matrix[i - 1][j - 1]);
    }
    if (d >= 1 && first_entry_nonzero(poly->A[i - 1], d))
      poly->homogeneous = dd_FALSE;
  }
  run(poly, set_order, horder, err, seed, threads, final_checks);
  return poly;
}

// Rebuilds *poly from its rows followed by M's.  False, with *poly and
// *err untouched, when the append is rejected.
bool append_and_run(dd_PolyhedraPtr *poly, dd_MatrixPtr M, dd_ErrorType *err)
{
  if (poly == nullptr || *poly == nullptr || M == nullptr) return false;
  dd_PolyhedraPtr old = *poly;
  if (old->m < 0 || old->d < 0 || old->d != M->colsize || M->rowsize < 1)
    return false;
  const zonix::Matrix Mcopy(dd_CopyInput(old));
  const zonix::Matrix Mnew(dd_AppendMatrix(Mcopy.get(), M));
  if (Mnew == nullptr) return false;
  // The append leaves the representation unspecified; the rows keep the
  // meaning they had, or an H-representation would lose its
  // homogenising row.
  Mnew->representation = Mcopy->representation;
  dd_FreePolyhedra(old);
  *poly = dd_DDMatrix2Poly(Mnew.get(), err);
  return true;
}

// The iterations of dd_DDMain: one row each, until every row is taken or
// the result is complete.  A cancel request ends them between rows (or,
// seen inside an iteration, right after it).
void main_loop(dd_ConePtr cone)
{
  dd_workspace &ws = workspace(cone);
  while (cone->Iteration <= cone->m) {
    if (dd_CancelRequested()) ws.interrupted = true;
    if (ws.interrupted) return;
    dd_rowrange hh = 0;
    dd_SelectNextHalfspace(cone, cone->WeaklyAddedHalfspaces, &hh);
    // Every row is taken by now; guards a selection rule that finds none.
    if (hh < 1 || hh > cone->m) break;
    if (set_member(hh, cone->NonequalitySet)) {
      if (dd_debug)
        dd_Printf(stderr,
                     "*The row # %3ld should be inactive and thus "
                     "skipped.\n",
                     hh);
    } else {
      if (cone->PreOrderedRun)
        dd_AddNewHalfspace2(cone, hh);
      else
        dd_AddNewHalfspace1(cone, hh);
      set_addelem(cone->AddedHalfspaces, hh);
    }
    set_addelem(cone->WeaklyAddedHalfspaces, hh);
    if (!cone->PreOrderedRun) record_dynamic_choice(cone, hh);
    if (progress_hook != nullptr)
      progress_hook(progress_user, cone->Iteration, cone->m,
                    cone->RayCount);
    if (cone->CompStatus == dd_AllFound ||
        cone->CompStatus == dd_RegionEmpty) {
      set_addelem(cone->AddedHalfspaces, hh);
      break;
    }
    ++cone->Iteration;
  }
}

}  // namespace

// Auto keeps a double answer only if the run found no lineality and
// snapped no value to zero.  A lineality is a rank decision made in
// double, which no later check revisits (a random order on C(13,10) took
// one pivot for zero and gave 141 "facets" and an equation where there
// are 91 facets); a snapped value is a zero the error bounds make likely,
// not certain.  The exact run decides both exactly.
bool zonix::core::rank_certain(dd_ConePtr cone)
{
  return !numbers_round || cone == nullptr || (cone->LinearityDim == 0 && workspace(cone).snapped == 0);
}

extern "C" {

void dd_SetProgressHook(dd_ProgressHook hook, void *user)
{
  progress_hook = hook;
  progress_user = hook != nullptr ? user : nullptr;
}

void dd_GetProgressHook(dd_ProgressHook *hook, void **user)
{
  *hook = progress_hook;
  *user = progress_user;
}

void dd_DDInit(dd_ConePtr cone)
{
  cone->Error = dd_NoError;
  cone->CompStatus = dd_InProgress;
  cone->RayCount = 0;
  cone->TotalRayCount = 0;
  cone->FeasibleRayCount = 0;
  cone->WeaklyFeasibleRayCount = 0;
  cone->EdgeCount = 0;
  cone->TotalEdgeCount = 0;
  dd_workspace &ws = workspace(cone);
  ws.numerical_alarms = 0;
  ws.snapped = 0;
  ws.interrupted = false;
  ws.row_norms.forget(cone);
  dd_SetInequalitySets(cone);
  dd_ComputeRowOrderVector(cone);
  cone->RecomputeRowOrder = dd_FALSE;
}

void dd_DDMain(dd_ConePtr cone)
{
  // The run's threads end with it: a polyhedron kept holds none.
  struct EndThreads {
    dd_ConePtr cone;
    ~EndThreads() { workspace(cone).pool.release(); }
  } end_threads{cone};
  dd_PolyhedraPtr poly = cone->parent;
  if (cone->d <= 0) {
    cone->FeasibleRayCount = 0;
    cone->Iteration = cone->m;
    cone->CompStatus = dd_AllFound;
  }
  try {
    if (cone->d > 0) main_loop(cone);
    if (workspace(cone).interrupted) {
      cone->Error = dd_Interrupted;
      cone->CompStatus = dd_InProgress;
      return;
    }
    if (cone->d > 0) drop_recession_of_empty(cone);
    const dd_workspace &ws = workspace(cone);
    if (cone->d > 0 && (ws.final_checks ? numerically_inconsistent(cone) : ws.numerical_alarms > 0)) {
      // No result rather than a wrong one.
      cone->Error = dd_NumericallyInconsistent;
      if (cone->CompStatus == dd_AllFound) cone->CompStatus = dd_InProgress;
    }
  } catch (const std::bad_alloc &) {
    cone->Error = dd_OutOfMemory;
    cone->CompStatus = dd_InProgress;
    return;
  }
  if (poly == nullptr) return;
  dd_bigrange n = cone->LinearityDim + cone->FeasibleRayCount;
  dd_colrange ldim = cone->LinearityDim;
  if (homogenising_column_removed(cone)) {
    --n;
    --ldim;
  }
  // Only a matrix without columns can make these negative.
  poly->n = n > 0 ? n : 0;
  poly->ldim = ldim > 0 ? ldim : 0;
}

dd_boolean dd_DoubleDescription(dd_PolyhedraPtr poly, dd_ErrorType *err)
{
  return run(poly, false, dd_LexMin, err);
}

dd_boolean dd_DoubleDescription2(dd_PolyhedraPtr poly,
                                 dd_RowOrderType horder, dd_ErrorType *err)
{
  return run(poly, true, horder, err);
}

dd_PolyhedraPtr dd_DDMatrix2Poly(dd_MatrixPtr M, dd_ErrorType *err)
{
  return matrix_to_poly(M, false, dd_LexMin, err);
}

dd_PolyhedraPtr dd_DDMatrix2Poly2(dd_MatrixPtr M, dd_RowOrderType horder,
                                  dd_ErrorType *err)
{
  return matrix_to_poly(M, true, horder, err);
}

dd_PolyhedraPtr dd_DDMatrix2PolySeeded(dd_MatrixPtr M, dd_RowOrderType horder,
                                       unsigned int seed, dd_ErrorType *err)
{
  return matrix_to_poly(M, true, horder, err, seed);
}

dd_PolyhedraPtr dd_DDMatrix2PolyWith(dd_MatrixPtr M, const dd_RunOptions *opt,
                                     dd_ErrorType *err)
{
  if (opt == nullptr) return matrix_to_poly(M, false, dd_LexMin, err);
  return matrix_to_poly(M, true, opt->order, err, opt->seed, opt->threads);
}

int dd_ThreadCount(int threads)
{
  // More threads than this only add scheduling: the work of one
  // iteration is split in blocks of pairs, a few per thread.
  constexpr int most = 64;
  if (threads <= 0) threads = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(threads, 1, most);
}

dd_boolean dd_AppendMatrix2Poly(dd_PolyhedraPtr *poly, dd_MatrixPtr M)
{
  dd_ErrorType err = dd_NoError;
  if (!append_and_run(poly, M, &err)) return dd_FALSE;
  return err == dd_NoError;
}

dd_boolean dd_DDInputAppend(dd_PolyhedraPtr *poly, dd_MatrixPtr M,
                            dd_ErrorType *err)
{
  dd_ErrorType local = dd_NoError;
  if (err == nullptr) err = &local;
  *err = dd_NoError;
  if (!append_and_run(poly, M, err)) {
    *err = dd_ImproperInputFormat;
    return dd_FALSE;
  }
  dd_PolyhedraPtr p = *poly;
  return *err == dd_NoError && p != nullptr && p->child != nullptr &&
         p->child->CompStatus == dd_AllFound;
}

}  // extern "C"

dd_PolyhedraPtr zonix::core::matrix_to_poly_unchecked(dd_MatrixPtr M, dd_RowOrderType order, unsigned int seed,
                                                      int threads, dd_ErrorType *err)
{
  return matrix_to_poly(M, true, order, err, seed, threads, false);
}

#ifdef ZONIX_EXACT
dd_PolyhedraPtr zonix::matrix_to_poly_taking(dd_MatrixPtr M, dd_RowOrderType order, unsigned seed, int threads,
                                             dd_ErrorType *err)
{
  return matrix_to_poly(M, true, order, err, seed, threads, true, true);
}
#endif
