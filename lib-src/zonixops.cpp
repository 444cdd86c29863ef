// The operations under both front ends: see zonixops.hpp.
#include "zonixops.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

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
    solve_lp(r.lp.get(), solver, rq.arithmetic, &r.err, &r.exact, rational, true, &r.exact_run);
  else
    solve_interior(M, r.lp.get(), solver, rq.arithmetic, &r.err, &r.exact, &r.exact_run);
  return r;
}

StrongRedundancy strong_redundancy(dd_MatrixPtr M, bool weak, const Request &rq, const QMatrix *rational)
{
  const HookScope hooks(rq);
  StrongRedundancy r;
  r.rows.reset(row_query(M, RowQuery::StronglyRedundant, rq.arithmetic, &r.err, &r.exact, rational,
                         dd_RedundancyAuto, &r.exact_run));
  if (r.err != dd_NoError || !weak) return r;
  if (rq.arithmetic == Arithmetic::Double) {
    r.weak.reset(dd_Matrix2WeakAdjacency(M, &r.err));
    return r;
  }
  // Each row made an equation in turn, the same query answers for it.
  const long m = M->rowsize;
  SetFamily F(dd_CreateSetFamily(m, m));
  Matrix Mi(dd_MatrixCopy(M));
  if (F == nullptr || Mi == nullptr) {
    r.err = dd_OutOfMemory;
    return r;
  }
  std::optional<QMatrix> qi;
  if (rational != nullptr) qi = *rational;
  for (long i = 1; i <= m; ++i) {
    if (set_member(i, M->linset) != 0) continue;
    set_addelem(Mi->linset, i);
    if (qi) qi->linearity.insert(std::lower_bound(qi->linearity.begin(), qi->linearity.end(), i), i);
    bool exact = false, run = false;
    const Set s(row_query(Mi.get(), RowQuery::StronglyRedundant, rq.arithmetic, &r.err, &exact,
                          qi ? &*qi : nullptr, dd_RedundancyAuto, &run));
    if (r.err != dd_NoError || s == nullptr) {
      if (r.err == dd_NoError) r.err = dd_OutOfMemory;
      return r;
    }
    r.exact = r.exact || exact;
    r.exact_run = r.exact_run || run;
    set_uni(s.get(), s.get(), Mi->linset);
    set_compl(F->set[i - 1], s.get());
    set_delelem(Mi->linset, i);
    if (qi) qi->linearity.erase(std::find(qi->linearity.begin(), qi->linearity.end(), i));
  }
  r.weak = std::move(F);
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
