#include "limits/gaussian_bounded.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <limits>

#include "limits/double_bits.h"

// How the edges are found, and how precisely.
//
// Everything is solved in units of sigma. Every search is over a
// non-negative parameter p (a half width z, a distance d, a mean mu) of a
// probability that is monotone in p, and each ends at two adjacent doubles
// between which the computed probability crosses cl. The searches need no
// derivative: a secant through the bracket's ends, the value of an end kept
// twice in a row halved (the Illinois method), on the logarithm of the
// probability, which is nearly linear in p even far out in the tails. A
// step that does not halve the bracket's span of doubles is followed by one
// that does, and the non-negative doubles span fewer than 2^63, so a search
// ends within 2 * 63 steps (most_steps) whatever the arithmetic does; it
// takes about 10 at the paper's levels.
//
// The probability of an interval [mu - b, mu + a] (a, b >= 0) is computed
// as (erf(a / sqrt 2) + erf(b / sqrt 2)) / 2, or, for cl >= 0.5, its
// complement (erfc(a / sqrt 2) + erfc(b / sqrt 2)) / 2 against 1 - cl
// (exact there): a sum of two positive terms, so there is no cancellation
// at any level, and the tails keep their digits at cl = 1 - 1e-12 and at
// measurements 40 sigma from the bound. glibc's erf and erfc are within a
// few ulps, so the computed probability is within eps = 8u (u = 2^-53) of
// the exact one relative to itself, once the arguments a / sqrt 2 (each one
// rounding, which moves a by u relative: the root moves by the same) are
// taken as given.
//
// Proven: each search ends, within most_steps, at adjacent doubles between
// which the computed probability crosses cl; the closed forms (the central
// interval at means >= z, limits x0 +- z for x0 >= 2 z and x0 >= 0) are a
// product and a sum away from z, which is found in the same way.
//
// Measured, not proven: how far the exact crossing lies from the computed
// one. It is eps over the slope of the log probability against the log of
// the parameter, and that slope is of order 1 or more wherever the
// parameter is not near 0 (it grows as p^2 in the tails; near 0 the
// absolute error is eps over a slope of order 0.1). The tests compare every
// limit and edge with a construction in long double that shares no step
// with this one (the acceptance interval found by bisection on the ratio's
// level, the limits by bisection on the means), over measurements from -40
// to 1e6 sigma and levels from 1e-9 to 1 - 1e-12: the two agree within
// max(1e-12 |value|, 1e-14) in units of sigma (tests/gaussian_test.cpp).

