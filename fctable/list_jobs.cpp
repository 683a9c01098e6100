// The commands whose rows are the combinations of their lists: limits,
// belt and sensitivity. Each row is one library call.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "fclimits/fclimits.h"
#include "fctable/paper_blocks.h"
#include "fctable/table_job.h"

namespace fctable {
namespace {

class list_job final : public table_job {
 public:
  using row_function = std::function<row_values(std::uint64_t)>;

  list_job(std::vector<column> columns, std::uint64_t size, row_function row)
      : columns_(std::move(columns)), size_(size), row_(std::move(row)) {}

  std::vector<column> columns() const override { return columns_; }

  std::uint64_t size() const override { return size_; }

  void run(std::uint64_t first, std::uint64_t count, unsigned threads, row_sink& sink) override {
    compute_in_order(
        count, threads, [&](std::size_t i) { return row_(first + i); }, sink);
  }

 private:
  std::vector<column> columns_;
  std::uint64_t size_;
  row_function row_;
};

std::int32_t as_count(double n) { return static_cast<std::int32_t>(n); }

}  // namespace

// Rows run over n, then b, then cl; in the paper layout (one level) block
// by block, so that the stream takes each table row from consecutive rows.
std::unique_ptr<table_job> make_limits_job(const table_settings& settings) {
  const value_list& n = settings.n;
  const value_list& b = settings.b;
  const value_list& cl = settings.cl;
  const fclimits::options how = settings.how;
  std::optional<paper_blocks> paper;
  if (settings.layout == table_layout::paper) paper = blocks_of(settings);
  auto row = [&n, &b, &cl, how, paper](std::uint64_t job_row) -> row_values {
    const std::uint64_t i = paper ? paper->list_index(job_row) : job_row;
    const std::uint64_t per_n = b.size() * cl.size();
    const double n_i = n[i / per_n];
    const double b_i = b[i % per_n / cl.size()];
    const double cl_i = cl[i % cl.size()];
    const fclimits::interval limits = fclimits::limits(as_count(n_i), b_i, cl_i, how);
    return {n_i, b_i, cl_i, limits.lower, limits.upper};
  };
  return std::make_unique<list_job>(std::vector<column>{{"n", column_kind::count},
                                                        {"b", column_kind::input},
                                                        {"cl", column_kind::input},
                                                        {"lower", column_kind::result},
                                                        {"upper", column_kind::result}},
                                    n.size() * b.size() * cl.size(), row);
}

std::unique_ptr<table_job> make_belt_job(const table_settings& settings) {
  const value_list& mu = settings.mu;
  const double b = settings.b[0];
  const double cl = settings.cl[0];
  auto row = [&mu, b, cl](std::uint64_t i) -> row_values {
    const double mu_i = mu[i];
    const fclimits::acceptance region = fclimits::acceptance_region(mu_i, b, cl);
    return {mu_i, static_cast<double>(region.n_low), static_cast<double>(region.n_high),
            region.probability};
  };
  return std::make_unique<list_job>(std::vector<column>{{"mu", column_kind::input},
                                                        {"n_low", column_kind::count},
                                                        {"n_high", column_kind::count},
                                                        {"probability", column_kind::result}},
                                    mu.size(), row);
}

std::unique_ptr<table_job> make_sensitivity_job(const table_settings& settings) {
  const value_list& b = settings.b;
  const value_list& cl = settings.cl;
  const fclimits::options how = settings.how;
  auto row = [&b, &cl, how](std::uint64_t i) -> row_values {
    const double b_i = b[i / cl.size()];
    const double cl_i = cl[i % cl.size()];
    return {b_i, cl_i, fclimits::sensitivity(b_i, cl_i, how)};
  };
  return std::make_unique<list_job>(std::vector<column>{{"b", column_kind::input},
                                                        {"cl", column_kind::input},
                                                        {"sensitivity", column_kind::result}},
                                    b.size() * cl.size(), row);
}

}  // namespace fctable
