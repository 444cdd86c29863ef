// Families for redundancy removal and projection, shared by the oracle
// tests and the benchmarks.
#ifndef ZONIX_BENCH_FAMILIES_REDUNDANT_H
#define ZONIX_BENCH_FAMILIES_REDUNDANT_H

#include <cstdint>

#include "families.h"

namespace zonix::families {

// m inequalities in d variables of which `kept` are facets: the tangent
// hyperplanes x_d >= 2 a.y - |a|^2 (y the first d - 1 variables) of the
// paraboloid x_d >= |y|^2 at distinct integer points a, and m - kept
// positive combinations of two of them with the constant raised by 0..3,
// all in a random order.  Each tangent point lies on its own row and
// strictly inside every other tangent row by |a - a'|^2 >= 1, so the
// facets are exactly the tangent rows; the polyhedron is unbounded
// upwards.  Integer rows.   d >= 2.
Instance paraboloid_tangents(long m, int d, long kept, std::uint64_t seed);

// n points in the ball of radius 2^20 in R^d (integer coordinates, drawn
// uniformly from the cube and kept inside the ball).  V only.
Instance ball_points(long n, int d, std::uint64_t seed);

}  // namespace zonix::families

#endif
