#pragma once

namespace app {

// The installer's main program: runs once after start-up and never returns.
[[noreturn]] void run_main_program();

}  // namespace app
