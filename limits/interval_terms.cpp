#include "limits/interval_terms.h"

#include <cmath>

#include "limits/checked_math.h"
#include "limits/integer_power.h"
#include "limits/poisson.h"

namespace limits {
namespace {

// Running products e^-mu (b + mu)^k / k! of the product form, for counts
// 0 .. capacity - 1. Product-form counts stay near b + mu, which the
// overflow of e^b and the log form for e^-mu below the normal range keep
// under about 1500; above the capacity the product is carried without
// being kept. One buffer per thread.
constexpr std::int32_t prefix_capacity = 4096;
thread_local std::array<double, prefix_capacity> thread_prefix;

}  // namespace

interval_terms::interval_terms(double mu, double b)
    : mu_(mu),
      b_(b),
      lambda_(b + mu),
      // Exact comparisons, as in poisson_term.
      no_mean_(mu == 0.0 && b == 0.0),
      exp_neg_mu_(checked_exp(-mu)),
      log_form_(needs_log_form(exp_neg_mu_)),
      lambda_powers_(lambda_),
      prefix_(thread_prefix.data()) {
  if (log_form_) log_lambda_ = checked_log(lambda_);
  prefix_[0] = exp_neg_mu_;
}

double interval_terms::product_form(std::int32_t n) {
  if (exp_neg_b_ == 0.0) exp_neg_b_ = checked_exp(-b_);
  while (prefix_top_ < n && prefix_top_ < prefix_capacity - 1) {
    ++prefix_top_;
    const auto k = static_cast<std::size_t>(prefix_top_);
    prefix_[k] = (lambda_ * prefix_[k - 1]) / static_cast<double>(prefix_top_);
  }
  double p = prefix_[static_cast<std::size_t>(prefix_top_ < n ? prefix_top_ : n)];
  for (std::int32_t k = prefix_top_ + 1; k <= n; ++k) p = (lambda_ * p) / static_cast<double>(k);
  return exp_neg_b_ * p;
}

double interval_terms::poisson(std::int32_t n) {
  if (no_mean_) return n == 0 ? 1.0 : 0.0;
  if (n < 0) return 0.0;
  const double t = static_cast<double>(n) + b_ + mu_;
  if (t > direct_form_limit) {
    if (log_form_) return log_form_poisson_term(n, lambda_, log_lambda_);
    return product_form(n);
  }
  if (exp_neg_mu_minus_b_ == 0.0) exp_neg_mu_minus_b_ = checked_exp(-mu_ - b_);
  return divide_by_factorial(lambda_powers_.power(n) * exp_neg_mu_minus_b_, n);
}

double interval_terms::low_q() {
  if (!low_q_known_) {
    low_q_known_ = true;
    low_q_ = lambda_ / (0.0 + b_);
    low_q_powers_.reset(low_q_);
    if (log_form_) log_low_q_ = checked_log(low_q_);
  }
  return low_q_;
}

double interval_terms::ratio(std::int32_t n) {
  if (n < 0) return 0.0;
  const double mu_best = best_mean(n, b_);
  // Exact comparison: every count at or below b shares the best mean 0.0,
  // and with it e^-mu and q.
  if (mu_best == 0.0) {
    if (n == 0) return log_form_ ? checked_exp(0.0 - mu_) : exp_neg_mu_;
    low_q();
    if (log_form_) return log_form_likelihood_ratio(n, log_low_q_, mu_best, mu_);
    return low_q_powers_.power(n) * exp_neg_mu_;
  }
  if (log_form_) {
    const double log_q = n == 0 ? 0.0 : checked_log(lambda_ / (mu_best + b_));
    return log_form_likelihood_ratio(n, log_q, mu_best, mu_);
  }
  const double r = checked_exp(mu_best - mu_);
  if (n == 0) return r;
  const double q = lambda_ / (mu_best + b_);
  return integer_power(q, n) * r;
}

}  // namespace limits
