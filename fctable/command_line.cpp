#include "fctable/command_line.h"

#include <CLI/CLI.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "fclimits/fclimits.h"
#include "fctable/commands.h"
#include "fctable/table_output.h"

namespace fctable {

std::optional<table_settings> read_command_line(int argc, const char* const* argv) {
  CLI::App app{
      "fctable: Feldman-Cousins confidence limits, belts, coverage and sensitivity as "
      "tables.",
      "fctable"};
  app.set_version_flag("--version", std::string("fctable ") + fclimits::version());
  app.require_subcommand(1);
  app.footer("Run 'fctable COMMAND --help' for the options of a command.");
  std::vector<command> commands;
  for (const command_setup setup : all_commands) commands.push_back(setup(app));

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      // Through the table's output, so help that cannot be written fails as a
      // table would, instead of being lost in std::cout.
      std::ostringstream text;
      app.exit(error, text, text);
      table_output out("");
      out.buffer() = text.str();
      out.commit();
      return std::nullopt;
    }
    std::string name;
    for (const command& c : commands) {
      if (c.app->parsed()) name = c.app->get_name();
    }
    throw usage_error("fctable: " + std::string(error.what()), name);
  }
  for (const command& c : commands) {
    if (!c.app->parsed()) continue;
    const checker with(*c.app);
    table_settings settings = c.check(with);
    with.table_size(settings);
    return settings;
  }
  return std::nullopt;  // unreachable: a command is required
}

}  // namespace fctable
