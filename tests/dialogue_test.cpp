// The built program, run as a user runs it: requests on standard input, the
// dialogue on standard output, the report on standard error.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/program_runner.h"

namespace {

using test_support::run_through_pipes;

std::string report(std::string_view code, std::string_view kind, std::string_view message) {
  return "\r\nrun-time error " + std::string(code) + ": " + std::string(kind) + "\r\n- " +
         std::string(message) + "\r\n";
}

using test_support::end_of_input_report;

TEST(dialogue, answers_each_request_until_end_of_input) {
  const auto result = run_through_pipes("0 3\n0 0\n");
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, end_of_input_report);
  std::size_t answers = 0;
  for (std::size_t at = result.out.find("effect's limits are equal:"); at != std::string::npos;
       at = result.out.find("effect's limits are equal:", at + 1)) {
    ++answers;
  }
  EXPECT_EQ(answers, 2u);
  EXPECT_NE(result.out.find("with 95.00% "), std::string::npos);
}

// Negative input would drive the searches outside their domain: it is
// refused right after the read, as an invalid value of its kind.
TEST(dialogue, refuses_negative_count_or_background) {
  struct refusal_case {
    std::string_view input;
    std::string expected_err;
  };

  const refusal_case cases[] = {
      {"-1 3\n", report("F6101", "READ(CON)", "invalid INTEGER")},
      {"3 -1\n", report("F6103", "READ(CON)", "invalid REAL")},
      {"-2147483648 0\n", report("F6101", "READ(CON)", "invalid INTEGER")},
      {"3 -1e-300\n", report("F6103", "READ(CON)", "invalid REAL")},
      // -0 is 0, and -0.0 counts as 0.0
      {"-0 -0.0\n", end_of_input_report},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const auto result = run_through_pipes(c.input);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.err, c.expected_err);
    const bool answered = result.out.find("effect's limits") != std::string::npos;
    EXPECT_EQ(answered, c.expected_err == end_of_input_report);
  }
}

// Large counts, and a background where the raw upper limit runs along
// plateaus at b + 1 and beyond: both answer.
TEST(dialogue, large_count_and_large_background_get_an_answer) {
  for (const std::string_view request : {"1000000 0\n", "300 690\n"}) {
    SCOPED_TRACE(request);
    const auto result = run_through_pipes(request, 300);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.err, end_of_input_report);
    EXPECT_NE(result.out.find("effect's limits are equal:"), std::string::npos);
  }
}

}  // namespace
