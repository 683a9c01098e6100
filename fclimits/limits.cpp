// The limits and acceptance regions of the public interface: arguments
// checked, then the core called as the console calls it.
#include <cstdint>

#include "fclimits/arguments.h"
#include "fclimits/compute_limits.h"
#include "fclimits/core_call.h"
#include "fclimits/fclimits.h"
#include "limits/acceptance_interval.h"
#include "limits/exact_correction.h"
#include "limits/exact_search.h"
#include "limits/lower_limit.h"
#include "limits/search_settings.h"
#include "limits/upper_limit.h"

namespace fclimits {

namespace internal {

interval compute_limits(std::int32_t n, double b, double cl, const options& how) {
  const ::limits::search_settings settings{how.tolerance, &how.stop};
  internal::core_call call(n, b);
  interval result{};
  const bool exact = how.method == search_method::exact;
  try {
    result.lower = exact ? ::limits::exact_lower_limit(n, b, cl, settings)
                         : ::limits::lower_limit(n, b, cl, settings);
    call.finish({result.lower});  // an overflow here would make the upper search pointless
    if (exact) {
      result.upper = how.correct_upper ? ::limits::exact_upper_limit(n, b, cl, settings)
                                       : ::limits::exact_raw_upper_limit(n, b, cl, settings);
    } else {
      result.upper = how.correct_upper ? ::limits::upper_limit(n, b, cl, settings)
                                       : ::limits::raw_upper_limit(n, b, cl, settings);
    }
  } catch (const ::limits::search_stopped&) {
    throw stopped();
  }
  call.finish({result.lower, result.upper});
  return result;
}

}  // namespace internal

interval limits(std::int32_t n, double b, double cl, const options& how) {
  const internal::environment_guard guard;
  internal::check_count(n);
  internal::check_background(b);
  internal::check_level(cl);
  internal::check_options(how);
  return internal::compute_limits(n, b, cl, how);
}

acceptance acceptance_region(double mu, double b, double cl) {
  const internal::environment_guard guard;
  internal::check_mean(mu);
  internal::check_background(b);
  internal::check_level(cl);
  internal::core_call call(-1, b);
  ::limits::build_acceptance_interval(mu, b, cl);
  const auto& built = ::limits::current_interval;
  // Exact comparison: with no mean at all the count 0 is certain, and the
  // build leaves its sum untouched.
  const double probability = (mu == 0.0 && b == 0.0) ? 1.0 : built.coverage;
  call.finish({probability});
  return {built.n_low, built.n_high, probability};
}

const char* version() { return FCLIMITS_VERSION; }

}  // namespace fclimits
