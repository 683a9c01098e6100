#include "limits/uncertain_limits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "limits/acceptance_interval.h"
#include "limits/exact_search.h"
#include "limits/uncertain_probability.h"

namespace {

using limits::uncertain_model;
using limits::uncertain_ordering;
using limits::uncertain_probability;
using limits::uncertainty_pdf;

constexpr auto gauss = uncertainty_pdf::gauss;
constexpr auto lognormal = uncertainty_pdf::lognormal;

uncertain_model model_of(double b, double b_sigma, double eps, double eps_sigma,
                         uncertainty_pdf pdf = gauss,
                         uncertain_ordering ordering = uncertain_ordering::conrad) {
  return {{b, b_sigma, pdf}, {eps, eps_sigma, pdf}, ordering};
}

std::string describe(const uncertain_model& m) {
  return "b = " + std::to_string(m.background.nominal) + " +- " +
         std::to_string(m.background.sigma) + ", eps = " + std::to_string(m.efficiency.nominal) +
         " +- " + std::to_string(m.efficiency.sigma) +
         (m.background.pdf == lognormal ? " lognormal" : " gauss") +
         (m.ordering == uncertain_ordering::profile ? " profile" : " conrad");
}

// The published examples, 90 %, conrad ordering. Their limits are printed
// to two decimals by a program good to about 0.002 to 0.01: hence the
// tolerance.
struct published_case {
  std::int32_t n;
  uncertain_model model;
  double lower;
  double upper;
};

TEST(uncertain_limits, published_examples) {
  const published_case cases[] = {
      {1, model_of(0.0, 0.0, 1.0, 0.2), 0.105591, 4.639010},
      {4, model_of(2.0, 0.5, 1.0, 0.0), 0.00, 6.94},
      {30, model_of(0.0, 0.0, 1.0, 0.2), 18.75, 47.65},
  };
  for (const published_case& c : cases) {
    SCOPED_TRACE(c.n);
    uncertain_probability q(c.model);
    const limits::uncertain_interval i = limits::uncertain_limits(q, c.n, 0.90);
    EXPECT_TRUE(i.found);
    EXPECT_NEAR(i.lower, c.lower, 0.01);
    EXPECT_NEAR(i.upper, c.upper, 0.01);
  }
}

// Rows computed by tests/oracle/uncertain_oracle.py, an independent slow
// computation: the double integral as a convolution of two single adaptive
// quadratures, a scan finer than the library's, every change bisected to
// 1e-10 max(1, s). The library promises each limit within 1e-8 max(1, s) of
// the belt's edge (its bisection bracket); q's 1e-12 moves an edge by far
// less. The tolerance is five times that bracket; the rows agree to 6e-9.
struct oracle_row {
  std::string text;
  std::int32_t n = 0;
  uncertain_model model;
  double cl = 0.0;
  double lower = 0.0;
  double upper = 0.0;
};

std::vector<oracle_row> oracle_rows() {
  std::ifstream file(FCLIMITS_TEST_DATA "/uncertain_oracle.txt");
  std::vector<oracle_row> rows;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    oracle_row r;
    r.text = line;
    double b = 0.0, b_sigma = 0.0, eps = 0.0, eps_sigma = 0.0;
    std::string pdf, ordering;
    fields >> r.n >> b >> b_sigma >> eps >> eps_sigma >> pdf >> ordering >> r.cl >> r.lower >>
        r.upper;
    r.model =
        model_of(b, b_sigma, eps, eps_sigma, pdf == "lognormal" ? lognormal : gauss,
                 ordering == "profile" ? uncertain_ordering::profile : uncertain_ordering::conrad);
    if (fields) rows.push_back(r);
  }
  return rows;
}

