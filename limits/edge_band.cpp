#include "limits/edge_band.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "limits/acceptance_interval.h"
#include "limits/build_error.h"
#include "limits/build_mean.h"
#include "limits/interval_terms.h"
#include "limits/poisson.h"
#include "limits/range_proof.h"

// How a band is settled.
//
// In a band around one change of the build's interval, the range proof
// (range_proof.cpp) leaves exactly one decision open: the stop test on a run
// of counts a..c, or the comparison of the frontier counts k_low < k_high;
// every other decision goes the same way throughout the band, and each way
// of the open one gives a known interval. The build takes that decision
// from one quantity of its own doubles: the sum of the run's terms against
// cl, or the ratio of k_high's likelihood ratio to k_low's against 1. Its
// ideal value, with the build's own mean lambda = b + mu (a double) but
// exact arithmetic, is computed in extended precision, and the build's
// value is bounded around it far more tightly than by the range proof's
// margins (build_error.cpp). The ideal difference of two log ratios has no
// mu in it (both carry -mu), so it depends on lambda alone and grows with
// it; the ideal sum is monotone over the band where its slope
// P(a - 1) - P(c) has one sign at both ends (else the band is handed back).
// So the build means where the decision is not known from these bounds form
// one run. Every double mu whose build mean falls there is settled by the
// build's own doubles: one build per build mean where the decision depends
// on that mean alone (a stop test in the direct form, whose terms depend on
// lambda alone), a build per mean for other stop tests, and for a
// comparison the two ratios the build compares, from the build's own
// interval_terms. Bands narrow enough are simply built double by double.
//
// Not proven: where the open run is longer than most_open_built doubles
// (the bound's room is wide against the quantity's slope, as for a sum near
// its peak at 99 %), the build is asked at the run's ends, the change
// between them is bisected to adjacent doubles, and the flicker_window
// doubles on either side of it are built. The edge found is a true edge of
// the build; a change inside the run farther from the bisected one, which
// only the build's rounding could make, would not be seen.
namespace limits {
namespace {

constexpr int most_built_outright = 4096;
// Open runs longer than this, or than the search's builds left, are
// bisected rather than built double by double (at b = 150 and 99 % a run
// can hold a million doubles).
constexpr std::uint64_t most_open_built = std::uint64_t{1} << 16;
// Doubles built on either side of a change bisected in a longer run.
constexpr std::uint64_t flicker_window = 4096;
constexpr double infinity = std::numeric_limits<double>::infinity();

double above(double x) { return std::nextafter(x, infinity); }

// Positive doubles in order of their bits.

bool answer(const interval_bounds& bounds, const band_request& r) {
  if (r.reaches) return bounds.n_high >= r.Nm;
  return bounds.n_low <= r.Nm && r.Nm <= bounds.n_high;
}

bool answer_at(double mu, const band_request& r) {
  build_acceptance_interval(mu, r.b, r.cl);
  return answer({current_interval.n_low, current_interval.n_high}, r);
}

// Every double of [x, y] built; empty where there are too many.
std::optional<band_answer> built_outright(double x, double y, const band_request& r,
                                          const search_settings& settings) {
  // Doubles >= 0 are ordered as their bits.
  const std::uint64_t count = bits_of(y) - bits_of(x) + 1;
  if (count > most_built_outright || count > *r.builds_left) return {};
  *r.builds_left -= count;
  band_answer found;
  for (double mu = x;; mu = above(mu)) {
    settings.check_stop();
    if (answer_at(mu, r)) {
      if (!found.any_yes) found.first_yes = mu;
      found.any_yes = true;
      found.last_yes = mu;
    }
    if (mu >= y) break;
  }
  return found;
}

// The ideal values of the open decision and the build's bound around them.
class open_decision {
 public:
  open_decision(const undecided_decision& d, double b, double mu_low, double mu_high)
      : d_(d), b_(b) {
    if (d_.is_stop) {
      direct_only_ = static_cast<double>(d_.high) + b_ + mu_high <= direct_form_limit - 1.0;
      relative_ = build_error::run_sum_bound(d_.low, d_.high, b_, mu_low, mu_high);
    } else {
      relative_ = build_error::log_ratio_bound(d_.low, b_, mu_high) +
                  build_error::log_ratio_bound(d_.high, b_, mu_high);
    }
  }

