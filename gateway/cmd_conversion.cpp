// The double description commands: "hull", "extreme", "v_hull_extreme",
// "adj_extreme" and "adjacency".
#include "gateway.h"

namespace {

// Runs the conversion; a library error fails the command (records the
// caller holds are released by their handles while the failure unwinds).
zonix::Polyhedra convert(dd_MatrixPtr M)
{
  dd_ErrorType err = dd_NoError;
  zonix::Polyhedra poly(dd_DDMatrix2Poly(M, &err));
  gw::check(err);
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
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::V, usage);
  zonix::Polyhedra poly = convert(M.get());
  zonix::Matrix H = complete(zonix::Matrix(dd_CopyInequalities(poly.get())));
  plhs[0] = PY_set_H_MatrixPtr(H.get());
}

void extreme(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "extreme expects an H input struct and produces a V output struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::H, usage);
  zonix::Polyhedra poly = convert(M.get());
  zonix::Matrix G = complete(zonix::Matrix(dd_CopyGenerators(poly.get())));
  plhs[0] = PY_set_V_MatrixPtr(G.get());
}

void v_hull_extreme(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "v_hull_extreme expects a V input struct and produces a V output struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::V, usage);
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
  gw::check_call(nlhs, nrhs, prhs, 1, 2, 2, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::H, usage);
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
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::V, usage);
  zonix::Polyhedra poly = convert(M.get());
  zonix::SetFamily F =
      complete(zonix::SetFamily(dd_CopyInputAdjacency(poly.get())));
  plhs[0] = PY_set_SetFamilyPtr(F.get());
}
