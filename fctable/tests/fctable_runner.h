#pragma once

#include <string>
#include <vector>

namespace fctable_test {

// What the program left behind: its two output streams byte for byte, and
// how it ended (exit status, or the signal that ended it, else -1).
struct run_result {
  std::string out;
  std::string err;
  int exit_status = -1;
  int signal = -1;
};

struct run_setup {
  std::string input;                  // standard input, through a pipe
  bool error_on_terminal = false;     // standard error on a pseudo-terminal, not a pipe
  const char* output_path = nullptr;  // standard output opened on this file ("/dev/full")
  int signal = 0;                     // sent to the program ...
  int signal_after_ms = 0;            // ... this long after it started
};

// Runs build/fctable with these arguments until it ends; it is killed
// after two minutes, so a hang fails the test instead of stalling it.
run_result run_fctable(const std::vector<std::string>& arguments, const run_setup& setup = {});

}  // namespace fctable_test
