// Vertices and facets found by LPs: polytopes whose other side is known by
// definition (cube and cross-polytope by hand, cyclic polytopes by Gale's
// evenness condition, random points by brute force over d-subsets and by an
// exact LP per point), the cases left to the double description run, and
// certificates that refuse answers with a row missing, extra or moved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

#include "support.hpp"
#include "zonixarith.hpp"
#include "zonixcore_wrap.hpp"

using namespace zonix::test;

namespace {

using Tight = std::set<std::set<long>>;

Rows signs(int d)
{
  Rows out;
  for (int mask = 0; mask < (1 << d); ++mask) {
    Row r;
    for (int j = 0; j < d; ++j) r.push_back((mask >> j & 1) != 0 ? 1.0 : -1.0);
    out.push_back(r);
  }
  return out;
}

Rows with_first(double first, const Rows &rows)
{
  Rows out;
  for (const Row &r : rows) {
    Row h{first};
    h.insert(h.end(), r.begin(), r.end());
    out.push_back(h);
  }
  return out;
}

Rows negated(Rows rows)
{
  for (Row &r : rows)
    for (double &x : r) x = -x;
  return rows;
}

// The unit vectors and their negatives.
Rows plus_minus_units(int d)
{
  Rows out;
  for (int j = 0; j < d; ++j)
    for (double s : {1.0, -1.0}) {
      Row r(static_cast<size_t>(d), 0.0);
      r[static_cast<size_t>(j)] = s;
      out.push_back(r);
    }
  return out;
}

// For each row of `out`, the rows of `in` it is tight on (1-based).
Tight tight_sets(const Rows &in, const Rows &out)
{
  Tight t;
  for (const Row &o : out) {
    std::set<long> s;
    for (size_t i = 0; i < in.size(); ++i) {
      double v = 0, scale = 0;
      for (size_t j = 0; j < o.size(); ++j) {
        v += o[j] * in[i][j];
        scale += std::fabs(o[j] * in[i][j]);
      }
      const double slack = 1e-9 * scale + 1e-12;
      EXPECT_GE(v, -slack) << "a row on the wrong side";
      if (std::fabs(v) <= slack) s.insert(static_cast<long>(i) + 1);
    }
    t.insert(s);
  }
  return t;
}

// Small inputs have more output rows than the default limit allows.
Rows run(const Rows &in, dd_RepresentationType rep, long most = 1L << 20)
{
  Matrix M = matrix(in, rep);
  Matrix out(zonix::wrap::convert(M.get(), most));
  EXPECT_NE(out, nullptr);
  if (out == nullptr) return {};
  EXPECT_EQ(out->representation, rep == dd_Inequality ? dd_Generator : dd_Inequality);
  return rows_of(out.get());
}

double det(std::vector<double> a, long n)
{
  double d = 1;
  for (long c = 0; c < n; ++c) {
    long p = c;
    for (long r = c + 1; r < n; ++r)
      if (std::fabs(a[static_cast<size_t>(r * n + c)]) > std::fabs(a[static_cast<size_t>(p * n + c)])) p = r;
    if (a[static_cast<size_t>(p * n + c)] == 0) return 0;
    if (p != c) {
      for (long k = 0; k < n; ++k) std::swap(a[static_cast<size_t>(c * n + k)], a[static_cast<size_t>(p * n + k)]);
      d = -d;
    }
    d *= a[static_cast<size_t>(c * n + c)];
    for (long r = c + 1; r < n; ++r) {
      const double f = a[static_cast<size_t>(r * n + c)] / a[static_cast<size_t>(c * n + c)];
      for (long k = c; k < n; ++k) a[static_cast<size_t>(r * n + k)] -= f * a[static_cast<size_t>(c * n + k)];
    }
  }
  return d;
}

// Facets of conv(points) in general position by their definition: the
// hyperplanes through d of the points with all others on one side, each
// as its tight set.  Brute force over the d-subsets.
Tight facets_by_definition(const Rows &v)
{
  const long n = static_cast<long>(v.size()), d = static_cast<long>(v[0].size()) - 1;
  Tight out;
  std::vector<long> pick(static_cast<size_t>(d));
  for (long i = 0; i < d; ++i) pick[static_cast<size_t>(i)] = i;
  while (true) {
    // The normal of the d homogeneous rows: signed minors.
    Row h(static_cast<size_t>(d + 1));
    for (long drop = 0; drop <= d; ++drop) {
      std::vector<double> a;
      for (long r : pick)
        for (long j = 0; j <= d; ++j)
          if (j != drop) a.push_back(v[static_cast<size_t>(r)][static_cast<size_t>(j)]);
      h[static_cast<size_t>(drop)] = ((drop % 2) != 0 ? -1 : 1) * det(a, d);
    }
    int pos = 0, neg = 0;
    for (long i = 0; i < n; ++i) {
      if (std::find(pick.begin(), pick.end(), i) != pick.end()) continue;
      double s = 0;
      for (long j = 0; j <= d; ++j) s += h[static_cast<size_t>(j)] * v[static_cast<size_t>(i)][static_cast<size_t>(j)];
      (s > 0 ? pos : neg)++;
    }
    if (pos == 0 || neg == 0) {
      std::set<long> s;
      for (long r : pick) s.insert(r + 1);
      out.insert(s);
    }
    long k = d - 1;
    while (k >= 0 && pick[static_cast<size_t>(k)] == n - d + k) --k;
    if (k < 0) break;
    ++pick[static_cast<size_t>(k)];
    for (long j = k + 1; j < d; ++j) pick[static_cast<size_t>(j)] = pick[static_cast<size_t>(j - 1)] + 1;
  }
  return out;
}

// Facets of the cyclic polytope C(n, d), d even or odd, by Gale's evenness
// condition: S is a facet when any two points outside S are separated by
// an even number of points of S.
Tight gale_facets(long n, long d)
{
  Tight out;
  for (long mask = 0; mask < (1L << n); ++mask) {
    if (__builtin_popcountl(static_cast<unsigned long>(mask)) != d) continue;
    bool even = true;
    for (long i = 0; i < n && even; ++i)
      for (long j = i + 1; j < n && even; ++j) {
        if ((mask >> i & 1) != 0 || (mask >> j & 1) != 0) continue;
        long between = 0;
        for (long k = i + 1; k < j; ++k) between += mask >> k & 1;
        even = between % 2 == 0;
      }
    if (!even) continue;
    std::set<long> s;
    for (long i = 0; i < n; ++i)
      if ((mask >> i & 1) != 0) s.insert(i + 1);
    out.insert(s);
  }
  return out;
}

Rows moment_curve(long n, long d)
{
  Rows v;
  for (long i = 1; i <= n; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(n);
    Row r{1.0};
    for (long j = 1; j <= d; ++j) r.push_back(std::pow(t, static_cast<double>(j)));
    v.push_back(r);
  }
  return v;
}

Rows random_points(long n, long d, unsigned seed)
{
  std::mt19937 g(seed);
  std::normal_distribution<double> z;
  Rows v;
  for (long i = 0; i < n; ++i) {
    Row r{1.0};
    for (long j = 0; j < d; ++j) r.push_back(z(g));
    v.push_back(r);
  }
  return v;
}

// Rows compared as points (first entry 1) to 1e-9.
std::set<std::vector<long long>> as_points(const Rows &rows)
{
  std::set<std::vector<long long>> out;
  for (const Row &r : rows) {
    std::vector<long long> k;
    for (double x : r) k.push_back(std::llround(x / r[0] * 1e9));
    out.insert(k);
  }
  return out;
}

}  // namespace

