#include "services/strings.h"

#include <cstring>

#include "services/fatal.h"
#include "services/heap.h"

namespace services {
namespace {

char* g_buffer;
char* g_position;

constexpr char buffer_full_text[] =
    "Texte trop long : l'installation s'arrête.\n"
    "Text too long: the installation stops.";

int length_of(const char* text) {
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

// Makes sure `count` characters and a terminator fit at `at`; a value that would not fit
// ends the program rather than being cut.
void reserve(const char* at, int count) {
    if (!g_buffer || at < g_buffer || count < 0 || count >= g_buffer + work_buffer_size - at)
        fatal_error(buffer_full_text);
}

// Ends a result of `count` characters built at `destination`.
char* finish(char* destination, int count) {
    destination[count] = 0;
    g_position = destination + count;
    return destination;
}

char* copy_of(const char* text) {
    const int size = length_of(text) + 1;
    char* copy = static_cast<char*>(heap_alloc(size));
    std::memcpy(copy, text, size);
    return copy;
}

}  // namespace

void alloc_work_buffer() {
    g_buffer = static_cast<char*>(heap_alloc(work_buffer_size));
    g_position = g_buffer;
}

char* write_position() {
    return g_position;
}

void set_write_position(char* position) {
    g_position = position;
}

void skip_terminator() {
    reserve(g_position + 1, 0);
    ++g_position;
}

int work_buffer_room() {
    return static_cast<int>(g_buffer + work_buffer_size - g_position);
}

void append_string(const char* text) {
    const int count = length_of(text);
    reserve(g_position, count);
    // memmove: the text may itself lie in the buffer.
    if (count) std::memmove(g_position, text, count);
    finish(g_position, count);
}

void assign_string(char** variable, char* start) {
    const int size = static_cast<int>(g_position - start) + 1;
    char* copy = static_cast<char*>(heap_alloc(size));
    std::memcpy(copy, start, size);
    heap_free(*variable);
    *variable = copy;
    g_position = start;
}

void assign_literal(char** variable, const char* text) {
    // Copy before freeing: the text may be the variable's own.
    char* copy = text ? copy_of(text) : nullptr;
    heap_free(*variable);
    *variable = copy;
}

void copy_string_argument(char** variable, const char* text) {
    *variable = text ? copy_of(text) : nullptr;
}

void free_string_local(char* text) {
    heap_free(text);
}

int string_length(const char* text) {
    return length_of(text);
}

int compare_strings(const char* a, const char* b) {
    return std::strcmp(a ? a : "", b ? b : "") == 0 ? 1 : 0;
}

char* mid_string(const char* text, int start, int length, char* destination) {
    const int size = length_of(text);
    if (start < 1) start = 1;
    int count = 0;
    if (length > 0 && start <= size) count = size - (start - 1) < length ? size - (start - 1) : length;
    reserve(destination, count);
    if (count) std::memmove(destination, text + start - 1, count);
    return finish(destination, count);
}

char* path_part(const char* path, char* destination) {
    if (!path) path = "";
    if (*path == '"') ++path;
    const char* end = path;
    for (const char* at = path; *at; ++at)
        if (*at == '\\') end = at + 1;
    int count = static_cast<int>(end - path);
    reserve(destination, count);
    if (count) std::memmove(destination, path, count);
    for (int i = 0; i < count; ++i) {
        if (destination[i] == '"') {
            count = i;
            break;
        }
    }
    return finish(destination, count);
}

char* spaces(int count, char* destination) {
    if (count < 0) count = 0;
    reserve(destination, count);
    std::memset(destination, ' ', count);
    return finish(destination, count);
}

char* pad_string(const char* text, int length, const char* fill, char* destination) {
    if (length < 0) length = 0;
    reserve(destination, length);
    int kept = length_of(text);
    if (kept > length) kept = length;
    if (kept) std::memmove(destination, text, kept);
    // An absent or empty fill text fills with blanks.
    const char fill_char = fill && *fill ? *fill : ' ';
    std::memset(destination + kept, fill_char, length - kept);
    return finish(destination, length);
}

}  // namespace services
