// Rays: storing, combining, evaluating and sorting the ray list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine_test_util.hpp"

using namespace enginetest;
using ::testing::ElementsAre;

namespace {

// A homogeneous cone over the given rows with the sentinel in place.
struct ConeFixture {
  Poly poly;
  dd_ConePtr cone;
  explicit ConeFixture(const Rows &rows)
      : poly(make_poly(rows, true)), cone(load_cone(poly.get()))
  {
    add_sentinel(cone);
  }
};

// One ray per given value on row 1 = (1, 0): the ray (v, 0).
ConeFixture list_with_values(std::initializer_list<double> values)
{
  ConeFixture f({{1, 0}, {0, 1}});
  for (double v : values) add_ray(f.cone, {v, 0});
  return f;
}

}  // namespace

TEST(RaysStore, ZeroSetAndFirstInfeasiblePositionFollowTheOrder)
{
  // Ray (1, 1): row 1 gives -1, row 2 gives 0, row 3 gives -2.
  ConeFixture f({{-1, 0}, {1, -1}, {0, -2}});
  f.cone->OrderVector[1] = 2;
  f.cone->OrderVector[2] = 3;
  f.cone->OrderVector[3] = 1;
  dd_RayPtr r = add_ray(f.cone, {1, 1});
  EXPECT_EQ(members(r->ZeroSet), std::vector<long>{2});
  EXPECT_EQ(set_groundsize(r->ZeroSet), 3);
  EXPECT_EQ(r->FirstInfeasIndex, 2);  // position of row 3, not row 1
  EXPECT_FALSE(r->feasible);
  EXPECT_EQ(f.cone->FeasibleRayCount, 0);
  EXPECT_EQ(f.cone->WeaklyFeasibleRayCount, 0);
  EXPECT_EQ(f.cone->RayCount, 1);
  EXPECT_EQ(f.cone->TotalRayCount, 1);
  EXPECT_EQ(r->ARay[0], 0.0);
  EXPECT_EQ(coords(f.cone, r), (std::vector<double>{1, 1}));
}

TEST(RaysStore, FeasibleRayRaisesBothCounters)
{
  ConeFixture f({{1, 0}, {0, 1}, {1, 1}});
  dd_RayPtr r = add_ray(f.cone, {2, 0});
  EXPECT_EQ(r->FirstInfeasIndex, 4);  // m + 1
  EXPECT_TRUE(r->feasible);
  EXPECT_EQ(members(r->ZeroSet), std::vector<long>{2});
  EXPECT_EQ(f.cone->FeasibleRayCount, 1);
  EXPECT_EQ(f.cone->WeaklyFeasibleRayCount, 1);
  // The list is linked behind the sentinel.
  EXPECT_EQ(f.cone->ArtificialRay->Next, r);
  EXPECT_EQ(f.cone->FirstRay, r);
  EXPECT_EQ(f.cone->LastRay, r);
  EXPECT_EQ(r->Next, nullptr);
}

TEST(RaysStore, ToleranceBoundaryIsZeroSide)
{
  ConeFixture f({{1, 0}, {0, 1}});
  dd_RayPtr at = add_ray(f.cone, {-1e-07, 1});
  EXPECT_EQ(members(at->ZeroSet), std::vector<long>{1});
  EXPECT_TRUE(at->feasible);
  EXPECT_EQ(at->FirstInfeasIndex, 3);
  dd_RayPtr beyond = add_ray(f.cone, {-1.1e-07, 1});
  EXPECT_TRUE(members(beyond->ZeroSet).empty());
  EXPECT_FALSE(beyond->feasible);
  EXPECT_EQ(beyond->FirstInfeasIndex, 1);
}

TEST(RaysStore, RelaxedEnumerationTreatsStrictRows)
{
  // Row 2 is a strict inequality.
  ConeFixture f({{1, 0}, {0, 1}, {1, 1}});
  f.poly->RelaxedEnumeration = dd_TRUE;
  f.poly->EqualityIndex[2] = -1;

  // On the strict row: infeasible, yet weakly feasible.
  dd_RayPtr on = add_ray(f.cone, {1, 0});
  EXPECT_FALSE(on->feasible);
  EXPECT_EQ(on->FirstInfeasIndex, 4);
  EXPECT_EQ(f.cone->FeasibleRayCount, 0);
  EXPECT_EQ(f.cone->WeaklyFeasibleRayCount, 1);

  // Violating only the strict row: the first infeasible position stays m+1.
  dd_RayPtr only_strict = add_ray(f.cone, {2, -1});
  EXPECT_FALSE(only_strict->feasible);
  EXPECT_EQ(only_strict->FirstInfeasIndex, 4);
  EXPECT_EQ(f.cone->WeaklyFeasibleRayCount, 2);

  // Violating rows 2 (strict) and 3: the position of row 3 counts.
  dd_RayPtr both = add_ray(f.cone, {1, -3});
  EXPECT_EQ(both->FirstInfeasIndex, 3);
  EXPECT_EQ(f.cone->WeaklyFeasibleRayCount, 2);

  // Feasible in every sense.
  add_ray(f.cone, {1, 1});
  EXPECT_EQ(f.cone->FeasibleRayCount, 1);
  EXPECT_EQ(f.cone->WeaklyFeasibleRayCount, 3);
}

