// zonix MEX module: the two exports, the command dispatch, the options of
// the computing commands, and the hooks that connect the library to the
// host (its output, its interrupt key, a progress line).
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "gateway.h"
#include "zonixdd.h"
#include "zonixfinite.hpp"
#include "zonixio.h"

// The host's pending-interrupt state: Octave's flag lives in liboctave,
// MATLAB's in libut.  Weak, so that one build loads in either host.
#if defined(__GNUC__) && !defined(_WIN32)
extern "C" {
extern sig_atomic_t octave_interrupt_state __attribute__((weak));
bool utIsInterruptPending() __attribute__((weak));
bool utSetInterruptPending(bool) __attribute__((weak));
}
#define ZONIX_HOST_INTERRUPTS 1
#endif

namespace {

constexpr char library_error[] =
    "ZONIX returned an error, see above(!) for details";

bool host_interrupt_pending()
{
#ifdef ZONIX_HOST_INTERRUPTS
  if (&octave_interrupt_state != nullptr && octave_interrupt_state > 0)
    return true;
  if (utIsInterruptPending != nullptr && utIsInterruptPending()) return true;
#endif
  return false;
}

// The interrupt has been answered with an error; the host need not raise
// a second one once the call is over.
void host_interrupt_clear()
{
#ifdef ZONIX_HOST_INTERRUPTS
  if (&octave_interrupt_state != nullptr) octave_interrupt_state = 0;
  if (utSetInterruptPending != nullptr) utSetInterruptPending(false);
#endif
}

int host_cancels(void *) { return host_interrupt_pending() ? 1 : 0; }

void print_on_host(void *, FILE *, const char *text) { mexPrintf("%s", text); }

void print_and_keep(void *user, FILE *, const char *text)
{
  static_cast<std::string *>(user)->append(text);
  mexPrintf("%s", text);
}

// A few lines a second at most: the first iteration, then one each time
// this much time has passed, and the last.
constexpr auto progress_interval = std::chrono::milliseconds(250);

struct Progress {
  const char *command;
  std::chrono::steady_clock::time_point last{};
};

void print_progress(void *user, dd_rowrange iteration, dd_rowrange total,
                   long raycount)
{
  auto *p = static_cast<Progress *>(user);
  const auto now = std::chrono::steady_clock::now();
  if (iteration < total && p->last != decltype(p->last){} &&
      now - p->last < progress_interval)
    return;
  p->last = now;
  mexPrintf("%s: iteration %ld of %ld, %ld rays\n", p->command,
            static_cast<long>(iteration), static_cast<long>(total), raycount);
}

// The row loops' line: rewritten in place, ended once every row is done.
struct RowProgress {
  const char *command;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  bool open = false;
};

void print_row_progress(void *user, const char *stage, long done, long total, long kept)
{
  auto *p = static_cast<RowProgress *>(user);
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - p->start).count();
  mexPrintf("\r%s: %s, %ld of %ld rows, %ld kept, %.1f s   ", p->command, stage, done, total, kept, secs);
  p->open = done < total;
  if (!p->open) mexPrintf("\n");
}

// The hooks of one computing call, put into its request and installed
// for its length only.
class Session {
 public:
  explicit Session(gw::Call &call) : progress_{call.command}, rows_{call.command}
  {
    zonix::ops::Request &rq = call.request;
    rq.cancel = host_cancels;
    if (call.options.progress) {
      rq.iterations = print_progress;
      rq.iterations_user = &progress_;
      rq.progress = print_row_progress;
      rq.progress_user = &rows_;
    }
    hooks_.emplace(rq);
  }
  ~Session()
  {
    hooks_.reset();
    if (rows_.open) mexPrintf("\n");
  }
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

 private:
  Progress progress_;
  RowProgress rows_;
  std::optional<zonix::ops::HookScope> hooks_;
};

// "version" takes any inputs and assigns no output.
void version(const gw::Call &, int, mxArray *[], int, const mxArray *[])
{
  mexPrintf("Version %s\n", "1.0");
}

struct Command {
  const char *name;
  Handler handler;
  int inputs;     // inputs before the optional options struct
  bool computes;  // takes options, runs under the hooks
};

// Searched in this order, first match wins.
constexpr Command commands[] = {
    {"hull", hull, 1, true},
    {"extreme", extreme, 1, true},
    {"reduce_h", reduce_h, 1, true},
    {"reduce_v", reduce_v, 1, true},
    {"copy_v", copy_v, 1, false},
    {"copy_h", copy_h, 1, false},
    {"v_hull_extreme", v_hull_extreme, 1, true},
    {"adj_extreme", adj_extreme, 1, true},
    {"solve_lp", solve_lp, 1, true},
    {"solve_lp_DS", solve_lp_DS, 1, true},
    {"find_interior", find_interior, 1, true},
    {"find_interior_DS", find_interior_DS, 1, true},
    {"version", version, 0, false},
    {"adjacency", adjacency, 1, true},
    {"project", project, 2, true},
    {"linearity", linearity, 1, true},
    {"strong_redundancy", strong_redundancy, 1, true},
    {"volume", volume, 1, true},
};

