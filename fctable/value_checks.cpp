#include "fctable/value_checks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "fclimits/fclimits.h"
#include "fctable/number_text.h"

namespace fctable {
namespace {

// An uncertainty alone: with the background and efficiency that let it be
// as large as any.
std::optional<fclimits::refusal> refusal_alone(const fclimits::uncertainties& u) {
  std::optional<fclimits::named_refusal> refused =
      fclimits::refusal_of_uncertainties(fclimits::max_background, u);
  if (!refused) return {};
  return std::move(refused->refused);
}

std::optional<fclimits::refusal> refusal_of(double x, value_kind kind) {
  using fclimits::pdf_shape;
  constexpr double any_eff = std::numeric_limits<double>::max();
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
    case value_kind::background_sigma:
      return refusal_alone({.b_sigma = x});
    case value_kind::lognormal_background_sigma:
      return refusal_alone({.b_sigma = x, .b_pdf = pdf_shape::lognormal});
    case value_kind::efficiency:
      return refusal_alone({.eff = x});
    case value_kind::efficiency_sigma:
      return refusal_alone({.eff = any_eff, .eff_sigma = x});
    case value_kind::measurement:
      return fclimits::refusal_of_measurement(x);
    case value_kind::sigma:
      return fclimits::refusal_of_sigma(x);
    case value_kind::gaussian_mean:
      return fclimits::refusal_of_gaussian_mean(x);
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

std::optional<uncertainty_problem> problem_with_uncertainties(double b,
                                                              const uncertainty_settings& u) {
  const fclimits::uncertainties hardest = {
      largest(u.b_sigma), smallest(u.eff), largest(u.eff_sigma), u.b_pdf, u.eff_pdf, u.ordering};
  const std::optional<fclimits::named_refusal> refused =
      fclimits::refusal_of_uncertainties(b, hardest);
  if (!refused) return std::nullopt;
  std::string problem = shortest_text(refused->value) + " " + refused->refused.reason;
  if (refused->refused.too_large) {
    problem += refused->name == "eff_sigma" ? " (here eff = " + shortest_text(hardest.eff) + ")"
                                            : " (here b = " + shortest_text(b) + ")";
  }
  return uncertainty_problem{refused->name, std::move(problem)};
}

// The values of a run rise with i: its ends are its extremes.
double smallest(const value_list& values) {
  double least = values.runs().front().value(0);
  for (const value_list::run& run : values.runs()) least = std::min(least, run.value(0));
  return least;
}

double largest(const value_list& values) {
  double most = values.runs().front().value(0);
  for (const value_list::run& run : values.runs()) most = std::max(most, run.value(run.count - 1));
  return most;
}

}  // namespace fctable
