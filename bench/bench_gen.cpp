// Writes the benchmark inputs: one instance in the text format that zonix,
// lrs and the PPL driver read, with the same instance in qhull's notation,
// or a batch of LPs for zonix and for glpsol.
//
//   bench_gen FAMILY PARAM... --out BASE
//       BASE.ine (H) or BASE.ext (V), and BASE.qh: for qconvex the points
//       ("dim", "n", coordinates; V polytopes only), for qhalf the
//       halfspaces a.x + offset <= 0 after an interior point (H only).
//   bench_gen lp M D COUNT SEED --out DIR
//       DIR/lpNNN.ine (rows and a "maximize" line) and DIR/lpNNN.lp (the
//       same LP in CPLEX LP notation), feasible and bounded.
//
// FAMILY is one of the shared families (see bench_gen --help) or
//   zeroone-v N D SEED        N distinct 0/1 points in R^D, the origin and
//                             the unit vectors among them
//   redundant-h M D PCT SEED  M inequalities in D variables, PCT percent of
//                             them redundant: tangents to the unit sphere
//                             at rational points (every one a facet) and
//                             nonnegative combinations of two of them plus
//                             a slack, in shuffled order
// The first output line tells the instance: "NAME ROWS COLS".
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "families.h"
#include "families_redundant.h"

namespace fam = zonix::families;
using fam::Instance;
using fam::Rational;

