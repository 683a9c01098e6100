#pragma once

#include <array>
#include <cstdint>

namespace limits {

// Largest n whose factorial is below the largest double (171! is not).
constexpr std::int32_t largest_tabled_factorial = 170;

// 0! to 170!, each entry the previous one times its index, rounded to double
// at every step: exact up to 22!, within a few units in the last place above.
// Written once by fill_factorial_table, read only afterwards.
extern std::array<double, largest_tabled_factorial + 1> factorial_table;

// Fills factorial_table. No I/O, no allocation; safe to call again.
void fill_factorial_table();

}  // namespace limits
