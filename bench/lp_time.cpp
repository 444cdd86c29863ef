// Time per LP of the two methods (criss-cross, dual simplex) and of GLPK:
// in-process through its library when <glpk.h> is available, and as a
// whole glpsol process.  The LPs are feasible and bounded: rows with
// integer coefficients in [-9, 9] through an integer point, objective in
// the cone of the row normals.
//
//   lp_time [m d count]...   (d variables)   default: 100 20 20  1000 50 5
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

#if __has_include(<glpk.h>)
#include <glpk.h>
#define LP_TIME_HAVE_GLPK 1
#endif

namespace {

using Clock = std::chrono::steady_clock;

class Prng {  // splitmix64
 public:
  explicit Prng(std::uint64_t seed) : s_(seed) {}
  long uniform(long lo, long hi)
  {
    std::uint64_t z = (s_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z ^= z >> 31;
    return lo + static_cast<long>(z % static_cast<std::uint64_t>(hi - lo + 1));
  }

 private:
  std::uint64_t s_;
};

// Rows (b, a): b + a.x >= 0.  Objective (0, c), maximised.
struct Lp {
  long n = 0;
  std::vector<std::vector<double>> rows;
  std::vector<double> obj;
};

Lp make_lp(Prng &g, long m, long n)
{
  Lp p;
  p.n = n;
  std::vector<double> x0(n);
  for (auto &x : x0) x = static_cast<double>(g.uniform(-5, 5));
  p.obj.assign(n + 1, 0.0);
  for (long i = 0; i < m; ++i) {
    std::vector<double> r(n + 1);
    double ax = 0;
    for (long k = 1; k <= n; ++k) {
      r[k] = static_cast<double>(g.uniform(-9, 9));
      ax += r[k] * x0[k - 1];
    }
    r[0] = static_cast<double>(g.uniform(1, 20)) - ax;
    if (g.uniform(0, m - 1) < 2 * n)
      for (long k = 1; k <= n; ++k) p.obj[k] -= static_cast<double>(g.uniform(1, 4)) * r[k];
    p.rows.push_back(std::move(r));
  }
  return p;
}

zonix::LP to_record(const Lp &p)
{
  const long m = static_cast<long>(p.rows.size());
  zonix::Matrix M = zonix::make_matrix(m, p.n + 1);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j <= p.n; ++j) M->matrix[i][j][0] = p.rows[i][j];
  for (long j = 0; j <= p.n; ++j) M->rowvec[j][0] = p.obj[j];
  M->objective = dd_LPmax;
  M->numbtype = dd_Real;
  dd_ErrorType err;
  return zonix::LP(dd_Matrix2LP(M.get(), &err));
}

struct Sample {
  double ms = 0;
  std::string verdict;
  double value = NAN;
  long pivots = 0;
};

Sample run_ours(const Lp &p, dd_LPSolverType how)
{
  zonix::LP lp = to_record(p);
  dd_ErrorType err;
  const auto t0 = Clock::now();
  dd_LPSolve(lp.get(), how, &err);
  const auto t1 = Clock::now();
  Sample s;
  s.ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
  s.pivots = lp->total_pivots;
  if (err != dd_NoError)
    s.verdict = "error" + std::to_string(err);
  else
    s.verdict = lp->LPS == dd_Optimal ? "optimal" : "status" + std::to_string(lp->LPS);
  s.value = lp->optvalue[0];
  return s;
}

#ifdef LP_TIME_HAVE_GLPK
Sample run_glpk_library(const Lp &p)
{
  const int m = static_cast<int>(p.rows.size());
  const int n = static_cast<int>(p.n);
  const auto t0 = Clock::now();
  glp_prob *lp = glp_create_prob();
  glp_set_obj_dir(lp, GLP_MAX);
  glp_add_rows(lp, m);
  glp_add_cols(lp, n);
  for (int j = 1; j <= n; ++j) {
    glp_set_col_bnds(lp, j, GLP_FR, 0, 0);
    glp_set_obj_coef(lp, j, p.obj[j]);
  }
  std::vector<int> ia(1), ja(1);
  std::vector<double> ar(1);
  for (int i = 1; i <= m; ++i) {
    glp_set_row_bnds(lp, i, GLP_LO, -p.rows[i - 1][0], 0);
    for (int j = 1; j <= n; ++j) {
      if (p.rows[i - 1][j] == 0) continue;
      ia.push_back(i);
      ja.push_back(j);
      ar.push_back(p.rows[i - 1][j]);
    }
  }
  glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
  glp_smcp parm;
  glp_init_smcp(&parm);
  parm.msg_lev = GLP_MSG_OFF;
  glp_simplex(lp, &parm);
  Sample s;
  s.verdict = glp_get_status(lp) == GLP_OPT ? "optimal" : "glpk" + std::to_string(glp_get_status(lp));
  s.value = glp_get_obj_val(lp);
  glp_delete_prob(lp);
  const auto t1 = Clock::now();
  s.ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
  return s;
}
#endif

// The whole process: start, read the file, solve, write the solution.
Sample run_glpsol(const Lp &p, const std::string &dir)
{
  const std::string file = dir + "/p.lp", sol = dir + "/p.sol";
  {
    std::ofstream f(file);
    char buf[64];
    auto lin = [&](const std::vector<double> &c) {
      std::string s;
      for (long k = 1; k <= p.n; ++k) {
        if (c[k] == 0) continue;
        std::snprintf(buf, sizeof buf, " %+.17g x%ld", c[k], k);
        s += buf;
      }
      return s.empty() ? std::string(" 0 x1") : s;
    };
    f << "Maximize\n obj:" << lin(p.obj) << "\nSubject To\n";
    for (size_t i = 0; i < p.rows.size(); ++i) {
      char rhs[64];
      std::snprintf(rhs, sizeof rhs, "%.17g", -p.rows[i][0]);
      f << " c" << i + 1 << ":" << lin(p.rows[i]) << " >= " << rhs << "\n";
    }
    f << "Bounds\n";
    for (long k = 1; k <= p.n; ++k) f << " x" << k << " free\n";
    f << "End\n";
  }
  const std::string cmd = "glpsol --lp " + file + " -w " + sol + " > /dev/null 2>&1";
  const auto t0 = Clock::now();
  const int rc = std::system(cmd.c_str());
  const auto t1 = Clock::now();
  Sample s;
  s.ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
  s.verdict = rc == 0 ? "ran" : "failed";
  std::ifstream in(sol);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("s bas", 0) != 0) continue;
    long r, c;
    char pr, du;
    if (std::sscanf(line.c_str(), "s bas %ld %ld %c %c %lf", &r, &c, &pr, &du, &s.value) == 5)
      s.verdict = pr == 'f' && du == 'f' ? "optimal" : std::string("glpsol ") + pr + du;
  }
  return s;
}

