#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "fclimits/fclimits.h"
#include "fctable/table_writer.h"
#include "fctable/value_list.h"

namespace fctable {

enum class table_command { limits, belt, coverage, sensitivity };

enum class table_layout {
  rows,   // one row per request
  paper,  // rows n, columns b, cells "lower, upper": one level of limits
};

// Part `index` (1 .. count) of `count` consecutive parts of the rows.
struct shard {
  std::uint64_t index = 1;
  std::uint64_t count = 1;
};

// What to compute and how to write it, every value checked.
struct table_settings {
  table_command command = table_command::limits;
  value_list n;
  value_list b;
  value_list cl;
  value_list mu;
  std::string requests;  // "n b [cl]" lines from this file ("-": standard input) instead of n, b
  fclimits::options how;
  table_format format = table_format::csv;
  table_layout layout = table_layout::rows;
  std::optional<int> digits;  // computed values rounded to this many decimals
  unsigned threads = 0;       // 0: all hardware threads
  shard part;
  bool header = true;
  bool quiet = false;  // no progress line, no summary
  std::string output;  // empty: standard output
};

// A bad option or value: the message names the option, the value and what
// was expected. `command` is the command whose help to point to ("" for
// the program's own).
struct usage_error : std::runtime_error {
  usage_error(const std::string& message, std::string command_name)
      : std::runtime_error(message), command(std::move(command_name)) {}

  std::string command;
};

}  // namespace fctable
