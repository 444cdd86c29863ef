// How far apart the scales of a matrix's columns lie.  The default order
// spreads points only up to column_scale_spread, and the automatic
// arithmetic takes points as given up to the same bound, so that both
// runs see one order: the two must agree.
#ifndef ZONIX_CORE_SCALE_HPP
#define ZONIX_CORE_SCALE_HPP

#include <algorithm>
#include <cmath>
#include <limits>

#include "zonixcore.h"
#include "zonixmp.h"

namespace zonix::core {

// Columns whose largest entries differ by more than this factor (high
// powers of a moment curve) are not spread.  Up to it, spread moment
// curves of degree 4 to 11 came out right in double wherever the sweep
// did, and right where it failed; beyond it some came out an error where
// the sweep was right, or rows less accurate than a millionth.
inline constexpr double column_scale_spread = 2e4;

// Whether the largest magnitudes of columns from..cols-1 of A[0..rows)
// differ by at most `factor` (true where all are zero).
inline bool column_scales_within(const dd_Amatrix A, long rows, long from, long cols, double factor)
{
  double lo = std::numeric_limits<double>::infinity(), hi = 0.0;
  for (long k = from; k < cols; ++k) {
    double big = 0.0;
    for (long i = 0; i < rows; ++i) big = std::max(big, std::fabs(ddd_get_d(A[i][k])));
    if (big == 0.0) continue;
    lo = std::min(lo, big);
    hi = std::max(hi, big);
  }
  return hi <= lo * factor;
}

}  // namespace zonix::core

#endif
