#include <cstddef>
#include <cstdint>
#include <cstring>

#include "console/real_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return 0;
  double value = 0.0;
  std::memcpy(&value, data, sizeof value);
  (void)console::layout_real(value);
  return 0;
}
