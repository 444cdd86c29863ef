// "reduce_h", "reduce_v": drop the redundant rows of an H or V struct;
// "find_interior", "find_interior_DS": the point of an H struct with the
// largest common slack, by the criss-cross or the dual simplex method.
#include "gateway.h"
#include "zonixops.hpp"

namespace {

using Writer = mxArray *(*)(dd_MatrixPtr);

void reduce(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[],
            const char *usage, gw::Kind kind, Writer write)
{
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 2, usage);
  zonix::Matrix M = gw::read(prhs[0], kind, usage);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  zonix::Set red(zonix::row_query(M.get(), zonix::RowQuery::Redundant, call.request.arithmetic,
                                  &err, &exact, nullptr, call.options.redundancy));
  gw::check(err);
  zonix::Matrix reduced(dd_MatrixSubmatrix(M.get(), red.get()));
  plhs[0] = write(reduced.get());
  if (nlhs == 2) plhs[1] = PY_set_Set(red.get());
}

void interior(const gw::Call &call, dd_LPSolverType solver, int nlhs, mxArray *plhs[], int nrhs,
              const mxArray *prhs[])
{
  const std::string usage = std::string(call.command) +
                            " expects an H input struct and produces an LP "
                            "result struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 0, 1, usage.c_str(), 0);
  zonix::Matrix M(PY_get_H_MatrixPtr(prhs[0]));
  if (!M) gw::fail("lpMatrix", "Error in the setting of LP matrix.");
  gw::require_room(M->rowsize, M->colsize);
  M->objective = dd_LPmin;
  for (dd_colrange j = 0; j < M->colsize; ++j) ddd_set_d(M->rowvec[j], 0.0);
  const zonix::ops::InteriorPoint point = zonix::ops::interior_point(M.get(), solver, call.request);
  if (point.lp == nullptr) gw::check(point.err);
  // As with "solve_lp": reported, and the result struct still returned.
  gw::check(point.err, false);
  plhs[0] = WQ_set_LPsol_MatrixPtr(point.lp.get());
}

}  // namespace

void reduce_h(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "reduce_h expects an H input struct and produces a H output struct and "
      "an optional vector of removed rows";
  reduce(call, nlhs, plhs, nrhs, prhs, usage, gw::Kind::H, PY_set_H_MatrixPtr);
}

void reduce_v(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "reduce_v expects an V input struct and produces a V output struct and "
      "an optional vector of removed vertices";
  reduce(call, nlhs, plhs, nrhs, prhs, usage, gw::Kind::V, PY_set_V_MatrixPtr);
}

void find_interior(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  interior(call, dd_CrissCross, nlhs, plhs, nrhs, prhs);
}

void find_interior_DS(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  interior(call, dd_DualSimplex, nlhs, plhs, nrhs, prhs);
}
