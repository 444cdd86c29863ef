// Checks the redundancy queries against lrs, which computes in exact
// rational arithmetic:
//   H redundancy   the rows kept by dd_RedundantRows and by lrs's redund
//                  must be the same facets; ours must keep the first row of
//                  each facet; dd_RedundantRowsViaShooting must agree.
//   V redundancy   the points and rays kept must be redund's, the first
//                  copy of each.
//   implicit linearity, strong redundancy
//                  decided from lrs's generators (or facets) by incidence.
//   adjacency      hypercube, cross-polytope and simplex facets by
//                  mathematics; random polytopes by the rank of the
//                  generators two facets share.
// Facets are told apart by incidence: two rows define the same facet
// exactly when the same generators of lrs's V-representation lie on them.
//
// Usage: redund_oracle [seed [times]].  Prints one line per failure and a
// summary; exits 0 when all agree, 1 on any disagreement, 2 when lrs or
// redund is missing.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>

#include "../support/support.hpp"
#include "families.h"

namespace fam = zonix::families;
using fam::Instance;
using fam::Rational;
using fam::Rep;

namespace {

using Real = long double;
using Vec = std::vector<Real>;
using zonix::test::Members, zonix::test::members;

// ---- instances -------------------------------------------------------------------

Rational add(Rational a, Rational b)
{
  return fam::rat(a.num * b.den + b.num * a.den, a.den * b.den);
}

Rational mul(Rational a, Rational b) { return fam::rat(a.num * b.num, a.den * b.den); }

using Row = std::vector<Rational>;

Row combine(const Row &a, Rational la, const Row &b, Rational lb)
{
  Row r(a.size());
  for (size_t j = 0; j < a.size(); ++j) r[j] = add(mul(la, a[j]), mul(lb, b[j]));
  return r;
}

// Moves the rows into a random order, carrying the linearity numbers.
void shuffle(Instance &inst, fam::Prng &g)
{
  const long m = inst.rowcount();
  std::vector<long> perm(static_cast<size_t>(m));
  std::iota(perm.begin(), perm.end(), 0);
  for (long i = m - 1; i > 0; --i) std::swap(perm[i], perm[g.uniform(0, i)]);
  std::vector<Row> rows(static_cast<size_t>(m));
  std::vector<long> lin;
  for (long k = 0; k < m; ++k) {
    rows[k] = inst.rows[perm[k]];
    if (inst.is_linearity(perm[k] + 1)) lin.push_back(k + 1);
  }
  inst.rows = std::move(rows);
  inst.linearity = std::move(lin);
}

// Appends rows implied by the first `base` rows: exact copies, positive
// multiples, combinations of two rows pushed outward (never tight) and not
// pushed (tight where both are), and the row 1 >= 0.
void add_redundant_rows(Instance &inst, long base, int count, fam::Prng &g)
{
  for (int t = 0; t < count; ++t) {
    const Row a = inst.rows[g.uniform(0, base - 1)];
    const Row b = inst.rows[g.uniform(0, base - 1)];
    Row r;
    switch (g.uniform(0, 4)) {
      case 0: r = a; break;
      case 1: r = combine(a, fam::rat(g.uniform(1, 3), g.uniform(1, 2)), a, fam::rat(0)); break;
      case 2:
        r = combine(a, fam::rat(g.uniform(1, 3)), b, fam::rat(g.uniform(1, 3)));
        r[0] = add(r[0], fam::rat(g.uniform(1, 5)));
        break;
      case 3: r = combine(a, fam::rat(g.uniform(1, 3)), b, fam::rat(g.uniform(1, 3))); break;
      default:
        r.assign(a.size(), fam::rat(0));
        r[0] = fam::rat(1);
    }
    inst.rows.push_back(r);
  }
}

// ---- lrs ---------------------------------------------------------------------------

const zonix::test::Scratch *g_dir = nullptr;

// Runs `tool in out` on text: the output file's content, or nothing.
std::optional<std::string> run_tool(const char *tool, const std::string &text)
{
  return zonix::test::run_tool(*g_dir, tool, "", text);
}

Real parse_number(const std::string &tok)
{
  const auto slash = tok.find('/');
  if (slash == std::string::npos) return std::stold(tok);
  return std::stold(tok.substr(0, slash)) / std::stold(tok.substr(slash + 1));
}

// The row numbers after "redundant row(s) found:", or none for "No
// redundant rows found".
std::optional<Members> parse_redund(const std::string &out)
{
  if (out.find("No redundant rows found") != std::string::npos) return Members{};
  const auto at = out.find("redundant row(s) found:");
  if (at == std::string::npos) return std::nullopt;
  std::istringstream in(out.substr(out.find('\n', at) + 1));
  Members rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '*') break;
    std::istringstream ls(line);
    long r;
    while (ls >> r) rows.push_back(r);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The rows of lrs's representation block; lines (or equations) are those
// in its linearity line.
struct Block {
  std::vector<Vec> rows;
  std::vector<bool> linear;
};

std::optional<Block> parse_block(const std::string &out)
{
  std::istringstream in(out);
  std::string line;
  Block b;
  Members lin;
  bool inside = false, sized = false;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (inside && !sized) {
      sized = true;  // "m n rational", or "***** n rational" when m is unknown
      continue;
    }
    if (line[0] == '*') continue;
    if (!inside) {
      if (line.rfind("linearity", 0) == 0) {
        std::istringstream ls(line.substr(9));
        long k, r;
        ls >> k;
        while (ls >> r) lin.push_back(r);
      } else if (line.rfind("begin", 0) == 0) {
        inside = true;
      }
      continue;
    }
    if (line.rfind("end", 0) == 0) {
      b.linear.assign(b.rows.size(), false);
      for (long r : lin)
        if (r >= 1 && r <= static_cast<long>(b.rows.size())) b.linear[r - 1] = true;
      return b;
    }
    std::istringstream ls(line);
    std::string tok;
    Vec row;
    while (ls >> tok) row.push_back(parse_number(tok));
    b.rows.push_back(row);
  }
  return std::nullopt;
}

