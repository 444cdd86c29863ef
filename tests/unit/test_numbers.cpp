// Numbers at the ends of the double range: subnormal coefficients and
// right-hand sides near the largest double in the LP queries, numbers with
// no exact value, the global constants under threads, and the number
// notation read back.  Expected answers are worked out by hand in the
// comments of each table.
#include <gtest/gtest.h>

#include <gmpxx.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support.hpp"
#include "zonixarith.hpp"
#include "zonixexact.hpp"
#include "zonixfinite.hpp"

using namespace zonix::test;

namespace {

using zonix::Arithmetic;
using zonix::RowQuery;

constexpr double kSubnormal = 4.9e-324;  // 2^-1074, the least positive double

struct QueryCase {
  const char *name;
  Rows rows;
  dd_RepresentationType rep;
  RowQuery query;
  Members want;
};

std::ostream &operator<<(std::ostream &o, const QueryCase &c) { return o << c.name; }

// Rows (b, -a) of b - a x >= 0.  H: x1 <= 2^1074 (the subnormal row: no
// other row bounds x1 from above, so it stays), x2 <= 1, x1 + x2 >= 0,
// then x2 <= 2 (implied by x2 <= 1 and never tight: redundant, strongly)
// or x1 + x2 <= 0 (with x1 + x2 >= 0 an implicit equation).  V: the
// origin, the rays e1 (written 2^-1074 e1), e2 and e1 + e2, the last a
// sum of the two before it.
const Rows kH = {{1, -kSubnormal, 0}, {1, 0, -1}, {0, 1, 1}};
const Rows kV = {{1, 0, 0}, {0, kSubnormal, 0}, {0, 0, 1}, {0, 1, 1}};
const QueryCase kQueries[] = {
    {"H-redundant", kH + Rows{{2, 0, -1}}, dd_Inequality, RowQuery::Redundant, {4}},
    {"H-strongly-redundant", kH + Rows{{2, 0, -1}}, dd_Inequality, RowQuery::StronglyRedundant, {4}},
    {"H-no-equation", kH + Rows{{2, 0, -1}}, dd_Inequality, RowQuery::ImplicitLinearity, {}},
    {"H-equation", kH + Rows{{0, -1, -1}}, dd_Inequality, RowQuery::ImplicitLinearity, {3, 4}},
    {"H-equation-nothing-redundant", kH + Rows{{0, -1, -1}}, dd_Inequality, RowQuery::Redundant, {}},
    {"V-redundant", kV, dd_Generator, RowQuery::Redundant, {4}},
    {"V-no-line", kV, dd_Generator, RowQuery::ImplicitLinearity, {}},
    {"V-subnormal-point", {{1, kSubnormal, 0}, {1, 1, 0}, {1, 0, 1}, {1, 0.25, 0.25}}, dd_Generator,
     RowQuery::Redundant, {4}},
};

class SubnormalRows : public ::testing::TestWithParam<std::tuple<QueryCase, Arithmetic>> {};

// The run used to scale the subnormal row by 2^1074, an infinity, and
// stop the process converting it to a rational.  Auto and exact give the
// answer; double gives it or says it cannot.
TEST_P(SubnormalRows, AnswerOrErrorNeverACrash)
{
  const auto &[c, arithmetic] = GetParam();
  const Matrix M = matrix(c.rows, c.rep);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  const Set got(zonix::row_query(M.get(), c.query, arithmetic, &err, &exact));
  if (arithmetic == Arithmetic::Double && err != dd_NoError) {
    EXPECT_EQ(err, dd_NumericallyInconsistent);
    return;
  }
  ASSERT_EQ(err, dd_NoError);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(members(got.get()), c.want);
}

INSTANTIATE_TEST_SUITE_P(Queries, SubnormalRows,
                         ::testing::Combine(::testing::ValuesIn(kQueries),
                                            ::testing::Values(Arithmetic::Auto, Arithmetic::Exact,
                                                              Arithmetic::Double)));

struct InteriorCase {
  const char *name;
  Rows rows;
  double margin;  // the optimal common slack t*
};

std::ostream &operator<<(std::ostream &o, const InteriorCase &c) { return o << c.name; }

// The interior-point LP maximises t with every row's slack at least t and
// t at most the ceiling (twice the largest b, which is no double here, so
// the largest b itself).  x1, x2 <= 1e308, x1 + x2 >= -1e308: at the
// origin every slack is 1e308, the ceiling, so t* = 1e308.  x1 <= 1e308,
// x2 <= 1, x1 + x2 >= 0: the three slacks add up to 1e308 + 1 whatever x
// is, so t* = (1e308 + 1) / 3 with all three equal.  A half-plane
// x1 <= 1e308 alone: t* is the ceiling.
const InteriorCase kInteriors[] = {
    {"box-corner", {{1e308, -1, 0}, {1e308, 0, -1}, {1e308, 1, 1}}, 1e308},
    {"triangle", {{1e308, -1, 0}, {1, 0, -1}, {0, 1, 1}}, 1e308 / 3},
    {"half-plane", {{1e308, -1, 0}}, 1e308},
    {"ones", {{DBL_MAX, -1}, {DBL_MAX, 1}}, DBL_MAX},
};

class HugeRightHandSides
    : public ::testing::TestWithParam<std::tuple<InteriorCase, Arithmetic, dd_LPSolverType>> {};

TEST_P(HugeRightHandSides, FiniteCeilingAndAnInteriorPoint)
{
  const auto &[c, arithmetic, solver] = GetParam();
  const Matrix M = matrix(c.rows);
  dd_ErrorType err = dd_NoError;
  const LP lp(dd_Matrix2LP(M.get(), &err));
  ASSERT_EQ(err, dd_NoError);
  const LP lp2(dd_MakeLPforInteriorFinding(lp.get()));
  const double ceiling = ddd_get_d(lp2->A[lp2->m - 2][0]);
  EXPECT_TRUE(std::isfinite(ceiling)) << ceiling;
  EXPECT_GE(ceiling, c.margin);
  bool exact = false;
  capture_stream(stdout, [&] { zonix::solve_lp(lp2.get(), solver, arithmetic, &err, &exact); });
  if (arithmetic == Arithmetic::Double && err != dd_NoError) return;  // double may give up
  ASSERT_EQ(err, dd_NoError);
  ASSERT_EQ(lp2->LPS, dd_Optimal);
  const double t = ddd_get_d(lp2->optvalue);
  EXPECT_NEAR(t / c.margin, 1.0, 1e-12) << t;
  // Every row holds strictly at the point, summed exactly (a near-equal
  // answer of a double run only when t is far above the rounding).
  const long n = M->colsize - 1;
  for (const Row &r : c.rows) {
    mpq_class s = r[0];
    for (long j = 1; j <= n; ++j) s += mpq_class(r[static_cast<size_t>(j)]) * mpq_class(ddd_get_d(lp2->sol[j]));
    EXPECT_GT(s, 0) << "slack of a row at the point";
  }
}

INSTANTIATE_TEST_SUITE_P(Interiors, HugeRightHandSides,
                         ::testing::Combine(::testing::ValuesIn(kInteriors),
                                            ::testing::Values(Arithmetic::Auto, Arithmetic::Exact,
                                                              Arithmetic::Double),
                                            ::testing::Values(dd_DualSimplex, dd_CrissCross)));

// A caller's infinity has no exact value: an exact run refuses it by an
// exception rather than stopping the process.
TEST(NotFinite, ExactRunsRefuseInfinityAndNaN)
{
  for (double bad : {HUGE_VAL, -HUGE_VAL, std::numeric_limits<double>::quiet_NaN()}) {
    const Matrix M = matrix({{1, -1, 0}, {1, 0, -1}, {0, 1, 0}, {bad, 0, 1}});
    zonix::ConvertOptions o;
    o.arithmetic = Arithmetic::Exact;
    EXPECT_THROW((void)zonix::convert(M.get(), o), zonix::NotFinite) << bad;
    dd_ErrorType err = dd_NoError;
    bool exact = false;
    EXPECT_THROW(set_free(zonix::row_query(M.get(), RowQuery::Redundant, Arithmetic::Exact, &err, &exact)),
                 zonix::NotFinite);
  }
  EXPECT_EQ(zonix::finite(-0.0), 0.0);
  EXPECT_EQ(zonix::finite(DBL_MAX), DBL_MAX);
  EXPECT_EQ(zonix::finite(kSubnormal), kSubnormal);
}

// The constants hold their values from the start; setting them restores a
// changed one and writes nothing else, so that runs on other threads can
// read them meanwhile (a thread sanitizer build sees no race here).
TEST(GlobalConstants, RestoredWhenChangedAndReadSafelyOnThreads)
{
  EXPECT_EQ(ddd_get_d(dd_zero), 1e-07);
  EXPECT_EQ(ddd_get_d(dd_minuszero), -1e-07);
  EXPECT_EQ(ddd_get_d(dd_one), 1.0);
  EXPECT_EQ(ddd_get_d(dd_purezero), 0.0);
  ddd_set_d(dd_zero, 0.5);
  ddd_set_d(dd_purezero, -0.0);
  dd_set_global_constants();
  EXPECT_EQ(ddd_get_d(dd_zero), 1e-07);
  EXPECT_FALSE(std::signbit(ddd_get_d(dd_purezero)));
  // The unit cube in exact arithmetic on four threads at once, each
  // setting the constants as the module does before a command: eight
  // vertices each time.
  const Matrix M = matrix({{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, -1, 0, 0}, {1, 0, -1, 0}, {1, 0, 0, -1}});
  std::vector<long> vertices(4, -1);
  std::vector<std::thread> threads;
  for (size_t k = 0; k < vertices.size(); ++k)
    threads.emplace_back([&, k] {
      long n = 0;
      for (int round = 0; round < 20; ++round) {
        dd_set_global_constants();
        zonix::ConvertOptions o;
        o.arithmetic = Arithmetic::Exact;
        o.threads = 1;
        const zonix::Conversion c = zonix::convert(M.get(), o);
        n = c.error == dd_NoError ? c.rational.rows : -1;
        if (n != 8) break;
      }
      vertices[k] = n;
    });
  for (std::thread &t : threads) t.join();
  EXPECT_EQ(vertices, std::vector<long>(4, 8));
}

std::string written(double x)
{
  mytype a;
  ddd_set_d(a, x);
  return capture([&](FILE *f) { dd_WriteNumber(f, a); });
}

// The number as the file reader reads the text back.
double read_back(const std::string &text)
{
  FILE *f = std::tmpfile();
  std::fputs(("begin\n1 1 real\n" + text + "\nend\n").c_str(), f);
  std::rewind(f);
  dd_ErrorType err = dd_NoError;
  Matrix M;
  capture_stream(stderr, [&] { M.reset(dd_PolyFile2Matrix(f, &err)); });
  std::fclose(f);
  EXPECT_EQ(err, dd_NoError) << text;
  return err == dd_NoError && M != nullptr ? ddd_get_d(M->matrix[0][0]) : std::nan("");
}

// Whole numbers as integers (at least two characters after the blank),
// any other in the fewest digits that give the double back.
struct Notation {
  double x;
  const char *text;
};

const Notation kNotations[] = {
    {3, "  3"},
    {-2, " -2"},
    {42, " 42"},
    {0, "  0"},
    {-0.0, "  0"},
    {1e15, " 1000000000000000"},
    {9007199254740991.0, " 9007199254740991"},  // 2^53 - 1
    {2.5, "  2.5"},
    {-0.1, " -0.1"},
    {0.1, "  0.1"},
    {1.00004, "  1.00004"},  // no longer rounded to an integer
    {1.0 / 3, "  0.3333333333333333"},
    {2.0 / 3, "  0.6666666666666666"},
    {0.9999999999999998, "  0.9999999999999998"},
    {1e-300, "  1e-300"},
    {-5e-324, " -5e-324"},
    {1e308, "  1e+308"},
    {DBL_MAX, "  1.7976931348623157e+308"},
    {9007199254740992.0, "  9007199254740992"},  // 2^53: to_chars' shortest, fixed
    {1e22, "  1e+22"},
    {123456.789, "  123456.789"},
    {-1.5e-7, " -1.5e-07"},
};

TEST(Write, ShortestFormOfEachNumber)
{
  for (const Notation &n : kNotations) EXPECT_EQ(written(n.x), n.text) << n.x;
}

// Every double written reads back as itself: magnitudes over the whole
// range, subnormals, halves of units in the last place and random bits.
TEST(Write, EveryNumberReadsBackAsItself)
{
  std::vector<double> xs = {0.1, 1.0 / 3, 1e-300, 5e-324, 1e308, -0.0, DBL_MAX, DBL_MIN,
                            std::nextafter(DBL_MIN, 0.0), 0x1p53 + 2, 0x1p53 - 0.5, 1e16 + 2,
                            std::nextafter(1.0, 2.0), std::nextafter(1.0, 0.0), 4503599627370495.5};
  std::mt19937_64 gen(11);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  for (int e = -323; e <= 307; e += 3) xs.push_back(mantissa(gen) * std::pow(10.0, e));
  for (int k = 0; k < 3000; ++k) {
    const std::uint64_t bits = (gen() & ~(std::uint64_t{0x7ff} << 52)) | ((gen() % 0x7ff) << 52);  // finite
    double x;
    std::memcpy(&x, &bits, sizeof x);
    xs.push_back(x);
  }
  for (double v : xs)
    for (double x : {v, -v}) {
      const std::string text = written(x);
      const double back = read_back(text);
      EXPECT_EQ(back, x) << text;
      EXPECT_EQ(std::signbit(back), std::signbit(x) && x != 0.0) << text;  // -0.0 comes back as 0
      // Whole numbers below 2^53 are integers in the text.
      if (x == std::trunc(x) && std::fabs(x) < 0x1p53) {
        EXPECT_EQ(text.find_first_of(".e"), std::string::npos) << text;
      }
    }
}

// One number word in a one-row file of the given type, read as a run in
// exact or auto arithmetic reads it (exact) or as a run in double does.
struct ReadBack {
  dd_ErrorType err = dd_NoError;
  std::string why;
  double value = 0.0;
  mpq_class exact;  // the overlay's value where there is one, else value
};

ReadBack read_word(const std::string &word, const char *type, bool exact)
{
  FILE *f = std::tmpfile();
  std::fputs(("begin\n1 2 " + std::string(type) + "\n1 " + word + "\nend\n").c_str(), f);
  std::rewind(f);
  ReadBack r;
  zonix::Input in = zonix::read_representation(f, &r.err, &r.why, exact);
  std::fclose(f);
  if (r.err != dd_NoError) return r;
  r.value = ddd_get_d(in.doubles->matrix[0][1]);
  const auto q = zonix::exact_input(in);
  r.exact = q != nullptr ? q->at(0, 1) : mpq_class(r.value);
  return r;
}

mpq_class power_of_ten(long e)
{
  mpz_class p;
  mpz_ui_pow_ui(p.get_mpz_t(), 10, static_cast<unsigned long>(e < 0 ? -e : e));
  return e < 0 ? mpq_class(1, p) : mpq_class(p);
}

std::string repeated(char c, size_t n) { return std::string(n, c); }

struct WordCase {
  std::string word;
  const char *type;
  mpq_class exact;            // what an exact or auto run reads
  const char *double_refusal;  // what a run in double says, or null: it reads the nearest double
};

// Values worked out by hand: 10^-400 and 10^400 have no double; 2^63 and
// 2^64 are doubles but no longs; a 400-digit integer, its reciprocal, and
// the quotient of two such that is 1/10; 1100 zeros and a 7 (a word far
// beyond any fixed buffer).
std::vector<WordCase> word_cases()
{
  const std::string ones = repeated('1', 400);
  mpz_class n400(ones);
  return {
      {"1e-400", "real", power_of_ten(-400), "'1e-400' is too small for a double: it would read as 0"},
      {"-1e-400", "real", -power_of_ten(-400), "'-1e-400' is too small for a double: it would read as 0"},
      {"1e400", "real", power_of_ten(400), "'1e400' is too large for a double"},
      {"1e-400", "rational", power_of_ten(-400), "'1e-400' is too small for a double: it would read as 0"},
      {"9223372036854775808", "integer", mpq_class(mpz_class(1) << 63), nullptr},
      {"-18446744073709551617", "integer", -mpq_class((mpz_class(1) << 64) + 1), nullptr},
      {ones, "integer", mpq_class(n400), "'111111111111111111111111...' is too large for a double"},
      {"1/" + ones, "rational", mpq_class(1, n400), "'1/1111111111111111111111...' is too small for a double: it would read as 0"},
      {ones + "/" + ones + "0", "rational", mpq_class(1, 10), nullptr},
      {repeated('0', 1100) + "7", "integer", 7, nullptr},
      {"4.9e-324", "real", mpq_class(std::numeric_limits<double>::denorm_min()), nullptr},
  };
}

// Numbers of any size and length are read exactly for exact and auto runs;
// a run in double refuses what no double holds, underflow as clearly as
// overflow, and reads the rest as their nearest doubles.
TEST(ReadNumbers, BeyondTheDoublesExactlyOrRefused)
{
  for (const WordCase &c : word_cases()) {
    const std::string shown = c.word.substr(0, 30) + " (" + c.type + ")";
    const ReadBack e = read_word(c.word, c.type, true);
    ASSERT_EQ(e.err, dd_NoError) << shown << ": " << e.why;
    EXPECT_EQ(e.exact, c.exact) << shown;
    EXPECT_TRUE(std::isfinite(e.value)) << shown;
    EXPECT_EQ(e.value < 0, c.exact < 0) << shown;
    const ReadBack d = read_word(c.word, c.type, false);
    if (c.double_refusal != nullptr) {
      EXPECT_EQ(d.err, dd_ImproperInputFormat) << shown;
      EXPECT_EQ(d.why, std::string("line 3: ") + c.double_refusal) << shown;
    } else {
      ASSERT_EQ(d.err, dd_NoError) << shown << ": " << d.why;
      EXPECT_EQ(d.value, zonix::nearest_double(c.exact)) << shown;
    }
  }
}

}  // namespace
