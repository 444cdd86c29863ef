// Cross-checks both LP methods (criss-cross and dual simplex) against
// GLPK's glpsol on generated LPs: the statuses must agree, optimal values
// must agree to 1e-6 relative, and every answer must carry a certificate
// that checks out on its own (primal and dual feasibility with
// complementary slackness, a Farkas combination, an improving ray).
//
// Usage: glpk_oracle [seed [times]].
#include <algorithm>
#include <cmath>
#include <array>
#include <map>

#include "../support/oracle.hpp"

namespace {

// ---- generated problems -----------------------------------------------------

enum class Status { Optimal, Infeasible, Unbounded, Unknown };

const char *name_of(Status s) { return std::array{"optimal", "infeasible", "unbounded", "unknown"}[static_cast<int>(s)]; }

// Rows (b, a) state b + a.x >= 0, or = 0 when marked as equations; the
// objective row is (0, c).
struct Problem {
  std::string family;
  int index = 0;
  long n = 0;  // variables
  std::vector<std::vector<double>> rows;
  std::vector<bool> eq;
  std::vector<double> obj;
  dd_LPObjectiveType sense = dd_LPmax;
  Status expect = Status::Unknown;
  std::optional<double> known;  // the optimal value

  std::string label() const { return family + "#" + std::to_string(index) + " (m=" + std::to_string(rows.size()) + ", n=" + std::to_string(n) + ")"; }
};

using Prng = zonix::families::Prng;
using Vec = std::vector<double>;
bool chance(Prng &g, double p) { return static_cast<double>(g.next() >> 11) < p * 9007199254740992.0; }
Vec random_vector(Prng &g, long n, long lo, long hi)
{
  Vec v(static_cast<size_t>(n));
  for (auto &x : v) x = static_cast<double>(g.uniform(lo, hi));
  return v;
}
// Constraint coefficients in [-9, 9]: every entry up to 15 variables, two
// to five nonzeros a row beyond, as LPs of that size usually have.
Vec coefficients(Prng &g, long n)
{
  if (n <= 15) return random_vector(g, n, -9, 9);
  Vec a(static_cast<size_t>(n), 0.0);
  for (long t = g.uniform(2, 5); t > 0; --t) {
    long v = 0;
    while (v == 0) v = g.uniform(-9, 9);
    a[g.uniform(0, n - 1)] = static_cast<double>(v);
  }
  return a;
}
// Up to 200 rows with at most 15 variables, 60 beyond: past that both
// methods meet the limits of double precision at the absolute tolerance
// 1e-07 (soak runs of 8000 LPs: no failure inside, 4% outside).
long max_rows(long n) { return n <= 15 ? 200 : 60; }
double part(const Vec &r, const Vec &x)  // the variable part of row r at x
{
  double s = 0;
  for (size_t k = 0; k < x.size(); ++k) s += r[k + 1] * x[k];
  return s;
}
// Appends the row a through x0 with the given slack: b + a.x0 = slack.
void add_row(Problem &p, const Vec &a, const Vec &x0, double slack, bool equation = false)
{
  Vec r{0.0};
  r.insert(r.end(), a.begin(), a.end());
  r[0] = slack - part(r, x0);
  p.rows.push_back(r), p.eq.push_back(equation);
}
// c plus sum lambda_i (-a_i) over the rows used (each inequality, tight at
// *x0 when given, with probability 2n/m) is bounded above on them; max it
// or min its negation.
void set_objective(Prng &g, Problem &p, Vec c = {}, const Vec *x0 = nullptr)
{
  c.resize(static_cast<size_t>(p.n) + 1, 0.0);
  const double share = std::min(1.0, 2.0 * static_cast<double>(p.n) / static_cast<double>(p.rows.size()));
  for (size_t i = 0; i < p.rows.size(); ++i)
    if (!p.eq[i] && (x0 == nullptr || p.rows[i][0] + part(p.rows[i], *x0) == 0) && chance(g, share)) {
      const double lam = static_cast<double>(g.uniform(1, 4));
      for (long k = 1; k <= p.n; ++k) c[k] -= lam * p.rows[i][k];
    }
  const bool max = chance(g, 0.5);
  p.sense = max ? dd_LPmax : dd_LPmin;
  for (auto &x : c) x = max ? x : -x;
  p.obj = c, p.obj[0] = 0;
}
// m rows through an integer point x0, a share of them tight; optimal.
Problem feasible(Prng &g, const char *family, long n, long m, double tight, Vec *x0 = nullptr)
{
  Problem p{family, 0, n, {}, {}, {}, dd_LPmax, Status::Optimal, {}};
  const Vec x = random_vector(g, n, -5, 5);
  for (long i = 0; i < m; ++i) add_row(p, coefficients(g, n), x, chance(g, tight) ? 0.0 : static_cast<double>(g.uniform(1, 20)));
  if (x0) *x0 = x;
  return p;
}
Problem make_bounded(Prng &g, const char *family = "bounded")
{
  const long n = g.uniform(2, 30);
  Problem p = feasible(g, family, n, g.uniform(n + 1, max_rows(n)), 0.1);
  return set_objective(g, p), p;
}
// Also the negation of a sum of rows lowered by a positive constant: the
// rows add up to a negative constant.  The objective stays dual feasible,
// so no solver may call it unbounded.
Problem make_infeasible(Prng &g)
{
  Problem p = make_bounded(g, "infeasible");
  Vec bad(static_cast<size_t>(p.n) + 1, 0.0);
  for (long t = g.uniform(2, 4); t > 0; --t) {
    const Vec &r = p.rows[g.uniform(0, static_cast<long>(p.rows.size()) - 1)];
    for (long j = 0; j <= p.n; ++j) bad[j] -= r[j];
  }
  bad[0] -= static_cast<double>(g.uniform(1, 3));
  const long at = g.uniform(0, static_cast<long>(p.rows.size()));
  p.rows.insert(p.rows.begin() + at, bad), p.eq.insert(p.eq.begin() + at, false);
  return p.expect = Status::Infeasible, p;
}
// Every row keeps a.r >= 0 for a direction r with c.r > 0 (max), equations
// a.r = 0: feasible at x0 and unbounded along r.
Problem make_unbounded(Prng &g)
{
  const long n = g.uniform(2, 30), key = g.uniform(0, n - 1);
  Problem p{"unbounded", 0, n, {}, {}, {}, dd_LPmax, Status::Unbounded, {}};
  const Vec x0 = random_vector(g, n, -5, 5);
  Vec r = random_vector(g, n, -2, 2);
  r[key] = 1;  // never zero
  for (long i = g.uniform(1, max_rows(n)); i > 0; --i) {
    Vec a = coefficients(g, n);
    const bool equation = chance(g, 0.1);
    double s = 0;
    for (long k = 0; k < n; ++k) s += a[k] * r[k] * (equation && k == key ? 0 : 1);
    if (equation) a[key] = -s;  // a.r = 0
    else if (s < 0) for (auto &x : a) x = -x;
    add_row(p, a, x0, equation ? 0.0 : static_cast<double>(g.uniform(0, 15)), equation);
  }
  Vec c(static_cast<size_t>(n) + 1, 0.0);
  do
    for (long k = 1; k <= n; ++k) c[k] = static_cast<double>(g.uniform(-5, 5));
  while (part(c, r) <= 0);
  const bool max = chance(g, 0.5);
  for (auto &x : c) x = max ? x : -x;
  return p.sense = max ? dd_LPmax : dd_LPmin, p.obj = c, p;
}
// Equations through x0, shuffled in; the objective adds multiples of them.
Problem make_equations(Prng &g)
{
  const long n = g.uniform(2, 30), m = g.uniform(n + 1, max_rows(n)), neq = g.uniform(1, std::max(1L, n / 2));
  Problem p{"equations", 0, n, {}, {}, {}, dd_LPmax, Status::Optimal, {}};
  const Vec x0 = random_vector(g, n, -5, 5);
  for (long i = 0; i < m; ++i) add_row(p, coefficients(g, n), x0, i < neq ? 0.0 : static_cast<double>(g.uniform(1, 20)), i < neq);
  for (long i = m - 1; i > 0; --i) {
    const long k = g.uniform(0, i);
    std::swap(p.rows[i], p.rows[k]), p.eq.swap(p.eq[i], p.eq[k]);
  }
  Vec c(static_cast<size_t>(n) + 1, 0.0);
  for (long i = 0; i < m; ++i)
    for (long k = 1, mu = p.eq[i] ? g.uniform(-3, 3) : 0; k <= n && mu != 0; ++k) c[k] += static_cast<double>(mu) * p.rows[i][k];
  return set_objective(g, p, c), p;
}
// Many rows tight at x0, repeated and scaled rows, and an objective in the
// cone of the tight normals: x0 is a degenerate optimal vertex, of known value.
Problem make_degenerate(Prng &g)
{
  const long n = g.uniform(2, 30);
  Vec x0;
  Problem p = feasible(g, "degenerate", n, g.uniform(n + 1, max_rows(n)), 0.6, &x0);
  for (size_t i = 1; i < p.rows.size(); ++i)
    if (chance(g, 0.2)) {  // a repeat of an earlier row, sometimes scaled
      p.rows[i] = p.rows[g.uniform(0, static_cast<long>(i) - 1)];
      const double f = static_cast<double>(g.uniform(1, 3));
      for (auto &x : p.rows[i]) x *= f;
    }
  set_objective(g, p, {}, &x0);
  p.known = part(p.obj, x0);
  return p;
}
// A variable no row mentions: with an objective coefficient the LP is
// unbounded (found while building the first basis); without, optimal.
Problem make_free_variable(Prng &g, bool in_objective)
{
  const long n = g.uniform(2, 29);
  Problem p = feasible(g, in_objective ? "free-used" : "free-unused", n, g.uniform(n + 1, max_rows(n + 1)), 0.1);
  set_objective(g, p);
  const long col = g.uniform(1, n + 1);
  for (auto &r : p.rows) r.insert(r.begin() + col, 0.0);
  p.obj.insert(p.obj.begin() + col, in_objective ? static_cast<double>(g.uniform(1, 4) * (chance(g, 0.5) ? 1 : -1)) : 0.0);
  p.n = n + 1;
  p.expect = in_objective ? Status::Unbounded : Status::Optimal;
  return p;
}
// Random rows and objective, the status decided by GLPK alone.
Problem make_mixed(Prng &g)
{
  const long n = g.uniform(2, 15);
  Problem p{"mixed", 0, n, {}, {}, {}, dd_LPmax, Status::Unknown, {}};
  for (long i = g.uniform(1, 60); i > 0; --i) {
    p.rows.push_back(random_vector(g, n + 1, -9, 9)), p.eq.push_back(chance(g, 0.05));
    p.rows.back()[0] = static_cast<double>(g.uniform(-6, 12));
  }
  const bool max = chance(g, 0.5);
  p.obj = random_vector(g, n + 1, -5, 5);
  for (auto &x : p.obj) x = max ? x : -x;
  return p.sense = max ? dd_LPmax : dd_LPmin, p.obj[0] = 0, p;
}

// glpsol's verdict, from the exact solver when the simplex gives none or
// when only the exact one is asked for.
struct GlpkResult {
  Status status = Status::Unknown;
  double value = 0;
  std::string raw;
};
GlpkResult run_glpsol(const Problem &p, const zonix::test::Scratch &dir, bool exact)
{
  const std::string lp = zonix::test::cplex_lp(p.rows, p.eq, p.obj, p.sense == dd_LPmax);
  GlpkResult r;
  for (const char *options : {"--nopresol ", "--nopresol --exact "}) {
    if (exact && options[11] == '\0') continue;
    const auto a = zonix::test::run_glpsol(dir, lp, options);
    r = {a.primal == 'f' && a.dual == 'f' ? Status::Optimal : a.primal == 'n' ? Status::Infeasible
         : a.primal == 'f' && a.dual == 'n' ? Status::Unbounded : Status::Unknown, a.value, a.raw};
    if (r.status != Status::Unknown) break;
  }
  return r;
}

// ---- our solve and its certificates ---------------------------------------

// An LP's rows (its objective row last) and a solver's answer, as doubles
// checked to a tolerance or as rationals checked exactly.
template <class N>
struct Solved { std::vector<std::vector<N>> A; std::vector<N> sol, dsol; std::vector<long> nbindex; long re = 0; N optvalue = 0; };
bool beyond(double x, double scale) { return x > 1e-6 * scale; }
bool beyond(const mpq_class &x, const mpq_class &) { return sgn(x) > 0; }

zonix::LP build_lp(const Problem &p)
{
  zonix::test::Members lin;
  for (size_t i = 0; i < p.eq.size(); ++i)
    if (p.eq[i]) lin.push_back(static_cast<long>(i + 1));
  zonix::Matrix M = zonix::test::matrix(p.rows, dd_Inequality, lin);
  for (long j = 0; j <= p.n; ++j) M->rowvec[j][0] = p.obj[j];
  M->objective = p.sense;
  dd_ErrorType err;
  return zonix::LP(dd_Matrix2LP(M.get(), &err));
}

using zonix::test::dot, zonix::test::mag, zonix::test::maxabs;

template <class N>
std::string check_optimal(const Solved<N> &s, const N &sense)
{
  const long m = static_cast<long>(s.A.size()), d = static_cast<long>(s.sol.size());
  const N xscale = std::max<N>(1, maxabs(s.sol));
  auto norm = [&](long i) { return maxabs(s.A[i - 1]); };
  if (beyond(mag(N(s.sol[0] - 1)), N(1))) return "sol[0] is not 1";
  for (long i = 1; i < m; ++i)
    if (beyond(N(-dot(s.A[i - 1], s.sol)), N(norm(i) * xscale))) return "row " + std::to_string(i) + " violated at sol";
  const N at = dot(s.A[m - 1], s.sol);
  if (beyond(mag(N(at - s.optvalue)), std::max<N>(1, mag(at)))) return "objective at sol differs from optvalue";
  // c + sum dsol_j A_{r_j} must be optvalue * e_1 with dual values of the
  // right sign, and the rows used must be tight at sol.
  std::vector<N> combo = s.A[m - 1];
  N yscale = 1;
  for (long j = 2; j <= d; ++j) {
    const long r = s.nbindex[j];
    const N &y = s.dsol[j - 1];
    yscale = std::max<N>(yscale, mag(y) * norm(r > 0 ? r : m));
    if (r > 0) {
      if (beyond(N(-sense * y), N(1))) return "dual value of wrong sign on row " + std::to_string(r);
      if (beyond(mag(dot(s.A[r - 1], s.sol)), N(norm(r) * xscale))) return "row " + std::to_string(r) + " in the basis is not tight";
      for (long k = 0; k < d; ++k) combo[k] += y * s.A[r - 1][k];
    } else if (beyond(mag(y), N(1))) {
      return "free column with a nonzero dual value";
    }
  }
  if (beyond(mag(N(combo[0] - s.optvalue)), yscale)) return "dual combination misses the optimal value";
  for (long k = 1; k < d; ++k)
    if (beyond(mag(combo[k]), yscale)) return "dual combination is not the objective";
  return "";
}

// Farkas: weight 1 on row re and dsol_j on the row nonbasic in column j
// gives nonnegative weights whose combination of rows is a negative
// constant, which no x can satisfy.
template <class N>
std::string check_infeasible(const Solved<N> &s, const N &sense)
{
  const long m = static_cast<long>(s.A.size()), d = static_cast<long>(s.sol.size());
  if (s.re < 1 || s.re >= m) return "no evidence row";
  // A minimisation hands dsol back negated, whatever the status.
  std::vector<N> combo = s.A[s.re - 1];
  N scale = maxabs(combo);
  for (long j = 2; j <= d; ++j) {
    const long r = s.nbindex[j];
    const N y = sense * s.dsol[j - 1];
    if (r <= 0) continue;
    if (beyond(N(-y), N(1))) return "negative Farkas weight on row " + std::to_string(r);
    scale = std::max<N>(scale, mag(y) * maxabs(s.A[r - 1]));
    for (long k = 0; k < d; ++k) combo[k] += y * s.A[r - 1][k];
  }
  for (long k = 1; k < d; ++k)
    if (beyond(mag(combo[k]), scale)) return "Farkas combination has a variable part";
  if (!beyond(N(-combo[0]), scale)) return "Farkas combination is not negative";
  return "";
}

// sol must be a direction (sol[0] = 0) kept by every row, along which the
// objective improves; a structural one leaves every row unchanged.
template <class N>
std::string check_ray(const Solved<N> &s, const N &sense, bool structural)
{
  const long m = static_cast<long>(s.A.size());
  const N big = maxabs(s.sol);
  if (big == 0) return "zero direction";
  if (beyond(mag(s.sol[0]), big)) return "direction has a constant part";
  for (long i = 1; i < m; ++i) {
    const N v = dot(s.A[i - 1], s.sol) / big;
    if (beyond(N(-v), maxabs(s.A[i - 1]))) return "row " + std::to_string(i) + " decreases along sol";
    if (structural && beyond(mag(v), maxabs(s.A[i - 1]))) return "row " + std::to_string(i) + " changes along a structural ray";
  }
  if (!beyond(N(sense * dot(s.A[m - 1], s.sol) / big), maxabs(s.A[m - 1]))) return "objective does not improve along sol";
  return "";
}

// The status's certificate; sense -1 for a minimisation.
template <class N>
std::string certify(const Solved<N> &s, dd_LPStatusType lps, int sense)
{
  return lps == dd_Optimal ? check_optimal(s, N(sense)) : lps == dd_Inconsistent ? check_infeasible(s, N(sense))
         : lps == dd_DualInconsistent || lps == dd_StrucDualInconsistent ? check_ray(s, N(sense), lps == dd_StrucDualInconsistent)
                                                                         : "undecided status " + std::to_string(lps);
}

// glpsol prints 15 significant digits of the double of its optimum.
constexpr double kPrinted = 1e-14;
bool close(double a, double b) { return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::fabs(b)); }

