#include "console/real_conversion.h"

#include <array>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string_view>

namespace console {
namespace {

static_assert(std::numeric_limits<double>::is_iec559 && FLT_EVAL_METHOD == 0);
// The first rounding is to the x87 extended format's 64-bit significand.
static_assert(std::numeric_limits<long double>::digits == 64);

// The written exponent and the place of the point each saturate here, far
// beyond any value that can be typed or piped, so neither count can
// overflow and their sum fits in 64 bits.
constexpr std::int64_t count_cap = 1'000'000'000'000'000;

// Beyond every long double either way: a decimal exponent past 5200 counts
// as 5201 and always ends in overflow or zero. The cap applies to the final
// exponent, not to the written one alone: a long run of zeros around the
// point must not pull an out-of-range exponent back into range.
constexpr std::int64_t exponent_limit = 5201;

// d.ddd times ten to 309 or more is beyond the largest double (1.79e308);
// below ten to -400 the value rounds to zero in both steps (the smallest
// subnormal double is 4.9e-324). Both are decided without forming the
// value, so the conversion never meets a long double overflow or underflow.
constexpr std::int64_t largest_formed_exponent = 308;
constexpr std::int64_t smallest_formed_exponent = -400;

// Halfway between the largest double and 2^1024. Narrowing rounds to
// nearest, ties to even, and the largest double's significand is odd, so a
// long double at or above this would become infinity; exactly representable
// in long double, so the test needs no narrowing that could trap.
constexpr long double narrowing_overflow = 0x1.fffffffffffff8p+1023L;

std::int64_t add_saturating(std::int64_t count, std::int64_t step) {
  if (step > 0 && count >= count_cap) return count;
  if (step < 0 && count <= -count_cap) return count;
  return count + step;
}

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

// Raises the kept digits by one unit in the last place. Returns true when
// they were all nines and became "1000...", one decade up.
bool raise_last_digit(std::array<char, real_kept_digits>& kept, std::size_t count) {
  for (std::size_t i = count; i-- > 0;) {
    if (kept[i] != '9') {
      ++kept[i];
      return false;
    }
    kept[i] = '0';
  }
  kept[0] = '1';
  return true;
}

// Writes "[-]DDD...e[-]NNN" and a NUL: the digits as an integer, so the
// text reads the same in every locale (no decimal point), and the exponent
// of its last digit.
void write_normalised(bool negative, const std::array<char, real_kept_digits>& kept,
                      std::size_t count, std::int64_t exponent, std::array<char, 40>& text) {
  std::size_t length = 0;
  auto put = [&](char c) {
    // At most a sign, 24 digits, "e-" and four exponent digits.
    assert(length + 1 < text.size());
    if (length + 1 < text.size()) text[length++] = c;
  };
  if (negative) put('-');
  for (std::size_t i = 0; i < count; ++i) put(kept[i]);
  put('e');
  if (exponent < 0) put('-');
  auto magnitude = static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent);
  std::array<char, 8> reversed{};
  std::size_t digits = 0;
  do {
    reversed[digits++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0 && digits < reversed.size());
  while (digits > 0) put(reversed[--digits]);
  text[length] = '\0';
}

// An optional sign: true when c was one, and negative set from it.
bool take_sign(unsigned char c, bool& negative) {
  if (c != '+' && c != '-') return false;
  negative = c == '-';
  return true;
}

}  // namespace

void real_reader::add(unsigned char c) noexcept {
  switch (phase_) {
    case phase::failed:
      return;
    case phase::sign:
      phase_ = phase::mantissa;
      if (!take_sign(c, negative_)) add_mantissa(c);
      return;
    case phase::mantissa:
      add_mantissa(c);
      return;
    case phase::exponent_sign:
      phase_ = phase::exponent_digits;
      if (!take_sign(c, exponent_negative_)) add_exponent_digit(c);
      return;
    case phase::exponent_digits:
      add_exponent_digit(c);
      return;
  }
}

void real_reader::add_mantissa(unsigned char c) noexcept {
  if (is_digit(c)) {
    add_mantissa_digit(static_cast<unsigned>(c - '0'));
  } else if (c == '.' && !point_seen_) {
    point_seen_ = true;
  } else if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
    exponent_started_ = true;
    phase_ = phase::exponent_sign;
  } else if (c == '+' || c == '-') {
    // A sign straight after the digits starts the exponent: "1.5+3".
    exponent_started_ = true;
    exponent_negative_ = c == '-';
    phase_ = phase::exponent_digits;
  } else {
    phase_ = phase::failed;
  }
}

void real_reader::add_mantissa_digit(unsigned digit) noexcept {
  mantissa_digit_seen_ = true;
  if (significant_ == 0 && digit == 0) {
    // A leading zero after the point moves the first digit one place down.
    if (point_seen_) place_ = add_saturating(place_, -1);
    return;
  }
  if (significant_ < digits_.size()) digits_[significant_] = static_cast<char>('0' + digit);
  if (significant_ < static_cast<std::uint64_t>(count_cap)) ++significant_;
  if (!point_seen_) place_ = add_saturating(place_, 1);
}

void real_reader::add_exponent_digit(unsigned char c) noexcept {
  if (!is_digit(c)) {
    phase_ = phase::failed;
    return;
  }
  exponent_digit_seen_ = true;
  const auto cap = static_cast<std::uint64_t>(count_cap);
  if (exponent_ > cap) return;
  exponent_ = exponent_ * 10 + static_cast<std::uint64_t>(c - '0');
  if (exponent_ > cap) exponent_ = cap + 1;
}

real_result real_reader::result() const noexcept {
  const real_result invalid{0.0, error_code::invalid_real};
  const real_result too_large{0.0, error_code::real_too_large};
  if (phase_ == phase::failed || !mantissa_digit_seen_) return invalid;
  if (exponent_started_ && !exponent_digit_seen_) return invalid;
  const double zero = negative_ ? -0.0 : 0.0;
  if (significant_ == 0) return {zero, std::nullopt};

  std::array<char, real_kept_digits> kept{};
  const std::size_t count =
      significant_ < real_kept_digits ? static_cast<std::size_t>(significant_) : real_kept_digits;
  for (std::size_t i = 0; i < count; ++i) kept[i] = digits_[i];

  const auto written = static_cast<std::int64_t>(exponent_);
  // The first digit's decimal exponent, as in d.ddd times ten to it.
  std::int64_t exponent = place_ - 1 + (exponent_negative_ ? -written : written);
  // The 25th digit, the first one dropped, decides the rounding of the 24th.
  if (significant_ > real_kept_digits && digits_[real_kept_digits] >= '5') {
    if (raise_last_digit(kept, count)) ++exponent;
  }
  if (exponent > exponent_limit) exponent = exponent_limit;
  if (exponent < -exponent_limit) exponent = -exponent_limit;

  if (exponent > largest_formed_exponent) return too_large;
  if (exponent < smallest_formed_exponent) return {zero, std::nullopt};

  std::array<char, 40> text{};
  const auto last_digit_exponent = exponent - static_cast<std::int64_t>(count - 1);
  write_normalised(negative_, kept, count, last_digit_exponent, text);
  // Correctly rounded to 64 bits; the value is well inside the long double
  // range, so no overflow or underflow is raised here.
  const long double extended = std::strtold(text.data(), nullptr);
  if (std::fabs(extended) >= narrowing_overflow) return too_large;
  return {static_cast<double>(extended), std::nullopt};
}

real_result convert_real(std::string_view text) noexcept {
  real_reader reader;
  for (const char c : text) reader.add(static_cast<unsigned char>(c));
  return reader.result();
}

}  // namespace console
