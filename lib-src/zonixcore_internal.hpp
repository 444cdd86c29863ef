// Internal helpers of the double description engine: the per-cone
// workspace, ray records and word-wise face tests.  Not a public header.
#ifndef ZONIX_CORE_INTERNAL_HPP
#define ZONIX_CORE_INTERNAL_HPP

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <vector>

#include "zonixcore.h"
#include "zonixdd.h"

namespace zonix::core {

using set_word = std::remove_pointer_t<set_type>;

// Number of data words (word 0 excluded) of a set of ground size n.
inline long set_data_words(long n) { return set_blocks(n) - 1; }

// A bit set kept between calls within a workspace.  It is re-made, empty,
// when the requested ground size changes.
class ScratchSet {
 public:
  set_type get(long n)
  {
    const long g = n > 0 ? n : 1;
    if (words_.empty() || static_cast<long>(words_[0]) != g) {
      words_.assign(static_cast<size_t>(set_blocks(g)), 0u);
      words_[0] = static_cast<set_word>(g);
    }
    return words_.data();
  }

 private:
  std::vector<set_word> words_;
};

// A row of numbers kept between calls within a workspace, re-made
// (zeroed) when the requested length changes.
class ScratchRow {
 public:
  ScratchRow() = default;
  ScratchRow(const ScratchRow &) = delete;
  ScratchRow &operator=(const ScratchRow &) = delete;
  ~ScratchRow() { dd_FreeArow(len_, row_); }
  mytype *get(long d)
  {
    if (row_ == nullptr || d != len_) {
      dd_FreeArow(len_, row_);
      row_ = nullptr;
      dd_InitializeArow(d > 0 ? d : 1, &row_);
      len_ = d;
    }
    return row_;
  }

