#include "bench/driver/process.h"

#include <psapi.h>

#include <cstring>
#include <vector>

namespace bench {
namespace {

// Our environment block with `variable` added, replacing a variable of the same name.
std::vector<char> environment_with(const char* variable) {
    const char* equals = std::strchr(variable, '=');
    const std::size_t name_length = equals ? equals - variable + 1 : std::strlen(variable);
    std::vector<char> block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; strings && *entry; entry += std::strlen(entry) + 1)
        if (_strnicmp(entry, variable, name_length) != 0)
            block.insert(block.end(), entry, entry + std::strlen(entry) + 1);
    if (strings) FreeEnvironmentStringsA(strings);
    block.insert(block.end(), variable, variable + std::strlen(variable) + 1);
    block.push_back('\0');
    return block;
}

}  // namespace

bool start_program(const std::string& command_line, const char* variable, Child* child) {
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    std::vector<char> environment;
    if (variable) environment = environment_with(variable);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, variable ? environment.data() : nullptr,
                        nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    child->process = started.hProcess;
    child->id = started.dwProcessId;
    return true;
}

bool has_ended(const Child& child) {
    return WaitForSingleObject(child.process, 0) == WAIT_OBJECT_0;
}

void release_child(Child* child) {
    if (!child->process) return;
    if (!has_ended(*child)) {
        TerminateProcess(child->process, 1);
        WaitForSingleObject(child->process, 10000);
    }
    CloseHandle(child->process);
    child->process = nullptr;
}

std::size_t peak_working_set(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

double now_ms() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace bench
