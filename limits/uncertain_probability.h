#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace limits {

// The pdf describing what is known of an uncertain parameter, given by its
// mean (the nominal value) and standard deviation sigma:
// - gauss: a Gaussian of that mean and sigma, truncated at 0 and
//   renormalised over x >= 0 (so the truncated pdf's own mean lies a little
//   above the nominal value when sigma is not small against it);
// - lognormal: log x Gaussian with sigma_log^2 = log(1 + sigma^2 / mean^2)
//   and mu_log = log(mean) - sigma_log^2 / 2, which gives exactly that mean
//   and standard deviation.
enum class uncertainty_pdf { gauss, lognormal };

// A nominal value >= 0 (> 0 for a lognormal) and sigma >= 0; sigma = 0 means
// known exactly, and then nothing is integrated over it.
struct uncertain_parameter {
  double nominal = 0.0;
  double sigma = 0.0;
  uncertainty_pdf pdf = uncertainty_pdf::gauss;
};

// How the counts are ranked at a signal s, both by R = q(n | s) / d(n):
// - conrad: d(n) = q(n | s_best), s_best >= 0 maximising q(n | s);
// - profile: d(n) the Poisson likelihood of n maximised jointly over s >= 0
//   and the uncertain parameters, each weighted by its pdf scaled to 1 at its
//   nominal value. An efficiency enters only as e s with s free, so its
//   constraint only multiplies every d(n) by the same factor and is left
//   out: with only the efficiency uncertain d(n) = Pois(n | max(n, b)).
enum class uncertain_ordering { conrad, profile };

// One count n ~ Poisson(e s + c): e the efficiency (nominal eps, > 0), c the
// background (nominal b), s >= 0 the signal.
struct uncertain_model {
  uncertain_parameter background;
  uncertain_parameter efficiency{1.0, 0.0, uncertainty_pdf::gauss};
  uncertain_ordering ordering = uncertain_ordering::conrad;
};

struct log_normal_shape {
  double mu_log;
  double sigma_log;
};

// mu_log and sigma_log of the lognormal with the given mean > 0 and sigma.
log_normal_shape log_normal_shape_of(double mean, double sigma);

// The probabilities of the counts at a signal s, integrated over the
// uncertain parameters (Cousins and Highland):
//   q(n | s) = Int Int Pois(n | e s + c) f(e) g(c) de dc.
// Each uncertain parameter is integrated by composite 16-point
// Gauss-Legendre rules over nominal +- 10 sigma (its log for a lognormal,
// cut at 0 for a Gaussian): the pdf outside holds below 1e-22. Each panel
// is at most four widths long, a width being the smaller of sigma and of
// the Poisson peak's width in that parameter where the panel lies (narrow
// near 0, where the mean is small), so the integrand is a smooth bump on
// each panel; the weights are renormalised to sum 1 (the
// truncation's renormalisation, done by the same rule). refinement > 1
// shortens every panel by that factor. What is guaranteed is a checked
// convergence, not a proven bound: halving the panels changes no count
// whose q is at least 1e-9 by more than 1e-12 of it, on models with either
// pdf, either or both parameters uncertain, and means up to about 1100
// (tests: uncertain_probability.quadrature_converges).
// The Poisson terms start from logarithms (lgamma) at each node's most
// probable count and follow the recurrences from there, so counts and
// means up to millions neither underflow nor overflow.
// Holds its buffers (grown as needed, then reused) and a cache of the
// ranking denominators: one object per thread. No I/O.
class uncertain_probability {
 public:
  explicit uncertain_probability(const uncertain_model& model, std::int32_t refinement = 1);

  const uncertain_model& model() const { return model_; }

  // q(0 | s), q(1 | s), ...: every count up to the last one a node of the
  // rules gives a weighted term of at least 1e-30; the counts left out, and
  // the terms each count leaves out, hold below 1e-23 together. Valid until
  // the next call of counts_at (at and denominator leave it as it is).
  std::span<const double> counts_at(double s);

  // q(n | s) for one count n >= 0.
  double at(std::int32_t n, double s);

  // The ranking denominator d(n) of the model's ordering, cached per count.
  double denominator(std::int32_t n);

  // The signal s >= 0 maximising q(n | s) (the conrad ordering's s_best).
  double best_signal(std::int32_t n);

 private:
  struct node {
    double value;
    double weight;
  };

  // slope: how fast the Poisson mean grows with the parameter (s for the
  // efficiency, 1 for the background).
  void build_rule(const uncertain_parameter& p, double slope, std::vector<node>& rule) const;
  void build_rules(double s);
  double profile_denominator(std::int32_t n) const;

  // d q(n | s) / ds and d^2 q(n | s) / ds^2.
  struct slopes {
    double first;
    double second;
  };

  slopes slopes_at(std::int32_t n, double s);

  uncertain_model model_;
  std::int32_t refinement_;
  std::vector<node> efficiency_rule_;
  std::vector<node> background_rule_;
  // Grows a buffer of terms to at least `size` (and the reciprocals with it).
  void grow(std::vector<double>& terms, std::size_t size);
  // Adds weight Pois(k | lambda) to into[k] for every k whose term is at
  // least smallest_term, k up to up_to; returns one past the highest k
  // touched.
  std::size_t add_poisson(double lambda, double weight, std::vector<double>& into,
                          std::size_t up_to = max_count);
  bool both_uncertain() const;
  // sum over the efficiency's nodes of w e^power Pois(k | e s), in into.
  std::span<const double> efficiency_counts(double s, std::int32_t power, std::vector<double>& into,
                                            std::size_t up_to = max_count);
  // sum over the background's nodes of w Pois(k | c): computed once.
  std::span<const double> background_counts();

  static constexpr std::size_t max_count = 100'000'000;  // counts beyond are never needed

  std::vector<double> counts_;
  std::vector<double> efficiency_;    // the efficiency's mixture (both uncertain)
  std::vector<double> background_;    // the background's mixture (both uncertain)
  std::size_t background_used_ = 0;   // 0: not yet computed
  std::vector<double> reciprocals_;   // 1 / k, for the upward recurrence
  std::vector<double> denominators_;  // NaN: not yet computed
};

}  // namespace limits
