#pragma once

#include <cstdint>
#include <string_view>

#include "console/error_code.h"

namespace console {

enum class statement_kind { read, write };

// Ends the program after an input or output failure on the console: writes
// the two-line report ("run-time error F6501: READ(CON)", "- " and the
// message, each line after CR LF) to standard error, runs the end-of-run
// step and exits with status 1, even where standard output or error is a
// pipe whose reader has gone. A failed write of the report is ignored.
// No allocation, no stdio; never returns.
[[noreturn]] void error_stop(error_code code, statement_kind kind);

// The same for a floating-point or elementary-function error: "M", the
// number and ": MATH", then the message. Async-signal-safe: only write(2)
// and _exit(2).
[[noreturn]] void math_error_stop(std::uint16_t number, std::string_view message);

// An error of an elementary function: "M6201" and so on, with the message
// made of the function's name, ": ", the kind word and " error"
// ("exp: OVERFLOW error"); the number and the word are the error's own.
[[noreturn]] void function_error_stop(std::string_view function, std::uint16_t number,
                                      std::string_view kind);

}  // namespace console
