// The implicit dictionary: reset, pivots with their bookkeeping, the first
// basis (equations first, structural dual inconsistency), row orders,
// solution extraction and the tableau listings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

using Row = std::vector<double>;

// An LP record with the given constraint rows and objective row last.
zonix::LP make_lp(const std::vector<Row> &rows, const Row &obj,
                  dd_LPObjectiveType sense = dd_LPmax)
{
  const long m = static_cast<long>(rows.size()) + 1;
  const long d = static_cast<long>(obj.size());
  zonix::LP lp(dd_CreateLPData(sense, dd_Real, m, d));
  for (long i = 0; i + 1 < m; ++i)
    for (long j = 0; j < d; ++j) lp->A[i][j][0] = rows[i][j];
  for (long j = 0; j < d; ++j) lp->A[m - 1][j][0] = obj[j];
  return lp;
}

double entry(const dd_lpdata &lp, long m_size, long i, long j)
{
  mytype x;
  dd_TableauEntry(&x, m_size, lp.d, lp.A, lp.B, i, j);
  return x[0];
}

// Holds bflag and an order vector for an LP of m rows (plus the phase I
// slot), as the methods do.
struct Work {
  std::vector<long> bflag, order;
  explicit Work(long m) : bflag(m + 2, 99), order(m + 1) {}
};

void reset(dd_lpdata &lp, Work &w)
{
  dd_ResetTableau(lp.m, lp.d, lp.B, lp.nbindex, w.bflag.data(), lp.objrow,
                  lp.rhscol);
}

struct Basis {
  long cs = -1;
  int found = -1;
  dd_LPStatusType lps = dd_Optimal;
  long pivots = -1;
};

Basis find_basis(dd_lpdata &lp, Work &w)
{
  Basis b;
  dd_ComputeRowOrderVector2(lp.m, lp.d, lp.A, w.order.data(), dd_MinIndex, 1);
  reset(lp, w);
  dd_FindLPBasis(lp.m, lp.d, lp.A, lp.B, w.order.data(), lp.equalityset,
                 lp.nbindex, w.bflag.data(), lp.objrow, lp.rhscol, &b.cs,
                 &b.found, &b.lps, &b.pivots);
  return b;
}

std::vector<long> nbindex_of(const dd_lpdata &lp)
{
  return std::vector<long>(lp.nbindex + 1, lp.nbindex + lp.d + 1);
}

std::vector<long> order_of(dd_lpdata &lp, dd_RowOrderType ho,
                           unsigned seed = 1)
{
  std::vector<long> ov(lp.m + 1, -5);
  dd_ComputeRowOrderVector2(lp.m, lp.d, lp.A, ov.data(), ho, seed);
  EXPECT_EQ(ov[0], 0);
  return std::vector<long>(ov.begin() + 1, ov.end());
}

std::string contents(FILE *f)
{
  std::rewind(f);
  std::string s;
  int c;
  while ((c = std::fgetc(f)) != EOF) s.push_back(static_cast<char>(c));
  return s;
}

}  // namespace

TEST(LpDictReset, StartsFromTheIdentityDictionary)
{
  zonix::LP lp = make_lp({{1, -1, 2}, {0, 3, -4}, {5, 0, 1}}, {0, 1, 1});
  Work w(lp->m);
  for (long i = 0; i < 3; ++i)
    for (long j = 0; j < 3; ++j) lp->B[i][j][0] = 7;  // stale data
  reset(*lp, w);
  for (long i = 1; i <= lp->m; ++i)
    for (long j = 1; j <= lp->d; ++j)
      EXPECT_EQ(entry(*lp, lp->m, i, j), lp->A[i - 1][j - 1][0]);
  EXPECT_EQ(nbindex_of(*lp), (std::vector<long>{0, -2, -3}));
  EXPECT_EQ(w.bflag[1], -1);
  EXPECT_EQ(w.bflag[2], -1);
  EXPECT_EQ(w.bflag[3], -1);
  EXPECT_EQ(w.bflag[4], 0);  // objective row
}

