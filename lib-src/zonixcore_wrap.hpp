// Conversions of a polytope whose input is much larger than its output:
// vertices found one LP at a time, until the hull of those found has only
// facets that are input rows.  The double description method builds
// intermediate results on the input's scale and can blow up there.
#ifndef ZONIX_CORE_WRAP_HPP
#define ZONIX_CORE_WRAP_HPP

#include "dovavozu.h"
#include "zonixcheck_measured.hpp"

namespace zonix::wrap {

// M's rows as the measured checker takes them.
check::DoubleRows double_rows(dd_MatrixPtr M);

// Whether M is worth the attempt: no equations or lines, many rows for its
// dimension.  Cheap.
bool worth_trying(dd_MatrixPtr M);

// The other representation of M, in double: for an H-representation of a
// full-dimensional polytope its vertices, for points spanning a
// full-dimensional polytope its facets.  A new matrix for the caller to
// free with dd_FreeMatrix; null when M is outside that case (equations,
// rays, unbounded or lower-dimensional), when the output passes
// `most` rows (0: a quarter of the input rows), or when rounding leaves a
// hull facet that no input row confirms.
dd_MatrixPtr convert(dd_MatrixPtr M, long most = 0);

// Whether out, from convert(M), is right for data within relative distance
// delta of M's: every pair of an input row and an output row on its side
// or within delta of tight, each output row tight on input rows of full
// rank, and the other representation of out itself (checked by the
// measured checker at a tolerance of at least 1e-9, for where output rows
// meet) made of input rows only.  Then the two sets are the
// same polytope, with no completeness test over the input's large side.
bool certified_within(dd_MatrixPtr M, dd_MatrixPtr out, double delta);

}  // namespace zonix::wrap

#endif
