#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "console/error_code.h"

namespace console {

// Bytes asked for by one read: a terminal delivers one line with its line
// end (at most 131 characters and LF), a file or pipe its next 132 bytes.
constexpr std::size_t read_size = 132;

// Two reads and an added line end: a line of up to 264 bytes from a file or
// pipe is seen whole, end mark included, before any of it is scanned,
// however the bytes were split into reads.
constexpr std::size_t line_buffer_capacity = 2 * read_size + 1;

// Where input bytes come from: standard input in the program, memory in
// tests and in the fuzz target.
class byte_source {
 public:
  // Reads at most `capacity` bytes into `buffer`: the number read, 0 at end
  // of input, or -1 with errno set (EINTR is retried by the caller).
  virtual std::ptrdiff_t read(char* buffer, std::size_t capacity) noexcept = 0;

 protected:
  ~byte_source() = default;
};

struct byte_result {
  unsigned char byte = 0;
  std::optional<error_code> error;  // empty: `byte` is the next byte
};

// The lines of standard input, byte by byte, with no line-end conversion.
// From a terminal each read is one line: one of fewer than 132 bytes that
// does not end in LF gets one added, and a 132-byte read without LF is
// terminal_buffer_overflow. From a file or pipe lines are delimited by LF
// alone and may span reads, and end of input ends an unfinished last line. A
// line whose last byte before its line end (LF or CR LF) is Ctrl-Z marks the
// end of input: from it on every byte asked for is end_of_file, and none of
// it is given out (of a piped line over 264 bytes, only what lies more than
// 264 bytes before its line end). A failed read is read_failed, reported
// when the bytes read before it are used up. Calls after_console_record_read
// for every line it finishes; no other output, no allocation.
class line_source {
 public:
  constexpr line_source(byte_source& source, bool is_terminal) noexcept
      : source_(&source), is_terminal_(is_terminal) {}

  // An input statement never scans what a terminal line held before it;
  // lines read ahead from a file or pipe are kept.
  void begin_statement() noexcept;

  // The next byte of the current line, starting the next line after an LF.
  byte_result next_byte() noexcept;

  // After a CR or LF was taken as a line end: drops the rest of the line
  // (through its LF), so the next byte comes from the next line.
  std::optional<error_code> finish_line(unsigned char ending) noexcept;

  // At the end of a statement: drops the rest of the current line. End of
  // input met while dropping is not an error; a failed read is.
  std::optional<error_code> discard_line() noexcept;

 private:
  std::optional<error_code> look_ahead() noexcept;
  std::optional<error_code> read_more() noexcept;
  std::optional<error_code> skip_through_line_end() noexcept;
  bool make_room() noexcept;
  std::size_t find_line_end() const noexcept;
  bool is_end_mark(std::size_t line_end) const noexcept;
  void forget_terminal_line() noexcept;

  byte_source* source_;
  bool is_terminal_;
  std::array<char, line_buffer_capacity> buffer_{};
  std::size_t position_ = 0;  // next byte to give out
  std::size_t filled_ = 0;
  bool line_end_seen_ = false;  // the current line's LF is in the buffer
  bool line_open_ = false;      // the last byte read in is not LF: the line goes on
  bool end_mark_ = false;
  bool input_ended_ = false;
  std::optional<error_code> failed_read_;  // behind bytes not yet given out
};

}  // namespace console
