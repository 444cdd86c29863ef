// Bounded LPs (Hilbert rows scaled to integers; boxed rows times 10^k,
// |k| <= 6) against glpsol --exact: in double no method may be silently
// wrong or get fewer right than plain glpsol; in auto and exact arithmetic
// every answer is right.  Family LPs with rows times random powers of ten
// keep status and value (up to the objective's scale) in every arithmetic.
#include <numeric>

#include "../support/oracle.hpp"

namespace {

namespace fam = zonix::families;
using zonix::Arithmetic, zonix::test::Row;  // rows (b, a): b + a.x >= 0

struct Lp { std::vector<Row> rows; Row obj; bool max = true; };  // obj (0, c)
enum Verdict { Optimal, Infeasible, Unbounded, Failed };
struct Answer { Verdict v = Failed; double value = 0; };

Answer zonix_solve(const Lp &p, dd_LPSolverType solver, Arithmetic a)
{
  zonix::Matrix M = zonix::test::matrix(p.rows);
  for (size_t j = 0; j < p.obj.size(); ++j) M->rowvec[j][0] = p.obj[j];
  M->objective = p.max ? dd_LPmax : dd_LPmin;
  dd_ErrorType err = dd_NoError;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  bool exact = false;
  if (!zonix::solve_lp(lp.get(), solver, a, &err, &exact) || (a != Arithmetic::Auto && exact != (a == Arithmetic::Exact)))
    return {};
  if (lp->LPS == dd_Optimal) return {Optimal, lp->optvalue[0]};
  if (lp->LPS == dd_Inconsistent) return {Infeasible, 0};
  return {lp->LPS == dd_DualInconsistent || lp->LPS == dd_StrucDualInconsistent ? Unbounded : Failed, 0};
}

Answer glpsol(const Lp &p, bool exact, const zonix::test::Scratch &dir)
{
  const auto a = zonix::test::run_glpsol(dir, zonix::test::cplex_lp(p.rows, std::vector<bool>(p.rows.size()), p.obj, p.max),
                                         exact ? "--nopresol --exact " : "--nopresol ");
  return {a.primal == 'f' && a.dual == 'f' ? Optimal : a.primal == 'n' ? Infeasible
          : a.primal == 'f' && a.dual == 'n' ? Unbounded : Failed, a.value};
}

// Exact answers against glpsol --exact, which prints 15 digits: 1e-14.
bool same(const Answer &a, const Answer &truth, double tol = 1e-6)
{
  return a.v == truth.v && (a.v != Optimal || std::fabs(a.value - truth.value) <= tol * std::fmax(1, std::fabs(truth.value)));
}

fam::Prng rng(20261206);
double pow10_in(int lo, int hi) { return std::pow(10.0, static_cast<double>(rng.uniform(lo, hi))); }
void scale_rows(std::vector<Row> &rows) { for (Row &r : rows) for (double s = pow10_in(-6, 6); double &x : r) x *= s; }

// t = 0..29: -H.1 <= H x <= H.1 + s for the Hilbert matrix H of order 4..9
// times the lcm of each row's denominators.  t = 30..59: random rows with
// the origin inside, every row then times 10^k.  Both boxed.
Lp generated(int t)
{
  Lp p;
  const int n = 4 + t % 6;
  p.max = t % 2 == 0;
  p.obj.assign(static_cast<size_t>(n) + 1, 0);
  for (int k = 1; k <= n; ++k) p.obj[k] = static_cast<double>(rng.uniform(-9, 9));
  for (int i = 0; i < (t < 30 ? n : 3 * n); ++i) {
    Row r(static_cast<size_t>(n) + 1, 0);
    long l = 1;
    for (int j = 0; j < n; ++j) l = std::lcm(l, static_cast<long>(i + j + 1));
    for (int k = 1; k <= n; ++k)
      r[k] = t < 30 ? static_cast<double>(l / (i + k)) : static_cast<double>(rng.uniform(-9, 9));
    if (t < 30) {
      Row up = r;
      r[0] = std::accumulate(r.begin() + 1, r.end(), 0.0);
      for (size_t k = 1; k < r.size(); ++k) up[k] = -r[k];
      up[0] = r[0] + static_cast<double>(rng.uniform(0, 3));
      p.rows.push_back(up);
    } else {
      r[0] = static_cast<double>(rng.uniform(1, 20));
    }
    p.rows.push_back(r);
  }
  const double bound = t < 30 ? static_cast<double>(rng.uniform(1, 1000)) : 100;
  for (int k = 1; k <= 2 * n; ++k) {  // the box
    p.rows.emplace_back(static_cast<size_t>(n) + 1, 0);
    p.rows.back()[0] = bound, p.rows.back()[(k + 1) / 2] = k % 2 ? -1.0 : 1.0;
  }
  if (t >= 30) scale_rows(p.rows);
  return p;
}

}  // namespace

