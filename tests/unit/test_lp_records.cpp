// LP records: creation defaults, the LP of a matrix (equations doubled),
// row edits, solution snapshots, number-type words and the LP printout.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

using Row = std::vector<double>;

zonix::Matrix matrix_of(const std::vector<Row> &rows, const Row &obj,
                        dd_LPObjectiveType sense,
                        std::initializer_list<long> lin = {})
{
  const long m = static_cast<long>(rows.size());
  const long d = static_cast<long>(obj.size());
  zonix::Matrix M = zonix::make_matrix(m, d);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < d; ++j) M->matrix[i][j][0] = rows[i][j];
  for (long j = 0; j < d; ++j) M->rowvec[j][0] = obj[j];
  for (long r : lin) set_addelem(M->linset, r);
  M->objective = sense;
  M->numbtype = dd_Real;
  M->representation = dd_Inequality;
  return M;
}

Row lp_row(const dd_lpdata &lp, long i)
{
  Row r;
  for (long j = 0; j < lp.d; ++j) r.push_back(lp.A[i - 1][j][0]);
  return r;
}

std::vector<long> members(set_type s)
{
  std::vector<long> out;
  for (long e = 1; e <= set_groundsize(s); ++e)
    if (set_member(e, s)) out.push_back(e);
  return out;
}

// Everything f received, read back from the start.
std::string contents(FILE *f)
{
  std::rewind(f);
  std::string s;
  int c;
  while ((c = std::fgetc(f)) != EOF) s.push_back(static_cast<char>(c));
  return s;
}

}  // namespace

TEST(LpRecordsCreate, FieldsAndSizes)
{
  zonix::LP lp(dd_CreateLPData(dd_LPmin, dd_Real, 4, 3));
  ASSERT_TRUE(lp);
  EXPECT_EQ(lp->objective, dd_LPmin);
  EXPECT_EQ(lp->numbtype, dd_Real);
  EXPECT_EQ(lp->solver, dd_DualSimplex);
  EXPECT_EQ(lp->LPS, dd_LPSundecided);
  EXPECT_EQ(lp->m, 4);
  EXPECT_EQ(lp->d, 3);
  EXPECT_EQ(lp->objrow, 4);
  EXPECT_EQ(lp->rhscol, 1);
  EXPECT_EQ(lp->m_alloc, 6);
  EXPECT_EQ(lp->d_alloc, 5);
  EXPECT_EQ(lp->eqnumber, 0);
  EXPECT_EQ(lp->Homogeneous, 0);
  EXPECT_EQ(lp->use_given_basis, 0);
  EXPECT_EQ(lp->re, 0);
  EXPECT_EQ(lp->se, 0);
  EXPECT_EQ(lp->total_pivots, 0);
  for (long k = 0; k < 5; ++k) EXPECT_EQ(lp->pivots[k], 0);
  EXPECT_EQ(lp->optvalue[0], 0.0);
  EXPECT_EQ(set_groundsize(lp->equalityset), 4);
  EXPECT_TRUE(members(lp->equalityset).empty());
  // Every allocated cell, spare rows and columns included, reads zero.
  for (long i = 0; i < lp->m_alloc; ++i)
    for (long j = 0; j < lp->d_alloc; ++j) EXPECT_EQ(lp->A[i][j][0], 0.0);
  for (long i = 0; i < lp->d_alloc; ++i)
    for (long j = 0; j < lp->d_alloc; ++j) EXPECT_EQ(lp->B[i][j][0], 0.0);
  for (long j = 0; j < lp->d_alloc; ++j) {
    EXPECT_EQ(lp->sol[j][0], 0.0);
    EXPECT_EQ(lp->dsol[j][0], 0.0);
  }
  for (long j = 0; j <= lp->d; ++j) {
    EXPECT_EQ(lp->nbindex[j], 0);
    EXPECT_EQ(lp->given_nbindex[j], 0);
  }
  for (char c : lp->filename) EXPECT_EQ(c, '\0');
}

