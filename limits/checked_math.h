#pragma once

#include <math.h>

#include <cmath>
#include <string_view>

namespace limits {

// Errors of the elementary functions, with the number they are reported
// under. Underflow and partial loss of precision are not errors here: the
// function's result is used.
enum class math_error : unsigned short { domain = 6201, singularity = 6202, overflow = 6203 };

// Called with the function's name ("exp", "sqrt", "log", "lgamma") where a
// checked function is asked for a result it cannot give. The program's
// handler reports the error and ends the program, the library's throws;
// without one (as in unit tests) the plain function is called and its IEEE
// result used. Each thread has its own handler; setting it returns the
// previous one.
// The word an error is reported with after its function's name, as in
// "exp: OVERFLOW error".
constexpr std::string_view math_error_word(math_error error) {
  switch (error) {
    case math_error::domain:
      return "DOMAIN";
    case math_error::singularity:
      return "SING";
    case math_error::overflow:
      return "OVERFLOW";
  }
  return "DOMAIN";
}

using math_error_handler = void (*)(std::string_view function, math_error error);
math_error_handler set_math_error_handler(math_error_handler handler);
void report_math_error(std::string_view function, math_error error);

// The largest x whose e^x is a finite double.
constexpr double largest_exp_argument = 0x1.62e42fefa39efp+9;  // 709.78...

// The elementary functions of the limit computation, their arguments checked
// before the call so that an error is reported as the function's own and
// never reaches the floating-point traps. The results are those of std::exp,
// std::sqrt, std::log and std::lgamma, bit for bit.
inline double checked_exp(double x) {
  if (x > largest_exp_argument) report_math_error("exp", math_error::overflow);
  return std::exp(x);
}

inline double checked_sqrt(double x) {
  if (x < 0.0) report_math_error("sqrt", math_error::domain);
  return std::sqrt(x);
}

inline double checked_log(double x) {
  if (x < 0.0) report_math_error("log", math_error::domain);
  // Exact comparison: only zero itself is the singularity.
  if (x == 0.0) report_math_error("log", math_error::singularity);
  return std::log(x);
}

// For x >= 1, the only arguments used: no pole and no overflow below 1e305.
// lgamma_r, not std::lgamma: the same result without writing the shared
// sign variable, which threads computing at once would race on.
inline double checked_lgamma(double x) {
  if (x <= 0.0 && std::floor(x) == x) report_math_error("lgamma", math_error::singularity);
  if (x > 0x1p+1016) report_math_error("lgamma", math_error::overflow);
  int sign = 0;
  return ::lgamma_r(x, &sign);
}

}  // namespace limits
