// The exact checker.  A conversion is one question about a cone C = {y :
// atoms . y >= 0, eqs . y = 0}: are the listed elements its extreme rays
// (modulo its lineality) and the lines a basis of that lineality?  H to V
// asks it of the homogenised polyhedron, V to H of the generators' dual
// cone, whose extreme rays are the facets.
#include "zonixcheck.hpp"
#include "zonixcpu.hpp"

#include <algorithm>
#include <cstdint>
#include <map>
#include <numeric>
#include <span>
#include <unordered_map>

namespace zonix::check {

namespace {

using u64 = std::uint64_t;
using i64 = std::int64_t;
using Set = std::vector<std::uint32_t>;  // sorted atom numbers
using View = std::span<const std::uint32_t>;

Verdict no(std::string why, bool unproved = false) { return Verdict{false, std::move(why), unproved}; }
bool member(const std::vector<long> &s, long i) { return std::binary_search(s.begin(), s.end(), i); }
const mpq_class *row_of(const QMatrix &M, long i) { return M.entries.data() + i * M.cols; }
const std::int64_t *row_of(const IntRows &M, long i) { return M.entries.data() + i * M.cols; }
std::string row_name(long i) { return "row " + std::to_string(i + 1); }
int bitlen(u64 v) { return v == 0 ? 0 : 64 - __builtin_clzll(v); }

// Two Mersenne primes: ranks in 31 bits first (the loops vectorise), in 61 where those fall short.
constexpr u64 kP = (u64{1} << 61) - 1, kQ = (u64{1} << 31) - 1;

template <u64 P = kP>
u64 mulmod(u64 a, u64 b)
{
  const unsigned __int128 t = static_cast<unsigned __int128>(a) * b;  // in 64 bits for kQ
  const u64 r = P == kQ ? ((a * b) & P) + ((a * b) >> 31) : (static_cast<u64>(t) & P) + static_cast<u64>(t >> 61);
  return r >= P ? r - P : r;
}

template <u64 P, int B = P == kP ? 61 : 31>  // a mod P for a < 2^62, without a division
u64 reduce(u64 a) { return a = (a & P) + (a >> B), a = (a & P) + (a >> B), a >= P ? a - P : a; }

struct Rows {  // integer rows, each a positive multiple of its row, primitive
  std::size_t d, n = 0;
  const char *what;  // for messages
  std::vector<i64> small;                   // n * d; zeros for a row in GMP
  std::vector<std::vector<mpz_class>> big;  // the row in GMP, or nothing
  std::vector<int> bits;                    // of the largest entry; 127 in GMP
  std::vector<u64> mod, mod31;              // n * d residues modulo kP, kQ
  std::vector<long> origin;                 // the row's number in its matrix, 0 if made up

  explicit Rows(std::size_t dim, const char *name = "row") : d(dim), what(name), tmp(dim) {}
  const i64 *row(std::size_t i) const { return small.data() + i * d; }
  bool keep = true; mutable std::vector<u64> tmp;  // residues stored, else made when asked (once or twice a row)
  template <u64 P = kP> const u64 *res(std::size_t i) const
  {
    for (std::size_t j = 0; j < d && !keep; ++j) tmp[j] = residue<P>(i, j);
    return keep ? (P == kP ? mod : mod31).data() + i * d : tmp.data();
  }
  template <u64 P> u64 residue(std::size_t i, std::size_t j) const
  {
    const i64 v = row(i)[j]; const u64 r = reduce<P>(v < 0 ? -static_cast<u64>(v) : static_cast<u64>(v));
    return !big[i].empty() ? mpz_fdiv_ui(big[i][j].get_mpz_t(), P) : v < 0 && r != 0 ? P - r : r;
  }
  void reserve(std::size_t k)
  { small.reserve(k * d), bits.reserve(k), big.reserve(k), origin.reserve(k), mod.reserve(keep ? k * d : 0), mod31.reserve(keep ? k * d : 0); }
  mpz_class entry(std::size_t i, std::size_t j) const { return big[i].empty() ? mpz_class(row(i)[j]) : big[i][j]; }
  void push(const i64 *e, long from)  // in GMP past 62 bits
  {
    if (std::any_of(e, e + d, [](i64 x) { return bitlen(x < 0 ? -static_cast<u64>(x) : x) > 62; }))
      return push(Vec(e, e + d).data(), from);
    const i64 g = std::accumulate(e, e + d, i64{0}, [](i64 a, i64 x) { return std::gcd(a, x); });
    for (std::size_t j = 0; j < d; ++j) small.push_back(g > 1 ? e[j] / g : e[j]);
    finish({}, from);
  }
  void push(const mpq_class *q, long from)  // in 64 bits where it fits
  {
    std::vector<i64> v(d); bool fits = true;
    for (std::size_t j = 0; j < d && fits; ++j) {
      const u64 a = mpz_getlimbn(q[j].get_num_mpz_t(), 0);  // 0 for 0
      fits = q[j].get_den() == 1 && mpz_size(q[j].get_num_mpz_t()) <= 1 && a >> 62 == 0;
      v[j] = sgn(q[j]) < 0 ? -static_cast<i64>(a) : static_cast<i64>(a);
    }
    std::vector<mpz_class> z;  // times the denominators' lcm, over the numerators' gcd (not 0: zeros fit)
    mpz_class l = 1, h = 0;
    for (std::size_t j = 0; j < d && !fits; ++j) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), q[j].get_den_mpz_t());
    for (std::size_t j = 0; j < d && !fits; ++j)
      z.push_back(q[j].get_num() * (l / q[j].get_den())), mpz_gcd(h.get_mpz_t(), h.get_mpz_t(), z[j].get_mpz_t());
    for (auto &e : z) e /= h;
    if (fits || std::all_of(z.begin(), z.end(), [](const mpz_class &e) { return mpz_sizeinbase(e.get_mpz_t(), 2) <= 62; }))
      return push(fits ? v.data() : (std::transform(z.begin(), z.end(), v.begin(), [](auto &e) { return e.get_si(); }), v.data()), from);
    small.resize((n + 1) * d, 0);
    finish(std::move(z), from);
  }
  void finish(std::vector<mpz_class> z, long from)  // row n in small or in z
  {
    u64 top = 0; const i64 *v = small.data() + n * d;  // row n
    for (std::size_t j = 0; j < d; ++j) top |= v[j] < 0 ? -static_cast<u64>(v[j]) : static_cast<u64>(v[j]);
    bits.push_back(z.empty() ? bitlen(top) : 127), big.push_back(std::move(z)), origin.push_back(from), ++n;
    for (std::size_t j = 0; j < d && keep; ++j) mod.push_back(residue<kP>(n - 1, j)), mod31.push_back(residue<kQ>(n - 1, j));
  }
  void pop()
  { --n, small.resize(n * d), mod.resize(keep ? n * d : 0), mod31.resize(keep ? n * d : 0), bits.pop_back(), big.pop_back(), origin.pop_back(); }
  bool is_unit0(std::size_t i) const  // (1, 0, ..., 0)
  { return bits[i] == 1 && row(i)[0] == 1 && std::all_of(row(i) + 1, row(i) + d, [](i64 e) { return e == 0; }); }
  bool same(std::size_t i, std::size_t k, int sign = 1) const
  { for (std::size_t j = 0; j < d; ++j) if (entry(i, j) != sign * entry(k, j)) return false; return true; }
};

