// Strong redundancy, implicit linearity, ray shooting and the adjacency of
// the rows of a representation, on polyhedra whose faces are known.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

using Rows = std::vector<std::vector<double>>;
using Members = std::vector<long>;

zonix::Matrix matrix(const Rows &rows, dd_RepresentationType rep = dd_Inequality,
                     std::initializer_list<long> lin = {})
{
  dd_set_global_constants();
  const long m = static_cast<long>(rows.size());
  const long c = rows.empty() ? 2 : static_cast<long>(rows[0].size());
  zonix::Matrix M = zonix::make_matrix(m, c);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < c; ++j) M->matrix[i][j][0] = rows[i][j];
  for (long r : lin) set_addelem(M->linset, r);
  M->representation = rep;
  M->numbtype = dd_Real;
  return M;
}

Members members(set_type s)
{
  Members v;
  for (long e = 1; e <= set_groundsize(s); ++e)
    if (set_member(e, s)) v.push_back(e);
  return v;
}

using RowsFunction = dd_rowset (*)(dd_MatrixPtr, dd_ErrorType *);

Members run(RowsFunction f, dd_MatrixPtr M, dd_ErrorType expect = dd_NoError)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::Set s(f(M, &err));
  EXPECT_EQ(err, expect);
  return s ? members(s.get()) : Members{};
}

std::vector<Members> family(dd_SetFamilyPtr F)
{
  std::vector<Members> v;
  for (long k = 0; k < F->famsize; ++k) v.push_back(members(F->set[k]));
  return v;
}

// An owned row of numbers.
struct Row {
  explicit Row(std::vector<double> v) : n(static_cast<long>(v.size()))
  {
    dd_InitializeArow(n, &a);
    for (long j = 0; j < n; ++j) a[j][0] = v[static_cast<size_t>(j)];
  }
  ~Row() { dd_FreeArow(n, a); }
  Row(const Row &) = delete;
  Row &operator=(const Row &) = delete;
  long n;
  dd_Arow a = nullptr;
};

const Rows kSquare = {{1, -1, 0}, {1, 0, -1}, {0, 1, 0}, {0, 0, 1}};

// [-1, 1]^d: row 2j-1 is x_j <= 1, row 2j is x_j >= -1.
Rows cube(int d)
{
  Rows rows;
  for (int j = 1; j <= d; ++j) {
    std::vector<double> up(static_cast<size_t>(d) + 1, 0.0), down = up;
    up[0] = down[0] = 1;
    up[static_cast<size_t>(j)] = -1;
    down[static_cast<size_t>(j)] = 1;
    rows.push_back(up);
    rows.push_back(down);
  }
  return rows;
}

// ---- strong redundancy -----------------------------------------------------------

TEST(QueriesStrong, BoundThatMissesThePolyhedronIsStronglyRedundant)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  // x <= 2 beside x <= 1, x >= 0: never tight.
  zonix::Matrix loose = matrix({{1, -1}, {2, -1}, {0, 1}});
  EXPECT_TRUE(dd_SRedundant(loose.get(), 2, nullptr, &err));
  EXPECT_EQ(err, dd_NoError);
  // A repeated x <= 1 touches the polyhedron: redundant, not strongly.
  zonix::Matrix twice = matrix({{1, -1}, {1, -1}, {0, 1}});
  EXPECT_FALSE(dd_SRedundant(twice.get(), 2, nullptr, &err));
  zonix::Matrix both = matrix({{1, -1}, {1, -1}, {2, -1}, {0, 1}});
  EXPECT_EQ(run(dd_SRedundantRows, both.get()), Members{3});
  EXPECT_EQ(run(dd_RedundantRows, both.get()), (Members{2, 3}));
}

TEST(QueriesStrong, UnspecifiedRepresentationIsReadAsInequalities)
{
  zonix::Matrix M = matrix({{1, -1}, {2, -1}, {1, -1}, {0, 1}}, dd_Unspecified);
  EXPECT_EQ(run(dd_SRedundantRows, M.get()), Members{2});
}

