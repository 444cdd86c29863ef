// zonix from C++: the facets of the square with corners (0,0), (2,0), (0,2),
// (2,2), in double and in exact arithmetic.  The handles of zonix.hpp free
// every record when they go.
#include <cstdio>

#include "zonix.hpp"

int main()
{
  dd_set_global_constants();
  const double corners[4][2] = {{0, 0}, {2, 0}, {0, 2}, {2, 2}};
  zonix::Matrix V = zonix::make_matrix(4, 3);
  for (int i = 0; i < 4; ++i) {
    ddd_set_si(V->matrix[i][0], 1);  // 1: a point, not a ray
    ddd_set_d(V->matrix[i][1], corners[i][0]);
    ddd_set_d(V->matrix[i][2], corners[i][1]);
  }
  V->representation = dd_Generator;
  V->numbtype = dd_Real;

  dd_ErrorType err = dd_NoError;
  zonix::Polyhedra poly(dd_DDMatrix2Poly(V.get(), &err));
  if (err != dd_NoError) {
    dd_WriteErrorMessages(stdout, err);
    return 1;
  }
  zonix::Matrix H(dd_CopyInequalities(poly.get()));
  if (!H) return 1;
  // Each row (b, -a1, -a2) is a facet b - a.x >= 0.
  std::printf("facets of the square [0,2] x [0,2]:\n");
  dd_WriteAmatrix(stdout, H->matrix, H->rowsize, H->colsize);
  if (H->rowsize != 4) return 1;

  // The same in exact arithmetic: rational facets, owned by the result.
  zonix::ConvertOptions exact;
  exact.arithmetic = zonix::Arithmetic::Exact;
  const zonix::Conversion c = zonix::convert(V.get(), exact);
  if (c.error != dd_NoError || !c.exact) return 1;
  std::printf("the same in exact arithmetic:\n");
  zonix::write_rational(stdout, c.rational);
  return c.rational.rows == 4 ? 0 : 1;
}
