// Exact certificates for LP results, from the final basis in rationals.
#include "zonixlp_exact.hpp"

#include <gmpxx.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "setoper.h"
#include "zonixdd.h"

namespace zonix::lp {
namespace {

using Q = mpq_class;
using Vec = std::vector<Q>;

inline double value(const mytype x) { return x[0]; }

// What row r of the LP is to the solution: sign-constrained, or held at
// zero (an equation, or the reversed copy of one).
std::vector<char> equation_rows(const dd_lpdata &lp)
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
        opposite = value(lp.A[r - 1][j]) == -value(lp.A[q - 1][j]);
      if (opposite) eq[r] = 1;
    }
  }
  return eq;
}

// Solves M y = b (n x n, row-major) by Gaussian elimination; nothing when
// M is singular.
std::optional<Vec> solve(std::vector<Q> M, Vec b)
{
  const size_t n = b.size();
  for (size_t c = 0; c < n; ++c) {
    size_t p = c;
    while (p < n && sgn(M[p * n + c]) == 0) ++p;
    if (p == n) return std::nullopt;
    if (p != c) {
      for (size_t j = c; j < n; ++j) std::swap(M[p * n + j], M[c * n + j]);
      std::swap(b[p], b[c]);
    }
    const Q inv = 1 / M[c * n + c];
    for (size_t r = c + 1; r < n; ++r) {
      if (sgn(M[r * n + c]) == 0) continue;
      const Q f = M[r * n + c] * inv;
      for (size_t j = c + 1; j < n; ++j) M[r * n + j] -= f * M[c * n + j];
      b[r] -= f * b[c];
    }
  }
  Vec y(n);
  for (size_t c = n; c-- > 0;) {
    Q s = b[c];
    for (size_t j = c + 1; j < n; ++j) s -= M[c * n + j] * y[j];
    y[c] = s / M[c * n + c];
  }
  return y;
}

// Sign of row a (doubles) times y, exact.  A floating-point evaluation
// with a bound on its error decides most rows; only those it leaves in
// doubt are summed in rationals.
int dot_sign(const dd_Arow a, const Vec &y, const std::vector<double> &yd)
{
  const size_t n = y.size();
  double s = 0.0, mag = 0.0;
  for (size_t j = 0; j < n; ++j) {
    const double t = value(a[j]) * yd[j];
    s += t;
    mag += std::fabs(t);
  }
  // Each yd[j] is within a relative 2^-53 of y[j]; the sum adds n roundings.
  constexpr double kUnit = std::numeric_limits<double>::epsilon();
  const double bound = mag * kUnit * static_cast<double>(n + 2);
  if (std::isfinite(s) && std::isfinite(mag) && std::fabs(s) > bound && mag > 0.0)
    return s > 0 ? 1 : -1;
  Q e = 0;
  for (size_t j = 0; j < n; ++j)
    if (value(a[j]) != 0.0) e += Q(value(a[j])) * y[j];
  return sgn(e);
}

std::vector<double> to_doubles(const Vec &y)
{
  std::vector<double> out(y.size());
  for (size_t j = 0; j < y.size(); ++j) out[j] = y[j].get_d();
  return out;
}

// The basis matrix N: row j expresses the nonbasic variable of column j in
// terms of x, so that x = N^-1 n.  Empty when nbindex names a row the
// certificate cannot use (the phase I auxiliary row, say).
std::vector<Q> basis_matrix(const dd_lpdata &lp)
{
  const dd_colrange d = lp.d;
  std::vector<Q> N(static_cast<size_t>(d * d));
  for (dd_colrange j = 1; j <= d; ++j) {
    const long k = lp.nbindex[j];
    if (j == lp.rhscol) {
      if (k != 0) return {};
      N[(j - 1) * d + (j - 1)] = 1;
    } else if (k < 0) {
      if (-k > d) return {};
      N[(j - 1) * d + (-k - 1)] = 1;
    } else if (k > 0 && k < lp.objrow) {
      for (dd_colrange c = 0; c < d; ++c) N[(j - 1) * d + c] = value(lp.A[k - 1][c]);
    } else {
      return {};
    }
  }
  return N;
}

std::vector<Q> transposed(const std::vector<Q> &N, dd_colrange d)
{
  std::vector<Q> T(N.size());
  for (dd_colrange i = 0; i < d; ++i)
    for (dd_colrange j = 0; j < d; ++j) T[j * d + i] = N[i * d + j];
  return T;
}

// Whether every constraint row holds at y (A_i y >= 0, equations = 0);
// `direction` is only for messages of the caller, the test is the same.
bool rows_hold(const dd_lpdata &lp, const std::vector<char> &eq, const Vec &y)
{
  const auto yd = to_doubles(y);
  for (dd_rowrange i = 1; i < lp.objrow; ++i) {
    const int s = dot_sign(lp.A[i - 1], y, yd);
    if (s < 0 || (eq[i] && s != 0)) return false;
  }
  return true;
}

