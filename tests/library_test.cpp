// The public library: the console's bits on many threads, refusals, other
// levels, finer tolerances against an independent search, and the sums.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fclimits/fclimits.h"

namespace {

struct recorded_request {
  std::int32_t n;
  double b;
  double limits[6];  // lower and upper at 0.6827, 0.90, 0.95
};

std::vector<recorded_request> console_limits() {
  std::ifstream file(FCLIMITS_TEST_DATA "/console_limits.txt");
  std::vector<recorded_request> requests;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string b, value;
    recorded_request r{};
    fields >> r.n >> b;
    r.b = std::strtod(b.c_str(), nullptr);
    for (double& limit : r.limits) {
      fields >> value;
      limit = std::strtod(value.c_str(), nullptr);
    }
    requests.push_back(r);
  }
  return requests;
}

constexpr double console_levels[3] = {0.6827, 0.90, 0.95};
const fclimits::options console_method{.method = fclimits::search_method::console};

// The recorded doubles, from the grid and from large counts and the
// correction cases, computed again on four threads.
TEST(library, gives_the_console_bits_on_many_threads) {
  const auto requests = console_limits();
  ASSERT_EQ(requests.size(), 671u);
  std::vector<fclimits::interval> got(requests.size() * 3);
  fclimits::parallel_for(got.size(), 4, [&](std::size_t i) {
    const auto& r = requests[i / 3];
    got[i] = fclimits::limits(r.n, r.b, console_levels[i % 3], console_method);
  });
  for (std::size_t i = 0; i < got.size(); ++i) {
    const auto& r = requests[i / 3];
    SCOPED_TRACE(testing::Message() << r.n << " " << r.b << " " << console_levels[i % 3]);
    EXPECT_EQ(got[i].lower, r.limits[2 * (i % 3)]);
    EXPECT_EQ(got[i].upper, r.limits[2 * (i % 3) + 1]);
  }
}

// The worked examples of the header.
TEST(library, header_examples) {
  const fclimits::interval three = fclimits::limits(3, 0.0, 0.90);
  EXPECT_EQ(three.lower, 1.1020653282493209);
  EXPECT_EQ(three.upper, 7.4249836160932778);
  const fclimits::interval console_three = fclimits::limits(3, 0.0, 0.90, console_method);
  EXPECT_EQ(console_three.lower, 1.10546875);
  EXPECT_EQ(console_three.upper, 7.4287109375);
  EXPECT_EQ(fclimits::limits(0, 0.0, 0.90).upper, 2.4359150906191953);
  const fclimits::interval ten = fclimits::limits(10, 3.0, 0.90);
  EXPECT_EQ(ten.lower, 2.6326402552277357);
  EXPECT_EQ(ten.upper, 13.500466326900979);
  EXPECT_NEAR(fclimits::limits(0, 3.0, 0.90).upper, 1.0782, 1e-4);
  EXPECT_EQ(fclimits::limits(0, 3.0, 0.90, {.correct_upper = false}).upper, 0.95302685405431442);
  const fclimits::acceptance region = fclimits::acceptance_region(0.0, 3.0, 0.90);
  EXPECT_EQ(region.n_low, 0);
  EXPECT_EQ(region.n_high, 5);
  EXPECT_NEAR(region.probability, 0.91608, 1e-5);
  EXPECT_STREQ(fclimits::version(), "2.0.0");
}

struct refusal_case {
  const char* name;
  std::function<void()> call;
  bool invalid_argument;  // else domain_error
  const char* message;
};

