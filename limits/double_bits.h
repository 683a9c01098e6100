#pragma once

#include <cstdint>
#include <cstring>
#include <version>
#ifdef __cpp_lib_bit_cast
#include <bit>
#endif

namespace limits {

// The bits of a double and back, unchanged. std::bit_cast where the
// standard library has it; Emscripten's libc++ 14 has not, and there the
// bytes are copied, which gives the same bits.
// For doubles x >= 0 the order of their bits is the order of the values.
inline std::uint64_t bits_of(double x) {
#ifdef __cpp_lib_bit_cast
  return std::bit_cast<std::uint64_t>(x);
#else
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
#endif
}

inline double double_of(std::uint64_t bits) {
#ifdef __cpp_lib_bit_cast
  return std::bit_cast<double>(bits);
#else
  double x = 0.0;
  std::memcpy(&x, &bits, sizeof x);
  return x;
#endif
}

}  // namespace limits
