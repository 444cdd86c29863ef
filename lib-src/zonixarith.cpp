// Double, exact and auto runs, on the double side of the library.
#include "zonixarith.hpp"
#include "zonixcore_internal.hpp"
#include "zonixproj.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <map>
#include <new>
#include <numeric>
#include <optional>
#include <set>
#include <vector>

#include "setoper.h"
#include "zonixcore.h"
#include "zonixfinite.hpp"
#include "zonixio.h"
#include "zonixcheck.hpp"
#include "zonixcheck_measured.hpp"
#include "zonixcore_wrap.hpp"
#include "zonixlp_certify.hpp"
#include "zonixlp_clarkson.hpp"
#include "zonixlp_handles.hpp"

namespace zonix {
namespace {

// Errors that say the double run could not stand behind its answer; auto
// then computes exactly.  Others (bad input, no memory, interrupted) are
// the same in any arithmetic.
bool uncertified(dd_ErrorType e)
{
  return e == dd_NumericallyInconsistent || e == dd_LPCycling;
}

template <class Request>
ExactResult run_exact(void (*door)(const Request *, ExactResult *), const Request &rq)
{
  ExactResult res;
  door(&rq, &res);
  return res;
}

// The rows of an LP record as rationals (doubles are dyadic rationals):
// its equations as such, their negated copies as rows of their own.
QMatrix record_rows(const dd_lpdata &lp)
{
  QMatrix q;
  q.rows = lp.m - 1;
  q.cols = lp.d;
  q.entries.resize(static_cast<size_t>(q.rows * q.cols));
  for (long i = 0; i < q.rows; ++i) {
    for (long j = 0; j < q.cols; ++j) mpq_set_d(q.at(i, j).get_mpq_t(), ddd_get_d(lp.A[i][j]));
    if (set_member(i + 1, lp.equalityset) != 0) q.linearity.push_back(i + 1);
  }
  q.objective = lp.objective;
  q.rowvec.resize(static_cast<size_t>(q.cols));
  for (long j = 0; j < q.cols; ++j) mpq_set_d(q.rowvec[static_cast<size_t>(j)].get_mpq_t(), ddd_get_d(lp.A[lp.objrow - 1][j]));
  return q;
}

// Whether the checker confirms the settled result s of lp over rows q:
// the record's own rows, or the exact rows it was made from as
// dd_Matrix2LP lays them out (a row past q's is the negated copy of an
// equation).  The dual values are the multipliers of the rows the final
// basis names (in *multipliers, for an optimum or infeasibility); the
// evidence row re of an infeasible LP enters with 1.
bool lp_confirmed(const dd_lpdata &lp, const QMatrix &q, const lp::ExactSolution &s,
                  std::vector<mpq_class> *multipliers = nullptr)
{
  const size_t d = static_cast<size_t>(lp.d);
  if (s.sol.size() < d || s.dsol.size() < d || q.cols != lp.d) return false;
  const int sense = lp.objective == dd_LPmin ? -1 : 1;
  std::vector<mpq_class> y(static_cast<size_t>(q.rows), 0);
  auto add = [&](long r, const mpq_class &w) {
    if (r >= 1 && r <= q.rows) y[static_cast<size_t>(r - 1)] += w;
    else if (r > q.rows && r - q.rows <= static_cast<long>(q.linearity.size()))
      y[static_cast<size_t>(q.linearity[static_cast<size_t>(r - q.rows - 1)] - 1)] -= w;
    else return false;
    return true;
  };
  for (long j = 2; j <= lp.d; ++j)
    if (lp.nbindex[j] > 0 && !add(lp.nbindex[j], sense * s.dsol[static_cast<size_t>(j - 1)])) return false;
  const std::vector<mpq_class> x(s.sol.begin() + 1, s.sol.begin() + lp.d);
  switch (lp.LPS) {
    case dd_Optimal:
      if (!check::lp(q, lp.LPS, x, y, {})) return false;
      if (multipliers != nullptr) *multipliers = std::move(y);
      return true;
    case dd_Inconsistent:
      if (!add(lp.re, 1) || !check::lp(q, lp.LPS, {}, y, {})) return false;
      if (multipliers != nullptr) *multipliers = std::move(y);
      return true;
    case dd_DualInconsistent:
    case dd_StrucDualInconsistent: return static_cast<bool>(check::lp(q, lp.LPS, {}, {}, x));
    default: return false;
  }
}

// Solves lp in double, then settles its result on the exact rows: those
// of rational as dd_Matrix2LP lays them out, or lp's own.  The
// record then holds the nearest doubles of the exact result; its pivot
// counts stay as they were, as after a run over rationals.  False, with
// *err dd_NoError, when the basis led to no proved result.
bool from_double_basis(dd_LPPtr lp, dd_LPSolverType solver, dd_ErrorType *err,
                       const QMatrix *rational)
{
  long pivots[5];
  std::copy(lp->pivots, lp->pivots + 5, pivots);
  const long total = lp->total_pivots;
  dd_ErrorType e = dd_NoError;
  dd_LPSolve(lp, solver, &e);
  std::copy(pivots, pivots + 5, lp->pivots);
  lp->total_pivots = total;
  if (e == dd_Interrupted || e == dd_OutOfMemory) {
    *err = e;
    return false;
  }
  *err = dd_NoError;
  lp::ExactSolution s;
  try {
    if (!lp::settle_exactly(lp, rational, &s)) return false;
    if (!lp_confirmed(*lp, rational != nullptr ? *rational : record_rows(*lp), s)) return false;
  } catch (const std::bad_alloc &) {
    *err = dd_OutOfMemory;
    return false;
  }
  ddd_set_d(lp->optvalue, nearest_double(s.optvalue));
  for (long j = 0; j < lp->d; ++j) {
    ddd_set_d(lp->sol[j], nearest_double(s.sol[static_cast<size_t>(j)]));
    ddd_set_d(lp->dsol[j], nearest_double(s.dsol[static_cast<size_t>(j)]));
  }
  return true;
}

}  // namespace

bool parse_arithmetic(const std::string &word, Arithmetic *out)
{
  if (word == "double") *out = Arithmetic::Double;
  else if (word == "exact") *out = Arithmetic::Exact;
  else if (word == "auto") *out = Arithmetic::Auto;
  else return false;
  return true;
}

// Bits of a double's significand: integers up to 2^53 are exact.
inline constexpr size_t kDoubleBits = 53;

double nearest_double(const mpq_class &q)
{
  // Most results are integers or halves that a double holds: no rounding.
  const mpz_srcptr num = q.get_num_mpz_t(), den = q.get_den_mpz_t();
  // An integer of one limb: the conversion rounds to nearest, ties to even.
  if (mpz_cmp_ui(den, 1) == 0 && mpz_size(num) <= 1) {
    const auto m = static_cast<double>(mpz_getlimbn(num, 0));
    return mpz_sgn(num) < 0 ? -m : m;
  }
  const size_t den_bits = mpz_sizeinbase(den, 2);
  // Both parts doubles: one division, rounded to nearest as IEEE rounds.
  if (mpz_sizeinbase(num, 2) <= kDoubleBits && den_bits <= kDoubleBits)
    return mpz_get_d(num) / mpz_get_d(den);
  if (mpz_sizeinbase(num, 2) <= kDoubleBits && mpz_scan1(den, 0) == den_bits - 1)
    return std::ldexp(mpz_get_d(num), -static_cast<int>(den_bits - 1));
  // mpq_get_d truncates; the nearest double is it or its neighbour away
  // from zero.
  const double t = mpq_get_d(q.get_mpq_t());
  if (!std::isfinite(t)) return t;
  const double away = std::nextafter(t, sgn(q) >= 0 ? INFINITY : -INFINITY);
  if (!std::isfinite(away)) return t;
  const mpq_class dt = abs(q - mpq_class(t)), da = abs(mpq_class(away) - q);
  if (da < dt) return away;
  if (da == dt) {
    // Ties to the even significand.
    int e;
    const double m = std::frexp(away, &e);
    return std::fmod(std::ldexp(m, 53), 2.0) == 0.0 ? away : t;
  }
  return t;
}

static_assert(sizeof(mytype) == sizeof(std::int64_t), "an integer in the place of a number");

void IntegerRows::get(long k, std::int64_t *out) const
{
  std::memcpy(out, store->matrix[k], static_cast<size_t>(cols) * sizeof(std::int64_t));
}

void IntegerRows::put(long k, const std::int64_t *in)
{
  std::memcpy(store->matrix[k], in, static_cast<size_t>(cols) * sizeof(std::int64_t));
}

namespace {

// q := x, most often a small integer, which needs none of mpq_set_d's work.
void set_double(mpq_class &q, double x)
{
  constexpr double kLongRange = 9223372036854775808.0;  // 2^63
  if (x == std::trunc(x) && x > -kLongRange && x < kLongRange)
    mpz_set_si(q.get_num_mpz_t(), static_cast<long>(x));
  else
    q = finite(x);
}

}  // namespace

QMatrix to_rational(dd_MatrixPtr M)
{
  QMatrix q;
  q.rows = M->rowsize;
  q.cols = M->colsize;
  q.representation = M->representation;
  q.entries.resize(static_cast<size_t>(q.rows * q.cols));
  for (long i = 0; i < q.rows; ++i)
    for (long j = 0; j < q.cols; ++j) set_double(q.at(i, j), ddd_get_d(M->matrix[i][j]));
  for (long i = 1; i <= q.rows; ++i)
    if (set_member(i, M->linset)) q.linearity.push_back(i);
  q.objective = M->objective;
  if (M->objective != dd_LPnone && M->rowvec != nullptr)
    for (long j = 0; j < q.cols; ++j) set_double(q.rowvec.emplace_back(), ddd_get_d(M->rowvec[j]));
  return q;
}

std::unique_ptr<QMatrix> exact_input(Input &in)
{
  if (in.doubles == nullptr || !in.inexact()) return nullptr;
  auto q = std::make_unique<QMatrix>(to_rational(in.doubles.get()));
  in.body.apply(q->entries);
  in.objective.apply(q->rowvec);
  in.body.clear();
  in.objective.clear();
  return q;
}

dd_MatrixPtr to_double(const QMatrix &q)
{
  dd_MatrixPtr M = dd_CreateMatrix(q.rows, q.cols);
  if (M == nullptr) return nullptr;
  M->representation = q.representation;
  M->numbtype = dd_Real;
  for (long i = 0; i < q.rows; ++i)
    for (long j = 0; j < q.cols; ++j) ddd_set_d(M->matrix[i][j], nearest_double(q.at(i, j)));
  for (long r : q.linearity) set_addelem(M->linset, r);
  return M;
}

dd_SetFamilyPtr to_family(const QFamily &f, long ground)
{
  dd_SetFamilyPtr F = dd_CreateSetFamily(static_cast<long>(f.size()), ground);
  if (F == nullptr) return nullptr;
  for (size_t k = 0; k < f.size(); ++k)
    for (long e : f[k]) set_addelem(F->set[k], e);
  return F;
}

namespace {

// " x" for one number: integers that fit a long without GMP's conversion
// to text, which is most of the time of writing a large result.
void append_number(std::string &out, const mpq_class &x)
{
  out += ' ';
  const mpz_srcptr num = x.get_num_mpz_t(), den = x.get_den_mpz_t();
  if (mpz_cmp_ui(den, 1) == 0 && mpz_fits_slong_p(num)) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, mpz_get_si(num));
    out.append(buf, r.ptr);
    return;
  }
  const size_t at = out.size();
  out.resize(at + mpz_sizeinbase(num, 10) + mpz_sizeinbase(den, 10) + 3);
  mpq_get_str(&out[at], 10, x.get_mpq_t());
  out.resize(at + std::strlen(&out[at]));
}

}  // namespace

namespace {

// The text format around the rows, as write_rational writes it.
void write_head(FILE *f, const QMatrix &q)
{
  dd_Printf(f, "%s\n", q.representation == dd_Generator ? "V-representation" : "H-representation");
  if (!q.linearity.empty()) {
    dd_Printf(f, "linearity %zu", q.linearity.size());
    for (long r : q.linearity) dd_Printf(f, " %ld", r);
    dd_Printf(f, "\n");
  }
  dd_Printf(f, "begin\n %ld %ld rational\n", q.rows, q.cols);
}

void write_tail(FILE *f, const QMatrix &q)
{
  dd_Printf(f, "end\n");
  if (q.objective != dd_LPnone && !q.rowvec.empty()) {
    dd_Printf(f, q.objective == dd_LPmax ? "maximize\n" : "minimize\n");
    for (const mpq_class &c : q.rowvec) dd_Printf(f, " %s", c.get_str().c_str());
    dd_Printf(f, "\n");
  }
}

}  // namespace

namespace {

// Moves c's rational entries into c.rows as text (ConvertOptions::text).
void as_text(Conversion &c)
{
  for (long i = 0; i < c.rational.rows; ++i) {
    for (long j = 0; j < c.rational.cols; ++j) append_number(c.rows, c.rational.at(i, j));
    c.rows += '\n';
  }
  std::vector<mpq_class>().swap(c.rational.entries);
}

}  // namespace

void write_rational(FILE *f, const QMatrix &q)
{
  write_head(f, q);
  std::string line;
  for (long i = 0; i < q.rows; ++i) {
    line.clear();
    for (long j = 0; j < q.cols; ++j) append_number(line, q.at(i, j));
    line += '\n';
    dd_Printf(f, "%s", line.c_str());
  }
  write_tail(f, q);
}

void write_rational_head(FILE *f, const QMatrix &q) { write_head(f, q); }

void write_rational_tail(FILE *f, const QMatrix &q) { write_tail(f, q); }

void write_rational(FILE *f, const QMatrix &q, const std::string &rows)
{
  write_head(f, q);
  core::write_text(f, rows.data(), rows.size());
  write_tail(f, q);
}

// " x" for each entry of the `rows` settled rows r of d integers over
// their scales, and a newline after each, from p on, which has room for
// kSettledEntry chars an entry and one more a row; returns the end.
char *put_settled_rows(char *p, const std::int64_t *r, long rows, long d,
                       dd_RepresentationType representation);
// " n/e" with two 64-bit integers and their signs.
inline constexpr long kSettledEntry = 48;

