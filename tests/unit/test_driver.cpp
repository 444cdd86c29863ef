// The double description driver and the extraction of its results.
// Expected values come from geometry: vertex, facet and edge counts of
// cubes, cross-polytopes, simplices, cyclic polytopes and the
// permutahedron, and incidences of the unit square worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

using Row = std::vector<double>;
using Rows = std::vector<Row>;

zonix::Matrix make(const Rows &rows, dd_RepresentationType rep,
                   std::initializer_list<long> lin = {}, long d = -1)
{
  dd_set_global_constants();
  const long m = static_cast<long>(rows.size());
  if (d < 0) d = rows.empty() ? 0 : static_cast<long>(rows[0].size());
  auto M = zonix::make_matrix(m, d);
  M->representation = rep;
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < d; ++j) M->matrix[i][j][0] = rows[i][j];
  for (long i : lin) set_addelem(M->linset, i);
  return M;
}

zonix::Polyhedra convert(const Rows &rows, dd_RepresentationType rep,
                         std::initializer_list<long> lin = {})
{
  auto M = make(rows, rep, lin);
  dd_ErrorType err = dd_ImproperInputFormat;
  auto P = zonix::make_polyhedra(M.get(), &err);
  EXPECT_EQ(err, dd_NoError);
  return P;
}

Rows rows_of(dd_MatrixPtr M)
{
  Rows out;
  for (long i = 0; i < M->rowsize; ++i) {
    Row r;
    for (long j = 0; j < M->colsize; ++j) r.push_back(M->matrix[i][j][0]);
    out.push_back(r);
  }
  return out;
}

std::vector<long> members(set_type s)
{
  std::vector<long> v;
  for (long e = 1; e <= set_groundsize(s); ++e)
    if (set_member(e, s)) v.push_back(e);
  return v;
}

// A row scaled by a positive factor so that its largest magnitude is 1,
// rounded so that equal rows compare equal.  For a point (first entry
// nonzero in a generator output) the first entry is made 1 instead.
Row canonical(Row r, bool point_form)
{
  double scale = 0;
  if (point_form && std::fabs(r[0]) > 1e-9) {
    scale = r[0];
  } else {
    for (double x : r) scale = std::max(scale, std::fabs(x));
  }
  if (scale == 0) scale = 1;
  for (double &x : r) {
    x /= scale;
    x = std::round(x * 1e6) / 1e6;
    if (x == 0) x = 0;  // no negative zero
  }
  return r;
}

std::set<Row> canonical_set(const Rows &rows, bool point_form)
{
  std::set<Row> s;
  for (const Row &r : rows) s.insert(canonical(r, point_form));
  return s;
}

double dot(const Row &a, const Row &b)
{
  double s = 0;
  for (size_t j = 0; j < a.size(); ++j) s += a[j] * b[j];
  return s;
}

// The 2^d vertices of [0,1]^d as rows (1, x).
Rows cube_vertices(int d)
{
  Rows v;
  for (int mask = 0; mask < (1 << d); ++mask) {
    Row r{1};
    for (int k = 0; k < d; ++k) r.push_back((mask >> k) & 1);
    v.push_back(r);
  }
  return v;
}

// The 2d facets of [0,1]^d: x_k >= 0 and 1 - x_k >= 0.
Rows cube_facets(int d)
{
  Rows f;
  for (int k = 0; k < d; ++k) {
    Row lo(static_cast<size_t>(d + 1), 0.0), hi(static_cast<size_t>(d + 1), 0.0);
    lo[static_cast<size_t>(k + 1)] = 1;
    hi[0] = 1;
    hi[static_cast<size_t>(k + 1)] = -1;
    f.push_back(lo);
    f.push_back(hi);
  }
  return f;
}

// Checks that every generator satisfies every inequality (with equality on
// linearity rows): the output must describe the same set as the input.
void expect_consistent(const Rows &H, const std::set<long> &hlin,
                       const Rows &V, const std::set<long> &vlin)
{
  for (size_t i = 0; i < H.size(); ++i)
    for (size_t k = 0; k < V.size(); ++k) {
      const double v = dot(H[i], V[k]);
      const bool line = vlin.count(static_cast<long>(k + 1)) > 0;
      if (hlin.count(static_cast<long>(i + 1)) || line)
        EXPECT_NEAR(v, 0.0, 1e-6) << "H row " << i + 1 << " V row " << k + 1;
      else
        EXPECT_GE(v, -1e-6) << "H row " << i + 1 << " V row " << k + 1;
    }
}

std::set<long> set_of(set_type s)
{
  auto v = members(s);
  return {v.begin(), v.end()};
}

}  // namespace

// ---- H to V ----------------------------------------------------------------

