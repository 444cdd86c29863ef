// The double description conversion from the outside: polytopes, cones and
// polyhedra with lines whose other representation is known by geometry,
// under every row order; adjacency and incidence against their definitions;
// appended rows, errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <set>
#include <sstream>

#include "families.h"
#include "support.hpp"
#include "zonixarith.hpp"

using namespace zonix::test;
namespace fam = zonix::families;
using fam::Rep;

namespace {

// Scaled to first entry 1 (a point) or largest magnitude 1, then rounded,
// so that equal rows compare equal.
std::set<Row> canonical(const Rows &rows, bool point_form)
{
  std::set<Row> out;
  for (Row r : rows) {
    double s = 0;
    if (point_form && std::fabs(r[0]) > 1e-9) s = r[0];
    else
      for (double x : r) s = std::max(s, std::fabs(x));
    for (double &x : r) x = std::round(x / (s == 0 ? 1 : s) * 1e6) / 1e6 + 0.0;
    out.insert(r);
  }
  return out;
}

double dot(const Row &a, const Row &b)
{
  double s = 0;
  for (size_t j = 0; j < a.size(); ++j) s += a[j] * b[j];
  return s;
}

Rows of(const fam::Instance &inst)
{
  dd_set_global_constants();
  Matrix M(fam::to_matrix(inst));
  return rows_of(M.get());
}

// [0, 2]^d: facets through the origin as well, unlike the centred cube.
Rows cube(Rep r, int d) { return of(fam::translate(fam::hypercube(r, d), std::vector<std::int64_t>(d, 1))); }

struct Case {
  const char *name;
  dd_RepresentationType rep;
  Rows in;
  Members lin;
  Rows out;         // the other representation's rows besides linearities
  long out_lin;     // its linearity rows
  long edges;       // adjacent pairs of non-linearity output rows
};

std::ostream &operator<<(std::ostream &o, const Case &c) { return o << c.name; }

const Case kCases[] = {
    {"cube-h-3", dd_Inequality, cube(Rep::H, 3), {}, cube(Rep::V, 3), 0, 12},
    {"cube-h-4", dd_Inequality, cube(Rep::H, 4), {}, cube(Rep::V, 4), 0, 32},
    {"cross-h-3", dd_Inequality, of(fam::cross_polytope(Rep::H, 3)), {}, of(fam::cross_polytope(Rep::V, 3)), 0, 12},
    {"simplex-h-4", dd_Inequality, of(fam::simplex(Rep::H, 4)), {}, of(fam::simplex(Rep::V, 4)), 0, 10},
    {"cube-v-3", dd_Generator, cube(Rep::V, 3), {}, cube(Rep::H, 3), 0, 12},
    {"cross-v-3", dd_Generator, of(fam::cross_polytope(Rep::V, 3)), {}, of(fam::cross_polytope(Rep::H, 3)), 0, 12},
    {"simplex-v-3", dd_Generator, of(fam::simplex(Rep::V, 3)), {}, of(fam::simplex(Rep::H, 3)), 0, 6},
    // Implied rows change nothing: x1 <= 3, x1 + x2 + x3 <= 6 (touching a
    // vertex), a facet times 3 and a copy of one; the centre, a point of an
    // edge and a copy of a vertex.
    {"cube-h-3-redundant", dd_Inequality,
     cube(Rep::H, 3) + Rows{{3, -1, 0, 0}, {6, -1, -1, -1}, {6, 0, 0, -3}, {0, 1, 0, 0}}, {}, cube(Rep::V, 3), 0, 12},
    {"cube-v-2-inner", dd_Generator, cube(Rep::V, 2) + Rows{{1, 1, 1}, {1, 1, 2}, {1, 2, 0}}, {}, cube(Rep::H, 2), 0, 4},
    // x >= 1 (shifted orthant): one vertex and three rays.
    {"orthant-shifted", dd_Inequality, {{-1, 1, 0, 0}, {-1, 0, 1, 0}, {-1, 0, 0, 1}}, {},
     {{1, 1, 1, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, 0, 6},
    // A homogeneous cone: its apex stays implied.
    {"orthant-cone", dd_Inequality, {{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, {},
     {{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, 0, 3},
    // x1 + x2 + x3 = 1, x >= 0: a triangle.
    {"triangle-eq", dd_Inequality, {{-1, 1, 1, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, {1},
     {{1, 1, 0, 0}, {1, 0, 1, 0}, {1, 0, 0, 1}}, 0, 3},
    // 0 <= x1 <= 1 in the plane: a strip along the line of x2.
    {"strip", dd_Inequality, {{0, 1, 0}, {1, -1, 0}}, {}, {{1, 0, 0}, {1, 1, 0}}, 1, 1},
    // The segment from 0 to (1, 1): two facets and one equation.
    {"segment-v", dd_Generator, {{1, 0, 0}, {1, 1, 1}}, {}, {{0, 1, 0}, {1, -1, 0}}, 1, 1},
    // Only the origin.
    {"origin-h", dd_Inequality, {{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}, {1, 0, 0}}, {},
     {{1, 0, 0}}, 0, 0},
};

const dd_RowOrderType kOrders[] = {dd_MaxIndex, dd_MinIndex, dd_MinCutoff, dd_MaxCutoff,
                                   dd_MixCutoff, dd_LexMin, dd_LexMax, dd_RandomRow, dd_ColumnGreedy};

// Adjacency by definition: two extreme rows are adjacent when no third one
// is tight on every input row that both are tight on.
std::set<std::pair<long, long>> edges_by_incidence(const Rows &out, const std::vector<bool> &skip,
                                                   const Rows &in)
{
  auto tight = [&](size_t k, size_t i) { return std::fabs(dot(out[k], in[i])) < 1e-9; };
  std::set<std::pair<long, long>> e;
  for (size_t a = 0; a < out.size(); ++a)
    for (size_t b = a + 1; b < out.size(); ++b) {
      if (skip[a] || skip[b]) continue;
      bool adjacent = true;
      for (size_t c = 0; c < out.size() && adjacent; ++c) {
        if (c == a || c == b || skip[c]) continue;
        bool contains = true;
        for (size_t i = 0; i < in.size() && contains; ++i)
          if (tight(a, i) && tight(b, i) && !tight(c, i)) contains = false;
        adjacent = !contains;
      }
      if (adjacent) e.insert({a + 1, b + 1});
    }
  return e;
}

bool has(const Members &v, long x) { return std::count(v.begin(), v.end(), x) > 0; }

class Convert : public ::testing::TestWithParam<std::tuple<Case, dd_RowOrderType>> {};

TEST_P(Convert, KnownAnswerUnderEveryRowOrder)
{
  const auto &[c, order] = GetParam();
  Matrix M = matrix(c.in, c.rep, c.lin);
  dd_ErrorType err = dd_ImproperInputFormat;
  Polyhedra P(dd_DDMatrix2Poly2(M.get(), order, &err));
  ASSERT_EQ(err, dd_NoError);
  const bool h = c.rep == dd_Inequality;
  Matrix G(h ? dd_CopyGenerators(P.get()) : dd_CopyInequalities(P.get()));
  ASSERT_TRUE(G != nullptr && G->representation == (h ? dd_Generator : dd_Inequality));
  const Rows out = rows_of(G.get());
  Rows rest;
  std::vector<bool> lin;
  for (long i = 1; i <= G->rowsize; ++i) {
    lin.push_back(set_member(i, G->linset) != 0);
    if (!lin.back()) rest.push_back(out[i - 1]);
  }
  EXPECT_EQ(set_card(G->linset), c.out_lin);
  EXPECT_EQ(canonical(rest, h), canonical(c.out, h));
  EXPECT_EQ(rest.size(), c.out.size()) << "a repeated row";
  // Every output row against every input row: the same set.
  for (size_t i = 0; i < c.in.size(); ++i)
    for (size_t k = 0; k < out.size(); ++k) {
      const double v = dot(c.in[i], out[k]);
      if (lin[k] || has(c.lin, long(i + 1))) EXPECT_NEAR(v, 0, 1e-9) << "input " << i + 1 << ", output " << k + 1;
      else EXPECT_GE(v, -1e-9) << "input " << i + 1 << ", output " << k + 1;
    }
  // Adjacency against the definition (linearity rows meet every row); an
  // H input's cone is bounded by x0 >= 0 too.
  SetFamily A(dd_CopyAdjacency(P.get()));
  ASSERT_TRUE(A != nullptr && A->famsize == G->rowsize);
  Rows constraints = c.in;
  if (h) constraints.push_back(Row(c.in[0].size(), 0.0)), constraints.back()[0] = 1;
  std::set<std::pair<long, long>> got;
  const auto adj = members(A.get());
  for (long k = 1; k <= G->rowsize; ++k)
    for (long x : adj[k - 1]) {
      EXPECT_TRUE(has(adj[x - 1], k)) << "not symmetric";
      if (k < x && !lin[k - 1] && !lin[x - 1]) got.insert({k, x});
    }
  EXPECT_EQ(got, edges_by_incidence(out, lin, constraints));
  EXPECT_EQ(static_cast<long>(got.size()), c.edges);
  // Incidence: output row k lies on input row i exactly when their product
  // vanishes; the input incidence is its transpose.
  SetFamily I(dd_CopyIncidence(P.get())), II(dd_CopyInputIncidence(P.get()));
  ASSERT_TRUE(I != nullptr && II != nullptr);
  const auto inc = members(I.get()), input_inc = members(II.get());
  for (size_t k = 0; k < out.size(); ++k)
    for (size_t i = 0; i < c.in.size(); ++i) {
      const bool on = std::fabs(dot(out[k], c.in[i])) < 1e-9;
      EXPECT_EQ(has(inc[k], long(i + 1)), on) << "output " << k + 1 << ", input " << i + 1;
      EXPECT_EQ(has(input_inc[i], long(k + 1)), on) << "input " << i + 1 << ", output " << k + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Known, Convert,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::ValuesIn(kOrders)));

TEST(ConvertFacets, InputAdjacencyOfTheCube)
{
  // Facets 2k-1 and 2k of the d-cube are opposite; each meets all others.
  for (int d : {2, 3, 5}) {
    Matrix M = matrix(cube(Rep::H, d));
    dd_ErrorType err;
    Polyhedra P = zonix::make_polyhedra(M.get(), &err);
    SetFamily A(dd_CopyInputAdjacency(P.get()));
    ASSERT_NE(A, nullptr);
    for (long i = 1; i <= 2 * d; ++i) {
      Members want;
      for (long j = 1; j <= 2 * d; ++j)
        if (j != i && (j + 1) / 2 != (i + 1) / 2) want.push_back(j);
      EXPECT_EQ(members(A->set[i - 1]), want) << "d " << d << " facet " << i;
    }
  }
}

TEST(ConvertAppend, RowsAddedLaterGiveTheSameVertices)
{
  const Rows all = cube(Rep::H, 3);
  Matrix first = matrix(Rows(all.begin(), all.end() - 2));
  Matrix later = matrix(Rows(all.end() - 2, all.end()));
  dd_ErrorType err = dd_ImproperInputFormat;
  dd_PolyhedraPtr P = dd_DDMatrix2Poly(first.get(), &err);
  ASSERT_EQ(err, dd_NoError);
  ASSERT_TRUE(dd_DDInputAppend(&P, later.get(), &err));
  Polyhedra owner(P);
  EXPECT_EQ(err, dd_NoError);
  Matrix G(dd_CopyGenerators(P));
  EXPECT_EQ(canonical(rows_of(G.get()), true), canonical(cube(Rep::V, 3), true));
  EXPECT_EQ(P->m, 6);
}

TEST(ConvertErrors, BadInputsAreNamed)
{
  dd_ErrorType err = dd_NoError;
  EXPECT_EQ(dd_DDMatrix2Poly(nullptr, &err), nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
  Matrix none = matrix({}, dd_Generator);
  none->colsize = 3;
  Polyhedra P = zonix::make_polyhedra(none.get(), &err);
  EXPECT_EQ(err, dd_EmptyVrepresentation);
  Matrix bad = matrix({{1, 0}});
  bad->rowsize = -1;
  EXPECT_EQ(zonix::make_polyhedra(bad.get(), &err), nullptr);
  EXPECT_EQ(err, dd_NegativeMatrixSize);
  bad->rowsize = 1;
}

// Exact vertices as text straight from the run: a box whose corners hold
// 2^70, 1/3 and -2^63 (the least int64).
TEST(ConvertExact, VerticesAsTextAreTheRationalCorners)
{
  const std::string x = "1180591620717411303424", z = "-9223372036854775808";
  zonix::QMatrix q;
  q.rows = 6, q.cols = 4;
  std::istringstream in(x + " -1 0 0  0 1 0 0  1 0 -3 0  0 0 1 0  " + z.substr(1) + " 0 0 1  0 0 0 -1");
  for (mpq_class v; in >> v;) q.entries.push_back(v);
  const zonix::Matrix M(zonix::to_double(q));
  zonix::ConvertOptions o;
  o.arithmetic = zonix::Arithmetic::Exact, o.text = true;
  const zonix::Conversion conv = zonix::convert(M.get(), o, &q);
  ASSERT_EQ(conv.error, dd_NoError);
  EXPECT_EQ(conv.rational.rows, 8);
  EXPECT_EQ(std::count(conv.rows.begin(), conv.rows.end(), '\n'), 8);
  for (const std::string &a : {std::string("0"), x})
    for (const char *b : {"0", "1/3"})
      for (const std::string &c : {std::string("0"), z})
        EXPECT_NE(("\n" + conv.rows).find("\n 1 " + a + " " + b + " " + c + "\n"), std::string::npos)
            << a << " " << b << " " << c;
}

// Auto asked for a family settles points of the 4-sphere (stereographic images of (a, b, e, ab)) as an exact run writes them.
TEST(ConvertExact, SettledRowsAreTheExactRows)
{
  zonix::QMatrix q;
  q.cols = 6, q.representation = dd_Generator;
  for (long a = -2; a <= 2; ++a)
    for (long b = -1, s; b <= 1; ++b)
      for (long e = 1; e <= 3 && (s = a * a + b * b + e * e + a * b * a * b + 1); ++e, ++q.rows)
        for (const long t : {s, 2 * a, 2 * b, 2 * e, 2 * a * b, s - 2}) q.entries.emplace_back(mpz_class(t), mpz_class(s)).canonicalize();
  const zonix::Matrix M(zonix::to_double(q));
  zonix::ConvertOptions o[2];
  o[0].arithmetic = zonix::Arithmetic::Exact, o[0].text = o[1].text = o[1].input_incidence = true;
  const zonix::Conversion c[2] = {zonix::convert(M.get(), o[0], &q), zonix::convert(M.get(), o[1], &q)};
  EXPECT_EQ(capture([&](FILE *f) { zonix::write_rational(f, c[1]); }) + (c[1].settled ? "settled" : ""), capture([&](FILE *f) { zonix::write_rational(f, c[0]); }) + "settled");
}

// A finished double run settled: C(8,4)'s exact facets, though two rays' zero sets say too much and too
// little; families only on a proved incidence.
TEST(ConvertExact, FinishedRunSettlesOnItsProvedIncidence)
{
  Rows pts;
  for (double t = -3; t <= 4; ++t) pts.push_back({1, t, t * t, t * t * t, t * t * t * t});
  const Matrix M = matrix(pts, dd_Generator);
  zonix::ConvertOptions o[3];
  o[0].arithmetic = zonix::Arithmetic::Exact, o[1].input_adjacency = true;
  dd_ErrorType err;
  const zonix::Polyhedra poly(dd_DDMatrix2Poly(M.get(), &err));
  for (long i = 1; i <= 8; ++i) set_addelem(poly->child->FirstRay->ZeroSet, i);
  set_emptyset(poly->child->FirstRay->Next->ZeroSet);
  EXPECT_EQ(zonix::settle_finished(poly.get(), M.get(), o[1]).error, dd_NumericallyInconsistent);
  const zonix::Conversion s = zonix::settle_finished(poly.get(), M.get(), o[2]), e = zonix::convert(M.get(), o[0]);
  EXPECT_EQ(canonical(rows_of(s.output.get()), false), canonical(rows_of(e.output.get()), false));
}

// Random rows whose minors pass 64 bits: the settled vertices (their
// denominators far past 2^30) are the exact run's, and every one is kept.
TEST(ConvertExact, SettlesVerticesOfLargeMinors)
{
  for (const auto &[m, d, seed] : {std::tuple{16, 8, 3u}, std::tuple{15, 9, 5u}, std::tuple{14, 10, 7u}}) {
    SCOPED_TRACE(d);
    dd_set_global_constants();
    const Matrix M(fam::to_matrix(fam::random_inequalities(m, d, seed, 1000)));
    zonix::ConvertOptions o[2];
    o[0].arithmetic = zonix::Arithmetic::Exact;
    dd_ErrorType err;
    const zonix::Polyhedra poly(dd_DDMatrix2Poly(M.get(), &err));
    const zonix::Conversion s = zonix::settle_finished(poly.get(), M.get(), o[1]), e = zonix::convert(M.get(), o[0]);
    ASSERT_EQ(s.error, dd_NoError);
    EXPECT_GT(e.output->rowsize, 100);
    EXPECT_EQ(canonical(rows_of(s.output.get()), true), canonical(rows_of(e.output.get()), true));
  }
}

}  // namespace

// Cones from applications: counts from their mathematics (B(n) has n^2
// facets for n >= 3, its affine hull 2n - 1 equations from the rows and
// columns) or from Normaliz (magic squares, contingency cones); the
// knapsack cones' two sides are built apart (inequalities by definition,
// rays by their supports), so each side converted must give the other:
// rays as rows, facets (fixed only modulo the equation) by the rays on them.
Rows other_side(const fam::Instance &in, long *linearity)
{
  Matrix M(fam::to_matrix(in));
  dd_ErrorType err = dd_ImproperInputFormat;
  Polyhedra P(dd_DDMatrix2Poly(M.get(), &err));
  EXPECT_EQ(err, dd_NoError) << in.name;
  if (err != dd_NoError) return {};
  const bool h = in.rep == Rep::H;
  Matrix G(h ? dd_CopyGenerators(P.get()) : dd_CopyInequalities(P.get()));
  const Rows all = rows_of(G.get());
  Rows rest;
  for (long i = 1; i <= G->rowsize; ++i)
    // An H cone's apex (1, 0, ..., 0) is not one of its rays.
    if (!set_member(i, G->linset) && !(h && all[static_cast<size_t>(i - 1)][0] != 0))
      rest.push_back(all[static_cast<size_t>(i - 1)]);
  *linearity = set_card(G->linset);
  return rest;
}

TEST(ConvertApplicationCones, CountsOfTheOtherSide)
{
  dd_set_global_constants();
  const struct {
    fam::Instance in;
    size_t extreme;
    long linearity;
  } cases[] = {
      {fam::magic_squares(3), 4, 0},      {fam::magic_squares(4), 20, 0},
      {fam::birkhoff_vertices(3), 9, 5},  {fam::birkhoff_vertices(4), 16, 7},
      {fam::contingency_cone(2, 2, 2), 16, 5}, {fam::contingency_cone(3, 3, 2), 57, 7},
  };
  for (const auto &c : cases) {
    long lin = -1;
    EXPECT_EQ(other_side(c.in, &lin).size(), c.extreme) << c.in.name;
    EXPECT_EQ(lin, c.linearity) << c.in.name;
  }
}

TEST(ConvertApplicationCones, KnapsackSidesMeet)
{
  dd_set_global_constants();
  for (auto [n, seed] : {std::pair{4, 1}, {7, 5}, {10, 1}, {12, 3}}) {
    const fam::Instance h = fam::knapsack_cone(Rep::H, n, seed), v = fam::knapsack_cone(Rep::V, n, seed);
    const Rows rays = of(v);
    Rows facets;
    for (long i = 1; i <= h.rowcount(); ++i)
      if (!h.is_linearity(i)) facets.push_back(of(h)[static_cast<size_t>(i - 1)]);
    auto on = [&](const Rows &fs) {
      std::set<std::set<size_t>> out;
      for (const Row &f : fs) {
        std::set<size_t> z;
        for (size_t k = 0; k < rays.size(); ++k)
          if (std::fabs(dot(f, rays[k])) < 1e-9) z.insert(k);
        out.insert(z);
      }
      return out;
    };
    long lin = -1;
    EXPECT_EQ(canonical(other_side(h, &lin), false), canonical(rays, false)) << h.name;
    EXPECT_EQ(lin, 0) << h.name;
    const Rows got = other_side(v, &lin);
    EXPECT_EQ(got.size(), facets.size()) << v.name;
    EXPECT_EQ(on(got), on(facets)) << v.name;
    EXPECT_EQ(lin, 1) << v.name;
  }
}

// Knapsack cones {a.x = 0, x >= 0}: a double run leaves entries of 1e-16
// where the exact ray has 0, and the equation gives the run a lineality of
// its own; auto still settles the run, onto the exact run's rays.
TEST(ConvertApplicationCones, KnapsackRaysSettleFromDouble)
{
  dd_set_global_constants();
  for (auto [n, seed] : {std::pair{10, 1}, {11, 2}, {12, 3}}) {
    const Matrix M(fam::to_matrix(fam::knapsack_cone(Rep::H, n, seed)));
    zonix::ConvertOptions exact, def;
    exact.arithmetic = zonix::Arithmetic::Exact;
    const zonix::Conversion a = zonix::convert(M.get(), def), e = zonix::convert(M.get(), exact);
    ASSERT_EQ(a.error, dd_NoError) << n;
    EXPECT_TRUE(a.settled) << n;
    EXPECT_EQ(canonical(rows_of(a.output.get()), false), canonical(rows_of(e.output.get()), false)) << n;
  }
}

// Dense generators in more than 16 columns take another default row
// order than sparse ones; every order must give the same facets: CUT(6)
// has 368 (Deza and Laurent), the 4 x 4 magic squares' cone 16 and 8
// equations (Normaliz), its rays made here from its inequalities.
TEST(ConvertApplicationCones, DenseGeneratorsUnderEveryOrder)
{
  dd_set_global_constants();
  fam::Instance magic = fam::magic_squares(4);
  {
    Matrix M(fam::to_matrix(magic));
    dd_ErrorType err = dd_ImproperInputFormat;
    Polyhedra P(dd_DDMatrix2Poly(M.get(), &err));
    ASSERT_EQ(err, dd_NoError);
    Matrix G(dd_CopyGenerators(P.get()));
    magic.rep = Rep::V;
    magic.linearity.clear();
    magic.rows.clear();
    for (const Row &r : rows_of(G.get()))
      if (r[0] == 0) {
        magic.rows.emplace_back();
        for (double x : r) magic.rows.back().push_back(fam::rat(std::llround(x)));
      }
    ASSERT_EQ(magic.rowcount(), 20);
  }
  const struct {
    fam::Instance in;
    long facets, equations;
  } cases[] = {{fam::cone_over(fam::cut_polytope(6)), 368, 0}, {magic, 16, 8}};
  for (const auto &c : cases)
    for (dd_RowOrderType order : {dd_LexMinSpread, dd_ColumnGreedy, dd_LexMin}) {
      Matrix M(fam::to_matrix(c.in));
      dd_ErrorType err = dd_ImproperInputFormat;
      Polyhedra P(dd_DDMatrix2Poly2(M.get(), order, &err));
      ASSERT_EQ(err, dd_NoError) << c.in.name;
      Matrix H(dd_CopyInequalities(P.get()));
      EXPECT_EQ(H->rowsize - set_card(H->linset), c.facets) << c.in.name << " order " << order;
      EXPECT_EQ(set_card(H->linset), c.equations) << c.in.name << " order " << order;
    }
}
