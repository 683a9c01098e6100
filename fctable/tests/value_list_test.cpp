#include "fctable/value_list.h"

#include <gtest/gtest.h>

#include <charconv>
#include <limits>
#include <string>
#include <vector>

#include "fctable/value_checks.h"

namespace fctable {
namespace {

// The double a decimal text reads as: what a range's values must equal.
double read(const std::string& text) {
  double value = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

TEST(value_list, ranges_step_exactly_in_decimal) {
  // 0:1:0.1 by binary steps would give 0.30000000000000004 and
  // 0.7000000000000001; in decimal each value is the double of its text.
  const char* const tenths[] = {"0",   "0.1", "0.2", "0.3", "0.4", "0.5",
                                "0.6", "0.7", "0.8", "0.9", "1"};
  const parsed_list parsed = parse_value_list("0:1:0.1");
  ASSERT_EQ(parsed.error, "");
  ASSERT_EQ(parsed.values.size(), std::size(tenths));
  for (std::size_t i = 0; i < std::size(tenths); ++i) {
    EXPECT_EQ(parsed.values[i], read(tenths[i])) << tenths[i];
  }

  const parsed_list halves = parse_value_list("0:15:0.5");
  ASSERT_EQ(halves.values.size(), 31u);
  for (std::uint64_t i = 0; i <= 30; ++i) {
    EXPECT_EQ(halves.values[i], 0.5 * static_cast<double>(i));
  }
}

constexpr double tiniest = std::numeric_limits<double>::denorm_min();

struct list_case {
  std::string text;
  std::vector<double> values;  // empty: refused
};

const list_case list_cases[] = {
    {"0:20", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
    {"3", {3}},
    {"0.9,0.95", {0.9, 0.95}},
    {"1,5:7,2", {1, 5, 6, 7, 2}},
    {"0:1:0.3", {0, 0.3, 0.6, 0.9}},  // the stop is not a whole number of steps away
    {"2.5:2.5:1", {2.5}},
    {"1e-3:3e-3:1e-3", {0.001, 0.002, 0.003}},
    {"-1:1", {-1, 0, 1}},  // a sign is read here, refused by the option's check
    {"+.5", {0.5}},
    {"1E2", {100}},
    {"", {}},
    {"1,,2", {}},
    {"1,", {}},
    {"a", {}},
    {"nan", {}},
    {"inf", {}},
    {"0x10", {}},
    {"1e", {}},
    {".", {}},
    {"1:2:3:4", {}},
    {"0:1:0", {}},
    {"0:1:-0.5", {}},
    {"5:1", {}},
    {"1e400", {}},
    {"0:1e400", {}},
    {"1234567890.123456789", {}},  // 19 significant digits
    {"0:1e18:1e-18", {}},          // the values need 37 digits
    {"0:1e13", {}},                // more values than any list may hold
    // Values between checked ends that round to zero.
    {"0:5e-324:1e-324", {0, 0, 0, tiniest, tiniest, tiniest}},
    {"-2e-324:2e-324:1e-324", {}},  // ends that round to zero are refused
    // The written exponent is capped, but only far past where the point has
    // moved it.
    {"0." + std::string(100000, '0') + "1e100300", {1e299}},
};

TEST(value_list, values_and_refusals) {
  for (const list_case& c : list_cases) {
    SCOPED_TRACE(c.text);
    const parsed_list parsed = parse_value_list(c.text);
    EXPECT_EQ(parsed.error.empty(), !c.values.empty()) << parsed.error;
    ASSERT_EQ(parsed.values.size(), c.values.size());
    for (std::size_t i = 0; i < c.values.size(); ++i) EXPECT_EQ(parsed.values[i], c.values[i]);
  }
}

TEST(value_list, keeps_ranges_not_values) {
  const parsed_list parsed = parse_value_list("0:999999999999,5");
  ASSERT_EQ(parsed.values.size(), 1000000000001u);
  EXPECT_EQ(parsed.values[999999999999], 999999999999.0);
  EXPECT_EQ(parsed.values[1000000000000], 5.0);
}

struct check_case {
  const char* text;
  value_kind kind;
  const char* problem;  // "" when the list is accepted
};

const check_case check_cases[] = {
    {"0:20", value_kind::count, ""},
    {"0:10:2.5", value_kind::count,
     "2.5 is not a count: it must be a whole number from 0 to 2147483647"},
    {"0.5:3", value_kind::count,
     "0.5 is not a count: it must be a whole number from 0 to 2147483647"},
    // A fractional step that the stop cuts before it is taken: the list is
    // its start alone.
    {"0:0.5:0.7", value_kind::count, ""},
    {"3:3:0.5,1.5", value_kind::count,
     "1.5 is not a count: it must be a whole number from 0 to 2147483647"},
    {"2147483647", value_kind::count, ""},
    {"2147483648", value_kind::count,
     "2147483648 is not a count: it must be a whole number from 0 to 2147483647"},
    {"0:705", value_kind::background, ""},
    {"0:800:100", value_kind::background,
     "800 is too large: the largest background computed is 705 (the Poisson terms overflow the "
     "double range above about 707)"},
    {"-0.5:1", value_kind::background, "-0.5 is not a background: it must be finite and >= 0"},
    {"0.6827,0.9,0.95", value_kind::level, ""},
    {"0.5:1:0.25", value_kind::level,
     "1 is not a confidence level: it must lie strictly between 0 and 1"},
    {"0", value_kind::level, "0 is not a confidence level: it must lie strictly between 0 and 1"},
    {"0,2e9", value_kind::mean, ""},
    {"0,1e300", value_kind::mean,
     "1e+300 is too large: the largest mean taken is 2e+09 (its counts stay within 32 bits)"},
    {"0:1e5:0.5", value_kind::coverage_mean, ""},
    {"3e9", value_kind::coverage_mean,
     "3e+09 is too large for coverage: the largest mean it is computed at is 1e+05 (its cost grows "
     "as mu^1.5)"},
    {"1e308", value_kind::tolerance, "1e+308 is too large: the coarsest search tolerance is 1e+10"},
};

TEST(value_checks, names_the_first_bad_value) {
  for (const check_case& c : check_cases) {
    SCOPED_TRACE(c.text);
    const parsed_list parsed = parse_value_list(c.text);
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(problem_with(parsed.values, c.kind), c.problem);
  }
}

}  // namespace
}  // namespace fctable
