// The writers of the text format: matrices, set families, incidence and
// adjacency files, rays; and the round trip of dd_WriteMatrix through the
// reader.  Expected texts are written out by hand from the notation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

#include "capture.hpp"

namespace {

using Rows = std::vector<std::vector<double>>;

using zonix_test::capture;

zonix::Matrix make(const Rows &rows, dd_RepresentationType rep, std::vector<long> lin = {})
{
  dd_set_global_constants();
  const long m = static_cast<long>(rows.size());
  const long d = rows.empty() ? 0 : static_cast<long>(rows[0].size());
  auto M = zonix::make_matrix(m, d);
  M->representation = rep;
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < d; ++j) M->matrix[i][j][0] = rows[i][j];
  for (long i : lin) set_addelem(M->linset, i);
  return M;
}

zonix::Matrix read_back(const std::string &text, dd_ErrorType *err)
{
  FILE *f = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  testing::internal::CaptureStderr();
  zonix::Matrix M(dd_PolyFile2Matrix(f, err));
  testing::internal::GetCapturedStderr();
  std::fclose(f);
  return M;
}

// The unit square [0,1]^2 as inequalities.
const Rows kSquareH = {{0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}};
// Its four vertices.
const Rows kSquareV = {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}};

// ---- matrices ---------------------------------------------------------------------

TEST(FileIoWrite, MatrixWithLinearityAndObjective)
{
  auto M = make({{1, 2.5}, {0, -1}, {3, 0}}, dd_Inequality, {1, 3});
  M->objective = dd_LPmax;
  M->rowvec[0][0] = 0;
  M->rowvec[1][0] = 1;
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteMatrix(f, M.get()); }),
            "H-representation\n"
            "linearity 2  1 3\n"
            "begin\n"
            " 3 2 real\n"
            "  1  2.500000000E+00\n"
            "  0 -1\n"
            "  3  0\n"
            "end\n"
            "maximize\n"
            "  0  1\n");
  M->representation = dd_Generator;
  M->objective = dd_LPmin;
  set_emptyset(M->linset);
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteMatrix(f, M.get()); }),
            "V-representation\nbegin\n 3 2 real\n  1  2.500000000E+00\n  0 -1\n  3  0\nend\n"
            "minimize\n  0  1\n");
  M->representation = dd_Unspecified;
  M->objective = dd_LPnone;
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteMatrix(f, M.get()); }),
            "begin\n 3 2 real\n  1  2.500000000E+00\n  0 -1\n  3  0\nend\n");
  EXPECT_EQ(capture([](FILE *f) { dd_WriteMatrix(f, nullptr); }),
            "WriteMatrix: The requested matrix is empty\n");
}

// ---- round trip -----------------------------------------------------------------------

// The value a number has after printing: the notation writes a number
// within 0.00005 of an integer as that integer, any other with ten
// significant digits.
void expect_printed_equal(double written, double read, const std::string &where)
{
  const double r = std::round(written);
  if (std::fabs(written) < 214748.3647 && std::fabs(written - r) < 0.00005) {
    EXPECT_EQ(read, r) << where << ": " << written;
  } else {
    EXPECT_NEAR(read, written, 5.1e-10 * std::fabs(written)) << where;
  }
}

double random_value(std::mt19937_64 &rng)
{
  std::uniform_int_distribution<int> kind(0, 6);
  std::uniform_int_distribution<int> small(-20, 20);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-12, 12);
  switch (kind(rng)) {
    case 0: return 0.0;
    case 1: return small(rng);
    case 2: return small(rng) / 7.0;
    case 3: return unit(rng) * std::pow(10.0, exponent(rng));
    case 4: return small(rng) + 1e-6 * small(rng);  // near an integer
    case 5: return unit(rng) * 1e15;                // beyond the integer notation
    default: return unit(rng);
  }
}

