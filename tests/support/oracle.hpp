// What the oracle programs share beyond support.hpp: rows of long doubles
// or rationals, the tools' input in either arithmetic, reading lrs's
// output, and glpsol's verdict on an LP in CPLEX format.
#ifndef ZONIX_TEST_ORACLE_HPP
#define ZONIX_TEST_ORACLE_HPP
#include <algorithm>
#include <cmath>

#include "families.h"
#include "support.hpp"
#include "zonixarith.hpp"

namespace zonix::test {
namespace fam = zonix::families;
using Real = long double;
using Vec = std::vector<Real>;
using QVec = std::vector<mpq_class>;
using zonix::Arithmetic;

template <class N>
N dot(const std::vector<N> &a, const std::vector<N> &b)
{
  N s = 0;
  for (std::size_t j = 0; j < a.size(); ++j) s += a[j] * b[j];
  return s;
}
template <class N>
N mag(const N &x) { return x < 0 ? N(-x) : x; }
template <class N>
N maxabs(const std::vector<N> &a)
{
  N m = 0;
  for (const N &x : a) m = std::max<N>(m, mag(x));
  return m;
}
inline double as_double(Real x) { return static_cast<double>(x); }
inline double as_double(const mpq_class &x) { return x.get_d(); }
inline const char *name_of(Arithmetic a) { return a == Arithmetic::Double ? "double" : a == Arithmetic::Exact ? "exact" : "auto"; }
// The instance's own rationals, for exact runs: its doubles may be
// another polyhedron.
inline zonix::QMatrix to_qmatrix(const fam::Instance &inst)
{
  zonix::QMatrix q;
  q.rows = inst.rowcount(), q.cols = inst.cols;
  q.representation = inst.rep == fam::Rep::V ? dd_Generator : dd_Inequality;
  for (const auto &r : inst.rows)
    for (const auto &x : r) {
      q.entries.emplace_back(mpz_class(static_cast<long>(x.num)), mpz_class(static_cast<long>(x.den)));
      q.entries.back().canonicalize();
    }
  for (long i = 1; i <= q.rows; ++i)
    if (inst.is_linearity(i)) q.linearity.push_back(i);
  return q;
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

// lrs's answer: the rows of its begin..end block (as long doubles and as
// rationals), those on its linearity line, or "No feasible solution".
struct LrsBlock {
  bool inequalities = false, infeasible = false;
  std::vector<Vec> rows;
  std::vector<QVec> exact;
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
      QVec e;
      for (std::string t = first;;) {
        mpq_class q;
        if (q.set_str(t, 10) != 0 || q.get_den() == 0) return bad("unreadable lrs number " + t);
        q.canonicalize();
        e.push_back(q), v.push_back(q.get_d());
        if (!(ls >> t)) break;
      }
      if (!out.rows.empty() && v.size() != out.rows[0].size()) return bad("lrs rows of two lengths");
      out.rows.push_back(v), out.exact.push_back(e);
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

// The rows redund lists as redundant.
inline std::optional<Members> parse_redund(const std::string &out)
{
  if (out.find("No redundant rows found") != std::string::npos) return Members{};
  const auto at = out.find("redundant row(s) found:");
  if (at == std::string::npos) return std::nullopt;
  std::istringstream in(out.substr(out.find('\n', at) + 1));
  Members rows;
  for (std::string line; std::getline(in, line) && !line.empty() && line[0] != '*';) {
    std::istringstream ls(line);
    for (long r; ls >> r;) rows.push_back(r);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}
inline std::optional<Members> run_redund(const Scratch &dir, const fam::Instance &inst)
{
  const auto out = run_tool(dir, "redund", "", fam::lrs_text(inst));
  return out ? parse_redund(*out) : std::nullopt;
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
