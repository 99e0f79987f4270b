#pragma once

// The exit codes of the installer, all in one place.
namespace services {

// Every file installed, or the user quit without installing.
constexpr unsigned exit_code_normal = 0;
// Something was not installed: no usable host folder, or a file that could not be written.
constexpr unsigned exit_code_incomplete = 1;
// The program could not keep its own memory promises (memory exhausted, work buffer full).
constexpr unsigned exit_code_fatal = 2;

}  // namespace services
