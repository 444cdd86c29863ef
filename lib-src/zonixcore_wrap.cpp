// Vertices of a polytope found by LPs: the hull of the vertices known so
// far is computed (small, by the double description method), and each of
// its facets either is an input row, or an LP over the input finds a
// vertex beyond it.  When every facet is an input row, the polytope lies
// inside the hull of the known vertices and equals it.  Facets from points
// are the same search on the polar.
#include "zonixcore_wrap.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "zonixcheck_measured.hpp"
#include "zonixhandles.hpp"
#include "zonixlp_handles.hpp"

namespace zonix::wrap {
namespace {

// Relative slack below which a row counts as tight, and a value as equal:
// far above the rounding of an LP's vertex, far below a gap of real data.
constexpr double kTight = 1e-9;
// The tolerance at which the answer's own other side is checked.
constexpr double kMeet = 1e-9;
// Rows per column from which the search is tried first.
constexpr long kManyRows = 100;

using Point = std::vector<double>;

struct Search {
  dd_MatrixPtr h = nullptr;  // rows (b, -A): b - A x >= 0
  long m = 0, d = 0;         // rows; columns with the homogenising one
  long most = 0;
  zonix::Matrix lp_rows;
  std::vector<Point> known;
  std::vector<std::vector<std::uint64_t>> tight;  // per known vertex, its rows

  double value(long i, const Point &x, double *scale) const
  {
    double s = ddd_get_d(h->matrix[i][0]), t = std::fabs(s);
    for (long j = 1; j < d; ++j) {
      const double p = ddd_get_d(h->matrix[i][j]) * x[static_cast<size_t>(j - 1)];
      s += p;
      t += std::fabs(p);
    }
    *scale = t;
    return s;
  }

  std::vector<std::uint64_t> tight_rows(const Point &x) const
  {
    std::vector<std::uint64_t> w(static_cast<size_t>((m + 63) / 64), 0);
    double scale = 0.0;
    for (long i = 0; i < m; ++i)
      if (std::fabs(value(i, x, &scale)) <= kTight * std::max(scale, 1.0))
        w[static_cast<size_t>(i / 64)] |= std::uint64_t{1} << (i % 64);
    return w;
  }

  // Minimises c0 + c.x over the polytope: false unless optimal.
  bool minimise(const Point &c, Point *x)
  {
    lp_rows->objective = dd_LPmin;
    for (long j = 0; j < d; ++j) ddd_set_d(lp_rows->rowvec[j], c[static_cast<size_t>(j)]);
    dd_ErrorType err = dd_NoError;
    const zonix::LP lp(dd_Matrix2LP(lp_rows.get(), &err));
    if (lp == nullptr || err != dd_NoError) return false;
    dd_LPSolve(lp.get(), dd_DualSimplex, &err);
    if (err != dd_NoError || lp->LPS != dd_Optimal) return false;
    x->assign(static_cast<size_t>(d - 1), 0.0);
    for (long j = 1; j < d; ++j) (*x)[static_cast<size_t>(j - 1)] = ddd_get_d(lp->sol[j]);
    return true;
  }

  bool same(const Point &a, const Point &b) const
  {
    for (size_t j = 0; j < a.size(); ++j)
      if (std::fabs(a[j] - b[j]) > kTight * (1.0 + std::fabs(a[j]) + std::fabs(b[j]))) return false;
    return true;
  }

