#include <unistd.h>

#include "app/dialogue.h"
#include "console/console_unit.h"

int main() {
  console::open_console(::isatty(STDIN_FILENO) == 1, ::isatty(STDOUT_FILENO) == 1);
  app::run_dialogue();
}
