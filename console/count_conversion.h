#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "console/error_code.h"

namespace console {

struct count_result {
  std::int32_t value = 0;
  std::optional<error_code> error;  // empty: `value` holds the Count
};

// A Count read one character at a time, so a value of any length is read
// without storing its text: add() each character in order, then result().
// Decimal digits with one leading sign ("+" and "-" alone read as 0), or a
// radix form "r#digits" (no r, or r = 0, means 16; r from 2 to 36), where
// radix 10 stays within the Count range and other radices give the 32-bit
// pattern of up to 4294967295 ("16#FFFFFFFF" is -1). A Ctrl-Z byte ends the
// number; whatever follows it is ignored. Errors: integer_overflow,
// invalid_integer, illegal_radix, multiple_radix; the first one met stands.
// No I/O, no allocation.
class count_reader {
 public:
  void add(unsigned char c) noexcept;
  count_result result() const noexcept;

 private:
  void add_decimal_digit(unsigned digit) noexcept;
  void start_radix_digits() noexcept;
  void add_radix_character(unsigned char c) noexcept;

  std::size_t characters_ = 0;        // saturates; only compared with small numbers
  std::size_t min_text_matched_ = 0;  // the whole text so far equals this much of "-2147483648"
  bool negative_ = false;
  bool after_radix_ = false;
  bool ended_ = false;  // a Ctrl-Z was met
  std::uint32_t radix_ = 10;
  std::uint64_t value_ = 0;
  std::optional<error_code> error_;
};

// The Count a whole value text stands for. No I/O, no allocation.
count_result convert_count(std::string_view text) noexcept;

}  // namespace console
