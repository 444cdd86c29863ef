/* zonix volume: the d-dimensional volume of the polyhedron of a matrix.
 *
 * The polytope is triangulated by pulling (each face coned from its first
 * vertex over its facets that miss that vertex, recursively), the faces
 * found from the vertex-facet incidence.  Exact runs take the vertices and
 * facets of a certified conversion, decide the incidence in integers and
 * sum the simplex determinants in machine integers, going over to GMP when
 * one would overflow; double runs do the same in floating point on the
 * incidence of a double conversion.
 */
#ifndef ZONIX_VOLUME_H
#define ZONIX_VOLUME_H

#include "zonixtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
  dd_VolumeAuto,   /* exact for exact data (integers, or exact rows given),
                      double for measured data (some number no integer) */
  dd_VolumeDouble,
  dd_VolumeExact
} dd_VolumeArithmetic;

typedef enum {
  dd_VolumeBounded,    /* a full-dimensional polytope: value > 0 */
  dd_VolumeFlat,       /* empty or lower-dimensional: value 0 */
  dd_VolumeUnbounded   /* full-dimensional and unbounded: value HUGE_VAL */
} dd_VolumeKind;

typedef struct dd_volumedata {
  dd_VolumeKind kind;
  double value;        /* the volume; when exact, the double nearest it */
  dd_boolean exact;    /* numerator / denominator is the volume */
  char *numerator;     /* decimal, lowest terms; null unless exact */
  char *denominator;
  long vertices;       /* of the polytope */
  long facets;
  long simplices;      /* of the triangulation */
} dd_volumedata;
typedef dd_volumedata *dd_VolumePtr;

/* The volume of the polyhedron of M (an H- or V-representation; the other
 * one is computed).  Returns a new record the caller frees with
 * dd_FreeVolume, or null with *error set: dd_ImproperInputFormat for a
 * matrix without variables, the conversion's error, or
 * dd_NumericallyInconsistent when a double run's faces do not make a
 * triangulation (an exact run then tells). */
dd_VolumePtr dd_PolyVolume(dd_MatrixPtr M, dd_VolumeArithmetic arithmetic, dd_ErrorType *error);

/* Frees a record of dd_PolyVolume; null is a no-op. */
void dd_FreeVolume(dd_VolumePtr v);

#ifdef __cplusplus
}

#include <gmpxx.h>

#include "zonixarith.hpp"

namespace zonix {

struct Volume {
  dd_ErrorType error = dd_NoError;
  dd_VolumeKind kind = dd_VolumeFlat;
  bool exact = false;
  mpq_class fraction;  // the volume, when exact
  double value = 0.0;
  long vertices = 0, facets = 0, simplices = 0;
};

/* The volume of M as dd_PolyVolume finds it.  With rational (M's exact
 * rows, as Input has them) the exact arithmetic runs on those, and auto
 * counts them as exact data.  threads: of the conversion, 0 for one per
 * core; the result does not depend on it. */
Volume volume(dd_MatrixPtr M, Arithmetic arithmetic, const QMatrix *rational = nullptr, int threads = 0);

}  // namespace zonix

#endif

#endif
