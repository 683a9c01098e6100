#include "console/real_layout.h"

#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace console {
namespace {

// The exact expansion is cut after 18 digits, rounded to 17, then rounded again to the 16
// shown. The two roundings are separate steps and must stay so: merging them changes digits.
constexpr std::size_t cut_digits = 18;
constexpr std::size_t converted_digits = 17;
constexpr std::size_t shown_digits = 16;
constexpr std::size_t fraction_digits = shown_digits - 1;
constexpr int fixed_exponent_max = 7;  // 0.d × 10^7: magnitudes below 1e7 stay fixed

constexpr std::uint64_t sign_mask = std::uint64_t{1} << 63;
constexpr std::uint64_t exponent_mask = std::uint64_t{0x7FF} << 52;
constexpr std::uint64_t fraction_mask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t quiet_bit = std::uint64_t{1} << 51;
// The default result of an invalid operation: negative, quiet, empty payload.
constexpr std::uint64_t indefinite_bits = 0xFFF8'0000'0000'0000;

constexpr std::string_view infinity_word = "1#INF.................";
constexpr std::string_view indefinite_word = "1#IND.................";
constexpr std::string_view quiet_nan_word = "1#QNAN................";
constexpr std::string_view signalling_nan_word = "1#SNAN................";
constexpr std::size_t word_width = 22;
static_assert(infinity_word.size() == word_width && indefinite_word.size() == word_width &&
              quiet_nan_word.size() == word_width && signalling_nan_word.size() == word_width);

constexpr std::uint32_t limb_base = 1'000'000'000;
constexpr std::size_t limb_digits = 9;
constexpr std::array<std::uint32_t, limb_digits> limb_place_values = {
    1, 10, 100, 1'000, 10'000, 100'000, 1'000'000, 10'000'000, 100'000'000};
// The longest exact expansion belongs to the smallest binary exponent, 2^-1074: a significand
// below 2^53 times 5^1074 is below 10^767, and 767 digits fit in 86 limbs.
constexpr std::size_t limb_capacity = 86;

// An unsigned integer in base 10^9, least significant limb first, so the leading decimal
// digits can be read off directly.
class big_decimal {
 public:
  explicit big_decimal(std::uint64_t value) {
    do {
      limbs_[size_++] = static_cast<std::uint32_t>(value % limb_base);
      value /= limb_base;
    } while (value != 0);
  }

  void multiply_power(std::uint32_t base, std::uint32_t exponent) {
    assert(base >= 2);
    // One 32-bit factor at a time keeps every limb product within 64 bits.
    constexpr std::uint32_t factor_limit = std::numeric_limits<std::uint32_t>::max();
    while (exponent > 0) {
      std::uint32_t factor = 1;
      while (exponent > 0 && factor <= factor_limit / base) {
        factor *= base;
        --exponent;
      }
      multiply(factor);
    }
  }

  std::size_t length() const {
    std::size_t top_digits = 1;
    for (std::uint32_t top = limbs_[size_ - 1]; top >= 10; top /= 10) ++top_digits;
    return (size_ - 1) * limb_digits + top_digits;
  }

  // The digit at `place`, counted from the units (place 0).
  std::uint8_t digit(std::size_t place) const {
    assert(place / limb_digits < size_);
    const std::uint32_t limb = limbs_[place / limb_digits];
    return static_cast<std::uint8_t>(limb / limb_place_values[place % limb_digits] % 10);
  }

 private:
  void multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < size_; ++i) {
      const std::uint64_t product = std::uint64_t{limbs_[i]} * factor + carry;
      limbs_[i] = static_cast<std::uint32_t>(product % limb_base);
      carry = product / limb_base;
    }
    for (; carry != 0; carry /= limb_base) {
      assert(size_ < limb_capacity);
      limbs_[size_++] = static_cast<std::uint32_t>(carry % limb_base);
    }
  }

  std::array<std::uint32_t, limb_capacity> limbs_{};
  std::size_t size_ = 0;
};

// 0.d1 d2 ... d(count) × 10^exponent. Digits past `count` are zero; d1 is nonzero except for
// zero itself, which is "0" with exponent 0.
struct decimal_digits {
  std::array<std::uint8_t, cut_digits> digits{};
  std::size_t count = 1;
  int exponent = 0;
};

