#pragma once

#include <cstdint>
#include <optional>

#include "limits/search_settings.h"

namespace limits {

// What the exact search asks of a band: does the build's interval reach
// Nm (n_high >= Nm), or contain it?
struct band_request {
  std::int32_t Nm;
  double b;
  double cl;
  bool reaches;
  // The builds one search may still spend settling doubles one by one;
  // each band takes from it. Once spent, long runs are bisected.
  std::uint64_t* builds_left;
};

// The answers over a band of means: whether any double answers yes, and
// the first and last that do.
struct band_answer {
  bool any_yes = false;
  double first_yes = 0.0;
  double last_yes = 0.0;
};

// Settles every double of [x, y], a narrow range around a decision of the
// build that the range proof cannot take; empty where the band is still too
// wide to settle here (the caller halves it). Throws search_stopped on
// request.
std::optional<band_answer> resolve_band(double x, double y, const band_request& request,
                                        const search_settings& settings);

}  // namespace limits
