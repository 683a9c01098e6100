#include "console/input_statement.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "console/error_code.h"
#include "console/line_source.h"

namespace {

using console::error_code;

// One read call: its bytes, or a failure with this errno.
struct read_step {
  std::string bytes;
  int error = 0;
};

// Each read takes at most the rest of the current step, so a step is one
// terminal line or one arrival on a pipe.
class scripted_input final : public console::byte_source {
 public:
  explicit scripted_input(std::vector<read_step> steps) : steps_(std::move(steps)) {}

  std::ptrdiff_t read(char* buffer, std::size_t capacity) noexcept override {
    if (next_ == steps_.size()) return 0;
    const read_step& step = steps_[next_];
    if (step.error != 0) {
      ++next_;
      errno = step.error;
      return -1;
    }
    const std::size_t count = std::min(capacity, step.bytes.size() - offset_);
    step.bytes.copy(buffer, count, offset_);
    offset_ += count;
    if (offset_ == step.bytes.size()) {
      ++next_;
      offset_ = 0;
    }
    return static_cast<std::ptrdiff_t>(count);
  }

 private:
  std::vector<read_step> steps_;
  std::size_t next_ = 0;
  std::size_t offset_ = 0;
};

struct answer {
  std::int32_t Nm;
  double b;
  bool operator==(const answer&) const = default;
};

void PrintTo(const answer& a, std::ostream* out) { *out << "{" << a.Nm << ", " << a.b << "}"; }

struct run_outcome {
  std::vector<answer> answers;  // one per statement that completed
  std::optional<error_code> error;
};

// Runs the dialogue's statement, Nm then b, until a failure; Nm and b start
// as 3 and 0.5 and carry over from statement to statement.
run_outcome run_statements(bool is_terminal, std::vector<read_step> steps) {
  scripted_input input(std::move(steps));
  console::line_source lines(input, is_terminal);
  console::input_statement statement(lines);
  std::int32_t Nm = 3;
  double b = 0.5;
  run_outcome outcome;
  for (int round = 0; round < 100; ++round) {
    statement.begin();
    std::optional<error_code> failure = statement.transfer(Nm);
    if (!failure) failure = statement.transfer(b);
    if (!failure) failure = statement.end();
    if (failure) {
      outcome.error = failure;
      return outcome;
    }
    outcome.answers.push_back({Nm, b});
  }
  ADD_FAILURE() << "statements did not stop";
  return outcome;
}

std::string padded(std::string_view text, std::size_t length, std::string_view ending) {
  std::string line(text);
  line.resize(length, ' ');
  line.append(ending);
  return line;
}

struct statement_case {
  std::string_view input;  // all of it arrives in one piece, as from a file
  std::vector<answer> answers;
  std::optional<error_code> error = error_code::end_of_file;
};

const statement_case piped_cases[] = {
    {"5 2.5\n", {{5, 2.5}}},
    {"5,2.5\n", {{5, 2.5}}},
    {"5 , 2.5\n", {{5, 2.5}}},
    {"  5\t2.5\n", {{5, 2.5}}},
    {"5 ,2.5\n", {{5, 2.5}}},
    {"5\r\n2.5\r\n", {{5, 2.5}}},
    {"5 2.5", {{5, 2.5}}},
    {"5\n2.5\n", {{5, 2.5}}},
    {"\n   \n5 2.5\n", {{5, 2.5}}},
    {"5 2.5 9\n7 1\n", {{5, 2.5}, {7, 1.0}}},
    {"1 1\n2 2\n3 3\n", {{1, 1.0}, {2, 2.0}, {3, 3.0}}},
    // A CR ends the line; the rest of it is dropped.
    {"5\r 9\n2.5\n", {{5, 2.5}}},
    {", 7\n", {{3, 7.0}}},
    {"5,,\n", {{5, 0.5}}},
    {"5 ,, 7\n4 1\n", {{5, 0.5}, {4, 1.0}}},
    {"5,\n7\n", {{5, 7.0}}},
    {"5\n,7\n", {{5, 7.0}}},
    {"5/\n4 1\n", {{5, 0.5}, {4, 1.0}}},
    {"/\n", {{3, 0.5}}},
    {"2*7\n", {{7, 7.0}}},
    {"2* 9\n4 1\n", {{3, 0.5}, {4, 1.0}}},
    {"2*5/\n", {{5, 5.0}}},
    {"1*5 2\n", {{5, 2.0}}},
    {"5 1*,7\n", {{5, 7.0}}},
    // "r*" at the end of its line: null values, and the next line is kept.
    {"5 2*\n7 8\n", {{5, 0.5}, {7, 8.0}}},
    {"2*\n7 8\n", {{3, 0.5}, {7, 8.0}}},
    {"0*5\n", {}, error_code::repeat_not_positive},
    {"-1*5\n", {}, error_code::repeat_not_positive},
    {"*5\n", {}, error_code::repeat_not_positive},
    {"2*3*4\n", {}, error_code::multiple_repeat},
    {"a*5\n", {}, error_code::invalid_integer},
    {"- 5\n", {{0, 5.0}}},
    {"5 -\n", {}, error_code::invalid_real},
    {"1.5 2\n", {}, error_code::invalid_integer},
    {"1e3 2\n", {}, error_code::invalid_integer},
    {"12a 2\n", {}, error_code::invalid_integer},
    {"3000000000 1\n", {}, error_code::integer_overflow},
    {"2147483647 1\n", {{2147483647, 1.0}}},
    {"-2147483648 1\n", {{-2147483647 - 1, 1.0}}},
    {"2147483648 1\n", {}, error_code::integer_overflow},
    {"16#1F 0\n", {{31, 0.0}}},
    {"#ff 0\n", {{255, 0.0}}},
    {"1#0 0\n", {}, error_code::illegal_radix},
    {"37#1 0\n", {}, error_code::illegal_radix},
    {"16#1#2 0\n", {}, error_code::multiple_radix},
    {"8#9 0\n", {}, error_code::invalid_integer},
    {"5 .5\n", {{5, 0.5}}},
    {"5 5.\n", {{5, 5.0}}},
    {"5 1.5D2\n", {{5, 150.0}}},
    {"5 1.5+2\n", {{5, 150.0}}},
    {"5 1-2\n", {{5, 0.01}}},
    {"5 .\n", {}, error_code::invalid_real},
    {"5 1.5E\n", {}, error_code::invalid_real},
    {"5 1.5Q2\n", {}, error_code::invalid_real},
    {"5 INF\n", {}, error_code::invalid_real},
    {"5 1e400\n", {}, error_code::real_too_large},
    {"5 1e-400\n", {{5, 0.0}}},
    {"'5' 1\n", {}, error_code::invalid_number},
    {"(1,2) 1\n", {}, error_code::invalid_number},
    {"\"5\" 1\n", {}, error_code::invalid_number},
    {"(1\n,2) 1\n", {}, error_code::invalid_number},
    {"'a\nb' 1\n", {}, error_code::invalid_number},
    {"'\n' 1\n", {}, error_code::invalid_number},
    {"()x 1\n", {}, error_code::invalid_number},
    // Empty quotes or parentheses are null values.
    {"() 2\n", {{3, 2.0}}},
    {"'',2\n", {{3, 2.0}}},
    {"( \n ) 2\n", {{3, 2.0}}},
    {"2*'' 9\n", {{3, 0.5}}},
    // Ctrl-Z before the line end is the end of input at that line.
    {"\x1A\n", {}},
    {"5\x1A\n", {}},
    {"5 2.5\x1A\r\n", {}},
    {"1 1\n2 2\n\x1A\n3 3\n", {{1, 1.0}, {2, 2.0}}},
    {"1 1\r\n\x1A\r\n3 3\r\n", {{1, 1.0}}},
    // Elsewhere it is a byte of a value; it ends a Count.
    {"5\x1A 2\n", {{5, 2.0}}},
    {"5 2\x1A 1\n", {}, error_code::invalid_real},
    {"5\n", {}},
    {"", {}},
};

TEST(input_statement, piped_lines) {
  for (const auto& c : piped_cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.input)));
    const run_outcome outcome = run_statements(false, {{std::string(c.input)}});
    EXPECT_EQ(outcome.answers, c.answers);
    EXPECT_EQ(outcome.error, c.error);
  }
}

