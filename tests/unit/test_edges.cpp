// Adding a halfspace: the adjacency test, edge filing and the two
// iterations, on cones whose rays and zero sets are derived by hand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine_test_util.hpp"
#include "zonixrandom.hpp"

using namespace enginetest;
using ::testing::ElementsAre;

namespace {

struct Cone {
  Poly poly;
  dd_ConePtr cone;
  Cone(const Rows &rows) : poly(make_poly(rows, true)), cone(load_cone(poly.get()))
  {
    add_sentinel(cone);
  }
};

bool adjacent(dd_ConePtr c, dd_RayPtr a, dd_RayPtr b)
{
  dd_boolean adj = dd_FALSE;
  dd_CheckAdjacency(c, &a, &b, &adj);
  return adj != 0;
}

// The cone x >= 0 in R^3 (rows 1..3) with its rays e1, e2, e3 and the
// rows still to come: row 4 = x0 - x1 >= 0, row 5 = x0 - x2 >= 0.  Taken
// with x0 as the homogenising coordinate, rows 4 and 5 cut the orthant
// down to the unit square 0 <= x1, x2 <= 1.
struct OrthantStart : Cone {
  dd_RayPtr e1, e2, e3;
  OrthantStart()
      : Cone({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}})
  {
    e1 = add_ray(cone, {1, 0, 0});
    e2 = add_ray(cone, {0, 1, 0});
    e3 = add_ray(cone, {0, 0, 1});
    assign(cone->AddedHalfspaces, {1, 2, 3});
    assign(cone->WeaklyAddedHalfspaces, {1, 2, 3});
  }
};

std::set<std::vector<double>> ray_set(dd_ConePtr c)
{
  std::set<std::vector<double>> s;
  for (dd_RayPtr r : ray_list(c)) s.insert(coords(c, r));
  return s;
}

const std::set<std::vector<double>> kUnitSquare = {
    {1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}};

}  // namespace

TEST(EdgesAdjacency, SquareVerticesAdjacentAlongEdgesOnly)
{
  // Unit square: x >= 0, x <= 1, y >= 0, y <= 1, homogenised (d = 3).
  Cone s({{0, 1, 0}, {1, -1, 0}, {0, 0, 1}, {1, 0, -1}});
  assign(s.cone->AddedHalfspaces, {1, 2, 3, 4});
  dd_RayPtr v00 = add_ray(s.cone, {1, 0, 0});
  dd_RayPtr v10 = add_ray(s.cone, {1, 1, 0});
  dd_RayPtr v11 = add_ray(s.cone, {1, 1, 1});
  dd_RayPtr v01 = add_ray(s.cone, {1, 0, 1});
  EXPECT_TRUE(adjacent(s.cone, v00, v10));
  EXPECT_TRUE(adjacent(s.cone, v10, v11));
  EXPECT_TRUE(adjacent(s.cone, v11, v01));
  EXPECT_TRUE(adjacent(s.cone, v01, v00));
  EXPECT_FALSE(adjacent(s.cone, v00, v11));
  EXPECT_FALSE(adjacent(s.cone, v10, v01));
  EXPECT_TRUE(adjacent(s.cone, v10, v00));  // symmetric
}

TEST(EdgesAdjacency, CubeVerticesAdjacentWhenTheyDifferInOneCoordinate)
{
  // [0,1]^3: x_i >= 0 and x_i <= 1, homogenised (d = 4).
  Rows rows;
  for (int i = 0; i < 3; ++i) {
    std::vector<double> lo(4, 0), hi(4, 0);
    lo[i + 1] = 1;
    hi[0] = 1;
    hi[i + 1] = -1;
    rows.push_back(lo);
    rows.push_back(hi);
  }
  Cone cube(rows);
  assign(cube.cone->AddedHalfspaces, {1, 2, 3, 4, 5, 6});
  std::vector<dd_RayPtr> v;
  for (int k = 0; k < 8; ++k)
    v.push_back(add_ray(cube.cone, {1, double(k & 1), double((k >> 1) & 1),
                                    double((k >> 2) & 1)}));
  int edges = 0;
  for (int a = 0; a < 8; ++a)
    for (int b = 0; b < 8; ++b) {
      if (a == b) continue;
      const bool one_bit = std::popcount(unsigned(a ^ b)) == 1;
      EXPECT_EQ(adjacent(cube.cone, v[a], v[b]), one_bit) << a << " " << b;
      edges += one_bit;
    }
  EXPECT_EQ(edges, 24);  // 12 edges, both orders
}