TEST(LpDictPivot, PivotRowBecomesUnitVectorAndIndicesFollow)
{
  // x <= 1 and y <= 2 as rows (1, -1, 0) and (2, 0, -1).
  zonix::LP lp = make_lp({{1, -1, 0}, {2, 0, -1}, {0, 1, 1}}, {0, 1, 1});
  Work w(lp->m);
  reset(*lp, w);
  dd_GaussianColumnPivot2(lp->m, lp->d, lp->A, lp->B, lp->nbindex,
                          w.bflag.data(), 1, 2);
  EXPECT_EQ(lp->nbindex[2], 1);
  EXPECT_EQ(w.bflag[1], 2);
  for (long j = 1; j <= 3; ++j)
    EXPECT_NEAR(entry(*lp, lp->m, 1, j), j == 2 ? 1.0 : 0.0, 1e-12);
  dd_GaussianColumnPivot2(lp->m, lp->d, lp->A, lp->B, lp->nbindex,
                          w.bflag.data(), 2, 3);
  for (long j = 1; j <= 3; ++j) {
    EXPECT_NEAR(entry(*lp, lp->m, 1, j), j == 2 ? 1.0 : 0.0, 1e-12);
    EXPECT_NEAR(entry(*lp, lp->m, 2, j), j == 3 ? 1.0 : 0.0, 1e-12);
  }
  // Both rows tight: the basic solution is the vertex (1, 2).
  EXPECT_NEAR(lp->B[0][0][0], 1.0, 1e-12);
  EXPECT_NEAR(lp->B[1][0][0], 1.0, 1e-12);
  EXPECT_NEAR(lp->B[2][0][0], 2.0, 1e-12);
  // A is never touched by pivoting.
  EXPECT_EQ(lp->A[0][1][0], -1.0);
  EXPECT_EQ(lp->A[1][2][0], -1.0);

  // Row 3 takes column 2 from row 1, which becomes basic again.
  dd_GaussianColumnPivot2(lp->m, lp->d, lp->A, lp->B, lp->nbindex,
                          w.bflag.data(), 3, 2);
  EXPECT_EQ(lp->nbindex[2], 3);
  EXPECT_EQ(w.bflag[3], 2);
  EXPECT_EQ(w.bflag[1], -1);
  EXPECT_EQ(w.bflag[2], 3);
  // Row 3 (x + y >= 0) tight with y = 2: x = -2, so row 1 has value 3.
  EXPECT_NEAR(entry(*lp, lp->m, 1, 1), 3.0, 1e-12);
}

TEST(LpDictBasis, EquationsArePivotedFirstInIncreasingOrder)
{
  // Rows 2 and 4 are equations; the order they are pivoted in shows in the
  // columns they occupy: row 2 takes column 2 only if it goes first.
  zonix::LP lp = make_lp(
      {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}, {0, 1, 0}}, {0, 1, 1});
  set_addelem(lp->equalityset, 4);
  set_addelem(lp->equalityset, 2);
  Work w(lp->m);
  Basis b = find_basis(*lp, w);
  EXPECT_EQ(b.found, dd_TRUE);
  EXPECT_EQ(b.pivots, 2);
  EXPECT_EQ(b.cs, 0);
  EXPECT_EQ(b.lps, dd_LPSundecided);
  EXPECT_EQ(nbindex_of(*lp), (std::vector<long>{0, 2, 4}));

  // Without equations the natural order takes rows 1 and 2.
  set_emptyset(lp->equalityset);
  b = find_basis(*lp, w);
  EXPECT_EQ(nbindex_of(*lp), (std::vector<long>{0, 1, 2}));
  EXPECT_EQ(w.bflag[1], 2);
  EXPECT_EQ(w.bflag[2], 3);
  EXPECT_EQ(w.bflag[3], -1);
  EXPECT_EQ(w.bflag[5], 0);
}

TEST(LpDictBasis, SkipsRowsWithoutUsableEntries)
{
  // Row 1 is zero in the variables, row 2 repeats row 3's direction.
  zonix::LP lp = make_lp({{4, 0, 0}, {1, 1, 1}, {2, 2, 2}, {0, 1, -1}},
                         {0, 1, 0});
  Work w(lp->m);
  Basis b = find_basis(*lp, w);
  EXPECT_EQ(b.found, dd_TRUE);
  EXPECT_EQ(b.pivots, 2);
  EXPECT_EQ(nbindex_of(*lp), (std::vector<long>{0, 2, 4}));
  // The pivots never take the constant column or the objective row, so
  // row 1 of T stays e_1.
  EXPECT_EQ(lp->B[0][0][0], 1.0);
  EXPECT_EQ(lp->B[0][1][0], 0.0);
  EXPECT_EQ(lp->B[0][2][0], 0.0);
  EXPECT_EQ(w.bflag[5], 0);
}

TEST(LpDictBasis, FreeVariableInTheObjectiveIsStructurallyDualInconsistent)
{
  // x3 occurs in no constraint.
  zonix::LP lp = make_lp({{1, -1, 0}, {0, 1, 0}}, {0, 1, 2});
  Work w(lp->m);
  Basis b = find_basis(*lp, w);
  EXPECT_EQ(b.found, dd_FALSE);
  EXPECT_EQ(b.lps, dd_StrucDualInconsistent);
  EXPECT_EQ(b.cs, 3);
  EXPECT_EQ(b.pivots, 1);

  // Without the objective coefficient the variable is harmless.
  lp->A[2][2][0] = 0;
  b = find_basis(*lp, w);
  EXPECT_EQ(b.found, dd_TRUE);
  EXPECT_EQ(b.cs, 0);
  EXPECT_EQ(b.lps, dd_LPSundecided);
  EXPECT_EQ(lp->nbindex[3], -3);
}

