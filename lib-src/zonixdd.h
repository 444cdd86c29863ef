/* zonix: the double description engine.  Polyhedron and cone records,
 * rays, the iteration that adds one halfspace at a time, the row orders,
 * the initial basis, the run driver and the extraction of its outputs. */
#ifndef ZONIX_DD_H
#define ZONIX_DD_H

#include <stdio.h>

#include "zonixtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ==== records, rays, adding a halfspace, row orders ==================== */
/* (section owned by the engine-core module) */

/* ---- polyhedron and cone records ---- */

/* New polyhedron for m input rows of d columns: A holds m+2 zero rows,
 * representation dd_Inequality, n = -1, no cone.  Free with
 * dd_FreePolyhedra. */
dd_PolyhedraPtr dd_CreatePolyhedraData(dd_rowrange m, dd_colrange d);

/* New zero-filled cone of m rows and d columns stored through *cone, with
 * every array sized for m+2 rows; returns true.  Released by
 * dd_FreeDDMemory0. */
dd_boolean dd_InitializeConeData(dd_rowrange m, dd_colrange d,
                                 dd_ConePtr *cone);

/* Builds poly's cone from its rows, adding the row (1,0,...,0) for a
 * non-homogeneous H-representation; the polyhedron owns the cone. */
dd_ConePtr dd_ConeDataLoad(dd_PolyhedraPtr poly);

/* New matrix holding poly's input rows with the equations in linset;
 * the caller frees it with dd_FreeMatrix. */
dd_MatrixPtr dd_CopyInput(dd_PolyhedraPtr poly);

/* Releases a cone with its rays and pending edges.  Null is a no-op. */
void dd_FreeDDMemory0(dd_ConePtr cone);

/* Releases poly's cone and sets child to null.  Null is a no-op. */
void dd_FreeDDMemory(dd_PolyhedraPtr poly);

/* Releases poly with its cone and incidence data.  Null is a no-op. */
void dd_FreePolyhedra(dd_PolyhedraPtr poly);

/* ---- rays: evaluation, creation and storage ---- */

/* Fills GroundSet, EqualitySet and NonequalitySet from the parent's
 * EqualityIndex (rows 1..m of the polyhedron). */
void dd_SetInequalitySets(dd_ConePtr cone);

/* Appends a ray with the d coordinates p and stores its zero set, first
 * infeasible position and feasibility; updates the ray counters. */
void dd_AddRay(dd_ConePtr cone, mytype *p);

/* Fills the facts of LastRay from p: ordinary enumeration. */
void dd_StoreRay1(dd_ConePtr cone, mytype *p, dd_boolean *feasible);

/* Fills the facts of LastRay from p: relaxed enumeration, where rows with
 * EqualityIndex -1 are strict inequalities. */
void dd_StoreRay2(dd_ConePtr cone, mytype *p, dd_boolean *feasible,
                  dd_boolean *weaklyfeasible);

/* Appends the normalised combination of Ptr1 and Ptr2 lying on row ii. */
void dd_CreateNewRay(dd_ConePtr cone, dd_RayPtr Ptr1, dd_RayPtr Ptr2,
                     dd_rowrange ii);

/* Removes and releases the ray following *Ptr (the predecessor). */
void dd_Eliminate(dd_ConePtr cone, dd_RayPtr *Ptr);

/* Sets every ARay to the value on row i; negative rays move to the front,
 * the last found first. */
void dd_EvaluateARay1(dd_rowrange i, dd_ConePtr cone);

/* Sets every ARay to the value on row i and relinks the list as
 * negatives, positives, zeros, setting the six sub-list pointers. */
void dd_EvaluateARay2(dd_rowrange i, dd_ConePtr cone);

/* Removes the leading negative rays; the list becomes the positives, then
 * the zero rays sorted by FirstInfeasIndex. */
void dd_DeleteNegativeRays(dd_ConePtr cone);

/* equal := whether the first d_size coordinates agree within tolerance. */
void dd_CheckEquality(dd_colrange d_size, dd_RayPtr *RP1, dd_RayPtr *RP2,
                      dd_boolean *equal);

/* Counts the rays of the list that satisfy (fnum) and violate (infnum)
 * row i. */
void dd_FeasibilityIndices(long *fnum, long *infnum, dd_rowrange i,
                           dd_ConePtr cone);

/* Lexicographic comparison with tolerance over the first dmax entries. */
dd_boolean dd_LexSmaller(mytype *v1, mytype *v2, long dmax);
dd_boolean dd_LexLarger(mytype *v1, mytype *v2, long dmax);