  // The build's decision where it is known from lambda: 1 taken, 0 not, -1
  // unknown.
  int known(double lambda, double cl) const {
    if (d_.is_stop) {
      const long double sum = build_error::poisson_run(d_.low, d_.high, lambda);
      const long double room =
          sum * static_cast<long double>(relative_) + 1e-300L * (d_.high - d_.low + 1);
      const auto level = static_cast<long double>(cl);
      if (sum - room >= level) return 1;
      if (sum + room < level) return 0;
      return -1;
    }
    const build_error::ideal_log_ratios ratios(b_, lambda);
    const long double high = ratios(d_.high);
    const long double low = ratios(d_.low);
    const long double room =
        static_cast<long double>(relative_) + 1e-18L * (std::fabs(high) + std::fabs(low));
    if (high - low > room) return 1;
    if (high - low < -room) return 0;
    return -1;
  }

  // Whether the ideal value is monotone from lambda_low to lambda_high.
  bool monotone(double lambda_low, double lambda_high) const {
    if (!d_.is_stop) return true;
    const int low = slope_sign(lambda_low);
    return low != 0 && low == slope_sign(lambda_high);
  }

  // Whether one build per build mean settles the decision.
  bool by_build_mean_alone() const { return d_.is_stop && direct_only_; }

 private:
  // The sign of P(a - 1) - P(c), the sum's slope (P(-1) = 0); 0 where too
  // close to call.
  int slope_sign(double lambda) const {
    const long double before = d_.low > 0 ? build_error::poisson(d_.low - 1, lambda) : 0.0L;
    const long double last = build_error::poisson(d_.high, lambda);
    const long double slope = before - last;
    const long double scale = std::max(before, last) * 1e-9L;
    if (slope > scale) return 1;
    if (slope < -scale) return -1;
    return 0;
  }

