#pragma once

#include <optional>

#include "limits/interval_bounds.h"

namespace limits {

// Bounds proved to be those of build_acceptance_interval(mu, b, cl), and a
// radius: the build gives the same bounds at every mean in [mu, mu + radius].
struct proved_interval {
  interval_bounds bounds;
  double radius;
};

// Whether the cheaper route below keeps to (mu, b, cl) at all: its guards
// (means, backgrounds, counts and levels where the build neither traps nor
// leaves the normal doubles).
bool route_applies(double mu, double b, double cl);

// The cheaper route to the bounds that build_acceptance_interval(mu, b, cl)
// gives: the likelihood ratios compared through their logarithms, the terms
// summed by recurrence, each decision taken only where it holds with room
// for every rounding of both routes. Empty where the route does not apply
// (it keeps to means, backgrounds and counts where the build neither traps
// nor leaves the normal doubles) or a decision is too close to call. With
// the error margins scaled by margin_scale: 1 as proved, 0 for the bare
// model (for tests; its radius is 0). Without with_radius the radius is 0
// and not sought, which saves a single decision its bookkeeping. No I/O, no
// allocation, no floating-point exception other than underflow and inexact.
std::optional<proved_interval> prove_interval(double mu, double b, double cl,
                                              double margin_scale = 1.0, bool with_radius = true);

}  // namespace limits
