// Thin, far and tiny or huge polytopes: small ones whose answers are known
// by hand, moved by x = s (o + w y) (y the polytope's own coordinates, w a
// width on the first axis, o an offset on every axis, s an overall scale)
// and, on the H side, each row times a power of two.  An affine map keeps
// the faces, so the counts stay those of the polytope by hand and each
// vertex maps back onto one of its vertices.  The data are doubles of
// every size from 1e-300 to 1e300; auto and exact must answer right.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "zonix.hpp"

namespace {

using Row = std::vector<double>;
using zonix::Arithmetic;

struct Shape {
  std::string name;
  int d;
  bool h;               // given by rows (b, a): b + a.y >= 0; else by points y
  std::vector<Row> in;  // rows (b, a), or points y
  std::vector<Row> vertices;  // the H shapes' vertices, by hand
  long answer;          // vertices of an H shape, facets of a V shape
};

std::vector<Row> cube_points(int d)
{
  std::vector<Row> v;
  for (int mask = 0; mask < (1 << d); ++mask) {
    Row y(static_cast<size_t>(d));
    for (int i = 0; i < d; ++i) y[static_cast<size_t>(i)] = (mask >> i) & 1;
    v.push_back(y);
  }
  return v;
}

std::vector<Row> simplex_points(int d)
{
  std::vector<Row> v(1, Row(static_cast<size_t>(d), 0.0));
  for (int i = 0; i < d; ++i) {
    v.emplace_back(static_cast<size_t>(d), 0.0);
    v.back()[static_cast<size_t>(i)] = 1;
  }
  return v;
}

long binomial(long n, long k)
{
  long r = 1;
  for (long i = 1; i <= k; ++i) r = r * (n - k + i) / i;
  return r;
}

std::vector<Shape> shapes()
{
  std::vector<Shape> s;
  const int d = 3;
  // 0 <= y_i <= 1, and y >= 0 with sum y <= 1.
  Shape cube{"cube-h", d, true, {}, cube_points(d), 1L << d};
  Shape simplex{"simplex-h", d, true, {}, simplex_points(d), d + 1};
  for (int i = 0; i < d; ++i) {
    Row lo(static_cast<size_t>(d + 1), 0.0), hi(static_cast<size_t>(d + 1), 0.0);
    lo[static_cast<size_t>(i + 1)] = 1;
    hi[0] = 1;
    hi[static_cast<size_t>(i + 1)] = -1;
    cube.in.push_back(lo);
    cube.in.push_back(hi);
    simplex.in.push_back(lo);
  }
  Row top(static_cast<size_t>(d + 1), -1.0);
  top[0] = 1;
  simplex.in.push_back(top);
  s.push_back(cube);
  s.push_back(simplex);
  s.push_back({"cube-v", d, false, cube_points(d), {}, 2 * d});
  s.push_back({"simplex-v", d, false, simplex_points(d), {}, d + 1});
  Shape cross{"cross-v", d, false, {}, {}, 1L << d};
  for (int i = 0; i < d; ++i)
    for (double sign : {1.0, -1.0}) {
      cross.in.emplace_back(static_cast<size_t>(d), 0.0);
      cross.in.back()[static_cast<size_t>(i)] = sign;
    }
  s.push_back(cross);
  // The cyclic polytope of n points on the moment curve in 4-d has
  // n/(n-2) C(n-2, 2) facets; in 3-d, 2n - 4.
  for (int dim : {3, 4}) {
    const int n = 8;
    Shape cyc{"cyclic-v-8-" + std::to_string(dim), dim, false, {}, {},
              dim == 3 ? 2L * n - 4 : n * binomial(n - 2, 2) / (n - 2)};
    for (int t = 1; t <= n; ++t) {
      Row y;
      for (int k = 1; k <= dim; ++k) y.push_back(std::pow(t, k));
      cyc.in.push_back(y);
    }
    s.push_back(cyc);
  }
  return s;
}

struct Move {
  double w, o, s;
  std::string name() const
  {
    char b[96];
    std::snprintf(b, sizeof b, "w=%g o=%g s=%g", w, o, s);
    return b;
  }
  double x(double y, int axis) const { return s * (o + (axis == 0 ? w : 1.0) * y); }
  double y(double x, int axis) const { return (x / s - o) / (axis == 0 ? w : 1.0); }
};

// Moves whose width is at least 1e-11 of the offset: measured data within
// about 1e-12 of each number may be flat where the width is less.
std::vector<Move> moves()
{
  std::vector<Move> m;
  for (double w : {1.0, 1e-3, 1e-6, 1e-9, 1e-12})
    for (double o : {0.0, 1e3, 1e6, 1e12})
      for (double s : {1.0, 0x1p-900, 0x1p900})
        if (w >= o * 1e-11 && s * (o + 64) * 64 < 1e300) m.push_back({w, o, s});
  return m;
}

zonix::Matrix moved(const Shape &sh, const Move &mv, unsigned &seed)
{
  const long rows = static_cast<long>(sh.in.size());
  zonix::Matrix M(dd_CreateMatrix(rows, sh.d + 1));
  M->representation = sh.h ? dd_Inequality : dd_Generator;
  for (long i = 0; i < rows; ++i) {
    const Row &r = sh.in[static_cast<size_t>(i)];
    auto out = [&](int j) -> double & { return M->matrix[i][j][0]; };
    if (!sh.h) {
      out(0) = 1;
      for (int j = 0; j < sh.d; ++j) out(j + 1) = mv.x(r[static_cast<size_t>(j)], j);
      continue;
    }
    // b + a.y with y_j = (x_j/s - o)/w_j: b - sum a_j o/w_j + sum a_j/(s w_j) x_j,
    // then the row times 2^k, k from a fixed sequence, its entries kept
    // within 1e-300..1e300.
    double b = r[0];
    Row a(static_cast<size_t>(sh.d));
    for (int j = 0; j < sh.d; ++j) {
      const double wj = j == 0 ? mv.w : 1.0;
      b -= r[static_cast<size_t>(j + 1)] * mv.o / wj;
      a[static_cast<size_t>(j)] = r[static_cast<size_t>(j + 1)] / (mv.s * wj);
    }
    double lo = std::fabs(b) > 0 ? std::fabs(b) : INFINITY, hi = std::fabs(b);
    for (double v : a)
      if (v != 0) lo = std::min(lo, std::fabs(v)), hi = std::max(hi, std::fabs(v));
    seed = seed * 1103515245u + 12345u;
    int k = static_cast<int>((seed >> 8) % 1801) - 900;
    while (k > 0 && std::ldexp(hi, k) > 1e300) --k;
    while (k < 0 && std::ldexp(lo, k) < 1e-300) ++k;
    out(0) = std::ldexp(b, k);
    for (int j = 0; j < sh.d; ++j) out(j + 1) = std::ldexp(a[static_cast<size_t>(j)], k);
  }
  return M;
}

std::string check(const Shape &sh, const Move &mv, const zonix::Conversion &c)
{
  if (c.error != dd_NoError) return "error " + std::to_string(c.error);
  const dd_MatrixPtr out = c.output.get();
  if (out == nullptr) return "no output";
  if (set_card(out->linset) != 0) return std::to_string(set_card(out->linset)) + " equations or lines";
  if (out->rowsize != sh.answer)
    return std::to_string(out->rowsize) + " rows where there are " + std::to_string(sh.answer);
  if (!sh.h) return "";
  std::vector<char> hit(sh.vertices.size(), 0);
  for (long i = 0; i < out->rowsize; ++i) {
    const double t = out->matrix[i][0][0];
    if (t <= 0) return "a ray in a polytope";
    size_t found = sh.vertices.size();
    for (size_t v = 0; v < sh.vertices.size() && found == sh.vertices.size(); ++v) {
      bool same = true;
      for (int j = 0; j < sh.d && same; ++j)
        same = std::fabs(mv.y(out->matrix[i][j + 1][0] / t, j) - sh.vertices[v][static_cast<size_t>(j)]) < 1e-3;
      if (same) found = v;
    }
    if (found == sh.vertices.size()) return "vertex " + std::to_string(i + 1) + " is not one of the polytope's";
    if (hit[found]++ != 0) return "a vertex twice";
  }
  return "";
}

}  // namespace

int main()
{
  dd_set_global_constants();
  int failed = 0, checked = 0;
  unsigned seed = 7;
  for (const Shape &sh : shapes())
    for (const Move &mv : moves())
      for (Arithmetic a : {Arithmetic::Auto, Arithmetic::Exact}) {
        zonix::Matrix M = moved(sh, mv, seed);
        zonix::ConvertOptions o;
        o.arithmetic = a;
        const std::string why = check(sh, mv, zonix::convert(M.get(), o));
        ++checked;
        if (!why.empty()) {
          ++failed;
          std::printf("FAIL %s %s %s: %s\n", sh.name.c_str(), mv.name().c_str(),
                      a == Arithmetic::Auto ? "auto" : "exact", why.c_str());
        }
      }
  std::printf("%d of %d checks passed\n", checked - failed, checked);
  return failed == 0 ? 0 : 1;
}
