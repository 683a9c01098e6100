#include "console/number_input.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "console/console_unit.h"
#include "console/error_stop.h"

namespace console {
namespace {

// A plain reader: values separated by blanks, tabs, commas and line ends.
constexpr std::size_t read_size = 132;

std::array<char, read_size + 1> buffer{};
std::size_t position = 0;
std::size_t filled = 0;

bool next_byte(char& c) {
  if (position == filled) {
    ssize_t got = 0;
    do {
      got = ::read(STDIN_FILENO, buffer.data(), read_size);
    } while (got < 0 && errno == EINTR);
    if (got < 0) error_stop(error_code::read_failed, statement_kind::read);
    if (got == 0) error_stop(error_code::end_of_file, statement_kind::read);
    filled = static_cast<std::size_t>(got);
    position = 0;
  }
  c = buffer[position++];
  return true;
}

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

std::array<char, 261> token{};
bool last_ended_line = false;

std::string_view next_token() {
  char c = 0;
  do {
    next_byte(c);
    if (c == '\n') after_console_record_read();
  } while (is_separator(c));
  std::size_t length = 0;
  while (!is_separator(c)) {
    if (length < token.size() - 1) token[length++] = c;
    next_byte(c);
  }
  last_ended_line = c == '\n';
  if (last_ended_line) after_console_record_read();
  return {token.data(), length};
}

}  // namespace

void begin_input_statement() {
  before_console_read();
  last_ended_line = false;
}

void read_item(std::int32_t& count) {
  const std::string_view text = next_token();
  std::int32_t value = 0;
  const char* first = text.data();
  if (!text.empty() && text.front() == '+') ++first;
  const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    error_stop(error_code::integer_overflow, statement_kind::read);
  }
  if (error != std::errc{} || end != text.data() + text.size()) {
    error_stop(error_code::invalid_integer, statement_kind::read);
  }
  count = value;
}

void read_item(double& real) {
  const std::string_view text = next_token();
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || copy.empty() || !std::isfinite(value)) {
    error_stop(errno == ERANGE ? error_code::real_too_large : error_code::invalid_real,
               statement_kind::read);
  }
  real = value;
}

void end_input_statement() {
  if (last_ended_line) return;
  char c = 0;
  do {
    next_byte(c);
  } while (c != '\n');
  after_console_record_read();
}

}  // namespace console
