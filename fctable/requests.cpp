#include "fctable/requests.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "fctable/quoted_text.h"
#include "fctable/value_checks.h"
#include "fctable/value_list.h"

namespace fctable {
namespace {

constexpr std::string_view blanks = " \t\r\n";

// The values of a line, separated by blanks or tabs, or by one comma with or
// without blanks around it ("10,3", "10, 3"); nothing for a comma before the
// first value, after the last or after another.
std::optional<std::vector<std::string_view>> values_of(std::string_view line) {
  std::vector<std::string_view> found;
  bool comma = false;  // a comma since the last value
  // Each pass takes a comma or a value, and the blanks after it.
  for (std::size_t at = line.find_first_not_of(blanks); at != std::string_view::npos;) {
    std::size_t end = at + 1;
    if (line[at] == ',') {
      if (found.empty() || comma) return std::nullopt;
      comma = true;
    } else {
      end = std::min(line.find_first_of(" \t\r\n,", at), line.size());
      found.push_back(line.substr(at, end - at));
      comma = false;
    }
    at = line.find_first_not_of(blanks, end);
  }
  if (comma) return std::nullopt;
  return found;
}

}  // namespace

request_line parse_request_line(std::string_view line) {
  const std::size_t first = line.find_first_not_of(blanks);
  if (first == std::string_view::npos || line[first] == '#') return {};
  constexpr const char* expected = "expected 'n b' or 'n b cl'";
  const std::optional<std::vector<std::string_view>> words = values_of(line);
  if (!words || words->size() > 3 || words->size() < 2) return {false, {}, expected};
  const std::vector<std::string_view>& given = *words;
  constexpr value_kind kinds[] = {value_kind::count, value_kind::background, value_kind::level};
  constexpr const char* names[] = {"n", "b", "cl"};
  double values[3] = {0.0, 0.0, std::numeric_limits<double>::quiet_NaN()};
  for (std::size_t k = 0; k < given.size(); ++k) {
    const std::optional<double> value = parse_number(given[k]);
    if (!value) return {false, {}, quoted(given[k]) + " is not a number; " + expected};
    std::string problem = problem_with(*value, kinds[k]);
    if (!problem.empty()) return {false, {}, names[k] + std::string(" = ") + problem};
    values[k] = *value;
  }
  return {true, {static_cast<std::int32_t>(values[0]), values[1], values[2]}, {}};
}

}  // namespace fctable
