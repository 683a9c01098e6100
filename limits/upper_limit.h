#pragma once

#include <cstdint>

#include "limits/search_settings.h"

namespace limits {

// The bracketing search at one background b >= 0 for a measured count Nm and
// level 0 < cl < 1: the largest mean whose acceptance interval still accepts
// Nm (n_low <= Nm), to search_tolerance(b) (or the settings' tolerance).
// For Nm < b, where the lowest accepted count can step back as the mean
// rises, the bracket's upper half is scanned on finer grids before it is
// given up. Where no mean accepts Nm, because the interval at zero signal
// already starts above it (possible only at levels below about 0.63), 0.0.
// Overwrites current_interval. Throws search_stopped when the settings' stop
// is requested. No I/O, no allocation.
double raw_upper_limit(std::int32_t Nm, double b, double cl, const search_settings& settings = {});

// The Feldman-Cousins upper limit: raw_upper_limit at b, and, where the
// integer part of b exceeds Nm, the highest value the raw limit reaches at
// backgrounds from b up to about b + 1 when it rises there (a background
// scan, a walk up to its peak but no further than b + 2, a golden-section
// search of the peak). Never below raw_upper_limit(Nm, b, cl). The settings
// apply to every raw search. Overwrites current_interval. No I/O, no
// allocation.
double upper_limit(std::int32_t Nm, double b, double cl, const search_settings& settings = {});

}  // namespace limits
