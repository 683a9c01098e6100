#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fctable/ordered_rows.h"
#include "fctable/paper_blocks.h"
#include "fctable/progress_line.h"
#include "fctable/table_job.h"
#include "fctable/table_output.h"
#include "fctable/table_settings.h"
#include "fctable/table_writer.h"

namespace fctable {

// Writes the rows of a job as they come, in the format and layout of the
// settings, and sends them on to the output when 64 KiB have gathered, or
// when the rows done are all taken and a tenth of a second has passed since
// the last sending: fast rows go out in large writes, slow rows one by one.
// The rows are rows first .. first + count - 1 of a table of `total`; the
// part that holds the last row writes the footer.
//
// In the paper layout each table row holds the limits of one n at the
// backgrounds of its block, as "lower, upper" rounded to two decimals (or
// --digits): it takes the next job rows, which come in the order of
// paper_blocks. Each block is a table of its own, with the n column and
// its columns; a blank line stands between two blocks (in LaTeX a new
// paragraph, so the blocks stand one below the other). The part that holds
// the first row of a later block closes the block before and opens it.
class table_stream final : public row_sink {
 public:
  table_stream(const table_settings& settings, std::vector<column> columns, std::uint64_t first,
               std::uint64_t count, std::uint64_t total, table_output& output);

  // The header, unless the settings leave it out.
  void start();
  void take(const row_values& row) override;
  void caught_up() override;
  // The footer if this part ends the table, then everything to the output.
  void finish();

 private:
  using clock = std::chrono::steady_clock;

  void send();
  void append_value(std::string& text, double value, const column& of) const;
  void take_paper(const row_values& row);
  void write_row(table_writer& writer, bool last);

  std::vector<column> columns_;
  std::optional<int> digits_;
  bool header_;
  std::optional<paper_blocks> paper_;  // the paper layout's blocks
  std::uint64_t first_;
  std::uint64_t next_row_;  // the index in the whole table of the next job row
  std::uint64_t end_;       // one past the last job row of this part
  std::uint64_t total_;
  std::vector<std::unique_ptr<table_writer>> writers_;  // one a block
  table_output& output_;
  progress_line progress_;
  clock::time_point last_sent_ = clock::now();
  std::vector<std::string> texts_;  // the cells of the table row being built
  std::vector<cell> cells_;
};

}  // namespace fctable
