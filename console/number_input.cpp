#include "console/number_input.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "console/error_code.h"
#include "console/error_stop.h"
#include "console/input_statement.h"
#include "console/line_source.h"
#include "console/wait_for_descriptor.h"

namespace console {
namespace {

class standard_input final : public byte_source {
 public:
  // A standard input that a parent left non-blocking is waited on, as a
  // blocking one would be, instead of failing while no byte has arrived.
  std::ptrdiff_t read(char* buffer, std::size_t capacity) noexcept override {
    while (true) {
      const ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
      if (got >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return got;
      wait_for_descriptor(STDIN_FILENO, POLLIN);
    }
  }
};

standard_input standard_input_bytes;
line_source console_lines{standard_input_bytes, false};
input_statement console_statement{console_lines};

void stop_on_failure(std::optional<error_code> failure) {
  if (failure) error_stop(*failure, statement_kind::read);
}

}  // namespace

void open_console_input(bool reads_whole_lines) {
  console_lines = line_source{standard_input_bytes, reads_whole_lines};
}

bool reads_whole_lines(int fd) {
  termios settings{};
  return ::isatty(fd) == 1 && ::tcgetattr(fd, &settings) == 0 && (settings.c_lflag & ICANON) != 0;
}

void begin_input_statement() { console_statement.begin(); }

void read_item(std::int32_t& count) { stop_on_failure(console_statement.transfer(count)); }

void read_item(double& real) { stop_on_failure(console_statement.transfer(real)); }

void end_input_statement() { stop_on_failure(console_statement.end()); }

}  // namespace console
