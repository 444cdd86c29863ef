// Redundancy removal by every method on cases whose answer is known by
// hand: each method, in double and exact arithmetic, must remove exactly
// the rows listed (of rows that define the same facet or generator, all
// but the lowest numbered).  redund_oracle checks the methods against
// redund on generated families; these cases pin the corners: equations,
// copies, constant rows, rays, rows that tie when shot at, no interior.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "support.hpp"
#include "zonixarith.hpp"
#include "zonixlp_certify.hpp"
#include "zonixlp_clarkson.hpp"

using namespace zonix::test;

namespace {

struct ReduceCase {
  const char *name;
  Rows rows;
  dd_RepresentationType rep;
  Members lin;
  Members removed;
};

std::ostream &operator<<(std::ostream &o, const ReduceCase &c) { return o << c.name; }

// [0,1]^2 as b + a.x >= 0.
const Rows kSquare = {{0, 1, 0}, {1, -1, 0}, {0, 0, 1}, {1, 0, -1}};
// [-1,1]^3.
const Rows kCube = {{1, 1, 0, 0}, {1, -1, 0, 0}, {1, 0, 1, 0}, {1, 0, -1, 0}, {1, 0, 0, 1}, {1, 0, 0, -1}};

const ReduceCase kCases[] = {
    {"interval-with-looser-bound", {{1, -1}, {2, -1}, {0, 1}}, dd_Inequality, {}, {2}},
    {"two-copies-alone", {{1, -1, 0}, {1, -1, 0}}, dd_Inequality, {}, {2}},
    {"square-with-constant-rows", kSquare + Rows{{1, 0, 0}, {0, 0, 0}}, dd_Inequality, {}, {5, 6}},
    // x + y <= 2 touches the square at (1,1) only; x + y <= 3 misses it;
    // 2x <= 2 and 4 - 4y >= 0 repeat rows 2 and 4 at another scale.
    {"square-with-touching-and-scaled-rows",
     Rows{{2, -1, -1}, {3, -1, -1}} + kSquare + Rows{{2, -2, 0}, {4, 0, -4}},
     dd_Inequality, {}, {1, 2, 7, 8}},
    // The scaled copy comes first: it is the one kept.
    {"scaled-copy-first", Rows{{2, -2, 0}} + kSquare, dd_Inequality, {}, {3}},
    // Cube with its facets repeated, sums of two facets pushed out, and the
    // diagonal planes through its edges: from the centre every axis meets
    // a face, and the diagonals of the cube meet vertices.
    {"cube-with-edges-and-copies",
     kCube + Rows{{2, 1, 1, 0}, {2, -1, 0, 1}, {3, 1, 1, 1}, {1, 1, 0, 0}, {3, 0, 0, 3}, {5, 1, -1, 1}},
     dd_Inequality, {}, {7, 8, 9, 10, 11, 12}},
    // The square in the plane z = 0 of R^3: the equation stays, and so do
    // the rows that are facets within the plane; z <= 1 and x + z <= 1 go
    // (the latter repeats x <= 1 on the plane).
    {"square-on-a-plane",
     {{0, 0, 0, 1}, {0, 1, 0, 0}, {1, -1, 0, 0}, {0, 0, 1, 0}, {1, 0, -1, 0}, {1, 0, 0, -1}, {1, -1, 0, -1}},
     dd_Inequality, {1}, {6, 7}},
    // An equation implied by the other rows is still kept, and they go:
    // x <= 1 and x >= 1 beside 2x = 2.
    {"implied-equation-kept", {{1, -1}, {-1, 1}, {2, -2}}, dd_Inequality, {3}, {1, 2}},
    // Empty: no interior point; decided row by row.
    {"infeasible", {{-1, -1}, {0, 1}, {-2, -1}}, dd_Inequality, {}, {3}},
    // Unbounded: the quadrant with implied rows.
    {"quadrant", {{0, 1, 0}, {0, 0, 1}, {0, 1, 1}, {1, 1, 2}, {0, 2, 0}}, dd_Inequality, {}, {3, 4, 5}},
    // A large square with its far side repeated 1/16 further out, first:
    // from a point near a corner both rows read alike, yet the copy goes.
    {"far-side-pushed-out-first",
     {{2000000.0625, -1, 0}, {0, 1, 0}, {0, 0, 1}, {2000000, 0, -1}, {2000000, -1, 0}}, dd_Inequality, {}, {1}},
    // The same with x + y <= 2e6, which makes y <= 2e6 redundant too.
    {"far-diagonal-pushed-out-first",
     {{2000000.0625, -1, -1}, {0, 1, 0}, {0, 0, 1}, {2000000, -1, -1}, {2000000, 0, -1}}, dd_Inequality, {}, {1, 5}},
    {"square-corners-and-centre",
     {{1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, 0.5, 0.5}}, dd_Generator, {}, {5}},
    // Points on edges, repeated corners and a point inside.
    {"square-points-on-edges",
     {{1, 0.5, 0}, {1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {1, 1, 0}, {1, 0.25, 0.5}, {1, 1, 0.5}},
     dd_Generator, {}, {1, 6, 7, 8}},
    // Rays: a positive multiple of an earlier ray goes, and a ray inside
    // the cone of two others.
    {"cone-rays", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 2, 0}, {0, 1, 1}}, dd_Generator, {}, {4, 5}},
    // A line (lin) makes the cone not pointed: decided row by row.
    {"strip-with-line", {{1, 0, 0}, {1, 1, 0}, {1, 0.5, 0}, {0, 0, 1}}, dd_Generator, {4}, {3}},
    {"cube-vertices-with-centre",
     {{1, -1, -1, -1}, {1, 1, -1, -1}, {1, -1, 1, -1}, {1, 1, 1, -1}, {1, -1, -1, 1}, {1, 1, -1, 1},
      {1, -1, 1, 1}, {1, 1, 1, 1}, {1, 0, 0, 0}, {1, 1, 1, 0}, {1, 1, 0, 0}},
     dd_Generator, {}, {9, 10, 11}},
};

