// The request grid through the public library on all cores: the figure the
// Python module's grid call is measured against.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
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

}  // namespace

BENCHMARK_MAIN();
