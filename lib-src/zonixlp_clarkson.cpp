// Redundancy removal whose cost follows the rows kept (Clarkson's method):
// each row is tested by an LP over the rows already known to be essential
// only.  When the LP finds a point that violates the row but satisfies
// them, the ray from an interior point to that point leaves the
// polyhedron through an essential row not known yet, which joins them.
// So there are at most (rows + kept) LPs, none larger than the answer.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixio.h"
#include "zonixlp.h"
#include "zonixlp_clarkson.hpp"
#include "zonixrandom.hpp"
#include "zonixhandles.hpp"
#include "zonixlp_handles.hpp"
#include "zonixlp_internal.hpp"

namespace {

using zonix::Arow;
using zonix::Matrix;
using zonix::lp::Trail;

// The H form of the question: inequality rows as they are; generators g
// as the homogeneous rows (0, g), read g.z >= 0, whose redundancy LPs are
// the generators' LPs column for column.  Rows normalised as every test
// has them.
Matrix h_form(dd_MatrixPtr M)
{
  Matrix N = zonix::lp::normalised(M);
  if (M->representation != dd_Generator) return N;
  Matrix D = zonix::make_matrix(M->rowsize, M->colsize + 1);
  if (!D) throw std::bad_alloc();
  D->representation = dd_Inequality;
  D->numbtype = M->numbtype;
  for (dd_rowrange i = 0; i < M->rowsize; ++i) {
    for (dd_colrange j = 0; j < M->colsize; ++j) ddd_set(D->matrix[i][j + 1], N->matrix[i][j]);
    if (set_member(i + 1, M->linset)) set_addelem(D->linset, i + 1);
  }
  return D;
}

// Row i (0-based) says nothing about the variables: b >= 0.
bool constant_row(dd_MatrixPtr N, dd_rowrange i)
{
  for (dd_colrange j = 1; j < N->colsize; ++j)
    if (ddd_sgn(N->matrix[i][j]) != 0) return false;
  return true;
}

// N's rows on the affine hull of its equations: the equations solved for
// one variable each and substituted into every row, whose columns of those
// variables then read 0.  Two rows that differ by a combination of
// equations become one row, as they are one halfspace of the hull.  The
// equation rows themselves become 0 and are marked in *equation; linset
// is empty.  Null when the equations are inconsistent.
Matrix on_hull(dd_MatrixPtr N, std::vector<char> *equation)
{
  const dd_rowrange m = N->rowsize;
  const dd_colrange c = N->colsize;
  Matrix R(dd_MatrixCopy(N));
  if (!R) throw std::bad_alloc();
  set_emptyset(R->linset);
  equation->assign(static_cast<size_t>(m), 0);
  std::vector<dd_rowrange> eqs;
  for (dd_rowrange i = 0; i < m; ++i)
    if (set_member(i + 1, N->linset)) {
      (*equation)[static_cast<size_t>(i)] = 1;
      eqs.push_back(i);
    }
  mytype f, x;
  ddd_init(f);
  ddd_init(x);
  bool consistent = true;
  for (const dd_rowrange e : eqs) {
    // The largest coefficient left: the least growth of rounding.
    dd_colrange piv = -1;
    double best = 0.0;
    for (dd_colrange j = 1; j < c; ++j) {
      const double v = std::fabs(ddd_get_d(R->matrix[e][j]));
      if (dd_Nonzero(R->matrix[e][j]) && (piv < 0 || v > best)) piv = j, best = v;
    }
    if (piv < 0) {
      // 0 = b: nothing, or no point at all.
      consistent = consistent && !dd_Nonzero(R->matrix[e][0]);
      for (dd_colrange j = 0; j < c; ++j) ddd_set(R->matrix[e][j], dd_purezero);
      continue;
    }
    for (dd_rowrange i = 0; i < m; ++i) {
      if (i == e || ddd_sgn(R->matrix[i][piv]) == 0) continue;
      ddd_div(f, R->matrix[i][piv], R->matrix[e][piv]);
      for (dd_colrange j = 0; j < c; ++j) {
        ddd_mul(x, f, R->matrix[e][j]);
        ddd_sub(R->matrix[i][j], R->matrix[i][j], x);
      }
      ddd_set(R->matrix[i][piv], dd_purezero);
    }
    for (dd_colrange j = 0; j < c; ++j) ddd_set(R->matrix[e][j], dd_purezero);
  }
  ddd_clear(f);
  ddd_clear(x);
  if (!consistent) return Matrix();
  return R;
}

// Rows in use of an m x c record allocated once; the destructor restores
// the allocated size so that every row is released.
class Work {
 public:
  Work(dd_rowrange m, dd_colrange c) : m_(m), M_(zonix::make_matrix(m, c))
  {
    if (!M_) throw std::bad_alloc();
    M_->rowsize = 0;
  }
  ~Work() { M_->rowsize = m_; }
  Work(const Work &) = delete;
  Work &operator=(const Work &) = delete;
  dd_MatrixPtr get() const { return M_.get(); }
  // Row k (1-based) := row i (0-based) of N; the rows in use become k.
  void put(dd_rowrange k, dd_MatrixPtr N, dd_rowrange i) const
  {
    dd_CopyArow(M_->matrix[k - 1], N->matrix[i], N->colsize);
    M_->rowsize = k;
  }

 private:
  dd_rowrange m_;
  Matrix M_;
};

// Reproducible nudges of a ray that met a face of lower dimension.
constexpr unsigned int kSeed = 7;
constexpr int kRetries = 8;
// Relative size of a nudge: far above the tolerance and far below the
// distance from the interior point to the LP's point.
constexpr double kNudge = 1e-5;

// Farkas certificates kept from earlier LPs: sets B of c - 1 essential
// rows whose normals are independent, with the inverse of their normals'
// matrix.  Row j is implied by B, and so redundant, when its normal is a
// nonnegative combination lambda of B's normals and its constant is at
// least lambda's combination of B's constants: no LP is needed.  Most
// redundant rows are implied by the few rows that meet at the minimum of
// an earlier row, and the rows of B stay essential however the known
// rows grow.
class Certificates {
 public:
  explicit Certificates(dd_colrange c) : n_(c - 1) {}

  // Keeps the rows (0-based rows of N) when their normals are independent.
  void add(dd_MatrixPtr N, const std::vector<dd_rowrange> &rows);
  // Whether a kept set implies row j; at most `tries` sets are tried.
  // The rows of the certificate that implies row j, if one does.
  const std::vector<dd_rowrange> *implies(dd_MatrixPtr N, dd_rowrange j, size_t tries);

