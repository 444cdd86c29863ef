// The combinatorial adjacency test of the double description method:
// two rays are adjacent when no third ray lies on every added row they
// share.  The structures that answer it without meeting every ray: the
// third-ray index, the packed zero rays with their last-chance rows, and
// the zero-set forest over them.  Internal to the engine.
#ifndef ZONIX_CORE_ADJACENCY_HPP
#define ZONIX_CORE_ADJACENCY_HPP

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

#include "zonixcore_internal.hpp"

namespace zonix::core {

// The pairs (i, j), i < j, in increasing order, of rays that lie on
// exactly `need` common added rows, given that every ray lies on exactly
// need + 1 (simple rays: see simple_ray).  zero[k] points at the data words
// (nw of them) of ray k's zero set; added likewise.
void ridge_pairs(std::span<const set_word *const> zero, const set_word *added, long nw, long need,
                 std::vector<std::pair<int, int>> &pairs);

// Whether some ray of the list from `from`, other than r1 and r2, lies on
// every row of face (a face from make_face): then r1 and r2 are not
// adjacent.
inline bool third_ray_found(dd_RayPtr from, dd_RayPtr r1, dd_RayPtr r2,
                            const set_word *face, long nw)
{
  for (dd_RayPtr t = from; t != nullptr; t = t->Next) {
    if (t == r1 || t == r2) continue;
    if (face_within(face, t->ZeroSet, nw)) return true;
  }
  return false;
}

// Files the edge (ray1, ray2) under the iteration fmin that separates it.
inline void file_edge(dd_ConePtr cone, dd_RayPtr ray1, dd_RayPtr ray2, dd_rowrange fmin)
{
  dd_workspace &ws = workspace(cone);
  dd_AdjacencyPtr node = ws.edge_nodes.get();
  if (static_cast<size_t>(fmin) >= ws.edges_filed.size())
    ws.edges_filed.resize(static_cast<size_t>(std::max<long>(fmin, cone->m_alloc)) + 1, 0);
  ++ws.edges_filed[static_cast<size_t>(fmin)];
  node->Ray1 = ray1;
  node->Ray2 = ray2;
  node->Next = cone->Edges[fmin];
  cone->Edges[fmin] = node;
  cone->EdgeCount++;
  cone->TotalEdgeCount++;
}

// Up to this many rows the third-ray index keeps, for each row, its
// candidates as a bit set over their order of indexing: a search ANDs the
// sets of the face's rows, 64 candidates a word (cyclic-v-30-7/3 searches
// lists of hundreds), in no more memory than lists (m / 8 bytes a
// candidate).
inline constexpr long bitset_rows = 128;

// The candidates for a third ray (the list from a fixed ray on), indexed
// by the added rows they lie on.  A third ray lies on every row of the
// face, so the candidates on the face's rarest row are all that need
// testing.  Rays appended to the list after the index was built (new rays
// of the current iteration) are added to it before each search.  The
// answer is the one a walk over the whole list gives.
class ThirdRayIndex {
 public:
  // Indexes the rays from `from` to the current end of the list.
  void build(dd_ConePtr cone, dd_RayPtr from, long nw)
  {
    from_ = from;
    last_ = nullptr;
    count_ = 0;
    threshold_ = workspace(cone).third_ray_index_threshold;
    added_ = cone->AddedHalfspaces;
    nw_ = nw;
    const size_t rows = static_cast<size_t>(cone->m) + 2;
    by_bits_ = cone->m <= bitset_rows;
    if (by_bits_) {
      if (bits_.size() < rows) bits_.resize(rows);
      for (auto &b : bits_) b.clear();
      rays_.clear();
    } else {
      if (lists_.size() < rows) lists_.resize(rows);
      for (auto &l : lists_) l.clear();
    }
    extend_from(from);
  }