TEST(DriverHtoV, UnitSquare)
{
  auto P = convert(cube_facets(2), dd_Inequality);
  ASSERT_EQ(P->child->CompStatus, dd_AllFound);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->representation, dd_Generator);
  EXPECT_EQ(set_card(G->linset), 0);
  EXPECT_EQ(P->n, 4);
  EXPECT_EQ(P->ldim, 0);
  EXPECT_EQ(canonical_set(rows_of(G.get()), true),
            canonical_set(cube_vertices(2), true));

  // Each vertex is adjacent to the two that differ in one coordinate.
  zonix::SetFamily A(dd_CopyAdjacency(P.get()));
  ASSERT_NE(A, nullptr);
  ASSERT_EQ(A->famsize, 4);
  const Rows g = rows_of(G.get());
  for (long k = 0; k < 4; ++k) {
    const auto nb = members(A->set[k]);
    ASSERT_EQ(nb.size(), 2u) << "vertex " << k + 1;
    for (long j : nb) {
      const Row &a = g[static_cast<size_t>(k)];
      const Row &b = g[static_cast<size_t>(j - 1)];
      EXPECT_NEAR(std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]), 1.0, 1e-9);
    }
  }
}

TEST(DriverHtoV, HypercubeVerticesAndDegrees)
{
  for (int d = 3; d <= 6; ++d) {
    SCOPED_TRACE(d);
    auto P = convert(cube_facets(d), dd_Inequality);
    zonix::Matrix G(dd_CopyGenerators(P.get()));
    ASSERT_NE(G, nullptr);
    EXPECT_EQ(G->rowsize, 1L << d);
    EXPECT_EQ(canonical_set(rows_of(G.get()), true),
              canonical_set(cube_vertices(d), true));
    zonix::SetFamily A(dd_CopyAdjacency(P.get()));
    ASSERT_NE(A, nullptr);
    for (long k = 0; k < A->famsize; ++k)
      EXPECT_EQ(set_card(A->set[k]), d) << "vertex " << k + 1;
    // Facets: each is adjacent to all others but the opposite one.
    zonix::SetFamily IA(dd_CopyInputAdjacency(P.get()));
    ASSERT_NE(IA, nullptr);
    for (long i = 0; i < 2 * d; ++i)
      EXPECT_EQ(set_card(IA->set[i]), 2 * d - 2) << "facet " << i + 1;
  }
}

TEST(DriverHtoV, CrossPolytope)
{
  // sum of s_k x_k <= 1 for every sign vector s: vertices +-e_k.
  const int d = 4;
  Rows H;
  for (int mask = 0; mask < (1 << d); ++mask) {
    Row r{1};
    for (int k = 0; k < d; ++k) r.push_back((mask >> k) & 1 ? -1.0 : 1.0);
    H.push_back(r);
  }
  auto P = convert(H, dd_Inequality);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  Rows expected;
  for (int k = 0; k < d; ++k)
    for (double s : {1.0, -1.0}) {
      Row r(static_cast<size_t>(d + 1), 0.0);
      r[0] = 1;
      r[static_cast<size_t>(k + 1)] = s;
      expected.push_back(r);
    }
  EXPECT_EQ(canonical_set(rows_of(G.get()), true), canonical_set(expected, true));
  // Every vertex is adjacent to all but its opposite.
  zonix::SetFamily A(dd_CopyAdjacency(P.get()));
  for (long k = 0; k < A->famsize; ++k)
    EXPECT_EQ(set_card(A->set[k]), 2 * d - 2);
}

TEST(DriverHtoV, SimplexHasCompleteGraph)
{
  const int d = 5;
  Rows H;
  for (int k = 0; k < d; ++k) {
    Row r(static_cast<size_t>(d + 1), 0.0);
    r[static_cast<size_t>(k + 1)] = 1;
    H.push_back(r);
  }
  Row top(static_cast<size_t>(d + 1), -1.0);
  top[0] = 1;
  H.push_back(top);
  auto P = convert(H, dd_Inequality);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_EQ(G->rowsize, d + 1);
  zonix::SetFamily A(dd_CopyAdjacency(P.get()));
  for (long k = 0; k < A->famsize; ++k) {
    EXPECT_EQ(set_card(A->set[k]), d);
    EXPECT_FALSE(set_member(k + 1, A->set[k]));
  }
}

TEST(DriverHtoV, HalfPlaneWithFreeVariable)
{
  // x >= 1 in the variables x, y.
  auto P = convert({{-1, 1, 0}}, dd_Inequality);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  ASSERT_EQ(G->rowsize, 3);
  EXPECT_EQ(P->n, 3);
  EXPECT_EQ(P->ldim, 1);
  const Rows g = rows_of(G.get());
  EXPECT_EQ((std::set<Row>{canonical(g[0], true), canonical(g[1], true)}),
            (std::set<Row>{{1, 1, 0}, {0, 1, 0}}));
  EXPECT_EQ(g[2], (Row{0, 0, 1}));
  EXPECT_EQ(members(G->linset), (std::vector<long>{3}));

  zonix::SetFamily A(dd_CopyAdjacency(P.get()));
  EXPECT_EQ(members(A->set[0]), (std::vector<long>{2, 3}));
  EXPECT_EQ(members(A->set[1]), (std::vector<long>{1, 3}));
  EXPECT_EQ(members(A->set[2]), (std::vector<long>{1, 2, 3}));
}

