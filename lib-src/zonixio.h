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

#include "zonixprint.h"
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

/* Writes the fixed message lines of Error to f; dd_Interrupted,
 * dd_OutOfMemory and dd_InternalError have one line each; values above
 * write nothing. */
void dd_WriteErrorMessages(FILE *f, dd_ErrorType Error);

/* Writes one number preceded by a blank: a whole number below 2^53 in
 * magnitude as " %2ld", any other finite one in the shortest form that reads
 * back as the same double (a blank or "-", then std::to_chars' text, as
 * 0.1, 1e-300 or 1.7976931348623157e+308); infinities and NaN as " % .9E". */
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

/* ==== text file formats ================================================ */
/* (section owned by the file-format module)
 *
 * A representation file is a preamble (free words; "H-representation",
 * "V-representation" and a "linearity k i1 ... ik" line are recognised),
 * "begin", the size line "m d type" (type integer, rational or real), m
 * rows of d numbers, "end", then command lines ("maximize" / "minimize"
 * followed by d numbers, "linearity ...", "hull", "debug").  Every read is
 * bounded: long words and lines, binary data and NUL bytes are safe. */

/* Reads one representation file.  *Error is dd_NoError, or
 * dd_ImproperInputFormat for a malformed file: no "begin", a size that is
 * negative, not a number, without columns or too large to allocate, an
 * unknown number type, a number that does not parse (or is no whole
 * number in an integer file), a body cut short (all these return null);
 * a missing "end", a bad linearity line or an unknown trailer command
 * return the matrix read (the caller frees it).  "begin" and "end" are
 * whole words; lines of the trailer beginning with "*" are comments.
 * Quiet unless dd_debug is set. */
dd_MatrixPtr dd_PolyFile2Matrix(FILE *f, dd_ErrorType *Error);

/* The same, and for a malformed file why receives "line N: REASON" (cut
 * to whysize characters with its NUL); "" when the file was read. */
dd_MatrixPtr dd_PolyFile2Matrix2(FILE *f, dd_ErrorType *Error, char *why,
                                 size_t whysize);

/* Applies one trailer command whose first word is line, reading the rest
 * of its arguments from f (see above).  Unknown words do nothing. */
void dd_ProcessCommandLine(FILE *f, dd_MatrixPtr M, char *line);

/* line holds "k i1 ... ik", separated by blanks or commas; adds the rows
 * i1..ik to M->linset.  Too few or too many indices, a negative or
 * unreadable count, a repeated index or one outside 1..rowsize (ignored)
 * writes the inconsistency warning to stderr.  line is not modified. */
void dd_SetLinearity(dd_MatrixPtr M, char *line);

/* dd_Integer, dd_Rational or dd_Real for a word beginning with "integer",
 * "rational" or "real"; dd_Unknown otherwise. */
dd_NumberType dd_GetNumberType(char *line);

/* value := the number word s, "[sign]p[/q]" (p and q decimal numbers).
 * Writes a NUL over the "/".  A word that does not parse, or a zero or
 * non-finite result of a division, gives 0. */
void dd_sread_rational_value(char *s, mytype value);

/* Reads one bounded word from f and converts it as above. */
void dd_fread_rational_value(FILE *f, mytype value);

/* The matrix in the file notation: representation line, linearity line,
 * the body, and the objective ("maximize" / "minimize" and rowvec).  Read
 * back by dd_PolyFile2Matrix to an equal matrix up to the printed
 * precision.  A null M writes a notice. */
void dd_WriteMatrix(FILE *f, dd_MatrixPtr M);

/* Writes what dd_WriteMatrix writes of dd_CopyOutput(poly), a row at a
 * time instead of from a copy of the whole output. */
void dd_WriteOutputMatrix(FILE *f, dd_PolyhedraPtr poly);

/* "begin", "famsize setsize", one line "i card : members" per set, "end".
 * The compressed form writes a set whose complement is smaller as -card
 * and the complement.  A null family writes a notice. */
void dd_WriteSetFamily(FILE *f, dd_SetFamilyPtr F);
void dd_WriteSetFamilyCompressed(FILE *f, dd_SetFamilyPtr F);

/* A header line naming the file kind, then the compressed family from
 * dd_CopyIncidence, dd_CopyAdjacency, dd_CopyInputIncidence or
 * dd_CopyInputAdjacency. */
