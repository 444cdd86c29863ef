// Solving: the criss-cross rule and method, the dual simplex method with
// its phase I, minimisation by sign change, and the driver's counters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

using Row = std::vector<double>;

zonix::LP make_lp(const std::vector<Row> &rows, const Row &obj,
                  dd_LPObjectiveType sense = dd_LPmax,
                  std::initializer_list<long> lin = {})
{
  const long n = static_cast<long>(rows.size());
  const long d = static_cast<long>(obj.size());
  zonix::Matrix M = zonix::make_matrix(n, d);
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < d; ++j) M->matrix[i][j][0] = rows[i][j];
  for (long j = 0; j < d; ++j) M->rowvec[j][0] = obj[j];
  for (long r : lin) set_addelem(M->linset, r);
  M->objective = sense;
  M->numbtype = dd_Real;
  dd_ErrorType err;
  return zonix::LP(dd_Matrix2LP(M.get(), &err));
}

struct Outcome {
  dd_boolean ok;
  dd_ErrorType err;
};

Outcome solve(dd_lpdata &lp, dd_LPSolverType how)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  dd_boolean ok = dd_LPSolve(&lp, how, &err);
  return {ok, err};
}

std::vector<long> pivots_of(const dd_lpdata &lp)
{
  return std::vector<long>(lp.pivots, lp.pivots + 5);
}

double row_value(const dd_lpdata &lp, long i, const dd_Arow x)
{
  double v = 0;
  for (long j = 0; j < lp.d; ++j) v += lp.A[i - 1][j][0] * x[j][0];
  return v;
}

// Checks an optimal result against LP duality, independently of how the
// solver got there: sol feasible, objective at sol equal to optvalue, the
// objective equal to optvalue minus the dual-weighted tight rows, the dual
// values of the right sign, and the rows named in nbindex tight at sol.
void expect_optimal_certificate(const dd_lpdata &lp, double tol = 1e-7)
{
  ASSERT_EQ(lp.LPS, dd_Optimal);
  const double sense = lp.objective == dd_LPmin ? -1.0 : 1.0;
  EXPECT_NEAR(lp.sol[0][0], 1.0, tol);
  for (long i = 1; i < lp.m; ++i)
    EXPECT_GE(row_value(lp, i, lp.sol), -tol) << "row " << i;
  EXPECT_NEAR(row_value(lp, lp.m, lp.sol), lp.optvalue[0], tol);
  EXPECT_NEAR(lp.dsol[0][0], -lp.optvalue[0], tol);
  std::vector<double> combo(lp.d, 0.0);
  for (long j = 0; j < lp.d; ++j) combo[j] = lp.A[lp.m - 1][j][0];
  for (long j = 2; j <= lp.d; ++j) {
    const long r = lp.nbindex[j];
    const double y = lp.dsol[j - 1][0];
    if (r > 0) {
      EXPECT_GE(sense * y, -tol) << "dual sign, column " << j;
      EXPECT_NEAR(row_value(lp, r, lp.sol), 0.0, tol) << "row " << r;
      for (long k = 0; k < lp.d; ++k) combo[k] += y * lp.A[r - 1][k][0];
    } else {
      EXPECT_NEAR(y, 0.0, tol) << "free column " << j;
    }
  }
  EXPECT_NEAR(combo[0], lp.optvalue[0], tol * 10);
  for (long k = 1; k < lp.d; ++k) EXPECT_NEAR(combo[k], 0.0, tol * 10);
}

// A small reproducible generator for the property tests.
struct Lcg {
  std::uint64_t s;
  double uniform()  // in [0, 1)
  {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(s >> 11) / 9007199254740992.0;
  }
  long pick(long n) { return static_cast<long>(uniform() * n); }
};

