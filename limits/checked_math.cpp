#include "limits/checked_math.h"

namespace limits {
namespace {

math_error_handler installed_handler = nullptr;

}  // namespace

void set_math_error_handler(math_error_handler handler) { installed_handler = handler; }

void report_math_error(std::string_view function, math_error error) {
  if (installed_handler != nullptr) installed_handler(function, error);
}

}  // namespace limits
