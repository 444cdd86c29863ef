// "copy_h" and "copy_v": a struct through the library matrix and back.
#include "gateway.h"

void copy_v(const gw::Call &, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "copy_v expects a V input struct and produces a V output struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  // A struct that is no V struct gets the usage text, not a missing output.
  zonix::Matrix M(PY_get_V_MatrixPtr(prhs[0]));
  if (!M) gw::fail("usage", usage);
  plhs[0] = PY_set_V_MatrixPtr(M.get());
}

void copy_h(const gw::Call &, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "copy_h expects a H input struct and produces a H output struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  zonix::Matrix M(PY_get_H_MatrixPtr(prhs[0]));
  if (!M) gw::fail("usage", usage);
  plhs[0] = PY_set_H_MatrixPtr(M.get());
}