TEST(FileIoWrite, EveryWrittenMatrixReadsBack)
{
  std::mt19937_64 rng(20261206);
  const dd_RepresentationType reps[] = {dd_Inequality, dd_Generator, dd_Unspecified};
  const dd_LPObjectiveType objs[] = {dd_LPnone, dd_LPmax, dd_LPmin};
  for (int trial = 0; trial < 300; ++trial) {
    const long m = std::uniform_int_distribution<long>(0, 12)(rng);
    // From one column: a file without columns is refused.
    const long d = std::uniform_int_distribution<long>(1, 7)(rng);
    auto M = zonix::make_matrix(m, d);
    M->representation = reps[trial % 3];
    M->objective = objs[(trial / 3) % 3];
    for (long i = 0; i < m; ++i) {
      for (long j = 0; j < d; ++j) M->matrix[i][j][0] = random_value(rng);
      if (rng() % 4 == 0) set_addelem(M->linset, i + 1);
    }
    for (long j = 0; j < d; ++j) M->rowvec[j][0] = random_value(rng);

    const std::string text = capture([&](FILE *f) { dd_WriteMatrix(f, M.get()); });
    dd_ErrorType err = dd_ImproperInputFormat;
    auto R = read_back(text, &err);
    const std::string where = "trial " + std::to_string(trial) + "\n" + text;
    ASSERT_NE(R, nullptr) << where;
    ASSERT_EQ(err, dd_NoError) << where;
    ASSERT_EQ(R->rowsize, m) << where;
    ASSERT_EQ(R->colsize, d) << where;
    // No representation line reads as the default, an H-representation.
    EXPECT_EQ(R->representation,
              M->representation == dd_Unspecified ? dd_Inequality : M->representation);
    EXPECT_EQ(R->numbtype, dd_Real);
    EXPECT_EQ(R->objective, M->objective) << where;
    for (long i = 1; i <= m; ++i)
      EXPECT_EQ(set_member(i, R->linset), set_member(i, M->linset)) << where << " row " << i;
    for (long i = 0; i < m; ++i)
      for (long j = 0; j < d; ++j)
        expect_printed_equal(M->matrix[i][j][0], R->matrix[i][j][0], where);
    if (M->objective != dd_LPnone)
      for (long j = 0; j < d; ++j) expect_printed_equal(M->rowvec[j][0], R->rowvec[j][0], where);

    // Writing what was read gives the same text.
    EXPECT_EQ(capture([&](FILE *f) { dd_WriteMatrix(f, R.get()); }),
              M->representation == dd_Unspecified ? "H-representation\n" + text : text);
  }
}

// ---- set families -------------------------------------------------------------------------

TEST(FileIoWrite, SetFamilyNotation)
{
  auto F = zonix::make_set_family(3, 10);
  for (long e = 1; e <= 10; ++e)
    if (e != 4) set_addelem(F->set[0], e);  // nine of ten
  set_addelem(F->set[1], 2);
  set_addelem(F->set[1], 7);  // set 3 stays empty
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteSetFamily(f, F.get()); }),
            "begin\n"
            "  3    10\n"
            " 1 9 : 1 2 3 5 6 7 8 9 10 \n"
            " 2 2 : 2 7 \n"
            " 3 0 : \n"
            "end\n");
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteSetFamilyCompressed(f, F.get()); }),
            "begin\n"
            "  3    10\n"
            " 1 -9 : 4 \n"
            " 2 2 : 2 7 \n"
            " 3 0 : \n"
            "end\n");
  // Half the ground set is not compressed.
  auto G = zonix::make_set_family(1, 4);
  set_addelem(G->set[0], 1);
  set_addelem(G->set[0], 3);
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteSetFamilyCompressed(f, G.get()); }),
            "begin\n  1    4\n 1 2 : 1 3 \nend\n");
  for (auto write : {dd_WriteSetFamily, dd_WriteSetFamilyCompressed})
    EXPECT_EQ(capture([&](FILE *f) { write(f, nullptr); }),
              "WriteSetFamily: The requested family is empty\n");
}

// ---- incidence and adjacency files ------------------------------------------------------------

zonix::Polyhedra convert(const Rows &rows, dd_RepresentationType rep)
{
  auto M = make(rows, rep);
  dd_ErrorType err = dd_ImproperInputFormat;
  auto P = zonix::make_polyhedra(M.get(), &err);
  EXPECT_EQ(err, dd_NoError);
  return P;
}

std::string first_line(const std::string &s) { return s.substr(0, s.find('\n') + 1); }

// The family lines after the header, as "i card : members" strings.
std::vector<std::string> family_lines(const std::string &s)
{
  std::vector<std::string> out;
  std::istringstream in(s);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line == "begin") {
      inside = true;
      std::getline(in, line);  // the sizes
      continue;
    }
    if (line == "end") break;
    if (inside) out.push_back(line);
  }
  return out;
}

