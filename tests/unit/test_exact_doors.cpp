// The doors into the exact build, one per kind of job, on the unit square
// with a loose copy of one of its sides, where every answer is known by
// hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "zonixexact.hpp"

namespace {

using zonix::ExactResult;
using zonix::QMatrix;

// 0 <= x1 <= 1, 0 <= x2 <= 1 as rows (b, -a) of b - a.x >= 0, and last
// x1 <= 2, which the square never reaches.
QMatrix square(bool loose_side)
{
  QMatrix q;
  const std::vector<std::vector<long>> rows = {{0, 1, 0}, {1, -1, 0}, {0, 0, 1}, {1, 0, -1}, {2, -1, 0}};
  q.rows = loose_side ? 5 : 4;
  q.cols = 3;
  q.representation = dd_Inequality;
  for (long i = 0; i < q.rows; ++i)
    for (long v : rows[static_cast<size_t>(i)]) q.entries.emplace_back(v);
  return q;
}

TEST(ExactDoors, EachJobOnTheSquare)
{
  const QMatrix sq = square(true);
  ExactResult res;

  zonix::ExactConvert cv;
  cv.input = &sq;
  zonix_exact_convert(&cv, &res);
  ASSERT_EQ(res.error, dd_NoError);
  // The four vertices (1, x1, x2), in some order.
  std::vector<std::vector<long>> got;
  for (long i = 0; i < res.output.rows; ++i) {
    std::vector<long> r;
    for (long j = 0; j < res.output.cols; ++j) r.push_back(res.output.at(i, j).get_num().get_si());
    got.push_back(r);
  }
  std::ranges::sort(got);
  EXPECT_EQ(got, (std::vector<std::vector<long>>{{1, 0, 0}, {1, 0, 1}, {1, 1, 0}, {1, 1, 1}}));

  // Row 5 is redundant and, never tight, strongly so; no row is an
  // implicit equation.
  const std::pair<zonix::ExactRowQuery, std::vector<long>> queries[] = {
      {zonix::ExactRowQuery::Redundant, {5}},
      {zonix::ExactRowQuery::StronglyRedundant, {5}},
      {zonix::ExactRowQuery::ImplicitLinearity, {}},
  };
  for (const auto &[query, rows] : queries) {
    zonix::ExactRows rq;
    rq.input = &sq, rq.query = query;
    zonix_exact_rows(&rq, &res);
    ASSERT_EQ(res.error, dd_NoError);
    EXPECT_EQ(res.rows, rows) << static_cast<int>(query);
  }

  // max x1 + x2 on the square: 2, at (1, 1).
  QMatrix lp = sq;
  lp.objective = dd_LPmax;
  lp.rowvec = {0, 1, 1};
  zonix::ExactLP l;
  l.input = &lp;
  zonix_exact_lp(&l, &res);
  ASSERT_EQ(res.error, dd_NoError);
  EXPECT_EQ(res.status, dd_Optimal);
  EXPECT_EQ(res.optvalue, 2);
  EXPECT_EQ(res.sol, (std::vector<mpq_class>{1, 1, 1}));

  // Opposite sides of the square meet nowhere; neighbouring ones at a
  // vertex.
  const QMatrix facets = square(false);
  zonix_exact_adjacency(&facets, &res);
  ASSERT_EQ(res.error, dd_NoError);
  EXPECT_EQ(res.adjacency, (zonix::QFamily{{3, 4}, {3, 4}, {1, 2}, {1, 2}}));
}

TEST(ExactDoors, NoInputIsAnInputError)
{
  ExactResult res;
  res.rows = {7};
  zonix::ExactConvert cv;
  zonix_exact_convert(&cv, &res);
  EXPECT_EQ(res.error, dd_ImproperInputFormat);
  EXPECT_TRUE(res.rows.empty());  // the result is filled afresh
  zonix::ExactRows rq;
  zonix_exact_rows(&rq, &res);
  EXPECT_EQ(res.error, dd_ImproperInputFormat);
  zonix::ExactLP l;
  zonix_exact_lp(&l, &res);
  EXPECT_EQ(res.error, dd_ImproperInputFormat);
  zonix_exact_adjacency(nullptr, &res);
  EXPECT_EQ(res.error, dd_ImproperInputFormat);
  zonix::ExactEliminate el;
  zonix_exact_eliminate(&el, &res);
  EXPECT_EQ(res.error, dd_ImproperInputFormat);
}

}  // namespace
