// Exact certificates for LP results, from the final basis in rationals.
#include "zonixlp_certify.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <map>
#include <new>
#include <optional>
#include <vector>

#include "setoper.h"
#include "zonixhandles.hpp"
#include "zonixlp_handles.hpp"
#include "zonixdd.h"
#include "zonixfinite.hpp"
#include "zonixlp_internal.hpp"

namespace zonix::lp {
namespace {

using Q = mpq_class;
using Vec = std::vector<Q>;

// Rows in rationals with doubles near them (for quick signs), laid out as
// one matrix of d columns.
struct Table {
  dd_colrange d = 0;
  Vec q;
  std::vector<double> a;

  Table(Vec entries, dd_colrange cols) : d(cols), q(std::move(entries)), a(q.size())
  {
    for (size_t k = 0; k < q.size(); ++k) a[k] = q[k].get_d();
  }
  const Q *row(size_t i) const { return q.data() + i * static_cast<size_t>(d); }
  const double *approx(size_t i) const { return a.data() + i * static_cast<size_t>(d); }
};

// The rational a double is, without GMP's general conversion for the
// integers most rows hold.
Q exactly(double v)
{
  // Integers below this fit a long.
  constexpr double kSmallInteger = 0x1p62;
  Q x;
  if (std::fabs(v) < kSmallInteger && v == std::trunc(v))
    mpq_set_si(x.get_mpq_t(), static_cast<long>(v), 1);
  else
    x = finite(v);
  return x;
}

// An LP's rows: row r (1-based, the objective row last) at r - 1, as
// rationals with doubles near them, or as doubles only where those are
// the row (q null).
struct Rows {
  std::vector<const Q *> q;
  std::vector<const double *> a;

  void add(const Table &t, size_t i)
  {
    q.push_back(t.row(i));
    a.push_back(t.approx(i));
  }
  Q at(dd_rowrange r, dd_colrange j) const
  {
    return q[r - 1] != nullptr ? q[r - 1][j] : exactly(a[r - 1][j]);
  }
};

// The record's own rows, objective included: doubles are rationals.
Rows record_rows(const dd_lpdata &lp)
{
  Rows r;
  for (dd_rowrange i = 0; i < lp.m; ++i) {
    r.q.push_back(nullptr);
    r.a.push_back(&lp.A[i][0][0]);
  }
  return r;
}

// The rows dd_Matrix2LP makes of q: q's own (not copied), the negated
// copies of its equations, its objective last.
struct QRows {
  Table extra;  // the negated equations and the objective
  std::vector<double> approx;
  Rows rows;

  explicit QRows(const QMatrix &q) : extra(extra_rows(q), q.cols), approx(q.entries.size())
  {
    for (size_t k = 0; k < approx.size(); ++k) approx[k] = q.entries[k].get_d();
    for (long i = 0; i < q.rows; ++i) {
      rows.q.push_back(q.entries.data() + i * q.cols);
      rows.a.push_back(approx.data() + i * q.cols);
    }
    for (size_t k = 0; k <= q.linearity.size(); ++k) rows.add(extra, k);
  }
  static Vec extra_rows(const QMatrix &q)
  {
    const auto linc = static_cast<long>(q.linearity.size());
    Vec e(static_cast<size_t>((linc + 1) * q.cols));
    for (long k = 0; k < linc; ++k)
      for (long j = 0; j < q.cols; ++j) e[k * q.cols + j] = -q.at(q.linearity[static_cast<size_t>(k)] - 1, j);
    if (!q.rowvec.empty())
      for (long j = 0; j < q.cols; ++j) e[linc * q.cols + j] = q.rowvec[static_cast<size_t>(j)];
    return e;
  }
};

// What row r of the LP is to the solution: sign-constrained, or held at
// zero (an equation, or the reversed copy of one).
std::vector<char> equation_rows(const dd_lpdata &lp, const Rows &rows)
{
  const dd_rowrange m = lp.m;
  const dd_colrange d = lp.d;
  std::vector<char> eq(static_cast<size_t>(m + 1), 0);
  for (dd_rowrange q = 1; q < m; ++q) {
    if (!set_member(q, lp.equalityset)) continue;
    eq[q] = 1;
    for (dd_rowrange r = 1; r < m; ++r) {
      if (r == q || eq[r]) continue;
      bool opposite = true;
      for (dd_colrange j = 0; j < d && opposite; ++j)
        opposite = rows.a[r - 1][j] == -rows.a[q - 1][j] && cmp(rows.at(r, j), -rows.at(q, j)) == 0;
      if (opposite) eq[r] = 1;
    }
  }
  return eq;
}

// Solves M y = b (n x n, row-major) without fractions: each row scaled to
// integers, then Bareiss's elimination, whose every division is exact;
// nothing when M is singular.
std::optional<Vec> solve(const Vec &M, const Vec &b)
{
  const size_t n = b.size(), w = n + 1;
  std::vector<mpz_class> A(n * w);
  mpz_class l, t;
  for (size_t i = 0; i < n; ++i) {
    l = 1;
    auto den = [&](size_t j) { return j < n ? M[i * n + j].get_den_mpz_t() : b[i].get_den_mpz_t(); };
    auto num = [&](size_t j) { return j < n ? M[i * n + j].get_num_mpz_t() : b[i].get_num_mpz_t(); };
    for (size_t j = 0; j < w; ++j)
      if (mpz_cmp_ui(den(j), 1) != 0) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), den(j));
    for (size_t j = 0; j < w; ++j) {
      mpz_divexact(t.get_mpz_t(), l.get_mpz_t(), den(j));
      mpz_mul(A[i * w + j].get_mpz_t(), num(j), t.get_mpz_t());
    }
  }
  mpz_class prev = 1;
  for (size_t c = 0; c < n; ++c) {
    size_t p = c;
    while (p < n && sgn(A[p * w + c]) == 0) ++p;
    if (p == n) return std::nullopt;
    if (p != c)
      for (size_t j = c; j < w; ++j) mpz_swap(A[p * w + j].get_mpz_t(), A[c * w + j].get_mpz_t());
    const mpz_srcptr piv = A[c * w + c].get_mpz_t();
    for (size_t r = c + 1; r < n; ++r) {
      const mpz_srcptr f = A[r * w + c].get_mpz_t();
      for (size_t j = c + 1; j < w; ++j) {
        mpz_ptr e = A[r * w + j].get_mpz_t();
        mpz_mul(t.get_mpz_t(), piv, e);
        mpz_submul(t.get_mpz_t(), f, A[c * w + j].get_mpz_t());
        mpz_divexact(e, t.get_mpz_t(), prev.get_mpz_t());
      }
    }
    prev = A[c * w + c];
  }
  // y = det x is integral (Cramer), so back substitution divides exactly.
  const mpz_class &det = prev;
  std::vector<mpz_class> y(n);
  for (size_t c = n; c-- > 0;) {
    mpz_mul(t.get_mpz_t(), det.get_mpz_t(), A[c * w + n].get_mpz_t());
    for (size_t j = c + 1; j < n; ++j)
      mpz_submul(t.get_mpz_t(), A[c * w + j].get_mpz_t(), y[j].get_mpz_t());
    mpz_divexact(y[c].get_mpz_t(), t.get_mpz_t(), A[c * w + c].get_mpz_t());
  }
  Vec x(n);
  for (size_t c = 0; c < n; ++c) {
    mpq_set_num(x[c].get_mpq_t(), y[c].get_mpz_t());
    mpq_set_den(x[c].get_mpq_t(), det.get_mpz_t());
    x[c].canonicalize();
  }
  return x;
}

