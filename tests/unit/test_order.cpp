// Row orders: the precomputed orders, the pseudo-random shuffle, the
// lexicographic sort and the dynamic selection rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>

#include "engine_test_util.hpp"
#include "zonixrandom.hpp"

using namespace enginetest;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

struct OrderCone {
  Poly poly;
  dd_ConePtr cone;
  explicit OrderCone(const Rows &rows)
      : poly(make_poly(rows, true)), cone(dd_ConeDataLoad(poly.get()))
  {
  }
  std::vector<long> order(dd_RowOrderType rule)
  {
    cone->HalfspaceOrder = rule;
    cone->OrderVector[0] = 99;
    dd_ComputeRowOrderVector(cone);
    EXPECT_EQ(cone->OrderVector[0], 0);
    return {cone->OrderVector + 1, cone->OrderVector + 1 + cone->m};
  }
};

// Rows whose lexicographic order is 4, 5, 3, 1, 2.
const Rows kFiveRows = {{0, 1, 2}, {1, 0, 0}, {0, 1, 1}, {-1, 2, 0}, {0, 0, 3}};

bool is_permutation_of_1_to(const std::vector<long> &v, long t)
{
  std::vector<long> s = v;
  std::sort(s.begin(), s.end());
  std::vector<long> id(static_cast<size_t>(t));
  std::iota(id.begin(), id.end(), 1);
  return s == id;
}

std::vector<long> shuffled(long t, unsigned seed)
{
  std::vector<long> ov(static_cast<size_t>(t) + 1);
  std::iota(ov.begin(), ov.end(), 0);
  dd_RandomPermutation(ov.data(), t, seed);
  return {ov.begin() + 1, ov.end()};
}

}  // namespace

TEST(OrderRows, IndexOrders)
{
  OrderCone c({{1, 0}, {0, 1}, {1, 1}, {2, 1}});
  EXPECT_THAT(c.order(dd_MaxIndex), ElementsAre(4, 3, 2, 1));
  EXPECT_THAT(c.order(dd_MinIndex), ElementsAre(1, 2, 3, 4));
}

TEST(OrderRows, LexicographicOrders)
{
  OrderCone c({{1, 0}, {0, 5}, {0, -1}});
  EXPECT_THAT(c.order(dd_LexMin), ElementsAre(3, 2, 1));
  EXPECT_THAT(c.order(dd_LexMax), ElementsAre(1, 2, 3));
}

TEST(OrderRows, AllEightRulesOnFiveRows)
{
  OrderCone c(kFiveRows);
  EXPECT_THAT(c.order(dd_MaxIndex), ElementsAre(5, 4, 3, 2, 1));
  EXPECT_THAT(c.order(dd_MinIndex), ElementsAre(1, 2, 3, 4, 5));
  // The cutoff rules rank the rows for the initial basis lexicographically.
  EXPECT_THAT(c.order(dd_MinCutoff), ElementsAre(4, 5, 3, 1, 2));
  EXPECT_THAT(c.order(dd_MaxCutoff), ElementsAre(4, 5, 3, 1, 2));
  EXPECT_THAT(c.order(dd_MixCutoff), ElementsAre(4, 5, 3, 1, 2));
  EXPECT_THAT(c.order(dd_LexMin), ElementsAre(4, 5, 3, 1, 2));
  EXPECT_THAT(c.order(dd_LexMax), ElementsAre(2, 1, 3, 5, 4));
  const auto r = c.order(dd_RandomRow);
  EXPECT_TRUE(is_permutation_of_1_to(r, 5));
  EXPECT_EQ(r, shuffled(5, c.cone->rseed));
  EXPECT_EQ(c.order(dd_RandomRow), r);  // same seed, same order
}

TEST(OrderRows, LexMaxReversesOddAndEvenLengths)
{
  OrderCone c({{3}, {1}, {2}, {0}});
  EXPECT_THAT(c.order(dd_LexMin), ElementsAre(4, 2, 3, 1));
  EXPECT_THAT(c.order(dd_LexMax), ElementsAre(1, 3, 2, 4));
  OrderCone one(Rows{{7}});
  EXPECT_THAT(one.order(dd_LexMax), ElementsAre(1));
}

