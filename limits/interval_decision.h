#pragma once

#include <cstdint>

#include "limits/interval_bounds.h"

namespace limits {

// The bounds that build_acceptance_interval(mu, b, cl) gives, bit for bit:
// proved by the cheaper route of interval_proof.h where it can, built
// elsewhere (and then current_interval is overwritten, and the build
// raises whatever floating-point exception it raises). No I/O, no
// allocation; any number of threads at once.
interval_bounds decide_interval(double mu, double b, double cl);

// The bounds at rising means for one background and level, as a scan asks
// for them: a mean that a proved range covers is answered from it without
// deciding again. at() takes means in non-decreasing order.
class interval_scan {
 public:
  interval_scan(double b, double cl) : b_(b), cl_(cl) {}

  interval_bounds at(double mu);

 private:
  double b_;
  double cl_;
  bool covering_ = false;
  double covered_until_ = 0.0;
  interval_bounds bounds_{0, 0};
};

// This thread's decisions since it started: all of them, those proved by the
// cheaper route, those it could not prove (built instead; the other builds
// are where the route does not apply), the means answered from proved
// ranges without a decision, and, in check mode, the proved bounds that
// differed from a build.
struct decision_counts {
  std::uint64_t decisions = 0;
  std::uint64_t proved = 0;
  std::uint64_t unproved = 0;
  std::uint64_t covered = 0;
  std::uint64_t mismatches = 0;
};

decision_counts decision_counters();

// Check mode, for this thread: the bounds of every proved decision and of
// every covered mean are also built, a difference is counted as a mismatch,
// and the built bounds are used.
void set_decision_check(bool on);

}  // namespace limits
