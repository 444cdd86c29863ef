// Certificates of conversions on measured data (see zonixcheck_measured.hpp).
#include "zonixcheck_measured.hpp"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <limits>
#include <numeric>
#include <span>
#include <unordered_map>
#include <utility>

namespace zonix::check {
namespace {

// Unit vectors whose residual after the others falls below this are taken
// as dependent: a tight set must stay this far from losing its rank, which
// bounds how far delta moves the point it fixes.
constexpr double kRankFloor = 1e-9;
// Work (set entries visited) allowed per entry of the incidences before
// the check gives up and leaves the answer uncertified.
constexpr long kWorkPerEntry = 64;
constexpr long kLeastWork = 1L << 22;

using Set = std::vector<int>;  // sorted atom numbers

// A hash of z without its member number `drop`.
std::uint64_t ridge_hash(const Set &z, size_t drop)
{
  std::uint64_t h = z.size();
  for (size_t k = 0; k < z.size(); ++k) {
    if (k == drop) continue;
    h += static_cast<std::uint64_t>(z[k]) + 0x9e3779b97f4a7c15ULL;
    h = (h ^ (h >> 30)) * 0xbf58476d1ce4e5b9ULL;
    h = (h ^ (h >> 27)) * 0x94d049bb133111ebULL;
    h ^= h >> 31;
  }
  return h;
}

bool same_ridge(const Set &a, size_t da, const Set &b, size_t db)
{
  if (a.size() != b.size()) return false;
  for (size_t i = 0, j = 0; i < a.size(); ++i, ++j) {
    if (i == da) ++i;
    if (j == db) ++j;
    if (i >= a.size() || j >= b.size()) return i >= a.size() && j >= b.size();
    if (a[i] != b[j]) return false;
  }
  return true;
}

// The ridges (an element less one member) of the simple elements that
// another simple element shares: those close at once.
std::vector<std::vector<char>> shared_ridges(const std::vector<Set> &elements, long rho)
{
  struct Ridge {
    std::uint64_t hash;
    std::uint32_t element, drop;
  };
  std::vector<Ridge> all;
  std::vector<std::vector<char>> shared(elements.size());
  for (size_t e = 0; e < elements.size(); ++e) {
    const Set &z = elements[e];
    if (static_cast<long>(z.size()) != rho - 1) continue;
    shared[e].assign(z.size(), 0);
    for (size_t k = 0; k < z.size(); ++k)
      all.push_back({ridge_hash(z, k), static_cast<std::uint32_t>(e), static_cast<std::uint32_t>(k)});
  }
  std::ranges::sort(all, {}, &Ridge::hash);
  for (size_t a = 0; a < all.size();) {
    size_t b = a;
    while (b < all.size() && all[b].hash == all[a].hash) ++b;
    for (size_t i = a; i < b; ++i)
      for (size_t j = a; j < b; ++j)
        if (i != j && same_ridge(elements[all[i].element], all[i].drop, elements[all[j].element], all[j].drop)) {
          shared[all[i].element][all[i].drop] = 1;
          break;
        }
    a = b;
  }
  return shared;
}

struct Vectors {
  long d = 0;
  std::vector<double> v;  // unit rows, projected off the fixed span
  std::span<const double> row(long i) const { return {v.data() + i * d, static_cast<size_t>(d)}; }
};

// Numerical rank of the rows `which` of V by Gram-Schmidt with pivoting.
long rank_of(const Vectors &V, std::span<const int> which, std::vector<double> &scratch)
{
  const long n = static_cast<long>(which.size()), d = V.d;
  scratch.resize(static_cast<size_t>(n * d));
  for (long i = 0; i < n; ++i) std::ranges::copy(V.row(which[static_cast<size_t>(i)]), scratch.begin() + i * d);
  std::vector<double> norm(static_cast<size_t>(n));
  long rank = 0;
  for (long left = n; left > 0 && rank < d; --left) {
    long best = -1;
    double most = kRankFloor * kRankFloor;
    for (long i = 0; i < left; ++i) {
      double s = 0.0;
      for (long k = 0; k < d; ++k) s += scratch[static_cast<size_t>(i * d + k)] * scratch[static_cast<size_t>(i * d + k)];
      norm[static_cast<size_t>(i)] = s;
      if (s > most) {
        most = s;
        best = i;
      }
    }
    if (best < 0) break;
    // The pivot goes to the end of the live rows and becomes a unit vector.
    std::swap_ranges(scratch.begin() + best * d, scratch.begin() + (best + 1) * d, scratch.begin() + (left - 1) * d);
    double *p = scratch.data() + (left - 1) * d;
    const double inv = 1.0 / std::sqrt(most);
    for (long k = 0; k < d; ++k) p[k] *= inv;
    for (long i = 0; i < left - 1; ++i) {
      double *q = scratch.data() + i * d;
      double dot = 0.0;
      for (long k = 0; k < d; ++k) dot += p[k] * q[k];
      for (long k = 0; k < d; ++k) q[k] -= dot * p[k];
    }
    ++rank;
  }
  return rank;
}

// Unit copies of the rows of R, less their parts in the span of `fixed`
// (an orthonormal basis).
Vectors unit_rows(const DoubleRows &R, const std::vector<double> &fixed)
{
  Vectors V;
  V.d = R.cols;
  V.v.assign(R.v.begin(), R.v.end());
  const long d = R.cols, nf = static_cast<long>(fixed.size()) / std::max(1L, d);
  for (long i = 0; i < R.rows; ++i) {
    double *r = V.v.data() + i * d;
    double s = 0.0;
    for (long k = 0; k < d; ++k) s += r[k] * r[k];
    if (s > 0.0)
      for (long k = 0; k < d; ++k) r[k] /= std::sqrt(s);
    for (long f = 0; f < nf; ++f) {
      const double *b = fixed.data() + f * d;
      double dot = 0.0;
      for (long k = 0; k < d; ++k) dot += b[k] * r[k];
      for (long k = 0; k < d; ++k) r[k] -= dot * b[k];
    }
  }
  return V;
}

// An orthonormal basis of the fixed rows of R (equations or lines).
std::vector<double> fixed_basis(const DoubleRows &R, long *rank)
{
  const long d = R.cols;
  std::vector<double> basis;
  for (long i = 0; i < R.rows; ++i) {
    if (R.fixed[static_cast<size_t>(i)] == 0) continue;
    std::vector<double> r(R.row(i), R.row(i) + d);
    double s = 0.0;
    for (double x : r) s += x * x;
    if (s == 0.0) continue;
    for (double &x : r) x /= std::sqrt(s);
    for (size_t f = 0; f < basis.size() / static_cast<size_t>(d); ++f) {
      const double *b = basis.data() + f * static_cast<size_t>(d);
      double dot = 0.0;
      for (long k = 0; k < d; ++k) dot += b[k] * r[static_cast<size_t>(k)];
      for (long k = 0; k < d; ++k) r[static_cast<size_t>(k)] -= dot * b[k];
    }
    s = 0.0;
    for (double x : r) s += x * x;
    if (s < kRankFloor * kRankFloor) continue;
    for (double &x : r) x /= std::sqrt(s);
    basis.insert(basis.end(), r.begin(), r.end());
  }
  *rank = static_cast<long>(basis.size()) / std::max(1L, d);
  return basis;
}

// Whether a (row, generator) pair is within delta of tight, and its sign.
// The sum's own rounding (at most d units of the last place of the
// absolute sum) is added to the allowance.
int side(const double *h, const double *g, long d, double delta)
{
  double s = 0.0, a = 0.0;
  for (long k = 0; k < d; ++k) {
    s += h[k] * g[k];
    a += std::fabs(h[k] * g[k]);
  }
  const double allow = (delta + static_cast<double>(d + 2) * std::numeric_limits<double>::epsilon()) * a;
  if (std::fabs(s) <= allow) return 0;
  return s > 0.0 ? 1 : -1;
}

class Completeness {
 public:
  Completeness(const Vectors &atoms, long work) : atoms_(atoms), work_(work) {}

