#pragma once

#include <array>
#include <bit>
#include <cassert>
#include <cstdint>

namespace limits {

// Powers of one base x by binary powering, the squares x, x^2, x^4, ...
// computed once and kept: power(n) is bit for bit integer_power(x, n), since
// both multiply the same rounded squares in the same order.
class power_chain {
 public:
  // The squares are left unset until needed: one chain is made per interval
  // build, and clearing them would cost more than using them.
  explicit power_chain(double x) { reset(x); }

  void reset(double x) {
    squares_[0] = x;
    known_ = 1;
  }

  double power(std::int32_t n) {
    assert(n >= 0);
    auto bits = static_cast<std::uint32_t>(n);
    if (bits == 0) return 1.0;
    const int highest = static_cast<int>(std::bit_width(bits)) - 1;
    // A square is formed only where a bit of n needs it, as integer_power
    // does, so no square beyond it can overflow.
    while (known_ <= highest) {
      const double previous = squares_[static_cast<std::size_t>(known_ - 1)];
      squares_[static_cast<std::size_t>(known_++)] = previous * previous;
    }
    double result = 1.0;
    for (std::size_t i = 0; bits != 0; ++i, bits >>= 1) {
      if (bits & 1u) result *= squares_[i];
    }
    return result;
  }

 private:
  std::array<double, 32> squares_;  // x^(2^i), known for i < known_
  int known_ = 1;
};

// The Poisson terms and likelihood ratios of one acceptance interval, for
// one mean and background. poisson(n) equals poisson_term(n, mu, b) and
// ratio(n) equals likelihood_ratio(n, mu, b) bit for bit; what does not
// depend on the count (the exponentials, the powers of b + mu, the running
// product up to a count) is computed once per interval instead of per count.
// Uses its thread's buffer for the running product: one instance at a time
// on each thread. No I/O, no allocation.
class interval_terms {
 public:
  interval_terms(double mu, double b);

  double poisson(std::int32_t n);
  double ratio(std::int32_t n);

 private:
  double product_form(std::int32_t n);
  double low_q();

  double mu_;
  double b_;
  double lambda_;
  bool no_mean_;
  double exp_neg_mu_;
  bool log_form_;
  double exp_neg_mu_minus_b_ = 0.0;  // 0.0 until first needed
  double exp_neg_b_ = 0.0;           // 0.0 until first needed
  double log_lambda_ = 0.0;
  power_chain lambda_powers_;
  // q for the counts at or below b, whose best mean is 0: the same for all.
  bool low_q_known_ = false;
  double low_q_ = 0.0;
  double log_low_q_ = 0.0;
  power_chain low_q_powers_{0.0};
  double* prefix_;               // this thread's running products
  std::int32_t prefix_top_ = 0;  // running products known for counts 0..prefix_top_
};

}  // namespace limits