std::vector<double> to_doubles(const Vec &y)
{
  std::vector<double> out(y.size());
  for (size_t j = 0; j < y.size(); ++j) out[j] = y[j].get_d();
  return out;
}

// Sign of row r times y, exact.  A floating-point evaluation with a bound
// on its error decides most rows; only those it leaves in doubt are summed
// in rationals.
int dot_sign(const Rows &rows, dd_rowrange r, const Vec &y, const std::vector<double> &yd)
{
  const size_t n = y.size();
  const double *a = rows.a[r - 1];
  double s = 0.0, mag = 0.0;
  for (size_t j = 0; j < n; ++j) {
    const double t = a[j] * yd[j];
    s += t;
    mag += std::fabs(t);
  }
  // a[j] and yd[j] are each within a relative 2^-52 of the rationals (or
  // zero with them); the sum adds n roundings.  Below kTiny underflow could
  // break that.
  constexpr double kUnit = std::numeric_limits<double>::epsilon();
  constexpr double kTiny = 1e-250;  // far above the subnormal range
  const double bound = mag * kUnit * static_cast<double>(n + 4);
  if (std::isfinite(s) && std::isfinite(mag) && std::fabs(s) > bound && mag > kTiny)
    return s > 0 ? 1 : -1;
  Q e = 0;
  for (size_t j = 0; j < n; ++j)
    if (a[j] != 0.0 || rows.q[r - 1] != nullptr) e += rows.at(r, j) * y[j];
  return sgn(e);
}

Vec row_of(const Rows &rows, dd_rowrange r, dd_colrange d)
{
  Vec v(static_cast<size_t>(d));
  for (dd_colrange j = 0; j < d; ++j) v[j] = rows.at(r, j);
  return v;
}

// The basis matrix N: row j expresses the nonbasic variable of column j in
// terms of x, so that x = N^-1 n.  Empty when nbindex names a row the
// certificate cannot use (the phase I auxiliary row, say).
Vec basis_matrix(const dd_lpdata &lp, const Rows &rows)
{
  const dd_colrange d = lp.d;
  Vec N(static_cast<size_t>(d * d));
  for (dd_colrange j = 1; j <= d; ++j) {
    const long k = lp.nbindex[j];
    if (j == lp.rhscol) {
      if (k != 0) return {};
      N[(j - 1) * d + (j - 1)] = 1;
    } else if (k < 0) {
      if (-k > d) return {};
      N[(j - 1) * d + (-k - 1)] = 1;
    } else if (k > 0 && k < lp.objrow) {
      for (dd_colrange c = 0; c < d; ++c) N[(j - 1) * d + c] = rows.at(k, c);
    } else {
      return {};
    }
  }
  return N;
}

Vec transposed(const Vec &N, dd_colrange d)
{
  Vec T(N.size());
  for (dd_colrange i = 0; i < d; ++i)
    for (dd_colrange j = 0; j < d; ++j) T[j * d + i] = N[i * d + j];
  return T;
}

Vec unit(dd_colrange d, dd_colrange j)
{
  Vec e(static_cast<size_t>(d));
  e[j - 1] = 1;
  return e;
}

// Whether every constraint row holds at y (A_i y >= 0, equations = 0),
// y a column of N^-1: the rows of the basis are then 0 or 1 there by
// construction (1 only at a sign-constrained row), and only the others
// need a look.
bool rows_hold(const dd_lpdata &lp, const Rows &rows, const std::vector<char> &eq, const Vec &y)
{
  const auto yd = to_doubles(y);
  std::vector<char> in_basis(static_cast<size_t>(lp.objrow), 0);
  for (dd_colrange j = 1; j <= lp.d; ++j)
    if (lp.nbindex[j] > 0 && lp.nbindex[j] < lp.objrow) in_basis[lp.nbindex[j]] = 1;
  for (dd_rowrange i = 1; i < lp.objrow; ++i) {
    if (in_basis[i]) continue;
    const int s = dot_sign(rows, i, y, yd);
    if (s < 0 || (eq[i] && s != 0)) return false;
  }
  return true;
}

// The kind of the nonbasic variable of column j.  A free column variable
// must have a zero coefficient, an equation row may have any.
enum class Kind { Constant, FreeColumn, EquationRow, SignedRow };

Kind kind_of(const dd_lpdata &lp, const std::vector<char> &eq, dd_colrange j)
{
  const long k = lp.nbindex[j];
  if (j == lp.rhscol) return Kind::Constant;
  if (k < 0) return Kind::FreeColumn;
  return eq[k] ? Kind::EquationRow : Kind::SignedRow;
}

// Whether coefficients w of the nonbasic variables allow no increase of a
// sign-constrained row variable beyond what `sign` says: every signed-row
// coefficient has sign <= 0 (times `sign`), every free column coefficient 0.
bool coefficients_bounded(const dd_lpdata &lp, const std::vector<char> &eq,
                          const Vec &w, int sign)
{
  for (dd_colrange j = 1; j <= lp.d; ++j) {
    switch (kind_of(lp, eq, j)) {
      case Kind::Constant:
      case Kind::EquationRow: break;
      case Kind::FreeColumn:
        if (sgn(w[j - 1]) != 0) return false;
        break;
      case Kind::SignedRow:
        if (sign * sgn(w[j - 1]) > 0) return false;
        break;
    }
  }
  return true;
}