  // Whether `elements` (tight sets of the extreme rays of a pointed cone
  // of rank rho, each of rank rho - 1) are all its extreme rays.
  bool complete(std::vector<Set> elements, long rho)
  {
    if (rho <= 0) return elements.empty();
    {
      std::vector<Set> sorted = elements;
      std::ranges::sort(sorted);
      if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return fail("two elements on the same face");
    }
    if (rho == 1) return elements.size() == 1 || fail("a half-line with other than one ray");
    if (rho == 2) return elements.size() == 2 || fail("a 2-dimensional cone with other than two rays");
    std::unordered_map<int, std::vector<int>> index;
    for (size_t e = 0; e < elements.size(); ++e)
      for (int a : elements[e]) index[a].push_back(static_cast<int>(e));
    // Ridges of simple elements met twice close at once; the others are
    // looked for among all elements.
    const auto ridges = shared_ridges(elements, rho);
    std::vector<int> count(elements.size(), 0);
    for (size_t e = 0; e < elements.size(); ++e) {
      const Set &z = elements[e];
      if (!spend(static_cast<long>(z.size()))) return false;
      if (static_cast<long>(z.size()) == rho - 1) {
        if (!simple_closed(elements, index, ridges, e)) return fail("a 2-face leads to a ray not listed");
        continue;
      }
      std::vector<int> met;
      for (int a : z)
        for (int f : index[a]) {
          if (f == static_cast<int>(e)) continue;
          if (count[static_cast<size_t>(f)]++ == 0) met.push_back(f);
        }
      if (!spend(static_cast<long>(met.size()) * 4)) return false;
      std::vector<Set> sub;
      for (int f : met) {
        if (count[static_cast<size_t>(f)] >= rho - 2) {
          Set s;
          std::ranges::set_intersection(z, elements[static_cast<size_t>(f)], std::back_inserter(s));
          if (rank_of(atoms_, s, scratch_) == rho - 2) sub.push_back(std::move(s));
        }
        count[static_cast<size_t>(f)] = 0;
      }
      if (!complete(std::move(sub), rho - 1)) return false;
    }
    return true;
  }

