// Sums over the counts of a Poisson distribution: the sensitivity (the
// average upper limit at no signal) and the coverage of the intervals.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>
#include <vector>

#include "fclimits/arguments.h"
#include "fclimits/compute_limits.h"
#include "fclimits/core_call.h"
#include "fclimits/fclimits.h"
#include "fclimits/poisson_window.h"

namespace fclimits {
namespace {

void check_sum_arguments(double b, double cl, const options& how) {
  internal::check_background(b);
  internal::check_level(cl);
  internal::check_options(how);
}

bool contains(const interval& limits_of_n, double mu) {
  return limits_of_n.lower <= mu && mu <= limits_of_n.upper;
}

// Sums weight(n) P(n | mu + b) over the counts of the window, in its order,
// in one call into the computation.
template <typename Weight>
double window_sum(double mu, double b, Weight weight) {
  internal::core_call call(-1, b);
  internal::poisson_window window(mu, b);
  double sum = 0.0;
  std::int32_t n = 0;
  double probability = 0.0;
  while (window.next(n, probability)) sum += weight(n, probability);
  call.finish({sum});
  return sum;
}

// The probability of the counts whose interval contains mu.
template <typename Limits>
double covered_probability(double mu, double b, Limits limits_of) {
  return window_sum(mu, b, [&](std::int32_t n, double probability) {
    return contains(limits_of(n), mu) ? probability : 0.0;
  });
}

}  // namespace

double sensitivity(double b, double cl, const options& how) {
  const internal::environment_guard guard;
  check_sum_arguments(b, cl, how);
  return window_sum(0.0, b, [&](std::int32_t n, double probability) {
    return probability * internal::compute_limits(n, b, cl, how).upper;
  });
}

double coverage(double mu, double b, double cl, const options& how) {
  const internal::environment_guard guard;
  internal::check_coverage_mean(mu);
  check_sum_arguments(b, cl, how);
  return covered_probability(
      mu, b, [&](std::int32_t n) { return internal::compute_limits(n, b, cl, how); });
}

std::vector<double> coverage(std::span<const double> mu, double b, double cl, const options& how,
                             unsigned threads) {
  const internal::environment_guard guard;
  check_sum_arguments(b, cl, how);
  for (const double m : mu) internal::check_coverage_mean(m);
  // The counts each mean needs: a window grows outward from its most
  // probable count, so they are one run of counts, marked over the span of
  // them all.
  internal::core_call call(-1, b);
  std::vector<std::pair<std::int32_t, std::int32_t>> runs;
  runs.reserve(mu.size());
  for (const double m : mu) {
    internal::poisson_window window(m, b);
    std::int32_t n = 0;
    double probability = 0.0;
    std::pair<std::int32_t, std::int32_t> run{std::numeric_limits<std::int32_t>::max(), -1};
    while (window.next(n, probability)) run = {std::min(run.first, n), std::max(run.second, n)};
    runs.push_back(run);
  }
  call.finish();
  std::int32_t first = std::numeric_limits<std::int32_t>::max();
  std::int32_t last = -1;
  for (const auto& [low, high] : runs) {
    first = std::min(first, low);
    last = std::max(last, high);
  }
  std::vector<char> needed(last >= first ? static_cast<std::size_t>(last - first) + 1 : 0, 0);
  for (const auto& [low, high] : runs) {
    for (std::int32_t n = low; n <= high; ++n) needed[static_cast<std::size_t>(n - first)] = 1;
  }
  std::vector<interval> limits_of(needed.size(), interval{0.0, 0.0});
  parallel_for(
      needed.size(), threads,
      [&](std::size_t k) {
        if (needed[k]) {
          limits_of[k] = internal::compute_limits(first + static_cast<std::int32_t>(k), b, cl, how);
        }
      },
      how.stop);
  std::vector<double> result(mu.size());
  parallel_for(
      mu.size(), threads,
      [&](std::size_t i) {
        result[i] = covered_probability(mu[i], b, [&](std::int32_t n) {
          return limits_of[static_cast<std::size_t>(n - first)];
        });
      },
      how.stop);
  return result;
}

}  // namespace fclimits
