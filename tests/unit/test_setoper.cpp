// Bit sets: word layout, the invariant on bits above n, algebra, writers.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "setoper.h"
#include "zonix.hpp"

#include "capture.hpp"

namespace {

using zonix_test::capture;

zonix::Set set_of(long n, std::initializer_list<long> elems)
{
  zonix::Set s = zonix::make_set(n);
  for (long e : elems) set_addelem(s.get(), e);
  return s;
}

}  // namespace

TEST(SetOperLayout, BlocksCountSizeWordPlusDataWords)
{
  EXPECT_EQ(set_blocks(-7), 1);
  EXPECT_EQ(set_blocks(0), 1);
  EXPECT_EQ(set_blocks(1), 2);
  EXPECT_EQ(set_blocks(32), 2);
  EXPECT_EQ(set_blocks(33), 3);
  EXPECT_EQ(set_blocks(64), 3);
  EXPECT_EQ(set_blocks(65), 4);
}

TEST(SetOperLayout, NonPositiveLengthGivesGroundSizeOne)
{
  for (long len : {0L, -5L}) {
    zonix::Set s = zonix::make_set(len);
    EXPECT_EQ(set_groundsize(s.get()), 1);
    EXPECT_EQ(s[1], 0u);
    EXPECT_EQ(set_card(s.get()), 0);
    EXPECT_FALSE(set_member(1, s.get()));
  }
}

TEST(SetOperLayout, ElementsMapToWordAndBit)
{
  zonix::Set s = set_of(40, {1, 32, 33});
  EXPECT_EQ(s[0], 40u);
  EXPECT_EQ(s[1], 0x80000001u);  // 1 -> bit 0, 32 -> bit 31 of word 1
  EXPECT_EQ(s[2], 0x00000001u);  // 33 -> bit 0 of word 2
}

TEST(SetOperLayout, OutOfRangeElementsAreIgnored)
{
  zonix::Set s = set_of(33, {});
  for (long e : {34L, 0L, -1L, -33L, 1L << 40}) {
    set_addelem(s.get(), e);
    EXPECT_FALSE(set_member(e, s.get())) << e;
  }
  EXPECT_EQ(s[1], 0u);
  EXPECT_EQ(s[2], 0u);
  set_addelem(s.get(), 33);
  EXPECT_EQ(s[2], 1u);
  EXPECT_TRUE(set_member(33, s.get()));
  set_delelem(s.get(), 34);  // must not touch anything
  set_delelem(s.get(), 0);
  EXPECT_EQ(s[2], 1u);
}

TEST(SetOperLayout, DelelemClearsOnlyItsBit)
{
  zonix::Set s = set_of(10, {2, 3, 5});
  set_delelem(s.get(), 3);
  set_delelem(s.get(), 4);  // absent: stays absent
  EXPECT_EQ(s[1], 0b10010u);
}

TEST(SetOperLayout, FreeNullIsHarmless)
{
  set_free(nullptr);
  SUCCEED();
}

TEST(SetOperAlgebra, ComplementKeepsBitsAboveNClear)
{
  zonix::Set e33 = set_of(33, {});
  zonix::Set c33 = zonix::make_set(33);
  set_compl(c33.get(), e33.get());
  EXPECT_EQ(set_card(c33.get()), 33);
  EXPECT_EQ(c33[1], 0xFFFFFFFFu);
  EXPECT_EQ(c33[2], 1u);

  zonix::Set e64 = set_of(64, {});
  zonix::Set c64 = zonix::make_set(64);
  set_compl(c64.get(), e64.get());
  EXPECT_EQ(c64[1], 0xFFFFFFFFu);
  EXPECT_EQ(c64[2], 0xFFFFFFFFu);
  EXPECT_EQ(set_card(c64.get()), 64);

  zonix::Set one = set_of(1, {});
  set_compl(one.get(), one.get());  // in place
  EXPECT_EQ(one[1], 1u);
}

TEST(SetOperAlgebra, ComplementTwiceRestoresInPlace)
{
  zonix::Set s = set_of(70, {1, 31, 32, 33, 64, 65, 70});
  zonix::Set orig = set_of(70, {1, 31, 32, 33, 64, 65, 70});
  set_compl(s.get(), s.get());
  EXPECT_EQ(set_card(s.get()), 63);
  EXPECT_FALSE(set_member(33, s.get()));
  EXPECT_TRUE(set_member(34, s.get()));
  set_compl(s.get(), s.get());
  for (long i = 0; i < set_blocks(70); ++i) EXPECT_EQ(s[i], orig[i]);
}

TEST(SetOperAlgebra, IntersectionUnionDifference)
{
  zonix::Set a = set_of(40, {1, 2, 33, 40});
  zonix::Set b = set_of(40, {2, 3, 40});
  zonix::Set r = zonix::make_set(40);
  set_int(r.get(), a.get(), b.get());
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite(f, r.get()); }), "2 40 \n");
  set_uni(r.get(), a.get(), b.get());
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite(f, r.get()); }),
            "1 2 3 33 40 \n");
  set_diff(r.get(), a.get(), b.get());
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite(f, r.get()); }), "1 33 \n");
  set_diff(a.get(), a.get(), a.get());  // in place, destination = sources
  EXPECT_EQ(set_card(a.get()), 0);
}

