// Time of one interval with uncertain parameters, from a fresh model, so the
// ranking denominators are computed within it as a single request would.
#include <benchmark/benchmark.h>

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

}  // namespace

BENCHMARK_MAIN();
