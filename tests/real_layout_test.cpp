#include "console/real_layout.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <string_view>

namespace {

struct layout_case {
  double value;
  std::string_view text;
};

constexpr layout_case layout_cases[] = {
    {0.0, "0.000000000000000E+000"},
    {-0.0, "0.000000000000000E+000"},
    {1.0, "1.000000000000000"},
    {1.5, "1.500000000000000"},
    {-1.5, "-1.500000000000000"},
    {123.456, "123.456000000000000"},
    {0.5, "5.000000000000000E-001"},
    {0.1, "1.000000000000000E-001"},
    {1e-5, "1.000000000000000E-005"},
    {0.0027, "2.700000000000000E-003"},
    {-0.001, "-1.000000000000000E-003"},
    {9999999.0, "9999999.000000000000000"},
    {-9999999.0, "-9999999.000000000000000"},
    {0x1.312cfffffffffp+23, "9999999.999999998000000"},  // largest below 1e7
    {1e7, "1.000000000000000E+007"},
    {1234567.891, "1234567.891000000000000"},
    {99999.99999999999, "99999.999999999990000"},
    {2.0 / 3, "6.666666666666666E-001"},
    {1e20, "1.000000000000000E+020"},
    {std::numeric_limits<double>::denorm_min(), "4.940656458412465E-324"},
    {0x0.fffffffffffffp-1022, "2.225073858507201E-308"},  // largest subnormal
    {std::numeric_limits<double>::max(), "1.797693134862316E+308"},
    {2.4345703125, "2.434570312500000"},
    {1.2919921875, "1.291992187500000"},
    {0x1.fffffffffffffp+0, "2.000000000000000"},  // carry through 15 nines
    // 2834.666371552536|4750...: rounding to 17 first lifts the 4 to 5, directly it stays.
    {0x1.625552ea6f242p+11, "2834.666371552537000"},
    // 2.334309364280532|4833...E-14: the same double rounding in the exponent form.
    {0x1.a48304c19e0bcp-46, "2.334309364280533E-014"},
    // 857141.0972993725|445...: cut at 18 digits the 4 stays; rounding to 18 would give ...726.
    {0x1.a286a31d1392ep+19, "857141.097299372500000"},
    // 1.153736291319473|445...E+172: the same cut in the exponent form.
    {0x1.7e230cf652728p+571, "1.153736291319473E+172"},
    // 4214245874144124.5 exactly: a tie goes up, not to even.
    {0x1.df1ab28a626f9p+51, "4.214245874144125E+015"},
    // Just below 1e-292: 0.99999999999999994 at 17 digits, the nearest any double comes to a
    // carry past the first digit.
    {0x1.feef63f97d79bp-971, "9.999999999999999E-293"},
};

TEST(real_layout, lays_out_values) {
  for (const auto& c : layout_cases) {
    SCOPED_TRACE(c.text);
    const console::real_text text = console::layout_real(c.value);
    EXPECT_EQ(text.view(), c.text);
  }
}

struct word_case {
  std::uint64_t bits;
  std::string_view text;
};

constexpr word_case word_cases[] = {
    {0x7FF0'0000'0000'0000, "1#INF................."},
    {0xFFF0'0000'0000'0000, "1#INF................."},
    {0xFFF8'0000'0000'0000, "1#IND................."},
    {0x7FF8'0000'0000'0000, "1#QNAN................"},  // positive: not the default result
    {0xFFF8'0000'0000'0001, "1#QNAN................"},  // carries a payload
    {0x7FF0'0000'0000'0001, "1#SNAN................"},
    {0xFFF7'FFFF'FFFF'FFFF, "1#SNAN................"},
};

TEST(real_layout, non_finite_words) {
  for (const auto& c : word_cases) {
    SCOPED_TRACE(c.text);
    const console::real_text text = console::layout_real(std::bit_cast<double>(c.bits));
    EXPECT_EQ(text.view(), c.text);
  }
}

// What glibc's digits say the text must show, rounded with integer arithmetic only.
struct expected_digits {
  std::uint64_t shown;  // 16 significant digits
  int exponent;         // value = 0.shown × 10^exponent
  bool fixed_form;
  int exact_exponent;  // of the double itself, before any carry
};

expected_digits expected_for(double x) {
  // 41 correctly rounded digits: cutting them at 18 matches the exact cut unless digits 19 to
  // 41 are all nines.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.40e", std::fabs(x));
  std::uint64_t cut = 0;
  for (int i = 0, taken = 0; taken < 18; ++i) {
    if (buffer[i] == '.') continue;
    cut = cut * 10 + static_cast<std::uint64_t>(buffer[i] - '0');
    ++taken;
  }
  const int exact_exponent = std::atoi(buffer + 43) + 1;  // "d." + 40 digits + "e"
  int exponent = exact_exponent;
  std::uint64_t rounded = (cut + 5) / 10;
  if (rounded == 100'000'000'000'000'000) {
    rounded /= 10;
    ++exponent;
  }
  const bool fixed_form = 1 <= exponent && exponent <= 7;
  rounded = (rounded + 5) / 10;
  if (rounded == 10'000'000'000'000'000) {
    rounded /= 10;
    ++exponent;
  }
  return {rounded, exponent, fixed_form, exact_exponent};
}

// What is wrong with the text of x, or nothing.
std::string layout_fault(double x) {
  const console::real_text laid_out = console::layout_real(x);
  std::string_view text = laid_out.view();
  if (text.size() > console::real_field_width) return "longer than the field";
  if (!std::isfinite(x)) return text.size() == 22 && text.starts_with("1#") ? "" : "bad word";
  if (x == 0) return text == "0.000000000000000E+000" ? "" : "bad zero";
  if (text.starts_with('-') != std::signbit(x)) return "sign";
  if (std::signbit(x)) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  const std::size_t e = text.find('E');
  const bool fixed_form = e == std::string_view::npos;
  std::string digits(text.substr(0, point));
  digits += text.substr(point + 1, fixed_form ? std::string_view::npos : e - point - 1);
  if (digits.size() != point + 15 || (!fixed_form && point != 1)) return "digit count";
  if (digits.find_first_not_of("0123456789") != std::string::npos) return "not a digit";
  if (digits[0] == '0' || digits.find_first_not_of('0', 16) != std::string::npos) {
    return "not 16 significant digits";
  }
  const expected_digits expected = expected_for(x);
  const int exponent =
      fixed_form ? static_cast<int>(point) : std::stoi(std::string(text.substr(e + 1))) + 1;
  if (fixed_form != expected.fixed_form) return "wrong form";
  if (std::stoull(digits.substr(0, 16)) != expected.shown || exponent != expected.exponent) {
    return "digits differ from glibc";
  }
  // The roundings allow 0.5 of the 16th digit, 0.05 more at the 17th and under 0.01 from the
  // cut; strtold adds under 0.001.
  const long double back = std::strtold(std::string(laid_out.view()).c_str(), nullptr);
  const long double unit = std::pow(10.0L, expected.exact_exponent - 16);
  if (std::fabs(back - static_cast<long double>(x)) > 0.561L * unit) return "too far";
  return "";
}

TEST(real_layout, agrees_with_glibc_digits) {
  std::mt19937_64 random(20250611);
  int faults = 0;
  const auto check = [&faults](double x) {
    const std::string fault = layout_fault(x);
    if (!fault.empty() && ++faults <= 10) ADD_FAILURE() << std::hexfloat << x << ": " << fault;
  };
  for (int i = 0; i < 200'000; ++i) check(std::bit_cast<double>(random()));
  // Near powers of ten, where carries reach the first digit and the form changes.
  std::uniform_int_distribution<std::int64_t> step(-40, 40);
  for (int k = -323; k <= 308; ++k) {
    const double power = std::strtod(("1e" + std::to_string(k)).c_str(), nullptr);
    for (int i = 0; i < 100; ++i) {
      const auto bits =
          static_cast<std::int64_t>(std::bit_cast<std::uint64_t>(power)) + step(random);
      if (bits <= 0) continue;
      const double x = std::bit_cast<double>(static_cast<std::uint64_t>(bits));
      check(i % 2 == 0 ? x : -x);
    }
  }
  EXPECT_EQ(faults, 0);
}

}  // namespace
