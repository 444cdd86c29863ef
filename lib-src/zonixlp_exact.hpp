// Exact certificates for LP results.  Not a public header.
//
// A solved LP record names its final basis in `nbindex`.  Everything the
// status claims follows from that basis and the data alone, so it can be
// checked in rational arithmetic: the rows and objective are doubles, and
// every double is a dyadic rational, so the check is of the problem the
// caller actually gave, free of rounding.
#ifndef ZONIX_LP_EXACT_HPP
#define ZONIX_LP_EXACT_HPP

#include "zonixlp.h"

namespace zonix::lp {

enum class Verdict {
  Certified,  // the status and its evidence hold exactly
  Refuted,    // the basis does not prove the status
  Unknown     // the status carries no basis that could prove it
};

// Checks lp's status exactly from its final basis: for dd_Optimal primal
// and dual feasibility of the basic solution; for dd_Inconsistent the
// evidence row re; for the dual inconsistent statuses the direction of
// column se.  When `repair` is set and an optimal basis is certified but
// the double solution strays from the exact one by more than rounding
// explains, sol, dsol and optvalue are replaced by the nearest doubles of
// the exact values.  Equations (rows in `equalityset` and their reversed
// copies) are held with equality; all other rows as A_i x >= 0.
Verdict certify_exactly(dd_LPPtr lp, bool repair);

// Makes lp's result certified: keeps it when its basis proves it, and
// otherwise continues from that basis by least-index criss-cross pivots in
// exact arithmetic until a basis proves a status, which then replaces the
// result (status, nbindex, re/se, and sol, dsol, optvalue as the nearest
// doubles).  False when no status could be proved (the basis names rows
// it cannot use, the run was interrupted); lp's status is then unchanged.
bool settle_exactly(dd_LPPtr lp);

}  // namespace zonix::lp

#endif
