#pragma once

#include <cstdint>

namespace console {

// Tells console input whether standard input is a terminal in line mode
// (one line per read, at most 131 characters and the line end) or delivers
// pieces of lines, ended only by LF: a file, a pipe, or a terminal without
// line editing (stty -icanon). Call once, before the first statement;
// without it input is read as a pipe.
void open_console_input(bool reads_whole_lines);

// Whether fd is a terminal whose reads deliver whole lines (line editing on).
bool reads_whole_lines(int fd);

// One list-directed input statement on standard input: begin, one transfer
// per item in order, end. An item given no value keeps what it held. Every
// failure (end of input, a value not of the item's kind) ends the program
// through the error stop and never returns here.
void begin_input_statement();
void read_item(std::int32_t& count);
void read_item(double& real);
void end_input_statement();

}  // namespace console
