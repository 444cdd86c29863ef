// The exact checker (zonixcheck.hpp).  Conversions are checked as one
// question about a cone C = {y : atoms . y >= 0, eqs . y = 0}: are the
// listed elements exactly its extreme rays (modulo its lineality) and the
// listed lines a basis of that lineality?  H to V asks it of the
// homogenised polyhedron, V to H of the dual cone of the generators, whose
// extreme rays are the facets.
#include "zonixcheck.hpp"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <span>
#include <unordered_map>

namespace zonix::check {

namespace {

using u64 = std::uint64_t;
using i64 = std::int64_t;
using i128 = __int128;
using Set = std::vector<std::uint32_t>;  // sorted atom numbers
using View = std::span<const std::uint32_t>;

Verdict no(std::string why) { return Verdict{false, std::move(why)}; }

// ---- integer rows ------------------------------------------------------------
// Each row is scaled by a positive factor to a primitive integer vector:
// signs, tight sets and parallelism stay, and dot products become integer.

constexpr u64 kP = (u64{1} << 61) - 1;  // ranks are taken modulo this prime

u64 mulmod(u64 a, u64 b)
{
  const unsigned __int128 t = static_cast<unsigned __int128>(a) * b;
  u64 r = (static_cast<u64>(t) & kP) + static_cast<u64>(t >> 61);
  return r >= kP ? r - kP : r;
}

u64 powmod(u64 a, u64 e)
{
  u64 r = 1;
  for (; e != 0; e >>= 1, a = mulmod(a, a))
    if ((e & 1) != 0) r = mulmod(r, a);
  return r;
}

int bitlen(u64 v) { return v == 0 ? 0 : 64 - __builtin_clzll(v); }

struct Rows {
  std::size_t d, n = 0;
  std::vector<i64> small;  // n * d; zeros for a row held in GMP
  std::vector<int> bits;   // bit length of the row's largest entry
  std::vector<long> big;   // index into bigrows, or -1
  std::vector<std::vector<mpz_class>> bigrows;
  std::vector<u64> mod;      // n * d residues
  std::vector<long> origin;  // the row's number in its matrix, 0 if made up
  std::vector<i64> buf;

  explicit Rows(std::size_t dim) : d(dim) {}
  const i64 *row(std::size_t i) const { return small.data() + i * d; }
  const u64 *res(std::size_t i) const { return mod.data() + i * d; }
  bool zero(std::size_t i) const { return bits[i] == 0; }
  mpz_class entry(std::size_t i, std::size_t j) const
  {
    return big[i] >= 0 ? bigrows[static_cast<std::size_t>(big[i])][j] : mpz_class(static_cast<long>(row(i)[j]));
  }

  // A rational row as a primitive integer one, in 64 bits where it fits.
  void push(const mpq_class *q, long from)
  {
    std::vector<i64> &v = buf;
    v.assign(d, 0);
    bool fits = true;
    for (std::size_t j = 0; j < d && fits; ++j) {
      const mpz_srcptr nu = mpq_numref(q[j].get_mpq_t());
      fits = mpz_cmp_ui(mpq_denref(q[j].get_mpq_t()), 1) == 0 && mpz_sizeinbase(nu, 2) <= 62;
      v[j] = fits ? mpz_get_si(nu) : 0;
    }
    std::vector<mpz_class> z;
    if (fits) {
      i64 g = 0;
      for (std::size_t j = 0; j < d && g != 1; ++j) g = std::gcd(g, v[j]);
      for (auto &e : v) e = g > 1 ? e / g : e;
    } else {
      mpz_class l = 1, g = 0;
      for (std::size_t j = 0; j < d; ++j) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), q[j].get_den_mpz_t());
      for (std::size_t j = 0; j < d; ++j) z.push_back(q[j].get_num() * (l / q[j].get_den()));
      for (const auto &e : z) mpz_gcd(g.get_mpz_t(), g.get_mpz_t(), e.get_mpz_t());
      fits = true;
      for (std::size_t j = 0; j < d; ++j) {
        if (g > 1) z[j] /= g;
        fits = fits && mpz_sizeinbase(z[j].get_mpz_t(), 2) <= 62;
        v[j] = fits ? z[j].get_si() : 0;
      }
    }
    static const mpz_class p(std::to_string(kP));
    u64 top = 0;
    for (std::size_t j = 0; j < d; ++j) {
      small.push_back(fits ? v[j] : 0);
      if (fits) {
        const u64 a = static_cast<u64>(v[j] < 0 ? -v[j] : v[j]), r = a % kP;
        top |= a;
        mod.push_back(v[j] < 0 && r != 0 ? kP - r : r);
      } else {
        mpz_class r;
        mpz_fdiv_r(r.get_mpz_t(), z[j].get_mpz_t(), p.get_mpz_t());
        mod.push_back(mpz_get_ui(r.get_mpz_t()));
      }
    }
    bits.push_back(fits ? bitlen(top) : 127);  // 127: products in GMP
    big.push_back(fits ? -1 : static_cast<long>(bigrows.size()));
    if (!fits) bigrows.push_back(std::move(z));
    origin.push_back(from);
    ++n;
  }
  void push_unit0(long from)  // (1, 0, ..., 0)
  {
    std::vector<mpq_class> e(d, 0);
    e[0] = 1;
    push(e.data(), from);
  }
  void pop()
  {
    --n, small.resize(n * d), mod.resize(n * d), bits.pop_back(), origin.pop_back();
    if (big.back() >= 0) bigrows.pop_back();
    big.pop_back();
  }
  bool is_unit0(std::size_t i) const
  {
    return big[i] < 0 && row(i)[0] == 1 && std::all_of(row(i) + 1, row(i) + d, [](i64 e) { return e == 0; });
  }
  bool same(std::size_t i, std::size_t k) const
  {
    for (std::size_t j = 0; j < d; ++j)
      if (entry(i, j) != entry(k, j)) return false;
    return true;
  }
};

// The sign of row i of a times row k of b, exactly: in 128 bits when the
// sizes allow, else in GMP.
int sign_dot(const Rows &a, std::size_t i, const Rows &b, std::size_t k)
{
  const int logd = bitlen(a.d);
  if (a.big[i] < 0 && b.big[k] < 0 && a.bits[i] + b.bits[k] + logd <= 126) {
    const i64 *x = a.row(i), *y = b.row(k);
    i128 s = 0;
    for (std::size_t j = 0; j < a.d; ++j) s += static_cast<i128>(x[j]) * y[j];
    return (s > 0) - (s < 0);
  }
  mpz_class s = 0;
  for (std::size_t j = 0; j < a.d; ++j) s += a.entry(i, j) * b.entry(k, j);
  return sgn(s);
}

