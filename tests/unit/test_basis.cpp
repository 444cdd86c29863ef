// Initial basis, initial rays and the shared Gaussian column pivots.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dovavozu.h"
#include "engine_test_util.hpp"
#include "zonix.hpp"

namespace {

using enginetest::make_poly;
using enginetest::members;
using enginetest::Rows;

constexpr double kTol = 1e-9;

// An owned Amatrix of the given rows.
struct OwnedA {
  explicit OwnedA(const Rows &rows)
      : m(static_cast<long>(rows.size())),
        d(static_cast<long>(rows.at(0).size()))
  {
    dd_InitializeAmatrix(m, d, &A);
    for (long i = 0; i < m; ++i)
      for (long j = 0; j < d; ++j) A[i][j][0] = rows[i][j];
  }
  ~OwnedA() { dd_FreeAmatrix(m, d, A); }
  OwnedA(const OwnedA &) = delete;
  OwnedA &operator=(const OwnedA &) = delete;
  long m, d;
  dd_Amatrix A = nullptr;
};

struct OwnedB {
  explicit OwnedB(long n) : d(n)
  {
    dd_InitializeBmatrix(d, &B);
    dd_SetToIdentity(d, B);
  }
  ~OwnedB() { dd_FreeBmatrix(d, B); }
  OwnedB(const OwnedB &) = delete;
  OwnedB &operator=(const OwnedB &) = delete;
  long d;
  dd_Bmatrix B = nullptr;
};

double entry(const OwnedA &a, const OwnedB &t, long r, long s)
{
  mytype x;
  dd_TableauEntry(&x, a.m, a.d, a.A, t.B, r, s);
  return x[0];
}

void expect_unit_row(const OwnedA &a, const OwnedB &t, long r, long s)
{
  for (long j = 1; j <= a.d; ++j)
    EXPECT_NEAR(entry(a, t, r, j), j == s ? 1.0 : 0.0, kTol)
        << "row " << r << " column " << j;
}

// Value of row i (1-based) of the cone at ray coordinates p.
double cone_value(dd_ConePtr c, long i, dd_Arow p)
{
  mytype v;
  dd_AValue(&v, c->d, c->A, p, i);
  return v[0];
}

// A polyhedron loaded into a cone and reset, ready for the basis search.
dd_ConePtr prepared_cone(dd_PolyhedraPtr p)
{
  dd_ConePtr c = dd_ConeDataLoad(p);
  dd_DDInit(c);
  return c;
}

}  // namespace

// ---- dictionary entries and pivots -----------------------------------------

TEST(BasisPivot, TableauEntryIsRowTimesColumn)
{
  OwnedA a({{1, 2}, {0, 5}});
  OwnedB t(2);
  t.B[0][0][0] = 1;
  t.B[0][1][0] = 2;
  t.B[1][0][0] = 3;
  t.B[1][1][0] = 4;
  EXPECT_DOUBLE_EQ(entry(a, t, 1, 1), 7.0);   // 1*1 + 2*3
  EXPECT_DOUBLE_EQ(entry(a, t, 1, 2), 10.0);  // 1*2 + 2*4
  EXPECT_DOUBLE_EQ(entry(a, t, 2, 1), 15.0);  // 0*1 + 5*3
}

TEST(BasisPivot, PivotTurnsRowIntoUnitVectorAndKeepsEarlierOnes)
{
  const Rows rows = {{2, 1, 0, 3}, {1, -1, 4, 0}, {0, 2, 1, 1}};
  OwnedA a(rows);
  OwnedB t(4);
  dd_GaussianColumnPivot(a.m, a.d, a.A, t.B, 1, 1);
  expect_unit_row(a, t, 1, 1);
  ASSERT_GT(std::fabs(entry(a, t, 2, 3)), 1e-3);
  dd_GaussianColumnPivot(a.m, a.d, a.A, t.B, 2, 3);
  expect_unit_row(a, t, 2, 3);
  expect_unit_row(a, t, 1, 1);
  ASSERT_GT(std::fabs(entry(a, t, 3, 2)), 1e-3);
  dd_GaussianColumnPivot(a.m, a.d, a.A, t.B, 3, 2);
  expect_unit_row(a, t, 3, 2);
  expect_unit_row(a, t, 2, 3);
  expect_unit_row(a, t, 1, 1);
  // The matrix itself is never changed by pivoting.
  for (long i = 0; i < a.m; ++i)
    for (long j = 0; j < a.d; ++j) EXPECT_EQ(a.A[i][j][0], rows[i][j]);
}

