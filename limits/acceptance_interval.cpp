#include "limits/acceptance_interval.h"

#include <cfenv>
#include <limits>

#include "limits/interval_terms.h"

namespace limits {

constinit thread_local acceptance_interval current_interval;

namespace {

constexpr std::int32_t largest_count = std::numeric_limits<std::int32_t>::max();

thread_local std::uint64_t builds = 0;
thread_local bool beyond_32_bits_met = false;

// A count that does not fit 32 bits is an invalid operation, as the
// conversion of an out-of-range Real to an integer is in hardware.
// WebAssembly has no floating-point flags (its <fenv.h> has no FE_INVALID):
// there beyond_32_bits_met alone tells the library.
void refuse_count_beyond_32_bits() {
  beyond_32_bits_met = true;
#ifdef FE_INVALID
  std::feraiseexcept(FE_INVALID);
#endif
  current_interval.n_low = largest_count;
  current_interval.n_high = largest_count;
}

// Above the mean the terms only fall, so once one of them is 0.0 all later
// ones are as well: coverage cannot grow any more and growing upward would
// never end.
bool upper_tail_exhausted(double term, std::int32_t n, double lambda) {
  return term == 0.0 && static_cast<double>(n) > lambda;
}

}  // namespace

std::uint64_t acceptance_interval_builds() { return builds; }

bool count_beyond_32_bits_met() { return beyond_32_bits_met; }

void clear_count_beyond_32_bits() { beyond_32_bits_met = false; }

void build_acceptance_interval(double mu, double b, double cl) {
  ++builds;
  // Exact comparisons: with no mean at all only the count 0 is accepted.
  if (mu == 0.0 && b == 0.0) {
    current_interval.n_low = 0;
    current_interval.n_high = 0;
    return;
  }
  const double start = b + mu;
  // Negated test, so that a NaN is refused as well; below the limit the
  // upper start count start + 1 still fits.
  if (!(start < static_cast<double>(largest_count) &&
        start > -static_cast<double>(largest_count))) {
    refuse_count_beyond_32_bits();
    return;
  }
  interval_terms terms(mu, b);
  // While growing, n_low and n_high are the candidates just outside the
  // admitted counts; r1 and r2 are their likelihood ratios.
  auto n_low = static_cast<std::int32_t>(start);  // truncation toward zero
  std::int32_t n_high = n_low + 1;
  double r1 = terms.ratio(n_low);
  double r2 = terms.ratio(n_high);
  double coverage = 0.0;
  bool exhausted = false;       // the upper side can add nothing more
  bool beyond_32_bits = false;  // the next upper count does not fit a Count

  // Admits the upper candidate and steps past it.
  auto admit_upper = [&]() {
    const double term = terms.poisson(n_high);
    coverage = term + coverage;
    if (n_high == largest_count) {
      beyond_32_bits = exhausted = true;
      return;
    }
    ++n_high;
    exhausted = upper_tail_exhausted(term, n_high - 1, start);
  };

  // A frontier ratio is evaluated only once the loop goes on past it: the
  // ratio of the last candidate would never be compared.
  bool r1_known = true;
  bool r2_known = true;
  while (!(coverage >= cl) && n_low >= 0) {
    if (!r1_known) r1 = terms.ratio(n_low);
    if (!r2_known) r2 = terms.ratio(n_high);
    r1_known = r2_known = true;
    if (r2 >= r1) {  // a tie goes to the upper count
      admit_upper();
      if (exhausted) break;
      r2_known = false;
    } else {
      coverage = terms.poisson(n_low) + coverage;
      --n_low;
      r1_known = false;  // 0.0 once n_low has reached -1
    }
  }
  // The lower side has run out of counts: grow upward only.
  while (!exhausted && coverage < cl) admit_upper();
  if (beyond_32_bits) {
    refuse_count_beyond_32_bits();
    return;
  }
  current_interval.n_low = n_low + 1;
  current_interval.n_high = n_high - 1;
  current_interval.coverage = coverage;
}

}  // namespace limits
