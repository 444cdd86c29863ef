// Numerical soundness of the double description engine on data whose
// terms are large: cyclic polytopes, whose facets and vertices are known
// exactly.  The rule throughout: a conversion gives the right answer or
// reports dd_NumericallyInconsistent, never a wrong answer as a success.
//
// Expected values come from mathematics, not from the engine: the
// vertices of the cyclic polytope C(n, d) are the points (t, t^2, ...,
// t^d) of the moment curve; its facets are the d-subsets of the points
// that satisfy Gale's evenness condition, each the polynomial prod (x -
// t_s) over the subset; their number is n/(n - d/2) binom(n - d/2, d/2)
// for even d and 2 binom(n - (d+1)/2, (d-1)/2) for odd d (upper bound
// theorem).  The instances are those an lrs comparison found wrong before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "engine_test_util.hpp"
#include "zonix.hpp"

using namespace enginetest;

namespace {

using IntRow = std::vector<std::int64_t>;

// Parameters -n/2, ..., n - n/2 - 1, as in the benchmark families.
std::vector<std::int64_t> parameters(int n)
{
  std::vector<std::int64_t> t;
  for (int i = 0; i < n; ++i) t.push_back(i - n / 2);
  return t;
}

std::int64_t power(std::int64_t t, int k)
{
  std::int64_t p = 1;
  for (int i = 0; i < k; ++i) p *= t;
  return p;
}

long binom(long n, long k)
{
  long r = 1;
  for (long i = 1; i <= k; ++i) r = r * (n - k + i) / i;
  return r;
}

long facet_count(int n, int d)
{
  if (d % 2 == 0) return n * binom(n - d / 2, d / 2) / (n - d / 2);
  return 2 * binom(n - (d + 1) / 2, (d - 1) / 2);
}

// The facets of C(n, d) as rows (c_0, ..., c_d) of c . (1, t, ..., t^d)
// >= 0, each with c_d = +-1 (monic up to sign).
std::set<IntRow> cyclic_facets(int n, int d)
{
  const auto t = parameters(n);
  std::set<IntRow> out;
  std::vector<int> pick(static_cast<size_t>(d));
  for (int i = 0; i < d; ++i) pick[i] = i;
  for (;;) {
    // Gale's evenness: between two points not picked lie an even number
    // of picked ones.
    std::vector<bool> in(static_cast<size_t>(n), false);
    for (int p : pick) in[p] = true;
    bool even = true;
    int between = -1;  // picked since the last point not picked
    for (int i = 0; i < n && even; ++i) {
      if (in[i]) {
        if (between >= 0) ++between;
      } else {
        if (between > 0 && between % 2 != 0) even = false;
        between = 0;
      }
    }
    if (even) {
      IntRow c(static_cast<size_t>(d + 1), 0);
      c[0] = 1;
      for (int s = 0; s < d; ++s) {
        for (int k = s + 1; k >= 1; --k) c[k] = c[k - 1] - t[pick[s]] * c[k];
        c[0] = -t[pick[s]] * c[0];
      }
      std::int64_t sign = 0;
      for (int i = 0; i < n && sign == 0; ++i) {
        if (in[i]) continue;
        std::int64_t v = 0;
        for (int k = 0; k <= d; ++k) v += c[k] * power(t[i], k);
        sign = v > 0 ? 1 : -1;
      }
      for (auto &x : c) x *= sign;
      out.insert(c);
    }
    int i = d - 1;
    while (i >= 0 && pick[i] == n - d + i) --i;
    if (i < 0) break;
    ++pick[i];
    for (int j = i + 1; j < d; ++j) pick[j] = pick[j - 1] + 1;
  }
  return out;
}

// The points (t/den)^k, k = 0..d, as a V-representation.
zonix::Matrix cyclic_v(int n, int d, int den = 1)
{
  dd_set_global_constants();
  const auto t = parameters(n);
  auto M = zonix::make_matrix(n, d + 1);
  M->representation = dd_Generator;
  for (int i = 0; i < n; ++i)
    for (int k = 0; k <= d; ++k)
      M->matrix[i][k][0] = static_cast<double>(power(t[i], k)) /
                           static_cast<double>(power(den, k));
  return M;
}

// The facets as an H-representation of the points (t/den)^k: a facet c of
// the integer points becomes (c_0, c_1 den, ..., c_d den^d).
zonix::Matrix cyclic_h(int n, int d, int den = 1)
{
  dd_set_global_constants();
  const auto F = cyclic_facets(n, d);
  auto M = zonix::make_matrix(static_cast<long>(F.size()), d + 1);
  M->representation = dd_Inequality;
  long i = 0;
  for (const auto &c : F) {
    for (int k = 0; k <= d; ++k)
      M->matrix[i][k][0] = static_cast<double>(c[k] * power(den, k));
    ++i;
  }
  return M;
}

struct Conversion {
  dd_ErrorType err = dd_NoError;
  bool has_output = false;
  std::vector<std::vector<double>> rows;
};

Conversion convert(dd_MatrixPtr M)
{
  Conversion c;
  zonix::Polyhedra P(dd_DDMatrix2Poly(M, &c.err));
  zonix::Matrix out(dd_CopyOutput(P.get()));
  if (out) {
    c.has_output = true;
    for (long i = 0; i < out->rowsize; ++i) {
      std::vector<double> r;
      for (long j = 0; j < out->colsize; ++j) r.push_back(out->matrix[i][j][0]);
      c.rows.push_back(r);
    }
  }
  return c;
}

// Output facet rows as integer rows with c_d = +-1; a row that is not such
// a row becomes the empty row, which never matches.  Tolerance: 1e-5 of
// the row's largest entry (C(40, 6) has facets with entries of 1e6 that
// the moment curve's conditioning leaves with errors of about 1e-6 of the
// largest); the nearest integer must then be the true entry.
std::set<IntRow> as_integer_facets(const Conversion &c)
{
  std::set<IntRow> out;
  for (const auto &r : c.rows) {
    const double lead = std::fabs(r.back());
    double big = 0;
    for (double x : r) big = std::max(big, std::fabs(x));
    IntRow q;
    bool ok = lead > 0;
    for (double x : r) {
      if (!ok) break;
      const double s = x / lead;
      const double k = std::round(s);
      ok = std::fabs(s - k) <= 1e-5 * big / lead;
      q.push_back(static_cast<std::int64_t>(k));
    }
    if (!ok) {
      std::string text;
      for (double x : r) text += " " + std::to_string(x);
      ADD_FAILURE() << "not an integer facet row:" << text;
    }
    out.insert(ok ? q : IntRow{});
  }
  return out;
}

// Whether the output of an H-conversion is exactly the vertex set of
// C(n, d) with parameter scale den (points, first entry 1).
bool is_cyclic_vertex_set(const Conversion &c, int n, int d, int den)
{
  if (static_cast<long>(c.rows.size()) != n) return false;
  std::set<std::int64_t> seen;
  for (const auto &r : c.rows) {
    if (r[0] != 1.0) return false;
    const double t = r[1] * den;
    const auto ti = static_cast<std::int64_t>(std::llround(t));
    for (int k = 1; k <= d; ++k) {
      const double want = static_cast<double>(power(ti, k)) /
                          static_cast<double>(power(den, k));
      if (std::fabs(r[k] - want) > 1e-6 * std::max(1.0, std::fabs(want)))
        return false;
    }
    seen.insert(ti);
  }
  for (auto ti : parameters(n))
    if (!seen.count(ti)) return false;
  return true;
}

struct Size {
  int n, d, den;
};

}  // namespace