void write_rational(FILE *f, const Conversion &c)
{
  if (c.integers.store == nullptr) {
    write_rational(f, c.rational, c.rows);
    return;
  }
  write_head(f, c.rational);
  // In pieces through one buffer: a text copy of a large answer would
  // cost more in fresh pages than the writing.
  constexpr long kPieceEntries = 1024;  // some 48 KiB of text, well inside the caches
  const long d = c.integers.cols, n = c.integers.rows;
  const long block = std::max(1L, kPieceEntries / std::max(1L, d));
  std::vector<char> piece(static_cast<size_t>(block * (d * kSettledEntry + 1)));
  std::vector<std::int64_t> ints(static_cast<size_t>(block * d));
  for (long k = 0; k < n; k += block) {
    const long rows = std::min(block, n - k);
    for (long u = 0; u < rows; ++u) c.integers.get(k + u, ints.data() + u * d);
    char *end = put_settled_rows(piece.data(), ints.data(), rows, d, c.rational.representation);
    dd_Printf(f, "%.*s", static_cast<int>(end - piece.data()), piece.data());
  }
  write_tail(f, c.rational);
}

namespace {

// The rows of `in` that look like the facets of the cone of `out` (as
// generators): tight, in double, on as many rows of out as a facet needs,
// the first of rows tight on the same ones, and every fixed row.  A wrong
// guess only makes the checker say no.
QMatrix facet_guess(const QMatrix &in, const QMatrix &out)
{
  const long d = in.cols;
  std::vector<double> a(in.entries.size()), b(out.entries.size());
  for (size_t k = 0; k < a.size(); ++k) a[k] = nearest_double(in.entries[k]);
  for (size_t k = 0; k < b.size(); ++k) b[k] = nearest_double(out.entries[k]);
  const long need = d - 1 - static_cast<long>(out.linearity.size());
  QMatrix g;
  g.rows = 0;
  g.cols = d;
  g.representation = in.representation;
  std::set<std::vector<long>> seen;  // a list's search costs the square of thousands of rows
  for (long i = 0; i < in.rows; ++i) {
    const bool fixed = std::binary_search(in.linearity.begin(), in.linearity.end(), i + 1);
    std::vector<long> on;
    for (long k = 0; k < out.rows && !fixed; ++k) {
      double sum = 0.0, size = 0.0;
      for (long j = 0; j < d; ++j) {
        sum += a[static_cast<size_t>(i * d + j)] * b[static_cast<size_t>(k * d + j)];
        size += std::fabs(a[static_cast<size_t>(i * d + j)] * b[static_cast<size_t>(k * d + j)]);
      }
      if (std::fabs(sum) <= 1e-9 * size) on.push_back(k);
    }
    if (!fixed && (static_cast<long>(on.size()) < need || !seen.insert(on).second)) continue;
    g.entries.insert(g.entries.end(), in.entries.begin() + i * d, in.entries.begin() + (i + 1) * d);
    ++g.rows;
    if (fixed) g.linearity.push_back(g.rows);
  }
  return g;
}

// Row i of m times the lcm of its denominators, into w, when every entry
// then fits in 64 bits.  A positive factor keeps the sign of every product.
bool integer_row(const QMatrix &m, long i, std::int64_t *w, mpz_class &l, mpz_class &t)
{
  l = 1;
  for (long j = 0; j < m.cols; ++j) {
    const mpz_class &den = m.at(i, j).get_den();
    if (den != 1) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), den.get_mpz_t());
  }
  for (long j = 0; j < m.cols; ++j) {
    const mpq_class &x = m.at(i, j);
    if (l == 1) {
      t = x.get_num();
    } else {
      mpz_divexact(t.get_mpz_t(), l.get_mpz_t(), x.get_den().get_mpz_t());
      t *= x.get_num();
    }
    if (!t.fits_slong_p()) return false;
    w[j] = t.get_si();
  }
  return true;
}

// The sign of a.b over n integers, or none when a partial sum leaves 128 bits.
std::optional<int> dot_sign(const std::int64_t *a, const std::int64_t *b, long n)
{
  __int128 s = 0;
  for (long j = 0; j < n; ++j) {
    if (__builtin_add_overflow(s, static_cast<__int128>(a[j]) * b[j], &s)) return std::nullopt;
  }
  return (s > 0) - (s < 0);
}

int exact_dot_sign(const QMatrix &a, long i, const QMatrix &b, long k, mpq_class &dot, mpq_class &t)
{
  dot = 0;
  for (long j = 0; j < a.cols; ++j) {
    t = a.at(i, j) * b.at(k, j);
    dot += t;
  }
  return sgn(dot);
}

}  // namespace

// Whether every row of `in` (those in `only`, when given) holds exactly on
// every row of `out`: >= 0, and = 0 where either is an equation or line.
// Rows are scaled to integers once; the rationals only where a row or a
// sum does not fit.
bool holds_exactly(const QMatrix &in, const QMatrix &out, set_type only, set_type failed)
{
  const long d = in.cols;
  mpz_class l, t;
  std::vector<std::int64_t> wout(static_cast<size_t>(out.rows * d));
  std::vector<char> fits(static_cast<size_t>(out.rows));
  for (long k = 0; k < out.rows; ++k) fits[k] = integer_row(out, k, wout.data() + k * d, l, t) ? 1 : 0;
  // The same integers as doubles, each within half an ulp: a sum far from
  // 0 against its rounding bound has a sure sign, which spares the 128-bit
  // sums on most pairs.
  std::vector<double> xout(static_cast<size_t>(out.rows * d));
  for (long k = 0; k < out.rows * d; ++k) xout[k] = static_cast<double>(wout[k]);
  // Two rounded factors and their product err by three half-ulps, n sums
  // by n more, of the sum of magnitudes at most; twice that is safe.
  const double bound = static_cast<double>(d + 4) * std::numeric_limits<double>::epsilon();
  std::vector<char> line(static_cast<size_t>(out.rows));
  for (long k : out.linearity) line[k - 1] = 1;
  std::vector<std::int64_t> w(static_cast<size_t>(d));
  std::vector<double> x(static_cast<size_t>(d));
  mpq_class dot, u;
  const auto row_holds = [&](long i, bool eq, bool small) {
    for (long k = 0; k < out.rows; ++k) {
      if (small && fits[k] != 0) {
        const double *y = xout.data() + k * d;
        double sum = 0, size = 0;
        for (long j = 0; j < d; ++j) {
          sum += x[j] * y[j];
          size += std::fabs(x[j] * y[j]);
        }
        if (sum > bound * size) {
          if (eq || line[k] != 0) return false;
          continue;
        }
        if (sum < -bound * size) return false;
      }
      std::optional<int> s;
      if (small && fits[k] != 0) s = dot_sign(w.data(), wout.data() + k * d, d);
      const int sign = s ? *s : exact_dot_sign(in, i, out, k, dot, u);
      if (sign < 0 || ((eq || line[k] != 0) && sign != 0)) return false;
    }
    return true;
  };
  bool all = true;
  for (long i = 0; i < in.rows; ++i) {
    if (only != nullptr && set_member(i + 1, only) == 0) continue;
    const bool eq = std::binary_search(in.linearity.begin(), in.linearity.end(), i + 1);
    const bool small = integer_row(in, i, w.data(), l, t);
    for (long j = 0; j < d && small; ++j) x[j] = static_cast<double>(w[j]);
    if (!row_holds(i, eq, small)) {
      if (failed == nullptr) return false;
      set_addelem(failed, i + 1);
      all = false;
    }
  }
  return all;
}

namespace {

// The rows' rationals, made only when asked for.
const QMatrix &rational_of(const QMatrix &out, QMatrix &) { return out; }
const QMatrix &rational_of(const check::IntRows &r, QMatrix &out)
{
  out.rows = r.rows;
  out.cols = r.cols;
  out.representation = r.representation;
  out.linearity = r.linearity;
  out.entries.resize(r.entries.size());
  for (size_t k = 0; k < r.entries.size(); ++k) mpz_set_si(out.entries[k].get_num_mpz_t(), r.entries[k]);
  return out;
}

// For H rows q without a point: y, >= 0 off the equations, with sum y_i
// row_i = (-c, 0, ..., 0), c > 0, from the final basis of an LP over q,
// settled on q exactly; none when that LP proves no such thing.
// The LP of f (rows and objective, maximised) solved in double and
// settled on f exactly: its proved status, with the exact solution and
// the rows' multipliers that the checker confirmed; none when unproved.
std::optional<dd_LPStatusType> settled_lp(const QMatrix &f, lp::ExactSolution &s, std::vector<mpq_class> &y)
{
  const Matrix M(to_double(f));
  if (M == nullptr) return std::nullopt;
  M->objective = dd_LPmax;
  dd_ErrorType err = dd_NoError;
  const LP lp(dd_Matrix2LP(M.get(), &err));
  if (lp == nullptr || err != dd_NoError) return std::nullopt;
  dd_LPSolve(lp.get(), dd_DualSimplex, &err);
  if (err != dd_NoError || !lp::settle_exactly(lp.get(), &f, &s) || !lp_confirmed(*lp, f, s, &y)) return std::nullopt;
  return lp->LPS;
}

std::optional<std::vector<mpq_class>> farkas_vector(const QMatrix &q)
{
  if (q.representation != dd_Inequality || q.rows == 0) return std::nullopt;
  QMatrix f = q;
  f.objective = dd_LPmax;
  f.rowvec.assign(static_cast<size_t>(q.cols), mpq_class(0));
  lp::ExactSolution s;
  std::vector<mpq_class> y;
  if (settled_lp(f, s, y) != dd_Inconsistent) return std::nullopt;
  return y;
}

bool implicit_witness(const QMatrix &q, const std::vector<long> &named, const lp::RowWitnesses &w, check::Vec &y,
                      check::Vec &x);


// The implicit equations of q (H rows; generators g through the rows
// g.z >= 0 of their dual cone) by rounds of one LP each: the largest
// t <= 1 with every candidate row at least t.  t > 0 shows that no
// candidate left is an equation (x, the point or z, holds them all
// strictly); t = 0 makes the rows of positive multiplier equations (their
// multipliers sum the rows to zero) and they leave the candidates.  So as
// many rounds as groups of equations found together, each LP settled
// exactly from its double basis, y the rounds' multipliers summed.  False
// when an LP proves nothing (the LP per row decides then).
bool implicit_by_rounds(const QMatrix &q, std::vector<long> &named, check::Vec &y, check::Vec &x)
{
  const bool generators = q.representation == dd_Generator;
  const long m = q.rows, c = q.cols, C = generators ? c + 1 : c, shift = C - c;  // t in column C
  QMatrix f;
  f.rows = m + 1, f.cols = C + 1, f.linearity = q.linearity, f.objective = dd_LPmax;
  f.entries.assign(static_cast<size_t>(f.rows * f.cols), 0);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < c; ++j) f.at(i, j + shift) = q.at(i, j);
  f.at(m, 0) = 1, f.at(m, C) = -1;
  f.rowvec.assign(static_cast<size_t>(f.cols), 0);
  f.rowvec.back() = 1;
  std::vector<char> candidate(static_cast<size_t>(m), 1);
  for (const long l : q.linearity) candidate[static_cast<size_t>(l - 1)] = 0;
  y.assign(static_cast<size_t>(m), 0);
  for (long round = 0; round <= m; ++round) {
    if (dd_CancelRequested()) return false;
    for (long i = 0; i < m; ++i) f.at(i, C) = candidate[static_cast<size_t>(i)] != 0 ? -1 : 0;
    lp::ExactSolution s;
    std::vector<mpq_class> w;
    if (settled_lp(f, s, w) != dd_Optimal) return false;
    if (sgn(s.optvalue) > 0) {
      x.assign(s.sol.begin() + 1, s.sol.begin() + C);
      named.clear();
      for (long i = 1; i <= m; ++i)
        if (candidate[static_cast<size_t>(i - 1)] == 0 && !std::binary_search(q.linearity.begin(), q.linearity.end(), i))
          named.push_back(i);
      return true;
    }
    bool found = false;
    for (long i = 0; i < m; ++i) {
      y[static_cast<size_t>(i)] += w[static_cast<size_t>(i)];
      if (sgn(w[static_cast<size_t>(i)]) > 0 && candidate[static_cast<size_t>(i)] != 0) candidate[static_cast<size_t>(i)] = 0, found = true;
    }
    if (!found) return false;
  }
  return false;
}

// An answer `out` of H rows `in` whose rows the checker found valid and
// extreme, with input rows tight on all of them that it could not show
// to be equations.  The LP of each row tells: the implicit equations come
// with multipliers summing to zero, which the checker then reads
// (`farkas`); a row tight on all of `out` that holds strictly at a point
// of the input (check::linearity proves that point) shows a vertex or ray
// missing from `out`, a definite no.  Nothing when the LPs prove nothing.
std::optional<check::Verdict> with_implicit_equations(const QMatrix &in, const QMatrix &out)
{
  std::optional<std::vector<long>> named(std::in_place);
  check::Vec y, x;
  if (!implicit_by_rounds(in, *named, y, x) || !check::linearity(in, *named, y, x)) {
    const Matrix M(to_double(in));
    if (M == nullptr) return std::nullopt;
    dd_ErrorType err = dd_NoError;
    lp::RowWitnesses w;
    named = lp::certified_rows(M.get(), in, lp::RowTest::ImplicitLinearity, &err, 0, &w);
    if (!named || err != dd_NoError || !implicit_witness(in, *named, w, y, x) || !check::linearity(in, *named, y, x))
      return std::nullopt;
  }
  for (long i = 1; i <= in.rows; ++i) {
    if (std::binary_search(named->begin(), named->end(), i) ||
        std::binary_search(in.linearity.begin(), in.linearity.end(), i))
      continue;
    bool tight = true;
    for (long k = 0; k < out.rows && tight; ++k) {
      mpq_class dot = 0;
      for (long j = 0; j < in.cols; ++j) dot += in.at(i - 1, j) * out.at(k, j);
      tight = sgn(dot) == 0;
    }
    if (tight) return check::Verdict{false, "input row " + std::to_string(i) + " holds strictly inside, yet every output row is on it", false};
  }
  return check::conversion(in, out, &y);
}