TEST(QueriesStrong, InteriorPointButNotEdgePoint)
{
  // Corners of the unit square, its centre (row 5), the midpoint of its
  // bottom edge (row 6).  Only the centre is in the relative interior.
  zonix::Matrix M = matrix({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, 0.5, 0.5}, {1, 0.5, 0}},
                           dd_Generator);
  dd_ErrorType err = dd_ImproperInputFormat;
  EXPECT_TRUE(dd_SRedundant(M.get(), 5, nullptr, &err));
  EXPECT_EQ(err, dd_NoError);
  EXPECT_FALSE(dd_SRedundant(M.get(), 6, nullptr, &err));
  EXPECT_FALSE(dd_SRedundant(M.get(), 1, nullptr, &err));
  EXPECT_EQ(run(dd_SRedundantRows, M.get()), Members{5});
  EXPECT_EQ(run(dd_RedundantRows, M.get()), (Members{5, 6}));
}

TEST(QueriesStrong, SecondLPLayout)
{
  // Two points and a line (row 3 in linset), testing row 1.
  zonix::Matrix M = matrix({{1, 0, 0}, {1, 2, 0}, {0, 0, 1}}, dd_Generator, {3});
  zonix::LP lp(dd_CreateLP_V_SRedundancy(M.get(), 1));
  ASSERT_NE(lp, nullptr);
  EXPECT_EQ(lp->m, 3 + 1 + 3);
  EXPECT_EQ(lp->d, 4);
  Rows got(static_cast<size_t>(lp->m));
  for (long i = 0; i < lp->m; ++i)
    for (long j = 0; j < lp->d; ++j) got[i].push_back(lp->A[i][j][0]);
  // Sum of the rows: (2, 2, 1).
  const Rows want = {{0, 1, 0, 0},  {0, 1, 2, 0},   {0, 0, 0, 1},   {0, -1, 0, 0},
                     {0, 0, 0, -1}, {1, -2, -2, -1}, {0, 2, 2, 1}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(lp->objective, dd_LPmax);
  EXPECT_EQ(lp->eqnumber, 1);
  EXPECT_EQ(members(lp->equalityset), (Members{1, 3}));
}

// ---- implicit linearity -----------------------------------------------------------

TEST(QueriesImplicit, OppositeBoundsAreBothTight)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::Matrix M = matrix({{0, -1}, {0, 1}});
  EXPECT_TRUE(dd_ImplicitLinearity(M.get(), 1, nullptr, &err));
  EXPECT_EQ(err, dd_NoError);
  EXPECT_TRUE(dd_ImplicitLinearity(M.get(), 2, nullptr, &err));
  EXPECT_EQ(run(dd_ImplicitLinearityRows, M.get()), (Members{1, 2}));
}

TEST(QueriesImplicit, HiddenPairAmongOtherRows)
{
  // y <= 1, x <= 0, y >= 0, x >= 0, x <= 1: only x <= 0 and x >= 0.
  zonix::Matrix M = matrix({{1, 0, -1}, {0, -1, 0}, {0, 0, 1}, {0, 1, 0}, {1, -1, 0}});
  EXPECT_EQ(run(dd_ImplicitLinearityRows, M.get()), (Members{2, 4}));
  // x + y <= 1 and x + y >= 1 inside a box: the diagonal.
  zonix::Matrix D = matrix({{2, -1, 0}, {1, -1, -1}, {2, 0, -1}, {-1, 1, 1}, {2, 1, 0}, {2, 0, 1}});
  EXPECT_EQ(run(dd_ImplicitLinearityRows, D.get()), (Members{2, 4}));
  // The full square has none.
  zonix::Matrix S = matrix(kSquare);
  EXPECT_TRUE(run(dd_ImplicitLinearityRows, S.get()).empty());
}

TEST(QueriesImplicit, EquationsAreNotReportedButWhatTheyForceIs)
{
  // x = 0 given as an equation (row 1); x >= 0 (row 2) is then tight.
  zonix::Matrix M = matrix({{0, 1, 0}, {0, 1, 0}, {1, 0, -1}, {0, 0, 1}}, dd_Inequality, {1});
  EXPECT_EQ(run(dd_ImplicitLinearityRows, M.get()), Members{2});
}

TEST(QueriesImplicit, OppositeRaysAreALine)
{
  // The origin, rays (1, 0), (-1, 0), (0, 1): the first two span a line.
  zonix::Matrix M = matrix({{1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}}, dd_Generator);
  EXPECT_EQ(run(dd_ImplicitLinearityRows, M.get()), (Members{2, 3}));
}

// ---- ray shooting -----------------------------------------------------------------