TEST(RaysCreate, CombinationLiesOnTheRowAndIsNormalised)
{
  // Row 1 = (2, -3): value 2 at (1, 0), -3 at (0, 1).
  ConeFixture f({{2, -3}, {1, 0}, {0, 1}});
  dd_RayPtr p1 = add_ray(f.cone, {1, 0});
  dd_RayPtr p2 = add_ray(f.cone, {0, 1});
  dd_CreateNewRay(f.cone, p1, p2, 1);
  dd_RayPtr r = f.cone->LastRay;
  ASSERT_NE(r, p2);
  EXPECT_EQ(coords(f.cone, r), (std::vector<double>{1.5, 1}));
  EXPECT_TRUE(set_member(1, r->ZeroSet));
  EXPECT_EQ(f.cone->RayCount, 3);
  EXPECT_EQ(p2->Next, r);
}

TEST(RaysCreate, NewRayIsTheCrossingPointOfTheSegment)
{
  // Segment from (1, 4, 1) (value 3.75 on row 1) to (1, 0, 5) (value
  // -1.25): the hyperplane is crossed a quarter of the way from the second.
  ConeFixture f({{0, 1, -0.25}, {1, 0, 0}});
  dd_RayPtr p1 = add_ray(f.cone, {1, 4, 1});
  dd_RayPtr p2 = add_ray(f.cone, {1, 0, 5});
  mytype a1, a2;
  dd_AValue(&a1, 3, f.cone->A, p1->Ray, 1);
  dd_AValue(&a2, 3, f.cone->A, p2->Ray, 1);
  ASSERT_DOUBLE_EQ(a1[0], 3.75);
  ASSERT_DOUBLE_EQ(a2[0], -1.25);
  dd_CreateNewRay(f.cone, p2, p1, 1);  // order of the arguments is free
  dd_RayPtr r = f.cone->LastRay;
  // 3.75*(1,0,5) + 1.25*(1,4,1) = (5, 5, 20), normalised by 5.
  EXPECT_EQ(coords(f.cone, r), (std::vector<double>{1, 1, 4}));
  mytype v;
  dd_AValue(&v, 3, f.cone->A, r->Ray, 1);
  EXPECT_NEAR(v[0], 0.0, 1e-12);
}

TEST(RaysEvaluate, StandardEvaluationMovesNegativesToTheFront)
{
  ConeFixture f = list_with_values({1, -1, 0, -2});
  const auto before = ray_list(f.cone);
  dd_EvaluateARay1(1, f.cone);
  const auto after = ray_list(f.cone);
  EXPECT_THAT(after, ElementsAre(before[3], before[1], before[0], before[2]));
  EXPECT_EQ(f.cone->ArtificialRay->Next, f.cone->FirstRay);
  EXPECT_EQ(f.cone->LastRay, before[2]);
  EXPECT_EQ(before[0]->ARay[0], 1.0);
  EXPECT_EQ(before[1]->ARay[0], -1.0);
  EXPECT_EQ(before[3]->ARay[0], -2.0);
}

TEST(RaysEvaluate, StandardEvaluationUpdatesLastRayWhenTheLastIsNegative)
{
  ConeFixture f = list_with_values({0, 2, -1});
  const auto before = ray_list(f.cone);
  dd_EvaluateARay1(1, f.cone);
  EXPECT_THAT(ray_list(f.cone), ElementsAre(before[2], before[0], before[1]));
  EXPECT_EQ(f.cone->LastRay, before[1]);
  EXPECT_EQ(f.cone->LastRay->Next, nullptr);
}

