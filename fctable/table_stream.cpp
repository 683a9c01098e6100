#include "fctable/table_stream.h"

#include <algorithm>
#include <utility>

#include "fctable/number_text.h"

namespace fctable {
namespace {

constexpr std::size_t send_size = 64 * 1024;
constexpr auto send_interval = std::chrono::milliseconds(100);
constexpr int paper_decimals = 2;

std::optional<paper_blocks> paper_of(const table_settings& settings) {
  if (settings.layout != table_layout::paper) return std::nullopt;
  return blocks_of(settings);
}

// One writer a block of the paper layout; one for the rows layout.
std::vector<std::unique_ptr<table_writer>> writers_of(const table_settings& settings,
                                                      const std::vector<column>& columns,
                                                      const std::optional<paper_blocks>& paper) {
  std::vector<std::unique_ptr<table_writer>> writers;
  if (!paper) {
    column_names names;
    for (const column& c : columns) names.push_back(c.name);
    writers.push_back(make_writer(settings.format, std::move(names)));
    return writers;
  }
  const bool by_level = settings.axes == paper_axes::measurement_by_level;
  const value_list& across = by_level ? settings.cl : settings.b;
  for (std::uint64_t block = 0; block < paper->blocks(); ++block) {
    column_names names = {by_level ? "x" : "n"};
    const std::uint64_t first = paper->first_column(block);
    for (std::uint64_t k = first; k < first + paper->columns_in(block); ++k) {
      names.push_back((by_level ? "cl = " : "b = ") + shortest_text(across[k]));
    }
    writers.push_back(make_writer(settings.format, std::move(names), name_style::formulas));
  }
  return writers;
}

}  // namespace

table_stream::table_stream(const table_settings& settings, std::vector<column> columns,
                           std::uint64_t first, std::uint64_t count, std::uint64_t total,
                           table_output& output)
    : columns_(std::move(columns)),
      digits_(settings.digits),
      header_(settings.header),
      paper_(paper_of(settings)),
      first_(first),
      next_row_(first),
      end_(first + count),
      total_(total),
      writers_(writers_of(settings, columns_, paper_)),
      output_(output),
      progress_(count, !settings.quiet) {}

void table_stream::start() {
  if (!header_) return;
  // The block of this part's first row; the paper layout has at least one
  // row.
  const std::uint64_t block = paper_ ? paper_->place_of(std::min(first_, total_ - 1)).block : 0;
  writers_[block]->header(output_.buffer());
}

void table_stream::append_value(std::string& text, double value, const column& of) const {
  switch (of.kind) {
    case column_kind::count:
      append_whole(text, static_cast<std::int64_t>(value));
      break;
    case column_kind::input:
      append_shortest(text, value);
      break;
    case column_kind::result:
      if (digits_) {
        append_fixed(text, value, *digits_);
      } else {
        append_shortest(text, value);
      }
      break;
    case column_kind::word:
      text += of.text;
      break;
    case column_kind::flag:
      // Exact comparison: the job writes 0 or 1.
      text += value != 0.0 ? "true" : "false";
      break;
  }
}

void table_stream::take(const row_values& row) {
  if (paper_) {
    take_paper(row);
  } else {
    texts_.clear();
    for (std::size_t k = 0; k < columns_.size(); ++k) {
      append_value(texts_.emplace_back(), row[k], columns_[k]);
    }
    ++next_row_;
    write_row(*writers_[0], next_row_ == total_);
  }
  if (output_.buffer().size() >= send_size) send();
}

// row: n (or x) first, lower and upper last.
void table_stream::take_paper(const row_values& row) {
  const paper_blocks::place at = paper_->place_of(next_row_);
  if (at.column == 0) {
    // A later block opens where its first row is, unless the header of this
    // part has just opened it.
    const bool opened = next_row_ == first_ && header_;
    if (at.block > 0 && at.row == 0 && !opened) {
      writers_[at.block - 1]->footer(output_.buffer());
      output_.buffer() += '\n';
      writers_[at.block]->header(output_.buffer());
    }
    texts_.clear();
    append_value(texts_.emplace_back(), row[0], columns_[0]);
  }
  const std::size_t upper = columns_.size() - 1;
  std::string& pair = texts_.emplace_back();
  append_fixed(pair, row[upper - 1], digits_.value_or(paper_decimals));
  pair += ", ";
  append_fixed(pair, row[upper], digits_.value_or(paper_decimals));
  ++next_row_;
  if (at.column + 1 == paper_->columns_in(at.block)) {
    write_row(*writers_[at.block], at.row + 1 == paper_->counts());
  }
}

void table_stream::write_row(table_writer& writer, bool last) {
  cells_.clear();
  for (std::size_t k = 0; k < texts_.size(); ++k) {
    cell_kind kind = cell_kind::number;
    if (paper_) {
      if (k > 0) kind = cell_kind::pair;
    } else if (columns_[k].kind == column_kind::word) {
      kind = cell_kind::text;
    }
    cells_.push_back({texts_[k], kind});
  }
  writer.row(cells_, last, output_.buffer());
}

void table_stream::caught_up() {
  if (clock::now() - last_sent_ >= send_interval) {
    send();
    progress_.show(next_row_ - first_);
  }
}

void table_stream::send() {
  // The progress line would be torn by rows written to the same terminal.
  if (output_.is_terminal()) progress_.clear();
  output_.flush();
  last_sent_ = clock::now();
}

void table_stream::finish() {
  if (end_ == total_) writers_.back()->footer(output_.buffer());
  progress_.clear();
  output_.commit();
}

}  // namespace fctable
