// Any double gives a word of 22 characters, or a text of at most 24 characters showing 16
// significant digits that reads back close to the value. Aborts on the first violation.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "console/real_layout.h"

namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

bool all_digits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

void check_finite(double value, const console::real_text& laid_out) {
  std::string_view text = laid_out.view();
  const bool negative = std::signbit(value) && value != 0.0;  // zero never shows a sign
  require(text.starts_with('-') == negative);
  if (negative) text.remove_prefix(1);

  const double magnitude = std::fabs(value);
  const bool fixed_form = 1.0 <= magnitude && magnitude < 1e7;
  const std::size_t point = text.find('.');
  require(point != std::string_view::npos && point <= 8);
  require(fixed_form ? point >= 1 : point == 1);
  require(text.size() == point + 16 + (fixed_form ? 0 : 5));
  require(all_digits(text.substr(0, point)) && all_digits(text.substr(point + 1, 15)));
  require(text[0] != '0' || value == 0.0);
  // Past the 16th significant digit there is only padding.
  require(text.substr(point + 1, 15).find_first_not_of('0', 16 - point) == std::string_view::npos);
  if (!fixed_form) {
    const std::string_view exponent = text.substr(point + 16);
    require(exponent[0] == 'E' && (exponent[1] == '+' || exponent[1] == '-'));
    require(all_digits(exponent.substr(2)));
  }

  std::array<char, console::real_field_width + 1> terminated{};
  std::memcpy(terminated.data(), laid_out.chars.data(), laid_out.length);
  // Read back in extended precision, which neither overflows at the largest double nor
  // loses digits below the normal range. The text lies within 0.56 units of its 16th digit,
  // under 5.6e-16 of the value.
  const long double back = std::strtold(terminated.data(), nullptr);
  const auto exact = static_cast<long double>(value);
  require(std::fabs(back - exact) <= 6e-16L * std::fabs(exact));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return 0;
  double value = 0.0;
  std::memcpy(&value, data, sizeof value);
  const console::real_text laid_out = console::layout_real(value);
  require(laid_out.length <= console::real_field_width);
  if (std::isfinite(value)) {
    check_finite(value, laid_out);
  } else {
    require(laid_out.length == 22 && laid_out.view().starts_with("1#"));
  }
  return 0;
}