// acc[a] += sum_j col[j][a] * e[j]: the caller has bounded every sum.
[[gnu::always_inline]] inline void accumulate_body(i64 *acc, const i64 *col, const i64 *e, std::size_t d,
                                                   std::size_t m)
{
  for (std::size_t j = 0; j < d; ++j) {
    const i64 v = e[j], *cj = col + j * m;
    if (v == 0) continue;
#pragma omp simd
    for (std::size_t a = 0; a < m; ++a) acc[a] += cj[a] * v;
  }
}
__attribute__((target("avx512f,avx512dq"))) void accumulate_wide(i64 *acc, const i64 *col, const i64 *e,
                                                                 std::size_t d, std::size_t m)
{
  accumulate_body(acc, col, e, d, m);
}
void accumulate(i64 *acc, const i64 *col, const i64 *e, std::size_t d, std::size_t m)
{
  static const bool wide = __builtin_cpu_supports("avx512dq") != 0;
  if (wide)
    accumulate_wide(acc, col, e, d, m);
  else
    accumulate_body(acc, col, e, d, m);
}

// ---- ranks modulo a prime ----------------------------------------------------
// Such a rank never exceeds the rank over the rationals.  Every rank the
// checker needs is bounded from above exactly by the geometry (vectors
// known to lie in a kernel), so "rank mod p reaches r" proves "rank = r";
// an unlucky prime can only turn a yes into a no.

struct Basis {
  std::size_t d;
  std::vector<u64> rows;  // rank() rows of d, each with a pivot entry 1
  std::vector<std::size_t> piv;
  std::vector<u64> w;     // scratch
  explicit Basis(std::size_t dim) : d(dim), w(dim) {}
  std::size_t rank() const { return piv.size(); }
  bool add(const u64 *v)
  {
    std::copy(v, v + d, w.begin());
    for (std::size_t r = 0; r < piv.size(); ++r) {
      const u64 f = w[piv[r]];
      if (f == 0) continue;
      const u64 nf = kP - f, *b = rows.data() + r * d;
      for (std::size_t j = piv[r]; j < d; ++j)
        if (b[j] != 0) {
          const u64 t = w[j] + mulmod(nf, b[j]);
          w[j] = t >= kP ? t - kP : t;
        }
    }
    std::size_t c = 0;
    while (c < d && w[c] == 0) ++c;
    if (c == d) return false;
    const u64 inv = powmod(w[c], kP - 2);
    for (auto &x : w) x = mulmod(x, inv);
    rows.insert(rows.end(), w.begin(), w.end());
    piv.push_back(c);
    return true;
  }
  void truncate(std::size_t r)
  {
    rows.resize(r * d);
    piv.resize(r);
  }
};

// Rank of base plus the rows `which` of r, stopping once it reaches goal;
// base is left as it was.
std::size_t rank_with(Basis &base, const Rows &r, View which, std::size_t goal)
{
  const std::size_t r0 = base.rank();
  for (auto i : which) {
    if (base.rank() >= goal) break;
    base.add(r.res(i));
  }
  const std::size_t k = base.rank();
  base.truncate(r0);
  return k;
}

// ---- sets ------------------------------------------------------------------------

u64 key(std::uint32_t a)  // splitmix64: a random-looking key per atom
{
  u64 z = a + 0x9e3779b97f4a7c15ULL;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

u64 hash(View s)
{
  u64 h = 0;
  for (auto a : s) h += key(a);
  return h;
}

Set meet(View a, View b)
{
  Set r;
  std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(r));
  return r;
}

bool within(View a, View b) { return std::includes(b.begin(), b.end(), a.begin(), a.end()); }

Set without(View s, std::size_t k)
{
  Set r(s.begin(), s.end());
  r.erase(r.begin() + static_cast<long>(k));
  return r;
}

// The ridges (one atom dropped) of the simple ones among some sets, by
// hash; set(i) gives set i.
template <class Get>
struct Ridges {
  struct R {
    u64 h;
    std::uint32_t x, k;  // set x less its k-th atom
  };
  Get set;
  std::vector<R> v;
  Ridges(std::size_t n, Get get, const std::vector<char> &simple) : set(get)
  {
    for (std::size_t x = 0; x < n; ++x)
      if (simple[x] != 0) {
        const u64 h = hash(set(x));
        for (std::size_t k = 0; k < set(x).size(); ++k)
          v.push_back({h - key(set(x)[k]), static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(k)});
      }
    // by the top bits into buckets that fit in cache, then each bucket
    const int b = std::min(12, bitlen(v.size() / 64));
    std::vector<std::size_t> at((std::size_t{1} << b) + 1, 0);
    for (const R &r : v) ++at[(r.h >> (63 - b) >> 1) + 1];
    std::partial_sum(at.begin(), at.end(), at.begin());
    std::vector<R> out(v.size());
    for (const R &r : v) out[at[r.h >> (63 - b) >> 1]++] = r;
    for (std::size_t k = 0, lo = 0; k + 1 < at.size(); lo = at[k++])
      std::sort(out.begin() + static_cast<long>(lo), out.begin() + static_cast<long>(at[k]),
                [](const R &x, const R &y) { return x.h < y.h; });
    v.swap(out);
  }
  bool same(const R &a, const R &b) const
  {
    const View s1 = set(a.x), s2 = set(b.x);
    if (s1.size() != s2.size() || s1[a.k] == s2[b.k]) return false;
    for (std::size_t i = 0, j = 0; i < s1.size(); ++i, ++j) {
      i += i == a.k, j += j == b.k;
      if (i < s1.size() && s1[i] != s2[j]) return false;
    }
    return true;
  }
  bool is(const R &a, View t) const
  {
    const View s1 = set(a.x);
    if (s1.size() != t.size() + 1) return false;
    for (std::size_t i = 0, j = 0; j < t.size(); ++i, ++j) {
      i += i == a.k;
      if (s1[i] != t[j]) return false;
    }
    return true;
  }
  // mate(x, y) for each ridge two sets share, lone(r) for one no other set
  // has; false when three share one.
  template <class Mate, class Lone>
  bool match(Mate mate, Lone lone) const
  {
    std::vector<char> used;
    for (std::size_t i = 0, j = 0; i < v.size(); i = j) {
      while (j < v.size() && v[j].h == v[i].h) ++j;
      used.assign(j - i, 0);
      for (std::size_t a = i; a < j; ++a) {
        std::size_t mates = 0;
        for (std::size_t b = a + 1; b < j && used[a - i] == 0; ++b)
          if (used[b - i] == 0 && same(v[a], v[b])) {
            used[b - i] = 1;
            if (++mates > 1) return false;
            mate(v[a].x, v[b].x);
          }
        if (mates == 0 && used[a - i] == 0) lone(v[a]);
      }
    }
    return true;
  }
  bool has(View t) const
  {
    const u64 h = hash(t);
    auto it = std::lower_bound(v.begin(), v.end(), h, [](const R &a, u64 b) { return a.h < b; });
    for (; it != v.end() && it->h == h; ++it)
      if (is(*it, t)) return true;
    return false;
  }
};

