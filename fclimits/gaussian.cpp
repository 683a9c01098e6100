// The Gaussian measurement bounded at zero: arguments checked, the core
// called in units of sigma, a result beyond the doubles refused.
#include <cmath>
#include <stdexcept>
#include <string>

#include "fclimits/arguments.h"
#include "fclimits/core_call.h"
#include "fclimits/fclimits.h"
#include "limits/gaussian_bounded.h"

namespace fclimits {
namespace {

void check_finite(double value, const char* name, double argument, const char* argument_name,
                  double sigma) {
  if (std::isfinite(value)) return;
  throw std::domain_error(std::string("fclimits: the ") + name + " for " + argument_name + " = " +
                          internal::describe(argument) + ", sigma = " + internal::describe(sigma) +
                          " lies beyond the largest double");
}

}  // namespace

interval gaussian_limits(double x, double sigma, double cl) {
  const internal::environment_guard guard;
  internal::check_measurement(x);
  internal::check_sigma(sigma);
  internal::check_level(cl);
  const ::limits::gaussian_range found =
      ::limits::gaussian_confidence_interval(x, sigma, ::limits::gaussian_level_of(cl));
  check_finite(found.high, "upper limit", x, "x", sigma);
  return {found.low, found.high};
}

gaussian_band gaussian_acceptance(double mu, double sigma, double cl) {
  const internal::environment_guard guard;
  internal::check_gaussian_mean(mu);
  internal::check_sigma(sigma);
  internal::check_level(cl);
  const ::limits::gaussian_range found =
      ::limits::gaussian_acceptance_interval(mu, sigma, ::limits::gaussian_level_of(cl));
  check_finite(found.high, "acceptance interval's upper end", mu, "mu", sigma);
  return {found.low, found.high};
}

}  // namespace fclimits