  // An LP's vertex carries the rounding of its pivots: moved, by least
  // squares on the rows it is tight on, to where those rows meet.
  void refine(Point *x) const
  {
    const long n = d - 1;
    std::vector<long double> nm(static_cast<size_t>(n * n)), rhs(static_cast<size_t>(n)), u(static_cast<size_t>(n));
    for (int round = 0; round < 3; ++round) {
      std::fill(nm.begin(), nm.end(), 0.0L);
      std::fill(rhs.begin(), rhs.end(), 0.0L);
      long rows = 0;
      for (long i = 0; i < m; ++i) {
        long double s = ddd_get_d(h->matrix[i][0]), t = std::fabs(s), norm = 0.0L;
        for (long j = 1; j < d; ++j) {
          const long double a = ddd_get_d(h->matrix[i][j]);
          s += a * (*x)[static_cast<size_t>(j - 1)];
          t += std::fabs(a * (*x)[static_cast<size_t>(j - 1)]);
          norm += a * a;
        }
        if (std::fabs(s) > kTight * std::max(t, 1.0L) || norm == 0.0L) continue;
        ++rows;
        for (long j = 0; j < n; ++j) u[static_cast<size_t>(j)] = ddd_get_d(h->matrix[i][j + 1]);
        for (long j = 0; j < n; ++j) {
          rhs[static_cast<size_t>(j)] -= u[static_cast<size_t>(j)] * s / norm;
          for (long k = 0; k < n; ++k)
            nm[static_cast<size_t>(j * n + k)] += u[static_cast<size_t>(j)] * u[static_cast<size_t>(k)] / norm;
        }
      }
      if (rows < n) return;
      // Gaussian elimination with partial pivoting on the small system.
      for (long c = 0; c < n; ++c) {
        long best = c;
        for (long r = c + 1; r < n; ++r)
          if (std::fabs(nm[static_cast<size_t>(r * n + c)]) > std::fabs(nm[static_cast<size_t>(best * n + c)])) best = r;
        if (nm[static_cast<size_t>(best * n + c)] == 0.0L) return;
        for (long k = 0; k < n; ++k) std::swap(nm[static_cast<size_t>(c * n + k)], nm[static_cast<size_t>(best * n + k)]);
        std::swap(rhs[static_cast<size_t>(c)], rhs[static_cast<size_t>(best)]);
        for (long r = c + 1; r < n; ++r) {
          const long double f = nm[static_cast<size_t>(r * n + c)] / nm[static_cast<size_t>(c * n + c)];
          for (long k = c; k < n; ++k) nm[static_cast<size_t>(r * n + k)] -= f * nm[static_cast<size_t>(c * n + k)];
          rhs[static_cast<size_t>(r)] -= f * rhs[static_cast<size_t>(c)];
        }
      }
      for (long c = n - 1; c >= 0; --c) {
        long double v = rhs[static_cast<size_t>(c)];
        for (long k = c + 1; k < n; ++k) v -= nm[static_cast<size_t>(c * n + k)] * u[static_cast<size_t>(k)];
        u[static_cast<size_t>(c)] = v / nm[static_cast<size_t>(c * n + c)];
      }
      for (long j = 0; j < n; ++j) (*x)[static_cast<size_t>(j)] += static_cast<double>(u[static_cast<size_t>(j)]);
    }
  }

  void add(Point x)
  {
    refine(&x);
    known.push_back(x);
    tight.push_back(tight_rows(x));
  }

  // d vertices spanning the polytope's affine hull: false when it is
  // lower-dimensional or unbounded.
  bool simplex()
  {
    const long n = d - 1;
    Point c(static_cast<size_t>(d), 0.0), x;
    // Directions of no special relation to the data: a tie among vertices
    // would only cost the first LP a degenerate pivot or two.
    for (long j = 1; j < d; ++j) c[static_cast<size_t>(j)] = std::fmod(0.754877666 * static_cast<double>(j), 1.0) + 0.1;
    if (!minimise(c, &x)) return false;
    add(x);
    std::vector<Point> basis;  // orthonormal, spanning the known vertices' differences
    for (long t = 0; t < n; ++t) {
      Point u(static_cast<size_t>(n));
      for (long j = 0; j < n; ++j) u[static_cast<size_t>(j)] = std::fmod(0.569840291 * static_cast<double>(j + 1 + t * n), 1.0) - 0.5;
      for (int pass = 0; pass < 2; ++pass)
        for (const Point &b : basis) {
          double dot = 0.0;
          for (long j = 0; j < n; ++j) dot += b[static_cast<size_t>(j)] * u[static_cast<size_t>(j)];
          for (long j = 0; j < n; ++j) u[static_cast<size_t>(j)] -= dot * b[static_cast<size_t>(j)];
        }
      double un = 0.0;
      for (double v : u) un += v * v;
      if (un < 1e-20) return false;
      for (double &v : u) v /= std::sqrt(un);
      const Point x0 = known.front();
      double at = 0.0, size = 1.0;
      for (long j = 0; j < n; ++j) {
        at += u[static_cast<size_t>(j)] * x0[static_cast<size_t>(j)];
        size = std::max(size, std::fabs(x0[static_cast<size_t>(j)]));
      }
      bool found = false;
      for (double sign : {1.0, -1.0}) {
        Point obj(static_cast<size_t>(d), 0.0), y;
        for (long j = 0; j < n; ++j) obj[static_cast<size_t>(j + 1)] = sign * u[static_cast<size_t>(j)];
        if (!minimise(obj, &y)) return false;
        double uy = 0.0;
        for (long j = 0; j < n; ++j) uy += u[static_cast<size_t>(j)] * y[static_cast<size_t>(j)];
        if (std::fabs(uy - at) > kTight * size * 1e3) {
          add(y);
          Point w(static_cast<size_t>(n));
          for (long j = 0; j < n; ++j) w[static_cast<size_t>(j)] = y[static_cast<size_t>(j)] - x0[static_cast<size_t>(j)];
          for (int pass = 0; pass < 2; ++pass)
            for (const Point &b : basis) {
              double dot = 0.0;
              for (long j = 0; j < n; ++j) dot += b[static_cast<size_t>(j)] * w[static_cast<size_t>(j)];
              for (long j = 0; j < n; ++j) w[static_cast<size_t>(j)] -= dot * b[static_cast<size_t>(j)];
            }
          double wn = 0.0;
          for (double v : w) wn += v * v;
          for (double &v : w) v /= std::sqrt(wn);
          basis.push_back(w);
          found = true;
          break;
        }
      }
      if (!found) return false;
    }
    return true;
  }