  bool third_ray_found(const set_word *face, long nw, dd_RayPtr r1,
                       dd_RayPtr r2)
  {
    if (last_ == nullptr) extend_from(from_);
    else if (last_->Next != nullptr) extend_from(last_->Next);
    // Few candidates: walked faster than through the lists.
    if (count_ <= threshold_) return zonix::core::third_ray_found(from_, r1, r2, face, nw);
    if (by_bits_) return found_by_bits(face, nw, r1, r2);
    long best = 0;
    size_t best_count = 0;
    bool any = false;
    for (long k = 1; k <= nw && !(any && best_count == 0); ++k) {
      for (set_word w = face[k]; w != 0u; w &= w - 1u) {
        const long row = (k - 1) * 32 + std::countr_zero(w) + 1;
        const size_t c = lists_[static_cast<size_t>(row)].size();
        if (!any || c < best_count) {
          best = row;
          best_count = c;
          any = true;
          if (c == 0) break;
        }
      }
    }
    // An empty face lies on every ray: walk the candidates themselves.
    if (!any) return zonix::core::third_ray_found(from_, r1, r2, face, nw);
    const std::uint64_t fd = digest(face, nw);
    auto found = [&](const Candidate &c) {
      return (fd & ~c.digest) == 0u && c.ray != r1 && c.ray != r2 &&
             face_within(face, c.ray->ZeroSet, nw);
    };
    const std::vector<Candidate> &list = lists_[static_cast<size_t>(best)];
    const Candidate *c = list.data();
    const Candidate *const end = c + list.size();
    // Four folds tested with one branch: most candidates miss.
    for (; end - c >= 4; c += 4) {
      const bool maybe = ((fd & ~c[0].digest) == 0u) | ((fd & ~c[1].digest) == 0u) |
                         ((fd & ~c[2].digest) == 0u) | ((fd & ~c[3].digest) == 0u);
      if (maybe && (found(c[0]) || found(c[1]) || found(c[2]) || found(c[3]))) return true;
    }
    for (; c != end; ++c)
      if (found(*c)) return true;
    return false;
  }

 private:
  bool found_by_bits(const set_word *face, long nw, dd_RayPtr r1, dd_RayPtr r2)
  {
    face_rows_.clear();
    size_t words = 0;
    for (long k = 1; k <= nw; ++k)
      for (set_word w = face[k]; w != 0u; w &= w - 1u) {
        const std::vector<std::uint64_t> &b = bits_[static_cast<size_t>((k - 1) * 32 + std::countr_zero(w) + 1)];
        if (face_rows_.empty() || b.size() < words) words = b.size();
        face_rows_.push_back(b.data());
      }
    // An empty face lies on every ray: walk the candidates themselves.
    if (face_rows_.empty()) return zonix::core::third_ray_found(from_, r1, r2, face, nw);
    for (size_t w = 0; w < words; ++w) {
      std::uint64_t on = ~std::uint64_t{0};
      for (const std::uint64_t *b : face_rows_) on &= b[w];
      for (; on != 0u; on &= on - 1u) {
        const dd_RayPtr t = rays_[w * 64 + static_cast<size_t>(std::countr_zero(on))];
        if (t != r1 && t != r2) return true;
      }
    }
    return false;
  }

  // A candidate with its added zero rows folded onto 64 bits (row r on
  // bit (r - 1) mod 64): a face whose fold is not within a candidate's
  // is not within its zero rows, and the zero set is read only where it
  // may be.  Below 65 rows the fold is the set itself.
  struct Candidate {
    std::uint64_t digest;
    dd_RayPtr ray;
  };

  static std::uint64_t digest(const set_word *s, const set_word *added, long nw)
  {
    std::uint64_t f = 0;
    for (long k = 1; k <= nw; ++k)
      f |= static_cast<std::uint64_t>(s[k] & added[k]) << (32 * ((k - 1) & 1));
    return f;
  }
  static std::uint64_t digest(const set_word *s, long nw)
  {
    std::uint64_t f = 0;
    for (long k = 1; k <= nw; ++k) f |= static_cast<std::uint64_t>(s[k]) << (32 * ((k - 1) & 1));
    return f;
  }

  void extend_from(dd_RayPtr first)
  {
    if (by_bits_) {
      for (dd_RayPtr t = first; t != nullptr; t = t->Next) {
        const size_t word = rays_.size() / 64;
        const std::uint64_t bit = std::uint64_t{1} << (rays_.size() % 64);
        rays_.push_back(t);
        const set_word *z = t->ZeroSet;
        for (long k = 1; k <= nw_; ++k)
          for (set_word w = z[k] & added_[k]; w != 0u; w &= w - 1u) {
            std::vector<std::uint64_t> &b = bits_[static_cast<size_t>((k - 1) * 32 + std::countr_zero(w) + 1)];
            if (b.size() <= word) b.resize(word + 1, 0);
            b[word] |= bit;
          }
        last_ = t;
        ++count_;
      }
      return;
    }
    for (dd_RayPtr t = first; t != nullptr; t = t->Next) {
      const set_word *z = t->ZeroSet;
      const Candidate c{digest(z, added_, nw_), t};
      for (long k = 1; k <= nw_; ++k)
        for (set_word w = z[k] & added_[k]; w != 0u; w &= w - 1u)
          lists_[static_cast<size_t>((k - 1) * 32 + std::countr_zero(w) + 1)]
              .push_back(c);
      last_ = t;
      ++count_;
    }
  }

