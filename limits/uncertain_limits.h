#pragma once

#include <cstdint>

#include "fclimits/stop_token.h"
#include "limits/uncertain_probability.h"

namespace limits {

// The counts accepted at a signal s: every count from n_low to n_high unless
// contiguous is false (then some between are left out); coverage is their
// summed q, at least cl.
struct uncertain_region {
  std::int32_t n_low = 0;
  std::int32_t n_high = 0;
  double coverage = 0.0;
  bool contiguous = true;
};

// The acceptance region at s >= 0, level 0 < cl < 1: counts taken in
// decreasing order of the model's ratio R (a tie to the higher count, as in
// the known-background build) until their summed q reaches cl. Counts whose
// q is below 1e-16 are neither ranked nor summed: together they hold less
// than 1e-12 up to 1e4 counts in the range. With both sigmas 0 the region is the known
// background's (build_acceptance_interval at mu = eps s; tests check it).
uncertain_region uncertain_acceptance_region(uncertain_probability& q, double s, double cl);

// Whether the region at s contains n: the counts ranked before n hold less
// than cl.
bool uncertain_region_contains(uncertain_probability& q, std::int32_t n, double s, double cl);

// The smallest and largest s whose region contains n >= 0; found is false
// (and both 0.0) where no scanned s does. The signal is scanned in steps of
// scan_step_fraction of the Poisson width sqrt(eps s + b + 1) / eps, from
// below the last s where the counts from n up hold less than 1e-3 (1 - cl)
// (or 0); then the stretches from two steps below to two steps above each
// extreme found are scanned again in steps ten times finer, and each change
// between those steps is bisected to a bracket of 1e-8 max(1, s); the
// reported limit is the bracket end whose region contains n.
// Islands: the counts ranked before n change only where n's ratio crosses
// another count's, and there what they hold jumps: that is where the belt's
// islands begin or end (as in the known-background belt, where they can be
// 2e-4 wide). Wherever the counts ranked before n differ between two steps,
// each crossing is located (to 1e-10 max(1, s), by the smooth difference of
// the two log ratios) and n's side of it looked at, unless n lies outside at
// both steps by more than that count's q and what all counts' q move
// between them. What is guaranteed: each limit is within 1e-8 max(1, s) of
// an edge of the belt computed with q to its quadrature accuracy; it is the
// extreme edge unless an island neither begins nor ends at a crossing and
// is narrower than a step, or lies outside the scanned stretch, or two
// counts' ratios cross more than once within a step. Tests check the limits
// against the exact search of the known-background case, islands included,
// at zero sigmas (the whole paper grid at four levels agrees within 1e-7),
// and a fine scan with uncertainties. No correction in the background
// direction.
// The scan ends where the counts up to n hold less than 1e-3 (1 - cl), or
// four times the largest s found to contain n plus 20 steps past it,
// whichever comes first: an efficiency whose pdf reaches 0 (a wide
// Gaussian) makes the counts up to n fall only as 1 / s, and islands are not
// looked for beyond. Bounded: at most max_scan_steps steps, 100 halvings
// per change or crossing. A requested stop throws search_stopped within one
// step.
struct uncertain_interval {
  double lower = 0.0;
  double upper = 0.0;
  bool found = false;
};

inline constexpr double scan_step_fraction = 0.05;
inline constexpr std::int32_t max_scan_steps = 1'000'000;

uncertain_interval uncertain_limits(uncertain_probability& q, std::int32_t n, double cl,
                                    const fclimits::stop_token* stop = nullptr);

}  // namespace limits
