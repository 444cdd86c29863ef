// Time of projection on generated polytopes: zonix's own choice (auto, in
// auto arithmetic, as "project" runs by default) beside the vertex route a
// user would take by hand (extreme, drop the coordinates, hull) and beside
// block elimination with the final reduction.  Random polytopes of 20-60
// rows in 4-10 variables onto 2 and 3 of them, cubes and cross-polytopes.
// Prints one line per instance; the answers must have the same row count.
//
//   project_family [LIMIT]       LIMIT: seconds of block elimination (default 30)
//   project_family list          the instances: index, name, coordinates kept
//   project_family ROUTE INDEX   one instance by auto, vertex or block: its rows
//                                (run_bench.py times these as processes)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "families.h"
#include "zonix.hpp"
#include "zonixarith.hpp"

namespace fam = zonix::families;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// extreme, the kept coordinates, hull: the facets of the projection.
long vertex_route(dd_MatrixPtr M, const std::vector<dd_colrange> &kept)
{
  dd_ErrorType err = dd_NoError;
  zonix::Polyhedra P(dd_DDMatrix2Poly(M, &err));
  zonix::Matrix G(dd_CopyGenerators(P.get()));
  zonix::Matrix Gp(dd_CreateMatrix(G->rowsize, static_cast<dd_colrange>(kept.size())));
  Gp->representation = dd_Generator;
  for (dd_rowrange i = 0; i < G->rowsize; ++i)
    for (size_t c = 0; c < kept.size(); ++c) ddd_set(Gp->matrix[i][c], G->matrix[i][kept[c] - 1]);
  zonix::Polyhedra Q(dd_DDMatrix2Poly(Gp.get(), &err));
  zonix::Matrix H(dd_CopyInequalities(Q.get()));
  if (err != dd_NoError || !H) return -1;
  // An unbounded projection's conversion also gives 1 >= 0, no facet.
  long rows = 0;
  for (dd_rowrange i = 0; i < H->rowsize; ++i)
    for (dd_colrange j = 1; j < H->colsize; ++j)
      if (ddd_sgn(H->matrix[i][j]) != 0) {
        ++rows;
        break;
      }
  return rows;
}

}  // namespace

int main(int argc, char **argv)
{
  const std::string mode = argc > 1 ? argv[1] : "";
  const bool one = mode == "auto" || mode == "vertex" || mode == "block";
  const double limit = argc > 1 && !one && mode != "list" ? std::atof(argv[1]) : 30.0;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  dd_set_global_constants();
  std::vector<std::pair<fam::Instance, int>> cases;  // instance, coordinates kept
  for (int d : {4, 6, 8, 10})
    for (int m : {20, 40, 60})
      for (int k : {2, 3}) cases.push_back({fam::random_inequalities(m, d, 1000 + m + d), k});
  for (int d : {3, 6, 8}) cases.push_back({fam::hypercube(fam::Rep::H, d), 2});
  for (int d : {3, 6, 8}) cases.push_back({fam::cross_polytope(fam::Rep::H, d), 2});
  if (mode == "list") {
    for (size_t i = 0; i < cases.size(); ++i)
      std::printf("%zu %s %d %ld\n", i, cases[i].first.name.c_str(), cases[i].second, cases[i].first.rowcount());
    return 0;
  }
  const auto columns = [](dd_MatrixPtr M, int k, std::vector<dd_colrange> *del, std::vector<dd_colrange> *kept) {
    kept->push_back(1);
    for (dd_colrange j = 2; j <= M->colsize; ++j) (j <= k + 1 ? *kept : *del).push_back(j);
  };
  if (one) {
    const long i = argc > 2 ? std::atol(argv[2]) : -1;
    if (i < 0 || i >= static_cast<long>(cases.size())) return 2;
    zonix::Matrix M(fam::to_matrix(cases[i].first));
    std::vector<dd_colrange> del, kept;
    columns(M.get(), cases[i].second, &del, &kept);
    long rows = -1;
    if (mode == "vertex") {
      rows = vertex_route(M.get(), kept);
    } else {
      const zonix::Projection p =
          mode == "auto" ? zonix::eliminate(M.get(), del, zonix::proj::Method::Auto, true, zonix::Arithmetic::Auto)
                         : zonix::eliminate(M.get(), del, zonix::proj::Method::Block, true, zonix::Arithmetic::Double);
      if (p.output) rows = p.output->rowsize;
    }
    std::printf("rows %ld\n", rows);
    return rows < 0 ? 1 : 0;
  }
  std::printf("%-34s %5s %10s %10s %7s %10s\n", "instance", "onto", "auto s", "vertex s", "ratio", "block s");
  for (const auto &[inst, k] : cases) {
    zonix::Matrix M(fam::to_matrix(inst));
    std::vector<dd_colrange> del, kept;
    columns(M.get(), k, &del, &kept);
    auto t0 = Clock::now();
    const zonix::Projection a = zonix::eliminate(M.get(), del, zonix::proj::Method::Auto, true,
                                                 zonix::Arithmetic::Auto);
    const double ta = since(t0);
    t0 = Clock::now();
    const long rows = vertex_route(M.get(), kept);
    const double tv = since(t0);
    std::string block = "skipped";
    if (M->rowsize <= 40 && limit > 0) {
      t0 = Clock::now();
      const zonix::Projection b = zonix::eliminate(M.get(), del, zonix::proj::Method::Block, true,
                                                   zonix::Arithmetic::Double);
      block = std::to_string(since(t0));
    }
    const long got = a.output ? a.output->rowsize : -1;
    std::printf("%-34s %5d %10.4f %10.4f %7.2f %10s%s\n", inst.name.c_str(), k, ta, tv, ta / tv,
                block.c_str(), got == rows ? "" : "  ROWS DIFFER");
  }
  return 0;
}