// ---- arithmetic on long doubles ---------------------------------------------------------

Real dot(const Vec &a, const Vec &b)
{
  Real s = 0;
  for (size_t j = 0; j < a.size(); ++j) s += a[j] * b[j];
  return s;
}

Real maxabs(const Vec &a)
{
  Real m = 0;
  for (Real x : a) m = std::max(m, std::fabs(x));
  return m;
}

Vec to_vec(const Row &r)
{
  Vec v;
  for (const Rational &x : r) v.push_back(fam::to_long_double(x));
  return v;
}

// Row value at a generator, relative to their sizes: lrs's generators are
// exact, so anything above rounding noise is a real sign.
Real relative_value(const Vec &row, const Vec &gen)
{
  const Real scale = std::max<Real>(1, maxabs(row) * maxabs(gen));
  return dot(row, gen) / scale;
}

constexpr Real kTight = 1e-12L;

// Which generators each row is tight on.
std::vector<std::vector<bool>> incidence(const Instance &inst, const Block &gens)
{
  std::vector<std::vector<bool>> inc;
  for (const Row &r : inst.rows) {
    const Vec v = to_vec(r);
    std::vector<bool> on;
    for (const Vec &g : gens.rows) on.push_back(std::fabs(relative_value(v, g)) <= kTight);
    inc.push_back(on);
  }
  return inc;
}

// Rank of a set of vectors by Gaussian elimination with partial pivoting.
long rank_of(std::vector<Vec> a)
{
  long rank = 0;
  const size_t n = a.empty() ? 0 : a[0].size();
  for (size_t col = 0; col < n && rank < static_cast<long>(a.size()); ++col) {
    size_t best = static_cast<size_t>(rank);
    for (size_t i = static_cast<size_t>(rank); i < a.size(); ++i)
      if (std::fabs(a[i][col]) > std::fabs(a[best][col])) best = i;
    if (std::fabs(a[best][col]) <= 1e-12L) continue;
    std::swap(a[best], a[static_cast<size_t>(rank)]);
    for (size_t i = 0; i < a.size(); ++i) {
      if (i == static_cast<size_t>(rank)) continue;
      const Real f = a[i][col] / a[static_cast<size_t>(rank)][col];
      for (size_t j = col; j < n; ++j) a[i][j] -= f * a[static_cast<size_t>(rank)][j];
    }
    ++rank;
  }
  return rank;
}

