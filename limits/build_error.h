#pragma once

#include <cstdint>

// Tight bounds on the build's own rounding, for one decision at a time, and
// the ideal values they bound, in extended precision. The argument is
// written in build_error.cpp. They hold for means mu <= largest_plain_mean
// (no logarithmic forms) and counts k >= 0. No I/O, no allocation.
namespace limits::build_error {

inline constexpr double unit_roundoff = 0x1p-53;
inline constexpr double largest_plain_mean = 700.0;

// Relative bound of the build's term P(k | lambda) at means from mu_low to
// mu_high, in the form the build may use there, against the ideal term at
// its own mean lambda = b + mu (a double).
double term_bound(std::int32_t k, double b, double mu_low, double mu_high);

// Relative bound of the build's sum of the terms of the counts a..c, added
// in any order, over means from mu_low to mu_high; with the second-order
// terms and the error of poisson_run.
double run_sum_bound(std::int32_t a, std::int32_t c, double b, double mu_low, double mu_high);

// Bound of the build's log of the likelihood ratio of count k against the
// ideal one, for means up to mu_high.
double log_ratio_bound(std::int32_t k, double b, double mu_high);

// The ideal sum of P(k | lambda) over k = a..c, in extended precision.
long double poisson_run(std::int32_t a, std::int32_t c, double lambda);

// P(k | lambda) in extended precision.
long double poisson(std::int32_t k, double lambda);

// The ideal log of the likelihood ratio of count k plus mu: the part that
// depends on lambda and b alone (every ratio carries the same -mu).
long double log_ratio_plus_mu(std::int32_t k, double b, double lambda);

// The same for many counts at one lambda and b, the logarithms of both
// taken once.
class ideal_log_ratios {
 public:
  ideal_log_ratios(double b, double lambda);
  long double operator()(std::int32_t k) const;

 private:
  long double b_;
  long double log_lambda_;
  long double log_b_;
};

}  // namespace limits::build_error
