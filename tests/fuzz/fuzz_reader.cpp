// Fuzz target for the representation file reader.  Any input must be read
// without a fault, and every matrix it yields must survive the round trip
// through dd_WriteMatrix and the reader to the printed precision.  Built
// with libFuzzer (tests/fuzz/run_libfuzzer.sh) or driven by the bounded
// random mutations of mutate_main.cpp inside the test suite.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dovavozu.h"

namespace {

// The value x has after printing: within 0.00005 of a (small) integer it
// is that integer, otherwise ten significant digits.
bool printed_equal(double x, double y)
{
  const double r = std::round(x);
  if (std::fabs(x) < 214748.3647 && std::fabs(x - r) < 0.00005) return y == r;
  return std::fabs(y - x) <= 5.1e-10 * std::fabs(x) + 1e-300;
}

[[noreturn]] void finding(const char *what)
{
  std::fprintf(stdout, "fuzz_reader: %s\n", what);
  std::fflush(stdout);
  std::abort();
}

// Magnitudes whose ten-digit rounding exceeds the largest double do not
// read back; the round trip is checked below them.
bool within_range(dd_MatrixPtr M)
{
  auto ok = [](const mytype x) { return std::fabs(ddd_get_d(x)) < 1e308; };
  for (dd_rowrange i = 0; i < M->rowsize; ++i)
    for (dd_colrange j = 0; j < M->colsize; ++j)
      if (!ok(M->matrix[i][j])) return false;
  for (dd_colrange j = 0; j < M->colsize; ++j)
    if (!ok(M->rowvec[j])) return false;
  return true;
}

void check_round_trip(dd_MatrixPtr M)
{
  char *text = nullptr;
  std::size_t len = 0;
  FILE *w = open_memstream(&text, &len);
  dd_WriteMatrix(w, M);
  std::fclose(w);
  FILE *r = fmemopen(text, len, "r");
  dd_ErrorType err = dd_ImproperInputFormat;
  dd_MatrixPtr R = dd_PolyFile2Matrix(r, &err);
  dd_debug = 0;
  std::fclose(r);
  if (R == nullptr || err != dd_NoError) finding("a written matrix does not read back");
  if (R->rowsize != M->rowsize || R->colsize != M->colsize) finding("sizes differ");
  if (R->representation != M->representation) finding("representation differs");
  if (R->objective != M->objective) finding("objective differs");
  for (dd_rowrange i = 1; i <= M->rowsize; ++i)
    if (set_member(i, R->linset) != set_member(i, M->linset)) finding("linearity differs");
  for (dd_rowrange i = 0; i < M->rowsize; ++i)
    for (dd_colrange j = 0; j < M->colsize; ++j)
      if (!printed_equal(ddd_get_d(M->matrix[i][j]), ddd_get_d(R->matrix[i][j])))
        finding("an entry differs");
  if (M->objective != dd_LPnone)
    for (dd_colrange j = 0; j < M->colsize; ++j)
      if (!printed_equal(ddd_get_d(M->rowvec[j]), ddd_get_d(R->rowvec[j])))
        finding("an objective entry differs");
  dd_FreeMatrix(R);
  std::free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  static const bool ready = [] {
    dd_set_global_constants();
    // The reader's notices and warnings would drown the fuzzer's own
    // output; sanitizer reports go to the file descriptor, not to this
    // stream.
    if (FILE *null = std::fopen("/dev/null", "w")) stderr = null;
    return true;
  }();
  (void)ready;
  // fmemopen wants a writable buffer of at least one byte.
  std::vector<char> buf(data, data + size);
  buf.push_back('\0');
  FILE *f = fmemopen(buf.data(), size == 0 ? 1 : size, "r");
  if (f == nullptr) return 0;
  if (size == 0) std::fgetc(f);  // an empty stream
  dd_ErrorType err = dd_NoError;
  dd_MatrixPtr M = dd_PolyFile2Matrix(f, &err);
  // A "debug" command in the input turns tracing on for the process.
  dd_debug = 0;
  std::fclose(f);
  if (M != nullptr && err == dd_NoError && within_range(M)) check_round_trip(M);
  dd_FreeMatrix(M);
  return 0;
}