TEST(OrderRows, RandomOrderDependsOnTheSeed)
{
  OrderCone c(kFiveRows);
  std::set<std::vector<long>> seen;
  for (unsigned seed = 1; seed <= 20; ++seed) {
    c.cone->rseed = seed;
    const auto r = c.order(dd_RandomRow);
    EXPECT_TRUE(is_permutation_of_1_to(r, 5));
    seen.insert(r);
  }
  EXPECT_GT(seen.size(), 10u);
}

TEST(OrderRows, TiesWithinToleranceAreSettledByTheShuffle)
{
  OrderCone c({{1, 2}, {1, 2.00000005}, {0, 0}});
  std::set<std::vector<long>> seen;
  for (unsigned seed = 1; seed <= 64; ++seed) {
    c.cone->rseed = seed;
    const auto r = c.order(dd_LexMin);
    ASSERT_EQ(r[0], 3);
    seen.insert(r);
  }
  EXPECT_EQ(seen, (std::set<std::vector<long>>{{3, 1, 2}, {3, 2, 1}}));
}

TEST(OrderShuffle, AlwaysAPermutationAndReproducible)
{
  for (long t : {0L, 1L, 2L, 3L, 7L, 64L, 1000L})
    for (unsigned seed : {0u, 1u, 2u, 12345u, 4294967295u}) {
      const auto a = shuffled(t, seed);
      EXPECT_TRUE(is_permutation_of_1_to(a, t)) << t << " " << seed;
      EXPECT_EQ(a, shuffled(t, seed));
    }
}

TEST(OrderShuffle, ShortVectorsAreLeftAlone)
{
  long ov[3] = {0, 5, 9};
  dd_RandomPermutation(ov, 1, 3);
  EXPECT_THAT(ov, ElementsAre(0, 5, 9));
  dd_RandomPermutation(ov, 0, 3);
  EXPECT_THAT(ov, ElementsAre(0, 5, 9));
  dd_RandomPermutation(ov, 2, 3);  // entry 0 is never touched
  EXPECT_EQ(ov[0], 0);
}

TEST(OrderShuffle, AllPermutationsOfThreeAboutEquallyOften)
{
  std::map<std::vector<long>, int> count;
  for (unsigned seed = 0; seed < 6000; ++seed) count[shuffled(3, seed)]++;
  ASSERT_EQ(count.size(), 6u);
  for (const auto &[perm, n] : count) {
    EXPECT_GT(n, 850);
    EXPECT_LT(n, 1150);
  }
}

TEST(OrderShuffle, IndexStaysWithinRange)
{
  using zonix::Random31;
  // The top draw would give j + 1 by the plain formula.
  for (long j : {1L, 2L, 3L, 1000L, 2147483647L}) {
    EXPECT_EQ(Random31::scale_to_index(Random31::max_value, j), j);
    EXPECT_EQ(Random31::scale_to_index(0, j), 1);
    EXPECT_LE(Random31::scale_to_index(Random31::max_value - 1, j), j);
  }
  EXPECT_EQ(Random31::scale_to_index(1073741824, 2), 2);  // u just above 1/2
  EXPECT_EQ(Random31::scale_to_index(1073741823, 2), 1);  // u just below
  Random31 g(7);
  std::uint32_t top = 0;
  for (int k = 0; k < 100000; ++k) top = std::max(top, g.next());
  EXPECT_LE(top, Random31::max_value);
  EXPECT_GT(top, Random31::max_value / 2);  // uses the upper half too
}

TEST(OrderSort, QuickSortAgreesWithAnIndependentSort)
{
  zonix::Random31 g(2024);
  const long m = 300, d = 3;
  Rows rows;
  for (long i = 0; i < m; ++i) {
    std::vector<double> r;
    for (long j = 0; j < d; ++j) r.push_back(double(long(g.next() % 5) - 2));
    rows.push_back(r);
  }
  OrderCone c(rows);
  std::vector<long> ov(m + 1);
  std::iota(ov.begin(), ov.end(), 0);
  dd_QuickSort(ov.data(), 1, m, c.cone->A, d);
  std::vector<long> got(ov.begin() + 1, ov.end());
  EXPECT_TRUE(is_permutation_of_1_to(got, m));
  Rows sorted_rows = rows;
  std::sort(sorted_rows.begin(), sorted_rows.end());
  for (long k = 0; k < m; ++k)
    EXPECT_EQ(rows[got[k] - 1], sorted_rows[k]) << k;
}

