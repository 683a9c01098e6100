#pragma once

#include <cstdint>
#include <string>

namespace fctable {

// The shortest text that reads back as the same double ("0.1", "2.4345703125",
// "1e-07"), appended to out.
void append_shortest(std::string& out, double value);

// The value rounded to `decimals` decimals ("2.43"), from its exact binary
// value, appended to out.
void append_fixed(std::string& out, double value, int decimals);

void append_whole(std::string& out, std::int64_t value);

std::string shortest_text(double value);

}  // namespace fctable
