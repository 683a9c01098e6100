#pragma once

namespace console {

// Makes invalid operations, divisions by zero and overflows trap, and ends
// the program on such a trap with its report ("M6101" invalid, "M6103"
// divide by zero, "M6104" overflow); underflow, inexact results and denormal
// operands stay masked and give their IEEE results. Call once at start-up.
void enable_floating_point_traps();

}  // namespace console
