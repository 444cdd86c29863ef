// Internal helpers of the double description engine: the per-cone
// workspace, ray records and word-wise face tests.  Not a public header.
#ifndef ZONIX_CORE_INTERNAL_HPP
#define ZONIX_CORE_INTERNAL_HPP

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <span>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "zonixcore.h"
#include "zonixcore_bits.hpp"
#include "zonixcore_threads.hpp"
#include "zonixdd.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sched.h>
#include <sys/mman.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zonix::core {

// A bit set kept between calls within a workspace.  It is re-made, empty,
// when the requested ground size changes.
class ScratchSet {
 public:
  set_type get(long n)
  {
    const long g = n > 0 ? n : 1;
    if (words_.empty() || static_cast<long>(words_[0]) != g) {
      words_.assign(static_cast<size_t>(set_blocks(g)), 0u);
      words_[0] = static_cast<set_word>(g);
    }
    return words_.data();
  }

 private:
  std::vector<set_word> words_;
};

// A row of numbers kept between calls within a workspace, re-made
// (zeroed) when the requested length changes.
class ScratchRow {
 public:
  ScratchRow() = default;
  ScratchRow(const ScratchRow &) = delete;
  ScratchRow &operator=(const ScratchRow &) = delete;
  ~ScratchRow() { dd_FreeArow(len_, row_); }
  mytype *get(long d)
  {
    if (row_ == nullptr || d != len_) {
      dd_FreeArow(len_, row_);
      row_ = nullptr;
      dd_InitializeArow(d > 0 ? d : 1, &row_);
      len_ = d;
    }
    return row_;
  }

 private:
  dd_Arow row_ = nullptr;
  long len_ = -1;
};

// A ray record is one block: the record, a 4-byte tag, the zero set when
// the row count was known at creation, and the coordinates (d numbers, d
// at least 1).  The list walks read the record, the tag and the zero set:
// they stand together.  The tag holds flags in its low bits (below) and
// the number of the ray's entry in the ConflictTable of its run (0: no
// conflicts).  With a tag of 4 bytes, a zero set over 480 to 511 rows
// ends where the coordinates start, with no padding between them.
//
// The accuracy of a double ray (see ray_accuracy) is a float, rounded up,
// in the four bytes the record leaves between `feasible` and `ARay`: at a
// few hundred thousand rays a slot of its own is megabytes.  A record
// without that gap gives it a slot past the coordinates; exact rays have
// no accuracy to keep.
inline constexpr size_t ray_gap = offsetof(dd_RayType, feasible) + sizeof(dd_boolean);
inline constexpr bool accuracy_in_gap = offsetof(dd_RayType, ARay) >= ray_gap + sizeof(float);
#ifdef ZONIX_EXACT
inline constexpr bool accuracy_slot = false;
#else
inline constexpr bool accuracy_slot = !accuracy_in_gap;
#endif
using ray_tag_word = std::uint32_t;
static_assert(sizeof(dd_RayType) % alignof(ray_tag_word) == 0 && alignof(set_word) <= alignof(ray_tag_word));
inline dd_colrange ray_numbers(dd_colrange d) { return (d > 0 ? d : 1) + (accuracy_slot ? 1 : 0); }
inline constexpr size_t ray_align = alignof(mytype) > alignof(std::uintptr_t) ? alignof(mytype) : alignof(std::uintptr_t);
inline constexpr size_t round_to_ray_align(size_t n) { return (n + ray_align - 1) / ray_align * ray_align; }
inline constexpr size_t ray_tag_offset = sizeof(dd_RayType);
inline constexpr size_t ray_zero_set_offset = ray_tag_offset + sizeof(ray_tag_word);
// Where the coordinates start, after a zero set over 1..m (none for m <= 0).
inline size_t ray_numbers_offset(long m)
{
  const size_t sets = m > 0 ? static_cast<size_t>(set_blocks(m)) * sizeof(set_word) : 0;
  return round_to_ray_align(ray_zero_set_offset + sets);
}
// Bytes of a record with the zero set over 1..m inside (none for m <= 0).
inline size_t ray_block_size(dd_colrange d, long m)
{
  return ray_numbers_offset(m) + static_cast<size_t>(ray_numbers(d)) * sizeof(mytype);
}
inline ray_tag_word &ray_tag(dd_RayPtr r)
{
  return *reinterpret_cast<ray_tag_word *>(reinterpret_cast<char *>(r) + ray_tag_offset);
}
inline constexpr ray_tag_word zero_set_inline = 1;
inline constexpr ray_tag_word ray_pooled = 2;  // the block belongs to a RayPool
inline constexpr ray_tag_word tag_flags = 3;
inline constexpr int conflict_shift = 2;  // the entry number stands above the flags

// Sets up a zeroed block of ray_block_size(d, m) bytes (m > 0) or of the
// record without zero set (m <= 0) as a record with d zero coordinates
// and accuracy 0 (exact), an empty zero set of ground size m when m > 0,
// no conflicts, ARay 0 and no successor.
inline dd_RayPtr init_ray(char *block, dd_colrange d, long m)
{
  auto *r = reinterpret_cast<dd_RayPtr>(block);
  r->Ray = reinterpret_cast<mytype *>(block + ray_numbers_offset(m));
  // Zero bits are 0.0; rationals need their own start.
#ifdef ZONIX_EXACT
  for (dd_colrange j = 0; j < ray_numbers(d); ++j) ddd_init(r->Ray[j]);
#else
  (void)d;
#endif
  ddd_init(r->ARay);
  if (m > 0) {
    r->ZeroSet = reinterpret_cast<set_type>(block + ray_zero_set_offset);
    r->ZeroSet[0] = static_cast<set_word>(m);
    ray_tag(r) = zero_set_inline;
  }
  return r;
}

// A new ray record as init_ray makes it, allocated alone.
inline dd_RayPtr new_ray(dd_colrange d, long m = 0)
{
  return init_ray(static_cast<char *>(std::calloc(1, ray_block_size(d, m))), d, m);
}

// The rows a ray violates, as positions of OrderVector: the words lo..hi
// of a set over 1..m (the others empty).  Most rays of a run violate only
// rows late in the order, so a ray keeps just the words that hold
// conflicts (see ConflictTable).
struct Conflicts {
  long lo = 1, hi = 0;
  const set_word *w = nullptr;  // words lo..hi, or null when one is in `one`
  set_word one = 0;
  set_word word(long k) const
  {
    if (k < lo || k > hi) return 0u;
    return w != nullptr ? w[k - lo] : one;
  }
  // Whether position i (1-based) is a conflict.
  bool has(long i) const
  {
    if (i < 1) return false;
    const auto u = static_cast<unsigned long>(i - 1);
    return ((word(static_cast<long>(u >> 5) + 1) >> (u & 31u)) & 1u) != 0u;
  }
};

// The conflicts of a run's rays, apart from the records: few rays have
// any, and room for them in every record would cost more than this
// table.  An entry holds one conflict word inline or points
// to a block [lo, hi, words].  Entries stand in chunks that never move,
// each twice the one before, so that threads read entries while others
// are added; while the table is shared, adding and releasing take a lock.
class ConflictTable {
 public:
  ConflictTable() = default;
  ConflictTable(const ConflictTable &) = delete;
  ConflictTable &operator=(const ConflictTable &) = delete;
  ~ConflictTable()
  {
    for (std::uint32_t i = 0; i < top_; ++i)
      if ((entry(i) & 3u) == 0u) std::free(block_of(entry(i)));
    for (std::uint64_t *c : chunks_) std::free(c);
  }

  // The conflicts of a ray with this tag.
  Conflicts get(ray_tag_word tag) const
  {
    Conflicts c;
    const ray_tag_word s = tag >> conflict_shift;
    if (s == 0) return c;
    const std::uint64_t e = entry(s - 1);
    if ((e & 1u) != 0u) {
      c.lo = c.hi = static_cast<long>((e & 0xffffffffu) >> 1);
      c.one = static_cast<set_word>(e >> 32);
    } else {
      const set_word *b = block_of(e);
      c.lo = static_cast<long>(b[0]);
      c.hi = static_cast<long>(b[1]);
      c.w = b + 2;
    }
    return c;
  }

