#pragma once

#include <string>

namespace test_support {

struct ChildResult {
    bool started = false;
    bool finished = false;  // false: still running at the deadline, then killed
    unsigned exit_code = 0;
    std::string output;  // what the child wrote to its standard output
};

// Starts `command_line` (program path first), collects its standard output, and waits
// up to `timeout_ms` for it to end.
ChildResult run_child(const std::string& command_line, unsigned timeout_ms = 60000);

// Starts `command_line` without waiting; returns the process handle (0 on failure).
void* start_child(const std::string& command_line);

// Waits for a child from start_child and closes its handle; false when it was still
// running at the deadline (it is then killed).
bool wait_child(void* process, unsigned timeout_ms, unsigned* exit_code);

}  // namespace test_support