// One method against glpsol's verdict: "" when they agree, "*" when the
// LP is infeasible and the method proved it unbounded as well.  Double:
// dd_LPSolve's answer.  Exact: solve_lp's, and the same LP solved over the
// rationals, whose answer must certify itself with no tolerance.
std::string judge(const Problem &p, const GlpkResult &ref, dd_LPSolverType how, zonix::Arithmetic a)
{
  const std::string method = how == dd_CrissCross ? "criss-cross: " : "dual simplex: ";
  zonix::LP lp = build_lp(p);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  if (!zonix::solve_lp(lp.get(), how, a, &err, &exact) || err != dd_NoError || exact != (a == zonix::Arithmetic::Exact))
    return method + "solver error " + std::to_string(err);
  long sum = 0;
  for (long k = 0; k < 5; ++k) sum += lp->pivots[k];
  if (sum != lp->total_pivots && !exact) return method + "total_pivots is not the sum";
  const dd_LPStatusType s = lp->LPS;
  const int sense = lp->objective == dd_LPmin ? -1 : 1;
  const Status status = s == dd_Optimal ? Status::Optimal : s == dd_Inconsistent ? Status::Infeasible
                        : s == dd_DualInconsistent || s == dd_StrucDualInconsistent ? Status::Unbounded : Status::Unknown;
  Solved<double> dbl{{}, {}, {}, {lp->nbindex, lp->nbindex + lp->d + 1}, lp->re, lp->optvalue[0]};
  Solved<mpq_class> q;
  zonix::QMatrix in;  // the LP's rows as solve_lp hands them on
  in.rows = lp->m - 1, in.cols = lp->d, in.objective = lp->objective;
  for (long i = 0; i < lp->m; ++i) {
    dbl.A.emplace_back(), q.A.emplace_back();
    for (long j = 0; j < lp->d; ++j) {
      dbl.A.back().push_back(lp->A[i][j][0]), q.A.back().emplace_back(lp->A[i][j][0]);
      (i + 1 < lp->m ? in.entries : in.rowvec).emplace_back(lp->A[i][j][0]);
    }
  }
  for (long j = 0; j < lp->d; ++j) dbl.sol.push_back(lp->sol[j][0]), dbl.dsol.push_back(lp->dsol[j][0]);
  if (const std::string why = certify(dbl, s, sense); !why.empty()) return method + why;
  if (exact) {
    zonix::ExactLP rq;
    rq.input = &in, rq.solver = how;
    zonix::ExactResult res;
    zonix_exact_lp(&rq, &res);
    q.sol = res.sol, q.dsol = res.dsol, q.nbindex = res.nbindex, q.re = res.re, q.optvalue = res.optvalue;
    if (res.error != dd_NoError || res.status != s || zonix::nearest_double(res.optvalue) != lp->optvalue[0])
      return method + "the rational run differs from solve_lp's";
    if (const std::string why = certify(q, s, sense); !why.empty()) return method + "exactly: " + why;
  }
  // An LP both infeasible and dual infeasible has two right answers; the
  // ray certificate proved the second.
  if (status == Status::Unbounded && ref.status == Status::Infeasible) return "*";
  if (status != ref.status) return method + "says " + name_of(status) + ", glpsol " + name_of(ref.status);
  if (p.family == "free-used" && s != dd_StrucDualInconsistent) return method + "missed the structural dual inconsistency";
  if (status == Status::Optimal && !close(lp->optvalue[0], ref.value))
    return method + "value " + zonix::test::number(lp->optvalue[0]) + ", glpsol " + zonix::test::number(ref.value);
  if (status == Status::Optimal && exact && abs(q.optvalue - ref.value) > mpq_class(kPrinted) * abs(mpq_class(ref.value)))
    return method + "value " + q.optvalue.get_str() + ", glpsol --exact prints " + zonix::test::number(ref.value);
  return "";
}

}  // namespace

