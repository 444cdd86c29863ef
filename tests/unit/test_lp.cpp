// The LP solvers and the queries built on them on squares, cubes and
// triangles.  glpk_oracle, redund_oracle and interior_oracle compare the
// same code on hundreds of generated problems, the Octave tests the
// projections; these cases pin the conventions.
#include <gtest/gtest.h>

#include <numeric>

#include "support.hpp"

using namespace zonix::test;

namespace {

const Rows kSquare = {{0, 1, 0}, {1, -1, 0}, {0, 0, 1}, {1, 0, -1}};  // [0,1]^2

struct LPCase {
  const char *name;
  Rows rows;
  Members lin;
  Row obj;
  dd_LPObjectiveType sense;
  dd_LPStatusType status;
  double value;
  Row x;  // the optimal point when unique
  // Dual simplex phase I pivots: the auxiliary pivot enters at the column
  // of largest ratio, which makes every reduced cost nonpositive at once.
  long phase1;
};

std::ostream &operator<<(std::ostream &o, const LPCase &c) { return o << c.name; }

const LPCase kLPs[] = {
    {"max-square", kSquare, {}, {0, 1, 1}, dd_LPmax, dd_Optimal, 2, {1, 1}, 3},
    {"min-square", kSquare, {}, {0, 1, 1}, dd_LPmin, dd_Optimal, 0, {0, 0}, 0},
    {"min-mixed-signs", kSquare, {}, {3, 1, -1}, dd_LPmin, dd_Optimal, 2, {0, 1}, 2},
    {"max-on-equation", {{-1, 1, 1}, {0, 1, 0}, {0, 0, 1}}, {1}, {0, 1, 0}, dd_LPmax, dd_Optimal, 1, {1, 0}, 3},
    {"max-triangle", {{0, 1, 0}, {0, 0, 1}, {1, -1, -1}}, {}, {0, 2, 1}, dd_LPmax, dd_Optimal, 2, {1, 0}, 2},
    {"degenerate-octahedron",
     {{1, 1, 1, 1}, {1, -1, 1, 1}, {1, 1, -1, 1}, {1, 1, 1, -1}, {1, -1, -1, 1},
      {1, -1, 1, -1}, {1, 1, -1, -1}, {1, -1, -1, -1}},
     {}, {0, 1, 1, 0}, dd_LPmax, dd_Optimal, 1, {}, 4},
    {"infeasible", {{-1, 1, 0}, {0, -1, 0}, {0, 0, 1}}, {}, {0, 1, 1}, dd_LPmin, dd_Inconsistent, 0, {}, 0},
    {"infeasible-equations", {{-1, 1, 1}, {-3, 1, 1}, {0, 1, 0}}, {1, 2}, {0, 1, 0}, dd_LPmin, dd_Inconsistent, 0, {}, 0},
    {"unbounded", {{0, 1, 0}, {0, 0, 1}, {2, -1, 1}}, {}, {0, 0, 1}, dd_LPmax, dd_DualInconsistent, 0, {}, 2},
    {"free-variable", {{0, 1, 0}, {1, -1, 0}}, {}, {0, 0, -1}, dd_LPmin, dd_StrucDualInconsistent, 0, {}, 0},
};

double row_value(const Row &r, const double *x, long n)
{
  double s = r[0];
  for (long j = 1; j <= n; ++j) s += r[j] * x[j - 1];
  return s;
}

class Solve : public ::testing::TestWithParam<std::tuple<LPCase, dd_LPSolverType>> {};

TEST_P(Solve, StatusValuePointAndCertificate)
{
  const auto &[c, how] = GetParam();
  Matrix M = matrix(c.rows, dd_Inequality, c.lin);
  for (size_t j = 0; j < c.obj.size(); ++j) ddd_set_d(M->rowvec[j], c.obj[j]);
  M->objective = c.sense;
  dd_ErrorType err = dd_ImproperInputFormat;
  LP lp(dd_Matrix2LP(M.get(), &err));
  ASSERT_EQ(err, dd_NoError);
  // Equations come back negated below the rows, the objective last.
  const long m = static_cast<long>(c.rows.size() + c.lin.size()) + 1, n = static_cast<long>(c.obj.size()) - 1;
  ASSERT_EQ(lp->m, m);
  ASSERT_EQ(lp->d, n + 1);
  for (size_t k = 0; k < c.lin.size(); ++k)
    for (long j = 0; j <= n; ++j)
      EXPECT_EQ(ddd_get_d(lp->A[c.rows.size() + k][j]), -c.rows[c.lin[k] - 1][j]);
  EXPECT_EQ(ddd_get_d(lp->A[m - 1][1]), c.obj[1]);
  // Each method alone reaches the status too: dd_LPSolve may fall back on
  // the other one.
  LP raw(dd_Matrix2LP(M.get(), &err));
  (how == dd_CrissCross ? dd_CrissCrossSolve : dd_DualSimplexSolve)(raw.get(), &err);
  EXPECT_EQ(raw->LPS, c.status);
  EXPECT_TRUE(dd_LPSolve(lp.get(), how, &err));
  EXPECT_EQ(err, dd_NoError);
  ASSERT_EQ(lp->LPS, c.status);
  if (how == dd_DualSimplex) {
    EXPECT_EQ(lp->pivots[1], c.phase1);
  }
  EXPECT_EQ(std::accumulate(lp->pivots, lp->pivots + 5, 0L), lp->total_pivots);
  std::vector<double> x(static_cast<size_t>(n)), y;
  for (long j = 1; j <= n; ++j) x[j - 1] = ddd_get_d(lp->sol[j]);
  if (c.status == dd_Optimal) {
    EXPECT_NEAR(ddd_get_d(lp->optvalue), c.value, 1e-9);
    EXPECT_NEAR(ddd_get_d(lp->sol[0]), 1, 1e-9);
    for (long j = 0; j < n && !c.x.empty(); ++j) EXPECT_NEAR(x[j], c.x[j], 1e-9);
    for (const Row &r : c.rows) EXPECT_GE(row_value(r, x.data(), n), -1e-9);
    // Dual certificate: objective + sum of dsol_j times the row nonbasic in
    // column j is the optimal value times e_1, with weights of the sense's
    // sign on inequality rows.
    const double sense = c.sense == dd_LPmax ? 1 : -1;
    std::vector<double> combo(c.obj);
    for (long j = 2; j <= lp->d; ++j) {
      const long r = lp->nbindex[j];
      const double w = ddd_get_d(lp->dsol[j - 1]);
      if (r <= 0) continue;
      if (r <= static_cast<long>(c.rows.size()) && !std::count(c.lin.begin(), c.lin.end(), r)) {
        EXPECT_GE(sense * w, -1e-9) << "row " << r;
      }
      for (long k = 0; k <= n; ++k) combo[k] += w * ddd_get_d(lp->A[r - 1][k]);
    }
    EXPECT_NEAR(combo[0], c.value, 1e-9);
    for (long k = 1; k <= n; ++k) EXPECT_NEAR(combo[k], 0, 1e-9);
  } else if (c.status == dd_Inconsistent) {
    EXPECT_GE(lp->re, 1);
    EXPECT_LT(lp->re, m);
  } else {
    // An improving direction kept by every row.
    double gain = 0;
    for (long j = 1; j <= n; ++j) gain += c.obj[j] * x[j - 1];
    EXPECT_GT(c.sense == dd_LPmax ? gain : -gain, 1e-9);
    for (const Row &r : c.rows) EXPECT_GE(row_value(r, x.data(), n) - r[0], -1e-9);
  }
}

INSTANTIATE_TEST_SUITE_P(Known, Solve,
                         ::testing::Combine(::testing::ValuesIn(kLPs),
                                            ::testing::Values(dd_CrissCross, dd_DualSimplex)));

TEST(LPRecords, SolutionCopyAndErrors)
{
  Matrix M = matrix(kSquare);
  ddd_set_d(M->rowvec[1], 1);
  M->objective = dd_LPmax;
  dd_ErrorType err;
  LP lp(dd_Matrix2LP(M.get(), &err));
  dd_LPSolve(lp.get(), dd_DualSimplex, &err);
  LPSolution s(dd_CopyLPSolution(lp.get()));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->LPS, dd_Optimal);
  EXPECT_EQ(std::make_pair(ddd_get_d(s->optvalue), ddd_get_d(s->sol[1])), std::make_pair(1.0, 1.0));
  EXPECT_EQ(dd_Matrix2LP(nullptr, &err), nullptr);
  EXPECT_EQ(err, dd_EmptyRepresentation);
  M->objective = dd_LPnone;
  LP none(dd_Matrix2LP(M.get(), &err));
  EXPECT_FALSE(dd_LPSolve(none.get(), dd_CrissCross, &err));
  EXPECT_EQ(err, dd_NoLPObjective);
}

