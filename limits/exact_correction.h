#pragma once

#include <cstdint>

#include "limits/search_settings.h"

namespace limits {

// The corrected upper limit of the exact method: exact_raw_upper_limit at b,
// and where the integer part of b exceeds Nm the highest raw upper limit
// at backgrounds from b to b + 1. Never below the raw limit at b. What is
// proven and what is only measured is written in exact_correction.cpp.
// Overwrites current_interval; throws search_stopped on request; no I/O.
double exact_upper_limit(std::int32_t Nm, double b, double cl, const search_settings& settings);

}  // namespace limits
