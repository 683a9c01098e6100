// Sums over the counts of a Poisson distribution: the sensitivity (the
// average upper limit at no signal) and the coverage of the intervals.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "fclimits/arguments.h"
#include "fclimits/core_call.h"
#include "fclimits/fclimits.h"
#include "fclimits/poisson_window.h"

namespace fclimits {
namespace {

void check_sum_arguments(double b, double cl, const options& how) {
  internal::check_background(b);
  internal::check_level(cl);
  internal::check_options(how);
  internal::check_background_in_range(b);
}

bool contains(const interval& limits_of_n, double mu) {
  return limits_of_n.lower <= mu && mu <= limits_of_n.upper;
}

// The coverage at mu from the limits of counts first..first + size - 1.
double covered_probability(double mu, double b, std::int32_t first,
                           std::span<const interval> limits_of) {
  internal::core_call call(0, b);
  internal::poisson_window window(mu, b);
  double sum = 0.0;
  std::int32_t n = 0;
  double probability = 0.0;
  while (window.next(n, probability)) {
    if (contains(limits_of[static_cast<std::size_t>(n - first)], mu)) sum += probability;
  }
  call.finish();
  return sum;
}

}  // namespace

double sensitivity(double b, double cl, const options& how) {
  check_sum_arguments(b, cl, how);
  internal::core_call call(0, b);
  internal::poisson_window window(0.0, b);
  double sum = 0.0;
  std::int32_t n = 0;
  double probability = 0.0;
  while (window.next(n, probability)) {
    sum += probability * internal::checked_limits(n, b, cl, how).upper;
  }
  call.finish();
  return sum;
}

double coverage(double mu, double b, double cl, const options& how) {
  internal::check_mean(mu);
  check_sum_arguments(b, cl, how);
  internal::check_counts_in_range(mu, b);
  internal::core_call call(0, b);
  internal::poisson_window window(mu, b);
  double sum = 0.0;
  std::int32_t n = 0;
  double probability = 0.0;
  while (window.next(n, probability)) {
    if (contains(internal::checked_limits(n, b, cl, how), mu)) sum += probability;
  }
  call.finish();
  return sum;
}

std::vector<double> coverage(std::span<const double> mu, double b, double cl, const options& how,
                             unsigned threads) {
  for (const double m : mu) {
    internal::check_mean(m);
    internal::check_counts_in_range(m, b);
  }
  check_sum_arguments(b, cl, how);
  // The counts any of the means needs, marked over their whole span: one
  // pass for the span, one to mark.
  internal::core_call call(0, b);
  auto for_each_count = [b](double m, auto&& use) {
    internal::poisson_window window(m, b);
    std::int32_t n = 0;
    double probability = 0.0;
    while (window.next(n, probability)) use(n);
  };
  std::int32_t first = std::numeric_limits<std::int32_t>::max();
  std::int32_t last = -1;
  for (const double m : mu) {
    for_each_count(m, [&](std::int32_t n) {
      first = std::min(first, n);
      last = std::max(last, n);
    });
  }
  std::vector<char> needed(last >= first ? static_cast<std::size_t>(last - first) + 1 : 0, 0);
  for (const double m : mu) {
    for_each_count(m, [&](std::int32_t n) { needed[static_cast<std::size_t>(n - first)] = 1; });
  }
  call.finish();
  std::vector<interval> limits_of(needed.size(), interval{0.0, 0.0});
  parallel_for(needed.size(), threads, [&](std::size_t k) {
    if (needed[k]) {
      limits_of[k] = internal::checked_limits(first + static_cast<std::int32_t>(k), b, cl, how);
    }
  });
  std::vector<double> result(mu.size());
  parallel_for(mu.size(), threads,
               [&](std::size_t i) { result[i] = covered_probability(mu[i], b, first, limits_of); });
  return result;
}

}  // namespace fclimits
