// The output-sensitive redundancy method with what it found on its way,
// for the proof of its answer.
#ifndef ZONIX_LP_CLARKSON_HPP
#define ZONIX_LP_CLARKSON_HPP

#include <vector>

#include "zonixdd.h"

namespace zonix::lp {

// What the method found on its way, by input row: for a row a ray from an
// interior point found essential, a point of the ray just past it and
// before every other row the ray meets, in the columns of the rows' H form
// (H: 1, x; V: the generators' rows z with g.z >= 0 after a leading 0);
// for a row an LP found implied, the rows (0-based) tight at its optimum,
// essential then (based[i] != 0; none for a row b >= 0).  Else empty.
struct Trail {
  std::vector<std::vector<double>> shot;
  std::vector<std::vector<dd_rowrange>> basis;
  std::vector<char> based;
};

// The answer of dd_RedundantRowsWith with Clarkson's method, and its trail.
dd_rowset clarkson_with_trail(dd_MatrixPtr M, dd_ErrorType *error, Trail *trail);

}  // namespace zonix::lp

#endif