/* Writes ray RR in the d_origsize input columns (reducedcol maps input
 * columns to stored ones, 0 = removed); a generator with a nonzero first
 * entry is scaled to first entry 1. */
void dd_CopyRay(mytype *a, dd_colrange d_origsize, dd_RayPtr RR,
                dd_RepresentationType rep, dd_colindex reducedcol);

/* ---- adding a halfspace: adjacency and edges ---- */

/* Combinatorial adjacency of two rays of the list. */
void dd_CheckAdjacency(dd_ConePtr cone, dd_RayPtr *RP1, dd_RayPtr *RP2,
                       dd_boolean *adjacent);

/* Files the pair under the iteration that separates it, when it has no
 * later chance and is adjacent; third rays are sought from ValidFirstRay. */
void dd_ConditionalAddEdge(dd_ConePtr cone, dd_RayPtr Ray1, dd_RayPtr Ray2,
                           dd_RayPtr ValidFirstRay);

/* Files the edges among the initial rays. */
void dd_CreateInitialEdges(dd_ConePtr cone);

/* Files the edges among the rays RRbegin..RRend (sorted by
 * FirstInfeasIndex). */
void dd_UpdateEdges(dd_ConePtr cone, dd_RayPtr RRbegin, dd_RayPtr RRend);

/* Adds the halfspace of row hnew: the standard iteration. */
void dd_AddNewHalfspace1(dd_ConePtr cone, dd_rowrange hnew);

/* Adds the halfspace of row hnew: the edge-list iteration. */
void dd_AddNewHalfspace2(dd_ConePtr cone, dd_rowrange hnew);

/* ---- row orders ---- */

/* Fills OrderVector[1..m] for the cone's HalfspaceOrder. */
void dd_ComputeRowOrderVector(dd_ConePtr cone);

/* Moves the rows of PriorityRows to the front of OrderVector, keeping the
 * relative order of both groups. */
void dd_UpdateRowOrderVector(dd_ConePtr cone, dd_rowset PriorityRows);

/* Shuffles OV[1..t] reproducibly from seed (library-local generator). */
void dd_RandomPermutation(dd_rowindex OV, long t, unsigned int seed);

/* Sorts OV[p..r] so that the rows A[OV[k]] increase lexicographically
 * over their first dmax entries. */
void dd_QuickSort(dd_rowindex OV, long p, long r, dd_Amatrix A, long dmax);
long dd_Partition(dd_rowindex OV, long p, long r, dd_Amatrix A, long dmax);

/* *hh := first row of OrderVector[1..m] not in excluded, 0 if none. */
void dd_SelectPreorderedNext(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh);

/* The next row to add, by the preordered regime or the dynamic rule. */
void dd_SelectNextHalfspace(dd_ConePtr cone, dd_rowset excluded,
                            dd_rowrange *hh);
void dd_SelectNextHalfspace0(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh);
void dd_SelectNextHalfspace1(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh);
void dd_SelectNextHalfspace2(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh);
void dd_SelectNextHalfspace3(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh);
void dd_SelectNextHalfspace4(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh);
void dd_SelectNextHalfspace5(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh);
void dd_SelectNextHalfspace6(dd_ConePtr cone, dd_rowset excluded,
                             dd_rowrange *hh);

/* ==== end of engine-core section ======================================= */

/* ==== initial basis, shared pivots, driver and outputs ================= */
/* (section owned by the driver module) */

/* ---- dictionary entries and pivots shared with the LP solver ---- */

/* *x := row r of X times column s of T (1-based, j = 1..d_size, summed
 * from exact zero in increasing j). */
void dd_TableauEntry(mytype *x, dd_rowrange m_size, dd_colrange d_size,
                     dd_Amatrix X, dd_Bmatrix T, dd_rowrange r,
                     dd_colrange s);

/* Pivots T on the entry (r, s) of X*T, which must be nonzero: afterwards
 * row r of X*T is the unit vector e_s.  X is not changed. */
void dd_GaussianColumnPivot(dd_rowrange m_size, dd_colrange d_size,
                            dd_Amatrix X, dd_Bmatrix T, dd_rowrange r,
                            dd_colrange s);

/* Chooses a pivot (r, s) with a nonzero entry of A*T: rows of equalityset
 * first (lowest number), then rows in the order of ordervec; rows in
 * NopivotRow or above rowmax and columns in NopivotCol are never chosen.
 * *selected is false (and *r = *s = 0) when no pivot exists.  roworder is
 * not consulted. */
void dd_SelectPivot2(dd_rowrange m_size, dd_colrange d_size, dd_Amatrix A,
                     dd_Bmatrix T, dd_RowOrderType roworder,
                     dd_rowindex ordervec, dd_rowset equalityset,
                     dd_rowrange rowmax, dd_rowset NopivotRow,
                     dd_colset NopivotCol, dd_rowrange *r, dd_colrange *s,
                     dd_boolean *selected);