TEST(LpRecordsCreate, NegativeSizesGiveNoRecordAndFreeNullIsHarmless)
{
  EXPECT_EQ(dd_CreateLPData(dd_LPmax, dd_Real, -1, 2), nullptr);
  EXPECT_EQ(dd_CreateLPData(dd_LPmax, dd_Real, 2, -1), nullptr);
  dd_FreeLPData(nullptr);
  dd_FreeLPSolution(nullptr);
  EXPECT_EQ(dd_CopyLPSolution(nullptr), nullptr);
}

TEST(LpRecordsMatrix2LP, OneEqualityAddsItsNegatedCopy)
{
  zonix::Matrix M = matrix_of({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {0, -1, 1},
                              dd_LPmax, {2});
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  ASSERT_TRUE(lp);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(lp->m, 5);
  EXPECT_EQ(lp->d, 3);
  EXPECT_EQ(lp->objrow, 5);
  EXPECT_EQ(lp->rhscol, 1);
  EXPECT_EQ(lp->objective, dd_LPmax);
  EXPECT_EQ(lp->numbtype, dd_Real);
  EXPECT_EQ(lp->eqnumber, 1);
  EXPECT_EQ(members(lp->equalityset), (std::vector<long>{2}));
  EXPECT_EQ(set_groundsize(lp->equalityset), 5);
  EXPECT_EQ(lp_row(*lp, 1), (Row{1, 2, 3}));
  EXPECT_EQ(lp_row(*lp, 2), (Row{4, 5, 6}));
  EXPECT_EQ(lp_row(*lp, 3), (Row{7, 8, 9}));
  EXPECT_EQ(lp_row(*lp, 4), (Row{-4, -5, -6}));
  EXPECT_EQ(lp_row(*lp, 5), (Row{0, -1, 1}));
  // Scratch row m+1 and the spare columns stay zero.
  for (long j = 0; j < lp->d_alloc; ++j) EXPECT_EQ(lp->A[5][j][0], 0.0);
  for (long i = 0; i < 5; ++i) {
    EXPECT_EQ(lp->A[i][3][0], 0.0);
    EXPECT_EQ(lp->A[i][4][0], 0.0);
  }
  // The input is left to its owner, unchanged.
  EXPECT_EQ(M->matrix[1][0][0], 4.0);
}

TEST(LpRecordsMatrix2LP, ReversedCopiesFollowIncreasingRowNumbers)
{
  zonix::Matrix M = matrix_of({{1, 1}, {2, 1}, {3, 1}, {4, 1}}, {0, 1},
                              dd_LPmin, {3, 1});
  dd_ErrorType err;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  ASSERT_TRUE(lp);
  EXPECT_EQ(lp->m, 7);
  EXPECT_EQ(lp->eqnumber, 2);
  EXPECT_EQ(members(lp->equalityset), (std::vector<long>{1, 3}));
  EXPECT_EQ(lp_row(*lp, 5), (Row{-1, -1}));
  EXPECT_EQ(lp_row(*lp, 6), (Row{-3, -1}));
  EXPECT_EQ(lp_row(*lp, 7), (Row{0, 1}));
}

TEST(LpRecordsMatrix2LP, HomogeneousFlagIgnoresTheLastRow)
{
  dd_ErrorType err;
  {
    zonix::Matrix M =
        matrix_of({{0, 1, 0}, {0, 0, 1}, {5, 1, 1}}, {0, 1, 1}, dd_LPmax);
    zonix::LP lp(dd_Matrix2LP(M.get(), &err));
    EXPECT_EQ(lp->Homogeneous, dd_TRUE);
  }
  {
    zonix::Matrix M =
        matrix_of({{0, 1, 0}, {1e-6, 0, 1}, {0, 1, 1}}, {0, 1, 1}, dd_LPmax);
    zonix::LP lp(dd_Matrix2LP(M.get(), &err));
    EXPECT_EQ(lp->Homogeneous, dd_FALSE);
  }
  {
    // Within the tolerance counts as zero.
    zonix::Matrix M =
        matrix_of({{1e-8, 1, 0}, {0, 0, 1}, {0, 1, 1}}, {0, 1, 1}, dd_LPmax);
    zonix::LP lp(dd_Matrix2LP(M.get(), &err));
    EXPECT_EQ(lp->Homogeneous, dd_TRUE);
  }
}

TEST(LpRecordsMatrix2LP, NoObjectiveAndNoRowsStillGiveAnLP)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::Matrix M = matrix_of({{1, -1}}, {0, 1}, dd_LPnone);
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  ASSERT_TRUE(lp);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(lp->objective, dd_LPnone);

  zonix::Matrix E = matrix_of({}, {0, 3, 4}, dd_LPmax);
  zonix::LP lp0(dd_Matrix2LP(E.get(), &err));
  ASSERT_TRUE(lp0);
  EXPECT_EQ(lp0->m, 1);
  EXPECT_EQ(lp_row(*lp0, 1), (Row{0, 3, 4}));
}