TEST(uncertain_limits, agree_with_the_slow_oracle) {
  const std::vector<oracle_row> rows = oracle_rows();
  ASSERT_EQ(rows.size(), 40u);
  constexpr double tolerance = 5e-8;
  for (const oracle_row& r : rows) {
    SCOPED_TRACE(r.text);
    uncertain_probability q(r.model);
    const limits::uncertain_interval i = limits::uncertain_limits(q, r.n, r.cl);
    EXPECT_TRUE(i.found);
    EXPECT_NEAR(i.lower, r.lower, tolerance * std::max(1.0, r.lower));
    EXPECT_NEAR(i.upper, r.upper, tolerance * std::max(1.0, r.upper));
  }
}

// Islands far above the main edge, which begin where n's ratio crosses
// another count's: at zero sigma the exact search's, and with a small
// uncertainty still there (a scan at 2e-5 puts the last accepting s of
// n = 0, b = 12 +- 0.12, 99 % at 2.86134; without the island 2.5552).
TEST(uncertain_limits, islands_begin_at_crossings) {
  struct island_case {
    std::int32_t n;
    double b;
    double cl;
  };

  const island_case cases[] = {{0, 12.0, 0.99}, {6, 11.5, 0.99}, {10, 15.0, 0.99}, {4, 15.0, 0.90}};
  for (const island_case& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " b " << c.b << " cl " << c.cl);
    uncertain_probability q(model_of(c.b, 0.0, 1.0, 0.0));
    const double upper = limits::exact_raw_upper_limit(c.n, c.b, c.cl, {});
    EXPECT_NEAR(limits::uncertain_limits(q, c.n, c.cl).upper, upper, 1e-7 * upper);
  }
  uncertain_probability q(model_of(12.0, 0.12, 1.0, 0.0));
  EXPECT_NEAR(limits::uncertain_limits(q, 0, 0.99).upper, 2.86134, 2e-5);
}

// Known parameters: the region is the known-background build's at
// mu = eps s, and the limits the exact search's to the bisection's width.
TEST(uncertain_limits, known_parameters_give_the_known_build) {
  const double signals[] = {0.0, 0.3, 1.7, 4.2, 9.5};
  const double backgrounds[] = {0.0, 0.5, 3.0, 7.5};
  const double levels[] = {0.6827, 0.90, 0.95};
  const double efficiencies[] = {1.0, 0.5};
  for (const double eps : efficiencies) {
    for (const double b : backgrounds) {
      uncertain_probability q(model_of(b, 0.0, eps, 0.0));
      for (const double cl : levels) {
        for (const double s : signals) {
          SCOPED_TRACE(testing::Message()
                       << "eps " << eps << " b " << b << " cl " << cl << " s " << s);
          const limits::uncertain_region r = limits::uncertain_acceptance_region(q, s, cl);
          limits::build_acceptance_interval(eps * s, b, cl);
          EXPECT_EQ(r.n_low, limits::current_interval.n_low);
          EXPECT_EQ(r.n_high, limits::current_interval.n_high);
          EXPECT_TRUE(r.contiguous);
        }
        for (std::int32_t n = 0; n <= 6; n += 3) {
          SCOPED_TRACE(testing::Message()
                       << "eps " << eps << " b " << b << " cl " << cl << " n " << n);
          const limits::uncertain_interval i = limits::uncertain_limits(q, n, cl);
          const double lower = limits::exact_lower_limit(n, b, cl, {}) / eps;
          const double upper = limits::exact_raw_upper_limit(n, b, cl, {}) / eps;
          EXPECT_NEAR(i.lower, lower, 1e-7 * std::max(1.0, lower));
          EXPECT_NEAR(i.upper, upper, 1e-7 * std::max(1.0, upper));
        }
      }
    }
  }
}

// Under conrad the upper limit of a count below the background shrinks as
// the efficiency uncertainty grows, under profile it grows; with no
// uncertainty both are the known-background limit.
struct trend_case {
  uncertain_ordering ordering;
  std::int32_t n;
  double b;
};