  // A thread's own entry numbers while the table is shared, taken some at
  // a time: adding then seldom takes the lock, whose line the threads
  // would otherwise pass to each other at every ray with conflicts, and a
  // thread writes entries that mostly stand beside its own.
  static constexpr std::uint32_t stock_size = 64;
  struct Stock {
    std::uint32_t n = 0;
    std::uint32_t ids[stock_size];
  };

  // A new entry for the set c over nw data words: its number (from 1),
  // or 0 when c is empty.  From the stock while the table is shared.
  ray_tag_word add(const set_word *c, long nw, Stock *stock = nullptr)
  {
    long lo = 1, hi = nw;
    while (lo <= nw && c[lo] == 0u) ++lo;
    if (lo > nw) return 0;
    while (c[hi] == 0u) --hi;
    std::uint64_t e;
    if (lo == hi && lo < (1L << 31)) {
      e = (static_cast<std::uint64_t>(c[lo]) << 32) | (static_cast<std::uint64_t>(lo) << 1) | 1u;
    } else {
      auto *b = static_cast<set_word *>(std::malloc(static_cast<size_t>(hi - lo + 3) * sizeof(set_word)));
      if (b == nullptr) throw std::bad_alloc();
      b[0] = static_cast<set_word>(lo);
      b[1] = static_cast<set_word>(hi);
      for (long k = lo; k <= hi; ++k) b[k - lo + 2] = c[k];
      e = reinterpret_cast<std::uintptr_t>(b);
    }
    if (shared_ && stock != nullptr) {
      if (stock->n == 0) fill(*stock, e);
      const std::uint32_t i = stock->ids[--stock->n];
      entry(i) = e;
      return i + 1;
    }
    const Hold hold(shared_ ? &busy_ : nullptr);
    std::uint32_t i = free_;
    if (i != 0) {
      --i;
      free_ = static_cast<std::uint32_t>(entry(i) >> 2);
    } else {
      i = top_;
      // The bound again, for GCC's array-bounds check, which loses it.
      std::uint64_t *&chunk = chunks_[i < max_entries ? chunk_of(i) : 0];
      if (i == max_entries || (chunk == nullptr && (chunk = static_cast<std::uint64_t *>(std::malloc(
                                                        (first_entries << chunk_of(i)) * sizeof(std::uint64_t)))) == nullptr)) {
        if ((e & 1u) == 0u) std::free(block_of(e));
        throw std::bad_alloc();
      }
      ++top_;
    }
    entry(i) = e;
    return i + 1;
  }

  // Whether threads may add or release entries at once (set and cleared
  // while no other thread runs): a run on one thread takes no lock.
  void share(bool shared) { shared_ = shared; }

  // Takes back the numbers left in a stock, while no other thread runs.
  void give_back(Stock &stock)
  {
    while (stock.n > 0) {
      const std::uint32_t i = stock.ids[--stock.n];
      entry(i) = (static_cast<std::uint64_t>(free_) << 2) | 2u;
      free_ = i + 1;
    }
  }

  // Gives back the entry of a ray with this tag, if it has one.
  void release(ray_tag_word tag)
  {
    const ray_tag_word s = tag >> conflict_shift;
    if (s == 0) return;
    std::uint64_t &e = entry(s - 1);
    if ((e & 1u) == 0u) std::free(block_of(e));
    const Hold hold(shared_ ? &busy_ : nullptr);
    e = (static_cast<std::uint64_t>(free_) << 2) | 2u;  // a free entry: bit 1
    free_ = s;
  }

 private:
  static constexpr int first_bits = 8;
  static constexpr std::uint32_t first_entries = 1u << first_bits;  // in chunk 0
  // Chunks enough for every number a tag holds.
  static constexpr int max_chunks = 32 - conflict_shift - first_bits;
  static constexpr std::uint32_t max_entries = first_entries * ((1u << max_chunks) - 1u);
  static int chunk_of(std::uint32_t i) { return std::bit_width(i + first_entries) - 1 - first_bits; }
  std::uint64_t &entry(std::uint32_t i) const
  {
    const int k = chunk_of(i);
    return chunks_[k][i + first_entries - (first_entries << k)];
  }
  static set_word *block_of(std::uint64_t e) { return reinterpret_cast<set_word *>(static_cast<std::uintptr_t>(e)); }
  // Fills an empty stock, the free entries first, handed out in the order
  // adding alone would take them; e is the entry being added, freed
  // should no number be had.
  void fill(Stock &stock, std::uint64_t e)
  {
    const Hold hold(&busy_);
    std::uint32_t got = 0;
    std::uint32_t ids[stock_size];
    for (; got < stock_size && free_ != 0; ++got) {
      ids[got] = free_ - 1;
      free_ = static_cast<std::uint32_t>(entry(free_ - 1) >> 2);
    }
    for (; got < stock_size; ++got) {
      const std::uint32_t i = top_;
      if (i >= max_entries) break;
      // The bound again, for GCC's array-bounds check, which loses it.
      std::uint64_t *&chunk = chunks_[i < max_entries ? chunk_of(i) : 0];
      if (chunk == nullptr &&
          (chunk = static_cast<std::uint64_t *>(std::malloc((first_entries << chunk_of(i)) * sizeof(std::uint64_t)))) ==
              nullptr)
        break;
      // Marked free, so that the table's release never reads it as a block.
      entry(i) = 2u;
      ++top_;
      ids[got] = i;
    }
    if (got == 0) {
      if ((e & 1u) == 0u) std::free(block_of(e));
      throw std::bad_alloc();
    }
    for (std::uint32_t k = 0; k < got; ++k) stock.ids[k] = ids[got - 1 - k];
    stock.n = got;
  }
  std::uint64_t *chunks_[max_chunks] = {};
  // What adding and releasing write, on a line apart from the chunks,
  // which every thread reads to find an entry.
  alignas(64) std::uint32_t top_ = 0;   // entries handed out so far
  std::uint32_t free_ = 0;  // the number of the first free entry (0: none)
  bool shared_ = false;
  // A spin lock: it is held for a few instructions, and a mutex would
  // make the threads sleep and wake on each other.
  std::atomic<bool> busy_{false};
  struct Hold {
    std::atomic<bool> *b;
    explicit Hold(std::atomic<bool> *busy) : b(busy)
    {
      if (b == nullptr) return;
      while (b->exchange(true, std::memory_order_acquire))
        while (b->load(std::memory_order_relaxed)) {
        }
    }
    ~Hold()
    {
      if (b != nullptr) b->store(false, std::memory_order_release);
    }
    Hold(const Hold &) = delete;
    Hold &operator=(const Hold &) = delete;
  };
};

inline Conflicts conflicts_of(const ConflictTable &t, dd_RayPtr r) { return t.get(ray_tag(r)); }

// Makes the conflicts of r those of the set c over nw data words (none
// when c is null or empty).
inline void set_conflicts(ConflictTable &t, dd_RayPtr r, const set_word *c, long nw,
                          ConflictTable::Stock *stock = nullptr)
{
  ray_tag_word &tag = ray_tag(r);
  t.release(tag);
  tag &= tag_flags;
  if (c != nullptr) tag |= t.add(c, nw, stock) << conflict_shift;
}

// Releases what a record holds apart from its block: numbers of exact
// runs, a zero set allocated apart, and its conflicts in t.
inline void release_ray_parts(dd_colrange d, dd_RayPtr r, ConflictTable *t)
{
  ddd_clear(r->ARay);
#ifdef ZONIX_EXACT
  for (dd_colrange j = 0; j < ray_numbers(d); ++j) ddd_clear(r->Ray[j]);
#else
  (void)d;
#endif
  if (t != nullptr) set_conflicts(*t, r, nullptr, 0);
  if ((ray_tag(r) & zero_set_inline) == 0u) set_free(r->ZeroSet);
}

