#include "limits/uncertain_limits.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <span>
#include <vector>

#include "limits/search_settings.h"

namespace limits {

namespace {

// Counts below this probability are left out of the ranking: together they
// hold less than 1e-16 per count of the range, so below 1e-12 up to 1e4
// counts (counts near 1e8 and beyond would leave out more).
constexpr double ignored_probability = 1e-16;
constexpr double scan_end_share = 1e-3;  // of 1 - cl, held by the counts up to n
constexpr double edge_width = 1e-8;      // bisection bracket, relative above s = 1
constexpr std::int32_t max_halvings = 100;
constexpr std::int32_t max_doublings = 64;
constexpr double fine_divisor = 10.0;  // the second look's steps, per scan step
constexpr double edge_reach = 2.0;     // scan steps each side of an edge looked at again
// The scan also ends this far past the largest signal found to contain n
// (times it, plus far_steps steps): with an efficiency whose pdf reaches 0
// the counts up to n fall only as 1 / s, and the first rule alone would
// scan to hundreds of times the limit.
constexpr double far_factor = 4.0;
constexpr double far_steps = 20.0;

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
  const double probability = probability_of(counts, n);
  // Exact comparison: a count the mixture never reaches ranks last, and is
  // never divided as 0 / 0.
  const double own = probability == 0.0 ? 0.0 : probability / q.denominator(n);
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

// Where the scan starts: the largest s found (to 1e-3 of it) at which the
// counts from n up hold less than scan_end_share (1 - cl), the rule that
// ends the scan, from the other side; 0 where they hold more at s = 0. They
// grow with s (each Poisson distribution of the mixture moves up), so the
// signals below hold even less.
double scan_start(uncertain_probability& q, std::int32_t n, double cl) {
  const double threshold = scan_end_share * (1.0 - cl);
  const auto from_n_up = [&](double s) {
    const std::span<const double> counts = q.counts_at(s);
    double sum = 0.0;
    for (std::size_t m = counts.size(); m > static_cast<std::size_t>(n); --m) sum += counts[m - 1];
    return sum;
  };
  if (from_n_up(0.0) >= threshold) return 0.0;
  double low = 0.0;
  double high = 1.0;
  for (std::int32_t step = 0; step < max_doublings && from_n_up(high) < threshold; ++step) {
    low = high;
    high *= 2.0;
  }
  for (std::int32_t step = 0; step < max_halvings && high - low > 1e-3 * high; ++step) {
    const double middle = low + (high - low) / 2.0;
    (from_n_up(middle) < threshold ? low : high) = middle;
  }
  return low;
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

uncertain_interval uncertain_limits(uncertain_probability& q, std::int32_t n, double cl,
                                    const std::stop_token* stop) {
  assert(n >= 0);
  const auto check_stop = [&] {
    if (stop != nullptr && stop->stop_requested()) throw search_stopped{};
  };
  const auto contains = [&](double s) {
    check_stop();
    return uncertain_region_contains(q, n, s, cl);
  };
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
  const auto take = [&](double limit) {
    if (!result.found) result = {limit, limit, true};
    result.lower = std::min(result.lower, limit);
    result.upper = std::max(result.upper, limit);
  };
  // Scans from `from` in steps of the scan step over `divisor`, bisecting
  // each change, for at most `steps` steps or, with steps < 0, until the
  // counts up to n hold almost nothing (see the header).
  const auto scan = [&](double from, double divisor, std::int32_t steps) {
    double s = from;
    bool inside = contains(s);
    if (inside) take(s);
    const std::int32_t cap = steps < 0 ? max_scan_steps : steps;
    for (std::int32_t step = 0; step < cap; ++step) {
      const double next = s + scan_step(q.model(), s) / divisor;
      check_stop();
      const verdict v = verdict_at(q, n, next, cl);
      if (v.contains != inside) take(v.contains ? edge(next, s) : edge(s, next));
      if (v.contains) take(next);
      s = next;
      inside = v.contains;
      if (steps < 0 && !inside) {
        if (v.up_to_n < scan_end_share * (1.0 - cl)) break;
        if (result.found &&
            s > far_factor * result.upper + far_steps * scan_step(q.model(), result.upper)) {
          break;
        }
      }
    }
  };
  scan(scan_start(q, n, cl), 1.0, -1);
  if (!result.found) return result;
  // Islands and gaps narrower than a step lie next to the edges: look again
  // there, in steps ten times finer, over edge_reach steps each side.
  const double lower = result.lower;
  const double upper = result.upper;
  const double below = std::max(0.0, lower - edge_reach * scan_step(q.model(), lower));
  scan(below, fine_divisor, static_cast<std::int32_t>(2.0 * edge_reach * fine_divisor));
  const double before = std::max(0.0, upper - edge_reach * scan_step(q.model(), upper));
  scan(before, fine_divisor, static_cast<std::int32_t>(2.0 * edge_reach * fine_divisor));
  return result;
}

}  // namespace limits
