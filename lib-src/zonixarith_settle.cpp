// Exact conversions of rational inputs at the speed of a double run.  A
// row of integers and fractions, times the positive integer that clears
// its denominators, is the same halfspace (or, homogenised, the same
// generator) and often fits doubles exactly.  The double run on those
// rows then tells which input rows each output row lies on; the output
// row is solved exactly from them (fraction-free while the minors fit 64
// bits, else modulo a prime and checked) and its sign on every other input
// row proved by a bound on the double values, or exactly where the bound
// leaves doubt.  Anything that does not hold leaves the work to the exact run.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <immintrin.h>
#include <limits>
#include <memory>
#include <numeric>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "setoper.h"
#include "zonixarith.hpp"
#include "zonixcore_scale.hpp"
#include "zonixcpu.hpp"
#include "zonixgcd.hpp"
#include "zonixio.h"

namespace zonix {
namespace {

using i128 = __int128;
using u128 = unsigned __int128;

// Integers up to 2^53 are doubles exactly.
inline constexpr int kDoubleBits = 53;
// Beyond this many columns the bounds below lose their meaning (127-bit
// sums of products below 2^116 among them).
inline constexpr long kMaxColumns = 1024;
// See the Hadamard bound below: twice what 128-bit integers hold.
inline constexpr double kMostMinorBits = 252.0;
// Minors below 2^62 leave the 64-bit elimination (Mid) two bits of room,
// far more than the rounding of the bound.
inline constexpr double kMidBits = 62.0;
// Integer columns whose largest entries differ by more than this (powers
// of a curve from the sixth on) go to the exact run at once: double runs
// on them snap values or fail, and exact ones cost about as much.
inline constexpr double kExactScales = 1e6;
// Output rows solved in GMP integers before the exact run is left to
// finish the work: it keeps its integers smaller.
inline constexpr long kMostBig = 16;
// A prime below 2^62 for solving modulo p: products of two residues fit
// 124 bits.
inline constexpr std::uint64_t kPrime = (std::uint64_t{1} << 62) - 57;
// Numerators and denominators recovered from residues modulo kPrime:
// 2 kRecovered^2 < kPrime makes the recovery unique.
inline constexpr std::int64_t kRecovered = std::int64_t{1} << 30;
// Exponents whose powers of 2 are normal doubles, with room to spare.
inline constexpr int kPowerRange = 1000;
// A value this small against the sum of its absolute terms marks a row
// the double output row lies on; far above double rounding, far below any gap a
// double run resolves.
inline constexpr double kOnRow = 1e-9;

// Row i of q as the primitive integer row of the same direction; false
// when an entry needs more than 53 bits.
bool integer_row(const QMatrix &q, long i, std::vector<std::int64_t> &out)
{
  mpz_class l = 1, g = 0, v;
  for (long j = 0; j < q.cols; ++j) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), q.at(i, j).get_den_mpz_t());
  std::vector<mpz_class> row(static_cast<size_t>(q.cols));
  for (long j = 0; j < q.cols; ++j) {
    mpz_divexact(v.get_mpz_t(), l.get_mpz_t(), q.at(i, j).get_den_mpz_t());
    row[static_cast<size_t>(j)] = v * q.at(i, j).get_num();
    mpz_gcd(g.get_mpz_t(), g.get_mpz_t(), row[static_cast<size_t>(j)].get_mpz_t());
  }
  for (long j = 0; j < q.cols; ++j) {
    mpz_class &x = row[static_cast<size_t>(j)];
    if (g > 1) mpz_divexact(x.get_mpz_t(), x.get_mpz_t(), g.get_mpz_t());
    if (mpz_sizeinbase(x.get_mpz_t(), 2) > kDoubleBits) return false;
    out[static_cast<size_t>(j)] = mpz_get_si(x.get_mpz_t());
  }
  return true;
}

// Exact integers of the elimination: 64 bits, then 128, with overflow
// checks; GMP's when both overflow.
template <class I>
struct Fixed {
  using T = I;
  static bool mul_sub(T a, T b, T c, T e, T div, T *out)
  {
    T s, t;
    if (__builtin_mul_overflow(a, b, &s) || __builtin_mul_overflow(c, e, &t) ||
        __builtin_sub_overflow(s, t, &s))
      return false;
    *out = div == 1 ? s : s / div;
    return true;
  }
  static T gcd(T a, T b)
  {
    a = a < 0 ? -a : a;
    b = b < 0 ? -b : b;
    while (b != 0) a = std::exchange(b, a % b);
    return a;
  }
};
// 128-bit minors: the exact division by the previous pivot a product by
// its odd part's inverse modulo 2^128, not a division routine of a hundred cycles.
struct Wide {
  using T = i128;
  using U = unsigned __int128;
  T div = 1;
  int shift = 0;
  U inverse = 1;
  bool mul_sub(T a, T b, T c, T e, T d, T *out)
  {
    T s, t;
    if (__builtin_mul_overflow(a, b, &s) || __builtin_mul_overflow(c, e, &t) || __builtin_sub_overflow(s, t, &s))
      return false;
    if (d != div) {
      div = d;
      const U v = d < 0 ? -static_cast<U>(d) : static_cast<U>(d);
      const auto low = static_cast<std::uint64_t>(v);
      shift = low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<std::uint64_t>(v >> 64));
      const U odd = v >> shift;
      inverse = odd;  // right to 3 bits; each step doubles them
      for (int k = 0; k < 6; ++k) inverse *= 2u - odd * inverse;
    }
    const U q = static_cast<U>(s >> shift) * inverse;
    *out = div < 0 ? -static_cast<T>(q) : static_cast<T>(q);
    return true;
  }
  static T gcd(T a, T b) { return Fixed<T>::gcd(a, b); }
};

// 64-bit minors with 128-bit products, for rows whose Hadamard bound keeps
// every minor below 2^kMidBits: nothing overflows, and the exact division
// by the previous pivot is a multiplication by its inverse modulo 2^64
// (after its factors 2 are shifted out), which no hardware division beats.
struct Mid {
  using T = std::int64_t;
  T div = 1;
  int shift = 0;
  std::uint64_t inverse = 1;
  bool mul_sub(T a, T b, T c, T e, T d, T *out)
  {
    const i128 s = static_cast<i128>(a) * b - static_cast<i128>(c) * e;
    if (d != div) {
      div = d;
      shift = std::countr_zero(static_cast<std::uint64_t>(d));
      const auto odd = static_cast<std::uint64_t>(d >> shift);
      inverse = odd;  // right to 3 bits; each step doubles them
      for (int k = 0; k < 5; ++k) inverse *= 2u - odd * inverse;
    }
    *out = static_cast<T>(static_cast<std::uint64_t>(s >> shift) * inverse);
    return true;
  }
  static T gcd(T a, T b) { return Fixed<T>::gcd(a, b); }
};
struct Big {
  using T = mpz_class;
  mpz_class t;  // scratch, so that a step allocates nothing
  bool mul_sub(const T &a, const T &b, const T &c, const T &e, const T &div, T *out)
  {
    mpz_mul(t.get_mpz_t(), c.get_mpz_t(), e.get_mpz_t());
    mpz_mul(out->get_mpz_t(), a.get_mpz_t(), b.get_mpz_t());
    mpz_sub(out->get_mpz_t(), out->get_mpz_t(), t.get_mpz_t());
    mpz_divexact(out->get_mpz_t(), out->get_mpz_t(), div.get_mpz_t());
    return true;
  }
  static T gcd(const T &a, const T &b) { return ::gcd(a, b); }
};

// Brings the first row from `row` on that has a nonzero entry in column c
// to position row; false when there is none.
template <class T>
bool bring_pivot(std::vector<T> &a, long r, long d, long row, long c)
{
  long p = row;
  while (p < r && a[static_cast<size_t>(p * d + c)] == 0) ++p;
  if (p == r) return false;
  if (p != row) std::swap_ranges(a.begin() + p * d, a.begin() + (p + 1) * d, a.begin() + row * d);
  return true;
}

// The direction x with rows . x = 0 when the r rows (of d entries,
// row-major in a, overwritten) have rank d - 1, primitive; false when the
// rank is another or the numbers overflow.  Gauss-Jordan without
// fractions: after each pivot every entry is a minor of the rows, so the
// division by the previous pivot is exact, and at the end every pivot row
// holds the last pivot D on its pivot column.
template <class A>
bool null_direction(A &ops, std::vector<typename A::T> &a, long r, long d, std::vector<typename A::T> &x,
                    std::vector<long> &pivot_col)
{
  using T = typename A::T;
  pivot_col.clear();
  T prev = 1;
  long row = 0;
  auto at = [&](long i, long j) -> T & { return a[static_cast<size_t>(i * d + j)]; };
  for (long c = 0; c < d && row < r; ++c) {
    if (!bring_pivot(a, r, d, row, c)) continue;
    const T piv = at(row, c);
    for (long i = 0; i < r; ++i) {
      if (i == row) continue;
      const T f = at(i, c);
      for (long j = 0; j < d; ++j)
        if (!ops.mul_sub(piv, at(i, j), f, at(row, j), prev, &at(i, j))) return false;
    }
    prev = piv;
    pivot_col.push_back(c);
    ++row;
  }
  if (row != d - 1) return false;
  long free_col = 0;
  while (std::find(pivot_col.begin(), pivot_col.end(), free_col) != pivot_col.end()) ++free_col;
  x.assign(static_cast<size_t>(d), T(0));
  x[static_cast<size_t>(free_col)] = prev;
  for (long k = 0; k < row; ++k)
    x[static_cast<size_t>(pivot_col[static_cast<size_t>(k)])] = -at(k, free_col);
  T g = 0;
  for (const T &v : x) g = A::gcd(g, v);
  for (T &v : x) v /= g;
  return true;
}