// Dense LPs with integer rows in [-9, 9] and constants in [0, 15], so the
// origin is feasible.  Bounded: the objective is a negative combination of
// rows.  Unbounded: every row keeps a.r >= 0 for a direction r with
// c.r > 0.  At a few hundred rows both send the least-index rule on tens of
// thousands of pivots.
zonix::LP dense_lp(std::uint64_t seed, long m, long n, bool unbounded)
{
  std::uint64_t s = seed;
  auto uniform = [&s](long lo, long hi) {
    std::uint64_t z = (s += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z ^= z >> 31;
    return lo + static_cast<long>(z % static_cast<std::uint64_t>(hi - lo + 1));
  };
  zonix::LP lp(dd_CreateLPData(dd_LPmax, dd_Real, m + 1, n + 1));
  std::vector<double> r(n), c(n + 1, 0.0), a(n);
  for (auto &x : r) x = static_cast<double>(uniform(-2, 2));
  r[0] = 1;
  for (long i = 0; i < m; ++i) {
    double ar = 0;
    for (long k = 0; k < n; ++k) {
      a[k] = static_cast<double>(uniform(-9, 9));
      ar += a[k] * r[k];
    }
    if (unbounded && ar < 0)
      for (auto &x : a) x = -x;
    lp->A[i][0][0] = static_cast<double>(uniform(0, 15));
    for (long k = 0; k < n; ++k) lp->A[i][k + 1][0] = a[k];
    if (!unbounded && uniform(0, m - 1) < 2 * n)
      for (long k = 0; k < n; ++k) c[k + 1] -= a[k] * static_cast<double>(uniform(1, 4));
  }
  if (unbounded) {
    double cr;
    do {
      cr = 0;
      for (long k = 1; k <= n; ++k) {
        c[k] = static_cast<double>(uniform(-5, 5));
        cr += c[k] * r[k - 1];
      }
    } while (cr <= 0);
  }
  for (long k = 0; k <= n; ++k) lp->A[m][k][0] = c[k];
  return lp;
}

}  // namespace

// ---- least-index rule -----------------------------------------------------

TEST(LpSolveCrissCrossRule, LowestInfeasibleRowDecides)
{
  // With T = identity the dictionary is A itself; bflag is set by hand.
  zonix::LP lp = make_lp({{0, 1, 0}, {-1, 0, 1}, {1, -1, -1}}, {0, 2, 0});
  dd_SetToIdentity(lp->d, lp->B);
  long bflag[5] = {0, 2, -1, -1, 0};
  long r = -7, s = -7;
  int chosen = -1;
  dd_LPStatusType lps = dd_Optimal;
  // Row 1 (nonbasic in column 2, reduced cost 2) comes before row 2
  // (basic, value -1): a column candidate, entering against the first
  // basic row with a negative entry, row 3.
  dd_SelectCrissCrossPivot(lp->m, lp->d, lp->A, lp->B, bflag, lp->objrow, 1,
                           &r, &s, &chosen, &lps);
  EXPECT_EQ(chosen, dd_TRUE);
  EXPECT_EQ(lps, dd_LPSundecided);
  EXPECT_EQ(s, 2);
  EXPECT_EQ(r, 3);

  // Swap roles: row 1 basic with value -1, row 2 nonbasic in column 3.
  zonix::LP lp2 = make_lp({{-1, 0, 1}, {0, 0, 1}, {1, -1, -1}}, {0, 0, 2});
  dd_SetToIdentity(lp2->d, lp2->B);
  long bflag2[5] = {0, -1, 3, -1, 0};
  dd_SelectCrissCrossPivot(lp2->m, lp2->d, lp2->A, lp2->B, bflag2,
                           lp2->objrow, 1, &r, &s, &chosen, &lps);
  EXPECT_EQ(chosen, dd_TRUE);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(s, 3);  // the nonbasic row with a positive entry in row 1
}

