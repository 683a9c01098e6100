#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "console/count_conversion.h"
#include "console/error_code.h"
#include "console/real_conversion.h"

namespace {

using console::convert_count;
using console::convert_real;
using console::error_code;

constexpr std::int32_t count_min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t count_max = std::numeric_limits<std::int32_t>::max();

struct count_case {
  std::string_view text;
  std::int32_t value;
  std::optional<error_code> error;
};

constexpr count_case count_cases[] = {
    {"5", 5, std::nullopt},
    {"+5", 5, std::nullopt},
    {"-5", -5, std::nullopt},
    {"+", 0, std::nullopt},
    {"-", 0, std::nullopt},
    {"0000000000000000000000000000000000000007", 7, std::nullopt},
    {"2147483647", count_max, std::nullopt},
    {"-2147483647", -count_max, std::nullopt},
    {"-2147483648", count_min, std::nullopt},
    // Only the exact text reaches the lowest Count.
    {"-02147483648", 0, error_code::integer_overflow},
    {"2147483648", 0, error_code::integer_overflow},
    {"2147483650", 0, error_code::integer_overflow},
    {"-2147483649", 0, error_code::integer_overflow},
    {"3000000000", 0, error_code::integer_overflow},
    {"99999999999999999999999999999", 0, error_code::integer_overflow},
    // The first error met stands.
    {"99999999999a", 0, error_code::integer_overflow},
    {"1a99999999999", 0, error_code::invalid_integer},
    {"1.5", 0, error_code::invalid_integer},
    {"1e3", 0, error_code::invalid_integer},
    {"12a", 0, error_code::invalid_integer},
    {"5-", 0, error_code::invalid_integer},
    {"--5", 0, error_code::invalid_integer},
    {" 5", 0, error_code::invalid_integer},
    {"a#1", 0, error_code::invalid_integer},
    {"16#1F", 31, std::nullopt},
    {"16#1f", 31, std::nullopt},
    {"#ff", 255, std::nullopt},
    {"0#ff", 255, std::nullopt},
    {"-#ff", -255, std::nullopt},
    {"16#", 0, std::nullopt},
    {"2#101", 5, std::nullopt},
    {"36#zz", 1295, std::nullopt},
    {"16#7FFFFFFF", count_max, std::nullopt},
    {"16#FFFFFFFF", -1, std::nullopt},
    {"16#80000000", count_min, std::nullopt},
    {"-16#80000000", count_min, std::nullopt},
    {"-16#FFFFFFFF", 1, std::nullopt},
    {"2#11111111111111111111111111111111", -1, std::nullopt},
    {"8#37777777777", -1, std::nullopt},
    {"16#100000000", 0, error_code::integer_overflow},
    {"10#2147483647", count_max, std::nullopt},
    {"10#2147483648", 0, error_code::integer_overflow},
    {"1#0", 0, error_code::illegal_radix},
    {"37#1", 0, error_code::illegal_radix},
    {"99999#1", 0, error_code::illegal_radix},
    {"16#1#2", 0, error_code::multiple_radix},
    {"8#9", 0, error_code::invalid_integer},
    {"16#G", 0, error_code::invalid_integer},
    {"16#-1", 0, error_code::invalid_integer},
    {"16#1.0", 0, error_code::invalid_integer},
    // A Ctrl-Z ends the number; what follows it is not read.
    {"5\x1A", 5, std::nullopt},
    {"5\x1A.x#", 5, std::nullopt},
    {"16#1F\x1A#", 31, std::nullopt},
    {"\x1A", 0, std::nullopt},
};

TEST(convert_count, accepts_and_rejects) {
  for (const auto& c : count_cases) {
    SCOPED_TRACE(c.text);
    const console::count_result r = convert_count(c.text);
    EXPECT_EQ(r.error, c.error);
    if (!c.error) {
      EXPECT_EQ(r.value, c.value);
    }
  }
}

struct real_case {
  std::string_view text;
  double value;
  std::optional<error_code> error;
};

// Expected values were formed independently with exact rational arithmetic:
// the 24 kept digits, rounded to a 64-bit significand, then to double.
constexpr real_case real_cases[] = {
    {"5", 5.0, std::nullopt},
    {"2.5", 2.5, std::nullopt},
    {".5", 0.5, std::nullopt},
    {"5.", 5.0, std::nullopt},
    {"+2.5", 2.5, std::nullopt},
    {"-2.5", -2.5, std::nullopt},
    {"1.5D2", 150.0, std::nullopt},
    {"1.5d2", 150.0, std::nullopt},
    {"1.5E2", 150.0, std::nullopt},
    {"1.5e+2", 150.0, std::nullopt},
    {"1.5+2", 150.0, std::nullopt},
    {"1.5+3", 1500.0, std::nullopt},
    {"1-2", 0.01, std::nullopt},
    {"25-1", 2.5, std::nullopt},
    {"0.1", 0.1, std::nullopt},
    {"1e-3", 0.001, std::nullopt},
    {"0.001e3", 1.0, std::nullopt},
    {"100e-2", 1.0, std::nullopt},
    {"000.000", 0.0, std::nullopt},
    {"0e99999", 0.0, std::nullopt},
    {"1e300", 1e300, std::nullopt},
    {".", 0.0, error_code::invalid_real},
    {"+", 0.0, error_code::invalid_real},
    {"-", 0.0, error_code::invalid_real},
    {"E5", 0.0, error_code::invalid_real},
    {".E5", 0.0, error_code::invalid_real},
    {"1.5E", 0.0, error_code::invalid_real},
    {"1.5E+", 0.0, error_code::invalid_real},
    {"1.5+", 0.0, error_code::invalid_real},
    {"1.5Q2", 0.0, error_code::invalid_real},
    {"1..5", 0.0, error_code::invalid_real},
    {"1.5.2", 0.0, error_code::invalid_real},
    {"1.5e2.0", 0.0, error_code::invalid_real},
    {"1.5e2e2", 0.0, error_code::invalid_real},
    {"1.5e+-2", 0.0, error_code::invalid_real},
    {"--1", 0.0, error_code::invalid_real},
    {"INF", 0.0, error_code::invalid_real},
    {"NaN", 0.0, error_code::invalid_real},
    {"0x1p3", 0.0, error_code::invalid_real},
    {"16#1F", 0.0, error_code::invalid_real},
    {"2.5\x1A", 0.0, error_code::invalid_real},
    {"1e309", 0.0, error_code::real_too_large},
    {"-1e309", 0.0, error_code::real_too_large},
    {"1e400", 0.0, error_code::real_too_large},
    {"1e5200", 0.0, error_code::real_too_large},
    {"1e5201", 0.0, error_code::real_too_large},
    {"1e99999999999999999999999999", 0.0, error_code::real_too_large},
    {"1.7976931348623157e308", 0x1.fffffffffffffp+1023, std::nullopt},
    {"1.7976931348623158078e308", 0x1.fffffffffffffp+1023, std::nullopt},
    // Rounds to long double exactly halfway between the largest double and
    // 2^1024, and from there to infinity; a single rounding would not.
    {"1.79769313486231580789e308", 0.0, error_code::real_too_large},
    {"1e-400", 0.0, std::nullopt},
    {"1e-5200", 0.0, std::nullopt},
    {"1e-99999999999999999999999999", 0.0, std::nullopt},
    {"1e-320", 0x0.00000000007e8p-1022, std::nullopt},
    {"4.9406564584124654e-324", 0x1p-1074, std::nullopt},
    {"2.4703282292062328e-324", 0x1p-1074, std::nullopt},
    {"2.4703282292062327e-324", 0.0, std::nullopt},
    {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022, std::nullopt},
    // Just below the midpoint 1 + 3 * 2^-53: long double holds the midpoint,
    // which goes to the even neighbour 1 + 2^-51; a single rounding gives
    // 1 + 2^-52.
    {"1.00000000000000033306690", 0x1.0000000000002p+0, std::nullopt},
    // 24 digits, 25th below 5 and 5: the 25th digit decides whether the 24th
    // is raised, which here moves the long double across its own midpoint.
    {"1.000000000000000111076514", 0x1.0000000000000p+0, std::nullopt},
    {"1.000000000000000111076515", 0x1.0000000000001p+0, std::nullopt},
    // The 24th digit being 5 raises nothing when the 25th is 0.
    {"1.000000000000001887433350", 0x1.0000000000008p+0, std::nullopt},
    {"1.000000000000001887433349", 0x1.0000000000008p+0, std::nullopt},
    // Raising 24 nines carries into a new leading digit.
    {"9999999999999999999999999", 0x1.08b2a2c280291p+83, std::nullopt},
    {"9.999999999999999999999999", 10.0, std::nullopt},
    // Digits past the 25th count only for their place.
    {"123456789012345678901234567890", 0x1.8ee90ff6c373ep+96, std::nullopt},
};

TEST(convert_real, accepts_and_rejects) {
  for (const auto& c : real_cases) {
    SCOPED_TRACE(c.text);
    const console::real_result r = convert_real(c.text);
    EXPECT_EQ(r.error, c.error);
    if (!c.error) {
      EXPECT_EQ(r.value, c.value);
    }
  }
}

// Overflow, invalid and divide-by-zero will be trapped: no conversion may
// raise them, not even one refused as too large.
TEST(convert_real, raises_no_trapped_exception) {
  constexpr int trapped = FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO;
  for (const auto& c : real_cases) {
    SCOPED_TRACE(c.text);
    std::feclearexcept(FE_ALL_EXCEPT);
    (void)convert_real(c.text);
    EXPECT_EQ(std::fetestexcept(trapped), 0);
  }
}

TEST(convert_real, keeps_the_sign_of_zero) {
  struct zero_case {
    std::string_view text;
    bool negative;
  };

  constexpr zero_case cases[] = {{"0", false}, {"-0", true}, {"-0.000e5", true}, {"-1e-400", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const console::real_result r = convert_real(c.text);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.value, 0.0);
    EXPECT_EQ(std::signbit(r.value), c.negative);
  }
}

// The exponent limit applies to the final exponent: zeros around the point
// of a long piped value shift it by more than the limit and still count.
std::string joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) text.append(part);
  return text;
}

TEST(convert_real, long_values_keep_their_place) {
  struct long_case {
    std::string text;
    double value;
  };

  const long_case cases[] = {
      {joined({"0.", std::string(6000, '0'), "1e6000"}), 0.1},
      {joined({"1", std::string(5300, '0'), "e-5300"}), 1.0},
      {joined({"1", std::string(300, '0')}), 1e300},
      {joined({"0.", std::string(299, '0'), "1"}), 1e-300},
      {joined({"1", std::string(400, '0'), ".", std::string(400, '0'), "e-400"}), 1.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.size());
    const console::real_result r = convert_real(c.text);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.value, c.value);
  }
  EXPECT_EQ(convert_real(joined({"1", std::string(400, '0')})).error, error_code::real_too_large);
  EXPECT_EQ(convert_count(joined({std::string(300, '0'), "42"})).value, 42);
}

}  // namespace