Vec negated(Vec v)
{
  for (auto &x : v) x = -x;
  return v;
}

// Whether the reduced costs of columns `zero` are exactly zero.  Row
// scalings keep that, so each row of the basis and the objective counts as
// its integer multiple; z N = c is solved modulo primes whose product
// passes Hadamard's bound on every numerator det(N with row j swapped for
// c) (Cramer).  False when that is not proven.
bool costs_zero(const dd_lpdata &lp, const Rows &rows, const std::vector<dd_colrange> &zero)
{
  // Primes just below 2^62: products of two fit unsigned 128 bits.
  static constexpr uint64_t kPrimes[] = {0x3fffffffffffffc7, 0x3fffffffffffffa9, 0x3fffffffffffff8b,
                                         0x3fffffffffffff71, 0x3fffffffffffff67, 0x3fffffffffffff59,
                                         0x3fffffffffffff55, 0x3fffffffffffff3d};
  constexpr double kPrimeBits = 61;  // each prime exceeds 2^61
  const auto n = static_cast<size_t>(lp.d);
  // Rows 0..n-1 of N, row n the objective; null: the constant's unit row.
  std::vector<const Q *> src(n + 1, nullptr);
  // log2 of the product of all their integer norms (each at least 1):
  // common denominators at most the product of the distinct ones, norms
  // from the doubles with a bit of margin per row.
  double bits = 1;
  for (size_t r = 0; r <= n; ++r) {
    const dd_rowrange k = r == n ? lp.objrow : lp.nbindex[r + 1];
    if (k <= 0) continue;
    src[r] = rows.q[k - 1];
    if (src[r] == nullptr) return false;
    const double *a = rows.a[k - 1];
    double norm = 0;
    for (size_t c = 0; c < n; ++c) {
      norm += a[c] * a[c];
      bool seen = false;
      for (size_t e = 0; e < c && !seen; ++e) seen = mpz_cmp(src[r][e].get_den_mpz_t(), src[r][c].get_den_mpz_t()) == 0;
      if (!seen) bits += static_cast<double>(mpz_sizeinbase(src[r][c].get_den_mpz_t(), 2));
    }
    bits += std::log2(std::sqrt(norm) + 1) + 1;
  }
  const auto primes = static_cast<size_t>(std::ceil(bits / kPrimeBits));
  if (!std::isfinite(bits) || primes > std::size(kPrimes)) return false;
  const size_t w = n + 1;
  std::vector<uint64_t> A(n * w);  // [N^T | c^T] modulo p
  for (size_t t = 0; t < primes; ++t) {
    const uint64_t p = kPrimes[t];
    auto mul = [p](uint64_t x, uint64_t y) {
      return static_cast<uint64_t>(static_cast<unsigned __int128>(x) * y % p);
    };
    auto inverse = [p](uint64_t x) {  // extended Euclid; x is a unit
      int64_t r0 = static_cast<int64_t>(p), r1 = static_cast<int64_t>(x), s0 = 0, s1 = 1;
      while (r1 != 0) {
        const int64_t q = r0 / r1;
        std::swap(r0 -= q * r1, r1);
        std::swap(s0 -= q * s1, s1);
      }
      return static_cast<uint64_t>(s0 < 0 ? s0 + static_cast<int64_t>(p) : s0);
    };
    // The rational rows modulo p: a row's scale is a unit there.
    for (size_t r = 0; r <= n; ++r) {
      uint64_t den = 0, inv = 0;
      for (size_t c = 0; c < n; ++c) {
        uint64_t &e = A[c * w + r];
        if (src[r] == nullptr) {
          e = c == r ? 1 : 0;
          continue;
        }
        const Q &v = src[r][c];
        const uint64_t dv = mpz_fdiv_ui(v.get_den_mpz_t(), p);
        if (dv == 0) return false;
        if (dv != den) den = dv, inv = inverse(dv);
        e = mul(mpz_fdiv_ui(v.get_num_mpz_t(), p), inv);
      }
    }
    // Gauss-Jordan; N singular modulo p proves nothing.
    for (size_t c = 0; c < n; ++c) {
      size_t piv = c;
      while (piv < n && A[piv * w + c] == 0) ++piv;
      if (piv == n) return false;
      if (piv != c) std::swap_ranges(A.begin() + piv * w, A.begin() + (piv + 1) * w, A.begin() + c * w);
      const uint64_t inv = inverse(A[c * w + c]);
      for (size_t j = c; j < w; ++j) A[c * w + j] = mul(A[c * w + j], inv);
      for (size_t i = 0; i < n; ++i) {
        const uint64_t f = A[i * w + c];
        if (i == c || f == 0) continue;
        for (size_t j = c; j < w; ++j) A[i * w + j] = (A[i * w + j] + p - mul(f, A[c * w + j])) % p;
      }
    }
    for (const dd_colrange j : zero)
      if (A[static_cast<size_t>(j - 1) * w + n] != 0) return false;
  }
  return true;
}

