// Bit sets as the engine reads them word by word: membership without a
// call, faces (the rows two rays share) and their containment.  The words
// are those of setoper.h: word 0 holds the ground size, members 1..n
// follow, 32 to a word.
#ifndef ZONIX_CORE_BITS_HPP
#define ZONIX_CORE_BITS_HPP

#include <cstdint>
#include <type_traits>

#include "setoper.h"

namespace zonix::core {

using set_word = std::remove_pointer_t<set_type>;

// Number of data words (word 0 excluded) of a set of ground size n.
inline long set_data_words(long n) { return set_blocks(n) - 1; }

// Whether e (1-based) belongs to s; elements outside 1..n never do.
inline bool in_set(const set_word *s, long e)
{
  const auto u = static_cast<unsigned long>(e - 1);
  if (e < 1 || u >= s[0]) return false;
  return ((s[(u >> 5) + 1] >> (u & 31u)) & 1u) != 0u;
}

// Adds e (1-based, within 1..n) to s without a call.
inline void add_elem(set_word *s, long e)
{
  const auto u = static_cast<unsigned long>(e - 1);
  s[(u >> 5) + 1] |= set_word{1} << (u & 31u);
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

}  // namespace zonix::core

#endif
