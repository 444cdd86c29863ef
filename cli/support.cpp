// Command lines, files, interrupts and the progress line of the zonix tool.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "cli.hpp"
#include "zonixops.hpp"

namespace zonix::cli {

namespace {

constexpr OptionSpec kCommonOptions[] = {
    {"-o", true}, {"--output", true}, {"--quiet", false}, {"--arithmetic", true},
    {"--tolerance", true}, {"--progress", false}, {"-h", false}, {"--help", false},
};

const OptionSpec *find_option(std::string_view name,
                              std::span<const OptionSpec> specs)
{
  for (const OptionSpec &s : kCommonOptions)
    if (s.name == name) return &s;
  for (const OptionSpec &s : specs)
    if (s.name == name) return &s;
  return nullptr;
}

// Canonical names, so that a subcommand asks for one spelling only.
std::string canonical(std::string_view name)
{
  if (name == "--output") return "-o";
  if (name == "-h") return "--help";
  return std::string(name);
}

double seconds_now()
{
  using clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(clock::now().time_since_epoch()).count();
}

// Conversions quicker than this show no line unless one was asked for.
constexpr double kProgressDelay = 1.0;
constexpr double kProgressInterval = 0.25;

// SIGINTs received, and the temporary file being written, which a second
// SIGINT removes before ending the process.
volatile std::sig_atomic_t g_interrupts = 0;
char g_pending[PATH_MAX];
volatile std::sig_atomic_t g_pending_set = 0;

extern "C" void on_sigint(int)
{
  if (g_interrupts != 0) {
    if (g_pending_set != 0) unlink(g_pending);
    _exit(kExitInterrupted);
  }
  g_interrupts = 1;
}

int cancel_requested(void *) { return g_interrupts != 0 ? 1 : 0; }

void set_pending(const std::string &temp)
{
  g_pending_set = 0;
  if (temp.empty() || temp.size() >= sizeof g_pending) return;
  std::memcpy(g_pending, temp.c_str(), temp.size() + 1);
  g_pending_set = 1;
}

// name itself, or the file a symbolic link name points at; the temporary
// file must be made beside what is finally replaced.
std::string write_target(const std::string &name)
{
  struct stat st {};
  if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
  char *real = realpath(name.c_str(), nullptr);
  if (real == nullptr) return name;
  std::string target(real);
  std::free(real);
  return target;
}

}  // namespace

void install_interrupt_handler()
{
  struct sigaction sa {};
  sa.sa_handler = on_sigint;
  sigemptyset(&sa.sa_mask);
  // Writes in progress go on; the interrupt is honoured between steps.
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
}

ops::Request make_request(Arithmetic arithmetic)
{
  ops::Request rq;
  rq.arithmetic = arithmetic;
  rq.cancel = cancel_requested;
  return rq;
}

void stop_if_interrupted()
{
  if (g_interrupts != 0) throw Interrupted{};
}

bool Args::has(std::string_view flag) const
{
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<std::string> Args::value(std::string_view name) const
{
  auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> parse_args(std::span<char *const> argv,
                                      std::span<const OptionSpec> specs,
                                      Args *out)
{
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string_view a = argv[i];
    if (a.size() > 1 && a[0] == '-') {
      std::string_view name = a;
      std::optional<std::string> inline_value;
      if (const auto eq = a.find('='); a.starts_with("--") && eq != std::string_view::npos) {
        name = a.substr(0, eq);
        inline_value = std::string(a.substr(eq + 1));
      }
      const OptionSpec *spec = find_option(name, specs);
      if (spec == nullptr) return "unknown option '" + std::string(name) + "'";
      if (!spec->takes_value) {
        if (inline_value) return "option '" + std::string(name) + "' takes no value";
        out->flags.push_back(canonical(name));
        continue;
      }
      if (!inline_value) {
        if (i + 1 >= argv.size()) return "option '" + std::string(name) + "' needs a value";
        inline_value = argv[++i];
      }
      out->values[canonical(name)] = *inline_value;
      continue;
    }
    if (out->has_file) return "more than one input file ('" + out->file + "', '" + std::string(a) + "')";
    out->file = std::string(a);
    out->has_file = true;
  }
  return std::nullopt;
}

std::string error_text(dd_ErrorType err)
{
  char *buf = nullptr;
  std::size_t len = 0;
  FILE *f = open_memstream(&buf, &len);
  if (f == nullptr) return "error " + std::to_string(static_cast<int>(err));
  dd_WriteErrorMessages(f, err);
  std::fclose(f);
  std::string text(buf, len);
  std::free(buf);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

void complain(std::string_view what, std::string_view text)
{
  std::fprintf(stderr, "zonix: %.*s: %.*s\n", static_cast<int>(what.size()),
               what.data(), static_cast<int>(text.size()), text.data());
}

std::string display_name(const std::string &file)
{
  return file == "-" ? std::string("(standard input)") : file;
}

Matrix read_input(const std::string &file, std::unique_ptr<QMatrix> *rational, bool double_run)
{
  FILE *f = file == "-" ? stdin : std::fopen(file.c_str(), "r");
  if (f == nullptr) {
    complain(file, std::string("cannot open: ") + std::strerror(errno));
    return nullptr;
  }
  dd_ErrorType err = dd_NoError;
  std::string why;
  Input in = read_representation(f, &err, &why, rational != nullptr, !double_run);
  if (rational != nullptr) *rational = exact_input(in);
  Matrix M = std::move(in.doubles);
  const bool read_error = std::ferror(f) != 0;
  if (f != stdin) std::fclose(f);
  if (read_error) {
    complain(display_name(file), "read error");
    return nullptr;
  }
  if (err != dd_NoError || M == nullptr) {
    // The first line of the library's message, then where and why.
    std::string text = error_text(err != dd_NoError ? err : dd_ImproperInputFormat);
    text = text.substr(0, text.find('\n'));
    complain(display_name(file), text);
    if (!why.empty()) complain(display_name(file), why);
    return nullptr;
  }
  const double need = ops::least_storage(static_cast<double>(M->rowsize), static_cast<double>(M->colsize));
  if (const double have = ops::room_left(); need > have) {
    constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;
    complain(display_name(file), error_text(dd_OutOfMemory));
    char detail[160];
    std::snprintf(detail, sizeof detail,
                  "a %ld x %ld matrix needs at least %.1f GiB, more than the %.1f GiB here",
                  M->rowsize, M->colsize, need / kGiB, have / kGiB);
    complain(display_name(file), detail);
    throw Failed{kExitComputation};
  }
  return M;
}

std::string output_name(const Args &args, char code, dd_RepresentationType rep)
{
  if (auto o = args.value("-o")) return *o;
  if (args.file == "-") return "-";
  dd_DataFileType in{};
  dd_DataFileType out{};
  std::strncpy(in, args.file.c_str(), sizeof in - 1);
  dd_SetWriteFileName(in, out, code, rep);
  return out;
}

Output::Output(const std::string &name) : name_(name)
{
  // Nothing is written once the run has been asked to stop.
  stop_if_interrupted();
  if (name == "-") {
    f_ = stdout;
    return;
  }
  const std::string target = write_target(name);
  struct stat st {};
  if (stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    // A device or a pipe (/dev/null, say) is written as it is.
    f_ = std::fopen(target.c_str(), "w");
  } else {
    const auto slash = target.rfind('/');
    std::string temp = slash == std::string::npos
                           ? "." + target
                           : target.substr(0, slash + 1) + "." + target.substr(slash + 1);
    temp += ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd >= 0) {
      // The permissions a file made by fopen would have.
      const mode_t mask = umask(0);
      umask(mask);
      fchmod(fd, 0666 & ~mask);
      f_ = fdopen(fd, "w");
      if (f_ == nullptr) {
        close(fd);
        unlink(temp.c_str());
      } else {
        temp_ = temp;
        target_ = target;
        set_pending(temp_);
      }
    }
  }
  if (f_ == nullptr) complain(name, std::string("cannot open for writing: ") + std::strerror(errno));
}

Output::~Output() { discard(); }

void Output::discard()
{
  if (f_ != nullptr && f_ != stdout) std::fclose(f_);
  f_ = nullptr;
  if (!temp_.empty()) {
    g_pending_set = 0;
    unlink(temp_.c_str());
    temp_.clear();
  }
}

bool Output::finish(bool quiet)
{
  if (f_ == nullptr) return false;
  bool ok = std::fflush(f_) == 0 && std::ferror(f_) == 0;
  if (f_ != stdout) ok = std::fclose(f_) == 0 && ok;
  f_ = nullptr;
  if (!ok) {
    discard();
    complain(name_ == "-" ? std::string("(standard output)") : name_, "write error");
    return false;
  }
  stop_if_interrupted();
  if (!temp_.empty()) {
    // Swapped in and the old file dropped: a rename over an existing file
    // makes ext4 write the new one out before it returns, which a short run
    // would wait for.  Readers see the old file or the new one throughout.
#ifdef RENAME_EXCHANGE
    if (renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE) == 0) {
      unlink(temp_.c_str());
    } else
#endif
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
      complain(name_, std::string("cannot replace: ") + std::strerror(errno));
      discard();
      return false;
    }
    g_pending_set = 0;
    temp_.clear();
  }
  if (!quiet && name_ != "-") std::fprintf(stderr, "zonix: wrote %s\n", name_.c_str());
  return true;
}