namespace {

using Row = std::vector<Rational>;

int usage()
{
  std::fprintf(stderr,
               "usage: bench_gen FAMILY PARAM... --out BASE\n"
               "       bench_gen lp M D COUNT SEED --out DIR\n"
               "families:\n%s"
               "  zeroone-v n d seed\n"
               "  redundant-h m d percent seed\n"
               "  tangents-h m d kept-percent seed (seed < 0: kept rows, not percent)\n"
               "  ball-v n d seed\n",
               fam::family_usage().c_str());
  return 2;
}

Instance zero_one(int n, int d, std::uint64_t seed)
{
  Instance inst;
  inst.name = "zeroone-v-" + std::to_string(n) + "-" + std::to_string(d) + "-s" +
              std::to_string(seed);
  inst.rep = fam::Rep::V;
  inst.cols = d + 1;
  std::set<std::vector<int>> seen;
  auto add = [&](const std::vector<int>& x) {
    if (!seen.insert(x).second) return;
    Row r{fam::rat(1)};
    for (int v : x) r.push_back(fam::rat(v));
    inst.rows.push_back(std::move(r));
  };
  // The origin and the unit vectors make the polytope full-dimensional.
  add(std::vector<int>(static_cast<std::size_t>(d), 0));
  for (int i = 0; i < d && inst.rowcount() < n; ++i) {
    std::vector<int> e(static_cast<std::size_t>(d), 0);
    e[static_cast<std::size_t>(i)] = 1;
    add(e);
  }
  fam::Prng rng(seed);
  const long cap = d < 30 ? (1L << d) : n;
  while (inst.rowcount() < std::min<long>(n, cap)) {
    std::vector<int> x(static_cast<std::size_t>(d));
    for (int& v : x) v = static_cast<int>(rng.uniform(0, 1));
    add(x);
  }
  return inst;
}

Rational add(Rational a, Rational b)
{
  return fam::rat(a.num * b.den + b.num * a.den, a.den * b.den);
}

Rational scale(Rational a, std::int64_t k) { return fam::rat(a.num * k, a.den); }

Instance redundant_system(int m, int d, int percent, std::uint64_t seed)
{
  const int redundant = m * percent / 100, facets = m - redundant;
  // Tangent at p: 1 - p.x >= 0, the row (1, -p).
  const Instance points = fam::sphere_points(facets, d, seed);
  std::vector<Row> rows;
  for (const Row& p : points.rows) {
    Row r{fam::rat(1)};
    for (std::size_t j = 1; j < p.size(); ++j) r.push_back(fam::rat(-p[j].num, p[j].den));
    rows.push_back(std::move(r));
  }
  const long have = static_cast<long>(rows.size());
  fam::Prng rng(seed ^ 0x5eedULL);
  for (int k = 0; k < redundant && have >= 2; ++k) {
    const auto i = static_cast<std::size_t>(rng.uniform(0, have - 1));
    auto j = static_cast<std::size_t>(rng.uniform(0, have - 2));
    if (j >= i) ++j;
    const std::int64_t a = rng.uniform(1, 3), b = rng.uniform(1, 3), s = rng.uniform(1, 4);
    Row r;
    for (std::size_t c = 0; c < rows[i].size(); ++c)
      r.push_back(add(scale(rows[i][c], a), scale(rows[j][c], b)));
    r[0] = add(r[0], fam::rat(s, 4));
    rows.push_back(std::move(r));
  }
  // Fisher-Yates with the families' generator: the same order everywhere.
  for (std::size_t k = rows.size(); k > 1; --k)
    std::swap(rows[k - 1], rows[static_cast<std::size_t>(rng.uniform(0, static_cast<long>(k) - 1))]);
  Instance inst;
  inst.name = "redundant-h-" + std::to_string(m) + "-" + std::to_string(d) + "-" +
              std::to_string(percent) + "-s" + std::to_string(seed);
  inst.rep = fam::Rep::H;
  inst.cols = d + 1;
  inst.rows = std::move(rows);
  return inst;
}

std::string num(double x)
{
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", x + 0.0);  // no "-0"
  return buf;
}

// A point strictly inside an H polytope: the origin when every row holds
// there strictly, else the centroid of the vertices of the family's V form.
bool interior_point(const std::string& family, const std::vector<long>& params,
                    const Instance& inst, std::vector<double>* x)
{
  x->assign(static_cast<std::size_t>(inst.cols - 1), 0.0);
  bool origin = true;
  for (const Row& r : inst.rows) origin = origin && fam::to_double(r[0]) > 0;
  if (origin) return true;
  if (family.size() < 2 || family.substr(family.size() - 2) != "-h") return false;
  std::string error;
  auto v = fam::family_by_name(family.substr(0, family.size() - 2) + "-v", params, &error);
  if (!v || v->rowcount() == 0) return false;
  for (const Row& r : v->rows) {
    if (fam::to_double(r[0]) == 0) return false;
    for (std::size_t j = 1; j < r.size(); ++j) (*x)[j - 1] += fam::to_double(r[j]);
  }
  for (double& c : *x) c /= static_cast<double>(v->rowcount());
  return true;
}

std::string qhull_text(const std::string& family, const std::vector<long>& params,
                       const Instance& inst)
{
  std::ostringstream out;
  const long d = inst.cols - 1;
  if (inst.rep == fam::Rep::V) {
    out << d << '\n' << inst.rowcount() << '\n';
    for (const Row& r : inst.rows) {
      const double t = fam::to_double(r[0]);
      if (t == 0) return "";  // qconvex knows no rays
      for (std::size_t j = 1; j < r.size(); ++j)
        out << (j > 1 ? " " : "") << num(fam::to_double(r[j]) / t);
      out << '\n';
    }
    return out.str();
  }
  if (!inst.linearity.empty()) return "";
  std::vector<double> x;
  if (!interior_point(family, params, inst, &x)) return "";
  // qhalf cannot read a long line of coordinates for its interior point
  // (QH6072), so the halfspaces are moved to have the origin there: with
  // x = y + p, b + a.x >= 0 becomes (-a).y - (b + a.p) <= 0.
  out << d << " 1\n";
  for (long j = 0; j < d; ++j) out << (j ? " 0" : "0");
  out << '\n' << d + 1 << '\n' << inst.rowcount() << '\n';
  for (const Row& r : inst.rows) {
    double offset = fam::to_double(r[0]);
    for (std::size_t j = 1; j < r.size(); ++j) {
      offset += fam::to_double(r[j]) * x[j - 1];
      out << num(-fam::to_double(r[j])) << ' ';
    }
    out << num(-offset) << '\n';
  }
  return out.str();
}

bool write_file(const std::string& path, const std::string& text)
{
  std::ofstream f(path);
  f << text;
  f.close();
  if (!f) {
    std::fprintf(stderr, "bench_gen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// Rows (b, a) with b + a.x >= 0, integer, through an integer point; the
// objective is a positive combination of a few row normals' negatives, so
// the maximum is finite.
int write_lps(long m, long d, long count, std::uint64_t seed, const std::string& dir)
{
  std::filesystem::create_directories(dir);
  fam::Prng g(seed);
  for (long k = 0; k < count; ++k) {
    std::vector<std::int64_t> x0(static_cast<std::size_t>(d));
    for (auto& v : x0) v = g.uniform(-5, 5);
    std::vector<std::vector<std::int64_t>> rows;
    std::vector<std::int64_t> obj(static_cast<std::size_t>(d + 1), 0);
    for (long i = 0; i < m; ++i) {
      std::vector<std::int64_t> r(static_cast<std::size_t>(d + 1));
      std::int64_t ax = 0;
      for (long j = 1; j <= d; ++j) {
        r[j] = g.uniform(-9, 9);
        ax += r[j] * x0[j - 1];
      }
      r[0] = g.uniform(1, 20) - ax;
      if (g.uniform(0, m - 1) < 2 * d)
        for (long j = 1; j <= d; ++j) obj[j] -= g.uniform(1, 4) * r[j];
      rows.push_back(std::move(r));
    }
    char stem[32];
    std::snprintf(stem, sizeof stem, "/lp%03ld", k);
    std::ostringstream ine, lp;
    ine << "lp-" << m << "-" << d << "-" << k << "\nH-representation\nbegin\n"
        << m << ' ' << d + 1 << " integer\n";
    for (const auto& r : rows) {
      for (long j = 0; j <= d; ++j) ine << (j ? " " : "") << r[j];
      ine << '\n';
    }
    ine << "end\nmaximize\n";
    for (long j = 0; j <= d; ++j) ine << (j ? " " : "") << obj[j];
    ine << '\n';
    auto terms = [&](const std::vector<std::int64_t>& c) {
      std::ostringstream s;
      for (long j = 1; j <= d; ++j)
        if (c[j] != 0) s << ' ' << (c[j] > 0 ? "+ " : "- ") << std::llabs(c[j]) << " x" << j;
      return s.str().empty() ? std::string(" 0 x1") : s.str();
    };
    lp << "\\ lp-" << m << "-" << d << "-" << k << "\nMaximize\n obj:" << terms(obj)
       << "\nSubject To\n";
    for (std::size_t i = 0; i < rows.size(); ++i)
      lp << " c" << i + 1 << ":" << terms(rows[i]) << " >= " << -rows[i][0] << '\n';
    lp << "Bounds\n";
    for (long j = 1; j <= d; ++j) lp << " x" << j << " free\n";
    lp << "End\n";
    if (!write_file(dir + stem + ".ine", ine.str()) || !write_file(dir + stem + ".lp", lp.str()))
      return 1;
  }
  std::printf("lp-%ld-%ld %ld %ld\n", m, d, m, d + 1);
  return 0;
}

bool parse_long(const char* s, long* v)
{
  char* end = nullptr;
  *v = std::strtol(s, &end, 10);
  return end != s && *end == '\0';
}

}  // namespace

int main(int argc, char** argv)
{
  std::string out;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--out" && i + 1 < argc)
      out = argv[++i];
    else if (a == "--help")
      return usage();
    else
      words.push_back(a);
  }
  if (words.empty() || out.empty()) return usage();
  const std::string family = words[0];
  std::vector<long> params;
  for (std::size_t k = 1; k < words.size(); ++k) {
    long v = 0;
    if (!parse_long(words[k].c_str(), &v)) return usage();
    params.push_back(v);
  }

  try {
    if (family == "lp") {
      if (params.size() != 4 || params[0] < 1 || params[1] < 1 || params[2] < 1) return usage();
      return write_lps(params[0], params[1], params[2], static_cast<std::uint64_t>(params[3]), out);
    }
    std::optional<Instance> inst;
    if (family == "zeroone-v") {
      if (params.size() != 3 || params[0] < 1 || params[1] < 1 || params[1] > 40) return usage();
      inst = zero_one(static_cast<int>(params[0]), static_cast<int>(params[1]),
                      static_cast<std::uint64_t>(params[2]));
    } else if (family == "tangents-h") {
      // m d percent-kept seed; a negative seed: kept is the third number itself.
      if (params.size() != 4 || params[0] < 2 || params[1] < 2 || params[2] < 1 || params[2] > params[0])
        return usage();
      const long kept = params[3] < 0 ? params[2] : std::max(1L, params[0] * params[2] / 100);
      inst = fam::paraboloid_tangents(params[0], static_cast<int>(params[1]), kept,
                                      static_cast<std::uint64_t>(params[3] < 0 ? -params[3] : params[3]));
    } else if (family == "ball-v") {
      if (params.size() != 3 || params[0] < 1 || params[1] < 1) return usage();
      inst = fam::ball_points(params[0], static_cast<int>(params[1]), static_cast<std::uint64_t>(params[2]));
    } else if (family == "redundant-h") {
      if (params.size() != 4 || params[0] < 2 || params[1] < 2 || params[2] < 0 ||
          params[2] > 99)
        return usage();
      inst = redundant_system(static_cast<int>(params[0]), static_cast<int>(params[1]),
                              static_cast<int>(params[2]), static_cast<std::uint64_t>(params[3]));
    } else {
      std::string error;
      inst = fam::family_by_name(family, params, &error);
      if (!inst) {
        std::fprintf(stderr, "bench_gen: %s\n", error.c_str());
        return usage();
      }
    }
    const bool h = inst->rep == fam::Rep::H;
    if (!write_file(out + (h ? ".ine" : ".ext"), fam::lrs_text(*inst))) return 1;
    const std::string q = qhull_text(family, params, *inst);
    if (!q.empty() && !write_file(out + ".qh", q)) return 1;
    std::printf("%s %ld %ld\n", inst->name.c_str(), inst->rowcount(), inst->cols);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_gen: %s\n", e.what());
    return 1;
  }
  return 0;
}