// Arithmetic modulo kPrime with Montgomery products: mul(a, b) is
// a b 2^-64, which scales a row update uniformly and so leaves the null
// space alone; plain(a, b) is a b.
struct Modular {
  std::uint64_t p = kPrime, neg_inverse = 0, r2 = 0;
  Modular()
  {
    std::uint64_t inv = p;  // right to 3 bits; each step doubles them
    for (int k = 0; k < 5; ++k) inv *= 2u - p * inv;
    neg_inverse = 0u - inv;
    const auto r = static_cast<std::uint64_t>((static_cast<u128>(1) << 64) % p);
    r2 = static_cast<std::uint64_t>(static_cast<u128>(r) * r % p);
  }
  std::uint64_t mul(std::uint64_t a, std::uint64_t b) const
  {
    const u128 t = static_cast<u128>(a) * b;
    const std::uint64_t m = static_cast<std::uint64_t>(t) * neg_inverse;
    const auto u = static_cast<std::uint64_t>((t + static_cast<u128>(m) * p) >> 64);
    return u >= p ? u - p : u;
  }
  std::uint64_t plain(std::uint64_t a, std::uint64_t b) const { return mul(mul(a, b), r2); }
  std::uint64_t sub(std::uint64_t a, std::uint64_t b) const { return a >= b ? a - b : a + p - b; }
  std::uint64_t add(std::uint64_t a, std::uint64_t b) const { return sub(a, p - b); }
  std::uint64_t of(std::int64_t v) const
  {
    const std::int64_t m = v % static_cast<std::int64_t>(p);
    return static_cast<std::uint64_t>(m < 0 ? m + static_cast<std::int64_t>(p) : m);
  }
  std::int64_t symmetric(std::uint64_t v) const
  {
    return v > p / 2 ? static_cast<std::int64_t>(v) - static_cast<std::int64_t>(p) : static_cast<std::int64_t>(v);
  }
  // a^-1 for a in 1..p-1, by Euclid: |t| stays below p.
  std::uint64_t inverse(std::uint64_t a) const
  {
    std::int64_t r0 = static_cast<std::int64_t>(p), r1 = static_cast<std::int64_t>(a), t0 = 0, t1 = 1;
    while (r1 != 0) {
      const std::int64_t q = r0 / r1;
      r0 = std::exchange(r1, r0 - q * r1);
      t0 = std::exchange(t1, t0 - q * t1);
    }
    return static_cast<std::uint64_t>(t0 < 0 ? t0 + static_cast<std::int64_t>(p) : t0);
  }
  // n / e = u with |n|, e <= kRecovered (unique when it exists: 2
  // kRecovered^2 < p); false when there is none.
  bool recover(std::uint64_t u, std::int64_t *n, std::int64_t *e) const
  {
    std::int64_t r0 = static_cast<std::int64_t>(p), r1 = static_cast<std::int64_t>(u), t0 = 0, t1 = 1;
    while (r1 > kRecovered) {
      const std::int64_t q = r0 / r1;
      r0 = std::exchange(r1, r0 - q * r1);
      t0 = std::exchange(t1, t0 - q * t1);
    }
    if (t1 == 0 || t1 > kRecovered || t1 < -kRecovered) return false;
    *n = t1 < 0 ? -r1 : r1;
    *e = t1 < 0 ? -t1 : t1;
    return true;
  }
};

// x from the rows of `in` listed in zero, through their null space modulo
// kPrime, its ratios recovered as small fractions: a guess, kept only when
// x is zero on every one of those rows exactly.  With the rank d - 1
// modulo p (so at least d - 1 over the rationals) that makes x the
// direction.  False when the guess does not hold.
bool solve_modular(const Modular &mod, const std::vector<std::uint64_t> &residues,
                   const std::vector<std::int64_t> &in, const std::vector<long> &zero, long d,
                   std::vector<std::uint64_t> &a, std::vector<long> &pivot_col,
                   std::vector<std::uint64_t> &ratio, std::vector<std::int64_t> &x)
{
  const long r = static_cast<long>(zero.size());
  a.resize(zero.size() * static_cast<size_t>(d));
  for (long t = 0; t < r; ++t)
    std::copy_n(residues.begin() + zero[static_cast<size_t>(t)] * d, d, a.begin() + t * d);
  auto at = [&](long i, long j) -> std::uint64_t & { return a[static_cast<size_t>(i * d + j)]; };
  pivot_col.clear();
  long row = 0;
  for (long c = 0; c < d && row < r; ++c) {
    if (!bring_pivot(a, r, d, row, c)) continue;
    const std::uint64_t piv = at(row, c);
    // Echelon form: the rows below only, from column c on.
    for (long i = row + 1; i < r; ++i) {
      const std::uint64_t f = at(i, c);
      if (f == 0) continue;
      for (long j = c; j < d; ++j) at(i, j) = mod.sub(mod.mul(piv, at(i, j)), mod.mul(f, at(row, j)));
    }
    pivot_col.push_back(c);
    ++row;
  }
  if (row != d - 1) return false;
  long free_col = 0;
  while (free_col < row && pivot_col[static_cast<size_t>(free_col)] == free_col) ++free_col;
  // Back substitution without inverses: before pivot row k sets its
  // column, the entries found so far are scaled by its pivot, which keeps
  // them a null direction of the rows below up to a common factor.
  ratio.assign(static_cast<size_t>(d), 0);
  ratio[static_cast<size_t>(free_col)] = 1;
  for (long k = row - 1; k >= 0; --k) {
    const long pc = pivot_col[static_cast<size_t>(k)];
    std::uint64_t sum = 0;
    for (long j = pc + 1; j < d; ++j) sum = mod.add(sum, mod.mul(at(k, j), ratio[static_cast<size_t>(j)]));
    for (long j = 0; j < d; ++j) ratio[static_cast<size_t>(j)] = mod.mul(at(k, pc), ratio[static_cast<size_t>(j)]);
    ratio[static_cast<size_t>(pc)] = mod.sub(0, sum);
  }
  // x / x[free_col], whose value there is not 0 modulo p (a product of
  // pivots; the null space is a line, and a primitive x is not 0 modulo p).
  const std::uint64_t unit = mod.inverse(ratio[static_cast<size_t>(free_col)]);
  for (long j = 0; j < d; ++j) ratio[static_cast<size_t>(j)] = mod.plain(ratio[static_cast<size_t>(j)], unit);
  // The least common denominator, grown where a ratio times it is not
  // yet small.
  std::int64_t l = 1;
  for (long j = 0; j < d; ++j) {
    const std::uint64_t w = mod.plain(static_cast<std::uint64_t>(l), ratio[static_cast<size_t>(j)]);
    const std::int64_t s = mod.symmetric(w);
    if (s <= kRecovered && s >= -kRecovered) continue;
    std::int64_t n, e;
    if (!mod.recover(w, &n, &e)) return false;
    l *= e;
    if (l > kRecovered) return false;
  }
  x.resize(static_cast<size_t>(d));
  std::int64_t g = 0;
  for (long j = 0; j < d; ++j) {
    x[static_cast<size_t>(j)] = mod.symmetric(mod.plain(static_cast<std::uint64_t>(l), ratio[static_cast<size_t>(j)]));
    g = Fixed<std::int64_t>::gcd(g, x[static_cast<size_t>(j)]);
  }
  for (std::int64_t &v : x) v /= g;
  // Products below 2^115, d of them below 2^125.
  for (const long t : zero) {
    i128 s = 0;
    for (long j = 0; j < d; ++j)
      s += static_cast<i128>(in[static_cast<size_t>(t * d + j)]) * x[static_cast<size_t>(j)];
    if (s != 0) return false;
  }
  return true;
}

// Where solve_direction starts and how often it needed GMP: integers that
// outgrow 128 bits on one output row mostly do on the next.
struct SolveLevel {
  int start = 0;  // 0: 64 bits (Wrapped, else Mid), 1: modulo p, then 128 bits, 2: GMP
  long big = 0;
  bool gmp = true;  // whether GMP may solve at all
  double minor_bits = 0.0;  // every minor of up to d rows is below 2^minor_bits
  const std::vector<double> *row_bits = nullptr;  // each row's share of Hadamard's bound
};

// Exact division by an integer known to divide: by the inverse of its odd
// part modulo 2^64 after its factors 2 are shifted out.
struct Divisor {
  int shift = 0;
  std::uint64_t inverse = 1;
  explicit Divisor(std::uint64_t v = 1)
  {
    shift = std::countr_zero(v);
    const std::uint64_t odd = v >> shift;
    inverse = (3 * odd) ^ 2;  // right to 5 bits; each step doubles them
    for (int k = 0; k < 4; ++k) inverse *= 2u - odd * inverse;
  }
  // q = s / v from s modulo 2^64 alone: the low 64 - shift bits of q come
  // out right, which is all of q when |q| < 2^(63 - shift).
  std::int64_t quotient(std::uint64_t s) const
  {
    return static_cast<std::int64_t>(((s >> shift) * inverse) << shift) >> shift;
  }
};

// All eight lanes: the masked forms of the variable shifts, whose plain
// forms start from an undefined vector that GCC 12 warns of.
inline constexpr __mmask8 kAll = 0xff;

// One step of null_direction_wrapped: column c cleared below the pivot
// of row `row`, the rows below updated as piv a - f top over the last
// pivot.  D is d when fixed at compile time, else 0.
template <long D>
[[gnu::always_inline]] inline void eliminate_below_of(std::uint64_t *a, long r, long d, long row, long c,
                                                      const Divisor &prev)
{
  const long dd = D > 0 ? D : d;
  const std::uint64_t *top = a + row * dd;
  const std::uint64_t piv = top[c];
  for (long i = row + 1; i < r; ++i) {
    std::uint64_t *ri = a + i * dd;
    const std::uint64_t f = ri[c];
    ri[c] = 0;
    // An odd divisor (the first pivot, 1, among them) needs no shifts.
    if (prev.shift == 0)
      for (long j = c + 1; j < dd; ++j) ri[j] = (piv * ri[j] - f * top[j]) * prev.inverse;
    else
      for (long j = c + 1; j < dd; ++j) ri[j] = static_cast<std::uint64_t>(prev.quotient(piv * ri[j] - f * top[j]));
  }
}

