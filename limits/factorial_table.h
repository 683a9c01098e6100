#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace limits {

// Largest n whose factorial is below the largest double (171! is not).
constexpr std::int32_t largest_tabled_factorial = 170;

using factorial_array = std::array<double, largest_tabled_factorial + 1>;

// 0! to 170!, each entry the previous one times its index, rounded to double
// at every step: exact up to 22!, within a few units in the last place above.
constexpr factorial_array stepwise_factorials() {
  factorial_array table{};
  table[0] = 1.0;
  for (std::size_t i = 1; i < table.size(); ++i) table[i] = table[i - 1] * static_cast<double>(i);
  return table;
}

// The table, filled when the program is compiled (constant evaluation rounds
// each product to double as the processor does, to nearest), so it is ready
// before any thread reads it and nothing fills it at start-up.
inline constexpr factorial_array factorial_table = stepwise_factorials();

}  // namespace limits
