#pragma once

#include <cstdint>

#include "limits/double_bits.h"

namespace limits {

// The build works at the mean b + mu, rounded; these find the means mu
// where that rounded sum crosses a value, by halving the doubles between
// (at most 64 steps, however few the sum's doubles are near b).

// The least double mu >= 0 with b + mu >= lambda (or > lambda, when
// `strictly`), for b >= 0 and finite lambda >= 0.
inline double least_mean_reaching(double lambda, double b, bool strictly = false) {
  auto reached = [&](double mu) { return strictly ? b + mu > lambda : b + mu >= lambda; };
  if (reached(0.0)) return 0.0;
  // b + 2 lambda + 1 > lambda whatever the rounding.
  std::uint64_t lo = bits_of(0.0);
  std::uint64_t hi = bits_of(2.0 * lambda + 1.0);
  while (hi - lo > 1) {
    const std::uint64_t middle = lo + (hi - lo) / 2;
    (reached(double_of(middle)) ? hi : lo) = middle;
  }
  return double_of(hi);
}

}  // namespace limits