// A scalar true/false, as logical or as the double 0 or 1.
bool flag_value(const mxArray *v, const char *name)
{
  if (mxGetNumberOfElements(v) == 1 && !mxIsComplex(v) && !mxIsSparse(v)) {
    if (mxIsLogical(v)) return mxIsLogicalScalarTrue(v);
    if (mxIsDouble(v)) {
      const double x = mxGetScalar(v);
      if (x == 0.0 || x == 1.0) return x == 1.0;
    }
  }
  gw::fail("badOption", std::string("option ") + name +
                            " must be true or false");
}

// A one-row character value of the named option.
std::string text_value(const mxArray *v, const char *name)
{
  if (!mxIsChar(v) || mxGetM(v) != 1 || mxGetNumberOfDimensions(v) != 2)
    gw::fail("badOption", std::string("option ") + name + " must be a string");
  const size_t n = mxGetN(v);
  std::string s(n + 1, '\0');
  mxGetString(v, s.data(), n + 1);
  s.resize(std::strlen(s.c_str()));
  return s;
}

// Reads the options struct o of call's command into call.
void read_options(const mxArray *o, gw::Call &call)
{
  const char *command = call.command;
  const bool projecting = std::strcmp(command, "project") == 0;
  const bool reducing = std::strcmp(command, "reduce_h") == 0 || std::strcmp(command, "reduce_v") == 0;
  const char *known = projecting ? "progress, arithmetic, threads, tolerance, method, reduce"
                      : reducing ? "progress, arithmetic, threads, tolerance, method"
                                 : "progress, arithmetic, threads, tolerance";
  if (!mxIsStruct(o) || mxGetNumberOfElements(o) != 1)
    gw::fail("badOption", "the options must be a 1x1 struct");
  gw::Options &opt = call.options;
  for (int k = 0; k < mxGetNumberOfFields(o); ++k) {
    const std::string name = mxGetFieldNameByNumber(o, k);
    const mxArray *v = mxGetFieldByNumber(o, 0, k);
    if (!v) v = mxCreateDoubleMatrix(0, 0, mxREAL);  // an unset field: []
    if (name == "progress") {
      opt.progress = flag_value(v, "progress");
    } else if (name == "arithmetic") {
      const std::string a = text_value(v, "arithmetic");
      if (!zonix::parse_arithmetic(a, &call.request.arithmetic))
        gw::fail("badOption", "option arithmetic must be 'double', 'exact' or "
                              "'auto', not '" + a + "'");
    } else if (name == "threads") {
      if (!mxIsNumeric(v) || mxIsComplex(v) || mxGetNumberOfElements(v) != 1 ||
          !(mxGetScalar(v) >= 1 && mxGetScalar(v) <= 64) ||
          mxGetScalar(v) != static_cast<double>(static_cast<int>(mxGetScalar(v))))
        gw::fail("badOption", "option threads must be a whole number from 1 to 64");
      call.request.threads = static_cast<int>(mxGetScalar(v));
    } else if (name == "tolerance") {
      if (!mxIsDouble(v) || mxIsComplex(v) || mxGetNumberOfElements(v) != 1 ||
          !(mxGetScalar(v) > 0 && mxGetScalar(v) <= 1e-3))
        gw::fail("badOption", "option tolerance must be a number above 0 and at most 1e-3");
      opt.tolerance = mxGetScalar(v);
    } else if (projecting && name == "method") {
      const std::string m = text_value(v, "method");
      using zonix::proj::Method;
      if (m == "auto") opt.projection = Method::Auto;
      else if (m == "vertices") opt.projection = Method::Vertices;
      else if (m == "block") opt.projection = Method::Block;
      else if (m == "fourier") opt.projection = Method::Fourier;
      else
        gw::fail("badOption", "option method must be 'auto', 'vertices', 'block' or "
                              "'fourier', not '" + m + "'");
    } else if (reducing && name == "method") {
      const std::string m = text_value(v, "method");
      if (m == "auto") opt.redundancy = dd_RedundancyAuto;
      else if (m == "each") opt.redundancy = dd_RedundancyEachRow;
      else if (m == "clarkson") opt.redundancy = dd_RedundancyClarkson;
      else
        gw::fail("badOption", "option method must be 'auto', 'each' or 'clarkson', "
                              "not '" + m + "'");
    } else if (projecting && name == "reduce") {
      opt.reduce = flag_value(v, "reduce");
    } else {
      gw::fail("badOption", "unknown option '" + name + "'; " + command +
                                " takes " + known);
    }
  }
}

