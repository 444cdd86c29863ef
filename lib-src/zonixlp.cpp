// LP records: creation from a matrix, row edits, solution snapshots, and
// the driver that dispatches a solve to one of the two methods.
#include "zonixlp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <vector>

#include "zonixcore.h"
#include "zonixhandles.hpp"
#include "zonixio.h"
#include "zonixlp_internal.hpp"

namespace {

long *new_longs(long n)
{
  return static_cast<long *>(
      std::calloc(static_cast<size_t>(n > 0 ? n : 1), sizeof(long)));
}

bool row_in_range(const dd_LPType *lp, dd_rowrange i)
{
  return lp != nullptr && i >= 1 && i <= lp->m;
}


#ifdef ZONIX_EXACT
// In rationals no scaling changes a decision and no answer needs checking:
// the method asked for, and the other one should it give up.
void solve_checked(dd_LPPtr lp, dd_LPSolverType solver, dd_ErrorType *err)
{
  if (lp->objective != dd_LPmax && lp->objective != dd_LPmin) {
    *err = dd_NoLPObjective;
    return;
  }
  const dd_LPSolverType other = solver == dd_CrissCross ? dd_DualSimplex : dd_CrissCross;
  for (dd_LPSolverType method : {solver, other}) {
    *err = dd_NoError;
    if (method == dd_CrissCross)
      dd_CrissCrossSolve(lp, err);
    else
      dd_DualSimplexSolve(lp, err);
    if (*err == dd_NoError || *err == dd_Interrupted || *err == dd_OutOfMemory) return;
  }
}
#else
// An answer is checked against the caller's own rows with this tolerance,
// relative to the size of the terms that make up each tested quantity: far
// above the rounding of a sound solve, far below what a wrong basis leaves.
inline constexpr double kCheckRel = 1e-7;

using zonix::lp::normaliser;

double get(const mytype x) { return x[0]; }

// max without libm's call; a NaN v leaves m as it was, as fmax would.
double bigger(double m, double v) { return v > m ? v : m; }

// Rows and columns whose largest entry lies within this factor of 1 are
// solved as they stand: the tolerance means nearly the same for them, and
// most LPs then need no pass that scales and restores them.
inline constexpr double kScaleBand = 16;

double factor(double v)
{
  return v >= 1 / kScaleBand && v <= kScaleBand ? 1.0 : normaliser(v);
}

// The LP is solved with row i multiplied by row[i] and column j by col[j]
// (the constant column stays), the objective by row[objrow], all powers of
// two, and is then put back bit for bit.  So x = col * x'' and a row
// variable y_i = y''_i / row[i].  rowmax[i] is the largest |a_ik| of the
// caller's row i over the variable columns, which the checks use too.
struct Scaling {
  std::vector<double> row, col, rowmax;
  bool cols_one = true;  // every col[j] is 1
  bool identity() const
  {
    return cols_one && std::all_of(row.begin(), row.end(), [](double r) { return r == 1.0; });
  }
};

Scaling scaling_of(const dd_LPType &lp)
{
  const auto m = static_cast<size_t>(lp.m), d = static_cast<size_t>(lp.d);
  const size_t rhs = static_cast<size_t>(lp.rhscol - 1), obj = static_cast<size_t>(lp.objrow - 1);
  Scaling sc{std::vector<double>(m, 1.0), std::vector<double>(d, 1.0), std::vector<double>(m, 0.0)};
  // One pass takes the row norms and, for rows of factor 1 (most often
  // all), the column norms; rows of another factor are taken again.
  std::vector<double> colmax(d, 0.0);
  bool rows_one = true;
  for (size_t i = 0; i < m; ++i) {
    if (i == obj) continue;
    const mytype *a = lp.A[i];
    double mx = 0;
    for (size_t j = 0; j < d; ++j) {
      const double v = std::fabs(get(a[j]));
      if (j != rhs) mx = bigger(mx, v);
      colmax[j] = bigger(colmax[j], v);
    }
    sc.rowmax[i] = mx;
    // A row without variables is judged by its constant.
    sc.row[i] = factor(mx > 0 ? mx : std::fabs(get(a[rhs])));
    rows_one = rows_one && sc.row[i] == 1.0;
  }
  if (!rows_one) {
    std::fill(colmax.begin(), colmax.end(), 0.0);
    for (size_t i = 0; i < m; ++i)
      if (i != obj)
        for (size_t j = 0; j < d; ++j) colmax[j] = bigger(colmax[j], std::fabs(get(lp.A[i][j])) * sc.row[i]);
  }
  for (size_t j = 0; j < d; ++j) {
    if (j == rhs) continue;
    sc.col[j] = factor(colmax[j]);
    sc.cols_one = sc.cols_one && sc.col[j] == 1.0;
  }
  if (obj < m) {
    double mx = 0, scaled = 0;
    for (size_t j = 0; j < d; ++j) {
      if (j == rhs) continue;
      const double v = std::fabs(get(lp.A[obj][j]));
      mx = bigger(mx, v);
      scaled = bigger(scaled, v * sc.col[j]);
    }
    sc.rowmax[obj] = mx;
    sc.row[obj] = factor(scaled > 0 ? scaled : std::fabs(get(lp.A[obj][rhs])));
  }
  if (sc.identity()) return sc;
  // Scaling is exact while no entry, halfway or scaled, leaves the normal
  // doubles; near the ends of the range the LP is solved as it stands (and
  // still checked).  Row m is phase I's scratch, scaled with the columns.
  double cmin = 1, cmax = 1;
  for (double c : sc.col) {
    cmin = std::fmin(cmin, c);
    cmax = std::fmax(cmax, c);
  }
  for (size_t i = 0; i <= m; ++i) {
    const double r = i < m ? sc.row[i] : 1.0;
    if (r == 1.0 && sc.cols_one) continue;
    double hi = 0, lo = HUGE_VAL;
    for (size_t j = 0; j < d; ++j) {
      const double v = std::fabs(get(lp.A[i][j]));
      hi = bigger(hi, v);
      if (v > 0 && v < lo) lo = v;
    }
    if (hi > 0 && !(lo * r * cmin >= 0x1p-1000 && hi * r * cmax <= 0x1p1000)) {
      std::fill(sc.row.begin(), sc.row.end(), 1.0);
      std::fill(sc.col.begin(), sc.col.end(), 1.0);
      sc.cols_one = true;
      return sc;
    }
  }
  return sc;
}

// Scales lp's rows (forward) or puts them back; row m, phase I's scratch,
// goes along with the columns so that it comes back as it was when no
// phase I writes it.  Rows of factor 1 are left alone while the columns
// are.
void rescale(dd_LPType &lp, const Scaling &sc, bool forward)
{
  const auto m = static_cast<size_t>(lp.m), d = static_cast<size_t>(lp.d);
  // Inverses of powers of two are exact.
  std::vector<double> col(sc.col);
  if (!forward)
    for (double &c : col) c = 1.0 / c;
  for (size_t i = 0; i <= m; ++i) {
    const double r = i == m ? 1.0 : forward ? sc.row[i] : 1.0 / sc.row[i];
    if (r == 1.0 && sc.cols_one) continue;
    mytype *a = lp.A[i];
    if (forward)
      for (size_t j = 0; j < d; ++j) a[j][0] = a[j][0] * r * col[j];
    else
      for (size_t j = 0; j < d; ++j) a[j][0] = a[j][0] * col[j] * r;
  }
}

// One answer in the caller's scale, not yet handed over.
struct Answer {
  dd_LPStatusType lps = dd_LPSundecided;
  double optvalue = 0;
  std::vector<double> sol, dsol, gain;  // gain[j]: n''_j = gain[j] n_j
  std::vector<long> nbindex;
};

Answer map_back(const dd_LPType &s, const Scaling &sc)
{
  const auto d = static_cast<size_t>(s.d);
  const double obj = sc.row[static_cast<size_t>(s.objrow - 1)];
  Answer a;
  a.lps = s.LPS;
  a.sol.assign(d, 0);
  a.dsol.assign(d, 0);
  a.gain.assign(d + 1, 1.0);
  a.nbindex.assign(s.nbindex, s.nbindex + d + 1);
  for (size_t j = 1; j <= d; ++j) {
    const long nb = s.nbindex[j];
    a.gain[j] = nb > 0 ? sc.row[static_cast<size_t>(nb - 1)] : nb < 0 ? 1.0 / sc.col[static_cast<size_t>(-nb - 1)] : 1.0;
  }
  // Dual values are dictionary entries of the objective row, or of row re
  // for an infeasibility certificate.
  const double by = s.LPS == dd_Inconsistent ? sc.row[static_cast<size_t>(s.re - 1)] : obj;
  const double dir = s.LPS == dd_DualInconsistent || s.LPS == dd_StrucDualInconsistent
                         ? a.gain[static_cast<size_t>(s.se)] : 1.0;
  for (size_t j = 0; j < d; ++j) {
    a.sol[j] = get(s.sol[j]) * sc.col[j] * dir;
    a.dsol[j] = get(s.dsol[j]) * a.gain[j + 1] / by;
  }
  a.optvalue = get(s.optvalue) / obj;
  return a;
}

// Whether the answer holds for the caller's rows: an optimum by primal and
// dual feasibility and complementary slackness, infeasibility by its
// Farkas combination, unboundedness by its improving direction.
class Check {
 public:
  Check(const dd_LPType &lp, const Answer &a, const std::vector<double> &rowmax)
      : lp_(lp), a_(a), rowmax_(rowmax), d_(static_cast<size_t>(lp.d)),
        rhs_(static_cast<size_t>(lp.rhscol - 1)), obj_(static_cast<size_t>(lp.objrow - 1))
  {
  }

