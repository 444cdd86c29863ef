// Auto's exact rows for writing, taken from the exact run as 64-bit
// integers where they fit: written as the exact run writes them, each row
// worked out by hand; the rows that do not fit (lines, entries past 2^62)
// come the old way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support.hpp"
#include "zonixarith.hpp"
#include "zonixcheck.hpp"
#include "zonixexact.hpp"
#include "zonixrandom.hpp"

namespace {

using zonix::QMatrix;

QMatrix rows_of(dd_RepresentationType rep, long cols, const std::vector<std::vector<mpq_class>> &rows,
                std::vector<long> lin = {})
{
  QMatrix q;
  q.representation = rep;
  q.cols = cols;
  q.rows = static_cast<long>(rows.size());
  for (const auto &r : rows) q.entries.insert(q.entries.end(), r.begin(), r.end());
  q.linearity = std::move(lin);
  return q;
}

// e_i in n columns, times s, with t in column 0.
std::vector<mpq_class> unit(long n, long i, mpq_class s, mpq_class t = 0)
{
  std::vector<mpq_class> r(static_cast<size_t>(n), 0);
  r[0] = t;
  r[static_cast<size_t>(i)] = s;
  return r;
}

std::string line(long n, long i, const char *at, const char *first = "1")
{
  std::string s = std::string(" ") + first;
  for (long j = 1; j < n; ++j) s += j == i ? std::string(" ") + at : std::string(" 0");
  return s;
}

// The written rows of a conversion, one a line, between begin and end.
std::multiset<std::string> written(const zonix::Conversion &c)
{
  std::istringstream in(zonix::test::capture([&](FILE *f) { zonix::write_rational(f, c); }));
  std::multiset<std::string> out;
  bool inside = false;
  for (std::string l; std::getline(in, l);) {
    if (l == "end") inside = false;
    if (inside && l.find("rational") == std::string::npos) out.insert(l);
    if (l == "begin") inside = true;
  }
  return out;
}

zonix::Conversion run(const QMatrix &q, zonix::Arithmetic a, bool text = true)
{
  const zonix::Matrix M(zonix::to_double(q));
  zonix::ConvertOptions o;
  o.arithmetic = a;
  o.text = text;
  // Numbers no double holds go in as rationals, as the reader hands them.
  bool doubles = true;
  for (const auto &e : q.entries) doubles = doubles && mpq_class(e.get_d()) == e;
  return zonix::convert(M.get(), o, doubles ? nullptr : &q);
}

}  // namespace

TEST(CheckExactRows, AsTheExactRunWritesThem)
{
  constexpr long n = 18;  // 17 dimensions of small integers: exact first
  std::vector<std::vector<mpq_class>> half, orthant, slab;
  for (long i = 1; i < n; ++i) half.push_back(unit(n, i, 1)), orthant.push_back(unit(n, i, 1));
  half.emplace_back(n, -2), half.back()[0] = 1;
  for (long i = 1; i < n - 1; ++i) slab.push_back(unit(n, i, 1));
  slab.emplace_back(n - 1, -2), slab.back()[0] = 1, slab.back().push_back(0);
  // Vertices 0 and e_i / 2; rays e_i (the apex implied); 0, e_i / 2 and the line e_17.
  std::multiset<std::string> half_rows{line(n, 0, "0")}, orthant_rows, slab_rows{line(n, 0, "0")};
  for (long i = 1; i < n; ++i) half_rows.insert(line(n, i, "1/2")), orthant_rows.insert(line(n, i, "1", "0"));
  for (long i = 1; i < n - 1; ++i) slab_rows.insert(line(n, i, "1/2"));
  slab_rows.insert(line(n, n - 1, "1", "0"));
  // (0,0), (1/3,0), (0,1/3): x >= 0, y >= 0, 1 - 3x - 3y >= 0; with (2^70, 0)
  // for the second, 2^70 - x - 3 2^70 y >= 0 (past 62 bits).
  const std::string big = "1180591620717411303424", big3 = "3541774862152233910272";
  const mpq_class third(1, 3), two70{mpz_class(big)};
  const QMatrix thirds = rows_of(dd_Generator, 3, {{1, 0, 0}, {1, third, 0}, {1, 0, third}});
  const QMatrix wide = rows_of(dd_Generator, 3, {{1, 0, 0}, {1, two70, 0}, {1, 0, third}});
  const struct {
    const char *name;
    QMatrix in;
    std::multiset<std::string> rows;
    bool integers;
  } cases[] = {
      {"half the unit simplex", rows_of(dd_Inequality, n, half), half_rows, true},
      {"the orthant", rows_of(dd_Inequality, n, orthant), orthant_rows, true},
      {"a slab with a line", rows_of(dd_Inequality, n, slab), slab_rows, false},
      {"a triangle of thirds", thirds, {" 0 1 0", " 0 0 1", " 1 -3 -3"}, true},
      {"a triangle past 62 bits", wide, {" 0 1 0", " 0 0 1", " " + big + " -1 -" + big3}, false},
  };
  for (const auto &c : cases) {
    const zonix::Conversion a = run(c.in, zonix::Arithmetic::Auto), e = run(c.in, zonix::Arithmetic::Exact);
    ASSERT_EQ(a.error, dd_NoError) << c.name;
    EXPECT_TRUE(a.exact) << c.name;
    EXPECT_EQ(a.integers.store != nullptr, c.integers) << c.name;
    EXPECT_EQ(written(a), c.rows) << c.name;
    EXPECT_EQ(written(e), c.rows) << c.name;
  }
}

