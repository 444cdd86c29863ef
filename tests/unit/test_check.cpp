// The exact checker on answers worked out by hand: right ones pass, and
// each kind of wrong one (a missing, doubled, outside or inner element, a
// wrong certificate) is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <optional>
#include <algorithm>
#include <string>
#include <vector>

#include "zonixarith.hpp"
#include "zonixcheck.hpp"
#include "zonixexact.hpp"
#include "zonixrandom.hpp"

namespace {

using zonix::QMatrix;
using QRow = std::vector<mpq_class>;
using QRows = std::vector<QRow>;
using Q = std::vector<mpq_class>;

QMatrix qmatrix(dd_RepresentationType rep, const QRows &rows, std::vector<long> lin = {}, long cols = 0)
{
  QMatrix M;
  M.representation = rep;
  M.rows = static_cast<long>(rows.size());
  M.cols = rows.empty() ? cols : static_cast<long>(rows[0].size());
  for (const auto &r : rows) M.entries.insert(M.entries.end(), r.begin(), r.end());
  M.linearity = std::move(lin);
  return M;
}

QMatrix H(const QRows &rows, std::vector<long> lin = {}) { return qmatrix(dd_Inequality, rows, std::move(lin)); }
QMatrix V(const QRows &rows, std::vector<long> lin = {}) { return qmatrix(dd_Generator, rows, std::move(lin)); }

// Multipliers written densely, as the checker's terms (zeros left out).
std::vector<zonix::check::Terms> terms(const QRows &dense)
{
  std::vector<zonix::check::Terms> t(dense.size());
  for (std::size_t k = 0; k < dense.size(); ++k)
    for (std::size_t i = 0; i < dense[k].size(); ++i)
      if (sgn(dense[k][i]) != 0) t[k].emplace_back(i, dense[k][i]);
  return t;
}

QRows drop(QRows r, std::size_t k)
{
  r.erase(r.begin() + static_cast<long>(k));
  return r;
}

QRows plus(QRows r, const QRows &more)
{
  r.insert(r.end(), more.begin(), more.end());
  return r;
}

// b - a.x >= 0 rows of the unit square, and its corners
const QRows kSquareH = {{1, -1, 0}, {1, 0, -1}, {0, 1, 0}, {0, 0, 1}};
const QRows kSquareV = {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}};
// x, y, z >= 0, x + y + z <= 1 and its corners
const QRows kSimplexH = {{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, -1, -1, -1}};
const QRows kSimplexV = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 0, 1, 0}, {1, 0, 0, 1}};
// the pyramid over [-1,1]^2 with apex (0,0,1): four facets meet at the apex
const QRows kPyramidH = {{0, 0, 0, 1}, {1, -1, 0, -1}, {1, 1, 0, -1}, {1, 0, -1, -1}, {1, 0, 1, -1}};
const QRows kPyramidV = {{1, 1, 1, 0}, {1, 1, -1, 0}, {1, -1, 1, 0}, {1, -1, -1, 0}, {1, 0, 0, 1}};
// |x| + |y| + |z| <= 1: four facets at each vertex
const QRows kOctaH = {{1, 1, 1, 1},  {1, 1, 1, -1},  {1, 1, -1, 1},  {1, 1, -1, -1},
                      {1, -1, 1, 1}, {1, -1, 1, -1}, {1, -1, -1, 1}, {1, -1, -1, -1}};
const QRows kOctaV = {{1, 1, 0, 0}, {1, -1, 0, 0}, {1, 0, 1, 0}, {1, 0, -1, 0}, {1, 0, 0, 1}, {1, 0, 0, -1}};
// [-1,1]^3 as V and H
const QRows kCubeV = {{1, 1, 1, 1},   {1, 1, 1, -1},  {1, 1, -1, 1},  {1, 1, -1, -1},
                      {1, -1, 1, 1},  {1, -1, 1, -1}, {1, -1, -1, 1}, {1, -1, -1, -1}};
const QRows kCubeH = {{1, -1, 0, 0}, {1, 1, 0, 0}, {1, 0, -1, 0}, {1, 0, 1, 0}, {1, 0, 0, -1}, {1, 0, 0, 1}};

struct Case {
  const char *name;
  QMatrix in, out;
  bool ok;
};

std::ostream &operator<<(std::ostream &o, const Case &c) { return o << c.name; }

const mpq_class kTiny("1/100000000000000000000");  // 1e-20
const mpq_class kHalf(1, 2);
const mpq_class kHuge("1180591620717411303424");  // 2^70

