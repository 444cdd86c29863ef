// The interior-point LP and plain redundancy: the LPs' layout, their
// optima worked out by hand, and the row loop's choice among rows that
// imply each other.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

using Rows = std::vector<std::vector<double>>;

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

std::vector<long> members(set_type s)
{
  std::vector<long> v;
  for (long e = 1; e <= set_groundsize(s); ++e)
    if (set_member(e, s)) v.push_back(e);
  return v;
}

Rows rows_of(dd_MatrixPtr M)
{
  Rows r(static_cast<size_t>(M->rowsize));
  for (long i = 0; i < M->rowsize; ++i)
    for (long j = 0; j < M->colsize; ++j) r[i].push_back(M->matrix[i][j][0]);
  return r;
}

Rows lp_rows(const dd_lpdata &lp)
{
  Rows r(static_cast<size_t>(lp.m));
  for (long i = 0; i < lp.m; ++i)
    for (long j = 0; j < lp.d; ++j) r[i].push_back(lp.A[i][j][0]);
  return r;
}

double at(const std::vector<double> &row, const dd_Arow x)
{
  double s = 0;
  for (size_t j = 0; j < row.size(); ++j) s += row[j] * x[j][0];
  return s;
}

std::vector<long> redundant_rows(dd_MatrixPtr M, dd_ErrorType *err)
{
  zonix::Set red(dd_RedundantRows(M, err));
  return members(red.get());
}

// The unit square as rows b + a.x >= 0: x <= 1, y <= 1, x >= 0, y >= 0.
const Rows kSquare = {{1, -1, 0}, {1, 0, -1}, {0, 1, 0}, {0, 0, 1}};

// ---- interior point -----------------------------------------------------------

// The LP of the rows with objective row obj (constant first).
zonix::LP lp_of(const Rows &rows, std::vector<double> obj,
                std::initializer_list<long> lin = {})
{
  zonix::Matrix M = matrix(rows, dd_Inequality, lin);
  for (size_t j = 0; j < obj.size(); ++j) M->rowvec[j][0] = obj[j];
  M->objective = dd_LPmax;
  dd_ErrorType err = dd_NoError;
  return zonix::LP(dd_Matrix2LP(M.get(), &err));
}

double ceiling_of(const dd_lpdata &lpnew)
{
  return lpnew.A[lpnew.m - 2][0][0];
}

TEST(QueriesInterior, UnitSquareLayoutAndCentre)
{
  zonix::LP lp = lp_of(kSquare, {0, 0, 0});
  zonix::LP lp2(dd_MakeLPforInteriorFinding(lp.get()));
  ASSERT_NE(lp2, nullptr);
  EXPECT_EQ(lp2->m, 6);
  EXPECT_EQ(lp2->d, 4);
  EXPECT_EQ(lp2->objective, dd_LPmax);
  EXPECT_EQ(lp2->objrow, 6);
  EXPECT_EQ(lp2->rhscol, 1);
  EXPECT_EQ(lp2->eqnumber, 0);
  EXPECT_EQ(set_card(lp2->equalityset), 0);
  const Rows want = {{1, -1, 0, -1}, {1, 0, -1, -1}, {0, 1, 0, -1},
                     {0, 0, 1, -1},  {2, 0, 0, -1},  {0, 0, 0, 1}};
  EXPECT_EQ(lp_rows(*lp2), want);

  // The largest common slack of the square's sides is at the centre: half
  // the side.
  for (dd_LPSolverType how : {dd_CrissCross, dd_DualSimplex}) {
    zonix::LP lp3(dd_MakeLPforInteriorFinding(lp.get()));
    dd_ErrorType err = dd_ImproperInputFormat;
    dd_LPSolve(lp3.get(), how, &err);
    EXPECT_EQ(err, dd_NoError);
    EXPECT_EQ(lp3->LPS, dd_Optimal);
    EXPECT_NEAR(lp3->optvalue[0], 0.5, 1e-12) << "method " << how;
    EXPECT_NEAR(lp3->sol[0][0], 1.0, 1e-12);
    EXPECT_NEAR(lp3->sol[1][0], 0.5, 1e-12);
    EXPECT_NEAR(lp3->sol[2][0], 0.5, 1e-12);
    EXPECT_NEAR(lp3->sol[3][0], 0.5, 1e-12);
  }
}