 private:
  dd_Arow row_ = nullptr;
  long len_ = -1;
};

// A ray record is one block: the record, its coordinates with the
// accuracy slot after them (d + 1 numbers, d at least 1), a tag word, and
// the zero set when the row count was known at creation.  The tag holds
// the ray's conflict set (allocated apart, only for rays that violate a
// row) and, in bit 0, whether the zero set is the one in the block.
inline dd_colrange ray_numbers(dd_colrange d) { return (d > 0 ? d : 1) + 1; }
inline size_t ray_tag_offset(dd_colrange d)
{
  constexpr size_t a = alignof(mytype) > alignof(std::uintptr_t) ? alignof(mytype) : alignof(std::uintptr_t);
  const size_t n = (sizeof(dd_RayType) + a - 1) / a * a +
                   static_cast<size_t>(ray_numbers(d)) * sizeof(mytype);
  return (n + a - 1) / a * a;
}
inline std::uintptr_t &ray_tag(dd_RayPtr r, dd_colrange d)
{
  return *reinterpret_cast<std::uintptr_t *>(reinterpret_cast<char *>(r) + ray_tag_offset(d));
}
inline constexpr std::uintptr_t zero_set_inline = 1;

// A new ray record with d zero coordinates and accuracy 0 (exact), an
// empty zero set of ground size m when m > 0 (none otherwise), no
// conflicts, ARay 0 and no successor.
inline dd_RayPtr new_ray(dd_colrange d, long m = 0)
{
  const size_t sets = m > 0 ? static_cast<size_t>(set_blocks(m)) * sizeof(set_word) : 0;
  const size_t size = ray_tag_offset(d) + sizeof(std::uintptr_t) + sets;
  auto *block = static_cast<char *>(std::calloc(1, size));
  auto *r = reinterpret_cast<dd_RayPtr>(block);
  constexpr size_t a = alignof(mytype) > alignof(std::uintptr_t) ? alignof(mytype) : alignof(std::uintptr_t);
  r->Ray = reinterpret_cast<mytype *>(block + (sizeof(dd_RayType) + a - 1) / a * a);
  // calloc's zero bits are 0.0; rationals need their own start.
#ifdef ZONIX_EXACT
  for (dd_colrange j = 0; j < ray_numbers(d); ++j) ddd_init(r->Ray[j]);
#endif
  ddd_init(r->ARay);
  if (m > 0) {
    r->ZeroSet = reinterpret_cast<set_type>(block + ray_tag_offset(d) + sizeof(std::uintptr_t));
    r->ZeroSet[0] = static_cast<set_word>(m);
    ray_tag(r, d) = zero_set_inline;
  }
  return r;
}

// *val := row . p over d entries, summed from exact zero in increasing
// column order (the value dd_AValue gives, without the call).
inline void row_dot(mytype val, const mytype *row, const mytype *p,
                    dd_colrange d)
{
  ddd_set(val, dd_purezero);
  for (dd_colrange j = 0; j < d; ++j) ddd_addmul(val, row[j], p[j]);
}

// ---- rounding residues ------------------------------------------------------
// The tolerance dd_zero is absolute.  Alone it fails once the terms of a
// value are large: the rounding residue of a sum grows with its terms
// while the tolerance stays put, so a value that is 0 in exact arithmetic
// comes out beyond 1e-7 and a ray falls off a row it lies on, or a
// coordinate that is exactly 0 stays as a residue that the normalisation
// then divides by.
//
// So each ray carries the accuracy of its coordinates, an absolute bound
// E on their error as far as it can be seen: the largest residue the ray
// shows on the rows it lies on by construction, each divided by the
// 1-norm of its row (the least coordinate error that explains it).  A
// value of the ray on row k, whose exact value is within E * |A_k|_1 of
// the computed one plus the rounding of the sum itself ((d+1) u times the
// absolute sum of its terms), is taken as zero within residue_factor
// times that bound.  The test only adds zeros beyond the absolute
// tolerance: for exact rays and small terms it decides as the absolute
// test does.

// Unit roundoff of the number type; rationals round nothing, and every
// bound built on it vanishes.
#ifdef ZONIX_EXACT
inline constexpr double unit_roundoff = 0.0;
#else
inline constexpr double unit_roundoff = 0x1p-53;
#endif
// Whether numbers round at all.  Exact runs skip the residue bounds, which
// are 0 for them, and keep rows and rays as primitive integer vectors.
inline constexpr bool numbers_round = unit_roundoff > 0.0;

// Safety factor over the bounds: the rows a ray is measured on are a
// sample of its errors, not their maximum, and first-order bounds leave
// out how errors compound.  On cyclic polytopes (the hardest family we
// know for doubles) factors from 64 to 256 give correct results wherever
// any factor does; below, true zeros are missed, above, small true values
// start to be taken as zeros.
inline constexpr double residue_factor = 128.0;

// The accuracy of a ray lives in one slot past its coordinates (new_ray
// allocates it).  Only rays made by new_ray have it.
inline double ray_accuracy(dd_RayPtr r, dd_colrange d)
{
  return ddd_get_d(r->Ray[d > 0 ? d : 1]);
}
inline void set_ray_accuracy(dd_RayPtr r, dd_colrange d, double e)
{
  ddd_set_d(r->Ray[d > 0 ? d : 1], e);
}

// |a| exactly (dd_abs keeps values within the tolerance as they are).
inline void exact_abs(mytype r, const mytype a)
{
  if (ddd_sgn(a) < 0)
    ddd_neg(r, a);
  else
    ddd_set(r, a);
}

// A row's value at a point with what its error bound needs.
struct RowValue {
  mytype val;   // row . p
  mytype mag;   // sum of |row_j * p_j|
  mytype norm;  // sum of |row_j|
};

// v[q] := the value of rows[q] at p, q < N, each summed as row_dot sums
// it (from exact zero in increasing column order).  The N sums are interleaved: each is a chain of
// dependent additions, and N chains side by side run in the time of one.
template <int N>
inline void rows_eval(RowValue *v, const mytype *const *rows, const mytype *p,
                      dd_colrange d)
{
  if constexpr (!numbers_round) {
    // Exact sums need no bounds; summed in place, as a temporary costs
    // an allocation.
    for (int q = 0; q < N; ++q) row_dot(v[q].val, rows[q], p, d);
    return;
  }
  mytype x, ax, val[N], mag[N], norm[N];
  ddd_init(x);
  ddd_init(ax);
  for (int q = 0; q < N; ++q) {
    ddd_set(val[q], dd_purezero);
    ddd_set(mag[q], dd_purezero);
    ddd_set(norm[q], dd_purezero);
  }
  for (dd_colrange j = 0; j < d; ++j) {
    for (int q = 0; q < N; ++q) {
      ddd_mul(x, rows[q][j], p[j]);
      ddd_add(val[q], val[q], x);
      exact_abs(ax, x);
      ddd_add(mag[q], mag[q], ax);
      exact_abs(ax, rows[q][j]);
      ddd_add(norm[q], norm[q], ax);
    }
  }
  for (int q = 0; q < N; ++q) {
    ddd_set(v[q].val, val[q]);
    ddd_set(v[q].mag, mag[q]);
    ddd_set(v[q].norm, norm[q]);
  }
  ddd_clear(x);
  ddd_clear(ax);
}

// v := the value of row at p (summed as row_dot does).
inline void row_eval(RowValue &v, const mytype *row, const mytype *p,
                     dd_colrange d)
{
  rows_eval<1>(&v, &row, p, d);
}

// val[q] := the value of rows[q] at p alone (q < N <= 4), summed as
// row_dot sums it.  The sums run in four named locals: kept in an array,
// or in val (which may alias the rows for all the compiler knows), they
// are stored and reloaded at every step.
template <int N>
inline void rows_value(mytype *val, const mytype *const *rows, const mytype *p,
                       dd_colrange d)
{
  static_assert(N >= 1 && N <= 4);
  if constexpr (!numbers_round) {
    for (int q = 0; q < N; ++q) row_dot(val[q], rows[q], p, d);
    return;
  }
  mytype a0, a1, a2, a3;
  ddd_set(a0, dd_purezero);
  if constexpr (N > 1) ddd_set(a1, dd_purezero);
  if constexpr (N > 2) ddd_set(a2, dd_purezero);
  if constexpr (N > 3) ddd_set(a3, dd_purezero);
  for (dd_colrange j = 0; j < d; ++j) {
    ddd_addmul(a0, rows[0][j], p[j]);
    if constexpr (N > 1) ddd_addmul(a1, rows[1][j], p[j]);
    if constexpr (N > 2) ddd_addmul(a2, rows[2][j], p[j]);
    if constexpr (N > 3) ddd_addmul(a3, rows[3][j], p[j]);
  }
  ddd_set(val[0], a0);
  if constexpr (N > 1) ddd_set(val[1], a1);
  if constexpr (N > 2) ddd_set(val[2], a2);
  if constexpr (N > 3) ddd_set(val[3], a3);
}

// val[q] := the value of row at points[q] alone, likewise.
template <int N>
inline void points_value(mytype *val, const mytype *row,
                         const mytype *const *points, dd_colrange d)
{
  static_assert(N >= 1 && N <= 4);
  if constexpr (!numbers_round) {
    for (int q = 0; q < N; ++q) row_dot(val[q], row, points[q], d);
    return;
  }
  mytype a0, a1, a2, a3;
  ddd_set(a0, dd_purezero);
  if constexpr (N > 1) ddd_set(a1, dd_purezero);
  if constexpr (N > 2) ddd_set(a2, dd_purezero);
  if constexpr (N > 3) ddd_set(a3, dd_purezero);
  for (dd_colrange j = 0; j < d; ++j) {
    ddd_addmul(a0, row[j], points[0][j]);
    if constexpr (N > 1) ddd_addmul(a1, row[j], points[1][j]);
    if constexpr (N > 2) ddd_addmul(a2, row[j], points[2][j]);
    if constexpr (N > 3) ddd_addmul(a3, row[j], points[3][j]);
  }
  ddd_set(val[0], a0);
  if constexpr (N > 1) ddd_set(val[1], a1);
  if constexpr (N > 2) ddd_set(val[2], a2);
  if constexpr (N > 3) ddd_set(val[3], a3);
}

// The largest |p_j|.
inline double max_abs(const mytype *p, dd_colrange d)
{
  double r = 0.0;
  mytype a;
  ddd_init(a);
  for (dd_colrange j = 0; j < d; ++j) {
    exact_abs(a, p[j]);
    if (ddd_get_d(a) > r) r = ddd_get_d(a);
  }
  ddd_clear(a);
  return r;
}

// Brings a ray to the scale it is stored at.  Doubles are divided by
// their smallest entry beyond the tolerance (dd_Normalize); rationals
// become the primitive integer vector of the same direction, on which the
// integer paths of the number primitives run.  Positive factors only.
void scale_ray(dd_colrange d, mytype *v);

// Divides the weights of a combination by their common factor: for
// integers their gcd, for doubles nothing.
void reduce_weights(mytype a, mytype b);

#ifdef ZONIX_EXACT
// Makes v the primitive integer vector of its direction: clears the
// denominators, then divides by the gcd of the entries.
void make_primitive(dd_colrange d, mytype *v);

// Entries beyond this many limbs are not approximated: the products of two
// approximations must stay far from overflow (6 limbs: below 2^384).
inline constexpr int approx_limbs = 6;

// out[j] := a double near v[j] (within a relative 2^-52: GMP truncates),
// for the sign filter.  False when some entry is not an integer or is
// too large.
inline bool approximate(const mytype *v, dd_colrange d, double *out)
{
  for (dd_colrange j = 0; j < d; ++j) {
    if (!v[j]->big) {
      out[j] = static_cast<double>(v[j]->v);
      continue;
    }
    mpq_srcptr q = v[j]->q;
    if (!ddd_q_integral(q)) return false;
    const int size = q->_mp_num._mp_size;
    if (size > approx_limbs || size < -approx_limbs) return false;
    out[j] = mpz_get_d(mpq_numref(q));
  }
  return true;
}

// The sign of the product of two integer vectors from their
// approximations, or 2 when the rounding bound cannot tell it from 0.
// Each term is off by at most 5 units of roundoff (two truncations and a
// product), the sum adds d - 1 more; twice that is the bound.
inline int filtered_sign(const double *a, const double *b, dd_colrange d)
{
  double s = 0.0, mag = 0.0;
  for (dd_colrange j = 0; j < d; ++j) {
    const double t = a[j] * b[j];
    s += t;
    mag += t < 0.0 ? -t : t;
  }
  // Nonzero integers approximate to nonzero doubles: all terms vanish
  // only when the exact ones do.
  if (mag == 0.0) return 0;
  const double bound = mag * (2.0 * static_cast<double>(d) + 16.0) * 0x1p-53;
  if (s > bound) return 1;
  if (s < -bound) return -1;
  return 2;
}
#endif

// The 1-norms of a cone's rows (as row_eval sums them), kept in the
// cone's workspace.  The engine forgets them whenever the rows may have
// changed (a new run, scaling, column reduction).
class RowNorms {
 public:
  const double *get(dd_ConePtr cone)
  {
    if (cone != cone_ || cone->A != rows_ || cone->m != m_ || cone->d != d_) {
      cone_ = cone;
      rows_ = cone->A;
      m_ = cone->m;
      d_ = cone->d;
      norms_.assign(static_cast<size_t>(m_ > 0 ? m_ : 0) + 1, 0.0);
      mytype a;
      ddd_init(a);
      for (dd_rowrange k = 1; k <= m_; ++k) {
        double n = 0.0;
        for (dd_colrange j = 0; j < d_; ++j) {
          exact_abs(a, cone->A[k - 1][j]);
          n += ddd_get_d(a);
        }
        norms_[static_cast<size_t>(k)] = n;
      }
      ddd_clear(a);
    }
    return norms_.data();
  }
  void forget(dd_ConePtr cone)
  {
    if (cone == cone_) cone_ = nullptr;
#ifdef ZONIX_EXACT
    if (cone == approx_cone_) approx_cone_ = nullptr;
#endif
  }

#ifdef ZONIX_EXACT
  // Doubles near the rows' entries, d per row (see approximate); a row
  // that has none is marked in approx_ok with 0.
  const double *approx(dd_ConePtr cone, const unsigned char **ok)
  {
    if (cone != approx_cone_ || cone->A != approx_rows_ || cone->m != approx_m_ ||
        cone->d != approx_d_) {
      approx_cone_ = cone;
      approx_rows_ = cone->A;
      approx_m_ = cone->m;
      approx_d_ = cone->d;
      const size_t m = static_cast<size_t>(approx_m_ > 0 ? approx_m_ : 0);
      const size_t d = static_cast<size_t>(approx_d_ > 0 ? approx_d_ : 0);
      approx_.assign((m + 1) * d, 0.0);
      approx_ok_.assign(m + 1, 0);
      for (size_t k = 1; k <= m; ++k)
        approx_ok_[k] = approximate(cone->A[k - 1], approx_d_, approx_.data() + k * d) ? 1 : 0;
    }
    *ok = approx_ok_.data();
    return approx_.data();
  }
#endif

