// Output file names, the file-to-file driver, interactive file choice and
// the run and LP reports.  Expected texts are written out by hand.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

#include "capture.hpp"

namespace {

namespace fs = std::filesystem;

using zonix_test::capture;

std::string slurp(const fs::path &p)
{
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A fresh scratch directory for one test.
fs::path scratch(const char *name)
{
  fs::path dir = fs::temp_directory_path() /
                 ("zonix-report-" + std::to_string(getpid()) + "-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string derived(const char *input, char code, dd_RepresentationType rep)
{
  dd_DataFileType in{};
  dd_DataFileType out{};
  std::strncpy(in, input, sizeof in - 1);
  dd_SetWriteFileName(in, out, code, rep);
  return out;
}

// ---- output file names ------------------------------------------------------------

TEST(FileIoReport, WriteFileNameExamples)
{
  EXPECT_EQ(derived("cube.ine", 'o', dd_Inequality), "cube.ext");
  EXPECT_EQ(derived("a.ine", 'o', dd_Inequality), "a.ine.ext");  // dot at position 1
  EXPECT_EQ(derived("", 's', dd_Inequality), "tempzonix.lps");
  EXPECT_EQ(derived("x.ine", 'o', dd_Generator), "x.ine.ine");  // never the input itself
  EXPECT_EQ(derived("dir.d/cube", 'o', dd_Inequality), "dir.ext");  // the last dot counts
  EXPECT_EQ(derived("noext", 'a', dd_Generator), "noext.iad");
}

TEST(FileIoReport, WriteFileNameExtensionTable)
{
  struct Row {
    char code;
    const char *h, *v, *other;
  };
  const Row table[] = {
      {'o', ".ext", ".ine", ".xxx"},       {'a', ".ead", ".iad", ".iad"},
      {'i', ".ecd", ".icd", ".icd"},       {'j', ".iad", ".ead", ".ead"},
      {'n', ".icd", ".ecd", ".ecd"},       {'l', ".ddl", ".ddl", ".ddl"},
      {'d', ".dex", ".dex", ".dex"},       {'p', "sub.ine", "sub.ine", "sub.ine"},
      {'s', ".lps", ".lps", ".lps"},       {'v', ".solved", ".solved", ".solved"},
      {'z', ".xxx", ".xxx", ".xxx"},
  };
  for (const Row &r : table) {
    EXPECT_EQ(derived("poly.txt", r.code, dd_Inequality), std::string("poly") + r.h) << r.code;
    EXPECT_EQ(derived("poly.txt", r.code, dd_Generator), std::string("poly") + r.v) << r.code;
    EXPECT_EQ(derived("poly.txt", r.code, dd_Unspecified), std::string("poly") + r.other)
        << r.code;
  }
}

TEST(FileIoReport, WriteFileNameStaysInsideItsBuffer)
{
  // A 254-character name: the derived one is cut to fit the buffer.
  const std::string longname(250, 'n');
  const std::string name = longname + ".ine";
  dd_DataFileType in{};
  std::memcpy(in, name.data(), name.size());
  struct {
    dd_DataFileType out;
    char guard[16];
  } buf;
  std::memset(&buf, 'G', sizeof buf);
  dd_SetWriteFileName(in, buf.out, 'p', dd_Inequality);
  EXPECT_EQ(std::strlen(buf.out), sizeof(dd_DataFileType) - 1);
  EXPECT_EQ(std::string(buf.out), (longname + "sub.ine").substr(0, 254));
  for (char g : buf.guard) EXPECT_EQ(g, 'G');
}

// ---- the file-to-file driver ---------------------------------------------------------

TEST(FileIoReport, DDFile2FileConvertsAFile)
{
  const fs::path dir = scratch("convert");
  const fs::path in = dir / "square.ine";
  std::ofstream(in) << "H-representation\nbegin\n4 3 integer\n"
                       "0 1 0\n0 0 1\n1 -1 0\n1 0 -1\nend\n";
  const fs::path out = dir / "square.ext";
  dd_ErrorType err = dd_ImproperInputFormat;
  std::string ifile = in.string(), ofile = out.string();
  testing::internal::CaptureStderr();
  const dd_boolean ok = dd_DDFile2File(ifile.data(), ofile.data(), &err);
  const std::string notes = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(ok);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_NE(notes.find("input file " + ifile + " is open\n"), std::string::npos);
  EXPECT_NE(notes.find("output file " + ofile + " is open\n"), std::string::npos);
  const std::string text = slurp(out);
  EXPECT_EQ(text.rfind("* roworder: lexmin\nV-representation\nbegin\n 4 3 real\n", 0), 0u)
      << text;
  for (const char *vertex : {"  1  0  0\n", "  1  1  0\n", "  1  0  1\n", "  1  1  1\n"})
    EXPECT_NE(text.find(vertex), std::string::npos) << vertex;
  fs::remove_all(dir);
}

TEST(FileIoReport, DDFile2FileOpenFailures)
{
  const fs::path dir = scratch("fail");
  std::string missing = (dir / "missing.ine").string();
  std::string out = (dir / "out.ext").string();
  dd_ErrorType err = dd_NoError;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(dd_DDFile2File(missing.data(), out.data(), &err));
  std::string notes = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, dd_IFileNotFound);
  EXPECT_NE(notes.find("The input file " + missing + " not found\n"), std::string::npos);
  EXPECT_NE(notes.find("*Input Error: Specified input file does not exist.\n"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(out));

  // An output name that is a directory cannot be opened for writing.
  std::string in = (dir / "v.ext").string();
  std::ofstream(in) << "V-representation\nbegin\n1 2 real\n1 3\nend\n";
  std::string bad = dir.string();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(dd_DDFile2File(in.data(), bad.data(), &err));
  notes = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, dd_OFileNotOpen);
  EXPECT_NE(notes.find("The output file " + bad + " cannot be opened\n"), std::string::npos);
  fs::remove_all(dir);
}

TEST(FileIoReport, DDFile2FileReportsMalformedInput)
{
  const fs::path dir = scratch("malformed");
  std::string in = (dir / "bad.ine").string();
  std::string out = (dir / "bad.ext").string();
  std::ofstream(in) << "begin\n2 2 real\n1 x\nend\n";
  dd_ErrorType err = dd_NoError;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(dd_DDFile2File(in.data(), out.data(), &err));  // the files opened
  const std::string notes = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, dd_ImproperInputFormat);
  EXPECT_NE(notes.find("*Input Error: Input format is not correct.\n"), std::string::npos);
  fs::remove_all(dir);
}

// ---- choosing the input file on the terminal -------------------------------------------

// Runs dd_SetInputFile with standard input read from answers.
dd_ErrorType ask(const std::string &answers, FILE **f, std::string *prompts, std::string *name)
{
  const fs::path dir = scratch("ask");
  const fs::path in = dir / "answers.txt";
  std::ofstream(in) << answers;
  std::fflush(stdin);
  const int saved = dup(0);
  FILE *redirected = std::freopen(in.c_str(), "r", stdin);
  EXPECT_NE(redirected, nullptr);
  dd_DataFileType buf{};
  dd_ErrorType err = dd_NoError;
  testing::internal::CaptureStderr();
  dd_SetInputFile(f, buf, &err);
  *prompts = testing::internal::GetCapturedStderr();
  *name = buf;
  dup2(saved, 0);
  close(saved);
  std::clearerr(stdin);
  fs::remove_all(dir);
  return err;
}

TEST(FileIoReport, SetInputFileRetriesUntilAFileOpens)
{
  const fs::path dir = scratch("target");
  const std::string good = (dir / "good.ine").string();
  std::ofstream(good) << "begin 1 1 real 1 end\n";
  FILE *f = nullptr;
  std::string prompts, name;
  const std::string missing = (dir / "nothere.ine").string();
  EXPECT_EQ(ask(missing + "\n" + good + ";comment\n", &f, &prompts, &name), dd_NoError);
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(name, good);
  EXPECT_EQ(prompts, "\n>> Input file: The file " + missing + " not found\n" +
                         "\n>> Input file: input file " + good + " is open\n");
  fs::remove_all(dir);
}

TEST(FileIoReport, SetInputFileGivesUpAfterSixNames)
{
  FILE *f = nullptr;
  std::string prompts, name;
  std::string answers;
  for (int k = 1; k <= 8; ++k) answers += "/nonexistent/zonix-" + std::to_string(k) + "\n";
  EXPECT_EQ(ask(answers, &f, &prompts, &name), dd_IFileNotFound);
  EXPECT_EQ(f, nullptr);
  std::size_t count = 0;
  for (auto p = prompts.find(">> Input file: "); p != std::string::npos;
       p = prompts.find(">> Input file: ", p + 1))
    ++count;
  EXPECT_EQ(count, 6u);
  EXPECT_NE(prompts.find("zonix-6 not found"), std::string::npos);
  EXPECT_EQ(prompts.find("zonix-7"), std::string::npos);
  // End of input ends the questions at once.
  EXPECT_EQ(ask("", &f, &prompts, &name), dd_IFileNotFound);
  EXPECT_EQ(prompts, "\n>> Input file: ");
}

// ---- reports ---------------------------------------------------------------------------

TEST(FileIoReport, ProgramDescription)
{
  const std::string text = capture([](FILE *f) { dd_WriteProgramDescription(f); });
  EXPECT_EQ(text.rfind("* dovavozu: a double description library:Version 1.0.0 (December 2026)\n"
                       "* compiled for C double arithmetic.\n* ",
                       0),
            0u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
}

TEST(FileIoReport, TimesInHoursMinutesSeconds)
{
  const time_t start = 1000000;
  const std::string text = capture([&](FILE *f) { dd_WriteTimes(f, start, start + 3725); });
  std::istringstream in(text);
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(in, line)) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u) << text;
  EXPECT_EQ(lines[0].rfind("*Computation starts     at ", 0), 0u);
  EXPECT_EQ(lines[1].rfind("*            terminates at ", 0), 0u);
  // The asctime form: "Www Mmm dd hh:mm:ss yyyy".
  EXPECT_EQ(lines[0].size(), std::strlen("*Computation starts     at ") + 24);
  EXPECT_EQ(lines[2], "*Total processor time = 3725 seconds");
  EXPECT_EQ(lines[3], "*                     = 1 h 2 m 5 s");
}

TEST(FileIoReport, RunningModeAndCompletionStatus)
{
  dd_set_global_constants();
  auto M = zonix::make_matrix(4, 3);
  M->representation = dd_Inequality;
  const double rows[4][3] = {{0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) M->matrix[i][j][0] = rows[i][j];
  const std::pair<dd_RowOrderType, const char *> orders[] = {
      {dd_MaxIndex, "maxindex\n"},   {dd_MinIndex, "minindex\n"},
      {dd_MinCutoff, "mincutoff\n"}, {dd_MaxCutoff, "maxcutoff\n"},
      {dd_MixCutoff, "mixcutoff\n"}, {dd_LexMin, "lexmin\n"},
      {dd_LexMax, "lexmax\n"},       {dd_RandomRow, "random  1\n"},
  };
  for (const auto &[order, name] : orders) {
    dd_ErrorType err;
    zonix::Polyhedra P(dd_DDMatrix2Poly2(M.get(), order, &err));
    EXPECT_EQ(capture([&](FILE *f) { dd_WriteRunningMode(f, P.get()); }),
              std::string("* roworder: ") + name);
  }
  zonix::Polyhedra bare(dd_CreatePolyhedraData(4, 3));
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteRunningMode(f, bare.get()); }), "");

  // A cone finished before its last row, one finished at it, an empty one.
  dd_ConeType cone{};
  cone.m = 10;
  cone.Iteration = 7;
  cone.CompStatus = dd_AllFound;
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteCompletionStatus(f, &cone); }),
            "*Computation completed at Iteration    7.\n");
  cone.Iteration = 10;
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteCompletionStatus(f, &cone); }), "");
  cone.CompStatus = dd_RegionEmpty;
  cone.Iteration = 3;
  EXPECT_EQ(capture([&](FILE *f) { dd_WriteCompletionStatus(f, &cone); }),
            "*Computation completed at Iteration    3 because the region found empty.\n");
}

