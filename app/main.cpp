#include <unistd.h>

#include <csignal>

#include "app/dialogue.h"
#include "console/console_unit.h"

int main() {
  // A reader that has gone away ends the program, as it ends any filter,
  // even where the parent left the signal ignored.
  std::signal(SIGPIPE, SIG_DFL);
  console::open_console(::isatty(STDIN_FILENO) == 1, ::isatty(STDOUT_FILENO) == 1);
  app::run_dialogue();
}