// Runs the command prhs[0] names; *command is its name once known, for
// the identifier of an error.
void dispatch(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[], const char **command)
{
  static constexpr char not_string[] = "Input 1 must be a row vector string";
  if (nrhs < 1 || !mxIsChar(prhs[0]) || mxGetM(prhs[0]) != 1 ||
      mxGetNumberOfDimensions(prhs[0]) != 2)
    gw::fail("notRowString", not_string);

  const mwSize n = mxGetN(prhs[0]);
  auto *name = static_cast<char *>(mxCalloc(n + 1, 1));
  mxGetString(prhs[0], name, n + 1);
  // An embedded NUL would make a prefix of the string look like a name.
  if (std::strlen(name) != static_cast<size_t>(n))
    gw::fail("unknownFunction", "Unknown function");

  for (const Command &c : commands) {
    if (std::strcmp(name, c.name) != 0) continue;
    *command = c.name;
    gw::Call call;
    call.command = c.name;
    dd_set_global_constants();
    nrhs -= 1;
    prhs += 1;
    if (!c.computes) {
      c.handler(call, nlhs, plhs, nrhs, prhs);
      return;
    }
    if (nrhs == c.inputs + 1 && mxIsStruct(prhs[nrhs - 1])) read_options(prhs[--nrhs], call);
    const Session session(call);
    c.handler(call, nlhs, plhs, nrhs, prhs);
    return;
  }
  gw::fail("unknownFunction", "Unknown function");
}

// Copies text into memory the host reclaims after the call, so nothing of
// ours is left to free when the host's error call leaves the module.
char *host_copy(const std::string &text)
{
  auto *out = static_cast<char *>(mxCalloc(text.size() + 1, 1));
  std::memcpy(out, text.data(), text.size());
  return out;
}

}  // namespace

namespace gw {

void fail(const char *what, std::string message)
{
  throw Failure{what, std::move(message)};
}

void check_call(int nlhs, int nrhs, const mxArray *prhs[], int inputs,
                int min_out, int max_out, const char *usage, int structs)
{
  // Name/value pairs are how many MATLAB functions take their data; say
  // what this one takes instead.
  if (nrhs > inputs && nrhs >= 2 && mxIsChar(prhs[0]))
    fail("usage", std::string(usage) +
                      ": the fields came as name/value pairs; give one struct, "
                      "such as struct('A', A, 'B', B) or struct('V', V)");
  if (nrhs != inputs || nlhs < min_out || nlhs > max_out) fail("usage", usage);
  for (int k = 0; k < structs; ++k)
    if (!mxIsStruct(prhs[k])) fail("usage", usage);
}

void check(dd_ErrorType err, bool fatal)
{
  if (err == dd_Interrupted || host_interrupt_pending()) {
    host_interrupt_clear();
    fail("interrupted", "interrupted; the call was abandoned");
  }
  if (err == dd_OutOfMemory)
    fail("outOfMemory", "out of memory; the call was abandoned");
  if (err == dd_InternalError)
    fail("internal", "internal error: the library failed unexpectedly; please report it");
  if (err == dd_NoError) return;
  // The library's text goes to the command window as it always has, and
  // into the error, so that err.message tells the reason too.
  std::string said;
  dd_SetOutputHook(print_and_keep, &said);
  dd_WriteErrorMessages(stdout, err);
  dd_SetOutputHook(print_on_host, nullptr);
  while (!said.empty() && said.back() == '\n') said.pop_back();
  if (fatal) fail("library", std::string(library_error) + ":\n" + said);
}

}  // namespace gw

extern "C" void mexFunction(int nlhs, mxArray *plhs[], int nrhs,
                            const mxArray *prhs[])
{
  static bool hooked = false;
  if (!hooked) {
    // The library's text then reaches the command window, and evalc.
    dd_SetOutputHook(print_on_host, nullptr);
    hooked = true;
  }
  const char *command = "zonixmex";
  const char *id = nullptr;
  const char *message = nullptr;
  try {
    dispatch(nlhs, plhs, nrhs, prhs, &command);
  } catch (const gw::Failure &f) {
    id = host_copy(std::string("zonix:") + command + ":" + f.what);
    message = host_copy(f.message);
  } catch (const std::bad_alloc &) {
    id = host_copy(std::string("zonix:") + command + ":outOfMemory");
    message = "out of memory; the call was abandoned";
  } catch (const zonix::NotFinite &e) {
    id = host_copy(std::string("zonix:") + command + ":nonFinite");
    message = host_copy(std::string("a computed number overflowed: ") + e.what());
  } catch (const std::exception &e) {
    id = host_copy(std::string("zonix:") + command + ":internal");
    message = host_copy(std::string("internal error: ") + e.what());
  } catch (...) {
    id = host_copy(std::string("zonix:") + command + ":internal");
    message = "internal error";
  }
  // Raised here, after every handler scope has released its records.
  if (id) mexErrMsgIdAndTxt(id, "%s", message);
}

extern "C" const char *mexVersion(void)
{
  return "MATLAB R13 native";
}
