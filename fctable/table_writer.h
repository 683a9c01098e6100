#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fctable {

enum class table_format { csv, tsv, json, markdown, latex };

enum class cell_kind {
  number,  // as written: "0.5", "1e-07"
  text,    // a text that the format may have to quote or escape
  pair,    // two numbers as written, "lower, upper" ("0.00, 2.44"): a text
           // in most formats, an array of two numbers in JSON
};

// One cell of a row, already in text.
struct cell {
  std::string_view text;
  cell_kind kind = cell_kind::number;
};

// How the column names read: as words ("lower", "n_low"), or as formulas
// the program makes ("b = 0.5"), which LaTeX sets in math mode as they are.
enum class name_style { words, formulas };

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
// numbers as JSON numbers, texts as JSON strings, pairs as arrays of two
// numbers ([0.00, 2.44]).
std::unique_ptr<table_writer> make_json_writer(column_names columns);
// A Markdown (GitHub) table, numbers aligned right; | and \ escaped.
std::unique_ptr<table_writer> make_markdown_writer(column_names columns);
// A LaTeX tabular environment; LaTeX's special characters escaped, except
// in names that are formulas ("$b = 0.5$").
std::unique_ptr<table_writer> make_latex_writer(column_names columns,
                                                name_style style = name_style::words);

std::unique_ptr<table_writer> make_writer(table_format format, column_names columns,
                                          name_style style = name_style::words);

}  // namespace fctable
