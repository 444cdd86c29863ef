// "project": eliminate variables of an H struct; "linearity" and
// "strong_redundancy": the implicit equations and the strongly redundant
// rows of an H or V struct.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "gateway.h"

namespace {

// The library column of each variable to eliminate (variable j is column
// j+1); the error badCols unless cols lists distinct variables 1..d.
std::vector<dd_colrange> eliminated_columns(const mxArray *cols, dd_colrange d)
{
  if (!mxIsDouble(cols) || mxIsComplex(cols) || mxIsSparse(cols))
    gw::fail("badCols", std::string("cols must hold real variable numbers "
                                    "(double), not ") + mxGetClassName(cols));
  if (mxIsEmpty(cols)) gw::fail("badCols", "cols must name at least one variable");
  if (mxGetNumberOfDimensions(cols) > 2 || (mxGetM(cols) != 1 && mxGetN(cols) != 1))
    gw::fail("badCols", "cols must be a vector of variable numbers");
  std::vector<bool> seen(static_cast<size_t>(d) + 1, false);
  std::vector<dd_colrange> out;
  const double *c = mxGetPr(cols);
  for (size_t k = 0; k < mxGetNumberOfElements(cols); ++k) {
    char text[160];
    if (!(c[k] >= 1 && c[k] <= d && c[k] == std::floor(c[k]))) {
      std::snprintf(text, sizeof text, "cols(%zu) = %g is not a variable number 1..%ld",
                    k + 1, c[k], static_cast<long>(d));
      gw::fail("badCols", text);
    }
    const auto j = static_cast<size_t>(c[k]);
    if (seen[j]) {
      std::snprintf(text, sizeof text, "cols(%zu) = %zu repeats a variable", k + 1, j);
      gw::fail("badCols", text);
    }
    seen[j] = true;
    out.push_back(static_cast<dd_colrange>(j + 1));
  }
  return out;
}

}  // namespace

void project(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "project expects an H input struct and a vector of variable numbers "
      "and produces an H output struct";
  gw::check_call(nlhs, nrhs, prhs, 2, 0, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::H, usage);
  const std::vector<dd_colrange> del = eliminated_columns(prhs[1], M->colsize - 1);
  const gw::Options &opt = call.options;
  // Block elimination's cone of multipliers has a row per eliminated
  // column and per row.
  const zonix::proj::Method method = zonix::proj::choose(M.get(), del, opt.projection);
  if (method == zonix::proj::Method::Block)
    gw::require_room(static_cast<double>(del.size()) + M->rowsize, M->rowsize + 1.0);
  zonix::Projection P = zonix::eliminate(M.get(), del, method, opt.reduce, call.request.arithmetic);
  gw::check(P.error);
  if (!P.output) gw::check(dd_OutOfMemory);
  const zonix::Matrix &R = P.output;
  plhs[0] = PY_set_H_MatrixPtr(R.get());
}

void linearity(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "linearity expects an H or V input struct and produces a row vector "
      "of its implicit linearity rows";
  gw::check_call(nlhs, nrhs, prhs, 1, 0, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::Either, usage);
  dd_ErrorType err = dd_NoError;
  bool exact = false;
  zonix::Set L(zonix::row_query(M.get(), zonix::RowQuery::ImplicitLinearity,
                                call.request.arithmetic, &err, &exact));
  gw::check(err);
  plhs[0] = PY_set_Set(L.get());
}

void strong_redundancy(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "strong_redundancy expects an H or V input struct and produces a row "
      "vector of its strongly redundant rows and an optional weak adjacency "
      "cell array";
  gw::check_call(nlhs, nrhs, prhs, 1, 0, 2, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::Either, usage);
  const zonix::ops::StrongRedundancy r = zonix::ops::strong_redundancy(M.get(), nlhs == 2, call.request);
  gw::check(r.err);
  plhs[0] = PY_set_Set(r.rows.get());
  if (nlhs == 2) plhs[1] = PY_set_SetFamilyPtr(r.weak.get());
}
