// The text notation (reader and writer), the error messages, and the
// matrix record operations; expected rows written out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <set>
#include <sstream>
#include <vector>

#include "support.hpp"

using namespace zonix::test;

namespace {

Matrix read_text(const std::string &text, dd_ErrorType *err)
{
  dd_set_global_constants();
  FILE *f = std::tmpfile();
  std::fputs(text.c_str(), f);
  std::rewind(f);
  Matrix M;
  capture_stream(stderr, [&] { M.reset(dd_PolyFile2Matrix(f, err)); });
  std::fclose(f);
  return M;
}

struct ReadCase {
  const char *text;
  dd_ErrorType err;
  Rows rows;
  Members lin;
  dd_RepresentationType rep;
  dd_NumberType type;
};

std::ostream &operator<<(std::ostream &o, const ReadCase &c) { return o << '"' << c.text << '"'; }

const ReadCase kReads[] = {
    {"begin\n2 3 rational\n1 1/2 -3/4\n0 +5 2/4\nend\n", dd_NoError, {{1, 0.5, -0.75}, {0, 5, 0.5}}, {},
     dd_Inequality, dd_Rational},
    {"  V-representation begin 2\n2\ninteger 1 7\n\n 0\t-3 end", dd_NoError, {{1, 7}, {0, -3}}, {},
     dd_Generator, dd_Integer},
    {"V-representation\n* H-representation in a comment\nH-representation\nbegin 1 1 realistic 4.25 end",
     dd_NoError, {{4.25}}, {}, dd_Inequality, dd_Real},
    {"linearity 2 1 3\nbegin\n3 2 real\n1 0\n2 0\n3 0\nend\n", dd_NoError, {{1, 0}, {2, 0}, {3, 0}}, {1, 3},
     dd_Inequality, dd_Real},
    {"begin\n1 2 real\n1.5e1 -2E-1\nend\n", dd_NoError, {{15, -0.2}}, {}, dd_Inequality, dd_Real},
    // Bad texts, each with its message, are the CLI tests' bad_files.txt.
    {"", dd_ImproperInputFormat, {}, {}, dd_Unspecified, dd_Unknown},
};

class Read : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Read, RowsLinearityAndTypes)
{
  const ReadCase &c = GetParam();
  dd_ErrorType err = dd_NoError;
  Matrix M = read_text(c.text, &err);
  EXPECT_EQ(err, c.err);
  // A file that breaks after its rows hands back what was read; the
  // handle frees it either way.
  if (c.err != dd_NoError) return;
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(rows_of(M.get()), c.rows);
  EXPECT_EQ(members(M->linset), c.lin);
  EXPECT_EQ(M->representation, c.rep);
  EXPECT_EQ(M->numbtype, c.type);
}

INSTANTIATE_TEST_SUITE_P(Texts, Read, ::testing::ValuesIn(kReads));

TEST(Write, MatrixNotationAndBack)
{
  Matrix M = matrix({{1, 2.5}, {0, -1}, {3, 0}}, dd_Inequality, {1, 3});
  M->objective = dd_LPmax;
  ddd_set_d(M->rowvec[1], 1);
  const std::string text = capture([&](FILE *f) { dd_WriteMatrix(f, M.get()); });
  EXPECT_EQ(text, "H-representation\nlinearity 2  1 3\nbegin\n 3 2 real\n  1  2.5\n"
                  "  0 -1\n  3  0\nend\nmaximize\n  0  1\n");
  dd_ErrorType err;
  Matrix R = read_text(std::string(text).replace(text.find("maximize"), 8, "minimize"), &err);
  ASSERT_NE(R, nullptr);
  EXPECT_EQ(R->objective, dd_LPmin);
  EXPECT_EQ(std::make_pair(ddd_get_d(R->rowvec[0]), ddd_get_d(R->rowvec[1])), std::make_pair(0.0, 1.0));
}

TEST(Write, ErrorMessagesOfEveryCode)
{
  const char *kText[] = {
      "*Input Error: Input matrix is too large:\n*Please increase MMAX and/or NMAX in the source code and recompile.\n",
      "*Input Error: Input format is not correct.\n*Format:\n begin\n   m   n  NumberType(real, rational or integer)\n"
      "   b  -A\n end\n",
      "*Input Error: Input matrix has a negative size:\n*Please check rowsize or colsize.\n",
      "*Input Error: V-representation is empty:\n*dovavozu does not accept this trivial case for which output can be "
      "any inconsistent system.\n",
      "*Input Error: H-representation is empty.\n",
      "*Input Error: Representation is empty.\n",
      "*Input Error: Specified input file does not exist.\n",
      "*Output Error: Specified output file cannot be opened.\n",
      "*LP Error: No LP objective (max or min) is set.\n",
      "*LP Error: The binary (with GMP Rational) does not support Real number input.\n"
      "         : Use a binary compiled without -DGMPRATIONAL option.\n",
      "*Error: A function is called with H-rep which does not support an H-representation.\n",
      "*Error: A function is called with V-rep which does not support an V-representation.\n",
      "*Error: The function called cannot handle linearity.\n",
      "*Error: Specified row index is out of range\n",
      "*Error: Specified column index is out of range\n",
      "*Error: Possibly an LP cycling occurs.  Use the Criss-Cross method.\n",
      "*Error: Numerical inconsistency is found.  Use the GMP exact arithmetic.\n",
      "*No Error found.\n",
      "*Error: The computation was interrupted.\n",
      "*Error: Out of memory.\n",
      // A fault of the library must not read as a numerical limit (which
      // would send the user to the exact arithmetic for nothing).
      "*Error: Internal error: the library failed unexpectedly; please report it with the input.\n",
      "",
  };
  static_assert(std::size(kText) == dd_InternalError + 2);
  for (int k = 0; k <= dd_InternalError + 1; ++k)
    EXPECT_EQ(capture([&](FILE *f) { dd_WriteErrorMessages(f, static_cast<dd_ErrorType>(k)); }), kText[k]) << k;
}