/* *hnext := the first OV[k], k = 1..m_size, not in excluded; 0 if none. */
void dd_SelectPreorderedNext2(dd_rowrange m_size, dd_colrange d_size,
                              dd_rowset excluded, dd_rowindex OV,
                              dd_rowrange *hnext);

/* ---- initial basis and initial rays ---- */

/* Chooses a maximal set of independent cone rows (equations first, strict
 * inequalities never) by pivoting on the cone's B; *rank := its size. */
void dd_FindBasis(dd_ConePtr cone, long *rank);

/* Drops the columns that received no basis row (the lineality space),
 * keeping B in Bsave and recording the new column numbers in newcol. */
void dd_ColumnReduce(dd_ConePtr cone);

/* Basis, lineality dimension and column reduction; *found := true. */
void dd_FindInitialRays(dd_ConePtr cone, dd_boolean *found);

/* Creates the sentinel ray in front of the ray list; a second call prints
 * a warning to stderr and changes nothing. */
void dd_AddArtificialRay(dd_ConePtr cone);

/* Builds the initial rays from the basis inverse and their edges, and sets
 * Iteration to d + 1 (CompStatus dd_AllFound when that reaches m). */
void dd_InitialDataSetup(dd_ConePtr cone);

/* Rank of M ignoring the rows ignoredrows and the columns ignoredcols.
 * *rowbasis and *colbasis are created here and receive the pivot rows and
 * columns; the caller frees both with set_free.  Either ignore set may be
 * null (nothing ignored).  A null M gives rank 0 and empty sets. */
long dd_MatrixRank(dd_MatrixPtr M, dd_rowset ignoredrows,
                   dd_colset ignoredcols, dd_rowset *rowbasis,
                   dd_colset *colbasis);

/* ---- the run driver ---- */

/* Resets the run state of a freshly loaded cone: counters, row sets, row
 * order; Error dd_NoError, CompStatus dd_InProgress. */
void dd_DDInit(dd_ConePtr cone);

/* Adds the remaining rows one per iteration until every row is taken or
 * the status is final, then records the output size in the polyhedron.
 * A result that rounding has made inconsistent (a ray violating a row
 * beyond its rounding error, one on too few rows, two on the same rows,
 * rays made from noise, a basis singular within rounding, or a run that
 * took every row without finishing) is not handed out: Error becomes
 * dd_NumericallyInconsistent and CompStatus stays dd_InProgress. */
void dd_DDMain(dd_ConePtr cone);

/* Called by dd_DDMain after each iteration with the iteration number,
 * the cone's row count m and the current number of rays. */
typedef void (*dd_ProgressHook)(void *user, dd_rowrange iteration,
                                dd_rowrange total, long raycount);

/* Installs hook (with user passed back) for runs on the calling thread; a
 * null hook turns reporting off, the default. */
void dd_SetProgressHook(dd_ProgressHook hook, void *user);
/* The calling thread's progress hook and its user pointer (null when none). */
void dd_GetProgressHook(dd_ProgressHook *hook, void **user);

/* Asked by the engine and LP loops several times a second of work; a
 * nonzero answer stops the run, which then reports dd_Interrupted and
 * frees what it made.  Per thread, like the progress hook; null (the
 * default) never interrupts. */
typedef int (*dd_CancelHook)(void *user);
void dd_SetCancelHook(dd_CancelHook hook, void *user);
/* The calling thread's cancel hook and its user pointer (null when none),
 * for a caller that sets its own for a while and then puts them back. */
void dd_GetCancelHook(dd_CancelHook *hook, void **user);

/* Called by the row loops (redundancy removal, elimination) with what is
 * being done ("redundancy", "elimination"), the rows done of the rows
 * given, and the rows kept so far; elapsed time is the host's to add.
 * At most a few calls a second, and one with done = total at the end.
 * Per thread, like the other hooks; null (the default) reports nothing. */
typedef void (*dd_RowProgressHook)(void *user, const char *stage, long done, long total,
                                   long kept);
void dd_SetRowProgressHook(dd_RowProgressHook hook, void *user);
/* The calling thread's row progress hook and its user pointer. */
void dd_GetRowProgressHook(dd_RowProgressHook *hook, void **user);

/* What the row loops call: passes the report on to the hook, if any, at
 * most every tenth of a second (always at done = 0 and done = total). */
void dd_ReportRowProgress(const char *stage, long done, long total, long kept);

