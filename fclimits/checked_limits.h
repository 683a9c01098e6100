#pragma once

#include <cstdint>

#include "fclimits/fclimits.h"

namespace fclimits::internal {

// limits() for arguments already checked, each call in a core_call of its
// own: what the sums call once per count.
interval checked_limits(std::int32_t n, double b, double cl, const options& how);

}  // namespace fclimits::internal