// ---- the cone question -----------------------------------------------------------

struct Cone {
  Rows atoms, eqs, elems, lines;
  const char *atom = "input row", *elem = "output row", *line = "output line";  // for messages
  std::vector<char> proven;  // by input row: shown to hold with equality
  explicit Cone(std::size_t d) : atoms(d), eqs(d), elems(d), lines(d) {}
};

std::string named(const char *what, const Rows &r, std::size_t i)
{
  return r.origin[i] > 0 ? std::string(what) + " " + std::to_string(r.origin[i]) : std::string("the implied ") + what;
}

// One walk of the face lattice; the state of Cone::certify below.
struct Walk {
  const Cone &c;
  Basis eqbase;        // the equations with the implicit ones, mod p
  std::size_t q = 0;   // their rank
  // tight atoms of each element (implicit ones left out), one after another
  std::vector<std::uint32_t> zat;
  std::vector<std::size_t> zoff{0};
  View z(std::size_t x) const { return {zat.data() + zoff[x], zoff[x + 1] - zoff[x]}; }
  long budget = 0;
  // a face's up-faces, by the hash of its tight set
  std::unordered_map<u64, std::vector<std::pair<std::pair<Set, std::vector<std::size_t>>, std::vector<Set>>>> memo;

  explicit Walk(const Cone &cone) : c(cone), eqbase(cone.atoms.d) {}

  // Face F (tight atoms s, rank r): its up-faces (faces one dimension
  // higher) from the elements of pool, into ups with one element of each
  // in gens.  True when they are all of them: they are the extreme rays of
  // the cone of C at F, whose graph is connected once its pointed
  // dimension r - q is 3 or more, so a list closed under 2-faces is all.
  bool up_faces(const Set &s, std::size_t r, const std::vector<std::size_t> &pool, std::vector<Set> &ups,
                std::vector<std::size_t> &gens)
  {
    const u64 h = hash(s);
    if (auto it = memo.find(h); it != memo.end())
      for (const auto &[face, known] : it->second)
        if (face.first == s) {
          ups = known;
          gens = face.second;
          return true;
        }
    // Up-faces are the largest of the sets s & z(g) when the list is
    // complete; each must then reach rank r - 1 (it cannot pass it: it
    // vanishes on F and on g, which lies outside span F).
    std::vector<std::pair<Set, std::size_t>> cand;
    for (auto g : pool) {
      if ((budget -= static_cast<long>(4 * s.size() + 64)) < 0) return false;
      Set t = meet(s, z(g));
      if (t.size() < s.size() && t.size() + q + 1 >= r) cand.emplace_back(std::move(t), g);
    }
    std::sort(cand.begin(), cand.end(), [](const auto &x, const auto &y) { return x.first.size() > y.first.size(); });
    for (auto &[t, g] : cand) {
      bool inner = false;
      for (std::size_t k = 0; k < ups.size() && !inner; ++k) inner = within(t, ups[k]);
      if (inner) continue;
      if ((budget -= static_cast<long>(t.size() * r * c.atoms.d / 2 + 64)) < 0) return false;
      if (rank_with(eqbase, c.atoms, t, r - 1) < r - 1) return false;
      ups.push_back(std::move(t));
      gens.push_back(g);
    }
    const std::size_t pointed = r - q;
    if (pointed <= 2) {
      if (ups.size() != pointed) return false;
    } else {
      // 2-faces through a simple up-face (r - 1 - q atoms): drop one atom;
      // they are found again in one other simple up-face, or in a larger one.
      std::vector<char> simple(ups.size());
      std::vector<std::size_t> big;
      for (std::size_t k = 0; k < ups.size(); ++k)
        if ((simple[k] = ups[k].size() + q + 1 == r) == 0) big.push_back(k);
      auto get = [&](std::size_t k) { return View(ups[k]); };
      const Ridges<decltype(get)> rg(ups.size(), get, simple);
      auto in_big = [&](View t, std::size_t k) {
        return std::any_of(big.begin(), big.end(), [&](std::size_t k2) { return k2 != k && within(t, ups[k2]); });
      };
      bool closed = true;
      if (!rg.match([](std::size_t, std::size_t) {},
                    [&](const auto &x) { closed = closed && in_big(without(ups[x.x], x.k), x.x); }))
        return false;
      for (std::size_t i = 0; i < big.size() && closed; ++i) {
        std::vector<Set> two;
        std::vector<std::size_t> g2;
        closed = up_faces(ups[big[i]], r - 1, gens, two, g2) &&
                 std::all_of(two.begin(), two.end(), [&](const Set &t2) { return rg.has(t2) || in_big(t2, big[i]); });
      }
      if (!closed) return false;
    }
    memo[h].emplace_back(std::make_pair(s, gens), ups);
    return true;
  }
};

