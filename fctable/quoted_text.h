#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fctable {

// The most bytes of a user's text that one message quotes.
inline constexpr std::size_t most_quoted_bytes = 32;

// A user's text in single quotes, for a message: "'x'". A byte outside
// printable ASCII shows as \xNN ("'2\x00'") and a backslash as \\, so no
// NUL, control byte or binary file can cut or garble the message; a text
// over most_quoted_bytes is cut there and ends in "..." inside the quotes.
// The result is at most 4 most_quoted_bytes + 5 characters long.
std::string quoted(std::string_view text);

// An option's text as the user typed it where it is printable ASCII and at
// most most_quoted_bytes long ("0:20"), else quoted: no argument garbles a
// message.
std::string as_typed(std::string_view text);

}  // namespace fctable