TEST(BasisPivot, PivotOnNonUnitEntryScalesColumn)
{
  // Row (4, 0): after the pivot on (1, 1), column 1 of T is (1/4, 0).
  OwnedA a({{4, 0}});
  OwnedB t(2);
  dd_GaussianColumnPivot(1, 2, a.A, t.B, 1, 1);
  EXPECT_DOUBLE_EQ(t.B[0][0][0], 0.25);
  EXPECT_DOUBLE_EQ(t.B[1][0][0], 0.0);
  EXPECT_DOUBLE_EQ(t.B[0][1][0], 0.0);
  EXPECT_DOUBLE_EQ(t.B[1][1][0], 1.0);
}

TEST(BasisSelectPivot, EquationsFirstThenOrderVector)
{
  OwnedA a({{1, 0}, {0, 1}, {1, 1}});
  OwnedB t(2);
  long order[] = {0, 3, 2, 1};
  auto eq = zonix::make_set(3);
  auto nopivot = zonix::make_set(3);
  auto nocol = zonix::make_set(2);
  dd_rowrange r = -1;
  dd_colrange s = -1;
  dd_boolean sel = dd_FALSE;

  dd_SelectPivot2(3, 2, a.A, t.B, dd_MinIndex, order, eq.get(), 3,
                  nopivot.get(), nocol.get(), &r, &s, &sel);
  EXPECT_TRUE(sel);
  EXPECT_EQ(r, 3);  // first in the order vector
  EXPECT_EQ(s, 1);

  set_addelem(eq.get(), 2);
  dd_SelectPivot2(3, 2, a.A, t.B, dd_MinIndex, order, eq.get(), 3,
                  nopivot.get(), nocol.get(), &r, &s, &sel);
  EXPECT_TRUE(sel);
  EXPECT_EQ(r, 2);  // the equation, whatever the order says
  EXPECT_EQ(s, 2);  // entry (2, 1) is zero
}

TEST(BasisSelectPivot, ExcludedRowsColumnsAndRowLimit)
{
  OwnedA a({{0, 0}, {1, 1}, {0, 1}});
  OwnedB t(2);
  long order[] = {0, 1, 2, 3};
  auto eq = zonix::make_set(3);
  auto nopivot = zonix::make_set(3);
  auto nocol = zonix::make_set(2);
  dd_rowrange r = 0;
  dd_colrange s = 0;
  dd_boolean sel = dd_FALSE;

  // The zero row 1 has no column and is passed over.
  dd_SelectPivot2(3, 2, a.A, t.B, dd_MinIndex, order, eq.get(), 3,
                  nopivot.get(), nocol.get(), &r, &s, &sel);
  EXPECT_TRUE(sel);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(s, 1);

  set_addelem(nocol.get(), 1);
  dd_SelectPivot2(3, 2, a.A, t.B, dd_MinIndex, order, eq.get(), 3,
                  nopivot.get(), nocol.get(), &r, &s, &sel);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(s, 2);

  set_addelem(nopivot.get(), 2);
  dd_SelectPivot2(3, 2, a.A, t.B, dd_MinIndex, order, eq.get(), 3,
                  nopivot.get(), nocol.get(), &r, &s, &sel);
  EXPECT_EQ(r, 3);
  EXPECT_EQ(s, 2);

  // Rows above the row limit are never chosen, equations included.
  set_addelem(eq.get(), 3);
  dd_SelectPivot2(3, 2, a.A, t.B, dd_MinIndex, order, eq.get(), 2,
                  nopivot.get(), nocol.get(), &r, &s, &sel);
  EXPECT_FALSE(sel);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(s, 0);
}

TEST(BasisSelectPivot, PreorderedNextSkipsExcluded)
{
  long order[] = {0, 3, 1, 2};
  auto ex = zonix::make_set(3);
  dd_rowrange h = -1;
  dd_SelectPreorderedNext2(3, 2, ex.get(), order, &h);
  EXPECT_EQ(h, 3);
  set_addelem(ex.get(), 3);
  dd_SelectPreorderedNext2(3, 2, ex.get(), order, &h);
  EXPECT_EQ(h, 1);
  set_addelem(ex.get(), 1);
  set_addelem(ex.get(), 2);
  dd_SelectPreorderedNext2(3, 2, ex.get(), order, &h);
  EXPECT_EQ(h, 0);
}

