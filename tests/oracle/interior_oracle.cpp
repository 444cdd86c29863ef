// The interior-point LP (dd_MakeLPforInteriorFinding) against glpsol: for
// generated H-representations (bounded, unbounded, empty, with equations,
// with large constants) both methods must reach an optimum t* that every
// row's slack at x reaches, at most the ceiling 2 max(1, largest constant),
// and equal to glpsol's optimum of the same problem written out from the
// rows.  Usage: interior_oracle [seed [times]].
#include <algorithm>
#include <cmath>

#include "../support/oracle.hpp"

namespace fam = zonix::families;
using zonix::test::Tally;

namespace {

struct Problem {  // rows (b, a): b + a.x >= 0, = 0 for equations
  std::string name;
  long n = 0;
  std::vector<std::vector<double>> rows;
  std::vector<bool> eq;
  void add(std::vector<double> r, bool equation) { rows.push_back(std::move(r)), eq.push_back(equation); }
};

std::vector<double> random_row(fam::Prng &g, long n, long blo, long bhi, long k)
{
  std::vector<double> r{static_cast<double>(g.uniform(blo, bhi))};
  for (long j = 0; j < n; ++j) r.push_back(static_cast<double>(g.uniform(-k, k)));
  return r;
}

// kind 0: positive constants (the origin inside); 1: constants of either
// sign (often empty); 2: few rows (unbounded) or large constants.
Problem random_problem(fam::Prng &g, int kind, int k)
{
  Problem p;
  const bool large = kind == 2 && k % 2 == 1;
  p.n = kind == 0 ? g.uniform(2, 8) : kind == 1 ? g.uniform(1, 6) : g.uniform(1, 5);
  p.name = std::string(kind == 0 ? "origin#" : kind == 1 ? "mixed#" : large ? "large#" : "open#") + std::to_string(k);
  const long m = kind == 0 ? g.uniform(p.n + 1, 40) : kind == 1 ? g.uniform(1, 30)
                 : large ? g.uniform(p.n + 1, 25) : g.uniform(1, p.n);
  for (long i = 0; i < m; ++i)
    p.add(kind == 0 ? random_row(g, p.n, 1, 12, 9) : kind == 1 ? random_row(g, p.n, -8, 8, 5)
          : random_row(g, p.n, large ? 20 : -3, large ? 400 : 3, 7), false);
  return p;
}

// Through a point x0 with some equations: the slack cannot exceed 0.
Problem with_equations(fam::Prng &g, int k)
{
  Problem p;
  p.n = g.uniform(2, 7);
  p.name = "equations#" + std::to_string(k);
  std::vector<double> x0;
  for (long j = 0; j < p.n; ++j) x0.push_back(static_cast<double>(g.uniform(-4, 4)));
  const long m = g.uniform(p.n + 1, 30);
  for (long i = 0; i < m; ++i) {
    std::vector<double> r = random_row(g, p.n, 0, 0, 6);
    const bool equation = i < 1 + (p.n > 3 ? 1 : 0) || g.uniform(0, 9) == 0;
    double at = 0;
    for (long j = 0; j < p.n; ++j) at += r[j + 1] * x0[j];
    r[0] = (equation ? 0.0 : static_cast<double>(g.uniform(0, 10))) - at;
    p.add(r, equation);
  }
  return p;
}

Problem from_family(const fam::Instance &inst)
{
  Problem p{inst.name, inst.cols - 1, {}, {}};
  for (const auto &r : inst.rows) {
    p.add({}, false);
    for (const auto &x : r) p.rows.back().push_back(fam::to_double(x));
  }
  for (long l : inst.linearity) p.eq[l - 1] = true;
  return p;
}

// The rows the LP constrains: every row, and each equation negated.
std::vector<std::vector<double>> lp_rows(const Problem &p)
{
  auto out = p.rows;
  for (size_t i = 0; i < p.rows.size(); ++i)
    if (p.eq[i]) {
      out.push_back(p.rows[i]);
      for (double &x : out.back()) x = -x;
    }
  return out;
}

double ceiling(const Problem &p)
{
  double bmax = 1;
  for (const auto &r : lp_rows(p)) bmax = std::max(bmax, r[0]);
  return 2 * bmax;
}

using zonix::test::number;

// maximise t subject to b + a.x - t >= 0 for every LP row, t <= ceiling.
bool run_glpsol(const Problem &p, const zonix::test::Scratch &dir, double *value)
{
  auto rows = lp_rows(p);
  for (auto &r : rows) r.push_back(-1);
  std::vector<double> obj(static_cast<size_t>(p.n) + 2, 0.0);
  obj.back() = 1;
  const auto a = zonix::test::run_glpsol(
      dir, zonix::test::cplex_lp(rows, std::vector<bool>(rows.size(), false), obj, true,
                                 " cap: x" + std::to_string(p.n + 1) + " <= " + number(ceiling(p)) + "\n"));
  *value = a.value;
  return a.primal == 'f' && a.dual == 'f';
}

std::string check(const Problem &p, dd_LPSolverType how, double reference)
{
  zonix::Matrix M = zonix::test::matrix(p.rows);
  for (size_t i = 0; i < p.eq.size(); ++i)
    if (p.eq[i]) set_addelem(M->linset, static_cast<long>(i + 1));
  M->objective = dd_LPmin;
  dd_ErrorType err = dd_NoError;
  zonix::LP base(dd_Matrix2LP(M.get(), &err));
  zonix::LP lp(dd_MakeLPforInteriorFinding(base.get()));
  dd_LPSolve(lp.get(), how, &err);
  if (err != dd_NoError || lp->LPS != dd_Optimal) return "error " + std::to_string(err) + ", status " + std::to_string(lp->LPS);
  const double t = ddd_get_d(lp->optvalue);
  if (std::fabs(ddd_get_d(lp->sol[p.n + 1]) - t) > 1e-9 * std::max(1.0, std::fabs(t))) return "sol's last entry is not t*";
  std::vector<double> x{1.0};
  double xscale = 1;
  for (long j = 1; j <= p.n; ++j) x.push_back(ddd_get_d(lp->sol[j])), xscale = std::max(xscale, std::fabs(x.back()));
  for (const auto &r : lp_rows(p)) {
    double v = 0, scale = 1;
    for (long j = 0; j <= p.n; ++j) v += r[j] * x[j], scale = std::max(scale, std::fabs(r[j]));
    if (v - t < -1e-7 * scale * xscale) return "a row has slack " + number(v) + " < t* = " + number(t);
  }
  if (t > ceiling(p) + 1e-9) return "t* above the ceiling";
  if (std::fabs(t - reference) > 1e-6 * std::max(1.0, std::fabs(reference)))
    return "t* = " + number(t) + ", glpsol " + number(reference);
  return "";
}

}  // namespace