// The question itself; with nbrs, each element's neighbours (the other
// element of each 2-face through it) come out too.
Verdict certify(const Cone &c, std::vector<std::vector<std::size_t>> *nbrs = nullptr)
{
  const std::size_t d = c.atoms.d, n = c.elems.n, m = c.atoms.n;
  Walk w(c);
  // Validity, exactly: lines on every atom and equation, elements on the
  // equations and on the right side of every atom.
  for (std::size_t l = 0; l < c.lines.n; ++l)
    for (const Rows *r : {&c.atoms, &c.eqs})
      for (std::size_t a = 0; a < r->n; ++a)
        if (sign_dot(*r, a, c.lines, l) != 0)
          return no(named(c.line, c.lines, l) + " is not orthogonal to " + named(c.atom, *r, a));
  std::vector<std::uint32_t> zat;
  std::vector<std::size_t> zoff{0};
  std::vector<std::size_t> count(m, 0);
  // With every atom in 64 bits, an element's products with all of them in
  // one pass over the atoms' columns, wherever no sum can pass 2^62.
  int abits = 0;
  bool columns = true;
  for (std::size_t a = 0; a < m && columns; ++a) {
    columns = c.atoms.big[a] < 0;
    abits = std::max(abits, c.atoms.bits[a]);
  }
  std::vector<i64> col(columns ? d * m : 0), acc(columns ? m : 0);
  for (std::size_t a = 0; a < m && columns; ++a)
    for (std::size_t j = 0; j < d; ++j) col[j * m + a] = c.atoms.row(a)[j];
  for (std::size_t x = 0; x < n; ++x) {
    if (c.elems.zero(x)) return no(named(c.elem, c.elems, x) + " is zero");
    for (std::size_t e = 0; e < c.eqs.n; ++e)
      if (sign_dot(c.eqs, e, c.elems, x) != 0)
        return no(named(c.elem, c.elems, x) + " breaks equation " + std::to_string(c.eqs.origin[e]));
    const bool fast = columns && c.elems.big[x] < 0 && abits + c.elems.bits[x] + bitlen(d) <= 62;
    if (fast) {
      std::fill(acc.begin(), acc.end(), 0);
      accumulate(acc.data(), col.data(), c.elems.row(x), d, m);
    }
    for (std::size_t a = 0; a < m; ++a) {
      const int s = fast ? (acc[a] > 0) - (acc[a] < 0) : sign_dot(c.atoms, a, c.elems, x);
      if (s < 0) return no(named(c.elem, c.elems, x) + " is on the wrong side of " + named(c.atom, c.atoms, a));
      if (s == 0) {
        zat.push_back(static_cast<std::uint32_t>(a));
        ++count[a];
      }
    }
    zoff.push_back(zat.size());
  }
  // Atoms tight on every element are equations of C if the list is right;
  // that needs its own proof: an atom whose opposite is an atom too.
  std::vector<char> implicit(m, 0);
  for (std::size_t a = 0; a < m; ++a) implicit[a] = count[a] == n;
  auto opposite = [&](std::size_t a, std::size_t b) {
    for (std::size_t j = 0; j < d; ++j)
      if (c.atoms.entry(a, j) != -c.atoms.entry(b, j)) return false;
    return true;
  };
  for (std::size_t a = 0; a < m; ++a) {
    const long o = c.atoms.origin[a];
    bool shown = implicit[a] == 0 || c.atoms.zero(a) || (o > 0 && !c.proven.empty() && c.proven[o - 1] != 0);
    for (std::size_t b = 0; b < m && !shown; ++b) shown = implicit[b] != 0 && opposite(a, b);
    if (!shown) return no(named(c.atom, c.atoms, a) + " is tight on every " + c.elem + ", unproved an equation");
  }
  for (std::size_t e = 0; e < c.eqs.n; ++e) w.eqbase.add(c.eqs.res(e));
  for (std::size_t a = 0; a < m; ++a)
    if (implicit[a] != 0) w.eqbase.add(c.atoms.res(a));
  w.q = w.eqbase.rank();
  // R, the rank of all rows, is exact when the lines reach d - R: they lie
  // in the kernel of every row.
  Set allatoms;
  for (std::size_t a = 0; a < m; ++a)
    if (implicit[a] == 0) allatoms.push_back(static_cast<std::uint32_t>(a));
  const std::size_t R = rank_with(w.eqbase, c.atoms, allatoms, d);
  Basis lb(d);
  for (std::size_t l = 0; l < c.lines.n; ++l)
    if (!lb.add(c.lines.res(l))) return no(named(c.line, c.lines, l) + " depends on the lines before it");
  if (R + lb.rank() != d)
    return no(std::string("the ") + c.line + "s span " + std::to_string(lb.rank()) + " dimensions, not " +
              std::to_string(d - R));
  // q is exact when the elements and lines span d - q: the equations vanish
  // on them.
  Basis xb = lb;
  for (std::size_t x = 0; x < n && xb.rank() < d - w.q; ++x) xb.add(c.elems.res(x));
  if (xb.rank() + w.q != d) return no(std::string("the ") + c.elem + "s do not span the cone");
  const std::size_t q = w.q, pointed = R - q;
  for (std::size_t x = 0; x < n; ++x) {
    for (std::size_t i = zoff[x]; i < zoff[x + 1]; ++i)
      if (implicit[zat[i]] == 0) w.zat.push_back(zat[i]);
    w.zoff.push_back(w.zat.size());
  }
  std::vector<std::uint32_t>().swap(zat);
  // Extreme: the tight atoms of an element reach rank R - 1 (at most that,
  // as they vanish on the element and the lineality).  An element with
  // exactly R - 1 - q tight atoms is simple; its ridges (drop one atom)
  // are 2-faces, each shared with exactly one other element.
  std::vector<char> simple(n, 0);
  std::vector<std::pair<u64, std::size_t>> byset;
  for (std::size_t x = 0; x < n; ++x) {
    if (w.z(x).size() == allatoms.size()) return no(named(c.elem, c.elems, x) + " lies in the lineality");
    if (w.z(x).size() + q + 1 < R) return no(named(c.elem, c.elems, x) + " is not extreme");
    simple[x] = w.z(x).size() + q + 1 == R;
    byset.emplace_back(hash(w.z(x)), x);
  }
  std::sort(byset.begin(), byset.end());
  for (std::size_t i = 1; i < byset.size(); ++i)
    for (std::size_t k = i; k-- > 0 && byset[k].first == byset[i].first;)
      if (std::ranges::equal(w.z(byset[k].second), w.z(byset[i].second)))
        return no(named(c.elem, c.elems, byset[i].second) + " repeats " + named(c.elem, c.elems, byset[k].second));
  auto get = [&](std::size_t x) { return w.z(x); };
  const Ridges<decltype(get)> rg(pointed >= 3 ? n : 0, get, simple);
  std::vector<std::size_t> parent(n);
  std::iota(parent.begin(), parent.end(), 0);
  auto root = [&](std::size_t x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  std::vector<typename decltype(rg.v)::value_type> open;  // ridges no other simple element has
  auto mate = [&](std::size_t x, std::size_t y) {
    parent[root(y)] = root(x);
    if (nbrs != nullptr) (*nbrs)[x].push_back(y), (*nbrs)[y].push_back(x);
  };
  if (!rg.match(mate, [&](const auto &r) { open.push_back(r); }))
    return no("a 2-face holds three " + std::string(c.elem) + "s");
  // One seed per group of simple elements joined by ridges: a neighbour of
  // a simple extreme element across a ridge is simple and extreme too.
  std::vector<char> seeded(n, 0);
  for (std::size_t x = 0; x < n; ++x) {
    if (simple[x] != 0 && pointed >= 3 && seeded[root(x)]++ != 0) continue;
    if (rank_with(w.eqbase, c.atoms, w.z(x), R - 1) < R - 1) return no(named(c.elem, c.elems, x) + " is not extreme");
  }
  // Complete: a pointed cone of dimension 1 or 2 has 1 or 2 extreme rays;
  // above, its graph is connected, so a list closed under 2-faces is all.
  if (pointed <= 2) {
    if (n != pointed)
      return no(std::to_string(n) + " " + c.elem + "s listed where there are " + std::to_string(pointed));
    if (nbrs != nullptr && n == 2) (*nbrs)[0] = {1}, (*nbrs)[1] = {0};
    return Verdict{};
  }
  if (n == 0) return no(std::string("no ") + c.elem + " listed");
  std::vector<std::vector<std::size_t>> holders(m);
  for (std::size_t x = 0; x < n; ++x)
    for (auto a : w.z(x)) holders[a].push_back(x);
  // The walk above degenerate elements can grow with the faces of the
  // cone; past about the cost of the validity pass it gives up.
  w.budget = static_cast<long>(n * m * d) + 2000000L;
  // Degenerate elements: the walk above them; their 2-faces go to a table
  // where the simple elements' unshared ridges must be found.
  std::unordered_map<u64, std::vector<std::pair<Set, std::size_t>>> degfaces;
  std::vector<std::size_t> shared(n, 0);
  for (std::size_t x = 0; x < n; ++x) {
    if (simple[x] != 0) continue;
    std::vector<std::size_t> pool;
    for (auto a : w.z(x))
      for (auto g : holders[a])
        if (shared[g]++ == 0) pool.push_back(g);
    std::vector<std::size_t> cand;
    for (auto g : pool) {
      if (g != x && shared[g] + q + 2 >= R) cand.push_back(g);
      shared[g] = 0;
    }
    std::vector<Set> ups;
    std::vector<std::size_t> gens;
    if (!w.up_faces(Set(w.z(x).begin(), w.z(x).end()), R - 1, cand, ups, gens))
      return no(w.budget < 0 ? std::string("too degenerate to certify here")
                             : "a 2-face at " + named(c.elem, c.elems, x) + " has no other " + c.elem);
    if (nbrs != nullptr) (*nbrs)[x].insert((*nbrs)[x].end(), gens.begin(), gens.end());
    if (!open.empty())
      for (auto &t : ups) degfaces[hash(t)].emplace_back(std::move(t), x);
  }
  for (const auto &r : open) {
    const Set s = without(w.z(r.x), r.k);
    bool found = false;
    auto it = degfaces.find(r.h);
    for (std::size_t i = 0; it != degfaces.end() && i < it->second.size() && !found; ++i)
      if ((found = it->second[i].first == s) && nbrs != nullptr) (*nbrs)[r.x].push_back(it->second[i].second);
    if (!found) return no("a 2-face at " + named(c.elem, c.elems, r.x) + " has no other " + c.elem);
  }
  return Verdict{};
}

// Rows of a matrix, parallel copies dropped (they are one atom).
void add_atom(Rows &r, const mpq_class *q, long from, std::unordered_map<u64, std::vector<std::size_t>> &seen)
{
  r.push(q, from);
  const std::size_t i = r.n - 1;
  u64 h = 0;
  for (std::size_t j = 0; j < r.d; ++j) h = h * 1000003u + r.res(i)[j];
  auto &bucket = seen[h];
  if (std::any_of(bucket.begin(), bucket.end(), [&](std::size_t k) { return r.same(k, i); }))
    r.pop();
  else
    bucket.push_back(i);
}

bool member(const std::vector<long> &lin, long i) { return std::binary_search(lin.begin(), lin.end(), i); }

const mpq_class *row_of(const QMatrix &M, long i) { return M.entries.data() + i * M.cols; }

Verdict farkas_sum(const QMatrix &M, const std::vector<mpq_class> &y);
Verdict combine(const QMatrix &M, const std::vector<mpq_class> &y, std::vector<mpq_class> &sum);

// The cone question of the conversion of in into out.
Verdict pose(const QMatrix &in, const QMatrix &out, Cone &c)
{
  if (in.cols != out.cols || in.cols < 1) return no("the column counts differ");
  const bool hin = in.representation != dd_Generator;
  if (hin == (out.representation != dd_Generator)) return no("the output is not the other representation");
  const std::size_t d = static_cast<std::size_t>(in.cols);
  std::unordered_map<u64, std::vector<std::size_t>> seen;
  if (hin) {
    bool homogeneous = true;
    for (long i = 0; i < in.rows; ++i) {
      homogeneous = homogeneous && sgn(in.at(i, 0)) == 0;
      if (member(in.linearity, i + 1))
        c.eqs.push(row_of(in, i), i + 1);
      else
        add_atom(c.atoms, row_of(in, i), i + 1, seen);
    }
    std::vector<mpq_class> t(d, 0);
    t[0] = 1;
    add_atom(c.atoms, t.data(), 0, seen);  // t >= 0
    bool apex = false;
    for (long i = 0; i < out.rows; ++i) {
      if (member(out.linearity, i + 1)) {
        c.lines.push(row_of(out, i), i + 1);
        continue;
      }
      c.elems.push(row_of(out, i), i + 1);
      apex = apex || c.elems.is_unit0(c.elems.n - 1);
    }
    // A cone's apex is implied by its rays; its V output has none then.
    if (homogeneous && !apex) c.elems.push_unit0(0);
    return Verdict{};
  }
  c.atom = "generator", c.line = "output equation";
  bool point = false;
  for (long i = 0; i < in.rows; ++i) {
    const bool line = member(in.linearity, i + 1) && sgn(in.at(i, 0)) == 0;
    point = point || sgn(in.at(i, 0)) != 0;
    if (line)
      c.eqs.push(row_of(in, i), i + 1);
    else
      add_atom(c.atoms, row_of(in, i), i + 1, seen);
  }
  if (!point) {  // the cone of the rays: the origin is its point
    std::vector<mpq_class> o(d, 0);
    o[0] = 1;
    add_atom(c.atoms, o.data(), 0, seen);
  }
  for (long i = 0; i < out.rows; ++i) {
    if (member(out.linearity, i + 1)) {
      c.lines.push(row_of(out, i), i + 1);
      continue;
    }
    c.elems.push(row_of(out, i), i + 1);
    // t >= 0 is taken below, whether listed or not
    if (c.elems.is_unit0(c.elems.n - 1)) c.elems.pop();
  }
  // t >= 0 is a facet when the generators it holds tight (rays, lines)
  // reach rank G - 1.
  Set tight;
  for (std::size_t a = 0; a < c.atoms.n; ++a)
    if (c.atoms.entry(a, 0) == 0) tight.push_back(static_cast<std::uint32_t>(a));
  Basis all(d), zero(d);
  for (std::size_t e = 0; e < c.eqs.n; ++e) all.add(c.eqs.res(e)), zero.add(c.eqs.res(e));
  for (std::size_t a = 0; a < c.atoms.n; ++a) all.add(c.atoms.res(a));
  if (rank_with(zero, c.atoms, tight, all.rank()) + 1 == all.rank()) c.elems.push_unit0(0);
  return Verdict{};
}

}  // namespace

