// The public calls with an uncertain background and efficiency: arguments
// checked, the known case handed to the known-background calls (the same
// bits), the rest to the uncertain core.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "fclimits/arguments.h"
#include "fclimits/compute_limits.h"
#include "fclimits/core_call.h"
#include "fclimits/fclimits.h"
#include "fclimits/poisson_window.h"
#include "limits/search_settings.h"
#include "limits/uncertain_limits.h"
#include "limits/uncertain_probability.h"

namespace fclimits {
namespace {

bool known(const uncertainties& u) {
  return u.b_sigma == 0.0 && u.eff_sigma == 0.0;  // exact: sigma 0 is known
}

// Exact comparison: eff = 1 is the known-background calls' own scale.
bool unscaled(const uncertainties& u) { return known(u) && u.eff == 1.0; }

limits::uncertainty_pdf core_pdf(pdf_shape shape) {
  return shape == pdf_shape::lognormal ? limits::uncertainty_pdf::lognormal
                                       : limits::uncertainty_pdf::gauss;
}

// The core model in units of eff: e / eff has mean 1, and the core's signal
// is eff s. q(n | s) is the same integral, so its limits are eff times ours.
limits::uncertain_model core_model(double b, const uncertainties& u) {
  return {{b, u.b_sigma, core_pdf(u.b_pdf)},
          {1.0, u.eff_sigma / u.eff, core_pdf(u.eff_pdf)},
          u.ordering == ordering_rule::profile ? limits::uncertain_ordering::profile
                                               : limits::uncertain_ordering::conrad};
}

void check_request(double b, double cl, const uncertainties& u, const options& how) {
  internal::check_background(b);
  internal::check_level(cl);
  internal::check_options(how);
  internal::check_uncertainties(b, u);
  internal::check_method(how.method, u);
}

bool same_parameter(const limits::uncertain_parameter& a, const limits::uncertain_parameter& b) {
  return a.nominal == b.nominal && a.sigma == b.sigma && a.pdf == b.pdf;  // exact: the same model
}

// The last model this thread computed with, kept for the next call: its
// ranking denominators (a search for each count's best signal) cost as much
// as a limit, and the requests of a table share a model count after count.
// The values q gives do not depend on what it computed before, so neither
// do the limits.
limits::uncertain_probability& probability_for(const limits::uncertain_model& model) {
  thread_local std::unique_ptr<limits::uncertain_probability> last;
  if (last == nullptr || !same_parameter(last->model().background, model.background) ||
      !same_parameter(last->model().efficiency, model.efficiency) ||
      last->model().ordering != model.ordering) {
    last = std::make_unique<limits::uncertain_probability>(model);
  }
  return *last;
}

// Limits divided by a tiny efficiency can pass the largest double.
interval finite_or_refused(std::int32_t n, double b, interval i) {
  if (!std::isfinite(i.lower) || !std::isfinite(i.upper)) {
    throw std::domain_error("fclimits: the limits for n = " + std::to_string(n) + ", b = " +
                            internal::describe(b) + " divided by eff left the double range");
  }
  return i;
}

// The limits of one checked request.
interval uncertain_limits_of(std::int32_t n, double b, double cl, const uncertainties& u,
                             const options& how) {
  if (known(u)) {
    const interval known_limits = internal::compute_limits(n, b, cl, how);
    if (unscaled(u)) return known_limits;
    return finite_or_refused(n, b, {known_limits.lower / u.eff, known_limits.upper / u.eff});
  }
  limits::uncertain_interval found;
  try {
    found = limits::uncertain_limits(probability_for(core_model(b, u)), n, cl, &how.stop);
  } catch (const limits::search_stopped&) {
    throw stopped();
  }
  if (!found.found) return {0.0, 0.0};
  return finite_or_refused(n, b, {found.lower / u.eff, found.upper / u.eff});
}

struct drawn_count {
  std::int32_t n;
  double probability;
};

// The counts of a distribution given count by count, from the most probable
// down, until what is left holds less than tail_probability: the same order
// for every call, so the sums are reproducible.
std::vector<drawn_count> most_probable_counts(std::span<const double> q) {
  std::vector<drawn_count> counts;
  for (std::size_t i = 0; i < q.size(); ++i) counts.push_back({static_cast<std::int32_t>(i), q[i]});
  std::stable_sort(counts.begin(), counts.end(), [](const drawn_count& a, const drawn_count& b) {
    return a.probability > b.probability;
  });
  double taken = 0.0;
  std::size_t kept = 0;
  while (kept < counts.size() && 1.0 - taken >= tail_probability)
    taken += counts[kept++].probability;
  counts.resize(kept);
  return counts;
}

// The counts coverage at s sums over, with their probabilities.
std::vector<drawn_count> drawn_counts(double s, double b, const uncertainties& u,
                                      const truth& drawn, limits::uncertain_probability& q) {
  if (drawn.averaged) return most_probable_counts(q.counts_at(u.eff * s));
  const double b_true = drawn.b.value_or(b);
  const double eff_true = drawn.eff.value_or(u.eff);
  std::vector<drawn_count> counts;
  internal::core_call call(-1, b_true);
  internal::poisson_window window(eff_true * s, b_true);
  drawn_count c{};
  while (window.next(c.n, c.probability)) counts.push_back(c);
  call.finish();
  return counts;
}

}  // namespace

interval limits(std::int32_t n, double b, double cl, const uncertainties& u, const options& how) {
  const internal::environment_guard guard;
  internal::check_count(n);
  check_request(b, cl, u, how);
  return uncertain_limits_of(n, b, cl, u, how);
}

uncertain_acceptance acceptance_region(double s, double b, double cl, const uncertainties& u) {
  if (unscaled(u)) {
    const acceptance a = acceptance_region(s, b, cl);
    return {a.n_low, a.n_high, a.probability, true};
  }
  const internal::environment_guard guard;
  internal::check_mean(s);
  check_request(b, cl, u, {});
  internal::check_mean(u.eff * s);
  if (known(u)) {
    const acceptance a = acceptance_region(u.eff * s, b, cl);
    return {a.n_low, a.n_high, a.probability, true};
  }
  limits::uncertain_probability& q = probability_for(core_model(b, u));
  const limits::uncertain_region r = limits::uncertain_acceptance_region(q, u.eff * s, cl);
  return {r.n_low, r.n_high, r.coverage, r.contiguous};
}

std::vector<double> coverage(std::span<const double> s, double b, double cl, const uncertainties& u,
                             const truth& drawn, const options& how, unsigned threads) {
  if (unscaled(u) && !drawn.b && !drawn.eff) return coverage(s, b, cl, how, threads);
  const internal::environment_guard guard;
  check_request(b, cl, u, how);
  internal::check_truth(drawn);
  for (const double signal : s) {
    internal::check_coverage_mean(signal);
    internal::check_coverage_mean(drawn.eff.value_or(u.eff) * signal);
  }
  limits::uncertain_probability& q = probability_for(core_model(b, u));
  std::vector<std::vector<drawn_count>> counts_of;
  counts_of.reserve(s.size());
  std::int32_t last = -1;
  for (const double signal : s) {
    counts_of.push_back(drawn_counts(signal, b, u, drawn, q));
    for (const drawn_count& c : counts_of.back()) last = std::max(last, c.n);
  }
  std::vector<char> needed(static_cast<std::size_t>(last + 1), 0);
  for (const auto& counts : counts_of) {
    for (const drawn_count& c : counts) needed[static_cast<std::size_t>(c.n)] = 1;
  }
  std::vector<interval> limits_of(needed.size(), interval{0.0, 0.0});
  parallel_for(
      needed.size(), threads,
      [&](std::size_t n) {
        if (needed[n])
          limits_of[n] = uncertain_limits_of(static_cast<std::int32_t>(n), b, cl, u, how);
      },
      how.stop);
  std::vector<double> result(s.size(), 0.0);
  for (std::size_t i = 0; i < s.size(); ++i) {
    for (const drawn_count& c : counts_of[i]) {
      const interval& in = limits_of[static_cast<std::size_t>(c.n)];
      if (in.lower <= s[i] && s[i] <= in.upper) result[i] += c.probability;
    }
  }
  return result;
}

double coverage(double s, double b, double cl, const uncertainties& u, const truth& drawn,
                const options& how) {
  return coverage(std::span<const double>(&s, 1), b, cl, u, drawn, how, 1).front();
}

double sensitivity(double b, double cl, const uncertainties& u, const options& how) {
  if (unscaled(u)) return sensitivity(b, cl, how);
  const internal::environment_guard guard;
  check_request(b, cl, u, how);
  // At no signal only the background's pdf matters.
  const std::vector<drawn_count> counts =
      most_probable_counts(probability_for(core_model(b, u)).counts_at(0.0));
  double sum = 0.0;
  for (const drawn_count& c : counts) {
    sum += c.probability * uncertain_limits_of(c.n, b, cl, u, how).upper;
  }
  return sum;
}

}  // namespace fclimits
