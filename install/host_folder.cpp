#include "install/host_folder.h"

#include <cstring>

#include "services/strings.h"

namespace install {
namespace {

bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// Length of an unquoted program path through the first ".exe" that ends a word, or -1
// when there is none.
int exe_path_length(const char* command) {
    for (int at = 0; command[at]; ++at) {
        if (command[at] != '.' || lower(command[at + 1]) != 'e' || lower(command[at + 2]) != 'x' ||
            lower(command[at + 3]) != 'e')
            continue;
        const char after = command[at + 4];
        if (after == 0 || is_blank(after) || after == '"') return at + 4;
    }
    return -1;
}

bool has_extension(const char* path, int length) {
    for (int at = length - 1; at >= 0 && path[at] != '\\' && path[at] != ':'; --at)
        if (path[at] == '.') return true;
    return false;
}

// Length of the program path of an unquoted command without ".exe", found as the platform
// finds the program it starts: the beginnings that end at a blank, then the whole text,
// shortest first, with ".exe" added to a last name without extension; the first that
// names a file wins. -1 when none does.
int resolved_path_length(const char* command, FileQuery names_file) {
    char candidate[MAX_PATH];
    for (int length = 1; command[length - 1]; ++length) {
        const char after = command[length];
        if (is_blank(command[length - 1]) || (after != 0 && !is_blank(after))) continue;
        // Longer beginnings cannot name a file either: the platform's paths stop at MAX_PATH.
        if (length + 4 >= MAX_PATH) return -1;
        std::memcpy(candidate, command, length);
        candidate[length] = 0;
        if (!has_extension(candidate, length)) std::memcpy(candidate + length, ".exe", 5);
        if (names_file(candidate)) return length;
    }
    return -1;
}

// True for a folder that starts with a server and a share ("\\server\share\").
bool is_unc_folder(const char* folder) {
    if (folder[0] != '\\' || folder[1] != '\\') return false;
    const char* at = folder + 2;
    // Server and share: each one non-empty name closed by a backslash.
    for (int part = 0; part < 2; ++part) {
        const char* name = at;
        while (*at && *at != '\\')
            ++at;
        if (at == name || *at != '\\') return false;
        ++at;
    }
    return true;
}

// A folder the installer may write under: absolute, and closed by its backslash (a
// quote inside an unquoted path cuts the folder short of it).
bool is_absolute_folder(const char* folder) {
    const int length = services::string_length(folder);
    if (length == 0 || folder[length - 1] != '\\') return false;
    if (is_letter(folder[0]) && folder[1] == ':' && folder[2] == '\\') return true;
    return is_unc_folder(folder);
}

// Gives the empty text at `destination`.
char* no_folder(char* destination) {
    return services::mid_string(nullptr, 1, 0, destination);
}

// Reads the command from the registry into `value` (value_buffer_size bytes), expanded
// when it is an expandable string. False when there is no usable string value.
bool read_command(char* value) {
    const RegistryLocation location = host_command_location(GetVersion());
    HKEY key;
    // Read access only: a user without write rights to the key must still find the host.
    if (RegOpenKeyExA(location.root, location.subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = REG_NONE;
    DWORD size = value_buffer_size - 1;
    const LONG status = RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    // A value that fills the offered bytes may have lost its end; the registry does not
    // promise a terminator either.
    if (size >= static_cast<DWORD>(value_buffer_size - 1)) return false;
    value[size] = 0;
    if (type == REG_SZ) return true;
    char expanded[value_buffer_size];
    const DWORD needed = ExpandEnvironmentStringsA(value, expanded, value_buffer_size - 1);
    if (needed == 0 || needed > static_cast<DWORD>(value_buffer_size - 1)) return false;
    std::memcpy(value, expanded, needed);
    return true;
}

}  // namespace

RegistryLocation host_command_location(DWORD version) {
    if (version & 0x00FF0000) return {HKEY_CLASSES_ROOT, "Applications\\PureBasic.exe\\shell\\open\\command"};
    return {HKEY_LOCAL_MACHINE, "Software\\Classes\\PureBasic.exe\\shell\\open\\command"};
}

bool is_existing_file(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

char* command_folder(const char* command, char* destination, FileQuery names_file) {
    if (!command) return no_folder(destination);
    while (is_blank(*command))
        ++command;
    int start = 1;
    int length;
    if (*command == '"') {
        // Up to the closing quote, or to the end when it is missing.
        start = 2;
        length = 0;
        while (command[start - 1 + length] && command[start - 1 + length] != '"')
            ++length;
    } else {
        length = exe_path_length(command);
        if (length < 0) length = resolved_path_length(command, names_file);
        if (length < 0) return no_folder(destination);
    }
    // The program path first, then its folder in place (path_part copies toward the start).
    services::mid_string(command, start, length, destination);
    services::skip_terminator();
    services::path_part(destination, destination);
    if (!is_absolute_folder(destination)) return no_folder(destination);
    return destination;
}

char* find_host_folder() {
    char* destination = services::write_position();
    char value[value_buffer_size];
    if (!read_command(value)) return no_folder(destination);
    return command_folder(value, destination, is_existing_file);
}

}  // namespace install
