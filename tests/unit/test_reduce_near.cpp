// Many rows kept, so that rows are decided by LPs over the essential rows
// near them: the planes tangent to the paraboloid x_{n+1} = |x|^2 at
// integer points t, |t|^2 - 2t.x + x_{n+1} >= 0, are all facets (the
// paraboloid is strictly convex); sums of two of them with the constant
// raised, copies and scaled copies are not, and of a row given twice the
// later goes.  Expected rows by that construction, in every arithmetic.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support.hpp"
#include "zonixarith.hpp"
#include "zonixrandom.hpp"

using namespace zonix::test;

namespace {

struct NearCase {
  const char *name;
  int n;       // variables besides x_{n+1}
  int side;    // t in {-side..side}^n
  int sums;    // implied rows: two tangents added, the constant raised by 1
  int copies;  // tangents again (every other one doubled)
  unsigned seed;
};

std::ostream &operator<<(std::ostream &o, const NearCase &c) { return o << c.name; }

const NearCase kNearCases[] = {
    {"line", 1, 200, 300, 10, 1},
    {"plane", 2, 11, 300, 12, 2},
    {"space", 3, 3, 300, 8, 3},
};

struct Built {
  Rows rows;
  Members removed;
};

Built build(const NearCase &c)
{
  zonix::Random31 rng(c.seed);
  auto pick = [&](size_t n) { return static_cast<size_t>(rng.next() % n); };
  Rows tangents;
  std::vector<int> t(static_cast<size_t>(c.n), -c.side);
  for (bool more = true; more;) {
    Row r{0};
    for (const int v : t) {
      r[0] += static_cast<double>(v) * v;
      r.push_back(-2.0 * v);
    }
    r.push_back(1);
    tangents.push_back(r);
    more = false;
    for (size_t k = 0; k < t.size() && !more; ++k) {
      if (t[k] < c.side) ++t[k], more = true;
      else t[k] = -c.side;
    }
  }
  // Tangents and implied rows mixed: an implied row after every few.
  Built b;
  size_t next = 0;
  int sums = 0;
  while (next < tangents.size() || sums < c.sums) {
    if (next < tangents.size()) b.rows.push_back(tangents[next++]);
    if (sums < c.sums && next >= 2) {
      const Row &a = tangents[pick(next)], &e = tangents[pick(next)];
      Row r(a.size());
      for (size_t k = 0; k < a.size(); ++k) r[k] = a[k] + e[k];
      r[0] += 1;
      b.rows.push_back(r);
      b.removed.push_back(static_cast<long>(b.rows.size()));
      ++sums;
    }
  }
  for (int k = 0; k < c.copies; ++k) {
    Row r = tangents[pick(tangents.size())];
    if (k % 2 == 1)
      for (double &x : r) x *= 2;
    b.rows.push_back(r);
    b.removed.push_back(static_cast<long>(b.rows.size()));
  }
  return b;
}

using Method = std::pair<const char *, dd_RedundancyMethod>;

class ReduceNear : public ::testing::TestWithParam<std::tuple<NearCase, Method, zonix::Arithmetic>> {};

TEST_P(ReduceNear, TangentsStayTheRestGo)
{
  const auto &[c, method, arith] = GetParam();
  const Built b = build(c);
  const Matrix M = matrix(b.rows);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  const Set red(zonix::row_query(M.get(), zonix::RowQuery::Redundant, arith, &err, &exact, nullptr, method.second));
  ASSERT_EQ(err, dd_NoError);
  ASSERT_TRUE(red);
  EXPECT_EQ(members(red.get()), b.removed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReduceNear,
    ::testing::Combine(::testing::ValuesIn(kNearCases),
                       ::testing::Values(Method{"clarkson", dd_RedundancyClarkson}, Method{"each", dd_RedundancyEachRow}),
                       ::testing::Values(zonix::Arithmetic::Double, zonix::Arithmetic::Exact)),
    [](const auto &info) {
      return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).first +
             (std::get<2>(info.param) == zonix::Arithmetic::Exact ? "_exact" : "_double");
    });

}  // namespace