// ---- our side --------------------------------------------------------------------------

using RowsFunction = dd_rowset (*)(dd_MatrixPtr, dd_ErrorType *);

std::optional<Members> ours(RowsFunction f, const Instance &inst, std::string *why)
{
  zonix::Matrix M(fam::to_matrix(inst));
  dd_ErrorType err = dd_NoError;
  zonix::Set s(f(M.get(), &err));
  if (err != dd_NoError || !s) {
    *why = "library error " + std::to_string(err);
    return std::nullopt;
  }
  return members(s.get());
}

std::string list(const Members &v)
{
  std::string s = "{";
  for (size_t k = 0; k < v.size(); ++k) s += (k ? " " : "") + std::to_string(v[k]);
  return s + "}";
}

// ---- the checks --------------------------------------------------------------------------

// Checks of one kind: how many ran, how many failed.
struct Tally {
  int run = 0;
  int failed = 0;
  void fail(const Instance &inst, const std::string &what)
  {
    ++failed;
    std::printf("FAIL %s: %s\n", inst.name.c_str(), what.c_str());
  }
};

// Kept rows (not removed, not equations) of an H instance.
Members kept_rows(const Instance &inst, const Members &removed)
{
  Members k;
  for (long i = 1; i <= inst.rowcount(); ++i)
    if (!inst.is_linearity(i) && !std::binary_search(removed.begin(), removed.end(), i))
      k.push_back(i);
  return k;
}

void check_h(const Instance &inst, Tally &t)
{
  ++t.run;
  std::string why;
  auto mine = ours(dd_RedundantRows, inst, &why);
  if (!mine) return t.fail(inst, why);
  auto red = run_tool("redund", fam::lrs_text(inst));
  auto lrs = run_tool("lrs", fam::lrs_text(inst));
  auto theirs = red ? parse_redund(*red) : std::nullopt;
  auto gens = lrs ? parse_block(*lrs) : std::nullopt;
  if (!theirs || !gens) return t.fail(inst, "no answer from redund or lrs");

  for (long r : *mine)
    if (inst.is_linearity(r)) return t.fail(inst, "equation " + std::to_string(r) + " removed");
  const auto inc = incidence(inst, *gens);
  const Members kz = kept_rows(inst, *mine), kl = kept_rows(inst, *theirs);
  std::set<std::vector<bool>> cz, cl;
  for (long i : kz) cz.insert(inc[i - 1]);
  for (long i : kl) cl.insert(inc[i - 1]);
  if (cz.size() != kz.size())
    return t.fail(inst, "two kept rows define the same face: kept " + list(kz));
  if (cz != cl)
    return t.fail(inst, "kept " + list(kz) + ", redund keeps " + list(kl) +
                            " (removed " + list(*mine) + " vs " + list(*theirs) + ")");
  // Of the rows that define one facet, the first stays.
  for (long i : kz)
    for (long j = 1; j < i; ++j)
      if (!inst.is_linearity(j) && inc[j - 1] == inc[i - 1])
        return t.fail(inst, "kept row " + std::to_string(i) + " but row " + std::to_string(j) +
                                " defines the same facet");

  auto shot = ours(dd_RedundantRowsViaShooting, inst, &why);
  if (!shot) return t.fail(inst, "shooting: " + why);
  if (*shot != *mine)
    return t.fail(inst, "shooting removes " + list(*shot) + ", the LP loop " + list(*mine));
}

// Points scaled to first entry 1, rays to largest entry 1: equal vectors
// are the same generator.
Vec normal_form(const Vec &g)
{
  Vec v = g;
  const Real s = g[0] != 0 ? g[0] : maxabs(g);
  for (Real &x : v) x /= s;
  return v;
}

