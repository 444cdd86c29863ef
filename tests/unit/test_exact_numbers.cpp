// The exact number primitives against plain GMP rationals, at the edges of
// the numbers held inline in 64 bits.
#define ZONIX_EXACT
#include "zonixmp.h"

#include <gmpxx.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {
// a is e, and inline exactly when e is an integer that fits in 64 bits.
void expect(const mytype a, const mpq_class &e, const char *op, const mpq_class &x, const mpq_class &y)
{
  mpq_class got;
  ddd_get_q(got.get_mpq_t(), a);
  EXPECT_EQ(got, e) << op << " " << x << " " << y;
  EXPECT_EQ(ddd_big(a) != 0, e.get_den() != 1 || !mpz_class(e.get_num()).fits_slong_p()) << op << " " << e;
}
}  // namespace

TEST(ExactNumbers, PrimitivesAgreeWithGmpAtTheInt64Edges)
{
  const mpq_class m("9223372036854775808"), big("36893488147419103235");  // 2^63, 2^65 + 3
  const mpq_class vals[] = {0, 1, -1, 3037000499, -3037000500, m - 1, m - 2, -m, 1 - m, m,
                            -m - 1, big, -big, mpq_class(1, 3), mpq_class(-7, 2), m / 5, mpq_class(-1, 10)};
  for (const mpq_class &x : vals)
    for (const mpq_class &y : vals) {
      mytype a, b, c;
      ddd_set_q(b, x.get_mpq_t());
      ddd_set_q(c, y.get_mpq_t());
      ddd_add(a, b, c), expect(a, x + y, "add", x, y);
      ddd_sub(a, b, c), expect(a, x - y, "sub", x, y);
      ddd_mul(a, b, c), expect(a, x * y, "mul", x, y);
      ddd_set(a, c), ddd_addmul(a, b, c), expect(a, y + x * y, "addmul", x, y);
      ddd_neg(a, b), expect(a, -x, "neg", x, y);
      if (y != 0) ddd_div(a, b, c), expect(a, x / y, "div", x, y);
      if (y != 0) ddd_inv(a, c), expect(a, 1 / y, "inv", x, y);
      EXPECT_EQ(ddd_cmp(b, c), (x > y) - (x < y)) << x << " " << y;
      EXPECT_EQ(ddd_sgn(b), sgn(x));
      EXPECT_EQ(ddd_get_d(b), x.get_d());
      ddd_set_d(a, y.get_d()), expect(a, mpq_class(y.get_d()), "set_d", x, y);
      ddd_mul(b, b, b), expect(b, x * x, "aliased mul", x, y);
    }
}

// GMP's conversion stops the process on an infinity or a NaN; the number
// type refuses them by an exception instead, and keeps its old value.
TEST(ExactNumbers, NoValueForInfinityOrNaN)
{
  for (double bad : {HUGE_VAL, -HUGE_VAL, static_cast<double>(NAN)}) {
    mytype a;
    ddd_set_si(a, 7);
    EXPECT_THROW(ddd_set_d(a, bad), zonix::NotFinite);
    EXPECT_EQ(ddd_get_d(a), 7.0);
  }
  mytype b;
  ddd_set_d(b, 4.9e-324);
  EXPECT_EQ(mpq_class(ddd_get_d(b)), mpq_class(1, 1) / (mpq_class(mpz_class(1) << 1074)));
}
