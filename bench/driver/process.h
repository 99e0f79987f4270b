#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Starting and watching the installer's process.
namespace bench {

struct Child {
    HANDLE process = nullptr;
    DWORD id = 0;
};

// Starts `command_line`; `variable` ("NAME=value", or null) is set in its environment on
// top of ours.
bool start_program(const std::string& command_line, const char* variable, Child* child);

// True once the process has ended.
bool has_ended(const Child& child);

// Ends a process that is still running (after a failed run) and closes its handle.
void release_child(Child* child);

// The largest working set the process has had so far, in bytes; 0 when the platform cannot
// tell (for example once the process has ended).
std::size_t peak_working_set(HANDLE process);

// A steady clock in milliseconds.
double now_ms();

}  // namespace bench
