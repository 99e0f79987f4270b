#pragma once

#include "services/exit_codes.h"

namespace services {

// The one way out when the program cannot keep its own memory promises: a bilingual
// message box with no owner, then the end of the process with exit_code_fatal.
// Nothing is cleaned up first; the platform reclaims the process's resources.
[[noreturn]] void fatal_error(const char* text);

}  // namespace services
