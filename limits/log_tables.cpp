#include "limits/log_tables.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace limits {
namespace {

struct log_tables {
  std::array<double, log_table_size> log_n;
  std::array<double, log_table_size> log_factorial_n;
  std::array<double, log_table_size> reciprocal_n;

  log_tables() {
    log_n[0] = -std::numeric_limits<double>::infinity();
    log_factorial_n[0] = 0.0;
    reciprocal_n[0] = 0.0;
    // 64 significant bits accumulate the sum: over 16384 terms its error
    // stays far below one unit in the last place of a double.
    long double sum = 0.0L;
    for (std::size_t n = 1; n < log_n.size(); ++n) {
      log_n[n] = std::log(static_cast<double>(n));
      sum += std::log(static_cast<long double>(n));
      log_factorial_n[n] = static_cast<double>(sum);
      reciprocal_n[n] = 1.0 / static_cast<double>(n);
    }
  }
};

const log_tables& tables() {
  static const log_tables made;  // initialised once, whichever thread comes first
  return made;
}

}  // namespace

const double* log_counts() { return tables().log_n.data(); }

const double* log_factorials() { return tables().log_factorial_n.data(); }

const double* reciprocals() { return tables().reciprocal_n.data(); }

}  // namespace limits
