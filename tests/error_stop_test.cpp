// Each way the program stops itself, in a child process: the report on
// standard error and exit status 1.
#include "console/error_stop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "console/error_code.h"
#include "console/floating_point_traps.h"
#include "limits/checked_math.h"

namespace {

// The report as a death-test pattern: parentheses escaped.
std::string pattern(std::string_view first_line, std::string_view message) {
  std::string text = "\r\nrun-time error ";
  for (const char c : first_line) {
    if (c == '(' || c == ')') text += '\\';
    text += c;
  }
  return text + "\r\n- " + std::string(message) + "\r\n$";
}

TEST(error_stop, input_and_output_errors) {
  EXPECT_EXIT(console::error_stop(console::error_code::end_of_file, console::statement_kind::read),
              testing::ExitedWithCode(1), pattern("F6501: READ(CON)", "end of file encountered"));
  EXPECT_EXIT(
      console::error_stop(console::error_code::real_too_large, console::statement_kind::read),
      testing::ExitedWithCode(1),
      pattern("F6102: READ(CON)", "REAL indefinite \\( uninitialized or previous error \\)"));
  EXPECT_EXIT(
      console::error_stop(console::error_code::write_device_full, console::statement_kind::write),
      testing::ExitedWithCode(1), pattern("F6422: WRITE(CON)", "no space left on device"));
}

TEST(error_stop, every_code_has_its_message) {
  const console::error_code codes[] = {
      console::error_code::integer_overflow,
      console::error_code::invalid_integer,
      console::error_code::real_too_large,
      console::error_code::invalid_real,
      console::error_code::multiple_radix,
      console::error_code::illegal_radix,
      console::error_code::terminal_buffer_overflow,
      console::error_code::write_access_denied,
      console::error_code::write_device_full,
      console::error_code::read_failed,
      console::error_code::end_of_file,
      console::error_code::repeat_not_positive,
      console::error_code::multiple_repeat,
      console::error_code::invalid_number,
  };
  for (const auto code : codes) {
    SCOPED_TRACE(static_cast<int>(code));
    EXPECT_FALSE(console::message_of(code).empty());
  }
}

// A trap from plain arithmetic names its kind; the result never goes on as
// an infinity or a NaN. (Under the sanitizers these need handle_sigfpe=0.)
TEST(floating_point_traps, enabled_kinds_end_the_program) {
  volatile double zero = 0.0;
  volatile double huge = std::numeric_limits<double>::max();
  EXPECT_EXIT(
      {
        console::enable_floating_point_traps();
        zero = 1.0 / zero;
      },
      testing::ExitedWithCode(1), pattern("M6103: MATH", "floating-point error: divide by zero"));
  EXPECT_EXIT(
      {
        console::enable_floating_point_traps();
        huge = huge * 2.0;
      },
      testing::ExitedWithCode(1), pattern("M6104: MATH", "floating-point error: overflow"));
  EXPECT_EXIT(
      {
        console::enable_floating_point_traps();
        zero = zero / zero;
      },
      testing::ExitedWithCode(1), pattern("M6101: MATH", "floating-point error: invalid"));
}

TEST(floating_point_traps, underflow_and_inexact_go_on_silently) {
  EXPECT_EXIT(
      {
        console::enable_floating_point_traps();
        volatile double tiny = std::numeric_limits<double>::denorm_min();
        tiny = tiny / 3.0;
        volatile double third = 1.0 / 3.0;
        std::exit(tiny == 0.0 && third > 0.0 ? 7 : 8);
      },
      testing::ExitedWithCode(7), "");
}

void stop_on_function_error(std::string_view function, limits::math_error error) {
  console::function_error_stop(function, static_cast<std::uint16_t>(error),
                               limits::math_error_word(error));
}

TEST(elementary_functions, errors_are_the_functions_own) {
  struct function_case {
    double (*call)(double);
    double argument;
    const char* first_line;
    const char* message;
  };

  const function_case cases[] = {
      {limits::checked_exp, 710.0, "M6203: MATH", "exp: OVERFLOW error"},
      {limits::checked_sqrt, -1.0, "M6201: MATH", "sqrt: DOMAIN error"},
      {limits::checked_log, -1.0, "M6201: MATH", "log: DOMAIN error"},
      {limits::checked_log, 0.0, "M6202: MATH", "log: SING error"},
      {limits::checked_lgamma, -2.0, "M6202: MATH", "lgamma: SING error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EXIT(
        {
          console::enable_floating_point_traps();
          limits::set_math_error_handler(stop_on_function_error);
          volatile double result = c.call(c.argument);
          (void)result;
        },
        testing::ExitedWithCode(1), pattern(c.first_line, c.message));
  }
}

TEST(elementary_functions, underflow_is_no_error) {
  EXPECT_EXIT(
      {
        console::enable_floating_point_traps();
        limits::set_math_error_handler(stop_on_function_error);
        volatile double result = limits::checked_exp(-800.0);
        std::exit(result == 0.0 && limits::checked_exp(limits::largest_exp_argument) > 0.0 ? 7 : 8);
      },
      testing::ExitedWithCode(7), "");
}

}  // namespace
