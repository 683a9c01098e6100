#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <string_view>

#include "app/dialogue.h"
#include "console/console_unit.h"
#include "console/error_stop.h"
#include "console/floating_point_traps.h"
#include "console/number_input.h"
#include "limits/checked_math.h"

namespace {

void stop_on_function_error(std::string_view function, limits::math_error error) {
  console::function_error_stop(function, static_cast<std::uint16_t>(error),
                               limits::math_error_word(error));
}

}  // namespace

int main() {
  console::enable_floating_point_traps();
  limits::set_math_error_handler(stop_on_function_error);
  // A reader that has gone away ends the program, as it ends any filter,
  // even where the parent left the signal ignored.
  std::signal(SIGPIPE, SIG_DFL);
  console::open_console(::isatty(STDIN_FILENO) == 1, ::isatty(STDOUT_FILENO) == 1);
  console::open_console_input(console::reads_whole_lines(STDIN_FILENO));
  app::run_dialogue();
}