  // One pass over the facets of the known vertices' hull: true with
  // *done when all are input rows, false when the search must give up.
  bool pass(bool *done)
  {
    const long k = static_cast<long>(known.size());
    const zonix::Matrix v = zonix::make_matrix(k, d);
    v->representation = dd_Generator;
    v->numbtype = dd_Real;
    for (long r = 0; r < k; ++r) {
      ddd_set_d(v->matrix[r][0], 1.0);
      for (long j = 1; j < d; ++j) ddd_set_d(v->matrix[r][j], known[static_cast<size_t>(r)][static_cast<size_t>(j - 1)]);
    }
    dd_ErrorType err = dd_NoError;
    const zonix::Polyhedra poly(dd_DDMatrix2PolyWith(v.get(), nullptr, &err));
    if (poly == nullptr || err != dd_NoError) return false;
    const zonix::Matrix f(dd_CopyInequalities(poly.get()));
    const zonix::SetFamily inc(dd_CopyIncidence(poly.get()));
    if (f == nullptr || inc == nullptr || set_card(f->linset) != 0 || inc->famsize != f->rowsize) return false;
    std::vector<Point> fresh;
    std::vector<std::uint64_t> common;
    Point c(static_cast<size_t>(d)), x;
    for (long r = 0; r < f->rowsize; ++r) {
      common.assign(tight.front().size(), ~std::uint64_t{0});
      long on = 0;
      for (long s = 1; s <= k; ++s) {
        if (set_member(s, inc->set[r]) == 0) continue;
        ++on;
        const auto &t = tight[static_cast<size_t>(s - 1)];
        for (size_t w = 0; w < common.size(); ++w) common[w] &= t[w];
      }
      if (on == 0) return false;
      if (std::any_of(common.begin(), common.end(), [](std::uint64_t w) { return w != 0; })) continue;
      for (long j = 0; j < d; ++j) c[static_cast<size_t>(j)] = ddd_get_d(f->matrix[r][j]);
      auto below = [&](const Point &y) {
        double s = c[0], t = std::fabs(c[0]);
        for (long j = 1; j < d; ++j) {
          s += c[static_cast<size_t>(j)] * y[static_cast<size_t>(j - 1)];
          t += std::fabs(c[static_cast<size_t>(j)] * y[static_cast<size_t>(j - 1)]);
        }
        return s < -kTight * std::max(t, 1.0);
      };
      // A vertex found in this pass beyond the facet removes it already.
      if (std::any_of(fresh.begin(), fresh.end(), below)) continue;
      if (!minimise(c, &x) || !below(x)) return false;
      for (const Point &y : known)
        if (same(x, y)) return false;
      fresh.push_back(x);
    }
    *done = fresh.empty();
    for (const Point &y : fresh) add(y);
    return static_cast<long>(known.size()) <= most;
  }
};

bool vertices(dd_MatrixPtr h, long most, std::vector<Point> *out)
{
  Search s;
  s.h = h;
  s.m = h->rowsize;
  s.d = h->colsize;
  s.most = most;
  s.lp_rows.reset(dd_CopyMatrix(h));
  if (s.lp_rows == nullptr || s.d < 2 || !s.simplex()) return false;
  for (bool done = false; !done;)
    if (!s.pass(&done)) return false;
  *out = std::move(s.known);
  return true;
}

dd_MatrixPtr vertices_of(dd_MatrixPtr M, long most)
{
  std::vector<Point> v;
  if (!vertices(M, most, &v)) return nullptr;
  const long d = M->colsize;
  dd_MatrixPtr out = dd_CreateMatrix(static_cast<long>(v.size()), d);
  if (out == nullptr) return nullptr;
  out->representation = dd_Generator;
  out->numbtype = M->numbtype;
  for (size_t r = 0; r < v.size(); ++r) {
    ddd_set_d(out->matrix[r][0], 1.0);
    for (long j = 1; j < d; ++j) ddd_set_d(out->matrix[r][j], v[r][static_cast<size_t>(j - 1)]);
  }
  return out;
}

// Facets of conv(points) as the vertices of the polar around the points'
// centroid: {a : a.(p - c) <= 1 for every point p}, bounded exactly when
// the centroid is interior.
dd_MatrixPtr facets_of(dd_MatrixPtr M, long most)
{
  const long m = M->rowsize, d = M->colsize, n = d - 1;
  std::vector<double> p(static_cast<size_t>(m * n)), c(static_cast<size_t>(n), 0.0);
  for (long i = 0; i < m; ++i) {
    const double w = ddd_get_d(M->matrix[i][0]);
    if (w == 0.0) return nullptr;  // a ray
    for (long j = 0; j < n; ++j) {
      p[static_cast<size_t>(i * n + j)] = ddd_get_d(M->matrix[i][j + 1]) / w;
      c[static_cast<size_t>(j)] += p[static_cast<size_t>(i * n + j)] / static_cast<double>(m);
    }
  }
  const zonix::Matrix polar = zonix::make_matrix(m, d);
  polar->representation = dd_Inequality;
  polar->numbtype = dd_Real;
  for (long i = 0; i < m; ++i) {
    ddd_set_d(polar->matrix[i][0], 1.0);
    for (long j = 0; j < n; ++j)
      ddd_set_d(polar->matrix[i][j + 1], c[static_cast<size_t>(j)] - p[static_cast<size_t>(i * n + j)]);
  }
  std::vector<Point> a;
  if (!vertices(polar.get(), most, &a)) return nullptr;
  dd_MatrixPtr out = dd_CreateMatrix(static_cast<long>(a.size()), d);
  if (out == nullptr) return nullptr;
  out->representation = dd_Inequality;
  out->numbtype = M->numbtype;
  // a.(x - c) <= 1 is (1 + a.c) - a.x >= 0.
  for (size_t r = 0; r < a.size(); ++r) {
    double b = 1.0;
    for (long j = 0; j < n; ++j) {
      b += a[r][static_cast<size_t>(j)] * c[static_cast<size_t>(j)];
      ddd_set_d(out->matrix[r][j + 1], -a[r][static_cast<size_t>(j)]);
    }
    ddd_set_d(out->matrix[r][0], b);
  }
  return out;
}

// Output rows made tight again on the input rows they are nearly tight on.
// Two projections onto the complement of d - 1 of those rows: taken as
// they come, entries that the rows make zero (a vertex on a coordinate
// plane, a facet through the origin) become zeros, as the measured checker
// asks of them; taken best conditioned first, the thousands of rows on a
// degenerate vertex stay tight.  The row keeps whichever of the three
// (with the one given) has the smallest relative residual there.
class Tightener {
 public:
  explicit Tightener(dd_MatrixPtr M) : m_(M->rowsize), d_(M->colsize), unit_(static_cast<size_t>(m_ * d_))
  {
    for (long i = 0; i < m_; ++i) {
      double n2 = 0.0;
      for (long j = 0; j < d_; ++j) n2 += ddd_get_d(M->matrix[i][j]) * ddd_get_d(M->matrix[i][j]);
      for (long j = 0; j < d_ && n2 > 0.0; ++j) unit_[static_cast<size_t>(i * d_ + j)] = ddd_get_d(M->matrix[i][j]) / std::sqrt(n2);
    }
  }

