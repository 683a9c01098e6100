#pragma once

#include <cstdint>

namespace limits {

// Counts below this have their logarithms tabled for the fast decisions.
constexpr std::int32_t log_table_size = 1 << 14;

// Tables of log(n), log(n!) and 1/n for 0 <= n < log_table_size, each
// entry within one unit in the last place of the true value: log(n) is the
// library's (log(0) is -infinity, never to be read), log(n!) is summed in
// extended precision and rounded once, 1/n is correctly rounded (1/0 is
// never to be read). Made on first use, thread-safely; read only afterwards.
const double* log_counts();
const double* log_factorials();
const double* reciprocals();

}  // namespace limits
