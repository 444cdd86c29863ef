// Which integer representation should exact double description use?
//
// Times the inner operations of a fraction-free run on rays that look like
// the real ones: each ray is the primitive integer normal of d-1 rows of a
// cyclic polytope's points (1, t, ..., t^d), as every extreme ray of a
// double description run is.  The operations: the sign of a row on a ray,
// and a new ray from two rays on opposite sides of a row, made primitive.
// Candidates: GMP rationals (mpq), GMP integers (mpz) with gcd reduction,
// 64-bit integers with overflow checks falling back to mpz, FLINT's fmpz.
//
//   exact_numbers [n d] ...      (default: 16 8, 24 12, 30 15, 40 6)
//   exact_numbers --convert n d  the library's exact conversion of the
//                                cyclic polytope's n points (t, ..., t^d),
//                                t = -n/2 ..., to its facets: exact data,
//                                which a file read in doubles is not for
//                                large t^d; prints facets and CPU seconds
#include <flint/fmpz.h>
#include <flint/fmpz_vec.h>
#include <gmpxx.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "zonixexact.hpp"

namespace {

using Zvec = std::vector<mpz_class>;

// Primitive normal of the rows in `pick` (d-1 rows of d+1 columns... here
// the rows have d+1 entries and the normal lies in their null space), by
// fraction-free elimination followed by cofactor expansion of the last
// free column.
Zvec null_vector(const std::vector<Zvec> &rows)
{
  const size_t k = rows.size(), n = rows[0].size();
  std::vector<Zvec> M = rows;
  std::vector<size_t> pivcol;
  mpz_class prev = 1;
  size_t r = 0;
  for (size_t c = 0; c < n && r < k; ++c) {
    size_t p = r;
    while (p < k && M[p][c] == 0) ++p;
    if (p == k) continue;
    std::swap(M[p], M[r]);
    for (size_t i = r + 1; i < k; ++i) {
      for (size_t j = c + 1; j < n; ++j)
        M[i][j] = (M[r][c] * M[i][j] - M[i][c] * M[r][j]) / prev;
      M[i][c] = 0;
    }
    prev = M[r][c];
    pivcol.push_back(c);
    ++r;
  }
  // One free column f; back-substitute x_f = 1 over rationals, then clear.
  std::vector<char> is_piv(n, 0);
  for (size_t c : pivcol) is_piv[c] = 1;
  size_t f = 0;
  while (f < n && is_piv[f]) ++f;
  std::vector<mpq_class> x(n, 0);
  x[f] = 1;
  for (size_t i = pivcol.size(); i-- > 0;) {
    const size_t c = pivcol[i];
    mpq_class s = 0;
    for (size_t j = c + 1; j < n; ++j) s += mpq_class(M[i][j]) * x[j];
    x[c] = -s / mpq_class(M[i][c]);
  }
  mpz_class l = 1;
  for (auto &q : x) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), q.get_den_mpz_t());
  Zvec out(n);
  mpz_class g = 0;
  for (size_t j = 0; j < n; ++j) {
    out[j] = x[j].get_num() * (l / x[j].get_den());
    mpz_gcd(g.get_mpz_t(), g.get_mpz_t(), out[j].get_mpz_t());
  }
  if (g != 0)
    for (auto &v : out) v /= g;
  return out;
}

struct Work {
  std::vector<Zvec> rows, rays;
};

Work make_work(int n, int d, std::mt19937 &rng)
{
  Work w;
  for (int t = 1; t <= n; ++t) {
    Zvec a(static_cast<size_t>(d + 1));
    mpz_class p = 1;
    for (int j = 0; j <= d; ++j, p *= t) a[j] = p;
    w.rows.push_back(a);
  }
  std::uniform_int_distribution<int> pick(0, n - 1);
  for (int k = 0; k < 400; ++k) {
    std::vector<Zvec> sub;
    std::vector<char> used(static_cast<size_t>(n), 0);
    while (static_cast<int>(sub.size()) < d) {
      const int i = pick(rng);
      if (!used[i]) { used[i] = 1; sub.push_back(w.rows[i]); }
    }
    w.rays.push_back(null_vector(sub));
  }
  return w;
}