TEST(RaysEvaluate, SignSortingEvaluationSetsSubLists)
{
  ConeFixture f = list_with_values({1, -1, 0, -2});
  const auto before = ray_list(f.cone);
  dd_EvaluateARay2(1, f.cone);
  EXPECT_THAT(ray_list(f.cone), ElementsAre(before[3], before[1], before[0], before[2]));
  EXPECT_EQ(f.cone->NegHead, before[3]);
  EXPECT_EQ(f.cone->NegLast, before[1]);
  EXPECT_EQ(f.cone->PosHead, before[0]);
  EXPECT_EQ(f.cone->PosLast, before[0]);
  EXPECT_EQ(f.cone->ZeroHead, before[2]);
  EXPECT_EQ(f.cone->ZeroLast, before[2]);
  EXPECT_EQ(f.cone->FirstRay, before[3]);
  EXPECT_EQ(f.cone->LastRay, before[2]);
  EXPECT_EQ(f.cone->ArtificialRay->Next, before[3]);
}

TEST(RaysEvaluate, SignSortingReversesEachSignGroup)
{
  // Values (+, 0, +, -, 0, -): each group in reverse visit order.
  ConeFixture f = list_with_values({1, 0, 2, -1, 5e-08, -3});
  const auto b = ray_list(f.cone);
  dd_EvaluateARay2(1, f.cone);
  EXPECT_THAT(ray_list(f.cone), ElementsAre(b[5], b[3], b[2], b[0], b[4], b[1]));
  EXPECT_EQ(f.cone->PosLast->Next, f.cone->ZeroHead);
  EXPECT_EQ(f.cone->NegLast->Next, f.cone->PosHead);
  EXPECT_EQ(f.cone->LastRay, b[1]);
}

TEST(RaysEvaluate, SignSortingWithoutNegativesOrPositives)
{
  ConeFixture f = list_with_values({0, 1});
  const auto b = ray_list(f.cone);
  dd_EvaluateARay2(1, f.cone);
  EXPECT_THAT(ray_list(f.cone), ElementsAre(b[1], b[0]));
  EXPECT_EQ(f.cone->NegHead, nullptr);
  EXPECT_EQ(f.cone->NegLast, nullptr);
  EXPECT_EQ(f.cone->FirstRay, b[1]);

  ConeFixture g = list_with_values({-1, -2});
  const auto c = ray_list(g.cone);
  dd_EvaluateARay2(1, g.cone);
  EXPECT_THAT(ray_list(g.cone), ElementsAre(c[1], c[0]));
  EXPECT_EQ(g.cone->PosHead, nullptr);
  EXPECT_EQ(g.cone->ZeroHead, nullptr);
  EXPECT_EQ(g.cone->LastRay, c[0]);
}

TEST(RaysDelete, NegativesRemovedAndZerosSortedByFirstInfeasIndex)
{
  // m = 6 rows so that indices 3 and 5 are positions of the order.
  ConeFixture f({{1, 0}, {0, 1}, {1, 1}, {1, 2}, {2, 1}, {3, 1}});
  std::vector<dd_RayPtr> r;
  const double values[] = {-1, 1, 2, 0, 0, 0};
  const long fii[] = {1, 7, 7, 5, 3, 5};
  for (int k = 0; k < 6; ++k) {
    r.push_back(add_ray(f.cone, {1, 1}));
    r[k]->ARay[0] = values[k];
    r[k]->FirstInfeasIndex = fii[k];
  }
  dd_DeleteNegativeRays(f.cone);
  EXPECT_THAT(ray_list(f.cone), ElementsAre(r[1], r[2], r[4], r[5], r[3]));
  EXPECT_EQ(f.cone->ZeroRayCount, 3);
  EXPECT_EQ(f.cone->RayCount, 5);
  EXPECT_EQ(f.cone->PosHead, r[1]);
  EXPECT_EQ(f.cone->PosLast, r[2]);
  EXPECT_EQ(f.cone->ZeroHead, r[4]);
  EXPECT_EQ(f.cone->ZeroLast, r[3]);
  EXPECT_EQ(f.cone->FirstRay, r[1]);
  EXPECT_EQ(f.cone->LastRay, r[3]);
  EXPECT_EQ(f.cone->ArtificialRay->Next, r[1]);
  EXPECT_EQ(r[3]->Next, nullptr);
}

