#pragma once

namespace services {

// Exit code of a program that could not go on (memory exhausted, string work buffer full).
constexpr unsigned exit_code_fatal = 2;

// The one way out when the program cannot keep its own memory promises: a bilingual
// message box with no owner, then the end of the process with exit_code_fatal.
// Nothing is cleaned up first; the platform reclaims the process's resources.
[[noreturn]] void fatal_error(const char* text);

}  // namespace services
