#pragma once

#include <cstdint>
#include <optional>

namespace limits {

// The accepted counts n_low..n_high of an acceptance interval, without its
// coverage: all that the limit searches read.
struct interval_bounds {
  std::int32_t n_low;
  std::int32_t n_high;
};

// The bounds that build_acceptance_interval(mu, b, cl) gives, bit for bit.
// Where it can prove them, it finds them by a cheaper route: the likelihood
// ratios compared through their logarithms, the terms summed by recurrence,
// and every decision taken only where it holds with room for every rounding
// of both routes. Elsewhere, and wherever a decision is too close to call,
// it builds the interval (and so overwrites current_interval, and raises
// whatever floating-point exception the build raises). No I/O, no
// allocation; any number of threads at once.
interval_bounds decide_interval(double mu, double b, double cl);

// The cheaper route alone, with its error margins scaled by margin_scale
// (1 as decide_interval uses them, 0 for the bare model, for tests). Empty
// where the route does not apply or a decision is too close to call.
std::optional<interval_bounds> prove_interval(double mu, double b, double cl,
                                              double margin_scale = 1.0);

// This thread's decisions since it started: all of them, those proved by
// the cheaper route, those it could not prove (built instead; the rest of
// the builds are where the route does not apply), and, in check mode, the
// proved bounds that differed from a build.
struct decision_counts {
  std::uint64_t decisions = 0;
  std::uint64_t proved = 0;
  std::uint64_t unproved = 0;
  std::uint64_t mismatches = 0;
};

decision_counts decision_counters();

// Check mode, for this thread: every proved decision is also built, a
// difference is counted as a mismatch, and the built bounds are used.
void set_decision_check(bool on);

}  // namespace limits
