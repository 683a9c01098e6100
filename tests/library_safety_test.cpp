// What no argument may do to a caller of the library: keep a search going
// for ever, ignore a requested stop, or disturb the caller's floating-point
// environment (a trap, a flag left raised, another rounding).
#include <gtest/gtest.h>

#include <cfenv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <stop_token>
#include <thread>
#include <vector>

#include "fclimits/fclimits.h"

namespace {

// Tolerances below the spacing of doubles at the limit end at adjacent
// doubles, near the limits of a fine tolerance that doubles resolve.
TEST(library_safety, tolerances_below_the_spacing_of_doubles_end) {
  struct tolerance_case {
    std::int32_t n;
    double b;
    double tolerance;
    double resolved;  // a tolerance doubles resolve there
  };

  const tolerance_case cases[] = {
      {10, 3.0, 1e-15, 1e-12},
      {10, 3.0, 1e-17, 1e-12},
      {10, 3.0, std::numeric_limits<double>::denorm_min(), 1e-12},
      {100000, 0.0, 1e-12, 1e-9},
      {4, 15.0, 1e-300, 1e-12},  // with the refinement of the upper search
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " " << c.b << " " << c.tolerance);
    const auto console = fclimits::search_method::console;
    const fclimits::options fine{
        .method = console, .tolerance = c.tolerance, .correct_upper = false};
    const fclimits::options resolved{
        .method = console, .tolerance = c.resolved, .correct_upper = false};
    const fclimits::interval got = fclimits::limits(c.n, c.b, 0.9, fine);
    const fclimits::interval near = fclimits::limits(c.n, c.b, 0.9, resolved);
    EXPECT_NEAR(got.lower, near.lower, c.resolved);
    EXPECT_NEAR(got.upper, near.upper, c.resolved);
  }
}

// A stop requested before or during a call ends it with fclimits::stopped.
// Each call runs for seconds: a fine search, sums over many counts.
TEST(library_safety, a_requested_stop_ends_the_call) {
  const std::function<void(fclimits::options)> calls[] = {
      [](fclimits::options how) {
        how.method = fclimits::search_method::console;
        how.tolerance = 1e-7;
        fclimits::limits(20, 200.0, 0.95, how);
      },
      [](fclimits::options how) { fclimits::sensitivity(700.0, 0.9, how); },
      [](fclimits::options how) {
        fclimits::coverage(std::vector<double>(100, 5.0), 690.0, 0.9, how, 2);
      },
  };
  for (const auto& call : calls) {
    std::stop_source before;
    before.request_stop();
    EXPECT_THROW(call({.stop = before.get_token()}), fclimits::stopped);

    std::stop_source during;
    std::jthread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      during.request_stop();
    });
    EXPECT_THROW(call({.stop = during.get_token()}), fclimits::stopped);
  }
  std::stop_source loop;
  loop.request_stop();
  EXPECT_THROW(fclimits::parallel_for(
                   10, 2, [](std::size_t) {}, loop.get_token()),
               fclimits::stopped);
}

// Every call, with good arguments, bad ones and ones that overflow, leaves
// the caller's traps, flags and rounding as they were, and gives the same
// bits whatever they are.
TEST(library_safety, leaves_the_callers_floating_point_environment) {
  const double nan = std::nan("");
  const std::function<double()> calls[] = {
      [] { return fclimits::limits(0, 3.0, 0.95).upper; },
      [=] { return fclimits::limits(1, 3.0, nan).upper; },
      [] { return fclimits::limits(3, 707.5, 0.9).upper; },
      [] { return fclimits::limits(2147480000, 0.0, 0.9).upper; },
      [] { return fclimits::coverage(0.1, 0.2, 0.9); },
      [=] { return fclimits::coverage(std::vector<double>{1.0}, nan, 0.9)[0]; },
      [=] { return fclimits::acceptance_region(nan, 3.0, 0.9).probability; },
      [] { return fclimits::acceptance_region(2.5, 3.0, 0.9).probability; },
      [=] { return fclimits::sensitivity(1.0, 0.9, {.tolerance = nan}); },
      [=] { return fclimits::refusal_of_level(nan) ? 1.0 : 0.0; },
      [=] { return fclimits::refusal_of_count(nan) ? 1.0 : 0.0; },
      [] { return fclimits::gaussian_limits(-40.0, 1.0, 1 - 1e-12).upper; },
      [] { return fclimits::gaussian_acceptance(1e-320, 1.0, 0.9).x_low; },
      [=] { return fclimits::gaussian_limits(1.0, nan, 0.9).upper; },
      [] { return fclimits::gaussian_limits(1.7e308, 1e307, 0.9).upper; },
  };

  struct environment {
    int traps;
    int raised;
    int rounding;
  };

  const environment environments[] = {
      {FE_ALL_EXCEPT, 0, FE_TONEAREST},
      {FE_INVALID, 0, FE_UPWARD},
      {0, FE_INEXACT | FE_UNDERFLOW, FE_DOWNWARD},
      {0, 0, FE_TOWARDZERO},
  };
  std::vector<double> plain;
  for (const auto& call : calls) {
    try {
      plain.push_back(call());
    } catch (const std::exception&) {
      plain.push_back(-1.0);
    }
  }
  for (const auto& e : environments) {
    SCOPED_TRACE(testing::Message() << "traps " << e.traps << " rounding " << e.rounding);
    for (std::size_t i = 0; i < std::size(calls); ++i) {
      SCOPED_TRACE(i);
      std::feclearexcept(FE_ALL_EXCEPT);
      std::feraiseexcept(e.raised);
      std::fesetround(e.rounding);
      feenableexcept(e.traps);
      double got = -1.0;
      try {
        got = calls[i]();
      } catch (const std::exception&) {
      }
      const int traps = fegetexcept();
      const int raised = std::fetestexcept(FE_ALL_EXCEPT);
      const int rounding = std::fegetround();
      fedisableexcept(FE_ALL_EXCEPT);
      std::fesetround(FE_TONEAREST);
      std::feclearexcept(FE_ALL_EXCEPT);
      EXPECT_EQ(traps, e.traps);
      EXPECT_EQ(raised, e.raised);
      EXPECT_EQ(rounding, e.rounding);
      EXPECT_EQ(got, plain[i]);
    }
  }
}

}  // namespace
