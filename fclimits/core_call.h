#pragma once

#include <cfenv>
#include <cstdint>
#include <initializer_list>

#include "limits/checked_math.h"

namespace fclimits::internal {

// The caller's floating-point environment (flags, traps, rounding) saved,
// the flags cleared, traps off and rounding to nearest until the end of the
// scope, then the caller's restored exactly: whatever a call computes or
// checks, the caller finds its environment as it left it. Every public
// call opens one before it looks at its arguments. Not copyable.
class environment_guard {
 public:
  environment_guard();
  ~environment_guard();
  environment_guard(const environment_guard&) = delete;
  environment_guard& operator=(const environment_guard&) = delete;

 private:
  std::fenv_t caller_environment_;
};

// One call into the limit computation, made as the library promises, inside
// an environment_guard of its own. An elementary function asked for a
// result it cannot give throws std::domain_error at once; every other error
// the console would stop on (an overflow, an invalid operation, a division
// by zero) is found by finish() from the exception flags, which record
// exactly what the console's traps would have caught. Each thread has its
// own flags, so calls on many threads do not mix. Where there are no flags
// (WebAssembly), finish() finds the one such error the arguments' rules
// leave, a count beyond 32 bits, from the build's record, and any other
// that reaches a result from the result itself. Not copyable; one at a
// time on a thread.
class core_call {
 public:
  // n is only for the messages: a count, or -1 for a call about means.
  core_call(std::int32_t n, double b);
  ~core_call();
  core_call(const core_call&) = delete;
  core_call& operator=(const core_call&) = delete;

  // Throws std::domain_error if the computation so far met an error, or if
  // one of its results is not finite. A result that is not finite, from
  // checked arguments, is itself an overflow, invalid operation or division
  // by zero, so with flags the check refuses nothing they let through.
  void finish(std::initializer_list<double> results = {}) const;

 private:
  environment_guard environment_;
  limits::math_error_handler caller_handler_;
  std::int32_t n_;
  double b_;
};

}  // namespace fclimits::internal
