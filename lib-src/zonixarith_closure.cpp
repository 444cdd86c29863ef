// Whether a double run found every extreme ray.  Settling proves each
// ray it returns extreme; a ray it never returned is invisible to that.
// The extreme rays of a pointed cone, joined by its 2-faces, form a
// connected graph, so the found rays are all when every 2-face at a found
// ray has its other ray found too.  At a simple ray (as many tight rows as
// its rank) the 2-faces are those of its tight rows less one; at another,
// they are the rays of the cone its tight rows make modulo the ray: the
// same question one dimension down.  Where the rays are degenerate the
// rows often are not (a cross-polytope's few vertices lie on thousands of
// rows, its facets hold a simplex each), so the question is also asked of
// the other side: when the facets of the cone of the found rays are all
// input rows, that cone holds the input's and nothing is missing.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <span>
#include <vector>

#include "zonixarith.hpp"

namespace zonix {
namespace {

using u128 = unsigned __int128;

// A prime below 2^61: residues are below 2^61, products below 2^122.
inline constexpr std::uint64_t kP = (std::uint64_t{1} << 61) - 1;
// Work allowed per entry of the incidences (set entries visited, residues
// eliminated) before the check gives up: the simple case needs a few.
inline constexpr long kWorkPerEntry = 256;
// And at least this much, so that small degenerate cones are decided.
inline constexpr long kLeastWork = long{1} << 22;
// From this many incidences, the faces on each row are counted out over
// all rows rather than sorted.
inline constexpr size_t kCountedFaces = 1024;
// Up to this many faces, pairs are compared directly rather than hashed.
inline constexpr long kFewFaces = 24;

std::uint64_t residue(std::int64_t v)
{
  const std::int64_t r = v % static_cast<std::int64_t>(kP);
  return static_cast<std::uint64_t>(r < 0 ? r + static_cast<std::int64_t>(kP) : r);
}

// a b mod kP, reduced as 2^61 = 1.
std::uint64_t mul(std::uint64_t a, std::uint64_t b)
{
  const u128 x = static_cast<u128>(a) * b;
  std::uint64_t r = static_cast<std::uint64_t>(x & kP) + static_cast<std::uint64_t>(x >> 61);
  r = (r & kP) + (r >> 61);
  return r >= kP ? r - kP : r;
}

// An id for each row, the same for rows alike (primitive integer rows of
// one direction are equal), and the rows of each id.
struct Rows {
  std::vector<std::uint64_t> res;  // rows × d residues
  long d = 0;
  std::vector<int> id;
  std::vector<char> fixed;           // by id: an equation
  std::vector<std::uint64_t> mix;    // by id: a random word, summed to hash sets
};

// Sets of ids, each ascending, one after another.
struct Family {
  std::vector<int> ids;
  std::vector<size_t> start{0};
  long size() const { return static_cast<long>(start.size()) - 1; }
  std::span<const int> at(long k) const
  {
    return {ids.data() + start[static_cast<size_t>(k)], ids.data() + start[static_cast<size_t>(k + 1)]};
  }
  void add(std::span<const int> set)
  {
    ids.insert(ids.end(), set.begin(), set.end());
    start.push_back(ids.size());
  }
  void clear()
  {
    ids.clear();
    start.resize(1);
  }
};

// Whether a, less its entry at skip (or none), lies in b.
bool inside(std::span<const int> a, long skip, std::span<const int> b)
{
  size_t j = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (static_cast<long>(i) == skip) continue;
    while (j < b.size() && b[j] < a[i]) ++j;
    if (j == b.size() || b[j] != a[i]) return false;
  }
  return true;
}

std::uint64_t mix(int v)
{
  std::uint64_t z = static_cast<std::uint64_t>(v) + 0x9e3779b97f4a7c15u;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

std::vector<std::uint64_t> mixes(long count)
{
  std::vector<std::uint64_t> out(static_cast<size_t>(count));
  for (long i = 0; i < count; ++i) out[static_cast<size_t>(i)] = mix(static_cast<int>(i));
  return out;
}

class Closure {
 public:
  Closure(const Rows &rows, long work) : rows_(rows), work_(work), depth_(static_cast<size_t>(rows.d) + 1) {}

  // Rank modulo kP of the rows with these ids, at most `enough`: a lower
  // bound of their rank.
  long rank(std::span<const int> ids, long enough)
  {
    const long d = rows_.d;
    basis_.clear();
    long r = 0;
    auto &v = row_;
    v.resize(static_cast<size_t>(d));
    pivots_.clear();
    for (int i : ids) {
      if (r >= enough || !spend(d * (r + 1))) break;
      std::copy_n(rows_.res.begin() + static_cast<long>(i) * d, d, v.begin());
      // Without inverses: v := piv v - v_c b keeps the row space.
      for (long k = 0; k < r; ++k) {
        const long c = pivots_[static_cast<size_t>(k)];
        const std::uint64_t f = v[static_cast<size_t>(c)];
        if (f == 0) continue;
        const std::uint64_t *b = basis_.data() + k * d;
        const std::uint64_t piv = b[c];
        for (long j = 0; j < d; ++j) {
          const std::uint64_t x = mul(piv, v[static_cast<size_t>(j)]), y = mul(f, b[j]);
          v[static_cast<size_t>(j)] = x >= y ? x - y : x + kP - y;
        }
      }
      long c = 0;
      while (c < d && v[static_cast<size_t>(c)] == 0) ++c;
      if (c == d) continue;
      basis_.insert(basis_.end(), v.begin(), v.end());
      pivots_.push_back(c);
      ++r;
    }
    return r;
  }

  // Whether g, zero sets of distinct faces of the cone, each of rank rho and
  // containing the faces above, holds every such face: the rays of the
  // cone of the tight rows modulo those faces.  `low` is at most the rank
  // of the rows tight on the whole cone.
  bool complete(const Family &g, long rho, long low)
  {
    if (g.size() == 0 || !spend(static_cast<long>(g.ids.size()))) return false;
    if (rho <= low) return true;
    if (g.size() <= kFewFaces) return few_complete(g, rho, low);
    // Faces and keys are counted in 32 bits: these tables are most of the
    // check's fresh memory, whose pages cost more than the work on them.
    if (g.ids.size() >= static_cast<size_t>(std::numeric_limits<std::int32_t>::max())) return false;
    struct Key {
      std::uint64_t hash;
      std::int32_t face, skip;
    };
    std::vector<Key> keys;
    keys.reserve(g.ids.size());
    std::vector<long> degenerate;
    for (long k = 0; k < g.size(); ++k) {
      const auto z = g.at(k);
      if (static_cast<long>(z.size()) > rho) {
        degenerate.push_back(k);
        continue;
      }
      std::uint64_t h = 0;
      for (int i : z) h += rows_.mix[static_cast<size_t>(i)];
      for (size_t s = 0; s < z.size(); ++s)
        if (rows_.fixed[static_cast<size_t>(z[s])] == 0)
          keys.push_back({h - rows_.mix[static_cast<size_t>(z[s])], static_cast<std::int32_t>(k),
                          static_cast<std::int32_t>(s)});
    }
    // The other face of each 2-face at a simple face: one whose zero set
    // holds the same rows less one, found by hashing them.
    auto same = [&](const Key &a, const Key &b) {
      if (a.hash != b.hash) return false;
      const auto x = g.at(a.face), y = g.at(b.face);
      for (size_t i = 0, j = 0;; ++i, ++j) {
        if (static_cast<long>(i) == a.skip) ++i;
        if (static_cast<long>(j) == b.skip) ++j;
        if (i == x.size() || j == y.size()) return i == x.size() && j == y.size();
        if (x[i] != y[j]) return false;
      }
    };
    if (!spend(static_cast<long>(keys.size() + g.ids.size()) * 4)) return false;
    size_t mask = 1;
    while (mask < 2 * keys.size()) mask <<= 1;
    std::vector<std::int32_t> slot(mask--, -1);
    std::vector<char> matched(keys.size(), 0);
    for (size_t t = 0; t < keys.size(); ++t) {
      size_t p = keys[t].hash & mask;
      for (; slot[p] >= 0; p = (p + 1) & mask) {
        const auto u = static_cast<size_t>(slot[p]);
        if (same(keys[u], keys[t])) {
          matched[u] = matched[t] = 1;
          break;
        }
      }
      if (slot[p] < 0) slot[p] = static_cast<std::int32_t>(t);
    }
    // The faces on each row, for the degenerate ones: grouped by row
    // (counted out over all rows for many faces, sorted for few).
    std::vector<std::pair<int, long>> by_row;
    std::vector<size_t> row_start;
    if (!degenerate.empty()) {
      by_row.resize(g.ids.size());
      if (g.ids.size() >= kCountedFaces) {
        row_start.assign(rows_.id.size() + 1, 0);
        for (int i : g.ids) ++row_start[static_cast<size_t>(i) + 1];
        std::partial_sum(row_start.begin(), row_start.end(), row_start.begin());
        std::vector<size_t> next(row_start.begin(), row_start.end() - 1);
        for (long k = 0; k < g.size(); ++k)
          for (int i : g.at(k)) by_row[next[static_cast<size_t>(i)]++] = {i, k};
      } else {
        size_t t = 0;
        for (long k = 0; k < g.size(); ++k)
          for (int i : g.at(k)) by_row[t++] = {i, k};
        std::sort(by_row.begin(), by_row.end());
      }
    }
    auto faces_on = [&](int i) {
      if (!row_start.empty())
        return std::span<const std::pair<int, long>>(by_row.data() + row_start[static_cast<size_t>(i)],
                                                     by_row.data() + row_start[static_cast<size_t>(i) + 1]);
      const auto lo = std::lower_bound(by_row.begin(), by_row.end(), std::pair<int, long>(i, -1));
      auto hi = lo;
      while (hi != by_row.end() && hi->first == i) ++hi;
      return std::span<const std::pair<int, long>>(lo, hi);
    };
    for (size_t t = 0; t < keys.size(); ++t) {
      if (matched[t] != 0) continue;
      // No simple face shares these rows: a degenerate one must hold them.
      const auto z = g.at(keys[t].face);
      if (z.size() == 1) {
        if (degenerate.empty()) return false;
        continue;
      }
      bool found = false;
      for (const auto &[i, k] : faces_on(z[keys[t].skip == 0 ? 1 : 0])) {
        if (!spend(rho)) return false;
        if (static_cast<long>(g.at(k).size()) > rho && inside(z, keys[t].skip, g.at(k))) {
          found = true;
          break;
        }
      }
      if (!found) return false;
    }
    std::vector<long> count(degenerate.empty() ? 0 : static_cast<size_t>(g.size()), 0), touched, others;
    for (long k : degenerate) {
      touched.clear();
      for (int i : g.at(k)) {
        const auto on = faces_on(i);
        if (!spend(static_cast<long>(on.size()))) return false;
        for (const auto &[r, o] : on)
          if (o != k && count[static_cast<size_t>(o)]++ == 0) touched.push_back(o);
      }
      others.clear();
      for (long o : touched) {
        if (count[static_cast<size_t>(o)] >= rho - 1) others.push_back(o);
        count[static_cast<size_t>(o)] = 0;
      }
      if (!figure_complete(g, k, others, rho, low)) return false;
    }
    return true;
  }

 private:
  // complete() for a few faces, each pair compared.
  bool few_complete(const Family &g, long rho, long low)
  {
    std::vector<long> &others = depth_[static_cast<size_t>(rho)].others;
    for (long k = 0; k < g.size(); ++k) {
      const auto z = g.at(k);
      if (static_cast<long>(z.size()) > rho) {
        others.clear();
        for (long o = 0; o < g.size(); ++o)
          if (o != k) others.push_back(o);
        if (!figure_complete(g, k, others, rho, low)) return false;
        continue;
      }
      for (size_t s = 0; s < z.size(); ++s) {
        if (rows_.fixed[static_cast<size_t>(z[s])] != 0) continue;
        bool found = false;
        for (long o = 0; o < g.size() && !found; ++o) {
          if (!spend(rho)) return false;
          found = o != k && inside(z, static_cast<long>(s), g.at(o));
        }
        if (!found) return false;
      }
    }
    return true;
  }

  // Whether the faces of g next to its degenerate face k, among `others`,
  // are all there are: those sharing a 2-face with k are the rays of the
  // cone at k, one dimension down.
  bool figure_complete(const Family &g, long k, std::span<const long> others, long rho, long low)
  {
    const auto z = g.at(k);
    // One figure is open at each depth at a time: its scratch is kept.
    Figure &f = depth_[static_cast<size_t>(rho)];
    Family &sub = f.sub;
    std::vector<int> &cut = f.cut;
    sub.clear();
    for (long o : others) {
      const auto y = g.at(o);
      if (!spend(static_cast<long>(z.size() + y.size()))) return false;
      cut.clear();
      std::set_intersection(z.begin(), z.end(), y.begin(), y.end(), std::back_inserter(cut));
      if (static_cast<long>(cut.size()) < rho - 1) continue;
      // The rows k and o share make a 2-face when their rank is rho - 1
      // (at most that, as two faces lie on them); rows of a simple face
      // are independent, so for a simple o they have it.
      if (static_cast<long>(y.size()) > rho && rank(cut, rho - 1) != rho - 1) continue;
      sub.add(cut);
    }
    return complete(sub, rho - 1, low);
  }

  bool spend(long w)
  {
    work_ -= w;
    return work_ >= 0;
  }
  const Rows &rows_;
  long work_;
  std::vector<std::uint64_t> basis_, row_;
  struct Figure {
    Family sub;
    std::vector<int> cut;
    std::vector<long> others;
  };
  std::vector<Figure> depth_;
  std::vector<long> pivots_;
};

// Ids for the rows of res (rows × d), equal for equal rows.
std::vector<int> ids_of(const std::vector<std::uint64_t> &res, long rows, long d)
{
  std::vector<int> order(static_cast<size_t>(rows)), id(static_cast<size_t>(rows));
  for (long i = 0; i < rows; ++i) order[static_cast<size_t>(i)] = static_cast<int>(i);
  auto row = [&](int i) { return res.begin() + static_cast<long>(i) * d; };
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    return std::lexicographical_compare(row(a), row(a) + d, row(b), row(b) + d) || (std::equal(row(a), row(a) + d, row(b)) && a < b);
  });
  for (size_t k = 0; k < order.size(); ++k)
    id[static_cast<size_t>(order[k])] =
        k > 0 && std::equal(row(order[k]), row(order[k]) + d, row(order[k - 1])) ? id[static_cast<size_t>(order[k - 1])]
                                                                                     : order[k];
  return id;
}

}  // namespace