TEST(QueriesInterior, CeilingIsTwiceTheLargestConstantButAtLeastTwo)
{
  // bceil = 2 * max(1, largest constant term of any row of lp, objective
  // included), with "larger" meaning by more than the tolerance.
  struct Case {
    Rows rows;
    double objconst;
    double bceil;
  };
  const std::vector<Case> cases = {
      {{{1, -1}, {0, 1}}, 0, 2},          // constants <= 1
      {{{0, -1}, {-3, 1}}, 0, 2},         // constants <= 0
      {{{5, -1}, {0, 1}}, 0, 10},         // largest 5
      {{{1 + 1e-8, -1}, {0, 1}}, 0, 2},   // within the tolerance of 1
      {{{1, -1}, {0, 1}}, 7, 14},         // the objective's constant counts
      {{{4, -1}, {3, 1}}, -9, 8},
  };
  for (const Case &c : cases) {
    zonix::LP lp = lp_of(c.rows, {c.objconst, 0});
    zonix::LP lp2(dd_MakeLPforInteriorFinding(lp.get()));
    EXPECT_EQ(ceiling_of(*lp2), c.bceil) << "first constant " << c.rows[0][0];
  }
}

TEST(QueriesInterior, HalfPlaneReachesTheCeiling)
{
  // -x >= 0 in the plane: every slack is possible, so t* is the ceiling 2,
  // and the point found gives the row that slack.
  zonix::LP lp = lp_of({{0, -1, 0}}, {0, 0, 0});
  zonix::LP lp2(dd_MakeLPforInteriorFinding(lp.get()));
  dd_ErrorType err = dd_NoError;
  dd_LPSolve(lp2.get(), dd_DualSimplex, &err);
  ASSERT_EQ(lp2->LPS, dd_Optimal);
  EXPECT_DOUBLE_EQ(lp2->optvalue[0], 2.0);
  EXPECT_GE(-lp2->sol[1][0], 2.0 - 1e-9);
}

TEST(QueriesInterior, EquationsLeaveNoPositiveSlack)
{
  // x = 1 enters as two opposite rows, each with its own -t: t* = 0.
  zonix::LP lp = lp_of(kSquare, {0, 0, 0}, {1});
  zonix::LP lp2(dd_MakeLPforInteriorFinding(lp.get()));
  EXPECT_EQ(lp2->m, lp->m + 1);
  dd_ErrorType err = dd_NoError;
  dd_LPSolve(lp2.get(), dd_DualSimplex, &err);
  ASSERT_EQ(lp2->LPS, dd_Optimal);
  EXPECT_LE(lp2->optvalue[0], 1e-9);
  EXPECT_FALSE(dd_Positive(lp2->optvalue));
}

TEST(QueriesInterior, EmptyPolyhedronHasNegativeSlack)
{
  // x <= 0 and x >= 1: the best common slack is -1/2, at x = 1/2.
  zonix::LP lp = lp_of({{0, -1}, {-1, 1}}, {0, 0});
  zonix::LP lp2(dd_MakeLPforInteriorFinding(lp.get()));
  dd_ErrorType err = dd_NoError;
  dd_LPSolve(lp2.get(), dd_CrissCross, &err);
  ASSERT_EQ(lp2->LPS, dd_Optimal);
  EXPECT_NEAR(lp2->optvalue[0], -0.5, 1e-12);
  EXPECT_NEAR(lp2->sol[1][0], 0.5, 1e-12);
}

TEST(QueriesInterior, SourceLPIsOnlyRead)
{
  zonix::LP lp = lp_of(kSquare, {3, 1, 2});
  const Rows before = lp_rows(*lp);
  const long m = lp->m, d = lp->d;
  zonix::LP lp2(dd_MakeLPforInteriorFinding(lp.get()));
  EXPECT_EQ(lp_rows(*lp), before);
  EXPECT_EQ(lp->m, m);
  EXPECT_EQ(lp->d, d);
  EXPECT_EQ(lp->objective, dd_LPmax);
  EXPECT_EQ(dd_MakeLPforInteriorFinding(nullptr), nullptr);
}

// ---- the redundancy LPs --------------------------------------------------------

