// A bounded fuzzer for the reader's fuzz target, for the test suite: random
// mutations of seed files (byte flips, insertions of format words, long
// words, NUL bytes, extreme numbers, splices, truncations), a fixed number
// of runs from a fixed seed, so every run tries the same inputs.
//
//   fuzz_reader_mutate [--runs N] [--seed S] SEED_FILE...
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

const char *const kWords[] = {
    "begin", "end", "H-representation", "V-representation", "linearity", "equality",
    "partial_enum", "maximize", "minimize", "hull", "debug", "integer", "rational", "real",
    "float", "/", "-", "+", "0", "1", "-1", "1/0", "0/0", "3/4", "1e308", "1e-320", "nan",
    "-inf", "0x1p3", "2147483648", "9223372036854775807", "-9223372036854775808",
    "99999999999999999999", "1000000", ",", "*", "\n", " ", "\t", "\r"};

// Seeds besides the files: the trailer commands and the corners of the
// format.
const char *const kBuiltinSeeds[] = {
    "H-representation\nlinearity 2 1 3\nbegin\n3 3 rational\n1 1/2 -3/4\n0 +5 2/4\n2 0 1\nend\n"
    "maximize\n0 1 1\nlinearity 1 2\nminimize 1 2 3\nhull\n",
    "V-representation\nbegin\n2 3 real\n1 0.5 -2e-3\n0 1 1\nend\ndebug\n",
    "begin 0 3 real end\n",
    "begin 2 0 integer end\nmaximize\n",
    "* comment\nequality 1,1\npartial_enum 2 1 2\nbegin\n2 2 integer\n1 1\n1 -1\nend\n",
};

std::string random_word(std::mt19937_64 &rng)
{
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_int_distribution<std::size_t> length(200, 6000);
  switch (kind(rng)) {
    case 0: return std::string(length(rng), '7');
    case 1: return "linearity " + std::string(length(rng), '1');
    case 2: {
      std::string s(length(rng), 'a');
      for (char &c : s) c = static_cast<char>(rng() & 0xff);
      return s;
    }
    default: return std::string(1 + rng() % 8, '\0');
  }
}

std::string mutate(const std::vector<std::string> &seeds, std::mt19937_64 &rng)
{
  std::string s = seeds[rng() % seeds.size()];
  const int steps = 1 + static_cast<int>(rng() % 5);
  for (int k = 0; k < steps; ++k) {
    const std::size_t pos = s.empty() ? 0 : rng() % (s.size() + 1);
    switch (rng() % 9) {
      case 0:  // flip a byte
        if (!s.empty()) s[pos % s.size()] = static_cast<char>(rng() & 0xff);
        break;
      case 1:  // a format word
        s.insert(pos, kWords[rng() % std::size(kWords)]);
        break;
      case 2:  // a word of a format word's place, replaced
      {
        const std::size_t len = rng() % 12;
        s.replace(pos, len, kWords[rng() % std::size(kWords)]);
        break;
      }
      case 3:  // delete a range
        s.erase(pos, rng() % 40);
        break;
      case 4:  // duplicate a range
        if (!s.empty()) {
          const std::size_t from = rng() % s.size();
          s.insert(pos, s.substr(from, rng() % 60));
        }
        break;
      case 5:  // truncate
        s.resize(pos);
        break;
      case 6:  // a long or binary word
        s.insert(pos, random_word(rng));
        break;
      case 7:  // splice with another seed
      {
        const std::string &t = seeds[rng() % seeds.size()];
        s = s.substr(0, pos) + t.substr(t.empty() ? 0 : rng() % t.size());
        break;
      }
      default:  // a small number
        s.insert(pos, " " + std::to_string(static_cast<long>(rng() % 2001) - 1000) + " ");
        break;
    }
  }
  return s;
}

}  // namespace

int main(int argc, char **argv)
{
  long runs = 20000;
  std::uint64_t seed = 1;
  std::vector<std::string> seeds(std::begin(kBuiltinSeeds), std::end(kBuiltinSeeds));
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      runs = std::atol(argv[++i]);
    } else if (a == "--seed" && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else {
      std::ifstream in(a, std::ios::binary);
      if (!in) {
        std::printf("cannot read seed file %s\n0 passed, 1 failed\n", a.c_str());
        return 1;
      }
      seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  // Every seed as it is first, then the mutations.
  for (const std::string &s : seeds)
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(s.data()), s.size());
  std::mt19937_64 rng(seed);
  for (long r = 0; r < runs; ++r) {
    const std::string input = mutate(seeds, rng);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(input.data()), input.size());
  }
  std::printf("fuzz_reader: %zu seeds and %ld mutated inputs read without a finding\n",
              seeds.size(), runs);
  std::printf("1 passed, 0 failed\n");
  return 0;
}
