#include "fctable/table_writer.h"

#include <utility>

namespace fctable {

std::unique_ptr<table_writer> make_writer(table_format format, column_names columns,
                                          name_style style) {
  switch (format) {
    case table_format::csv:
      return make_csv_writer(std::move(columns));
    case table_format::tsv:
      return make_tsv_writer(std::move(columns));
    case table_format::json:
      return make_json_writer(std::move(columns));
    case table_format::markdown:
      return make_markdown_writer(std::move(columns));
    case table_format::latex:
      return make_latex_writer(std::move(columns), style);
  }
  return nullptr;
}

}  // namespace fctable
