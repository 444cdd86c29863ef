// An exact checker: each function takes a problem, a claimed answer and
// its witnesses as rationals and says yes or no, sharing no code with the
// solvers.  An H row (b, -a) states b - a.x >= 0 (= 0 on `linearity`); a V
// row (1, v) is a point, (0, r) a ray, a `linearity` row a line; a point x
// has cols - 1 numbers.  "No" may mean "cannot certify" (a rank modulo two primes short; unproved).
#ifndef ZONIX_CHECK_HPP
#define ZONIX_CHECK_HPP

#include <gmpxx.h>

#include <cstdint>
#include <string>
#include <vector>

#include "zonixexact.hpp"
#include "zonixtypes.h"

namespace zonix::check {

using Vec = std::vector<mpq_class>;
using Terms = std::vector<std::pair<std::size_t, mpq_class>>;  // (index, multiplier)

struct Verdict {
  bool ok = true;
  std::string why;        // the first reason for "no"
  bool unproved = false;  // "no" for want of a proof of completeness: rows valid, extreme
  explicit operator bool() const { return ok; }
};

// out, the other representation of in, lists exactly the extreme elements
// (once each) and a basis of the lines or equations.  Accepted: points as
// any positive multiple of (1, v); an H cone's apex left out when a ray or
// line is listed; a V input without points is the cone of its rays; a V
// line (t, v), t != 0, is the point v; (1, 0, ..., 0) left out of an H
// output, or listed when no facet.  farkas, y >= 0 off the equations and
// lines: for an empty H polyhedron (no output) sum y_i row_i = (-c, 0..0),
// c > 0; else sum y_i row_i = 0 proves the rows with y_i > 0 equations.
// Unproved: an input row tight on all of out, not shown an equation; faces too degenerate to walk (quick: in a pass).
Verdict conversion(const QMatrix &in, const QMatrix &out, const Vec *farkas = nullptr, bool quick = false);

// The same, out as rows of 64-bit integers (row-major), each a positive multiple of the row it stands for.
struct IntRows { long rows = 0, cols = 0; dd_RepresentationType representation = dd_Inequality;
                 std::vector<long> linearity; std::vector<std::int64_t> entries; };
Verdict conversion(const QMatrix &in, const IntRows &out, bool quick = false);

// The conversion, and adj[k], the output rows next to row k (1-based, increasing):
// those spanning a 2-face with it; a line is next to every other row.
Verdict adjacency(const QMatrix &in, const QMatrix &out, const QFamily &adj);
Verdict adjacency(const QMatrix &in, const IntRows &out, const QFamily &adj);

// The LP over the rows of lp, maximising (s = 1) or minimising (s = -1)
// c0 + c.x (lp.rowvec); y, a multiplier per row, >= 0 off the equations.
// dd_Optimal: x feasible, s c + sum y_i r_i = 0 on columns 1.., s (c0 +
// c.x) = s c0 + sum y_i r_i0.  dd_Inconsistent: sum y_i r_i = (-c, 0..0),
// c > 0.  dd_(Struc)DualInconsistent: r.dir >= 0 on every row (= 0 on
// equations), s c.dir > 0, x feasible or empty (only the dual infeasible).
Verdict lp(const QMatrix &lp, dd_LPStatusType status, const Vec &x, const Vec &y, const Vec &dir);

// Every inequality row of h is at least margin > 0 at x, every equation 0.
Verdict interior(const QMatrix &h, const Vec &x, const mpq_class &margin);

// Keeping the rows `kept` (1-based, increasing, all equations or lines): removed_combination[k], terms (i, y)
// of the i-th kept row (y >= 0 off equations, lines) or the (i - kept)-th removed row before the k-th, leaves
// (s >= 0, 0..0) (V: 0) of the k-th row removed; kept_witness[k] (none on equations, lines): H, a point where
// only that kept row fails; V, a row z < 0 on that generator, >= 0 on the others, 0 on the lines.  strong, the rows removed missing
// the polyhedron: H, s > 0, a kept row only <= 0 at its point; V, coefficients > 0 off the lines
// (in the relative interior), z <= 0 on the kept generator and != 0 on some kept generator.
Verdict redundancy(const QMatrix &in, const std::vector<long> &kept, const std::vector<Terms> &removed_combination,
                   const std::vector<Vec> &kept_witness, bool strong = false);

// implicit: the inequality rows of in tight on all of it, or the generators whose negatives it
// generates (1-based).  y: >= 0 off the equations, lines, > 0 on the rows claimed, sum y_i r_i = 0;
// x: every row holds, every inequality not claimed strictly (V: z of cols numbers, each g.z >= 0).
Verdict linearity(const QMatrix &in, const std::vector<long> &implicit, const Vec &y, const Vec &x);

// The projection of H rows in without the columns `eliminated` (1-based,
// 2..cols).  combination[k], per input row (>= 0 on inequalities, 0 there
// for an output equation), sums to row k, 0 on the eliminated columns.
// tight[k], for an inequality: as many affinely independent points of in
// as the projection's dimension, projected onto row k; inner, a point
// projected strictly inside: valid rows, facets (none missing unshown).
Verdict projection(const QMatrix &in, const std::vector<long> &eliminated, const QMatrix &out,
                   const std::vector<Vec> &combination, const std::vector<std::vector<Vec>> &tight, const Vec &inner);

}  // namespace zonix::check

#endif