const Case kConversions[] = {
    {"square", H(kSquareH), V(kSquareV), true},
    {"square-rows-any-order", H(kSquareH), V({kSquareV[3], kSquareV[0], kSquareV[2], kSquareV[1]}), true},
    {"square-missing-vertex", H(kSquareH), V(drop(kSquareV, 2)), false},
    {"square-doubled-vertex", H(kSquareH), V(plus(kSquareV, {kSquareV[1]})), false},
    {"square-inner-point", H(kSquareH), V(plus(kSquareV, {{1, mpq_class(1, 2), 0}})), false},
    {"square-vertex-1e-20-outside", H(kSquareH), V({{1, 0, 0}, {1, 1 + kTiny, 0}, {1, 0, 1}, {1, 1, 1}}), false},
    {"square-vertex-1e-20-inside", H(kSquareH), V({{1, 0, 0}, {1, 1 - kTiny, 0}, {1, 0, 1}, {1, 1, 1}}), false},
    // a point as any positive multiple of (1, v), as settled integer rows come
    {"square-point-scaled-by-2", H(kSquareH), V({{1, 0, 0}, {2, 2, 0}, {1, 0, 1}, {3, 3, 3}}), true},
    {"square-point-scaled-by-minus-1", H(kSquareH), V({{1, 0, 0}, {-1, -1, 0}, {1, 0, 1}, {1, 1, 1}}), false},
    // the square less the corner beyond x + y <= 3/2: its corners look like a
    // closed list but (1,1) lies outside
    {"pentagon", H(plus(kSquareH, {{mpq_class(3, 2), -1, -1}})),
     V({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, kHalf}, {1, kHalf, 1}}), true},
    {"pentagon-given-square-corners", H(plus(kSquareH, {{mpq_class(3, 2), -1, -1}})), V(kSquareV), false},
    // [0, 2^70]^2: numbers past 64 bits
    {"huge-square", H({{0, 1, 0}, {kHuge, -1, 0}, {0, 0, 1}, {kHuge, 0, -1}}),
     V({{1, 0, 0}, {1, kHuge, 0}, {1, 0, kHuge}, {1, kHuge, kHuge}}), true},
    {"huge-square-vertex-one-off", H({{0, 1, 0}, {kHuge, -1, 0}, {0, 0, 1}, {kHuge, 0, -1}}),
     V({{1, 0, 0}, {1, kHuge, 0}, {1, 0, kHuge}, {1, kHuge, kHuge + 1}}), false},
    {"huge-square-facets", V({{1, 0, 0}, {1, kHuge, 0}, {1, 0, kHuge}, {1, kHuge, kHuge}}),
     H({{0, 1, 0}, {kHuge, -1, 0}, {0, 0, 1}, {kHuge, 0, -1}}), true},
    {"huge-square-facet-one-off", V({{1, 0, 0}, {1, kHuge, 0}, {1, 0, kHuge}, {1, kHuge, kHuge}}),
     H({{0, 1, 0}, {kHuge, -1, 0}, {0, 0, 1}, {kHuge + 1, 0, -1}}), false},
    {"square-facets", V(kSquareV), H(kSquareH), true},
    {"square-facets-and-trivial-row", V(kSquareV), H(plus(kSquareH, {{1, 0, 0}})), true},
    {"square-missing-facet", V(kSquareV), H(drop(kSquareH, 0)), false},
    {"square-extra-valid-row", V(kSquareV), H(plus(kSquareH, {{2, -1, -1}})), false},
    {"square-doubled-facet", V(kSquareV), H(plus(kSquareH, {{2, -2, 0}})), false},
    {"triangle", V({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}}), H({{0, 1, 0}, {0, 0, 1}, {1, -1, -1}}), true},
    {"triangle-with-fractions", V({{1, 0, 0}, {1, mpq_class(1, 3), 0}, {1, 0, mpq_class(1, 3)}}),
     H({{0, 1, 0}, {0, 0, 1}, {1, -3, -3}}), true},
    {"triangle-wrong-facet", V({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}}), H({{0, 1, 0}, {0, 0, 1}, {1, -1, -2}}), false},
    {"simplex", H(kSimplexH), V(kSimplexV), true},
    {"simplex-missing-vertex", H(kSimplexH), V(drop(kSimplexV, 3)), false},
    {"simplex-facets", V(kSimplexV), H(kSimplexH), true},
    {"cube", H(kCubeH), V(kCubeV), true},
    {"cube-missing-vertex", H(kCubeH), V(drop(kCubeV, 5)), false},
    {"cube-facets", V(kCubeV), H(kCubeH), true},
    {"cube-missing-facet", V(kCubeV), H(drop(kCubeH, 4)), false},
    // x + y >= -2 adds nothing but a third facet through the edge x = y = -1
    {"cube-with-redundant-row", H(plus(kCubeH, {{2, 1, 1, 0}})), V(kCubeV), true},
    {"cube-with-redundant-row-edge-midpoint", H(plus(kCubeH, {{2, 1, 1, 0}})), V(plus(kCubeV, {{1, -1, -1, 0}})),
     false},
    {"pyramid", H(kPyramidH), V(kPyramidV), true},
    {"pyramid-missing-apex", H(kPyramidH), V(drop(kPyramidV, 4)), false},
    {"pyramid-missing-base-vertex", H(kPyramidH), V(drop(kPyramidV, 0)), false},
    {"pyramid-facets", V(kPyramidV), H(kPyramidH), true},
    {"octahedron", H(kOctaH), V(kOctaV), true},
    {"octahedron-missing-vertex", H(kOctaH), V(drop(kOctaV, 3)), false},
    {"octahedron-facets", V(kOctaV), H(kOctaH), true},
    {"octahedron-missing-facet", V(kOctaV), H(drop(kOctaH, 6)), false},
    // y >= 0: a cone with a line; its apex is implied
    {"cone-with-line", H({{0, 0, 1}}), V({{0, 0, 1}, {0, 1, 0}}, {2}), true},
    {"cone-with-line-and-apex", H({{0, 0, 1}}), V({{1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {3}), true},
    {"cone-without-line", H({{0, 0, 1}}), V({{0, 0, 1}}), false},
    {"cone-tilted-line", H({{0, 0, 1}}), V({{0, 0, 1}, {0, 1, 1}}, {2}), false},
    {"cone-line-as-ray", H({{0, 0, 1}}), V({{0, 0, 1}, {0, 1, 0}}), false},
    // y <= 1: a point, a ray and a line
    {"half-plane", H({{1, 0, -1}}), V({{1, 0, 1}, {0, 0, -1}, {0, 1, 0}}, {3}), true},
    {"half-plane-rays-for-line", H({{1, 0, -1}}), V({{1, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}}), false},
    // x = 1 by two inequalities, 0 <= y <= 1: a segment
    {"segment-by-opposite-rows", H({{1, -1, 0}, {-1, 1, 0}, {0, 0, 1}, {1, 0, -1}}), V({{1, 1, 0}, {1, 1, 1}}), true},
    {"segment-missing-end", H({{1, -1, 0}, {-1, 1, 0}, {0, 0, 1}, {1, 0, -1}}), V({{1, 1, 0}}), false},
    {"segment-by-equation", H({{-1, 1, 0}, {0, 0, 1}, {1, 0, -1}}, {1}), V({{1, 1, 0}, {1, 1, 1}}), true},
    {"segment-facets", V({{1, 1, 0}, {1, 1, 1}}), H({{-1, 1, 0}, {0, 0, 1}, {1, 0, -1}}, {1}), true},
    {"segment-equation-missing", V({{1, 1, 0}, {1, 1, 1}}), H({{0, 0, 1}, {1, 0, -1}}), false},
    // rays only: the cone they span, the origin its point
    {"quadrant-of-rays", V({{0, 1, 0}, {0, 0, 1}}), H({{0, 1, 0}, {0, 0, 1}}), true},
    {"quadrant-with-origin-row", V({{0, 1, 0}, {0, 0, 1}}), H({{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}), true},
    {"quadrant-missing-facet", V({{0, 1, 0}, {0, 0, 1}}), H({{0, 1, 0}}), false},
    // a point and two rays: t >= 0 is a facet and may be left out
    {"corner", V({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}), H({{0, 1, 0}, {0, 0, 1}}), true},
    {"corner-as-homogeneous-H", H({{0, 1, 0}, {0, 0, 1}}), V({{0, 1, 0}, {0, 0, 1}}), true},
    {"corner-H-empty-answer", H({{0, 1, 0}, {0, 0, 1}}), qmatrix(dd_Generator, {}, {}, 3), false},
};

// The rows as 64-bit integers, as settled rows come, when every entry is one.
std::optional<zonix::check::IntRows> integers(const QMatrix &m)
{
  zonix::check::IntRows r;
  r.rows = m.rows, r.cols = m.cols, r.representation = m.representation, r.linearity = m.linearity;
  for (const auto &e : m.entries) {
    if (e.get_den() != 1 || !e.get_num().fits_slong_p()) return std::nullopt;
    r.entries.push_back(e.get_num().get_si());
  }
  return r;
}

class Conversion : public ::testing::TestWithParam<Case> {};

TEST_P(Conversion, VerdictAsWorkedOut)
{
  const Case &c = GetParam();
  const auto v = zonix::check::conversion(c.in, c.out);
  EXPECT_EQ(v.ok, c.ok) << v.why;
  if (const auto r = integers(c.out); r && c.out.rows > 0) {
    EXPECT_EQ(zonix::check::conversion(c.in, *r).ok, c.ok) << "as 64-bit integer rows";
  }
  if (std::getenv("CHECK_WHY") != nullptr) std::printf("%-32s %s\n", c.name, v.why.c_str());
  if (!c.ok) {
    EXPECT_FALSE(v.why.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Check, Conversion, ::testing::ValuesIn(kConversions),
                         [](const auto &info) {
                           std::string s = info.param.name;
                           for (auto &ch : s)
                             if (ch == '-') ch = '_';
                           return s;
                         });

TEST(CheckConversion, IntegerRowsPastSixtyTwoBits)
{
  // [0, 2^62]^2 and [0, 2^62 - 1]^2: entries of 63 and of 62 bits
  for (const std::int64_t w : {std::int64_t{1} << 62, (std::int64_t{1} << 62) - 1}) {
    SCOPED_TRACE(w);
    const QMatrix in = H({{0, 1, 0}, {w, -1, 0}, {0, 0, 1}, {w, 0, -1}});
    zonix::check::IntRows out;
    out.rows = 4, out.cols = 3, out.representation = dd_Generator;
    out.entries = {1, 0, 0, 1, w, 0, 1, 0, w, 1, w, w};
    EXPECT_TRUE(zonix::check::conversion(in, out));
    out.entries[11] = w - 1;  // (w, w - 1) lies inside
    EXPECT_FALSE(zonix::check::conversion(in, out));
    out.entries = {1, 0, 0, 1, w, 0, 1, 0, w, -1, -w, -w};  // a point times -1
    EXPECT_FALSE(zonix::check::conversion(in, out));
  }
}

// x, y >= 0 and x + y <= 0 pin x = y = 0; with 0 <= z <= 1 a segment.
// The three rows sum to zero, which proves each an equation.
TEST(CheckConversion, RowsProvedEquationsBySummingToZero)
{
  const QMatrix in = H({{0, 1, 0, 0}, {0, 0, 1, 0}, {0, -1, -1, 0}, {0, 0, 0, 1}, {1, 0, 0, -1}});
  const QMatrix out = V({{1, 0, 0, 0}, {1, 0, 0, 1}});
  const Q proof = {1, 1, 1, 0, 0}, partial = {1, 1, 0, 0, 0}, negative = {-1, -1, -1, 0, 0},
          too_much = {1, 1, 1, 1, 0};
  EXPECT_FALSE(zonix::check::conversion(in, out));
  EXPECT_TRUE(zonix::check::conversion(in, out, &proof));
  EXPECT_FALSE(zonix::check::conversion(in, out, &partial));
  EXPECT_FALSE(zonix::check::conversion(in, out, &negative));
  EXPECT_FALSE(zonix::check::conversion(in, out, &too_much));
  EXPECT_FALSE(zonix::check::conversion(in, V({{1, 0, 0, 0}}), &proof));  // an end missing
  // V: the rays (1,0) and (-1,0) make a line nobody declared; y >= 0
  const QMatrix v = V({{1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}});
  const Q lines = {0, 1, 1, 0}, with_point = {1, 1, 1, 0};
  EXPECT_TRUE(zonix::check::conversion(v, H({{0, 0, 1}})));  // opposite rays: shown without help
  EXPECT_TRUE(zonix::check::conversion(v, H({{0, 0, 1}}), &lines));
  EXPECT_FALSE(zonix::check::conversion(v, H({{0, 0, 1}}), &with_point));
}

// B(n): x_ij >= 0, row and column sums 1 as equations; its vertices the
// n! permutation matrices, each on n^2 - n of the n^2 facets.
QMatrix birkhoff_h(int n)
{
  QRows rows;
  std::vector<long> lin;
  for (int i = 0; i < n * n; ++i) {
    QRow r(static_cast<std::size_t>(n * n + 1), 0);
    r[static_cast<std::size_t>(i + 1)] = 1;
    rows.push_back(r);
  }
  for (int line = 0; line < 2 * n; ++line) {
    QRow r(static_cast<std::size_t>(n * n + 1), 0);
    r[0] = 1;
    for (int k = 0; k < n; ++k) r[static_cast<std::size_t>(1 + (line < n ? line * n + k : k * n + line - n))] = -1;
    rows.push_back(r);
    lin.push_back(static_cast<long>(rows.size()));
  }
  return H(rows, lin);
}

QRows permutation_matrices(int n)
{
  std::vector<int> p(static_cast<std::size_t>(n));
  std::iota(p.begin(), p.end(), 0);
  QRows out;
  do {
    QRow v(static_cast<std::size_t>(n * n + 1), 0);
    v[0] = 1;
    for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(1 + i * n + p[static_cast<std::size_t>(i)])] = 1;
    out.push_back(v);
  } while (std::next_permutation(p.begin(), p.end()));
  return out;
}

// "Unproved" says only that completeness was not shown: every row was
// found valid and extreme.  A row outside or inside is a plain "no".
TEST(CheckConversion, UnprovedOnlyWhenEveryRowIsValidAndExtreme)
{
  // x, y >= 0 and x + y <= 0 (no two rows opposite), 0 <= z <= 1
  const QMatrix pinched = H({{0, 1, 0, 0}, {0, 0, 1, 0}, {0, -1, -1, 0}, {0, 0, 0, 1}, {1, 0, 0, -1}});
  const QMatrix empty_in = H({{-1, 1}, {0, -1}});  // x >= 1, x <= 0
  QRows b6 = permutation_matrices(6), b6_inner = b6;
  b6_inner[0] = {1};  // the centre of B(6) for a vertex: all 1/6
  for (int k = 0; k < 36; ++k) b6_inner[0].push_back(mpq_class(1, 6));
  QRow origin(37, 0);
  origin[0] = 1;
  const QRows b6_outside = plus(drop(b6, 0), {origin});
  struct Case {
    const char *name;
    QMatrix in, out;
    int want;  // 1 yes, 0 unproved, -1 no
  };
  const Case cases[] = {
      {"implied equations, right ends", pinched, V({{1, 0, 0, 0}, {1, 0, 0, 1}}), 0},
      {"implied equations, an end outside", pinched, V({{1, 0, 0, 0}, {1, 1, 0, 0}}), -1},
      {"implied equations, a middle point", pinched, V({{1, 0, 0, 0}, {1, 0, 0, 1}, {2, 0, 0, 1}}), -1},
      {"empty without a Farkas vector", empty_in, qmatrix(dd_Generator, {}, {}, 2), 0},
      {"B(6), its 720 vertices", birkhoff_h(6), V(b6), 0},
      {"B(6), the centre for a vertex", birkhoff_h(6), V(b6_inner), -1},
      {"B(6), the origin for a vertex", birkhoff_h(6), V(b6_outside), -1},
      {"B(3), its 6 vertices", birkhoff_h(3), V(permutation_matrices(3)), 1},
      // (0,0), (1,0), (0,1): x >= 0, y >= 0, x + y <= 1; without the last,
      // (0,0) lies on every row listed, and a point is never a line
      {"a triangle's facets", V({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}}), H({{0, 1, 0}, {0, 0, 1}, {1, -1, -1}}), 1},
      {"a triangle's facets, one missing", V({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}}), H({{0, 1, 0}, {0, 0, 1}}), -1},
      // x >= 0, x + p y >= 0, x + y <= 1, p = 2^31 - 1: the origin's two rows
      // are one modulo p, not over Q
      {"a rank short modulo 2^31 - 1", H({{0, 1, 0}, {0, 1, 2147483647}, {1, -1, -1}}),
       V({{1, 0, 0}, {1, 0, 1}, {2147483646, 2147483647, -1}}), 1},
      {"the same, a vertex off", H({{0, 1, 0}, {0, 1, 2147483647}, {1, -1, -1}}),
       V({{1, 0, 0}, {1, 0, 1}, {2147483646, 2147483647, -2}}), -1},
  };
  for (const auto &c : cases) {
    const auto v = zonix::check::conversion(c.in, c.out);
    EXPECT_EQ(v.ok ? 1 : v.unproved ? 0 : -1, c.want) << c.name << ": " << v.why;
  }
}

// Where the checker leaves rows tight on a whole answer unproved
// equations, auto's proof asks each row's LP: the pinched segment's
// equations then sum to zero, and a row that holds strictly inside shows
// a vertex missing.
TEST(CheckConversion, RowsTightOnTheAnswerDecidedByTheirLPs)
{
  const QMatrix pinched = H({{0, 1, 0, 0}, {0, 0, 1, 0}, {0, -1, -1, 0}, {0, 0, 0, 1}, {1, 0, 0, -1}});
  const QMatrix triangle = H({{0, 1, 0}, {0, 0, 1}, {1, -1, -1}});
  const struct {
    const char *name;
    QMatrix in, out;
    bool passes;
  } cases[] = {
      {"pinched segment, its ends", pinched, V({{1, 0, 0, 0}, {1, 0, 0, 1}}), true},
      {"pinched segment, an end outside", pinched, V({{1, 0, 0, 0}, {1, 1, 0, 0}}), false},
      {"triangle, its vertices", triangle, V({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}}), true},
      {"triangle, the origin missing", triangle, V({{1, 1, 0}, {1, 0, 1}}), false},
  };
  for (const auto &c : cases) {
    zonix::Conversion conv;
    conv.exact = true;
    conv.rational = c.out;
    EXPECT_EQ(zonix::passes_checker(c.in, conv), c.passes) << c.name;
  }
}

