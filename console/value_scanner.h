#pragma once

#include <cstdint>
#include <optional>

#include "console/count_conversion.h"
#include "console/error_code.h"
#include "console/line_source.h"
#include "console/real_conversion.h"

namespace console {

enum class value_kind : std::uint8_t {
  null,      // nothing written: the item keeps its value
  plain,     // to be converted for the item
  enclosed,  // quoted or parenthesised: never a number
};

// The list-directed values of one input statement, one per scan(). Values
// are separated by blanks, tabs, one comma (with blanks around it) or a line
// end; two commas in a row enclose a null value; a slash ends the statement's
// values. "r*v" gives v to r items, "r*" alone r null values. A plain value
// never continues onto the next line; a quoted one runs to its closing quote
// across lines, a parenthesised one to its ")" skipping blanks and line
// ends. The text is fed to a count_reader and a real_reader as it is
// scanned, so a value of any length is read by the same rules and none is
// stored. Reads only from `lines`; no allocation.
class value_scanner {
 public:
  // A statement's start: no repeat pending, as if a comma came last.
  void reset() noexcept;

  // The next value, or the one being repeated (then nothing is read).
  // Errors: those of `lines`, multiple_repeat, repeat_not_positive and the
  // Count errors of a repeat count.
  std::optional<error_code> scan(line_source& lines) noexcept;

  // A slash ended the last value and no repeat is pending: every item left
  // in the statement is skipped.
  bool skips_remaining_items() const noexcept;

  // The last value scanned ended at a line end, whose line is finished.
  bool ended_at_line_end() const noexcept { return ended_at_line_end_; }

  value_kind kind() const noexcept;

  count_result count() const noexcept { return count_.result(); }

  real_result real() const noexcept { return real_.result(); }

 private:
  enum class terminator : std::uint8_t { comma, blank, slash };
  enum class form : std::uint8_t { plain, in_quotes, in_parentheses, closed };

  void start_value() noexcept;
  std::optional<error_code> take_repeat_count() noexcept;
  std::optional<error_code> end_value(terminator reason) noexcept;

  std::int32_t repeat_remaining_ = 0;
  terminator last_terminator_ = terminator::comma;
  bool ended_at_line_end_ = false;
  form form_ = form::plain;
  unsigned char quote_ = 0;
  bool has_text_ = false;
  count_reader count_;
  real_reader real_;
};

}  // namespace console
