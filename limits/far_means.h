#pragma once

#include <cstdint>

namespace limits {

// A stretch of build means lambda = b + mu below Nm that the exact search
// for the lower limit need not walk, proven from the ordering of the counts
// (far_means.cpp). No I/O, no allocation.

// The largest build mean lambda_high <= ceiling_lambda such that no interval
// at a build mean in [lambda_low, lambda_high] reaches Nm, for Nm above
// them; lambda_low itself where no stretch is proven.
double excluded_from_above(std::int32_t Nm, double b, double cl, double lambda_low,
                           double ceiling_lambda);

}  // namespace limits
