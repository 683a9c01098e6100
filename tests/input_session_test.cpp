// Reading Nm and b in the built program, and every way input ends it,
// through pipes and through a terminal.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

#include "tests/program_runner.h"
#include "tests/pty_session.h"

namespace {

using test_support::run_through_pipes;

std::string report(std::string_view first_line, std::string_view message) {
  return "\r\nrun-time error " + std::string(first_line) + "\r\n- " + std::string(message) + "\r\n";
}

using test_support::end_of_input_report;

// The answer to the request number `which` (from 0): "effect's limits are
// equal:" and its three result lines.
std::string answer_lines(const std::string& out, std::size_t which) {
  constexpr std::string_view heading = "effect's limits are equal:";
  std::size_t at = out.find(heading);
  for (std::size_t i = 0; i < which && at != std::string::npos; ++i) at = out.find(heading, at + 1);
  if (at == std::string::npos) return "";
  return out.substr(at, out.find("\r\n\r\nNm, b : ", at) - at);
}

std::string answer_for(std::string_view request) {
  return answer_lines(run_through_pipes(std::string(request) + "\n").out, 0);
}

TEST(input_session, values_over_several_lines_and_typed_ahead_lines) {
  struct session_case {
    std::string_view input;
    std::string_view same_answers_as;  // one request per line
  };

  const session_case cases[] = {
      {"5\n2.5\n", "5 2.5"},             // no second prompt
      {"5 2.5 9\n3 1\n", "5 2.5\n3 1"},  // "9" discarded, the next line kept
      {"\n   \n5 2.5\n", "5 2.5"},       // empty lines skipped
      {"3 0.5\n,7\n", "3 0.5\n3 7"},     // a null count keeps the last one
      {"16#A 2\n", "10 2"},
      {"1*5 2.5D0\n", "5 2.5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const auto result = run_through_pipes(c.input);
    const auto expected = run_through_pipes(std::string(c.same_answers_as) + "\n");
    EXPECT_EQ(result.out, expected.out);
    EXPECT_EQ(result.err, end_of_input_report);
  }
}

TEST(input_session, unreadable_input_ends_with_its_report) {
  struct ending_case {
    std::string_view input;
    std::string expected_err;
  };

  const ending_case cases[] = {
      {"abc\n", report("F6101: READ(CON)", "invalid INTEGER")},
      {"5 abc\n", report("F6103: READ(CON)", "invalid REAL")},
      {"3000000000 1\n", report("F6100: READ(CON)", "INTEGER overflow on input")},
      {"5 1e400\n",
       report("F6102: READ(CON)", "REAL indefinite ( uninitialized or previous error )")},
      {"'5' 1\n", report("F6504: READ(CON)", "invalid number in input")},
      {"5\n", end_of_input_report},             // end of input inside the statement
      {"5 2\x1a\n6 1\n", end_of_input_report},  // a line ending in Ctrl-Z ends the input
      // The Poisson product of a huge background overflows.
      {"0 1000\n", report("M6104: MATH", "floating-point error: overflow")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const auto result = run_through_pipes(c.input);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.err, c.expected_err);
    EXPECT_EQ(result.out.find("effect's"), std::string::npos);
    // The output unit's line is still open after the prompt: one CR LF ends it.
    EXPECT_EQ(result.out.substr(result.out.size() - 12), "\r\nNm, b : \r\n");
  }
}

TEST(input_session, lines_before_a_ctrl_z_line_are_answered) {
  const auto result = run_through_pipes("0 3\n0 0\n\x1a\n7 7\n");
  EXPECT_EQ(answer_lines(result.out, 1), answer_for("0 0"));
  EXPECT_EQ(answer_lines(result.out, 2), "");
  EXPECT_EQ(result.err, end_of_input_report);
}

// A writer that pauses inside a line: the pipe delivers the line in pieces.
TEST(input_session, line_arriving_in_pieces_is_read_whole) {
  const std::string command =
      "(printf '5 2'; sleep 0.3; printf '.5\\n') | " + std::string(FCLIMITS_PATH) + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) out += static_cast<char>(c);
  ::pclose(pipe);
  EXPECT_EQ(answer_lines(out, 0), answer_for("5 2.5"));
}

TEST(input_session, last_line_without_line_end_is_read) {
  // 132 bytes exactly fill one read.
  std::string line = "4" + std::string(129, ' ') + "2";
  line += std::string(132 - line.size(), ' ');
  const auto result = run_through_pipes(line);
  EXPECT_EQ(answer_lines(result.out, 0), answer_for("4 2"));
  EXPECT_EQ(result.err, end_of_input_report);
}

TEST(input_session, terminal_line_of_131_characters_is_the_longest) {
  {
    test_support::pty_session session;
    session.read_until("Nm, b : ");
    session.type("4" + std::string(129, ' ') + "2\n");
    EXPECT_NE(session.read_until("Nm, b : ").find("effect's limits are equal:"), std::string::npos);
  }
  test_support::pty_session session;
  session.read_until("Nm, b : ");
  session.type("4" + std::string(130, ' ') + "2\n");
  const auto result = session.wait_for_end();
  EXPECT_EQ(result.err, report("F6407: READ(CON)", "terminal buffer overflow"));
  EXPECT_EQ(result.out, "\r\n");
  EXPECT_EQ(result.exit_status, 1);
}

TEST(input_session, terminal_values_over_two_lines_with_no_second_prompt) {
  test_support::pty_session session;
  session.read_until("Nm, b : ");
  session.type("5\n");
  EXPECT_EQ(session.read_for(300), "");
  session.type("2.5\n");
  EXPECT_EQ(session.read_until("Nm, b : "), answer_for("5 2.5") + "\r\n\r\nNm, b : ");
}

TEST(input_session, terminal_unreadable_line_writes_no_line_end) {
  test_support::pty_session session;
  session.read_until("Nm, b : ");
  session.type("abc\n");
  const auto result = session.wait_for_end();
  // The user's Enter ended the line: nothing more on standard output.
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, report("F6101: READ(CON)", "invalid INTEGER"));
  EXPECT_EQ(result.exit_status, 1);
}

// Without line editing a read returns what has been typed so far: a number
// typed in two pieces is still one number.
TEST(input_session, terminal_without_line_editing_reads_to_the_line_feed) {
  test_support::pty_session session(false);
  session.read_until("Nm, b : ");
  session.type("3");
  EXPECT_EQ(session.read_for(300), "");
  session.type("0 0.5\n");
  EXPECT_EQ(session.read_until("Nm, b : "), answer_for("30 0.5") + "\r\n\r\nNm, b : ");
}

// A parent that left standard input non-blocking: the program waits for
// the request instead of failing while nothing has arrived.
TEST(input_session, non_blocking_input_is_waited_for) {
  test_support::stream_setup setup;
  setup.nonblocking_input = true;
  setup.input_delay_ms = 300;
  const auto result = test_support::run_program("0 3\n", setup);
  EXPECT_EQ(answer_lines(result.out, 0), answer_for("0 3"));
  EXPECT_EQ(result.err, end_of_input_report);
}

TEST(input_session, interrupt_key_ends_without_a_report) {
  test_support::pty_session session;
  session.read_until("Nm, b : ");
  session.type("\x03");
  const auto result = session.wait_for_end();
  EXPECT_EQ(result.signal, SIGINT);
  EXPECT_EQ(result.err, "");
}

}  // namespace
