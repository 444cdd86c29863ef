// Internal helpers of the double description engine: per-thread scratch
// storage, ray records and word-wise face tests.  Not a public header.
#ifndef ZONIX_CORE_INTERNAL_HPP
#define ZONIX_CORE_INTERNAL_HPP

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <vector>

#include "zonixcore.h"
#include "zonixdd.h"

namespace zonix::core {

using set_word = std::remove_pointer_t<set_type>;

// Lists of third-ray candidates longer than this are indexed by row
// before edges are filed; shorter ones are walked.  Per thread, so that
// tests can compare both ways.
inline thread_local long third_ray_index_threshold = 32;

// Number of data words (word 0 excluded) of a set of ground size n.
inline long set_data_words(long n) { return set_blocks(n) - 1; }

// A bit set kept between calls on one thread.  It is re-made, empty, when
// the requested ground size changes; the vector releases it at thread exit.
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

// A row of numbers kept between calls on one thread, re-made (zeroed) when
// the requested length changes.
class ScratchRow {
 public:
  mytype *get(long d)
  {
    if (!row_ || d != len_) {
      row_ = std::make_unique<mytype[]>(static_cast<size_t>(d > 0 ? d : 1));
      len_ = d;
    }
    return row_.get();
  }

 private:
  std::unique_ptr<mytype[]> row_;
  long len_ = -1;
};

// A new ray record with d zero coordinates (at least one is allocated),
// no zero set, ARay 0 and no successor.
inline dd_RayPtr new_ray(dd_colrange d)
{
  auto *r = static_cast<dd_RayPtr>(std::calloc(1, sizeof(dd_RayType)));
  r->Ray = static_cast<dd_Arow>(
      std::calloc(static_cast<size_t>(d > 0 ? d : 1), sizeof(mytype)));
  ddd_init(r->ARay);
  return r;
}

// *val := row . p over d entries, summed from exact zero in increasing
// column order (the value dd_AValue gives, without the call).
inline void row_dot(mytype val, const mytype *row, const mytype *p,
                    dd_colrange d)
{
  mytype x;
  ddd_init(x);
  ddd_set(val, dd_purezero);
  for (dd_colrange j = 0; j < d; ++j) {
    ddd_mul(x, row[j], p[j]);
    ddd_add(val, val, x);
  }
  ddd_clear(x);
}

// Releases a ray record with its coordinates and zero set.
inline void free_ray(dd_colrange d, dd_RayPtr r)
{
  if (r == nullptr) return;
  for (dd_colrange j = 0; j < d; ++j) ddd_clear(r->Ray[j]);
  ddd_clear(r->ARay);
  std::free(r->Ray);
  set_free(r->ZeroSet);
  std::free(r);
}

// Whether e (1-based) belongs to s; elements outside 1..n never do.
inline bool in_set(const set_word *s, long e)
{
  const auto u = static_cast<unsigned long>(e - 1);
  if (e < 1 || u >= s[0]) return false;
  return ((s[(u >> 5) + 1] >> (u & 31u)) & 1u) != 0u;
}

// Whether e (1-based) belongs to both sets; elements outside 1..n are in
// neither.
inline bool in_both(const set_word *s1, const set_word *s2, long e)
{
  const auto u = static_cast<unsigned long>(e - 1);
  if (e < 1 || u >= s1[0]) return false;
  const set_word mask = set_word{1} << (u & 31u);
  return (s1[(u >> 5) + 1] & s2[(u >> 5) + 1] & mask) != 0u;
}

// Bits set in a 32-bit word, without relying on a popcount instruction
// (a library call on targets built without one).
constexpr int bit_count(std::uint32_t w)
{
  w = w - ((w >> 1) & 0x55555555u);
  w = (w & 0x33333333u) + ((w >> 2) & 0x33333333u);
  w = (w + (w >> 4)) & 0x0f0f0f0fu;
  return static_cast<int>((w * 0x01010101u) >> 24);
}

// face := z1 & z2 & added over nw data words; returns |face|.
inline long make_face(set_word *face, const set_word *z1, const set_word *z2,
                      const set_word *added, long nw)
{
  long card = 0;
  for (long k = 1; k <= nw; ++k) {
    const set_word w = z1[k] & z2[k] & added[k];
    face[k] = w;
    card += bit_count(w);
  }
  return card;
}

// Whether face lies in z.  A face from make_face is within the added rows
// already, so this is the test face <= z & added.
inline bool face_within(const set_word *face, const set_word *z, long nw)
{
  for (long k = 1; k <= nw; ++k)
    if ((face[k] & ~z[k]) != 0u) return false;
  return true;
}

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

}  // namespace zonix::core

#endif  // ZONIX_CORE_INTERNAL_HPP
