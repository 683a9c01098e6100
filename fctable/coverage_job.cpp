// Coverage at a list of true signal means, with a summary of where it falls
// short of the level.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fclimits/fclimits.h"
#include "fctable/number_text.h"
#include "fctable/table_job.h"

namespace fctable {
namespace {

// Means per library call: each call computes the limits of every count its
// means need once, so larger chunks repeat less of that work; the chunk
// bounds the memory and the delay before rows go out.
constexpr std::size_t means_per_call = 1024;

class coverage_job final : public table_job {
 public:
  explicit coverage_job(const table_settings& settings)
      : mu_(settings.mu), b_(settings.b[0]), cl_(settings.cl[0]), how_(settings.how) {}

  std::vector<column> columns() const override {
    return {{"mu", column_kind::input}, {"coverage", column_kind::result}};
  }

  std::uint64_t size() const override { return mu_.size(); }

  void run(std::uint64_t first, std::uint64_t count, unsigned threads, row_sink& sink) override {
    std::vector<double> means;
    for (std::uint64_t done = 0; done < count; done += means.size()) {
      means.clear();
      for (std::uint64_t i = done; i < std::min(count, done + means_per_call); ++i) {
        means.push_back(mu_[first + i]);
      }
      const std::vector<double> coverage = fclimits::coverage(means, b_, cl_, how_, threads);
      for (std::size_t k = 0; k < means.size(); ++k) {
        sink.take({means[k], coverage[k]});
        note(means[k], coverage[k]);
      }
      sink.caught_up();
    }
  }

  // "lowest coverage at the means given 0.8873 (at mu = 0.45); 12 of 101
  // means (11.9 %) below cl = 0.9": only the means given are known, and the
  // coverage can dip between them.
  std::string summary() const override {
    if (points_ == 0) return "fctable: coverage: no means in this part of the list";
    std::string text = "fctable: lowest coverage at the means given ";
    append_shortest(text, lowest_);
    text += " (at mu = ";
    append_shortest(text, lowest_at_);
    text += "); " + std::to_string(below_) + " of " + std::to_string(points_) + " means (";
    append_fixed(text, 100.0 * static_cast<double>(below_) / static_cast<double>(points_), 1);
    text += " %) below cl = ";
    append_shortest(text, cl_);
    return text;
  }

 private:
  void note(double mu, double coverage) {
    if (points_ == 0 || coverage < lowest_) {
      lowest_ = coverage;
      lowest_at_ = mu;
    }
    ++points_;
    if (coverage < cl_) ++below_;
  }

  const value_list& mu_;
  double b_;
  double cl_;
  fclimits::options how_;
  std::uint64_t points_ = 0;
  std::uint64_t below_ = 0;
  double lowest_ = 0.0;
  double lowest_at_ = 0.0;
};

}  // namespace

std::unique_ptr<table_job> make_coverage_job(const table_settings& settings) {
  return std::make_unique<coverage_job>(settings);
}

}  // namespace fctable