TEST(FileIoReport, PolyFileWritesTheInputRows)
{
  dd_set_global_constants();
  zonix::Polyhedra P(dd_CreatePolyhedraData(2, 2));
  P->A[0][0][0] = 1;
  P->A[1][1][0] = -2;
  EXPECT_EQ(capture([&](FILE *f) { dd_WritePolyFile(f, P.get()); }),
            "begin\n 2 2 real\n  1  0\n  0 -2\nend\n");
}

// ---- the LP report ----------------------------------------------------------------------------

// The LP max x1 + x2 over the unit square, or the variants below.
zonix::LP square_lp(dd_LPObjectiveType obj, const std::vector<std::vector<double>> &rows,
                    const std::vector<double> &c, dd_LPSolverType solver)
{
  dd_set_global_constants();
  auto M = zonix::make_matrix(static_cast<long>(rows.size()), 3);
  M->representation = dd_Inequality;
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (int j = 0; j < 3; ++j) M->matrix[i][j][0] = rows[i][j];
  M->objective = obj;
  for (int j = 0; j < 3; ++j) M->rowvec[j][0] = c[j];
  dd_ErrorType err = dd_ImproperInputFormat;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  EXPECT_EQ(err, dd_NoError);
  dd_LPSolve(lp.get(), solver, &err);
  EXPECT_EQ(err, dd_NoError);
  return lp;
}

