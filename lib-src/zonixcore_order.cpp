// The order in which rows are added: precomputed orders (by index,
// lexicographic, spread, pseudo-random) and the dynamic rules that count,
// for each candidate row, the rays it would cut off.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "zonixcore_internal.hpp"
#include "zonixcore_scale.hpp"
#include "zonixio.h"
#include "zonixrandom.hpp"

using namespace zonix::core;

namespace {

bool excluded_row(dd_rowset excluded, dd_rowrange i)
{
  return in_set(excluded, i);
}

// Farthest-first costs m^2 d / 2 multiply-adds; above this many the
// spread is bit reversal, linear, and nearly as good.
inline constexpr double farthest_first_work = 1 << 25;
// A column with fewer distinct values than one in this many rows (or
// than four) does not sweep: it splits the rows into a few slabs (0/1
// data, cubes, cross-polytopes), which are not spread.
inline constexpr long rows_per_value = 8;
inline constexpr long fewest_values = 4;
// Two doubles side by side.
typedef double Pair __attribute__((vector_size(16)));

// Whether OV[1..m], sorted lexicographically, is a sweep: the rows' first
// entries equal (points, or inequalities of one right-hand side), and the
// first column that differs taking many values.  Points then enter along
// a line, and each one sees the whole front of the hull so far: most rays
// are cut and remade at every step.
bool lexicographic_sweep(dd_ConePtr cone, const dd_rowindex OV)
{
  const dd_rowrange m = cone->m;
  if (m < 3) return false;
  for (dd_colrange j = 0; j < cone->d; ++j) {
    long values = 1;
    for (dd_rowrange i = 1; i < m; ++i)
      values += dd_Equal(cone->A[OV[i] - 1][j], cone->A[OV[i + 1] - 1][j]) ? 0 : 1;
    if (values == 1) continue;  // a constant column: the next one decides
    if (j == 0 || values < fewest_values || values * rows_per_value <= m) return false;
    return column_scales_within(cone->A, m, j, cone->d, column_scale_spread);
  }
  return false;
}

// Rewrites the sweep OV[1..m] farthest-first: from the first row, each
// next row the one farthest (Euclidean) from those taken, the earlier in
// the sweep among equals.  The hull then grows by points far outside it,
// each seeing few of its facets, and the first rows, which make the
// initial basis, span the points well.
void spread_rows(dd_ConePtr cone, dd_rowindex OV)
{
  const dd_rowrange m = cone->m;
  const dd_colrange d = cone->d;
  std::vector<dd_rowrange> out;
  out.reserve(static_cast<size_t>(m));
  if (static_cast<double>(m) * static_cast<double>(m) * static_cast<double>(d) / 2 > farthest_first_work) {
    // Positions in bit-reversed order: every prefix spread along the sweep.
    int bits = 0;
    while ((1L << bits) < m) ++bits;
    for (long i = 0; i < (1L << bits); ++i) {
      long r = 0;
      for (int t = 0; t < bits; ++t) r |= ((i >> t) & 1L) << (bits - 1 - t);
      if (r < m) out.push_back(OV[r + 1]);
    }
  } else {
    // Each column scaled to the range of its entries, so that no one
    // coordinate (the highest power of a moment curve) decides alone.
    // Stored by column over the rows not yet taken, which are moved to the
    // front: every distance then runs down contiguous columns.
    const size_t mm = static_cast<size_t>(m);
    std::vector<double> x(mm * static_cast<size_t>(d));
    for (dd_colrange j = 0; j < d; ++j) {
      double lo = ddd_get_d(cone->A[OV[1] - 1][j]), hi = lo;
      for (dd_rowrange i = 0; i < m; ++i) {
        const double v = ddd_get_d(cone->A[OV[i + 1] - 1][j]);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
      const double scale = hi > lo ? 1.0 / (hi - lo) : 0.0;
      for (dd_rowrange i = 0; i < m; ++i)
        x[static_cast<size_t>(j) * mm + static_cast<size_t>(i)] =
            ddd_get_d(cone->A[OV[i + 1] - 1][j]) * scale;
    }
    std::vector<double> dist(mm, std::numeric_limits<double>::infinity());
      std::vector<dd_rowrange> sweep(mm);  // the sweep position of each slot
    for (size_t i = 0; i < mm; ++i) sweep[i] = static_cast<dd_rowrange>(i);
    std::vector<double> c(static_cast<size_t>(d));
    size_t left = mm;
    for (size_t cur = 0; left > 0;) {
      out.push_back(OV[sweep[cur] + 1]);
      for (dd_colrange j = 0; j < d; ++j) c[static_cast<size_t>(j)] = x[static_cast<size_t>(j) * mm + cur];
      // The last slot fills the taken one.
      --left;
      sweep[cur] = sweep[left];
      dist[cur] = dist[left];
      for (dd_colrange j = 0; j < d; ++j) x[static_cast<size_t>(j) * mm + cur] = x[static_cast<size_t>(j) * mm + left];
      if (left == 0) break;
      // Summed column by column, in the order of a row's own sum; a block
      // of rows at a time, whose sums stay in registers across the columns
      // and are taken into the distances while still in the cache.
      size_t next = 0;
      double far = -1.0;
      auto take = [&](size_t i, double sum) {
        double &di = dist[i];
        di = std::min(di, sum);
        // The earlier in the sweep among equals.
        if (di > far || (di == far && sweep[i] < sweep[next])) {
          far = di;
          next = i;
        }
      };
      size_t i0 = 0;
      for (; i0 + 8 <= left; i0 += 8) {
        Pair a0 = {}, a1 = {}, a2 = {}, a3 = {};
        for (dd_colrange j = 0; j < d; ++j) {
          const double *col = &x[static_cast<size_t>(j) * mm + i0];
          const Pair cj = {c[static_cast<size_t>(j)], c[static_cast<size_t>(j)]};
          Pair v0, v1, v2, v3;
          std::memcpy(&v0, col, sizeof v0);
          std::memcpy(&v1, col + 2, sizeof v1);
          std::memcpy(&v2, col + 4, sizeof v2);
          std::memcpy(&v3, col + 6, sizeof v3);
          v0 -= cj;
          v1 -= cj;
          v2 -= cj;
          v3 -= cj;
          a0 += v0 * v0;
          a1 += v1 * v1;
          a2 += v2 * v2;
          a3 += v3 * v3;
        }
        take(i0, a0[0]);
        take(i0 + 1, a0[1]);
        take(i0 + 2, a1[0]);
        take(i0 + 3, a1[1]);
        take(i0 + 4, a2[0]);
        take(i0 + 5, a2[1]);
        take(i0 + 6, a3[0]);
        take(i0 + 7, a3[1]);
      }
      for (size_t i = i0; i < left; ++i) {
        double acc = 0.0;
        for (dd_colrange j = 0; j < d; ++j) {
          const double v = x[static_cast<size_t>(j) * mm + i] - c[static_cast<size_t>(j)];
          acc += v * v;
        }
        take(i, acc);
      }
      cur = next;
    }
  }
  std::copy(out.begin(), out.end(), OV + 1);
}

void order_by_columns(dd_ConePtr cone);

// Rows in many columns with dense supports have no blocks of columns for
// order_by_columns to follow, and lexmin keeps their intermediate cones
// smaller: generators covering more than a third of the columns on
// average (cut vectors, magic squares), inequalities covering more than a
// fifth (the facets of contingency cones).  Sparse ones (permutation
// matrices, the 0/1 columns of a transportation matrix, x >= 0 and
// triangle inequalities) keep the columns order, and so do few columns,
// where the two orders come close.
inline constexpr long kDenseGeneratorShare = 3;
inline constexpr long kDenseInequalityShare = 5;
inline constexpr dd_colrange kDenseColumns = 16;

bool dense_rows(dd_ConePtr cone)
{
  if (cone->d <= kDenseColumns) return false;
  long nonzero = 0;
  for (dd_rowrange i = 0; i < cone->m; ++i)
    for (dd_colrange j = 1; j < cone->d; ++j)
      if (dd_Nonzero(cone->A[i][j])) ++nonzero;
  const long share = cone->representation == dd_Generator ? kDenseGeneratorShare : kDenseInequalityShare;
  return nonzero * share > cone->m * (cone->d - 1);
}

// A new order: dd_SelectPreorderedNext scans it from the start, and the
// positions of the rows are found again.
void forget_preordered_scan(dd_ConePtr cone)
{
  workspace(cone).preorder_seen.clear();
  ++workspace(cone).order_stamp;
}

}  // namespace

extern "C" {

void dd_RandomPermutation(dd_rowindex OV, long t, unsigned int seed)
{
  zonix::Random31 rng(seed);
  for (long j = t; j > 1; --j) {
    const long k = rng.index_upto(j);
    std::swap(OV[j], OV[k]);
  }
}

long dd_Partition(dd_rowindex OV, long p, long r, dd_Amatrix A, long dmax)
{
  mytype *x = A[OV[p] - 1];
  long i = p - 1;
  long j = r + 1;
  // Each scan stops at the element the other scan swapped in, so neither
  // leaves p..r even though the tolerance comparison is not transitive.
  for (;;) {
    do {
      --j;
    } while (dd_LexLarger(A[OV[j] - 1], x, dmax));
    do {
      ++i;
    } while (dd_LexSmaller(A[OV[i] - 1], x, dmax));
    if (i < j)
      std::swap(OV[i], OV[j]);
    else
      return j;
  }
}

void dd_QuickSort(dd_rowindex OV, long p, long r, dd_Amatrix A, long dmax)
{
  // The two parts are sorted independently, so recursing into the smaller
  // one and looping on the larger gives the same result with a stack
  // depth of O(log m).
  while (p < r) {
    const long q = dd_Partition(OV, p, r, A, dmax);
    if (q - p < r - q) {
      dd_QuickSort(OV, p, q, A, dmax);
      p = q + 1;
    } else {
      dd_QuickSort(OV, q + 1, r, A, dmax);
      r = q;
    }
  }
}

void dd_ComputeRowOrderVector(dd_ConePtr cone)
{
  const dd_rowrange m = cone->m;
  dd_rowindex OV = cone->OrderVector;
  OV[0] = 0;
  forget_preordered_scan(cone);
  // The lexicographic order; the shuffle settles rows that compare equal.
  auto lexmin = [&] {
    for (dd_rowrange i = 1; i <= m; ++i) OV[i] = i;
    dd_RandomPermutation(OV, m, cone->rseed);
    dd_QuickSort(OV, 1, m, cone->A, cone->d);
  };
  switch (cone->HalfspaceOrder) {
    case dd_MaxIndex:
      for (dd_rowrange i = 1; i <= m; ++i) OV[i] = m - i + 1;
      break;
    case dd_MinIndex:
      for (dd_rowrange i = 1; i <= m; ++i) OV[i] = i;
      break;
    case dd_LexMax:
      lexmin();
      for (dd_rowrange j = 1; j <= m / 2; ++j) std::swap(OV[j], OV[m - j + 1]);
      break;
    case dd_RandomRow:
      for (dd_rowrange i = 1; i <= m; ++i) OV[i] = i;
      dd_RandomPermutation(OV, m, cone->rseed);
      break;
    case dd_ColumnGreedy:
      lexmin();
      order_by_columns(cone);
      break;
    case dd_LexMinSpread:
      // The default: points that lexmin sweeps are spread, other rows go
      // by their columns (lexmin where the rows are dense).
      lexmin();
      if (lexicographic_sweep(cone, OV))
        spread_rows(cone, OV);
      else if (!dense_rows(cone))
        order_by_columns(cone);
      break;
    case dd_MinCutoff:
    case dd_MaxCutoff:
    case dd_MixCutoff:
    case dd_LexMin:
    default:
      // The cutoff rules take this order too: it ranks the candidates for
      // the initial basis.
      lexmin();
      break;
  }
}

void dd_UpdateRowOrderVector(dd_ConePtr cone, dd_rowset PriorityRows)
{
  const dd_rowrange m = cone->m;
  const dd_rowrange m1 = set_card(PriorityRows);
  dd_rowindex OV = cone->OrderVector;
  forget_preordered_scan(cone);
  if (dd_debug) {
    dd_Printf(stderr, "dd_UpdateRowOrderVector: priority rows ");
    set_fwrite(stderr, PriorityRows);
  }
  for (dd_rowrange i = 1; i <= m1; ++i) {
    dd_rowrange j1 = 0;
    for (dd_rowrange j = i; j <= m; ++j) {
      if (set_member(OV[j], PriorityRows)) {
        j1 = j;
        break;
      }
    }
    if (j1 == 0) {
      dd_Printf(stderr, "UpdateRowOrder: Error.\n");
      return;
    }
    if (j1 > i) {
      const dd_rowrange oj = OV[j1];
      for (dd_rowrange k = j1; k > i; --k) OV[k] = OV[k - 1];
      OV[i] = oj;
    }
  }
  if (dd_debug) {
    dd_Printf(stderr, "new row order:");
    for (dd_rowrange i = 1; i <= m; ++i) dd_Printf(stderr, " %ld", OV[i]);
    dd_Printf(stderr, "\n");
  }
}

void dd_SelectPreorderedNext(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh)
{
  *hh = 0;
  // A run excludes the rows it takes one by one: while the excluded set
  // holds the one of the last call, the rows before that answer are still
  // excluded, and the scan starts there instead of going over them again.
  dd_workspace &ws = workspace(cone);
  const long nw = set_data_words(static_cast<long>(excluded[0]));
  std::vector<set_word> &seen = ws.preorder_seen;
  dd_rowrange from = 1;
  if (seen.size() == static_cast<size_t>(nw)) {
    bool within = true;
    for (long k = 0; k < nw && within; ++k) within = (seen[static_cast<size_t>(k)] & ~excluded[k + 1]) == 0u;
    if (within) from = std::min<dd_rowrange>(ws.preorder_from, cone->m + 1);
  }
  dd_rowrange i = from;
  for (; i <= cone->m; ++i) {
    const dd_rowrange k = cone->OrderVector[i];
    if (!excluded_row(excluded, k)) {
      *hh = k;
      break;
    }
  }
  seen.assign(excluded + 1, excluded + 1 + nw);
  ws.preorder_from = i;
}

void dd_SelectNextHalfspace0(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh)
{
  *hh = 0;
  for (dd_rowrange i = cone->m; i >= 1; --i)
    if (!excluded_row(excluded, i)) {
      *hh = i;
      return;
    }
}

void dd_SelectNextHalfspace1(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh)
{
  *hh = 0;
  for (dd_rowrange i = 1; i <= cone->m; ++i)
    if (!excluded_row(excluded, i)) {
      *hh = i;
      return;
    }
}

void dd_SelectNextHalfspace2(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh)
{
  long infmin = cone->RayCount + 1;
  long fi = 0;
  for (dd_rowrange i = 1; i <= cone->m; ++i) {
    if (excluded_row(excluded, i)) continue;
    long fea = 0, inf = 0;
    dd_FeasibilityIndices(&fea, &inf, i, cone);
    if (inf < infmin) {
      infmin = inf;
      fi = fea;
      *hh = i;
    }
  }
  if (dd_debug)
    dd_Printf(stderr, "*infeasible rays (min) =%5ld, #feas rays =%5ld\n",
                 infmin, fi);
}

void dd_SelectNextHalfspace3(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh)
{
  long infmax = -1;
  long fi = 0;
  for (dd_rowrange i = 1; i <= cone->m; ++i) {
    if (excluded_row(excluded, i)) continue;
    long fea = 0, inf = 0;
    dd_FeasibilityIndices(&fea, &inf, i, cone);
    if (inf > infmax) {
      infmax = inf;
      fi = fea;
      *hh = i;
    }
  }
  if (dd_debug)
    dd_Printf(stderr, "*infeasible rays (max) =%5ld, #feas rays =%5ld\n",
                 infmax, fi);
}

void dd_SelectNextHalfspace4(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh)
{
  long best = -1;
  long fi = 0, infi = 0;
  for (dd_rowrange i = 1; i <= cone->m; ++i) {
    if (excluded_row(excluded, i)) continue;
    long fea = 0, inf = 0;
    dd_FeasibilityIndices(&fea, &inf, i, cone);
    const long larger = fea > inf ? fea : inf;
    if (larger > best) {
      best = larger;
      fi = fea;
      infi = inf;
      *hh = i;
    }
  }
  if (dd_debug)
    dd_Printf(stderr, "*infeasible rays =%5ld, #feas rays =%5ld\n", infi,
                 fi);
}

void dd_SelectNextHalfspace5(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh)
{
  *hh = 0;
  for (dd_rowrange i = 1; i <= cone->m; ++i) {
    if (excluded_row(excluded, i)) continue;
    if (*hh == 0 || dd_LexSmaller(cone->A[i - 1], cone->A[*hh - 1], cone->d))
      *hh = i;
  }
}

void dd_SelectNextHalfspace6(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh)
{
  *hh = 0;
  for (dd_rowrange i = 1; i <= cone->m; ++i) {
    if (excluded_row(excluded, i)) continue;
    if (*hh == 0 || dd_LexLarger(cone->A[i - 1], cone->A[*hh - 1], cone->d))
      *hh = i;
  }
}

void dd_SelectNextHalfspace(dd_ConePtr cone, dd_rowset excluded,
                            dd_rowrange *hh)
{
  if (cone->PreOrderedRun) {
    if (dd_debug) dd_Printf(stderr, "dd_SelectNextHalfspace: preordered\n");
    dd_SelectPreorderedNext(cone, excluded, hh);
    return;
  }
  if (dd_debug)
    dd_Printf(stderr, "dd_SelectNextHalfspace: dynamic rule %d\n",
                 static_cast<int>(cone->HalfspaceOrder));
  switch (cone->HalfspaceOrder) {
    case dd_MinIndex:
      dd_SelectNextHalfspace1(cone, excluded, hh);
      break;
    case dd_MinCutoff:
      dd_SelectNextHalfspace2(cone, excluded, hh);
      break;
    case dd_MaxCutoff:
      dd_SelectNextHalfspace3(cone, excluded, hh);
      break;
    case dd_MixCutoff:
      dd_SelectNextHalfspace4(cone, excluded, hh);
      break;
    case dd_MaxIndex:
    default:
      dd_SelectNextHalfspace0(cone, excluded, hh);
      break;
  }
}

}  // extern "C"

namespace {

// Rows in the order their columns come in.  Columns are taken one at a
// time, each time the one that completes the most rows (the lowest among
// equal ones), and a row comes when the last of its columns does; rows
// completed together keep the lexicographic order OV[1..m] has on entry.
// A system built from small blocks of variables (the metric polytope's
// triangles, a product) is then solved block by block, and its
// intermediate cones stay small.
// One row in this many completed before the last column shows blocks.
inline constexpr long kBlockRowsShare = 8;

void order_by_columns(dd_ConePtr cone)
{
  const dd_rowrange m = cone->m;
  const dd_colrange d = cone->d;
  dd_rowindex OV = cone->OrderVector;  // in lexicographic order

  // Column 1 is the homogenising one: every row may use it.
  std::vector<std::vector<dd_rowrange>> rows_of(static_cast<size_t>(d) + 1);
  std::vector<long> missing(static_cast<size_t>(m) + 1, 0);
  for (dd_rowrange i = 1; i <= m; ++i)
    for (dd_colrange j = 2; j <= d; ++j)
      if (dd_Nonzero(cone->A[i - 1][j - 1])) {
        rows_of[static_cast<size_t>(j)].push_back(i);
        ++missing[static_cast<size_t>(i)];
      }
  const std::vector<long> support = missing;
  std::vector<char> taken(static_cast<size_t>(d) + 1, 0);
  std::vector<long> gain(static_cast<size_t>(d) + 1, 0);  // rows j completes
  std::vector<long> step(static_cast<size_t>(m) + 1, 0);  // when a row completes
  auto count_last_column = [&](dd_rowrange i) {
    for (dd_colrange j = 2; j <= d; ++j)
      if (taken[static_cast<size_t>(j)] == 0 && dd_Nonzero(cone->A[i - 1][j - 1])) {
        ++gain[static_cast<size_t>(j)];
        return;
      }
  };
  for (dd_rowrange i = 1; i <= m; ++i)
    if (missing[static_cast<size_t>(i)] == 1) count_last_column(i);
  for (long s = 1; s < d; ++s) {
    dd_colrange best = 0;
    for (dd_colrange j = 2; j <= d; ++j)
      if (taken[static_cast<size_t>(j)] == 0 &&
          (best == 0 || gain[static_cast<size_t>(j)] > gain[static_cast<size_t>(best)]))
        best = j;
    taken[static_cast<size_t>(best)] = 1;
    for (const dd_rowrange i : rows_of[static_cast<size_t>(best)]) {
      const long left = --missing[static_cast<size_t>(i)];
      if (left == 0) step[static_cast<size_t>(i)] = s;
      if (left == 1) count_last_column(i);
    }
  }
  // Where blocks complete rows before the last column (an eighth of the
  // rows or more), the last column completes the rows that use every
  // column together with the last rows of the blocks; those go first.
  // Dense rows taken among them (the cut polytope's, lexicographically
  // first) cut every block at once, and its cones grew past a hundred
  // thousand rays.  Rows with a few zeros by chance keep their order.
  const long early = std::count_if(OV + 1, OV + m + 1, [&](dd_rowrange i) {
    return step[static_cast<size_t>(i)] < d - 1;
  });
  const bool blocks = early * kBlockRowsShare >= m;
  std::stable_sort(OV + 1, OV + m + 1, [&](dd_rowrange a, dd_rowrange b) {
    if (step[static_cast<size_t>(a)] != step[static_cast<size_t>(b)])
      return step[static_cast<size_t>(a)] < step[static_cast<size_t>(b)];
    return blocks && support[static_cast<size_t>(a)] < d - 1 && support[static_cast<size_t>(b)] == d - 1;
  });
}

}  // namespace
