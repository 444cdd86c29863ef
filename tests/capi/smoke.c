/* Proves the public headers are plain C: the unit square from its
 * inequalities to its four vertices, printed, its area (1) found, and
 * freed through the C interface only.  Returns 0 on success. */
#include <stdio.h>
#include <string.h>

#include "dovavozu.h"
#include "zonixvolume.h"

static int failures = 0;

static void check(int ok, const char *what)
{
  if (!ok) {
    fprintf(stderr, "smoke: %s failed\n", what);
    ++failures;
  }
}

int main(void)
{
  /* b - A x >= 0: x1 >= 0, x2 >= 0, 1 - x1 >= 0, 1 - x2 >= 0 */
  static const int rows[4][3] = {{0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}};
  dd_MatrixPtr M, G;
  dd_PolyhedraPtr poly;
  dd_VolumePtr area;
  dd_ErrorType err = dd_ImproperInputFormat;
  FILE *f;
  char buf[256];
  size_t n;
  long i, j, points = 0;

  dd_set_global_constants();
  M = dd_CreateMatrix(4, 3);
  M->representation = dd_Inequality;
  M->numbtype = dd_Real;
  for (i = 0; i < 4; ++i)
    for (j = 0; j < 3; ++j) ddd_set_si(M->matrix[i][j], rows[i][j]);
  poly = dd_DDMatrix2Poly(M, &err);
  check(poly != NULL && err == dd_NoError, "conversion");
  G = poly ? dd_CopyGenerators(poly) : NULL;
  check(G != NULL && G->rowsize == 4 && G->representation == dd_Generator, "generators");
  for (i = 0; G != NULL && i < G->rowsize; ++i)
    if (ddd_get_d(G->matrix[i][0]) == 1.0) ++points;
  check(points == 4, "four points");

  f = tmpfile();
  check(f != NULL, "tmpfile");
  if (f != NULL) {
    dd_WriteAmatrix(f, M->matrix, M->rowsize, M->colsize);
    rewind(f);
    n = fread(buf, 1, sizeof buf - 1, f);
    buf[n] = '\0';
    fclose(f);
    check(strcmp(buf, "begin\n 4 3 real\n  0  1  0\n  0  0  1\n  1 -1  0\n  1  0 -1\nend\n") == 0,
          "printed matrix");
  }
  area = dd_PolyVolume(M, dd_VolumeExact, &err);
  check(area != NULL && err == dd_NoError && area->exact && strcmp(area->numerator, "1") == 0 &&
            strcmp(area->denominator, "1") == 0 && area->value == 1.0 && area->kind == dd_VolumeBounded,
        "area");
  dd_FreeVolume(area);
  dd_FreeMatrix(G);
  dd_FreePolyhedra(poly);
  dd_FreeMatrix(M);
  return failures == 0 ? 0 : 1;
}