int main()
{
  const zonix::test::Scratch dir("lp_scaled");
  const dd_LPSolverType solvers[] = {dd_CrissCross, dd_DualSimplex};
  const Arithmetic arithmetics[] = {Arithmetic::Double, Arithmetic::Auto, Arithmetic::Exact};
  const char *names[] = {"criss-cross", "dual simplex", "glpsol (double)"}, *arith[] = {"double", "auto", "exact"};
  int right[3][3] = {}, error[3][3] = {}, wrong[3][3] = {};  // [arithmetic][method]
  for (int t = 0; t < 60; ++t) {
    const Lp p = generated(t);
    const Answer truth = glpsol(p, true, dir);
    if (truth.v != Optimal) {
      std::printf("LP %d: glpsol --exact finds no optimum (is glpsol installed?)\n", t);
      return 1;
    }
    for (int k = 0; k < 3; ++k)
      for (int s = 0; s < 3 - (k > 0); ++s) {
        const Answer a = s < 2 ? zonix_solve(p, solvers[s], arithmetics[k]) : glpsol(p, false, dir);
        if (same(a, truth, k == 2 ? 1e-14 : 1e-6) || (a.v >= Failed && s < 2)) {
          ++(a.v == Failed ? error : right)[k][s];
          continue;
        }
        ++wrong[k][s];
        std::printf("LP %d: %s (%s) gives verdict %d value %.17g, exact optimum %.17g\n", t, names[s], arith[k], a.v,
                    a.value, truth.value);
      }
  }
  bool ok = true;
  for (int k = 0; k < 3; ++k)
    for (int s = 0; s < 3 - (k > 0); ++s) {
      std::printf("%-16s %-7s right %2d  error %2d  wrong %2d\n", names[s], arith[k], right[k][s], error[k][s],
                  wrong[k][s]);
      if (s < 2) ok = ok && wrong[k][s] == 0 && (k == 0 ? right[k][s] >= right[0][2] : error[k][s] == 0);
    }

  // Row scaling must not change an answer.
  const auto cube = fam::hypercube(fam::Rep::H, 4);
  auto cut = cube.rows[0];
  cut[0] = fam::rat(-2);  // x1 >= 2: empty
  const std::vector<fam::Instance> insts = {fam::hypercube(fam::Rep::H, 5), fam::cross_polytope(fam::Rep::H, 4),
                                            fam::simplex(fam::Rep::H, 6), fam::random_inequalities(60, 7, 3),
                                            fam::random_cone(15, 5, 4), fam::append_rows(cube, {cut})};
  int mismatches[3] = {};
  for (const auto &inst : insts) {
    Lp base;
    for (const auto &r : inst.rows)
      for (base.rows.emplace_back(); const auto &q : r) base.rows.back().push_back(fam::to_double(q));
    for (long k = 0; k < inst.cols; ++k) base.obj.push_back(k == 0 ? 0 : static_cast<double>(k % 3 + 1) * (k % 2 ? 1 : -1));
    for (dd_LPSolverType solver : solvers)
      for (int trial = 0; trial < 4; ++trial) {
        Lp p = base;
        scale_rows(p.rows);
        const double so = pow10_in(-6, 6);
        for (double &x : p.obj) x *= so;
        for (int k = 0; k < 3; ++k) {
          const Answer a0 = zonix_solve(base, solver, arithmetics[k]);
          Answer a = zonix_solve(p, solver, arithmetics[k]);
          a.value /= so;
          if (a0.v == Failed || !same(a, a0)) {
            ++mismatches[k];
            std::printf("%s scaled (%s, %s): verdict %d value %.12g, unscaled %d value %.12g\n", inst.name.c_str(),
                        names[solver == dd_CrissCross ? 0 : 1], arith[k], a.v, a.value, a0.v, a0.value);
          }
        }
      }
  }
  for (int k = 0; k < 3; ++k) std::printf("scaled family LPs, %s: %d mismatches\n", arith[k], mismatches[k]);
  ok &= mismatches[0] + mismatches[1] + mismatches[2] == 0;
  std::printf("lp_scaled_oracle: %s\n", ok ? "passed" : "FAILED");
  return ok ? 0 : 1;
}
