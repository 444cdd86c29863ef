// The operations both front ends call: the interior point of small
// polytopes whose answer is worked out by hand, in every arithmetic, with
// and without the exact rows of a file; and the storage guard's formula.
#include <gtest/gtest.h>

#include <gmpxx.h>

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

// 0 <= x <= 1/3: t = 1/6 at x = 1/6.  With the file's exact rows an exact
// run answers the nearest doubles of 1/6; the same LP in double is off
// by the rounding of 1/3 at most.
TEST(Ops, InteriorPointOnExactRows)
{
  const std::string text = "H-representation\nbegin\n2 2 rational\n0 1\n1/3 -1\nend\n";
  FILE *f = std::tmpfile();
  std::fputs(text.c_str(), f);
  std::rewind(f);
  dd_ErrorType err = dd_NoError;
  std::string why;
  zonix::Input in = zonix::read_representation(f, &err, &why);
  std::fclose(f);
  ASSERT_EQ(err, dd_NoError) << why;
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
