// An exact checker of answers: each function takes a problem, a claimed
// answer and its witnesses as rationals and says yes or no.  It shares no
// code with the solvers (it reads only the plain records of zonixexact.hpp),
// so a fault in them shows as a refused answer, never as a wrong one.
//
// Rows are homogenised: an H row (b, -a) states b - a.x >= 0 (= 0 on the
// rows of `linearity`); a V row (1, v) is a point, (0, r) a ray, a
// `linearity` row a line.  A "no" may also mean "cannot certify" (a rank
// taken modulo a prime came out short, or a face lattice too degenerate to
// walk); the caller then computes the answer exactly.
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

// in: an H or V representation; out: the other one, as the conversion
// writes it.  The conventions it accepts:
//  - H to V: points (1, v) (or any positive multiple), rays (0, r), lines
//    (0, l) in `linearity`; an empty polyhedron has no output rows and
//    needs `farkas`: y over in's rows, y >= 0 off the equations, with
//    sum y_i row_i = (-c, 0, ..., 0), c > 0.  An H input whose right-hand sides are all zero is a cone: its
//    apex, the origin (1, 0, ..., 0), may be left out when a ray or line is
//    listed.
//  - V to H: a V input without points is the cone of its rays (the origin
//    is its point); a line (t, v) with t != 0 is the point v.  The output
//    may leave out the row (1, 0, ..., 0) (t >= 0) and may list it when it
//    is no facet.
// For a non-empty answer, farkas may prove rows of in to hold with
// equality: y >= 0 (free on in's equations or lines) with sum y_i row_i =
// 0; the rows with y_i > 0 are then equations.
// Duplicated or non-extreme output elements, missing ones, a wrong
// lineality or equation count: no.  Not certified (no): an input row tight
// on the whole answer that is no equation of in, whose opposite is no row
// of in and that farkas does not prove an equation; degenerate elements whose faces take more than about one
// validity pass (elements x input rows x columns) to walk.
// Cost: that validity pass, in 64-bit integers for small entries, and
// about linear in the incidences above it for simple elements.
Verdict conversion(const QMatrix &in, const QMatrix &out,
                   const std::vector<mpq_class> *farkas = nullptr);

// The adjacency of a conversion's output rows as the library lists it
// (set k: the rows next to row k, 1-based, increasing): two extreme rays
// are neighbours when they span a 2-face; a line is next to every row,
// itself too, and every row to every line.  Checks the conversion first.
Verdict adjacency(const QMatrix &in, const QMatrix &out, const QFamily &adj);

// The LP over the rows of lp (row r states r0 + r1 x1 + ... >= 0, = 0 on
// `linearity`), maximising or minimising c0 + c.x (lp.objective, lp.rowvec).
// x: a point (cols - 1 numbers); y: a multiplier per row, >= 0 off the
// equations; dir: a direction (cols - 1 numbers).  With s = 1 for max and
// -1 for min:
//  - dd_Optimal: x feasible, s c + sum y_i r_i = 0 on columns 1.., and
//    s (c0 + c.x) = s c0 + sum y_i r_i0 (so no feasible point does better);
//  - dd_Inconsistent: sum y_i r_i = 0 on columns 1.. and sum y_i r_i0 < 0;
//  - dd_DualInconsistent, dd_StrucDualInconsistent: r.dir >= 0 on every
//    row (= 0 on equations) and s c.dir > 0; x feasible, or empty when the
//    LP may be infeasible too (then only the dual's infeasibility is shown).
Verdict lp(const QMatrix &lp, dd_LPStatusType status, const std::vector<mpq_class> &x,
           const std::vector<mpq_class> &y, const std::vector<mpq_class> &dir);

// x (cols - 1 numbers) with every inequality row of h at least margin > 0
// and every equation row 0.
Verdict interior(const QMatrix &h, const std::vector<mpq_class> &x, const mpq_class &margin);

// Redundancy removal: kept lists the rows kept (1-based, increasing), the
// others are the removed ones; equations (H) and lines (V) must be kept.
// removed_combination[k], for the k-th removed row, has a multiplier per
// kept row (>= 0 but on equations or lines):
//  - H: the removed row minus the combination is (s, 0, ..., 0), s >= 0;
//  - V: the removed generator equals the combination.
// kept_witness[k], for the k-th kept row (empty for an equation or line):
//  - H: a point (cols - 1 numbers) where that row is negative and every
//    other kept row holds;
//  - V: a row z (cols numbers) negative on that generator, >= 0 on the
//    other kept ones and 0 on the kept lines.
Verdict redundancy(const QMatrix &in, const std::vector<long> &kept,
                   const std::vector<std::vector<mpq_class>> &removed_combination,
                   const std::vector<std::vector<mpq_class>> &kept_witness);

// Implicit linearity of H rows: implicit lists the inequality rows claimed
// tight on all of the polyhedron (1-based).  y has a multiplier per row,
// >= 0 off the equations, > 0 on each claimed row, with sum y_i r_i = 0:
// those rows can only hold with equality.  x is a point where every row
// holds and every unclaimed inequality is strictly positive.
Verdict linearity(const QMatrix &h, const std::vector<long> &implicit, const std::vector<mpq_class> &y,
                  const std::vector<mpq_class> &x);

// Projection of an H polyhedron P: the columns in eliminated (1-based,
// among 2..cols) dropped.  combination[k] has a multiplier per input row
// for output row k (>= 0 on inequalities, 0 on them for an output
// equation); its sum of rows is 0 on the eliminated columns and output row
// k on the others, so the row holds on the projection.  tight[k], for an
// output inequality row k: points of P (cols - 1 numbers) whose
// projections lie on row k, affinely independent, as many as the
// projection's dimension (its columns less the rank of the output
// equations); inner: a point of P whose projection is strictly inside
// every output inequality.  So each inequality is a facet; that no facet
// is missing is not shown.
Verdict projection(const QMatrix &in, const std::vector<long> &eliminated, const QMatrix &out,
                   const std::vector<std::vector<mpq_class>> &combination,
                   const std::vector<std::vector<std::vector<mpq_class>>> &tight, const std::vector<mpq_class> &inner);

}  // namespace zonix::check

#endif
