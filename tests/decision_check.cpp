// Check mode over many requests: every decision the cheaper route proves is
// also built, and any difference fails the run. With no argument, the
// 651-request grid at the console's three levels; with "random N SEED", N
// random requests (counts to 200, backgrounds to 300, one in a hundred
// from 695 to 705, where each request costs a hundred others) at random
// levels, on two threads.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "limits/interval_decision.h"
#include "limits/lower_limit.h"
#include "limits/upper_limit.h"

namespace {

struct request {
  std::int32_t n;
  double b;
  double cl;
};

std::vector<request> grid() {
  std::vector<request> requests;
  for (std::int32_t n = 0; n <= 20; ++n) {
    for (int half = 0; half <= 30; ++half) {
      for (const double cl : {0.6827, 0.90, 0.95}) requests.push_back({n, half * 0.5, cl});
    }
  }
  return requests;
}

std::vector<request> random_requests(std::size_t count, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<std::int32_t> counts(0, 200);
  std::uniform_real_distribution<double> backgrounds(0.0, 300.0);
  std::uniform_real_distribution<double> near_700(695.0, 705.0);
  std::uniform_real_distribution<double> levels(0.3, 0.999);
  std::vector<request> requests;
  for (std::size_t i = 0; i < count; ++i) {
    const double b = i % 100 == 99 ? near_700(random) : backgrounds(random);
    const double cl = i % 2 == 0 ? levels(random) : (i % 4 == 1 ? 0.90 : 0.6827);
    requests.push_back({counts(random), b, cl});
  }
  return requests;
}

// Every second request, from `first` on, in check mode on this thread.
void check_share(const std::vector<request>& requests, std::size_t first,
                 limits::decision_counts& out) {
  limits::set_decision_check(true);
  for (std::size_t i = first; i < requests.size(); i += 2) {
    const request& r = requests[i];
    limits::lower_limit(r.n, r.b, r.cl);
    limits::upper_limit(r.n, r.b, r.cl);
  }
  out = limits::decision_counters();
}

}  // namespace

int main(int argc, char** argv) {
  const bool random = argc >= 2 && std::string(argv[1]) == "random";
  const std::vector<request> requests =
      random ? random_requests(argc >= 3 ? std::strtoull(argv[2], nullptr, 10) : 100,
                               argc >= 4 ? std::strtoull(argv[3], nullptr, 10) : 1)
             : grid();
  limits::decision_counts shares[2];
  std::thread helper(check_share, std::cref(requests), 1, std::ref(shares[1]));
  check_share(requests, 0, shares[0]);
  helper.join();
  limits::decision_counts all;
  for (const limits::decision_counts& t : shares) {
    all.decisions += t.decisions;
    all.proved += t.proved;
    all.unproved += t.unproved;
    all.covered += t.covered;
    all.mismatches += t.mismatches;
  }
  std::printf("%zu requests: %" PRIu64 " decisions, %" PRIu64 " proved, %" PRIu64
              " unproved, %" PRIu64 " means covered by proved ranges, %" PRIu64 " mismatches\n",
              requests.size(), all.decisions, all.proved, all.unproved, all.covered,
              all.mismatches);
  return all.mismatches == 0 && all.proved > 0 ? 0 : 1;
}
