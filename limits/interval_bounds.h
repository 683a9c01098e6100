#pragma once

#include <cstdint>

namespace limits {

// The accepted counts n_low..n_high of an acceptance interval, without its
// coverage: all that the limit searches read.
struct interval_bounds {
  std::int32_t n_low;
  std::int32_t n_high;

  bool operator==(const interval_bounds&) const = default;
};

}  // namespace limits
