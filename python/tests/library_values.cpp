// The library's own values over a small grid, for the Python tests to compare
// with bit for bit: one line per call, the arguments and then the results, as
// hexadecimal doubles.
//   acceptance mu b cl n_low n_high probability
//   sensitivity b cl value
//   coverage mu b cl value
//   limits n b cl lower upper
//   gaussian_limits x sigma cl lower upper
//   gaussian_acceptance mu sigma cl x_low x_high
// and a few requests with uncertainties, each with b_sigma eff eff_sigma b_pdf
// eff_pdf ordering after its arguments (true_b and true_eff "-" where not
// given, averaged 0 or 1):
//   uncertain_limits n b cl <uncertainties> lower upper
//   uncertain_acceptance mu b cl <uncertainties> n_low n_high probability contiguous
//   uncertain_sensitivity b cl <uncertainties> value
//   uncertain_coverage mu b cl <uncertainties> true_b true_eff averaged value
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "fclimits/fclimits.h"

namespace {

using fclimits::ordering_rule;
using fclimits::pdf_shape;
using fclimits::uncertainties;

constexpr pdf_shape lognormal = pdf_shape::lognormal;
constexpr ordering_rule profile = ordering_rule::profile;

// Both parameters uncertain only at small counts and backgrounds, where they
// cost least: a coverage or sensitivity takes the limits of a dozen counts.
struct uncertain_request {
  double x;  // n or mu
  double b;
  double cl;
  uncertainties u;
};

constexpr uncertain_request limits_requests[] = {
    {1.0, 0.0, 0.9, {.eff_sigma = 0.2}},
    {4.0, 2.0, 0.9, {.b_sigma = 0.5}},
    {2.0, 1.0, 0.6827, {.eff = 0.5}},
    {3.0, 2.0, 0.9, {0.5, 1.0, 0.2, lognormal, lognormal, profile}},
};

constexpr uncertain_request acceptance_requests[] = {
    {2.0, 3.0, 0.9, {.eff_sigma = 0.3}},
    {1.5, 1.0, 0.9, {.b_sigma = 0.4, .b_pdf = lognormal, .ordering = profile}},
    {3.0, 2.0, 0.9, {0.5, 0.8, 0.2, pdf_shape::gauss, lognormal, ordering_rule::conrad}},
};

struct coverage_request {
  uncertain_request r;
  fclimits::truth drawn;
};

const coverage_request coverage_requests[] = {
    {{2.5, 0.0, 0.9, {.eff_sigma = 0.4}}, {}},
    {{2.5, 1.0, 0.9, {.b_sigma = 0.4, .b_pdf = lognormal, .ordering = profile}},
     {.b = 2.0, .eff = std::nullopt, .averaged = false}},
    {{2.0, 0.0, 0.9, {.eff = 0.8, .eff_sigma = 0.3}},
     {.b = std::nullopt, .eff = 0.6, .averaged = false}},
    {{1.5, 1.0, 0.9, {.b_sigma = 0.5}}, {.b = std::nullopt, .eff = std::nullopt, .averaged = true}},
};

const char* word(pdf_shape pdf) { return pdf == lognormal ? "lognormal" : "gauss"; }

void print_uncertainties(const uncertainties& u) {
  std::printf(" %a %a %a %s %s %s", u.b_sigma, u.eff, u.eff_sigma, word(u.b_pdf), word(u.eff_pdf),
              u.ordering == profile ? "profile" : "conrad");
}

void print_true(const std::optional<double>& value) {
  if (value) {
    std::printf(" %a", *value);
  } else {
    std::printf(" -");
  }
}

void print_uncertain_values() {
  for (const uncertain_request& r : limits_requests) {
    const auto n = static_cast<std::int32_t>(r.x);
    const fclimits::interval found = fclimits::limits(n, r.b, r.cl, r.u);
    std::printf("uncertain_limits %d %a %a", n, r.b, r.cl);
    print_uncertainties(r.u);
    std::printf(" %a %a\n", found.lower, found.upper);
  }
  for (const uncertain_request& r : acceptance_requests) {
    const fclimits::uncertain_acceptance region = fclimits::acceptance_region(r.x, r.b, r.cl, r.u);
    std::printf("uncertain_acceptance %a %a %a", r.x, r.b, r.cl);
    print_uncertainties(r.u);
    std::printf(" %d %d %a %d\n", region.n_low, region.n_high, region.probability,
                region.contiguous ? 1 : 0);
  }
  for (const auto& [r, drawn] : coverage_requests) {
    std::printf("uncertain_coverage %a %a %a", r.x, r.b, r.cl);
    print_uncertainties(r.u);
    print_true(drawn.b);
    print_true(drawn.eff);
    std::printf(" %d %a\n", drawn.averaged ? 1 : 0, fclimits::coverage(r.x, r.b, r.cl, r.u, drawn));
  }
  const uncertain_request& r = limits_requests[1];
  std::printf("uncertain_sensitivity %a %a", r.b, r.cl);
  print_uncertainties(r.u);
  std::printf(" %a\n", fclimits::sensitivity(r.b, r.cl, r.u));
}

}  // namespace

int main() {
  constexpr double means[] = {0.0, 0.5, 2.5, 7.0};
  constexpr double backgrounds[] = {0.0, 1.5, 3.0};
  constexpr double levels[] = {0.6827, 0.9};
  for (const double b : backgrounds) {
    for (const double cl : levels) {
      std::printf("sensitivity %a %a %a\n", b, cl, fclimits::sensitivity(b, cl));
      for (const double mu : means) {
        const fclimits::acceptance region = fclimits::acceptance_region(mu, b, cl);
        std::printf("acceptance %a %a %a %d %d %a\n", mu, b, cl, region.n_low, region.n_high,
                    region.probability);
        std::printf("coverage %a %a %a %a\n", mu, b, cl, fclimits::coverage(mu, b, cl));
      }
      for (const int n : {0, 3, 7}) {
        const fclimits::interval found = fclimits::limits(n, b, cl);
        std::printf("limits %d %a %a %a %a\n", n, b, cl, found.lower, found.upper);
      }
    }
  }
  print_uncertain_values();
  // The Gaussian measurement bounded at zero, on both sides of the bound.
  for (const double x : {-40.0, -2.3, 0.0, 0.5, 2.4, 1e6}) {
    for (const double sigma : {1.0, 0.3}) {
      for (const double cl : {0.3, 0.9, 1 - 1e-12}) {
        const fclimits::interval found = fclimits::gaussian_limits(x, sigma, cl);
        std::printf("gaussian_limits %a %a %a %a %a\n", x, sigma, cl, found.lower, found.upper);
        const double mu = std::fabs(x);
        const fclimits::gaussian_band band = fclimits::gaussian_acceptance(mu, sigma, cl);
        std::printf("gaussian_acceptance %a %a %a %a %a\n", mu, sigma, cl, band.x_low, band.x_high);
      }
    }
  }
}
