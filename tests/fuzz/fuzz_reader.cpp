// Fuzz target for the representation file reader: any input is read
// without a fault, and every matrix it yields survives the round trip
// through dd_WriteMatrix and the reader: every number comes back as the
// same double.  Built
// with libFuzzer by run_libfuzzer.sh (-DZONIX_LIBFUZZER); otherwise main
// below drives it with a fixed number of seeded mutations of the seed files
// (byte flips, format words from reader.dict, long and binary words,
// extreme numbers, splices, truncations), the same inputs on every run:
//   fuzz_reader_mutate [--runs N] --dict reader.dict SEED_FILE...
#include <cmath>
#include <cstdint>
#include <random>

#include "../support/support.hpp"

namespace {

[[noreturn]] void finding(const char *what)
{
  std::printf("fuzz_reader: %s\n", what);
  std::fflush(stdout);
  std::abort();
}

// Numbers are written in the shortest form that reads back as the same
// double (-0.0 as 0, which compares equal).
bool printed_equal(double x, double y) { return x == y; }

dd_MatrixPtr read(const char *data, std::size_t size, dd_ErrorType *err)
{
  std::vector<char> buf(data, data + size);  // fmemopen wants a writable byte
  buf.push_back('\0');
  FILE *f = fmemopen(buf.data(), size == 0 ? 1 : size, "r");
  if (size == 0) std::fgetc(f);
  dd_MatrixPtr M = dd_PolyFile2Matrix(f, err);
  dd_debug = 0;  // a "debug" command turns tracing on for the process
  std::fclose(f);
  return M;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  static const bool ready = (dd_set_global_constants(), stderr = std::fopen("/dev/null", "w"), true);
  (void)ready;
  dd_ErrorType err = dd_NoError;
  zonix::Matrix M(read(reinterpret_cast<const char *>(data), size, &err));
  if (M == nullptr || err != dd_NoError) return 0;
  const auto rows = zonix::test::rows_of(M.get());
  const std::string text = zonix::test::capture([&](FILE *f) { dd_WriteMatrix(f, M.get()); });
  zonix::Matrix R(read(text.data(), text.size(), &err));
  if (R == nullptr || err != dd_NoError) finding("a written matrix does not read back");
  if (R->rowsize != M->rowsize || R->colsize != M->colsize || R->representation != M->representation ||
      R->objective != M->objective || zonix::test::members(R->linset) != zonix::test::members(M->linset))
    finding("sizes, representation, objective or linearity differ");
  const auto back = zonix::test::rows_of(R.get());
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = 0; j < rows[i].size(); ++j)
      if (!printed_equal(rows[i][j], back[i][j])) {
        std::printf("fuzz_reader: %.17g written, %.17g read back\n", rows[i][j], back[i][j]);
        finding("an entry differs");
      }
  for (dd_colrange j = 0; j < M->colsize && M->objective != dd_LPnone; ++j)
    if (!printed_equal(ddd_get_d(M->rowvec[j]), ddd_get_d(R->rowvec[j]))) finding("an objective entry differs");
  return 0;
}

#ifndef ZONIX_LIBFUZZER
int main(int argc, char **argv)
{
  long runs = 20000;
  std::vector<std::string> words = {"1/0", "0/0", "1e-320", "-inf", "-9223372036854775808", "\n", " ", "\t", "\r"};
  std::vector<std::string> seeds = {
      "H-representation\nlinearity 2 1 3\nbegin\n3 3 rational\n1 1/2 -3/4\n0 +5 2/4\n2 0 1\nend\n"
      "maximize\n0 1 1\nlinearity 1 2\nminimize 1 2 3\nhull\n",
      "V-representation\nbegin\n2 3 real\n1 0.5 -2e-3\n0 1 1\nend\ndebug\n", "begin 0 3 real end\n",
      "begin 2 0 integer end\nmaximize\n", "* comment\nequality 1,1\npartial_enum 2 1 2\nbegin\n2 2 integer\n1 1\n1 -1\nend\n"};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i], text = i + 1 < argc ? zonix::test::read_file(argv[i + 1]) : "";
    if (a == "--runs" && i + 1 < argc) runs = std::atol(argv[++i]);
    else if (a == "--dict" && i + 1 < argc && ++i)
      for (std::size_t p = 0; (p = text.find('"', p)) != std::string::npos; p = text.find('"', p + 1) + 1)
        words.push_back(text.substr(p + 1, text.find('"', p + 1) - p - 1));
    else seeds.push_back(zonix::test::read_file(a));
  }
  std::mt19937_64 rng(1);
  for (long r = -static_cast<long>(seeds.size()); r < runs; ++r) {  // every seed as it is first
    std::string s = seeds[r < 0 ? r + static_cast<long>(seeds.size()) : rng() % seeds.size()];
    for (int k = 0, steps = r < 0 ? 0 : 1 + static_cast<int>(rng() % 5); k < steps; ++k) {
      const std::size_t pos = s.empty() ? 0 : rng() % (s.size() + 1);
      const std::string &w = words[rng() % words.size()], &t = seeds[rng() % seeds.size()];
      switch (rng() % 9) {
        case 0: if (!s.empty()) s[pos % s.size()] = static_cast<char>(rng() & 0xff); break;
        case 1: s.insert(pos, w); break;
        case 2: s.replace(pos, rng() % 12, w); break;
        case 3: s.erase(pos, rng() % 40); break;
        case 4: if (!s.empty()) s.insert(pos, s.substr(rng() % s.size(), rng() % 60)); break;
        case 5: s.resize(pos); break;
        case 6: s.insert(pos, rng() % 2 ? std::string(200 + rng() % 5800, '7') : std::string(1 + rng() % 8, '\0')); break;
        case 7: s = s.substr(0, pos) + t.substr(t.empty() ? 0 : rng() % t.size()); break;
        default: s.insert(pos, " " + std::to_string(static_cast<long>(rng() % 2001) - 1000) + " ");
      }
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(s.data()), s.size());
  }
  std::printf("fuzz_reader: %zu seeds and %ld mutated inputs read without a finding\n", seeds.size(), runs);
  return 0;
}
#endif
