#include "fctable/value_checks.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "fclimits/fclimits.h"
#include "fctable/number_text.h"

namespace fctable {
namespace {

constexpr double largest_count = std::numeric_limits<std::int32_t>::max();

std::string expected(value_kind kind) {
  switch (kind) {
    case value_kind::count:
      return "a count (a whole number from 0 to 2147483647)";
    case value_kind::background:
      return "a background from 0 to " + shortest_text(fclimits::max_background);
    case value_kind::level:
      return "a confidence level (strictly between 0 and 1)";
    case value_kind::mean:
      return "a signal mean (a number >= 0)";
  }
  return {};
}

bool acceptable(double x, value_kind kind) {
  switch (kind) {
    case value_kind::count:
      return x >= 0.0 && x <= largest_count && std::floor(x) == x;
    case value_kind::background:
      return x >= 0.0 && x <= fclimits::max_background;
    case value_kind::level:
      return x > 0.0 && x < 1.0;
    case value_kind::mean:
      return x >= 0.0 && std::isfinite(x);
  }
  return false;
}

}  // namespace

std::string problem_with(double value, value_kind kind) {
  if (acceptable(value, kind)) return {};
  return shortest_text(value) + " is not " + expected(kind);
}

std::string problem_with(const value_list& values, value_kind kind) {
  for (const value_list::run& run : values.runs()) {
    // A range of whole numbers has a whole start and step: a fraction shows
    // at the first or the second value.
    if (kind == value_kind::count && !run.whole()) {
      const double first = run.value(0);
      return problem_with(std::floor(first) == first ? run.value(1) : first, kind);
    }
    for (const double end : {run.value(0), run.value(run.count - 1)}) {
      std::string problem = problem_with(end, kind);
      if (!problem.empty()) return problem;
    }
  }
  return {};
}

}  // namespace fctable
