#pragma once

#include <vector>

#include "fclimits/fclimits.h"
#include "fctable/ordered_rows.h"
#include "fctable/table_job.h"
#include "fctable/uncertainty_settings.h"

namespace fctable {

// The columns that say which uncertainties a row was computed with, where
// the settings show them: b_sigma, eff and eff_sigma, then b_pdf, eff_pdf
// and ordering; none for a table without uncertainty options.
void add_uncertainty_columns(std::vector<column>& columns, const uncertainty_settings& u);

// Their values, in the same order; each word column takes a place.
void add_uncertainty_values(row_builder& row, const fclimits::uncertainties& values,
                            const uncertainty_settings& u);

}  // namespace fctable
