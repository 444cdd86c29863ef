/* zonix LP solver: LP records, the implicit dictionary, the criss-cross
 * method, the dual simplex method and the driver dd_LPSolve.
 *
 * An LP record holds the problem and the solver's working storage.  The
 * problem is always
 *     maximise (or minimise) row objrow of A times x
 *     subject to  A_i . x >= 0 for every constraint row i,  x_1 = 1,
 * so a constraint row (b, a_1, ..., a_k) states b + a_1 x_2 + ... >= 0.
 *
 * The dictionary is implicit: pivoting never changes A; only the d x d
 * matrix T (the record's B) and the index vectors nbindex / bflag change,
 * and each dictionary entry is recomputed as row of A times column of T.
 *   nbindex[j] (j = 1..d): -j while x_j is nonbasic in column j, 0 for the
 *     constant column, r > 0 when row variable y_r is nonbasic there.
 *   bflag[i]: -1 for a basic row, 0 for the objective row, s > 0 when row
 *     i is nonbasic in column s.
 *
 * Ownership: records from dd_CreateLPData / dd_Matrix2LP are freed with
 * dd_FreeLPData, those from dd_CopyLPSolution with dd_FreeLPSolution;
 * both free functions accept null.  A solve keeps its scratch storage to
 * itself; different records may be solved on different threads at once.
 */
#ifndef ZONIX_LP_H
#define ZONIX_LP_H

#include <stdio.h>

#include "zonixtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ==== LP records ======================================================= */

/* New zero-filled LP of m rows (objective row m included) and d columns:
 * objrow m, rhscol 1, solver dd_DualSimplex, status dd_LPSundecided,
 * A of (m+2) x (d+2), B of (d+2) x (d+2), sol/dsol of d+2, nbindex and
 * given_nbindex of d+1, equalityset empty over 1..m.  The caller fills A.
 * Returns null when m or d is negative. */
dd_LPPtr dd_CreateLPData(dd_LPObjectiveType obj, dd_NumberType nt,
                         dd_rowrange m, dd_colrange d);

/* The LP of M: M's rows at their own numbers, a negated copy of every
 * equation row (increasing row number) after them, M's rowvec as the last
 * (objective) row; equalityset holds the equations' row numbers.  *err is
 * dd_NoError.  A null M gives null and dd_EmptyRepresentation.  M is left
 * to the caller.  err may be null. */
dd_LPPtr dd_Matrix2LP(dd_MatrixPtr M, dd_ErrorType *err);

/* Frees lp and all it owns; null does nothing. */
void dd_FreeLPData(dd_LPPtr lp);

/* A detached snapshot of lp's results (sol, dsol, nbindex of d+1 entries,
 * status, value, counters; re and se read 0).  Free with
 * dd_FreeLPSolution.  Null for a null lp. */
dd_LPSolutionPtr dd_CopyLPSolution(dd_LPPtr lp);

/* Frees a snapshot; null does nothing. */
void dd_FreeLPSolution(dd_LPSolutionPtr lps);

/* Negates entries 1..d of row i (1 <= i <= m, the objective row allowed)
 * and marks the LP undecided; returns 1.  Returns 0 and changes nothing
 * for any other i or a null lp. */
int dd_LPReverseRow(dd_LPPtr lp, dd_rowrange i);

/* Copies a[0..d-1] into row i and marks the LP undecided; returns 1.
 * Returns 0 and changes nothing for i outside 1..m or a null lp or a. */
int dd_LPReplaceRow(dd_LPPtr lp, dd_rowrange i, dd_Arow a);

/* A new row of d numbers equal to row i (1 <= i <= m), freed by the caller
 * with dd_FreeArow(d, row); null for any other i or a null lp. */
dd_Arow dd_LPCopyRow(dd_LPPtr lp, dd_rowrange i);

/* Reads a number-type word: "integer", "rational", "real" (prefixes,
 * case-sensitive).  Otherwise *number := dd_Unknown and
 * *Error := dd_ImproperInputFormat; *Error is untouched on success. */
void dd_SetNumberType(char *line, dd_NumberType *number, dd_ErrorType *Error);

/* Prints the constraint rows as an H-representation and, when there is an
 * objective, "maximize"/"minimize" and the objective row. */
void dd_WriteLP(FILE *f, dd_LPPtr lp);