TEST(Redundancy, RowsOfTheCubeTheSquareAndALine)
{
  // Cube rows 7..10: 2 - x1, a copy of row 1, 3 - x1 - x2 - x3 (touching a
  // vertex) and 1; only 7 and 10 miss the cube (strongly redundant).  An
  // equation is never redundant; a row it makes tight stays.  Of points
  // the centre, a repeated corner and a point of an edge go; a ray makes
  // the points behind it redundant.  x1 >= 0, -x1 >= 0 force x1 = 0; a
  // ray and its opposite span a line.
  const Rows cube = {{0, 1, 0, 0}, {1, -1, 0, 0}, {0, 0, 1, 0}, {1, 0, -1, 0}, {0, 0, 0, 1},
                     {1, 0, 0, -1}, {2, -1, 0, 0}, {0, 1, 0, 0}, {3, -1, -1, -1}, {1, 0, 0, 0}};
  const Rows pts = {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, 0.5, 0.5}, {1, 1, 0}, {1, 1, 0.5}};
  using F = dd_rowset (*)(dd_MatrixPtr, dd_ErrorType *);
  const struct {
    F f;
    Rows rows;
    dd_RepresentationType rep;
    Members lin, want;
  } cases[] = {
      {dd_RedundantRows, cube, dd_Inequality, {}, {7, 8, 9, 10}},
      {dd_RedundantRowsViaShooting, cube, dd_Inequality, {}, {7, 8, 9, 10}},
      {dd_SRedundantRows, cube, dd_Inequality, {}, {7, 10}},
      {dd_RedundantRows, {{-1, 1, 1}, {0, 1, 0}, {0, 0, 1}, {1, -1, 0}}, dd_Inequality, {1}, {4}},
      {dd_RedundantRows, pts, dd_Generator, {}, {5, 6, 7}},
      {dd_SRedundantRows, pts, dd_Generator, {}, {5}},
      {dd_RedundantRows, {{1, 0, 0}, {1, 2, 0}, {0, 1, 0}}, dd_Generator, {}, {2}},
      {dd_ImplicitLinearityRows, {{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {1, 0, -1}}, dd_Inequality, {}, {1, 2}},
      {dd_ImplicitLinearityRows, kSquare, dd_Inequality, {}, {}},
      {dd_ImplicitLinearityRows, {{1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}}, dd_Generator, {}, {2, 3}},
  };
  for (const auto &c : cases) {
    Matrix M = matrix(c.rows, c.rep, c.lin);
    dd_ErrorType err = dd_ImproperInputFormat;
    Set s(c.f(M.get(), &err));
    EXPECT_EQ(err, dd_NoError);
    EXPECT_EQ(members(s.get()), c.want) << &c - cases;
  }
  // Each side of the square meets the two sides across the other axis.
  Matrix S = matrix(kSquare);
  dd_ErrorType err = dd_ImproperInputFormat;
  SetFamily adj(dd_Matrix2Adjacency(S.get(), &err));
  ASSERT_EQ(err, dd_NoError);
  for (long i = 0; i < 4; ++i) EXPECT_EQ(members(adj->set[i]), (i < 2 ? Members{3, 4} : Members{1, 2}));
}

