// The file-to-file driver and the reports around it: choosing the input
// file, naming output files, the program description, the running mode,
// completion status, times and the LP result.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "zonixcore.h"
#include "zonixdd.h"
#include "zonixio.h"
#include "zonixlp.h"

namespace {

constexpr std::size_t kNameMax = sizeof(dd_DataFileType) - 1;

constexpr const char *kVersion = "Version 1.0.0 (December 2026)";
constexpr const char *kArithmetic = "C double";
constexpr const char *kAuthors = "Copyright (C) 2026, the zonix developers.";

const char *extension(char cflag, dd_RepresentationType rep)
{
  const bool h = rep == dd_Inequality;
  const bool v = rep == dd_Generator;
  switch (cflag) {
    case 'o': return h ? ".ext" : v ? ".ine" : ".xxx";
    case 'a': return h ? ".ead" : ".iad";
    case 'i': return h ? ".ecd" : ".icd";
    case 'j': return h ? ".iad" : ".ead";
    case 'n': return h ? ".icd" : ".ecd";
    case 'l': return ".ddl";
    case 'd': return ".dex";
    case 'p': return "sub.ine";
    case 's': return ".lps";
    case 'v': return ".solved";
    default: return ".xxx";
  }
}

// Copies s into a file name buffer, cut to fit.
void store_name(dd_DataFileType buf, const std::string &s)
{
  const std::size_t n = s.size() < kNameMax ? s.size() : kNameMax;
  std::memcpy(buf, s.data(), n);
  buf[n] = '\0';
}

void write_local_time(FILE *f, time_t t)
{
  std::tm tm{};
  char text[64];
  if (localtime_r(&t, &tm) != nullptr && asctime_r(&tm, text) != nullptr)
    dd_Printf(f, "%s", text);
  else
    dd_Printf(f, "(unknown)\n");
}

void write_indexed(FILE *f, long index, const mytype x)
{
  dd_Printf(f, "  %3ld : ", index);
  dd_WriteNumber(f, x);
  dd_Printf(f, "\n");
}

void write_objective(FILE *f, dd_LPPtr lp)
{
  const dd_Arow c = lp->A[lp->objrow - 1];
  dd_Printf(f, "* Objective function is\n");
  dd_WriteNumber(f, c[0]);
  for (dd_colrange j = 1; j < lp->d; ++j) {
    if (dd_Nonnegative(c[j])) dd_Printf(f, " +");
    if (j % 5 == 0) dd_Printf(f, "\n");
    dd_WriteNumber(f, c[j]);
    dd_Printf(f, " X[%3ld]", j);
  }
  dd_Printf(f, "\n");
}

// The dual values of the rows nonbasic at the end, by row number.
void write_dual_rows(FILE *f, dd_LPPtr lp)
{
  for (dd_colrange j = 1; j < lp->d; ++j)
    if (lp->nbindex[j + 1] > 0) write_indexed(f, lp->nbindex[j + 1], lp->dsol[j]);
}

}  // namespace