// The same eight entries at a time with AVX-512.
__attribute__((target("avx512f,avx512dq"))) void eliminate_below_avx512(std::uint64_t *a, long r, long d,
                                                                        long row, long c, const Divisor &prev)
{
  const std::uint64_t *top = a + row * d;
  const __m512i piv = _mm512_set1_epi64(static_cast<long long>(top[c]));
  const __m512i inverse = _mm512_set1_epi64(static_cast<long long>(prev.inverse));
  const __m512i shift = _mm512_set1_epi64(prev.shift);
  for (long i = row + 1; i < r; ++i) {
    std::uint64_t *ri = a + i * d;
    const __m512i f = _mm512_set1_epi64(static_cast<long long>(ri[c]));
    ri[c] = 0;
    for (long j = c + 1; j < d; j += 8) {
      const __mmask8 in = d - j >= 8 ? __mmask8(0xff) : static_cast<__mmask8>((1u << (d - j)) - 1u);
      const __m512i x = _mm512_maskz_loadu_epi64(in, ri + j), t = _mm512_maskz_loadu_epi64(in, top + j);
      const __m512i s = _mm512_sub_epi64(_mm512_mullo_epi64(piv, x), _mm512_mullo_epi64(f, t));
      const __m512i q = _mm512_mullo_epi64(_mm512_maskz_srlv_epi64(kAll, s, shift), inverse);
      _mm512_mask_storeu_epi64(ri + j, in, _mm512_maskz_srav_epi64(kAll, _mm512_maskz_sllv_epi64(kAll, q, shift), shift));
    }
  }
}

// D is d when fixed at compile time, else 0; Wide the elimination step of
// AVX-512, else the one inlined.
template <long D, bool Wide>
bool null_direction_wrapped_of(std::vector<std::int64_t> &a64, long r, long d, double bits,
                               std::vector<std::int64_t> &x, std::vector<long> &pivot_col,
                               std::vector<Divisor> &pivots)
{
  const long dd = D > 0 ? D : d;
  // Quotients below 2^bits need 63 - shift bits; one more for the rounding
  // of the bound.
  auto fits = [&](const Divisor &v) { return static_cast<double>(v.shift) + bits <= 62.0; };
  auto *a = reinterpret_cast<std::uint64_t *>(a64.data());
  auto at = [&](long i, long j) -> std::uint64_t & { return a[i * dd + j]; };
  // Sized once: a row's pivots are written in place.
  pivot_col.resize(static_cast<size_t>(dd));
  pivots.resize(static_cast<size_t>(dd));
  Divisor prev;
  long row = 0;
  for (long c = 0; c < dd && row < r; ++c) {
    if (!bring_pivot(a64, r, dd, row, c)) continue;
    const std::uint64_t piv = at(row, c);
    if constexpr (Wide) eliminate_below_avx512(a, r, dd, row, c, prev);
    else eliminate_below_of<D>(a, r, dd, row, c, prev);
    prev = Divisor(piv);
    if (!fits(prev)) return false;
    pivots[static_cast<size_t>(row)] = prev;
    pivot_col[static_cast<size_t>(row)] = c;
    ++row;
  }
  if (row != dd - 1) return false;
  long free_col = 0;
  while (free_col < row && pivot_col[static_cast<size_t>(free_col)] == free_col) ++free_col;
  x.assign(static_cast<size_t>(dd), 0);
  auto *xu = reinterpret_cast<std::uint64_t *>(x.data());
  xu[free_col] = at(row - 1, pivot_col[static_cast<size_t>(row - 1)]);
  for (long k = row - 1; k >= 0; --k) {
    const long p = pivot_col[static_cast<size_t>(k)];
    std::uint64_t s = 0;
    for (long j = p + 1; j < dd; ++j) s += at(k, j) * xu[j];
    x[static_cast<size_t>(p)] = pivots[static_cast<size_t>(k)].quotient(0u - s);
  }
  // Not made primitive here: the text divides each entry by its gcd with
  // the row's scale anyway, and rows are compared as directions.
  return true;
}

// A direction x with rows . x = 0 when the r rows (of d entries,
// row-major in a, overwritten) have rank d - 1, not always primitive.
// Fraction-free elimination to echelon form, then back substitution from
// the free column, which takes the last pivot: every entry met is a minor
// of the rows, below 2^bits, and every division exact, so all of it runs
// modulo 2^64 (Divisor::quotient).  False when the rank is another, or
// when a pivot's factors 2 leave a quotient too little room (Mid then
// solves).
bool null_direction_wrapped(std::vector<std::int64_t> &a64, long r, long d, double bits,
                            std::vector<std::int64_t> &x, std::vector<long> &pivot_col,
                            std::vector<Divisor> &pivots)
{
  static const bool wide = cpu::avx512_dq();
  if (wide) return null_direction_wrapped_of<0, true>(a64, r, d, bits, x, pivot_col, pivots);
  switch (d) {
    case 4: return null_direction_wrapped_of<4, false>(a64, r, d, bits, x, pivot_col, pivots);
    case 5: return null_direction_wrapped_of<5, false>(a64, r, d, bits, x, pivot_col, pivots);
    case 6: return null_direction_wrapped_of<6, false>(a64, r, d, bits, x, pivot_col, pivots);
    case 7: return null_direction_wrapped_of<7, false>(a64, r, d, bits, x, pivot_col, pivots);
    case 8: return null_direction_wrapped_of<8, false>(a64, r, d, bits, x, pivot_col, pivots);
    case 9: return null_direction_wrapped_of<9, false>(a64, r, d, bits, x, pivot_col, pivots);
    default: return null_direction_wrapped_of<0, false>(a64, r, d, bits, x, pivot_col, pivots);
  }
}

// null_direction_wrapped modulo 2^128, for minors below 2^bits past 64
// bits: each exact quotient comes from its residue through the odd part's
// inverse, with room while shift + bits <= 126; no product needs checking.
bool null_direction_wrapped128(const std::vector<std::int64_t> &in, const std::vector<long> &zero, long d,
                               double bits, std::vector<u128> &a, std::vector<i128> &x, std::vector<long> &pivot_col)
{
  const long r = static_cast<long>(zero.size());
  a.resize(zero.size() * static_cast<size_t>(d));
  for (long t = 0; t < r; ++t)
    for (long j = 0; j < d; ++j)
      a[static_cast<size_t>(t * d + j)] = static_cast<u128>(static_cast<i128>(in[static_cast<size_t>(zero[static_cast<size_t>(t)] * d + j)]));
  auto at = [&](long i, long j) -> u128 & { return a[static_cast<size_t>(i * d + j)]; };
  struct Div {
    int shift = 0;
    u128 inverse = 1;
    i128 quotient(u128 s) const { return static_cast<i128>(((s >> shift) * inverse) << shift) >> shift; }
  };
  auto divisor = [&](u128 v, Div &q) {
    const u128 m = static_cast<i128>(v) < 0 ? 0u - v : v;
    const auto low = static_cast<std::uint64_t>(m);
    q.shift = low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<std::uint64_t>(m >> 64));
    const u128 odd = v >> q.shift;  // odd, of v's sign modulo 2^(128 - shift)
    q.inverse = odd;  // right to 3 bits; each step doubles them
    for (int k = 0; k < 6; ++k) q.inverse *= 2u - odd * q.inverse;
    return static_cast<double>(q.shift) + bits <= 126.0;
  };
  std::vector<Div> pivots;
  pivot_col.clear();
  Div prev;
  long row = 0;
  for (long c = 0; c < d && row < r; ++c) {
    long p = row;
    while (p < r && at(p, c) == 0) ++p;
    if (p == r) continue;
    if (p != row) std::swap_ranges(a.begin() + p * d, a.begin() + (p + 1) * d, a.begin() + row * d);
    const u128 piv = at(row, c);
    for (long i = row + 1; i < r; ++i) {
      const u128 f = at(i, c);
      at(i, c) = 0;
      for (long j = c + 1; j < d; ++j) at(i, j) = static_cast<u128>(prev.quotient(piv * at(i, j) - f * at(row, j)));
    }
    if (!divisor(piv, prev)) return false;
    pivots.push_back(prev);
    pivot_col.push_back(c);
    ++row;
  }
  if (row != d - 1) return false;
  long free_col = 0;
  while (free_col < row && pivot_col[static_cast<size_t>(free_col)] == free_col) ++free_col;
  std::vector<u128> xu(static_cast<size_t>(d), 0);
  xu[static_cast<size_t>(free_col)] = at(row - 1, pivot_col[static_cast<size_t>(row - 1)]);
  for (long k = row - 1; k >= 0; --k) {
    const long p = pivot_col[static_cast<size_t>(k)];
    u128 sum = 0;
    for (long j = p + 1; j < d; ++j) sum += at(k, j) * xu[static_cast<size_t>(j)];
    xu[static_cast<size_t>(p)] = static_cast<u128>(pivots[static_cast<size_t>(k)].quotient(0u - sum));
  }
  x.assign(static_cast<size_t>(d), 0);
  for (long j = 0; j < d; ++j) x[static_cast<size_t>(j)] = static_cast<i128>(xu[static_cast<size_t>(j)]);
  return true;
}

