// Volumes against normaliz -V (exact rational arithmetic): random rational
// polytopes by points and by inequalities (in a box) in 2 to 6 dimensions, the exact
// volume compared as a fraction with normaliz's lattice normalized volume
// (d! times the Euclidean one for full-dimensional polytopes), the double
// one to 1e-9.  Exits 77 (skipped) without normaliz.  Usage: volume_oracle
// [seed [count]].
#include <numeric>
#include <regex>

#include "../support/oracle.hpp"
#include "zonixvolume.h"

using namespace zonix::test;
using fam::Instance, fam::Rep;

namespace {

// Points k/q with k in [-3, 3], q in 1..3, sometimes with interior points
// and repeats; or inequalities around the origin with a rational
// right-hand side.
Instance random_instance(fam::Prng &g, int t)
{
  const int d = 2 + t % 5;
  Instance inst;
  inst.cols = d + 1;
  if (t % 2 == 0) {
    inst.rep = Rep::V;
    inst.name = "points-" + std::to_string(d) + "d-" + std::to_string(t);
    const int n = d + 2 + static_cast<int>(g.uniform(0, 6));
    for (int i = 0; i < n; ++i) {
      const long q = g.uniform(1, 3);
      std::vector<fam::Rational> row = {fam::rat(1)};
      for (int j = 0; j < d; ++j) row.push_back(fam::rat(g.uniform(-3, 3), q));
      inst.rows.push_back(row);
    }
    inst.rows.push_back(inst.rows.front());
  } else {
    inst = fam::random_inequalities(static_cast<int>(d + 3 + g.uniform(0, 8)), d, g.next(), 4);
    inst.name = "inequalities-" + std::to_string(d) + "d-" + std::to_string(t);
    for (auto &row : inst.rows) row[0] = fam::rat(row[0].num, g.uniform(1, 3));
    // A box keeps it bounded: 3 -+ x_j >= 0.
    for (int j = 1; j <= d; ++j)
      for (int sign : {1, -1}) {
        std::vector<fam::Rational> row(static_cast<size_t>(d + 1), fam::rat(0));
        row[0] = fam::rat(3);
        row[static_cast<size_t>(j)] = fam::rat(sign);
        inst.rows.push_back(row);
      }
  }
  return inst;
}

// normaliz's input: points with their common denominator last, or
// inequalities a x + b >= 0 as "a b".
std::string normaliz_text(const Instance &inst)
{
  const long d = inst.cols - 1;
  std::string s = "amb_space " + std::to_string(d) + "\n";
  s += (inst.rep == Rep::V ? "vertices " : "inhom_inequalities ") + std::to_string(inst.rowcount()) + "\n";
  for (const auto &row : inst.rows) {
    if (inst.rep == Rep::V) {
      mpz_class l = 1;
      for (long j = 1; j <= d; ++j) mpz_lcm(l.get_mpz_t(), l.get_mpz_t(), mpz_class(static_cast<long>(row[j].den)).get_mpz_t());
      for (long j = 1; j <= d; ++j) {
        const mpz_class v = mpz_class(static_cast<long>(row[j].num)) * (l / static_cast<long>(row[j].den));
        s += v.get_str() + " ";
      }
      s += l.get_str() + "\n";
    } else {
      // Each row times its denominators' lcm: integers, the same halfspace.
      long l = 1;
      for (const auto &x : row) l = std::lcm(l, static_cast<long>(x.den));
      for (long j = 1; j <= d; ++j) s += std::to_string(row[j].num * (l / row[j].den)) + " ";
      s += std::to_string(row[0].num * (l / row[0].den)) + "\n";
    }
  }
  return s;
}

std::optional<mpq_class> normaliz_volume(const Scratch &dir, const Instance &inst, const std::string &tool)
{
  // normaliz writes p.out beside p.in.
  std::filesystem::remove(dir / "p.out");
  if (!run_tool(dir, tool, "-V", normaliz_text(inst), "p.in", false)) return std::nullopt;
  const auto out = std::optional<std::string>(read_file(dir / "p.out"));
  if (out->empty()) return std::nullopt;
  std::smatch m;
  if (!std::regex_search(*out, m, std::regex(R"(volume \(lattice normalized\) = (\d+)(/(\d+))?)")))
    return std::nullopt;
  mpq_class v(mpz_class(m[1].str()), mpz_class(m[3].matched ? m[3].str() : "1"));
  v.canonicalize();
  mpz_class f;
  mpz_fac_ui(f.get_mpz_t(), static_cast<unsigned long>(inst.cols - 1));
  return v / f;
}

}  // namespace

int main(int argc, char **argv)
{
  const std::uint64_t seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20261208;
  const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 12;
  dd_set_global_constants();
  const std::string tool = find_tool("normaliz");
  if (tool.empty()) {
    std::printf("volume_oracle: skipped, normaliz is not installed\n");
    return 77;
  }
  Scratch dir("volume_oracle");
  Tally tally;
  if (!dir.ok()) return tally.fail("setup", "no scratch folder"), tally.finish(argv[0]);
  fam::Prng g(seed);
  for (int t = 0; t < count; ++t) {
    const Instance inst = random_instance(g, t);
    Matrix M(fam::to_matrix(inst));
    const zonix::QMatrix q = to_qmatrix(inst);
    Verdict v;
    const auto want = normaliz_volume(dir, inst, tool);
    const zonix::Volume exact = zonix::volume(M.get(), Arithmetic::Exact, &q);
    const zonix::Volume dbl = zonix::volume(M.get(), Arithmetic::Double);
    if (!want) v.fail("normaliz gave no volume");
    else if (exact.error != dd_NoError || !exact.exact) v.fail("no exact volume");
    else if (exact.fraction != *want) v.fail("exact " + exact.fraction.get_str() + ", normaliz " + want->get_str());
    // The doubles of fractions such as 1/3 are another polytope, but a
    // near one.
    if (want && (dbl.error != dd_NoError || std::fabs(dbl.value - want->get_d()) > 1e-9 * want->get_d()))
      v.fail("double " + number(dbl.value) + ", normaliz " + want->get_str());
    tally.report(inst.name, v, exact.fraction.get_str());
  }
  return tally.finish("volume_oracle");
}
