// The bit sets against std::set on random members, over ground sizes
// around the word boundaries, and their writers.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "support.hpp"

using namespace zonix::test;

namespace {

class Sets : public ::testing::TestWithParam<long> {};

Members random_members(std::mt19937 &rng, long n)
{
  Members v;
  for (long e = 1; e <= n; ++e)
    if (rng() % 3 == 0) v.push_back(e);
  return v;
}

TEST_P(Sets, AlgebraAgreesWithStdSet)
{
  const long n = GetParam();
  std::mt19937 rng(static_cast<unsigned>(n));
  for (int round = 0; round < 20; ++round) {
    const Members a = random_members(rng, n), b = random_members(rng, n);
    Set A = make_set(n), B = make_set(n), R = make_set(n);
    for (long e : a) set_addelem(A.get(), e);
    for (long e : b) set_addelem(B.get(), e);
    EXPECT_EQ(set_groundsize(A.get()), n);
    EXPECT_EQ(set_card(A.get()), static_cast<long>(a.size()));
    EXPECT_EQ(members(A.get()), a);
    const std::set<long> sa(a.begin(), a.end()), sb(b.begin(), b.end());
    auto expect = [&](auto keep) {
      Members want;
      for (long e = 1; e <= n; ++e)
        if (keep(sa.count(e) > 0, sb.count(e) > 0)) want.push_back(e);
      EXPECT_EQ(members(R.get()), want);
      EXPECT_EQ(set_card(R.get()), static_cast<long>(want.size()));
    };
    set_int(R.get(), A.get(), B.get());
    expect([](bool x, bool y) { return x && y; });
    set_uni(R.get(), A.get(), B.get());
    expect([](bool x, bool y) { return x || y; });
    set_diff(R.get(), A.get(), B.get());
    expect([](bool x, bool y) { return x && !y; });
    set_compl(R.get(), A.get());
    expect([](bool x, bool) { return !x; });
    set_copy(R.get(), B.get());
    expect([](bool, bool y) { return y; });
    EXPECT_EQ(set_subset(A.get(), B.get()) != 0, std::includes(b.begin(), b.end(), a.begin(), a.end()));
    EXPECT_TRUE(set_subset(A.get(), A.get()));
    if (!a.empty()) {
      set_delelem(A.get(), a.front());
      EXPECT_FALSE(set_member(a.front(), A.get()));
      EXPECT_EQ(set_card(A.get()), static_cast<long>(a.size()) - 1);
    }
    set_emptyset(R.get());
    EXPECT_EQ(set_card(R.get()), 0);
  }
  // Elements outside 1..n are neither added nor members.
  Set S = make_set(n);
  for (long e : {0L, -1L, n + 1, n + 40}) {
    set_addelem(S.get(), e);
    EXPECT_FALSE(set_member(e, S.get()));
  }
  EXPECT_EQ(set_card(S.get()), 0);
}

INSTANTIATE_TEST_SUITE_P(Grounds, Sets, ::testing::Values(1L, 5L, 31L, 32L, 33L, 64L, 65L, 100L));

TEST(SetsLayout, BlocksHoldTheGroundSize)
{
  for (auto [n, blocks] : {std::pair{0L, 1L}, {1L, 2L}, {32L, 2L}, {33L, 3L}, {64L, 3L}})
    EXPECT_EQ(set_blocks(n), blocks) << n;
}

TEST(SetsWriters, MembersAndComplement)
{
  Set s = set_of(40, {2, 33, 40});
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite(f, s.get()); }), "2 33 40 \n");
  Set t = set_of(5, {2, 4});
  EXPECT_EQ(capture([&](FILE *f) { set_fwrite_compl(f, t.get()); }), "1 3 5 \n");
}

}  // namespace
