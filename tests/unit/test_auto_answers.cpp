// Problems with answers worked out by hand, through the library's entry
// points in the default arithmetic (AutoAnswers) and in double precision
// (DoubleAnswers).  A fault seeded into the double build of a solver
// (tests/seed_faults.py, the "auto" faults) must show in the double answers
// while every default answer stays right: the checker refuses the faulty
// answer and the exact run gives the right one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support.hpp"
#include "zonixarith.hpp"
#include "zonixlp.h"
#include "zonixops.hpp"

using namespace zonix::test;

namespace {

using zonix::Arithmetic;
using Answer = std::function<std::string(Arithmetic)>;  // "" when right

// Rows scaled so that their largest entry is 1 in absolute value, rounded
// to 1e-9, as a sorted set: equal sets are the same rows up to positive
// factors.
std::set<Row> normalised(const Rows &rows)
{
  std::set<Row> out;
  for (Row r : rows) {
    double big = 0.0;
    for (double x : r) big = std::max(big, std::fabs(x));
    for (double &x : r) x = big == 0.0 ? 0.0 : std::round(x / big * 1e9) / 1e9 + 0.0;
    out.insert(r);
  }
  return out;
}

// Points (1, v) scaled to first entry 1; rays as normalised rows.
std::set<Row> generators(dd_MatrixPtr G)
{
  Rows rows = rows_of(G);
  for (Row &r : rows)
    if (r[0] != 0.0)
      for (double &x : r) x /= r[0];
  return normalised(rows);
}

const Rows kCube = {{1, -1, 0, 0}, {1, 1, 0, 0}, {1, 0, -1, 0}, {1, 0, 1, 0}, {1, 0, 0, -1}, {1, 0, 0, 1}};
const Rows kCubeV = {{1, 1, 1, 1},  {1, 1, 1, -1},  {1, 1, -1, 1},  {1, 1, -1, -1},
                     {1, -1, 1, 1}, {1, -1, 1, -1}, {1, -1, -1, 1}, {1, -1, -1, -1}};
// [0,1]^2 and [0,1]^3 as b - a.x >= 0
const Rows kSquare = {{0, 1, 0}, {1, -1, 0}, {0, 0, 1}, {1, 0, -1}};
const Rows kUnitCube = {{0, 1, 0, 0}, {1, -1, 0, 0}, {0, 0, 1, 0}, {1, 0, -1, 0}, {0, 0, 0, 1}, {1, 0, 0, -1}};
const Rows kEmptyBox = {{-1, 1, 0, 0}, {0, -1, 0, 0}, {0, 0, 1, 0}, {1, 0, -1, 0}, {0, 0, 0, 1}, {1, 0, 0, -1}};

std::string conversion(const Rows &in, dd_RepresentationType rep, const Rows &want, Arithmetic a)
{
  zonix::ConvertOptions o;
  o.arithmetic = a;
  const Matrix M = matrix(in, rep);
  const zonix::Conversion c = zonix::convert(M.get(), o);
  if (c.error != dd_NoError || c.output == nullptr) return "error " + std::to_string(c.error);
  const bool h_out = rep == dd_Generator;
  const std::set<Row> got = h_out ? normalised(rows_of(c.output.get())) : generators(c.output.get());
  return got == (h_out ? normalised(want) : generators(matrix(want, dd_Generator).get())) ? "" : "other rows";
}

// [-1,1]^3: each vertex on the three facets of its signs, next to the
// three vertices that differ from it in one sign.
std::string cube_families(Arithmetic a)
{
  zonix::ConvertOptions o;
  o.arithmetic = a;
  o.adjacency = o.incidence = true;
  const Matrix M = matrix(kCube);
  const zonix::Conversion c = zonix::convert(M.get(), o);
  if (c.error != dd_NoError) return "error";
  const Rows v = rows_of(c.output.get());
  const auto adj = members(c.adjacency.get());
  const auto inc = members(c.incidence.get());
  if (v.size() != 8 || adj.size() != 8 || inc.size() != 8) return "wrong sizes";
  for (size_t k = 0; k < 8; ++k) {
    Members want_adj, want_inc;
    for (size_t l = 0; l < 8; ++l) {
      int differ = 0;
      for (int j = 1; j <= 3; ++j) differ += v[k][j] * v[l][j] < 0;
      if (differ == 1) want_adj.push_back(static_cast<long>(l + 1));
    }
    for (long i = 0; i < 6; ++i)  // row 2j + 1 is x_j <= 1, 2j + 2 is x_j >= -1
      if (v[k][i / 2 + 1] / v[k][0] == (i % 2 == 0 ? 1.0 : -1.0)) want_inc.push_back(i + 1);
    if (adj[k] != want_adj) return "adjacency of vertex " + std::to_string(k + 1);
    if (inc[k] != want_inc) return "incidence of vertex " + std::to_string(k + 1);
  }
  return "";
}

// rows (with lin), objective obj, sense; want: status, value, point (none:
// not compared) or direction (a ray of positive length, compared normalised).
std::string lp_answer(const Rows &rows, const Members &lin, const Row &obj, dd_LPObjectiveType sense,
                      dd_LPSolverType solver, dd_LPStatusType status, double value, const Row &x, Arithmetic a)
{
  Matrix M = matrix(rows, dd_Inequality, lin);
  M->objective = sense;
  for (size_t j = 0; j < obj.size(); ++j) ddd_set_d(M->rowvec[j], obj[j]);
  dd_ErrorType err = dd_NoError;
  LP lp(dd_Matrix2LP(M.get(), &err));
  bool exact = false;
  zonix::solve_lp(lp.get(), solver, a, &err, &exact);
  if (err != dd_NoError) return "error " + std::to_string(err);
  if (lp->LPS != status) return "status " + std::to_string(lp->LPS);
  Row got;
  for (size_t j = 1; j < obj.size(); ++j) got.push_back(ddd_get_d(lp->sol[j]));
  if (status == dd_Optimal && std::fabs(ddd_get_d(lp->optvalue) - value) > 1e-9 * (1 + std::fabs(value)))
    return "value";
  for (size_t j = 0; status == dd_Optimal && j < x.size(); ++j)
    if (std::fabs(got[j] - x[j]) > 1e-9) return "point";
  if (status == dd_DualInconsistent && normalised({got}) != normalised({x})) return "direction";
  return "";
}

std::string row_query(const Rows &rows, zonix::RowQuery q, const Members &want, Arithmetic a,
                      dd_RepresentationType rep = dd_Inequality)
{
  const Matrix M = matrix(rows, rep);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  const Set s(zonix::row_query(M.get(), q, a, &err, &exact));
  if (err != dd_NoError) return "error";
  return members(s.get()) == want ? "" : "other rows";
}

// Each row of H rows made an equation: the rows not strongly redundant on its face.
std::string weak_adjacency(const Rows &rows, const std::vector<Members> &want, Arithmetic a)
{
  const Matrix M = matrix(rows);
  zonix::ops::Request rq;
  rq.arithmetic = a;
  const zonix::ops::StrongRedundancy r = zonix::ops::strong_redundancy(M.get(), true, rq);
  if (r.err != dd_NoError) return "error";
  return members(r.weak.get()) == want ? "" : "other sets";
}

std::string projection(const Rows &rows, const std::vector<dd_colrange> &cols, zonix::proj::Method method,
                       const Rows &want, Arithmetic a)
{
  const Matrix M = matrix(rows);
  const zonix::Projection p = zonix::eliminate(M.get(), cols, method, true, a);
  if (p.error != dd_NoError || p.output == nullptr) return "error";
  return normalised(rows_of(p.output.get())) == normalised(want) ? "" : "other rows";
}

// The point with the largest common slack, and that slack.
std::string interior(const Rows &rows, double t, const Row &x, dd_LPSolverType solver, Arithmetic a)
{
  Matrix M = matrix(rows);
  M->objective = dd_LPmin;
  dd_ErrorType err = dd_NoError;
  LP lp(dd_Matrix2LP(M.get(), &err));
  LP lp2(dd_MakeLPforInteriorFinding(lp.get()));
  bool exact = false;
  zonix::solve_interior(M.get(), lp2.get(), solver, a, &err, &exact);
  if (err != dd_NoError || lp2->LPS != dd_Optimal) return "no optimum";
  if (std::fabs(ddd_get_d(lp2->optvalue) - t) > 1e-9) return "slack " + std::to_string(ddd_get_d(lp2->optvalue));
  for (size_t j = 0; j < x.size(); ++j)
    if (std::fabs(ddd_get_d(lp2->sol[j + 1]) - x[j]) > 1e-9) return "point";
  return "";
}

// The hull of V (points, rays) has `facets` rows besides 1 >= 0 (which
// may be listed), each >= 0 on every generator, exactly, and tight on
// some point.
std::string valid_hull(const Rows &v, long facets, Arithmetic a)
{
  zonix::ConvertOptions o;
  o.arithmetic = a;
  const Matrix M = matrix(v, dd_Generator);
  const zonix::Conversion c = zonix::convert(M.get(), o);
  if (c.error != dd_NoError) return "error";
  Rows h = rows_of(c.output.get());
  std::erase_if(h, [](const Row &r) { return r[0] > 0 && std::all_of(r.begin() + 1, r.end(), [](double x) { return x == 0; }); });
  if (static_cast<long>(h.size()) != facets) return std::to_string(h.size()) + " rows";
  for (const Row &r : h) {
    bool tight = false;
    for (const Row &g : v) {
      mpq_class dot = 0;
      for (size_t j = 0; j < r.size(); ++j) dot += mpq_class(r[j]) * mpq_class(g[j]);
      if (sgn(dot) < 0) return "a row excludes a generator";
      tight = tight || (g[0] != 0 && sgn(dot) == 0);
    }
    if (!tight) return "a row misses every point";
  }
  return "";
}

struct Case {
  std::string name;
  Answer answer;
  bool in_double = true;  // whether double precision gets it right too
};

std::vector<Case> cases()
{
  using RQ = zonix::RowQuery;
  using PM = zonix::proj::Method;
  const Rows square_plus = kSquare + Rows{{2, -1, 0}, {3, -1, -1}};  // x <= 2, x + y <= 3
  std::vector<Case> c = {
      {"cube vertices", [](Arithmetic a) { return conversion(kCube, dd_Inequality, kCubeV, a); }},
      {"cube facets", [](Arithmetic a) { return conversion(kCubeV, dd_Generator, kCube, a); }},
      // |x| + |y| + |z| <= 1: the six points +-e_i
      {"cross vertices",
       [](Arithmetic a) {
         Rows h;
         for (int s = 0; s < 8; ++s) h.push_back({1, s & 1 ? 1.0 : -1.0, s & 2 ? 1.0 : -1.0, s & 4 ? 1.0 : -1.0});
         return conversion(h, dd_Inequality,
                           {{1, 1, 0, 0}, {1, -1, 0, 0}, {1, 0, 1, 0}, {1, 0, -1, 0}, {1, 0, 0, 1}, {1, 0, 0, -1}}, a);
       }},
      {"cube families", cube_families},
      // max x + y on the square cut by x + 2y <= 2.5: at (1, 3/4)
      {"LP optimum, dual simplex",
       [](Arithmetic a) {
         return lp_answer(kSquare + Rows{{2.5, -1, -2}}, {}, {0, 1, 1}, dd_LPmax, dd_DualSimplex, dd_Optimal, 1.75,
                          {1, 0.75}, a);
       }},
      {"LP optimum, criss-cross",
       [](Arithmetic a) {
         return lp_answer(kSquare + Rows{{2.5, -1, -2}}, {}, {0, 1, 1}, dd_LPmax, dd_CrissCross, dd_Optimal, 1.75,
                          {1, 0.75}, a);
       }},
      // min x + y on x + y = 1, x, y >= 0: 1 (at any point of the segment;
      // the point is not compared)
      {"LP with an equation",
       [](Arithmetic a) {
         return lp_answer({{-1, 1, 1}, {0, 1, 0}, {0, 0, 1}}, {1}, {0, 1, 1}, dd_LPmin, dd_DualSimplex, dd_Optimal,
                          1.0, {}, a);
       }},
      // x >= 1 and x <= 0 (with 0 <= y <= 1)
      {"LP infeasible, criss-cross",
       [](Arithmetic a) {
         return lp_answer({{-1, 1, 0}, {0, -1, 0}, {0, 0, 1}, {1, 0, -1}}, {}, {0, 0, 1}, dd_LPmax, dd_CrissCross, dd_Inconsistent, 0, {},
                          a);
       }},
      {"LP infeasible, dual simplex",
       [](Arithmetic a) {
         return lp_answer({{-1, 1, 0}, {0, -1, 0}, {0, 0, 1}, {1, 0, -1}}, {}, {0, 0, 1}, dd_LPmax, dd_DualSimplex, dd_Inconsistent, 0, {},
                          a);
       }},
      // max x + y with x >= 0 and 0 <= y <= 1: unbounded along (1, 0)
      {"LP unbounded",
       [](Arithmetic a) {
         return lp_answer({{0, 1, 0}, {0, 0, 1}, {1, 0, -1}}, {}, {0, 1, 1}, dd_LPmax, dd_DualSimplex,
                          dd_DualInconsistent, 0, {1, 0}, a);
       }},
      {"redundant rows", [=](Arithmetic a) { return row_query(square_plus, RQ::Redundant, {5, 6}, a); }},
      // enough rows for the output-sensitive method: x <= 2..5, y <= 2..5 before the square
      {"redundant rows, many",
       [](Arithmetic a) {
         return row_query(Rows{{2, -1, 0}, {3, -1, 0}, {4, -1, 0}, {5, -1, 0}, {2, 0, -1}, {3, 0, -1}, {4, 0, -1}, {5, 0, -1}} +
                              kSquare,
                          RQ::Redundant, {1, 2, 3, 4, 5, 6, 7, 8}, a);
       }},
      // the square's corners after eight points of its diagonal
      {"redundant generators, many",
       [](Arithmetic a) {
         Rows g;
         for (int k = 1; k <= 8; ++k) g.push_back({1, k / 9.0, k / 9.0});
         return row_query(g + Rows{{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}}, RQ::Redundant, {1, 2, 3, 4, 5, 6, 7, 8}, a,
                          dd_Generator);
       }},
      // x <= 2 is never tight on the square; x + y <= 2 is, at (1, 1)
      {"strongly redundant rows",
       [](Arithmetic a) { return row_query(kSquare + Rows{{2, -1, 0}, {2, -1, -1}}, RQ::StronglyRedundant, {5}, a); }},
      // y >= 0 holds strictly wherever y >= 0 and x >= 0 do (x unbounded)
      {"strongly redundant, unbounded",
       [](Arithmetic a) { return row_query({{0, 0, 1}, {1, 0, 1}, {0, 1, 0}}, RQ::StronglyRedundant, {2}, a); }},
      // x >= 1 and x <= 0: nothing; each LP's least value is -1
      {"strongly redundant, empty",
       [](Arithmetic a) { return row_query({{-1, 1}, {0, -1}}, RQ::StronglyRedundant, {}, a); }},
      // the square's corners, its centre (inside) and the midpoint of its lower edge (on a face)
      {"strongly redundant generators",
       [](Arithmetic a) {
         return row_query({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, 0.5, 0.5}, {1, 0.5, 0}},
                          RQ::StronglyRedundant, {5}, a, dd_Generator);
       }},
      // the orthant from the origin: (1, 1) inside, the ray (1, 1) on the face of the rays
      {"strongly redundant generators, unbounded",
       [](Arithmetic a) {
         return row_query({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 1}, {1, 1, 1}}, RQ::StronglyRedundant, {5}, a,
                          dd_Generator);
       }},
      // rays +-e1, e2, (1, 1): the upper half-plane without a point; (1, 1) inside
      {"strongly redundant rays",
       [](Arithmetic a) {
         return row_query({{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 1, 1}}, RQ::StronglyRedundant, {4}, a, dd_Generator);
       }},
      // the square with x + y <= 2 through its corner (1, 1), by hand on each face
      {"weak adjacency",
       [](Arithmetic a) {
         return weak_adjacency(kSquare + Rows{{2, -1, -1}}, {{3, 4}, {3, 4, 5}, {1, 2}, {1, 2, 5}, {2, 4}}, a);
       }},
      // the origin with rays +-e1 and e2: +-e1 are lines
      {"implicit lines of generators",
       [](Arithmetic a) {
         return row_query({{1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}}, RQ::ImplicitLinearity, {2, 3}, a, dd_Generator);
       }},
      // the half-plane by rays: e1 and -e1 each other's negatives, e2 and (1, 1) not
      {"implicit lines of rays",
       [](Arithmetic a) {
         return row_query({{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 1, 1}}, RQ::ImplicitLinearity, {1, 2}, a, dd_Generator);
       }},
      {"no implicit lines in the square",
       [](Arithmetic a) {
         return row_query({{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}}, RQ::ImplicitLinearity, {}, a, dd_Generator);
       }},
      // x >= 0 and x <= 0 on 0 <= y <= 1
      {"implicit linearity",
       [](Arithmetic a) {
         return row_query({{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {1, 0, -1}}, RQ::ImplicitLinearity, {1, 2}, a);
       }},
      // x >= 0, y >= 0, x + y <= 0 force x = y = 0; -1 <= z <= 1 stays open
      {"implicit linearity, three rows at once",
       [](Arithmetic a) {
         return row_query({{1, 0, 0, -1}, {0, 1, 0, 0}, {1, 0, 0, 1}, {0, 0, 1, 0}, {0, -1, -1, 0}}, RQ::ImplicitLinearity,
                          {2, 4, 5}, a);
       }},
      // x = 0 from x >= 0 and x <= 0, then y = 0 from y >= 0 and y <= x, given
      // as an equation or not; -1 <= z <= 1 stays open
      {"implicit linearity, a chain",
       [](Arithmetic a) {
         return row_query({{0, 0, 1, 0}, {1, 0, 0, -1}, {0, 1, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 1}, {0, -1, 0, 0}},
                          RQ::ImplicitLinearity, {1, 3, 4, 6}, a);
       }},
      // the rays e1, e2, -e1 - e2 span the plane (each a line), e3 does not; a point at the origin
      {"implicit lines of three rays",
       [](Arithmetic a) {
         return row_query({{0, 0, 0, 1}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, -1, 0}}, RQ::ImplicitLinearity,
                          {2, 4, 5}, a, dd_Generator);
       }},
      {"cube to square, block",
       [](Arithmetic a) { return projection(kUnitCube, {4}, PM::Block, kSquare, a); }},
      {"cube to square, Fourier-Motzkin",
       [](Arithmetic a) { return projection(kUnitCube, {4}, PM::Fourier, kSquare, a); }},
      {"cube to square, by vertices",
       [](Arithmetic a) { return projection(kUnitCube, {4}, PM::Vertices, kSquare, a); }},
      // x, y, z >= 0, x + y + z <= 1 without z: the triangle
      {"simplex to triangle",
       [](Arithmetic a) {
         return projection({{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, -1, -1, -1}}, {4}, PM::Auto,
                           {{0, 1, 0}, {0, 0, 1}, {1, -1, -1}}, a);
       }},
      // |x| + |y| + |z| <= 1 without z: the diamond |x| + |y| <= 1.  Each
      // vertex lies on four of the eight facets, so each row of the diamond
      // is a combination an LP's basis chooses among them.
      {"octahedron to diamond",
       [](Arithmetic a) {
         Rows h;
         for (int s = 0; s < 8; ++s) h.push_back({1, s & 1 ? 1.0 : -1.0, s & 2 ? 1.0 : -1.0, s & 4 ? 1.0 : -1.0});
         return projection(h, {4}, PM::Auto, {{1, 1, 1}, {1, 1, -1}, {1, -1, 1}, {1, -1, -1}}, a);
       }},
      // x, y >= 0, y <= 1 + x/2, without y: the half-line x >= 0 (its far
      // side, 1 >= 0, dropped); x >= 0 is y >= 0's neighbour at (0, 0).
      {"unbounded wedge to a half-line",
       [](Arithmetic a) { return projection({{0, 1, 0}, {0, 0, 1}, {2, 1, -2}}, {3}, PM::Auto, {{0, 1}}, a); }},
      // 0 <= z <= 1, z <= x, z <= y, x + y <= 2 + z, without z: some z
      // lies in [max(0, x + y - 2), min(1, x, y)], the pentagon x, y >= 0,
      // x, y <= 2, x + y <= 3, each edge a sum of two rows (x + y <= 3 of
      // x + y <= 2 + z and z <= 1).
      {"cut wedge to a pentagon",
       [](Arithmetic a) {
         return projection({{0, 0, 0, 1}, {1, 0, 0, -1}, {0, 1, 0, -1}, {0, 0, 1, -1}, {2, -1, -1, 1}}, {4},
                           PM::Auto, {{0, 1, 0}, {0, 0, 1}, {2, -1, 0}, {2, 0, -1}, {3, -1, -1}}, a);
       }},
      // x >= 1 and x <= 0 in a box: no point, and so no point of its shadow
      {"empty box, its vertices",
       [](Arithmetic a) { return conversion(kEmptyBox, dd_Inequality, {}, a); }},
      {"empty box to the empty set",
       [](Arithmetic a) { return projection(kEmptyBox, {4}, PM::Auto, {{-1, 0, 0}}, a); }},
      // [0,10]^2: slack 5 at the centre (beyond the ceiling of a small
      // largest constant); x, y >= 0, x + y <= 1: x = y = 1 - 2t = t
      {"interior of a square",
       [](Arithmetic a) {
         return interior({{0, 1, 0}, {10, -1, 0}, {0, 0, 1}, {10, 0, -1}}, 5, {5, 5}, dd_DualSimplex, a);
       }},
      {"interior of a triangle",
       [](Arithmetic a) {
         return interior({{0, 1, 0}, {0, 0, 1}, {1, -1, -1}}, 1.0 / 3, {1.0 / 3, 1.0 / 3}, dd_CrissCross, a);
       }},
  };
  // The box 0 <= x <= 1e-9, 0 <= y <= 1 with x's row scaled by 1/1e-9:
  // four vertices.
  const double w = 1 / 1e-9;
  c.push_back({"thin box",
               [=](Arithmetic a) {
                 return conversion({{1, -w, 0}, {0, 1, 0}, {1, 0, -1}, {0, 0, 1}}, dd_Inequality,
                                   {{1, 0, 0}, {1, 1 / w, 0}, {1, 0, 1}, {1, 1 / w, 1}}, a);
               },
               false});
  // max x8 where 3e6 x1 - 2e7 x2 - 2e7 x3 + 3e6 x4 + 1e7 x6 + 2e7 x7 + x8
  // <= 1 and boxes up to 1e14 hold the other variables: each term at the
  // end of its box that raises x8, x8 = 1 + 3e13 + 2e14 + 2e14 + 3e20 + 1e7
  // + 2e14.
  c.push_back({"LP of entries 1 to 1e14",
               [](Arithmetic a) {
                 Rows rows = {{1, -3e6, 2e7, 2e7, -3e6, 0, -1e7, -2e7, -1}};
                 const double lo[] = {-1e7, -1, -1e14, -1e14, -1, -1, -1e7}, hi[] = {1, 1e7, 1e7, 1, 1, 1e14, 1e7};
                 for (int j = 0; j < 7; ++j) {
                   Row up(9, 0.0), down(9, 0.0);
                   up[0] = hi[j], up[j + 1] = -1, down[0] = -lo[j], down[j + 1] = 1;
                   rows.push_back(up), rows.push_back(down);
                 }
                 std::string r;
                 for (auto solver : {dd_DualSimplex, dd_CrissCross}) {
                   Matrix M = matrix(rows);
                   M->objective = dd_LPmax;
                   ddd_set_d(M->rowvec[8], 1.0);
                   dd_ErrorType err = dd_NoError;
                   LP lp(dd_Matrix2LP(M.get(), &err));
                   bool exact = false;
                   zonix::solve_lp(lp.get(), solver, a, &err, &exact);
                   if (err != dd_NoError || lp->LPS != dd_Optimal || ddd_get_d(lp->optvalue) != 300000630000010000001.0)
                     r = "status " + std::to_string(lp->LPS);
                 }
                 return r;
               },
               false});
  // The same box at several widths: no implicit equation; its corners as
  // generators: none redundant; its vertices: a 4-cycle.
  for (double width : {1e-8, 1e-9, 1e-12}) {
    const std::string at = " at width " + std::to_string(width);
    c.push_back({"thin box, no implicit equation" + at,
                 [=](Arithmetic a) {
                   return row_query({{1, -1 / width, 0}, {0, 1, 0}, {1, 0, -1}, {0, 0, 1}}, RQ::ImplicitLinearity, {},
                                    a);
                 },
                 false});
    c.push_back({"thin box corners kept" + at,
                 [=](Arithmetic a) {
                   const Matrix M = matrix({{1, 0, 0}, {1, width, 0}, {1, 0, 1}, {1, width, 1}}, dd_Generator);
                   dd_ErrorType err = dd_NoError;
                   bool exact = false;
                   const Set s(zonix::row_query(M.get(), RQ::Redundant, a, &err, &exact));
                   return err == dd_NoError && members(s.get()).empty() ? "" : "a corner dropped";
                 },
                 false});
  }
  // |x1| + ... + |x4| <= 1 without x1 and x3: |x2| + |x4| <= 1
  c.push_back({"cross to diamond, Fourier-Motzkin", [](Arithmetic a) {
                 Rows h;
                 for (int s = 0; s < 16; ++s) {
                   Row r = {1};
                   for (int j = 0; j < 4; ++j) r.push_back(s >> j & 1 ? 1.0 : -1.0);
                   h.push_back(r);
                 }
                 return projection(h, {2, 4}, PM::Fourier, {{1, 1, 1}, {1, 1, -1}, {1, -1, 1}, {1, -1, -1}}, a);
               }});
  // The simplex x >= 0, x_1 + ... + x_17 <= 1: small integers in 18
  // columns, which auto converts in exact arithmetic from the start.
  {
    Rows h, v = {Row(18, 0.0)};
    v[0][0] = 1;
    for (int i = 1; i <= 17; ++i) {
      Row r(18, 0.0), p(18, 0.0);
      r[static_cast<size_t>(i)] = 1;
      p[0] = p[static_cast<size_t>(i)] = 1;
      h.push_back(r), v.push_back(p);
    }
    h.push_back(Row(18, -1.0)), h.back()[0] = 1;
    c.push_back({"17-simplex vertices, exact first", [h, v](Arithmetic a) { return conversion(h, dd_Inequality, v, a); }});
    c.push_back({"17-simplex facets, exact first", [h, v](Arithmetic a) { return conversion(v, dd_Generator, h, a); }});
  }
  // A far point and a near one with the quadrant's rays: y >= 0, x >= 1
  // and the segment's line, valid on both points.
  c.push_back({"far point hull",
               [](Arithmetic a) { return valid_hull({{1, 1e308, 0}, {1, 1, 1}, {0, 1, 0}, {0, 0, 1}}, 3, a); }, false});
  return c;
}

