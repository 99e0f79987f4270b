#include "tests/support/child_process.h"

#include <windows.h>

namespace test_support {

void* start_child(const std::string& command_line) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = command_line;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

bool wait_child(void* process, unsigned timeout_ms, unsigned* exit_code) {
    const bool finished = WaitForSingleObject(process, timeout_ms) == WAIT_OBJECT_0;
    if (!finished) TerminateProcess(process, 99);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    *exit_code = code;
    CloseHandle(process);
    return finished;
}

ChildResult run_child(const std::string& command_line, unsigned timeout_ms) {
    ChildResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return result;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info{};
    std::string line = command_line;
    result.started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    CloseHandle(write_end);
    if (!result.started) {
        CloseHandle(read_end);
        return result;
    }
    CloseHandle(info.hThread);

    // Drain the output while waiting, so that a child that hangs is still ended at the deadline.
    const DWORD deadline = GetTickCount() + timeout_ms;
    for (;;) {
        const bool ended = WaitForSingleObject(info.hProcess, 20) == WAIT_OBJECT_0;
        DWORD waiting = 0;
        char chunk[4096];
        while (PeekNamedPipe(read_end, nullptr, 0, nullptr, &waiting, nullptr) && waiting) {
            DWORD got = 0;
            if (!ReadFile(read_end, chunk, sizeof chunk, &got, nullptr) || !got) break;
            result.output.append(chunk, got);
        }
        if (ended || static_cast<int>(GetTickCount() - deadline) >= 0) break;
    }
    CloseHandle(read_end);
    result.finished = wait_child(info.hProcess, 0, &result.exit_code);
    return result;
}

}  // namespace test_support