void report(const char *what, const std::vector<Sample> &v, const std::vector<Sample> &ref)
{
  std::vector<double> t;
  double sum = 0;
  long piv = 0;
  int agree = 0, optimal = 0;
  for (size_t k = 0; k < v.size(); ++k) {
    t.push_back(v[k].ms);
    sum += v[k].ms;
    piv += v[k].pivots;
    if (v[k].verdict == "optimal") ++optimal;
    if (v[k].verdict == ref[k].verdict &&
        (v[k].verdict != "optimal" ||
         std::fabs(v[k].value - ref[k].value) <= 1e-6 * std::max(1.0, std::fabs(ref[k].value))))
      ++agree;
  }
  std::sort(t.begin(), t.end());
  std::printf("  %-22s mean %10.3f ms  median %10.3f ms  max %10.3f ms  optimal %d/%zu  agree %d",
              what, sum / v.size(), t[t.size() / 2], t.back(), optimal, v.size(), agree);
  if (piv > 0) std::printf("  pivots/LP %.0f", static_cast<double>(piv) / v.size());
  std::printf("\n");
  for (const Sample &s : v)
    if (s.verdict != "optimal") std::printf("    %s: %s\n", what, s.verdict.c_str());
}

}  // namespace

int main(int argc, char **argv)
{
  dd_set_global_constants();
  std::vector<long> cfg = {100, 20, 20, 1000, 50, 5};
  if (argc > 1) {
    cfg.clear();
    for (int k = 1; k < argc; ++k) cfg.push_back(std::atol(argv[k]));
  }
  char tmpl[] = "/tmp/zonix-lptime-XXXXXX";
  const char *dir = mkdtemp(tmpl);
  const bool have_glpsol = dir != nullptr && std::system("glpsol --version > /dev/null 2>&1") == 0;
  for (size_t c = 0; c + 2 < cfg.size(); c += 3) {
    const long m = cfg[c], d = cfg[c + 1], count = cfg[c + 2];
    Prng g(static_cast<std::uint64_t>(m * 1000 + d));
    std::vector<Lp> lps;
    for (long k = 0; k < count; ++k) lps.push_back(make_lp(g, m, d));
    std::vector<Sample> cc, ds, gl, gs;
    for (const Lp &p : lps) {
      ds.push_back(run_ours(p, dd_DualSimplex));
      cc.push_back(run_ours(p, dd_CrissCross));
#ifdef LP_TIME_HAVE_GLPK
      gl.push_back(run_glpk_library(p));
#endif
      if (have_glpsol) gs.push_back(run_glpsol(p, dir));
    }
    const std::vector<Sample> &ref = !gl.empty() ? gl : (!gs.empty() ? gs : ds);
    std::printf("m = %ld constraints, d = %ld variables, %ld LPs; 'agree' compares with %s\n",
                m, d, count, !gl.empty() ? "the GLPK library" : "glpsol");
    report("dual simplex", ds, ref);
    report("criss-cross", cc, ref);
    if (!gl.empty()) report("GLPK library", gl, ref);
    if (!gs.empty()) report("glpsol process", gs, ref);
  }
  if (dir != nullptr) {
    std::remove((std::string(dir) + "/p.lp").c_str());
    std::remove((std::string(dir) + "/p.sol").c_str());
    rmdir(dir);
  }
  return 0;
}