/* ==== implicit dictionary ============================================== */
/* Arguments are the pieces of an LP record: m_size rows in use (objective
 * row included), d_size columns, A, T, nbindex, bflag, objrow, rhscol.
 * dd_TableauEntry, dd_GaussianColumnPivot, dd_SelectPivot2 and
 * dd_SelectPreorderedNext2 are declared in zonixdd.h. */

/* Column pivot on dictionary entry (r, s) plus the index bookkeeping:
 * bflag[r] := s, nbindex[s] := r, and a row leaving column s becomes
 * basic (bflag -1).  The entry must be nonzero. */
void dd_GaussianColumnPivot2(dd_rowrange m_size, dd_colrange d_size,
                             dd_Amatrix A, dd_Bmatrix T, dd_colindex nbindex,
                             dd_rowindex bflag, dd_rowrange r, dd_colrange s);

/* The starting dictionary: T = identity, nbindex = (0 at rhscol, -j
 * elsewhere), bflag -1 for rows 1..m_size but 0 at objrow. */
void dd_ResetTableau(dd_rowrange m_size, dd_colrange d_size, dd_Bmatrix T,
                     dd_colindex nbindex, dd_rowindex bflag,
                     dd_rowrange objrow, dd_colrange rhscol);

/* Pivots every column variable it can into the basis, equation rows
 * first, then rows in the order OV.  *found is 1 on success; when a
 * variable bound by no constraint has a nonzero objective coefficient,
 * *found is 0, *lps is dd_StrucDualInconsistent and *cs its column.
 * *pivot_no counts the pivots made. */
void dd_FindLPBasis(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                    dd_Bmatrix T, dd_rowindex OV, dd_rowset equalityset,
                    dd_colindex nbindex, dd_rowindex bflag,
                    dd_rowrange objrow, dd_colrange rhscol, dd_colrange *cs,
                    int *found, dd_LPStatusType *lps, long *pivot_no);

/* Rebuilds T by pivoting on the rows that nbindex names (nbindex itself is
 * kept) and sets their bflag.  *found tells whether the named basis was
 * rebuilt; *cs is 0. */
void dd_FindLPBasis2(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                     dd_Bmatrix T, dd_rowindex OV, dd_rowset equalityset,
                     dd_colindex nbindex, dd_rowindex bflag,
                     dd_rowrange objrow, dd_colrange rhscol, dd_colrange *cs,
                     int *found, long *pivot_no);

/* OV[0] := 0 and OV[1..m_size] := a row order: dd_MaxIndex descending,
 * dd_MinIndex ascending, dd_LexMin / dd_LexMax lexicographic over the rows
 * of A, dd_RandomRow shuffled with rseed (0 counts as 1), else ascending. */
void dd_ComputeRowOrderVector2(dd_rowrange m_size, dd_colrange d_size,
                               dd_Amatrix A, dd_rowindex OV,
                               dd_RowOrderType ho, unsigned int rseed);

/* Shuffles OV[1..t] reproducibly from seed (library-local generator). */
void dd_RandomPermutation2(dd_rowindex OV, long t, unsigned int seed);

/* Writes sol, dsol and (when optimal) *optvalue from the final dictionary
 * for status LPS, with the evidence row re / column se.  Other statuses
 * leave them unchanged. */
void dd_SetSolutions(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                     dd_Bmatrix T, dd_rowrange objrow, dd_colrange rhscol,
                     dd_LPStatusType LPS, mytype *optvalue, dd_Arow sol,
                     dd_Arow dsol, dd_colindex nbindex, dd_rowrange re,
                     dd_colrange se);

/* Debug listings of the dictionary: numbers, or signs "+", "-", "0". */
void dd_WriteTableau(FILE *f, dd_rowrange m_size, dd_colrange d_size,
                     dd_Amatrix A, dd_Bmatrix T, dd_colindex nbindex,
                     dd_rowindex bflag);
void dd_WriteSignTableau(FILE *f, dd_rowrange m_size, dd_colrange d_size,
                         dd_Amatrix A, dd_Bmatrix T, dd_colindex nbindex,
                         dd_rowindex bflag);

/* ==== criss-cross method =============================================== */

/* Solves lp by its objective; dd_LPnone gives *err = dd_NoLPObjective and
 * changes nothing (a null lp: dd_EmptyRepresentation). */
void dd_CrissCrossSolve(dd_LPPtr lp, dd_ErrorType *err);