Verdict conversion(const QMatrix &in, const QMatrix &out, const std::vector<mpq_class> *farkas)
{
  if (in.representation != dd_Generator && out.representation == dd_Generator && out.rows == 0 && in.cols == out.cols) {
    if (farkas == nullptr) return no("an empty answer without a Farkas vector");
    return farkas_sum(in, *farkas);
  }
  Cone c(static_cast<std::size_t>(std::max(in.cols, 1L)));
  if (farkas != nullptr) {
    // 0 = sum y_i (row_i . y) with every term >= 0 on the cone: the rows
    // with y_i > 0 hold with equality
    QMatrix rows = in;  // a line with t != 0 is a point: its multiplier is >= 0
    rows.linearity.clear();
    for (long i : in.linearity)
      if (in.representation != dd_Generator || sgn(in.at(i - 1, 0)) == 0) rows.linearity.push_back(i);
    std::vector<mpq_class> sum;
    if (Verdict v = combine(rows, *farkas, sum); !v) return v;
    if (std::any_of(sum.begin(), sum.end(), [](const mpq_class &v) { return sgn(v) != 0; }))
      return no("the rows' combination is not zero");
    for (const auto &v : *farkas) c.proven.push_back(sgn(v) > 0);
  }
  if (Verdict v = pose(in, out, c); !v) return v;
  return certify(c);
}