// ---- basis and column reduction --------------------------------------------

TEST(BasisFindBasis, FullRankGivesOneRayPerColumn)
{
  // Triangle x >= 0, y >= 0, x + y <= 1; the row (1, 0, 0) is added.
  auto p = make_poly({{0, 1, 0}, {0, 0, 1}, {1, -1, -1}}, false);
  dd_ConePtr c = prepared_cone(p.get());
  dd_boolean found = dd_FALSE;
  dd_FindInitialRays(c, &found);
  EXPECT_TRUE(found);
  EXPECT_EQ(c->LinearityDim, 0);
  EXPECT_FALSE(c->ColReduced);
  EXPECT_EQ(c->d, 3);
  EXPECT_EQ(set_card(c->InitialHalfspaces), 3);
  EXPECT_TRUE(c->PreOrderedRun);

  dd_InitialDataSetup(c);
  EXPECT_EQ(c->RayCount, 3);
  const auto basis = members(c->InitialHalfspaces);
  for (dd_RayPtr r = c->FirstRay; r != nullptr; r = r->Next) {
    int nonzero = 0;
    for (long i : basis) {
      const double v = cone_value(c, i, r->Ray);
      if (std::fabs(v) > 1e-7) {
        ++nonzero;
        EXPECT_GT(v, 0.0);
      }
    }
    EXPECT_EQ(nonzero, 1);
  }
  // m = 4 = d + 1: the status is final already.
  EXPECT_EQ(c->Iteration, 4);
  EXPECT_EQ(c->CompStatus, dd_AllFound);
}

TEST(BasisFindBasis, HalfPlaneDropsFreeColumn)
{
  // x1 >= 1 in the plane: the second variable is free.
  auto p = make_poly({{-1, 1, 0}}, false);
  dd_ConePtr c = prepared_cone(p.get());
  long rank = 0;
  dd_FindBasis(c, &rank);
  EXPECT_EQ(rank, 2);
  dd_boolean found = dd_FALSE;
  dd_FindInitialRays(c, &found);
  EXPECT_EQ(c->LinearityDim, 1);
  EXPECT_TRUE(c->ColReduced);
  EXPECT_EQ(c->d, 2);
  EXPECT_EQ(c->d_orig, 3);
  EXPECT_EQ(c->newcol[1], 1);
  EXPECT_EQ(c->newcol[2], 2);
  EXPECT_EQ(c->newcol[3], 0);
  // Column 3 of the saved basis inverse is the free direction (0, 0, 1).
  EXPECT_NEAR(c->Bsave[0][2][0], 0.0, kTol);
  EXPECT_NEAR(c->Bsave[1][2][0], 0.0, kTol);
  EXPECT_NEAR(c->Bsave[2][2][0], 1.0, kTol);
}

TEST(BasisFindBasis, ReducedColumnsAreShiftedLeft)
{
  // Homogeneous cone in which column 2 is zero in every row: it is
  // removed and column 3 moves to position 2.
  auto p = make_poly({{1, 0, 2}, {1, 0, -1}}, true);
  dd_ConePtr c = prepared_cone(p.get());
  dd_boolean found = dd_FALSE;
  dd_FindInitialRays(c, &found);
  EXPECT_EQ(c->LinearityDim, 1);
  EXPECT_EQ(c->newcol[2], 0);
  EXPECT_EQ(c->newcol[3], 2);
  EXPECT_EQ(c->A[0][1][0], 2.0);
  EXPECT_EQ(c->A[1][1][0], -1.0);
}

TEST(BasisFindBasis, EquationEntersBasisFirst)
{
  // Row 4 is lexicographically last, so without the mark it would not be
  // needed for a basis.
  const Rows rows = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}, {2, 1, 1}};
  {
    auto p = make_poly(rows, false);
    dd_ConePtr c = prepared_cone(p.get());
    long rank = 0;
    dd_FindBasis(c, &rank);
    EXPECT_EQ(rank, 3);
    EXPECT_FALSE(set_member(4, c->InitialHalfspaces));
  }
  auto p = make_poly(rows, false);
  p->EqualityIndex[4] = 1;
  dd_ConePtr c = prepared_cone(p.get());
  long rank = 0;
  dd_FindBasis(c, &rank);
  EXPECT_EQ(rank, 3);
  EXPECT_TRUE(set_member(4, c->InitialHalfspaces));
  // Row 4 was pivoted first, on its first nonzero column.
  EXPECT_EQ(c->InitialRayIndex[1], 4);

  // Only the columns whose vector lies on the equation give rays.
  dd_InitialDataSetup(c);
  EXPECT_EQ(c->RayCount, 2);
  for (dd_RayPtr r = c->FirstRay; r != nullptr; r = r->Next)
    EXPECT_NEAR(cone_value(c, 4, r->Ray), 0.0, 1e-7);
}

