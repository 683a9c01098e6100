#include "fctable/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fclimits/fclimits.h"
#include "fctable/closest_name.h"
#include "fctable/commands.h"
#include "fctable/quoted_text.h"
#include "fctable/table_output.h"

namespace fctable {
namespace {

// Words users reach for, and the names this program gives them.
constexpr synonym option_synonyms[] = {
    {"confidence", "cl"},
    {"level", "cl"},
    {"confidence-level", "cl"},
    {"background", "b"},
    {"count", "n"},
    {"counts", "n"},
    {"observed", "n"},
    {"mean", "mu"},
    {"signal", "mu"},
    {"decimals", "digits"},
    {"precision", "digits"},
    {"jobs", "threads"},
    {"j", "threads"},
    {"o", "output"},
    {"efficiency", "eff"},
    {"efficiency-sigma", "eff-sigma"},
    {"background-sigma", "b-sigma"},
    {"true-background", "true-b"},
    {"true-efficiency", "true-eff"},
};

constexpr synonym command_synonyms[] = {
    {"interval", "limits"}, {"intervals", "limits"}, {"acceptance", "belt"}, {"band", "belt"}};

// "a, b, c or d".
std::string listed(const std::vector<std::string>& words, const char* last_join) {
  std::string text;
  for (std::size_t k = 0; k < words.size(); ++k) {
    if (k > 0) text += k + 1 == words.size() ? std::string(" ") + last_join + " " : ", ";
    text += words[k];
  }
  return text;
}

// The long option names of a command or of the program, without dashes.
std::vector<std::string> option_names(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    if (!option->get_lnames().empty()) names.push_back(option->get_lnames().front());
  }
  return names;
}

std::vector<std::string> command_names(const std::vector<command>& commands) {
  std::vector<std::string> names;
  for (const command& c : commands) names.push_back(c.app->get_name());
  return names;
}

usage_error unknown_option(std::string_view typed, const CLI::App& app, bool in_command,
                           const std::vector<command>& commands) {
  const std::string_view word = typed.substr(std::min(typed.find_first_not_of('-'), typed.size()));
  std::vector<std::string> names = option_names(app);
  const std::string closest = closest_name(word, names, option_synonyms);
  std::string message = "fctable: unknown option " + as_typed(typed) + ": ";
  if (!closest.empty()) {
    message += "did you mean --" + closest + "?";
  } else if (in_command) {
    std::vector<std::string> options;
    for (const std::string& name : names) {
      if (name != "help") options.push_back("--" + name);
    }
    message += "the options of " + app.get_name() + " are " + listed(options, "and");
  } else {
    message += "a command comes first: " + listed(command_names(commands), "or");
  }
  return usage_error(message, in_command ? app.get_name() : "");
}

usage_error unknown_command(std::string_view typed, const std::vector<command>& commands) {
  const std::vector<std::string> names = command_names(commands);
  const std::string closest = closest_name(typed, names, command_synonyms);
  std::string message = "fctable: unknown command " + quoted(typed) + ": ";
  message += closest.empty() ? "the commands are " + listed(names, "and")
                             : "did you mean '" + closest + "'?";
  return usage_error(message, "");
}

// The first word of a command line that CLI11 refused which names no
// command or option: what was typed and what is closest. Nothing where
// every word is known, and CLI11's own message says what is wrong. An
// option's value is passed over whatever it looks like ("--b -1"), as
// CLI11 reads it.
std::optional<usage_error> unknown_word(const CLI::App& program,
                                        const std::vector<command>& commands, int argc,
                                        const char* const* argv) {
  const CLI::App* current = &program;
  bool in_command = false;
  for (int k = 1; k < argc; ++k) {
    const std::string_view word = argv[k];
    if (word == "--") break;  // values only from here on
    if (word.size() > 1 && word.front() == '-') {
      const std::string_view option = word.substr(0, word.find('='));
      const CLI::Option* known = current->get_option_no_throw(std::string(option));
      if (known == nullptr) return unknown_option(option, *current, in_command, commands);
      if (known->get_type_size() > 0 && option.size() == word.size()) ++k;
      continue;
    }
    if (in_command) continue;  // a stray value: CLI11 names it
    const CLI::App* chosen = nullptr;
    for (const command& c : commands) {
      if (c.app->get_name() == word) chosen = c.app;
    }
    if (chosen == nullptr) return unknown_command(word, commands);
    current = chosen;
    in_command = true;
  }
  return std::nullopt;
}

}  // namespace

std::optional<table_settings> read_command_line(int argc, const char* const* argv) {
  CLI::App app{
      "fctable: Feldman-Cousins confidence limits, belts, coverage and sensitivity as "
      "tables; and limits from a Gaussian measurement of a mean bounded at zero.",
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
    if (std::optional<usage_error> unknown = unknown_word(app, commands, argc, argv)) {
      throw *unknown;
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