  dd_RayPtr from_ = nullptr;
  dd_RayPtr last_ = nullptr;
  long count_ = 0, threshold_ = 0;  // rays indexed; walked up to threshold_
  const set_word *added_ = nullptr;
  long nw_ = 0;
  std::vector<std::vector<Candidate>> lists_;
  bool by_bits_ = false;
  std::vector<std::vector<std::uint64_t>> bits_;  // per row, by candidate
  std::vector<dd_RayPtr> rays_;  // the candidates in their order of indexing
  std::vector<const std::uint64_t *> face_rows_;
};

// Third-ray searches walked before the index is built: a walk reads a
// few words per ray, building the index costs far more per ray, so it
// pays only for lists searched more than a few times.
inline constexpr long walks_before_index = 4;
// The same for the bit sets, which cost far less to build.
inline constexpr long walks_before_bits = 1;

// What filing many edges in a row shares: the face buffer, and optionally
// the third-ray index and the position of every row in OrderVector.
struct EdgeFiling {
  set_word *face = nullptr;
  long nw = 0;
  const long *position = nullptr;  // position[row], 0 when absent
  // The index is built at the first third-ray search: many runs of
  // filings need none.  Rays appended meanwhile are indexed or walked,
  // the same candidates either way.
  dd_ConePtr cone = nullptr;
  dd_RayPtr from = nullptr;
  mutable ThirdRayIndex *index = nullptr;
  mutable bool index_pending = false;
  mutable long walks = 0;  // searches that walked the list while the index waited
  dd_rowrange current_row = 0;  // the row being added, not yet in added
  // Which words of a ray's zero set hold a row (word k on bit k - 1), kept
  // for the few rays of a short run, whose pairs are all met: two zero
  // sets of a few rows each share a row in few words.
  struct WordMask {
    dd_RayPtr ray;
    std::uint64_t words;
  };
  static constexpr int mask_slots = 128;  // four times the rays of a short run
  bool word_masks = false;
  mutable WordMask masks[mask_slots];

  std::uint64_t words_of(dd_RayPtr r) const
  {
    const auto h = static_cast<size_t>((reinterpret_cast<std::uintptr_t>(r) * 0x9e3779b97f4a7c15u) >> 57);
    WordMask &slot = masks[h];
    if (slot.ray != r) {
      std::uint64_t w = 0;
      for (long k = 1; k <= nw; ++k)
        if (r->ZeroSet[k] != 0u) w |= std::uint64_t{1} << (k - 1);
      slot = {r, w};
    }
    return slot.words;
  }

  // simple_ray, reading only the words that hold zero rows where they
  // are kept.
  bool simple(dd_RayPtr r, const set_word *added, dd_colrange d) const
  {
    if (!word_masks) return simple_ray(r, added, nw, current_row, d);
    if (!zero_set_exact(r, d)) return false;
    const set_word *z = r->ZeroSet;
    long on = 0;
    for (std::uint64_t b = words_of(r); b != 0u; b &= b - 1u) {
      const long k = std::countr_zero(b) + 1;
      on += bit_count(z[k] & added[k]);
    }
    if (current_row > 0 && in_set(z, current_row) && !in_set(added, current_row)) ++on;
    return on == d - 1;
  }
};

// The cone's scratch of edge filing (in its workspace).
ThirdRayIndex &third_rays_of(dd_ConePtr cone);
std::vector<long> &row_position_of(dd_ConePtr cone);

// Prepares a run of edge filings on the cone: face buffer, row positions,
// and the third-ray index over the list from `from` when it is not null.
EdgeFiling begin_filing(dd_ConePtr cone, dd_RayPtr from);

// dd_ConditionalAddEdge with shared work prepared in f.
void conditional_add_edge(dd_ConePtr cone, dd_RayPtr Ray1, dd_RayPtr Ray2,
                          dd_RayPtr ValidFirstRay, const EdgeFiling &f,
                          bool edge_face = false);

// The rays of dd_UpdateEdges packed side by side: their zero sets in one
// array, so that the pair loop, which meets every pair of zero rays, reads
// memory in order instead of chasing a pointer per pair.  Third rays are
// indexed by row as in ThirdRayIndex, by position in the packed array.
// Third rays remembered by each thread of the pair loop.
inline constexpr int recent_witnesses = 16;

class PackedZeroRays {
 public:
  // Packs the rays from `from` to the end of the list; returns the
  // position of `last` (or the count when it is not among them).
  long pack(dd_ConePtr cone, dd_RayPtr from, dd_RayPtr last)
  {
    nw_ = set_data_words(cone->m);
    threshold_ = workspace(cone).third_ray_index_threshold;
    words_.clear();
    fii_.clear();
    rays_.clear();
    long last_pos = -1;
    for (dd_RayPtr t = from; t != nullptr; t = t->Next) {
      if (t == last && last_pos < 0) last_pos = static_cast<long>(rays_.size());
      rays_.push_back(t);
      fii_.push_back(t->FirstInfeasIndex);
      words_.insert(words_.end(), t->ZeroSet + 1, t->ZeroSet + 1 + nw_);
    }
    return last_pos < 0 ? count() : last_pos;
  }

