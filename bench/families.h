// Polyhedron families shared by the oracle tests and the benchmarks.
//
// An instance holds exact rationals so that every consumer sees the same
// numbers: the library gets them as doubles, lrs as text.  Coordinates are
// kept moderate (small integers, small denominators) so that the doubles are
// exact or nearly so.  Random families use their own seeded generator, so an
// instance is the same on every machine.
#ifndef ZONIX_BENCH_FAMILIES_H
#define ZONIX_BENCH_FAMILIES_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dovavozu.h"

namespace zonix::families {

// num/den in lowest terms, den > 0.
struct Rational {
  std::int64_t num = 0;
  std::int64_t den = 1;
};

// Reduces n/d; d must be nonzero.
Rational rat(std::int64_t n, std::int64_t d = 1);
double to_double(Rational r);
long double to_long_double(Rational r);
// "-3/2", or "7" when the denominator is 1.
std::string to_string(Rational r);
bool operator==(Rational a, Rational b);

enum class Rep { H, V };

// Rows in the library's layout: column 1 is the homogenising column, so an
// H row (b, a) means b + a.x >= 0 and a V row is (1, x) for a point or
// (0, r) for a ray.  linearity holds 1-based row numbers (equations or
// lines).
struct Instance {
  std::string name;
  Rep rep = Rep::H;
  long cols = 0;
  std::vector<std::vector<Rational>> rows;
  std::vector<long> linearity;
  // Written with the number type "integer" (when every entry is one)
  // rather than "rational".
  bool integer_type = false;

  long rowcount() const { return static_cast<long>(rows.size()); }
  bool is_linearity(long row) const;  // row is 1-based
  // True when some row has a nonzero homogenising entry.
  bool has_nonzero_first_column() const;
};

// New matrix record with the instance's rows as doubles, its linearity in
// linset, representation and number type set.  The caller frees it with
// dd_FreeMatrix.
dd_MatrixPtr to_matrix(const Instance& inst);

// The instance in lrs's text notation: representation line, linearity line,
// begin, "m n rational", the rows, end.
std::string lrs_text(const Instance& inst);

// ---- reproducible pseudo-random numbers ------------------------------------

// splitmix64: tiny, fast, identical on every platform.
class Prng {
 public:
  explicit Prng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // Uniform in [lo, hi].
  std::int64_t uniform(std::int64_t lo, std::int64_t hi);