  void tighten(std::vector<double> &g, bool point) const
  {
    constexpr double kNearly = 1e-9;
    // At the scale of the norms: a zero computed as 1e-17 is far from
    // zero at the scale of its own products.
    double gn = 0.0;
    for (double x : g) gn += x * x;
    gn = std::sqrt(gn);
    near_.clear();
    for (long i = 0; i < m_; ++i) {
      double s = 0.0;
      for (long j = 0; j < d_; ++j) s += at(i, j) * g[static_cast<size_t>(j)];
      if (std::fabs(s) <= kNearly * gn) near_.push_back(i);
    }
    std::vector<double> best = g;
    double least = worst(g);
    for (bool pivoted : {false, true}) {
      std::vector<double> h = projected(g, pivoted);
      if (point && h[0] != 0.0)
        for (double &x : h) x *= g[0] / h[0];
      const double w = worst(h);
      if (w < least) {
        least = w;
        best = h;
      }
    }
    g = best;
  }

 private:
  double at(long i, long j) const { return unit_[static_cast<size_t>(i * d_ + j)]; }

  double worst(const std::vector<double> &g) const
  {
    double w = 0.0;
    for (long i : near_) {
      double s = 0.0, t = 0.0;
      for (long j = 0; j < d_; ++j) {
        s += at(i, j) * g[static_cast<size_t>(j)];
        t += std::fabs(at(i, j) * g[static_cast<size_t>(j)]);
      }
      if (s != 0.0) w = std::max(w, t > 0.0 ? std::fabs(s) / t : 1.0);
    }
    return w;
  }

