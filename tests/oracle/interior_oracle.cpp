// Checks the interior-point LP against GLPK's glpsol.  For each generated
// H-representation (bounded and unbounded, empty, with equations, with
// large constants) the LP of dd_MakeLPforInteriorFinding is solved by both
// methods; then
//   - the status is optimal (the LP is always feasible and bounded),
//   - every row holds at the point x with slack at least t*,
//   - t* is at most the ceiling 2 * max(1, largest constant term),
//   - t* equals the optimum of the same problem, written out independently
//     from the rows, as glpsol finds it.
//
// Usage: interior_oracle [seed [times]].  One line per failure and a
// summary; exit 0 when all agree, 1 on a disagreement, 2 without glpsol.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "dovavozu.h"
#include "families.h"
#include "zonix.hpp"

namespace fam = zonix::families;

namespace {

// Rows (b, a) mean b + a.x >= 0, or = 0 for equations.
struct Problem {
  std::string name;
  long n = 0;
  std::vector<std::vector<double>> rows;
  std::vector<bool> eq;
};

std::vector<double> random_row(fam::Prng &g, long n, long blo, long bhi, long k)
{
  std::vector<double> r{static_cast<double>(g.uniform(blo, bhi))};
  for (long j = 0; j < n; ++j) r.push_back(static_cast<double>(g.uniform(-k, k)));
  return r;
}

// Positive constants, so the origin is inside; bounded when the normals
// span positively.
Problem around_origin(fam::Prng &g, int k)
{
  Problem p;
  p.n = g.uniform(2, 8);
  p.name = "origin#" + std::to_string(k);
  const long m = g.uniform(p.n + 1, 40);
  for (long i = 0; i < m; ++i) {
    p.rows.push_back(random_row(g, p.n, 1, 12, 9));
    p.eq.push_back(false);
  }
  return p;
}

// Constants of either sign: often empty.
Problem mixed_signs(fam::Prng &g, int k)
{
  Problem p;
  p.n = g.uniform(1, 6);
  p.name = "mixed#" + std::to_string(k);
  const long m = g.uniform(1, 30);
  for (long i = 0; i < m; ++i) {
    p.rows.push_back(random_row(g, p.n, -8, 8, 5));
    p.eq.push_back(false);
  }
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
    p.rows.push_back(r);
    p.eq.push_back(equation);
  }
  return p;
}

// Few rows (unbounded: the slack reaches the ceiling) and large constants
// (a ceiling above 2).
Problem open_or_large(fam::Prng &g, int k)
{
  Problem p;
  p.n = g.uniform(1, 5);
  const bool large = k % 2 == 1;
  p.name = std::string(large ? "large#" : "open#") + std::to_string(k);
  const long m = large ? g.uniform(p.n + 1, 25) : g.uniform(1, p.n);
  for (long i = 0; i < m; ++i) {
    p.rows.push_back(random_row(g, p.n, large ? 20 : -3, large ? 400 : 3, 7));
    p.eq.push_back(false);
  }
  return p;
}

// The families' polytopes, and a simplex on a hyperplane (one equation).
Problem from_family(const fam::Instance &inst)
{
  Problem p;
  p.name = inst.name;
  p.n = inst.cols - 1;
  for (const auto &r : inst.rows) {
    std::vector<double> row;
    for (const auto &x : r) row.push_back(fam::to_double(x));
    p.rows.push_back(row);
    p.eq.push_back(false);
  }
  for (long l : inst.linearity) p.eq[l - 1] = true;
  return p;
}

// The rows the interior LP constrains: every row, and each equation once
// more negated.
std::vector<std::vector<double>> lp_rows(const Problem &p)
{
  std::vector<std::vector<double>> out = p.rows;
  for (size_t i = 0; i < p.rows.size(); ++i)
    if (p.eq[i]) {
      std::vector<double> r = p.rows[i];
      for (double &x : r) x = -x;
      out.push_back(r);
    }
  return out;
}

double ceiling(const Problem &p)
{
  double bmax = 1;  // the objective row's constant is 0
  for (const auto &r : lp_rows(p)) bmax = std::max(bmax, r[0]);
  return 2 * bmax;
}

// ---- glpsol ---------------------------------------------------------------------

std::string number(double v)
{
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// maximise t subject to b + a.x - t >= 0 for every LP row, t <= ceiling.
void write_lp(const Problem &p, const std::string &path)
{
  std::ofstream f(path);
  f << "Maximize\n obj: t\nSubject To\n";
  int k = 0;
  for (const auto &r : lp_rows(p)) {
    f << " c" << ++k << ":";
    for (long j = 1; j <= p.n; ++j)
      if (r[j] != 0) f << (r[j] < 0 ? " - " : " + ") << number(std::fabs(r[j])) << " x" << j;
    f << " - t >= " << number(-r[0]) << "\n";
  }
  f << " cap: t <= " << number(ceiling(p)) << "\n";
  f << "Bounds\n";
  for (long j = 1; j <= p.n; ++j) f << " x" << j << " free\n";
  f << " t free\nEnd\n";
}

// Optimal value from glpsol's raw solution line "s bas m n p d obj".
bool run_glpsol(const Problem &p, const std::string &dir, double *value)
{
  const std::string lp = dir + "/p.lp", sol = dir + "/p.sol";
  write_lp(p, lp);
  std::remove(sol.c_str());
  const std::string cmd = "glpsol --lp " + lp + " -w " + sol + " > /dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return false;
  std::ifstream in(sol);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("s bas", 0) != 0) continue;
    std::istringstream ss(line.substr(5));
    long rows, cols;
    char prim, dual;
    ss >> rows >> cols >> prim >> dual >> *value;
    return prim == 'f' && dual == 'f';
  }
  return false;
}

