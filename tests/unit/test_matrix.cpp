// The matrix record: creation defaults, copy, append, row removal, submatrix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

// An m x d record whose entry (i, j) is 10*i + j (1-based), so every row is
// recognisable after moves.
zonix::Matrix numbered(long m, long d, std::initializer_list<long> lin = {})
{
  zonix::Matrix M = zonix::make_matrix(m, d);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < d; ++j)
      M->matrix[i][j][0] = static_cast<double>(10 * (i + 1) + (j + 1));
  for (long r : lin) set_addelem(M->linset, r);
  return M;
}

// The first entry of each row, identifying where the row came from.
std::vector<double> row_ids(const dd_matrixdata &M)
{
  std::vector<double> ids;
  for (long i = 0; i < M.rowsize; ++i) ids.push_back(M.matrix[i][0][0]);
  return ids;
}

std::vector<long> members(set_type s, long upto)
{
  std::vector<long> out;
  for (long e = 1; e <= upto; ++e)
    if (set_member(e, s)) out.push_back(e);
  return out;
}

using Ids = std::vector<double>;
using Rows = std::vector<long>;

}  // namespace

TEST(MatrixRecordCreate, EmptyRecordStillOwnsOneRow)
{
  zonix::Matrix M = zonix::make_matrix(0, 0);
  ASSERT_TRUE(M);
  EXPECT_EQ(M->rowsize, 0);
  EXPECT_EQ(M->colsize, 0);
  ASSERT_NE(M->matrix, nullptr);
  ASSERT_NE(M->matrix[0], nullptr);
  EXPECT_EQ(M->matrix[0][0][0], 0.0);
  ASSERT_NE(M->rowvec, nullptr);
  EXPECT_EQ(set_groundsize(M->linset), 1);
  EXPECT_EQ(M->representation, dd_Unspecified);
  EXPECT_EQ(M->numbtype, dd_Unknown);
  EXPECT_EQ(M->objective, dd_LPnone);

  zonix::Matrix N = zonix::make_matrix(-3, -2);
  EXPECT_EQ(N->rowsize, 0);
  EXPECT_EQ(N->colsize, 0);
  dd_FreeMatrix(nullptr);
}

TEST(MatrixRecordCreate, EntriesStartAtZero)
{
  zonix::Matrix M = zonix::make_matrix(3, 4);
  EXPECT_EQ(M->rowsize, 3);
  EXPECT_EQ(M->colsize, 4);
  EXPECT_EQ(set_groundsize(M->linset), 3);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(M->matrix[i][j][0], 0.0);
  for (int j = 0; j < 4; ++j) EXPECT_EQ(M->rowvec[j][0], 0.0);
}

TEST(MatrixRecordCopy, DeepCopyOfEveryField)
{
  zonix::Matrix M = numbered(3, 2, {2});
  M->rowvec[1][0] = 5.0;
  M->representation = dd_Inequality;
  M->numbtype = dd_Rational;
  M->objective = dd_LPmin;
  zonix::Matrix C(dd_MatrixCopy(M.get()));
  ASSERT_TRUE(C);
  EXPECT_EQ(C->rowsize, 3);
  EXPECT_EQ(C->colsize, 2);
  EXPECT_EQ(row_ids(*C), (Ids{11, 21, 31}));
  EXPECT_EQ(C->matrix[2][1][0], 32.0);
  EXPECT_EQ(members(C->linset, 3), (Rows{2}));
  EXPECT_EQ(C->rowvec[1][0], 5.0);
  EXPECT_EQ(C->representation, dd_Inequality);
  EXPECT_EQ(C->numbtype, dd_Rational);
  EXPECT_EQ(C->objective, dd_LPmin);
  C->matrix[0][0][0] = -1.0;  // independent storage
  EXPECT_EQ(M->matrix[0][0][0], 11.0);

  zonix::Matrix D(dd_CopyMatrix(M.get()));
  EXPECT_EQ(row_ids(*D), (Ids{11, 21, 31}));
  EXPECT_EQ(dd_MatrixCopy(nullptr), nullptr);
}