// The sign of the optimum of lp, proved in floating point: the basic
// solution x and the reduced costs z of the final basis, computed with an
// approximate inverse R of the basis matrix, whose distance from the exact
// values follows from |I - R N| < 1/2 (N the exact basis matrix: the
// doubles within 2u of each entry).  Every row's sign at x and every
// reduced cost's sign must be clear of those bounds, and so must the
// optimum; nothing when one is not (degenerate bases, equations, free
// columns), and the exact check decides.  With `relaxed`, the LP row
// that is the objective plus the unit of the constant column: when it is
// in the basis, the reduced costs are exactly 1 on it and -1 on the
// constant, and only x needs a look.
std::optional<int> optimum_sign(const dd_lpdata &lp, const Rows &rows, dd_rowrange relaxed = 0)
{
  const dd_colrange d = lp.d;
  const auto n = static_cast<size_t>(d);
  if (lp.LPS != dd_Optimal || set_card(lp.equalityset) != 0) return std::nullopt;
  // Unit roundoff; entries within 2u of the exact rationals; a margin on
  // every bound far above the relative rounding of its sums.
  constexpr double kUnit = std::numeric_limits<double>::epsilon() / 2;
  constexpr double kEntry = 2 * kUnit;
  constexpr double kSafe = 1 + 1e-10;
  constexpr double kTiny = 1e-250;  // far above the subnormal range
  const double gamma = static_cast<double>(d + 3) * kUnit + kEntry;
  std::vector<double> N(n * n, 0.0), R(n * n, 0.0), W(n * 2 * n, 0.0);
  std::vector<char> in_basis(static_cast<size_t>(lp.objrow), 0);
  for (dd_colrange j = 1; j <= d; ++j) {
    const long k = lp.nbindex[j];
    double *row = N.data() + (j - 1) * n;
    if (j == lp.rhscol && k == 0) {
      row[j - 1] = 1;
    } else if (j != lp.rhscol && k > 0 && k < lp.objrow) {
      std::copy_n(rows.a[k - 1], n, row);
      in_basis[k] = 1;
    } else {
      return std::nullopt;  // free columns, or rows the certificate cannot use
    }
  }
  // R by Gauss-Jordan on [N | I] with partial pivoting.
  for (size_t i = 0; i < n; ++i) {
    std::copy_n(N.data() + i * n, n, W.data() + i * 2 * n);
    W[i * 2 * n + n + i] = 1;
  }
  for (size_t c = 0; c < n; ++c) {
    size_t p = c;
    for (size_t i = c + 1; i < n; ++i)
      if (std::fabs(W[i * 2 * n + c]) > std::fabs(W[p * 2 * n + c])) p = i;
    if (W[p * 2 * n + c] == 0.0) return std::nullopt;
    if (p != c) std::swap_ranges(W.begin() + p * 2 * n, W.begin() + (p + 1) * 2 * n, W.begin() + c * 2 * n);
    const double inv = 1.0 / W[c * 2 * n + c];
    for (size_t j = 0; j < 2 * n; ++j) W[c * 2 * n + j] *= inv;
    for (size_t i = 0; i < n; ++i) {
      const double f = W[i * 2 * n + c];
      if (i == c || f == 0.0) continue;
      for (size_t j = 0; j < 2 * n; ++j) W[i * 2 * n + j] -= f * W[c * 2 * n + j];
    }
  }
  for (size_t i = 0; i < n; ++i) std::copy_n(W.data() + i * 2 * n + n, n, R.data() + i * n);
  // B >= |I - R N| entrywise: the computed I - R N plus its rounding and
  // the distance of N from the doubles; its largest row and column sums.
  std::vector<double> row_sum(n, 0.0), col_sum(n, 0.0), abs_col(n, 0.0);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) {
      double g = i == j ? 1.0 : 0.0, a = g;
      for (size_t k = 0; k < n; ++k) {
        g -= R[i * n + k] * N[k * n + j];
        a += std::fabs(R[i * n + k] * N[k * n + j]);
      }
      const double b = std::fabs(g) + gamma * a;
      row_sum[i] += b;
      col_sum[j] += b;
      abs_col[j] += std::fabs(R[i * n + j]);
    }
  const double a_inf = *std::max_element(row_sum.begin(), row_sum.end()) * kSafe;
  const double a_one = *std::max_element(col_sum.begin(), col_sum.end()) * kSafe;
  if (!(a_inf < 0.5) || !(a_one < 0.5)) return std::nullopt;
  // x - x~ = (R N)^-1 R (e - N x~): its largest entry is below the largest
  // of |R| rho over 1 - a_inf, rho bounding the residual.
  const size_t rhs = static_cast<size_t>(lp.rhscol - 1);
  std::vector<double> x(n), rho(n), z(n, 0.0);
  for (size_t i = 0; i < n; ++i) x[i] = R[i * n + rhs];
  for (size_t i = 0; i < n; ++i) {
    double r = i == rhs ? 1.0 : 0.0, a = std::fabs(r);
    for (size_t k = 0; k < n; ++k) {
      r -= N[i * n + k] * x[k];
      a += std::fabs(N[i * n + k] * x[k]);
    }
    rho[i] = std::fabs(r) + gamma * a;
  }
  double dx = 0.0;
  for (size_t i = 0; i < n; ++i) {
    double t = 0.0;
    for (size_t k = 0; k < n; ++k) t += std::fabs(R[i * n + k]) * rho[k];
    dx = std::max(dx, t);
  }
  dx = dx * kSafe / (1.0 - a_inf);
  auto clear = [&](double v, double err) { return std::fabs(v) > err * kSafe && std::fabs(v) > kTiny; };
  // Every row not in the basis positive at x.
  for (dd_rowrange i = 1; i < lp.objrow; ++i) {
    if (in_basis[i]) continue;
    const double *a = rows.a[i - 1];
    double v = 0.0, mag = 0.0, norm = 0.0;
    for (size_t k = 0; k < n; ++k) {
      v += a[k] * x[k];
      mag += std::fabs(a[k] * x[k]);
      norm += std::fabs(a[k]);
    }
    if (!(v > 0.0) || !clear(v, (1.0 + kEntry) * norm * dx + gamma * mag)) return std::nullopt;
  }
  const int sense = lp.objective == dd_LPmin ? -1 : 1;
  // A minimum there: the reduced cost 1 on a signed row lets nothing pay.
  if (relaxed > 0 && relaxed < lp.objrow && in_basis[relaxed] && lp.rhscol == 1 && sense < 0) return -1;
  // z - z~ = R^T (N^T R^T)^-1 (c - z~ N)^T: entry j within the sum of
  // column j of |R| times the largest of sigma over 1 - a_one.
  const double *c = rows.a[lp.objrow - 1];
  for (size_t j = 0; j < n; ++j)
    for (size_t k = 0; k < n; ++k) z[j] += c[k] * R[k * n + j];
  double worst = 0.0;
  for (size_t j = 0; j < n; ++j) {
    double r = c[j], a = std::fabs(c[j]);
    for (size_t k = 0; k < n; ++k) {
      r -= z[k] * N[k * n + j];
      a += std::fabs(z[k] * N[k * n + j]);
    }
    worst = std::max(worst, std::fabs(r) + gamma * a);
  }
  const double dz = worst * kSafe / (1.0 - a_one);
  if (!std::isfinite(dx) || !std::isfinite(dz)) return std::nullopt;
  const double opt = z[rhs];
  if (!clear(opt, abs_col[rhs] * dz * kSafe)) return std::nullopt;
  // Reduced costs: no signed row may raise the objective.  One too close
  // to call must be exactly zero (dual degeneracy), proved last as the
  // dearest step.
  std::vector<dd_colrange> zero;
  for (dd_colrange j = 1; j <= d; ++j) {
    if (j == lp.rhscol) continue;
    const double zj = z[static_cast<size_t>(j - 1)];
    if (!clear(zj, abs_col[static_cast<size_t>(j - 1)] * dz * kSafe)) {
      zero.push_back(j);
    } else if (sense * zj > 0) {
      return std::nullopt;
    }
  }
  if (!zero.empty() && !costs_zero(lp, rows, zero)) return std::nullopt;
  return opt > 0 ? 1 : -1;
}

