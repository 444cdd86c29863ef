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
//  - H to V: points (1, v), rays (0, r), lines (0, l) in `linearity`; an
//    empty polyhedron has no output rows and needs `farkas`: y over in's
//    rows, y >= 0 off the equations, with sum y_i row_i = (-c, 0, ..., 0),
//    c > 0.  An H input whose right-hand sides are all zero is a cone: its
//    apex, the origin (1, 0, ..., 0), may be left out when a ray or line is
//    listed.
//  - V to H: a V input without points is the cone of its rays (the origin
//    is its point); a line (t, v) with t != 0 is the point v.  The output
//    may leave out the row (1, 0, ..., 0) (t >= 0) and may list it when it
//    is no facet.
// Duplicated or non-extreme output elements, missing ones, a wrong
// lineality or equation count: no.
Verdict conversion(const QMatrix &in, const QMatrix &out,
                   const std::vector<mpq_class> *farkas = nullptr);

}  // namespace zonix::check

#endif