TEST(QueriesShooting, FirstRowMetAlongTheRay)
{
  zonix::Matrix M = matrix(kSquare);
  Row p({1, 0.5, 0.5});
  Row right({0, 1, 0});
  EXPECT_EQ(dd_RayShooting(M.get(), p.a, right.a), 1);
  Row up({0, 0, 1});
  EXPECT_EQ(dd_RayShooting(M.get(), p.a, up.a), 2);
  Row left({0, -1, 0.25});
  EXPECT_EQ(dd_RayShooting(M.get(), p.a, left.a), 3);
  Row down({0, 0.1, -1});
  EXPECT_EQ(dd_RayShooting(M.get(), p.a, down.a), 4);
}

TEST(QueriesShooting, CornerTieGoesToTheLexicographicallySmallerRow)
{
  // Along (1, 1) both x <= 1 and y <= 1 are met at the corner; scaled by
  // their value at p they read (2, -2, 0) and (2, 0, -2): x <= 1 wins,
  // whichever place it has.
  Row p({1, 0.5, 0.5});
  Row diag({0, 1, 1});
  zonix::Matrix M = matrix(kSquare);
  EXPECT_EQ(dd_RayShooting(M.get(), p.a, diag.a), 1);
  zonix::Matrix swapped = matrix({{1, 0, -1}, {1, -1, 0}, {0, 1, 0}, {0, 0, 1}});
  EXPECT_EQ(dd_RayShooting(swapped.get(), p.a, diag.a), 2);
}

TEST(QueriesShooting, BadHomogenisingEntriesAreCorrectedWithAWarning)
{
  zonix::Matrix M = matrix(kSquare);
  Row p({2, 0.5, 0.5});
  Row r({0.5, 1, 0});
  testing::internal::CaptureStderr();
  const dd_rowrange hit = dd_RayShooting(M.get(), p.a, r.a);
  const std::string out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(hit, 1);
  EXPECT_EQ(out,
            "Warning: RayShooting is called with a point with first coordinate not 1.\n"
            "Warning: RayShooting is called with a direction with first coordinate not 0.\n");
  EXPECT_EQ(p.a[0][0], 1.0);
  EXPECT_EQ(r.a[0][0], 0.0);
}

TEST(QueriesShooting, PointSatisfyingNoRowStrictlyHitsNothing)
{
  zonix::Matrix M = matrix({{1, -1, 0}, {1, 0, -1}});
  Row corner({1, 1, 1});
  Row outside({1, 2, 3});
  Row r({0, 1, 0});
  EXPECT_EQ(dd_RayShooting(M.get(), corner.a, r.a), -1);
  EXPECT_EQ(dd_RayShooting(M.get(), outside.a, r.a), -1);
}

TEST(QueriesShooting, RedundantRowsViaShootingOnKnownInputs)
{
  Rows rows = kSquare;
  rows.push_back({2, -1, 0});  // x <= 2
  zonix::Matrix M = matrix(rows);
  EXPECT_EQ(run(dd_RedundantRowsViaShooting, M.get()), Members{5});

  // Repeats and a scaled copy: the first of each stays, as with the LP
  // loop.
  zonix::Matrix R = matrix({{1, 0, -1}, {1, -1, 0}, {0, 1, 0}, {2, -2, 0}, {0, 0, 1}, {1, 0, -1}, {3, -1, -1}});
  EXPECT_EQ(run(dd_RedundantRowsViaShooting, R.get()), (Members{4, 6, 7}));
  EXPECT_EQ(run(dd_RedundantRows, R.get()), (Members{4, 6, 7}));
}