TEST(NumericsCyclic, GeneratorsOfTheTestAgreeWithTheUpperBoundTheorem)
{
  // The expected facets themselves, checked against the known count and
  // the sample facet of C(15, 5) that the engine once missed.
  for (auto [n, d] : {std::pair{20, 4}, {14, 5}, {15, 5}, {12, 6}, {14, 6},
                      {25, 6}, {9, 3}}) {
    SCOPED_TRACE(std::to_string(n) + "," + std::to_string(d));
    EXPECT_EQ(static_cast<long>(cyclic_facets(n, d).size()), facet_count(n, d));
  }
  EXPECT_EQ(facet_count(40, 6), 8400);
  EXPECT_TRUE(cyclic_facets(15, 5).count(IntRow{0, 42, 1, -29, 11, -1}));
}

TEST(NumericsCyclic, FacetsOfCyclicPolytopesFromTheirVertices)
{
  // Each of these ended unfinished or with facets missing before.
  for (Size s : {Size{20, 4, 1}, Size{14, 5, 1}, Size{15, 5, 1},
                 Size{12, 6, 1}, Size{14, 6, 1}, Size{30, 4, 1},
                 Size{25, 6, 1}, Size{40, 6, 1}, Size{30, 7, 2}}) {
    SCOPED_TRACE("C(" + std::to_string(s.n) + "," + std::to_string(s.d) +
                 ")/" + std::to_string(s.den));
    auto M = cyclic_v(s.n, s.d, s.den);
    const Conversion c = convert(M.get());
    ASSERT_EQ(c.err, dd_NoError);
    ASSERT_TRUE(c.has_output);
    EXPECT_EQ(static_cast<long>(c.rows.size()), facet_count(s.n, s.d));
    std::set<IntRow> want;
    for (IntRow r : cyclic_facets(s.n, s.d)) {
      for (int k = 0; k <= s.d; ++k) r[k] *= power(s.den, k);
      // Scaled back to last entry +-1 as the comparison reads them.
      const std::int64_t lead = std::abs(r.back());
      for (auto &x : r) x /= lead;
      want.insert(r);
    }
    if (s.den == 1) {
      EXPECT_EQ(as_integer_facets(c), want);
    }
  }
}