  bool holds() const
  {
    const double sense = lp_.objective == dd_LPmin ? -1.0 : 1.0;
    std::vector<double> r, mag;
    switch (a_.lps) {
      case dd_Optimal: {
        if (a_.sol[rhs_] != 1.0 || !feasible(a_.sol, false)) return false;
        for (size_t j = 1; j <= d_; ++j) {
          const long nb = a_.nbindex[j];
          double tol = 0;
          if (nb > 0 && !(std::fabs(value(static_cast<size_t>(nb - 1), a_.sol, &tol)) <= tol)) return false;
        }
        // c + sum_j dsol_j N_j leaves the optimal value as its constant.
        if (!combine(obj_, 1.0, sense, &r, &mag)) return false;
        double tol = 0;
        const double cx = value(obj_, a_.sol, &tol);
        const double size = *std::max_element(mag.begin(), mag.end());
        return std::fabs(r[rhs_] - a_.optvalue) <= kCheckRel * size &&
               std::fabs(cx - a_.optvalue) <= tol + kCheckRel * std::fabs(a_.optvalue);
      }
      case dd_Inconsistent:
        // Row re plus nonnegative multiples of the nonbasic rows: a
        // negative constant and nothing else, which no x satisfies.  (A
        // minimisation hands its dual values negated, certificate included.)
        if (lp_.re < 1 || lp_.re > lp_.m || !combine(static_cast<size_t>(lp_.re - 1), sense, 1.0, &r, &mag))
          return false;
        return r[rhs_] < -kCheckRel * mag[rhs_];
      case dd_DualInconsistent:
      case dd_StrucDualInconsistent: {
        // A direction that keeps every row and improves the objective.
        if (a_.sol[rhs_] != 0.0 || !feasible(a_.sol, true)) return false;
        double gain = 0, size = 0;
        for (size_t k = 0; k < d_; ++k) {
          gain += A(obj_, k) * a_.sol[k];
          size += std::fabs(A(obj_, k) * a_.sol[k]);
        }
        return sense * gain > kCheckRel * size;
      }
      default:
        return false;
    }
  }

