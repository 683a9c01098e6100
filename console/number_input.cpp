#include "console/number_input.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "console/error_code.h"
#include "console/error_stop.h"
#include "console/input_statement.h"
#include "console/line_source.h"

namespace console {
namespace {

class standard_input final : public byte_source {
 public:
  std::ptrdiff_t read(char* buffer, std::size_t capacity) noexcept override {
    return ::read(STDIN_FILENO, buffer, capacity);
  }
};

standard_input standard_input_bytes;
line_source console_lines{standard_input_bytes, false};
input_statement console_statement{console_lines};

void stop_on_failure(std::optional<error_code> failure) {
  if (failure) error_stop(*failure, statement_kind::read);
}

}  // namespace

void open_console_input(bool input_is_terminal) {
  console_lines = line_source{standard_input_bytes, input_is_terminal};
}

void begin_input_statement() { console_statement.begin(); }

void read_item(std::int32_t& count) { stop_on_failure(console_statement.transfer(count)); }

void read_item(double& real) { stop_on_failure(console_statement.transfer(real)); }

void end_input_statement() { stop_on_failure(console_statement.end()); }

}  // namespace console