// Each certificate fills *out, when given, with the result as
// dd_SetSolutions and the minimising frame leave it for that basis: the
// dual vector is the negated dictionary row of the objective (of the
// maximised one, negated back for a minimum), or of row re; the value is
// untouched (0 in a new record) but for an optimum.
Verdict certify_optimal(const dd_lpdata &lp, const Rows &rows, const Vec &N,
                        const std::vector<char> &eq, ExactSolution *out)
{
  const dd_colrange d = lp.d;
  auto x = solve(N, unit(d, lp.rhscol));
  if (!x || !rows_hold(lp, rows, eq, *x)) return Verdict::Refuted;
  // Reduced costs: the objective row times N^-1, column by column.
  auto z = solve(transposed(N, d), row_of(rows, lp.objrow, d));
  if (!z) return Verdict::Refuted;
  const int sign = lp.objective == dd_LPmin ? -1 : 1;
  if (!coefficients_bounded(lp, eq, *z, sign)) return Verdict::Refuted;
  if (out != nullptr) {
    out->optvalue = (*z)[lp.rhscol - 1];
    out->sol = std::move(*x);
    out->dsol = negated(std::move(*z));
  }
  return Verdict::Certified;
}

Verdict certify_inconsistent(const dd_lpdata &lp, const Rows &rows, const Vec &N,
                             const std::vector<char> &eq, ExactSolution *out)
{
  const dd_colrange d = lp.d;
  if (lp.re < 1 || lp.re >= lp.objrow) return Verdict::Unknown;
  // Row re of the final dictionary: y_re = w_1 + sum w_j n_j.
  auto w = solve(transposed(N, d), row_of(rows, lp.re, d));
  if (!w) return Verdict::Refuted;
  const int constant = sgn((*w)[lp.rhscol - 1]);
  // y_re >= 0 is impossible when its constant is negative and no nonbasic
  // variable can raise it; an equation row can be made infeasible either way.
  bool proved = constant < 0 && coefficients_bounded(lp, eq, *w, 1);
  if (eq[lp.re] && constant != 0 && coefficients_bounded(lp, eq, *w, 1) &&
      coefficients_bounded(lp, eq, *w, -1))
    proved = true;
  if (!proved) return Verdict::Refuted;
  if (out != nullptr) {
    auto x = solve(N, unit(d, lp.rhscol));
    if (!x) return Verdict::Refuted;
    out->optvalue = 0;
    out->sol = std::move(*x);
    out->dsol = lp.objective == dd_LPmin ? std::move(*w) : negated(std::move(*w));
  }
  return Verdict::Certified;
}

Verdict certify_unbounded_direction(const dd_lpdata &lp, const Rows &rows, const Vec &N,
                                    const std::vector<char> &eq, ExactSolution *out)
{
  const dd_colrange d = lp.d;
  if (lp.se < 1 || lp.se > d || lp.se == lp.rhscol) return Verdict::Unknown;
  const Kind k = kind_of(lp, eq, lp.se);
  if (k == Kind::EquationRow) return Verdict::Refuted;
  auto r = solve(N, unit(d, lp.se));
  if (!r) return Verdict::Refuted;
  Q gain = 0;
  for (dd_colrange j = 0; j < d; ++j) gain += rows.at(lp.objrow, j) * (*r)[j];
  const int want = lp.objective == dd_LPmin ? -1 : 1;
  Vec dir = *r;
  if (sgn(gain) == -want && k == Kind::FreeColumn)
    dir = negated(std::move(dir));
  else if (sgn(gain) != want)
    return Verdict::Refuted;
  // Along the direction every constraint keeps holding, so the dual has no
  // solution.
  if (!rows_hold(lp, rows, eq, dir)) return Verdict::Refuted;
  if (out != nullptr) {
    auto z = solve(transposed(N, d), row_of(rows, lp.objrow, d));
    if (!z) return Verdict::Refuted;
    out->optvalue = 0;
    // The structural case orients the column by the maximised reduced cost.
    if (lp.LPS == dd_StrucDualInconsistent && want * sgn((*z)[lp.se - 1]) <= 0)
      *r = negated(std::move(*r));
    out->sol = std::move(*r);
    out->dsol = negated(std::move(*z));
  }
  return Verdict::Certified;
}

// One least-index criss-cross step after another on the exact dictionary
// of the basis in nbindex, until the basis proves a status.  Finite by the
// least-index rule; the budget only guards against a basis that cannot be
// handled (a free column variable with a nonzero reduced cost).
bool continue_exactly(dd_LPPtr lp, const Rows &rows)
{
  const dd_colrange d = lp->d;
  const dd_rowrange m = lp->m;
  const int sense = lp->objective == dd_LPmin ? -1 : 1;
  // Far more than the least-index rule needs in practice: it moves from a
  // basis the double run left nearly right.
  const long budget = 20L * (m + d) + 100;
  const Vec c = row_of(rows, lp->objrow, d);
  std::vector<dd_colrange> column_of(static_cast<size_t>(m + 1), 0);
  for (long step = 0; step < budget; ++step) {
    if (dd_CancelRequested()) return false;
    const auto N = basis_matrix(*lp, rows);
    if (N.empty()) return false;
    std::fill(column_of.begin(), column_of.end(), 0);
    for (dd_colrange j = 1; j <= d; ++j)
      if (lp->nbindex[j] > 0) column_of[lp->nbindex[j]] = j;
    const auto x = solve(N, unit(d, lp->rhscol));
    const auto z = solve(transposed(N, d), c);
    if (!x || !z) return false;
    const auto xd = to_doubles(*x);
    dd_rowrange infeasible = 0;  // least basic row with a negative value
    for (dd_rowrange i = 1; i < lp->objrow && infeasible == 0; ++i)
      if (column_of[i] == 0 && dot_sign(rows, i, *x, xd) < 0) infeasible = i;
    dd_rowrange improving = 0;  // least nonbasic row whose increase pays
    dd_colrange improving_col = 0;
    for (dd_colrange j = 1; j <= d; ++j) {
      const long k = lp->nbindex[j];
      if (j == lp->rhscol) continue;
      if (k < 0) {
        if (sgn((*z)[j - 1]) != 0) return false;
        continue;
      }
      if (sense * sgn((*z)[j - 1]) > 0 && (improving == 0 || k < improving)) {
        improving = k;
        improving_col = j;
      }
    }
    if (infeasible == 0 && improving == 0) {
      lp->LPS = dd_Optimal;
      return true;
    }
    if (infeasible != 0 && (improving == 0 || infeasible < improving)) {
      const auto w = solve(transposed(N, d), row_of(rows, infeasible, d));
      if (!w) return false;
      dd_colrange enter = 0;
      for (dd_colrange j = 1; j <= d; ++j) {
        const long k = lp->nbindex[j];
        if (j == lp->rhscol || k <= 0 || sgn((*w)[j - 1]) <= 0) continue;
        if (enter == 0 || k < lp->nbindex[enter]) enter = j;
      }
      if (enter == 0) {
        lp->LPS = dd_Inconsistent;
        lp->re = infeasible;
        return true;
      }
      lp->nbindex[enter] = infeasible;
      continue;
    }
    const auto col = solve(N, unit(d, improving_col));
    if (!col) return false;
    const auto cold = to_doubles(*col);
    dd_rowrange leave = 0;
    for (dd_rowrange i = 1; i < lp->objrow && leave == 0; ++i)
      if (column_of[i] == 0 && dot_sign(rows, i, *col, cold) < 0) leave = i;
    if (leave == 0) {
      lp->LPS = dd_DualInconsistent;
      lp->se = improving_col;
      return true;
    }
    lp->nbindex[improving_col] = leave;
  }
  return false;
}

