#include "console/count_conversion.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace console {
namespace {

constexpr unsigned char ctrl_z = 0x1A;
constexpr std::uint64_t count_max = 2147483647;
constexpr std::uint64_t pattern_max = 4294967295;

// The one text whose magnitude is beyond the Count range, taken whole.
constexpr std::string_view min_count_text = "-2147483648";

// A character's value as a digit: 0-9, then letters of either case 10-35;
// 36 for anything else, which no radix admits.
std::uint32_t digit_value(unsigned char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint32_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'z') return static_cast<std::uint32_t>(c - 'a' + 10);
  return 36;
}

}  // namespace

void count_reader::add(unsigned char c) noexcept {
  if (min_text_matched_ == characters_ && characters_ < min_count_text.size() &&
      c == static_cast<unsigned char>(min_count_text[characters_])) {
    ++min_text_matched_;
  }
  if (characters_ != std::numeric_limits<std::size_t>::max()) ++characters_;

  if (error_ || ended_) return;
  if (c == ctrl_z) {
    ended_ = true;
    return;
  }
  if (after_radix_) {
    add_radix_character(c);
    return;
  }
  if ((c == '+' || c == '-') && characters_ == 1) {
    negative_ = c == '-';
    return;
  }
  if (c >= '0' && c <= '9') {
    add_decimal_digit(static_cast<unsigned>(c - '0'));
    return;
  }
  if (c == '#') {
    start_radix_digits();
    return;
  }
  error_ = error_code::invalid_integer;
}

void count_reader::add_decimal_digit(unsigned digit) noexcept {
  // 214748364 is the largest value that can take another digit and stay
  // within 2147483647 for some digit.
  if (value_ > count_max / 10) {
    error_ = error_code::integer_overflow;
    return;
  }
  value_ = value_ * 10 + digit;
  if (value_ > count_max) error_ = error_code::integer_overflow;
}

void count_reader::start_radix_digits() noexcept {
  if (value_ == 0) {
    radix_ = 16;
  } else if (value_ >= 2 && value_ <= 36) {
    radix_ = static_cast<std::uint32_t>(value_);
  } else {
    error_ = error_code::illegal_radix;
    return;
  }
  value_ = 0;
  after_radix_ = true;
}

void count_reader::add_radix_character(unsigned char c) noexcept {
  if (c == '#') {
    error_ = error_code::multiple_radix;
    return;
  }
  const std::uint32_t digit = digit_value(c);
  if (digit >= radix_) {
    error_ = error_code::invalid_integer;
    return;
  }
  // Radix 10 keeps to the Count range; the others fill all 32 bits.
  const std::uint64_t limit = radix_ == 10 ? count_max : pattern_max;
  if (value_ > (limit - digit) / radix_) {
    error_ = error_code::integer_overflow;
    return;
  }
  value_ = value_ * radix_ + digit;
}

count_result count_reader::result() const noexcept {
  if (min_text_matched_ == min_count_text.size() && characters_ == min_count_text.size()) {
    return {std::numeric_limits<std::int32_t>::min(), std::nullopt};
  }
  if (error_) return {0, error_};
  auto pattern = static_cast<std::uint32_t>(value_);
  // Negated as a 32-bit pattern: "-16#80000000" stays -2147483648.
  if (negative_) pattern = 0u - pattern;
  return {static_cast<std::int32_t>(pattern), std::nullopt};
}

count_result convert_count(std::string_view text) noexcept {
  count_reader reader;
  for (const char c : text) reader.add(static_cast<unsigned char>(c));
  return reader.result();
}

}  // namespace console
