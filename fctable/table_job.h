#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fctable/ordered_rows.h"
#include "fctable/table_settings.h"

namespace fctable {

// How a column's numbers are written.
enum class column_kind {
  count,   // a whole number
  input,   // a value as the user gave it: always its shortest exact form
  result,  // a computed value: its shortest exact form, or rounded by --digits
  word,    // the column's text, the same in every row ("lognormal")
  flag,    // true (any value but 0) or false
};

struct column {
  std::string name;
  column_kind kind;
  std::string text = {};  // a word column's text
};

// The rows one command computes, in the order of its input lists.
class table_job {
 public:
  virtual ~table_job() = default;
  virtual std::vector<column> columns() const = 0;
  // The rows of the whole table.
  virtual std::uint64_t size() const = 0;
  // Computes rows first .. first + count - 1 on `threads` threads and hands
  // them to the sink in order.
  virtual void run(std::uint64_t first, std::uint64_t count, unsigned threads, row_sink& sink) = 0;

  // A line for standard error once the table is written, or "".
  virtual std::string summary() const { return {}; }
};

// The job of the settings, as their command chose it (make_job). Reading a
// requests file checks every line first and throws usage_error for a bad
// one.
std::unique_ptr<table_job> make_table_job(const table_settings& settings);

// The jobs of the commands.
std::unique_ptr<table_job> make_limits_job(const table_settings& settings);
std::unique_ptr<table_job> make_requests_job(const table_settings& settings);
std::unique_ptr<table_job> make_belt_job(const table_settings& settings);
std::unique_ptr<table_job> make_coverage_job(const table_settings& settings);
std::unique_ptr<table_job> make_sensitivity_job(const table_settings& settings);
std::unique_ptr<table_job> make_gaussian_job(const table_settings& settings);
std::unique_ptr<table_job> make_gaussian_belt_job(const table_settings& settings);

}  // namespace fctable