Verdict check(const dd_lpdata &lp, const Rows &rows, const std::vector<char> &eq,
              ExactSolution *out)
{
  const auto N = basis_matrix(lp, rows);
  if (N.empty()) return Verdict::Unknown;
  switch (lp.LPS) {
    case dd_Optimal: return certify_optimal(lp, rows, N, eq, out);
    case dd_Inconsistent: return certify_inconsistent(lp, rows, N, eq, out);
    case dd_DualInconsistent:
    case dd_StrucDualInconsistent: return certify_unbounded_direction(lp, rows, N, eq, out);
    default: return Verdict::Unknown;
  }
}

bool well_formed(const dd_lpdata *lp)
{
  return lp != nullptr && lp->d >= 1 && lp->m >= 1 && lp->objrow == lp->m;
}

// Certified as it stands, or continued from its basis and then certified;
// lp's status, basis and evidence row/column are restored on failure.
bool settle(dd_LPPtr lp, const Rows &rows, ExactSolution *out)
{
  const auto eq = equation_rows(*lp, rows);
  if (check(*lp, rows, eq, out) == Verdict::Certified) return true;
  if (basis_matrix(*lp, rows).empty()) return false;
  const dd_LPStatusType status = lp->LPS;
  const std::vector<long> basis(lp->nbindex, lp->nbindex + lp->d + 1);
  const dd_rowrange re = lp->re;
  const dd_colrange se = lp->se;
  if (continue_exactly(lp, rows) && check(*lp, rows, eq, out) == Verdict::Certified) return true;
  lp->LPS = status;
  std::copy(basis.begin(), basis.end(), lp->nbindex);
  lp->re = re;
  lp->se = se;
  return false;
}

bool near(double got, double want)
{
  // Rounding of a well-conditioned basis stays far inside this.
  constexpr double kRelative = 1e-9;
  return std::fabs(got - want) <= kRelative * (1.0 + std::fabs(want));
}

// Puts the doubles of s into lp where they stray from it by more than
// rounding, or always.
void put_doubles(dd_LPPtr lp, const ExactSolution &s, bool always)
{
  bool off = always || !near(lp->optvalue[0], s.optvalue.get_d());
  for (dd_colrange j = 0; j < lp->d && !off; ++j)
    off = !near(lp->sol[j][0], s.sol[j].get_d()) || !near(lp->dsol[j][0], s.dsol[j].get_d());
  if (!off) return;
  lp->optvalue[0] = s.optvalue.get_d();
  for (dd_colrange j = 0; j < lp->d; ++j) {
    lp->sol[j][0] = s.sol[j].get_d();
    lp->dsol[j][0] = s.dsol[j].get_d();
  }
}

}  // namespace

Verdict certify_exactly(dd_LPPtr lp, bool repair)
{
  if (!well_formed(lp)) return Verdict::Unknown;
  const Rows rows = record_rows(*lp);
  ExactSolution s;
  const Verdict v = check(*lp, rows, equation_rows(*lp, rows), &s);
  if (v == Verdict::Certified && repair && lp->LPS == dd_Optimal) put_doubles(lp, s, false);
  return v;
}

bool settle_exactly(dd_LPPtr lp)
{
  if (!well_formed(lp)) return false;
  const dd_LPStatusType before = lp->LPS;
  ExactSolution s;
  if (!settle(lp, record_rows(*lp), &s)) return false;
  put_doubles(lp, s, lp->LPS != before || lp->LPS != dd_Optimal);
  return true;
}

bool settle_exactly(dd_LPPtr lp, const QMatrix *rational, ExactSolution *out)
{
  if (!well_formed(lp)) return false;
  if (rational == nullptr) return settle(lp, record_rows(*lp), out);
  if (rational->rows + static_cast<long>(rational->linearity.size()) + 1 != lp->m ||
      rational->cols != lp->d)
    return false;
  const QRows q(*rational);
  return settle(lp, q.rows, out);
}

