#pragma once

// fclimits: exact Feldman-Cousins confidence limits on the mean of a Poisson
// signal over a known background (G. J. Feldman and R. D. Cousins, Phys. Rev.
// D 57 (1998) 3873), with the upper-limit correction for backgrounds above
// the count of the ADMA program.
//
//   #include <fclimits/fclimits.h>
//
//   const fclimits::interval i = fclimits::limits(3, 0.0, 0.90);
//   // i.lower == 1.1020653282493209, i.upper == 7.4249836160932778
//
// By default the limits are exact: the belt's true edges, every island of
// acceptance included, each located to adjacent doubles (search_method). The
// method `console` gives instead exactly the doubles of the console program
// fclimits, whose printed digits are those values rounded to 16 significant
// digits:
//
//   fclimits::limits(3, 0.0, 0.90, {.method = fclimits::search_method::console})
//   // {1.10546875, 7.4287109375}
//
// Every function may be called from any number of threads at once and gives
// the same bits as on one thread. Nothing needs setting up, nothing is
// printed, nothing ends the process. The functions leave the caller's
// floating-point environment as they found it: they compute with rounding to
// nearest and with floating-point traps off, whatever the caller has set.
//
// Errors are thrown, never returned as NaN or infinity:
// - std::invalid_argument for an argument outside its domain; the message
//   names the argument and its value ("fclimits: b = -1 is not a background:
//   it must be finite and >= 0").
// - std::domain_error for an argument beyond what the computation reaches:
//   a background above max_background (the Poisson terms overflow the
//   double range above about 707), a mean above max_mean or, for coverage,
//   max_coverage_mean, a tolerance above max_tolerance; and, found while
//   computing, a count so large (near 2147483647) that its acceptance
//   intervals pass 32 bits.
// - fclimits::stopped when the caller asked the call to stop (options.stop).
// The rules the arguments are checked by are exposed below (refusal_of_*),
// so that a program can check a whole batch before computing any of it,
// with the library's own rules and words.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "fclimits/stop_token.h"