 private:
  dd_ConePtr cone_ = nullptr;
  dd_Amatrix rows_ = nullptr;
  dd_rowrange m_ = -1;
  dd_colrange d_ = -1;
  std::vector<double> norms_;
#ifdef ZONIX_EXACT
  dd_ConePtr approx_cone_ = nullptr;
  dd_Amatrix approx_rows_ = nullptr;
  dd_rowrange approx_m_ = -1;
  dd_colrange approx_d_ = -1;
  std::vector<double> approx_;
  std::vector<unsigned char> approx_ok_;
#endif
};

// What making and storing one ray uses: the combination row, the values
// and weights of the two rays combined, what the combination hands to the
// storing, and the rows to evaluate with their signs.
struct RayScratch {
  ScratchRow new_ray_row;
  RowValue combined[2];
  mytype weights[2];
  // The accuracy of the ray being stored, for its zero tests (0 when the
  // storing functions are called directly).
  double storing_accuracy = 0.0;
  // The accuracy the combination found for the ray it hands on; negative
  // for every other caller, whose rays are measured on the rows.
  double pending_accuracy = -1.0;
  // The rays combined and the row they were combined on: rows where both
  // vanish, and that row, vanish at the new ray (null for other callers).
  const set_word *pending_zero1 = nullptr;
  const set_word *pending_zero2 = nullptr;
  dd_rowrange pending_row = 0;
  // Their conflict sets, where the run keeps them.
  const set_word *pending_conflict1 = nullptr;
  const set_word *pending_conflict2 = nullptr;
  std::vector<dd_rowrange> eval_positions;
  std::vector<int> stored_signs;
  std::vector<double> ray_approx;
  ScratchSet no_conflicts;  // the conflict set of a ray without one
  long alarms = 0;          // numerical alarms not yet handed to the run
  void clear_pending()
  {
    storing_accuracy = 0.0;
    pending_zero1 = pending_zero2 = nullptr;
    pending_conflict1 = pending_conflict2 = nullptr;
    pending_row = 0;
  }
};

// Bucket heads and tails for sorting the zero rays by FirstInfeasIndex.
struct ZeroBuckets {
  std::vector<dd_RayPtr> head, tail;
  void reset(long n)
  {
    head.assign(static_cast<size_t>(n), nullptr);
    tail.assign(static_cast<size_t>(n), nullptr);
  }
};

// The scratch of edge filing (zonixcore_edges.cpp).
struct EdgeScratch;


// An upper bound of value_bound for a row of 1-norm `norm` at a point whose
// largest entry is pmax (the sum of |terms| is at most norm * pmax; the
// last factor covers the rounding of both sides).
inline double value_bound_above(double norm, double pmax, double e,
                                dd_colrange d)
{
  return residue_factor *
         (e * norm + static_cast<double>(d + 1) * unit_roundoff * norm * pmax) *
         1.001;
}

// Sets val to exact zero when |val| <= bound but val is outside the
// absolute tolerance, so that every later sign test (all of them
// absolute) sees a zero.  Values the absolute test takes as zero already
// are left as they are.
inline void snap_residue(mytype val, double bound)
{
  if (dd_EqualToZero(val)) return;
  mytype a;
  ddd_init(a);
  exact_abs(a, val);
  if (ddd_get_d(a) <= bound) ddd_set(val, dd_purezero);
  ddd_clear(a);
}

// The bound of a row value v at a ray of accuracy e in d coordinates.
inline double value_bound(const RowValue &v, double e, dd_colrange d)
{
  return residue_factor *
         (e * ddd_get_d(v.norm) +
          static_cast<double>(d + 1) * unit_roundoff * ddd_get_d(v.mag));
}

// The least coordinate error that explains the residue of a value that is
// zero in exact arithmetic.
inline double residue_accuracy(const RowValue &v)
{
  const double n = ddd_get_d(v.norm);
  if (n <= 0.0) return 0.0;
  const double a = ddd_get_d(v.val);
  return (a < 0 ? -a : a) / n;
}

}  // namespace zonix::core

