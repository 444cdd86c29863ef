// Generators of polyhedron families; see families.h.
#include "families.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace zonix::families {

namespace {

using Row = std::vector<Rational>;
using i128 = __int128;

std::int64_t narrow(i128 v)
{
  // Families stay far below this; a silent wrap would hand lrs and the
  // library different numbers.
  if (v > INT64_MAX || v < INT64_MIN) throw std::overflow_error("rational overflow");
  return static_cast<std::int64_t>(v);
}

i128 gcd128(i128 a, i128 b)
{
  if (a < 0) a = -a;
  if (b < 0) b = -b;
  while (b != 0) {
    i128 t = a % b;
    a = b;
    b = t;
  }
  return a;
}

Rational rat128(i128 n, i128 d)
{
  if (d == 0) throw std::domain_error("zero denominator");
  if (d < 0) {
    n = -n;
    d = -d;
  }
  i128 g = gcd128(n, d);
  if (g > 1) {
    n /= g;
    d /= g;
  }
  return Rational{narrow(n), narrow(d)};
}

Rational add(Rational a, Rational b)
{
  return rat128(static_cast<i128>(a.num) * b.den + static_cast<i128>(b.num) * a.den,
                static_cast<i128>(a.den) * b.den);
}

Rational mul(Rational a, Rational b)
{
  return rat128(static_cast<i128>(a.num) * b.num, static_cast<i128>(a.den) * b.den);
}

Rational neg(Rational a) { return Rational{-a.num, a.den}; }

Row zero_row(long cols) { return Row(static_cast<std::size_t>(cols), Rational{}); }

Instance make(std::string name, Rep rep, long cols)
{
  Instance inst;
  inst.name = std::move(name);
  inst.rep = rep;
  inst.cols = cols;
  return inst;
}

std::string rep_suffix(Rep rep) { return rep == Rep::H ? "-h" : "-v"; }

}  // namespace

// ---- rationals and instances ---------------------------------------------------

Rational rat(std::int64_t n, std::int64_t d) { return rat128(n, d); }

double to_double(Rational r)
{
  return static_cast<double>(r.num) / static_cast<double>(r.den);
}

long double to_long_double(Rational r)
{
  return static_cast<long double>(r.num) / static_cast<long double>(r.den);
}

std::string to_string(Rational r)
{
  if (r.den == 1) return std::to_string(r.num);
  return std::to_string(r.num) + "/" + std::to_string(r.den);
}

bool operator==(Rational a, Rational b) { return a.num == b.num && a.den == b.den; }

bool Instance::is_linearity(long row) const
{
  return std::find(linearity.begin(), linearity.end(), row) != linearity.end();
}

bool Instance::has_nonzero_first_column() const
{
  return std::any_of(rows.begin(), rows.end(),
                     [](const Row& r) { return r[0].num != 0; });
}

dd_MatrixPtr to_matrix(const Instance& inst)
{
  dd_MatrixPtr M = dd_CreateMatrix(inst.rowcount(), inst.cols);
  M->representation = inst.rep == Rep::H ? dd_Inequality : dd_Generator;
  M->numbtype = dd_Rational;
  for (long i = 0; i < inst.rowcount(); ++i)
    for (long j = 0; j < inst.cols; ++j)
      ddd_set_d(M->matrix[i][j], to_double(inst.rows[i][j]));
  for (long r : inst.linearity) set_addelem(M->linset, r);
  return M;
}

std::string lrs_text(const Instance& inst)
{
  std::ostringstream out;
  out << inst.name << '\n';
  out << (inst.rep == Rep::H ? "H-representation\n" : "V-representation\n");
  if (!inst.linearity.empty()) {
    out << "linearity " << inst.linearity.size();
    for (long r : inst.linearity) out << ' ' << r;
    out << '\n';
  }
  bool integer = inst.integer_type;
  for (const Row& r : inst.rows)
    for (Rational x : r) integer = integer && x.den == 1;
  out << "begin\n" << inst.rowcount() << ' ' << inst.cols
      << (integer ? " integer\n" : " rational\n");
  for (const Row& r : inst.rows) {
    for (std::size_t j = 0; j < r.size(); ++j) out << (j ? " " : "") << to_string(r[j]);
    out << '\n';
  }
  out << "end\n";
  return out.str();
}

// ---- Prng ----------------------------------------------------------------------

