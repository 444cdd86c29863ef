// Ray shooting from an interior point, and the redundancy removal built on
// it: the first facet a ray meets is essential without any LP, so most
// essential rows are found by shooting, and each LP runs against the small
// set of rows known to be essential instead of the whole matrix.
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixio.h"
#include "zonixlp.h"
#include "zonixrandom.hpp"
#include "zonixhandles.hpp"
#include "zonixlp_handles.hpp"
#include "zonixlp_internal.hpp"

namespace {

using Row = zonix::Arow;

// The work matrix of essential rows.  It is allocated for all m rows of M
// and its rowsize counts the rows in use; the destructor restores the
// allocated sizes so that every row is released.
class WorkMatrix {
 public:
  WorkMatrix(dd_rowrange m, dd_colrange c) : m_(m), c_(c), M_(zonix::make_matrix(m, c))
  {
    if (!M_) throw std::bad_alloc();
    M_->rowsize = 0;
  }
  ~WorkMatrix()
  {
    M_->rowsize = m_;
    M_->colsize = c_;
  }
  WorkMatrix(const WorkMatrix &) = delete;
  WorkMatrix &operator=(const WorkMatrix &) = delete;
  dd_MatrixPtr get() const { return M_.get(); }

  // Writes row i of source into row k (1-based, k <= m).
  void put(dd_rowrange k, dd_MatrixPtr source, dd_rowrange i) const
  {
    dd_CopyArow(M_->matrix[k - 1], source->matrix[i - 1], c_);
  }

