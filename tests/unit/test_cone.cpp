// Polyhedron and cone records: creation values, loading, copying out and
// release.
#include <gtest/gtest.h>

#include "engine_test_util.hpp"

using namespace enginetest;

TEST(ConeRecords, PolyhedronCreationValues)
{
  dd_set_global_constants();
  Poly p(dd_CreatePolyhedraData(3, 4));
  EXPECT_EQ(p->m, 3);
  EXPECT_EQ(p->d, 4);
  EXPECT_EQ(p->m_alloc, 5);
  EXPECT_EQ(p->d_alloc, 4);
  EXPECT_EQ(p->representation, dd_Inequality);
  EXPECT_EQ(p->numbtype, dd_Real);
  EXPECT_FALSE(p->homogeneous);
  EXPECT_EQ(p->child, nullptr);
  EXPECT_EQ(p->n, -1);
  EXPECT_FALSE(p->AincGenerated);
  EXPECT_FALSE(p->NondegAssumed);
  EXPECT_FALSE(p->InitBasisAtBottom);
  EXPECT_FALSE(p->RestrictedEnumeration);
  EXPECT_FALSE(p->RelaxedEnumeration);
  for (long i = 0; i <= 4; ++i) EXPECT_EQ(p->EqualityIndex[i], 0);
  for (long i = 0; i < 5; ++i)
    for (long j = 0; j < 4; ++j) EXPECT_EQ(p->A[i][j][0], 0.0);
  for (long j = 0; j < 4; ++j) EXPECT_EQ(p->c[j][0], 0.0);
}

TEST(ConeRecords, ConeCreationValues)
{
  dd_ConePtr c = nullptr;
  ASSERT_TRUE(dd_InitializeConeData(4, 3, &c));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->m, 4);
  EXPECT_EQ(c->d, 3);
  EXPECT_EQ(c->m_alloc, 6);
  EXPECT_EQ(c->d_alloc, 3);
  EXPECT_EQ(c->d_orig, 3);
  EXPECT_EQ(c->numbtype, dd_Real);
  EXPECT_EQ(c->HalfspaceOrder, dd_LexMin);
  EXPECT_EQ(c->rseed, 1u);
  EXPECT_EQ(c->LinearityDim, -2);
  EXPECT_EQ(c->Iteration, 0);
  EXPECT_TRUE(c->RecomputeRowOrder);
  EXPECT_FALSE(c->PreOrderedRun);
  EXPECT_FALSE(c->ColReduced);
  EXPECT_EQ(c->FirstRay, nullptr);
  EXPECT_EQ(c->LastRay, nullptr);
  EXPECT_EQ(c->ArtificialRay, nullptr);
  EXPECT_EQ(c->RayCount, 0);
  EXPECT_EQ(c->EdgeCount, 0);
  for (long j = 0; j <= 3; ++j) {
    EXPECT_EQ(c->newcol[j], j);
    EXPECT_EQ(c->InitialRayIndex[j], 0);
  }
  for (long i = 0; i <= 6; ++i) EXPECT_EQ(c->OrderVector[i], 0);
  for (long k = 0; k < 6; ++k) EXPECT_EQ(c->Edges[k], nullptr);
  for (set_type s : {c->GroundSet, c->EqualitySet, c->NonequalitySet,
                     c->AddedHalfspaces, c->WeaklyAddedHalfspaces,
                     c->InitialHalfspaces}) {
    EXPECT_EQ(set_groundsize(s), 6);
    EXPECT_EQ(set_card(s), 0);
  }
  for (long i = 0; i < 6; ++i)
    for (long j = 0; j < 3; ++j) EXPECT_EQ(c->A[i][j][0], 0.0);
  for (long i = 0; i < 3; ++i)
    for (long j = 0; j < 3; ++j) {
      EXPECT_EQ(c->B[i][j][0], 0.0);
      EXPECT_EQ(c->Bsave[i][j][0], 0.0);
    }
  dd_FreeDDMemory0(c);
}

TEST(ConeRecords, NonHomogeneousInequalitiesGetTheExtraRow)
{
  Poly p = make_poly({{1, -1, 0}, {2, 0, -1}, {0, 1, 1}}, false);
  dd_ConePtr c = dd_ConeDataLoad(p.get());
  EXPECT_EQ(p->m1, 4);
  EXPECT_EQ(p->child, c);
  EXPECT_EQ(c->parent, p.get());
  EXPECT_EQ(c->m, 4);
  EXPECT_EQ(c->m_alloc, 6);
  EXPECT_EQ(c->d, 3);
  EXPECT_EQ(c->representation, dd_Inequality);
  const double expect[4][3] = {{1, -1, 0}, {2, 0, -1}, {0, 1, 1}, {1, 0, 0}};
  for (long i = 0; i < 4; ++i)
    for (long j = 0; j < 3; ++j) EXPECT_EQ(c->A[i][j][0], expect[i][j]) << i << "," << j;
  // The polyhedron's rows are copied, not shared.
  c->A[0][0][0] = 7;
  EXPECT_EQ(p->A[0][0][0], 1);
}

