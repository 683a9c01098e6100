// Whole sessions of the built program, byte for byte, through pipes and
// through a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "tests/program_runner.h"
#include "tests/pty_session.h"

namespace {

using test_support::end_of_input_report;

const std::string banner =
    "  \r\n"
    "    Estimation of lower and upper limits on effect in accordance\r\n"
    "       with the Feldman-Cousins procedure (PRD 57(1998)3873)\r\n"
    "   using the ADMA program (Trelvanic-Osperwight, CPC 130(2000)190)\r\n"
    "  \r\n"
    "Nm - measured number of events\r\n"
    "b  - supposed background";

const std::string prompt = "\r\n\r\nNm, b : ";

const std::string answer_0_3 =
    "effect's limits are equal:\r\n"
    "with 68.27%   0.000000000000000E+000   2.541371622463682E-001\r\n"
    "with 90.00%   0.000000000000000E+000        1.079247753826684\r\n"
    "with 95.00%   0.000000000000000E+000        1.629112265099301";

const std::string answer_0_0 =
    "effect's limits are equal:\r\n"
    "with 68.27%   0.000000000000000E+000        1.291992187500000\r\n"
    "with 90.00%   0.000000000000000E+000        2.434570312500000\r\n"
    "with 95.00%   0.000000000000000E+000        3.089843750000000";

TEST(console_session, through_pipes) {
  const auto result = test_support::run_through_pipes("0 3\n");
  // With redirected input the prompt and the next record share a line; the
  // last line is ended when the program ends.
  EXPECT_EQ(result.out, banner + prompt + " " + answer_0_3 + prompt + "\r\n");
  EXPECT_EQ(result.err, end_of_input_report);
  EXPECT_EQ(result.exit_status, 1);
}

TEST(console_session, through_a_terminal) {
  test_support::pty_session session;
  EXPECT_EQ(session.read_until("Nm, b : "), banner + prompt);
  // The prompt's line stays open while the program waits.
  EXPECT_EQ(session.read_for(300), "");
  session.type("0 3\n");
  // The user's Enter ended the input line: no line advance before the answer.
  EXPECT_EQ(session.read_until("Nm, b : "), answer_0_3 + prompt);
  session.type("\x04");  // the end-of-file key at the start of a line
  const auto result = session.wait_for_end();
  EXPECT_EQ(result.out, "\r\n");
  EXPECT_EQ(result.err, end_of_input_report);
  EXPECT_EQ(result.exit_status, 1);
}

}  // namespace

namespace {

// Nobody left reading: the program ends like any other filter instead of
// computing on (each of these requests takes milliseconds).
TEST(console_session, ends_when_its_reader_has_gone) {
  const std::string command =
      "bash -c 'trap \"\" PIPE; yes \"0 3\" | head -n 100000 | timeout 60 " +
      std::string(FCLIMITS_PATH) + " 2>/dev/null | head -c 10 >/dev/null; exit ${PIPESTATUS[2]}'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGPIPE);
}

// An error report after the reader has gone: the status is that of the
// report, not of SIGPIPE from the end-of-run line end.
TEST(console_session, report_after_the_reader_has_gone_exits_with_1) {
  const std::string command = "bash -c '(sleep 1; echo abc) | timeout 60 " +
                              std::string(FCLIMITS_PATH) +
                              " 2>/dev/null | head -c 272 >/dev/null; exit ${PIPESTATUS[1]}'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(console_session, output_that_cannot_be_written_stops_with_a_report) {
  const std::string refused =
      "\r\nrun-time error F6421: WRITE(CON)\r\n- file read-only or locked against writing\r\n";

  struct output_case {
    const char* name;
    test_support::stream_setup setup;
    std::string report;
  };

  const output_case cases[] = {
      {"full device",
       {.output_path = "/dev/full"},
       "\r\nrun-time error F6422: WRITE(CON)\r\n- no space left on device\r\n"},
      {"closed", {.output_closed = true}, refused},
      {"read-only", {.output_path = "/dev/null", .output_flags = O_RDONLY}, refused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto result = test_support::run_program("0 3\n", c.setup);
    EXPECT_EQ(result.err, c.report);
    EXPECT_EQ(result.exit_status, 1);
  }
}

// A parent that left standard output non-blocking and reads it late: every
// answer arrives.
TEST(console_session, non_blocking_output_loses_no_answer) {
  std::string input;
  for (int i = 0; i < 3000; ++i) input += "0 0\n";
  test_support::stream_setup setup;
  setup.nonblocking_output = true;
  setup.output_delay_ms = 300;
  const auto result = test_support::run_program(input, setup);
  std::size_t answers = 0;
  for (std::size_t at = result.out.find(answer_0_0); at != std::string::npos;
       at = result.out.find(answer_0_0, at + 1)) {
    ++answers;
  }
  EXPECT_EQ(answers, 3000u);
  EXPECT_EQ(result.err, end_of_input_report);
}

}  // namespace
