#pragma once

#include <cstdint>
#include <string_view>

namespace console {

// Every error the program reports; the value is the number shown after the
// class letter ("F6501", "M6104").
enum class error_code : std::uint16_t {
  integer_overflow = 6100,
  invalid_integer = 6101,
  real_too_large = 6102,
  invalid_real = 6103,
  multiple_radix = 6302,
  illegal_radix = 6303,
  terminal_buffer_overflow = 6407,
  write_access_denied = 6421,
  write_device_full = 6422,
  read_failed = 6500,
  end_of_file = 6501,
  repeat_not_positive = 6502,
  multiple_repeat = 6503,
  invalid_number = 6504,
};

// The report's message for an input or output error, exact.
constexpr std::string_view message_of(error_code code) {
  switch (code) {
    case error_code::integer_overflow:
      return "INTEGER overflow on input";
    case error_code::invalid_integer:
      return "invalid INTEGER";
    case error_code::real_too_large:
      return "REAL indefinite ( uninitialized or previous error )";
    case error_code::invalid_real:
      return "invalid REAL";
    case error_code::multiple_radix:
      return "multiple radix specifiers";
    case error_code::illegal_radix:
      return "illegal radix specifier";
    case error_code::terminal_buffer_overflow:
      return "terminal buffer overflow";
    case error_code::write_access_denied:
      return "file read-only or locked against writing";
    case error_code::write_device_full:
      return "no space left on device";
    case error_code::read_failed:
      return "file not open for reading or file locked";
    case error_code::end_of_file:
      return "end of file encountered";
    case error_code::repeat_not_positive:
      return "positive integer expected in repeat field";
    case error_code::multiple_repeat:
      return "multiple repeat field";
    case error_code::invalid_number:
      return "invalid number in input";
  }
  return "";
}

}  // namespace console