// The checker on c, and where it finds every answer row valid and extreme
// but cannot prove the list complete, on the other side: the input rows
// that are the facets of the cone of the answer.  Valid answer rows span a
// cone inside the input's; when that cone's facets are input rows it holds
// the input's cone too.  (The other side says nothing of extremality.)
template <class Out>
check::Verdict checked_either_way(const QMatrix &in, const Out &rows)
{
  // An answer with fewer rows than its input has a small other side: a
  // short walk of the faces first, the other side below often proving a
  // degenerate answer complete for far less than the walk (a cone's few
  // facets from many rays), the full walk after it.
  const bool quick = rows.rows <= in.rows;
  check::Verdict v;
  if constexpr (std::is_same_v<Out, QMatrix>) v = check::conversion(in, rows, nullptr, quick);
  else v = check::conversion(in, rows, quick);
  if (v || !v.unproved) return v;
  QMatrix made;
  if (rows.rows == 0) {
    // No points: the input's own proof that it has none.
    const auto y = farkas_vector(in);
    return y ? check::conversion(in, rational_of(rows, made), &*y) : v;
  }
  const QMatrix &out = rational_of(rows, made);
  // Rows tight on the whole answer: equations, or a sign that it is short.
  if (in.representation == dd_Inequality && v.why.find("unproved an equation") != std::string::npos)
    if (const auto w = with_implicit_equations(in, out); w && (*w || !w->unproved)) return *w;
  const QMatrix facets = facet_guess(in, out);
  if (facets.rows > 0 && check::conversion(out, facets) && holds_exactly(in, out, nullptr)) return check::Verdict{};
  return quick && v.why.find("too degenerate") != std::string::npos ? check::conversion(in, rows) : v;
}

// The checker on c's rows out, and on its adjacency when it has one.
template <class Out>
check::Verdict rows_pass(const QMatrix &in, const Out &out, const Conversion &c)
{
  if (c.adjacency == nullptr) return checked_either_way(in, out);
  const dd_SetFamilyPtr F = c.adjacency.get();
  QFamily adj(static_cast<size_t>(F->famsize));
  // Word by word: a member test per element would cost the square of the rows.
  const long words = core::set_data_words(F->setsize);
  for (long k = 0; k < F->famsize; ++k)
    for (long w = 1; w <= words; ++w)
      for (core::set_word bits = F->set[k][w]; bits != 0u; bits &= bits - 1u)
        adj[static_cast<size_t>(k)].push_back((w - 1) * set_word_bits + std::countr_zero(bits) + 1);
  return check::adjacency(in, out, adj);
}

// c's settled 64-bit integer rows, each for a positive multiple of its row.
check::IntRows integer_rows_of(const Conversion &c)
{
  check::IntRows out;
  out.rows = c.integers.rows;
  out.cols = c.integers.cols;
  out.representation = c.rational.representation;
  out.linearity = c.rational.linearity;
  out.entries.resize(static_cast<size_t>(out.rows * out.cols));
  for (long k = 0; k < out.rows; ++k) c.integers.get(k, out.entries.data() + k * out.cols);
  return out;
}

// c's exact rows; false for rows as text only or in double only.
bool exact_rows(const Conversion &c, QMatrix *out)
{
  if (!c.rows.empty() || (!c.exact && !c.settled)) return false;
  if (c.integers.store == nullptr) *out = c.rational;
  else rational_of(integer_rows_of(c), *out);
  return true;
}

}  // namespace

namespace {

check::Verdict checker_verdict(const QMatrix &in, const Conversion &c)
{
  const check::Verdict nothing{false, "rows as text only: nothing to check"};
  if (!c.rows.empty()) return nothing;
  if (c.integers.store == nullptr) return rows_pass(in, c.rational, c);
  if (!c.exact && !c.settled) return nothing;
  // Settled 64-bit integer rows each stand for a positive multiple of its
  // row: the checker reads them as they are (rationals of a million
  // entries cost more than the check).
  return rows_pass(in, integer_rows_of(c), c);
}

// The rows of a and b, each a positive multiple of its row, as one set of
// directions.
bool same_directions(const check::IntRows &a, const check::IntRows &b)
{
  if (a.rows != b.rows || a.cols != b.cols) return false;
  auto primitive_sorted = [](const check::IntRows &r) {
    std::vector<std::vector<std::int64_t>> v;
    for (long k = 0; k < r.rows; ++k) {
      const std::int64_t *e = r.entries.data() + k * r.cols;
      std::int64_t g = 0;
      for (long j = 0; j < r.cols; ++j) g = std::gcd(g, e[j]);
      v.emplace_back(e, e + r.cols);
      for (auto &x : v.back()) x /= std::max<std::int64_t>(g, 1);
    }
    std::sort(v.begin(), v.end());
    return v;
  };
  return primitive_sorted(a) == primitive_sorted(b);
}

}  // namespace

bool passes_checker(const QMatrix &in, const Conversion &c) { return static_cast<bool>(checker_verdict(in, c)); }

bool double_answer_certain(dd_PolyhedraPtr poly)
{
  return poly == nullptr || poly->child == nullptr || core::rank_certain(poly->child);
}

bool measured_data(dd_MatrixPtr M)
{
  // Numbers declared integer or rational are exact, whatever doubles they are.
  if (M == nullptr || M->numbtype == dd_Rational || M->numbtype == dd_Integer) return false;
  auto integer = [](double x) { return std::isfinite(x) && x == std::trunc(x); };
  for (long i = 0; i < M->rowsize; ++i)
    for (long j = 0; j < M->colsize; ++j)
      if (!integer(ddd_get_d(M->matrix[i][j]))) return true;
  if (M->objective != dd_LPnone && M->rowvec != nullptr)
    for (long j = 0; j < M->colsize; ++j)
      if (!integer(ddd_get_d(M->rowvec[j]))) return true;
  return false;
}


namespace {

// A double run's rows carry the rounding of every combination that made
// them.  Each output row is made orthogonal again to the input rows it
// is nearly tight on (with the equations or lines), which brings its
// residuals there down to a few units of the last place.
void polish(dd_MatrixPtr M, dd_MatrixPtr out)
{
  constexpr double kNearly = 1e-8;  // far above a run's rounding, far below a real gap
  constexpr double kIndependent = 1e-9;
  const long d = M->colsize, m = M->rowsize;
  if (out == nullptr || out->colsize != d) return;
  std::vector<double> in(static_cast<size_t>((m + 1) * d), 0.0);
  std::vector<char> fixed(static_cast<size_t>(m + 1), 0);
  for (long i = 0; i < m; ++i) {
    double n2 = 0.0;
    for (long j = 0; j < d; ++j) n2 += std::pow(ddd_get_d(M->matrix[i][j]), 2);
    for (long j = 0; j < d && n2 > 0.0; ++j)
      in[static_cast<size_t>(i * d + j)] = ddd_get_d(M->matrix[i][j]) / std::sqrt(n2);
    fixed[static_cast<size_t>(i)] = set_member(i + 1, M->linset) != 0 ? 1 : 0;
  }
  // The row t >= 0 of an H-representation, on which rays lie.
  const long rows = M->representation == dd_Inequality ? m + 1 : m;
  in[static_cast<size_t>(m * d)] = 1.0;
  std::vector<double> g(static_cast<size_t>(d)), basis;
  for (long k = 0; k < out->rowsize; ++k) {
    if (set_member(k + 1, out->linset) != 0) continue;
    for (long j = 0; j < d; ++j) g[static_cast<size_t>(j)] = ddd_get_d(out->matrix[k][j]);
    double gn = 0.0;
    for (double x : g) gn = std::max(gn, std::fabs(x));
    if (gn == 0.0) continue;
    basis.clear();
    for (long i = 0; i < rows; ++i) {
      const double *a = in.data() + i * d;
      double s = 0.0, t = 0.0;
      for (long j = 0; j < d; ++j) {
        s += a[j] * g[static_cast<size_t>(j)];
        t += std::fabs(a[j] * g[static_cast<size_t>(j)]);
      }
      if (fixed[static_cast<size_t>(i)] == 0 && std::fabs(s) > kNearly * t) continue;
      std::vector<double> q(a, a + d);
      for (int pass = 0; pass < 2; ++pass)
        for (size_t b = 0; b < basis.size(); b += static_cast<size_t>(d)) {
          double dot = 0.0;
          for (long j = 0; j < d; ++j) dot += basis[b + static_cast<size_t>(j)] * q[static_cast<size_t>(j)];
          for (long j = 0; j < d; ++j) q[static_cast<size_t>(j)] -= dot * basis[b + static_cast<size_t>(j)];
        }
      double qn = 0.0;
      for (double x : q) qn += x * x;
      if (qn < kIndependent * kIndependent) continue;
      for (double &x : q) x /= std::sqrt(qn);
      basis.insert(basis.end(), q.begin(), q.end());
      if (static_cast<long>(basis.size()) >= (d - 1) * d) break;
    }
    const double first = g[0];
    for (int pass = 0; pass < 2; ++pass)
      for (size_t b = 0; b < basis.size(); b += static_cast<size_t>(d)) {
        double dot = 0.0;
        for (long j = 0; j < d; ++j) dot += basis[b + static_cast<size_t>(j)] * g[static_cast<size_t>(j)];
        for (long j = 0; j < d; ++j) g[static_cast<size_t>(j)] -= dot * basis[b + static_cast<size_t>(j)];
      }
    // Points keep their first entry, rays their zero there.
    if (out->representation == dd_Generator) {
      if (first != 0.0 && g[0] != 0.0)
        for (double &x : g) x *= first / g[0];
      else if (first == 0.0)
        g[0] = 0.0;
    }
    for (long j = 0; j < d; ++j) ddd_set_d(out->matrix[k][j], g[static_cast<size_t>(j)]);
  }
}

}  // namespace

bool answer_within(dd_MatrixPtr M, dd_MatrixPtr out, double tolerance)
{
  if (M == nullptr || out == nullptr) return false;
  const double delta = tolerance > 0.0 ? tolerance : check::kMeasuredDelta;
  const check::DoubleRows in = wrap::double_rows(M);
  // A run's rows that pass as they are stay as they are.
  if (check::conversion_within(in, wrap::double_rows(out), delta)) return true;
  polish(M, out);
  return static_cast<bool>(check::conversion_within(in, wrap::double_rows(out), delta));
}

namespace {

// The results of a finished double run of M as convert hands them out.
Conversion results_of(dd_PolyhedraPtr poly, dd_MatrixPtr M, const ConvertOptions &o, dd_ErrorType error)
{
  Conversion c;
  c.error = error;
  if (c.error == dd_NoError && poly != nullptr) {
    c.output.reset(M->representation == dd_Generator ? dd_CopyInequalities(poly) : dd_CopyGenerators(poly));
    if (o.adjacency) c.adjacency.reset(dd_CopyAdjacency(poly));
    if (o.incidence) c.incidence.reset(dd_CopyIncidence(poly));
    if (o.input_adjacency) c.input_adjacency.reset(dd_CopyInputAdjacency(poly));
    if (o.input_incidence) c.input_incidence.reset(dd_CopyInputIncidence(poly));
    if (c.output == nullptr) c.error = dd_NumericallyInconsistent;
  }
  return c;
}

}  // namespace

Conversion run_double(dd_MatrixPtr M, const ConvertOptions &o, Polyhedra *owner, bool checked)
{
  dd_ErrorType error = dd_NoError;
  const dd_RunOptions run{o.order, o.seed, o.threads};
  owner->reset(checked ? dd_DDMatrix2PolyWith(M, &run, &error)
                       : core::matrix_to_poly_unchecked(M, o.order, o.seed, o.threads, &error));
  return results_of(owner->get(), M, o, error);
}

Conversion settle_finished(dd_PolyhedraPtr poly, dd_MatrixPtr M, const ConvertOptions &o, check::IntRows *unproved)
{
  Conversion fail;
  fail.error = dd_NumericallyInconsistent;
  // Settling solves rays of a pointed cone (it refuses output lines); the
  // run's own lineality, such as that of input equations, is no obstacle:
  // the checker decides.
  if (poly == nullptr || poly->child == nullptr) return fail;
  const QMatrix q = to_rational(M);
  Conversion s = settle_run(results_of(poly, M, o, dd_NoError), poly, M, o, q);
  if (s.error == dd_NoError) {
    const check::Verdict v = checker_verdict(q, s);
    // Rows valid and extreme, the list unproved complete: kept for the
    // exact run, whose same rows need no second walk.
    if (!v && v.unproved && unproved != nullptr && s.integers.store != nullptr) *unproved = integer_rows_of(s);
    if (!v) return fail;
  }
  // Settled rows of small integers come as text already.
  if (s.error == dd_NoError && o.text && !s.rational.entries.empty()) as_text(s);
  return s;
}

dd_MatrixPtr convert_by_lps(dd_MatrixPtr M, Arithmetic arithmetic, double tolerance)
{
  const bool measured = arithmetic == Arithmetic::Auto && measured_data(M);
  if ((arithmetic != Arithmetic::Double && !measured) || !wrap::worth_trying(M)) return nullptr;
  Matrix out(wrap::convert(M));
  const double delta = tolerance > 0.0 ? tolerance : check::kMeasuredDelta;
  if (out != nullptr && measured && !wrap::certified_within(M, out.get(), delta)) out.reset();
  return out.release();
}