// x >= 1 and x <= 0: the sum of the rows is (-1, 0).
TEST(CheckConversion, EmptyNeedsARightFarkasVector)
{
  const QMatrix in = H({{-1, 1}, {0, -1}});
  const QMatrix out = qmatrix(dd_Generator, {}, {}, 2);
  const std::vector<mpq_class> right = {1, 1}, scaled = {3, 3}, unequal = {1, 2}, negative = {-1, -1},
                               short_ = {1}, zero = {0, 0};
  EXPECT_TRUE(zonix::check::conversion(in, out, &right));
  EXPECT_TRUE(zonix::check::conversion(in, out, &scaled));
  EXPECT_FALSE(zonix::check::conversion(in, out, &unequal));
  EXPECT_FALSE(zonix::check::conversion(in, out, &negative));
  EXPECT_FALSE(zonix::check::conversion(in, out, &short_));
  EXPECT_FALSE(zonix::check::conversion(in, out, &zero));
  EXPECT_FALSE(zonix::check::conversion(in, out));
  // an equation's multiplier may be negative: x = 1 as an equation, x <= 0
  const QMatrix eq = H({{1, -1}, {0, -1}}, {1});
  const std::vector<mpq_class> y = {-1, 1};
  EXPECT_TRUE(zonix::check::conversion(eq, out, &y));
}

