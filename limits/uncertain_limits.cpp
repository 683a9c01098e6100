#include "limits/uncertain_limits.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numeric>
#include <span>
#include <vector>

namespace limits {

namespace {

// Counts below this probability are left out of the ranking: there are
// fewer than 1e4 of them in any region computed here, so together they
// hold less than 1e-12.
constexpr double ignored_probability = 1e-16;
constexpr double scan_end_share = 1e-3;  // of 1 - cl, held by the counts up to n
constexpr double edge_width = 1e-8;      // bisection bracket, relative above s = 1
constexpr std::int32_t max_halvings = 100;

double probability_of(std::span<const double> counts, std::int32_t n) {
  const auto index = static_cast<std::size_t>(n);
  return index < counts.size() ? counts[index] : 0.0;
}

// Whether count a is ranked before count b: the higher ratio first, a tie to
// the higher count.
bool ranked_before(double ratio_a, std::int32_t a, double ratio_b, std::int32_t b) {
  return ratio_a > ratio_b || (ratio_a == ratio_b && a > b);  // exact: a tie
}

double scan_step(const uncertain_model& m, double s) {
  const double eps = m.efficiency.nominal;
  return scan_step_fraction * std::sqrt(eps * s + m.background.nominal + 1.0) / eps;
}

// Whether the region at s contains n, and what the counts up to n hold,
// from one pass over the counts.
struct verdict {
  bool contains;
  double up_to_n;
};

// The denominators use q.at only, which leaves the counts as they are.
verdict verdict_at(uncertain_probability& q, std::int32_t n, double s, double cl) {
  const std::span<const double> counts = q.counts_at(s);
  const double own = probability_of(counts, n) / q.denominator(n);
  double before = 0.0;
  double up_to_n = 0.0;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const auto m = static_cast<std::int32_t>(i);
    if (m <= n) up_to_n += counts[i];
    if (m == n || counts[i] < ignored_probability) continue;
    if (ranked_before(counts[i] / q.denominator(m), m, own, n)) before += counts[i];
  }
  return {before < cl, up_to_n};
}

}  // namespace

uncertain_region uncertain_acceptance_region(uncertain_probability& q, double s, double cl) {
  const std::span<const double> counts = q.counts_at(s);

  struct ranked {
    double ratio;
    std::int32_t n;
  };

  std::vector<ranked> order;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    if (counts[i] < ignored_probability) continue;
    const auto n = static_cast<std::int32_t>(i);
    order.push_back({counts[i] / q.denominator(n), n});
  }
  std::sort(order.begin(), order.end(), [](const ranked& a, const ranked& b) {
    return ranked_before(a.ratio, a.n, b.ratio, b.n);
  });
  uncertain_region region;
  region.n_low = order.empty() ? 0 : order.front().n;
  region.n_high = region.n_low;
  std::int32_t taken = 0;
  for (const ranked& r : order) {
    if (region.coverage >= cl) break;
    region.coverage += probability_of(counts, r.n);
    region.n_low = std::min(region.n_low, r.n);
    region.n_high = std::max(region.n_high, r.n);
    ++taken;
  }
  region.contiguous = taken == region.n_high - region.n_low + 1;
  return region;
}

bool uncertain_region_contains(uncertain_probability& q, std::int32_t n, double s, double cl) {
  return verdict_at(q, n, s, cl).contains;
}

uncertain_interval uncertain_limits(uncertain_probability& q, std::int32_t n, double cl) {
  assert(n >= 0);
  const auto contains = [&](double s) { return uncertain_region_contains(q, n, s, cl); };
  // Halves [inside, outside] (the region at `inside` contains n, the one at
  // `outside` does not) and returns the inside end.
  const auto edge = [&](double inside, double outside) {
    for (std::int32_t step = 0; step < max_halvings; ++step) {
      if (std::abs(outside - inside) <= edge_width * std::max(1.0, std::abs(inside))) break;
      const double middle = inside + (outside - inside) / 2.0;
      if (middle == inside || middle == outside) break;  // exact: adjacent doubles
      (contains(middle) ? inside : outside) = middle;
    }
    return inside;
  };
  uncertain_interval result;
  double s = 0.0;
  bool inside = contains(s);
  if (inside) result = {0.0, 0.0, true};
  for (std::int32_t step = 0; step < max_scan_steps; ++step) {
    const double next = s + scan_step(q.model(), s);
    const verdict v = verdict_at(q, n, next, cl);
    const bool next_inside = v.contains;
    if (next_inside != inside) {
      const double limit = next_inside ? edge(next, s) : edge(s, next);
      if (!result.found) result = {limit, limit, true};
      result.upper = limit;
    } else if (next_inside) {
      result.upper = next;
    }
    s = next;
    inside = next_inside;
    if (!inside && v.up_to_n < scan_end_share * (1.0 - cl)) break;
  }
  return result;
}

}  // namespace limits