 private:
  std::uint64_t state_;
};

// ---- polytopes ---------------------------------------------------------------

// [-1, 1]^d: 2d facets, 2^d vertices.
Instance hypercube(Rep rep, int d);
// conv(+-e_i): 2^d facets, 2d vertices.
Instance cross_polytope(Rep rep, int d);
// conv(0, e_1, ..., e_d).
Instance simplex(Rep rep, int d);
// C(n, d): the points (t, t^2, ..., t^d) for the n parameters t centred on
// 0, t = (i - n/2) / den for i = 0..n-1.  The H form lists every facet,
// found by the sign of the polynomial through d of the points.  den > 1
// keeps the coordinates small at the price of denominators den^d.
Instance cyclic_polytope(Rep rep, int n, int d, int den = 1);
// Product of the simplices conv(0, e_1..e_a) x conv(0, e_1..e_b).
Instance simplex_product(Rep rep, int a, int b);
// n distinct rational points on the unit sphere in R^d, by inverse
// stereographic projection of small rational points.  V only.
Instance sphere_points(int n, int d, std::uint64_t seed);
// m inequalities b + a.x >= 0 with integer a in [-k, k]^d (a nonzero) and
// b in [k, 2k], so the origin is interior.  Bounded when the normals span
// positively, which is the rule for m well above d.
Instance random_inequalities(int m, int d, std::uint64_t seed, int k = 10);
// m homogeneous inequalities a.x >= 0 with a in [-k, k]^d and a positive
// sum of entries: a full-dimensional cone around (1, ..., 1).
Instance random_cone(int m, int d, std::uint64_t seed, int k = 5);

// ---- combinatorial polytopes (H or V as named; x_ij for i < j in the pairs'
// lexicographic order) ----------------------------------------------------------

// MET(n): for every triple the three triangle inequalities
// x_ij <= x_ik + x_jk and the perimeter x_ij + x_ik + x_jk <= 2.
Instance metric_polytope(int n);
// B(n): x_ij >= 0 (n^2 variables, row-major), row and column sums 1 as
// equations (one redundant column sum left out); n! vertices.
Instance birkhoff_polytope(int n);
// P(n): sum x_i = n(n+1)/2, and sum over S of x_i >= |S|(|S|+1)/2 for every
// nonempty proper subset S; n! vertices.
Instance permutahedron(int n);
// CUT(n) of K_n by its 2^(n-1) cut vectors (x_ij = 1 iff i and j are on
// different sides).  V only.
Instance cut_polytope(int n);

// ---- cones and polytopes from applications ------------------------------------

// The cone of n x n magic squares: x_ij >= 0 (row-major) and the rows,
// columns and both diagonals summing to the first row's sum, as equations
// (one column sum, implied by the others, left out).  H only.
Instance magic_squares(int n);
// The cone spanned by the columns of the p x q x r transportation matrix:
// the column of cell (i,j,k) has a one in the rows of the line sums (i,j,.),
// (i,.,k) and (.,j,k), in that block order.  V only, rays (0, column).
Instance contingency_cone(int p, int q, int r);
// B(n) by its n! permutation matrices (row-major).  V only.
Instance birkhoff_vertices(int n);
// {(x, t) >= 0 : a.x = b t} with b > 0: H by x >= 0, t >= 0 and the
// equation; V by the rays the definition gives (e_i for a_i = 0,
// |a_j| e_i + a_i e_j for a_i > 0 > a_j, b e_i + a_i e_t for a_i > 0).
Instance knapsack_cone(Rep rep, const std::vector<std::int64_t>& a, std::int64_t b);
// a of length n with entries in [-9, 9] \ {0}, two of them positive and one
// negative at least (so that each of x >= 0, t >= 0 is a facet), and b in
// [1, 9], drawn from seed.
Instance knapsack_cone(Rep rep, int n, std::uint64_t seed);

// ---- transformations (each returns a new instance with its own name) ---------

// Appends a copy of every step-th row (step >= 1).
Instance repeat_rows(const Instance& inst, int step);
// Appends factor times every step-th row; factor > 0.  For a V input the
// copies of points are rescaled back to first entry 1, so they repeat points.
Instance scaled_copies(const Instance& inst, Rational factor, int step);
// Appends the rows of extra (same column count and representation).
Instance append_rows(const Instance& inst,
                     const std::vector<std::vector<Rational>>& extra);
// Adds a free coordinate: H rows get a 0 column (a cylinder); V rows get a
// 0 column and the line (0, ..., 0, 1) is appended.
Instance cylinder(const Instance& inst);
// Pyramid over a base with the apex at (0, ..., 0, 1).  For H the base must
// contain the origin in its interior (every b > 0): each row (b, a) becomes
// (b, a, -b), and x_{d+1} >= 0 is appended.  For V the base points get a 0
// coordinate and the apex is appended.
Instance pyramid(const Instance& inst);
// Puts the instance onto the hyperplane x_{d+1} = c0 + c.x with small
// integer coefficients drawn from seed.  H rows get a 0 column and the
// equation is appended as a linearity row; V points get the new coordinate.
Instance on_hyperplane(const Instance& inst, std::uint64_t seed);
// Homogenisation of a V polytope: the cone generated by the rays (0, 1, v)
// for the points (1, v).  No point remains.
Instance cone_over(const Instance& v_polytope);
// Translates an instance by the integer vector t (length cols - 1).
Instance translate(const Instance& inst, const std::vector<std::int64_t>& t);
// For a V polytope: appends count points that are convex combinations of
// its points with small random weights (interior or on faces).
Instance with_combinations(const Instance& v_polytope, int count,
                           std::uint64_t seed);

// ---- families by name (for drivers) -------------------------------------------

// Builds the family called name with integer parameters, e.g.
// ("cube-h", {10}) or ("cyclic-v", {40, 6}) or ("randineq-h", {200, 8, 1}).
// Returns nothing and fills *error when the name or parameters are wrong.
std::optional<Instance> family_by_name(std::string_view name,
                                       std::span<const long> params,
                                       std::string* error);
// One line per family name with its parameters.
std::string family_usage();

}  // namespace zonix::families

#endif  // ZONIX_BENCH_FAMILIES_H
