#include "limits/poisson.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "limits/factorial_table.h"
#include "limits/integer_power.h"
#include "limits/interval_terms.h"

namespace {

using limits::likelihood_ratio;
using limits::poisson_term;

TEST(factorial_table, exact_up_to_22_and_rounded_stepwise_above) {
  EXPECT_EQ(limits::factorial_table[0], 1.0);
  EXPECT_EQ(limits::factorial_table[22], 1124000727777607680000.0);
  EXPECT_EQ(limits::factorial_table[170], 0x1.4ab7864418635p+1019);  // 7.257415615307994e306
}

// The table is made by constant evaluation; the processor's products must
// give the same bits.
TEST(factorial_table, compiled_products_equal_the_processors) {
  constexpr limits::factorial_array compiled = limits::stepwise_factorials();
  volatile double product = 1.0;  // computed at run time
  for (std::size_t i = 1; i < compiled.size(); ++i) {
    product = product * static_cast<double>(i);
    ASSERT_EQ(compiled[i], product) << i;
  }
}

TEST(integer_power, binary_powering_rounds_each_product) {
  EXPECT_EQ(limits::integer_power(0.0, 0), 1.0);
  EXPECT_EQ(limits::integer_power(0.0, 3), 0.0);
  EXPECT_EQ(limits::integer_power(2.0, 10), 1024.0);
  // 1.1^3 is (1.1 * 1.1^2): the squares are rounded before they are used.
  const double x = 1.1;
  const double square = x * x;
  EXPECT_EQ(limits::integer_power(x, 3), x * square);
  EXPECT_EQ(limits::integer_power(x, 6), square * (square * square));
}

struct term_case {
  std::int32_t n;
  double mu;
  double b;
  double expected;
};

TEST(poisson_term, special_values) {
  const volatile double three = 3.0;  // evaluated at run time, like the program
  const term_case cases[] = {
      {0, 0.0, 0.0, 1.0},    {1, 0.0, 0.0, 0.0},
      {0, -0.0, -0.0, 1.0},  {0, 0.0, 3.0, std::exp(-three)},
      {-1, 2.0, 3.0, 0.0},  // no table entry below 0 is read
      {-5, 300.0, 3.0, 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " " << c.mu << " " << c.b);
    EXPECT_EQ(poisson_term(c.n, c.mu, c.b), c.expected);
  }
}

TEST(poisson_term, direct_form_up_to_230_and_product_form_above) {
  // n + b + mu exactly 230.0 still takes the direct form; both forms agree
  // to a few units in the last place where they meet.
  const double direct =
      limits::integer_power(30.0, 200) * std::exp(-25.0 - 5.0) / limits::factorial_table[170];
  double expected_direct = direct;
  for (int k = 171; k <= 200; ++k) expected_direct = expected_direct / k;
  EXPECT_EQ(poisson_term(200, 25.0, 5.0), expected_direct);
  EXPECT_NEAR(poisson_term(200, 25.0, 5.0), 3.1516e-93, 0.0001e-93);

  const double mu = 25.000000000001;  // t just above 230 once rounded
  const volatile double b = 5.0;      // evaluated at run time, like the program
  double product = std::exp(-mu);
  for (int k = 1; k <= 200; ++k) product = ((b + mu) * product) / k;
  EXPECT_EQ(poisson_term(200, mu, b), std::exp(-b) * product);
  EXPECT_NEAR(poisson_term(200, mu, 5.0) / poisson_term(200, 25.0, 5.0), 1.0, 1e-10);
}

TEST(poisson_term, counts_above_170_divide_by_entry_170_then_each_factor) {
  const double p = limits::integer_power(40.0, 171) * std::exp(-40.0 - 0.0);
  EXPECT_EQ(poisson_term(171, 40.0, 0.0), p / limits::factorial_table[170] / 171.0);
  EXPECT_EQ(poisson_term(170, 40.0, 0.0), limits::integer_power(40.0, 170) * std::exp(-40.0 - 0.0) /
                                              limits::factorial_table[170]);
}

TEST(poisson_term, log_form_where_e_to_minus_mu_leaves_the_normal_range) {
  // Beyond about 708 the running product would start from a subnormal or 0;
  // the terms must still be the Poisson probabilities and sum to 1.
  for (const double mu : {709.0, 1000.0, 1.0e6}) {
    SCOPED_TRACE(mu);
    const auto centre = static_cast<std::int32_t>(mu);
    const auto spread = static_cast<std::int32_t>(12 * std::sqrt(mu));
    double sum = 0.0;
    for (std::int32_t n = centre - spread; n <= centre + spread; ++n)
      sum += poisson_term(n, mu, 0.0);
    EXPECT_NEAR(sum, 1.0, 1e-8);
    EXPECT_NEAR(poisson_term(centre, mu, 0.0) * std::sqrt(2 * M_PI * mu), 1.0, 1e-3);
  }
  // Just below the switch the product form is still used and agrees.
  EXPECT_NEAR(poisson_term(708, 708.0, 0.0) / poisson_term(709, 709.0, 0.0), 1.0, 2e-3);
}

TEST(likelihood_ratio, special_values) {
  const volatile double two = 2.0;
  const term_case cases[] = {
      {5, 3.0, 2.0, 1.0},  // mu is the best mean
      {0, 0.0, 4.5, 1.0},
      {3, 0.0, 4.5, 1.0},
      {4, 0.0, 4.5, 1.0},  // counts up to b
      {4, 0.0, 4.0, 1.0},  // n - b exactly 0.0: best mean 0.0
      {0, 2.0, 3.0, std::exp(-two)},
      {0, 2.0, 0.0, std::exp(-two)},
      {-1, 2.0, 3.0, 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " " << c.mu << " " << c.b);
    EXPECT_EQ(likelihood_ratio(c.n, c.mu, c.b), c.expected);
  }
  EXPECT_LT(likelihood_ratio(5, 0.0, 4.5), 1.0);
}

TEST(likelihood_ratio, log_form_for_large_means) {
  // At one standard deviation the ratio is about e^-1/2, however large the
  // count; the plain form would overflow in e^(n - b - mu) and underflow in q^n.
  for (const double mu : {1.0e4, 1.0e6, 2.0e9}) {
    SCOPED_TRACE(mu);
    const double n = mu + std::sqrt(mu);
    EXPECT_NEAR(likelihood_ratio(static_cast<std::int32_t>(n), mu, 0.0), std::exp(-0.5), 1e-2);
    EXPECT_EQ(likelihood_ratio(static_cast<std::int32_t>(mu), mu, 0.0), 1.0);
  }
}

// The per-interval evaluation must be the plain definitions, bit for bit, in
// every form: direct, product (with its kept running product), log, and the
// shared best mean of counts at or below b.
TEST(interval_terms, equal_to_plain_terms_bit_for_bit) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double scales[] = {0.5, 5.0, 30.0, 200.0, 600.0, 800.0};
  for (int round = 0; round < 3000; ++round) {
    const double mu = scales[round % 6] * unit(random);
    const double b = (round % 4 == 0) ? 0.0 : scales[(round / 6) % 5] * unit(random);
    limits::interval_terms terms(mu, b);
    const auto centre = static_cast<std::int32_t>(b + mu);
    // Outward from the centre, in the order an interval build asks.
    for (std::int32_t step = 0; step <= 82; ++step) {
      const std::int32_t n = step % 2 == 0 ? centre + step / 2 : centre - (step + 1) / 2;
      const double term = terms.poisson(n);
      const double ratio = terms.ratio(n);
      if (term != poisson_term(n, mu, b) || ratio != likelihood_ratio(n, mu, b)) {
        ADD_FAILURE() << "n " << n << " mu " << mu << " b " << b;
        return;
      }
    }
  }
}

}  // namespace
