// Converts one generated instance with the double description engine, so
// that a conversion can be timed and measured as a whole process.
//
//   dd_convert [options] FAMILY PARAM...
//     --adjacency      also compute the adjacency of the output rows
//     --print          print the output rows
//     --lrs FILE       write the instance in lrs's notation to FILE and stop
//     --order NAME     row order: lexmin (default), lexmax, minindex,
//                      maxindex, mincutoff, maxcutoff, mixcutoff, random
//
// Prints the instance size, the output size and the conversion time.
// Families and their parameters are listed when none is given.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "dovavozu.h"
#include "families.h"

namespace fam = zonix::families;

namespace {

struct OrderName {
  const char* name;
  dd_RowOrderType order;
};

constexpr OrderName kOrders[] = {
    {"lexmin", dd_LexMin},       {"lexmax", dd_LexMax},       {"minindex", dd_MinIndex},
    {"maxindex", dd_MaxIndex},   {"mincutoff", dd_MinCutoff}, {"maxcutoff", dd_MaxCutoff},
    {"mixcutoff", dd_MixCutoff}, {"random", dd_RandomRow},
};

int usage(const char* argv0)
{
  std::fprintf(stderr,
               "usage: %s [--adjacency] [--print] [--lrs FILE] [--order NAME] FAMILY PARAM...\n"
               "families:\n%s",
               argv0, fam::family_usage().c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv)
{
  bool adjacency = false, print = false;
  std::string lrs_file;
  dd_RowOrderType order = dd_LexMin;
  int i = 1;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
    std::string a = argv[i];
    if (a == "--adjacency") {
      adjacency = true;
    } else if (a == "--print") {
      print = true;
    } else if (a == "--lrs" && i + 1 < argc) {
      lrs_file = argv[++i];
    } else if (a == "--order" && i + 1 < argc) {
      std::string name = argv[++i];
      bool found = false;
      for (const auto& o : kOrders)
        if (name == o.name) {
          order = o.order;
          found = true;
        }
      if (!found) return usage(argv[0]);
    } else {
      return usage(argv[0]);
    }
  }
  if (i >= argc) return usage(argv[0]);
  std::string family = argv[i++];
  std::vector<long> params;
  for (; i < argc; ++i) {
    char* end = nullptr;
    long v = std::strtol(argv[i], &end, 10);
    if (end == argv[i] || *end != '\0') return usage(argv[0]);
    params.push_back(v);
  }
  std::string error;
  auto inst = fam::family_by_name(family, params, &error);
  if (!inst) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return usage(argv[0]);
  }

  if (!lrs_file.empty()) {
    std::ofstream f(lrs_file);
    f << fam::lrs_text(*inst);
    if (!f) {
      std::fprintf(stderr, "cannot write %s\n", lrs_file.c_str());
      return 1;
    }
    return 0;
  }

  dd_set_global_constants();
  dd_MatrixPtr M = fam::to_matrix(*inst);
  auto start = std::chrono::steady_clock::now();
  dd_ErrorType err = dd_NoError;
  dd_PolyhedraPtr poly = dd_DDMatrix2Poly2(M, order, &err);
  dd_FreeMatrix(M);
  if (err != dd_NoError) {
    dd_WriteErrorMessages(stderr, err);
    dd_FreePolyhedra(poly);
    return 1;
  }
  dd_MatrixPtr out =
      inst->rep == fam::Rep::H ? dd_CopyGenerators(poly) : dd_CopyInequalities(poly);
  dd_SetFamilyPtr adj = adjacency ? dd_CopyAdjacency(poly) : nullptr;
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (out == nullptr) {
    std::fprintf(stderr, "%s: the conversion did not finish\n", inst->name.c_str());
    dd_FreePolyhedra(poly);
    return 1;
  }
  long points = 0;
  for (long r = 0; r < out->rowsize; ++r)
    if (ddd_get_d(out->matrix[r][0]) != 0.0 && !set_member(r + 1, out->linset)) ++points;
  std::printf("%s: %ld x %ld -> %ld rows (%ld linearity", inst->name.c_str(), inst->rowcount(),
              inst->cols, out->rowsize, set_card(out->linset));
  if (inst->rep == fam::Rep::H) std::printf(", %ld points", points);
  std::printf(")");
  if (adj) {
    long edges = 0;
    for (long k = 0; k < adj->famsize; ++k) edges += set_card(adj->set[k]);
    std::printf(", %ld adjacency entries", edges);
  }
  std::printf(", %.3f s\n", seconds);
  if (print)
    for (long r = 0; r < out->rowsize; ++r) {
      std::printf("%s", set_member(r + 1, out->linset) ? "L" : " ");
      for (long j = 0; j < out->colsize; ++j) std::printf(" %.10g", ddd_get_d(out->matrix[r][j]));
      std::printf("\n");
    }
  if (adj) dd_FreeSetFamily(adj);
  dd_FreeMatrix(out);
  dd_FreePolyhedra(poly);
  return 0;
}
