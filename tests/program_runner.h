#pragma once

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

// Runs build/fclimits with input on a pipe as its standard input and pipes
// for its standard output and error, until it ends. The program is killed
// after timeout_seconds, so a hang fails the test instead of stalling it.
program_result run_through_pipes(std::string_view input, int timeout_seconds = 60);

// The same with standard output opened on output_path (e.g. "/dev/full").
program_result run_with_output_file(std::string_view input, const char* output_path,
                                    int timeout_seconds = 60);

}  // namespace test_support
