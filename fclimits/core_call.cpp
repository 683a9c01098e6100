#include "fclimits/core_call.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "fclimits/arguments.h"
#include "fclimits/fclimits.h"
#include "limits/acceptance_interval.h"

namespace fclimits::internal {
namespace {

std::string background_too_large(double b) {
  return "fclimits: b = " + describe(b) +
         " is too large: the Poisson terms overflow the double range above about 707 (every "
         "background up to " +
         describe(max_background) + " is computed)";
}

[[noreturn]] void throw_function_error(std::string_view function, limits::math_error error) {
  std::string_view kind = "DOMAIN";
  if (error == limits::math_error::singularity) kind = "SING";
  if (error == limits::math_error::overflow) kind = "OVERFLOW";
  throw std::domain_error("fclimits: " + std::string(function) + ": " + std::string(kind) +
                          " error: the arguments lie beyond the range of the computation");
}

}  // namespace

core_call::core_call(std::int32_t n, double b) : n_(n), b_(b) {
  std::feholdexcept(&caller_environment_);  // saves, clears the flags, traps off
  std::fesetround(FE_TONEAREST);
  caller_handler_ = limits::set_math_error_handler(throw_function_error);
  limits::clear_count_beyond_32_bits();
}

core_call::~core_call() {
  limits::set_math_error_handler(caller_handler_);
  std::fesetenv(&caller_environment_);
}

void core_call::finish() const {
  if (!std::fetestexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO)) return;
  if (limits::count_beyond_32_bits_met()) {
    throw std::domain_error("fclimits: n = " + std::to_string(n_) +
                            " is too large: its acceptance intervals reach counts beyond "
                            "2147483647");
  }
  if (std::fetestexcept(FE_OVERFLOW)) throw std::domain_error(background_too_large(b_));
  throw std::domain_error("fclimits: the computation for n = " + std::to_string(n_) +
                          ", b = " + describe(b_) + " left the double range");
}

void check_background_in_range(double b) {
  if (b > hopeless_background) throw std::domain_error(background_too_large(b));
}

void check_counts_in_range(double mu, double b) {
  // Room above the most probable count for the window's upper side.
  constexpr double largest_mean = 2147483647.0 - 1e6;
  if (!(mu + b < largest_mean)) {
    throw std::domain_error("fclimits: mu + b = " + describe(mu + b) +
                            " is too large: its counts reach beyond 2147483647");
  }
}

}  // namespace fclimits::internal
