#include "fctable/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <string_view>

#include "fclimits/fclimits.h"
#include "fctable/number_text.h"
#include "fctable/quoted_text.h"
#include "fctable/table_output.h"
#include "fctable/value_checks.h"
#include "fctable/value_list.h"

namespace fctable {
namespace {

constexpr std::uint64_t most_threads = 1024;
constexpr std::uint64_t most_shards = 1000000;
constexpr std::uint64_t most_digits = 20;
constexpr const char* default_levels = "0.6827,0.9,0.95";

// Every option as typed; checked and converted once the parse is done.
struct option_texts {
  std::string n, b, cl, mu, requests, tolerance, format = "csv", layout = "rows", digits, threads,
                                                 shard, output;
  bool no_correction = false;
  bool no_header = false;
  bool quiet = false;
};

struct command_entry {
  std::string_view name;
  table_command command;
  std::string_view description;
};

constexpr command_entry commands[] = {
    {"limits", table_command::limits,
     "The lower and upper limit for every n, b and cl (rows in the order n, b, cl)."},
    {"belt", table_command::belt,
     "The acceptance region at each signal mean: mu, n_low, n_high, probability."},
    {"coverage", table_command::coverage,
     "The probability that the reported interval contains each true signal mean; a summary "
     "on standard error."},
    {"sensitivity", table_command::sensitivity,
     "The average upper limit with no true signal, for every b and cl."},
};

struct format_entry {
  std::string_view name;
  table_format format;
};

constexpr format_entry formats[] = {{"csv", table_format::csv},
                                    {"tsv", table_format::tsv},
                                    {"json", table_format::json},
                                    {"markdown", table_format::markdown},
                                    {"latex", table_format::latex}};

// An option's text as the user typed it, where it is short and printable;
// else quoted, escaped and cut, so that no argument garbles a message.
std::string as_typed(std::string_view text) {
  const bool printable = std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7f;
  });
  return printable && text.size() <= most_quoted_bytes ? std::string(text) : quoted(text);
}

class checker {
 public:
  explicit checker(std::string command) : command_(std::move(command)) {}

  [[noreturn]] void refuse(std::string_view option, std::string_view text,
                           const std::string& problem) const {
    throw usage_error("fctable: " + std::string(option) + " " + as_typed(text) + ": " + problem,
                      command_);
  }

  [[noreturn]] void refuse(const std::string& problem) const {
    throw usage_error("fctable: " + problem, command_);
  }

  value_list list(std::string_view option, const std::string& text, value_kind kind) const {
    parsed_list parsed = parse_value_list(text);
    if (!parsed.error.empty()) refuse(option, text, parsed.error);
    const std::string problem = problem_with(parsed.values, kind);
    if (!problem.empty()) refuse(option, text, problem);
    return std::move(parsed.values);
  }

  value_list one(std::string_view option, const std::string& text, value_kind kind,
                 std::string_view what) const {
    value_list values = list(option, text, kind);
    if (values.size() != 1) refuse(option, text, "expected one " + std::string(what));
    return values;
  }

  // A whole number from `least` to `most`.
  std::uint64_t whole(std::string_view option, const std::string& text, std::uint64_t least,
                      std::uint64_t most, std::string_view what) const {
    const std::optional<double> value = parse_number(text);
    if (!value || std::floor(*value) != *value || *value < static_cast<double>(least) ||
        *value > static_cast<double>(most)) {
      refuse(option, text,
             "expected " + std::string(what) + ": a whole number from " + std::to_string(least) +
                 " to " + std::to_string(most));
    }
    return static_cast<std::uint64_t>(*value);
  }

  double tolerance(const std::string& text) const {
    const std::optional<double> value = parse_number(text);
    if (!value)
      refuse("--tolerance", text, "expected a search tolerance: a number (0: the method's own)");
    const std::string problem = problem_with(*value, value_kind::tolerance);
    if (!problem.empty()) refuse("--tolerance", text, problem);
    return *value;
  }