TEST(Redundancy, CertificatesSeparate)
{
  Matrix M = matrix({{0, 1, 0}, {1, -1, 0}, {0, 0, 1}, {1, 0, -1}, {2, -1, 0}});
  dd_ErrorType err;
  std::vector<mytype> cert(4);
  for (auto &x : cert) ddd_init(x);
  // Row 2 is essential: the certificate violates it alone.
  EXPECT_FALSE(dd_Redundant(M.get(), 2, cert.data(), &err));
  std::vector<double> p{ddd_get_d(cert[1]), ddd_get_d(cert[2])};
  const Rows rows = rows_of(M.get());
  for (long i = 1; i <= 4; ++i) {
    if (i == 2) EXPECT_LT(row_value(rows[1], p.data(), 2), 0);
    else EXPECT_GE(row_value(rows[i - 1], p.data(), 2), 0);
  }
  EXPECT_TRUE(dd_Redundant(M.get(), 5, cert.data(), &err));
}

TEST(Redundancy, RayShootingHitsTheFirstFacet)
{
  Matrix M = matrix(kSquare);
  struct Shot {
    Row p, r;
    long row;
  };
  for (const Shot &s : {Shot{{1, 0.5, 0.5}, {0, 1, 0}, 2}, Shot{{1, 0.5, 0.5}, {0, 0, -1}, 3},
                        Shot{{1, 0.25, 0.5}, {0, -1, 0.1}, 1}, Shot{{1, 0.5, 0.5}, {0, 1, 1}, 2}}) {
    std::vector<mytype> p(3), r(3);
    for (int j = 0; j < 3; ++j) {
      ddd_init(p[j]);
      ddd_init(r[j]);
      ddd_set_d(p[j], s.p[j]);
      ddd_set_d(r[j], s.r[j]);
    }
    EXPECT_EQ(dd_RayShooting(M.get(), p.data(), r.data()), s.row) << s.p[1] << " " << s.r[1];
  }
}

}  // namespace