TEST(QueriesShooting, UnboundedAxisMeetsNothing)
{
  // x >= 0 and x >= -1 on the line: the ray along +x leaves through no
  // row, so it must not make x >= -1 essential.
  zonix::Matrix M = matrix({{0, 1}, {1, 1}});
  EXPECT_EQ(run(dd_RedundantRowsViaShooting, M.get()), Members{2});
  // A wedge with one row through its apex and two beyond it.
  zonix::Matrix W = matrix({{0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {0, 1, 1}, {2, 1, 1}});
  EXPECT_EQ(run(dd_RedundantRowsViaShooting, W.get()), run(dd_RedundantRows, W.get()));
}

TEST(QueriesShooting, WithEquationsItIsThePlainTest)
{
  zonix::Matrix M = matrix({{1, -1, 0}, {2, -1, 0}, {1, 0, -1}, {0, 1, 0}, {0, 0, 1}, {1, -1, 0}},
                           dd_Inequality, {5});
  const Members plain = run(dd_RedundantRows, M.get());
  EXPECT_EQ(plain, (Members{2, 3, 6}));
  EXPECT_EQ(run(dd_RedundantRowsViaShooting, M.get()), plain);
  // An empty polyhedron has no interior point either.
  zonix::Matrix E = matrix({{0, -1}, {-1, 1}, {5, -1}});
  EXPECT_EQ(run(dd_RedundantRowsViaShooting, E.get()), run(dd_RedundantRows, E.get()));
}

// ---- adjacency of rows --------------------------------------------------------------

TEST(QueriesAdjacency, SquareSidesMeetTheirNeighbours)
{
  zonix::Matrix M = matrix(kSquare);
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::SetFamily F(dd_Matrix2Adjacency(M.get(), &err));
  ASSERT_NE(F, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(F->famsize, 4);
  EXPECT_EQ(F->setsize, 4);
  const std::vector<Members> want = {{2, 4}, {1, 3}, {2, 4}, {1, 3}};
  EXPECT_EQ(family(F.get()), want);
  zonix::SetFamily W(dd_Matrix2WeakAdjacency(M.get(), &err));
  EXPECT_EQ(family(W.get()), want);
}

TEST(QueriesAdjacency, EachCubeFacetMeetsAllButItsOpposite)
{
  for (int d = 2; d <= 5; ++d) {
    zonix::Matrix M = matrix(cube(d));
    dd_ErrorType err = dd_ImproperInputFormat;
    zonix::SetFamily F(dd_Matrix2Adjacency(M.get(), &err));
    ASSERT_NE(F, nullptr);
    EXPECT_EQ(err, dd_NoError);
    for (long i = 1; i <= 2 * d; ++i) {
      const long opposite = i % 2 == 1 ? i + 1 : i - 1;
      Members want;
      for (long k = 1; k <= 2 * d; ++k)
        if (k != i && k != opposite) want.push_back(k);
      EXPECT_EQ(members(F->set[i - 1]), want) << "d = " << d << ", facet " << i;
    }
  }
}

TEST(QueriesAdjacency, WeakAdjacencyKeepsRowsThatTouchTheFace)
{
  // x + y <= 2 (row 5) touches the square at (1, 1) only: on the side
  // x = 1 it is implied (so not adjacent) but not strongly (weakly
  // adjacent).
  Rows rows = kSquare;
  rows.push_back({2, -1, -1});
  zonix::Matrix M = matrix(rows);
  dd_ErrorType err = dd_NoError;
  zonix::SetFamily F(dd_Matrix2Adjacency(M.get(), &err));
  zonix::SetFamily W(dd_Matrix2WeakAdjacency(M.get(), &err));
  EXPECT_EQ(members(F->set[0]), (Members{2, 4}));
  EXPECT_EQ(members(W->set[0]), (Members{2, 4, 5}));
  EXPECT_EQ(members(F->set[4]), (Members{1, 2}));
}

TEST(QueriesAdjacency, EquationsGetEmptySetsAndNeverAppear)
{
  // The unit square in the plane z = 0 of space (row 5 an equation).
  zonix::Matrix M = matrix({{1, -1, 0, 0}, {1, 0, -1, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
                           dd_Inequality, {5});
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::SetFamily F(dd_Matrix2Adjacency(M.get(), &err));
  EXPECT_EQ(err, dd_NoError);
  const std::vector<Members> want = {{2, 4}, {1, 3}, {2, 4}, {1, 3}, {}};
  EXPECT_EQ(family(F.get()), want);
  EXPECT_EQ(members(M->linset), Members{5});
}

TEST(QueriesAdjacency, NoRowsIsAnEmptyRepresentation)
{
  zonix::Matrix M = zonix::make_matrix(0, 3);
  dd_ErrorType err = dd_NoError;
  EXPECT_EQ(dd_Matrix2Adjacency(M.get(), &err), nullptr);
  EXPECT_EQ(err, dd_EmptyRepresentation);
  err = dd_NoError;
  EXPECT_EQ(dd_Matrix2WeakAdjacency(M.get(), &err), nullptr);
  EXPECT_EQ(err, dd_EmptyRepresentation);
}

}  // namespace