 private:
  double A(size_t i, size_t k) const { return get(lp_.A[i][k]); }

  // The largest |v_k| over the variable columns for a direction v, whose
  // length is arbitrary; 1 for a point.
  double reach(const std::vector<double> &v, bool direction) const
  {
    double vmax = 0;
    if (direction)
      for (size_t k = 0; k < d_; ++k)
        if (k != rhs_) vmax = bigger(vmax, std::fabs(v[k]));
    return direction ? vmax : 1.0;
  }

  // Row i at v, and in *tol the allowance for its rounding; `reach` as
  // above.
  double value(size_t i, const std::vector<double> &v, double *tol, double reach = 1.0) const
  {
    const mytype *a = lp_.A[i];
    const double *x = v.data();
    double sum = 0, mag = 0;
    for (size_t k = 0; k < d_; ++k) {
      const double t = a[k][0] * x[k];
      sum += t;
      mag += std::fabs(t);
    }
    *tol = kCheckRel * (mag + rowmax_[i] * reach);
    return sum;
  }

  bool feasible(const std::vector<double> &v, bool direction) const
  {
    const double r = reach(v, direction);
    for (size_t i = 0; i < static_cast<size_t>(lp_.m); ++i) {
      double tol = 0;
      if (i != obj_ && !(value(i, v, &tol, r) >= -tol)) return false;
    }
    return true;
  }

