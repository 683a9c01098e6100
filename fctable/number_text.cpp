#include "fctable/number_text.h"

#include <charconv>

namespace fctable {
namespace {

// Fixed notation of a double below 2^1024 with up to 100 decimals.
constexpr std::size_t longest_text = 420;

}  // namespace

void append_shortest(std::string& out, double value) {
  char text[32];
  out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void append_fixed(std::string& out, double value, int decimals) {
  char text[longest_text];
  out.append(
      text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr);
}

void append_whole(std::string& out, std::int64_t value) {
  char text[24];
  out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string shortest_text(double value) {
  std::string text;
  append_shortest(text, value);
  return text;
}

}  // namespace fctable
