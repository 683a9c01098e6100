#include <gtest/gtest.h>

#include <cstdint>

#include "limits/lower_limit.h"
#include "limits/upper_limit.h"

namespace {

using limits::lower_limit;
using limits::raw_upper_limit;
using limits::upper_limit;

struct limit_case {
  std::int32_t Nm;
  double b;
  double cl;
  double expected;
};

// With b = 0 (and for Nm = 10, b = 3) every bracket end is a binary fraction,
// so these results are exact.
TEST(lower_limit, exact_bisection_results) {
  const limit_case cases[] = {
      {1, 0.0, 0.90, 0.10546875},    {2, 0.0, 0.90, 0.5302734375},
      {3, 0.0, 0.90, 1.10546875},    {10, 0.0, 0.90, 5.502685546875},
      {1, 0.0, 0.95, 0.05078125},    {10, 0.0, 0.95, 4.750732421875},
      {10, 3.0, 0.6827, 3.77734375}, {10, 3.0, 0.90, 2.62890625},
      {10, 3.0, 0.95, 2.25390625},   {5, 3.0, 0.90, 0.0},
      {0, 0.0, 0.90, 0.0},           {0, 7.5, 0.95, 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Nm << " " << c.b << " " << c.cl);
    EXPECT_EQ(lower_limit(c.Nm, c.b, c.cl), c.expected);
  }
}

TEST(upper_limit, exact_bisection_results) {
  const limit_case cases[] = {
      {0, 0.0, 0.6827, 1.2919921875},
      {0, 0.0, 0.90, 2.4345703125},
      {0, 0.0, 0.95, 3.08984375},
      {3, 0.0, 0.90, 7.4287109375},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Nm << " " << c.b << " " << c.cl);
    EXPECT_EQ(upper_limit(c.Nm, c.b, c.cl), c.expected);
  }
}

// Values given to two decimals: the searches stop at a width of 0.01.
TEST(upper_limit, background_correction) {
  struct correction_case {
    std::int32_t Nm;
    double b;
    double cl;
    double raw;
    double corrected;
  };

  const correction_case cases[] = {
      {0, 3.0, 0.6827, 0.12, 0.254},
      {0, 3.0, 0.90, 0.95, 1.079},
      {1, 3.0, 0.6827, 0.45, 0.51},
      {3, 10.0, 0.95, 1.88, 2.06},
      // trunc(b) = 2 is not above Nm: the raw value, although the raw search refined
      {2, 2.5, 0.90, 3.45, 3.45},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Nm << " " << c.b << " " << c.cl);
    const double raw = raw_upper_limit(c.Nm, c.b, c.cl);
    const double corrected = upper_limit(c.Nm, c.b, c.cl);
    EXPECT_NEAR(raw, c.raw, 0.01);
    EXPECT_NEAR(corrected, c.corrected, 0.006);
    EXPECT_GE(corrected, raw);
  }
  EXPECT_LT(raw_upper_limit(0, 3.0, 0.90), 0.96);
  EXPECT_EQ(upper_limit(2, 2.5, 0.90), raw_upper_limit(2, 2.5, 0.90));
}

// The 90 % table of Feldman and Cousins, Phys. Rev. D 57 (1998) 3873.
TEST(limits, published_ninety_percent_intervals) {
  struct published_cell {
    std::int32_t Nm;
    double b;
    double lower;
    double upper;
  };

  const published_cell cells[] = {
      {0, 0.0, 0.00, 2.44},   {0, 3.0, 0.00, 1.08}, {3, 0.0, 1.10, 7.42},
      {10, 3.0, 2.63, 13.50}, {6, 3.0, 0.15, 8.47}, {10, 0.5, 5.00, 16.00},
  };
  for (const auto& c : cells) {
    SCOPED_TRACE(testing::Message() << c.Nm << " " << c.b);
    EXPECT_NEAR(lower_limit(c.Nm, c.b, 0.90), c.lower, 0.011);
    EXPECT_NEAR(upper_limit(c.Nm, c.b, 0.90), c.upper, 0.011);
  }
}

TEST(upper_limit, same_result_whatever_came_before) {
  const double first = upper_limit(1, 3.0, 0.90);
  lower_limit(20, 15.0, 0.95);
  upper_limit(0, 300.0, 0.6827);
  EXPECT_EQ(upper_limit(1, 3.0, 0.90), first);
}

TEST(upper_limit, never_below_the_raw_limit) {
  for (std::int32_t Nm = 0; Nm <= 6; ++Nm) {
    for (double b = 0.0; b <= 12.0; b += 1.5) {
      SCOPED_TRACE(testing::Message() << Nm << " " << b);
      EXPECT_GE(upper_limit(Nm, b, 0.90), raw_upper_limit(Nm, b, 0.90));
    }
  }
}

}  // namespace