TEST(BasisFindBasis, DependentEquationsAreAccepted)
{
  // Rows 1 and 2 are the same equation (one doubled).
  auto p = make_poly({{0, 1, 0}, {0, 2, 0}, {1, 0, -1}, {0, 0, 1}}, false);
  p->EqualityIndex[1] = 1;
  p->EqualityIndex[2] = 1;
  dd_ConePtr c = prepared_cone(p.get());
  long rank = 0;
  dd_FindBasis(c, &rank);
  EXPECT_EQ(rank, 3);
  EXPECT_TRUE(set_member(1, c->InitialHalfspaces));
  EXPECT_FALSE(set_member(2, c->InitialHalfspaces));
}

TEST(BasisFindBasis, StrictInequalityNeverInBasis)
{
  auto p = make_poly({{0, 1, 0}, {0, 0, 1}, {1, -1, -1}}, false);
  p->EqualityIndex[1] = -1;
  dd_ConePtr c = prepared_cone(p.get());
  long rank = 0;
  dd_FindBasis(c, &rank);
  EXPECT_EQ(rank, 3);
  EXPECT_EQ(members(c->InitialHalfspaces), (std::vector<long>{2, 3, 4}));
}

TEST(BasisFindBasis, CutoffOrdersAreNotPreordered)
{
  for (auto order : {dd_MinCutoff, dd_MaxCutoff, dd_MixCutoff}) {
    auto p = make_poly({{0, 1, 0}, {0, 0, 1}, {1, -1, -1}}, false);
    dd_ConePtr c = dd_ConeDataLoad(p.get());
    c->HalfspaceOrder = order;
    dd_DDInit(c);
    dd_boolean found = dd_FALSE;
    dd_FindInitialRays(c, &found);
    EXPECT_FALSE(c->PreOrderedRun) << order;
  }
}

// ---- initial rays ----------------------------------------------------------

TEST(BasisInitialRays, ColumnWithoutBasisRowGivesTwoOppositeRays)
{
  // One homogeneous row (1, 0): column 2 gets no pivot.  Without column
  // reduction it enters as the pair (0, 1), (0, -1).
  auto p = make_poly({{1, 0}}, true);
  dd_ConePtr c = prepared_cone(p.get());
  long rank = 0;
  dd_FindBasis(c, &rank);
  ASSERT_EQ(rank, 1);
  dd_InitialDataSetup(c);
  auto rays = enginetest::ray_list(c);
  ASSERT_EQ(rays.size(), 3u);
  EXPECT_EQ(enginetest::coords(c, rays[0]), (std::vector<double>{1, 0}));
  EXPECT_EQ(enginetest::coords(c, rays[1]), (std::vector<double>{0, 1}));
  EXPECT_EQ(enginetest::coords(c, rays[2]), (std::vector<double>{0, -1}));
  EXPECT_EQ(c->CompStatus, dd_AllFound);  // m = 1 <= d + 1
}

TEST(BasisInitialRays, SetupMovesBasisRowsToFrontAndMarksThemAdded)
{
  // Unit square: 5 cone rows, 3 of them in the basis; 5 > d + 1.
  auto p = make_poly({{0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}}, false);
  dd_ConePtr c = prepared_cone(p.get());
  dd_boolean found = dd_FALSE;
  dd_FindInitialRays(c, &found);
  dd_InitialDataSetup(c);
  const auto basis = members(c->InitialHalfspaces);
  ASSERT_EQ(basis.size(), 3u);
  EXPECT_EQ(members(c->AddedHalfspaces), basis);
  EXPECT_EQ(members(c->WeaklyAddedHalfspaces), basis);
  for (long k = 1; k <= 3; ++k)
    EXPECT_TRUE(set_member(c->OrderVector[k], c->InitialHalfspaces));
  EXPECT_EQ(c->Iteration, 4);
  EXPECT_EQ(c->CompStatus, dd_InProgress);
  EXPECT_EQ(c->ArtificialRay->Next, c->FirstRay);
}

