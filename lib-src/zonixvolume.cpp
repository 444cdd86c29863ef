// The volume of a polytope by a pulling triangulation over its face
// lattice.  Faces are vertex sets; a face's facets are the largest of its
// proper intersections with the polytope's facets.  Each distinct face is
// expanded once; the walk from the top to the simplices keeps one row of
// an incremental elimination per level, so a simplex costs the rows below
// the face it shares with its neighbours, not a determinant of its own.
#include "zonixvolume.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "zonix.hpp"
#include "zonixarith.hpp"
#include "zonixdd.h"
#include "zonixio.h"

namespace zonix {

namespace {

using Word = std::uint64_t;

long words_for(long n) { return (n + 63) / 64; }

bool has_bit(const Word *s, long i) { return ((s[i / 64] >> (i % 64)) & 1U) != 0; }

void set_bit(Word *s, long i) { s[i / 64] |= Word{1} << (i % 64); }

// Calls f(e) for each element e (1-based) of a set, in increasing order.
template <class F>
void for_members(set_type s, F f)
{
  const long blocks = set_blocks(static_cast<long>(s[0]));
  for (long b = 1; b < blocks; ++b)
    for (std::uint32_t x = s[b]; x != 0; x &= x - 1)
      f((b - 1) * set_word_bits + std::countr_zero(x) + 1);
}

// ---- the face lattice ------------------------------------------------------

// The faces of a polytope met by the pulling walk, from its n vertices and
// its facets given as vertex sets (rows that are no facet, or repeat one,
// may be among them: only the largest intersections count).
class Faces {
 public:
  Faces(long n, long dim, std::vector<Word> facets, long m)
      : w_(words_for(n)), facets_(std::move(facets))
  {
    std::vector<Word> all(static_cast<size_t>(w_), 0);
    for (long i = 0; i < n; ++i) set_bit(all.data(), i);
    std::vector<int> every(static_cast<size_t>(m));
    std::iota(every.begin(), every.end(), 0);
    active_.push_back(std::move(every));
    top_ = intern(all.data(), static_cast<int>(dim), 0);
  }

  int top() const { return top_; }
  int dim(int f) const { return faces_[static_cast<size_t>(f)].dim; }
  long count(int f) const { return faces_[static_cast<size_t>(f)].count; }
  long apex(int f) const { return faces_[static_cast<size_t>(f)].apex; }
  const Word *bits(int f) const { return store_.data() + static_cast<size_t>(f) * static_cast<size_t>(w_); }
  long words() const { return w_; }

  // The facets of f that miss its apex (found on first use).
  size_t kid_count(int f)
  {
    if (!faces_[static_cast<size_t>(f)].expanded) expand(f);
    return faces_[static_cast<size_t>(f)].kids.size();
  }
  int kid(int f, size_t i) const { return faces_[static_cast<size_t>(f)].kids[i]; }
  // All facets of f, its apex's included.
  long facet_count(int f)
  {
    if (!faces_[static_cast<size_t>(f)].expanded) expand(f);
    return faces_[static_cast<size_t>(f)].facets;
  }

  // When every row that cuts the polytope holds d vertices, it is
  // simplicial and these rows (repeats dropped, in order) are its facets,
  // as expand would find them: the simplices of the walk are its apex
  // coned over each of them that misses it, with no face below to intern.
  // False, and nothing changed, otherwise.
  bool simplicial(long d, std::vector<long> *facets)
  {
    const size_t w = static_cast<size_t>(w_);
    const long all = count(top_);
    const std::vector<int> &rows = active_[0];
    std::vector<int> cutting;
    cutting.reserve(rows.size());
    for (int g : rows) {
      const Word *row = facets_.data() + static_cast<size_t>(g) * w;
      long pc = 0;
      for (size_t j = 0; j < w; ++j) pc += std::popcount(row[j]);
      if (pc == 0 || pc >= all) continue;
      if (pc != d) return false;
      cutting.push_back(g);
    }
    // Repeats side by side in the order of their hashes: of equal rows
    // the first is kept.
    auto row_of = [&](int g) { return facets_.data() + static_cast<size_t>(g) * w; };
    std::vector<std::pair<std::uint64_t, int>> sorted;
    sorted.reserve(cutting.size());
    for (int g : cutting) sorted.emplace_back(hash(row_of(g)), g);
    std::sort(sorted.begin(), sorted.end());
    std::vector<char> repeat(facets_.size() / std::max<size_t>(w, 1), 0);
    for (size_t i = 0; i < sorted.size(); ++i)
      for (size_t j = i + 1; j < sorted.size() && sorted[j].first == sorted[i].first; ++j)
        if (std::equal(row_of(sorted[j].second), row_of(sorted[j].second) + w, row_of(sorted[i].second)))
          repeat[static_cast<size_t>(sorted[j].second)] = 1;
    facets->clear();
    for (int g : cutting)
      if (repeat[static_cast<size_t>(g)] == 0) facets->push_back(g);
    Face &top = faces_[static_cast<size_t>(top_)];
    top.facets = static_cast<long>(facets->size());
    top.expanded = true;
    return true;
  }
  const Word *row(long g) const { return facets_.data() + static_cast<size_t>(g) * static_cast<size_t>(w_); }

 private:
  struct Face {
    int dim = 0;
    long count = 0;
    long apex = 0;
    long facets = 0;
    bool expanded = false;
    // The rows that may cut it: those that cut the face that made it (a
    // row meeting a face meets every face around it).  An index into
    // active_.
    int source = 0;
    std::vector<int> kids;
  };

  std::uint64_t hash(const Word *b) const
  {
    std::uint64_t h = 1469598103934665603ULL;
    for (long k = 0; k < w_; ++k) h = (h ^ b[k]) * 1099511628211ULL;
    return h;
  }

  int intern(const Word *b, int dim, int source)
  {
    const std::uint64_t h = hash(b);
    const auto [lo, hi] = index_.equal_range(h);
    for (auto it = lo; it != hi; ++it)
      if (std::equal(b, b + w_, bits(it->second))) return it->second;
    const int id = static_cast<int>(faces_.size());
    Face f;
    f.dim = dim;
    f.apex = -1;
    f.source = source;
    for (long k = 0; k < w_; ++k) {
      f.count += std::popcount(b[k]);
      if (f.apex < 0 && b[k] != 0) f.apex = k * 64 + std::countr_zero(b[k]);
    }
    store_.insert(store_.end(), b, b + w_);
    faces_.push_back(std::move(f));
    index_.emplace(h, id);
    return id;
  }

