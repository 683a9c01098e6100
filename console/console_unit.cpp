#include "console/console_unit.h"

#include <unistd.h>

#include <array>
#include <cassert>
#include <string_view>

#include "console/error_stop.h"
#include "console/real_layout.h"
#include "console/write_bytes.h"

namespace console {
namespace {

constexpr std::size_t record_capacity = 132;
constexpr int line_room_per_record = 79;

struct output_unit {
  int handle = STDOUT_FILENO;
  std::array<char, record_capacity> record{};
  std::size_t length = 0;
  bool record_written = false;  // a record's line is still unterminated
  bool line_open = false;       // the last record ended under "$": continue its line

  // The list-directed statement being placed.
  int pending_blanks = 1;  // the first is the record's carriage control
  int line_room = line_room_per_record;
  bool first_value = true;  // no Real since the record or the last character item
};

output_unit unit;
bool shared_with_input = false;

// The bytes written in front of a record, chosen by its first character.
std::string_view line_advance(char control, bool record_written) {
  switch (control) {
    case '0':
      return record_written ? "\r\n\r\n" : "\r\n";
    case '+':
      return "\r";
    case '1':
      return "\r\n\f\r \r";
    default:
      return record_written ? "\r\n" : "";
  }
}

void write_advance(std::string_view advance) {
  // A failed line advance is ignored: the record text that follows matters.
  if (!advance.empty()) write_bytes(unit.handle, advance.data(), advance.size());
}

// Record text that cannot be written ends the run: an answer is never lost
// in silence.
void write_text(const char* data, std::size_t size) {
  if (size == 0) return;
  switch (write_bytes(unit.handle, data, size)) {
    case write_outcome::device_full:
      error_stop(error_code::write_device_full, statement_kind::write);
    case write_outcome::refused:
      error_stop(error_code::write_access_denied, statement_kind::write);
    case write_outcome::done:
      return;
  }
}

void append(char c) {
  assert(unit.length < record_capacity);
  if (unit.length < record_capacity) unit.record[unit.length++] = c;
}

void append_blanks(int count) {
  for (int i = 0; i < count; ++i) append(' ');
}

void append_text(std::string_view text) {
  for (const char c : text) append(c);
}

// Ends the current record and writes it with its line advance.
void end_record() {
  if (unit.length == 0) append(' ');
  if (unit.line_open) {
    write_text(unit.record.data(), unit.length);
  } else {
    write_advance(line_advance(unit.record[0], unit.record_written));
    write_text(unit.record.data() + 1, unit.length - 1);
  }
  unit.record_written = true;
  unit.line_open = false;
  unit.length = 0;
}

void start_continuation_record() {
  unit.pending_blanks = 1;
  unit.line_room = line_room_per_record;
}

// Places a character item, splitting it across records where it does not fit.
void place_characters(std::string_view text) {
  while (true) {
    const auto width = static_cast<int>(text.size());
    if (unit.line_room > width) {
      append_blanks(unit.pending_blanks);
      append_text(text);
      unit.pending_blanks = 0;
      unit.line_room -= width;
      return;
    }
    const auto fits = static_cast<std::size_t>(unit.line_room);
    append_blanks(unit.pending_blanks);
    append_text(text.substr(0, fits));
    end_record();
    start_continuation_record();
    text.remove_prefix(fits);
    if (text.empty()) return;
  }
}

}  // namespace

void open_console(bool input_is_terminal, bool output_is_terminal) {
  unit = output_unit{};
  shared_with_input = input_is_terminal && output_is_terminal;
}

void begin_list_record() {
  unit.length = 0;
  unit.pending_blanks = 1;
  unit.line_room = line_room_per_record;
  unit.first_value = true;
}

void put_text(std::string_view text) {
  // A character item is never preceded by a separator; only the blank owed
  // at the record's start survives.
  if (unit.pending_blanks != 1) unit.pending_blanks = 0;
  place_characters(text);
  unit.first_value = true;
}

void put_real(double value) {
  const real_text text = layout_real(value);
  // A 24-character field, right-aligned; a Real after a Real gets one blank
  // of separation in front of its field.
  const int width = unit.first_value ? 24 : 25;
  unit.first_value = false;
  unit.pending_blanks += width - static_cast<int>(text.length);
  if (!(unit.line_room > width)) {
    // Moved whole: its first pending blank becomes the new record's control.
    end_record();
    unit.line_room = line_room_per_record;
  }
  append_blanks(unit.pending_blanks);
  append_text(text.view());
  unit.pending_blanks = 0;
  unit.line_room -= width;
}

void end_list_record() { end_record(); }

void write_prompt() {
  // "(/,' Nm, b : ',$)": the slash ends the (empty) current record, the
  // literal is the next record, and the dollar leaves its line open.
  unit.length = 0;
  end_record();
  append_text(" Nm, b : ");
  end_record();
  unit.line_open = true;
}

void before_console_read() {
  if (!shared_with_input || !unit.record_written) return;
  if (!unit.line_open) write_advance("\r\n");
  unit.line_open = false;
}

void after_console_record_read() {
  if (shared_with_input) unit.record_written = false;
}

void end_of_run() {
  if (unit.record_written) write_bytes(unit.handle, "\r\n", 2);
}

}  // namespace console