TEST(LpSolveCrissCrossRule, ToleranceAndFinalStatuses)
{
  zonix::LP lp = make_lp({{-5e-8, 1, 0}, {0, 0, 1}}, {0, 0, 5e-8});
  dd_SetToIdentity(lp->d, lp->B);
  long bflag[4] = {0, -1, 3, 0};
  long r = -7, s = -7;
  int chosen = -1;
  dd_LPStatusType lps = dd_LPSundecided;
  // Values within 1e-07 of zero are neither negative nor positive.
  dd_SelectCrissCrossPivot(lp->m, lp->d, lp->A, lp->B, bflag, lp->objrow, 1,
                           &r, &s, &chosen, &lps);
  EXPECT_EQ(chosen, dd_FALSE);
  EXPECT_EQ(lps, dd_Optimal);
  EXPECT_EQ(r, -7);  // untouched without a candidate
  EXPECT_EQ(s, -7);

  // A negative basic row with no positive entry in a nonbasic column.
  lp->A[0][0][0] = -1;
  lp->A[0][2][0] = 0;
  dd_SelectCrissCrossPivot(lp->m, lp->d, lp->A, lp->B, bflag, lp->objrow, 1,
                           &r, &s, &chosen, &lps);
  EXPECT_EQ(chosen, dd_FALSE);
  EXPECT_EQ(lps, dd_Inconsistent);
  EXPECT_EQ(r, 1);

  // A positive reduced cost with no basic row to stop it.
  lp->A[0][0][0] = 1;
  lp->A[2][2][0] = 3;
  dd_SelectCrissCrossPivot(lp->m, lp->d, lp->A, lp->B, bflag, lp->objrow, 1,
                           &r, &s, &chosen, &lps);
  EXPECT_EQ(chosen, dd_FALSE);
  EXPECT_EQ(lps, dd_DualInconsistent);
  EXPECT_EQ(s, 3);
}

// ---- criss-cross method -----------------------------------------------------

TEST(LpSolveCrissCross, BoundedMaximum)
{
  zonix::LP lp = make_lp({{1, -1}, {0, 1}}, {0, 1});
  Outcome o = solve(*lp, dd_CrissCross);
  EXPECT_EQ(o.ok, dd_TRUE);
  EXPECT_EQ(o.err, dd_NoError);
  EXPECT_EQ(lp->LPS, dd_Optimal);
  EXPECT_DOUBLE_EQ(lp->optvalue[0], 1.0);
  EXPECT_DOUBLE_EQ(lp->sol[0][0], 1.0);
  EXPECT_DOUBLE_EQ(lp->sol[1][0], 1.0);
  EXPECT_EQ(lp->nbindex[2], 1);
  EXPECT_DOUBLE_EQ(lp->dsol[1][0], 1.0);  // dual value of x <= 1
  EXPECT_EQ(lp->solver, dd_CrissCross);
  expect_optimal_certificate(*lp);
}

TEST(LpSolveCrissCross, UnboundedDirection)
{
  zonix::LP lp = make_lp({{0, 1}}, {0, 1});
  solve(*lp, dd_CrissCross);
  EXPECT_EQ(lp->LPS, dd_DualInconsistent);
  EXPECT_EQ(lp->se, 2);
  EXPECT_EQ(lp->nbindex[2], 1);
  EXPECT_DOUBLE_EQ(lp->sol[0][0], 0.0);
  EXPECT_GT(lp->sol[1][0], 0.0);
}

TEST(LpSolveCrissCross, InfeasibleWithEvidenceRow)
{
  // x >= 1 and x <= 0.
  zonix::LP lp = make_lp({{-1, 1}, {0, -1}}, {0, 1});
  solve(*lp, dd_CrissCross);
  EXPECT_EQ(lp->LPS, dd_Inconsistent);
  EXPECT_EQ(lp->re, 1);
  EXPECT_EQ(pivots_of(*lp), (std::vector<long>{1, 1, 0, 0, 0}));
  EXPECT_EQ(lp->total_pivots, 2);
  // The final dictionary row of re reads y1 = -1 - y2, impossible with
  // y1, y2 >= 0; dsol is its negation.
  EXPECT_DOUBLE_EQ(lp->dsol[0][0], 1.0);
  EXPECT_DOUBLE_EQ(lp->dsol[1][0], 1.0);
}

