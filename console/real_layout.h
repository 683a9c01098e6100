#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace console {

// Longest text of any double: a sign and seven integer digits in the fixed form.
constexpr std::size_t real_field_width = 24;

struct real_text {
  std::array<char, real_field_width> chars{};
  std::size_t length = 0;

  std::string_view view() const { return {chars.data(), length}; }
};

// The list-directed text of a double: 16 significant digits, the fixed form
// "ddd.ddddddddddddddd" for magnitudes from 1 up to below 1e7, otherwise the
// exponent form "d.dddddddddddddddE+nnn"; no leading blanks. 17 to 24
// characters for finite values, 22 for the non-finite words ("1#INF....").
// Pure: no I/O, no allocation.
real_text layout_real(double value);

}  // namespace console
