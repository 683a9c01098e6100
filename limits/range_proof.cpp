#include "limits/range_proof.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

#include "limits/route_model.h"

// Why every build in a range gives one of the outcomes.
//
// Take means mu in [mu1, mu2] whose build means lambda = b + mu (the same
// rounded double the build forms) share the start count n0: lambda lies in
// [lambda1, lambda2], both in [n0, n0 + 1), since rounding is monotone. The
// route's argument (interval_proof.cpp) gives, at every such mean, margins
// for the build's doubles against the exact quantities: each log ratio
// within B, each sum within K relative, for every count up to n_max and
// every mean up to n0 + 1. The model at each end is within the same bounds
// of the exact values there. Then:
//
// Comparisons. The build compares the ratios of its two frontier counts
// n_high > n_low. The exact difference of their logarithms is
// (n_high - n_low) log(lambda) plus a constant (the -mu of both ratios
// cancels), so it grows with the mean: its least value in the range is at
// lambda1, its largest at lambda2. Where the model's difference exceeds the
// tie margin (8B) at lambda1, the build's exceeds 0 at every mean of the
// range (it is within 2B of the exact value, the exact one at least the
// exact one at lambda1, and that within 2B of the model's); where it is
// below -8B at lambda2, the build's is below 0 everywhere. Otherwise the
// comparison may go either way and both are followed.
//
// Sums. The build's stopping sum at each step is the sum of a run of counts
// a..c around the mean. Within the cell each term P(n | lambda) is monotone
// in lambda (falling for n <= n0 <= lambda, rising for n > lambda), and the
// run's sum S has S' = P(a - 1) - P(c) (P(-1) = 0), whose ratio
// P(a - 1) / P(c) falls with lambda: S rises and then falls, or is
// monotone. So its least value in the range is at an end, and where S may
// peak inside (S' not surely negative at lambda1 nor surely positive at
// lambda2, judged with a relative room of 1e-6 far above the model's error)
// its largest is at most the larger end value plus (lambda2 - lambda1)
// times the larger of P(a - 1) at lambda1 and P(c) at lambda2, the largest
// slopes in the range. The sum has surely reached cl where the least model
// sum is at or above the route's reached margin, and surely not where the
// largest is below its missed margin; in between the build may stop there
// or go on, and both are followed.
//
// Ways. Every way through the decisions is a sequence of frontiers
// (low, high), each step taking one of the two candidates; after k steps
// high - low = k + 1. Ways that meet at the same frontier have taken the
// same counts, so from there on they face the same decisions: they are
// followed as one, with the least and largest of their sums (the same terms
// added in other orders). So the search goes step by step over the set of
// frontiers reachable after k steps, at most most_frontiers of them, and
// ends where every way has surely stopped.
//
// Every other guard of the route holds at both ends, hence between them:
// the terms taken on the upper side stay above 1e-250 (they rise with the
// mean), the compared ratios above e^-600 and in the normal range of their
// factors (checked at both ends; their logarithms are concave in the mean,
// so their least values are at the ends).
namespace limits {
namespace {

constexpr int most_frontiers = 128;
constexpr double slope_room = 1e-6;

struct end_model {
  double mu;
  double lambda;
  double L;
  double d_low;
  double reciprocal_lambda;
};

// A candidate count with its log ratio and term at each end.
struct candidate {
  std::int32_t n;
  double log_ratio[2];
  double term[2];
};

// Which way of the first undecided decision a frontier was reached by.
enum class lineage : unsigned char { before, taken, not_taken, mixed };

lineage merged(lineage a, lineage b) { return a == b ? a : lineage::mixed; }

// Every way that has reached one frontier.
struct frontier {
  candidate low;
  candidate high;
  double least_sum[2] = {0.0, 0.0};
  double largest_sum[2] = {0.0, 0.0};
  double top_term[2] = {0.0, 0.0};  // the term of the highest count taken
  bool taken_any = false;
  lineage from = lineage::before;
};

// The frontiers of two steps, kept per thread: the search allocates
// nothing.
thread_local std::array<frontier, most_frontiers> layers[2];

class explorer {
 public:
  explorer(const end_model (&ends)[2], const route::margins& m, const route::tables& t, double b,
           std::int32_t n_max)
      : ends_(ends), margins_(m), tables_(t), b_(b), n_max_(n_max) {}

  // Every way from the start to its stop; false where the range must be
  // given up.
  bool follow(const frontier& start) {
    frontier* current = layers[0].data();
    frontier* next = layers[1].data();
    int count = 1;
    current[0] = start;
    while (count > 0) {
      int next_count = 0;
      for (int i = 0; i < count; ++i) {
        const frontier& f = current[i];
        const int choice = compare(f);
        if (choice == failed) return false;
        if (choice == either) note_undecided(f, false);
        for (const bool upper : {false, true}) {
          if (upper ? choice == lower_first : choice == upper_first) continue;
          frontier moved = f;
          if (choice == either) moved.from = merged_lineage(f.from, upper);
          const step taken = take(moved, upper);
          if (taken == step::failed) return false;
          if (taken == step::finished) continue;
          if (!join(next, next_count, moved)) return false;
        }
      }
      std::swap(current, next);
      count = next_count;
    }
    return true;
  }

