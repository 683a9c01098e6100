#pragma once

#include <string>

#include "fctable/table_settings.h"

namespace fctable {

// Computes the table of the settings (its shard only) and writes it. Throws
// usage_error for a bad requests file (before computing anything),
// write_error when the output fails, and what the library throws. Returns
// the summary for standard error, or "".
std::string run_table(const table_settings& settings);

}  // namespace fctable
