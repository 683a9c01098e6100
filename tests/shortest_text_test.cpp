// The messages' numbers where std::to_chars(double) is missing: the same
// text as std::to_chars, which is the oracle here.
#include "fclimits/shortest_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace {

std::string to_chars_oracle(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

TEST(shortest_text, as_to_chars_writes) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const double edges[] = {0.1,         705.0,    2.5e9,     1e308,  1e5,
                          1500.0,      1e-7,     123456.0,  0.0,    -0.0,
                          -1.0,        infinity, -infinity, 5e-324, 0x1.fffffffffffffp+1023,
                          1e21,        1e22,     0.001,     1e-5,   1.7976931348623157e308,
                          2147480000.0};
  for (const double value : edges) {
    SCOPED_TRACE(to_chars_oracle(value));
    EXPECT_EQ(fclimits::internal::shortest_text(value), to_chars_oracle(value));
  }
  EXPECT_EQ(fclimits::internal::shortest_text(std::numeric_limits<double>::quiet_NaN()), "nan");
  // Any bits at all: a seeded sample of every exponent and sign.
  std::mt19937_64 bits(20);
  for (int i = 0; i < 20000; ++i) {
    const double value = std::bit_cast<double>(bits());
    if (value != value) continue;  // NaN: its sign is the only text
    SCOPED_TRACE(to_chars_oracle(value));
    ASSERT_EQ(fclimits::internal::shortest_text(value), to_chars_oracle(value));
  }
}

}  // namespace