std::uint64_t Prng::next()
{
  std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

std::int64_t Prng::uniform(std::int64_t lo, std::int64_t hi)
{
  auto span = static_cast<std::uint64_t>(hi - lo) + 1;
  return lo + static_cast<std::int64_t>(next() % span);
}

// ---- polytopes -----------------------------------------------------------------

// 2^d rows beyond this would not fit in memory.
constexpr int kMaxExponentialDim = 24;

Instance hypercube(Rep rep, int d)
{
  if (rep == Rep::V && d > kMaxExponentialDim) throw std::invalid_argument("dimension too large");
  Instance inst = make("cube" + rep_suffix(rep) + "-" + std::to_string(d), rep, d + 1);
  if (rep == Rep::H) {
    for (int i = 1; i <= d; ++i)
      for (int s : {1, -1}) {
        Row r = zero_row(d + 1);
        r[0] = rat(1);
        r[i] = rat(s);
        inst.rows.push_back(r);
      }
  } else {
    for (long mask = 0; mask < (1L << d); ++mask) {
      Row r = zero_row(d + 1);
      r[0] = rat(1);
      for (int i = 0; i < d; ++i) r[i + 1] = rat((mask >> i) & 1 ? 1 : -1);
      inst.rows.push_back(r);
    }
  }
  return inst;
}

Instance cross_polytope(Rep rep, int d)
{
  if (rep == Rep::H && d > kMaxExponentialDim) throw std::invalid_argument("dimension too large");
  Instance inst = make("cross" + rep_suffix(rep) + "-" + std::to_string(d), rep, d + 1);
  if (rep == Rep::H) {
    for (long mask = 0; mask < (1L << d); ++mask) {
      Row r = zero_row(d + 1);
      r[0] = rat(1);
      for (int i = 0; i < d; ++i) r[i + 1] = rat((mask >> i) & 1 ? -1 : 1);
      inst.rows.push_back(r);
    }
  } else {
    for (int i = 1; i <= d; ++i)
      for (int s : {1, -1}) {
        Row r = zero_row(d + 1);
        r[0] = rat(1);
        r[i] = rat(s);
        inst.rows.push_back(r);
      }
  }
  return inst;
}

Instance simplex(Rep rep, int d)
{
  Instance inst = make("simplex" + rep_suffix(rep) + "-" + std::to_string(d), rep, d + 1);
  if (rep == Rep::H) {
    for (int i = 1; i <= d; ++i) {
      Row r = zero_row(d + 1);
      r[i] = rat(1);
      inst.rows.push_back(r);
    }
    Row r(static_cast<std::size_t>(d + 1), rat(-1));
    r[0] = rat(1);
    inst.rows.push_back(r);
  } else {
    Row o = zero_row(d + 1);
    o[0] = rat(1);
    inst.rows.push_back(o);
    for (int i = 1; i <= d; ++i) {
      Row r = zero_row(d + 1);
      r[0] = rat(1);
      r[i] = rat(1);
      inst.rows.push_back(r);
    }
  }
  return inst;
}

Instance cyclic_polytope(Rep rep, int n, int d, int den)
{
  Instance inst = make("cyclic" + rep_suffix(rep) + "-" + std::to_string(n) + "-" +
                           std::to_string(d) + (den > 1 ? "/" + std::to_string(den) : ""),
                       rep, d + 1);
  if (den < 1) throw std::invalid_argument("cyclic: den must be positive");
  // Integer parameters t; the points are (t/den)^k, and a facet row
  // (c_0, ..., c_d) for integer t becomes (c_0, c_1 den, ..., c_d den^d).
  std::vector<std::int64_t> t(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) t[i] = i - n / 2;
  if (rep == Rep::V) {
    for (std::int64_t ti : t) {
      Row r;
      i128 p = 1, q = 1;
      for (int k = 0; k <= d; ++k) {
        r.push_back(rat128(p, q));
        p *= ti;
        q *= den;
      }
      inst.rows.push_back(r);
    }
    return inst;
  }
  // Every d-subset whose polynomial prod (t - t_s) keeps one sign on the
  // other points spans a facet; the polynomial's coefficients are the row.
  std::vector<int> pick(static_cast<std::size_t>(d));
  std::iota(pick.begin(), pick.end(), 0);
  for (;;) {
    std::vector<i128> c(static_cast<std::size_t>(d + 1), 0);
    c[0] = 1;
    for (int s = 0; s < d; ++s) {
      // multiply by (x - t_s)
      for (int k = s + 1; k >= 1; --k) c[k] = c[k - 1] - static_cast<i128>(t[pick[s]]) * c[k];
      c[0] = -static_cast<i128>(t[pick[s]]) * c[0];
    }
    int sign = 0;
    bool facet = true;
    for (int j = 0, s = 0; j < n && facet; ++j) {
      if (s < d && pick[s] == j) {
        ++s;
        continue;
      }
      i128 v = 0;
      for (int k = d; k >= 0; --k) v = v * t[j] + c[k];
      int sg = v > 0 ? 1 : (v < 0 ? -1 : 0);
      if (sg == 0) continue;
      if (sign == 0) sign = sg;
      else if (sg != sign) facet = false;
    }
    if (facet) {
      Row r;
      i128 scale = 1;
      for (int k = 0; k <= d; ++k) {
        r.push_back(rat(narrow((sign < 0 ? -c[k] : c[k]) * scale)));
        scale *= den;
      }
      inst.rows.push_back(r);
    }
    int i = d - 1;
    while (i >= 0 && pick[i] == n - d + i) --i;
    if (i < 0) break;
    ++pick[i];
    for (int k = i + 1; k < d; ++k) pick[k] = pick[k - 1] + 1;
  }
  return inst;
}

Instance simplex_product(Rep rep, int a, int b)
{
  int d = a + b;
  Instance inst = make("simplexprod" + rep_suffix(rep) + "-" + std::to_string(a) + "-" +
                           std::to_string(b),
                       rep, d + 1);
  if (rep == Rep::H) {
    for (int i = 1; i <= d; ++i) {
      Row r = zero_row(d + 1);
      r[i] = rat(1);
      inst.rows.push_back(r);
    }
    Row ra = zero_row(d + 1), rb = zero_row(d + 1);
    ra[0] = rb[0] = rat(1);
    for (int i = 1; i <= a; ++i) ra[i] = rat(-1);
    for (int i = a + 1; i <= d; ++i) rb[i] = rat(-1);
    inst.rows.push_back(ra);
    inst.rows.push_back(rb);
  } else {
    for (int u = 0; u <= a; ++u)
      for (int w = 0; w <= b; ++w) {
        Row r = zero_row(d + 1);
        r[0] = rat(1);
        if (u > 0) r[u] = rat(1);
        if (w > 0) r[a + w] = rat(1);
        inst.rows.push_back(r);
      }
  }
  return inst;
}

Instance sphere_points(int n, int d, std::uint64_t seed)
{
  Instance inst = make("sphere-v-" + std::to_string(n) + "-" + std::to_string(d) + "-s" +
                           std::to_string(seed),
                       Rep::V, d + 1);
  Prng rng(seed);
  std::set<std::vector<std::pair<std::int64_t, std::int64_t>>> seen;
  int guard = 0;
  while (inst.rowcount() < n && guard++ < 100 * n + 1000) {
    // w/q is a rational point of R^{d-1}; its inverse stereographic image
    // (2 w q, |w|^2 - q^2) / (|w|^2 + q^2) lies on the sphere exactly.
    std::int64_t q = rng.uniform(1, 3);
    std::vector<std::int64_t> w(static_cast<std::size_t>(d - 1));
    std::int64_t w2 = 0;
    for (auto& x : w) {
      x = rng.uniform(-4, 4);
      w2 += x * x;
    }
    std::int64_t den = w2 + q * q;
    Row r;
    r.push_back(rat(1));
    for (auto x : w) r.push_back(rat(2 * x * q, den));
    r.push_back(rat(w2 - q * q, den));
    std::vector<std::pair<std::int64_t, std::int64_t>> key;
    for (auto& x : r) key.emplace_back(x.num, x.den);
    if (seen.insert(key).second) inst.rows.push_back(r);
  }
  return inst;
}

Instance random_inequalities(int m, int d, std::uint64_t seed, int k)
{
  Instance inst = make("randineq-h-" + std::to_string(m) + "-" + std::to_string(d) + "-s" +
                           std::to_string(seed),
                       Rep::H, d + 1);
  Prng rng(seed);
  while (inst.rowcount() < m) {
    Row r;
    r.push_back(rat(rng.uniform(k, 2 * k)));
    bool nonzero = false;
    for (int j = 0; j < d; ++j) {
      std::int64_t v = rng.uniform(-k, k);
      nonzero = nonzero || v != 0;
      r.push_back(rat(v));
    }
    if (nonzero) inst.rows.push_back(r);
  }
  return inst;
}

Instance random_cone(int m, int d, std::uint64_t seed, int k)
{
  Instance inst = make("randcone-h-" + std::to_string(m) + "-" + std::to_string(d) + "-s" +
                           std::to_string(seed),
                       Rep::H, d + 1);
  Prng rng(seed);
  while (inst.rowcount() < m) {
    Row r;
    r.push_back(rat(0));
    std::int64_t sum = 0;
    for (int j = 0; j < d; ++j) {
      std::int64_t v = rng.uniform(-k, k);
      sum += v;
      r.push_back(rat(v));
    }
    // Every normal has a positive sum, so (1, ..., 1) is interior and the
    // cone is full-dimensional rather than the origin alone.
    if (sum > 0) inst.rows.push_back(r);
  }
  return inst;
}

// ---- combinatorial polytopes ---------------------------------------------------
// Their rows are integers and written with the number type "integer".

namespace {

// Beyond this the families' rows or vertices (2^n, n!) outgrow any run.
constexpr int kMaxCombinatorialN = 20;

void check_n(int n, int lo)
{
  if (n < lo || n > kMaxCombinatorialN) throw std::invalid_argument("n out of range");
}

// Column of x_ij (1 <= i < j <= n) in the pairs' lexicographic order, 1-based
// since column 0 is the homogenising one.
long pair_column(int n, int i, int j)
{
  // pairs before row i: (i-1) n - i (i-1) / 2
  return static_cast<long>(i - 1) * n - static_cast<long>(i) * (i - 1) / 2 + (j - i);
}

}  // namespace

Instance metric_polytope(int n)
{
  check_n(n, 3);
  const long pairs = static_cast<long>(n) * (n - 1) / 2;
  Instance inst = make("metric-h-" + std::to_string(n), Rep::H, pairs + 1);
  inst.integer_type = true;
  for (int i = 1; i <= n; ++i)
    for (int j = i + 1; j <= n; ++j)
      for (int k = j + 1; k <= n; ++k) {
        const long c[3] = {pair_column(n, i, j), pair_column(n, i, k), pair_column(n, j, k)};
        // Triangles: x_c[s] <= the other two, i.e. 0 - x_c[s] + others >= 0.
        for (int s = 0; s < 3; ++s) {
          Row r = zero_row(inst.cols);
          for (int t = 0; t < 3; ++t) r[c[t]] = rat(t == s ? -1 : 1);
          inst.rows.push_back(r);
        }
        // Perimeter: 2 - x_ij - x_ik - x_jk >= 0.
        Row r = zero_row(inst.cols);
        r[0] = rat(2);
        for (long col : c) r[col] = rat(-1);
        inst.rows.push_back(r);
      }
  return inst;
}

Instance birkhoff_polytope(int n)
{
  check_n(n, 2);
  const long vars = static_cast<long>(n) * n;
  Instance inst = make("birkhoff-h-" + std::to_string(n), Rep::H, vars + 1);
  inst.integer_type = true;
  auto col = [n](int i, int j) { return static_cast<long>(i) * n + j + 1; };
  // Row sums and column sums equal to 1; the last column sum follows from
  // the others, so it is left out and the equations are independent.
  for (int i = 0; i < n; ++i) {
    Row r = zero_row(inst.cols);
    r[0] = rat(1);
    for (int j = 0; j < n; ++j) r[col(i, j)] = rat(-1);
    inst.rows.push_back(r);
  }
  for (int j = 0; j + 1 < n; ++j) {
    Row r = zero_row(inst.cols);
    r[0] = rat(1);
    for (int i = 0; i < n; ++i) r[col(i, j)] = rat(-1);
    inst.rows.push_back(r);
  }
  for (long e = 1; e <= inst.rowcount(); ++e) inst.linearity.push_back(e);
  for (long v = 1; v <= vars; ++v) {
    Row r = zero_row(inst.cols);
    r[v] = rat(1);
    inst.rows.push_back(r);
  }
  return inst;
}

Instance permutahedron(int n)
{
  check_n(n, 2);
  Instance inst = make("permutahedron-h-" + std::to_string(n), Rep::H, n + 1);
  inst.integer_type = true;
  Row sum = zero_row(inst.cols);
  sum[0] = rat(static_cast<std::int64_t>(n) * (n + 1) / 2);
  for (int i = 1; i <= n; ++i) sum[i] = rat(-1);
  inst.rows.push_back(sum);
  inst.linearity.push_back(1);
  // Every nonempty proper subset S: sum over S of x_i >= |S| (|S| + 1) / 2.
  for (long mask = 1; mask + 1 < (1L << n); ++mask) {
    Row r = zero_row(inst.cols);
    const std::int64_t size = __builtin_popcountl(static_cast<unsigned long>(mask));
    r[0] = rat(-size * (size + 1) / 2);
    for (int i = 0; i < n; ++i)
      if ((mask >> i) & 1) r[i + 1] = rat(1);
    inst.rows.push_back(r);
  }
  return inst;
}

Instance cut_polytope(int n)
{
  check_n(n, 2);
  const long pairs = static_cast<long>(n) * (n - 1) / 2;
  Instance inst = make("cut-v-" + std::to_string(n), Rep::V, pairs + 1);
  inst.integer_type = true;
  // Node 1 stays on side 0, so each cut is listed once.
  for (long side = 0; side < (1L << (n - 1)); ++side) {
    Row r = zero_row(inst.cols);
    r[0] = rat(1);
    auto on = [side](int v) { return v > 1 && ((side >> (v - 2)) & 1); };
    for (int i = 1; i <= n; ++i)
      for (int j = i + 1; j <= n; ++j) r[pair_column(n, i, j)] = rat(on(i) != on(j) ? 1 : 0);
    inst.rows.push_back(r);
  }
  return inst;
}

// ---- cones and polytopes from applications --------------------------------------

Instance magic_squares(int n)
{
  check_n(n, 3);
  const long vars = static_cast<long>(n) * n;
  Instance inst = make("magic-h-" + std::to_string(n), Rep::H, vars + 1);
  inst.integer_type = true;
  auto col = [n](int i, int j) { return static_cast<long>(i) * n + j + 1; };
  // Each line's sum minus the first row's.
  auto line = [&](auto&& in_line) {
    Row r = zero_row(inst.cols);
    for (int j = 0; j < n; ++j) r[col(0, j)] = rat(-1);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        if (in_line(i, j)) r[col(i, j)] = add(r[col(i, j)], rat(1));
    inst.rows.push_back(r);
  };
  for (int k = 1; k < n; ++k) line([k](int i, int) { return i == k; });
  for (int k = 0; k + 1 < n; ++k) line([k](int, int j) { return j == k; });
  line([](int i, int j) { return i == j; });
  line([n](int i, int j) { return i + j == n - 1; });
  for (long e = 1; e <= inst.rowcount(); ++e) inst.linearity.push_back(e);
  for (long v = 1; v <= vars; ++v) {
    Row r = zero_row(inst.cols);
    r[v] = rat(1);
    inst.rows.push_back(r);
  }
  return inst;
}

Instance contingency_cone(int p, int q, int r)
{
  check_n(p, 2), check_n(q, 2), check_n(r, 2);
  const long pq = static_cast<long>(p) * q, pr = static_cast<long>(p) * r;
  const long qr = static_cast<long>(q) * r;
  Instance inst = make("contingency-v-" + std::to_string(p) + "-" + std::to_string(q) + "-" +
                           std::to_string(r),
                       Rep::V, 1 + pq + pr + qr);
  inst.integer_type = true;
  for (int i = 0; i < p; ++i)
    for (int j = 0; j < q; ++j)
      for (int k = 0; k < r; ++k) {
        Row row = zero_row(inst.cols);
        row[1 + static_cast<long>(i) * q + j] = rat(1);
        row[1 + pq + static_cast<long>(i) * r + k] = rat(1);
        row[1 + pq + pr + static_cast<long>(j) * r + k] = rat(1);
        inst.rows.push_back(std::move(row));
      }
  return inst;
}

Instance birkhoff_vertices(int n)
{
  check_n(n, 2);
  if (n > 9) throw std::invalid_argument("n! vertices: n out of range");
  Instance inst = make("birkhoff-v-" + std::to_string(n), Rep::V,
                       static_cast<long>(n) * n + 1);
  inst.integer_type = true;
  std::vector<int> perm(static_cast<std::size_t>(n));
  std::iota(perm.begin(), perm.end(), 0);
  do {
    Row r = zero_row(inst.cols);
    r[0] = rat(1);
    for (int i = 0; i < n; ++i) r[1 + static_cast<long>(i) * n + perm[i]] = rat(1);
    inst.rows.push_back(std::move(r));
  } while (std::next_permutation(perm.begin(), perm.end()));
  return inst;
}

Instance knapsack_cone(Rep rep, const std::vector<std::int64_t>& a, std::int64_t b)
{
  if (b <= 0 || a.empty()) throw std::invalid_argument("knapsack: b > 0 and a nonempty");
  const long n = static_cast<long>(a.size());
  std::string name = "knapsack" + rep_suffix(rep) + "-" + std::to_string(b);
  for (std::int64_t x : a) name += (x < 0 ? "" : "+") + std::to_string(x);
  Instance inst = make(name, rep, n + 2);
  inst.integer_type = true;
  if (rep == Rep::H) {
    Row eq = zero_row(inst.cols);
    for (long i = 0; i < n; ++i) eq[i + 1] = rat(a[i]);
    eq[n + 1] = rat(-b);
    inst.rows.push_back(std::move(eq));
    inst.linearity.push_back(1);
    for (long c = 1; c <= n + 1; ++c) {
      Row r = zero_row(inst.cols);
      r[c] = rat(1);
      inst.rows.push_back(std::move(r));
    }
    return inst;
  }
  // A ray has one or two nonzero coordinates; two have opposite signs in
  // (a, -b), scaled to be primitive.
  auto pair = [&](long c1, std::int64_t v1, long c2, std::int64_t v2) {
    const std::int64_t g = std::gcd(v1, v2);
    Row r = zero_row(inst.cols);
    r[c1] = rat(v1 / g);
    r[c2] = rat(v2 / g);
    inst.rows.push_back(std::move(r));
  };
  for (long i = 0; i < n; ++i) {
    if (a[i] == 0) {
      Row r = zero_row(inst.cols);
      r[i + 1] = rat(1);
      inst.rows.push_back(std::move(r));
      continue;
    }
    if (a[i] < 0) continue;
    for (long j = 0; j < n; ++j)
      if (a[j] < 0) pair(i + 1, -a[j], j + 1, a[i]);
    pair(i + 1, b, n + 1, a[i]);
  }
  return inst;
}

Instance knapsack_cone(Rep rep, int n, std::uint64_t seed)
{
  if (n < 2 || n > 1000) throw std::invalid_argument("knapsack: n out of range");
  Prng rng(seed);
  std::vector<std::int64_t> a(static_cast<std::size_t>(n));
  for (;;) {
    for (auto& x : a) {
      x = rng.uniform(1, 9);
      if (rng.uniform(0, 1) != 0) x = -x;
    }
    // Two positive entries and a negative one make every y >= 0 a facet.
    const auto positive = std::count_if(a.begin(), a.end(), [](std::int64_t x) { return x > 0; });
    if (positive >= 2 && positive < n) break;
  }
  Instance inst = knapsack_cone(rep, a, rng.uniform(1, 9));
  inst.name = "knapsack" + rep_suffix(rep) + "-" + std::to_string(n) + "-s" + std::to_string(seed);
  return inst;
}

// ---- transformations -----------------------------------------------------------

Instance repeat_rows(const Instance& inst, int step)
{
  Instance out = inst;
  out.name += "+rep" + std::to_string(step);
  for (long i = 0; i < inst.rowcount(); i += step) {
    out.rows.push_back(inst.rows[i]);
    if (inst.is_linearity(i + 1)) out.linearity.push_back(out.rowcount());
  }
  return out;
}

Instance scaled_copies(const Instance& inst, Rational factor, int step)
{
  Instance out = inst;
  out.name += "+mult" + std::to_string(step);
  for (long i = 0; i < inst.rowcount(); i += step) {
    Row r = inst.rows[i];
    bool point = inst.rep == Rep::V && r[0].num != 0;
    if (!point)
      for (auto& x : r) x = mul(x, factor);
    out.rows.push_back(r);
    if (inst.is_linearity(i + 1)) out.linearity.push_back(out.rowcount());
  }
  return out;
}

Instance append_rows(const Instance& inst, const std::vector<std::vector<Rational>>& extra)
{
  Instance out = inst;
  out.name += "+extra";
  for (const Row& r : extra) {
    if (static_cast<long>(r.size()) != inst.cols) throw std::invalid_argument("row size");
    out.rows.push_back(r);
  }
  return out;
}

Instance cylinder(const Instance& inst)
{
  Instance out = inst;
  out.name += "+cyl";
  out.cols = inst.cols + 1;
  for (auto& r : out.rows) r.push_back(rat(0));
  if (inst.rep == Rep::V) {
    Row line = zero_row(out.cols);
    line[out.cols - 1] = rat(1);
    out.rows.push_back(line);
    out.linearity.push_back(out.rowcount());
  }
  return out;
}

Instance pyramid(const Instance& inst)
{
  Instance out = inst;
  out.name += "+pyr";
  out.cols = inst.cols + 1;
  if (inst.rep == Rep::H) {
    for (auto& r : out.rows) {
      if (r[0].num <= 0) throw std::invalid_argument("pyramid: origin not interior");
      r.push_back(neg(r[0]));
    }
    Row base = zero_row(out.cols);
    base[out.cols - 1] = rat(1);
    out.rows.push_back(base);
  } else {
    for (auto& r : out.rows) r.push_back(rat(0));
    Row apex = zero_row(out.cols);
    apex[0] = rat(1);
    apex[out.cols - 1] = rat(1);
    out.rows.push_back(apex);
  }
  return out;
}

Instance on_hyperplane(const Instance& inst, std::uint64_t seed)
{
  Prng rng(seed);
  std::vector<Rational> c(static_cast<std::size_t>(inst.cols));
  for (auto& x : c) x = rat(rng.uniform(-3, 3));
  Instance out = inst;
  out.name += "+hyp";
  out.cols = inst.cols + 1;
  if (inst.rep == Rep::H) {
    for (auto& r : out.rows) r.push_back(rat(0));
    Row eq = c;  // c0 + c.x - y = 0
    eq.push_back(rat(-1));
    out.rows.push_back(eq);
    out.linearity.push_back(out.rowcount());
  } else {
    for (auto& r : out.rows) {
      // a point gets c0 + c.x; a ray or line only c.r
      Rational y = r[0].num != 0 ? c[0] : rat(0);
      for (long j = 1; j < inst.cols; ++j) y = add(y, mul(c[j], r[j]));
      r.push_back(y);
    }
  }
  return out;
}

Instance cone_over(const Instance& v_polytope)
{
  if (v_polytope.rep != Rep::V) throw std::invalid_argument("cone_over needs V");
  Instance out = v_polytope;
  out.name += "+cone";
  out.cols = v_polytope.cols + 1;
  for (auto& r : out.rows) r.insert(r.begin(), rat(0));
  return out;
}

Instance translate(const Instance& inst, const std::vector<std::int64_t>& t)
{
  if (static_cast<long>(t.size()) != inst.cols - 1) throw std::invalid_argument("shift size");
  Instance out = inst;
  out.name += "+shift";
  for (auto& r : out.rows) {
    if (inst.rep == Rep::H) {
      for (std::size_t j = 0; j < t.size(); ++j) r[0] = add(r[0], neg(mul(r[j + 1], rat(t[j]))));
    } else if (r[0].num != 0) {
      for (std::size_t j = 0; j < t.size(); ++j) r[j + 1] = add(r[j + 1], rat(t[j]));
    }
  }
  return out;
}

Instance with_combinations(const Instance& v_polytope, int count, std::uint64_t seed)
{
  Prng rng(seed);
  Instance out = v_polytope;
  out.name += "+int" + std::to_string(count);
  std::vector<long> points;
  for (long i = 0; i < v_polytope.rowcount(); ++i)
    if (v_polytope.rows[i][0].num != 0) points.push_back(i);
  if (points.empty()) throw std::invalid_argument("no points");
  for (int c = 0; c < count; ++c) {
    // Three weighted points keep the denominators small.
    Row sum = zero_row(v_polytope.cols);
    std::int64_t total = 0;
    for (int k = 0; k < 3; ++k) {
      long p = points[static_cast<std::size_t>(
          rng.uniform(0, static_cast<std::int64_t>(points.size()) - 1))];
      std::int64_t w = rng.uniform(1, 3);
      total += w;
      for (long j = 0; j < v_polytope.cols; ++j)
        sum[j] = add(sum[j], mul(rat(w), v_polytope.rows[p][j]));
    }
    for (auto& x : sum) x = mul(x, rat(1, total));
    out.rows.push_back(sum);
  }
  return out;
}

// ---- families by name ------------------------------------------------------------

namespace {

struct FamilyEntry {
  const char* name;
  const char* params;
  std::size_t min_params;
  std::size_t max_params;
  Instance (*build)(std::span<const long>);
};

const FamilyEntry kFamilies[] = {
    {"cube-h", "d", 1, 1, [](std::span<const long> p) { return hypercube(Rep::H, int(p[0])); }},
    {"cube-v", "d", 1, 1, [](std::span<const long> p) { return hypercube(Rep::V, int(p[0])); }},
    {"cross-h", "d", 1, 1,
     [](std::span<const long> p) { return cross_polytope(Rep::H, int(p[0])); }},
    {"cross-v", "d", 1, 1,
     [](std::span<const long> p) { return cross_polytope(Rep::V, int(p[0])); }},
    {"simplex-h", "d", 1, 1, [](std::span<const long> p) { return simplex(Rep::H, int(p[0])); }},
    {"simplex-v", "d", 1, 1, [](std::span<const long> p) { return simplex(Rep::V, int(p[0])); }},
    {"cyclic-h", "n d [den]", 2, 3,
     [](std::span<const long> p) {
       return cyclic_polytope(Rep::H, int(p[0]), int(p[1]), p.size() > 2 ? int(p[2]) : 1);
     }},
    {"cyclic-v", "n d [den]", 2, 3,
     [](std::span<const long> p) {
       return cyclic_polytope(Rep::V, int(p[0]), int(p[1]), p.size() > 2 ? int(p[2]) : 1);
     }},
    {"simplexprod-h", "a b", 2, 2,
     [](std::span<const long> p) { return simplex_product(Rep::H, int(p[0]), int(p[1])); }},
    {"simplexprod-v", "a b", 2, 2,
     [](std::span<const long> p) { return simplex_product(Rep::V, int(p[0]), int(p[1])); }},
    {"sphere-v", "n d [seed]", 2, 3,
     [](std::span<const long> p) {
       return sphere_points(int(p[0]), int(p[1]), p.size() > 2 ? std::uint64_t(p[2]) : 1);
     }},
    {"randineq-h", "m d [seed]", 2, 3,
     [](std::span<const long> p) {
       return random_inequalities(int(p[0]), int(p[1]), p.size() > 2 ? std::uint64_t(p[2]) : 1);
     }},
    {"randcone-h", "m d [seed]", 2, 3,
     [](std::span<const long> p) {
       return random_cone(int(p[0]), int(p[1]), p.size() > 2 ? std::uint64_t(p[2]) : 1);
     }},
    {"metric-h", "n", 1, 1, [](std::span<const long> p) { return metric_polytope(int(p[0])); }},
    {"birkhoff-h", "n", 1, 1,
     [](std::span<const long> p) { return birkhoff_polytope(int(p[0])); }},
    {"permutahedron-h", "n", 1, 1, [](std::span<const long> p) { return permutahedron(int(p[0])); }},
    {"cut-v", "n", 1, 1, [](std::span<const long> p) { return cut_polytope(int(p[0])); }},
    {"magic-h", "n", 1, 1, [](std::span<const long> p) { return magic_squares(int(p[0])); }},
    {"contingency-v", "p q r", 3, 3,
     [](std::span<const long> p) { return contingency_cone(int(p[0]), int(p[1]), int(p[2])); }},
    {"birkhoff-v", "n", 1, 1, [](std::span<const long> p) { return birkhoff_vertices(int(p[0])); }},
    {"knapsack-h", "n [seed]", 1, 2,
     [](std::span<const long> p) {
       return knapsack_cone(Rep::H, int(p[0]), p.size() > 1 ? std::uint64_t(p[1]) : 1);
     }},
    {"knapsack-v", "n [seed]", 1, 2,
     [](std::span<const long> p) {
       return knapsack_cone(Rep::V, int(p[0]), p.size() > 1 ? std::uint64_t(p[1]) : 1);
     }},
};

}  // namespace

std::optional<Instance> family_by_name(std::string_view name, std::span<const long> params,
                                       std::string* error)
{
  for (const auto& f : kFamilies) {
    if (name != f.name) continue;
    if (params.size() < f.min_params || params.size() > f.max_params) {
      if (error) *error = std::string(f.name) + " takes: " + f.params;
      return std::nullopt;
    }
    // Dimensions and counts must be positive; sizes beyond these limits
    // overflow the generators' integers or the machine.
    for (std::size_t i = 0; i < params.size() && i < f.min_params; ++i)
      if (params[i] < 1 || params[i] > 100000) {
        if (error) *error = std::string(f.name) + ": parameter out of range";
        return std::nullopt;
      }
    try {
      return f.build(params);
    } catch (const std::exception& e) {
      if (error) *error = std::string(f.name) + ": " + e.what();
      return std::nullopt;
    }
  }
  if (error) *error = "unknown family " + std::string(name);
  return std::nullopt;
}

std::string family_usage()
{
  std::string s;
  for (const auto& f : kFamilies) s += std::string("  ") + f.name + " " + f.params + "\n";
  return s;
}

}  // namespace zonix::families
