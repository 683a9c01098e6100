#include "fctable/table_stream.h"

#include <utility>

#include "fctable/number_text.h"

namespace fctable {
namespace {

constexpr std::size_t send_size = 64 * 1024;
constexpr auto send_interval = std::chrono::milliseconds(100);
constexpr int paper_decimals = 2;

column_names names_of(const table_settings& settings, const std::vector<column>& columns) {
  column_names names;
  if (settings.layout == table_layout::paper) {
    names.push_back("n");
    for (std::uint64_t k = 0; k < settings.b.size(); ++k) {
      names.push_back("b = " + shortest_text(settings.b[k]));
    }
  } else {
    for (const column& c : columns) names.push_back(c.name);
  }
  return names;
}

}  // namespace

table_stream::table_stream(const table_settings& settings, std::vector<column> columns,
                           std::uint64_t first, std::uint64_t count, std::uint64_t total,
                           table_output& output)
    : columns_(std::move(columns)),
      digits_(settings.digits),
      header_(settings.header),
      paper_(settings.layout == table_layout::paper),
      cells_per_row_(paper_ ? settings.b.size() : 1),
      first_(first),
      next_row_(first),
      end_(first + count),
      total_(total),
      writer_(make_writer(settings.format, names_of(settings, columns_))),
      output_(output),
      progress_(count, !settings.quiet) {}

void table_stream::start() {
  if (header_) writer_->header(output_.buffer());
}

void table_stream::append_number(std::string& text, double value, column_kind kind) const {
  switch (kind) {
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
  }
}

void table_stream::take(const row_values& row) {
  const bool row_starts = paper_ ? texts_.empty() : true;
  if (!paper_) texts_.clear();
  if (row_starts) {
    // The paper layout starts each table row with its n.
    const std::size_t leading = paper_ ? 1 : columns_.size();
    for (std::size_t k = 0; k < leading; ++k) {
      texts_.emplace_back();
      append_number(texts_.back(), row[k], columns_[k].kind);
    }
  }
  if (paper_) {
    // row: n, b, cl, lower, upper.
    std::string& pair = texts_.emplace_back();
    append_fixed(pair, row[3], digits_.value_or(paper_decimals));
    pair += ", ";
    append_fixed(pair, row[4], digits_.value_or(paper_decimals));
  }
  ++next_row_;
  if (next_row_ % cells_per_row_ == 0) {
    write_row(next_row_ == total_);
    texts_.clear();
  }
  if (output_.buffer().size() >= send_size) send();
}

void table_stream::write_row(bool last) {
  cells_.clear();
  for (std::size_t k = 0; k < texts_.size(); ++k) {
    cells_.push_back({texts_[k], paper_ ? k == 0 : true});
  }
  writer_->row(cells_, last, output_.buffer());
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
  if (end_ == total_) writer_->footer(output_.buffer());
  progress_.clear();
  output_.commit();
}

}  // namespace fctable