/* Maximises row objrow from the identity dictionary.  More than
 * 1000 * d_size pivots: *err = dd_LPCycling, a message on stderr, status
 * undecided.  pivots[0] counts basis pivots, pivots[1] criss-cross ones. */
void dd_CrissCrossMaximize(dd_rowrange m_size, dd_colrange d_size,
                           dd_Amatrix A, dd_Bmatrix T, dd_rowset equalityset,
                           dd_rowrange objrow, dd_colrange rhscol,
                           dd_LPStatusType *LPS, mytype *optvalue,
                           dd_Arow sol, dd_Arow dsol, dd_colindex nbindex,
                           dd_rowrange *re, dd_colrange *se, long *pivots,
                           dd_ErrorType *err);

/* Minimises through maximisation of the negated row; the row is restored,
 * *optvalue and dsol are negated afterwards whatever the outcome. */
void dd_CrissCrossMinimize(dd_rowrange m_size, dd_colrange d_size,
                           dd_Amatrix A, dd_Bmatrix T, dd_rowset equalityset,
                           dd_rowrange objrow, dd_colrange rhscol,
                           dd_LPStatusType *LPS, mytype *optvalue,
                           dd_Arow sol, dd_Arow dsol, dd_colindex nbindex,
                           dd_rowrange *re, dd_colrange *se, long *pivots,
                           dd_ErrorType *err);

/* One step of the least-index rule: the lowest-numbered primal or dual
 * infeasible row decides.  *selected with (*r, *s), or a final status in
 * *lps (dd_Optimal, dd_Inconsistent with *r, dd_DualInconsistent with
 * *s). */
void dd_SelectCrissCrossPivot(dd_rowrange m_size, dd_colrange d_size,
                              dd_Amatrix A, dd_Bmatrix T, dd_rowindex bflag,
                              dd_rowrange objrow, dd_colrange rhscol,
                              dd_rowrange *r, dd_colrange *s, int *selected,
                              dd_LPStatusType *lps);

/* ==== dual simplex method ============================================== */

/* Solves lp by its objective; dd_LPnone gives *err = dd_NoLPObjective and
 * changes nothing (a null lp: dd_EmptyRepresentation). */
void dd_DualSimplexSolve(dd_LPPtr lp, dd_ErrorType *err);

/* First basis, phase I with one auxiliary row (row m_size + 1 of A is
 * overwritten), phase II.  A failed phase I restarts by criss-cross; phase
 * II falls back on criss-cross pivots when no dual simplex pivot applies.
 * pivots: [0] basis, [1] phase I, [2] phase II, [3] criss-cross. */
void dd_DualSimplexMaximize(dd_rowrange m_size, dd_colrange d_size,
                            dd_Amatrix A, dd_Bmatrix T, dd_rowset equalityset,
                            dd_rowrange objrow, dd_colrange rhscol,
                            dd_LPStatusType *LPS, mytype *optvalue,
                            dd_Arow sol, dd_Arow dsol, dd_colindex nbindex,
                            dd_rowrange *re, dd_colrange *se, long *pivots,
                            dd_ErrorType *err);

/* Minimises as dd_CrissCrossMinimize does. */
void dd_DualSimplexMinimize(dd_rowrange m_size, dd_colrange d_size,
                            dd_Amatrix A, dd_Bmatrix T, dd_rowset equalityset,
                            dd_rowrange objrow, dd_colrange rhscol,
                            dd_LPStatusType *LPS, mytype *optvalue,
                            dd_Arow sol, dd_Arow dsol, dd_colindex nbindex,
                            dd_rowrange *re, dd_colrange *se, long *pivots,
                            dd_ErrorType *err);

/* Phase I: makes the dictionary dual feasible with the auxiliary row
 * m_size + 1 (A must have that row, bflag m_size + 2 entries).  Ends with
 * *err dd_NoError and status undecided (dual feasible), dd_DualInconsistent
 * with *s, or *err dd_LPCycling / dd_NumericallyInconsistent. */
void dd_FindDualFeasibleBasis(dd_rowrange m_size, dd_colrange d_size,
                              dd_Amatrix A, dd_Bmatrix T, dd_rowindex OV,
                              dd_colindex nbindex, dd_rowindex bflag,
                              dd_rowrange objrow, dd_colrange rhscol,
                              dd_colrange *s, dd_ErrorType *err,
                              dd_LPStatusType *lps, long *pivot_no,
                              long maxpivots);

