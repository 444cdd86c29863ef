/* zonix from C: the vertices of the unit square 0 <= x, y <= 1.
 * An inequality b - a1*x - a2*y >= 0 is the row (b, -a1, -a2). */
#include <stdio.h>

#include "dovavozu.h"

int main(void)
{
  static const double rows[4][3] = {
      {1, -1, 0}, {0, 1, 0}, {1, 0, -1}, {0, 0, 1}};
  dd_MatrixPtr H, V = NULL;
  dd_PolyhedraPtr poly;
  dd_ErrorType err = dd_NoError;
  int i, j, ok;

  dd_set_global_constants();
  H = dd_CreateMatrix(4, 3);
  for (i = 0; i < 4; i++)
    for (j = 0; j < 3; j++) ddd_set_d(H->matrix[i][j], rows[i][j]);
  H->representation = dd_Inequality;
  H->numbtype = dd_Real;

  poly = dd_DDMatrix2Poly(H, &err);
  if (err == dd_NoError) V = dd_CopyGenerators(poly);
  if (V) {
    /* Each row (1, x, y) is a vertex. */
    printf("vertices of the unit square:\n");
    dd_WriteAmatrix(stdout, V->matrix, V->rowsize, V->colsize);
  } else {
    dd_WriteErrorMessages(stdout, err);
  }
  ok = V && V->rowsize == 4;

  dd_FreeMatrix(V);
  dd_FreePolyhedra(poly);
  dd_FreeMatrix(H);
  return ok ? 0 : 1;
}
