#pragma once

namespace app {

// The main dialogue: fills the factorial table, prints the banner, then
// prompts for Nm and b, prints their six limits, and prompts again, for ever.
// It ends only through the error stop (end of input, unreadable or negative
// input, a floating-point trap) or an interrupt.
[[noreturn]] void run_dialogue();

}  // namespace app
