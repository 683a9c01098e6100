#pragma once

#include <string>

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
};

// What is wrong with a value, in the library's words after the value
// ("800 is too large: the largest background computed is 705 (...)"), or ""
// when nothing is.
std::string problem_with(double value, value_kind kind);

// The same for the first value of a list that has a problem. Ranges are
// checked at their ends and their step, never value by value.
std::string problem_with(const value_list& values, value_kind kind);

}  // namespace fctable