 private:
  struct Entry {
    std::vector<dd_rowrange> rows;
    zonix::lp::Numbers inverse;  // n x n, row-major: lambda = inverse . a_j
  };
  dd_colrange n_;  // the variables: columns 2..c
  std::vector<Entry> kept_;
  size_t next_ = 0;  // the entry replaced next once the store is full
};

// Enough for the vertices that minimise most rows in few dimensions; more
// would cost more to try than the LP they save.
constexpr size_t kCertificates = 1024;

void Certificates::add(dd_MatrixPtr N, const std::vector<dd_rowrange> &rows)
{
  const dd_colrange n = n_;
  if (n <= 0 || static_cast<dd_colrange>(rows.size()) != n) return;
  // Gauss-Jordan on [A^T | I], A's rows the normals (columns 1..c-1).
  const auto w = static_cast<size_t>(2 * n);
  zonix::lp::Numbers t = zonix::lp::make_numbers(n * 2 * n);
  auto at = [&](dd_colrange r, dd_colrange k) -> mytype & { return t[static_cast<size_t>(r) * w + static_cast<size_t>(k)]; };
  for (dd_colrange r = 0; r < n; ++r) {
    for (dd_colrange k = 0; k < n; ++k) ddd_set(at(r, k), N->matrix[rows[static_cast<size_t>(k)]][r + 1]);
    ddd_set(at(r, n + r), dd_one);
  }
  mytype f, x;
  ddd_init(f);
  ddd_init(x);
  bool singular = false;
  for (dd_colrange k = 0; k < n && !singular; ++k) {
    dd_colrange piv = -1;
    double best = 0.0;
    for (dd_colrange r = k; r < n; ++r) {
      const double v = std::fabs(ddd_get_d(at(r, k)));
      if (ddd_sgn(at(r, k)) != 0 && (piv < 0 || v > best)) piv = r, best = v;
    }
    // Normals nearly dependent give multipliers that rounding decides.
#ifdef ZONIX_EXACT
    singular = piv < 0;
#else
    singular = piv < 0 || best < 1e-6;
#endif
    if (singular) break;
    if (piv != k)
      for (dd_colrange q = 0; q < 2 * n; ++q) {
        ddd_set(x, at(piv, q));
        ddd_set(at(piv, q), at(k, q));
        ddd_set(at(k, q), x);
      }
    for (dd_colrange q = 2 * n - 1; q >= k; --q) ddd_div(at(k, q), at(k, q), at(k, k));
    for (dd_colrange r = 0; r < n; ++r) {
      if (r == k || ddd_sgn(at(r, k)) == 0) continue;
      ddd_set(f, at(r, k));
      for (dd_colrange q = k; q < 2 * n; ++q) {
        ddd_mul(x, f, at(k, q));
        ddd_sub(at(r, q), at(r, q), x);
      }
    }
  }
  ddd_clear(f);
  ddd_clear(x);
  if (singular) return;
  Entry e{rows, zonix::lp::make_numbers(n * n)};
  for (dd_colrange r = 0; r < n; ++r)
    for (dd_colrange k = 0; k < n; ++k) ddd_set(e.inverse[r * n + k], at(r, n + k));
  if (kept_.size() < kCertificates) {
    kept_.push_back(std::move(e));
  } else {
    kept_[next_] = std::move(e);
    next_ = (next_ + 1) % kCertificates;
  }
}

const std::vector<dd_rowrange> *Certificates::implies(dd_MatrixPtr N, dd_rowrange j, size_t tries)
{
  const dd_colrange n = n_;
  const mytype *a = N->matrix[j];
  mytype lambda, x, mu;
  ddd_init(lambda);
  ddd_init(x);
  ddd_init(mu);
  const std::vector<dd_rowrange> *found = nullptr;
  // The newest first: the rows most recently kept meet most rows to come.
  for (size_t u = 0; u < kept_.size() && u < tries && !found; ++u) {
    Entry &e = kept_[kept_.size() - 1 - u];
    ddd_set(mu, a[0]);
    bool ok = true;
    for (dd_colrange r = 0; r < n && ok; ++r) {
      ddd_set(lambda, dd_purezero);
      for (dd_colrange k = 0; k < n; ++k) {
        ddd_mul(x, e.inverse[r * n + k], a[k + 1]);
        ddd_add(lambda, lambda, x);
      }
      // Exactly nonnegative: a multiplier below zero, however small,
      // bounds nothing where its row grows without bound.
      ok = ddd_sgn(lambda) >= 0;
      ddd_mul(x, lambda, N->matrix[e.rows[static_cast<size_t>(r)]][0]);
      ddd_sub(mu, mu, x);
    }
    if (ok && !dd_Negative(mu)) found = &e.rows;
  }
  ddd_clear(lambda);
  ddd_clear(x);
  ddd_clear(mu);
  return found;
}

// Essential rows per variable from which rows are decided by LPs over
// the essential rows near them.
constexpr dd_rowrange kNearKept = 16;
// Nor below this many: an LP over fewer costs no more than the rounds.
constexpr dd_rowrange kNearFloor = 200;

const std::vector<dd_rowrange> kNoRows;

enum Flag : signed char { kOpen = 0, kEssential = 1, kRedundant = -1, kEquation = 2 };

class Clarkson {
 public:
  // N has no linset: equation marks the rows that were equations (on_hull).
  Clarkson(dd_MatrixPtr N, const std::vector<char> &equation, dd_rowrange total)
      : N_(N), m_(N->rowsize), c_(N->colsize), total_(total), equation_(equation) {}

  // The redundant rows (0-based flags in flag_); false when the method
  // cannot decide (no interior point, or a ray that meets no clear
  // facet) and the caller must test row by row.  *err for errors that
  // end the whole test.
  bool run(dd_ErrorType *err);
  const std::vector<signed char> &flags() const { return flag_; }
  // Keeps its trail (its rows N's).
  void record(Trail *trail) { trail_ = trail; }

 private:
  bool interior_point(dd_ErrorType *err);
  bool implied(const Work &W, dd_rowrange k, mytype *cvec, dd_ErrorType *err);
  int looser_than(dd_rowrange i, dd_rowrange j) const;
  dd_rowrange shoot(const mytype *dir);
#ifndef ZONIX_EXACT
  double rounding(size_t q, const mytype *dir) const;
  std::vector<double> size_at_p_;  // sum over k of |row_k p_k|
#endif
  bool next_essential(const mytype *cvec, dd_rowrange *hit);
  int decide_near(dd_rowrange i, Work &W, dd_rowrange *used, mytype *cvec, dd_ErrorType *err);
  void make_essential(dd_rowrange h, Work &W, dd_rowrange *used);
  void polar(dd_rowrange i, double *u) const;
  int essential_alone(dd_rowrange i, dd_ErrorType *err);
  void compact();
  void report(dd_rowrange done) const;

