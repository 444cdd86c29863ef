// Helpers for the engine unit tests: small polyhedra and cones built by
// hand, ray lists set up without the run driver.
#ifndef ZONIX_ENGINE_TEST_UTIL_HPP
#define ZONIX_ENGINE_TEST_UTIL_HPP

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>

#include "dovavozu.h"

namespace enginetest {

struct PolyDeleter {
  void operator()(dd_polyhedradata *p) const noexcept { dd_FreePolyhedra(p); }
};
using Poly = std::unique_ptr<dd_polyhedradata, PolyDeleter>;

using Rows = std::vector<std::vector<double>>;

// A polyhedron holding the given rows (all of one length).
inline Poly make_poly(const Rows &rows, bool homogeneous,
                      dd_RepresentationType rep = dd_Inequality)
{
  dd_set_global_constants();
  const long m = static_cast<long>(rows.size());
  const long d = rows.empty() ? 0 : static_cast<long>(rows[0].size());
  Poly p(dd_CreatePolyhedraData(m, d));
  p->representation = rep;
  p->homogeneous = homogeneous ? dd_TRUE : dd_FALSE;
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < d; ++j) p->A[i][j][0] = rows[i][j];
  return p;
}

// Loads the cone of p and takes the rows in index order.
inline dd_ConePtr load_cone(dd_PolyhedraPtr p)
{
  dd_ConePtr c = dd_ConeDataLoad(p);
  for (long i = 0; i <= c->m; ++i) c->OrderVector[i] = i;
  return c;
}

// Puts the sentinel ray in front of an empty list, as the initial setup
// does.
inline void add_sentinel(dd_ConePtr c)
{
  auto *r = static_cast<dd_RayPtr>(std::calloc(1, sizeof(dd_RayType)));
  const long d1 = c->d > 0 ? c->d : 1;
  r->Ray = static_cast<dd_Arow>(std::calloc(static_cast<size_t>(d1), sizeof(mytype)));
  std::vector<double> zeros(static_cast<size_t>(d1), 0.0);
  c->ArtificialRay = c->LastRay = r;
  dd_boolean feasible = dd_FALSE;
  dd_StoreRay1(c, reinterpret_cast<mytype *>(zeros.data()), &feasible);
  r->Next = nullptr;
}

// Appends a ray with the given coordinates and returns it.
inline dd_RayPtr add_ray(dd_ConePtr c, std::vector<double> coords)
{
  dd_AddRay(c, reinterpret_cast<mytype *>(coords.data()));
  return c->LastRay;
}

// The rays of the list, FirstRay to the end.
inline std::vector<dd_RayPtr> ray_list(dd_ConePtr c)
{
  std::vector<dd_RayPtr> out;
  for (dd_RayPtr r = c->FirstRay; r != nullptr; r = r->Next) out.push_back(r);
  return out;
}

// The ray's coordinates.
inline std::vector<double> coords(dd_ConePtr c, dd_RayPtr r)
{
  std::vector<double> v;
  for (long j = 0; j < c->d; ++j) v.push_back(r->Ray[j][0]);
  return v;
}

// The members of a set, in increasing order.
inline std::vector<long> members(set_type s)
{
  std::vector<long> v;
  for (long e = 1; e <= set_groundsize(s); ++e)
    if (set_member(e, s)) v.push_back(e);
  return v;
}

// Replaces the members of s by the given elements.
inline void assign(set_type s, std::initializer_list<long> elems)
{
  set_emptyset(s);
  for (long e : elems) set_addelem(s, e);
}

// The nodes filed under iteration k, first to last.
inline std::vector<dd_AdjacencyPtr> edges(dd_ConePtr c, long k)
{
  std::vector<dd_AdjacencyPtr> v;
  for (dd_AdjacencyPtr e = c->Edges[k]; e != nullptr; e = e->Next) v.push_back(e);
  return v;
}

}  // namespace enginetest

#endif  // ZONIX_ENGINE_TEST_UTIL_HPP
