// Error messages and the text notation of numbers, rows and matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "dovavozu.h"
#include "zonix.hpp"

#include "capture.hpp"

namespace {

using zonix_test::capture;

std::string number(double v)
{
  mytype x = {v};
  return capture([&](FILE *f) { dd_WriteNumber(f, x); });
}

std::string message(int code)
{
  return capture([&](FILE *f) {
    dd_WriteErrorMessages(f, static_cast<dd_ErrorType>(code));
  });
}

}  // namespace

TEST(PrintingNumber, NearIntegersAsIntegers)
{
  EXPECT_EQ(number(3.0), "  3");
  EXPECT_EQ(number(-2.0), " -2");
  EXPECT_EQ(number(42.0), " 42");
  EXPECT_EQ(number(123.0), " 123");
  EXPECT_EQ(number(0.0), "  0");
  EXPECT_EQ(number(-0.0), "  0");
  EXPECT_EQ(number(214748.0), " 214748");
  // Whole after rounding to four decimals.
  EXPECT_EQ(number(1.00004), "  1");
  EXPECT_EQ(number(0.99995), "  1");
  EXPECT_EQ(number(-0.99996), " -1");
  EXPECT_EQ(number(2.99995), "  3");
  // Tiny values of either sign take the non-positive branch and give 0.
  EXPECT_EQ(number(-1e-08), "  0");
  EXPECT_EQ(number(-4e-05), "  0");
  EXPECT_EQ(number(4e-05), "  0");
}

TEST(PrintingNumber, OthersInExponentForm)
{
  EXPECT_EQ(number(2.5), "  2.500000000E+00");
  EXPECT_EQ(number(-0.1), " -1.000000000E-01");
  EXPECT_EQ(number(1.0001), "  1.000100000E+00");
  EXPECT_EQ(number(1.00015), "  1.000150000E+00");
  // The double nearest 1.00005 lies just above it, so it rounds up.
  EXPECT_EQ(number(1.00005), "  1.000050000E+00");
  EXPECT_EQ(number(1.49995), "  1.499950000E+00");
  EXPECT_EQ(number(5e-05), "  5.000000000E-05");
}

TEST(PrintingNumber, LargeMagnitudesInExponentForm)
{
  EXPECT_EQ(number(214748.3647), "  2.147483647E+05");
  EXPECT_EQ(number(300000.0), "  3.000000000E+05");
  EXPECT_EQ(number(1e12), "  1.000000000E+12");
  EXPECT_EQ(number(-1e12), " -1.000000000E+12");
  EXPECT_EQ(number(HUGE_VAL), "  INF");
  EXPECT_EQ(number(-HUGE_VAL), " -INF");
  mytype x = {7.0};
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteReal(f, x); }), "  7");
}

TEST(PrintingError, EveryMessageExactly)
{
  const char *expected[] = {
      "*Input Error: Input matrix is too large:\n"
      "*Please increase MMAX and/or NMAX in the source code and recompile.\n",
      "*Input Error: Input format is not correct.\n*Format:\n begin\n"
      "   m   n  NumberType(real, rational or integer)\n   b  -A\n end\n",
      "*Input Error: Input matrix has a negative size:\n"
      "*Please check rowsize or colsize.\n",
      "*Input Error: V-representation is empty:\n*dovavozu does not accept "
      "this trivial case for which output can be any inconsistent system.\n",
      "*Input Error: H-representation is empty.\n",
      "*Input Error: Representation is empty.\n",
      "*Input Error: Specified input file does not exist.\n",
      "*Output Error: Specified output file cannot be opened.\n",
      "*LP Error: No LP objective (max or min) is set.\n",
      "*LP Error: The binary (with GMP Rational) does not support Real number "
      "input.\n         : Use a binary compiled without -DGMPRATIONAL "
      "option.\n",
      "*Error: A function is called with H-rep which does not support an "
      "H-representation.\n",
      "*Error: A function is called with V-rep which does not support an "
      "V-representation.\n",
      "*Error: The function called cannot handle linearity.\n",
      "*Error: Specified row index is out of range\n",
      "*Error: Specified column index is out of range\n",
      "*Error: Possibly an LP cycling occurs.  Use the Criss-Cross method.\n",
      "*Error: Numerical inconsistency is found.  Use the GMP exact "
      "arithmetic.\n",
      "*No Error found.\n",
  };
  static_assert(sizeof expected / sizeof expected[0] == 18);
  for (int code = 0; code < 18; ++code)
    EXPECT_EQ(message(code), expected[code]) << "code " << code;
  EXPECT_EQ(message(dd_NoError), "*No Error found.\n");
  EXPECT_EQ(message(dd_LPCycling), expected[15]);
}

TEST(PrintingError, UnknownCodesWriteNothing)
{
  EXPECT_EQ(message(20), "");
  EXPECT_EQ(message(1000), "");
  EXPECT_EQ(message(-1), "");
}

TEST(PrintingArrays, RowAndMatrixBlocks)
{
  zonix::Matrix M = zonix::make_matrix(2, 3);
  const double v[2][3] = {{3.0, 2.5, -2.0}, {0.0, -0.1, 42.0}};
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j) M->matrix[i][j][0] = v[i][j];
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteArow(f, M->matrix[0], 3); }),
            "  3  2.500000000E+00 -2\n");
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteArow(f, M->matrix[0], 0); }),
            "\n");
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteAmatrix(f, M->matrix, 2, 3); }),
            "begin\n 2 3 real\n  3  2.500000000E+00 -2\n"
            "  0 -1.000000000E-01 42\nend\n");
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteAmatrix(f, M->matrix, 0, 3); }),
            "begin\n 0 3 real\nend\n");
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteAmatrix(f, nullptr, 2, 3); }),
            "WriteAmatrix: The requested matrix is empty\n");
}

TEST(PrintingArrays, BasisMatrixBlockEndsWithEmptyLine)
{
  dd_Bmatrix B = nullptr;
  dd_InitializeBmatrix(2, &B);
  dd_SetToIdentity(2, B);
  B[0][1][0] = -7.0;
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteBmatrix(f, 2, B); }),
            "  1 -7\n  0  1\n\n");
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteBmatrix(f, 0, B); }), "\n");
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteBmatrix(f, 2, nullptr); }),
            "WriteBmatrix: The requested matrix is empty\n");
  dd_FreeBmatrix(2, B);
}
