// The redundancy queries against lrs and redund (exact rational
// arithmetic), one table of families, one check per kind of answer:
//   H       the rows dd_RedundantRows keeps are redund's facets, the first
//           row of each; dd_RedundantRowsViaShooting agrees.
//   V       the points and rays kept are redund's, the first copy of each.
//   implicit linearity, strong redundancy
//           from lrs's generators (or facets) by incidence.
//   adjacency  cube, cross-polytope and simplex facets by mathematics;
//           random polytopes by the rank of the generators two rows share.
// H and V run once per method of dd_RedundantRowsWith.  Two rows define
// the same facet exactly when the same generators of lrs's
// V-representation lie on them.  Usage: redund_oracle [seed [times]].
#include <functional>
#include <map>
#include <numeric>
#include <set>

#include "../support/oracle.hpp"
#include "families_redundant.h"

using namespace zonix::test;
using fam::Instance, fam::Rep;

namespace {

using FRow = std::vector<fam::Rational>;
const Scratch *g_dir = nullptr;
constexpr Real kTight = 1e-12L;  // lrs's generators are exact: above this is a sign

FRow combine(const FRow &a, fam::Rational la, const FRow &b, fam::Rational lb)
{
  FRow r(a.size());
  for (size_t j = 0; j < a.size(); ++j)
    r[j] = fam::rat(la.num * a[j].num * lb.den * b[j].den + lb.num * b[j].num * la.den * a[j].den,
                    la.den * a[j].den * lb.den * b[j].den);
  return r;
}

// Moves the rows into a random order, carrying the linearity numbers.
void shuffle(Instance &inst, fam::Prng &g)
{
  const long m = inst.rowcount();
  std::vector<long> perm(static_cast<size_t>(m));
  std::iota(perm.begin(), perm.end(), 0);
  for (long i = m - 1; i > 0; --i) std::swap(perm[i], perm[g.uniform(0, i)]);
  std::vector<FRow> rows;
  Members lin;
  for (long k = 0; k < m; ++k) {
    rows.push_back(inst.rows[perm[k]]);
    if (inst.is_linearity(perm[k] + 1)) lin.push_back(k + 1);
  }
  inst.rows = std::move(rows);
  inst.linearity = std::move(lin);
}

// Appends rows implied by the first `base`: copies, positive multiples,
// sums of two pushed outward (never tight) or not (tight where both are),
// and 1 >= 0.
void add_redundant_rows(Instance &inst, long base, int count, fam::Prng &g)
{
  for (int t = 0; t < count; ++t) {
    const FRow a = inst.rows[g.uniform(0, base - 1)], b = inst.rows[g.uniform(0, base - 1)];
    FRow r(a.size(), fam::rat(0));
    switch (g.uniform(0, 4)) {
      case 0: r = a; break;
      case 1: r = combine(a, fam::rat(g.uniform(1, 3), g.uniform(1, 2)), a, fam::rat(0)); break;
      case 2:
        r = combine(a, fam::rat(g.uniform(1, 3)), b, fam::rat(g.uniform(1, 3)));
        r[0] = combine({r[0]}, fam::rat(1), {fam::rat(g.uniform(1, 5))}, fam::rat(1))[0];
        break;
      case 3: r = combine(a, fam::rat(g.uniform(1, 3)), b, fam::rat(g.uniform(1, 3))); break;
      default: r[0] = fam::rat(1);
    }
    inst.rows.push_back(r);
  }
}

// ---- the answers -------------------------------------------------------------------

template <class R>
R ours(R (*f)(dd_MatrixPtr, dd_ErrorType *), const Instance &inst, std::string *why)
{
  zonix::Matrix M(fam::to_matrix(inst));
  dd_ErrorType err = dd_NoError;
  R s = f(M.get(), &err);
  if (err != dd_NoError || s == nullptr) *why = "library error " + std::to_string(err);
  return s;
}
std::optional<Members> members_of(dd_rowset s) { return s ? std::optional(members(zonix::Set(s).get())) : std::nullopt; }
// The method of the redundancy removal under test (H and V checks run
// once per method).
dd_RedundancyMethod g_method = dd_RedundancyAuto;
std::optional<Members> ours_rows(zonix::RowQuery q, Arithmetic a, const Instance &inst, std::string *why)
{
  zonix::Matrix M(fam::to_matrix(inst));
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  const zonix::QMatrix Q = to_qmatrix(inst);
  auto rows = members_of(
      zonix::row_query(M.get(), q, a, &err, &exact, a == Arithmetic::Exact ? &Q : nullptr, g_method));
  if (err != dd_NoError || !rows || exact != (a == Arithmetic::Exact)) return *why = "library error " + std::to_string(err), std::nullopt;
  return rows;
}

Real relative_value(const Vec &row, const Vec &gen)
{
  return dot(row, gen) / std::max<Real>(1, maxabs(row) * maxabs(gen));
}
std::vector<std::vector<bool>> incidence(const Instance &inst, const LrsBlock &gens)
{
  std::vector<std::vector<bool>> inc;
  for (const FRow &r : inst.rows) {
    inc.emplace_back();
    for (const Vec &g : gens.rows) inc.back().push_back(std::fabs(relative_value(to_vec(r), g)) <= kTight);
  }
  return inc;
}
long rank_of(std::vector<Vec> a)
{
  long rank = 0;
  for (size_t col = 0; !a.empty() && col < a[0].size() && rank < static_cast<long>(a.size()); ++col) {
    auto best = std::max_element(a.begin() + rank, a.end(), [&](const Vec &x, const Vec &y) {
      return std::fabs(x[col]) < std::fabs(y[col]);
    });
    if (std::fabs((*best)[col]) <= 1e-12L) continue;
    std::swap(*best, a[static_cast<size_t>(rank)]);
    const Vec p = a[static_cast<size_t>(rank)];
    for (size_t i = 0; i < a.size(); ++i)
      if (i != static_cast<size_t>(rank))
        for (size_t j = a[0].size(); j-- > col;) a[i][j] -= a[i][col] / p[col] * p[j];
    ++rank;
  }
  return rank;
}
// Rows not removed and no equations.
Members kept_rows(const Instance &inst, const Members &removed)
{
  Members k;
  for (long i = 1; i <= inst.rowcount(); ++i)
    if (!inst.is_linearity(i) && !std::binary_search(removed.begin(), removed.end(), i)) k.push_back(i);
  return k;
}
// Points at first entry 1, rays at largest entry 1.
Vec normal_form(Vec v)
{
  const Real s = v[0] != 0 ? v[0] : maxabs(v);
  for (Real &x : v) x /= s;
  return v;
}
bool same(const Vec &a, const Vec &b)
{
  for (size_t j = 0; j < a.size(); ++j)
    if (std::fabs(a[j] - b[j]) > 1e-12L * std::max<Real>(1, std::fabs(b[j]))) return false;
  return true;
}

// ---- one check per kind ---------------------------------------------------------------

struct Case {
  Instance inst;
  long expect = -1;          // vertices kept (V), rows hidden (implicit)
  std::vector<Members> want;  // adjacency by mathematics; empty: from lrs
  bool weak = false;
  bool double_only = false;  // too large for the exact runs
  Case(Instance i, long e = -1, std::vector<Members> w = {}, bool wk = false)
      : inst(std::move(i)), expect(e), want(std::move(w)), weak(wk) {}
};
using Check = std::string (*)(const Case &, Arithmetic);

std::string check_h(const Case &c, Arithmetic a)
{
  const Instance &inst = c.inst;
  std::string why;
  auto mine = ours_rows(zonix::RowQuery::Redundant, a, inst, &why);
  if (!mine) return why;
  auto theirs = run_redund(*g_dir, inst);
  auto gens = run_lrs(*g_dir, inst, &why);
  if (!theirs || !gens) return "no answer from redund or lrs: " + why;
  for (long r : *mine)
    if (inst.is_linearity(r)) return "equation " + std::to_string(r) + " removed";
  const auto inc = incidence(inst, *gens);
  const Members kz = kept_rows(inst, *mine), kl = kept_rows(inst, *theirs);
  std::set<std::vector<bool>> cz, cl;
  for (long i : kz) cz.insert(inc[i - 1]);
  for (long i : kl) cl.insert(inc[i - 1]);
  if (cz.size() != kz.size()) return "two kept rows define the same face: kept " + show(kz);
  if (cz != cl) return "kept " + show(kz) + ", redund keeps " + show(kl);
  for (long i : kz)
    for (long j = 1; j < i; ++j)
      if (!inst.is_linearity(j) && inc[j - 1] == inc[i - 1])
        return "kept row " + std::to_string(i) + " but row " + std::to_string(j) + " defines the same facet";
  if (a == Arithmetic::Exact || g_method != dd_RedundancyAuto) return "";
  auto shot = members_of(ours(dd_RedundantRowsViaShooting, inst, &why));
  if (!shot) return "shooting: " + why;
  return *shot == *mine ? "" : "shooting removes " + show(*shot) + ", the LP loop " + show(*mine);
}

std::string check_v(const Case &c, Arithmetic a)
{
  std::string why;
  auto mine = ours_rows(zonix::RowQuery::Redundant, a, c.inst, &why);
  if (!mine) return why;
  // redund once per instance: the large ones take seconds.
  static std::map<std::string, Members> known;
  if (known.count(c.inst.name) == 0) {
    auto r = run_redund(*g_dir, c.inst);
    if (!r) return "no answer from redund";
    known[c.inst.name] = *r;
  }
  const std::optional<Members> theirs = known[c.inst.name];
  const Members kz = kept_rows(c.inst, *mine), kl = kept_rows(c.inst, *theirs);
  if (c.expect >= 0 && static_cast<long>(kz.size()) != c.expect)
    return "kept " + std::to_string(kz.size()) + " rows of " + std::to_string(c.expect) + " vertices";
  std::vector<Vec> nf;
  for (const FRow &r : c.inst.rows) nf.push_back(normal_form(to_vec(r)));
  auto covers = [&](const Members &a, const Members &b) {
    return std::all_of(a.begin(), a.end(), [&](long i) {
      return std::any_of(b.begin(), b.end(), [&](long j) { return same(nf[i - 1], nf[j - 1]); });
    });
  };
  if (kz.size() != kl.size() || !covers(kz, kl) || !covers(kl, kz)) return "kept " + show(kz) + ", redund keeps " + show(kl);
  for (long i : kz)
    for (long j = 1; j < i; ++j)
      if (same(nf[j - 1], nf[i - 1])) return "kept row " + std::to_string(i) + ", a copy of row " + std::to_string(j);
  return "";
}

// Rows of lrs's answer by a rule on its generators (H) or facets (V).
std::string check_rows_by(const Case &c, zonix::RowQuery q, Arithmetic a,
                          const std::function<bool(long, const LrsBlock &)> &rule)
{
  std::string why;
  auto mine = ours_rows(q, a, c.inst, &why);
  if (!mine) return why;
  auto gens = run_lrs(*g_dir, c.inst, &why);
  if (!gens || gens->rows.empty()) return "no rows from lrs";
  Members want;
  for (long i = 1; i <= c.inst.rowcount(); ++i)
    if (rule(i, *gens)) want.push_back(i);
  if (c.expect >= 0 && static_cast<long>(want.size()) != c.expect)
    return "lrs finds " + show(want) + ", " + std::to_string(c.expect) + " were hidden";
  return *mine == want ? "" : "found " + show(*mine) + ", lrs says " + show(want);
}
// Implicit linearities: tight at every generator.
std::string check_implicit(const Case &c, Arithmetic a)
{
  return check_rows_by(c, zonix::RowQuery::ImplicitLinearity, a, [&](long i, const LrsBlock &gens) {
    const auto inc = incidence(c.inst, gens)[i - 1];
    return !c.inst.is_linearity(i) && std::all_of(inc.begin(), inc.end(), [](bool b) { return b; });
  });
}
// Strongly redundant: positive at every vertex (H), strictly inside every
// facet (V).
std::string check_strong(const Case &c, Arithmetic a)
{
  return check_rows_by(c, zonix::RowQuery::StronglyRedundant, a, [&](long i, const LrsBlock &b) {
    const Vec r = to_vec(c.inst.rows[i - 1]);
    if (c.inst.rep == Rep::V)
      return std::none_of(b.rows.begin(), b.rows.end(), [&](const Vec &f) {
        return !b.lin[&f - b.rows.data()] && relative_value(f, r) <= kTight;
      });
    return !c.inst.is_linearity(i) && std::all_of(b.rows.begin(), b.rows.end(), [&](const Vec &g) {
      return g[0] == 0 || relative_value(r, g) > kTight;
    });
  });
}

// On the face of facet i (one row per facet: the first with its incidence)
// the rows kept are those cutting out a facet of that face (generators of
// rank d - 1 with a point), again the first for each.
std::optional<std::vector<Members>> adjacency_from_lrs(const Instance &inst, Members *facets)
{
  std::string why;
  auto gens = run_lrs(*g_dir, inst, &why);
  if (!gens) return std::nullopt;
  const auto inc = incidence(inst, *gens);
  const long d = inst.cols - 1, m = inst.rowcount();
  auto rank_on = [&](const std::vector<bool> &on) {
    std::vector<Vec> pts;
    bool point = false;
    for (size_t k = 0; k < on.size(); ++k)
      if (on[k]) pts.push_back(gens->rows[k]), point = point || gens->rows[k][0] != 0;
    return point ? rank_of(pts) : 0L;  // no point: an empty face
  };
  std::vector<Members> adj(static_cast<size_t>(m));
  for (long i = 1; i <= m; ++i)
    if (std::find(inc.begin(), inc.begin() + i - 1, inc[i - 1]) == inc.begin() + i - 1 && rank_on(inc[i - 1]) == d)
      facets->push_back(i);
  for (long i : *facets) {
    std::set<std::vector<bool>> seen;
    for (long j = 1; j <= m; ++j) {
      std::vector<bool> both(inc[i - 1].size());
      for (size_t k = 0; k < both.size(); ++k) both[k] = inc[i - 1][k] && inc[j - 1][k];
      if (j != i && rank_on(both) == d - 1 && seen.insert(both).second) adj[i - 1].push_back(j);
    }
  }
  return adj;
}

std::string check_adjacency(const Case &c, Arithmetic)
{
  std::string why;
  zonix::SetFamily F(ours(c.weak ? dd_Matrix2WeakAdjacency : dd_Matrix2Adjacency, c.inst, &why));
  if (!F) return why;
  const auto got = members(F.get());
  Members rows;
  auto want = c.want;
  if (want.empty()) {  // only facets have a face of their own to compare
    auto w = adjacency_from_lrs(c.inst, &rows);
    if (!w) return "no generators from lrs";
    want = *w;
  } else {
    rows.resize(want.size());
    std::iota(rows.begin(), rows.end(), 1);
  }
  for (long i : rows)
    if (got[i - 1] != want[i - 1])
      return std::string(c.weak ? "weak " : "") + "adjacency of row " + std::to_string(i) + " is " + show(got[i - 1]) +
             ", expected " + show(want[i - 1]);
  return "";
}

// ---- the families -----------------------------------------------------------------------

long sign_differences(const FRow &a, const FRow &b)
{
  long n = 0;
  for (size_t j = 1; j < a.size(); ++j) n += (a[j].num > 0) - (a[j].num < 0) != (b[j].num > 0) - (b[j].num < 0);
  return n;
}
// The rows adjacent to each row by a rule on the pair.
Case by_rule(Instance inst, bool weak, const std::function<bool(const FRow &, const FRow &)> &adjacent)
{
  Case c(std::move(inst), -1, {}, weak);
  for (const FRow &a : c.inst.rows) {
    c.want.emplace_back();
    for (long j = 1; j <= c.inst.rowcount(); ++j)
      if (&a != &c.inst.rows[j - 1] && adjacent(a, c.inst.rows[j - 1])) c.want.back().push_back(j);
  }
  return c;
}

struct Family {
  const char *kind;
  Check check;
  int count;  // times `times`; a negative count is fixed
  std::function<std::vector<Case>(fam::Prng &, int)> make;
};

std::vector<Family> families()
{
  auto one = [](Instance i, long expect = -1) { return std::vector<Case>{Case{std::move(i), expect}}; };
  auto ints = [](fam::Prng &g, long lo, long hi) { return static_cast<int>(g.uniform(lo, hi)); };
  return {
      // Random inequalities with implied rows, a third on a hyperplane,
      // where rows plus multiples of the equation give the same facet.
      {"H", check_h, 90, [=](fam::Prng &g, int k) {
         const int d = ints(g, 2, 6), m0 = ints(g, d + 2, 30);
         Instance inst = fam::random_inequalities(m0, d, g.next(), ints(g, 3, 10));
         add_redundant_rows(inst, m0, ints(g, 1, m0), g);
         if (k % 3 == 2) {
           inst = fam::on_hyperplane(inst, g.next());
           const FRow eq = inst.rows.back();
           for (int e = 0; e < 3; ++e)
             inst.rows.push_back(combine(inst.rows[g.uniform(0, m0 - 1)], fam::rat(1), eq, fam::rat(g.uniform(-3, 3))));
         }
         shuffle(inst, g);
         inst.name += "#" + std::to_string(k);
         return one(inst);
       }},
      // Structured polytopes: axis rays and LP vertices meet faces of
      // every dimension.
      {"H", check_h, -5, [=](fam::Prng &g, int k) {
         std::vector<Case> out;
         const int d = k + 2;
         for (Instance base : {fam::hypercube(Rep::H, d), fam::cross_polytope(Rep::H, std::min(d, 5)), fam::simplex(Rep::H, d)}) {
           add_redundant_rows(base, base.rowcount(), static_cast<int>(base.rowcount()), g);
           shuffle(base, g);
           out.push_back({base});
         }
         return out;
       }},
      // Random points with copies, combinations and (odd k) rays of a
      // pointed cone, so that the minimal representation is unique.
      {"V", check_v, 60, [=](fam::Prng &g, int k) {
         const int d = ints(g, 2, 5), n = ints(g, d + 1, 30);
         Instance inst{"randpts-v-" + std::to_string(k), Rep::V, d + 1, {}, {}};
         for (int i = 0; i < n; ++i) {
           inst.rows.push_back({fam::rat(1)});
           for (int j = 0; j < d; ++j) inst.rows.back().push_back(fam::rat(g.uniform(-6, 6)));
         }
         for (int i = 0; i < 3 * (k % 2); ++i) {
           inst.rows.push_back({fam::rat(0), fam::rat(g.uniform(1, 3))});
           for (int j = 1; j < d; ++j) inst.rows.back().push_back(fam::rat(g.uniform(-3, 3)));
         }
         const long base = inst.rowcount();
         inst = fam::with_combinations(inst, ints(g, 1, 8), g.next());
         for (int c = 0; c < 4; ++c) {
           const FRow a = inst.rows[g.uniform(0, base - 1)];
           inst.rows.push_back(a[0].num != 0 ? a : combine(a, fam::rat(g.uniform(1, 4)), a, fam::rat(0)));
           const FRow b = inst.rows[g.uniform(0, base - 1)];
           if (a[0].num == 0 && b[0].num == 0) inst.rows.push_back(combine(a, fam::rat(1), b, fam::rat(2)));
         }
         shuffle(inst, g);
         return one(inst);
       }},
      // Polytopes whose points are all vertices, with copies and inner points.
      {"V", check_v, -4, [=](fam::Prng &g, int k) {
         std::vector<Case> out;
         const int d = k + 2;
         for (auto [base, vertices] : {std::pair{fam::hypercube(Rep::V, d), 1L << d}, {fam::cross_polytope(Rep::V, d), 2L * d},
                                       {fam::cyclic_polytope(Rep::V, 3 * d, d, 2), 3L * d},
                                       {fam::sphere_points(4 * d, d, g.next()), 4L * d}}) {
           Instance inst = fam::repeat_rows(fam::with_combinations(base, 2 * d, g.next()), 3);
           shuffle(inst, g);
           out.push_back({inst, vertices});
         }
         return out;
       }},
      // Points of a ball in 3-D, one of whose vertices lies beyond the
      // facet of its neighbours by 1e-5 of the radius only: the LPs' last
      // basis, ill-conditioned there, once saw no way down and lost it.
      {"V", check_v, -1, [](fam::Prng &, int) {
         Case c(fam::ball_points(2000, 3, 17));
         c.double_only = true;
         return std::vector<Case>{c};
       }},
      // Hyperplanes through the interior point 0: two opposite rows (one
      // scaled), three rows forcing each other tight, or none.
      {"implicit linearity", check_implicit, 30, [=](fam::Prng &g, int k) {
         const int d = ints(g, 2, 5), m0 = ints(g, 2 * d + 2, 20);
         Instance inst = fam::random_inequalities(m0, d, g.next(), 8);
         auto normal = [&] {
           FRow r{fam::rat(0)};
           for (int j = 0; j < d; ++j) r.push_back(fam::rat(g.uniform(-4, 4)));
           return r[1] = fam::rat(g.uniform(1, 4)), r;
         };
         const long hidden = k % 3 == 0 ? 2 : k % 3 == 1 ? 3 : 0;
         if (hidden == 2) {
           const FRow a = normal();
           inst.rows.push_back(a);
           inst.rows.push_back(combine(a, fam::rat(-g.uniform(1, 3)), a, fam::rat(0)));
         } else if (hidden == 3) {
           FRow a = normal(), b = normal();
           b[1] = fam::rat(0), b[2] = fam::rat(g.uniform(1, 3));  // independent of a
           inst.rows.insert(inst.rows.end(), {a, b, combine(a, fam::rat(-1), b, fam::rat(-1))});
         }
         shuffle(inst, g);
         inst.name += hidden ? "+hidden" : "+none";
         return one(inst, hidden);
       }},
      // Rows pushed outward (strongly redundant) and rows that only touch.
      {"strong redundancy", check_strong, 20, [=](fam::Prng &g, int k) {
         const int d = ints(g, 2, 4);
         Instance inst = k % 4 == 0 ? fam::hypercube(Rep::H, d) : k % 4 == 1 ? fam::cross_polytope(Rep::H, d)
                         : fam::random_inequalities(ints(g, 3 * d, 16), d, g.next(), 6);
         add_redundant_rows(inst, inst.rowcount(), ints(g, 2, 8), g);
         shuffle(inst, g);
         inst.name += "#s" + std::to_string(k);
         return one(inst);
       }},
      {"strong redundancy", check_strong, -3, [=](fam::Prng &g, int k) {
         std::vector<Case> out;
         const int d = k + 2;
         for (Instance base : {fam::hypercube(Rep::V, d), fam::cross_polytope(Rep::V, d), fam::simplex(Rep::V, d)}) {
           Instance inst = fam::repeat_rows(fam::with_combinations(base, 3 * d, g.next()), 4);
           shuffle(inst, g);
           out.push_back({inst});
         }
         return out;
       }},
      // Cube facets meet all but the opposite one; cross-polytope facets
      // meet in a ridge when one sign differs, touch unless all differ;
      // simplex facets all meet.
      {"adjacency", check_adjacency, -5, [](fam::Prng &, int k) {
         auto not_opposite = [](const FRow &a, const FRow &b) {
           for (size_t j = 1; j < a.size(); ++j)
             if (!(a[j] == fam::rat(-b[j].num, b[j].den))) return true;
           return false;
         };
         const Instance cube = fam::hypercube(Rep::H, k + 2);
         return std::vector<Case>{by_rule(cube, false, not_opposite), by_rule(cube, true, not_opposite)};
       }},
      {"adjacency", check_adjacency, -4, [](fam::Prng &, int k) {
         const long d = k + 2;
         const Instance cross = fam::cross_polytope(Rep::H, static_cast<int>(d));
         return std::vector<Case>{
             by_rule(cross, false, [](const FRow &a, const FRow &b) { return sign_differences(a, b) == 1; }),
             by_rule(cross, true, [d](const FRow &a, const FRow &b) { return sign_differences(a, b) < d; }),
             by_rule(fam::simplex(Rep::H, static_cast<int>(d)), false, [](const FRow &, const FRow &) { return true; })};
       }},
      // Random polytopes with implied rows, some touching.
      {"adjacency", check_adjacency, 12, [=](fam::Prng &g, int k) {
         const int d = ints(g, 2, 4);
         Instance inst = fam::random_inequalities(ints(g, 3 * d, 14), d, g.next(), 6);
         inst.name += "#a" + std::to_string(k);
         add_redundant_rows(inst, inst.rowcount(), ints(g, 0, 4), g);
         shuffle(inst, g);
         return one(inst);
       }},
  };
}

const std::pair<const char *, dd_RedundancyMethod> kMethods[] = {
    {"auto", dd_RedundancyAuto}, {"each row", dd_RedundancyEachRow},
    {"clarkson", dd_RedundancyClarkson}};

}  // namespace

