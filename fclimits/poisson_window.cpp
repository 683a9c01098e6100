#include "fclimits/poisson_window.h"

#include <limits>

#include "fclimits/fclimits.h"
#include "limits/poisson.h"

namespace fclimits::internal {
namespace {

constexpr std::int32_t largest_count = std::numeric_limits<std::int32_t>::max();

}  // namespace

poisson_window::poisson_window(double mu, double b)
    : mu_(mu),
      b_(b),
      below_(static_cast<std::int32_t>(mu + b) - 1),  // the callers keep mu + b below 2^31
      above_(below_ + 1),
      p_below_(probability_of(below_)),  // 0.0 below count 0
      p_above_(probability_of(above_)) {}

double poisson_window::probability_of(std::int32_t n) const {
  return limits::poisson_term(n, mu_, b_);
}

bool poisson_window::next(std::int32_t& n, double& probability) {
  if (started_ && !(1.0 - taken_ >= tail_probability)) return false;
  // The most probable count, floor(mu + b), opens the window.
  const bool upward = !started_ || (p_above_ >= p_below_ && p_above_ > 0.0);
  // Both sides spent: what is left has fallen below the double range.
  if (!upward && !(p_below_ > 0.0)) return false;
  started_ = true;
  if (upward) {
    n = above_;
    probability = p_above_;
    p_above_ = above_ < largest_count ? probability_of(++above_) : 0.0;
  } else {
    n = below_;
    probability = p_below_;
    p_below_ = probability_of(--below_);
  }
  taken_ += probability;
  return true;
}

}  // namespace fclimits::internal
