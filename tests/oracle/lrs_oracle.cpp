// The double description engine against lrs, an exact vertex/facet
// enumerator.  Each instance of suite() is converted by the library, in
// double and in exact arithmetic, and by lrs; the answers are compared as
// sets of rows: linearity rows as subspaces, the others projected off that
// subspace and scaled to largest entry 1, to a tolerance in double and as
// equal rationals in exact.  The library's adjacency is compared with the
// graph that lrs's rows give by incidence with the input.  Instances past
// the engine's double arithmetic are known failures there ("xfail"); exact
// arithmetic must get every instance right.
//
//   lrs_oracle [--only TEXT]
#include <type_traits>

#include "../support/oracle.hpp"

using namespace zonix::test;
using fam::Instance, fam::Rational, fam::Rep;

namespace {

using Output = LrsBlock;
template <class N>
using Rows = std::vector<std::vector<N>>;

constexpr Real kMatchTol = 1e-6L;  // the engine's doubles against exact rows
constexpr Real kSameTol = 1e-9L;   // closer than this, two rows repeat
constexpr std::size_t kMaxAdjacencyRows = 1500;  // the graph check is cubic

// Rationals are compared exactly, long doubles to tol times scale.
bool negligible(Real x, Real scale, Real tol) { return std::fabs(x) <= tol * scale; }
bool negligible(const mpq_class &x, const mpq_class &, Real) { return sgn(x) == 0; }
template <class N>
const Rows<N> &rows_in(const Output &o)
{
  if constexpr (std::is_same_v<N, Real>) return o.rows;
  else return o.exact;
}

// r minus its projection on the orthogonal rows q (twice, for stability).
template <class N>
std::vector<N> residual(std::vector<N> r, const Rows<N> &q)
{
  for (int pass = 0; pass < 2; ++pass)
    for (const auto &b : q) {
      const N c = dot(r, b) / dot(b, b);
      for (std::size_t j = 0; j < r.size(); ++j) r[j] -= c * b[j];
    }
  return r;
}
template <class N>
bool small(const std::vector<N> &r, const std::vector<N> &of, Real tol) { return negligible(maxabs(r), maxabs(of), tol); }
template <class N>
Rows<N> orthogonal_basis(const Rows<N> &rows)
{
  Rows<N> q;
  for (const auto &v : rows)
    if (auto r = residual(v, q); !small(r, v, 1e-9L)) q.push_back(r);
  return q;
}
template <class N>
bool is_point(const std::vector<N> &v) { return !negligible(v[0], N(1), 1e-9L); }
template <class N>
bool is_origin(const std::vector<N> &v)
{
  for (std::size_t j = 1; j < v.size(); ++j)
    if (!negligible(v[j], mag(v[0]), 1e-9L)) return false;
  return is_point(v);
}
template <class N>
std::string show(const std::vector<N> &v)
{
  std::string s = "(";
  for (std::size_t j = 0; j < v.size(); ++j)
    s += (j ? ", " : "") + std::to_string(as_double(is_point(v) ? N(v[j] / v[0]) : v[j]));
  return s + ")";
}
template <class N>
N distance(const std::vector<N> &a, const std::vector<N> &b)  // max norm
{
  N d = 0;
  for (std::size_t j = 0; j < a.size(); ++j) d = std::max<N>(d, mag(N(a[j] - b[j])));
  return d;
}
// The row of rows nearest to c within tol, or -1.
template <class N>
long nearest(const Rows<N> &rows, const std::vector<N> &c, Real tol, const std::vector<bool> &used = {})
{
  long best = -1;
  for (std::size_t k = 0; k < rows.size(); ++k)
    if ((used.empty() || !used[k]) && negligible(distance(rows[k], c), N(1), tol) &&
        (best < 0 || distance(rows[k], c) < distance(rows[best], c)))
      best = static_cast<long>(k);
  return best;
}

struct ZonixResult { Output out; std::vector<Members> adjacency; long ground = -1; };  // -1: no adjacency family

// ---- the two sides ---------------------------------------------------------------

const Scratch *g_dir = nullptr;

bool has_point(const Instance &inst)
{
  for (long i = 0; i < inst.rowcount(); ++i)
    if (inst.rows[i][0].num != 0 && !inst.is_linearity(i + 1)) return true;
  return false;
}

// lrs reads a V-representation only with a point: a cone gets its apex.
std::optional<Output> lrs_of(Instance inst, std::string *err)
{
  if (inst.rep == Rep::V && !has_point(inst)) {
    inst.rows.push_back(std::vector<Rational>(static_cast<std::size_t>(inst.cols), fam::rat(0)));
    inst.rows.back()[0] = fam::rat(1);
  }
  return run_lrs(*g_dir, inst, err);
}

std::optional<ZonixResult> run_zonix(const Instance &inst, Arithmetic a, std::string *err, dd_ErrorType *code)
{
  zonix::Matrix M(fam::to_matrix(inst));
  zonix::ConvertOptions o;
  o.arithmetic = a, o.adjacency = true;
  const zonix::QMatrix Q = to_qmatrix(inst);
  const zonix::Conversion c = zonix::convert(M.get(), o, a == Arithmetic::Exact ? &Q : nullptr);
  const bool h = inst.rep == Rep::H;
  const dd_MatrixPtr R = c.output.get();
  if ((*code = c.error) != dd_NoError) return *err = "error " + std::to_string(c.error), std::nullopt;
  if (R == nullptr || R->colsize != inst.cols || R->representation != (h ? dd_Generator : dd_Inequality) ||
      c.exact != (a == Arithmetic::Exact) || (c.exact && c.rational.rows != R->rowsize))
    return *err = "no output matrix of the right kind", std::nullopt;
  ZonixResult z;
  z.out.inequalities = !h;
  for (const auto &r : rows_of(R)) z.out.rows.emplace_back(r.begin(), r.end());
  for (long i = 0; c.exact && i < R->rowsize; ++i)
    z.out.exact.emplace_back(c.rational.entries.begin() + i * R->colsize, c.rational.entries.begin() + (i + 1) * R->colsize);
  for (long i = 1; i <= R->rowsize; ++i) z.out.lin.push_back(set_member(i, R->linset) != 0);
  z.adjacency = members(c.adjacency.get());
  z.ground = c.adjacency ? c.adjacency->setsize : -1;
  return z;
}

// ---- comparison ---------------------------------------------------------------------

// An H input with a zero first column implies the apex; a V input without
// a point got the origin for lrs.
struct Context { bool h_input = true, homogeneous_h = false, v_cone = false; };
Context context_of(const Instance &inst)
{
  const bool h = inst.rep == Rep::H;
  return {h, h && !inst.has_nonzero_first_column(), !h && !has_point(inst)};
}

// The candidate (the library's answer) against lrs's; match maps the
// candidate's rows to lrs's (-1 for linearity rows).
template <class N>
Verdict compare(const Context &ctx, const Output &cand, const Output &lrs, std::vector<long> *match, std::string *summary)
{
  using V = std::vector<N>;
  Verdict v;
  match->assign(cand.rows.size(), -1);
  if (cand.inequalities != lrs.inequalities) return v.fail("representation differs"), v;
  if (lrs.infeasible) {
    for (const V &r : rows_in<N>(cand))
      if (is_point(r)) return v.fail("lrs finds no feasible point, zonix has " + show(r)), v;
    *summary = "infeasible, " + std::to_string(cand.rows.size()) + " rows without a point";
    return v;
  }
  Rows<N> clin, llin, crest, lrest;
  std::vector<long> cidx, lidx;
  for (std::size_t i = 0; i < cand.rows.size(); ++i) {
    V r = rows_in<N>(cand)[i];
    if (ctx.homogeneous_h && cand.lin[i]) r[0] = 0;  // x0 is free here
    if (cand.lin[i]) clin.push_back(r);
    else crest.push_back(r), cidx.push_back(static_cast<long>(i));
  }
  for (std::size_t i = 0; i < lrs.rows.size(); ++i)
    if (lrs.lin[i]) llin.push_back(rows_in<N>(lrs)[i]);
    else lrest.push_back(rows_in<N>(lrs)[i]), lidx.push_back(static_cast<long>(i));
  bool origin_only = false;
  if (ctx.homogeneous_h) {
    // lrs prints the apex as a vertex; the library only when nothing else is.
    auto drop_points = [&](Rows<N> &rows, std::vector<long> &idx, const char *who) {
      long n = 0;
      for (std::size_t i = rows.size(); i-- > 0;)
        if (is_point(rows[i])) {
          if (!is_origin(rows[i])) v.fail(std::string(who) + " has a point " + show(rows[i]) + " for a cone");
          ++n;
          rows.erase(rows.begin() + static_cast<long>(i));
          idx.erase(idx.begin() + static_cast<long>(i));
        }
      return n;
    };
    if (drop_points(lrest, lidx, "lrs") != 1) v.fail("lrs gives no single apex");
    const long c = drop_points(crest, cidx, "zonix");
    origin_only = c == 1 && crest.empty() && clin.empty();
    if (c > 1 || (c == 1 && !origin_only)) v.fail("zonix lists the origin beside other rows");
    if (!v.ok) return v;
  }
  const auto qc = orthogonal_basis(clin), ql = orthogonal_basis(llin);
  if (qc.size() != ql.size())
    v.fail("linearity dimension " + std::to_string(qc.size()) + ", lrs " + std::to_string(ql.size()));
  for (const V &r : clin)
    if (!small(residual(r, ql), r, 1e-7L)) v.fail("zonix linearity row " + show(r) + " not in lrs's");
  for (const V &r : llin)
    if (!small(residual(r, qc), r, 1e-7L)) v.fail("lrs linearity row " + show(r) + " not in zonix's");
  if (!v.ok) return v;
  // Unique forms: off the linearity space, largest entry 1.
  auto canon = [&](const V &r) {
    V p = residual(r, ql);
    const N m = maxabs(p);
    if (small(p, r, 1e-9L)) return V();
    for (N &x : p) x /= m;
    return p;
  };
  Rows<N> lc, cc;
  std::vector<long> lc_index;
  for (std::size_t i = 0; i < lrest.size(); ++i) {
    const V c = canon(lrest[i]);
    if (c.empty() || (ctx.v_cone && is_origin(c)) || nearest(lc, c, 1e-12L) >= 0) continue;
    lc.push_back(c), lc_index.push_back(lidx[i]);
  }
  for (std::size_t a = 0; a < crest.size(); ++a) {
    const V c = canon(crest[a]);
    if (c.empty()) return v.fail("zonix row " + show(crest[a]) + " lies in the linearity space"), v;
    if (nearest(cc, c, kSameTol) >= 0) v.fail("zonix repeats " + show(crest[a]));
    cc.push_back(c);
  }
  std::vector<bool> used(lc.size(), false);
  long extra = 0, points = 0;
  for (std::size_t a = 0; a < cc.size(); ++a) {
    points += is_point(crest[a]);
    const long found = nearest(lc, cc[a], kMatchTol, used);
    if (found < 0) {
      if (extra++ == 0) v.fail("not in lrs: " + show(crest[a]));
      continue;
    }
    used[found] = true;
    (*match)[cidx[a]] = lc_index[found];
  }
  for (std::size_t b = 0; b < used.size(); ++b)
    if (!used[b]) return v.fail("missing: " + show(lrs.rows[lc_index[b]])), v;
  if (cand.inequalities) *summary = std::to_string(cc.size()) + " facets, " + std::to_string(qc.size()) + " equations";
  else if (origin_only) *summary = "only the origin";
  else
    *summary = std::to_string(points) + " vertices, " + std::to_string(cc.size() - points) + " rays, " +
               std::to_string(qc.size()) + " lines";
  return v;
}

// ---- adjacency ------------------------------------------------------------------------

// The input rows (and x0 >= 0 for an inhomogeneous H input) or generators:
// the instance's, or in exact runs those of the library's doubles.
template <class N>
Rows<N> incidence_rows(const Instance &inst, const Context &ctx)
{
  Rows<N> rows;
  for (const auto &r : inst.rows) {
    rows.emplace_back();
    for (const auto &x : r)
      if constexpr (std::is_same_v<N, Real>) rows.back().push_back(fam::to_long_double(x));
      else rows.back().push_back(mpq_class(mpz_class(static_cast<long>(x.num)), mpz_class(static_cast<long>(x.den))));
  }
  if (ctx.h_input && !ctx.homogeneous_h) rows.push_back(std::vector<N>(static_cast<std::size_t>(inst.cols), 0)), rows.back()[0] = 1;
  return rows;
}

// Two extreme rays are adjacent iff no third lies on every constraint both
// lie on.
template <class N>
std::vector<std::vector<bool>> graph_by_incidence(const Rows<N> &rays, const Rows<N> &cons)
{
  const std::size_t n = rays.size(), m = cons.size();
  std::vector<std::vector<bool>> z(n, std::vector<bool>(m)), adj(n, std::vector<bool>(n, false));
  for (std::size_t k = 0; k < n; ++k)
    for (std::size_t i = 0; i < m; ++i) {
      N s = 0, size = 1;
      for (std::size_t j = 0; j < cons[i].size(); ++j) s += cons[i][j] * rays[k][j], size += mag(N(cons[i][j] * rays[k][j]));
      z[k][i] = negligible(s, size, 1e-12L);
    }
  for (std::size_t a = 0; a < n; ++a)
    for (std::size_t b = a + 1; b < n; ++b) {
      bool adjacent = true;
      for (std::size_t c = 0; c < n && adjacent; ++c) {
        if (c == a || c == b) continue;
        bool contains = true;
        for (std::size_t i = 0; i < m && contains; ++i) contains = !(z[a][i] && z[b][i]) || z[c][i];
        adjacent = !contains;
      }
      adj[a][b] = adj[b][a] = adjacent;
    }
  return adj;
}

// The library's adjacency family against lrs's graph; linearity rows are
// adjacent to every other row, and no row to itself.
template <class N>
void check_adjacency(const Instance &inst, const Context &ctx, const Output &cand, const ZonixResult &z,
                     const Output &lrs, const std::vector<long> &match, Verdict *v, std::string *summary)
{
  const std::size_t n = cand.rows.size();
  if (n > kMaxAdjacencyRows) return void(*summary += ", adjacency not checked");
  if (z.adjacency.size() != n || z.ground != static_cast<long>(n))
    return v->fail("no adjacency family of " + std::to_string(n) + " sets");
  std::vector<long> nonlin;
  Rows<N> lrows;
  for (std::size_t k = 0; k < n; ++k)
    if (!cand.lin[k] && match[k] >= 0)
      nonlin.push_back(static_cast<long>(k)), lrows.push_back(rows_in<N>(lrs)[match[k]]);
  const auto graph = graph_by_incidence(lrows, incidence_rows<N>(inst, ctx));
  std::vector<std::vector<bool>> want(n, std::vector<bool>(n, false));
  for (std::size_t a = 0; a < nonlin.size(); ++a)
    for (std::size_t b = 0; b < nonlin.size(); ++b) want[nonlin[a]][nonlin[b]] = graph[a][b];
  for (std::size_t k = 0; k < n; ++k)
    for (std::size_t x = 0; x < n && cand.lin[k]; ++x) want[k][x] = want[x][k] = x != k;
  long edges = 0, wrong = 0;
  for (std::size_t k = 0; k < n; ++k) {
    std::vector<bool> got(n, false);
    for (long x : z.adjacency[k]) got[x - 1] = true;
    for (std::size_t x = 0; x < n; ++x) {
      edges += got[x] && x > k && !cand.lin[k] && !cand.lin[x];
      if (got[x] != want[k][x] && wrong++ == 0)
        v->fail("rows " + std::to_string(k + 1) + " and " + std::to_string(x + 1) +
                (got[x] ? " adjacent in zonix only" : " adjacent in lrs only"));
    }
  }
  *summary += ", " + std::to_string(edges) + " edges";
}

std::vector<std::vector<Rational>> int_rows(std::initializer_list<std::initializer_list<long>> rows)
{
  std::vector<std::vector<Rational>> out;
  for (auto &r : rows) {
    out.emplace_back();
    for (long x : r) out.back().push_back(fam::rat(x));
  }
  return out;
}
Instance hand(std::string name, Rep rep, std::initializer_list<std::initializer_list<long>> rows,
              std::vector<long> lin = {})
{
  Instance inst{std::move(name), rep, 0, int_rows(rows), std::move(lin)};
  inst.cols = static_cast<long>(inst.rows.at(0).size());
  return inst;
}
Instance renamed(Instance inst, std::string name) { return inst.name = std::move(name), inst; }

std::vector<Instance> suite()
{
  std::vector<Instance> s;
  // Polytopes in both directions.
  for (int d = 2; d <= 8; ++d)
    for (Rep r : {Rep::H, Rep::V}) s.push_back(fam::hypercube(r, d)), s.push_back(fam::cross_polytope(r, d));
  for (int d : {2, 3, 5, 8}) s.push_back(fam::simplex(Rep::H, d)), s.push_back(fam::simplex(Rep::V, d));
  for (auto [n, d] : {std::pair{8, 3}, {10, 4}, {19, 4}, {12, 5}, {11, 6}}) s.push_back(fam::cyclic_polytope(Rep::V, n, d));
  for (auto [n, d] : {std::pair{8, 3}, {10, 4}, {11, 5}, {11, 6}}) s.push_back(fam::cyclic_polytope(Rep::H, n, d));
  s.push_back(fam::cyclic_polytope(Rep::V, 13, 6, 4));
  s.push_back(fam::cyclic_polytope(Rep::H, 12, 6, 7));  // once a listed numerical failure
  for (auto [r, a, b] : {std::tuple{Rep::H, 2, 3}, {Rep::V, 2, 3}, {Rep::H, 1, 4}, {Rep::V, 3, 3}})
    s.push_back(fam::simplex_product(r, a, b));
  for (auto [n, d, seed] : {std::tuple{20, 3, 1}, {30, 4, 2}, {25, 5, 3}}) s.push_back(fam::sphere_points(n, d, seed));
  for (auto [m, d, seed] : {std::tuple{20, 3, 1}, {30, 4, 2}, {40, 5, 3}}) s.push_back(fam::random_inequalities(m, d, seed));
  // Unbounded: cones, half-spaces, cylinders with lines, shifted cones.
  s.push_back(hand("halfspace-h-3", Rep::H, {{2, 1, -1, 3}}));
  s.push_back(hand("orthant-shifted-h-3", Rep::H, {{-1, 1, 0, 0}, {-1, 0, 1, 0}, {-1, 0, 0, 1}}));
  for (Rep r : {Rep::H, Rep::V}) s.push_back(fam::cylinder(fam::hypercube(r, 2)));
  s.push_back(fam::cylinder(fam::cylinder(fam::cross_polytope(Rep::H, 2))));
  for (auto [m, d, seed] : {std::tuple{8, 3, 4}, {12, 4, 5}}) s.push_back(fam::random_cone(m, d, seed));
  s.push_back(fam::translate(fam::random_cone(10, 4, 6), {1, -2, 3, 0}));
  s.push_back(hand("point-rays-v-3", Rep::V, {{1, 1, 1, 1}, {0, 1, 0, 0}, {0, 1, 1, 0}, {0, 0, 0, 1}, {0, 1, 1, 1}}));
  s.push_back(hand("point-ray-line-v-3", Rep::V, {{1, 0, 2, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}}, {3}));
  s.push_back(hand("strip-h-2", Rep::H, {{1, 1, 0}, {1, -1, 0}}));
  // Homogeneous cones.
  s.push_back(fam::cone_over(fam::hypercube(Rep::V, 3)));
  s.push_back(fam::append_rows(fam::cone_over(fam::cross_polytope(Rep::V, 3)), int_rows({{1, 0, 0, 0, 0}})));
  s.push_back(hand("wedge-h-3", Rep::H, {{0, 1, 0, 0}, {0, 0, 1, 0}}));
  s.push_back(hand("cone-lines-v-3", Rep::V, {{0, 1, 1, 0}, {0, 1, -1, 0}, {0, 0, 0, 1}}, {3}));
  // Lower-dimensional inputs.
  for (Rep r : {Rep::H, Rep::V}) s.push_back(fam::on_hyperplane(fam::hypercube(r, 3), 7));
  s.push_back(fam::on_hyperplane(fam::cross_polytope(Rep::V, 3), 8));
  s.push_back(fam::on_hyperplane(fam::on_hyperplane(fam::simplex(Rep::V, 3), 9), 10));
  s.push_back(hand("simplex-eq-h-4", Rep::H,
                   {{0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}, {-1, 1, 1, 1, 1}}, {5}));
  s.push_back(fam::repeat_rows(fam::on_hyperplane(fam::cross_polytope(Rep::H, 3), 11), 1));
  s.push_back(renamed(fam::cylinder(fam::sphere_points(12, 3, 4)), "sphere-v-12-3+line"));
  s.push_back(hand("segment-v-4", Rep::V, {{1, 0, 0, 0, 0}, {1, 1, 2, 3, 4}}));
  // Degenerate inputs.
  s.push_back(fam::repeat_rows(fam::hypercube(Rep::H, 3), 1));
  s.push_back(fam::scaled_copies(fam::cross_polytope(Rep::H, 3), fam::rat(5, 2), 2));
  s.push_back(fam::append_rows(fam::hypercube(Rep::H, 3), int_rows({{2, -1, 0, 0}, {3, 1, 1, 0}, {5, 1, 1, 1}})));
  for (const Instance &base : {fam::hypercube(Rep::H, 3), fam::hypercube(Rep::V, 3), fam::cross_polytope(Rep::H, 3)})
    s.push_back(fam::pyramid(base));
  s.push_back(fam::with_combinations(fam::hypercube(Rep::V, 3), 6, 12));
  s.push_back(fam::repeat_rows(fam::hypercube(Rep::V, 4), 3));
  s.push_back(fam::scaled_copies(fam::cone_over(fam::simplex(Rep::V, 2)), fam::rat(3), 1));
  s.push_back(fam::with_combinations(fam::sphere_points(15, 4, 5), 10, 13));
  // Degenerate cones from applications, and B(4) by its vertices.
  for (int n : {3, 4}) s.push_back(fam::magic_squares(n));
  for (auto [p, q, r] : {std::tuple{2, 2, 2}, {3, 2, 2}}) s.push_back(fam::contingency_cone(p, q, r));
  s.push_back(fam::birkhoff_vertices(4));
  for (Rep r : {Rep::H, Rep::V}) s.push_back(fam::knapsack_cone(r, 8, 2));
  // Infeasible systems, and the single origin.
  s.push_back(hand("infeasible-h-1", Rep::H, {{-1, 1}, {0, -1}}));
  s.push_back(hand("infeasible-line-h-2", Rep::H, {{-1, 1, 0}, {0, -1, 0}}));
  s.push_back(renamed(fam::append_rows(fam::hypercube(Rep::H, 3), int_rows({{-2, 1, 0, 0}})), "cube-h-3+infeasible-cut"));
  s.push_back(hand("infeasible-eq-h-3", Rep::H, {{1, 1, 1, 1}, {-2, 1, 1, 1}, {1, 1, 0, 0}}, {1, 2}));
  s.push_back(hand("origin-cone-h-3", Rep::H, {{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {0, -1, -1, -1}}));
  s.push_back(hand("origin-h-2", Rep::H, {{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}, {1, 0, 0}}));
  s.push_back(hand("origin-v-3", Rep::V, {{1, 0, 0, 0}}));
  return s;
}

// Past what double arithmetic resolves (terms of 1e8 and more): these must
// end in dd_NumericallyInconsistent, never in an answer lrs disagrees with.
std::vector<Instance> known_numerical_failures()
{
  return {fam::cyclic_polytope(Rep::V, 20, 9), fam::cyclic_polytope(Rep::V, 22, 8),
          fam::cyclic_polytope(Rep::H, 14, 7)};
}

std::string input_summary(const Instance &inst)
{
  return " (from " + std::to_string(inst.rowcount()) + (inst.rep == Rep::H ? " inequalities)" : " generators)");
}

// Double: known failures must end in dd_NumericallyInconsistent; exact
// must be right everywhere.
void check_with_zonix(const Instance &inst, Arithmetic a, const Output &lrs, Tally *tally, bool known_failure)
{
  std::string err, summary;
  Verdict v;
  dd_ErrorType code = dd_NoError;
  const std::string name = inst.name + " [" + name_of(a) + "]";
  const auto z = run_zonix(inst, a, &err, &code);
  if (known_failure && code == dd_NumericallyInconsistent)
    return tally->report(name, v, "ends in dd_NumericallyInconsistent, as listed");
  if (!z) return v.fail(err), tally->report(name, v);
  const Context ctx = context_of(inst);
  std::vector<long> match;
  v = a == Arithmetic::Exact ? compare<mpq_class>(ctx, z->out, lrs, &match, &summary)
                             : compare<Real>(ctx, z->out, lrs, &match, &summary);
  if (v.ok && !lrs.infeasible)
    (a == Arithmetic::Exact ? check_adjacency<mpq_class> : check_adjacency<Real>)(inst, ctx, z->out, *z, lrs, match, &v, &summary);
  if (known_failure && v.ok) summary += "; listed to fail, now agrees with lrs: take it off the list";
  tally->report(name, v, summary + input_summary(inst));
}

}  // namespace

int main(int argc, char **argv)
{
  const std::string only = argc > 2 && std::string(argv[1]) == "--only" ? argv[2] : "";  // --only TEXT
  Tally tally;
  Scratch dir("lrs_oracle");
  g_dir = &dir;
  if (find_tool("lrs").empty() || !dir.ok()) return tally.fail("setup", "no lrs (package lrslib) or no scratch folder"), tally.finish(argv[0]);
  dd_set_global_constants();
  for (bool known : {false, true})
    for (const Instance &inst : known ? known_numerical_failures() : suite()) {
      if (inst.name.find(only) == std::string::npos) continue;
      std::string err;
      const auto lrs = lrs_of(inst, &err);
      if (lrs) check_with_zonix(inst, Arithmetic::Double, *lrs, &tally, known);
      if (lrs) check_with_zonix(inst, Arithmetic::Exact, *lrs, &tally, false);
      else tally.fail(inst.name, "lrs: " + err);
    }
  return tally.finish("lrs_oracle");
}
