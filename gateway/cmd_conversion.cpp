// The double description commands: "hull", "extreme", "v_hull_extreme",
// "adj_extreme" and "adjacency".
#include <cstdio>

#include "gateway.h"

namespace {

constexpr char library_error[] =
    "ZONIX returned an error, see above(!) for details";

// Raises the usage text unless there is exactly one struct input and the
// number of outputs is `outputs`.
void check_call(int nlhs, int nrhs, const mxArray *prhs[], int outputs,
                const char *usage)
{
  if (nrhs != 1) gw::fail("usage", usage);
  if (nlhs != outputs) gw::fail("usage", usage);
  if (!mxIsStruct(prhs[0])) gw::fail("usage", usage);
}

// A struct the conversion could not read must not reach the engine.
zonix::Matrix require(dd_MatrixPtr M, const char *usage)
{
  if (!M) gw::fail("usage", usage);
  return zonix::Matrix(M);
}

// Runs the conversion; on a library error the message goes to standard
// output, as the library writes it, and the command fails.  Records the
// caller holds are released by their handles while the failure unwinds.
zonix::Polyhedra convert(dd_MatrixPtr M)
{
  dd_ErrorType err = dd_NoError;
  zonix::Polyhedra poly(dd_DDMatrix2Poly(M, &err));
  if (err != dd_NoError) {
    dd_WriteErrorMessages(stdout, err);
    std::fflush(stdout);
    gw::fail("library", library_error);
  }
  return poly;
}

// A copy that comes back null means the run did not finish; say so rather
// than leave the output unassigned.
template <class Handle>
Handle complete(Handle h)
{
  if (!h) gw::fail("incomplete", "the conversion did not complete");
  return h;
}

}  // namespace

void hull(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "hull expects a V input struct and produces an H output struct";
  check_call(nlhs, nrhs, prhs, 1, usage);
  dd_set_global_constants();
  zonix::Matrix M = require(PY_get_V_MatrixPtr(prhs[0]), usage);
  zonix::Polyhedra poly = convert(M.get());
  zonix::Matrix H = complete(zonix::Matrix(dd_CopyInequalities(poly.get())));
  plhs[0] = PY_set_H_MatrixPtr(H.get());
}

void extreme(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "extreme expects an H input struct and produces a V output struct";
  check_call(nlhs, nrhs, prhs, 1, usage);
  dd_set_global_constants();
  zonix::Matrix M = require(PY_get_H_MatrixPtr(prhs[0]), usage);
  zonix::Polyhedra poly = convert(M.get());
  zonix::Matrix G = complete(zonix::Matrix(dd_CopyGenerators(poly.get())));
  plhs[0] = PY_set_V_MatrixPtr(G.get());
}

void v_hull_extreme(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "v_hull_extreme expects a V input struct and produces a V output struct";
  check_call(nlhs, nrhs, prhs, 1, usage);
  dd_set_global_constants();
  zonix::Matrix M = require(PY_get_V_MatrixPtr(prhs[0]), usage);
  zonix::Polyhedra poly = convert(M.get());
  zonix::Matrix H = complete(zonix::Matrix(dd_CopyInequalities(poly.get())));
  zonix::Polyhedra poly2 = convert(H.get());
  zonix::Matrix G = complete(zonix::Matrix(dd_CopyGenerators(poly2.get())));
  plhs[0] = PY_set_V_MatrixPtr(G.get());
}

void adj_extreme(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "adj_extreme expects an H input struct and produces a V output struct "
      "and the adjacency struct";
  check_call(nlhs, nrhs, prhs, 2, usage);
  dd_set_global_constants();
  zonix::Matrix M = require(PY_get_H_MatrixPtr(prhs[0]), usage);
  zonix::Polyhedra poly = convert(M.get());
  zonix::Matrix G = complete(zonix::Matrix(dd_CopyGenerators(poly.get())));
  zonix::SetFamily F =
      complete(zonix::SetFamily(dd_CopyAdjacency(poly.get())));
  plhs[0] = PY_set_V_MatrixPtr(G.get());
  plhs[1] = PY_set_SetFamilyPtr(F.get());
}

void adjacency(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "adjacency expects a V input struct and produces the adjacency cell "
      "array of its rows";
  check_call(nlhs, nrhs, prhs, 1, usage);
  dd_set_global_constants();
  zonix::Matrix M = require(PY_get_V_MatrixPtr(prhs[0]), usage);
  zonix::Polyhedra poly = convert(M.get());
  zonix::SetFamily F =
      complete(zonix::SetFamily(dd_CopyInputAdjacency(poly.get())));
  plhs[0] = PY_set_SetFamilyPtr(F.get());
}