TEST(LpSolveCrissCross, MinimisationNegatesResultsAndRestoresTheRow)
{
  // min x subject to x >= 2, x <= 5.
  zonix::LP lp = make_lp({{-2, 1}, {5, -1}}, {0, 1}, dd_LPmin);
  solve(*lp, dd_CrissCross);
  ASSERT_EQ(lp->LPS, dd_Optimal);
  EXPECT_DOUBLE_EQ(lp->optvalue[0], 2.0);
  EXPECT_DOUBLE_EQ(lp->sol[1][0], 2.0);
  EXPECT_DOUBLE_EQ(lp->dsol[0][0], -2.0);
  EXPECT_EQ(lp->nbindex[2], 1);
  EXPECT_DOUBLE_EQ(lp->dsol[1][0], -1.0);  // sign of the minimisation
  EXPECT_EQ(lp->A[2][0][0], 0.0);
  EXPECT_EQ(lp->A[2][1][0], 1.0);
  expect_optimal_certificate(*lp);

  // The same LP as maximisation of -x gives the negated numbers.
  zonix::LP mx = make_lp({{-2, 1}, {5, -1}}, {0, -1}, dd_LPmax);
  solve(*mx, dd_CrissCross);
  EXPECT_DOUBLE_EQ(mx->optvalue[0], -2.0);
  EXPECT_DOUBLE_EQ(mx->dsol[1][0], 1.0);
}

TEST(LpSolveCrissCross, FreeObjectiveVariableIsStructural)
{
  zonix::LP lp = make_lp({{1, -1, 0}, {0, 1, 0}}, {0, 0, -3});
  solve(*lp, dd_CrissCross);
  EXPECT_EQ(lp->LPS, dd_StrucDualInconsistent);
  EXPECT_EQ(lp->se, 3);
  EXPECT_EQ(lp->pivots[1], 0);
  // sol is signed so that the objective grows along it.
  double gain = 0;
  for (long j = 0; j < lp->d; ++j) gain += lp->A[lp->m - 1][j][0] * lp->sol[j][0];
  EXPECT_GT(gain, 0.0);

  // Minimising, the objective must fall along sol.
  zonix::LP mn = make_lp({{1, -1, 0}, {0, 1, 0}}, {0, 0, -3}, dd_LPmin);
  solve(*mn, dd_CrissCross);
  EXPECT_EQ(mn->LPS, dd_StrucDualInconsistent);
  gain = 0;
  for (long j = 0; j < mn->d; ++j) gain += mn->A[mn->m - 1][j][0] * mn->sol[j][0];
  EXPECT_LT(gain, 0.0);
}

// ---- dual simplex method ----------------------------------------------------

TEST(LpSolveDualSimplex, DualFeasibleStartSkipsPhaseOne)
{
  // max -x subject to x >= 0, x <= 3.
  zonix::LP lp = make_lp({{0, 1}, {3, -1}}, {0, -1});
  lp->A[3][0][0] = 123;  // the auxiliary row must stay untouched
  lp->A[3][1][0] = 456;
  Outcome o = solve(*lp, dd_DualSimplex);
  EXPECT_EQ(o.ok, dd_TRUE);
  ASSERT_EQ(lp->LPS, dd_Optimal);
  EXPECT_EQ(lp->pivots[1], 0);
  EXPECT_EQ(lp->A[3][0][0], 123.0);
  EXPECT_EQ(lp->A[3][1][0], 456.0);
  EXPECT_DOUBLE_EQ(lp->optvalue[0], 0.0);
  expect_optimal_certificate(*lp);
}