TEST(MatrixRecordCopy, NegativeSizeGivesNull)
{
  zonix::Matrix M = numbered(2, 2);
  M->rowsize = -1;
  EXPECT_EQ(dd_MatrixCopy(M.get()), nullptr);
  M->rowsize = 2;
  M->colsize = -1;
  EXPECT_EQ(dd_MatrixCopy(M.get()), nullptr);
  M->colsize = 2;
}

TEST(MatrixRecordAppend, RowsAndLinearitiesFollowOneAnother)
{
  zonix::Matrix A = numbered(2, 3, {1});
  zonix::Matrix B = numbered(3, 3, {2});
  for (long i = 0; i < 3; ++i) B->matrix[i][0][0] += 100;  // tell apart
  A->rowvec[0][0] = 7.0;
  B->rowvec[0][0] = 8.0;
  A->numbtype = dd_Real;
  A->representation = dd_Inequality;
  A->objective = dd_LPmax;
  zonix::Matrix C(dd_MatrixAppend(A.get(), B.get()));
  ASSERT_TRUE(C);
  EXPECT_EQ(C->rowsize, 5);
  EXPECT_EQ(C->colsize, 3);
  EXPECT_EQ(row_ids(*C), (Ids{11, 21, 111, 121, 131}));
  EXPECT_EQ(C->matrix[4][2][0], 33.0);
  EXPECT_EQ(members(C->linset, 5), (Rows{1, 4}));
  EXPECT_EQ(C->rowvec[0][0], 7.0);
  EXPECT_EQ(C->numbtype, dd_Real);
  EXPECT_EQ(C->representation, dd_Unspecified);
  EXPECT_EQ(C->objective, dd_LPnone);

  zonix::Matrix D(dd_AppendMatrix(B.get(), A.get()));
  EXPECT_EQ(row_ids(*D), (Ids{111, 121, 131, 11, 21}));
  EXPECT_EQ(members(D->linset, 5), (Rows{2, 4}));
}

TEST(MatrixRecordAppend, EmptyOperandsAndSizeMismatch)
{
  zonix::Matrix E = zonix::make_matrix(0, 2);
  zonix::Matrix A = numbered(2, 2, {2});
  zonix::Matrix C(dd_MatrixAppend(E.get(), A.get()));
  ASSERT_TRUE(C);
  EXPECT_EQ(row_ids(*C), (Ids{11, 21}));
  EXPECT_EQ(members(C->linset, 2), (Rows{2}));

  zonix::Matrix W = numbered(2, 3);
  EXPECT_EQ(dd_MatrixAppend(A.get(), W.get()), nullptr);
  W->rowsize = -1;
  W->colsize = 2;
  EXPECT_EQ(dd_MatrixAppend(A.get(), W.get()), nullptr);
  W->rowsize = 2;
  W->colsize = 3;
}

TEST(MatrixRecordAppend, AppendToReplacesOrLeavesUntouched)
{
  dd_MatrixPtr M = numbered(1, 2).release();
  zonix::Matrix B = numbered(2, 2, {1});
  EXPECT_TRUE(dd_MatrixAppendTo(&M, B.get()));
  EXPECT_EQ(row_ids(*M), (Ids{11, 11, 21}));
  EXPECT_EQ(members(M->linset, 3), (Rows{2}));

  zonix::Matrix W = numbered(1, 5);
  dd_MatrixPtr before = M;
  EXPECT_FALSE(dd_MatrixAppendTo(&M, W.get()));
  EXPECT_EQ(M, before);
  EXPECT_EQ(M->rowsize, 3);
  dd_FreeMatrix(M);
}

TEST(MatrixRecordRowRemove, LaterRowsMoveUpWithTheirMarks)
{
  dd_MatrixPtr M = numbered(4, 2, {3, 4}).release();
  EXPECT_FALSE(dd_MatrixRowRemove(&M, 0));
  EXPECT_FALSE(dd_MatrixRowRemove(&M, 5));
  EXPECT_EQ(M->rowsize, 4);
  EXPECT_TRUE(dd_MatrixRowRemove(&M, 2));
  EXPECT_EQ(M->rowsize, 3);
  EXPECT_EQ(row_ids(*M), (Ids{11, 31, 41}));
  EXPECT_EQ(M->matrix[2][1][0], 42.0);
  EXPECT_EQ(members(M->linset, 4), (Rows{2, 3}));
  EXPECT_TRUE(dd_MatrixRowRemove(&M, 2));  // a marked row loses its mark
  EXPECT_EQ(row_ids(*M), (Ids{11, 41}));
  EXPECT_EQ(members(M->linset, 4), (Rows{2}));
  dd_FreeMatrix(M);
}