// Entries below this leave products with rows of 53 bits, d of them,
// inside 128 bits.
inline constexpr std::int64_t kSmall = std::int64_t{1} << 62;

// An output row's direction: in `small` while its entries are below
// kSmall, else in `big`.
struct Direction {
  bool is_small = true;
  std::vector<std::int64_t> small;
  std::vector<mpz_class> big;
};

// The scratch of solving, kept from one output row to the next.
struct Solver {
  Modular mod;
  std::vector<std::uint64_t> residues;  // the input rows modulo p
  std::vector<std::int64_t> a64;
  std::vector<i128> a128, x128;
  std::vector<u128> u128s;
  std::vector<std::uint64_t> amod, ratio;
  std::vector<long> pivots;
  std::vector<Divisor> divisors;
};

// x as the double row c (of the run) over its smallest entry, when those
// are integers to the last bits and vanish exactly on the rows of `in`
// listed in zero: most vertices and rays of integer data, for a few
// products a row instead of an elimination.  Which rows x lies on, and
// that they make x a vertex or extreme ray, is settled after as for a
// solved x.
bool rounded_direction(const std::vector<std::int64_t> &in, const std::vector<long> &zero, long d,
                       const double *c, Direction &x)
{
  // Integers below 2^52, d products with rows below 2^62 inside 128 bits.
  constexpr double kRoundable = 0x1p52;
  constexpr double kNearInteger = 1e-9;
  double least = 0.0;
  for (long j = 0; j < d; ++j)
    if (c[j] != 0.0 && (least == 0.0 || std::fabs(c[j]) < least)) least = std::fabs(c[j]);
  if (least == 0.0) return false;
  x.is_small = true;
  x.small.resize(static_cast<size_t>(d));
  for (long j = 0; j < d; ++j) {
    const double y = c[j] / least, r = std::nearbyint(y);
    if (!(std::fabs(r) < kRoundable) || std::fabs(y - r) > kNearInteger * std::max(1.0, std::fabs(r))) return false;
    x.small[static_cast<size_t>(j)] = static_cast<std::int64_t>(r);
  }
  for (const long i : zero) {
    i128 w = 0;
    for (long j = 0; j < d; ++j) w += static_cast<i128>(in[static_cast<size_t>(i * d + j)]) * x.small[static_cast<size_t>(j)];
    if (w != 0) return false;
  }
  return true;
}

// x from the rows of `in` listed in zero.
bool solve_direction(Solver &sv, const std::vector<std::int64_t> &in, const std::vector<long> &zero, long d,
                     Direction &x, SolveLevel &level)
{
  const size_t n = zero.size() * static_cast<size_t>(d);
  const long r = static_cast<long>(zero.size());
  // Fewer than d - 1 rows leave more than one direction (the run's rows
  // of a ray leave out the equations): every method below would fail.
  if (r < d - 1) return false;
  auto rows_to = [&](auto &a) {
    for (size_t t = 0; t < zero.size(); ++t)
      std::copy_n(in.begin() + zero[t] * d, d, a.begin() + static_cast<long>(t) * d);
  };
  x.is_small = true;
  if (level.start == 0) {
    sv.a64.resize(n);
    rows_to(sv.a64);
    // The minors of these rows alone: mostly far below those of any d rows.
    double bits = 0.0;
    for (const long i : zero) bits += (*level.row_bits)[static_cast<size_t>(i)];
    if (null_direction_wrapped(sv.a64, r, d, std::min(bits, level.minor_bits), x.small, sv.pivots,
                               sv.divisors))
      return true;
    rows_to(sv.a64);
    Mid mid;
    if (null_direction(mid, sv.a64, r, d, x.small, sv.pivots)) return true;
    level.start = 1;
  }
  if (level.start == 1) {
    double bits = 0.0;
    for (const long i : zero) bits += (*level.row_bits)[static_cast<size_t>(i)];
    bits = std::min(bits, level.minor_bits);
    // Rows whose own minors stay in 64 bits, though some d rows' do not:
    // modulo 2^64 first.
    if (bits <= kMidBits) {
      sv.a64.resize(n);
      rows_to(sv.a64);
      if (null_direction_wrapped(sv.a64, r, d, bits, x.small, sv.pivots, sv.divisors)) return true;
    }
    // Modulo 2^128 where the minors leave room (most often), else the modular guess first.
    bool solved = bits <= 120.0 && null_direction_wrapped128(in, zero, d, bits, sv.u128s, sv.x128, sv.pivots);
    if (!solved && solve_modular(sv.mod, sv.residues, in, zero, d, sv.amod, sv.pivots, sv.ratio, x.small)) return true;
    solved = solved || (bits > 120.0 && null_direction_wrapped128(in, zero, d, bits, sv.u128s, sv.x128, sv.pivots));
    if (!solved) sv.a128.resize(n), rows_to(sv.a128);
    Wide wide;
    if (solved || null_direction(wide, sv.a128, r, d, sv.x128, sv.pivots)) {
      bool fits = true;
      for (const i128 v : sv.x128) fits = fits && v < kSmall && v > -kSmall;
      if (fits) {
        x.small.assign(sv.x128.begin(), sv.x128.end());
        return true;
      }
      x.is_small = false;
      x.big.resize(static_cast<size_t>(d));
      for (long j = 0; j < d; ++j) {
        const i128 v = sv.x128[static_cast<size_t>(j)];
        mpz_class &e = x.big[static_cast<size_t>(j)];
        e = mpz_class(static_cast<long>(v >> 64));
        e <<= 64;
        e += mpz_class(static_cast<unsigned long>(static_cast<std::uint64_t>(v)));
      }
      return true;
    }
    // The modular guess is tried on every row: it does not depend on the
    // size of the minors.
  }
  if (!level.gmp) return false;
  ++level.big;
  std::vector<mpz_class> a(n);
  rows_to(a);
  Big big;
  x.is_small = false;
  return null_direction(big, a, r, d, x.big, sv.pivots);
}

// Rows taken together by below(), and the padding of its columns: four
// vectors of four.
inline constexpr long kRowBlock = 16;
// The weight of a mark (see settle_rows): values without it are at most 1
// in absolute value.
inline constexpr double kMarked = 4.0;

using Four = double __attribute__((vector_size(4 * sizeof(double))));
using FourMask = std::int64_t __attribute__((vector_size(4 * sizeof(std::int64_t))));
// Four doubles read in place, at any double's alignment.
using FourAt = double __attribute__((vector_size(4 * sizeof(double)), aligned(alignof(double)), may_alias));

// With List false, whether every value v_i := row i . c (i < m) is above
// t, returned as 0 when so; with List true, lists the rows i < rows whose
// value is not, i into `listed` and v_i into `values` (both with room for
// every row), and returns their count.  `cols` holds the rows by columns
// of m entries (m a multiple of kRowBlock); each sum runs over j in order.
// A block's sums stay in registers, tested at once.  D is d when it is
// fixed at compile time (the products then unrolled, c's entries kept in
// registers), else 0.
template <long D, bool List>
[[gnu::always_inline]] inline long below_of(const std::vector<double> &cols, long rows, long m, long d,
                                            const double *c, double t, std::vector<long> &listed,
                                            std::vector<double> &values)
{
  const long dd = D > 0 ? D : d;
  Four cv[D > 0 ? D : 1];
  if constexpr (D > 0)
    for (long j = 0; j < D; ++j) cv[j] = Four{c[j], c[j], c[j], c[j]};
  const Four tt = {t, t, t, t};
  FourMask all = {-1, -1, -1, -1};
  long k = 0;
  for (long i = 0; i < m; i += kRowBlock) {
    const auto *col = reinterpret_cast<const FourAt *>(cols.data() + i);
    const Four c0 = D > 0 ? cv[0] : Four{c[0], c[0], c[0], c[0]};
    Four s0 = c0 * col[0], s1 = c0 * col[1], s2 = c0 * col[2], s3 = c0 * col[3];
#pragma GCC unroll 16
    for (long j = 1; j < dd; ++j) {
      const auto *cl = reinterpret_cast<const FourAt *>(cols.data() + i + j * m);
      const Four cj = D > 0 ? cv[j] : Four{c[j], c[j], c[j], c[j]};
      s0 += cj * cl[0];
      s1 += cj * cl[1];
      s2 += cj * cl[2];
      s3 += cj * cl[3];
    }
    // Not !(s <= t): a value that is not a number is listed.
    const FourMask above = (s0 > tt) & (s1 > tt) & (s2 > tt) & (s3 > tt);
    if constexpr (!List) {
      all &= above;
      continue;
    }
    if ((above[0] & above[1] & above[2] & above[3]) != 0) continue;
    const Four s[4] = {s0, s1, s2, s3};
    for (int q = 0; q < 4; ++q) {
      const FourMask low = !(s[q] > tt);
      if ((low[0] | low[1] | low[2] | low[3]) == 0) continue;
      for (long u = 0; u < 4 && i + 4 * q + u < rows; ++u)
        if (low[u] != 0) {
          listed[static_cast<size_t>(k)] = i + 4 * q + u;
          values[static_cast<size_t>(k++)] = s[q][u];
        }
    }
  }
  if constexpr (!List) return (all[0] & all[1] & all[2] & all[3]) != 0 ? 0 : 1;
  return k;
}

// below_of for the common widths unrolled, others as they come.
template <bool List>
[[gnu::always_inline]] inline long below_any(const std::vector<double> &cols, long rows, long m, long d,
                                             const double *c, double t, std::vector<long> &listed,
                                             std::vector<double> &values)
{
  switch (d) {
    case 4: return below_of<4, List>(cols, rows, m, d, c, t, listed, values);
    case 5: return below_of<5, List>(cols, rows, m, d, c, t, listed, values);
    case 6: return below_of<6, List>(cols, rows, m, d, c, t, listed, values);
    case 7: return below_of<7, List>(cols, rows, m, d, c, t, listed, values);
    case 8: return below_of<8, List>(cols, rows, m, d, c, t, listed, values);
    case 9: return below_of<9, List>(cols, rows, m, d, c, t, listed, values);
    case 10: return below_of<10, List>(cols, rows, m, d, c, t, listed, values);
    default: return below_of<0, List>(cols, rows, m, d, c, t, listed, values);
  }
}

