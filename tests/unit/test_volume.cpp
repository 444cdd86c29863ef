// Volumes against closed forms: cubes, simplices, cross-polytopes, a
// prism, images under integer maps (the volume times |det|), in both
// representations and every arithmetic; flat, empty and unbounded sets;
// coordinates large enough to leave 64-bit integers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "families.h"
#include "support.hpp"
#include "zonixvolume.h"

using namespace zonix::test;
namespace fam = zonix::families;
using fam::Rep;

namespace {

mpq_class factorial(int d)
{
  mpz_class f = 1;
  for (int k = 2; k <= d; ++k) f *= k;
  return mpq_class(f);
}

mpq_class power(mpq_class x, int d)
{
  mpq_class p = 1;
  for (int k = 0; k < d; ++k) p *= x;
  return p;
}

// The instance's exact rows and their doubles.
struct Exact {
  Matrix M;
  zonix::QMatrix q;
};

Exact exact_of(const fam::Instance &inst)
{
  dd_set_global_constants();
  Exact e{Matrix(fam::to_matrix(inst)), {}};
  e.q.rows = inst.rowcount();
  e.q.cols = inst.cols;
  e.q.representation = inst.rep == Rep::H ? dd_Inequality : dd_Generator;
  e.q.linearity = inst.linearity;
  for (const auto &row : inst.rows)
    for (const auto &x : row) e.q.entries.emplace_back(mpz_class(std::to_string(x.num)), mpz_class(std::to_string(x.den)));
  for (mpq_class &x : e.q.entries) x.canonicalize();
  return e;
}

// x -> T x + t on a V instance (points only), T integer.
fam::Instance mapped(fam::Instance inst, const std::vector<std::vector<long>> &T, const std::vector<long> &t)
{
  for (auto &row : inst.rows) {
    std::vector<fam::Rational> out = {row[0]};
    for (size_t i = 0; i < T.size(); ++i) {
      long num = t[i], den = 1;  // all entries integers here
      for (size_t j = 0; j < T.size(); ++j) num += T[i][j] * static_cast<long>(row[j + 1].num);
      out.push_back(fam::rat(num, den));
    }
    row = out;
  }
  return inst;
}

fam::Instance prism()
{
  // Triangle conv(0, e1, e2) times [0, 3]: 3/2.
  fam::Instance p;
  p.rep = Rep::V;
  p.cols = 4;
  for (int h : {0, 3})
    for (auto [a, b] : {std::pair{0, 0}, {1, 0}, {0, 1}})
      p.rows.push_back({fam::rat(1), fam::rat(a), fam::rat(b), fam::rat(h)});
  return p;
}

fam::Instance prism_h()
{
  fam::Instance p;
  p.rep = Rep::H;
  p.cols = 4;
  // x >= 0, y >= 0, 1 - x - y >= 0, z >= 0, 3 - z >= 0
  for (std::vector<int> r : {std::vector<int>{0, 1, 0, 0}, {0, 0, 1, 0}, {1, -1, -1, 0}, {0, 0, 0, 1}, {3, 0, 0, -1}}) {
    std::vector<fam::Rational> row;
    for (int x : r) row.push_back(fam::rat(x));
    p.rows.push_back(row);
  }
  return p;
}

// The standard (d-1)-simplex in x_d = 0 and the points above and below
// its centroid at height 1: simplicial, 2d facets, volume 2 / d!.
fam::Instance bipyramid(int d)
{
  fam::Instance p;
  p.rep = Rep::V;
  p.cols = d + 1;
  for (int i = 0; i < d; ++i) {
    std::vector<fam::Rational> row(static_cast<size_t>(d + 1), fam::rat(0));
    row[0] = fam::rat(1);
    if (i > 0) row[static_cast<size_t>(i)] = fam::rat(1);
    p.rows.push_back(row);
  }
  for (int h : {1, -1}) {
    std::vector<fam::Rational> row(static_cast<size_t>(d + 1), fam::rat(1, d));
    row[0] = fam::rat(1);
    row[static_cast<size_t>(d)] = fam::rat(h);
    p.rows.push_back(row);
  }
  return p;
}

struct Case {
  std::string name;
  fam::Instance inst;
  mpq_class volume;
};

std::vector<Case> cases()
{
  std::vector<Case> out;
  for (Rep r : {Rep::H, Rep::V}) {
    const std::string s = r == Rep::H ? "-h" : "-v";
    for (int d = 1; d <= 6; ++d) {
      out.push_back({"cube" + s + std::to_string(d), fam::hypercube(r, d), power(2, d)});
      out.push_back({"simplex" + s + std::to_string(d), fam::simplex(r, d), 1 / factorial(d)});
      if (d >= 2)
        out.push_back({"cross" + s + std::to_string(d), fam::cross_polytope(r, d), power(2, d) / factorial(d)});
    }
    // The cube moved off the origin: the same volume.
    out.push_back({"cube-moved" + s, fam::translate(fam::hypercube(r, 4), {5, -3, 7, 100}), 16});
  }
  for (int d = 3; d <= 7; ++d) out.push_back({"bipyramid-" + std::to_string(d), bipyramid(d), 2 / factorial(d)});
  out.push_back({"prism-v", prism(), mpq_class(3, 2)});
  out.push_back({"prism-h", prism_h(), mpq_class(3, 2)});
  // Under T with det 2*1*3 = 6 the cross-polytope's 8/6 becomes 8.
  out.push_back({"cross-mapped", mapped(fam::cross_polytope(Rep::V, 3), {{2, 1, 0}, {0, 1, 5}, {0, 0, 3}}, {1, 2, -4}), 8});
  // det 7 (shear and scale) on the 5-cube: 7 * 32.
  out.push_back({"cube-mapped", mapped(fam::hypercube(Rep::V, 5), {{1, 2, 0, 0, 0}, {0, 7, 0, 0, 1}, {0, 0, 1, 0, 0}, {0, 0, 3, 1, 0}, {0, 0, 0, 0, 1}}, {0, 0, 0, 0, 0}), 224});
  // Points inside and on faces, and repeats, change nothing.
  out.push_back({"cube-with-inner", fam::with_combinations(fam::hypercube(Rep::V, 3), 12, 4), 8});
  out.push_back({"cube-repeated", fam::repeat_rows(fam::hypercube(Rep::V, 3), 2), 8});
  out.push_back({"cube-h-repeated", fam::repeat_rows(fam::hypercube(Rep::H, 3), 2), 8});
  // Simplicial, each facet given three times: 2^4 / 4!.
  out.push_back({"cross-h-repeated", fam::repeat_rows(fam::cross_polytope(Rep::H, 4), 3), mpq_class(2, 3)});
  out.push_back({"cross-v-repeated", fam::repeat_rows(fam::cross_polytope(Rep::V, 4), 2), mpq_class(2, 3)});
  return out;
}

TEST(Volume, ClosedFormsInEveryArithmetic)
{
  for (const Case &c : cases()) {
    SCOPED_TRACE(c.name);
    Exact e = exact_of(c.inst);
    // Auto takes integers as exact data by themselves; other numbers
    // only with their exact rows.
    bool integers = true;
    for (const auto &row : c.inst.rows)
      for (const auto &x : row) integers = integers && x.den == 1;
    for (auto a : {zonix::Arithmetic::Exact, zonix::Arithmetic::Auto}) {
      const zonix::Volume v = zonix::volume(e.M.get(), a, integers ? nullptr : &e.q);
      ASSERT_EQ(v.error, dd_NoError);
      EXPECT_EQ(v.kind, dd_VolumeBounded);
      ASSERT_TRUE(v.exact);
      EXPECT_EQ(v.fraction, c.volume) << v.fraction.get_str();
      EXPECT_DOUBLE_EQ(v.value, c.volume.get_d());
    }
    const zonix::Volume w = zonix::volume(e.M.get(), zonix::Arithmetic::Double);
    ASSERT_EQ(w.error, dd_NoError);
    EXPECT_FALSE(w.exact);
    EXPECT_NEAR(w.value, c.volume.get_d(), 1e-12 * c.volume.get_d());
  }
}

TEST(Volume, CountsOfTheTriangulation)
{
  // A pulling triangulation of the d-cube has d! simplices; of the
  // cross-polytope (simplicial), its 2^(d-1) facets that miss the first
  // vertex, however often a facet is given; a simplex is its own.
  struct Count {
    const char *name;
    fam::Instance inst;
    long simplices, vertices, facets;
  };
  const std::vector<Count> counts = {
      {"cube-v-5", fam::hypercube(Rep::V, 5), 120, 32, 10},
      {"cross-h-5", fam::cross_polytope(Rep::H, 5), 16, 10, 32},
      {"cross-v-6", fam::cross_polytope(Rep::V, 6), 32, 12, 64},
      {"cross-h-4 twice", fam::repeat_rows(fam::cross_polytope(Rep::H, 4), 2), 8, 8, 16},
      {"simplex-h-4", fam::simplex(Rep::H, 4), 1, 5, 5},
      // The first vertex (the base's origin) is on all but 2 of its 2d
      // facets: those of the base's opposite facet.
      {"bipyramid-5", bipyramid(5), 2, 7, 10},
  };
  for (const Count &c : counts) {
    SCOPED_TRACE(c.name);
    Exact e = exact_of(c.inst);
    for (auto a : {zonix::Arithmetic::Exact, zonix::Arithmetic::Double}) {
      const zonix::Volume v = zonix::volume(e.M.get(), a);
      ASSERT_EQ(v.error, dd_NoError);
      EXPECT_EQ(v.simplices, c.simplices);
      EXPECT_EQ(v.vertices, c.vertices);
      EXPECT_EQ(v.facets, c.facets);
    }
  }
}

TEST(Volume, RationalRowsAreTakenExactly)
{
  // [0, 2/3]^3 and the simplex with legs 1/3, 1/5, 1/7: numbers no double
  // holds, read exactly when the rows are given.
  fam::Instance cube;
  cube.rep = Rep::H;
  cube.cols = 4;
  fam::Instance tri;
  tri.rep = Rep::V;
  tri.cols = 4;
  tri.rows.push_back({fam::rat(1), fam::rat(0), fam::rat(0), fam::rat(0)});
  for (int j = 0; j < 3; ++j) {
    std::vector<fam::Rational> lo(4, fam::rat(0)), hi(4, fam::rat(0)), p(4, fam::rat(0));
    lo[j + 1] = fam::rat(1);
    hi[0] = fam::rat(2, 3);
    hi[j + 1] = fam::rat(-1);
    cube.rows.push_back(lo);
    cube.rows.push_back(hi);
    p[0] = fam::rat(1);
    p[j + 1] = fam::rat(1, 2 * j + 3);
    tri.rows.push_back(p);
  }
  for (auto [inst, want] : {std::pair{cube, mpq_class(8, 27)}, {tri, mpq_class(1, 630)}}) {
    Exact e = exact_of(inst);
    for (auto a : {zonix::Arithmetic::Exact, zonix::Arithmetic::Auto}) {
      const zonix::Volume v = zonix::volume(e.M.get(), a, &e.q);
      ASSERT_EQ(v.error, dd_NoError);
      EXPECT_EQ(v.fraction, want) << v.fraction.get_str();
    }
    // The doubles alone, typed real, are measured data: auto computes in double.
    e.M->numbtype = dd_Real;
    const zonix::Volume w = zonix::volume(e.M.get(), zonix::Arithmetic::Auto);
    EXPECT_FALSE(w.exact);
    EXPECT_NEAR(w.value, want.get_d(), 1e-12);
  }
  // Typed rational, fractions that doubles hold are exact data: [0, 1/2] x [0, 1/4] x [0, 1/8]
  // has volume 1/64, exactly, with no rows given beside the doubles.
  fam::Instance box;
  box.rep = Rep::H;
  box.cols = 4;
  for (int j = 0; j < 3; ++j) {
    std::vector<fam::Rational> lo(4, fam::rat(0)), hi(4, fam::rat(0));
    lo[j + 1] = fam::rat(1), hi[0] = fam::rat(1, 2 << j), hi[j + 1] = fam::rat(-1);
    box.rows.push_back(lo), box.rows.push_back(hi);
  }
  Exact b = exact_of(box);
  b.M->numbtype = dd_Rational;
  const zonix::Volume w = zonix::volume(b.M.get(), zonix::Arithmetic::Auto);
  EXPECT_TRUE(w.exact);
  EXPECT_EQ(w.fraction, mpq_class(1, 64)) << w.fraction.get_str();
}

TEST(Volume, BeyondSixtyFourBits)
{
  // [-2^40, 2^40]^3 (determinants near 2^123) and the simplex with
  // legs 2^62: GMP takes over from the machine integers.
  const long big = 1L << 40;
  Exact e = exact_of(mapped(fam::hypercube(Rep::V, 3), {{big, 0, 0}, {0, big, 0}, {0, 0, big}}, {0, 0, 0}));
  zonix::Volume v = zonix::volume(e.M.get(), zonix::Arithmetic::Exact);
  ASSERT_EQ(v.error, dd_NoError);
  mpz_class want = 1;
  want <<= 123;
  EXPECT_EQ(v.fraction, mpq_class(want));
  fam::Instance s = fam::simplex(Rep::V, 2);
  for (auto &row : s.rows)
    for (size_t j = 1; j < row.size(); ++j) row[j] = fam::rat(row[j].num * (1L << 62));
  Exact t = exact_of(s);
  v = zonix::volume(t.M.get(), zonix::Arithmetic::Exact);
  ASSERT_EQ(v.error, dd_NoError);
  mpz_class legs = 1;
  legs <<= 124;
  mpq_class half(legs, 2);
  half.canonicalize();
  EXPECT_EQ(v.fraction, half);
}

TEST(Volume, FlatEmptyAndUnbounded)
{
  struct Odd {
    const char *name;
    fam::Instance inst;
    dd_VolumeKind kind;
  };
  fam::Instance empty;
  empty.rep = Rep::H;
  empty.cols = 2;
  empty.rows = {{fam::rat(-1), fam::rat(1)}, {fam::rat(0), fam::rat(-1)}};  // x >= 1, x <= 0
  const std::vector<Odd> odd = {
      {"cube on a hyperplane (V)", fam::on_hyperplane(fam::hypercube(Rep::V, 3), 3), dd_VolumeFlat},
      {"cube on a hyperplane (H)", fam::on_hyperplane(fam::hypercube(Rep::H, 3), 3), dd_VolumeFlat},
      {"empty", empty, dd_VolumeFlat},
      {"cylinder (V)", fam::cylinder(fam::hypercube(Rep::V, 2)), dd_VolumeUnbounded},
      {"cylinder (H)", fam::cylinder(fam::hypercube(Rep::H, 2)), dd_VolumeUnbounded},
      {"pyramid cone", fam::cone_over(fam::hypercube(Rep::V, 2)), dd_VolumeUnbounded},
  };
  for (const Odd &o : odd) {
    SCOPED_TRACE(o.name);
    Exact e = exact_of(o.inst);
    for (auto a : {zonix::Arithmetic::Exact, zonix::Arithmetic::Double, zonix::Arithmetic::Auto}) {
      const zonix::Volume v = zonix::volume(e.M.get(), a);
      ASSERT_EQ(v.error, dd_NoError);
      EXPECT_EQ(v.kind, o.kind);
      EXPECT_EQ(v.value, o.kind == dd_VolumeFlat ? 0.0 : HUGE_VAL);
    }
  }
}

TEST(Volume, StopsWhenAsked)
{
  // The 7-cube's 5040 simplices pass the walk's check for a stop; the
  // hook says stop at once, so whatever asks first, the run ends so.
  Exact e = exact_of(fam::hypercube(Rep::V, 7));
  dd_SetCancelHook([](void *) { return 1; }, nullptr);
  for (auto a : {zonix::Arithmetic::Exact, zonix::Arithmetic::Double}) {
    const zonix::Volume v = zonix::volume(e.M.get(), a);
    EXPECT_EQ(v.error, dd_Interrupted);
  }
  dd_SetCancelHook(nullptr, nullptr);
  EXPECT_EQ(zonix::volume(e.M.get(), zonix::Arithmetic::Exact).fraction, 128);
}

TEST(Volume, CInterface)
{
  Exact e = exact_of(fam::cross_polytope(Rep::V, 4));
  dd_ErrorType err = dd_NoError;
  dd_VolumePtr v = dd_PolyVolume(e.M.get(), dd_VolumeAuto, &err);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_TRUE(v->exact);
  EXPECT_STREQ(v->numerator, "2");
  EXPECT_STREQ(v->denominator, "3");
  dd_FreeVolume(v);
  v = dd_PolyVolume(e.M.get(), dd_VolumeDouble, &err);
  ASSERT_NE(v, nullptr);
  EXPECT_FALSE(v->exact);
  EXPECT_EQ(v->numerator, nullptr);
  EXPECT_NEAR(v->value, 2.0 / 3.0, 1e-14);
  dd_FreeVolume(v);
  dd_FreeVolume(nullptr);
  Matrix none = matrix({{1.0}}, dd_Generator);
  EXPECT_EQ(dd_PolyVolume(none.get(), dd_VolumeExact, &err), nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
}

}  // namespace
