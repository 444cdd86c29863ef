// Bit sets: word 0 is the ground size, then set_word_bits elements per word.
#include "setoper.h"

#include <bit>
#include <cstdio>
#include <cstdlib>

#include "zonixprint.h"

namespace {

constexpr unsigned long kWordBits = set_word_bits;

// Data words 1..B-1 of a set, B from its own ground size.
inline long blocks_of(const uint32_t *set)
{
  return set_blocks(static_cast<long>(set[0]));
}

// Element e as (word index, mask); e must already be known to lie in 1..n.
inline long word_of(long elem)
{
  return static_cast<long>((static_cast<unsigned long>(elem) - 1) / kWordBits) + 1;
}
inline uint32_t mask_of(long elem)
{
  return uint32_t{1} << ((static_cast<unsigned long>(elem) - 1) % kWordBits);
}

// Element 0 and negatives wrap to huge unsigned values, hence "elem - 1".
inline bool in_ground(long elem, const uint32_t *set)
{
  return static_cast<unsigned long>(elem) - 1 <
         static_cast<unsigned long>(set[0]);
}

// A word at a time: the sets of an adjacency family are mostly empty words.
void write_members(FILE *f, set_type set, bool members)
{
  const long n = static_cast<long>(set[0]);
  const long B = blocks_of(set);
  for (long i = 1; i < B; ++i)
    for (uint32_t w = members ? set[i] : ~set[i]; w != 0u; w &= w - 1u) {
      const long e = (i - 1) * static_cast<long>(kWordBits) + std::countr_zero(w) + 1;
      if (e > n) break;
      dd_Printf(f, "%ld ", e);
    }
  dd_Printf(f, "\n");
}

}  // namespace

extern "C" {

const set_card_lut_t set_card_lut = {
    0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4,
    1, 2, 2, 3, 2, 3, 3, 4, 2, 3, 3, 4, 3, 4, 4, 5,
    1, 2, 2, 3, 2, 3, 3, 4, 2, 3, 3, 4, 3, 4, 4, 5,
    2, 3, 3, 4, 3, 4, 4, 5, 3, 4, 4, 5, 4, 5, 5, 6,
    1, 2, 2, 3, 2, 3, 3, 4, 2, 3, 3, 4, 3, 4, 4, 5,
    2, 3, 3, 4, 3, 4, 4, 5, 3, 4, 4, 5, 4, 5, 5, 6,
    2, 3, 3, 4, 3, 4, 4, 5, 3, 4, 4, 5, 4, 5, 5, 6,
    3, 4, 4, 5, 4, 5, 5, 6, 4, 5, 5, 6, 5, 6, 6, 7,
    1, 2, 2, 3, 2, 3, 3, 4, 2, 3, 3, 4, 3, 4, 4, 5,
    2, 3, 3, 4, 3, 4, 4, 5, 3, 4, 4, 5, 4, 5, 5, 6,
    2, 3, 3, 4, 3, 4, 4, 5, 3, 4, 4, 5, 4, 5, 5, 6,
    3, 4, 4, 5, 4, 5, 5, 6, 4, 5, 5, 6, 5, 6, 6, 7,
    2, 3, 3, 4, 3, 4, 4, 5, 3, 4, 4, 5, 4, 5, 5, 6,
    3, 4, 4, 5, 4, 5, 5, 6, 4, 5, 5, 6, 5, 6, 6, 7,
    3, 4, 4, 5, 4, 5, 5, 6, 4, 5, 5, 6, 5, 6, 6, 7,
    4, 5, 5, 6, 5, 6, 6, 7, 5, 6, 6, 7, 6, 7, 7, 8,
};

long set_blocks(long len)
{
  if (len < 1) return 1;
  return (len - 1) / set_word_bits + 2;
}

void set_initialize(set_type *setp, long length)
{
  const long n = length < 1 ? 1 : length;
  auto *s = static_cast<uint32_t *>(
      std::calloc(static_cast<size_t>(set_blocks(n)), sizeof(uint32_t)));
  if (s) s[0] = static_cast<uint32_t>(n);
  *setp = s;
}

void set_free(set_type set) { std::free(set); }

void set_emptyset(set_type set)
{
  const long B = blocks_of(set);
  for (long i = 1; i < B; ++i) set[i] = 0;
}

void set_copy(set_type setcopy, set_type set)
{
  const long B = blocks_of(setcopy);
  for (long i = 1; i < B; ++i) setcopy[i] = set[i];
}

void set_addelem(set_type set, long elem)
{
  if (in_ground(elem, set)) set[word_of(elem)] |= mask_of(elem);
}

void set_delelem(set_type set, long elem)
{
  if (in_ground(elem, set)) set[word_of(elem)] &= ~mask_of(elem);
}

void set_int(set_type set, set_type set1, set_type set2)
{
  const long B = blocks_of(set);
  for (long i = 1; i < B; ++i) set[i] = set1[i] & set2[i];
}

void set_uni(set_type set, set_type set1, set_type set2)
{
  const long B = blocks_of(set);
  for (long i = 1; i < B; ++i) set[i] = set1[i] | set2[i];
}

void set_diff(set_type set, set_type set1, set_type set2)
{
  const long B = blocks_of(set);
  for (long i = 1; i < B; ++i) set[i] = set1[i] & ~set2[i];
}

void set_compl(set_type set, set_type set1)
{
  const long B = blocks_of(set);
  for (long i = 1; i < B; ++i) set[i] = ~set1[i];
  // Keep the invariant set_card relies on: no bits above n.
  const unsigned long used = ((set[0] - 1) % kWordBits) + 1;
  if (used < kWordBits) set[B - 1] &= (uint32_t{1} << used) - 1;
}

int set_subset(set_type set1, set_type set2)
{
  const long B = blocks_of(set2);
  for (long i = 1; i < B; ++i)
    if ((set1[i] | set2[i]) != set2[i]) return 0;
  return 1;
}

int set_member(long elem, set_type set)
{
  if (!in_ground(elem, set)) return 0;
  return (set[word_of(elem)] & mask_of(elem)) != 0;
}

long set_card(set_type set)
{
  // Same counts as set_card_lut, a word at a time.
  const long B = blocks_of(set);
  long card = 0;
  for (long i = 1; i < B; ++i) card += std::popcount(set[i]);
  return card;
}

long set_groundsize(set_type set) { return static_cast<long>(set[0]); }

void set_write(set_type set) { write_members(stdout, set, true); }

void set_fwrite(FILE *f, set_type set) { write_members(f, set, true); }

void set_fwrite_compl(FILE *f, set_type set) { write_members(f, set, false); }

void set_fbinwrite(FILE *f, set_type set)
{
  dd_Printf(f, "max element = %ld,\n", static_cast<long>(set[0]));
  for (long i = blocks_of(set) - 1; i >= 1; --i) {
    const uint32_t w = set[i];
    char bits[kWordBits + 2];
    for (unsigned long j = 0; j < kWordBits; ++j)
      bits[j] = ((w >> (kWordBits - 1 - j)) & 1u) != 0u ? '1' : '0';
    bits[kWordBits] = ' ';
    bits[kWordBits + 1] = '\0';
    dd_Printf(f, "%s", bits);
  }
  dd_Printf(f, "\n");
}

void set_binwrite(set_type set) { set_fbinwrite(stdout, set); }

}  // extern "C"