// Families whose vertices and facets are known by their definitions:
// [-1,1]^n (2^n vertices, 2n facets), the simplex conv(0, e_1..e_n) and the
// cross-polytope conv(+-e_i) (2n vertices, 2^n facets, each vertex on 2^(n-1)).
struct Family {
  std::string name;
  QRows h, v;
};

QRows sign_rows(long n, long lead, bool unit_facets)
{
  QRows out;
  if (unit_facets) {  // 1 -+ x_i >= 0 or the points +-e_i
    for (long i = 0; i < n; ++i)
      for (int s : {1, -1}) {
        QRow r(static_cast<std::size_t>(n + 1), 0);
        r[0] = lead, r[static_cast<std::size_t>(i + 1)] = lead == 1 && s == 1 ? -1 : s;
        if (lead == 1 && s == -1) r[static_cast<std::size_t>(i + 1)] = 1;
        out.push_back(r);
      }
    return out;
  }
  for (long b = 0; b < (1L << n); ++b) {  // every sign vector
    QRow r(static_cast<std::size_t>(n + 1), 0);
    r[0] = 1;
    for (long i = 0; i < n; ++i) r[static_cast<std::size_t>(i + 1)] = ((b >> i) & 1) != 0 ? lead : -lead;
    out.push_back(r);
  }
  return out;
}

std::vector<Family> families()
{
  std::vector<Family> f;
  for (long n = 2; n <= 6; ++n) {
    f.push_back({"cube-" + std::to_string(n), sign_rows(n, 1, true), sign_rows(n, 1, false)});
    QRows sh, sv;
    for (long i = 0; i <= n; ++i) {
      QRow h(static_cast<std::size_t>(n + 1), 0), v(static_cast<std::size_t>(n + 1), 0);
      v[0] = 1;
      if (i < n) h[static_cast<std::size_t>(i + 1)] = 1, v[static_cast<std::size_t>(i + 1)] = 1;
      else
        for (long j = 0; j <= n; ++j) h[static_cast<std::size_t>(j)] = j == 0 ? 1 : -1;
      sh.push_back(h), sv.push_back(v);
    }
    f.push_back({"simplex-" + std::to_string(n), sh, sv});
  }
  for (long n = 2; n <= 4; ++n) {
    QRows v;
    for (long i = 0; i < n; ++i)
      for (int s : {1, -1}) {
        QRow r(static_cast<std::size_t>(n + 1), 0);
        r[0] = 1, r[static_cast<std::size_t>(i + 1)] = s;
        v.push_back(r);
      }
    f.push_back({"cross-" + std::to_string(n), sign_rows(n, 1, false), v});
  }
  return f;
}

TEST(CheckConversion, FamiliesRightAndEachElementMissingOrDoubled)
{
  for (const Family &f : families()) {
    SCOPED_TRACE(f.name);
    EXPECT_TRUE(zonix::check::conversion(H(f.h), V(f.v))) << zonix::check::conversion(H(f.h), V(f.v)).why;
    EXPECT_TRUE(zonix::check::conversion(V(f.v), H(f.h))) << zonix::check::conversion(V(f.v), H(f.h)).why;
    for (std::size_t k = 0; k < f.v.size(); ++k) {
      EXPECT_FALSE(zonix::check::conversion(H(f.h), V(drop(f.v, k)))) << "vertex " << k;
      EXPECT_FALSE(zonix::check::conversion(H(f.h), V(plus(f.v, {f.v[k]})))) << "vertex " << k;
    }
    for (std::size_t k = 0; k < f.h.size(); ++k) {
      EXPECT_FALSE(zonix::check::conversion(V(f.v), H(drop(f.h, k)))) << "facet " << k;
      // the facet pushed out by one: valid, no longer tight anywhere
      QRows moved = f.h;
      moved[k][0] += 1;
      EXPECT_FALSE(zonix::check::conversion(V(f.v), H(moved))) << "facet " << k;
    }
  }
}

// The n-cube's 2^n vertices: n 2^n ridges, past 8192 from n = 10 on.
TEST(CheckConversion, LargeCubesRightAndSpoiled)
{
  for (long n : {10L, 11L}) {
    SCOPED_TRACE(n);
    const QRows h = sign_rows(n, 1, true), v = sign_rows(n, 1, false);
    EXPECT_TRUE(zonix::check::conversion(H(h), V(v)));
    EXPECT_TRUE(zonix::check::conversion(H(h), *integers(V(v))));
    for (std::size_t k : {std::size_t{0}, v.size() / 3, v.size() - 1}) {
      EXPECT_FALSE(zonix::check::conversion(H(h), *integers(V(drop(v, k))))) << "vertex " << k << " missing";
      EXPECT_FALSE(zonix::check::conversion(H(h), *integers(V(plus(v, {v[k]}))))) << "vertex " << k << " twice";
      QRows moved = v;  // a vertex pulled to the middle of an edge
      moved[k][1] = 0;
      EXPECT_FALSE(zonix::check::conversion(H(h), *integers(V(moved)))) << "vertex " << k << " moved";
    }
  }
}

QMatrix exact_convert(const QMatrix &in, zonix::QFamily *adj = nullptr)
{
  zonix::ExactConvert rq;
  rq.input = &in, rq.adjacency = adj != nullptr;
  zonix::ExactResult res;
  zonix_exact_convert(&rq, &res);
  EXPECT_EQ(res.error, dd_NoError);
  if (adj != nullptr) *adj = res.adjacency;
  return res.output;
}