TEST(RaysDelete, ZeroRaysOnlyAndPositivesOnly)
{
  ConeFixture f({{1, 0}, {0, 1}, {1, 1}});
  dd_RayPtr a = add_ray(f.cone, {1, 1});
  dd_RayPtr b = add_ray(f.cone, {1, 1});
  a->ARay[0] = 0;
  a->FirstInfeasIndex = 4;
  b->ARay[0] = 0;
  b->FirstInfeasIndex = 2;
  dd_DeleteNegativeRays(f.cone);
  EXPECT_THAT(ray_list(f.cone), ElementsAre(b, a));
  EXPECT_EQ(f.cone->FirstRay, f.cone->ZeroHead);
  EXPECT_EQ(f.cone->LastRay, a);
  EXPECT_EQ(f.cone->PosHead, nullptr);

  ConeFixture g({{1, 0}, {0, 1}});
  dd_RayPtr p = add_ray(g.cone, {1, 1});
  dd_RayPtr n = add_ray(g.cone, {1, 1});
  n->ARay[0] = -1;
  p->ARay[0] = 1;
  // Put the negative ray in front, as the evaluation leaves it.
  g.cone->ArtificialRay->Next = n;
  n->Next = p;
  p->Next = nullptr;
  g.cone->FirstRay = n;
  g.cone->LastRay = p;
  dd_DeleteNegativeRays(g.cone);
  EXPECT_THAT(ray_list(g.cone), ElementsAre(p));
  EXPECT_EQ(g.cone->LastRay, p);
  EXPECT_EQ(g.cone->ZeroRayCount, 0);
  EXPECT_EQ(g.cone->RayCount, 1);
}

TEST(RaysDelete, StrayNegativeRayIsReportedOnceAndReleased)
{
  ConeFixture f({{1, 0}, {0, 1}});
  dd_RayPtr p = add_ray(f.cone, {1, 1});
  dd_RayPtr n1 = add_ray(f.cone, {1, 1});
  dd_RayPtr z = add_ray(f.cone, {1, 1});
  dd_RayPtr n2 = add_ray(f.cone, {1, 1});
  p->ARay[0] = 1;
  n1->ARay[0] = -1;
  z->ARay[0] = 0;
  n2->ARay[0] = -2;
  ::testing::internal::CaptureStderr();
  dd_DeleteNegativeRays(f.cone);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "Error: An infeasible ray found after their removal\n");
  EXPECT_THAT(ray_list(f.cone), ElementsAre(p, z));
  EXPECT_EQ(f.cone->RayCount, 2);
  EXPECT_EQ(f.cone->LastRay, z);
}

TEST(RaysDelete, ReportsBrokenSentinelLink)
{
  ConeFixture f = list_with_values({1});
  f.cone->ArtificialRay->Next = nullptr;
  ::testing::internal::CaptureStderr();
  dd_DeleteNegativeRays(f.cone);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error at dd_DeleteNegativeRays: ArtificialRay does not point the "
            "FirstRay.\n");
  EXPECT_EQ(f.cone->ArtificialRay->Next, f.cone->FirstRay);

  ConeFixture g = list_with_values({1});
  g.cone->ArtificialRay->Next = nullptr;
  ::testing::internal::CaptureStderr();
  dd_EvaluateARay1(1, g.cone);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error.  Artificial Ray does not point to FirstRay!!!\n");
}

TEST(RaysEliminate, OnlyRayLeavesTheSentinelAsLast)
{
  ConeFixture f = list_with_values({1});
  dd_RayPtr pred = f.cone->ArtificialRay;
  dd_Eliminate(f.cone, &pred);
  EXPECT_EQ(f.cone->FirstRay, nullptr);
  EXPECT_EQ(f.cone->LastRay, f.cone->ArtificialRay);
  EXPECT_EQ(f.cone->RayCount, 0);
  EXPECT_EQ(f.cone->TotalRayCount, 1);
  EXPECT_EQ(pred, f.cone->ArtificialRay);
}

TEST(RaysEliminate, MiddleAndLastRays)
{
  ConeFixture f = list_with_values({1, 2, 3});
  const auto b = ray_list(f.cone);
  dd_RayPtr pred = b[0];
  dd_Eliminate(f.cone, &pred);  // removes b[1]
  EXPECT_THAT(ray_list(f.cone), ElementsAre(b[0], b[2]));
  dd_Eliminate(f.cone, &pred);  // removes b[2], the last
  EXPECT_THAT(ray_list(f.cone), ElementsAre(b[0]));
  EXPECT_EQ(f.cone->LastRay, b[0]);
  EXPECT_EQ(f.cone->RayCount, 1);
  EXPECT_EQ(f.cone->FeasibleRayCount, 3);  // never decremented
}