TEST(NumericsCyclic, FacetMissedOnceIsFound)
{
  auto M = cyclic_v(15, 5);
  const Conversion c = convert(M.get());
  ASSERT_EQ(c.err, dd_NoError);
  EXPECT_TRUE(as_integer_facets(c).count(IntRow{0, 42, 1, -29, 11, -1}));
}

TEST(NumericsCyclic, VerticesOfCyclicPolytopesFromTheirFacets)
{
  // C(14, 6) repeated vertices and gave non-vertices; C(12, 6) ended
  // unfinished.
  for (Size s : {Size{12, 6, 1}, Size{14, 6, 1}, Size{20, 4, 1},
                 Size{12, 7, 1}, Size{15, 6, 2}, Size{14, 5, 7}}) {
    SCOPED_TRACE("C(" + std::to_string(s.n) + "," + std::to_string(s.d) +
                 ")/" + std::to_string(s.den));
    auto M = cyclic_h(s.n, s.d, s.den);
    const Conversion c = convert(M.get());
    ASSERT_EQ(c.err, dd_NoError);
    ASSERT_TRUE(c.has_output);
    EXPECT_TRUE(is_cyclic_vertex_set(c, s.n, s.d, s.den));
  }
}

TEST(NumericsCyclic, BeyondDoublesTheRunIsRightOrReportsInconsistency)
{
  // Instances past what double arithmetic resolves (with den 7 the first
  // basis is singular within rounding; the others lose rays or make them
  // from noise): either answer is acceptable, a wrong one is not.
  for (Size s : {Size{12, 6, 7}, Size{20, 9, 1}, Size{22, 8, 1}}) {
    SCOPED_TRACE("C(" + std::to_string(s.n) + "," + std::to_string(s.d) +
                 ")/" + std::to_string(s.den));
    const bool h_side = s.den == 7;
    auto M = h_side ? cyclic_h(s.n, s.d, s.den) : cyclic_v(s.n, s.d, s.den);
    const Conversion c = convert(M.get());
    if (c.err == dd_NumericallyInconsistent) {
      EXPECT_FALSE(c.has_output) << "an inconsistent result is not handed out";
      continue;
    }
    ASSERT_EQ(c.err, dd_NoError);
    ASSERT_TRUE(c.has_output);
    if (h_side)
      EXPECT_TRUE(is_cyclic_vertex_set(c, s.n, s.d, s.den));
    else
      EXPECT_EQ(static_cast<long>(c.rows.size()), facet_count(s.n, s.d));
  }
}

