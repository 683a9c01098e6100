#include "limits/route_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "limits/log_tables.h"

namespace limits::route {
namespace {

constexpr double smallest_lambda = 1e-4;
constexpr double largest_lambda = 1e4;
constexpr double largest_signal = 700.0;
constexpr double overflow_reach = 708.0;
constexpr double log_two_pi = 1.8378770664093453;
constexpr double smallest_level = 1e-6;
constexpr double largest_log_ratio_size = 710.0;
constexpr double reach_in_deviations = 20.0;
constexpr double reach_beyond = 50.0;

struct thread_tables {
  double background = std::numeric_limits<double>::quiet_NaN();
  tables t{nullptr, nullptr, nullptr, 0.0};
};

thread_local thread_tables kept;

}  // namespace

std::optional<start> start_of(double mu, double b, double cl) {
  const double lambda = b + mu;
  if (!(lambda >= smallest_lambda && lambda <= largest_lambda && mu <= largest_signal)) return {};
  if (!(cl >= smallest_level)) return {};
  const double L = std::log(lambda);
  if (!(b + 0.5 * (L - log_two_pi) <= overflow_reach)) return {};
  const auto n0 = static_cast<std::int32_t>(lambda);  // truncation, as the build's start
  const double reach =
      reach_in_deviations * std::sqrt(static_cast<double>(n0) + 2.0) + reach_beyond;
  const auto n_max = n0 + static_cast<std::int32_t>(reach);
  if (n_max >= log_table_size) return {};
  return start{lambda, L, n0, reach, n_max};
}

const tables& tables_for(double b) {
  if (kept.t.log_n == nullptr) {
    kept.t.log_n = log_counts();
    kept.t.log_factorial = log_factorials();
    kept.t.reciprocal = reciprocals();
  }
  // Exact comparison: a search decides at one background many times.
  if (kept.background != b) {
    kept.background = b;
    kept.t.Lb = b > 0.0 ? std::log(b) : 0.0;
  }
  return kept.t;
}

double start_exponent(const start& s, const tables& t) {
  const double A = static_cast<double>(s.n0) * s.L;
  const double S = A - s.lambda;
  return S - t.log_factorial[s.n0];
}

margins margins_of(const start& s, double cl, double scale, const tables& t) {
  const double L_max = std::max(std::fabs(s.L), t.log_n[s.n0 + 1]);
  const double M = std::max(std::fabs(t.Lb), t.log_n[s.n_max]);
  const auto n_max = static_cast<double>(s.n_max);
  const double ratio_bound =
      unit_roundoff * (n_max * (4.0 + 4.0 * L_max + 4.0 * M) + 70.0 + largest_log_ratio_size);
  const double tie = scale * safety_factor * 2.0 * ratio_bound;

  const double G = t.log_factorial[s.n0];
  const double A = static_cast<double>(s.n0) * s.L;
  const double S = A - s.lambda;
  const double x = S - G;
  const double start_error = unit_roundoff * (2.0 * s.n0 * std::fabs(s.L) + std::fabs(A) +
                                              std::fabs(S) + 2.0 * G + std::fabs(x) + 2.0);
  const double top = static_cast<double>(s.n0) + 1.0;
  const double steps = std::max(s.reach, static_cast<double>(s.n0));
  const double K =
      start_error + unit_roundoff * (3.0 * steps + 2.0 * n_max + top + 70.0 + 2.0 * (n_max + 2.0));
  const double sum_margin = scale * 2.0 * safety_factor * K;
  return margins{tie, cl * (1.0 + sum_margin), cl * (1.0 - sum_margin)};
}

}  // namespace limits::route