  void expand(int f)
  {
    const size_t w = static_cast<size_t>(w_);
    const std::vector<Word> s(bits(f), bits(f) + w);
    const long k = dim(f);
    const long size = count(f);
    std::vector<Word> cand;
    std::vector<std::pair<long, size_t>> order;  // (-count, index)
    std::vector<Word> c(w);
    std::vector<int> active;
    const std::vector<int> &rows = active_[static_cast<size_t>(faces_[static_cast<size_t>(f)].source)];
    for (int g : rows) {
      const Word *row = facets_.data() + static_cast<size_t>(g) * w;
      long pc = 0;
      for (size_t j = 0; j < w; ++j) {
        c[j] = s[j] & row[j];
        pc += std::popcount(c[j]);
      }
      if (pc == 0 || pc >= size) continue;
      active.push_back(g);
      // A facet of a k-face has k vertices at least.
      if (pc < k) continue;
      order.emplace_back(-pc, order.size());
      cand.insert(cand.end(), c.begin(), c.end());
    }
    std::sort(order.begin(), order.end());
    // Larger sets first: a set inside none of those kept is inside no
    // candidate at all, and a repeat is inside its first copy.
    // Only larger sets can hold a set but its repeats, which a hash of the
    // sets of its size finds: the facets of a simplicial polytope, all of
    // one size, cost no comparison of pairs.
    std::vector<size_t> kept;
    size_t larger = 0;  // kept[0 .. larger) are larger than the current size
    long current = -1;
    std::unordered_multimap<std::uint64_t, size_t> same;
    for (const auto &[neg, i] : order) {
      const Word *ci = cand.data() + i * w;
      if (-neg != current) {
        current = -neg;
        larger = kept.size();
        same.clear();
      }
      bool inside = false;
      for (size_t q = 0; q < larger && !inside; ++q) {
        const Word *cj = cand.data() + kept[q] * w;
        bool sub = true;
        for (size_t t = 0; t < w && sub; ++t) sub = (ci[t] & ~cj[t]) == 0;
        inside = sub;
      }
      const std::uint64_t h = hash(ci);
      const auto [lo, hi] = same.equal_range(h);
      for (auto it = lo; it != hi && !inside; ++it) inside = std::equal(ci, ci + w, cand.data() + it->second * w);
      if (inside) continue;
      kept.push_back(i);
      same.emplace(h, i);
    }
    std::vector<int> kids;
    const long a = apex(f);
    const int source = static_cast<int>(active_.size());
    active_.push_back(std::move(active));
    for (size_t i : kept) {
      const Word *ci = cand.data() + i * w;
      if (!has_bit(ci, a)) kids.push_back(intern(ci, static_cast<int>(k - 1), source));
    }
    Face &face = faces_[static_cast<size_t>(f)];
    face.kids = std::move(kids);
    face.facets = static_cast<long>(kept.size());
    face.expanded = true;
  }

  long w_;
  std::vector<Word> facets_;  // a row of w_ words per facet
  std::vector<Word> store_;   // the faces' vertex sets, w_ words each
  std::vector<Face> faces_;
  std::unordered_multimap<std::uint64_t, int> index_;
  std::vector<std::vector<int>> active_;
  int top_ = 0;
};

// ---- eliminations ------------------------------------------------------------

// Fraction-free elimination (Bareiss) over 64-bit integers: the pivot of
// level t is the (t+1)-minor of the rows so far on the pivot columns, so
// every division is exact and |last pivot| is the determinant.  A value
// beyond 63 bits sets overflow; the caller starts again over GMP.
struct Int64Ring {
  using T = std::int64_t;
  bool overflow = false;
  static bool is_zero(T x) { return x == 0; }
  T step(T piv, T x, T lead, T px, T prev)
  {
    // Mostly the products fit in 64 bits, whose division is far cheaper
    // than a 128-bit one.
    long long a = 0, b = 0, d = 0;
    if (!__builtin_mul_overflow(piv, x, &a) && !__builtin_mul_overflow(lead, px, &b) &&
        !__builtin_sub_overflow(a, b, &d) && d != INT64_MIN)
      return d / prev;
    const __int128 v = (static_cast<__int128>(piv) * x - static_cast<__int128>(lead) * px) / prev;
    if (v > INT64_MAX || v < -INT64_MAX) {
      overflow = true;
      return 0;
    }
    return static_cast<T>(v);
  }
};

struct MpzRing {
  using T = mpz_class;
  bool overflow = false;  // never
  mpz_class tmp;
  static bool is_zero(const T &x) { return sgn(x) == 0; }
  T step(const T &piv, const T &x, const T &lead, const T &px, const T &prev)
  {
    tmp = piv * x;
    tmp -= lead * px;
    mpz_divexact(tmp.get_mpz_t(), tmp.get_mpz_t(), prev.get_mpz_t());
    return tmp;
  }
};

// Rows pushed one per level, for ranks.  Level j's pivot column is
// col_[j]; a row reduced past level j is zero on col_[0..j], so only the
// columns after it are touched.
template <class Ring>
class Bareiss {
 public:
  using T = typename Ring::T;
  explicit Bareiss(long cols) : c_(cols), rows_(static_cast<size_t>(cols * cols)), col_(static_cast<size_t>(cols))
  {
    std::iota(col_.begin(), col_.end(), 0L);
  }
  Ring ring;

  // Reduces row into level t; false when it depends on the levels above
  // (or a value overflowed).
  bool push(long t, const T *row)
  {
    T *r = &rows_[static_cast<size_t>(t * c_)];
    std::copy(row, row + c_, r);
    const long *col = col_.data();
    for (long j = 0; j < t; ++j) {
      const T *p = &rows_[static_cast<size_t>(j * c_)];
      const T lead = r[col[j]];
      const T &piv = p[col[j]];
      const T prev = j == 0 ? T(1) : pivot(j - 1);
      if (Ring::is_zero(lead)) {
        for (long k = j + 1; k < c_; ++k)
          if (!Ring::is_zero(r[col[k]])) r[col[k]] = ring.step(piv, r[col[k]], lead, p[col[k]], prev);
      } else {
        for (long k = j + 1; k < c_; ++k) r[col[k]] = ring.step(piv, r[col[k]], lead, p[col[k]], prev);
      }
      if (ring.overflow) return false;
    }
    for (long k = t; k < c_; ++k)
      if (!Ring::is_zero(r[col[k]])) {
        std::swap(col_[static_cast<size_t>(t)], col_[static_cast<size_t>(k)]);
        return true;
      }
    return false;
  }
  const T &pivot(long t) const
  {
    return rows_[static_cast<size_t>(t * c_ + col_[static_cast<size_t>(t)])];
  }