  shard part(const std::string& text) const {
    const std::size_t slash = text.find('/');
    const std::string expected =
        "expected K/N: part K of N, 1 <= K <= N <= " + std::to_string(most_shards);
    if (slash == std::string::npos) refuse("--shard", text, expected);
    const std::optional<double> k = parse_number(text.substr(0, slash));
    const std::optional<double> n = parse_number(text.substr(slash + 1));
    if (!k || !n || std::floor(*k) != *k || std::floor(*n) != *n || *k < 1.0 || *k > *n ||
        *n > static_cast<double>(most_shards)) {
      refuse("--shard", text, expected);
    }
    return {static_cast<std::uint64_t>(*k), static_cast<std::uint64_t>(*n)};
  }

  table_format format(const std::string& text) const {
    for (const format_entry& f : formats) {
      if (f.name == text) return f.format;
    }
    refuse("--format", text, "expected csv, tsv, json, markdown or latex");
  }

  table_layout layout(const std::string& text) const {
    if (text == "rows") return table_layout::rows;
    if (text == "paper") return table_layout::paper;
    refuse("--layout", text, "expected rows or paper");
  }

 private:
  std::string command_;
};

// Options every command has.
void add_output_options(CLI::App& command, option_texts& texts) {
  command.add_option("--format", texts.format, "csv, tsv, json, markdown or latex")
      ->type_name("FORMAT")
      ->capture_default_str();
  command
      .add_option("--digits", texts.digits,
                  "Round the computed values to D decimals (default: the shortest form that "
                  "reads back to the same double; 2 in the paper layout)")
      ->type_name("D");
  command
      .add_option("--threads", texts.threads,
                  "Compute on N threads (default: all hardware threads); the output is the same")
      ->type_name("N");
  command
      .add_option("--shard", texts.shard,
                  "Compute only part K of N consecutive parts of the rows (K = 1..N)")
      ->type_name("K/N");
  command.add_flag("--no-header", texts.no_header,
                   "Leave out the header (for shards after the first)");
  command
      .add_option("--output", texts.output,
                  "Write to FILE, through a temporary file renamed on success")
      ->type_name("FILE");
  command.add_flag("--quiet", texts.quiet, "No progress line or summary on standard error");
}

// "Backgrounds, 0 to 705": the range the library computes.
std::string backgrounds_help(const char* what) {
  return std::string(what) + ", 0 to " + shortest_text(fclimits::max_background);
}

void add_search_options(CLI::App& command, option_texts& texts) {
  command
      .add_option("--tolerance", texts.tolerance,
                  "Stopping width of the limit searches (default 0: the method's own, 0.01 or "
                  "0.0005 b above b = 20)")
      ->type_name("T");
  command.add_flag("--no-correction", texts.no_correction,
                   "Raw upper limits, without the correction for backgrounds above the count");
}

// The options of each command, as typed, into its settings.
table_settings check(table_command command, const CLI::App& parsed, const option_texts& texts) {
  const checker with(std::string(commands[static_cast<std::size_t>(command)].name));
  auto given = [&parsed](const char* option) { return parsed.count(option) > 0; };
  table_settings settings;
  settings.command = command;

  const bool levels_listed =
      command == table_command::limits || command == table_command::sensitivity;
  if (levels_listed) {
    settings.cl = with.list("--cl", given("--cl") ? texts.cl : default_levels, value_kind::level);
  } else {
    settings.cl = with.one("--cl", texts.cl, value_kind::level, "confidence level");
  }
  if (command == table_command::limits && given("--requests")) {
    if (given("--n") || given("--b")) with.refuse("--requests takes the place of --n and --b");
    settings.requests = texts.requests;
  } else if (command == table_command::limits) {
    if (!given("--n") || !given("--b")) with.refuse("limits needs --n and --b, or --requests");
    settings.n = with.list("--n", texts.n, value_kind::count);
  }
  if (settings.requests.empty()) {
    if (command == table_command::belt || command == table_command::coverage) {
      settings.b = with.one("--b", texts.b, value_kind::background, "background");
      settings.mu = with.list(
          "--mu", texts.mu,
          command == table_command::coverage ? value_kind::coverage_mean : value_kind::mean);
    } else {
      settings.b = with.list("--b", texts.b, value_kind::background);
    }
  }
  if (!texts.tolerance.empty()) settings.how.tolerance = with.tolerance(texts.tolerance);
  settings.how.correct_upper = !texts.no_correction;

  settings.format = with.format(texts.format);
  if (command == table_command::limits) settings.layout = with.layout(texts.layout);
  if (given("--digits")) {
    settings.digits = static_cast<int>(
        with.whole("--digits", texts.digits, 0, most_digits, "a number of decimals"));
  }
  if (given("--threads")) {
    settings.threads = static_cast<unsigned>(
        with.whole("--threads", texts.threads, 1, most_threads, "a number of threads"));
  }
  if (given("--shard")) settings.part = with.part(texts.shard);
  settings.header = !texts.no_header;
  settings.quiet = texts.quiet;
  settings.output = texts.output;
  if (given("--output") && texts.output.empty()) {
    with.refuse("--output", "''", "expected the name of a file");
  }

  if (settings.layout == table_layout::paper) {
    if (!settings.requests.empty()) with.refuse("--layout paper needs --n and --b, not --requests");
    if (settings.cl.size() != 1) {
      with.refuse("--layout paper needs one level: give --cl with one value");
    }
  }
  // At most largest_list rows, so the arithmetic of shards stays far from
  // overflow.
  std::uint64_t rows = 1;
  for (const value_list* list : {&settings.n, &settings.b, &settings.cl, &settings.mu}) {
    if (list->size() == 0) continue;
    if (__builtin_mul_overflow(rows, list->size(), &rows) || rows > largest_list) {
      with.refuse("the table would hold more than " + std::to_string(largest_list) + " rows");
    }
  }
  return settings;
}

}  // namespace

