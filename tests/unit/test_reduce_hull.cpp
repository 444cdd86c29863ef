// Points in three dimensions, whose redundant rows the hull finds before
// any LP: points on a sphere are extreme, points within half the radius
// of its centre lie inside the octahedron of its six axis points, and of
// a point given twice (or once more scaled, as (2, 2x)) the later row
// goes.  Each case is run by every method and in double and auto
// arithmetic; the hull's own verdicts must never contradict the answer.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support.hpp"
#include "zonixarith.hpp"
#include "zonixlp_internal.hpp"
#include "zonixrandom.hpp"

using namespace zonix::test;

namespace {

struct HullCase {
  const char *name;
  int sphere;   // random points on the sphere, besides its six axis points
  int inner;    // points within half the radius of the centre
  int copies;   // sphere points given again, later
  double radius;
  double centre[3];
  unsigned seed;
  int undecided;  // at most: copies, and points near a facet against the coordinates' size
};

std::ostream &operator<<(std::ostream &o, const HullCase &c) { return o << c.name; }

const HullCase kHullCases[] = {
    {"few", 150, 50, 3, 1.0, {0, 0, 0}, 1, 6},
    {"many-inner", 1000, 5000, 20, 1.0, {0, 0, 0}, 2, 40},
    {"far-and-small", 300, 3000, 5, 1e-3, {5, -3, 100}, 3, 60},
    {"large", 400, 2000, 0, 1e3, {-7, 0.5, 2}, 4, 0},
};

struct Built {
  Rows rows;
  Members removed;
};

Built build(const HullCase &c)
{
  zonix::Random31 rng(c.seed);
  auto unit = [&] { return static_cast<double>(rng.next()) / zonix::Random31::max_value * 2 - 1; };
  auto at = [&](const double *v, double t) {
    return Row{1, c.centre[0] + t * v[0], c.centre[1] + t * v[1], c.centre[2] + t * v[2]};
  };
  Rows sphere;
  for (int a = 0; a < 3; ++a)
    for (const double s : {-1.0, 1.0}) {
      double v[3] = {0, 0, 0};
      v[a] = s;
      sphere.push_back(at(v, c.radius));
    }
  while (static_cast<int>(sphere.size()) < c.sphere + 6) {
    double v[3] = {unit(), unit(), unit()};
    const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(n > 0.1 && n <= 1)) continue;
    for (double &x : v) x /= n;
    sphere.push_back(at(v, c.radius));
  }
  Rows inner;
  while (static_cast<int>(inner.size()) < c.inner) {
    double v[3] = {unit(), unit(), unit()};
    if (v[0] * v[0] + v[1] * v[1] + v[2] * v[2] > 1) continue;
    inner.push_back(at(v, c.radius * 0.5 * std::fabs(unit())));
  }
  // Interleaved: an inner point after every few sphere points; copies at
  // the end, every other one scaled.
  Built b;
  size_t s = 0, i = 0;
  while (s < sphere.size() || i < inner.size()) {
    if (s < sphere.size()) b.rows.push_back(sphere[s++]);
    for (int k = 0; k < 4 && i < inner.size(); ++k) {
      b.rows.push_back(inner[i++]);
      b.removed.push_back(static_cast<long>(b.rows.size()));
    }
  }
  for (int k = 0; k < c.copies; ++k) {
    Row r = sphere[static_cast<size_t>(k * 7) % sphere.size()];
    if (k % 2 == 1)
      for (double &x : r) x *= 2;
    b.rows.push_back(r);
    b.removed.push_back(static_cast<long>(b.rows.size()));
  }
  return b;
}

class ReduceHull : public ::testing::TestWithParam<HullCase> {};

