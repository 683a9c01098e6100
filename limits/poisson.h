#pragma once

#include <cstddef>
#include <cstdint>

#include "limits/factorial_table.h"

namespace limits {

// Above this sum of count, background and mean a Poisson term is built up as a
// running product; at or below it, from a power and a table factorial.
constexpr double direct_form_limit = 230.0;

// P(n | mu + b) = (mu + b)^n e^-(mu + b) / n! for n >= 0, mu >= 0, b >= 0.
// Exactly 1.0 for n = 0 and 0.0 for every other count when mu = b = 0, and
// 0.0 for n < 0 (no table entry is read then). Where e^-mu is below the
// smallest normal double the running product would start from a subnormal
// or zero, so the term is evaluated from logarithms instead. Reads
// factorial_table, which must be filled. No I/O, no allocation.
double poisson_term(std::int32_t n, double mu, double b);

// P(n | mu + b) / P(n | mu_best + b), where mu_best = max(0, n - b) is the
// signal mean under which the count n is most likely; 0.0 for n < 0. Where
// e^-mu is below the smallest normal double it is evaluated from logarithms.
// No table, no I/O, no allocation.
double likelihood_ratio(std::int32_t n, double mu, double b);

// True where e^-mu (given as exp_neg_mu) has left the normal double range:
// there the terms and ratios take their logarithmic form.
bool needs_log_form(double exp_neg_mu);

// The logarithmic forms, for means where e^-mu underflows. They neither
// underflow nor overflow for counts near lambda = b + mu, however large.
double log_form_poisson_term(std::int32_t n, double lambda);
// The same with log(lambda) already taken: one logarithm per interval.
double log_form_poisson_term(std::int32_t n, double lambda, double log_lambda);
double log_form_likelihood_ratio(std::int32_t n, double log_q, double mu_best, double mu);

// The best mean of count n, the signal mean mu >= 0 at which n is most
// probable: n - b where that is above 0.0, else 0.0 (a difference of
// exactly 0.0 gives 0.0).
inline double best_mean(std::int32_t n, double b) {
  const double excess = static_cast<double>(n) - b;
  return 0.0 < excess ? excess : 0.0;
}

// Divides p by n! the way the direct form does: by the table entry up to
// 170, and above it by entry 170 and then by 171, 172, ..., n in turn.
inline double divide_by_factorial(double p, std::int32_t n) {
  if (n <= largest_tabled_factorial) return p / factorial_table[static_cast<std::size_t>(n)];
  p = p / factorial_table[largest_tabled_factorial];
  for (std::int32_t k = largest_tabled_factorial + 1; k <= n; ++k) p = p / static_cast<double>(k);
  return p;
}

}  // namespace limits
