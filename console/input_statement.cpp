#include "console/input_statement.h"

#include <cstdint>
#include <optional>

#include "console/console_unit.h"

namespace console {

void input_statement::begin() noexcept {
  before_console_read();
  lines_->begin_statement();
  scanner_.reset();
}

namespace {

// Stores a converted value, or passes its conversion error on.
template <typename Item, typename Result>
std::optional<error_code> store(Item& item, const Result& converted) noexcept {
  if (converted.error) return converted.error;
  item = converted.value;
  return std::nullopt;
}

}  // namespace

std::optional<error_code> input_statement::transfer(std::int32_t& count) noexcept {
  bool has_value = false;
  if (const auto failure = next_value(has_value)) return failure;
  return has_value ? store(count, scanner_.count()) : std::nullopt;
}

std::optional<error_code> input_statement::transfer(double& real) noexcept {
  bool has_value = false;
  if (const auto failure = next_value(has_value)) return failure;
  return has_value ? store(real, scanner_.real()) : std::nullopt;
}

std::optional<error_code> input_statement::end() noexcept {
  if (scanner_.ended_at_line_end()) return std::nullopt;
  return lines_->discard_line();
}

std::optional<error_code> input_statement::next_value(bool& has_value) noexcept {
  has_value = false;
  if (scanner_.skips_remaining_items()) return std::nullopt;
  if (const auto failure = scanner_.scan(*lines_)) return failure;
  switch (scanner_.kind()) {
    case value_kind::null:
      return std::nullopt;
    case value_kind::enclosed:
      return error_code::invalid_number;
    case value_kind::plain:
      has_value = true;
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace console
