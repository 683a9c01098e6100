#pragma once

#include <cstdint>

namespace console {

// One list-directed input statement on standard input: begin, one transfer
// per item in order, end. An item given no value keeps what it held. Every
// failure (end of input, a value not of the item's kind) ends the program
// through the error stop and never returns here.
void begin_input_statement();
void read_item(std::int32_t& count);
void read_item(double& real);
void end_input_statement();

}  // namespace console