TEST(ConeRecords, HomogeneousAndGeneratorInputsGetNoExtraRow)
{
  Poly h = make_poly({{0, 1, 0}, {0, 0, 1}, {0, -1, -1}}, true);
  dd_ConePtr c = dd_ConeDataLoad(h.get());
  EXPECT_EQ(h->m1, 3);
  EXPECT_EQ(c->m, 3);
  for (long j = 0; j < 3; ++j) EXPECT_EQ(c->A[3][j][0], 0.0);

  Poly v = make_poly({{1, 0, 0}, {1, 1, 0}}, false, dd_Generator);
  dd_ConePtr cv = dd_ConeDataLoad(v.get());
  EXPECT_EQ(v->m1, 2);
  EXPECT_EQ(cv->m, 2);
  EXPECT_EQ(cv->representation, dd_Generator);
  for (long j = 0; j < 3; ++j) EXPECT_EQ(cv->A[2][j][0], 0.0);
}

TEST(ConeRecords, CopyInputCarriesLinearities)
{
  Poly p = make_poly({{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}}, false);
  p->EqualityIndex[2] = 1;
  p->EqualityIndex[5] = 1;
  p->EqualityIndex[3] = -1;  // a strict row is no linearity
  dd_MatrixPtr M = dd_CopyInput(p.get());
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->rowsize, 5);
  EXPECT_EQ(M->colsize, 2);
  EXPECT_EQ(members(M->linset), (std::vector<long>{2, 5}));
  for (long i = 0; i < 5; ++i) {
    EXPECT_EQ(M->matrix[i][0][0], 2.0 * i + 1);
    EXPECT_EQ(M->matrix[i][1][0], 2.0 * i + 2);
  }
  EXPECT_EQ(M->representation, dd_Inequality);
  EXPECT_EQ(M->numbtype, dd_Unknown);
  EXPECT_EQ(M->objective, dd_LPnone);
  dd_FreeMatrix(M);
}

TEST(ConeRecords, CopyInputRepresentation)
{
  Poly u = make_poly({{1, 2}}, false, dd_Unspecified);
  dd_MatrixPtr M = dd_CopyInput(u.get());
  EXPECT_EQ(M->representation, dd_Inequality);
  dd_FreeMatrix(M);
  Poly g = make_poly({{1, 2}}, false, dd_Generator);
  M = dd_CopyInput(g.get());
  EXPECT_EQ(M->representation, dd_Generator);
  dd_FreeMatrix(M);
}

TEST(ConeRecords, ReleaseIsSafeOnNullAndOnUnrunPolyhedra)
{
  dd_FreePolyhedra(nullptr);
  dd_FreeDDMemory(nullptr);
  dd_FreeDDMemory0(nullptr);
  dd_PolyhedraPtr p = dd_CreatePolyhedraData(2, 2);
  dd_FreePolyhedra(p);  // no cone, no incidence
  dd_PolyhedraPtr z = dd_CreatePolyhedraData(0, 0);
  EXPECT_EQ(z->m_alloc, 2);
  dd_ConePtr c = dd_ConeDataLoad(z);
  EXPECT_EQ(c->m, 1);  // the extra row, with no column to hold its 1
  dd_FreePolyhedra(z);
}

TEST(ConeRecords, FreeDDMemoryDetachesTheCone)
{
  Poly p = make_poly({{1, 0}, {0, 1}}, true);
  dd_ConeDataLoad(p.get());
  ASSERT_NE(p->child, nullptr);
  dd_FreeDDMemory(p.get());
  EXPECT_EQ(p->child, nullptr);
  // A fresh cone can be loaded after the release.
  dd_ConePtr c = dd_ConeDataLoad(p.get());
  EXPECT_EQ(p->child, c);
}

// Run under LeakSanitizer: rays, the sentinel and edge nodes still filed
// when the polyhedron is released must all be returned.
TEST(ConeRecords, ReleaseReturnsRaysAndLeftOverEdges)
{
  Poly p = make_poly({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}}, true);
  dd_ConePtr c = load_cone(p.get());
  add_sentinel(c);
  add_ray(c, {1, 0, 0});
  add_ray(c, {0, 1, 0});
  add_ray(c, {0, 0, 1});
  assign(c->AddedHalfspaces, {1, 2, 3});
  dd_CreateInitialEdges(c);
  ASSERT_EQ(c->EdgeCount, 2);
  // Extra nodes under several iterations, as a run ending early leaves them.
  for (long k : {4L, 5L, 5L}) {
    auto *e = static_cast<dd_AdjacencyPtr>(std::malloc(sizeof(dd_AdjacencyType)));
    e->Ray1 = c->FirstRay;
    e->Ray2 = c->LastRay;
    e->Next = c->Edges[k];
    c->Edges[k] = e;
  }
  p.reset();  // dd_FreePolyhedra
  SUCCEED();
}