// Releases a ray record with its coordinates and sets.  A record of a
// pool only gives up its parts; the pool keeps the block.  A record with
// conflicts gives them back to t, the table they are in.
inline void free_ray(dd_colrange d, dd_RayPtr r, ConflictTable *t = nullptr)
{
  if (r == nullptr) return;
  release_ray_parts(d, r, t);
  if ((ray_tag(r) & ray_pooled) == 0u) std::free(r);
}

// The ray records of a run, side by side in slabs: no allocation per ray
// and none of its overhead, which is large against records of a few
// hundred bytes.  Released records are reused, last released first.  The
// pool keeps the conflicts of the run's rays as well.
class RayPool {
 public:
  RayPool() = default;
  RayPool(const RayPool &) = delete;
  RayPool &operator=(const RayPool &) = delete;
  ~RayPool()
  {
    drop_free();
    for (char *s : slabs_) std::free(s);
  }

  ConflictTable &conflicts() { return conflicts_; }

  // A record for d coordinates and zero sets over 1..m (m > 0) as
  // init_ray sets it up, but for its coordinates and zero set: they hold
  // old values (or none), which storing the ray overwrites.
  dd_RayPtr get(dd_colrange d, long m)
  {
    bool fresh = false;
    char *b = take(d, m, &fresh);
    return ready(b, d, m, fresh);
  }

  // get in two steps: the block, untouched, then (on any thread) the
  // record set up in it.  Fresh blocks were never used: their pages are
  // first touched, and the cost of that paid, where the record is set up.
  char *take(dd_colrange d, long m, bool *fresh)
  {
    if (d != d_ || m != m_) {
      // Blocks of the old size may still be in use: only their reuse ends.
      drop_free();
      d_ = d;
      m_ = m;
      size_ = ray_block_size(d, m);
      next_ = end_ = nullptr;
    }
    *fresh = free_.empty();
    if (!*fresh) {
      dd_RayPtr r = free_.back();
      free_.pop_back();
      return reinterpret_cast<char *>(r);
    }
    if (next_ == end_) {
      slabs_.reserve(slabs_.size() + 1);
      char *s = new_slab(size_ * slab_slots_);
      slabs_.push_back(s);
      next_ = s;
      end_ = s + size_ * slab_slots_;
      if (size_ * slab_slots_ < max_slab_bytes) slab_slots_ *= 2;
    }
    char *b = next_;
    next_ += size_;
    return b;
  }
  static dd_RayPtr ready(char *b, dd_colrange d, long m, bool fresh)
  {
    if (!fresh) {
      auto *r = reinterpret_cast<dd_RayPtr>(b);
      r->Next = nullptr;
      r->FirstInfeasIndex = 0;
      r->feasible = dd_FALSE;
      ddd_set(r->ARay, dd_purezero);
      return r;
    }
    // The record and its tag only: the zero set and the coordinates are
    // written when the ray is stored, as for a reused record.
    std::memset(b, 0, ray_zero_set_offset);
    dd_RayPtr r = init_ray(b, d, m);
    ray_tag(r) |= ray_pooled;
    return r;
  }

  // Takes back a record of d coordinates (from get or new_ray).
  void put(dd_RayPtr r, dd_colrange d)
  {
    if ((ray_tag(r) & ray_pooled) == 0u || d != d_) {
      free_ray(d, r, &conflicts_);
      return;
    }
    set_conflicts(conflicts_, r, nullptr, 0);
    free_.push_back(r);
  }

 private:
  // Slabs double up to this size.  Blocks this large the C library maps
  // apart instead of carving them from its heap, whatever it was tuned to
  // by earlier releases, and their pages count only once records are
  // handed out: no slab then sits in a heap that keeps released scratch.
  static constexpr size_t max_slab_bytes = size_t{32} << 20;
  // The whole huge pages of a large slab are marked for huge pages:
  // tens of megabytes of records are otherwise many thousands of small
  // page faults, dear in a virtual machine and dearer once a second
  // thread shares the address
  // space, and their walks miss the TLB less.  Pages count once touched,
  // as before, but two megabytes at a time: the slab being filled holds
  // at most one more.
  static constexpr size_t huge_page_bytes = size_t{2} << 20;
  static char *new_slab(size_t bytes)
  {
    auto *p = static_cast<char *>(std::malloc(bytes));
    if (p == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes >= 2 * huge_page_bytes) {
      const auto at = reinterpret_cast<std::uintptr_t>(p);
      const std::uintptr_t from = (at + huge_page_bytes - 1) & ~(std::uintptr_t{huge_page_bytes} - 1);
      const std::uintptr_t to = (at + bytes) & ~(std::uintptr_t{huge_page_bytes} - 1);
      if (to > from) madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
    }
#endif
    return p;
  }
  void drop_free()
  {
    for (dd_RayPtr r : free_) release_ray_parts(d_, r, &conflicts_);
    free_.clear();
  }
  ConflictTable conflicts_;  // outlives the records' release in ~RayPool
  dd_colrange d_ = -1;
  long m_ = -1;
  size_t size_ = 0;
  size_t slab_slots_ = 64;
  char *next_ = nullptr, *end_ = nullptr;
  std::vector<char *> slabs_;
  std::vector<dd_RayPtr> free_;
};

// The edge nodes of a run, side by side in chunks: a node costs its 24
// bytes instead of a heap block of 32, and at the end of a large run,
// where the last edges are consumed as the most rays are made, the nodes
// go back as a
// few large blocks that the ray slabs can take over.  Released nodes are
// reused, last released first; the chunks go when no node is in use, or
// when most are free and the nodes in use move to fresh ones.
class EdgePool {
 public:
  EdgePool() = default;
  EdgePool(const EdgePool &) = delete;
  EdgePool &operator=(const EdgePool &) = delete;
  ~EdgePool() { release(); }

  dd_AdjacencyPtr get()
  {
    ++live_;
    if (free_ != nullptr) {
      dd_AdjacencyPtr e = free_;
      free_ = e->Next;
      return e;
    }
    if (next_ == end_) {
      auto *c = static_cast<dd_AdjacencyPtr>(std::malloc(chunk_nodes_ * sizeof(dd_AdjacencyType)));
      if (c == nullptr) {
        --live_;
        throw std::bad_alloc();
      }
      try {
        chunks_.push_back(c);
      } catch (...) {
        std::free(c);
        --live_;
        throw;
      }
      next_ = c;
      end_ = c + chunk_nodes_;
      if (chunk_nodes_ < max_chunk_nodes) chunk_nodes_ *= 2;
    }
    ++made_;
    return next_++;
  }

  // Whether a third of the nodes made are free again, and enough that
  // moving the rest to fresh chunks (see compact_edges) pays.
  bool sparse() const { return made_ >= min_sparse_nodes && 2 * made_ > 3 * live_; }

  void swap(EdgePool &o) noexcept
  {
    std::swap(chunk_nodes_, o.chunk_nodes_);
    std::swap(live_, o.live_);
    std::swap(made_, o.made_);
    std::swap(free_, o.free_);
    std::swap(next_, o.next_);
    std::swap(end_, o.end_);
    chunks_.swap(o.chunks_);
  }

  void put(dd_AdjacencyPtr e)
  {
    e->Next = free_;
    free_ = e;
    if (--live_ == 0) release();
  }

 private:
  // Chunks grow to this many nodes (about 1 MB, the size of a ray slab).
  static constexpr size_t max_chunk_nodes = 1 << 15;
  void release()
  {
    for (dd_AdjacencyPtr c : chunks_) std::free(c);
    chunks_.clear();
    free_ = next_ = end_ = nullptr;
    live_ = made_ = 0;
    chunk_nodes_ = first_chunk_nodes;
  }
  static constexpr size_t first_chunk_nodes = 64;
  // Below this many nodes made (under a megabyte) the chunks stay.
  static constexpr long min_sparse_nodes = 1 << 15;
  size_t chunk_nodes_ = first_chunk_nodes;
  long live_ = 0, made_ = 0;  // nodes in use, nodes taken from chunks
  dd_AdjacencyPtr free_ = nullptr, next_ = nullptr, end_ = nullptr;
  std::vector<dd_AdjacencyPtr> chunks_;
};

