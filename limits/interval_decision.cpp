#include "limits/interval_decision.h"

#include <optional>

#include "limits/acceptance_interval.h"
#include "limits/interval_proof.h"

namespace limits {
namespace {

struct decision_state {
  decision_counts counts;
  bool check = false;
};

thread_local decision_state state;

interval_bounds built(double mu, double b, double cl) {
  build_acceptance_interval(mu, b, cl);
  return {current_interval.n_low, current_interval.n_high};
}

// In check mode, the built bounds in place of the proved ones, any
// difference counted.
interval_bounds checked(const interval_bounds& proved, double mu, double b, double cl) {
  if (!state.check) return proved;
  const interval_bounds exact = built(mu, b, cl);
  if (!(exact == proved)) ++state.counts.mismatches;
  return exact;
}

// A decision, with the radius of the range proved around it where asked for
// (0 if built).
proved_interval decide(double mu, double b, double cl, bool with_radius) {
  ++state.counts.decisions;
  if (const std::optional<proved_interval> proved = prove_interval(mu, b, cl, 1.0, with_radius)) {
    ++state.counts.proved;
    return {checked(proved->bounds, mu, b, cl), proved->radius};
  }
  if (route_applies(mu, b, cl)) ++state.counts.unproved;
  return {built(mu, b, cl), 0.0};
}

}  // namespace

interval_bounds decide_interval(double mu, double b, double cl) {
  return decide(mu, b, cl, false).bounds;
}

interval_bounds interval_scan::at(double mu) {
  if (covering_ && mu <= covered_until_) {
    ++state.counts.covered;
    return checked(bounds_, mu, b_, cl_);
  }
  const proved_interval decided = decide(mu, b_, cl_, true);
  bounds_ = decided.bounds;
  covering_ = decided.radius > 0.0;
  covered_until_ = mu + decided.radius;
  return bounds_;
}

decision_counts decision_counters() { return state.counts; }

void set_decision_check(bool on) { state.check = on; }

}  // namespace limits