namespace limits {
namespace {

constexpr double inv_sqrt2 = 0.70710678118654752440;

// Each search halves its span of doubles at least every second step, and
// the non-negative doubles number fewer than 2^63.
constexpr int most_steps = 2 * 63;

// Every probability a level asks for lies within this many sigma of the
// mean: the tail beyond 40 sigma underflows to 0, and 1 - cl is at least
// 2^-53 (about 8.3 sigma).
constexpr double farthest = 40.0;

// Stands for a logarithm of 0 (a tail that underflowed), far beyond every
// finite one and safe to subtract.
constexpr double infinite_gap = 1e300;

constexpr double inf = std::numeric_limits<double>::infinity();

// mu - x1 for the x1 < 0 whose ratio equals that of mu + d: (mu^2 + d^2) /
// (2 mu), formed without squares, which are subnormal (a few bits) where mu
// is below about 1e-308 and d near sqrt(mu); infinite where that is.
double far_side(double mu, double d) { return 0.5 * (mu + d * (d / mu)); }

// How far the probability of [mu - b, mu + a] (a, b >= 0, either may be
// infinite) lies above the level: > 0 above, <= 0 at or below, as the
// comparison of the computed probability (or tails) with the target says;
// its size, a difference of logarithms, steers the search.
double excess(double a, double b, const gaussian_level& level) {
  if (level.by_tails) {
    const double tails = 0.5 * (std::erfc(a * inv_sqrt2) + std::erfc(b * inv_sqrt2));
    if (tails >= level.target) return std::fmin(0.0, level.log_target - std::log(tails));
    // Exact comparison: a tail that underflowed has no logarithm.
    if (tails == 0.0) return infinite_gap;
    return std::fmax(std::numeric_limits<double>::denorm_min(), level.log_target - std::log(tails));
  }
  const double inside = 0.5 * (std::erf(a * inv_sqrt2) + std::erf(b * inv_sqrt2));
  if (inside > level.target) {
    return std::fmax(std::numeric_limits<double>::denorm_min(),
                     std::log(inside) - level.log_target);
  }
  // Exact comparison: an empty interval has no logarithm.
  if (inside == 0.0) return -infinite_gap;
  return std::fmin(0.0, std::log(inside) - level.log_target);
}

// The last double p in [lo, hi] (0 <= lo < hi) with gap(p) <= 0, for a gap
// that is <= 0 up to one crossing and > 0 beyond it: lo where gap(lo) > 0,
// hi where gap(hi) <= 0. Else the bracket shrinks to adjacent doubles.
template <class Gap>
double last_not_above(const Gap& gap, double lo, double hi) {
  assert(lo >= 0.0 && lo < hi);
  double gap_lo = gap(lo);
  if (gap_lo > 0.0) return lo;
  double gap_hi = gap(hi);
  if (!(gap_hi > 0.0)) return hi;
  int kept = 0;  // the end kept by the last step: -1 lo, +1 hi
  bool halve_next = false;
  for (int step = 0; step < most_steps; ++step) {
    const std::uint64_t span = bits_of(hi) - bits_of(lo);
    if (span <= 1) break;
    // Non-negative doubles are ordered as their bits.
    double p = double_of(bits_of(lo) + span / 2);
    if (!halve_next) {
      const double secant = lo + (hi - lo) * (gap_lo / (gap_lo - gap_hi));
      if (secant > lo && secant < hi) p = secant;
    }
    const double gap_p = gap(p);
    if (gap_p > 0.0) {
      hi = p;
      gap_hi = gap_p;
      if (kept == -1) gap_lo *= 0.5;
      kept = -1;
    } else {
      lo = p;
      gap_lo = gap_p;
      if (kept == 1) gap_hi *= 0.5;
      kept = 1;
    }
    halve_next = bits_of(hi) - bits_of(lo) > span / 2;
  }
  return lo;
}

// The acceptance interval at a mean below the central half width (units of
// sigma), where x1 < 0: with d = x2 - mu, R(x1) = R(x2) gives x1 mu -
// mu^2 / 2 = -d^2 / 2, so x1 = (mu^2 - d^2) / (2 mu), and the probability
// from mu - (mu^2 + d^2) / (2 mu) to mu + d rises with d from 2 Phi(mu) - 1
// (d = mu, below cl) to at least 2 Phi(z) - 1 = cl (d = z).
double upper_distance(double mu, const gaussian_level& level) {
  const auto gap = [&](double d) { return excess(d, far_side(mu, d), level); };
  return last_not_above(gap, mu, level.central);
}

}  // namespace

gaussian_level gaussian_level_of(double cl) {
  assert(cl > 0.0 && cl < 1.0);
  gaussian_level level{};
  level.cl = cl;
  level.by_tails = cl >= 0.5;
  level.target = level.by_tails ? 1.0 - cl : cl;  // exact: Sterbenz
  level.log_target = std::log(level.target);
  level.central = last_not_above([&](double z) { return excess(z, z, level); }, 0.0, farthest);
  return level;
}

gaussian_range gaussian_acceptance_interval(double mu, double sigma, const gaussian_level& level) {
  assert(mu >= 0.0 && sigma > 0.0);
  const double z = level.central;
  const double mu0 = mu / sigma;
  if (mu0 >= z) return {mu - z * sigma, mu + z * sigma};
  // Exact comparison: the mean on the bound, where the ratio is 1 for every
  // x <= 0 and the interval is the limit of those of means above it.
  if (mu0 == 0.0) {
    if (level.by_tails) {
      const double z_one =
          last_not_above([&](double t) { return excess(t, inf, level); }, 0.0, farthest);
      return {-inf, z_one * sigma};
    }
    const double z_half =
        last_not_above([&](double t) { return excess(0.0, t, level); }, 0.0, farthest);
    return {-z_half * sigma, 0.0};
  }
  const double d = upper_distance(mu0, level);
  // (mu - d)(mu + d) / (2 mu): the difference is exact where x1 is near 0.
  const double x1 = (mu0 - d) * sigma * ((mu0 + d) / (2.0 * mu0));
  return {x1, mu + d * sigma};
}

gaussian_range gaussian_confidence_interval(double x, double sigma, const gaussian_level& level) {
  assert(sigma > 0.0);
  const double z = level.central;
  const double x0 = x / sigma;
  gaussian_range found{0.0, 0.0};
  // The upper limit: the mean whose x1 is x0. At x0 >= 0 that is x0 + z
  // (x1 = mu - z there). Below, x1 = x0 < 0 at a mean mu < z with d =
  // sqrt(mu (mu - 2 x0)) and mu - x1 = mu - x0; the probability rises with
  // mu from that of [x0, 0] at mu = 0: above cl, no mean accepts x0.
  if (x0 >= 0.0) {
    found.high = x + z * sigma;
  } else {
    const auto gap = [&](double mu) {
      // Exact comparison: sqrt(0) times an infinite root is not 0.
      const double a = mu == 0.0 ? 0.0 : std::sqrt(2.0 * mu) * std::sqrt(0.5 * mu - x0);
      return excess(a, mu - x0, level);
    };
    if (gap(0.0) > 0.0) return found;
    found.high = last_not_above(gap, 0.0, z) * sigma;
  }
  // The lower limit: the mean whose x2 is x0; 0 where x2 at mu = 0 is above
  // x0 already. At x0 >= 2 z it is x0 - z (x1 >= 0 there). Below, it lies
  // in (0, x0 / 2]: d = x0 - mu >= mu, and the probability from mu - (mu^2
  // + d^2) / (2 mu) to x0 falls as mu rises (x2 rises with mu).
  // A measurement so near 0 that half of it rounds to 0 has lower limit 0
  // (within 1e-323 sigma), and leaves the search no bracket.
  if (!(0.5 * x0 > 0.0)) return found;
  if (x0 >= 2.0 * z) {
    found.low = x - z * sigma;
    return found;
  }
  const auto gap = [&](double mu) {
    const double d = x0 - mu;
    // Exact comparison: at mu = 0 the interval reaches down to -infinity.
    return -excess(d, mu == 0.0 ? inf : far_side(mu, d), level);
  };
  found.low = last_not_above(gap, 0.0, 0.5 * x0) * sigma;
  return found;
}

}  // namespace limits