namespace {

// Row i's witness from the final basis of its LP (rows as the LP has them,
// row i relaxed in place): the basis's solution for a row not named (and
// for an implicit equation, a point of the polyhedron), the reduced costs
// as multipliers of the original rows for one named.
// `current` maps the rows of the LP to those of M; factor, M's row
// scalings.  False when the basis gives none.
bool row_witness(const dd_lpdata &lp, const Rows &rows, dd_rowrange i, bool named, bool implicit,
                 const std::vector<long> &current, dd_MatrixPtr M, const Vec &factor, RowWitnesses *w)
{
  const dd_colrange d = lp.d;
  const long orig = current[static_cast<size_t>(i - 1)];
  const auto N = basis_matrix(lp, rows);
  if (N.empty()) return false;
  const auto mcur = static_cast<dd_rowrange>(current.size());
  if (!named || implicit || lp.LPS != dd_Optimal) {
    std::optional<Vec> x;
    if (lp.LPS == dd_Optimal) {
      x = solve(N, unit(d, lp.rhscol));
    } else {
      ExactSolution s;
      dd_lpdata copy = lp;  // settle may move the basis: a copy's
      std::vector<long> basis(lp.nbindex, lp.nbindex + d + 1);
      copy.nbindex = basis.data();
      if (!settle(&copy, rows, &s) || (copy.LPS != dd_DualInconsistent && copy.LPS != dd_StrucDualInconsistent))
        return false;
      x = std::move(s.sol);
      w->ray[static_cast<size_t>(orig - 1)] = 1;
      if (w->start.empty()) {
        const auto Nc = basis_matrix(copy, rows);
        const auto b = Nc.empty() ? std::nullopt : solve(Nc, unit(d, lp.rhscol));
        if (b) w->start.assign(b->begin() + 1, b->end());
      }
    }
    if (!x) return false;
    // H: the point without the homogenising 1; V: z after the LP's own column.
    w->point[static_cast<size_t>(orig - 1)].assign(x->begin() + 1, x->end());
    if (!named) return true;
  }
  const auto z = solve(transposed(N, d), row_of(rows, lp.objrow, d));
  if (!z) return false;
  // Equations' negated copies follow the rows, in the order of `current`.
  std::vector<long> eqs;
  for (const long r : current)
    if (set_member(r, M->linset)) eqs.push_back(r);
  Q relaxed = 0;
  for (dd_colrange j = 1; j <= d; ++j)
    if (lp.nbindex[j] == i) relaxed = (*z)[j - 1];
  const Q scale = (1 - relaxed) * factor[static_cast<size_t>(orig - 1)];
  if (sgn(scale) <= 0) return false;
  auto &c = w->combination[static_cast<size_t>(orig - 1)];
  c.clear();
  for (dd_colrange j = 1; j <= d; ++j) {
    const long k = lp.nbindex[j];
    const Q &zj = (*z)[j - 1];
    if (j == lp.rhscol || k == i || sgn(zj) == 0) continue;
    if (k < 0 || k >= lp.objrow) return false;
    const bool minus = k > mcur;
    const long r = minus ? eqs.at(static_cast<size_t>(k - mcur - 1)) : current[static_cast<size_t>(k - 1)];
    const Q y = (minus ? -zj : zj) * factor[static_cast<size_t>(r - 1)] / scale;
    c.emplace_back(r, y);
  }
  return true;
}

// Row i of the generators, implied (its combination in w from its first LP),
// is strongly redundant when no z >= 0 on the rows left, 0 on the lines and
// on it, is positive on any (the second LP: max s.z, s their sum, s.z <= 1).
// Its witness: that z, or from the second LP's duals u, sum u_k g_k = 0
// with every u_k > 0 off the lines, added to the combination so that each
// coefficient becomes positive (g_i in the relative interior).  Nothing
// when a basis proves nothing.
std::optional<bool> strongly_redundant_generator(dd_MatrixPtr Mcopy, dd_rowrange i, const Table &rows_of,
                                                 const Table &minus_of, const std::vector<long> &current,
                                                 const Vec &factor, RowWitnesses *w, dd_ErrorType *err)
{
  const dd_colrange d = rows_of.d;
  const auto mcur = static_cast<dd_rowrange>(current.size());
  Rows rows;
  std::vector<long> minus;  // the original row of each negated copy
  Vec ends(static_cast<size_t>(2 * d));
  ends[0] = 1;
  for (const long r : current) {
    rows.add(rows_of, static_cast<size_t>(r - 1));
    for (dd_colrange j = 1; j < d; ++j) ends[static_cast<size_t>(d + j)] += rows_of.row(static_cast<size_t>(r - 1))[j];
  }
  for (dd_colrange j = 1; j < d; ++j) ends[static_cast<size_t>(j)] = -ends[static_cast<size_t>(d + j)];
  for (dd_rowrange k = 1; k <= mcur; ++k)
    if (k == i || set_member(k, Mcopy->linset)) {
      minus.push_back(current[static_cast<size_t>(k - 1)]);
      rows.add(minus_of, static_cast<size_t>(minus.back() - 1));
    }
  const Table cap(std::move(ends), d);
  rows.add(cap, 0);
  rows.add(cap, 1);
  LP lp(dd_CreateLP_V_SRedundancy(Mcopy, i));
  if (!lp) throw std::bad_alloc();
  dd_ErrorType e = dd_NoError;
  dd_LPSolve(lp.get(), dd_DualSimplex, &e);
  if (e == dd_Interrupted || e == dd_OutOfMemory) *err = e;
  ExactSolution s;
  if (e != dd_NoError || !settle(lp.get(), rows, &s) || lp->LPS != dd_Optimal) return std::nullopt;
  const auto N = basis_matrix(*lp, rows);
  if (N.empty()) return std::nullopt;
  const long orig = current[static_cast<size_t>(i - 1)];
  if (sgn(s.optvalue) > 0) {
    const auto z = solve(N, unit(d, lp->rhscol));
    if (!z) return std::nullopt;
    w->combination[static_cast<size_t>(orig - 1)].clear();
    w->point[static_cast<size_t>(orig - 1)].assign(z->begin() + 1, z->end());
    return false;
  }
  // s = sum_j y_j (row of basis column j) on the columns of z.
  const auto y = solve(transposed(N, d), row_of(rows, lp->objrow, d));
  if (!y) return std::nullopt;
  std::map<long, Q> u;  // by original row
  for (const long r : current) u[r] += 1;
  for (dd_colrange j = 1; j <= d; ++j) {
    const long k = lp->nbindex[j];
    const Q &yj = (*y)[static_cast<size_t>(j - 1)];
    if (j == lp->rhscol || sgn(yj) == 0) continue;
    if (k <= 0 || k >= lp->objrow) return std::nullopt;
    if (k <= mcur) {
      u[current[static_cast<size_t>(k - 1)]] -= yj;
    } else if (k <= mcur + static_cast<long>(minus.size())) {
      u[minus[static_cast<size_t>(k - mcur - 1)]] += yj;
    } else {
      for (const long r : current) u[r] += yj;  // the cap row is 1 - s
    }
  }
  for (auto &[r, v] : u) v *= factor[static_cast<size_t>(r - 1)];
  // g_i = sum c_k g_k and 0 = sum u_k g_k: (1 - t u_i) g_i = sum (c_k + t u_k) g_k.
  const Q t = sgn(u[orig]) <= 0 ? Q(1) : Q(1) / (2 * u[orig]), scale = 1 - t * u[orig];
  std::map<long, Q> c;
  for (const auto &[r, v] : w->combination[static_cast<size_t>(orig - 1)]) c[r] += v;
  for (const auto &[r, v] : u)
    if (r != orig) c[r] += t * v;
  auto &out = w->combination[static_cast<size_t>(orig - 1)];
  out.clear();
  for (const auto &[r, v] : c) out.emplace_back(r, v / scale);
  return true;
}

}  // namespace