/* One dual simplex pivot choice on a dual feasible dictionary (nothing is
 * selected and the status stays undecided otherwise).  With Phase1 the
 * leaving row is judged on the auxiliary variable's column. */
void dd_SelectDualSimplexPivot(dd_rowrange m_size, dd_colrange d_size,
                               int Phase1, dd_Amatrix A, dd_Bmatrix T,
                               dd_rowindex OV, dd_colindex nbindex,
                               dd_rowindex bflag, dd_rowrange objrow,
                               dd_colrange rhscol, dd_rowrange *r,
                               dd_colrange *s, int *selected,
                               dd_LPStatusType *lps);

/* ==== driver =========================================================== */

/* Solves lp with solver, records the method and the times, totals the
 * pivot counters.  Rows and columns whose largest entry lies more than a
 * factor 16 from 1 are multiplied by powers of two for the solve and put
 * back exactly, so the tolerance means nearly the same for every row
 * whatever its scale; the answer is then checked against lp's own rows (an
 * optimum by primal and dual feasibility and complementary slackness,
 * infeasibility by its Farkas combination, unboundedness by its improving
 * direction, each with a tolerance relative to the terms involved).  When
 * the method fails or its answer does not hold, the other method is tried.
 * Returns 1 exactly when *err is dd_NoError; an infeasible or unbounded LP
 * is no error (lp->LPS tells).  Errors: dd_NoLPObjective (nothing solved),
 * dd_NumericallyInconsistent (no answer held), dd_LPCycling (both methods
 * passed their pivot limits), dd_Interrupted (the cancel hook asked),
 * dd_OutOfMemory; with an error lp->LPS is dd_LPSundecided and sol, dsol
 * and optvalue keep what they held.  A null lp returns 0 with
 * dd_EmptyRepresentation.  An unknown solver solves nothing and returns 1. */
dd_boolean dd_LPSolve(dd_LPPtr lp, dd_LPSolverType solver, dd_ErrorType *err);
dd_boolean dd_LPSolve0(dd_LPPtr lp, dd_LPSolverType solver,
                       dd_ErrorType *err);

/* ==== LP-based queries ================================================= */
/* Rows of an H matrix read b + a.x >= 0; rows of a V matrix (representation
 * dd_Generator) are points (1, v) and rays (0, r).  None of these functions
 * changes its matrix argument; every returned record belongs to the caller
 * (LPs: dd_FreeLPData, row sets: set_free, families: dd_FreeSetFamily).
 * Row numbers are 1-based and must lie in 1..rowsize.  LP failures come
 * back through *error; the row loops stop at the first one and return what
 * they found so far. */

/* A new LP whose optimum (x, t) gives every constraint row of lp a slack of
 * at least t, t capped by bceil = 2 * max(1, largest constant term):
 * m+1 rows, d+1 columns, maximise t.  After solving, sol[1..d-1] is x,
 * sol[d] is t and optvalue is t*; t* > 0 certifies an interior point.
 * lp is only read.  Null for a null lp. */
dd_LPPtr dd_MakeLPforInteriorFinding(dd_LPPtr lp);

/* The LP deciding H redundancy of row itest: minimise row itest over all
 * rows, row itest relaxed by 1, equations doubled as opposite rows.  The
 * minimum is >= 0 exactly when the row is implied by the others. */
dd_LPPtr dd_CreateLP_H_Redundancy(dd_MatrixPtr M, dd_rowrange itest);

/* The LP deciding V redundancy of row itest (c+1 columns, column 1 a new
 * constant column): minimise g_itest.z with g_i.z >= 0 for the other rows,
 * g_itest.z >= -1.  A negative minimum separates g_itest from the others. */
dd_LPPtr dd_CreateLP_V_Redundancy(dd_MatrixPtr M, dd_rowrange itest);

/* The second LP of the strong V redundancy test: maximise s.z (s the sum
 * of all rows) with g_itest.z = 0, g_i.z >= 0, s.z <= 1. */
dd_LPPtr dd_CreateLP_V_SRedundancy(dd_MatrixPtr M, dd_rowrange itest);

/* TRUE when row itest is redundant (never for a linset row, for which
 * nothing is computed and certificate is untouched).  The tests here work
 * on rows brought to a common size by powers of two, so multiplying a row
 * by a positive number changes no answer; an LP whose answer cannot be
 * checked ends the test with FALSE and its error.  certificate holds
 * colsize numbers for H, colsize+1 for V: the LP solution; when FALSE it is
 * the evidence (a point violating only row itest, or a separating z). */
