/* zonix projection: eliminating variables from an H-representation.
 *
 * Both functions take an H-representation M whose rows (b, -A) read
 * b - A x >= 0 (= 0 for rows in linset) and return a new H-representation
 * of the projection, which the caller frees with dd_FreeMatrix, or null on
 * error.  Neither removes redundant rows.
 */
#ifndef ZONIX_PROJ_H
#define ZONIX_PROJ_H

#include "zonixtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Fourier-Motzkin elimination of the variable of the last column d: the
 * rows with a zero last entry, then one combination for every pair of a
 * row with a positive and a row with a negative last entry (positive row
 * major), each normalised.  Null with *error dd_ColIndexOutOfRange when
 * d <= 1, dd_NotAvailForV for a V-representation, dd_CannotHandleLinearity
 * when linset is not empty (tested in that order). */
dd_MatrixPtr dd_FourierElimination(dd_MatrixPtr M, dd_ErrorType *error);

/* Eliminates the variables of the columns in delset (2..d) at once: the
 * rows are y^T M over the kept columns for the extreme rays y of the cone
 * of multipliers {y : y^T M vanishes on the deleted columns, y_j >= 0 for
 * inequality rows}, lines of that cone giving equations.  *error is the
 * error of that cone's conversion; null when it gives no generators.
 * Refuses a V-representation (dd_NotAvailForV) and a delset with column
 * 1 or a column beyond d (dd_ColIndexOutOfRange). */
dd_MatrixPtr dd_BlockElimination(dd_MatrixPtr M, dd_colset delset,
                                 dd_ErrorType *error);

#ifdef __cplusplus
}

#include <vector>

namespace zonix::proj {

/* How project_h eliminates.  Vertices: the generators of M by a
 * conversion, their kept coordinates, and the facets of those by a second
 * conversion (no redundant row comes out of it).  Block, Fourier: as
 * below.  Auto: the vertices for systems small enough that their
 * generators are cheap, else Fourier-Motzkin for one or two columns and
 * block elimination for more. */
enum class Method { Auto, Vertices, Block, Fourier };

/* The method Auto picks for eliminating del from M (any other method is
 * returned as it is). */
Method choose(dd_MatrixPtr M, const std::vector<dd_colrange> &del, Method asked);

/* Eliminates the columns del (2..d) of the H-representation M into a new
 * matrix over the other columns, in order.  With substitute, each
 * eliminated variable found in an equation is first solved from it and
 * substituted into the other rows (the equation dropped).  Then block
 * elimination, or Fourier-Motzkin one column at a time (equations, free of
 * eliminated variables by then, set aside and appended); with reduce,
 * redundant rows are dropped after every step and at the end.  Null with
 * *err on failure. */
dd_MatrixPtr project_h(dd_MatrixPtr M, const std::vector<dd_colrange> &del, bool fourier,
                       bool substitute, bool reduce, dd_ErrorType *err);
dd_MatrixPtr project_h(dd_MatrixPtr M, const std::vector<dd_colrange> &del, Method method,
                       bool substitute, bool reduce, dd_ErrorType *err);

}  // namespace zonix::proj
#endif

#endif /* ZONIX_PROJ_H */
