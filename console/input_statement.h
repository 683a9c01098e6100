#pragma once

#include <cstdint>
#include <optional>

#include "console/error_code.h"
#include "console/line_source.h"
#include "console/value_scanner.h"

namespace console {

// One list-directed input statement: begin(), one transfer() per item in
// order, end(). An item given a null value, or skipped after a slash, keeps
// what it held. A failure is returned, never reported: the caller decides
// (the console wrapper stops the program). After a failure the statement is
// not continued. No allocation; output only through the console unit's
// shared line state (before_console_read, after_console_record_read).
class input_statement {
 public:
  explicit constexpr input_statement(line_source& lines) noexcept : lines_(&lines) {}

  void begin() noexcept;

  // A Count item. Errors: those of the line source and the scanner,
  // invalid_number for a quoted or parenthesised value, and the Count errors.
  std::optional<error_code> transfer(std::int32_t& count) noexcept;

  // A Real item, the same with the Real errors.
  std::optional<error_code> transfer(double& real) noexcept;

  // Drops the rest of the last line scanned, unless the last value ended at
  // its line end. Lines beyond it are kept. Error: read_failed only.
  std::optional<error_code> end() noexcept;

 private:
  // Scans the item's value; true when there is one to convert.
  std::optional<error_code> next_value(bool& has_value) noexcept;

  line_source* lines_;
  value_scanner scanner_;
};

}  // namespace console
