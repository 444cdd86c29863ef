/* Proves the public headers are plain C: build, copy, append, print and
 * free matrix records through the C interface only.  Returns 0 on success. */
#include <stdio.h>
#include <string.h>

#include "dovavozu.h"

static int failures = 0;

static void check(int ok, const char *what)
{
  if (!ok) {
    fprintf(stderr, "smoke: %s failed\n", what);
    ++failures;
  }
}

/* The unit square H from its inequalities to its four vertices. */
static void check_conversion(dd_MatrixPtr H)
{
  dd_MatrixPtr G;
  dd_PolyhedraPtr poly;
  dd_SetFamilyPtr adj;
  dd_ErrorType err = dd_ImproperInputFormat;
  long i, points = 0;
  poly = dd_DDMatrix2Poly(H, &err);
  check(poly != NULL && err == dd_NoError, "conversion");
  if (poly == NULL) return;
  G = dd_CopyGenerators(poly);
  check(G != NULL && G->rowsize == 4 && G->representation == dd_Generator,
        "generators");
  if (G != NULL)
    for (i = 0; i < G->rowsize; ++i)
      if (ddd_get_d(G->matrix[i][0]) == 1.0) ++points;
  check(points == 4, "four points");
  adj = dd_CopyAdjacency(poly);
  check(adj != NULL && adj->famsize == 4 && set_card(adj->set[0]) == 2,
        "adjacency");
  dd_FreeSetFamily(adj);
  dd_FreeMatrix(G);
  dd_FreePolyhedra(poly);
  dd_FreePolyhedra(NULL);
}

int main(void)
{
  dd_MatrixPtr M, C, A;
  dd_rowset del;
  mytype v;
  FILE *f;
  char buf[256];
  size_t n;

  dd_set_global_constants();

  /* The unit square as an H-representation: b - A x >= 0. */
  M = dd_CreateMatrix(4, 3);
  M->representation = dd_Inequality;
  M->numbtype = dd_Real;
  ddd_set_si(M->matrix[0][1], 1);  /* x1 >= 0 */
  ddd_set_si(M->matrix[1][2], 1);  /* x2 >= 0 */
  ddd_set_si(M->matrix[2][0], 1);  /* 1 - x1 >= 0 */
  ddd_set_si(M->matrix[2][1], -1);
  ddd_set_si(M->matrix[3][0], 1);  /* 1 - x2 >= 0 */
  ddd_set_si(M->matrix[3][2], -1);
  check_conversion(M);
  set_addelem(M->linset, 4);

  C = dd_MatrixCopy(M);
  check(C != NULL && C->rowsize == 4 && C->colsize == 3, "copy sizes");
  check(C != NULL && set_member(4, C->linset), "copy linset");

  A = dd_MatrixAppend(M, C);
  check(A != NULL && A->rowsize == 8, "append sizes");
  check(A != NULL && set_member(4, A->linset) && set_member(8, A->linset) &&
            set_card(A->linset) == 2,
        "append linset");

  check(dd_MatrixRowRemove(&A, 1), "row remove");
  check(A->rowsize == 7 && set_member(3, A->linset), "row remove linset");

  set_initialize(&del, 7);
  set_addelem(del, 3);
  dd_FreeMatrix(C);
  C = dd_MatrixSubmatrix(A, del);
  check(C != NULL && C->rowsize == 6 && set_member(6, C->linset) &&
            set_card(C->linset) == 1,
        "submatrix");
  set_free(del);

  ddd_init(v);
  ddd_set_d(v, 1e-8);
  check(dd_EqualToZero(v) && !dd_Positive(v), "tolerance");
  ddd_clear(v);

  f = tmpfile();
  check(f != NULL, "tmpfile");
  if (f != NULL) {
    dd_WriteAmatrix(f, M->matrix, M->rowsize, M->colsize);
    dd_WriteErrorMessages(f, dd_NoError);
    rewind(f);
    n = fread(buf, 1, sizeof buf - 1, f);
    buf[n] = '\0';
    fclose(f);
    check(strcmp(buf,
                 "begin\n 4 3 real\n  0  1  0\n  0  0  1\n  1 -1  0\n"
                 "  1  0 -1\nend\n*No Error found.\n") == 0,
          "printed matrix");
  }

  dd_FreeMatrix(A);
  dd_FreeMatrix(C);
  dd_FreeMatrix(M);
  dd_FreeMatrix(NULL);
  dd_FreeSetFamily(NULL);
  set_free(NULL);
  return failures == 0 ? 0 : 1;
}