bool same(const Vec &a, const Vec &b)
{
  for (size_t j = 0; j < a.size(); ++j)
    if (std::fabs(a[j] - b[j]) > 1e-12L * std::max<Real>(1, std::fabs(b[j]))) return false;
  return true;
}

void check_v(const Instance &inst, Tally &t, long expect_kept)
{
  ++t.run;
  std::string why;
  auto mine = ours(dd_RedundantRows, inst, &why);
  if (!mine) return t.fail(inst, why);
  auto red = run_tool("redund", fam::lrs_text(inst));
  auto theirs = red ? parse_redund(*red) : std::nullopt;
  if (!theirs) return t.fail(inst, "no answer from redund");
  const Members kz = kept_rows(inst, *mine), kl = kept_rows(inst, *theirs);
  if (expect_kept >= 0 && static_cast<long>(kz.size()) != expect_kept)
    return t.fail(inst, "kept " + std::to_string(kz.size()) + " rows, the polytope has " +
                            std::to_string(expect_kept) + " vertices");
  std::vector<Vec> nf;
  for (const Row &r : inst.rows) nf.push_back(normal_form(to_vec(r)));
  auto covers = [&](const Members &a, const Members &b) {
    for (long i : a) {
      bool found = false;
      for (long j : b) found = found || same(nf[i - 1], nf[j - 1]);
      if (!found) return false;
    }
    return true;
  };
  if (kz.size() != kl.size() || !covers(kz, kl) || !covers(kl, kz))
    return t.fail(inst, "kept " + list(kz) + ", redund keeps " + list(kl));
  for (long i : kz)
    for (long j = 1; j < i; ++j)
      if (same(nf[j - 1], nf[i - 1]))
        return t.fail(inst, "kept row " + std::to_string(i) + ", a copy of row " +
                                std::to_string(j));
}

// Implicit linearities: rows tight at every generator of the (nonempty)
// polyhedron.
void check_implicit(const Instance &inst, Tally &t, long hidden)
{
  ++t.run;
  std::string why;
  auto mine = ours(dd_ImplicitLinearityRows, inst, &why);
  if (!mine) return t.fail(inst, why);
  auto lrs = run_tool("lrs", fam::lrs_text(inst));
  auto gens = lrs ? parse_block(*lrs) : std::nullopt;
  if (!gens || gens->rows.empty()) return t.fail(inst, "no generators from lrs");
  const auto inc = incidence(inst, *gens);
  Members want;
  for (long i = 1; i <= inst.rowcount(); ++i)
    if (!inst.is_linearity(i) &&
        std::all_of(inc[i - 1].begin(), inc[i - 1].end(), [](bool b) { return b; }))
      want.push_back(i);
  if (static_cast<long>(want.size()) != hidden)
    return t.fail(inst, "lrs finds " + std::to_string(want.size()) + " tight rows, " +
                            std::to_string(hidden) + " were hidden");
  if (*mine != want) return t.fail(inst, "found " + list(*mine) + ", tight " + list(want));
}

// Strong redundancy of H rows of a polytope: the row's least value over
// the vertices is positive.
void check_strong_h(const Instance &inst, Tally &t)
{
  ++t.run;
  std::string why;
  auto mine = ours(dd_SRedundantRows, inst, &why);
  if (!mine) return t.fail(inst, why);
  auto lrs = run_tool("lrs", fam::lrs_text(inst));
  auto gens = lrs ? parse_block(*lrs) : std::nullopt;
  if (!gens || gens->rows.empty()) return t.fail(inst, "no vertices from lrs");
  Members want;
  for (long i = 1; i <= inst.rowcount(); ++i) {
    if (inst.is_linearity(i)) continue;
    const Vec v = to_vec(inst.rows[i - 1]);
    Real least = 1e300L;
    for (const Vec &g : gens->rows)
      if (g[0] != 0) least = std::min(least, relative_value(v, g));
    if (least > kTight) want.push_back(i);
  }
  if (*mine != want) return t.fail(inst, "strongly redundant " + list(*mine) + ", lrs says " + list(want));
}