  dd_MatrixPtr N_;
  dd_rowrange m_;
  dd_colrange c_;
  dd_rowrange total_;  // rows of the caller's matrix, for the progress line
  const std::vector<char> &equation_;
  std::vector<signed char> flag_;
  Arow p_;
  zonix::lp::Numbers at_p_;   // row j at p
  zonix::lp::Numbers alpha_;  // scratch of shoot, one number per alive row
  std::vector<dd_rowrange> alive_;  // essential and open rows, increasing
  dd_rowrange dead_ = 0;           // redundant rows still in alive_
  dd_rowrange kept_ = 0;
  std::vector<dd_rowrange> wrow_;  // the row of N in each row of the LPs' matrix
  Certificates certificates_{c_};
  std::vector<dd_rowrange> essential_;  // the rows found essential, in order
  std::vector<double> polar_;           // their normals divided by their values at p
  zonix::LP lp_;               // the LPs of implied(), one record
  Trail *trail_ = nullptr;
  void redundant(dd_rowrange i, const std::vector<dd_rowrange> *basis = nullptr);
  dd_rowrange shot_row_ = -1;  // the row the last clear shot met, and a point past it
  std::vector<double> shot_;
  dd_rowrange copied_ = 0;     // rows of W already in it
  bool homogeneous_ = true;    // no constant in those rows
};

// A point at which every open row holds strictly: the interior-point LP
// over those rows (on the hull of the equations, which on_hull has
// substituted).
bool Clarkson::interior_point(dd_ErrorType *err)
{
  zonix::Set drop = zonix::make_set(m_);
  for (dd_rowrange i = 0; i < m_; ++i)
    if (flag_[i] != kOpen) set_addelem(drop.get(), i + 1);
  const Matrix S(dd_MatrixSubmatrix(N_, drop.get()));
  if (!S) throw std::bad_alloc();
  dd_ErrorType e = dd_NoError;
  const zonix::LP lp0(dd_Matrix2LP(S.get(), &e));
  if (!lp0) throw std::bad_alloc();
  const zonix::LP lp(dd_MakeLPforInteriorFinding(lp0.get()));
  if (!lp) throw std::bad_alloc();
  // A margin of at most 1 on the normalised rows: a larger one sends p
  // far into an unbounded polyhedron, from where every row is met at
  // nearly the same point of a ray.
  ddd_set(lp->A[lp0->m - 1][0], dd_one);
  dd_LPSolve(lp.get(), dd_DualSimplex, &e);
  if (e == dd_Interrupted || e == dd_OutOfMemory) *err = e;
  if (e != dd_NoError || lp->LPS != dd_Optimal || !dd_Positive(lp->optvalue)) return false;
  p_ = zonix::make_arow(c_);
  if (!p_) throw std::bad_alloc();
  for (dd_colrange j = 0; j < c_; ++j) ddd_set(p_[j], lp->sol[j]);
  // A point of the LP sits on special lines (the centre of a cube sees
  // its vertices along the diagonals): moved by at most a quarter of the
  // margin, it still lies strictly inside every row, whose largest
  // coefficient is below 2.
  zonix::Random31 rng(kSeed);
  mytype step;
  ddd_init(step);
  const double margin = std::min(1.0, ddd_get_d(lp->optvalue)) / (8.0 * static_cast<double>(c_));
  for (dd_colrange j = 1; j < c_; ++j) {
    const double u = static_cast<double>(rng.next()) / zonix::Random31::max_value - 0.5;
    ddd_set_d(step, margin * u);
    ddd_add(p_[j], p_[j], step);
  }
  ddd_clear(step);
  at_p_ = zonix::lp::make_numbers(m_);
  alpha_ = zonix::lp::make_numbers(m_);
#ifndef ZONIX_EXACT
  size_at_p_.assign(static_cast<size_t>(m_), 0.0);
  for (dd_rowrange i = 0; i < m_; ++i)
    for (dd_colrange j = 0; j < c_; ++j) size_at_p_[i] += std::fabs(N_->matrix[i][j][0] * p_[j][0]);
#endif
  for (dd_rowrange i = 0; i < m_; ++i) {
    dd_InnerProduct(at_p_[i], c_, N_->matrix[i], p_.get());
    if (flag_[i] == kOpen && !dd_Positive(at_p_[i])) return false;
  }
  return true;
}

void Clarkson::compact()
{
  std::erase_if(alive_, [&](dd_rowrange j) { return flag_[j] == kRedundant; });
  dead_ = 0;
}

// For rows i and j whose normals agree up to a positive factor mu: 1
// when i is looser than mu times j (implied by j alone), -1 when
// tighter, 0 when they are one halfspace; 2 when the normals differ.
// Rows that agree after division by their values at p may still lie a
// clear step apart when those values are large.
int Clarkson::looser_than(dd_rowrange i, dd_rowrange j) const
{
  const mytype *a = N_->matrix[i];
  const mytype *b = N_->matrix[j];
  dd_colrange top = 0;
  for (dd_colrange k = 1; k < c_; ++k)
    if (top == 0 || std::fabs(ddd_get_d(a[k])) > std::fabs(ddd_get_d(a[top]))) top = k;
  if (top == 0 || ddd_sgn(b[top]) == 0) return 2;
  mytype mu, x, t;
  ddd_init(mu);
  ddd_init(x);
  ddd_init(t);
  ddd_div(mu, a[top], b[top]);
  int answer = ddd_sgn(mu) > 0 ? 0 : 2;
  for (dd_colrange k = 0; k < c_ && answer != 2; ++k) {
    ddd_mul(x, mu, b[k]);
    ddd_sub(t, a[k], x);
    if (k == 0) answer = dd_Positive(t) ? 1 : dd_Negative(t) ? -1 : 0;
    else if (dd_Nonzero(t)) answer = 2;
  }
  ddd_clear(mu);
  ddd_clear(x);
  ddd_clear(t);
  return answer;
}

#ifndef ZONIX_EXACT
// A bound on the rounding of alpha_[q], the quotient of two inner
// products of c_ terms: each off by a few units in the last place of the
// sum of its terms' sizes.
double Clarkson::rounding(size_t q, const mytype *dir) const
{
  const dd_rowrange j = alive_[q];
  const mytype *r = N_->matrix[j];
  double along = 0;
  for (dd_colrange k = 0; k < c_; ++k) along += std::fabs(r[k][0] * dir[k][0]);
  const double gamma = 8.0 * static_cast<double>(c_ + 2) * std::numeric_limits<double>::epsilon();
  return gamma * (along + std::fabs(alpha_[q][0]) * size_at_p_[j]) / std::fabs(at_p_[j][0]);
}
#endif

// The row the ray p + lambda dir (lambda > 0) meets first, when it meets
// it alone (or with rows of the same halfspace, of which the lowest
// numbered answers); -1 otherwise.  A ray through a face of lower
// dimension meets rows that may be redundant there.
dd_rowrange Clarkson::shoot(const mytype *dir)
{
  if (dead_ * 2 > static_cast<dd_rowrange>(alive_.size())) compact();
  shot_row_ = -1;
  const size_t n = alive_.size();
  mytype *alpha = alpha_.get();
  mytype t2;
  ddd_init(t2);
  size_t best = n;
  double second = 0;  // with a trail: the least alpha but the best, while it is negative
  for (size_t q = 0; q < n; ++q) {
    const dd_rowrange j = alive_[q];
    if (flag_[j] == kRedundant) continue;
    // Met at lambda = -(row.p)/(row.dir): first where dir/(row.p) is least.
    // The inner product written out: the call costs as much as its work.
    const mytype *r = N_->matrix[j];
    ddd_set(t2, dd_purezero);
    for (dd_colrange k = 0; k < c_; ++k) ddd_addmul(t2, r[k], dir[k]);
    ddd_div(alpha[q], t2, at_p_[j]);
    if (best == n || ddd_cmp(alpha[q], alpha[best]) < 0) {
      if (trail_ != nullptr && best != n) second = std::min(second, ddd_get_d(alpha[best]));
      best = q;
    } else if (trail_ != nullptr) {
      second = std::min(second, ddd_get_d(alpha[q]));
    }
  }
  ddd_clear(t2);
  if (best == n || !dd_Negative(alpha[best])) return -1;
  dd_rowrange hit = alive_[best];
  mytype a, b;
  ddd_init(a);
  ddd_init(b);
  bool clear = true;
  for (size_t q = 0; q < n && clear; ++q) {
    const dd_rowrange j = alive_[q];
    if (q == best || flag_[j] == kRedundant || !dd_Equal(alpha[q], alpha[best])) continue;
#ifndef ZONIX_EXACT
    // Apart by more than their rounding: met one after the other, however
    // close (tangents of a curve at large coordinates meet the ray a
    // hair apart, far below the tolerance and far above the rounding).
    if (std::fabs(alpha[q][0] - alpha[best][0]) > rounding(q, dir) + rounding(best, dir)) continue;
#endif
    // Met at the same point: harmless only as the same halfspace.
    for (dd_colrange k = 0; k < c_ && clear; ++k) {
      ddd_div(a, N_->matrix[j][k], at_p_[j]);
      ddd_div(b, N_->matrix[alive_[best]][k], at_p_[alive_[best]]);
      clear = dd_Equal(a, b);
    }
    // Only the same halfspace goes by row number: a copy a clear step
    // looser is redundant, however alike the rows read from p.
    if (clear && j < hit && looser_than(j, alive_[best]) == 0) hit = j;
  }
  ddd_clear(a);
  ddd_clear(b);
  if (clear && trail_ != nullptr) {
    // Halfway to the next row met, or as far again when none is; rows met
    // with the first but for rounding (its copies) are not next.
    const double first = ddd_get_d(alpha[best]), after = first - 1e-9 * first;
    double next = second;
    if (next <= after) {  // the least but the first is a copy of it: past those
      next = 0;
      for (size_t q = 0; q < n; ++q)
        if (const double a = ddd_get_d(alpha[q]); flag_[alive_[q]] != kRedundant && a > after && a < next) next = a;
    }
    const double lambda = next < 0 ? -0.5 * (1 / first + 1 / next) : -2 / first;
    shot_row_ = hit;
    shot_.resize(static_cast<size_t>(c_));
    for (dd_colrange k = 0; k < c_; ++k) shot_[k] = ddd_get_d(p_[k]) + lambda * ddd_get_d(dir[k]);
  }
  return clear ? hit : -1;
}

// An essential row not known yet, met on the way from p to cvec (a point
// outside the polyhedron that satisfies the rows known essential); false
// when no nudge of the ray gives a clear one.
bool Clarkson::next_essential(const mytype *cvec, dd_rowrange *hit)
{
  Arow dir = zonix::make_arow(c_);
  if (!dir) throw std::bad_alloc();
  double scale = 0.0;
  for (dd_colrange j = 0; j < c_; ++j) {
    ddd_sub(dir[j], cvec[j], p_[j]);
    scale = std::fmax(scale, std::fabs(ddd_get_d(dir[j])));
  }
  zonix::Random31 rng(kSeed + static_cast<unsigned>(kept_));
  mytype e;
  ddd_init(e);
  dd_rowrange h = shoot(dir.get());
  for (int t = 0; t < kRetries && (h < 0 || flag_[h] != kOpen); ++t) {
    for (dd_colrange j = 1; j < c_; ++j) {
      const double u = static_cast<double>(rng.next()) / zonix::Random31::max_value - 0.5;
      ddd_sub(dir[j], cvec[j], p_[j]);
      ddd_set_d(e, scale * kNudge * u);
      ddd_add(dir[j], dir[j], e);
    }
    h = shoot(dir.get());
  }
  ddd_clear(e);
  *hit = h;
  return h >= 0 && flag_[h] == kOpen;
}

// Whether row k of W (the last) is implied by the rows before it: the
// redundancy LP, whose solution is left in cvec (a point that violates
// only row k when it is not).  An optimum on rows known essential only is
// kept as a certificate for the rows to come.
bool Clarkson::implied(const Work &W, dd_rowrange k, mytype *cvec, dd_ErrorType *err)
{
  // The redundancy LP of row k against rows 1..k-1, in one record for
  // every test: the rows known essential only grow, and are copied once.
  if (!lp_) {
    lp_.reset(dd_CreateLPData(dd_LPmin, N_->numbtype, m_ + 2, c_));
    if (!lp_) throw std::bad_alloc();
  }
  dd_LPPtr lp = lp_.get();
  const dd_MatrixPtr Wm = W.get();
  for (; copied_ < k - 1; ++copied_) {
    dd_CopyArow(lp->A[copied_], Wm->matrix[copied_], c_);
    // The flag of dd_CreateLP_H_Redundancy: a constant in a row before k.
    if (dd_Nonzero(Wm->matrix[copied_][0])) homogeneous_ = false;
  }
  dd_CopyArow(lp->A[k - 1], Wm->matrix[k - 1], c_);
  dd_CopyArow(lp->A[k], Wm->matrix[k - 1], c_);
  ddd_add(lp->A[k - 1][0], lp->A[k - 1][0], dd_one);
  lp->m = k + 1;
  lp->objrow = k + 1;
  lp->objective = dd_LPmin;
  lp->LPS = dd_LPSundecided;
  lp->Homogeneous = homogeneous_ ? dd_TRUE : dd_FALSE;
  // Relaxed by the row's value at p rather than by 1: a point that
  // violates the row as much as p satisfies it lies well beyond where
  // the ray from p crosses it, so that crossing stands clear of the
  // known rows however far p lies from the row.
  const dd_rowrange i = wrow_[static_cast<size_t>(k - 1)];
  if (dd_Larger(at_p_[i], dd_one)) {
    ddd_add(lp->A[k - 1][0], lp->A[k - 1][0], at_p_[i]);
    ddd_sub(lp->A[k - 1][0], lp->A[k - 1][0], dd_one);
  }
  dd_LPSolve(lp, dd_DualSimplex, err);
  if (*err != dd_NoError) return false;
  for (dd_colrange j = 0; j < c_; ++j) ddd_set(cvec[j], lp->sol[j]);
  if (zonix::lp::not_implied(lp)) return false;
  std::vector<dd_rowrange> basis;
  for (dd_colrange j = 1; j <= lp->d; ++j) {
    const dd_rowrange r = lp->nbindex[j];
    if (r == 0) continue;
    if (r < 0 || r >= k || flag_[wrow_[static_cast<size_t>(r - 1)]] != kEssential) return true;
    basis.push_back(wrow_[static_cast<size_t>(r - 1)]);
  }
  redundant(i, &basis);
  certificates_.add(N_, basis);
  return true;
}

void Clarkson::redundant(dd_rowrange i, const std::vector<dd_rowrange> *basis)
{
  if (trail_ == nullptr || basis == nullptr) return;
  trail_->basis[static_cast<size_t>(i)] = *basis;
  trail_->based[static_cast<size_t>(i)] = 1;
}

void Clarkson::polar(dd_rowrange i, double *u) const
{
  const double v = ddd_get_d(at_p_[i]);
  for (dd_colrange k = 1; k < c_; ++k) u[k - 1] = ddd_get_d(N_->matrix[i][k]) / v;
}

void Clarkson::make_essential(dd_rowrange h, Work &W, dd_rowrange *used)
{
  flag_[h] = kEssential;
  ++kept_;
  if (trail_ != nullptr && shot_row_ == h) trail_->shot[static_cast<size_t>(h)] = shot_;
  essential_.push_back(h);
  polar_.resize(essential_.size() * static_cast<size_t>(c_ - 1));
  polar(h, &polar_[(essential_.size() - 1) * static_cast<size_t>(c_ - 1)]);
  wrow_[static_cast<size_t>(*used)] = h;
  W.put(++*used, N_, h);
}

// Row i against a few essential rows only, those nearest it as seen from
// p (rows divided by their values at p, compared by their normals): an LP
// over them that implies row i shows it redundant; else the ray from p to
// the LP's point meets row i first (essential), or a row not among them,
// which joins them (and the essential rows, when new).  1 when decided,
// 0 when the caller must decide it over all essential rows, -1 when an
// error ends the test (*err).
int Clarkson::decide_near(dd_rowrange i, Work &W, dd_rowrange *used, mytype *cvec, dd_ErrorType *err)
{
  const auto n = static_cast<size_t>(c_ - 1);
  const size_t near = 2 * n + 2;
  // The nearest, kept in increasing order: most rows fail the first test.
  std::vector<std::pair<double, dd_rowrange>> by;
  by.reserve(near + 1);
  std::vector<double> u(n);
  polar(i, u.data());
  for (size_t q = 0; q < essential_.size(); ++q) {
    const double *w = &polar_[q * n];
    double d2 = 0;
    for (size_t k = 0; k < n; ++k) d2 += (u[k] - w[k]) * (u[k] - w[k]);
    if (by.size() == near && !(d2 < by.back().first)) continue;
    auto at = std::upper_bound(by.begin(), by.end(), d2,
                               [](double x, const std::pair<double, dd_rowrange> &e) { return x < e.first; });
    by.insert(at, {d2, essential_[q]});
    if (by.size() > near) by.pop_back();
  }
  std::vector<dd_rowrange> rows;
  rows.reserve(by.size());
  for (const auto &e : by) rows.push_back(e.second);
  Arow dir = zonix::make_arow(c_);
  if (!dir) throw std::bad_alloc();
  zonix::lp::Numbers vv = zonix::lp::make_numbers(1);
  mytype &v = vv[0];
  // Each round adds a row: a few dozen rounds cost what the LP over all
  // essential rows does.
  for (int round = 0; round < 4 * static_cast<int>(near); ++round) {
    Work V(static_cast<dd_rowrange>(rows.size()) + 1, c_);
    dd_rowrange k = 0;
    for (const dd_rowrange j : rows) V.put(++k, N_, j);
    V.put(++k, N_, i);
    const zonix::LP lp(dd_CreateLP_H_Redundancy(V.get(), k));
    if (!lp) throw std::bad_alloc();
    if (dd_Larger(at_p_[i], dd_one)) {
      ddd_add(lp->A[k - 1][0], lp->A[k - 1][0], at_p_[i]);
      ddd_sub(lp->A[k - 1][0], lp->A[k - 1][0], dd_one);
    }
    dd_ErrorType e = dd_NoError;
    dd_LPSolve(lp.get(), dd_DualSimplex, &e);
    if (e != dd_NoError) {
      if (e == dd_Interrupted || e == dd_OutOfMemory) {
        *err = e;
        return -1;
      }
      return 0;
    }
    if (!zonix::lp::not_implied(lp.get())) {
      flag_[i] = kRedundant;
      ++dead_;
      std::vector<dd_rowrange> basis;
      for (dd_colrange j = 1; j <= lp->d; ++j)
        if (const dd_rowrange r = lp->nbindex[j]; r != 0) {
          if (r < 0 || r >= k) return 1;
          basis.push_back(rows[static_cast<size_t>(r - 1)]);
        }
      redundant(i, &basis);
      return 1;
    }
    for (dd_colrange j = 0; j < c_; ++j) {
      ddd_set(cvec[j], lp->sol[j]);
      ddd_sub(dir[j], cvec[j], p_[j]);
    }
    // The essential row the ray meets first, when it leaves through one:
    // a pass over the essential rows, not over all, while they are few
    // among the rows alive (else the ray is shot at all at once).
    dd_rowrange first = -1;
    double least = 0;
    const auto live = static_cast<dd_rowrange>(alive_.size()) - dead_;
    const size_t passed = 2 * kept_ < live ? essential_.size() : 0;
    for (size_t q = 0; q < passed; ++q) {
      const dd_rowrange j = essential_[q];
      const mytype *r = N_->matrix[j];
      ddd_set(v, dd_purezero);
      for (dd_colrange k = 0; k < c_; ++k) ddd_addmul(v, r[k], cvec[k]);
      if (!dd_Negative(v)) continue;
      dd_InnerProduct(v, c_, N_->matrix[j], dir.get());
      const double a = ddd_get_d(v) / ddd_get_d(at_p_[j]);
      if (first < 0 || a < least) first = j, least = a;
    }
    if (first >= 0) {
      if (std::find(rows.begin(), rows.end(), first) != rows.end()) return 0;
      rows.push_back(first);
      continue;
    }
    const dd_rowrange h = shoot(dir.get());
    if (h < 0 || flag_[h] == kRedundant) return 0;
    if (h == i) {
      make_essential(i, W, used);
      return 1;
    }
    if (std::find(rows.begin(), rows.end(), h) != rows.end()) return 0;
    if (flag_[h] == kOpen) make_essential(h, W, used);
    rows.push_back(h);
  }
  return 0;
}

// Row i tested against every row not found redundant but i's copies (rows of the same halfspace, of which the lowest numbered
// is kept): 1 when it is essential, 0 when redundant, -1 when the LP
// failed (*err set for the errors that end the whole test).
int Clarkson::essential_alone(dd_rowrange i, dd_ErrorType *err)
{
  Work V(m_ + 1, c_);
  dd_rowrange used = 0;
  mytype a, b;
  ddd_init(a);
  ddd_init(b);
  for (const dd_rowrange j : alive_) {
    if (j == i || flag_[j] == kRedundant) continue;
    bool copy = true;
    for (dd_colrange k = 0; k < c_ && copy; ++k) {
      ddd_div(a, N_->matrix[j][k], at_p_[j]);
      ddd_div(b, N_->matrix[i][k], at_p_[i]);
      copy = dd_Equal(a, b);
    }
    const int step = copy ? looser_than(i, j) : 2;
    if (step == 1) {  // implied by j alone
      ddd_clear(a);
      ddd_clear(b);
      return 0;
    }
    if (!copy || step == -1) V.put(++used, N_, j);
  }
  ddd_clear(a);
  ddd_clear(b);
  V.put(++used, N_, i);
  Arow cvec = zonix::make_arow(c_);
  dd_ErrorType e = dd_NoError;
  const bool redundant = zonix::lp::redundant_row(V.get(), used, cvec.get(), &e);
  if (e != dd_NoError) {
    if (e == dd_Interrupted || e == dd_OutOfMemory) *err = e;
    return -1;
  }
  return redundant ? 0 : 1;
}

void Clarkson::report(dd_rowrange done) const
{
  dd_ReportRowProgress("redundancy", done, total_, kept_);
}

bool Clarkson::run(dd_ErrorType *err)
{
  flag_.assign(static_cast<size_t>(m_), kOpen);
  for (dd_rowrange i = 0; i < m_; ++i) {
    if (equation_[static_cast<size_t>(i)] != 0) {
      flag_[i] = kEquation;
    } else if (constant_row(N_, i) && !dd_Negative(N_->matrix[i][0])) {
      // b >= 0 with b not negative: its LP's minimum is b.
      flag_[i] = kRedundant;
      redundant(i, &kNoRows);
    }
  }
  if (!interior_point(err)) return false;
  for (dd_rowrange i = 0; i < m_; ++i)
    if (flag_[i] == kOpen) alive_.push_back(i);

  // The LP rows: the essential rows so far, the tested row.
  Work W(m_ + 1, c_);
  dd_rowrange used = 0;
  wrow_.assign(static_cast<size_t>(m_) + 1, -1);
  Arow cvec = zonix::make_arow(c_);
  if (!cvec) throw std::bad_alloc();
  for (dd_rowrange i = 0; i < m_; ++i) {
    if (dd_CancelRequested()) {
      *err = dd_Interrupted;
      return true;
    }
    report(i);
    if (flag_[i] != kOpen) continue;
    // As many certificates tried as cost about one LP over the rows kept.
    if (const auto *basis = certificates_.implies(N_, i, static_cast<size_t>(2 * kept_ + 16))) {
      flag_[i] = kRedundant;
      ++dead_;
      redundant(i, basis);
      continue;
    }
    // Many rows kept: the LP over all of them costs far more than LPs
    // over the few that meet near row i.
    if (kept_ >= std::max(kNearKept * (c_ - 1), kNearFloor)) {
      const int near = decide_near(i, W, &used, cvec.get(), err);
      if (near < 0) return true;
      if (near > 0) continue;
    }
    while (flag_[i] == kOpen) {
      W.put(used + 1, N_, i);
      wrow_[static_cast<size_t>(used)] = i;
      dd_ErrorType e = dd_NoError;
      if (implied(W, used + 1, cvec.get(), &e)) {
        flag_[i] = kRedundant;
        ++dead_;
        break;
      }
      if (e != dd_NoError) {
        if (e == dd_Interrupted || e == dd_OutOfMemory) {
          *err = e;
          return true;
        }
        return false;
      }
      dd_rowrange h = -1;
      if (!next_essential(cvec.get(), &h)) {
        // No clear facet on the way: row i is decided against all rows
        // still standing but its own copies.
        const int alone = essential_alone(i, err);
        if (alone < 0) return *err != dd_NoError;
        if (alone == 0) {
          flag_[i] = kRedundant;
          ++dead_;
          break;
        }
        h = i;
      }
      make_essential(h, W, &used);
    }
  }
  report(m_);
  return true;
}

#ifndef ZONIX_EXACT
// Points whose hull is worth a first cut: many points, few dimensions.
constexpr dd_rowrange kCutRows = 2000;
constexpr dd_colrange kCutCols = 5;
constexpr int kCutRounds = 3;

// One round of the cut: the facets of the hull of the points `far` (rows
// of M, x their coordinates), each point not yet inside flagged when it
// lies strictly inside every facet, and for each facet the point furthest
// beyond it in *more.  False when the conversion gives no sure facets.
bool cut_by_hull(dd_MatrixPtr M, const std::vector<double> &x, const std::vector<dd_rowrange> &far,
                 std::vector<char> *inside, std::vector<dd_rowrange> *more)
{
  const dd_rowrange m = M->rowsize;
  const dd_colrange c = M->colsize;
  const dd_colrange d = c - 1;
  if (static_cast<dd_colrange>(far.size()) <= d) return false;
  Matrix S = zonix::make_matrix(static_cast<dd_rowrange>(far.size()), c);
  if (!S) throw std::bad_alloc();
  S->representation = dd_Generator;
  for (size_t r = 0; r < far.size(); ++r) dd_CopyArow(S->matrix[r], M->matrix[far[r]], c);
  dd_ErrorType e = dd_NoError;
  const zonix::Polyhedra P(dd_DDMatrix2Poly(S.get(), &e));
  if (e != dd_NoError || !P) return false;
  const Matrix F(dd_CopyInequalities(P.get()));
  if (!F || F->rowsize == 0 || set_card(F->linset) > 0) return false;
  // Facets b + a.x >= 0 scaled to |a| = 1; the centre of the few points
  // and the radius of a ball about it inside every facet.
  const dd_rowrange nf = F->rowsize;
  std::vector<double> f(static_cast<size_t>(nf * c));
  std::vector<double> centre(static_cast<size_t>(d), 0.0);
  for (const dd_rowrange i : far)
    for (dd_colrange j = 0; j < d; ++j) centre[j] += x[static_cast<size_t>(i * d + j)] / static_cast<double>(far.size());
  double radius = HUGE_VAL, size = 0;
  for (dd_rowrange r = 0; r < nf; ++r) {
    double n2 = 0;
    for (dd_colrange j = 1; j < c; ++j) n2 += F->matrix[r][j][0] * F->matrix[r][j][0];
    if (!(n2 > 0)) return false;
    const double s = 1.0 / std::sqrt(n2);
    for (dd_colrange j = 0; j < c; ++j) f[static_cast<size_t>(r * c + j)] = F->matrix[r][j][0] * s;
    double at = f[static_cast<size_t>(r * c)];
    for (dd_colrange j = 0; j < d; ++j) at += f[static_cast<size_t>(r * c + j + 1)] * centre[j];
    radius = std::fmin(radius, at);
    size = std::fmax(size, std::fabs(f[static_cast<size_t>(r * c)]));
  }
  // Every facet holds on the few points: the conversion is no guess.
  const double margin = 1e-9 * (size + 1.0);
  for (const dd_rowrange i : far)
    for (dd_rowrange r = 0; r < nf; ++r) {
      double v = f[static_cast<size_t>(r * c)];
      for (dd_colrange j = 0; j < d; ++j) v += f[static_cast<size_t>(r * c + j + 1)] * x[static_cast<size_t>(i * d + j)];
      if (v < -margin) return false;
    }
  if (!(radius > 2 * margin)) return false;
  const double ball = (radius - 2 * margin) * (radius - 2 * margin);
  std::vector<double> low(static_cast<size_t>(nf), -margin);
  more->assign(static_cast<size_t>(nf), -1);
  for (dd_rowrange i = 0; i < m; ++i) {
    if ((*inside)[static_cast<size_t>(i)] != 0) continue;
    const double *p = &x[static_cast<size_t>(i * d)];
    double r2 = 0;
    for (dd_colrange j = 0; j < d; ++j) r2 += (p[j] - centre[j]) * (p[j] - centre[j]);
    bool in = r2 < ball;
    if (!in) {
      in = true;
      for (dd_rowrange r = 0; r < nf; ++r) {
        const double *g = &f[static_cast<size_t>(r * c)];
        double v = g[0];
        for (dd_colrange j = 0; j < d; ++j) v += g[j + 1] * p[j];
        in = in && v > margin;
        if (v < low[r]) low[r] = v, (*more)[r] = i;
      }
    }
    (*inside)[static_cast<size_t>(i)] = in ? 1 : 0;
  }
  std::erase(*more, -1);
  return true;
}

// Flags the points of M (a V-representation of points only) strictly
// inside the hull of a few of its extreme points, the furthest ones in many
// directions: they are redundant whatever else is.  Only beyond a margin
// far above rounding, and only when the conversion of those few stands
// behind its facets; false when no cut is made.
bool inside_hull_of_extremes(dd_MatrixPtr M, std::vector<char> *inside)
{
  const dd_rowrange m = M->rowsize;
  const dd_colrange c = M->colsize;
  const dd_colrange d = c - 1;
  std::vector<double> x(static_cast<size_t>(m * d));
  for (dd_rowrange i = 0; i < m; ++i) {
    const double w = M->matrix[i][0][0];
    if (!(w > 0) || set_member(i + 1, M->linset)) return false;
    for (dd_colrange j = 0; j < d; ++j) x[static_cast<size_t>(i * d + j)] = M->matrix[i][j + 1][0] / w;
  }
  // The axes both ways and random directions.
  const int k = 16 * static_cast<int>(d * d);
  std::vector<double> u(static_cast<size_t>(d));
  zonix::Random31 rng(kSeed);
  std::vector<dd_rowrange> far;
  for (int t = 0; t < k; ++t) {
    for (dd_colrange j = 0; j < d; ++j)
      u[j] = t < 2 * d ? (j == t / 2 ? (t % 2 == 0 ? 1.0 : -1.0) : 0.0)
                       : static_cast<double>(rng.next()) / zonix::Random31::max_value - 0.5;
    dd_rowrange best = 0;
    double top = -HUGE_VAL;
    for (dd_rowrange i = 0; i < m; ++i) {
      double v = 0;
      for (dd_colrange j = 0; j < d; ++j) v += u[j] * x[static_cast<size_t>(i * d + j)];
      if (v > top) top = v, best = i;
    }
    far.push_back(best);
  }
  inside->assign(static_cast<size_t>(m), 0);
  bool any = false;
  // Rounds: the hull of the far points cuts the points; the point furthest
  // beyond each of its facets is extreme too and joins them.
  for (int round = 0; round < kCutRounds && !far.empty(); ++round) {
    std::sort(far.begin(), far.end());
    far.erase(std::unique(far.begin(), far.end()), far.end());
    std::vector<dd_rowrange> more;
    if (!cut_by_hull(M, x, far, inside, &more)) return any;
    any = true;
    far.insert(far.end(), more.begin(), more.end());
    if (more.empty()) break;
  }
  return any;
}
#endif

dd_rowset clarkson_rows(dd_MatrixPtr M, dd_ErrorType *error, bool cut, Trail *trail = nullptr);

#ifndef ZONIX_EXACT
// Points in three dimensions from one as few as this on: the hull costs
// less than the LPs of its vertices.
constexpr dd_rowrange kHullRows = 100;
// Rows the hull leaves undecided, up to this many, each get their LP over
// the rows not inside; more go to the method.
constexpr size_t kFewOpen = 32;

// The answer from the hull's verdicts: the points inside go, the vertices
// stay, the rest are decided by LPs over the points not inside, from the
// last to the first as the each-row method takes them.
dd_rowset by_hull(dd_MatrixPtr M, const std::vector<zonix::lp::HullVerdict> &verdict, dd_ErrorType *error)
{
  using zonix::lp::HullVerdict;
  const dd_rowrange m = M->rowsize;
  zonix::Set red = zonix::make_set(m);
  std::vector<dd_rowrange> left, open;
  for (dd_rowrange i = 0; i < m; ++i) {
    const HullVerdict v = verdict[static_cast<size_t>(i)];
    if (v == HullVerdict::Inside) {
      set_addelem(red.get(), i + 1);
      continue;
    }
    if (v == HullVerdict::Undecided) open.push_back(static_cast<dd_rowrange>(left.size()));
    left.push_back(i);
  }
  if (open.empty()) return red.release();
  const Matrix L(dd_MatrixSubmatrix(M, red.get()));
  if (!L) throw std::bad_alloc();
  if (open.size() > kFewOpen) {
    const zonix::Set sub(clarkson_rows(L.get(), error, false));
    if (!sub) return nullptr;
    for (size_t k = 0; k < left.size(); ++k)
      if (set_member(static_cast<long>(k) + 1, sub.get())) set_addelem(red.get(), left[k] + 1);
    return red.release();
  }
  Matrix N = zonix::lp::normalised(L.get());
  for (auto k = open.rbegin(); k != open.rend(); ++k) {
    const dd_rowrange row = *k + 1;
    if (!zonix::lp::redundant_row(N.get(), row, nullptr, error)) {
      if (*error != dd_NoError) break;
      continue;
    }
    set_addelem(red.get(), left[static_cast<size_t>(*k)] + 1);
    dd_matrixdata *raw = N.release();
    dd_MatrixRowRemove(&raw, row);
    N.reset(raw);
  }
  return red.release();
}
#endif

dd_rowset clarkson_rows(dd_MatrixPtr M, dd_ErrorType *error, bool cut, Trail *trail)
{
  *error = dd_NoError;
  const dd_rowrange m = M->rowsize;
  if (m <= 0 || M->colsize <= 0) return dd_RedundantRows(M, error);
#ifdef ZONIX_EXACT
  (void)cut;
#else
  std::vector<zonix::lp::HullVerdict> verdict;
  if (cut && m >= kHullRows && zonix::lp::hull3_verdicts(M, &verdict)) return by_hull(M, verdict, error);
  std::vector<char> inside;
  if (cut && M->representation == dd_Generator && m >= kCutRows && M->colsize <= kCutCols &&
      inside_hull_of_extremes(M, &inside)) {
    // The method on the points left; their answer read back in M's rows.
    zonix::Set drop = zonix::make_set(m);
    std::vector<dd_rowrange> left;
    for (dd_rowrange i = 0; i < m; ++i) {
      if (inside[static_cast<size_t>(i)] != 0) {
        set_addelem(drop.get(), i + 1);
      } else {
        left.push_back(i);
      }
    }
    const Matrix L(dd_MatrixSubmatrix(M, drop.get()));
    if (!L) throw std::bad_alloc();
    Trail some;
    if (trail != nullptr) some.shot.resize(left.size()), some.basis.resize(left.size()), some.based.resize(left.size());
    const zonix::Set sub(clarkson_rows(L.get(), error, false, trail != nullptr ? &some : nullptr));
    if (!sub) return nullptr;
    for (size_t k = 0; k < left.size() && trail != nullptr; ++k) {
      const auto at = static_cast<size_t>(left[k]);
      trail->shot[at] = std::move(some.shot[k]);
      trail->based[at] = some.based[k];
      for (const dd_rowrange r : some.basis[k]) trail->basis[at].push_back(left[static_cast<size_t>(r)]);
    }
    for (size_t k = 0; k < left.size(); ++k)
      if (set_member(static_cast<long>(k) + 1, sub.get())) set_addelem(drop.get(), left[k] + 1);
    return drop.release();
  }
#endif
  std::vector<char> equation;
  const Matrix N0 = h_form(M);
  const Matrix N = set_card(N0->linset) > 0 ? on_hull(N0.get(), &equation) : nullptr;
  if (set_card(N0->linset) > 0 && !N) return dd_RedundantRows(M, error);
  if (!N) equation.assign(static_cast<size_t>(m), 0);
  Clarkson run(N ? N.get() : N0.get(), equation, m);
  // On the hull of the equations the points have lost their coordinates in them.
  if (!N) run.record(trail);
  if (!run.run(error)) return dd_RedundantRows(M, error);
  zonix::Set red = zonix::make_set(m);
  if (!red) throw std::bad_alloc();
  for (dd_rowrange i = 0; i < m; ++i)
    if (run.flags()[static_cast<size_t>(i)] == kRedundant) set_addelem(red.get(), i + 1);
  return red.release();
}

}  // namespace

