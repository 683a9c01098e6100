#pragma once

#include <cassert>
#include <cstdint>

namespace limits {

// x to the power n (n >= 0) by binary powering; x^0 is 1.0 for every x, 0.0
// included. Not std::pow: each product is rounded to double in this order, and
// the printed limits depend on it. No I/O, no allocation.
inline double integer_power(double x, std::int32_t n) {
  assert(n >= 0);
  auto bits = static_cast<std::uint32_t>(n);  // unsigned: the loop always ends
  double result = 1.0;
  if (bits == 0) return result;
  for (double power = x;; power *= power) {
    if (bits & 1u) result *= power;
    bits >>= 1;
    if (bits == 0) return result;
  }
}

}  // namespace limits
