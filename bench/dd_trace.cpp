// Where a conversion spends its time: the rays kept after each row, and
// the milliseconds since the start, one line per row taken.
//
//   dd_trace FILE [--threads N] [--order spread|lexmin|lexmax|minindex|...]
//
// FILE is a representation file (.ine or .ext).  Lines go to standard
// output as "iteration rays ms"; the last line sums up.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dovavozu.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Trace {
  Clock::time_point start;
  long peak = 0;
  double last_ms = 0;
};

void hook(void* user, dd_rowrange iteration, dd_rowrange total, long raycount)
{
  auto* t = static_cast<Trace*>(user);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t->start).count();
  if (raycount > t->peak) t->peak = raycount;
  std::printf("%ld %ld %.1f %.1f\n", static_cast<long>(iteration), raycount, ms, ms - t->last_ms);
  std::fflush(stdout);
  t->last_ms = ms;
  (void)total;
}

}  // namespace

int main(int argc, char** argv)
{
  const char* path = nullptr;
  int threads = 1;
  dd_RowOrderType order = dd_LexMinSpread;
  const struct {
    const char* name;
    dd_RowOrderType order;
  } orders[] = {{"spread", dd_LexMinSpread}, {"lexmin", dd_LexMin},     {"lexmax", dd_LexMax},
                {"minindex", dd_MinIndex},   {"maxindex", dd_MaxIndex}, {"mincutoff", dd_MinCutoff},
                {"maxcutoff", dd_MaxCutoff}, {"mixcutoff", dd_MixCutoff}, {"random", dd_RandomRow}, {"columns", dd_ColumnGreedy}};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
      threads = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--order") == 0 && i + 1 < argc) {
      const char* name = argv[++i];
      bool known = false;
      for (const auto& o : orders)
        if (std::strcmp(o.name, name) == 0) order = o.order, known = true;
      if (!known) return std::fprintf(stderr, "dd_trace: no order %s\n", name), 2;
    } else {
      path = argv[i];
    }
  }
  if (path == nullptr) return std::fprintf(stderr, "usage: dd_trace FILE [--threads N] [--order NAME]\n"), 2;
  dd_set_global_constants();
  FILE* f = std::fopen(path, "r");
  if (f == nullptr) return std::fprintf(stderr, "dd_trace: cannot read %s\n", path), 1;
  dd_ErrorType err = dd_NoError;
  dd_MatrixPtr M = dd_PolyFile2Matrix(f, &err);
  std::fclose(f);
  if (M == nullptr || err != dd_NoError) return std::fprintf(stderr, "dd_trace: bad input\n"), 1;
  Trace t;
  t.start = Clock::now();
  dd_SetProgressHook(hook, &t);
  const dd_RunOptions run{order, 1, threads};
  dd_PolyhedraPtr poly = dd_DDMatrix2PolyWith(M, &run, &err);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t.start).count();
  const long out = poly != nullptr && poly->child != nullptr ? poly->child->FeasibleRayCount : -1;
  std::printf("# %s: %ld rows, %ld columns; %ld output rows, peak %ld rays, %.1f ms, error %d\n", path,
              M->rowsize, M->colsize, out, t.peak, ms, static_cast<int>(err));
  dd_FreePolyhedra(poly);
  dd_FreeMatrix(M);
  return err == dd_NoError ? 0 : 1;
}