namespace {

// What a caller of convert_rows that writes from the double run gets
// beside the conversion.
struct Handover {
  Polyhedra *run = nullptr;  // the double run, when the answer is its own
  bool engine_checks = false;
  ConvertRoute route = ConvertRoute::Exact;
};

// convert; spent, when set, is *rational, for the exact run to free; with
// keep, a double run whose answer stands goes there uncopied.
Conversion convert_rows(dd_MatrixPtr M, const ConvertOptions &o, const QMatrix *rational, QMatrix *spent,
                        Handover *keep = nullptr)
{
  Handover unused;
  Handover &h = keep != nullptr ? *keep : unused;
  Conversion c;
  if (M == nullptr) {
    c.error = dd_ImproperInputFormat;
    return c;
  }
  check::IntRows unproved;  // settled rows the checker found valid and extreme, not complete
  const bool in_double = o.arithmetic == Arithmetic::Double ||
                         (o.arithmetic == Arithmetic::Auto && rational == nullptr && !exact_first(M));
  if (in_double) {
    h.route = ConvertRoute::Double;
    Polyhedra owner;
    // On measured data the checks after the run decide: the run's own,
    // at an absolute tolerance, refuse rows rounded to a few digits.
    const bool measured = o.arithmetic == Arithmetic::Auto && measured_data(M);
    if (!o.families()) {
      c.output.reset(convert_by_lps(M, o.arithmetic, o.tolerance));
      if (c.output != nullptr) {
        h.route = ConvertRoute::ByLps;
        return c;
      }
    }
    if (keep != nullptr && !measured) {
      // The caller reads the answer and the families from the run.
      const dd_RunOptions run{o.order, o.seed, o.threads};
      owner.reset(dd_DDMatrix2PolyWith(M, &run, &c.error));
    } else if (keep != nullptr) {
      // Measured data: a copy of the rows to polish, no families.
      ConvertOptions lean = o;
      lean.adjacency = lean.incidence = lean.input_adjacency = lean.input_incidence = false;
      c = run_double(M, lean, &owner, keep->engine_checks);
    } else {
      c = run_double(M, o, &owner, !measured);
    }
    if (o.arithmetic == Arithmetic::Auto && c.error == dd_NoError) {
      // No double answer leaves unchecked: measured data keep it when it
      // is right for data within the tolerance; exact data when its rows,
      // settled on the input's numbers, pass the exact checks.
      if (measured) {
        if (answer_within(M, c.output.get(), o.tolerance)) {
          if (keep != nullptr) *keep->run = std::move(owner);
          return c;
        }
      } else {
        Conversion s = settle_finished(owner.get(), M, o, o.families() ? nullptr : &unproved);
        if (s.error != dd_NumericallyInconsistent) {
          if (keep != nullptr) *keep->run = std::move(owner);
          return s;
        }
      }
      c.error = dd_NumericallyInconsistent;
    }
    if (o.arithmetic == Arithmetic::Double || !uncertified(c.error)) {
      if (keep != nullptr) *keep->run = std::move(owner);
      return c;
    }
    h.route = ConvertRoute::ExactAfterDouble;
  } else if (rational != nullptr) {
    h.route = ConvertRoute::ExactInput;
    if (o.arithmetic == Arithmetic::Auto && settling_pays(M, *rational, o)) {
      Conversion s = settle_from_double(M, o, *rational);
      if (s.error == dd_NoError && !passes_checker(*rational, s)) s.error = dd_NumericallyInconsistent;
      if (s.error != dd_NumericallyInconsistent) {
        if (o.text && !s.rational.entries.empty()) as_text(s);
        return s;
      }
    }
  } else {
    h.route = o.arithmetic == Arithmetic::Auto ? ConvertRoute::ExactFirst : ConvertRoute::Exact;
  }
  const QMatrix in = rational != nullptr ? QMatrix() : to_rational(M);
  ExactConvert rq;
  rq.input = rational != nullptr ? rational : &in;
  // auto checks the exact answer against its input: kept till then, and
  // rows as text made after the check
  const bool checked = o.arithmetic == Arithmetic::Auto || o.certify;
  rq.spent = checked ? nullptr : spent;
  rq.order = o.order;
  rq.seed = o.seed;
  rq.threads = o.threads;
  rq.adjacency = o.adjacency;
  rq.incidence = o.incidence;
  rq.input_adjacency = o.input_adjacency;
  rq.input_incidence = o.input_incidence;
  rq.text = o.text && !checked;
  // Checked rows for writing: 64-bit integers where they fit, which the
  // checker and the writer read without a fraction made.
  rq.integers = checked && o.text;
  if (!checked) rq.text_sink = o.text_sink;
  ExactResult res = run_exact(zonix_exact_convert, rq);
  Conversion e;
  e.exact = true;
  e.error = res.error;
  if (res.error != dd_NoError) return e;
  e.rational = std::move(res.output);
  e.rows = std::move(res.text);
  check::IntRows ints;
  if (res.as_integers) {
    ints.rows = e.rational.rows;
    ints.cols = e.rational.cols;
    ints.representation = e.rational.representation;
    ints.entries = std::move(res.integers);
  }
  // Exact rows, too, pass the checker in auto: a wrong one is an error.
  // Where it finds every row valid and extreme but cannot walk the faces
  // to prove the list complete, the exact run's word stands.
  if (checked) {
    // The other side costs as the answer's rows: tried when they are fewer.
    const bool other = e.rational.rows <= rq.input->rows;
    // The settled rows' verdict holds for the same rows found exactly.
    const bool seen = res.as_integers && unproved.rows > 0 && same_directions(unproved, ints);
    const check::Verdict v = seen ? check::Verdict{false, "as the settled rows", true}
                             : res.as_integers ? (other ? checked_either_way(*rq.input, ints) : check::conversion(*rq.input, ints))
                             : other ? checked_either_way(*rq.input, e.rational)
                                     : check::conversion(*rq.input, e.rational);
    // No points is never taken on the run's word: the input proves it.
    if (!v && (!v.unproved || e.rational.rows == 0)) {
      e.error = dd_NumericallyInconsistent;
      return e;
    }
    if (o.text && !res.as_integers) as_text(e);
  }
  if (res.as_integers) {
    e.integers.rows = ints.rows;
    e.integers.cols = ints.cols;
    e.integers.store.reset(dd_CreateMatrix(std::max(ints.rows, 1L), ints.cols));
    if (e.integers.store == nullptr) e.error = dd_OutOfMemory;
    for (long k = 0; k < ints.rows && e.integers.store != nullptr; ++k)
      e.integers.put(k, ints.entries.data() + k * ints.cols);
  }
  if (!o.text) e.output.reset(to_double(e.rational));
  // Ground sets as the double run makes them: output rows, or input rows
  // with the added row of a non-homogeneous H-representation.
  const long n = e.rational.rows;
  const long m1 = static_cast<long>(res.input_incidence.size());
  if (o.adjacency) e.adjacency.reset(to_family(res.adjacency, n));
  if (o.incidence) {
    long ground = 0;
    for (const auto &s : res.incidence)
      for (long x : s) ground = std::max(ground, x);
    e.incidence.reset(to_family(res.incidence, std::max(ground, M->rowsize)));
  }
  if (o.input_incidence) e.input_incidence.reset(to_family(res.input_incidence, n));
  if (o.input_adjacency)
    e.input_adjacency.reset(to_family(res.input_adjacency,
                                      std::max<long>(m1, static_cast<long>(res.input_adjacency.size()))));
  if (e.output == nullptr && !o.text) e.error = dd_OutOfMemory;
  return e;
}

}  // namespace

Conversion convert(dd_MatrixPtr M, const ConvertOptions &o, const QMatrix *rational)
{
  return convert_rows(M, o, rational, nullptr);
}

Conversion convert(dd_MatrixPtr M, const ConvertOptions &o, std::unique_ptr<QMatrix> rational)
{
  return convert_rows(M, o, rational.get(), rational.get());
}

RunConversion convert_keeping_run(dd_MatrixPtr M, const ConvertOptions &o, std::unique_ptr<QMatrix> rational,
                                  bool engine_checks)
{
  RunConversion r;
  Handover h;
  h.run = &r.run;
  h.engine_checks = engine_checks;
  r.result = convert_rows(M, o, rational.get(), rational.get(), &h);
  r.route = h.route;
  return r;
}

Conversion hull_extreme(dd_MatrixPtr M, const ConvertOptions &o)
{
  Conversion h = convert(M, o);
  if (h.error != dd_NoError || h.output == nullptr) return h;
  if (!h.exact && o.arithmetic == Arithmetic::Auto && measured_data(M)) {
    // Facets right for data within the tolerance: the extreme rows are
    // those of M on facets of full rank, taken as given, and their lines.
    const double delta = o.tolerance > 0.0 ? o.tolerance : check::kMeasuredDelta;
    const std::vector<long> keep = check::extreme_rows_within(wrap::double_rows(M), wrap::double_rows(h.output.get()), delta);
    std::vector<long> rows = keep;
    for (long i = 0; i < M->rowsize; ++i)
      if (set_member(i + 1, M->linset) != 0) rows.push_back(i);
    Conversion v;
    v.output.reset(dd_CreateMatrix(static_cast<long>(rows.size()), M->colsize));
    if (v.output == nullptr) {
      v.error = dd_OutOfMemory;
      return v;
    }
    v.output->representation = dd_Generator;
    v.output->numbtype = M->numbtype;
    for (size_t k = 0; k < rows.size(); ++k) {
      for (long j = 0; j < M->colsize; ++j) ddd_set(v.output->matrix[k][j], M->matrix[rows[k]][j]);
      if (k >= keep.size()) set_addelem(v.output->linset, static_cast<long>(k) + 1);
    }
    return v;
  }
  // Facets found exactly stay exact: their doubles are another polyhedron.
  return h.exact ? convert(h.output.get(), o, &h.rational) : convert(h.output.get(), o);
}

namespace {

// Whether the rows of d are those of q up to positive factors and
// rounding: each row compared at the scale of its largest entry.
bool same_rows(dd_MatrixPtr d, const QMatrix &q)
{
  // Far above the rounding of the few operations per entry, far below
  // any difference an elimination makes.
  constexpr double agree = 1e-12;
  if (d == nullptr || d->rowsize != q.rows || d->colsize != q.cols) return false;
  std::vector<double> e(static_cast<size_t>(q.cols));
  for (long i = 0; i < q.rows; ++i) {
    if ((set_member(i + 1, d->linset) != 0) !=
        std::binary_search(q.linearity.begin(), q.linearity.end(), i + 1))
      return false;
    double sd = 0.0, sq = 0.0;
    for (long j = 0; j < q.cols; ++j) {
      e[static_cast<size_t>(j)] = nearest_double(q.at(i, j));
      sd = std::max(sd, std::fabs(ddd_get_d(d->matrix[i][j])));
      sq = std::max(sq, std::fabs(e[static_cast<size_t>(j)]));
    }
    if ((sd == 0.0) != (sq == 0.0)) return false;
    for (long j = 0; j < q.cols && sd > 0.0; ++j)
      if (std::fabs(ddd_get_d(d->matrix[i][j]) / sd - e[static_cast<size_t>(j)] / sq) > agree)
        return false;
  }
  return true;
}

}  // namespace