// The report without its times (they change from run to run).
std::string lp_report(dd_LPPtr lp, dd_ErrorType err)
{
  std::string text = capture([&](FILE *f) { dd_WriteLPResult(f, lp, err); });
  const auto t = text.find("*Computation starts");
  return t == std::string::npos ? text : text.substr(0, t);
}

std::string after_description(const std::string &s)
{
  // The header line, three description lines.
  std::size_t p = 0;
  for (int k = 0; k < 4; ++k) p = s.find('\n', p) + 1;
  return s.substr(p);
}

TEST(FileIoReport, LPResultOptimal)
{
  auto lp = square_lp(dd_LPmax, {{0, 1, 0}, {0, 0, 1}, {1, -1, 0}, {1, 0, -1}}, {0, 1, 1},
                      dd_CrissCross);
  ASSERT_EQ(lp->LPS, dd_Optimal);
  const std::string text = lp_report(lp.get(), dd_NoError);
  EXPECT_EQ(text.rfind("* zonix LP solver result\n* dovavozu:", 0), 0u);
  const std::string body = after_description(text);
  // x = (1, 1), value 2; the binding rows 3 and 4 (x1 <= 1, x2 <= 1) with
  // dual values 1 each, in the order of the final basis.
  const std::string head =
      "* #constraints = 4\n"
      "* #variables   = 2\n"
      "* Algorithm: criss-cross method\n"
      "* maximization is chosen\n"
      "* Objective function is\n"
      "  0 +  1 X[  1] +  1 X[  2]\n"
      "* LP status: a dual pair (x,y) of optimal solutions found.\n"
      "begin\n"
      "  primal_solution\n"
      "    1 :   1\n"
      "    2 :   1\n"
      "  dual_solution\n";
  EXPECT_EQ(body.substr(0, head.size()), head) << body;
  const std::string duals = body.substr(head.size(), 2 * std::strlen("    3 :   1\n"));
  EXPECT_TRUE(duals == "    3 :   1\n    4 :   1\n" || duals == "    4 :   1\n    3 :   1\n")
      << duals;
  EXPECT_NE(body.find("  optimal_value :   2\nend\n* number of pivot operations = "),
            std::string::npos)
      << body;
}

