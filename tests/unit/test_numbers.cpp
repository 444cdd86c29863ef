// Number primitives, tolerance tests, row arithmetic, arrays, set families.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Tolerance test applied to a plain double.
template <class Test>
bool on(Test t, double v)
{
  mytype a = {v};
  return t(a) != 0;
}
template <class Test>
bool on(Test t, double u, double v)
{
  mytype a = {u}, b = {v};
  return t(a, b) != 0;
}

}  // namespace

TEST(NumbersGlobals, HoldValuesWithoutAndAfterSetup)
{
  // Static values: these must be right even if nothing called the setup.
  EXPECT_EQ(dd_zero[0], 1e-07);
  EXPECT_EQ(dd_minuszero[0], -1e-07);
  EXPECT_EQ(dd_one[0], 1.0);
  EXPECT_EQ(dd_purezero[0], 0.0);
  EXPECT_FALSE(std::signbit(dd_purezero[0]));
  EXPECT_EQ(dd_debug, 0);
  dd_set_global_constants();
  EXPECT_EQ(dd_zero[0], 1e-07);
  EXPECT_EQ(dd_minuszero[0], -1e-07);
  EXPECT_EQ(dd_one[0], 1.0);
  EXPECT_EQ(dd_purezero[0], 0.0);
}

TEST(NumbersPrimitives, ArithmeticWritesFirstArgument)
{
  mytype a, b = {6.0}, c = {4.0};
  ddd_init(a);
  EXPECT_EQ(a[0], 0.0);
  ddd_add(a, b, c);
  EXPECT_EQ(a[0], 10.0);
  ddd_sub(a, b, c);
  EXPECT_EQ(a[0], 2.0);
  ddd_mul(a, b, c);
  EXPECT_EQ(a[0], 24.0);
  ddd_div(a, b, c);
  EXPECT_EQ(a[0], 1.5);
  ddd_neg(a, b);
  EXPECT_EQ(a[0], -6.0);
  ddd_inv(a, c);
  EXPECT_EQ(a[0], 0.25);
  ddd_set(a, c);
  EXPECT_EQ(ddd_get_d(a), 4.0);
  ddd_set_d(a, -0.125);
  EXPECT_EQ(a[0], -0.125);
  ddd_set_si(a, -7);
  EXPECT_EQ(a[0], -7.0);
  ddd_add(a, a, a);  // in place
  EXPECT_EQ(a[0], -14.0);
  ddd_clear(a);
}

TEST(NumbersPrimitives, SetSi2DividesSignedByUnsigned)
{
  mytype a;
  ddd_set_si2(a, -7, 2);  // a signed numerator must stay negative
  EXPECT_EQ(a[0], -3.5);
  ddd_set_si2(a, 1, 3);
  EXPECT_EQ(a[0], 1.0 / 3.0);
}

TEST(NumbersPrimitives, CompareAndSignAreExact)
{
  mytype one = {1.0}, tiny = {1.0 + 1e-15}, nan = {kNaN}, negz = {-0.0};
  EXPECT_EQ(ddd_cmp(tiny, one), 1);
  EXPECT_EQ(ddd_cmp(one, tiny), -1);
  EXPECT_EQ(ddd_cmp(one, one), 0);
  EXPECT_EQ(ddd_cmp(nan, one), -1);
  EXPECT_EQ(ddd_cmp(one, nan), -1);
  EXPECT_EQ(ddd_sgn(negz), 0);
  EXPECT_EQ(ddd_sgn(nan), -1);
  mytype small = {1e-300};
  EXPECT_EQ(ddd_sgn(small), 1);
}

TEST(NumbersTolerance, BoundsAreInclusiveOnTheZeroSide)
{
  EXPECT_FALSE(on(dd_Positive, 1e-07));
  EXPECT_TRUE(on(dd_Positive, 1.1e-07));
  EXPECT_FALSE(on(dd_Negative, -1e-07));
  EXPECT_TRUE(on(dd_Negative, -1.1e-07));
  EXPECT_TRUE(on(dd_EqualToZero, -1e-07));
  EXPECT_TRUE(on(dd_EqualToZero, 1e-07));
  EXPECT_FALSE(on(dd_EqualToZero, 1.1e-07));
  EXPECT_TRUE(on(dd_Nonnegative, -1e-07));
  EXPECT_FALSE(on(dd_Nonnegative, -1.1e-07));
  EXPECT_TRUE(on(dd_Nonpositive, 1e-07));
  EXPECT_FALSE(on(dd_Nonpositive, 1.1e-07));
  EXPECT_TRUE(on(dd_Nonzero, 2e-07));
  EXPECT_TRUE(on(dd_Nonzero, -2e-07));
  EXPECT_FALSE(on(dd_Nonzero, 5e-08));
}

