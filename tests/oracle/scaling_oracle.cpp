// Scale invariance of conversions: rows of the shared families times random
// powers of ten (10^-6..10^6) describe the same polyhedron, so the output is
// the same up to positive factors (lines up to their span).  And answers
// known by hand: the cube at 1e-8, empty sets with recession directions, no rows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "families.h"
#include "zonix.hpp"

namespace {

namespace fam = zonix::families;
using Rep = fam::Rep;
using Row = std::vector<double>;

struct Output { dd_ErrorType err = dd_NoError; std::vector<Row> rows, lines; };  // largest entry 1

Output convert(dd_MatrixPtr M)
{
  Output o;
  zonix::Polyhedra poly(dd_DDMatrix2Poly(M, &o.err));
  if (o.err != dd_NoError) return o;
  zonix::Matrix out(M->representation == dd_Generator ? dd_CopyInequalities(poly.get())
                                                      : dd_CopyGenerators(poly.get()));
  for (long i = 0; i < out->rowsize; ++i) {
    Row r(out->matrix[i][0], out->matrix[i][0] + out->colsize);
    const double big = std::fabs(
        *std::max_element(r.begin(), r.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); }));
    for (double &x : r) x /= big;
    (set_member(i + 1, out->linset) ? o.lines : o.rows).push_back(r);
  }
  return o;
}

long rank(const std::vector<Row> &rows, long cols)
{
  if (rows.empty()) return 0;
  zonix::Matrix M(dd_CreateMatrix(static_cast<long>(rows.size()), cols));
  for (size_t i = 0; i < rows.size(); ++i) std::copy(rows[i].begin(), rows[i].end(), M->matrix[i][0]);
  set_type rb = nullptr, cb = nullptr;
  const long r = dd_MatrixRank(M.get(), nullptr, nullptr, &rb, &cb);
  return zonix::Set(rb), zonix::Set(cb), r;
}

// Same rows (as sets, up to positive factors) and the same lineality space.
std::string differs(const Output &a, const Output &b, long cols)
{
  if (a.err != b.err) return "error " + std::to_string(a.err) + " against " + std::to_string(b.err);
  if (a.rows.size() != b.rows.size() || a.lines.size() != b.lines.size())
    return std::to_string(b.rows.size()) + "+" + std::to_string(b.lines.size()) + " rows against " +
           std::to_string(a.rows.size()) + "+" + std::to_string(a.lines.size());
  auto close = [](const Row &r, const Row &s) {
    for (size_t j = 0; j < r.size(); ++j)
      if (std::fabs(r[j] - s[j]) > 1e-9) return false;
    return true;
  };
  for (const Row &r : a.rows)
    if (std::none_of(b.rows.begin(), b.rows.end(), [&](const Row &s) { return close(r, s); }))
      return "a row is missing";
  std::vector<Row> both = a.lines;
  both.insert(both.end(), b.lines.begin(), b.lines.end());
  return rank(both, cols) == static_cast<long>(a.lines.size()) ? "" : "lines differ";
}

std::vector<fam::Instance> instances()
{
  std::vector<fam::Instance> s;
  for (Rep rep : {Rep::H, Rep::V})
    for (auto inst :
         {fam::hypercube(rep, 4), fam::cross_polytope(rep, 4), fam::simplex(rep, 5), fam::cyclic_polytope(rep, 10, 4),
          fam::simplex_product(rep, 2, 3), fam::cylinder(fam::hypercube(rep, 3)), fam::pyramid(fam::hypercube(rep, 3)),
          fam::on_hyperplane(fam::hypercube(rep, 3), 7)})
      s.push_back(inst);
  for (auto inst :
       {fam::sphere_points(20, 3, 1), fam::random_inequalities(30, 4, 2), fam::random_cone(12, 4, 5),
        fam::translate(fam::random_cone(10, 4, 6), {1, -2, 3, 0}), fam::cone_over(fam::hypercube(Rep::V, 3)),
        fam::scaled_copies(fam::cross_polytope(Rep::H, 3), fam::rat(5, 2), 2),
        fam::with_combinations(fam::hypercube(Rep::V, 3), 6, 12)})
    s.push_back(inst);
  return s;
}

// H rows (b, a) for b + a.x >= 0, each times `scale`, and the counts of
// points, rays and lines of the answer.
struct Known { const char *name; long cols; std::vector<Row> rows; double scale; long points, rays, lines; };

std::string check_known(const Known &k)
{
  zonix::Matrix M(dd_CreateMatrix(static_cast<long>(k.rows.size()), k.cols));
  M->representation = dd_Inequality;
  for (size_t i = 0; i < k.rows.size(); ++i)
    for (long j = 0; j < k.cols; ++j) M->matrix[i][j][0] = k.rows[i][static_cast<size_t>(j)] * k.scale;
  const Output o = convert(M.get());
  const auto points = std::count_if(o.rows.begin(), o.rows.end(), [](const Row &r) { return r[0] != 0; });
  if (o.err != dd_NoError) return "error " + std::to_string(o.err);
  if (points != k.points || static_cast<long>(o.rows.size()) - points != k.rays || rank(o.lines, k.cols) != k.lines ||
      static_cast<long>(o.lines.size()) != k.lines)
    return std::to_string(points) + " points, " + std::to_string(o.rows.size() - points) + " rays, " +
           std::to_string(o.lines.size()) + " lines";
  return "";
}

}  // namespace

int main()
{
  dd_set_global_constants();
  int failed = 0, checked = 0;
  auto report = [&](const std::string &name, const std::string &why) {
    ++checked;
    if (!why.empty()) ++failed, std::printf("FAIL %s: %s\n", name.c_str(), why.c_str());
  };
  fam::Prng prng(2026);
  for (const fam::Instance &inst : instances()) {
    zonix::Matrix M(fam::to_matrix(inst));
    const Output plain = convert(M.get());
    for (int trial = 0; trial < 3; ++trial) {
      for (long i = 0; i < M->rowsize; ++i) {
        const double f = std::pow(10.0, static_cast<double>(prng.uniform(-6, 6)));
        for (long j = 0; j < M->colsize; ++j) M->matrix[i][j][0] = fam::to_double(inst.rows[i][j]) * f;
      }
      report(inst.name + " scaled #" + std::to_string(trial), differs(plain, convert(M.get()), M->colsize));
    }
  }
  const std::vector<Row> cube = {{1, 1, 0, 0}, {1, -1, 0, 0}, {1, 0, 1, 0}, {1, 0, -1, 0}, {1, 0, 0, 1}, {1, 0, 0, -1}};
  const std::vector<Row> strip = {{-1, 1, 0}, {0, -1, 0}, {0, 0, 1}};  // 1 <= x <= 0, y >= 0
  const Known known[] = {
      {"cube x 1e-8", 4, cube, 1e-8, 8, 0, 0}, {"cube x 1e+8", 4, cube, 1e8, 8, 0, 0},
      {"empty strip with a ray", 3, strip, 1, 0, 0, 0}, {"empty strip with a ray x 1e-7", 3, strip, 1e-7, 0, 0, 0},
      {"empty slab with a line", 4, {{-2, 1, 1, 0}, {1, -1, -1, 0}, {0, 0, 0, 1}}, 1, 0, 0, 0},
      {"no rows in 3 variables", 4, {}, 1, 1, 0, 3}, {"no rows in 1 variable", 2, {}, 1, 1, 0, 1},
  };
  for (const Known &k : known) report(k.name, check_known(k));
  std::printf("%d of %d checks passed\n", checked - failed, checked);
  return failed == 0 ? 0 : 1;
}