TEST(QueriesRedundancyLP, HLayoutRelaxesTheTestedRowAndDoublesEquations)
{
  // Row 2 is an equation.  Testing row 1: row 1 relaxed by one, the
  // negated equation after the rows, row 1 as it was for the objective.
  zonix::Matrix M = matrix({{1, -1, 0}, {2, 0, -1}, {0, 1, 1}}, dd_Inequality, {2});
  zonix::LP lp(dd_CreateLP_H_Redundancy(M.get(), 1));
  ASSERT_NE(lp, nullptr);
  const Rows want = {{2, -1, 0}, {2, 0, -1}, {0, 1, 1}, {-2, 0, 1}, {1, -1, 0}};
  EXPECT_EQ(lp_rows(*lp), want);
  EXPECT_EQ(lp->objective, dd_LPmin);
  EXPECT_EQ(lp->objrow, 5);
  EXPECT_EQ(lp->eqnumber, 1);
  EXPECT_EQ(members(lp->equalityset), std::vector<long>{2});
  EXPECT_FALSE(lp->Homogeneous);
  EXPECT_EQ(rows_of(M.get()), (Rows{{1, -1, 0}, {2, 0, -1}, {0, 1, 1}}));
  EXPECT_EQ(dd_CreateLP_H_Redundancy(M.get(), 0), nullptr);
  EXPECT_EQ(dd_CreateLP_H_Redundancy(M.get(), 4), nullptr);
}

TEST(QueriesRedundancyLP, HHomogeneousFlagIgnoresTheLastRow)
{
  zonix::Matrix M1 = matrix({{0, 1}, {0, -1}, {5, 1}});
  zonix::LP lp1(dd_CreateLP_H_Redundancy(M1.get(), 1));
  EXPECT_TRUE(lp1->Homogeneous);
  zonix::Matrix M2 = matrix({{0, 1}, {5, 1}, {0, -1}});
  zonix::LP lp2(dd_CreateLP_H_Redundancy(M2.get(), 1));
  EXPECT_FALSE(lp2->Homogeneous);
}

TEST(QueriesRedundancyLP, VLayoutAddsAConstantColumnForTheTestedRow)
{
  zonix::Matrix M = matrix({{1, 0, 0}, {1, 1, 0}, {0, 0, 1}}, dd_Generator, {3});
  zonix::LP lp(dd_CreateLP_V_Redundancy(M.get(), 2));
  ASSERT_NE(lp, nullptr);
  EXPECT_EQ(lp->d, 4);
  const Rows want = {{0, 1, 0, 0}, {1, 1, 1, 0}, {0, 0, 0, 1},
                     {0, 0, 0, -1}, {0, 1, 1, 0}};
  EXPECT_EQ(lp_rows(*lp), want);
  EXPECT_EQ(lp->objective, dd_LPmin);
  EXPECT_EQ(lp->eqnumber, 1);
  EXPECT_EQ(members(lp->equalityset), std::vector<long>{3});
  EXPECT_FALSE(lp->Homogeneous);
}