int main(int argc, char **argv)
{
  const std::uint64_t seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20240611;
  const int times = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  dd_set_global_constants();
  zonix::test::Tally tally;
  zonix::test::Scratch dir("glpk_oracle");
  if (zonix::test::find_tool("glpsol").empty() || !dir.ok())
    return tally.fail("setup", "no glpsol (package glpk-utils) or no scratch folder"), tally.finish(argv[0]);
  Prng g(seed);
  std::vector<Problem> problems;
  auto add = [&](int count, auto make) {
    for (int k = 0; k < count * times; ++k) problems.push_back(make()), problems.back().index = k;
  };
  add(45, [&] { return make_bounded(g); });
  add(35, [&] { return make_infeasible(g); });
  add(35, [&] { return make_unbounded(g); });
  add(35, [&] { return make_equations(g); });
  add(35, [&] { return make_degenerate(g); });
  add(15, [&] { return make_free_variable(g, true); });
  add(10, [&] { return make_free_variable(g, false); });
  add(40, [&] { return make_mixed(g); });
  int doubly = 0;
  std::map<std::string, int> per_status;
  for (const Problem &p : problems)
    for (zonix::Arithmetic a : {zonix::Arithmetic::Double, zonix::Arithmetic::Exact}) {
      const bool exact = a == zonix::Arithmetic::Exact;
      const GlpkResult ref = run_glpsol(p, dir, exact);
      zonix::test::Verdict v;
      if (ref.status == Status::Unknown) v.fail("glpsol gave no verdict (" + ref.raw + ")");
      else if (p.expect != Status::Unknown && ref.status != p.expect)
        v.fail(std::string("generator expected ") + name_of(p.expect) + ", glpsol says " + name_of(ref.status));
      else if (p.known && !close(ref.value, *p.known))
        v.fail("glpsol value " + zonix::test::number(ref.value) + " misses the known " + zonix::test::number(*p.known));
      for (dd_LPSolverType how : {dd_CrissCross, dd_DualSimplex}) {
        if (!v.ok) break;
        const auto why = judge(p, ref, how, a);
        if (why == "*") doubly += !exact;
        else if (!why.empty()) v.fail(why);
      }
      ++per_status[name_of(ref.status) + std::string(exact ? ", exact" : ", double")];
      if (!v.ok) tally.report(p.label() + (exact ? " [exact]" : " [double]"), v);
      else ++tally.passed;
    }
  for (const auto &[k, n] : per_status) std::printf("%s: %d LPs\n", k.c_str(), n);
  std::printf("%d doubly infeasible LPs named unbounded\n", doubly);
  return tally.finish("glpk_oracle");
}
