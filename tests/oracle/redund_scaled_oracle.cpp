// Redundancy removal (in double also by ray shooting; in auto and exact
// arithmetic the redundant-rows query) must find exactly the rows redund
// finds on the unscaled rows: random polytopes plus strictly redundant
// rows, each row times 10^k, |k| <= 5; the unit cube with a row times 1e6
// or all times 1e-8; 400 integer rows in 8 variables.
#include <set>

#include "../support/oracle.hpp"

namespace {

namespace fam = zonix::families;
using Rows = std::vector<std::vector<fam::Rational>>;

struct Case { fam::Instance inst; std::vector<double> factor; };  // zonix gets row i times factor[i]

// False on an error.  Shooting runs in double.
bool zonix_rows(const Case &c, bool shooting, zonix::Arithmetic a, std::set<long> *rows)
{
  zonix::Matrix M(fam::to_matrix(c.inst));
  for (long i = 0; i < M->rowsize; ++i)
    for (long j = 0; j < M->colsize; ++j) M->matrix[i][j][0] *= c.factor[static_cast<size_t>(i)];
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  zonix::Set red(shooting ? dd_RedundantRowsViaShooting(M.get(), &err)
                          : zonix::row_query(M.get(), zonix::RowQuery::Redundant, a, &err, &exact));
  if (a != zonix::Arithmetic::Auto && exact != (a == zonix::Arithmetic::Exact)) return false;
  for (long i = 1; red && i <= M->rowsize; ++i)
    if (set_member(i, red.get())) rows->insert(i);
  return err == dd_NoError && red;
}

fam::Prng rng(5150);
fam::Rational irand(long lo, long hi) { return fam::rat(rng.uniform(lo, hi)); }

Case with_factors(fam::Instance inst, int lo, int hi)
{
  std::vector<double> f(inst.rows.size());
  for (double &x : f) x = std::pow(10.0, static_cast<double>(rng.uniform(lo, hi)));
  return {std::move(inst), f};
}

// A random polytope and positive combinations of two or three of its rows
// with the constant raised, so that they never touch it.
Case random_case(int t)
{
  const int d = 3 + t % 4, m = 10 + 3 * t;
  fam::Instance inst = fam::random_inequalities(m, d, static_cast<std::uint64_t>(100 + t));
  Rows extra;
  for (int e = 0; e < 4 + t % 5; ++e) {
    std::vector<std::int64_t> row(static_cast<size_t>(d) + 1, 0);
    for (int k = 0; k < 2 + e % 2; ++k) {
      const auto &src = inst.rows[static_cast<size_t>(rng.uniform(0, m - 1))];
      const std::int64_t w = rng.uniform(1, 4);
      for (int j = 0; j <= d; ++j) row[static_cast<size_t>(j)] += w * src[static_cast<size_t>(j)].num;
    }
    row[0] += rng.uniform(1, 9);
    extra.emplace_back();
    for (auto x : row) extra.back().push_back(fam::rat(x));
  }
  return with_factors(fam::append_rows(inst, extra), -5, 5);
}

// The unit cube [0, 1]^3 (rows x_k >= 0, 1 - x_k >= 0), rows scaled.
Case cube_case(std::vector<double> factor)
{
  Case c{{"unit-cube", fam::Rep::H, 4, {}, {}}, std::move(factor)};
  for (int k = 1; k <= 6; ++k) {
    auto &r = c.inst.rows.emplace_back(4, fam::rat(0));
    r[0] = fam::rat(k % 2 ? 0 : 1), r[static_cast<size_t>((k + 1) / 2)] = fam::rat(k % 2 ? 1 : -1);
  }
  return c;
}

// m integer rows in n variables at random distances from the origin.
Case integer_case(int m, int n)
{
  fam::Instance inst{"integer-" + std::to_string(m) + "x" + std::to_string(n), fam::Rep::H, n + 1, {}, {}};
  for (int i = 0; i < m; ++i) {
    auto &r = inst.rows.emplace_back(1, fam::rat(0));
    double norm = 0;
    for (int j = 1; j <= n; ++j) norm += std::pow(static_cast<double>(r.emplace_back(irand(-2000, 2000)).num), 2);
    r[0] = fam::rat(static_cast<std::int64_t>(std::sqrt(norm) * (1000 + static_cast<double>(rng.uniform(0, 300)))));
  }
  return with_factors(inst, 0, 0);
}

}  // namespace

int main()
{
  const zonix::test::Scratch dir("redund_scaled");
  std::vector<Case> cases = {cube_case({1e6, 1, 1, 1, 1, 1}), cube_case({1, 1e6, 1, 1, 1, 1}),
                             cube_case(std::vector<double>(6, 1e-8)), integer_case(400, 8)};
  for (int t = 0; t < 26; ++t) cases.push_back(random_case(t));
  const char *names[] = {"double", "auto", "exact"};
  const zonix::Arithmetic arith[] = {zonix::Arithmetic::Double, zonix::Arithmetic::Auto, zonix::Arithmetic::Exact};
  int right[3] = {}, error[3] = {}, wrong[3] = {};
  for (size_t n = 0; n < cases.size(); ++n) {
    const auto listed = zonix::test::run_redund(dir, cases[n].inst).value_or(zonix::test::Members{-1});
    const std::set<long> truth(listed.begin(), listed.end());
    for (int k = 0; k < 4; ++k) {  // double plain, double shooting, auto, exact
      const int ar = k < 2 ? 0 : k - 1;
      std::set<long> got;
      const bool ok = zonix_rows(cases[n], k == 1, arith[ar], &got);
      if (ok && got == truth && ++right[ar]) continue;
      ok ? ++wrong[ar] : ++error[ar];
      std::printf("case %zu (%s, %s%s): %s; redund finds %zu redundant rows, zonix %zu\n", n, cases[n].inst.name.c_str(),
                  names[ar], k == 1 ? ", shooting" : "", ok ? "WRONG" : "error", truth.size(), got.size());
    }
  }
  int bad = 0;
  for (int k = 0; k < 3; ++k) {
    std::printf("scaled redundancy removal, %s: right %d  error %d  wrong %d\n", names[k], right[k], error[k],
                wrong[k]);
    bad += error[k] + wrong[k];
  }
  std::printf("redund_scaled_oracle: %s\n", bad == 0 ? "passed" : "FAILED");
  return bad == 0 ? 0 : 1;
}
