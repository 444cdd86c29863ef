// Command lines, files and the progress line of the zonix tool.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "cli.hpp"

namespace zonix::cli {

namespace {

constexpr OptionSpec kCommonOptions[] = {
    {"-o", true}, {"--output", true}, {"--quiet", false},
    {"--progress", false}, {"-h", false}, {"--help", false},
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

// Conversions quicker than this never show a line.
constexpr double kProgressDelay = 1.0;
constexpr double kProgressInterval = 0.25;

}  // namespace

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

Matrix read_input(const std::string &file)
{
  FILE *f = file == "-" ? stdin : std::fopen(file.c_str(), "r");
  if (f == nullptr) {
    complain(file, std::string("cannot open: ") + std::strerror(errno));
    return nullptr;
  }
  dd_ErrorType err = dd_NoError;
  Matrix M(dd_PolyFile2Matrix(f, &err));
  const bool read_error = std::ferror(f) != 0;
  if (f != stdin) std::fclose(f);
  if (read_error) {
    complain(display_name(file), "read error");
    return nullptr;
  }
  if (err != dd_NoError || M == nullptr) {
    complain(display_name(file), error_text(err != dd_NoError ? err : dd_ImproperInputFormat));
    return nullptr;
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
  if (name == "-") {
    f_ = stdout;
    return;
  }
  f_ = std::fopen(name.c_str(), "w");
  if (f_ == nullptr) complain(name, std::string("cannot open for writing: ") + std::strerror(errno));
}

Output::~Output()
{
  if (f_ != nullptr && f_ != stdout) std::fclose(f_);
}

bool Output::finish(bool quiet)
{
  if (f_ == nullptr) return false;
  bool ok = std::fflush(f_) == 0 && std::ferror(f_) == 0;
  if (f_ != stdout) ok = std::fclose(f_) == 0 && ok;
  f_ = nullptr;
  if (!ok) {
    complain(name_ == "-" ? std::string("(standard output)") : name_, "write error");
    return false;
  }
  if (!quiet && name_ != "-") std::fprintf(stderr, "zonix: wrote %s\n", name_.c_str());
  return true;
}

ProgressLine::ProgressLine(bool enabled)
{
  if (!enabled) return;
  start_ = seconds_now();
  dd_SetProgressHook(&ProgressLine::hook, this);
}

ProgressLine::~ProgressLine()
{
  dd_SetProgressHook(nullptr, nullptr);
  if (shown_) std::fputc('\n', stderr);
}

void ProgressLine::hook(void *user, dd_rowrange iteration, dd_rowrange total,
                        long raycount)
{
  auto *self = static_cast<ProgressLine *>(user);
  const double now = seconds_now();
  if (now - self->start_ < kProgressDelay) return;
  if (self->shown_ && now - self->last_ < kProgressInterval) return;
  self->last_ = now;
  self->shown_ = true;
  // \r and the clearing blanks keep one line however the numbers shrink.
  std::fprintf(stderr, "\rzonix: iteration %ld of %ld, %ld rays kept      ",
               iteration, total, raycount);
  std::fflush(stderr);
}

bool progress_wanted(const Args &args)
{
  if (args.has("--progress")) return true;
  return !args.has("--quiet") && isatty(STDERR_FILENO) != 0;
}

}  // namespace zonix::cli