  std::vector<double> projected(std::vector<double> g, bool pivoted) const
  {
    constexpr double kIndependent = 1e-9;
    const size_t d = static_cast<size_t>(d_);
    std::vector<double> left;  // the near rows, less their parts in the basis
    for (long i : near_) left.insert(left.end(), unit_.begin() + i * d_, unit_.begin() + (i + 1) * d_);
    const size_t rows = left.size() / d;
    std::vector<double> basis;
    std::vector<char> used(rows, 0);
    for (long rank = 0; rank < d_ - 1; ++rank) {
      size_t pick = rows;
      double pick_norm = kIndependent;
      for (size_t r = 0; r < rows; ++r) {
        if (used[r] != 0) continue;
        double n2 = 0.0;
        for (size_t j = 0; j < d; ++j) n2 += left[r * d + j] * left[r * d + j];
        if (std::sqrt(n2) > pick_norm) {
          pick = r;
          pick_norm = std::sqrt(n2);
          if (!pivoted) break;
        }
      }
      if (pick == rows) break;
      used[pick] = 1;
      std::vector<double> q(left.begin() + static_cast<long>(pick * d), left.begin() + static_cast<long>((pick + 1) * d));
      // Once more against the basis: the parts taken off carry rounding.
      for (size_t b = 0; b < basis.size(); b += d) {
        double dot = 0.0;
        for (size_t j = 0; j < d; ++j) dot += basis[b + j] * q[j];
        for (size_t j = 0; j < d; ++j) q[j] -= dot * basis[b + j];
      }
      double qn = 0.0;
      for (double x : q) qn += x * x;
      for (double &x : q) x /= std::sqrt(qn);
      basis.insert(basis.end(), q.begin(), q.end());
      for (size_t r = 0; r < rows; ++r) {
        if (used[r] != 0) continue;
        double dot = 0.0;
        for (size_t j = 0; j < d; ++j) dot += q[j] * left[r * d + j];
        for (size_t j = 0; j < d; ++j) left[r * d + j] -= dot * q[j];
      }
    }
    for (int pass = 0; pass < 2; ++pass)
      for (size_t b = 0; b < basis.size(); b += d) {
        double dot = 0.0;
        for (size_t j = 0; j < d; ++j) dot += basis[b + j] * g[j];
        for (size_t j = 0; j < d; ++j) g[j] -= dot * basis[b + j];
      }
    return g;
  }

