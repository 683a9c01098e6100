#pragma once

// A Gaussian measurement x of a mean mu that is bounded below by 0, with a
// known standard deviation sigma: the ordering of Feldman and Cousins by
// the likelihood ratio R(x) = P(x | mu) / P(x | max(0, x)). In units of
// sigma, log R = -(x - mu)^2 / 2 for x >= 0 and x mu - mu^2 / 2 for x < 0:
// it rises up to x = mu and falls beyond, so each acceptance interval
// [x1(mu), x2(mu)] is one interval, with R(x1) = R(x2) and probability cl.
// Its ends rise with mu, so the confidence interval of a measurement x0 is
// one interval too: from the mean whose x2 is x0 to the mean whose x1 is x0.

namespace limits {

// What a confidence level 0 < cl < 1 fixes for every mean and measurement.
struct gaussian_level {
  double cl;
  // The probability compared: outside the interval (1 - cl, exact for cl
  // >= 0.5, and an erfc keeps every digit of small tails) or inside it (cl,
  // and erf keeps every digit of small probabilities).
  bool by_tails;
  double target;
  double log_target;
  // z of the central interval, P(|x - mu| <= z) = cl: the half width of
  // every acceptance interval at means mu >= z (in units of sigma).
  double central;
};

gaussian_level gaussian_level_of(double cl);

struct gaussian_range {
  double low;
  double high;
};

// The acceptance interval [x1, x2] of the measurement at mean mu >= 0
// (finite) for sigma > 0 (finite). At mu = 0 it is the limit as mu falls to
// 0: (-infinity, z] with P(x <= z) = cl for cl >= 0.5, and [-z, 0] with
// P(-z <= x <= 0) = cl below it. x1 is -infinity also where it lies below
// the doubles (mu / sigma below about 1e-308); x2 may be +infinity where mu
// is near the largest double. No I/O, no allocation.
gaussian_range gaussian_acceptance_interval(double mu, double sigma, const gaussian_level& level);

// The confidence interval [low, high] on mu for a measurement x (finite)
// with sigma > 0 (finite). {0, 0} where no mean accepts x (levels below
// 0.5 and x below -z, P(-z <= x <= 0) = cl). high may be +infinity where x
// is near the largest double. No I/O, no allocation.
gaussian_range gaussian_confidence_interval(double x, double sigma, const gaussian_level& level);

}  // namespace limits