// The sign of row i of a times row k of b: in 128 bits when it fits.
int sign_dot(const Rows &a, std::size_t i, const Rows &b, std::size_t k)
{
  if (a.bits[i] + b.bits[k] + bitlen(a.d) <= 126) {
    const i64 *x = a.row(i), *y = b.row(k);
    __int128 s = 0;
    for (std::size_t j = 0; j < a.d; ++j) s += static_cast<__int128>(x[j]) * y[j];
    return (s > 0) - (s < 0);
  }
  mpz_class s = 0;
  for (std::size_t j = 0; j < a.d; ++j) s += a.entry(i, j) * b.entry(k, j);
  return sgn(s);
}

// acc[a] += sum_j col[j][a] * e[j], for sums the caller has bounded below 2^62.
[[gnu::always_inline]] inline void accumulate_with(i64 *acc, const i64 *col, const i64 *e, std::size_t d, std::size_t m)
{
  for (std::size_t j = 0; j < d; ++j, col += m)
    if (const i64 v = e[j]; v != 0)
#pragma omp simd
      for (std::size_t a = 0; a < m; ++a) acc[a] += col[a] * v;
}
[[gnu::target("avx512f,avx512dq,avx512vl")]] void accumulate_wide(i64 *acc, const i64 *col, const i64 *e, std::size_t d, std::size_t m)
{ accumulate_with(acc, col, e, d, m); }
void accumulate(i64 *acc, const i64 *col, const i64 *e, std::size_t d, std::size_t m)
{ static const bool wide = cpu::avx512_dq_vl(); return wide ? accumulate_wide(acc, col, e, d, m) : accumulate_with(acc, col, e, d, m); }

// Ranks mod p never exceed those over Q, and the geometry bounds every rank
// needed from above (vectors in a kernel): "mod p reaches r" proves "= r".

template <u64 P = kP>
struct Basis {
  std::size_t d;
  std::vector<u64> rows;  // rank() rows of d, each with a pivot entry 1
  std::vector<std::size_t> piv;
  std::vector<u64> w;  // scratch
  explicit Basis(std::size_t dim) : d(dim), w(dim) {}
  std::size_t rank() const { return piv.size(); }
  void truncate(std::size_t r) { rows.resize(r * d), piv.resize(r); }
  bool add(const u64 *v)
  {
    std::copy(v, v + d, w.begin());
    for (std::size_t r = 0; r < piv.size(); ++r) {
      const u64 nf = P - w[piv[r]], *b = rows.data() + r * d;
      for (std::size_t j = nf == P ? d : piv[r]; j < d; ++j)
        if (P == kQ || b[j] != 0) w[j] += mulmod<P>(nf, b[j]), w[j] -= w[j] >= P ? P : 0;
    }
    const auto c = static_cast<std::size_t>(std::find_if(w.begin(), w.end(), [](u64 x) { return x != 0; }) - w.begin());
    if (c == d) return false;
    u64 inv = 1;  // w[c]^(p - 2)
    for (u64 a = w[c], e = P - 2; e != 0; e >>= 1, a = mulmod<P>(a, a)) inv = (e & 1) != 0 ? mulmod<P>(inv, a) : inv;
    for (auto &x : w) x = mulmod<P>(x, inv);
    rows.insert(rows.end(), w.begin(), w.end());
    return piv.push_back(c), true;
  }
};

// Rank of base plus the rows `which` of r, up to goal; base stays as it was.
template <u64 P> std::size_t rank_with(Basis<P> &base, const Rows &r, View which, std::size_t goal)
{
  const std::size_t r0 = base.rank();
  for (std::size_t k = 0; k < which.size() && base.rank() < goal; ++k) base.add(r.template res<P>(which[k]));
  const std::size_t k = base.rank();
  return base.truncate(r0), k;
}

