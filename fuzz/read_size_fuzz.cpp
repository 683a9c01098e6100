// The same bytes from a pipe, handed over one byte a read, a few bytes a
// read, or a whole read at a time, must give the same values and end with
// the same error: where a read happens to end never cuts a line or a value.
// The first byte picks the few and whether reads are interrupted.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "console/error_code.h"
#include "console/input_statement.h"
#include "console/line_source.h"
#include "fuzz/memory_input.h"

namespace {

struct statement_values {
  std::int32_t Nm;
  std::uint64_t b_bits;  // compared bit for bit, so 0.0 and -0.0 differ

  bool operator==(const statement_values&) const = default;
};

struct outcome {
  std::vector<statement_values> values;
  std::optional<console::error_code> error;

  bool operator==(const outcome&) const = default;
};

// Runs input statements (Nm, then b) until one fails, as the dialogue does.
outcome read_all(std::string_view bytes, std::size_t most_per_read, bool interrupted) {
  fuzz_support::memory_input input(bytes, false, most_per_read, interrupted);
  console::line_source lines(input, false);
  console::input_statement statement(lines);
  outcome result;
  std::int32_t Nm = 3;
  double b = 0.5;
  for (std::size_t round = 0; round <= bytes.size() + 1 && !result.error; ++round) {
    statement.begin();
    result.error = statement.transfer(Nm);
    if (!result.error) result.error = statement.transfer(b);
    if (!result.error) result.error = statement.end();
    if (!result.error) result.values.push_back({Nm, std::bit_cast<std::uint64_t>(b)});
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t few = 2 + (data[0] & 7u);
  const bool interrupted = (data[0] & 8u) != 0;
  const outcome whole = read_all(text, console::read_size, false);
  if (!whole.error) std::abort();  // every run ends, at the latest at end of input
  if (read_all(text, 1, interrupted) != whole) std::abort();
  if (read_all(text, few, interrupted) != whole) std::abort();
  return 0;
}
