#pragma once

#include <cstdint>
#include <limits>

#include "limits/search_settings.h"

namespace limits {

// The exact limits: the extreme means whose acceptance interval, exactly as
// build_acceptance_interval builds it, reaches or contains the measured
// count Nm, each located to adjacent doubles, with every other mean proven
// not to (exact_search.cpp says how, and where the proof gives way to a
// plainer search). Background b >= 0, level 0 < cl < 1. They overwrite
// current_interval, throw search_stopped when the settings' stop is
// requested, and do no I/O.

// The smallest mean mu >= 0 whose interval reaches Nm (n_high >= Nm): the
// interval at the reported value reaches Nm and the one at the double below
// it does not. 0.0 when the interval at zero signal reaches Nm.
double exact_lower_limit(std::int32_t Nm, double b, double cl, const search_settings& settings);

// The largest mean whose interval contains Nm (n_low <= Nm <= n_high), every
// island of acceptance included: the interval at the reported value
// contains Nm and the one at the double above it does not. 0.0 where no mean
// accepts Nm (possible only at levels below about 0.63). With a ceiling, the
// largest such mean up to it.
double exact_raw_upper_limit(std::int32_t Nm, double b, double cl, const search_settings& settings,
                             double ceiling = std::numeric_limits<double>::infinity());

}  // namespace limits
