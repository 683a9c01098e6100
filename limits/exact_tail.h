#pragma once

#include <cstdint>

namespace limits {

// A mean above which no interval that build_acceptance_interval builds
// contains Nm (background b >= 0, level 0 < cl < 1): the means above it are
// far enough from Nm that every count from Nm + 1 to several deviations
// above the mean is taken before Nm, and their probability reaches cl. The
// argument is written in exact_tail.cpp. Where it cannot be made (levels
// within the build's rounding of 1, as 1 - 1e-9 at n = 0), 2.147e9 - b: the
// searches look no higher. No I/O, no allocation.
double tail_start(std::int32_t Nm, double b, double cl);

}  // namespace limits
