// An exact checker of answers: each function takes a problem, a claimed
// answer and its witnesses as rationals and says yes or no.  It shares no
// code with the solvers (it reads only the plain records of zonixexact.hpp),
// so a fault in them shows as a refused answer, never as a wrong one.
//
// Rows are homogenised: an H row (b, -a) states b - a.x >= 0 (= 0 on the
// rows of `linearity`); a V row (1, v) is a point, (0, r) a ray, a
// `linearity` row a line.  A point x has cols - 1 numbers.  "No" may also
// mean "cannot certify" (a rank modulo a prime came out short, a face
// lattice too degenerate to walk); the caller then computes exactly.
#ifndef ZONIX_CHECK_HPP
#define ZONIX_CHECK_HPP

#include <gmpxx.h>

#include <string>
#include <vector>

#include "zonixexact.hpp"
#include "zonixtypes.h"

namespace zonix::check {

struct Verdict {
  bool ok = true;
  std::string why;  // the first reason for "no"
  explicit operator bool() const { return ok; }
};

// out, the other representation of in, lists exactly the extreme elements
// (each once) and a basis of the lines or equations.  Accepted: H to V
// points as any positive multiple of (1, v); an H cone's apex left out
// when a ray or line is listed; a V input without points is the cone of
// its rays; a V line (t, v) with t != 0 is the point v; V to H may leave
// out (1, 0, ..., 0) and may list it when it is no facet.  An empty H
// polyhedron has no output rows and needs farkas: y >= 0 off the
// equations with sum y_i row_i = (-c, 0, ..., 0), c > 0.  For a non-empty
// answer farkas may prove rows equations: sum y_i row_i = 0 with y >= 0
// (free on equations and lines); the rows with y_i > 0 hold with equality.
// Not certified: an input row tight on all of out that is no equation,
// not proved one by farkas and whose opposite is no row; degenerate
// elements whose faces take more than about one validity pass to walk.
Verdict conversion(const QMatrix &in, const QMatrix &out, const std::vector<mpq_class> *farkas = nullptr);

// The adjacency of a conversion's output rows as the library lists it
// (set k: the rows next to row k, 1-based, increasing): two extreme rays
// are neighbours when they span a 2-face; a line is next to every row,
// itself too.  Checks the conversion first.
Verdict adjacency(const QMatrix &in, const QMatrix &out, const QFamily &adj);

// The LP over the rows of lp maximising or minimising c0 + c.x
// (lp.objective, lp.rowvec); s = 1 for max, -1 for min.  y: a multiplier
// per row, >= 0 off the equations.
//  - dd_Optimal: x feasible, s c + sum y_i r_i = 0 on columns 1.., and
//    s (c0 + c.x) = s c0 + sum y_i r_i0;
//  - dd_Inconsistent: sum y_i r_i = (-c, 0, ..., 0), c > 0;
//  - dd_DualInconsistent, dd_StrucDualInconsistent: r.dir >= 0 on every
//    row (= 0 on equations), s c.dir > 0, and x feasible or empty (then
//    only the dual's infeasibility is shown).
Verdict lp(const QMatrix &lp, dd_LPStatusType status, const std::vector<mpq_class> &x,
           const std::vector<mpq_class> &y, const std::vector<mpq_class> &dir);

// Every inequality row of h is at least margin > 0 at x, every equation 0.
Verdict interior(const QMatrix &h, const std::vector<mpq_class> &x, const mpq_class &margin);

// Redundancy removal keeping the rows `kept` (1-based, increasing; every
// equation or line among them).  removed_combination[k], for the k-th row
// removed, has a multiplier per kept row (>= 0 but on equations or
// lines): H, the row minus the combination is (s, 0, ..., 0), s >= 0; V,
// the generator is the combination.  kept_witness[k], for the k-th kept
// row (empty for an equation or line): H, a point where that row is
// negative and every other kept row holds; V, a row z (cols numbers)
// negative on that generator, >= 0 on the other kept ones, 0 on lines.
Verdict redundancy(const QMatrix &in, const std::vector<long> &kept,
                   const std::vector<std::vector<mpq_class>> &removed_combination,
                   const std::vector<std::vector<mpq_class>> &kept_witness);

// The implicit equations of H rows: implicit, the inequality rows claimed
// tight on all of h (1-based).  y: >= 0 off the equations, > 0 on each
// claimed row, sum y_i r_i = 0.  x: every row holds, every unclaimed
// inequality strictly.
Verdict linearity(const QMatrix &h, const std::vector<long> &implicit, const std::vector<mpq_class> &y,
                  const std::vector<mpq_class> &x);

// The projection out of H rows in, the columns `eliminated` (1-based,
// among 2..cols) dropped.  combination[k]: a multiplier per input row for
// output row k (>= 0 on inequalities, and 0 there for an output equation)
// whose sum is 0 on the eliminated columns and row k on the others.
// tight[k], for an output inequality: points of in whose projections lie
// on row k, affinely independent, as many as the projection's dimension;
// inner: a point of in whose projection is strictly inside every output
// inequality.  So each row is valid and each inequality a facet; that no
// facet is missing is not shown.
Verdict projection(const QMatrix &in, const std::vector<long> &eliminated, const QMatrix &out,
                   const std::vector<std::vector<mpq_class>> &combination,
                   const std::vector<std::vector<std::vector<mpq_class>>> &tight, const std::vector<mpq_class> &inner);

}  // namespace zonix::check

#endif