// What the runs of one cone keep between calls: scratch storage, the
// accuracy handed from a new ray to its storing, and the run's alarms.
// Owned by the cone (made with it, released with it), so that nothing of
// a run is shared with another.
struct dd_workspace {
  dd_workspace() = default;
  dd_workspace(const dd_workspace &) = delete;
  dd_workspace &operator=(const dd_workspace &) = delete;
  ~dd_workspace();

  // Lists of third-ray candidates longer than this are indexed by row when
  // edges are filed; shorter ones are walked, which is faster for them.
  // Either way gives the same run, so tests may move it to compare.
  long third_ray_index_threshold = 32;
  // Threads the run may use (at least 1); results do not depend on it.
  int threads = 1;
  // Whether pairs with a simple ray skip the third-ray search (see
  // simple_ray); the same edges either way, so tests may turn it off.
  bool simple_rays = true;
  // Signs that rounding has already decided something wrongly in this
  // run: a new ray whose residues on the rows it must lie on are far
  // beyond rounding (the two rays combined were in truth both on the new
  // row, so a ray was lost), or an initial basis singular within rounding.
  // dd_DDMain turns them into an error.
  long numerical_alarms = 0;
  // A cancel request seen inside an iteration; dd_DDMain ends the run.
  bool interrupted = false;
  // What storing a ray needs; the new rays of an iteration made on
  // several threads each have their own (ray_lanes).
  zonix::core::RayScratch scratch;
  std::vector<std::unique_ptr<zonix::core::RayScratch>> ray_lanes;
  zonix::core::RowNorms row_norms;
  zonix::core::ScratchSet adjacency_face, edge_face;
  // Records of removed rays of spare_d coordinates, reused by dd_AddRay
  // with their numbers and zero set still allocated: allocating them is
  // much of what a ray costs in exact runs.
  std::vector<dd_RayPtr> spare_rays;
  dd_colrange spare_d = -1;
  zonix::core::ZeroBuckets zero_buckets;
  zonix::core::EdgeScratch *edges = nullptr;  // made at first use