TEST(EdgesAdjacency, CommonRowsAndThirdRay)
{
  // d = 4: adjacency needs at least 2 common added zero rows.
  Cone c({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1},
          {1, 1, 0, 0}, {0, 0, 1, 1}});
  assign(c.cone->AddedHalfspaces, {1, 2, 3, 4, 5, 6});
  dd_RayPtr r1 = add_ray(c.cone, {1, 1, 1, 1});
  dd_RayPtr r2 = add_ray(c.cone, {1, 1, 1, 1});
  dd_RayPtr r3 = add_ray(c.cone, {1, 1, 1, 1});
  assign(r1->ZeroSet, {1, 2, 3});
  assign(r2->ZeroSet, {3, 5});
  assign(r3->ZeroSet, {1, 4});
  EXPECT_FALSE(adjacent(c.cone, r1, r2));  // one common row

  assign(r2->ZeroSet, {2, 3, 5});
  EXPECT_TRUE(adjacent(c.cone, r1, r2));  // two, no third ray on both

  assign(r3->ZeroSet, {2, 3, 4});
  EXPECT_FALSE(adjacent(c.cone, r1, r2));  // r3 lies on both
  c.poly->NondegAssumed = dd_TRUE;
  EXPECT_TRUE(adjacent(c.cone, r1, r2));
  c.poly->NondegAssumed = dd_FALSE;

  // Only added rows count.
  assign(r3->ZeroSet, {1});
  assign(c.cone->AddedHalfspaces, {1, 2, 4, 5, 6});
  EXPECT_FALSE(adjacent(c.cone, r1, r2));
}