TEST(DriverHtoV, CylinderOverSquare)
{
  // 0 <= x, y <= 1 in (x, y, z): z is free.
  Rows H = {{0, 1, 0, 0}, {0, 0, 1, 0}, {1, -1, 0, 0}, {1, 0, -1, 0}};
  auto P = convert(H, dd_Inequality);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_EQ(G->rowsize, 5);
  EXPECT_EQ(P->ldim, 1);
  EXPECT_EQ(members(G->linset), (std::vector<long>{5}));
  const Rows g = rows_of(G.get());
  EXPECT_EQ(canonical(g[4], false), (Row{0, 0, 0, 1}));
  Rows pts(g.begin(), g.begin() + 4);
  EXPECT_EQ(canonical_set(pts, true),
            (std::set<Row>{{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 0, 1, 0},
                           {1, 1, 1, 0}}));
  expect_consistent(H, {}, g, {5});
}

TEST(DriverHtoV, EquationCutsSquareToSegment)
{
  // The square with x = y as an equation: the diagonal segment.
  Rows H = cube_facets(2);
  H.push_back({0, 1, -1});
  auto P = convert(H, dd_Inequality, {5});
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(canonical_set(rows_of(G.get()), true),
            (std::set<Row>{{1, 0, 0}, {1, 1, 1}}));
}

TEST(DriverHtoV, OriginAsHomogeneousH)
{
  // x = 0 and y = 0 written as four homogeneous inequalities.
  auto P = convert({{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}},
                   dd_Inequality);
  ASSERT_TRUE(P->homogeneous);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(rows_of(G.get()), (Rows{{1, 0, 0}}));
  zonix::SetFamily A(dd_CopyAdjacency(P.get()));
  ASSERT_NE(A, nullptr);
  EXPECT_EQ(A->famsize, 1);
  EXPECT_EQ(set_card(A->set[0]), 0);
}

TEST(DriverHtoV, HomogeneousConeHasNoPoint)
{
  // The quadrant x, y >= 0 as a cone: two directions, the apex implied.
  auto P = convert({{0, 1, 0}, {0, 0, 1}}, dd_Inequality);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(canonical_set(rows_of(G.get()), false),
            (std::set<Row>{{0, 1, 0}, {0, 0, 1}}));
}

TEST(DriverHtoV, InfeasibleSystemGivesEmptyOutput)
{
  // x >= 1 and x <= 0: every ray is cut; the run still completes.
  auto P = convert({{-1, 1}, {0, -1}}, dd_Inequality);
  EXPECT_EQ(P->child->CompStatus, dd_AllFound);
  EXPECT_EQ(P->child->FirstRay, nullptr);
  EXPECT_EQ(P->child->RayCount, 0);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->rowsize, 0);

  // The square cut by x >= 2.
  Rows H = cube_facets(2);
  H.push_back({-2, 1, 0});
  auto Q = convert(H, dd_Inequality);
  zonix::Matrix G2(dd_CopyGenerators(Q.get()));
  ASSERT_NE(G2, nullptr);
  EXPECT_EQ(G2->rowsize, 0);
}

TEST(DriverHtoV, RedundantRowChangesNothing)
{
  Rows H = cube_facets(3);
  H.push_back({2, -1, 0, 0});  // x <= 2
  auto P = convert(H, dd_Inequality);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  EXPECT_EQ(canonical_set(rows_of(G.get()), true),
            canonical_set(cube_vertices(3), true));
  zonix::SetFamily inc(dd_CopyInputIncidence(P.get()));
  ASSERT_NE(inc, nullptr);
  EXPECT_EQ(set_card(inc->set[6]), 0);  // row 7 touches no vertex
  EXPECT_TRUE(set_member(7, P->Ared));
}

// ---- V to H ----------------------------------------------------------------

TEST(DriverVtoH, UnitSquareAndCentre)
{
  auto P = convert(cube_vertices(2), dd_Generator);
  zonix::Matrix H(dd_CopyInequalities(P.get()));
  ASSERT_NE(H, nullptr);
  EXPECT_EQ(H->representation, dd_Inequality);
  const auto facets = canonical_set(cube_facets(2), false);
  EXPECT_EQ(canonical_set(rows_of(H.get()), false), facets);

  // The centre is inside: the facets stay, and the point lies on none of
  // them, which marks it redundant.
  Rows V = cube_vertices(2);
  V.push_back({1, 0.5, 0.5});
  auto Q = convert(V, dd_Generator);
  zonix::Matrix H2(dd_CopyInequalities(Q.get()));
  ASSERT_NE(H2, nullptr);
  EXPECT_EQ(canonical_set(rows_of(H2.get()), false), facets);
  zonix::SetFamily inc(dd_CopyInputIncidence(Q.get()));
  ASSERT_NE(inc, nullptr);
  EXPECT_EQ(set_card(inc->set[4]), 0);
  EXPECT_EQ(members(Q->Ared), (std::vector<long>{5}));
}