struct scripted_case {
  std::string_view name;
  bool is_terminal;
  std::vector<read_step> steps;
  std::vector<answer> answers;
  std::optional<error_code> error = error_code::end_of_file;
};

TEST(input_statement, lines_across_reads) {
  const std::string longest_typed = padded("5 2.5", 131, "\n");
  const std::string too_long_typed = padded("5 2.5", 132, "");
  const std::string crlf_typed = padded("5 2.5", 130, "\r\n");
  const std::string filling_read = padded("5 2.5", 132, "");
  const std::string long_value = padded("5 ", 2, std::string(300, '0')) + "2.5\n";
  const std::string long_line = padded("5", 200, "2.5 9\n") + "7 1\n";
  const std::string marked_line = padded("5 2.5", 250, "\x1A\n");
  const std::string long_marked_line = padded("5 2.5", 300, "\x1A\n");
  const scripted_case cases[] = {
      {"typed 131 characters", true, {{longest_typed}}, {{5, 2.5}}},
      {"typed 130 characters and CR LF", true, {{crlf_typed}}, {{5, 2.5}}},
      {"typed 132 characters", true, {{too_long_typed}}, {}, error_code::terminal_buffer_overflow},
      {"typed values on two lines", true, {{"5\n"}, {"2.5\n"}}, {{5, 2.5}}},
      {"typed rest of line dropped", true, {{"5 2.5 9\n"}, {"7 1\n"}}, {{5, 2.5}, {7, 1.0}}},
      {"typed end mark", true, {{"5 2.5\n"}, {"\x1A\n"}}, {{5, 2.5}}},
      {"typed last line ended by end of input", true, {{"5 2.5"}}, {{5, 2.5}}},
      {"interrupted read retried", true, {{"", EINTR}, {"5 2.5\n"}}, {{5, 2.5}}},
      {"failed read", true, {{"", EIO}}, {}, error_code::read_failed},
      {"piped last line filling its read", false, {{filling_read}}, {{5, 2.5}}},
      // Bytes read before a failure are still used; the failure comes next.
      {"piped failure behind a line",
       false,
       {{filling_read}, {"", EIO}},
       {},
       error_code::read_failed},
      {"piped line over two reads", false, {{long_line}}, {{5, 2.5}, {7, 1.0}}},
      {"piped value over 260 characters", false, {{long_value}}, {{5, 2.5}}},
      {"piped lines in one read",
       false,
       {{"1 1\n2 2\n3"}},
       {{1, 1.0}, {2, 2.0}},
       error_code::end_of_file},
      // A line arriving in pieces on a pipe is read whole.
      {"piped line in pieces", false, {{"5 2"}, {".5\n"}}, {{5, 2.5}}},
      {"typed line cut short by the end-of-file key",
       true,
       {{"5 2"}, {".5\n"}},
       {{5, 2.0}},
       error_code::invalid_integer},
      {"piped end mark line of 252 bytes", false, {{"1 1\n" + marked_line}}, {{1, 1.0}}},
      // Over the look-ahead, the mark is found where the line's end comes
      // into view: the values before it were read already.
      {"piped end mark line of 302 bytes", false, {{long_marked_line}}, {{5, 2.5}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const run_outcome outcome = run_statements(c.is_terminal, c.steps);
    EXPECT_EQ(outcome.answers, c.answers);
    EXPECT_EQ(outcome.error, c.error);
  }
}

// A statement that failed part way leaves the rest of a typed line behind;
// the next statement on a terminal still starts on a new line.
TEST(input_statement, typed_statement_starts_on_a_new_line) {
  scripted_input input({{"12a 2\n"}, {"7 1\n"}});
  console::line_source lines(input, true);
  console::input_statement statement(lines);
  std::int32_t Nm = 3;
  double b = 0.5;
  statement.begin();
  EXPECT_EQ(statement.transfer(Nm), error_code::invalid_integer);
  statement.begin();
  EXPECT_EQ(statement.transfer(Nm), std::nullopt);
  EXPECT_EQ(statement.transfer(b), std::nullopt);
  EXPECT_EQ(statement.end(), std::nullopt);
  EXPECT_EQ(answer({Nm, b}), answer({7, 1.0}));
}

}  // namespace
