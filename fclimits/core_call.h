#pragma once

#include <cfenv>
#include <cstdint>

#include "limits/checked_math.h"

namespace fclimits::internal {

// One call into the limit computation, made as the library promises: rounding
// to nearest and floating-point traps off while it runs, the caller's
// environment (flags, traps, rounding) restored afterwards. An elementary
// function asked for a result it cannot give throws std::domain_error at
// once; every other error the console would stop on (an overflow, an
// invalid operation, a division by zero) is found by finish() from the
// exception flags, which record exactly what the console's traps would have
// caught. Each thread has its own flags, so calls on many threads do not
// mix. Not copyable; one at a time on a thread.
class core_call {
 public:
  // n and b are only for the messages.
  core_call(std::int32_t n, double b);
  ~core_call();
  core_call(const core_call&) = delete;
  core_call& operator=(const core_call&) = delete;

  // Throws std::domain_error if the computation so far met an error.
  void finish() const;

 private:
  std::fenv_t caller_environment_;
  limits::math_error_handler caller_handler_;
  std::int32_t n_;
  double b_;
};

// Backgrounds above this overflow the terms whatever the count (e^b alone
// leaves the double range): refused before any computation.
constexpr double hopeless_background = limits::largest_exp_argument;

// Throws std::domain_error for a background above hopeless_background.
void check_background_in_range(double b);

// Throws std::domain_error where mu + b would put the counts of its Poisson
// distribution beyond 32 bits.
void check_counts_in_range(double mu, double b);

}  // namespace fclimits::internal