// ---- ours -------------------------------------------------------------------------

// The LP as the interior-point commands build it: minimisation with a zero
// objective, then the interior LP.
zonix::LP interior_lp(const Problem &p)
{
  const long m = static_cast<long>(p.rows.size());
  zonix::Matrix M = zonix::make_matrix(m, p.n + 1);
  for (long i = 0; i < m; ++i) {
    for (long j = 0; j <= p.n; ++j) ddd_set_d(M->matrix[i][j], p.rows[i][j]);
    if (p.eq[i]) set_addelem(M->linset, i + 1);
  }
  M->representation = dd_Inequality;
  M->numbtype = dd_Real;
  M->objective = dd_LPmin;
  dd_ErrorType err = dd_NoError;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  return zonix::LP(dd_MakeLPforInteriorFinding(lp.get()));
}

std::string check(const Problem &p, dd_LPSolverType how, double reference)
{
  zonix::LP lp = interior_lp(p);
  dd_ErrorType err = dd_NoError;
  dd_LPSolve(lp.get(), how, &err);
  if (err != dd_NoError) return "solver error " + std::to_string(err);
  if (lp->LPS != dd_Optimal) return "status " + std::to_string(lp->LPS);
  const double t = ddd_get_d(lp->optvalue);
  if (std::fabs(ddd_get_d(lp->sol[p.n + 1]) - t) > 1e-9 * std::max(1.0, std::fabs(t)))
    return "sol's last entry is not optvalue";
  std::vector<double> x{1.0};
  double xscale = 1;
  for (long j = 1; j <= p.n; ++j) {
    x.push_back(ddd_get_d(lp->sol[j]));
    xscale = std::max(xscale, std::fabs(x.back()));
  }
  int k = 0;
  for (const auto &r : lp_rows(p)) {
    ++k;
    double v = 0, scale = 1;
    for (long j = 0; j <= p.n; ++j) {
      v += r[j] * x[j];
      scale = std::max(scale, std::fabs(r[j]));
    }
    if (v - t < -1e-7 * scale * xscale)
      return "row " + std::to_string(k) + " has slack " + number(v) + " < t* = " + number(t);
  }
  if (t > ceiling(p) + 1e-9) return "t* above the ceiling";
  if (std::fabs(t - reference) > 1e-6 * std::max(1.0, std::fabs(reference)))
    return "t* = " + number(t) + ", glpsol " + number(reference);
  return "";
}

}  // namespace

int main(int argc, char **argv)
{
  std::uint64_t seed = 20261207;
  int times = 1;
  if (argc > 1) seed = std::strtoull(argv[1], nullptr, 10);
  if (argc > 2) times = std::max(1, std::atoi(argv[2]));
  dd_set_global_constants();
  if (std::system("glpsol --version > /dev/null 2>&1") != 0) {
    std::printf("interior_oracle: glpsol not found (Debian package glpk-utils)\n");
    return 2;
  }
  char tmpl[] = "/tmp/zonix-interior-XXXXXX";
  const char *dir = mkdtemp(tmpl);
  if (dir == nullptr) {
    std::printf("interior_oracle: cannot make a scratch directory\n");
    return 2;
  }

  fam::Prng g(seed);
  std::vector<Problem> problems;
  for (int k = 0; k < 40 * times; ++k) problems.push_back(around_origin(g, k));
  for (int k = 0; k < 30 * times; ++k) problems.push_back(mixed_signs(g, k));
  for (int k = 0; k < 25 * times; ++k) problems.push_back(with_equations(g, k));
  for (int k = 0; k < 20 * times; ++k) problems.push_back(open_or_large(g, k));
  for (int d = 1; d <= 6; ++d) {
    problems.push_back(from_family(fam::hypercube(fam::Rep::H, d)));
    problems.push_back(from_family(fam::cross_polytope(fam::Rep::H, d)));
    problems.push_back(from_family(fam::simplex(fam::Rep::H, d)));
    problems.push_back(from_family(fam::on_hyperplane(fam::simplex(fam::Rep::H, d), g.next())));
  }

  int failures = 0, interior = 0, bounded_by_ceiling = 0;
  for (const Problem &p : problems) {
    double ref = 0;
    std::string fault;
    if (!run_glpsol(p, dir, &ref)) fault = "glpsol found no optimum";
    for (dd_LPSolverType how : {dd_CrissCross, dd_DualSimplex}) {
      if (!fault.empty()) break;
      const std::string why = check(p, how, ref);
      if (!why.empty()) fault = std::string(how == dd_CrissCross ? "criss-cross: " : "dual simplex: ") + why;
    }
    if (!fault.empty()) {
      ++failures;
      std::printf("FAIL %s (m=%zu, n=%ld): %s\n", p.name.c_str(), p.rows.size(), p.n, fault.c_str());
      continue;
    }
    if (ref > 1e-7) ++interior;
    if (std::fabs(ref - ceiling(p)) <= 1e-9) ++bounded_by_ceiling;
  }
  std::remove((std::string(dir) + "/p.lp").c_str());
  std::remove((std::string(dir) + "/p.sol").c_str());
  rmdir(dir);
  std::printf("interior_oracle: %zu systems x 2 methods (%d with an interior point, %d at the "
              "ceiling); %d failed\n",
              problems.size(), interior, bounded_by_ceiling, failures);
  return failures == 0 ? 0 : 1;
}
