#pragma once

#include <cstdint>
#include <string>

#include "fclimits/fclimits.h"

namespace fclimits::internal {

// The shortest text that reads back as the same double ("0.1", "-1",
// "nan", "inf").
std::string describe(double value);

// Each throws std::invalid_argument naming the argument and its value where
// it lies outside its domain.
void check_count(std::int32_t n);
void check_background(double b);
void check_mean(double mu);
void check_level(double cl);
void check_options(const options& how);

}  // namespace fclimits::internal