TEST(FileIoReport, LPResultObjectiveLineBreaksEveryFifthVariable)
{
  dd_set_global_constants();
  // max -x1 + x2 + ... + x6 over 0 <= x <= 1: six variables.
  const long d = 7;
  auto M = zonix::make_matrix(2 * (d - 1), d);
  M->representation = dd_Inequality;
  for (long j = 1; j < d; ++j) {
    M->matrix[2 * (j - 1)][j][0] = 1;
    M->matrix[2 * (j - 1) + 1][0][0] = 1;
    M->matrix[2 * (j - 1) + 1][j][0] = -1;
    M->rowvec[j][0] = j == 1 ? -1 : 1;
  }
  M->objective = dd_LPmin;
  dd_ErrorType err;
  zonix::LP lp(dd_Matrix2LP(M.get(), &err));
  dd_LPSolve(lp.get(), dd_DualSimplex, &err);
  const std::string text = lp_report(lp.get(), err);
  EXPECT_NE(text.find("* Algorithm: dual simplex algorithm\n* minimization is chosen\n"
                      "* Objective function is\n"
                      "  0 -1 X[  1] +  1 X[  2] +  1 X[  3] +  1 X[  4] +\n"
                      "  1 X[  5] +  1 X[  6]\n"),
            std::string::npos)
      << text;
}