// Random point sets, some with points inside or on faces, through the exact
// engine: its answers pass both ways, and each answer spoiled does not.
TEST(CheckConversion, ExactEngineAnswersPassAndSpoiledOnesDoNot)
{
  zonix::Random31 rng(7);
  for (int round = 0; round < 40; ++round) {
    const long d = 3 + round % 3, pts = d + 2 + round % 9;
    QRows v;
    for (long i = 0; i < pts; ++i) {
      QRow r{1};
      for (long j = 0; j < d; ++j) r.emplace_back(static_cast<long>(rng.next() % (round % 2 == 0 ? 3 : 11)) - 1);
      v.push_back(r);
    }
    if (round % 5 == 4) v.push_back(QRow(static_cast<std::size_t>(d + 1), 0)), v.back()[1] = 1;  // a ray
    SCOPED_TRACE("round " + std::to_string(round));
    zonix::QFamily hadj, vadj;
    const QMatrix vin = V(v), hout = exact_convert(vin, &hadj);
    const auto yes = zonix::check::adjacency(vin, hout, hadj);
    ASSERT_TRUE(yes) << yes.why;
    const QMatrix vout = exact_convert(hout, &vadj);
    const auto back = zonix::check::adjacency(hout, vout, vadj);
    ASSERT_TRUE(back) << back.why;
    if (!yes) continue;
    QMatrix fewer = hout;
    for (long r = 0; r < hout.rows; ++r)
      if (std::find(hout.linearity.begin(), hout.linearity.end(), r + 1) == hout.linearity.end()) {
        fewer.entries.erase(fewer.entries.begin() + r * hout.cols, fewer.entries.begin() + (r + 1) * hout.cols);
        --fewer.rows;
        for (auto &l : fewer.linearity) l -= l > r + 1 ? 1 : 0;
        break;
      }
    if (fewer.rows < hout.rows) {
      EXPECT_FALSE(zonix::check::conversion(vin, fewer));
    }
    QMatrix nudged = vout;
    if (nudged.rows > 0) {
      nudged.at(0, 1) += mpq_class(1, 1000);
      EXPECT_FALSE(zonix::check::conversion(hout, nudged));
    }
  }
}

// ---- LPs and the queries ---------------------------------------------------------

QMatrix LP(const QRows &rows, std::vector<long> lin, const QRow &obj, dd_LPObjectiveType sense)
{
  QMatrix M = H(rows, std::move(lin));
  M.rowvec = obj, M.objective = sense;
  return M;
}

// the unit square as x >= 0, x <= 1, y >= 0, y <= 1
const QRows kSq = {{0, 1, 0}, {1, -1, 0}, {0, 0, 1}, {1, 0, -1}};

struct LPCase {
  const char *name;
  QMatrix lp;
  dd_LPStatusType status;
  Q x, y, dir;
  bool ok;
};

std::ostream &operator<<(std::ostream &o, const LPCase &c) { return o << c.name; }

// Multipliers worked out by hand from s c + sum y_i r_i = 0 (s = 1 for max).
const LPCase kLPCases[] = {
    {"max-x+y", LP(kSq, {}, {0, 1, 1}, dd_LPmax), dd_Optimal, {1, 1}, {0, 1, 0, 1}, {}, true},
    {"max-x+y-with-constant", LP(kSq, {}, {5, 1, 1}, dd_LPmax), dd_Optimal, {1, 1}, {0, 1, 0, 1}, {}, true},
    {"max-x+y-short-point", LP(kSq, {}, {0, 1, 1}, dd_LPmax), dd_Optimal, {1, kHalf}, {0, 1, 0, 1}, {}, false},
    {"max-x+y-outside-point", LP(kSq, {}, {0, 1, 1}, dd_LPmax), dd_Optimal, {2, 0}, {0, 1, 0, 1}, {}, false},
    {"max-x+y-wrong-duals", LP(kSq, {}, {0, 1, 1}, dd_LPmax), dd_Optimal, {1, 1}, {0, 1, 0, 2}, {}, false},
    {"max-x+y-negative-dual", LP(kSq, {}, {0, 1, 1}, dd_LPmax), dd_Optimal, {1, 1}, {-1, 0, 0, 1}, {}, false},
    {"min-x+y", LP(kSq, {}, {0, 1, 1}, dd_LPmin), dd_Optimal, {0, 0}, {1, 0, 1, 0}, {}, true},
    {"min-x+y-max-duals", LP(kSq, {}, {0, 1, 1}, dd_LPmin), dd_Optimal, {0, 0}, {0, 1, 0, 1}, {}, false},
    // x + y = 1 as an equation, x, y >= 0: the equation's multiplier is free
    {"max-x-on-equation", LP({{-1, 1, 1}, {0, 1, 0}, {0, 0, 1}}, {1}, {0, 1, 0}, dd_LPmax), dd_Optimal, {1, 0},
     {-1, 0, 1}, {}, true},
    {"max-x-off-equation", LP({{-1, 1, 1}, {0, 1, 0}, {0, 0, 1}}, {1}, {0, 1, 0}, dd_LPmax), dd_Optimal,
     {kHalf, 0}, {-1, 0, 1}, {}, false},
    // x >= 1 and x <= 0
    {"infeasible", LP({{-1, 1}, {0, -1}}, {}, {0, 1}, dd_LPmax), dd_Inconsistent, {}, {1, 1}, {}, true},
    {"infeasible-unequal-multipliers", LP({{-1, 1}, {0, -1}}, {}, {0, 1}, dd_LPmax), dd_Inconsistent, {}, {1, 2}, {},
     false},
    {"infeasible-claimed-for-square", LP(kSq, {}, {0, 1, 1}, dd_LPmax), dd_Inconsistent, {}, {1, 1, 0, 0}, {}, false},
    // x, y >= 0, maximise x
    {"unbounded", LP({{0, 1, 0}, {0, 0, 1}}, {}, {0, 1, 0}, dd_LPmax), dd_DualInconsistent, {0, 0}, {}, {1, 0}, true},
    {"unbounded-point-unknown", LP({{0, 1, 0}, {0, 0, 1}}, {}, {0, 1, 0}, dd_LPmax), dd_DualInconsistent, {}, {},
     {1, 0}, true},
    {"unbounded-leaving-direction", LP({{0, 1, 0}, {0, 0, 1}}, {}, {0, 1, 0}, dd_LPmax), dd_DualInconsistent, {0, 0},
     {}, {-1, 0}, false},
    {"unbounded-flat-direction", LP({{0, 1, 0}, {0, 0, 1}}, {}, {0, 1, 0}, dd_LPmax), dd_DualInconsistent, {0, 0}, {},
     {0, 1}, false},
    {"unbounded-minimum-claimed", LP({{0, 1, 0}, {0, 0, 1}}, {}, {0, 1, 0}, dd_LPmin), dd_DualInconsistent, {0, 0},
     {}, {1, 0}, false},
    {"unbounded-infeasible-point", LP({{0, 1, 0}, {0, 0, 1}}, {}, {0, 1, 0}, dd_LPmax), dd_DualInconsistent,
     {-1, 0}, {}, {1, 0}, false},
    {"undecided", LP(kSq, {}, {0, 1, 1}, dd_LPmax), dd_LPSundecided, {1, 1}, {0, 1, 0, 1}, {}, false},
};

class LPCheck : public ::testing::TestWithParam<LPCase> {};

TEST_P(LPCheck, VerdictAsWorkedOut)
{
  const LPCase &c = GetParam();
  const auto v = zonix::check::lp(c.lp, c.status, c.x, c.y, c.dir);
  EXPECT_EQ(v.ok, c.ok) << v.why;
}

