#include "limits/interval_proof.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "limits/route_model.h"

// Why the route's decisions are those of the build.
//
// The build admits counts outward from n0 = floor(lambda), lambda = b + mu,
// the candidate with the larger likelihood ratio first (the upper one on a
// tie of the two doubles), and stops once the summed terms reach cl. Its
// bounds follow from two kinds of decision: which candidate goes first, and
// whether the sum has reached cl. The route decides both from
// approximations whose distance from the build's doubles is bounded, and
// takes a decision only where the two sides differ by more than the bounds
// times a safety factor of 4 (for the second-order terms the bounds leave
// out). u = 2^-53 is the unit roundoff; glibc's exp and log are within one
// ulp (2u relative). The bounds are taken once per build, for every count
// the route may reach, upward to n_max = n0 + reach, reach = 20 sqrt(n0 + 2)
// + 50, downward to 0 (at small signal and large background the ratios
// below the mean are all near 1, and the build admits every count down to
// 0), and for every mean up to the next integer n0 + 1 (see Ranges).
//
// Ratios, compared as logarithms. With L = log(lambda), Lb = log(b) and
// log(n) from a table, all within 2u relative:
// - n = 0: r = e^-mu, so log r = -mu within 2u.
// - 0 < n <= b (best mean 0): r = q^n e^-mu with q = lambda / b rounded
//   (n u in the power), binary powering ((n + 64) u), exp (2u), product (u).
//   The model n (L - Lb) - mu adds n (2|L| + 2|Lb| + |d|) u + |n d| u +
//   |m| u from the roundings of the logs, the difference d, the product and
//   the sum m.
// - n > b: r = e^a q^n with a = (n - b) - mu the very double the build
//   uses, q = lambda / ((n - b) + b) (3u), powering ((n + 64) u), exp (2u),
//   product (u). The model n (L - log n) + a adds the same a, so only
//   n (L - log n) differs, by n (2|L| + 2|log n| + |d|) u + |n d| u + |m| u.
// With |L| <= Lmax = max(|L|, log(n0 + 1)), M = max(|Lb|, log n_max),
// |d| <= Lmax + M and |m| <= 710 (below that the build's ratio may be
// subnormal; where both candidates are below e^-600 the route stops, as
// their doubles may tie at 0.0), each bound is at most
// B = u (n_max (4 + 4 Lmax + 4 M) + 70 + 710). These relative bounds hold
// only while every factor the build multiplies is a normal double: for a
// count above b, e^a and q^n separately (route::ratio_in_normal_range:
// |a| <= 700, |n log q| <= 700). Far from lambda one of them leaves that
// range while the product does not (above about lambda = 525 the far upper
// counts have q^n subnormal, and the build's log r is then off by far more
// than B; above about 1086 e^a overflows and the build's ratio is NaN), so
// the route compares no count beyond it: it stops and the build decides.
// Counts at or below b form (lambda / b)^n e^-mu, within e^mu <= e^700.
//
// Terms, summed as the build sums them. The term at n0 is exp(x), x =
// (n0 L - lambda) - log(n0!), off by u (2 n0 |L| + |A| + |S| + 2|G| + |x| +
// 2) relative (the roundings of A = n0 L, S = A - lambda, x and of the
// table value G, then exp); each step up, t lambda (1/(n + 1)), or down,
// t n (1/lambda), adds 3u, at most 3 max(reach, n0) u in all. The build's
// own term is within (2n + lambda + 70) u of P(n | lambda): powering and
// factorial (direct form) or the running product (product form), each exp,
// and e^-mu e^-b for e^-lambda. Each of the two sums of k <= n_max + 2
// positive terms adds (k - 1) u of the sum (subnormal sums are exact).
// Below 1e-250 terms may be subnormal, where both routes' terms are off by
// at most 1e-250 absolutely, 1e-246 over every count: with cl at least
// 1e-6 that is far inside the margin. So the two sums differ by at most K
// times the route's sum, K the sum of these relative bounds, and the
// build's sum has reached cl where the route's is at least cl (1 + 8K), and
// has not where the route's is below cl (1 - 8K).
//
// Ranges. Every log ratio is n L + c(n) - mu with c(n) free of mu, so the
// difference of two grows with mu at rate (n_high - n_low) / lambda: a
// comparison won by the upper candidate stays won as the mean grows, one
// won by the lower candidate with room m = -D - 2 safety B stays won while
// the mean grows by less than m lambda / (n_high - n_low). A sum S over
// fixed counts has S' = (1/lambda) sum P(n) (n - lambda) and S'' =
// (1/lambda^2) sum P(n) ((n - lambda)^2 - n) in lambda. Over [lambda,
// lambda + delta], delta <= 0.2 lambda / (n_high - lambda), each term grows
// by at most e^0.2, so |S''| <= 1.23 Q / lambda^2, Q = sum P ((|n - lambda|
// + delta)^2 + n), and S moves from S + delta S' by at most 0.62 delta^2
// Q / lambda^2 (the route's terms are within K of P; 0.63 covers that). The
// stopping sum must not fall, and the sum before it must not rise, by their
// rooms: a quadratic in delta for each. Earlier sums are smaller and their
// rooms larger. The start n0 must stay, so delta < n0 + 1 - lambda: the
// bounds B and K above hold for every mean up to there.
//
// Guards keep every bound valid and every step of the build in the range
// where the build neither traps nor leaves the normal doubles: lambda in
// [1e-4, 1e4], mu <= 700 (e^-mu normal: no logarithmic forms),
// b + (L - log(2 pi)) / 2 <= 708 (the build's largest intermediate, lambda
// times a running product near its peak e^b / sqrt(2 pi lambda), about
// e^(b + (L - log(2 pi)) / 2), stays a factor e^1.7 below overflow, also up
// to n0 + 1; e^-b stays normal), counts up to n_max and below 2^14 (the
// tables; e^a finite), terms above 1e-250 on the upper side (where a term
// of 0.0 would end the build's upward growth), cl >= 1e-6. Outside them,
// the build runs.
namespace limits {
namespace {

using route::lowest_log_ratio;
using route::smallest_term;

constexpr double range_growth = 0.2;      // largest log of a term's growth over a range
constexpr double range_curvature = 0.63;  // e^0.2 / 2 and the route's error, rounded up

// Sums over admitted terms t at distance e = n - lambda: t e, t |e| and
// t (e^2 + n).
struct moments {
  double signed_spread = 0.0;
  double spread = 0.0;
  double second = 0.0;

