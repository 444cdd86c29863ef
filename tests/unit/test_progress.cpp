// The progress hook of the double description driver: when it fires, what
// it is told, that it is per thread, and that it changes no result.
#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

using Call = std::tuple<long, long, long>;  // iteration, total, raycount

struct Recorder {
  std::vector<Call> calls;
};

void record(void *user, dd_rowrange iteration, dd_rowrange total,
            long raycount)
{
  static_cast<Recorder *>(user)->calls.emplace_back(iteration, total,
                                                    raycount);
}

// Turns the hook off at scope exit, so a failing test leaves no hook
// behind for the next one on this thread.
struct HookGuard {
  HookGuard(dd_ProgressHook h, void *u) { dd_SetProgressHook(h, u); }
  ~HookGuard() { dd_SetProgressHook(nullptr, nullptr); }
  HookGuard(const HookGuard &) = delete;
  HookGuard &operator=(const HookGuard &) = delete;
};

// The d-cube [-1,1]^d as 2d inequalities 1 +- x_k >= 0.
zonix::Matrix cube(int d)
{
  dd_set_global_constants();
  auto M = zonix::make_matrix(2 * d, d + 1);
  M->representation = dd_Inequality;
  for (int k = 0; k < d; ++k)
    for (int s = 0; s < 2; ++s) {
      M->matrix[2 * k + s][0][0] = 1.0;
      M->matrix[2 * k + s][k + 1][0] = s == 0 ? 1.0 : -1.0;
    }
  return M;
}

std::vector<std::vector<double>> output_rows(dd_PolyhedraPtr P)
{
  zonix::Matrix G(dd_CopyOutput(P));
  std::vector<std::vector<double>> out;
  if (!G) return out;
  for (long i = 0; i < G->rowsize; ++i) {
    std::vector<double> r;
    for (long j = 0; j < G->colsize; ++j) r.push_back(G->matrix[i][j][0]);
    out.push_back(r);
  }
  return out;
}

TEST(ProgressHook, FiresOncePerIterationAfterTheInitialBasis)
{
  // The 3-cube: 6 rows plus the homogenising row make m = 7; the initial
  // basis takes 4 rows, so iterations 5, 6 and 7 remain.  The last one
  // leaves the 8 vertices.
  Recorder rec;
  HookGuard guard(record, &rec);
  auto M = cube(3);
  dd_ErrorType err = dd_ImproperInputFormat;
  auto P = zonix::make_polyhedra(M.get(), &err);
  ASSERT_EQ(err, dd_NoError);
  ASSERT_EQ(rec.calls.size(), 3u);
  for (size_t k = 0; k < rec.calls.size(); ++k) {
    EXPECT_EQ(std::get<0>(rec.calls[k]), static_cast<long>(5 + k));
    EXPECT_EQ(std::get<1>(rec.calls[k]), 7);
  }
  EXPECT_EQ(std::get<2>(rec.calls.back()), 8);
  // Ray counts never drop below the d+1 initial rays of a 4-column cone.
  for (const auto &c : rec.calls) EXPECT_GE(std::get<2>(c), 4);
}

TEST(ProgressHook, NullHookTurnsReportingOff)
{
  Recorder rec;
  dd_SetProgressHook(record, &rec);
  dd_SetProgressHook(nullptr, &rec);
  auto M = cube(3);
  dd_ErrorType err = dd_ImproperInputFormat;
  auto P = zonix::make_polyhedra(M.get(), &err);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_TRUE(rec.calls.empty());
}

TEST(ProgressHook, ResultIsTheSameWithAndWithoutHook)
{
  auto M = cube(5);
  dd_ErrorType err = dd_ImproperInputFormat;
  auto plain = zonix::make_polyhedra(M.get(), &err);
  ASSERT_EQ(err, dd_NoError);
  Recorder rec;
  std::vector<std::vector<double>> hooked_rows;
  {
    HookGuard guard(record, &rec);
    auto hooked = zonix::make_polyhedra(M.get(), &err);
    ASSERT_EQ(err, dd_NoError);
    hooked_rows = output_rows(hooked.get());
  }
  EXPECT_EQ(output_rows(plain.get()), hooked_rows);
  EXPECT_EQ(hooked_rows.size(), 32u);
  // 10 rows + 1 homogenising row, 6 basis rows: iterations 7..11.
  EXPECT_EQ(rec.calls.size(), 5u);
}

TEST(ProgressHook, SettingIsPerThread)
{
  Recorder main_rec;
  HookGuard guard(record, &main_rec);
  Recorder other_rec;
  size_t other_seen_before_own_hook = 99;
  std::thread t([&] {
    auto M = cube(3);
    dd_ErrorType err = dd_NoError;
    // This thread starts without a hook: the main thread's is not seen.
    { auto P = zonix::make_polyhedra(M.get(), &err); }
    other_seen_before_own_hook = main_rec.calls.size();
    dd_SetProgressHook(record, &other_rec);
    { auto P = zonix::make_polyhedra(M.get(), &err); }
    dd_SetProgressHook(nullptr, nullptr);
  });
  t.join();
  EXPECT_EQ(other_seen_before_own_hook, 0u);
  EXPECT_EQ(other_rec.calls.size(), 3u);
  // The other thread's setting did not replace the main thread's hook.
  auto M = cube(3);
  dd_ErrorType err = dd_NoError;
  auto P = zonix::make_polyhedra(M.get(), &err);
  EXPECT_EQ(main_rec.calls.size(), 3u);
  EXPECT_EQ(other_rec.calls.size(), 3u);
}

}  // namespace
