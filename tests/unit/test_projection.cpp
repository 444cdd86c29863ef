// Projection by Fourier-Motzkin and block elimination.  Small cases are
// worked out by hand; random polytopes are checked three ways: the two
// eliminations must give the same facets after redundancy removal, and the
// vertices of either must be the extreme points among the projected
// vertices of the original polytope (both computed by the engine).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

using Row = std::vector<double>;
using Rows = std::vector<Row>;

zonix::Matrix make(const Rows &rows, dd_RepresentationType rep = dd_Inequality,
                   std::vector<long> lin = {}, long d = -1)
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

zonix::Set columns(long d, std::initializer_list<long> cols)
{
  auto s = zonix::make_set(d);
  for (long c : cols) set_addelem(s.get(), c);
  return s;
}

// ---- Fourier-Motzkin elimination -------------------------------------------------------

TEST(Projection, FourierOrdersZeroRowsThenPairs)
{
  // Last entries: + 0 - + - -.
  auto M = make({{1, 0, 1}, {0, 1, 0}, {2, 1, -1}, {3, 0, 2}, {4, -1, -2}, {1, 1, -4}});
  M->objective = dd_LPmax;
  M->rowvec[1][0] = 5;
  M->rowvec[2][0] = 6;
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::Matrix R(dd_FourierElimination(M.get(), &err));
  ASSERT_NE(R, nullptr);
  EXPECT_EQ(err, dd_NoError);
  // Pair (p, n) gives p * |n_last| + n * p_last, divided by its smallest
  // absolute nonzero entry.
  EXPECT_EQ(rows_of(R.get()),
            (Rows{{0, 1}, {3, 1}, {6, -1}, {5, 1}, {3.5, 1}, {7, -1}, {7, 1}}));
  EXPECT_EQ(R->colsize, 2);
  EXPECT_EQ(R->representation, dd_Inequality);
  EXPECT_EQ(R->objective, dd_LPmax);
  EXPECT_EQ(R->rowvec[1][0], 5.0);
}

TEST(Projection, FourierOfAZeroLastColumnDropsIt)
{
  const Rows rows = {{1, -1, 0}, {0, 1, 0}, {2, 3, 0}};
  auto M = make(rows);
  dd_ErrorType err;
  zonix::Matrix R(dd_FourierElimination(M.get(), &err));
  ASSERT_NE(R, nullptr);
  EXPECT_EQ(rows_of(R.get()), (Rows{{1, -1}, {0, 1}, {2, 3}}));
}

TEST(Projection, FourierRefusals)
{
  dd_ErrorType err = dd_NoError;
  auto one_column = make({{1}, {2}}, dd_Generator);  // d <= 1 is tested first
  EXPECT_EQ(dd_FourierElimination(one_column.get(), &err), nullptr);
  EXPECT_EQ(err, dd_ColIndexOutOfRange);
  auto V = make({{1, 0, 0}, {1, 1, 1}}, dd_Generator, {1});  // V before linearity
  EXPECT_EQ(dd_FourierElimination(V.get(), &err), nullptr);
  EXPECT_EQ(err, dd_NotAvailForV);
  auto L = make({{1, 0, 1}, {0, 1, -1}}, dd_Inequality, {2});
  EXPECT_EQ(dd_FourierElimination(L.get(), &err), nullptr);
  EXPECT_EQ(err, dd_CannotHandleLinearity);
  EXPECT_EQ(dd_FourierElimination(nullptr, &err), nullptr);
  EXPECT_EQ(err, dd_EmptyRepresentation);
}

// ---- block elimination -----------------------------------------------------------------------

// Rows scaled to largest absolute entry 1, so that positive multiples
// compare equal.
Row scaled(const Row &r)
{
  double m = 0;
  for (double x : r) m = std::max(m, std::fabs(x));
  Row s = r;
  if (m > 0)
    for (double &x : s) x /= m;
  return s;
}

bool close(const Row &a, const Row &b, double tol = 1e-7)
{
  if (a.size() != b.size()) return false;
  for (std::size_t j = 0; j < a.size(); ++j)
    if (std::fabs(a[j] - b[j]) > tol) return false;
  return true;
}