// *val := row . p over d entries, summed from exact zero in increasing
// column order (the value dd_AValue gives, without the call).
inline void row_dot(mytype val, const mytype *row, const mytype *p,
                    dd_colrange d)
{
#ifdef ZONIX_EXACT
  // Inline integers summed in a local 128-bit register; GMP takes over
  // from the start at the first large number or overflow.
  __int128 acc = 0;
  dd_colrange k = 0;
  for (; k < d; ++k) {
    if ((ddd_big(row[k]) | ddd_big(p[k])) != 0 ||
        __builtin_add_overflow(acc, static_cast<__int128>(row[k]->v) * p[k]->v, &acc))
      break;
  }
  if (k == d) {
    ddd_set_i128(val, acc);
    return;
  }
#endif
  ddd_set(val, dd_purezero);
  for (dd_colrange j = 0; j < d; ++j) ddd_addmul(val, row[j], p[j]);
}

// ---- rounding residues ------------------------------------------------------
// The tolerance dd_zero is absolute.  Alone it fails once the terms of a
// value are large: the rounding residue of a sum grows with its terms
// while the tolerance stays put, so a value that is 0 in exact arithmetic
// comes out beyond 1e-7 and a ray falls off a row it lies on, or a
// coordinate that is exactly 0 stays as a residue that the normalisation
// then divides by.
//
// So each ray carries the accuracy of its coordinates, an absolute bound
// E on their error as far as it can be seen: the largest residue the ray
// shows on the rows it lies on by construction, each divided by the
// 1-norm of its row (the least coordinate error that explains it).  A
// value of the ray on row k, whose exact value is within E * |A_k|_1 of
// the computed one plus the rounding of the sum itself ((d+1) u times the
// absolute sum of its terms), is taken as zero within residue_factor
// times that bound.  The test only adds zeros beyond the absolute
// tolerance: for exact rays and small terms it decides as the absolute
// test does.

// Unit roundoff of the number type; rationals round nothing, and every
// bound built on it vanishes.
#ifdef ZONIX_EXACT
inline constexpr double unit_roundoff = 0.0;
#else
inline constexpr double unit_roundoff = 0x1p-53;
#endif
// Whether numbers round at all.  Exact runs skip the residue bounds, which
// are 0 for them, and keep rows and rays as primitive integer vectors.
inline constexpr bool numbers_round = unit_roundoff > 0.0;

// Safety factor over the bounds: the rows a ray is measured on are a
// sample of its errors, not their maximum, and first-order bounds leave
// out how errors compound.  On cyclic polytopes (the hardest family we
// know for doubles) factors from 64 to 256 give correct results wherever
// any factor does; below, true zeros are missed, above, small true values
// start to be taken as zeros.
inline constexpr double residue_factor = 128.0;

// The accuracy of a ray (see ray_numbers for where it is kept).  Only
// rays made by new_ray have it.
inline double ray_accuracy(dd_RayPtr r, dd_colrange d)
{
  if constexpr (!numbers_round) {
    return 0.0;
  } else if constexpr (accuracy_in_gap) {
    float e;
    std::memcpy(&e, reinterpret_cast<const char *>(r) + ray_gap, sizeof e);
    return e;
  } else {
    return ddd_get_d(r->Ray[d > 0 ? d : 1]);
  }
}
inline void set_ray_accuracy(dd_RayPtr r, dd_colrange d, double e)
{
  if constexpr (!numbers_round) {
    return;
  } else if constexpr (accuracy_in_gap) {
    // Rounded up: a bound must not shrink.
    auto f = static_cast<float>(e);
    if (static_cast<double>(f) < e) f = std::nextafter(f, std::numeric_limits<float>::infinity());
    std::memcpy(reinterpret_cast<char *>(r) + ray_gap, &f, sizeof f);
  } else {
    ddd_set_d(r->Ray[d > 0 ? d : 1], e);
  }
}

// x with its sign bit flipped when flip: -x without a jump.  The signs of
// values at new rays are a coin toss, and a mispredicted jump costs more
// than these few operations.
inline double negate_if(double x, bool flip)
{
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) ^ (static_cast<std::uint64_t>(flip) << 63));
}

#ifndef ZONIX_EXACT
// Whether a double lies within the tolerance, as dd_EqualToZero decides,
// without the jump between its two tests (written as the two tests, the
// compiler puts the jump back).
inline bool within_tolerance(double x)
{
#if defined(__SSE2__)
  const __m128d v = _mm_set_sd(x);
  const __m128d z = _mm_setzero_pd();
  const __m128d nonnegative = _mm_cmpge_sd(_mm_sub_sd(v, _mm_set_sd(ddd_get_d(dd_minuszero))), z);
  const __m128d nonpositive = _mm_cmpngt_sd(_mm_sub_sd(v, _mm_set_sd(ddd_get_d(dd_zero))), z);
  return (_mm_movemask_pd(_mm_and_pd(nonnegative, nonpositive)) & 1) != 0;
#else
  return static_cast<bool>(static_cast<int>(x - ddd_get_d(dd_minuszero) >= 0.0) &
                           static_cast<int>(!(x - ddd_get_d(dd_zero) > 0.0)));
#endif
}
#endif

// v divided by its entry of least magnitude beyond the tolerance (near
// ties keep the first found); v as it is when every entry is within it.
inline void divide_by_least(dd_colrange d, mytype *v)
{
  if (d <= 0) return;
  auto tol_abs = [](mytype r, const mytype a) {
#ifndef ZONIX_EXACT
    // dd_Negative(a) is !(a - dd_minuszero >= 0).
    ddd_set_d(r, negate_if(ddd_get_d(a), !(ddd_get_d(a) - ddd_get_d(dd_minuszero) >= 0.0)));
#else
    if (dd_Negative(a))
      ddd_neg(r, a);
    else
      ddd_set(r, a);
#endif
  };
  mytype least, t;
  ddd_init(least);
  ddd_init(t);
  tol_abs(least, v[0]);
  bool found = dd_Positive(least);
  for (dd_colrange j = 1; j < d; ++j) {
    tol_abs(t, v[j]);
    if (dd_Positive(t) && (!found || dd_Smaller(t, least))) {
      ddd_set(least, t);
      found = true;
    }
  }
  if (dd_Positive(least))
    for (dd_colrange j = 0; j < d; ++j) ddd_div(v[j], v[j], least);
  ddd_clear(least);
  ddd_clear(t);
}

// |a| exactly (dd_abs keeps values within the tolerance as they are).
inline void exact_abs(mytype r, const mytype a)
{
#ifndef ZONIX_EXACT
  // ddd_sgn(a) < 0 is !(a >= 0).
  ddd_set_d(r, negate_if(ddd_get_d(a), !(ddd_get_d(a) >= 0.0)));
#else
  if (ddd_sgn(a) < 0)
    ddd_neg(r, a);
  else
    ddd_set(r, a);
#endif
}

// A row's value at a point with what its error bound needs.
struct RowValue {
  mytype val;   // row . p
  mytype mag;   // sum of |row_j * p_j|
  mytype norm;  // sum of |row_j|
};

// v[q] := the value of rows[q] at p, q < N, each summed as row_dot sums
// it (from exact zero in increasing column order).  The N sums are interleaved: each is a chain of
// dependent additions, and N chains side by side run in the time of one.
template <int N>
inline void rows_eval(RowValue *v, const mytype *const *rows, const mytype *p,
                      dd_colrange d)
{
  if constexpr (!numbers_round) {
    // Exact sums need no bounds; summed in place, as a temporary costs
    // an allocation.
    for (int q = 0; q < N; ++q) row_dot(v[q].val, rows[q], p, d);
    return;
  }
  mytype x, ax, val[N], mag[N], norm[N];
  ddd_init(x);
  ddd_init(ax);
  for (int q = 0; q < N; ++q) {
    ddd_set(val[q], dd_purezero);
    ddd_set(mag[q], dd_purezero);
    ddd_set(norm[q], dd_purezero);
  }
  for (dd_colrange j = 0; j < d; ++j) {
    for (int q = 0; q < N; ++q) {
      ddd_mul(x, rows[q][j], p[j]);
      ddd_add(val[q], val[q], x);
      exact_abs(ax, x);
      ddd_add(mag[q], mag[q], ax);
      exact_abs(ax, rows[q][j]);
      ddd_add(norm[q], norm[q], ax);
    }
  }
  for (int q = 0; q < N; ++q) {
    ddd_set(v[q].val, val[q]);
    ddd_set(v[q].mag, mag[q]);
    ddd_set(v[q].norm, norm[q]);
  }
  ddd_clear(x);
  ddd_clear(ax);
}

