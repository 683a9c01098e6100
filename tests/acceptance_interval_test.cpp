#include "limits/acceptance_interval.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "limits/poisson.h"

namespace {

using limits::build_acceptance_interval;
using limits::current_interval;

struct interval_case {
  double mu;
  double b;
  double cl;
  std::vector<std::int32_t> admission_order;
  std::int32_t n_low;
  std::int32_t n_high;
};

// The order of admission shows in coverage: the terms are summed in it.
double summed_in_order(const interval_case& c) {
  double coverage = 0.0;
  for (const std::int32_t n : c.admission_order)
    coverage = limits::poisson_term(n, c.mu, c.b) + coverage;
  return coverage;
}

TEST(acceptance_interval, admission_order_and_bounds) {
  const interval_case cases[] = {
      // the higher ratio first, both sides
      {0.5, 3.0, 0.90, {4, 3, 2, 5, 1, 0, 6}, 0, 6},
      // ratio 1.0 for every count up to b: downward first, then the upward loop
      {0.0, 3.0, 0.90, {3, 2, 1, 0, 4, 5}, 0, 5},
      {2.5, 0.0, 0.90, {3, 2, 4, 1, 5, 6}, 1, 6},
      // the upper start count has the higher ratio (0.824 against 0.607)
      {0.5, 0.0, 0.90, {1, 0}, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mu " << c.mu << " b " << c.b);
    build_acceptance_interval(c.mu, c.b, c.cl);
    EXPECT_EQ(current_interval.n_low, c.n_low);
    EXPECT_EQ(current_interval.n_high, c.n_high);
    EXPECT_EQ(current_interval.coverage, summed_in_order(c));
  }
}

TEST(acceptance_interval, reference_coverages) {
  build_acceptance_interval(0.5, 3.0, 0.90);
  EXPECT_NEAR(current_interval.coverage, 0.9347, 0.0001);
  build_acceptance_interval(0.0, 3.0, 0.90);
  EXPECT_NEAR(current_interval.coverage, 0.9161, 0.0001);
  build_acceptance_interval(2.5, 0.0, 0.90);
  EXPECT_NEAR(current_interval.coverage, 0.9037, 0.0001);
  // Product-form terms only.
  build_acceptance_interval(150.0, 100.0, 0.90);
  EXPECT_EQ(current_interval.n_low, 224);
  EXPECT_EQ(current_interval.n_high, 276);
}

TEST(acceptance_interval, no_mean_is_count_zero_and_keeps_coverage) {
  current_interval.coverage = 0.25;
  for (const double cl : {0.6827, 0.9, 0.95}) {
    build_acceptance_interval(0.0, -0.0, cl);
    EXPECT_EQ(current_interval.n_low, 0);
    EXPECT_EQ(current_interval.n_high, 0);
    EXPECT_EQ(current_interval.coverage, 0.25);
  }
}

TEST(acceptance_interval, start_counts_from_the_floor_of_b_plus_mu) {
  // b + mu = 2.5 starts from 2 and 3, b + mu = 3.0 from 3 and 4: with a tiny
  // level only the first admitted count is accepted.
  build_acceptance_interval(0.0, 2.5, 1e-9);
  EXPECT_EQ(current_interval.n_low, 2);
  EXPECT_EQ(current_interval.n_high, 2);
  build_acceptance_interval(1.0, 2.0, 1e-9);
  EXPECT_EQ(current_interval.n_low, 3);
  EXPECT_EQ(current_interval.n_high, 3);
}

// Invariants over many means and backgrounds: a contiguous range holding the
// first admitted count, with at least the level covered.
TEST(acceptance_interval, invariants_over_random_means) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mean(0.0, 60.0);
  for (int round = 0; round < 20000; ++round) {
    const double mu = mean(random);
    const double b = round % 3 == 0 ? 0.0 : mean(random) / 3;
    const double cl = round % 2 == 0 ? 0.9 : 0.6827;
    build_acceptance_interval(mu, b, cl);
    const auto first = static_cast<std::int32_t>(b + mu);
    const bool ok = current_interval.n_low >= 0 &&
                    current_interval.n_low <= current_interval.n_high &&
                    current_interval.n_low <= first + 1 && current_interval.n_high >= first &&
                    current_interval.coverage >= cl;
    if (!ok) {
      ADD_FAILURE() << "mu " << mu << " b " << b << " cl " << cl;
      return;
    }
  }
}

TEST(acceptance_interval, large_means_end_with_the_right_interval) {
  // Beyond a mean of about 745 every product-form term would be 0.0 and the
  // build would never reach the level.
  for (const double mu : {746.0, 5000.0, 1.0e6}) {
    SCOPED_TRACE(mu);
    build_acceptance_interval(mu, 0.0, 0.9);
    const double half_width = 1.645 * std::sqrt(mu);
    EXPECT_NEAR(current_interval.n_low, mu - half_width, 2.0 + 0.01 * half_width);
    EXPECT_NEAR(current_interval.n_high, mu + half_width, 2.0 + 0.01 * half_width);
    EXPECT_NEAR(current_interval.coverage, 0.9, 0.01);
  }
}

TEST(acceptance_interval, level_never_reached_ends_when_terms_run_out) {
  // A level of 1.0 cannot be reached by summed doubles; the build stops once
  // the terms above the mean have fallen to 0.0 instead of growing for ever.
  build_acceptance_interval(2.0, 0.0, 1.0);
  EXPECT_EQ(current_interval.n_low, 0);
  EXPECT_GT(current_interval.n_high, 20);
  EXPECT_LT(current_interval.n_high, 400);
}

TEST(acceptance_interval, counts_beyond_32_bits_raise_invalid_operation) {
  const double too_large[] = {3.0e9, 2147483647.0, std::numeric_limits<double>::quiet_NaN()};
  for (const double mu : too_large) {
    SCOPED_TRACE(mu);
    std::feclearexcept(FE_ALL_EXCEPT);
    build_acceptance_interval(mu, 0.0, 0.9);
    EXPECT_TRUE(std::fetestexcept(FE_INVALID));
    EXPECT_EQ(current_interval.n_low, std::numeric_limits<std::int32_t>::max());
  }
  std::feclearexcept(FE_ALL_EXCEPT);
  build_acceptance_interval(2147483000.0, 0.0, 0.9);  // its upper bound passes 2^31 - 1
  EXPECT_TRUE(std::fetestexcept(FE_INVALID));
  std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
