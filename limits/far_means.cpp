#include "limits/far_means.h"

#include <algorithm>
#include <cmath>

#include "limits/build_error.h"

// Why no interval in a proven stretch reaches Nm.
//
// Write n = Nm and lambda = b + mu for the build's mean, and take n above
// the stretch [lambda_a, lambda_h], n >= floor(lambda_h) + 2. The build grows
// its interval outward from floor(lambda): the lower candidate goes first
// where its ratio is above the upper candidate's, the upper one otherwise (a
// tie goes up), until the sum of the terms taken reaches cl. So n, an upper
// candidate, is taken only once every count from floor(lambda) + 1 up to
// n - 1 is, and then only against a lower candidate whose ratio is not above
// its own. For a count k < n the ideal difference of log ratios
// log R(k) - log R(n) is (k - n) log(lambda) plus a constant: it falls as
// lambda grows. Where at lambda_h it exceeds both counts' bounds on the
// build's log ratios (build_error.cpp) for every k from K' + 1 up to
// floor(lambda_h), each such lower candidate goes before n at every mean of
// the stretch, and the build has taken all of K' + 1 .. n - 1 before n. The
// ideal probability of those counts rises and then falls with lambda (its
// derivative is P(K') - P(n - 1)), so at every mean of the stretch it is at
// least its value at one end; where that times one less the bound on the
// build's sum (build_error.cpp) reaches cl at both ends, the build has
// stopped before n: no interval of the stretch reaches n.
//
// The bounds hold where the build's ratios keep to normal doubles and its
// terms to the plain forms (mu <= 700): checked for n and every count used,
// at both ends of the stretch (the factors' logarithms are monotone or
// concave in lambda between them).
namespace limits {
namespace {

using build_error::largest_plain_mean;

// Whether the build forms the ratio of count k at build mean lambda from
// factors that stay normal.
bool ratio_normal(std::int32_t k, double b, double lambda) {
  const double mu = lambda - b;
  if (!(mu >= 0.0 && mu <= largest_plain_mean)) return false;
  const auto count = static_cast<double>(k);
  if (k == 0 || !(0.0 < count - b)) return true;
  if (!(lambda > 0.0)) return false;  // no logarithm to take
  const double a = (count - b) - mu;
  const double power = count * std::log(lambda / count);
  return std::fabs(a) <= 700.0 && std::fabs(power) <= 700.0;
}

// The largest mean of the stretch, with room for the rounding of b + mu.
double top_mean(double b, double lambda_h) { return (lambda_h - b) * (1.0 + 1e-15) + 1e-300; }

bool reaches_cl(std::int32_t a, std::int32_t c, double b, double cl, double lambda_a,
                double lambda_h) {
  if (c < a) return false;
  const double bound =
      build_error::run_sum_bound(a, c, b, std::max(lambda_a - b, 0.0), top_mean(b, lambda_h));
  for (const double lambda : {lambda_a, lambda_h}) {
    const long double sum = build_error::poisson_run(a, c, lambda);
    if (!(sum * (1.0L - static_cast<long double>(bound)) - 1e-300L * (c - a + 1) >=
          static_cast<long double>(cl))) {
      return false;
    }
  }
  return true;
}

// Whether count k surely goes before n at build mean lambda: its ratio's
// ideal log exceeds n's by more than both bounds. The factors must be
// normal at both ends of the stretch.
class ahead_of {
 public:
  ahead_of(std::int32_t n, double b, double lambda, double lambda_a, double lambda_h)
      : b_(b),
        lambda_a_(lambda_a),
        lambda_h_(lambda_h),
        mu_high_(top_mean(b, lambda_h)),
        n_bound_(build_error::log_ratio_bound(n, b, mu_high_)),
        ratios_(b, lambda),
        ratio_n_(ratios_(n)) {}

  bool operator()(std::int32_t k) const {
    if (!ratio_normal(k, b_, lambda_a_) || !ratio_normal(k, b_, lambda_h_)) return false;
    const long double ratio_k = ratios_(k);
    const long double room =
        static_cast<long double>(n_bound_) +
        static_cast<long double>(build_error::log_ratio_bound(k, b_, mu_high_)) +
        1e-18L * (std::fabs(ratio_k) + std::fabs(ratio_n_)) + 1e-12L;
    return ratio_k - ratio_n_ > room;
  }

 private:
  double b_;
  double lambda_a_;
  double lambda_h_;
  double mu_high_;
  double n_bound_;
  build_error::ideal_log_ratios ratios_;
  long double ratio_n_;
};

// The first count from `from` in the direction `step` (+1 or -1) that is not
// ahead; the log ratios fall away from the mean and the factors' sizes grow,
// so the counts that are ahead come first and the edge is bisected.
std::int32_t first_not_ahead(const ahead_of& ahead, std::int32_t from, std::int32_t step,
                             std::int32_t limit) {
  if (!ahead(from)) return from;
  std::int32_t yes = from;  // ahead
  std::int32_t no = limit;  // taken as not ahead
  if (ahead(limit)) return limit + step;
  while ((no - yes) * step > 1) {
    const std::int32_t middle = yes + (no - yes) / 2;
    (ahead(middle) ? yes : no) = middle;
  }
  return no;
}

bool none_reaches(std::int32_t n, double b, double cl, double lambda_a, double lambda_h) {
  if (!(static_cast<double>(n) >= std::floor(lambda_h) + 2.0 && lambda_a <= lambda_h)) {
    return false;
  }
  if (!ratio_normal(n, b, lambda_a) || !ratio_normal(n, b, lambda_h)) return false;
  const ahead_of ahead(n, b, lambda_h, lambda_a, lambda_h);
  const auto first = static_cast<std::int32_t>(std::floor(lambda_h));
  const std::int32_t K = first_not_ahead(ahead, first, -1, 0);
  return reaches_cl(K + 1, n - 1, b, cl, lambda_a, lambda_h);
}

// Bisections stop at this relative width: the stretches need not be
// extreme, the walk covers the rest.
constexpr double width = 1e-2;
constexpr int most_halvings = 40;

}  // namespace

double excluded_from_above(std::int32_t Nm, double b, double cl, double lambda_low,
                           double ceiling_lambda) {
  const double highest = std::min(ceiling_lambda, static_cast<double>(Nm) - 2.0);
  if (!(lambda_low <= highest) || !none_reaches(Nm, b, cl, lambda_low, lambda_low)) {
    return lambda_low;
  }
  if (none_reaches(Nm, b, cl, lambda_low, highest)) return highest;
  double proven = lambda_low;
  double failing = highest;
  for (int i = 0; i < most_halvings && failing - proven > width * std::max(failing, 1.0); ++i) {
    const double middle = proven + (failing - proven) / 2;
    (none_reaches(Nm, b, cl, lambda_low, middle) ? proven : failing) = middle;
  }
  return proven;
}

}  // namespace limits