  // Lists, for every row, the positions of the packed rays on it (in
  // increasing order).  Many rays are listed in blocks on the run's
  // threads: each block counts its rays on every row, then writes them
  // from its own place in each row's list.
  void list_rows(dd_workspace &ws)
  {
    const long n = count();
    const long rows = nw_ * 32;
    const set_word *all = nullptr;
    const long block = ws.zero_pass_block(n);
    const long blocks = (n + block - 1) / block;
    // Places in the lists are counted in 32 bits there.
    const bool fits = static_cast<double>(n) * static_cast<double>(rows) < 0x1p31;
    if (blocks > 1 && ws.zero_pass_threads(n) && fits) {
      const auto width = static_cast<size_t>(rows) + 1;
      std::vector<std::int32_t> at(static_cast<size_t>(blocks) * width, 0);
      auto in_blocks = [&](auto body) {
        const std::exception_ptr failure = run_blocks(ws.pool, static_cast<int>(std::min<long>(ws.threads, blocks)),
                                                      blocks, [&](int, long b) {
          std::int32_t *mine = at.data() + static_cast<size_t>(b) * width;
          for (long k = b * block; k < std::min(n, (b + 1) * block); ++k) body(mine, k);
          return true;
        });
        if (failure) std::rethrow_exception(failure);
      };
      in_blocks([&](std::int32_t *mine, long k) { for_each_row(zero(k), all, [&](long row) { ++mine[row]; }); });
      row_start_.assign(static_cast<size_t>(rows) + 2, 0);
      long total = 0;
      for (long row = 0; row <= rows; ++row) {
        row_start_[static_cast<size_t>(row)] = total;
        for (long b = 0; b < blocks; ++b) {
          std::int32_t &c = at[static_cast<size_t>(b) * width + static_cast<size_t>(row)];
          const long here = c;
          c = static_cast<std::int32_t>(total);
          total += here;
        }
      }
      row_start_[static_cast<size_t>(rows) + 1] = total;
      on_row_.resize(static_cast<size_t>(total));
      in_blocks([&](std::int32_t *mine, long k) {
        for_each_row(zero(k), all, [&](long row) { on_row_[static_cast<size_t>(mine[row]++)] = static_cast<int>(k); });
      });
      return;
    }
    row_start_.assign(static_cast<size_t>(rows) + 2, 0);
    for (long k = 0; k < n; ++k)
      for_each_row(zero(k), all, [&](long row) { ++row_start_[row + 1]; });
    for (long row = 1; row <= rows + 1; ++row)
      row_start_[row] += row_start_[row - 1];
    on_row_.resize(static_cast<size_t>(row_start_[rows + 1]));
    cursor_.assign(row_start_.begin(), row_start_.end());
    for (long k = 0; k < n; ++k)
      for_each_row(zero(k), all, [&](long row) {
        on_row_[static_cast<size_t>(cursor_[row]++)] = static_cast<int>(k);
      });
  }

  // The positions on row `row` from `lo` to `hi`, as [first, last).
  std::pair<const int *, const int *> on_row(long row, long lo, long hi) const
  {
    const int *b = on_row_.data() + row_start_[row];
    const int *e = on_row_.data() + row_start_[row + 1];
    b = std::lower_bound(b, e, static_cast<int>(lo));
    e = std::upper_bound(b, e, static_cast<int>(hi));
    return {b, e};
  }

