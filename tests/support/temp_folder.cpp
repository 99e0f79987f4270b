#include "tests/support/temp_folder.h"

#include <windows.h>

#include "tests/support/child_process.h"

namespace test_support {
namespace {

// Runs a host program through Wine's start program, which runs Unix programs. It does not
// wait for them, whatever /wait says: callers wait for the program's effect instead.
bool run_host(const std::string& arguments) {
    const auto result = run_child("start.exe /wait /unix " + arguments);
    return result.finished && result.exit_code == 0;
}

// Polls until `exists` is what `path` shows, for at most 30 s.
bool wait_for_path(const std::string& path, bool exists) {
    for (int waited = 0; waited < 30000; waited += 10) {
        if ((GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == exists) return true;
        Sleep(10);
    }
    return false;
}

// Listing and removing by the exact names: names that the ANSI calls would map to look-alike
// characters ("\\", "/", ".") could lead the removal out of the folder.
void remove_wide_tree(const std::wstring& path) {
    std::wstring folder = path;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = folder + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                RemoveDirectoryW(full.c_str()) || DeleteFileW(full.c_str());
                continue;
            }
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_wide_tree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned counter;
    for (;;) {
        char name[MAX_PATH];
        wsprintfA(name, "%sorvelle-test-%lu-%lu-%u\\", base, GetCurrentProcessId(), GetTickCount(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

TempFolder::~TempFolder() {
    remove_tree(path_);
}

bool write_file(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

namespace {

std::string read_whole(HANDLE file) {
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

}  // namespace

// Read while others may hold the file, even with delete access.
constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string read_file(const std::string& path) {
    return read_whole(CreateFileA(path.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING, 0, nullptr));
}

std::string read_file(const std::wstring& path) {
    return read_whole(CreateFileW(path.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool file_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void make_folder(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
}

void make_folder(const std::wstring& path) {
    CreateDirectoryW(path.c_str(), nullptr);
}

std::wstring wide(const std::string& text) {
    std::wstring result(text.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), static_cast<int>(result.size()));
    result.resize(length > 0 ? length - 1 : 0);
    return result;
}

bool set_read_only(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

void remove_tree(const std::string& path) {
    remove_wide_tree(wide(path));
}

std::string unix_path(const std::string& windows_path) {
    // Wine's kernel32 exports wine_get_unix_file_name; it is absent on Windows.
    using Convert = char* (*)(const wchar_t*);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto convert =
        reinterpret_cast<Convert>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (!convert) return {};
    wchar_t wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, wide, MAX_PATH)) return {};
    char* unix_name = convert(wide);
    if (!unix_name) return {};
    std::string result = unix_name;
    HeapFree(GetProcessHeap(), 0, unix_name);
    return result;
}

bool opens_as_link(const std::string& link) {
    HANDLE handle =
        CreateFileA(link.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information;
    const bool shown = GetFileInformationByHandle(handle, &information) &&
                       (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    CloseHandle(handle);
    return shown;
}

bool make_link(const std::string& target, const std::string& link) {
    const std::string unix_target = unix_path(target);
    const std::string unix_link = unix_path(link);
    if (unix_target.empty() || unix_link.empty()) return false;
    return run_host("/bin/ln -s \"" + unix_target + "\" \"" + unix_link + "\"") && wait_for_path(link, true);
}

void remove_link(const std::string& link) {
    const std::string unix_link = unix_path(link);
    if (!unix_link.empty() && run_host("/bin/rm -f \"" + unix_link + "\"")) wait_for_path(link, false);
}

}  // namespace test_support