namespace {

// G's columns outside `cols` (1-based), rows that become zero left out.
QMatrix kept_columns(const QMatrix &G, const std::vector<dd_colrange> &cols)
{
  QMatrix P;
  P.representation = G.representation;
  for (long j = 0; j < G.cols; ++j)
    if (std::find(cols.begin(), cols.end(), j + 1) == cols.end()) ++P.cols;
  for (long i = 0; i < G.rows; ++i) {
    bool zero = true;
    for (long j = 0; j < G.cols; ++j)
      if (std::find(cols.begin(), cols.end(), j + 1) == cols.end()) {
        zero = zero && sgn(G.at(i, j)) == 0;
        P.entries.push_back(G.at(i, j));
      }
    if (zero) {
      P.entries.resize(static_cast<size_t>(P.rows * P.cols));
      continue;
    }
    ++P.rows;
    if (std::binary_search(G.linearity.begin(), G.linearity.end(), i + 1)) P.linearity.push_back(P.rows);
  }
  return P;
}

// The other representation of q (of M, its doubles, when given), exact,
// proved complete by the checker (convert lets the exact run's word stand
// where the checker cannot walk the faces; here that is no proof); none
// when there is no such one, with the conversion's error in *err if any.
std::optional<QMatrix> checked_other_side(dd_MatrixPtr M, const QMatrix &q, dd_ErrorType *err = nullptr)
{
  ConvertOptions o;
  o.arithmetic = Arithmetic::Auto;
  QMatrix G;
  bool found = false;
  if (M != nullptr) {
    const Conversion g = convert(M, o);
    found = g.error == dd_NoError && exact_rows(g, &G);
    if (g.error != dd_NoError && !uncertified(g.error)) {
      if (err != nullptr) *err = g.error;
      return std::nullopt;
    }
  }
  if (!found) {
    const Matrix D(to_double(q));
    if (D == nullptr) return std::nullopt;
    const Conversion g = convert(D.get(), o, &q);
    found = g.error == dd_NoError && exact_rows(g, &G);
    if (g.error != dd_NoError && err != nullptr) *err = g.error;
  }
  if (!found || !checked_either_way(q, G)) return std::nullopt;
  return G;
}

// Whether R is the projection of the H rows q (M their doubles, or null)
// without the columns `cols`, proved from q's generators, certified and
// projected (P): R's rows hold on P, and with reduce the checker finds R
// exactly P's facets.  Otherwise, or where the checker cannot walk the
// faces, R's own generators must lie inside P's facets.  An empty P asks
// for an empty R.
bool projection_proved(dd_MatrixPtr M, const QMatrix &q, const std::vector<dd_colrange> &cols,
                       const QMatrix &R, bool reduce)
{
  const std::optional<QMatrix> G = checked_other_side(M, q);
  if (!G) return false;
  const QMatrix P = kept_columns(*G, cols);
  if (P.rows == 0) {
    const std::optional<QMatrix> GR = checked_other_side(nullptr, R);
    return GR && GR->rows == 0;
  }
  if (reduce) {
    const check::Verdict v = checked_either_way(P, R);
    if (v || !v.unproved) return static_cast<bool>(v);
  }
  if (!holds_exactly(R, P)) return false;
  const std::optional<QMatrix> F = checked_other_side(nullptr, P);
  if (!F) return false;
  const std::optional<QMatrix> GR = checked_other_side(nullptr, R);
  return GR && holds_exactly(*F, *GR);
}

// The facets R of a projection as project hands them out: with reduce
// without 1 >= 0 (the far side of an unbounded projection), equations
// scaled to a leading coefficient of 1.
Projection projection_of_facets(const QMatrix &R, bool reduce)
{
  Projection p;
  QMatrix out = R;
  out.rows = 0;
  out.entries.clear();
  out.linearity.clear();
  for (long i = 0; i < R.rows; ++i) {
    const bool eq = std::binary_search(R.linearity.begin(), R.linearity.end(), i + 1);
    bool constant = !eq && sgn(R.at(i, 0)) >= 0;
    for (long j = 1; j < R.cols && constant; ++j) constant = sgn(R.at(i, j)) == 0;
    if (reduce && constant) continue;
    out.entries.insert(out.entries.end(), R.entries.begin() + i * R.cols, R.entries.begin() + (i + 1) * R.cols);
    if (eq) {  // scaled to a leading coefficient of 1, as an equation of the input reads
      out.linearity.push_back(out.rows + 1);
      mpq_class *r = out.entries.data() + out.rows * out.cols, f = 0;
      for (long j = 1; j < out.cols && sgn(f) == 0; ++j) f = -r[j];
      for (long j = 0; j < out.cols && sgn(f) != 0; ++j) r[j] /= f;
    }
    ++out.rows;
  }
  p.rational = std::move(out);
  p.output.reset(to_double(p.rational));
  p.error = p.output == nullptr ? dd_OutOfMemory : dd_NoError;
  p.exact = true;
  return p;
}

// A projection through generators with every conversion checked: those
// of M, and the facets of their kept coordinates (dropped exactly in
// between), each proved complete by the checker.  dd_NumericallyInconsistent
// when some rows are not exact.
Projection through_checked_generators(dd_MatrixPtr M, const std::vector<dd_colrange> &cols, bool reduce)
{
  Projection p;
  p.error = dd_NumericallyInconsistent;
  const std::optional<QMatrix> G = checked_other_side(M, to_rational(M), &p.error);
  if (!G || G->rows == 0) return p;
  const QMatrix P = kept_columns(*G, cols);
  const std::optional<QMatrix> facets = checked_other_side(nullptr, P, &p.error);
  if (!facets) return p;
  return projection_of_facets(*facets, reduce);
}

// Whether r (a row over the columns of q) is >= 0 on the whole polyhedron
// of the H rows q, whose doubles Mlp holds (its objective is overwritten):
// the least value of r there, by an LP solved in double and settled on q,
// its optimum certified by the checker.
bool valid_on(dd_MatrixPtr Mlp, QMatrix &q, const mpq_class *r)
{
  q.objective = dd_LPmin;
  q.rowvec.assign(r, r + q.cols);
  Mlp->objective = dd_LPmin;
  for (long j = 0; j < q.cols; ++j) ddd_set_d(Mlp->rowvec[j], nearest_double(r[j]));
  dd_ErrorType e = dd_NoError;
  const LP lp(dd_Matrix2LP(Mlp, &e));
  if (lp == nullptr || e != dd_NoError) return false;
  dd_LPSolve(lp.get(), dd_DualSimplex, &e);
  if (e != dd_NoError) return false;
  lp::ExactSolution s;
  if (!lp::settle_exactly(lp.get(), &q, &s) || lp->LPS != dd_Optimal) return false;
  if (!lp_confirmed(*lp, q, s)) return false;
  mpq_class value = r[0];
  for (long j = 1; j < q.cols; ++j) value += r[j] * s.sol[static_cast<size_t>(j)];
  return sgn(value) >= 0;
}

// lifted := side times row i of R, a row over the columns not in cols,
// with zeros in the eliminated columns: the same row over q's columns.
void lift(const QMatrix &R, long i, int side, const std::vector<dd_colrange> &cols,
          std::vector<mpq_class> &lifted)
{
  long k = 0;
  for (size_t j = 0; j < lifted.size(); ++j)
    lifted[j] = std::find(cols.begin(), cols.end(), static_cast<dd_colrange>(j + 1)) == cols.end()
                    ? side * R.at(i, k++)
                    : mpq_class(0);
}

// Whether every row of R, a projection of q's polyhedron onto the columns
// not in cols (equations both ways), holds on all of it, each by valid_on.
bool rows_valid_on(dd_MatrixPtr M, const QMatrix &q, const std::vector<dd_colrange> &cols, const QMatrix &R)
{
  const Matrix Mlp(dd_CopyMatrix(M));
  if (Mlp == nullptr || q.representation != dd_Inequality) return false;
  QMatrix h = q;
  std::vector<mpq_class> lifted(static_cast<size_t>(q.cols));
  for (long i = 0; i < R.rows; ++i) {
    const bool eq = std::binary_search(R.linearity.begin(), R.linearity.end(), i + 1);
    for (int side = eq ? -1 : 1; side <= 1; side += 2) {
      lift(R, i, side, cols, lifted);
      if (!valid_on(Mlp.get(), h, lifted.data())) return false;
    }
  }
  return true;
}

// P without repeated rows: many vertices cast the same shadow (a cube's
// 2^d onto two of its coordinates, four points).  Lines stay as they are.
QMatrix distinct_rows(const QMatrix &P)
{
  if (!P.linearity.empty() || P.rows < 2) return P;
  std::vector<long> order(static_cast<size_t>(P.rows));
  for (long i = 0; i < P.rows; ++i) order[static_cast<size_t>(i)] = i;
  auto compare = [&](long a, long b) {
    for (long j = 0; j < P.cols; ++j)
      if (const int c = cmp(P.at(a, j), P.at(b, j)); c != 0) return c;
    return 0;
  };
  std::sort(order.begin(), order.end(), [&](long a, long b) { return compare(a, b) < 0; });
  QMatrix Q;
  Q.representation = P.representation;
  Q.cols = P.cols;
  for (size_t k = 0; k < order.size(); ++k) {
    if (k > 0 && compare(order[k - 1], order[k]) == 0) continue;
    const auto from = P.entries.begin() + order[k] * P.cols;
    Q.entries.insert(Q.entries.end(), from, from + P.cols);
    ++Q.rows;
  }
  return Q;
}

// The facets of the generators P (few coordinates): settled from a double
// run (on P's rows scaled to integers, which keep the run accurate where
// the doubles of P's fractions would not), checked once; else as
// checked_other_side.
std::optional<QMatrix> facets_of(const QMatrix &P, dd_ErrorType *err)
{
  const Matrix D(to_double(P));
  if (D == nullptr) return std::nullopt;
  const Conversion s = settle_from_double(D.get(), ConvertOptions{}, P);
  QMatrix R;
  if (s.error == dd_NoError && exact_rows(s, &R) && checked_either_way(P, R)) return R;
  return checked_other_side(nullptr, P, err);
}

// The rows (0-based) that the final basis of min r over Md (q's doubles;
// its objective is overwritten) names: those a least point of r lies on,
// whose combination r is.  None when the LP finds no optimum.
std::vector<long> optimal_basis_rows(dd_MatrixPtr Md, const QMatrix &q, const std::vector<double> &rd)
{
  Md->objective = dd_LPmin;
  for (long j = 0; j < q.cols; ++j) ddd_set_d(Md->rowvec[j], rd[static_cast<size_t>(j)]);
  dd_ErrorType e = dd_NoError;
  const LP lp(dd_Matrix2LP(Md, &e));
  if (lp == nullptr || e != dd_NoError) return {};
  dd_LPSolve(lp.get(), dd_DualSimplex, &e);
  if (e != dd_NoError || lp->LPS != dd_Optimal) return {};
  std::vector<long> rows;
  rows.reserve(static_cast<size_t>(lp->d - 1));
  for (long j = 2; j <= lp->d; ++j) {
    long r = lp->nbindex[j];
    // A row past q's is the negated copy of an equation: the equation.
    if (r > q.rows && r - q.rows <= static_cast<long>(q.linearity.size()))
      r = q.linearity[static_cast<size_t>(r - q.rows - 1)];
    if (r < 1 || r > q.rows) return {};
    rows.push_back(r - 1);
  }
  return rows;
}

// Whether r (a row over the columns of q) is >= 0 on the polyhedron of
// the H rows q, shown at a point g of it (a multiple of (1, x), gd its
// doubles) where r is 0: r is a combination of as many rows as variables
// tight at g, those that look tight (Md, q's doubles, tell) or, where
// more do, those an LP's final basis names; its multipliers, >= 0 off
// the equations, make g the least of r.  The checker confirms all of it
// exactly; false proves nothing.
bool valid_at_point(QMatrix &q, dd_MatrixPtr Md, const mpq_class *r, const std::vector<double> &rd,
                    const mpq_class *g, const double *gd)
{
  const long n = q.cols - 1;
  constexpr double kTight = 1e-9;  // relative: far above rounding, far below a gap
  std::vector<long> tight;
  for (long i = 0; i < q.rows; ++i) {
    double v = 0.0, scale = 0.0;
    for (long j = 0; j < q.cols; ++j) {
      const double t = ddd_get_d(Md->matrix[i][j]) * gd[j];
      v += t;
      scale += std::fabs(t);
    }
    if (std::fabs(v) <= kTight * scale) tight.push_back(i);
  }
  if (static_cast<long>(tight.size()) > n) tight = optimal_basis_rows(Md, q, rd);
  if (static_cast<long>(tight.size()) != n) return false;
  // Columns 1.. of the tight rows, transposed, beside r's: A^T y = r,
  // each row and r scaled to integers (y_k = s_k y'_k / L) and solved
  // fraction-free: no gcd in the inner loop, every division exact.
  std::vector<mpz_class> a(static_cast<size_t>(n * (n + 1))), s(static_cast<size_t>(n));
  auto e = [&](long j, long k) -> mpz_class & { return a[static_cast<size_t>(j * (n + 1) + k)]; };
  mpz_class L = 1;
  for (long j = 1; j <= n; ++j) mpz_lcm(L.get_mpz_t(), L.get_mpz_t(), r[j].get_den_mpz_t());
  for (long k = 0; k < n; ++k) {
    const long row = tight[static_cast<size_t>(k)];
    mpz_class &sk = s[static_cast<size_t>(k)];
    sk = 1;
    for (long j = 1; j <= n; ++j) mpz_lcm(sk.get_mpz_t(), sk.get_mpz_t(), q.at(row, j).get_den_mpz_t());
    for (long j = 0; j < n; ++j) e(j, k) = q.at(row, j + 1).get_num() * (sk / q.at(row, j + 1).get_den());
  }
  for (long j = 0; j < n; ++j) e(j, n) = r[j + 1].get_num() * (L / r[j + 1].get_den());
  mpz_class prev = 1, t;
  for (long c = 0; c < n; ++c) {
    long piv = c;
    while (piv < n && sgn(e(piv, c)) == 0) ++piv;
    if (piv == n) return false;
    if (piv != c)
      for (long k = 0; k <= n; ++k) std::swap(e(c, k), e(piv, k));
    for (long j = 0; j < n; ++j) {
      if (j == c) continue;
      for (long k = 0; k <= n; ++k) {
        if (k == c) continue;
        t = e(c, c) * e(j, k) - e(j, c) * e(c, k);
        mpz_divexact(e(j, k).get_mpz_t(), t.get_mpz_t(), prev.get_mpz_t());
      }
      e(j, c) = 0;
    }
    prev = e(c, c);
  }
  std::vector<mpq_class> y(static_cast<size_t>(q.rows), 0);
  for (long k = 0; k < n; ++k) {
    const long row = tight[static_cast<size_t>(k)];
    mpq_class &w = y[static_cast<size_t>(row)];
    w = mpq_class(e(k, n) * s[static_cast<size_t>(k)], e(k, k) * L);
    w.canonicalize();
    if (sgn(w) < 0 && !std::binary_search(q.linearity.begin(), q.linearity.end(), row + 1)) return false;
  }
  q.objective = dd_LPmin;
  q.rowvec.assign(r, r + q.cols);
  std::vector<mpq_class> x(g + 1, g + q.cols);
  for (mpq_class &v : x) v /= g[0];
  return static_cast<bool>(check::lp(q, dd_Optimal, x, y, {}));
}

// The projection proved on the projected side: M's generators from a
// double run, settled exactly and each shown to lie in M's polyhedron
// (points, rays and lines alike), projected; the facets of those,
// certified complete by the checker; and each facet valid on M's
// polyhedron by a certified LP.  Then the projection of the generators,
// inside that of M, has exactly the facets that hold on all of it: the
// two are equal.  No completeness walk over M's own degenerate vertices.
// dd_NumericallyInconsistent where any step proves nothing.
Projection through_projected_proof(dd_MatrixPtr M, const std::vector<dd_colrange> &cols, bool reduce)
{
  Projection p;
  p.error = dd_NumericallyInconsistent;
  if (measured_data(M) || M->representation != dd_Inequality) return p;
  QMatrix q = to_rational(M);
  ConvertOptions o;
  QMatrix G;
  {
    Polyhedra run;
    Conversion c = run_double(M, o, &run, false);
    if (c.error != dd_NoError) {
      if (!uncertified(c.error)) p.error = c.error;
      return p;
    }
    const Conversion s = settle_run(std::move(c), run.get(), M, o, q);
    if (s.error != dd_NoError || !exact_rows(s, &G) || G.rows == 0) return p;
  }
  if (!holds_exactly(q, G)) return p;
  const QMatrix P = distinct_rows(kept_columns(G, cols));
  const std::optional<QMatrix> facets = facets_of(P, &p.error);
  if (!facets) return p;
  const QMatrix &R = *facets;
  const Matrix Mlp(dd_CopyMatrix(M));
  if (Mlp == nullptr) return p;
  std::vector<mpq_class> lifted(static_cast<size_t>(q.cols));
  std::vector<double> rd(static_cast<size_t>(q.cols)), Gd(G.entries.size());
  for (size_t k = 0; k < Gd.size(); ++k) Gd[k] = G.entries[k].get_d();
  for (long i = 0; i < R.rows; ++i) {
    const bool eq = std::binary_search(R.linearity.begin(), R.linearity.end(), i + 1);
    for (int side = eq ? -1 : 1; side <= 1; side += 2) {
      lift(R, i, side, cols, lifted);
      for (long j = 0; j < q.cols; ++j) rd[static_cast<size_t>(j)] = lifted[static_cast<size_t>(j)].get_d();
      // The first point of G on the facet, by doubles, that shows it.
      bool valid = false;
      for (long g = 0; g < G.rows && !valid; ++g) {
        const double *gd = Gd.data() + g * G.cols;
        double v = 0.0, scale = 0.0;
        for (long j = 0; j < q.cols; ++j) {
          v += rd[static_cast<size_t>(j)] * gd[j];
          scale += std::fabs(rd[static_cast<size_t>(j)] * gd[j]);
        }
        if (gd[0] > 0.0 && std::fabs(v) <= 1e-9 * scale)
          valid = valid_at_point(q, Mlp.get(), lifted.data(), rd, &G.at(g, 0), gd);
      }
      if (!valid && !valid_on(Mlp.get(), q, lifted.data())) return p;
    }
  }
  return projection_of_facets(R, reduce);
}

// The projection through M's generators: proved on the projected side,
// else with both conversions proved complete.
Projection through_generators(dd_MatrixPtr M, const std::vector<dd_colrange> &cols, bool reduce)
{
  Projection p = through_projected_proof(M, cols, reduce);
  if (p.error == dd_NoError || !uncertified(p.error)) return p;
  return through_checked_generators(M, cols, reduce);
}

}  // namespace

Projection eliminate(dd_MatrixPtr M, const std::vector<dd_colrange> &cols, bool fourier,
                     bool reduce, Arithmetic arithmetic, const QMatrix *rational)
{
  return eliminate(M, cols, fourier ? proj::Method::Fourier : proj::Method::Block, reduce, arithmetic,
                   rational);
}