TEST(LpRecordsMatrix2LP, NullMatrixIsReportedNotDereferenced)
{
  dd_ErrorType err = dd_NoError;
  EXPECT_EQ(dd_Matrix2LP(nullptr, &err), nullptr);
  EXPECT_EQ(err, dd_EmptyRepresentation);
}

TEST(LpRecordsEdit, ReverseTwiceRestoresAndRangeIsChecked)
{
  zonix::Matrix M = matrix_of({{1, -2}, {0, 3}}, {0, 1}, dd_LPmax);
  dd_ErrorType err;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  lp->LPS = dd_Optimal;
  EXPECT_EQ(dd_LPReverseRow(lp.get(), 1), 1);
  EXPECT_EQ(lp_row(*lp, 1), (Row{-1, 2}));
  EXPECT_EQ(lp->LPS, dd_LPSundecided);
  EXPECT_EQ(dd_LPReverseRow(lp.get(), 1), 1);
  EXPECT_EQ(lp_row(*lp, 1), (Row{1, -2}));
  EXPECT_EQ(lp->LPS, dd_LPSundecided);

  // The objective row may be reversed too.
  EXPECT_EQ(dd_LPReverseRow(lp.get(), 3), 1);
  EXPECT_EQ(lp_row(*lp, 3), (Row{0, -1}));

  lp->LPS = dd_Optimal;
  EXPECT_EQ(dd_LPReverseRow(lp.get(), 0), 0);
  EXPECT_EQ(dd_LPReverseRow(lp.get(), 4), 0);
  EXPECT_EQ(dd_LPReverseRow(nullptr, 1), 0);
  EXPECT_EQ(lp->LPS, dd_Optimal);
  EXPECT_EQ(lp_row(*lp, 1), (Row{1, -2}));
  EXPECT_EQ(lp_row(*lp, 2), (Row{0, 3}));
}

TEST(LpRecordsEdit, ReplaceAndCopyRow)
{
  zonix::Matrix M = matrix_of({{1, -2}, {0, 3}}, {0, 1}, dd_LPmax);
  dd_ErrorType err;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  mytype a[2];
  a[0][0] = 7;
  a[1][0] = -8;
  lp->LPS = dd_Optimal;
  EXPECT_EQ(dd_LPReplaceRow(lp.get(), 2, a), 1);
  EXPECT_EQ(lp_row(*lp, 2), (Row{7, -8}));
  EXPECT_EQ(lp->LPS, dd_LPSundecided);

  lp->LPS = dd_Optimal;
  EXPECT_EQ(dd_LPReplaceRow(lp.get(), 0, a), 0);
  EXPECT_EQ(dd_LPReplaceRow(lp.get(), 4, a), 0);
  EXPECT_EQ(dd_LPReplaceRow(lp.get(), 1, nullptr), 0);
  EXPECT_EQ(lp->LPS, dd_Optimal);
  EXPECT_EQ(lp_row(*lp, 1), (Row{1, -2}));

  dd_Arow c = dd_LPCopyRow(lp.get(), 1);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c[0][0], 1.0);
  EXPECT_EQ(c[1][0], -2.0);
  c[0][0] = 99;  // a copy, not a view
  EXPECT_EQ(lp->A[0][0][0], 1.0);
  dd_FreeArow(lp->d, c);
  EXPECT_EQ(dd_LPCopyRow(lp.get(), 0), nullptr);
  EXPECT_EQ(dd_LPCopyRow(lp.get(), 4), nullptr);
}

