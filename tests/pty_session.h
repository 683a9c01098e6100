#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "tests/program_runner.h"

namespace test_support {

// The built program on a pseudo-terminal that is both its standard input and
// its standard output, as on an interactive console; standard error goes to
// a pipe. Echo and output processing are off on the terminal, so what is read
// back is exactly the program's own bytes; lines are still delivered whole
// (canonical mode), and the interrupt and end-of-file keys work. Without
// line editing (stty -icanon) each read hands over what has been typed so far.
class pty_session {
 public:
  explicit pty_session(bool line_editing = true);
  ~pty_session();
  pty_session(const pty_session&) = delete;
  pty_session& operator=(const pty_session&) = delete;

  // Everything the program wrote since the last call, once `marker` has
  // appeared in it or timeout_ms has passed.
  std::string read_until(std::string_view marker, int timeout_ms = 20000);

  // Everything the program writes within `ms` milliseconds.
  std::string read_for(int ms);

  // Keys typed at the terminal: text, "\n" for Enter, "\x04" for the
  // end-of-file key at the start of a line, "\x03" for the interrupt key.
  void type(std::string_view keys);

  // Waits for the program to end; `out` holds what it wrote since the last read.
  program_result wait_for_end(int timeout_ms = 20000);

 private:
  void read_some(int timeout_ms);

  int terminal_ = -1;
  int error_pipe_ = -1;
  pid_t child_ = -1;
  std::string unread_;
  std::string err_;
};

}  // namespace test_support
