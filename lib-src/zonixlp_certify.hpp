// Exact certificates for LP results.  Not a public header.
//
// A solved LP record names its final basis in `nbindex`.  Everything the
// status claims follows from that basis and the data alone, so it can be
// checked in rational arithmetic: either the record's own rows (doubles
// are dyadic rationals, so the check is of the problem the caller gave,
// free of rounding), or exact rows the record's doubles only approximate.
#ifndef ZONIX_LP_CERTIFY_HPP
#define ZONIX_LP_CERTIFY_HPP

#include <gmpxx.h>

#include <optional>
#include <vector>

#include "zonixexact.hpp"
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

// The result of an LP as dd_SetSolutions gives it, in rationals.
struct ExactSolution {
  mpq_class optvalue;
  std::vector<mpq_class> sol, dsol;
};

// settle_exactly for the LP dd_Matrix2LP makes of `rational` (equations
// as negated copies, the objective last), of which lp, solved, holds
// doubles near it; or with rational null, for lp's own rows.  Its basis is
// certified on the exact rows or continued from.  On success lp's status,
// nbindex, re and se are those of the proved result and *out its exact
// values; lp's numbers are not touched.
bool settle_exactly(dd_LPPtr lp, const QMatrix *rational, ExactSolution *out);

enum class RowTest { Redundant, StronglyRedundant, ImplicitLinearity };

// The rows of M, whose exact rows are q, that the test names, as the row
// loops of zonixlp_redundancy.cpp find them: each row's LP solved in
// double on M's rows, its answer proved from the final basis on q's.
// Nothing when a decision could not be proved (*err then says whether the
// run failed, or is dd_NoError and exact LPs must decide).  A generator's
// strong redundancy takes a second LP where the first finds it implied.
// Rows up to `tested_after` only bound the others' LPs and are not tested.
//
// With `witnesses`, what each row's LP proves, for a checker of its own,
// per row of M (0-based; left empty for equations and untested rows):
// for a row named, c such that q_i = s e_0 + sum_k c_k q_k (k 1-based)
// with s >= 0 (0 on generators), c >= 0 off equations (> 0 for a strongly
// redundant generator), the rows k those left when row i was tested; for a
// row not named, its LP's optimal point (H: cols - 1 numbers; V: a row z
// of cols numbers), or for an implicit linearity test without optimum, a
// direction in which the row grows (`ray`).
struct RowWitnesses {
  std::vector<std::vector<std::pair<long, mpq_class>>> combination;
  std::vector<std::vector<mpq_class>> point;
  std::vector<char> ray;
  std::vector<mpq_class> start;
};
std::optional<std::vector<long>> certified_rows(dd_MatrixPtr M, const QMatrix &q, RowTest test,
                                                dd_ErrorType *err, dd_rowrange tested_after = 0,
                                                RowWitnesses *witnesses = nullptr);

}  // namespace zonix::lp

#endif