// Keeps the first `keep` digits, half up on the next one. The carry runs left through nines;
// past the first digit it leaves 1 and zeros, one decimal place higher. Trailing zeros go.
void round_digits(decimal_digits& d, std::size_t keep) {
  assert(keep >= 1 && keep < cut_digits);
  if (d.count > keep) {
    const bool round_up = d.digits[keep] >= 5;
    for (std::size_t i = keep; i < d.count; ++i) d.digits[i] = 0;
    d.count = keep;
    std::size_t i = keep;
    while (round_up && i > 0 && d.digits[i - 1] == 9) d.digits[--i] = 0;
    if (round_up && i == 0) {
      d.digits[0] = 1;
      ++d.exponent;
    } else if (round_up) {
      ++d.digits[i - 1];
    }
  }
  while (d.count > 1 && d.digits[d.count - 1] == 0) --d.count;
}

// The leading 18 digits of a finite nonzero magnitude, cut (not rounded) from its exact value.
decimal_digits exact_leading_digits(std::uint64_t magnitude_bits) {
  const auto biased_exponent = static_cast<int>(magnitude_bits >> 52);
  std::uint64_t significand = magnitude_bits & fraction_mask;
  int binary_exponent = -1074;
  if (biased_exponent != 0) {
    significand |= std::uint64_t{1} << 52;
    binary_exponent = biased_exponent - 1075;
  }
  big_decimal value(significand);
  int decimal_exponent = 0;
  if (binary_exponent >= 0) {
    value.multiply_power(2, static_cast<std::uint32_t>(binary_exponent));
  } else {
    // m × 2^-k = m × 5^k × 10^-k: an integer again, with the decimal point moved k places.
    value.multiply_power(5, static_cast<std::uint32_t>(-binary_exponent));
    decimal_exponent = binary_exponent;
  }
  const std::size_t length = value.length();
  decimal_digits d;
  d.count = length < cut_digits ? length : cut_digits;
  for (std::size_t i = 0; i < d.count; ++i) d.digits[i] = value.digit(length - 1 - i);
  d.exponent = decimal_exponent + static_cast<int>(length);
  return d;
}

std::string_view non_finite_word(std::uint64_t bits) {
  if ((bits & fraction_mask) == 0) return infinity_word;
  if (bits == indefinite_bits) return indefinite_word;
  return (bits & quiet_bit) != 0 ? quiet_nan_word : signalling_nan_word;
}

void put(real_text& text, char c) {
  // Only a sign plus a fixed form with 8 integer digits would overflow. That needs a carry
  // past the first digit in the rounding to 16, and no double lies close enough below a
  // power of ten: the nearest comes to 0.99999999999999994 at 17 digits.
  assert(text.length < text.chars.size());
  text.chars[text.length++] = c;
}

char digit_char(const decimal_digits& d, std::size_t index) {
  return index < d.count ? static_cast<char>('0' + d.digits[index]) : '0';
}

}  // namespace

real_text layout_real(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  real_text text;
  if ((bits & exponent_mask) == exponent_mask) {
    for (const char c : non_finite_word(bits)) put(text, c);
    return text;
  }
  const std::uint64_t magnitude_bits = bits & ~sign_mask;
  const bool is_zero = magnitude_bits == 0;
  decimal_digits d;
  if (!is_zero) {
    d = exact_leading_digits(magnitude_bits);
    round_digits(d, converted_digits);
  }
  // The form is fixed before the rounding to 16 digits: a carry past the first digit then
  // adds an integer digit instead of switching to the exponent form.
  const bool fixed_form = 1 <= d.exponent && d.exponent <= fixed_exponent_max;
  round_digits(d, shown_digits);
  const auto integer_digits = fixed_form ? static_cast<std::size_t>(d.exponent) : std::size_t{1};

  if ((bits & sign_mask) != 0 && !is_zero) put(text, '-');
  for (std::size_t i = 0; i < integer_digits; ++i) put(text, digit_char(d, i));
  put(text, '.');
  for (std::size_t i = 0; i < fraction_digits; ++i) put(text, digit_char(d, integer_digits + i));
  if (fixed_form) return text;

  const int exponent = is_zero ? 0 : d.exponent - 1;
  put(text, 'E');
  put(text, exponent < 0 ? '-' : '+');
  // Decimal exponents of doubles run from -324 to +308: three digits always suffice.
  const auto magnitude = static_cast<std::uint32_t>(exponent < 0 ? -exponent : exponent);
  assert(magnitude < 1000);
  put(text, static_cast<char>('0' + magnitude / 100));
  put(text, static_cast<char>('0' + magnitude / 10 % 10));
  put(text, static_cast<char>('0' + magnitude % 10));
  return text;
}

}  // namespace console