ProgressLine::ProgressLine(bool enabled, bool at_once, ops::Request *rq)
{
  if (!enabled) return;
  start_ = seconds_now();
  delay_ = at_once ? 0.0 : kProgressDelay;
  rq->iterations = &ProgressLine::hook;
  rq->iterations_user = this;
  rq->progress = &ProgressLine::row_hook;
  rq->progress_user = this;
}

ProgressLine::~ProgressLine()
{
  if (shown_) std::fputc('\n', stderr);
}

void ProgressLine::hook(void *user, dd_rowrange iteration, dd_rowrange total,
                        long raycount)
{
  auto *self = static_cast<ProgressLine *>(user);
  const double now = seconds_now();
  if (now - self->start_ < self->delay_) return;
  if (self->shown_ && now - self->last_ < kProgressInterval) return;
  self->last_ = now;
  self->shown_ = true;
  // \r and the clearing blanks keep one line however the numbers shrink.
  std::fprintf(stderr, "\rzonix: iteration %ld of %ld, %ld rays kept      ",
               iteration, total, raycount);
  std::fflush(stderr);
}

void ProgressLine::row_hook(void *user, const char *stage, long done, long total, long kept)
{
  auto *self = static_cast<ProgressLine *>(user);
  const double now = seconds_now();
  if (now - self->start_ < self->delay_) return;
  if (self->shown_ && done < total && now - self->last_ < kProgressInterval) return;
  self->last_ = now;
  self->shown_ = true;
  std::fprintf(stderr, "\rzonix: %s, %ld of %ld rows, %ld kept, %.1f s      ", stage, done, total, kept,
               now - self->start_);
  std::fflush(stderr);
}

bool progress_wanted(const Args &args)
{
  if (args.has("--progress")) return true;
  return !args.has("--quiet") && isatty(STDERR_FILENO) != 0;
}

}  // namespace zonix::cli
