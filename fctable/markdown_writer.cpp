#include <string>
#include <string_view>
#include <utility>

#include "fctable/table_writer.h"

namespace fctable {
namespace {

// In a table cell a | would end the cell and a \ would escape what follows.
void append_field(std::string& out, std::string_view text) {
  for (const char c : text) {
    if (c == '|' || c == '\\') out += '\\';
    out += c;
  }
}

class markdown_writer final : public table_writer {
 public:
  explicit markdown_writer(column_names columns) : columns_(std::move(columns)) {}

  void header(std::string& out) override {
    out += '|';
    for (const std::string& name : columns_) {
      out += ' ';
      append_field(out, name);
      out += " |";
    }
    out += "\n|";
    for (std::size_t k = 0; k < columns_.size(); ++k) out += " ---: |";
    out += '\n';
  }

  void row(std::span<const cell> cells, bool, std::string& out) override {
    out += '|';
    for (const cell& c : cells) {
      out += ' ';
      append_field(out, c.text);
      out += " |";
    }
    out += '\n';
  }

  void footer(std::string&) override {}

 private:
  column_names columns_;
};

}  // namespace

std::unique_ptr<table_writer> make_markdown_writer(column_names columns) {
  return std::make_unique<markdown_writer>(std::move(columns));
}

}  // namespace fctable
