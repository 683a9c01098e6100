#include "fclimits/core_call.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fclimits/arguments.h"
#include "limits/acceptance_interval.h"

namespace fclimits::internal {
namespace {

[[noreturn]] void throw_function_error(std::string_view function, limits::math_error error) {
  throw std::domain_error("fclimits: " + std::string(function) + ": " +
                          std::string(limits::math_error_word(error)) +
                          " error: the arguments lie beyond the range of the computation");
}

}  // namespace

environment_guard::environment_guard() {
  std::feholdexcept(&caller_environment_);  // saves, clears the flags, traps off
  std::fesetround(FE_TONEAREST);
}

environment_guard::~environment_guard() { std::fesetenv(&caller_environment_); }

core_call::core_call(std::int32_t n, double b) : n_(n), b_(b) {
  caller_handler_ = limits::set_math_error_handler(throw_function_error);
  limits::clear_count_beyond_32_bits();
}

core_call::~core_call() { limits::set_math_error_handler(caller_handler_); }

namespace {

#if defined(FE_OVERFLOW) && defined(FE_INVALID) && defined(FE_DIVBYZERO)
// The flags record every overflow, invalid operation and division by zero
// of the computation, exactly what the console's traps catch.
bool computation_failed() {
  return std::fetestexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO) != 0;
}
#else
// WebAssembly has no floating-point flags. Within the arguments' rules the
// one error the computation meets is a count beyond 32 bits, which the
// build records; the elementary functions' errors have thrown already.
bool computation_failed() { return limits::count_beyond_32_bits_met(); }
#endif

}  // namespace

void core_call::finish(std::initializer_list<double> results) const {
  const bool finite = std::all_of(results.begin(), results.end(),
                                  [](double result) { return std::isfinite(result); });
  if (finite && !computation_failed()) return;
  if (n_ >= 0 && limits::count_beyond_32_bits_met()) {
    throw std::domain_error("fclimits: n = " + std::to_string(n_) +
                            " is too large: its acceptance intervals reach counts beyond "
                            "2147483647");
  }
  const std::string request = n_ >= 0 ? "n = " + std::to_string(n_) + ", " : "";
  throw std::domain_error("fclimits: the computation for " + request + "b = " + describe(b_) +
                          " left the double range");
}

}  // namespace fclimits::internal