// The kernel, written once over the representation R's three operations.
template <class R>
double run(const Work &w, long &fallbacks)
{
  auto rows = R::convert(w.rows);
  auto rays = R::convert(w.rays);
  const auto t0 = std::chrono::steady_clock::now();
  long made = 0;
  for (size_t h = 0; h < rows.size(); ++h) {
    std::vector<typename R::Num> val(rays.size());
    for (size_t i = 0; i < rays.size(); ++i) val[i] = R::dot(rows[h], rays[i], fallbacks);
    for (size_t i = 0; i < rays.size() && made < 20000; i += 3)
      for (size_t j = 1; j < rays.size() && made < 20000; j += 7) {
        if (R::sign(val[i]) * R::sign(val[j]) >= 0) continue;
        auto c = R::combine(rays[i], val[i], rays[j], val[j], fallbacks);
        ++made;
        (void)c;
      }
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct Mpz {
  using Num = mpz_class;
  using Vec = std::vector<mpz_class>;
  static std::vector<Vec> convert(const std::vector<Zvec> &v) { return v; }
  static int sign(const Num &x) { return sgn(x); }
  static Num dot(const Vec &a, const Vec &b, long &)
  {
    Num s = 0;
    for (size_t j = 0; j < a.size(); ++j) s += a[j] * b[j];
    return s;
  }
  static Vec combine(const Vec &r1, const Num &v1, const Vec &r2, const Num &v2, long &)
  {
    Vec c(r1.size());
    mpz_class g = 0;
    for (size_t j = 0; j < c.size(); ++j) {
      c[j] = v1 * r2[j] - v2 * r1[j];
      mpz_gcd(g.get_mpz_t(), g.get_mpz_t(), c[j].get_mpz_t());
    }
    if (g > 1)
      for (auto &x : c) mpz_divexact(x.get_mpz_t(), x.get_mpz_t(), g.get_mpz_t());
    return c;
  }
};

struct Mpq {
  using Num = mpq_class;
  using Vec = std::vector<mpq_class>;
  static std::vector<Vec> convert(const std::vector<Zvec> &v)
  {
    std::vector<Vec> out;
    for (const auto &r : v) {
      Vec q(r.size());
      // Rational codes keep rays normalised by their first nonzero entry.
      mpz_class first = 0;
      for (const auto &x : r)
        if (x != 0) { first = abs(x); break; }
      for (size_t j = 0; j < r.size(); ++j) q[j] = mpq_class(r[j], first == 0 ? 1 : first);
      for (auto &x : q) x.canonicalize();
      out.push_back(q);
    }
    return out;
  }
  static int sign(const Num &x) { return sgn(x); }
  static Num dot(const Vec &a, const Vec &b, long &)
  {
    Num s = 0;
    for (size_t j = 0; j < a.size(); ++j) s += a[j] * b[j];
    return s;
  }
  static Vec combine(const Vec &r1, const Num &v1, const Vec &r2, const Num &v2, long &)
  {
    Vec c(r1.size());
    for (size_t j = 0; j < c.size(); ++j) c[j] = v1 * r2[j] - v2 * r1[j];
    return c;
  }
};

// 64-bit entries while every product fits; the whole operation is redone in
// mpz (and counted) when one does not.
struct Fast {
  struct Num {
    long long small = 0;
    mpz_class big;
    bool is_big = false;
  };
  using Vec = std::vector<Num>;
  static Num from(const mpz_class &x)
  {
    Num n;
    if (mpz_fits_slong_p(x.get_mpz_t())) n.small = x.get_si();
    else { n.big = x; n.is_big = true; }
    return n;
  }
  static mpz_class as_mpz(const Num &x) { return x.is_big ? x.big : mpz_class(static_cast<long>(x.small)); }
  static std::vector<Vec> convert(const std::vector<Zvec> &v)
  {
    std::vector<Vec> out;
    for (const auto &r : v) {
      Vec q;
      for (const auto &x : r) q.push_back(from(x));
      out.push_back(q);
    }
    return out;
  }
  static int sign(const Num &x) { return x.is_big ? sgn(x.big) : (x.small > 0) - (x.small < 0); }
  static Zvec wide(const Vec &a)
  {
    Zvec z;
    for (const auto &x : a) z.push_back(as_mpz(x));
    return z;
  }
  static Num dot(const Vec &a, const Vec &b, long &fallbacks)
  {
    long long s = 0;
    bool ok = true;
    for (size_t j = 0; j < a.size() && ok; ++j) {
      long long p;
      ok = !a[j].is_big && !b[j].is_big && !__builtin_mul_overflow(a[j].small, b[j].small, &p) &&
           !__builtin_add_overflow(s, p, &s);
    }
    if (ok) return Num{s, {}, false};
    ++fallbacks;
    long unused = 0;
    return from(Mpz::dot(wide(a), wide(b), unused));
  }
  static Vec combine(const Vec &r1, const Num &v1, const Vec &r2, const Num &v2, long &fallbacks)
  {
    Vec c(r1.size());
    bool ok = !v1.is_big && !v2.is_big;
    long long g = 0;
    for (size_t j = 0; j < c.size() && ok; ++j) {
      long long p, q;
      ok = !r1[j].is_big && !r2[j].is_big && !__builtin_mul_overflow(v1.small, r2[j].small, &p) &&
           !__builtin_mul_overflow(v2.small, r1[j].small, &q) &&
           !__builtin_sub_overflow(p, q, &c[j].small);
      if (ok) g = std::gcd(g, c[j].small < 0 ? -c[j].small : c[j].small);
    }
    if (ok) {
      if (g > 1)
        for (auto &x : c) x.small /= g;
      return c;
    }
    ++fallbacks;
    long unused = 0;
    const auto z = Mpz::combine(wide(r1), as_mpz(v1), wide(r2), as_mpz(v2), unused);
    Vec out;
    for (const auto &x : z) out.push_back(from(x));
    return out;
  }
};

// FLINT's fmpz: a machine word until it outgrows it, then a GMP integer.
struct Flint {
  struct Num {
    fmpz_t v;
    Num() { fmpz_init(v); }
    Num(const Num &o) { fmpz_init_set(v, o.v); }
    Num &operator=(const Num &o) { fmpz_set(v, o.v); return *this; }
    ~Num() { fmpz_clear(v); }
  };
  using Vec = std::vector<Num>;
  static std::vector<Vec> convert(const std::vector<Zvec> &v)
  {
    std::vector<Vec> out;
    for (const auto &r : v) {
      Vec q(r.size());
      for (size_t j = 0; j < r.size(); ++j) fmpz_set_mpz(q[j].v, r[j].get_mpz_t());
      out.push_back(q);
    }
    return out;
  }
  static int sign(const Num &x) { return fmpz_sgn(x.v); }
  static Num dot(const Vec &a, const Vec &b, long &)
  {
    Num s;
    for (size_t j = 0; j < a.size(); ++j) fmpz_addmul(s.v, a[j].v, b[j].v);
    return s;
  }
  static Vec combine(const Vec &r1, const Num &v1, const Vec &r2, const Num &v2, long &)
  {
    Vec c(r1.size());
    Num g;
    for (size_t j = 0; j < c.size(); ++j) {
      fmpz_mul(c[j].v, v1.v, r2[j].v);
      fmpz_submul(c[j].v, v2.v, r1[j].v);
      fmpz_gcd(g.v, g.v, c[j].v);
    }
    if (!fmpz_is_one(g.v) && !fmpz_is_zero(g.v))
      for (auto &x : c) fmpz_divexact(x.v, x.v, g.v);
    return c;
  }
};

}  // namespace

namespace {

// The whole exact conversion of a cyclic polytope, as processor time.
int convert_cyclic(int n, int d)
{
  zonix::QMatrix in;
  in.rows = n;
  in.cols = d + 1;
  in.representation = dd_Generator;
  in.entries.resize(static_cast<size_t>(n * (d + 1)));
  for (int i = 0; i < n; ++i) {
    const mpz_class t = i - n / 2;
    mpz_class p = 1;
    for (int k = 0; k <= d; ++k, p *= t) in.at(i, k) = p;
  }
  zonix::ExactConvert rq;
  rq.input = &in;
  zonix::ExactResult res;
  const std::clock_t start = std::clock();
  zonix_exact_convert(&rq, &res);
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  std::printf("cyclic (%d, %d): error %d, %ld facets, %.2f s\n", n, d, static_cast<int>(res.error),
              res.output.rows, seconds);
  return res.error == dd_NoError ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv)
{
  if (argc == 4 && std::string(argv[1]) == "--convert")
    return convert_cyclic(std::atoi(argv[2]), std::atoi(argv[3]));
  std::vector<std::pair<int, int>> cases;
  for (int i = 1; i + 1 < argc; i += 2) cases.emplace_back(std::atoi(argv[i]), std::atoi(argv[i + 1]));
  if (cases.empty()) cases = {{16, 8}, {24, 12}, {30, 15}, {40, 6}};
  std::printf("| cyclic (n, d) | mpq s | mpz s | int64+mpz s (fallbacks) | fmpz s |\n");
  std::printf("|---|---:|---:|---:|---:|\n");
  for (auto [n, d] : cases) {
    std::mt19937 rng(1);
    const Work w = make_work(n, d, rng);
    long f0 = 0, f1 = 0, f2 = 0, f3 = 0;
    const double q = run<Mpq>(w, f0), z = run<Mpz>(w, f1), s = run<Fast>(w, f2),
                 f = run<Flint>(w, f3);
    std::printf("| (%d, %d) | %.3f | %.3f | %.3f (%ld) | %.3f |\n", n, d, q, z, s, f2, f);
  }
}