TEST(RaysCompare, CheckEqualityUsesToleranceAndReports)
{
  ConeFixture f({{1, 0}, {0, 1}});
  dd_RayPtr a = add_ray(f.cone, {1, 2});
  dd_RayPtr b = add_ray(f.cone, {1, 2.00000005});
  dd_RayPtr c = add_ray(f.cone, {1, 3});
  dd_boolean equal = dd_FALSE;
  ::testing::internal::CaptureStderr();
  dd_CheckEquality(2, &a, &b, &equal);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Equal records found !!!!\n");
  EXPECT_TRUE(equal);
  ::testing::internal::CaptureStderr();
  dd_CheckEquality(2, &a, &c, &equal);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(equal);
  // Only the first d_size coordinates count; none at all means equal.
  ::testing::internal::CaptureStderr();
  dd_CheckEquality(1, &a, &c, &equal);
  EXPECT_TRUE(equal);
  dd_CheckEquality(0, &a, &c, &equal);
  EXPECT_TRUE(equal);
  ::testing::internal::GetCapturedStderr();
}

TEST(RaysCompare, LexicographicWithTolerance)
{
  mytype a[2] = {{1}, {2}};
  mytype b[2] = {{1}, {2.00000005}};
  mytype c[2] = {{1}, {3}};
  mytype d[2] = {{0.5}, {9}};
  EXPECT_FALSE(dd_LexSmaller(a, b, 2));
  EXPECT_FALSE(dd_LexSmaller(b, a, 2));
  EXPECT_TRUE(dd_LexSmaller(a, c, 2));
  EXPECT_FALSE(dd_LexSmaller(c, a, 2));
  EXPECT_TRUE(dd_LexSmaller(d, a, 2));  // first position decides
  EXPECT_TRUE(dd_LexLarger(c, a, 2));
  EXPECT_FALSE(dd_LexLarger(a, b, 2));
  // dmax limits the comparison, but position 1 is always compared.
  EXPECT_FALSE(dd_LexSmaller(a, c, 1));
  EXPECT_TRUE(dd_LexSmaller(d, a, 0));
  EXPECT_FALSE(dd_LexSmaller(a, c, 0));
}

TEST(RaysFeasibility, CountsNonnegativeAndViolatingRays)
{
  ConeFixture f = list_with_values({1, -1e-07, -1.1e-07, 0, -5});
  const auto b = ray_list(f.cone);
  b[0]->ARay[0] = 99;  // must not be read or written
  long fnum = -1, infnum = -1;
  dd_FeasibilityIndices(&fnum, &infnum, 1, f.cone);
  EXPECT_EQ(fnum, 3);
  EXPECT_EQ(infnum, 2);
  EXPECT_EQ(b[0]->ARay[0], 99);
  dd_FeasibilityIndices(&fnum, &infnum, 2, f.cone);  // all zero on row 2
  EXPECT_EQ(fnum, 5);
  EXPECT_EQ(infnum, 0);
}

TEST(RaysCopy, MapsReducedColumnsAndScalesPoints)
{
  ConeFixture f({{1, 0}, {0, 1}});
  dd_RayPtr r = add_ray(f.cone, {2, 4});
  long reducedcol[4] = {0, 1, 0, 2};
  mytype a[3];
  dd_CopyRay(a, 3, r, dd_Inequality, reducedcol);
  EXPECT_EQ(a[0][0], 2);
  EXPECT_EQ(a[1][0], 0);
  EXPECT_EQ(a[2][0], 4);
  dd_CopyRay(a, 3, r, dd_Generator, reducedcol);
  EXPECT_EQ(a[0][0], 1);
  EXPECT_EQ(a[1][0], 0);
  EXPECT_EQ(a[2][0], 2);

  dd_RayPtr tiny = add_ray(f.cone, {5e-08, 3});
  dd_CopyRay(a, 3, tiny, dd_Generator, reducedcol);
  EXPECT_EQ(a[0][0], 5e-08);
  EXPECT_EQ(a[2][0], 3);
}

TEST(RaysSets, InequalitySetsFromEqualityIndex)
{
  Poly p = make_poly({{1, 0}, {1, 1}, {0, 1}}, false);
  p->EqualityIndex[1] = 1;
  p->EqualityIndex[2] = -1;
  dd_ConePtr c = load_cone(p.get());
  ASSERT_EQ(c->m, 4);  // the extra row
  set_addelem(c->EqualitySet, 3);  // stale content is cleared
  dd_SetInequalitySets(c);
  EXPECT_EQ(members(c->GroundSet), (std::vector<long>{1, 2, 3}));
  EXPECT_EQ(members(c->EqualitySet), std::vector<long>{1});
  EXPECT_EQ(members(c->NonequalitySet), std::vector<long>{2});
}
