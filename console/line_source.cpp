#include "console/line_source.h"

#include <cassert>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <optional>

#include "console/console_unit.h"

namespace console {
namespace {

constexpr char line_feed = '\n';
constexpr char carriage_return = '\r';
constexpr char ctrl_z = 0x1A;
constexpr std::size_t no_line_end = line_buffer_capacity;

}  // namespace

void line_source::begin_statement() noexcept {
  if (is_terminal_) forget_terminal_line();
}

byte_result line_source::next_byte() noexcept {
  if (const auto failure = look_ahead()) return {0, failure};
  if (end_mark_) return {0, error_code::end_of_file};
  if (position_ == filled_) return {0, failed_read_ ? *failed_read_ : error_code::end_of_file};
  const auto byte = static_cast<unsigned char>(buffer_[position_++]);
  if (byte == line_feed) line_end_seen_ = false;
  return {byte, std::nullopt};
}

std::optional<error_code> line_source::finish_line(unsigned char ending) noexcept {
  if (is_terminal_) {
    forget_terminal_line();
  } else if (ending == carriage_return) {
    if (const auto failure = skip_through_line_end()) return failure;
  }
  after_console_record_read();
  return std::nullopt;
}

std::optional<error_code> line_source::discard_line() noexcept {
  if (is_terminal_) {
    forget_terminal_line();
  } else if (const auto failure = skip_through_line_end()) {
    if (*failure != error_code::end_of_file) return failure;
  }
  after_console_record_read();
  return std::nullopt;
}

// Reads until the current line's end is in the buffer: from a terminal only
// when the buffer is empty, from a file or pipe while a whole read still
// fits. The end mark is decided as soon as the line's end is in view.
std::optional<error_code> line_source::look_ahead() noexcept {
  while (!line_end_seen_) {
    const std::size_t line_end = find_line_end();
    if (line_end != no_line_end) {
      line_end_seen_ = true;
      end_mark_ = end_mark_ || is_end_mark(line_end);
      return std::nullopt;
    }
    if (failed_read_ || input_ended_) return std::nullopt;
    if (is_terminal_ && position_ != filled_) return std::nullopt;
    if (!make_room()) return std::nullopt;
    if (const auto failure = read_more()) return failure;
  }
  return std::nullopt;
}

std::optional<error_code> line_source::read_more() noexcept {
  // One byte stays free for a line end added after the read. A terminal
  // reads into an empty buffer, so it is always asked for a whole line.
  const std::size_t room = line_buffer_capacity - filled_ - 1;
  const std::size_t asked = room < read_size ? room : read_size;
  assert(asked >= 1 && (!is_terminal_ || asked == read_size));
  std::ptrdiff_t got = 0;
  do {
    got = source_->read(buffer_.data() + filled_, asked);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    // Bytes already read are still scanned; the failure comes after them.
    if (position_ != filled_) {
      failed_read_ = error_code::read_failed;
      return std::nullopt;
    }
    return error_code::read_failed;
  }
  if (got == 0) {
    input_ended_ = true;
    // The end of input ends an unfinished last line, even one that filled
    // its read exactly, so its values are read before end of file is met.
    if (line_open_) {
      buffer_[filled_++] = line_feed;
      line_open_ = false;
      return std::nullopt;
    }
    assert(position_ == filled_);
    return error_code::end_of_file;
  }
  assert(static_cast<std::size_t>(got) <= asked);
  const auto count = static_cast<std::size_t>(got) <= asked ? static_cast<std::size_t>(got) : asked;
  filled_ += count;
  // From a terminal a read is one line: one cut short by the end-of-file key
  // is ended here, one that fills the read has overflowed. A pipe or file
  // may deliver a line in pieces, wherever its writer paused; only the end
  // of input ends its last line, so no value is split.
  if (is_terminal_ && buffer_[filled_ - 1] != line_feed) {
    if (count == read_size) return error_code::terminal_buffer_overflow;
    buffer_[filled_++] = line_feed;
  }
  line_open_ = buffer_[filled_ - 1] != line_feed;
  return std::nullopt;
}

// Drops bytes through the current line's LF. Stops short, leaving the line
// unread, when the line turns out to be the end mark.
std::optional<error_code> line_source::skip_through_line_end() noexcept {
  while (true) {
    if (const auto failure = look_ahead()) return failure;
    if (end_mark_) return std::nullopt;
    const std::size_t line_end = find_line_end();
    if (line_end != no_line_end) {
      position_ = line_end + 1;
      line_end_seen_ = false;
      return std::nullopt;
    }
    if (position_ == filled_) return failed_read_ ? *failed_read_ : error_code::end_of_file;
    position_ = filled_;
  }
}

// Moves the unread bytes to the front, so that the buffer holds as much of
// the lines ahead as it can whatever size the reads came in; true when at
// least one more byte can be read, with room kept for an added line end.
bool line_source::make_room() noexcept {
  const std::size_t unread = filled_ - position_;
  if (position_ != 0) {
    std::memmove(buffer_.data(), buffer_.data() + position_, unread);
    position_ = 0;
    filled_ = unread;
  }
  return line_buffer_capacity - filled_ >= 2;
}

std::size_t line_source::find_line_end() const noexcept {
  for (std::size_t i = position_; i < filled_; ++i) {
    if (buffer_[i] == line_feed) return i;
  }
  return no_line_end;
}

bool line_source::is_end_mark(std::size_t line_end) const noexcept {
  assert(line_end >= position_ && line_end < filled_);
  if (line_end >= position_ + 1 && buffer_[line_end - 1] == ctrl_z) return true;
  return line_end >= position_ + 2 && buffer_[line_end - 1] == carriage_return &&
         buffer_[line_end - 2] == ctrl_z;
}

void line_source::forget_terminal_line() noexcept {
  position_ = 0;
  filled_ = 0;
  line_end_seen_ = false;
}

}  // namespace console