// v := the value of row at p (summed as row_dot does).
inline void row_eval(RowValue &v, const mytype *row, const mytype *p,
                     dd_colrange d)
{
  rows_eval<1>(&v, &row, p, d);
}

// val[q] := the value of rows[q] at p alone (q < N <= 4), summed as
// row_dot sums it.  The sums run in four named locals: kept in an array,
// or in val (which may alias the rows for all the compiler knows), they
// are stored and reloaded at every step.
template <int N>
inline void rows_value(mytype *val, const mytype *const *rows, const mytype *p,
                       dd_colrange d)
{
  static_assert(N >= 1 && N <= 4);
  if constexpr (!numbers_round) {
    for (int q = 0; q < N; ++q) row_dot(val[q], rows[q], p, d);
    return;
  }
  mytype a0, a1, a2, a3;
  ddd_set(a0, dd_purezero);
  if constexpr (N > 1) ddd_set(a1, dd_purezero);
  if constexpr (N > 2) ddd_set(a2, dd_purezero);
  if constexpr (N > 3) ddd_set(a3, dd_purezero);
  for (dd_colrange j = 0; j < d; ++j) {
    ddd_addmul(a0, rows[0][j], p[j]);
    if constexpr (N > 1) ddd_addmul(a1, rows[1][j], p[j]);
    if constexpr (N > 2) ddd_addmul(a2, rows[2][j], p[j]);
    if constexpr (N > 3) ddd_addmul(a3, rows[3][j], p[j]);
  }
  ddd_set(val[0], a0);
  if constexpr (N > 1) ddd_set(val[1], a1);
  if constexpr (N > 2) ddd_set(val[2], a2);
  if constexpr (N > 3) ddd_set(val[3], a3);
}

// val[q] := the value of row at points[q] alone, likewise.
template <int N>
inline void points_value(mytype *val, const mytype *row,
                         const mytype *const *points, dd_colrange d)
{
  static_assert(N >= 1 && N <= 4);
  if constexpr (!numbers_round) {
    for (int q = 0; q < N; ++q) row_dot(val[q], row, points[q], d);
    return;
  }
  mytype a0, a1, a2, a3;
  ddd_set(a0, dd_purezero);
  if constexpr (N > 1) ddd_set(a1, dd_purezero);
  if constexpr (N > 2) ddd_set(a2, dd_purezero);
  if constexpr (N > 3) ddd_set(a3, dd_purezero);
  for (dd_colrange j = 0; j < d; ++j) {
    ddd_addmul(a0, row[j], points[0][j]);
    if constexpr (N > 1) ddd_addmul(a1, row[j], points[1][j]);
    if constexpr (N > 2) ddd_addmul(a2, row[j], points[2][j]);
    if constexpr (N > 3) ddd_addmul(a3, row[j], points[3][j]);
  }
  ddd_set(val[0], a0);
  if constexpr (N > 1) ddd_set(val[1], a1);
  if constexpr (N > 2) ddd_set(val[2], a2);
  if constexpr (N > 3) ddd_set(val[3], a3);
}

// The largest |p_j|.
inline double max_abs(const mytype *p, dd_colrange d)
{
  double r = 0.0;
  mytype a;
  ddd_init(a);
  for (dd_colrange j = 0; j < d; ++j) {
    exact_abs(a, p[j]);
    if (ddd_get_d(a) > r) r = ddd_get_d(a);
  }
  ddd_clear(a);
  return r;
}

// Brings a ray to the scale it is stored at.  Doubles are divided by
// their smallest entry beyond the tolerance (dd_Normalize); rationals
// become the primitive integer vector of the same direction, on which the
// integer paths of the number primitives run.  Positive factors only.
void scale_ray(dd_colrange d, mytype *v);

// Divides the weights of a combination by their common factor: for
// integers their gcd, for doubles nothing.
void reduce_weights(mytype a, mytype b);

#ifdef ZONIX_EXACT
// Makes v the primitive integer vector of its direction: clears the
// denominators, then divides by the gcd of the entries.
void make_primitive(dd_colrange d, mytype *v);

// Entries beyond this many limbs are not approximated: the products of two
// approximations must stay far from overflow (6 limbs: below 2^384).
inline constexpr int approx_limbs = 6;

// out[j] := a double near v[j] (within a relative 2^-52: GMP truncates),
// for the sign filter.  False when some entry is not an integer or is
// too large.
inline bool approximate(const mytype *v, dd_colrange d, double *out)
{
  for (dd_colrange j = 0; j < d; ++j) {
    if (!ddd_big(v[j])) {
      out[j] = static_cast<double>(v[j]->v);
      continue;
    }
    mpq_srcptr q = ddd_bigq(v[j]);
    if (!ddd_q_integral(q)) return false;
    const int size = q->_mp_num._mp_size;
    if (size > approx_limbs || size < -approx_limbs) return false;
    out[j] = mpz_get_d(mpq_numref(q));
  }
  return true;
}

// The sign of the product of two integer vectors from their
// approximations, or 2 when the rounding bound cannot tell it from 0.
// Each term is off by at most 5 units of roundoff (two truncations and a
// product), the sum adds d - 1 more; twice that is the bound.
inline int filtered_sign(const double *a, const double *b, dd_colrange d)
{
  double s = 0.0, mag = 0.0;
  for (dd_colrange j = 0; j < d; ++j) {
    const double t = a[j] * b[j];
    s += t;
    mag += std::fabs(t);  // no branch on the sign
  }
  // Nonzero integers approximate to nonzero doubles: all terms vanish
  // only when the exact ones do.
  if (mag == 0.0) return 0;
  // Below 2^53 every factor, product and partial sum is an integer a
  // double holds (an entry beyond 2^53 would make its term that large):
  // s is exact.  Rows of small integers mostly vanish here.
  if (mag < 0x1p53) return (s > 0.0) - (s < 0.0);
  const double bound = mag * (2.0 * static_cast<double>(d) + 16.0) * 0x1p-53;
  if (s > bound) return 1;
  if (s < -bound) return -1;
  return 2;
}
#endif

