#pragma once

#include <cstdint>

#include "limits/search_settings.h"

namespace limits {

// The Feldman-Cousins lower limit on the signal mean for a measured count Nm,
// background b >= 0 and level 0 < cl < 1: the smallest mean whose acceptance
// interval still reaches up to Nm, found by bisection to search_tolerance(b)
// (or the settings' tolerance, or adjacent doubles); 0.0 when the interval
// at zero signal already reaches Nm (so for every Nm <= 0). Overwrites
// current_interval. Throws search_stopped when the settings' stop is
// requested. No I/O, no allocation.
double lower_limit(std::int32_t Nm, double b, double cl, const search_settings& settings = {});

}  // namespace limits
