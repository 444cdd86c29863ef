// zonix MEX gateway: what the command handlers share.
//
// A handler reports a MATLAB error by calling gw::fail, which throws a
// gw::Failure.  mexFunction catches it only after the handler's scopes have
// closed, so every library record held in a zonix:: handle is already freed
// when the host's error call unwinds or jumps out of the module.
#ifndef ZONIX_GATEWAY_H
#define ZONIX_GATEWAY_H

#include <string>

#include "mex.h"
#include "zonix.hpp"
#include "zonixarith.hpp"
#include "zonixops.hpp"

namespace gw {

// A MATLAB error waiting to be raised: the last word of its identifier
// (the dispatcher adds "zonix:<command>:") and its text.
struct Failure {
  std::string what;
  std::string message;
};

// Raises the error "zonix:<command being run>:<what>" with the given text.
[[noreturn]] void fail(const char *what, std::string message);

// The options struct a computing command may take as its last argument,
// beside the arithmetic and threads, which go into the request.
struct Options {
  bool progress = false;  // iteration lines through mexPrintf
  double tolerance = 0;   // measured data in auto; 0: the library's default
  zonix::proj::Method projection = zonix::proj::Method::Auto;  // project
  bool reduce = true;     // project: drop redundant rows of the result
  dd_RedundancyMethod redundancy = dd_RedundancyAuto;  // reduce_h, reduce_v
};

// One call of a command: its name (for usage texts), its options, and the
// request its library calls run under (arithmetic, threads, the host's
// interrupt and progress hooks).
struct Call {
  const char *command = "zonixmex";
  Options options;
  zonix::ops::Request request;
};

}  // namespace gw

// Every command handler: outputs as received, inputs without the command
// name (and without the options struct, which the dispatcher has read).
using Handler = void (*)(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs,
                         const mxArray *prhs[]);

// Command handlers, one per command name; each lives in a gateway/cmd_*.cpp.
void hull(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void extreme(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void reduce_h(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void reduce_v(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void copy_v(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void copy_h(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void v_hull_extreme(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void adj_extreme(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void adjacency(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void solve_lp(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void solve_lp_DS(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void find_interior(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void find_interior_DS(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void project(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void linearity(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void strong_redundancy(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void volume(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

// ---- conversions between MATLAB structs and library records -------------
//
// The PY_get_ conversions return a new matrix the caller frees with
// dd_FreeMatrix, or null when a required field is missing or has the wrong
// shape.  Input that would be unsafe or misleading to read (a field that is
// not a real, full double array, non-finite numbers, R of another width
// than V, a struct array, a malformed lin) raises a MATLAB error through
// gw::fail instead.  The PY_set_ conversions never free their argument and
// return null for a null argument.

// H struct (A, B, optional lin) -> inequality matrix, rows (B(i), -A(i,:)).
dd_MatrixPtr PY_get_H_MatrixPtr(const mxArray *s);
// V struct (V, optional R and lin) -> generator matrix, rows (1, V(i,:)),
// (0, R(i,:)); lin names rays that are lines.
dd_MatrixPtr PY_get_V_MatrixPtr(const mxArray *s);
// Inequality matrix -> new 1x1 struct with fields A, B, lin.
mxArray *PY_set_H_MatrixPtr(dd_MatrixPtr M);
// Generator matrix -> new 1x1 struct with fields V, R, rpos, vpos, lin.
mxArray *PY_set_V_MatrixPtr(dd_MatrixPtr M);
// Set family -> famsize x 1 cell array of member rows.
mxArray *PY_set_SetFamilyPtr(dd_SetFamilyPtr F);
// Set -> 1 x card row of its members in increasing order.
mxArray *PY_set_Set(set_type S);

// LP struct (A, B, optional lin, obj) -> new LP record minimising obj*x;
// raises a MATLAB error for a malformed struct, so never null.
dd_LPPtr WQ_get_LP_MatrixPtr(const mxArray *s);
// Solved LP record -> new LP result struct (xopt, lambda, how, objlp,
// active); null for a null record, which stays the caller's.
mxArray *WQ_set_LPsol_MatrixPtr(dd_LPPtr lp);

namespace gw {

// Raises the usage text unless there are exactly `inputs` inputs, of which
// the first `structs` are structs, and between min_out and max_out outputs.
void check_call(int nlhs, int nrhs, const mxArray *prhs[], int inputs,
                int min_out, int max_out, const char *usage, int structs = 1);

// After a library call: raises interrupted, outOfMemory, or (after the
// library's message) the library error; also interrupted when the host
// has an interrupt pending.  With `fatal` false, other errors are only
// printed and the call goes on (the LP commands return their status).
void check(dd_ErrorType err, bool fatal = true);

// What a struct is read as.
enum class Kind { H, V, Either };

// The struct read as `kind` (Either: by its fields, A/B or V), ready for
// the library: the usage text when it does not read, outOfMemory when the
// library's working storage for it could not fit.
zonix::Matrix read(const mxArray *s, Kind kind, const char *usage);

// Raises outOfMemory unless storage for a rows x cols system and its
// square basis (the least any computing command allocates) can fit.
void require_room(double rows, double cols);
// Raises outOfMemory unless `need` bytes (for a rows x cols system) fit.
void require_bytes(double need, double rows, double cols);

// The named field of a 1x1 struct; null when the field is missing.  A
// struct array of another size is an error: which element was meant?
const mxArray *field(const mxArray *s, const char *name);

// Raises "fieldType" unless the field is a real, full double array, the only
// kind whose mxGetPr holds rows x columns doubles.
void require_real_double(const mxArray *a, const char *name);

// Raises "nonFinite" when the field holds NaN or Inf.
void require_finite(const mxArray *a, const char *name);

}  // namespace gw

#endif  // ZONIX_GATEWAY_H