 private:
  long c_;
  std::vector<T> rows_;
  std::vector<long> col_;
};

// The same in double, for ranks: the largest entry of each row its pivot.
class DoubleElimination {
 public:
  using T = double;
  explicit DoubleElimination(long cols)
      : c_(cols), rows_(static_cast<size_t>(cols * cols)), col_(static_cast<size_t>(cols))
  {
    std::iota(col_.begin(), col_.end(), 0L);
  }

  bool push(long t, const double *row)
  {
    double *r = &rows_[static_cast<size_t>(t * c_)];
    std::copy(row, row + c_, r);
    const long *col = col_.data();
    double scale = 0.0;
    for (long x = 0; x < c_; ++x) scale = std::max(scale, std::fabs(r[x]));
    for (long j = 0; j < t; ++j) {
      const double *p = &rows_[static_cast<size_t>(j * c_)];
      const double f = r[col[j]] / p[col[j]];
      if (f == 0.0) continue;
      for (long k = j + 1; k < c_; ++k) r[col[k]] -= f * p[col[k]];
    }
    long best = -1;
    double big = 0.0;
    for (long k = t; k < c_; ++k)
      if (std::fabs(r[col[k]]) > big) {
        big = std::fabs(r[col[k]]);
        best = k;
      }
    // What is left of a row that the rows above span is rounding only.
    if (best < 0 || big <= 1e-11 * scale) return false;
    std::swap(col_[static_cast<size_t>(t)], col_[static_cast<size_t>(best)]);
    return true;
  }

 private:
  long c_;
  std::vector<double> rows_;
  std::vector<long> col_;
};

// ---- the walk's elimination ------------------------------------------------

// Bareiss's elimination of the k x k matrix S (row-major) in place, the
// division of its first step by prev (the pivot of the rows eliminated
// before S's, whose minors S holds): S's last entry becomes the
// determinant of all the rows.  False when S is singular or a value
// overflowed.
template <class Ring>
bool bareiss_close(typename Ring::T *S, long k, typename Ring::T prev, Ring &ring)
{
  for (long i = 0; i < k; ++i) {
    long r = i;
    while (r < k && Ring::is_zero(S[r * k + i])) ++r;
    if (r == k) return false;
    if (r != i)
      for (long c = i; c < k; ++c) std::swap(S[i * k + c], S[r * k + c]);
    for (long q = i + 1; q < k; ++q) {
      const typename Ring::T lead = S[q * k + i];
      for (long c = i + 1; c < k; ++c) S[q * k + c] = ring.step(S[i * k + i], S[q * k + c], lead, S[i * k + c], prev);
    }
    if (ring.overflow) return false;
    prev = S[i * k + i];
  }
  return true;
}

// The rings of the walk reduce a row by one level: out on the columns
// col[t..] from in (reduced by the levels before t - 1), the pivot row p of
// level t - 1 (pivot column col[t - 1]), prev the pivot before it.
struct Int64Walk {
  using T = std::int64_t;
  using Mag = std::int64_t;  // |determinant|
  Int64Ring ring;
  bool overflow = false;
  void reduce(T *out, const T *in, const T *p, const long *col, long t, long c, T prev)
  {
    const T lead = in[col[t - 1]];
    const T piv = p[col[t - 1]];
    for (long k = t; k < c; ++k) out[col[k]] = ring.step(piv, in[col[k]], lead, p[col[k]], prev);
    overflow = ring.overflow;
  }
  static long choose(const T *r, const long *col, long t, long c, const T *)
  {
    for (long k = t; k < c; ++k)
      if (r[col[k]] != 0) return k;
    return -1;
  }
  // The elimination finished on the k rows of S (k x k, row-major), the
  // levels 0..t-1 above them: |determinant| of all.
  bool close(T *S, long k, const T *piv, long t, std::int64_t *out)
  {
    if (!bareiss_close(S, k, t == 0 ? T(1) : piv[t - 1], ring)) return false;
    *out = std::llabs(S[k * k - 1]);
    return true;
  }
};

struct MpzWalk {
  using T = mpz_class;
  using Mag = mpz_class;
  MpzRing ring;
  bool overflow = false;
  void reduce(T *out, const T *in, const T *p, const long *col, long t, long c, const T &prev)
  {
    const T &lead = in[col[t - 1]];
    const T &piv = p[col[t - 1]];
    for (long k = t; k < c; ++k) out[col[k]] = ring.step(piv, in[col[k]], lead, p[col[k]], prev);
  }
  static long choose(const T *r, const long *col, long t, long c, const T *)
  {
    for (long k = t; k < c; ++k)
      if (sgn(r[col[k]]) != 0) return k;
    return -1;
  }
  bool close(T *S, long k, const T *piv, long t, mpz_class *out)
  {
    if (!bareiss_close(S, k, t == 0 ? T(1) : piv[t - 1], ring)) return false;
    *out = abs(S[k * k - 1]);
    return true;
  }
};

// Gaussian elimination in double, the largest entry of each row its pivot;
// the determinant is the product of the pivots.
struct DoubleWalk {
  using T = double;
  using Mag = double;
  bool overflow = false;
  static void reduce(T *out, const T *in, const T *p, const long *col, long t, long c, double)
  {
    const double f = in[col[t - 1]] / p[col[t - 1]];
    for (long k = t; k < c; ++k) out[col[k]] = in[col[k]] - f * p[col[k]];
  }
  static long choose(const T *r, const long *col, long t, long c, const T *raw)
  {
    double scale = 0.0;
    for (long x = 0; x < c; ++x) scale = std::max(scale, std::fabs(raw[x]));
    long best = -1;
    double big = 0.0;
    for (long k = t; k < c; ++k)
      if (std::fabs(r[col[k]]) > big) {
        big = std::fabs(r[col[k]]);
        best = k;
      }
    // What is left of a row that the rows above span is rounding only.
    return big > 1e-11 * scale ? best : -1;
  }
  static bool close(T *S, long k, const T *piv, long t, double *out)
  {
    // Sizes known at compile time unroll: on simplicial polytopes most of
    // a double volume's own time is here.
    switch (k) {
      case 3: return close_k<3>(S, k, piv, t, out);
      case 4: return close_k<4>(S, k, piv, t, out);
      case 5: return close_k<5>(S, k, piv, t, out);
      case 6: return close_k<6>(S, k, piv, t, out);
      case 7: return close_k<7>(S, k, piv, t, out);
      case 8: return close_k<8>(S, k, piv, t, out);
      default: return close_k<0>(S, k, piv, t, out);
    }
  }
  // K > 0: k is K.
  template <long K>
  static bool close_k(T *S, long size, const T *piv, long t, double *out)
  {
    const long k = K > 0 ? K : size;
    double scale = 0.0;
#pragma GCC unroll 8
    for (long i = 0; i < k * k; ++i) {
      const double a = std::fabs(S[i]);
      scale = a > scale ? a : scale;
    }
    double det = 1.0;
    for (long j = 0; j < t; ++j) det *= piv[j];
#pragma GCC unroll 8
    for (long i = 0; i < k; ++i) {
      long best = i;
      double top = std::fabs(S[i * k + i]);
#pragma GCC unroll 8
      for (long r = i + 1; r < k; ++r)
        if (std::fabs(S[r * k + i]) > top) {
          top = std::fabs(S[r * k + i]);
          best = r;
        }
      if (!(top > 1e-11 * scale)) return false;
      if (best != i)
#pragma GCC unroll 8
        for (long c = i; c < k; ++c) std::swap(S[i * k + c], S[best * k + c]);
      const double p = S[i * k + i];
      det *= p;
#pragma GCC unroll 8
      for (long r = i + 1; r < k; ++r) {
        const double f = S[r * k + i] / p;
        if (f == 0.0) continue;
#pragma GCC unroll 8
        for (long c = i + 1; c < k; ++c) S[r * k + c] -= f * S[i * k + c];
      }
    }
    *out = std::fabs(det);
    return true;
  }
};

// One row per level, as in Bareiss's or Gauss's elimination, with each
// vertex's row reduced by the levels above kept until a level above
// changes: the simplices below a face share those rows, and most of a
// simplex's rows are its neighbours' too.
template <class Ring>
class Elimination {
 public:
  using T = typename Ring::T;
  using Mag = typename Ring::Mag;
  Elimination(const std::vector<T> &rows, long n, long cols)
      : rows_(rows), n_(n), c_(cols), cache_(static_cast<size_t>(cols * n * cols)),
        stamp_(static_cast<size_t>(cols * n), -1), epoch_(static_cast<size_t>(cols + 1), 0),
        level_(static_cast<size_t>(cols), 0), col_(static_cast<size_t>(cols)), piv_(static_cast<size_t>(cols))
  {
    std::iota(col_.begin(), col_.end(), 0L);
  }
  Ring ring;

