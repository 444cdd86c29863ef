// What the oracle programs share beyond support.hpp: long double rows,
// reading lrs's output, and glpsol's verdict on an LP in CPLEX format.
#ifndef ZONIX_TEST_ORACLE_HPP
#define ZONIX_TEST_ORACLE_HPP
#include <algorithm>
#include <cmath>

#include "families.h"
#include "support.hpp"

namespace zonix::test {
namespace fam = zonix::families;
using Real = long double;
using Vec = std::vector<Real>;

inline Real dot(const Vec &a, const Vec &b)
{
  Real s = 0;
  for (std::size_t j = 0; j < a.size(); ++j) s += a[j] * b[j];
  return s;
}
inline Real maxabs(const Vec &a)
{
  Real m = 0;
  for (Real x : a) m = std::max(m, std::fabs(x));
  return m;
}
inline Vec to_vec(const std::vector<fam::Rational> &r)
{
  Vec v;
  for (const auto &x : r) v.push_back(fam::to_long_double(x));
  return v;
}
inline std::string show(const Members &v)
{
  std::string s = "{";
  for (std::size_t k = 0; k < v.size(); ++k) s += (k ? " " : "") + std::to_string(v[k]);
  return s + "}";
}
inline std::string number(double v)
{
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// lrs's answer: the rows of its begin..end block, those on its linearity
// line, or "No feasible solution".
struct LrsBlock {
  bool inequalities = false, infeasible = false;
  std::vector<Vec> rows;
  std::vector<bool> lin;
};
inline std::optional<LrsBlock> parse_lrs(const std::string &text, std::string *err)
{
  LrsBlock out;
  std::istringstream in(text);
  Members linrows;
  bool body = false, done = false, sized = false, seen = false;
  auto bad = [&](const std::string &why) { return *err = why, std::optional<LrsBlock>(); };
  for (std::string line; std::getline(in, line);) {
    std::istringstream ls(line);
    std::string first;
    if (!(ls >> first)) continue;
    if (line.find("No feasible solution") != std::string::npos) out.infeasible = true;
    if (body && !sized) {
      sized = true;  // "m n rational", or "***** n rational"
    } else if (body) {
      if (first == "end") body = false, done = true;
      if (first[0] == '*' || first == "end") continue;
      Vec v;
      for (std::string t = first;;) {
        const auto slash = t.find('/');
        const std::string num = t.substr(0, slash), den = slash == std::string::npos ? "1" : t.substr(slash + 1);
        char *e1 = nullptr, *e2 = nullptr;
        const Real x = std::strtold(num.c_str(), &e1), q = std::strtold(den.c_str(), &e2);
        if (num.empty() || *e1 != '\0' || *e2 != '\0' || q == 0) return bad("unreadable lrs number " + t);
        v.push_back(x / q);
        if (!(ls >> t)) break;
      }
      if (!out.rows.empty() && v.size() != out.rows[0].size()) return bad("lrs rows of two lengths");
      out.rows.push_back(v);
    } else if (first[0] == '*' || done) {
      continue;
    } else if (first == "H-representation" || first == "V-representation") {
      if (seen) return bad("lrs output has two representation blocks");
      seen = true;
      out.inequalities = first[0] == 'H';
    } else if (first == "linearity") {
      long k = 0;
      ls >> k;
      for (long r; ls >> r;) linrows.push_back(r);
      if (static_cast<long>(linrows.size()) != k) return bad("bad lrs linearity line");
    } else if (first == "begin") {
      body = true;
    }
  }
  if (out.infeasible) return out.rows.empty() ? std::optional(out) : bad("lrs printed rows and no feasible solution");
  if (!done) return bad("lrs output without a complete block");
  out.lin.assign(out.rows.size(), false);
  for (long r : linrows) {
    if (r < 1 || r > static_cast<long>(out.rows.size())) return bad("lrs linearity out of range");
    out.lin[r - 1] = true;
  }
  return out;
}
inline std::optional<LrsBlock> run_lrs(const Scratch &dir, const fam::Instance &inst, std::string *err)
{
  const auto out = run_tool(dir, "lrs", "", fam::lrs_text(inst), inst.rep == fam::Rep::V ? "in.ext" : "in.ine");
  if (!out) return *err = "lrs failed", std::nullopt;
  return parse_lrs(*out, err);
}

// An LP for glpsol: maximise or minimise obj.x over rows b + a.x >= 0 (= 0
// for equations), every variable free, plus any extra lines of constraints.
inline std::string cplex_lp(const std::vector<Row> &rows, const std::vector<bool> &eq, const Row &obj,
                            bool maximise, const std::string &extra = {})
{
  const std::size_t n = obj.size() - 1;
  auto linear = [&](const Row &c) {
    std::string s;
    for (std::size_t k = 1; k <= n; ++k)
      if (c[k] != 0) s += (c[k] < 0 ? " - " : " + ") + number(std::fabs(c[k])) + " x" + std::to_string(k);
    return s.empty() ? std::string(" 0 x1") : s;
  };
  std::string f = (maximise ? "Maximize\n obj:" : "Minimize\n obj:") + linear(obj) + "\nSubject To\n";
  for (std::size_t i = 0; i < rows.size(); ++i)
    f += " c" + std::to_string(i + 1) + ":" + linear(rows[i]) + (eq[i] ? " = " : " >= ") + number(-rows[i][0]) + "\n";
  f += extra + "Bounds\n";
  for (std::size_t k = 1; k <= n; ++k) f += " x" + std::to_string(k) + " free\n";
  return f + "End\n";
}
// glpsol's status line "s bas m n primal dual obj": primal and dual status
// ('f' feasible, 'n' not, '?' none) and the objective value.
struct GlpkAnswer {
  char primal = '?', dual = '?';
  double value = 0;
  std::string raw;
};
inline GlpkAnswer run_glpsol(const Scratch &dir, const std::string &lp, const std::string &options = {})
{
  GlpkAnswer a;
  if (!run_tool(dir, "glpsol", options + "-w " + (dir / "p.sol").string() + " --lp", lp, "p.lp", false)) return a;
  std::istringstream in(read_file(dir / "p.sol"));
  for (std::string line; std::getline(in, line);)
    if (line.rfind("s bas", 0) == 0) {
      std::istringstream ss(line.substr(5));
      long rows, cols;
      ss >> rows >> cols >> a.primal >> a.dual >> a.value;
      a.raw = line;
    }
  return a;
}
}  // namespace zonix::test
#endif  // ZONIX_TEST_ORACLE_HPP