 private:
  dd_rowrange m_;
  dd_colrange c_;
  zonix::Matrix M_;
};

// Sets t1 to row i at p; true when p lies strictly inside that row, judged
// on the row brought to a common size so that scaling a row changes nothing.
bool strictly_inside(dd_MatrixPtr M, dd_rowrange i, dd_Arow p, mytype t1)
{
  dd_InnerProduct(t1, M->colsize, M->matrix[i - 1], p);
#ifdef ZONIX_EXACT
  return dd_Positive(t1);
#else
  mytype t;
  ddd_init(t);
  ddd_set_d(t, ddd_get_d(t1) * zonix::lp::row_normaliser(M->matrix[i - 1], M->colsize, false));
  const bool inside = dd_Positive(t);
  ddd_clear(t);
  return inside;
#endif
}

// True when the ray p + lambda r really meets row `hit` first and alone:
// it is met at all (alpha < 0), and no other row is met at the same point
// unless it is the same halfspace (equal after scaling by its value at p).
// Only then is the row a facet: a ray through a lower-dimensional face may
// meet a row that merely touches the polyhedron there, and a ray that
// meets nothing still names the row with the smallest alpha.
bool clear_hit(dd_MatrixPtr M, dd_Arow p, dd_Arow r, dd_rowrange hit)
{
  if (hit <= 0) return false;
  const dd_colrange c = M->colsize;
  mytype t1, t2, alpha, best, t1best, a, b;
  ddd_init(t1);
  ddd_init(t2);
  ddd_init(alpha);
  ddd_init(best);
  ddd_init(t1best);
  ddd_init(a);
  ddd_init(b);
  dd_InnerProduct(t1best, c, M->matrix[hit - 1], p);
  dd_InnerProduct(t2, c, M->matrix[hit - 1], r);
  ddd_div(best, t2, t1best);
  bool clear = dd_Negative(best);
  for (dd_rowrange i = 1; clear && i <= M->rowsize; ++i) {
    if (i == hit) continue;
    if (!strictly_inside(M, i, p, t1)) continue;
    dd_InnerProduct(t2, c, M->matrix[i - 1], r);
    ddd_div(alpha, t2, t1);
    if (!dd_Equal(alpha, best)) continue;
    for (dd_colrange j = 0; j < c && clear; ++j) {
      ddd_div(a, M->matrix[i - 1][j], t1);
      ddd_div(b, M->matrix[hit - 1][j], t1best);
      if (!dd_Equal(a, b)) clear = false;
    }
  }
  ddd_clear(t1);
  ddd_clear(t2);
  ddd_clear(alpha);
  ddd_clear(best);
  ddd_clear(t1best);
  ddd_clear(a);
  ddd_clear(b);
  return clear;
}

// Reproducible perturbations for the retries in dd_RedundantRowsViaShooting.
constexpr unsigned int kShootSeed = 1;
constexpr int kShootRetries = 8;
// Relative size of a perturbation: far above the tolerance, so that a
// broken tie is broken by more than 1e-07, and far below the segment, so
// that the ray still leaves through a row that cvec violates.
constexpr double kShootJitter = 1e-4;

// dd_RedundantRowsViaShooting without its argument checks.
zonix::Set shoot_redundant_rows(dd_MatrixPtr Min, dd_ErrorType *error)
{
  auto plain = [&] { return zonix::Set(dd_RedundantRows(Min, error)); };
  const zonix::Matrix N = zonix::lp::normalised(Min);
  const dd_MatrixPtr M = N.get();
  const dd_rowrange m = M->rowsize;
  const dd_colrange c = M->colsize;
  if (m <= 0 || c <= 0) return plain();

  // An interior point p: the optimum of the interior-point LP.
  Row p = zonix::make_arow(c);
  if (!p) throw std::bad_alloc();
  {
    dd_ErrorType err = dd_NoError;
    zonix::LP lp;
    {
      zonix::LP lp0(dd_Matrix2LP(M, &err));
      lp.reset(dd_MakeLPforInteriorFinding(lp0.get()));
    }
    dd_LPSolve(lp.get(), dd_DualSimplex, &err);
    const bool interior = err == dd_NoError && lp && lp->LPS == dd_Optimal &&
                          dd_Positive(lp->optvalue);
    if (interior)
      for (dd_colrange j = 0; j < c; ++j) ddd_set(p[j], lp->sol[j]);
    // No interior point (equations among the rows, a lower-dimensional or
    // empty polyhedron): shooting has nowhere to start from.
    if (!interior) return plain();
  }

  WorkMatrix M1(m, c);
  zonix::Set redset = zonix::make_set(m);
  Row shootdir = zonix::make_arow(c);
  Row cvec = zonix::make_arow(c);
  if (!shootdir || !cvec) throw std::bad_alloc();
  // rowflag[i]: 0 unclassified, -1 redundant, k > 0 essential as row k of M1.
  std::vector<long> rowflag(static_cast<size_t>(m) + 1, 0);
  dd_rowrange used = 0;
  zonix::Random31 rng(kShootSeed);
  // Uniform in [-0.5, 0.5].
  auto jitter = [&rng] {
    return static_cast<double>(rng.next()) / zonix::Random31::max_value - 0.5;
  };
  auto keep = [&](dd_rowrange i) {
    M1.put(++used, M, i);
    rowflag[static_cast<size_t>(i)] = used;
  };

  // Both directions of every axis: cheap essential rows to start from.
  for (dd_colrange j = 2; j <= c; ++j) {
    for (int sign : {1, -1}) {
      for (dd_colrange k = 0; k < c; ++k) ddd_set(shootdir[k], dd_purezero);
      ddd_set_si(shootdir[j - 1], sign);
      const dd_rowrange i = dd_RayShooting(M, p.get(), shootdir.get());
      if (clear_hit(M, p.get(), shootdir.get(), i) &&
          rowflag[static_cast<size_t>(i)] == 0)
        keep(i);
    }
  }
  M1.get()->rowsize = used;

  dd_rowrange i = 1;
  while (i <= m) {
    if (rowflag[static_cast<size_t>(i)] != 0) {
      ++i;
      continue;
    }
    const dd_rowrange k = used + 1;
    M1.put(k, M, i);
    M1.get()->rowsize = k;
    dd_ErrorType err = dd_NoError;
    // M1 holds rows of the normalised M.
    if (zonix::lp::redundant_row(M1.get(), k, cvec.get(), &err)) {
      // Implied by rows of M, so redundant in M; it stays in M1 as row k,
      // where it changes nothing.
      rowflag[static_cast<size_t>(i)] = -1;
      set_addelem(redset.get(), i);
      used = k;
      ++i;
      continue;
    }
    // cvec violates row i and satisfies the rest of M1: on the way from p
    // to cvec the ray leaves the polyhedron through an unclassified
    // essential row.
    dd_rowrange i2 = -1;
    if (err == dd_NoError) {
      for (dd_colrange j = 0; j < c; ++j) ddd_sub(shootdir[j], cvec[j], p[j]);
      i2 = dd_RayShooting(M, p.get(), shootdir.get());
      // A ray through a lower-dimensional face is nudged off it.
      double scale = 0.0;
      for (dd_colrange j = 1; j < c; ++j)
        scale = std::fmax(scale, std::fabs(ddd_get_d(shootdir[j])));
      bool clear = clear_hit(M, p.get(), shootdir.get(), i2);
      for (int t = 0; t < kShootRetries && !clear; ++t) {
        ddd_set(shootdir[0], dd_purezero);
        for (dd_colrange j = 1; j < c; ++j) {
          mytype e;
          ddd_init(e);
          ddd_sub(shootdir[j], cvec[j], p[j]);
          ddd_set_d(e, scale * kShootJitter * jitter());
          ddd_add(shootdir[j], shootdir[j], e);
          ddd_clear(e);
        }
        i2 = dd_RayShooting(M, p.get(), shootdir.get());
        clear = clear_hit(M, p.get(), shootdir.get(), i2);
      }
      if (!clear) i2 = -1;
    }
    if (i2 <= 0 || rowflag[static_cast<size_t>(i2)] != 0) {
      // A failed LP leaves no certificate, and within the tolerance the ray
      // may meet a row already classified; neither happens in exact
      // arithmetic.  The plain test still gives the right answer.
      return plain();
    }
    M1.put(k, M, i2);
    rowflag[static_cast<size_t>(i2)] = k;
    used = k;
    // i is not advanced: when i2 != i, row i is tested again against the
    // enlarged M1.
    M1.get()->rowsize = used;
  }
  return redset;
}

}  // namespace

