#include "install/host_folder.h"

#include <cstring>
#include <cwchar>

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

bool no_file(const char*) {
    return false;
}

// The longest value taken, in bytes of the ANSI code page with the terminator: one byte
// less than offered, since a value that fills the offer may have lost its end.
constexpr int longest_value = value_buffer_size - 2;

// The texts of the registry value, each many pages long: outside the stack, whose frames
// stay under a page (the program does not probe its stack; see CMakeLists.txt). The program
// has one thread, and nothing here calls itself.
struct ValueTexts {
    wchar_t command[value_buffer_size];
    wchar_t expanded[value_buffer_size];
    wchar_t back[value_buffer_size];
    char value[value_buffer_size];
};
ValueTexts g_texts;

// Reads the command from the registry into `value` (value_buffer_size characters),
// expanded when it is an expandable string. False when there is no usable string value.
// The wide-character call gives the characters as stored: the ANSI one would hand a
// name through the code page's best-fit table, as look-alikes.
bool read_command(wchar_t* value) {
    const RegistryLocation location = host_command_location(GetVersion());
    HKEY key;
    // Read access only: a user without write rights to the key must still find the host.
    if (RegOpenKeyExA(location.root, location.subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = REG_NONE;
    // Each character takes one byte at least in the code page: the offer keeps its bound.
    constexpr DWORD offered = (longest_value + 1) * sizeof(wchar_t);
    DWORD size = offered;
    const LONG status = RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    // A value that fills the offered bytes may have lost its end; the registry does not
    // promise a terminator either.
    if (size >= offered) return false;
    value[size / sizeof(wchar_t)] = 0;
    if (type == REG_SZ) return true;
    wchar_t* expanded = g_texts.expanded;
    const DWORD needed = ExpandEnvironmentStringsW(value, expanded, longest_value + 1);
    if (needed == 0 || needed > static_cast<DWORD>(longest_value + 1)) return false;
    std::memcpy(value, expanded, needed * sizeof(wchar_t));
    return true;
}

}  // namespace

RegistryLocation host_command_location(DWORD version) {
    // Bit 31 clear: the NT family. The high word holds NT's build number, whose low byte is
    // zero for some builds (10240 is 0x2800).
    if (!(version & 0x80000000)) return {HKEY_CLASSES_ROOT, "Applications\\PureBasic.exe\\shell\\open\\command"};
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

AnsiText convert_to_ansi(const wchar_t* text, unsigned code_page, char* destination, int size) {
    // UTF-8 holds every character and takes neither the flag nor the default character; the
    // way back tells a broken surrogate there.
    const bool utf8 = code_page == CP_UTF8;
    BOOL used_default = FALSE;
    const int length = WideCharToMultiByte(code_page, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text, -1, destination, size,
                                           utf8 ? nullptr : "?", utf8 ? nullptr : &used_default);
    if (length == 0) {
        const bool too_long = GetLastError() == ERROR_INSUFFICIENT_BUFFER;
        if (size > 0) destination[0] = 0;
        return too_long ? AnsiText::too_long : AnsiText::inexact;
    }
    if (used_default) return AnsiText::inexact;
    // The bytes may still stand for other characters than the text's (a best-fit table that
    // the flag does not reach): they must read back as the same text.
    wchar_t* back = g_texts.back;
    const int back_length =
        MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, destination, length, back, value_buffer_size);
    if (back_length == 0 || std::wcscmp(back, text) != 0) return AnsiText::inexact;
    return AnsiText::exact;
}

char* find_host_folder(char** unusable) {
    char* destination = services::write_position();
    wchar_t* command = g_texts.command;
    if (!read_command(command)) return no_folder(destination);
    char* value = g_texts.value;
    const AnsiText text = convert_to_ansi(command, GetACP(), value, longest_value);
    if (text == AnsiText::exact) return command_folder(value, destination, is_existing_file);
    if (text == AnsiText::too_long || !unusable) return no_folder(destination);
    // Only to name the folder: no file is looked for under a shown name.
    if (services::string_length(command_folder(value, destination, no_file)) > 0)
        services::assign_string(unusable, destination);
    return no_folder(destination);
}

}  // namespace install
