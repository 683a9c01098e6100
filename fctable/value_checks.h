#pragma once

#include <optional>
#include <string>

#include "fctable/uncertainty_settings.h"
#include "fctable/value_list.h"

namespace fctable {

// What the values of an option must be: the library's rule of each kind.
enum class value_kind {
  count,          // a whole number from 0 to 2147483647
  background,     // from 0 to fclimits::max_background
  level,          // strictly between 0 and 1
  mean,           // from 0 to fclimits::max_mean
  coverage_mean,  // from 0 to fclimits::max_coverage_mean
  tolerance,      // from 0 to fclimits::max_tolerance
  // The uncertainties, each alone; the rules that join them to the
  // background or to eff are problem_with_uncertainties'.
  background_sigma,            // from 0 to fclimits::max_background_sigma
  lognormal_background_sigma,  // from 0 to fclimits::max_background
  efficiency,                  // finite and above 0
  efficiency_sigma,            // finite and >= 0
  // The Gaussian measurement bounded at zero.
  measurement,    // finite
  sigma,          // finite and > 0
  gaussian_mean,  // finite and >= 0
};

// What is wrong with a value, in the library's words after the value
// ("800 is too large: the largest background computed is 705 (...)"), or ""
// when nothing is.
std::string problem_with(double value, value_kind kind);

// The same for the first value of a list that has a problem. Ranges are
// checked at their ends and their step, never value by value.
std::string problem_with(const value_list& values, value_kind kind);

// What is wrong with the combinations of the uncertainties at background b
// when each value alone is taken: a lognormal background's sigma above b
// or at b = 0, an efficiency's sigma above eff. The rules refuse the
// largest sigmas and the smallest eff first, so that combination is the
// one checked. The problem names the refused value and, for one too large,
// what it is too large for: name "b_sigma", problem "2 is too large: a
// lognormal background's sigma is at most b (here b = 1)".
struct uncertainty_problem {
  std::string name;  // b_sigma, eff or eff_sigma
  std::string problem;
};

std::optional<uncertainty_problem> problem_with_uncertainties(double b,
                                                              const uncertainty_settings& u);

// The smallest and largest value of a list that is not empty.
double smallest(const value_list& values);
double largest(const value_list& values);

}  // namespace fctable