TEST(LpSolveDualSimplex, SameOptimumAsCrissCross)
{
  zonix::LP cc = make_lp({{1, -1}, {0, 1}}, {0, 1});
  zonix::LP ds = make_lp({{1, -1}, {0, 1}}, {0, 1});
  solve(*cc, dd_CrissCross);
  solve(*ds, dd_DualSimplex);
  ASSERT_EQ(ds->LPS, dd_Optimal);
  EXPECT_DOUBLE_EQ(ds->optvalue[0], 1.0);
  for (long j = 0; j < 2; ++j) {
    EXPECT_DOUBLE_EQ(ds->sol[j][0], cc->sol[j][0]);
    EXPECT_DOUBLE_EQ(ds->dsol[j][0], cc->dsol[j][0]);
  }
  EXPECT_EQ(ds->solver, dd_DualSimplex);
}

TEST(LpSolveDualSimplex, PhaseOneForcesTheAuxiliaryVariableBack)
{
  // max x subject to x >= 0: unbounded.
  zonix::LP lp = make_lp({{0, 1}}, {0, 1});
  solve(*lp, dd_DualSimplex);
  EXPECT_EQ(lp->LPS, dd_DualInconsistent);
  EXPECT_EQ(lp->se, 2);
  EXPECT_EQ(pivots_of(*lp), (std::vector<long>{1, 2, 0, 0, 0}));
  EXPECT_EQ(lp->total_pivots, 3);
  // The auxiliary row: -12 times row 1, the row nonbasic in column 2.
  EXPECT_EQ(lp->A[2][0][0], 0.0);
  EXPECT_EQ(lp->A[2][1][0], -12.0);
  EXPECT_DOUBLE_EQ(lp->sol[0][0], 0.0);
  EXPECT_GT(lp->sol[1][0], 0.0);
}

TEST(LpSolveDualSimplex, PhaseOneThenInfeasibleRow)
{
  zonix::LP lp = make_lp({{-1, 1}, {0, -1}}, {0, 1});
  solve(*lp, dd_DualSimplex);
  EXPECT_EQ(lp->LPS, dd_Inconsistent);
  EXPECT_EQ(lp->re, 1);
  EXPECT_EQ(pivots_of(*lp), (std::vector<long>{1, 2, 0, 0, 0}));
  EXPECT_EQ(lp->A[3][0][0], 12.0);
  EXPECT_EQ(lp->A[3][1][0], -12.0);
}

TEST(LpSolveDualSimplex, PhaseOneLimitReportsCycling)
{
  zonix::LP lp = make_lp({{0, 1}}, {0, 1});
  std::vector<long> bflag(lp->m + 2), order(lp->m + 1);
  dd_ComputeRowOrderVector2(lp->m, lp->d, lp->A, order.data(), dd_MinIndex, 1);
  dd_ResetTableau(lp->m, lp->d, lp->B, lp->nbindex, bflag.data(), lp->objrow,
                  lp->rhscol);
  long cs, p0;
  int found;
  dd_LPStatusType lps;
  dd_FindLPBasis(lp->m, lp->d, lp->A, lp->B, order.data(), lp->equalityset,
                 lp->nbindex, bflag.data(), lp->objrow, lp->rhscol, &cs,
                 &found, &lps, &p0);
  ASSERT_EQ(found, dd_TRUE);
  long s = -1, p1 = -1;
  dd_ErrorType err = dd_NoError;
  testing::internal::CaptureStderr();
  dd_FindDualFeasibleBasis(lp->m, lp->d, lp->A, lp->B, order.data(),
                           lp->nbindex, bflag.data(), lp->objrow, lp->rhscol,
                           &s, &err, &lps, &p1, 0);
  const std::string msg = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, dd_LPCycling);
  EXPECT_EQ(p1, 1);  // the auxiliary pivot alone passes a limit of 0
  EXPECT_EQ(lps, dd_LPSundecided);
  EXPECT_EQ(msg,
            "max number 0 of pivots performed in Phase I. Switch to the "
            "anticycling phase.\n");

  // With room to work, phase I ends with the forced pivot (2 pivots).
  dd_ResetTableau(lp->m, lp->d, lp->B, lp->nbindex, bflag.data(), lp->objrow,
                  lp->rhscol);
  dd_FindLPBasis(lp->m, lp->d, lp->A, lp->B, order.data(), lp->equalityset,
                 lp->nbindex, bflag.data(), lp->objrow, lp->rhscol, &cs,
                 &found, &lps, &p0);
  dd_FindDualFeasibleBasis(lp->m, lp->d, lp->A, lp->B, order.data(),
                           lp->nbindex, bflag.data(), lp->objrow, lp->rhscol,
                           &s, &err, &lps, &p1, 80);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(p1, 2);
  EXPECT_LT(bflag[lp->m + 1], 0);  // the auxiliary variable is basic
}

