#include <cstring>

#include "services/file_table.h"
#include "services/files.h"
#include "services/process.h"
#include "services/strings.h"

// Files opened by name, and the reads. Apart from the table (files.cpp), so that a program
// that only writes files it opened elsewhere carries neither this code nor the platform
// calls it imports.
namespace services {
namespace {

// True for an existing read-only file. The platform refuses to write to one, but not
// every platform: Wine run by the superuser opens it, so the service refuses it itself.
bool is_read_only(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HANDLE open_numbered(int number, const char* path, DWORD access, DWORD sharing, DWORD disposition) {
    if (!make_room(number)) return nullptr;
    close_number(number);
    enter_installer_folder();
    if (!path) path = "";
    HANDLE file = nullptr;
    if (!(access & GENERIC_WRITE) || !is_read_only(path)) {
        file = CreateFileA(path, access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) file = nullptr;
    }
    g_files[number] = file;
    g_current = file;
    return file;
}

// Reads `count` bytes of the current file into the transfer cell, zero-filled first so
// that a failed or short read gives 0 bytes.
void read_cell(DWORD count) {
    std::memset(g_cell, 0, sizeof g_cell);
    g_moved = 0;
    if (g_current) ReadFile(g_current, g_cell, count, &g_moved, nullptr);
}

}  // namespace

HANDLE create_file(int number, const char* path) {
    return open_numbered(number, path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
}

HANDLE open_file(int number, const char* path) {
    return open_numbered(number, path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
}

HANDLE open_existing_file(int number, const char* path) {
    return open_numbered(number, path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
}

HANDLE open_file_for_reading(int number, const char* path) {
    return open_numbered(number, path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

int at_end_of_file(int number) {
    HANDLE file = handle_of(number);
    if (!file) return -1;
    unsigned char byte;
    DWORD got = 0;
    if (!ReadFile(file, &byte, 1, &got, nullptr) || got != 1) return -1;
    SetFilePointer(file, -1, nullptr, FILE_CURRENT);
    return 0;
}

int seek_file(int position) {
    if (!g_current) return -1;
    return static_cast<int>(SetFilePointer(g_current, position, nullptr, FILE_BEGIN));
}

int file_position() {
    if (!g_current) return -1;
    return static_cast<int>(SetFilePointer(g_current, 0, nullptr, FILE_CURRENT));
}

int file_size() {
    if (!g_current) return -1;
    return static_cast<int>(GetFileSize(g_current, nullptr));
}

int read_byte() {
    read_cell(1);
    return static_cast<signed char>(g_cell[0]);
}

int read_word() {
    read_cell(2);
    return static_cast<short>(g_cell[0] | g_cell[1] << 8);
}

int read_long() {
    read_cell(4);
    return static_cast<int>(g_cell[0] | g_cell[1] << 8 | g_cell[2] << 16 | static_cast<unsigned>(g_cell[3]) << 24);
}

float read_float() {
    read_cell(4);
    float value;
    std::memcpy(&value, g_cell, sizeof value);
    return value;
}

int read_block(void* buffer, int length) {
    g_moved = 0;
    if (!g_current || !buffer || length <= 0) return 0;
    ReadFile(g_current, buffer, static_cast<DWORD>(length), &g_moved, nullptr);
    return static_cast<int>(g_moved);
}

char* read_line() {
    char* start = write_position();
    // Room for the characters and the terminator; a longer line goes on at the next call.
    const int most = work_buffer_room() - 1;
    int count = 0;
    while (count < most) {
        read_cell(1);
        const char c = static_cast<char>(g_cell[0]);
        if (c == 0 || c == '\n') break;
        if (c == '\r') {
            // A line feed after the carriage return belongs to the line end; any other
            // byte starts the next line and is given back.
            read_cell(1);
            if (g_moved == 1 && g_cell[0] != '\n') SetFilePointer(g_current, -1, nullptr, FILE_CURRENT);
            break;
        }
        start[count++] = c;
    }
    start[count] = 0;
    set_write_position(start + count);
    return start;
}

}  // namespace services
