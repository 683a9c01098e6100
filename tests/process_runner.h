#pragma once

#include <fcntl.h>

#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// What a program left behind: its two output streams byte for byte, and how
// it ended (exit status, or the signal that ended it, else -1).
struct program_result {
  std::string out;
  std::string err;
  int exit_status = -1;
  int signal = -1;
};

// How the program's standard streams differ from plain blocking pipes.
struct stream_setup {
  const char* output_path = nullptr;  // standard output opened on this file instead
  int output_flags = O_WRONLY;        // ... opened with these flags
  bool output_closed = false;         // no standard output at all (>&-)
  const char* input_path = nullptr;   // standard input opened on this file instead
  int input_flags = O_RDONLY;         // ... opened with these flags
  bool input_closed = false;          // no standard input (<&-)
  bool error_closed = false;          // no standard error (2>&-)
  bool nonblocking_input = false;     // O_NONBLOCK on the program's end of a pipe
  bool nonblocking_output = false;
  bool error_on_terminal = false;  // standard error on a pseudo-terminal, not a pipe
  int input_delay_ms = 0;          // the input is written only after this long
  int output_delay_ms = 0;         // the output is read only after this long: the pipe fills
  long file_size_limit = -1;       // RLIMIT_FSIZE in bytes, or -1 for none
  const char* folder = nullptr;    // the program's working directory
  int signal = 0;                  // sent to the program ...
  int signal_after_ms = 0;         // ... this long after it started
};

// Runs the program at path with these arguments, the input on a pipe as its
// standard input, until it ends. It is killed after timeout_seconds, so a
// hang fails the test instead of stalling it.
program_result run_process(const char* path, const std::vector<std::string>& arguments,
                           std::string_view input, const stream_setup& setup, int timeout_seconds);

}  // namespace test_support
