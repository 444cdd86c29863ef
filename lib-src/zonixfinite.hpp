// Doubles on their way into exact arithmetic: an infinity or a NaN has no
// rational value, and GMP's conversion would stop the process for one.
#ifndef ZONIX_FINITE_HPP
#define ZONIX_FINITE_HPP

#include <cmath>
#include <stdexcept>

namespace zonix {

// A run met a number that is not finite where it needed its exact value:
// the input's range is too wide for the arithmetic that produced it.
struct NotFinite : std::domain_error {
  NotFinite() : std::domain_error("a number that is not finite has no exact value") {}
};

// x, which must be finite.
inline double finite(double x)
{
  if (!std::isfinite(x)) throw NotFinite();
  return x;
}

}  // namespace zonix

#endif