namespace {

// The caller's cancel hook, and a deadline: a run given a budget stops
// when either says so.
struct Budget {
  dd_CancelHook hook = nullptr;
  void *user = nullptr;
  std::chrono::steady_clock::time_point deadline;
  bool over = false;
};

int budget_spent(void *b)
{
  auto *budget = static_cast<Budget *>(b);
  if (budget->hook != nullptr && budget->hook(budget->user) != 0) return 1;
  budget->over = std::chrono::steady_clock::now() > budget->deadline;
  return budget->over ? 1 : 0;
}

// f() under the caller's cancel hook and a deadline `budget` from now;
// *over when the deadline stopped it.
template <class F>
auto within_budget(std::chrono::steady_clock::duration budget, bool *over, F f)
{
  Budget b;
  dd_GetCancelHook(&b.hook, &b.user);
  b.deadline = std::chrono::steady_clock::now() + budget;
  dd_SetCancelHook(budget_spent, &b);
  try {
    auto r = f();
    dd_SetCancelHook(b.hook, b.user);
    *over = b.over;
    return r;
  } catch (...) {
    dd_SetCancelHook(b.hook, b.user);
    throw;
  }
}

// The vertex route where auto would eliminate, for as long as a second:
// few rows' vertices are cheap beside elimination, and so are those of
// many rows with few vertices (the cross-polytope's 2^d facets meet in
// 2d vertices, where block elimination makes millions of rows).  *over
// when the budget ran out first.
Projection vertices_within_budget(dd_MatrixPtr M, const std::vector<dd_colrange> &cols, bool reduce,
                                  bool *over)
{
  Budget b;
  dd_GetCancelHook(&b.hook, &b.user);
  b.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  dd_SetCancelHook(budget_spent, &b);
  Projection v;
  try {
    v = through_generators(M, cols, reduce);
  } catch (...) {
    dd_SetCancelHook(b.hook, b.user);
    throw;
  }
  dd_SetCancelHook(b.hook, b.user);
  *over = b.over;
  return v;
}

}  // namespace

Projection eliminate(dd_MatrixPtr M, const std::vector<dd_colrange> &cols, proj::Method method,
                     bool reduce, Arithmetic arithmetic, const QMatrix *rational)
{
  Projection p;
  const bool chosen = method == proj::Method::Auto;
  if (M != nullptr) method = proj::choose(M, cols, method);
  // Variables few enough that the vertices may be cheap: tried first.
  constexpr dd_colrange kTryVertexCols = 13;
  if (M != nullptr && chosen && method != proj::Method::Vertices && arithmetic == Arithmetic::Auto &&
      rational == nullptr && M->colsize <= kTryVertexCols && M->representation == dd_Inequality) {
    bool over = false;
    Projection v = vertices_within_budget(M, cols, reduce, &over);
    if (!over && (v.error == dd_NoError || v.error == dd_Interrupted)) return v;
  }
  const bool fourier = method == proj::Method::Fourier;
  if (M == nullptr) {
    p.error = dd_ImproperInputFormat;
    return p;
  }
  const bool in_double = arithmetic == Arithmetic::Double ||
                         (arithmetic == Arithmetic::Auto && rational == nullptr);
  if (in_double && arithmetic == Arithmetic::Auto && method == proj::Method::Vertices) {
    Projection v = through_generators(M, cols, reduce);
    if (v.error == dd_NoError || !uncertified(v.error)) return v;
  } else if (in_double) {
    p.output.reset(proj::project_h(M, cols, method, true, reduce, &p.error));
    if (arithmetic == Arithmetic::Double || (p.error != dd_NoError && !uncertified(p.error))) return p;
  }
  const QMatrix in = rational != nullptr ? QMatrix() : to_rational(M);
  ExactEliminate rq;
  rq.input = rational != nullptr ? rational : &in;
  rq.fourier = fourier;
  rq.projection = static_cast<int>(method);
  rq.reduce = reduce;
  rq.columns.assign(cols.begin(), cols.end());
  ExactResult res = run_exact(zonix_exact_eliminate, rq);
  // Nor the exact run's rows in auto: they leave proved, or, as exact
  // conversions whose faces the checker cannot walk (degenerate cones),
  // with every row shown valid on the input's polyhedron.
  if (arithmetic == Arithmetic::Auto && res.error == dd_NoError &&
      !projection_proved(rational != nullptr ? nullptr : M, *rq.input, cols, res.output, reduce) &&
      !rows_valid_on(M, *rq.input, cols, res.output))
    res.error = dd_NumericallyInconsistent;
  // Nothing certifies the sums of Fourier-Motzkin or of block elimination
  // in double: auto keeps the double rows only where the exact ones
  // confirm them.
  if (in_double && p.error == dd_NoError && res.error == dd_NoError &&
      same_rows(p.output.get(), res.output))
    return p;
  Projection e;
  e.exact = true;
  e.error = res.error;
  if (res.error != dd_NoError) return e;
  e.rational = std::move(res.output);
  e.output.reset(to_double(e.rational));
  if (e.output == nullptr) e.error = dd_OutOfMemory;
  return e;
}

dd_SetFamilyPtr row_adjacency(dd_MatrixPtr M, Arithmetic arithmetic, dd_ErrorType *err,
                              bool *exact, const QMatrix *rational)
{
  *exact = false;
  if (arithmetic == Arithmetic::Double || (arithmetic == Arithmetic::Auto && rational == nullptr)) {
    dd_SetFamilyPtr F = dd_Matrix2Adjacency(M, err);
    if (arithmetic == Arithmetic::Double || !uncertified(*err)) return F;
    dd_FreeSetFamily(F);
  }
  const QMatrix in = rational != nullptr ? QMatrix() : to_rational(M);
  const ExactResult res = run_exact(zonix_exact_adjacency, rational != nullptr ? *rational : in);
  *exact = true;
  *err = res.error;
  if (res.error != dd_NoError) return nullptr;
  return to_family(res.adjacency, M->rowsize);
}

// Takes out of `rest` the points of q (rows (w, w x), w > 0) that lie
// inside a ball within every facet of g, the facets of the points kept
// (b + a.x >= 0, no equations): a ball about their mean, whose radius
// is the least distance to a facet less a bound far above the rounding of
// these sums of a few terms, as is the test of each point.  So most
// points of a full hull are proved with no sum over the facets.
void inside_ball(const QMatrix &q, const QMatrix &g, set_type kept_out, set_type rest)
{
  const long d = q.cols - 1;
  if (q.representation != dd_Generator || g.rows == 0 || !g.linearity.empty() || d <= 0) return;
  constexpr double kSlack = 1e-12;
  std::vector<double> x(static_cast<size_t>(q.rows * d));
  std::vector<char> point(static_cast<size_t>(q.rows));
  std::vector<double> c(static_cast<size_t>(d), 0.0);
  long n = 0;
  for (long i = 0; i < q.rows; ++i) {
    if (sgn(q.at(i, 0)) <= 0) continue;
    point[static_cast<size_t>(i)] = 1;
    const double w = nearest_double(q.at(i, 0));
    for (long j = 0; j < d; ++j) x[static_cast<size_t>(i * d + j)] = nearest_double(q.at(i, j + 1)) / w;
    if (set_member(i + 1, kept_out) != 0) continue;
    for (long j = 0; j < d; ++j) c[static_cast<size_t>(j)] += x[static_cast<size_t>(i * d + j)];
    ++n;
  }
  if (n == 0) return;
  double csize = 0;
  for (double &v : c) {
    v /= static_cast<double>(n);
    csize += v * v;
  }
  double r = HUGE_VAL;
  for (long f = 0; f < g.rows; ++f) {
    double v = nearest_double(g.at(f, 0)), size = std::fabs(v), a2 = 0;
    for (long j = 0; j < d; ++j) {
      const double a = nearest_double(g.at(f, j + 1));
      v += a * c[static_cast<size_t>(j)];
      size += std::fabs(a * c[static_cast<size_t>(j)]);
      a2 += a * a;
    }
    if (!(a2 > 0)) return;
    r = std::fmin(r, (v - kSlack * size) / (std::sqrt(a2) * (1 + kSlack)));
  }
  // Far from underflow, where the slack covers every rounding.
  if (!(r > 0x1p-450) || !std::isfinite(r)) return;
  const double r2 = r * r * (1 - kSlack);
  for (long i = 0; i < q.rows; ++i) {
    if (point[static_cast<size_t>(i)] == 0 || set_member(i + 1, rest) == 0) continue;
    double d2 = 0, size = csize;
    for (long j = 0; j < d; ++j) {
      const double xi = x[static_cast<size_t>(i * d + j)], t = xi - c[static_cast<size_t>(j)];
      d2 += t * t;
      size += xi * xi;
    }
    if (d2 + 4 * kSlack * size < r2) set_delelem(rest, i + 1);
  }
}

