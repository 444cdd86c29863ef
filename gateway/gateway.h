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

// Every command handler: outputs as received, inputs without the command name.
using Handler = void (*)(int nlhs, mxArray *plhs[], int nrhs,
                         const mxArray *prhs[]);

// Command handlers, one per command name; each lives in a gateway/cmd_*.cpp.
// Declared here together so that adding a command to the dispatch table in
// zonixmex.cpp is a one-line change.
void hull(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void extreme(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void reduce_h(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void reduce_v(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void copy_v(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void copy_h(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void v_hull_extreme(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void adj_extreme(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void adjacency(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void solve_lp(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void solve_lp_DS(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void find_interior(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);
void find_interior_DS(int nlhs, mxArray *plhs[], int nrhs,
                      const mxArray *prhs[]);

// ---- conversions between MATLAB structs and library records -------------
//
// The PY_get_ conversions return a new matrix the caller frees with
// dd_FreeMatrix, or null when a required field is missing or has the wrong
// shape.  Input that would be unsafe to read (a field that is not a real,
// full double array, non-finite numbers, R narrower or wider than V) raises
// a MATLAB error through gw::fail instead.  The PY_set_ conversions never
// free their argument and return null for a null argument.

// H struct (A, B, optional lin) -> inequality matrix, rows (B(i), -A(i,:)).
dd_MatrixPtr PY_get_H_MatrixPtr(const mxArray *s);
// V struct (V, optional R) -> generator matrix, rows (1, V(i,:)), (0, R(i,:)).
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

// A MATLAB error waiting to be raised: identifier and text.
struct Failure {
  std::string id;
  std::string message;
};

// The command being run, used in error identifiers ("zonix:<command>:...").
// Set by mexFunction before it calls a handler.
const char *current_command();
void set_current_command(const char *name);

// Raises the error "zonix:<current command>:<what>" with the given text.
[[noreturn]] void fail(const char *what, std::string message);

// Shows the warning "zonix:<current command>:<what>" and returns.
void warn(const char *what, const char *message);

// The named field of the struct's first element; null when the field is
// missing or the struct array has no elements.
const mxArray *field(const mxArray *s, const char *name);

// Raises "fieldType" unless the field is a real, full double array, the only
// kind whose mxGetPr holds rows x columns doubles.
void require_real_double(const mxArray *a, const char *name);

// Raises "nonFinite" when the field holds NaN or Inf.
void require_finite(const mxArray *a, const char *name);

}  // namespace gw

#endif  // ZONIX_GATEWAY_H
