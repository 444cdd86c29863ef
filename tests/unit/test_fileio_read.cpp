// The representation file reader: preamble keywords, the size line, number
// words, linearity lines, trailer commands, and hostile input.  Expected
// matrices are written out by hand from the file texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"

namespace {

using Rows = std::vector<std::vector<double>>;

// Reads text (which may hold NUL bytes) through a temporary file.  The
// reader's notices on stderr go to *err_text when given.
zonix::Matrix read_text(const std::string &text, dd_ErrorType *err,
                        std::string *err_text = nullptr)
{
  dd_set_global_constants();
  FILE *f = std::tmpfile();
  EXPECT_NE(f, nullptr);
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  testing::internal::CaptureStderr();
  zonix::Matrix M(dd_PolyFile2Matrix(f, err));
  const std::string captured = testing::internal::GetCapturedStderr();
  if (err_text != nullptr) *err_text = captured;
  std::fclose(f);
  return M;
}

Rows rows_of(dd_MatrixPtr M)
{
  Rows out;
  for (long i = 0; i < M->rowsize; ++i) {
    std::vector<double> r;
    for (long j = 0; j < M->colsize; ++j) r.push_back(M->matrix[i][j][0]);
    out.push_back(r);
  }
  return out;
}

std::vector<long> linearity_of(dd_MatrixPtr M)
{
  std::vector<long> v;
  for (long i = 1; i <= set_groundsize(M->linset); ++i)
    if (set_member(i, M->linset)) v.push_back(i);
  return v;
}

const char *kWarning = "* Warning: there are inconsistencies in linearity setting.\n";

// ---- the format as specified --------------------------------------------------

TEST(FileIoRead, FileWithoutBeginIsRejected)
{
  for (const char *text : {"", "H-representation\n", "3 3 real\n1 2 3\nend\n"}) {
    dd_ErrorType err = dd_NoError;
    auto M = read_text(text, &err);
    EXPECT_EQ(M, nullptr) << text;
    EXPECT_EQ(err, dd_ImproperInputFormat) << text;
  }
}

TEST(FileIoRead, RationalWordsGiveTheirValues)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  std::string notice;
  auto M = read_text("begin\n2 3 rational\n1 1/2 -3/4\n0 +5 2/4\nend\n", &err, &notice);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(rows_of(M.get()), (Rows{{1, 0.5, -0.75}, {0, 5, 0.5}}));
  EXPECT_EQ(M->representation, dd_Inequality);  // the default
  EXPECT_EQ(M->numbtype, dd_Rational);
  EXPECT_EQ(M->objective, dd_LPnone);
  EXPECT_TRUE(linearity_of(M.get()).empty());
  EXPECT_EQ(notice, "");  // quiet unless dd_debug is set
}

TEST(FileIoRead, WordsMaySpreadOverLinesFreely)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  auto M = read_text("  V-representation begin 2\n2\ninteger 1 7\n\n 0\t-3 end", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(M->representation, dd_Generator);
  EXPECT_EQ(M->numbtype, dd_Integer);
  EXPECT_EQ(rows_of(M.get()), (Rows{{1, 7}, {0, -3}}));
}

