#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "limits/interval_bounds.h"

namespace limits {

inline constexpr int most_range_outcomes = 32;

// The bounds build_acceptance_interval may give anywhere in a range of means:
// each of them where `listed`, and always their hull, every outcome's n_low
// in [least.n_low, most.n_low] and n_high in [least.n_high, most.n_high].
// More outcomes than most_range_outcomes leave only the hull.
struct range_outcomes {
  std::array<interval_bounds, most_range_outcomes> bounds{};
  int count = 0;
  bool listed = true;
  interval_bounds least{0, 0};
  interval_bounds most{0, 0};
};

// For every double mu in [mu1, mu2] (mu1 <= mu2), the bounds that
// build_acceptance_interval(mu, b, cl) gives are among the outcomes: proved
// from the cheaper route's model evaluated at the two ends of the range.
// Each comparison of two likelihood ratios is decided where it goes the same
// way with the route's margin at both ends (their difference grows with the
// mean); each test of the sum against cl where it does so at both ends and,
// when the sum can peak inside the range, with room for the peak. A
// decision that goes either way somewhere in the range is followed both
// ways, each way giving its outcome. Empty where the route's guards fail at
// either end, where the ends lie in different unit cells of b + mu (the
// build starts from another count there), or where the ways followed would
// need more than most_frontiers frontiers at once; the caller then splits
// the range. The argument is written in
// range_proof.cpp. No I/O, no allocation.
// Where exactly one decision went either way in the range, what it was and
// the outcome of each way: the stop test on the run of counts low..high
// (taken: the build stops there), or the comparison of the frontier counts
// low < high (taken: the upper one goes first).
struct undecided_decision {
  bool is_stop = false;
  std::int32_t low = 0;
  std::int32_t high = 0;
  interval_bounds if_taken{0, 0};
  interval_bounds if_not{0, 0};
};

struct range_detail {
  int undecided = 0;
  undecided_decision decision;  // read only where undecided == 1
};

std::optional<range_outcomes> prove_range(double mu1, double mu2, double b, double cl,
                                          range_detail* detail = nullptr);

}  // namespace limits