bool all_rays_found(std::span<const std::int64_t> in, long rows, long d, std::span<const char> equation,
                    std::span<const std::int32_t> lies_on, std::span<const size_t> lies_from,
                    const RayResidues &rays)
{
  const long n = static_cast<long>(lies_from.size()) - 1;
  if (n <= 0 || d < 1) return false;
  auto zero = [&](long k) {
    return lies_on.subspan(lies_from[static_cast<size_t>(k)],
                           lies_from[static_cast<size_t>(k + 1)] - lies_from[static_cast<size_t>(k)]);
  };
  const long work = kLeastWork + kWorkPerEntry * static_cast<long>(lies_on.size());

  // The found rays against the input rows.
  Rows input;
  input.d = d;
  input.res.resize(static_cast<size_t>(rows * d));
  for (size_t k = 0; k < input.res.size(); ++k) input.res[k] = residue(in[k]);
  input.id = ids_of(input.res, rows, d);
  input.mix = mixes(rows);
  input.fixed.assign(static_cast<size_t>(rows), 0);
  std::vector<int> eqs;
  for (long i = 0; i < rows; ++i)
    if (equation[static_cast<size_t>(i)] != 0) {
      input.fixed[static_cast<size_t>(input.id[static_cast<size_t>(i)])] = 1;
      eqs.push_back(input.id[static_cast<size_t>(i)]);
    }
  Family g;
  std::vector<int> z;
  for (long k = 0; k < n; ++k) {
    z.clear();
    for (int i : zero(k)) z.push_back(input.id[static_cast<size_t>(i)]);
    std::sort(z.begin(), z.end());
    z.erase(std::unique(z.begin(), z.end()), z.end());
    g.add(z);
  }
  {
    Closure c(input, work);
    std::sort(eqs.begin(), eqs.end());
    eqs.erase(std::unique(eqs.begin(), eqs.end()), eqs.end());
    const long low = c.rank(eqs, d);
    if (c.complete(g, d - 1, low)) return true;
  }
  if (!eqs.empty()) return false;

  // The input rows against the found rays: those on found rays of rank
  // d - 1 are facets of the cone of the found rays.
  Rows found;
  found.d = d;
  found.res.resize(static_cast<size_t>(n * d));
  for (long k = 0; k < n; ++k) rays(k, kP, found.res.data() + k * d);
  found.id.resize(static_cast<size_t>(n));
  for (long k = 0; k < n; ++k) found.id[static_cast<size_t>(k)] = static_cast<int>(k);
  found.fixed.assign(static_cast<size_t>(n), 0);
  found.mix = mixes(n);
  std::vector<std::vector<int>> on(static_cast<size_t>(rows));
  for (long k = 0; k < n; ++k)
    for (int i : zero(k))
      if (input.id[static_cast<size_t>(i)] == i) on[static_cast<size_t>(i)].push_back(static_cast<int>(k));
  Closure c(found, work);
  std::vector<int> all(static_cast<size_t>(n));
  for (long k = 0; k < n; ++k) all[static_cast<size_t>(k)] = static_cast<int>(k);
  // Only a full cone is the intersection of its facets.
  if (c.rank(all, d) != d) return false;
  Family h;
  for (long i = 0; i < rows; ++i) {
    const auto &s = on[static_cast<size_t>(i)];
    if (static_cast<long>(s.size()) < d - 1 || c.rank(s, d - 1) != d - 1) continue;
    h.add(s);
  }
  return c.complete(h, d - 1, 0);
}

}  // namespace zonix