TEST(uncertain_limits, upper_limit_trend_with_efficiency_uncertainty) {
  const trend_case cases[] = {
      {uncertain_ordering::conrad, 0, 3.0},
      {uncertain_ordering::conrad, 1, 3.0},
      {uncertain_ordering::profile, 0, 3.0},
      {uncertain_ordering::profile, 1, 3.0},
  };
  const double sigmas[] = {0.0, 0.2, 0.4};
  for (const trend_case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "n " << c.n << " profile " << (c.ordering == uncertain_ordering::profile));
    double previous = 0.0;
    for (const double sigma : sigmas) {
      uncertain_probability q(model_of(c.b, 0.0, 1.0, sigma, gauss, c.ordering));
      const double upper = limits::uncertain_limits(q, c.n, 0.90).upper;
      if (sigma == 0.0) {
        EXPECT_NEAR(upper, limits::exact_raw_upper_limit(c.n, c.b, 0.90, {}), 1e-7);
      } else if (c.ordering == uncertain_ordering::conrad) {
        EXPECT_LT(upper, previous);
      } else {
        EXPECT_GT(upper, previous);
      }
      previous = upper;
    }
  }
}

// The region and the test of one count agree: both rank and sum the same way.
TEST(uncertain_limits, region_agrees_with_containment) {
  const uncertain_model models[] = {
      model_of(3.0, 1.0, 0.8, 0.3),
      model_of(3.0, 1.0, 0.8, 0.3, lognormal, uncertain_ordering::profile),
  };
  const double signals[] = {0.0, 1.0, 2.5, 6.0};
  for (const uncertain_model& m : models) {
    uncertain_probability q(m);
    for (const double s : signals) {
      SCOPED_TRACE(describe(m) + " s = " + std::to_string(s));
      const limits::uncertain_region r = limits::uncertain_acceptance_region(q, s, 0.90);
      EXPECT_TRUE(r.contiguous);
      EXPECT_GE(r.coverage, 0.90);
      for (std::int32_t n = 0; n <= 20; ++n) {
        EXPECT_EQ(limits::uncertain_region_contains(q, n, s, 0.90), n >= r.n_low && n <= r.n_high);
      }
    }
  }
}

// The quadrature's check: doubling every panel count changes no count's
// probability above 1e-9 by more than 1e-12 of it, and the probabilities
// sum to 1 and have the mean eps s + b where the pdfs have those means
// (the lognormal's are exact; the truncated Gaussians' lie above).
struct quadrature_case {
  uncertain_model model;
  double s;
};

TEST(uncertain_probability, quadrature_converges) {
  const quadrature_case cases[] = {
      {model_of(0.0, 0.0, 1.0, 0.2), 0.1},
      {model_of(0.0, 0.0, 1.0, 0.2), 4.6},
      {model_of(0.0, 0.0, 1.0, 0.2), 47.0},
      {model_of(0.0, 0.0, 1.0, 0.4), 300.0},
      {model_of(2.0, 0.5, 1.0, 0.0), 7.0},
      {model_of(15.0, 3.0, 1.0, 0.0), 2.0},
      {model_of(3.0, 1.0, 0.8, 0.3), 5.0},
      {model_of(3.0, 1.0, 0.8, 0.3, lognormal), 5.0},
      {model_of(0.0, 0.0, 1.0, 0.5, lognormal), 40.0},
      {model_of(100.0, 10.0, 1.0, 0.1, lognormal), 1000.0},
  };
  for (const quadrature_case& c : cases) {
    SCOPED_TRACE(describe(c.model) + " s = " + std::to_string(c.s));
    uncertain_probability coarse(c.model);
    uncertain_probability fine(c.model, 2);
    const std::span<const double> a = coarse.counts_at(c.s);
    const std::span<const double> b = fine.counts_at(c.s);
    double sum = 0.0;
    double mean = 0.0;
    double worst = 0.0;
    for (std::size_t n = 0; n < std::min(a.size(), b.size()); ++n) {
      sum += a[n];
      mean += static_cast<double>(n) * a[n];
      if (b[n] >= 1e-9) worst = std::max(worst, std::abs(a[n] - b[n]) / b[n]);
    }
    EXPECT_LT(worst, 1e-12);
    EXPECT_NEAR(sum, 1.0, 1e-12);
    const double nominal_mean = c.model.efficiency.nominal * c.s + c.model.background.nominal;
    if (c.model.background.pdf == lognormal) {
      EXPECT_NEAR(mean, nominal_mean, 1e-11 * nominal_mean);
    } else {
      EXPECT_GE(mean, nominal_mean * (1.0 - 1e-12));
    }
  }
}