  // Vertex v's row at level t; false when it depends on the levels above
  // (or a value overflowed).
  bool push(long t, long v)
  {
    const T *r = reduced(t, v);
    if (ring.overflow) return false;
    const long k = Ring::choose(r, col_.data(), t, c_, &rows_[static_cast<size_t>(v * c_)]);
    if (k < 0) return false;
    std::swap(col_[static_cast<size_t>(t)], col_[static_cast<size_t>(k)]);
    piv_[static_cast<size_t>(t)] = r[col_[static_cast<size_t>(t)]];
    level_[static_cast<size_t>(t)] = v;
    ++epoch_[static_cast<size_t>(t + 1)];
    return true;
  }
  // The k vertices verts as the rows of levels t..t+k-1 (t + k = the
  // columns): |determinant| of all into *out, false as push.  One dense
  // elimination of what is left of their rows, no level kept.
  template <class Mag>
  bool leaf(long t, const long *verts, long k, Mag *out)
  {
    leaf_.resize(static_cast<size_t>(k * k));
    for (long i = 0; i < k; ++i) {
      const T *r = reduced(t, verts[i]);
      if (ring.overflow) return false;
      for (long j = 0; j < k; ++j) leaf_[static_cast<size_t>(i * k + j)] = r[col_[static_cast<size_t>(t + j)]];
    }
    return ring.close(leaf_.data(), k, piv_.data(), t, out);
  }

 private:
  const T *reduced(long t, long v)
  {
    if (t == 0) return &rows_[static_cast<size_t>(v * c_)];
    const size_t key = static_cast<size_t>(t * n_ + v);
    T *out = &cache_[key * static_cast<size_t>(c_)];
    if (stamp_[key] == epoch_[static_cast<size_t>(t)]) return out;
    const T *in = reduced(t - 1, v);
    const T *p = reduced(t - 1, level_[static_cast<size_t>(t - 1)]);
    ring.reduce(out, in, p, col_.data(), t, c_, t >= 2 ? piv_[static_cast<size_t>(t - 2)] : T(1));
    stamp_[key] = epoch_[static_cast<size_t>(t)];
    return out;
  }

  const std::vector<T> &rows_;
  long n_, c_;
  std::vector<T> cache_;        // level t, vertex v: c_ entries
  std::vector<long> stamp_;     // the epoch of each cached row
  std::vector<long> epoch_;     // of level t: rows pushed at level t - 1
  std::vector<long> level_;     // the vertex of each level
  std::vector<long> col_;       // the pivot column of level t is col_[t]
  std::vector<T> piv_;
  std::vector<T> leaf_;
};

// The sums of |determinant| / (product of the simplex's first entries):
// rows (l, z) stand for the points z / l, and a determinant of such rows is
// the determinant of the rows (1, z / l) times the l's.
struct Int64Sum {
  const std::vector<std::int64_t> *first = nullptr;  // null: all 1
  unsigned __int128 sum = 0;                          // without first
  struct Hash {
    size_t operator()(unsigned __int128 x) const
    {
      return std::hash<std::uint64_t>()(static_cast<std::uint64_t>(x) ^ static_cast<std::uint64_t>(x >> 64) * 0x9e3779b97f4a7c15ULL);
    }
  };
  std::unordered_map<unsigned __int128, unsigned __int128, Hash> by_product;
  bool overflow = false;
  void add(std::int64_t x, const long *verts, long n)
  {
    const auto v = static_cast<unsigned __int128>(x);
    unsigned __int128 *to = &sum;
    if (first != nullptr) {
      unsigned __int128 p = 1;
      for (long i = 0; i < n && !overflow; ++i) {
        p *= static_cast<unsigned __int128>((*first)[static_cast<size_t>(verts[i])]);
        if (p >> 62 != 0) overflow = true;
      }
      if (overflow) return;
      to = &by_product[p];
    }
    if ((*to + v) >> 126 != 0) overflow = true;
    *to += v;
  }
};
struct MpzSum {
  const std::vector<mpz_class> *first = nullptr;
  mpq_class sum;
  mpz_class p;
  bool overflow = false;
  void add(const mpz_class &x, const long *verts, long n)
  {
    p = 1;
    if (first != nullptr)
      for (long i = 0; i < n; ++i) p *= (*first)[static_cast<size_t>(verts[i])];
    mpq_class q(x, p);
    q.canonicalize();
    sum += q;
  }
};
struct DoubleSum {
  double sum = 0.0;
  bool overflow = false;
  void add(double x, const long *, long) { sum += x; }
};

mpz_class from_u128(unsigned __int128 x)
{
  mpz_class r(static_cast<unsigned long>(static_cast<std::uint64_t>(x >> 64)));
  r <<= 64;
  r += mpz_class(static_cast<unsigned long>(static_cast<std::uint64_t>(x)));
  return r;
}

// The pulling walk: the rows (1, vertex) of every simplex, summed as
// |determinants|.  failed: a face with too few vertices or a flat simplex
// (the incidence was not a polytope's), or an overflow.
template <class Elim, class Sum>
struct Walk {
  Faces &faces;
  Elim &elim;
  Sum &sum;
  long d;
  long simplices = 0;
  bool failed = false, cancelled = false;
  typename Elim::Mag mag{};
  std::vector<long> path = std::vector<long>(static_cast<size_t>(d + 1));  // the vertex of each level