  const range_outcomes& outcomes() const { return outcomes_; }

  range_detail detail() const {
    range_detail d{undecided_, decision_};
    // A way of the open decision whose outcome was not seen alone cannot be
    // told apart.
    if (undecided_ == 1 && !(taken_seen_ && not_taken_seen_)) d.undecided = 2;
    return d;
  }

 private:
  static constexpr int failed = 0;
  static constexpr int upper_first = 1;
  static constexpr int lower_first = 2;
  static constexpr int either = 3;

  enum class step { failed, going_on, finished };

  lineage merged_lineage(lineage from, bool taken) const {
    if (undecided_ != 1 || from != lineage::before)
      return from == lineage::before ? lineage::mixed : from;
    return taken ? lineage::taken : lineage::not_taken;
  }

  void note_undecided(const frontier& f, bool is_stop) {
    if (++undecided_ == 1) {
      decision_.is_stop = is_stop;
      decision_.low = is_stop ? f.low.n + 1 : f.low.n;
      decision_.high = is_stop ? f.high.n - 1 : f.high.n;
    }
  }

  // Ways meeting at one frontier are followed as one.
  static bool join(frontier* set, int& count, const frontier& f) {
    for (int i = 0; i < count; ++i) {
      frontier& g = set[i];
      if (g.low.n != f.low.n) continue;
      for (int e = 0; e < 2; ++e) {
        g.least_sum[e] = std::min(g.least_sum[e], f.least_sum[e]);
        g.largest_sum[e] = std::max(g.largest_sum[e], f.largest_sum[e]);
        g.top_term[e] = std::max(g.top_term[e], f.top_term[e]);
      }
      g.from = merged(g.from, f.from);
      return true;
    }
    if (count == most_frontiers) return false;
    set[count++] = f;
    return true;
  }

  double log_ratio(std::int32_t n, int e) const {
    const end_model& m = ends_[e];
    return route::log_ratio(n, m.mu, b_, m.L, m.d_low, tables_.log_n);
  }

  bool in_normal_range(std::int32_t n) const {
    for (const end_model& m : ends_) {
      if (!route::ratio_in_normal_range(n, m.mu, b_, m.L, tables_.log_n)) return false;
    }
    return true;
  }

  int compare(const frontier& f) const {
    if (!in_normal_range(f.high.n)) return failed;
    if (f.low.n < 0) return upper_first;  // below count 0 the build's ratio is 0.0
    if (!in_normal_range(f.low.n)) return failed;
    for (int e = 0; e < 2; ++e) {
      if (f.low.log_ratio[e] < route::lowest_log_ratio &&
          f.high.log_ratio[e] < route::lowest_log_ratio) {
        return failed;
      }
    }
    // The difference grows with the mean: least at the lower end.
    const double least = f.high.log_ratio[0] - f.low.log_ratio[0];
    const double largest = f.high.log_ratio[1] - f.low.log_ratio[1];
    if (least > margins_.tie) return upper_first;
    if (largest < -margins_.tie) return lower_first;
    return either;
  }

  // Takes the upper or lower candidate into the sums and moves past it; a
  // stop test that may go either way gives the stop as an outcome and goes
  // on.
  step take(frontier& f, bool upper) {
    const candidate& taken = upper ? f.high : f.low;
    if (upper && !(std::min(taken.term[0], taken.term[1]) >= route::smallest_term)) {
      return step::failed;
    }
    for (int e = 0; e < 2; ++e) {
      f.least_sum[e] = taken.term[e] + f.least_sum[e];  // the build's order of addition
      f.largest_sum[e] = taken.term[e] + f.largest_sum[e];
      if (upper || !f.taken_any) f.top_term[e] = taken.term[e];
    }
    f.taken_any = true;
    if (upper) {
      if (f.high.n == n_max_) return step::failed;
      ++f.high.n;
      for (int e = 0; e < 2; ++e) {
        f.high.term[e] = (f.high.term[e] * ends_[e].lambda) * tables_.reciprocal[f.high.n];
        f.high.log_ratio[e] = log_ratio(f.high.n, e);
      }
    } else {
      --f.low.n;
      for (int e = 0; e < 2; ++e) {
        if (f.low.n >= 0) {
          f.low.term[e] =
              (f.low.term[e] * static_cast<double>(f.low.n + 1)) * ends_[e].reciprocal_lambda;
          f.low.log_ratio[e] = log_ratio(f.low.n, e);
        } else {
          f.low.term[e] = 0.0;
        }
      }
    }
    const double least = std::min(f.least_sum[0], f.least_sum[1]);
    double largest = std::max(f.largest_sum[0], f.largest_sum[1]);
    // The slope P(a - 1) - P(c): surely negative at the lower end, or surely
    // positive at the upper end, leaves the largest sum at an end.
    const bool falls_throughout = f.low.term[0] < f.top_term[0] * (1.0 - slope_room);
    const bool rises_throughout = f.low.term[1] > f.top_term[1] * (1.0 + slope_room);
    if (!falls_throughout && !rises_throughout) {
      const double steepest = std::max(f.low.term[0], f.top_term[1]) * (1.0 + slope_room);
      largest = largest + (ends_[1].lambda - ends_[0].lambda) * steepest;
    }
    const bool surely_reached = least >= margins_.reached;
    const bool surely_missed = largest < margins_.missed;
    const interval_bounds stopped{f.low.n + 1, f.high.n - 1};
    if (!surely_reached && !surely_missed) {
      note_undecided(f, true);
      if (undecided_ == 1) {
        if (!add_outcome(stopped, lineage::taken)) return step::failed;
        f.from = lineage::not_taken;
        return step::going_on;
      }
    }
    if ((surely_reached || !surely_missed) && !add_outcome(stopped, f.from)) return step::failed;
    return surely_reached ? step::finished : step::going_on;
  }

