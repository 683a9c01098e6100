#pragma once

#include <string>

namespace fclimits::internal {

// The text std::to_chars(double) writes, for standard libraries without it
// (Emscripten's libc++ 14): the fewest significant digits (1 to 17) that
// read back as the same double, laid out in fixed or exponent form,
// whichever is shorter, fixed on a tie ("0.1", "705", "2.5e+09", "1e-07",
// "-0", "inf", "-inf", "nan"). Uses snprintf and strtod, so the C locale's
// decimal point is assumed. Allocates the string; no other effect.
std::string shortest_text(double value);

}  // namespace fclimits::internal