  bool push(long t, long v)
  {
    path[static_cast<size_t>(t)] = v;
    return elim.push(t, v);
  }

  // The top's simplices when its facets are simplices: as visit takes
  // them, the apex at level 0 and each facet that misses it below.
  void cones(const std::vector<long> &facets)
  {
    const long a = faces.apex(faces.top());
    if (!push(0, a)) {
      failed = true;
      return;
    }
    for (long g : facets) {
      const Word *b = faces.row(g);
      if (has_bit(b, a)) continue;
      long level = 1;
      for (long w = 0; w < faces.words(); ++w)
        for (Word x = b[w]; x != 0; x &= x - 1) path[static_cast<size_t>(level++)] = w * 64 + std::countr_zero(x);
      if (!elim.leaf(1, &path[1], d, &mag)) {
        failed = true;
        return;
      }
      sum.add(mag, path.data(), d + 1);
      if (sum.overflow) {
        failed = true;
        return;
      }
      if ((++simplices & 4095) == 0 && dd_CancelRequested() != 0) {
        failed = cancelled = true;
        return;
      }
    }
  }

  void visit(int f, long t)
  {
    if (failed) return;
    const long k = d - t;
    if (faces.count(f) < k + 1 || faces.dim(f) != k) {
      failed = true;
      return;
    }
    if (faces.count(f) == k + 1) {
      const Word *b = faces.bits(f);
      long level = t;
      for (long w = 0; w < faces.words(); ++w)
        for (Word x = b[w]; x != 0; x &= x - 1) path[static_cast<size_t>(level++)] = w * 64 + std::countr_zero(x);
      if (!elim.leaf(t, &path[static_cast<size_t>(t)], k + 1, &mag)) {
        failed = true;
        return;
      }
      sum.add(mag, path.data(), d + 1);
      if (sum.overflow) failed = true;
      // Now and then: whether the caller wants to stop.
      if ((++simplices & 4095) == 0 && dd_CancelRequested() != 0) failed = cancelled = true;
      return;
    }
    if (!push(t, faces.apex(f))) {
      failed = true;
      return;
    }
    const size_t n = faces.kid_count(f);
    for (size_t i = 0; i < n && !failed; ++i) visit(faces.kid(f, i), t + 1);
  }
};

// ---- vertices and facets -----------------------------------------------------

// The polytope as the walk takes it: which points are vertices, and the
// facets as sets of those.
struct Combinatorics {
  std::vector<long> vertices;  // indices of the points kept
  std::vector<Word> facets;    // rows of words_for(vertices.size())
  long m = 0;
};

// From inc (for each point, its facets as a set over m): the points whose
// set lies in no other point's are the vertices (a point inside an edge or
// a facet, or in the interior, lies on fewer facets than some vertex; of
// equal sets, which only repeats of one point have, the first is kept).
Combinatorics combinatorics(const std::vector<Word> &inc, long points, long m)
{
  const size_t w = static_cast<size_t>(words_for(m));
  Combinatorics c;
  std::vector<long> count(static_cast<size_t>(points), 0);
  for (long i = 0; i < points; ++i)
    for (size_t t = 0; t < w; ++t) count[static_cast<size_t>(i)] += std::popcount(inc[static_cast<size_t>(i) * w + t]);
  for (long i = 0; i < points; ++i) {
    const Word *a = &inc[static_cast<size_t>(i) * w];
    bool vertex = true;
    for (long j = 0; j < points && vertex; ++j) {
      if (j == i || count[static_cast<size_t>(j)] < count[static_cast<size_t>(i)]) continue;
      if (count[static_cast<size_t>(j)] == count[static_cast<size_t>(i)] && j > i) continue;
      const Word *b = &inc[static_cast<size_t>(j) * w];
      bool sub = true;
      for (size_t t = 0; t < w && sub; ++t) sub = (a[t] & ~b[t]) == 0;
      if (sub) vertex = false;
    }
    if (vertex) c.vertices.push_back(i);
  }
  const long n = static_cast<long>(c.vertices.size());
  const size_t vw = static_cast<size_t>(words_for(n));
  c.m = m;
  c.facets.assign(static_cast<size_t>(m) * vw, 0);
  for (long k = 0; k < n; ++k) {
    const Word *a = &inc[static_cast<size_t>(c.vertices[static_cast<size_t>(k)]) * w];
    for (size_t t = 0; t < w; ++t)
      for (Word x = a[t]; x != 0; x &= x - 1)
        set_bit(&c.facets[(t * 64 + static_cast<size_t>(std::countr_zero(x))) * vw], k);
  }
  return c;
}

// Runs the walk: the simplices, or kFailed, or kCancelled.
constexpr long kFailed = -1, kCancelled = -2;

template <class Ring, class Sum>
long triangulate(Faces &faces, const std::vector<typename Ring::T> &rows, long n, long d, Sum *sum)
{
  Elimination<Ring> elim(rows, n, d + 1);
  Walk<Elimination<Ring>, Sum> walk{faces, elim, *sum, d};
  std::vector<long> simplices;
  if (faces.count(faces.top()) > d + 1 && faces.simplicial(d, &simplices)) walk.cones(simplices);
  else walk.visit(faces.top(), 0);
  return walk.cancelled ? kCancelled : walk.failed ? kFailed : walk.simplices;
}

mpz_class row_lcm(const QMatrix &q, long i, long from)
{
  mpz_class l = 1;
  for (long j = from; j < q.cols; ++j)
    if (mpz_cmp_ui(q.at(i, j).get_den_mpz_t(), 1) != 0) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), q.at(i, j).get_den_mpz_t());
  return l;
}