long below_plain(const std::vector<double> &cols, long rows, long m, long d, const double *c, double t,
                 std::vector<long> &listed, std::vector<double> &values)
{
  if (below_any<false>(cols, rows, m, d, c, t, listed, values) == 0) return 0;
  return below_any<true>(cols, rows, m, d, c, t, listed, values);
}

// With fused products and sums, whose single rounding keeps the values
// within the same bound.
__attribute__((target("avx2,fma"))) long below_fma(const std::vector<double> &cols, long rows, long m, long d,
                                                   const double *c, double t, std::vector<long> &listed,
                                                   std::vector<double> &values)
{
  if (below_any<false>(cols, rows, m, d, c, t, listed, values) == 0) return 0;
  return below_any<true>(cols, rows, m, d, c, t, listed, values);
}

// The rows i < rows whose value row i . c is not above t, as below_of
// lists them: mostly there is none, which one pass without branches tells.
long below(const std::vector<double> &cols, long rows, long m, long d, const double *c, double t,
           std::vector<long> &listed, std::vector<double> &values)
{
  static const auto run = cpu::avx2_fma() ? below_fma : below_plain;
  return run(cols, rows, m, d, c, t, listed, values);
}

// Whether the double run takes the rows as given (nearest doubles) rather
// than as integer rows: for points (first entries 1) of well-scaled
// columns, which the default order spreads only when it sees them as
// points.  The check is exact whichever rows the run took; on columns of
// very different scales (powers of a curve) the exact integer rows keep
// the run accurate.
bool run_as_given(dd_MatrixPtr M, const QMatrix &q)
{
  if (q.representation != dd_Generator || q.cols < 2) return false;
  for (long i = 0; i < q.rows; ++i)
    if (q.at(i, 0) != 1) return false;
  return zonix::core::column_scales_within(M->matrix, q.rows, 1, q.cols, zonix::core::column_scale_spread);
}

}  // namespace

bool settling_pays(dd_MatrixPtr M, const QMatrix &q, const ConvertOptions &o)
{
  // Points of well-scaled columns clear their denominators to small
  // integers, on which the exact run costs less than a double run and
  // settling together (0.8x-1.2x of a double run's instructions against
  // 1.2x-1.3x on points of a sphere); not so when families are asked
  // for, whose exact making costs more.
  return M == nullptr || o.families() || !run_as_given(M, q);
}

inline constexpr long kManyColumns = 16;
inline constexpr long kSizable = 256;  // entries
inline constexpr double kSmallEntry = 16.0;

namespace {

// The power of 2 that makes x an integer: the bits of its fraction.
int fraction_bits(double x)
{
  if (x == std::trunc(x)) return 0;
  int e = 0;
  const auto m = static_cast<std::uint64_t>(std::ldexp(std::fabs(std::frexp(x, &e)), 53));
  return 53 - e - std::countr_zero(m);
}

}  // namespace

bool exact_first(dd_MatrixPtr M)
{
  if (M == nullptr || M->colsize < 2) return false;
  // A file's fractions are exact data: judged as the rows of integers they
  // scale to (by powers of 2, as doubles hold them).  Generators with
  // fractions (points of a curve at steps of 1/4) run exactly as fast as in
  // double, whose answer must be settled and often fails its check.
  bool fractions = false;
  for (long i = 0; i < M->rowsize && M->numbtype == dd_Rational && !fractions; ++i)
    for (long j = 0; j < M->colsize && !fractions; ++j) fractions = fraction_bits(ddd_get_d(M->matrix[i][j])) > 0;
  if (fractions && M->representation == dd_Generator) return true;
  if (fractions) {
    const Matrix S(dd_CopyMatrix(M));
    if (S == nullptr) return false;
    S->numbtype = dd_Real;
    for (long i = 0; i < S->rowsize; ++i) {
      int k = 0;
      for (long j = 0; j < S->colsize; ++j) k = std::max(k, fraction_bits(ddd_get_d(S->matrix[i][j])));
      for (long j = 0; j < S->colsize && k > 0; ++j) ddd_set_d(S->matrix[i][j], std::ldexp(ddd_get_d(S->matrix[i][j]), k));
    }
    return exact_first(S.get());
  }
  // Integers only: the exact run's numbers stay as small as the input's.
  bool small = true, unit = true;
  for (long i = 0; i < M->rowsize; ++i)
    for (long j = 0; j < M->colsize; ++j) {
      const double v = ddd_get_d(M->matrix[i][j]);
      if (v != std::nearbyint(v) || std::fabs(v) > 0x1p53) return false;
      small = small && std::fabs(v) <= kSmallEntry;
      unit = unit && (j == 0 || std::fabs(v) <= 1.0);
    }
  // Small entries in many columns, either side (cut vectors, permutation
  // matrices, magic squares, contingency tables, Birkhoff and metric
  // polytopes, products of simplices), or many inequalities against the
  // columns, or few generators (cross-polytopes, cut and 0/1 polytopes):
  // the exact run costs no more than the double one, less than a double
  // run and settling together, and the answers are often too degenerate
  // for the double answer's check, after which the exact run is made
  // anyway.  Inequalities of 0 and +-1 alone (cubes, 0/1 and +-1 cuts)
  // keep their vertices' numbers as small: exact, then the check, costs
  // less than double, settling and the check.  Tiny inputs cost nothing
  // either way and keep the double run's answer.
  const long m = M->rowsize, d = M->colsize;
  const bool h = M->representation != dd_Generator, sized = m * d >= kSizable;
  if (small && (d > kManyColumns || (sized && h && (m >= 4 * d || unit)) || (sized && !h && m <= 8 * d))) return true;
  if (M->representation != dd_Generator) return false;
  return !zonix::core::column_scales_within(M->matrix, M->rowsize, 1, M->colsize, kExactScales);
}

namespace {

int sign_of(std::int64_t v) { return (v > 0) - (v < 0); }
int sign_of(const mpz_class &v) { return sgn(v); }
mpz_class abs_of(const mpz_class &v) { return abs(v); }
bool smaller(const mpz_class &a, const mpz_class &b) { return mpz_cmpabs(a.get_mpz_t(), b.get_mpz_t()) < 0; }

// Divides the d entries of r by their gcd.
void make_primitive(std::int64_t *r, long d)
{
  std::uint64_t g = 0;
  for (long j = 0; j < d && g != 1; ++j) g = binary_gcd(g, magnitude(r[j]));
  if (g > 1)
    for (long j = 0; j < d; ++j) r[j] /= static_cast<std::int64_t>(g);
}

template <class T>
T row_scale(const T *r, long d, dd_RepresentationType representation);

// Whether the rows are pairwise different directions, each row compared
// by a hash first: of its entries over its scale as doubles, which are
// the same for rows of one direction while the entries are doubles
// exactly (rows with larger ones are made primitive first).
bool distinct_rows(IntegerRows &outs, dd_RepresentationType representation)
{
  const long n = outs.rows, d = outs.cols;
  // Row numbers fill the low bits of a key, the hash the others.
  const int index_bits = std::bit_width(static_cast<std::uint64_t>(n));
  std::vector<std::uint64_t> keys(static_cast<size_t>(n));
  std::vector<std::int64_t> r(static_cast<size_t>(d)), w(static_cast<size_t>(d));
  for (long k = 0; k < n; ++k) {
    outs.get(k, r.data());
    for (long j = 0; j < d; ++j)
      if (magnitude(r[static_cast<size_t>(j)]) >> kDoubleBits != 0) {
        make_primitive(r.data(), d);
        outs.put(k, r.data());
        break;
      }
    const double scale = static_cast<double>(magnitude(row_scale(r.data(), d, representation)));
    std::uint64_t h = 0;
    for (long j = 0; j < d; ++j) {
      const auto v = std::bit_cast<std::uint64_t>(static_cast<double>(r[static_cast<size_t>(j)]) / scale + 0.0);
      // An odd multiplier of 64 bits (from the golden ratio) spreads the bits.
      h = (h ^ v) * 0x9e3779b97f4a7c15u;
      h ^= h >> 29;
    }
    keys[static_cast<size_t>(k)] = (index_bits < 64 ? h << index_bits : 0) | static_cast<std::uint64_t>(k);
  }
  std::sort(keys.begin(), keys.end());
  const std::uint64_t index_mask = (std::uint64_t{1} << index_bits) - 1;
  for (size_t u = 0; u < keys.size(); ++u)
    for (size_t v = u + 1; v < keys.size() && (keys[v] >> index_bits) == (keys[u] >> index_bits); ++v) {
      outs.get(static_cast<long>(keys[u] & index_mask), r.data());
      outs.get(static_cast<long>(keys[v] & index_mask), w.data());
      // r = c w with c > 0: cross products with the scales agree.
      const auto sr = static_cast<i128>(magnitude(row_scale(r.data(), d, representation)));
      const auto sw = static_cast<i128>(magnitude(row_scale(w.data(), d, representation)));
      bool same = true;
      for (long j = 0; j < d && same; ++j)
        same = static_cast<i128>(r[static_cast<size_t>(j)]) * sw == static_cast<i128>(w[static_cast<size_t>(j)]) * sr;
      if (same) return false;
    }
  return true;
}

// The same for primitive rows of GMP integers: equal entries.
bool distinct_rows(const std::vector<mpz_class> &outs, long n, long d)
{
  std::vector<long> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0L);
  auto at = [&](long k) { return outs.begin() + k * d; };
  std::sort(order.begin(), order.end(),
            [&](long u, long w) { return std::lexicographical_compare(at(u), at(u) + d, at(w), at(w) + d); });
  for (long k = 1; k < n; ++k)
    if (std::equal(at(order[static_cast<size_t>(k - 1)]), at(order[static_cast<size_t>(k - 1)]) + d,
                   at(order[static_cast<size_t>(k)])))
      return false;
  return true;
}

