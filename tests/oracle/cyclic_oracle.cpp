// Facets of cyclic polytopes, the hardest family we know for doubles, checked
// by their mathematics: the facets of C(n, d) are the Gale-even d-subsets of
// its points, each the polynomial prod (t - t_s) up to sign, counted by
// McMullen's formula.  Each conversion is right or an error in double,
// right in auto and exact arithmetic; wrong fails.
// Also: vertex adjacency of these 2-neighbourly polytopes is complete, and
// the vertices of C(n, d) come back from its facets.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "families.h"
#include "zonix.hpp"
#include "zonixarith.hpp"

namespace {

namespace fam = zonix::families;
using Params = std::vector<long double>;

enum Outcome { Right, Error, Wrong };
struct Verdict { Outcome outcome = Right; std::string why; };
Verdict wrong(std::string why) { return {Wrong, std::move(why)}; }
long binom(long n, long k) { return k == 0 ? 1 : binom(n - 1, k - 1) * n / k; }

// McMullen's count of the facets of C(n, d).
long facet_count(long n, long d)
{
  return d % 2 == 0 ? n * binom(n - d / 2, d / 2) / (n - d / 2) : 2 * binom(n - (d + 1) / 2, (d - 1) / 2);
}

// Between any two points not in s, an even number of points of s.
bool gale_even(std::uint32_t s, int n)
{
  int run = 0, outside = 0;
  for (int j = 0; j < n; ++j, ++run)
    if (!(s >> j & 1u)) {
      if (outside++ > 0 && run % 2 != 0) return false;
      run = -1;
    }
  return true;
}

zonix::Matrix moment_points(const Params &t, int d)
{
  zonix::Matrix M(dd_CreateMatrix(static_cast<long>(t.size()), d + 1));
  for (size_t i = 0; i < t.size(); ++i)
    for (long double k = 0, p = 1; k <= d; ++k, p *= t[i]) M->matrix[i][static_cast<int>(k)][0] = static_cast<double>(p);
  M->representation = dd_Generator;
  return M;
}

// Each row (c_0, ..., c_d) must be prod (t - t_s) over a Gale-even set S up to a
// positive factor, nonnegative on the points; sets distinct, as many as McMullen counts.
Verdict check_facets(const Params &t, int d, dd_MatrixPtr H)
{
  const int n = static_cast<int>(t.size());
  if (H->rowsize != facet_count(n, d) || set_card(H->linset) != 0)
    return wrong(std::to_string(H->rowsize) + " rows, expected " + std::to_string(facet_count(n, d)) + " facets");
  std::set<std::uint32_t> seen;
  for (long r = 0; r < H->rowsize; ++r) {
    const auto row = [&](int k) { return static_cast<long double>(H->matrix[r][k][0]); };
    std::vector<std::pair<long double, int>> rel;
    for (int i = 0; i < n; ++i) {
      // Against |row| times the point's size (t = 0 has only a constant).
      long double v = 0, mag = 0, p = 1, q = 1;
      for (int k = 0; k <= d; ++k, p *= t[i], q *= std::max(1.0L, std::fabs(t[i])))
        v += row(k) * p, mag += std::fabs(row(k)) * q;
      rel.push_back({std::fabs(v) / mag, i});
    }
    std::sort(rel.begin(), rel.end());
    std::uint32_t s = 0;
    for (int q = 0; q < d; ++q) s |= 1u << rel[q].second;
    if (!gale_even(s, n)) return wrong("row " + std::to_string(r + 1) + " is tight on a non-facet");
    // prod (t - t_s), negated when negative on the other points.
    std::vector<long double> c(d + 1, 0);
    long double sign = c[0] = 1;
    for (int q = 0; q < d; ++q) {
      const long double ts = t[rel[q].second];
      for (int j = q + 1; j >= 1; --j) c[j] = c[j - 1] - ts * c[j];
      c[0] = -ts * c[0];
      sign *= t[rel[d].second] - ts;
    }
    int big = 0;
    for (int k = 0; k <= d; ++k) big = std::fabs(c[k]) > std::fabs(c[big]) ? k : big;
    const long double scale = row(big) / (sign < 0 ? -c[big] : c[big]);
    bool close = scale > 0;
    for (int k = 0; k <= d && close; ++k)
      close = std::fabs(row(k) - scale * (sign < 0 ? -c[k] : c[k])) <= 1e-6L * std::fabs(row(big));
    if (!close) return wrong("row " + std::to_string(r + 1) + " is not the facet of its tight set");
    if (!seen.insert(s).second) return wrong("two rows on one facet");
  }
  return {};
}

// Vertices of C(n, d) from its facets: the points, each once.
Verdict check_vertices(const Params &t, int d, dd_MatrixPtr V)
{
  if (V->rowsize != static_cast<long>(t.size())) return wrong(std::to_string(V->rowsize) + " vertices");
  std::set<size_t> seen;
  for (long r = 0; r < V->rowsize; ++r) {
    size_t hit = t.size();
    for (size_t i = 0; i < t.size(); ++i) {
      bool same = V->matrix[r][0][0] == 1.0;
      for (long double k = 0, p = 1; k <= d && same; ++k, p *= t[i])
        same = std::fabs(V->matrix[r][static_cast<int>(k)][0] - p) <= 1e-6L * (1 + std::fabs(p));
      hit = same ? i : hit;
    }
    if (hit == t.size() || !seen.insert(hit).second) return wrong("row " + std::to_string(r + 1) + " is no vertex");
  }
  return {};
}

// Every two vertices are adjacent (C(n, d), d >= 4, is 2-neighbourly).
Verdict check_complete(dd_SetFamilyPtr adj, long n)
{
  long pairs = 0;
  for (long i = 0; adj && i < adj->famsize; ++i) pairs += set_card(adj->set[i]);
  return pairs == n * (n - 1) ? Verdict{} : wrong(std::to_string(pairs) + " of " + std::to_string(n * (n - 1)) + " pairs");
}

struct Tally {
  int count[3] = {0, 0, 0};
  void add(const std::string &name, const Verdict &v, double seconds)
  {
    if (++count[v.outcome]; v.outcome != Right || seconds > 1.0)
      std::printf("%s %s (%.2f s) %s\n", v.outcome == Right ? "ok" : v.outcome == Error ? "error" : "WRONG",
                  name.c_str(), seconds, v.why.c_str());
  }
};

enum class Check { Facets, Vertices, Adjacency };
int g_threads = 0;  // --threads N; 0: one per core

// One conversion of M in arithmetic a, judged by `what` against the
// parameters t.
void run_case(Tally &tally, const std::string &name, const Params &t, int d, zonix::Matrix M, Check what,
              zonix::Arithmetic a, const zonix::QMatrix *exact_rows = nullptr,
              dd_RowOrderType order = dd_LexMinSpread)
{
  const auto start = std::chrono::steady_clock::now();
  zonix::ConvertOptions o;
  o.arithmetic = a;
  o.threads = g_threads;
  o.order = order;
  o.input_adjacency = what == Check::Adjacency;
  const zonix::Conversion c = zonix::convert(M.get(), o, exact_rows);
  const dd_ErrorType err = c.error;
  Verdict v{err == dd_NumericallyInconsistent ? Error : Wrong, "error " + std::to_string(err)};
  dd_MatrixPtr out = c.output.get();
  if (err == dd_NoError && what == Check::Adjacency) v = check_complete(c.input_adjacency.get(), static_cast<long>(t.size()));
  if (err == dd_NoError && what != Check::Adjacency)
    v = !out ? wrong("no output") : what == Check::Facets ? check_facets(t, d, out) : check_vertices(t, d, out);
  tally.add(name, v, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace

// --all: exact arithmetic on every C(n, d) too, not only on d <= 8 (the
// rest takes minutes over the rationals; auto covers it in the default run).
int main(int argc, char **argv)
{
  const bool all = argc > 1 && std::string(argv[1]) == "--all";
  if (argc > 2 && std::string(argv[argc - 2]) == "--threads") g_threads = std::atoi(argv[argc - 1]);
  dd_set_global_constants();
  int wrong_answers = 0;
  // Double precision: right or an error, never wrong.  Auto: always right,
  // exact arithmetic taking over where double precision gives up.  Exact:
  // always right.
  for (const zonix::Arithmetic a : {zonix::Arithmetic::Double, zonix::Arithmetic::Auto, zonix::Arithmetic::Exact}) {
    const char *label = a == zonix::Arithmetic::Double ? "double" : a == zonix::Arithmetic::Auto ? "auto" : "exact";
    const auto start = std::chrono::steady_clock::now();
    Tally suite;
    for (int d = 4; d <= (a != zonix::Arithmetic::Exact || all ? 12 : 8); ++d)
      for (int n = d + 3; n <= d + 14; ++n)
        for (int centred = 0; centred <= 1; ++centred) {
          Params t;
          for (int i = 1; i <= n; ++i) t.push_back(centred ? i - (n + 1) / 2.0L : i);
          run_case(suite, "C(" + std::to_string(n) + "," + std::to_string(d) + (centred ? ") centred" : ")"), t, d,
                   moment_points(t, d), Check::Facets, a);
        }
    // Other orders, once wrong in double: an equation (a pivot taken as
    // zero) in random order; in cutoff orders one ray standing for several
    // facets (C(13,10): 87 of 91, C(15,8): 449 of 450).
    for (const auto &[n, d] : {std::pair{13, 10}, std::pair{15, 8}})
      for (const dd_RowOrderType order : {dd_RandomRow, dd_MinCutoff, dd_MaxCutoff}) {
        Params t;
        for (int i = 1; i <= n; ++i) t.push_back(i);
        run_case(suite, "C(" + std::to_string(n) + "," + std::to_string(d) + ") order " + std::to_string(order), t, d,
                 moment_points(t, d), Check::Facets, a, nullptr, order);
      }
    std::printf("cyclic V->H, %s: %d right, %d errors, %d wrong (%.1f s)\n", label, suite.count[Right],
                suite.count[Error], suite.count[Wrong],
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());

    // exact: read from the text with its fractions, as the command line
    // reads it (auto settles a double run on it).
    struct Known { fam::Rep rep; int n, d, den; Check what; bool exact = false; };  // failed before; the families' own
    const Known known[] = {
        {fam::Rep::H, 14, 7, 1, Check::Vertices},  {fam::Rep::H, 12, 6, 7, Check::Vertices},
        {fam::Rep::V, 20, 9, 1, Check::Facets},    {fam::Rep::V, 22, 8, 1, Check::Facets},
        {fam::Rep::V, 40, 6, 1, Check::Adjacency}, {fam::Rep::V, 30, 4, 1, Check::Adjacency},
        {fam::Rep::V, 30, 7, 3, Check::Facets, true}, {fam::Rep::V, 20, 6, 5, Check::Facets, true},
        // Spread in double though their columns' scales differ 4096 and 16384 times.
        {fam::Rep::V, 32, 5, 2, Check::Facets, true}, {fam::Rep::V, 24, 8, 3, Check::Facets, true},
    };
    Tally cases;
    for (const Known &k : known) {
      const fam::Instance inst = fam::cyclic_polytope(k.rep, k.n, k.d, k.den);
      Params t;  // the families' parameters
      for (int i = 0; i < k.n; ++i) t.push_back(static_cast<long double>(i - k.n / 2) / k.den);
      const std::string text = fam::lrs_text(inst);
      FILE *f = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
      dd_ErrorType err = dd_NoError;
      std::string why;
      zonix::Input in = zonix::read_representation(f, &err, &why);
      std::fclose(f);
      const auto rational = zonix::exact_input(in);
      run_case(cases, inst.name + (k.what == Check::Adjacency ? " adjacency" : ""), t, k.d,
               k.exact ? std::move(in.doubles) : zonix::Matrix(fam::to_matrix(inst)), k.what, a,
               k.exact ? rational.get() : nullptr);
    }
    std::printf("known cases, %s: %d right, %d errors, %d wrong\n", label, cases.count[Right], cases.count[Error],
                cases.count[Wrong]);
    wrong_answers += suite.count[Wrong] + cases.count[Wrong];
    if (a != zonix::Arithmetic::Double) wrong_answers += suite.count[Error] + cases.count[Error];
  }
  return wrong_answers == 0 ? 0 : 1;
}