// Strong redundancy of points: strictly inside every facet lrs finds.
void check_strong_v(const Instance &inst, Tally &t)
{
  ++t.run;
  std::string why;
  auto mine = ours(dd_SRedundantRows, inst, &why);
  if (!mine) return t.fail(inst, why);
  auto lrs = run_tool("lrs", fam::lrs_text(inst));
  auto facets = lrs ? parse_block(*lrs) : std::nullopt;
  if (!facets || facets->rows.empty()) return t.fail(inst, "no facets from lrs");
  Members want;
  for (long i = 1; i <= inst.rowcount(); ++i) {
    const Vec g = to_vec(inst.rows[i - 1]);
    bool inside = true;
    for (size_t k = 0; k < facets->rows.size(); ++k)
      if (!facets->linear[k] && relative_value(facets->rows[k], g) <= kTight) inside = false;
    if (inside) want.push_back(i);
  }
  if (*mine != want) return t.fail(inst, "strongly redundant " + list(*mine) + ", inside " + list(want));
}

std::optional<std::vector<Members>> adjacency(dd_SetFamilyPtr (*f)(dd_MatrixPtr, dd_ErrorType *),
                                              const Instance &inst, std::string *why)
{
  zonix::Matrix M(fam::to_matrix(inst));
  dd_ErrorType err = dd_NoError;
  zonix::SetFamily F(f(M.get(), &err));
  if (err != dd_NoError || !F) {
    *why = "library error " + std::to_string(err);
    return std::nullopt;
  }
  return members(F.get());
}

// want[i]: the rows adjacent to row i+1.
void check_adjacency(const Instance &inst, Tally &t, const std::vector<Members> &want, bool weak)
{
  ++t.run;
  std::string why;
  auto got = adjacency(weak ? dd_Matrix2WeakAdjacency : dd_Matrix2Adjacency, inst, &why);
  if (!got) return t.fail(inst, why);
  for (size_t i = 0; i < want.size(); ++i)
    if ((*got)[i] != want[i])
      return t.fail(inst, std::string(weak ? "weak " : "") + "adjacency of row " +
                              std::to_string(i + 1) + " is " + list((*got)[i]) + ", expected " +
                              list(want[i]));
}

// On the face of facet i of a full-dimensional polyhedron in R^d, the rows
// that stay essential are those that cut out a facet of that face (a set
// of generators, a point among them, spanning dimension d - 2), one row per
// such facet: the first, since the other rows meeting the face in the same
// place are redundant there.  A row that is no facet of the polyhedron may
// be that first row.
std::optional<std::vector<Members>> adjacency_from_lrs(const Instance &inst, Members *facets)
{
  auto lrs = run_tool("lrs", fam::lrs_text(inst));
  auto gens = lrs ? parse_block(*lrs) : std::nullopt;
  if (!gens) return std::nullopt;
  const auto inc = incidence(inst, *gens);
  const long d = inst.cols - 1;
  const long m = inst.rowcount();
  // Rank of the generators on a face; 0 for a face without a point, which
  // is empty (two parallel unbounded edges share only their direction).
  auto rank_on = [&](const std::vector<bool> &on) {
    std::vector<Vec> pts;
    bool point = false;
    for (size_t k = 0; k < on.size(); ++k)
      if (on[k]) {
        pts.push_back(gens->rows[k]);
        point = point || gens->rows[k][0] != 0;
      }
    return point ? rank_of(pts) : 0L;
  };
  std::vector<Members> adj(static_cast<size_t>(m));
  // One row per facet: the first of the rows with the same incidence.
  for (long i = 1; i <= m; ++i) {
    bool first = true;
    for (long j = 1; j < i; ++j) first = first && inc[j - 1] != inc[i - 1];
    if (first && rank_on(inc[i - 1]) == d) facets->push_back(i);
  }
  for (long i : *facets) {
    std::set<std::vector<bool>> seen;
    for (long j = 1; j <= m; ++j) {
      if (j == i) continue;
      std::vector<bool> both(inc[i - 1].size());
      for (size_t k = 0; k < both.size(); ++k) both[k] = inc[i - 1][k] && inc[j - 1][k];
      if (rank_on(both) == d - 1 && seen.insert(both).second) adj[i - 1].push_back(j);
    }
  }
  return adj;
}

