#pragma once

// What every fctable command shares: how a command is set up and checked,
// the checker that turns an option's text into a value or a usage_error,
// and the groups of options that several commands take. Each command has a
// file of its own (limits_command.cpp, ...) that adds its options and
// checks them; commands.h registers it.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "fctable/closest_name.h"
#include "fctable/errors.h"
#include "fctable/table_settings.h"
#include "fctable/value_checks.h"
#include "fctable/value_list.h"

namespace fctable {

// The options of the parsed command, as typed, turned into checked values;
// each refusal is a usage_error naming the option, the text and the
// problem, and pointing to the command's help.
class checker {
 public:
  explicit checker(const CLI::App& parsed) : parsed_(parsed) {}

  // Whether the option was on the command line ("--cl").
  bool given(std::string_view option) const;

  [[noreturn]] void refuse(std::string_view option, std::string_view text,
                           const std::string& problem) const;
  [[noreturn]] void refuse(const std::string& problem) const;

  value_list list(std::string_view option, const std::string& text, value_kind kind) const;
  // A list of exactly one value; `what` names it ("background").
  value_list one(std::string_view option, const std::string& text, value_kind kind,
                 std::string_view what) const;
  // A whole number from `least` to `most`; `what` names it ("a number of
  // threads").
  std::uint64_t whole(std::string_view option, const std::string& text, std::uint64_t least,
                      std::uint64_t most, std::string_view what) const;
  // The index of the word typed among `words`; a mistyped one is refused
  // with the words and the closest of them ("--pdf lognorm: expected gauss
  // or lognormal; did you mean lognormal?").
  std::size_t word(std::string_view option, const std::string& text,
                   std::span<const std::string_view> words,
                   std::span<const synonym> synonyms = {}) const;

  // At most largest_list rows in all, so the arithmetic of shards stays far
  // from overflow.
  void table_size(const table_settings& settings) const;

 private:
  const CLI::App& parsed_;
};

// A command once set up: its place on the command line, and its check,
// which turns the texts its options were bound to into settings.
struct command {
  CLI::App* app;
  std::function<table_settings(const checker& with)> check;
};

// Adds a command to the program: its name, description and options. The
// texts the options are bound to live as long as the check that reads them.
using command_setup = command (*)(CLI::App& program);

// A command of the program, with the footer on lists that all commands share.
CLI::App* add_command(CLI::App& program, const std::string& name, const std::string& description);

// The default levels of the commands that take a list of them.
inline constexpr const char* default_levels = "0.6827,0.9,0.95";

// "Backgrounds, 0 to 705": the range the library computes.
std::string backgrounds_help(const char* what);

// The options of the output, which every command takes.
struct output_texts {
  std::string format = "csv";
  std::string digits;
  std::string threads;
  std::string shard;
  std::string output;
  bool no_header = false;
  bool quiet = false;
};

void add_output_options(CLI::App& command, output_texts& texts);
void check_output_options(const checker& with, const output_texts& texts, table_settings& settings);

// The options of the limit searches, for the commands that search.
struct search_texts {
  std::string method = "exact";
  std::string tolerance;
  bool no_correction = false;
};

void add_search_options(CLI::App& command, search_texts& texts);
void check_search_options(const checker& with, const search_texts& texts, table_settings& settings);

// The options of an uncertain background and efficiency, which every
// command takes (uncertainty_options.cpp).
struct uncertainty_texts {
  std::string b_sigma;
  std::string eff;
  std::string eff_sigma;
  std::string pdf = "gauss";
  std::string b_pdf;
  std::string eff_pdf;
  std::string ordering = "conrad";
};

void add_uncertainty_options(CLI::App& command, uncertainty_texts& texts);
// Checks each value, and every combination with the backgrounds of the
// settings (those of a requests file are checked line by line as it is
// read) and with their method, which must be exact where a sigma is above
// 0. Call it once the backgrounds and the method are in the settings.
void check_uncertainty_options(const checker& with, const uncertainty_texts& texts,
                               table_settings& settings);

// Refuses signal means that pass the largest of their kind once multiplied
// by the largest efficiency (`eff`, typed `eff_text` after `eff_option`):
// the counts' mean is the signal's times the efficiency.
void check_efficient_means(const checker& with, const value_list& mu, const std::string& mu_text,
                           const value_list& eff, std::string_view eff_option,
                           const std::string& eff_text, value_kind kind);

}  // namespace fctable
