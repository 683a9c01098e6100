#pragma once

#include <fcntl.h>

#include <string>
#include <string_view>

namespace test_support {

// What the built program left behind: its two output streams byte for byte,
// and how it ended (exit status, or the signal that ended it, else -1).
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
  bool nonblocking_input = false;     // O_NONBLOCK on the program's end of a pipe
  bool nonblocking_output = false;
  int input_delay_ms = 0;   // the input is written only after this long
  int output_delay_ms = 0;  // the output is read only after this long: the pipe fills
};

// Runs build/fclimits with input on a pipe as its standard input and pipes
// for its standard output and error, until it ends. The program is killed
// after timeout_seconds, so a hang fails the test instead of stalling it.
program_result run_through_pipes(std::string_view input, int timeout_seconds = 60);

// The same with the streams set up as told.
program_result run_program(std::string_view input, const stream_setup& setup,
                           int timeout_seconds = 60);

// The same with standard output opened on output_path (e.g. "/dev/full").
program_result run_with_output_file(std::string_view input, const char* output_path,
                                    int timeout_seconds = 60);

}  // namespace test_support