// The positive integer a settled row is divided by when written, as the
// exact run writes it: a point's first entry (1 after the division), else
// the smallest nonzero entry in absolute value; 0 for a point with a
// negative first entry, which no valid answer has.
template <class T>
T row_scale(const T *r, long d, dd_RepresentationType representation)
{
  if (representation == dd_Generator && sign_of(r[0]) != 0) return sign_of(r[0]) < 0 ? T(0) : r[0];
  if constexpr (std::is_same_v<T, std::int64_t>) {
    // The least magnitude but 0, as 0 - 1 wraps to the largest.
    std::uint64_t least = 0;
    for (long j = 0; j < d; ++j) least = std::min(least - 1, magnitude(r[j]) - 1) + 1;
    return static_cast<T>(least);
  } else {
    T scale = 0;
    for (long j = 0; j < d; ++j)
      if (sign_of(r[j]) != 0 && (sign_of(scale) == 0 || smaller(r[j], scale))) scale = abs_of(r[j]);
    return scale;
  }
}

// The settled rows (n rows of d, oriented) as the conversion's result;
// error dd_NumericallyInconsistent when two rows are alike (one face found
// twice) or a point has a negative first entry.  Written at the scale of
// the exact run (row_scale); with text, rows of 64-bit integers stay as
// they are (Conversion::integers) for write_rational to write.
Conversion finish(IntegerRows *small, const std::vector<mpz_class> *big, long n, long d,
                  dd_RepresentationType representation, bool text)
{
  Conversion e;
  e.error = dd_NumericallyInconsistent;
  if (small != nullptr ? !distinct_rows(*small, representation) : !distinct_rows(*big, n, d)) return e;
  e.exact = true;
  e.settled = true;
  e.rational.rows = n;
  e.rational.cols = d;
  e.rational.representation = representation;
  std::vector<std::int64_t> r(static_cast<size_t>(d));
  if (small != nullptr && text) {
    for (long k = 0; k < n; ++k) {
      small->get(k, r.data());
      if (row_scale(r.data(), d, representation) == 0) return e;
    }
    e.integers = std::move(*small);
    e.error = dd_NoError;
    return e;
  }
  e.rational.entries.resize(static_cast<size_t>(n * d));
  auto fill = [&](long k, const auto *row) {
    const auto scale = row_scale(row, d, representation);
    if (sign_of(scale) == 0) return false;
    for (long j = 0; j < d; ++j) {
      mpq_class &w = e.rational.at(k, j);
      w.get_num() = row[j];
      w.get_den() = scale;
      w.canonicalize();
    }
    return true;
  };
  for (long k = 0; k < n; ++k) {
    if (small != nullptr) small->get(k, r.data());
    if (!(small != nullptr ? fill(k, r.data()) : fill(k, big->data() + k * d))) return e;
  }
  if (!text) {
    e.output.reset(to_double(e.rational));
    if (e.output == nullptr) return e;
  }
  e.error = dd_NoError;
  return e;
}

}  // namespace

namespace {

// g[t] := gcd(a[t], b[t]) for t < n, all below 2^63 and b[t] > 0.
void gcd_all(const std::uint64_t *a, const std::uint64_t *b, std::uint64_t *g, size_t n)
{
  for (size_t t = 0; t < n; ++t) g[t] = binary_gcd(a[t], b[t]);
}

// The same eight at a time with AVX-512: the steps of gcd64 side by side,
// a lane that is done (a = 0) masked out.  Trailing zeros are 63 less the
// leading zeros of the lowest set bit; shifts by 64 or more give 0.
__attribute__((target("avx512f,avx512cd"))) inline __m512i ctz_avx512(__m512i x)
{
  const __m512i low = _mm512_and_si512(x, _mm512_sub_epi64(_mm512_setzero_si512(), x));
  return _mm512_sub_epi64(_mm512_set1_epi64(63), _mm512_lzcnt_epi64(low));
}

__attribute__((target("avx512f,avx512cd"))) void gcd_all_avx512(const std::uint64_t *a,
                                                                 const std::uint64_t *b,
                                                                 std::uint64_t *g, size_t n)
{
  for (size_t t = 0; t < n; t += 8) {
    const __mmask8 in = n - t >= 8 ? __mmask8(0xff) : static_cast<__mmask8>((1u << (n - t)) - 1u);
    __m512i x = _mm512_maskz_loadu_epi64(in, a + t);
    __m512i y = _mm512_mask_loadu_epi64(_mm512_set1_epi64(1), in, b + t);
    const __m512i k = ctz_avx512(_mm512_or_si512(x, y));
    y = _mm512_maskz_srlv_epi64(kAll, y, ctz_avx512(y));
    // gcd(0, y) = y: such lanes start done.
    __mmask8 on = _mm512_test_epi64_mask(x, x);
    __m512i shift = ctz_avx512(x);
    while (on != 0) {
      x = _mm512_maskz_srlv_epi64(kAll, x, shift);
      const __m512i diff = _mm512_sub_epi64(y, x);
      shift = ctz_avx512(diff);
      y = _mm512_mask_min_epu64(y, on, x, y);
      x = _mm512_maskz_abs_epi64(on, diff);
      on = _mm512_test_epi64_mask(x, x);
    }
    _mm512_mask_storeu_epi64(g + t, in, _mm512_maskz_sllv_epi64(kAll, y, k));
  }
}

}  // namespace

Matrix settled_as_doubles(Conversion &c)
{
  const long n = c.integers.rows, d = c.integers.cols;
  const dd_RepresentationType rep = c.rational.representation;
  auto exact = [](std::int64_t v, std::uint64_t scale, double *out) {
    const std::uint64_t m = magnitude(v);
    // v / scale is a double when the quotient is an integer below 2^53, or
    // scale is a power of two and v below 2^53.
    const bool fits = m % scale == 0 ? m / scale <= (std::uint64_t{1} << kDoubleBits)
                                     : std::has_single_bit(scale) && m <= (std::uint64_t{1} << kDoubleBits);
    if (!fits) return false;
    *out = static_cast<double>(v) / static_cast<double>(scale);
    return true;
  };
  Matrix none;
  if (c.integers.store == nullptr || n == 0) {
    if (c.rational.entries.empty() || c.rational.rows == 0) return none;
    for (const mpq_class &q : c.rational.entries)
      if (mpq_class(nearest_double(q)) != q) return none;
    return Matrix(to_double(c.rational));
  }
  std::vector<std::int64_t> r(static_cast<size_t>(d));
  std::vector<double> x(static_cast<size_t>(d));
  for (long k = 0; k < n; ++k) {
    c.integers.get(k, r.data());
    const std::uint64_t scale = magnitude(row_scale(r.data(), d, rep));
    if (scale == 0) return none;
    for (long j = 0; j < d; ++j)
      if (!exact(r[static_cast<size_t>(j)], scale, &x[static_cast<size_t>(j)])) return none;
  }
  // Every row fits: the store takes the doubles in the place of the integers.
  for (long k = 0; k < n; ++k) {
    c.integers.get(k, r.data());
    const std::uint64_t scale = magnitude(row_scale(r.data(), d, rep));
    for (long j = 0; j < d; ++j) {
      exact(r[static_cast<size_t>(j)], scale, &x[static_cast<size_t>(j)]);
      ddd_set_d(c.integers.store->matrix[k][j], x[static_cast<size_t>(j)]);
    }
  }
  Matrix M = std::move(c.integers.store);
  c.integers.rows = 0;
  M->representation = rep;
  M->numbtype = dd_Real;
  for (long i : c.rational.linearity) set_addelem(M->linset, i);
  return M;
}

char *put_settled_rows(char *p, const std::int64_t *r, long rows, long d, dd_RepresentationType representation)
{
  static const auto gcds = cpu::avx512_cd()
                               ? gcd_all_avx512
                               : gcd_all;
  const size_t n = static_cast<size_t>(rows * d);
  std::vector<std::uint64_t> a(n), b(n), g(n);
  for (long k = 0; k < rows; ++k) {
    const std::uint64_t scale = magnitude(row_scale(r + k * d, d, representation));
    for (long j = 0; j < d; ++j) {
      a[static_cast<size_t>(k * d + j)] = magnitude(r[k * d + j]);
      b[static_cast<size_t>(k * d + j)] = scale;
    }
  }
  gcds(a.data(), b.data(), g.data(), n);
  for (long k = 0; k < rows; ++k) {
    // The denominators of a row repeat: the last one is kept as text.
    std::uint64_t last = 0;
    char den[24];
    long den_len = 0;
    for (long j = 0; j < d; ++j) {
      const size_t at = static_cast<size_t>(k * d + j);
      const std::uint64_t gj = g[at], scale = b[at];
      const std::int64_t v = r[at];
      *p++ = ' ';
      p = std::to_chars(p, p + 24, gj == 1 ? v : v / static_cast<std::int64_t>(gj)).ptr;
      if (scale == gj) continue;
      *p++ = '/';
      const std::uint64_t e = gj == 1 ? scale : scale / gj;
      if (e != last) {
        last = e;
        den_len = std::to_chars(den, den + sizeof den, e).ptr - den;
      }
      std::memcpy(p, den, static_cast<size_t>(den_len));
      p += den_len;
    }
    *p++ = '\n';
  }
  return p;
}