TEST(OrderSort, SortsOnlyTheGivenRangeAndColumns)
{
  OrderCone c({{3, 0}, {2, 9}, {1, 5}, {2, 1}, {0, 0}});
  long ov[6] = {0, 1, 2, 3, 4, 5};
  dd_QuickSort(ov, 2, 4, c.cone->A, 2);
  EXPECT_THAT(ov, ElementsAre(0, 1, 3, 4, 2, 5));
  long ov1[6] = {0, 1, 2, 3, 4, 5};
  dd_QuickSort(ov1, 1, 5, c.cone->A, 1);  // first column only
  EXPECT_EQ(ov1[1], 5);
  EXPECT_EQ(ov1[2], 3);
  EXPECT_EQ(ov1[5], 1);
  EXPECT_EQ(std::set<long>({ov1[3], ov1[4]}), (std::set<long>{2, 4}));
}

TEST(OrderUpdate, PriorityRowsMoveToTheFront)
{
  OrderCone c({{1}, {2}, {3}, {4}, {5}});
  const long init[] = {5, 1, 4, 2, 3};
  for (int i = 0; i < 5; ++i) c.cone->OrderVector[i + 1] = init[i];
  set_type pr = nullptr;
  set_initialize(&pr, c.cone->m_alloc);
  set_addelem(pr, 2);
  set_addelem(pr, 4);
  dd_UpdateRowOrderVector(c.cone, pr);
  EXPECT_THAT(std::vector<long>(c.cone->OrderVector + 1, c.cone->OrderVector + 6),
              ElementsAre(4, 2, 5, 1, 3));

  // A priority row missing from the order: reported, earlier moves stay.
  for (int i = 0; i < 5; ++i) c.cone->OrderVector[i + 1] = init[i];
  set_addelem(pr, 6);
  set_delelem(pr, 4);
  ::testing::internal::CaptureStderr();
  dd_UpdateRowOrderVector(c.cone, pr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "UpdateRowOrder: Error.\n");
  EXPECT_THAT(std::vector<long>(c.cone->OrderVector + 1, c.cone->OrderVector + 6),
              ElementsAre(2, 5, 1, 4, 3));
  set_free(pr);
}

TEST(OrderSelect, PreorderedTakesTheFirstRowNotExcluded)
{
  OrderCone c({{1}, {2}, {3}});
  c.cone->OrderVector[1] = 3;
  c.cone->OrderVector[2] = 1;
  c.cone->OrderVector[3] = 2;
  dd_rowrange hh = -1;
  assign(c.cone->WeaklyAddedHalfspaces, {3});
  dd_SelectPreorderedNext(c.cone, c.cone->WeaklyAddedHalfspaces, &hh);
  EXPECT_EQ(hh, 1);
  c.cone->PreOrderedRun = dd_TRUE;
  c.cone->HalfspaceOrder = dd_MinCutoff;  // ignored in a preordered run
  assign(c.cone->WeaklyAddedHalfspaces, {1, 3});
  dd_SelectNextHalfspace(c.cone, c.cone->WeaklyAddedHalfspaces, &hh);
  EXPECT_EQ(hh, 2);
  assign(c.cone->WeaklyAddedHalfspaces, {1, 2, 3});
  dd_SelectPreorderedNext(c.cone, c.cone->WeaklyAddedHalfspaces, &hh);
  EXPECT_EQ(hh, 0);
}