TEST(SetOperAlgebra, SubsetRelation)
{
  zonix::Set empty = set_of(50, {});
  zonix::Set s = set_of(50, {3, 35});
  zonix::Set t = set_of(50, {3, 35, 49});
  EXPECT_TRUE(set_subset(empty.get(), s.get()));
  EXPECT_TRUE(set_subset(s.get(), s.get()));
  EXPECT_TRUE(set_subset(s.get(), t.get()));
  EXPECT_FALSE(set_subset(t.get(), s.get()));
  EXPECT_FALSE(set_subset(s.get(), empty.get()));
}

TEST(SetOperAlgebra, CopyLeavesDestinationSizeWord)
{
  zonix::Set src = set_of(40, {5, 39});
  zonix::Set dst = set_of(40, {1, 2});
  set_copy(dst.get(), src.get());
  EXPECT_EQ(dst[0], 40u);
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite(f, dst.get()); }), "5 39 \n");

  // The word count comes from the destination: a larger source is cut.
  zonix::Set big = set_of(64, {7, 40});
  zonix::Set small = zonix::make_set(32);
  set_copy(small.get(), big.get());
  EXPECT_EQ(small[0], 32u);
  EXPECT_EQ(small[1], 1u << 6);
}

TEST(SetOperCard, TableHoldsBitCountsOfEveryByte)
{
  for (unsigned k = 0; k < 256; ++k) {
    unsigned naive = 0;
    for (unsigned v = k; v != 0; v >>= 1) naive += v & 1u;
    EXPECT_EQ(set_card_lut[k], naive) << k;
  }
}

TEST(SetOperCard, MatchesNaiveCountOnRandomSets)
{
  std::mt19937 gen(20240611u);
  for (int trial = 0; trial < 200; ++trial) {
    const long n = std::uniform_int_distribution<long>(1, 300)(gen);
    zonix::Set s = zonix::make_set(n);
    std::vector<bool> ref(static_cast<size_t>(n + 1), false);
    const int adds = std::uniform_int_distribution<int>(0, 2 * n)(gen);
    for (int k = 0; k < adds; ++k) {
      const long e = std::uniform_int_distribution<long>(-3, n + 3)(gen);
      set_addelem(s.get(), e);
      if (e >= 1 && e <= n) ref[static_cast<size_t>(e)] = true;
    }
    long naive = 0;
    for (long e = 1; e <= n; ++e) {
      EXPECT_EQ(set_member(e, s.get()), ref[static_cast<size_t>(e)] ? 1 : 0);
      naive += ref[static_cast<size_t>(e)];
    }
    long by_table = 0;
    for (long w = 1; w < set_blocks(n); ++w)
      for (int byte = 0; byte < 4; ++byte)
        by_table += set_card_lut[(s[w] >> (8 * byte)) & 0xFFu];
    EXPECT_EQ(set_card(s.get()), naive);
    EXPECT_EQ(by_table, naive);

    zonix::Set c = zonix::make_set(n);
    set_compl(c.get(), s.get());
    EXPECT_EQ(set_card(c.get()), n - naive);
  }
}

TEST(SetOperWriters, MemberAndComplementLists)
{
  zonix::Set s = set_of(5, {2, 5});
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite(f, s.get()); }), "2 5 \n");
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite_compl(f, s.get()); }),
            "1 3 4 \n");
  zonix::Set full = set_of(3, {1, 2, 3});
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite_compl(f, full.get()); }), "\n");
  zonix::Set empty = set_of(3, {});
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite(f, empty.get()); }), "\n");
}

TEST(SetOperWriters, BitPatternLastWordFirst)
{
  const std::string zeros31(31, '0');
  zonix::Set s = set_of(40, {1, 33});
  EXPECT_EQ(capture([&](FILE *f) { set_fbinwrite(f, s.get()); }),
            "max element = 40,\n" + zeros31 + "1 " + zeros31 + "1 \n");

  // Bit 31 is printed first: element 32 leads word 1, element 40 is bit 7.
  zonix::Set t = set_of(40, {2, 32, 40});
  EXPECT_EQ(capture([&](FILE *f) { set_fbinwrite(f, t.get()); }),
            "max element = 40,\n" + std::string(24, '0') + "10000000 " +
                "1" + std::string(29, '0') + "10 \n");
}

TEST(SetOperWriters, StdoutVariants)
{
  zonix::Set s = set_of(3, {3});
  testing::internal::CaptureStdout();
  set_write(s.get());
  set_binwrite(s.get());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "3 \nmax element = 3,\n" + std::string(29, '0') + "100 \n");
}
