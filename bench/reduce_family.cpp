// Time of redundancy removal by each method on one generated instance.
//
//   reduce_family h M D KEPT SEED [METHODS] [FILE]   tangent rows with implied rows
//   reduce_family v N D SEED [METHODS] [FILE]        points in a ball
//
// METHODS is a comma list of each, clarkson, auto (default
// each,clarkson,auto); a method named with a suffix ":exact" runs in
// exact arithmetic.  Prints one line per method: its name, seconds of
// processor time and rows kept; all methods must keep the same rows.
// With FILE, writes the instance there in the text format for peers.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "dovavozu.h"
#include "families.h"
#include "families_redundant.h"
#include "zonix.hpp"
#include "zonixarith.hpp"

namespace fam = zonix::families;

int main(int argc, char **argv)
{
  if (argc < 5) {
    std::fprintf(stderr, "usage: reduce_family h M D KEPT SEED [METHODS] [FILE] | v N D SEED [METHODS] [FILE]\n");
    return 2;
  }
  dd_set_global_constants();
  const bool h = std::string(argv[1]) == "h";
  int arg = 2;
  const long m = std::atol(argv[arg++]);
  const int d = std::atoi(argv[arg++]);
  const long kept = h ? std::atol(argv[arg++]) : 0;
  const auto seed = std::strtoull(argv[arg++], nullptr, 10);
  const std::string methods = argc > arg ? argv[arg++] : "each,clarkson,auto";
  const fam::Instance inst = h ? fam::paraboloid_tangents(m, d, kept, seed) : fam::ball_points(m, d, seed);
  if (argc > arg) std::ofstream(argv[arg]) << fam::lrs_text(inst);
  zonix::Matrix M(fam::to_matrix(inst));
  std::string first;
  std::stringstream list(methods);
  std::string name;
  int status = 0;
  while (std::getline(list, name, ',')) {
    const bool exact = name.size() > 6 && name.substr(name.size() - 6) == ":exact";
    const std::string base = exact ? name.substr(0, name.size() - 6) : name;
    const dd_RedundancyMethod method = base == "each"       ? dd_RedundancyEachRow
                                       : base == "clarkson" ? dd_RedundancyClarkson
                                                            : dd_RedundancyAuto;
    dd_ErrorType err = dd_NoError;
    const std::clock_t t0 = std::clock();
    zonix::Set red;
    if (exact) {
      bool was_exact = false;
      red.reset(zonix::row_query(M.get(), zonix::RowQuery::Redundant, zonix::Arithmetic::Exact, &err, &was_exact,
                                 nullptr, method));
    } else {
      red.reset(dd_RedundantRowsWith(M.get(), method, &err));
    }
    const double secs = static_cast<double>(std::clock() - t0) / CLOCKS_PER_SEC;
    if (err != dd_NoError || !red) {
      std::printf("%s error %d\n", name.c_str(), err);
      status = 1;
      continue;
    }
    std::string rows;
    long k = 0;
    for (long i = 1; i <= M->rowsize; ++i)
      if (!set_member(i, red.get())) rows += std::to_string(i) + " ", ++k;
    std::printf("%-14s %9.4f s  %ld kept of %ld\n", name.c_str(), secs, k, M->rowsize);
    if (first.empty()) first = rows;
    else if (rows != first) {
      std::printf("%s keeps other rows than the first method\n", name.c_str());
      status = 1;
    }
  }
  return status;
}
