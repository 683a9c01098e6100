// The two delimited formats, CSV and TSV: one line per row, fields joined
// by a separator, each format with its own way of keeping a field whole.
#include <string>
#include <string_view>
#include <utility>

#include "fctable/table_writer.h"

namespace fctable {
namespace {

using field_appender = void (*)(std::string& out, std::string_view text);

// CSV: a field holding a comma, quote or line break is quoted, its quotes
// doubled.
void append_csv_field(std::string& out, std::string_view text) {
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

// TSV: backslash, tab and line breaks are written as escapes.
void append_tsv_field(std::string& out, std::string_view text) {
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

class delimited_writer final : public table_writer {
 public:
  delimited_writer(column_names columns, char separator, field_appender append)
      : columns_(std::move(columns)), separator_(separator), append_(append) {}

  void header(std::string& out) override {
    for (std::size_t k = 0; k < columns_.size(); ++k) {
      if (k > 0) out += separator_;
      append_(out, columns_[k]);
    }
    out += '\n';
  }

  void row(std::span<const cell> cells, bool, std::string& out) override {
    for (std::size_t k = 0; k < cells.size(); ++k) {
      if (k > 0) out += separator_;
      append_(out, cells[k].text);
    }
    out += '\n';
  }

  void footer(std::string&) override {}

 private:
  column_names columns_;
  char separator_;
  field_appender append_;
};

}  // namespace

std::unique_ptr<table_writer> make_csv_writer(column_names columns) {
  return std::make_unique<delimited_writer>(std::move(columns), ',', append_csv_field);
}

std::unique_ptr<table_writer> make_tsv_writer(column_names columns) {
  return std::make_unique<delimited_writer>(std::move(columns), '\t', append_tsv_field);
}

}  // namespace fctable