TEST(AutoAnswers, EveryAnswerRight)
{
  for (const Case &c : cases()) EXPECT_EQ(c.answer(Arithmetic::Auto), "") << c.name;
}

// With a fault in the exact run (tests/seed_faults.py, the "exact"
// faults) a default answer may become an error, never a wrong answer.
TEST(AutoAnswers, RightOrRefused)
{
  for (const Case &c : cases()) {
    const std::string got = c.answer(Arithmetic::Auto);
    EXPECT_TRUE(got.empty() || got.rfind("error", 0) == 0) << c.name << ": " << got;
  }
}

TEST(AutoAnswers, ExactAnswersRight)
{
  for (const Case &c : cases()) EXPECT_EQ(c.answer(Arithmetic::Exact), "") << c.name;
}

TEST(DoubleAnswers, RightWithoutFaults)
{
  for (const Case &c : cases()) {
    if (c.in_double) {
      EXPECT_EQ(c.answer(Arithmetic::Double), "") << c.name;
    }
  }
}

}  // namespace

// |x1| + ... + |x8| <= 1 onto x1, x2 by the method auto chooses, in auto
// arithmetic: 256 rows, which block elimination multiplies into millions,
// with 16 vertices, tried first.  (Exact and double runs would eliminate.)
TEST(AutoAnswers, CrossPolytopeProjectedThroughItsVertices)
{
  Rows h;
  for (int s = 0; s < 256; ++s) {
    Row r = {1};
    for (int j = 0; j < 8; ++j) r.push_back(s >> j & 1 ? 1.0 : -1.0);
    h.push_back(r);
  }
  EXPECT_EQ(projection(h, {4, 5, 6, 7, 8, 9}, zonix::proj::Method::Auto, {{1, 1, 1}, {1, 1, -1}, {1, -1, 1}, {1, -1, -1}},
                       Arithmetic::Auto),
            "");
}

