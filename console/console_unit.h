#pragma once

#include <string_view>

namespace console {

// Sets up the console output unit on standard output. When standard input
// and standard output are both terminals, output and input share one unit
// and its line state (the prompt line stays open while the user types);
// otherwise output has a unit of its own. Call once, before any record.
void open_console(bool input_is_terminal, bool output_is_terminal);

// One list-directed output record: begin_list_record, its items in order
// (put_text, put_real), end_list_record. Each record's first character is
// carriage control: a blank is written as CR LF in front of the record when
// a record was written before it. A line shows at most 79 characters; a
// longer character item continues on a new record, a Real that does not fit
// moves whole to a new record. Records go out at once, nothing is held back.
void begin_list_record();
void put_text(std::string_view text);
void put_real(double value);
void end_list_record();

// The prompt: ends the open line, writes an empty line and "Nm, b : ", and
// leaves the line open after it.
void write_prompt();

// Line state shared with console input, on a shared unit only: the start of
// an input statement writes the pending line break unless the line was left
// open by the prompt; a consumed input line (ended by the user's Enter)
// means the next record needs no line break of its own.
void before_console_read();
void after_console_record_read();

// The end-of-run step: CR LF on standard output if the last record's line is
// still unterminated. Async-signal-safe.
void end_of_run();

}  // namespace console