// Removing the last remaining row must not leave the released row in slot 0,
// where dd_FreeMatrix would release it a second time.
TEST(MatrixRecordRowRemove, RemovingEveryRowKeepsRecordFreeable)
{
  dd_MatrixPtr M = numbered(2, 3, {1}).release();
  EXPECT_TRUE(dd_MatrixRowRemove(&M, 1));
  EXPECT_TRUE(dd_MatrixRowRemove(&M, 1));
  EXPECT_EQ(M->rowsize, 0);
  EXPECT_EQ(members(M->linset, 2), (Rows{}));
  EXPECT_FALSE(dd_MatrixRowRemove(&M, 1));
  zonix::Matrix C(dd_MatrixCopy(M));
  ASSERT_TRUE(C);
  EXPECT_EQ(C->rowsize, 0);
  zonix::Matrix A = numbered(1, 3);
  EXPECT_TRUE(dd_MatrixAppendTo(&M, A.get()));
  EXPECT_EQ(row_ids(*M), (Ids{11}));
  dd_FreeMatrix(M);
}

TEST(MatrixRecordSubmatrix, KeptRowsRenumberedWithMarks)
{
  zonix::Matrix M = numbered(4, 2, {2, 4});
  M->representation = dd_Generator;
  M->objective = dd_LPmax;
  M->numbtype = dd_Integer;
  M->rowvec[1][0] = 3.0;
  zonix::Set del = zonix::make_set(4);
  set_addelem(del.get(), 1);
  set_addelem(del.get(), 3);
  zonix::Matrix S(dd_MatrixSubmatrix(M.get(), del.get()));
  ASSERT_TRUE(S);
  EXPECT_EQ(S->rowsize, 2);
  EXPECT_EQ(S->colsize, 2);
  EXPECT_EQ(row_ids(*S), (Ids{21, 41}));
  EXPECT_EQ(members(S->linset, 2), (Rows{1, 2}));
  EXPECT_EQ(S->representation, dd_Generator);
  EXPECT_EQ(S->objective, dd_LPmax);
  EXPECT_EQ(S->numbtype, dd_Integer);
  EXPECT_EQ(S->rowvec[1][0], 3.0);

  zonix::Set none = zonix::make_set(4);
  zonix::Matrix T(dd_MatrixSubmatrix(M.get(), none.get()));
  EXPECT_EQ(row_ids(*T), (Ids{11, 21, 31, 41}));
  EXPECT_EQ(members(T->linset, 4), (Rows{2, 4}));
}

// Members of a delete set beyond the last row have no row to drop; counting
// them would shrink the new record below the rows copied into it.
TEST(MatrixRecordSubmatrix, MembersBeyondLastRowAreIgnored)
{
  zonix::Matrix M = numbered(3, 2);
  zonix::Set del = zonix::make_set(10);
  set_addelem(del.get(), 2);
  set_addelem(del.get(), 7);
  set_addelem(del.get(), 9);
  zonix::Matrix S(dd_MatrixSubmatrix(M.get(), del.get()));
  ASSERT_TRUE(S);
  EXPECT_EQ(S->rowsize, 2);
  EXPECT_EQ(row_ids(*S), (Ids{11, 31}));
}

TEST(MatrixRecordFilter, DoubleEntriesStayAsTheyAre)
{
  zonix::Matrix M = numbered(2, 2);
  M->matrix[0][1][0] = 1.4;
  M->matrix[1][0][0] = -2.6;
  dd_MatrixIntegerFilter(M.get());
  EXPECT_EQ(M->matrix[0][1][0], 1.4);
  EXPECT_EQ(M->matrix[1][0][0], -2.6);
  EXPECT_EQ(M->matrix[1][1][0], 22.0);
  mytype y, x = {0.7};
  dd_SnapToInteger(y, x);
  EXPECT_EQ(y[0], 0.7);
}
