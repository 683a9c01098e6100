#include <string>
#include <string_view>
#include <utility>

#include "fctable/table_writer.h"

namespace fctable {
namespace {

void append_field(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
}

class tsv_writer final : public table_writer {
 public:
  explicit tsv_writer(column_names columns) : columns_(std::move(columns)) {}

  void header(std::string& out) override {
    for (std::size_t k = 0; k < columns_.size(); ++k) {
      if (k > 0) out += '\t';
      append_field(out, columns_[k]);
    }
    out += '\n';
  }

  void row(std::span<const cell> cells, bool, std::string& out) override {
    for (std::size_t k = 0; k < cells.size(); ++k) {
      if (k > 0) out += '\t';
      append_field(out, cells[k].text);
    }
    out += '\n';
  }

  void footer(std::string&) override {}

 private:
  column_names columns_;
};

}  // namespace

std::unique_ptr<table_writer> make_tsv_writer(column_names columns) {
  return std::make_unique<tsv_writer>(std::move(columns));
}

}  // namespace fctable
