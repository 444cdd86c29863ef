// Internal helpers of the LP solver: dictionary entries and per-thread
// scratch vectors.  Not a public header.
#ifndef ZONIX_LP_INTERNAL_HPP
#define ZONIX_LP_INTERNAL_HPP

#include <cstddef>
#include <memory>
#include <vector>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixlp.h"

namespace zonix::lp {

// Dictionary entry (A T)[i][j], 1-based.
inline void entry(mytype x, dd_rowrange m_size, dd_colrange d_size,
                  dd_Amatrix A, dd_Bmatrix T, dd_rowrange i, dd_colrange j)
{
  dd_TableauEntry(reinterpret_cast<mytype *>(x), m_size, d_size, A, T, i, j);
}

// Index vector kept between calls on one thread; its length follows the
// latest request, and the thread's exit releases it.
class ScratchIndex {
 public:
  long *get(long n)
  {
    const auto want = static_cast<std::size_t>(n > 0 ? n : 1);
    if (v_.size() != want) v_.assign(want, 0);
    return v_.data();
  }

 private:
  std::vector<long> v_;
};

// Numbers kept between calls on one thread, re-made when more are needed.
class ScratchNumbers {
 public:
  ScratchNumbers() = default;
  ScratchNumbers(const ScratchNumbers &) = delete;
  ScratchNumbers &operator=(const ScratchNumbers &) = delete;
  ~ScratchNumbers() { dd_FreeArow(len_, v_); }
  mytype *get(long n)
  {
    const long want = n > 0 ? n : 1;
    if (v_ == nullptr || want > len_) {
      dd_FreeArow(len_, v_);
      v_ = nullptr;
      dd_InitializeArow(want, &v_);
      len_ = want;
    }
    return v_;
  }

 private:
  dd_Arow v_ = nullptr;
  long len_ = 0;
};

// Owns a temporary bit set.
class LocalSet {
 public:
  explicit LocalSet(long n) { set_initialize(&s_, n); }
  ~LocalSet() { set_free(s_); }
  LocalSet(const LocalSet &) = delete;
  LocalSet &operator=(const LocalSet &) = delete;
  operator set_type() const { return s_; }

 private:
  set_type s_ = nullptr;
};

// The signature both methods share for maximising (and minimising) an LP.
using MaximizeFn = void (*)(dd_rowrange, dd_colrange, dd_Amatrix, dd_Bmatrix,
                            dd_rowset, dd_rowrange, dd_colrange,
                            dd_LPStatusType *, mytype *, dd_Arow, dd_Arow,
                            dd_colindex, dd_rowrange *, dd_colrange *, long *,
                            dd_ErrorType *);

inline void negate_objective(dd_Amatrix A, dd_rowrange objrow,
                             dd_colrange d_size)
{
  for (dd_colrange j = 1; j <= d_size; ++j)
    ddd_neg(A[objrow - 1][j - 1], A[objrow - 1][j - 1]);
}

// min c.x is -max (-c).x: maximise the negated objective row, then negate
// the value and the dual solution and put the objective row back.
inline void minimize_by(MaximizeFn maximize, dd_rowrange m_size,
                        dd_colrange d_size, dd_Amatrix A, dd_Bmatrix T,
                        dd_rowset equalityset, dd_rowrange objrow,
                        dd_colrange rhscol, dd_LPStatusType *LPS,
                        mytype *optvalue, dd_Arow sol, dd_Arow dsol,
                        dd_colindex nbindex, dd_rowrange *re, dd_colrange *se,
                        long *pivots, dd_ErrorType *err)
{
  *err = dd_NoError;
  negate_objective(A, objrow, d_size);
  maximize(m_size, d_size, A, T, equalityset, objrow, rhscol, LPS, optvalue,
           sol, dsol, nbindex, re, se, pivots, err);
  ddd_neg(*optvalue, *optvalue);
  for (dd_colrange j = 1; j <= d_size; ++j) ddd_neg(dsol[j - 1], dsol[j - 1]);
  negate_objective(A, objrow, d_size);
}

// Runs the method's maximiser or minimiser on the record by its objective.
inline void solve_by(dd_LPPtr lp, MaximizeFn maximize, MaximizeFn minimize,
                     dd_ErrorType *err)
{
  if (lp == nullptr) {
    *err = dd_EmptyRepresentation;
    return;
  }
  MaximizeFn run = lp->objective == dd_LPmax   ? maximize
                   : lp->objective == dd_LPmin ? minimize
                                               : nullptr;
  if (run == nullptr) {
    *err = dd_NoLPObjective;
    return;
  }
  run(lp->m, lp->d, lp->A, lp->B, lp->equalityset, lp->objrow, lp->rhscol,
      &lp->LPS, &lp->optvalue, lp->sol, lp->dsol, lp->nbindex, &lp->re,
      &lp->se, lp->pivots, err);
}

}  // namespace zonix::lp

#endif  // ZONIX_LP_INTERNAL_HPP