TEST(EdgesAdjacency, NondegenerateAssumptionNeedsOnlyTheRowCount)
{
  Cone c({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
  c.poly->NondegAssumed = dd_TRUE;
  assign(c.cone->AddedHalfspaces, {1, 2, 3, 4});
  dd_RayPtr r1 = add_ray(c.cone, {1, 1, 1, 1});
  dd_RayPtr r2 = add_ray(c.cone, {1, 1, 1, 1});
  dd_RayPtr r3 = add_ray(c.cone, {1, 1, 1, 1});
  assign(r1->ZeroSet, {1, 2, 4});
  assign(r2->ZeroSet, {1, 2, 3});
  assign(r3->ZeroSet, {1, 2, 3, 4});
  EXPECT_TRUE(adjacent(c.cone, r1, r2));
  assign(r2->ZeroSet, {1, 3});
  EXPECT_FALSE(adjacent(c.cone, r1, r2));
}

TEST(EdgesFiling, InitialEdgesFiledUnderTheSeparatingIteration)
{
  OrthantStart o;
  dd_CreateInitialEdges(o.cone);
  EXPECT_EQ(o.cone->Iteration, 3);  // d: the main loop starts at d + 1
  // e2 is cut by row 4, e3 by row 5, e1 by neither.
  EXPECT_EQ(o.e1->FirstInfeasIndex, 6);
  EXPECT_EQ(o.e2->FirstInfeasIndex, 4);
  EXPECT_EQ(o.e3->FirstInfeasIndex, 5);
  auto e4 = edges(o.cone, 4);
  auto e5 = edges(o.cone, 5);
  ASSERT_EQ(e4.size(), 1u);
  ASSERT_EQ(e5.size(), 1u);
  EXPECT_EQ(e4[0]->Ray1, o.e1);  // the ray that stays
  EXPECT_EQ(e4[0]->Ray2, o.e2);
  EXPECT_EQ(e5[0]->Ray1, o.e1);
  EXPECT_EQ(e5[0]->Ray2, o.e3);
  // (e2, e3): e3 lies on row 4, which cuts e2 - no strong separation.
  EXPECT_EQ(o.cone->EdgeCount, 2);
  EXPECT_EQ(o.cone->TotalEdgeCount, 2);
  EXPECT_EQ(o.cone->count_int, 2);
  EXPECT_EQ(o.cone->count_int_good, 2);
  EXPECT_EQ(o.cone->count_int_bad, 0);
}

TEST(EdgesFiling, EqualIndexAndWeakSeparationAreNeverFiled)
{
  Cone c({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}});
  assign(c.cone->AddedHalfspaces, {1, 2});
  c.cone->Iteration = 1;
  dd_RayPtr a = add_ray(c.cone, {1, 1, 1});
  dd_RayPtr b = add_ray(c.cone, {1, 1, 1});
  a->FirstInfeasIndex = 4;
  b->FirstInfeasIndex = 4;
  assign(a->ZeroSet, {1, 2});
  assign(b->ZeroSet, {1, 2});
  dd_ConditionalAddEdge(c.cone, a, b, c.cone->FirstRay);
  EXPECT_EQ(c.cone->count_int, 0);

  a->FirstInfeasIndex = 5;
  assign(a->ZeroSet, {1, 2, 4});  // a lies on row 4, which cuts b
  dd_ConditionalAddEdge(c.cone, a, b, c.cone->FirstRay);
  EXPECT_EQ(c.cone->count_int, 0);
  EXPECT_EQ(c.cone->EdgeCount, 0);
  for (long k = 0; k < c.cone->m_alloc; ++k) EXPECT_EQ(c.cone->Edges[k], nullptr);
}

TEST(EdgesFiling, LastChanceDefersPairsMetAgainLater)
{
  Cone c({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}});
  assign(c.cone->AddedHalfspaces, {1, 2});
  c.cone->Iteration = 2;
  dd_RayPtr a = add_ray(c.cone, {1, 1, 1});
  dd_RayPtr b = add_ray(c.cone, {1, 1, 1});
  a->FirstInfeasIndex = 6;
  b->FirstInfeasIndex = 5;
  // Both lie on row 3 (position 3, between Iteration 2 and fmin 5).
  assign(a->ZeroSet, {1, 3});
  assign(b->ZeroSet, {1, 3, 6});
  dd_ConditionalAddEdge(c.cone, b, a, c.cone->FirstRay);
  EXPECT_EQ(c.cone->count_int, 1);
  EXPECT_EQ(c.cone->count_int_bad, 1);
  EXPECT_EQ(c.cone->count_int_good, 0);
  EXPECT_EQ(c.cone->Edges[5], nullptr);

  // A strict row gives no later chance: the pair is tested and filed.
  c.poly->EqualityIndex[3] = -1;
  dd_ConditionalAddEdge(c.cone, b, a, c.cone->FirstRay);
  EXPECT_EQ(c.cone->count_int, 2);
  EXPECT_EQ(c.cone->count_int_good, 1);
  auto e5 = edges(c.cone, 5);
  ASSERT_EQ(e5.size(), 1u);
  EXPECT_EQ(e5[0]->Ray1, a);  // larger FirstInfeasIndex
  EXPECT_EQ(e5[0]->Ray2, b);
  c.poly->EqualityIndex[3] = 0;

  // A row at the current iteration (row 3 now) is no later chance.
  c.cone->Iteration = 3;
  dd_ConditionalAddEdge(c.cone, a, b, c.cone->FirstRay);
  EXPECT_EQ(c.cone->count_int_bad, 1);
  e5 = edges(c.cone, 5);
  ASSERT_EQ(e5.size(), 2u);
  EXPECT_EQ(c.cone->EdgeCount, 2);
  EXPECT_EQ(c.cone->TotalEdgeCount, 2);
}

