#pragma once

#include <cstdint>

namespace limits {

// The acceptance interval of the last build: the accepted counts are
// n_low .. n_high, both included; coverage is the summed Poisson terms of
// the accepted counts, in the order they were admitted.
struct acceptance_interval {
  std::int32_t n_low = 0;
  std::int32_t n_high = 0;
  double coverage = 0.0;
};

// Overwritten by every build_acceptance_interval on the same thread; read
// it right after. Each thread has its own, constant-initialised, so it is
// reached directly rather than through a thread-local initialiser.
extern constinit thread_local acceptance_interval current_interval;

// Builds the Feldman-Cousins acceptance interval for signal mean mu >= 0,
// background b >= 0 and level 0 < cl < 1 into current_interval: counts are
// admitted from next to b + mu outward, the higher likelihood ratio first (a
// tie to the upper side), until their summed terms reach cl. Afterwards
// 0 <= n_low <= n_high, and the range holds floor(b + mu) or floor(b + mu) + 1.
// mu = b = 0 gives [0, 0] and leaves coverage as it was.
// Guards: where the terms above the mean have fallen to 0.0 and coverage can
// no longer grow, the build stops there instead of growing for ever. A count
// beyond 32 bits (b + mu or a bound too large) raises the invalid-operation
// floating-point exception, which ends the program where traps are enabled;
// otherwise the interval is left as [2147483647, 2147483647] and
// count_beyond_32_bits_met() tells so. Reads factorial_table. No I/O, no
// allocation; any number of threads may build at once.
void build_acceptance_interval(double mu, double b, double cl);

// Number of builds on this thread since it started: the cost measure of a
// search.
std::uint64_t acceptance_interval_builds();

// Whether a build on this thread has met a count beyond 32 bits since the
// last clear_count_beyond_32_bits(): tells that cause of an invalid
// operation from the others.
bool count_beyond_32_bits_met();
void clear_count_beyond_32_bits();

}  // namespace limits