TEST(NumericsBasis, BasisSingularWithinRoundingIsReported)
{
  // a.x >= 0 for a = (1e15, 1e15) and (1e15, 1e15 + 1): singular to 15
  // digits.  Rows are scaled before the run, so the answer is that of
  // (1, 1) and (1, 1 + 2^-50): whatever it is, the same at both scales.
  dd_set_global_constants();
  auto M = zonix::make_matrix(2, 3);
  M->representation = dd_Inequality;
  M->matrix[0][1][0] = 1e15;
  M->matrix[0][2][0] = 1e15;
  M->matrix[1][1][0] = 1e15;
  M->matrix[1][2][0] = 1e15 + 1;
  const Conversion c = convert(M.get());
  for (long i = 0; i < 2; ++i)
    for (long j = 1; j < 3; ++j) M->matrix[i][j][0] = std::ldexp(M->matrix[i][j][0], -40);
  const Conversion small = convert(M.get());
  EXPECT_EQ(c.err, small.err);
  EXPECT_EQ(c.rows, small.rows);

  // The same cone scaled to ordinary numbers is fine.
  auto N = zonix::make_matrix(2, 3);
  N->representation = dd_Inequality;
  N->matrix[0][1][0] = 1;
  N->matrix[0][2][0] = 1;
  N->matrix[1][1][0] = 1;
  N->matrix[1][2][0] = 2;
  const Conversion ok = convert(N.get());
  EXPECT_EQ(ok.err, dd_NoError);
  EXPECT_TRUE(ok.has_output);
}

namespace {

// The cone over the points (1, t, ..., t^4) for the given t.
struct MomentCone {
  Poly poly;
  dd_ConePtr cone;
  explicit MomentCone(std::initializer_list<int> ts)
  {
    Rows rows;
    for (int t : ts) {
      std::vector<double> r;
      for (int k = 0; k <= 4; ++k) r.push_back(static_cast<double>(power(t, k)));
      rows.push_back(r);
    }
    poly = make_poly(rows, true, dd_Generator);
    cone = load_cone(poly.get());
    add_sentinel(cone);
  }
};

}  // namespace

TEST(NumericsNewRay, CancellationResidueBecomesExactZero)
{
  // Two rays of a run on C(20, 4), as the run had them (exactly
  // (600, -50, -49, 2, 1) and (1500, 400, -35, -16, -1), with the errors
  // of earlier combinations).  On row 1 (t = 6) their exact combination is
  // 2112 r1 + 264 r2 = 1848 (900, 0, -61, 0, 1): x^4 - 61 x^2 + 900 =
  // (x^2 - 25)(x^2 - 36).  The second entry comes out as 2.3e-7, above
  // the absolute tolerance; dividing by it made a ray of size 7e12 that
  // was then off a row it lies on.
  MomentCone f({6, 5, -5, -6, 4, -10});
  dd_RayPtr r1 = add_ray(f.cone, {599.99999999955151, -49.999999999875406,
                                  -48.999999999987658, 1.9999999999961378, 1});
  dd_RayPtr r2 = add_ray(f.cone, {1500.0000000000721, 400.00000000000369,
                                  -35.000000000003155, -16.000000000000096, -1});
  dd_CreateNewRay(f.cone, r1, r2, 1);
  const auto v = coords(f.cone, f.cone->LastRay);
  ASSERT_EQ(v.size(), 5u);
  EXPECT_EQ(v[1], 0.0);
  // The fourth entry's residue is within the absolute tolerance, where
  // coordinates are left as they come.
  EXPECT_NEAR(v[3], 0.0, 1e-7);
  EXPECT_NEAR(v[0], 900, 1e-6);
  EXPECT_NEAR(v[2], -61, 1e-6);
  EXPECT_NEAR(v[4], 1, 1e-9);
  // It lies on rows 1-4 (t = 6, 5, -5, -6) and on no other.
  EXPECT_EQ(members(f.cone->LastRay->ZeroSet), (std::vector<long>{1, 2, 3, 4}));
  EXPECT_TRUE(f.cone->LastRay->feasible);
}

