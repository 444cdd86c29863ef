// zonix MEX module: the two exports and the command dispatch.
#include <cstring>
#include <new>

#include "gateway.h"

namespace {

// "version" takes any inputs and assigns no output.
void version(int, mxArray *[], int, const mxArray *[])
{
  mexPrintf("Version %s\n", "1.0");
}

struct Command {
  const char *name;
  Handler handler;
};

// Searched in this order, first match wins.  The full list, in order:
// hull, extreme, reduce_h, reduce_v, copy_v, copy_h, v_hull_extreme,
// adj_extreme, solve_lp, solve_lp_DS, find_interior, find_interior_DS,
// version.  A name not (yet) listed here is an unknown function.
constexpr Command commands[] = {
    {"hull", hull},
    {"extreme", extreme},
    {"reduce_h", reduce_h},
    {"reduce_v", reduce_v},
    {"copy_v", copy_v},
    {"copy_h", copy_h},
    {"v_hull_extreme", v_hull_extreme},
    {"adj_extreme", adj_extreme},
    {"solve_lp", solve_lp},
    {"solve_lp_DS", solve_lp_DS},
    {"find_interior", find_interior},
    {"find_interior_DS", find_interior_DS},
    {"version", version},
    {"adjacency", adjacency},
};

// Copies text into memory the host reclaims after the call, so nothing of
// ours is left to free when the host's error call leaves the module.
char *host_copy(const std::string &text)
{
  auto *out = static_cast<char *>(mxCalloc(text.size() + 1, 1));
  std::memcpy(out, text.data(), text.size());
  return out;
}

void dispatch(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char not_string[] = "Input 1 must be a row vector string";
  gw::set_current_command("zonixmex");
  if (nrhs < 1 || !mxIsChar(prhs[0]) || mxGetM(prhs[0]) != 1)
    gw::fail("notRowString", not_string);

  const mwSize n = mxGetN(prhs[0]);
  auto *name = static_cast<char *>(mxCalloc(n + 1, 1));
  mxGetString(prhs[0], name, n + 1);

  // Comparing the terminating NUL as well makes this an exact match.
  for (const Command &c : commands) {
    if (std::strncmp(name, c.name, std::strlen(c.name) + 1) == 0) {
      gw::set_current_command(c.name);
      c.handler(nlhs, plhs, nrhs - 1, prhs + 1);
      return;
    }
  }
  gw::fail("unknownFunction", "Unknown function");
}

}  // namespace

extern "C" void mexFunction(int nlhs, mxArray *plhs[], int nrhs,
                            const mxArray *prhs[])
{
  const char *id = nullptr;
  const char *message = nullptr;
  try {
    dispatch(nlhs, plhs, nrhs, prhs);
  } catch (const gw::Failure &f) {
    id = host_copy(f.id);
    message = host_copy(f.message);
  } catch (const std::bad_alloc &) {
    id = host_copy(std::string("zonix:") + gw::current_command() +
                   ":outOfMemory");
    message = "out of memory";
  }
  // Raised here, after every handler scope has released its records.
  if (id) mexErrMsgIdAndTxt(id, "%s", message);
}

extern "C" const char *mexVersion(void)
{
  return "MATLAB R13 native";
}
