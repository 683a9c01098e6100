#include "limits/checked_math.h"

namespace limits {
namespace {

thread_local math_error_handler installed_handler = nullptr;

}  // namespace

math_error_handler set_math_error_handler(math_error_handler handler) {
  const math_error_handler previous = installed_handler;
  installed_handler = handler;
  return previous;
}

void report_math_error(std::string_view function, math_error error) {
  if (installed_handler != nullptr) installed_handler(function, error);
}

}  // namespace limits