namespace {

// Whether the redundant rows `red` of M (exact rows q), found in double,
// are proved: the other representation of the rows kept, certified, is
// exactly that of the kept rows without a redundant one (the checker
// read the other way), and every row dropped holds on it exactly.
// The other representation of the rows of M outside `drop` (exact rows
// q), certified: empty when its conversion is not exact or the checker
// does not accept it.
QMatrix other_side(dd_MatrixPtr M, const QMatrix &q, set_type drop)
{
  Matrix K(dd_MatrixSubmatrix(M, drop));
  if (K == nullptr || K->rowsize == 0) return QMatrix();
  QMatrix qk;
  qk.rows = 0;
  qk.cols = q.cols;
  qk.representation = q.representation;
  for (long i = 0; i < q.rows; ++i) {
    if (set_member(i + 1, drop) != 0) continue;
    qk.entries.insert(qk.entries.end(), q.entries.begin() + i * q.cols, q.entries.begin() + (i + 1) * q.cols);
    ++qk.rows;
    if (std::binary_search(q.linearity.begin(), q.linearity.end(), i + 1)) qk.linearity.push_back(qk.rows);
  }
  ConvertOptions o;
  o.arithmetic = Arithmetic::Auto;
  Conversion c = convert(K.get(), o, &qk);
  if (c.error != dd_NoError || !c.exact || c.rational.entries.empty() || c.rational.rows == 0 ||
      !check::conversion(c.rational, qk))
    return QMatrix();
  return std::move(c.rational);
}

// Whether the redundant rows `red` of M (exact rows q), found in double,
// are proved: the other representation of the rows kept, certified, is
// exactly that of the kept rows without a redundant one (the checker
// read the other way), and every row dropped holds on it exactly.
bool redundancy_proved(dd_MatrixPtr M, const QMatrix &q, set_type red)
{
  const QMatrix g = other_side(M, q, red);
  if (g.rows == 0) return false;
  const long kept = M->rowsize - set_card(red);
  // Many dropped rows against many rows of g: most are implied by a
  // sample of the rows kept already, whose other side is far smaller; the
  // rest are tried on g.  Implied by some kept rows, implied by all.
  constexpr long kSample = 256;
  const Set rest(make_set(M->rowsize));
  set_copy(rest.get(), red);
  inside_ball(q, g, red, rest.get());
  if (kept > 2 * kSample && static_cast<double>(set_card(rest.get())) * static_cast<double>(g.rows) > 1e7) {
    const Set drop(make_set(M->rowsize));
    const long stride = kept / kSample;
    long seen = 0;
    for (long i = 1; i <= M->rowsize; ++i)
      if (set_member(i, red) != 0 || seen++ % stride != 0) set_addelem(drop.get(), i);
    const QMatrix s = other_side(M, q, drop.get());
    if (s.rows > 0) {
      const Set todo(make_set(M->rowsize));
      set_copy(todo.get(), rest.get());
      set_emptyset(rest.get());
      holds_exactly(q, s, todo.get(), rest.get());
    }
  }
  return holds_exactly(q, g, rest.get());
}

// Rows `rows` (1-based, in that order) of M and of its exact rows q.
std::pair<Matrix, QMatrix> some_rows(dd_MatrixPtr M, const QMatrix &q, const std::vector<long> &rows)
{
  Matrix R(dd_CreateMatrix(static_cast<dd_rowrange>(rows.size()), M->colsize));
  if (R == nullptr) return {};
  R->representation = M->representation;
  R->numbtype = M->numbtype;
  QMatrix qr;
  qr.rows = static_cast<long>(rows.size());
  qr.cols = q.cols;
  qr.representation = q.representation;
  for (size_t k = 0; k < rows.size(); ++k) {
    const long i = rows[k] - 1;
    dd_CopyArow(R->matrix[k], M->matrix[i], M->colsize);
    if (set_member(rows[k], M->linset) != 0) {
      set_addelem(R->linset, static_cast<long>(k + 1));
      qr.linearity.push_back(static_cast<long>(k + 1));
    }
    qr.entries.insert(qr.entries.end(), q.entries.begin() + i * q.cols, q.entries.begin() + (i + 1) * q.cols);
  }
  return {std::move(R), std::move(qr)};
}

// Whether the other side of the rows kept is too large to be worth
// making: points in five dimensions or more, many of them extreme, have
// hulls with far more facets than points.
bool other_side_large(dd_MatrixPtr M, set_type red)
{
  const long kept = M->rowsize - set_card(red);
  return M->representation == dd_Generator && M->colsize >= 6 && kept > 500;
}

// certified_rows' witnesses on `rows` of M (1-based), from the from-th on,
// renumbered as rows of M into all.
void take_witnesses(const std::vector<long> &rows, lp::RowWitnesses &part, size_t from, lp::RowWitnesses &all)
{
  for (size_t k = from; k < rows.size(); ++k) {
    const size_t at = static_cast<size_t>(rows[k] - 1);
    all.combination[at] = std::move(part.combination[k]);
    for (auto &[r, v] : all.combination[at]) r = rows[static_cast<size_t>(r - 1)];
    all.point[at] = std::move(part.point[k]);
    all.ray[at] = part.ray[k];
  }
}

bool rows_checked(const QMatrix &q, RowQuery query, const std::vector<long> &named, const lp::RowWitnesses &w);

// A shot of the redundancy method (a point of the rows' H form) as the
// checker's witness for its row, its numbers cut to 40 bits of the
// largest: near the shot is as good as the shot, and small numbers keep
// the check in machine integers.  Empty when it is no point.
check::Vec shot_witness(const std::vector<double> &z, bool generators)
{
  if (z.empty() || (!generators && !(z[0] > 0))) return {};
  std::vector<double> v(z.begin() + 1, z.end());
  double top = 0;
  for (double &e : v) top = std::fmax(top, std::fabs(e /= generators ? 1 : z[0]));
  if (!std::isfinite(top)) return {};
  int e = 0;
  std::frexp(top, &e);
  check::Vec w;
  for (const double x : v) {
    mpq_class q(std::nearbyint(std::ldexp(x, 40 - e)));
    if (!generators) 40 - e >= 0 ? mpq_div_2exp(q.get_mpq_t(), q.get_mpq_t(), 40 - e) : mpq_mul_2exp(q.get_mpq_t(), q.get_mpq_t(), e - 40);
    w.push_back(std::move(q));
  }
  return w;
}

// Moves from shot to lps the rows whose witness point is not clearly
// beyond that row alone of the rows kept, in double with a bound on its
// rounding (the checker decides; this spares it witnesses it would refuse).
void shots_not_clear(dd_MatrixPtr M, const std::vector<long> &kept, const std::vector<check::Vec> &point,
                     std::vector<long> &shot, std::vector<long> &lps)
{
  const bool generators = M->representation == dd_Generator;
  const auto c = static_cast<size_t>(M->colsize);
  std::vector<double> rows(kept.size() * c);
  for (size_t k = 0; k < kept.size(); ++k)
    for (size_t j = 0; j < c; ++j) rows[k * c + j] = M->matrix[kept[k] - 1][j][0];
  constexpr double kRounding = 8 * std::numeric_limits<double>::epsilon();
  std::vector<double> w(c);
  std::erase_if(shot, [&](long r) {
    const check::Vec &x = point[static_cast<size_t>(r - 1)];
    w[0] = 1;
    for (size_t j = generators ? 0 : 1; j < c; ++j) w[j] = x[j - (generators ? 0 : 1)].get_d();
    for (size_t k = 0; k < kept.size(); ++k) {
      double v = 0, bound = 0;
      for (size_t j = 0; j < c; ++j) v += rows[k * c + j] * w[j], bound += std::fabs(rows[k * c + j] * w[j]);
      bound = bound * kRounding * static_cast<double>(c) + std::numeric_limits<double>::min();
      if (kept[k] == r ? !(v < -bound) : !(v > bound)) return lps.push_back(r), true;
    }
    return false;
  });
}

// Row a (1-based) of q as sum y_b row_b of the rows `basis` (0-based) on
// the columns from `from` on, y = Y / D solved by fraction-free
// Gauss-Jordan in machine integers: 1 when y is found, 0 when there is
// none, -1 when a number is no integer or outgrows 62 bits.
int small_solve(const QMatrix &q, const std::vector<dd_rowrange> &basis, long a, size_t from, std::vector<mpq_class> &y)
{
  constexpr std::int64_t kTop = std::int64_t{1} << 62;
  const size_t k = basis.size(), n = static_cast<size_t>(q.cols) - from, w = k + 1;
  std::vector<std::int64_t> G(n * w);
  for (size_t j = 0; j < n; ++j)
    for (size_t b = 0; b <= k; ++b) {
      const mpq_class &e = q.at(b < k ? basis[b] : a - 1, static_cast<long>(j + from));
      if (e.get_den() != 1 || !e.get_num().fits_slong_p()) return -1;
      const long v = e.get_num().get_si();
      if (v <= -kTop || v >= kTop) return -1;
      G[j * w + b] = v;
    }
  std::vector<size_t> piv(k);
  std::vector<char> used(n, 0);
  std::int64_t prev = 1;
  for (size_t t = 0; t < k; ++t) {
    size_t r = 0;
    while (r < n && (used[r] != 0 || G[r * w + t] == 0)) ++r;
    if (r == n) return -1;  // the basis rows dependent: the rationals' way decides
    used[r] = 1, piv[t] = r;
    const std::int64_t p = G[r * w + t];
    for (size_t i = 0; i < n; ++i) {
      const std::int64_t f = G[i * w + t];
      if (i == r) continue;
      for (size_t u = 0; u < w; ++u) {
        const __int128 v = (static_cast<__int128>(p) * G[i * w + u] - static_cast<__int128>(f) * G[r * w + u]) / prev;
        if (v <= -kTop || v >= kTop) return -1;
        G[i * w + u] = static_cast<std::int64_t>(v);
      }
    }
    prev = p;
  }
  for (size_t i = 0; i < n; ++i)
    if (used[i] == 0 && G[i * w + k] != 0) return 0;  // the row is off the span of the basis
  y.resize(k);
  for (size_t b = 0; b < k; ++b) y[b] = mpq_class(mpz_class(static_cast<long>(G[piv[b] * w + k])), mpz_class(static_cast<long>(prev)));
  for (auto &v : y) v.canonicalize();
  return 1;
}

// For the rows `rows` (1-based) of q that the method found implied by the
// rows `basis` (0-based) of q: multipliers y >= 0 with sum y_b row_b equal
// to the row off column 0 and no more than it there (V: equal), found
// exactly, as terms in all; the rows with none go to rest.
void based_terms(const QMatrix &q, const std::vector<dd_rowrange> &basis, const std::vector<long> &rows,
                 lp::RowWitnesses &all, std::vector<long> &rest)
{
  const bool generators = q.representation == dd_Generator;
  const size_t k = basis.size(), c = static_cast<size_t>(q.cols), from = generators ? 0 : 1, w = c - from + k;
  // [A | I] to reduced echelon form: E A has the identity in the pivot
  // columns P, so y = a_P E; made only for a row with numbers too large.
  std::vector<mpq_class> T;
  std::vector<size_t> pivot;
  auto reduce = [&] {
    T.assign(k * w, 0);
    for (size_t b = 0; b < k; ++b) {
      for (size_t j = from; j < c; ++j) T[b * w + j - from] = q.at(basis[b], static_cast<long>(j));
      T[b * w + c - from + b] = 1;
    }
    for (size_t j = 0; j < c - from && pivot.size() < k; ++j) {
      const size_t r = pivot.size();
      size_t p = r;
      while (p < k && sgn(T[p * w + j]) == 0) ++p;
      if (p == k) continue;
      for (size_t t = 0; t < w; ++t) std::swap(T[p * w + t], T[r * w + t]);
      const mpq_class f = T[r * w + j];
      for (size_t t = 0; t < w; ++t) T[r * w + t] /= f;
      for (size_t o = 0; o < k; ++o)
        if (o != r && sgn(T[o * w + j]) != 0) {
          const mpq_class g = T[o * w + j];
          for (size_t t = 0; t < w; ++t) T[o * w + t] -= g * T[r * w + t];
        }
      pivot.push_back(j);
    }
  };
  std::vector<mpq_class> y(k), sum(c);
  for (const long i : rows) {
    const int small = small_solve(q, basis, i, from, y);
    if (small < 0 && T.empty()) reduce();
    bool ok = small > 0 || (small < 0 && pivot.size() == k);
    for (size_t b = 0; b < k && ok && small < 0; ++b) {
      y[b] = 0;
      for (size_t r = 0; r < k; ++r) y[b] += q.at(i - 1, static_cast<long>(pivot[r] + from)) * T[r * w + c - from + b];
    }
    for (size_t b = 0; b < k && ok; ++b) ok = sgn(y[b]) >= 0;
    // The integers' solution holds on the columns from `from` on.
    for (size_t j = 0; j < (small > 0 ? from : c) && ok; ++j) {
      sum[j] = q.at(i - 1, static_cast<long>(j));
      for (size_t b = 0; b < k; ++b) sum[j] -= y[b] * q.at(basis[b], static_cast<long>(j));
      ok = j < from ? sgn(sum[j]) >= 0 : sgn(sum[j]) == 0;
    }
    if (!ok) {
      rest.push_back(i);
      continue;
    }
    auto &terms = all.combination[static_cast<size_t>(i - 1)];
    terms.clear();
    for (size_t b = 0; b < k; ++b)
      if (sgn(y[b]) != 0) terms.emplace_back(basis[b] + 1, y[b]);
  }
}

// The same proof row by row: no row kept implied by the other rows kept,
// and each row dropped implied by the rows kept (with dropped rows of
// lower number beside them), each LP's answer in double proved from its
// basis and the whole handed to the checker.  Its LPs are as large as the
// rows kept, as those of the output-sensitive method.  What the method
// found on its way spares LPs: a kept row's shot is its witness, a dropped
// row's basis gives its multipliers.
bool redundancy_proved_by_rows(dd_MatrixPtr M, const QMatrix &q, set_type red, const lp::Trail *trail = nullptr)
{
  std::vector<long> kept, dropped;
  for (long i = 1; i <= M->rowsize; ++i) {
    if (set_member(i, red) == 0) {
      kept.push_back(i);
    } else {
      if (set_member(i, M->linset) != 0) return false;
      dropped.push_back(i);
    }
  }
  dd_ErrorType err = dd_NoError;
  lp::RowWitnesses all, part;
  all.combination.resize(static_cast<size_t>(M->rowsize));
  all.point.resize(static_cast<size_t>(M->rowsize));
  all.ray.resize(static_cast<size_t>(M->rowsize));
  {
    // The rows with a shot first, then those whose witness an LP finds.
    std::vector<long> order, lps;
    for (const long i : kept) {
      auto &w = all.point[static_cast<size_t>(i - 1)];
      if (trail != nullptr) w = shot_witness(trail->shot[static_cast<size_t>(i - 1)], M->representation == dd_Generator);
      (w.empty() ? lps : order).push_back(i);
    }
    shots_not_clear(M, kept, all.point, order, lps);
    const size_t shot = order.size();
    order.insert(order.end(), lps.begin(), lps.end());
    const auto [K, qk] = some_rows(M, q, order);
    if (K == nullptr) return false;
    const auto none = lp::certified_rows(K.get(), qk, lp::RowTest::Redundant, &err, static_cast<dd_rowrange>(shot), &part);
    if (!none || !none->empty() || err != dd_NoError) return false;
    take_witnesses(order, part, shot, all);
  }
  std::vector<long> todo = dropped;  // those without multipliers yet
  if (trail != nullptr) {
    std::map<std::vector<dd_rowrange>, std::vector<long>> by_basis;
    std::vector<long> rest;
    for (const long i : dropped) {
      auto basis = trail->basis[static_cast<size_t>(i - 1)];
      std::sort(basis.begin(), basis.end());
      const bool kept_only = std::none_of(basis.begin(), basis.end(), [&](dd_rowrange b) { return set_member(b + 1, red) != 0; });
      (trail->based[static_cast<size_t>(i - 1)] != 0 && kept_only ? by_basis[basis] : rest).push_back(i);
    }
    for (const auto &[basis, rows] : by_basis) based_terms(q, basis, rows, all, rest);
    std::sort(rest.begin(), rest.end());
    todo.swap(rest);
  }
  // Dropped rows in parts, each of which adds a sixteenth of the rows
  // kept at most to the LPs.
  const size_t part_rows = std::max<size_t>(64, kept.size() / 16);
  for (size_t start = 0; start < todo.size(); start += part_rows) {
    if (dd_CancelRequested()) return false;
    std::vector<long> rows = kept;
    const size_t end = std::min(todo.size(), start + part_rows);
    rows.insert(rows.end(), todo.begin() + static_cast<long>(start), todo.begin() + static_cast<long>(end));
    const auto [R, qr] = some_rows(M, q, rows);
    if (R == nullptr) return false;
    const auto found = lp::certified_rows(R.get(), qr, lp::RowTest::Redundant, &err,
                                          static_cast<dd_rowrange>(kept.size()), &part);
    if (!found || found->size() != end - start || err != dd_NoError) return false;
    take_witnesses(rows, part, kept.size(), all);
  }
  return rows_checked(q, RowQuery::Redundant, dropped, all);
}

// Whether the method left anything on its way (not on its routes through
// a hull, nor on the hull of equations).
bool traced(const lp::Trail &trail)
{
  return std::any_of(trail.based.begin(), trail.based.end(), [](char b) { return b != 0; }) ||
         std::any_of(trail.shot.begin(), trail.shot.end(), [](const auto &z) { return !z.empty(); });
}

// With the trail, and without it when the check refuses what it gave (a
// ray that met two rows nearly at once).
bool redundancy_proved_by_rows(dd_MatrixPtr M, const QMatrix &q, set_type red, const lp::Trail &trail)
{
  return (traced(trail) && redundancy_proved_by_rows(M, q, red, &trail)) || redundancy_proved_by_rows(M, q, red);
}

}  // namespace

namespace {

// For implicit equations `named` of H rows q, found by certified_rows:
// y, >= 0 off the equations, > 0 on the rows named, sum y_i r_i = 0; and x,
// a point where every row not named holds strictly (for check::linearity).
// Generators: x is a row z, >= 0 on all, > 0 on those not named.
bool implicit_witness(const QMatrix &q, const std::vector<long> &named, const lp::RowWitnesses &w, check::Vec &y,
                      check::Vec &x)
{
  const bool generators = q.representation == dd_Generator;
  y.assign(static_cast<size_t>(q.rows), 0);
  x.assign(static_cast<size_t>(generators ? q.cols : q.cols - 1), 0);
  for (const long i : named) {
    y[static_cast<size_t>(i - 1)] += 1;
    for (const auto &[k, c] : w.combination[static_cast<size_t>(i - 1)]) y[static_cast<size_t>(k - 1)] -= c;
  }
  // A point where every row not named is strict: the mean of the LPs'
  // points, each strict on its own row, plus the directions of those
  // without optimum.
  long points = 0;
  for (long i = 0; i < q.rows; ++i)
    if (w.ray[static_cast<size_t>(i)] == 0 && w.point[static_cast<size_t>(i)].size() == x.size()) {
      for (size_t j = 0; j < x.size(); ++j) x[j] += w.point[static_cast<size_t>(i)][j];
      ++points;
    }
  if (points == 0 && w.start.size() == x.size() && !generators) {
    x = w.start;
    points = 1;
  }
  // Every generator named: z = 0 holds on all of them.
  if (points == 0 && !generators) return false;
  for (auto &v : x) v /= std::max(points, 1L);
  for (long i = 0; i < q.rows; ++i)
    if (w.ray[static_cast<size_t>(i)] != 0 && w.point[static_cast<size_t>(i)].size() == x.size())
      for (size_t j = 0; j < x.size(); ++j) x[j] += w.point[static_cast<size_t>(i)][j];
  return true;
}

// Whether the checker accepts `named`, the rows of q that certified_rows
// found redundant or implicit equations, from the witnesses of its LPs.
// A removed row's multipliers may name rows removed after it (found with
// fewer rows left, so lower numbers): the checker takes them as they are.
bool rows_checked(const QMatrix &q, RowQuery query, const std::vector<long> &named, const lp::RowWitnesses &w)
{
  const auto is_named = [&](long r) { return std::binary_search(named.begin(), named.end(), r); };
  if (query == RowQuery::ImplicitLinearity) {
    check::Vec y, x;
    if (!implicit_witness(q, named, w, y, x)) return named.empty() && q.rows == 0;
    return static_cast<bool>(check::linearity(q, named, y, x));
  }
  std::vector<long> kept;
  for (long i = 1; i <= q.rows; ++i)
    if (!is_named(i)) kept.push_back(i);
  std::vector<check::Terms> combination(named.size());
  std::vector<check::Vec> witness(kept.size());
  for (size_t n = 0; n < named.size(); ++n)
    for (const auto &[k, v] : w.combination[static_cast<size_t>(named[n] - 1)]) {
      const auto &in = is_named(k) ? named : kept;
      combination[n].emplace_back(static_cast<size_t>(std::lower_bound(in.begin(), in.end(), k) - in.begin()) +
                                      (is_named(k) ? kept.size() : 0), v);
    }
  for (size_t k = 0; k < kept.size(); ++k)
    if (!std::binary_search(q.linearity.begin(), q.linearity.end(), kept[k]))
      witness[k] = w.point[static_cast<size_t>(kept[k] - 1)];
  return static_cast<bool>(check::redundancy(q, kept, combination, witness, query == RowQuery::StronglyRedundant));
}

}  // namespace