// Rows whose normals differ in sign (0 counting apart) in exactly `k`
// coordinates; for the hypercube and the cross-polytope this names the
// neighbours.
long sign_differences(const Row &a, const Row &b)
{
  long n = 0;
  for (size_t j = 1; j < a.size(); ++j) {
    const int sa = (a[j].num > 0) - (a[j].num < 0), sb = (b[j].num > 0) - (b[j].num < 0);
    n += sa != sb;
  }
  return n;
}

// The normals are negatives of each other: parallel facets on opposite
// sides.
bool opposite(const Row &a, const Row &b)
{
  for (size_t j = 1; j < a.size(); ++j)
    if (!(a[j] == fam::rat(-b[j].num, b[j].den))) return false;
  return true;
}

}  // namespace

int main(int argc, char **argv)
{
  std::uint64_t seed = 20261206;
  int times = 1;
  if (argc > 1) seed = std::strtoull(argv[1], nullptr, 10);
  if (argc > 2) times = std::max(1, std::atoi(argv[2]));
  dd_set_global_constants();
  zonix::test::Scratch dir("redund_oracle");
  g_dir = &dir;
  if (zonix::test::find_tool("lrs").empty() || zonix::test::find_tool("redund").empty() || !dir.ok()) {
    std::printf("redund_oracle: no lrs or redund (package lrslib) or no scratch folder\n");
    return 1;
  }
  fam::Prng g(seed);
  Tally th, tv, ti, ts, ta;

  // H: random inequalities with implied rows mixed in, a third of them put
  // on a hyperplane (an equation), where rows plus multiples of the
  // equation define the same facet without being multiples of each other.
  for (int k = 0; k < 90 * times; ++k) {
    const int d = static_cast<int>(g.uniform(2, 6));
    const int m0 = static_cast<int>(g.uniform(d + 2, 30));
    Instance inst = fam::random_inequalities(m0, d, g.next(), static_cast<int>(g.uniform(3, 10)));
    add_redundant_rows(inst, m0, static_cast<int>(g.uniform(1, m0)), g);
    if (k % 3 == 2) {
      inst = fam::on_hyperplane(inst, g.next());
      const Row eq = inst.rows.back();
      for (int e = 0; e < 3; ++e) {
        const Row r = inst.rows[g.uniform(0, m0 - 1)];
        inst.rows.push_back(combine(r, fam::rat(1), eq, fam::rat(g.uniform(-3, 3))));
      }
    }
    shuffle(inst, g);
    inst.name += "#" + std::to_string(k);
    check_h(inst, th);
  }
  // Structured polytopes, where axis rays and LP vertices meet faces of
  // every dimension.
  for (int d = 2; d <= 6; ++d) {
    for (Instance base : {fam::hypercube(Rep::H, d), fam::cross_polytope(Rep::H, std::min(d, 5)),
                          fam::simplex(Rep::H, d)}) {
      const long m0 = base.rowcount();
      add_redundant_rows(base, m0, static_cast<int>(m0), g);
      shuffle(base, g);
      check_h(base, th);
    }
  }

  // V: random points with copies, combinations and rays; polytopes whose
  // points are all vertices, with points inside added.
  for (int k = 0; k < 60 * times; ++k) {
    const int d = static_cast<int>(g.uniform(2, 5));
    Instance inst;
    inst.name = "randpts-v-" + std::to_string(k);
    inst.rep = Rep::V;
    inst.cols = d + 1;
    const int n = static_cast<int>(g.uniform(d + 1, 30));
    for (int i = 0; i < n; ++i) {
      Row r{fam::rat(1)};
      for (int j = 0; j < d; ++j) r.push_back(fam::rat(g.uniform(-6, 6)));
      inst.rows.push_back(r);
    }
    if (k % 2 == 1) {
      for (int i = 0; i < 3; ++i) {
        // Rays with a positive first coordinate: a pointed cone, so that
        // the minimal representation is unique (with a line, any one point
        // would do).
        Row r{fam::rat(0), fam::rat(g.uniform(1, 3))};
        for (int j = 1; j < d; ++j) r.push_back(fam::rat(g.uniform(-3, 3)));
        inst.rows.push_back(r);
      }
    }
    const long base = inst.rowcount();
    inst = fam::with_combinations(inst, static_cast<int>(g.uniform(1, 8)), g.next());
    for (int c = 0; c < 4; ++c) {
      const Row a = inst.rows[g.uniform(0, base - 1)];
      // Copies of points, and of rays scaled.
      inst.rows.push_back(a[0].num != 0 ? a : combine(a, fam::rat(g.uniform(1, 4)), a, fam::rat(0)));
      const Row b = inst.rows[g.uniform(0, base - 1)];
      if (a[0].num == 0 && b[0].num == 0) inst.rows.push_back(combine(a, fam::rat(1), b, fam::rat(2)));
    }
    shuffle(inst, g);
    check_v(inst, tv, -1);
  }
  for (int d = 2; d <= 5; ++d) {
    struct Known {
      Instance inst;
      long vertices;
    };
    for (Known kn : {Known{fam::hypercube(Rep::V, d), 1L << d}, Known{fam::cross_polytope(Rep::V, d), 2L * d},
                     Known{fam::cyclic_polytope(Rep::V, 3 * d, d, 2), 3L * d},
                     Known{fam::sphere_points(4 * d, d, g.next()), 4L * d}}) {
      Instance inst = fam::with_combinations(kn.inst, 2 * d, g.next());
      inst = fam::repeat_rows(inst, 3);
      shuffle(inst, g);
      check_v(inst, tv, kn.vertices);
    }
  }

  // Implicit linearity: hyperplanes through the interior point 0 given as
  // pairs of opposite rows (one of them scaled), or as three rows that
  // force each other tight.
  for (int k = 0; k < 30 * times; ++k) {
    const int d = static_cast<int>(g.uniform(2, 5));
    const int m0 = static_cast<int>(g.uniform(2 * d + 2, 20));
    Instance inst = fam::random_inequalities(m0, d, g.next(), 8);
    long hidden = 0;
    const int kind = k % 3;
    auto normal = [&] {
      Row r{fam::rat(0)};
      for (int j = 0; j < d; ++j) r.push_back(fam::rat(g.uniform(-4, 4)));
      r[1] = fam::rat(g.uniform(1, 4));  // never zero
      return r;
    };
    if (kind == 0) {
      const Row a = normal();
      inst.rows.push_back(a);
      inst.rows.push_back(combine(a, fam::rat(-g.uniform(1, 3)), a, fam::rat(0)));
      hidden = 2;
    } else if (kind == 1) {
      Row a = normal(), b = normal();
      b[1] = fam::rat(0);  // keeps a and b independent
      b[2] = fam::rat(g.uniform(1, 3));
      inst.rows.push_back(a);
      inst.rows.push_back(b);
      inst.rows.push_back(combine(a, fam::rat(-1), b, fam::rat(-1)));
      hidden = 3;
    }
    shuffle(inst, g);
    inst.name += kind == 2 ? "+none" : "+hidden";
    check_implicit(inst, ti, hidden);
  }

  // Strong redundancy: polytopes with rows pushed outward (strongly
  // redundant) and rows that only touch (weakly redundant).
  for (int k = 0; k < 20 * times; ++k) {
    const int d = static_cast<int>(g.uniform(2, 4));
    Instance inst = k % 4 == 0 ? fam::hypercube(Rep::H, d)
                    : k % 4 == 1 ? fam::cross_polytope(Rep::H, d)
                                 : fam::random_inequalities(static_cast<int>(g.uniform(3 * d, 16)), d, g.next(), 6);
    add_redundant_rows(inst, inst.rowcount(), static_cast<int>(g.uniform(2, 8)), g);
    shuffle(inst, g);
    inst.name += "#s" + std::to_string(k);
    check_strong_h(inst, ts);
  }
  for (int d = 2; d <= 4; ++d) {
    for (Instance base : {fam::hypercube(Rep::V, d), fam::cross_polytope(Rep::V, d), fam::simplex(Rep::V, d)}) {
      Instance inst = fam::repeat_rows(fam::with_combinations(base, 3 * d, g.next()), 4);
      shuffle(inst, g);
      check_strong_v(inst, ts);
    }
  }

  // Adjacency.
  for (int d = 2; d <= 6; ++d) {
    const Instance cube = fam::hypercube(Rep::H, d);
    std::vector<Members> want(static_cast<size_t>(cube.rowcount()));
    for (long i = 1; i <= cube.rowcount(); ++i)
      for (long j = 1; j <= cube.rowcount(); ++j)
        if (i != j && !opposite(cube.rows[i - 1], cube.rows[j - 1])) want[i - 1].push_back(j);
    check_adjacency(cube, ta, want, false);
    check_adjacency(cube, ta, want, true);
  }
  for (int d = 2; d <= 5; ++d) {
    const Instance cross = fam::cross_polytope(Rep::H, d);
    const long m = cross.rowcount();
    std::vector<Members> want(static_cast<size_t>(m)), weak(static_cast<size_t>(m));
    for (long i = 1; i <= m; ++i)
      for (long j = 1; j <= m; ++j) {
        const long diff = sign_differences(cross.rows[i - 1], cross.rows[j - 1]);
        if (diff == 1) want[i - 1].push_back(j);
        // Facets that share a vertex touch; only the opposite one does not.
        if (diff >= 1 && diff < d) weak[i - 1].push_back(j);
      }
    check_adjacency(cross, ta, want, false);
    check_adjacency(cross, ta, weak, true);
    const Instance simplex = fam::simplex(Rep::H, d);
    std::vector<Members> all(static_cast<size_t>(simplex.rowcount()));
    for (long i = 1; i <= simplex.rowcount(); ++i)
      for (long j = 1; j <= simplex.rowcount(); ++j)
        if (i != j) all[i - 1].push_back(j);
    check_adjacency(simplex, ta, all, false);
  }
  for (int k = 0; k < 12 * times; ++k) {
    const int d = static_cast<int>(g.uniform(2, 4));
    Instance inst = fam::random_inequalities(static_cast<int>(g.uniform(3 * d, 14)), d, g.next(), 6);
    inst.name += "#a" + std::to_string(k);
    // With implied rows mixed in, some of which touch the polyhedron.
    add_redundant_rows(inst, inst.rowcount(), static_cast<int>(g.uniform(0, 4)), g);
    shuffle(inst, g);
    Members facets;
    auto want = adjacency_from_lrs(inst, &facets);
    if (!want) {
      ta.fail(inst, "no generators from lrs");
      continue;
    }
    // Only facets have a face of their own to compare.
    ++ta.run;
    std::string why;
    auto got = adjacency(dd_Matrix2Adjacency, inst, &why);
    if (!got) {
      ta.fail(inst, why);
      continue;
    }
    for (long i : facets) {
      if ((*got)[i - 1] != (*want)[i - 1]) {
        ta.fail(inst, "facet " + std::to_string(i) + " adjacent to " + list((*got)[i - 1]) +
                          ", lrs says " + list((*want)[i - 1]));
        break;
      }
    }
  }

  const int failed = th.failed + tv.failed + ti.failed + ts.failed + ta.failed;
  std::printf("redund_oracle: H %d/%d, V %d/%d, implicit linearity %d/%d, strong %d/%d, "
              "adjacency %d/%d agree\n",
              th.run - th.failed, th.run, tv.run - tv.failed, tv.run, ti.run - ti.failed, ti.run,
              ts.run - ts.failed, ts.run, ta.run - ta.failed, ta.run);
  return failed == 0 ? 0 : 1;
}