Verdict adjacency(const QMatrix &in, const QMatrix &out, const QFamily &adj)
{
  Cone c(static_cast<std::size_t>(std::max(in.cols, 1L)));
  if (Verdict v = pose(in, out, c); !v) return v;
  std::vector<std::vector<std::size_t>> nbrs(c.elems.n);
  if (Verdict v = certify(c, &nbrs); !v) return v;
  // As the library lists them: a line is next to every row, itself too,
  // and every row next to every line.
  QFamily want(static_cast<std::size_t>(out.rows));
  std::vector<long> lines;
  for (std::size_t l = 0; l < c.lines.n; ++l) lines.push_back(c.lines.origin[l]);
  std::vector<char> listed(static_cast<std::size_t>(out.rows), 0);
  for (auto l : lines) listed[static_cast<std::size_t>(l - 1)] = 1;
  for (std::size_t x = 0; x < c.elems.n; ++x) {
    const long k = c.elems.origin[x];
    if (k == 0) continue;
    listed[static_cast<std::size_t>(k - 1)] = 1;
    auto &w = want[static_cast<std::size_t>(k - 1)];
    for (auto g : nbrs[x])
      if (c.elems.origin[g] != 0) w.push_back(c.elems.origin[g]);
    w.insert(w.end(), lines.begin(), lines.end());
  }
  for (auto l : lines)
    for (long k = 1; k <= out.rows; ++k) want[static_cast<std::size_t>(l - 1)].push_back(k);
  if (std::find(listed.begin(), listed.end(), 0) != listed.end()) return no("an output row is no extreme ray");
  if (static_cast<long>(adj.size()) != out.rows) return no("the adjacency has the wrong number of sets");
  for (std::size_t k = 0; k < want.size(); ++k) {
    std::sort(want[k].begin(), want[k].end());
    want[k].erase(std::unique(want[k].begin(), want[k].end()), want[k].end());
    if (want[k] != adj[k]) return no("the neighbours of output row " + std::to_string(k + 1) + " differ");
  }
  return Verdict{};
}

// ---- LPs and the queries built on them -------------------------------------------

