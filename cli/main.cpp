// zonix: convex polyhedra from the command line.  One program with
// subcommands; each reads a representation file and writes its result.
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "cli.hpp"
#include "zonixfinite.hpp"

#ifndef ZONIX_VERSION
#define ZONIX_VERSION "unknown"
#endif

namespace {

using namespace zonix::cli;

void print_help()
{
  std::printf(
      "Usage: zonix COMMAND FILE [options]\n"
      "       zonix COMMAND --help | zonix --help | zonix --version\n"
      "\n"
      "Convex polyhedra given by inequalities (H-representation) or by points\n"
      "and rays (V-representation) in the plain-text format shared with lrs.\n"
      "\n"
      "Commands:\n");
  for (const Command &c : commands())
    std::printf("  %-10.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(),
                static_cast<int>(c.summary.size()), c.summary.data());
  const std::string_view common = common_help();
  std::printf("%.*s", static_cast<int>(common.size()), common.data());
  std::printf(
      "\n"
      "Exit status: 0 on success, 1 when the computation reports an error or\n"
      "runs out of memory, 2 for a bad command line or input file, 130 when\n"
      "interrupted (SIGINT; the files being written are left as they were).\n");
}

void print_version()
{
  std::printf("zonix %s\n", ZONIX_VERSION);
  dd_WriteProgramDescription(stdout);
}

}  // namespace

int main(int argc, char **argv)
{
  // One run, then exit: memory a phase frees stays for the next instead
  // of going back to the system, whose fresh pages cost the most here
  // (the exact check after a run reuses the run's pages).
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  dd_set_global_constants();
  if (argc < 2) {
    std::fputs("zonix: a command is needed.\nTry 'zonix --help'.\n", stderr);
    return kExitUsage;
  }
  const std::string_view first = argv[1];
  if (first == "--help" || first == "-h" || first == "help") {
    print_help();
    return kExitOk;
  }
  if (first == "--version") {
    print_version();
    return kExitOk;
  }
  for (const Command &c : commands()) {
    if (c.name != first) continue;
    Args args;
    if (auto e = parse_args(std::span<char *const>(argv + 2, static_cast<std::size_t>(argc - 2)),
                            c.options, &args)) {
      std::fprintf(stderr, "zonix %s: %s\nTry 'zonix %s --help'.\n", argv[1], e->c_str(), argv[1]);
      return kExitUsage;
    }
    if (args.has("--help")) {
      std::printf("%.*s", static_cast<int>(c.usage.size()), c.usage.data());
      const std::string_view common = common_help();
      std::printf("%.*s", static_cast<int>(common.size()), common.data());
      return kExitOk;
    }
    if (!args.has_file) {
      std::fprintf(stderr, "zonix %s: an input file is needed (- for standard input).\n"
                   "Try 'zonix %s --help'.\n", argv[1], argv[1]);
      return kExitUsage;
    }
    install_interrupt_handler();
    int status = kExitOk;
    try {
      status = c.run(args);
    } catch (const Interrupted &) {
      std::fflush(stdout);
      std::fprintf(stderr, "zonix %s: interrupted (no partial file written).\n", argv[1]);
      return kExitInterrupted;
    } catch (const Failed &f) {
      return f.status;
    } catch (const std::bad_alloc &) {
      complain(args.file == "-" ? "(standard input)" : args.file, error_text(dd_OutOfMemory));
      return kExitComputation;
    } catch (const zonix::NotFinite &e) {
      complain(args.file == "-" ? "(standard input)" : args.file, std::string("*Error: ") + e.what() + ".");
      return kExitComputation;
    }
    std::fflush(stdout);
    return status;
  }
  std::fprintf(stderr, "zonix: unknown command '%s'.\nTry 'zonix --help'.\n", argv[1]);
  return kExitUsage;
}