// The kind of the nonbasic variable of column j: 0 free (a column variable
// or an equation row: any sign of its coefficient is harmless or forced),
// 1 a sign-constrained row variable.  A free column variable must have a
// zero coefficient, an equation row may have any.
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

bool near(double got, double want)
{
  // Rounding of a well-conditioned basis stays far inside this.
  constexpr double kRelative = 1e-9;
  return std::fabs(got - want) <= kRelative * (1.0 + std::fabs(want));
}

Verdict certify_optimal(dd_LPPtr lp, const std::vector<Q> &N,
                        const std::vector<char> &eq, bool repair)
{
  const dd_colrange d = lp->d;
  Vec e1(static_cast<size_t>(d));
  e1[lp->rhscol - 1] = 1;
  const auto x = solve(N, e1);
  if (!x || !rows_hold(*lp, eq, *x)) return Verdict::Refuted;
  Vec c(static_cast<size_t>(d));
  for (dd_colrange j = 0; j < d; ++j) c[j] = value(lp->A[lp->objrow - 1][j]);
  // Reduced costs: the objective row times N^-1, column by column.
  const auto z = solve(transposed(N, d), c);
  if (!z) return Verdict::Refuted;
  const int sign = lp->objective == dd_LPmin ? -1 : 1;
  if (!coefficients_bounded(*lp, eq, *z, sign)) return Verdict::Refuted;
  if (!repair) return Verdict::Certified;
  Q opt = 0;
  for (dd_colrange j = 0; j < d; ++j) opt += c[j] * (*x)[j];
  bool off = !near(value(lp->optvalue), opt.get_d());
  for (dd_colrange j = 0; j < d && !off; ++j)
    off = !near(value(lp->sol[j]), (*x)[j].get_d()) ||
          !near(value(lp->dsol[j]), j == lp->rhscol - 1 ? -opt.get_d() : -(*z)[j].get_d());
  if (off) {
    lp->optvalue[0] = opt.get_d();
    for (dd_colrange j = 0; j < d; ++j) {
      lp->sol[j][0] = (*x)[j].get_d();
      lp->dsol[j][0] = j == lp->rhscol - 1 ? -opt.get_d() : Q(-(*z)[j]).get_d();
    }
  }
  return Verdict::Certified;
}

Verdict certify_inconsistent(const dd_lpdata &lp, const std::vector<Q> &N,
                             const std::vector<char> &eq)
{
  const dd_colrange d = lp.d;
  if (lp.re < 1 || lp.re >= lp.objrow) return Verdict::Unknown;
  Vec a(static_cast<size_t>(d));
  for (dd_colrange j = 0; j < d; ++j) a[j] = value(lp.A[lp.re - 1][j]);
  // Row re of the final dictionary: y_re = w_1 + sum w_j n_j.
  const auto w = solve(transposed(N, d), a);
  if (!w) return Verdict::Refuted;
  const int constant = sgn((*w)[lp.rhscol - 1]);
  // y_re >= 0 is impossible when its constant is negative and no nonbasic
  // variable can raise it; an equation row can be made infeasible either way.
  if (eq[lp.re]) {
    bool others_zero = coefficients_bounded(lp, eq, *w, 1) &&
                       coefficients_bounded(lp, eq, *w, -1);
    if (constant != 0 && others_zero) return Verdict::Certified;
  }
  if (constant < 0 && coefficients_bounded(lp, eq, *w, 1)) return Verdict::Certified;
  return Verdict::Refuted;
}

Verdict certify_unbounded_direction(const dd_lpdata &lp, const std::vector<Q> &N,
                                    const std::vector<char> &eq)
{
  const dd_colrange d = lp.d;
  if (lp.se < 1 || lp.se > d || lp.se == lp.rhscol) return Verdict::Unknown;
  const Kind k = kind_of(lp, eq, lp.se);
  if (k == Kind::EquationRow) return Verdict::Refuted;
  Vec e(static_cast<size_t>(d));
  e[lp.se - 1] = 1;
  auto r = solve(N, e);
  if (!r) return Verdict::Refuted;
  Q gain = 0;
  for (dd_colrange j = 0; j < d; ++j) gain += Q(value(lp.A[lp.objrow - 1][j])) * (*r)[j];
  const int want = lp.objective == dd_LPmin ? -1 : 1;
  if (sgn(gain) == -want && k == Kind::FreeColumn)
    for (auto &v : *r) v = -v;
  else if (sgn(gain) != want)
    return Verdict::Refuted;
  // Along r every constraint keeps holding, so the dual has no solution.
  return rows_hold(lp, eq, *r) ? Verdict::Certified : Verdict::Refuted;
}