extern "C" {

dd_rowrange dd_RayShooting(dd_MatrixPtr M, dd_Arow p, dd_Arow r)
{
  if (M == nullptr || p == nullptr || r == nullptr || M->colsize <= 0) return -1;
  const dd_rowrange m = M->rowsize;
  const dd_colrange c = M->colsize;

  if (!dd_Equal(p[0], dd_one)) {
    dd_Printf(stderr,
                 "Warning: RayShooting is called with a point with first "
                 "coordinate not 1.\n");
    ddd_set(p[0], dd_one);
  }
  if (!dd_EqualToZero(r[0])) {
    dd_Printf(stderr,
                 "Warning: RayShooting is called with a direction with first "
                 "coordinate not 0.\n");
    ddd_set(r[0], dd_purezero);
  }

  Row vec = zonix::make_arow(c);
  Row vecmin = zonix::make_arow(c);
  if (!vec || !vecmin) return -1;
  mytype t1, t2, alpha, min, t1min;
  ddd_init(t1);
  ddd_init(t2);
  ddd_init(alpha);
  ddd_init(min);
  ddd_init(t1min);
  dd_rowrange imin = -1;
  for (dd_rowrange i = 1; i <= m; ++i) {
    // Rows tight at p (or violated) would be met at once or never.
    if (!strictly_inside(M, i, p, t1)) continue;
    dd_InnerProduct(t2, c, M->matrix[i - 1], r);
    // The row is met at lambda = -t1/t2 when t2 < 0; the smallest
    // alpha = t2/t1 is the earliest meeting.
    ddd_div(alpha, t2, t1);
    if (imin < 0) {
      ddd_set(min, alpha);
      ddd_set(t1min, t1);
      imin = i;
      continue;
    }
    bool take = false;
    if (dd_Smaller(alpha, min)) {
      take = true;
    } else if (dd_Equal(alpha, min)) {
      // Rows met at the same point: scaled by their value at p, the
      // lexicographically smallest wins, so the choice does not depend on
      // the row order or on positive scaling of a row.
      for (dd_colrange j = 0; j < c; ++j) {
        ddd_div(vec[j], M->matrix[i - 1][j], t1);
        ddd_div(vecmin[j], M->matrix[imin - 1][j], t1min);
      }
      take = dd_LexSmaller(vec.get(), vecmin.get(), c);
    }
    if (take) {
      ddd_set(min, alpha);
      ddd_set(t1min, t1);
      imin = i;
    }
  }
  ddd_clear(t1);
  ddd_clear(t2);
  ddd_clear(alpha);
  ddd_clear(min);
  ddd_clear(t1min);
  return imin;
}

dd_rowset dd_RedundantRowsViaShooting(dd_MatrixPtr M, dd_ErrorType *error)
{
  dd_ErrorType local = dd_NoError;
  if (error == nullptr) error = &local;
  *error = dd_NoError;
  if (M == nullptr) {
    *error = dd_EmptyRepresentation;
    return nullptr;
  }
  // The bookkeeping vector may fail to allocate; that ends here as a null
  // result.
  try {
    return shoot_redundant_rows(M, error).release();
  } catch (const std::bad_alloc &) {
    *error = dd_OutOfMemory;
    return nullptr;
  }
}

}  // extern "C"
