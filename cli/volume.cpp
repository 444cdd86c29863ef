// zonix volume: the volume of the polytope of a file, on standard output.
#include <charconv>
#include <cstdio>
#include <string>

#include "cli.hpp"
#include "zonixvolume.h"

namespace zonix::cli {

namespace {

// The shortest decimal that reads back as x.
std::string shortest(double x)
{
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x);
  return ec == std::errc() ? std::string(buf, end) : std::string("nan");
}

}  // namespace

const std::string_view kVolumeUsage =
    "Usage: zonix volume FILE [--arithmetic A] [options]\n"
    "\n"
    "Prints the volume of the polytope in FILE (an H- or V-representation; the\n"
    "other one is computed) on standard output, or where -o says:\n"
    "  volume N/D         the exact volume, a fraction in lowest terms\n"
    "  decimal X          the double nearest it\n"
    "or, computed in double precision, \"volume X\" alone.  Lower-dimensional and\n"
    "empty sets have volume 0, unbounded full-dimensional ones inf.  A comment\n"
    "line before says how it was found: the vertices, facets and simplices of\n"
    "the triangulation.  With --arithmetic auto (the default) files of integers\n"
    "and fractions are exact data, the volume found exactly; a file with some\n"
    "decimal number that is no integer holds measured data, and its volume is\n"
    "computed in double precision.\n"
    "\n"
    "Options:\n"
    "  --threads N  the threads of the conversion, 1 to 64 (default: one per\n"
    "               core); the result is the same for any N\n";

int run_volume(const Args &args)
{
  Arithmetic arithmetic = Arithmetic::Auto;
  if (const auto v = args.value("--arithmetic"); v && !parse_arithmetic(*v, &arithmetic)) {
    std::fprintf(stderr, "zonix volume: unknown arithmetic '%s' (double, exact or auto)\n"
                 "Try 'zonix volume --help'.\n", v->c_str());
    return kExitUsage;
  }
  ops::Request rq = make_request(arithmetic);
  if (const auto t = args.value("--threads")) {
    int n = 0;
    const auto [end, ec] = std::from_chars(t->data(), t->data() + t->size(), n);
    if (ec != std::errc() || end != t->data() + t->size() || n < 1 || n > 64) {
      std::fprintf(stderr, "zonix volume: --threads needs a count from 1 to 64, not '%s'\n"
                   "Try 'zonix volume --help'.\n", t->c_str());
      return kExitUsage;
    }
    rq.threads = n;
  }
  std::unique_ptr<QMatrix> rational;
  Matrix M = read_input(args.file, &rational, arithmetic == Arithmetic::Double);
  if (!M) return kExitUsage;
  const ops::HookScope hooks(rq);
  const Volume v = volume(M.get(), rq.arithmetic, rational.get(), rq.threads);
  if (v.error == dd_Interrupted) throw Interrupted{};
  if (v.error != dd_NoError) {
    complain(display_name(args.file), error_text(v.error));
    return kExitComputation;
  }
  const auto o = args.value("-o");
  Output out(o ? *o : "-");
  if (!out.ok()) return kExitUsage;
  FILE *f = out.get();
  const char *how = v.exact ? "exact arithmetic" : "double precision";
  const std::string name = args.file == "-" ? "(standard input)" : args.file;
  switch (v.kind) {
    case dd_VolumeFlat:
      std::fprintf(f, "* %s: empty or lower-dimensional (%s)\n", name.c_str(), how);
      std::fputs(v.exact ? "volume 0\ndecimal 0\n" : "volume 0\n", f);
      break;
    case dd_VolumeUnbounded:
      std::fprintf(f, "* %s: unbounded and full-dimensional (%s)\n", name.c_str(), how);
      std::fputs("volume inf\n", f);
      break;
    case dd_VolumeBounded:
      std::fprintf(f, "* %s: %ld vertices, %ld facets, %ld simplices (%s)\n", name.c_str(),
                   v.vertices, v.facets, v.simplices, how);
      if (v.exact)
        std::fprintf(f, "volume %s\ndecimal %s\n", v.fraction.get_str().c_str(), shortest(v.value).c_str());
      else
        std::fprintf(f, "volume %s\n", shortest(v.value).c_str());
      break;
  }
  return out.finish(true) ? kExitOk : kExitUsage;
}

}  // namespace zonix::cli