TEST(QueriesRedundancyLP, MinimaAreMinusOneForEssentialAndNonnegativeOtherwise)
{
  struct Case {
    Rows rows;
    long itest;
    double min;
  };
  // Minimum of row itest over the others with itest relaxed to >= -1.
  const std::vector<Case> cases = {
      {{{1, -1}}, 1, -1},                    // x <= 1 alone
      {{{1, -1}, {1, -1}}, 2, 0},            // the same as row 1
      {{{1, -1}, {2, -1}, {0, 1}}, 2, 1},    // x <= 2 under x <= 1
      {{{1, 0, 0}}, 1, 1},                   // 1 >= 0
      {{{1, -1, 0}, {1, 0, -1}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, 5, 1},
  };
  for (const Case &c : cases) {
    zonix::Matrix M = matrix(c.rows);
    zonix::LP lp(dd_CreateLP_H_Redundancy(M.get(), c.itest));
    dd_ErrorType err = dd_NoError;
    dd_LPSolve(lp.get(), dd_DualSimplex, &err);
    EXPECT_EQ(err, dd_NoError);
    EXPECT_NEAR(lp->optvalue[0], c.min, 1e-12) << c.rows.size() << " rows";
  }
}

// ---- dd_Redundant and dd_RedundantRows -------------------------------------------

TEST(QueriesRedundancy, LooserBoundIsRemoved)
{
  // x <= 1, x <= 2, x >= 0.
  zonix::Matrix M = matrix({{1, -1}, {2, -1}, {0, 1}});
  dd_ErrorType err = dd_ImproperInputFormat;
  EXPECT_EQ(redundant_rows(M.get(), &err), std::vector<long>{2});
  EXPECT_EQ(err, dd_NoError);
  // The same bound first: now row 1 goes.
  zonix::Matrix M2 = matrix({{2, -1}, {1, -1}, {0, 1}});
  EXPECT_EQ(redundant_rows(M2.get(), &err), std::vector<long>{1});
}

TEST(QueriesRedundancy, OfIdenticalRowsTheFirstStays)
{
  dd_ErrorType err = dd_NoError;
  zonix::Matrix two = matrix({{1, -1}, {1, -1}});
  EXPECT_EQ(redundant_rows(two.get(), &err), std::vector<long>{2});
  zonix::Matrix one = matrix({{1, -1}});
  EXPECT_TRUE(redundant_rows(one.get(), &err).empty());

  // Positive multiples are the same halfspace: x <= 1 three times (once
  // doubled) with x >= 0.
  zonix::Matrix many = matrix({{0, 1}, {1, -1}, {2, -2}, {1, -1}});
  EXPECT_EQ(redundant_rows(many.get(), &err), (std::vector<long>{3, 4}));
  // A facet of the square repeated in the middle.
  zonix::Matrix sq = matrix({{1, -1, 0}, {1, 0, -1}, {3, -3, 0}, {0, 1, 0}, {0, 0, 1}});
  EXPECT_EQ(redundant_rows(sq.get(), &err), std::vector<long>{3});
}

TEST(QueriesRedundancy, TrivialRowIsAlwaysRedundant)
{
  dd_ErrorType err = dd_NoError;
  Rows rows = kSquare;
  rows.push_back({1, 0, 0});
  zonix::Matrix M = matrix(rows);
  EXPECT_EQ(redundant_rows(M.get(), &err), std::vector<long>{5});
  zonix::Matrix alone = matrix({{1, 0, 0}});
  EXPECT_EQ(redundant_rows(alone.get(), &err), std::vector<long>{1});
}

TEST(QueriesRedundancy, LinearityRowsAreNeverRemoved)
{
  // x <= 0, x >= 0 and the equation 2x = 0 (row 3): the equation implies
  // both inequalities and is itself implied by them; it stays.
  dd_ErrorType err = dd_NoError;
  zonix::Matrix M = matrix({{0, -1, 0}, {0, 1, 0}, {0, 2, 0}, {1, 0, -1}, {0, 0, 1}},
                           dd_Inequality, {3});
  EXPECT_EQ(redundant_rows(M.get(), &err), (std::vector<long>{1, 2}));
  EXPECT_EQ(err, dd_NoError);

  // dd_Redundant on the equation: no, without touching the certificate.
  dd_Arow cert = nullptr;
  dd_InitializeArow(3, &cert);
  for (int j = 0; j < 3; ++j) cert[j][0] = 42;
  err = dd_ImproperInputFormat;
  EXPECT_FALSE(dd_Redundant(M.get(), 3, cert, &err));
  EXPECT_EQ(err, dd_NoError);
  for (int j = 0; j < 3; ++j) EXPECT_EQ(cert[j][0], 42);
  dd_FreeArow(3, cert);
}

TEST(QueriesRedundancy, CertificateViolatesOnlyTheTestedRow)
{
  // x <= 1 is essential among x >= 0 and x <= 3: the certificate is a
  // point that breaks x <= 1 and keeps the others.
  const Rows rows = {{1, -1}, {0, 1}, {3, -1}};
  zonix::Matrix M = matrix(rows);
  dd_Arow cert = nullptr;
  dd_InitializeArow(2, &cert);
  dd_ErrorType err = dd_NoError;
  EXPECT_FALSE(dd_Redundant(M.get(), 1, cert, &err));
  EXPECT_EQ(err, dd_NoError);
  EXPECT_DOUBLE_EQ(cert[0][0], 1.0);
  EXPECT_LT(at(rows[0], cert), -1e-7);
  EXPECT_GE(at(rows[1], cert), -1e-9);
  EXPECT_GE(at(rows[2], cert), -1e-9);
  dd_FreeArow(2, cert);
}

TEST(QueriesRedundancy, SquareCentreIsARedundantPoint)
{
  dd_ErrorType err = dd_NoError;
  zonix::Matrix M = matrix({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, 0.5, 0.5}},
                           dd_Generator);
  EXPECT_EQ(redundant_rows(M.get(), &err), std::vector<long>{5});
  // First instead of last: still the centre.
  zonix::Matrix M2 = matrix({{1, 0.5, 0.5}, {1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}},
                            dd_Generator);
  EXPECT_EQ(redundant_rows(M2.get(), &err), std::vector<long>{1});
  // A point on an edge is redundant too; a point outside is not.
  zonix::Matrix M3 = matrix({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, 0.5, 0}, {1, 2, 2}},
                            dd_Generator);
  EXPECT_EQ(redundant_rows(M3.get(), &err), (std::vector<long>{4, 5}));
}

