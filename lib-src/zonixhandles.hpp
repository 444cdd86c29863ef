// zonix C++ handles: owning smart pointers over the C records, so that a
// scope releases what it created even on an early return.  Those of the
// LP records are in zonixlp_handles.hpp, above the engine they serve.
#ifndef ZONIX_HANDLES_HPP
#define ZONIX_HANDLES_HPP

#include <memory>

#include "setoper.h"
#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixio.h"

namespace zonix {

struct MatrixDeleter {
  void operator()(dd_matrixdata *m) const noexcept { dd_FreeMatrix(m); }
};
struct SetFamilyDeleter {
  void operator()(dd_setfamily *f) const noexcept { dd_FreeSetFamily(f); }
};
struct SetDeleter {
  void operator()(uint32_t *s) const noexcept { set_free(s); }
};
struct PolyhedraDeleter {
  void operator()(dd_polyhedradata *p) const noexcept { dd_FreePolyhedra(p); }
};

struct ArowDeleter {
  dd_colrange d = 1;
  void operator()(mytype *a) const noexcept { dd_FreeArow(d, a); }
};

using Arow = std::unique_ptr<mytype[], ArowDeleter>;
using Matrix = std::unique_ptr<dd_matrixdata, MatrixDeleter>;
using SetFamily = std::unique_ptr<dd_setfamily, SetFamilyDeleter>;
using Set = std::unique_ptr<uint32_t[], SetDeleter>;
using Polyhedra = std::unique_ptr<dd_polyhedradata, PolyhedraDeleter>;

// An m x d matrix record of zeros (see dd_CreateMatrix).
inline Matrix make_matrix(dd_rowrange m, dd_colrange d)
{
  return Matrix(dd_CreateMatrix(m, d));
}

// A row of d numbers, all 0 (see dd_InitializeArow); at least one number,
// so that a record without columns still gets a row to pass around.
inline Arow make_arow(dd_colrange d)
{
  const dd_colrange n = d > 0 ? d : 1;
  dd_Arow a = nullptr;
  dd_InitializeArow(n, &a);
  return Arow(a, ArowDeleter{n});
}

// A family of fsize empty sets over 1..ssize (see dd_CreateSetFamily).
inline SetFamily make_set_family(dd_bigrange fsize, dd_bigrange ssize)
{
  return SetFamily(dd_CreateSetFamily(fsize, ssize));
}

// An empty set over 1..n (see set_initialize).
inline Set make_set(long n)
{
  set_type s = nullptr;
  set_initialize(&s, n);
  return Set(s);
}

// The polyhedron of M after the conversion (see dd_DDMatrix2Poly); null,
// with *err set, for a null M or a negative size.
inline Polyhedra make_polyhedra(dd_MatrixPtr M, dd_ErrorType *err)
{
  return Polyhedra(dd_DDMatrix2Poly(M, err));
}

}  // namespace zonix

#endif  // ZONIX_HANDLES_HPP
