#include "fclimits/arguments.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace fclimits::internal {
namespace {

[[noreturn]] void refuse(const char* name, const std::string& value, const char* expected) {
  throw std::invalid_argument(std::string("fclimits: ") + name + " = " + value + " is not " +
                              expected);
}

bool finite_and_not_negative(double x) { return std::isfinite(x) && x >= 0.0; }

}  // namespace

std::string describe(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

void check_count(std::int32_t n) {
  if (n < 0) refuse("n", std::to_string(n), "a count: it must be >= 0");
}

void check_background(double b) {
  if (!finite_and_not_negative(b)) {
    refuse("b", describe(b), "a background: it must be finite and >= 0");
  }
}

void check_mean(double mu) {
  if (!finite_and_not_negative(mu)) {
    refuse("mu", describe(mu), "a signal mean: it must be finite and >= 0");
  }
}

void check_level(double cl) {
  // Negated, so that a NaN is refused too.
  if (!(cl > 0.0 && cl < 1.0)) {
    refuse("cl", describe(cl), "a confidence level: it must lie strictly between 0 and 1");
  }
}

void check_options(const options& how) {
  if (!finite_and_not_negative(how.tolerance)) {
    refuse("tolerance", describe(how.tolerance),
           "a search tolerance: it must be finite and >= 0 (0: the method's own)");
  }
}

}  // namespace fclimits::internal
