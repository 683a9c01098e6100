#include "fctable/value_checks.h"

#include <cmath>
#include <optional>

#include "fclimits/fclimits.h"
#include "fctable/number_text.h"

namespace fctable {
namespace {

std::optional<fclimits::refusal> refusal_of(double x, value_kind kind) {
  switch (kind) {
    case value_kind::count:
      return fclimits::refusal_of_count(x);
    case value_kind::background:
      return fclimits::refusal_of_background(x);
    case value_kind::level:
      return fclimits::refusal_of_level(x);
    case value_kind::mean:
      return fclimits::refusal_of_mean(x);
    case value_kind::coverage_mean:
      return fclimits::refusal_of_coverage_mean(x);
    case value_kind::tolerance:
      return fclimits::refusal_of_tolerance(x);
  }
  return {};
}

}  // namespace

std::string problem_with(double value, value_kind kind) {
  const std::optional<fclimits::refusal> refused = refusal_of(value, kind);
  if (!refused) return {};
  return shortest_text(value) + " " + refused->reason;
}

std::string problem_with(const value_list& values, value_kind kind) {
  for (const value_list::run& run : values.runs()) {
    // A range of whole numbers has a whole start and step: a fraction shows
    // at the first value, or at the second where there is one (a range
    // whose stop comes before its first step holds its start alone).
    if (kind == value_kind::count && !run.whole()) {
      const double first = run.value(0);
      const bool first_whole = std::floor(first) == first;
      if (!first_whole) return problem_with(first, kind);
      if (run.count >= 2) return problem_with(run.value(1), kind);
    }
    for (const double end : {run.value(0), run.value(run.count - 1)}) {
      std::string problem = problem_with(end, kind);
      if (!problem.empty()) return problem;
    }
  }
  return {};
}

}  // namespace fctable