namespace {

// Six rows and four rays (1,0), (0,1), (1,2), (-1,3).  Rays violating each
// row: 1, 0, 3, 1, 2, 3; rays satisfying it: 3, 4, 1, 3, 2, 1.
struct CutoffCone : OrderCone {
  CutoffCone()
      : OrderCone({{1, 0}, {0, 1}, {1, -1}, {-1, 1}, {-1, 0}, {0, -1}})
  {
    for (long i = 0; i <= cone->m; ++i) cone->OrderVector[i] = i;
    add_sentinel(cone);
    add_ray(cone, {1, 0});
    add_ray(cone, {0, 1});
    add_ray(cone, {1, 2});
    add_ray(cone, {-1, 3});
  }
  dd_rowrange pick(void (*rule)(dd_ConePtr, dd_rowset, dd_rowrange *),
                   std::initializer_list<long> excluded, dd_rowrange start = -7)
  {
    set_type ex = nullptr;
    set_initialize(&ex, cone->m_alloc);
    for (long e : excluded) set_addelem(ex, e);
    dd_rowrange hh = start;
    rule(cone, ex, &hh);
    set_free(ex);
    return hh;
  }
};

}  // namespace

TEST(OrderSelect, FeasibilityCountsOfTheCutoffCone)
{
  CutoffCone c;
  const long inf[] = {1, 0, 3, 1, 2, 3};
  for (long i = 1; i <= 6; ++i) {
    long f = -1, n = -1;
    dd_FeasibilityIndices(&f, &n, i, c.cone);
    EXPECT_EQ(n, inf[i - 1]) << i;
    EXPECT_EQ(f, 4 - inf[i - 1]) << i;
  }
}

TEST(OrderSelect, MinCutoffTakesFewestViolationsLowestIndexFirst)
{
  CutoffCone c;
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace2, {}), 2);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace2, {2}), 1);  // tie of 1 with row 4
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace2, {1, 2}), 4);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace2, {1, 2, 4, 5}), 3);  // tie of 3 with 6
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace2, {1, 2, 3, 4, 5, 6}, 42), 42);
}

TEST(OrderSelect, MaxCutoffTakesMostViolationsLowestIndexFirst)
{
  CutoffCone c;
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace3, {}), 3);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace3, {3}), 6);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace3, {3, 5, 6}), 1);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace3, {1, 2, 3, 4, 5, 6}, 42), 42);
}

TEST(OrderSelect, MixCutoffTakesTheLargerCount)
{
  CutoffCone c;
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace4, {}), 2);   // 4 satisfying
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace4, {2}), 1);  // 3 for rows 1,3,4,6
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace4, {1, 2}), 3);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace4, {1, 2, 3, 4, 6}), 5);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace4, {1, 2, 3, 4, 5, 6}, 42), 42);
}

TEST(OrderSelect, IndexAndLexicographicRules)
{
  CutoffCone c;
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace0, {}), 6);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace0, {5, 6}), 4);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace1, {1}), 2);
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace5, {}), 5);  // (-1, 0)
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace5, {5}), 4);  // (-1, 1)
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace6, {}), 1);  // (1, 0) over (1, -1)
  EXPECT_EQ(c.pick(dd_SelectNextHalfspace6, {1}), 3);
  for (auto rule : {dd_SelectNextHalfspace0, dd_SelectNextHalfspace1,
                    dd_SelectNextHalfspace5, dd_SelectNextHalfspace6})
    EXPECT_EQ(c.pick(rule, {1, 2, 3, 4, 5, 6}, 42), 0);

  OrderCone twins({{0, 1}, {2, 0}, {0, 1}});
  set_type none = nullptr;
  set_initialize(&none, twins.cone->m_alloc);
  dd_rowrange hh = -1;
  dd_SelectNextHalfspace5(twins.cone, none, &hh);
  EXPECT_EQ(hh, 1);
  dd_SelectNextHalfspace6(twins.cone, none, &hh);
  EXPECT_EQ(hh, 2);
  set_free(none);
}

TEST(OrderSelect, DispatcherMapsDynamicRules)
{
  CutoffCone c;
  c.cone->PreOrderedRun = dd_FALSE;
  const std::pair<dd_RowOrderType, dd_rowrange> expect[] = {
      {dd_MaxIndex, 6}, {dd_MinIndex, 1}, {dd_MinCutoff, 2}, {dd_MaxCutoff, 3},
      {dd_MixCutoff, 2}, {dd_LexMin, 6},  {dd_LexMax, 6},    {dd_RandomRow, 6}};
  for (const auto &[rule, row] : expect) {
    c.cone->HalfspaceOrder = rule;
    EXPECT_EQ(c.pick(dd_SelectNextHalfspace, {}), row) << rule;
  }
}
