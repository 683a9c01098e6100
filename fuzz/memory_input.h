#pragma once

#include <cerrno>
#include <cstddef>
#include <string_view>

#include "console/line_source.h"

namespace fuzz_support {

// Input bytes from memory, handed over as a terminal or a pipe would: at
// most `most_per_read` bytes a read, a terminal never past a line's LF, and,
// when interrupted, every third read failing with EINTR.
class memory_input final : public console::byte_source {
 public:
  memory_input(std::string_view bytes, bool is_terminal, std::size_t most_per_read,
               bool interrupted)
      : bytes_(bytes),
        is_terminal_(is_terminal),
        most_per_read_(most_per_read),
        interrupted_(interrupted) {}

  std::ptrdiff_t read(char* buffer, std::size_t capacity) noexcept override {
    if (interrupted_ && (reads_++ % 3) == 0) {
      errno = EINTR;
      return -1;
    }
    std::size_t count = capacity < most_per_read_ ? capacity : most_per_read_;
    if (count > bytes_.size()) count = bytes_.size();
    if (is_terminal_) {
      const std::size_t line_end = bytes_.substr(0, count).find('\n');
      if (line_end != std::string_view::npos) count = line_end + 1;
    }
    bytes_.copy(buffer, count);
    bytes_.remove_prefix(count);
    return static_cast<std::ptrdiff_t>(count);
  }

 private:
  std::string_view bytes_;
  bool is_terminal_;
  std::size_t most_per_read_;
  bool interrupted_;
  std::size_t reads_ = 0;
};

}  // namespace fuzz_support
