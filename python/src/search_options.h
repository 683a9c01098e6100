#pragma once

#include <stdexcept>
#include <stop_token>
#include <string>

#include "fclimits/fclimits.h"

namespace fclimits::python {

// The library's options from the package's checked arguments; method is
// "exact" or "console".
inline options search_options(const std::string& method, double tolerance, bool correct_upper,
                              std::stop_token stop) {
  if (method != "exact" && method != "console") {
    throw std::invalid_argument("fclimits: no search method " + method);
  }
  return {.method = method == "exact" ? search_method::exact : search_method::console,
          .tolerance = tolerance,
          .correct_upper = correct_upper,
          .stop = std::move(stop)};
}

}  // namespace fclimits::python