// The conrad ordering takes q(n | s) as unimodal in s: checked on a fine
// grid (a fall followed by a rise beyond rounding would break it), and
// best_signal at the grid's maximum.
TEST(uncertain_probability, unimodal_in_signal) {
  const uncertain_model models[] = {
      model_of(0.0, 0.0, 1.0, 0.2),
      model_of(0.0, 0.0, 1.0, 0.6),
      model_of(2.0, 0.5, 1.0, 0.0),
      model_of(3.0, 2.5, 0.8, 0.4),
      model_of(3.0, 2.5, 0.8, 0.4, lognormal),
  };
  const std::int32_t counts[] = {1, 5, 12};
  for (const uncertain_model& m : models) {
    uncertain_probability q(m);
    for (const std::int32_t n : counts) {
      SCOPED_TRACE(describe(m) + " n = " + std::to_string(n));
      bool falling = false;
      double previous = q.at(n, 0.0);
      double best = previous;
      double best_s = 0.0;
      for (std::int32_t i = 1; i <= 150; ++i) {
        const double s = 0.2 * static_cast<double>(i);
        const double now = q.at(n, s);
        if (now < previous * (1.0 - 1e-12)) falling = true;
        if (falling) {
          EXPECT_LE(now, previous * (1.0 + 1e-12));
        }
        if (now > best) {
          best = now;
          best_s = s;
        }
        previous = now;
      }
      const double s_best = q.best_signal(n);
      EXPECT_NEAR(s_best, best_s, 0.2);
      EXPECT_GE(q.at(n, s_best), best * (1.0 - 1e-12));
    }
  }
}

// The profile ordering's denominator: Pois(n | max(n, b)) with only the
// efficiency uncertain, and with an uncertain background the maximum over
// a fine grid of backgrounds of Pois(n | max(n, c)) g(c) / g(b).
TEST(uncertain_probability, profile_denominator) {
  const uncertain_model models[] = {
      model_of(3.0, 0.0, 1.0, 0.3, gauss, uncertain_ordering::profile),
      model_of(6.0, 1.5, 1.0, 0.0, gauss, uncertain_ordering::profile),
      model_of(6.0, 1.5, 1.0, 0.0, lognormal, uncertain_ordering::profile),
      model_of(0.5, 0.4, 1.0, 0.2, lognormal, uncertain_ordering::profile),
  };
  for (const uncertain_model& m : models) {
    uncertain_probability q(m);
    const double b = m.background.nominal;
    const double sigma = m.background.sigma;
    const auto log_g = [&](double c) {
      if (m.background.pdf == gauss) return -0.5 * std::pow((c - b) / sigma, 2.0);
      const limits::log_normal_shape shape = limits::log_normal_shape_of(b, sigma);
      const double z = (std::log(c) - shape.mu_log) / shape.sigma_log;
      return -std::log(c) - 0.5 * z * z;
    };
    for (std::int32_t n = 0; n <= 10; ++n) {
      SCOPED_TRACE(describe(m) + " n = " + std::to_string(n));
      const double nd = static_cast<double>(n);
      const auto log_pois = [&](double lambda) {
        return nd * std::log(lambda) - lambda - std::lgamma(nd + 1.0);
      };
      double expected = std::exp(log_pois(std::max(nd, b)));
      if (sigma > 0.0) {
        double best = -1e300;
        for (std::int32_t i = 1; i <= 200000; ++i) {
          const double c = 1e-4 * static_cast<double>(i);
          best = std::max(best, log_pois(std::max(nd, c)) + log_g(c) - log_g(b));
        }
        expected = std::exp(best);
      }
      EXPECT_NEAR(q.denominator(n), expected, 1e-7 * expected);
    }
  }
}

}  // namespace