TEST(LpSolveDualSimplex, SelectionNeedsDualFeasibilityAndBreaksTiesLow)
{
  // Rows 1 and 2 both at -1; ratios tie in columns 2 and 3.
  zonix::LP lp = make_lp({{-1, 1, 1}, {-1, 2, 0}, {0, 1, 0}, {0, 0, 1}},
                         {0, -1, -1});
  dd_SetToIdentity(lp->d, lp->B);
  long bflag[7] = {0, -1, -1, 2, 3, 0, 0};
  long r, s;
  int chosen;
  dd_LPStatusType lps;
  dd_SelectDualSimplexPivot(lp->m, lp->d, dd_FALSE, lp->A, lp->B, nullptr,
                            lp->nbindex, bflag, lp->objrow, 1, &r, &s, &chosen,
                            &lps);
  EXPECT_EQ(chosen, dd_TRUE);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(s, 2);

  // A positive reduced cost: nothing is chosen, nothing decided.
  lp->A[4][2][0] = 1;
  dd_SelectDualSimplexPivot(lp->m, lp->d, dd_FALSE, lp->A, lp->B, nullptr,
                            lp->nbindex, bflag, lp->objrow, 1, &r, &s, &chosen,
                            &lps);
  EXPECT_EQ(chosen, dd_FALSE);
  EXPECT_EQ(lps, dd_LPSundecided);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(s, 0);
}

// ---- driver -------------------------------------------------------------

TEST(LpSolveDriver, NoObjectiveIsAnErrorThatSolvesNothing)
{
  zonix::LP lp = make_lp({{1, -1}, {0, 1}}, {0, 1}, dd_LPnone);
  for (dd_LPSolverType how : {dd_CrissCross, dd_DualSimplex}) {
    Outcome o = solve(*lp, how);
    EXPECT_EQ(o.ok, dd_FALSE);
    EXPECT_EQ(o.err, dd_NoLPObjective);
    EXPECT_EQ(lp->LPS, dd_LPSundecided);
    EXPECT_EQ(lp->total_pivots, 0);
    EXPECT_EQ(lp->solver, how);
    EXPECT_LE(lp->starttime, lp->endtime);
    EXPECT_GT(lp->starttime, 0);
  }
}

TEST(LpSolveDriver, UnknownSolverTouchesNothing)
{
  zonix::LP lp = make_lp({{1, -1}, {0, 1}}, {0, 1});
  lp->sol[1][0] = 9;
  Outcome o = solve(*lp, static_cast<dd_LPSolverType>(5));
  EXPECT_EQ(o.ok, dd_TRUE);
  EXPECT_EQ(o.err, dd_NoError);
  EXPECT_EQ(lp->LPS, dd_LPSundecided);
  EXPECT_EQ(lp->sol[1][0], 9.0);
  EXPECT_EQ(lp->total_pivots, 0);
}