TEST(FileIoReport, LPResultInconsistent)
{
  // x1 >= 1 and x1 <= 0, with 0 <= x2 <= 1.
  auto lp = square_lp(dd_LPmax, {{-1, 1, 0}, {0, 0, 1}, {0, -1, 0}, {1, 0, -1}}, {0, 1, 1},
                      dd_CrissCross);
  ASSERT_EQ(lp->LPS, dd_Inconsistent);
  const std::string body = after_description(lp_report(lp.get(), dd_NoError));
  const std::string expected_start =
      "* LP status: LP is inconsistent.\n"
      "* The positive combination of original inequalities with\n"
      "* the following coefficients will prove the inconsistency.\n"
      "begin\n"
      "  dual_direction\n";
  const auto p = body.find(expected_start);
  ASSERT_NE(p, std::string::npos) << body;
  // The evidence row with coefficient 1 first; the listed rows combine to
  // 0 x >= -1, which proves the inconsistency.
  std::istringstream in(body.substr(p + expected_start.size()));
  const double rows[4][3] = {{-1, 1, 0}, {0, 0, 1}, {0, -1, 0}, {1, 0, -1}};
  double combo[3] = {0, 0, 0};
  long row = 0, first = 0;
  std::string colon;
  double coef = 0;
  while (in >> row >> colon >> coef) {
    ASSERT_TRUE(row >= 1 && row <= 4);
    if (first == 0) {
      first = row;
      EXPECT_EQ(coef, 1.0);
    }
    EXPECT_GE(coef, 0.0);
    for (int j = 0; j < 3; ++j) combo[j] += coef * rows[row - 1][j];
  }
  EXPECT_EQ(first, lp->re);
  EXPECT_LT(combo[0], 0.0);
  EXPECT_EQ(combo[1], 0.0);
  EXPECT_EQ(combo[2], 0.0);
}

TEST(FileIoReport, LPResultDualInconsistent)
{
  // max x1 + x2 over x >= 0: unbounded.
  auto lp = square_lp(dd_LPmax, {{0, 1, 0}, {0, 0, 1}}, {0, 1, 1}, dd_DualSimplex);
  ASSERT_TRUE(lp->LPS == dd_DualInconsistent || lp->LPS == dd_StrucDualInconsistent);
  const std::string body = after_description(lp_report(lp.get(), dd_NoError));
  const std::string expected =
      "* LP status: LP is dual inconsistent.\n"
      "* The linear combination of columns with\n"
      "* the following coefficients will prove the dual inconsistency.\n"
      "* (It is also an unbounded direction for the primal LP.)\n"
      "begin\n"
      "  primal_direction\n";
  const auto p = body.find(expected);
  ASSERT_NE(p, std::string::npos) << body;
  // Two direction entries, then end.
  const std::string rest = body.substr(p + expected.size());
  EXPECT_EQ(std::count(rest.begin(), rest.find("end\n") == std::string::npos
                                         ? rest.end()
                                         : rest.begin() + static_cast<long>(rest.find("end\n")),
                       '\n'),
            2)
      << rest;
}

TEST(FileIoReport, LPResultWithAnError)
{
  EXPECT_EQ(capture([](FILE *f) { dd_WriteLPResult(f, nullptr, dd_NoLPObjective); }),
            "* zonix LP solver result\n*LP Error: No LP objective (max or min) is set.\n");
}

}  // namespace
