#include "fctable/requests.h"

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "fctable/quoted_text.h"
#include "fctable/value_checks.h"
#include "fctable/value_list.h"

namespace fctable {
namespace {

std::vector<std::string_view> words(std::string_view line) {
  constexpr std::string_view blanks = " \t\r\n";
  std::vector<std::string_view> found;
  for (std::size_t from = line.find_first_not_of(blanks); from != std::string_view::npos;) {
    const std::size_t end = std::min(line.find_first_of(blanks, from), line.size());
    found.push_back(line.substr(from, end - from));
    from = line.find_first_not_of(blanks, end);
  }
  return found;
}

}  // namespace

request_line parse_request_line(std::string_view line) {
  const std::vector<std::string_view> given = words(line);
  if (given.empty() || given[0].front() == '#') return {};
  constexpr const char* expected = "expected 'n b' or 'n b cl'";
  if (given.size() > 3 || given.size() < 2) return {false, {}, expected};
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