INSTANTIATE_TEST_SUITE_P(Check, LPCheck, ::testing::ValuesIn(kLPCases), [](const auto &info) {
  std::string s = info.param.name;
  for (auto &ch : s)
    if (ch == '-' || ch == '+') ch = '_';
  return s;
});

TEST(CheckInterior, MarginOfTheSquaresCentre)
{
  const QMatrix sq = H(kSq), line = H(kSq, {1});
  EXPECT_TRUE(zonix::check::interior(sq, {kHalf, kHalf}, kHalf));
  EXPECT_TRUE(zonix::check::interior(sq, {kHalf, kHalf}, mpq_class(1, 3)));
  EXPECT_FALSE(zonix::check::interior(sq, {kHalf, kHalf}, mpq_class(3, 5)));
  EXPECT_FALSE(zonix::check::interior(sq, {mpq_class(1, 4), kHalf}, kHalf));
  EXPECT_FALSE(zonix::check::interior(sq, {kHalf, kHalf}, 0));
  EXPECT_FALSE(zonix::check::interior(sq, {kHalf}, mpq_class(1, 4)));
  // x = 0 as an equation: the point must lie on it
  EXPECT_TRUE(zonix::check::interior(line, {0, kHalf}, kHalf));
  EXPECT_FALSE(zonix::check::interior(line, {kHalf, kHalf}, mpq_class(1, 4)));
}

TEST(CheckRedundancy, HRowsImpliedAndKept)
{
  // x <= 1, x <= 2, x >= 0: x <= 2 is x <= 1 plus the slack 1
  const QMatrix in = H({{1, -1}, {2, -1}, {0, 1}});
  const std::vector<Q> good_w = {{mpq_class(3, 2)}, {-1}};
  EXPECT_TRUE(zonix::check::redundancy(in, {1, 3}, terms({{1, 0}}), good_w));
  EXPECT_FALSE(zonix::check::redundancy(in, {1, 3}, terms({{2, 0}}), good_w));
  EXPECT_FALSE(zonix::check::redundancy(in, {1, 3}, terms({{-1, 1}}), good_w));
  EXPECT_FALSE(zonix::check::redundancy(in, {1, 3}, terms({{1, 0}}), {{kHalf}, {-1}}));
  EXPECT_FALSE(zonix::check::redundancy(in, {1, 3}, terms({{1, 0}}), {good_w[0]}));
  // keeping x <= 2 too: no point breaks it alone
  EXPECT_FALSE(zonix::check::redundancy(in, {1, 2, 3}, terms({}), {good_w[0], {3}, good_w[1]}));
  // x <= 1 derived from x <= 2 is wrong: the slack would be negative
  const std::vector<Q> w2 = {{3}, {-1}};
  EXPECT_FALSE(zonix::check::redundancy(in, {2, 3}, terms({{1, 0}}), w2));
  // an equation may not go
  EXPECT_FALSE(zonix::check::redundancy(H({{1, -1}, {2, -1}, {0, 1}}, {2}), {1, 3}, terms({{1, 0}}), good_w));
}

TEST(CheckRedundancy, VCentreOfTheSquare)
{
  const QMatrix in = V({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, kHalf, kHalf}});
  const mpq_class q(1, 4);
  // each corner cut off by a row that holds on the other three
  const std::vector<Q> sep = {{-1, 2, 2}, {1, -2, 2}, {1, 2, -2}, {3, -2, -2}};
  EXPECT_TRUE(zonix::check::redundancy(in, {1, 2, 3, 4}, terms({{q, q, q, q}}), sep));
  EXPECT_TRUE(zonix::check::redundancy(in, {1, 2, 3, 4}, terms({{0, kHalf, kHalf, 0}}), sep));
  EXPECT_FALSE(zonix::check::redundancy(in, {1, 2, 3, 4}, terms({{kHalf, kHalf, 0, 0}}), sep));
  EXPECT_FALSE(zonix::check::redundancy(in, {1, 2, 3, 4}, terms({{q, q, q, q}}), {sep[1], sep[0], sep[2], sep[3]}));
  // the centre kept: nothing separates it from the corners
  EXPECT_FALSE(zonix::check::redundancy(in, {1, 2, 3, 4, 5}, terms({}), {sep[0], sep[1], sep[2], sep[3], {0, 1, -1}}));
}

// Strong redundancy, each certificate worked out by hand, and each spoiled
// once: kept rows, the removed rows' combinations, the kept rows' witnesses.
struct StrongCase {
  const char *name;
  QMatrix in;
  std::vector<long> kept;
  std::vector<Q> combination, witness;
  bool strong_ok, plain_ok;  // the verdict with and without strong
};

std::vector<StrongCase> strong_cases()
{
  const mpq_class q(1, 4), e(1, 8);
  // x <= 1, x <= 2, x >= 0: x <= 2 is x <= 1 plus the slack 1; x = 1 and x = 0 touch the others
  const QMatrix seg = H({{1, -1}, {2, -1}, {0, 1}});
  // x <= 1, x <= 2, x <= 3, x >= 0: x <= 3 is x <= 2 plus 1
  const QMatrix steps = H({{1, -1}, {2, -1}, {3, -1}, {0, 1}});
  // x <= 1 twice with x >= 0: the copy touches the segment (slack 0)
  const QMatrix twice = H({{1, -1}, {1, -1}, {0, 1}});
  // y >= 0, y >= -1, x free: y >= -1 is y >= 0 plus 1
  const QMatrix band = H({{0, 0, 1}, {1, 0, 1}});
  // points of the unit square on one side each: (1, 1/2), (1/2, 1), (0, 1/2), (1/2, 0)
  const std::vector<Q> touched = {{1, kHalf}, {kHalf, 1}, {0, kHalf}, {kHalf, 0}};
  // x >= 1, x <= 0: empty; each row only <= 0 where the other holds
  const QMatrix none = H({{-1, 1}, {0, -1}});
  // the square's corners, its centre (row 5) and the midpoint (1/2, 0) of an edge (row 6)
  const QMatrix sq = V({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, kHalf, kHalf}, {1, kHalf, 0}});
  // z per corner and the midpoint, 0 there: x + y, y, 1 - y, 2 - x - y, y
  const std::vector<Q> touch = {{0, 1, 1}, {0, 0, 1}, {1, 0, -1}, {2, -1, -1}, {0, 0, 1}};
  const Q centre = {e, e, q, q, q};  // (1/2, 1/2) from the corners and the midpoint
  // a line e1 (row 1), the ray e2 and the ray (-1, 1): the upper half-plane
  const QMatrix half = V({{0, 1, 0}, {0, 0, 1}, {0, -1, 1}}, {1});
  return {
      {"H right", seg, {1, 3}, {{1, 0}}, {{1}, {0}}, true, false},
      {"H kept rows broken, both kinds", seg, {1, 3}, {{1, 0}}, {{2}, {-1}}, true, true},
      {"H multiplier of the wrong sign", seg, {1, 3}, {{0, -1}}, {{1}, {0}}, false, false},
      {"H slack 0 where > 0 is needed", twice, {1, 3}, {{1, 0}}, {{1}, {0}}, false, false},
      {"H slack 0 is plain redundancy", twice, {1, 3}, {{1, 0}}, {{2}, {-1}}, false, true},
      {"H x <= 3 from x <= 2, removed before it", steps, {1, 4}, {{1, 0}, {0, 0, 1}}, {{1}, {0}}, true, false},
      {"H x <= 2 from x <= 3, removed after it", steps, {1, 4}, {{0, 0, 0, 1}, {1, 0}}, {{1}, {0}}, false, false},
      {"H witness off its hyperplane", seg, {1, 3}, {{1, 0}}, {{1}, {kHalf}}, false, false},
      {"H square, each row touched", H(kSquareH), {1, 2, 3, 4}, {}, touched, true, false},
      {"H witness breaking another kept row", H(kSquareH), {1, 2, 3, 4}, {}, plus({{1, -1}}, drop(touched, 0)), false, false},
      {"H unbounded right", band, {1}, {{1}}, {{7, 0}}, true, false},
      {"H unbounded, row 1 kept off its hyperplane", band, {1}, {{1}}, {{7, 1}}, false, false},
      {"H empty, nothing removed", none, {1, 2}, {}, {{0}, {1}}, true, true},
      {"V centre inside", sq, {1, 2, 3, 4, 6}, {centre}, touch, true, false},
      {"V centre with a coefficient 0", sq, {1, 2, 3, 4, 6}, {{q, q, q, q, 0}}, touch, false, false},
      {"V midpoint on a face", sq, {1, 2, 3, 4}, {{q, q, q, q}, {kHalf, kHalf, 0, 0}}, drop(touch, 4), false, false},
      {"V witness zero on every generator", sq, {1, 2, 3, 4, 6}, {centre}, plus(drop(touch, 4), {{0, 0, 0}}), false, false},
      {"V witness of the wrong sign", sq, {1, 2, 3, 4, 6}, {centre}, plus({touch[0], {0, 0, -1}}, drop(drop(touch, 0), 0)), false, false},
      {"V witness positive on its own generator", sq, {1, 2, 3, 4, 6}, {centre}, plus({{1, 0, 0}}, drop(touch, 0)), false, false},
      {"V ray inside, the line's coefficient free", half, {1, 2}, {{-1, 1}}, {{}, {0, 0, -1}}, true, true},
      {"V ray inside, the ray's coefficient 0", half, {1, 2}, {{-1, 0}}, {{}, {0, 0, -1}}, false, false},
  };
}