int main(int argc, char **argv)
{
  const std::uint64_t seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20261207;
  const int times = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  dd_set_global_constants();
  Tally tally;
  zonix::test::Scratch dir("interior_oracle");
  if (zonix::test::find_tool("glpsol").empty() || !dir.ok())
    return tally.fail("setup", "no glpsol (package glpk-utils) or no scratch folder"), tally.finish(argv[0]);
  fam::Prng g(seed);
  std::vector<Problem> problems;
  for (int k = 0; k < 40 * times; ++k) problems.push_back(random_problem(g, 0, k));
  for (int k = 0; k < 30 * times; ++k) problems.push_back(random_problem(g, 1, k));
  for (int k = 0; k < 25 * times; ++k) problems.push_back(with_equations(g, k));
  for (int k = 0; k < 20 * times; ++k) problems.push_back(random_problem(g, 2, k));
  for (int d = 1; d <= 6; ++d)
    for (const auto &inst : {fam::hypercube(fam::Rep::H, d), fam::cross_polytope(fam::Rep::H, d), fam::simplex(fam::Rep::H, d),
                             fam::on_hyperplane(fam::simplex(fam::Rep::H, d), g.next())})
      problems.push_back(from_family(inst));
  for (const Problem &p : problems) {
    double ref = 0;
    zonix::test::Verdict v;
    if (!run_glpsol(p, dir, &ref)) v.fail("glpsol found no optimum");
    for (dd_LPSolverType how : {dd_CrissCross, dd_DualSimplex})
      if (const std::string why = v.ok ? check(p, how, ref) : ""; !why.empty())
        v.fail(std::string(how == dd_CrissCross ? "criss-cross: " : "dual simplex: ") + why);
    if (!v.ok) tally.report(p.name + " (m=" + std::to_string(p.rows.size()) + ")", v);
    else ++tally.passed;
  }
  return tally.finish("interior_oracle");
}