TEST(LpRecordsSnapshot, CopyIsDetachedAndDropsEvidence)
{
  zonix::LP lp(dd_CreateLPData(dd_LPmin, dd_Real, 3, 2));
  std::memset(lp->filename, 'x', sizeof(lp->filename));
  lp->filename[254] = 'z';
  lp->solver = dd_CrissCross;
  lp->LPS = dd_Inconsistent;
  lp->optvalue[0] = -2.5;
  for (long j = 0; j < lp->d_alloc; ++j) {
    lp->sol[j][0] = 10 + j;
    lp->dsol[j][0] = 20 + j;
  }
  lp->nbindex[0] = 0;
  lp->nbindex[1] = 2;
  lp->nbindex[2] = -2;
  lp->re = 2;
  lp->se = 1;
  for (long k = 0; k < 5; ++k) lp->pivots[k] = k + 1;
  lp->total_pivots = 15;

  zonix::LPSolution s(dd_CopyLPSolution(lp.get()));
  lp.reset();  // the copy must not depend on the record
  ASSERT_TRUE(s);
  EXPECT_EQ(std::memcmp(s->filename, std::string(254, 'x').c_str(), 254), 0);
  EXPECT_EQ(s->filename[254], 'z');
  EXPECT_EQ(s->objective, dd_LPmin);
  EXPECT_EQ(s->solver, dd_CrissCross);
  EXPECT_EQ(s->m, 3);
  EXPECT_EQ(s->d, 2);
  EXPECT_EQ(s->numbtype, dd_Real);
  EXPECT_EQ(s->LPS, dd_Inconsistent);
  EXPECT_EQ(s->optvalue[0], -2.5);
  for (long j = 0; j <= 2; ++j) {
    EXPECT_EQ(s->sol[j][0], 10.0 + j);
    EXPECT_EQ(s->dsol[j][0], 20.0 + j);
  }
  EXPECT_EQ(s->nbindex[1], 2);
  EXPECT_EQ(s->nbindex[2], -2);
  EXPECT_EQ(s->re, 0);
  EXPECT_EQ(s->se, 0);
  for (long k = 0; k < 5; ++k) EXPECT_EQ(s->pivots[k], k + 1);
  EXPECT_EQ(s->total_pivots, 15);
}

TEST(LpRecordsNumberType, PrefixWordsAndCaseSensitivity)
{
  struct Case {
    const char *line;
    dd_NumberType expect;
    bool error;
  };
  const Case cases[] = {
      {"integer", dd_Integer, false},   {"rational", dd_Rational, false},
      {"real", dd_Real, false},         {"realistic", dd_Real, false},
      {"integers 3", dd_Integer, false}, {"Real", dd_Unknown, true},
      {"rationa", dd_Unknown, true},    {"", dd_Unknown, true},
      {"float", dd_Unknown, true},
  };
  for (const Case &c : cases) {
    std::string buf = c.line;
    dd_NumberType nt = dd_Rational;
    dd_ErrorType err = dd_NoError;
    dd_SetNumberType(buf.data(), &nt, &err);
    EXPECT_EQ(nt, c.expect) << c.line;
    EXPECT_EQ(err, c.error ? dd_ImproperInputFormat : dd_NoError) << c.line;
  }
}

TEST(LpRecordsWrite, ConstraintsThenSenseAndObjective)
{
  zonix::Matrix M = matrix_of({{1, -1}, {0, 1}}, {0, 1}, dd_LPmin);
  dd_ErrorType err;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  FILE *f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  dd_WriteLP(f, lp.get());
  EXPECT_EQ(contents(f),
            "H-representation\nbegin\n 2 2 real\n  1 -1\n  0  1\nend\n"
            "minimize\n  0  1\n");
  std::fclose(f);

  lp->objective = dd_LPmax;
  f = std::tmpfile();
  dd_WriteLP(f, lp.get());
  EXPECT_NE(contents(f).find("end\nmaximize\n  0  1\n"), std::string::npos);
  std::fclose(f);

  lp->objective = dd_LPnone;
  f = std::tmpfile();
  dd_WriteLP(f, lp.get());
  EXPECT_EQ(contents(f), "H-representation\nbegin\n 2 2 real\n  1 -1\n  0  1\nend\n");
  std::fclose(f);

  f = std::tmpfile();
  dd_WriteLP(f, nullptr);
  EXPECT_EQ(contents(f), "WriteLP: The requested lp is empty\n");
  std::fclose(f);
}