TEST(EdgesFiling, NewNodeStandsFirstAndThirdRaysFromValidFirstRay)
{
  // d = 3: one common added row suffices.
  Cone c({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}});
  assign(c.cone->AddedHalfspaces, {1, 2, 3});
  c.cone->Iteration = 3;
  dd_RayPtr t = add_ray(c.cone, {1, 1, 1});  // a third ray on row 1
  dd_RayPtr a = add_ray(c.cone, {1, 1, 1});
  dd_RayPtr b = add_ray(c.cone, {1, 1, 1});
  dd_RayPtr x = add_ray(c.cone, {1, 1, 1});
  assign(t->ZeroSet, {1, 2});
  assign(a->ZeroSet, {1});
  assign(b->ZeroSet, {1});
  assign(x->ZeroSet, {2});
  a->FirstInfeasIndex = 6;
  b->FirstInfeasIndex = 4;
  x->FirstInfeasIndex = 6;
  t->FirstInfeasIndex = 6;

  dd_ConditionalAddEdge(c.cone, a, b, t);  // t is searched: not adjacent
  EXPECT_EQ(c.cone->Edges[4], nullptr);
  dd_ConditionalAddEdge(c.cone, a, b, a);  // t is skipped: adjacent
  dd_ConditionalAddEdge(c.cone, b, x, nullptr);  // no common row: not adjacent
  assign(x->ZeroSet, {1, 3});
  dd_ConditionalAddEdge(c.cone, b, x, nullptr);  // null: no third-ray search
  auto e4 = edges(c.cone, 4);
  ASSERT_EQ(e4.size(), 2u);
  EXPECT_EQ(e4[0]->Ray1, x);  // filed last, stands first
  EXPECT_EQ(e4[0]->Ray2, b);
  EXPECT_EQ(e4[1]->Ray1, a);
}

TEST(EdgesFiling, UpdateEdgesWithNullArgumentsWarns)
{
  OrthantStart o;
  ::testing::internal::CaptureStderr();
  dd_UpdateEdges(o.cone, nullptr, o.cone->LastRay);
  dd_UpdateEdges(o.cone, o.cone->FirstRay, nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Warning: dd_UpdateEdges called with NULL pointer(s)\n"
            "Warning: dd_UpdateEdges called with NULL pointer(s)\n");
  EXPECT_EQ(o.cone->TotalEdgeCount, 0);
}

TEST(EdgesFiling, UpdateEdgesPairsOnlyIncreasingIndices)
{
  // Zero rays sorted by index 4, 4, 5, 6: pairs (4,5), (4,6), (5,6) only,
  // all adjacent under the nondegeneracy assumption.
  Cone c({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}});
  c.poly->NondegAssumed = dd_TRUE;
  assign(c.cone->AddedHalfspaces, {1, 2, 3});
  c.cone->Iteration = 3;
  const long fii[] = {4, 4, 5, 6};
  std::vector<dd_RayPtr> r;
  for (long f : fii) {
    r.push_back(add_ray(c.cone, {1, 1, 1}));
    r.back()->FirstInfeasIndex = f;
    assign(r.back()->ZeroSet, {1});
  }
  c.cone->ZeroRayCount = 4;
  dd_UpdateEdges(c.cone, r[0], r[3]);
  EXPECT_EQ(edges(c.cone, 4).size(), 4u);  // (r0,r2) (r0,r3) (r1,r2) (r1,r3)
  EXPECT_EQ(edges(c.cone, 5).size(), 1u);  // (r2,r3)
  EXPECT_EQ(c.cone->TotalEdgeCount, 5);
  for (dd_AdjacencyPtr e : edges(c.cone, 4)) EXPECT_GT(e->Ray1->FirstInfeasIndex, 4);
}

