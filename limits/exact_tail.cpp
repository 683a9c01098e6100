#include "limits/exact_tail.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "limits/build_mean.h"

// Why no interval above tail_start contains Nm.
//
// Write n = Nm, lambda = b + mu the build's mean, h(x) = x log x - x + 1,
// so that the log of the likelihood ratio of a count k above b is
// -lambda h(k / lambda), and P(N >= x lambda) <= e^(-lambda h(x)) for x > 1
// (Chernoff).
//
// Take lambda >= lambda_t > max(n, b) + 1 and c > 0, K the first count above
// lambda + c sqrt(lambda).
// - Every count k from the mean to K - 1 is above b, with log ratio at least
//   -lambda h(1 + c / sqrt(lambda)) >= -c^2 / 2, as h(1 + e) <= e^2 / 2.
// - The log ratio of n falls as lambda grows: its derivative is
//   n / lambda - 1 < 0 (for n > b it is n log(lambda / n) + n - lambda, for
//   n <= b it is n log(lambda / b) - (lambda - b)). c is chosen at lambda_t
//   so that it lies below -c^2 / 2 by more than the build's error on both
//   ratios (build_error.cpp; a few thousand u, while the gap grows at a rate
//   of 1 - n / lambda_t per unit of lambda and the errors at most 8u).
// So at every such mean every count from n + 1 to K - 1 goes before n (those
// between n and the mean are taken first in any case, the interval growing
// outward; the upper ones win every comparison with n). In the build no
// ratio is NaN: below mu = 708 it forms e^a q^n with q^n <= e^(lambda / e),
// finite for lambda <= 1413, and e^a at worst 0; above it one exponential; a
// ratio of 0 loses every comparison.
// Their probability is at least 1 - P(N <= n) - e^(-lambda h(1 + c /
// sqrt(lambda))), and both tails fall as lambda grows (P(N <= n) for
// lambda > n; lambda h(1 + c / sqrt(lambda)) grows, its derivative being
// (1 + e/2) log(1 + e) - e >= 0). The build's sum of their terms is off by
// at most E, a relative bound for every form of the terms (direct form
// (k + 3 + max(0, k - 22)) u, product form (2k + 5 + lambda) u, logarithmic
// form 2 (k log lambda + lambda + k log k + 2) u, each below
// u (4 K (1 + log(K + 1)) + 4 lambda + 20)), and K - 1 roundings of the sum;
// E grows with lambda, so the test is made on doubling stretches of lambda,
// each with its tails at its lower end and E at its upper end, up to the
// means whose counts leave 32 bits (where the build refuses them). Where
// the probability times 1 - E is at least cl with room, the build's sum
// reaches cl before n is taken: n is not in the interval.
namespace limits {
namespace {

constexpr double unit_roundoff = 0x1p-53;
constexpr double largest_count = 2147483647.0;
// A build mean whose accepted counts stay inside 32 bits at any level the
// build reaches (its intervals span far less than 300000 counts there).
constexpr double largest_searched_mean = 2.147e9;

double h(double x) { return x > 0.0 ? x * std::log(x) - x + 1.0 : 1.0; }

double upper_count(double lambda, double c) {
  return std::floor(lambda + c * std::sqrt(lambda)) + 1.0;
}

double sum_error(double lambda, double c) {
  const double K = upper_count(lambda, c);
  return unit_roundoff * (4.0 * K * (1.0 + std::log(K + 1.0)) + 4.0 * lambda + 20.0 + K);
}

// The log ratio of n at build mean lambda, and a bound on the build's
// error on it and on any count up to K.
double log_ratio_n(double n, double b, double lambda) {
  if (n == 0.0) return -(lambda - b);
  if (!(0.0 < n - b)) return n * std::log(lambda / b) - (lambda - b);
  return n * std::log(lambda / n) + n - lambda;
}

// P(N <= n | lambda), summed upward from e^-lambda; 0 beyond the double
// range of e^-lambda, where it is below 1e-300 anyway for lambda > 2n + 1500.
double lower_tail(double n, double lambda) {
  if (lambda > 2.0 * n + 1500.0) return 0.0;
  double term = std::exp(-lambda);
  double sum = term;
  for (double k = 1.0; k <= n; k += 1.0) {
    term = term * lambda / k;
    sum += term;
  }
  return sum * (1.0 + 4.0 * n * unit_roundoff) + 1e-300;
}

// The deviations c that lambda_t allows, or 0 where it allows none.
double deviations_at(double n, double b, double lambda) {
  const double ratio_error = 2.0 * sum_error(lambda, 0.0) + 1e-9;
  const double room = -log_ratio_n(n, b, lambda) - 1.0 - ratio_error;
  return room > 0.0 ? std::sqrt(2.0 * room) : 0.0;
}

// The argument from lambda_low up to lambda_high with deviations c.
bool holds(double n, double cl, double c, double lambda_low, double lambda_high) {
  if (!(c > 0.0)) return false;
  const double tails =
      lower_tail(n, lambda_low) + std::exp(-lambda_low * h(1.0 + c / std::sqrt(lambda_low)));
  const double reached = (1.0 - tails) * (1.0 - sum_error(lambda_high, c));
  return reached >= cl * (1.0 + 1e-12) + 1e-250;
}

// The argument from lambda_t up to every mean of 32-bit counts.
bool holds_above(double n, double b, double cl, double lambda_t) {
  if (!(lambda_t > std::max(n, b) + 1.0)) return false;
  const double c = deviations_at(n, b, lambda_t);
  for (double stretch = lambda_t; stretch < largest_count; stretch *= 2.0) {
    if (!holds(n, cl, c, stretch, 2.0 * stretch)) return false;
  }
  return true;
}

}  // namespace

double tail_start(std::int32_t Nm, double b, double cl) {
  const double n = static_cast<double>(Nm);
  // The argument holds from some lambda on; its least is bisected to 1 %.
  double high = std::min(2.0 * std::max({n, b, 1.0}) + 10.0, largest_searched_mean);
  while (high < largest_searched_mean && !holds_above(n, b, cl, high)) {
    high = std::min(2.0 * high, largest_searched_mean);
  }
  if (holds_above(n, b, cl, high)) {
    double low = std::max(n, b) + 1.0;
    for (int i = 0; i < 40 && high - low > 0.01 * high; ++i) {
      const double middle = low + (high - low) / 2;
      (holds_above(n, b, cl, middle) ? high : low) = middle;
    }
  }
  // Otherwise (levels within the build's error of 1) no mean is proven:
  // the searches end at largest_searched_mean.
  // The largest mean whose build mean stays below `high`.
  const double first_beyond = least_mean_reaching(high, b);
  return first_beyond > 0.0 ? std::nextafter(first_beyond, 0.0) : 0.0;
}

}  // namespace limits
