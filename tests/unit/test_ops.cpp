// The operations both front ends call: the interior point of small
// polytopes whose answer is worked out by hand, in every arithmetic, with
// and without the exact rows of a file; and the storage guard's formula.
#include <gtest/gtest.h>

#include <gmpxx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support.hpp"
#include "zonixops.hpp"

using namespace zonix::test;

namespace {

using zonix::Arithmetic;

struct InteriorCase {
  const char *name;
  Rows rows;  // b - A x >= 0 as (b, -A)
  // By hand: the largest t with every row's slack at least t, and the one
  // point that has it (empty when t* <= 0).
  double t;
  std::vector<double> point;
};

TEST(Ops, InteriorPointOfSmallPolytopes)
{
  const std::vector<InteriorCase> cases = {
      // x, y >= t and 1 - x, 1 - y >= t: the centre, t = 1/2.
      {"unit square", {{0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}}, 0.5, {0.5, 0.5}},
      // x = y = t at best, 3 - 2t >= t: t = 1.
      {"triangle", {{0, 1, 0}, {0, 0, 1}, {3, -1, -1}}, 1.0, {1.0, 1.0}},
      // x >= t and -x >= t: t = 0 at best, no interior point.
      {"flat square", {{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {1, 0, -1}}, 0.0, {}},
  };
  for (const Arithmetic a : {Arithmetic::Double, Arithmetic::Exact, Arithmetic::Auto})
    for (const auto &c : cases) {
      SCOPED_TRACE(std::string(c.name) + " arithmetic " + std::to_string(static_cast<int>(a)));
      const Matrix M = matrix(c.rows);
      zonix::ops::Request rq;
      rq.arithmetic = a;
      const zonix::ops::InteriorPoint r = zonix::ops::interior_point(M.get(), dd_DualSimplex, rq);
      ASSERT_EQ(r.err, dd_NoError);
      ASSERT_NE(r.lp, nullptr);
      ASSERT_EQ(r.lp->LPS, dd_Optimal);
      EXPECT_NEAR(ddd_get_d(r.lp->optvalue), c.t, 1e-12);
      for (size_t j = 0; j < c.point.size(); ++j)
        EXPECT_NEAR(ddd_get_d(r.lp->sol[j + 1]), c.point[j], 1e-12);
      if (a == Arithmetic::Exact) {
        EXPECT_TRUE(r.exact);
      }
      if (a == Arithmetic::Double) {
        EXPECT_FALSE(r.exact);
      }
    }
}

// The representation written in text, read as a file is.
void read_text(const std::string &text, zonix::Input *in)
{
  FILE *f = std::tmpfile();
  std::fputs(text.c_str(), f);
  std::rewind(f);
  dd_ErrorType err = dd_NoError;
  std::string why;
  *in = zonix::read_representation(f, &err, &why);
  std::fclose(f);
  ASSERT_EQ(err, dd_NoError) << why;
}

// 0 <= x <= 1/3: t = 1/6 at x = 1/6.  With the file's exact rows an exact
// run answers the nearest doubles of 1/6; the same LP in double is off
// by the rounding of 1/3 at most.
TEST(Ops, InteriorPointOnExactRows)
{
  const std::string text = "H-representation\nbegin\n2 2 rational\n0 1\n1/3 -1\nend\n";
  zonix::Input in;
  ASSERT_NO_FATAL_FAILURE(read_text(text, &in));
  const auto q = zonix::exact_input(in);
  ASSERT_NE(q, nullptr);
  const double sixth = mpq_class(1, 6).get_d();
  for (const Arithmetic a : {Arithmetic::Exact, Arithmetic::Auto}) {
    zonix::ops::Request rq;
    rq.arithmetic = a;
    const zonix::ops::InteriorPoint r = zonix::ops::interior_point(in.doubles.get(), dd_DualSimplex, rq, q.get());
    ASSERT_EQ(r.err, dd_NoError);
    EXPECT_EQ(ddd_get_d(r.lp->optvalue), sixth);
    EXPECT_EQ(ddd_get_d(r.lp->sol[1]), sixth);
    if (a == Arithmetic::Exact) {
      EXPECT_TRUE(r.exact);
    }
  }
  zonix::ops::Request rq;
  rq.arithmetic = Arithmetic::Double;
  const zonix::ops::InteriorPoint r = zonix::ops::interior_point(in.doubles.get(), dd_DualSimplex, rq);
  ASSERT_EQ(r.err, dd_NoError);
  EXPECT_NEAR(ddd_get_d(r.lp->optvalue), sixth, 1e-16);
}

// Sets of a family as lists, for comparing with a table.
std::vector<std::vector<long>> lists(dd_SetFamilyPtr F)
{
  std::vector<std::vector<long>> out;
  for (long i = 0; i < F->famsize; ++i) {
    out.emplace_back();
    for (long k = 1; k <= F->setsize; ++k)
      if (set_member(k, F->set[i]) != 0) out.back().push_back(k);
  }
  return out;
}

// The triangle x, y >= 0, x + y <= 1 with its corner (1, 0) cut by
// x <= 1 - e, e = 2^-40: an edge of length e on row 4.  By hand, with
// each row made an equation: on x = 0 rows 2 and 3 touch the ends and
// row 4 has slack 1 - e; on y = 0 (0 <= x <= 1 - e) rows 1 and 4 touch,
// row 3 keeps slack e; on x + y = 1 rows 1 and 4 touch, row 2 keeps y >= e;
// on x = 1 - e rows 2 and 3 touch.  No row is strongly redundant.  A slack
// of e is far below a double run's tolerance: exactly it is a slack.
TEST(Ops, StrongRedundancyAndWeakAdjacencyHonourTheArithmetic)
{
  const double e = std::ldexp(1.0, -40);
  const Matrix M = matrix({{0, 1, 0}, {0, 0, 1}, {1, -1, -1}, {1 - e, -1, 0}});
  const std::vector<std::vector<long>> weak = {{2, 3}, {1, 4}, {1, 4}, {2, 3}};
  for (const Arithmetic a : {Arithmetic::Exact, Arithmetic::Auto}) {
    SCOPED_TRACE(static_cast<int>(a));
    zonix::ops::Request rq;
    rq.arithmetic = a;
    const zonix::ops::StrongRedundancy r = zonix::ops::strong_redundancy(M.get(), true, rq);
    ASSERT_EQ(r.err, dd_NoError);
    ASSERT_NE(r.rows, nullptr);
    EXPECT_EQ(set_card(r.rows.get()), 0);
    ASSERT_NE(r.weak, nullptr);
    EXPECT_EQ(lists(r.weak.get()), weak);
    // Without the family asked for, none is made.
    EXPECT_EQ(zonix::ops::strong_redundancy(M.get(), false, rq).weak, nullptr);
  }
  // An equation's set stays empty, and the equation is in no other set:
  // the unit square at z = 0 in space, by hand: each edge touches the two
  // edges across its ends, and the opposite edge keeps slack 1.
  Matrix E = matrix({{0, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, -1, 0, 0}, {1, 0, -1, 0}});
  set_addelem(E->linset, 1);
  for (const Arithmetic a : {Arithmetic::Double, Arithmetic::Exact, Arithmetic::Auto}) {
    SCOPED_TRACE(static_cast<int>(a));
    zonix::ops::Request rq;
    rq.arithmetic = a;
    const zonix::ops::StrongRedundancy r = zonix::ops::strong_redundancy(E.get(), true, rq);
    ASSERT_EQ(r.err, dd_NoError);
    ASSERT_NE(r.weak, nullptr);
    EXPECT_EQ(lists(r.weak.get()), (std::vector<std::vector<long>>{{}, {3, 5}, {2, 4}, {3, 5}, {2, 4}}));
    EXPECT_EQ(set_card(r.rows.get()), 0);
  }
}

// The routes of a conversion, and what each hands over: the double run
// itself (no copy of its rows) where its answer stands, exact rows where
// they are the answer.  The cube [0, 1]^3: 8 vertices, by hand.
TEST(Ops, ConversionRoutes)
{
  const Matrix cube = matrix({{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, -1, 0, 0}, {1, 0, -1, 0}, {1, 0, 0, -1}});
  struct {
    Arithmetic arithmetic;
    zonix::ConvertRoute route;
    bool run;
  } const table[] = {
      {Arithmetic::Double, zonix::ConvertRoute::Double, true},
      {Arithmetic::Exact, zonix::ConvertRoute::Exact, false},
  };
  for (const auto &t : table) {
    SCOPED_TRACE(static_cast<int>(t.arithmetic));
    zonix::ops::Request rq;
    rq.arithmetic = t.arithmetic;
    rq.threads = 1;
    zonix::ConvertOptions o;
    o.adjacency = true;  // no shortcut by LPs
    zonix::RunConversion r = zonix::ops::convert(cube.get(), nullptr, o, rq);
    ASSERT_EQ(r.result.error, dd_NoError);
    EXPECT_EQ(r.route, t.route);
    EXPECT_EQ(r.run != nullptr, t.run);
    if (t.run) {
      EXPECT_EQ(r.result.output, nullptr);
      EXPECT_EQ(r.result.adjacency, nullptr);
      ASSERT_NE(r.run->child, nullptr);
      EXPECT_EQ(r.run->child->CompStatus, dd_AllFound);
      const Matrix G(dd_CopyGenerators(r.run.get()));
      EXPECT_EQ(G->rowsize, 8);
    } else {
      EXPECT_TRUE(r.result.exact);
      EXPECT_EQ(r.result.rational.rows, 8);
    }
  }
  // Rows no double holds: 0 <= x <= 1/3 has the vertices 0 and 1/3.
  const std::string text = "H-representation\nbegin\n2 2 rational\n0 1\n1/3 -1\nend\n";
  zonix::Input in;
  ASSERT_NO_FATAL_FAILURE(read_text(text, &in));
  zonix::ops::Request rq;
  rq.arithmetic = Arithmetic::Exact;
  zonix::RunConversion r = zonix::ops::convert(in.doubles.get(), zonix::exact_input(in), zonix::ConvertOptions{}, rq);
  ASSERT_EQ(r.result.error, dd_NoError);
  EXPECT_EQ(r.route, zonix::ConvertRoute::ExactInput);
  EXPECT_EQ(r.run, nullptr);
  ASSERT_EQ(r.result.rational.rows, 2);
  std::vector<mpq_class> xs = {r.result.rational.at(0, 1) / r.result.rational.at(0, 0),
                               r.result.rational.at(1, 1) / r.result.rational.at(1, 0)};
  std::sort(xs.begin(), xs.end());
  EXPECT_EQ(xs, (std::vector<mpq_class>{0, mpq_class(1, 3)}));
}

// 2 copies x 8 bytes x ((cols + 2)^2 + (rows + 2)(cols + 2)), by hand.
TEST(Ops, StorageGuard)
{
  struct {
    double rows, cols, bytes;
  } const table[] = {{0, 0, 16 * (4 + 4)}, {10, 3, 16 * (25 + 60)}, {1e6, 98, 16 * (1e4 + (1e6 + 2) * 100)}};
  for (const auto &t : table) EXPECT_EQ(zonix::ops::least_storage(t.rows, t.cols), t.bytes);
  EXPECT_GT(zonix::ops::room_left(), 0.0);
}

}  // namespace