// A knapsack cone, {x >= 0, t >= 0 : a.x = 2t}, too degenerate for the
// checker to walk its faces: auto once refused its projection.  x1 out of
// 6 x1 = r(x2, ..., x10, t) leaves r >= 0 beside the other coordinates.
TEST(AutoAnswers, DegenerateConeProjected)
{
  const Row eq = {0, -6, -4, 4, -1, 1, 7, 3, -5, -1, 3, -2};
  Rows h = {eq};
  for (size_t j = 1; j < eq.size(); ++j) {
    Row r(eq.size(), 0.0);
    r[j] = 1;
    h.push_back(r);
  }
  Rows want = {{0, -4, 4, -1, 1, 7, 3, -5, -1, 3, -2}};
  for (size_t j = 1; j < eq.size() - 1; ++j) {
    Row r(eq.size() - 1, 0.0);
    r[j] = 1;
    want.push_back(r);
  }
  for (Arithmetic a : {Arithmetic::Auto, Arithmetic::Exact}) {
    const Matrix M = matrix(h, dd_Inequality, {1});
    const zonix::Projection p = zonix::eliminate(M.get(), {2}, zonix::proj::Method::Auto, true, a);
    ASSERT_EQ(p.error, dd_NoError);
    EXPECT_EQ(normalised(rows_of(p.output.get())), normalised(want));
  }
}

