#include "services/files.h"

#include <cstring>

#include "services/file_table.h"
#include "services/heap.h"
#include "services/strings.h"

namespace services {

HANDLE* g_files;
int g_room;
HANDLE g_current;
unsigned char g_cell[4];
DWORD g_moved;

bool make_room(int number) {
    return make_table_room(g_files, g_room, number, file_table_start_room);
}

HANDLE handle_of(int number) {
    return number >= 0 && number < g_room ? g_files[number] : nullptr;
}

int close_number(int number) {
    HANDLE file = handle_of(number);
    if (!file) return 0;
    g_files[number] = nullptr;
    if (g_current == file) g_current = nullptr;
    return CloseHandle(file);
}

namespace {

int write_bytes(const void* bytes, DWORD count) {
    g_moved = 0;
    if (!g_current) return 0;
    return WriteFile(g_current, bytes, count, &g_moved, nullptr) && g_moved == count ? 1 : 0;
}

int write_cell(unsigned long value, DWORD count) {
    for (DWORD i = 0; i < count; ++i)
        g_cell[i] = static_cast<unsigned char>(value >> (8 * i));
    return write_bytes(g_cell, count);
}

}  // namespace

void file_service_init() {
    g_files = static_cast<HANDLE*>(heap_alloc(table_bytes(file_table_start_room, sizeof(HANDLE))));
    g_room = file_table_start_room;
    g_current = nullptr;
}

void file_service_end() {}

HANDLE keep_file(int number, HANDLE file) {
    if (!make_room(number)) {
        if (file) CloseHandle(file);
        return nullptr;
    }
    close_number(number);
    g_files[number] = file;
    g_current = file;
    return file;
}

HANDLE use_file(int number) {
    if (number < 0 || number >= g_room) return nullptr;
    g_current = g_files[number];
    return g_current;
}

int close_file(int number) {
    return close_number(number);
}

int file_table_room() {
    return g_room;
}

int write_byte(int value) {
    return write_cell(static_cast<unsigned long>(value), 1);
}

int write_word(int value) {
    return write_cell(static_cast<unsigned long>(value), 2);
}

int write_long(int value) {
    return write_cell(static_cast<unsigned long>(value), 4);
}

int write_float(float value) {
    std::memcpy(g_cell, &value, sizeof value);
    return write_bytes(g_cell, 4);
}

int write_block(const void* buffer, int length) {
    if (!buffer || length < 0) return 0;
    write_bytes(buffer, static_cast<DWORD>(length));
    return static_cast<int>(g_moved);
}

int write_string(const char* text) {
    return write_bytes(text ? text : "", static_cast<DWORD>(string_length(text)));
}

int write_line(const char* text) {
    return write_string(text) && write_bytes("\r\n", 2) ? 1 : 0;
}

}  // namespace services