TEST(library, refuses_with_the_argument_and_its_value) {
  const double nan = std::nan("");
  const refusal_case cases[] = {
      {"negative count", [] { fclimits::limits(-1, 0.0, 0.9); }, true, "n = -1 is not a count"},
      {"negative b", [] { fclimits::limits(0, -1.0, 0.9); }, true, "b = -1 is not a background"},
      {"NaN b", [=] { fclimits::limits(0, nan, 0.9); }, true, "b = nan is not a background"},
      {"infinite b", [] { fclimits::limits(0, std::numeric_limits<double>::infinity(), 0.9); },
       true, "b = inf is not"},
      {"cl 1", [] { fclimits::limits(0, 0.0, 1.0); }, true, "cl = 1 is not a confidence level"},
      {"cl 0", [] { fclimits::sensitivity(0.0, 0.0); }, true, "cl = 0 is not"},
      {"NaN cl", [=] { fclimits::coverage(1.0, 0.0, nan); }, true, "cl = nan is not"},
      {"tolerance for the exact method", [] { fclimits::limits(0, 0.0, 0.9, {.tolerance = 0.1}); },
       true, "tolerance = 0.1 is not for the exact method"},
      {"negative tolerance", [] { fclimits::limits(0, 0.0, 0.9, {.tolerance = -0.1}); }, true,
       "tolerance = -0.1 is not"},
      {"NaN tolerance", [=] { fclimits::limits(0, 0.0, 0.9, {.tolerance = nan}); }, true,
       "tolerance = nan is not"},
      {"negative mu", [] { fclimits::acceptance_region(-0.5, 0.0, 0.9); }, true,
       "mu = -0.5 is not a signal mean"},
      {"b past the double range", [] { fclimits::limits(0, 800.0, 0.9); }, false,
       "b = 800 is too large"},
      {"b where the terms overflow", [] { fclimits::limits(3, 707.5, 0.9); }, false,
       "b = 707.5 is too large"},
      {"b above the supported range", [] { fclimits::sensitivity(706.0, 0.9); }, false,
       "b = 706 is too large: the largest background computed is 705"},
      {"tolerance past the double range",
       [] { fclimits::limits(10, 3.0, 0.9, {.tolerance = 1e308}); }, false,
       "tolerance = 1e+308 is too large"},
      {"count past 32 bits", [] { fclimits::limits(2147480000, 0.0, 0.9); }, false,
       "n = 2147480000 is too large"},
      {"mean past 32 bits", [] { fclimits::acceptance_region(2.5e9, 3.0, 0.9); }, false,
       "mu = 2.5e+09 is too large"},
      {"mean too costly for coverage", [] { fclimits::coverage(1e6, 3.0, 0.9); }, false,
       "mu = 1e+06 is too large for coverage"},
      {"NaN b among many means", [=] { fclimits::coverage(std::vector<double>{1.0}, nan, 0.9); },
       true, "b = nan is not a background"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.call();
      ADD_FAILURE() << "no exception";
    } catch (const std::invalid_argument& e) {
      EXPECT_TRUE(c.invalid_argument);
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    } catch (const std::domain_error& e) {
      EXPECT_FALSE(c.invalid_argument);
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

// An independent search over the built intervals: a scan finer than any
// island that must be found, then bisection of the edge it brackets.
double bisect_edge(double inside, double outside, const std::function<bool(double)>& accepts) {
  while (std::fabs(outside - inside) > 1e-10) {
    const double mid = (inside + outside) / 2;
    (accepts(mid) ? inside : outside) = mid;
  }
  return inside;
}

TEST(library, fine_tolerance_finds_the_extreme_means_and_narrow_islands) {
  struct tolerance_case {
    std::int32_t n;
    double b;
    double cl;
  };

  // At 4, 15, 90 % the highest mean accepting 4 is the top of an island
  // about 0.0002 wide above a gap, which the method's own tolerance misses.
  const tolerance_case cases[] = {{4, 15.0, 0.90}, {10, 3.0, 0.90}, {0, 3.0, 0.95}};
  constexpr double t = 1e-6;
  constexpr double scan_step = 2e-5;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " " << c.b << " " << c.cl);
    auto accepts_upper = [&](double mu) {
      return fclimits::acceptance_region(mu, c.b, c.cl).n_low <= c.n;
    };
    auto reaches_lower = [&](double mu) {
      return fclimits::acceptance_region(mu, c.b, c.cl).n_high >= c.n;
    };
    const double top = c.n + 3 * std::sqrt(c.n + c.b + 1);
    double highest = 0.0;
    double lowest = -1.0;
    for (double mu = 0.0; mu <= top; mu += scan_step) {
      if (accepts_upper(mu)) highest = mu;
      if (lowest < 0.0 && reaches_lower(mu)) lowest = mu;
    }
    const double upper = bisect_edge(highest, highest + scan_step, accepts_upper);
    const double lower =
        lowest == 0.0 ? 0.0 : bisect_edge(lowest, lowest - scan_step, reaches_lower);
    const fclimits::interval got = fclimits::limits(
        c.n, c.b, c.cl,
        {.method = fclimits::search_method::console, .tolerance = t, .correct_upper = false});
    EXPECT_NEAR(got.upper, upper, t);
    EXPECT_NEAR(got.lower, lower, t);
  }
  // The method's own tolerance stops the refinement at 0.005 steps: the
  // island is missed there.
  EXPECT_LT(fclimits::limits(4, 15.0, 0.90,
                             {.method = fclimits::search_method::console, .correct_upper = false})
                .upper,
            1.0);
}

// At 50 % the interval at zero signal for b = 10 is 6..10: no mean accepts 0.
TEST(library, no_accepting_mean_gives_a_raw_upper_limit_of_zero) {
  const fclimits::interval got = fclimits::limits(0, 10.0, 0.5, {.correct_upper = false});
  EXPECT_EQ(got.lower, 0.0);
  EXPECT_EQ(got.upper, 0.0);
  for (double mu = 0.0; mu < 20.0; mu += 0.01) {
    ASSERT_GT(fclimits::acceptance_region(mu, 10.0, 0.5).n_low, 0) << mu;
  }
}

TEST(library, sensitivity_starts_at_the_zero_count_limit_and_grows) {
  EXPECT_EQ(fclimits::sensitivity(0.0, 0.90), fclimits::limits(0, 0.0, 0.90).upper);
  double previous = 0.0;
  for (const double b : {0.0, 0.5, 1.0, 3.0, 10.0}) {
    const double s = fclimits::sensitivity(b, 0.90);
    EXPECT_GT(s, previous) << b;
    previous = s;
  }
}

// The many-mean coverage shares the limits of each count; its values are
// the single calls' bits. At mu = 0 the intervals that reach 0 are those of
// the counts accepted at zero signal.
TEST(library, coverage_at_many_means_equals_the_single_calls) {
  const std::vector<double> mu = {0.0, 0.25, 1.0, 2.5, 4.0, 7.5};
  const std::vector<double> many = fclimits::coverage(mu, 3.0, 0.90, {}, 3);
  ASSERT_EQ(many.size(), mu.size());
  for (std::size_t i = 0; i < mu.size(); ++i) {
    EXPECT_EQ(many[i], fclimits::coverage(mu[i], 3.0, 0.90)) << mu[i];
  }
  EXPECT_DOUBLE_EQ(many[0], fclimits::acceptance_region(0.0, 3.0, 0.90).probability);
}

// The lowest failing index is the one rethrown, as on one thread.
TEST(library, parallel_for_rethrows_the_lowest_failure) {
  for (const unsigned threads : {1u, 4u}) {
    SCOPED_TRACE(threads);
    try {
      fclimits::parallel_for(200, threads, [](std::size_t i) {
        if (i % 50 == 7) throw std::runtime_error(std::to_string(i));
      });
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "7");
    }
  }
}

}  // namespace