// The 1-norms of a cone's rows (as row_eval sums them), kept in the
// cone's workspace.  The engine forgets them whenever the rows may have
// changed (a new run, scaling, column reduction).
class RowNorms {
 public:
  const double *get(dd_ConePtr cone)
  {
    if (cone != cone_ || cone->A != rows_ || cone->m != m_ || cone->d != d_) refill(cone);
    return norms_.data();
  }
  // Apart, so that get's test is inlined where rays are stored.
  [[gnu::noinline]] void refill(dd_ConePtr cone)
  {
    cone_ = cone;
    rows_ = cone->A;
    m_ = cone->m;
    d_ = cone->d;
    norms_.assign(static_cast<size_t>(m_ > 0 ? m_ : 0) + 1, 0.0);
    mytype a;
    ddd_init(a);
    for (dd_rowrange k = 1; k <= m_; ++k) {
      double n = 0.0;
      for (dd_colrange j = 0; j < d_; ++j) {
        exact_abs(a, cone->A[k - 1][j]);
        n += ddd_get_d(a);
      }
      norms_[static_cast<size_t>(k)] = n;
    }
    ddd_clear(a);
  }
  void forget(dd_ConePtr cone)
  {
    if (cone == cone_) cone_ = nullptr;
#ifdef ZONIX_EXACT
    if (cone == approx_cone_) approx_cone_ = nullptr;
#endif
  }

#ifdef ZONIX_EXACT
  // Doubles near the rows' entries, d per row (see approximate); a row
  // that has none is marked in approx_ok with 0.  With `largest`, the
  // largest |entry| of each row as well.
  const double *approx(dd_ConePtr cone, const unsigned char **ok,
                       const double **largest = nullptr)
  {
    if (cone != approx_cone_ || cone->A != approx_rows_ || cone->m != approx_m_ ||
        cone->d != approx_d_) {
      approx_cone_ = cone;
      approx_rows_ = cone->A;
      approx_m_ = cone->m;
      approx_d_ = cone->d;
      const size_t m = static_cast<size_t>(approx_m_ > 0 ? approx_m_ : 0);
      const size_t d = static_cast<size_t>(approx_d_ > 0 ? approx_d_ : 0);
      approx_.assign((m + 1) * d, 0.0);
      approx_ok_.assign(m + 1, 0);
      approx_max_.assign(m + 1, 0.0);
      for (size_t k = 1; k <= m; ++k) {
        approx_ok_[k] = approximate(cone->A[k - 1], approx_d_, approx_.data() + k * d) ? 1 : 0;
        for (size_t j = 0; j < d; ++j)
          approx_max_[k] = std::max(approx_max_[k], std::fabs(approx_[k * d + j]));
      }
    }
    *ok = approx_ok_.data();
    if (largest != nullptr) *largest = approx_max_.data();
    return approx_.data();
  }
#endif

 private:
  dd_ConePtr cone_ = nullptr;
  dd_Amatrix rows_ = nullptr;
  dd_rowrange m_ = -1;
  dd_colrange d_ = -1;
  std::vector<double> norms_;
#ifdef ZONIX_EXACT
  dd_ConePtr approx_cone_ = nullptr;
  dd_Amatrix approx_rows_ = nullptr;
  dd_rowrange approx_m_ = -1;
  dd_colrange approx_d_ = -1;
  std::vector<double> approx_;
  std::vector<unsigned char> approx_ok_;
  std::vector<double> approx_max_;
#endif
};

// What making and storing one ray uses: the combination row, the values
// and weights of the two rays combined, what the combination hands to the
// storing, and the rows to evaluate with their signs.
struct alignas(64) RayScratch {  // on lines of its own: a thread writes it per ray
  ScratchRow new_ray_row;
  RowValue combined[2];
  mytype weights[2];
  // The accuracy of the ray being stored, for its zero tests (0 when the
  // storing functions are called directly).
  double storing_accuracy = 0.0;
  // The accuracy the combination found for the ray it hands on; negative
  // for every other caller, whose rays are measured on the rows.
  double pending_accuracy = -1.0;
  // The rays combined and the row they were combined on: rows where both
  // vanish, and that row, vanish at the new ray (null for other callers).
  const set_word *pending_zero1 = nullptr;
  const set_word *pending_zero2 = nullptr;
  dd_rowrange pending_row = 0;
  // Their conflict sets, where the run keeps them.
  Conflicts pending_conflict1, pending_conflict2;
  ScratchSet conflict_build;  // the conflicts of the ray being stored
  ConflictTable::Stock conflict_stock;  // while the threads store rays
  std::vector<dd_rowrange> eval_positions;
  std::vector<int> stored_signs;
  std::vector<double> ray_approx;
  long alarms = 0;          // numerical alarms not yet handed to the run
  long snapped = 0;         // values snapped to zero, not yet handed on
  void clear_pending()
  {
    storing_accuracy = 0.0;
    pending_zero1 = pending_zero2 = nullptr;
    pending_conflict1 = pending_conflict2 = Conflicts();
    pending_row = 0;
  }
};

// An array of rays in chunks of a fixed size: it grows without a second
// copy beside the rays, which late in a run would be megabytes, and gives
// chunks back as it shrinks.
class RayArray {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  dd_RayPtr &operator[](size_t k) { return chunks_[k >> shift][k & mask]; }
  dd_RayPtr front() const { return chunks_[0][0]; }
  dd_RayPtr back() const { return chunks_[(size_ - 1) >> shift][(size_ - 1) & mask]; }
  void push_back(dd_RayPtr r)
  {
    if ((size_ >> shift) == chunks_.size()) chunks_.emplace_back(new dd_RayPtr[chunk]);
    (*this)[size_++] = r;
  }
  // Keeps the first n (n <= size()).
  void shrink(size_t n)
  {
    size_ = n;
    chunks_.resize((n + mask) >> shift);
  }
  void clear() { shrink(0); }
  // Moves the n entries from `from` on to `to` on (to < from).
  void move_down(size_t to, size_t from, size_t n)
  {
    while (n > 0) {
      const size_t a = std::min({n, chunk - (to & mask), chunk - (from & mask)});
      std::memmove(&(*this)[to], &(*this)[from], a * sizeof(dd_RayPtr));
      to += a;
      from += a;
      n -= a;
    }
  }
  void reverse()
  {
    if (size_ < 2) return;
    for (size_t i = 0, j = size_ - 1; i < j; ++i, --j) std::swap((*this)[i], (*this)[j]);
  }

 private:
  static constexpr int shift = 15;  // chunks of 256 KB
  static constexpr size_t chunk = size_t{1} << shift, mask = chunk - 1;
  std::vector<std::unique_ptr<dd_RayPtr[]>> chunks_;
  size_t size_ = 0;
};

// Bucket heads and tails for sorting the zero rays by FirstInfeasIndex.
// Every head is null between uses, so that a pass clears only the buckets
// it filled, not all m of them on every iteration.
struct ZeroBuckets {
  std::vector<dd_RayPtr> head, tail;
  std::vector<long> count;  // rays in each bucket
  std::vector<long> used;  // the buckets a sort filled
  void reset(long n)
  {
    if (head.size() >= static_cast<size_t>(n)) return;
    head.resize(static_cast<size_t>(n), nullptr);
    tail.resize(static_cast<size_t>(n), nullptr);
    count.resize(static_cast<size_t>(n), 0);
  }
};

// Consecutive rays of a list: the first, the last and how many.
struct ListRun {
  dd_RayPtr first, last;
  long count;
};

// The scratch of edge filing (zonixcore_edges.cpp).
struct EdgeScratch;

// The first and last ray of each sign (negative, zero, positive) in a
// block of the split on a new row.
struct SplitEnds {
  dd_RayPtr first[3], last[3];
  long count[3];
};

// What a block of the split of a list known whole leaves: its kept rays
// at the front of its range [begin, end) of the list's array, the first
// and last of them, and its negative and zero rays linked as their lists
// (head the last met).
struct KnownSplitBlock {
  size_t begin = 0, end = 0, kept = 0;
  dd_RayPtr pos_head = nullptr, pos_last = nullptr;
  dd_RayPtr head[2] = {nullptr, nullptr}, last[2] = {nullptr, nullptr};  // negative, zero
  std::vector<dd_RayPtr> negatives;  // in the order met
};


// An upper bound of value_bound for a row of 1-norm `norm` at a point whose
// largest entry is pmax (the sum of |terms| is at most norm * pmax; the
// last factor covers the rounding of both sides).
inline double value_bound_above(double norm, double pmax, double e,
                                dd_colrange d)
{
  return residue_factor *
         (e * norm + static_cast<double>(d + 1) * unit_roundoff * norm * pmax) *
         1.001;
}

// Sets val to exact zero when |val| <= bound but val is outside the
// absolute tolerance, so that every later sign test (all of them
// absolute) sees a zero.  Values the absolute test takes as zero already
// are left as they are.  True when it snapped: a zero the error bounds
// make likely, not certain.
inline bool snap_residue(mytype val, double bound)
{
#ifndef ZONIX_EXACT
  if (within_tolerance(ddd_get_d(val))) return false;
#else
  if (dd_EqualToZero(val)) return false;
#endif
  mytype a;
  ddd_init(a);
  exact_abs(a, val);
  const bool snapped = ddd_get_d(a) <= bound;
  if (snapped) ddd_set(val, dd_purezero);
  ddd_clear(a);
  return snapped;
}

