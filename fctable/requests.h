#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fctable {

// One request of a requests file. cl is NaN where the line gives no level:
// the request then stands for one row at each level of --cl.
struct request {
  std::int32_t n = 0;
  double b = 0.0;
  double cl = 0.0;
};

// The longest line of a requests file, without its newline. A request takes
// under a hundred bytes; the rest leaves room for long comments, while a file
// that holds no requests (a binary, one endless line) is refused at once.
inline constexpr std::size_t longest_request_line = 4096;

// One line of a requests file: "n b" or "n b cl", separated by blanks or
// tabs, or by one comma with or without blanks ("10,3", "10, 3"). A blank
// line or one starting with # holds no request.
struct request_line {
  bool holds_request = false;
  request value;
  std::string error;  // what is wrong with the line, or ""
};

request_line parse_request_line(std::string_view line);

}  // namespace fctable