TEST(DriverVtoH, HypercubeFacets)
{
  for (int d = 3; d <= 6; ++d) {
    SCOPED_TRACE(d);
    auto P = convert(cube_vertices(d), dd_Generator);
    zonix::Matrix H(dd_CopyInequalities(P.get()));
    ASSERT_NE(H, nullptr);
    EXPECT_EQ(H->rowsize, 2 * d);
    EXPECT_EQ(canonical_set(rows_of(H.get()), false),
              canonical_set(cube_facets(d), false));
    // Each facet holds half the vertices; facets adjacent as for the cube.
    zonix::SetFamily inc(dd_CopyIncidence(P.get()));
    ASSERT_NE(inc, nullptr);
    for (long k = 0; k < inc->famsize; ++k)
      EXPECT_EQ(set_card(inc->set[k]), 1L << (d - 1));
    zonix::SetFamily A(dd_CopyAdjacency(P.get()));
    for (long k = 0; k < A->famsize; ++k)
      EXPECT_EQ(set_card(A->set[k]), 2 * d - 2);
    // Two vertices are adjacent input rows exactly when they form an edge.
    zonix::SetFamily IA(dd_CopyInputAdjacency(P.get()));
    for (long i = 0; i < IA->famsize; ++i)
      EXPECT_EQ(set_card(IA->set[i]), d);
  }
}

TEST(DriverVtoH, CrossPolytopeFacets)
{
  const int d = 3;
  Rows V;
  for (int k = 0; k < d; ++k)
    for (double s : {1.0, -1.0}) {
      Row r(d + 1, 0.0);
      r[0] = 1;
      r[static_cast<size_t>(k + 1)] = s;
      V.push_back(r);
    }
  auto P = convert(V, dd_Generator);
  zonix::Matrix H(dd_CopyInequalities(P.get()));
  ASSERT_NE(H, nullptr);
  EXPECT_EQ(H->rowsize, 1 << d);
  for (const Row &r : rows_of(H.get())) {
    const Row c = canonical(r, false);
    EXPECT_EQ(std::fabs(c[1]), 1.0);
    EXPECT_EQ(std::fabs(c[2]), 1.0);
    EXPECT_EQ(std::fabs(c[3]), 1.0);
    EXPECT_EQ(c[0], 1.0);
  }
}

