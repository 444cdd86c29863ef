// The operations under both front ends: see zonixops.hpp.
#include "zonixops.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "zonixlp.h"

namespace zonix::ops {

namespace {

// The engine and the LPs keep a working copy beside each matrix they make.
inline constexpr double kCopies = 2.0;
// Rows and columns an LP adds to its system (objective, bound, slack).
inline constexpr double kLPExtra = 2.0;

}  // namespace

HookScope::HookScope(const Request &rq)
    : cancel_(rq.cancel != nullptr), progress_(rq.progress != nullptr), iterations_(rq.iterations != nullptr)
{
  if (cancel_) {
    dd_GetCancelHook(&outer_cancel_, &outer_cancel_user_);
    dd_SetCancelHook(rq.cancel, rq.cancel_user);
  }
  if (progress_) {
    dd_GetRowProgressHook(&outer_progress_, &outer_progress_user_);
    dd_SetRowProgressHook(rq.progress, rq.progress_user);
  }
  if (iterations_) {
    dd_GetProgressHook(&outer_iterations_, &outer_iterations_user_);
    dd_SetProgressHook(rq.iterations, rq.iterations_user);
  }
}

HookScope::~HookScope()
{
  if (cancel_) dd_SetCancelHook(outer_cancel_, outer_cancel_user_);
  if (progress_) dd_SetRowProgressHook(outer_progress_, outer_progress_user_);
  if (iterations_) dd_SetProgressHook(outer_iterations_, outer_iterations_user_);
}

double least_storage(double rows, double cols)
{
  const double c = cols + kLPExtra;
  return kCopies * sizeof(double) * (c * c + (rows + kLPExtra) * c);
}

double room_left()
{
  double room = std::numeric_limits<double>::infinity();
#if defined(__unix__) || defined(__APPLE__)
  const auto page = static_cast<double>(sysconf(_SC_PAGESIZE));
  room = page * static_cast<double>(sysconf(_SC_PHYS_PAGES));
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    double used = 0;
#if defined(__linux__)
    if (std::FILE *f = std::fopen("/proc/self/statm", "r")) {
      unsigned long pages = 0;
      if (std::fscanf(f, "%lu", &pages) == 1) used = page * static_cast<double>(pages);
      std::fclose(f);
    }
#endif
    room = std::min(room, static_cast<double>(limit.rlim_cur) - used);
  }
#endif
  return room;
}

InteriorPoint interior_point(dd_MatrixPtr M, dd_LPSolverType solver, const Request &rq,
                             const QMatrix *rational)
{
  const HookScope hooks(rq);
  InteriorPoint r;
  const LP lp(dd_Matrix2LP(M, &r.err));
  if (r.err != dd_NoError) return r;
  r.lp = LP(dd_MakeLPforInteriorFinding(lp.get()));
  if (rational != nullptr)
    solve_lp(r.lp.get(), solver, rq.arithmetic, &r.err, &r.exact, rational, true);
  else
    solve_interior(M, r.lp.get(), solver, rq.arithmetic, &r.err, &r.exact);
  return r;
}

RunConversion convert(dd_MatrixPtr M, std::unique_ptr<QMatrix> rational, ConvertOptions o, const Request &rq,
                      bool engine_checks)
{
  const HookScope hooks(rq);
  o.arithmetic = rq.arithmetic;
  o.threads = rq.threads;
  return convert_keeping_run(M, o, std::move(rational), engine_checks);
}

}  // namespace zonix::ops
