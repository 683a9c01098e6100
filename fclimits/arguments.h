#pragma once

#include <cstdint>
#include <string>

#include "fclimits/fclimits.h"

namespace fclimits::internal {

// The shortest text that reads back as the same double ("0.1", "-1",
// "nan", "inf").
std::string describe(double value);

// Each throws what its refusal_of_* rule refuses: std::invalid_argument, or
// std::domain_error for a value too large, with a message naming the
// argument and its value. Call them inside an environment_guard: a NaN
// compared is an invalid operation, which a caller's trap would catch.
void check_count(std::int32_t n);
void check_background(double b);
void check_mean(double mu);
void check_coverage_mean(double mu);
void check_level(double cl);
void check_options(const options& how);
void check_measurement(double x);
void check_sigma(double sigma);
void check_gaussian_mean(double mu);
void check_uncertainties(double b, const uncertainties& u);
void check_method(search_method method, const uncertainties& u);
void check_truth(const truth& drawn);

}  // namespace fclimits::internal