TEST(DriverVtoH, CyclicPolytopeRoundTrip)
{
  // C(n, 4): n points on the moment curve, n(n-3)/2 facets, and every two
  // vertices form an edge (the polytope is 2-neighbourly).
  const int n = 9;
  Rows V;
  for (int t = 1; t <= n; ++t)
    V.push_back({1, double(t), double(t * t), double(t * t * t),
                 double(t * t * t * t)});
  auto P = convert(V, dd_Generator);
  zonix::Matrix H(dd_CopyInequalities(P.get()));
  ASSERT_NE(H, nullptr);
  EXPECT_EQ(H->rowsize, n * (n - 3) / 2);
  expect_consistent(rows_of(H.get()), {}, V, {});
  zonix::SetFamily IA(dd_CopyInputAdjacency(P.get()));
  for (long i = 0; i < n; ++i) EXPECT_EQ(set_card(IA->set[i]), n - 1);

  auto Q = convert(rows_of(H.get()), dd_Inequality);
  zonix::Matrix G(dd_CopyGenerators(Q.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(canonical_set(rows_of(G.get()), true), canonical_set(V, true));
  zonix::SetFamily A(dd_CopyAdjacency(Q.get()));
  for (long k = 0; k < A->famsize; ++k) EXPECT_EQ(set_card(A->set[k]), n - 1);
}

TEST(DriverVtoH, PermutahedronHasEquationAndFourteenFacets)
{
  // Permutations of (1, 2, 3, 4): 24 vertices in the hyperplane sum = 10,
  // 14 facets (8 hexagons, 6 squares), each vertex of degree 3.
  Rows V;
  std::vector<int> p{1, 2, 3, 4};
  do {
    V.push_back({1, double(p[0]), double(p[1]), double(p[2]), double(p[3])});
  } while (std::next_permutation(p.begin(), p.end()));
  auto P = convert(V, dd_Generator);
  zonix::Matrix H(dd_CopyInequalities(P.get()));
  ASSERT_NE(H, nullptr);
  EXPECT_EQ(H->rowsize, 15);
  EXPECT_EQ(P->ldim, 1);
  const auto lin = members(H->linset);
  ASSERT_EQ(lin.size(), 1u);
  Row eq = rows_of(H.get())[static_cast<size_t>(lin[0] - 1)];
  if (eq[1] < 0)
    for (double &x : eq) x = -x;
  EXPECT_EQ(canonical(eq, false), canonical({-10, 1, 1, 1, 1}, false));
  expect_consistent(rows_of(H.get()), set_of(H->linset), V, {});

  auto Q = convert(rows_of(H.get()), dd_Inequality, {lin[0]});
  zonix::Matrix G(dd_CopyGenerators(Q.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(canonical_set(rows_of(G.get()), true), canonical_set(V, true));
  zonix::SetFamily A(dd_CopyAdjacency(Q.get()));
  for (long k = 0; k < A->famsize; ++k) EXPECT_EQ(set_card(A->set[k]), 3);
}

TEST(DriverVtoH, OriginAsV)
{
  // The single point 0: the inequality 1 >= 0 and the equations x = y = 0.
  auto P = convert({{1, 0, 0}}, dd_Generator);
  zonix::Matrix H(dd_CopyInequalities(P.get()));
  ASSERT_NE(H, nullptr);
  ASSERT_EQ(H->rowsize, 3);
  EXPECT_EQ(members(H->linset), (std::vector<long>{2, 3}));
  const Rows h = rows_of(H.get());
  EXPECT_EQ(canonical(h[0], false), (Row{1, 0, 0}));
  EXPECT_EQ(canonical_set({h[1], h[2]}, false),
            (std::set<Row>{{0, 1, 0}, {0, 0, 1}}));
}

TEST(DriverVtoH, LineAndRayInput)
{
  // The point 0 with the line along x and the ray along y: the upper
  // half-plane y >= 0.
  auto P = convert({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, dd_Generator, {2});
  zonix::Matrix H(dd_CopyInequalities(P.get()));
  ASSERT_NE(H, nullptr);
  std::set<Row> ineq;
  for (long i = 1; i <= H->rowsize; ++i)
    if (!set_member(i, H->linset))
      ineq.insert(canonical(rows_of(H.get())[static_cast<size_t>(i - 1)], false));
  EXPECT_TRUE(ineq.count(Row{0, 0, 1}));
  EXPECT_TRUE(set_card(H->linset) == 0);
  expect_consistent(rows_of(H.get()), set_of(H->linset),
                    {{1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}}, {});
}

// ---- errors and special runs -----------------------------------------------

TEST(DriverErrors, EmptyVrepresentation)
{
  auto M = make({}, dd_Generator, {}, 3);
  dd_ErrorType err = dd_NoError;
  zonix::Polyhedra P(dd_DDMatrix2Poly(M.get(), &err));
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(err, dd_EmptyVrepresentation);
  EXPECT_EQ(P->child->Error, dd_EmptyVrepresentation);
  EXPECT_EQ(dd_CopyInequalities(P.get()), nullptr);
  EXPECT_EQ(dd_CopyOutput(P.get()), nullptr);
  EXPECT_EQ(dd_CopyAdjacency(P.get()), nullptr);
  EXPECT_EQ(dd_CopyIncidence(P.get()), nullptr);
  EXPECT_EQ(dd_CopyInputIncidence(P.get()), nullptr);
  EXPECT_EQ(dd_CopyInputAdjacency(P.get()), nullptr);
  EXPECT_FALSE(dd_InputAdjacentQ(P.get(), 1, 1));
  // The input itself can still be read back.
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->rowsize, 0);
}

TEST(DriverErrors, NegativeSizeAndNullInput)
{
  auto M = make({{1, 0}}, dd_Inequality);
  M->rowsize = -1;
  dd_ErrorType err = dd_NoError;
  EXPECT_EQ(dd_DDMatrix2Poly(M.get(), &err), nullptr);
  EXPECT_EQ(err, dd_NegativeMatrixSize);
  M->rowsize = 1;

  err = dd_NoError;
  EXPECT_EQ(dd_DDMatrix2Poly(nullptr, &err), nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);

  // The copy functions and the run accept a null polyhedron.
  EXPECT_EQ(dd_CopyOutput(nullptr), nullptr);
  EXPECT_EQ(dd_CopyGenerators(nullptr), nullptr);
  EXPECT_EQ(dd_CopyInequalities(nullptr), nullptr);
  EXPECT_EQ(dd_CopyAdjacency(nullptr), nullptr);
  EXPECT_EQ(dd_CopyIncidence(nullptr), nullptr);
  EXPECT_FALSE(dd_DoubleDescription(nullptr, &err));
  dd_FreePolyhedra(nullptr);
}

TEST(DriverErrors, MatrixWithoutColumnsIsImproper)
{
  // Rows of zero entries have no homogenising column to read.
  for (auto rep : {dd_Generator, dd_Inequality}) {
    auto M = make({{}, {}}, rep, {}, 0);
    dd_ErrorType err = dd_NoError;
    zonix::Polyhedra P(dd_DDMatrix2Poly(M.get(), &err));
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(err, dd_ImproperInputFormat);
    EXPECT_EQ(dd_CopyOutput(P.get()), nullptr);
    EXPECT_EQ(dd_CopyAdjacency(P.get()), nullptr);
  }
}

TEST(DriverErrors, NoRowsAndZeroRows)
{
  // No inequality at all in the plane: the whole plane, the origin with
  // both coordinate lines.
  auto M = make({}, dd_Inequality, {}, 3);
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::Polyhedra Q(dd_DDMatrix2Poly(M.get(), &err));
  EXPECT_EQ(err, dd_NoError);
  zonix::Matrix G(dd_CopyGenerators(Q.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(canonical_set(rows_of(G.get()), false),
            (std::set<Row>{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}));
  EXPECT_EQ(set_card(G->linset), 2);

  // A single column: 2 >= 0 holds (the point of R^0), -1 >= 0 does not.
  auto R = convert({{2}}, dd_Inequality);
  zonix::Matrix GR(dd_CopyGenerators(R.get()));
  EXPECT_EQ(rows_of(GR.get()), (Rows{{1}}));
  auto S = convert({{-1}}, dd_Inequality);
  zonix::Matrix GS(dd_CopyGenerators(S.get()));
  ASSERT_NE(GS, nullptr);
  EXPECT_EQ(GS->rowsize, 0);
}

TEST(DriverRun, CompletedPolyhedronIsLeftAlone)
{
  auto P = convert(cube_facets(3), dd_Inequality);
  dd_ConePtr cone = P->child;
  dd_RayPtr first = cone->FirstRay;
  dd_ErrorType err = dd_ImproperInputFormat;
  EXPECT_FALSE(dd_DoubleDescription(P.get(), &err));
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(P->child, cone);
  EXPECT_EQ(cone->FirstRay, first);
}

TEST(DriverRun, UnfinishedRunIsRedone)
{
  // A polyhedron whose cone was loaded but never run is computed afresh.
  auto M = make(cube_facets(2), dd_Inequality);
  dd_ErrorType err = dd_NoError;
  zonix::Polyhedra P(dd_DDMatrix2Poly(M.get(), &err));
  dd_FreeDDMemory(P.get());
  dd_ConeDataLoad(P.get());
  ASSERT_NE(P->child->CompStatus, dd_AllFound);
  EXPECT_TRUE(dd_DoubleDescription(P.get(), &err));
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->rowsize, 4);
}

TEST(DriverRun, EveryRowOrderGivesTheSameCube)
{
  const int d = 4;
  const auto expected = canonical_set(cube_vertices(d), true);
  for (auto order : {dd_MaxIndex, dd_MinIndex, dd_MinCutoff, dd_MaxCutoff,
                     dd_MixCutoff, dd_LexMin, dd_LexMax, dd_RandomRow}) {
    SCOPED_TRACE(order);
    auto M = make(cube_facets(d), dd_Inequality);
    dd_ErrorType err = dd_ImproperInputFormat;
    zonix::Polyhedra P(dd_DDMatrix2Poly2(M.get(), order, &err));
    EXPECT_EQ(err, dd_NoError);
    EXPECT_EQ(P->child->HalfspaceOrder, order);
    zonix::Matrix G(dd_CopyGenerators(P.get()));
    ASSERT_NE(G, nullptr);
    EXPECT_EQ(canonical_set(rows_of(G.get()), true), expected);
    zonix::SetFamily A(dd_CopyAdjacency(P.get()));
    for (long k = 0; k < A->famsize; ++k) EXPECT_EQ(set_card(A->set[k]), d);
  }
}

TEST(DriverRun, DynamicOrderRecordsRowsTaken)
{
  auto M = make(cube_facets(3), dd_Inequality);
  dd_ErrorType err = dd_NoError;
  zonix::Polyhedra P(dd_DDMatrix2Poly2(M.get(), dd_MaxCutoff, &err));
  dd_ConePtr c = P->child;
  EXPECT_FALSE(c->PreOrderedRun);
  // The order vector stays a permutation of the rows, the initial basis
  // first, and the rows up to the last iteration are exactly those taken.
  std::set<long> seen;
  for (long k = 1; k <= c->m; ++k) seen.insert(c->OrderVector[k]);
  EXPECT_EQ(seen.size(), static_cast<size_t>(c->m));
  const long last = std::min<long>(c->Iteration, c->m);
  for (long k = 1; k <= last; ++k)
    EXPECT_TRUE(set_member(c->OrderVector[k], c->WeaklyAddedHalfspaces));
  EXPECT_EQ(set_card(c->WeaklyAddedHalfspaces), last);
}

TEST(DriverRun, NondegenerateAssumptionOnSimplePolytope)
{
  // The cube is simple, so skipping the third-ray search changes nothing.
  auto M = make(cube_facets(4), dd_Inequality);
  zonix::Polyhedra P(dd_CreatePolyhedraData(M->rowsize, M->colsize));
  P->representation = dd_Inequality;
  P->homogeneous = dd_FALSE;
  P->NondegAssumed = dd_TRUE;
  for (long i = 0; i < M->rowsize; ++i)
    for (long j = 0; j < M->colsize; ++j) P->A[i][j][0] = M->matrix[i][j][0];
  dd_ErrorType err = dd_ImproperInputFormat;
  EXPECT_TRUE(dd_DoubleDescription(P.get(), &err));
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(canonical_set(rows_of(G.get()), true),
            canonical_set(cube_vertices(4), true));
}

namespace {

// The unit square with the strict row x < 1/2 (EqualityIndex -1).
zonix::Polyhedra square_with_strict_row(bool relaxed)
{
  Rows H = cube_facets(2);
  H.push_back({0.5, -1, 0});
  zonix::Polyhedra P(dd_CreatePolyhedraData(5, 3));
  P->representation = dd_Inequality;
  P->homogeneous = dd_FALSE;
  P->RelaxedEnumeration = relaxed ? dd_TRUE : dd_FALSE;
  for (long i = 0; i < 5; ++i)
    for (long j = 0; j < 3; ++j) P->A[i][j][0] = H[i][j];
  P->EqualityIndex[5] = -1;
  dd_ErrorType err = dd_ImproperInputFormat;
  dd_DoubleDescription(P.get(), &err);
  EXPECT_EQ(err, dd_NoError);
  return P;
}

}  // namespace

TEST(DriverRun, StrictRowIsSkippedUnderRelaxedEnumeration)
{
  auto P = square_with_strict_row(true);
  dd_ConePtr c = P->child;
  ASSERT_EQ(c->CompStatus, dd_AllFound);
  EXPECT_FALSE(set_member(5, c->AddedHalfspaces));
  EXPECT_FALSE(set_member(5, c->InitialHalfspaces));
  // The square's vertices stay rays; those with x > 1/2 are infeasible.
  EXPECT_EQ(c->RayCount, 4);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(canonical_set(rows_of(G.get()), true),
            (std::set<Row>{{1, 0, 0}, {1, 0, 1}}));
  // Adjacency covers only the output rows, although the list has four.
  zonix::SetFamily A(dd_CopyAdjacency(P.get()));
  ASSERT_NE(A, nullptr);
  EXPECT_EQ(A->famsize, 2);
  EXPECT_EQ(members(A->set[0]), (std::vector<long>{2}));
  EXPECT_EQ(members(A->set[1]), (std::vector<long>{1}));
}

TEST(DriverRun, StrictRowWithoutRelaxationLeavesRunUnfinished)
{
  auto P = square_with_strict_row(false);
  EXPECT_EQ(P->child->CompStatus, dd_InProgress);
  EXPECT_EQ(dd_CopyGenerators(P.get()), nullptr);
  EXPECT_EQ(dd_CopyAdjacency(P.get()), nullptr);
}

// ---- appending rows --------------------------------------------------------

TEST(DriverAppend, AppendedRowsMatchFreshRun)
{
  Rows H = cube_facets(3);
  Rows first(H.begin(), H.begin() + 4);
  Rows rest(H.begin() + 4, H.end());
  auto P0 = convert(first, dd_Inequality);
  dd_PolyhedraPtr raw = P0.release();
  auto M = make(rest, dd_Inequality);
  EXPECT_TRUE(dd_AppendMatrix2Poly(&raw, M.get()));
  zonix::Polyhedra P(raw);
  EXPECT_EQ(P->m, 6);
  EXPECT_EQ(P->representation, dd_Inequality);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(canonical_set(rows_of(G.get()), true),
            canonical_set(cube_vertices(3), true));

  // Linearity marks of both parts survive, renumbered.
  auto A = convert({{0, 1, 0}}, dd_Inequality, {1});
  raw = A.release();
  auto E = make({{1, -1, 0}, {0, 0, 1}, {1, 0, -1}}, dd_Inequality, {2});
  EXPECT_TRUE(dd_AppendMatrix2Poly(&raw, E.get()));
  zonix::Polyhedra B(raw);
  zonix::Matrix In(dd_CopyInequalities(B.get()));
  EXPECT_EQ(members(In->linset), (std::vector<long>{1, 3}));
}

TEST(DriverAppend, RejectedAppendLeavesPolyhedron)
{
  auto P0 = convert(cube_facets(2), dd_Inequality);
  dd_PolyhedraPtr raw = P0.get();
  auto wrong = make({{1, 0, 0, 0}}, dd_Inequality);
  EXPECT_FALSE(dd_AppendMatrix2Poly(&raw, wrong.get()));
  EXPECT_EQ(raw, P0.get());
  auto none = make({}, dd_Inequality, {}, 3);
  EXPECT_FALSE(dd_AppendMatrix2Poly(&raw, none.get()));
  EXPECT_FALSE(dd_AppendMatrix2Poly(&raw, nullptr));
  dd_PolyhedraPtr null_poly = nullptr;
  EXPECT_FALSE(dd_AppendMatrix2Poly(&null_poly, wrong.get()));
  EXPECT_EQ(raw, P0.get());
  EXPECT_EQ(P0->child->CompStatus, dd_AllFound);

  dd_ErrorType err = dd_NoError;
  EXPECT_FALSE(dd_DDInputAppend(&raw, wrong.get(), &err));
  EXPECT_EQ(err, dd_ImproperInputFormat);
  EXPECT_EQ(raw, P0.get());
  zonix::Matrix G(dd_CopyGenerators(P0.get()));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->rowsize, 4);
}

TEST(DriverAppend, InputAppendKeepsGenerators)
{
  // Points of the square, then the centre and the far corner (2, 2).
  auto P0 = convert(cube_vertices(2), dd_Generator);
  dd_PolyhedraPtr raw = P0.release();
  auto M = make({{1, 0.5, 0.5}, {1, 2, 2}}, dd_Generator);
  dd_ErrorType err = dd_ImproperInputFormat;
  EXPECT_TRUE(dd_DDInputAppend(&raw, M.get(), &err));
  zonix::Polyhedra P(raw);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(P->representation, dd_Generator);

  Rows all = cube_vertices(2);
  all.push_back({1, 0.5, 0.5});
  all.push_back({1, 2, 2});
  auto fresh = convert(all, dd_Generator);
  zonix::Matrix H1(dd_CopyInequalities(P.get()));
  zonix::Matrix H2(dd_CopyInequalities(fresh.get()));
  ASSERT_NE(H1, nullptr);
  ASSERT_NE(H2, nullptr);
  EXPECT_EQ(canonical_set(rows_of(H1.get()), false),
            canonical_set(rows_of(H2.get()), false));
  EXPECT_EQ(H1->rowsize, 4);  // (1,1) is no longer a vertex
}

// ---- incidence -------------------------------------------------------------

namespace {

// Output row number of each square vertex, by its coordinates.
std::map<std::pair<int, int>, long> vertex_numbers(dd_MatrixPtr G)
{
  std::map<std::pair<int, int>, long> num;
  for (long k = 0; k < G->rowsize; ++k)
    num[{static_cast<int>(std::lround(G->matrix[k][1][0])),
         static_cast<int>(std::lround(G->matrix[k][2][0]))}] = k + 1;
  return num;
}

}  // namespace

TEST(OutputIncidence, UnitSquareByHand)
{
  // Rows: 1 x >= 0, 2 y >= 0, 3 x <= 1, 4 y <= 1; row 5 is the added
  // x0 >= 0, on which no vertex lies.
  auto P = convert({{0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}},
                   dd_Inequality);
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  auto v = vertex_numbers(G.get());
  ASSERT_EQ(v.size(), 4u);

  zonix::SetFamily inc(dd_CopyIncidence(P.get()));
  ASSERT_NE(inc, nullptr);
  EXPECT_EQ(inc->famsize, 4);
  EXPECT_EQ(inc->setsize, 5);
  EXPECT_EQ(members(inc->set[v[{0, 0}] - 1]), (std::vector<long>{1, 2}));
  EXPECT_EQ(members(inc->set[v[{1, 0}] - 1]), (std::vector<long>{2, 3}));
  EXPECT_EQ(members(inc->set[v[{0, 1}] - 1]), (std::vector<long>{1, 4}));
  EXPECT_EQ(members(inc->set[v[{1, 1}] - 1]), (std::vector<long>{3, 4}));

  zonix::SetFamily ainc(dd_CopyInputIncidence(P.get()));
  ASSERT_NE(ainc, nullptr);
  EXPECT_EQ(ainc->famsize, 5);
  EXPECT_EQ(ainc->setsize, 4);
  auto pair = [&](std::pair<int, int> a, std::pair<int, int> b) {
    std::vector<long> s{v[a], v[b]};
    std::sort(s.begin(), s.end());
    return s;
  };
  EXPECT_EQ(members(ainc->set[0]), pair({0, 0}, {0, 1}));
  EXPECT_EQ(members(ainc->set[1]), pair({0, 0}, {1, 0}));
  EXPECT_EQ(members(ainc->set[2]), pair({1, 0}, {1, 1}));
  EXPECT_EQ(members(ainc->set[3]), pair({0, 1}, {1, 1}));
  EXPECT_EQ(set_card(ainc->set[4]), 0);
  EXPECT_EQ(members(P->Ared), (std::vector<long>{5}));
  EXPECT_EQ(set_card(P->Adom), 0);

  // Opposite sides are not adjacent; the added row is adjacent to none.
  zonix::SetFamily adj(dd_CopyInputAdjacency(P.get()));
  ASSERT_NE(adj, nullptr);
  EXPECT_EQ(members(adj->set[0]), (std::vector<long>{2, 4}));
  EXPECT_EQ(members(adj->set[1]), (std::vector<long>{1, 3}));
  EXPECT_EQ(members(adj->set[2]), (std::vector<long>{2, 4}));
  EXPECT_EQ(members(adj->set[3]), (std::vector<long>{1, 3}));
  EXPECT_EQ(set_card(adj->set[4]), 0);
  for (long i = 1; i <= 5; ++i)
    for (long j = 1; j <= 5; ++j)
      EXPECT_EQ(dd_InputAdjacentQ(P.get(), i, j) && i != j,
                set_member(j, adj->set[i - 1]) == 1)
          << i << "," << j;
  EXPECT_FALSE(dd_InputAdjacentQ(P.get(), 0, 1));
  EXPECT_FALSE(dd_InputAdjacentQ(P.get(), 1, 6));
}

TEST(OutputIncidence, DominantAndDuplicateRows)
{
  // A triangle in the plane z = 0 of 3-space: the equation z = 0 holds at
  // every vertex (Adom), and the duplicate of row 1 is redundant while the
  // lower-numbered copy is kept.
  Rows H = {{0, 1, 0, 0}, {0, 0, 1, 0}, {1, -1, -1, 0}, {0, 0, 0, 1},
            {0, 1, 0, 0}};
  auto P = convert(H, dd_Inequality, {4});
  zonix::SetFamily ainc(dd_CopyInputIncidence(P.get()));
  ASSERT_NE(ainc, nullptr);
  EXPECT_EQ(P->n, 3);
  EXPECT_TRUE(set_member(4, P->Adom));
  EXPECT_TRUE(set_member(5, P->Ared));
  EXPECT_FALSE(set_member(1, P->Ared));
  EXPECT_TRUE(dd_InputAdjacentQ(P.get(), 4, 2));
  EXPECT_FALSE(dd_InputAdjacentQ(P.get(), 5, 2));
  EXPECT_TRUE(dd_InputAdjacentQ(P.get(), 1, 2));
}
