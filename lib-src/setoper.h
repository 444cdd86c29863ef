/* zonix bit sets over a ground set {1, ..., n} fixed at creation.
 *
 * A set is one heap block of 32-bit words: word 0 holds n, words 1..B-1 the
 * membership bits (element e is bit (e-1)%W of word (e-1)/W + 1, with W =
 * set_word_bits = 32), where B = set_blocks(n).  Bits above n in the last word are always 0.
 *
 * Elements are `long` at the interface and compared with n as unsigned, so
 * 0, negative elements and elements above n are ignored and never members.
 * Operations on several sets take the word count from the destination
 * (set_copy, set_int, set_uni, set_diff, set_compl) or from set2
 * (set_subset); operands are expected to share the ground size, and the
 * destination may be one of the sources.  Nothing but set_initialize
 * allocates.  Boolean results are 1 or 0.
 */
#ifndef ZONIX_SETOPER_H
#define ZONIX_SETOPER_H

#include <stdint.h>
#include <stdio.h>

typedef uint32_t *set_type;

#ifdef __cplusplus
/* Elements per data word: the width of set_type's words, for code that
 * walks the words of a set itself. */
inline constexpr long set_word_bits = 32;
static_assert(set_word_bits == sizeof(uint32_t) * 8, "one bit per element");
#else
enum { set_word_bits = 32 };
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char set_card_lut_t[256];

/* Entry k is the number of 1 bits of the byte value k. */
extern const set_card_lut_t set_card_lut;

/* Words of a set of ground size len: 1 if len < 1, else (len-1)/W + 2. */
long set_blocks(long len);

/* Allocates a zero-filled set of ground size max(length, 1) and stores it
 * through setp.  The caller owns it and frees it with set_free. */
void set_initialize(set_type *setp, long length);

/* Releases a set from set_initialize; set_free(NULL) does nothing. */
void set_free(set_type set);

/* Removes every member; the ground size stays. */
void set_emptyset(set_type set);

/* Copies the data words of set into setcopy (word count from setcopy);
 * word 0 of setcopy is left alone. */
void set_copy(set_type setcopy, set_type set);

/* Adds / removes elem when 1 <= elem <= n; otherwise nothing happens. */
void set_addelem(set_type set, long elem);
void set_delelem(set_type set, long elem);

/* set := set1 AND set2, set1 OR set2, set1 AND NOT set2. */
void set_int(set_type set, set_type set1, set_type set2);
void set_uni(set_type set, set_type set1, set_type set2);
void set_diff(set_type set, set_type set1, set_type set2);

/* set := {1..n} \ set1, bits above n cleared. */
void set_compl(set_type set, set_type set1);

/* 1 iff set1 is a subset of set2 (word count from set2). */
int set_subset(set_type set1, set_type set2);

/* 1 iff 1 <= elem <= n and elem is a member. */
int set_member(long elem, set_type set);

/* Number of members. */
long set_card(set_type set);

/* The ground size n. */
long set_groundsize(set_type set);

/* Writes the members in increasing order as "%ld " each, then "\n". */
void set_write(set_type set);
void set_fwrite(FILE *f, set_type set);

/* The same for the non-members 1..n. */
void set_fwrite_compl(FILE *f, set_type set);

/* Writes "max element = n,\n", then the data words from the last down to
 * word 1, each as 32 binary digits (bit 31 first) and a blank, then "\n". */
void set_binwrite(set_type set);
void set_fbinwrite(FILE *f, set_type set);

#ifdef __cplusplus
}
#endif

#endif /* ZONIX_SETOPER_H */