  // *r := row `base` + sum over the nonbasic columns of w_j N_j, where
  // w_j = flip dsol_j, N_j is row nbindex[j] and w must have the sign
  // `sense` (those wrong only by rounding count as 0); a column variable
  // never entered must have no dual value at all.  The constant column of r
  // leaves out the constant column's own entry.  False when r is not zero
  // in every variable column.
  bool combine(size_t base, double flip, double sense, std::vector<double> *r, std::vector<double> *mag) const
  {
    r->assign(d_, 0);
    mag->assign(d_, 0);
    double wmax = 0, bmax = 0;
    for (size_t k = 0; k < d_; ++k) {
      (*r)[k] = A(base, k);
      (*mag)[k] = std::fabs(A(base, k));
      bmax = bigger(bmax, (*mag)[k]);
      if (k != rhs_) wmax = bigger(wmax, std::fabs(a_.dsol[k]));
    }
    if (!std::isfinite(wmax)) return false;
    for (size_t j = 1; j <= d_; ++j) {
      const long nb = a_.nbindex[j];
      double w = flip * a_.dsol[j - 1];
      if (j - 1 == rhs_) continue;
      if (nb <= 0) {
        if (!(std::fabs(w) <= kCheckRel * (wmax + bmax))) return false;
        continue;
      }
      if (sense * w < 0) {
        if (sense * w < -kCheckRel * wmax) return false;
        w = 0;
      }
      for (size_t k = 0; k < d_; ++k) {
        (*r)[k] += w * A(static_cast<size_t>(nb - 1), k);
        (*mag)[k] += std::fabs(w * A(static_cast<size_t>(nb - 1), k));
      }
    }
    // Norm-wise: a column whose terms are all tiny is judged by the largest.
    double overall = 0;
    for (size_t k = 0; k < d_; ++k)
      if (k != rhs_) overall = bigger(overall, (*mag)[k]);
    for (size_t k = 0; k < d_; ++k)
      if (k != rhs_ && !(std::fabs((*r)[k]) <= kCheckRel * overall)) return false;
    return true;
  }

