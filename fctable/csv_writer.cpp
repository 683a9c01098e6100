#include <string>
#include <string_view>
#include <utility>

#include "fctable/table_writer.h"

namespace fctable {
namespace {

void append_field(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

class csv_writer final : public table_writer {
 public:
  explicit csv_writer(column_names columns) : columns_(std::move(columns)) {}

  void header(std::string& out) override {
    for (std::size_t k = 0; k < columns_.size(); ++k) {
      if (k > 0) out += ',';
      append_field(out, columns_[k]);
    }
    out += '\n';
  }

  void row(std::span<const cell> cells, bool, std::string& out) override {
    for (std::size_t k = 0; k < cells.size(); ++k) {
      if (k > 0) out += ',';
      append_field(out, cells[k].text);
    }
    out += '\n';
  }

  void footer(std::string&) override {}

 private:
  column_names columns_;
};

}  // namespace

std::unique_ptr<table_writer> make_csv_writer(column_names columns) {
  return std::make_unique<csv_writer>(std::move(columns));
}

}  // namespace fctable
