// The magnitude and gcd of 64-bit integers, shared by the exact run and the
// settling of double runs.
#ifndef ZONIX_GCD_HPP
#define ZONIX_GCD_HPP

#include <algorithm>
#include <bit>
#include <cstdint>

namespace zonix {

// |v| for every 64-bit v, -2^63 included.
inline std::uint64_t magnitude(std::int64_t v)
{
  return v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

// gcd(a, b) for magnitudes of 64-bit integers (at most 2^63; odd, they
// are below it).  Binary, without divisions and without branches on the
// values, which no predictor guesses (the gcds of ray entries take tens
// of steps); the count of trailing zeros is taken from the difference,
// beside its absolute value, to keep the chain of dependent steps short.
inline std::uint64_t binary_gcd(std::uint64_t a, std::uint64_t b)
{
  if (a == 0) return b;
  if (b == 0) return a;
  int az = std::countr_zero(a);
  const int k = std::min(az, std::countr_zero(b));
  b >>= std::countr_zero(b);
  while (a != 0) {
    a >>= az;
    const auto diff = static_cast<std::int64_t>(b - a);
    az = std::countr_zero(static_cast<std::uint64_t>(diff));
    b = std::min(a, b);
    a = static_cast<std::uint64_t>(diff < 0 ? -diff : diff);
  }
  return b << k;
}

}  // namespace zonix

#endif