  bool add_outcome(const interval_bounds& bounds, lineage from) {
    if (undecided_ == 1) {
      if (from == lineage::taken) {
        decision_.if_taken = bounds;
        taken_seen_ = true;
      } else if (from == lineage::not_taken) {
        decision_.if_not = bounds;
        not_taken_seen_ = true;
      }
    }
    range_outcomes& o = outcomes_;
    const bool first = o.listed && o.count == 0;
    o.least = {first ? bounds.n_low : std::min(o.least.n_low, bounds.n_low),
               first ? bounds.n_high : std::min(o.least.n_high, bounds.n_high)};
    o.most = {first ? bounds.n_low : std::max(o.most.n_low, bounds.n_low),
              first ? bounds.n_high : std::max(o.most.n_high, bounds.n_high)};
    if (!o.listed) return true;
    for (int i = 0; i < o.count; ++i) {
      if (o.bounds[static_cast<std::size_t>(i)] == bounds) return true;
    }
    // Past the list's room the hull alone is kept: a sum within its margin
    // of cl while the counts taken add terms below its rounding gives an
    // undecided stop at each of them.
    if (o.count == most_range_outcomes) {
      o.listed = false;
      return true;
    }
    o.bounds[static_cast<std::size_t>(o.count++)] = bounds;
    return true;
  }

  const end_model (&ends_)[2];
  route::margins margins_;
  const route::tables& tables_;
  double b_;
  std::int32_t n_max_;
  range_outcomes outcomes_;
  int undecided_ = 0;
  undecided_decision decision_;
  bool taken_seen_ = false;
  bool not_taken_seen_ = false;
};

}  // namespace

std::optional<range_outcomes> prove_range(double mu1, double mu2, double b, double cl,
                                          range_detail* detail) {
  if (!(mu1 <= mu2)) return {};
  const std::optional<route::start> s1 = route::start_of(mu1, b, cl);
  const std::optional<route::start> s2 = route::start_of(mu2, b, cl);
  if (!s1 || !s2 || s1->n0 != s2->n0) return {};
  const route::tables& tables = route::tables_for(b);
  const route::margins m1 = route::margins_of(*s1, cl, 1.0, tables);
  const route::margins m2 = route::margins_of(*s2, cl, 1.0, tables);
  const route::margins margins{std::max(m1.tie, m2.tie), std::max(m1.reached, m2.reached),
                               std::min(m1.missed, m2.missed)};
  const end_model ends[2] = {{mu1, s1->lambda, s1->L, s1->L - tables.Lb, 1.0 / s1->lambda},
                             {mu2, s2->lambda, s2->L, s2->L - tables.Lb, 1.0 / s2->lambda}};
  const std::int32_t n0 = s1->n0;
  explorer search(ends, margins, tables, b, std::max(s1->n_max, s2->n_max));
  frontier start;
  start.low.n = n0;
  start.high.n = n0 + 1;
  const double x[2] = {route::start_exponent(*s1, tables), route::start_exponent(*s2, tables)};
  for (int e = 0; e < 2; ++e) {
    start.low.term[e] = std::exp(x[e]);
    start.low.log_ratio[e] =
        route::log_ratio(n0, ends[e].mu, b, ends[e].L, ends[e].d_low, tables.log_n);
    start.high.term[e] = (start.low.term[e] * ends[e].lambda) * tables.reciprocal[n0 + 1];
    start.high.log_ratio[e] =
        route::log_ratio(n0 + 1, ends[e].mu, b, ends[e].L, ends[e].d_low, tables.log_n);
  }
  if (!search.follow(start)) return {};
  if (detail != nullptr) *detail = search.detail();
  return search.outcomes();
}

}  // namespace limits
