#include "limits/exact_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "limits/acceptance_interval.h"
#include "limits/build_mean.h"
#include "limits/edge_band.h"
#include "limits/exact_tail.h"
#include "limits/far_means.h"
#include "limits/range_proof.h"
#include "limits/route_model.h"

// How the exact limits are found, and why none is missed.
//
// The answer at one mean is the build's: does the interval that
// build_acceptance_interval gives there reach Nm (for the lower limit) or
// contain it (for the upper)? The means are walked upward from 0, one unit
// cell of the build's mean b + mu at a time (within a cell the build starts
// from the same count). prove_range tells, for a whole range of means, every
// interval the build can give there (range_proof.cpp): a range where none
// answers yes, or every one does, is settled at once. A range where the
// answers differ is halved, until the halves are settled or a range is so
// narrow that it is a band around one decision of the build that goes
// either way; there edge_band settles every double (edge_band.cpp), from a
// tighter bound on that one decision and, where even that cannot tell, from
// the build at each double. So every double the walk passes is settled by a
// proof or by the build itself, and the limits are the extreme doubles that
// answer yes.
//
// Beyond the walk, exact_tail proves that no mean above a bound contains
// Nm, and far_means that no mean of a stretch below Nm reaches it: every
// count between Nm and the mean, and every count up to several deviations
// beyond it, is taken before Nm, and their probability reaches cl
// (exact_tail.cpp, far_means.cpp).
//
// Where the route's guards do not hold (b + mu below 1e-4 or above 1e4, mu
// above 700, counts beyond its tables, cl below 1e-6), no range can be
// proved; nor, past most_unproved_ranges in one search, where the proofs
// keep failing inside the guards (none of the tests' requests comes near);
// nor where a band's doubles would be built one by one past the search's
// most_builds_per_search (a level of 99 % near b = 80, where the build's
// rounding makes the answer flicker over a long run of doubles).
// There the answer is taken at the ends of the range and a change between
// them found by bisection to adjacent doubles: the edges are true edges of
// the build, but a range whose ends agree is not searched inside. So the
// upper limit's search above the guards starts from a mean known to
// contain Nm (exact_raw_upper_limit), else looks at every cell's ends.
namespace limits {
namespace {

enum class question { reaches, contains };

constexpr double infinity = std::numeric_limits<double>::infinity();

// Ranges of one search the proofs may fail on before the rest is bisected.
constexpr int most_unproved_ranges = 4096;
// Doubles one search may settle by building them one by one (about 0.1 s
// at b = 80), and what one band may take.
constexpr std::uint64_t most_builds_per_search = std::uint64_t{1} << 16;
constexpr std::uint64_t most_built_per_band = 4096;

double above(double x) { return std::nextafter(x, infinity); }

double below(double x) { return std::nextafter(x, -infinity); }

class searcher {
 public:
  searcher(std::int32_t Nm, double b, double cl, question q, const search_settings& settings)
      : Nm_(Nm), b_(b), cl_(cl), q_(q), settings_(settings) {}

  bool yes(const interval_bounds& bounds) const {
    if (q_ == question::reaches) return bounds.n_high >= Nm_;
    return bounds.n_low <= Nm_ && Nm_ <= bounds.n_high;
  }

  // The build's own answer at one double.
  bool answer_at(double mu) const {
    build_acceptance_interval(mu, b_, cl_);
    return yes({current_interval.n_low, current_interval.n_high});
  }

  // The smallest double mu >= 0 at which the build's mean b + mu reaches k.
  double cell_start(double k) const { return least_mean_reaching(k, b_); }

  // The first double of [x, y] (x <= y, one cell) that answers yes.
  std::optional<double> first_yes(double x, double y) { return extreme_yes(x, y, true); }

  // The last one.
  std::optional<double> last_yes(double x, double y) { return extreme_yes(x, y, false); }

  // The last yes of [x, y] given a yes at x, by bisection between x and a
  // no: the edge of the stretch of yeses that holds x, where the yeses of
  // [x, y] are one stretch.
  double last_yes_above(double x, double y) { return answer_at(y) ? y : bisect(x, y, true); }

  std::int32_t Nm() const { return Nm_; }

  double b() const { return b_; }

  double cl() const { return cl_; }

  const search_settings& settings() const { return settings_; }

 private:
  enum class verdict { no, yes, mixed, unknown, unguarded };

