#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fctable {

enum class table_format { csv, tsv, json, markdown, latex };

// One cell of a row, already in text: a number (as written, "0.5", "1e-07")
// or a text that the format may have to quote or escape ("0.00, 2.44").
struct cell {
  std::string_view text;
  bool number = true;
};

// Writes a table in one format, appending to a string: the header (with
// whatever opens the table), the rows, and the footer that closes it. A
// table cut into consecutive parts (shards) concatenates to the whole one
// when only the first part writes the header and only the part with the
// last row writes the footer; `last` marks that row. Writers never do I/O.
class table_writer {
 public:
  virtual ~table_writer() = default;
  virtual void header(std::string& out) = 0;
  // cells: one per column, in the order of the column names.
  virtual void row(std::span<const cell> cells, bool last, std::string& out) = 0;
  virtual void footer(std::string& out) = 0;
};

using column_names = std::vector<std::string>;

// Comma-separated values: a field holding a comma, quote or line break is
// quoted, its quotes doubled.
std::unique_ptr<table_writer> make_csv_writer(column_names columns);
// Tab-separated values: a backslash, tab or line break in a field is written
// as \\, \t, \n or \r.
std::unique_ptr<table_writer> make_tsv_writer(column_names columns);
// One JSON array of objects keyed by the column names, one object a line;
// numbers as JSON numbers, texts as JSON strings.
std::unique_ptr<table_writer> make_json_writer(column_names columns);
// A Markdown (GitHub) table, numbers aligned right; | and \ escaped.
std::unique_ptr<table_writer> make_markdown_writer(column_names columns);
// A LaTeX tabular environment; LaTeX's special characters escaped.
std::unique_ptr<table_writer> make_latex_writer(column_names columns);

std::unique_ptr<table_writer> make_writer(table_format format, column_names columns);

}  // namespace fctable