TEST_P(ReduceHull, SpherePointsStayTheRestGo)
{
  const Built b = build(GetParam());
  const Matrix M = matrix(b.rows, dd_Generator);
  std::vector<zonix::lp::HullVerdict> verdict;
  ASSERT_TRUE(zonix::lp::hull3_verdicts(M.get(), &verdict));
  std::vector<char> goes(b.rows.size() + 1, 0);
  for (const long r : b.removed) goes[static_cast<size_t>(r)] = 1;
  long undecided = 0;
  for (size_t i = 0; i < verdict.size(); ++i) {
    if (verdict[i] == zonix::lp::HullVerdict::Vertex) {
      EXPECT_EQ(goes[i + 1], 0) << "row " << i + 1;
    }
    if (verdict[i] == zonix::lp::HullVerdict::Inside) {
      EXPECT_EQ(goes[i + 1], 1) << "row " << i + 1;
    }
    if (verdict[i] == zonix::lp::HullVerdict::Undecided) ++undecided;
  }
  // Points in general position: few are left to the LPs.
  EXPECT_LE(undecided, GetParam().undecided);
  for (const auto method : {dd_RedundancyClarkson, dd_RedundancyAuto}) {
    dd_ErrorType err = dd_NoError;
    const Set red(dd_RedundantRowsWith(M.get(), method, &err));
    ASSERT_EQ(err, dd_NoError);
    EXPECT_EQ(members(red.get()), b.removed) << method;
    // Auto proves on the rationals of full doubles: only the small case.
    if (b.rows.size() > 500) continue;
    bool exact = false;
    const Set proved(zonix::row_query(M.get(), zonix::RowQuery::Redundant, zonix::Arithmetic::Auto, &err, &exact,
                                      nullptr, method));
    ASSERT_EQ(err, dd_NoError);
    EXPECT_EQ(members(proved.get()), b.removed) << method;
  }
  if (b.rows.size() <= 500) {
    dd_ErrorType err = dd_NoError;
    const Set each(dd_RedundantRowsWith(M.get(), dd_RedundancyEachRow, &err));
    EXPECT_EQ(members(each.get()), b.removed);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReduceHull, ::testing::ValuesIn(kHullCases), [](const auto &info) {
  std::string n = info.param.name;
  for (char &ch : n)
    if (ch == '-') ch = '_';
  return n;
});

// Inputs the hull does not take: rays, lines, too few points, flat sets.
TEST(ReduceHull, DeclinesWhatItCannotDecide)
{
  const Rows corners = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 0, 1, 0}, {1, 0, 0, 1}, {1, 1, 1, 1}, {1, 0.2, 0.2, 0.2}};
  std::vector<zonix::lp::HullVerdict> v;
  EXPECT_TRUE(zonix::lp::hull3_verdicts(matrix(corners, dd_Generator).get(), &v));
  EXPECT_FALSE(zonix::lp::hull3_verdicts(matrix(corners + Rows{{0, 1, 0, 0}}, dd_Generator).get(), &v));
  EXPECT_FALSE(zonix::lp::hull3_verdicts(matrix(corners, dd_Generator, {1}).get(), &v));
  EXPECT_FALSE(zonix::lp::hull3_verdicts(matrix(corners, dd_Inequality).get(), &v));
  EXPECT_FALSE(zonix::lp::hull3_verdicts(matrix(Rows(corners.begin(), corners.begin() + 4), dd_Generator).get(), &v));
  // All in the plane z = 0.
  Rows flat;
  for (int k = 0; k < 50; ++k) flat.push_back({1, static_cast<double>(k % 7), static_cast<double>(k % 11), 0});
  EXPECT_FALSE(zonix::lp::hull3_verdicts(matrix(flat, dd_Generator).get(), &v));
  // Two coordinates: not three.
  EXPECT_FALSE(zonix::lp::hull3_verdicts(matrix(Rows{{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, 2, 2}}, dd_Generator).get(), &v));
}

// The proof of points dropped inside a ball within the facets of the
// cube [-1,1]^3 about the mean of its vertices, the origin: the ball of
// radius 1 (the distance to each face).  Inside it strictly: proved;
// on the face, inside the cube but beyond the ball, outside it, or a ray:
// left to the facets.  Rows 1..8 are the vertices (kept), then:
struct BallCase {
  const char *point[4];
  bool proved;
};
const BallCase kBall[] = {
    {{"1", "0", "0", "0"}, true},           // the centre
    {{"1", "99/100", "0", "0"}, true},      // just inside the ball
    {{"2", "1", "1", "1"}, true},           // (1/2, 1/2, 1/2): |.| = 0.866
    {{"3", "-2", "2", "1"}, false},         // (-2/3, 2/3, 1/3): |.| = 1, on the ball
    {{"1", "1", "0", "0"}, false},          // on a face
    {{"1", "9/10", "9/10", "0"}, false},    // in the cube, beyond the ball
    {{"1", "3/2", "0", "0"}, false},        // outside
    {{"0", "1", "0", "0"}, false},          // a ray
};

TEST(ReduceHull, BallWithinTheFacetsProvesInnerPoints)
{
  std::vector<std::vector<const char *>> q;
  const char *s[2] = {"-1", "1"};
  for (int v = 0; v < 8; ++v) q.push_back({"1", s[v & 1], s[(v >> 1) & 1], s[(v >> 2) & 1]});
  for (const BallCase &b : kBall) q.push_back({b.point[0], b.point[1], b.point[2], b.point[3]});
  const std::vector<std::vector<const char *>> faces = {{"1", "1", "0", "0"}, {"1", "-1", "0", "0"},
                                                        {"1", "0", "1", "0"}, {"1", "0", "-1", "0"},
                                                        {"1", "0", "0", "1"}, {"1", "0", "0", "-1"}};
  auto qm = [](const std::vector<std::vector<const char *>> &rows, dd_RepresentationType rep) {
    zonix::QMatrix m;
    m.rows = static_cast<long>(rows.size());
    m.cols = 4;
    m.representation = rep;
    for (const auto &r : rows)
      for (const char *x : r) {
        m.entries.emplace_back(x);
        m.entries.back().canonicalize();
      }
    return m;
  };
  const zonix::QMatrix in = qm(q, dd_Generator), g = qm(faces, dd_Inequality);
  const long m = in.rows;
  const Set dropped(zonix::make_set(m)), rest(zonix::make_set(m));
  for (long i = 9; i <= m; ++i) set_addelem(dropped.get(), i);
  set_copy(rest.get(), dropped.get());
  zonix::inside_ball(in, g, dropped.get(), rest.get());
  for (size_t k = 0; k < std::size(kBall); ++k)
    EXPECT_EQ(set_member(static_cast<long>(k) + 9, rest.get()) == 0, kBall[k].proved) << "point " << k + 1;
  // The ball shrinks to nothing when the mean lies on a facet: nothing is
  // proved (here the points kept are the corners of the face x = 1).
  const Set kept_face(zonix::make_set(m)), all(zonix::make_set(m));
  for (long i = 1; i <= m; ++i)
    if (!(i <= 8 && (i - 1) % 2 == 1)) set_addelem(kept_face.get(), i);
  set_copy(all.get(), kept_face.get());
  zonix::inside_ball(in, g, kept_face.get(), all.get());
  EXPECT_EQ(set_card(all.get()), set_card(kept_face.get()));
}

}  // namespace
