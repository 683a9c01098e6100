#include "limits/poisson.h"

#include <cmath>
#include <limits>

#include "limits/checked_math.h"
#include "limits/factorial_table.h"
#include "limits/integer_power.h"

namespace limits {

bool needs_log_form(double exp_neg_mu) { return exp_neg_mu < std::numeric_limits<double>::min(); }

double log_form_poisson_term(std::int32_t n, double lambda) {
  return log_form_poisson_term(n, lambda, checked_log(lambda));
}

double log_form_poisson_term(std::int32_t n, double lambda, double log_lambda) {
  const double count = static_cast<double>(n);
  return checked_exp(count * log_lambda - lambda - checked_lgamma(count + 1.0));
}

double log_form_likelihood_ratio(std::int32_t n, double log_q, double mu_best, double mu) {
  if (n == 0) return checked_exp(mu_best - mu);
  return checked_exp(static_cast<double>(n) * log_q + (mu_best - mu));
}

double poisson_term(std::int32_t n, double mu, double b) {
  // Exact comparisons: with no mean at all only the count 0 can occur.
  if (mu == 0.0 && b == 0.0) return n == 0 ? 1.0 : 0.0;
  // Guard: the table has no entry below 0, and no count below 0 can occur.
  if (n < 0) return 0.0;
  const double t = static_cast<double>(n) + b + mu;
  if (t > direct_form_limit) {
    const double exp_neg_mu = checked_exp(-mu);
    if (needs_log_form(exp_neg_mu)) return log_form_poisson_term(n, b + mu);
    double p = exp_neg_mu;
    for (std::int32_t k = 1; k <= n; ++k) p = ((b + mu) * p) / static_cast<double>(k);
    return checked_exp(-b) * p;
  }
  // b + mu is rounded before the power, and the exponent is -mu minus b.
  const double p = integer_power(b + mu, n) * checked_exp(-mu - b);
  return divide_by_factorial(p, n);
}

double likelihood_ratio(std::int32_t n, double mu, double b) {
  if (n < 0) return 0.0;
  const double mu_best = best_mean(n, b);
  if (needs_log_form(checked_exp(-mu))) {
    const double log_q = n == 0 ? 0.0 : checked_log((b + mu) / (mu_best + b));
    return log_form_likelihood_ratio(n, log_q, mu_best, mu);
  }
  const double r = checked_exp(mu_best - mu);
  if (n == 0) return r;
  // For n >= 1 the divisor is max(n, b) >= 1.
  const double q = (b + mu) / (mu_best + b);
  return integer_power(q, n) * r;
}

}  // namespace limits
