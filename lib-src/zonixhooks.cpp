// The hooks through which a host hears from the library and stops it.
// Compiled once, with no number in sight: the exact build of the library
// calls these same functions, so one hook serves both arithmetics.
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

#include "zonixdd.h"
#include "zonixio.h"

namespace {

// Per thread, so that concurrent runs answer to their own callers.
thread_local dd_CancelHook cancel_hook = nullptr;
thread_local void *cancel_user = nullptr;
thread_local unsigned cancel_polls = 0;
thread_local long cancel_last = 0;  // microseconds, of cancel_clock
thread_local bool cancel_seen = false;
thread_local dd_RowProgressHook row_hook = nullptr;
thread_local void *row_user = nullptr;
thread_local long row_last = 0;  // microseconds, of cancel_clock
thread_local unsigned row_calls = 0;

// Set once by a host before its calls; two atomics suffice, since a host
// that changes its hook mid-run accepts either pairing for that run.
std::atomic<dd_OutputHook> output_hook{nullptr};
std::atomic<void *> output_user{nullptr};

// Microseconds of a clock that costs no system call where the system has
// one (a coarse clock): the processor-time clock is a system call, which
// on a virtual machine with the run's threads on other cores costs as
// much as thousands of polls.
long cancel_clock()
{
#if defined(CLOCK_MONOTONIC_COARSE)
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return static_cast<long>(ts.tv_sec) * 1000000L + ts.tv_nsec / 1000;
#else
  return static_cast<long>(std::clock() / (CLOCKS_PER_SEC / 1000000L));
#endif
}

}  // namespace

void dd_SetCancelHook(dd_CancelHook hook, void *user)
{
  cancel_hook = hook;
  cancel_user = user;
  cancel_polls = 0;
  cancel_last = 0;
  cancel_seen = false;
}

void dd_GetCancelHook(dd_CancelHook *hook, void **user)
{
  *hook = cancel_hook;
  *user = cancel_user;
}

dd_boolean dd_CancelRequested(void)
{
  if (cancel_hook == nullptr) return 0;
  if (cancel_seen) return 1;
  // Polls are cheap and frequent; the hook (and the clock) only every 64th
  // poll, and the hook at most once per millisecond.
  if ((++cancel_polls & 63u) != 0) return 0;
  const long now = cancel_clock();
  if (now - cancel_last < 1000) return 0;
  cancel_last = now;
  cancel_seen = cancel_hook(cancel_user) != 0;
  return cancel_seen ? 1 : 0;
}

void dd_SetRowProgressHook(dd_RowProgressHook hook, void *user)
{
  row_hook = hook;
  row_user = user;
  row_last = 0;
  row_calls = 0;
}

void dd_GetRowProgressHook(dd_RowProgressHook *hook, void **user)
{
  *hook = row_hook;
  *user = row_user;
}

void dd_ReportRowProgress(const char *stage, long done, long total, long kept)
{
  if (row_hook == nullptr) return;
  // The clock only every 16th call: rows may take a microsecond each.
  const bool edge = done == 0 || done >= total;
  if (!edge && (++row_calls & 15u) != 0) return;
  const long now = cancel_clock();
  if (!edge && now - row_last < 100000) return;
  row_last = now;
  row_hook(row_user, stage, done, total, kept);
}

void dd_SetOutputHook(dd_OutputHook hook, void *user)
{
  output_user.store(user);
  output_hook.store(hook);
}

void dd_Printf(FILE *f, const char *format, ...)
{
  va_list ap;
  va_start(ap, format);
  const dd_OutputHook hook = output_hook.load();
  if (hook == nullptr || (f != stdout && f != stderr)) {
    std::vfprintf(f, format, ap);
    va_end(ap);
    return;
  }
  char small[512];
  va_list again;
  va_copy(again, ap);
  const int n = std::vsnprintf(small, sizeof small, format, ap);
  va_end(ap);
  if (n < 0) {
    va_end(again);
    return;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    va_end(again);
    hook(output_user.load(), f, small);
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(big.data(), big.size(), format, again);
  va_end(again);
  hook(output_user.load(), f, big.c_str());
}