namespace {

// Rows of q as primitive integer rows into in (and a row x0 >= 0 under
// an H-representation, which every point and ray satisfies), and the
// same into S when it is given; false when an entry does not fit.
bool integer_rows(const QMatrix &q, std::vector<std::int64_t> &in, dd_MatrixPtr S)
{
  const long m = q.rows, d = q.cols;
  const long rows = m + (q.representation == dd_Inequality ? 1 : 0);
  in.assign(static_cast<size_t>(rows * d), 0);
  std::vector<std::int64_t> row(static_cast<size_t>(d));
  for (long i = 0; i < m; ++i) {
    if (!integer_row(q, i, row)) return false;
    std::copy(row.begin(), row.end(), in.begin() + i * d);
    if (S != nullptr)
      for (long j = 0; j < d; ++j) ddd_set_d(S->matrix[i][j], static_cast<double>(row[static_cast<size_t>(j)]));
  }
  if (rows > m) in[static_cast<size_t>(m * d)] = 1;
  return true;
}

bool fits_settling(dd_MatrixPtr M, const QMatrix &q)
{
  return M != nullptr && q.rows == M->rowsize && q.cols == M->colsize && q.cols >= 1 &&
         q.cols <= kMaxColumns && q.rows < std::numeric_limits<std::int32_t>::max();
}

// Whether the run's incidence (poly's, output row k on cone row i + 1) is
// the proved one: the families are drawn from it.
bool incidence_proved(dd_PolyhedraPtr poly, long n, long rows, std::span<const std::int32_t> lies_on,
                      std::span<const size_t> lies_from)
{
  dd_ComputeAinc(poly);
  if (!poly->AincGenerated || poly->n != n) return false;
  const long m1 = std::min<long>(poly->m1, rows);
  long pairs = 0;
  for (long k = 0; k < n; ++k)
    for (size_t u = lies_from[static_cast<size_t>(k)]; u < lies_from[static_cast<size_t>(k + 1)]; ++u) {
      const long i = lies_on[u];
      if (i >= m1) continue;
      if (!set_member(k + 1, poly->Ainc[i])) return false;
      ++pairs;
    }
  for (long i = 0; i < m1; ++i) pairs -= set_card(poly->Ainc[i]);
  return pairs == 0;
}

// The input rows each of the first n feasible rays of a finished run (the
// output rows, in order) lies on by the run's own decisions, 0-based and
// below `rows`: ray k's are on[from[k] .. from[k + 1]).
struct RunZeros {
  std::vector<std::int32_t> on;
  std::vector<size_t> from{0};
};

// Null when the run has fewer than n feasible rays.
std::unique_ptr<RunZeros> run_zeros(dd_PolyhedraPtr poly, long n, long rows)
{
  if (poly == nullptr || poly->child == nullptr) return nullptr;
  auto z = std::make_unique<RunZeros>();
  z->on.reserve(static_cast<size_t>(n * 8));
  z->from.reserve(static_cast<size_t>(n + 1));
  long k = 0;
  for (dd_RayPtr r = poly->child->FirstRay; r != nullptr && k < n; r = r->Next) {
    if (!r->feasible) continue;
    const set_type s = r->ZeroSet;
    const long words = set_blocks(set_groundsize(s)) - 1;
    for (long w = 1; w <= words; ++w)
      for (std::uint32_t bits = s[w]; bits != 0; bits &= bits - 1) {
        const long i = (w - 1) * set_word_bits + std::countr_zero(bits);
        if (i < rows) z->on.push_back(static_cast<std::int32_t>(i));
      }
    z->from.push_back(z->on.size());
    ++k;
  }
  if (k < n) return nullptr;
  return z;
}

Conversion settle_rows(Conversion c, const RunZeros *run_zeros, dd_PolyhedraPtr poly, const ConvertOptions &o,
                       const QMatrix &q, const std::vector<std::int64_t> &in);

}  // namespace

Conversion settle_from_double(dd_MatrixPtr M, const ConvertOptions &o, const QMatrix &q)
{
  Conversion fail;
  fail.error = dd_NumericallyInconsistent;
  if (!fits_settling(M, q)) return fail;
  const Matrix S(dd_CopyMatrix(M));
  if (S.get() == nullptr) return fail;
  std::vector<std::int64_t> in;
  if (!integer_rows(q, in, S.get())) return fail;
  ConvertOptions od = o;
  od.arithmetic = Arithmetic::Double;
  Polyhedra poly;
  // Every row is proved below and the list proved complete: the run's
  // own checks would only repeat that in double.
  Conversion c = run_double(run_as_given(M, q) ? M : S.get(), od, &poly, false);
  // The run's records are needed only to check the families: freed now,
  // their pages serve the settling.
  const long rows = q.rows + (q.representation == dd_Inequality ? 1 : 0);
  const auto zeros = c.output == nullptr ? nullptr : run_zeros(poly.get(), c.output->rowsize, rows);
  if (!o.families()) poly.reset();
  return settle_rows(std::move(c), zeros.get(), poly.get(), o, q, in);
}

Conversion settle_run(Conversion c, dd_PolyhedraPtr poly, dd_MatrixPtr M, const ConvertOptions &o,
                      const QMatrix &q)
{
  Conversion fail;
  fail.error = dd_NumericallyInconsistent;
  if (!fits_settling(M, q)) return fail;
  std::vector<std::int64_t> in;
  if (!integer_rows(q, in, nullptr)) return fail;
  const long rows = q.rows + (q.representation == dd_Inequality ? 1 : 0);
  const auto zeros = c.output == nullptr ? nullptr : run_zeros(poly, c.output->rowsize, rows);
  return settle_rows(std::move(c), zeros.get(), poly, o, q, in);
}