  verdict classify(double x, double y) const {
    if (!route::start_of(x, b_, cl_) || !route::start_of(y, b_, cl_)) return verdict::unguarded;
    const std::optional<range_outcomes> proved = prove_range(x, y, b_, cl_);
    if (!proved) return verdict::unknown;
    if (!proved->listed) return by_hull(*proved);
    bool any_yes = false;
    bool any_no = false;
    for (int i = 0; i < proved->count; ++i) {
      (yes(proved->bounds[static_cast<std::size_t>(i)]) ? any_yes : any_no) = true;
    }
    if (any_yes && any_no) return verdict::mixed;
    return any_yes ? verdict::yes : verdict::no;
  }

  // Where only the hull of the outcomes is known: yes or no where it
  // decides for every outcome inside it.
  verdict by_hull(const range_outcomes& o) const {
    if (q_ == question::reaches) {
      if (o.least.n_high >= Nm_) return verdict::yes;
      return o.most.n_high < Nm_ ? verdict::no : verdict::unknown;
    }
    if (o.most.n_low <= Nm_ && Nm_ <= o.least.n_high) return verdict::yes;
    if (Nm_ < o.least.n_low || Nm_ > o.most.n_high) return verdict::no;
    return verdict::unknown;
  }

  // The first (or last) yes of [x, y], by the proofs where they hold.
  std::optional<double> extreme_yes(double x, double y, bool first) {
    settings_.check_stop();
    if (x == y) return answer_at(x) ? std::optional<double>(x) : std::nullopt;
    const verdict v = classify(x, y);
    if (v == verdict::no) return {};
    if (v == verdict::yes) return first ? x : y;
    if (v == verdict::unguarded && unguarded_at_both_ends(x, y)) return plain_extreme(x, y, first);
    // The halving below ends at single doubles, which the build settles;
    // this bound keeps a stretch the proofs cannot settle from costing one
    // build per double.
    if (v == verdict::unknown && ++unproved_ > most_unproved_ranges) {
      return plain_extreme(x, y, first);
    }
    if (v == verdict::mixed) {
      if (const std::optional<band_answer> band = settle_band(x, y)) {
        if (!band->any_yes) return {};
        return first ? band->first_yes : band->last_yes;
      }
      // With the builds spent, halving would end in one build per double.
      if (builds_left_ < most_built_per_band) return plain_extreme(x, y, first);
    }
    double middle = x + (y - x) / 2;
    if (middle >= y) middle = x;
    const double lower_start = x;
    const double upper_start = above(middle);
    if (first) {
      if (const auto found = extreme_yes(lower_start, middle, true)) return found;
      return extreme_yes(upper_start, y, true);
    }
    if (const auto found = extreme_yes(upper_start, y, false)) return found;
    return extreme_yes(lower_start, middle, false);
  }

  bool unguarded_at_both_ends(double x, double y) const {
    return !route::start_of(x, b_, cl_) && !route::start_of(y, b_, cl_);
  }

  // Outside the route's guards: the answers at the ends, and a change
  // between them located by bisection.
  std::optional<double> plain_extreme(double x, double y, bool first) {
    const bool at_x = answer_at(x);
    const bool at_y = answer_at(y);
    if (first) {
      if (at_x) return x;
      if (!at_y) return {};
      return bisect(x, y, false);
    }
    if (at_y) return y;
    if (!at_x) return {};
    return bisect(x, y, true);
  }

  // Given answers `low_answer` at lo and its opposite at hi, the double
  // where the answer first becomes the opposite one; each pass halves.
  double bisect(double lo, double hi, bool low_answer) {
    while (true) {
      settings_.check_stop();
      double middle = lo + (hi - lo) / 2;
      if (!(lo < middle && middle < hi)) return low_answer ? lo : hi;
      (answer_at(middle) == low_answer ? lo : hi) = middle;
    }
  }

  std::optional<band_answer> settle_band(double x, double y) {
    const band_request request{Nm_, b_, cl_, q_ == question::reaches, &builds_left_};
    return resolve_band(x, y, request, settings_);
  }

