#pragma once

#include <cstdint>

#include "fclimits/fclimits.h"

namespace fclimits::internal {

// The limits of one request whose arguments the caller has checked (it
// checks nothing itself), in a core_call of its own: what limits() calls
// after its checks, and the sums once per count. Throws std::domain_error
// for a computation that leaves the double range, fclimits::stopped on
// request.
interval compute_limits(std::int32_t n, double b, double cl, const options& how);

}  // namespace fclimits::internal
