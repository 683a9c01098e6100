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
#include "fctable/uncertainty_columns.h"

namespace fctable {
namespace {

// Means per library call: each call computes the limits of every count its
// means need once, so larger chunks repeat less of that work; the chunk
// bounds the memory and the delay before rows go out.
constexpr std::size_t means_per_call = 1024;

// Rows run over the uncertainties, then the true backgrounds and
// efficiencies (a setup each), then the means: one setup's means go to the
// library together.
class coverage_job final : public table_job {
 public:
  explicit coverage_job(const table_settings& settings)
      : mu_(settings.mu),
        b_(settings.b[0]),
        cl_(settings.cl[0]),
        uncertain_(settings.uncertain),
        truth_(settings.truth),
        how_(settings.how) {}

  std::vector<column> columns() const override {
    std::vector<column> columns = {{"mu", column_kind::input}};
    add_uncertainty_columns(columns, uncertain_);
    if (truth_.b.size() > 0) columns.push_back({"true_b", column_kind::input});
    if (truth_.eff.size() > 0) columns.push_back({"true_eff", column_kind::input});
    if (truth_.averaged) columns.push_back({"averaged", column_kind::flag});
    columns.push_back({"coverage", column_kind::result});
    return columns;
  }

  std::uint64_t size() const override { return mu_.size() * setups(); }

  void run(std::uint64_t first, std::uint64_t count, unsigned threads, row_sink& sink) override {
    std::vector<double> means;
    for (std::uint64_t done = 0; done < count; done += means.size()) {
      const std::uint64_t setup = (first + done) / mu_.size();
      means.clear();
      for (std::uint64_t j = (first + done) % mu_.size();
           j < mu_.size() && means.size() < means_per_call && done + means.size() < count; ++j) {
        means.push_back(mu_[j]);
      }
      const fclimits::uncertainties u = uncertainties_of(setup);
      const fclimits::truth drawn = truth_of(setup);
      const std::vector<double> coverage =
          fclimits::coverage(means, b_, cl_, u, drawn, how_, threads);
      for (std::size_t k = 0; k < means.size(); ++k) {
        row_builder row;
        row << means[k];
        add_uncertainty_values(row, u, uncertain_);
        if (drawn.b) row << *drawn.b;
        if (drawn.eff) row << *drawn.eff;
        if (drawn.averaged) row << 1.0;
        row << coverage[k];
        sink.take(row.values());
        note(means[k], setup, coverage[k]);
      }
      sink.caught_up();
    }
  }

  // "lowest coverage at the means given 0.8873 (at mu = 0.45); 12 of 101
  // means (11.9 %) below cl = 0.9": only the means given are known, and the
  // coverage can dip between them. With more columns than mu the place
  // names them all, and the share counts rows.
  std::string summary() const override {
    if (points_ == 0) return "fctable: coverage: no means in this part of the list";
    std::string text = "fctable: lowest coverage at the means given ";
    append_shortest(text, lowest_);
    text += " (at mu = ";
    append_shortest(text, lowest_at_);
    const bool more_columns = uncertain_.columns || truth_.b.size() > 0 || truth_.eff.size() > 0;
    if (more_columns) append_setup(text, lowest_setup_);
    text += "); " + std::to_string(below_) + " of " + std::to_string(points_) +
            (more_columns ? " rows (" : " means (");
    append_fixed(text, 100.0 * static_cast<double>(below_) / static_cast<double>(points_), 1);
    text += " %) below cl = ";
    append_shortest(text, cl_);
    return text;
  }

 private:
  std::uint64_t setups() const { return uncertain_.size() * truth_.size(); }

  fclimits::uncertainties uncertainties_of(std::uint64_t setup) const {
    return uncertain_.at(setup / truth_.size());
  }

  fclimits::truth truth_of(std::uint64_t setup) const { return truth_.at(setup % truth_.size()); }

  // ", b_sigma = 0, eff = 1, eff_sigma = 0.2, true_b = 3": the number
  // columns of the setup.
  void append_setup(std::string& text, std::uint64_t setup) const {
    const auto append = [&text](const char* name, double value) {
      text += std::string(", ") + name + " = ";
      append_shortest(text, value);
    };
    if (uncertain_.columns) {
      const fclimits::uncertainties u = uncertainties_of(setup);
      append("b_sigma", u.b_sigma);
      append("eff", u.eff);
      append("eff_sigma", u.eff_sigma);
    }
    const fclimits::truth drawn = truth_of(setup);
    if (drawn.b) append("true_b", *drawn.b);
    if (drawn.eff) append("true_eff", *drawn.eff);
  }

  void note(double mu, std::uint64_t setup, double coverage) {
    if (points_ == 0 || coverage < lowest_) {
      lowest_ = coverage;
      lowest_at_ = mu;
      lowest_setup_ = setup;
    }
    ++points_;
    if (coverage < cl_) ++below_;
  }

  const value_list& mu_;
  double b_;
  double cl_;
  const uncertainty_settings& uncertain_;
  const truth_settings& truth_;
  fclimits::options how_;
  std::uint64_t points_ = 0;
  std::uint64_t below_ = 0;
  double lowest_ = 0.0;
  double lowest_at_ = 0.0;
  std::uint64_t lowest_setup_ = 0;
};

}  // namespace

std::unique_ptr<table_job> make_coverage_job(const table_settings& settings) {
  return std::make_unique<coverage_job>(settings);
}

}  // namespace fctable
