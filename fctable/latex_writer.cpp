#include <string>
#include <string_view>
#include <utility>

#include "fctable/table_writer.h"

namespace fctable {
namespace {

void append_field(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
      case '%':
      case '$':
      case '#':
      case '_':
      case '{':
      case '}':
        out += '\\';
        out += c;
        break;
      case '\\':
        out += "\\textbackslash{}";
        break;
      case '~':
        out += "\\textasciitilde{}";
        break;
      case '^':
        out += "\\textasciicircum{}";
        break;
      default:
        out += c;
    }
  }
}

class latex_writer final : public table_writer {
 public:
  latex_writer(column_names columns, name_style style)
      : columns_(std::move(columns)), style_(style) {}

  void header(std::string& out) override {
    out += "\\begin{tabular}{" + std::string(columns_.size(), 'r') + "}\n\\hline\n";
    for (std::size_t k = 0; k < columns_.size(); ++k) {
      if (k > 0) out += " & ";
      if (style_ == name_style::formulas) {
        out += '$' + columns_[k] + '$';
      } else {
        append_field(out, columns_[k]);
      }
    }
    out += " \\\\\n\\hline\n";
  }

  void row(std::span<const cell> cells, bool, std::string& out) override {
    for (std::size_t k = 0; k < cells.size(); ++k) {
      if (k > 0) out += " & ";
      append_field(out, cells[k].text);
    }
    out += " \\\\\n";
  }

  void footer(std::string& out) override { out += "\\hline\n\\end{tabular}\n"; }

 private:
  column_names columns_;
  name_style style_;
};

}  // namespace

std::unique_ptr<table_writer> make_latex_writer(column_names columns, name_style style) {
  return std::make_unique<latex_writer>(std::move(columns), style);
}

}  // namespace fctable
