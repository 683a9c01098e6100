#pragma once

#include <cstdint>
#include <optional>

// The model the cheaper routes decide by: interval_proof.cpp at one mean
// (and the range above it that it proves), range_proof.cpp over a range of
// means. Where a route applies, the model's logarithms of the likelihood
// ratios and its Poisson terms lie within margins of the build's own doubles;
// why is written in interval_proof.cpp. No I/O, no allocation.
namespace limits::route {

inline constexpr double unit_roundoff = 0x1p-53;
inline constexpr double safety_factor = 4.0;
inline constexpr double smallest_term = 1e-250;
inline constexpr double lowest_log_ratio = -600.0;

// Where the route starts: the build's mean (the same double), its
// logarithm, the build's start count n0 = floor(lambda), and the counts it
// may reach, up to n_max.
struct start {
  double lambda;
  double L;
  std::int32_t n0;
  double reach;
  std::int32_t n_max;
};

// The start for (mu, b, cl), or nothing outside the guards.
std::optional<start> start_of(double mu, double b, double cl);

// The tables the model reads, and log(b) (0 for b = 0), kept per thread for
// the last background.
struct tables {
  const double* log_n;
  const double* log_factorial;
  const double* reciprocal;
  double Lb;
};

const tables& tables_for(double b);

// The margins of one start, for every mean up to n0 + 1: a difference of two
// log ratios beyond tie decides the comparison of the build, a sum of model
// terms at or above reached (below missed) has reached cl (has not) in the
// build. scale multiplies the margins: 1 as proved, 0 for the bare model.
struct margins {
  double tie;
  double reached;
  double missed;
};

margins margins_of(const start& s, double cl, double scale, const tables& t);

// The exponent of the model's term at n0: exp of it is the term.
double start_exponent(const start& s, const tables& t);

// The model's log of the likelihood ratio of count n at (mu, b), with
// L = log(lambda) and d_low = L - log(b).
inline double log_ratio(std::int32_t n, double mu, double b, double L, double d_low,
                        const double* log_n) {
  if (n == 0) return -mu;
  const auto count = static_cast<double>(n);
  const double excess = count - b;  // the build's best mean: excess where positive
  if (!(0.0 < excess)) return count * d_low - mu;
  return count * (L - log_n[n]) + (excess - mu);
}

// Whether the build's ratio of count n keeps to normal doubles, which the
// model's margins take for granted: for a count above b the build forms
// e^a q^n with a = (n - b) - mu, and far from lambda one factor can leave the
// normal range while the product does not (q^n is subnormal above about
// lambda = 525 at the far upper counts, e^a overflows above about 1086).
// Counts at or below b form (lambda / b)^n e^-mu, bounded by e^mu.
inline bool ratio_in_normal_range(std::int32_t n, double mu, double b, double L,
                                  const double* log_n) {
  const auto count = static_cast<double>(n);
  const double excess = count - b;
  if (!(0.0 < excess) || n == 0) return true;
  constexpr double largest_exponent = 700.0;
  const double a = excess - mu;
  const double power = count * (L - log_n[n]);
  return a <= largest_exponent && a >= -largest_exponent && power <= largest_exponent &&
         power >= -largest_exponent;
}

}  // namespace limits::route
