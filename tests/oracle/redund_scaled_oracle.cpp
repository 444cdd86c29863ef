// Redundancy removal on badly scaled rows: random polytopes with strictly
// redundant rows added, every row multiplied by 10^k, k in -5..5, plus the
// unit cube with one row times 1e6 and with every row times 1e-8, and
// 2,000 integer rows in 10 variables.  lrs's redund, run on the unscaled
// rows, gives the truth; both the plain LP test and the ray-shooting one
// must find exactly its redundant rows, with no error.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "families.h"
#include "zonix.hpp"

namespace {

namespace fam = zonix::families;

struct Case {
  fam::Instance inst;          // exact rows, for redund
  std::vector<double> factor;  // row i is multiplied by factor[i] for zonix
};

std::set<long> redund_rows(const fam::Instance &inst, const std::string &dir)
{
  const std::string in = dir + "/r.ine", out = dir + "/r.out";
  std::ofstream(in) << fam::lrs_text(inst);
  std::set<long> rows;
  if (std::system(("redund " + in + " > " + out + " 2>&1").c_str()) != 0) return {-1};
  std::ifstream f(out);
  bool listing = false;
  for (std::string line; std::getline(f, line);) {
    if (line.find("redundant row(s) found") != std::string::npos) {
      listing = true;
      continue;
    }
    if (!listing) continue;
    std::istringstream ss(line);
    long r = 0;
    bool any = false;
    while (ss >> r) rows.insert(r), any = true;
    if (!any) break;
  }
  return rows;
}

// Returns false on an error; *rows gets the redundant rows.
bool zonix_rows(const Case &c, bool shooting, std::set<long> *rows)
{
  zonix::Matrix M(fam::to_matrix(c.inst));
  for (long i = 0; i < M->rowsize; ++i)
    for (long j = 0; j < M->colsize; ++j) M->matrix[i][j][0] *= c.factor[static_cast<size_t>(i)];
  dd_ErrorType err = dd_NoError;
  zonix::Set red(shooting ? dd_RedundantRowsViaShooting(M.get(), &err) : dd_RedundantRows(M.get(), &err));
  if (err != dd_NoError || !red) return false;
  for (long i = 1; i <= M->rowsize; ++i)
    if (set_member(i, red.get())) rows->insert(i);
  return true;
}

fam::Prng rng(5150);

// Random polytope plus strictly redundant rows: a positive combination of
// two or three rows with its constant raised, so it never touches.
Case random_case(int t)
{
  const int d = 3 + t % 4, m = 10 + 3 * t;
  fam::Instance inst = fam::random_inequalities(m, d, static_cast<std::uint64_t>(100 + t));
  std::vector<std::vector<fam::Rational>> extra;
  for (int e = 0; e < 4 + t % 5; ++e) {
    std::vector<std::int64_t> row(static_cast<size_t>(d) + 1, 0);
    for (int k = 0; k < 2 + e % 2; ++k) {
      const auto &src = inst.rows[static_cast<size_t>(rng.uniform(0, m - 1))];
      const std::int64_t w = rng.uniform(1, 4);
      for (int j = 0; j <= d; ++j) row[static_cast<size_t>(j)] += w * src[static_cast<size_t>(j)].num;
    }
    row[0] += rng.uniform(1, 9);
    std::vector<fam::Rational> r;
    for (auto x : row) r.push_back(fam::rat(x));
    extra.push_back(r);
  }
  Case c{fam::append_rows(inst, extra), {}};
  for (size_t i = 0; i < c.inst.rows.size(); ++i)
    c.factor.push_back(std::pow(10.0, static_cast<double>(rng.uniform(-5, 5))));
  return c;
}

// The unit cube [0, 1]^3: rows x_k >= 0 and 1 - x_k >= 0.
Case cube_case(double first_row, double others)
{
  Case c;
  c.inst.name = "unit-cube";
  c.inst.cols = 4;
  for (int k = 1; k <= 3; ++k)
    for (int b : {0, 1}) {
      std::vector<fam::Rational> r(4, fam::rat(0));
      r[0] = fam::rat(b);
      r[static_cast<size_t>(k)] = fam::rat(b ? -1 : 1);
      c.inst.rows.push_back(r);
      c.factor.push_back(c.factor.empty() ? first_row : others);
    }
  return c;
}

// m rows in n variables: integer normals, constants at random distances,
// so that some rows are facets and the rest redundant.
Case big_case(int m, int n)
{
  fam::Instance inst;
  inst.name = "integer-" + std::to_string(m) + "x" + std::to_string(n);
  inst.cols = n + 1;
  for (int i = 0; i < m; ++i) {
    std::vector<fam::Rational> r(static_cast<size_t>(n) + 1);
    double norm = 0;
    for (int j = 1; j <= n; ++j) {
      const std::int64_t a = rng.uniform(-1000, 1000) + rng.uniform(-1000, 1000);
      r[static_cast<size_t>(j)] = fam::rat(a);
      norm += static_cast<double>(a * a);
    }
    r[0] = fam::rat(static_cast<std::int64_t>(std::sqrt(norm) * (1000 + static_cast<double>(rng.uniform(0, 300)))));
    inst.rows.push_back(r);
  }
  return {inst, std::vector<double>(static_cast<size_t>(m), 1.0)};
}

}  // namespace

int main()
{
  if (std::system("redund /dev/null > /dev/null 2>&1; command -v redund > /dev/null") != 0) {
    std::printf("redund_scaled_oracle: redund (lrslib) not found\n");
    return 1;
  }
  char tmpl[] = "/tmp/redund_scaled_XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  std::vector<Case> cases = {cube_case(1e6, 1), cube_case(1, 1), cube_case(1e-8, 1e-8)};
  cases[1].factor[1] = 1e6;  // x1 <= 1 times 1e6
  for (int t = 0; t < 26; ++t) cases.push_back(random_case(t));
  cases.push_back(big_case(400, 8));
  int right = 0, error = 0, wrong = 0;
  for (size_t n = 0; n < cases.size(); ++n) {
    const std::set<long> truth = redund_rows(cases[n].inst, dir);
    for (bool shooting : {false, true}) {
      const auto start = std::chrono::steady_clock::now();
      std::set<long> got;
      const bool ok = zonix_rows(cases[n], shooting, &got);
      const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (ok && got == truth) {
        ++right;
        continue;
      }
      ok ? ++wrong : ++error;
      std::printf("case %zu (%s, %ld rows, %s): %s; redund finds %zu redundant rows, zonix %zu (%.1f s)\n", n,
                  cases[n].inst.name.c_str(), cases[n].inst.rowcount(), shooting ? "shooting" : "plain",
                  ok ? "WRONG" : "error", truth.size(), got.size(), secs);
    }
  }
  std::system(("rm -rf " + dir).c_str());
  std::printf("scaled redundancy removal: right %d  error %d  wrong %d\n", right, error, wrong);
  const bool pass = error == 0 && wrong == 0;
  std::printf("redund_scaled_oracle: %s\n", pass ? "passed" : "FAILED");
  return pass ? 0 : 1;
}
