#include "bench/driver/files.h"

#include <windows.h>

namespace bench {
namespace {

struct ScopedHandle {
    HANDLE handle;
    ~ScopedHandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

struct ScopedFind {
    HANDLE handle;
    ~ScopedFind() {
        if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
    }
};

}  // namespace

bool read_file(const std::string& path, std::string* bytes) {
    ScopedHandle file{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(file.handle, nullptr);
    if (size == INVALID_FILE_SIZE) return false;
    bytes->assign(size, '\0');
    DWORD read = 0;
    return size == 0 || (ReadFile(file.handle, bytes->data(), size, &read, nullptr) && read == size);
}

bool write_read_only(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    {
        ScopedHandle file{CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
        if (file.handle == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(bytes.size());
        if (!WriteFile(file.handle, bytes.data(), size, &written, nullptr) || written != size) return false;
    }
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

bool make_folder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void remove_tree(const std::string& path) {
    WIN32_FIND_DATAA found;
    ScopedFind find{FindFirstFileA((path + "*").c_str(), &found)};
    if (find.handle != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string inner = path + name;
            SetFileAttributesA(inner.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(inner + "\\");
            else
                DeleteFileA(inner.c_str());
        } while (FindNextFileA(find.handle, &found));
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace bench
