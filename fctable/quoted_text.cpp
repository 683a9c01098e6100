#include "fctable/quoted_text.h"

#include <algorithm>

namespace fctable {

std::string quoted(std::string_view text) {
  constexpr char hex_digits[] = "0123456789abcdef";
  std::string out = "'";
  for (const char c : text.substr(0, most_quoted_bytes)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\') {
      out += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7f) {
      out += c;
    } else {
      out += "\\x";
      out += hex_digits[byte >> 4];
      out += hex_digits[byte & 0xf];
    }
  }
  if (text.size() > most_quoted_bytes) out += "...";
  out += "'";
  return out;
}

std::string as_typed(std::string_view text) {
  const bool printable = std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7f;
  });
  return printable && text.size() <= most_quoted_bytes ? std::string(text) : quoted(text);
}

}  // namespace fctable