u64 key(std::uint32_t a)  // splitmix64: a random-looking key per atom
{
  u64 z = a + 0x9e3779b97f4a7c15ULL;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL, z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

u64 hash(View s) { return std::accumulate(s.begin(), s.end(), u64{0}, [](u64 h, auto a) { return h + key(a); }); }

bool within(View a, View b) { return std::includes(b.begin(), b.end(), a.begin(), a.end()); }

Set without(View s, std::size_t k) { Set r(s.begin(), s.end()); return r.erase(r.begin() + static_cast<long>(k)), r; }
bool is_without(View s, std::size_t k, View t) { return s.size() == t.size() + 1 && std::ranges::equal(s.first(k), t.first(k)) && std::ranges::equal(s.subspan(k + 1), t.subspan(k)); }

// The ridges (one atom dropped) of the simple sets set(i), sorted by hash.
template <class Get>
struct Ridges {
  struct R { std::uint32_t h, x, k; };  // set x less its k-th atom, by the top half of its hash
  Get set;
  std::vector<R> v;
  Ridges(std::size_t n, Get get, const std::vector<char> &simple) : set(get)
  {
    std::size_t all = 0;  // room first: a million records copied as it grows cost more than the sort
    for (std::size_t x = 0; x < n; ++x) all += simple[x] != 0 ? set(x).size() : 0;
    v.reserve(all);
    for (std::size_t x = 0; x < n; ++x) {
      const u64 h = simple[x] != 0 ? hash(set(x)) : 0;
      for (std::size_t k = 0; simple[x] != 0 && k < set(x).size(); ++k)
        v.push_back({static_cast<std::uint32_t>((h - key(set(x)[k])) >> 32), static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(k)});
    }
    // A million records: 11 bits at a time (the writes stay in cache), in linear time.
    std::vector<R> t(v.size() < 8192 ? 0 : v.size());
    std::vector<std::size_t> at(t.empty() ? 0 : std::size_t{1} << 11);
    if (t.empty()) std::sort(v.begin(), v.end(), [](const R &x, const R &y) { return x.h < y.h; });
    for (int b = 0; b < 32 && !t.empty(); b += 11, v.swap(t)) {
      std::fill(at.begin(), at.end(), 0);
      for (const R &r : v) ++at[(r.h >> b) & 0x7ff];
      std::exclusive_scan(at.begin(), at.end(), at.begin(), std::size_t{0});
      for (const R &r : v) t[at[(r.h >> b) & 0x7ff]++] = r;
    }
  }
  bool same(const R &a, const R &b) const  // sorted, an atom out of each at lo and hi: equal in three runs
  {
    const View s1 = set(a.x), s2 = set(b.x);
    if (s1.size() != s2.size() || s1[a.k] == s2[b.k]) return false;
    const std::uint32_t *p = (a.k < b.k ? s1 : s2).data(), *q = (a.k < b.k ? s2 : s1).data();
    const std::size_t lo = std::min(a.k, b.k), hi = std::max(a.k, b.k), n = s1.size();
    return std::equal(p, p + lo, q) && std::equal(p + lo + 1, p + hi + 1, q + lo) && std::equal(p + hi + 1, p + n, q + hi + 1);
  }
  // mate(x, y) for each ridge two sets share, lone(r) for one no other set has; false when three share one.
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
            if (used[b - i] = 1, ++mates > 1) return false;
            mate(v[a].x, v[b].x);
          }
        if (mates == 0 && used[a - i] == 0) lone(v[a]);
      }
    }
    return true;
  }
  bool has(View t) const
  {
    const auto h = static_cast<std::uint32_t>(hash(t) >> 32);
    auto it = std::lower_bound(v.begin(), v.end(), h, [](const R &a, std::uint32_t b) { return a.h < b; });
    while (it != v.end() && it->h == h && !is_without(set(it->x), it->k, t)) ++it;
    return it != v.end() && it->h == h;
  }
};

struct Cone {
  Rows atoms, eqs, elems, lines;
  std::vector<char> proven;  // by input row: shown to hold with equality
  bool points = false;        // V atoms of t > 0 are points, never in the lineality
  explicit Cone(std::size_t d) : atoms(d, "input row"), eqs(d, "equation"), elems(d, "output row"), lines(d, "output line") { elems.keep = false; }
};

std::string named(const Rows &r, std::size_t i)
{ return r.origin[i] > 0 ? r.what + (" " + std::to_string(r.origin[i])) : std::string("the implied ") + r.what; }

// One walk of the face lattice above degenerate elements.
struct Walk {
  const Cone &c;
  Basis<> eqbase;     // the equations with the implicit ones, mod p
  Basis<kQ> eq31;
  std::size_t q = 0;  // their rank
  std::vector<std::uint32_t> zat;  // tight atoms of each element (implicit ones left out)
  std::vector<std::size_t> zoff{0};
  long budget = 0;
  std::map<Set, std::pair<std::vector<Set>, std::vector<std::size_t>>> memo;  // a face's up-faces and gens
  std::map<std::pair<Set, std::size_t>, bool> ranked;  // (t, r): t's rows reach r - 1, or the walk has failed

  Walk(const Cone &cone, std::size_t d) : c(cone), eqbase(d), eq31(d) {}
  View z(std::size_t x) const { return {zat.data() + zoff[x], zoff[x + 1] - zoff[x]}; }

  // Face F (tight atoms s, rank r): its up-faces from pool into ups, an
  // element of each in gens; true when they are all (C's extreme rays at F:
  // closed under 2-faces is all once the pointed dimension r - q is 3+).
  bool up_faces(const Set &s, std::size_t r, const std::vector<std::size_t> &pool, std::vector<Set> &ups,
                std::vector<std::size_t> &gens)
  {
    if (auto it = memo.find(s); it != memo.end()) return ups = it->second.first, gens = it->second.second, true;
    // Up-faces are the largest sets s & z(g) of a complete list, each of
    // rank r - 1 (no more: it vanishes on F and on g, outside span F).
    std::vector<std::pair<Set, std::size_t>> cand;
    Set m;  // each meet in one buffer: most are no candidate
    for (auto g : pool) {
      if ((budget -= static_cast<long>(4 * s.size() + 64)) < 0) return false;
      m.clear(), std::set_intersection(s.begin(), s.end(), z(g).begin(), z(g).end(), std::back_inserter(m));
      if (m.size() < s.size() && m.size() + q + 1 >= r) cand.emplace_back(m, g);
    }
    std::sort(cand.begin(), cand.end(), [](const auto &x, const auto &y) { return x.first.size() > y.first.size(); });
    for (auto &[t, g] : cand) {
      if (std::any_of(ups.begin(), ups.end(), [&tt = t](const Set &u) { return within(tt, u); })) continue;
      if (ranked.try_emplace({t, r}, true).second && ((budget -= static_cast<long>(t.size() * r * c.atoms.d / 2 + 64)) < 0 ||
          (rank_with(eq31, c.atoms, t, r - 1) < r - 1 && rank_with(eqbase, c.atoms, t, r - 1) < r - 1))) return false;
      ups.push_back(std::move(t)), gens.push_back(g);
    }
    if (r - q <= 2 && ups.size() != r - q) return false;
    if (r - q > 2) {
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
        std::vector<Set> two; std::vector<std::size_t> g2;
        closed = up_faces(ups[big[i]], r - 1, gens, two, g2) &&
                 std::all_of(two.begin(), two.end(), [&](const Set &t2) { return rg.has(t2) || in_big(t2, big[i]); });
      }
      if (!closed) return false;
    }
    memo.emplace(s, std::make_pair(ups, gens));
    return true;
  }
};