  // Whether FirstInfeasIndex never decreases along the packed rays.
  bool sorted() const
  {
    return std::is_sorted(fii_.begin(), fii_.end());
  }

  // Indexes every packed ray by the added rows it lies on.
  void index(const set_word *added)
  {
    const long n = count();
    const long rows = nw_ * 32;
    start_.assign(static_cast<size_t>(rows) + 2, 0);
    for (long k = 0; k < n; ++k)
      for_each_row(zero(k), added, [&](long row) { ++start_[row + 1]; });
    for (long row = 1; row <= rows + 1; ++row) start_[row] += start_[row - 1];
    members_.resize(static_cast<size_t>(start_[rows + 1]));
    cursor_.assign(start_.begin(), start_.end());
    for (long k = 0; k < n; ++k)
      for_each_row(zero(k), added, [&](long row) {
        members_[static_cast<size_t>(cursor_[row]++)] = static_cast<int>(k);
      });
  }

  // Indexes by added rows at the first search (many runs need none).
  void index_later(const set_word *added)
  {
    index_added_ = added;
    indexed_.store(false, std::memory_order_relaxed);
  }

  // Whether a packed ray other than i and j lies on every row of face.
  // Threads may ask at once: the first to need the index builds it.
  // `recent` holds the last rays found as third rays by the caller
  // (recent_witnesses of them, -1 for none), tried first: a ray that
  // spoils one pair of ray i often spoils the next.
  [[gnu::noinline]] bool third_ray_found(const set_word *face, long i, long j,
                                         long *recent) const
  {
    return third_ray_found(face, i, j, recent, [&] { return search_third_ray(face, i, j); });
  }

  // The same, the search after the recent rays made by search().
  template <class Search>
  bool third_ray_found(const set_word *face, long i, long j, long *recent,
                       Search search) const
  {
    for (int q = 0; q < recent_witnesses; ++q) {
      const long t = recent[q];
      if (t >= 0 && t != i && t != j && t < count() && within(face, zero(t))) return true;
    }
    const long t = search();
    if (t < 0) return false;
    for (int q = recent_witnesses - 1; q > 0; --q) recent[q] = recent[q - 1];
    recent[0] = t;
    return true;
  }

  // The first packed ray other than i and j on every row of face, or -1.
  long search_third_ray(const set_word *face, long i, long j) const
  {
    if (count() <= threshold_) {
      // Few candidates: walked faster than indexed.
      for (long t = 0; t < count(); ++t)
        if (t != i && t != j && within(face, zero(t))) return t;
      return -1;
    }
    if (!indexed_.load(std::memory_order_acquire)) {
      const std::lock_guard<std::mutex> hold(index_mutex_);
      if (!indexed_.load(std::memory_order_relaxed)) {
        const_cast<PackedZeroRays *>(this)->index(index_added_);
        indexed_.store(true, std::memory_order_release);
      }
    }
    long best = 0, best_count = -1;
    for (long k = 0; k < nw_ && best_count != 0; ++k) {
      for (set_word w = face[k]; w != 0u; w &= w - 1u) {
        const long row = k * 32 + std::countr_zero(w) + 1;
        const long c = start_[row + 1] - start_[row];
        if (best_count < 0 || c < best_count) {
          best = row;
          best_count = c;
          if (c == 0) break;
        }
      }
    }
    // An empty face lies on every ray.
    if (best == 0) {
      for (long t = 0; t < count(); ++t)
        if (t != i && t != j) return t;
      return -1;
    }
    for (long q = start_[best]; q < start_[best + 1]; ++q) {
      const long t = members_[static_cast<size_t>(q)];
      if (t == i || t == j) continue;
      if (within(face, zero(t))) return t;
    }
    return -1;
  }

  long count() const { return static_cast<long>(rays_.size()); }
  long words() const { return nw_; }
  const set_word *zero(long k) const
  {
    return words_.data() + static_cast<size_t>(k * nw_);
  }
  dd_rowrange fii(long k) const { return fii_[static_cast<size_t>(k)]; }
  dd_RayPtr ray(long k) const { return rays_[static_cast<size_t>(k)]; }