// Row i of q times the lcm of its denominators: integers.
std::vector<mpz_class> integer_row(const QMatrix &q, long i)
{
  const mpz_class l = row_lcm(q, i, 0);
  std::vector<mpz_class> r(static_cast<size_t>(q.cols));
  for (long j = 0; j < q.cols; ++j) {
    const mpq_class &x = q.at(i, j);
    mpz_class &e = r[static_cast<size_t>(j)];
    if (l == 1) {
      e = x.get_num();
    } else {
      mpz_divexact(e.get_mpz_t(), l.get_mpz_t(), x.get_den_mpz_t());
      e *= x.get_num();
    }
  }
  return r;
}

bool is_line(const QMatrix &q, long i)
{
  return std::binary_search(q.linearity.begin(), q.linearity.end(), i + 1);
}

// The rank of rows (each of cols integers).
long rank_of(const std::vector<std::vector<mpz_class>> &rows, long cols)
{
  Bareiss<MpzRing> e(cols);
  long r = 0;
  for (const auto &row : rows)
    if (r < cols && e.push(r, row.data())) ++r;
  return r;
}

Volume exact_volume(dd_MatrixPtr M, const QMatrix *rational, int threads)
{
  Volume out;
  const QMatrix own = rational != nullptr ? QMatrix() : to_rational(M);
  const QMatrix &in = rational != nullptr ? *rational : own;
  // An exact run: on these small systems it costs what a double run and
  // its certificate would, often less.
  ConvertOptions o;
  o.arithmetic = Arithmetic::Exact;
  o.threads = threads;
  const Conversion c = convert(M, o, &in);
  if (c.error != dd_NoError) {
    out.error = c.error;
    return out;
  }
  const bool from_h = M->representation != dd_Generator;
  const QMatrix &H = from_h ? in : c.rational;
  const QMatrix &V = from_h ? c.rational : in;
  const long d = M->colsize - 1;

  std::vector<std::vector<mpz_class>> generators;
  std::vector<long> points;
  bool unbounded = false;
  for (long i = 0; i < V.rows; ++i) {
    std::vector<mpz_class> r = integer_row(V, i);
    if (std::all_of(r.begin(), r.end(), [](const mpz_class &x) { return sgn(x) == 0; })) continue;
    if (sgn(r[0]) == 0 || is_line(V, i)) unbounded = true;
    else points.push_back(i);
    generators.push_back(std::move(r));
  }
  // Rays alone: a cone, its apex the origin.
  if (points.empty() && !generators.empty()) {
    generators.emplace_back(static_cast<size_t>(d + 1), mpz_class(0));
    generators.back()[0] = 1;
  }
  if (generators.empty() || rank_of(generators, d + 1) < d + 1) {
    out.kind = dd_VolumeFlat;
    out.exact = true;
    out.fraction = 0;
    return out;
  }
  if (unbounded) {
    out.kind = dd_VolumeUnbounded;
    out.value = HUGE_VAL;
    return out;
  }
  // Each point x = V's row over its first entry as integers (l, z), z = l x
  // for the least l: small numbers whatever the other points' denominators.
  const long n = static_cast<long>(points.size());
  std::vector<mpz_class> hom(static_cast<size_t>(n * (d + 1)));
  for (long k = 0; k < n; ++k) {
    const long i = points[static_cast<size_t>(k)];
    std::vector<mpq_class> x(static_cast<size_t>(d));
    mpz_class l = 1;
    for (long j = 0; j < d; ++j) {
      x[static_cast<size_t>(j)] = V.at(i, j + 1) / V.at(i, 0);
      mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), x[static_cast<size_t>(j)].get_den_mpz_t());
    }
    hom[static_cast<size_t>(k * (d + 1))] = l;
    for (long j = 0; j < d; ++j) {
      const mpq_class v = x[static_cast<size_t>(j)] * l;
      hom[static_cast<size_t>(k * (d + 1) + j + 1)] = v.get_num();
    }
  }
  // The incidence in integers: row (b, -a) on (l, z) is b l - a z = 0.
  std::vector<std::vector<mpz_class>> rows;
  for (long g = 0; g < H.rows; ++g)
    if (!is_line(H, g)) rows.push_back(integer_row(H, g));
  const long m = static_cast<long>(rows.size());
  const size_t mw = static_cast<size_t>(words_for(m));
  std::vector<Word> inc(static_cast<size_t>(n) * mw, 0);
  size_t hbits = 0, pbits = 0;
  for (const auto &h : rows)
    for (const mpz_class &x : h) hbits = std::max(hbits, mpz_sizeinbase(x.get_mpz_t(), 2));
  for (const mpz_class &x : hom) pbits = std::max(pbits, mpz_sizeinbase(x.get_mpz_t(), 2));
  if (hbits <= 62 && pbits <= 62 && hbits + pbits + static_cast<size_t>(std::bit_width(static_cast<unsigned long>(d + 1))) <= 126) {
    // Each sum fits in 127 bits.
    std::vector<std::int64_t> h64, p64;
    for (const auto &h : rows)
      for (const mpz_class &x : h) h64.push_back(x.get_si());
    for (const mpz_class &x : hom) p64.push_back(x.get_si());
    for (long g = 0; g < m; ++g) {
      const std::int64_t *h = &h64[static_cast<size_t>(g * (d + 1))];
      for (long k = 0; k < n; ++k) {
        const std::int64_t *p = &p64[static_cast<size_t>(k * (d + 1))];
        __int128 s = 0;
        for (long j = 0; j <= d; ++j) s += static_cast<__int128>(h[j]) * p[j];
        if (s == 0) set_bit(&inc[static_cast<size_t>(k) * mw], g);
      }
    }
  } else {
    mpz_class s;
    for (long g = 0; g < m; ++g) {
      const auto &h = rows[static_cast<size_t>(g)];
      for (long k = 0; k < n; ++k) {
        const mpz_class *p = &hom[static_cast<size_t>(k * (d + 1))];
        s = 0;
        for (long j = 0; j <= d; ++j) mpz_addmul(s.get_mpz_t(), h[static_cast<size_t>(j)].get_mpz_t(), p[j].get_mpz_t());
        if (sgn(s) == 0) set_bit(&inc[static_cast<size_t>(k) * mw], g);
      }
    }
  }
  Combinatorics cb = combinatorics(inc, n, m);
  const long nv = static_cast<long>(cb.vertices.size());
  Faces faces(nv, d, std::move(cb.facets), m);

  // Machine integers while the numbers leave room.
  bool small = true, ones = true;
  std::vector<std::int64_t> r64, l64;
  std::vector<mpz_class> rz, lz;
  for (long k = 0; k < nv; ++k) {
    const mpz_class *p = &hom[static_cast<size_t>(cb.vertices[static_cast<size_t>(k)] * (d + 1))];
    lz.push_back(p[0]);
    ones = ones && p[0] == 1;
    for (long j = 0; j <= d; ++j) {
      rz.push_back(p[j]);
      if (small && mpz_sizeinbase(p[j].get_mpz_t(), 2) <= 62) r64.push_back(p[j].get_si());
      else small = false;
    }
    if (small) l64.push_back(p[0].get_si());
  }
  mpq_class total;
  long simplices = -1;
  if (small) {
    Int64Sum sum;
    if (!ones) sum.first = &l64;
    simplices = triangulate<Int64Walk>(faces, r64, nv, d, &sum);
    if (simplices >= 0) {
      total = mpq_class(from_u128(sum.sum));
      // Over the lcm of the products: one fraction at the end.
      mpz_class l = 1, num = 0;
      for (const auto &[p, v] : sum.by_product) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), from_u128(p).get_mpz_t());
      for (const auto &[p, v] : sum.by_product) num += from_u128(v) * (l / from_u128(p));
      mpq_class q(num, l);
      q.canonicalize();
      total += q;
    }
  }
  if (simplices == kFailed) {
    MpzSum sum;
    if (!ones) sum.first = &lz;
    simplices = triangulate<MpzWalk>(faces, rz, nv, d, &sum);
    total = sum.sum;
  }
  if (simplices < 0) {
    // Exact vertices and facets always make a triangulation.
    out.error = simplices == kCancelled ? dd_Interrupted : dd_NumericallyInconsistent;
    return out;
  }
  mpz_class fact;
  mpz_fac_ui(fact.get_mpz_t(), static_cast<unsigned long>(d));
  out.kind = dd_VolumeBounded;
  out.exact = true;
  out.fraction = total / fact;
  out.value = nearest_double(out.fraction);
  out.vertices = nv;
  out.facets = faces.facet_count(faces.top());
  out.simplices = simplices;
  return out;
}

