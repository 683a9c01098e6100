#pragma once

#include <cstdint>

namespace fclimits::internal {

// The counts of a Poisson distribution with mean mu + b, from the most
// probable one outward, the more probable side first (a tie to the upper
// side), until the probability of the counts not yet given is below
// tail_probability. The order is fixed, so sums over it are reproducible.
// Ends also where both sides have run out (below 0, or terms fallen to 0.0
// above the mean), so it never runs for ever.
class poisson_window {
 public:
  poisson_window(double mu, double b);

  // The next count and its probability; false when the window is complete.
  bool next(std::int32_t& n, double& probability);

 private:
  double probability_of(std::int32_t n) const;

  double mu_;
  double b_;
  std::int32_t below_;  // the next candidate under the counts given
  std::int32_t above_;  // the next candidate over them
  double p_below_;
  double p_above_;
  double taken_ = 0.0;
  bool started_ = false;
};

}  // namespace fclimits::internal
