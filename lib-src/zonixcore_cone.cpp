// Polyhedron and cone records: creation with their defaults, loading the
// cone from the input rows, copying the input out, and release.
#include <cstdlib>
#include <unordered_set>

#include "zonixcore_internal.hpp"
#include "zonixio.h"

using namespace zonix::core;

namespace {

// Empties the cone's edge lists; nodes filed under an iteration the run
// never reached are left over otherwise.  The nodes belong to the
// workspace's pool, which releases them with it.
void free_edges(dd_ConePtr cone)
{
  if (cone->Edges == nullptr) return;
  for (dd_rowrange k = 0; k < cone->m_alloc; ++k) cone->Edges[k] = nullptr;
  if (cone->workspace != nullptr) cone->workspace->edges_filed.clear();
}

// Releases the ray list, sentinel included.  The walk follows the links to
// the end instead of stopping at LastRay, so nothing is lost should
// LastRay lag behind the list.
void free_rays(dd_ConePtr cone)
{
  // Conflicts are kept only where a workspace is.
  ConflictTable *conflicts = cone->workspace != nullptr ? &cone->workspace->rays.conflicts() : nullptr;
  dd_RayPtr sentinel = cone->ArtificialRay;
  if (sentinel != nullptr && sentinel->Next != cone->FirstRay) {
    // A broken sentinel link (reported by the list operations): release
    // what either head reaches, each ray once.
    std::unordered_set<dd_RayPtr> rays;
    for (dd_RayPtr r = sentinel; r != nullptr && rays.insert(r).second;)
      r = r->Next;
    for (dd_RayPtr r = cone->FirstRay; r != nullptr && rays.insert(r).second;)
      r = r->Next;
    for (dd_RayPtr r : rays) free_ray(cone->d, r, conflicts);
  } else {
    dd_RayPtr r = sentinel != nullptr ? sentinel : cone->FirstRay;
    while (r != nullptr) {
      dd_RayPtr next = r->Next;
      free_ray(cone->d, r, conflicts);
      r = next;
    }
  }
  cone->ArtificialRay = cone->FirstRay = cone->LastRay = nullptr;
}

dd_colindex new_index(long count)
{
  return static_cast<dd_colindex>(
      std::calloc(static_cast<size_t>(count > 0 ? count : 1), sizeof(long)));
}

}  // namespace