// A random 0/1 polytope scaled by 17 (past the small entries auto runs
// exactly from the start), too degenerate for the checker to prove its
// facet list complete: auto settles the double run's rows, runs exactly,
// and the same rows keep the settled rows' verdict; they are the exact ones.
TEST(CheckExactRows, DegenerateFacetsTakeTheSettledVerdict)
{
  constexpr long n = 10, points = 40;
  zonix::Random31 rnd(1);
  std::vector<std::vector<mpq_class>> v;
  while (static_cast<long>(v.size()) < points) {
    std::vector<mpq_class> r(static_cast<size_t>(n), 1);
    for (long j = 1; j < n; ++j) r[static_cast<size_t>(j)] = 17 * static_cast<long>(rnd.next() & 1u);
    if (std::find(v.begin(), v.end(), r) == v.end()) v.push_back(r);
  }
  const QMatrix q = rows_of(dd_Generator, n, v);
  const zonix::Conversion a = run(q, zonix::Arithmetic::Auto), e = run(q, zonix::Arithmetic::Exact, false);
  ASSERT_EQ(a.error, dd_NoError);
  ASSERT_EQ(e.error, dd_NoError);
  const zonix::check::Verdict verdict = zonix::check::conversion(q, e.rational);
  EXPECT_FALSE(verdict.ok);
  EXPECT_TRUE(verdict.unproved) << verdict.why;
  EXPECT_TRUE(a.exact);
  EXPECT_EQ(written(a), written(run(q, zonix::Arithmetic::Exact)));
  EXPECT_EQ(static_cast<long>(written(a).size()), e.rational.rows);
}

// The cone of 4 x 4 magic squares (x >= 0; every row, column and diagonal
// with the sum of row 1) has 20 extreme rays (Normaliz counts 20).  Its
// faces are degenerate throughout; the checker walks them and proves the
// exact list complete, and auto returns that proved list.
TEST(CheckExactRows, MagicSquaresProvedComplete)
{
  std::vector<std::vector<mpq_class>> rows;
  auto same_sum = [&](auto cell) {  // sum of a line less the sum of row 1, = 0
    std::vector<mpq_class> r(17, 0);
    for (int k = 0; k < 4; ++k) r[static_cast<size_t>(1 + cell(k))] += 1, r[static_cast<size_t>(1 + k)] -= 1;
    rows.push_back(r);
  };
  for (int i = 0; i < 16; ++i) rows.push_back(unit(17, i + 1, 1));
  for (int i = 1; i < 4; ++i) same_sum([i](int k) { return 4 * i + k; });
  for (int j = 0; j < 3; ++j) same_sum([j](int k) { return 4 * k + j; });
  same_sum([](int k) { return 5 * k; });
  same_sum([](int k) { return 3 * k + 3; });
  std::vector<long> eqs(8);
  std::iota(eqs.begin(), eqs.end(), 17);
  const QMatrix q = rows_of(dd_Inequality, 17, rows, eqs);
  const zonix::Conversion e = run(q, zonix::Arithmetic::Exact, false), a = run(q, zonix::Arithmetic::Auto);
  ASSERT_EQ(e.error, dd_NoError);
  ASSERT_EQ(a.error, dd_NoError);
  EXPECT_EQ(e.rational.rows, 20);
  const zonix::check::Verdict verdict = zonix::check::conversion(q, e.rational);
  EXPECT_TRUE(verdict.ok) << verdict.why;
  EXPECT_EQ(written(a), written(run(q, zonix::Arithmetic::Exact)));
}