TEST(NumericsNewRay, SmallTrueEntryIsKept)
{
  // Exact rays: (1, 0, 1e-5) on one side of row 1 = (1, -1, 0), (0, 1, 0)
  // on the other.  The combination keeps its third entry 1e-5 (tiny but
  // far above the rounding of terms of size 1).
  Poly p = make_poly({{1, -1, 0}, {0, 0, 1}}, true);
  dd_ConePtr c = load_cone(p.get());
  add_sentinel(c);
  dd_RayPtr a = add_ray(c, {1, 0, 1e-5});
  dd_RayPtr b = add_ray(c, {0, 1, 0});
  dd_CreateNewRay(c, a, b, 1);
  const auto v = coords(c, c->LastRay);
  // 1*(1, 0, 1e-5) + 1*(0, 1, 0), divided by its smallest entry 1e-5.
  EXPECT_NEAR(v[0], 1e5, 1e-6);
  EXPECT_NEAR(v[1], 1e5, 1e-6);
  EXPECT_NEAR(v[2], 1, 1e-12);
}

TEST(NumericsStore, ValueWithinRoundingOfLargeTermsIsZero)
{
  // Row 1 = (1e12, -(1e12 * x)) with x = 1 + 2^-40 at the ray 7 (x, 1):
  // the value is 0 up to the rounding of the two products, but in doubles
  // it comes out as -2^-10, beyond the absolute tolerance, and the ray
  // was taken as violating the row.  Against terms of size 7e12 that is
  // rounding, and the ray lies on the row.  Row 2 = (1, -1) is 7 * 2^-40
  // there: within the absolute tolerance as ever.
  const double x = 1 + std::ldexp(1.0, -40);
  Poly p = make_poly({{1e12, -1e12 * x}, {1, -1}, {0, 1}}, true);
  dd_ConePtr c = load_cone(p.get());
  add_sentinel(c);
  mytype probe;
  const double ray[2] = {x * 7, 7};
  dd_AValue(&probe, 2, c->A, const_cast<mytype *>(reinterpret_cast<const mytype *>(ray)), 1);
  ASSERT_LT(probe[0], -1e-7);  // the residue the old test misread
  dd_RayPtr r = add_ray(c, {x * 7, 7});
  EXPECT_EQ(members(r->ZeroSet), (std::vector<long>{1, 2}));
  EXPECT_TRUE(r->feasible);

  // A value of 1e-4 whose terms are small is a true value.
  Poly q = make_poly({{1, -1}, {0, 1}}, true);
  dd_ConePtr c2 = load_cone(q.get());
  add_sentinel(c2);
  dd_RayPtr s = add_ray(c2, {1, 1 + 1e-4});
  EXPECT_EQ(members(s->ZeroSet), std::vector<long>{});
  EXPECT_FALSE(s->feasible);
}

TEST(NumericsStore, EvaluationSnapsTheSameWay)
{
  // The iteration's evaluation agrees with the stored zero set: a rounding
  // residue of large terms is exactly 0 in ARay, a small true value is not.
  const double x = 1 + std::ldexp(1.0, -40);
  Poly p = make_poly({{1e12, -1e12 * x}, {1, -1}, {0, 1}}, true);
  dd_ConePtr c = load_cone(p.get());
  add_sentinel(c);
  dd_RayPtr r = add_ray(c, {x * 7, 7});
  dd_RayPtr s = add_ray(c, {1, 1 + 1e-3});
  dd_EvaluateARay2(1, c);
  EXPECT_EQ(r->ARay[0], 0.0);
  EXPECT_LT(s->ARay[0], -1e-7);
  long fnum = 0, infnum = 0;
  dd_FeasibilityIndices(&fnum, &infnum, 1, c);
  EXPECT_EQ(fnum, 1);
  EXPECT_EQ(infnum, 1);
}