// One least-index criss-cross step after another on the exact dictionary
// of the basis in nbindex, until the basis proves a status.  Finite by the
// least-index rule; the budget only guards against a basis that cannot be
// handled (a free column variable with a nonzero reduced cost).
bool continue_exactly(dd_LPPtr lp)
{
  const dd_colrange d = lp->d;
  const dd_rowrange m = lp->m;
  const int sense = lp->objective == dd_LPmin ? -1 : 1;
  // Far more than the least-index rule needs in practice: it moves from a
  // basis the double run left nearly right.
  const long budget = 20L * (m + d) + 100;
  Vec c(static_cast<size_t>(d));
  for (dd_colrange j = 0; j < d; ++j) c[j] = value(lp->A[lp->objrow - 1][j]);
  std::vector<dd_colrange> column_of(static_cast<size_t>(m + 1), 0);
  for (long step = 0; step < budget; ++step) {
    if (dd_CancelRequested()) return false;
    auto N = basis_matrix(*lp);
    if (N.empty()) return false;
    std::fill(column_of.begin(), column_of.end(), 0);
    for (dd_colrange j = 1; j <= d; ++j)
      if (lp->nbindex[j] > 0) column_of[lp->nbindex[j]] = j;
    Vec e1(static_cast<size_t>(d));
    e1[lp->rhscol - 1] = 1;
    const auto x = solve(N, e1);
    const auto z = solve(transposed(N, d), c);
    if (!x || !z) return false;
    const auto xd = to_doubles(*x);
    dd_rowrange infeasible = 0;  // least basic row with a negative value
    for (dd_rowrange i = 1; i < lp->objrow && infeasible == 0; ++i)
      if (column_of[i] == 0 && dot_sign(lp->A[i - 1], *x, xd) < 0) infeasible = i;
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
      Vec a(static_cast<size_t>(d));
      for (dd_colrange j = 0; j < d; ++j) a[j] = value(lp->A[infeasible - 1][j]);
      const auto w = solve(transposed(N, d), a);
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
        for (dd_colrange j = 0; j < d; ++j) {
          lp->sol[j][0] = xd[j];
          lp->dsol[j][0] = Q(-(*w)[j]).get_d();
        }
        return true;
      }
      lp->nbindex[enter] = infeasible;
      continue;
    }
    Vec e(static_cast<size_t>(d));
    e[improving_col - 1] = 1;
    const auto col = solve(N, e);
    if (!col) return false;
    const auto cold = to_doubles(*col);
    dd_rowrange leave = 0;
    for (dd_rowrange i = 1; i < lp->objrow && leave == 0; ++i)
      if (column_of[i] == 0 && dot_sign(lp->A[i - 1], *col, cold) < 0) leave = i;
    if (leave == 0) {
      lp->LPS = dd_DualInconsistent;
      lp->se = improving_col;
      for (dd_colrange j = 0; j < d; ++j) {
        lp->sol[j][0] = cold[j];
        lp->dsol[j][0] = Q(-(*z)[j]).get_d();
      }
      return true;
    }
    lp->nbindex[improving_col] = leave;
  }
  return false;
}

}  // namespace

namespace {

Verdict check(dd_LPPtr lp, const std::vector<char> &eq, bool repair)
{
  const auto N = basis_matrix(*lp);
  if (N.empty()) return Verdict::Unknown;
  switch (lp->LPS) {
    case dd_Optimal: return certify_optimal(lp, N, eq, repair);
    case dd_Inconsistent: return certify_inconsistent(*lp, N, eq);
    case dd_DualInconsistent:
    case dd_StrucDualInconsistent: return certify_unbounded_direction(*lp, N, eq);
    default: return Verdict::Unknown;
  }
}

}  // namespace

Verdict certify_exactly(dd_LPPtr lp, bool repair)
{
  if (lp == nullptr || lp->d < 1 || lp->m < 1 || lp->objrow != lp->m) return Verdict::Unknown;
  return check(lp, equation_rows(*lp), repair);
}

bool settle_exactly(dd_LPPtr lp)
{
  if (lp == nullptr || lp->d < 1 || lp->m < 1 || lp->objrow != lp->m) return false;
  const auto eq = equation_rows(*lp);
  if (check(lp, eq, true) == Verdict::Certified) return true;
  // A basis the status names but does not prove: continue from it.
  if (basis_matrix(*lp).empty()) return false;
  const dd_LPStatusType before = lp->LPS;
  if (!continue_exactly(lp)) {
    lp->LPS = before;
    return false;
  }
  return check(lp, eq, true) == Verdict::Certified;
}

}  // namespace zonix::lp