namespace {

// r0 + r1 x1 + ... (or without r0) for x of cols - 1 numbers.
mpq_class apply(const mpq_class *r, const std::vector<mpq_class> &x, bool constant = true)
{
  mpq_class v = constant ? r[0] : mpq_class(0);
  for (std::size_t j = 0; j < x.size(); ++j) v += r[j + 1] * x[j];
  return v;
}
mpq_class value(const QMatrix &M, long i, const std::vector<mpq_class> &x) { return apply(row_of(M, i), x); }

std::string row_name(long i) { return "row " + std::to_string(i + 1); }

// Every row holds at x, equations with equality.
Verdict feasible(const QMatrix &M, const std::vector<mpq_class> &x, const char *what)
{
  if (static_cast<long>(x.size()) != M.cols - 1) return no(std::string("the ") + what + " has the wrong length");
  for (long i = 0; i < M.rows; ++i) {
    const int s = sgn(value(M, i, x));
    if (s < 0 || (s != 0 && member(M.linearity, i + 1)))
      return no(std::string("the ") + what + " breaks " + row_name(i));
  }
  return Verdict{};
}

// sum y_i r_i over all columns, with y >= 0 off the equations.
Verdict combine(const QMatrix &M, const std::vector<mpq_class> &y, std::vector<mpq_class> &sum)
{
  if (static_cast<long>(y.size()) != M.rows) return no("the multipliers have the wrong length");
  sum.assign(static_cast<std::size_t>(M.cols), 0);
  for (long i = 0; i < M.rows; ++i) {
    const mpq_class &yi = y[static_cast<std::size_t>(i)];
    if (sgn(yi) < 0 && !member(M.linearity, i + 1)) return no("the multiplier of " + row_name(i) + " is negative");
    if (sgn(yi) == 0) continue;
    for (long j = 0; j < M.cols; ++j) sum[static_cast<std::size_t>(j)] += yi * M.at(i, j);
  }
  return Verdict{};
}

// An empty polyhedron's certificate: sum y_i r_i = (-c, 0, ..., 0) with
// c > 0, so 0 <= sum y_i (r_i0 + r_i.x) = -c at any point of it.
Verdict farkas_sum(const QMatrix &M, const std::vector<mpq_class> &y)
{
  std::vector<mpq_class> sum;
  if (Verdict v = combine(M, y, sum); !v) return v;
  if (M.cols == 0 || sgn(sum[0]) >= 0) return no("the Farkas combination has no negative constant");
  if (std::any_of(sum.begin() + 1, sum.end(), [](const mpq_class &v) { return sgn(v) != 0; }))
    return no("the Farkas combination is not constant");
  return Verdict{};
}

}  // namespace

Verdict lp(const QMatrix &lp, dd_LPStatusType status, const std::vector<mpq_class> &x,
           const std::vector<mpq_class> &y, const std::vector<mpq_class> &dir)
{
  if (lp.objective != dd_LPmax && lp.objective != dd_LPmin) return no("the LP has no objective");
  if (static_cast<long>(lp.rowvec.size()) != lp.cols || lp.cols < 1) return no("the objective has the wrong length");
  const int s = lp.objective == dd_LPmax ? 1 : -1;
  std::vector<mpq_class> sum;
  switch (status) {
    case dd_Optimal: {
      // weak duality: s c.x = -sum y_i r_i.x = sum y_i r_i0 - sum y_i (r_i0 + r_i.x) <= sum y_i r_i0
      if (Verdict v = feasible(lp, x, "point"); !v) return v;
      if (Verdict v = combine(lp, y, sum); !v) return v;
      for (std::size_t j = 1; j < sum.size(); ++j)
        if (s * lp.rowvec[j] + sum[j] != 0) return no("the multipliers do not give the objective");
      if (s * apply(lp.rowvec.data(), x) != s * lp.rowvec[0] + sum[0])
        return no("the point's value is not the dual bound");
      return Verdict{};
    }
    case dd_Inconsistent:
      return farkas_sum(lp, y);
    case dd_DualInconsistent:
    case dd_StrucDualInconsistent: {
      if (static_cast<long>(dir.size()) != lp.cols - 1) return no("the direction has the wrong length");
      for (long i = 0; i < lp.rows; ++i) {
        const int t = sgn(apply(row_of(lp, i), dir, false));
        if (t < 0 || (t != 0 && member(lp.linearity, i + 1))) return no("the direction leaves " + row_name(i));
      }
      if (s * sgn(apply(lp.rowvec.data(), dir, false)) <= 0) return no("the direction does not improve the objective");
      if (!x.empty()) return feasible(lp, x, "point");
      return Verdict{};
    }
    default:
      return no("no certificate for this status");
  }
}

Verdict interior(const QMatrix &h, const std::vector<mpq_class> &x, const mpq_class &margin)
{
  if (sgn(margin) <= 0) return no("the margin is not positive");
  if (Verdict v = feasible(h, x, "point"); !v) return v;
  for (long i = 0; i < h.rows; ++i)
    if (!member(h.linearity, i + 1) && value(h, i, x) < margin) return no(row_name(i) + " has less than the margin");
  return Verdict{};
}

Verdict redundancy(const QMatrix &in, const std::vector<long> &kept,
                   const std::vector<std::vector<mpq_class>> &removed_combination,
                   const std::vector<std::vector<mpq_class>> &kept_witness)
{
  const bool hrep = in.representation != dd_Generator;
  if (!std::is_sorted(kept.begin(), kept.end()) || std::adjacent_find(kept.begin(), kept.end()) != kept.end() ||
      (!kept.empty() && (kept.front() < 1 || kept.back() > in.rows)))
    return no("the kept rows are not increasing row numbers");
  std::vector<long> removed;
  for (long i = 1; i <= in.rows; ++i)
    if (!std::binary_search(kept.begin(), kept.end(), i)) {
      if (member(in.linearity, i)) return no(row_name(i - 1) + " is an equation or line and was removed");
      removed.push_back(i);
    }
  if (removed_combination.size() != removed.size() || kept_witness.size() != kept.size())
    return no("a certificate is missing");
  const std::size_t cols = static_cast<std::size_t>(in.cols);
  // Removed: implied by the kept rows.
  for (std::size_t k = 0; k < removed.size(); ++k) {
    const auto &y = removed_combination[k];
    if (y.size() != kept.size()) return no("the combination for " + row_name(removed[k] - 1) + " has the wrong length");
    std::vector<mpq_class> rest(row_of(in, removed[k] - 1), row_of(in, removed[k] - 1) + cols);
    for (std::size_t i = 0; i < kept.size(); ++i) {
      if (sgn(y[i]) < 0 && !member(in.linearity, kept[i]))
        return no("the combination for " + row_name(removed[k] - 1) + " is negative");
      for (std::size_t j = 0; j < cols; ++j) rest[j] -= y[i] * in.at(kept[i] - 1, static_cast<long>(j));
    }
    // H: the slack (s, 0, ..., 0), s >= 0, is the row 0 <= 1 times s.
    const bool slack_ok = hrep ? sgn(rest[0]) >= 0 : sgn(rest[0]) == 0;
    if (!slack_ok || std::any_of(rest.begin() + 1, rest.end(), [](const mpq_class &v) { return sgn(v) != 0; }))
      return no("the combination does not give " + row_name(removed[k] - 1));
  }
  // Kept: not implied by the other kept rows.
  for (std::size_t k = 0; k < kept.size(); ++k) {
    const auto &w = kept_witness[k];
    if (member(in.linearity, kept[k])) continue;
    if (w.size() != (hrep ? cols - 1 : cols))
      return no("the witness for " + row_name(kept[k] - 1) + " has the wrong length");
    for (std::size_t i = 0; i < kept.size(); ++i) {
      const mpq_class *r = row_of(in, kept[i] - 1);
      const int sv = sgn(hrep ? apply(r, w) : std::inner_product(r, r + cols, w.begin(), mpq_class(0)));
      const bool bad = i == k ? sv >= 0 : (member(in.linearity, kept[i]) ? sv != 0 : sv < 0);
      if (bad) return no("the witness for " + row_name(kept[k] - 1) + " fails at " + row_name(kept[i] - 1));
    }
  }
  return Verdict{};
}

