// Exact runs: the library's algorithms over GMP rationals.
//
// The library is compiled twice from the same sources: once with double
// numbers (the C interface of every other header) and once with exact
// rationals (ZONIX_EXACT).  The exact build keeps every symbol to itself
// but its doors, zonix_exact_* below, one per kind of job, which take and
// return the plain types below; they hold no library record, so they mean
// the same on both sides.
#ifndef ZONIX_EXACT_HPP
#define ZONIX_EXACT_HPP

#include <gmpxx.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "zonixtypes.h"

namespace zonix {

// A matrix record's content with rational entries, row-major.
struct QMatrix {
  long rows = 0;
  long cols = 0;
  dd_RepresentationType representation = dd_Inequality;
  std::vector<mpq_class> entries;
  std::vector<long> linearity;  // 1-based, increasing
  dd_LPObjectiveType objective = dd_LPnone;
  std::vector<mpq_class> rowvec;  // cols numbers, or none

  mpq_class &at(long i, long j) { return entries[static_cast<size_t>(i * cols + j)]; }
  const mpq_class &at(long i, long j) const
  {
    return entries[static_cast<size_t>(i * cols + j)];
  }
};

// A set family: set k lists its 1-based members in increasing order.
using QFamily = std::vector<std::vector<long>>;

// The other representation, with the families asked for.
struct ExactConvert {
  const QMatrix *input = nullptr;
  // The input again when the caller is done with it; its entries are
  // freed as soon as the run has its own copy, for the run to reuse.
  QMatrix *spent = nullptr;
  dd_RowOrderType order = dd_LexMin;
  unsigned seed = 1;
  int threads = 1;  // as dd_RunOptions
  bool adjacency = false, incidence = false;
  bool input_adjacency = false, input_incidence = false;
  // The output's rows as text (ExactResult::text) instead of entries,
  // which would take GMP storage per number.
  bool text = false;
  // Without text: the rows as 64-bit integers (ExactResult::integers)
  // when every row of a list without lines has a multiple that fits.
  bool integers = false;
  // With text: where the rows go, piece by piece as they are written,
  // rather than into ExactResult::text, whose pages a large answer would
  // fill only to be copied out.  Each call has the output's head (sizes,
  // representation, linearity; no entries) and at least one is made.
  // False stops the writing.  Unused when the rows come another way.
  std::function<bool(const QMatrix &head, std::string_view rows)> text_sink;
};

// A set of rows (ExactResult::rows).
enum class ExactRowQuery {
  Redundant,          // the redundant rows, by `redundancy`
  StronglyRedundant,  // the strongly redundant rows
  ImplicitLinearity   // the implicit linearities
};

struct ExactRows {
  const QMatrix *input = nullptr;
  ExactRowQuery query = ExactRowQuery::Redundant;
  int redundancy = 0;  // a dd_RedundancyMethod
};

// The LP of the matrix and its objective.
struct ExactLP {
  const QMatrix *input = nullptr;
  dd_LPSolverType solver = dd_DualSimplex;
  bool interior = false;  // the LP of dd_MakeLPforInteriorFinding instead
};

// zonix::proj::project_h of these columns (1-based): ExactResult::output.
struct ExactEliminate {
  const QMatrix *input = nullptr;
  std::vector<long> columns;
  bool fourier = false, reduce = false;
  int projection = -1;  // a zonix::proj::Method; -1: Fourier or block by `fourier`
};

struct ExactResult {
  dd_ErrorType error = dd_NoError;
  QMatrix output;  // convert (without entries when it asked for text), eliminate
  std::string text;  // each row as " x x ... x\n", integers and fractions
  // With ExactConvert::integers, when set: output (no entries) row by row,
  // each a positive multiple of the row, entries below 2^62.
  std::vector<std::int64_t> integers;
  bool as_integers = false;
  QFamily adjacency, incidence, input_adjacency, input_incidence;
  std::vector<long> rows;  // the row queries
  // lp:
  dd_LPStatusType status = dd_LPSundecided;
  mpq_class optvalue;
  std::vector<mpq_class> sol, dsol;
  std::vector<long> nbindex;
  long re = 0, se = 0;
};

#ifdef ZONIX_EXACT
// The output of a finished exact run as ExactResult::text has it, written
// straight from the rays (no matrix of fractions); its row count and
// linearity as the output matrix has them.  False when there is none or
// only the origin.
// With flush, text is handed to it whenever it has grown to a piece, and
// once at the end; flush empties it, and false from it ends the writing.
bool output_text(dd_PolyhedraPtr poly, std::string &text, long *rows, std::vector<long> &linearity,
                 const std::function<bool(std::string &)> *flush = nullptr);

// The output rows of a finished exact run as 64-bit integers (row-major),
// each as the copy's row times the lcm of its denominators; false with
// lines, only the origin, or an entry of 2^62 or more.
bool output_integers(dd_PolyhedraPtr poly, std::vector<std::int64_t> &v, long *rows);

// dd_DDMatrix2PolyWith with M's entries moved into the polyhedron rather
// than copied: M is left with zeros.
dd_PolyhedraPtr matrix_to_poly_taking(dd_MatrixPtr M, dd_RowOrderType order, unsigned seed, int threads,
                                      dd_ErrorType *err);
#endif

}  // namespace zonix

// The doors: each runs its job in exact arithmetic on the calling thread
// (the cancel hook of zonixdd.h is honoured) and fills *result afresh.
// None throws; out of memory becomes dd_OutOfMemory, any other exception
// dd_InternalError, and a null input dd_ImproperInputFormat.
extern "C" {
void zonix_exact_convert(const zonix::ExactConvert *request, zonix::ExactResult *result);
void zonix_exact_rows(const zonix::ExactRows *request, zonix::ExactResult *result);
void zonix_exact_lp(const zonix::ExactLP *request, zonix::ExactResult *result);
// The adjacency of the input's rows, by LPs (ExactResult::adjacency).
void zonix_exact_adjacency(const zonix::QMatrix *input, zonix::ExactResult *result);
void zonix_exact_eliminate(const zonix::ExactEliminate *request, zonix::ExactResult *result);
}

#endif
