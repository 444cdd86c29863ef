// Library-local pseudo-random numbers for the random row orders.
//
// Each user seeds its own generator object at the start of a permutation,
// so an order depends only on its seed: the same on every platform, and
// independent of other threads and of the C library's rand().
#ifndef ZONIX_RANDOM_HPP
#define ZONIX_RANDOM_HPP

#include <cstdint>

namespace zonix {

// Integers in 0..2147483647 (the range of a 31-bit rand()), produced by a
// PCG32 generator (O'Neill's XSH-RR output on a 64-bit LCG) with the top
// 31 output bits kept.
class Random31 {
 public:
  static constexpr std::uint32_t max_value = 2147483647u;

  explicit constexpr Random31(unsigned int seed) noexcept
  {
    step();
    state_ += 0x853c49e6748fea9bull + static_cast<std::uint64_t>(seed);
    step();
  }

  constexpr std::uint32_t next() noexcept
  {
    const std::uint64_t old = state_;
    step();
    const auto xorshifted =
        static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<std::uint32_t>(old >> 59u);
    const std::uint32_t out =
        (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
    return out >> 1u;
  }

  // A uniform index in 1..j (j >= 1): see scale_to_index.
  constexpr long index_upto(long j) noexcept
  {
    return scale_to_index(next(), j);
  }

  // The index in 1..j of the draw r in 0..max_value, by the scaling
  // j*u + 1 with u = r/max_value truncated; u = 1 would give j + 1, so the
  // result is capped at j.
  static constexpr long scale_to_index(std::uint32_t r, long j) noexcept
  {
    const double u = static_cast<double>(r) / 2147483647.0;
    long k = static_cast<long>(static_cast<double>(j) * u + 1.0);
    if (k > j) k = j;
    if (k < 1) k = 1;
    return k;
  }

 private:
  constexpr void step() noexcept
  {
    state_ = state_ * 6364136223846793005ull + increment;
  }

  static constexpr std::uint64_t increment = 1442695040888963407ull;
  std::uint64_t state_ = 0;
};

}  // namespace zonix

#endif  // ZONIX_RANDOM_HPP