// Whether every row of a has a partner in b and back (as sets).
bool same_row_sets(Rows a, Rows b)
{
  if (a.size() != b.size()) return false;
  std::vector<bool> used(b.size(), false);
  for (const Row &r : a) {
    bool found = false;
    for (std::size_t k = 0; k < b.size() && !found; ++k)
      if (!used[k] && close(r, b[k], 1e-6)) found = used[k] = true;
    if (!found) return false;
  }
  return true;
}

Rows scaled_rows(const Rows &rows)
{
  Rows out;
  for (const Row &r : rows) out.push_back(scaled(r));
  return out;
}

TEST(Projection, BlockWithNothingDeletedGivesTheRowsBack)
{
  // The cone of multipliers is the orthant: its extreme rays pick single
  // rows, so the result is the rows of M, each a nonnegative combination.
  const Rows rows = {{1, -1, 0}, {0, 1, 0}, {2, 3, -1}, {0, 0, 1}};
  auto M = make(rows);
  auto none = columns(3, {});
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::Matrix R(dd_BlockElimination(M.get(), none.get(), &err));
  ASSERT_NE(R, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(R->colsize, 3);
  EXPECT_EQ(R->representation, dd_Inequality);
  EXPECT_TRUE(same_row_sets(scaled_rows(rows_of(R.get())), scaled_rows(rows)));
}

TEST(Projection, BlockEliminationThroughAnEquation)
{
  // 0 <= x1, x2 <= 1 and x3 = x1 + x2 + 1: eliminating x3 leaves the
  // square; eliminating x1 and x2 leaves 1 <= x3 <= 3.
  auto M = make({{0, 1, 0, 0}, {0, 0, 1, 0}, {1, -1, 0, 0}, {1, 0, -1, 0}, {-1, -1, -1, 1}},
                dd_Inequality, {5});
  dd_ErrorType err = dd_ImproperInputFormat;
  auto x3 = columns(4, {4});
  zonix::Matrix R(dd_BlockElimination(M.get(), x3.get(), &err));
  ASSERT_NE(R, nullptr);
  EXPECT_EQ(err, dd_NoError);
  Rows facets;
  for (const Row &r : rows_of(R.get()))
    if (std::any_of(r.begin(), r.end(), [](double x) { return std::fabs(x) > 1e-9; }))
      facets.push_back(r);
  EXPECT_TRUE(same_row_sets(scaled_rows(facets),
                            scaled_rows({{0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}})));

  auto x12 = columns(4, {2, 3});
  R = zonix::Matrix(dd_BlockElimination(M.get(), x12.get(), &err));
  ASSERT_NE(R, nullptr);
  facets.clear();
  for (const Row &r : rows_of(R.get()))
    if (std::fabs(r[1]) > 1e-9) facets.push_back(r);
  EXPECT_TRUE(same_row_sets(scaled_rows(facets), scaled_rows({{-1, 1}, {3, -1}})));
}

TEST(Projection, BlockRefusals)
{
  auto M = make({{1, 1, 0}, {1, 0, 1}});
  dd_ErrorType err = dd_NoError;
  auto with_rhs = columns(3, {1, 2});
  EXPECT_EQ(dd_BlockElimination(M.get(), with_rhs.get(), &err), nullptr);
  EXPECT_EQ(err, dd_ColIndexOutOfRange);
  auto beyond = columns(8, {4});
  EXPECT_EQ(dd_BlockElimination(M.get(), beyond.get(), &err), nullptr);
  EXPECT_EQ(err, dd_ColIndexOutOfRange);
  auto V = make({{1, 0, 0}, {1, 1, 1}}, dd_Generator);
  auto x2 = columns(3, {3});
  EXPECT_EQ(dd_BlockElimination(V.get(), x2.get(), &err), nullptr);
  EXPECT_EQ(err, dd_NotAvailForV);
}

// ---- random polytopes: three ways to the same projection ---------------------------------------------

// A polytope in R^n: random rows b + a.x >= 0 with b > 0 (the origin is
// interior) inside the box |x_i| <= 10.
Rows random_polytope(std::mt19937_64 &rng, long n, long m)
{
  std::uniform_int_distribution<int> coef(-5, 5), rhs(1, 10);
  Rows rows;
  for (long i = 0; i < n; ++i) {
    Row up(static_cast<std::size_t>(n + 1), 0.0), down = up;
    up[0] = down[0] = 10;
    up[static_cast<std::size_t>(i + 1)] = -1;
    down[static_cast<std::size_t>(i + 1)] = 1;
    rows.push_back(up);
    rows.push_back(down);
  }
  while (static_cast<long>(rows.size()) < 2 * n + m) {
    Row r(static_cast<std::size_t>(n + 1));
    r[0] = rhs(rng);
    bool nonzero = false;
    for (long j = 1; j <= n; ++j) {
      r[static_cast<std::size_t>(j)] = coef(rng);
      nonzero = nonzero || r[static_cast<std::size_t>(j)] != 0;
    }
    if (nonzero) rows.push_back(r);
  }
  return rows;
}

// The other representation computed by the engine.
zonix::Matrix other(dd_MatrixPtr M)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  auto P = zonix::make_polyhedra(M, &err);
  EXPECT_EQ(err, dd_NoError);
  return zonix::Matrix(M->representation == dd_Inequality ? dd_CopyGenerators(P.get())
                                                           : dd_CopyInequalities(P.get()));
}

