// The operations both front ends (the CLI and the MEX gateway) run, so
// that each only reads its input, calls one of these and formats what it
// returns.  Everything a run depends on comes in an explicit request.
#ifndef ZONIX_OPS_HPP
#define ZONIX_OPS_HPP

#include "zonixarith.hpp"
#include "zonixdd.h"
#include "zonixlp_handles.hpp"

namespace zonix::ops {

// What a caller asks of an operation beside its data.  The hooks, when
// set, are installed for the operation's length on the calling thread
// (HookScope).
struct Request {
  Arithmetic arithmetic = Arithmetic::Auto;
  int threads = 0;  // 0: one per core; no result depends on it
  dd_RowProgressHook progress = nullptr;  // the row loops' progress
  void *progress_user = nullptr;
  dd_ProgressHook iterations = nullptr;  // a conversion's, one call per row added
  void *iterations_user = nullptr;
  dd_CancelHook cancel = nullptr;
  void *cancel_user = nullptr;
};

// A request's hooks, installed on the calling thread for the scope's
// length; those it has none of stay as they are, and those it replaces are
// put back after.
class HookScope {
 public:
  explicit HookScope(const Request &rq);
  ~HookScope();
  HookScope(const HookScope &) = delete;
  HookScope &operator=(const HookScope &) = delete;

 private:
  bool cancel_, progress_, iterations_;
  dd_CancelHook outer_cancel_ = nullptr;
  void *outer_cancel_user_ = nullptr;
  dd_RowProgressHook outer_progress_ = nullptr;
  void *outer_progress_user_ = nullptr;
  dd_ProgressHook outer_iterations_ = nullptr;
  void *outer_iterations_user_ = nullptr;
};

// The least storage in bytes a conversion, LP or query of a rows x cols
// system takes: the matrix and a square basis, each with a working copy.
double least_storage(double rows, double cols);

// Bytes this process may still take: the physical memory, and under an
// address-space limit what is left of it.
double room_left();

// The point of M (an H-representation) with the largest common slack of
// its rows: the LP of dd_MakeLPforInteriorFinding, solved.  With rational
// (M's exact rows, as exact_input makes them) Exact and Auto solve that LP
// of the exact rows; without, the point of a double answer is checked
// inside M exactly (see solve_interior).  The LP is null when M's LP could
// not be made (*err says why).
struct InteriorPoint {
  LP lp;
  dd_ErrorType err = dd_NoError;
  bool exact = false;      // exact arithmetic was used
  bool exact_run = false;  // and not only to prove a double answer
};
InteriorPoint interior_point(dd_MatrixPtr M, dd_LPSolverType solver, const Request &rq,
                             const QMatrix *rational = nullptr);

// The strongly redundant rows of M (row_query) and, with weak, its weak
// adjacency: for each row i not an equation, the rows other than i and
// the equations that are not strongly redundant once i is made an
// equation (an empty set for the equations); both in the request's
// arithmetic.  rational as for row_query.
struct StrongRedundancy {
  Set rows;
  SetFamily weak;  // null unless asked for
  dd_ErrorType err = dd_NoError;
  bool exact = false;      // exact arithmetic gave some answer
  bool exact_run = false;  // an exact run gave some answer
};
StrongRedundancy strong_redundancy(dd_MatrixPtr M, bool weak, const Request &rq,
                                   const QMatrix *rational = nullptr);

// The conversion of M as zonix::convert makes it, in the request's
// arithmetic, on its threads and with its hooks, the double run handed
// over instead of copied (convert_keeping_run).  o's arithmetic and
// threads are the request's.
RunConversion convert(dd_MatrixPtr M, std::unique_ptr<QMatrix> rational, ConvertOptions o, const Request &rq,
                      bool engine_checks = false);

}  // namespace zonix::ops

#endif  // ZONIX_OPS_HPP