// The question itself; with nbrs, each element's neighbours (the other
// element of each 2-face through it) come out too.
Verdict certify(const Cone &c, std::vector<std::vector<std::size_t>> *nbrs = nullptr, bool quick = false)
{
  const std::size_t d = c.atoms.d, n = c.elems.n, m = c.atoms.n;
  Walk w(c, d);
  std::vector<std::uint32_t> zat;
  std::vector<std::size_t> zoff{0}, count(m, 0);
  zat.reserve(n * d), zoff.reserve(n + 1), w.zoff.reserve(n + 1);
  // Valid: lines orthogonal to atoms and equations, elements on the right
  // side (in one pass over the atoms' columns where no sum passes 2^62).
  const int abits = m == 0 ? 0 : *std::max_element(c.atoms.bits.begin(), c.atoms.bits.end());
  const bool columns = abits <= 62;
  std::vector<i64> col(columns ? d * m : 0), acc(columns ? m : 0);
  for (std::size_t a = 0; a < m && columns; ++a)
    for (std::size_t j = 0; j < d; ++j) col[j * m + a] = c.atoms.row(a)[j];
  for (std::size_t l = 0; l < c.lines.n; ++l)
    for (const Rows *r : {&c.atoms, &c.eqs})
      for (std::size_t a = 0; a < r->n; ++a)
        if (sign_dot(*r, a, c.lines, l) != 0) return no(named(c.lines, l) + " is not orthogonal to " + named(*r, a));
  for (std::size_t x = 0; x < c.elems.n; ++x) {
    for (std::size_t e = 0; e < c.eqs.n; ++e)
      if (sign_dot(c.eqs, e, c.elems, x) != 0) return no(named(c.elems, x) + " breaks " + named(c.eqs, e));
    const bool fast = columns && abits + c.elems.bits[x] + bitlen(d) <= 62;
    if (fast) std::fill(acc.begin(), acc.end(), 0), accumulate(acc.data(), col.data(), c.elems.row(x), d, m);
    for (std::size_t a = 0; a < c.atoms.n; ++a) {
      const int s = fast ? (acc[a] > 0) - (acc[a] < 0) : sign_dot(c.atoms, a, c.elems, x);
      if (s < 0) return no(named(c.elems, x) + " is on the wrong side of " + named(c.atoms, a));
      if (s == 0) zat.push_back(static_cast<std::uint32_t>(a)), ++count[a];
    }
    zoff.push_back(zat.size());
  }
  // Atoms tight on every element are equations of C if the list is right,
  // proved when the atom's opposite is an atom too (or by farkas).
  auto implicit = [&](std::size_t a) { return count[a] == n; };
  std::string unshown;  // extremality does not need it, completeness does
  for (std::size_t a = 0; a < m && unshown.empty(); ++a) {
    const long o = c.atoms.origin[a];
    bool shown = !implicit(a) || c.atoms.bits[a] == 0 || (o > 0 && !c.proven.empty() && c.proven[o - 1] != 0);
    for (std::size_t b = 0; b < m && !shown; ++b) shown = implicit(b) && c.atoms.same(a, b, -1);
    if (!shown && c.points && c.atoms.entry(a, 0) > 0) return no(named(c.atoms, a) + " is a point on every output row: one is missing");
    if (!shown) unshown = named(c.atoms, a) + " is tight on every output row, unproved an equation";
  }
  Set allatoms;
  for (std::size_t e = 0; e < c.eqs.n; ++e) w.eqbase.add(c.eqs.res(e)), w.eq31.add(c.eqs.res<kQ>(e));
  for (std::size_t a = 0; a < m; ++a)
    if (implicit(a)) w.eqbase.add(c.atoms.res(a)), w.eq31.add(c.atoms.res<kQ>(a));
    else allatoms.push_back(static_cast<std::uint32_t>(a));
  const std::size_t q = w.q = w.eqbase.rank();
  // R (all rows) is exact when the lines reach d - R, q when elements span.
  const std::size_t R = rank_with(w.eqbase, c.atoms, allatoms, d), pointed = R - q;
  Basis<> lb(d);
  for (std::size_t l = 0; l < c.lines.n; ++l)
    if (!lb.add(c.lines.res(l))) return no(named(c.lines, l) + " depends on the lines before it");
  if (R + lb.rank() != d)
    return no(std::string("the output lines span ") + std::to_string(lb.rank()) + " dimensions, not d - R");
  Basis xb = lb;
  for (std::size_t x = 0; x < n && xb.rank() < d - q; ++x) xb.add(c.elems.res(x));
  if (xb.rank() + q != d) return no(std::string("the output rows do not span the cone"));
  const bool none = std::none_of(count.begin(), count.end(), [n](std::size_t k) { return k == n; });
  if (none) w.zat.swap(zat), w.zoff.swap(zoff);
  for (std::size_t x = 0; x < n && !none; ++x) {
    for (std::size_t i = zoff[x]; i < zoff[x + 1]; ++i)
      if (!implicit(zat[i])) w.zat.push_back(zat[i]);
    w.zoff.push_back(w.zat.size());
  }
  // Extreme: an element's tight atoms reach rank R - 1 (no more: they vanish
  // on it and the lineality).  One with R - 1 - q of them is simple; its
  // ridges (drop one atom) are 2-faces, each shared with one other element.
  std::vector<char> simple(n, 0);
  std::vector<std::pair<u64, std::size_t>> byset(n);
  for (std::size_t x = 0; x < n; ++x) {
    if (w.z(x).size() == allatoms.size()) return no(named(c.elems, x) + " lies in the lineality");
    if (w.z(x).size() + q + 1 < R) return no(named(c.elems, x) + " is not extreme");
    simple[x] = w.z(x).size() + q + 1 == R;
    byset[x] = {hash(w.z(x)), x};
  }
  std::sort(byset.begin(), byset.end());
  for (std::size_t i = 1; i < byset.size(); ++i)
    for (std::size_t k = i; k-- > 0 && byset[k].first == byset[i].first;)
      if (std::ranges::equal(w.z(byset[k].second), w.z(byset[i].second)))
        return no(named(c.elems, byset[i].second) + " repeats another");
  auto get = [&](std::size_t x) { return w.z(x); };
  const Ridges<decltype(get)> rg(pointed >= 3 ? n : 0, get, simple);
  std::vector<std::size_t> parent(n);
  std::iota(parent.begin(), parent.end(), 0);
  auto root = [&](std::size_t x) { while (parent[x] != x) x = parent[x] = parent[parent[x]]; return x; };
  std::vector<typename decltype(rg.v)::value_type> open;  // ridges no other simple element has
  auto mate = [&](std::size_t x, std::size_t y)
  { parent[root(y)] = root(x); if (nbrs != nullptr) (*nbrs)[x].push_back(y), (*nbrs)[y].push_back(x); };
  if (!rg.match(mate, [&](const auto &r) { open.push_back(r); }))
    return no("a 2-face holds three output rows");
  // One seed per group of simple elements joined by ridges (extreme spreads).
  std::vector<char> seeded(n, 0);
  for (std::size_t x = 0; x < n; ++x) {
    if (simple[x] != 0 && pointed >= 3 && seeded[root(x)]++ != 0) continue;
    if (rank_with(w.eq31, c.atoms, w.z(x), R - 1) < R - 1 && rank_with(w.eqbase, c.atoms, w.z(x), R - 1) < R - 1)
      return no(named(c.elems, x) + " is not extreme");
  }
  if (!unshown.empty()) return no(unshown, true);
  // Complete: 1 or 2 rays in pointed dimension 1 or 2; above, closed is all.
  if (pointed <= 2) {
    if (n != pointed) return no(std::to_string(n) + " output rows listed, not " + std::to_string(pointed));
    if (nbrs != nullptr && n == 2) (*nbrs)[0] = {1}, (*nbrs)[1] = {0};
    return Verdict{};
  }
  std::vector<std::vector<std::size_t>> holders(m);
  for (std::size_t x = 0; x < n; ++x)
    for (auto a : w.z(x)) holders[a].push_back(x);
  // Walks above degenerate elements (within a validity pass's cost) hold the open ridges.
  w.budget = static_cast<long>(n * m * d) + (quick ? 0L : 4000000L);
  std::map<Set, std::size_t> degfaces;
  std::vector<std::size_t> shared(n, 0);
  for (std::size_t x = 0; x < n; ++x) {
    if (simple[x] != 0) continue;
    std::vector<std::size_t> pool, cand;
    for (auto a : w.z(x))
      for (auto g : holders[a])
        if (shared[g]++ == 0) pool.push_back(g);
    for (auto g : pool) {
      if (g != x && shared[g] + q + 2 >= R) cand.push_back(g);
      shared[g] = 0;
    }
    std::vector<Set> ups; std::vector<std::size_t> gens;
    if (!w.up_faces(Set(w.z(x).begin(), w.z(x).end()), R - 1, cand, ups, gens))
      return w.budget < 0 ? no("too degenerate to certify here", true)
                          : no("a 2-face at " + named(c.elems, x) + " has no other output row");
    if (nbrs != nullptr) (*nbrs)[x].insert((*nbrs)[x].end(), gens.begin(), gens.end());
    for (std::size_t k = 0; k < ups.size() && !open.empty(); ++k) degfaces.emplace(std::move(ups[k]), x);
  }
  for (const auto &r : open) {
    auto f = degfaces.find(without(w.z(r.x), r.k));
    if (f == degfaces.end()) return no("a 2-face at " + named(c.elems, r.x) + " has no other output row");
    if (nbrs != nullptr) (*nbrs)[r.x].push_back(f->second);
  }
  return Verdict{};
}

