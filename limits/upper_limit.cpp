#include "limits/upper_limit.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "limits/checked_math.h"
#include "limits/interval_decision.h"

namespace limits {
namespace {

// Grid sizes of the scan levels: level 1 (coarse) with refinement off and on,
// then levels 2, 3 and 4, which refine the upper half of the bracket.
constexpr int coarse_grid_without_refinement = 2;
constexpr int coarse_grid_with_refinement = 10;
constexpr std::array<int, 3> refinement_grids = {20, 500, 5000};
constexpr double smallest_refinement_step = 0.005;
// With a tolerance of its own, the refinement steps down to this many times
// the tolerance (so it sees islands of acceptance twice as wide), on further
// levels of ten times the points each.
constexpr double tolerance_refinement_factor = 50.0;
constexpr int further_level_growth = 10;
// Refinement points between two looks at the settings' stop.
constexpr std::int64_t stop_check_points = 4096;

constexpr double background_step = 0.1;
constexpr double background_scan_reach = 1.0;
constexpr double peak_walk_step = 0.05;
// The scan looks at backgrounds up to about b + 1; the walk goes at most one
// unit beyond. At large backgrounds the tolerance 0.0005 b quantises the raw
// limit into plateaus, along which an unbounded walk would climb until the
// terms overflow.
constexpr double peak_walk_reach = 2.0;
constexpr double peak_margin = 0.05;
constexpr double golden_tolerance = 0.001;
constexpr double golden_ratio = 0.61803399;
// 1 - R in double: 0.38196600999999997, one unit in the last place below the
// double nearest 0.38196601.
constexpr double golden_complement = 1.0 - golden_ratio;

// Does the mean mu, at background b, accept the count Nm? Every interval
// holds floor(b + mu) or the count above it, so its lowest count is at most
// floor(b + mu) + 1: below Nm the answer is yes without a build. (For large
// counts the high-end walk takes sqrt(Nm) steps, and each build costs about
// sqrt(Nm) terms.)
bool accepts(double mu, double b, double cl, std::int32_t Nm) {
  if (std::floor(b + mu) < static_cast<double>(Nm)) return true;
  return decide_interval(mu, b, cl).n_low <= Nm;
}

// The refinement's levels: the method's three, or with a tolerance of its
// own as many more as it takes to step down to the tolerance's smallest step.
struct refinement_plan {
  double smallest_step = smallest_refinement_step;
  bool further_levels = false;
};

refinement_plan plan_for(const search_settings& settings) {
  if (!(settings.tolerance > 0.0)) return {};
  const double refined = std::max(settings.tolerance, finest_refinement);
  return {std::min(smallest_refinement_step, tolerance_refinement_factor * refined), true};
}

// One refinement pass over the upper half of [low, high]: levels 2, 3 and 4
// (and beyond, by the plan) on ever finer grids. Returns true and moves low
// to the highest accepted point where one is found.
bool refine_upper_half(std::int32_t Nm, double b, double cl, const search_settings& settings,
                       const refinement_plan& plan, double& low, double high) {
  bool found = false;
  bool step_back = false;
  bool finished = false;
  double best = low;
  double grid = 0.0;  // points of the level, as a Real: further levels grow past int
  for (std::size_t level = 0; !finished; ++level) {
    if (level < refinement_grids.size()) {
      grid = refinement_grids[level];
    } else if (plan.further_levels) {
      grid *= further_level_growth;
    } else {
      break;
    }
    double step = (high - low) / (2 * grid);
    if (step < plan.smallest_step) {
      // The smallest step caps the grid, and this level is the last.
      grid = std::trunc((high - low) / (plan.smallest_step * 2)) + 1;
      step = (high - low) / (2 * grid);
      finished = true;
    }
    const auto n = static_cast<std::int64_t>(grid);
    // The midpoint only sets the count the first point is compared with.
    // Along the level the means rise: a proved range answers several at once.
    interval_scan scan(b, cl);
    std::int32_t previous = scan.at((low + high) / 2).n_low;
    for (std::int64_t i = 1; i <= n - 1; ++i) {
      // A level of the finest plan holds up to about 10^7 points.
      if (i % stop_check_points == 0) settings.check_stop();
      const double point = static_cast<double>(n + i) * step + low;
      const std::int32_t n_low = scan.at(point).n_low;
      if (n_low <= Nm) {
        best = point;
        found = true;
      }
      if (n_low < previous) step_back = true;
      previous = n_low;
    }
    if (found) {
      low = best;
      finished = true;
    } else if (!step_back && level >= 1) {
      // The finer levels run only once the lowest count has stepped back.
      finished = true;
    }
  }
  return found;
}

}  // namespace

double raw_upper_limit(std::int32_t Nm, double b, double cl, const search_settings& settings) {
  const double count = static_cast<double>(Nm);
  double low = count - b > 0.0 ? count - b : 0.0;
  const bool refine = count < b;
  const int coarse_grid = refine ? coarse_grid_with_refinement : coarse_grid_without_refinement;
  if (refine) {
    // Unit steps up to one below the first mean that rejects Nm. The lowest
    // accepted count grows without bound with the mean (a mean beyond
    // 32-bit counts raises the invalid-operation exception), so this ends.
    while (accepts(low, b, cl, Nm)) low += 1.0;
    // At the method's levels zero signal always accepts Nm. Below about 0.63
    // the interval at zero signal can start above Nm; the search then has no
    // accepted mean to start from, and the interval on the signal is empty,
    // reported as 0.0.
    if (low == 0.0) return 0.0;
    low -= 1.0;
  }
  const double h = checked_sqrt(count + b + 1.0);
  double high = 3.0 * h;
  while (accepts(high, b, cl, Nm)) high += h;
  const double tolerance = settings.stopping_width(b);
  const refinement_plan plan = plan_for(settings);

  // Each pass raises low by at least one grid step or halves the bracket,
  // until no double lies inside it.
  while ((high - low) >= tolerance && !adjacent(low, high)) {
    settings.check_stop();
    const double step = (high - low) / coarse_grid;
    double best = low;
    for (int i = 1; i <= coarse_grid - 1; ++i) {
      const double point = i * step + low;
      if (accepts(point, b, cl, Nm)) best = point;
    }
    if (best > low) {
      low = best;
      continue;
    }
    const bool found = refine && refine_upper_half(Nm, b, cl, settings, plan, low, high);
    if (!found) high = (low + high) / 2;
  }
  return (low + high) / 2;
}

double upper_limit(std::int32_t Nm, double b, double cl, const search_settings& settings) {
  auto raw = [&](double background) { return raw_upper_limit(Nm, background, cl, settings); };
  const double u0 = raw(b);
  if (!(std::trunc(b) > static_cast<double>(Nm))) return u0;

  // Background scan: the first background step at which the raw limit rises.
  double x = b;
  double fx = u0;
  const double top = b + background_scan_reach;
  double f = 0.0;
  bool rise = false;
  while (x <= top) {
    f = raw(x + background_step);
    if (f > fx) {
      rise = true;
      break;
    }
    fx = f;
    x = x + background_step;
  }
  if (!rise) return u0;

  // Peak walk: up in steps while the raw limit does not fall, to b + 2 at
  // most. The first repetition never stops, so the walk starts from
  // a = x + 0.1.
  double a = x + background_step - peak_walk_step;
  double fa = f;
  const double walk_end = b + peak_walk_reach;
  while (!(f < fa) && a <= walk_end) {
    fa = f;
    a = a + peak_walk_step;
    f = raw(a + peak_walk_step);
  }
  double z = a + peak_walk_step;
  if (fa + peak_margin < u0) return u0;

  // Golden-section search for the peak on [x, z], around a.
  double x1 = 0.0;
  double x2 = 0.0;
  double fx1 = 0.0;
  double fx2 = 0.0;
  if ((z - a) > (a - x)) {
    x1 = a;
    fx1 = fa;
    x2 = a + golden_complement * (z - a);
    fx2 = raw(x2);
  } else {
    x2 = a;
    fx2 = fa;
    x1 = a - golden_complement * (a - x);
    fx1 = raw(x1);
  }
  while ((z - x) >= golden_tolerance) {
    if (fx2 > fx1) {
      x = x1;
      x1 = x2;
      x2 = golden_complement * z + golden_ratio * x1;
      fx1 = fx2;
      fx2 = raw(x2);
    } else {  // ties shrink from the right
      z = x2;
      x2 = x1;
      x1 = golden_complement * x + golden_ratio * x2;
      fx2 = fx1;
      fx1 = raw(x1);
    }
  }
  return std::max({u0, fx1, fx2});
}

}  // namespace limits
