// Global numbers: the tolerance of the sign tests, one and zero.
#include "zonixmp.h"

#ifdef ZONIX_EXACT

// Rays and rows hold d of these: twice a double's size, no more.
static_assert(sizeof(mytype) == 16, "an exact number is an int64 and an address");

extern "C" {
mytype dd_zero;
mytype dd_minuszero;
mytype dd_one;
mytype dd_purezero;
int dd_debug = 0;

// Exact sign tests need no tolerance: every comparison is against 0.
void dd_set_global_constants(void)
{
  ddd_set_si(dd_zero, 0);
  ddd_set_si(dd_minuszero, 0);
  ddd_set_si(dd_one, 1);
  ddd_set_si(dd_purezero, 0);
}
}  // extern "C"

namespace {
// One must be 1 before the first dd_set_global_constants too.
struct Constants {
  Constants() { dd_set_global_constants(); }
} const constants;
}  // namespace

#else

extern "C" {

// Statically initialised so that code running before the first
// dd_set_global_constants (or without it) sees the right tolerance.
mytype dd_zero = {1e-07};
mytype dd_minuszero = {-1e-07};
mytype dd_one = {1.0};
mytype dd_purezero = {0.0};

int dd_debug = 0;

void dd_set_global_constants(void)
{
  ddd_set_d(dd_zero, 1e-07);
  ddd_neg(dd_minuszero, dd_zero);
  ddd_set_d(dd_one, 1.0);
  ddd_set_d(dd_purezero, 0.0);
}

}  // extern "C"

#endif
