#include "limits/exact_correction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

#include "limits/exact_search.h"

// The correction's maximum over the backgrounds b' in [b, b + 1].
//
// At a fixed build mean lambda = b' + mu the build's terms do not depend on
// b', nor do the ratios of the counts above b'; the counts at or below b'
// have log ratios k log(lambda / b') - (lambda - b'), which rise with b' the
// more the smaller k is. Nm lies below b' here, so as b' grows (within one
// unit cell of b', where the counts at or below b' stay the same) Nm's ratio
// rises against every count it competes with, and the means accepting Nm,
// as build means, can only grow: the top edge lambda_top(b') = b' + U(b')
// rises with b' (stays put where the edge is a stop on a run of counts,
// moves where it is a comparison, jumps where an island appears). So on a
// cell [s, e] of backgrounds no U(b') exceeds lambda_top(e) - s.
//
// The search: branch and bound over the backgrounds of each cell. A part
// [b1, b2] whose raw limits are known at both ends holds no U above
// lambda_top(b2) - b1; a part whose bound exceeds the best U found by more
// than `resolution` is halved at its middle, where U is computed, searched
// only up to the part's bound (by the same argument; that saves proving
// the cells above it). The highest U found is searched again over every
// mean, so the result is an exact raw upper limit at its background.
//
// What is proven: the result is an exact raw upper limit at a background in
// [b, b + 1], searched over every mean, and at least the raw limit at b.
// Given that acceptance at a fixed build mean rises with b' (argued above
// for exact arithmetic; the build's comparisons may differ within their
// rounding at near ties, which is not proven away), no U in the cell
// exceeds it by more than `resolution` (1e-9 (1 + b)), unless the
// most_splits splits run out first, when the highest bound left is the
// most it can miss by. Measured: against a scan of 200 backgrounds per unit
// with each jump bisected (docs/method.md).
namespace limits {
namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Bounds are compared to this width times 1 + b.
constexpr double resolution = 1e-9;
// Parts split in one request: every split costs one exact raw limit.
constexpr int most_splits = 48;

// A part of a cell of backgrounds, its raw limits known at both ends.
struct part {
  double b1;
  double b2;
  double u1;
  double u2;

  double bound() const { return b2 + u2 - b1; }  // lambda_top(b2) - b1

  bool operator<(const part& other) const { return bound() < other.bound(); }
};

class corrector {
 public:
  corrector(std::int32_t Nm, double b, double cl, const search_settings& settings)
      : Nm_(Nm), cl_(cl), width_(resolution * (1.0 + b)), settings_(settings) {}

  // The raw limit at a background, searched up to the mean `ceiling` (all
  // means by default).
  double raw(double background, double ceiling = infinity) {
    const double u = exact_raw_upper_limit(Nm_, background, cl_, settings_, ceiling);
    if (u > best_) {
      best_ = u;
      best_background_ = background;
      best_ceiling_ = ceiling;
    }
    return u;
  }

  void add(const part& p) {
    if (p.b2 - p.b1 > width_) open_.push(p);
  }

  // The part of highest bound first, split at its middle, until no bound
  // exceeds the best by more than the width or the splits run out.
  double best() {
    for (int split = 0; split < most_splits && !open_.empty(); ++split) {
      const part p = open_.top();
      if (!(p.bound() > best_ + width_)) break;
      open_.pop();
      const double middle = p.b1 + (p.b2 - p.b1) / 2;
      // lambda_top(middle) <= lambda_top(b2): the means above are not
      // searched, which saves the proofs of the cells above the limit.
      const double u_middle = raw(middle, p.b2 + p.u2 - middle + width_);
      add({p.b1, middle, p.u1, u_middle});
      add({middle, p.b2, u_middle, p.u2});
    }
    // The value returned is an exact raw limit at its background, searched
    // over every mean, whatever the argument for the ceiling.
    if (best_ceiling_ < infinity) raw(best_background_);
    return best_;
  }

 private:
  std::int32_t Nm_;
  double cl_;
  double width_;
  const search_settings& settings_;
  double best_ = 0.0;
  double best_background_ = 0.0;
  double best_ceiling_ = infinity;
  std::priority_queue<part> open_;
};

}  // namespace

double exact_upper_limit(std::int32_t Nm, double b, double cl, const search_settings& settings) {
  corrector search(Nm, b, cl, settings);
  const double u0 = search.raw(b);
  if (!(std::trunc(b) > static_cast<double>(Nm))) return u0;
  // The cells of b': the counts at or below b' change at each integer.
  const double split = std::floor(b) + 1.0;
  const double end = b + 1.0;
  const double left_end = std::nextafter(split, -std::numeric_limits<double>::infinity());
  if (left_end > b) search.add({b, left_end, u0, search.raw(left_end)});
  if (end >= split) {
    const double u_split = search.raw(split);
    search.add({split, end, u_split, end > split ? search.raw(end) : u_split});
  }
  return std::max(u0, search.best());
}

}  // namespace limits
