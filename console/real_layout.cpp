#include "console/real_layout.h"

namespace console {

// Placeholder until the exact digit conversion lands.
real_text layout_real(double) {
  real_text text;
  text.chars[0] = '?';
  text.length = 1;
  return text;
}

}  // namespace console