// The bound of a row value v at a ray of accuracy e in d coordinates.
inline double value_bound(const RowValue &v, double e, dd_colrange d)
{
  return residue_factor *
         (e * ddd_get_d(v.norm) +
          static_cast<double>(d + 1) * unit_roundoff * ddd_get_d(v.mag));
}

// The least coordinate error that explains the residue of a value that is
// zero in exact arithmetic.
inline double residue_accuracy(const RowValue &v)
{
  const double n = ddd_get_d(v.norm);
  if (n <= 0.0) return 0.0;
  const double a = ddd_get_d(v.val);
  return (a < 0 ? -a : a) / n;
}

}  // namespace zonix::core

// What the runs of one cone keep between calls, in three parts: how the
// run is to go (settings a caller or a test may move, and the constants
// they are measured against), where it stands (its alarms and the
// bookkeeping of its iterations), and the storage it reuses (scratch,
// record pools, the thread pool).  Owned by the cone (made with it,
// released with it), so that nothing of a run is shared with another.

// How the run is to go.  None of these changes a result.
struct dd_run_settings {
  // Lists of third-ray candidates longer than this are indexed by row when
  // edges are filed; shorter ones are walked, which is faster for them.
  // Either way gives the same run, so tests may move it to compare.
  long third_ray_index_threshold = 32;
  // Threads the run may use (at least 1); results do not depend on it.
  int threads = 1;
  // Whether pairs with a simple ray skip the third-ray search (see
  // simple_ray); the same edges either way, so tests may turn it off.
  bool simple_rays = true;
  // Whether dd_DDMain checks the finished list (numerically_inconsistent);
  // off for a caller that proves every output row and finds no ray
  // missing on its own (settle_from_double), alarms still counting.
  bool final_checks = true;
  // The pair tests of dd_UpdateEdges.
  // Pairs worth more threads: below, starting them costs about what the
  // pairs do, a thread start being worth thousands of pair tests.  And
  // the least pairs a block holds, so that the blocks' bookkeeping stays
  // small.  Results do not depend on either: tests may move them to run
  // small cones on several threads.
  double parallel_pairs = 1 << 15;
  double block_pairs = 1 << 12;
  // Partners per ray, on average, from which they are searched through
  // trees of zero sets instead of walked; the same edges either way.
  double forest_pairs = 64;
  // New rays of an iteration worth more threads (a new ray costs far less
  // than the wake-up of a pass), and the rays a thread takes at
  // a time.  Tests may move them as well.
  long parallel_rays = 1 << 8;
  long block_rays = 1 << 7;
  static constexpr long split_rays_per_ray = 16;
  // Splits run on threads from this many times parallel_rays *
  // split_rays_per_ray rays: a ray of a split is cheaper still.
  static constexpr long split_threads_from = 16;
  // The passes over the zero rays of an iteration before its pair tests
  // (cheaper per ray than a new ray) take threads from this many times
  // parallel_rays rays, in blocks of at least block_rays: a pass costs a
  // wake-up.
  static constexpr long zero_pass_rays_per_ray = 8;
  bool zero_pass_threads(long n) const { return threads > 1 && n >= parallel_rays * zero_pass_rays_per_ray; }
  // Rays a block of such a pass takes: enough blocks for the threads to
  // finish together, no more than the split's.
  long zero_pass_block(long n) const
  {
    const long most = std::max<long>(1, block_rays * split_rays_per_ray);
    const long share = (n + 4 * threads - 1) / (4 * threads);
    return std::clamp<long>(share, std::max<long>(1, block_rays), most);
  }
  // The splits of the last iterations that walk the list instead of
  // keeping it as an array (see split_on_new_row): the last iterations
  // hold the largest lists, beside which the arrays would stand.
  static constexpr long walked_splits = 8;
  // The last splits, which reverse the positive run of the list; those
  // before them keep its order.
  static constexpr long reversing_splits = 6;
};

// Where the run stands.
struct dd_run_state {
  // Signs that rounding has already decided something wrongly in this
  // run: a new ray whose residues on the rows it must lie on are far
  // beyond rounding (the two rays combined were in truth both on the new
  // row, so a ray was lost), or an initial basis singular within rounding.
  // dd_DDMain turns them into an error.
  long numerical_alarms = 0;
  // Values and coordinates the error bounds snapped to zero: decided by
  // likelihood, so auto does not keep the run's answer.
  long snapped = 0;
  // A cancel request seen inside an iteration; dd_DDMain ends the run.
  bool interrupted = false;
  // dd_SelectPreorderedNext's last answer: every row before position
  // preorder_from was in the excluded set preorder_seen (its data words).
  std::vector<zonix::core::set_word> preorder_seen;
  long preorder_from = 1;
  long trimmed_at_rays = 0;  // the list's size at the last return of free pages
  // Edges filed under each iteration since its list was last taken: the
  // length of the list, but for lists emptied otherwise.
  std::vector<long> edges_filed;

  // Ray evaluation.
  // Set for the consuming loop of an edge-list iteration whose rows are
  // taken in OrderVector order with no strict row: every ray then knows
  // its sign on every row from its zero set and conflict set, and a new
  // ray is evaluated only where a parent's conflicts say it must be.
  bool conflict_lists = false;
  std::vector<dd_rowrange> row_positions;  // row k at OrderVector[row_positions[k]]
  long row_positions_at = -1;  // the iteration whose split filled them
  // Counts the changes of OrderVector; row_positions were found at
  // row_positions_stamp.
  long order_stamp = 0, row_positions_stamp = -1;
  // Counts the fillings of row_positions.  later_rows (a set's data words
  // after its size word) holds the rows at positions after later_rows_at,
  // as of filling later_rows_filling.
  long row_positions_filling = 0;
  std::vector<zonix::core::set_word> later_rows;
  long later_rows_at = -1, later_rows_filling = -1;

  // The list of an edge-list iteration with conflict lists as an array,
  // so that its split on the next row reads the rays side by side (on
  // threads where they are many, parallel_rays times this): 2 when it
  // holds the whole list, 1 when only the positive run of a split.
  zonix::core::RayArray list_order;
  int list_order_state = 0;
  // Beside list_order, per ray: the first unprocessed position where it
  // is negative and where it is zero (m + 1: none), and whether its ARay
  // may be other than +1.  With them a split touches only the rays that
  // leave the positive run, not every ray of the list.
  std::vector<int32_t> order_negative_at, order_zero_at;
  std::vector<unsigned char> order_fresh;
  std::vector<signed char> split_signs;
  std::vector<zonix::core::SplitEnds> split_ends;
  // The negative rays of the last split by the side arrays, in the order
  // it met them (NegLast first), for the iteration split_negatives_at:
  // the new rays' parents are then found without walking the list.
  std::vector<dd_RayPtr> split_negatives;
  long split_negatives_at = -1;
  std::vector<zonix::core::KnownSplitBlock> known_split_blocks;
  // The list as runs of consecutive rays, in its order, where the passes
  // that linked it last knew them: the positive run of a walked split by
  // its blocks (split_runs, until the negative rays are gone), then the
  // zero rays by their buckets.  A walked split and the final check take
  // them as their blocks instead of walking the list once more first (a
  // walk is one cache miss a ray, on the calling thread).  They hold for the
  // list of iteration list_runs_at with list_runs_rays rays.
  std::vector<zonix::core::ListRun> list_runs, split_runs;
  long list_runs_at = -1, list_runs_rays = -1;
  // Whether the list is a split's positive run followed by the rays
  // after it, as delete_negatives_after_positives leaves it.
  bool list_whole = false;
};