namespace {

Conversion settle_rows(Conversion c, const RunZeros *run_zeros, dd_PolyhedraPtr poly, const ConvertOptions &o,
                       const QMatrix &q, const std::vector<std::int64_t> &in)
{
  Conversion fail;
  fail.error = dd_NumericallyInconsistent;
  const long m = q.rows, d = q.cols;
  const long rows = m + (q.representation == dd_Inequality ? 1 : 0);
  // Hadamard's bound on the minors the solving meets.
  std::vector<double> norm_bits(static_cast<size_t>(rows));
  for (long i = 0; i < rows; ++i) {
    double sq = 0.0;
    for (long j = 0; j < d; ++j) sq += std::pow(static_cast<double>(in[static_cast<size_t>(i * d + j)]), 2);
    norm_bits[static_cast<size_t>(i)] = 0.5 * std::log2(std::max(sq, 1.0));
  }
  const std::vector<double> row_bits = norm_bits;
  // Sorted down to the d largest: d - 1 of them bound the minors of an
  // output row, d those the elimination meets when its rows have rank d.
  const long most = std::min(rows, d);
  std::partial_sort(norm_bits.begin(), norm_bits.begin() + most, norm_bits.end(), std::greater<>());
  const double minor_bits = std::accumulate(norm_bits.begin(), norm_bits.begin() + std::min(rows, d - 1), 0.0);
  SolveLevel level;
  // Far beyond 128 bits the exact run is quicker than solving output rows
  // in GMP; the modular guess does not mind.
  level.gmp = minor_bits <= kMostMinorBits;
  level.row_bits = &row_bits;
  level.minor_bits = std::accumulate(norm_bits.begin(), norm_bits.begin() + most, 0.0);
  if (level.minor_bits > kMidBits) level.start = 1;
  if (c.error != dd_NoError || c.output == nullptr) return fail;
  dd_MatrixPtr O = c.output.get();
  const long n = O->rowsize;
  if (n == 0 || O->colsize != d || set_card(O->linset) != 0) return fail;

  // The rows divided by their sums of absolute entries, by columns: a
  // value then compares with the largest entry of the output row.
  const long padded = (rows + kRowBlock - 1) / kRowBlock * kRowBlock;
  // A column more marks the rows whose sign is known (those an output row
  // is solved from, and the padding): its weight kMarked lifts their
  // values above any bound, so that mostly no row is left to list.
  std::vector<double> ind(static_cast<size_t>(padded * (d + 1)), 0.0);
  double *marks = ind.data() + d * padded;
  for (long i = rows; i < padded; ++i) marks[i] = 1.0;
  for (long i = 0; i < rows; ++i) {
    double norm1 = 0.0;
    for (long j = 0; j < d; ++j) norm1 += std::fabs(static_cast<double>(in[static_cast<size_t>(i * d + j)]));
    for (long j = 0; j < d && norm1 > 0.0; ++j)
      ind[static_cast<size_t>(j * padded + i)] = static_cast<double>(in[static_cast<size_t>(i * d + j)]) / norm1;
  }
  std::vector<char> equation(static_cast<size_t>(rows), 0), on(static_cast<size_t>(rows), 0);
  for (long r : q.linearity) equation[static_cast<size_t>(r - 1)] = 1;
  Solver sv;
  sv.residues.resize(in.size());
  for (size_t k = 0; k < in.size(); ++k) sv.residues[k] = sv.mod.of(in[k]);

  // Each settled row takes the place of the double row it comes from.
  IntegerRows small_outs;
  small_outs.rows = n;
  small_outs.cols = d;
  small_outs.store = std::move(c.output);
  std::vector<std::int64_t> row_ints(static_cast<size_t>(d));
  std::vector<std::int32_t> lies_on;
  std::vector<size_t> lies_from{0};
  lies_on.reserve(static_cast<size_t>(n * (d - 1)));
  lies_from.reserve(static_cast<size_t>(n + 1));
  std::vector<mpz_class> big_outs;
  // c_row[d] weighs the marks.
  std::vector<double> c_row(static_cast<size_t>(d + 1), kMarked), xd(static_cast<size_t>(d)),
      values(static_cast<size_t>(rows));
  std::vector<long> listed(static_cast<size_t>(rows)), zero;
  Direction x;
  mpz_class dot, t;
  const double unit = std::ldexp(1.0, -kDoubleBits);
  for (long k = 0; k < n; ++k) {
    // Scaled by a power of 2 to a largest entry in [1/2, 1).
    double cmax = 0.0;
    bool finite = true;
    for (long j = 0; j < d; ++j) {
      c_row[static_cast<size_t>(j)] = ddd_get_d(O->matrix[k][j]);
      finite = finite && std::isfinite(c_row[static_cast<size_t>(j)]);
      cmax = std::max(cmax, std::fabs(c_row[static_cast<size_t>(j)]));
    }
    if (!finite || cmax == 0.0) return fail;
    int ex;
    std::frexp(cmax, &ex);
    // A product with a power of 2 rounds as ldexp does, for a fraction of
    // its cost; ldexp only where the power itself is out of range.
    if (ex > -kPowerRange && ex < kPowerRange) {
      const double by = std::ldexp(1.0, -ex);
      for (long j = 0; j < d; ++j) c_row[static_cast<size_t>(j)] *= by;
      cmax *= by;
    } else {
      for (long j = 0; j < d; ++j) c_row[static_cast<size_t>(j)] = std::ldexp(c_row[static_cast<size_t>(j)], -ex);
      cmax = std::ldexp(cmax, -ex);
    }
    // The rows the double row lies on: those the run found it on, which
    // mostly give the direction.  A row taken wrongly makes the rank d
    // and one left out costs nothing, as the check below settles every
    // row exactly.  Else those near the row at the scale of its norm, each
    // then tested against its own absolute terms.
    auto on_row = [&](long i) {
      double sum = 0.0, abs_sum = 0.0;
      for (long j = 0; j < d; ++j) {
        const double p = c_row[static_cast<size_t>(j)] * static_cast<double>(in[static_cast<size_t>(i * d + j)]);
        sum += p;
        abs_sum += std::fabs(p);
      }
      if (std::fabs(sum) <= kOnRow * abs_sum) zero.push_back(i);
    };
    bool solved = false;
    if (run_zeros != nullptr) {
      zero.assign(run_zeros->on.begin() + static_cast<long>(run_zeros->from[static_cast<size_t>(k)]),
                  run_zeros->on.begin() + static_cast<long>(run_zeros->from[static_cast<size_t>(k + 1)]));
      // A failure here (a row taken wrongly) must not leave the solving
      // at a costlier level for the rows after, nor try GMP.
      SolveLevel trial = level;
      trial.gmp = false;
      solved = rounded_direction(in, zero, d, c_row.data(), x) || solve_direction(sv, in, zero, d, x, trial);
      if (solved) {
        trial.gmp = level.gmp;
        level = trial;
      }
    }
    if (!solved) {
      const double near = kOnRow * cmax;
      const long count = below(ind, rows, padded, d + 1, c_row.data(), near, listed, values);
      zero.clear();
      for (long u = 0; u < count; ++u)
        if (values[static_cast<size_t>(u)] >= -near) on_row(listed[static_cast<size_t>(u)]);
      // A lone entry left by the run's rounding (1e-16 beside 1) is near
      // no row by its own terms: when these rows leave the direction open,
      // every row near at the scale of the whole row (GMP only then).
      const size_t strict = zero.size();
      for (long u = 0; u < count; ++u)
        if (std::fabs(values[static_cast<size_t>(u)]) <= near) zero.push_back(listed[static_cast<size_t>(u)]);
      std::vector<long> wide(zero);
      std::sort(wide.begin(), wide.end());
      wide.erase(std::unique(wide.begin(), wide.end()), wide.end());
      zero.resize(strict);
      SolveLevel trial = level;
      trial.gmp = wide.size() == strict && level.gmp;
      solved = solve_direction(sv, in, zero, d, x, trial);
      if (solved) {
        trial.gmp = level.gmp;
        level = trial;
      } else if (wide.size() > strict) {
        zero.swap(wide);
        solved = solve_direction(sv, in, zero, d, x, level);
      }
    }
    if (!solved || level.big > kMostBig) return fail;
    double side = 0.0, xx = 0.0;
    for (long j = 0; j < d; ++j) {
      xd[static_cast<size_t>(j)] =
          x.is_small ? static_cast<double>(x.small[static_cast<size_t>(j)]) : x.big[static_cast<size_t>(j)].get_d();
      side += xd[static_cast<size_t>(j)] * c_row[static_cast<size_t>(j)];
      xx += xd[static_cast<size_t>(j)] * xd[static_cast<size_t>(j)];
    }
    if (side == 0.0 || !std::isfinite(xx) || !std::isfinite(side)) return fail;
    if (side < 0.0) {
      for (double &e : xd) e = -e;
      for (std::int64_t &e : x.small) e = -e;
      for (mpz_class &e : x.big) e = -e;
    }
    // x is zero on the rows it was solved from.  On the others, y = s x
    // (s > 0) differs from the double row c by at most delta an entry, so
    // y . row / |row|_1 and the value v (off by at most d + 2 units of the
    // last place times c's largest entry) differ by at most
    // delta + (d + 2) u max|c|: where v is further from zero (twice, for
    // the roundings of these bounds), its sign is x's.  Elsewhere the sign
    // is computed exactly.
    const double scale = std::fabs(side) / xx;
    double delta = 0.0;
    for (long j = 0; j < d; ++j) {
      const double y = scale * xd[static_cast<size_t>(j)], cj = c_row[static_cast<size_t>(j)];
      delta = std::max(delta, std::fabs(y - cj) + 4.0 * unit * (std::fabs(y) + std::fabs(cj)));
    }
    const double bound = 2.0 * (delta + static_cast<double>(d + 4) * unit * cmax);
    // The sign of x on row i, whose value is vi: from vi where the bound
    // decides, else exact.
    auto holds = [&](long i, double vi) {
      int sign = vi > bound ? 1 : vi < -bound ? -1 : 2;
      if (sign == 2 && x.is_small) {
        // Products below 2^115, d of them below 2^125.
        i128 w = 0;
        for (long j = 0; j < d; ++j)
          w += static_cast<i128>(in[static_cast<size_t>(i * d + j)]) * x.small[static_cast<size_t>(j)];
        sign = (w > 0) - (w < 0);
      } else if (sign == 2) {
        dot = 0;
        for (long j = 0; j < d; ++j) {
          t = static_cast<long>(in[static_cast<size_t>(i * d + j)]);
          dot += t * x.big[static_cast<size_t>(j)];
        }
        sign = sgn(dot);
      }
      if (sign == 0) {
        on[static_cast<size_t>(i)] = 1;
        lies_on.push_back(static_cast<std::int32_t>(i));
      }
      return sign >= 0 && (sign == 0 || equation[static_cast<size_t>(i)] == 0);
    };
    for (long i : zero) {
      on[static_cast<size_t>(i)] = 1;
      lies_on.push_back(static_cast<std::int32_t>(i));
      marks[i] = 1.0;
    }
    // Every row not listed is plainly positive, which an equation must
    // not be.
    const long count = below(ind, rows, padded, d + 1, c_row.data(), bound, listed, values);
    for (long i : zero) marks[i] = 0.0;
    bool ok = true;
    for (long u = 0; u < count && ok; ++u) {
      const long i = listed[static_cast<size_t>(u)];
      ok = on[static_cast<size_t>(i)] != 0 || holds(i, values[static_cast<size_t>(u)]);
    }
    for (long r : q.linearity) ok = ok && on[static_cast<size_t>(r - 1)] != 0;
    for (size_t u = lies_from.back(); u < lies_on.size(); ++u) on[static_cast<size_t>(lies_on[u])] = 0;
    lies_from.push_back(lies_on.size());
    if (!ok) return fail;
    if (x.is_small && big_outs.empty()) {
      small_outs.put(k, x.small.data());
      continue;
    }
    // GMP rows are compared entry by entry (distinct_rows): all primitive.
    if (big_outs.empty()) {
      big_outs.resize(static_cast<size_t>(n * d));
      for (long u = 0; u < k; ++u) {
        small_outs.get(u, row_ints.data());
        make_primitive(row_ints.data(), d);
        for (long j = 0; j < d; ++j)
          mpz_set_si(big_outs[static_cast<size_t>(u * d + j)].get_mpz_t(), row_ints[static_cast<size_t>(j)]);
      }
    }
    if (x.is_small) make_primitive(x.small.data(), d);
    for (long j = 0; j < d; ++j) {
      mpz_class &e = big_outs[static_cast<size_t>(k * d + j)];
      if (x.is_small) mpz_set_si(e.get_mpz_t(), x.small[static_cast<size_t>(j)]);
      else e = std::move(x.big[static_cast<size_t>(j)]);
    }
  }
  // Proved: output row k is row k of small_outs (or big_outs), with
  // exactly the input rows lies_on[lies_from[k] .. lies_from[k + 1]) on it
  // (0-based; row m is x0 >= 0 under an H-representation), and every
  // other input row on its side.  That no row is missing is the checker's
  // to prove, which every settled answer passes before it is returned.
  const dd_RepresentationType representation = O->representation;
  Conversion e = big_outs.empty() ? finish(&small_outs, nullptr, n, d, representation, o.text)
                                  : finish(nullptr, &big_outs, n, d, representation, o.text);
  if (e.error != dd_NoError) return fail;
  if (o.families() && (poly == nullptr || !incidence_proved(poly, n, rows, lies_on, lies_from))) return fail;
  e.adjacency = std::move(c.adjacency);
  e.incidence = std::move(c.incidence);
  e.input_adjacency = std::move(c.input_adjacency);
  e.input_incidence = std::move(c.input_incidence);
  return e;
}

}  // namespace

}  // namespace zonix