TEST(LpSolveDriver, NullRecordIsAnError)
{
  dd_ErrorType err = dd_NoError;
  EXPECT_EQ(dd_LPSolve(nullptr, dd_DualSimplex, &err), dd_FALSE);
  EXPECT_EQ(err, dd_EmptyRepresentation);
  EXPECT_EQ(dd_LPSolve0(nullptr, dd_CrissCross, &err), dd_FALSE);
}

TEST(LpSolveDriver, RepeatedSolvesAgreeAndLeaveRowsIntact)
{
  // min x + 2y subject to x + y <= 4, x = y, x <= 3: unbounded below.
  zonix::LP lp = make_lp({{4, -1, -1}, {0, 1, -1}, {3, -1, 0}}, {0, 1, 2},
                         dd_LPmin, {2});
  std::vector<double> before;
  for (long i = 0; i < lp->m; ++i)
    for (long j = 0; j < lp->d; ++j) before.push_back(lp->A[i][j][0]);
  for (int round = 0; round < 2; ++round) {
    for (dd_LPSolverType how : {dd_CrissCross, dd_DualSimplex}) {
      solve(*lp, how);
      long sum = 0;
      for (long k = 0; k < 5; ++k) sum += lp->pivots[k];
      EXPECT_EQ(lp->total_pivots, sum);
      EXPECT_EQ(lp->pivots[4], 0);
      ASSERT_EQ(lp->LPS, dd_DualInconsistent);
    }
  }
  std::vector<double> after;
  for (long i = 0; i < lp->m; ++i)
    for (long j = 0; j < lp->d; ++j) after.push_back(lp->A[i][j][0]);
  EXPECT_EQ(before, after);

  // Bounded with the equation: min x + 2y with x = y, x + y <= 4, x >= -1.
  zonix::LP b = make_lp({{4, -1, -1}, {0, 1, -1}, {1, 1, 0}}, {0, 1, 2},
                        dd_LPmin, {2});
  for (int round = 0; round < 2; ++round) {
    for (dd_LPSolverType how : {dd_CrissCross, dd_DualSimplex}) {
      Outcome o = solve(*b, how);
      EXPECT_EQ(o.ok, dd_TRUE);
      ASSERT_EQ(b->LPS, dd_Optimal);
      EXPECT_NEAR(b->optvalue[0], -3.0, 1e-12);
      EXPECT_NEAR(b->sol[1][0], -1.0, 1e-12);
      EXPECT_NEAR(b->sol[2][0], -1.0, 1e-12);
      expect_optimal_certificate(*b);
    }
  }
}