TEST(CheckRedundancy, StrongCertificatesRightAndSpoiled)
{
  for (const auto &c : strong_cases()) {
    EXPECT_EQ(static_cast<bool>(zonix::check::redundancy(c.in, c.kept, terms(c.combination), c.witness, true)), c.strong_ok) << c.name;
    EXPECT_EQ(static_cast<bool>(zonix::check::redundancy(c.in, c.kept, terms(c.combination), c.witness)), c.plain_ok) << c.name;
  }
}

TEST(CheckLinearity, ImplicitLinesOfGenerators)
{
  // the origin, rays e1, -e1, e2: rows 2 and 3 are lines (y sums them to 0),
  // z = (1, 0, 1) is 1 on the origin and on e2, 0 on +-e1
  const QMatrix g = V({{1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}});
  const Q y = {0, 1, 1, 0}, z = {1, 0, 1};
  struct {
    const char *name;
    std::vector<long> implicit;
    Q y, z;
    bool ok;
  } const cases[] = {
      {"right", {2, 3}, y, z, true},
      {"scaled", {2, 3}, {0, 3, 3, 0}, {2, 0, 5}, true},
      {"row 3 left out", {2}, y, z, false},
      {"e2 claimed", {2, 3, 4}, {0, 1, 1, 1}, z, false},
      {"the sum not zero", {2, 3}, {0, 1, 2, 0}, z, false},
      {"z negative on -e1", {2, 3}, y, {1, 1, 1}, false},
      {"z zero on e2", {2, 3}, y, {1, 0, 0}, false},
      {"nothing claimed", {}, {}, {1, 1, 1}, false},
  };
  for (const auto &c : cases) EXPECT_EQ(static_cast<bool>(zonix::check::linearity(g, c.implicit, c.y, c.z)), c.ok) << c.name;
  // a declared line is no implicit one, and needs z = 0 on it
  const QMatrix lined = V({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {2});
  EXPECT_TRUE(zonix::check::linearity(lined, {}, {}, {1, 0, 1}));
  EXPECT_FALSE(zonix::check::linearity(lined, {}, {}, {1, 1, 1}));
  EXPECT_FALSE(zonix::check::linearity(lined, {2}, {0, 1, 0}, {1, 0, 1}));
}

TEST(CheckLinearity, EquationWrittenAsTwoRows)
{
  // x <= 0, x >= 0, y >= 0, y <= 1: rows 1 and 2 hold with equality
  const QMatrix in = H({{0, -1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, -1}});
  EXPECT_TRUE(zonix::check::linearity(in, {1, 2}, {1, 1, 0, 0}, {0, kHalf}));
  EXPECT_TRUE(zonix::check::linearity(in, {1, 2}, {3, 3, 0, 0}, {0, mpq_class(1, 3)}));
  EXPECT_FALSE(zonix::check::linearity(in, {1}, {1, 1, 0, 0}, {0, kHalf}));          // row 2 left out
  EXPECT_FALSE(zonix::check::linearity(in, {1, 2, 3}, {1, 1, 1, 0}, {0, kHalf}));   // y >= 0 is no equation
  EXPECT_FALSE(zonix::check::linearity(in, {1, 2}, {1, 2, 0, 0}, {0, kHalf}));      // not zero
  EXPECT_FALSE(zonix::check::linearity(in, {1, 2}, {1, 1, 0, 0}, {0, 1}));          // y <= 1 tight there
  EXPECT_FALSE(zonix::check::linearity(in, {}, {0, 0, 0, 0}, {0, kHalf}));
  EXPECT_TRUE(zonix::check::linearity(H(kSq), {}, {}, {kHalf, kHalf}));
}

// Neighbours worked out from the pictures: a square's corners two each, the
// octahedron's vertices all but the opposite one, the pyramid's apex all.
TEST(CheckAdjacency, AsTheLibraryListsIt)
{
  using F = zonix::QFamily;
  const F square = {{2, 3}, {1, 4}, {1, 4}, {2, 3}};
  EXPECT_TRUE(zonix::check::adjacency(H(kSquareH), V(kSquareV), square));
  EXPECT_FALSE(zonix::check::adjacency(H(kSquareH), V(kSquareV), F{{2, 3, 4}, {1, 4}, {1, 4}, {2, 3}}));
  EXPECT_FALSE(zonix::check::adjacency(H(kSquareH), V(kSquareV), F{{2}, {1, 4}, {1, 4}, {2, 3}}));
  EXPECT_FALSE(zonix::check::adjacency(H(kSquareH), V(kSquareV), F{{2, 3}, {1, 4}, {1, 4}}));
  EXPECT_FALSE(zonix::check::adjacency(H(kSquareH), V(drop(kSquareV, 3)), F{{2, 3}, {1}, {1}}));
  const F octa = {{3, 4, 5, 6}, {3, 4, 5, 6}, {1, 2, 5, 6}, {1, 2, 5, 6}, {1, 2, 3, 4}, {1, 2, 3, 4}};
  EXPECT_TRUE(zonix::check::adjacency(H(kOctaH), V(kOctaV), octa));
  F octa_wrong = octa;
  octa_wrong[0].push_back(2);
  EXPECT_FALSE(zonix::check::adjacency(H(kOctaH), V(kOctaV), octa_wrong));
  const F pyramid = {{2, 3, 5}, {1, 4, 5}, {1, 4, 5}, {2, 3, 5}, {1, 2, 3, 4}};
  EXPECT_TRUE(zonix::check::adjacency(H(kPyramidH), V(kPyramidV), pyramid));
  // the cube's facets: all but the opposite one
  const F cube = {{3, 4, 5, 6}, {3, 4, 5, 6}, {1, 2, 5, 6}, {1, 2, 5, 6}, {1, 2, 3, 4}, {1, 2, 3, 4}};
  EXPECT_TRUE(zonix::check::adjacency(V(kCubeV), H(kCubeH), cube));
  // y <= 1: the point and the ray share the whole half-plane; the line (row
  // 3) is next to everything else, not to itself
  EXPECT_TRUE(zonix::check::adjacency(H({{1, 0, -1}}), V({{1, 0, 1}, {0, 0, -1}, {0, 1, 0}}, {3}),
                                      F{{2, 3}, {1, 3}, {1, 2}}));
  EXPECT_FALSE(zonix::check::adjacency(H({{1, 0, -1}}), V({{1, 0, 1}, {0, 0, -1}, {0, 1, 0}}, {3}),
                                       F{{2, 3}, {1, 3}, {1, 2, 3}}));
  EXPECT_FALSE(zonix::check::adjacency(H({{1, 0, -1}}), V({{1, 0, 1}, {0, 0, -1}, {0, 1, 0}}, {3}),
                                       F{{2}, {1}, {1, 2, 3}}));
}

// [0,1]^3 without z is the unit square; 0 <= z <= x <= 1 without z is [0,1].
TEST(CheckProjection, CubeToSquareAndWedgeToSegment)
{
  const QMatrix cube = H({{0, 1, 0, 0}, {1, -1, 0, 0}, {0, 0, 1, 0}, {1, 0, -1, 0}, {0, 0, 0, 1}, {1, 0, 0, -1}});
  const QMatrix square = H(kSq);
  const std::vector<Q> comb = {{1, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0}, {0, 0, 0, 1, 0, 0}};
  const std::vector<std::vector<Q>> pts = {{{0, 0, 0}, {0, 1, 1}}, {{1, 0, 0}, {1, 1, 0}},
                                           {{0, 0, 1}, {1, 0, 0}}, {{0, 1, 0}, {1, 1, 1}}};
  const Q inner = {kHalf, kHalf, kHalf};
  EXPECT_TRUE(zonix::check::projection(cube, {4}, square, comb, pts, inner));
  EXPECT_FALSE(zonix::check::projection(cube, {3}, square, comb, pts, inner));  // y eliminated instead
  std::vector<std::vector<Q>> same_point = pts;
  same_point[0][1] = {0, 0, 1};  // projects onto the first point
  EXPECT_FALSE(zonix::check::projection(cube, {4}, square, comb, same_point, inner));
  EXPECT_FALSE(zonix::check::projection(cube, {4}, square, comb, pts, {1, kHalf, kHalf}));  // on x <= 1
  EXPECT_FALSE(zonix::check::projection(cube, {4}, square, comb, pts, {2, kHalf, kHalf}));  // outside
  // x + y <= 2 holds but touches the square in one corner only
  const QMatrix with_diag = H(plus(kSq, {{2, -1, -1}}));
  std::vector<Q> comb5 = comb;
  comb5.push_back({0, 1, 0, 1, 0, 0});
  std::vector<std::vector<Q>> pts5 = pts;
  pts5.push_back({{1, 1, 0}, {1, 1, 1}});
  EXPECT_FALSE(zonix::check::projection(cube, {4}, with_diag, comb5, pts5, inner));

  const QMatrix wedge = H({{0, 0, 1}, {0, 1, -1}, {1, -1, 0}});
  const QMatrix segment = H({{0, 1}, {1, -1}});
  const std::vector<std::vector<Q>> ends = {{{0, 0}}, {{1, kHalf}}};
  EXPECT_TRUE(zonix::check::projection(wedge, {3}, segment, {{1, 1, 0}, {0, 0, 1}}, ends, {kHalf, mpq_class(1, 4)}));
  // x - z >= 0 alone still holds z
  EXPECT_FALSE(zonix::check::projection(wedge, {3}, segment, {{0, 1, 0}, {0, 0, 1}}, ends, {kHalf, mpq_class(1, 4)}));
  // an equation may only come from equations
  EXPECT_FALSE(zonix::check::projection(wedge, {3}, H({{0, 1}, {1, -1}}, {1}), {{1, 1, 0}, {0, 0, 1}}, {{}, ends[1]},
                                        {kHalf, mpq_class(1, 4)}));
}

// The exact LP solver's answers as certificates: nbindex[j] names the row
// nonbasic in column j (past the input rows, the negated copies of the
// equations in order) and s dsol[j-1] is its multiplier (s = -1 for min);
// an infeasible LP adds the evidence row re with multiplier 1; an
// unbounded one has its direction in sol.
TEST(CheckLP, ExactSolverAnswersCertify)
{
  zonix::Random31 rng(11);
  int statuses[8] = {};
  for (int round = 0; round < 60; ++round) {
    const long d = 2 + round % 3, m = d + 1 + static_cast<long>(rng.next() % 5);
    QRows rows;
    for (long i = 0; i < m; ++i) {
      QRow r;
      for (long j = 0; j <= d; ++j) r.emplace_back(static_cast<long>(rng.next() % 7) - 3);
      rows.push_back(r);
    }
    QRow obj;
    for (long j = 0; j <= d; ++j) obj.emplace_back(static_cast<long>(rng.next() % 5) - 2);
    const std::vector<long> lin = round % 4 == 3 ? std::vector<long>{2} : std::vector<long>{};
    const QMatrix in = LP(rows, lin, obj, round % 2 == 0 ? dd_LPmax : dd_LPmin);
    zonix::ExactLP rq;
    rq.input = &in, rq.solver = round % 3 == 0 ? dd_CrissCross : dd_DualSimplex;
    zonix::ExactResult res;
    zonix_exact_lp(&rq, &res);
    ASSERT_EQ(res.error, dd_NoError);
    SCOPED_TRACE("round " + std::to_string(round) + " status " + std::to_string(res.status));
    ++statuses[res.status];
    const int s = in.objective == dd_LPmax ? 1 : -1;
    Q y(static_cast<std::size_t>(m), 0);
    auto add = [&](long r, const mpq_class &w) {
      if (r <= m) y[static_cast<std::size_t>(r - 1)] += w;
      else y[static_cast<std::size_t>(lin[static_cast<std::size_t>(r - m - 1)] - 1)] -= w;
    };
    for (std::size_t j = 2; j <= static_cast<std::size_t>(d + 1); ++j)
      if (res.nbindex[j] > 0) add(res.nbindex[j], s * res.dsol[j - 1]);
    const Q point(res.sol.begin() + 1, res.sol.begin() + d + 1);
    if (res.status == dd_Optimal) {
      EXPECT_TRUE(zonix::check::lp(in, res.status, point, y, {}));
      Q off = y;
      off[0] += 1;
      EXPECT_FALSE(zonix::check::lp(in, res.status, point, off, {}));
    } else if (res.status == dd_Inconsistent) {
      add(res.re, 1);
      EXPECT_TRUE(zonix::check::lp(in, res.status, {}, y, {}));
    } else {
      EXPECT_TRUE(zonix::check::lp(in, res.status, {}, {}, point));
      EXPECT_FALSE(zonix::check::lp(in, res.status, {}, {}, Q(point.size(), 0)));
    }
  }
  EXPECT_GT(statuses[dd_Optimal], 5);
  EXPECT_GT(statuses[dd_Inconsistent] + statuses[dd_DualInconsistent] + statuses[dd_StrucDualInconsistent], 5);
}

}  // namespace
