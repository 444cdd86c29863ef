// "reduce_h", "reduce_v": drop the redundant rows of an H or V struct;
// "find_interior", "find_interior_DS": the point of an H struct with the
// largest common slack, by the criss-cross or the dual simplex method.
#include <cstdio>

#include "gateway.h"

namespace {

constexpr char library_error[] =
    "ZONIX returned an error, see above(!) for details";

using Reader = dd_MatrixPtr (*)(const mxArray *);
using Writer = mxArray *(*)(dd_MatrixPtr);

void reduce(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[],
            const char *usage, Reader read, Writer write)
{
  if (nrhs != 1) gw::fail("usage", usage);
  if (nlhs < 1) gw::fail("usage", usage);
  if (nlhs > 2) gw::fail("usage", usage);
  if (!mxIsStruct(prhs[0])) gw::fail("usage", usage);
  dd_set_global_constants();
  zonix::Matrix M(read(prhs[0]));
  // A struct without usable fields must not reach the LPs.
  if (!M) gw::fail("usage", usage);

  dd_ErrorType err = dd_NoError;
  zonix::Set red(dd_RedundantRows(M.get(), &err));
  if (err != dd_NoError) {
    dd_WriteErrorMessages(stdout, err);
    std::fflush(stdout);
    gw::fail("library", library_error);
  }
  zonix::Matrix reduced(dd_MatrixSubmatrix(M.get(), red.get()));
  plhs[0] = write(reduced.get());
  if (nlhs == 2) plhs[1] = PY_set_Set(red.get());
}

void interior(dd_LPSolverType solver, mxArray *plhs[], int nrhs,
              const mxArray *prhs[])
{
  // Nothing to read without an input; stop before looking for one.
  if (nrhs < 1)
    gw::fail("usage", std::string(gw::current_command()) +
                          " expects an H input struct and produces an LP "
                          "result struct");
  dd_ErrorType err = dd_NoError;
  dd_set_global_constants();
  zonix::LP lp;
  {
    zonix::Matrix M(PY_get_H_MatrixPtr(prhs[0]));
    if (!M) gw::fail("lpMatrix", "Error in the setting of LP matrix.");
    M->objective = dd_LPmin;
    for (dd_colrange j = 0; j < M->colsize; ++j) ddd_set_d(M->rowvec[j], 0.0);
    lp.reset(dd_Matrix2LP(M.get(), &err));
  }
  zonix::LP lp2(dd_MakeLPforInteriorFinding(lp.get()));
  dd_LPSolve(lp2.get(), solver, &err);
  // As with "solve_lp": reported, and the result struct still returned.
  if (err != dd_NoError) {
    dd_WriteErrorMessages(stdout, err);
    std::fflush(stdout);
  }
  plhs[0] = WQ_set_LPsol_MatrixPtr(lp2.get());
}

}  // namespace

void reduce_h(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "reduce_h expects an H input struct and produces a H output struct and "
      "an optional vector of removed rows";
  reduce(nlhs, plhs, nrhs, prhs, usage, PY_get_H_MatrixPtr, PY_set_H_MatrixPtr);
}

void reduce_v(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "reduce_v expects an V input struct and produces a V output struct and "
      "an optional vector of removed vertices";
  reduce(nlhs, plhs, nrhs, prhs, usage, PY_get_V_MatrixPtr, PY_set_V_MatrixPtr);
}

void find_interior(int, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  interior(dd_CrissCross, plhs, nrhs, prhs);
}

void find_interior_DS(int, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  interior(dd_DualSimplex, plhs, nrhs, prhs);
}
