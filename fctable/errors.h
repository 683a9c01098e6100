#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace fctable {

// A bad option or value: the message names the option, the value and what
// was expected. `command` is the command whose help to point to ("" for
// the program's own). Ends the run with status 2.
struct usage_error : std::runtime_error {
  usage_error(const std::string& message, std::string command_name)
      : std::runtime_error(message), command(std::move(command_name)) {}

  std::string command;
};

// Writing the table failed; the message names where and why. reader_gone:
// the pipe's reader has left (as `| head` does), which needs no message.
// Ends the run with status 1.
struct write_error : std::runtime_error {
  write_error(const std::string& message, bool gone)
      : std::runtime_error(message), reader_gone(gone) {}

  bool reader_gone;
};

}  // namespace fctable
