// Time of the six limits of one request (the three levels, lower and upper),
// and its cost in acceptance-interval builds.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "limits/acceptance_interval.h"
#include "limits/factorial_table.h"
#include "limits/lower_limit.h"
#include "limits/upper_limit.h"

namespace {

constexpr std::array<double, 3> levels = {0.6827, 0.90, 0.95};

struct request {
  std::int32_t Nm;
  double b;
};

constexpr std::array<request, 18> requests = {{
    {0, 0.0},
    {3, 0.0},
    {10, 3.0},
    {0, 3.0},
    {0, 15.0},
    {3, 14.0},
    {5, 12.5},
    {20, 15.0},
    {14, 14.5},
    {0, 300.0},
    {0, 700.0},
    {0, 650.0},
    {200, 650.0},
    {300, 690.0},
    {0, 705.0},
    {100, 80.0},
    {1000, 10.0},
    {1000000, 0.0},
}};

double six_limits(std::int32_t Nm, double b) {
  double sum = 0.0;
  for (const double cl : levels)
    sum += limits::lower_limit(Nm, b, cl) + limits::upper_limit(Nm, b, cl);
  return sum;
}

void one_request(benchmark::State& state) {
  limits::fill_factorial_table();
  const request r = requests[static_cast<std::size_t>(state.range(0))];
  state.SetLabel("Nm=" + std::to_string(r.Nm) + " b=" + std::to_string(r.b).substr(0, 5));
  std::uint64_t builds = 0;
  for (auto _ : state) {
    const std::uint64_t before = limits::acceptance_interval_builds();
    benchmark::DoNotOptimize(six_limits(r.Nm, r.b));
    builds = limits::acceptance_interval_builds() - before;
  }
  state.counters["builds"] = static_cast<double>(builds);
}

BENCHMARK(one_request)->DenseRange(0, requests.size() - 1)->Unit(benchmark::kMillisecond);

// The grid Nm = 0..20, b = 0, 0.5, ..., 15: 651 requests.
void request_grid(benchmark::State& state) {
  limits::fill_factorial_table();
  std::uint64_t builds = 0;
  for (auto _ : state) {
    const std::uint64_t before = limits::acceptance_interval_builds();
    for (std::int32_t Nm = 0; Nm <= 20; ++Nm) {
      for (int half = 0; half <= 30; ++half) benchmark::DoNotOptimize(six_limits(Nm, half * 0.5));
    }
    builds = limits::acceptance_interval_builds() - before;
  }
  state.counters["builds"] = static_cast<double>(builds);
}

BENCHMARK(request_grid)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