// The facets of a finished run of points, when its output is those and
// nothing else (no equation, no lineality): its feasible rays, in their
// order; else -1.
long facets_only(dd_PolyhedraPtr poly)
{
  if (poly == nullptr || poly->child == nullptr || poly->child->CompStatus != dd_AllFound) return -1;
  dd_ConePtr cone = poly->child;
  const bool no_first_column = cone->d <= 0 || (cone->d_orig >= 1 && cone->newcol[1] == 0);
  if (cone->LinearityDim != (no_first_column ? 1 : 0)) return -1;
  long feasible = 0;
  for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next)
    if (r->feasible != 0) ++feasible;
  return feasible == cone->FeasibleRayCount ? feasible : -1;
}

Volume double_volume(dd_MatrixPtr M, int threads)
{
  Volume out;
  ConvertOptions o;
  o.arithmetic = Arithmetic::Double;
  o.incidence = true;
  o.threads = threads;
  const bool from_h = M->representation != dd_Generator;
  Conversion c;
  Polyhedra run;
  long facet_rows = -1;  // from the run itself: its facets, when they are all its output
  if (from_h) {
    c = convert(M, o);
  } else {
    RunConversion r = convert_keeping_run(M, o, nullptr, true);
    c = std::move(r.result);
    run = std::move(r.run);
    if (c.error == dd_NoError && run != nullptr) {
      facet_rows = facets_only(run.get());
      if (facet_rows < 0) {
        c.output.reset(dd_CopyInequalities(run.get()));
        c.incidence.reset(dd_CopyIncidence(run.get()));
      }
    }
  }
  if (c.error == dd_NoError && facet_rows < 0 && (c.output == nullptr || c.incidence == nullptr))
    c.error = dd_NumericallyInconsistent;
  if (c.error != dd_NoError) {
    out.error = c.error;
    return out;
  }
  dd_MatrixPtr V = from_h ? c.output.get() : M;
  const long d = M->colsize - 1;
  // Equations among the facets of points: flat.
  bool flat = !from_h && facet_rows < 0 && set_card(c.output->linset) > 0;
  std::vector<double> generators;
  std::vector<long> points;
  bool unbounded = false;
  long gens = 0;
  for (long i = 0; i < V->rowsize; ++i) {
    double big = 0.0;
    for (long j = 0; j < V->colsize; ++j) big = std::max(big, std::fabs(*V->matrix[i][j]));
    if (big == 0.0) continue;
    const double lead = *V->matrix[i][0];
    if (std::fabs(lead) <= 1e-9 * big || set_member(i + 1, V->linset) != 0) unbounded = true;
    else points.push_back(i);
    for (long j = 0; j < V->colsize; ++j) generators.push_back(*V->matrix[i][j] / big);
    ++gens;
  }
  if (points.empty() && gens > 0) {
    // Rays alone: a cone, its apex the origin.
    generators.push_back(1.0);
    generators.insert(generators.end(), static_cast<size_t>(d), 0.0);
    ++gens;
    unbounded = true;
  }
  if (!flat && gens > 0) {
    DoubleElimination e(d + 1);
    long r = 0;
    for (long i = 0; i < gens && r <= d; ++i)
      if (e.push(r, &generators[static_cast<size_t>(i * (d + 1))])) ++r;
    flat = r < d + 1;
  }
  if (gens == 0 || flat) {
    out.kind = dd_VolumeFlat;
    return out;
  }
  if (unbounded) {
    out.kind = dd_VolumeUnbounded;
    out.value = HUGE_VAL;
    return out;
  }
  const long n = static_cast<long>(points.size());
  // The incidence of the run: output row k holds the input rows on it.
  dd_SetFamilyPtr F = c.incidence.get();
  const long m = from_h ? M->rowsize : facet_rows >= 0 ? facet_rows : F->famsize;
  const size_t mw = static_cast<size_t>(words_for(m));
  std::vector<Word> inc(static_cast<size_t>(n) * mw, 0);
  if (facet_rows >= 0) {
    // Each facet's zero set as the run decided it, over the points.
    std::vector<long> place(static_cast<size_t>(V->rowsize), -1);
    for (long k = 0; k < n; ++k) place[static_cast<size_t>(points[static_cast<size_t>(k)])] = k;
    dd_ConePtr cone = run->child;
    const long last = std::min<long>({run->m1, cone->m, V->rowsize});
    long g = 0;
    for (dd_RayPtr r = cone->FirstRay; r != nullptr && g < m; r = r->Next) {
      if (r->feasible == 0) continue;
      for_members(r->ZeroSet, [&](long i) {
        const long k = i <= last ? place[static_cast<size_t>(i - 1)] : -1;
        if (k >= 0) set_bit(&inc[static_cast<size_t>(k) * mw], g);
      });
      ++g;
    }
  } else if (from_h) {
    for (long k = 0; k < n; ++k)
      for_members(F->set[points[static_cast<size_t>(k)]], [&](long g) {
        if (g <= m) set_bit(&inc[static_cast<size_t>(k) * mw], g - 1);
      });
  } else {
    // Point i's place among the points, or -1.
    std::vector<long> place(static_cast<size_t>(V->rowsize), -1);
    for (long k = 0; k < n; ++k) place[static_cast<size_t>(points[static_cast<size_t>(k)])] = k;
    for (long g = 0; g < m; ++g) {
      if (set_member(g + 1, c.output->linset) != 0) continue;
      for_members(F->set[g], [&](long i) {
        const long k = i <= V->rowsize ? place[static_cast<size_t>(i - 1)] : -1;
        if (k >= 0) set_bit(&inc[static_cast<size_t>(k) * mw], g);
      });
    }
  }
  Combinatorics cb = combinatorics(inc, n, m);
  const long nv = static_cast<long>(cb.vertices.size());
  // Rows (1, x - centre): the determinants of small polytopes far from
  // the origin keep their digits.  (Their first entries are all 1.)
  std::vector<double> x(static_cast<size_t>(nv * d));
  std::vector<double> centre(static_cast<size_t>(d), 0.0);
  for (long k = 0; k < nv; ++k) {
    const long i = points[static_cast<size_t>(cb.vertices[static_cast<size_t>(k)])];
    for (long j = 0; j < d; ++j) {
      x[static_cast<size_t>(k * d + j)] = *V->matrix[i][j + 1] / *V->matrix[i][0];
      centre[static_cast<size_t>(j)] += x[static_cast<size_t>(k * d + j)] / static_cast<double>(nv);
    }
  }
  std::vector<double> rows;
  for (long k = 0; k < nv; ++k) {
    rows.push_back(1.0);
    for (long j = 0; j < d; ++j) rows.push_back(x[static_cast<size_t>(k * d + j)] - centre[static_cast<size_t>(j)]);
  }
  Faces faces(nv, d, std::move(cb.facets), m);
  DoubleSum sum;
  const long simplices = triangulate<DoubleWalk>(faces, rows, nv, d, &sum);
  if (simplices < 0) {
    out.error = simplices == kCancelled ? dd_Interrupted : dd_NumericallyInconsistent;
    return out;
  }
  double fact = 1.0;
  for (long j = 2; j <= d; ++j) fact *= static_cast<double>(j);
  out.kind = dd_VolumeBounded;
  out.value = sum.sum / fact;
  out.vertices = nv;
  out.facets = faces.facet_count(faces.top());
  out.simplices = simplices;
  return out;
}

}  // namespace