void dd_WriteIncidence(FILE *f, dd_PolyhedraPtr poly);
void dd_WriteAdjacency(FILE *f, dd_PolyhedraPtr poly);
void dd_WriteInputIncidence(FILE *f, dd_PolyhedraPtr poly);
void dd_WriteInputAdjacency(FILE *f, dd_PolyhedraPtr poly);

/* One ray of the cone in the d_origsize input columns (see dd_CopyRay),
 * as a row of numbers. */
void dd_WriteRay(FILE *f, dd_colrange d_origsize, dd_RayPtr RR,
                 dd_RepresentationType rep, dd_colindex reducedcol);

/* ==== file driver and run reports ====================================== */
/* (section owned by the file-format module) */

/* Asks on the terminal (prompt on stderr, name from stdin) for an input
 * file until one opens, at most six times; then *Error is
 * dd_IFileNotFound and *f is untouched.  End of input gives up at once. */
void dd_SetInputFile(FILE **f, dd_DataFileType inputfile, dd_ErrorType *Error);

/* outfile := inputfile with its extension replaced by the one cflag
 * names for rep: 'o' output (.ext / .ine), 'a' adjacency, 'i' incidence,
 * 'j' input adjacency, 'n' input incidence, 'l' .ddl, 'd' .dex,
 * 'p' sub.ine, 's' .lps, 'v' .solved, others .xxx.  An empty inputfile
 * gives "tempzonix" + extension; a result equal to inputfile becomes
 * inputfile + extension.  Cut to fit the buffer. */
void dd_SetWriteFileName(dd_DataFileType inputfile, dd_DataFileType outfile,
                         char cflag, dd_RepresentationType rep);

/* Reads ifile ("**stdin": standard input), converts it and writes the
 * other representation to ofile ("**stdout": standard output).  False
 * when a file does not open; *err tells every failure, whose message goes
 * to stderr.  Standard streams are flushed, not closed. */
dd_boolean dd_DDFile2File(char *ifile, char *ofile, dd_ErrorType *err);

/* dd_DDMatrix2Poly2 (zonixdd.h) with seed for the random row order
 * dd_RandomRow, which those drivers always seed with 1; other orders
 * ignore it.  *err as from dd_DDMatrix2Poly2, the run's own error
 * included. */
dd_PolyhedraPtr dd_DDMatrix2PolySeeded(dd_MatrixPtr M, dd_RowOrderType horder,
                                       unsigned int seed, dd_ErrorType *err);

/* How one conversion runs: its row order, the seed of the random order,
 * and the threads it may use (0: one per core; 1: the calling thread
 * only, as every other entry point runs).  The result does not depend on
 * the thread count. */
typedef struct dd_RunOptions {
  dd_RowOrderType order;
  unsigned int seed;
  int threads;
} dd_RunOptions;

/* dd_DDMatrix2Poly2 with the options of *opt (null: lexmin, seed 1, one
 * thread). */
dd_PolyhedraPtr dd_DDMatrix2PolyWith(dd_MatrixPtr M, const dd_RunOptions *opt,
                                     dd_ErrorType *err);

/* The thread count a run is given for `threads` (0: the cores). */
int dd_ThreadCount(int threads);

/* Report lines, each beginning with "*". */
void dd_WriteProgramDescription(FILE *f);
void dd_WriteRunningMode(FILE *f, dd_PolyhedraPtr poly);
void dd_WriteCompletionStatus(FILE *f, dd_ConePtr cone);
void dd_WriteTimes(FILE *f, time_t starttime, time_t endtime);
void dd_WriteDDTimes(FILE *f, dd_PolyhedraPtr poly);
void dd_WriteLPTimes(FILE *f, dd_LPPtr lp);

/* The input rows of poly as a body (begin, size line, rows, end). */
void dd_WritePolyFile(FILE *f, dd_PolyhedraPtr poly);

/* The LP report: the error message of err, or the problem, the method,
 * the objective, the solution or the certificate of the status, the pivot
 * counts and the times. */
void dd_WriteLPResult(FILE *f, dd_LPPtr lp, dd_ErrorType err);

/* ==== end of file-format section ======================================= */

#ifdef __cplusplus
}
#endif

#endif /* ZONIX_IO_H */