  long m_, d_;
  std::vector<double> unit_;
  mutable std::vector<long> near_;
};

void project_off_tight(dd_MatrixPtr M, dd_MatrixPtr out)
{
  if (out == nullptr || out->colsize != M->colsize) return;
  const Tightener t(M);
  std::vector<double> g(static_cast<size_t>(M->colsize));
  for (long k = 0; k < out->rowsize; ++k) {
    for (long j = 0; j < M->colsize; ++j) g[static_cast<size_t>(j)] = ddd_get_d(out->matrix[k][j]);
    t.tighten(g, out->representation == dd_Generator);
    for (long j = 0; j < M->colsize; ++j) ddd_set_d(out->matrix[k][j], g[static_cast<size_t>(j)]);
  }
}

}  // namespace

bool certified_within(dd_MatrixPtr M, dd_MatrixPtr out, double delta)
{
  if (M == nullptr || out == nullptr || out->rowsize == 0 || out->colsize != M->colsize) return false;
  if (set_card(M->linset) != 0 || set_card(out->linset) != 0) return false;
  const check::DoubleRows in = double_rows(M), mine = double_rows(out);
  const long d = in.cols, words = (in.rows + 63) / 64;
  const bool h_in = !in.generators;
  // Every pair on its side, each output row on input rows of full rank:
  // the measured checker's first half, the input rows tight kept.
  std::vector<std::vector<long>> on;
  if (!check::valid_within(in, mine, delta, &on)) return false;
  std::vector<std::uint64_t> tight(static_cast<size_t>(mine.rows * words), 0);
  for (long k = 0; k < mine.rows; ++k)
    for (long i : on[static_cast<size_t>(k)])
      tight[static_cast<size_t>(k * words + i / 64)] |= std::uint64_t{1} << (i % 64);
  // The other side of the answer, small, and checked on its own.
  dd_ErrorType err = dd_NoError;
  const zonix::Polyhedra poly(dd_DDMatrix2PolyWith(out, nullptr, &err));
  if (poly == nullptr || err != dd_NoError) return false;
  const zonix::Matrix back(h_in ? dd_CopyInequalities(poly.get()) : dd_CopyGenerators(poly.get()));
  if (back == nullptr || set_card(back->linset) != 0) return false;
  project_off_tight(out, back.get());
  // The other side only says which output rows meet where: its own
  // rounding (amplified where output rows meet at small angles) is judged
  // at a looser tolerance, far below any gap of real data.
  const double meet = std::max(delta, kMeet);
  const check::DoubleRows other = double_rows(back.get());
  if (!check::conversion_within(mine, other, meet)) return false;
  // Each of its rows is one of the input's: an input row is tight on
  // every output row that row is tight on.
  std::vector<std::uint64_t> common(static_cast<size_t>(words));
  for (long b = 0; b < other.rows; ++b) {
    std::fill(common.begin(), common.end(), ~std::uint64_t{0});
    long meets = 0;
    for (long k = 0; k < mine.rows; ++k) {
      if ((h_in ? check::side_within(other.row(b), mine.row(k), d, meet)
                : check::side_within(mine.row(k), other.row(b), d, meet)) != 0)
        continue;
      ++meets;
      for (long w = 0; w < words; ++w) common[static_cast<size_t>(w)] &= tight[static_cast<size_t>(k * words + w)];
    }
    if (meets == 0 || std::all_of(common.begin(), common.end(), [](std::uint64_t w) { return w == 0; })) return false;
  }
  return true;
}

check::DoubleRows double_rows(dd_MatrixPtr M)
{
  check::DoubleRows r;
  r.rows = M->rowsize;
  r.cols = M->colsize;
  r.generators = M->representation == dd_Generator;
  r.v.resize(static_cast<size_t>(r.rows * r.cols));
  r.fixed.resize(static_cast<size_t>(r.rows));
  for (long i = 0; i < r.rows; ++i) {
    for (long j = 0; j < r.cols; ++j) r.v[static_cast<size_t>(i * r.cols + j)] = ddd_get_d(M->matrix[i][j]);
    r.fixed[static_cast<size_t>(i)] = set_member(i + 1, M->linset) != 0 ? 1 : 0;
  }
  return r;
}

bool worth_trying(dd_MatrixPtr M)
{
  return M != nullptr && M->colsize >= 2 && set_card(M->linset) == 0 &&
         (M->representation == dd_Inequality || M->representation == dd_Generator) &&
         M->rowsize >= kManyRows * M->colsize;
}

dd_MatrixPtr convert(dd_MatrixPtr M, long most)
{
  if (M == nullptr || M->colsize < 2 || M->rowsize < 1 || set_card(M->linset) != 0) return nullptr;
  // Past a sixteenth of the rows the double description is the quicker:
  // points on a sphere, each a vertex, have more facets than points.
  if (most <= 0) most = std::max<long>(M->rowsize / 16, M->colsize + 1);
  dd_MatrixPtr out = nullptr;
  if (M->representation == dd_Generator) out = facets_of(M, most);
  else if (M->representation == dd_Inequality) out = vertices_of(M, most);
  if (out != nullptr) project_off_tight(M, out);
  return out;
}

}  // namespace zonix::wrap
