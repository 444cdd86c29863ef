// Row orders: the precomputed orders of five rows, and the dynamic rules
// on a cone of six rows and four rays whose violation counts are known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "support.hpp"

using namespace zonix::test;

namespace {

// A homogeneous polyhedron of the rows with its cone loaded.
struct Cone {
  Polyhedra poly;
  dd_ConePtr cone;
  explicit Cone(const Rows &rows) : poly(dd_CreatePolyhedraData(static_cast<long>(rows.size()), static_cast<long>(rows[0].size())))
  {
    dd_set_global_constants();
    poly->representation = dd_Inequality;
    poly->homogeneous = dd_TRUE;
    for (size_t i = 0; i < rows.size(); ++i)
      for (size_t j = 0; j < rows[0].size(); ++j) ddd_set_d(poly->A[i][j], rows[i][j]);
    cone = dd_ConeDataLoad(poly.get());
  }
  Members order(dd_RowOrderType rule)
  {
    cone->HalfspaceOrder = rule;
    dd_ComputeRowOrderVector(cone);
    return {cone->OrderVector + 1, cone->OrderVector + 1 + cone->m};
  }
};

TEST(RowOrder, EveryRuleOnFiveRows)
{
  // Lexicographically the rows run 4, 5, 3, 1, 2; the cutoff rules start
  // from that order too.
  Cone c({{0, 1, 2}, {1, 0, 0}, {0, 1, 1}, {-1, 2, 0}, {0, 0, 3}});
  const std::pair<dd_RowOrderType, Members> want[] = {
      {dd_MaxIndex, {5, 4, 3, 2, 1}}, {dd_MinIndex, {1, 2, 3, 4, 5}}, {dd_MinCutoff, {4, 5, 3, 1, 2}},
      {dd_MaxCutoff, {4, 5, 3, 1, 2}}, {dd_MixCutoff, {4, 5, 3, 1, 2}}, {dd_LexMin, {4, 5, 3, 1, 2}},
      {dd_LexMax, {2, 1, 3, 5, 4}}};
  for (const auto &[rule, rows] : want) EXPECT_EQ(c.order(rule), rows) << rule;
  Members r = c.order(dd_RandomRow);
  EXPECT_EQ(c.order(dd_RandomRow), r);  // the same seed, the same order
  std::sort(r.begin(), r.end());
  EXPECT_EQ(r, (Members{1, 2, 3, 4, 5}));
}

TEST(RowOrder, ColumnsTakenToCompleteTheMostRows)
{
  // Columns by hand: x2 and x3 complete one row each (the lower wins), then
  // x3 completes two, then none completes any until x1 (the lowest) lets x4
  // complete two.  Rows completed together stay lexicographic.
  Cone c({{0, 1, 0, 0, 1}, {0, 0, 1, 1, 0}, {0, 0, 0, 1, 0}, {0, 0, 1, 0, 0}, {1, 0, 0, 0, 0}, {0, 1, 1, 1, 1}});
  EXPECT_EQ(c.order(dd_ColumnGreedy), (Members{5, 4, 3, 2, 1, 6}));
  EXPECT_EQ(c.order(dd_LexMin), (Members{3, 4, 2, 1, 6, 5}));
  // x3 completes row 3 early; x4 completes rows 1 and 2, and row 1, using
  // every column and lexicographically first, goes after row 2.
  EXPECT_EQ(Cone({{0, -1, -1, -1}, {0, 1, 0, 1}, {0, 0, 1, 0}}).order(dd_ColumnGreedy), (Members{3, 2, 1}));
}

// Points (u, u^2), u = 7/7 .. 0/7 in rows 1..8, are swept by lexmin; the
// spread order starts where lexmin does (u = 0), then takes the farthest
// point (u = 1), then the one farthest from both (u = 4/7, by hand).  Few
// values in a column (0/1 points) or columns of very different scales
// (powers 1 and 6 of 1..8) go by columns instead.
TEST(RowOrder, SpreadOnlyWhereLexminSweeps)
{
  Rows curve;
  for (int i = 7; i >= 0; --i) curve.push_back({1, i / 7.0, i * i / 49.0});
  Cone c(curve);
  const Members spread = c.order(dd_LexMinSpread);
  EXPECT_EQ(Members(spread.begin(), spread.begin() + 3), (Members{8, 1, 4}));
  EXPECT_EQ(c.order(dd_LexMin), (Members{8, 7, 6, 5, 4, 3, 2, 1}));
  Rows powers;
  for (int t = 1; t <= 8; ++t) powers.push_back({1, double(t), std::pow(t, 6.0)});
  for (const Rows &rows : {Rows{{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}}, powers}) {
    Cone k(rows);
    EXPECT_EQ(k.order(dd_LexMinSpread), k.order(dd_ColumnGreedy));
  }
}

// A cone of the rows with the rays stored after the sentinel.
struct RayCone : Cone {
  RayCone(const Rows &rows, const Rows &rays) : Cone(rows)
  {
    for (long i = 0; i <= cone->m; ++i) cone->OrderVector[i] = i;
    dd_AddArtificialRay(cone);  // the sentinel in front of the list
    const size_t d = rows[0].size();
    std::vector<mytype> v(d);
    for (const Row &ray : rays) {
      for (size_t j = 0; j < d; ++j) ddd_set_d(v[j], ray[j]);
      dd_AddRay(cone, v.data());
    }
  }
  long pick(void (*rule)(dd_ConePtr, dd_rowset, dd_rowrange *), std::initializer_list<long> excluded, long start = -7)
  {
    Set ex = make_set(cone->m_alloc);
    for (long e : excluded) set_addelem(ex.get(), e);
    dd_rowrange hh = start;
    rule(cone, ex.get(), &hh);
    return hh;
  }
};

// Six rows and the rays (1,0), (0,1), (1,2), (-1,3): rays violating each
// row 1, 0, 3, 1, 2, 3; satisfying it 3, 4, 1, 3, 2, 1.
TEST(RowOrder, DynamicRulesPickByViolationCounts)
{
  RayCone c({{1, 0}, {0, 1}, {1, -1}, {-1, 1}, {-1, 0}, {0, -1}}, {{1, 0}, {0, 1}, {1, 2}, {-1, 3}});
  for (long i = 1; i <= 6; ++i) {
    const long inf[] = {1, 0, 3, 1, 2, 3};
    long f = -1, n = -1;
    dd_FeasibilityIndices(&f, &n, i, c.cone);
    EXPECT_EQ(n, inf[i - 1]) << i;
    EXPECT_EQ(f, 4 - inf[i - 1]) << i;
  }
  using Rule = void (*)(dd_ConePtr, dd_rowset, dd_rowrange *);
  struct Pick {
    Rule rule;
    std::initializer_list<long> excluded;
    long row;
  };
  const Pick picks[] = {
      {dd_SelectNextHalfspace0, {}, 6},        {dd_SelectNextHalfspace0, {5, 6}, 4},
      {dd_SelectNextHalfspace1, {1}, 2},       {dd_SelectNextHalfspace2, {}, 2},
      {dd_SelectNextHalfspace2, {2}, 1},       {dd_SelectNextHalfspace2, {1, 2}, 4},
      {dd_SelectNextHalfspace2, {1, 2, 4, 5}, 3}, {dd_SelectNextHalfspace3, {}, 3},
      {dd_SelectNextHalfspace3, {3}, 6},       {dd_SelectNextHalfspace3, {3, 5, 6}, 1},
      {dd_SelectNextHalfspace4, {}, 2},        {dd_SelectNextHalfspace4, {2}, 1},
      {dd_SelectNextHalfspace4, {1, 2}, 3},    {dd_SelectNextHalfspace4, {1, 2, 3, 4, 6}, 5},
      {dd_SelectNextHalfspace5, {}, 5},        {dd_SelectNextHalfspace5, {5}, 4},
      {dd_SelectNextHalfspace6, {}, 1},        {dd_SelectNextHalfspace6, {1}, 3},
  };
  for (const Pick &p : picks) EXPECT_EQ(c.pick(p.rule, p.excluded), p.row) << &p - picks;
  for (Rule r : {dd_SelectNextHalfspace2, dd_SelectNextHalfspace3, dd_SelectNextHalfspace4})
    EXPECT_EQ(c.pick(r, {1, 2, 3, 4, 5, 6}, 42), 42);
  for (Rule r : {dd_SelectNextHalfspace0, dd_SelectNextHalfspace1, dd_SelectNextHalfspace5, dd_SelectNextHalfspace6})
    EXPECT_EQ(c.pick(r, {1, 2, 3, 4, 5, 6}, 42), 0);
}

// A stored ray's zero set: a value within the rounding of large terms is
// zero, a small value of small terms is not.
TEST(RayRecords, ZeroSetSnapsOnlyRoundingResidues)
{
  // 1e12 x rounds, so row 1 at (7x, 7) is -2^-10 in doubles, far past the
  // absolute tolerance but rounding against terms of 7e12.
  const double x = 1 + std::ldexp(1.0, -40);
  const struct {
    Rows rows;
    Row ray;
    Members zeros;
    bool feasible;
  } cases[] = {
      {{{1e12, -1e12 * x}, {1, -1}, {0, 1}}, {7 * x, 7}, {1, 2}, true},
      {{{1, -1}, {0, 1}}, {1, 1 + 1e-4}, {}, false},
  };
  for (const auto &c : cases) {
    RayCone k(c.rows, {c.ray});
    EXPECT_EQ(members(k.cone->LastRay->ZeroSet), c.zeros) << c.rows[0][0];
    EXPECT_EQ(k.cone->LastRay->feasible != 0, c.feasible) << c.rows[0][0];
  }
}

// (0, 1, 2) and (0, 1, 3) are equal in their first two entries only.
TEST(RayRecords, EqualityIsEntryByEntry)
{
  mytype a[3], b[3];
  for (int j = 0; j < 3; ++j) ddd_set_d(a[j], j), ddd_set_d(b[j], j == 2 ? 3 : j);
  dd_RayType ra{}, rb{};
  ra.Ray = a, rb.Ray = b;
  dd_RayPtr pa = &ra, pb = &rb;
  dd_boolean equal = dd_TRUE;
  dd_CheckEquality(3, &pa, &pb, &equal);
  EXPECT_FALSE(equal);
  capture_stream(stderr, [&] { dd_CheckEquality(2, &pa, &pb, &equal); });  // it says so
  EXPECT_TRUE(equal);
}

// New rays are evaluated only on the rows their parents violate; on random
// integer cones (degenerate: many rows meet at a ray) every finished ray
// must still lie on exactly the rows of its zero set and violate none.
TEST(RayRecords, ZeroSetsOfCombinedRaysMatchTheRowValues)
{
  std::srand(11);
  for (int trial = 0; trial < 30; ++trial) {
    const long m = 10 + trial, d = 4 + trial % 3;
    Matrix M(dd_CreateMatrix(m, d));
    for (long i = 0; i < m; ++i)
      for (long j = 0; j < d; ++j) ddd_set_d(M->matrix[i][j], j == 0 ? 2 + std::rand() % 3 : std::rand() % 5 - 2);
    M->representation = dd_Inequality;
    dd_ErrorType err = dd_NoError;
    Polyhedra P(dd_DDMatrix2Poly(M.get(), &err));
    ASSERT_EQ(err, dd_NoError);
    const dd_ConePtr c = P->child;
    long rays = 0;
    for (dd_RayPtr r = c->FirstRay; r != nullptr; r = r->Next, ++rays) {
      for (long k = 1; k <= c->m; ++k) {
        long double v = 0;
        for (long j = 0; j < c->d; ++j) v += static_cast<long double>(c->A[k - 1][j][0]) * r->Ray[j][0];
        EXPECT_EQ(std::fabs(v) <= 1e-7L, set_member(k, r->ZeroSet) != 0) << "trial " << trial << " row " << k;
        EXPECT_GE(v, -1e-7L) << "trial " << trial << " row " << k;
      }
    }
    EXPECT_GT(rays, 0) << trial;
  }
}

}  // namespace