  const std::string &why() const { return why_; }

 private:
  // At a ray on exactly rho - 1 independent atoms, the 2-faces drop one
  // atom each; another listed ray must lie on each.
  bool simple_closed(const std::vector<Set> &elements, std::unordered_map<int, std::vector<int>> &index,
                     const std::vector<std::vector<char>> &ridges, size_t e)
  {
    const Set &z = elements[e];
    for (size_t drop = 0; drop < z.size(); ++drop) {
      if (ridges[e][drop] != 0) continue;
      // The atom of z (less `drop`) met by the fewest elements.
      const std::vector<int> *fewest = nullptr;
      for (size_t k = 0; k < z.size(); ++k) {
        if (k == drop) continue;
        const auto &l = index[z[k]];
        if (fewest == nullptr || l.size() < fewest->size()) fewest = &l;
      }
      if (fewest == nullptr) return false;
      bool found = false;
      for (int f : *fewest) {
        if (f == static_cast<int>(e)) continue;
        const Set &y = elements[static_cast<size_t>(f)];
        if (!spend(static_cast<long>(y.size()))) return false;
        bool all = true;
        for (size_t k = 0; k < z.size() && all; ++k)
          if (k != drop && !std::ranges::binary_search(y, z[k])) all = false;
        if (all) {
          found = true;
          break;
        }
      }
      if (!found) return false;
    }
    return true;
  }

  bool spend(long w)
  {
    work_ -= w;
    return work_ >= 0 || fail("the check would take too long");
  }
  bool fail(const char *why)
  {
    if (why_.empty()) why_ = why;
    return false;
  }