TEST(FileIoRead, NumberTypeIsClassifiedByPrefix)
{
  char integer[] = "integers", rational[] = "rational", real[] = "realistic";
  char floating[] = "float", empty[] = "", rea[] = "rea";
  EXPECT_EQ(dd_GetNumberType(integer), dd_Integer);
  EXPECT_EQ(dd_GetNumberType(rational), dd_Rational);
  EXPECT_EQ(dd_GetNumberType(real), dd_Real);
  EXPECT_EQ(dd_GetNumberType(floating), dd_Unknown);
  EXPECT_EQ(dd_GetNumberType(empty), dd_Unknown);
  EXPECT_EQ(dd_GetNumberType(rea), dd_Unknown);

  dd_ErrorType err = dd_ImproperInputFormat;
  auto M = read_text("begin 1 1 realistic 4.25 end", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->numbtype, dd_Real);
  EXPECT_EQ(M->matrix[0][0][0], 4.25);

  std::string notice;
  M = read_text("begin 1 1 float 4.25 end", &err, &notice);
  EXPECT_EQ(M, nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
  EXPECT_EQ(notice, "");
}

TEST(FileIoRead, RepresentationKeywordsMatchByPrefix)
{
  dd_ErrorType err;
  auto M = read_text("V-representation-of-a-cube\nbegin 1 1 real 1 end", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->representation, dd_Generator);
  // The last keyword wins; other words are comments.
  M = read_text("V-representation\n* comment H words\nH-representation\nbegin 1 1 real 1 end",
                &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->representation, dd_Inequality);
  // "begin" and "end" are whole words.
  M = read_text("beginning 1 1 real 3 end", &err);
  EXPECT_EQ(M, nullptr);
  M = read_text("begin 1 1 real 3 endless", &err);
  EXPECT_EQ(err, dd_ImproperInputFormat);
}

TEST(FileIoRead, PreambleLinearityMarksRows)
{
  dd_ErrorType err;
  std::string notice;
  const std::string body = "begin\n3 2 real\n1 0\n2 0\n3 0\nend\n";
  auto M = read_text("linearity 2 1 3\n" + body, &err, &notice);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(linearity_of(M.get()), (std::vector<long>{1, 3}));
  EXPECT_EQ(notice.find("Warning"), std::string::npos);

  // One index too few or too many: an error.
  M = read_text("linearity 3 1 3\n" + body, &err, &notice);
  EXPECT_EQ(err, dd_ImproperInputFormat);
  M = read_text("linearity 1 1 3\n" + body, &err, &notice);
  EXPECT_EQ(err, dd_ImproperInputFormat);

  // Commas separate as blanks do; "equality" and "partial_enum" are
  // synonyms.
  M = read_text("equality 2,2, 3\n" + body, &err, &notice);
  EXPECT_EQ(linearity_of(M.get()), (std::vector<long>{2, 3}));
  M = read_text("partial_enum 1 2\n" + body, &err, &notice);
  EXPECT_EQ(linearity_of(M.get()), (std::vector<long>{2}));
}

TEST(FileIoRead, LinearityIndicesOutsideTheRowsAreErrors)
{
  const std::string body = "begin\n3 2 real\n1 0\n2 0\n3 0\nend\n";
  for (const char *line : {"linearity 2 1 4\n", "linearity 2 0 1\n", "linearity 2 -1 1\n",
                           "linearity 2 x 1\n", "linearity 2 1.5 1\n"}) {
    dd_ErrorType err;
    auto M = read_text(line + body, &err);
    ASSERT_NE(M, nullptr) << line;
    EXPECT_EQ(err, dd_ImproperInputFormat) << line;
    EXPECT_EQ(linearity_of(M.get()), (std::vector<long>{1})) << line;
  }
  // A matrix without rows still has a set of ground size 1: index 1 must
  // not become a linearity of a row that does not exist.
  dd_ErrorType err;
  auto M = read_text("linearity 1 1\nbegin 0 2 real end", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_FALSE(set_member(1, M->linset));
  EXPECT_EQ(err, dd_ImproperInputFormat);
  // A negative or unreadable count.
  for (const char *line : {"linearity -1 1\n", "linearity two 1\n", "linearity\n"}) {
    M = read_text(line + std::string("begin 1 1 real 1 end"), &err);
    ASSERT_NE(M, nullptr) << line;
    EXPECT_TRUE(linearity_of(M.get()).empty()) << line;
    EXPECT_EQ(err, dd_ImproperInputFormat) << line;
  }
  // The library call itself still warns and keeps the valid rows.
  auto L = zonix::make_matrix(3, 1);
  char text[] = "2 1 4";
  testing::internal::CaptureStderr();
  dd_SetLinearity(L.get(), text);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), kWarning);
  EXPECT_EQ(linearity_of(L.get()), (std::vector<long>{1}));
}