// A row of a matrix as an atom, unless a parallel copy is one already.
void add_atom(Rows &r, const mpq_class *q, long from, std::unordered_map<u64, std::vector<std::size_t>> &seen)
{
  r.push(q, from);
  const std::size_t i = r.n - 1;
  auto &bucket = seen[std::accumulate(r.res(i), r.res(i) + r.d, u64{0}, [](u64 s, u64 e) { return s * 1000003u + e; })];
  const bool copy = std::any_of(bucket.begin(), bucket.end(), [&](std::size_t k) { return r.same(k, i); });
  copy ? r.pop() : bucket.push_back(i);
}

template <class Out> Verdict pose(const QMatrix &in, const Out &out, Cone &c)
{
  const bool hin = in.representation != dd_Generator;
  if (in.cols != out.cols || in.cols < 1 || hin == (out.representation != dd_Generator))
    return no("the output is not the other representation in as many columns");
  std::unordered_map<u64, std::vector<std::size_t>> seen;
  c.atoms.reserve(static_cast<std::size_t>(in.rows) + 1), c.elems.reserve(static_cast<std::size_t>(out.rows) + 2);
  bool constant = false;  // H: a right-hand side not 0; V: a point
  for (long i = 0; i < in.rows; ++i) {
    constant = constant || sgn(in.at(i, 0)) != 0;
    const bool eq = member(in.linearity, i + 1) && (hin || sgn(in.at(i, 0)) == 0);
    eq ? c.eqs.push(row_of(in, i), i + 1) : add_atom(c.atoms, row_of(in, i), i + 1, seen);
  }
  Vec unit0(static_cast<std::size_t>(in.cols), 0); unit0[0] = 1;
  // H: t >= 0.  V: the cone of the rays has the origin for its point.
  if (hin || !constant) add_atom(c.atoms, unit0.data(), 0, seen);
  bool apex = false;
  for (long i = 0; i < out.rows; ++i) {
    Rows &r = member(out.linearity, i + 1) ? c.lines : c.elems;
    r.push(row_of(out, i), i + 1);
    const bool unit = &r == &c.elems && r.is_unit0(r.n - 1);
    apex = apex || unit;
    if (unit && !hin) r.pop();  // t >= 0 is decided below
  }
  // A cone's apex is implied by its rays; its V output has none then.
  if (hin && !constant && !apex) c.elems.push(unit0.data(), 0);
  if ((c.points = !hin) == false) return Verdict{};
  // t >= 0 is a facet when the generators tight on it reach rank G - 1.
  Set tight, every(c.atoms.n);
  std::iota(every.begin(), every.end(), 0u);
  for (std::size_t a = 0; a < c.atoms.n; ++a)
    if (c.atoms.entry(a, 0) == 0) tight.push_back(static_cast<std::uint32_t>(a));
  Basis<> eqs(c.atoms.d);
  for (std::size_t e = 0; e < c.eqs.n; ++e) eqs.add(c.eqs.res(e));
  const std::size_t G = rank_with(eqs, c.atoms, every, c.atoms.d);
  if (rank_with(eqs, c.atoms, tight, G) + 1 == G) c.elems.push(unit0.data(), 0);
  return Verdict{};
}

