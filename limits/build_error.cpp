#include "limits/build_error.h"

#include <algorithm>
#include <cmath>

#include "limits/poisson.h"

// Why the build's doubles lie within these bounds of the ideal values.
//
// u = 2^-53 is the unit roundoff; glibc's exp is within one ulp (2u
// relative). The ideal values use the build's own mean lambda = b + mu, a
// double, in exact arithmetic.
//
// Terms (interval_terms::poisson):
// - Direct form (k + b + mu <= 230): lambda^k by binary powering, (k - 1) u
//   (squaring doubles the error of a square, and the product of the squares
//   of k's bits adds one rounding per factor); times e^-lambda (the argument
//   -mu - b is exactly -lambda rounded; 2u) with one rounding (u); divided by
//   the table's k! (exact up to 22!, each entry above it one more rounding:
//   (k - 22) u; above 170 the further divisions one rounding each) with one
//   rounding (u): (k + 3 + max(0, k - 22) + max(0, k - 170)) u.
// - Product form: e^-mu (2u), times lambda and divided by j for j = 1..k
//   (2u each), times e^-b (2u) with one rounding (u): (2k + 5) u against
//   lambda^k e^-(mu + b) / k!, which is P(k | lambda) within lambda u, lambda
//   being mu + b rounded.
// - Sums of m terms in any order: m - 1 roundings, each at most u of the
//   sum, as every partial sum is at most the whole.
// Ratios (interval_terms::ratio), against the ideal ratio with the same
// lambda and mu: for k = 0, e^-mu (2u); for 0 < k <= b, (lambda / b)^k e^-mu
// with lambda / b rounded (u, k times over in the power), binary powering
// ((k - 1) u), e^-mu (2u) and a product (u): (2k + 2) u; for k > b,
// q^k e^((k - b) - mu) with k - b rounded (|k - b| u), the exponent's
// argument rounded (|k - b - mu| u more), the exponential (2u), q = lambda /
// ((k - b) + b) rounded (3u, k times over), binary powering ((k - 1) u) and
// a product (u): (4k + 3 + 2 |k - b| + mu) u bounds it.
// Every bound is first order; a factor 1.01 covers the rest for the counts
// met here (below 2^14, where (1 + u)^(4k) - 1 exceeds 4ku by far less).
// Terms below the normal range lose their relative bound; such a term is
// below 2.3e-308 and adds at most that much to a sum, allowed for as an
// absolute 1e-300 per term by the callers.
// The extended-precision values (64-bit significands) are within
// (2c + 2 + m) 2^-64 relative for a run of m counts up to c, by the same
// counting (each term a product and a division from e^-lambda).
namespace limits::build_error {
namespace {

constexpr double second_order = 1.01;
constexpr long double extended_roundoff = 0x1p-64L;

double direct_units(double k) {
  return k + 3.0 + std::max(0.0, k - 22.0) + std::max(0.0, k - 170.0);
}

}  // namespace

double term_bound(std::int32_t k, double b, double mu_low, double mu_high) {
  const auto count = static_cast<double>(k);
  double units = 0.0;
  // The form is chosen from the rounded count + b + mu: allow both near the
  // limit.
  if (count + b + mu_low <= direct_form_limit + 1.0) units = direct_units(count);
  if (count + b + mu_high > direct_form_limit - 1.0) {
    units = std::max(units, 2.0 * count + 5.0 + (b + mu_high));
  }
  return units * unit_roundoff * second_order;
}

double run_sum_bound(std::int32_t a, std::int32_t c, double b, double mu_low, double mu_high) {
  double largest = 0.0;
  for (std::int32_t k = a; k <= c; ++k)
    largest = std::max(largest, term_bound(k, b, mu_low, mu_high));
  const auto terms = static_cast<double>(c - a + 1);
  return largest + (terms - 1.0) * unit_roundoff * second_order +
         static_cast<double>((2.0L * c + 2.0L + static_cast<long double>(terms)) *
                             extended_roundoff);
}

double log_ratio_bound(std::int32_t k, double b, double mu_high) {
  const auto count = static_cast<double>(k);
  double units = 2.0;
  if (k > 0) {
    units = 0.0 < count - b ? 4.0 * count + 3.0 + 2.0 * std::fabs(count - b) + mu_high
                            : 2.0 * count + 2.0;
  }
  return units * unit_roundoff * second_order;
}

long double poisson(std::int32_t k, double lambda) {
  const auto l = static_cast<long double>(lambda);
  long double term = std::exp(-l);
  for (std::int32_t j = 1; j <= k; ++j) term = term * l / static_cast<long double>(j);
  return term;
}

long double poisson_run(std::int32_t a, std::int32_t c, double lambda) {
  const auto l = static_cast<long double>(lambda);
  long double term = std::exp(-l);
  long double sum = a <= 0 ? term : 0.0L;
  for (std::int32_t k = 1; k <= c; ++k) {
    term = term * l / static_cast<long double>(k);
    if (k >= a) sum += term;
  }
  return sum;
}

ideal_log_ratios::ideal_log_ratios(double b, double lambda)
    : b_(static_cast<long double>(b)),
      log_lambda_(std::log(static_cast<long double>(lambda))),
      log_b_(b > 0.0 ? std::log(static_cast<long double>(b)) : 0.0L) {}

long double ideal_log_ratios::operator()(std::int32_t k) const {
  if (k == 0) return 0.0L;
  const long double count = k;
  // The same test as the build's best mean: a count above b is its own.
  if (!(0.0 < static_cast<double>(k) - static_cast<double>(b_))) {
    return count * (log_lambda_ - log_b_);
  }
  return count * (log_lambda_ - std::log(count)) + (count - b_);
}

long double log_ratio_plus_mu(std::int32_t k, double b, double lambda) {
  return ideal_log_ratios(b, lambda)(k);
}

}  // namespace limits::build_error
