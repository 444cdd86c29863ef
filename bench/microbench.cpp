// Micro-benchmarks of the double description engine's inner operations on
// mid-size inputs: the combinatorial adjacency test, evaluating the ray
// list on a row, creating a new ray, filing the edges of an iteration, and
// the pivot shared with the LP solver.  Speed is measured here, never
// asserted.
//
//   zonix_microbench [--benchmark_filter=REGEX] [other Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "dovavozu.h"
#include "families.h"

namespace fam = zonix::families;

namespace {

// The polytope of m random inequalities in d variables, converted, with
// one more random inequality (a cut) placed in the cone's spare row m + 1
// so that rays can be split and combined on it.
struct Converted {
  dd_PolyhedraPtr poly = nullptr;
  dd_ConePtr cone = nullptr;
  dd_rowrange cut = 0;
  std::vector<dd_RayPtr> rays;

  Converted(int m, int d)
  {
    dd_set_global_constants();
    const fam::Instance all = fam::random_inequalities(m + 1, d, 7);
    dd_MatrixPtr M = fam::to_matrix(all);
    dd_MatrixPtr first = dd_CreateMatrix(m, M->colsize);
    first->representation = dd_Inequality;
    for (long i = 0; i < m; ++i)
      for (long j = 0; j < M->colsize; ++j)
        ddd_set(first->matrix[i][j], M->matrix[i][j]);
    dd_ErrorType err = dd_NoError;
    poly = dd_DDMatrix2Poly(first, &err);
    cone = poly->child;
    if (err != dd_NoError || cone == nullptr || cone->CompStatus != dd_AllFound)
      std::abort();
    // The cone has rows 1..m plus the homogenising row and room for one
    // more, unused by the run.
    cut = cone->m + 1;
    for (long j = 0; j < cone->d; ++j)
      ddd_set(cone->A[cut - 1][j], M->matrix[m][j]);
    for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next) rays.push_back(r);
    dd_FreeMatrix(first);
    dd_FreeMatrix(M);
  }
  ~Converted() { dd_FreePolyhedra(poly); }
  Converted(const Converted &) = delete;
  Converted &operator=(const Converted &) = delete;
};

Converted &instance()
{
  static Converted c(60, 6);
  return c;
}

void BM_CheckAdjacency(benchmark::State &state)
{
  Converted &c = instance();
  const size_t n = c.rays.size();
  size_t i = 0, j = 1;
  long adjacent = 0;
  for (auto _ : state) {
    dd_boolean adj = dd_FALSE;
    dd_CheckAdjacency(c.cone, &c.rays[i], &c.rays[j], &adj);
    adjacent += adj;
    if (++j == n) {
      i = (i + 1) % (n - 1);
      j = i + 1;
    }
  }
  benchmark::DoNotOptimize(adjacent);
  state.counters["rays"] = static_cast<double>(n);
}
BENCHMARK(BM_CheckAdjacency);

void BM_EvaluateRays(benchmark::State &state)
{
  Converted &c = instance();
  dd_rowrange row = 1;
  for (auto _ : state) {
    dd_EvaluateARay2(row, c.cone);
    row = row % c.cone->m + 1;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(c.rays.size()));
}
BENCHMARK(BM_EvaluateRays)->Unit(benchmark::kMicrosecond);

void BM_CreateNewRay(benchmark::State &state)
{
  Converted &c = instance();
  dd_EvaluateARay2(c.cut, c.cone);
  std::vector<dd_RayPtr> pos, neg;
  for (dd_RayPtr r = c.cone->FirstRay; r != nullptr; r = r->Next) {
    if (dd_Positive(r->ARay)) pos.push_back(r);
    if (dd_Negative(r->ARay)) neg.push_back(r);
  }
  if (pos.empty() || neg.empty()) {
    state.SkipWithError("the cut does not split the rays");
    return;
  }
  size_t k = 0;
  for (auto _ : state) {
    dd_RayPtr before = c.cone->LastRay;
    dd_CreateNewRay(c.cone, pos[k % pos.size()], neg[(k / pos.size()) % neg.size()], c.cut);
    dd_Eliminate(c.cone, &before);  // keeps the list as it was
    ++k;
  }
  state.counters["rays"] = static_cast<double>(c.rays.size());
}
BENCHMARK(BM_CreateNewRay);

// One whole conversion, whose time is dominated by filing edges among the
// zero rays of each iteration.
void BM_Conversion(benchmark::State &state)
{
  dd_set_global_constants();
  const fam::Instance inst =
      fam::random_inequalities(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 1);
  dd_MatrixPtr M = fam::to_matrix(inst);
  long outputs = 0;
  for (auto _ : state) {
    dd_ErrorType err = dd_NoError;
    dd_PolyhedraPtr P = dd_DDMatrix2Poly(M, &err);
    outputs = P->n;
    dd_FreePolyhedra(P);
  }
  dd_FreeMatrix(M);
  state.counters["outputs"] = static_cast<double>(outputs);
}
BENCHMARK(BM_Conversion)->Args({60, 6})->Args({100, 7})->Unit(benchmark::kMillisecond);

// The pivot of the basis search and the LP solver on a 200 x 21 matrix: d
// pivots make a basis, then the tableau starts over.
void BM_GaussianColumnPivot(benchmark::State &state)
{
  dd_set_global_constants();
  const long m = 200, d = 21;
  const fam::Instance inst = fam::random_inequalities(static_cast<int>(m), static_cast<int>(d - 1), 3);
  dd_MatrixPtr M = fam::to_matrix(inst);
  dd_Bmatrix T = nullptr;
  dd_InitializeBmatrix(d, &T);
  dd_SetToIdentity(d, T);
  long step = 0;
  for (auto _ : state) {
    // Row step+1 enters on the first column whose entry is clearly nonzero
    // and that no earlier row of this round took.
    const dd_rowrange r = step + 1;
    dd_colrange s = 0;
    for (dd_colrange j = step + 1; j <= d && s == 0; ++j) {
      mytype x;
      dd_TableauEntry(&x, m, d, M->matrix, T, r, j);
      if (ddd_get_d(x) > 1e-3 || ddd_get_d(x) < -1e-3) s = j;
    }
    if (s != 0) {
      // Swap column s into place step+1 so later rows keep to fresh columns.
      if (s != step + 1)
        for (long i = 0; i < d; ++i) {
          mytype t;
          ddd_set(t, T[i][s - 1]);
          ddd_set(T[i][s - 1], T[i][step]);
          ddd_set(T[i][step], t);
        }
      dd_GaussianColumnPivot(m, d, M->matrix, T, r, step + 1);
    }
    if (++step == d) {
      step = 0;
      dd_SetToIdentity(d, T);
    }
  }
  dd_FreeBmatrix(d, T);
  dd_FreeMatrix(M);
}
BENCHMARK(BM_GaussianColumnPivot);

}  // namespace

BENCHMARK_MAIN();
