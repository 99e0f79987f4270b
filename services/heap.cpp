#include "services/heap.h"

#include <windows.h>

#include "services/fatal.h"

namespace services {
namespace {

HANDLE g_heap;

constexpr SIZE_T initial_heap_size = 4000;
constexpr char out_of_memory_text[] =
    "Mémoire insuffisante : l'installation s'arrête.\n"
    "Not enough memory: the installation stops.";

}  // namespace

void create_program_heap() {
    g_heap = HeapCreate(0, initial_heap_size, 0);
    if (!g_heap) fatal_error(out_of_memory_text);
}

void destroy_program_heap() {
    if (g_heap) HeapDestroy(g_heap);
    g_heap = nullptr;
}

void* heap_try_alloc(std::size_t size) {
    return HeapAlloc(g_heap, HEAP_ZERO_MEMORY, size);
}

void* heap_alloc(std::size_t size) {
    void* block = heap_try_alloc(size);
    if (!block) fatal_error(out_of_memory_text);
    return block;
}

void* heap_try_grow(void* block, std::size_t size) {
    return HeapReAlloc(g_heap, HEAP_ZERO_MEMORY, block, size);
}

void heap_free(void* block) {
    if (block) HeapFree(g_heap, 0, block);
}

bool make_table_room(void*& block, int& capacity, int number, int growth, std::size_t item_size, int spare) {
    if (number < 0) return false;
    if (number < capacity) return true;
    const long long grown_capacity = static_cast<long long>(number) + growth;
    if (grown_capacity + spare > 0x7FFFFFFF) return false;
    void* grown = heap_try_grow(block, table_bytes(static_cast<std::size_t>(grown_capacity + spare), item_size));
    if (!grown) return false;
    block = grown;
    capacity = static_cast<int>(grown_capacity);
    return true;
}

std::size_t table_bytes(std::size_t count, std::size_t item_size) {
    constexpr std::size_t largest = static_cast<std::size_t>(-1);
    if (item_size != 0 && count > largest / item_size) return largest;
    return count * item_size;
}

}  // namespace services
