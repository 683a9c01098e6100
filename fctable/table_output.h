#pragma once

#include <string>

#include "fctable/errors.h"

namespace fctable {

// Where the table goes: standard output, or a file that appears whole or
// not at all. For a file the table is written to a temporary file beside
// it, which commit() renames onto it. A run that fails, or ends on SIGINT,
// SIGTERM or SIGHUP, removes the temporary file and leaves the file as it
// was. A symbolic link is followed to the file it leads to (or would lead
// to), which is replaced in this way, so the link stays a link. A device
// or a FIFO is written directly, never replaced; a FIFO is opened once it
// has a reader. Text is gathered in buffer() and written by flush(), retrying
// interrupted and partial writes and waiting on a non-blocking descriptor.
// Throws write_error.
class table_output {
 public:
  // path empty: standard output; write_error if it was closed when the run
  // began.
  explicit table_output(const std::string& path);
  ~table_output();
  table_output(const table_output&) = delete;
  table_output& operator=(const table_output&) = delete;

  std::string& buffer() { return buffer_; }

  void flush();
  // Flushes; for a file also syncs it and renames it onto its path.
  void commit();

  bool is_terminal() const { return terminal_; }

 private:
  [[noreturn]] void fail(const char* what, int error) const;

  int fd_ = 1;
  std::string name_ = "standard output";
  std::string path_;
  std::string temporary_;
  bool direct_ = false;  // fd_ is a device or a FIFO of its own, no temporary file
  bool terminal_ = false;
  std::string buffer_;
};

}  // namespace fctable
