#include "limits/uncertain_probability.h"

#include <math.h>  // lgamma_r

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <numbers>

namespace limits {

namespace {

// The search and quadrature constants.
constexpr std::int32_t rule_points = 16;  // Gauss-Legendre points per panel
constexpr double pdf_reach = 10.0;        // sigmas integrated each side: 1.5e-23 left out
constexpr double panel_widths = 4.0;      // panel length in peak widths
constexpr std::int32_t max_panels = 4096;
// A node's weighted Poisson terms stop where they fall below this, away
// from its mean: the terms beyond fall faster than geometrically, so each
// side of a node leaves out less than about 1e-20, and all of them together
// (at most about 1e5 nodes) less than 1e-15.
constexpr double smallest_term = 1e-30;
constexpr std::int32_t golden_steps = 200;  // golden-section cap: 0.618^200 of the bracket
// Relative width a maximum is located to: q near its maximum falls by about
// n (d s / s)^2 / 2, so a width of 1e-7 costs below 1e-13 of q. Newton's
// steps usually end far below it.
constexpr double golden_width = 1e-7;
constexpr std::int32_t newton_steps = 100;  // cap; quadratic steps need about 4

struct legendre_rule {
  std::array<double, rule_points> x{};
  std::array<double, rule_points> w{};
};

// Nodes and weights on [-1, 1] by Newton's method on P_16 from the
// Chebyshev guesses, which converge in a few steps; capped at 100.
legendre_rule make_legendre_rule() {
  legendre_rule rule;
  constexpr std::int32_t n = rule_points;
  for (std::int32_t i = 0; i < n; ++i) {
    double x = std::cos(std::numbers::pi * (static_cast<double>(i) + 0.75) /
                        (static_cast<double>(n) + 0.5));
    double derivative = 1.0;
    for (std::int32_t step = 0; step < 100; ++step) {
      double p0 = 1.0;
      double p1 = x;
      for (std::int32_t k = 2; k <= n; ++k) {
        const double kd = static_cast<double>(k);
        const double p2 = ((2.0 * kd - 1.0) * x * p1 - (kd - 1.0) * p0) / kd;
        p0 = p1;
        p1 = p2;
      }
      derivative = static_cast<double>(n) * (x * p1 - p0) / (x * x - 1.0);
      const double dx = p1 / derivative;
      x -= dx;
      if (std::abs(dx) < 1e-16) break;
    }
    const auto index = static_cast<std::size_t>(i);
    rule.x[index] = x;
    rule.w[index] = 2.0 / ((1.0 - x * x) * derivative * derivative);
  }
  return rule;
}

const legendre_rule& legendre() {
  static const legendre_rule rule = make_legendre_rule();
  return rule;
}

// log n!, by lgamma_r: std::lgamma writes the shared sign variable, which
// threads computing at once would race on.
double log_factorial(double n) {
  int sign = 0;
  return ::lgamma_r(n + 1.0, &sign);
}

// log Pois(n | lambda); lambda = 0 gives log 1 for n = 0, -inf otherwise.
double log_poisson(std::int32_t n, double lambda) {
  const double nd = static_cast<double>(n);
  // Exact comparisons: 0^0 = 1, and 0 log 0 is taken as 0.
  if (lambda == 0.0) return n == 0 ? 0.0 : -std::numeric_limits<double>::infinity();
  const double power = n == 0 ? 0.0 : nd * std::log(lambda);
  return power - lambda - log_factorial(nd);
}

// The maximum of f on [a, b] by golden section: f must be unimodal there
// (each use says why). Returns the best value met.
template <class F>
double golden_maximum(F f, double a, double b) {
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double x1 = b - ratio * (b - a);
  double x2 = a + ratio * (b - a);
  double f1 = f(x1);
  double f2 = f(x2);
  double best = std::max({f(a), f(b), f1, f2});
  for (std::int32_t step = 0; step < golden_steps; ++step) {
    if (b - a <= golden_width * (1.0 + std::abs(a) + std::abs(b))) break;
    if (f1 < f2) {
      a = x1;
      x1 = x2;
      f1 = f2;
      x2 = a + ratio * (b - a);
      f2 = f(x2);
      best = std::max(best, f2);
    } else {
      b = x2;
      x2 = x1;
      f2 = f1;
      x1 = b - ratio * (b - a);
      f1 = f(x1);
      best = std::max(best, f1);
    }
  }
  return best;
}

bool known(const uncertain_parameter& p) { return p.sigma == 0.0; }  // exact: known exactly

}  // namespace

log_normal_shape log_normal_shape_of(double mean, double sigma) {
  const double relative = sigma / mean;
  const double variance = std::log1p(relative * relative);
  return {std::log(mean) - variance / 2.0, std::sqrt(variance)};
}

uncertain_probability::uncertain_probability(const uncertain_model& model, std::int32_t refinement)
    : model_(model), refinement_(refinement) {
  assert(refinement >= 1);
}

void uncertain_probability::build_rule(const uncertain_parameter& p, double slope,
                                       std::vector<node>& rule) const {
  rule.clear();
  if (known(p)) {
    rule.push_back({p.nominal, 1.0});
    return;
  }
  const bool log_normal = p.pdf == uncertainty_pdf::lognormal;
  double centre = p.nominal;
  double spread = p.sigma;
  if (log_normal) {
    const log_normal_shape shape = log_normal_shape_of(p.nominal, p.sigma);
    centre = shape.mu_log;
    spread = shape.sigma_log;
  }
  const double low =
      log_normal ? centre - pdf_reach * spread : std::max(0.0, centre - pdf_reach * spread);
  const double high = centre + pdf_reach * spread;
  // The Poisson peak's width in the integration variable t at a value x of
  // the parameter: the mean is at least x slope, so the count's spread
  // sqrt(x slope + 1) over slope bounds it from below; in t = log x it is
  // that over x. Exact comparison: slope 0 (the efficiency at s = 0) has no
  // peak.
  const auto peak_width = [&](double t) {
    if (slope == 0.0) return spread;
    const double x = log_normal ? std::exp(t) : t;
    const double width = std::sqrt(x * slope + 1.0) / slope;
    return std::min(spread, log_normal ? width / x : width);
  };
  const double step = panel_widths / static_cast<double>(refinement_);
  const legendre_rule& gl = legendre();
  double total = 0.0;
  double left = low;
  // Panels at most `step` peak widths long at both ends: the width is
  // monotone in t, so that bounds it inside as well. The cap makes the last
  // panel reach the end whatever the widths.
  for (std::int32_t panel = 0; panel < max_panels && left < high; ++panel) {
    double length = step * peak_width(left);
    length = std::min(length, step * peak_width(std::min(high, left + length)));
    const double right = panel + 1 == max_panels ? high : std::min(high, left + length);
    const double half = (right - left) / 2.0;
    const double middle = left + half;
    for (std::size_t i = 0; i < gl.x.size(); ++i) {
      const double t = middle + half * gl.x[i];
      const double z = (t - centre) / spread;
      const double weight = gl.w[i] * half * std::exp(-0.5 * z * z);
      rule.push_back({log_normal ? std::exp(t) : t, weight});
      total += weight;
    }
    left = right;
  }
  for (node& n : rule) n.weight /= total;
}

void uncertain_probability::build_rules(double s) {
  build_rule(model_.efficiency, s, efficiency_rule_);
  build_rule(model_.background, 1.0, background_rule_);
}

void uncertain_probability::grow(std::vector<double>& terms, std::size_t size) {
  // Doubling, so that growing inside the loops costs little; the
  // reciprocals stay one longer than the longest buffer.
  std::size_t wanted = std::max<std::size_t>(64, terms.size());
  while (wanted < size) wanted *= 2;
  if (terms.size() < wanted) terms.resize(wanted, 0.0);
  for (std::size_t k = reciprocals_.size(); k <= wanted; ++k)
    reciprocals_.push_back(k == 0 ? 0.0 : 1.0 / static_cast<double>(k));
}

std::size_t uncertain_probability::add_poisson(double lambda, double weight,
                                               std::vector<double>& into, std::size_t up_to) {
  const double mode_d = std::min(std::floor(lambda), static_cast<double>(max_count));
  const auto start = std::min(static_cast<std::size_t>(mode_d), up_to);
  grow(into, start + 2);
  const double at_start = weight * std::exp(log_poisson(static_cast<std::int32_t>(start), lambda));
  // Upward: w P(n + 1) = w P(n) lambda / (n + 1), until negligible; the
  // count cap bounds the loop whatever the arithmetic does.
  double term = at_start;
  std::size_t n = start;
  const std::size_t last = std::min(up_to, max_count);
  for (; n < last; ++n) {
    if (n + 1 >= into.size()) grow(into, n + 2);
    into[n] += term;
    term *= lambda * reciprocals_[n + 1];  // one multiplication on the chain of terms
    if (term < smallest_term) break;
  }
  if (n == last) into[n] += term;  // the last count asked for, not yet added
  // Downward: w P(n - 1) = w P(n) n / lambda, down to 0 at most. Exact
  // comparison: at a mean of 0 only the count 0 has a term.
  if (lambda == 0.0) return n + 1;
  const double inverse = 1.0 / lambda;
  term = at_start;
  for (std::size_t k = start; k > 0; --k) {
    term *= static_cast<double>(k) * inverse;
    if (term < smallest_term) break;
    into[k - 1] += term;
  }
  return n + 1;
}

bool uncertain_probability::both_uncertain() const {
  return !known(model_.efficiency) && !known(model_.background);
}

std::span<const double> uncertain_probability::efficiency_counts(double s, std::int32_t power,
                                                                 std::vector<double>& into,
                                                                 std::size_t up_to) {
  std::fill(into.begin(), into.end(), 0.0);
  std::size_t used = 0;
  for (const node& e : efficiency_rule_) {
    const double weight = power == 0   ? e.weight
                          : power == 1 ? e.weight * e.value
                                       : e.weight * e.value * e.value;
    used = std::max(used, add_poisson(e.value * s, weight, into, up_to));
  }
  return {into.data(), std::min(used, into.size())};
}

std::span<const double> uncertain_probability::background_counts() {
  if (background_used_ == 0) {
    build_rule(model_.background, 1.0, background_rule_);
    for (const node& c : background_rule_) {
      background_used_ = std::max(background_used_, add_poisson(c.value, c.weight, background_));
    }
  }
  return {background_.data(), std::min(background_used_, background_.size())};
}

namespace {

// sum_k a[k - shift] b[n - k]: the count n of the sum of two independent
// counts distributed as a (shifted up by `shift`) and b.
double convolved(std::span<const double> a, std::span<const double> b, std::int32_t n,
                 std::int32_t shift) {
  double sum = 0.0;
  for (std::int32_t k = shift; k <= n; ++k) {
    const auto i = static_cast<std::size_t>(k - shift);
    const auto j = static_cast<std::size_t>(n - k);
    if (i < a.size() && j < b.size()) sum += a[i] * b[j];
  }
  return sum;
}

}  // namespace

std::span<const double> uncertain_probability::counts_at(double s) {
  build_rules(s);
  std::fill(counts_.begin(), counts_.end(), 0.0);
  if (both_uncertain()) {
    // Pois(n | e s + c) = sum_k Pois(k | e s) Pois(n - k | c), exactly: q is
    // the convolution of the efficiency's mixture at s with the
    // background's, which does not depend on s. Each takes one rule, not
    // their product.
    const std::span<const double> a = efficiency_counts(s, 0, efficiency_);
    const std::span<const double> b = background_counts();
    const std::size_t used = a.size() + b.size() - 1;
    grow(counts_, used);
    for (std::size_t k = 0; k < a.size(); ++k) {
      if (a[k] == 0.0) continue;  // exact: no term
      for (std::size_t j = 0; j < b.size(); ++j) counts_[k + j] += a[k] * b[j];
    }
    return {counts_.data(), used};
  }
  std::size_t used = 0;  // counts touched: the span returned
  for (const node& e : efficiency_rule_) {
    for (const node& c : background_rule_) {
      used = std::max(used, add_poisson(e.value * s + c.value, e.weight * c.weight, counts_));
    }
  }
  return {counts_.data(), std::min(used, counts_.size())};
}

double uncertain_probability::at(std::int32_t n, double s) {
  build_rules(s);
  if (both_uncertain()) {
    const auto up_to = static_cast<std::size_t>(n);
    return convolved(efficiency_counts(s, 0, efficiency_, up_to), background_counts(), n, 0);
  }
  const double nd = static_cast<double>(n);
  const double log_n_factorial = log_factorial(nd);  // once, not per node
  double q = 0.0;
  for (const node& e : efficiency_rule_) {
    for (const node& c : background_rule_) {
      const double lambda = e.value * s + c.value;
      // Exact comparison: a mean of 0 gives Pois(n | 0), 1 for n = 0 only.
      const double term =
          lambda == 0.0
              ? (n == 0 ? 1.0 : 0.0)
              : std::exp((n == 0 ? 0.0 : nd * std::log(lambda)) - lambda - log_n_factorial);
      q += e.weight * c.weight * term;
    }
  }
  return q;
}

uncertain_probability::slopes uncertain_probability::slopes_at(std::int32_t n, double s) {
  build_rules(s);
  if (both_uncertain()) {
    // d/ds Pois(k | e s) = e (Pois(k - 1 | e s) - Pois(k | e s)), and the
    // second derivative e^2 times the second difference.
    const std::span<const double> b = background_counts();
    const auto up_to = static_cast<std::size_t>(n);
    const std::span<const double> a1 = efficiency_counts(s, 1, efficiency_, up_to);
    const double first = convolved(a1, b, n, 1) - convolved(a1, b, n, 0);
    const std::span<const double> a2 = efficiency_counts(s, 2, efficiency_, up_to);
    return {first, convolved(a2, b, n, 2) - 2.0 * convolved(a2, b, n, 1) + convolved(a2, b, n, 0)};
  }
  const double nd = static_cast<double>(n);
  const double log_n_factorial = log_factorial(nd);
  slopes result{0.0, 0.0};
  for (const node& e : efficiency_rule_) {
    for (const node& c : background_rule_) {
      const double lambda = e.value * s + c.value;
      // P(n), P(n - 1) and P(n - 2) at this node; exact comparison: at a
      // mean of 0 only the count 0 has probability, 1.
      double p0 = 0.0;
      double p1 = 0.0;
      double p2 = 0.0;
      if (lambda == 0.0) {
        p1 = n == 1 ? 1.0 : 0.0;
        p2 = n == 2 ? 1.0 : 0.0;
      } else {
        p0 = std::exp(nd * std::log(lambda) - lambda - log_n_factorial);
        p1 = p0 * nd / lambda;
        p2 = n >= 2 ? p1 * (nd - 1.0) / lambda : 0.0;
      }
      const double w = e.weight * c.weight * e.value;
      result.first += w * (p1 - p0);
      result.second += w * e.value * (p2 - 2.0 * p1 + p0);
    }
  }
  return result;
}

double uncertain_probability::best_signal(std::int32_t n) {
  const double eps = model_.efficiency.nominal;
  const double b = model_.background.nominal;
  if (known(model_.efficiency) && known(model_.background))
    return std::max(0.0, (static_cast<double>(n) - b) / eps);
  // q(0 | s) is a mixture of e^-(e s + c), falling in s.
  if (n == 0) return 0.0;
  // q(n | s) is taken as unimodal in s (each term of the mixture is, and
  // tests: uncertain_probability checks the mixtures on grids): its
  // maximum is where the slope changes sign. Falling at 0: s = 0. A slope
  // of exactly 0 there (q rising as s^n when no background is possible)
  // is left to the search, which ends near 0 if q falls after all.
  if (slopes_at(n, 0.0).first < 0.0) return 0.0;
  double low = 0.0;                                       // rising here
  double high = std::numeric_limits<double>::infinity();  // falling here, once found
  // Newton's method on the slope from the known-parameter maximum (n - b) /
  // eps, usually a few percent off; a step leaving the bracket is replaced
  // by halving it, or by doubling while no falling point is known, so the
  // bracket shrinks (or grows towards the maximum) every step.
  double s = std::max((static_cast<double>(n) - b) / eps, 0.5 / eps);
  for (std::int32_t step = 0; step < newton_steps; ++step) {
    const slopes d = slopes_at(n, s);
    if (d.first > 0.0) {
      low = s;
    } else {
      high = s;
    }
    const double fallback = std::isinf(high) ? 2.0 * low : low + (high - low) / 2.0;
    double next = d.second < 0.0 ? s - d.first / d.second : fallback;
    if (!(next > low && next < high)) next = fallback;
    const bool converged = std::abs(next - s) <= golden_width * (1.0 + s);
    s = next;
    if (converged || high - low <= golden_width * (1.0 + low)) break;
  }
  return s;
}

double uncertain_probability::profile_denominator(std::int32_t n) const {
  const uncertain_parameter& bg = model_.background;
  const double nd = static_cast<double>(n);
  const double at_count = log_poisson(n, nd);  // the count's own best mean
  if (known(bg)) return std::exp(log_poisson(n, std::max(nd, bg.nominal)));
  if (bg.pdf == uncertainty_pdf::gauss) {
    // Both log Pois(n | c) and the Gaussian constraint are concave in c: at
    // c = b <= n the signal takes up n - b and the maximum is Pois(n | n);
    // else it lies in [n, b].
    if (bg.nominal <= nd) return std::exp(at_count);
    const double b = bg.nominal;
    const double sigma = bg.sigma;
    const auto h = [&](double c) {
      const double z = (c - b) / sigma;
      return log_poisson(n, c) - 0.5 * z * z;
    };
    return std::exp(golden_maximum(h, nd, b));
  }
  // Lognormal, in u = log c, where the log pdf ratio is concave, and so is
  // log Pois(n | e^u): below c = n the signal makes the mean n, above it the
  // signal is 0. The constraint is g(c) / g(b).
  const log_normal_shape shape = log_normal_shape_of(bg.nominal, bg.sigma);
  const double mu = shape.mu_log;
  const double var = shape.sigma_log * shape.sigma_log;
  const auto log_g = [&](double u) { return -u - (u - mu) * (u - mu) / (2.0 * var); };
  const double log_g_nominal = log_g(std::log(bg.nominal));
  double best = -std::numeric_limits<double>::infinity();
  if (n >= 1) {
    const double u = std::min(mu - var, std::log(nd));  // log g's maximum, capped at c = n
    best = at_count + log_g(u);
  }
  // Above c = n the derivative n - e^u - 1 - (u - mu) / var is negative
  // beyond max(log n, mu); for n = 0 it is positive below
  // mu - var (1 + e^mu) - 1.
  const double low = n >= 1 ? std::log(nd) : mu - var * (1.0 + std::exp(mu)) - 1.0;
  const double high = std::max(low, mu);
  best = std::max(
      best,
      golden_maximum([&](double u) { return log_poisson(n, std::exp(u)) + log_g(u); }, low, high));
  return std::exp(best - log_g_nominal);
}

double uncertain_probability::denominator(std::int32_t n) {
  assert(n >= 0);
  const auto index = static_cast<std::size_t>(n);
  if (denominators_.size() <= index)
    denominators_.resize(index + 1, std::numeric_limits<double>::quiet_NaN());
  if (std::isnan(denominators_[index])) {
    const double d = model_.ordering == uncertain_ordering::conrad ? at(n, best_signal(n))
                                                                   : profile_denominator(n);
    denominators_[index] = d;
  }
  return denominators_[index];
}

}  // namespace limits