// r0 + r1 x1 + ..., or without r0.
mpq_class value(const mpq_class *r, const Vec &x, bool constant = true)
{ return std::inner_product(x.begin(), x.end(), r + 1, constant ? r[0] : mpq_class()); }
bool zero_from(const Vec &v, std::size_t j)
{ return std::all_of(v.begin() + static_cast<long>(std::min(j, v.size())), v.end(), [](auto &e) { return sgn(e) == 0; }); }

// v = V / D in integers, D the lcm of v's denominators.
mpz_class over_common(const Vec &v, std::vector<mpz_class> &V)
{
  mpz_class D = 1;
  for (const auto &e : v) mpz_divisible_p(D.get_mpz_t(), e.get_den_mpz_t()) ? void() : mpz_lcm(D.get_mpz_t(), D.get_mpz_t(), e.get_den_mpz_t());
  for (const auto &e : v) V.push_back(e.get_num() * (D / e.get_den()));
  return D;
}

// Inequality rows at least margin at x (a point, or with constant false a
// direction), equations 0; rows of integers at X = D x in integers.
Verdict feasible(const QMatrix &M, const Vec &x, const mpq_class &margin = 0, bool constant = true)
{
  if (static_cast<long>(x.size()) != M.cols - 1) return no("the point or direction has the wrong length");
  std::vector<mpz_class> X(1);
  const mpz_class D = over_common(x, X);
  mpz_class v = X[0] = constant ? D : mpz_class(0);
  const mpq_class low = margin * D;
  for (long i = 0; i < M.rows; ++i) {
    const mpq_class *r = row_of(M, i);
    const bool whole = std::all_of(r, r + M.cols, [](const mpq_class &e) { return e.get_den() == 1; });
    v = 0;
    for (long j = 0; j < M.cols && whole; ++j) mpz_addmul(v.get_mpz_t(), r[j].get_num_mpz_t(), X[j].get_mpz_t());
    const mpq_class s = whole ? mpq_class(v) : value(r, x, constant) * D;
    if (member(M.linearity, i + 1) ? sgn(s) != 0 : s < low) return no(row_name(i) + " fails at the point");
  }
  return Verdict{};
}

// sum y_i r_i, y >= 0 off the equations: a row that holds wherever M does.
Verdict combine(const QMatrix &M, const Vec &y, Vec &sum)
{
  if (static_cast<long>(y.size()) != M.rows) return no("the multipliers have the wrong length");
  sum.assign(static_cast<std::size_t>(M.cols), 0);
  std::vector<mpz_class> Y, S(static_cast<std::size_t>(M.cols));  // rows of integers summed in integers
  const mpz_class D = over_common(y, Y);
  for (std::size_t i = 0; i < y.size(); ++i) {
    const mpq_class &yi = y[i], *r = row_of(M, static_cast<long>(i));
    if (sgn(yi) < 0 && !member(M.linearity, static_cast<long>(i) + 1)) return no("a multiplier is negative");
    const bool whole = sgn(yi) != 0 && std::all_of(r, r + M.cols, [](const mpq_class &e) { return e.get_den() == 1; });
    for (long j = 0; j < M.cols && sgn(yi) != 0; ++j)
      whole ? mpz_addmul(S[static_cast<std::size_t>(j)].get_mpz_t(), Y[i].get_mpz_t(), r[j].get_num_mpz_t())
            : void(sum[static_cast<std::size_t>(j)] += yi * r[j]);
  }
  for (std::size_t j = 0; j < S.size(); ++j) sum[j] += mpq_class(S[j]) / D;
  return Verdict{};
}

// M is empty: sum y_i r_i = (-c, 0, ..., 0), c > 0, is >= 0 on M.
Verdict empty(const QMatrix &M, const Vec &y)
{
  Vec sum;
  if (Verdict v = combine(M, y, sum); !v) return v;
  return M.cols == 0 || sgn(sum[0]) >= 0 || !zero_from(sum, 1) ? no("the Farkas combination is no c < 0") : Verdict{};
}

std::size_t rank_of(const std::vector<Vec> &rows, std::size_t d)
{ Rows r(d); Basis<> b(d); for (const auto &v : rows) r.push(v.data(), 0), b.add(r.res(r.n - 1)); return b.rank(); }

template <class Out> Verdict converted(const QMatrix &in, const Out &out, const Vec *farkas, bool quick)
{
  if (in.representation != dd_Generator && out.representation == dd_Generator && out.rows == 0 && in.cols == out.cols)
    return farkas == nullptr ? no("an empty answer without a Farkas vector", true) : empty(in, *farkas);
  Cone c(static_cast<std::size_t>(std::max(in.cols, 1L)));
  if (farkas != nullptr) {
    // 0 = sum y_i (row_i . y), terms >= 0: rows with y_i > 0 are equations.
    QMatrix rows = in;
    std::erase_if(rows.linearity, [&](long i) { return in.representation == dd_Generator && sgn(in.at(i - 1, 0)) != 0; });
    Vec sum;
    if (!combine(rows, *farkas, sum) || !zero_from(sum, 0)) return no("the rows' combination is no zero sum");
    for (const auto &v : *farkas) c.proven.push_back(sgn(v) > 0);
  }
  const Verdict v = pose(in, out, c);
  return v ? certify(c, nullptr, quick) : v;
}

