#include "fclimits/shortest_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fclimits::internal {
namespace {

// 17 significant digits tell every double apart.
constexpr int most_digits = 17;

struct decimal {
  std::string digits;  // d1 d2 ... with d1 the first significant digit
  int exponent = 0;    // value = d1.d2... times 10^exponent
};

// The shortest digits reading back as value > 0, from the exponent form.
decimal shortest_decimal(double value) {
  char text[40];
  int length = 0;
  for (int digits = 1; digits <= most_digits; ++digits) {
    length = std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
    // Exact comparison: the text must read back as this very double.
    if (std::strtod(text, nullptr) == value) break;
  }
  const std::string written(text, static_cast<std::size_t>(length));
  const std::size_t e = written.find('e');
  decimal d;
  for (std::size_t i = 0; i < e; ++i) {
    if (written[i] != '.') d.digits += written[i];
  }
  d.exponent = std::atoi(written.c_str() + e + 1);
  return d;
}

std::string exponent_form(const decimal& d) {
  std::string text = d.digits.substr(0, 1);
  if (d.digits.size() > 1) text += "." + d.digits.substr(1);
  const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
  text += d.exponent < 0 ? "e-" : "e+";
  if (magnitude < 10) text += '0';
  return text + std::to_string(magnitude);
}

// A whole number whose shortest digits end before the point is written
// with all its digits exact, as std::to_chars writes it
// ("470149059554303606784", not "470149059554303600000").
std::string fixed_form(const decimal& d, double value) {
  const auto size = static_cast<int>(d.digits.size());
  if (d.exponent < 0) {
    return "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
  }
  if (size <= d.exponent + 1) {
    char text[320];  // the largest double has 309 digits
    const int length = std::snprintf(text, sizeof text, "%.0f", value);
    return std::string(text, static_cast<std::size_t>(length));
  }
  const auto point = static_cast<std::size_t>(d.exponent + 1);
  return d.digits.substr(0, point) + "." + d.digits.substr(point);
}

}  // namespace

std::string shortest_text(double value) {
  const std::string sign = std::signbit(value) ? "-" : "";
  if (std::isnan(value)) return sign + "nan";
  if (std::isinf(value)) return sign + "inf";
  // Exact comparison: zero has no significant digit to search for.
  if (value == 0.0) return sign + "0";
  const decimal d = shortest_decimal(std::fabs(value));
  const std::string fixed = fixed_form(d, std::fabs(value));
  const std::string exponent = exponent_form(d);
  return sign + (exponent.size() < fixed.size() ? exponent : fixed);
}

}  // namespace fclimits::internal