std::optional<table_settings> read_command_line(int argc, const char* const* argv) {
  CLI::App app{
      "fctable: Feldman-Cousins confidence limits, belts, coverage and sensitivity as "
      "tables.",
      "fctable"};
  app.set_version_flag("--version", std::string("fctable ") + fclimits::version());
  app.require_subcommand(1);
  app.footer("Run 'fctable COMMAND --help' for the options of a command.");
  option_texts texts;
  std::vector<CLI::App*> subcommands;
  for (const command_entry& entry : commands) {
    CLI::App* command = app.add_subcommand(std::string(entry.name), std::string(entry.description));
    switch (entry.command) {
      case table_command::limits:
        command->add_option("--n", texts.n, "Measured counts")->type_name("LIST");
        command->add_option("--b", texts.b, backgrounds_help("Backgrounds"))->type_name("LIST");
        command
            ->add_option("--cl", texts.cl,
                         std::string("Confidence levels (default ") + default_levels + ")")
            ->type_name("LIST");
        command
            ->add_option("--requests", texts.requests,
                         "Read one 'n b' or 'n b cl' a line from FILE (- for standard input) "
                         "instead of --n and --b; blank lines and lines starting with # are "
                         "skipped")
            ->type_name("FILE");
        command
            ->add_option("--layout", texts.layout,
                         "rows, or paper: rows n, columns b, cells 'lower, upper' (one level)")
            ->type_name("LAYOUT")
            ->capture_default_str();
        add_search_options(*command, texts);
        break;
      case table_command::belt:
      case table_command::coverage:
        command->add_option("--b", texts.b, backgrounds_help("The background"))
            ->type_name("B")
            ->required();
        command->add_option("--cl", texts.cl, "The confidence level")->type_name("CL")->required();
        command->add_option("--mu", texts.mu, "Signal means")->type_name("LIST")->required();
        if (entry.command == table_command::coverage) add_search_options(*command, texts);
        break;
      case table_command::sensitivity:
        command->add_option("--b", texts.b, backgrounds_help("Backgrounds"))
            ->type_name("LIST")
            ->required();
        command
            ->add_option("--cl", texts.cl,
                         std::string("Confidence levels (default ") + default_levels + ")")
            ->type_name("LIST");
        add_search_options(*command, texts);
        break;
    }
    add_output_options(*command, texts);
    command->footer(
        "LIST: values and ranges start:stop[:step], separated by commas (0:20, 0:15:0.5, "
        "0.9,0.95); the i-th value of a range is start + i step, exact in decimal.");
    subcommands.push_back(command);
  }

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
    std::string command;
    for (const CLI::App* sub : subcommands) {
      if (sub->parsed()) command = sub->get_name();
    }
    throw usage_error("fctable: " + std::string(error.what()), command);
  }
  for (std::size_t k = 0; k < subcommands.size(); ++k) {
    if (subcommands[k]->parsed()) return check(commands[k].command, *subcommands[k], texts);
  }
  return std::nullopt;  // unreachable: a command is required
}

}  // namespace fctable