extern "C" {

dd_PolyhedraPtr dd_CreatePolyhedraData(dd_rowrange m, dd_colrange d)
{
  auto *poly =
      static_cast<dd_PolyhedraPtr>(std::calloc(1, sizeof(dd_PolyhedraType)));
  poly->child = nullptr;
  poly->m = m;
  poly->d = d;
  poly->m_alloc = m + 2;  // room for the homogenising row and one spare
  poly->d_alloc = d;
  poly->ldim = 0;
  poly->numbtype = dd_Real;
  dd_InitializeAmatrix(poly->m_alloc, poly->d_alloc, &poly->A);
  dd_InitializeArow(poly->d_alloc > 0 ? poly->d_alloc : 1, &poly->c);
  poly->EqualityIndex = static_cast<dd_rowflag>(std::calloc(
      static_cast<size_t>(poly->m_alloc > 0 ? poly->m_alloc : 1),
      sizeof(int)));
  poly->representation = dd_Inequality;
  poly->homogeneous = dd_FALSE;
  poly->NondegAssumed = dd_FALSE;
  poly->InitBasisAtBottom = dd_FALSE;
  poly->RestrictedEnumeration = dd_FALSE;
  poly->RelaxedEnumeration = dd_FALSE;
  poly->AincGenerated = dd_FALSE;
  poly->n = -1;
  return poly;
}

dd_boolean dd_InitializeConeData(dd_rowrange m, dd_colrange d,
                                 dd_ConePtr *cone)
{
  auto *c = static_cast<dd_ConePtr>(std::calloc(1, sizeof(dd_ConeType)));
  c->m = m;
  c->d = d;
  c->m_alloc = m + 2;
  c->d_alloc = d;
  c->numbtype = dd_Real;
  c->parent = nullptr;
  c->HalfspaceOrder = dd_LexMin;
  c->ArtificialRay = c->FirstRay = c->LastRay = nullptr;
  c->PosHead = c->ZeroHead = c->NegHead = nullptr;
  c->PosLast = c->ZeroLast = c->NegLast = nullptr;
  c->Iteration = 0;
  c->rseed = 1;
  c->ColReduced = dd_FALSE;
  c->LinearityDim = -2;
  c->d_orig = d;
  c->RecomputeRowOrder = dd_TRUE;
  c->PreOrderedRun = dd_FALSE;

  set_initialize(&c->GroundSet, c->m_alloc);
  set_initialize(&c->EqualitySet, c->m_alloc);
  set_initialize(&c->NonequalitySet, c->m_alloc);
  set_initialize(&c->AddedHalfspaces, c->m_alloc);
  set_initialize(&c->WeaklyAddedHalfspaces, c->m_alloc);
  set_initialize(&c->InitialHalfspaces, c->m_alloc);

  dd_InitializeBmatrix(c->d_alloc, &c->B);
  dd_InitializeBmatrix(c->d_alloc, &c->Bsave);
  dd_InitializeAmatrix(c->m_alloc, c->d_alloc, &c->A);

  c->Edges = static_cast<dd_AdjacencyPtr *>(std::calloc(
      static_cast<size_t>(c->m_alloc > 0 ? c->m_alloc : 1),
      sizeof(dd_AdjacencyPtr)));
  c->InitialRayIndex = new_index(d + 1);
  c->OrderVector = static_cast<dd_rowindex>(new_index(c->m_alloc + 1));
  c->newcol = new_index(d + 1);
  for (dd_colrange j = 0; j <= d; ++j) c->newcol[j] = j;
  c->workspace = new dd_workspace;
  *cone = c;
  return dd_TRUE;
}

dd_ConePtr dd_ConeDataLoad(dd_PolyhedraPtr poly)
{
  const dd_rowrange m = poly->m;
  const dd_colrange d = poly->d;
  poly->m1 = m;
  // A non-homogeneous H-representation needs the row x0 >= 0 so that the
  // cone keeps the homogenising coordinate nonnegative.
  if (!poly->homogeneous && poly->representation == dd_Inequality)
    poly->m1 = m + 1;

  dd_ConePtr cone = nullptr;
  dd_InitializeConeData(poly->m1, d, &cone);
  cone->representation = poly->representation;
  cone->parent = poly;
  poly->child = cone;

  for (dd_rowrange i = 0; i < m; ++i)
    for (dd_colrange j = 0; j < d; ++j) ddd_set(cone->A[i][j], poly->A[i][j]);

  if (poly->m1 == m + 1 && d > 0) {
    ddd_set(cone->A[m][0], dd_one);
    for (dd_colrange j = 1; j < d; ++j) ddd_set(cone->A[m][j], dd_purezero);
  }
  return cone;
}

dd_MatrixPtr dd_CopyInput(dd_PolyhedraPtr poly)
{
  dd_MatrixPtr M = dd_CreateMatrix(poly->m, poly->d);
  for (dd_rowrange i = 1; i <= poly->m; ++i)
    if (poly->EqualityIndex[i] == 1) set_addelem(M->linset, i);
  dd_CopyAmatrix(M->matrix, poly->A, poly->m, poly->d);
  dd_MatrixIntegerFilter(M);
  M->representation =
      poly->representation == dd_Generator ? dd_Generator : dd_Inequality;
  return M;
}

void dd_FreeDDMemory0(dd_ConePtr cone)
{
  if (cone == nullptr) return;
  free_rays(cone);
  free_edges(cone);
  std::free(cone->Edges);

  set_free(cone->GroundSet);
  set_free(cone->EqualitySet);
  set_free(cone->NonequalitySet);
  set_free(cone->AddedHalfspaces);
  set_free(cone->WeaklyAddedHalfspaces);
  set_free(cone->InitialHalfspaces);

  std::free(cone->InitialRayIndex);
  std::free(cone->OrderVector);
  std::free(cone->newcol);

  dd_FreeBmatrix(cone->d_alloc, cone->B);
  dd_FreeBmatrix(cone->d_alloc, cone->Bsave);
  dd_FreeAmatrix(cone->m_alloc, cone->d_alloc, cone->A);
  delete cone->workspace;
  std::free(cone);
}

void dd_FreeDDMemory(dd_PolyhedraPtr poly)
{
  if (poly == nullptr) return;
  dd_FreeDDMemory0(poly->child);
  poly->child = nullptr;
}

void dd_FreePolyhedra(dd_PolyhedraPtr poly)
{
  if (poly == nullptr) return;
  if (poly->child != nullptr) dd_FreeDDMemory(poly);
  dd_FreeAmatrix(poly->m_alloc, poly->d_alloc, poly->A);
  dd_FreeArow(poly->d_alloc, poly->c);
  std::free(poly->EqualityIndex);
  if (poly->AincGenerated) {
    for (dd_rowrange i = 0; i < poly->m1; ++i) set_free(poly->Ainc[i]);
    std::free(poly->Ainc);
    set_free(poly->Ared);
    set_free(poly->Adom);
    poly->AincGenerated = dd_FALSE;
  }
  std::free(poly);
}

}  // extern "C"