// Without reduce an elimination may keep rows that are not facets; auto
// still proves the rows describe the projection.  The unit cube cut by
// x + z <= 1.5 and z <= x + 0.5, z eliminated: the square [0,1]^2 (each
// row pair's sum is implied by it), by every method.  Each row kept holds
// at the four corners, and those tight on two corners are the square's.
TEST(AutoAnswers, ProjectionsWithoutReduceDescribeTheSquare)
{
  const Rows cut = kUnitCube + Rows{{1.5, -1, 0, -1}, {0.5, 1, 0, -1}};
  const Rows corners = {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}};
  for (auto method : {zonix::proj::Method::Fourier, zonix::proj::Method::Block, zonix::proj::Method::Auto}) {
    SCOPED_TRACE(static_cast<int>(method));
    const Matrix M = matrix(cut);
    const zonix::Projection p = zonix::eliminate(M.get(), {4}, method, false, Arithmetic::Auto);
    ASSERT_EQ(p.error, dd_NoError);
    Rows facets;
    for (const Row &r : rows_of(p.output.get())) {
      int tight = 0;
      for (const Row &c : corners) {
        const double v = r[0] + r[1] * c[1] + r[2] * c[2];
        EXPECT_GE(v, -1e-12);
        tight += std::fabs(v) <= 1e-12 ? 1 : 0;
      }
      if (tight >= 2 && (r[1] != 0 || r[2] != 0)) facets.push_back(r);
    }
    EXPECT_EQ(normalised(facets), normalised(kSquare));
  }
}
