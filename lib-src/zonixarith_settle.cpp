// Exact conversions of rational inputs at the speed of a double run.  A
// row of integers and fractions, times the positive integer that clears
// its denominators, is the same halfspace (or, homogenised, the same
// generator) and often fits doubles exactly.  The double run on those
// rows then tells which input rows each output row lies on; the output
// row is solved exactly from them and checked exactly on every input row.
// Anything that does not hold leaves the work to the exact run.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>
#include <utility>
#include <vector>

#include "setoper.h"
#include "zonixarith.hpp"
#include "zonixio.h"

namespace zonix {
namespace {

using i128 = __int128;

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
// Columns whose largest entries differ by more than this factor run as
// integer rows (see run_as_given).
inline constexpr double kColumnScales = 1024.0;
// Output rows solved in GMP integers before the exact run is left to
// finish the work: it keeps its integers smaller.
inline constexpr long kMostBig = 16;
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
using Wide = Fixed<i128>;

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

// The direction x with rows . x = 0 when the r rows (of d entries,
// row-major in a, overwritten) have rank d - 1, primitive; false when the
// rank is another or the numbers overflow.  Gauss-Jordan without
// fractions: after each pivot every entry is a minor of the rows, so the
// division by the previous pivot is exact, and at the end every pivot row
// holds the last pivot D on its pivot column.
template <class A>
bool null_direction(A &ops, std::vector<typename A::T> &a, long r, long d, std::vector<typename A::T> &x)
{
  using T = typename A::T;
  std::vector<long> pivot_col;
  T prev = 1;
  long row = 0;
  auto at = [&](long i, long j) -> T & { return a[static_cast<size_t>(i * d + j)]; };
  for (long c = 0; c < d && row < r; ++c) {
    long p = row;
    while (p < r && at(p, c) == 0) ++p;
    if (p == r) continue;
    if (p != row)
      std::swap_ranges(a.begin() + p * d, a.begin() + (p + 1) * d, a.begin() + row * d);
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

// Where solve_direction starts and how often it needed GMP: integers that
// outgrow 128 bits on one output row mostly do on the next.
struct SolveLevel {
  int start = 0;  // 0: 64 bits (Mid), 1: 128 bits, 2: GMP
  long big = 0;
};

// x from the rows of `in` listed in zero, as GMP integers.
bool solve_direction(const std::vector<std::int64_t> &in, const std::vector<long> &zero, long d,
                     std::vector<mpz_class> &x, SolveLevel &level)
{
  const size_t n = zero.size() * static_cast<size_t>(d);
  const long r = static_cast<long>(zero.size());
  x.resize(static_cast<size_t>(d));
  auto rows_to = [&](auto &a) {
    for (size_t t = 0; t < zero.size(); ++t)
      for (long j = 0; j < d; ++j) a[t * static_cast<size_t>(d) + static_cast<size_t>(j)] = in[static_cast<size_t>(zero[t] * d + j)];
  };
  if (level.start == 0) {
    std::vector<std::int64_t> a(n), xn;
    rows_to(a);
    Mid mid;
    if (null_direction(mid, a, r, d, xn)) {
      for (long j = 0; j < d; ++j) mpz_set_si(x[static_cast<size_t>(j)].get_mpz_t(), xn[static_cast<size_t>(j)]);
      return true;
    }
    level.start = 1;
  }
  if (level.start == 1) {
    std::vector<i128> a(n), xw;
    rows_to(a);
    Wide wide;
    if (null_direction(wide, a, r, d, xw)) {
      for (long j = 0; j < d; ++j) {
        const i128 v = xw[static_cast<size_t>(j)];
        x[static_cast<size_t>(j)] = mpz_class(static_cast<long>(v >> 64));
        x[static_cast<size_t>(j)] <<= 64;
        x[static_cast<size_t>(j)] += mpz_class(static_cast<unsigned long>(static_cast<std::uint64_t>(v)));
      }
      return true;
    }
    level.start = 2;
  }
  ++level.big;
  std::vector<mpz_class> a(n);
  rows_to(a);
  Big big;
  return null_direction(big, a, r, d, x);
}

// Rows taken together by values(), and the padding of its columns.
inline constexpr long kRowBlock = 4;

// v[i] := row i . c and a[i] := the sum of the absolute terms, for the rows
// of `cols`, stored by columns of m entries (m a multiple of kRowBlock):
// rows innermost, where they vectorise; each sum runs over j in order.
void values(const std::vector<double> &cols, long m, long d, const double *c, std::vector<double> &v,
            std::vector<double> &a)
{
  v.resize(static_cast<size_t>(m));
  a.resize(static_cast<size_t>(m));
  double *__restrict vv = v.data();
  double *__restrict aa = a.data();
  const double *__restrict col = cols.data();
  const double c0 = c[0];
#pragma omp simd
  for (long i = 0; i < m; ++i) {
    vv[i] = c0 * col[i];
    aa[i] = std::fabs(vv[i]);
  }
  for (long j = 1; j < d; ++j) {
    const double cj = c[j];
    col = cols.data() + j * m;
#pragma omp simd
    for (long i = 0; i < m; ++i) {
      const double p = cj * col[i];
      vv[i] += p;
      aa[i] += std::fabs(p);
    }
  }
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
  double lo = HUGE_VAL, hi = 0.0;
  for (long j = 1; j < q.cols; ++j) {
    double big = 0.0;
    for (long i = 0; i < q.rows; ++i) big = std::max(big, std::fabs(ddd_get_d(M->matrix[i][j])));
    if (big == 0.0) continue;
    lo = std::min(lo, big);
    hi = std::max(hi, big);
  }
  return hi <= lo * kColumnScales;
}

}  // namespace

Conversion settle_from_double(dd_MatrixPtr M, const ConvertOptions &o, const QMatrix &q)
{
  Conversion fail;
  fail.error = dd_NumericallyInconsistent;
  const long m = q.rows, d = q.cols;
  if (M == nullptr || m != M->rowsize || d != M->colsize || d < 1 || d > kMaxColumns) return fail;
  const Matrix S(dd_CopyMatrix(M));
  if (S.get() == nullptr) return fail;
  // The rows to check: the input's, and x0 >= 0 under an H-representation,
  // which every point and ray satisfies.
  const long rows = m + (q.representation == dd_Inequality ? 1 : 0);
  std::vector<std::int64_t> in(static_cast<size_t>(rows * d), 0), row(static_cast<size_t>(d));
  for (long i = 0; i < m; ++i) {
    if (!integer_row(q, i, row)) return fail;
    for (long j = 0; j < d; ++j) {
      in[static_cast<size_t>(i * d + j)] = row[static_cast<size_t>(j)];
      ddd_set_d(S->matrix[i][j], static_cast<double>(row[static_cast<size_t>(j)]));
    }
  }
  if (rows > m) in[static_cast<size_t>(m * d)] = 1;
  // Hadamard's bound on the minors the solving meets: far beyond 128 bits
  // the exact run is quicker than solving output rows in GMP.
  std::vector<double> norm_bits(static_cast<size_t>(rows));
  for (long i = 0; i < rows; ++i) {
    double sq = 0.0;
    for (long j = 0; j < d; ++j) sq += std::pow(static_cast<double>(in[static_cast<size_t>(i * d + j)]), 2);
    norm_bits[static_cast<size_t>(i)] = 0.5 * std::log2(std::max(sq, 1.0));
  }
  // Sorted down to the d largest: d - 1 of them bound the minors of an
  // output row, d those the elimination meets when its rows have rank d.
  const long most = std::min(rows, d);
  std::partial_sort(norm_bits.begin(), norm_bits.begin() + most, norm_bits.end(), std::greater<>());
  const double minor_bits = std::accumulate(norm_bits.begin(), norm_bits.begin() + std::min(rows, d - 1), 0.0);
  if (minor_bits > kMostMinorBits) return fail;
  SolveLevel level;
  if (std::accumulate(norm_bits.begin(), norm_bits.begin() + most, 0.0) > kMidBits) level.start = 1;
  ConvertOptions od = o;
  od.arithmetic = Arithmetic::Double;
  Conversion c = convert(run_as_given(M, q) ? M : S.get(), od);
  if (c.error != dd_NoError || c.output == nullptr) return fail;
  dd_MatrixPtr O = c.output.get();
  const long n = O->rowsize;
  if (n == 0 || O->colsize != d || set_card(O->linset) != 0) return fail;

  const long padded = (rows + kRowBlock - 1) / kRowBlock * kRowBlock;
  std::vector<double> ind(static_cast<size_t>(padded * d), 0.0), norm1(static_cast<size_t>(rows), 0.0);
  for (long i = 0; i < rows; ++i)
    for (long j = 0; j < d; ++j) {
      const auto e = static_cast<double>(in[static_cast<size_t>(i * d + j)]);
      ind[static_cast<size_t>(j * padded + i)] = e;
      norm1[static_cast<size_t>(i)] += std::fabs(e);
    }
  std::vector<char> equation(static_cast<size_t>(rows), 0);
  for (long r : q.linearity) equation[static_cast<size_t>(r - 1)] = 1;

  std::vector<mpz_class> outs(static_cast<size_t>(n * d)), x;
  std::vector<double> c_row(static_cast<size_t>(d)), xd(static_cast<size_t>(d)), v, a;
  std::vector<long> zero;
  std::vector<long> xs(static_cast<size_t>(d));
  mpz_class dot, t;
  const double unit = std::ldexp(1.0, -kDoubleBits);
  for (long k = 0; k < n; ++k) {
    // The rows the double row lies on, by a loose relative test: a row
    // taken wrongly makes the rank d and one left out costs nothing, as
    // the check below settles every row exactly.
    for (long j = 0; j < d; ++j) c_row[static_cast<size_t>(j)] = ddd_get_d(O->matrix[k][j]);
    values(ind, padded, d, c_row.data(), v, a);
    zero.clear();
    for (long i = 0; i < rows; ++i)
      if (std::fabs(v[static_cast<size_t>(i)]) <= kOnRow * a[static_cast<size_t>(i)]) zero.push_back(i);
    if (!solve_direction(in, zero, d, x, level) || level.big > kMostBig) return fail;
    double side = 0.0, xx = 0.0;
    for (long j = 0; j < d; ++j) {
      xd[static_cast<size_t>(j)] = x[static_cast<size_t>(j)].get_d();
      side += xd[static_cast<size_t>(j)] * c_row[static_cast<size_t>(j)];
      xx += xd[static_cast<size_t>(j)] * xd[static_cast<size_t>(j)];
    }
    if (side == 0.0 || !std::isfinite(xx)) return fail;
    if (side < 0.0)
      for (long j = 0; j < d; ++j) {
        x[static_cast<size_t>(j)] = -x[static_cast<size_t>(j)];
        xd[static_cast<size_t>(j)] = -xd[static_cast<size_t>(j)];
      }
    // x is zero on the rows it was solved from.  On the others, y = s x
    // (s > 0) differs from the double row c by at most delta an entry, so
    // y . row and the double value c . row (off by at most d + 1 units of
    // the last place of the absolute sum) differ by at most
    // delta |row|_1 + (d + 1) u |c||row|: where the value is further from
    // zero (twice, for the roundings of these bounds), its sign is x's.
    // Elsewhere the sign is computed exactly.
    const double scale = std::fabs(side) / xx;
    double delta = 0.0;
    for (long j = 0; j < d; ++j) {
      const double y = scale * xd[static_cast<size_t>(j)], cj = c_row[static_cast<size_t>(j)];
      delta = std::max(delta, std::fabs(y - cj) + 4.0 * unit * (std::fabs(y) + std::fabs(cj)));
    }
    bool small = true;
    for (long j = 0; j < d; ++j) {
      small = small && x[static_cast<size_t>(j)].fits_slong_p();
      if (small) xs[static_cast<size_t>(j)] = x[static_cast<size_t>(j)].get_si();
    }
    // Mostly every other row is plainly positive: one vector pass tells.
    for (long i : zero) v[static_cast<size_t>(i)] = HUGE_VAL;
    const double per_norm = 2.0 * delta, per_sum = 2.0 * static_cast<double>(d + 3) * unit;
    double least = HUGE_VAL;
    const double *__restrict vv = v.data(), *__restrict aa = a.data(), *__restrict nn = norm1.data();
#pragma omp simd reduction(min : least)
    for (long i = 0; i < rows; ++i) least = std::min(least, vv[i] - (per_norm * nn[i] + per_sum * aa[i]));
    auto z = zero.begin();
    for (long i = 0; i < rows && !(least > 0.0); ++i) {
      if (z != zero.end() && *z == i) {
        ++z;
        continue;
      }
      const double vi = v[static_cast<size_t>(i)];
      const double bound = per_norm * norm1[static_cast<size_t>(i)] + per_sum * a[static_cast<size_t>(i)];
      int sign = vi > bound ? 1 : vi < -bound ? -1 : 2;
      if (sign == 2 && small) {
        // Products below 2^116, d of them below 2^127.
        i128 w = 0;
        for (long j = 0; j < d; ++j)
          w += static_cast<i128>(in[static_cast<size_t>(i * d + j)]) * xs[static_cast<size_t>(j)];
        sign = (w > 0) - (w < 0);
      } else if (sign == 2) {
        dot = 0;
        for (long j = 0; j < d; ++j) {
          t = static_cast<long>(in[static_cast<size_t>(i * d + j)]);
          dot += t * x[static_cast<size_t>(j)];
        }
        sign = sgn(dot);
      }
      if (sign < 0 || (sign > 0 && equation[static_cast<size_t>(i)] != 0)) return fail;
    }
    std::move(x.begin(), x.end(), outs.begin() + k * d);
  }
  // Two output rows alike would be one face found twice.
  std::vector<long> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0L);
  auto at = [&](long k) { return outs.begin() + k * d; };
  std::sort(order.begin(), order.end(),
            [&](long u, long w) { return std::lexicographical_compare(at(u), at(u) + d, at(w), at(w) + d); });
  for (long k = 1; k < n; ++k)
    if (std::equal(at(order[static_cast<size_t>(k - 1)]), at(order[static_cast<size_t>(k - 1)]) + d,
                   at(order[static_cast<size_t>(k)])))
      return fail;

  // Written at the scale of the exact run: points with first entry 1,
  // other rows divided by their smallest entry in absolute value.
  Conversion e;
  e.exact = true;
  e.settled = true;
  e.rational.rows = n;
  e.rational.cols = d;
  e.rational.representation = O->representation;
  e.rational.entries.resize(static_cast<size_t>(n * d));
  mpz_class scale;
  for (long k = 0; k < n; ++k) {
    const auto r = at(k);
    if (O->representation == dd_Generator && sgn(r[0]) != 0) {
      if (sgn(r[0]) < 0) return fail;
      scale = r[0];
    } else {
      scale = 0;
      for (long j = 0; j < d; ++j)
        if (sgn(r[j]) != 0 && (scale == 0 || mpz_cmpabs(r[j].get_mpz_t(), scale.get_mpz_t()) < 0)) scale = abs(r[j]);
    }
    for (long j = 0; j < d; ++j) {
      mpq_class &w = e.rational.at(k, j);
      w.get_num() = r[j];
      w.get_den() = scale;
      w.canonicalize();
    }
  }
  e.output.reset(to_double(e.rational));
  if (e.output == nullptr) return fail;
  e.adjacency = std::move(c.adjacency);
  e.incidence = std::move(c.incidence);
  e.input_adjacency = std::move(c.input_adjacency);
  e.input_incidence = std::move(c.input_incidence);
  return e;
}

}  // namespace zonix
