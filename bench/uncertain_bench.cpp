// Limits with an uncertain background and efficiency: one interval from a
// fresh model, as a single request computes it, and the paper's grid
// through the public calls, as a table does.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "fclimits/fclimits.h"
#include "limits/uncertain_limits.h"
#include "limits/uncertain_probability.h"

namespace {

struct request {
  std::int32_t n;
  limits::uncertain_model model;
};

// The older programs' default case first: n = 1, eps = 1 +- 0.2, b = 0.
const request requests[] = {
    {1, {{0.0, 0.0}, {1.0, 0.2}}},
    {4, {{2.0, 0.5}, {1.0, 0.0}}},
    {30, {{0.0, 0.0}, {1.0, 0.2}}},
};

void one_interval(benchmark::State& state) {
  const request& r = requests[static_cast<std::size_t>(state.range(0))];
  for (auto _ : state) {
    limits::uncertain_probability q(r.model);
    benchmark::DoNotOptimize(limits::uncertain_limits(q, r.n, 0.90));
  }
}

BENCHMARK(one_interval)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

constexpr double levels[] = {0.6827, 0.90, 0.95};

// The paper's 651 x 3 requests (n 0..20, b 0..15 step 0.5) with eff = 1 +-
// 0.2, b after n as a table orders them, on 1 or 2 threads.
void grid_efficiency_20(benchmark::State& state) {
  const auto threads = static_cast<unsigned>(state.range(0));
  const fclimits::uncertainties u{.eff_sigma = 0.2};
  for (auto _ : state) {
    fclimits::parallel_for(3 * 31 * 21, threads, [&](std::size_t i) {
      const auto n = static_cast<std::int32_t>(i % 21);
      const double b = static_cast<double>(i / 21 % 31) * 0.5;
      benchmark::DoNotOptimize(fclimits::limits(n, b, levels[i / 651], u));
    });
  }
}

BENCHMARK(grid_efficiency_20)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

// Both uncertain: n 0..20 at b = 3 +- 0.6, eff = 1 +- 0.2, 90 %.
void row_both_uncertain(benchmark::State& state) {
  const fclimits::uncertainties u{.b_sigma = 0.6, .eff_sigma = 0.2};
  for (auto _ : state) {
    for (std::int32_t n = 0; n <= 20; ++n) {
      benchmark::DoNotOptimize(fclimits::limits(n, 3.0, 0.90, u));
    }
  }
}

BENCHMARK(row_both_uncertain)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
