// "solve_lp" and "solve_lp_DS": an LP struct (A, B, optional lin, obj) is
// minimised by the criss-cross or the dual simplex method, and the record's
// solution comes back as an LP result struct.
#include "gateway.h"

// LP struct -> new LP record (minimise obj*x subject to A*x <= B, the lin
// rows as equations), owned by the caller.  Raises a MATLAB error when the
// struct is malformed, so it never returns null.
dd_LPPtr WQ_get_LP_MatrixPtr(const mxArray *s)
{
  static constexpr char bad_objective[] = "Error in the setting of LP objective.";
  zonix::Matrix M(PY_get_H_MatrixPtr(s));
  if (!M) gw::fail("lpMatrix", "Error in the setting of LP matrix.");
  gw::require_room(M->rowsize, M->colsize);

  const mxArray *obj = gw::field(s, "obj");
  if (!obj) gw::fail("lpObjective", bad_objective);
  gw::require_real_double(obj, "obj");
  if (mxGetNumberOfDimensions(obj) > 2 || mxGetM(obj) != 1)
    gw::fail("lpObjective", bad_objective);
  // Exactly the first d entries are read; a shorter row would be read past
  // its end.
  const size_t d = static_cast<size_t>(M->colsize - 1);
  if (mxGetN(obj) < d) gw::fail("lpObjective", bad_objective);
  gw::require_finite(obj, "obj");

  M->objective = dd_LPmin;
  const double *c = mxGetPr(obj);
  ddd_set_d(M->rowvec[0], 0.0);
  for (size_t j = 0; j < d; ++j) ddd_set_d(M->rowvec[j + 1], c[j]);
  dd_ErrorType err = dd_NoError;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  gw::check(err);
  return lp.release();
}

// Solved LP record -> new 1x1 struct xopt, lambda, how, objlp, active; null
// for a null record.  The record is left to the caller.
mxArray *WQ_set_LPsol_MatrixPtr(dd_LPPtr lp)
{
  if (!lp) return nullptr;
  const char *names[] = {"xopt", "lambda", "how", "objlp", "active"};
  mxArray *s = mxCreateStructMatrix(1, 1, 5, names);
  const mwSize d = lp->d > 1 ? static_cast<mwSize>(lp->d - 1) : 0;
  const mwSize rows = lp->m > 1 ? static_cast<mwSize>(lp->m - 1) : 0;

  mxArray *xopt = mxCreateDoubleMatrix(d, 1, mxREAL);
  double *x = mxGetPr(xopt);
  for (mwSize j = 0; j < d; ++j) x[j] = ddd_get_d(lp->sol[j + 1]);

  // Only constraint rows have a lambda entry; a row number outside them
  // (none is expected) is not written out of bounds.
  auto constraint_row = [&](long r) {
    return r > 0 && static_cast<mwSize>(r) <= rows;
  };
  mxArray *lambda = mxCreateDoubleMatrix(rows, 1, mxREAL);
  double *l = mxGetPr(lambda);
  mwSize active_count = 0;
  for (long j = 2; j <= lp->d; ++j) {
    const long r = lp->nbindex[j];
    if (!constraint_row(r)) continue;
    l[r - 1] = ddd_get_d(lp->dsol[j - 1]);
    ++active_count;
  }
  mxArray *active = mxCreateDoubleMatrix(active_count, 1, mxREAL);
  double *a = mxGetPr(active);
  for (long j = 2; j <= lp->d; ++j)
    if (constraint_row(lp->nbindex[j])) *a++ = static_cast<double>(lp->nbindex[j]);

  mxSetField(s, 0, "xopt", xopt);
  mxSetField(s, 0, "lambda", lambda);
  mxSetField(s, 0, "how", mxCreateDoubleScalar(static_cast<double>(lp->LPS)));
  mxSetField(s, 0, "objlp", mxCreateDoubleScalar(ddd_get_d(lp->optvalue)));
  mxSetField(s, 0, "active", active);
  return s;
}

namespace {

void solve(const gw::Call &call, dd_LPSolverType solver, int nlhs, mxArray *plhs[], int nrhs,
           const mxArray *prhs[])
{
  const std::string usage = std::string(call.command) +
                            " expects an LP struct with fields A, B, obj and "
                            "optional lin and produces an LP result struct";
  // A non-struct input is left to the LP matrix check.
  gw::check_call(nlhs, nrhs, prhs, 1, 0, 1, usage.c_str(), 0);
  dd_ErrorType err = dd_NoError;
  zonix::LP lp(WQ_get_LP_MatrixPtr(prhs[0]));
  bool exact = false;
  zonix::solve_lp(lp.get(), solver, call.request.arithmetic, &err, &exact);
  // A solver error is reported, not raised: the result struct still comes
  // back with the status the record holds.
  gw::check(err, false);
  plhs[0] = WQ_set_LPsol_MatrixPtr(lp.get());
}

}  // namespace

void solve_lp(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  solve(call, dd_CrissCross, nlhs, plhs, nrhs, prhs);
}

void solve_lp_DS(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  solve(call, dd_DualSimplex, nlhs, plhs, nrhs, prhs);
}