Verdict linearity(const QMatrix &h, const std::vector<long> &implicit, const std::vector<mpq_class> &y,
                  const std::vector<mpq_class> &x)
{
  if (h.representation == dd_Generator) return no("implicit linearity is checked for H rows");
  std::vector<mpq_class> sum;
  if (!implicit.empty()) {
    // 0 = sum y_i (r_i0 + r_i.x) with every term >= 0: each term is 0
    if (Verdict v = combine(h, y, sum); !v) return v;
    if (std::any_of(sum.begin(), sum.end(), [](const mpq_class &v) { return sgn(v) != 0; }))
      return no("the combination is not zero");
  }
  for (long r : implicit) {
    if (r < 1 || r > h.rows || member(h.linearity, r)) return no("a claimed row is no inequality row");
    if (sgn(y[static_cast<std::size_t>(r - 1)]) <= 0) return no("the combination leaves out " + row_name(r - 1));
  }
  if (Verdict v = feasible(h, x, "point"); !v) return v;
  for (long i = 0; i < h.rows; ++i)
    if (!member(h.linearity, i + 1) && std::find(implicit.begin(), implicit.end(), i + 1) == implicit.end() &&
        sgn(value(h, i, x)) <= 0)
      return no(row_name(i) + " is tight at the point but not claimed");
  return Verdict{};
}

namespace {

// The rank over the rationals, by elimination.
std::size_t exact_rank(std::vector<std::vector<mpq_class>> a)
{
  std::size_t r = 0;
  const std::size_t cols = a.empty() ? 0 : a[0].size();
  for (std::size_t j = 0; j < cols && r < a.size(); ++j) {
    std::size_t p = r;
    while (p < a.size() && sgn(a[p][j]) == 0) ++p;
    if (p == a.size()) continue;
    std::swap(a[p], a[r]);
    for (std::size_t i = r + 1; i < a.size(); ++i)
      if (sgn(a[i][j]) != 0) {
        const mpq_class f = a[i][j] / a[r][j];
        for (std::size_t k = j; k < cols; ++k) a[i][k] -= f * a[r][k];
      }
    ++r;
  }
  return r;
}

}  // namespace

Verdict projection(const QMatrix &in, const std::vector<long> &eliminated, const QMatrix &out,
                   const std::vector<std::vector<mpq_class>> &combination,
                   const std::vector<std::vector<std::vector<mpq_class>>> &tight, const std::vector<mpq_class> &inner)
{
  std::vector<long> keep;  // the input column of each output column
  for (long j = 0; j < in.cols; ++j)
    if (j == 0 || std::find(eliminated.begin(), eliminated.end(), j + 1) == eliminated.end()) keep.push_back(j);
  if (static_cast<long>(keep.size()) != out.cols || static_cast<long>(keep.size() + eliminated.size()) != in.cols)
    return no("the eliminated columns do not match the output");
  if (combination.size() != static_cast<std::size_t>(out.rows) || tight.size() != combination.size())
    return no("a certificate is missing");
  auto project = [&](const std::vector<mpq_class> &x) {
    std::vector<mpq_class> p;
    for (std::size_t j = 1; j < keep.size(); ++j) p.push_back(x[static_cast<std::size_t>(keep[j] - 1)]);
    return p;
  };
  if (Verdict v = feasible(in, inner, "inner point"); !v) return v;
  const std::vector<mpq_class> pin = project(inner);
  std::vector<std::vector<mpq_class>> eqs;
  for (long k = 0; k < out.rows; ++k)
    if (member(out.linearity, k + 1)) eqs.emplace_back(row_of(out, k), row_of(out, k) + out.cols);
  const std::size_t dim = static_cast<std::size_t>(out.cols - 1) - exact_rank(eqs);
  for (long k = 0; k < out.rows; ++k) {
    const bool eq = member(out.linearity, k + 1);
    std::vector<mpq_class> sum;
    const auto &y = combination[static_cast<std::size_t>(k)];
    // valid: a combination of the input rows without the eliminated columns
    if (Verdict v = combine(in, y, sum); !v) return v;
    for (long i = 0; i < in.rows && eq; ++i)
      if (sgn(y[static_cast<std::size_t>(i)]) != 0 && !member(in.linearity, i + 1))
        return no("output equation " + std::to_string(k + 1) + " uses an inequality");
    for (auto j : eliminated)
      if (sgn(sum[static_cast<std::size_t>(j - 1)]) != 0) return no("the combination keeps an eliminated column");
    for (std::size_t j = 0; j < keep.size(); ++j)
      if (sum[static_cast<std::size_t>(keep[j])] != out.at(k, static_cast<long>(j)))
        return no("the combination does not give output row " + std::to_string(k + 1));
    if (eq) continue;
    // a facet: strictly positive inside, zero on dim affinely independent points
    if (sgn(value(out, k, pin)) <= 0) return no("output row " + std::to_string(k + 1) + " is tight at the inner point");
    const auto &pts = tight[static_cast<std::size_t>(k)];
    if (pts.size() != dim)
      return no("output row " + std::to_string(k + 1) + " needs " + std::to_string(dim) + " points");
    std::vector<std::vector<mpq_class>> lifted;
    for (const auto &x : pts) {
      if (Verdict v = feasible(in, x, "point"); !v) return v;
      std::vector<mpq_class> p = project(x);
      if (sgn(value(out, k, p)) != 0) return no("output row " + std::to_string(k + 1) + " misses a point");
      p.insert(p.begin(), mpq_class(1));
      lifted.push_back(std::move(p));
    }
    if (exact_rank(lifted) != dim) return no("the points of output row " + std::to_string(k + 1) + " are dependent");
  }
  return Verdict{};
}

}  // namespace zonix::check
