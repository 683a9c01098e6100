#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string_view>

#include "fctable/requests.h"

namespace fctable {
namespace {

using namespace std::string_view_literals;

struct line_case {
  std::string_view line;
  bool holds_request;
  request value;      // cl NaN: none given
  const char* error;  // "" when the line is good
};

constexpr double no_level = std::numeric_limits<double>::quiet_NaN();

const line_case line_cases[] = {
    {"0 3\n", true, {0, 3.0, no_level}, ""},
    {"10\t3 0.9\r\n", true, {10, 3.0, 0.9}, ""},
    {"  7   0.5  ", true, {7, 0.5, no_level}, ""},
    {"\n", false, {}, ""},
    {"   \t\n", false, {}, ""},
    {"# n b cl\n", false, {}, ""},
    {"  # indented\n", false, {}, ""},
    {"3\n", false, {}, "expected 'n b' or 'n b cl'"},
    {"1 2 0.9 4\n", false, {}, "expected 'n b' or 'n b cl'"},
    {"x 3\n", false, {}, "'x' is not a number; expected 'n b' or 'n b cl'"},
    {"1.5 3\n",
     false,
     {},
     "n = 1.5 is not a count: it must be a whole number from 0 to 2147483647"},
    {"1 706\n",
     false,
     {},
     "b = 706 is too large: the largest background computed is 705 (the Poisson terms overflow the "
     "double range above about 707)"},
    {"1 3 1\n",
     false,
     {},
     "cl = 1 is not a confidence level: it must lie strictly between 0 and 1"},
    // One comma may stand between values, as the console takes them.
    {"10,3\n", true, {10, 3.0, no_level}, ""},
    {"10, 3 ,0.9\n", true, {10, 3.0, 0.9}, ""},
    {"10,,3\n", false, {}, "expected 'n b' or 'n b cl'"},
    {",10 3\n", false, {}, "expected 'n b' or 'n b cl'"},
    {"10 3,\n", false, {}, "expected 'n b' or 'n b cl'"},
    // A line's text in a message: escaped, and cut after a few dozen bytes.
    {"2\0 3\n"sv, false, {}, "'2\\x00' is not a number; expected 'n b' or 'n b cl'"},
    {"\x01\x7f\\ 3\n", false, {}, "'\\x01\\x7f\\\\' is not a number; expected 'n b' or 'n b cl'"},
    {"1 3 0.9\xc2\xb5\n", false, {}, "'0.9\\xc2\\xb5' is not a number; expected 'n b' or 'n b cl'"},
    {"1 abcdefghijklmnopqrstuvwxyzabcdefghijklmn\n",
     false,
     {},
     "'abcdefghijklmnopqrstuvwxyzabcdef...' is not a number; expected 'n b' or 'n b cl'"},
};

TEST(request_line, requests_blanks_and_refusals) {
  for (const line_case& c : line_cases) {
    SCOPED_TRACE(c.line);
    const request_line parsed = parse_request_line(c.line);
    EXPECT_EQ(parsed.error, c.error);
    EXPECT_EQ(parsed.holds_request, c.holds_request);
    if (c.holds_request) {
      EXPECT_EQ(parsed.value.n, c.value.n);
      EXPECT_EQ(parsed.value.b, c.value.b);
      EXPECT_EQ(std::isnan(parsed.value.cl), std::isnan(c.value.cl));
      if (!std::isnan(c.value.cl)) {
        EXPECT_EQ(parsed.value.cl, c.value.cl);
      }
    }
  }
}

}  // namespace
}  // namespace fctable