  undecided_decision d_;
  double b_;
  bool direct_only_ = false;
  double relative_ = 0.0;
};

// The first double of [x, y] whose build mean is at least lambda; the
// double above y where none is.
double first_mean_reaching(double lambda, double b, double x, double y) {
  if (b + x >= lambda) return x;
  if (b + y < lambda) return above(y);
  // Mostly lambda - b itself or a neighbour (exact where mu <= b); else
  // halving. Here b + x < lambda <= b + y, so the answer lies in (x, y].
  double guess = std::clamp(lambda - b, above(x), y);
  for (int step = 0; step < 4; ++step) {
    if (!(b + guess >= lambda)) {
      if (guess >= y) break;
      guess = above(guess);
    } else if (b + std::nextafter(guess, 0.0) >= lambda) {
      if (guess <= above(x)) break;
      guess = std::nextafter(guess, 0.0);
    } else {
      return guess;
    }
  }
  std::uint64_t lo = bits_of(x);
  std::uint64_t hi = bits_of(y);
  while (hi - lo > 1) {
    const std::uint64_t middle = lo + (hi - lo) / 2;
    (b + double_of(middle) >= lambda ? hi : lo) = middle;
  }
  return double_of(hi);
}

}  // namespace

std::optional<band_answer> resolve_band(double x, double y, const band_request& r,
                                        const search_settings& settings) {
  if (const auto small = built_outright(x, y, r, settings)) return small;
  if (!(x >= 0.0 && y <= build_error::largest_plain_mean)) return {};
  range_detail detail;
  const std::optional<range_outcomes> proved = prove_range(x, y, r.b, r.cl, &detail);
  if (!proved || !proved->listed || detail.undecided != 1) return {};
  const undecided_decision& d = detail.decision;
  const bool yes_if_taken = answer(d.if_taken, r);
  const bool yes_if_not = answer(d.if_not, r);
  if (yes_if_taken == yes_if_not) return band_answer{yes_if_taken, x, y};

  const open_decision ideal(d, r.b, x, y);
  const double lambda_x = r.b + x;
  const double lambda_y = r.b + y;
  if (!ideal.monotone(lambda_x, lambda_y)) return {};
  const int at_x = ideal.known(lambda_x, r.cl);
  const int at_y = ideal.known(lambda_y, r.cl);
  auto yes_of = [&](int decision) { return (decision == 1) == yes_if_taken; };
  // Monotone and known the same way at both ends: the same everywhere.
  if (at_x >= 0 && at_x == at_y) return band_answer{yes_of(at_x), x, y};

  // The build means known to decide as at x run up to open_start, those
  // known to decide as at y from high_start; the means between are open.
  // edge_of_known: the last build mean known as at x (low_side), or the
  // first known as at y, bisected between the ends.
  auto edge_of_known = [&](int decision, bool low_side) {
    std::uint64_t a = bits_of(lambda_x);
    std::uint64_t c = bits_of(lambda_y);
    while (c - a > 1) {
      const std::uint64_t middle = a + (c - a) / 2;
      const bool same = ideal.known(double_of(middle), r.cl) == decision;
      (same == low_side ? a : c) = middle;
    }
    return double_of(low_side ? a : c);
  };
  const double open_start =
      at_x >= 0 ? first_mean_reaching(above(edge_of_known(at_x, true)), r.b, x, y) : x;
  const double high_start =
      at_y >= 0 ? first_mean_reaching(edge_of_known(at_y, false), r.b, x, y) : above(y);

  band_answer found;
  auto note = [&found](double first, double last) {
    if (!found.any_yes) found.first_yes = first;
    found.any_yes = true;
    found.last_yes = last;
  };
  if (at_x >= 0 && yes_of(at_x) && open_start > x) note(x, std::nextafter(open_start, 0.0));
  const double open_end = std::min(high_start, above(y));  // the first mean past the run
  // Settling the run costs one evaluation per double, or per build mean.
  const std::uint64_t open_count = !(open_start < open_end) ? 0
                                   : ideal.by_build_mean_alone()
                                       ? bits_of(r.b + open_end) - bits_of(r.b + open_start)
                                       : bits_of(open_end) - bits_of(open_start);
  if (open_count > most_open_built || open_count > *r.builds_left) {
    // Too many to build: the build's answers at the run's ends, where
    // they differ the change between them bisected, and the doubles around
    // the change built, for the flicker the build's rounding makes there.
    const double last_open = std::nextafter(open_end, 0.0);
    const bool yes_first = answer_at(open_start, r);
    const bool yes_last = answer_at(last_open, r);
    if (yes_first == yes_last) {
      if (yes_first) note(open_start, last_open);
    } else {
      std::uint64_t lo = bits_of(open_start);
      std::uint64_t hi = bits_of(last_open);
      while (hi - lo > 1) {
        settings.check_stop();
        const std::uint64_t middle = lo + (hi - lo) / 2;
        (answer_at(double_of(middle), r) == yes_first ? lo : hi) = middle;
      }
      const std::uint64_t window_start = std::max(bits_of(open_start), hi - flicker_window);
      const std::uint64_t window_end = std::min(bits_of(last_open), hi + flicker_window);
      std::uint64_t first_yes = 0;
      std::uint64_t last_yes = 0;
      bool any = false;
      for (std::uint64_t k = window_start; k <= window_end; ++k) {
        settings.check_stop();
        if (!answer_at(double_of(k), r)) continue;
        if (!any) first_yes = k;
        any = true;
        last_yes = k;
      }
      if (yes_first) note(open_start, double_of(any ? last_yes : window_start - 1));
      if (yes_last) note(double_of(any ? first_yes : window_end + 1), last_open);
    }
  } else {
    *r.builds_left -= open_count;
    // The open means in order: one build per build mean where that settles
    // it; for a comparison, only the two ratios the build compares, from the
    // build's own terms object (every other decision is known).
    for (double mu = open_start; mu < high_start && mu <= y;) {
      settings.check_stop();
      const double next = ideal.by_build_mean_alone()
                              ? first_mean_reaching(above(r.b + mu), r.b, mu, y)
                              : above(mu);
      bool yes = false;
      if (d.is_stop) {
        yes = answer_at(mu, r);
      } else {
        interval_terms terms(mu, r.b);
        const double upper_ratio = terms.ratio(d.high);
        const double lower_ratio = terms.ratio(d.low);
        yes = upper_ratio >= lower_ratio ? yes_if_taken : yes_if_not;  // a tie goes up
      }
      if (yes) note(mu, std::nextafter(next, 0.0));
      if (next <= mu) break;
      mu = next;
    }
  }
  if (at_y >= 0 && yes_of(at_y) && high_start <= y) note(high_start, y);
  return found;
}

}  // namespace limits