TEST(FileIoWrite, IncidenceAndAdjacencyHeadersFollowTheInput)
{
  struct Case {
    void (*write)(FILE *, dd_PolyhedraPtr);
    const char *for_h;
    const char *for_v;
  };
  const Case cases[] = {
      {dd_WriteIncidence, "ecd_file: Incidence of generators and inequalities\n",
       "icd_file: Incidence of inequalities and generators\n"},
      {dd_WriteAdjacency, "ead_file: Adjacency of generators\n",
       "iad_file: Adjacency of inequalities\n"},
      {dd_WriteInputIncidence, "icd_file: Incidence of inequalities and generators\n",
       "ecd_file: Incidence of generators and inequalities\n"},
      {dd_WriteInputAdjacency, "iad_file: Adjacency of inequalities\n",
       "ead_file: Adjacency of generators\n"},
  };
  auto H = convert(kSquareH, dd_Inequality);
  auto V = convert(kSquareV, dd_Generator);
  for (const Case &c : cases) {
    EXPECT_EQ(first_line(capture([&](FILE *f) { c.write(f, H.get()); })), c.for_h);
    EXPECT_EQ(first_line(capture([&](FILE *f) { c.write(f, V.get()); })), c.for_v);
  }
  // No header for an unspecified representation.
  H->representation = dd_Unspecified;
  EXPECT_EQ(first_line(capture([&](FILE *f) { dd_WriteAdjacency(f, H.get()); })), "begin\n");
}

TEST(FileIoWrite, SquareAdjacencyAndIncidenceFiles)
{
  auto H = convert(kSquareH, dd_Inequality);
  // Four vertices, each adjacent to two others: sets of 2 out of 4, never
  // compressed.
  const auto adj = family_lines(capture([&](FILE *f) { dd_WriteAdjacency(f, H.get()); }));
  ASSERT_EQ(adj.size(), 4u);
  for (const auto &line : adj) EXPECT_NE(line.find(" 2 : "), std::string::npos) << line;
  // Every vertex lies on 2 of the 5 rows (the four facets and the row
  // x0 >= 0 added for the homogenisation).
  const std::string inc = capture([&](FILE *f) { dd_WriteIncidence(f, H.get()); });
  EXPECT_NE(inc.find("begin\n  4    5\n"), std::string::npos) << inc;
  for (const auto &line : family_lines(inc))
    EXPECT_NE(line.find(" 2 : "), std::string::npos) << line;
  // Input side: each facet holds 2 vertices and meets 2 facets; the row
  // x0 >= 0 holds none.
  const std::string iinc = capture([&](FILE *f) { dd_WriteInputIncidence(f, H.get()); });
  EXPECT_NE(iinc.find("begin\n  5    4\n"), std::string::npos) << iinc;
  const auto ilines = family_lines(iinc);
  ASSERT_EQ(ilines.size(), 5u);
  EXPECT_EQ(ilines[4], " 5 0 : ");
  EXPECT_EQ(family_lines(capture([&](FILE *f) { dd_WriteInputAdjacency(f, H.get()); }))[0],
            " 1 2 : 2 4 ");  // x1 >= 0 meets x2 >= 0 and x2 <= 1
}

TEST(FileIoWrite, FamiliesOfAnUnfinishedRunAreEmptyNotices)
{
  zonix::Polyhedra P(dd_CreatePolyhedraData(4, 3));  // never run
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteIncidence(f, P.get()); }),
            "ecd_file: Incidence of generators and inequalities\n"
            "WriteSetFamily: The requested family is empty\n");
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteAdjacency(f, nullptr); }),
            "WriteSetFamily: The requested family is empty\n");
}

TEST(FileIoWrite, RaysAreWrittenInInputCoordinates)
{
  auto H = convert(kSquareH, dd_Inequality);
  dd_ConePtr cone = H->child;
  ASSERT_NE(cone, nullptr);
  std::multiset<std::string> written;
  for (dd_RayPtr r = cone->FirstRay; r != nullptr; r = r->Next)
    if (r->feasible)
      written.insert(capture([&](FILE *f) {
        dd_WriteRay(f, cone->d_orig, r, dd_Generator, cone->newcol);
      }));
  // The vertices of the square, each scaled to first entry 1.
  const std::multiset<std::string> expected = {"  1  0  0\n", "  1  1  0\n", "  1  1  1\n",
                                               "  1  0  1\n"};
  EXPECT_EQ(written, expected);
  // A wider request grows the buffer: extra columns come out as zeros.
  std::vector<long> wide(8, 0);
  for (long j = 1; j <= cone->d_orig; ++j) wide[j] = cone->newcol[j];
  const std::string line = capture([&](FILE *f) {
    dd_WriteRay(f, 7, cone->FirstRay->feasible ? cone->FirstRay : cone->FirstRay->Next,
                dd_Generator, wide.data());
  });
  EXPECT_EQ(line.size(), 7u * 3u + 1u) << line;
  EXPECT_EQ(line.substr(9), "  0  0  0  0\n");
}

}  // namespace
