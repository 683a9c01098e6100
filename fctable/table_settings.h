#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "fclimits/fclimits.h"
#include "fctable/table_writer.h"
#include "fctable/uncertainty_settings.h"
#include "fctable/value_list.h"

namespace fctable {

class table_job;
struct table_settings;

// Makes the job of a command from its settings: make_limits_job and the
// others of table_job.h.
using job_maker = std::unique_ptr<table_job> (*)(const table_settings& settings);

enum class table_layout {
  rows,   // one row per request
  paper,  // rows n, columns b, cells "lower, upper": one level of limits
};

// What the paper layout's rows and columns run over.
enum class paper_axes {
  count_by_background,   // limits: rows n, columns b
  measurement_by_level,  // gaussian: rows x, columns cl (one sigma)
};

// Part `index` (1 .. count) of `count` consecutive parts of the rows.
struct shard {
  std::uint64_t index = 1;
  std::uint64_t count = 1;
};

// What to compute and how to write it, every value checked.
struct table_settings {
  job_maker make_job = nullptr;  // set by the command's check
  value_list n;
  value_list b;
  value_list cl;
  value_list mu;
  value_list x;          // gaussian: measurements
  value_list sigma;      // gaussian: their standard deviations
  std::string requests;  // "n b [cl]" lines from this file ("-": standard input) instead of n, b
  fclimits::options how;
  uncertainty_settings uncertain;  // every command: combined with its lists
  truth_settings truth;            // coverage
  table_format format = table_format::csv;
  table_layout layout = table_layout::rows;
  paper_axes axes = paper_axes::count_by_background;
  std::uint64_t columns = 0;  // paper layout: b columns a block (0: all in one)
  std::optional<int> digits;  // computed values rounded to this many decimals
  unsigned threads = 0;       // 0: all hardware threads
  shard part;
  bool header = true;
  bool quiet = false;  // no progress line, no summary
  std::string output;  // empty: standard output
};

}  // namespace fctable