namespace zonix::lp {

dd_rowset clarkson_with_trail(dd_MatrixPtr M, dd_ErrorType *error, Trail *trail)
{
  const size_t m = M == nullptr ? 0 : static_cast<size_t>(M->rowsize);
  trail->shot.assign(m, {}), trail->basis.assign(m, {}), trail->based.assign(m, 0);
  if (M == nullptr) {
    *error = dd_EmptyRepresentation;
    return nullptr;
  }
  try {
    return clarkson_rows(M, error, true, trail);
  } catch (const std::bad_alloc &) {
    *error = dd_OutOfMemory;
    return nullptr;
  }
}

}  // namespace zonix::lp

extern "C" {

dd_rowset dd_RedundantRowsWith(dd_MatrixPtr M, dd_RedundancyMethod method, dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  *error = dd_NoError;
  if (M == nullptr) {
    *error = dd_EmptyRepresentation;
    return nullptr;
  }
  method = dd_ChooseRedundancyMethod(M, method);
  if (method == dd_RedundancyEachRow) return dd_RedundantRows(M, error);
  try {
    return clarkson_rows(M, error, true);
  } catch (const std::bad_alloc &) {
    *error = dd_OutOfMemory;
    return nullptr;
  }
}

dd_RedundancyMethod dd_ChooseRedundancyMethod(dd_MatrixPtr M, dd_RedundancyMethod asked)
{
  if (M == nullptr) return dd_RedundancyEachRow;
  if (asked != dd_RedundancyAuto) return asked;
  // Below this many rows one LP over all of them costs less than the
  // interior point, the shooting and the bookkeeping.
  if (M->rowsize <= 2 * M->colsize + 4) return dd_RedundancyEachRow;
  return dd_RedundancyClarkson;
}

}  // extern "C"