 private:
  // Calls f with every row of z (within added unless that is null).
  template <class F>
  void for_each_row(const set_word *z, const set_word *added, F f) const
  {
    for (long k = 0; k < nw_; ++k)
      for (set_word w = added != nullptr ? z[k] & added[k + 1] : z[k];
           w != 0u; w &= w - 1u)
        f(k * 32 + std::countr_zero(w) + 1);
  }
  bool within(const set_word *face, const set_word *z) const
  {
    for (long k = 0; k < nw_; ++k)
      if ((face[k] & ~z[k]) != 0u) return false;
    return true;
  }

  long nw_ = 0;
  std::vector<set_word> words_;
  std::vector<dd_rowrange> fii_;
  std::vector<dd_RayPtr> rays_;
  std::vector<long> start_, cursor_;
  std::vector<int> members_;
  std::vector<long> row_start_;
  std::vector<int> on_row_;
  const set_word *index_added_ = nullptr;
  mutable std::atomic<bool> indexed_{true};
  mutable std::mutex index_mutex_;
  long threshold_ = 0;
};


// The last-chance rows of a separating iteration f: the rows at positions
// Iteration+1 .. f-1 of OrderVector that are not strict.  A pair with
// fmin = f sharing one of them meets again when that row is added.  Made
// only for the indices f the packed rays have (nw data words each), so
// that a call costs O(m) and not O(m * nw).
class LaterRows {
 public:
  void build(dd_ConePtr cone, const PackedZeroRays &P)
  {
    const dd_rowrange m = cone->m;
    const long nw = P.words();
    nw_ = nw;
    slot_.assign(static_cast<size_t>(m) + 2, 0);
    for (long k = 0; k < P.count(); ++k) {
      const dd_rowrange f = P.fii(k);
      if (f >= 0 && f <= m + 1) slot_[static_cast<size_t>(f)] = 1;
    }
    // Slot 0 is the empty mask, for indices out of range.
    masks_.assign(static_cast<size_t>(nw), 0u);
    std::vector<set_word> running(static_cast<size_t>(nw), 0u);
    const dd_rowflag eqidx = cone->parent->EqualityIndex;
    const dd_rowrange it0 = cone->Iteration;
    for (dd_rowrange f = 0; f <= m + 1; ++f) {
      // running holds the rows at positions it0+1 .. f-1.
      if (f >= it0 + 2) {
        const dd_rowrange r = cone->OrderVector[f - 1];
        if (r >= 1 && r <= nw * 32 && eqidx[r] >= 0)
          running[static_cast<size_t>((r - 1) >> 5)] |= set_word{1} << ((r - 1) & 31);
      }
      if (slot_[static_cast<size_t>(f)] != 0) {
        slot_[static_cast<size_t>(f)] = static_cast<long>(masks_.size()) / nw;
        masks_.insert(masks_.end(), running.begin(), running.end());
      }
    }
    m_ = m;
  }

  // The mask of index f (data words).
  const set_word *of(dd_rowrange f) const
  {
    const long s = f >= 0 && f <= m_ + 1 ? slot_[static_cast<size_t>(f)] : 0;
    return masks_.data() + s * nw_;
  }

 private:
  long nw_ = 0;
  dd_rowrange m_ = 0;
  std::vector<long> slot_;
  std::vector<set_word> masks_;
};


// Rays at most in a leaf of ZeroSetForest: scanned word by word, which for
// so few costs less than testing more nodes.
inline constexpr long forest_leaf = 8;

// The partners of a run sorted by FirstInfeasIndex, found without meeting
// every pair: per index a binary tree over the rays' zero sets, each node
// splitting its rays by one row and holding the union of their added zero
// rows and the intersection of their zero sets.  A subtree
// holds no ray that makes a face of d - 2 rows with ray i when its union
// shares fewer rows with i, or when its intersection has more added rows
// outside i's than its fullest ray can spare; none that makes an edge
// when its intersection holds a row that rules the pair out (the cutting
// row, a last-chance row of i).  A subtree whose union misses a row of a
// face holds no third ray on it.
class ZeroSetForest {
 public:
  // Builds a tree for every index among the packed rays.
  void build(const PackedZeroRays &P, const set_word *added, const dd_rowrange *order)
  {
    nw_ = P.words();
    added_ = added;
    nodes_.clear();
    uni_.clear();
    inter_.clear();
    roots_.clear();
    const long n = P.count();
    items_.resize(static_cast<size_t>(std::max(n, 0L)));
    for (long k = 0; k < n; ++k) items_[static_cast<size_t>(k)] = static_cast<int>(k);
    counts_.assign(static_cast<size_t>(nw_) * 32, 0);
    // Most partners that share enough rows with a ray of an earlier index
    // lie on the row that cuts it (in MET(7) four in five): a tree split
    // first by those rows, the row of the most rays first, drops them at a
    // node near its root.
    cut_rows_.clear();
    for (long g = 0; g < n;) {
      long e = g + 1;
      while (e < n && P.fii(e) == P.fii(g)) ++e;
      roots_.push_back({g, static_cast<int>(nodes_.size())});
      grow(P, added, g, e);
      // The last index has no trees after it (and may be past the order).
      const dd_rowrange cut = e < n ? order[P.fii(g)] : 0;
      if (cut >= 1 && cut <= nw_ * 32) {
        const auto at = std::find_if(cut_rows_.begin(), cut_rows_.end(),
                                     [&](const auto &c) { return c.first < e - g; });
        cut_rows_.insert(at, {e - g, cut - 1});
      }
      g = e;
    }
    keys_.resize(static_cast<size_t>(std::max(n, 0L) * nw_));
    for (long q = 0; q < n; ++q) {
      const set_word *z = P.zero(items_[static_cast<size_t>(q)]);
      for (long k = 0; k < nw_; ++k)
        keys_[static_cast<size_t>(q * nw_ + k)] = z[k];
    }
  }

