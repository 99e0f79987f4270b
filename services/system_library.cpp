#include "services/system_library.h"

namespace services {
namespace {

using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryAProc = BOOL(WINAPI*)(LPCSTR);

}  // namespace

void restrict_library_search() {
    // Mapped into every process already: asking for its handle loads nothing.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto set_default_directories = library_procedure<SetDefaultDllDirectoriesProc>(kernel, "SetDefaultDllDirectories");
    if (set_default_directories && set_default_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // The empty text removes the current folder from the search order.
    auto set_dll_directory = library_procedure<SetDllDirectoryAProc>(kernel, "SetDllDirectoryA");
    if (set_dll_directory) set_dll_directory("");
}

HMODULE load_system_library(const char* name) {
    HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // A loader without the flag refuses it as an invalid parameter; any other failure
    // (a library the system does not have) stands.
    if (library || GetLastError() != ERROR_INVALID_PARAMETER) return library;
    return load_from_system_folder(name);
}

HMODULE load_from_system_folder(const char* name) {
    char path[MAX_PATH];
    const UINT folder = GetSystemDirectoryA(path, MAX_PATH);
    const int length = lstrlenA(name);
    // A cut path would name another file; the folder's length comes back larger than the
    // buffer when it does not fit.
    if (folder == 0 || folder >= MAX_PATH || folder + 1 + static_cast<UINT>(length) >= MAX_PATH) return nullptr;
    path[folder] = '\\';
    lstrcpyA(path + folder + 1, name);
    // The altered search order looks for the libraries it loads in its own folder instead
    // of the program's.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace services
