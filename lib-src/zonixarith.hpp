// The arithmetic of a run: double, exact, or auto (double when its answer
// is certified, else exact).  For C++ callers: the CLI, the MEX gateway and
// users of zonix.hpp.
#ifndef ZONIX_ARITH_HPP
#define ZONIX_ARITH_HPP

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "zonixhandles.hpp"
#include "zonixlp_handles.hpp"
#include "zonixexact.hpp"
#include "zonixio_file.hpp"
#include "zonixproj.h"

namespace zonix::check {
struct IntRows;
}  // namespace zonix::check

namespace zonix {

enum class Arithmetic { Double, Exact, Auto };

// "double", "exact" or "auto"; false for anything else.
bool parse_arithmetic(const std::string &word, Arithmetic *out);

// The double nearest q (ties to even); infinities beyond the range.
double nearest_double(const mpq_class &q);

// Exact copy of M's rows, linearity and objective: every double is a
// dyadic rational.
QMatrix to_rational(dd_MatrixPtr M);

// New matrix record of the nearest doubles of q; the caller frees it with
// dd_FreeMatrix.  Null when memory runs out.
dd_MatrixPtr to_double(const QMatrix &q);

// New set family of the lists in f over 1..ground; free with
// dd_FreeSetFamily.
dd_SetFamilyPtr to_family(const QFamily &f, long ground);

// Writes q in the text format, numbers as integers and fractions under the
// number type "rational", with its objective when it has one.
void write_rational(FILE *f, const QMatrix &q);

// The same with the rows given as text (ExactResult::text) and q's entries
// not used.
void write_rational(FILE *f, const QMatrix &q, const std::string &rows);

// What write_rational writes before q's rows, and after them.
void write_rational_head(FILE *f, const QMatrix &q);
void write_rational_tail(FILE *f, const QMatrix &q);

// The exact rows, linearity and objective of what was read when some of
// its numbers no double holds (1/3, 0.1, 2^53 + 1); null when the doubles
// are the file's numbers.  Takes in's exact numbers.
std::unique_ptr<QMatrix> exact_input(Input &in);

struct ConvertOptions {
  Arithmetic arithmetic = Arithmetic::Auto;
  dd_RowOrderType order = dd_LexMinSpread;
  unsigned seed = 1;  // of the random order
  bool adjacency = false, incidence = false;
  bool input_adjacency = false, input_incidence = false;
  int threads = 0;  // 0: one per core; the result does not depend on it
  // Measured data (some number no integer) in auto: the relative distance
  // of the data for which a double answer must be exactly right; 0 takes
  // check::kMeasuredDelta.
  double tolerance = 0.0;
  // An exact result only for writing: its rows as text, no entries and no
  // doubles (a copy of each would hold more than the text).
  bool text = false;
  // With text, an exact run's rows go here as they are written (as
  // ExactConvert::text_sink); a result whose rows come another way
  // (settled, or without a run's text) has them in Conversion::rows and
  // makes no call.
  std::function<bool(const QMatrix &head, std::string_view rows)> text_sink;
  // Exact: the run's rows pass the independent checker as auto's do (for
  // a caller running auto's exact step itself).
  bool certify = false;
  bool families() const { return adjacency || incidence || input_adjacency || input_incidence; }
};

// Rows of 64-bit integers kept in the number storage of a matrix record,
// 8 bytes an entry, moved in and out with memcpy: settled rows take the
// place of the double rows they come from, and no fresh memory, whose
// first touch costs more than computing them.
struct IntegerRows {
  Matrix store;  // null: no rows
  long rows = 0, cols = 0;
  void get(long k, std::int64_t *out) const;
  void put(long k, const std::int64_t *in);
};

// The result of a conversion in whichever arithmetic gave it.  With
// `exact` set the rational output is in `rational`; `output` always holds
// the (nearest) doubles, and the families are set when asked for; with
// ConvertOptions::text, `rational` has no entries, `rows` holds them as
// text and `output` is null unless a double run made it.
struct Conversion {
  dd_ErrorType error = dd_NoError;
  bool exact = false;
  bool settled = false;  // exact rows settled from a double run, not an exact run
  QMatrix rational;
  std::string rows;
  // With ConvertOptions::text and `rows` empty, settled rows may come as
  // 64-bit integers, each row standing for itself over its scale
  // (write_rational divides).
  IntegerRows integers;
  Matrix output;
  SetFamily adjacency, incidence, input_adjacency, input_incidence;
};

// Writes the result of a conversion with ConvertOptions::text, as
// write_rational(f, c.rational, c.rows) writes text rows.
void write_rational(FILE *f, const Conversion &c);

// Converts M to the other representation.  Double runs the library's
// double description method; Exact runs it over rationals; Auto runs in
// double and keeps that answer unless the run reports that it could not
// certify it, and then runs exactly.  With rational (M's exact rows, as
// Input has them) Exact runs exactly on those rows: the doubles would be
// another polyhedron.  Auto first tries settle_from_double on them.
Conversion convert(dd_MatrixPtr M, const ConvertOptions &options,
                   const QMatrix *rational = nullptr);

// The same, for a caller with no more use for the exact rows: an exact
// run frees them once it has its own copy.
Conversion convert(dd_MatrixPtr M, const ConvertOptions &options, std::unique_ptr<QMatrix> rational);

// How convert came to its answer, for a caller that says which arithmetic
// gave it.
enum class ConvertRoute {
  Double,            // a double run, or its answer settled exactly
  ByLps,             // convert_by_lps found the rows
  ExactInput,        // exact rows no double holds: settled or run exactly
  ExactFirst,        // auto on integers that exact_first picks
  ExactAfterDouble,  // auto: the double answer could not be certified
  Exact              // exact arithmetic was asked for
};

// A conversion that hands its double run over rather than copying its
// answer out of it, for a writer that reads the largest answers from the
// run itself.
struct RunConversion {
  Conversion result;  // no families or output copied from `run`
  // The finished double run the answer stands on (its rows are
  // result.output when set: auto's checked copy; else the run's own), or
  // null when another route gave the answer.
  Polyhedra run;
  ConvertRoute route = ConvertRoute::Exact;
};

// convert, its double run handed over.  engine_checks: auto on measured
// data keeps the run's own final checks too (as the tool always ran them).
RunConversion convert_keeping_run(dd_MatrixPtr M, const ConvertOptions &options,
                                  std::unique_ptr<QMatrix> rational, bool engine_checks);

// The extreme points and rays of the V-representation M: its facets, then
// their generators.  The facets go on exact when they were found exactly;
// in auto on measured data, M's own rows on facets of full rank, taken as
// they are given.
Conversion hull_extreme(dd_MatrixPtr M, const ConvertOptions &options);

// Whether the settled conversion c of the exact rows in passes the
// independent checker.
bool passes_checker(const QMatrix &in, const Conversion &c);

// Whether auto may keep the answer of a finished double run of poly: the
// run decided no rank in double (a lineality).
bool double_answer_certain(dd_PolyhedraPtr poly);

// Whether M's numbers are measured data: some entry (objective included)
// is no integer, and M's number type is not integer or rational (a file's
// fractions are exact data).  Integers, however written, are exact data.
bool measured_data(dd_MatrixPtr M);

// Whether out, a double answer for M, is exactly right for some data
// within relative distance tolerance (0: the default) of M's numbers.
bool answer_within(dd_MatrixPtr M, dd_MatrixPtr out, double tolerance);

// The other representation of a polytope with far more input rows than
// output rows, found one LP at a time (no families): for `double` as it
// comes, for `auto` on measured data only when right for data within
// tolerance (0: the default) of M's; else null, and the caller runs the
// double description method.
dd_MatrixPtr convert_by_lps(dd_MatrixPtr M, Arithmetic arithmetic, double tolerance);

// The conversion of the polyhedron of q (M's exact rows) with its rows
// scaled to integers that doubles hold: a double run, whose output rows
// are then solved exactly from the input rows they lie on and checked
// exactly on every input row.  Error dd_NumericallyInconsistent when
// something does not hold (the rows do not fit, the run or a check
// fails): then only an exact run can tell.
Conversion settle_from_double(dd_MatrixPtr M, const ConvertOptions &options, const QMatrix &q);

// A double run of M as convert runs one, its polyhedron kept in *poly:
// the run's own decisions (its incidence) for settle_run to check.
// Unchecked, the run leaves out its final checks of the list, which a
// caller proving every row and the list complete has no need of.
Conversion run_double(dd_MatrixPtr M, const ConvertOptions &options, Polyhedra *poly, bool checked = true);

// settle_from_double on a finished double run c (of poly, made by
// run_double) of the rows of M, whose exact rows are q: nothing is run
// again.  Its families are kept only when the run's incidence is the
// proved one.
Conversion settle_run(Conversion c, dd_PolyhedraPtr poly, dd_MatrixPtr M, const ConvertOptions &options,
                      const QMatrix &q);

// settle_run on a finished double run of M (poly, as dd_DDMatrix2PolyWith
// made it; options as for convert), M's doubles taken as its exact rows:
// what auto does when the run snapped values to zero.  Error
// dd_NumericallyInconsistent when that proves nothing.
// With unproved, rows that pass every check but the list's completeness
// go there (positive multiples of the rows) while the result is an error.
Conversion settle_finished(dd_PolyhedraPtr poly, dd_MatrixPtr M, const ConvertOptions &options,
                           check::IntRows *unproved = nullptr);

// The rows of a settled conversion (with ConvertOptions::text or not) as a
// matrix of doubles, when each number is a double exactly; null when one
// is not, or the rows came as text.  The integer rows are spent.
Matrix settled_as_doubles(Conversion &c);

// Whether auto settles the conversion of M (exact rows q) from a double
// run rather than run it exactly: by the input's shape, where measured
// cheaper.
bool settling_pays(dd_MatrixPtr M, const QMatrix &q, const ConvertOptions &options);

// Whether auto converts M (integers, no exact rows beside) in exact
// arithmetic from the start: small integers in many columns, in many
// inequalities or in few generators for their columns, or
// generators whose columns differ so much in scale that double runs
// rarely certify an answer; exact runs on such integers cost what double
// ones do or less.
bool exact_first(dd_MatrixPtr M);

// The adjacency of M's rows (dd_Matrix2Adjacency), as a new family (free
// with dd_FreeSetFamily); err, exact and rational as for row_query.
dd_SetFamilyPtr row_adjacency(dd_MatrixPtr M, Arithmetic arithmetic, dd_ErrorType *err,
                              bool *exact, const QMatrix *rational = nullptr);

// A projection in whichever arithmetic gave it, as Conversion holds a
// conversion.
struct Projection {
  dd_ErrorType error = dd_NoError;
  bool exact = false;
  QMatrix rational;
  Matrix output;
};

// Eliminates the columns cols (2..d) of the H-representation M as
// zonix::proj::project_h does (equations substituted first), by block
// elimination or by Fourier-Motzkin one column at a time, with reduce
// without redundant rows.  Auto runs block elimination
// as convert runs a conversion (its cone's conversion is certified); for
// Fourier-Motzkin, whose sums nothing certifies in double, it keeps the
// double rows only when an exact run confirms them.
Projection eliminate(dd_MatrixPtr M, const std::vector<dd_colrange> &cols, bool fourier,
                     bool reduce, Arithmetic arithmetic, const QMatrix *rational = nullptr);

// The same by method (zonix::proj::Method; Auto chooses): Vertices is
// certified on the projected side (the generators' projection's facets
// checked, each shown valid on M by a combination of its rows), or else
// as block elimination is, by its conversions.
Projection eliminate(dd_MatrixPtr M, const std::vector<dd_colrange> &cols, proj::Method method,
                     bool reduce, Arithmetic arithmetic, const QMatrix *rational = nullptr);

// Whether every row of `in` (those in `only`, 1-based, when given) holds
// exactly on every row of `out` (same columns): their product >= 0, and
// = 0 where the row is an equation of `in` or a line of `out`.  With
// `failed`, every row is tried and those that do not hold join it.
bool holds_exactly(const QMatrix &in, const QMatrix &out, set_type only = nullptr,
                   set_type failed = nullptr);

// Takes out of `rest` (1-based rows of q) the points of q, rows (w, w x)
// with w > 0, proved inside every facet b + a.x >= 0 of g (no equations)
// by a ball about the mean of the points not in kept_out.
void inside_ball(const QMatrix &q, const QMatrix &g, set_type kept_out, set_type rest);

enum class RowQuery { Redundant, StronglyRedundant, ImplicitLinearity };

// The rows of M that the query names, as a new set over 1..rowsize (free
// with set_free); *err as from the library, *exact whether exact
// arithmetic gave them (or proved a double answer), *exact_run whether an
// exact run had to.  rational as for convert.
// method: how Redundant decides (dd_RedundantRowsWith), in any arithmetic.
set_type row_query(dd_MatrixPtr M, RowQuery query, Arithmetic arithmetic, dd_ErrorType *err,
                   bool *exact, const QMatrix *rational = nullptr,
                   dd_RedundancyMethod method = dd_RedundancyAuto, bool *exact_run = nullptr);

// Solves lp (built by dd_Matrix2LP or dd_MakeLPforInteriorFinding) and
// leaves the result in it as dd_LPSolve does.  Double: dd_LPSolve, whose
// answers are checked against the caller's rows.  Auto: the same, and an
// answer dd_LPSolve cannot stand behind is settled in exact arithmetic:
// from the basis it ended with (certified, or continued by exact pivots),
// else solved over rationals from the start.  Exact: in double, then the
// result proved (or continued from) on the exact rows in the same way;
// over rationals from the start only when that fails.  Results are
// the nearest doubles of exact values whenever exact arithmetic was used;
// *exact tells whether it was, *exact_run whether the double run's basis
// was not enough (exact pivots or an exact run gave it).  With rational (the exact rows and objective
// lp was made from, as Input has them) Exact and Auto solve the LP of
// those rows, or with interior the LP of dd_MakeLPforInteriorFinding.
dd_boolean solve_lp(dd_LPPtr lp, dd_LPSolverType solver, Arithmetic arithmetic,
                    dd_ErrorType *err, bool *exact, const QMatrix *rational = nullptr,
                    bool interior = false, bool *exact_run = nullptr);

// solve_lp for lp, the LP of dd_MakeLPforInteriorFinding made of M's rows.
// Auto and Exact also check that lp is that LP of M and that its point
// lies inside M by a positive margin, exactly; else the LP of M's rows is
// solved over rationals.
dd_boolean solve_interior(dd_MatrixPtr M, dd_LPPtr lp, dd_LPSolverType solver, Arithmetic arithmetic,
                          dd_ErrorType *err, bool *exact, bool *exact_run = nullptr);

}  // namespace zonix

#endif
