#pragma once

#include "limits/search_tolerance.h"

namespace limits {

// How finely the limit searches look. The default is the method's own, the
// console's: each search stops at search_tolerance(b). A tolerance t > 0
// stops both searches at width t instead, and the upper search then refines
// the upper half of its bracket down to steps of min(0.005, 50 t), on as many
// levels as that takes, so that it sees every island of acceptance at least
// 100 t wide there.
struct search_settings {
  double tolerance = 0.0;

  double stopping_width(double b) const {
    return tolerance > 0.0 ? tolerance : search_tolerance(b);
  }
};

}  // namespace limits