TEST(QueriesRedundancy, VCertificateSeparatesThePoint)
{
  // (2, 2) beyond the square: z with z.g5 < 0 <= z.g_i for the corners.
  const Rows rows = {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, 2, 2}};
  zonix::Matrix M = matrix(rows, dd_Generator);
  dd_Arow cert = nullptr;
  dd_InitializeArow(4, &cert);
  dd_ErrorType err = dd_NoError;
  EXPECT_FALSE(dd_Redundant(M.get(), 5, cert, &err));
  auto dot = [&](const std::vector<double> &g) {
    return g[0] * cert[1][0] + g[1] * cert[2][0] + g[2] * cert[3][0];
  };
  EXPECT_LT(dot(rows[4]), -1e-7);
  for (int i = 0; i < 4; ++i) EXPECT_GE(dot(rows[i]), -1e-9) << "corner " << i + 1;
  dd_FreeArow(4, cert);
}

TEST(QueriesRedundancy, ScaledRayIsReportedAndTheFirstKept)
{
  // Origin, rays (1, 0), (2, 0), (0, 1).
  dd_ErrorType err = dd_NoError;
  zonix::Matrix M = matrix({{1, 0, 0}, {0, 1, 0}, {0, 2, 0}, {0, 0, 1}}, dd_Generator);
  EXPECT_EQ(redundant_rows(M.get(), &err), std::vector<long>{3});
  // A ray inside the cone of two others.
  zonix::Matrix M2 = matrix({{1, 0, 0}, {0, 1, 1}, {0, 1, 0}, {0, 0, 1}}, dd_Generator);
  EXPECT_EQ(redundant_rows(M2.get(), &err), std::vector<long>{2});
}

TEST(QueriesRedundancy, EmptyNullAndOutOfRange)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::Matrix empty = zonix::make_matrix(0, 3);
  empty->representation = dd_Inequality;
  zonix::Set red(dd_RedundantRows(empty.get(), &err));
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(set_card(red.get()), 0);
  EXPECT_EQ(err, dd_NoError);

  EXPECT_EQ(dd_RedundantRows(nullptr, &err), nullptr);
  EXPECT_EQ(err, dd_EmptyRepresentation);

  zonix::Matrix M = matrix({{1, -1}, {0, 1}});
  EXPECT_FALSE(dd_Redundant(M.get(), 3, nullptr, &err));
  EXPECT_EQ(err, dd_RowIndexOutOfRange);
  EXPECT_FALSE(dd_Redundant(M.get(), 0, nullptr, &err));
  EXPECT_EQ(err, dd_RowIndexOutOfRange);
}

TEST(QueriesRedundancy, InputMatrixIsUnchanged)
{
  zonix::Matrix M = matrix({{1, -1, 0}, {2, -1, 0}, {1, 0, -1}, {0, 1, 0}, {0, 0, 1}, {1, -1, 0}},
                           dd_Inequality, {5});
  const Rows before = rows_of(M.get());
  dd_ErrorType err = dd_NoError;
  // Row 5 (y = 0) is an equation; rows 2 and 6 repeat or loosen x <= 1,
  // and y <= 1 is implied by y = 0.
  EXPECT_EQ(redundant_rows(M.get(), &err), (std::vector<long>{2, 3, 6}));
  EXPECT_EQ(rows_of(M.get()), before);
  EXPECT_EQ(M->rowsize, 6);
  EXPECT_EQ(members(M->linset), std::vector<long>{5});
}

}  // namespace