TEST(NumbersTolerance, NaNCountsAsNegativeAndNonpositive)
{
  EXPECT_TRUE(on(dd_Nonpositive, kNaN));
  EXPECT_TRUE(on(dd_Negative, kNaN));
  EXPECT_FALSE(on(dd_Positive, kNaN));
  EXPECT_FALSE(on(dd_Nonnegative, kNaN));
  EXPECT_FALSE(on(dd_EqualToZero, kNaN));
  EXPECT_TRUE(on(dd_Nonzero, kNaN));
}

TEST(NumbersTolerance, PairwiseComparisons)
{
  EXPECT_TRUE(on(dd_Equal, 1.0, 1.00000005));
  EXPECT_TRUE(on(dd_Larger, 1.0, 0.9999998));
  EXPECT_FALSE(on(dd_Larger, 0.9999998, 1.0));
  EXPECT_TRUE(on(dd_Smaller, 0.9999998, 1.0));
  EXPECT_FALSE(on(dd_Equal, 0.9999998, 1.0));
  EXPECT_FALSE(on(dd_Larger, 1.00000005, 1.0));
  EXPECT_FALSE(on(dd_Smaller, 1.0, 1.00000005));
  // Differences of huge numbers: tolerance is absolute, not relative.
  EXPECT_TRUE(on(dd_Larger, 1e9 + 1, 1e9));
}

TEST(NumbersRows, AbsKeepsNegativesInsideTolerance)
{
  mytype r, v = {-5e-08};
  dd_abs(r, v);
  EXPECT_EQ(r[0], -5e-08);
  v[0] = -3.0;
  dd_abs(r, v);
  EXPECT_EQ(r[0], 3.0);
  v[0] = 2.0;
  dd_abs(r, v);
  EXPECT_EQ(r[0], 2.0);
}

TEST(NumbersRows, LinearCombination)
{
  mytype lc, v1 = {2.0}, c1 = {3.0}, v2 = {4.0}, c2 = {-5.0};
  dd_LinearComb(lc, v1, c1, v2, c2);
  EXPECT_EQ(lc[0], -14.0);
  dd_LinearComb(v1, v1, c1, v2, c2);  // lc may be v1
  EXPECT_EQ(v1[0], -14.0);
}

TEST(NumbersRows, InnerProductSumsFromIndexZero)
{
  // From the front 1 + 1e16 rounds back to 1e16, so the total is 0; summed
  // from the back it would be 1.
  mytype v1[3] = {{1.0}, {1e16}, {-1e16}};
  mytype v2[3] = {{1.0}, {1.0}, {1.0}};
  mytype prod = {99.0};
  dd_InnerProduct(prod, 3, v1, v2);
  EXPECT_EQ(prod[0], 0.0);
  dd_InnerProduct(prod, 2, v1, v2);
  EXPECT_EQ(prod[0], 1e16);
  dd_InnerProduct(prod, 0, v1, v2);
  EXPECT_EQ(prod[0], 0.0);
}

TEST(NumbersRows, NormalizeBySmallestEntryAboveTolerance)
{
  mytype v[4] = {{0.0}, {-2.0}, {4.0}, {1e-09}};
  dd_Normalize(4, v);
  EXPECT_EQ(v[0][0], 0.0);
  EXPECT_EQ(v[1][0], -1.0);
  EXPECT_EQ(v[2][0], 2.0);
  EXPECT_EQ(v[3][0], 5e-10);

  mytype w[2] = {{1e-09}, {0.0}};
  dd_Normalize(2, w);
  EXPECT_EQ(w[0][0], 1e-09);
  EXPECT_EQ(w[1][0], 0.0);

  mytype t[2] = {{3.0}, {3.00000001}};
  dd_Normalize(2, t);
  EXPECT_EQ(t[0][0], 1.0);
  EXPECT_EQ(t[1][0], 3.00000001 / 3.0);

  // Near tie the other way round: the first found stays the divisor.
  mytype u[2] = {{-3.00000001}, {3.0}};
  dd_Normalize(2, u);
  EXPECT_EQ(u[0][0], -1.0);
  EXPECT_EQ(u[1][0], 3.0 / 3.00000001);

  mytype s[1] = {{-8.0}};
  dd_Normalize(0, s);
  EXPECT_EQ(s[0][0], -8.0);
  dd_Normalize(1, s);
  EXPECT_EQ(s[0][0], -1.0);
}