TEST(LpSolveProperty, BothMethodsAgreeOnRandomLPs)
{
  Lcg g{12345};
  int optimal = 0, infeasible = 0, unbounded = 0;
  for (int t = 0; t < 150; ++t) {
    const long d = 2 + g.pick(6);   // 1..6 variables
    const long n = 1 + g.pick(25);  // constraint rows
    std::vector<Row> rows;
    for (long i = 0; i < n; ++i) {
      Row r(d);
      for (long j = 0; j < d; ++j) r[j] = std::round(g.uniform() * 20 - 10);
      // Mostly feasible at the origin, sometimes not.
      if (t % 5 != 0) r[0] = std::fabs(r[0]) + 1;
      rows.push_back(r);
    }
    Row obj(d, 0.0);
    for (long j = 1; j < d; ++j) obj[j] = std::round(g.uniform() * 10 - 5);
    const dd_LPObjectiveType sense = t % 2 ? dd_LPmax : dd_LPmin;
    zonix::LP cc = make_lp(rows, obj, sense);
    zonix::LP ds = make_lp(rows, obj, sense);
    Outcome o1 = solve(*cc, dd_CrissCross);
    Outcome o2 = solve(*ds, dd_DualSimplex);
    ASSERT_EQ(o1.err, dd_NoError) << "case " << t;
    ASSERT_EQ(o2.err, dd_NoError) << "case " << t;
    EXPECT_EQ(cc->total_pivots, cc->pivots[0] + cc->pivots[1]);
    EXPECT_EQ(ds->total_pivots, ds->pivots[0] + ds->pivots[1] +
                                    ds->pivots[2] + ds->pivots[3]);
    if (cc->LPS == dd_Optimal || ds->LPS == dd_Optimal) {
      ASSERT_EQ(cc->LPS, dd_Optimal) << "case " << t;
      ASSERT_EQ(ds->LPS, dd_Optimal) << "case " << t;
      EXPECT_NEAR(cc->optvalue[0], ds->optvalue[0],
                  1e-9 * (1 + std::fabs(cc->optvalue[0])));
      expect_optimal_certificate(*cc, 1e-6);
      expect_optimal_certificate(*ds, 1e-6);
      ++optimal;
    } else if (cc->LPS == dd_Inconsistent && ds->LPS == dd_Inconsistent) {
      ++infeasible;
    } else {
      // Feasible ones are unbounded; an LP both infeasible and dual
      // infeasible may be named either way.
      ++unbounded;
    }
  }
  // The family reaches all three outcomes.
  EXPECT_GT(optimal, 30);
  EXPECT_GT(infeasible, 3);
  EXPECT_GT(unbounded, 3);
}

// ---- pivot limits -------------------------------------------------------

TEST(LpSolveLimits, CrissCrossStopsPastAThousandPivotsPerColumn)
{
  zonix::LP lp = dense_lp(1, 300, 25, false);
  lp->sol[1][0] = 77;  // stale values stay
  lp->optvalue[0] = -3;
  testing::internal::CaptureStderr();
  dd_ErrorType err = dd_NoError;
  dd_CrissCrossSolve(lp.get(), &err);  // the method alone
  const std::string msg = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, dd_LPCycling);
  EXPECT_EQ(lp->LPS, dd_LPSundecided);
  EXPECT_EQ(msg,
            "max number 26000 of pivots performed by the criss-cross method. "
            "Most likely due to the floating-point arithmetics error.\n");
  EXPECT_EQ(pivots_of(*lp), (std::vector<long>{25, 26001, 0, 0, 0}));
  EXPECT_EQ(lp->sol[1][0], 77.0);
  EXPECT_EQ(lp->optvalue[0], -3.0);

  // The driver falls back on the dual simplex method.
  testing::internal::CaptureStderr();
  Outcome ds = solve(*lp, dd_CrissCross);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(ds.err, dd_NoError);
  ASSERT_EQ(lp->LPS, dd_Optimal);
  expect_optimal_certificate(*lp, 1e-6);
}

// Regression: phase I used to test the forced column's cost for a negative
// sign, which it cannot have, so unbounded LPs went on to phase II, spent the
// whole emergency criss-cross budget and sometimes came back "infeasible".
TEST(LpSolveLimits, PhaseOneRecognisesUnboundedLPs)
{
  zonix::LP lp = dense_lp(4, 400, 30, true);
  testing::internal::CaptureStderr();
  Outcome o = solve(*lp, dd_DualSimplex);
  const std::string msg = testing::internal::GetCapturedStderr();
  EXPECT_EQ(o.err, dd_NoError);
  EXPECT_EQ(lp->LPS, dd_DualInconsistent);
  EXPECT_EQ(msg, "");
  EXPECT_EQ(lp->pivots[0], 30);
  EXPECT_GT(lp->pivots[1], 0);
  EXPECT_EQ(lp->pivots[2], 0);
  EXPECT_EQ(lp->pivots[3], 0);
  EXPECT_EQ(lp->total_pivots, 30 + lp->pivots[1]);

  // The criss-cross method agrees.
  solve(*lp, dd_CrissCross);
  EXPECT_EQ(lp->LPS, dd_DualInconsistent);
}
