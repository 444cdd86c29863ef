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
  mytype *get(long n)
  {
    const long want = n > 0 ? n : 1;
    if (!v_ || want > len_) {
      v_ = std::make_unique<mytype[]>(static_cast<std::size_t>(want));
      len_ = want;
    }
    return v_.get();
  }

 private:
  std::unique_ptr<mytype[]> v_;
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

}  // namespace zonix::lp

#endif  // ZONIX_LP_INTERNAL_HPP
