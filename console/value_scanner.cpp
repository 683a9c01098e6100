#include "console/value_scanner.h"

#include <optional>

namespace console {
namespace {

bool is_line_end(unsigned char c) { return c == '\r' || c == '\n'; }

bool is_blank(unsigned char c) { return c == ' ' || c == '\t'; }

}  // namespace

void value_scanner::reset() noexcept {
  repeat_remaining_ = 0;
  last_terminator_ = terminator::comma;
  ended_at_line_end_ = false;
  start_value();
}

bool value_scanner::skips_remaining_items() const noexcept {
  return last_terminator_ == terminator::slash && repeat_remaining_ == 0;
}

value_kind value_scanner::kind() const noexcept {
  if (!has_text_) return value_kind::null;
  return form_ == form::plain ? value_kind::plain : value_kind::enclosed;
}

std::optional<error_code> value_scanner::scan(line_source& lines) noexcept {
  if (repeat_remaining_ > 0) {
    --repeat_remaining_;
    return std::nullopt;
  }
  start_value();
  ended_at_line_end_ = false;
  while (true) {
    const byte_result next = lines.next_byte();
    if (next.error) return next.error;
    const unsigned char c = next.byte;

    if (form_ == form::in_quotes) {
      if (c == quote_) {
        form_ = form::closed;
      } else {
        has_text_ = true;
        if (c == '\n') {
          if (const auto failure = lines.finish_line(c)) return failure;
        }
      }
      continue;
    }
    if (form_ == form::in_parentheses) {
      if (is_line_end(c)) {
        if (const auto failure = lines.finish_line(c)) return failure;
      } else if (c == ')') {
        form_ = form::closed;
      } else if (!is_blank(c)) {
        has_text_ = true;
      }
      continue;
    }

    // A closed quote or parenthesis has started the value even when empty:
    // the separator after it ends the value, and anything else joins it.
    const bool started = has_text_ || form_ != form::plain;
    const bool separators_to_skip = !started && repeat_remaining_ == 0;
    if (is_line_end(c)) {
      if (const auto failure = lines.finish_line(c)) return failure;
      if (separators_to_skip) continue;
      // Also when a pending "r*" ends here with no text: its line is
      // finished, and the statement must not drop the next one.
      ended_at_line_end_ = true;
      return end_value(terminator::blank);
    }
    if (is_blank(c)) {
      if (separators_to_skip) continue;
      return end_value(terminator::blank);
    }
    if (c == ',') {
      // One comma among blanks is the same separator as the blanks.
      if (separators_to_skip && last_terminator_ == terminator::blank) {
        last_terminator_ = terminator::comma;
        continue;
      }
      return end_value(terminator::comma);
    }
    if (c == '/') return end_value(terminator::slash);
    if (!started && c == '(') {
      form_ = form::in_parentheses;
      continue;
    }
    if (!started && (c == '\'' || c == '"')) {
      form_ = form::in_quotes;
      quote_ = c;
      continue;
    }
    if (c == '*' && form_ == form::plain) {
      if (const auto failure = take_repeat_count()) return failure;
      continue;
    }
    has_text_ = true;
    if (form_ == form::plain) {
      count_.add(c);
      real_.add(c);
    }
  }
}

void value_scanner::start_value() noexcept {
  form_ = form::plain;
  quote_ = 0;
  has_text_ = false;
  count_ = count_reader{};
  real_ = real_reader{};
}

std::optional<error_code> value_scanner::take_repeat_count() noexcept {
  if (repeat_remaining_ > 0) return error_code::multiple_repeat;
  const count_result repeat = count_.result();
  if (repeat.error) return repeat.error;
  if (repeat.value < 1) return error_code::repeat_not_positive;
  repeat_remaining_ = repeat.value - 1;
  start_value();
  return std::nullopt;
}

std::optional<error_code> value_scanner::end_value(terminator reason) noexcept {
  last_terminator_ = reason;
  return std::nullopt;
}

}  // namespace console
