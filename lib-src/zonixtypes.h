/* zonix: records and enumerations shared by every module of the library.
 *
 * Plain C structs, usable from C and C++.  Every record is created and
 * released through the matching functions of the library; the fields are
 * public so that callers can read results directly.  Row and column numbers
 * are 1-based wherever they are set members or cross an interface; storage
 * is 0-based (row i at index i-1).
 */
#ifndef ZONIX_TYPES_H
#define ZONIX_TYPES_H

#include <time.h>

#include "setoper.h"
#include "zonixmp.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- scalars and arrays ------------------------------------------------ */

typedef long dd_rowrange;
typedef long dd_colrange;
typedef long dd_bigrange;
typedef int dd_boolean;

typedef set_type dd_rowset;
typedef set_type dd_colset;
typedef long *dd_rowindex;
typedef int *dd_rowflag;
typedef long *dd_colindex;
typedef mytype *dd_Arow;
typedef mytype **dd_Amatrix;
typedef mytype **dd_Bmatrix;
typedef set_type *dd_SetVector;
typedef set_type *dd_Aincidence;

enum { dd_FALSE = 0, dd_TRUE = 1 };

typedef char dd_DataFileType[255];

/* ---- enumerations ------------------------------------------------------ */

typedef enum {
  dd_Unspecified = 0, dd_Inequality = 1, dd_Generator = 2
} dd_RepresentationType;

typedef enum {
  dd_Unknown = 0, dd_Real = 1, dd_Rational = 2, dd_Integer = 3
} dd_NumberType;

typedef enum {
  dd_LPnone = 0, dd_LPmax = 1, dd_LPmin = 2
} dd_LPObjectiveType;

typedef enum {
  dd_MaxIndex = 0, dd_MinIndex = 1, dd_MinCutoff = 2, dd_MaxCutoff = 3,
  dd_MixCutoff = 4, dd_LexMin = 5, dd_LexMax = 6, dd_RandomRow = 7,
  dd_ColumnGreedy = 8,
  dd_LexMinSpread = 9  /* farthest-first where lexmin sweeps, else columns */
} dd_RowOrderType;

typedef enum {
  dd_InProgress = 0, dd_AllFound = 1, dd_RegionEmpty = 2
} dd_CompStatusType;

typedef enum {
  dd_DimensionTooLarge = 0,
  dd_ImproperInputFormat = 1,
  dd_NegativeMatrixSize = 2,
  dd_EmptyVrepresentation = 3,
  dd_EmptyHrepresentation = 4,
  dd_EmptyRepresentation = 5,
  dd_IFileNotFound = 6,
  dd_OFileNotOpen = 7,
  dd_NoLPObjective = 8,
  dd_NoRealNumberSupport = 9,
  dd_NotAvailForH = 10,
  dd_NotAvailForV = 11,
  dd_CannotHandleLinearity = 12,
  dd_RowIndexOutOfRange = 13,
  dd_ColIndexOutOfRange = 14,
  dd_LPCycling = 15,
  dd_NumericallyInconsistent = 16,
  dd_NoError = 17,
  /* Beyond the classic codes, so that every value above keeps its number:
   * the caller's cancel hook asked the run to stop, memory ran out, or the
   * library failed in a way it does not expect (a fault to report, not a
   * property of the input or of the arithmetic). */
  dd_Interrupted = 18,
  dd_OutOfMemory = 19,
  dd_InternalError = 20
} dd_ErrorType;

typedef enum {
  dd_CrissCross = 0, dd_DualSimplex = 1
} dd_LPSolverType;

typedef enum {
  dd_LPSundecided = 0, dd_Optimal = 1, dd_Inconsistent = 2,
  dd_DualInconsistent = 3, dd_StrucInconsistent = 4,
  dd_StrucDualInconsistent = 5, dd_Unbounded = 6, dd_DualUnbounded = 7
} dd_LPStatusType;

/* ---- matrices and set families ----------------------------------------- */

typedef struct dd_matrixdata *dd_MatrixPtr;
typedef struct dd_matrixdata {
  dd_rowrange rowsize;
  dd_rowset linset;
  dd_colrange colsize;
  dd_RepresentationType representation;
  dd_NumberType numbtype;
  dd_Amatrix matrix;
  dd_LPObjectiveType objective;
  dd_Arow rowvec;
} dd_MatrixType;

typedef struct dd_setfamily *dd_SetFamilyPtr;
typedef struct dd_setfamily {
  dd_bigrange famsize;
  dd_bigrange setsize;
  dd_SetVector set;
} dd_SetFamilyType;

/* ---- double description records ---------------------------------------- */

typedef struct dd_raydata *dd_RayPtr;
typedef struct dd_raydata {
  dd_Arow Ray;
  dd_rowset ZeroSet;
  dd_rowrange FirstInfeasIndex;
  dd_boolean feasible;
  mytype ARay;
  dd_RayPtr Next;
} dd_RayType;