int main(int argc, char **argv)
{
  const std::uint64_t seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20261206;
  const int times = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  dd_set_global_constants();
  Scratch dir("redund_oracle");
  g_dir = &dir;
  Tally tally;
  if (find_tool("lrs").empty() || find_tool("redund").empty() || !dir.ok())
    return tally.fail("setup", "no lrs or redund (package lrslib) or no scratch folder"), tally.finish(argv[0]);
  fam::Prng g(seed);
  std::map<std::string, std::pair<int, int>> per_kind;  // agreeing, run
  for (const Family &f : families())
    for (int k = 0; k < (f.count > 0 ? f.count * times : -f.count); ++k)
      for (const Case &c : f.make(g, k))
        for (Arithmetic a : {Arithmetic::Double, Arithmetic::Exact})
          for (const auto &[method_name, method] : kMethods) {
          if (a == Arithmetic::Exact && (f.check == check_adjacency || c.double_only)) continue;
          // The methods concern the plain redundancy removal only.
          if (method != dd_RedundancyAuto && f.check != check_h && f.check != check_v) continue;
          g_method = method;
          Verdict v;
          const auto why = f.check(c, a);
          if (!why.empty()) v.fail(why);
          const std::string kind = std::string(f.kind) + ", " + name_of(a) + ", " + method_name;
          per_kind[kind].first += v.ok, ++per_kind[kind].second;
          if (!v.ok) tally.report(c.inst.name + " [" + name_of(a) + ", " + method_name + "]", v);
          else ++tally.passed;
        }
  for (const auto &[kind, n] : per_kind) std::printf("%s: %d of %d agree\n", kind.c_str(), n.first, n.second);
  return tally.finish("redund_oracle");
}
