// The double description commands: "hull", "extreme", "v_hull_extreme",
// "adj_extreme" and "adjacency".
#include "gateway.h"

namespace {

// Runs the conversion in the arithmetic of the options, with the families
// asked for; a library error fails the command (records the caller holds
// are released by their handles while the failure unwinds).
zonix::Conversion convert(const gw::Call &call, dd_MatrixPtr M, bool adjacency = false,
                          bool input_adjacency = false)
{
  zonix::ConvertOptions o;
  o.arithmetic = call.request.arithmetic;
  o.threads = call.request.threads;
  o.tolerance = call.options.tolerance;
  o.adjacency = adjacency;
  o.input_adjacency = input_adjacency;
  zonix::Conversion c = zonix::convert(M, o);
  gw::check(c.error);
  return c;
}

// A result that comes back null means the run did not finish; say so
// rather than leave the output unassigned.
template <class Handle>
Handle complete(Handle &h)
{
  if (!h) gw::fail("incomplete", "the conversion did not complete");
  return std::move(h);
}

}  // namespace

void hull(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "hull expects a V input struct and produces an H output struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::V, usage);
  zonix::Conversion c = convert(call, M.get());
  zonix::Matrix H = complete(c.output);
  plhs[0] = PY_set_H_MatrixPtr(H.get());
}

void extreme(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "extreme expects an H input struct and produces a V output struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::H, usage);
  zonix::Conversion c = convert(call, M.get());
  zonix::Matrix G = complete(c.output);
  plhs[0] = PY_set_V_MatrixPtr(G.get());
}

void v_hull_extreme(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "v_hull_extreme expects a V input struct and produces a V output struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::V, usage);
  zonix::ConvertOptions o;
  o.arithmetic = call.request.arithmetic;
  o.threads = call.request.threads;
  o.tolerance = call.options.tolerance;
  zonix::Conversion c = zonix::hull_extreme(M.get(), o);
  gw::check(c.error);
  zonix::Matrix G = complete(c.output);
  plhs[0] = PY_set_V_MatrixPtr(G.get());
}

void adj_extreme(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "adj_extreme expects an H input struct and produces a V output struct "
      "and the adjacency struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 2, 2, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::H, usage);
  zonix::Conversion c = convert(call, M.get(), true);
  zonix::Matrix G = complete(c.output);
  zonix::SetFamily F = complete(c.adjacency);
  plhs[0] = PY_set_V_MatrixPtr(G.get());
  plhs[1] = PY_set_SetFamilyPtr(F.get());
}

void adjacency(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "adjacency expects a V input struct and produces the adjacency cell "
      "array of its rows";
  gw::check_call(nlhs, nrhs, prhs, 1, 1, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::V, usage);
  zonix::Conversion c = convert(call, M.get(), false, true);
  zonix::SetFamily F = complete(c.input_adjacency);
  plhs[0] = PY_set_SetFamilyPtr(F.get());
}
