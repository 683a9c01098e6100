#pragma once

// The commands of fctable, each set up and checked in a file of its own. A
// new command is such a file, its setup declared here and listed in
// all_commands.
#include "fctable/command.h"

namespace fctable {

command setup_limits(CLI::App& program);
command setup_belt(CLI::App& program);
command setup_coverage(CLI::App& program);
command setup_sensitivity(CLI::App& program);
command setup_gaussian(CLI::App& program);
command setup_gaussian_belt(CLI::App& program);

// In the order of the program's help.
inline constexpr command_setup all_commands[] = {setup_limits,   setup_belt,
                                                 setup_coverage, setup_sensitivity,
                                                 setup_gaussian, setup_gaussian_belt};

}  // namespace fctable