TEST(LpDictBasis, RebuildingTheBasisReproducesItsVertex)
{
  zonix::LP lp = make_lp({{3, -1, -1}, {1, 1, 0}, {4, 0, -1}, {2, 1, -1}},
                         {0, 1, 2});
  Work w(lp->m);
  Basis b = find_basis(*lp, w);
  ASSERT_EQ(b.found, dd_TRUE);
  const std::vector<long> named = nbindex_of(*lp);
  std::vector<double> x0;
  for (long k = 0; k < lp->d; ++k) x0.push_back(lp->B[k][0][0]);

  dd_SetToIdentity(lp->d, lp->B);
  std::fill(w.bflag.begin(), w.bflag.end(), -1);
  w.bflag[lp->objrow] = 0;
  long cs = -1, piv = -1;
  int found = -1;
  dd_FindLPBasis2(lp->m, lp->d, lp->A, lp->B, w.order.data(), lp->equalityset,
                  lp->nbindex, w.bflag.data(), lp->objrow, lp->rhscol, &cs,
                  &found, &piv);
  EXPECT_EQ(found, dd_TRUE);
  EXPECT_EQ(cs, 0);
  EXPECT_EQ(piv, 2);
  EXPECT_EQ(nbindex_of(*lp), named);
  for (long j = 1; j <= lp->d; ++j) {
    if (named[j - 1] > 0) {
      EXPECT_EQ(w.bflag[named[j - 1]], j);
    }
  }
  for (long k = 0; k < lp->d; ++k) EXPECT_NEAR(lp->B[k][0][0], x0[k], 1e-12);
}

TEST(LpDictOrder, FixedAndLexicographicOrders)
{
  zonix::LP lp4 = make_lp({{1, 0}, {2, 0}, {3, 0}}, {4, 0});
  EXPECT_EQ(order_of(*lp4, dd_MaxIndex), (std::vector<long>{4, 3, 2, 1}));
  EXPECT_EQ(order_of(*lp4, dd_MinIndex), (std::vector<long>{1, 2, 3, 4}));
  EXPECT_EQ(order_of(*lp4, dd_MinCutoff), (std::vector<long>{1, 2, 3, 4}));

  // Rows (1, 0), (0, 5), (0, -1) with the objective row (0, 5) last.
  zonix::LP lp = make_lp({{1, 0}, {0, 5}, {0, -1}}, {0, 5});
  std::vector<long> lex = order_of(*lp, dd_LexMin);
  // Rows 2 and 4 are equal: either may come first.
  EXPECT_EQ(lex[0], 3);
  EXPECT_EQ(lex[3], 1);
  std::vector<long> mid(lex.begin() + 1, lex.begin() + 3);
  std::sort(mid.begin(), mid.end());
  EXPECT_EQ(mid, (std::vector<long>{2, 4}));
  std::vector<long> lexmax = order_of(*lp, dd_LexMax);
  std::reverse(lexmax.begin(), lexmax.end());
  EXPECT_EQ(lexmax, lex);
}

TEST(LpDictOrder, RandomOrdersArePermutationsFixedBySeed)
{
  std::vector<Row> rows(40, Row{1, 1});
  zonix::LP lp = make_lp(rows, {0, 1});
  std::vector<long> a = order_of(*lp, dd_RandomRow, 7);
  std::vector<long> b = order_of(*lp, dd_RandomRow, 7);
  std::vector<long> c = order_of(*lp, dd_RandomRow, 8);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  std::vector<long> ident(lp->m);
  std::iota(ident.begin(), ident.end(), 1);
  EXPECT_NE(a, ident);
  std::sort(a.begin(), a.end());
  EXPECT_EQ(a, ident);
  EXPECT_EQ(order_of(*lp, dd_RandomRow, 0), order_of(*lp, dd_RandomRow, 1));

  // A shuffle of at most one entry only leaves it where it is.
  long ov[3] = {0, 5, 6};
  dd_RandomPermutation2(ov, 1, 3);
  EXPECT_EQ(ov[1], 5);
  EXPECT_EQ(ov[2], 6);
  dd_RandomPermutation2(ov, 0, 3);
  EXPECT_EQ(ov[1], 5);
}

