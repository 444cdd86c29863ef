// Walked pair by pair, through the row indexes or trees of zero sets, on
// several threads, or found by the faces of simple rays, the pair tests file
// the same edges, and the new rays come out the same: the same rays in the
// same order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support.hpp"
#include "zonixcore_internal.hpp"

using namespace zonix::test;

namespace {

struct Way { int threads; long index_threshold; double parallel_pairs; bool simple = true; double forest = 1e300; };

// The rays of the cone {x : rows x >= 0}, and the run's counts of pairs.
Rows rays_of(const Rows &rows, Way w, std::vector<long> *counts)
{
  Polyhedra poly(dd_CreatePolyhedraData(static_cast<long>(rows.size()), static_cast<long>(rows[0].size())));
  for (size_t i = 0; i < rows.size(); ++i)
    for (size_t j = 0; j < rows[0].size(); ++j) ddd_set_d(poly->A[i][j], rows[i][j]);
  dd_ConePtr cone = dd_ConeDataLoad(poly.get());
  dd_workspace &ws = zonix::core::workspace(cone);
  ws.threads = w.threads, ws.third_ray_index_threshold = w.index_threshold;
  ws.parallel_pairs = ws.block_pairs = w.parallel_pairs;
  ws.simple_rays = w.simple;
  ws.forest_pairs = w.forest;
  ws.parallel_rays = ws.block_rays = static_cast<long>(std::min(w.parallel_pairs, 1e9));  // new rays too
  dd_boolean found = dd_FALSE;
  dd_DDInit(cone), dd_FindInitialRays(cone, &found), dd_InitialDataSetup(cone), dd_DDMain(cone);
  *counts = {cone->TotalEdgeCount, cone->count_int, cone->count_int_bad, cone->count_int_good, cone->RayCount};
  Rows rays;
  for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next)
    for (long j = 0; j < cone->d; ++j) (j == 0 ? rays.emplace_back() : rays.back()).push_back(ddd_get_d(r->Ray[j]));
  return rays;
}

TEST(PairTests, IndexesAndThreadsFileThePairsThePlainWalkFiles)
{
  dd_set_global_constants();
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> entry(-1, 1);  // small entries: many rays on each row
  std::normal_distribution<double> general(0.0, 1.0);  // general position: every ray simple
  for (int trial = 0; trial < 18; ++trial) {
    Rows rows(static_cast<size_t>(24 + 2 * trial), std::vector<double>(5 + trial % 4));
    for (auto &r : rows)
      for (size_t j = 0; j < r.size(); ++j)
        r[j] = j == 0 ? 1 + trial % 2 : trial < 12 ? entry(gen) : general(gen);
    std::vector<long> plain_counts, counts;
    const Rows plain = rays_of(rows, {1, 1L << 40, 1e300, false}, &plain_counts);
    EXPECT_GT(plain_counts[0], 0) << trial;
    for (const Way w : {Way{1, 1L << 40, 1e300}, Way{1, 0, 1e300}, Way{2, 0, 1}, Way{4, 0, 1}, Way{4, 32, 1},
                        Way{1, 0, 1e300, false, 0}, Way{1, 0, 1e300, true, 0}, Way{3, 0, 1, false, 0}}) {
      EXPECT_EQ(rays_of(rows, w, &counts), plain) << trial << " threads " << w.threads;
      // Found by faces, fewer pairs are tested; the same edges are filed.
      EXPECT_EQ(counts[0], plain_counts[0]) << trial << " threads " << w.threads;
    }
  }
}

}  // namespace

// A ray's accuracy is kept in less room than a double: never below the
// value stored, and within a float's rounding of it.
TEST(PairTests, RayAccuracyIsKeptRoundedUp)
{
  for (const double e : {0.0, 1e-300, 0x1p-40, 1e-17, 1.0 / 3.0, 0.1, 1e30}) {
    dd_RayPtr r = zonix::core::new_ray(10, 511);
    zonix::core::set_ray_accuracy(r, 10, e);
    const double kept = zonix::core::ray_accuracy(r, 10);
    EXPECT_GE(kept, e);
    EXPECT_LE(kept, e == 0.0 ? 0.0 : e <= 1e-38 ? 2e-38 : e * (1.0 + 0x1p-23)) << e;
    zonix::core::free_ray(10, r);
  }
}

TEST(PairTests, ConflictTableReadsBackEachSetUntilReleased)
{
  zonix::core::ConflictTable t;
  std::vector<std::uint32_t> tags(5001, 0);
  for (std::uint32_t k = 1, o = 1; k <= 5000; ++k, o = k / 3 + 1) {
    tags[k] = t.add(std::vector<std::uint32_t>{128, 0, k, k % 3 != 0 ? ~k : 0u, 0}.data(), 4) << zonix::core::conflict_shift;
    if (k % 7 == 0) t.release(std::exchange(tags[k / 2], 0));
    EXPECT_EQ(std::pair(t.get(tags[o]).word(2), t.get(tags[o]).word(3)), std::pair(tags[o] != 0 ? o : 0u, tags[o] != 0 && o % 3 != 0 ? ~o : 0u)) << o;
  }
}
