#pragma once

#include <algorithm>

namespace limits {

// Width at which the limit searches stop: 0.01, or 0.0005 b above b = 20,
// so that large backgrounds are not searched finer than they matter.
inline double search_tolerance(double b) { return std::max(0.0005 * b, 0.01); }

}  // namespace limits
