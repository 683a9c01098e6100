#include "console/floating_point_traps.h"

#include <signal.h>

#include <cfenv>
#include <cstdint>
#include <string_view>

#include "console/error_stop.h"

namespace console {
namespace {

struct trap_report {
  std::uint16_t number;
  std::string_view message;
};

trap_report report_for(int code) {
  switch (code) {
    case FPE_FLTDIV:
    case FPE_INTDIV:
      return {6103, "floating-point error: divide by zero"};
    case FPE_FLTOVF:
    case FPE_INTOVF:
      return {6104, "floating-point error: overflow"};
    default:
      return {6101, "floating-point error: invalid"};
  }
}

// Async-signal-safe: the report is assembled on the stack and written with
// write(2), and the program ends with _exit(2).
void on_floating_point_trap(int, siginfo_t* info, void*) {
  const trap_report report = report_for(info != nullptr ? info->si_code : 0);
  math_error_stop(report.number, report.message);
}

}  // namespace

void enable_floating_point_traps() {
  struct sigaction action {};

  action.sa_sigaction = on_floating_point_trap;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
}

}  // namespace console