/* Whether the calling thread's cancel hook asks to stop.  Cheap: the hook
 * itself is consulted at most about every millisecond of wall time. */
dd_boolean dd_CancelRequested(void);

/* Runs the double description method on poly's rows (lexicographic row
 * order).  Returns whether initial rays were found; *err is
 * dd_EmptyVrepresentation for a V-representation without rows,
 * dd_ImproperInputFormat for rows without columns (nothing is computed),
 * dd_NumericallyInconsistent when the run's result fails its consistency
 * check (see dd_DDMain), else dd_NoError.  A polyhedron whose result is complete is left as it is
 * (false); an unfinished earlier run is discarded and redone. */
dd_boolean dd_DoubleDescription(dd_PolyhedraPtr poly, dd_ErrorType *err);

/* The same with the row order horder. */
dd_boolean dd_DoubleDescription2(dd_PolyhedraPtr poly,
                                 dd_RowOrderType horder, dd_ErrorType *err);

/* New polyhedron holding a copy of M (M may be freed at once) and the
 * result of the conversion.  Null, with *err dd_NegativeMatrixSize, for a
 * negative size, and with *err dd_ImproperInputFormat for a null M;
 * otherwise *err as from dd_DoubleDescription.  Free with
 * dd_FreePolyhedra. */
dd_PolyhedraPtr dd_DDMatrix2Poly(dd_MatrixPtr M, dd_ErrorType *err);

/* The same with the row order horder. */
dd_PolyhedraPtr dd_DDMatrix2Poly2(dd_MatrixPtr M, dd_RowOrderType horder,
                                  dd_ErrorType *err);

/* Replaces *poly by the polyhedron of its rows followed by M's, computed
 * afresh; true when that run had no error.  False with *poly untouched if
 * *poly or M is null, a size is negative, the column counts differ, or M
 * has no rows. */
dd_boolean dd_AppendMatrix2Poly(dd_PolyhedraPtr *poly, dd_MatrixPtr M);

/* Appends M's rows to *poly and recomputes from scratch, keeping the
 * representation.  True when the new polyhedron holds a complete result;
 * *err is the run's error, or dd_ImproperInputFormat when the append is
 * rejected (then *poly is untouched). */
dd_boolean dd_DDInputAppend(dd_PolyhedraPtr *poly, dd_MatrixPtr M,
                            dd_ErrorType *err);

/* ---- outputs ---- */

/* New matrix of the other representation: the feasible rays, then the
 * lineality rows (in linset).  Null unless the run reached dd_AllFound.
 * The caller frees it with dd_FreeMatrix. */
dd_MatrixPtr dd_CopyOutput(dd_PolyhedraPtr poly);

/* The generators: the input for a V-representation, else the output. */
dd_MatrixPtr dd_CopyGenerators(dd_PolyhedraPtr poly);

/* The inequalities: the input for an H-representation, else the output. */
dd_MatrixPtr dd_CopyInequalities(dd_PolyhedraPtr poly);

/* New family of n sets over 1..n: set k lists the output rows adjacent to
 * output row k (lineality rows are adjacent to every row).  Null unless
 * the run reached dd_AllFound.  Free with dd_FreeSetFamily. */
dd_SetFamilyPtr dd_CopyAdjacency(dd_PolyhedraPtr poly);

/* New family of n sets over 1..m1: set k lists the input rows (with the
 * added row m1 of a non-homogeneous H-representation) on which output row
 * k lies.  Null unless dd_AllFound. */
dd_SetFamilyPtr dd_CopyIncidence(dd_PolyhedraPtr poly);

/* New family of m1 sets over 1..n: set i lists the output rows on which
 * input row i is zero.  Null unless dd_AllFound. */
dd_SetFamilyPtr dd_CopyInputIncidence(dd_PolyhedraPtr poly);

/* New family of m1 sets over 1..m1: set i lists the input rows adjacent to
 * input row i.  Null unless dd_AllFound. */
dd_SetFamilyPtr dd_CopyInputAdjacency(dd_PolyhedraPtr poly);

/* Builds the input incidence Ainc with the redundant rows Ared and the
 * rows Adom incident with every output row, once per polyhedron.  Does
 * nothing unless the run reached dd_AllFound. */
void dd_ComputeAinc(dd_PolyhedraPtr poly);

/* Whether input rows i1 and i2 (1..m1) are adjacent: neither redundant,
 * and no other row contains the output rows they share. */
dd_boolean dd_InputAdjacentQ(dd_PolyhedraPtr poly, dd_rowrange i1,
                             dd_rowrange i2);

/* ==== end of driver section ============================================ */

#ifdef __cplusplus
}
#endif

#endif /* ZONIX_DD_H */
