#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "console/error_code.h"

namespace console {

struct real_result {
  double value = 0.0;
  std::optional<error_code> error;  // empty: `value` holds the Real
};

// Significant digits that take part in a Real; the next one rounds them.
constexpr std::size_t real_kept_digits = 24;

// A Real read one character at a time, so a value of any length is read
// without storing its text: add() each character in order, then result().
// Text: an optional sign, decimal digits with at most one "." and at least
// one digit, then optionally "E", "e", "D" or "d" with an optional sign and
// at least one digit, or a sign straight after the digits with at least one
// digit ("25-1" is 2.5). Leading zeros are dropped; of more than 24
// significant digits the 24th is raised by one when the 25th is 5 or more,
// and the rest count only for their place. The value is formed rounded to
// the 64-bit significand of long double, then rounded to double. Errors:
// invalid_real (any other text), real_too_large (beyond the double range).
// A result too small for a double is 0 or subnormal. No I/O, no
// allocation, and no floating-point overflow, invalid or divide-by-zero.
class real_reader {
 public:
  void add(unsigned char c) noexcept;
  real_result result() const noexcept;

 private:
  enum class phase : std::uint8_t { sign, mantissa, exponent_sign, exponent_digits, failed };

  void add_mantissa(unsigned char c) noexcept;
  void add_mantissa_digit(unsigned digit) noexcept;
  void add_exponent_digit(unsigned char c) noexcept;

  phase phase_ = phase::sign;
  bool negative_ = false;
  bool point_seen_ = false;
  bool mantissa_digit_seen_ = false;
  bool exponent_started_ = false;
  bool exponent_digit_seen_ = false;
  bool exponent_negative_ = false;
  std::array<char, real_kept_digits + 1> digits_{};  // the first 25 significant digits
  std::uint64_t significant_ = 0;                    // significant digits written, saturating
  std::int64_t place_ = 0;      // the value is 0.(digits) times ten to this, saturating
  std::uint64_t exponent_ = 0;  // the written exponent's magnitude, saturating
};

// The Real a whole value text stands for. No I/O, no allocation.
real_result convert_real(std::string_view text) noexcept;

}  // namespace console