  std::int32_t Nm_;
  double b_;
  double cl_;
  question q_;
  const search_settings& settings_;
  int unproved_ = 0;
  std::uint64_t builds_left_ = most_builds_per_search;
};

// The means where the route's guards hold: one stretch, as every guard is
// a bound on mu or on b + mu; empty where cl is below the guards' least.
struct guarded_stretch {
  bool any = false;
  double first = 0.0;
  double last = 0.0;
};

guarded_stretch guarded_means(double b, double cl, double top) {
  auto guarded = [&](double mu) { return route::start_of(mu, b, cl).has_value(); };
  // The guards hold at some mean of [0, top] if at the least mean above the
  // smallest build mean they allow.
  double probe = 0.0;
  if (!guarded(probe)) {
    // Below the smallest build mean allowed, mu grows into the stretch.
    double low = 0.0;
    double high = top;
    if (!guarded(high)) {
      // Either the stretch lies inside (0, top) or there is none: probe the
      // smallest build mean allowed.
      const double start = std::max(1e-4 - b, 0.0);
      if (!(start <= top) || !guarded(start)) return {};
      high = start;
    }
    while (true) {
      const double middle = low + (high - low) / 2;
      if (!(low < middle && middle < high)) break;
      (guarded(middle) ? high : low) = middle;
    }
    probe = high;
  }
  guarded_stretch s{true, probe, probe};
  if (guarded(top)) {
    s.last = top;
    return s;
  }
  double low = probe;
  double high = top;
  while (true) {
    const double middle = low + (high - low) / 2;
    if (!(low < middle && middle < high)) break;
    (guarded(middle) ? low : high) = middle;
  }
  s.last = low;
  return s;
}

// Stretches of build means below Nm proven one after another by
// far_means, from lambda up; returns the build mean they reach.
double far_above(std::int32_t Nm, double b, double cl, double lambda, double ceiling) {
  for (int i = 0; i < 64; ++i) {
    const double reached = excluded_from_above(Nm, b, cl, lambda, ceiling);
    if (!(reached > lambda)) break;
    lambda = reached;
  }
  return lambda;
}

// The last yes of [lowest, y], one cell of the build's mean at a time from
// the top down: the first cell with a yes holds it. Where the proofs do not
// hold a cell is searched from its ends, so a region of means containing Nm
// is found wherever it holds the end of a cell: one unit of mean, where
// such a region is 2 z sqrt(b + mu) wide, tens of units above mu = 700.
std::optional<double> last_yes_by_cells(searcher& search, double lowest, double y) {
  while (true) {
    const double start = std::max(search.cell_start(std::floor(search.b() + y)), lowest);
    if (const auto found = search.last_yes(start, y)) return found;
    if (start <= lowest) return std::nullopt;
    y = below(start);
  }
}

}  // namespace

double exact_lower_limit(std::int32_t Nm, double b, double cl, const search_settings& settings) {
  if (Nm <= 0) return 0.0;
  searcher search(Nm, b, cl, question::reaches, settings);
  if (search.answer_at(0.0)) return 0.0;
  // At the mean whose build mean reaches Nm the interval holds floor(b + mu)
  // or the count above: it reaches Nm. The search ends there at the latest.
  const double last = search.cell_start(static_cast<double>(Nm));
  // Build means from b up to `proven` reach no Nm (far_means).
  const double proven = far_above(Nm, b, cl, b, b + last);
  const double start = proven > b ? least_mean_reaching(proven, b, true) : 0.0;
  if (start > last) return last;
  const guarded_stretch g = guarded_means(b, cl, last);
  if (!g.any || g.last < start) return search.first_yes(start, last).value_or(last);
  if (g.first > start) {
    if (const auto found = search.first_yes(start, below(g.first))) return *found;
  }
  // Cell by cell through the guarded means.
  for (double x = std::max(start, g.first); x <= g.last;) {
    const double next = search.cell_start(std::floor(b + x) + 1.0);
    const double y = std::min(below(next), g.last);
    if (const auto found = search.first_yes(x, y)) return *found;
    x = next;
  }
  if (g.last < last) {
    if (const auto found = search.first_yes(above(g.last), last)) return *found;
  }
  return last;  // unreachable: the last mean reaches Nm
}

double exact_raw_upper_limit(std::int32_t Nm, double b, double cl, const search_settings& settings,
                             double ceiling) {
  searcher search(Nm, b, cl, question::contains, settings);
  // Above this mean exact_tail proves that no interval contains Nm.
  const double top = std::min(tail_start(Nm, b, cl), ceiling);
  const guarded_stretch g = guarded_means(b, cl, top);
  if (!g.any) return last_yes_by_cells(search, 0.0, top).value_or(0.0);
  // Above the guards (mu beyond 700: counts from about 745) the region of
  // means containing Nm can lie wholly inside [g.last, top], where both ends
  // answer no. Its edge is bisected from the mean whose build mean is Nm
  // (its interval starts from Nm); where that mean answers no, the stretch
  // is searched a cell at a time, which costs a build per unit of mean.
  if (g.last < top) {
    const double centre = search.cell_start(static_cast<double>(Nm));
    if (g.last < centre && centre <= top && search.answer_at(centre)) {
      return search.last_yes_above(centre, top);
    }
    if (const auto found = last_yes_by_cells(search, above(g.last), top)) return *found;
  }
  if (const auto found = last_yes_by_cells(search, g.first, g.last)) return *found;
  if (g.first > 0.0) {
    if (const auto found = search.last_yes(0.0, below(g.first))) return *found;
  }
  return 0.0;
}

}  // namespace limits
