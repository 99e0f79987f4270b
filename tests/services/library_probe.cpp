// Loads the library named by its second argument as its first says, and prints the path
// it was loaded from (nothing when the load failed):
//   bare        by name, with the process's library search as it is
//   restricted  by name, after restrict_library_search
//   system      load_system_library
//   full_path   load_from_system_folder
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "services/system_library.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const char* mode = argv[1];
    const char* name = argv[2];
    HMODULE library = nullptr;
    if (!std::strcmp(mode, "bare")) library = LoadLibraryA(name);
    if (!std::strcmp(mode, "restricted")) {
        services::restrict_library_search();
        library = LoadLibraryA(name);
    }
    if (!std::strcmp(mode, "system")) library = services::load_system_library(name);
    if (!std::strcmp(mode, "full_path")) library = services::load_from_system_folder(name);
    char path[MAX_PATH] = {};
    if (library) GetModuleFileNameA(library, path, MAX_PATH);
    std::fputs(path, stdout);
    return 0;
}