TEST(BasisInitialRays, SecondArtificialRayIsRefused)
{
  auto p = make_poly({{0, 1, 0}, {0, 0, 1}, {1, -1, -1}}, false);
  dd_ConePtr c = prepared_cone(p.get());
  dd_boolean found = dd_FALSE;
  dd_FindInitialRays(c, &found);
  dd_InitialDataSetup(c);
  dd_RayPtr sentinel = c->ArtificialRay;
  dd_RayPtr last = c->LastRay;
  const long count = c->RayCount;
  testing::internal::CaptureStderr();
  dd_AddArtificialRay(c);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Warning !!!  FirstRay in not nil.  Illegal Call\n");
  EXPECT_EQ(c->ArtificialRay, sentinel);
  EXPECT_EQ(c->LastRay, last);
  EXPECT_EQ(c->RayCount, count);
}

// ---- rank ------------------------------------------------------------------

namespace {

zonix::Matrix matrix_of(const Rows &rows)
{
  const long m = static_cast<long>(rows.size());
  const long d = static_cast<long>(rows.at(0).size());
  auto M = zonix::make_matrix(m, d);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < d; ++j) M->matrix[i][j][0] = rows[i][j];
  return M;
}

struct RankResult {
  long rank;
  std::vector<long> rows, cols;
};

RankResult rank_of(dd_MatrixPtr M, set_type ignr, set_type ignc)
{
  dd_rowset rb = nullptr;
  dd_colset cb = nullptr;
  RankResult res;
  res.rank = dd_MatrixRank(M, ignr, ignc, &rb, &cb);
  res.rows = members(rb);
  res.cols = members(cb);
  set_free(rb);
  set_free(cb);
  return res;
}

}  // namespace

TEST(BasisMatrixRank, DoubledRowIsDependent)
{
  auto M = matrix_of({{1, 2, 3}, {2, 4, 6}, {0, 1, 1}});
  auto ignr = zonix::make_set(3);
  auto ignc = zonix::make_set(3);
  auto r = rank_of(M.get(), ignr.get(), ignc.get());
  EXPECT_EQ(r.rank, 2);
  EXPECT_EQ(r.rows, (std::vector<long>{1, 3}));
  EXPECT_EQ(r.cols.size(), 2u);

  // Ignoring row 1 leaves rows 2 and 3, still of rank 2.
  set_addelem(ignr.get(), 1);
  r = rank_of(M.get(), ignr.get(), ignc.get());
  EXPECT_EQ(r.rank, 2);
  EXPECT_EQ(r.rows, (std::vector<long>{2, 3}));

  // Ignoring columns 1 and 2 leaves one column.
  set_emptyset(ignr.get());
  set_addelem(ignc.get(), 1);
  set_addelem(ignc.get(), 2);
  r = rank_of(M.get(), ignr.get(), ignc.get());
  EXPECT_EQ(r.rank, 1);
  EXPECT_EQ(r.cols, (std::vector<long>{3}));
}

TEST(BasisMatrixRank, IdentityZeroAndNullSets)
{
  auto I = matrix_of({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}});
  auto r = rank_of(I.get(), nullptr, nullptr);
  EXPECT_EQ(r.rank, 3);
  EXPECT_EQ(r.rows, (std::vector<long>{1, 2, 3}));
  EXPECT_EQ(r.cols, (std::vector<long>{1, 2, 3}));

  auto Z = matrix_of({{0, 0}, {0, 0}});
  r = rank_of(Z.get(), nullptr, nullptr);
  EXPECT_EQ(r.rank, 0);
  EXPECT_TRUE(r.rows.empty());
  EXPECT_TRUE(r.cols.empty());

  // Entries within the tolerance count as zero.
  auto T = matrix_of({{1, 0}, {1, 5e-8}});
  EXPECT_EQ(rank_of(T.get(), nullptr, nullptr).rank, 1);
}

TEST(BasisMatrixRank, IgnoreSetOfOtherGroundSizeIsClamped)
{
  // A 2-element ignore set on a 40-row matrix: only its members count.
  Rows rows(40, std::vector<double>{0, 0});
  rows[0] = {1, 0};
  rows[39] = {0, 1};
  auto M = matrix_of(rows);
  auto small = zonix::make_set(2);
  set_addelem(small.get(), 1);
  auto r = rank_of(M.get(), small.get(), nullptr);
  EXPECT_EQ(r.rank, 1);
  EXPECT_EQ(r.rows, (std::vector<long>{40}));
}
