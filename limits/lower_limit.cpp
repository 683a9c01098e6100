#include "limits/lower_limit.h"

#include "limits/interval_decision.h"

namespace limits {

double lower_limit(std::int32_t Nm, double b, double cl, const search_settings& settings) {
  if (decide_interval(0.0, b, cl).n_high >= Nm) return 0.0;
  double low = 0.0;
  double high = static_cast<double>(Nm) - b + 1.0;
  const double tolerance = settings.stopping_width(b);
  // Every pass halves the bracket, and it ends once no double lies inside
  // (at most about 2100 passes, the exponents and bits of a double); a NaN
  // width ends the loop at once.
  while ((high - low) >= tolerance && !adjacent(low, high)) {
    settings.check_stop();
    const double mu = (high + low) / 2;
    if (decide_interval(mu, b, cl).n_high >= Nm) {
      high = mu;
    } else {
      low = mu;
    }
  }
  // The midpoint of the final bracket, not the last trial mean.
  return (high + low) / 2;
}

}  // namespace limits
