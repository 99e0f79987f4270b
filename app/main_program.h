#pragma once

namespace app {

// The installer's main program: builds the separator line and the windows, runs the
// event loop, and ends the process through close_installer. Never returns.
[[noreturn]] void run_main_program();

}  // namespace app