  // Walks the tree under root depth first: a node whose pruned(node, at)
  // holds is skipped with its subtree (at: the offset of its sets), and
  // leaf(q) is called for each ray position q of the leaves reached, until
  // it returns true; then so does the walk.
  template <class Pruned, class Leaf>
  bool walk(int root, std::vector<int> &stack, Pruned pruned, Leaf leaf) const
  {
    stack.assign(1, root);
    while (!stack.empty()) {
      const Node &node = nodes_[static_cast<size_t>(stack.back())];
      const size_t at = static_cast<size_t>(stack.back()) * static_cast<size_t>(nw_);
      stack.pop_back();
      if (pruned(node, at)) continue;
      if (node.left >= 0) {
        stack.push_back(node.left + 1);
        stack.push_back(node.left);
        continue;
      }
      for (long q = node.begin; q < node.end; ++q)
        if (leaf(q, keys_.data() + static_cast<size_t>(q * nw_))) return true;
    }
    return false;
  }

  // Calls found(j) for every ray j of the trees of the indices starting
  // at `from` or later that shares `need` rows of zi (added rows only)
  // and meets no row of skip.
  template <class Count, class F>
  void partners(const set_word *zi, const set_word *skip, long need, long from,
                std::vector<int> &stack, F found) const
  {
    const long nw = nw_;
    for (const auto &[first, root] : roots_) {
      if (first < from) continue;
      walk(root, stack,
           [&](const Node &node, size_t at) {
             const set_word *u = uni_.data() + at, *x = inter_.data() + at;
             long card = 0, outside = 0;
             set_word ruled_out = 0u;
             for (long k = 0; k < nw; ++k) {
               card += Count::of(zi[k] & u[k]);
               outside += Count::of(x[k] & added_[k] & ~zi[k]);
               ruled_out |= x[k] & skip[k];
             }
             return card < need || outside > node.most - need || ruled_out != 0u;
           },
           [&](long q, const set_word *key) {
             long c = 0;
             set_word ruled_out = 0u;
             for (long k = 0; k < nw; ++k) {
               c += Count::of(zi[k] & key[k]);
               ruled_out |= key[k] & skip[k];
             }
             if (c >= need && ruled_out == 0u) found(items_[static_cast<size_t>(q)]);
             return false;
           });
    }
  }

  // A ray other than i and j whose added zero rows hold face, or -1.
  long superset(const set_word *face, long i, long j, std::vector<int> &stack) const
  {
    const long nw = nw_;
    long t = -1;
    for (const auto &root : roots_) {
      const bool found = walk(
          root.second, stack,
          [&](const Node &, size_t at) {
            const set_word *u = uni_.data() + at;
            set_word missing = 0u;
            for (long k = 0; k < nw; ++k) missing |= face[k] & ~u[k];
            return missing != 0u;
          },
          [&](long q, const set_word *key) {
            set_word miss = 0u;
            for (long k = 0; k < nw; ++k) miss |= face[k] & ~key[k];
            t = items_[static_cast<size_t>(q)];
            return miss == 0u && t != i && t != j;
          });
      if (found) return t;
    }
    return -1;
  }

