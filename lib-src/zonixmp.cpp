// Global numbers: the tolerance of the sign tests, one and zero.
#include "zonixmp.h"

#include <cmath>

#ifdef ZONIX_EXACT

// Rays and rows hold d of these: twice a double's size, no more.
static_assert(sizeof(mytype) == 16, "an exact number is an int64 and an address");

extern "C" {
// Exact sign tests need no tolerance: every comparison is against 0.
// Constant-initialised: no code runs before they hold their values, and
// no run writes them.
constinit mytype dd_zero = {zonix_rational(0)};
constinit mytype dd_minuszero = {zonix_rational(0)};
constinit mytype dd_one = {zonix_rational(1)};
constinit mytype dd_purezero = {zonix_rational(0)};
int dd_debug = 0;

namespace {
// Only a value a caller has changed is written (see below).
void restore(mytype a, int64_t v)
{
  if (ddd_big(a) || a->v != v) ddd_set_si(a, v);
}
}  // namespace

void dd_set_global_constants(void)
{
  restore(dd_zero, 0);
  restore(dd_minuszero, 0);
  restore(dd_one, 1);
  restore(dd_purezero, 0);
}
}  // extern "C"

#else

extern "C" {

// Statically initialised so that code running before the first
// dd_set_global_constants (or without it) sees the right tolerance.
mytype dd_zero = {1e-07};
mytype dd_minuszero = {-1e-07};
mytype dd_one = {1.0};
mytype dd_purezero = {0.0};

int dd_debug = 0;

namespace {
// Reading is safe while other threads run; writing is not, so only a
// value a caller has changed is written.  The signs are compared too, so
// that -0.0 for 0.0 is restored.
void restore(mytype a, double v)
{
  if (!(a[0] == v && std::signbit(a[0]) == std::signbit(v))) a[0] = v;
}
}  // namespace

void dd_set_global_constants(void)
{
  restore(dd_zero, 1e-07);
  restore(dd_minuszero, -1e-07);
  restore(dd_one, 1.0);
  restore(dd_purezero, 0.0);
}

}  // extern "C"

#endif