TEST(FileIoRead, SetLinearityLeavesItsLineAlone)
{
  auto M = zonix::make_matrix(4, 1);
  char line[] = "3 4,2 1\n";
  testing::internal::CaptureStderr();
  dd_SetLinearity(M.get(), line);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(linearity_of(M.get()), (std::vector<long>{1, 2, 4}));
  EXPECT_STREQ(line, "3 4,2 1\n");
}

TEST(FileIoRead, TrailerObjectiveFillsRowvec)
{
  dd_ErrorType err;
  auto M = read_text("begin\n1 3 real\n1 2 3\nend\nmaximize\n 0 -1 2.5\n", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(M->objective, dd_LPmax);
  EXPECT_EQ(M->rowvec[0][0], 0.0);
  EXPECT_EQ(M->rowvec[1][0], -1.0);
  EXPECT_EQ(M->rowvec[2][0], 2.5);

  // The numbers may follow on the command's own line, in the file's type.
  M = read_text("begin\n1 2 rational\n1 2\nend\nminimize 1/3 -2\n", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->objective, dd_LPmin);
  EXPECT_DOUBLE_EQ(M->rowvec[0][0], 1.0 / 3.0);
  EXPECT_EQ(M->rowvec[1][0], -2.0);
}

TEST(FileIoRead, TrailerCommands)
{
  dd_ErrorType err;
  // hull turns the H-representation of the preamble into a V one; lines
  // beginning with "*" are comments.
  auto M = read_text("H-representation\nbegin\n2 2 real\n1 0\n0 1\nend\n* maximize\nhull\n",
                     &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(M->representation, dd_Generator);
  EXPECT_EQ(M->objective, dd_LPnone);
  // Unknown commands and words after a command are errors.
  for (const char *trailer : {"printcobasis 5\n", "hull and more words\n", "maximize 1 2 3\n"}) {
    M = read_text(std::string("begin\n2 2 real\n1 0\n0 1\nend\n") + trailer, &err);
    ASSERT_NE(M, nullptr) << trailer;
    EXPECT_EQ(err, dd_ImproperInputFormat) << trailer;
  }

  // A linearity command reads its own line only: the command on the next
  // line is honoured.
  M = read_text("begin\n3 2 real\n1 0\n2 0\n3 0\nend\nlinearity 1 2\nmaximize 7 8\n", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(linearity_of(M.get()), (std::vector<long>{2}));
  EXPECT_EQ(M->objective, dd_LPmax);
  EXPECT_EQ(M->rowvec[1][0], 8.0);
}

TEST(FileIoRead, DebugCommandSetsTheGlobalFlag)
{
  dd_ErrorType err;
  std::string notice;
  auto M = read_text("begin\n1 2 real\n1 2\nend\ndebug\nmaximize 3 4\n", &err, &notice);
  const int was = dd_debug;
  dd_debug = 0;
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(was, 1);
  EXPECT_NE(notice.find("cost(    2) =  4"), std::string::npos) << notice;
}

TEST(FileIoRead, MissingEndReturnsTheMatrixWithTheError)
{
  for (const char *text : {"begin 1 2 real 1 2", "begin 1 2 real 1 2 3 end"}) {
    dd_ErrorType err = dd_NoError;
    auto M = read_text(text, &err);
    ASSERT_NE(M, nullptr) << text;
    EXPECT_EQ(err, dd_ImproperInputFormat) << text;
    EXPECT_EQ(rows_of(M.get()), (Rows{{1, 2}})) << text;
  }
}

TEST(FileIoRead, ProcessCommandLineReadsFromTheStream)
{
  auto M = zonix::make_matrix(1, 2);
  FILE *f = std::tmpfile();
  std::fputs(" 5 -6\nrest", f);
  std::rewind(f);
  char word[] = "minimize";
  dd_ProcessCommandLine(f, M.get(), word);
  EXPECT_EQ(M->objective, dd_LPmin);
  EXPECT_EQ(M->rowvec[0][0], 5.0);
  EXPECT_EQ(M->rowvec[1][0], -6.0);
  char other[] = "nonsense";
  dd_ProcessCommandLine(f, M.get(), other);
  EXPECT_EQ(M->objective, dd_LPmin);
  std::fclose(f);
}

TEST(FileIoRead, RationalValueReaders)
{
  mytype v;
  char s1[] = "-7/2";
  dd_sread_rational_value(s1, v);
  EXPECT_EQ(v[0], -3.5);
  EXPECT_STREQ(s1, "-7");  // the slash is overwritten
  char s2[] = "+12";
  dd_sread_rational_value(s2, v);
  EXPECT_EQ(v[0], 12.0);
  char s3[] = "3/0";
  dd_sread_rational_value(s3, v);
  EXPECT_EQ(v[0], 0.0);
  char s4[] = "x1";
  dd_sread_rational_value(s4, v);
  EXPECT_EQ(v[0], 0.0);

  FILE *f = std::tmpfile();
  std::fputs("  5/4\n\n  -1 ", f);
  std::rewind(f);
  dd_fread_rational_value(f, v);
  EXPECT_EQ(v[0], 1.25);
  EXPECT_EQ(std::fgetc(f), '-');  // the blanks after the word are taken
  std::fclose(f);
}

// ---- sound handling of bad input -------------------------------------------------

TEST(FileIoRead, BadSizeLinesAreRejectedWithoutAllocating)
{
  for (const char *size : {"-1 3 real", "3 -1 real", "three 3 real", "3 3x real", "3 3.0 real",
                           "1000000000000 1000000000000 real",     // product too large
                           "9223372036854775807 2 real",           // product overflows
                           "99999999999999999999 1 real",          // m overflows a long
                           "0 100000000000 real", "100000000000 0 real",  // nothing backs them
                           "3 3", "3"}) {
    dd_ErrorType err = dd_NoError;
    auto M = read_text(std::string("begin\n") + size + "\n1 2 3\nend\n", &err);
    EXPECT_EQ(M, nullptr) << size;
    EXPECT_EQ(err, dd_ImproperInputFormat) << size;
  }
}

TEST(FileIoRead, ClaimedSizeBeyondTheFileIsRejected)
{
  // A size line may claim far more rows than the file holds: the reader
  // runs out of numbers before it allocates for them.
  dd_ErrorType err = dd_NoError;
  auto M = read_text("begin\n100000000 20 real\n1 2 3\nend\n", &err);
  EXPECT_EQ(M, nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
}

TEST(FileIoRead, EmptySidesAreAllowed)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  auto M = read_text("begin 0 3 real end", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(M->rowsize, 0);
  EXPECT_EQ(M->colsize, 3);
  // Without columns a row means nothing.
  M = read_text("begin 4 0 integer end", &err);
  EXPECT_EQ(M, nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
}

TEST(FileIoRead, NumbersThatDoNotParseAreErrors)
{
  for (const char *word : {"abc", "1/0", "0/0", "1/", "/2", "1.5.2", "2-", "1//2", "nan",
                           "inf", "-infinity", "1e999", "1e308/1e-308", "--1", "1,5"}) {
    for (const char *type : {"real", "rational", "integer"}) {
      dd_ErrorType err = dd_NoError;
      auto M = read_text(std::string("begin 1 2 ") + type + " 1 " + word + " end", &err);
      EXPECT_EQ(M, nullptr) << word << " as " << type;
      EXPECT_EQ(err, dd_ImproperInputFormat) << word << " as " << type;
    }
  }
  // The same in an objective line: the matrix is returned with the error.
  dd_ErrorType err = dd_NoError;
  auto M = read_text("begin 1 2 real 1 2 end\nmaximize 1 x\n", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
  // and an objective cut short by the end of the file
  M = read_text("begin 1 2 real 1 2 end\nmaximize 1\n", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
}

TEST(FileIoRead, NumberNotationsAccepted)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  // Decimals are kept (1.5 is one and a half, not 1), and a quotient of
  // decimals is read; an integer file holds whole numbers only.
  for (const char *type : {"real", "rational"}) {
    auto M = read_text(std::string("begin 1 6 ") + type + " 1.5 -2e-3 3/2 -1.5/0.5 +0 .5 end",
                       &err);
    ASSERT_NE(M, nullptr) << type;
    EXPECT_EQ(err, dd_NoError);
    EXPECT_EQ(rows_of(M.get()), (Rows{{1.5, -0.002, 1.5, -3, 0, 0.5}})) << type;
  }
  auto M = read_text("begin 1 3 integer -7 +0 12 end", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(rows_of(M.get()), (Rows{{-7, 0, 12}}));
  for (const char *word : {"1.5", "3/2", "1e3", "0x10"}) {
    M = read_text(std::string("begin 1 1 integer ") + word + " end", &err);
    EXPECT_EQ(M, nullptr) << word;
  }
  M = read_text("begin 1 1 real 0x10 end", &err);
  EXPECT_EQ(M, nullptr);
}

TEST(FileIoRead, BodyCutShortIsRejected)
{
  for (const char *text : {"begin 2 2 real 1 2 3", "begin 2 2 real", "begin 2 2", "begin"}) {
    dd_ErrorType err = dd_NoError;
    auto M = read_text(text, &err);
    EXPECT_EQ(M, nullptr) << text;
    EXPECT_EQ(err, dd_ImproperInputFormat) << text;
  }
}

TEST(FileIoRead, OverlongWordsAndLinesAreSafe)
{
  dd_ErrorType err = dd_ImproperInputFormat;
  // A 100000-character comment word, a keyword followed by junk, and a
  // 3000-character command line before a real command.
  const std::string junk(100000, 'x');
  std::string text = junk + " V-representation" + junk + "\nbegin\n2 1 real\n1\n1\nend\n" +
                     "* comment " + std::string(3000, 'y') + "\nmaximize 4\n";
  auto M = read_text(text, &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(M->representation, dd_Generator);
  EXPECT_EQ(M->objective, dd_LPmax);
  EXPECT_EQ(M->rowvec[0][0], 4.0);

  // An overlong number never parses, whatever its digits.
  M = read_text("begin 1 1 real " + std::string(5000, '1') + " end", &err);
  EXPECT_EQ(M, nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
  // An overlong type word is still classified by its prefix.
  M = read_text("begin 1 1 rational" + std::string(5000, 'z') + " 2 end", &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->numbtype, dd_Rational);
}

TEST(FileIoRead, LongLinearityLinesAreReadWhole)
{
  // 3000 linearity rows need a line far beyond 255 characters.
  const long m = 3000;
  std::string text = "H-representation\nlinearity " + std::to_string(m);
  for (long i = m; i >= 1; --i) text += " " + std::to_string(i);
  text += "\nbegin\n" + std::to_string(m) + " 1 integer\n";
  for (long i = 0; i < m; ++i) text += "0\n";
  text += "end\n";
  dd_ErrorType err = dd_ImproperInputFormat;
  std::string notice;
  auto M = read_text(text, &err, &notice);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(err, dd_NoError);
  EXPECT_EQ(set_card(M->linset), m);
  EXPECT_EQ(notice.find("Warning"), std::string::npos);
}

TEST(FileIoRead, NulBytesAndBinaryDataAreSafe)
{
  dd_ErrorType err = dd_NoError;
  // A NUL inside a number word makes it unreadable, not shorter.
  const char raw[] = "begin 1 2 real 1 2\0" "5 end";
  auto M = read_text(std::string(raw, sizeof raw - 1), &err);
  EXPECT_EQ(M, nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);

  // NULs in comments are ordinary characters.
  const char comment[] = "* a\0b\0\0c\nbegin 1 1 real 9 end";
  M = read_text(std::string(comment, sizeof comment - 1), &err);
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->matrix[0][0][0], 9.0);

  // Every byte value, repeated: no "begin", so no matrix.
  std::string binary;
  for (int k = 0; k < 4096; ++k) binary.push_back(static_cast<char>((k * 37) & 0xff));
  M = read_text(binary, &err);
  EXPECT_EQ(M, nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
}

TEST(FileIoRead, NullStreamIsAnError)
{
  dd_ErrorType err = dd_NoError;
  EXPECT_EQ(dd_PolyFile2Matrix(nullptr, &err), nullptr);
  EXPECT_EQ(err, dd_ImproperInputFormat);
}

}  // namespace
