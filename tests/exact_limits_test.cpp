// The exact method against an independent oracle, its edges, and the
// coverage it exists for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "fclimits/fclimits.h"

namespace {

struct request {
  std::int32_t n;
  double b;
  double cl;
};

bool contains(const request& r, double mu) {
  const fclimits::acceptance region = fclimits::acceptance_region(mu, r.b, r.cl);
  return region.n_low <= r.n && r.n <= region.n_high;
}

bool reaches(const request& r, double mu) {
  return fclimits::acceptance_region(mu, r.b, r.cl).n_high >= r.n;
}

// Halves [yes, no] until the two are adjacent doubles; returns the one that
// answers yes.
template <typename Answer>
double adjacent_edge(double yes, double no, Answer answers_yes) {
  while (true) {
    const double middle = yes + (no - yes) / 2;
    if (middle == yes || middle == no) return yes;
    (answers_yes(middle) ? yes : no) = middle;
  }
}

// Where the build's rounding makes the answer flicker near an edge, the
// extreme yes among the `flicker` doubles beyond the bisected one.
template <typename Answer>
double past_flicker(double edge, double direction, Answer answers_yes) {
  constexpr int flicker = 4096;
  double x = edge;
  for (int i = 0; i < flicker; ++i) {
    x = std::nextafter(x, direction);
    if (x < 0.0) break;
    if (answers_yes(x)) edge = x;
  }
  return edge;
}

// The oracle: every change of the answer on a scan of step `step`, then
// bisection of the extreme ones to adjacent doubles, past any flicker.
// Slow and simple; it sees every island wider than the step.
fclimits::interval oracle(const request& r, double step) {
  const double top = r.n + 5.0 * std::sqrt(r.n + r.b + 1.0) + 5.0;
  double first_reaching = -1.0;
  double last_containing = -1.0;
  for (double mu = 0.0; mu <= top; mu += step) {
    if (first_reaching < 0.0 && reaches(r, mu)) first_reaching = mu;
    if (contains(r, mu)) last_containing = mu;
  }
  fclimits::interval found{0.0, 0.0};
  if (first_reaching > 0.0) {
    auto reaching = [&](double mu) { return reaches(r, mu); };
    found.lower = past_flicker(adjacent_edge(first_reaching, first_reaching - step, reaching), -1.0,
                               reaching);
  }
  if (last_containing >= 0.0) {
    auto containing = [&](double mu) { return contains(r, mu); };
    found.upper = past_flicker(adjacent_edge(last_containing, last_containing + step, containing),
                               std::numeric_limits<double>::infinity(), containing);
  }
  return found;
}

const fclimits::options raw{.correct_upper = false};

double next_up(double x) { return std::nextafter(x, std::numeric_limits<double>::infinity()); }

double next_down(double x) { return std::nextafter(x, -std::numeric_limits<double>::infinity()); }

TEST(exact_limits, agree_with_the_oracle_and_are_true_edges) {
  struct oracle_case {
    request r;
    double step;
  };

  std::vector<oracle_case> cases;
  for (const std::int32_t n : {0, 1, 2, 3, 5, 8, 13, 20}) {
    for (const double b : {0.0, 0.5, 1.5, 3.0, 7.5, 15.0}) {
      for (const double cl : {0.6827, 0.9, 0.95, 0.99}) cases.push_back({{n, b, cl}, 2e-3});
    }
  }
  // Islands: at 4, 15, 90 % one 0.0002 wide above a gap holds the limit.
  cases.push_back({{4, 15.0, 0.90}, 2e-5});
  cases.push_back({{3, 12.5, 0.95}, 2e-5});
  // Large backgrounds and counts, unusual levels.
  for (const request r :
       {request{100, 80.0, 0.90}, request{30, 300.0, 0.90}, request{700, 700.0, 0.95},
        request{0, 704.5, 0.6827}, request{2, 1.0, 0.3}, request{50, 0.0, 0.99}}) {
    cases.push_back({r, 1e-2});
  }
  for (const oracle_case& c : cases) {
    const request& r = c.r;
    SCOPED_TRACE(testing::Message() << r.n << " " << r.b << " " << r.cl);
    const fclimits::interval got = fclimits::limits(r.n, r.b, r.cl, raw);
    const fclimits::interval expected = oracle(r, c.step);
    EXPECT_EQ(got.lower, expected.lower);
    EXPECT_EQ(got.upper, expected.upper);
    // The edges themselves, whatever the oracle saw.
    if (got.lower > 0.0) {
      EXPECT_TRUE(reaches(r, got.lower));
      EXPECT_FALSE(reaches(r, next_down(got.lower)));
    }
    if (got.upper > 0.0) {
      EXPECT_TRUE(contains(r, got.upper));
      EXPECT_FALSE(contains(r, next_up(got.upper)));
    }
  }
}

// The intervals cover the true mean with at least the level's probability
// at every mean: on a dense grid and right beside every limit, where the
// coverage jumps, and at the dips of the console method's limits.
TEST(exact_limits, coverage_is_at_least_the_level) {
  struct dip {
    double b;
    double cl;
    double mu;
  };

  const dip console_dips[] = {{3.0, 0.90, 9.53}, {0.5, 0.6827, 4.8}};
  for (const dip& d : console_dips) {
    const fclimits::options console{.method = fclimits::search_method::console};
    EXPECT_LT(fclimits::coverage(d.mu, d.b, d.cl, console), d.cl);
    EXPECT_GE(fclimits::coverage(d.mu, d.b, d.cl), d.cl);
  }
  for (const double b : {0.0, 0.5, 3.0, 10.0, 50.0}) {
    for (const double cl : {0.6827, 0.9, 0.95, 0.99}) {
      SCOPED_TRACE(testing::Message() << b << " " << cl);
      std::vector<double> means;
      for (double mu = 0.0; mu <= 12.0; mu += 0.01) means.push_back(mu);
      const auto counts = static_cast<std::int32_t>(b + 12.0 + 6.0 * std::sqrt(b + 12.0) + 10.0);
      for (std::int32_t n = 0; n <= counts; ++n) {
        const fclimits::interval limits = fclimits::limits(n, b, cl);
        for (const double edge : {limits.lower, limits.upper}) {
          if (edge > 12.0) continue;
          for (const double mu : {next_down(edge), edge, next_up(edge)}) {
            if (mu >= 0.0) means.push_back(mu);
          }
        }
      }
      // Where the counts covering mu are the accepted ones, their sum is cl
      // less the tail the coverage sum leaves out.
      const std::vector<double> covered = fclimits::coverage(means, b, cl);
      for (std::size_t i = 0; i < means.size(); ++i) {
        ASSERT_GE(covered[i], cl - fclimits::tail_probability) << "mu = " << means[i];
      }
    }
  }
}

// Rounded to two decimals the exact limits are the published tables' cells.
TEST(exact_limits, round_to_the_published_cells) {
  struct cell {
    std::int32_t n;
    double b;
    double cl;
    double lower;
    double upper;
  };

  const cell cells[] = {
      {0, 0.0, 0.90, 0.00, 2.44},  {0, 1.5, 0.90, 0.00, 1.33},  {0, 3.0, 0.90, 0.00, 1.08},
      {0, 0.0, 0.99, 0.00, 4.74},  {1, 0.0, 0.99, 0.01, 6.91},  {2, 0.0, 0.99, 0.15, 8.71},
      {3, 0.0, 0.99, 0.44, 10.47}, {4, 0.0, 0.99, 0.82, 12.23}, {5, 0.0, 0.99, 1.28, 13.75},
      {0, 0.5, 0.99, 0.00, 4.24},  {4, 0.5, 0.99, 0.32, 11.73}, {0, 1.0, 0.99, 0.00, 3.80},
  };
  for (const cell& c : cells) {
    SCOPED_TRACE(testing::Message() << c.n << " " << c.b << " " << c.cl);
    const fclimits::interval got = fclimits::limits(c.n, c.b, c.cl);
    EXPECT_EQ(std::round(got.lower * 100.0) / 100.0, c.lower);
    EXPECT_EQ(std::round(got.upper * 100.0) / 100.0, c.upper);
  }
}

}  // namespace
