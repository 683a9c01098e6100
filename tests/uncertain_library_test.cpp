// The public calls with uncertainties: the known case's bits, the scale of
// the efficiency, refusals, stopping, and coverage's sources of counts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

#include "fclimits/fclimits.h"

namespace {

using fclimits::pdf_shape;
using fclimits::uncertainties;

// Nothing uncertain: every call is the known-background call, bit for bit,
// and a known efficiency only rescales the signal.
TEST(uncertain_library, known_values_give_the_known_calls) {
  const fclimits::options methods[] = {
      {}, {.correct_upper = false}, {.method = fclimits::search_method::console}};
  for (const auto& how : methods) {
    for (const std::int32_t n : {0, 3, 12}) {
      for (const double b : {0.0, 3.0, 10.5}) {
        SCOPED_TRACE(testing::Message() << "n " << n << " b " << b);
        const fclimits::interval known = fclimits::limits(n, b, 0.90, how);
        const fclimits::interval same = fclimits::limits(n, b, 0.90, uncertainties{}, how);
        EXPECT_EQ(same.lower, known.lower);
        EXPECT_EQ(same.upper, known.upper);
        const fclimits::interval scaled = fclimits::limits(n, b, 0.90, {.eff = 0.5}, how);
        EXPECT_EQ(scaled.upper, known.upper / 0.5);
      }
    }
  }
  const fclimits::acceptance a = fclimits::acceptance_region(2.5, 3.0, 0.95);
  const fclimits::uncertain_acceptance u = fclimits::acceptance_region(2.5, 3.0, 0.95, {});
  EXPECT_EQ(u.n_low, a.n_low);
  EXPECT_EQ(u.n_high, a.n_high);
  EXPECT_EQ(u.probability, a.probability);
  const std::vector<double> s = {0.5, 2.0, 4.0};
  EXPECT_EQ(fclimits::coverage(s, 3.0, 0.90, uncertainties{}), fclimits::coverage(s, 3.0, 0.90));
  EXPECT_EQ(fclimits::sensitivity(3.0, 0.90, uncertainties{}), fclimits::sensitivity(3.0, 0.90));
}

// The published example through the public call, and an efficiency's
// scale: eff = 2 +- 0.4 is eff = 1 +- 0.2 with the signal halved.
TEST(uncertain_library, efficiency_scales_the_signal) {
  const fclimits::interval one = fclimits::limits(1, 0.0, 0.90, {.eff_sigma = 0.2});
  EXPECT_NEAR(one.lower, 0.105591, 0.01);
  EXPECT_NEAR(one.upper, 4.639010, 0.01);
  const fclimits::interval two = fclimits::limits(1, 0.0, 0.90, {.eff = 2.0, .eff_sigma = 0.4});
  EXPECT_NEAR(two.lower, one.lower / 2.0, 1e-8);
  EXPECT_NEAR(two.upper, one.upper / 2.0, 1e-8);
}

TEST(uncertain_library, refuses_with_the_argument_and_its_value) {
  struct refused_case {
    double b;
    uncertainties u;
    fclimits::options how;
    const char* words;
    bool too_large;
  };

  const fclimits::options console{.method = fclimits::search_method::console};
  const refused_case cases[] = {
      {1.0, {.b_sigma = -1.0}, {}, "b_sigma = -1 is not a standard deviation", false},
      {1.0, {.eff = 0.0}, {}, "eff = 0 is not an efficiency", false},
      {1.0, {.eff_sigma = std::nan("")}, {}, "eff_sigma = nan is not a standard deviation", false},
      {0.0, {.b_sigma = 0.5, .b_pdf = pdf_shape::lognormal}, {}, "cannot be normalised", false},
      {2.0, {.b_sigma = 3.0, .b_pdf = pdf_shape::lognormal}, {}, "b_sigma = 3 is too large", true},
      {2.0, {.b_sigma = 71.0}, {}, "b_sigma = 71 is too large", true},
      {2.0, {.eff = 0.5, .eff_sigma = 0.6}, {}, "eff_sigma = 0.6 is too large", true},
      {2.0, {.eff_sigma = 0.1}, console, "method = console has no uncertainties", false},
      {2.0, {.eff = 1e-320}, {}, "divided by eff left the double range", true},
  };
  for (const refused_case& c : cases) {
    SCOPED_TRACE(c.words);
    try {
      fclimits::limits(1, c.b, 0.90, c.u, c.how);
      ADD_FAILURE() << "taken";
    } catch (const std::domain_error& e) {
      EXPECT_TRUE(c.too_large);
      EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
    } catch (const std::invalid_argument& e) {
      EXPECT_FALSE(c.too_large);
      EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(fclimits::coverage(1.0, 2.0, 0.90, {.eff_sigma = 0.1}, {.b = 2.0, .averaged = true}),
               std::invalid_argument);
}

TEST(uncertain_library, a_requested_stop_ends_the_call) {
  std::stop_source source;
  source.request_stop();
  EXPECT_THROW(fclimits::limits(3, 1.0, 0.90, {.b_sigma = 0.3}, {.stop = source.get_token()}),
               fclimits::stopped);
}

// Coverage: the many-signal call gives the single calls' bits on any
// number of threads; drawing at the nominal values equals giving them as
// true values; averaged draws from q, which a 40 % efficiency uncertainty
// makes over-cover by a few per cent (the literature's 2 to 4 %), less
// than at the nominal values.
TEST(uncertain_library, coverage_draws_counts_as_told) {
  const uncertainties u{.eff_sigma = 0.4};
  const std::vector<double> s = {0.5, 2.0, 5.0};
  const std::vector<double> many = fclimits::coverage(s, 1.0, 0.90, u, {}, {}, 2);
  const std::vector<double> told = fclimits::coverage(s, 1.0, 0.90, u, {.b = 1.0, .eff = 1.0});
  const std::vector<double> averaged = fclimits::coverage(s, 1.0, 0.90, u, {.averaged = true});
  for (std::size_t i = 0; i < s.size(); ++i) {
    SCOPED_TRACE(s[i]);
    EXPECT_EQ(many[i], fclimits::coverage(s[i], 1.0, 0.90, u));
    EXPECT_EQ(told[i], many[i]);
    EXPECT_GE(averaged[i], 0.90);
    EXPECT_LE(averaged[i], many[i]);
  }
}

}  // namespace
