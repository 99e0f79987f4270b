#pragma once

#include <cstddef>
#include <string>

#include "bench/driver/installers.h"

// One measured run of an installer.
namespace bench {

struct Figures {
    double start_idle_ms = 0;  // process creation to the main window shown and idle
    double install_ms = 0;     // install command to the completion message shown
    double total_ms = 0;       // silent runs: process creation to its end
    std::size_t peak_working_set = 0;
    unsigned long process_id = 0;
};

struct RunOptions {
    const char* variable = nullptr;  // set in the installer's environment, or null
    unsigned timeout_ms = 120000;    // for each wait
};

// Drives a full English installation through the windows. Returns the empty text, or why
// the run could not be measured.
std::string drive_run(const Installer& installer,
                      const std::string& program,
                      const RunOptions& options,
                      Figures* figures);

// Starts a program with one window (the floor), waits until it is shown and idle, and
// closes it: the start and the peak working set of a window program that does nothing.
std::string idle_run(const Installer& installer,
                     const std::string& program,
                     const RunOptions& options,
                     Figures* figures);

// Runs an NSIS installer in its silent mode ("/S") to its end.
std::string silent_run(const std::string& program, const RunOptions& options, Figures* figures);

}  // namespace bench
