// Time of the six limits of one request (the three levels, lower and upper),
// and its cost: the interval decisions the searches take, how many of them
// the cheaper route proved, how many it could not (built instead), the
// means answered from proved ranges without a decision, and the builds.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "limits/acceptance_interval.h"
#include "limits/factorial_table.h"
#include "limits/interval_decision.h"
#include "limits/lower_limit.h"
#include "limits/upper_limit.h"

namespace {

constexpr std::array<double, 3> levels = {0.6827, 0.90, 0.95};

struct request {
  std::int32_t Nm;
  double b;
};

constexpr std::array<request, 19> requests = {{
    {0, 0.0},          {3, 0.0},    {10, 3.0},    {0, 3.0},       {0, 15.0},
    {3, 14.0},         {5, 12.5},   {20, 15.0},   {14, 14.5},     {0, 300.0},
    {0, 700.0},        {0, 650.0},  {200, 650.0}, {300, 690.0},   {0, 705.0},
    {2000000000, 0.0}, {100, 80.0}, {1000, 10.0}, {1000000, 0.0},
}};

double six_limits(std::int32_t Nm, double b) {
  double sum = 0.0;
  for (const double cl : levels)
    sum += limits::lower_limit(Nm, b, cl) + limits::upper_limit(Nm, b, cl);
  return sum;
}

// The counters of one pass, set on the benchmark.
class cost_counters {
 public:
  cost_counters()
      : decisions_(limits::decision_counters()), builds_(limits::acceptance_interval_builds()) {}

  void report(benchmark::State& state) const {
    const limits::decision_counts now = limits::decision_counters();
    state.counters["decisions"] = static_cast<double>(now.decisions - decisions_.decisions);
    state.counters["proved"] = static_cast<double>(now.proved - decisions_.proved);
    state.counters["unproved"] = static_cast<double>(now.unproved - decisions_.unproved);
    state.counters["covered"] = static_cast<double>(now.covered - decisions_.covered);
    state.counters["builds"] = static_cast<double>(limits::acceptance_interval_builds() - builds_);
  }

 private:
  limits::decision_counts decisions_;
  std::uint64_t builds_;
};

void one_request(benchmark::State& state) {
  const request r = requests[static_cast<std::size_t>(state.range(0))];
  state.SetLabel("Nm=" + std::to_string(r.Nm) + " b=" + std::to_string(r.b).substr(0, 5));
  for (auto _ : state) {
    const cost_counters pass;
    benchmark::DoNotOptimize(six_limits(r.Nm, r.b));
    pass.report(state);
  }
}

BENCHMARK(one_request)->DenseRange(0, requests.size() - 1)->Unit(benchmark::kMillisecond);

// The grid Nm = 0..20, b = 0, 0.5, ..., 15: 651 requests.
void request_grid(benchmark::State& state) {
  for (auto _ : state) {
    const cost_counters pass;
    for (std::int32_t Nm = 0; Nm <= 20; ++Nm) {
      for (int half = 0; half <= 30; ++half) benchmark::DoNotOptimize(six_limits(Nm, half * 0.5));
    }
    pass.report(state);
  }
}

BENCHMARK(request_grid)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
