#include "bench/driver/write_floor.h"

#include <windows.h>

#include "bench/driver/process.h"

namespace bench {

double time_byte_writes(const std::string& folder) {
    const std::string path = folder + "byte-writes.tmp";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    const char byte = 'x';
    bool written = true;
    const double start = now_ms();
    for (int i = 0; i < english_payload_bytes && written; ++i) {
        DWORD count = 0;
        written = WriteFile(file, &byte, 1, &count, nullptr) && count == 1;
    }
    const double elapsed = now_ms() - start;
    CloseHandle(file);
    DeleteFileA(path.c_str());
    return written ? elapsed : -1;
}

}  // namespace bench
