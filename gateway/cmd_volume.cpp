// "volume": the volume of the polytope of an H or V struct.
#include <cmath>
#include <string>

#include "gateway.h"
#include "zonixvolume.h"

namespace {

// An integer as a double when doubles hold it and every integer below
// (2^53), as int64 up to 2^63, else empty: the caller has the fraction's
// text.
mxArray *integer_value(const mpz_class &z)
{
  const size_t bits = mpz_sizeinbase(z.get_mpz_t(), 2);
  if (bits <= 53) return mxCreateDoubleScalar(z.get_d());
  if (bits <= 63) {
    mxArray *a = mxCreateNumericMatrix(1, 1, mxINT64_CLASS, mxREAL);
    *static_cast<std::int64_t *>(mxGetData(a)) = z.get_si();
    return a;
  }
  return mxCreateDoubleMatrix(0, 0, mxREAL);
}

}  // namespace

void volume(const gw::Call &call, int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[])
{
  static constexpr char usage[] =
      "volume expects an H or V input struct and produces a volume struct";
  gw::check_call(nlhs, nrhs, prhs, 1, 0, 1, usage);
  zonix::Matrix M = gw::read(prhs[0], gw::Kind::Either, usage);
  const zonix::Volume v = zonix::volume(M.get(), call.request.arithmetic);
  gw::check(v.error);
  static const char *fields[] = {"volume", "exact", "num", "den", "fraction", "kind",
                                 "vertices", "facets", "simplices"};
  mxArray *s = mxCreateStructMatrix(1, 1, 9, fields);
  mxSetField(s, 0, "volume", mxCreateDoubleScalar(v.kind == dd_VolumeUnbounded ? mxGetInf() : v.value));
  mxSetField(s, 0, "exact", mxCreateLogicalScalar(v.exact));
  if (v.exact) {
    mxSetField(s, 0, "num", integer_value(v.fraction.get_num()));
    mxSetField(s, 0, "den", integer_value(v.fraction.get_den()));
    mxSetField(s, 0, "fraction", mxCreateString(v.fraction.get_str().c_str()));
  } else {
    mxSetField(s, 0, "num", mxCreateDoubleMatrix(0, 0, mxREAL));
    mxSetField(s, 0, "den", mxCreateDoubleMatrix(0, 0, mxREAL));
    mxSetField(s, 0, "fraction", mxCreateString(""));
  }
  const char *kind = v.kind == dd_VolumeBounded ? "bounded" : v.kind == dd_VolumeFlat ? "flat" : "unbounded";
  mxSetField(s, 0, "kind", mxCreateString(kind));
  mxSetField(s, 0, "vertices", mxCreateDoubleScalar(static_cast<double>(v.vertices)));
  mxSetField(s, 0, "facets", mxCreateDoubleScalar(static_cast<double>(v.facets)));
  mxSetField(s, 0, "simplices", mxCreateDoubleScalar(static_cast<double>(v.simplices)));
  plhs[0] = s;
}