  static moments of(double t, double e, std::int32_t n) {
    return {t * e, t * std::fabs(e), t * (e * e + static_cast<double>(n))};
  }

  void add(const moments& m) {
    signed_spread += m.signed_spread;
    spread += m.spread;
    second += m.second;
  }

  // Never below 0 where rounding leaves a sliver of a positive sum.
  moments without(const moments& m) const {
    return {signed_spread - m.signed_spread, std::max(spread - m.spread, 0.0),
            std::max(second - m.second, 0.0)};
  }

  // Q = sum t ((|e| + delta)^2 + n).
  double curvature(double delta, double sum) const {
    return second + 2.0 * delta * spread + delta * delta * sum;
  }
};

// The largest delta with rise delta + curve delta^2 < room (room > 0);
// without rise or curve, the largest double.
double quadratic_range(double rise, double curve, double room) {
  const double denominator =
      rise + std::sqrt(rise * rise + 4.0 * std::max(curve, 0.0) * room);  // never negative
  if (!(denominator > 0.0)) return std::numeric_limits<double>::max();
  return 2.0 * room / denominator;
}

// A candidate count with its ratio's logarithm and its term.
struct candidate {
  std::int32_t n;
  double log_ratio;
  double term;
};

// What the radius is taken from, once the route has stopped.
struct final_state {
  double lambda;
  double top;  // n0 + 1
  double tie_margin;
  double cl_surely_reached;
  double cl_surely_missed;
  double sum;
  candidate low;       // the excluded lower count (n = -1: none)
  candidate high;      // the excluded upper count
  double least_lower;  // the least log ratio admitted on each side
  double least_upper;
  candidate outer_lower;  // the outermost count admitted on each side (n = -1: none)
  candidate outer_upper;
  moments all;  // of every admitted term
};

// How far above the mean the same bounds are proved, by the ranges above.
double proved_radius(const final_state& f) {
  // Each admitted upper count must beat the excluded lower one: that only
  // grows with the mean.
  if (f.low.n >= 0 && f.outer_upper.n >= 0 &&
      !(f.least_upper - f.low.log_ratio > f.tie_margin && f.least_upper >= lowest_log_ratio)) {
    return 0.0;
  }
  const double reciprocal_lambda = 1.0 / f.lambda;
  double delta = std::min(range_growth * f.lambda / (static_cast<double>(f.high.n) - f.lambda),
                          f.top - f.lambda);
  // Each admitted lower count must beat the excluded upper one: that
  // shrinks as the mean grows, fastest for the outermost.
  if (f.outer_lower.n >= 0) {
    const double room = f.least_lower - f.high.log_ratio - f.tie_margin;
    if (!(room > 0.0 && f.least_lower >= lowest_log_ratio)) return 0.0;
    delta = std::min(delta, room * f.lambda / static_cast<double>(f.high.n - f.outer_lower.n));
  }
  // The sum of them all may fall by its slope (with its error) and
  // curvature; the sum without either outermost count, one of which the
  // build takes last, may rise by them.
  const double slope_error = 1e-9 * f.all.spread * reciprocal_lambda;
  const double curve_scale = range_curvature * reciprocal_lambda * reciprocal_lambda;
  delta = std::min(
      delta,
      quadratic_range(std::max(0.0, -f.all.signed_spread * reciprocal_lambda) + slope_error,
                      curve_scale * f.all.curvature(delta, f.sum), f.sum - f.cl_surely_reached));
  for (const candidate& outer : {f.outer_lower, f.outer_upper}) {
    if (outer.n < 0) continue;
    const double rest_sum = f.sum - outer.term;
    const double room = f.cl_surely_missed - rest_sum;
    if (!(room > 0.0)) return 0.0;
    const moments rest =
        f.all.without(moments::of(outer.term, static_cast<double>(outer.n) - f.lambda, outer.n));
    delta = std::min(
        delta, quadratic_range(std::max(0.0, rest.signed_spread * reciprocal_lambda) + slope_error,
                               curve_scale * rest.curvature(delta, std::max(rest_sum, 0.0)), room));
  }
  // Room for the roundings of lambda over the range and of this arithmetic.
  const double radius = delta * (1.0 - 1e-6) - 1e-12 * f.lambda;
  return radius > 0.0 ? radius : 0.0;
}

// The route; with_radius keeps the record the radius is taken from, which a
// single decision does without.
template <bool with_radius>
std::optional<proved_interval> run_route(double mu, double b, double cl, double margin_scale) {
  const std::optional<route::start> start = route::start_of(mu, b, cl);
  if (!start) return {};
  // Plain names, not a structured binding: lambdas below capture them.
  const double lambda = start->lambda;
  const double L = start->L;
  const std::int32_t n0 = start->n0;
  const std::int32_t n_max = start->n_max;
  const route::tables& tables = route::tables_for(b);
  const double* log_n = tables.log_n;
  const double* reciprocal = tables.reciprocal;
  const double reciprocal_lambda = 1.0 / lambda;
  const double d_low = L - tables.Lb;  // the counts up to b share it
  const double top = static_cast<double>(n0) + 1.0;

  // The bounds, once for every count within reach and every mean up to top.
  const route::margins bounds_of = route::margins_of(*start, cl, margin_scale, tables);
  const double tie_margin = bounds_of.tie;
  const double cl_surely_reached = bounds_of.reached;
  const double cl_surely_missed = bounds_of.missed;
  const double x = route::start_exponent(*start, tables);

  auto log_ratio_of = [&](std::int32_t n) { return route::log_ratio(n, mu, b, L, d_low, log_n); };

  candidate low{n0, log_ratio_of(n0), std::exp(x)};
  candidate high{n0 + 1, log_ratio_of(n0 + 1), (low.term * lambda) * reciprocal[n0 + 1]};
  double sum = 0.0;
  // For the radius: the least log ratio admitted on each side, and the
  // outermost admitted term of each side (the last one taken there); the
  // moments of all admitted terms.
  double least_lower = 0.0;
  double least_upper = 0.0;
  candidate outer_lower{-1, 0.0, 0.0};
  candidate outer_upper{-1, 0.0, 0.0};
  moments all;
  while (true) {
    bool upper = true;
    if (!route::ratio_in_normal_range(high.n, mu, b, L, log_n)) return {};
    if (low.n >= 0) {  // below count 0 the build's ratio is 0.0: the upper one goes
      if (!route::ratio_in_normal_range(low.n, mu, b, L, log_n)) return {};
      if (low.log_ratio < lowest_log_ratio && high.log_ratio < lowest_log_ratio) return {};
      const double difference = high.log_ratio - low.log_ratio;
      if (difference < -tie_margin) {
        upper = false;
      } else if (!(difference > tie_margin) && !(margin_scale == 0.0)) {
        return {};  // too close to call
      }
    }
    candidate& taken = upper ? high : low;
    if (upper && !(taken.term >= smallest_term)) return {};
    sum = taken.term + sum;  // the build's order of addition
    if constexpr (with_radius) {
      all.add(moments::of(taken.term, static_cast<double>(taken.n) - lambda, taken.n));
      if (upper) {
        least_upper = outer_upper.n < 0 ? taken.log_ratio : std::min(least_upper, taken.log_ratio);
        outer_upper = taken;
      } else {
        least_lower = outer_lower.n < 0 ? taken.log_ratio : std::min(least_lower, taken.log_ratio);
        outer_lower = taken;
      }
    }
    const bool done = sum >= cl_surely_reached;
    if (!done && !(sum < cl_surely_missed) && !(margin_scale == 0.0)) return {};
    if (upper) {
      if (high.n == n_max) return {};
      ++high.n;
      high.term = (high.term * lambda) * reciprocal[high.n];
      high.log_ratio = log_ratio_of(high.n);
    } else {
      --low.n;
      if (low.n >= 0) {
        low.term = (low.term * static_cast<double>(low.n + 1)) * reciprocal_lambda;
        low.log_ratio = log_ratio_of(low.n);
      }
    }
    if (done) break;
  }

  const interval_bounds bounds{low.n + 1, high.n - 1};
  if (!with_radius || !(margin_scale == 1.0)) return proved_interval{bounds, 0.0};
  const final_state end{lambda,      top,         tie_margin, cl_surely_reached, cl_surely_missed,
                        sum,         low,         high,       least_lower,       least_upper,
                        outer_lower, outer_upper, all};
  return proved_interval{bounds, proved_radius(end)};
}

}  // namespace

bool route_applies(double mu, double b, double cl) {
  return route::start_of(mu, b, cl).has_value();
}

std::optional<proved_interval> prove_interval(double mu, double b, double cl, double margin_scale,
                                              bool with_radius) {
  return with_radius ? run_route<true>(mu, b, cl, margin_scale)
                     : run_route<false>(mu, b, cl, margin_scale);
}

}  // namespace limits