template <class Out> Verdict adjacent(const QMatrix &in, const Out &out, const QFamily &adj)
{
  Cone c(static_cast<std::size_t>(std::max(in.cols, 1L)));
  if (Verdict v = pose(in, out, c); !v) return v;
  if (static_cast<long>(adj.size()) != out.rows) return no("the adjacency has the wrong number of sets");
  std::vector<std::vector<std::size_t>> nbrs(c.elems.n);
  if (Verdict v = certify(c, &nbrs); !v) return v;
  // A line is next to every other row, and every row next to every line.
  QFamily want(static_cast<std::size_t>(out.rows));
  const std::vector<long> &lines = c.lines.origin;
  for (auto l : lines)
    for (long k = 1; k <= out.rows; ++k) k != l ? want[static_cast<std::size_t>(l - 1)].push_back(k) : void();
  std::size_t listed = lines.size();
  for (std::size_t x = 0; x < c.elems.n; ++x) {
    const long k = c.elems.origin[x];
    auto &s = want[static_cast<std::size_t>(std::max(k, 1L) - 1)];
    for (std::size_t g = 0; g < nbrs[x].size() && k != 0; ++g) s.push_back(c.elems.origin[nbrs[x][g]]);
    if (k != 0) s.insert(s.end(), lines.begin(), lines.end()), ++listed;
  }
  if (listed != static_cast<std::size_t>(out.rows)) return no("an output row is no extreme ray");
  for (std::size_t k = 0; k < want.size(); ++k) {
    std::sort(want[k].begin(), want[k].end()), want[k].erase(std::unique(want[k].begin(), want[k].end()), want[k].end());
    if (!want[k].empty() && want[k][0] == 0) want[k].erase(want[k].begin());  // implied rows
    if (want[k] != adj[k]) return no("the neighbours of output row " + std::to_string(k + 1) + " differ");
  }
  return Verdict{};
}

}  // namespace

Verdict conversion(const QMatrix &in, const QMatrix &out, const Vec *farkas, bool quick) { return converted(in, out, farkas, quick); }
Verdict conversion(const QMatrix &in, const IntRows &out, bool quick) { return converted(in, out, nullptr, quick); }
Verdict adjacency(const QMatrix &in, const QMatrix &out, const QFamily &adj) { return adjacent(in, out, adj); }
Verdict adjacency(const QMatrix &in, const IntRows &out, const QFamily &adj) { return adjacent(in, out, adj); }

Verdict lp(const QMatrix &lp, dd_LPStatusType status, const Vec &x, const Vec &y, const Vec &dir)
{
  if ((lp.objective != dd_LPmax && lp.objective != dd_LPmin) || static_cast<long>(lp.rowvec.size()) != lp.cols)
    return no("the LP has no objective of its width");
  const int s = lp.objective == dd_LPmax ? 1 : -1;
  Vec sum;
  if (status == dd_Optimal) {
    // weak duality: s c.x = -sum y_i r_i.x = sum y_i r_i0 - sum y_i (r_i0 + r_i.x) <= sum y_i r_i0
    if (Verdict v = feasible(lp, x); !v) return v;
    if (Verdict v = combine(lp, y, sum); !v) return v;
    for (std::size_t j = 1; j < sum.size(); ++j)
      if (s * lp.rowvec[j] + sum[j] != 0) return no("the multipliers do not give the objective");
    const bool equal = s * value(lp.rowvec.data(), x) == s * lp.rowvec[0] + sum[0];
    return equal ? Verdict{} : no("the point misses the dual bound");
  }
  if (status == dd_Inconsistent) return empty(lp, y);
  if (status != dd_DualInconsistent && status != dd_StrucDualInconsistent) return no("no certificate for this status");
  // unbounded: a ray of the rows that improves the objective
  if (Verdict v = feasible(lp, dir, 0, false); !v) return v;
  if (s * sgn(value(lp.rowvec.data(), dir, false)) <= 0) return no("the direction does not improve the objective");
  return x.empty() ? Verdict{} : feasible(lp, x);
}

Verdict interior(const QMatrix &h, const Vec &x, const mpq_class &margin) { return sgn(margin) <= 0 ? no("the margin is not positive") : feasible(h, x, margin); }

Verdict redundancy(const QMatrix &in, const std::vector<long> &kept, const std::vector<Terms> &removed_combination,
                   const std::vector<Vec> &kept_witness, bool strong)
{
  const bool hrep = in.representation != dd_Generator;
  const std::size_t cols = static_cast<std::size_t>(in.cols);
  if (std::adjacent_find(kept.begin(), kept.end(), std::greater_equal<>()) != kept.end() ||
      (!kept.empty() && (kept.front() < 1 || kept.back() > in.rows)))
    return no("the kept rows are not increasing row numbers");
  std::vector<long> removed;
  for (long i = 1; i <= in.rows; ++i) member(kept, i) ? void() : removed.push_back(i);
  if (std::any_of(removed.begin(), removed.end(), [&](long i) { return member(in.linearity, i); }) ||
      removed_combination.size() != removed.size() || kept_witness.size() != kept.size())
    return no("an equation or line removed, or a certificate missing");
  // Row i: the kept rows, then the removed: each removed row a combination of those before it, each kept one not implied.
  auto row = [&](std::size_t i) { return row_of(in, (i < kept.size() ? kept[i] : removed[i - kept.size()]) - 1); };
  auto line = [&](std::size_t i) { return i < kept.size() && member(in.linearity, kept[i]); };
  Rows kr(cols, "input row"), wr(cols, "witness");  // signs of witnesses in integers
  Vec sum, w;
  for (std::size_t i = 0; i < kept.size(); ++i) kr.push(row(i), kept[i]);
  for (std::size_t k = 0; k < removed.size(); ++k) {
    std::vector<char> positive(kept.size());
    sum.assign(row_of(in, removed[k] - 1), row_of(in, removed[k] - 1) + cols);  // less the terms
    for (const auto &[i, y] : removed_combination[k]) {
      if (i >= kept.size() + k || (sgn(y) < 0 && !line(i))) return no("a term names a later row or is negative");
      for (std::size_t j = 0; j < cols; ++j) sum[j] -= y * row(i)[j];
      if (i < kept.size() && sgn(y) > 0) positive[i] = 1;
    }
    // H: the slack (s, 0, ..., 0), s >= 0, is the row 0 <= 1 times s; s > 0 keeps the row's hyperplane off.
    if (!(hrep ? sgn(sum[0]) >= int{strong} : sgn(sum[0]) == 0) || !zero_from(sum, 1))
      return no("the combination does not give " + row_name(removed[k] - 1));
    for (std::size_t i = 0; i < kept.size() && strong && !hrep; ++i)  // in the relative interior
      if (positive[i] == 0 && !line(i)) return no("a coefficient is not positive");
  }
  for (std::size_t k = 0; k < kept.size(); ++k) {
    if (line(k)) { wr.push(Vec(cols, 0).data(), 0); continue; }
    if (kept_witness[k].size() != (hrep ? cols - 1 : cols)) return no("the witness for " + row_name(kept[k] - 1) + " is too short");
    w = kept_witness[k], hrep ? void(w.insert(w.begin(), mpq_class(1))) : void(), wr.push(w.data(), kept[k]);
    for (std::size_t i = 0; i < kept.size(); ++i)
      if (const int sv = sign_dot(kr, i, wr, k); i == k ? sv >= int{strong} : (line(i) ? sv != 0 : sv < 0))
        return no("the witness for " + row_name(kept[k] - 1) + " fails at " + row_name(kept[i] - 1));
    bool off = hrep || !strong;  // V, strong: z is no zero on the kept generators
    for (std::size_t i = 0; i < kept.size() && !off; ++i) off = sign_dot(kr, i, wr, k) != 0;
    if (!off) return no("the witness for " + row_name(kept[k] - 1) + " is zero on every generator");
  }
  return Verdict{};
}

