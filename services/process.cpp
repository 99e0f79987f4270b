#include "services/process.h"

namespace services {
namespace {

HINSTANCE g_module;
char g_installer_folder[installer_folder_size];

}  // namespace

void keep_folder(char* path) {
    char* end = path;
    for (char* at = path; *at; ++at)
        if (*at == '\\') end = at + 1;
    *end = 0;
}

void record_process(HINSTANCE module) {
    g_module = module;
    const DWORD length = GetModuleFileNameA(module, g_installer_folder, installer_folder_size);
    // A path that filled the buffer was cut: its folder part would name another folder.
    if (length == 0 || length >= installer_folder_size) {
        g_installer_folder[0] = 0;
        return;
    }
    keep_folder(g_installer_folder);
}

HINSTANCE module_handle() {
    return g_module;
}

const char* installer_folder() {
    return g_installer_folder;
}

void enter_installer_folder() {
    if (g_installer_folder[0]) SetCurrentDirectoryA(g_installer_folder);
}

}  // namespace services
