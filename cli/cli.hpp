// The zonix command-line tool: shared pieces of its subcommands.
#ifndef ZONIX_CLI_HPP
#define ZONIX_CLI_HPP

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dovavozu.h"
#include "zonix.hpp"
#include "zonixarith.hpp"
#include "zonixops.hpp"

namespace zonix::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitComputation = 1;  // the library reported an error
inline constexpr int kExitUsage = 2;        // bad command line or input file
inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as shells report it

// Thrown when SIGINT has asked the run to stop; main reports it.  Files
// being written are removed on the way, so their previous contents stay.
struct Interrupted {};

// Thrown, once the message is out, to end the command with status.
struct Failed {
  int status;
};

// SIGINT asks the library's loops to stop (through its cancel hook) and
// makes stop_if_interrupted throw; a second SIGINT ends the process at
// once, removing the file being written.
void install_interrupt_handler();

// A command's request: its arithmetic, and the interrupt key (after
// install_interrupt_handler) as its cancel hook.
ops::Request make_request(Arithmetic arithmetic);
void stop_if_interrupted();

// ---- command lines ------------------------------------------------------

struct OptionSpec {
  std::string_view name;  // "--order", "-o"
  bool takes_value;
};

struct Args {
  std::string file;  // the one positional argument ("-" = standard input)
  bool has_file = false;
  std::map<std::string, std::string, std::less<>> values;  // options with values
  std::vector<std::string> flags;                            // options without
  bool has(std::string_view flag) const;
  std::optional<std::string> value(std::string_view name) const;
};

// Parses the arguments after the subcommand.  Accepts "--name VALUE" and
// "--name=VALUE".  Returns an error text for an unknown option, a missing
// value or a second file.  The common options -o/--output, --quiet,
// --progress and -h/--help are always known.
std::optional<std::string> parse_args(std::span<char *const> argv,
                                      std::span<const OptionSpec> specs,
                                      Args *out);

// ---- input and output -----------------------------------------------------

// The text of the library's message for err, without the final newline.
std::string error_text(dd_ErrorType err);

// "zonix: WHAT: TEXT" on stderr; a message of several lines keeps its
// further lines as they are.
void complain(std::string_view what, std::string_view text);

// The name under which the input is mentioned in messages.
std::string display_name(const std::string &file);

// Reads the representation in file; on failure says why (naming the file
// and the line) and returns null.  Throws Failed{kExitComputation}, having
// said so, for a matrix whose computations cannot fit in memory here.
// With rational, the exact rows of a file whose numbers are not all
// doubles go there (null otherwise); without it they are not made.  For
// a double_run, numbers beyond the range of the doubles are refused.
Matrix read_input(const std::string &file, std::unique_ptr<QMatrix> *rational = nullptr,
                  bool double_run = false);

// Where a subcommand writes: -o FILE, "-" for standard output, otherwise
// standard output for standard input, otherwise the name that
// dd_SetWriteFileName derives from the input name with code.
std::string output_name(const Args &args, char code, dd_RepresentationType rep);

// An output stream opened for name ("-" is standard output).  A regular
// file is written under a temporary name in its folder and renamed over
// name only when complete, so an error or an interrupt leaves the previous
// file as it was.
class Output {
 public:
  // Opens name; on failure says why and stays closed.
  explicit Output(const std::string &name);
  ~Output();
  Output(const Output &) = delete;
  Output &operator=(const Output &) = delete;
  FILE *get() const { return f_; }
  bool ok() const { return f_ != nullptr; }
  // Closes the stream and puts the file in place; false (and a message)
  // when writing failed.  Throws Interrupted after SIGINT.
  bool finish(bool quiet);

 private:
  void discard();
  std::string name_;
  std::string target_;  // the file replaced: name_, or where its link points
  std::string temp_;    // empty when writing to name_ directly
  FILE *f_ = nullptr;
};

// ---- progress ---------------------------------------------------------------

// Shows "iteration k of m, n rays" on stderr while a conversion runs, when
// enabled: at once when asked for, else (a terminal) once the run has taken
// about a second; removes the hook on destruction.
class ProgressLine {
 public:
  // The line's hooks go into rq, which the operation installs; the line
  // outlives it.
  ProgressLine(bool enabled, bool at_once, ops::Request *rq);
  ~ProgressLine();
  ProgressLine(const ProgressLine &) = delete;
  ProgressLine &operator=(const ProgressLine &) = delete;

 private:
  static void hook(void *user, dd_rowrange iteration, dd_rowrange total,
                   long raycount);
  // The row loops (reduce, project): rows done of rows, kept, elapsed.
  static void row_hook(void *user, const char *stage, long done, long total, long kept);
  double start_ = 0.0;
  double delay_ = 0.0;
  double last_ = 0.0;
  bool shown_ = false;
};

// Whether the progress line is wanted: --progress, or stderr a terminal and
// no --quiet.
bool progress_wanted(const Args &args);

// ---- subcommands --------------------------------------------------------------

struct Command {
  std::string_view name;
  std::string_view summary;
  std::string_view usage;  // the text of "zonix NAME --help"
  std::span<const OptionSpec> options;
  int (*run)(const Args &args);
};

std::span<const Command> commands();

// zonix volume (cli/volume.cpp).
int run_volume(const Args &args);
extern const std::string_view kVolumeUsage;

// The options and notes every subcommand shares, for the help texts.
std::string_view common_help();

}  // namespace zonix::cli

#endif  // ZONIX_CLI_HPP
