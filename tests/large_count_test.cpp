#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "limits/exact_search.h"
#include "limits/lower_limit.h"
#include "limits/search_tolerance.h"
#include "limits/upper_limit.h"

namespace {

// An independent reference for large counts: Poisson probabilities and
// likelihood ratios from logarithms in long double, the same ordering of
// counts, and plain bisection of the region of means that accept Nm.
using real = long double;

real log_poisson(std::int64_t n, real lambda) {
  const auto count = static_cast<real>(n);
  return count * std::log(lambda) - lambda - std::lgamma(count + 1.0L);
}

real log_ratio(std::int64_t n, real mu, real b) {
  if (n < 0) return -std::numeric_limits<real>::infinity();
  const auto count = static_cast<real>(n);
  const real best = count - b > 0 ? count - b : 0;
  return count * std::log((b + mu) / (best + b)) + best - mu;
}

struct count_range {
  std::int64_t low;
  std::int64_t high;
};

count_range reference_interval(real mu, real b, double cl) {
  auto low = static_cast<std::int64_t>(b + mu);
  std::int64_t high = low + 1;
  real coverage = 0;
  while (coverage < static_cast<real>(cl)) {
    if (log_ratio(high, mu, b) >= log_ratio(low, mu, b)) {
      coverage += std::exp(log_poisson(high++, b + mu));
    } else {
      coverage += std::exp(log_poisson(low--, b + mu));
    }
  }
  return {low + 1, high - 1};
}

template <typename Accepts>
real bisect(real accepted, real rejected, Accepts accepts) {
  for (int i = 0; i < 60 && std::fabs(accepted - rejected) > 1e-5L; ++i) {
    const real mid = (accepted + rejected) / 2;
    (accepts(mid) ? accepted : rejected) = mid;
  }
  return (accepted + rejected) / 2;
}

struct large_case {
  std::int32_t Nm;
  double b;
  double cl;
};

// Counts whose searches reach means where e^-mu leaves the normal range
// (from about 680 on) must still get the right limits, and the exact ones
// where the region of means containing the count lies wholly above 700
// (from n = 745 at 90 %), which the exact upper limit once gave as 0.
TEST(large_counts, agree_with_an_independent_calculation) {
  const large_case cases[] = {
      {680, 0.0, 0.90},   {745, 0.0, 0.90},      {800, 3.0, 0.10},
      {1000, 10.0, 0.95}, {5000, 700.0, 0.6827}, {1000000, 0.0, 0.90},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Nm << " " << c.b << " " << c.cl);
    const real Nm = c.Nm;
    const auto b = static_cast<real>(c.b);
    const real spread = 20 * std::sqrt(Nm + b + 1);
    const real upper = bisect(Nm - b, Nm - b + spread,
                              [&](real mu) { return reference_interval(mu, b, c.cl).low <= c.Nm; });
    const real lower = bisect(Nm - b, Nm - b - spread, [&](real mu) {
      return reference_interval(mu, b, c.cl).high >= c.Nm;
    });
    const double tolerance = limits::search_tolerance(c.b);
    EXPECT_NEAR(limits::upper_limit(c.Nm, c.b, c.cl), static_cast<double>(upper), tolerance);
    EXPECT_NEAR(limits::lower_limit(c.Nm, c.b, c.cl), static_cast<double>(lower), tolerance);
    const limits::search_settings exact;
    EXPECT_NEAR(limits::exact_raw_upper_limit(c.Nm, c.b, c.cl, exact), static_cast<double>(upper),
                1e-4);
    EXPECT_NEAR(limits::exact_lower_limit(c.Nm, c.b, c.cl, exact), static_cast<double>(lower),
                1e-4);
  }
}

}  // namespace
