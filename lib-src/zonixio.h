/* zonix matrix records and text output.
 *
 * The matrix record (dd_MatrixPtr) is how every representation and every LP
 * enters and leaves the library.  Functions returning a new record hand it
 * to the caller, who frees it with dd_FreeMatrix.  Inconsistent sizes give a
 * null or false result and print nothing.
 */
#ifndef ZONIX_IO_H
#define ZONIX_IO_H

#include <stdio.h>

#include "zonixtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ==== matrix records =================================================== */

/* New record with rowsize max(m_size, 0) and colsize max(d_size, 0);
 * max(m_size, 1) rows of max(d_size, 1) zeros are allocated, and rowvec of
 * max(d_size, 1) zeros; linset is empty with ground size max(m_size, 1);
 * representation dd_Unspecified, numbtype dd_Unknown, objective dd_LPnone. */
dd_MatrixPtr dd_CreateMatrix(dd_rowrange m_size, dd_colrange d_size);

/* Frees the record and everything it owns; NULL does nothing. */
void dd_FreeMatrix(dd_MatrixPtr M);

/* A new record equal to M (rows, rowvec, linset, numbtype, representation,
 * objective); NULL if M is null or a size is negative.  Two names. */
dd_MatrixPtr dd_MatrixCopy(dd_MatrixPtr M);
dd_MatrixPtr dd_CopyMatrix(dd_MatrixPtr M);

/* A new record with the rows of M1 followed by those of M2 (row i of M2
 * becomes row m1 + i, linearities likewise); rowvec and numbtype from M1,
 * representation dd_Unspecified, objective dd_LPnone.  NULL if the column
 * counts differ or a size is negative.  Two names. */
dd_MatrixPtr dd_MatrixAppend(dd_MatrixPtr M1, dd_MatrixPtr M2);
dd_MatrixPtr dd_AppendMatrix(dd_MatrixPtr M1, dd_MatrixPtr M2);

/* *M1 := dd_MatrixAppend(*M1, M2), freeing the old *M1; returns 1.  On a
 * size failure returns 0 and *M1 is untouched. */
dd_boolean dd_MatrixAppendTo(dd_MatrixPtr *M1, dd_MatrixPtr M2);

/* Removes row r (1 <= r <= rowsize) in place, moving the later rows up and
 * renumbering their linearity marks; returns 1.  Otherwise returns 0 and
 * changes nothing. */
dd_boolean dd_MatrixRowRemove(dd_MatrixPtr *M, dd_rowrange r);

/* A new record with the rows of M not in delset, in order and renumbered
 * from 1, keeping their linearity marks; rowvec, numbtype, representation
 * and objective are copied.  NULL if M is null or a size is negative. */
dd_MatrixPtr dd_MatrixSubmatrix(dd_MatrixPtr M, dd_rowset delset);

/* Replaces every entry by dd_SnapToInteger of it (no change for doubles). */
void dd_MatrixIntegerFilter(dd_MatrixPtr M);

/* ==== error messages and numbers ======================================= */

/* Writes the fixed message lines of Error to f; values above dd_NoError
 * write nothing. */
void dd_WriteErrorMessages(FILE *f, dd_ErrorType Error);

/* Writes one number preceded by a blank: a number whose rounding to four
 * decimals is whole as " %2ld", any other as " % .9E".  Magnitudes of
 * 2^31/10000 and above, infinities and NaN always take the exponent form. */
void dd_WriteNumber(FILE *f, const mytype x);
void dd_WriteReal(FILE *f, const mytype x);

/* a[0..d-1] with dd_WriteNumber, then "\n". */
void dd_WriteArow(FILE *f, dd_Arow a, dd_colrange d);

/* "begin\n", " rowmax colmax real\n", the rows, "end\n"; a null A writes a
 * one-line notice instead. */
void dd_WriteAmatrix(FILE *f, dd_Amatrix A, long rowmax, long colmax);

/* The d_size rows of B and one empty line; a null B writes a one-line
 * notice instead. */
void dd_WriteBmatrix(FILE *f, dd_colrange d_size, dd_Bmatrix B);

/* y := x (no rounding in the double build). */
void dd_SnapToInteger(mytype y, const mytype x);

#ifdef __cplusplus
}
#endif

#endif /* ZONIX_IO_H */