TEST(EdgesIteration, EdgeListIterationBuildsTheSquare)
{
  OrthantStart o;
  dd_ConePtr c = o.cone;
  dd_CreateInitialEdges(c);
  c->Iteration = 4;
  dd_AddNewHalfspace2(c, 4);
  // e2 is cut; e1 + e2 = (1, 1, 0) is new; e3 and the new ray lie on row 4.
  auto list = ray_list(c);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], o.e1);
  EXPECT_EQ(list[1], o.e3);  // zero rays by FirstInfeasIndex: 5, then 6
  EXPECT_EQ(coords(c, list[2]), (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(c->ZeroRayCount, 2);
  EXPECT_EQ(c->RayCount, 3);
  EXPECT_EQ(c->Edges[4], nullptr);
  EXPECT_TRUE(set_member(4, c->AddedHalfspaces));
  EXPECT_EQ(c->CompStatus, dd_InProgress);
  // The new pair (new ray, e3) is filed in front of (e1, e3).
  auto e5 = edges(c, 5);
  ASSERT_EQ(e5.size(), 2u);
  EXPECT_EQ(e5[0]->Ray1, list[2]);
  EXPECT_EQ(e5[0]->Ray2, o.e3);
  EXPECT_EQ(e5[1]->Ray1, o.e1);
  EXPECT_EQ(c->EdgeCount, 2);
  EXPECT_EQ(c->TotalEdgeCount, 3);

  c->Iteration = 5;
  dd_AddNewHalfspace2(c, 5);
  EXPECT_EQ(ray_set(c), kUnitSquare);
  list = ray_list(c);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(coords(c, list[0]), (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(list[1], o.e1);
  EXPECT_EQ(coords(c, list[2]), (std::vector<double>{1, 0, 1}));  // made last
  EXPECT_EQ(coords(c, list[3]), (std::vector<double>{1, 1, 1}));
  EXPECT_EQ(c->CompStatus, dd_AllFound);
  EXPECT_EQ(c->EdgeCount, 0);
  EXPECT_EQ(c->Edges[5], nullptr);
  EXPECT_EQ(c->ArtificialRay->Next, c->FirstRay);
  EXPECT_EQ(c->LastRay, list[3]);
}

TEST(EdgesIteration, StandardIterationBuildsTheSquare)
{
  OrthantStart o;
  dd_ConePtr c = o.cone;
  c->Iteration = 4;
  dd_AddNewHalfspace1(c, 4);
  auto list = ray_list(c);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], o.e1);
  EXPECT_EQ(list[1], o.e3);
  EXPECT_EQ(coords(c, list[2]), (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(c->CompStatus, dd_InProgress);
  set_addelem(c->AddedHalfspaces, 4);  // the driver's step

  c->Iteration = 5;
  dd_AddNewHalfspace1(c, 5);
  EXPECT_EQ(ray_set(c), kUnitSquare);
  list = ray_list(c);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0], o.e1);
  EXPECT_EQ(coords(c, list[1]), (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(coords(c, list[2]), (std::vector<double>{1, 0, 1}));
  EXPECT_EQ(coords(c, list[3]), (std::vector<double>{1, 1, 1}));
  EXPECT_EQ(c->CompStatus, dd_AllFound);
  EXPECT_EQ(c->RayCount, 4);
  EXPECT_EQ(c->ArtificialRay->Next, c->FirstRay);
}

TEST(EdgesIteration, EveryRayCutLeavesAnEmptyList)
{
  for (int variant = 1; variant <= 2; ++variant) {
    Cone c({{1, 0}, {0, 1}, {-1, -1}});
    c.cone->Iteration = 3;
    add_ray(c.cone, {1, 0});
    add_ray(c.cone, {0, 1});
    add_ray(c.cone, {1, 1});
    if (variant == 1)
      dd_AddNewHalfspace1(c.cone, 3);
    else
      dd_AddNewHalfspace2(c.cone, 3);
    EXPECT_EQ(c.cone->FirstRay, nullptr) << variant;
    EXPECT_EQ(c.cone->ArtificialRay->Next, nullptr);
    EXPECT_EQ(c.cone->LastRay, c.cone->ArtificialRay);
    EXPECT_EQ(c.cone->RayCount, 0);
    EXPECT_EQ(c.cone->CompStatus, dd_AllFound);
  }
}

TEST(EdgesIteration, NoNegativeRayChangesNoRay)
{
  for (int variant = 1; variant <= 2; ++variant) {
    Cone c({{1, 0}, {0, 1}, {1, 1}, {1, -1}});
    c.cone->Iteration = 3;
    assign(c.cone->AddedHalfspaces, {1, 2});
    dd_RayPtr a = add_ray(c.cone, {1, 0});  // value 1 on row 3
    dd_RayPtr b = add_ray(c.cone, {0, 1});  // value 1, cut by row 4 later
    if (variant == 1)
      dd_AddNewHalfspace1(c.cone, 3);
    else
      dd_AddNewHalfspace2(c.cone, 3);
    auto list = ray_list(c.cone);
    EXPECT_EQ(c.cone->TotalRayCount, 2) << variant;
    EXPECT_EQ(c.cone->RayCount, 2);
    EXPECT_EQ(std::set<dd_RayPtr>(list.begin(), list.end()),
              (std::set<dd_RayPtr>{a, b}));
    EXPECT_EQ(coords(c.cone, a), (std::vector<double>{1, 0}));
    EXPECT_EQ(c.cone->CompStatus, dd_InProgress);  // b is not feasible
  }
}

TEST(EdgesIteration, StandardIterationCombinesOnlyOppositeSigns)
{
  // d = 2 and the nondegeneracy assumption: every pair counts as adjacent,
  // so only the sign rule limits the combinations.
  Cone c({{1, 0}, {0, 1}});
  c.poly->NondegAssumed = dd_TRUE;
  c.cone->Iteration = 1;
  add_ray(c.cone, {1, 0});    // +
  add_ray(c.cone, {-1, 1});   // -
  add_ray(c.cone, {0, 1});    // 0
  add_ray(c.cone, {-2, -1});  // -
  dd_AddNewHalfspace1(c.cone, 1);
  // Two negatives times one positive: two new rays, both on row 1.
  EXPECT_EQ(c.cone->TotalRayCount, 6);
  auto list = ray_list(c.cone);
  ASSERT_EQ(list.size(), 4u);
  for (dd_RayPtr r : list) EXPECT_GE(r->Ray[0][0], -1e-07);
  EXPECT_EQ(coords(c.cone, list[2]), (std::vector<double>{0, -1}));  // with (-2,-1)
  EXPECT_EQ(coords(c.cone, list[3]), (std::vector<double>{0, 1}));   // with (-1,1)
}

namespace {

// A cone with many zero rays sorted by FirstInfeasIndex, with random zero
// sets (dense on the added rows, sparse on the others), a shuffled row
// order and some strict rows: the same for the same seed.
struct ZeroRayShape {
  long m = 40, d = 5, iteration = 20, count = 45;
  unsigned dense = 55, sparse = 12;  // percent on added rows, on others
  bool everywhere = false;  // every ray on the first added row
};

struct ManyZeroRays {
  Poly poly;
  dd_ConePtr cone;
  std::vector<dd_RayPtr> rays;
  explicit ManyZeroRays(unsigned seed, ZeroRayShape shape = {})
  {
    const long m = shape.m, d = shape.d, iteration = shape.iteration,
               count = shape.count;
    Rows rows(m, std::vector<double>(d, 1.0));
    poly = make_poly(rows, true);
    cone = load_cone(poly.get());
    dd_RandomPermutation(cone->OrderVector, m, seed);
    zonix::Random31 g(seed);
    for (long i = 1; i <= m; ++i)
      if (g.next() % 8 == 0) poly->EqualityIndex[i] = -1;
    add_sentinel(cone);
    set_emptyset(cone->AddedHalfspaces);
    for (long p = 1; p <= iteration; ++p)
      set_addelem(cone->AddedHalfspaces, cone->OrderVector[p]);
    cone->Iteration = iteration;
    std::vector<long> fii;
    for (long k = 0; k < count; ++k) fii.push_back(iteration + 1 + long(g.next() % (m - iteration + 1)));
    std::sort(fii.begin(), fii.end());
    for (long k = 0; k < count; ++k) {
      dd_RayPtr r = add_ray(cone, std::vector<double>(d, 1.0));
      set_emptyset(r->ZeroSet);
      for (long row = 1; row <= m; ++row) {
        const bool added = set_member(row, cone->AddedHalfspaces);
        if (g.next() % 100 < (added ? shape.dense : shape.sparse))
          set_addelem(r->ZeroSet, row);
      }
      if (shape.everywhere) set_addelem(r->ZeroSet, cone->OrderVector[1]);
      r->FirstInfeasIndex = fii[k];
      rays.push_back(r);
    }
    cone->ZeroRayCount = count;
  }
  long pos(dd_RayPtr r) const
  {
    return std::find(rays.begin(), rays.end(), r) - rays.begin();
  }
  std::vector<std::vector<std::pair<long, long>>> filed() const
  {
    std::vector<std::vector<std::pair<long, long>>> out;
    for (long k = 0; k < cone->m_alloc; ++k) {
      out.emplace_back();
      for (dd_AdjacencyPtr e = cone->Edges[k]; e != nullptr; e = e->Next)
        out.back().push_back({pos(e->Ray1), pos(e->Ray2)});
    }
    return out;
  }
};

}  // namespace

TEST(EdgesFiling, UpdateEdgesOnLongListsMatchesPairwiseFiling)
{
  // dd_UpdateEdges works on long lists with shortcuts (rows indexed by
  // position, third rays by row); it must file exactly what filing the
  // same pairs one by one files.
  for (unsigned seed = 1; seed <= 12; ++seed) {
    ManyZeroRays a(seed), b(seed);
    dd_UpdateEdges(a.cone, a.rays.front(), a.rays.back());
    for (size_t i = 0; i + 1 < b.rays.size(); ++i)
      for (size_t j = i + 1; j < b.rays.size(); ++j)
        if (b.rays[j]->FirstInfeasIndex > b.rays[i]->FirstInfeasIndex)
          dd_ConditionalAddEdge(b.cone, b.rays[i], b.rays[j], b.rays.front());
    SCOPED_TRACE(seed);
    EXPECT_EQ(a.filed(), b.filed());
    EXPECT_EQ(a.cone->count_int, b.cone->count_int);
    EXPECT_EQ(a.cone->count_int_bad, b.cone->count_int_bad);
    EXPECT_EQ(a.cone->count_int_good, b.cone->count_int_good);
    EXPECT_EQ(a.cone->TotalEdgeCount, b.cone->TotalEdgeCount);
    // The mix is meaningful: some pairs deferred, some filed, some found
    // non-adjacent by a third ray.
    EXPECT_GT(b.cone->count_int_bad, 0);
    EXPECT_GT(b.cone->TotalEdgeCount, 0);
    EXPECT_LT(b.cone->TotalEdgeCount, b.cone->count_int_good);
  }
}

TEST(EdgesFiling, UpdateEdgesOnSparseZeroSetsMatchesPairwiseFiling)
{
  // Rays on few rows, over several words of rows, with one row that every
  // ray lies on (as every zero ray lies on the row just added): here the
  // pairs are found through lists of the rays on each row instead of
  // being met one by one.  Filing, order and counters must be those of
  // filing every pair.
  ZeroRayShape shape;
  shape.m = 100;
  shape.d = 6;
  shape.iteration = 60;
  shape.count = 120;
  shape.dense = 9;
  shape.sparse = 4;
  shape.everywhere = true;
  long filed = 0, deferred = 0, searched_away = 0;
  for (unsigned seed = 1; seed <= 8; ++seed) {
    ManyZeroRays a(seed, shape), b(seed, shape);
    dd_UpdateEdges(a.cone, a.rays.front(), a.rays.back());
    for (size_t i = 0; i + 1 < b.rays.size(); ++i)
      for (size_t j = i + 1; j < b.rays.size(); ++j)
        if (b.rays[j]->FirstInfeasIndex > b.rays[i]->FirstInfeasIndex)
          dd_ConditionalAddEdge(b.cone, b.rays[i], b.rays[j], b.rays.front());
    SCOPED_TRACE(seed);
    EXPECT_EQ(a.filed(), b.filed());
    EXPECT_EQ(a.cone->count_int, b.cone->count_int);
    EXPECT_EQ(a.cone->count_int_bad, b.cone->count_int_bad);
    EXPECT_EQ(a.cone->count_int_good, b.cone->count_int_good);
    EXPECT_EQ(a.cone->TotalEdgeCount, b.cone->TotalEdgeCount);
    filed += b.cone->TotalEdgeCount;
    deferred += b.cone->count_int_bad;
    // Pairs with a large enough face that a third ray ruled out.
    for (size_t i = 0; i + 1 < b.rays.size(); ++i)
      for (size_t j = i + 1; j < b.rays.size(); ++j) {
        long card = 0;
        for (long row = 1; row <= shape.m; ++row)
          card += set_member(row, b.rays[i]->ZeroSet) &&
                  set_member(row, b.rays[j]->ZeroSet) &&
                  set_member(row, b.cone->AddedHalfspaces);
        searched_away += card >= shape.d - 2;
      }
  }
  // The mix is meaningful.
  EXPECT_GT(filed, 0);
  EXPECT_GT(deferred, 0);
  EXPECT_GT(searched_away, filed);
}