  const dd_LPType &lp_;
  const Answer &a_;
  const std::vector<double> &rowmax_;
  size_t d_, rhs_, obj_;
};

// Solves lp, scaled, by `solver`, then by the other method when that
// fails or its answer does not hold; lp receives only a checked answer.
void solve_checked(dd_LPPtr lp, dd_LPSolverType solver, dd_ErrorType *err)
{
  if (lp->objective != dd_LPmax && lp->objective != dd_LPmin) {
    *err = dd_NoLPObjective;
    return;
  }
  const auto d = static_cast<size_t>(lp->d);
  const Scaling sc = scaling_of(*lp);
  // What a failed solve leaves in place of an answer.
  std::vector<double> stale(2 * d + 1);
  for (size_t j = 0; j < d; ++j) {
    stale[j] = get(lp->sol[j]);
    stale[d + j] = get(lp->dsol[j]);
  }
  stale[2 * d] = get(lp->optvalue);
  long pivots[5] = {0, 0, 0, 0, 0};
  bool unchecked = false;
  dd_ErrorType last = dd_NoError;
  const dd_LPSolverType other = solver == dd_CrissCross ? dd_DualSimplex : dd_CrissCross;
  for (dd_LPSolverType method : {solver, other}) {
    dd_ErrorType e = dd_NoError;
    rescale(*lp, sc, true);
    if (method == dd_CrissCross)
      dd_CrissCrossSolve(lp, &e);
    else
      dd_DualSimplexSolve(lp, &e);
    rescale(*lp, sc, false);
    for (int k = 0; k < 5; ++k) pivots[k] += lp->pivots[k];
    if (e == dd_Interrupted || e == dd_OutOfMemory) {
      last = e;
      break;
    }
    if (e != dd_NoError) {
      last = e;
      continue;
    }
    const Answer a = map_back(*lp, sc);
    if (!Check(*lp, a, sc.rowmax).holds()) {
      unchecked = true;
      continue;
    }
    ddd_set_d(lp->optvalue, a.optvalue);
    for (size_t j = 0; j < d; ++j) {
      ddd_set_d(lp->sol[j], a.sol[j]);
      ddd_set_d(lp->dsol[j], a.dsol[j]);
      // The basis inverse for the caller's rows: x = col T'' gain n.
      for (size_t k = 0; k < d; ++k) lp->B[k][j][0] *= sc.col[k] * a.gain[j + 1];
    }
    for (int k = 0; k < 5; ++k) lp->pivots[k] = pivots[k];
    return;
  }
  // No answer that holds.
  for (int k = 0; k < 5; ++k) lp->pivots[k] = pivots[k];
  lp->LPS = dd_LPSundecided;
  for (size_t j = 0; j < d; ++j) {
    ddd_set_d(lp->sol[j], stale[j]);
    ddd_set_d(lp->dsol[j], stale[d + j]);
  }
  ddd_set_d(lp->optvalue, stale[2 * d]);
  *err = unchecked && last != dd_Interrupted && last != dd_OutOfMemory ? dd_NumericallyInconsistent : last;
}

#endif

}  // namespace

