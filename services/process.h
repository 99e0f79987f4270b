#pragma once

#include <windows.h>

// What the program knows of its own process: its module and the folder it was started from.
namespace services {

constexpr int installer_folder_size = 500;

// Keeps the module handle and works out the installer folder: the folder of the
// program's own file with its trailing backslash, or the empty text when the program
// path cannot be read whole.
void record_process(HINSTANCE module);

HINSTANCE module_handle();
const char* installer_folder();

// Makes the installer folder the current directory, so that relative paths resolve
// against it (nothing happens when it is empty).
void enter_installer_folder();

// Cuts `path` in place directly after its last backslash; without one it becomes empty.
void keep_folder(char* path);

}  // namespace services