  const Vectors &atoms_;
  long work_;
  std::vector<double> scratch_;
  std::string why_;
};

MeasuredVerdict no(std::string why) { return {false, std::move(why)}; }

bool trivial_row(const double *r, long d)
{
  if (!(r[0] > 0.0)) return false;
  for (long k = 1; k < d; ++k)
    if (r[k] != 0.0) return false;
  return true;
}

}  // namespace

MeasuredVerdict conversion_within(const DoubleRows &in, const DoubleRows &out, double delta)
{
  const long d = in.cols;
  if (out.cols != d || d < 1) return no("the answer has another width");
  if (out.rows == 0) return no("an empty answer needs a certificate of infeasibility");
  for (double x : in.v)
    if (!std::isfinite(x)) return no("a number of the input is not finite");
  for (double x : out.v)
    if (!std::isfinite(x)) return no("a number of the answer is not finite");

  // H side: the rows (with t >= 0); V side: the generators.
  const bool h_in = !in.generators;
  DoubleRows H = h_in ? in : out, G = h_in ? out : in;
  // Trivial rows "0 <= 1" hold everywhere and bound nothing: the row t >= 0
  // stands for them, as an element of its own when it is a facet.
  {
    DoubleRows K;
    K.rows = 0;
    K.cols = d;
    for (long i = 0; i < H.rows; ++i) {
      if (H.fixed[static_cast<size_t>(i)] == 0 && trivial_row(H.row(i), d)) continue;
      K.v.insert(K.v.end(), H.row(i), H.row(i) + d);
      K.fixed.push_back(H.fixed[static_cast<size_t>(i)]);
      ++K.rows;
    }
    K.v.push_back(1.0);
    K.v.insert(K.v.end(), static_cast<size_t>(d - 1), 0.0);
    K.fixed.push_back(0);
    ++K.rows;
    H = std::move(K);
  }
  const long t_row = H.rows - 1;

  // Every pair on its side; fixed rows and lines tight everywhere.
  std::vector<Set> tight_of_g(static_cast<size_t>(G.rows)), tight_of_h(static_cast<size_t>(H.rows));
  for (long j = 0; j < G.rows; ++j)
    for (long i = 0; i < H.rows; ++i) {
      const int s = side(H.row(i), G.row(j), d, delta);
      const bool fixed = H.fixed[static_cast<size_t>(i)] != 0 || G.fixed[static_cast<size_t>(j)] != 0;
      if (s < 0 || (fixed && s != 0))
        return no("generator " + std::to_string(j + 1) + " is not within delta of row " + std::to_string(i + 1));
      if (s == 0 && !fixed) {
        tight_of_g[static_cast<size_t>(j)].push_back(static_cast<int>(i));
        tight_of_h[static_cast<size_t>(i)].push_back(static_cast<int>(j));
      }
    }

  // Ranks on the input's side: its atoms modulo its own fixed rows; the
  // answer's fixed rows must span exactly what is left.
  long fixed_in = 0, fixed_out = 0;
  const DoubleRows &A = h_in ? H : G;   // atoms
  const DoubleRows &E = h_in ? G : H;   // elements
  const std::vector<double> basis = fixed_basis(A, &fixed_in);
  (void)fixed_basis(E, &fixed_out);
  const Vectors atoms = unit_rows(A, basis);
  std::vector<double> scratch;
  std::vector<int> live;
  for (long i = 0; i < A.rows; ++i)
    if (A.fixed[static_cast<size_t>(i)] == 0) live.push_back(static_cast<int>(i));
  const long rho = rank_of(atoms, live, scratch);
  if (fixed_in + rho + fixed_out != d)
    return no("the equations and lines do not span what the input leaves");

  const std::vector<Set> &tight = h_in ? tight_of_g : tight_of_h;
  std::vector<Set> elements;
  for (long e = 0; e < E.rows; ++e) {
    if (E.fixed[static_cast<size_t>(e)] != 0) continue;
    const Set &z = tight[static_cast<size_t>(e)];
    const bool t_candidate = !h_in && e == t_row;
    if (rank_of(atoms, z, scratch) != rho - 1) {
      if (t_candidate) continue;  // t >= 0 is no facet here
      return no("element " + std::to_string(e + 1) + " is not tight on a set of full rank");
    }
    elements.push_back(z);
  }
  Completeness c(atoms, kLeastWork + kWorkPerEntry * static_cast<long>(H.rows + G.rows) * 4);
  if (!c.complete(std::move(elements), rho)) return no(c.why().empty() ? "an element is missing" : c.why());
  return {};
}

MeasuredVerdict valid_within(const DoubleRows &in, const DoubleRows &out, double delta,
                             std::vector<std::vector<long>> *tight)
{
  const long d = in.cols;
  if (out.cols != d || d < 2) return no("the answer has another width");
  if (std::ranges::any_of(in.fixed, [](char f) { return f != 0; }) ||
      std::ranges::any_of(out.fixed, [](char f) { return f != 0; }))
    return no("equations or lines are not judged here");
  for (double x : in.v)
    if (!std::isfinite(x)) return no("a number of the input is not finite");
  for (double x : out.v)
    if (!std::isfinite(x)) return no("a number of the answer is not finite");
  const bool h_in = !in.generators;
  const Vectors atoms = unit_rows(in, {});
  std::vector<double> scratch;
  Set on;
  if (tight != nullptr) tight->assign(static_cast<size_t>(out.rows), {});
  for (long k = 0; k < out.rows; ++k) {
    on.clear();
    for (long i = 0; i < in.rows; ++i) {
      const int s = h_in ? side(in.row(i), out.row(k), d, delta) : side(out.row(k), in.row(i), d, delta);
      if (s < 0) return no("element " + std::to_string(k + 1) + " is not within delta of input row " + std::to_string(i + 1));
      if (s == 0) on.push_back(static_cast<int>(i));
    }
    if (rank_of(atoms, on, scratch) != d - 1)
      return no("element " + std::to_string(k + 1) + " is not tight on a set of full rank");
    if (tight != nullptr) (*tight)[static_cast<size_t>(k)].assign(on.begin(), on.end());
  }
  return {};
}

int side_within(const double *h, const double *g, long d, double delta) { return side(h, g, d, delta); }

std::vector<long> extreme_rows_within(const DoubleRows &in, const DoubleRows &facets, double delta)
{
  const long d = in.cols;
  // The facets with t >= 0 (a facet or not, it only adds a valid row) and
  // the equations, as unit rows.
  DoubleRows F = facets;
  F.v.push_back(1.0);
  F.v.insert(F.v.end(), static_cast<size_t>(d - 1), 0.0);
  F.fixed.push_back(0);
  ++F.rows;
  long eqs = 0;
  const std::vector<double> basis = fixed_basis(F, &eqs);
  const Vectors rows = unit_rows(F, basis);
  std::vector<int> live;
  for (long i = 0; i < F.rows; ++i)
    if (F.fixed[static_cast<size_t>(i)] == 0) live.push_back(static_cast<int>(i));
  std::vector<double> scratch;
  const long rho = rank_of(rows, live, scratch);
  std::vector<long> extreme;
  std::vector<Set> seen;
  for (long g = 0; g < in.rows; ++g) {
    if (in.fixed[static_cast<size_t>(g)] != 0) continue;
    Set z;
    for (int i : live)
      if (side(F.row(i), in.row(g), d, delta) == 0) z.push_back(i);
    if (rank_of(rows, z, scratch) != rho - 1) continue;
    if (std::ranges::find(seen, z) != seen.end()) continue;
    seen.push_back(z);
    extreme.push_back(g);
  }
  return extreme;
}

}  // namespace zonix::check