using Method = std::pair<const char *, dd_RedundancyMethod>;
const Method kMethods[] = {{"each", dd_RedundancyEachRow},
                           {"clarkson", dd_RedundancyClarkson},
                           {"auto", dd_RedundancyAuto}};

using zonix::Arithmetic;

class Reduce : public ::testing::TestWithParam<std::tuple<ReduceCase, Method, Arithmetic>> {};

// Auto with the output-sensitive method proves its double answer through
// the other representation of the rows kept.
TEST_P(Reduce, RemovesExactlyTheRowsThatGo)
{
  const auto &[c, method, arith] = GetParam();
  Matrix M = matrix(c.rows, c.rep, c.lin);
  dd_ErrorType err = dd_NoError;
  Set red;
  if (arith != Arithmetic::Double) {
    bool was_exact = false;
    red.reset(zonix::row_query(M.get(), zonix::RowQuery::Redundant, arith, &err, &was_exact, nullptr,
                               method.second));
    EXPECT_TRUE(was_exact);
  } else {
    red.reset(dd_RedundantRowsWith(M.get(), method.second, &err));
  }
  ASSERT_EQ(err, dd_NoError);
  ASSERT_TRUE(red);
  EXPECT_EQ(members(red.get()), c.removed);
}

INSTANTIATE_TEST_SUITE_P(Cases, Reduce,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::ValuesIn(kMethods),
                                            ::testing::Values(Arithmetic::Double, Arithmetic::Exact,
                                                              Arithmetic::Auto)),
                         [](const auto &info) {
                           const Arithmetic a = std::get<2>(info.param);
                           std::string n = std::string(std::get<0>(info.param).name) + "_" +
                                           std::get<1>(info.param).first +
                                           (a == Arithmetic::Exact  ? "_exact"
                                            : a == Arithmetic::Auto ? "_auto"
                                                                    : "_double");
                           for (char &ch : n)
                             if (ch == '-') ch = '_';
                           return n;
                         });