// The storage the run reuses.
struct dd_run_caches {
  // What storing a ray needs; the new rays of an iteration made on
  // several threads each have their own (ray_lanes).
  zonix::core::RayScratch scratch;
  std::vector<std::unique_ptr<zonix::core::RayScratch>> ray_lanes;
  zonix::core::RowNorms row_norms;
  zonix::core::ThreadPool pool;  // the threads beside the caller's
  zonix::core::ScratchSet adjacency_face, edge_face;
  // The run's ray records; removed ones are reused with their numbers
  // still allocated, which is much of what a ray costs in exact runs.
  zonix::core::RayPool rays;
  zonix::core::EdgePool edge_nodes;  // of cone->Edges
  zonix::core::ZeroBuckets zero_buckets;
  zonix::core::EdgeScratch *edges = nullptr;  // made at first use
};

struct dd_workspace : dd_run_settings, dd_run_caches, dd_run_state {
  dd_workspace() = default;
  dd_workspace(const dd_workspace &) = delete;
  dd_workspace &operator=(const dd_workspace &) = delete;
  ~dd_workspace();
};

namespace zonix::core {

// The workspace of a cone, made if a cone was built without one.
inline dd_workspace &workspace(dd_ConePtr cone)
{
  if (cone->workspace == nullptr) cone->workspace = new dd_workspace;
  return *cone->workspace;
}

inline void raise_numerical_alarm(dd_ConePtr cone) { ++workspace(cone).numerical_alarms; }

// Appends run r, which follows the last of runs in the list, joined to it
// while that one holds fewer than `least` rays.
inline void add_run(std::vector<ListRun> &runs, const ListRun &r, long least)
{
  if (r.count <= 0) return;
  if (!runs.empty() && runs.back().count < least) {
    runs.back().last = r.last;
    runs.back().count += r.count;
  } else {
    runs.push_back(r);
  }
}

// The runs of the cone's list (see dd_workspace::list_runs) while they
// still describe it, else null.
inline const std::vector<ListRun> *list_runs_of(dd_ConePtr cone)
{
  const dd_workspace &ws = workspace(cone);
  if (ws.list_runs.empty() || ws.list_runs_rays != cone->RayCount ||
      cone->Iteration - ws.list_runs_at < 0 || cone->Iteration - ws.list_runs_at > 1 ||
      ws.list_runs.front().first != cone->FirstRay || ws.list_runs.back().last != cone->LastRay)
    return nullptr;
  return &ws.list_runs;
}

// Whether zero sets may be trusted as exact ones (see simple_ray): once a
// residue shows lost digits, a ray's zero set may miss rows, and pairs are
// judged by the third-ray search alone, which never makes a pair adjacent
// that another ray's zero set contradicts.
inline bool simple_rays_trusted(dd_ConePtr cone)
{
  return workspace(cone).simple_rays && workspace(cone).numerical_alarms == 0;
}

// Relative size of a residue that no longer comes from rounding: two
// thirds of the digits of a double are gone (the rays of correct results
// on cyclic polytopes stay below 1e-7, those of the wrong ones reach
// 1e-4 and more).
inline constexpr double lost_accuracy = 0x1p-17;

// Gives the free pages amid the C library's heap back to the system,
// where the library allows it (glibc keeps them otherwise): done before
// a run makes its largest list, the scratch released earlier then does
// not stand beside it.
inline constexpr long trim_from_rays = 1L << 16;  // some 13 MB of records
inline void return_free_pages()
{
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

// dd_EvaluateARay2 on row hnew, the row at position Iteration, for an
// edge-list iteration.  Where every ray knows its signs (conflict sets),
// the rays are sorted by them without evaluation, ARay holding -1, 0 or
// 1, and the new rays of the iteration are evaluated only on the rows
// their parents violate, until the iteration clears conflict_lists.
void split_on_new_row(dd_ConePtr cone, dd_rowrange hnew);

// dd_DeleteNegativeRays for a list that starts with the run of positive
// rays from PosHead to PosLast, the negative rays gone: the run stays as
// it is, and only the rays after it are walked.
void delete_negatives_after_positives(dd_ConePtr cone);

// The new rays of an edge-list iteration with conflict lists, made apart
// from the list so that threads may make them side by side: prepare once
// (sequentially), then make_new_ray fills a record from reuse_ray as
// dd_CreateNewRay would store the combination of p1 and p2 on row ii,
// returning whether it is feasible; link_ray appends it to the list, in
// the order the rays are to stand there.  Alarms stay in the scratch.
void prepare_new_rays(dd_ConePtr cone);
bool make_new_ray(dd_ConePtr cone, RayScratch &S, dd_RayPtr rec, dd_RayPtr p1,
                  dd_RayPtr p2, dd_rowrange ii);
void link_ray(dd_ConePtr cone, dd_RayPtr r, bool feasible);

// Releases every ray of the cone's list, leaving the empty list (sentinel
// -> null) with the run complete.
void cut_all_rays(dd_ConePtr cone);

// An empty zero set of ground size m for r (its own if it fits).
inline void reset_zero_set(dd_RayPtr r, dd_colrange, long m)
{
  const long g = m > 0 ? m : 1;
  if (r->ZeroSet != nullptr && static_cast<long>(r->ZeroSet[0]) == g) {
    set_emptyset(r->ZeroSet);
    return;
  }
  ray_tag_word &tag = ray_tag(r);
  if ((tag & zero_set_inline) == 0u) set_free(r->ZeroSet);
  tag &= ~zero_set_inline;
  set_initialize(&r->ZeroSet, g);
}

// Removes a ray record of the cone, keeping it for reuse.
inline void recycle_ray(dd_ConePtr cone, dd_RayPtr r) { workspace(cone).rays.put(r, cone->d); }

// A ray record for the cone as new_ray makes it, from the pool when the
// cone has rows: its coordinates and zero set then hold old values (or
// none), which storing the ray overwrites.
inline dd_RayPtr reuse_ray(dd_ConePtr cone)
{
  if (cone->m <= 0) return new_ray(cone->d, cone->m);
  return workspace(cone).rays.get(cone->d, cone->m);
}

// Accuracy (see ray_accuracy; rays are normalised, so it is relative) up to
// which a double ray's zero set is taken as exact by simple_ray.  Above it
// a zero set may miss a row the ray lies on in truth, and a pair judged
// adjacent by the count alone makes a ray of noise, which makes more: on
// C(26,12) with centred parameters such runs grew past 12 GB.
inline constexpr double simple_ray_accuracy = 0x1p-40;

// Whether r's zero set may be taken as the exact one (always for exact
// rays; for doubles by their accuracy).
inline bool zero_set_exact(dd_RayPtr r, dd_colrange d)
{
  return !numbers_round || ray_accuracy(r, d) <= simple_ray_accuracy;
}

// Whether ray r lies on exactly d - 1 of the added rows (plus `extra`, a
// row about to be added, 0 for none).  An extreme ray's zero rows have rank
// d - 1, so these are independent, and any d - 2 of them that it shares
// with another ray make an edge: the face is two-dimensional, and no third
// ray can lie on it.  In general position every ray is so, and no pair
// needs a third-ray search.
inline bool simple_ray(dd_RayPtr r, const set_word *added, long nw, long extra,
                       dd_colrange d)
{
  if (!zero_set_exact(r, d)) return false;
  const set_word *z = r->ZeroSet;
  long on = 0;
  for (long k = 1; k <= nw; ++k) on += bit_count(z[k] & added[k]);
  if (extra > 0 && in_set(z, extra) && !in_set(added, extra)) ++on;
  return on == d - 1;
}

// dd_DDMatrix2PolyWith without the final checks of the list (see
// dd_workspace::final_checks), for callers that prove the result.
dd_PolyhedraPtr matrix_to_poly_unchecked(dd_MatrixPtr M, dd_RowOrderType order, unsigned int seed, int threads,
                                         dd_ErrorType *err);

// The text dd_WriteArow writes for the d numbers of a, appended to out;
// and n characters written as dd_WriteArow writes them to f.
void append_row_text(std::string &out, const mytype *a, dd_colrange d);
void write_text(FILE *f, const char *s, size_t n);

// Whether auto may keep a finished run's answer (always for exact runs):
// see its definition.
bool rank_certain(dd_ConePtr cone);

}  // namespace zonix::core

#endif  // ZONIX_CORE_INTERNAL_HPP
