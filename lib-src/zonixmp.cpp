// Global numbers of the double build.
#include "zonixmp.h"

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
