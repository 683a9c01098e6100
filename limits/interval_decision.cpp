#include "limits/interval_decision.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "limits/acceptance_interval.h"
#include "limits/log_tables.h"
#include "limits/poisson.h"

// The cheaper route and why its decisions are those of the build.
//
// The build admits counts outward from floor(lambda), lambda = b + mu, the
// candidate with the larger likelihood ratio first (the upper one on a tie
// of the two doubles), and stops once the summed terms reach cl. Its bounds
// follow from two kinds of decision: which candidate goes first, and whether
// the sum has reached cl. The route decides both from approximations whose
// distance from the build's doubles is bounded, and takes a decision only
// where the two sides differ by more than the bounds times a safety factor
// of 4 (for the second-order terms the bounds leave out). u = 2^-53 is the
// unit roundoff; glibc's exp and log are within one ulp (2u relative). The
// bounds are taken once per build for every count the route may reach:
// upward to n_max = floor(lambda) + reach, reach = 20 sqrt(lambda + 1) + 50,
// downward to 0 (at small signal and large background the ratios below the
// mean are all near 1, and the build admits every count down to 0).
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
// With M = max(|Lb|, log n_max), |d| <= |L| + M and |m| <= 710 (below that
// the build's ratio may be subnormal; where both candidates are below
// e^-600 the route stops, as their doubles may tie at 0.0), each bound is
// at most B = u (n_max (4 + 4|L| + 4M) + 70 + 710).
//
// Terms, summed as the build sums them. The term at n0 = floor(lambda) is
// exp(x), x = (n0 L - lambda) - log(n0!), off by u (2 n0 |L| + |A| + |S| +
// 2|G| + |x| + 2) relative (the roundings of A = n0 L, S = A - lambda, x
// and of the table value G, then exp); each step up, t lambda (1/(n + 1)),
// or down, t n (1/lambda), adds 3u, at most 3 max(reach, n0) u in all.
// Below 1e-250 terms may be subnormal, where both routes' terms are off by
// at most 1e-250 absolutely, at most 1e-246 over every count: with cl at
// least 1e-6 that is far inside the margin below. The build's own
// term is within (2n + lambda + 70) u of P(n | lambda): powering and
// factorial (direct form) or the running product (product form), each exp,
// and e^-mu e^-b for e^-lambda. Each of the two sums of k <= 2 reach + 2
// positive terms adds (k - 1) u of the sum (subnormal sums are exact). So
// the two sums differ by at
// most K times the route's sum, K the sum of these relative bounds; the
// build's sum has reached cl where the route's is at least cl (1 + 8K), and
// has not where the route's is below cl (1 - 8K).
//
// Guards keep every bound valid and every step of the build in the range
// where the build neither traps nor leaves the normal doubles: lambda in
// [1e-4, 1e4], mu <= 700 (e^-mu normal: no logarithmic forms),
// b + L / 2 <= 706 (the build's largest intermediate, lambda times a running
// product near its peak e^b / sqrt(2 pi lambda), stays below e^706, a factor
// e^3.7 from overflow), counts within the reach and
// below 2^14 (the tables; e^a finite), terms above 1e-250 on the upper side
// (where a term of 0.0 would end the build's upward growth), cl >= 1e-6.
// Outside them, the build runs.
namespace limits {
namespace {

constexpr double unit_roundoff = 0x1p-53;
constexpr double safety_factor = 4.0;

constexpr double smallest_lambda = 1e-4;
constexpr double largest_lambda = 1e4;
constexpr double largest_signal = 700.0;
constexpr double overflow_reach = 706.0;
constexpr double smallest_term = 1e-250;
constexpr double smallest_level = 1e-6;
constexpr double lowest_log_ratio = -600.0;
constexpr double largest_log_ratio_size = 710.0;
constexpr double reach_in_deviations = 20.0;
constexpr double reach_beyond = 50.0;

struct decision_state {
  decision_counts counts;
  bool check = false;
  double background = std::numeric_limits<double>::quiet_NaN();  // of log_background
  double log_background = 0.0;
  const double* log_n = nullptr;
  const double* log_factorial = nullptr;
  const double* reciprocal = nullptr;
};

thread_local decision_state state;

// log(lambda) where the route applies, else empty.
std::optional<double> route_log_lambda(double mu, double b, double lambda) {
  if (!(lambda >= smallest_lambda && lambda <= largest_lambda && mu <= largest_signal)) return {};
  const double log_lambda = std::log(lambda);
  if (!(b + 0.5 * log_lambda <= overflow_reach)) return {};
  return log_lambda;
}

// A candidate count with its ratio's logarithm and its term.
struct candidate {
  std::int32_t n;
  double log_ratio;
  double term;
};

}  // namespace

std::optional<interval_bounds> prove_interval(double mu, double b, double cl, double margin_scale) {
  decision_state& here = state;
  const double lambda = b + mu;  // the build's mean, the same double
  const std::optional<double> found_log_lambda = route_log_lambda(mu, b, lambda);
  if (!found_log_lambda) return {};
  const double L = *found_log_lambda;
  const auto n0 = static_cast<std::int32_t>(lambda);  // truncation, as the build's start
  const double reach = reach_in_deviations * std::sqrt(lambda + 1.0) + reach_beyond;
  const auto n_max = static_cast<std::int32_t>(static_cast<double>(n0) + reach);
  if (n_max >= log_table_size || !(cl >= smallest_level)) return {};
  if (here.log_n == nullptr) {
    here.log_n = log_counts();
    here.log_factorial = log_factorials();
    here.reciprocal = reciprocals();
  }
  const double* log_n = here.log_n;
  const double* reciprocal = here.reciprocal;
  const double reciprocal_lambda = 1.0 / lambda;
  // Exact comparison: a search builds at one background many times.
  if (b > 0.0 && here.background != b) {
    here.background = b;
    here.log_background = std::log(b);
  }
  const double Lb = b > 0.0 ? here.log_background : 0.0;
  const double d_low = L - Lb;  // the counts up to b share it

  // The bounds, once for every count within reach.
  const double M = std::max(std::fabs(Lb), log_n[n_max]);
  const double ratio_bound =
      unit_roundoff * (static_cast<double>(n_max) * (4.0 + 4.0 * std::fabs(L) + 4.0 * M) + 70.0 +
                       largest_log_ratio_size);
  const double tie_margin = margin_scale * safety_factor * 2.0 * ratio_bound;

  const double G = here.log_factorial[n0];
  const double A = static_cast<double>(n0) * L;
  const double S = A - lambda;
  const double x = S - G;
  const double start_error = unit_roundoff * (2.0 * n0 * std::fabs(L) + std::fabs(A) +
                                              std::fabs(S) + 2.0 * G + std::fabs(x) + 2.0);
  const double K = start_error + unit_roundoff * (2.0 * reach + 2.0 * n_max + lambda + 70.0 +
                                                  2.0 * (2.0 * reach + 2.0));
  const double sum_margin = margin_scale * 2.0 * safety_factor * K;
  const double cl_surely_reached = cl * (1.0 + sum_margin);
  const double cl_surely_missed = cl * (1.0 - sum_margin);

  auto log_ratio_of = [&](std::int32_t n) {
    if (n == 0) return -mu;
    const auto count = static_cast<double>(n);
    const double excess = count - b;  // the build's best mean: excess where positive
    if (!(0.0 < excess)) return count * d_low - mu;
    return count * (L - log_n[n]) + (excess - mu);
  };

  candidate low{n0, log_ratio_of(n0), std::exp(x)};
  candidate high{n0 + 1, log_ratio_of(n0 + 1), (low.term * lambda) / static_cast<double>(n0 + 1)};
  double sum = 0.0;
  while (true) {
    bool upper = true;
    if (low.n >= 0) {  // below count 0 the build's ratio is 0.0: the upper one goes
      if (low.log_ratio < lowest_log_ratio && high.log_ratio < lowest_log_ratio) return {};
      const double difference = high.log_ratio - low.log_ratio;
      if (difference < -tie_margin) {
        upper = false;
      } else if (!(difference > tie_margin) && !(margin_scale == 0.0)) {
        return {};  // too close to call
      }
    }
    const double term = upper ? high.term : low.term;
    if (upper && !(term >= smallest_term)) return {};
    sum = term + sum;  // the build's order of addition
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
    if (done) return interval_bounds{low.n + 1, high.n - 1};
  }
}

interval_bounds decide_interval(double mu, double b, double cl) {
  ++state.counts.decisions;
  if (const std::optional<interval_bounds> proved = prove_interval(mu, b, cl)) {
    ++state.counts.proved;
    if (!state.check) return *proved;
    build_acceptance_interval(mu, b, cl);
    const interval_bounds built{current_interval.n_low, current_interval.n_high};
    if (built.n_low != proved->n_low || built.n_high != proved->n_high) {
      ++state.counts.mismatches;
    }
    return built;
  }
  if (route_log_lambda(mu, b, b + mu)) ++state.counts.unproved;
  build_acceptance_interval(mu, b, cl);
  return {current_interval.n_low, current_interval.n_high};
}

decision_counts decision_counters() { return state.counts; }

void set_decision_check(bool on) { state.check = on; }

}  // namespace limits