// What each row's LP proves, checked by the definitions on the cases
// above: a row removed is, less a slack >= 0 in the constant (none for
// generators), a combination of rows (>= 0 off equations) still there
// when it went; a row kept has a point (H) where it fails and every other
// row kept holds, or a row z (V) negative on it and >= 0 on the other rows
// kept, 0 on lines.
TEST(RowWitnesses, EachRemovedRowACombinationEachKeptRowAWitness)
{
  long answered = 0;
  for (const ReduceCase &c : kCases) {
    SCOPED_TRACE(c.name);
    const Matrix M = matrix(c.rows, c.rep, c.lin);
    const zonix::QMatrix q = zonix::to_rational(M.get());
    zonix::lp::RowWitnesses w;
    dd_ErrorType err = dd_NoError;
    const auto named = zonix::lp::certified_rows(M.get(), q, zonix::lp::RowTest::Redundant, &err, 0, &w);
    if (!named) continue;  // left to exact LPs
    ++answered;
    EXPECT_EQ(Members(named->begin(), named->end()), c.removed);
    const bool h = c.rep == dd_Inequality;
    auto removed = [&](long r) { return std::find(named->begin(), named->end(), r) != named->end(); };
    auto equation = [&](long r) { return std::find(c.lin.begin(), c.lin.end(), r) != c.lin.end(); };
    for (long i = 1; i <= q.rows; ++i) {
      if (equation(i)) continue;
      if (removed(i)) {
        std::vector<mpq_class> rest(q.entries.begin() + (i - 1) * q.cols, q.entries.begin() + i * q.cols);
        for (const auto &[k, y] : w.combination[i - 1]) {
          // Rows removed before i (higher numbers) are gone.
          EXPECT_FALSE(removed(k) && k > i) << "row " << i << " uses row " << k;
          EXPECT_TRUE(equation(k) || y >= 0) << "row " << i;
          for (long j = 0; j < q.cols; ++j) rest[j] -= y * q.at(k - 1, j);
        }
        EXPECT_TRUE(h ? rest[0] >= 0 : rest[0] == 0) << "row " << i << " slack " << rest[0];
        for (long j = 1; j < q.cols; ++j) EXPECT_EQ(rest[j], 0) << "row " << i << " column " << j;
        continue;
      }
      const auto &x = w.point[i - 1];
      ASSERT_EQ(static_cast<long>(x.size()), h ? q.cols - 1 : q.cols) << "row " << i;
      for (long k = 1; k <= q.rows; ++k) {
        if (removed(k)) continue;
        mpq_class v = h ? q.at(k - 1, 0) : mpq_class(0);
        for (long j = h ? 1 : 0; j < q.cols; ++j) v += q.at(k - 1, j) * x[h ? j - 1 : j];
        if (k == i) {
          EXPECT_LT(v, 0) << "row " << i << " holds at its witness";
        } else if (equation(k)) {
          EXPECT_EQ(v, 0) << "row " << i << "'s witness off equation " << k;
        } else {
          EXPECT_GE(v, 0) << "row " << i << "'s witness fails row " << k;
        }
      }
    }
  }
  EXPECT_GE(answered, static_cast<long>(std::size(kCases)) - 2);
}