dd_boolean dd_Redundant(dd_MatrixPtr M, dd_rowrange itest,
                        dd_Arow certificate, dd_ErrorType *error);

/* The redundant rows of M, tested from the last to the first, each removed
 * from a working copy as soon as found, so of identical rows the lowest
 * numbered is kept.  Empty set for 0 rows. */
dd_rowset dd_RedundantRows(dd_MatrixPtr M, dd_ErrorType *error);

/* How dd_RedundantRowsWith decides the rows.  EachRow: dd_RedundantRows,
 * one LP over all remaining rows per row.  Clarkson: LPs over the rows
 * known essential only, one more found by ray shooting from an interior
 * point whenever a row is not implied by them; its cost follows the rows
 * kept.  Auto: by the matrix's shape, where measured faster. */
typedef enum {
  dd_RedundancyAuto = 0,
  dd_RedundancyEachRow = 1,
  dd_RedundancyClarkson = 2
} dd_RedundancyMethod;

/* The redundant rows of M, the same set as dd_RedundantRows gives (of rows
 * that define the same facet or generator the lowest numbered is kept),
 * found by method.  Clarkson hands an input it cannot decide (no
 * relative interior point: an empty polyhedron, implicit equations, lines
 * among generators) to dd_RedundantRows.  The row progress hook
 * hears of the rows done and kept; the cancel hook is polled (then
 * dd_Interrupted and the rows found so far).  Errors as dd_RedundantRows;
 * dd_OutOfMemory with null. */
dd_rowset dd_RedundantRowsWith(dd_MatrixPtr M, dd_RedundancyMethod method, dd_ErrorType *error);

/* The method dd_RedundantRowsWith uses for M when asked for `asked`: asked
 * itself unless it is dd_RedundancyAuto. */
dd_RedundancyMethod dd_ChooseRedundancyMethod(dd_MatrixPtr M, dd_RedundancyMethod asked);

/* Strong redundancy: an inequality whose hyperplane misses the polyhedron,
 * or a generator in the relative interior of the others. */
dd_boolean dd_SRedundant(dd_MatrixPtr M, dd_rowrange itest,
                         dd_Arow certificate, dd_ErrorType *error);
dd_rowset dd_SRedundantRows(dd_MatrixPtr M, dd_ErrorType *error);

/* Implicit linearity: an inequality tight on the whole polyhedron, or a
 * generator whose negative is generated too.  The Rows variant tests every
 * row against all others (no row is removed). */
dd_boolean dd_ImplicitLinearity(dd_MatrixPtr M, dd_rowrange itest,
                                dd_Arow certificate, dd_ErrorType *error);
dd_rowset dd_ImplicitLinearityRows(dd_MatrixPtr M, dd_ErrorType *error);

/* The row of M that the ray p + lambda r (lambda >= 0) meets first, ties
 * broken by the lexicographically smallest row scaled by 1/(row.p); -1 when
 * no row is strictly satisfied at p.  p[0] must be 1 and r[0] 0: other
 * values are corrected in place with a warning on stderr.  p and r hold
 * colsize numbers. */
dd_rowrange dd_RayShooting(dd_MatrixPtr M, dd_Arow p, dd_Arow r);

/* dd_RedundantRows for an H matrix, by shooting rays from an interior
 * point to find essential rows cheaply.  Without an interior point (for
 * instance with equations) it is dd_RedundantRows itself. */
dd_rowset dd_RedundantRowsViaShooting(dd_MatrixPtr M, dd_ErrorType *error);

/* Set i of the result: the rows still essential on the face where row i
 * holds with equality (i, linset rows and rows redundant on that face
 * excluded); linset rows get empty sets.  m sets over 1..m.  Null with
 * dd_EmptyRepresentation when M has no rows or no columns.  The Weak
 * variant uses strong redundancy. */
dd_SetFamilyPtr dd_Matrix2Adjacency(dd_MatrixPtr M, dd_ErrorType *error);
dd_SetFamilyPtr dd_Matrix2WeakAdjacency(dd_MatrixPtr M, dd_ErrorType *error);

/* ==== end of queries section =========================================== */

#ifdef __cplusplus
}
#endif

#endif /* ZONIX_LP_H */