std::optional<std::vector<long>> certified_rows(dd_MatrixPtr M, const QMatrix &q, RowTest test,
                                                dd_ErrorType *err, dd_rowrange tested_after,
                                                RowWitnesses *witnesses)
{
  *err = dd_NoError;
  const bool generator = M != nullptr && M->representation == dd_Generator;
  // A generator's strong redundancy takes a second LP, with the tested row negated too.
  const bool second = generator && test == RowTest::StronglyRedundant;
  if (M == nullptr || q.rows != M->rowsize || q.cols != M->colsize) return std::nullopt;
  RowWitnesses scratch;
  if (second && witnesses == nullptr) witnesses = &scratch;
  const dd_rowrange m = M->rowsize;
  const dd_colrange c = M->colsize;
  std::vector<long> named;
  if (m <= 0 || c <= 0) return named;
  // The rows as the double loop sees them, normalised by powers of two,
  // and their negated copies for the equations; the generators' LPs put a
  // column of their own in front.
  const dd_colrange offset = generator ? 1 : 0, d = c + offset;
  Matrix Mcopy = normalised(M);
  // Negated copies only with equations: each rational is a heap block.
  const bool equations = set_card(M->linset) > 0 || second;
  Vec scaled(static_cast<size_t>(m * d)), minus(equations ? scaled.size() : 0);
  Vec factor(witnesses != nullptr ? static_cast<size_t>(m) : 0);
  if (witnesses != nullptr) {
    witnesses->combination.assign(static_cast<size_t>(m), {});
    witnesses->point.assign(static_cast<size_t>(m), {});
    witnesses->ray.assign(static_cast<size_t>(m), 0);
  }
  for (dd_rowrange i = 0; i < m; ++i) {
    const Q f = finite(row_normaliser(M->matrix[i], c, generator));
    if (witnesses != nullptr) factor[static_cast<size_t>(i)] = f;
    for (dd_colrange j = 0; j < c; ++j) {
      scaled[i * d + j + offset] = q.at(i, j) * f;
      if (equations) minus[i * d + j + offset] = -scaled[i * d + j + offset];
    }
  }
  const Table rows_of(std::move(scaled), d), minus_of(std::move(minus), d);
  std::vector<long> current(static_cast<size_t>(m));  // original row of each row of Mcopy
  for (dd_rowrange i = 0; i < m; ++i) current[i] = i + 1;
  // The rows of Mcopy and the negated equations, kept as rows leave.
  Rows rows;
  for (const long r : current) rows.add(rows_of, static_cast<size_t>(r - 1));
  for (const long r : current)
    if (set_member(r, M->linset)) rows.add(minus_of, static_cast<size_t>(r - 1));
  const bool removing = test != RowTest::ImplicitLinearity;
  // One set of exact rows for all the LPs, the objective slot last and row
  // i swapped for its relaxed copy while its LP runs: allocating them anew
  // for each LP fragments the heap the LPs themselves are built in.
  rows.add(rows_of, 0);
  Table relaxed(Vec(static_cast<size_t>(d)), d);
  for (dd_rowrange i = m; i > tested_after; --i) {
    if (set_member(i, Mcopy->linset)) continue;
    LP lp(generator ? dd_CreateLP_V_Redundancy(Mcopy.get(), i) : dd_CreateLP_H_Redundancy(Mcopy.get(), i));
    if (!lp) throw std::bad_alloc();
    if (test == RowTest::ImplicitLinearity) lp->objective = dd_LPmax;
    dd_ErrorType e = dd_NoError;
    dd_LPSolve(lp.get(), dd_DualSimplex, &e);
    if (e == dd_Interrupted || e == dd_OutOfMemory) {
      *err = e;
      return std::nullopt;
    }
    // The same LP on the exact rows: rows of Mcopy, the negated equations,
    // the objective row i; row i relaxed by 1 as the double LP has it.
    const size_t rest = static_cast<size_t>(i - 1);
    for (dd_colrange j = 0; j < d; ++j) relaxed.q[j] = rows_of.row(rest)[j];
    relaxed.q[0] += 1;
    for (dd_colrange j = 0; j < d; ++j) relaxed.a[j] = relaxed.q[j].get_d();
    rows.q.back() = rows_of.row(rest);
    rows.a.back() = rows_of.approx(rest);
    rows.q[rest] = relaxed.row(0);
    rows.a[rest] = relaxed.approx(0);
    // Mostly the optimum's sign is clear in floating point already.
    std::optional<int> sign = optimum_sign(*lp, rows, i);
    if (!sign) {
      ExactSolution s;
      if (!settle(lp.get(), rows, &s)) return std::nullopt;
      sign = sgn(s.optvalue);
    }
    bool found = false;
    if (test == RowTest::ImplicitLinearity) {
      found = lp->LPS == dd_Optimal && *sign == 0;
    } else {
      // A relaxed minimum is finite whenever the other rows leave points.
      if (lp->LPS != dd_Optimal) return std::nullopt;
      found = test == RowTest::Redundant || second ? *sign >= 0 : *sign > 0;
    }
    if (witnesses != nullptr && !row_witness(*lp, rows, i, found, test == RowTest::ImplicitLinearity, current, M, factor, witnesses))
      return std::nullopt;
    rows.q[rest] = rows_of.row(rest);
    rows.a[rest] = rows_of.approx(rest);
    if (second && found) {
      const auto strong = strongly_redundant_generator(Mcopy.get(), i, rows_of, minus_of, current, factor, witnesses, err);
      if (!strong) return std::nullopt;
      found = *strong;
    }
    if (!found) continue;
    named.push_back(i);
    if (removing) {
      dd_matrixdata *raw = Mcopy.release();
      dd_MatrixRowRemove(&raw, i);
      Mcopy.reset(raw);
      current.erase(current.begin() + (i - 1));
      rows.q.erase(rows.q.begin() + (i - 1));
      rows.a.erase(rows.a.begin() + (i - 1));
    }
  }
  std::reverse(named.begin(), named.end());
  return named;
}

}  // namespace zonix::lp