// Implicit equations: each named row plus a combination (>= 0 off
// equations) of the others is 0; each row not named grows above 0 at its
// LP's point, or along its direction, every row holding there.
TEST(RowWitnesses, ImplicitEquationsSumToZeroOthersGrow)
{
  struct Case {
    const char *name;
    Rows rows;
    Members lin, implicit;
  };
  // x >= 0, x <= 0 on the strip 0 <= y <= 1; the quadrant (no optimum);
  // the square in z = 0 written as z >= 0, z <= 0; a triangle with x + y
  // = 1 written as two rows beside x, y >= 0.
  const Case cases[] = {
      {"a line in the strip", {{0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {1, 0, -1}}, {}, {1, 2}},
      {"the quadrant", {{0, 1, 0}, {0, 0, 1}}, {}, {}},
      {"a square in a plane", {{0, 0, 0, 1}, {0, 0, 0, -1}, {0, 1, 0, 0}, {1, -1, 0, 0}, {0, 0, 1, 0}, {1, 0, -1, 0}}, {},
       {1, 2}},
      {"a segment", {{0, 1, 0}, {0, 0, 1}, {-1, 1, 1}, {1, -1, -1}}, {}, {3, 4}},
      {"an equation given", {{-1, 1, 1}, {0, 1, 0}, {0, 0, 1}, {1, -1, 0}}, {1}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const Matrix M = matrix(c.rows, dd_Inequality, c.lin);
    const zonix::QMatrix q = zonix::to_rational(M.get());
    zonix::lp::RowWitnesses w;
    dd_ErrorType err = dd_NoError;
    const auto named = zonix::lp::certified_rows(M.get(), q, zonix::lp::RowTest::ImplicitLinearity, &err, 0, &w);
    ASSERT_TRUE(named);
    EXPECT_EQ(Members(named->begin(), named->end()), c.implicit);
    auto equation = [&](long r) { return std::find(c.lin.begin(), c.lin.end(), r) != c.lin.end(); };
    for (long i = 1; i <= q.rows; ++i) {
      if (equation(i)) continue;
      if (std::find(named->begin(), named->end(), i) != named->end()) {
        std::vector<mpq_class> sum(q.entries.begin() + (i - 1) * q.cols, q.entries.begin() + i * q.cols);
        for (const auto &[k, y] : w.combination[i - 1]) {
          EXPECT_TRUE(equation(k) || y <= 0) << "row " << i;
          for (long j = 0; j < q.cols; ++j) sum[j] -= y * q.at(k - 1, j);
        }
        for (long j = 0; j < q.cols; ++j) EXPECT_EQ(sum[j], 0) << "row " << i << " column " << j;
        continue;
      }
      const auto &x = w.point[i - 1];
      ASSERT_EQ(static_cast<long>(x.size()), q.cols - 1) << "row " << i;
      const bool ray = w.ray[i - 1] != 0;
      for (long k = 1; k <= q.rows; ++k) {
        mpq_class v = ray ? mpq_class(0) : q.at(k - 1, 0);
        for (long j = 1; j < q.cols; ++j) v += q.at(k - 1, j) * x[j - 1];
        if (k == i) {
          EXPECT_GT(v, 0) << "row " << i << " does not grow";
        } else if (equation(k)) {
          EXPECT_EQ(v, 0) << "row " << i << "'s witness off equation " << k;
        } else {
          EXPECT_GE(v, 0) << "row " << i << "'s witness fails row " << k;
        }
      }
    }
  }
}

// The exact validity test of rows on generators, on products worked out by
// hand: entries beyond 64 bits, sums beyond 128 bits, large denominators.
struct HoldsCase {
  const char *name;
  std::vector<std::vector<const char *>> in;
  std::vector<long> equations;
  std::vector<std::vector<const char *>> out;
  std::vector<long> lines;
  std::vector<long> only;  // none: every row of in
  bool holds;
};

zonix::QMatrix qmatrix(const std::vector<std::vector<const char *>> &rows, const std::vector<long> &lin)
{
  zonix::QMatrix q;
  q.rows = static_cast<long>(rows.size());
  q.cols = static_cast<long>(rows.front().size());
  for (const auto &r : rows)
    for (const char *x : r) {
      q.entries.emplace_back(x);
      q.entries.back().canonicalize();
    }
  q.linearity = lin;
  return q;
}

#define M63 "9223372036854775807"
const std::vector<std::vector<const char *>> kSquareRows = {{"0", "1", "0"}, {"1", "-1", "0"}, {"0", "0", "1"},
                                                            {"1", "0", "-1"}};
const std::vector<std::vector<const char *>> kSquareVertices = {{"1", "0", "0"}, {"1", "1", "0"}, {"1", "0", "1"},
                                                                {"1", "1", "1"}};
const HoldsCase kHolds[] = {
    {"square-on-its-vertices", kSquareRows, {}, kSquareVertices, {}, {}, true},
    // 1 - x - y at (1, 1) is -1.
    {"diagonal-cuts-a-vertex", {{"1", "-1", "-1"}}, {}, kSquareVertices, {}, {}, false},
    {"diagonal-equation-on-its-ends", {{"1", "-1", "-1"}}, {1}, {{"1", "1", "0"}, {"1", "0", "1"}}, {}, {}, true},
    {"equation-off-a-point", {{"1", "-1", "-1"}}, {1}, {{"1", "1", "0"}, {"1", "0", "0"}}, {}, {}, false},
    {"line-along-a-row", {{"0", "0", "1"}}, {}, {{"0", "1", "0"}}, {1}, {}, true},
    {"line-across-a-row", {{"0", "1", "0"}}, {}, {{"1", "0", "0"}, {"0", "1", "0"}}, {2}, {}, false},
    // 1/3 - x/2 at x = 2/3 is 0, at x = 7/10 it is -1/60.
    {"rationals-on", {{"1/3", "-1/2", "5"}}, {1}, {{"1", "2/3", "0"}}, {}, {}, true},
    {"rationals-off", {{"1/3", "-1/2", "5"}}, {}, {{"1", "7/10", "0"}}, {}, {}, false},
    // 10^23 - x at x = 10^23 and at 10^23 + 1.
    {"beyond-64-bits-on", {{"100000000000000000000000", "-1"}}, {1}, {{"1", "100000000000000000000000"}}, {}, {},
     true},
    {"beyond-64-bits-off", {{"100000000000000000000000", "-1"}}, {}, {{"1", "100000000000000000000001"}}, {}, {},
     false},
    // 1 - x / 2^65 at x = 2^65 and 2^65 + 1: the row scaled to integers
    // does not fit.
    {"large-denominator-on", {{"1", "-1/36893488147419103232"}}, {1}, {{"1", "36893488147419103232"}}, {}, {},
     true},
    {"large-denominator-off", {{"1", "-1/36893488147419103232"}}, {}, {{"1", "36893488147419103233"}}, {}, {},
     false},
    // M = 2^63 - 1: (M, M, -M, -M) . (M, M, M, M - 1) = M, and
    // . (M - 1, M, M, M) = -M; the partial sums pass 2^127.
    {"sum-beyond-128-bits-positive", {{M63, M63, "-" M63, "-" M63}}, {},
     {{M63, M63, M63, "9223372036854775806"}}, {}, {}, true},
    {"sum-beyond-128-bits-negative", {{M63, M63, "-" M63, "-" M63}}, {},
     {{"9223372036854775806", M63, M63, M63}}, {}, {}, false},
    // (M, M, M) . (+-M, +-M, +-M) = +-3 M^2, beyond 2^127.
    {"total-beyond-128-bits-positive", {{M63, M63, M63}}, {}, {{M63, M63, M63}}, {}, {}, true},
    {"total-beyond-128-bits-negative", {{M63, M63, M63}}, {}, {{"-" M63, "-" M63, "-" M63}}, {}, {}, false},
    // (-2^63, 1) . (-1, 0) = 2^63; (M, -M) . (M, M) = 0 as an equation.
    {"most-negative-entry", {{"-9223372036854775808", "1"}}, {}, {{"-1", "0"}}, {}, {}, true},
    {"large-products-cancel", {{M63, "-" M63}}, {1}, {{M63, M63}}, {}, {}, true},
    // 2^53 + 1 is no double: the doubles' sums read 0, the integers' 1 and -1.
    {"doubles-round-to-zero-positive", {{"9007199254740993", "-9007199254740992"}}, {}, {{"1", "1"}}, {}, {}, true},
    {"doubles-round-to-zero-negative", {{"9007199254740992", "-9007199254740993"}}, {}, {{"1", "1"}}, {}, {}, false},
    {"doubles-round-to-zero-equation", {{"9007199254740993", "-9007199254740992"}}, {1}, {{"1", "1"}}, {}, {},
     false},
    // Only the rows asked about count.
    {"only-the-good-row", {{"1", "-1", "0"}, {"1", "-1", "-1"}}, {}, kSquareVertices, {}, {1}, true},
    {"only-the-bad-row", {{"1", "-1", "0"}, {"1", "-1", "-1"}}, {}, kSquareVertices, {}, {2}, false},
};
#undef M63

TEST(HoldsExactly, ProductsWorkedOutByHand)
{
  for (const HoldsCase &c : kHolds) {
    const zonix::QMatrix in = qmatrix(c.in, c.equations);
    const zonix::QMatrix out = qmatrix(c.out, c.lines);
    Set only;
    if (!c.only.empty()) {
      set_type s = nullptr;
      set_initialize(&s, in.rows);
      for (long i : c.only) set_addelem(s, i);
      only.reset(s);
    }
    EXPECT_EQ(zonix::holds_exactly(in, out, only.get()), c.holds) << c.name;
  }
}

// With a set for the failures, every row is tried: the square's edges
// x <= 1 and y >= 0 hold on its corners, x + y <= 1 and x <= 1/2 do not.
TEST(HoldsExactly, FailuresCollected)
{
  const zonix::QMatrix in = qmatrix({{"1", "-1", "0"}, {"1", "-1", "-1"}, {"0", "0", "1"}, {"1/2", "-1", "0"}}, {});
  const zonix::QMatrix out = qmatrix(kSquareVertices, {});
  set_type s = nullptr;
  set_initialize(&s, in.rows);
  const Set failed(s);
  EXPECT_FALSE(zonix::holds_exactly(in, out, nullptr, failed.get()));
  EXPECT_EQ(set_card(failed.get()), 2);
  EXPECT_TRUE(set_member(2, failed.get()) != 0 && set_member(4, failed.get()) != 0);
  set_emptyset(failed.get());
  Set only;
  set_type o = nullptr;
  set_initialize(&o, in.rows);
  set_addelem(o, 1);
  set_addelem(o, 3);
  only.reset(o);
  EXPECT_TRUE(zonix::holds_exactly(in, out, only.get(), failed.get()));
  EXPECT_EQ(set_card(failed.get()), 0);
}

// The progress hook hears of every row once the loop is done, with the
// rows kept; a cancel hook that answers at once stops the loop.
struct Heard {
  long calls = 0, done = -1, total = -1, kept = -1;
  std::string stage;
};

void listen(void *user, const char *stage, long done, long total, long kept)
{
  auto *h = static_cast<Heard *>(user);
  ++h->calls;
  h->stage = stage;
  h->done = done;
  h->total = total;
  h->kept = kept;
}

int stop_now(void *) { return 1; }

// 400 rows tangent to x2 >= x1^2 at x1 = -10..9 (20 rows), each repeated
// with its constant raised by 1..19: the 20 tangents are kept.
Matrix tangents()
{
  Rows rows;
  for (int k = 0; k < 20; ++k)
    for (int a = -10; a < 10; ++a) rows.push_back({static_cast<double>(a * a + k), -2.0 * a, 1});
  return matrix(rows);
}

TEST(ReduceHooks, ProgressEndsWithEveryRowAndTheRowsKept)
{
  Matrix M = tangents();
  Heard h;
  dd_SetRowProgressHook(listen, &h);
  dd_ErrorType err = dd_NoError;
  Set red(dd_RedundantRowsWith(M.get(), dd_RedundancyClarkson, &err));
  dd_SetRowProgressHook(nullptr, nullptr);
  ASSERT_EQ(err, dd_NoError);
  EXPECT_EQ(set_card(red.get()), 380);
  for (long i = 1; i <= 20; ++i) EXPECT_FALSE(set_member(i, red.get())) << i;
  EXPECT_GE(h.calls, 2);
  EXPECT_EQ(h.stage, "redundancy");
  EXPECT_EQ(h.done, 400);
  EXPECT_EQ(h.total, 400);
  EXPECT_EQ(h.kept, 20);
}

TEST(ReduceHooks, CancelStopsEveryMethod)
{
  Matrix M = tangents();
  for (dd_RedundancyMethod method : {dd_RedundancyEachRow, dd_RedundancyClarkson}) {
    dd_SetCancelHook(stop_now, nullptr);
    dd_ErrorType err = dd_NoError;
    // The hook is asked at most every millisecond: spin until it is.
    Set red;
    for (int k = 0; k < 1000 && err != dd_Interrupted; ++k) {
      red.reset(dd_RedundantRowsWith(M.get(), method, &err));
    }
    dd_SetCancelHook(nullptr, nullptr);
    EXPECT_EQ(err, dd_Interrupted) << method;
  }
}

// Many points of the cube [-4,4]^3: its 8 vertices at the end, before them
// points inside, on its faces and edges, and copies of vertices; only the
// vertices stay (each once, the first copy).  Enough points for the cut by
// the hull of far points to run first.
TEST(ReduceMany, PointsOfACubeKeepItsVertices)
{
  Rows rows;
  for (int k = 0; k < 2386; ++k) {
    const double a = k % 7 - 3, b = (k / 7) % 7 - 3, c = (k / 49) % 7 - 3;
    rows.push_back({1, a, b, k % 5 == 0 ? 4.0 : c});  // a fifth on the face z = 4
  }
  for (int t = -3; t <= 3; ++t) {  // on two edges
    rows.push_back({1, static_cast<double>(t), 4, 4});
    rows.push_back({1, 4, static_cast<double>(t), -4});
  }
  rows.push_back({1, 4, 4, 4});  // a vertex before its copy below
  for (int v = 0; v < 8; ++v) rows.push_back({1, v & 1 ? 4.0 : -4.0, v & 2 ? 4.0 : -4.0, v & 4 ? 4.0 : -4.0});
  Matrix M = matrix(rows, dd_Generator);
  Members kept;
  for (long i = 2401; i <= 2409; ++i)
    if (i != 2409) kept.push_back(i);  // 2409 repeats 2401
  for (auto method : {dd_RedundancyClarkson, dd_RedundancyAuto}) {
    dd_ErrorType err = dd_NoError;
    Set red(dd_RedundantRowsWith(M.get(), method, &err));
    ASSERT_EQ(err, dd_NoError);
    Members stay;
    for (long i = 1; i <= M->rowsize; ++i)
      if (!set_member(i, red.get())) stay.push_back(i);
    EXPECT_EQ(stay, kept) << method;
  }
}

TEST(ReduceChoice, AutoByShape)
{
  Matrix small = matrix(kSquare);
  EXPECT_EQ(dd_ChooseRedundancyMethod(small.get(), dd_RedundancyAuto), dd_RedundancyEachRow);
  Matrix many = tangents();
  EXPECT_EQ(dd_ChooseRedundancyMethod(many.get(), dd_RedundancyAuto), dd_RedundancyClarkson);
  EXPECT_EQ(dd_ChooseRedundancyMethod(small.get(), dd_RedundancyEachRow), dd_RedundancyEachRow);
  EXPECT_EQ(dd_ChooseRedundancyMethod(nullptr, dd_RedundancyAuto), dd_RedundancyEachRow);
  Rows points;
  for (int k = 0; k < 300; ++k) points.push_back({1, static_cast<double>(k % 17), static_cast<double>(k % 23)});
  Matrix P = matrix(points, dd_Generator);
  EXPECT_EQ(dd_ChooseRedundancyMethod(P.get(), dd_RedundancyAuto), dd_RedundancyClarkson);
}

}  // namespace

namespace {

// The points (x, y, x^2 + y^2) for integers |x|, |y| <= 15 are extreme:
// the plane tangent to the paraboloid at one leaves every other strictly
// above it.  (x, y, x^2 + y^2 + k) for |x|, |y| <= 14 and 1 <= k <= 20 lie
// between (x, y, x^2 + y^2) and (x, y, x^2 + 225), the midpoint of
// (x, -15) and (x, 15) on the paraboloid, so inside.  Enough of both that
// auto proves the dropped points on a sample of the kept ones first.
TEST(ReduceAuto, PointsOnAndAboveAParaboloid)
{
  Rows rows;
  Members inner;
  for (int x = -15; x <= 15; ++x)
    for (int y = -15; y <= 15; ++y) rows.push_back({1, static_cast<double>(x), static_cast<double>(y),
                                                    static_cast<double>(x * x + y * y)});
  for (int k = 1; k <= 20; ++k)
    for (int x = -14; x <= 14; ++x)
      for (int y = -14; y <= 14; ++y) {
        rows.push_back({1, static_cast<double>(x), static_cast<double>(y), static_cast<double>(x * x + y * y + k)});
        inner.push_back(static_cast<long>(rows.size()));
      }
  const Matrix M = matrix(rows, dd_Generator);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  const Set s(zonix::row_query(M.get(), zonix::RowQuery::Redundant, zonix::Arithmetic::Auto, &err, &exact));
  ASSERT_EQ(err, dd_NoError);
  EXPECT_TRUE(exact);
  EXPECT_EQ(members(s.get()), inner);
}

}  // namespace

namespace {

// In five dimensions: (x, |x|^2) for x in {-2..2}^4 are extreme, as on the
// paraboloid above; (0, y, |y|^2 + j/8) for y in {-2..2}^3 and 1 <= j <= 31
// lie between (0, y, |y|^2) and the midpoint (0, y, |y|^2 + 4) of
// (+-2, y, |y|^2 + 4), so not.  Their hull has far more facets than
// points: auto proves the answer by the rows' LPs instead.
TEST(ReduceAuto, PointsAboveAParaboloidInFiveDimensions)
{
  Rows rows;
  Members inner;
  for (int a = -2; a <= 2; ++a)
    for (int b = -2; b <= 2; ++b)
      for (int c = -2; c <= 2; ++c)
        for (int e = -2; e <= 2; ++e)
          rows.push_back({1, 1.0 * a, 1.0 * b, 1.0 * c, 1.0 * e, 1.0 * (a * a + b * b + c * c + e * e)});
  for (int j = 1; j <= 31; ++j)
    for (int b = -2; b <= 2; ++b)
      for (int c = -2; c <= 2; ++c)
        for (int e = -2; e <= 2; ++e) {
          rows.push_back({1, 0, 1.0 * b, 1.0 * c, 1.0 * e, (b * b + c * c + e * e) + j / 8.0});
          inner.push_back(static_cast<long>(rows.size()));
        }
  const Matrix M = matrix(rows, dd_Generator);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  const Set s(zonix::row_query(M.get(), zonix::RowQuery::Redundant, zonix::Arithmetic::Auto, &err, &exact));
  ASSERT_EQ(err, dd_NoError);
  EXPECT_TRUE(exact);
  EXPECT_EQ(members(s.get()), inner);
}

}  // namespace

namespace {

// Rational rows in five variables (x in R^4, t): the planes tangent to
// t = |x|^2 at the grid {-2..2}^4, t >= 2u.x - |u|^2, are facets.  At a
// midpoint u of two grid neighbours v, w the tangent lowered by delta is
// implied by the grid's tangents exactly when delta >= |v - w|^2 / 4 = 1/4
// (u = (v + w)/2 and (|v|^2 + |w|^2)/2 = |u|^2 + 1/4): lowered by 1/3 it
// goes, by 1/5 it stays.  Over 4,000 rows, which double cannot hold:
// auto removes in double and proves the answer on the exact rows.
TEST(ReduceAuto, RationalTangentsLoweredAtMidpoints)
{
  zonix::QMatrix q;
  q.cols = 6;
  Members removed;
  auto add = [&](const std::vector<mpq_class> &u, const mpq_class &delta) {
    mpq_class sq = 0;
    for (const auto &x : u) sq += x * x;
    q.entries.push_back(sq + delta);
    for (const auto &x : u) q.entries.push_back(-2 * x);
    q.entries.push_back(1);
    ++q.rows;
  };
  std::vector<std::vector<mpq_class>> grid;
  for (int a = -2; a <= 2; ++a)
    for (int b = -2; b <= 2; ++b)
      for (int c = -2; c <= 2; ++c)
        for (int e = -2; e <= 2; ++e) grid.push_back({a, b, c, e});
  for (const auto &u : grid) add(u, 0);
  for (const auto &v : grid)
    for (int i = 0; i < 4; ++i) {
      if (v[static_cast<size_t>(i)] == 2) continue;
      std::vector<mpq_class> u = v;
      u[static_cast<size_t>(i)] += mpq_class(1, 2);
      add(u, mpq_class(1, 3));
      removed.push_back(q.rows);
      add(u, mpq_class(1, 5));
    }
  ASSERT_GT(q.rows, 4000);
  const Matrix M(zonix::to_double(q));
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  const Set s(zonix::row_query(M.get(), zonix::RowQuery::Redundant, zonix::Arithmetic::Auto, &err, &exact, &q));
  ASSERT_EQ(err, dd_NoError);
  EXPECT_TRUE(exact);
  EXPECT_EQ(members(s.get()), removed);
}

}  // namespace

namespace {

// What the output-sensitive method leaves for the proof of its answer, on
// points (x, |x|^2) of a grid in three dimensions (extreme) and points
// (x, |x|^2 + k) above them (inside): every shot lies beyond its own row
// only of the rows kept (z.g < 0 there, > 0 on the others, in exact
// arithmetic from the doubles given), and every basis names rows kept.
// The method meets every kept point by a ray and decides nearly every
// inner one by an LP over rows it keeps (243 of 250 here).
TEST(ReduceTrail, ShotsBeyondTheirRowBasesOfKeptRows)
{
  Rows rows;
  Members inner;
  for (int k = 0; k <= 2; ++k)
    for (int x = -3 + (k > 0); x <= 3 - (k > 0); ++x)
      for (int y = -3 + (k > 0); y <= 3 - (k > 0); ++y)
        for (int w = -3 + (k > 0); w <= 3 - (k > 0); ++w) {
          rows.push_back({1, 1.0 * x, 1.0 * y, 1.0 * w, 1.0 * (x * x + y * y + w * w + k)});
          if (k > 0) inner.push_back(static_cast<long>(rows.size()));
        }
  const Matrix M = matrix(rows, dd_Generator);
  dd_ErrorType err = dd_NoError;
  zonix::lp::Trail trail;
  const Set s(zonix::lp::clarkson_with_trail(M.get(), &err, &trail));
  ASSERT_EQ(err, dd_NoError);
  ASSERT_EQ(members(s.get()), inner);
  std::vector<size_t> kept;
  for (size_t i = 0; i < rows.size(); ++i)
    if (set_member(static_cast<long>(i) + 1, s.get()) == 0) kept.push_back(i);
  size_t shots = 0, bases = 0;
  for (const size_t i : kept) {
    const auto &z = trail.shot[i];
    if (z.empty()) continue;
    ++shots;
    ASSERT_EQ(z.size(), rows[i].size() + 1);
    for (const size_t k : kept) {
      mpq_class v = 0;
      for (size_t j = 0; j < rows[k].size(); ++j) v += mpq_class(rows[k][j]) * mpq_class(z[j + 1]);
      EXPECT_EQ(sgn(v), k == i ? -1 : 1) << "shot of row " << i + 1 << " at row " << k + 1;
    }
  }
  for (const long r : inner) {
    if (trail.based[static_cast<size_t>(r - 1)] == 0) continue;
    ++bases;
    const auto &b = trail.basis[static_cast<size_t>(r - 1)];
    EXPECT_LE(b.size(), rows[0].size());
    for (const dd_rowrange k : b) EXPECT_TRUE(std::binary_search(kept.begin(), kept.end(), static_cast<size_t>(k))) << r;
  }
  EXPECT_EQ(shots, kept.size());
  EXPECT_GE(bases * 10, inner.size() * 9);
}

}  // namespace