namespace fclimits {

// The confidence interval [lower, upper] on the signal mean.
struct interval {
  double lower;
  double upper;
};

// How the limits are found.
// - exact (the default): the lower limit is the smallest mean mu >= 0
//   whose acceptance region, exactly as acceptance_region builds it,
//   reaches n (n_high >= n); the raw upper limit the largest mean whose
//   region contains n, over every mean, however narrow the island of
//   acceptance it lies in. Each is located to adjacent doubles: the region
//   at the reported value reaches (contains) n, the one at the double below
//   (above) it does not. Every other mean is proven not to, except outside
//   the proofs' reach (b + mu above 1e4, or mu above 700: counts above about
//   650), where the edges are found by bisection between means that answer
//   differently and a stretch whose ends agree is not searched inside.
//   Costs about 0.1 ms for a request of the paper's grid, more for large
//   backgrounds and counts (README: the benchmarks).
// - console: the searches of the console program, which stop at a width of
//   0.01 (0.0005 b above b = 20): the console's doubles.
enum class search_method { exact, console };

// How the limits are searched.
// - method: as above.
// - tolerance (console method only; the exact method refuses one, as it has
//   no width): 0 means the method's own stopping width, 0.01, or 0.0005 b
//   above b = 20: the console's digits. A tolerance t > 0 stops both searches
//   at width t instead, so each limit lies within t of the extreme mean it
//   looks for, or where no double lies between the ends of the bracket (so
//   a t below the spacing of doubles at the limit means adjacent doubles).
//   The upper search then also refines its bracket down to steps of
//   min(0.005, 50 max(t, 1e-7)), finding every island of acceptance at least
//   100 max(t, 1e-7) wide (at n = 4, b = 15, 90 % an island 0.0002 wide lies
//   above a gap). Finer tolerances cost more: about 25 times the builds at
//   1e-6 for n = 4, b = 15, 90 %; the refinement's points grow as 1 / t down
//   to 1e-7, where one raw upper limit at b = 700 takes seconds (and a
//   corrected one about fifty of them).
// - correct_upper: true applies the correction for backgrounds above the
//   count (where the integer part of b exceeds n): the upper limit becomes the
//   highest raw upper limit found at backgrounds from b to about b + 1 when
//   it rises there. false gives the raw upper limit at b alone. The
//   correction compares raw limits at different backgrounds, so at a finer
//   tolerance it can move by more than the tolerance. In the exact method
//   the correction takes the highest exact raw upper limit at backgrounds
//   from b to b + 1.
// - stop: once a stop is requested through it (from its stop_source, which
//   is std::stop_source where the standard library has one),
//   a call still running ends within one step of its searches (about a
//   millisecond at b = 705) and throws fclimits::stopped; its results are
//   lost. The default never stops.
struct options {
  search_method method = search_method::exact;
  double tolerance = 0.0;
  bool correct_upper = true;
  stop_token stop = {};
};

// Thrown by a call whose options.stop was requested before it ended.
struct stopped : std::runtime_error {
  stopped() : std::runtime_error("fclimits: stopped on request") {}
};

// Every request with a background up to this is computed; a larger one is
// refused with std::domain_error (the Poisson terms overflow the double
// range above about 707).
inline constexpr double max_background = 705.0;

// The largest signal mean taken: the counts of its Poisson distribution stay
// within 32 bits.
inline constexpr double max_mean = 2e9;

// The largest mean coverage is computed at. Its cost grows as mu^1.5 (the
// limits of about 12 sqrt(mu) counts, each found by searches over acceptance
// intervals of about sqrt(mu) terms): about 3 s on one core at b = 3, and it
// would take days near max_mean.
inline constexpr double max_coverage_mean = 1e5;

// The coarsest search tolerance taken, wider than every limit of a 32-bit
// count.
inline constexpr double max_tolerance = 1e10;

// Sums over counts (sensitivity, coverage) stop once the Poisson probability
// of the counts not yet taken is below this: the counts are taken from the
// most probable one outward, the more probable side first.
inline constexpr double tail_probability = 1e-9;

// The lower and upper limit on the signal mean for a measured count n >= 0,
// background b >= 0 and confidence level 0 < cl < 1.
//   limits(0, 0.0, 0.90)  -> {0.0, 2.4359150906191953}
//   limits(10, 3.0, 0.90) -> {2.6326402552277357, 13.500466326900979}
//   limits(0, 3.0, 0.90)  -> {0.0, 1.0782...} (raw: 0.95302685405431442)
// At levels below about 0.63 the interval at zero signal can start above n;
// then no mean accepts n at b itself and the raw upper limit is 0.0 (the
// correction may still find a higher one at a larger background):
//   limits(0, 10.0, 0.5, {.correct_upper = false}) -> {0.0, 0.0}
// Throws std::invalid_argument for n < 0, b negative or not finite, cl not
// strictly between 0 and 1, a tolerance negative or not finite or given to
// the exact method;
// std::domain_error and fclimits::stopped as told above. Costs from microseconds (n >= b) to
// seconds (n far below a background of hundreds, where the correction runs).
interval limits(std::int32_t n, double b, double cl, const options& how = {});

// The counts accepted at signal mean mu >= 0 over background b at level cl:
// n_low to n_high, both included, and their summed Poisson probability (at
// least cl).
//   acceptance_region(0.0, 3.0, 0.90) -> {0, 5, 0.91608...}
// Throws as limits does, and for a mu that is not finite, negative or above
// max_mean.
struct acceptance {
  std::int32_t n_low;
  std::int32_t n_high;
  double probability;
};

acceptance acceptance_region(double mu, double b, double cl);

// The average upper limit of an experiment with background b and no true
// signal (Feldman and Cousins, section VI): the upper limits of n = 0, 1, 2,
// ... weighted by the Poisson probability of n at mean b, until the
// probability left is below tail_probability. sensitivity(0, cl) equals the
// upper limit of n = 0, b = 0. Costs about 12 sqrt(b) + 10 upper limits.
// Throws as limits does.
double sensitivity(double b, double cl, const options& how = {});

// The probability that the reported interval [lower(n), upper(n)], bounds
// included, contains the true signal mean mu >= 0: the Poisson
// probabilities of the counts n at mean mu + b whose interval does, until
// the probability left is below tail_probability. Throws as limits does, and
// for a mu that is not finite, negative or above max_coverage_mean.
double coverage(double mu, double b, double cl, const options& how = {});

// coverage at many means, each bit for bit the single call, computing the
// limits of each count once for all of them, on `threads` threads (0: all
// hardware threads). Every mean is checked before anything is computed.
std::vector<double> coverage(std::span<const double> mu, double b, double cl,
                             const options& how = {}, unsigned threads = 0);

// ---------------------------------------------------------------------------
// An uncertain background and efficiency (Cousins and Highland; the
// orderings of Conrad et al., Phys. Rev. D 67 (2003) 012002, and of Hill,
// Phys. Rev. D 67 (2003) 118101).
//
// The count n is Poisson with mean e s + c: s >= 0 the signal (the
// interval's parameter), e the efficiency (nominal eff) and c the
// background (nominal b), each known up to its pdf. The probability of n,
//   q(n | s) = Int Int Pois(n | e s + c) f(e) g(c) de dc,
// is integrated by Gauss-Legendre rules whose convergence is checked to
// 1e-12 of q for every count of probability at least 1e-9, and the counts
// are ranked at each s by R(n) = q(n | s) / d(n), accepted in decreasing R
// until their summed q reaches cl. The interval holds every s whose
// accepted counts contain n, its ends bisected to 1e-8 max(1, s); the
// counts' sums leave out less than 1e-12. No correction in the background
// direction is made. docs/uncertainties.md tells the construction and
// what is checked.
//
//   fclimits::uncertainties u;
//   u.eff_sigma = 0.2;  // eff = 1 +- 0.2, a Gaussian truncated at 0
//   fclimits::limits(1, 0.0, 0.90, u)  -> {0.10558..., 4.63936...}
//   u = {.b_sigma = 0.5};  // b +- 0.5
//   fclimits::limits(4, 2.0, 0.90, u)  -> {0.0, 6.9403...}

// The pdf of an uncertain parameter of mean m (its nominal value) and
// standard deviation sigma:
// - gauss: a Gaussian of mean m and sigma truncated at 0 and renormalised
//   (the truncated pdf's mean lies a little above m when sigma is not small
//   against m);
// - lognormal: log x Gaussian with sigma_log^2 = log(1 + sigma^2 / m^2) and
//   mu_log = log m - sigma_log^2 / 2: exactly mean m and standard
//   deviation sigma. Needs m > 0.
enum class pdf_shape { gauss, lognormal };

// How the counts are ranked, by R(n) = q(n | s) / d(n):
// - conrad (the default; the older programs' tables): d(n) = q(n | s_best),
//   s_best >= 0 maximising q(n | s);
// - profile: d(n) the Poisson likelihood of n maximised over s >= 0 and the
//   background together, the background's pdf (scaled to 1 at b) weighing
//   it; the efficiency, entering only as e s with s free, does not change
//   the ranking: with only it uncertain d(n) = Pois(n | max(n, b)).
// Under conrad the upper limit of a count below b can shrink as the
// efficiency's uncertainty grows; under profile it grows.
enum class ordering_rule { conrad, profile };

// What is uncertain. sigma 0 means known exactly. The default is nothing
// uncertain and eff = 1: the known-background calls' results, bit for bit.
struct uncertainties {
  double b_sigma = 0.0;
  double eff = 1.0;
  double eff_sigma = 0.0;
  pdf_shape b_pdf = pdf_shape::gauss;
  pdf_shape eff_pdf = pdf_shape::gauss;
  ordering_rule ordering = ordering_rule::conrad;
};

// The largest uncertainties taken, beyond which the integrals reach so far
// that a limit takes minutes: eff_sigma up to eff (100 %), eff / 2 for a
// lognormal; b_sigma up to b for a lognormal and up to max_background_sigma
// for a Gaussian. Lognormals near these bounds cost seconds a limit.
inline constexpr double max_background_sigma = 70.0;

// The limits on the signal s for count n with the uncertainties u. With
// both sigmas 0 they are the known-background limits(n, b, cl, how), every
// option obeyed, divided by eff (with eff = 1 the same bits). Else how.method
// must be exact (the console method has no uncertainties) and
// how.correct_upper is not used: the interval is every s whose region
// contains n, {0.0, 0.0} where none does (levels below about 0.63). Throws
// std::invalid_argument for an uncertainty refused by its rule below, and as
// the known-background call otherwise. Costs about 4 ms with one parameter
// uncertain at the paper's counts, about 15 ms with both.
interval limits(std::int32_t n, double b, double cl, const uncertainties& u,
                const options& how = {});

// The counts accepted at signal s: n_low to n_high, and their summed q. With
// uncertainties the ranking could in principle leave a count between them
// out; contiguous then says so (the known-background regions always are).
struct uncertain_acceptance {
  std::int32_t n_low;
  std::int32_t n_high;
  double probability;
  bool contiguous;
};

uncertain_acceptance acceptance_region(double s, double b, double cl, const uncertainties& u);

// Where the counts of coverage come from: by default Poisson(eff s + b) at
// the nominal values; true_b and true_eff replace either; averaged takes
// q(n | s) instead, the count's distribution averaged over both pdfs (then
// true_b and true_eff must be empty).
struct truth {
  std::optional<double> b = {};
  std::optional<double> eff = {};
  bool averaged = false;
};

// The probability that the interval of the count contains s, the counts
// drawn as `drawn` says. Sums until the probability left is below
// tail_probability (averaged: until every count of q above 1e-16).
double coverage(double s, double b, double cl, const uncertainties& u, const truth& drawn = {},
                const options& how = {});

// coverage at many signals, each the single call's bits, every count's
// interval computed once, on `threads` threads (0: all).
std::vector<double> coverage(std::span<const double> s, double b, double cl, const uncertainties& u,
                             const truth& drawn = {}, const options& how = {},
                             unsigned threads = 0);

// The average upper limit at no signal: the upper limits of n = 0, 1, ...
// weighted by q(n | 0), the count's probability averaged over the
// background's pdf (Pois(n | b) when it is known), until the probability
// left is below tail_probability.
double sensitivity(double b, double cl, const uncertainties& u, const options& how = {});

// ---------------------------------------------------------------------------
// A Gaussian measurement of a mean bounded at zero (Feldman and Cousins'
// second case: a mass squared, a rate, a neutrino mass).
//
// The measurement x is normal with mean mu >= 0 and known standard
// deviation sigma. At each mean the acceptance interval [x_low, x_high]
// holds the x of the largest ratio R(x) = P(x | mu) / P(x | max(0, x)), with
// probability cl; the confidence interval of a measured x is every mean
// whose acceptance interval contains it. The edges are smooth and rise with
// mu, so there are no islands and each limit is found by root finding, to
// within max(1e-12 |limit|, 1e-14 sigma) (measured against an independent
// construction in long double; docs/gaussian.md tells what is proven).
// Each call costs a few microseconds, whatever the arguments.
//
//   fclimits::gaussian_limits(-2.3, 1.0, 0.90) -> {0.0, 0.34453876647258}
//   fclimits::gaussian_limits(0.5, 1.0, 0.90)  -> {0.0, 2.14485362695147}
//   fclimits::gaussian_limits(1.3, 1.0, 0.90)  -> {0.01844843445540, 2.94485362695147}
//   fclimits::gaussian_limits(2.4, 1.0, 0.90)  -> {0.86853090703581, 4.04485362695147}
// (the paper's Table X: [0.00, 0.34], [0.00, 2.14], [0.02, 2.94], [0.87,
// 4.04]), and sigma scales: gaussian_limits(1.0, 2.0, 0.90) is twice
// gaussian_limits(0.5, 1.0, 0.90), to a few roundings.

// The lower and upper limit on mu for a measurement x (any finite double)
// with sigma (finite, > 0) at level cl (0 < cl < 1). At x >= 0 the upper
// limit is x + z sigma, z the half width of the central interval at cl; at
// x >= 2 z sigma the lower limit is x - z sigma. At levels below 0.5 a
// measurement far enough below 0 lies below every acceptance interval: the
// interval is then {0.0, 0.0}, as for limits. Throws
// std::invalid_argument for x or sigma not finite, sigma <= 0, cl not
// strictly between 0 and 1; std::domain_error where the upper limit passes
// the largest double (x near it).
interval gaussian_limits(double x, double sigma, double cl);

// The measurements accepted at mean mu: from x_low to x_high, with
// probability cl.
struct gaussian_band {
  double x_low;
  double x_high;
};

// The acceptance interval at mean mu (finite, >= 0) with sigma (finite,
// > 0) at level cl: one row of the belt. At mu >= z sigma it is the central
// interval mu +- z sigma; below, x_low is below 0 and the interval is
// skewed. At mu = 0 it is the limit of the intervals of means above 0:
// x_low is -infinity (every x <= x_high is accepted) for cl >= 0.5, and
// where x_low lies below the doubles (mu / sigma below about 1e-308); for
// cl < 0.5 it is [-z', 0], P(-z' <= x <= 0) = cl.
//   gaussian_acceptance(0.0, 1.0, 0.90) -> {-infinity, 1.2815515655446004}
//   gaussian_acceptance(1.0, 1.0, 0.90) -> {-0.73125080884126, 2.56923599808395}
// Throws std::invalid_argument for mu not finite or negative, and as
// gaussian_limits; std::domain_error where x_high passes the largest
// double.
gaussian_band gaussian_acceptance(double mu, double sigma, double cl);

// Runs body(i) for every i in [0, count) on up to `threads` threads (0: all
// hardware threads), taking the indices in increasing order as threads come
// free, so long and short requests share out evenly. When a body throws, no
// index above it is started and the exception of the lowest failing index is
// rethrown once all threads have ended: the same exception a loop on one
// thread would throw. Once `stop` is requested no further index is started,
// and fclimits::stopped stands for the first one left out.
void parallel_for(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& body,
                  stop_token stop = {});

// The rules every call checks its arguments by, for programs that check a
// whole batch of requests before computing any of it (fctable, the Python
// module): the same rules and the same words as the calls. Each gives
// nothing for a value that is taken, else why it is refused, worded to
// follow "name = value " as in the calls' messages:
//   refusal_of_background(-1.0)->reason
//     == "is not a background: it must be finite and >= 0"
//   refusal_of_background(800.0)->too_large == true
// A count is given as a double, so that whatever a user typed can be
// checked before it is converted: 2.5 and 3e9 are refused, 3.0 is taken.
// They compute nothing and leave the caller's floating-point environment
// as they found it.
struct refusal {
  std::string reason;
  bool too_large = false;  // the calls throw std::domain_error, else std::invalid_argument
};

std::optional<refusal> refusal_of_count(double n);
std::optional<refusal> refusal_of_background(double b);
std::optional<refusal> refusal_of_mean(double mu);
std::optional<refusal> refusal_of_coverage_mean(double mu);
std::optional<refusal> refusal_of_level(double cl);
std::optional<refusal> refusal_of_tolerance(double tolerance,
                                            search_method method = search_method::console);
// The Gaussian calls' rules: a measurement x finite, a sigma finite and
// > 0, a mean finite and >= 0 (no largest one).
std::optional<refusal> refusal_of_measurement(double x);
std::optional<refusal> refusal_of_sigma(double sigma);
std::optional<refusal> refusal_of_gaussian_mean(double mu);

// The rules of the uncertainties: sigmas finite and >= 0, eff finite and
// > 0, a lognormal's nominal value > 0 when its sigma is not 0, and the
// largest uncertainties above (too_large). The whole set is checked with
// the background it goes with; the refusal's reason follows "name = value "
// of the argument it names (b_sigma, eff, eff_sigma).
struct named_refusal {
  std::string name;
  double value;
  refusal refused;
};

std::optional<named_refusal> refusal_of_uncertainties(double b, const uncertainties& u);

// The method's rule with uncertainties: the console method has none, so
// with b_sigma or eff_sigma above 0 only the exact method is taken. The
// reason follows "method = console ".
std::optional<refusal> refusal_of_method(search_method method, const uncertainties& u);

// The version of the library, "2.0.0".
const char* version();

}  // namespace fclimits