// Vertices of H-representations known by hand.
TEST(Wrap, VerticesOfKnownPolytopes)
{
  struct Case {
    const char *name;
    Rows h, vertices;
  };
  const std::vector<Case> cases = {
      {"3-cube", with_first(1, negated(plus_minus_units(3))), with_first(1, signs(3))},
      {"5-cube", with_first(1, negated(plus_minus_units(5))), with_first(1, signs(5))},
      {"4-cross-polytope", with_first(1, negated(signs(4))), with_first(1, plus_minus_units(4))},
      {"4-simplex", {{0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}, {1, -1, -1, -1, -1}},
       {{1, 0, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 0, 1, 0, 0}, {1, 0, 0, 1, 0}, {1, 0, 0, 0, 1}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(as_points(run(c.h, dd_Inequality)), as_points(c.vertices));
  }
}

// Facets of point sets known by definition, each compared by the points
// it is tight on.
TEST(Wrap, FacetsOfKnownPointSets)
{
  struct Case {
    const char *name;
    Rows v;
    Tight facets;
  };
  auto cube_facets = [](int d) {
    const Rows v = with_first(1, signs(d));
    Tight t;
    for (int j = 1; j <= d; ++j)
      for (double s : {1.0, -1.0}) {
        std::set<long> f;
        for (size_t i = 0; i < v.size(); ++i)
          if (v[i][static_cast<size_t>(j)] == s) f.insert(static_cast<long>(i) + 1);
        t.insert(f);
      }
    return t;
  };
  auto cross_facets = [](int d) {
    // One vertex of each pair +-e_j: the 2^d orthants.
    Tight t;
    for (int mask = 0; mask < (1 << d); ++mask) {
      std::set<long> f;
      for (int j = 0; j < d; ++j) f.insert(2 * j + ((mask >> j & 1) != 0 ? 2 : 1));
      t.insert(f);
    }
    return t;
  };
  const std::vector<Case> cases = {
      {"4-cube", with_first(1, signs(4)), cube_facets(4)},
      {"4-cross-polytope", with_first(1, plus_minus_units(4)), cross_facets(4)},
      {"C(8,4)", moment_curve(8, 4), gale_facets(8, 4)},
      {"C(9,5)", moment_curve(9, 5), gale_facets(9, 5)},
      {"30 random points in 3-D", random_points(30, 3, 11), facets_by_definition(random_points(30, 3, 11))},
      {"25 random points in 4-D", random_points(25, 4, 12), facets_by_definition(random_points(25, 4, 12))},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const Rows f = run(c.v, dd_Generator);
    EXPECT_EQ(f.size(), c.facets.size());
    EXPECT_EQ(tight_sets(c.v, f), c.facets);
  }
}

// Random points: the vertices of their hull are the points an exact LP per
// point finds irredundant; the answer passes its certificate, and answers
// with a vertex missing, one moved or a point too many do not.
TEST(Wrap, RandomHullsBackToTheirExtremePoints)
{
  for (auto [n, d, seed] : {std::tuple{40L, 3L, 21u}, std::tuple{35L, 4L, 22u}, std::tuple{25L, 5L, 23u}}) {
    SCOPED_TRACE(testing::Message() << n << " points in " << d << "-D");
    const Rows y = random_points(n, d, seed);
    Matrix Y = matrix(y, dd_Generator);
    dd_ErrorType err = dd_NoError;
    bool exact = false;
    Set red(zonix::row_query(Y.get(), zonix::RowQuery::Redundant, zonix::Arithmetic::Exact, &err, &exact));
    ASSERT_EQ(err, dd_NoError);
    Rows extreme;
    for (long i = 1; i <= n; ++i)
      if (set_member(i, red.get()) == 0) extreme.push_back(y[static_cast<size_t>(i - 1)]);

    // The facets, each tight on the points the definition gives.
    Matrix F(zonix::wrap::convert(Y.get(), 1L << 20));
    ASSERT_NE(F, nullptr);
    const Rows h = rows_of(F.get());
    EXPECT_EQ(tight_sets(y, h), facets_by_definition(y));
    EXPECT_TRUE(zonix::wrap::certified_within(Y.get(), F.get(), 1e-12));

    const Rows v = run(h, dd_Inequality);
    EXPECT_EQ(as_points(v), as_points(extreme));
    Matrix H = matrix(h, dd_Inequality);
    EXPECT_TRUE(zonix::wrap::certified_within(H.get(), matrix(v, dd_Generator).get(), 1e-12));

    Rows missing = v;
    missing.pop_back();
    EXPECT_FALSE(zonix::wrap::certified_within(H.get(), matrix(missing, dd_Generator).get(), 1e-12));
    Rows moved = v;
    moved[0][1] += 1e-6;
    EXPECT_FALSE(zonix::wrap::certified_within(H.get(), matrix(moved, dd_Generator).get(), 1e-12));
    Rows inner = v;
    Row mid = v[0];
    for (size_t j = 0; j < mid.size(); ++j) mid[j] = (v[0][j] + v[1][j]) / 2;
    inner.push_back(mid);
    EXPECT_FALSE(zonix::wrap::certified_within(H.get(), matrix(inner, dd_Generator).get(), 1e-12));
    Rows fewer = h;
    fewer.pop_back();
    EXPECT_FALSE(zonix::wrap::certified_within(Y.get(), matrix(fewer, dd_Inequality).get(), 1e-12));
  }
}

// What the method leaves to the double description run: null.
TEST(Wrap, LeavesUnboundedLowerDimensionalAndLargeAnswers)
{
  const Rows orthant = {{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  const Rows flat = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 0, 1, 0}, {1, 1, 1, 0}};
  const Rows ray = {{1, 0, 0}, {1, 1, 0}, {0, 0, 1}};
  const Rows cube = with_first(1, negated(plus_minus_units(3)));
  EXPECT_EQ(Matrix(zonix::wrap::convert(matrix(orthant, dd_Inequality).get())), nullptr);
  EXPECT_EQ(Matrix(zonix::wrap::convert(matrix(flat, dd_Generator).get())), nullptr);
  EXPECT_EQ(Matrix(zonix::wrap::convert(matrix(ray, dd_Generator).get())), nullptr);
  EXPECT_EQ(Matrix(zonix::wrap::convert(matrix(cube, dd_Inequality, {1}).get())), nullptr);
  // Eight vertices are more than the seven allowed.
  EXPECT_EQ(Matrix(zonix::wrap::convert(matrix(cube, dd_Inequality).get(), 7)), nullptr);
  EXPECT_FALSE(zonix::wrap::worth_trying(matrix(cube, dd_Inequality).get()));
}

// Through convert: measured rows, many per column, in auto and double.
// The cube [0, 1]^3 given by its corners among 600 points inside it, and
// by its facets among 600 rows that cut nothing.
TEST(Wrap, ConvertTakesItForManyRowsPerColumn)
{
  std::mt19937 g(5);
  std::uniform_real_distribution<double> u(0.05, 0.95), w(-1, 1);
  Rows pts = with_first(1, signs(3));
  for (Row &r : pts)
    for (size_t j = 1; j < r.size(); ++j) r[j] = (r[j] + 1) / 2;
  Rows h = {{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, -1, 0, 0}, {1, 0, -1, 0}, {1, 0, 0, -1}};
  for (int i = 0; i < 600; ++i) {
    pts.push_back({1.0, u(g), u(g), u(g)});
    Row a{0.0, w(g), w(g), w(g)};
    // a.x at least -a[0] + 0.25 over the cube: the row cuts nothing.
    a[0] = std::max(0.0, -a[1]) + std::max(0.0, -a[2]) + std::max(0.0, -a[3]) + 0.25;
    h.push_back(a);
  }
  for (zonix::Arithmetic a : {zonix::Arithmetic::Auto, zonix::Arithmetic::Double}) {
    zonix::ConvertOptions o;
    o.arithmetic = a;
    Matrix P = matrix(pts, dd_Generator), H = matrix(h, dd_Inequality);
    ASSERT_TRUE(zonix::wrap::worth_trying(P.get()));
    const zonix::Conversion f = zonix::convert(P.get(), o), v = zonix::convert(H.get(), o);
    ASSERT_EQ(f.error, dd_NoError);
    ASSERT_EQ(v.error, dd_NoError);
    EXPECT_FALSE(f.exact || v.exact);
    EXPECT_EQ(tight_sets(Rows(pts.begin(), pts.begin() + 8), rows_of(f.output.get())).size(), 6u);
    EXPECT_EQ(rows_of(f.output.get()).size(), 6u);
    Rows corners = with_first(1, signs(3));
    for (Row &r : corners)
      for (size_t j = 1; j < r.size(); ++j) r[j] = (r[j] + 1) / 2;
    EXPECT_EQ(as_points(rows_of(v.output.get())), as_points(corners));
  }
}

// The measured checker's first half on the unit square, by hand: each
// answer row against the four rows x >= 0, 1 - x >= 0, y >= 0, 1 - y >= 0
// (0-based 0..3), or a candidate facet against the four corners.  Right:
// every pair on its side within delta, each answer row tight on rows of
// rank 2; the tight rows listed.
TEST(MeasuredChecker, ValidWithinOnTheSquare)
{
  const Rows square = {{0, 1, 0}, {1, -1, 0}, {0, 0, 1}, {1, 0, -1}};
  const Rows corners = {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}};
  struct Case {
    const char *name;
    bool h_in;
    Rows out;
    bool ok;
    std::vector<std::vector<long>> tight;
  };
  const Case cases[] = {
      {"the corners", true, corners, true, {{0, 2}, {1, 2}, {0, 3}, {1, 3}}},
      {"a corner off by 1e-14, within delta", true, {{1, 1 + 1e-14, 1}}, true, {{1, 3}}},
      {"a corner off by 1e-6", true, {{1, 1 + 1e-6, 1}}, false, {}},
      {"a point outside", true, {{1, 1.5, 0}}, false, {}},
      {"the middle of an edge: rank 1", true, {{1, 0.5, 0}}, false, {}},
      {"an inner point: rank 0", true, {{1, 0.5, 0.5}}, false, {}},
      {"a ray", true, {{0, 1, 0}}, false, {}},
      {"the facets from the corners", false, square, true, {{0, 2}, {1, 3}, {0, 1}, {2, 3}}},
      {"x + y <= 2, tight at one corner only", false, {{2, -1, -1}}, false, {}},
      {"x + y <= 1 cuts a corner off", false, {{1, -1, -1}}, false, {}},
      {"x <= 2, tight nowhere", false, {{2, -1, 0}}, false, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const Matrix in = c.h_in ? matrix(square, dd_Inequality) : matrix(corners, dd_Generator);
    const Matrix out = matrix(c.out, c.h_in ? dd_Generator : dd_Inequality);
    std::vector<std::vector<long>> tight;
    const auto v = zonix::check::valid_within(zonix::wrap::double_rows(in.get()), zonix::wrap::double_rows(out.get()),
                                              zonix::check::kMeasuredDelta, &tight);
    EXPECT_EQ(static_cast<bool>(v), c.ok) << v.why;
    if (c.ok) {
      EXPECT_EQ(tight, c.tight);
    }
  }
  // Equations and lines are left to the whole check.
  const Matrix eq = matrix(square, dd_Inequality, {1});
  EXPECT_FALSE(zonix::check::valid_within(zonix::wrap::double_rows(eq.get()), zonix::wrap::double_rows(matrix(corners, dd_Generator).get()),
                                          zonix::check::kMeasuredDelta));
}