typedef struct dd_adjacencydata *dd_AdjacencyPtr;
typedef struct dd_adjacencydata {
  dd_RayPtr Ray1, Ray2;
  dd_AdjacencyPtr Next;
} dd_AdjacencyType;

typedef struct dd_polyhedradata *dd_PolyhedraPtr;
typedef struct dd_conedata *dd_ConePtr;
/* The scratch of a cone's runs, owned by the cone (engine-internal). */
struct dd_workspace;

typedef struct dd_polyhedradata {
  dd_RepresentationType representation;
  dd_boolean homogeneous;
  dd_colrange d;
  dd_rowrange m;
  dd_Amatrix A;
  dd_NumberType numbtype;
  dd_ConePtr child;
  dd_rowrange m_alloc;
  dd_colrange d_alloc;
  dd_Arow c;
  dd_rowflag EqualityIndex;
  dd_boolean NondegAssumed;
  dd_boolean InitBasisAtBottom;
  dd_boolean RestrictedEnumeration;
  dd_boolean RelaxedEnumeration;
  dd_rowrange m1;
  dd_boolean AincGenerated;
  dd_colrange ldim;
  dd_bigrange n;
  dd_Aincidence Ainc;
  dd_rowset Ared;
  dd_rowset Adom;
} dd_PolyhedraType;

typedef struct dd_conedata {
  dd_RepresentationType representation;
  dd_rowrange m;
  dd_colrange d;
  dd_Amatrix A;
  dd_NumberType numbtype;
  dd_PolyhedraPtr parent;
  dd_rowrange m_alloc;
  dd_colrange d_alloc;
  dd_rowrange Iteration;
  dd_RowOrderType HalfspaceOrder;
  dd_RayPtr FirstRay, LastRay, ArtificialRay;
  dd_RayPtr PosHead, ZeroHead, NegHead, PosLast, ZeroLast, NegLast;
  dd_AdjacencyPtr *Edges;
  unsigned int rseed;
  dd_boolean ColReduced;
  dd_bigrange LinearityDim;
  dd_colrange d_orig;
  dd_colindex newcol;
  dd_colindex InitialRayIndex;
  dd_rowindex OrderVector;
  dd_boolean RecomputeRowOrder;
  dd_boolean PreOrderedRun;
  dd_rowset GroundSet, EqualitySet, NonequalitySet, AddedHalfspaces,
      WeaklyAddedHalfspaces, InitialHalfspaces;
  long RayCount, FeasibleRayCount, WeaklyFeasibleRayCount, TotalRayCount,
      ZeroRayCount;
  long EdgeCount, TotalEdgeCount;
  long count_int, count_int_good, count_int_bad;
  dd_Bmatrix B;
  dd_Bmatrix Bsave;
  dd_ErrorType Error;
  dd_CompStatusType CompStatus;
  time_t starttime, endtime;
  struct dd_workspace *workspace;
} dd_ConeType;

/* ---- LP records -------------------------------------------------------- */

typedef struct dd_lpdata *dd_LPPtr;
typedef struct dd_lpdata {
  dd_DataFileType filename;
  dd_LPObjectiveType objective;
  dd_LPSolverType solver;
  dd_boolean Homogeneous;
  dd_rowrange m;
  dd_colrange d;
  dd_Amatrix A;
  dd_Bmatrix B;
  dd_rowrange objrow;
  dd_colrange rhscol;
  dd_NumberType numbtype;
  dd_rowrange eqnumber;
  dd_rowset equalityset;
  dd_LPStatusType LPS;
  dd_rowrange m_alloc;
  dd_colrange d_alloc;
  mytype optvalue;
  dd_Arow sol;
  dd_Arow dsol;
  dd_colindex nbindex;
  dd_rowrange re;
  dd_colrange se;
  long pivots[5];
  long total_pivots;
  int use_given_basis;
  dd_colindex given_nbindex;
  time_t starttime;
  time_t endtime;
} dd_LPType;

typedef struct dd_lpsolution *dd_LPSolutionPtr;
typedef struct dd_lpsolution {
  dd_DataFileType filename;
  dd_LPObjectiveType objective;
  dd_LPSolverType solver;
  dd_rowrange m;
  dd_colrange d;
  dd_NumberType numbtype;
  dd_LPStatusType LPS;
  mytype optvalue;
  dd_Arow sol;
  dd_Arow dsol;
  dd_colindex nbindex;
  dd_rowrange re;
  dd_colrange se;
  long pivots[5];
  long total_pivots;
} dd_LPSolutionType;

#ifdef __cplusplus
}
#endif

#endif /* ZONIX_TYPES_H */