 private:
  struct Node {
    long begin, end;  // items_[begin, end)
    int left;         // children left and left + 1; -1 for a leaf
    long most;        // the most added zero rows of one of its rays
  };

  // The tree over the positions [b, e) of items_, splitting each node by
  // the first of cut_rows_ that splits it, else by the added row nearest
  // to half of its rays.  A cut row that splits no node splits none of
  // its subtrees: a node's search starts where its parent's ended.
  void grow(const PackedZeroRays &P, const set_word *added, long b, long e)
  {
    std::vector<std::pair<int, size_t>> todo{{new_node(P, added, b, e), 0}};
    while (!todo.empty()) {
      const auto [at, first_cut] = todo.back();
      todo.pop_back();
      const long nb = nodes_[static_cast<size_t>(at)].begin;
      const long ne = nodes_[static_cast<size_t>(at)].end;
      const long size = ne - nb;
      if (size <= forest_leaf) continue;
      long row = -1;
      size_t next_cut = first_cut;
      for (; next_cut < cut_rows_.size() && row < 0; ++next_cut) {
        const long r = cut_rows_[next_cut].second;
        long c = 0;
        for (long q = nb; q < ne; ++q) c += (P.zero(items_[static_cast<size_t>(q)])[r >> 5] >> (r & 31)) & 1u;
        if (c != 0 && c != size) row = r;
      }
      if (row < 0) row = balanced_row(P, added, nb, ne);
      if (row < 0) continue;  // the rays agree on every added row
      const long word = row >> 5;
      const set_word bit = set_word{1} << (row & 31);
      const auto mid = std::partition(
          items_.begin() + nb, items_.begin() + ne,
          [&](int t) { return (P.zero(t)[word] & bit) != 0u; });
      const long split = mid - items_.begin();
      const int left = new_node(P, added, nb, split);
      new_node(P, added, split, ne);
      nodes_[static_cast<size_t>(at)].left = left;
      todo.emplace_back(left + 1, next_cut);
      todo.emplace_back(left, next_cut);
    }
  }

  // The added row on which the rays of items_[nb, ne) are nearest to
  // half, or -1 when they agree on every added row.
  long balanced_row(const PackedZeroRays &P, const set_word *added, long nb, long ne)
  {
    const long size = ne - nb;
    std::fill(counts_.begin(), counts_.end(), 0);
    for (long q = nb; q < ne; ++q) {
      const set_word *z = P.zero(items_[static_cast<size_t>(q)]);
      for (long k = 0; k < nw_; ++k)
        for (set_word w = z[k] & added[k]; w != 0u; w &= w - 1u)
          ++counts_[static_cast<size_t>(k * 32 + std::countr_zero(w))];
    }
    long row = -1, best = size;
    for (long r = 0; r < nw_ * 32; ++r) {
      const long c = counts_[static_cast<size_t>(r)];
      if (c == 0 || c == size) continue;
      const long off = std::abs(2 * c - size);
      if (off < best) {
        best = off;
        row = r;
      }
    }
    return row;
  }

  int new_node(const PackedZeroRays &P, const set_word *added, long b, long e)
  {
    const int at = static_cast<int>(nodes_.size());
    const size_t base = uni_.size();
    uni_.resize(base + static_cast<size_t>(nw_), 0u);
    inter_.resize(base + static_cast<size_t>(nw_), ~set_word{0});
    long most = 0;
    for (long q = b; q < e; ++q) {
      const set_word *z = P.zero(items_[static_cast<size_t>(q)]);
      long on = 0;
      for (long k = 0; k < nw_; ++k) {
        uni_[base + static_cast<size_t>(k)] |= z[k] & added[k];
        inter_[base + static_cast<size_t>(k)] &= z[k];
        on += bit_count(z[k] & added[k]);
      }
      most = std::max(most, on);
    }
    nodes_.push_back({b, e, -1, most});
    return at;
  }

  long nw_ = 0;
  const set_word *added_ = nullptr;  // data words
  std::vector<Node> nodes_;
  std::vector<set_word> uni_, inter_;  // per node, nw words each
  std::vector<int> items_;             // packed positions, in leaf order
  std::vector<set_word> keys_;         // zero sets of items_
  std::vector<std::pair<long, int>> roots_;  // first position, root node
  std::vector<long> counts_;
  std::vector<std::pair<long, long>> cut_rows_;  // rays of the index, its cut row (from 0)
};

}  // namespace zonix::core

#endif  // ZONIX_CORE_ADJACENCY_HPP