extern "C" {

void dd_SetInputFile(FILE **f, dd_DataFileType inputfile, dd_ErrorType *Error)
{
  dd_ErrorType local = dd_NoError;
  if (Error == nullptr) Error = &local;
  *Error = dd_IFileNotFound;
  if (f == nullptr || inputfile == nullptr) return;
  for (int attempt = 0; attempt < 6; ++attempt) {
    dd_Printf(stderr, "\n>> Input file: ");
    std::fflush(stderr);
    // One word, kept to the buffer's size; the rest of it is dropped.
    int c;
    do {
      c = std::getchar();
    } while (c == ' ' || c == '\t' || c == '\n' || c == '\r');
    if (c == EOF) return;
    std::size_t n = 0;
    while (c != EOF && c != ' ' && c != '\t' && c != '\n' && c != '\r' &&
           c != ';' && c != '\0') {
      if (n < kNameMax) inputfile[n++] = static_cast<char>(c);
      c = std::getchar();
    }
    inputfile[n] = '\0';
    // The rest of the line (";" and a comment, say) is not part of the name.
    while (c != EOF && c != '\n') c = std::getchar();
    if (FILE *in = std::fopen(inputfile, "r")) {
      *f = in;
      dd_Printf(stderr, "input file %s is open\n", inputfile);
      *Error = dd_NoError;
      return;
    }
    dd_Printf(stderr, "The file %s not found\n", inputfile);
  }
}

void dd_SetWriteFileName(dd_DataFileType inputfile, dd_DataFileType outfile,
                         char cflag, dd_RepresentationType rep)
{
  if (outfile == nullptr) return;
  const std::string in =
      inputfile == nullptr ? std::string() : std::string(inputfile, strnlen(inputfile, kNameMax));
  std::string head = in;
  const auto dot = in.rfind('.');
  // A dot in the first two places ("./x", ".hidden", "a.ine") is no
  // extension to replace.
  if (dot != std::string::npos && dot >= 2) head = in.substr(0, dot);
  if (head.empty()) head = "tempzonix";
  const char *ext = extension(cflag, rep);
  std::string out = head + ext;
  if (out == in) out = in + ext;
  store_name(outfile, out);
}

dd_boolean dd_DDFile2File(char *ifile, char *ofile, dd_ErrorType *err)
{
  dd_ErrorType local = dd_NoError;
  if (err == nullptr) err = &local;
  *err = dd_NoError;
  FILE *in = nullptr;
  FILE *out = nullptr;
  dd_boolean opened = dd_FALSE;

  if (ifile != nullptr && std::strcmp(ifile, "**stdin") == 0) {
    in = stdin;
  } else if (ifile != nullptr && (in = std::fopen(ifile, "r")) != nullptr) {
    dd_Printf(stderr, "input file %s is open\n", ifile);
  } else {
    dd_Printf(stderr, "The input file %s not found\n", ifile ? ifile : "(null)");
    *err = dd_IFileNotFound;
  }
  if (in != nullptr) {
    if (ofile != nullptr && std::strcmp(ofile, "**stdout") == 0) {
      out = stdout;
    } else if (ofile != nullptr && (out = std::fopen(ofile, "w")) != nullptr) {
      dd_Printf(stderr, "output file %s is open\n", ofile);
    } else {
      dd_Printf(stderr, "The output file %s cannot be opened\n",
                   ofile ? ofile : "(null)");
      *err = dd_OFileNotOpen;
    }
  }

  if (in != nullptr && out != nullptr) {
    opened = dd_TRUE;
    dd_MatrixPtr M = dd_PolyFile2Matrix(in, err);
    if (*err == dd_NoError) {
      dd_PolyhedraPtr poly = dd_DDMatrix2Poly(M, err);
      if (*err == dd_NoError) {
        dd_WriteRunningMode(out, poly);
        dd_MatrixPtr A = dd_CopyInequalities(poly);
        dd_MatrixPtr G = dd_CopyGenerators(poly);
        dd_WriteMatrix(out, poly->representation == dd_Inequality ? G : A);
        dd_FreeMatrix(A);
        dd_FreeMatrix(G);
      }
      dd_FreePolyhedra(poly);
    }
    dd_FreeMatrix(M);
  }

  if (*err != dd_NoError) dd_WriteErrorMessages(stderr, *err);
  // The standard streams stay open: the caller's process still uses them.
  if (in != nullptr && in != stdin) std::fclose(in);
  if (out != nullptr && out != stdout) std::fclose(out);
  if (out == stdout) std::fflush(stdout);
  return opened;
}

void dd_WriteProgramDescription(FILE *f)
{
  dd_Printf(f, "* dovavozu: a double description library:%s\n", kVersion);
  dd_Printf(f, "* compiled for %s arithmetic.\n", kArithmetic);
  dd_Printf(f, "* %s\n", kAuthors);
}

void dd_WriteRunningMode(FILE *f, dd_PolyhedraPtr poly)
{
  if (poly == nullptr || poly->child == nullptr) return;
  const dd_ConePtr cone = poly->child;
  dd_Printf(f, "* roworder: ");
  switch (cone->HalfspaceOrder) {
    case dd_MaxIndex: dd_Printf(f, "maxindex\n"); break;
    case dd_MinIndex: dd_Printf(f, "minindex\n"); break;
    case dd_MinCutoff: dd_Printf(f, "mincutoff\n"); break;
    case dd_MaxCutoff: dd_Printf(f, "maxcutoff\n"); break;
    case dd_MixCutoff: dd_Printf(f, "mixcutoff\n"); break;
    case dd_LexMin: dd_Printf(f, "lexmin\n"); break;
    case dd_LexMax: dd_Printf(f, "lexmax\n"); break;
    case dd_ColumnGreedy: dd_Printf(f, "columns\n"); break;
    case dd_LexMinSpread: dd_Printf(f, "spread\n"); break;
    case dd_RandomRow:
      dd_Printf(f, "random  %d\n", static_cast<int>(cone->rseed));
      break;
    default: dd_Printf(f, "\n"); break;
  }
}

void dd_WriteCompletionStatus(FILE *f, dd_ConePtr cone)
{
  if (cone == nullptr) return;
  if (cone->Iteration < cone->m && cone->CompStatus == dd_AllFound)
    dd_Printf(f, "*Computation completed at Iteration %4ld.\n",
                 cone->Iteration);
  if (cone->CompStatus == dd_RegionEmpty)
    dd_Printf(f,
                 "*Computation completed at Iteration %4ld because the "
                 "region found empty.\n",
                 cone->Iteration);
}

void dd_WriteTimes(FILE *f, time_t starttime, time_t endtime)
{
  const long t = static_cast<long>(endtime - starttime);
  dd_Printf(f, "*Computation starts     at ");
  write_local_time(f, starttime);
  dd_Printf(f, "*            terminates at ");
  write_local_time(f, endtime);
  dd_Printf(f, "*Total processor time = %ld seconds\n", t);
  dd_Printf(f, "*                     = %ld h %ld m %ld s\n", t / 3600,
               (t % 3600) / 60, t % 60);
}

void dd_WriteDDTimes(FILE *f, dd_PolyhedraPtr poly)
{
  if (poly == nullptr || poly->child == nullptr) return;
  dd_WriteTimes(f, poly->child->starttime, poly->child->endtime);
}

void dd_WriteLPTimes(FILE *f, dd_LPPtr lp)
{
  if (lp == nullptr) return;
  dd_WriteTimes(f, lp->starttime, lp->endtime);
}

void dd_WritePolyFile(FILE *f, dd_PolyhedraPtr poly)
{
  if (poly == nullptr) {
    dd_WriteAmatrix(f, nullptr, 0, 0);
    return;
  }
  dd_WriteAmatrix(f, poly->A, poly->m, poly->d);
}

void dd_WriteLPResult(FILE *f, dd_LPPtr lp, dd_ErrorType err)
{
  dd_Printf(f, "* zonix LP solver result\n");
  if (err != dd_NoError) {
    dd_WriteErrorMessages(f, err);
    return;
  }
  if (lp == nullptr) return;
  dd_WriteProgramDescription(f);
  dd_Printf(f, "* #constraints = %ld\n", lp->m - 1);
  dd_Printf(f, "* #variables   = %ld\n", lp->d - 1);
  if (lp->solver == dd_CrissCross)
    dd_Printf(f, "* Algorithm: criss-cross method\n");
  else if (lp->solver == dd_DualSimplex)
    dd_Printf(f, "* Algorithm: dual simplex algorithm\n");
  switch (lp->objective) {
    case dd_LPmax: dd_Printf(f, "* maximization is chosen\n"); break;
    case dd_LPmin: dd_Printf(f, "* minimization is chosen\n"); break;
    default: dd_Printf(f, "* no objective type (max or min) is chosen\n"); break;
  }
  if (lp->objective == dd_LPmax || lp->objective == dd_LPmin) write_objective(f, lp);

  switch (lp->LPS) {
    case dd_Optimal:
      dd_Printf(f, "* LP status: a dual pair (x,y) of optimal solutions found.\n");
      dd_Printf(f, "begin\n");
      dd_Printf(f, "  primal_solution\n");
      for (dd_colrange j = 1; j < lp->d; ++j) write_indexed(f, j, lp->sol[j]);
      dd_Printf(f, "  dual_solution\n");
      write_dual_rows(f, lp);
      dd_Printf(f, "  optimal_value : ");
      dd_WriteNumber(f, lp->optvalue);
      dd_Printf(f, "\nend\n");
      break;
    case dd_Inconsistent:
      dd_Printf(f, "* LP status: LP is inconsistent.\n");
      dd_Printf(f, "* The positive combination of original inequalities with\n");
      dd_Printf(f, "* the following coefficients will prove the inconsistency.\n");
      dd_Printf(f, "begin\n");
      dd_Printf(f, "  dual_direction\n");
      write_indexed(f, lp->re, dd_one);
      write_dual_rows(f, lp);
      dd_Printf(f, "end\n");
      break;
    case dd_DualInconsistent:
    case dd_StrucDualInconsistent:
      dd_Printf(f, "* LP status: LP is dual inconsistent.\n");
      dd_Printf(f, "* The linear combination of columns with\n");
      dd_Printf(f, "* the following coefficients will prove the dual inconsistency.\n");
      dd_Printf(f, "* (It is also an unbounded direction for the primal LP.)\n");
      dd_Printf(f, "begin\n");
      dd_Printf(f, "  primal_direction\n");
      for (dd_colrange j = 1; j < lp->d; ++j) write_indexed(f, j, lp->sol[j]);
      dd_Printf(f, "end\n");
      break;
    default:
      break;
  }
  dd_Printf(f,
               "* number of pivot operations = %ld (ph0 = %ld, ph1 = %ld, "
               "ph2 = %ld, ph3 = %ld, ph4 = %ld)\n",
               lp->total_pivots, lp->pivots[0], lp->pivots[1], lp->pivots[2],
               lp->pivots[3], lp->pivots[4]);
  dd_WriteLPTimes(f, lp);
}

}  // extern "C"
