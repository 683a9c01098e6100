#include "limits/uncertain_limits.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <optional>
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
// Crossings of two counts' ratios are located to this, relative above
// s = 1, and looked at this far beyond each end of their bracket.
constexpr double crossing_width = 1e-10;

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
  double before_n;  // what the counts ranked before n hold
};

// The denominators use q.at only, which leaves the counts as they are.
// before_n, if given, gets 1 for each count ranked before n, and
// probabilities a copy of the counts' q.
verdict verdict_at(uncertain_probability& q, std::int32_t n, double s, double cl,
                   std::vector<char>* before_n = nullptr,
                   std::vector<double>* probabilities = nullptr) {
  const std::span<const double> counts = q.counts_at(s);
  if (probabilities != nullptr) probabilities->assign(counts.begin(), counts.end());
  const double probability = probability_of(counts, n);
  // Exact comparison: a count the mixture never reaches ranks last, and is
  // never divided as 0 / 0.
  const double own = probability == 0.0 ? 0.0 : probability / q.denominator(n);
  if (before_n != nullptr) before_n->assign(counts.size(), 0);
  double before = 0.0;
  double up_to_n = 0.0;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const auto m = static_cast<std::int32_t>(i);
    if (m <= n) up_to_n += counts[i];
    if (m == n || counts[i] < ignored_probability) continue;
    if (ranked_before(counts[i] / q.denominator(m), m, own, n)) {
      before += counts[i];
      if (before_n != nullptr) (*before_n)[i] = 1;
    }
  }
  return {before < cl, up_to_n, before};
}

// Where count m's ratio meets n's between a and b, as a bracket [low, high]
// of width crossing_width max(1, s), by the Illinois method on the smooth
// difference of their log ratios, halving where it is not finite; none
// where the two are ranked alike at both ends (the count's q passed
// ignored_probability instead: it moves the sums by less than that).
struct bracket {
  double low;
  double high;
};

std::optional<bracket> crossing(uncertain_probability& q, std::int32_t n, std::int32_t m, double a,
                                double b) {
  const double log_n = std::log(q.denominator(n));
  const double log_m = std::log(q.denominator(m));
  const auto gap = [&](double s) {
    return (std::log(q.at(m, s)) - log_m) - (std::log(q.at(n, s)) - log_n);
  };
  double low = a;
  double high = b;
  double g_low = gap(low);
  double g_high = gap(high);
  if (std::isnan(g_low) || std::isnan(g_high) || (g_low > 0.0) == (g_high > 0.0)) return {};
  std::int32_t same_side = 0;  // Illinois: halve the weight of an end kept twice
  for (std::int32_t step = 0; step < max_halvings; ++step) {
    if (high - low <= crossing_width * std::max(1.0, high)) break;
    double next = low + (high - low) / 2.0;
    if (std::isfinite(g_low) && std::isfinite(g_high)) {
      const double w_low = same_side < -1 ? 0.5 : 1.0;
      const double w_high = same_side > 1 ? 0.5 : 1.0;
      const double secant =
          (low * g_high * w_low - high * g_low * w_high) / (g_high * w_low - g_low * w_high);
      if (secant > low && secant < high) next = secant;
    }
    const double g = gap(next);
    if (std::isnan(g)) break;
    if ((g > 0.0) == (g_low > 0.0)) {
      low = next;
      g_low = g;
      same_side = same_side > 0 ? same_side + 1 : 1;
    } else {
      high = next;
      g_high = g;
      same_side = same_side < 0 ? same_side - 1 : -1;
    }
  }
  return bracket{low, high};
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
                                    const fclimits::stop_token* stop) {
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

  // One step's end: its verdict, the counts ranked before n there and
  // every count's q.
  struct scan_point {
    double s = 0.0;
    verdict v{};
    std::vector<char> before;
    std::vector<double> probabilities;
  };

  const auto look = [&](scan_point& p, double s) {
    check_stop();
    p.s = s;
    p.v = verdict_at(q, n, s, cl, &p.before, &p.probabilities);
  };
  // Islands begin or end where n's ratio crosses another count's: the
  // counts ranked before n change, and what they hold jumps. Between two
  // steps each count ranked before n at one end and not at the other has
  // such a crossing; the side of it where that count is not ranked before n
  // is looked at, where n may be inside. Skipped where it cannot be: n lies
  // outside at both ends by more than the count's q (twice its larger value
  // at the ends) and all the counts' q move between them. fine: an island
  // found is also bisected to its other end.
  const auto look_at_crossings = [&](const scan_point& a, const scan_point& b, bool fine) {
    if (a.v.contains && b.v.contains) return;  // the stretch lies between the extremes
    const std::size_t counts = std::max(a.probabilities.size(), b.probabilities.size());
    const auto at = [](const std::vector<double>& v, std::size_t i) {
      return i < v.size() ? v[i] : 0.0;
    };
    double moved = 0.0;
    for (std::size_t i = 0; i < counts; ++i)
      moved += std::abs(at(b.probabilities, i) - at(a.probabilities, i));
    const double margin = std::min(a.v.before_n, b.v.before_n) - cl;
    for (std::size_t i = 0; i < counts; ++i) {
      const bool was = i < a.before.size() && a.before[i] != 0;
      const bool is = i < b.before.size() && b.before[i] != 0;
      if (was == is) continue;
      const double jump = 2.0 * std::max(at(a.probabilities, i), at(b.probabilities, i));
      if (jump + moved < margin) continue;
      const auto m = static_cast<std::int32_t>(i);
      const std::optional<bracket> c = crossing(q, n, m, a.s, b.s);
      if (!c) continue;
      // Leaving: n may be inside just above; joining: just below.
      const double point = was ? c->high + crossing_width * std::max(1.0, c->high)
                               : c->low - crossing_width * std::max(1.0, c->low);
      if (!(point > a.s && point < b.s) || !contains(point)) continue;
      take(point);
      if (!fine) continue;
      if (was && !b.v.contains) take(edge(point, b.s));
      if (!was && !a.v.contains) take(edge(point, a.s));
    }
  };
  // Scans from `from` in steps of the scan step over `divisor`, for at most
  // `steps` steps (the finer look, which bisects each change) or, with
  // steps < 0, until the counts up to n hold almost nothing (see the
  // header).
  const auto scan = [&](double from, double divisor, std::int32_t steps) {
    const bool fine = steps >= 0;
    scan_point here;
    scan_point next;
    look(here, from);
    if (here.v.contains) take(from);
    const std::int32_t cap = fine ? steps : max_scan_steps;
    for (std::int32_t step = 0; step < cap; ++step) {
      look(next, here.s + scan_step(q.model(), here.s) / divisor);
      // Only the finer look bisects: it covers the changes next to both
      // extremes the first look finds, and the ones between move nothing.
      if (fine && next.v.contains != here.v.contains) {
        take(next.v.contains ? edge(next.s, here.s) : edge(here.s, next.s));
      }
      if (next.v.contains) take(next.s);
      look_at_crossings(here, next, fine);
      std::swap(here, next);
      if (!fine && !here.v.contains) {
        if (here.v.up_to_n < scan_end_share * (1.0 - cl)) break;
        if (result.found &&
            here.s > far_factor * result.upper + far_steps * scan_step(q.model(), result.upper)) {
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
