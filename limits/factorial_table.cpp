#include "limits/factorial_table.h"

namespace limits {

constinit factorial_array factorial_table = stepwise_factorials();

void fill_factorial_table() {
  factorial_table[0] = 1.0;
  for (std::size_t i = 1; i < factorial_table.size(); ++i) {
    factorial_table[i] = factorial_table[i - 1] * static_cast<double>(i);
  }
}

}  // namespace limits
