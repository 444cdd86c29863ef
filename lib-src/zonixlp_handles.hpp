// Owning handles over the LP records, as zonixhandles.hpp for the others.
#ifndef ZONIX_LP_HANDLES_HPP
#define ZONIX_LP_HANDLES_HPP

#include <memory>

#include "zonixlp.h"

namespace zonix {

struct LPDeleter {
  void operator()(dd_lpdata *lp) const noexcept { dd_FreeLPData(lp); }
};
struct LPSolutionDeleter {
  void operator()(dd_lpsolution *s) const noexcept { dd_FreeLPSolution(s); }
};

using LP = std::unique_ptr<dd_lpdata, LPDeleter>;
using LPSolution = std::unique_ptr<dd_lpsolution, LPSolutionDeleter>;

}  // namespace zonix

#endif  // ZONIX_LP_HANDLES_HPP