TEST(LpDictSolutions, EachStatusReadsItsOwnPartOfTheDictionary)
{
  // x <= 1, x >= 0, objective x; pivot row 1 into column 2: optimal.
  zonix::LP lp = make_lp({{1, -1}, {0, 1}}, {0, 1});
  Work w(lp->m);
  reset(*lp, w);
  dd_GaussianColumnPivot2(lp->m, lp->d, lp->A, lp->B, lp->nbindex,
                          w.bflag.data(), 1, 2);
  // Dictionary: x = 1 - y1, y2 = 1 - y1, objective = 1 - y1.
  mytype opt;
  opt[0] = 42;
  dd_SetSolutions(lp->m, lp->d, lp->A, lp->B, lp->objrow, lp->rhscol,
                  dd_Optimal, &opt, lp->sol, lp->dsol, lp->nbindex, 0, 0);
  EXPECT_DOUBLE_EQ(opt[0], 1.0);
  EXPECT_DOUBLE_EQ(lp->sol[0][0], 1.0);
  EXPECT_DOUBLE_EQ(lp->sol[1][0], 1.0);
  EXPECT_DOUBLE_EQ(lp->dsol[0][0], -1.0);  // -optvalue
  EXPECT_DOUBLE_EQ(lp->dsol[1][0], 1.0);   // dual value of row 1

  // Inconsistent with evidence row 2: dsol is minus its dictionary row.
  opt[0] = 42;
  dd_SetSolutions(lp->m, lp->d, lp->A, lp->B, lp->objrow, lp->rhscol,
                  dd_Inconsistent, &opt, lp->sol, lp->dsol, lp->nbindex, 2, 0);
  EXPECT_EQ(opt[0], 42.0);
  EXPECT_DOUBLE_EQ(lp->dsol[0][0], -1.0);
  EXPECT_DOUBLE_EQ(lp->dsol[1][0], 1.0);
  EXPECT_DOUBLE_EQ(lp->sol[1][0], 1.0);

  // Dual inconsistent in column 2: sol is column 2 of T = (0, -1).
  dd_SetSolutions(lp->m, lp->d, lp->A, lp->B, lp->objrow, lp->rhscol,
                  dd_DualInconsistent, &opt, lp->sol, lp->dsol, lp->nbindex,
                  0, 2);
  EXPECT_DOUBLE_EQ(lp->sol[0][0], 0.0);
  EXPECT_DOUBLE_EQ(lp->sol[1][0], -1.0);
  EXPECT_DOUBLE_EQ(lp->dsol[1][0], 1.0);

  // Structural case: the sign makes the objective grow along sol.
  dd_SetSolutions(lp->m, lp->d, lp->A, lp->B, lp->objrow, lp->rhscol,
                  dd_StrucDualInconsistent, &opt, lp->sol, lp->dsol,
                  lp->nbindex, 0, 2);
  EXPECT_DOUBLE_EQ(lp->sol[1][0], 1.0);

  // Other statuses leave everything alone.
  lp->sol[1][0] = 5;
  lp->dsol[1][0] = 6;
  for (dd_LPStatusType st : {dd_LPSundecided, dd_StrucInconsistent,
                             dd_Unbounded, dd_DualUnbounded}) {
    dd_SetSolutions(lp->m, lp->d, lp->A, lp->B, lp->objrow, lp->rhscol, st,
                    &opt, lp->sol, lp->dsol, lp->nbindex, 1, 2);
    EXPECT_EQ(lp->sol[1][0], 5.0);
    EXPECT_EQ(lp->dsol[1][0], 6.0);
    EXPECT_EQ(opt[0], 42.0);
  }
}

TEST(LpDictWrite, TableauListingsShowIndicesAndEntries)
{
  zonix::LP lp = make_lp({{1, -1}, {0, 1}}, {0, 1});
  Work w(lp->m);
  reset(*lp, w);
  dd_GaussianColumnPivot2(lp->m, lp->d, lp->A, lp->B, lp->nbindex,
                          w.bflag.data(), 1, 2);
  FILE *f = std::tmpfile();
  dd_WriteSignTableau(f, lp->m, lp->d, lp->A, lp->B, lp->nbindex,
                      w.bflag.data());
  EXPECT_EQ(contents(f),
            " 3  2  real\n          |   0   1\n"
            "   1(  2) |  0  +\n"
            "   2( -1) |  +  -\n"
            "   3(  0) |  +  -\n"
            "end\n");
  std::fclose(f);

  f = std::tmpfile();
  dd_WriteTableau(f, lp->m, lp->d, lp->A, lp->B, lp->nbindex, w.bflag.data());
  EXPECT_EQ(contents(f),
            " 3  2  real\n          |   0   1\n"
            "   1(  2) |  0  1\n"
            "   2( -1) |  1 -1\n"
            "   3(  0) |  1 -1\n"
            "end\n");
  std::fclose(f);
}