TEST(MatrixRecord, AppendRemoveAndSubmatrixRenumberTheLinearity)
{
  Matrix A = matrix({{1, 0}, {2, 0}, {3, 0}}, dd_Inequality, {2});
  Matrix B = matrix({{4, 0}, {5, 0}}, dd_Inequality, {1});
  Matrix C(dd_MatrixAppend(A.get(), B.get()));
  EXPECT_EQ(rows_of(C.get()), (Rows{{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}));
  EXPECT_EQ(members(C->linset), (Members{2, 4}));
  // Removing row 1 moves everything up by one.
  dd_MatrixPtr raw = C.release();
  EXPECT_TRUE(dd_MatrixRowRemove(&raw, 1));
  C.reset(raw);
  EXPECT_EQ(rows_of(C.get()), (Rows{{2, 0}, {3, 0}, {4, 0}, {5, 0}}));
  EXPECT_EQ(members(C->linset), (Members{1, 3}));
  EXPECT_FALSE(dd_MatrixRowRemove(&raw, 5));
  // Deleting rows 1 and 3 of the four.
  Set del = set_of(4, {1, 3});
  Matrix S(dd_MatrixSubmatrix(C.get(), del.get()));
  EXPECT_EQ(rows_of(S.get()), (Rows{{3, 0}, {5, 0}}));
  EXPECT_EQ(members(S->linset), Members{});
  Set del2 = set_of(4, {2});
  Matrix S2(dd_MatrixSubmatrix(C.get(), del2.get()));
  EXPECT_EQ(members(S2->linset), (Members{1, 2}));
  Matrix copy(dd_CopyMatrix(S2.get()));
  EXPECT_EQ(rows_of(copy.get()), rows_of(S2.get()));
  EXPECT_EQ(members(copy->linset), (Members{1, 2}));
}

TEST(MatrixRecord, RankIgnoresTheGivenRowsAndColumns)
{
  Matrix M = matrix({{1, 2, 3}, {2, 4, 6}, {0, 1, 1}, {1, 3, 4}});
  auto rank = [&](set_type rows, set_type cols) {
    set_type rb = nullptr, cb = nullptr;
    const long r = dd_MatrixRank(M.get(), rows, cols, &rb, &cb);
    EXPECT_EQ(set_card(rb), r);
    EXPECT_EQ(set_card(cb), r);
    set_free(rb);
    set_free(cb);
    return r;
  };
  EXPECT_EQ(rank(nullptr, nullptr), 2);
  Set col1 = set_of(3, {1}), rows = set_of(4, {1, 2, 4});
  EXPECT_EQ(rank(nullptr, col1.get()), 2);
  EXPECT_EQ(rank(rows.get(), nullptr), 1);
}

// Formatted in blocks on threads, a large output is written as one thread
// writes it; and it is the 2^14 vertices of the cube [0, 1]^14, each once.
TEST(Write, OutputOnThreadsIsTheOutputOfOneThread)
{
  const int n = 14;
  Rows rows;
  for (int i = 1; i <= n; ++i) {
    Row lower(n + 1, 0.0), upper(n + 1, 0.0);
    lower[static_cast<size_t>(i)] = 1;  // x_i >= 0
    upper[0] = 1;                       // x_i <= 1
    upper[static_cast<size_t>(i)] = -1;
    rows.push_back(lower);
    rows.push_back(upper);
  }
  const Matrix M = matrix(rows);
  std::string text[2];
  for (int threads : {1, 2}) {
    const dd_RunOptions run{dd_LexMin, 1, threads};
    dd_ErrorType err = dd_NoError;
    const Polyhedra poly(dd_DDMatrix2PolyWith(M.get(), &run, &err));
    ASSERT_EQ(err, dd_NoError);
    text[threads - 1] = capture([&](FILE *f) { dd_WriteOutputMatrix(f, poly.get()); });
  }
  EXPECT_EQ(text[1], text[0]);
  std::istringstream in(text[1]);
  std::string line;
  while (std::getline(in, line) && line != "begin") {
  }
  long count = 0, d = 0;
  in >> count >> d >> line;
  ASSERT_EQ(count, 1L << n);
  ASSERT_EQ(d, n + 1);
  std::set<Row> vertices;
  for (long k = 0; k < count; ++k) {
    Row v(static_cast<size_t>(d));
    for (double &x : v) in >> x;
    EXPECT_EQ(v[0], 1.0);
    for (double x : v) EXPECT_TRUE(x == 0.0 || x == 1.0);
    vertices.insert(v);
  }
  EXPECT_EQ(vertices.size(), static_cast<size_t>(count));
  in >> line;
  EXPECT_EQ(line, "end");
}

}  // namespace