TEST(NumbersRows, RowValueAndZeroIndexSet)
{
  dd_Amatrix A = nullptr;
  dd_InitializeAmatrix(4, 3, &A);
  const double rows[4][3] = {
      {1.0, 1e16, -1e16},  // front-to-back sum is 0
      {1.0, 2.0, 3.0},     // 6
      {5e-08, 0.0, 0.0},   // inside the tolerance
      {2e-07, 0.0, 0.0}};  // outside
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) A[i][j][0] = rows[i][j];
  mytype p[3] = {{1.0}, {1.0}, {1.0}};
  mytype val = {42.0};
  dd_AValue(&val, 3, A, p, 2);
  EXPECT_EQ(val[0], 6.0);
  dd_AValue(&val, 3, A, p, 1);
  EXPECT_EQ(val[0], 0.0);

  zonix::Set zs = zonix::make_set(4);
  set_addelem(zs.get(), 2);  // stale content must be cleared
  dd_ZeroIndexSet(4, 3, A, p, zs.get());
  EXPECT_TRUE(set_member(1, zs.get()));
  EXPECT_FALSE(set_member(2, zs.get()));
  EXPECT_TRUE(set_member(3, zs.get()));
  EXPECT_FALSE(set_member(4, zs.get()));
  dd_FreeAmatrix(4, 3, A);
}

TEST(NumbersArrays, NonPositiveSizesAllocateNothing)
{
  mytype sentinel[1];
  dd_Arow a = sentinel;
  dd_InitializeArow(0, &a);
  EXPECT_EQ(a, sentinel);
  dd_InitializeArow(-2, &a);
  EXPECT_EQ(a, sentinel);
  dd_Amatrix A = nullptr;
  dd_InitializeAmatrix(0, 3, &A);
  EXPECT_EQ(A, nullptr);
  dd_FreeAmatrix(0, 3, nullptr);
  dd_FreeBmatrix(3, nullptr);
  dd_FreeArow(3, nullptr);
}

TEST(NumbersArrays, RowsAndMatricesStartAtZeroAndCopy)
{
  dd_Arow a = nullptr, b = nullptr;
  dd_InitializeArow(3, &a);
  dd_InitializeArow(3, &b);
  for (int j = 0; j < 3; ++j) EXPECT_EQ(a[j][0], 0.0);
  a[0][0] = 1.5;
  a[2][0] = -2.0;
  dd_CopyArow(b, a, 3);
  EXPECT_EQ(b[0][0], 1.5);
  EXPECT_EQ(b[1][0], 0.0);
  EXPECT_EQ(b[2][0], -2.0);
  dd_FreeArow(3, a);
  dd_FreeArow(3, b);

  dd_Amatrix A = nullptr, C = nullptr;
  dd_InitializeAmatrix(2, 2, &A);
  dd_InitializeAmatrix(2, 2, &C);
  A[1][0][0] = 7.0;
  A[0][1][0] = -1.0;
  dd_CopyAmatrix(C, A, 2, 2);
  EXPECT_EQ(C[1][0][0], 7.0);
  EXPECT_EQ(C[0][1][0], -1.0);
  EXPECT_EQ(C[0][0][0], 0.0);
  dd_FreeAmatrix(2, 2, A);
  dd_FreeAmatrix(2, 2, C);
}

TEST(NumbersArrays, BasisMatrixIdentityAndCopyDirection)
{
  dd_Bmatrix T = nullptr, U = nullptr;
  dd_InitializeBmatrix(3, &T);
  dd_InitializeBmatrix(3, &U);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      EXPECT_EQ(T[i][j][0], 0.0);
      U[i][j][0] = 9.0;
    }
  dd_SetToIdentity(3, T);
  dd_CopyBmatrix(3, T, U);  // U := T, source first
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      EXPECT_EQ(T[i][j][0], i == j ? 1.0 : 0.0);
      EXPECT_EQ(U[i][j][0], i == j ? 1.0 : 0.0);
    }
  dd_FreeBmatrix(3, T);
  dd_FreeBmatrix(3, U);

  dd_Bmatrix Z = nullptr;
  dd_InitializeBmatrix(0, &Z);  // still a valid block to free
  ASSERT_NE(Z, nullptr);
  dd_FreeBmatrix(0, Z);
}

TEST(NumbersSetFamily, SizesAndAllocation)
{
  zonix::SetFamily F = zonix::make_set_family(0, 5);
  EXPECT_EQ(F->famsize, 0);
  EXPECT_EQ(F->setsize, 5);
  ASSERT_NE(F->set[0], nullptr);
  EXPECT_EQ(set_groundsize(F->set[0]), 5);
  EXPECT_EQ(set_card(F->set[0]), 0);

  zonix::SetFamily G = zonix::make_set_family(3, 0);
  EXPECT_EQ(G->famsize, 3);
  EXPECT_EQ(G->setsize, 0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(set_groundsize(G->set[k]), 1);

  zonix::SetFamily H = zonix::make_set_family(2, 70);
  set_addelem(H->set[1], 70);
  EXPECT_EQ(set_card(H->set[0]), 0);
  EXPECT_TRUE(set_member(70, H->set[1]));

  dd_SetFamilyPtr N = dd_CreateSetFamily(-4, -4);
  EXPECT_EQ(N->famsize, 0);
  EXPECT_EQ(N->setsize, 0);
  dd_FreeSetFamily(N);
  dd_FreeSetFamily(nullptr);
}
