// The request grid through the public library: on all cores (the figure the
// Python module's grid call is measured against), and on one core with each
// search method side by side; single requests at large backgrounds.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fclimits/fclimits.h"

namespace {

constexpr std::array<double, 3> levels = {0.6827, 0.90, 0.95};

// The 651 requests Nm = 0..20, b = 0, 0.5, ..., 15 at the three levels, in
// the order of a C-ordered (21, 31, 3) array, as the Python module takes them.
void library_grid(benchmark::State& state) {
  constexpr std::size_t count = 21 * 31 * levels.size();
  std::vector<fclimits::interval> found(count);
  for (auto _ : state) {
    fclimits::parallel_for(count, 0, [&](std::size_t i) {
      const auto Nm = static_cast<std::int32_t>(i / (31 * levels.size()));
      const double b = static_cast<double>(i / levels.size() % 31) * 0.5;
      found[i] = fclimits::limits(Nm, b, levels[i % levels.size()]);
    });
    benchmark::DoNotOptimize(found.data());
  }
}

BENCHMARK(library_grid)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1)->Repetitions(5);

fclimits::options method_of(const benchmark::State& state) {
  return {.method = state.range(0) == 0 ? fclimits::search_method::exact
                                        : fclimits::search_method::console};
}

// The same 651 x 3 requests on one thread, argument 0 exact, 1 console.
void grid_one_thread(benchmark::State& state) {
  const fclimits::options how = method_of(state);
  state.SetLabel(state.range(0) == 0 ? "exact" : "console");
  for (auto _ : state) {
    for (std::int32_t Nm = 0; Nm <= 20; ++Nm) {
      for (int half = 0; half <= 30; ++half) {
        for (const double cl : levels) {
          benchmark::DoNotOptimize(fclimits::limits(Nm, half * 0.5, cl, how));
        }
      }
    }
  }
}

BENCHMARK(grid_one_thread)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3);

// One request with the correction at a large background, 90 %.
struct large_request {
  std::int32_t Nm;
  double b;
};

constexpr std::array<large_request, 5> large_requests = {
    {{0, 300.0}, {0, 700.0}, {200, 650.0}, {650, 700.0}, {400, 386.9}}};

void large_background(benchmark::State& state) {
  const large_request r = large_requests[static_cast<std::size_t>(state.range(1))];
  const fclimits::options how = method_of(state);
  state.SetLabel(std::string(state.range(0) == 0 ? "exact" : "console") +
                 " Nm=" + std::to_string(r.Nm) + " b=" + std::to_string(r.b).substr(0, 5));
  for (auto _ : state) benchmark::DoNotOptimize(fclimits::limits(r.Nm, r.b, 0.90, how));
}

BENCHMARK(large_background)
    ->ArgsProduct({{0, 1}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// One Gaussian measurement bounded at zero, 90 %: argument 0 below the
// bound (x = -1.5), 1 in the skewed region (x = 1.3), 2 far above (x = 40).
void gaussian_limits(benchmark::State& state) {
  constexpr std::array<double, 3> measurements = {-1.5, 1.3, 40.0};
  const double x = measurements[static_cast<std::size_t>(state.range(0))];
  for (auto _ : state) benchmark::DoNotOptimize(fclimits::gaussian_limits(x, 1.0, 0.90));
}

BENCHMARK(gaussian_limits)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// 10^5 rows: x from -5 to 5 over the paper's four levels, as fctable
// computes them; argument 1 thread, or 0 for all.
void gaussian_table(benchmark::State& state) {
  constexpr std::size_t rows = 100000;
  constexpr std::array<double, 4> paper_levels = {0.6827, 0.90, 0.95, 0.99};
  std::vector<fclimits::interval> found(rows);
  for (auto _ : state) {
    fclimits::parallel_for(rows, static_cast<unsigned>(state.range(0)), [&](std::size_t i) {
      const double x = -5.0 + 10.0 * static_cast<double>(i / 4) / (rows / 4);
      found[i] = fclimits::gaussian_limits(x, 1.0, paper_levels[i % 4]);
    });
    benchmark::DoNotOptimize(found.data());
  }
}

BENCHMARK(gaussian_table)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
