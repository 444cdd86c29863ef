// Reading a representation file for C++ callers: the doubles as
// dd_PolyFile2Matrix2 reads them, and beside them the numbers no double
// holds, exact.  Which arithmetic runs on what was read is the caller's
// choice (zonix::exact_input in zonixarith.hpp makes the exact rows).
#ifndef ZONIX_IO_FILE_HPP
#define ZONIX_IO_FILE_HPP

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <gmpxx.h>

#include "zonixhandles.hpp"

namespace zonix {

// The numbers of a list of an integer or rational file (its body, row-major,
// or its objective) that their doubles do not hold (1/3, 0.1, 2^53 + 1), by
// position.  Most are fractions of 64-bit integers, kept as such: a GMP
// rational each would be most of the cost of reading.
struct ExactList {
  struct Small {
    long k;
    std::int64_t num;
    std::uint64_t den;  // > 0, coprime to num
  };
  std::vector<Small> small;
  std::vector<std::pair<long, mpq_class>> big;
  bool empty() const { return small.empty() && big.empty(); }
  void clear()
  {
    small.clear();
    big.clear();
  }
  // Writes the values into out, whose position k is out[k].
  void apply(std::vector<mpq_class> &out)
  {
    for (const Small &x : small) {
      mpq_ptr q = out[static_cast<std::size_t>(x.k)].get_mpq_t();
      mpz_set_si(mpq_numref(q), x.num);
      mpz_set_ui(mpq_denref(q), x.den);
    }
    for (auto &[k, v] : big) out[static_cast<std::size_t>(k)] = std::move(v);
  }
};

// A representation file as read.
struct Input {
  Matrix doubles;  // as dd_PolyFile2Matrix2 reads it
  // The numbers of an integer or rational file that their doubles do not
  // hold, of its body and of its objective; both empty when the doubles
  // are the file's numbers, or when the reader was not asked to keep them.
  ExactList body, objective;
  bool inexact() const { return !body.empty() || !objective.empty(); }
};

// Reads a representation file as dd_PolyFile2Matrix2 does, in one pass,
// and keeps exact what the doubles do not hold.  On failure *err is the
// error and *why "line N: reason".  Without exact, the words are checked
// as they are with it, and nothing is kept.  Numbers beyond the range
// of the doubles (1e-400, 10^400) are read exactly with beyond_doubles,
// their doubles then only stand-ins of their sign, and refused without.
Input read_representation(FILE *f, dd_ErrorType *err, std::string *why, bool exact = true,
                          bool beyond_doubles = true);

}  // namespace zonix

#endif  // ZONIX_IO_FILE_HPP