Volume volume(dd_MatrixPtr M, Arithmetic arithmetic, const QMatrix *rational, int threads)
{
  if (M == nullptr || M->colsize < 2) {
    Volume v;
    v.error = dd_ImproperInputFormat;
    return v;
  }
  const bool exact = arithmetic == Arithmetic::Exact ||
                     (arithmetic == Arithmetic::Auto && (rational != nullptr || !measured_data(M)));
  Volume v = exact ? exact_volume(M, rational, threads) : double_volume(M, threads);
  if (v.kind != dd_VolumeBounded) {
    v.vertices = 0;
    v.facets = 0;
  }
  return v;
}

}  // namespace zonix

extern "C" dd_VolumePtr dd_PolyVolume(dd_MatrixPtr M, dd_VolumeArithmetic arithmetic, dd_ErrorType *error)
{
  *error = dd_NoError;
  try {
    const zonix::Arithmetic a = arithmetic == dd_VolumeExact    ? zonix::Arithmetic::Exact
                                : arithmetic == dd_VolumeDouble ? zonix::Arithmetic::Double
                                                                : zonix::Arithmetic::Auto;
    const zonix::Volume v = zonix::volume(M, a);
    if (v.error != dd_NoError) {
      *error = v.error;
      return nullptr;
    }
    auto *r = static_cast<dd_VolumePtr>(std::calloc(1, sizeof(dd_volumedata)));
    if (r == nullptr) throw std::bad_alloc();
    r->kind = v.kind;
    r->value = v.value;
    r->exact = v.exact ? dd_TRUE : dd_FALSE;
    r->vertices = v.vertices;
    r->facets = v.facets;
    r->simplices = v.simplices;
    if (v.exact) {
      const std::string num = v.fraction.get_num().get_str();
      const std::string den = v.fraction.get_den().get_str();
      r->numerator = static_cast<char *>(std::malloc(num.size() + 1));
      r->denominator = static_cast<char *>(std::malloc(den.size() + 1));
      if (r->numerator == nullptr || r->denominator == nullptr) {
        dd_FreeVolume(r);
        throw std::bad_alloc();
      }
      std::memcpy(r->numerator, num.c_str(), num.size() + 1);
      std::memcpy(r->denominator, den.c_str(), den.size() + 1);
    }
    return r;
  } catch (const std::bad_alloc &) {
    *error = dd_OutOfMemory;
    return nullptr;
  }
}

extern "C" void dd_FreeVolume(dd_VolumePtr v)
{
  if (v == nullptr) return;
  std::free(v->numerator);
  std::free(v->denominator);
  std::free(v);
}
