#include "fctable/command.h"

#include <cmath>
#include <optional>
#include <vector>

#include "fclimits/fclimits.h"
#include "fctable/number_text.h"
#include "fctable/quoted_text.h"

namespace fctable {
namespace {

constexpr std::uint64_t most_threads = 1024;
constexpr std::uint64_t most_shards = 1000000;
constexpr std::uint64_t most_digits = 20;

struct format_entry {
  std::string_view name;
  table_format format;
};

constexpr format_entry formats[] = {{"csv", table_format::csv},
                                    {"tsv", table_format::tsv},
                                    {"json", table_format::json},
                                    {"markdown", table_format::markdown},
                                    {"latex", table_format::latex}};

constexpr std::string_view method_words[] = {"exact", "console"};
constexpr fclimits::search_method methods[] = {fclimits::search_method::exact,
                                               fclimits::search_method::console};

double tolerance(const checker& with, const std::string& text, fclimits::search_method method) {
  const std::optional<double> value = parse_number(text);
  if (!value) {
    with.refuse("--tolerance", text, "expected a search tolerance: a number (0: the method's own)");
  }
  const std::string problem = problem_with(*value, value_kind::tolerance);
  if (!problem.empty()) with.refuse("--tolerance", text, problem);
  if (method == fclimits::search_method::exact && *value != 0.0) {
    with.refuse("--tolerance", text,
                "is for the console method (--method console): the exact method finds each "
                "limit to adjacent doubles");
  }
  return *value;
}

shard part(const checker& with, const std::string& text) {
  const std::size_t slash = text.find('/');
  const std::string expected =
      "expected K/N: part K of N, 1 <= K <= N <= " + std::to_string(most_shards);
  if (slash == std::string::npos) with.refuse("--shard", text, expected);
  const std::optional<double> k = parse_number(text.substr(0, slash));
  const std::optional<double> n = parse_number(text.substr(slash + 1));
  if (!k || !n || std::floor(*k) != *k || std::floor(*n) != *n || *k < 1.0 || *k > *n ||
      *n > static_cast<double>(most_shards)) {
    with.refuse("--shard", text, expected);
  }
  return {static_cast<std::uint64_t>(*k), static_cast<std::uint64_t>(*n)};
}

table_format format(const checker& with, const std::string& text) {
  std::vector<std::string_view> words;
  for (const format_entry& f : formats) words.push_back(f.name);
  return formats[with.word("--format", text, words)].format;
}

}  // namespace

bool checker::given(std::string_view option) const {
  return parsed_.count(std::string(option)) > 0;
}

void checker::refuse(std::string_view option, std::string_view text,
                     const std::string& problem) const {
  throw usage_error("fctable: " + std::string(option) + " " + as_typed(text) + ": " + problem,
                    parsed_.get_name());
}

void checker::refuse(const std::string& problem) const {
  throw usage_error("fctable: " + problem, parsed_.get_name());
}

value_list checker::list(std::string_view option, const std::string& text, value_kind kind) const {
  parsed_list parsed = parse_value_list(text);
  if (!parsed.error.empty()) refuse(option, text, parsed.error);
  const std::string problem = problem_with(parsed.values, kind);
  if (!problem.empty()) refuse(option, text, problem);
  return std::move(parsed.values);
}

value_list checker::one(std::string_view option, const std::string& text, value_kind kind,
                        std::string_view what) const {
  value_list values = list(option, text, kind);
  if (values.size() != 1) refuse(option, text, "expected one " + std::string(what));
  return values;
}

std::uint64_t checker::whole(std::string_view option, const std::string& text, std::uint64_t least,
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

std::size_t checker::word(std::string_view option, const std::string& text,
                          std::span<const std::string_view> words,
                          std::span<const synonym> synonyms) const {
  std::vector<std::string> names;
  std::string expected = "expected ";
  for (std::size_t k = 0; k < words.size(); ++k) {
    if (words[k] == text) return k;
    names.emplace_back(words[k]);
    if (k > 0) expected += k + 1 == words.size() ? " or " : ", ";
    expected += words[k];
  }
  const std::string closest = closest_name(text, names, synonyms);
  if (!closest.empty()) expected += "; did you mean " + closest + "?";
  refuse(option, text, expected);
}

void checker::table_size(const table_settings& settings) const {
  std::uint64_t rows = 1;
  const uncertainty_settings& u = settings.uncertain;
  for (const value_list* list :
       {&settings.n, &settings.b, &settings.cl, &settings.mu, &settings.x, &settings.sigma,
        &u.b_sigma, &u.eff, &u.eff_sigma, &settings.truth.b, &settings.truth.eff}) {
    if (list->size() == 0) continue;
    if (__builtin_mul_overflow(rows, list->size(), &rows) || rows > largest_list) {
      refuse("the table would hold more than " + std::to_string(largest_list) + " rows");
    }
  }
}

CLI::App* add_command(CLI::App& program, const std::string& name, const std::string& description) {
  CLI::App* command = program.add_subcommand(name, description);
  command->footer(
      "LIST: values and ranges start:stop[:step], separated by commas (0:20, 0:15:0.5, "
      "0.9,0.95); the i-th value of a range is start + i step, exact in decimal.");
  return command;
}

std::string backgrounds_help(const char* what) {
  return std::string(what) + ", 0 to " + shortest_text(fclimits::max_background);
}

void add_output_options(CLI::App& command, output_texts& texts) {
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

void check_output_options(const checker& with, const output_texts& texts,
                          table_settings& settings) {
  settings.format = format(with, texts.format);
  if (with.given("--digits")) {
    settings.digits = static_cast<int>(
        with.whole("--digits", texts.digits, 0, most_digits, "a number of decimals"));
  }
  if (with.given("--threads")) {
    settings.threads = static_cast<unsigned>(
        with.whole("--threads", texts.threads, 1, most_threads, "a number of threads"));
  }
  if (with.given("--shard")) settings.part = part(with, texts.shard);
  settings.header = !texts.no_header;
  settings.quiet = texts.quiet;
  settings.output = texts.output;
  if (with.given("--output") && texts.output.empty()) {
    with.refuse("--output", "''", "expected the name of a file");
  }
}

void add_search_options(CLI::App& command, search_texts& texts) {
  command
      .add_option("--method", texts.method,
                  "exact: the belt's true edges, each to adjacent doubles; console: the console "
                  "program's searches and doubles")
      ->type_name("METHOD")
      ->capture_default_str();
  command
      .add_option("--tolerance", texts.tolerance,
                  "Stopping width of the console method's searches (default 0: its own, 0.01 "
                  "or 0.0005 b above b = 20)")
      ->type_name("T");
  command.add_flag("--no-correction", texts.no_correction,
                   "Raw upper limits, without the correction for backgrounds above the count");
}

void check_search_options(const checker& with, const search_texts& texts,
                          table_settings& settings) {
  settings.how.method = methods[with.word("--method", texts.method, method_words)];
  if (!texts.tolerance.empty()) {
    settings.how.tolerance = tolerance(with, texts.tolerance, settings.how.method);
  }
  settings.how.correct_upper = !texts.no_correction;
}

}  // namespace fctable