Verdict linearity(const QMatrix &in, const std::vector<long> &implicit, const Vec &y, const Vec &x)
{
  QMatrix V{in.rows, in.cols + 1, dd_Inequality, {}, in.linearity, dd_LPnone, {}};  // generators g as rows 0 + g.z >= 0 in z
  for (long i = 0; i < in.rows && in.representation == dd_Generator; ++i)
    V.entries.emplace_back(0), V.entries.insert(V.entries.end(), row_of(in, i), row_of(in, i) + in.cols);
  const QMatrix &h = in.representation == dd_Generator ? V : in;
  Vec sum;  // 0 = sum y_i (r_i0 + r_i.x) with every term >= 0: each term is 0
  if (!implicit.empty() && (!combine(h, y, sum) || !zero_from(sum, 0))) return no("the combination is no proof");
  if (std::any_of(implicit.begin(), implicit.end(), [&](long r) { return r < 1 || r > h.rows || member(h.linearity, r) || sgn(y[static_cast<std::size_t>(r - 1)]) <= 0; }))
    return no("a claimed row is no inequality the combination uses");
  if (Verdict v = feasible(h, x); !v) return v;
  for (long i = 0; i < h.rows; ++i)
    if (!member(h.linearity, i + 1) && !std::count(implicit.begin(), implicit.end(), i + 1) && sgn(value(row_of(h, i), x)) <= 0)
      return no(row_name(i) + " is tight at the point but not claimed");
  return Verdict{};
}

Verdict projection(const QMatrix &in, const std::vector<long> &eliminated, const QMatrix &out,
                   const std::vector<Vec> &combination, const std::vector<std::vector<Vec>> &tight, const Vec &inner)
{
  std::vector<long> keep;  // the input column of each output column
  for (long j = 0; j < in.cols; ++j) j == 0 || !std::count(eliminated.begin(), eliminated.end(), j + 1) ? keep.push_back(j) : void();
  if (static_cast<long>(keep.size()) != out.cols || static_cast<long>(keep.size() + eliminated.size()) != in.cols ||
      combination.size() != static_cast<std::size_t>(out.rows) || tight.size() != combination.size())
    return no("the columns or the certificates do not match the output");
  auto project = [&](Vec x) {  // with a leading 1
    x.insert(x.begin(), 1);
    for (std::size_t j = 0; j < keep.size(); ++j) x[j] = x[static_cast<std::size_t>(keep[j])];
    return x.resize(keep.size()), x;
  };
  auto at = [&](long k, const Vec &p) { return sgn(value(row_of(out, k), Vec(p.begin() + 1, p.end()))); };
  if (Verdict v = feasible(in, inner); !v) return v;
  std::vector<Vec> eqs;
  for (long k : out.linearity) eqs.emplace_back(row_of(out, k - 1), row_of(out, k - 1) + out.cols);
  const std::size_t dim = keep.size() - 1 - rank_of(eqs, keep.size());
  for (long k = 0; k < out.rows; ++k) {
    const bool eq = member(out.linearity, k + 1);
    const auto &y = combination[static_cast<std::size_t>(k)];
    Vec sum;  // valid: a combination of the input rows without the eliminated columns
    if (Verdict v = combine(in, y, sum); !v) return v;
    for (long i = 0; i < in.rows && eq; ++i)
      if (sgn(y[static_cast<std::size_t>(i)]) != 0 && !member(in.linearity, i + 1))
        return no("output equation " + std::to_string(k + 1) + " uses an inequality");
    Vec want(static_cast<std::size_t>(in.cols), 0);  // row k, 0 on the eliminated columns
    for (std::size_t j = 0; j < keep.size(); ++j) want[static_cast<std::size_t>(keep[j])] = row_of(out, k)[j];
    if (sum != want) return no("the combination does not give output row " + std::to_string(k + 1));
    if (eq) continue;
    // a facet: strictly positive inside, zero on dim affinely independent points
    if (at(k, project(inner)) <= 0) return no("output row " + std::to_string(k + 1) + " is tight at the inner point");
    const auto &pts = tight[static_cast<std::size_t>(k)];
    if (pts.size() != dim) return no("output row " + std::to_string(k + 1) + " needs dim points");
    std::vector<Vec> lifted;
    for (const auto &x : pts) {
      if (Verdict v = feasible(in, x); !v) return v;
      lifted.push_back(project(x));
      if (at(k, lifted.back()) != 0) return no("output row " + std::to_string(k + 1) + " misses a point");
    }
    if (rank_of(lifted, keep.size()) != dim) return no("output row " + std::to_string(k + 1) + " has dependent points");
  }
  return Verdict{};
}

}  // namespace zonix::check
