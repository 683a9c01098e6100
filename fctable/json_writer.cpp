#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "fctable/table_writer.h"

namespace fctable {
namespace {

std::string json_string(std::string_view text) { return nlohmann::json(text).dump(); }

class json_writer final : public table_writer {
 public:
  // The keys are quoted once, not on every row.
  explicit json_writer(const column_names& columns) {
    for (const std::string& name : columns) keys_.push_back(json_string(name) + ": ");
  }

  void header(std::string& out) override { out += "[\n"; }

  void row(std::span<const cell> cells, bool last, std::string& out) override {
    out += '{';
    for (std::size_t k = 0; k < cells.size(); ++k) {
      if (k > 0) out += ", ";
      out += keys_[k];
      // The number texts are JSON numbers already (decimal or exponent
      // form, no leading zeros), but for an infinite one (the lower end of
      // a Gaussian belt at mu = 0), which JSON has no number for: null.
      switch (cells[k].kind) {
        case cell_kind::number:
          out += cells[k].text.ends_with("inf") ? std::string_view("null") : cells[k].text;
          break;
        case cell_kind::text:
          out += json_string(cells[k].text);
          break;
        case cell_kind::pair:
          out += '[';
          out += cells[k].text;
          out += ']';
          break;
      }
    }
    out += last ? "}\n" : "},\n";
  }

  void footer(std::string& out) override { out += "]\n"; }

 private:
  std::vector<std::string> keys_;
};

}  // namespace

std::unique_ptr<table_writer> make_json_writer(column_names columns) {
  return std::make_unique<json_writer>(columns);
}

}  // namespace fctable