  // ---- ray evaluation ----
  // Set for the consuming loop of an edge-list iteration whose rows are
  // taken in OrderVector order with no strict row: every ray then knows
  // its sign on every row from its zero set and conflict set, and a new
  // ray is evaluated only where a parent's conflicts say it must be.
  bool conflict_lists = false;
  std::vector<dd_rowrange> row_positions;  // row k at OrderVector[row_positions[k]]
  dd_rowrange spare_m = -1;  // the zero set size of the spare rays

  // ---- the pair tests of dd_UpdateEdges ----
  // Pairs worth more threads: below, starting them costs about what the
  // pairs do (some 100 us against 10-50 ns a pair).  And the least pairs
  // a block holds, so that the blocks' bookkeeping stays small.  Results
  // do not depend on either: tests may move them to run small cones on
  // several threads.
  double parallel_pairs = 1 << 15;
  double block_pairs = 1 << 12;
  // Partners per ray, on average, from which they are searched through
  // trees of zero sets instead of walked; the same edges either way.
  double forest_pairs = 64;
  // New rays of an iteration worth more threads (some 1-3 us a ray), and
  // the rays a thread takes at a time.  Tests may move them as well.
  long parallel_rays = 1 << 10;
  long block_rays = 1 << 7;
};

namespace zonix::core {

// The workspace of a cone, made if a cone was built without one.
inline dd_workspace &workspace(dd_ConePtr cone)
{
  if (cone->workspace == nullptr) cone->workspace = new dd_workspace;
  return *cone->workspace;
}

inline void raise_numerical_alarm(dd_ConePtr cone) { ++workspace(cone).numerical_alarms; }

// Whether zero sets may be trusted as exact ones (see simple_ray): once a
// residue shows lost digits, a ray's zero set may miss rows, and pairs are
// judged by the third-ray search alone, which never makes a pair adjacent
// that another ray's zero set contradicts.
inline bool simple_rays_trusted(dd_ConePtr cone)
{
  return workspace(cone).simple_rays && workspace(cone).numerical_alarms == 0;
}

// Relative size of a residue that no longer comes from rounding: two
// thirds of the digits of a double are gone (the rays of correct results
// on cyclic polytopes stay below 1e-7, those of the wrong ones reach
// 1e-4 and more).
inline constexpr double lost_accuracy = 0x1p-17;

// dd_EvaluateARay2 on row hnew, the row at position Iteration, for an
// edge-list iteration.  Where every ray knows its signs (conflict sets),
// the rays are sorted by them without evaluation, ARay holding -1, 0 or
// 1, and the new rays of the iteration are evaluated only on the rows
// their parents violate, until the iteration clears conflict_lists.
void split_on_new_row(dd_ConePtr cone, dd_rowrange hnew);

// The new rays of an edge-list iteration with conflict lists, made apart
// from the list so that threads may make them side by side: prepare once
// (sequentially), then make_new_ray fills a record from reuse_ray as
// dd_CreateNewRay would store the combination of p1 and p2 on row ii,
// returning whether it is feasible; link_ray appends it to the list, in
// the order the rays are to stand there.  Alarms stay in the scratch.
void prepare_new_rays(dd_ConePtr cone);
bool make_new_ray(dd_ConePtr cone, RayScratch &S, dd_RayPtr rec, dd_RayPtr p1,
                  dd_RayPtr p2, dd_rowrange ii);
void link_ray(dd_ConePtr cone, dd_RayPtr r, bool feasible);

// Releases every ray of the cone's list, leaving the empty list (sentinel
// -> null) with the run complete.
void cut_all_rays(dd_ConePtr cone);

// The conflict set of a ray: the positions i (1..m of OrderVector, not
// rows) whose row the ray violates, written when the ray is stored; null
// when it violates none.
inline const set_word *conflict_set(dd_RayPtr r, dd_colrange d)
{
  return reinterpret_cast<const set_word *>(ray_tag(r, d) & ~zero_set_inline);
}

// An empty conflict set of ground size m for r to fill, or none.
inline set_word *reset_conflict_set(dd_RayPtr r, dd_colrange d, long m, bool needed)
{
  std::uintptr_t &tag = ray_tag(r, d);
  auto *c = reinterpret_cast<set_word *>(tag & ~zero_set_inline);
  const long g = m > 0 ? m : 1;
  if (c != nullptr && (!needed || static_cast<long>(c[0]) != g)) {
    std::free(c);
    c = nullptr;
  }
  if (needed && c == nullptr) {
    set_initialize(&c, g);
  } else if (c != nullptr) {
    set_emptyset(c);
  }
  tag = (tag & zero_set_inline) | reinterpret_cast<std::uintptr_t>(c);
  return c;
}

// An empty zero set of ground size m for r (its own if it fits).
inline void reset_zero_set(dd_RayPtr r, dd_colrange d, long m)
{
  const long g = m > 0 ? m : 1;
  if (r->ZeroSet != nullptr && static_cast<long>(r->ZeroSet[0]) == g) {
    set_emptyset(r->ZeroSet);
    return;
  }
  std::uintptr_t &tag = ray_tag(r, d);
  if ((tag & zero_set_inline) == 0u) set_free(r->ZeroSet);
  tag &= ~zero_set_inline;
  set_initialize(&r->ZeroSet, g);
}

// Releases a ray record with its coordinates and sets.
inline void free_ray(dd_colrange d, dd_RayPtr r)
{
  if (r == nullptr) return;
  ddd_clear(r->ARay);
#ifdef ZONIX_EXACT
  for (dd_colrange j = 0; j < ray_numbers(d); ++j) ddd_clear(r->Ray[j]);
#endif
  const std::uintptr_t tag = ray_tag(r, d);
  std::free(reinterpret_cast<set_word *>(tag & ~zero_set_inline));
  if ((tag & zero_set_inline) == 0u) set_free(r->ZeroSet);
  std::free(r);
}

// Spare ray records kept at most: this many beyond half the rays in the
// list, so that they add at most half to the memory of the list.
inline constexpr size_t spare_rays_beyond = 256;

// Releases the spare ray records of a workspace.
inline void release_spare_rays(dd_workspace &ws)
{
  for (dd_RayPtr r : ws.spare_rays) free_ray(ws.spare_d, r);
  ws.spare_rays.clear();
  ws.spare_m = -1;
}

// Removes a ray record of the cone, keeping it for reuse while there are
// not too many spares.
inline void recycle_ray(dd_ConePtr cone, dd_RayPtr r)
{
  dd_workspace &ws = workspace(cone);
  if (ws.spare_d != cone->d || ws.spare_m != cone->m) {
    release_spare_rays(ws);
    ws.spare_d = cone->d;
    ws.spare_m = cone->m;
  }
  const size_t limit = static_cast<size_t>(cone->RayCount > 0 ? cone->RayCount : 0) / 2 +
                       spare_rays_beyond;
  if (ws.spare_rays.size() >= limit) {
    free_ray(cone->d, r);
    return;
  }
  ws.spare_rays.push_back(r);
}

// A ray record for the cone as new_ray makes it, a spare one if there is:
// its coordinates and zero set then hold old values, which storing the
// ray overwrites.
inline dd_RayPtr reuse_ray(dd_ConePtr cone)
{
  dd_workspace &ws = workspace(cone);
  if (ws.spare_d != cone->d || ws.spare_m != cone->m || ws.spare_rays.empty())
    return new_ray(cone->d, cone->m);
  dd_RayPtr r = ws.spare_rays.back();
  ws.spare_rays.pop_back();
  r->Next = nullptr;
  r->FirstInfeasIndex = 0;
  r->feasible = dd_FALSE;
  ddd_set(r->ARay, dd_purezero);
  return r;
}

// Whether e (1-based) belongs to s; elements outside 1..n never do.
inline bool in_set(const set_word *s, long e)
{
  const auto u = static_cast<unsigned long>(e - 1);
  if (e < 1 || u >= s[0]) return false;
  return ((s[(u >> 5) + 1] >> (u & 31u)) & 1u) != 0u;
}

// Adds e (1-based, within 1..n) to s without a call.
inline void add_elem(set_word *s, long e)
{
  const auto u = static_cast<unsigned long>(e - 1);
  s[(u >> 5) + 1] |= set_word{1} << (u & 31u);
}

// Whether e (1-based) belongs to both sets; elements outside 1..n are in
// neither.
inline bool in_both(const set_word *s1, const set_word *s2, long e)
{
  const auto u = static_cast<unsigned long>(e - 1);
  if (e < 1 || u >= s1[0]) return false;
  const set_word mask = set_word{1} << (u & 31u);
  return (s1[(u >> 5) + 1] & s2[(u >> 5) + 1] & mask) != 0u;
}

// Bits set in a 32-bit word, without relying on a popcount instruction
// (a library call on targets built without one).
constexpr int bit_count(std::uint32_t w)
{
  w = w - ((w >> 1) & 0x55555555u);
  w = (w & 0x33333333u) + ((w >> 2) & 0x33333333u);
  w = (w + (w >> 4)) & 0x0f0f0f0fu;
  return static_cast<int>((w * 0x01010101u) >> 24);
}

// face := z1 & z2 & added over nw data words; returns |face|.
inline long make_face(set_word *face, const set_word *z1, const set_word *z2,
                      const set_word *added, long nw)
{
  long card = 0;
  for (long k = 1; k <= nw; ++k) {
    const set_word w = z1[k] & z2[k] & added[k];
    face[k] = w;
    card += bit_count(w);
  }
  return card;
}

// Whether face lies in z.  A face from make_face is within the added rows
// already, so this is the test face <= z & added.
inline bool face_within(const set_word *face, const set_word *z, long nw)
{
  for (long k = 1; k <= nw; ++k)
    if ((face[k] & ~z[k]) != 0u) return false;
  return true;
}

// Accuracy (see ray_accuracy; rays are normalised, so it is relative) up to
// which a double ray's zero set is taken as exact by simple_ray.  Above it
// a zero set may miss a row the ray lies on in truth, and a pair judged
// adjacent by the count alone makes a ray of noise, which makes more: on
// C(26,12) with centred parameters such runs grew past 12 GB.
inline constexpr double simple_ray_accuracy = 0x1p-40;

// Whether r's zero set may be taken as the exact one (always for exact
// rays; for doubles by their accuracy).
inline bool zero_set_exact(dd_RayPtr r, dd_colrange d)
{
  return !numbers_round || ray_accuracy(r, d) <= simple_ray_accuracy;
}

// Whether ray r lies on exactly d - 1 of the added rows (plus `extra`, a
// row about to be added, 0 for none).  An extreme ray's zero rows have rank
// d - 1, so these are independent, and any d - 2 of them that it shares
// with another ray make an edge: the face is two-dimensional, and no third
// ray can lie on it.  In general position every ray is so, and no pair
// needs a third-ray search.
inline bool simple_ray(dd_RayPtr r, const set_word *added, long nw, long extra,
                       dd_colrange d)
{
  if (!zero_set_exact(r, d)) return false;
  const set_word *z = r->ZeroSet;
  long on = 0;
  for (long k = 1; k <= nw; ++k) on += bit_count(z[k] & added[k]);
  if (extra > 0 && in_set(z, extra) && !in_set(added, extra)) ++on;
  return on == d - 1;
}

// Whether some ray of the list from `from`, other than r1 and r2, lies on
// every row of face (a face from make_face): then r1 and r2 are not
// adjacent.
inline bool third_ray_found(dd_RayPtr from, dd_RayPtr r1, dd_RayPtr r2,
                            const set_word *face, long nw)
{
  for (dd_RayPtr t = from; t != nullptr; t = t->Next) {
    if (t == r1 || t == r2) continue;
    if (face_within(face, t->ZeroSet, nw)) return true;
  }
  return false;
}

}  // namespace zonix::core

#endif  // ZONIX_CORE_INTERNAL_HPP
