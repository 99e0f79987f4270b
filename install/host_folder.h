#pragma once

#include <windows.h>

// The host development system's installation folder, found through the command that the
// registry holds for opening files with its program.
namespace install {

// Size of the buffers the registry value is read into (in characters) and converted into
// (in bytes of the ANSI code page); a value that takes this size less one or more there,
// terminator included, gives no folder.
constexpr int value_buffer_size = 10000;

struct RegistryLocation {
    HKEY root;
    const char* subkey;
};

// The one place the command is read from, chosen by the platform's version value (bit 31
// clear: the NT family; set: Windows 9x). There is no fallback from one location to the other.
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

// How a UTF-16 text converts to an ANSI code page.
enum class AnsiText {
    exact,     // the same characters, and back again to the same text
    inexact,   // some character has no byte of its own there
    too_long,  // the text does not fit
};

// Converts `text` to `code_page` at `destination` (`size` bytes with the terminator, at most
// value_buffer_size). No character becomes a look-alike (a fullwidth "\" or a "ł" is not
// turned into "\" or "l"): with inexact, each one the code page cannot hold is "?", a text
// to show and never a path to use. With too_long, the empty text.
AnsiText convert_to_ansi(const wchar_t* text, unsigned code_page, char* destination, int size);

// The host folder built at the write position as command_folder does, or the empty text
// when the registry holds no usable command. The command is read as UTF-16 and taken only
// when the ANSI code page holds it exactly; otherwise the result is the empty text too, and
// `unusable`, when given, receives as a string variable the folder as that code page shows
// it (see convert_to_ansi), or stays as it is when no folder shows.
char* find_host_folder(char** unusable = nullptr);

}  // namespace install
