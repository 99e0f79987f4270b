#pragma once

#include <windows.h>

namespace app {

// The start-up sequence: program state cleared, program heap, installer folder, the
// libraries in their order (windows, controls, images, files, fonts), work buffer.
void start_up(HINSTANCE module);

// The only way the process ends: every window closed (highest number first), the file
// service's end hook, the heap destroyed, then the exit with `exit_code`.
[[noreturn]] void end_program(unsigned exit_code);

}  // namespace app
