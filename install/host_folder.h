#pragma once

#include <windows.h>

// The host development system's installation folder, found through the command that the
// registry holds for opening files with its program.
namespace install {

// Size of the buffer the registry value is read into; a value of this size less one or
// more gives no folder.
constexpr int value_buffer_size = 10000;

struct RegistryLocation {
    HKEY root;
    const char* subkey;
};

// The one place the command is read from, chosen by the platform's version value (bits
// 16 to 23 set: the NT family). There is no fallback from one location to the other.
RegistryLocation host_command_location(DWORD version);

// Whether `path` names an existing file; a folder does not count.
using FileQuery = bool (*)(const char* path);

// The file system's answer, the one find_host_folder asks.
bool is_existing_file(const char* path);

// Builds at `destination` (normally the write position) the folder of the program that
// `command` starts, with its trailing backslash, and leaves the write position on the
// result's terminator. The program path is the quoted text up to the closing quote, or,
// unquoted, the text up to ".exe" followed by a blank, a quote or the end (any letter
// case). Without such ".exe" it is read as the platform reads it when it starts the
// command: the beginnings of the text that end at a blank, then the whole text, shortest
// first, each with ".exe" added when its last name has no extension; the first that
// `names_file` finds is the program path, and when none is found the result is the empty
// text. A folder that is not absolute (drive letter, colon and backslash, or
// \\server\share\) gives the empty text.
char* command_folder(const char* command, char* destination, FileQuery names_file);

// The host folder built at the write position as command_folder does, or the empty text
// when the registry holds no usable command.
char* find_host_folder();

}  // namespace install
