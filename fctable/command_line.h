#pragma once

#include <optional>

#include "fctable/errors.h"
#include "fctable/table_settings.h"

namespace fctable {

// The settings of the command line, every value checked. Prints the help or
// the version on standard output and returns nothing when asked for one;
// throws write_error when that cannot be written. Throws usage_error for
// anything else that is not a valid command; an unknown option or command
// is named with the closest valid name ("fctable: unknown option
// --confidence: did you mean --cl?"), or the valid ones where none is close.
std::optional<table_settings> read_command_line(int argc, const char* const* argv);

}  // namespace fctable