extern "C" {

dd_LPPtr dd_CreateLPData(dd_LPObjectiveType obj, dd_NumberType nt,
                         dd_rowrange m, dd_colrange d)
{
  if (m < 0 || d < 0) return nullptr;
  auto *lp = static_cast<dd_LPPtr>(std::calloc(1, sizeof(dd_LPType)));
  if (lp == nullptr) return nullptr;
  lp->objective = obj;
  lp->numbtype = nt;
  lp->solver = dd_DualSimplex;
  lp->LPS = dd_LPSundecided;
  lp->m = m;
  lp->d = d;
  lp->objrow = m;
  lp->rhscol = 1;
  lp->eqnumber = 0;
  // Row m+1 is the dual simplex's auxiliary row; two spare columns keep
  // room for callers that extend the LP by a column.
  lp->m_alloc = m + 2;
  lp->d_alloc = d + 2;
  lp->nbindex = new_longs(d + 1);
  lp->given_nbindex = new_longs(d + 1);
  set_initialize(&lp->equalityset, m);
  dd_InitializeBmatrix(lp->d_alloc, &lp->B);
  dd_InitializeAmatrix(lp->m_alloc, lp->d_alloc, &lp->A);
  dd_InitializeArow(lp->d_alloc, &lp->sol);
  dd_InitializeArow(lp->d_alloc, &lp->dsol);
  ddd_init(lp->optvalue);
  return lp;
}

dd_LPPtr dd_Matrix2LP(dd_MatrixPtr M, dd_ErrorType *err)
{
  if (M == nullptr) {
    if (err != nullptr) *err = dd_EmptyRepresentation;
    return nullptr;
  }
  if (err != nullptr) *err = dd_NoError;
  const dd_rowrange rows = M->rowsize;
  const dd_colrange d = M->colsize;
  const dd_rowrange linc = set_card(M->linset);
  const dd_rowrange m = rows + linc + 1;

  dd_LPPtr lp = dd_CreateLPData(M->objective, M->numbtype, m, d);
  if (lp == nullptr) return nullptr;
  lp->Homogeneous = dd_TRUE;
  lp->eqnumber = linc;

  dd_rowrange irev = rows;
  for (dd_rowrange i = 1; i <= rows; ++i) {
    if (set_member(i, M->linset)) {
      ++irev;
      set_addelem(lp->equalityset, i);
      for (dd_colrange j = 0; j < d; ++j)
        ddd_neg(lp->A[irev - 1][j], M->matrix[i - 1][j]);
    }
    for (dd_colrange j = 0; j < d; ++j)
      ddd_set(lp->A[i - 1][j], M->matrix[i - 1][j]);
    // The last input row is not examined: the flag only informs callers,
    // and no solver step reads it.
    if (i < rows && d > 0 && dd_Nonzero(M->matrix[i - 1][0]))
      lp->Homogeneous = dd_FALSE;
  }
  for (dd_colrange j = 0; j < d; ++j)
    ddd_set(lp->A[m - 1][j], M->rowvec[j]);
  return lp;
}

void dd_FreeLPData(dd_LPPtr lp)
{
  if (lp == nullptr) return;
  ddd_clear(lp->optvalue);
  dd_FreeArow(lp->d_alloc, lp->dsol);
  dd_FreeArow(lp->d_alloc, lp->sol);
  dd_FreeBmatrix(lp->d_alloc, lp->B);
  dd_FreeAmatrix(lp->m_alloc, lp->d_alloc, lp->A);
  set_free(lp->equalityset);
  std::free(lp->nbindex);
  std::free(lp->given_nbindex);
  std::free(lp);
}

dd_LPSolutionPtr dd_CopyLPSolution(dd_LPPtr lp)
{
  if (lp == nullptr) return nullptr;
  auto *s =
      static_cast<dd_LPSolutionPtr>(std::calloc(1, sizeof(dd_LPSolutionType)));
  if (s == nullptr) return nullptr;
  std::memcpy(s->filename, lp->filename, sizeof(dd_DataFileType));
  s->objective = lp->objective;
  s->solver = lp->solver;
  s->m = lp->m;
  s->d = lp->d;
  s->numbtype = lp->numbtype;
  s->LPS = lp->LPS;
  ddd_init(s->optvalue);
  ddd_set(s->optvalue, lp->optvalue);
  const dd_colrange n = lp->d + 1;
  dd_InitializeArow(n, &s->sol);
  dd_InitializeArow(n, &s->dsol);
  s->nbindex = new_longs(n);
  for (dd_colrange j = 0; j < n; ++j) {
    ddd_set(s->sol[j], lp->sol[j]);
    ddd_set(s->dsol[j], lp->dsol[j]);
    s->nbindex[j] = lp->nbindex[j];
  }
  for (int k = 0; k < 5; ++k) s->pivots[k] = lp->pivots[k];
  s->total_pivots = lp->total_pivots;
  return s;
}

void dd_FreeLPSolution(dd_LPSolutionPtr lps)
{
  if (lps == nullptr) return;
  std::free(lps->nbindex);
  dd_FreeArow(lps->d + 1, lps->dsol);
  dd_FreeArow(lps->d + 1, lps->sol);
  ddd_clear(lps->optvalue);
  std::free(lps);
}

int dd_LPReverseRow(dd_LPPtr lp, dd_rowrange i)
{
  if (!row_in_range(lp, i)) return 0;
  for (dd_colrange j = 0; j < lp->d; ++j)
    ddd_neg(lp->A[i - 1][j], lp->A[i - 1][j]);
  lp->LPS = dd_LPSundecided;
  return 1;
}

int dd_LPReplaceRow(dd_LPPtr lp, dd_rowrange i, dd_Arow a)
{
  if (!row_in_range(lp, i) || a == nullptr) return 0;
  for (dd_colrange j = 0; j < lp->d; ++j) ddd_set(lp->A[i - 1][j], a[j]);
  lp->LPS = dd_LPSundecided;
  return 1;
}

dd_Arow dd_LPCopyRow(dd_LPPtr lp, dd_rowrange i)
{
  if (!row_in_range(lp, i) || lp->d < 1) return nullptr;
  dd_Arow a = nullptr;
  dd_InitializeArow(lp->d, &a);
  for (dd_colrange j = 0; j < lp->d; ++j) ddd_set(a[j], lp->A[i - 1][j]);
  return a;
}

void dd_SetNumberType(char *line, dd_NumberType *number, dd_ErrorType *Error)
{
  if (line != nullptr && std::strncmp(line, "integer", 7) == 0) {
    *number = dd_Integer;
  } else if (line != nullptr && std::strncmp(line, "rational", 8) == 0) {
    *number = dd_Rational;
  } else if (line != nullptr && std::strncmp(line, "real", 4) == 0) {
    *number = dd_Real;
  } else {
    *number = dd_Unknown;
    *Error = dd_ImproperInputFormat;
  }
}

void dd_WriteLP(FILE *f, dd_LPPtr lp)
{
  if (lp == nullptr) {
    dd_Printf(f, "WriteLP: The requested lp is empty\n");
    return;
  }
  dd_Printf(f, "H-representation\n");
  dd_WriteAmatrix(f, lp->A, lp->m - 1, lp->d);
  if (lp->objective != dd_LPnone) {
    dd_Printf(f, lp->objective == dd_LPmax ? "maximize\n" : "minimize\n");
    dd_WriteArow(f, lp->A[lp->objrow - 1], lp->d);
  }
}

dd_boolean dd_LPSolve(dd_LPPtr lp, dd_LPSolverType solver, dd_ErrorType *err)
{
  dd_ErrorType local = dd_NoError;
  if (err == nullptr) err = &local;
  *err = dd_NoError;
  if (lp == nullptr) {
    *err = dd_EmptyRepresentation;
    return dd_FALSE;
  }
  lp->solver = solver;
  lp->starttime = std::time(nullptr);
  if (solver == dd_CrissCross || solver == dd_DualSimplex) {
    try {
      solve_checked(lp, solver, err);
    } catch (const std::bad_alloc &) {
      *err = dd_OutOfMemory;
      lp->LPS = dd_LPSundecided;
    }
  }
  lp->endtime = std::time(nullptr);
  lp->total_pivots = 0;
  for (int k = 0; k < 5; ++k) lp->total_pivots += lp->pivots[k];
  return *err == dd_NoError ? dd_TRUE : dd_FALSE;
}

dd_boolean dd_LPSolve0(dd_LPPtr lp, dd_LPSolverType solver, dd_ErrorType *err)
{
  return dd_LPSolve(lp, solver, err);
}

}  // extern "C"
