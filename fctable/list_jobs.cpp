// The commands whose rows are the combinations of their lists: limits,
// belt, sensitivity, gaussian and gaussian-belt. Each row is one library
// call.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "fclimits/fclimits.h"
#include "fctable/paper_blocks.h"
#include "fctable/table_job.h"
#include "fctable/uncertainty_columns.h"

namespace fctable {
namespace {

class list_job final : public table_job {
 public:
  using row_function = std::function<row_values(std::uint64_t)>;
  using summary_function = std::function<std::string()>;

  list_job(std::vector<column> columns, std::uint64_t size, row_function row,
           summary_function summary = {})
      : columns_(std::move(columns)),
        size_(size),
        row_(std::move(row)),
        summary_(std::move(summary)) {}

  std::vector<column> columns() const override { return columns_; }

  std::uint64_t size() const override { return size_; }

  void run(std::uint64_t first, std::uint64_t count, unsigned threads, row_sink& sink) override {
    compute_in_order(
        count, threads, [&](std::size_t i) { return row_(first + i); }, sink);
  }

  std::string summary() const override { return summary_ ? summary_() : std::string(); }

 private:
  std::vector<column> columns_;
  std::uint64_t size_;
  row_function row_;
  summary_function summary_;
};

std::int32_t as_count(double n) { return static_cast<std::int32_t>(n); }

}  // namespace

// Rows run over n, then b, then cl, then the uncertainties; in the paper
// layout (one level, one uncertainty) block by block, so that the stream
// takes each table row from consecutive rows.
std::unique_ptr<table_job> make_limits_job(const table_settings& settings) {
  const value_list& n = settings.n;
  const value_list& b = settings.b;
  const value_list& cl = settings.cl;
  const uncertainty_settings& uncertain = settings.uncertain;
  const fclimits::options how = settings.how;
  std::optional<paper_blocks> paper;
  if (settings.layout == table_layout::paper) paper = blocks_of(settings);
  auto row = [&n, &b, &cl, &uncertain, how, paper](std::uint64_t job_row) -> row_values {
    const std::uint64_t i = paper ? paper->list_index(job_row) : job_row;
    const std::uint64_t per_cl = uncertain.size();
    const std::uint64_t per_b = cl.size() * per_cl;
    const std::uint64_t per_n = b.size() * per_b;
    const double n_i = n[i / per_n];
    const double b_i = b[i % per_n / per_b];
    const double cl_i = cl[i % per_b / per_cl];
    const fclimits::uncertainties u = uncertain.at(i % per_cl);
    const fclimits::interval limits = fclimits::limits(as_count(n_i), b_i, cl_i, u, how);
    row_builder r;
    r << n_i << b_i << cl_i;
    add_uncertainty_values(r, u, uncertain);
    r << limits.lower << limits.upper;
    return r.values();
  };
  std::vector<column> columns = {
      {"n", column_kind::count}, {"b", column_kind::input}, {"cl", column_kind::input}};
  add_uncertainty_columns(columns, uncertain);
  columns.push_back({"lower", column_kind::result});
  columns.push_back({"upper", column_kind::result});
  return std::make_unique<list_job>(std::move(columns),
                                    n.size() * b.size() * cl.size() * uncertain.size(), row);
}

// Each uncertainty's belt in turn, over every mean. With uncertainties a
// region might leave out a count between its ends: the rows say so in the
// column contiguous, and the summary counts them, so that such a belt is
// never read as whole.
std::unique_ptr<table_job> make_belt_job(const table_settings& settings) {
  const value_list& mu = settings.mu;
  const double b = settings.b[0];
  const double cl = settings.cl[0];
  const uncertainty_settings& uncertain = settings.uncertain;

  struct region_count {
    std::atomic<std::uint64_t> all{0};
    std::atomic<std::uint64_t> broken{0};
  };

  auto regions = std::make_shared<region_count>();
  auto row = [&mu, &uncertain, b, cl, regions](std::uint64_t i) -> row_values {
    const double mu_i = mu[i % mu.size()];
    const fclimits::uncertainties u = uncertain.at(i / mu.size());
    const fclimits::uncertain_acceptance region = fclimits::acceptance_region(mu_i, b, cl, u);
    ++regions->all;
    if (!region.contiguous) ++regions->broken;
    row_builder r;
    r << mu_i;
    add_uncertainty_values(r, u, uncertain);
    r << static_cast<double>(region.n_low) << static_cast<double>(region.n_high)
      << region.probability;
    if (uncertain.columns) r << (region.contiguous ? 1.0 : 0.0);
    return r.values();
  };
  auto summary = [regions]() -> std::string {
    if (regions->broken == 0) return {};
    return "fctable: belt: " + std::to_string(regions->broken.load()) + " of " +
           std::to_string(regions->all.load()) +
           " regions are not contiguous (contiguous = false): a count between their n_low and "
           "n_high is not accepted";
  };
  std::vector<column> columns = {{"mu", column_kind::input}};
  add_uncertainty_columns(columns, uncertain);
  columns.push_back({"n_low", column_kind::count});
  columns.push_back({"n_high", column_kind::count});
  columns.push_back({"probability", column_kind::result});
  if (uncertain.columns) columns.push_back({"contiguous", column_kind::flag});
  return std::make_unique<list_job>(std::move(columns), mu.size() * uncertain.size(), row, summary);
}

// Rows run over b, then cl, then the uncertainties.
std::unique_ptr<table_job> make_sensitivity_job(const table_settings& settings) {
  const value_list& b = settings.b;
  const value_list& cl = settings.cl;
  const uncertainty_settings& uncertain = settings.uncertain;
  const fclimits::options how = settings.how;
  auto row = [&b, &cl, &uncertain, how](std::uint64_t i) -> row_values {
    const std::uint64_t per_cl = uncertain.size();
    const std::uint64_t per_b = cl.size() * per_cl;
    const double b_i = b[i / per_b];
    const double cl_i = cl[i % per_b / per_cl];
    const fclimits::uncertainties u = uncertain.at(i % per_cl);
    row_builder r;
    r << b_i << cl_i;
    add_uncertainty_values(r, u, uncertain);
    r << fclimits::sensitivity(b_i, cl_i, u, how);
    return r.values();
  };
  std::vector<column> columns = {{"b", column_kind::input}, {"cl", column_kind::input}};
  add_uncertainty_columns(columns, uncertain);
  columns.push_back({"sensitivity", column_kind::result});
  return std::make_unique<list_job>(std::move(columns), b.size() * cl.size() * uncertain.size(),
                                    row);
}

// Rows run over x, then sigma, then cl; in the paper layout (one sigma)
// block by block, as for limits.
std::unique_ptr<table_job> make_gaussian_job(const table_settings& settings) {
  const value_list& x = settings.x;
  const value_list& sigma = settings.sigma;
  const value_list& cl = settings.cl;
  std::optional<paper_blocks> paper;
  if (settings.layout == table_layout::paper) paper = blocks_of(settings);
  auto row = [&x, &sigma, &cl, paper](std::uint64_t job_row) -> row_values {
    const std::uint64_t i = paper ? paper->list_index(job_row) : job_row;
    const std::uint64_t per_x = sigma.size() * cl.size();
    const double x_i = x[i / per_x];
    const double sigma_i = sigma[i % per_x / cl.size()];
    const double cl_i = cl[i % cl.size()];
    const fclimits::interval limits = fclimits::gaussian_limits(x_i, sigma_i, cl_i);
    row_builder r;
    r << x_i << sigma_i << cl_i << limits.lower << limits.upper;
    return r.values();
  };
  std::vector<column> columns = {{"x", column_kind::input},
                                 {"sigma", column_kind::input},
                                 {"cl", column_kind::input},
                                 {"lower", column_kind::result},
                                 {"upper", column_kind::result}};
  return std::make_unique<list_job>(std::move(columns), x.size() * sigma.size() * cl.size(), row);
}

// Rows run over mu, then sigma, then cl.
std::unique_ptr<table_job> make_gaussian_belt_job(const table_settings& settings) {
  const value_list& mu = settings.mu;
  const value_list& sigma = settings.sigma;
  const value_list& cl = settings.cl;
  auto row = [&mu, &sigma, &cl](std::uint64_t i) -> row_values {
    const std::uint64_t per_mu = sigma.size() * cl.size();
    const double mu_i = mu[i / per_mu];
    const double sigma_i = sigma[i % per_mu / cl.size()];
    const double cl_i = cl[i % cl.size()];
    const fclimits::gaussian_band band = fclimits::gaussian_acceptance(mu_i, sigma_i, cl_i);
    row_builder r;
    r << mu_i << sigma_i << cl_i << band.x_low << band.x_high;
    return r.values();
  };
  std::vector<column> columns = {{"mu", column_kind::input},
                                 {"sigma", column_kind::input},
                                 {"cl", column_kind::input},
                                 {"x_low", column_kind::result},
                                 {"x_high", column_kind::result}};
  return std::make_unique<list_job>(std::move(columns), mu.size() * sigma.size() * cl.size(), row);
}

}  // namespace fctable
