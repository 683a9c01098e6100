#include "fctable/uncertainty_columns.h"

#include <string>

namespace fctable {

void add_uncertainty_columns(std::vector<column>& columns, const uncertainty_settings& u) {
  if (!u.columns) return;
  columns.push_back({"b_sigma", column_kind::input});
  columns.push_back({"eff", column_kind::input});
  columns.push_back({"eff_sigma", column_kind::input});
  if (!u.word_columns) return;
  columns.push_back({"b_pdf", column_kind::word, std::string(word_of(u.b_pdf))});
  columns.push_back({"eff_pdf", column_kind::word, std::string(word_of(u.eff_pdf))});
  columns.push_back({"ordering", column_kind::word, std::string(word_of(u.ordering))});
}

void add_uncertainty_values(row_builder& row, const fclimits::uncertainties& values,
                            const uncertainty_settings& u) {
  if (!u.columns) return;
  row << values.b_sigma << values.eff << values.eff_sigma;
  if (u.word_columns) row << 0.0 << 0.0 << 0.0;
}

}  // namespace fctable