// The rows left after dd_RedundantRows, scaled.
Rows irredundant(dd_MatrixPtr M)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::Set red(dd_RedundantRows(M, &err));
  EXPECT_EQ(err, dd_NoError);
  Rows out;
  for (long i = 0; i < M->rowsize; ++i) {
    if (set_member(i + 1, red.get())) continue;
    Row r;
    for (long j = 0; j < M->colsize; ++j) r.push_back(M->matrix[i][j][0]);
    out.push_back(scaled(r));
  }
  return out;
}

TEST(Projection, EliminationsAgreeWithProjectedVertices)
{
  std::mt19937_64 rng(5401);
  int compared = 0;
  for (int trial = 0; trial < 40; ++trial) {
    const long n = 3 + trial % 2;  // R^3 or R^4
    const long m = 4 + trial % 7;
    const Rows rows = random_polytope(rng, n, m);
    auto M = make(rows);
    const long d = n + 1;
    // Eliminate the last variable, and for n = 4 also the last two.
    const long k = n == 4 && trial % 4 == 1 ? 2 : 1;

    // Fourier: one variable at a time from the end.
    dd_ErrorType err = dd_ImproperInputFormat;
    zonix::Matrix F(dd_FourierElimination(M.get(), &err));
    ASSERT_EQ(err, dd_NoError);
    if (k == 2) {
      F = zonix::Matrix(dd_FourierElimination(F.get(), &err));
      ASSERT_EQ(err, dd_NoError);
    }
    // Block: all at once.
    auto del = zonix::make_set(d);
    for (long c = d - k + 1; c <= d; ++c) set_addelem(del.get(), c);
    zonix::Matrix B(dd_BlockElimination(M.get(), del.get(), &err));
    ASSERT_EQ(err, dd_NoError);
    ASSERT_NE(B, nullptr);
    ASSERT_EQ(F->colsize, d - k);
    ASSERT_EQ(B->colsize, d - k);

    // The facets: the same after redundancy removal.
    const Rows fi = irredundant(F.get());
    const Rows bi = irredundant(B.get());
    // A polytope of dimension d - k - 1 has at least d - k facets.
    EXPECT_GE(static_cast<long>(fi.size()), d - k) << "trial " << trial;
    EXPECT_TRUE(same_row_sets(fi, bi)) << "trial " << trial << ": " << fi.size() << " vs "
                                       << bi.size() << " facets";

    // The vertices: the engine's vertices of the original, projected, and
    // reduced to the extreme ones by a round trip through the engine.
    auto V = other(M.get());
    ASSERT_NE(V, nullptr);
    Rows projected;
    for (const Row &v : rows_of(V.get())) {
      ASSERT_EQ(v[0], 1.0);  // a polytope has no rays
      projected.push_back(Row(v.begin(), v.end() - k));
    }
    auto P = make(projected, dd_Generator);
    auto PH = other(P.get());
    ASSERT_NE(PH, nullptr);
    auto extreme = other(PH.get());
    ASSERT_NE(extreme, nullptr);
    auto FV = other(F.get());
    auto BV = other(B.get());
    ASSERT_NE(FV, nullptr);
    ASSERT_NE(BV, nullptr);
    EXPECT_TRUE(same_row_sets(rows_of(FV.get()), rows_of(extreme.get()))) << "trial " << trial;
    EXPECT_TRUE(same_row_sets(rows_of(BV.get()), rows_of(extreme.get()))) << "trial " << trial;
    ++compared;
  }
  EXPECT_EQ(compared, 40);
}

}  // namespace
