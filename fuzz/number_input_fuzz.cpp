// Runs input statements (Nm, then b) over arbitrary bytes until one fails:
// every run must end, with values or one of the input errors, never a crash.
// The first byte picks terminal or pipe reads, how many bytes a read may
// deliver, and whether reads are interrupted.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "console/count_conversion.h"
#include "console/error_code.h"
#include "console/input_statement.h"
#include "console/line_source.h"
#include "console/real_conversion.h"
#include "fuzz/memory_input.h"

namespace {

using console::error_code;

bool is_input_error(error_code code) {
  switch (code) {
    case error_code::integer_overflow:
    case error_code::invalid_integer:
    case error_code::real_too_large:
    case error_code::invalid_real:
    case error_code::multiple_radix:
    case error_code::illegal_radix:
    case error_code::terminal_buffer_overflow:
    case error_code::end_of_file:
    case error_code::repeat_not_positive:
    case error_code::multiple_repeat:
    case error_code::invalid_number:
      return true;
    case error_code::read_failed:  // memory never fails
    case error_code::write_access_denied:
    case error_code::write_device_full:
      return false;
  }
  return false;
}

void require(bool condition) {
  if (!condition) std::abort();
}

void run_statements(std::string_view bytes, bool is_terminal, std::size_t most_per_read,
                    bool interrupted) {
  fuzz_support::memory_input input(bytes, is_terminal, most_per_read, interrupted);
  console::line_source lines(input, is_terminal);
  console::input_statement statement(lines);
  std::int32_t Nm = 3;
  double b = 0.5;
  // Every statement takes at least one byte, and end of input comes once
  // the bytes are used up.
  for (std::size_t round = 0; round <= bytes.size() + 1; ++round) {
    statement.begin();
    std::optional<error_code> failure = statement.transfer(Nm);
    if (!failure) failure = statement.transfer(b);
    if (!failure) failure = statement.end();
    if (failure) {
      require(is_input_error(*failure));
      return;
    }
    require(std::isfinite(b));
  }
  require(false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool is_terminal = (data[0] & 1u) != 0;
  const bool interrupted = (data[0] & 2u) != 0;
  const std::size_t most_per_read = (data[0] >> 2) == 0 ? console::read_size : (data[0] >> 2);
  run_statements(text, is_terminal, most_per_read, interrupted);

  const console::real_result real = console::convert_real(text);
  require(real.error || std::isfinite(real.value));
  (void)console::convert_count(text);
  return 0;
}