set_type row_query(dd_MatrixPtr M, RowQuery query, Arithmetic arithmetic, dd_ErrorType *err,
                   bool *exact, const QMatrix *rational, dd_RedundancyMethod method, bool *exact_run)
{
  *exact = false;
  if (exact_run != nullptr) *exact_run = false;
  // Auto proves each row's answer exactly below: a decision taken in
  // double against the tolerance is no answer for thin or badly scaled rows.
  if (arithmetic == Arithmetic::Double) {
    set_type s = nullptr;
    switch (query) {
      case RowQuery::Redundant: s = dd_RedundantRowsWith(M, method, err); break;
      case RowQuery::StronglyRedundant: s = dd_SRedundantRows(M, err); break;
      case RowQuery::ImplicitLinearity: s = dd_ImplicitLinearityRows(M, err); break;
    }
    return s;
  }
  if (M == nullptr) {
    *err = dd_EmptyRepresentation;
    return nullptr;
  }
  const QMatrix in = rational != nullptr ? QMatrix() : to_rational(M);
  const QMatrix &q = rational != nullptr ? *rational : in;
  // Each row's LP in double, its answer proved exactly from its basis; only
  // when some answer cannot be proved do exact LPs decide every row.
  const lp::RowTest test = query == RowQuery::Redundant           ? lp::RowTest::Redundant
                           : query == RowQuery::StronglyRedundant ? lp::RowTest::StronglyRedundant
                                                                  : lp::RowTest::ImplicitLinearity;
  std::optional<std::vector<long>> proved;
  constexpr dd_rowrange kProvedRows = 4000;
  if (query == RowQuery::Redundant && method == dd_RedundancyAuto && M->rowsize <= kProvedRows &&
      dd_ChooseRedundancyMethod(M, method) == dd_RedundancyClarkson) {
    // The output-sensitive method in double, its answer proved by LPs over
    // the rows it keeps: far less than an LP over all rows per row when
    // few stay.
    dd_ErrorType e = dd_NoError;
    lp::Trail trail;
    Set s(lp::clarkson_with_trail(M, &e, &trail));
    if (e == dd_Interrupted) {
      *err = e;
      return nullptr;
    }
    try {
      if (e == dd_NoError && s != nullptr && redundancy_proved_by_rows(M, q, s.get(), trail)) {
        *exact = true;
        return s.release();
      }
    } catch (const std::bad_alloc &) {
      // the LPs over all rows below need less at once
    }
  }
  if (query == RowQuery::ImplicitLinearity) {
    std::vector<long> named;
    check::Vec y, x;
    try {
      if (implicit_by_rounds(q, named, y, x) && check::linearity(q, named, y, x)) {
        *exact = true;
        set_type s;
        set_initialize(&s, M->rowsize);
        for (const long r : named) set_addelem(s, r);
        return s;
      }
    } catch (const std::bad_alloc &) {
      // the LP per row below
    }
    if (dd_CancelRequested()) {
      *err = dd_Interrupted;
      return nullptr;
    }
  }
  // Each row's LP over all rows in double, proved exactly, costs what the
  // plain method does: quadratic in the rows, but far below exact LPs
  // over the rows kept until the rows number some thousands.
  const bool per_row = query != RowQuery::Redundant || method == dd_RedundancyEachRow ||
                       (method == dd_RedundancyAuto && M->rowsize <= kProvedRows);
  try {
    lp::RowWitnesses w;
    if (per_row) proved = lp::certified_rows(M, q, test, err, 0, &w);
    if (proved && !rows_checked(q, query, *proved, w)) proved.reset();
  } catch (const std::bad_alloc &) {
    *err = dd_OutOfMemory;
  }
  if (*err != dd_NoError) return nullptr;
  if (!per_row) {
    // Many rows, in auto and exact alike: the output-sensitive method in
    // double (on the rows rounded, when they are rationals), its answer
    // proved on the exact rows; exact LPs only where that fails.
    const auto t0 = std::chrono::steady_clock::now();
    lp::Trail trail;
    set_type s = dd_ChooseRedundancyMethod(M, method) == dd_RedundancyClarkson ? lp::clarkson_with_trail(M, err, &trail)
                                                                                : dd_RedundantRowsWith(M, method, err);
    if (*err == dd_NoError && s != nullptr) {
      bool ok = false;
      try {
        // What the method found on its way proves most answers at once,
        // but for few rows kept in few dimensions (in the plane, as many
        // vertices), whose other side is small and proves many rows
        // dropped faster.  That side may have
        // far more rows than the input (tangents of a paraboloid in 8-D:
        // 100 rows, millions of vertices): it gets as long as the removal
        // took, and the proof row by row follows when it runs out.
        const long kept = M->rowsize - set_card(s);
        const bool side_first = kept <= (M->colsize <= 3 ? 6000 : M->colsize <= 5 ? 1000 : 64);
        ok = !side_first && traced(trail) && redundancy_proved_by_rows(M, q, s, &trail);
        bool over = other_side_large(M, s);
        if (!ok && !over) {
          const auto spent = std::chrono::steady_clock::now() - t0;
          ok = within_budget(std::max<std::chrono::steady_clock::duration>(spent, std::chrono::milliseconds(250)),
                             &over, [&] { return redundancy_proved(M, q, s); });
        }
        if (!ok && over) ok = side_first ? redundancy_proved_by_rows(M, q, s, trail) : redundancy_proved_by_rows(M, q, s);
      } catch (const std::bad_alloc &) {
        ok = false;
      }
      if (ok) {
        *exact = true;
        return s;
      }
    }
    if (s != nullptr) set_free(s);
    if (*err != dd_NoError && !uncertified(*err)) return nullptr;
    *err = dd_NoError;
  }
  if (proved) {
    *exact = true;
    set_type s;
    set_initialize(&s, M->rowsize);
    for (long r : *proved) set_addelem(s, r);
    return s;
  }
  ExactRows rq;
  rq.query = query == RowQuery::Redundant           ? ExactRowQuery::Redundant
             : query == RowQuery::StronglyRedundant ? ExactRowQuery::StronglyRedundant
                                                    : ExactRowQuery::ImplicitLinearity;
  rq.input = &q;
  rq.redundancy = static_cast<int>(method);
  const ExactResult res = run_exact(zonix_exact_rows, rq);
  *exact = true;
  if (exact_run != nullptr) *exact_run = true;
  *err = res.error;
  if (res.error != dd_NoError) return nullptr;
  set_type s;
  set_initialize(&s, M->rowsize);
  for (long r : res.rows) set_addelem(s, r);
  return s;
}

dd_boolean solve_lp(dd_LPPtr lp, dd_LPSolverType solver, Arithmetic arithmetic,
                    dd_ErrorType *err, bool *exact, const QMatrix *rational, bool interior, bool *exact_run)
{
  *exact = false;
  if (exact_run != nullptr) *exact_run = false;
  if (arithmetic == Arithmetic::Double || (arithmetic == Arithmetic::Auto && rational == nullptr)) {
    // dd_LPSolve hands out only answers it has checked against the
    // caller's rows; what it cannot stand behind is settled exactly,
    // first from the basis it ended with.
    const dd_boolean found = dd_LPSolve(lp, solver, err);
    if (arithmetic == Arithmetic::Double || (*err != dd_NoError && !uncertified(*err))) return found;
    // Checked in double is not proved: the status must follow exactly from
    // the final basis and the rows as given (continued by exact pivots
    // where it does not), the checker must confirm it, and the numbers are
    // the exact ones, rounded.  Else the LP is solved over rationals.
    const dd_LPStatusType before = lp->LPS;
    lp::ExactSolution x;
    bool settled = false;
    try {
      settled = lp::settle_exactly(lp, nullptr, &x) && lp_confirmed(*lp, record_rows(*lp), x);
    } catch (const std::bad_alloc &) {
      *err = dd_OutOfMemory;
      return dd_FALSE;
    }
    *exact = true;
    if (settled) {
      *err = dd_NoError;
      ddd_set_d(lp->optvalue, nearest_double(x.optvalue));
      for (long j = 0; j < lp->d; ++j) {
        ddd_set_d(lp->sol[j], nearest_double(x.sol[static_cast<size_t>(j)]));
        ddd_set_d(lp->dsol[j], nearest_double(x.dsol[static_cast<size_t>(j)]));
      }
      return dd_TRUE;
    }
    lp->LPS = before;
  } else if (rational == nullptr || !interior) {
    // The double run's basis, proved or continued from on the exact rows,
    // mostly saves solving over rationals from the start.
    if (from_double_basis(lp, solver, err, rational)) {
      *exact = true;
      if (exact_run != nullptr) *exact_run = true;
      return dd_TRUE;
    }
    if (*err != dd_NoError) return dd_FALSE;
  }
  // From the start in rationals: the caller's exact rows, or the LP's own
  // rows, copies of equations included, with its objective.
  QMatrix in;
  if (rational == nullptr) {
    in.rows = lp->m - 1;
    in.cols = lp->d;
    in.entries.resize(static_cast<size_t>(in.rows * in.cols));
    for (long i = 0; i < in.rows; ++i)
      for (long j = 0; j < in.cols; ++j) set_double(in.at(i, j), ddd_get_d(lp->A[i][j]));
    in.objective = lp->objective;
    for (long j = 0; j < in.cols; ++j) set_double(in.rowvec.emplace_back(), ddd_get_d(lp->A[lp->objrow - 1][j]));
  }
  ExactLP rq;
  rq.input = rational != nullptr ? rational : &in;
  rq.interior = rational != nullptr && interior;
  rq.solver = solver;
  // A run in double has already started the clock.
  if (arithmetic == Arithmetic::Exact || rational != nullptr) lp->starttime = std::time(nullptr);
  const ExactResult res = run_exact(zonix_exact_lp, rq);
  lp->endtime = std::time(nullptr);
  *exact = true;
  if (exact_run != nullptr) *exact_run = true;
  *err = res.error;
  if (res.error != dd_NoError) return dd_FALSE;
  lp->LPS = res.status;
  ddd_set_d(lp->optvalue, nearest_double(res.optvalue));
  for (size_t j = 0; j < res.sol.size() && j < static_cast<size_t>(lp->d); ++j) {
    ddd_set_d(lp->sol[j], nearest_double(res.sol[j]));
    ddd_set_d(lp->dsol[j], nearest_double(res.dsol[j]));
  }
  for (size_t j = 0; j < res.nbindex.size() && j <= static_cast<size_t>(lp->d); ++j)
    lp->nbindex[j] = res.nbindex[j];
  lp->re = res.re;
  lp->se = res.se;
  return dd_TRUE;
}

namespace {

// Whether lp, solved, is the interior LP of M's rows as
// dd_MakeLPforInteriorFinding lays it out (each row of M, the negated
// copies of its equations after them, with -t; a positive ceiling on t;
// t maximised), and its point, when it claims one, is inside M by a
// positive margin, exactly.  The LP's own answer the LP checker proves.
bool interior_confirmed(dd_MatrixPtr M, const dd_lpdata &lp)
{
  const long m = M->rowsize, d = M->colsize, eqs = set_card(M->linset);
  if (lp.m != m + eqs + 2 || lp.d != d + 1 || lp.objective != dd_LPmax || lp.objrow != lp.m) return false;
  auto at = [&](long i, long j) { return ddd_get_d(lp.A[i][j]); };
  for (long i = 0, copy = m; i < m; ++i) {
    const bool eq = set_member(i + 1, M->linset) != 0;
    for (long j = 0; j < d; ++j) {
      const double v = ddd_get_d(M->matrix[i][j]);
      if (at(i, j) != v || (eq && at(copy, j) != -v)) return false;
    }
    if (at(i, d) != -1.0 || (eq && at(copy++, d) != -1.0)) return false;
  }
  for (long j = 0; j <= d; ++j)
    if (at(lp.m - 1, j) != (j == d ? 1.0 : 0.0) || (j > 0 && at(lp.m - 2, j) != (j == d ? -1.0 : 0.0))) return false;
  // The ceiling: twice the largest constant (at least 1), or that constant
  // where twice it is no double.
  double top = 1.0;
  for (long i = 0; i < lp.m - 2; ++i) top = std::max(top, at(i, 0));
  if (at(lp.m - 2, 0) != (top <= std::numeric_limits<double>::max() / 2 ? 2 * top : top) || lp.LPS != dd_Optimal)
    return false;
  if (!(ddd_get_d(lp.optvalue) > 0.0)) return true;
  // The point: its exact least slack is its margin.
  const QMatrix q = to_rational(M);
  std::vector<mpq_class> x(static_cast<size_t>(d - 1));
  for (long j = 1; j < d; ++j) mpq_set_d(x[static_cast<size_t>(j - 1)].get_mpq_t(), ddd_get_d(lp.sol[j]));
  mpq_class margin = 0, v;
  for (long i = 0; i < q.rows; ++i) {
    v = q.at(i, 0);
    for (long j = 1; j < d; ++j) v += q.at(i, j) * x[static_cast<size_t>(j - 1)];
    if (i == 0 || v < margin) margin = v;
  }
  return static_cast<bool>(check::interior(q, x, margin));
}

}  // namespace

dd_boolean solve_interior(dd_MatrixPtr M, dd_LPPtr lp, dd_LPSolverType solver, Arithmetic arithmetic,
                          dd_ErrorType *err, bool *exact, bool *exact_run)
{
  const dd_boolean found = solve_lp(lp, solver, arithmetic, err, exact, nullptr, false, exact_run);
  if (arithmetic == Arithmetic::Double || *err != dd_NoError || M == nullptr) return found;
  try {
    if (interior_confirmed(M, *lp)) return found;
    // The LP of M's exact rows, made and solved over rationals.
    QMatrix q = to_rational(M);
    q.objective = dd_LPmin;
    q.rowvec.assign(static_cast<size_t>(q.cols), 0);
    return solve_lp(lp, solver, arithmetic, err, exact, &q, true, exact_run);
  } catch (const std::bad_alloc &) {
    *err = dd_OutOfMemory;
    return dd_FALSE;
  }
}

}  // namespace zonix
